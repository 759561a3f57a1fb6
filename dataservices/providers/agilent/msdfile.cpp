#include "msdfile.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sys/stat.h>

#include "coadd.h"
#include "dataserverimpl.h"
#include "ksfiles.h"
#include "ksfilestat.h"
#include "kstextutil.h"

using agilent::BigEndian16;
using agilent::BigEndianInt16;
using agilent::BigEndianInt32;

namespace {

// Header fields (byte offsets).
constexpr size_t kHeaderSize = 512;
constexpr size_t kTypeText = 5;
constexpr size_t kSampleName = 25;
constexpr size_t kDirectoryPosition = 260;
constexpr size_t kScanCount = 278;
constexpr size_t kRunEnd = 286;
constexpr uint8_t kMagic0 = 0x01;
constexpr uint8_t kMagic1 = 0x32;

// Directory record and scan header.
constexpr size_t kDirectoryRecord = 12;
constexpr size_t kScanHeader = 18;
constexpr size_t kScanModeWord = 8;
constexpr size_t kPointCount = 12;
constexpr size_t kBasePeakMZ = 14;
constexpr size_t kBasePeakCode = 16;
constexpr size_t kPointSize = 4;
constexpr unsigned kProfileMode = 2;  // low five bits of the mode word

constexpr double kMsPerMinute = 60000.0;
constexpr double kMZFactor = 20.0;

// Directory records read per call while opening: bounded scratch whatever
// the scan count.
constexpr size_t kDirectoryChunk = 4096;

// Only the first 999 characters of an acquisition-method line count; the
// rest of a longer line is skipped, never read as a line of its own.
constexpr size_t kMaxMethodLine = 999;

const wchar_t kSpectralFile[] = L"MSD Spectral File";
const wchar_t kGCMSFile[] = L"GC / MS DATA FILE";

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix)
{
    return text.size() >= prefix.size() && ks::equalNoCase(text.substr(0, prefix.size()), prefix);
}

// Exists and is not a folder (a FIFO or device counts: opening it is then
// refused with the reader's error).
bool NamesFile(const std::string& path)
{
    struct stat status;
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

std::string JoinFsPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The entry `name` of the folder, found without regard to case, when it is
// not a folder itself.
std::optional<std::string> FindFileIn(const std::string& folder, const std::string& name)
{
    const std::optional<std::string> found = ks::findNameNoCase(folder, name);
    if (!found)
        return std::nullopt;
    std::string full = JoinFsPath(folder, *found);
    if (!NamesFile(full))
        return std::nullopt;
    return full;
}

// Mantissa (low 14 bits) x 8 ^ exponent (top 2 bits).
inline DWORD Abundance(uint16_t code)
{
    return static_cast<DWORD>(code & 0x3FFFu) << (3 * (code >> 14));
}

std::string MSDFileName(int n)
{
    return "MSD" + std::to_string(n) + ".MS";
}

bool EndsWithMS(const std::string& path)
{
    return path.size() >= 3 && ks::equalNoCaseUtf8(path.substr(path.size() - 3), ".ms");
}

}  // namespace

DWORD DecodeAbundance(WORD code)
{
    return Abundance(code);
}

bool IsMSDDataset(const std::wstring& path)
{
    if (path.empty())
        return false;
    const std::string fsPath = FileSystemPath(path);
    std::optional<std::string> candidate;
    if (NamesFile(fsPath)) {
        if (!EndsWithMS(fsPath))
            return false;
        candidate = fsPath;
    } else {
        for (int n = 1; n <= 4 && !candidate; ++n)
            candidate = FindFileIn(fsPath, MSDFileName(n));
        if (!candidate)
            candidate = FindFileIn(fsPath, "DATA.MS");
        if (!candidate)
            return false;
    }
    agilent::CBinaryFile file;
    uint8_t header[kHeaderSize];
    if (!file.Open(*candidate) || !file.ReadAt(0, header, sizeof header))
        return false;
    if (header[0] != kMagic0 || header[1] != kMagic1)
        return false;
    const std::wstring type = agilent::HeaderText(header, sizeof header, kTypeText);
    return ks::equalNoCase(type, kSpectralFile) || ks::equalNoCase(type, kGCMSFile);
}

void ReadAcquisitionPolarity(const std::wstring& path, int n, ::FunctionPolarity& polarity)
{
    if (path.empty())
        return;
    const std::optional<std::string> method = ks::findPathNoCase(FileSystemPath(path), "RUN.M/ACQ.MS");
    if (!method)
        return;
    std::FILE* f = ks::openRegularFileStream(*method, "rb");
    if (!f)
        return;
    const std::string key = n > 1 ? "Polarity " + std::to_string(n) + "=" : std::string("Polarity=");
    std::string line;
    for (;;) {
        line.clear();
        int c;
        bool any = false;
        while ((c = std::getc(f)) != EOF && c != '\n') {
            any = true;
            if (line.size() < kMaxMethodLine)
                line += static_cast<char>(c);
        }
        if (!any && c == EOF)
            break;
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0) {
            const char value = line[key.size()];
            if (value == '0' || value == '1') {
                polarity = value == '0' ? FunctionPolarityPositive : FunctionPolarityNegative;
                break;
            }
        }
        if (c == EOF)
            break;
    }
    std::fclose(f);
}

CMSDFile::CMSDFile() : m_bOpen(false), m_dRunEndTime(0), m_nPolarity(FunctionPolarityPositive) {}

CMSDFile::~CMSDFile()
{
    Close();
}

void CMSDFile::Close()
{
    m_File.Close();
    m_bOpen = false;
    m_strPath.clear();
    m_Entries.clear();
    m_Entries.shrink_to_fit();
    m_Times.clear();
    m_Times.shrink_to_fit();
    m_dRunEndTime = 0;
    m_strSampleName.clear();
    m_nPolarity = FunctionPolarityPositive;
}

HRESULT CMSDFile::Open(const std::wstring& path, int n)
{
    Close();
    if (n < 1 || n > 4)
        return E_FAIL;
    std::wstring trimmed = path;
    Trim(trimmed);
    if (trimmed.empty())
        return E_FAIL;
    const std::string fsPath = FileSystemPath(trimmed);
    std::optional<std::string> file;
    if (n == 1 && NamesFile(fsPath)) {
        file = fsPath;
    } else {
        if (!ks::isFolder(fsPath))
            return E_FAIL;
        file = FindFileIn(fsPath, MSDFileName(n));
        if (!file && n == 1)
            file = FindFileIn(fsPath, "DATA.MS");
        if (!file)
            return E_FAIL;
    }
    if (!m_File.Open(*file))
        return E_INVALIDARG;
    HRESULT hr;
    try {
        hr = ReadHeader();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    ReadAcquisitionPolarity(trimmed, n, m_nPolarity);
    for (MSDScanEntry& entry : m_Entries)
        entry.nPolarity = m_nPolarity;
    m_strPath = trimmed;
    m_bOpen = true;
    return S_OK;
}

HRESULT CMSDFile::ReadHeader()
{
    uint8_t header[kHeaderSize];
    if (!m_File.ReadAt(0, header, sizeof header))
        return E_FAIL;
    if (header[0] != kMagic0 || header[1] != kMagic1)
        return E_FAIL;
    // Opening compares the beginning of the text, recognition all of it.
    const std::wstring type = agilent::HeaderText(header, sizeof header, kTypeText);
    if (!StartsWithNoCase(type, kSpectralFile) && !StartsWithNoCase(type, kGCMSFile))
        return E_FAIL;
    const LONG scanCount = BigEndianInt32(header + kScanCount);
    if (scanCount < 0)
        return E_FAIL;
    m_dRunEndTime = BigEndianInt32(header + kRunEnd) / kMsPerMinute;
    m_strSampleName = agilent::HeaderText(header, sizeof header, kSampleName);
    Trim(m_strSampleName);
    const LONGLONG directoryOffset = 2 * static_cast<LONGLONG>(BigEndianInt32(header + kDirectoryPosition)) - 2;
    return ReadDirectory(directoryOffset, scanCount);
}

HRESULT CMSDFile::ReadDirectory(LONGLONG directoryOffset, LONG scanCount)
{
    if (scanCount == 0)
        return S_OK;
    // The directory must lie within the file, which also bounds the
    // memory the scan count may claim.
    const LONGLONG size = m_File.Size();
    const LONGLONG directoryBytes = static_cast<LONGLONG>(scanCount) * static_cast<LONGLONG>(kDirectoryRecord);
    if (directoryOffset < 0 || directoryOffset > size || size - directoryOffset < directoryBytes)
        return E_FAIL;
    m_Entries.resize(static_cast<size_t>(scanCount));
    m_Times.resize(static_cast<size_t>(scanCount));

    std::vector<uint8_t> records(std::min<size_t>(static_cast<size_t>(scanCount), kDirectoryChunk) * kDirectoryRecord);
    uint8_t scanHeader[kScanHeader];
    size_t index = 0;
    while (index < m_Entries.size()) {
        const size_t chunk = std::min(m_Entries.size() - index, kDirectoryChunk);
        if (!m_File.ReadAt(directoryOffset + static_cast<LONGLONG>(index * kDirectoryRecord), records.data(),
                           chunk * kDirectoryRecord))
            return E_FAIL;
        for (size_t k = 0; k < chunk; ++k, ++index) {
            const uint8_t* record = records.data() + k * kDirectoryRecord;
            MSDScanEntry& entry = m_Entries[index];
            entry.nHeaderOffset = 2 * static_cast<LONGLONG>(BigEndianInt32(record)) - 2;
            entry.dRetentionTime = BigEndianInt32(record + 4) / kMsPerMinute;
            entry.dTotalAbundance = BigEndianInt32(record + 8);
            m_Times[index] = entry.dRetentionTime;

            if (!m_File.ReadAt(entry.nHeaderOffset, scanHeader, sizeof scanHeader))
                return E_FAIL;
            const int16_t points = BigEndianInt16(scanHeader + kPointCount);
            if (points < 0)
                return E_FAIL;
            // Every point must lie within the file too, so a spectrum read
            // later only fails when the file changed underneath.
            const LONGLONG end = entry.nHeaderOffset + static_cast<LONGLONG>(kScanHeader) +
                                 static_cast<LONGLONG>(points) * static_cast<LONGLONG>(kPointSize);
            if (end > size)
                return E_FAIL;
            entry.nPoints = points;
            entry.bCentroid = (scanHeader[kScanModeWord + 1] & 0x1Fu) != kProfileMode;
            entry.dBasePeakMZ = BigEndian16(scanHeader + kBasePeakMZ) / kMZFactor;
            entry.dBasePeakAbundance = Abundance(BigEndian16(scanHeader + kBasePeakCode));
        }
    }
    return ScansAreDistinct() ? S_OK : E_FAIL;
}

// Each directory entry must own its bytes: a scan (header and points) that
// overlaps or repeats another is damage, so the scans together never hold
// more points than the file, and decoding all of them costs what the file
// holds, whatever the scan count claims.
bool CMSDFile::ScansAreDistinct() const
{
    const auto end = [](const MSDScanEntry& e) {
        return e.nHeaderOffset + static_cast<LONGLONG>(kScanHeader) +
               static_cast<LONGLONG>(e.nPoints) * static_cast<LONGLONG>(kPointSize);
    };
    // Files store their scans in directory order: one pass tells.
    bool ordered = true;
    for (size_t i = 1; i < m_Entries.size() && ordered; ++i)
        ordered = m_Entries[i].nHeaderOffset >= end(m_Entries[i - 1]);
    if (ordered)
        return true;
    std::vector<std::pair<LONGLONG, LONGLONG>> extents;
    extents.reserve(m_Entries.size());
    for (const MSDScanEntry& e : m_Entries)
        extents.emplace_back(e.nHeaderOffset, end(e));
    std::sort(extents.begin(), extents.end());
    for (size_t i = 1; i < extents.size(); ++i)
        if (extents[i].first < extents[i - 1].second)
            return false;
    return true;
}

bool CMSDFile::ReadSpectrum(LONG index, CMassSpectrum& spectrum)
{
    if (!m_bOpen || index < 0 || index >= ScanCount())
        return false;
    const MSDScanEntry& entry = m_Entries[static_cast<size_t>(index)];
    const size_t bytes = static_cast<size_t>(entry.nPoints) * kPointSize;
    try {
        m_Points.resize(bytes);
        if (!m_File.ReadAt(entry.nHeaderOffset + static_cast<LONGLONG>(kScanHeader), m_Points.data(), bytes))
            return false;
        spectrum.EnablePeakFlags(false);
        spectrum.EnableAnnotations(false);
        spectrum.EnablePeakObjects(false);
        if (!spectrum.SetSize(entry.nPoints, false, false, false))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The files store their points by descending m/z: decoding them into
    // reversed places gives what the sort would, at no cost. Any other
    // order is decoded as stored and sorted. (m/z x 20 orders like m/z.)
    const LONG count = entry.nPoints;
    const uint8_t* points = m_Points.data();
    bool ascending = true;
    bool descending = true;
    for (LONG i = 1; i < count; ++i) {
        const uint16_t before = BigEndian16(points + (i - 1) * kPointSize);
        const uint16_t here = BigEndian16(points + i * kPointSize);
        ascending = ascending && before < here;
        descending = descending && before > here;
    }
    const bool reversed = descending && !ascending;
    double* masses = spectrum.Masses();
    double* intensities = spectrum.Intensities();
    for (LONG i = 0; i < count; ++i) {
        const uint8_t* p = points + i * kPointSize;
        const LONG at = reversed ? count - 1 - i : i;
        masses[at] = BigEndian16(p) / kMZFactor;
        intensities[at] = Abundance(BigEndian16(p + 2));
    }
    if (!ascending && !reversed)
        SortSpectrumByMass(0, spectrum);
    spectrum.SetStartRT(entry.dRetentionTime);
    spectrum.SetEndRT(static_cast<size_t>(index) + 1 < m_Entries.size()
                          ? m_Entries[static_cast<size_t>(index) + 1].dRetentionTime
                          : m_dRunEndTime);
    spectrum.SetFirstScan(index + 1);
    spectrum.SetLastScan(index + 1);
    spectrum.SetCentroid(entry.bCentroid);
    spectrum.SetPolarity(entry.nPolarity == FunctionPolarityNegative ? FunctionPolarityNegative
                                                                     : FunctionPolarityPositive);
    spectrum.Invalidate();
    return true;
}

double CMSDFile::ScanRT(LONG index) const
{
    return index >= 0 && index < ScanCount() ? m_Entries[static_cast<size_t>(index)].dRetentionTime : -1;
}

double CMSDFile::ScanTIC(LONG index) const
{
    return index >= 0 && index < ScanCount() ? m_Entries[static_cast<size_t>(index)].dTotalAbundance : -1;
}

double CMSDFile::ScanBasePeakAbundance(LONG index) const
{
    return index >= 0 && index < ScanCount() ? m_Entries[static_cast<size_t>(index)].dBasePeakAbundance : -1;
}

LONG CMSDFile::IndexByRT(double time, FunctionRTProximity proximity) const
{
    return FindIndexByRetentionTime(m_Times, time, proximity);
}
