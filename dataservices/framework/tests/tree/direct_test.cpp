// The tree's Direct reads of one spectrum hand the reader's record to the
// caller's handle by exchange, without copying the points, where the
// handle holds a plain record; every other handle gets the copy. Either
// way the handle ends as the copy would leave it: nothing of an earlier
// spectrum stays behind, and a failed read leaves the handle untouched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kscomptr.h"
#include "ksconvert.h"
#include "ksdataservertree.h"
#include "kshandles.h"
#include "kstest.h"
#include "treetestsupport.h"

namespace {

inline constexpr GUID LIBID_DirectTree = ks::guid("5B1E7C20-8D4A-4F36-B2E9-0C7A3D61F5B4");
inline constexpr CLSID CLSID_DirectDataServer = ks::guid("5B1E7C21-8D4A-4F36-B2E9-0C7A3D61F5B4");

// What the reader writes, set by each test.
struct DirectReaderScript {
    bool writesEveryPoint = false;
    LONG declared = 0;      // the count set
    LONG written = 0;       // the points written (a reader that breaks its promise writes fewer)
    bool plain = false;     // only points and scans, nothing else
    bool withFlags = false; // the reader's record gets peak flags
    HRESULT result = S_OK;
    const double* lastMasses = nullptr;  // where the reader wrote its points
};
DirectReaderScript g_direct;

class CDirectReader : public CDataServerImpl {
public:
    CString DatasetType() override { return CString(L"Direct"); }
    bool IsValidDataset(const CString&) override { return true; }
    HRESULT Open(const CString&) override { return S_OK; }
    HRESULT Close() override { return S_OK; }
    int SpectrumCount(int, int) override { return 5; }
    bool WritesEveryPoint() override { return g_direct.writesEveryPoint; }
    HRESULT Spectrum(int, int, int index, CMassSpectrum& spectrum) override
    {
        if (FAILED(g_direct.result))
            return g_direct.result;
        spectrum.SetSize(g_direct.declared, g_direct.withFlags, false, false);
        for (LONG p = 0; p < g_direct.written; ++p) {
            spectrum.MassAt(p) = 100.0 * (index + 1) + p;
            spectrum.IntensityAt(p) = 10.0 + p;
        }
        g_direct.lastMasses = spectrum.Masses();
        spectrum.SetFirstScan(index + 1);
        spectrum.SetLastScan(index + 1);
        if (!g_direct.plain) {
            spectrum.SetTitle(L"Scan " + std::to_wstring(index + 1));
            spectrum.SetCentroid(false);
            spectrum.SetMSOrder(3);
            spectrum.SetPrecursorMass(500);
            spectrum.SetPrecursorMZ(2, 600);
            spectrum.SetPrecursorMZ2(3, 301);
            spectrum.SetSpare16(7);
            spectrum.SetPolarity(FunctionPolarityNegative);
            spectrum.SetFunctionType(FunctionTypeMSn);
            spectrum.SetStartRT(0.5 * index);
            spectrum.SetEndRT(0.5 * index + 0.25);
            spectrum.SetText2(L"second");
        }
        return S_OK;
    }
    int SpectrumIndexByRT(int, int, double, FunctionRTProximity) override { return 2; }
};

class CDirectTrace : public CKSTraceTemplate<CDirectTrace, CDirectReader, &LIBID_DirectTree> {};
class CDirectTraces : public CKSTracesTemplate<CDirectTraces, CDirectReader, CDirectTrace, &LIBID_DirectTree> {};
class CDirectFunction : public CKSFunctionTemplate<CDirectFunction, CDirectReader, &LIBID_DirectTree> {};
class CDirectFunctions
    : public CKSFunctionsTemplate<CDirectFunctions, CDirectReader, CDirectFunction, &LIBID_DirectTree> {};
class CDirectInjection : public CKSInjectionTemplate<CDirectInjection, CDirectReader, CDirectFunctions,
                                                     CDirectTraces, &LIBID_DirectTree> {};
class CDirectInjections
    : public CKSInjectionsTemplate<CDirectInjections, CDirectReader, CDirectInjection, &LIBID_DirectTree> {};
class CDirectDataServer : public CKSDataServerTemplate<CDirectDataServer, CDirectReader, CDirectInjections,
                                                       &CLSID_DirectDataServer, &LIBID_DirectTree> {};

// A record class of a caller's own: the tree must go through its virtual
// members, so it gets the copy.
class CCountingSpectrum : public CMassSpectrum {
public:
    bool SetSize(LONG n, bool withFlags, bool withObjects, bool withAnnotations) override
    {
        ++sizes;
        return CMassSpectrum::SetSize(n, withFlags, withObjects, withAnnotations);
    }
    int sizes = 0;
};

// Everything a handle shows, for comparing two of them.
struct Shown {
    LONG count;
    std::vector<double> masses, intensities;
    std::wstring title, text2;
    bool centroid;
    SHORT order, spare;
    double precursor, startRT, endRT, level2, level3second;
    LONG polarity, firstScan, lastScan, functionType, levels;

    explicit Shown(const CKSMassSpectrum& h)
        : count(h.GetCount()),
          masses(h.GetMasses(), h.GetMasses() + (h.GetMasses() ? h.GetCount() : 0)),
          intensities(h.GetIntensities(), h.GetIntensities() + (h.GetIntensities() ? h.GetCount() : 0)),
          title(h.GetTitle()),
          text2(h.get() ? h.get()->GetText2() : std::wstring()),
          centroid(h.IsCentroid()),
          order(h.GetMSOrder()),
          spare(h.GetSpare16()),
          precursor(h.GetPrecursorMass()),
          startRT(h.GetStartRT()),
          endRT(h.GetEndRT()),
          level2(h.get() ? h.get()->GetPrecursorMZ(2) : 0),
          level3second(h.get() ? h.get()->GetPrecursorMZ2(3) : 0),
          polarity(h.GetPolarity()),
          firstScan(h.GetFirstScan()),
          lastScan(h.GetLastScan()),
          functionType(h.get() ? h.get()->GetFunctionType() : 0),
          levels(h.get() ? h.get()->GetPrecursorLevelCount() : 0)
    {
    }
    bool operator==(const Shown& o) const
    {
        return count == o.count && masses == o.masses && intensities == o.intensities && title == o.title &&
               text2 == o.text2 && centroid == o.centroid && order == o.order && spare == o.spare &&
               precursor == o.precursor && startRT == o.startRT && endRT == o.endRT && level2 == o.level2 &&
               level3second == o.level3second && polarity == o.polarity && firstScan == o.firstScan &&
               lastScan == o.lastScan && functionType == o.functionType && levels == o.levels;
    }
};

// A handle full of an earlier spectrum: every field set, more points, MS
// order 3 with per-level values.
void fillRich(CKSMassSpectrum& handle)
{
    CMassSpectrum rich;
    rich.SetSize(1000, false, false, false);
    for (LONG p = 0; p < 1000; ++p) {
        rich.MassAt(p) = 7000 + p;
        rich.IntensityAt(p) = 77;
    }
    rich.SetTitle(L"earlier");
    rich.SetText2(L"earlier text");
    rich.SetCentroid(false);
    rich.SetMSOrder(3);
    rich.SetPrecursorMZ(2, 1.5);
    rich.SetPrecursorMZ2(3, 2.5);
    rich.SetPrecursorMass(9);
    rich.SetSpare16(3);
    rich.SetPolarity(FunctionPolarityNegative);
    rich.SetFunctionType(FunctionTypeMSn);
    rich.SetStartRT(9);
    rich.SetEndRT(10);
    rich.SetFirstScan(99);
    rich.SetLastScan(99);
    CopySpectrumToDirect(rich, handle);
}

// What the copy of the reader's spectrum k into a new handle shows.
Shown expectedFor(int k)
{
    CDirectReader reader;
    CMassSpectrum record;
    EXPECT_EQ(reader.Spectrum(0, 0, k, record), S_OK);
    CKSMassSpectrum handle;
    CopySpectrumToDirect(record, handle);
    return Shown(handle);
}

// Function 1 of injection 1 of an open data server; null (with the
// failure reported) when the walk fails.
ks::ComPtr<IKSFunction> firstFunction(IKSDataServer* server)
{
    ks::ComPtr<IKSInjections> injections;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunctions> functions;
    ks::ComPtr<IKSFunction> function;
    EXPECT_EQ(server->get_Injections(&injections), S_OK);
    if (injections) {
        EXPECT_EQ(injections->get_Item(1, &injection), S_OK);
    }
    if (injection) {
        EXPECT_EQ(injection->get_Functions(&functions), S_OK);
    }
    if (functions) {
        EXPECT_EQ(functions->get_Item(1, &function), S_OK);
    }
    return function;
}

class DirectPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_direct = DirectReaderScript();
        g_direct.declared = g_direct.written = 4;
        CDirectDataServer* raw = nullptr;
        ASSERT_EQ(ks::createObject(&raw), S_OK);
        raw->InternalAddRef();
        ASSERT_EQ(raw->InternalQueryInterface(IID_IKSDataServer, reinterpret_cast<void**>(&server)), S_OK);
        raw->InternalRelease();
        ASSERT_EQ(server->Open(ks::Bstr(L"any")), S_OK);
        function = firstFunction(server.get());
        ASSERT_TRUE(function);
    }

    HRESULT Read(LONG index, CKSMassSpectrum& handle)
    {
        return function->get_SpectrumDirect(index, reinterpret_cast<ULONG_PTR>(&handle));
    }

    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSFunction> function;
};

// The points the reader wrote are the handle's own afterwards (no copy),
// and the handle shows what the copy would, for readers that write every
// point and readers that do not say so alike.
TEST_F(DirectPath, PlainHandleTakesTheReadersPointsWithoutACopy)
{
    for (bool everyPoint : {false, true}) {
        SCOPED_TRACE(everyPoint);
        g_direct.writesEveryPoint = everyPoint;
        CKSMassSpectrum handle;
        for (LONG k : {1, 3, 2}) {
            ASSERT_EQ(Read(k, handle), S_OK);
            EXPECT_EQ(handle.GetMasses(), g_direct.lastMasses);
            EXPECT_TRUE(Shown(handle) == expectedFor(k - 1)) << k;
        }
        // The other Direct reads of one spectrum and of a range.
        ASSERT_EQ(function->get_SpectrumByRTDirect(0.5, FunctionRTProximityClosest,
                                                   reinterpret_cast<ULONG_PTR>(&handle)),
                  S_OK);
        EXPECT_TRUE(Shown(handle) == expectedFor(2));
        ASSERT_EQ(function->get_SpectrumRangeDirect(2, 2, 1, 0.1, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        EXPECT_EQ(handle.GetFirstScan(), 2);
        EXPECT_EQ(handle.GetCount(), 4);
    }
}

// Whatever the handle held before (more points, every field, per-level
// values beyond the new MS order), it shows the new spectrum alone.
TEST_F(DirectPath, NothingOfAnEarlierSpectrumStaysBehind)
{
    for (bool everyPoint : {false, true}) {
        SCOPED_TRACE(everyPoint);
        g_direct.writesEveryPoint = everyPoint;
        g_direct.plain = true;
        CKSMassSpectrum handle;
        fillRich(handle);
        ASSERT_EQ(Read(2, handle), S_OK);
        EXPECT_TRUE(Shown(handle) == expectedFor(1));
        EXPECT_EQ(handle.GetCount(), 4);
        EXPECT_EQ(handle.GetTitle(), L"");
        EXPECT_EQ(handle.get()->GetText2(), L"");
        EXPECT_EQ(handle.GetMSOrder(), 1);
        EXPECT_EQ(handle.get()->GetPrecursorLevelCount(), 0);
        // Raising the order shows no per-level value of the earlier one.
        handle.SetMSOrder(3);
        EXPECT_EQ(handle.get()->GetPrecursorMZ(2), 0);
        EXPECT_EQ(handle.get()->GetPrecursorMZ2(3), 0);

        // Through the tree's scratch the handle's old arrays come back to
        // the next read: a richer read, then a plain one, then a handle that
        // never saw either.
        g_direct.plain = false;
        ASSERT_EQ(Read(3, handle), S_OK);
        g_direct.plain = true;
        ASSERT_EQ(Read(4, handle), S_OK);
        EXPECT_TRUE(Shown(handle) == expectedFor(3));
        CKSMassSpectrum other;
        ASSERT_EQ(Read(5, other), S_OK);
        EXPECT_TRUE(Shown(other) == expectedFor(4));
        EXPECT_TRUE(Shown(handle) == expectedFor(3));  // untouched by the other read
    }
}

// A reader that does not promise to write every point gets a new record:
// the points it declares but leaves unwritten are 0, never an earlier
// spectrum's values.
TEST_F(DirectPath, UnwrittenPointsOfAReaderWithoutThePromiseAreZero)
{
    CKSMassSpectrum handle;
    fillRich(handle);
    g_direct.declared = 6;
    g_direct.written = 6;
    ASSERT_EQ(Read(1, handle), S_OK);
    g_direct.written = 2;
    ASSERT_EQ(Read(2, handle), S_OK);
    ASSERT_EQ(handle.GetCount(), 6);
    EXPECT_EQ(handle.GetMasses()[1], 201);
    for (LONG p = 2; p < 6; ++p) {
        EXPECT_EQ(handle.GetMasses()[p], 0) << p;
        EXPECT_EQ(handle.GetIntensities()[p], 0) << p;
    }
}

TEST_F(DirectPath, FailedReadLeavesTheHandleUntouched)
{
    for (bool everyPoint : {false, true}) {
        SCOPED_TRACE(everyPoint);
        g_direct.writesEveryPoint = everyPoint;
        g_direct.result = S_OK;
        CKSMassSpectrum handle;
        ASSERT_EQ(Read(1, handle), S_OK);  // the scratch now holds arrays of an earlier read
        fillRich(handle);
        const Shown before(handle);
        const double* storage = handle.GetMasses();
        g_direct.result = E_UNEXPECTED;
        EXPECT_EQ(Read(2, handle), E_UNEXPECTED);
        EXPECT_TRUE(Shown(handle) == before);
        EXPECT_EQ(handle.GetMasses(), storage);
    }
}

// Handles that cannot take the exchange get the copy: their own record
// and arrays stay, with the new content written into them.
TEST_F(DirectPath, HandlesOfAnotherKindGetTheCopy)
{
    // A record with peak flags keeps them, sized to the new count.
    {
        CKSMassSpectrum handle;
        fillRich(handle);
        handle.get()->EnablePeakFlags(true);
        handle.get()->PeakFlags()[3] = 5;
        const double* storage = handle.GetMasses();
        ASSERT_EQ(Read(2, handle), S_OK);
        EXPECT_TRUE(Shown(handle) == expectedFor(1));
        EXPECT_EQ(handle.GetMasses(), storage);
        EXPECT_TRUE(handle.get()->HasPeakFlags());
        EXPECT_EQ(handle.get()->PeakFlags()[3], 5);
    }
    // A derived record sees its own members called.
    {
        CCountingSpectrum record;
        CKSMassSpectrum handle;
        handle.Adopt(&record);
        ASSERT_EQ(Read(3, handle), S_OK);
        EXPECT_EQ(record.sizes, 1);
        EXPECT_TRUE(Shown(handle) == expectedFor(2));
    }
    // A handle without a record answers as the copy does and writes nothing.
    {
        CKSMassSpectrum handle;
        handle.Adopt(nullptr);
        EXPECT_EQ(Read(1, handle), S_OK);
        EXPECT_EQ(handle.GetCount(), 0);
    }
    // The reader's record with peak flags is copied from, flags left out.
    {
        g_direct.withFlags = true;
        CKSMassSpectrum handle;
        ASSERT_EQ(Read(4, handle), S_OK);
        EXPECT_NE(handle.GetMasses(), g_direct.lastMasses);
        EXPECT_FALSE(handle.get()->HasPeakFlags());
        g_direct.withFlags = false;
        EXPECT_TRUE(Shown(handle) == expectedFor(3));
    }
}

// Across components: the fixture provider's own framework copy hands its
// record to this program's handle without a copy as well.
TEST(DirectPathAcrossComponents, TheProvidersRecordBecomesTheHandles)
{
    ASSERT_NO_FATAL_FAILURE(treetest::RegisterComponents());
    ks::ComPtr<ITreeFixtureControl> control = treetest::Control();
    ASSERT_TRUE(control);
    control->SetOpenResult(S_OK);
    control->SetFailingSpectrum(-1);
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(CoCreateInstance(CLSID_TreeFixtureDataServer, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataServer,
                               server.out()),
              S_OK);
    ASSERT_EQ(server->Open(ks::Bstr(L"fixture:one")), S_OK);
    ks::ComPtr<IKSFunction> function = firstFunction(server.get());
    ASSERT_TRUE(function);
    CKSMassSpectrum handle;
    ASSERT_EQ(function->get_SpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    const double* first = handle.GetMasses();
    // Same count again: a copy would write into the same arrays.
    ASSERT_EQ(function->get_SpectrumDirect(2, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_NE(handle.GetMasses(), first);
    EXPECT_EQ(handle.GetCount(), 8);
    EXPECT_EQ(handle.GetMasses()[0], 101.0);
    EXPECT_EQ(handle.GetFirstScan(), 40001);
}

}  // namespace
