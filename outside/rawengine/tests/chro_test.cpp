// Traces: translation of trace indexes, readings of every kind, the
// operators and the smoothers.
#include "rawchro.h"
#include "rawtest.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rawtest;

namespace {

std::vector<double> intensities(const CRawChro& c)
{
    std::vector<double> out;
    for (const DataPeak& r : c.Readings())
        out.push_back(r.intensity);
    return out;
}

// A chromatogram of the given intensities at scans 1, 2, ...
CRawChro chroOf(const std::vector<double>& values, int32_t firstScan = 1, int32_t step = 1)
{
    CRawChro c(kTraceTIC);
    for (size_t i = 0; i < values.size(); ++i) {
        DataPeak r;
        r.intensity = values[i];
        r.scan = firstScan + int32_t(i) * step;
        r.position = 0.1 * double(r.scan);
        c.MutableReadings().push_back(r);
    }
    return c;
}

void expectNear(const std::vector<double>& got, const std::vector<double>& want, double tol = 1e-12)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], tol) << i;
}

}  // namespace

TEST(RawTrace, IndexesTranslateForEveryKindElseTheFallback)
{
    struct Case {
        int32_t index, kind, type;
    } cases[] = {
        {0, kDeviceMS, 0},        {1, kDeviceMS, 1},         {2, kDeviceMS, 2},         {3, kDeviceMS, 46},
        {-1, kDeviceMS, 46},      {0, kDevicePDA, 21},       {1, kDevicePDA, 22},       {2, kDevicePDA, 23},
        {3, kDevicePDA, 46},      {0, kDeviceUV, 11},        {7, kDeviceUV, 18},        {8, kDeviceUV, 46},
        {0, kDeviceAnalog, 31},   {7, kDeviceAnalog, 38},    {0, kDeviceADCard, 51},    {7, kDeviceADCard, 58},
        {0, kDeviceOther, 46},    {1, 9, 46},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TranslateTraceCBIndexToEnum(c.index, c.kind, kTraceNone), c.type) << c.index << " " << c.kind;
    EXPECT_EQ(TranslateTraceCBIndexToEnum(5, kDeviceMS, 1), 1);  // the caller's fallback
    // Each type belongs to one kind's test.
    for (int32_t t = -2; t < 70; ++t) {
        const int kinds = IsMSTraceType(t) + IsPDATraceType(t) + IsChannelTraceType(t) + IsAnalogTraceType(t) +
                          IsA2DCardTraceType(t);
        EXPECT_LE(kinds, 1) << t;
        EXPECT_EQ(kinds == 0, t == kTraceNone || t < 0 || (t > 2 && t < 11) || (t > 18 && t < 21) ||
                                  (t > 23 && t < 31) || (t > 38 && t < 51) || t > 58)
            << t;
    }
    EXPECT_EQ(TraceChannel(13), 2);
    EXPECT_EQ(TraceChannel(38), 7);
    EXPECT_EQ(TraceChannel(51), 0);
    EXPECT_EQ(TraceChannel(1), -1);
}

TEST(RawTrace, MassSpectrometerReadingsOfAWindow)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    const auto& ms = static_cast<const CVirtualMS&>(f->Controller(0));
    CRawChro tic(kTraceTIC), bp(kTraceBasePeak), range(kTraceMassRange), bpRange(kTraceBasePeak);
    range.SetMassRanges({{400.0, 410.0}, {404.0, 405.0}});  // overlapping: each point once
    bpRange.SetMassRanges({{140.0, 160.0}});
    ms.GetChro({&tic, &bp, &range, &bpRange}, 1, 30);
    ASSERT_EQ(tic.NumReadings(), 30);
    for (int32_t s = 1; s <= 30; ++s) {
        const ScanIndex& x = ms.GetScanIndex(s);
        const DataPeak& r = tic.Reading(s - 1);
        EXPECT_EQ(r.scan, s);
        EXPECT_EQ(r.position, x.startTime);
        EXPECT_EQ(r.intensity, x.tic);
        EXPECT_EQ(r.basePeak, float(x.basePeakMass));
        EXPECT_EQ(bool(r.flags & kReadingProfile), IsProfileScan(x.packetType)) << s;
        EXPECT_EQ(bool(r.flags & kReadingDependent), ms.GetScanEvent(s).dependent == Tri::On) << s;
        EXPECT_EQ(bp.Reading(s - 1).intensity, x.basePeakIntensity);
        // The mass-range trace sums the points in the ranges.
        double sum = 0;
        const std::unique_ptr<CRawScan> scan = ms.GetScan(s);
        for (const ScanPacket& p : scan->Packets())
            for (const DataPeak& d : p.points)
                if (d.position >= 400.0 && d.position <= 410.0)
                    sum += d.intensity;
        EXPECT_DOUBLE_EQ(range.Reading(s - 1).intensity, sum) << s;
        EXPECT_EQ(bool(range.Reading(s - 1).flags & kReadingEmpty), sum == 0.0) << s;
    }
    // Scan 5 is the SIM scan: everything lies in 400 to 410.
    EXPECT_DOUBLE_EQ(range.Reading(4).intensity, ms.GetScanIndex(5).tic);
    // The survey's background ion at 150.0913 is the base peak in 140-160.
    EXPECT_NEAR(bpRange.Reading(0).basePeak, 150.0913, 1e-4);

    // A filter takes the scans that pass it; the delay shifts the times.
    const std::optional<CFilter> surveys = ParseFilter(L"FTMS Full ms", 2);
    CRawChro filtered(kTraceTIC, &*surveys, 0.25);
    ms.GetChro({&filtered}, 1, 30);
    ASSERT_EQ(filtered.NumReadings(), 6);
    EXPECT_EQ(filtered.Reading(1).scan, 6);
    EXPECT_DOUBLE_EQ(filtered.Reading(1).position, ms.ScanStartTime(6) + 0.25);
    // Windows are clipped to the scans; an empty one reads nothing.
    ms.GetChro({&filtered}, -5, 3);
    EXPECT_EQ(filtered.NumReadings(), 1);
    ms.GetChro({&filtered}, 20, 10);
    EXPECT_EQ(filtered.NumReadings(), 0);
    // A mass-range trace without ranges holds nothing but empty readings.
    CRawChro bare(kTraceMassRange);
    ms.GetChro({&bare}, 1, 2);
    EXPECT_EQ(intensities(bare), (std::vector<double>{0, 0}));
    EXPECT_TRUE(bare.Reading(0).flags & kReadingEmpty);
    // Types of another kind are refused.
    CRawChro uvType(kTraceUVFirst);
    EXPECT_THROW(ms.GetChro({&uvType}, 1, 30), EngineError);
}

TEST(RawTrace, ChannelAndPDAReadings)
{
    const FileData model = MakeSampleFile();
    auto f = loadBytes(SerializeRawFile(model));
    const CVirtualData& uv = f->Controller(1);
    CRawChro a(TranslateTraceCBIndexToEnum(0, kDeviceUV, kTraceNone), nullptr, 0.5);
    CRawChro c(TranslateTraceCBIndexToEnum(2, kDeviceUV, kTraceNone));
    CRawChro beyond(TranslateTraceCBIndexToEnum(3, kDeviceUV, kTraceNone));
    uv.GetChro({&a, &c, &beyond}, uv.FirstScan(), uv.LastScan());
    ASSERT_EQ(a.NumReadings(), 40);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(a.Reading(i).intensity, model.controllers[1].scans[size_t(i)].readings[0]);
        EXPECT_EQ(c.Reading(i).intensity, model.controllers[1].scans[size_t(i)].readings[2]);
        EXPECT_DOUBLE_EQ(a.Reading(i).position, model.controllers[1].scans[size_t(i)].uvIndex.startTime + 0.5);
        EXPECT_TRUE(beyond.Reading(i).flags & kReadingEmpty);
    }
    const std::optional<CFilter> any = ParseFilter(L"ms", 2);
    CRawChro filtered(kTraceUVFirst, &*any);
    EXPECT_THROW(uv.GetChro({&filtered}, 1, 40), EngineError);

    const CVirtualData& pda = f->Controller(2);
    CRawChro total(kTracePDATotalScan), max(kTracePDASpectrumMax), band(kTracePDAWavelengthRange);
    band.SetMassRanges({{250.0, 258.0}});
    pda.GetChro({&total, &max, &band}, 1, 20);
    for (int i = 0; i < 20; ++i) {
        const ScanRecord& s = model.controllers[2].scans[size_t(i)];
        EXPECT_EQ(total.Reading(i).intensity, s.uvIndex.tic);
        double strongest = 0, sum = 0;
        for (const DataPeak& d : s.packets[0].points) {
            strongest = std::max(strongest, d.intensity);
            if (d.position >= 250.0 && d.position <= 258.0)
                sum += d.intensity;
        }
        EXPECT_EQ(max.Reading(i).intensity, strongest);
        EXPECT_DOUBLE_EQ(band.Reading(i).intensity, sum);
    }
    CRawChro analog(kTraceAnalogFirst);
    f->Controller(3).GetChro({&analog}, 1, 30);
    EXPECT_EQ(analog.Reading(29).intensity, 180.0 + 2.5 * 29);
}

TEST(RawTrace, ReadingsLookedUpAtOrAfterAndAtOrBeforeAScan)
{
    const CRawChro c = chroOf({1, 2, 3}, 10, 5);  // scans 10, 15, 20
    struct Case {
        int32_t scan, after, before;
    } cases[] = {{9, 0, -1}, {10, 0, 0}, {12, 1, 0}, {15, 1, 1}, {20, 2, 2}, {21, -1, 2}};
    for (const Case& k : cases) {
        EXPECT_EQ(c.IndexAtOrAfterScan(k.scan), k.after) << k.scan;
        EXPECT_EQ(c.IndexAtOrBeforeScan(k.scan), k.before) << k.scan;
    }
    const CRawChro empty(kTraceTIC);
    EXPECT_EQ(empty.IndexAtOrAfterScan(1), -1);
    EXPECT_EQ(empty.IndexAtOrBeforeScan(1), -1);
    EXPECT_THROW(empty.Reading(0), EngineError);
}

TEST(RawTrace, DifferenceAndSumBySameScan)
{
    CRawChro a = chroOf({10, 20, 30, 40});            // scans 1 to 4
    const CRawChro b = chroOf({5, 35, 1}, 2);         // scans 2 to 4
    CRawChro sum = a;
    CalcChro(sum, b, kChroSum);
    EXPECT_EQ(intensities(sum), (std::vector<double>{10, 25, 65, 41}));
    CalcChro(a, b, kChroDifference);
    EXPECT_EQ(intensities(a), (std::vector<double>{10, 15, 0, 39}));
    EXPECT_TRUE(a.Reading(2).flags & kReadingClamped);
    EXPECT_FALSE(a.Reading(1).flags & kReadingClamped);
    EXPECT_TRUE(a.Reading(0).flags & kReadingCombined);
    EXPECT_EQ(a.Reading(3).scan, 4);
    EXPECT_THROW(CalcChro(a, b, 0), EngineError);
    EXPECT_THROW(CalcChro(a, b, 3), EngineError);
    CRawChro none(kTraceTIC);
    CalcChro(none, b, kChroSum);
    EXPECT_EQ(none.NumReadings(), 0);
}

TEST(RawTrace, SmoothersShrinkAtTheEnds)
{
    CRawChro mean = chroOf({1, 2, 6, 4, 5});
    CSmoother::SmoothChro(mean, kSmoothMovingMean, 3);
    expectNear(intensities(mean), {1, 3, 4, 5, 5});
    EXPECT_FALSE(mean.Reading(0).flags & kReadingSmoothed);
    EXPECT_TRUE(mean.Reading(1).flags & kReadingSmoothed);
    CRawChro five = chroOf({1, 2, 6, 4, 5});
    CSmoother::SmoothChro(five, kSmoothMovingMean, 5);
    expectNear(intensities(five), {1, 3, 3.6, 5, 5});
    // Wider than the data: every window is as wide as both sides reach.
    CRawChro wide = chroOf({1, 2, 6, 4, 5});
    CSmoother::SmoothChro(wide, kSmoothMovingMean, 15);
    expectNear(intensities(wide), {1, 3, 3.6, 5, 5});
    // Gaussian weights, sigma a quarter of the window: an impulse spreads
    // symmetrically and keeps its sum away from the ends.
    CRawChro g3 = chroOf({0, 0, 1, 0, 0});
    CSmoother::SmoothChro(g3, kSmoothGaussian, 3);
    expectNear(intensities(g3), {0, 0.22561011128405162, 0.5487797774318968, 0.22561011128405162, 0}, 1e-12);
    CRawChro g5 = chroOf({0, 0, 0, 0, 1, 0, 0, 0, 0});
    CSmoother::SmoothChro(g5, kSmoothGaussian, 5);
    expectNear(intensities(g5), {0, 0, 0.09242116269661459, 0.24137602468441252, 0.33240562523794576,
                                 0.24137602468441252, 0.09242116269661459, 0, 0},
               1e-12);
    CRawChro flat = chroOf({4, 4, 4, 4});
    CSmoother::SmoothChro(flat, kSmoothGaussian, 7);
    expectNear(intensities(flat), {4, 4, 4, 4});
    // One point, no smoother and an empty chromatogram change nothing;
    // even counts and unknown smoothers are refused.
    CRawChro same = chroOf({1, 5, 2});
    CSmoother::SmoothChro(same, kSmoothGaussian, 1);
    CSmoother::SmoothChro(same, kSmoothNone, 4);
    expectNear(intensities(same), {1, 5, 2});
    CRawChro empty(kTraceTIC);
    CSmoother::SmoothChro(empty, kSmoothMovingMean, 15);
    EXPECT_EQ(empty.NumReadings(), 0);
    EXPECT_THROW(CSmoother::SmoothChro(same, kSmoothMovingMean, 4), EngineError);
    EXPECT_THROW(CSmoother::SmoothChro(same, kSmoothMovingMean, -1), EngineError);
    EXPECT_THROW(CSmoother::SmoothChro(same, 3, 3), EngineError);
}
