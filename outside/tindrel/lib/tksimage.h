// The byte images of the library's value and state objects.
//
//   offset 0   magic, 4 ASCII bytes naming the object kind
//          4   version (u32)
//          8   payload length N (u32)
//         12   payload, N bytes
//     12 + N   CRC-32 (IEEE, as zlib computes it) of bytes 0 .. 12 + N - 1 (u32)
//
// Numbers are little-endian whatever the machine: integers as two's
// complement, doubles as their IEEE 754 bits. A text is a u32 count of
// characters, then one u32 code point each. An array is a u32 count, then
// its elements.
//
// Reading checks everything before it believes it: the size against the
// header, the magic, the version (a newer one is refused), the length
// against the bytes given (exactly: trailing bytes are damage too), the
// checksum, and every count against the bytes that remain, so nothing is
// ever allocated by a count that the data cannot hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tindrel {

constexpr size_t kImageHeaderSize = 12;
constexpr size_t kImageOverhead = 16;  // header and checksum

uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc = 0);

class ImageWriter {
public:
    void u8(uint8_t v) { m_bytes.push_back(v); }
    void u32(uint32_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f64(double v);
    void f32(float v);
    void boolean(bool v) { u8(v ? 1 : 0); }
    void text(const std::wstring& s);
    void doubles(const std::vector<double>& values);
    void bytes(const std::vector<unsigned char>& data);

    const std::vector<unsigned char>& payload() const { return m_bytes; }
    // The whole image around the payload written so far.
    std::vector<unsigned char> image(const char magic[4], uint32_t version) const;

private:
    std::vector<unsigned char> m_bytes;
};

class ImageReader {
public:
    ImageReader(const unsigned char* data, size_t size) : m_p(data), m_end(data + size) {}

    // Each read answers false (and every later read too) when the bytes run
    // out or a value is impossible; the outputs are then unspecified.
    bool u8(uint8_t& v);
    bool u32(uint32_t& v);
    bool i32(int32_t& v);
    bool f64(double& v);
    bool f32(float& v);
    // A byte that must be 0 or 1.
    bool boolean(bool& v);
    // A count of elements of `elementSize` bytes that the remaining bytes
    // can hold, and at most `limit`.
    bool count(uint32_t& n, size_t elementSize, uint32_t limit = 0xFFFFFFFFu);
    bool text(std::wstring& s);
    bool doubles(std::vector<double>& values);
    bool bytes(std::vector<unsigned char>& data);

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_ok && m_p == m_end; }
    size_t remaining() const { return static_cast<size_t>(m_end - m_p); }

private:
    bool fail()
    {
        m_ok = false;
        return false;
    }

    const unsigned char* m_p;
    const unsigned char* m_end;
    bool m_ok = true;
};

// An object's own image inside another's payload: a u32 count and the
// bytes; read back with the object's deserialize, which checks them all.
template <class T>
void writeNested(ImageWriter& w, const T& value)
{
    std::vector<unsigned char> bytes(value.getSerializedSize());
    value.serialize(bytes.data(), bytes.size());
    w.bytes(bytes);
}

template <class T>
bool readNested(ImageReader& r, T& value)
{
    std::vector<unsigned char> bytes;
    return r.bytes(bytes) && value.deserialize(bytes.data(), bytes.size());
}

// Checks the frame of an image (size, magic, version not above
// `newestVersion`, exact length, checksum) and answers its payload.
bool openImage(const unsigned char* data, size_t size, const char magic[4], uint32_t newestVersion,
               uint32_t& version, const unsigned char*& payload, size_t& payloadSize);

// Copies an image into a caller's buffer of `size` bytes: false (nothing
// written) when it does not fit or there is no buffer.
bool copyImage(const std::vector<unsigned char>& image, unsigned char* buffer, size_t size);

}  // namespace tindrel
