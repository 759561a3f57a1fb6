#include <gtest/gtest.h>

#include <ostream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "coadd.h"
#include "kssort.h"
#include "kstest.h"

namespace {

constexpr int kD = static_cast<int>(sizeof(double));

TEST(SortArrays, CountZeroOrOneLeavesArrays)
{
    double key[2] = {3, 1};
    double other[2] = {30, 10};
    ksSortArrays(KSSortDouble, 1, 0, 2, kD, static_cast<void*>(key), kD, static_cast<void*>(other));
    ksSortArrays(KSSortDouble, 1, 1, 2, kD, static_cast<void*>(key), kD, static_cast<void*>(other));
    EXPECT_EQ(key[0], 3);
    EXPECT_EQ(other[1], 10);
}

struct Direction {
    int ascending;
    std::vector<double> key;
    std::vector<double> other;
};

void PrintTo(const Direction& c, std::ostream* os)
{
    *os << (c.ascending ? "ascending" : "descending");
}

class SortDirection : public ::testing::TestWithParam<Direction> {};

TEST_P(SortDirection, SecondArrayFollowsKey)
{
    double key[3] = {3, 1, 2};
    double other[3] = {30, 10, 20};
    ksSortArrays(KSSortDouble, GetParam().ascending, 3, 2, kD, static_cast<void*>(key), kD,
                 static_cast<void*>(other));
    EXPECT_EQ(std::vector<double>(key, key + 3), GetParam().key);
    EXPECT_EQ(std::vector<double>(other, other + 3), GetParam().other);
}

INSTANTIATE_TEST_SUITE_P(Table, SortDirection,
                         ::testing::Values(Direction{1, {1, 2, 3}, {10, 20, 30}},
                                           Direction{0, {3, 2, 1}, {30, 20, 10}}));

TEST(SortArrays, NullArrayIsSkipped)
{
    double key[3] = {3, 1, 2};
    uint8_t flags[3] = {3, 1, 2};
    int16_t notes[3] = {-3, -1, -2};
    ksSortArrays(KSSortDouble, 1, 3, 4, kD, static_cast<void*>(key), kD, static_cast<void*>(nullptr), 1,
                 static_cast<void*>(flags), 2, static_cast<void*>(notes));
    EXPECT_EQ(std::vector<double>(key, key + 3), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(std::vector<uint8_t>(flags, flags + 3), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::vector<int16_t>(notes, notes + 3), (std::vector<int16_t>{-1, -2, -3}));
}

// Sorting 1000 elements uses stack index arrays, 1001 heap ones: both give
// the order of an independent sort.
class SortSizes : public ::testing::TestWithParam<int> {};

TEST_P(SortSizes, MatchesReferenceOrder)
{
    const int n = GetParam();
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> dist(0, 1000);
    std::vector<double> key(static_cast<size_t>(n));
    for (double& k : key)
        k = dist(rng);
    std::vector<int32_t> tag(key.size());
    std::iota(tag.begin(), tag.end(), 0);
    std::vector<void*> objects(key.size());
    for (size_t i = 0; i < objects.size(); ++i)
        objects[i] = &key[i];  // pointer-sized elements
    const std::vector<double> original = key;

    std::vector<size_t> order(key.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return original[a] > original[b]; });

    ksSortArrays(KSSortDouble, 0, n, 3, kD, static_cast<void*>(key.data()), 4, static_cast<void*>(tag.data()),
                 static_cast<int>(sizeof(void*)), static_cast<void*>(objects.data()));
    for (size_t i = 0; i < key.size(); ++i) {
        ASSERT_EQ(key[i], original[order[i]]);
        ASSERT_EQ(tag[i], static_cast<int32_t>(order[i]));
        ASSERT_EQ(objects[i], static_cast<void*>(&key[order[i]]));
    }
}

INSTANTIATE_TEST_SUITE_P(StackAndHeap, SortSizes, ::testing::Values(2, 1000, 1001, 20000));

// Unordered keys compare equal: the sort must still end, keep every array
// a permutation of itself and keep the rows together.
TEST(SortArrays, NaNKeysKeepRowsTogether)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int n : {7, 1500}) {
        std::vector<double> key(static_cast<size_t>(n));
        std::vector<double> row(key.size());
        for (size_t i = 0; i < key.size(); ++i) {
            key[i] = i % 3 == 0 ? nan : static_cast<double>((i * 7919) % 101);
            row[i] = static_cast<double>(i);
        }
        const std::vector<double> original = key;
        ksSortArrays(KSSortDouble, 1, n, 2, kD, static_cast<void*>(key.data()), kD, static_cast<void*>(row.data()));
        std::vector<double> rows = row;
        std::sort(rows.begin(), rows.end());
        for (size_t i = 0; i < rows.size(); ++i)
            ASSERT_EQ(rows[i], static_cast<double>(i));
        for (size_t i = 0; i < key.size(); ++i) {
            const double was = original[static_cast<size_t>(row[i])];
            if (std::isnan(was))
                ASSERT_TRUE(std::isnan(key[i]));
            else
                ASSERT_EQ(key[i], was);
        }
    }
}

// The child half of the test below: sorts 300,000 keys kept outside the heap
// while heap blocks above 1 MB are refused, so the index array cannot be made.
double g_bigKeys[300000];

TEST(SortArrays, OutOfMemoryChild)
{
    if (!std::getenv("KS_SORT_OOM_CHILD"))
        GTEST_SKIP() << "runs as a child of OutOfMemoryLeavesArrays";
    for (size_t i = 0; i < 300000; ++i)
        g_bigKeys[i] = static_cast<double>(300000 - i);
    ksSortArrays(KSSortDouble, 1, 300000, 1, kD, static_cast<void*>(g_bigKeys));
    std::printf(g_bigKeys[0] == 300000.0 ? "UNCHANGED" : "SORTED");
}

TEST(SortArrays, OutOfMemoryLeavesArrays)
{
#if defined(__SANITIZE_ADDRESS__)
    const ks::test::RunResult r =
        ks::test::run({"/proc/self/exe", "--gtest_filter=SortArrays.OutOfMemoryChild"},
                      {"KS_SORT_OOM_CHILD=1",
                       "ASAN_OPTIONS=detect_leaks=0:max_allocation_size_mb=1:allocator_may_return_null=1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("UNCHANGED"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("ksSortArrays: out of memory\n"), std::string::npos) << r.err;
#else
    GTEST_SKIP() << "needs the sanitizer allocator to refuse large blocks";
#endif
}

TEST(SortArrays, OtherKeyTypes)
{
    int16_t k16[4] = {5, -2, 9, 0};
    uint8_t tag[4] = {0, 1, 2, 3};
    ksSortArrays(KSSortInt16, 1, 4, 2, 2, static_cast<void*>(k16), 1, static_cast<void*>(tag));
    EXPECT_EQ(std::vector<int16_t>(k16, k16 + 4), (std::vector<int16_t>{-2, 0, 5, 9}));
    EXPECT_EQ(std::vector<uint8_t>(tag, tag + 4), (std::vector<uint8_t>{1, 3, 0, 2}));

    uint32_t ku[3] = {0xFFFFFFFFu, 1, 0x80000000u};
    ksSortArrays(KSSortUInt32, 0, 3, 1, 4, static_cast<void*>(ku));
    EXPECT_EQ(ku[0], 0xFFFFFFFFu);
    EXPECT_EQ(ku[2], 1u);

    char text[3][8] = {"pear", "apple", "fig"};
    ksSortArrays(KSSortText, 1, 3, 1, 8, static_cast<void*>(text));
    EXPECT_STREQ(text[0], "apple");
    EXPECT_STREQ(text[2], "pear");
}

TEST(SortArrays, BadArgumentsChangeNothing)
{
    double key[3] = {3, 1, 2};
    ksSortArrays(0, 1, 3, 1, kD, static_cast<void*>(key));   // no such key type
    ksSortArrays(11, 1, 3, 1, kD, static_cast<void*>(key));
    ksSortArrays(KSSortDouble, 1, 3, 1, 16, static_cast<void*>(key));  // element too wide
    ksSortArrays(KSSortDouble, 1, 3, 1, 4, static_cast<void*>(key));   // narrower than a double
    ksSortArrays(KSSortDouble, 1, 3, 1, kD, static_cast<void*>(nullptr));
    ksSortArrays(KSSortDouble, 1, 3, 0);  // no key array at all
    // a skipped null pair still needs a size of 1 to 8
    ksSortArrays(KSSortDouble, 1, 3, 2, kD, static_cast<void*>(key), 0, static_cast<void*>(nullptr));
    ksSortArrays(KSSortDouble, 1, 3, 2, kD, static_cast<void*>(key), 9, static_cast<void*>(nullptr));
    EXPECT_EQ(std::vector<double>(key, key + 3), (std::vector<double>{3, 1, 2}));
}

CMassSpectrum spectrumOf(const std::vector<double>& mz, const std::vector<double>& in)
{
    CMassSpectrum s;
    s.SetSize(static_cast<LONG>(mz.size()), false, false, false);
    std::copy(mz.begin(), mz.end(), s.Masses());
    std::copy(in.begin(), in.end(), s.Intensities());
    s.Invalidate();
    return s;
}

struct OrderCase {
    int order;
    std::vector<double> mz;
    std::vector<double> intensity;
};

void PrintTo(const OrderCase& c, std::ostream* os)
{
    *os << "order " << c.order;
}

class SortSpectrum : public ::testing::TestWithParam<OrderCase> {};

TEST_P(SortSpectrum, OrderCodes)
{
    // m/z 1, 3, 2 with intensities 20, 10, 30.
    CMassSpectrum s = spectrumOf({1, 3, 2}, {20, 10, 30});
    s.EnablePeakFlags(true);
    s.EnableAnnotations(true);
    for (int i = 0; i < 3; ++i) {
        s.PeakFlags()[i] = static_cast<BYTE>(s.Masses()[i]);
        s.Annotations()[i] = static_cast<SHORT>(-s.Masses()[i]);
    }
    ASSERT_TRUE(SortSpectrumByMass(GetParam().order, s));
    EXPECT_EQ(std::vector<double>(s.Masses(), s.Masses() + 3), GetParam().mz);
    EXPECT_EQ(std::vector<double>(s.Intensities(), s.Intensities() + 3), GetParam().intensity);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.PeakFlags()[i], static_cast<BYTE>(s.Masses()[i]));
        EXPECT_EQ(s.Annotations()[i], static_cast<SHORT>(-s.Masses()[i]));
    }
    EXPECT_EQ(s.GetBasePeakMass(), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Table, SortSpectrum,
                         ::testing::Values(OrderCase{0, {1, 2, 3}, {20, 30, 10}},
                                           OrderCase{1, {3, 2, 1}, {10, 30, 20}},
                                           OrderCase{2, {3, 1, 2}, {10, 20, 30}},
                                           OrderCase{3, {2, 1, 3}, {30, 20, 10}}));

TEST(SortSpectrum, PeakObjectsTravelAsPointers)
{
    CMassSpectrum s = spectrumOf({5, 4, 3, 2, 1}, {1, 2, 3, 4, 5});
    s.EnablePeakObjects(true);
    static int tags[5];
    for (int i = 0; i < 5; ++i)
        s.PeakObjects()[i] = &tags[i];
    ASSERT_TRUE(SortSpectrumByMass(0, s));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(s.PeakObjects()[i], &tags[4 - i]);
}

TEST(SortSpectrum, EmptyAndBadOrder)
{
    CMassSpectrum empty;
    EXPECT_TRUE(SortSpectrumByMass(0, empty));
    CMassSpectrum s = spectrumOf({2, 1}, {1, 1});
    EXPECT_FALSE(SortSpectrumByMass(4, s));
    EXPECT_FALSE(SortSpectrumByMass(-1, s));
    EXPECT_EQ(s.Masses()[0], 2.0);
}

}  // namespace
