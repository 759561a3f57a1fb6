// Navigation by time and filter, distinct filters, centroiding and scan
// arithmetic.
#include "rawfilter.h"
#include "rawtest.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rawtest;

namespace {

DataPeak pt(double mz, double intensity)
{
    DataPeak p;
    p.position = mz;
    p.intensity = intensity;
    return p;
}

// A profile scan from points, one packet, tolerance in amu.
CRawScan scanOf(std::vector<DataPeak> points, uint32_t type = kPacketProfSp, double resolution = 0.5)
{
    ScanRecord r;
    r.index.packetType = type;
    r.packets = {ScanPacket{0.0, 2000.0, std::move(points)}};
    return CRawScan(r, kDeviceMS, 1, resolution);
}

std::vector<std::pair<double, double>> pointsOf(const CRawScan& s)
{
    std::vector<std::pair<double, double>> out;
    for (const ScanPacket& p : s.Packets())
        for (const DataPeak& d : p.points)
            out.emplace_back(d.position, d.intensity);
    return out;
}

// A controller with scans at the given times.
std::unique_ptr<CRawfile> timesFile(const std::vector<double>& times)
{
    FileData f;
    ControllerData c;
    for (double t : times) {
        ScanRecord s;
        s.index.startTime = t;
        c.scans.push_back(s);
    }
    c.runHeader.firstScanNumber = 5;
    f.controllers = {c};
    return loadBytes(SerializeRawFile(f));
}

}  // namespace

TEST(RawNavigation, ScanPositionIsTheNearestStartTimeTiesToTheEarlier)
{
    auto f = timesFile({1.0, 2.0, 2.0, 3.0, 5.0});  // scans 5 to 9
    const CVirtualData& c = f->Controller(0);
    struct Case {
        double time;
        int32_t scan;
    } cases[] = {{-10.0, 5}, {1.0, 5}, {1.4, 5}, {1.5, 5}, {1.6, 6}, {2.0, 6}, {2.5, 6},
                 {2.6, 8},   {4.0, 8}, {4.1, 9}, {5.0, 9}, {99.0, 9}, {NAN, -1}};
    for (const Case& k : cases)
        EXPECT_EQ(c.FindScanPosition(k.time), k.scan) << k.time;
    auto none = timesFile({});
    EXPECT_EQ(none->Controller(0).FindScanPosition(1.0), -1);
}

TEST(RawNavigation, NextAndPreviousScansPassingAFilter)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    const auto& ms = static_cast<const CVirtualMS&>(f->Controller(0));
    const std::optional<CFilter> ms2 = ParseFilter(L"ITMS + Full ms2", 2);
    ASSERT_TRUE(ms2);
    EXPECT_EQ(ms.GetNextScanIndex(1, nullptr), 2);
    EXPECT_EQ(ms.GetNextScanIndex(-100, nullptr), 1);
    EXPECT_EQ(ms.GetNextScanIndex(30, nullptr), -1);
    EXPECT_EQ(ms.GetNextScanIndex(0, &*ms2), 2);
    EXPECT_EQ(ms.GetNextScanIndex(1, &*ms2), 2);  // the scan after the one given, itself when it passes
    EXPECT_EQ(ms.GetNextScanIndex(2, &*ms2), 7);
    EXPECT_EQ(ms.GetNextScanIndex(27, &*ms2), -1);
    EXPECT_EQ(ms.GetPrevScanIndex(7, &*ms2), 2);
    EXPECT_EQ(ms.GetPrevScanIndex(2, &*ms2), -1);
    EXPECT_EQ(ms.GetPrevScanIndex(1000, &*ms2), 27);
    EXPECT_EQ(ms.GetPrevScanIndex(1, nullptr), -1);
    const std::optional<CFilter> none = ParseFilter(L"SECTOR", 2);
    EXPECT_EQ(ms.GetNextScanIndex(0, &*none), -1);
    // Filters select mass-spectrometer scans only.
    EXPECT_THROW(f->Controller(1).GetNextScanIndex(0, &*ms2), EngineError);
    EXPECT_EQ(f->Controller(1).GetNextScanIndex(0, nullptr), 1);
}

TEST(RawNavigation, DistinctFiltersInOrderOfFirstAppearance)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    const auto& ms = static_cast<const CVirtualMS&>(f->Controller(0));
    std::vector<std::wstring> expected;
    for (int32_t s = 1; s <= 30; ++s) {
        const std::wstring t = ms.GetFilter(s).GetFilterString(2);
        if (std::find(expected.begin(), expected.end(), t) == expected.end())
            expected.push_back(t);
    }
    std::vector<std::wstring> got;
    for (const CFilter& filter : ms.GetFilters(-1, -1))
        got.push_back(filter.GetFilterString(2));
    EXPECT_EQ(got, expected);
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[0], L"FTMS + p ESI Full ms [100.00-1000.00]");
    EXPECT_EQ(got[1], L"ITMS + c ESI d Full ms2 500.75@35.00 [135.00-1000.00]");
    EXPECT_EQ(got[4], L"FTMS + p ESI SIM ms [400.00-410.00]");
    EXPECT_EQ(ms.GetFilters(1, 1).size(), 1u);
    EXPECT_EQ(ms.GetFilters(6, 10).size(), 5u);  // cycle 2: a new precursor
    EXPECT_TRUE(ms.GetFilters(31, 40).empty());
}

// A run whose every scan has a filter of its own (a data-dependent run):
// 100,000 distinct filters, in the order of their scans.
TEST(RawNavigation, DistinctFiltersOfAHundredThousandScansInOrder)
{
    constexpr int32_t kScans = 100000;
    const std::string bytes = SerializeRawFile(MakeDistinctFiltersFile(kScans));
    FileData data;
    format::LoadStatus st;
    ASSERT_TRUE(format::loadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), data, st))
        << st.message;
    const CVirtualMS ms(data.controllers[0], 0, 1);
    const std::vector<CFilter> filters = ms.GetFilters(-1, -1);
    ASSERT_EQ(filters.size(), size_t(kScans));
    for (int32_t s : {1, 2, 50000, kScans})
        EXPECT_EQ(filters[size_t(s - 1)].GetFilterString(2), ms.GetFilter(s).GetFilterString(2)) << s;
    EXPECT_EQ(filters[1].GetFilterString(2), L"ITMS + c ESI d Full ms2 100.01@35.00 [50.00-2000.00]");
    for (size_t i = 0; i < filters.size(); ++i) {
        ASSERT_EQ(filters[i].fields.reactions.size(), 1u) << i;
        ASSERT_NEAR(filters[i].fields.reactions[0].precursorMass, 100.0 + double(i) / 100.0, 1e-9) << i;
    }
}

TEST(RawScanOps, CentroidsAreWeightedCentresOfLocalMaxima)
{
    // Two peaks, the second with a shoulder past a valley, and a plateau.
    CRawScan s = scanOf({pt(100.0, 0), pt(100.1, 10), pt(100.2, 30), pt(100.3, 10), pt(100.4, 0),
                         pt(200.0, 20), pt(200.1, 40), pt(200.2, 30), pt(200.3, 5), pt(200.4, 15), pt(200.5, 2),
                         pt(300.0, 7), pt(300.1, 7), pt(300.2, 0), pt(400.0, -3)});
    s.SetMassResolution(0.15);
    s.ToCentroid();
    EXPECT_FALSE(s.IsProfile());
    EXPECT_EQ(s.PacketType(), uint32_t(kPacketLrSp));
    const auto got = pointsOf(s);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_NEAR(got[0].first, 100.2, 1e-12);  // symmetric: its apex
    EXPECT_EQ(got[0].second, 30.0);           // the apex height
    EXPECT_NEAR(got[1].first, (200.0 * 20 + 200.1 * 40 + 200.2 * 30) / 90.0, 1e-9);  // 200.3 is past 0.15
    EXPECT_NEAR(got[2].first, (200.3 * 5 + 200.4 * 15 + 200.5 * 2) / 22.0, 1e-9);
    EXPECT_NEAR(got[3].first, 300.05, 1e-9);  // the plateau once, at its end
    // The resolution bounds the window.
    const std::vector<DataPeak> peak = {pt(100.0, 10), pt(100.1, 20), pt(100.2, 30), pt(100.3, 25), pt(100.4, 10)};
    CRawScan narrow = scanOf(peak), wide = scanOf(peak);
    narrow.SetMassResolution(0.15);
    narrow.ToCentroid();
    EXPECT_NEAR(pointsOf(narrow)[0].first, (100.1 * 20 + 100.2 * 30 + 100.3 * 25) / 75.0, 1e-9);
    wide.SetMassResolution(0.25);
    wide.ToCentroid();
    EXPECT_NEAR(pointsOf(wide)[0].first, (100.0 * 10 + 100.1 * 20 + 100.2 * 30 + 100.3 * 25 + 100.4 * 10) / 95.0, 1e-9);
    // Centroid and channel scans stay as they are; the second profile kind
    // keeps its family.
    CRawScan centroid = scanOf({pt(1, 1), pt(2, 5)}, kPacketLrSp);
    centroid.ToCentroid();
    EXPECT_EQ(pointsOf(centroid).size(), 2u);
    CRawScan second = scanOf({pt(1, 1), pt(1.1, 5), pt(1.2, 1)}, kPacketProfSp2);
    second.ToCentroid();
    EXPECT_EQ(second.PacketType(), uint32_t(kPacketLrSp2));
    CRawScan empty = scanOf({});
    empty.ToCentroid();
    EXPECT_EQ(empty.NumPoints(), 0u);
}

TEST(RawScanOps, AddAndSubtractJoinAxesWithinTheTolerance)
{
    CRawScan a = scanOf({pt(100.0, 10), pt(200.0, 20), pt(300.0, 30)}, kPacketLrSp, 0.5);
    const CRawScan b = scanOf({pt(100.4, 1), pt(250.0, 5), pt(299.6, 3), pt(300.3, 4)});
    CRawScan sum = a;
    sum += b;
    using P = std::vector<std::pair<double, double>>;
    EXPECT_EQ(pointsOf(sum), (P{{100.0, 11}, {200.0, 20}, {250.0, 5}, {300.0, 37}}));
    EXPECT_TRUE(sum.GetLabelPeaks().empty());
    CRawScan diff = a;
    diff -= b;
    EXPECT_EQ(pointsOf(diff), (P{{100.0, 9}, {200.0, 20}, {250.0, 0}, {300.0, 23}}));
    CRawScan big = scanOf({pt(100.0, 50)});
    diff -= big;
    EXPECT_EQ(pointsOf(diff)[0], std::make_pair(100.0, 0.0));  // clamped at 0

    // The tolerance of the scan added to, in its units.
    struct Case {
        bool user;
        int32_t units;
        double value;
        bool joins;  // 100.0 and 100.004
    } cases[] = {{false, kTolMmu, 0.005, true}, {false, kTolMmu, 0.003, false}, {true, kTolMmu, 5.0, true},
                 {true, kTolMmu, 3.0, false},   {true, kTolPpm, 50.0, true},    {true, kTolPpm, 30.0, false},
                 {true, kTolAmu, 0.005, true}};
    for (const Case& c : cases) {
        CRawScan x = scanOf({pt(100.0, 1)});
        x.SetUserDefinedTolerance(c.user);
        x.SetToleranceUnits(c.units);
        x.SetMassResolution(c.value);
        x += scanOf({pt(100.004, 1)});
        EXPECT_EQ(pointsOf(x).size(), c.joins ? 1u : 2u) << c.user << " " << c.units << " " << c.value;
    }

    // Empty scans: nothing from nothing; an empty scan takes the other's.
    CRawScan e1 = scanOf({}), e2;
    e1 += e2;
    EXPECT_EQ(e1.NumPoints(), 0u);
    CRawScan none;
    none += b;
    EXPECT_EQ(pointsOf(none).size(), 4u);
    EXPECT_FALSE(none.HasIndexData());
}

TEST(RawScanOps, DivisionByACount)
{
    CRawScan s = scanOf({pt(100, 10), pt(200, 30)});
    const CRawScan half = s / 2.0;
    EXPECT_EQ(pointsOf(half), (std::vector<std::pair<double, double>>{{100, 5}, {200, 15}}));
    EXPECT_EQ(pointsOf(s)[0].second, 10.0);  // the original stays
    EXPECT_THROW(s / 0.0, EngineError);
    EXPECT_THROW(s /= NAN, EngineError);
    // Channel readings add, subtract and divide element by element.
    ScanRecord r;
    r.readings = {1, 2, 3};
    CRawScan u(r, kDeviceUV, 1, 0.5);
    ScanRecord q;
    q.readings = {4, 5, 6, 7};
    u += CRawScan(q, kDeviceUV, 2, 0.5);
    EXPECT_EQ(u.GetReadings(), (std::vector<double>{5, 7, 9, 7}));
    u -= CRawScan(q, kDeviceUV, 2, 0.5);
    u -= CRawScan(q, kDeviceUV, 2, 0.5);
    EXPECT_EQ(u.GetReadings(), (std::vector<double>{0, 0, 0, 0}));
}
