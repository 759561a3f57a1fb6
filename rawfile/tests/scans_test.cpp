// Scans, filters and scan events through the reader: the check order,
// the output rules, times and scans, filter lists and texts, data forms,
// index entries, and the two text parsers.
#include "ombrelparse.h"
#include "ombreltest.h"

#include <functional>

using namespace ombreltest;

namespace {

// One call of each method that needs a controller, with fresh outputs.
struct Call {
    const char* name;
    std::function<HRESULT(IOmbrel3*)> call;
};

std::vector<Call> controllerCalls()
{
    return {
        {"ScanNumFromRT", [](IOmbrel3* r) { LONG s = 0; return r->ScanNumFromRT(1.0, &s); }},
        {"RTFromScanNum", [](IOmbrel3* r) { double t = 0; return r->RTFromScanNum(1, &t); }},
        {"GetFilters", [](IOmbrel3* r) { Var v; LONG n = 0; return r->GetFilters(&v.v, &n); }},
        {"GetFilterForScanNum", [](IOmbrel3* r) { Text t; return r->GetFilterForScanNum(1, &t.b); }},
        {"GetFilterForScanRT", [](IOmbrel3* r) { Text t; return r->GetFilterForScanRT(1.0, &t.b); }},
        {"GetScanEventForScanNum", [](IOmbrel3* r) { Text t; return r->GetScanEventForScanNum(1, &t.b); }},
        {"IsProfileScanForScanNum", [](IOmbrel3* r) { LONG f = 0; return r->IsProfileScanForScanNum(1, &f); }},
        {"IsCentroidScanForScanNum", [](IOmbrel3* r) { LONG f = 0; return r->IsCentroidScanForScanNum(1, &f); }},
        {"GetScanHeaderInfoForScanNum",
         [](IOmbrel3* r) {
             LONG a = 0, b = 0, c = 0;
             double d[7] = {};
             return r->GetScanHeaderInfoForScanNum(1, &a, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5], &b, &c, &d[6]);
         }},
        {"GetCurrentController", [](IOmbrel3* r) { LONG k = 0, n = 0; return r->GetCurrentController(&k, &n); }},
        {"GetNumSpectra", [](IOmbrel3* r) { LONG n = 0; return r->GetNumSpectra(&n); }},
    };
}

bool needsMS(const std::string& name)
{
    return name == "GetFilters" || name == "GetFilterForScanNum" || name == "GetFilterForScanRT" ||
           name == "GetScanEventForScanNum";
}

}  // namespace

TEST_F(OmbrelTest, ChecksRunInTheOrderNoFileNoControllerNotMS)
{
    for (const Call& c : controllerCalls())
        EXPECT_EQ(c.call(reader.get()), kOmbrelNoFile) << c.name;
    ASSERT_EQ(open(sample), kOmbrelDone);
    for (const Call& c : controllerCalls())
        EXPECT_EQ(c.call(reader.get()), kOmbrelNoController) << c.name;
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    for (const Call& c : controllerCalls()) {
        if (needsMS(c.name)) {
            EXPECT_EQ(c.call(reader.get()), kOmbrelNotMS) << c.name;
        }
    }
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    for (const Call& c : controllerCalls())
        EXPECT_EQ(c.call(reader.get()), kOmbrelDone) << c.name;
}

TEST_F(OmbrelTest, OutputsThatAreNotFreshAreRefusedAndLeftAlone)
{
    openSampleMS();
    Text held(L"keep me");
    BSTR before = held.b;
    EXPECT_EQ(reader->GetFilterForScanNum(1, &held.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetScanEventForScanNum(1, &held.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetFilterForScanRT(0.5, &held.b), kOmbrelBadArgument);
    EXPECT_EQ(held.b, before);
    EXPECT_EQ(held.str(), L"keep me");
    EXPECT_EQ(reader->GetFilterForScanNum(1, nullptr), kOmbrelBadArgument);

    Var full;
    full.v.vt = VT_I4;
    full.v.lVal = 5;
    LONG count = 77;
    EXPECT_EQ(reader->GetFilters(&full.v, &count), kOmbrelBadArgument);
    EXPECT_EQ(full.v.vt, VT_I4);
    EXPECT_EQ(count, 77);
    Var empty;
    EXPECT_EQ(reader->GetFilters(nullptr, &count), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetFilters(&empty.v, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(empty.v.vt, VT_EMPTY);

    LONG scan = 77;
    double rt = -1;
    EXPECT_EQ(reader->ScanNumFromRT(1.0, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->RTFromScanNum(1, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->IsProfileScanForScanNum(1, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->IsCentroidScanForScanNum(1, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->IsCentroidScanForScanNum(0, nullptr), kOmbrelBadArgument);
    LONG a = 0, b = 0;
    double d[7] = {};
    EXPECT_EQ(reader->GetScanHeaderInfoForScanNum(1, &a, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5], &b, nullptr, &d[6]),
              kOmbrelBadArgument);
    EXPECT_EQ(scan, 77);
    EXPECT_EQ(rt, -1);
}

TEST_F(OmbrelTest, TimesWithinTheRunMapToTheNearestScan)
{
    // Start times exact in binary, so that a time halfway between two
    // scans is exactly as near to both.
    for (size_t i = 0; i < model.controllers[0].scans.size(); ++i)
        model.controllers[0].scans[i].index.startTime = 0.5 + 0.25 * double(i);
    sample = writeModel(model, "quarters.raw");
    openSampleMS();
    CRawfile engine(wide(sample));
    const CVirtualData& ms = engine.Controller(0);
    const double start = ms.GetRunHeader().startTime;
    const double end = ms.GetRunHeader().endTime;
    const double t1 = ms.ScanStartTime(1), t2 = ms.ScanStartTime(2);

    struct Case {
        double rt;
        HRESULT status;
        LONG scan;
    } cases[] = {
        {start - 0.000005, kOmbrelDone, 1},       {start - 0.00002, kOmbrelBadArgument, 77},
        {end + 0.000005, kOmbrelDone, 30},        {end + 0.00002, kOmbrelBadArgument, 77},
        {(t1 + t2) / 2, kOmbrelDone, 1},          // a tie goes to the earlier scan
        {t1 + (t2 - t1) * 0.6, kOmbrelDone, 2},   {t2, kOmbrelDone, 2},
    };
    for (const Case& c : cases) {
        LONG scan = 77;
        EXPECT_EQ(reader->ScanNumFromRT(c.rt, &scan), c.status) << c.rt;
        EXPECT_EQ(scan, c.scan) << c.rt;
    }

    double rt = -1;
    EXPECT_EQ(reader->RTFromScanNum(1, &rt), kOmbrelDone);
    EXPECT_EQ(rt, t1);
    EXPECT_EQ(reader->RTFromScanNum(30, &rt), kOmbrelDone);
    EXPECT_EQ(rt, end);
    rt = -1;
    EXPECT_EQ(reader->RTFromScanNum(0, &rt), kOmbrelBadArgument);
    EXPECT_EQ(reader->RTFromScanNum(31, &rt), kOmbrelBadArgument);
    EXPECT_EQ(rt, -1);

    // Channel controllers answer from their own index.
    const CVirtualData& uv = engine.Controller(1);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    EXPECT_EQ(reader->RTFromScanNum(40, &rt), kOmbrelDone);
    EXPECT_EQ(rt, uv.ScanStartTime(40));
    EXPECT_EQ(reader->RTFromScanNum(41, &rt), kOmbrelBadArgument);
    LONG scan = 0;
    EXPECT_EQ(reader->ScanNumFromRT(uv.ScanStartTime(7), &scan), kOmbrelDone);
    EXPECT_EQ(scan, 7);
}

TEST_F(OmbrelTest, FiltersComeAsAnArrayOfTextsInOrderOfFirstAppearance)
{
    openSampleMS();
    Var filters;
    LONG count = 0;
    ASSERT_EQ(reader->GetFilters(&filters.v, &count), kOmbrelDone);
    const std::vector<std::wstring> texts = Texts(filters.v);
    ASSERT_EQ(count, 14);
    ASSERT_EQ(texts.size(), 14u);
    EXPECT_EQ(texts[0], L"FTMS + p ESI Full ms [100.00-1000.00]");
    EXPECT_EQ(texts[1], L"ITMS + c ESI d Full ms2 500.75@35.00 [135.00-1000.00]");
    EXPECT_EQ(texts[2], L"ITMS + c ESI d Full ms3 500.75@35.00 639.67@35.00 [172.00-660.00]");

    // Every scan's filter text is one of them, and selects the scan again.
    CRawfile engine(wide(sample));
    auto* ms = dynamic_cast<CVirtualMS*>(engine.SetVirtualDataObject(kOmbrelMS, 1));
    ASSERT_TRUE(ms);
    for (LONG s = 1; s <= 30; ++s) {
        Text f;
        ASSERT_EQ(reader->GetFilterForScanNum(s, &f.b), kOmbrelDone);
        EXPECT_NE(std::find(texts.begin(), texts.end(), f.str()), texts.end()) << narrow(f.str());
        const std::unique_ptr<CFilter> parsed = ombrel::ParseScanFilter(f.b, 2);
        ASSERT_TRUE(parsed) << narrow(f.str());
        EXPECT_TRUE(parsed->Matches(ms->GetScanEvent(s))) << s;
    }
}

TEST_F(OmbrelTest, FilterAndEventTextsOfAScan)
{
    openSampleMS();
    Text filter, event, byTime;
    ASSERT_EQ(reader->GetFilterForScanNum(2, &filter.b), kOmbrelDone);
    EXPECT_EQ(filter.str(), L"ITMS + c ESI d Full ms2 500.75@35.00 [135.00-1000.00]");
    // The event states the switches it records, on or off.
    ASSERT_EQ(reader->GetScanEventForScanNum(2, &event.b), kOmbrelDone);
    EXPECT_EQ(event.str(), L"ITMS + c ESI !sid !t d !w !u Full ms2 500.75@35.00 [135.00-1000.00]");
    double rt = 0;
    ASSERT_EQ(reader->RTFromScanNum(2, &rt), kOmbrelDone);
    ASSERT_EQ(reader->GetFilterForScanRT(rt, &byTime.b), kOmbrelDone);
    EXPECT_EQ(byTime.str(), filter.str());

    Text none;
    EXPECT_EQ(reader->GetFilterForScanNum(0, &none.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetScanEventForScanNum(31, &none.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetFilterForScanRT(100.0, &none.b), kOmbrelBadArgument);
    EXPECT_EQ(none.b, nullptr);

    // The masses take the file's filter mass precision.
    model.controllers[0].runHeader.filterMassPrecision = 4;
    ASSERT_EQ(open(writeModel(model, "precise.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    Text precise;
    ASSERT_EQ(reader->GetFilterForScanNum(2, &precise.b), kOmbrelDone);
    EXPECT_EQ(precise.str(), L"ITMS + c ESI d Full ms2 500.7500@35.00 [135.0000-1000.0000]");
}

TEST_F(OmbrelTest, AnIndexEntryThatNamesNoScanIsAnEngineFault)
{
    model.controllers[0].scans[3].index.scanNumber = 0;
    ASSERT_EQ(open(writeModel(model, "noscan.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    Text t;
    EXPECT_EQ(reader->GetFilterForScanNum(4, &t.b), kOmbrelEngineFailed);
    EXPECT_EQ(reader->GetScanEventForScanNum(4, &t.b), kOmbrelEngineFailed);
    EXPECT_EQ(t.b, nullptr);
    EXPECT_EQ(reader->GetFilterForScanNum(5, &t.b), kOmbrelDone);
}

TEST_F(OmbrelTest, ProfileAndCentroidScans)
{
    openSampleMS();
    struct Case {
        LONG scan;
        LONG profile;
    } cases[] = {{1, 1}, {2, 0}, {3, 0}, {4, 1}};  // survey and zoom profile; MS2, MS3 centroid
    for (const Case& c : cases) {
        LONG profile = 77, centroid = 77;
        EXPECT_EQ(reader->IsProfileScanForScanNum(c.scan, &profile), kOmbrelDone);
        EXPECT_EQ(reader->IsCentroidScanForScanNum(c.scan, &centroid), kOmbrelDone);
        EXPECT_EQ(profile, c.profile) << c.scan;
        EXPECT_EQ(centroid, 1 - c.profile) << c.scan;
    }
    LONG flag = 77;
    EXPECT_EQ(reader->IsProfileScanForScanNum(31, &flag), kOmbrelBadArgument);
    EXPECT_EQ(reader->IsCentroidScanForScanNum(0, &flag), kOmbrelBadArgument);
    EXPECT_EQ(flag, 77);
    // Channel readings are sampled signals: profile.
    ASSERT_EQ(reader->SetCurrentController(kOmbrelAnalog, 1), kOmbrelDone);
    EXPECT_EQ(reader->IsCentroidScanForScanNum(1, &flag), kOmbrelDone);
    EXPECT_EQ(flag, 0);
}

TEST_F(OmbrelTest, ScanHeadersOfBothViews)
{
    openSampleMS();
    CRawfile engine(wide(sample));
    LONG packets = -1, channels = -1, uniform = -1;
    double start, low, high, tic, bpMass, bpIntensity, frequency;
    ASSERT_EQ(reader->GetScanHeaderInfoForScanNum(1, &packets, &start, &low, &high, &tic, &bpMass, &bpIntensity,
                                                  &channels, &uniform, &frequency),
              kOmbrelDone);
    auto* ms = dynamic_cast<CVirtualMS*>(engine.SetVirtualDataObject(kOmbrelMS, 1));
    ASSERT_TRUE(ms);
    const ScanIndex& s = ms->GetScanIndex(1);
    EXPECT_EQ(packets, 2);  // the survey's two segments
    EXPECT_EQ(start, s.startTime);
    EXPECT_EQ(low, s.lowMass);
    EXPECT_EQ(high, s.highMass);
    EXPECT_EQ(tic, s.tic);
    EXPECT_EQ(bpMass, s.basePeakMass);
    EXPECT_EQ(bpIntensity, s.basePeakIntensity);
    EXPECT_GT(bpIntensity, 0.0);
    EXPECT_EQ(channels, 0);
    EXPECT_EQ(uniform, 0);
    EXPECT_EQ(frequency, 0.0);

    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    ASSERT_EQ(reader->GetScanHeaderInfoForScanNum(3, &packets, &start, &low, &high, &tic, &bpMass, &bpIntensity,
                                                  &channels, &uniform, &frequency),
              kOmbrelDone);
    auto* uv = dynamic_cast<CVirtualUV*>(engine.SetVirtualDataObject(kOmbrelUV, 1));
    ASSERT_TRUE(uv);
    const UVScanIndex& u = uv->GetUVScanIndex(3);
    EXPECT_EQ(packets, 1);
    EXPECT_EQ(start, u.startTime);
    EXPECT_EQ(low, 0.0);
    EXPECT_EQ(high, 2000.0);
    EXPECT_EQ(tic, u.tic);
    EXPECT_EQ(bpMass, 0.0);
    EXPECT_EQ(bpIntensity, 0.0);
    EXPECT_EQ(channels, 3);
    EXPECT_EQ(uniform, 1);
    EXPECT_EQ(frequency, 20.0);
    EXPECT_EQ(reader->GetScanHeaderInfoForScanNum(41, &packets, &start, &low, &high, &tic, &bpMass, &bpIntensity,
                                                  &channels, &uniform, &frequency),
              kOmbrelBadArgument);
}

TEST(OmbrelParse, ScanFiltersAndMassRanges)
{
    EXPECT_FALSE(ombrel::ParseScanFilter(nullptr, 2));
    EXPECT_FALSE(ombrel::ParseScanFilter(L"", 2));
    EXPECT_FALSE(ombrel::ParseScanFilter(L"FTMS + Full ms2 500@", 2));
    const auto f = ombrel::ParseScanFilter(L"ftms + full ms2", 2);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->GetFilterString(2), L"FTMS + Full ms2");

    std::vector<std::pair<double, double>> ranges;
    ASSERT_TRUE(ombrel::ParseMassRanges(L"100-200, 300-400", ranges));
    EXPECT_EQ(ranges, (std::vector<std::pair<double, double>>{{100, 200}, {300, 400}}));
    ASSERT_TRUE(ombrel::ParseMassRanges(L"1.5-99999.00", ranges));
    EXPECT_EQ(ranges, (std::vector<std::pair<double, double>>{{1.5, 99999.0}}));
    // What does not parse leaves the list as it was.
    for (const wchar_t* bad : {L"", L"abc", L"200-100", L"100-200]", L"FTMS [100-200]", L"100-", (const wchar_t*)nullptr})
        EXPECT_FALSE(ombrel::ParseMassRanges(bad, ranges)) << (bad ? narrow(bad) : "null");
    EXPECT_EQ(ranges, (std::vector<std::pair<double, double>>{{1.5, 99999.0}}));
}
