// Writers of small ChemStation files for the tests: MSD data files laid
// out as the instruments write them (header, scan records, directory at
// the end), signal files of each encoding, and an acquisition method.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kstest.h"

namespace agilentfix {

inline void PutBE16(std::string& out, uint16_t v)
{
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}

inline void PutBE32(std::string& out, uint32_t v)
{
    PutBE16(out, static_cast<uint16_t>(v >> 16));
    PutBE16(out, static_cast<uint16_t>(v & 0xFFFF));
}

inline void SetBE32(std::string& out, size_t at, uint32_t v)
{
    std::string word;
    PutBE32(word, v);
    out.replace(at, 4, word);
}

inline void SetBE16(std::string& out, size_t at, uint16_t v)
{
    std::string word;
    PutBE16(word, v);
    out.replace(at, 2, word);
}

inline uint32_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// m/z as stored (x 20).
inline uint16_t MZ(double mz)
{
    return static_cast<uint16_t>(mz * 20 + 0.5);
}

struct Point {
    uint16_t mz;    // m/z x 20
    uint16_t code;  // abundance code
};

struct Scan {
    int32_t rtMs = 0;
    int32_t tic = 0;
    uint16_t modeWord = 0x0101;  // low five bits 2: profile
    std::vector<Point> points;   // in file order
    uint16_t baseMZ = 0;
    uint16_t baseCode = 0;
};

struct MsdFile {
    std::string typeText = "MSD Spectral File";
    std::string sampleName;
    std::vector<Scan> scans;
    int32_t runEndMs = 0;
};

// Byte offsets of the header fields and of each part of a built file.
constexpr size_t kDirectoryPosition = 260;
constexpr size_t kScanCount = 278;
constexpr size_t kRunEnd = 286;

struct MsdLayout {
    std::vector<size_t> scanOffsets;  // scan headers
    size_t directoryOffset = 0;
};

// The file bytes; each scan record is its header, its points and a
// 10-byte trailer, the directory follows the last scan.
inline std::string BuildMsd(const MsdFile& f, MsdLayout* layout = nullptr)
{
    std::string out(512, '\0');
    out[0] = 0x01;
    out[1] = 0x32;
    out[4] = static_cast<char>(f.typeText.size());
    out.replace(5, f.typeText.size(), f.typeText);
    out[24] = static_cast<char>(f.sampleName.size());
    out.replace(25, f.sampleName.size(), f.sampleName);
    SetBE32(out, kScanCount, static_cast<uint32_t>(f.scans.size()));
    SetBE32(out, kRunEnd, static_cast<uint32_t>(f.runEndMs));
    std::vector<size_t> offsets;
    for (const Scan& s : f.scans) {
        offsets.push_back(out.size());
        const size_t words = (18 + 4 * s.points.size() + 10) / 2;
        PutBE16(out, static_cast<uint16_t>(words));
        PutBE32(out, static_cast<uint32_t>(s.rtMs));
        PutBE16(out, 0);
        PutBE16(out, s.modeWord);
        PutBE16(out, 0);
        PutBE16(out, static_cast<uint16_t>(s.points.size()));
        PutBE16(out, s.baseMZ);
        PutBE16(out, s.baseCode);
        for (const Point& p : s.points) {
            PutBE16(out, p.mz);
            PutBE16(out, p.code);
        }
        out.append(6, '\0');
        PutBE32(out, static_cast<uint32_t>(s.tic));
    }
    const size_t directory = out.size();
    SetBE32(out, kDirectoryPosition, static_cast<uint32_t>(directory / 2 + 1));
    for (size_t i = 0; i < f.scans.size(); ++i) {
        PutBE32(out, static_cast<uint32_t>(offsets[i] / 2 + 1));
        PutBE32(out, static_cast<uint32_t>(f.scans[i].rtMs));
        PutBE32(out, static_cast<uint32_t>(f.scans[i].tic));
    }
    if (layout) {
        layout->scanOffsets = offsets;
        layout->directoryOffset = directory;
    }
    return out;
}

// A scan of points given as (m/z, abundance code), stored by descending
// m/z as the instruments do; base peak and total from the points.
inline Scan MakeScan(int32_t rtMs, std::vector<std::pair<double, uint16_t>> points)
{
    Scan s;
    s.rtMs = rtMs;
    std::sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    uint32_t best = 0;
    for (const auto& [mz, code] : points) {
        s.points.push_back(Point{MZ(mz), code});
        const uint32_t abundance = static_cast<uint32_t>(code & 0x3FFF) << (3 * (code >> 14));
        s.tic += static_cast<int32_t>(abundance);
        if (abundance >= best) {
            best = abundance;
            s.baseMZ = MZ(mz);
            s.baseCode = code;
        }
    }
    return s;
}

// A signal file: 1024-byte header (data from block 3), then `data`.
inline std::string BuildSignal(int32_t type, uint32_t startField, uint32_t endField, const std::string& data,
                               int32_t dataBlock = 3)
{
    std::string out(1024, '\0');
    const std::string version = std::to_string(type);
    out[0] = static_cast<char>(version.size());
    out.replace(1, version.size(), version);
    SetBE32(out, 248, static_cast<uint32_t>(type));
    SetBE32(out, 264, static_cast<uint32_t>(dataBlock));
    SetBE32(out, 282, startField);
    SetBE32(out, 286, endField);
    return out + data;
}

// Control-word block data: one block per vector, then the end word.
inline std::string Blocks(const std::vector<std::vector<uint16_t>>& blocks)
{
    std::string out;
    for (const auto& words : blocks) {
        for (const uint16_t w : words)
            PutBE16(out, w);
    }
    PutBE16(out, 0);
    return out;
}

// Second-difference data of the given values: the first escaped, the
// others as second differences.
inline std::string SecondDifferences(const std::vector<int64_t>& values)
{
    std::string out;
    int64_t previous = 0;
    int64_t difference = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i == 0) {
            PutBE16(out, 0x7FFF);
            PutBE16(out, static_cast<uint16_t>((static_cast<uint64_t>(values[0]) >> 32) & 0xFFFF));
            PutBE32(out, static_cast<uint32_t>(values[0]));
            difference = 0;
        } else {
            const int64_t d = values[i] - previous;
            PutBE16(out, static_cast<uint16_t>(static_cast<int16_t>(d - difference)));
            difference = d;
        }
        previous = values[i];
    }
    return out;
}

inline std::string Join(const std::string& folder, const std::string& name)
{
    return (std::filesystem::path(folder) / name).string();
}

// A folder of the running test case (created).
inline std::string Folder(const std::string& name)
{
    const std::string path = Join(ks::test::tempDir(), name);
    std::filesystem::create_directories(path);
    return path;
}

inline std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

}  // namespace agilentfix
