#include "binaryfile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ksfiles.h"

namespace agilent {

namespace {

// Large enough that reading a whole file scan by scan takes a handful of
// system calls, small enough to stay in the cache.
constexpr size_t kWindowSize = 64 * 1024;

// pread until count bytes are read; false on an error or an early end.
bool ReadFully(int fd, int64_t offset, uint8_t* destination, size_t count)
{
    while (count > 0) {
        const ssize_t got = ::pread(fd, destination, count, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return false;
        destination += got;
        offset += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

std::wstring HeaderText(const uint8_t* header, size_t size, size_t offset)
{
    std::wstring text;
    for (size_t i = offset; i < size && header[i] != 0; ++i)
        text += static_cast<wchar_t>(header[i]);
    return text;
}

CBinaryFile::CBinaryFile() : m_fd(-1), m_size(0), m_windowStart(0), m_windowLength(0) {}

CBinaryFile::~CBinaryFile()
{
    Close();
}

bool CBinaryFile::Open(const std::string& path)
{
    Close();
    const int fd = ks::openRegularFile(path);
    if (fd < 0)
        return false;
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    // Scans are read in file order; let the system read ahead.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_fd = fd;
    m_size = static_cast<int64_t>(status.st_size);
    return true;
}

void CBinaryFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    m_windowStart = 0;
    m_windowLength = 0;
}

bool CBinaryFile::ReadDirect(int64_t offset, void* destination, size_t count)
{
    return ReadFully(m_fd, offset, static_cast<uint8_t*>(destination), count);
}

bool CBinaryFile::ReadAt(int64_t offset, void* destination, size_t count)
{
    if (m_fd < 0 || offset < 0 || offset > m_size || static_cast<uint64_t>(m_size - offset) < count)
        return false;
    if (count == 0)
        return true;
    const int64_t windowEnd = m_windowStart + static_cast<int64_t>(m_windowLength);
    if (offset >= m_windowStart && offset + static_cast<int64_t>(count) <= windowEnd) {
        std::memcpy(destination, m_window.data() + (offset - m_windowStart), count);
        return true;
    }
    if (count >= kWindowSize)
        return ReadDirect(offset, destination, count);
    if (m_window.size() != kWindowSize)
        m_window.resize(kWindowSize);
    const size_t length = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kWindowSize), m_size - offset));
    m_windowLength = 0;
    if (!ReadFully(m_fd, offset, m_window.data(), length))
        return false;
    m_windowStart = offset;
    m_windowLength = length;
    std::memcpy(destination, m_window.data(), count);
    return true;
}

ReadFileResult ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    const int fd = ks::openRegularFile(path);
    if (fd < 0)
        return ReadFileResult::CannotOpen;
    struct stat status;
    ReadFileResult result = ReadFileResult::Ok;
    if (::fstat(fd, &status) != 0) {
        result = ReadFileResult::CannotOpen;
    } else if (status.st_size < 0 || static_cast<uint64_t>(status.st_size) > maxBytes) {
        result = ReadFileResult::TooLarge;
    } else {
        bytes.resize(static_cast<size_t>(status.st_size));
        if (!ReadFully(fd, 0, bytes.data(), bytes.size())) {
            bytes.clear();
            result = ReadFileResult::ReadError;
        }
    }
    ::close(fd);
    return result;
}

}  // namespace agilent
