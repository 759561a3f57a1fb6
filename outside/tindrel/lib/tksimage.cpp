#include "tksimage.h"

#include <array>
#include <cstring>

namespace tindrel {

namespace {

const std::array<uint32_t, 256>& crcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void putU32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

uint32_t getU32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Code points a text may hold; surrogates and values beyond Unicode are damage.
bool validCodePoint(uint32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

}  // namespace

uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc)
{
    const auto& table = crcTable();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void ImageWriter::u32(uint32_t v)
{
    unsigned char b[4];
    putU32(b, v);
    m_bytes.insert(m_bytes.end(), b, b + 4);
}

void ImageWriter::f64(double v)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    u32(static_cast<uint32_t>(bits));
    u32(static_cast<uint32_t>(bits >> 32));
}

void ImageWriter::f32(float v)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void ImageWriter::text(const std::wstring& s)
{
    u32(static_cast<uint32_t>(s.size()));
    for (wchar_t c : s)
        u32(validCodePoint(static_cast<uint32_t>(c)) ? static_cast<uint32_t>(c) : 0xFFFDu);
}

void ImageWriter::doubles(const std::vector<double>& values)
{
    u32(static_cast<uint32_t>(values.size()));
    m_bytes.reserve(m_bytes.size() + values.size() * 8);
    for (double v : values)
        f64(v);
}

void ImageWriter::bytes(const std::vector<unsigned char>& data)
{
    u32(static_cast<uint32_t>(data.size()));
    m_bytes.insert(m_bytes.end(), data.begin(), data.end());
}

std::vector<unsigned char> ImageWriter::image(const char magic[4], uint32_t version) const
{
    std::vector<unsigned char> out(kImageOverhead + m_bytes.size());
    std::memcpy(out.data(), magic, 4);
    putU32(out.data() + 4, version);
    putU32(out.data() + 8, static_cast<uint32_t>(m_bytes.size()));
    if (!m_bytes.empty())
        std::memcpy(out.data() + kImageHeaderSize, m_bytes.data(), m_bytes.size());
    const size_t body = kImageHeaderSize + m_bytes.size();
    putU32(out.data() + body, crc32(out.data(), body));
    return out;
}

bool ImageReader::u8(uint8_t& v)
{
    if (!m_ok || m_end - m_p < 1)
        return fail();
    v = *m_p++;
    return true;
}

bool ImageReader::u32(uint32_t& v)
{
    if (!m_ok || m_end - m_p < 4)
        return fail();
    v = getU32(m_p);
    m_p += 4;
    return true;
}

bool ImageReader::i32(int32_t& v)
{
    uint32_t u = 0;
    if (!u32(u))
        return false;
    v = static_cast<int32_t>(u);
    return true;
}

bool ImageReader::f64(double& v)
{
    uint32_t lo = 0, hi = 0;
    if (!u32(lo) || !u32(hi))
        return false;
    const uint64_t bits = uint64_t(lo) | uint64_t(hi) << 32;
    std::memcpy(&v, &bits, sizeof v);
    return true;
}

bool ImageReader::f32(float& v)
{
    uint32_t bits = 0;
    if (!u32(bits))
        return false;
    std::memcpy(&v, &bits, sizeof v);
    return true;
}

bool ImageReader::boolean(bool& v)
{
    uint8_t b = 0;
    if (!u8(b) || b > 1)
        return fail();
    v = b == 1;
    return true;
}

bool ImageReader::count(uint32_t& n, size_t elementSize, uint32_t limit)
{
    if (!u32(n))
        return false;
    if (n > limit || (elementSize != 0 && n > remaining() / elementSize))
        return fail();
    return true;
}

bool ImageReader::text(std::wstring& s)
{
    uint32_t n = 0;
    if (!count(n, 4))
        return false;
    std::wstring out;
    out.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t c = 0;
        if (!u32(c) || !validCodePoint(c))
            return fail();
        out.push_back(static_cast<wchar_t>(c));
    }
    s.swap(out);
    return true;
}

bool ImageReader::doubles(std::vector<double>& values)
{
    uint32_t n = 0;
    if (!count(n, 8))
        return false;
    std::vector<double> out(n);
    for (uint32_t i = 0; i < n; ++i)
        f64(out[i]);
    if (!m_ok)
        return false;
    values.swap(out);
    return true;
}

bool ImageReader::bytes(std::vector<unsigned char>& data)
{
    uint32_t n = 0;
    if (!count(n, 1))
        return false;
    data.assign(m_p, m_p + n);
    m_p += n;
    return true;
}

bool openImage(const unsigned char* data, size_t size, const char magic[4], uint32_t newestVersion,
               uint32_t& version, const unsigned char*& payload, size_t& payloadSize)
{
    if (!data || size < kImageOverhead)
        return false;
    if (std::memcmp(data, magic, 4) != 0)
        return false;
    version = getU32(data + 4);
    if (version == 0 || version > newestVersion)
        return false;
    const uint32_t length = getU32(data + 8);
    if (length != size - kImageOverhead)
        return false;
    const size_t body = kImageHeaderSize + length;
    if (getU32(data + body) != crc32(data, body))
        return false;
    payload = data + kImageHeaderSize;
    payloadSize = length;
    return true;
}

bool copyImage(const std::vector<unsigned char>& image, unsigned char* buffer, size_t size)
{
    if (!buffer || size < image.size())
        return false;
    std::memcpy(buffer, image.data(), image.size());
    return true;
}

}  // namespace tindrel
