// Low-level file helpers on descriptors.
#include "zinternal.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace zentar {

bool zSeek(int fd, int64_t offset)
{
    return offset >= 0 && lseek(fd, off_t(offset), SEEK_SET) == off_t(offset);
}

int64_t zRead(int fd, void* buf, size_t n)
{
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = read(fd, p + done, n - done);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        done += size_t(r);
    }
    return int64_t(done);
}

int64_t zPread(int fd, void* buf, size_t n, int64_t offset)
{
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = pread(fd, p + done, n - done, off_t(offset + int64_t(done)));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        done += size_t(r);
    }
    return int64_t(done);
}

bool zPwrite(int fd, const void* buf, size_t n, int64_t offset)
{
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ssize_t w = pwrite(fd, p + done, n - done, off_t(offset + int64_t(done)));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0)
            return false;
        done += size_t(w);
    }
    return true;
}

bool zWrite(int fd, const void* buf, size_t n)
{
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ssize_t w = write(fd, p + done, n - done);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0)
            return false;
        done += size_t(w);
    }
    return true;
}

int64_t zFileSize(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return -1;
    return int64_t(st.st_size);
}

void zToday(uint8_t* year, uint8_t* month, uint8_t* day)
{
    time_t now = time(nullptr);
    struct tm t;
    gmtime_r(&now, &t);
    // Years since 1900 in one byte, as the header has always held them.
    *year = uint8_t(t.tm_year);
    *month = uint8_t(t.tm_mon + 1);
    *day = uint8_t(t.tm_mday);
}

}  // namespace zentar
