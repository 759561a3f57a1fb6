// Mass lists through the reader: the scan chosen, cut-offs, the peak
// limit, ranges, the memory layout of a list, the segmented list, label
// and noise records, the check order and arrays that cannot be made.
#include "ombrelmasslists.h"
#include "ombreltest.h"

#include "kswinerror.h"

using namespace ombreltest;

namespace {

using Pairs = std::vector<std::pair<double, double>>;

// The (m/z, intensity) pairs of a 2 x n mass list, read from its memory,
// and the length of its second dimension.
Pairs pairsOf(const VARIANT& v, LONG count, LONG* length = nullptr)
{
    Pairs out;
    EXPECT_EQ(v.vt, VT_ARRAY | VT_R8);
    if (v.vt != (VT_ARRAY | VT_R8))
        return out;
    EXPECT_EQ(SafeArrayGetDim(v.parray), 2u);
    LONG lower1 = -1, upper1 = -1, lower2 = -1, upper2 = -2;
    SafeArrayGetLBound(v.parray, 1, &lower1);
    SafeArrayGetUBound(v.parray, 1, &upper1);
    SafeArrayGetLBound(v.parray, 2, &lower2);
    SafeArrayGetUBound(v.parray, 2, &upper2);
    EXPECT_EQ(lower1, 0);
    EXPECT_EQ(upper1, 1);
    EXPECT_EQ(lower2, 0);
    if (length)
        *length = upper2 + 1;
    EXPECT_LE(count, upper2 + 1);
    double* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(v.parray, reinterpret_cast<void**>(&data)), S_OK);
    for (LONG j = 0; j < count && j <= upper2; ++j)
        out.emplace_back(data[2 * j], data[2 * j + 1]);  // m/z, intensity alternate in memory
    for (LONG j = count; j <= upper2; ++j)
        EXPECT_TRUE(data[2 * j] == 0.0 && data[2 * j + 1] == 0.0) << "zeros follow the pairs";
    SafeArrayUnaccessData(v.parray);
    return out;
}

ScanPacket packetOf(const Pairs& points)
{
    ScanPacket p;
    p.lowMass = points.empty() ? 0.0 : points.front().first;
    p.highMass = points.empty() ? 0.0 : points.back().first;
    for (const auto& [mz, intensity] : points) {
        DataPeak d;
        d.position = mz;
        d.intensity = intensity;
        p.points.push_back(d);
    }
    return p;
}

class MassListTest : public OmbrelTest {
protected:
    // Scan times a quarter minute apart (exact in binary, so halfway is a
    // tie) and three survey scans of known centroid points.
    void SetUp() override
    {
        OmbrelTest::SetUp();
        ControllerData& ms = model.controllers[0];
        for (size_t i = 0; i < ms.scans.size(); ++i)
            ms.scans[i].index.startTime = 0.5 + 0.25 * double(i);
        setPoints(1, {{100, 0}, {200, 40}, {300, 100}});
        setPoints(6, {{100, 5}, {200, 9}, {300, 7}});
        setPoints(11, {{1.4, 10}, {1.5, 10}});
        sample = writeModel(model, "masslists.raw");
        openSampleMS();
    }

    void setPoints(int scan, const Pairs& points)
    {
        ScanRecord& s = model.controllers[0].scans[size_t(scan - 1)];
        s.packets = {packetOf(points)};
        s.index.packetType = kPacketLrSp;  // centroid
    }

    struct List {
        HRESULT status;
        LONG scan;
        LONG count;
        LONG length = 0;
        Pairs pairs;
    };
    List get(LONG scan, const wchar_t* filter = L"", LONG type = 0, LONG value = 0, LONG limit = 0,
             const wchar_t* range = nullptr)
    {
        Text f(filter);
        Var list;
        LONG count = -1;
        double width = 0.0;
        std::wstring rangeText = range ? range : L"";
        List out{};
        out.status = range ? reader->GetMassListRangeFromScanNum(&scan, f.b, type, value, limit, 0, &width, &list.v,
                                                                 nullptr, rangeText.data(), &count)
                           : reader->GetMassListFromScanNum(&scan, f.b, type, value, limit, 0, &width, &list.v,
                                                            nullptr, &count);
        out.scan = scan;
        out.count = count;
        if (list.v.vt != VT_EMPTY)
            out.pairs = pairsOf(list.v, count, &out.length);
        return out;
    }
};

}  // namespace

TEST_F(MassListTest, TheScanChosenIsTheNearestPassingOneTiesToTheEarlier)
{
    // Cycles of five: survey, MS2 and MS3 (ITMS), zoom, SIM.
    struct Case {
        const wchar_t* filter;
        LONG requested;
        LONG chosen;
    } cases[] = {
        {L"", 5, 5},         {L"ITMS", 2, 2},  {L"ITMS", 5, 3},  // 5 is as near to 3 as to 7
        {L"ITMS", 6, 7},     {L"ITMS", 4, 3},  {L"ms3", 1, 3},   {L"ITMS", 30, 28},
        {L"FTMS + p ESI Full ms", 4, 6},
    };
    for (const Case& c : cases) {
        const List l = get(c.requested, c.filter);
        EXPECT_EQ(l.status, kOmbrelDone) << narrow(c.filter) << " " << c.requested;
        EXPECT_EQ(l.scan, c.chosen) << narrow(c.filter) << " " << c.requested;
    }
    // No scan passes: 0, an empty list, the scan and count untouched.
    Text f(L"TQMS");
    Var list;
    LONG scan = 4, count = -1;
    double width = 0;
    EXPECT_EQ(reader->GetMassListFromScanNum(&scan, f.b, 0, 0, 0, 0, &width, &list.v, nullptr, &count), kOmbrelDone);
    EXPECT_EQ(list.v.vt, VT_EMPTY);
    EXPECT_EQ(scan, 4);
    EXPECT_EQ(count, -1);
}

TEST_F(MassListTest, CutoffsLimitsAndRanges)
{
    struct Case {
        const char* name;
        LONG scan, type, value, limit;
        const wchar_t* range;
        Pairs expected;
        LONG length;
    } cases[] = {
        {"no cut-off", 1, 0, 0, 0, nullptr, {{100, 0}, {200, 40}, {300, 100}}, 3},
        {"absolute 40", 1, 1, 40, 0, nullptr, {{200, 40}, {300, 100}}, 3},
        {"relative 50", 1, 2, 50, 0, nullptr, {{300, 100}}, 3},
        {"type 3 keeps nothing", 1, 3, 0, 0, nullptr, {}, 3},
        {"limit 2 in m/z order", 6, 0, 0, 2, nullptr, {{200, 9}, {300, 7}}, 3},
        {"limit above the count", 6, 0, 0, 5, nullptr, {{100, 5}, {200, 9}, {300, 7}}, 3},
        {"default range keeps 1.5, not 1.4", 11, 0, 0, 0, nullptr, {{1.5, 10}}, 2},
        {"a range text sizes the list", 6, 0, 0, 0, L"150-400", {{200, 9}, {300, 7}}, 2},
        // The limit and the cut-off see only the points in range.
        {"limit within the range", 6, 0, 0, 1, L"250-400", {{300, 7}}, 1},
        {"relative cut-off within the range", 1, 2, 50, 0, L"150-400", {{300, 100}}, 2},
        {"only the first range counts", 6, 0, 0, 0, L"50-150, 250-350", {{100, 5}}, 1},
    };
    for (const Case& c : cases) {
        const List l = get(c.scan, L"", c.type, c.value, c.limit, c.range);
        EXPECT_EQ(l.status, kOmbrelDone) << c.name;
        EXPECT_EQ(l.count, LONG(c.expected.size())) << c.name;
        EXPECT_EQ(l.pairs, c.expected) << c.name;
        EXPECT_EQ(l.length, c.length) << c.name;
    }
    // A range text that does not parse is refused, the list left empty.
    const List bad = get(6, L"", 0, 0, 0, L"abc");
    EXPECT_EQ(bad.status, kOmbrelBadArgument);
    EXPECT_EQ(bad.count, -1);
    EXPECT_TRUE(bad.pairs.empty());
}

TEST(OmbrelMassListSteps, CutoffAndLimitOnTheirOwn)
{
    using ombrel::MassPoint;
    std::vector<MassPoint> p = {{1, 0}, {2, 40}, {3, 100}};
    EXPECT_EQ(ombrel::ApplyIntensityCutoff(p, 3, 2, 50), 1u);
    EXPECT_EQ(p[0].mz, 3);
    p = {{1, 20}, {2, 30}, {3, 40}};  // the smallest above 0 counts as 0: threshold 30
    EXPECT_EQ(ombrel::ApplyIntensityCutoff(p, 3, 2, 75), 2u);
    p = {{1, 7}, {2, 7}};  // no span: everything
    EXPECT_EQ(ombrel::ApplyIntensityCutoff(p, 2, 2, 90), 2u);
    p = {{1, -10}, {2, 10}};  // a negative smallest stays: threshold -10 + 0.5 x 20
    EXPECT_EQ(ombrel::ApplyIntensityCutoff(p, 2, 2, 50), 1u);
    EXPECT_EQ(ombrel::ApplyIntensityCutoff(p, 0, 1, 0), 0u);
    p = {{1, 5}, {2, 9}, {3, 7}, {4, 9}};
    ombrel::KeepMostIntense(p, 4, 3);
    EXPECT_EQ(p[0].mz, 2);
    EXPECT_EQ(p[1].mz, 3);
    EXPECT_EQ(p[2].mz, 4);
}

TEST_F(MassListTest, NextPreviousAndByTime)
{
    Text itms(L"ITMS");
    Var list;
    LONG scan = 2, count = 0;
    double width = 0;
    EXPECT_EQ(reader->GetNextMassListFromScanNum(&scan, itms.b, 0, 0, 0, 0, &width, &list.v, nullptr, &count),
              kOmbrelDone);
    EXPECT_EQ(scan, 3);
    Var previous;
    EXPECT_EQ(reader->GetPrevMassListFromScanNum(&scan, itms.b, 0, 0, 0, 0, &width, &previous.v, nullptr, &count),
              kOmbrelDone);
    EXPECT_EQ(scan, 2);
    // Past the last passing scan: 2.
    Var none;
    scan = 28;
    EXPECT_EQ(reader->GetNextMassListFromScanNum(&scan, itms.b, 0, 0, 0, 0, &width, &none.v, nullptr, &count),
              kOmbrelEngineFailed);
    EXPECT_EQ(none.v.vt, VT_EMPTY);
    EXPECT_EQ(scan, 28);

    // By time: the scan at the time, and its start time written back.
    Var byTime;
    double rt = 0.5 + 0.25 * 4 + 0.1;  // nearest scan 5
    EXPECT_EQ(reader->GetMassListFromRT(&rt, itms.b, 0, 0, 0, 0, &width, &byTime.v, nullptr, &count), kOmbrelDone);
    EXPECT_EQ(rt, 0.5 + 0.25 * 2);  // scan 3, the tie's earlier passing scan
    double outside = 100.0;
    Var late;
    EXPECT_EQ(reader->GetMassListFromRT(&outside, itms.b, 0, 0, 0, 0, &width, &late.v, nullptr, &count),
              kOmbrelBadArgument);
    EXPECT_EQ(outside, 100.0);
}

TEST_F(MassListTest, ChecksInTheOrderOfTheirArguments)
{
    auto call = [&](LONG* scan, const wchar_t* filter, LONG limit, LONG centroid, double* width, VARIANT* list,
                    VARIANT* flags, LONG* count) {
        Text f(filter);
        return reader->GetMassListFromScanNum(scan, f.b, 0, 0, limit, centroid, width, list, flags, count);
    };
    LONG scan = 1, count = 0;
    double width = 0;
    Var list, flags, full;
    full.v.vt = VT_I4;
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, &list.v, nullptr, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, nullptr, nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, &full.v, nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, &list.v, &full.v, &count), kOmbrelBadArgument);
    EXPECT_EQ(call(nullptr, L"", 0, 0, &width, &list.v, nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(call(&scan, L"", -1, 0, &width, &list.v, nullptr, &count), kOmbrelBadArgument);
    LONG outside = 31;
    EXPECT_EQ(call(&outside, L"", 0, 0, &width, &list.v, nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(call(&scan, L"", 0, 1, nullptr, &list.v, nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(call(&scan, L"FTMS ms2 500@", 0, 0, &width, &list.v, nullptr, &count), kOmbrelBadFilter);
    EXPECT_EQ(list.v.vt, VT_EMPTY);
    EXPECT_EQ(flags.v.vt, VT_EMPTY);  // an optional flags output stays empty
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, &list.v, &flags.v, &count), kOmbrelDone);
    EXPECT_EQ(flags.v.vt, VT_EMPTY);

    // Off the mass spectrometer: the arguments first, then the filter.
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    Var uvList;
    LONG uvOutside = 41;
    EXPECT_EQ(call(&uvOutside, L"FTMS", 0, 0, &width, &uvList.v, nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(call(&scan, L"FTMS", 0, 0, &width, &uvList.v, nullptr, &count), kOmbrelNotMS);
    // A UV detector has no spectra to list.
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, &uvList.v, nullptr, &count), kOmbrelNotMS);
    // A PDA scan is taken as requested.
    ASSERT_EQ(reader->SetCurrentController(kOmbrelPDA, 1), kOmbrelDone);
    LONG pda = 7;
    EXPECT_EQ(call(&pda, L"", 0, 0, &width, &uvList.v, nullptr, &count), kOmbrelDone);
    EXPECT_EQ(pda, 7);
    EXPECT_GT(count, 0);

    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    ASSERT_EQ(reader->Close(), kOmbrelDone);
    Var closed;
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, &closed.v, nullptr, &count), kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(call(&scan, L"", 0, 0, &width, &closed.v, nullptr, &count), kOmbrelNoController);
}

TEST_F(MassListTest, CentroidingUsesHalfTheWidth)
{
    CRawfile engine(wide(sample));
    const CVirtualData& ms = engine.Controller(0);
    for (double width : {0.0, 0.4}) {
        std::unique_ptr<CRawScan> expected = ms.GetScan(16);  // a profile survey
        ASSERT_TRUE(expected->IsProfile());
        expected->SetMassResolution((width > 0.00001 ? width : 1.0) / 2);
        expected->ToCentroid();
        Pairs want;
        for (const ScanPacket& p : expected->Packets())
            for (const DataPeak& d : p.points)
                if (d.position >= 1.5 && d.position <= 99999.0)
                    want.emplace_back(d.position, d.intensity);
        LONG scan = 16, count = 0;
        Var list;
        double w = width;
        ASSERT_EQ(reader->GetMassListFromScanNum(&scan, nullptr, 0, 0, 0, 1, &w, &list.v, nullptr, &count),
                  kOmbrelDone);
        EXPECT_FALSE(want.empty());
        EXPECT_EQ(pairsOf(list.v, count), want) << width;
    }
}

TEST_F(MassListTest, SegmentedListsKeepEachPacketApart)
{
    CRawfile engine(wide(sample));
    std::unique_ptr<CRawScan> survey = engine.Controller(0).GetScan(16);
    ASSERT_EQ(survey->NumPackets(), 2);
    LONG scan = 16, count = 0, segments = 0;
    double width = 0;
    Var list, counts, ranges;
    ASSERT_EQ(reader->GetSegmentedMassListFromScanNum(&scan, nullptr, 0, 0, 2, 0, &width, &list.v, nullptr, &count,
                                                      &counts.v, &segments, &ranges.v),
              kOmbrelDone);
    EXPECT_EQ(segments, 2);
    EXPECT_EQ(count, 4);  // the limit applies per packet
    ASSERT_EQ(counts.v.vt, VT_ARRAY | VT_I4);
    LONG* perPacket = nullptr;
    ASSERT_EQ(SafeArrayAccessData(counts.v.parray, reinterpret_cast<void**>(&perPacket)), S_OK);
    EXPECT_EQ(perPacket[0], 2);
    EXPECT_EQ(perPacket[1], 2);
    SafeArrayUnaccessData(counts.v.parray);
    const Pairs limits = pairsOf(ranges.v, 2);
    for (int i = 0; i < 2; ++i) {
        double low = 0, high = 0;
        survey->GetSegmentMassRange(i, low, high);
        EXPECT_EQ(limits[size_t(i)], std::make_pair(low, high));
    }
    const Pairs peaks = pairsOf(list.v, count);
    EXPECT_LT(peaks[1].first, peaks[2].first);  // packet order

    // The mended checks of its own outputs.
    Var again, full;
    full.v.vt = VT_I4;
    EXPECT_EQ(reader->GetSegmentedMassListFromScanNum(&scan, nullptr, 0, 0, 0, 0, &width, &again.v, nullptr, &count,
                                                      &full.v, &segments, &ranges.v),
              kOmbrelBadArgument);
    Var fresh1, fresh2;
    EXPECT_EQ(reader->GetSegmentedMassListFromScanNum(&scan, nullptr, 0, 0, 0, 0, &width, &again.v, nullptr, &count,
                                                      &fresh1.v, nullptr, &fresh2.v),
              kOmbrelBadArgument);
    EXPECT_EQ(reader->GetSegmentedMassListFromScanNum(&scan, nullptr, 0, 0, 0, 0, &width, &again.v, nullptr, &count,
                                                      &fresh1.v, &segments, nullptr),
              kOmbrelBadArgument);
    EXPECT_EQ(again.v.vt, VT_EMPTY);
}

TEST_F(MassListTest, LabelAndNoiseRecords)
{
    model.controllers[0].scans[0].labels[0].flags = 0xFF;
    sample = writeModel(model, "labels.raw");
    openSampleMS();
    CRawfile engine(wide(sample));
    std::unique_ptr<CRawScan> survey = engine.Controller(0).GetScan(1);
    const std::vector<LabelPeak>& labels = survey->GetLabelPeaks();
    ASSERT_FALSE(labels.empty());

    LONG scan = 1;
    Var values, flags;
    ASSERT_EQ(reader->GetLabelData(&values.v, &flags.v, &scan), kOmbrelDone);
    ASSERT_EQ(values.v.vt, VT_ARRAY | VT_R8);
    ASSERT_EQ(flags.v.vt, VT_ARRAY | VT_UI1);
    LONG upper = -1;
    SafeArrayGetUBound(values.v.parray, 2, &upper);
    ASSERT_EQ(upper + 1, LONG(labels.size()));
    double* v = nullptr;
    uint8_t* f = nullptr;
    ASSERT_EQ(SafeArrayAccessData(values.v.parray, reinterpret_cast<void**>(&v)), S_OK);
    ASSERT_EQ(SafeArrayAccessData(flags.v.parray, reinterpret_cast<void**>(&f)), S_OK);
    for (size_t j = 0; j < labels.size(); ++j) {
        const LabelPeak& l = labels[j];
        const double want[6] = {l.mass, l.intensity, l.resolution, l.baseline, l.noise, double(l.charge)};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(v[6 * j + size_t(i)], want[i]) << j << " " << i;
        const uint8_t masks[6] = {32, 1, 2, 8, 4, 16};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(f[6 * j + size_t(i)], uint8_t(l.flags & masks[i])) << j << " " << i;
    }
    EXPECT_EQ(f[0], 32);  // the masked value, not 1
    SafeArrayUnaccessData(values.v.parray);
    SafeArrayUnaccessData(flags.v.parray);

    Var noise;
    ASSERT_EQ(reader->GetNoiseData(&noise.v, &scan), kOmbrelDone);
    const std::vector<NoiseRecord>& records = survey->GetNoise();
    ASSERT_FALSE(records.empty());
    double* n = nullptr;
    ASSERT_EQ(SafeArrayAccessData(noise.v.parray, reinterpret_cast<void**>(&n)), S_OK);
    EXPECT_EQ(n[0], records[0].mass);
    EXPECT_EQ(n[1], records[0].noise);
    EXPECT_EQ(n[2], records[0].baseline);
    SafeArrayUnaccessData(noise.v.parray);

    // The mended checks.
    Var fresh;
    LONG outside = 31;
    EXPECT_EQ(reader->GetLabelData(&fresh.v, nullptr, &outside), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetLabelData(&fresh.v, nullptr, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetLabelData(nullptr, nullptr, &scan), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetLabelData(&values.v, nullptr, &scan), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetNoiseData(&noise.v, &scan), kOmbrelBadArgument);
    ASSERT_EQ(reader->GetLabelData(&fresh.v, nullptr, &scan), kOmbrelDone);  // flags are optional
    ASSERT_EQ(open(sample), kOmbrelDone);
    Var none;
    EXPECT_EQ(reader->GetNoiseData(&none.v, &scan), kOmbrelNoController);
    ASSERT_EQ(reader->Close(), kOmbrelDone);
    EXPECT_EQ(reader->GetLabelData(&none.v, nullptr, &scan), kOmbrelNoFile);
}

TEST_F(MassListTest, ArraysThatCannotBeMade)
{
    LONG scan = 1, count = -1;
    double width = 0;
    Var list;
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(reader->GetMassListFromScanNum(&scan, nullptr, 0, 0, 0, 0, &width, &list.v, nullptr, &count),
              kOmbrelEngineFailed);
    ksTestFailNextSafeArrayAllocations(0);
    EXPECT_EQ(list.v.vt, VT_EMPTY);
    EXPECT_EQ(count, -1);

    LONG segments = -1;
    Var counts, ranges;
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(reader->GetSegmentedMassListFromScanNum(&scan, nullptr, 0, 0, 0, 0, &width, &list.v, nullptr, &count,
                                                      &counts.v, &segments, &ranges.v),
              kOmbrelEngineFailed);
    ksTestFailNextSafeArrayAllocations(0);
    EXPECT_EQ(counts.v.vt, VT_EMPTY);
    EXPECT_EQ(segments, -1);

    Var labels, flags, noise;
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(reader->GetLabelData(&labels.v, &flags.v, &scan), CTL_E_OUTOFMEMORY);
    ksTestFailNextSafeArrayAllocations(0);
    EXPECT_EQ(labels.v.vt, VT_EMPTY);
    EXPECT_EQ(flags.v.vt, VT_EMPTY);
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(reader->GetNoiseData(&noise.v, &scan), CTL_E_OUTOFMEMORY);
    ksTestFailNextSafeArrayAllocations(0);

    // An engine exception: 2, and the object still answers.
    testhook::FailNextCall("GetScan");
    EXPECT_EQ(reader->GetMassListFromScanNum(&scan, nullptr, 0, 0, 0, 0, &width, &list.v, nullptr, &count),
              kOmbrelEngineFailed);
    EXPECT_EQ(list.v.vt, VT_EMPTY);
    EXPECT_EQ(reader->GetMassListFromScanNum(&scan, nullptr, 0, 0, 0, 0, &width, &list.v, nullptr, &count),
              kOmbrelDone);
}

namespace {

// The pairs of a scan as the averaged list gives them (no range applies).
Pairs pairsOfScan(const CRawScan& scan)
{
    Pairs out;
    for (const ScanPacket& p : scan.Packets())
        for (const DataPeak& d : p.points)
            out.emplace_back(d.position, d.intensity);
    return out;
}

class AverageTest : public OmbrelTest {
protected:
    struct Result {
        HRESULT status;
        Pairs pairs;
    };
    Result average(LONG& first, LONG& last, LONG* bkg1First = nullptr, LONG* bkg1Last = nullptr,
                   LONG* bkg2First = nullptr, LONG* bkg2Last = nullptr, const wchar_t* filter = L"",
                   LONG centroid = 0)
    {
        Text f(filter);
        Var list;
        LONG count = -1;
        double width = 0.0;
        Result r{reader->GetAverageMassList(&first, &last, bkg1First, bkg1Last, bkg2First, bkg2Last, f.b, 0, 0, 0,
                                            centroid, &width, &list.v, nullptr, &count),
                 {}};
        if (list.v.vt != VT_EMPTY)
            r.pairs = pairsOf(list.v, count);
        return r;
    }
};

}  // namespace

TEST(OmbrelAverageSteps, ScansAreAddedFromTheApexOutward)
{
    // Scans 10 to 14 at positions 0 to 4.
    EXPECT_EQ(ombrel::AverageOrder(2, 5), (std::vector<size_t>{2, 1, 3, 0, 4}));  // 12, 11, 13, 10, 14
    EXPECT_EQ(ombrel::AverageOrder(0, 5), (std::vector<size_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(ombrel::AverageOrder(4, 5), (std::vector<size_t>{4, 3, 2, 1, 0}));
    EXPECT_EQ(ombrel::AverageOrder(0, 1), (std::vector<size_t>{0}));
    EXPECT_TRUE(ombrel::AverageOrder(0, 0).empty());
}

TEST_F(AverageTest, RangesSnapToThePassingScansAndOneScanIsItself)
{
    openSampleMS();
    CRawfile engine(wide(sample));
    const CVirtualData& ms = engine.Controller(0);

    LONG first = 2, last = 2;
    const Result one = average(first, last);
    ASSERT_EQ(one.status, kOmbrelDone);
    EXPECT_EQ(one.pairs, pairsOfScan(*ms.GetScan(2)));

    first = 1;
    last = 10;
    const Result two = average(first, last, nullptr, nullptr, nullptr, nullptr, L"ITMS + c ESI d Full ms2");
    ASSERT_EQ(two.status, kOmbrelDone);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 7);
    // The apex (the larger total intensity) first, the other added, then
    // divided by two.
    const int32_t apex = ms.GetRunHeader().numSpectra > 0 &&
                                 dynamic_cast<const CVirtualMS&>(ms).GetScanIndex(7).tic >
                                     dynamic_cast<const CVirtualMS&>(ms).GetScanIndex(2).tic
                             ? 7
                             : 2;
    std::unique_ptr<CRawScan> sum = ms.GetScan(apex);
    *sum += *ms.GetScan(apex == 7 ? 2 : 7);
    *sum /= 2.0;
    EXPECT_EQ(two.pairs, pairsOfScan(*sum));

    first = 4;
    last = 5;
    EXPECT_EQ(average(first, last, nullptr, nullptr, nullptr, nullptr, L"ITMS").status, kOmbrelNothing);
    EXPECT_EQ(first, 4);
}

TEST_F(AverageTest, BackgroundIsSubtractedAndKeepsTheProfileFlag)
{
    openSampleMS();
    CRawfile engine(wide(sample));
    const CVirtualData& ms = engine.Controller(0);

    // A profile survey minus a centroid MS2: not centroided though asked.
    LONG first = 1, last = 1, b1 = 2, b1Last = 2;
    const Result minus = average(first, last, &b1, &b1Last, nullptr, nullptr, L"", 1);
    ASSERT_EQ(minus.status, kOmbrelDone);
    std::unique_ptr<CRawScan> expected = ms.GetScan(1);
    *expected -= *ms.GetScan(2);
    EXPECT_EQ(minus.pairs, pairsOfScan(*expected));
    // Without the background it is centroided.
    LONG f2 = 1, l2 = 1;
    const Result alone = average(f2, l2, nullptr, nullptr, nullptr, nullptr, L"", 1);
    ASSERT_EQ(alone.status, kOmbrelDone);
    EXPECT_LT(alone.pairs.size(), pairsOfScan(*ms.GetScan(1)).size());

    // Two background ranges take only their own scans, not those between.
    LONG a = 16, aLast = 16, g1 = 1, g1Last = 1, g2 = 11, g2Last = 11;
    const Result both = average(a, aLast, &g1, &g1Last, &g2, &g2Last);
    ASSERT_EQ(both.status, kOmbrelDone);
    std::unique_ptr<CRawScan> bkg = ms.GetScan(11);  // the more intense survey first
    *bkg += *ms.GetScan(1);
    *bkg /= 2.0;
    std::unique_ptr<CRawScan> want = ms.GetScan(16);
    *want -= *bkg;
    EXPECT_EQ(both.pairs, pairsOfScan(*want));
    EXPECT_EQ(g2, 11);

    // A second background range not after the first: 6. An incomplete
    // first background range is none.
    LONG c = 16, cLast = 16, h1 = 5, h1Last = 10, h2 = 10, h2Last = 12;
    EXPECT_EQ(average(c, cLast, &h1, &h1Last, &h2, &h2Last).status, kOmbrelBadArgument);
    LONG d = 16, dLast = 16;
    EXPECT_EQ(average(d, dLast, &h1, nullptr).pairs, pairsOfScan(*ms.GetScan(16)));
}

TEST_F(AverageTest, ChecksAndFailures)
{
    LONG first = 1, last = 2;
    EXPECT_EQ(average(first, last).status, kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(average(first, last).status, kOmbrelNoController);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    EXPECT_EQ(average(first, last).status, kOmbrelNotMS);  // a UV detector has no spectra
    EXPECT_EQ(average(first, last, nullptr, nullptr, nullptr, nullptr, L"FTMS").status, kOmbrelNotMS);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    LONG high = 3, low = 2, beyond = 31;
    EXPECT_EQ(average(high, low).status, kOmbrelBadArgument);
    EXPECT_EQ(average(first, beyond).status, kOmbrelBadArgument);
    EXPECT_EQ(average(first, last, nullptr, nullptr, nullptr, nullptr, L"ms2 500@").status, kOmbrelBadFilter);
    Var list;
    LONG count = -1;
    double width = 0;
    EXPECT_EQ(reader->GetAverageMassList(nullptr, &last, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0,
                                         &width, &list.v, nullptr, &count),
              kOmbrelBadArgument);
    EXPECT_EQ(reader->GetAverageMassList(&first, &last, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 1,
                                         nullptr, &list.v, nullptr, &count),
              kOmbrelBadArgument);
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(reader->GetAverageMassList(&first, &last, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0,
                                         &width, &list.v, nullptr, &count),
              kOmbrelEngineFailed);
    ksTestFailNextSafeArrayAllocations(0);
    EXPECT_EQ(list.v.vt, VT_EMPTY);
    EXPECT_EQ(count, -1);
    testhook::FailNextCall("GetChro");
    EXPECT_EQ(average(first, last).status, kOmbrelEngineFailed);
    EXPECT_EQ(average(first, last).status, kOmbrelDone);
}
