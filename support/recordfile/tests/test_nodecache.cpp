// The node cache of an open index: whatever its size, every answer and
// every byte of the file after every operation are those of an index
// without a cache (the cache is write-through and the format unchanged),
// and a write through another handle of the file is read anew.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

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

}  // namespace

// The same operations on two files, one index without a cache, one with a
// cache of 8 nodes (two sets: it evicts all the time) or a large one.
TEST(NodeCache, AnswersAndFileBytesAsWithoutACache)
{
    for (uint32_t nodes : {8u, 4096u}) {
        std::string plainPath = path("plain.ndx"), cachedPath = path("cached.ndx");
        ASSERT_EQ(ndxCreate(plainPath.c_str(), "K", kKeyLen, 'C'), 0);
        ASSERT_EQ(ndxCreate(cachedPath.c_str(), "K", kKeyLen, 'C'), 0);
        DBHANDLE plain = openWithCache(plainPath, 0);
        DBHANDLE cached = openWithCache(cachedPath, nodes);
        std::mt19937 rng(nodes);
        for (int step = 1; step <= 6000; ++step) {
            const int op = int(rng() % 9);
            const uint32_t v = rng() % 1500;
            const int32_t rec = 1 + int32_t(rng() % 5);
            const Answer want = apply(plain, op, v, rec);
            ASSERT_EQ(apply(cached, op, v, rec), want) << "cache " << nodes << " step " << step << " op " << op;
            if (step % 250 == 0) {
                ASSERT_EQ(bytes(cachedPath), bytes(plainPath)) << "cache " << nodes << " step " << step;
            }
        }
        ASSERT_GE(ndxDepth(cached), 3);
        uint32_t capacity = 0;
        NdxCacheStats stats;
        ASSERT_TRUE(ndxCacheInfo(cached, &capacity, &stats));
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
