// The spectrum-object stand-in, registered with ksregsvr and created by
// class identifier through the registry, as the data services create it.
#include "kscontrolsclasses.h"

#include "kscontractenums.h"

#include "ksactivation.h"
#include "kscomptr.h"
#include "kstest.h"
#include "kstestfakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

const std::string kModule = std::string(KS_LIB_DIR) + "/KSControls.so";

class KSControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto r = ks::test::run({std::string(KS_BIN_DIR) + "/ksregsvr", kModule});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    }

    template <class I>
    ks::ComPtr<I> create(REFCLSID clsid)
    {
        void* p = nullptr;
        HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, KS_IID(I), &p);
        EXPECT_EQ(hr, S_OK);
        ks::ComPtr<I> out;
        out.attach(static_cast<I*>(p));
        return out;
    }
};

ks::Variant arrayOf(const std::vector<double>& values, LONG lowerBound = 1)
{
    ks::Variant v;
    SAFEARRAY* sa = SafeArrayCreateVector(VT_R8, lowerBound, static_cast<ULONG>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        LONG index = lowerBound + static_cast<LONG>(i);
        double x = values[i];
        SafeArrayPutElement(sa, &index, &x);
    }
    v.attachArray(sa, VT_R8);
    return v;
}

// The library's arrays are doubles with lower bound 1.
std::vector<double> valuesOf(const VARIANT& v)
{
    EXPECT_EQ(v.vt, VT_ARRAY | VT_R8);
    if (v.vt == (VT_ARRAY | VT_R8) && v.parray) {
        LONG lb = 0;
        SafeArrayGetLBound(v.parray, 1, &lb);
        EXPECT_EQ(lb, 1);
    }
    return ks::test::doublesOf(v);
}

std::vector<double> masses(IKSMassSpectrum* s)
{
    ks::Variant v;
    EXPECT_EQ(s->get_Masses(&v), S_OK);
    return valuesOf(v);
}

std::vector<double> intensities(IKSMassSpectrum* s)
{
    ks::Variant v;
    EXPECT_EQ(s->get_Intensities(&v), S_OK);
    return valuesOf(v);
}

// Fills a spectrum the way a provider does: count, arrays, attributes.
void fill(IKSMassSpectrum2* s)
{
    ASSERT_EQ(s->put_Count(4), S_OK);
    ASSERT_EQ(s->put_Masses(arrayOf({100.5, 200.25, 300.125, 400.0})), S_OK);
    ASSERT_EQ(s->put_Intensities(arrayOf({1.0, 20.0, 300.0, 4000.0})), S_OK);
    ks::Bstr title(L"Scan 40000 (12.5 min)");
    EXPECT_EQ(s->put_Title(title.get()), S_OK);
    EXPECT_EQ(s->put_Centroid(1), S_OK);  // kept as given: not -1
    EXPECT_EQ(s->put_MSOrder(3), S_OK);
    EXPECT_EQ(s->put_PrecursorMass(512.75), S_OK);
    EXPECT_EQ(s->put_Spare(-7), S_OK);
    EXPECT_EQ(s->put_Polarity(FunctionPolarityNegative), S_OK);
    EXPECT_EQ(s->put_StartRT(12.5), S_OK);
    EXPECT_EQ(s->put_EndRT(12.75), S_OK);
    EXPECT_EQ(s->put_FirstScan(40000), S_OK);
    EXPECT_EQ(s->put_LastScan(70001), S_OK);
    // Level numbers as the data services write them (level + 1).
    EXPECT_EQ(s->put_PrecursorMZ(3, 612.5), S_OK);
    EXPECT_EQ(s->put_PrecursorMZ2(3, 612.75), S_OK);
    EXPECT_EQ(s->put_PrecursorMZ(4, 410.5), S_OK);
    EXPECT_EQ(s->put_PrecursorMZ2(4, 410.75), S_OK);
    EXPECT_EQ(s->put_FunctionType(FunctionTypeMSn), S_OK);
}

void expectFilled(IKSMassSpectrum2* s)
{
    LONG count = 0;
    EXPECT_EQ(s->get_Count(&count), S_OK);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(masses(s), (std::vector<double>{100.5, 200.25, 300.125, 400.0}));
    EXPECT_EQ(intensities(s), (std::vector<double>{1.0, 20.0, 300.0, 4000.0}));
    ks::Bstr title;
    EXPECT_EQ(s->get_Title(&title), S_OK);
    EXPECT_STREQ(title.get(), L"Scan 40000 (12.5 min)");
    VARIANT_BOOL centroid = 0;
    SHORT order = 0, spare = 0;
    double precursor = 0, start = 0, end = 0, level = 0;
    LONG polarity = 0, first = 0, last = 0, type = 0;
    EXPECT_EQ(s->get_Centroid(&centroid), S_OK);
    EXPECT_EQ(centroid, 1);
    EXPECT_EQ(s->get_MSOrder(&order), S_OK);
    EXPECT_EQ(order, 3);
    EXPECT_EQ(s->get_PrecursorMass(&precursor), S_OK);
    EXPECT_EQ(precursor, 512.75);
    EXPECT_EQ(s->get_Spare(&spare), S_OK);
    EXPECT_EQ(spare, -7);
    EXPECT_EQ(s->get_Polarity(&polarity), S_OK);
    EXPECT_EQ(polarity, FunctionPolarityNegative);
    EXPECT_EQ(s->get_StartRT(&start), S_OK);
    EXPECT_EQ(start, 12.5);
    EXPECT_EQ(s->get_EndRT(&end), S_OK);
    EXPECT_EQ(end, 12.75);
    EXPECT_EQ(s->get_FirstScan(&first), S_OK);
    EXPECT_EQ(first, 40000);
    EXPECT_EQ(s->get_LastScan(&last), S_OK);
    EXPECT_EQ(last, 70001);
    EXPECT_EQ(s->get_PrecursorMZ(3, &level), S_OK);
    EXPECT_EQ(level, 612.5);
    EXPECT_EQ(s->get_PrecursorMZ2(3, &level), S_OK);
    EXPECT_EQ(level, 612.75);
    EXPECT_EQ(s->get_PrecursorMZ(4, &level), S_OK);
    EXPECT_EQ(level, 410.5);
    EXPECT_EQ(s->get_PrecursorMZ2(4, &level), S_OK);
    EXPECT_EQ(level, 410.75);
    // Levels are kept as numbered, not shifted.
    EXPECT_EQ(s->get_PrecursorMZ(2, &level), S_OK);
    EXPECT_EQ(level, 0.0);
    EXPECT_EQ(s->get_FunctionType(&type), S_OK);
    EXPECT_EQ(type, FunctionTypeMSn);
}

TEST_F(KSControls, SpectrumCreatedByClassIdentifierRoundTripsEverything)
{
    auto s = create<IKSMassSpectrum2>(CLSID_KSMassSpectrum);
    ASSERT_TRUE(s);
    fill(s.get());
    expectFilled(s.get());

    // The same object answers all three spectrum interfaces.
    IKSMassSpectrum3* s3 = nullptr;
    ASSERT_EQ(s->QueryInterface(IID_IKSMassSpectrum3, reinterpret_cast<void**>(&s3)), S_OK);
    expectFilled(s3);
    s3->Release();
}

TEST_F(KSControls, SpectrumThroughIDispatchByName)
{
    auto s = create<IKSMassSpectrum>(CLSID_KSMassSpectrum);
    ASSERT_TRUE(s);
    IDispatch* d = s.get();
    auto id = [&](const wchar_t* name) {
        LPOLESTR n = const_cast<LPOLESTR>(name);
        DISPID out = DISPID_UNKNOWN;
        EXPECT_EQ(d->GetIDsOfNames(IID_NULL, &n, 1, 0, &out), S_OK);
        return out;
    };
    auto put = [&](const wchar_t* name, VARIANT value) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS p{&value, &named, 1, 1};
        return d->Invoke(id(name), IID_NULL, 0, DISPATCH_PROPERTYPUT, &p, nullptr, nullptr, nullptr);
    };
    ks::Variant two(static_cast<LONG>(2));
    ASSERT_EQ(put(L"Count", two), S_OK);
    ASSERT_EQ(put(L"Masses", arrayOf({50.0, 60.0}, 0)), S_OK);  // any lower bound
    ks::Variant title(L"late bound");
    ASSERT_EQ(put(L"Title", title), S_OK);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant got;
    ASSERT_EQ(d->Invoke(id(L"Masses"), IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &got, nullptr, nullptr), S_OK);
    EXPECT_EQ(valuesOf(got), (std::vector<double>{50.0, 60.0}));
    ks::Bstr text;
    EXPECT_EQ(s->get_Title(&text), S_OK);
    EXPECT_STREQ(text.get(), L"late bound");
}

TEST_F(KSControls, SpectrumRefusesArraysItDoesNotUnderstandAndKeepsItsPoints)
{
    auto s = create<IKSMassSpectrum2>(CLSID_KSMassSpectrum);
    ASSERT_TRUE(s);
    fill(s.get());

    ks::Variant text(L"1,2,3,4");
    ks::Variant empty;
    ks::Variant floats;
    floats.attachArray(SafeArrayCreateVector(VT_R4, 1, 4), VT_R4);
    ks::Variant twoDims;
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    twoDims.attachArray(SafeArrayCreate(VT_R8, 2, bounds), VT_R8);
    ks::Variant three = arrayOf({1.0, 2.0, 3.0});
    ks::Variant five = arrayOf({1.0, 2.0, 3.0, 4.0, 5.0});
    struct Case {
        const char* what;
        const ks::Variant* value;
        HRESULT expected;
    } cases[] = {
        {"too few values", &three, E_INVALIDARG},
        {"too many values", &five, E_INVALIDARG},
        {"no array for 4 points", &empty, E_INVALIDARG},
        {"text", &text, DISP_E_TYPEMISMATCH},
        {"singles", &floats, DISP_E_TYPEMISMATCH},
        {"two dimensions", &twoDims, DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(s->put_Masses(*c.value), c.expected);
        EXPECT_EQ(s->put_Intensities(*c.value), c.expected);
    }
    EXPECT_EQ(s->put_Count(-1), E_INVALIDARG);
    expectFilled(s.get());

    // A spectrum of no points takes no arrays at all.
    EXPECT_EQ(s->put_Count(0), S_OK);
    EXPECT_EQ(s->put_Masses(empty), S_OK);
    EXPECT_EQ(s->put_Intensities(empty), S_OK);
    EXPECT_TRUE(masses(s.get()).empty());

    // Growing keeps the points there and adds zeros.
    fill(s.get());
    EXPECT_EQ(s->put_Count(5), S_OK);
    EXPECT_EQ(masses(s.get()), (std::vector<double>{100.5, 200.25, 300.125, 400.0, 0.0}));
}

TEST_F(KSControls, CopyFromMakesAFullCopy)
{
    auto source = create<IKSMassSpectrum3>(CLSID_KSMassSpectrum);
    auto target = create<IKSMassSpectrum2>(CLSID_KSMassSpectrum);
    ASSERT_TRUE(source && target);
    fill(source.get());
    ASSERT_EQ(target->CopyFrom(source.get()), S_OK);
    expectFilled(target.get());
    // Independent afterwards.
    EXPECT_EQ(source->put_Count(1), S_OK);
    expectFilled(target.get());
    EXPECT_EQ(target->CopyFrom(nullptr), E_POINTER);
}

TEST_F(KSControls, ChromatogramRoundTrips)
{
    auto c = create<IKSChromatogram>(CLSID_KSChromatogram);
    ASSERT_TRUE(c);
    const double times[] = {0.5, 1.0, 1.5};
    const double heights[] = {10.0, 250.5, 30.25};
    ASSERT_EQ(c->put_Count(3), S_OK);
    ASSERT_EQ(c->put_Times(times), S_OK);
    ASSERT_EQ(c->put_Intensities(heights), S_OK);
    ks::Bstr name(L"TIC: 50-500");
    ASSERT_EQ(c->put_Name(name.get()), S_OK);

    LONG count = 0;
    EXPECT_EQ(c->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    ks::Variant t, h;
    EXPECT_EQ(c->get_Times(&t), S_OK);
    EXPECT_EQ(c->get_Intensities(&h), S_OK);
    EXPECT_EQ(valuesOf(t), (std::vector<double>{0.5, 1.0, 1.5}));
    EXPECT_EQ(valuesOf(h), (std::vector<double>{10.0, 250.5, 30.25}));
    ks::Bstr got;
    EXPECT_EQ(c->get_Name(&got), S_OK);
    EXPECT_STREQ(got.get(), L"TIC: 50-500");

    // No address for points that exist is refused; for 0 points it is fine.
    EXPECT_EQ(c->put_Times(nullptr), E_POINTER);
    EXPECT_EQ(c->put_Count(0), S_OK);
    EXPECT_EQ(c->put_Times(nullptr), S_OK);
    EXPECT_EQ(c->put_Count(-1), E_INVALIDARG);
}

TEST_F(KSControls, ChromatogramArraysThroughIDispatchMustCoverTheCount)
{
    auto c = create<IKSChromatogram>(CLSID_KSChromatogram);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->put_Count(3), S_OK);
    auto putTimes = [&](VARIANT value, EXCEPINFO* ex) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS p{&value, &named, 1, 1};
        UINT argErr = 0;
        return c->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &p, nullptr, ex, &argErr);
    };
    EXCEPINFO ex{};
    EXPECT_EQ(putTimes(arrayOf({1.0, 2.0}), &ex), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, E_INVALIDARG);
    EXPECT_EQ(putTimes(arrayOf({1.0, 2.0, 3.0}), &ex), S_OK);
    ks::Variant t;
    EXPECT_EQ(c->get_Times(&t), S_OK);
    EXPECT_EQ(valuesOf(t), (std::vector<double>{1.0, 2.0, 3.0}));
}

TEST_F(KSControls, CollectionCountCreatesItemsThatStay)
{
    auto coll = create<IKSMSCollection>(CLSID_KSMSCollection);
    ASSERT_TRUE(coll);
    ASSERT_EQ(coll->put_Count(2), S_OK);
    IKSMassSpectrum2* first = nullptr;
    IKSMassSpectrum2* again = nullptr;
    ASSERT_EQ(coll->get_Item(1, &first), S_OK);
    fill(first);
    ASSERT_EQ(coll->get_Item(1, &again), S_OK);
    EXPECT_EQ(first, again);
    again->Release();

    // Growing keeps the items there.
    ASSERT_EQ(coll->put_Count(5), S_OK);
    ASSERT_EQ(coll->get_Item(1, &again), S_OK);
    EXPECT_EQ(first, again);
    expectFilled(again);
    again->Release();
    IKSMassSpectrum2* fifth = nullptr;
    ASSERT_EQ(coll->get_Item(5, &fifth), S_OK);
    EXPECT_NE(fifth, first);
    LONG count = -1;
    EXPECT_EQ(fifth->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    fifth->Release();

    IKSMassSpectrum2* none = reinterpret_cast<IKSMassSpectrum2*>(0x1);
    EXPECT_EQ(coll->get_Item(0, &none), DISP_E_BADINDEX);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(coll->get_Item(6, &none), DISP_E_BADINDEX);
    EXPECT_EQ(coll->get_Item(1, nullptr), E_POINTER);

    // Shrinking drops the last ones; a held item stays usable.
    ASSERT_EQ(coll->put_Count(0), S_OK);
    EXPECT_EQ(coll->get_Item(1, &none), DISP_E_BADINDEX);
    expectFilled(first);
    first->Release();
}

TEST_F(KSControls, PeakDetectionCentroidsAProfile)
{
    auto profile = create<IKSMassSpectrum2>(CLSID_KSMassSpectrum);
    auto target = create<IKSMassSpectrum2>(CLSID_KSMassSpectrum);
    auto detector = create<IKSPeakDetection>(CLSID_KSPeakDetection);
    ASSERT_TRUE(profile && target && detector);

    // Two symmetric peaks at 101.0 and 105.0 on a 0.1 grid.
    std::vector<double> mz, y;
    for (int i = 0; i <= 80; ++i) {
        double x = 100.0 + 0.1 * i;
        mz.push_back(x);
        y.push_back(1000.0 * std::exp(-std::pow((x - 101.0) / 0.2, 2)) +
                    400.0 * std::exp(-std::pow((x - 105.0) / 0.2, 2)));
    }
    ASSERT_EQ(profile->put_Count(static_cast<LONG>(mz.size())), S_OK);
    ASSERT_EQ(profile->put_Masses(arrayOf(mz)), S_OK);
    ASSERT_EQ(profile->put_Intensities(arrayOf(y)), S_OK);

    EXPECT_EQ(detector->WritePeaks(target.get()), E_UNEXPECTED);
    ASSERT_EQ(detector->DetectPeaks(profile.get()), S_OK);
    ASSERT_EQ(detector->WritePeaks(target.get()), S_OK);

    std::vector<double> peaks = masses(target.get());
    std::vector<double> heights = intensities(target.get());
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_NEAR(peaks[0], 101.0, 1e-9);
    EXPECT_NEAR(peaks[1], 105.0, 1e-9);
    EXPECT_NEAR(heights[0], 1000.0, 1e-6);
    EXPECT_NEAR(heights[1], 400.0, 1e-6);
    VARIANT_BOOL centroid = 0;
    EXPECT_EQ(target->get_Centroid(&centroid), S_OK);
    EXPECT_EQ(centroid, VARIANT_TRUE);

    // m/z values that do not ascend are not a profile it understands.
    std::vector<double> shuffled = {100.0, 99.0, 101.0};
    ASSERT_EQ(profile->put_Count(3), S_OK);
    ASSERT_EQ(profile->put_Masses(arrayOf(shuffled)), S_OK);
    EXPECT_EQ(detector->DetectPeaks(profile.get()), E_INVALIDARG);
    EXPECT_EQ(detector->WritePeaks(target.get()), E_UNEXPECTED);
    EXPECT_EQ(detector->DetectPeaks(nullptr), E_POINTER);
}

TEST_F(KSControls, UnregisteredClassesAreNotCreated)
{
    auto r = ks::test::run({std::string(KS_BIN_DIR) + "/ksregsvr", "-u", kModule});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // A fresh registry process-wide view: the class keys are gone.
    void* p = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_KSChromatogram, nullptr, CLSCTX_ALL, IID_IKSChromatogram, &p),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(p, nullptr);
}

}  // namespace
