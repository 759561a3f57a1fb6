#include "chtrace.h"

#include <new>
#include <sys/stat.h>

#include "binaryfile.h"
#include "ksfiles.h"
#include "ksfilestat.h"

using agilent::BigEndian16;
using agilent::BigEndian32;
using agilent::BigEndianFloat;
using agilent::BigEndianInt16;
using agilent::BigEndianInt32;

namespace {

// Header fields (byte offsets).
constexpr size_t kHeaderSize = 512;
constexpr size_t kFileType = 248;
constexpr size_t kDataBlock = 264;
constexpr size_t kStartTime = 282;
constexpr size_t kEndTime = 286;
constexpr int64_t kBlockSize = 512;
// Type-179 files hold their values after a header of 6,144 bytes whatever
// the block field says (real files have 9 there as well as 13).
constexpr int64_t kDoublesDataOffset = 6144;

constexpr double kMsPerMinute = 60000.0;

// Second-difference encoding (types 81 and 181).
constexpr uint16_t kDifferenceEscape = 0x7FFF;
constexpr size_t kEscapedValueBytes = 6;
// Control-word blocks (every other type).
constexpr uint16_t kBlockEscape = 0x8000;

enum class Encoding { SecondDifferences, Doubles, Blocks };

Encoding EncodingOf(int32_t type)
{
    switch (type) {
    case 81:
    case 181:
        return Encoding::SecondDifferences;
    case 179:
        return Encoding::Doubles;
    default:
        return Encoding::Blocks;
    }
}

// 48-bit two's-complement number.
int64_t BigEndianInt48(const uint8_t* p)
{
    const uint64_t high = static_cast<uint16_t>(BigEndian16(p));
    const uint64_t bits = (high << 32) | BigEndian32(p + 2);
    return (bits & 0x800000000000ull) ? static_cast<int64_t>(bits | 0xFFFF000000000000ull)
                                      : static_cast<int64_t>(bits);
}

// Running sums wrap in 64 bits (the file size keeps real data far from it).
bool DecodeSecondDifferences(const uint8_t* p, size_t size, std::vector<double>& values)
{
    uint64_t value = 0;
    uint64_t difference = 0;
    size_t at = 0;
    while (at < size) {
        if (size - at < 2)
            return false;
        const uint16_t word = BigEndian16(p + at);
        if (word == 0 && size - at == 2)
            break;
        if (word == kDifferenceEscape) {
            if (size - at < 2 + kEscapedValueBytes)
                return false;
            value = static_cast<uint64_t>(BigEndianInt48(p + at + 2));
            difference = 0;
            at += 2 + kEscapedValueBytes;
        } else {
            difference += static_cast<uint64_t>(static_cast<int64_t>(static_cast<int16_t>(word)));
            value += difference;
            at += 2;
        }
        values.push_back(static_cast<double>(static_cast<int64_t>(value)));
    }
    return true;
}

bool DecodeDoubles(const uint8_t* p, size_t size, std::vector<double>& values)
{
    if (size % sizeof(double) != 0)
        return false;
    values.reserve(size / sizeof(double));
    for (size_t at = 0; at < size; at += sizeof(double))
        values.push_back(agilent::LittleEndianDouble(p + at));
    return true;
}

bool DecodeBlocks(const uint8_t* p, size_t size, std::vector<double>& values)
{
    uint32_t previous = 0;
    LONG blocks = 0;
    size_t at = 0;
    for (;;) {
        if (size - at < 2)
            return false;  // no end word
        const uint16_t control = BigEndian16(p + at);
        at += 2;
        if ((control >> 12) == 0)
            return true;
        if (++blocks > KSMaxSignalBlocks)
            return false;
        const unsigned count = control & 0x0FFFu;
        for (unsigned i = 0; i < count; ++i) {
            if (size - at < 2)
                return false;
            const uint16_t word = BigEndian16(p + at);
            at += 2;
            if (word == kBlockEscape) {
                if (size - at < 4)
                    return false;
                previous = BigEndian32(p + at);
                at += 4;
            } else {
                previous += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(word)));
            }
            values.push_back(static_cast<double>(static_cast<int32_t>(previous)));
        }
    }
}

// Folder of a file path: the text before its last separator ("/" for a
// file at the root, "." for a bare name).
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool IsSignalFileName(const std::string& name)
{
    return name.size() > 3 && ks::equalNoCaseUtf8(name.substr(name.size() - 3), ".ch");
}

}  // namespace

HRESULT DecodeSignalFile(const uint8_t* data, size_t size, CChromatogram& chromatogram)
{
    if (!data || size < kHeaderSize)
        return E_FAIL;
    const int32_t type = BigEndianInt32(data + kFileType);
    const Encoding encoding = EncodingOf(type);
    const int64_t offset = encoding == Encoding::Doubles
                               ? kDoublesDataOffset
                               : kBlockSize * static_cast<int64_t>(BigEndianInt32(data + kDataBlock)) - kBlockSize;
    if (offset < 0 || static_cast<uint64_t>(offset) > size)
        return E_FAIL;
    // Both times are held in single precision, also where the file stores
    // integers.
    float start;
    float end;
    if (encoding == Encoding::Blocks) {
        start = static_cast<float>(BigEndianInt32(data + kStartTime));
        end = static_cast<float>(BigEndianInt32(data + kEndTime));
    } else {
        start = BigEndianFloat(data + kStartTime);
        end = BigEndianFloat(data + kEndTime);
    }

    std::vector<double> values;
    const uint8_t* first = data + offset;
    const size_t length = size - static_cast<size_t>(offset);
    bool ok;
    try {
        switch (encoding) {
        case Encoding::SecondDifferences:
            ok = DecodeSecondDifferences(first, length, values);
            break;
        case Encoding::Doubles:
            ok = DecodeDoubles(first, length, values);
            break;
        default:
            ok = DecodeBlocks(first, length, values);
            break;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!ok)
        return E_FAIL;

    const LONG n = static_cast<LONG>(values.size());
    if (!chromatogram.SetSize(n))
        return E_FAIL;
    const double step = n > 1 ? (static_cast<double>(end) - static_cast<double>(start)) / (n - 1) : 0.0;
    for (LONG i = 0; i < n; ++i) {
        chromatogram.SetTime(i, (static_cast<double>(start) + i * step) / kMsPerMinute);
        chromatogram.SetIntensity(i, values[static_cast<size_t>(i)]);
    }
    return S_OK;
}

HRESULT CChTraceList::Build(const std::wstring& path)
{
    if (path.empty())
        return S_OK;
    std::string folder = FileSystemPath(path);
    struct stat status;
    if (::stat(folder.c_str(), &status) == 0 && !S_ISDIR(status.st_mode))
        folder = FolderOf(folder);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    m_strDirectory = folder;
    for (const std::string& name : ks::listFolderNoCase(folder)) {
        if (!IsSignalFileName(name) || ks::isFolder(folder + name))
            continue;
        ChTraceEntry entry;
        entry.strFileName = name;
        entry.strName = ks::wideFromFileName(name.substr(0, name.size() - 3));
        m_Entries.push_back(std::move(entry));
    }
    return S_OK;
}

void CChTraceList::Clear()
{
    m_strDirectory.clear();
    m_Entries.clear();
}

std::wstring CChTraceList::Name(int index) const
{
    if (index < 0 || index >= Count())
        return std::wstring();
    return m_Entries[static_cast<size_t>(index)].strName;
}

HRESULT CChTraceList::Load(int index, CChromatogram& chromatogram)
{
    if (index < 0 || index >= Count())
        return E_INVALIDARG;
    ChTraceEntry& entry = m_Entries[static_cast<size_t>(index)];
    HRESULT hr = S_OK;
    if (!entry.bLoaded) {
        try {
            std::vector<uint8_t> bytes;
            const agilent::ReadFileResult read =
                agilent::ReadWholeFile(m_strDirectory + entry.strFileName, KSMaxSignalFileBytes, bytes);
            hr = read == agilent::ReadFileResult::Ok ? DecodeSignalFile(bytes.data(), bytes.size(), entry.chromatogram)
                                                     : E_FAIL;
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        entry.bLoaded = SUCCEEDED(hr);
    }
    chromatogram = entry.chromatogram;
    return hr;
}

HRESULT CChTraceList::Load(int injection, int index, CChromatogram& chromatogram)
{
    if (injection != 0)
        return E_INVALIDARG;
    try {
        return Load(index, chromatogram);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
