// The node cache of an open index: whatever its size, every answer and
// every byte of the closed file are those of an index without a cache (the
// format is unchanged); changed nodes reach the file when they leave the
// cache or the index closes; a write through another handle of the file is
// read anew, and changes another handle holds are written before it reads.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace zt;
using namespace zentar;

namespace {

constexpr int kKeyLen = 20;   // 18 entries per node: several levels from a few thousand keys

// Opens indexes with the given cache limit while it lives.
struct CacheLimit {
    uint32_t old;
    explicit CacheLimit(uint32_t nodes) : old(ndxSetCacheLimit(nodes)) {}
    ~CacheLimit() { ndxSetCacheLimit(old); }
};

DBHANDLE openWithCache(const std::string& p, uint32_t nodes)
{
    CacheLimit limit(nodes);
    DBHANDLE h = nullptr;
    EXPECT_EQ(ndxOpen(p.c_str(), &h), 0) << dBerrno();
    return h;
}

std::string key(uint32_t v)
{
    char t[16];
    std::snprintf(t, sizeof t, "K%06u", v);
    return pad(t, kKeyLen);
}

// One answer of an operation, for comparing two indexes.
struct Answer {
    int rc;
    int detail;
    std::string key;
    int32_t record;
    bool operator==(const Answer& o) const
    {
        return rc == o.rc && detail == o.detail && key == o.key && record == o.record;
    }
};

std::ostream& operator<<(std::ostream& os, const Answer& a)
{
    return os << "rc " << a.rc << " detail " << a.detail << " key '" << a.key << "' record " << a.record;
}

// Applies operation `op` with `v` to an index; what it answered.
Answer apply(DBHANDLE h, int op, uint32_t v, int32_t rec)
{
    Answer a{0, 0, std::string(kKeyLen, '\0'), 0};
    const std::string k = key(v);
    switch (op) {
    case 0: case 1: case 2: a.rc = ndxInsert(h, k.c_str(), rec); break;
    case 3: a.rc = ndxDelete(h, k.c_str(), rec); break;
    case 4: a.rc = dBtkey(h, k.c_str(), &a.record); break;
    case 5: a.rc = ndxNext(h, &a.key[0], &a.record); break;
    case 6: a.rc = ndxPrevious(h, &a.key[0], &a.record); break;
    case 7: a.rc = ndxFirst(h); break;
    default: a.rc = ndxLast(h); break;
    }
    a.detail = a.rc ? dBerrno() : 0;
    return a;
}

// Where two files first differ (their common length when one is a start
// of the other): the offset, for a message short enough to read.
size_t firstDifference(const std::string& a, const std::string& b)
{
    return size_t(std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first - a.begin());
}

// A new index at p of 3000 keys inserted in a shuffled order, closed; no
// cache.
void writeShuffled(const std::string& p)
{
    ASSERT_EQ(ndxCreate(p.c_str(), "K", kKeyLen, 'C'), 0);
    DBHANDLE h = openWithCache(p, 0);
    for (uint32_t v = 0; v < 3000; ++v)
        ASSERT_EQ(ndxInsert(h, key(v * 7919 % 3000).c_str(), int32_t(v + 1)), 0);
    ASSERT_EQ(ndxClose(h), 0);
}

}  // namespace

// The same operations on two files, one index without a cache, one with a
// cache of 8 nodes (it gives way all the time) or a large one. Every 1000
// operations both indexes are closed (the cache writes what it holds), the
// files compared and both opened again.
TEST(NodeCache, AnswersAndFileBytesAsWithoutACache)
{
    for (uint32_t nodes : {8u, 4096u}) {
        std::string plainPath = path("plain.ndx"), cachedPath = path("cached.ndx");
        ASSERT_EQ(ndxCreate(plainPath.c_str(), "K", kKeyLen, 'C'), 0);
        ASSERT_EQ(ndxCreate(cachedPath.c_str(), "K", kKeyLen, 'C'), 0);
        DBHANDLE plain = openWithCache(plainPath, 0);
        DBHANDLE cached = openWithCache(cachedPath, nodes);
        std::mt19937 rng(nodes);
        uint32_t capacity = 0;
        NdxCacheStats stats, total;
        for (int step = 1; step <= 6000; ++step) {
            const int op = int(rng() % 9);
            const uint32_t v = rng() % 1500;
            const int32_t rec = 1 + int32_t(rng() % 5);
            const Answer want = apply(plain, op, v, rec);
            ASSERT_EQ(apply(cached, op, v, rec), want) << "cache " << nodes << " step " << step << " op " << op;
            if (step % 1000 == 0 && step < 6000) {
                ASSERT_TRUE(ndxCacheInfo(cached, &capacity, &stats));
                total.hits += stats.hits;
                total.misses += stats.misses;
                total.evictions += stats.evictions;
                ASSERT_EQ(ndxClose(plain), 0);
                ASSERT_EQ(ndxClose(cached), 0);
                ASSERT_EQ(bytes(cachedPath), bytes(plainPath)) << "cache " << nodes << " step " << step;
                plain = openWithCache(plainPath, 0);
                cached = openWithCache(cachedPath, nodes);
            }
        }
        ASSERT_GE(ndxDepth(cached), 3);
        ASSERT_TRUE(ndxCacheInfo(cached, &capacity, &stats));
        stats.hits += total.hits;
        stats.misses += total.misses;
        stats.evictions += total.evictions;
        EXPECT_LE(capacity, nodes);
        if (nodes == 8) {
            EXPECT_EQ(capacity, 8u);
            EXPECT_GT(stats.evictions, 1000u);
        } else {
            EXPECT_GE(capacity, 256u) << "grown with the index";
            EXPECT_GT(stats.hits, 10 * stats.misses);
        }
        ASSERT_TRUE(ndxCacheInfo(plain, &capacity, &stats));
        EXPECT_EQ(capacity, 0u);
        EXPECT_EQ(ndxClose(plain), 0);
        EXPECT_EQ(ndxClose(cached), 0);
        EXPECT_EQ(bytes(cachedPath), bytes(plainPath)) << "after closing";
    }
}

// A reader holds nodes of the index in its cache; a writer on the same file
// changes one and closes. The reader reads that node anew, as it would
// without a cache; only its own path (as ever) keeps the nodes it holds.
TEST(NodeCache, WritesThroughAnotherHandleAreReadAnew)
{
    for (uint32_t nodes : {0u, 4096u}) {
        std::string p = path("shared.ndx");
        ASSERT_EQ(ndxCreate(p.c_str(), "K", kKeyLen, 'C'), 0);
        {
            DBHANDLE h = openWithCache(p, nodes);
            for (uint32_t v = 100; v < 3100; ++v)
                ASSERT_EQ(ndxInsert(h, key(v).c_str(), int32_t(v)), 0);
            ASSERT_EQ(ndxClose(h), 0);
        }
        DBHANDLE reader = openWithCache(p, nodes);
        int32_t rec = 0;
        for (uint32_t v = 100; v < 3100; ++v)
            ASSERT_EQ(dBtkey(reader, key(v).c_str(), &rec), 0);
        // The path now ends at the last leaf; the first leaf is cached only.
        DBHANDLE writer = openWithCache(p, nodes);
        ASSERT_EQ(ndxInsert(writer, key(150).c_str(), 99999), 0);
        ASSERT_EQ(ndxDelete(writer, key(101).c_str(), 101), 0);
        ASSERT_EQ(ndxClose(writer), 0);

        EXPECT_EQ(dBtkey(reader, key(101).c_str(), &rec), 8) << "cache " << nodes;
        EXPECT_EQ(rec, 102);
        std::string k(kKeyLen, '\0');
        ASSERT_EQ(ndxFirst(reader), 0);
        std::vector<int32_t> firstRecords;
        for (int i = 0; i < 52 && ndxNext(reader, &k[0], &rec) == 0; ++i)
            firstRecords.push_back(rec);
        ASSERT_EQ(firstRecords.size(), 52u);
        EXPECT_EQ(firstRecords[0], 100);
        EXPECT_EQ(firstRecords[1], 102) << "101 is gone";
        EXPECT_EQ(firstRecords[49], 150);
        EXPECT_EQ(firstRecords[50], 99999) << "the writer's pair follows";
        EXPECT_EQ(ndxClose(reader), 0);
    }
}

// Changed nodes wait in the cache: a new index of 3000 keys leaves its
// file as created until it closes, with a cache that holds it all; one of
// 8 nodes writes the nodes that give way. Closed, both files are those of
// an index without a cache.
TEST(NodeCache, ChangedNodesReachTheFileWhenTheyLeaveOrAtClosing)
{
    std::string plainPath = path("plain.ndx");
    ASSERT_NO_FATAL_FAILURE(writeShuffled(plainPath));
    const std::string want = bytes(plainPath);
    ASSERT_GT(want.size(), 100u * 512);

    for (uint32_t nodes : {8u, kNodeCacheDefault}) {
        std::string p = path("cached.ndx");
        ASSERT_EQ(ndxCreate(p.c_str(), "K", kKeyLen, 'C'), 0);
        const std::string created = bytes(p);
        DBHANDLE h = openWithCache(p, nodes);
        for (uint32_t v = 0; v < 3000; ++v)
            ASSERT_EQ(ndxInsert(h, key(v * 7919 % 3000).c_str(), int32_t(v + 1)), 0);
        if (nodes == 8) {
            EXPECT_GT(bytes(p).size(), want.size() / 2) << "nodes that gave way were written";
        } else {
            EXPECT_TRUE(bytes(p) == created) << "nothing written before closing";
        }
        ASSERT_EQ(ndxClose(h), 0);
        const std::string got = bytes(p);
        EXPECT_TRUE(got == want) << "cache " << nodes << ": " << got.size() << " bytes, "
                                 << firstDifference(got, want) << " first differs";
    }
}

// A writer holds changes in its cache (the index stays open); a reader of
// the same file, opened before or after them, reads what the writer's
// path has handed on, as it would have read it from the file before.
TEST(NodeCache, ChangesAnotherHandleHoldsAreWrittenBeforeReading)
{
    std::string p = path("held.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "K", kKeyLen, 'C'), 0);
    {
        DBHANDLE h = openWithCache(p, 0);
        for (uint32_t v = 100; v < 3100; ++v)
            ASSERT_EQ(ndxInsert(h, key(v).c_str(), int32_t(v)), 0);
        ASSERT_EQ(ndxClose(h), 0);
    }
    DBHANDLE early = openWithCache(p, kNodeCacheDefault);
    int32_t rec = 0;
    ASSERT_EQ(dBtkey(early, key(101).c_str(), &rec), 0);
    ASSERT_EQ(dBtkey(early, key(2000).c_str(), &rec), 0);
    ASSERT_EQ(dBtkey(early, key(3000).c_str(), &rec), 0);

    DBHANDLE writer = openWithCache(p, kNodeCacheDefault);
    ASSERT_EQ(ndxDelete(writer, key(101).c_str(), 101), 0);
    ASSERT_EQ(ndxDelete(writer, key(2000).c_str(), 2000), 0);
    ASSERT_EQ(dBtkey(writer, key(3000).c_str(), &rec), 0);   // its path moves on
    const std::string before = bytes(p);

    DBHANDLE late = openWithCache(p, kNodeCacheDefault);
    for (DBHANDLE reader : {early, late}) {
        EXPECT_EQ(dBtkey(reader, key(101).c_str(), &rec), 8);
        EXPECT_EQ(rec, 102);
        EXPECT_EQ(dBtkey(reader, key(2000).c_str(), &rec), 8);
        EXPECT_EQ(rec, 2001);
    }
    EXPECT_FALSE(bytes(p) == before) << "the writer's changes were written for the readers";
    EXPECT_EQ(ndxClose(late), 0);
    EXPECT_EQ(ndxClose(early), 0);
    EXPECT_EQ(ndxClose(writer), 0);
}

// While the cache has room, a miss reads the 4 KiB around its node: a walk
// of a fresh handle over every leaf takes an eighth of the reads; without
// a cache every node is read on its own.
TEST(NodeCache, AMissReadsItsNeighboursWhileThereIsRoom)
{
    std::string p = path("walk.ndx");
    ASSERT_NO_FATAL_FAILURE(writeShuffled(p));
    const uint64_t blocks = bytes(p).size() / 512 - 1;
    for (uint32_t nodes : {0u, kNodeCacheDefault}) {
        DBHANDLE h = openWithCache(p, nodes);
        const uint64_t before = zReadCalls();
        std::string k(kKeyLen, '\0');
        int32_t rec = 0;
        int walked = 0;
        while (ndxNext(h, &k[0], &rec) == 0)
            ++walked;
        const uint64_t reads = zReadCalls() - before;
        EXPECT_EQ(walked, 3000);
        if (nodes == 0)
            EXPECT_GE(reads, blocks) << "one read per node";
        else
            EXPECT_LE(reads, blocks / 8 + 2) << "one read per 8 blocks";
        EXPECT_EQ(ndxClose(h), 0);
    }
}
