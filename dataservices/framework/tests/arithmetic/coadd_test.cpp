#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "coadd.h"

namespace {

using Points = std::vector<std::pair<double, double>>;  // m/z, intensity

CMassSpectrum spectrumOf(const Points& points, bool centroid)
{
    CMassSpectrum s;
    s.SetCentroid(centroid);
    s.SetSize(static_cast<LONG>(points.size()), false, false, false);
    for (size_t i = 0; i < points.size(); ++i) {
        s.Masses()[i] = points[i].first;
        s.Intensities()[i] = points[i].second;
    }
    s.Invalidate();
    return s;
}

Points pointsOf(const CMassSpectrum& s)
{
    Points p;
    for (LONG i = 0; i < s.GetCount(); ++i)
        p.emplace_back(s.Masses()[i], s.Intensities()[i]);
    return p;
}

double total(const CMassSpectrum& s)
{
    double sum = 0;
    for (LONG i = 0; i < s.GetCount(); ++i)
        sum += s.Intensities()[i];
    return sum;
}

void expectStrictlyAscending(const CMassSpectrum& s)
{
    for (LONG i = 1; i < s.GetCount(); ++i)
        ASSERT_LT(s.Masses()[i - 1], s.Masses()[i]) << "at " << i << " of " << s.GetCount();
}

// ---- centroid path ----

TEST(CoAdd, CentroidIntoProfileDoesNothing)
{
    CMassSpectrum acc = spectrumOf({{100, 1}, {101, 2}}, false);
    const CMassSpectrum src = spectrumOf({{100.5, 3}}, true);
    EXPECT_EQ(CoAddSpectra(true, 0.5, src, acc), 0);
    EXPECT_EQ(pointsOf(acc), (Points{{100, 1}, {101, 2}}));
    EXPECT_FALSE(acc.IsCentroid());
}

struct CentroidCase {
    const char* name;
    bool inDaltons;
    double tolerance;
    Points accumulator;
    Points source;
    Points expected;
};

void PrintTo(const CentroidCase& c, std::ostream* os)
{
    *os << c.name;
}

class CentroidMerge : public ::testing::TestWithParam<CentroidCase> {};

TEST_P(CentroidMerge, Table)
{
    const CentroidCase& c = GetParam();
    CMassSpectrum acc = spectrumOf(c.accumulator, true);
    const CMassSpectrum src = spectrumOf(c.source, true);
    EXPECT_EQ(CoAddSpectra(c.inDaltons, c.tolerance, src, acc), static_cast<LONG>(c.expected.size()));
    const Points got = pointsOf(acc);
    ASSERT_EQ(got.size(), c.expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, c.expected[i].first, 1e-9) << i;
        EXPECT_EQ(got[i].second, c.expected[i].second) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CentroidMerge,
    ::testing::Values(
        CentroidCase{"half of 0.5 Da joins", true, 0.5, {{100.0, 10}}, {{100.2, 30}}, {{100.15, 40}}},
        CentroidCase{"half of 0.3 Da does not", true, 0.3, {{100.0, 10}}, {{100.2, 30}}, {{100.0, 10}, {100.2, 30}}},
        CentroidCase{"10 ppm reaches 500.0025", false, 10, {{500.0, 1}}, {{500.0024, 1}}, {{500.0012, 2}}},
        CentroidCase{"10 ppm stops short of 500.003", false, 10, {{500.0, 1}}, {{500.003, 1}}, {{500.0, 1}, {500.003, 1}}},
        CentroidCase{"zero group disappears", true, 0.5, {{100, 0}, {200, 5}}, {{100.1, 0}}, {{200, 5}}},
        CentroidCase{"negative sum disappears", true, 0.5, {{100, -4}}, {{100.1, 2}}, {}},
        CentroidCase{"equal m/z combine", true, 0.0, {{150, 3}}, {{150, 4}}, {{150, 7}}},
        CentroidCase{"zero point joins without moving the centre", true, 1.0, {{100, 8}, {100.4, 0}}, {{100.2, 8}},
                     {{100.1, 16}}},
        // The limit follows the moving centre: 100.3 joins only after 100.2
        // pulled the centre up.
        CentroidCase{"limit follows the centre", true, 0.5, {{100.0, 1}, {100.3, 1}}, {{100.2, 100}},
                     {{(100.0 + 100.2 * 100 + 100.3) / 102, 102}}},
        CentroidCase{"intensity capped at float max", true, 0.5, {{10, 3e38}}, {{10.1, 3e38}},
                     {{10.05, 3.4028234663852886e+38}}},
        CentroidCase{"empty accumulator takes the source", true, 0.5, {}, {{1, 1}, {5, 2}}, {{1, 1}, {5, 2}}},
        CentroidCase{"interleave", true, 0.01, {{1, 1}, {3, 3}, {5, 5}}, {{2, 2}, {4, 4}, {6, 6}},
                     {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}}),
    [](const ::testing::TestParamInfo<CentroidCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(CoAdd, CentroidResetsScalarFieldsButCentroidAndPolarity)
{
    CMassSpectrum acc = spectrumOf({{100, 1}}, true);
    acc.SetTitle(L"scan 5");
    acc.SetPolarity(FunctionPolarityNegative);
    acc.SetMSOrder(2);
    acc.SetPrecursorMZ(2, 400);
    acc.SetStartRT(1.0);
    acc.SetEndRT(2.0);
    acc.SetFirstScan(5);
    acc.SetLastScan(6);
    acc.SetFunctionType(FunctionTypeMSn);
    acc.SetText2(L"x");
    acc.EnablePeakFlags(true);
    const CMassSpectrum src = spectrumOf({{200, 2}}, true);
    ASSERT_EQ(CoAddSpectra(true, 0.5, src, acc), 2);
    EXPECT_TRUE(acc.IsCentroid());
    EXPECT_EQ(acc.GetPolarity(), FunctionPolarityNegative);
    EXPECT_TRUE(acc.GetTitle().empty());
    EXPECT_EQ(acc.GetMSOrder(), 1);
    EXPECT_EQ(acc.GetPrecursorLevelCount(), 0);
    EXPECT_EQ(acc.GetStartRT(), 0.0);
    EXPECT_EQ(acc.GetLastScan(), 0);
    EXPECT_EQ(acc.GetFunctionType(), FunctionTypeUnknown);
    EXPECT_TRUE(acc.GetText2().empty());
    EXPECT_FALSE(acc.HasPeakFlags());
    EXPECT_EQ(acc.PeakFlags(), nullptr);
    EXPECT_EQ(acc.GetTIC(), 3.0);
}

// Peak objects: heap ints; the merge hook sums them.
int g_released = 0;
void releaseInt(void* p, ULONG_PTR)
{
    ++g_released;
    delete static_cast<int*>(p);
}
void* mergeInts(void* a, void* b, ULONG_PTR)
{
    auto* x = static_cast<int*>(a);
    *x += *static_cast<int*>(b);
    delete static_cast<int*>(b);
    return x;
}

TEST(MergeCentroidPeaks, ObjectsFollowTheirGroups)
{
    g_released = 0;
    CMassSpectrum s = spectrumOf({{100, 1}, {100.1, 1}, {200, 0}, {300, 2}, {300.1, 3}}, true);
    s.SetReleaseHook(releaseInt, 0);
    s.EnablePeakObjects(true);
    s.EnablePeakFlags(true);
    for (int i = 0; i < 5; ++i) {
        s.PeakObjects()[i] = new int(1 << i);
        s.PeakFlags()[i] = static_cast<BYTE>(10 + i);
    }
    s.SetMergeHook(mergeInts, 0);
    ASSERT_EQ(MergeCentroidPeaks(true, 0.5, s), 2);
    EXPECT_EQ(g_released, 1);  // the dropped zero group's object
    EXPECT_EQ(*static_cast<int*>(s.PeakObjects()[0]), 1 + 2);
    EXPECT_EQ(*static_cast<int*>(s.PeakObjects()[1]), 8 + 16);
    EXPECT_EQ(s.PeakFlags()[1], 13);
    EXPECT_NEAR(s.Masses()[1], 300.06, 1e-9);
    s.Clear();
    EXPECT_EQ(g_released, 3);
}

TEST(MergeCentroidPeaks, WithoutMergeHookJoiningObjectsAreReleased)
{
    g_released = 0;
    CMassSpectrum s = spectrumOf({{100, 1}, {100.1, 1}, {100.2, 1}}, true);
    s.SetReleaseHook(releaseInt, 0);
    s.EnablePeakObjects(true);
    for (int i = 0; i < 3; ++i)
        s.PeakObjects()[i] = new int(i);
    ASSERT_EQ(MergeCentroidPeaks(true, 1.0, s), 1);
    EXPECT_EQ(g_released, 2);
    EXPECT_EQ(*static_cast<int*>(s.PeakObjects()[0]), 0);
    s.Clear();
    EXPECT_EQ(g_released, 3);
}

// Random peak lists co-added one after another: the result stays ordered,
// every peak lies more than half the tolerance above the one before, and
// no intensity is lost or made.
TEST(CoAdd, CentroidPropertiesOverManyScans)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(0, 1);
    for (const bool inDaltons : {true, false}) {
        const double tolerance = inDaltons ? 0.2 : 50.0;
        CMassSpectrum acc;
        double expected = 0;
        for (int scan = 0; scan < 30; ++scan) {
            Points p;
            double mz = 100;
            for (int k = 0; k < 300; ++k) {
                mz += 3 * u(rng);
                p.emplace_back(mz, 1 + 100 * u(rng));
                expected += p.back().second;
            }
            ASSERT_GT(CoAddSpectra(inDaltons, tolerance, spectrumOf(p, true), acc), 0);
        }
        for (LONG i = 1; i < acc.GetCount(); ++i) {
            const double prev = acc.Masses()[i - 1];
            const double limit = inDaltons ? prev + tolerance / 2 : prev * (1 + tolerance * 5e-7);
            ASSERT_GT(acc.Masses()[i], limit) << i;
        }
        EXPECT_NEAR(total(acc), expected, 1e-9 * expected);
    }
}

TEST(MergeCentroidPeaks, EmptyOrMissingArraysAnswerZero)
{
    CMassSpectrum empty;
    EXPECT_EQ(MergeCentroidPeaks(true, 1.0, empty), 0);
}

// ---- profile path ----

Points evenProfile(double start, double step, int n, double (*shape)(double))
{
    Points p;
    for (int i = 0; i < n; ++i) {
        const double x = start + step * i;
        p.emplace_back(x, shape(x));
    }
    return p;
}

double flat(double)
{
    return 1.0;
}

TEST(CoAdd, ProfileSpectraOfNinePointsAreNotCombined)
{
    CMassSpectrum acc = spectrumOf(evenProfile(100, 1, 9, flat), false);
    const CMassSpectrum src = spectrumOf(evenProfile(100.5, 1, 9, flat), false);
    const Points before = pointsOf(acc);
    EXPECT_EQ(CoAddSpectra(true, 0.5, src, acc), 9);
    EXPECT_EQ(pointsOf(acc), before);
}

TEST(CoAdd, ProfileAccumulatorTakesDenserSourceAxis)
{
    CMassSpectrum acc = spectrumOf(evenProfile(102, 1, 10, flat), false);
    acc.SetTitle(L"kept");
    const CMassSpectrum src = spectrumOf(evenProfile(100, 0.5, 40, flat), false);
    ASSERT_EQ(CoAddSpectra(true, 0.5, src, acc), 40);
    for (LONG i = 0; i < 40; ++i)
        EXPECT_EQ(acc.Masses()[i], src.Masses()[i]);
    // Each accumulator point sat on a source point: intensity 2 there.
    EXPECT_EQ(acc.Intensities()[4], 2.0);  // 102
    EXPECT_EQ(acc.Intensities()[5], 1.0);  // 102.5
    EXPECT_DOUBLE_EQ(acc.GetTIC(), 50.0);
    EXPECT_EQ(acc.GetTitle(), L"kept");
}

TEST(CoAdd, ProfileIntoItselfDoublesIntensities)
{
    CMassSpectrum acc = spectrumOf(evenProfile(100, 0.25, 12, flat), false);
    ASSERT_EQ(CoAddSpectra(true, 0.5, acc, acc), 12);
    for (LONG i = 0; i < 12; ++i)
        EXPECT_EQ(acc.Intensities()[i], 2.0);
}

TEST(ExtendAndDistribute, SourceBeyondBothEndsExtendsAxisByModel)
{
    // Regular axis, spacing 0.5 and all intensities above 0: the model
    // answers 0.5 everywhere.
    CMassSpectrum acc = spectrumOf(evenProfile(100, 0.5, 20, flat), false);
    const CMassSpectrum src = spectrumOf({{98.75, 4}, {100.25, 2}, {110.0, 3}, {111.25, 8}}, false);
    CProfileMerger merger;
    const LONG n = merger.Merge(src, acc, true);
    EXPECT_FALSE(merger.IsGapped());
    // Below: 99.5, 99, 98.5; above: 110, 110.5, 111, 111.5.
    ASSERT_EQ(n, 27);
    EXPECT_EQ(acc.Masses()[0], 98.5);
    EXPECT_EQ(acc.Masses()[26], 111.5);
    expectStrictlyAscending(acc);
    EXPECT_EQ(acc.Intensities()[0], 2.0);   // 98.5 takes half of 98.75
    EXPECT_EQ(acc.Intensities()[1], 2.0);   // 99
    EXPECT_EQ(acc.Intensities()[3], 2.0);   // 100: 1 + half of 100.25
    EXPECT_EQ(acc.Intensities()[4], 2.0);   // 100.5
    EXPECT_EQ(acc.Intensities()[23], 3.0);  // 110: exactly on the axis
    EXPECT_EQ(acc.Intensities()[25], 4.0);  // 111
    EXPECT_EQ(acc.Intensities()[26], 4.0);  // 111.5
    EXPECT_DOUBLE_EQ(acc.GetTIC(), 20.0 + 17.0);
}

// The distribution puts every positive intensity inside the axis somewhere,
// split by distance between the two neighbours.
TEST(DistributeOntoAxis, ConservesIntensity)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(0, 1);
    for (int round = 0; round < 50; ++round) {
        std::vector<double> axis(200 + round);
        double x = 100;
        for (double& a : axis) {
            x += 0.01 + 0.2 * u(rng);
            a = x;
        }
        std::vector<double> axisI(axis.size(), 0.0);
        std::vector<double> srcM, srcI;
        double sx = 99.5;
        double inside = 0;
        while (sx < axis.back() + 2) {
            sx += 0.3 * u(rng);
            const double v = u(rng) < 0.2 ? 0.0 : 1000 * u(rng) - 100;
            srcM.push_back(sx);
            srcI.push_back(v);
            if (sx >= axis.front() && sx <= axis.back() && v > 0)
                inside += v;
        }
        const LONG consumed = CProfileMerger::DistributeOntoAxis(
            srcM.data(), srcI.data(), static_cast<LONG>(srcM.size()), axis.data(), axisI.data(),
            static_cast<LONG>(axis.size()));
        // Consumption stops at the first point beyond the axis.
        ASSERT_LT(consumed, static_cast<LONG>(srcM.size()));
        EXPECT_GT(srcM[static_cast<size_t>(consumed)], axis.back());
        EXPECT_LE(srcM[static_cast<size_t>(consumed) - 1], axis.back());
        const double got = std::accumulate(axisI.begin(), axisI.end(), 0.0);
        EXPECT_NEAR(got, inside, 1e-9 * inside);
        for (double v : axisI)
            ASSERT_GE(v, 0.0);
    }
}

TEST(DistributeOntoAxis, SplitsLinearly)
{
    const double axis[3] = {10, 11, 13};
    double axisI[3] = {0, 0, 0};
    const double m[4] = {9, 10.25, 12.5, 13};
    const double y[4] = {7, 4, 8, 1};
    EXPECT_EQ(CProfileMerger::DistributeOntoAxis(m, y, 4, axis, axisI, 3), 4);
    EXPECT_EQ(axisI[0], 3.0);
    EXPECT_EQ(axisI[1], 1.0 + 2.0);
    EXPECT_EQ(axisI[2], 6.0 + 1.0);
}

// A gapped accumulator with spacing 1 inside its islands; every island has
// zero edges, so the model answers exactly 1. Each source point below is
// placed to take one rule of the gapped walk; the expected axis was worked
// out by hand, rule by rule.
TEST(MergeOntoGappedAxis, HandWorkedFixture)
{
    const Points island = {{0, 0}, {1, 5}, {2, 5}, {3, 0}};
    Points acc;
    for (double start : {100.0, 105.0, 120.0, 140.0, 160.0, 180.0})
        for (const auto& p : island)
            acc.emplace_back(start + p.first, p.second);
    acc.emplace_back(200, 0);  // a last lone point after a wide gap
    CMassSpectrum accumulator = spectrumOf(acc, false);
    const CMassSpectrum source = spectrumOf({{92.5, 4},    // leading part, then zero-run compaction
                                             {112.25, 8},  // inside the gap: S - 1, S, next source
                                             {113.25, 8},  // at K: steps K + 1 .. K + 4
                                             {113.5, 4},   // before K, not above two back: nothing
                                             {116.5, 4},   // before K, above two back: K + 1, K + 2
                                             {140.5, 4},   // X <= S below the next point: X - 1
                                             {159.5, 4},   // beyond T: shifted steps below T
                                             {164.25, 8},  // close to K: no S - 1; S + 1
                                             {170.25, 8},  // S - 1, S, S + 1
                                             {178.75, 8},  // S + 1 would pass T
                                             {201.5, 4},   // X last: X - 1; then the tail
                                             {209.25, 4}},
                                            false);
    CProfileMerger merger;
    const LONG n = merger.Merge(source, accumulator, true);
    ASSERT_TRUE(merger.IsGapped());
    EXPECT_EQ(merger.Model().SpacingAbove(150), 1.0);
    EXPECT_EQ(merger.Model().SpacingBelow(150), 1.0);

    const Points expected = {
        // leading: 92 .. 99 generated, 94 .. 99 compacted to 94 and 98
        {92, 2}, {93, 2}, {94, 0}, {98, 0}, {100, 0},
        {101, 5}, {102, 5}, {103, 0},
        {104, 0},  // narrow gap
        {105, 0}, {106, 5}, {107, 5}, {108, 0},
        {111.25, 0}, {112.25, 8}, {113.25, 8 + 3}, {114.25, 1}, {115.25, 0}, {116.25, 3}, {117.25, 1},
        {118.25, 0}, {119.25, 0},
        {120, 0}, {121, 5}, {122, 5}, {123, 0},
        {139, 0}, {140, 2}, {141, 5 + 2}, {142, 5}, {143, 0},
        {158, 0}, {159, 2},
        {160, 2}, {161, 5}, {162, 5}, {163, 0},
        {164.25, 8}, {165.25, 0}, {169.25, 0}, {170.25, 8}, {171.25, 0}, {177.75, 0}, {178.75, 8},
        {180, 0}, {181, 5}, {182, 5}, {183, 0},
        {199, 0}, {200, 0},
        // tail: 201 .. 210 generated, 204 .. 206 compacted away
        {201, 2}, {202, 2}, {203, 0}, {207, 0}, {208, 0}, {209, 3}, {210, 1}};
    ASSERT_EQ(n, static_cast<LONG>(expected.size()));
    EXPECT_EQ(pointsOf(accumulator), expected);
    EXPECT_EQ(total(accumulator), 60.0 + 68.0);
}

// The rule of a wide gap whose next accumulator point X the source has
// passed: nothing goes before X when the source point lies beyond the point
// after X; the point then falls behind the written axis and gets two steps
// at the start of the next gap.
TEST(MergeOntoGappedAxis, SourceBeyondPointAfterGap)
{
    Points acc;
    for (double start : {100.0, 120.0, 140.0})
        for (const auto& p : Points{{0, 0}, {1, 5}, {2, 5}, {3, 0}})
            acc.emplace_back(start + p.first, p.second);
    CMassSpectrum accumulator = spectrumOf(acc, false);
    const CMassSpectrum source = spectrumOf({{121.5, 4}}, false);
    CProfileMerger merger;
    merger.Merge(source, accumulator, true);
    ASSERT_TRUE(merger.IsGapped());
    EXPECT_EQ(pointsOf(accumulator), (Points{{100, 0}, {101, 5}, {102, 5}, {103, 0}, {120, 0}, {121, 7}, {122, 7},
                                             {123, 0}, {124, 0}, {125, 0}, {140, 0}, {141, 5}, {142, 5}, {143, 0}}));
}

TEST(CompactZeroRuns, KeepsSignalEdgesAndFourUnitMarkers)
{
    std::vector<double> m = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9.5, 10};
    std::vector<double> y = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    CProfileMerger::CompactZeroRuns(m, y, 0);
    // 1..3 go (next within 4 of 0), 4 stays (5 - 0 > 4), 5 goes, 6 and 8 are
    // the signal's zero neighbours, 9 goes, 9.5 goes, the last stays.
    EXPECT_EQ(m, (std::vector<double>{0, 4, 6, 7, 8, 10}));
    EXPECT_EQ(y, (std::vector<double>{0, 0, 0, 1, 0, 0}));
}

// A source of three points over an accumulator with 200 narrow gaps: the
// walk adds one point per gap, far more than four per source point.
TEST(MergeOntoGappedAxis, SparseSourceOverManyGaps)
{
    Points acc;
    double x = 300;
    for (int island = 0; island < 200; ++island) {
        for (int k = 0; k < 5; ++k) {
            acc.emplace_back(x, 10);
            x += 0.5;
        }
        x += 0.375;  // gap 0.875: 1.75 spacings
    }
    CMassSpectrum accumulator = spectrumOf(acc, false);
    const double last = acc.back().first;
    const CMassSpectrum source = spectrumOf({{300.25, 1}, {(300 + last) / 2, 1}, {last - 0.25, 1}}, false);
    CProfileMerger merger;
    const LONG n = merger.Merge(source, accumulator, true);
    ASSERT_TRUE(merger.IsGapped());
    EXPECT_EQ(n, 1000 + 199);
    EXPECT_GT(n, 1000 + 4 * 3);
    expectStrictlyAscending(accumulator);
    EXPECT_DOUBLE_EQ(total(accumulator), 10000.0 + 3.0);
}

// A source far beyond the accumulator's ends (a point at an absurd m/z)
// would need billions of model steps: the extension stops at the limit and
// the far points join as axis points of their own, an island across an
// empty gap; intensity is conserved and the axis stays ascending.
TEST(CoAddBounds, FarSourcePointsJoinAsTheirOwnIsland)
{
    struct Case {
        const char* what;
        Points acc, src;
    };
    Points regular, far;
    for (int i = 0; i < 20; ++i)
        regular.emplace_back(100 + 0.01 * i, i % 5 == 2 ? 7 : 0);
    Points above = regular;
    above.emplace_back(1e9, 3);
    Points high;
    for (int i = 0; i < 20; ++i)
        high.emplace_back(1e6 + 0.001 * i, i % 5 == 2 ? 7 : 0);
    Points below = {{1.0, 3}, {2.0, 4}};
    below.insert(below.end(), high.begin(), high.end());
    const Case cases[] = {
        {"above", regular, above},
        {"below", high, below},
        {"both", regular, [&] { Points b = {{1e-3, 2}}; b.insert(b.end(), above.begin(), above.end()); return b; }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CMassSpectrum acc = spectrumOf(c.acc, false);
        const CMassSpectrum src = spectrumOf(c.src, false);
        const double expected = total(acc) + total(src);
        const LONG n = CoAddSpectra(true, 0.5, src, acc);
        ASSERT_GT(n, 0);
        EXPECT_LE(static_cast<size_t>(n), KSExtensionLimit(21, 23) * 2 + 23);
        expectStrictlyAscending(acc);
        EXPECT_DOUBLE_EQ(total(acc), expected);
        // Every far point is on the axis with its whole intensity.
        for (const auto& p : c.src) {
            if (p.first >= c.acc.front().first && p.first <= c.acc.back().first)
                continue;
            const auto pts = pointsOf(acc);
            const auto it = std::find_if(pts.begin(), pts.end(), [&](const auto& q) { return q.first == p.first; });
            ASSERT_NE(it, pts.end()) << p.first;
            EXPECT_EQ(it->second, p.second) << p.first;
        }
    }
}

// Within the limit nothing changes: a source a few hundred spacings beyond
// the end still gets model steps all the way.
TEST(CoAddBounds, NearSourcesStillExtendByTheModel)
{
    Points acc;
    for (int i = 0; i < 30; ++i)
        acc.emplace_back(100 + 0.5 * i, i % 4 == 1 ? 1 : 0);
    Points src(acc.begin(), acc.begin() + 20);
    src.emplace_back(300, 2);
    CMassSpectrum accumulator = spectrumOf(acc, false);
    const LONG n = CoAddSpectra(true, 0.5, spectrumOf(src, false), accumulator);
    // 30 points, then steps of 0.5 from 114.5 up to 300.
    EXPECT_NEAR(n, 30 + 371, 1);
    ASSERT_GT(n, 30);
    EXPECT_NEAR(accumulator.Masses()[n - 1], 300.0, 0.5);
    expectStrictlyAscending(accumulator);
}

// Islands far apart with a fine spacing: a source point just before the far
// island used to walk the whole gap one spacing at a time (10^11 steps
// here). The steps are leapt; what is written is still the last model
// steps before the island.
TEST(CoAddBounds, WideGapIsCrossedInLeaps)
{
    const Points island = {{0, 0}, {1, 5}, {2, 5}, {3, 0}};
    Points acc;
    for (double start : {100.0, 100.01, 1e8, 1e8 + 0.01})
        for (const auto& p : island)
            acc.emplace_back(start + p.first * 0.001, p.second);
    CMassSpectrum accumulator = spectrumOf(acc, false);
    // Beyond T = X - 0.6 spacing: the gap rule that fills steps up to the
    // island.
    const CMassSpectrum source = spectrumOf({{1e8 - 0.0005, 4}}, false);
    CProfileMerger merger;
    const LONG n = merger.Merge(source, accumulator, true);
    ASSERT_TRUE(merger.IsGapped());
    expectStrictlyAscending(accumulator);
    EXPECT_DOUBLE_EQ(total(accumulator), 40.0 + 4.0);
    // The gap got a handful of points just below the island, none far out.
    const auto pts = pointsOf(accumulator);
    LONG inGap = 0;
    for (const auto& p : pts)
        if (p.first > 100.02 && p.first < 1e8) {
            ++inGap;
            EXPECT_GT(p.first, 1e8 - 0.01) << p.first;
        }
    EXPECT_GE(inGap, 1);
    EXPECT_LE(inGap, 4);
    EXPECT_EQ(n, static_cast<LONG>(pts.size()));
}

// A gapped accumulator and a source point far below and far above it.
TEST(CoAddBounds, GappedAxisWithFarSourceEnds)
{
    const Points island = {{0, 0}, {1, 5}, {2, 5}, {3, 0}};
    Points acc;
    for (double start : {1000.0, 1005.0, 1100.0, 1200.0})
        for (const auto& p : island)
            acc.emplace_back(start + p.first * 0.001, p.second);
    CMassSpectrum accumulator = spectrumOf(acc, false);
    const CMassSpectrum source = spectrumOf({{1.0, 4}, {1101.0005, 2}, {1e12, 6}}, false);
    CProfileMerger merger;
    merger.Merge(source, accumulator, true);
    ASSERT_TRUE(merger.IsGapped());
    expectStrictlyAscending(accumulator);
    EXPECT_DOUBLE_EQ(total(accumulator), 40.0 + 12.0);
    EXPECT_LT(accumulator.GetCount(), 100);
    EXPECT_EQ(accumulator.Masses()[0], 1.0);
    EXPECT_EQ(accumulator.Intensities()[0], 4.0);
    EXPECT_EQ(accumulator.Masses()[accumulator.GetCount() - 1], 1e12);
    EXPECT_EQ(accumulator.Intensities()[accumulator.GetCount() - 1], 6.0);
}

// Synthetic instruments: a time-of-flight-like axis (spacing grows with
// the square root of m/z) with Gaussian peaks, optionally with the zero
// stretches left out as many data systems store them.
Points syntheticProfile(std::mt19937& rng, int firstIndex, int count, bool omitZeros)
{
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<std::pair<double, double>> peaks;
    for (int k = 0; k < 40; ++k)
        peaks.emplace_back(130 + 900 * u(rng), 1000 * u(rng));
    Points all;
    for (int i = firstIndex; i < firstIndex + count; ++i) {
        const double t = 11.0 + 0.004 * i;
        const double mz = t * t;
        const double width = 3 * 0.008 * t;  // about three axis spacings
        double y = 0;
        for (const auto& p : peaks) {
            const double d = (mz - p.first) / width;
            if (std::fabs(d) < 8)
                y += p.second * std::exp(-0.5 * d * d);
        }
        all.emplace_back(mz, y < 1e-3 ? 0.0 : y);
    }
    if (!omitZeros)
        return all;
    Points kept;
    for (size_t i = 0; i < all.size(); ++i) {
        const bool signal = all[i].second != 0 || (i > 0 && all[i - 1].second != 0) ||
                            (i + 1 < all.size() && all[i + 1].second != 0);
        if (signal)
            kept.push_back(all[i]);
    }
    return kept;
}

class ProfileProperties : public ::testing::TestWithParam<bool> {};

TEST_P(ProfileProperties, AscendingAxisAndConservedIntensity)
{
    const bool gapped = GetParam();
    std::mt19937 rng(gapped ? 5 : 6);
    std::uniform_int_distribution<int> start(0, 400);
    CMassSpectrum acc = spectrumOf(syntheticProfile(rng, 200, 5000, gapped), false);
    ASSERT_EQ(CMassAxisModel::HasSpacingJumps(acc), gapped);
    ASSERT_GT(acc.GetCount(), 500);
    for (int round = 0; round < 12; ++round) {
        const CMassSpectrum src = spectrumOf(syntheticProfile(rng, start(rng), 4000 + start(rng), gapped), false);
        ASSERT_EQ(CMassAxisModel::HasSpacingJumps(src), gapped);
        const double expected = total(acc) + total(src);
        const LONG n = CoAddSpectra(true, 0.5, src, acc);
        ASSERT_GT(n, 0);
        expectStrictlyAscending(acc);
        EXPECT_NEAR(total(acc), expected, 1e-9 * expected) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Axes, ProfileProperties, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "gapped" : "regular");
                         });

}  // namespace
