// Fixtures shared by the engine's tests: small models, files in the test
// case's folder, and the file's chunk list for surgery on its bytes.
#pragma once

#include "rawbuilder.h"
#include "rawfile.h"
#include "rawformat.h"

#include "kshive.h"
#include "kstest.h"

#include <string>
#include <vector>

namespace rawtest {

using namespace rawengine;

inline std::string tempPath(const std::string& name) { return ks::test::tempDir() + "/" + name; }
inline std::wstring wide(const std::string& s) { return ks::reg::wideFromUtf8(s); }

// Writes bytes to a file of the test case's folder and loads it.
inline std::unique_ptr<CRawfile> loadBytes(const std::string& bytes, const std::string& name = "t.raw")
{
    const std::string path = tempPath(name);
    ks::test::writeFile(path, bytes);
    return std::make_unique<CRawfile>(wide(path));
}

// A chunk of a file image: where it starts, its tag and payload length.
struct ChunkAt {
    size_t offset;
    uint32_t tag;
    uint32_t length;
};
inline std::vector<ChunkAt> chunksOf(const std::string& bytes)
{
    std::vector<ChunkAt> out;
    size_t pos = format::kPreambleSize;
    while (pos + format::kChunkHeaderSize <= bytes.size()) {
        format::Reader r(reinterpret_cast<const uint8_t*>(bytes.data()) + pos, format::kChunkHeaderSize);
        ChunkAt c{pos, r.u32(), r.u32()};
        out.push_back(c);
        pos += format::kChunkHeaderSize + c.length;
    }
    return out;
}

// Recomputes the end chunk's checksum after the bytes before it changed.
inline std::string resealed(std::string bytes)
{
    const ChunkAt end = chunksOf(bytes).back();
    const uint32_t crc = format::crc32(reinterpret_cast<const uint8_t*>(bytes.data()) + format::kPreambleSize,
                                       end.offset - format::kPreambleSize);
    for (int i = 0; i < 4; ++i)
        bytes[end.offset + format::kChunkHeaderSize + size_t(i)] = char(crc >> (8 * i));
    return bytes;
}

// A file image from the preamble and a list of chunks, with its end.
inline std::string imageOf(const std::vector<std::string>& chunks, uint16_t version = kFormatVersion,
                           uint32_t flags = 0, bool end = true)
{
    std::string body;
    for (const std::string& c : chunks)
        body += c;
    std::string out = format::preamble(version, flags) + body;
    if (end) {
        format::Writer w;
        w.u32(format::crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
        out += format::chunk(format::kTagEnd, w.bytes());
    }
    return out;
}

// Two controllers of every kind, each with a little of everything.
FileData everyKindModel();

// A scan event with every field set away from its default.
CScanEvent fullEvent();

// The sample cut down to one cycle of the mass spectrometer and two scans
// of each other controller (a few kilobytes: quick to damage byte by byte).
FileData smallSample();

}  // namespace rawtest
