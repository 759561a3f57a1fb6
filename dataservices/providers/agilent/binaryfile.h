// Byte-level access to the binary files of the Agilent data directories:
// big-endian numbers out of byte buffers, a regular file read at byte
// offsets through a small window (so that reading scan after scan costs one
// system call per window, not one per scan), and whole small files read
// into memory under a size limit.
//
// Every file is opened with ks::openRegularFile: a folder, FIFO or device
// where a file is expected is refused at once and never waited on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace agilent {

inline uint16_t BigEndian16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline int16_t BigEndianInt16(const uint8_t* p)
{
    return static_cast<int16_t>(BigEndian16(p));
}

inline uint32_t BigEndian32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline int32_t BigEndianInt32(const uint8_t* p)
{
    return static_cast<int32_t>(BigEndian32(p));
}

inline float BigEndianFloat(const uint8_t* p)
{
    const uint32_t bits = BigEndian32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline double LittleEndianDouble(const uint8_t* p)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Text of a header field: the bytes from `offset` up to the first zero
// byte, never beyond `size`. 8-bit text is Latin-1.
std::wstring HeaderText(const uint8_t* header, size_t size, size_t offset);

// A regular file opened for reading and read at byte offsets. The file
// size is taken when it is opened; no read reaches beyond it.
class CBinaryFile {
public:
    CBinaryFile();
    ~CBinaryFile();
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;

    // False (errno set) when the path is not a regular file that can be
    // opened for reading. Closes what was open first.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int64_t Size() const { return m_size; }

    // True when all `count` bytes at `offset` lie within the file and were
    // read; false for a negative offset, a range past the end or a read
    // error (the file shrank). Small reads are served from the window.
    bool ReadAt(int64_t offset, void* destination, size_t count);

private:
    bool ReadDirect(int64_t offset, void* destination, size_t count);

    int m_fd;
    int64_t m_size;
    std::vector<uint8_t> m_window;
    int64_t m_windowStart;
    size_t m_windowLength;
};

enum class ReadFileResult { Ok, CannotOpen, TooLarge, ReadError };

// The whole file at `path` into `bytes` when it holds at most `maxBytes`
// bytes; `bytes` is left empty otherwise.
ReadFileResult ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

}  // namespace agilent
