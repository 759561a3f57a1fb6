// Conversions between records, library objects and Direct handles, called
// in process with the spectrum-object library registered.
#include <gtest/gtest.h>

#include <atomic>

#include "ksactivation.h"
#include "ksclassfactory.h"
#include "ksclasstable.h"
#include "dataserverimpl.h"
#include "ksconvert.h"
#include "kshandles.h"
#include "treetestsupport.h"

using namespace treetest;

namespace {

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(RegisterComponents()); }
};

CMassSpectrum Record(LONG n, SHORT order)
{
    CMassSpectrum s;
    s.Resize(n);
    for (LONG p = 0; p < n; ++p) {
        s.MassAt(p) = 200 + p;
        s.IntensityAt(p) = 5 * (p + 1);
    }
    s.SetTitle(L"record");
    s.SetCentroid(true);
    s.SetMSOrder(order);
    s.SetPrecursorMass(444.25);
    s.SetSpare16(-3);
    s.SetPolarity(FunctionPolarityNegative);
    s.SetFunctionType(FunctionTypeMSn);
    s.SetStartRT(1.5);
    s.SetEndRT(1.75);
    s.SetFirstScan(70000);
    s.SetLastScan(70002);
    s.SetText2(L"second");
    for (LONG level = 2; level <= order; ++level) {
        s.SetPrecursorMZ(level, 100.0 * level);
        s.SetPrecursorMZ2(level, 100.0 * level + 1);
    }
    return s;
}

ks::ComPtr<IKSMassSpectrum2> NewSpectrumObject()
{
    ks::ComPtr<IKSMassSpectrum2> object;
    EXPECT_EQ(CoCreateInstance(CLSID_KSMassSpectrum, nullptr, KS_CONTROLS_CLASS_CONTEXT, IID_IKSMassSpectrum2,
                               object.out()),
              S_OK);
    return object;
}

TEST_F(ConvertTest, MakeSafeArrayHasLowerBoundOneAndRefusesEmptyInput)
{
    const double values[] = {1.5, 2.5, 3.5};
    SAFEARRAY* a = MakeSafeArray(VT_R8, 3, values);
    ASSERT_TRUE(a);
    LONG lower = 0;
    LONG upper = 0;
    SafeArrayGetLBound(a, 1, &lower);
    SafeArrayGetUBound(a, 1, &upper);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 3);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_R8;
    v.parray = a;
    EXPECT_EQ(Doubles(v), (std::vector<double>{1.5, 2.5, 3.5}));
    SafeArrayDestroy(a);
    EXPECT_EQ(MakeSafeArray(VT_R8, 0, values), nullptr);
    EXPECT_EQ(MakeSafeArray(VT_R8, -1, values), nullptr);
    EXPECT_EQ(MakeSafeArray(VT_R8, 3, nullptr), nullptr);
}

TEST_F(ConvertTest, SpectrumObjectCarriesEveryFieldAndPrecursorLevelsOneUp)
{
    const CMassSpectrum record = Record(4, 3);
    ks::ComPtr<IKSMassSpectrum> object;
    ASSERT_EQ(CreateSpectrumObject(record, &object), S_OK);
    const ObjectSpectrum o = ReadObject(object.get());
    EXPECT_EQ(o.count, 4);
    EXPECT_EQ(o.masses, (std::vector<double>{200, 201, 202, 203}));
    EXPECT_EQ(o.intensities, (std::vector<double>{5, 10, 15, 20}));
    EXPECT_EQ(o.title, L"record");
    EXPECT_EQ(o.centroid, VARIANT_TRUE);
    EXPECT_EQ(o.msOrder, 3);
    EXPECT_EQ(o.precursor, 444.25);
    EXPECT_EQ(o.spare, -3);
    EXPECT_EQ(o.polarity, FunctionPolarityNegative);
    EXPECT_EQ(o.functionType, FunctionTypeMSn);
    EXPECT_EQ(o.startRT, 1.5);
    EXPECT_EQ(o.endRT, 1.75);
    EXPECT_EQ(o.firstScan, 70000);
    EXPECT_EQ(o.lastScan, 70002);

    // Record levels 2 and 3 arrive as levels 3 and 4 in the object ...
    ks::ComPtr<IKSMassSpectrum2> two;
    ASSERT_EQ(two.queryFrom(object.get()), S_OK);
    const std::pair<LONG, double> levels[] = {{2, 0}, {3, 200}, {4, 300}};
    for (auto [level, value] : levels) {
        double v = -1;
        double v2 = -1;
        two->get_PrecursorMZ(level, &v);
        two->get_PrecursorMZ2(level, &v2);
        EXPECT_EQ(v, value) << level;
        EXPECT_EQ(v2, value == 0 ? 0 : value + 1) << level;
    }
    // ... and as levels 2 and 3 in a handle, with function type and second text.
    CKSMassSpectrum handle;
    ASSERT_EQ(CopySpectrumToDirect(record, handle), S_OK);
    EXPECT_EQ(handle.get()->GetPrecursorMZ(2), 200.0);
    EXPECT_EQ(handle.get()->GetPrecursorMZ2(3), 301.0);
    EXPECT_EQ(handle.get()->GetFunctionType(), FunctionTypeMSn);
    EXPECT_EQ(handle.get()->GetText2(), L"second");
    EXPECT_EQ(handle.GetFirstScan(), 70000);
    EXPECT_EQ(std::vector<double>(handle.GetIntensities(), handle.GetIntensities() + 4), o.intensities);
    EXPECT_EQ(SpectrumToDirect(record, nullptr), E_POINTER);
}

TEST_F(ConvertTest, EmptySpectrumConvertsWithoutArrays)
{
    CMassSpectrum empty;
    ks::ComPtr<IKSMassSpectrum2> object = NewSpectrumObject();
    // Any array allocation would fail: none is attempted.
    ksTestFailNextSafeArrayAllocations(2);
    EXPECT_EQ(SpectrumToObject(empty, object.get()), S_OK);
    ksTestFailNextSafeArrayAllocations(0);
    LONG count = -1;
    object->get_Count(&count);
    EXPECT_EQ(count, 0);

    // A non-empty spectrum whose array cannot be made.
    const CMassSpectrum record = Record(3, 1);
    for (int failing : {1, 2}) {
        ksTestFailNextSafeArrayAllocations(failing);
        EXPECT_EQ(SpectrumToObject(record, object.get()), E_OUTOFMEMORY) << failing;
        ksTestFailNextSafeArrayAllocations(0);
    }
}

TEST_F(ConvertTest, DirectRoundTrip)
{
    const CMassSpectrum record = Record(4, 2);
    CKSMassSpectrum handle;
    ASSERT_EQ(CopySpectrumToDirect(record, handle), S_OK);
    CMassSpectrum back;
    ASSERT_EQ(CopySpectrumFromDirect(handle, back), S_OK);
    ASSERT_EQ(back.GetCount(), 4);
    EXPECT_EQ(std::vector<double>(back.Intensities(), back.Intensities() + 4),
              (std::vector<double>{5, 10, 15, 20}));
    EXPECT_EQ(back.MassAt(3), 203);
    EXPECT_EQ(back.GetTitle(), L"record");
    EXPECT_EQ(back.GetLastScan(), 70002);
    EXPECT_EQ(back.GetPolarity(), FunctionPolarityNegative);
    // Not copied back: function type, second text, per-level values.
    EXPECT_EQ(back.GetFunctionType(), CMassSpectrum().GetFunctionType());
    EXPECT_EQ(back.GetText2(), L"");

    CChromatogram source;
    source.SetSize(3);
    source.SetTime(2, 7.5);
    source.SetIntensity(2, 9);
    source.SetName(L"TIC");
    CChromatogram target;
    CKSChromatogram chromatogramHandle(&target);
    EXPECT_EQ(ChromatogramToDirect(nullptr, source), E_POINTER);
    ASSERT_EQ(ChromatogramToDirect(&chromatogramHandle, source), S_OK);
    EXPECT_EQ(target.GetCount(), 3);
    EXPECT_EQ(target.Times()[2], 7.5);
    EXPECT_EQ(target.Intensities()[2], 9);
    EXPECT_EQ(target.GetName(), L"TIC");
}

TEST_F(ConvertTest, SpectrumFromObjectReadsWhatTheObjectHolds)
{
    const CMassSpectrum record = Record(4, 1);
    ks::ComPtr<IKSMassSpectrum2> object = NewSpectrumObject();
    ASSERT_EQ(SpectrumToObject(record, object.get()), S_OK);
    CMassSpectrum back;
    ASSERT_EQ(SpectrumFromObject(object.get(), back), S_OK);
    ASSERT_EQ(back.GetCount(), 4);
    EXPECT_EQ(back.MassAt(0), 200);
    EXPECT_EQ(back.IntensityAt(3), 20);
    EXPECT_TRUE(back.IsCentroid());
    EXPECT_EQ(back.GetFirstScan(), 70000);
    EXPECT_EQ(back.GetEndRT(), 1.75);
    EXPECT_EQ(back.GetSpare16(), -3);

    // Only -1 means centroid.
    object->put_Centroid(1);
    ASSERT_EQ(SpectrumFromObject(object.get(), back), S_OK);
    EXPECT_FALSE(back.IsCentroid());
    EXPECT_EQ(SpectrumFromObject(nullptr, back), E_POINTER);
}

// A spectrum object whose count and arrays disagree, as a careless or
// hostile implementation may answer.
class InconsistentSpectrum : public ks::Object<ks::Dual<IKSMassSpectrum3>> {
public:
    LONG count = 0;
    ULONG massCount = 0;
    VARTYPE massType = VT_R8;
    HRESULT failingRead = S_OK;

    HRESULT get_Title(BSTR* p) override { return *p = SysAllocString(L"odd"), S_OK; }
    HRESULT put_Title(BSTR) override { return S_OK; }
    HRESULT get_Count(LONG* p) override { return *p = count, S_OK; }
    HRESULT put_Count(LONG) override { return S_OK; }
    HRESULT get_Masses(VARIANT* p) override
    {
        p->vt = VT_ARRAY | massType;
        p->parray = SafeArrayCreateVector(massType, 1, massCount);
        return S_OK;
    }
    HRESULT put_Masses(VARIANT) override { return S_OK; }
    HRESULT get_Intensities(VARIANT* p) override
    {
        p->vt = VT_ARRAY | VT_R8;
        p->parray = SafeArrayCreateVector(VT_R8, 1, 4);
        return S_OK;
    }
    HRESULT put_Intensities(VARIANT) override { return S_OK; }
    HRESULT get_Centroid(VARIANT_BOOL* p) override { return *p = VARIANT_TRUE, S_OK; }
    HRESULT put_Centroid(VARIANT_BOOL) override { return S_OK; }
    HRESULT get_MSOrder(SHORT* p) override { return *p = 1, S_OK; }
    HRESULT put_MSOrder(SHORT) override { return S_OK; }
    HRESULT get_PrecursorMass(double* p) override { return *p = 0, S_OK; }
    HRESULT put_PrecursorMass(double) override { return S_OK; }
    HRESULT get_Spare(SHORT* p) override { return *p = 0, S_OK; }
    HRESULT put_Spare(SHORT) override { return S_OK; }
    HRESULT get_Polarity(LONG* p) override { return *p = 1, failingRead; }
    HRESULT put_Polarity(LONG) override { return S_OK; }
    HRESULT get_StartRT(double* p) override { return *p = 0, S_OK; }
    HRESULT put_StartRT(double) override { return S_OK; }
    HRESULT get_EndRT(double* p) override { return *p = 0, S_OK; }
    HRESULT put_EndRT(double) override { return S_OK; }
    HRESULT get_FirstScan(LONG* p) override { return *p = 1, S_OK; }
    HRESULT put_FirstScan(LONG) override { return S_OK; }
    HRESULT get_LastScan(LONG* p) override { return *p = 1, S_OK; }
    HRESULT put_LastScan(LONG) override { return S_OK; }
    HRESULT get_PrecursorMZ(LONG, double* p) override { return *p = 0, S_OK; }
    HRESULT put_PrecursorMZ(LONG, double) override { return S_OK; }
    HRESULT get_PrecursorMZ2(LONG, double* p) override { return *p = 0, S_OK; }
    HRESULT put_PrecursorMZ2(LONG, double) override { return S_OK; }
    HRESULT get_FunctionType(LONG* p) override { return *p = 0, S_OK; }
    HRESULT put_FunctionType(LONG) override { return S_OK; }
    HRESULT CopyFrom(IKSMassSpectrum3*) override { return E_NOTIMPL; }
};

TEST_F(ConvertTest, SpectrumFromObjectNeverReadsPastTheArrays)
{
    struct Case {
        const char* what;
        LONG count;
        ULONG massCount;
        VARTYPE massType;
        HRESULT expected;
        LONG pointsAfter;
    };
    const Case cases[] = {
        {"count within both arrays", 3, 4, VT_R8, S_OK, 3},
        {"count of both arrays", 4, 4, VT_R8, S_OK, 4},
        {"count beyond the m/z array", 4, 2, VT_R8, E_INVALIDARG, 7},
        {"count beyond the intensity array", 5, 5, VT_R8, E_INVALIDARG, 7},
        {"huge count", 0x7fffffff, 4, VT_R8, E_INVALIDARG, 7},
        {"negative count", -1, 4, VT_R8, E_INVALIDARG, 7},
        {"m/z values as integers", 2, 4, VT_I4, E_INVALIDARG, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InconsistentSpectrum* raw = nullptr;
        ASSERT_EQ(ks::createObject(&raw), S_OK);
        ks::ComPtr<InconsistentSpectrum> object(raw);
        object->count = c.count;
        object->massCount = c.massCount;
        object->massType = c.massType;
        CMassSpectrum record;
        record.Resize(7);
        EXPECT_EQ(SpectrumFromObject(object.get(), record), c.expected);
        EXPECT_EQ(record.GetCount(), c.pointsAfter);
        EXPECT_EQ(record.GetTitle(), L"odd");
    }
    // A failing numeric read ends the conversion with its result.
    InconsistentSpectrum* raw = nullptr;
    ASSERT_EQ(ks::createObject(&raw), S_OK);
    ks::ComPtr<InconsistentSpectrum> object(raw);
    object->failingRead = E_UNEXPECTED;
    CMassSpectrum record;
    EXPECT_EQ(SpectrumFromObject(object.get(), record), E_UNEXPECTED);
}

// A chromatogram class that refuses every point count and counts its live
// objects; served from the in-process class table in place of the library's.
std::atomic<int> g_refusingAlive{0};

class RefusingChromatogram : public ks::Object<ks::Dual<IKSChromatogram>> {
public:
    RefusingChromatogram() { ++g_refusingAlive; }
    ~RefusingChromatogram() override { --g_refusingAlive; }
    HRESULT get_Count(LONG* p) override { return *p = 0, S_OK; }
    HRESULT put_Count(LONG) override { return E_OUTOFMEMORY; }
    HRESULT get_Times(VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Times(const double*) override { return S_OK; }
    HRESULT get_Intensities(VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Intensities(const double*) override { return S_OK; }
    HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_Name(BSTR) override { return S_OK; }
};

TEST_F(ConvertTest, ChromatogramObjectFailingItsCountIsReleased)
{
    CChromatogram record;
    record.SetSize(2);
    record.SetTime(1, 0.5);
    record.SetIntensity(1, 8);
    record.SetName(L"BPC");
    ks::ComPtr<IKSChromatogram> good;
    ASSERT_EQ(CreateChromatogramObject(&good, record), S_OK);
    const ObjectChromatogram c = ReadObject(good.get());
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.times, (std::vector<double>{0, 0.5}));
    EXPECT_EQ(c.intensities, (std::vector<double>{0, 8}));
    EXPECT_EQ(c.name, L"BPC");

    ks::ClassFactory* factory = nullptr;
    ASSERT_EQ(ks::createObject(&factory, &ks::createInstance<RefusingChromatogram>), S_OK);
    ks::ComPtr<IClassFactory> held(factory);
    DWORD cookie = 0;
    ASSERT_EQ(ksRegisterClassObject(CLSID_KSChromatogram, held.get(), &cookie), S_OK);
    IKSChromatogram* out = reinterpret_cast<IKSChromatogram*>(0x1);
    EXPECT_EQ(CreateChromatogramObject(&out, record), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g_refusingAlive.load(), 0);
    ksRevokeClassObject(cookie);
}

// A reader that claims far more spectra than it can read, as a file of
// header lines alone does.
class ClaimingReader : public CDataServerImpl {
public:
    LONG claimed = 10000000;
    LONG readable = 3;
    CString DatasetType() override { return CString(L"Claiming"); }
    bool IsValidDataset(const CString&) override { return true; }
    HRESULT Open(const CString&) override { return S_OK; }
    HRESULT Close() override { return S_OK; }
    int SpectrumCount(int, int) override { return claimed; }
    HRESULT Spectrum(int, int, int index, CMassSpectrum& spectrum) override
    {
        if (index >= readable)
            return E_FAIL;
        spectrum = Record(2, 1);
        spectrum.SetFirstScan(index + 1);
        return S_OK;
    }
    int SpectrumIndexByRT(int, int, double, FunctionRTProximity) override { return 0; }
};

// Collections grow with the spectra read: a claimed count of ten million
// with the fourth spectrum failing never sizes ten million entries.
TEST_F(ConvertTest, CollectionsGrowWithTheSpectraRead)
{
    ClaimingReader reader;
    std::vector<CMassSpectrum> spectra;
    CKSMSCollection direct(&spectra);
    EXPECT_EQ(SpectrumCollectionToDirect(reader, 0, 0, &direct), E_FAIL);
    EXPECT_GE(direct.GetCount(), 3);
    EXPECT_LE(direct.GetCount(), 16);
    IKSMSCollection* object = reinterpret_cast<IKSMSCollection*>(0x1);
    EXPECT_EQ(CreateSpectrumCollection(reader, 0, 0, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);

    // Every spectrum that is there, exactly, across several doublings.
    reader.claimed = reader.readable = 41;
    ASSERT_EQ(SpectrumCollectionToDirect(reader, 0, 0, &direct), S_OK);
    ASSERT_EQ(direct.GetCount(), 41);
    EXPECT_EQ(direct.GetSpectrum(40)->GetFirstScan(), 41);
    ks::ComPtr<IKSMSCollection> collection;
    ASSERT_EQ(CreateSpectrumCollection(reader, 0, 0, &collection), S_OK);
    LONG count = 0;
    ASSERT_EQ(collection->get_Count(&count), S_OK);
    EXPECT_EQ(count, 41);
    ks::ComPtr<IKSMassSpectrum2> last;
    ASSERT_EQ(collection->get_Item(41, &last), S_OK);
    LONG scan = 0;
    ASSERT_EQ(last->get_FirstScan(&scan), S_OK);
    EXPECT_EQ(scan, 41);
}

}  // namespace
