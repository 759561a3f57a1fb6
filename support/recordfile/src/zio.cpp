// Low-level file helpers on descriptors.
#include "zinternal.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace zentar {

namespace {
uint64_t g_readCalls = 0;   // read and pread system calls made by the module
}  // namespace

uint64_t zReadCalls() { return g_readCalls; }

bool zSeek(int fd, int64_t offset)
{
    return offset >= 0 && lseek(fd, off_t(offset), SEEK_SET) == off_t(offset);
}

namespace {

// Reads up to n bytes through readAt(dest, count, doneSoFar), retrying on
// EINTR; stops early at end of file. Bytes read, or -1 on error.
template <class ReadAt>
int64_t readFully(void* buf, size_t n, ReadAt readAt)
{
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = readAt(p + done, n - done, done);
        ++g_readCalls;
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

// Writes all n bytes through writeAt(src, count, doneSoFar), retrying on
// EINTR; a write of nothing counts as failure.
template <class WriteAt>
bool writeFully(const void* buf, size_t n, WriteAt writeAt)
{
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ssize_t w = writeAt(p + done, n - done, done);
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

}  // namespace

int64_t zRead(int fd, void* buf, size_t n)
{
    return readFully(buf, n, [fd](char* dest, size_t count, size_t) { return read(fd, dest, count); });
}

int64_t zPread(int fd, void* buf, size_t n, int64_t offset)
{
    return readFully(buf, n, [fd, offset](char* dest, size_t count, size_t done) {
        return pread(fd, dest, count, off_t(offset + int64_t(done)));
    });
}

bool zPwrite(int fd, const void* buf, size_t n, int64_t offset)
{
    return writeFully(buf, n, [fd, offset](const char* src, size_t count, size_t done) {
        return pwrite(fd, src, count, off_t(offset + int64_t(done)));
    });
}

bool zWrite(int fd, const void* buf, size_t n)
{
    return writeFully(buf, n, [fd](const char* src, size_t count, size_t) { return write(fd, src, count); });
}

int64_t zFileSize(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return -1;
    return int64_t(st.st_size);
}

bool zFileId(int fd, FileId* id)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return false;
    id->device = uint64_t(st.st_dev);
    id->inode = uint64_t(st.st_ino);
    return true;
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
