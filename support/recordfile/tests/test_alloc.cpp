// Allocation failures surface as the detail numbers of their users, and
// nothing stays allocated after a failure.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

using namespace zt;
using namespace zentar;

namespace {
struct HookOff {
    ~HookOff() { zFailAllocAfter(-1); }
};
}  // namespace

TEST(Allocation, FailuresGiveTheirDetailNumbers)
{
    HookOff off;
    FieldDesc f = field("NAME", 'C', 10);
    std::string p = path("a.dbf");
    const size_t live = zLiveBlocks();

    zFailAllocAfter(0);
    EXPECT_EQ(dBcreat(p.c_str(), 1, &f), 1);
    EXPECT_EQ(dBerrno(), 3301);
    zFailAllocAfter(-1);
    ASSERT_EQ(dBcreat(p.c_str(), 1, &f), 0);

    // dBopen takes the header work block, the field table, then the buffer.
    const int details[] = {3301, 3401, 3301};
    for (int ok = 0; ok < 3; ++ok) {
        DBHANDLE h = nullptr;
        zFailAllocAfter(ok);
        EXPECT_EQ(dBopen(p.c_str(), &h), 1) << ok;
        EXPECT_EQ(dBerrno(), details[ok]) << ok;
        zFailAllocAfter(-1);
        EXPECT_EQ(zLiveBlocks(), live) << "nothing held after failing open " << ok;
    }
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    ASSERT_EQ(dBputr(h, 1, "0123456789"), 0);
    ASSERT_EQ(dBputr(h, 2, "abcdefghij"), 0);
    ASSERT_EQ(dBputr(h, 3, "ABCDEFGHIJ"), 0);
    ASSERT_EQ(dBclose(h), 0);

    // Moving the tail for an insert needs a copy block.
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    ASSERT_EQ(dBputr(h, 1, "inserted  "), 0);
    zFailAllocAfter(0);
    char rec[10];
    char del;
    EXPECT_EQ(dBgetr(h, 4, rec, &del), 4) << "the write-back fails";
    EXPECT_EQ(dBerrno(), 1210);
    zFailAllocAfter(-1);
    int32_t n = 0;
    EXPECT_EQ(dBsize(h, &n), 0);
    EXPECT_EQ(n, 3) << "the pending insert is dropped";
    EXPECT_EQ(dBgetr(h, 3, rec, &del), 0);
    EXPECT_EQ(std::string(rec, 10), "ABCDEFGHIJ");
    zFailAllocAfter(0);
    EXPECT_EQ(dBrmvr(h, 1), 4);
    EXPECT_EQ(dBerrno(), 1220);
    zFailAllocAfter(-1);
    ASSERT_EQ(dBclose(h), 0);
    EXPECT_EQ(zLiveBlocks(), live);
}

TEST(Allocation, TheTableShrinksToNothing)
{
    const size_t live = zLiveBlocks();
    void* a = zAlloc(10);
    void* b = zAllocArray(3, 7);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(zLiveBlocks(), live + 2);
    EXPECT_EQ(static_cast<char*>(b)[20], 0) << "zero-filled";
    int notOurs = 0;
    zFree(&notOurs);   // ignored
    zFree(a);
    zFree(b);
    EXPECT_EQ(zLiveBlocks(), live);
    EXPECT_EQ(zAllocArray(SIZE_MAX / 2, 4), nullptr);
}

// Every allocation of a run of operations failing in turn: each failure is
// reported, nothing is held afterwards, and what was stored stays readable.
TEST(Allocation, IndexSweep)
{
    HookOff off;
    const size_t live = zLiveBlocks();
    std::set<int> details;
    for (int ok = 0; ok < 60; ++ok) {
        std::string p = path("sweep.ndx");
        std::remove(p.c_str());
        zFailAllocAfter(ok);
        int rc = ndxCreate(p.c_str(), "K", 100, 'C');   // four keys per node: many splits
        DBHANDLE h = nullptr;
        if (rc == 0)
            rc = ndxOpen(p.c_str(), &h);
        int inserted = 0;
        for (int i = 0; rc == 0 && i < 40; ++i) {
            rc = ndxInsert(h, pad("K" + std::to_string(1000 + i * 7919 % 1000), 100).c_str(), i + 1);
            if (rc == 0)
                ++inserted;
        }
        if (rc != 0)
            details.insert(dBerrno());
        zFailAllocAfter(-1);
        if (h) {
            // Whatever was inserted before the failure is walked in order.
            std::string prev, key(100, '\0');
            int32_t rec = 0;
            int walked = 0;
            ndxFirst(h);
            while (ndxNext(h, &key[0], &rec) == 0) {
                EXPECT_LE(prev, key);
                prev = key;
                ++walked;
            }
            EXPECT_EQ(walked, inserted) << "failing after " << ok;
            EXPECT_EQ(ndxClose(h), 0);
        }
        EXPECT_EQ(zLiveBlocks(), live) << ok;
    }
    for (int d : {1303, 1403, 2703, 1602, 1609})
        EXPECT_TRUE(details.count(d)) << d;
}

TEST(Allocation, MemoSweep)
{
    HookOff off;
    const size_t live = zLiveBlocks();
    std::string p = path("sweep.dbt");
    ASSERT_EQ(memoCreate(p.c_str()), 0);
    DBHANDLE h = nullptr;
    ASSERT_EQ(memoOpen(p.c_str(), &h), 0);
    char field[11] = {};
    zFailAllocAfter(0);
    EXPECT_EQ(memoWrite(h, "text", field), 1);
    EXPECT_EQ(dBerrno(), 4406);
    zFailAllocAfter(-1);
    ASSERT_EQ(memoWrite(h, "text", field), 0);
    char text[5001];
    zFailAllocAfter(0);
    EXPECT_EQ(memoRead(h, field, text), 1);
    EXPECT_EQ(dBerrno(), 4303);
    zFailAllocAfter(-1);
    EXPECT_EQ(memoRead(h, field, text), 0);
    EXPECT_STREQ(text, "text");
    EXPECT_EQ(memoClose(h), 0);
    EXPECT_EQ(zLiveBlocks(), live);
}

TEST(Allocation, RecordSweep)
{
    HookOff off;
    const size_t live = zLiveBlocks();
    FieldDesc f = field("V", 'C', 100);   // 10 records per window
    for (int ok = 0; ok < 12; ++ok) {
        std::string p = path("sweep.dbf");
        ASSERT_EQ(dBcreat(p.c_str(), 1, &f), 0);
        DBHANDLE h = nullptr;
        ASSERT_EQ(dBopen(p.c_str(), &h), 0);
        std::vector<std::string> model;
        zFailAllocAfter(ok);
        for (int i = 0; i < 30; ++i) {
            std::string r = pad("r" + std::to_string(i), 100);
            int at = i % 3 == 0 ? 1 : int(model.size()) + 1;   // inserts move the tail
            if (dBputr(h, at, r.c_str()) == 0) {
                model.insert(model.begin() + at - 1, r);
            } else {
                break;
            }
        }
        zFailAllocAfter(-1);
        ASSERT_EQ(dBclose(h), 0) << ok;
        EXPECT_EQ(zLiveBlocks(), live) << ok;
        ASSERT_EQ(dBopen(p.c_str(), &h), 0);
        int32_t n = 0;
        ASSERT_EQ(dBsize(h, &n), 0);
        EXPECT_LE(size_t(n), model.size()) << "never more than was put";
        char rec[100];
        char del;
        std::set<std::string> put(model.begin(), model.end());
        for (int i = 1; i <= n; ++i) {
            ASSERT_EQ(dBgetr(h, i, rec, &del), 0);
            EXPECT_TRUE(put.count(std::string(rec, 100))) << "record " << i << " was put";
        }
        ASSERT_EQ(dBclose(h), 0);
    }
}

TEST(RecordWindow, BufferSizeFollowsTheDataLength)
{
    struct Case {
        int dataLength;
        uint16_t bufferSize, perBuffer;
    };
    const Case cases[] = {{1, 512, 255},     {64, 512, 7},      {65, 1024, 15},   {128, 1024, 7},
                          {256, 2048, 7},    {512, 4096, 7},    {1024, 8192, 7},  {1025, 65535, 63},
                          {32768, 65535, 1}};
    for (const auto& c : cases) {
        std::vector<FieldDesc> fs;
        for (int left = c.dataLength; left > 0; left -= 254)
            fs.push_back(field(("F" + std::to_string(fs.size())).c_str(), 'C', left > 254 ? 254 : left));
        std::string p = path("w.dbf");
        ASSERT_EQ(dBcreat(p.c_str(), int(fs.size()), fs.data()), 0);
        DBHANDLE h = nullptr;
        ASSERT_EQ(dBopen(p.c_str(), &h), 0);
        uint16_t size = 0, per = 0;
        ASSERT_TRUE(dbWindowInfo(h, &size, &per));
        EXPECT_EQ(size, c.bufferSize) << c.dataLength;
        EXPECT_EQ(per, c.perBuffer) << c.dataLength;
        EXPECT_EQ(dBclose(h), 0);
    }
}

TEST(RecordWindow, ReadingAWindowThatEndsAtTheRecord)
{
    FieldDesc f = field("V", 'C', 64);   // 7 records per window
    std::string p = path("end.dbf");
    ASSERT_EQ(dBcreat(p.c_str(), 1, &f), 0);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(dBputr(h, i, pad(std::to_string(i), 64).c_str()), 0);
    char rec[64];
    char del;
    for (int n : {20, 13, 3, 1, 7, 8}) {
        ASSERT_EQ(dbGetrEnding(h, n, rec, &del), 0) << n;
        EXPECT_EQ(std::string(rec, 64), pad(std::to_string(n), 64));
        // The records before it come from the same window.
        for (int k = n; k >= 1 && k > n - 7; --k) {
            ASSERT_EQ(dBgetr(h, k, rec, &del), 0);
            EXPECT_EQ(std::string(rec, 64), pad(std::to_string(k), 64));
        }
    }
    EXPECT_EQ(dbGetrEnding(h, 21, rec, &del), 3);
    EXPECT_EQ(dBclose(h), 0);
}
