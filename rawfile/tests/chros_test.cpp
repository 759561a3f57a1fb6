// Chromatograms through the reader: whole-run times, the rules of trace
// types, ranges, operators, delays, filters and smoothing per controller
// kind, and the (time, intensity) pairs the engine computes.
#include "ombreltest.h"

using namespace ombreltest;

namespace {

struct Request {
    LONG type1 = 1, op = 0, type2 = 0;
    const wchar_t* filter = L"";
    const wchar_t* ranges1 = L"";
    const wchar_t* ranges2 = L"";
    double delay = 0.0;
    double start = 0.0, end = 0.0;
    LONG smoothing = 0, points = 0;
};

struct Answer {
    HRESULT status;
    LONG count;
    std::vector<std::pair<double, double>> pairs;
    double start, end;
};

Answer chro(IOmbrel3* r, Request q)
{
    Text f(q.filter), r1(q.ranges1), r2(q.ranges2);
    Var data;
    LONG count = -1;
    Answer a{};
    a.status = r->GetChroData(q.type1, q.op, q.type2, f.b, r1.b, r2.b, q.delay, &q.start, &q.end, q.smoothing,
                              q.points, &data.v, nullptr, &count);
    a.count = count;
    a.start = q.start;
    a.end = q.end;
    if (data.v.vt == (VT_ARRAY | VT_R8)) {
        double* d = nullptr;
        SafeArrayAccessData(data.v.parray, reinterpret_cast<void**>(&d));
        for (LONG j = 0; j < count; ++j)
            a.pairs.emplace_back(d[2 * j], d[2 * j + 1]);
        SafeArrayUnaccessData(data.v.parray);
    }
    return a;
}

}  // namespace

TEST_F(OmbrelTest, ChromatogramOfTheWholeRun)
{
    openSampleMS();
    CRawfile engine(wide(sample));
    const CVirtualData& ms = engine.Controller(0);
    const Answer tic = chro(reader.get(), Request{});
    ASSERT_EQ(tic.status, kOmbrelDone);
    EXPECT_EQ(tic.start, ms.GetRunHeader().startTime);  // both 0: the whole run, written back
    EXPECT_EQ(tic.end, ms.GetRunHeader().endTime);
    ASSERT_EQ(tic.count, 30);
    CRawChro want(kTraceTIC);
    ms.GetChro({&want}, ms.FirstScan(), ms.LastScan());
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(tic.pairs[size_t(i)].first, want.Reading(i).position);
        EXPECT_EQ(tic.pairs[size_t(i)].second, want.Reading(i).intensity);
    }
    // A filter and a window.
    Request q;
    q.filter = L"ITMS + c ESI d Full ms2";
    q.start = 0.5;
    q.end = 1.0;
    const Answer ms2 = chro(reader.get(), q);
    ASSERT_EQ(ms2.status, kOmbrelDone);
    EXPECT_EQ(ms2.count, 2);  // scans 2 and 7
    // Smoothed: as many readings.
    q.smoothing = 1;
    q.points = 3;
    EXPECT_EQ(chro(reader.get(), q).count, 2);
}

TEST_F(OmbrelTest, ChromatogramRulesPerControllerKind)
{
    openSampleMS();
    struct Case {
        const char* name;
        LONG kind;
        Request q;
        HRESULT status;
    };
    auto req = [](auto f) {
        Request q;
        f(q);
        return q;
    };
    const Case cases[] = {
        {"MS total ion", kOmbrelMS, Request{}, kOmbrelDone},
        {"MS total ion with ranges", kOmbrelMS, req([](Request& q) { q.ranges1 = L"400-600"; }), kOmbrelBadArgument},
        {"MS base peak with ranges", kOmbrelMS, req([](Request& q) { q.type1 = 2; q.ranges1 = L"400-600"; }),
         kOmbrelDone},
        {"MS mass range without ranges", kOmbrelMS, req([](Request& q) { q.type1 = 0; }), kOmbrelBadArgument},
        {"MS mass range", kOmbrelMS, req([](Request& q) { q.type1 = 0; q.ranges1 = L"400-600"; }), kOmbrelDone},
        {"MS total ion summed", kOmbrelMS, req([](Request& q) { q.op = 2; q.type2 = 0; q.ranges2 = L"1-2"; }),
         kOmbrelBadArgument},
        {"MS total ion minus itself", kOmbrelMS, req([](Request& q) { q.op = 1; q.type2 = 1; }),
         kOmbrelBadArgument},
        {"MS base peak minus a mass range", kOmbrelMS,
         req([](Request& q) { q.type1 = 2; q.op = 1; q.type2 = 0; q.ranges2 = L"400-600"; }), kOmbrelDone},
        {"MS second ranges without operator", kOmbrelMS, req([](Request& q) { q.ranges2 = L"400-600"; }),
         kOmbrelBadArgument},
        {"MS operator 3", kOmbrelMS, req([](Request& q) { q.op = 3; }), kOmbrelBadArgument},
        {"MS delay", kOmbrelMS, req([](Request& q) { q.delay = 0.5; }), kOmbrelBadArgument},
        {"MS bad filter", kOmbrelMS, req([](Request& q) { q.filter = L"FTMS ms2 500@"; }), kOmbrelBadFilter},
        {"MS unknown index", kOmbrelMS, req([](Request& q) { q.type1 = 9; }), kOmbrelBadArgument},
        {"smoothing 4 points", kOmbrelMS, req([](Request& q) { q.smoothing = 1; q.points = 4; }), kOmbrelBadArgument},
        {"smoothing 15 points", kOmbrelMS, req([](Request& q) { q.smoothing = 2; q.points = 15; }), kOmbrelDone},
        {"smoothing 17 points", kOmbrelMS, req([](Request& q) { q.smoothing = 1; q.points = 17; }),
         kOmbrelBadArgument},
        {"smoothing type 3", kOmbrelMS, req([](Request& q) { q.smoothing = 3; q.points = 3; }), kOmbrelBadArgument},
        {"start after end", kOmbrelMS, req([](Request& q) { q.start = 1.5; q.end = 1.0; }), kOmbrelBadArgument},
        {"UV channel", kOmbrelUV, req([](Request& q) { q.type1 = 2; }), kOmbrelDone},
        {"UV delay", kOmbrelUV, req([](Request& q) { q.type1 = 0; q.delay = 0.5; }), kOmbrelDone},
        {"UV filter", kOmbrelUV, req([](Request& q) { q.type1 = 0; q.filter = L"FTMS"; }), kOmbrelNotMS},
        {"UV ranges", kOmbrelUV, req([](Request& q) { q.type1 = 0; q.ranges1 = L"1-2"; }), kOmbrelNotMS},
        {"UV channel beyond the count", kOmbrelUV, req([](Request& q) { q.type1 = 3; }), kOmbrelNothing},
        {"UV channel minus itself", kOmbrelUV, req([](Request& q) { q.type1 = 1; q.op = 1; q.type2 = 1; }),
         kOmbrelBadArgument},
        {"PDA total scan", kOmbrelPDA, Request{}, kOmbrelDone},
        {"PDA wavelength range", kOmbrelPDA, req([](Request& q) { q.type1 = 0; q.ranges1 = L"250-300"; }),
         kOmbrelDone},
        {"PDA wavelength range without ranges", kOmbrelPDA, req([](Request& q) { q.type1 = 0; }),
         kOmbrelBadArgument},
        {"PDA filter", kOmbrelPDA, req([](Request& q) { q.filter = L"FTMS"; }), kOmbrelNotMS},
        {"analog channel", kOmbrelAnalog, req([](Request& q) { q.type1 = 0; }), kOmbrelDone},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(reader->SetCurrentController(c.kind, 1), kOmbrelDone) << c.name;
        const Answer a = chro(reader.get(), c.q);
        EXPECT_EQ(a.status, c.status) << c.name;
        if (a.status == kOmbrelDone)
            EXPECT_GT(a.count, 0) << c.name;
        else
            EXPECT_EQ(a.count, -1) << c.name;
    }
}

TEST_F(OmbrelTest, ChromatogramChecks)
{
    Request q;
    EXPECT_EQ(chro(reader.get(), q).status, kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(chro(reader.get(), q).status, kOmbrelNoController);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    Var data, full;
    full.v.vt = VT_I4;
    LONG count = 0;
    double s = 0, e = 0;
    EXPECT_EQ(reader->GetChroData(1, 0, 0, nullptr, nullptr, nullptr, 0, &s, &e, 0, 0, &full.v, nullptr, &count),
              kOmbrelBadArgument);
    EXPECT_EQ(reader->GetChroData(1, 0, 0, nullptr, nullptr, nullptr, 0, nullptr, &e, 0, 0, &data.v, nullptr, &count),
              kOmbrelBadArgument);
    EXPECT_EQ(reader->GetChroData(1, 0, 0, nullptr, nullptr, nullptr, 0, &s, &e, 0, 0, &data.v, nullptr, nullptr),
              kOmbrelBadArgument);
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(reader->GetChroData(1, 0, 0, nullptr, nullptr, nullptr, 0, &s, &e, 0, 0, &data.v, nullptr, &count),
              kOmbrelEngineFailed);
    ksTestFailNextSafeArrayAllocations(0);
    EXPECT_EQ(data.v.vt, VT_EMPTY);
    testhook::FailNextCall("GetChro");
    EXPECT_EQ(reader->GetChroData(1, 0, 0, nullptr, nullptr, nullptr, 0, &s, &e, 0, 0, &data.v, nullptr, &count),
              kOmbrelEngineFailed);
    EXPECT_EQ(reader->GetChroData(1, 0, 0, nullptr, nullptr, nullptr, 0, &s, &e, 0, 0, &data.v, nullptr, &count),
              kOmbrelDone);
}
