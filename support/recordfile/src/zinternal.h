// Module-internal declarations of Zentar32: the error number, the block
// allocator, file helpers, and the index and memo operations that have no
// exported entry.
#pragma once

#include "zentar32.h"

#include <cstddef>
#include <cstdint>

namespace zentar {

// The module-wide detail number; every failure sets it, success leaves it.
extern int g_errno;
inline int fail(int detail, int code)
{
    g_errno = detail;
    return code;
}

// Block allocator: zero-filled blocks, tracked in a table of live blocks.
void* zAlloc(size_t n);
void* zAllocArray(size_t n, size_t m);
void zFree(void* p);
size_t zLiveBlocks();
// Frees one zAlloc block when it goes out of scope.
struct ZBlockRelease {
    uint8_t* p;
    ~ZBlockRelease() { zFree(p); }
};
// Test hook: after `okCount` further successful allocations every
// allocation fails; a negative count switches the hook off.
void zFailAllocAfter(int okCount);

// Descriptor helpers: whole reads and writes, retrying short transfers.
bool zSeek(int fd, int64_t offset);
int64_t zRead(int fd, void* buf, size_t n);   // bytes read (short at EOF), -1 on error
bool zWrite(int fd, const void* buf, size_t n);
// Positioned forms for the record window (one call instead of seek + I/O).
int64_t zPread(int fd, void* buf, size_t n, int64_t offset);
bool zPwrite(int fd, const void* buf, size_t n, int64_t offset);
int64_t zFileSize(int fd);
// Which file a descriptor reaches: handles of one file share nothing else,
// so a write through one tells the others by this identity.
struct FileId {
    uint64_t device = 0, inode = 0;
    bool operator==(const FileId& o) const { return device == o.device && inode == o.inode; }
};
bool zFileId(int fd, FileId* id);
// Read system calls made so far (read and pread, retries included).
uint64_t zReadCalls();
void zToday(uint8_t* yearsSince1900, uint8_t* month, uint8_t* day);

inline uint32_t getU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t getU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline void putU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void putU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Record files: reads for the index walk and the flag-byte operations.
int dbGetrEnding(DBHANDLE handle, int32_t recno, char* record, char* deleted);
int dbRecall(DBHANDLE handle, int32_t recno);
int dbDelete(DBHANDLE handle, int32_t recno);
bool dbIsOpen(DBHANDLE handle);
// Size of the record buffer and the records it holds (for tests).
bool dbWindowInfo(DBHANDLE handle, uint16_t* bufferSize, uint16_t* recordsPerBuffer);

// Key text <-> 8-byte key value (type letter C, N or D).
int keyTextToValue(const char* text, char type, unsigned char value[8]);
int keyValueToText(const unsigned char value[8], int decimals, char type, char* text);
// Julian day number to "19yymmdd"; 1 when outside 1900-1999.
int julianToDateText(int32_t julian, char* text);

// Key index files.
int ndxCreate(const char* path, const char* expression, int keyLength, char type);
int ndxOpen(const char* path, DBHANDLE* out);
int ndxClose(DBHANDLE index);
int ndxFirst(DBHANDLE index);
int ndxLast(DBHANDLE index);
int ndxNext(DBHANDLE index, char* key, int32_t* record);
int ndxPrevious(DBHANDLE index, char* key, int32_t* record);
int ndxCurrent(DBHANDLE index, char* key, int32_t* record);
int ndxInsert(DBHANDLE index, const char* key, int32_t record);
int ndxDelete(DBHANDLE index, const char* key, int32_t record);
int ndxKeyInfo(DBHANDLE index, char* type, char* expression, int32_t* expressionLength,
               char* keyLength);
// Node cache of each open index: the memory of at most this many 512-byte
// nodes, its bookkeeping included (a power of two; below 4 there is none).
// Nodes are kept compact, so more of them fit. The limit applies to
// indexes opened from then on; it returns the previous one.
constexpr uint32_t kNodeCacheDefault = 32768;   // 16 MiB
uint32_t ndxSetCacheLimit(uint32_t nodes);
struct NdxCacheStats {
    uint64_t hits = 0, misses = 0, evictions = 0;
};
// Budget in nodes and counts of an open index's cache.
bool ndxCacheInfo(DBHANDLE index, uint32_t* nodes, NdxCacheStats* stats);
// Depth of the tree (levels from root to leaf); 0 when it cannot be read.
int ndxDepth(DBHANDLE index);
int ndxNextRecord(DBHANDLE file, DBHANDLE index, char* record, char* deleted, int32_t* recno);
int ndxPreviousRecord(DBHANDLE file, DBHANDLE index, char* record, char* deleted, int32_t* recno);
int ndxReadByKey(DBHANDLE file, DBHANDLE index, const char* key, char* record, char* deleted);
int ndxPutByKey(DBHANDLE file, DBHANDLE index, const char* key, const char* record);

// Memo files.
int memoCreate(const char* path);
int memoOpen(const char* path, DBHANDLE* out);
int memoClose(DBHANDLE memo);
int memoWrite(DBHANDLE memo, const char* text, char* field);
int memoRead(DBHANDLE memo, const char* field, char* text);

// Longest memo text the reader returns; the writer stores no more.
constexpr int kMemoMaxText = 4999;

}  // namespace zentar
