// Chromatograms through the reader: whole-run times, the rules of trace
// types, ranges, operators, delays, filters and smoothing per controller
// kind (one table for GetChroData and GetChros), the (time, intensity)
// pairs and full readings the engine computes, and GetChros's parameter
// array and outputs.
#include "ombreltest.h"

#include "kscomptr.h"

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

// The eleven values of a GetChros request, trace types as the engine
// numbers them.
void putRequest(VARIANT* v, LONG t1, LONG op, LONG t2, const Request& q)
{
    const LONG longs[] = {t1, op, t2};
    for (int i = 0; i < 3; ++i) {
        v[i].vt = VT_I4;
        v[i].lVal = longs[i];
    }
    const wchar_t* texts[] = {q.filter, q.ranges1, q.ranges2};
    for (int i = 0; i < 3; ++i) {
        v[3 + i].vt = VT_BSTR;
        v[3 + i].bstrVal = SysAllocString(texts[i]);
    }
    const double reals[] = {q.delay, q.start, q.end};
    for (int i = 0; i < 3; ++i) {
        v[6 + i].vt = VT_R8;
        v[6 + i].dblVal = reals[i];
    }
    v[9].vt = VT_I4;
    v[9].lVal = q.smoothing;
    v[10].vt = VT_I4;
    v[10].lVal = q.points;
}

// A parameter array of `count` VARIANTs holding the requests (types
// translated for the controller kind as GetChroData translates indexes),
// then empty elements.
void chrosParams(const std::vector<Request>& qs, LONG kind, VARIANT* out, ULONG count = 0)
{
    if (count == 0)
        count = ULONG(11 * qs.size());
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, count);
    ASSERT_TRUE(array);
    VARIANT* v = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&v));
    for (size_t k = 0; k < qs.size() && 11 * (k + 1) <= count; ++k) {
        const LONG t1 = TranslateTraceCBIndexToEnum(qs[k].type1, kind, kTraceNone);
        putRequest(v + 11 * k, t1, qs[k].op, TranslateTraceCBIndexToEnum(qs[k].type2, kind, t1), qs[k]);
    }
    SafeArrayUnaccessData(array);
    out->vt = VT_ARRAY | VT_VARIANT;
    out->parray = array;
}

struct ChrosAnswer {
    HRESULT status;
    double start, end;
    std::vector<LONG> sizes;
    std::vector<ks::Variant> values;  // ten per point
    bool sizesOut = false, dataOut = false;
};

ChrosAnswer chros(IOmbrel3* r, LONG n, VARIANT* params, double start = -1, double end = -1)
{
    Var sizes, data, flags;
    ChrosAnswer a{};
    a.status = r->GetChros(n, &start, &end, params, &sizes.v, &data.v, &flags.v);
    a.start = start;
    a.end = end;
    EXPECT_EQ(flags.v.vt, VT_EMPTY);
    if (sizes.v.vt == (VT_ARRAY | VT_I4)) {
        a.sizesOut = true;
        ks::SafeArrayAccess<LONG> s(sizes.v.parray);
        a.sizes.assign(s.data(), s.data() + sizes.v.parray->rgsabound[0].cElements);
    }
    if (data.v.vt == (VT_ARRAY | VT_VARIANT)) {
        a.dataOut = true;
        ks::SafeArrayAccess<VARIANT> d(data.v.parray);
        for (ULONG i = 0; i < data.v.parray->rgsabound[0].cElements; ++i)
            a.values.emplace_back(d[i]);
    }
    return a;
}

ChrosAnswer chros(IOmbrel3* r, const std::vector<Request>& qs, LONG kind)
{
    Var params;
    chrosParams(qs, kind, &params.v);
    return chros(r, LONG(qs.size()), &params.v);
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
    // `listed` is GetChros's answer for the same request with the types
    // translated (it makes no channel-count test).
    struct Case {
        const char* name;
        LONG kind;
        Request q;
        HRESULT status;
        HRESULT listed = -1;  // -1: as `status`
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
        {"UV channel beyond the count", kOmbrelUV, req([](Request& q) { q.type1 = 3; }), kOmbrelNothing,
         kOmbrelDone},
        {"UV channel beyond the types", kOmbrelUV, req([](Request& q) { q.type1 = 8; }), kOmbrelBadArgument},
        {"UV channel minus another", kOmbrelUV, req([](Request& q) { q.type1 = 0; q.op = 1; q.type2 = 2; }),
         kOmbrelDone},
        {"UV channel minus itself", kOmbrelUV, req([](Request& q) { q.type1 = 1; q.op = 1; q.type2 = 1; }),
         kOmbrelBadArgument},
        {"PDA total scan", kOmbrelPDA, Request{}, kOmbrelDone},
        {"PDA wavelength range", kOmbrelPDA, req([](Request& q) { q.type1 = 0; q.ranges1 = L"250-300"; }),
         kOmbrelDone},
        {"PDA wavelength range without ranges", kOmbrelPDA, req([](Request& q) { q.type1 = 0; }),
         kOmbrelBadArgument},
        {"PDA filter", kOmbrelPDA, req([](Request& q) { q.filter = L"FTMS"; }), kOmbrelNotMS},
        {"PDA total scan with ranges", kOmbrelPDA, req([](Request& q) { q.ranges1 = L"250-300"; }),
         kOmbrelBadArgument},
        {"PDA total scan summed", kOmbrelPDA,
         req([](Request& q) { q.op = 2; q.type2 = 0; q.ranges2 = L"250-300"; }), kOmbrelBadArgument},
        {"PDA total scan minus itself", kOmbrelPDA, req([](Request& q) { q.op = 1; q.type2 = 1; }),
         kOmbrelBadArgument},
        {"PDA total scan minus a range", kOmbrelPDA,
         req([](Request& q) { q.op = 1; q.type2 = 0; q.ranges2 = L"250-300"; }), kOmbrelDone},
        {"PDA maximum minus total scan", kOmbrelPDA, req([](Request& q) { q.type1 = 2; q.op = 1; q.type2 = 1; }),
         kOmbrelBadArgument},
        {"PDA maximum plus a range", kOmbrelPDA,
         req([](Request& q) { q.type1 = 2; q.op = 2; q.type2 = 0; q.ranges2 = L"250-300"; }), kOmbrelDone},
        {"PDA range minus a range without its text", kOmbrelPDA,
         req([](Request& q) { q.type1 = 0; q.ranges1 = L"250-300"; q.op = 1; q.type2 = 0; }), kOmbrelBadArgument},
        {"PDA second ranges without operator", kOmbrelPDA, req([](Request& q) { q.ranges2 = L"250-300"; }),
         kOmbrelBadArgument},
        {"PDA delay", kOmbrelPDA, req([](Request& q) { q.delay = 0.5; }), kOmbrelDone},
        {"analog channel", kOmbrelAnalog, req([](Request& q) { q.type1 = 0; }), kOmbrelDone},
        {"analog filter", kOmbrelAnalog, req([](Request& q) { q.type1 = 0; q.filter = L"ms"; }), kOmbrelNotMS},
        {"analog second ranges", kOmbrelAnalog,
         req([](Request& q) { q.type1 = 0; q.op = 1; q.type2 = 0; q.ranges2 = L"1-2"; }), kOmbrelNotMS},
        {"MS delay within the slack", kOmbrelMS, req([](Request& q) { q.delay = 0.000005; }), kOmbrelDone},
        {"MS mass range minus base peak", kOmbrelMS,
         req([](Request& q) { q.type1 = 0; q.ranges1 = L"400-600"; q.op = 1; q.type2 = 2; }), kOmbrelBadArgument},
        {"MS mass range plus a mass range", kOmbrelMS,
         req([](Request& q) { q.type1 = 0; q.ranges1 = L"400-600"; q.op = 2; q.type2 = 0; q.ranges2 = L"600-800"; }),
         kOmbrelDone},
        {"MS base peak of a range", kOmbrelMS,
         req([](Request& q) { q.type1 = 2; q.ranges1 = L"100-200, 300-400"; }), kOmbrelDone},
        {"MS filter no scan passes", kOmbrelMS, req([](Request& q) { q.filter = L"TQMS"; }), kOmbrelDone},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(reader->SetCurrentController(c.kind, 1), kOmbrelDone) << c.name;
        const Answer a = chro(reader.get(), c.q);
        EXPECT_EQ(a.status, c.status) << c.name;
        if (a.status != kOmbrelDone) {
            EXPECT_EQ(a.count, -1) << c.name;
        } else if (c.q.filter != std::wstring(L"TQMS")) {
            EXPECT_GT(a.count, 0) << c.name;
        }
        const ChrosAnswer l = chros(reader.get(), {c.q}, c.kind);
        EXPECT_EQ(l.status, c.listed == -1 ? c.status : c.listed) << c.name;
        EXPECT_EQ(l.sizesOut, l.status == kOmbrelDone) << c.name;
        if (l.status == kOmbrelDone && a.status == kOmbrelDone) {
            ASSERT_EQ(l.sizes.size(), 1u) << c.name;
            EXPECT_EQ(l.sizes[0], a.status == kOmbrelDone && a.count > 0 ? a.count : 0) << c.name;
            EXPECT_EQ(l.dataOut, l.sizes[0] > 0) << c.name;
        }
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

TEST_F(OmbrelTest, ChromatogramListLayoutAndOwnWindows)
{
    openSampleMS();
    CRawfile engine(wide(sample));
    const CVirtualData& ms = engine.Controller(0);

    // One total-ion request over the whole run: ten VARIANTs per point.
    const ChrosAnswer tic = chros(reader.get(), {Request{}}, kOmbrelMS);
    ASSERT_EQ(tic.status, kOmbrelDone);
    EXPECT_EQ(tic.start, ms.GetRunHeader().startTime);
    EXPECT_EQ(tic.end, ms.GetRunHeader().endTime);
    ASSERT_EQ(tic.sizes, std::vector<LONG>{30});
    ASSERT_EQ(tic.values.size(), 300u);
    CRawChro want(kTraceTIC);
    ms.GetChro({&want}, ms.FirstScan(), ms.LastScan());
    uint8_t flagsSeen = 0;
    for (int i = 0; i < 30; ++i) {
        const DataPeak& p = want.Reading(i);
        const ks::Variant* v = &tic.values[size_t(10 * i)];
        ASSERT_EQ(v[0].vt, VT_R8);
        EXPECT_EQ(v[0].dblVal, p.intensity);
        ASSERT_EQ(v[1].vt, VT_R8);
        EXPECT_EQ(v[1].dblVal, p.position);
        ASSERT_EQ(v[2].vt, VT_R4);
        EXPECT_EQ(v[2].fltVal, p.basePeak);
        ASSERT_EQ(v[3].vt, VT_I4);
        EXPECT_EQ(v[3].lVal, p.scan);
        for (int b = 0; b < 6; ++b) {
            ASSERT_EQ(v[4 + b].vt, VT_I1) << i << " bit " << b;
            EXPECT_EQ(uint8_t(v[4 + b].cVal), (p.flags >> b) & 1 ? 0xFF : 0) << i << " bit " << b;
        }
        flagsSeen |= p.flags;
    }
    EXPECT_EQ(flagsSeen & (kReadingProfile | kReadingDependent), kReadingProfile | kReadingDependent);

    // Two requests with windows 1 to 2 and 3 to 4 minutes (the analog
    // input runs 0.5 to 3.4): each is filled over its own window, the
    // second smoothed, and the times span both.
    ASSERT_EQ(reader->SetCurrentController(kOmbrelAnalog, 1), kOmbrelDone);
    const CVirtualData& analog = engine.Controller(3);
    Request a, b;
    a.type1 = b.type1 = 0;
    a.start = 1.0;
    a.end = 2.0;
    b.start = 3.0;
    b.end = 4.0;
    b.smoothing = 1;
    b.points = 3;
    const ChrosAnswer two = chros(reader.get(), {a, b}, kOmbrelAnalog);
    ASSERT_EQ(two.status, kOmbrelDone);
    EXPECT_EQ(two.start, 1.0);
    EXPECT_EQ(two.end, 4.0);
    CRawChro first(kTraceAnalogFirst), second(kTraceAnalogFirst);
    analog.GetChro({&first}, analog.FindScanPosition(1.0), analog.FindScanPosition(2.0));
    analog.GetChro({&second}, analog.FindScanPosition(3.0), analog.FindScanPosition(4.0));
    CSmoother::SmoothChro(second, kSmoothMovingMean, 3);
    ASSERT_EQ(two.sizes, (std::vector<LONG>{first.NumReadings(), second.NumReadings()}));
    ASSERT_EQ(first.NumReadings(), 11);
    ASSERT_EQ(second.NumReadings(), 5);
    ASSERT_EQ(two.values.size(), 160u);
    for (int i = 0; i < 16; ++i) {
        const DataPeak& p = i < 11 ? first.Reading(i) : second.Reading(i - 11);
        EXPECT_EQ(two.values[size_t(10 * i)].dblVal, p.intensity) << i;
        EXPECT_EQ(two.values[size_t(10 * i + 1)].dblVal, p.position) << i;
        EXPECT_EQ(two.values[size_t(10 * i + 3)].lVal, p.scan) << i;
        if (i < 11)
            EXPECT_TRUE(p.position >= 1.0 - 1e-9 && p.position <= 2.0 + 1e-9) << i;
        else
            EXPECT_GE(p.position, 3.0 - 1e-9) << i;
    }

    // A request no scan passes: its count is 0 and no data array comes.
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    Request none;
    none.filter = L"TQMS";
    const ChrosAnswer empty = chros(reader.get(), {none}, kOmbrelMS);
    EXPECT_EQ(empty.status, kOmbrelDone);
    EXPECT_EQ(empty.sizes, std::vector<LONG>{0});
    EXPECT_FALSE(empty.dataOut);
}

TEST_F(OmbrelTest, ChromatogramListChecks)
{
    Var params;
    chrosParams({Request{}}, kOmbrelMS, &params.v);
    EXPECT_EQ(chros(reader.get(), 1, &params.v).status, kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(chros(reader.get(), 1, &params.v).status, kOmbrelNoController);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    EXPECT_EQ(chros(reader.get(), 1, &params.v).status, kOmbrelDone);

    // The array's length against the request count.
    struct Length {
        LONG requests;
        ULONG elements;
        HRESULT status;
    };
    for (const Length& l : {Length{1, 10, kOmbrelBadChroParams}, Length{1, 12, kOmbrelBadChroParams},
                            Length{2, 11, kOmbrelBadChroParams}, Length{1, 22, kOmbrelBadChroParams},
                            Length{2, 22, kOmbrelDone}, Length{0, 0, kOmbrelBadArgument},
                            Length{-1, 11, kOmbrelBadArgument}}) {
        Var p;
        chrosParams({Request{}, Request{}}, kOmbrelMS, &p.v, l.elements ? l.elements : 1);
        EXPECT_EQ(chros(reader.get(), l.requests, &p.v).status, l.status) << l.requests << " " << l.elements;
    }
    // Eleven elements in two dimensions are read by position all the same.
    {
        SAFEARRAYBOUND bounds[2] = {{11, 0}, {1, 0}};
        Var p;
        p.v.vt = VT_ARRAY | VT_VARIANT;
        p.v.parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
        VARIANT* v = nullptr;
        SafeArrayAccessData(p.v.parray, reinterpret_cast<void**>(&v));
        putRequest(v, kTraceTIC, 0, 0, Request{});
        SafeArrayUnaccessData(p.v.parray);
        EXPECT_EQ(chros(reader.get(), 1, &p.v).sizes, std::vector<LONG>{30});
    }
    // What is not an array of VARIANTs.
    {
        Var number, texts;
        number.v.vt = VT_I4;
        texts.v.vt = VT_ARRAY | VT_BSTR;
        texts.v.parray = SafeArrayCreateVector(VT_BSTR, 0, 11);
        EXPECT_EQ(chros(reader.get(), 1, &number.v).status, kOmbrelBadArgument);
        EXPECT_EQ(chros(reader.get(), 1, &texts.v).status, kOmbrelBadArgument);
        EXPECT_EQ(chros(reader.get(), 1, nullptr).status, kOmbrelBadArgument);
    }

    // Each element is converted to the type of its position: a text where
    // a number belongs is refused unless it is a number.
    auto withElement = [&](int position, const VARIANT& value) {
        Var p;
        chrosParams({Request{}}, kOmbrelMS, &p.v);
        VARIANT* v = nullptr;
        SafeArrayAccessData(p.v.parray, reinterpret_cast<void**>(&v));
        VariantCopy(&v[position], &value);
        SafeArrayUnaccessData(p.v.parray);
        return chros(reader.get(), 1, &p.v);
    };
    EXPECT_EQ(withElement(0, ks::Variant(L"abc")).status, kOmbrelBadArgument);
    EXPECT_EQ(withElement(7, ks::Variant(L"abc")).status, kOmbrelBadArgument);
    EXPECT_EQ(withElement(0, ks::Variant(L"1")).sizes, std::vector<LONG>{30});
    EXPECT_EQ(withElement(0, ks::Variant(1.0)).sizes, std::vector<LONG>{30});
    EXPECT_EQ(withElement(3, ks::Variant()).sizes, std::vector<LONG>{30});  // no filter
    {
        ks::Variant array;
        array.attachArray(SafeArrayCreateVector(VT_I4, 0, 1), VT_I4);
        EXPECT_EQ(withElement(3, array).status, kOmbrelBadArgument);
    }

    // The first request that fails decides.
    Request badFilter, reversed;
    badFilter.filter = L"FTMS ms2 500@";
    reversed.start = 1.5;
    reversed.end = 1.0;
    EXPECT_EQ(chros(reader.get(), {Request{}, badFilter}, kOmbrelMS).status, kOmbrelBadFilter);
    EXPECT_EQ(chros(reader.get(), {reversed, badFilter}, kOmbrelMS).status, kOmbrelBadArgument);

    // Outputs: null times 6; outputs given must be empty (6); a missing
    // count or data output 2; the flags output may be null.
    double s = 0, e = 0;
    Var sizes, data, flags, used;
    used.v.vt = VT_I4;
    EXPECT_EQ(reader->GetChros(1, nullptr, &e, &params.v, &sizes.v, &data.v, &flags.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetChros(1, &s, nullptr, &params.v, &sizes.v, &data.v, &flags.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetChros(1, &s, &e, &params.v, &used.v, &data.v, &flags.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetChros(1, &s, &e, &params.v, &sizes.v, &used.v, &flags.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetChros(1, &s, &e, &params.v, &sizes.v, &data.v, &used.v), kOmbrelBadArgument);
    EXPECT_EQ(used.v.vt, VT_I4);
    EXPECT_EQ(reader->GetChros(1, &s, &e, &params.v, nullptr, &data.v, &flags.v), kOmbrelEngineFailed);
    EXPECT_EQ(reader->GetChros(1, &s, &e, &params.v, &sizes.v, nullptr, &flags.v), kOmbrelEngineFailed);
    EXPECT_EQ(sizes.v.vt, VT_EMPTY);
    EXPECT_EQ(reader->GetChros(1, &s, &e, &params.v, &sizes.v, &data.v, nullptr), kOmbrelDone);
    VariantClear(&sizes.v);
    VariantClear(&data.v);

    // Arrays that cannot be made, and an engine failure: 2 with nothing
    // handed out, the object still usable.
    for (int n : {1, 2}) {
        ksTestFailNextSafeArrayAllocations(n);
        const ChrosAnswer a = chros(reader.get(), 1, &params.v);
        ksTestFailNextSafeArrayAllocations(0);
        EXPECT_EQ(a.status, kOmbrelEngineFailed) << n;
        EXPECT_FALSE(a.sizesOut || a.dataOut) << n;
    }
    testhook::FailNextCall("GetChro");
    EXPECT_EQ(chros(reader.get(), 1, &params.v).status, kOmbrelEngineFailed);
    EXPECT_EQ(chros(reader.get(), 1, &params.v).status, kOmbrelDone);
}

TEST_F(OmbrelTest, ChromatogramsOfAControllerWithoutScans)
{
    model.controllers[0].scans.clear();
    model.controllers[0].trailer.records.clear();
    ASSERT_EQ(open(writeModel(model, "noscans.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    EXPECT_EQ(chro(reader.get(), Request{}).status, kOmbrelNothing);
    EXPECT_EQ(chros(reader.get(), {Request{}}, kOmbrelMS).status, kOmbrelNothing);
}
