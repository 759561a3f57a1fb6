// Allocation failures surface as the detail numbers of their users, and
// nothing stays allocated after a failure.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

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
