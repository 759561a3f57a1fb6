// Record files: format, the table of open files with their record buffer
// window, and record and field access.
#include "ksfiles.h"
#include "zinternal.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zentar {
namespace {

constexpr int kSlots = 10;
constexpr size_t kHeaderWork = 8264;   // 32 + 255 descriptors + terminator, with room
constexpr size_t kMoveBlock = 8192;
// Read-ahead along a run of consecutive windows: the first refill reads
// this much, each further one twice the last, up to the maximum.
constexpr size_t kAheadFirst = size_t(64) << 10;
constexpr size_t kAheadMax = size_t(1) << 20;

enum State : uint8_t { Free = 0, Idle = 1, Append = 2, Insert = 4, Update = 8, Remove = 16 };

struct DbSlot {
    int fd = -1;
    uint8_t state = Free;
    uint32_t count = 0;          // records in the file, after every write-back
    bool modified = false;
    uint16_t recLen = 0;
    uint16_t bufSize = 0;
    uint8_t* buf = nullptr;
    uint16_t perBuf = 0;
    uint32_t first = 0;          // first record of the window, 1-based; 0 when empty
    uint16_t inWindow = 0;
    uint8_t month = 0, day = 0, year = 0;
    uint8_t fieldCount = 0;
    FieldDesc* fields = nullptr;
    uint16_t headerLen = 0;
    FileId file;                 // shared by every handle of the same file
    // Read-ahead: while windows follow one another (forward, or backward
    // for an index walk), they are copied from one larger read held here.
    // It holds only bytes as they are in the file: every write-back to the
    // file drops it in every handle of the file before writing.
    uint8_t* ahead = nullptr;
    size_t aheadCap = 0;         // bytes allocated
    int64_t aheadAt = 0;         // file offset of ahead[0]
    size_t aheadLen = 0;         // bytes held; 0 when nothing is
    size_t aheadSpan = 0;        // bytes asked by the last refill; 0 outside a run
    int64_t lastLo = -1, lastHi = -1;   // byte range of the last window read
};

DbSlot g_slots[kSlots];

DbSlot* slotOf(DBHANDLE h)
{
    for (auto& s : g_slots)
        if (h == &s && s.state != Free)
            return &s;
    return nullptr;
}

uint16_t bufferSizeFor(uint32_t dataLen)
{
    if (dataLen <= 64) return 512;
    if (dataLen <= 128) return 1024;
    if (dataLen <= 256) return 2048;
    if (dataLen <= 512) return 4096;
    if (dataLen <= 1024) return 8192;
    return 65535;
}

int64_t recordOffset(const DbSlot* s, uint32_t recno)
{
    return int64_t(s->headerLen) + int64_t(s->recLen) * (int64_t(recno) - 1);
}

int64_t countedSize(const DbSlot* s)
{
    int64_t n = s->count;
    if (s->state == Append || s->state == Insert)
        n += s->inWindow;
    else if (s->state == Remove)
        n -= s->inWindow;
    return n;
}

void releaseBuffer(DbSlot* s)
{
    zFree(s->buf);
    s->buf = nullptr;
    s->first = 0;
    s->inWindow = 0;
    s->state = Idle;
}

bool allocBuffer(DbSlot* s)
{
    if (s->buf)
        return true;
    s->buf = static_cast<uint8_t*>(zAlloc(s->bufSize));
    if (!s->buf) {
        g_errno = 3301;
        return false;
    }
    return true;
}

// The file is about to change: what any handle of it read ahead may be
// out of date. Windows stay as they are: they are the library's own copy.
void fileChanging(const DbSlot* writer)
{
    for (auto& s : g_slots)
        if (s.state != Free && s.file == writer->file)
            s.aheadLen = 0;
}

// A read-ahead block of at least `need` bytes; false when there is no memory
// for it (the records are then read window by window, as without one).
bool holdAhead(DbSlot* s, size_t need)
{
    if (s->ahead && s->aheadCap >= need)
        return true;
    zFree(s->ahead);
    s->aheadLen = 0;
    s->ahead = static_cast<uint8_t*>(zAlloc(need));
    s->aheadCap = s->ahead ? need : 0;
    return s->ahead != nullptr;
}

// Reads `bytes` of whole records at `off` into the window buffer: from the
// read-ahead when it holds them, else by refilling it when this window
// continues the last one (right after it, or right before it), else with
// one read of the window alone. Bytes read (short at the end of the file),
// or -1.
int64_t readRecords(DbSlot* s, int64_t off, size_t bytes)
{
    const int64_t end = off + int64_t(bytes);
    const bool forward = off == s->lastHi;
    const bool backward = end == s->lastLo;
    s->lastLo = off;
    s->lastHi = end;
    if (s->aheadLen > 0 && off >= s->aheadAt && end <= s->aheadAt + int64_t(s->aheadLen)) {
        std::memcpy(s->buf, s->ahead + (off - s->aheadAt), bytes);
        return int64_t(bytes);
    }
    if (!forward && !backward) {
        s->aheadSpan = 0;   // a jump: no run to read ahead for
        return zPread(s->fd, s->buf, bytes, off);
    }
    const size_t span = s->aheadSpan ? std::min(2 * s->aheadSpan, kAheadMax) : kAheadFirst;
    const int64_t recLen = s->recLen;
    const int64_t records = std::max(int64_t(span) / recLen, int64_t(bytes) / recLen);
    int64_t lo, hi;
    if (forward) {
        lo = off;
        hi = std::max(end, std::min(off + records * recLen, recordOffset(s, s->count + 1)));
    } else {
        hi = end;
        lo = hi - std::min(records, (hi - s->headerLen) / recLen) * recLen;
    }
    if (!holdAhead(s, size_t(hi - lo))) {
        s->aheadSpan = 0;
        return zPread(s->fd, s->buf, bytes, off);
    }
    const int64_t got = zPread(s->fd, s->ahead, size_t(hi - lo), lo);
    if (got < 0) {
        s->aheadLen = 0;
        return -1;
    }
    s->aheadAt = lo;
    s->aheadLen = size_t(got);
    s->aheadSpan = span;
    const int64_t have = std::min(int64_t(bytes), lo + got - off);
    if (have <= 0)
        return 0;
    std::memcpy(s->buf, s->ahead + (off - lo), size_t(have));
    return have;
}

// Moves [start, start + len) forward by dist bytes, last chunk first.
int moveTailForward(int fd, int64_t start, int64_t len, int64_t dist)
{
    auto* blk = static_cast<uint8_t*>(zAlloc(kMoveBlock));
    if (!blk)
        return fail(1210, 1);
    int rc = 0;
    int64_t pos = start + len;
    while (pos > start && rc == 0) {
        size_t chunk = size_t(pos - start < int64_t(kMoveBlock) ? pos - start : int64_t(kMoveBlock));
        pos -= int64_t(chunk);
        if (!zSeek(fd, pos))
            rc = fail(1211, 1);
        else if (zRead(fd, blk, chunk) != int64_t(chunk))
            rc = fail(1212, 1);
        else if (!zSeek(fd, pos + dist))
            rc = fail(1213, 1);
        else if (!zWrite(fd, blk, chunk))
            rc = fail(1214, 4);
    }
    if (rc == 0 && !zSeek(fd, start))
        rc = fail(1216, 1);
    zFree(blk);
    return rc;
}

// Moves [start, start + len) back by dist bytes, first chunk first.
int moveTailBack(int fd, int64_t start, int64_t len, int64_t dist)
{
    auto* blk = static_cast<uint8_t*>(zAlloc(kMoveBlock));
    if (!blk)
        return fail(1220, 1);
    int rc = 0;
    int64_t pos = start;
    while (pos < start + len && rc == 0) {
        size_t chunk = size_t(start + len - pos < int64_t(kMoveBlock) ? start + len - pos
                                                                      : int64_t(kMoveBlock));
        if (!zSeek(fd, pos))
            rc = fail(1221, 1);
        else if (zRead(fd, blk, chunk) != int64_t(chunk))
            rc = fail(1222, 1);
        else if (!zSeek(fd, pos - dist))
            rc = fail(1223, 1);
        else if (!zWrite(fd, blk, chunk))
            rc = fail(1224, 4);
        pos += int64_t(chunk);
    }
    if (rc == 0 && !zSeek(fd, start - dist))
        rc = fail(1226, 1);
    zFree(blk);
    return rc;
}

// The tail of the file from `start`: the records up to the record count and
// the end-of-file byte, cut to what the file really holds.
int64_t tailLength(const DbSlot* s, int64_t start)
{
    int64_t len = recordOffset(s, s->count + 1) + 1 - start;
    int64_t size = zFileSize(s->fd);
    if (size >= 0 && start + len > size)
        len = size - start;
    return len < 0 ? 0 : len;
}

// Writes the pending window back. 0, or 1/4 with the detail set; a failure
// drops the pending records and releases the buffer.
int writeBack(DbSlot* s)
{
    if (s->state == Idle || s->state == Free || s->inWindow == 0 || !s->buf)
        return 0;
    fileChanging(s);
    const int64_t pending = s->inWindow;
    const int64_t bytes = pending * s->recLen;
    int rc = 0;
    switch (s->state) {
    case Append:
        if (recordOffset(s, s->count + 1) < 0) {
            rc = fail(1201, 1);
            break;
        }
        s->buf[bytes] = 0x1A;
        if (!zPwrite(s->fd, s->buf, size_t(bytes + 1), recordOffset(s, s->count + 1))) {
            rc = fail(1206, 4);
            break;
        }
        s->count += uint32_t(pending);
        break;
    case Insert: {
        if (!zSeek(s->fd, s->headerLen)) {
            rc = fail(1202, 1);
            break;
        }
        int64_t start = recordOffset(s, s->first);
        rc = moveTailForward(s->fd, start, tailLength(s, start), bytes);
        if (rc != 0)
            break;
        if (!zSeek(s->fd, start)) {
            rc = fail(1202, 1);
            break;
        }
        if (!zWrite(s->fd, s->buf, size_t(bytes))) {
            rc = fail(1206, 4);
            break;
        }
        s->count += uint32_t(pending);
        break;
    }
    case Update:
        if (recordOffset(s, s->first) < 0) {
            rc = fail(1203, 1);
            break;
        }
        if (!zPwrite(s->fd, s->buf, size_t(bytes), recordOffset(s, s->first))) {
            rc = fail(1206, 4);
            break;
        }
        break;
    case Remove: {
        if (!zSeek(s->fd, s->headerLen)) {
            rc = fail(1204, 1);
            break;
        }
        int64_t start = recordOffset(s, s->first + uint32_t(pending));
        rc = moveTailBack(s->fd, start, tailLength(s, start), bytes);
        if (rc != 0)
            break;
        s->count -= uint32_t(pending);
        break;
    }
    default:
        break;
    }
    if (rc != 0) {
        releaseBuffer(s);
        return rc;
    }
    s->first = 0;
    s->inWindow = 0;
    s->state = Idle;
    s->modified = true;
    return 0;
}

// Reads a window starting at `start`; detail 402/403 on failure (buffer
// released). The window never reaches past the record count.
int readWindow(DbSlot* s, uint32_t start)
{
    if (recordOffset(s, start) < 0) {
        releaseBuffer(s);
        return fail(402, 1);
    }
    uint32_t want = s->perBuf;
    if (s->count - start + 1 < want)
        want = s->count - start + 1;
    int64_t got = readRecords(s, recordOffset(s, start), size_t(want) * s->recLen);
    if (got < s->recLen) {
        releaseBuffer(s);
        return fail(403, 1);
    }
    s->first = start;
    s->inWindow = uint16_t(got / s->recLen);
    s->state = Idle;
    return 0;
}

bool windowHolds(const DbSlot* s, int64_t n)
{
    return s->buf && s->state != Remove && s->inWindow > 0 && s->first <= n &&
           n < int64_t(s->first) + s->inWindow;
}

int getRecord(DBHANDLE h, int32_t n, char* record, char* deleted, bool ending)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return fail(390, 1);
    if (!record || !deleted)
        return fail(391, 1);
    if (n < 1 || n > countedSize(s))
        return fail(401, 3);
    if (s->state == Remove && s->inWindow > 0 && writeBack(s) != 0)
        return 4;
    if (!windowHolds(s, n)) {
        if (writeBack(s) != 0)
            return 4;
        s->state = Idle;
        if (!allocBuffer(s))
            return 1;
        uint32_t start = uint32_t(n);
        if (ending)
            start = uint32_t(n) > s->perBuf ? uint32_t(n) - s->perBuf + 1 : 1;
        if (readWindow(s, start) != 0)
            return 1;
        if (!windowHolds(s, n)) {
            releaseBuffer(s);
            return fail(403, 1);
        }
    }
    const uint8_t* r = s->buf + size_t(n - s->first) * s->recLen;
    std::memcpy(record, r + 1, s->recLen - 1u);
    *deleted = r[0] != ' ' ? 1 : 0;
    return 0;
}

// The update path: replaces the field bytes (when given) and sets the flag.
int updateRecord(DBHANDLE h, int32_t n, const char* record, uint8_t flag)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return fail(390, 1);
    if (n < 1 || n > countedSize(s))
        return fail(701, 3);
    if (!s->buf) {
        if (!allocBuffer(s))
            return 1;
        if (readWindow(s, uint32_t(n)) != 0)
            return fail(702, 1);
        s->state = Update;
    } else if (windowHolds(s, n)) {
        if (s->state == Idle || s->state == Update)
            s->state = Update;
    } else {
        bool afterRemoval = s->state == Remove && s->inWindow > 0;
        if (writeBack(s) != 0)
            return 4;
        if (!allocBuffer(s))
            return 1;
        if (readWindow(s, uint32_t(n)) != 0)
            return fail(afterRemoval ? 704 : 703, 1);
        s->state = Update;
    }
    if (!windowHolds(s, n)) {
        releaseBuffer(s);
        return fail(703, 1);
    }
    uint8_t* r = s->buf + size_t(n - s->first) * s->recLen;
    r[0] = flag;
    if (record)
        std::memcpy(r + 1, record, s->recLen - 1u);
    return 0;
}

void freeSlot(DbSlot* s)
{
    zFree(s->ahead);
    zFree(s->buf);
    zFree(s->fields);
    *s = DbSlot();
}

}  // namespace

bool dbIsOpen(DBHANDLE h) { return slotOf(h) != nullptr; }

bool dbWindowInfo(DBHANDLE h, uint16_t* bufferSize, uint16_t* recordsPerBuffer)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return false;
    *bufferSize = s->bufSize;
    *recordsPerBuffer = s->perBuf;
    return true;
}

int dbGetrEnding(DBHANDLE h, int32_t n, char* record, char* deleted)
{
    return getRecord(h, n, record, deleted, true);
}

int dbRecall(DBHANDLE h, int32_t n) { return updateRecord(h, n, nullptr, ' '); }
int dbDelete(DBHANDLE h, int32_t n) { return updateRecord(h, n, nullptr, '*'); }

}  // namespace zentar

using namespace zentar;

extern "C" ZENTAR_EXPORT int dBcreat(const char* path, int fieldCount, FieldDesc* fields)
{
    if (!path)
        return fail(391, 1);
    auto* hdr = static_cast<uint8_t*>(zAlloc(kHeaderWork));
    if (!hdr)
        return fail(3301, 1);
    ZBlockRelease guard{hdr};
    zToday(&hdr[1], &hdr[2], &hdr[3]);

    const unsigned n = unsigned(fieldCount) & 0xFFu;
    if (n == 0)
        return fail(101, 1);
    if (!fields)
        return fail(391, 1);
    bool memo = false;
    uint32_t sum = 0;
    for (unsigned i = 0; i < n; ++i) {
        uint8_t* d = hdr + 32 + 32 * i;
        std::memset(d, 0, 32);
        const FieldDesc& f = fields[i];
        size_t nameLen = strnlen(f.name, sizeof f.name);
        if (nameLen > 10)
            return fail(103, 1);
        std::memcpy(d, f.name, nameLen);
        char type = char(std::toupper(static_cast<unsigned char>(f.type)));
        unsigned len = f.length;
        switch (type) {
        case 'C': case 'N': break;
        case 'D': len = 8; break;
        case 'L': len = 1; break;
        case 'M': len = 10; memo = true; break;
        default: return fail(104, 1);
        }
        if (len == 0 || len == 255)
            return fail(105, 1);
        sum += len;
        if (sum > 0x8000)
            return fail(106, 1);
        d[11] = uint8_t(type);
        d[16] = uint8_t(len);
        if (type == 'N')
            d[17] = f.decimals;
    }
    hdr[0] = memo ? 0x83 : 0x03;
    uint8_t* end = hdr + 32 + 32 * n;
    end[0] = 0x0D;
    end[1] = 0x00;
    end[2] = 0x1A;
    const uint16_t headerLen = uint16_t(34 + 32 * n);
    putU16(hdr + 8, headerLen);
    putU16(hdr + 10, uint16_t(sum + 1));

    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return fail(107, 1);
    bool ok = zWrite(fd, hdr, size_t(headerLen) + 1);
    close(fd);
    return ok ? 0 : fail(108, 4);
}

extern "C" ZENTAR_EXPORT int dBopen(const char* path, DBHANDLE* out)
{
    if (!path || !out)
        return fail(391, 1);
    DbSlot* s = nullptr;
    for (auto& slot : g_slots)
        if (slot.state == Free) {
            s = &slot;
            break;
        }
    if (!s)
        return fail(201, 1);
    s->state = Idle;
    s->fd = ks::openRegularFile(path, O_RDWR);
    if (s->fd < 0) {
        freeSlot(s);
        return fail(202, 1);
    }
    zFileId(s->fd, &s->file);
    auto bail = [s](int detail, int code) {
        close(s->fd);
        freeSlot(s);
        return fail(detail, code);
    };

    auto* hdr = static_cast<uint8_t*>(zAlloc(kHeaderWork));
    if (!hdr)
        return bail(3301, 1);
    int64_t got = zRead(s->fd, hdr, kHeaderWork);
    auto bailWork = [&](int detail, int code) {
        zFree(hdr);
        return bail(detail, code);
    };
    if (got < 66)
        return bailWork(203, 1);
    if (hdr[0] != 0x03 && hdr[0] != 0x83)
        return bailWork(204, 2);
    s->count = getU32(hdr + 4);
    s->year = hdr[1];
    s->month = hdr[2];
    s->day = hdr[3];
    s->modified = false;

    // Descriptors run from offset 32 until one starts with 0x0D.
    unsigned n = 0;
    bool ended = false;
    while (32 + 32 * int64_t(n) < got) {
        if (hdr[32 + 32 * n] == 0x0D) {
            ended = true;
            break;
        }
        if (n == 255)
            break;
        ++n;
    }
    if (!ended)
        return bailWork(208, 2);
    s->fieldCount = uint8_t(n);
    if (n > 0) {
        s->fields = static_cast<FieldDesc*>(zAllocArray(n, sizeof(FieldDesc)));
        if (!s->fields)
            return bailWork(3401, 1);
    }
    uint32_t sum = 0;
    for (unsigned i = 0; i < n; ++i) {
        const uint8_t* d = hdr + 32 + 32 * i;
        FieldDesc& f = s->fields[i];
        std::memcpy(f.name, d, 10);
        f.name[10] = '\0';
        f.type = char(d[11]);
        f.length = d[16];
        f.decimals = d[17];
        sum += f.length;
    }
    const uint16_t recLen = getU16(hdr + 10);
    if (recLen != sum + 1)
        return bailWork(205, 2);
    s->recLen = recLen;
    s->headerLen = getU16(hdr + 8);
    zFree(hdr);

    // Refuse headers that point outside the file before any record is read.
    if (s->headerLen < 33 + 32 * n)
        return bail(207, 2);
    int64_t size = zFileSize(s->fd);
    if (size < 0 || size < s->headerLen)
        return bail(208, 2);
    if (s->count > uint32_t(INT32_MAX - 1) ||
        int64_t(s->headerLen) + int64_t(s->recLen) * s->count > size)
        return bail(206, 2);

    s->bufSize = bufferSizeFor(s->recLen - 1u);
    s->perBuf = uint16_t((s->bufSize - 1u) / s->recLen);
    s->buf = static_cast<uint8_t*>(zAlloc(s->bufSize));
    if (!s->buf)
        return bail(3301, 1);
    s->first = 0;
    s->inWindow = 0;
    s->state = Idle;
    *out = s;
    return 0;
}

extern "C" ZENTAR_EXPORT int dBclose(DBHANDLE h)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return fail(390, 1);
    int rc = 0;
    int detail = 0;
    auto note = [&](int d, int code) {
        if (rc == 0) {
            rc = code;
            detail = d;
        }
    };
    if (s->state != Idle && s->inWindow > 0) {
        int wb = writeBack(s);
        if (wb != 0)
            note(g_errno, 4);
    }
    if (s->modified) {
        if (!zSeek(s->fd, 1)) {
            note(301, 1);
        } else {
            uint8_t head[7];
            zToday(&head[0], &head[1], &head[2]);
            putU32(head + 3, s->count);
            if (!zWrite(s->fd, head, sizeof head))
                note(302, 4);
        }
    }
    if (close(s->fd) != 0)
        note(303, 1);
    freeSlot(s);
    if (rc != 0)
        g_errno = detail;
    return rc;
}

extern "C" ZENTAR_EXPORT int dBgetr(DBHANDLE h, int32_t n, char* record, char* deleted)
{
    return getRecord(h, n, record, deleted, false);
}

extern "C" ZENTAR_EXPORT int dBputr(DBHANDLE h, int32_t n, const char* record)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return fail(390, 1);
    if (!record)
        return fail(391, 1);
    if (n < 1 || n > countedSize(s) + 1)
        return fail(501, 3);
    if (!s->buf) {
        if (!allocBuffer(s))
            return 1;
        s->first = uint32_t(n);
        s->inWindow = 0;
    } else if (s->state == Idle) {
        s->first = uint32_t(n);
        s->inWindow = 0;
    } else if (s->state == Append || s->state == Insert) {
        if (int64_t(n) != int64_t(s->first) + s->inWindow) {
            if (writeBack(s) != 0)
                return 4;
            s->first = uint32_t(n);
            s->inWindow = 0;
        }
    } else {
        if (writeBack(s) != 0)
            return 4;
        s->first = uint32_t(n);
        s->inWindow = 0;
    }
    uint8_t* r = s->buf + size_t(s->inWindow) * s->recLen;
    r[0] = ' ';
    std::memcpy(r + 1, record, s->recLen - 1u);
    s->state = (s->first == s->count + 1) ? Append : Insert;
    ++s->inWindow;
    if (s->inWindow >= s->perBuf && writeBack(s) != 0)
        return 4;
    return 0;
}

extern "C" ZENTAR_EXPORT int dBupdr(DBHANDLE h, int32_t n, const char* record)
{
    if (!record)
        return slotOf(h) ? fail(391, 1) : fail(390, 1);
    return updateRecord(h, n, record, ' ');
}

extern "C" ZENTAR_EXPORT int dBrmvr(DBHANDLE h, int32_t n)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return fail(390, 1);
    if (n < 1 || n > countedSize(s))
        return fail(601, 3);
    if (writeBack(s) != 0)
        return 4;
    if (!allocBuffer(s))
        return 1;
    s->state = Remove;
    s->first = uint32_t(n);
    s->inWindow = 1;
    if (writeBack(s) != 0)
        return 4;
    s->state = Idle;
    return 0;
}

extern "C" ZENTAR_EXPORT int dBsize(DBHANDLE h, int32_t* count)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return fail(390, 1);
    if (!count)
        return fail(391, 1);
    *count = int32_t(countedSize(s));
    return 0;
}

extern "C" ZENTAR_EXPORT int dBgetf(DBHANDLE h, int16_t* dataLength, char* month, char* day,
                                    char* year, char* fieldCount, FieldDesc* fields)
{
    DbSlot* s = slotOf(h);
    if (!s)
        return fail(390, 1);
    if (!dataLength || !month || !day || !year || !fieldCount || (!fields && s->fieldCount))
        return fail(391, 1);
    *dataLength = int16_t(s->recLen - 1);
    *month = char(s->month);
    *day = char(s->day);
    *year = char(s->year);
    *fieldCount = char(s->fieldCount);
    if (s->fieldCount)
        std::memcpy(fields, s->fields, sizeof(FieldDesc) * s->fieldCount);
    return 0;
}

extern "C" ZENTAR_EXPORT int dBfldtoa(const char* field, int length, char* text)
{
    if (!field || !text || length <= 0)
        return 1;
    while (length > 0 && *field == ' ') {
        ++field;
        --length;
    }
    if (length <= 0)
        return 1;
    std::memcpy(text, field, size_t(length));
    text[length] = '\0';
    return 0;
}

extern "C" ZENTAR_EXPORT void dBstrcpy(char* field, char justification, int length, const char* text)
{
    if (!field || length <= 0)
        return;
    std::memset(field, ' ', size_t(length));
    if (!text)
        return;
    size_t tl = std::strlen(text);
    size_t len = size_t(length);
    if (justification == 'r' || justification == 'R') {
        if (tl >= len)
            std::memcpy(field, text + (tl - len), len);
        else
            std::memcpy(field + (len - tl), text, tl);
    } else {
        std::memcpy(field, text, tl < len ? tl : len);
    }
}

extern "C" ZENTAR_EXPORT int dBatofld(const char* text, int width, int decimals, char* field)
{
    if (!text || !field || width <= 0 || decimals < 0 || (decimals > 0 && width < decimals + 2))
        return 1;
    constexpr int kLook = 64;
    int i = 0;
    while (i < kLook && text[i] == ' ')
        ++i;
    if (i >= kLook || text[i] == '\0')
        return 1;

    bool plus = false, minus = false, point = false, anyDigit = false, nonZero = false;
    char intPart[kLook + 2];
    int intLen = 0;
    char decPart[kLook + 1];
    int decLen = 0;
    for (;; ++i) {
        if (i >= kLook) {
            if (text[i] != '\0')
                return 1;
            break;
        }
        const char c = text[i];
        if (c == '\0')
            break;
        if (c == '+') {
            if (plus || minus || anyDigit || point)
                return 1;
            plus = true;
        } else if (c == '-') {
            if (minus || anyDigit || point)
                return 1;
            minus = true;   // the number's text starts at the sign
            intPart[intLen++] = '-';
        } else if (c == '.') {
            if (point || !anyDigit)
                return 1;
            point = true;
        } else if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (c != '0')
                nonZero = true;
            if (point) {
                decPart[decLen++] = c;
            } else if (minus || intLen > 0 || c != '0') {
                intPart[intLen++] = c;
            }
        } else {
            return 1;   // blanks after the number, tabs and anything else
        }
    }
    if (!nonZero) {
        std::memset(field, ' ', size_t(width));
        if (decimals > 0) {
            char* p = field + width - (decimals + 2);
            p[0] = '0';
            p[1] = '.';
            std::memset(p + 2, '0', size_t(decimals));
        } else {
            field[width - 1] = '0';
        }
        return 0;
    }
    if (intLen == 0)
        intPart[intLen++] = '0';   // only zeros before the point: one is kept
    const int room = width - (decimals > 0 ? decimals + 1 : 0);
    if (intLen > room)
        return 1;
    std::memset(field, ' ', size_t(width));
    std::memcpy(field + room - intLen, intPart, size_t(intLen));
    if (decimals > 0) {
        char* p = field + room;
        *p++ = '.';
        for (int d = 0; d < decimals; ++d)
            *p++ = d < decLen ? decPart[d] : '0';
    }
    return 0;
}
