// The object tree walked through its interfaces: the fixture provider
// component is created by class identifier from the test case's registry,
// and spectra come back as objects of the registered spectrum-object
// library or through the caller's handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "ksactivation.h"
#include "kshandles.h"
#include "treetestsupport.h"

using namespace treetest;

namespace {

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(RegisterComponents());
        control = Control();
        ASSERT_TRUE(control);
        control->SetOpenResult(S_OK);
        control->SetCloseResult(S_OK);
        control->SetFailingSpectrum(-1);
        ASSERT_EQ(CoCreateInstance(CLSID_TreeFixtureDataServer, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataServer,
                                   server.out()),
                  S_OK);
        TakeLog(control.get());
    }

    void OpenFixture()
    {
        ks::Bstr path(L"fixture:one");
        ASSERT_EQ(server->Open(path), S_OK);
        TakeLog(control.get());
    }

    ks::ComPtr<IKSInjection> Injection(LONG i)
    {
        ks::ComPtr<IKSInjections> injections;
        EXPECT_EQ(server->get_Injections(&injections), S_OK);
        ks::ComPtr<IKSInjection> injection;
        EXPECT_EQ(injections->get_Item(i, &injection), S_OK);
        return injection;
    }

    ks::ComPtr<IKSFunction> Function(LONG i, LONG f)
    {
        ks::ComPtr<IKSFunctions> functions;
        EXPECT_EQ(Injection(i)->get_Functions(&functions), S_OK);
        ks::ComPtr<IKSFunction> function;
        EXPECT_EQ(functions->get_Item(f, &function), S_OK);
        return function;
    }

    std::wstring Path()
    {
        ks::Bstr path;
        HRESULT hr = server->CurrentDataset(&path);
        return SUCCEEDED(hr) ? path.str() : L"<closed>";
    }

    ks::ComPtr<ITreeFixtureControl> control;
    ks::ComPtr<IKSDataServer> server;
};

TEST_F(TreeTest, ClosedServerAnswersEFailOnlyWhereAnOpenDatasetIsNeeded)
{
    ks::ComPtr<IKSInjections> injections;
    EXPECT_EQ(server->get_Injections(&injections), E_FAIL);
    EXPECT_FALSE(injections);
    ks::Bstr text;
    EXPECT_EQ(server->CurrentDataset(&text), E_FAIL);
    EXPECT_EQ(server->DatasetType(&text), E_FAIL);
    EXPECT_EQ(server->get_Injections(nullptr), E_POINTER);
    EXPECT_EQ(server->CurrentDataset(nullptr), E_POINTER);

    LONG valid = -5;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(L"fixture:x"), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(L"other"), &valid), S_OK);
    EXPECT_EQ(valid, 0);
    LONG count = -1;
    EXPECT_EQ(server->get_InjectionCountFromPath(ks::Bstr(L"fixture:x"), &count), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(server->Close(), S_OK);
    EXPECT_EQ(TakeLog(control.get()), L"");  // closing a closed server asks no reader

    ks::ComPtr<IKSDataServer3> three;
    ASSERT_EQ(three.queryFrom(server.get()), S_OK);
    ks::Bstr clsid;
    EXPECT_EQ(three->get_ClassID(&clsid), S_OK);
    EXPECT_EQ(clsid.str(), L"{6A0D2C51-3B8E-4F7A-9C14-2E5B7D90A1C3}");
    ks::ComPtr<IKSDataServer2> storage;
    EXPECT_EQ(storage.queryFrom(server.get()), E_NOINTERFACE);

    OpenFixture();
    EXPECT_EQ(Path(), L"fixture:one");
    EXPECT_EQ(server->DatasetType(&text), S_OK);
    EXPECT_EQ(text.str(), L"KSTreeFixture");
}

TEST_F(TreeTest, DataServerStateRules)
{
    struct Case {
        const char* what;
        HRESULT closeResult;
        HRESULT openResult;
        HRESULT expectedOpen;
        const wchar_t* expectedPath;
    };
    const Case cases[] = {
        {"close and open succeed", S_OK, S_OK, S_OK, L"fixture:two"},
        {"close succeeds, open fails", S_OK, E_ACCESSDENIED, E_ACCESSDENIED, L"<closed>"},
        {"close fails, open fails", E_UNEXPECTED, E_ACCESSDENIED, E_ACCESSDENIED, L"fixture:one"},
        {"close fails, open succeeds", E_UNEXPECTED, S_OK, S_OK, L"fixture:two"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        control->SetCloseResult(S_OK);
        control->SetOpenResult(S_OK);
        ASSERT_EQ(server->Close(), S_OK);
        OpenFixture();
        control->SetCloseResult(c.closeResult);
        control->SetOpenResult(c.openResult);
        EXPECT_EQ(server->Open(ks::Bstr(L"fixture:two")), c.expectedOpen);
        // The previous dataset is closed first, and the reader's Open runs
        // whatever that close answered.
        EXPECT_EQ(TakeLog(control.get()), L"Close\nOpen fixture:two\n");
        EXPECT_EQ(Path(), c.expectedPath);
    }

    // A failing Close leaves the server open with its path.
    control->SetCloseResult(S_OK);
    control->SetOpenResult(S_OK);
    ASSERT_EQ(server->Close(), S_OK);
    OpenFixture();
    control->SetCloseResult(E_UNEXPECTED);
    EXPECT_EQ(server->Close(), E_UNEXPECTED);
    EXPECT_EQ(Path(), L"fixture:one");
    ks::ComPtr<IKSInjections> injections;
    EXPECT_EQ(server->get_Injections(&injections), S_OK);
    control->SetCloseResult(S_OK);
    EXPECT_EQ(server->Close(), S_OK);
    EXPECT_EQ(Path(), L"<closed>");
}

TEST_F(TreeTest, StorageOpeningFollowsTheOpenRules)
{
    ks::ComPtr<IKSDataServer2> storage;
    ASSERT_EQ(CoCreateInstance(CLSID_TreeFixtureStorageServer, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataServer2,
                               storage.out()),
              S_OK);
    ks::ComPtr<IKSDataServer> plain;
    ASSERT_EQ(plain.queryFrom(storage.get()), S_OK);
    ASSERT_EQ(plain->Open(ks::Bstr(L"fixture:one")), S_OK);
    TakeLog(control.get());
    EXPECT_EQ(storage->OpenFromStorage(nullptr, ks::Bstr(L"Sub 1")), S_OK);
    EXPECT_EQ(TakeLog(control.get()), L"Close\nOpenFromStorage Sub 1\n");
    ks::Bstr path;
    EXPECT_EQ(plain->CurrentDataset(&path), S_OK);
    EXPECT_EQ(path.str(), L"Sub 1");
    control->SetOpenResult(E_ACCESSDENIED);
    EXPECT_EQ(storage->OpenFromStorage(nullptr, ks::Bstr(L"Sub 2")), E_ACCESSDENIED);
    EXPECT_EQ(plain->CurrentDataset(&path), E_FAIL);
    ks::ComPtr<IKSDataServer3> three;
    ASSERT_EQ(three.queryFrom(storage.get()), S_OK);
    EXPECT_EQ(three->get_ClassID(&path), S_OK);
    EXPECT_EQ(path.str(), L"{6A0D2C54-3B8E-4F7A-9C14-2E5B7D90A1C3}");
}

TEST_F(TreeTest, ItemAcceptsOneToCountOnly)
{
    OpenFixture();
    ks::ComPtr<IKSInjections> injections;
    ASSERT_EQ(server->get_Injections(&injections), S_OK);
    ks::ComPtr<IKSFunctions> functions;
    ASSERT_EQ(Injection(1)->get_Functions(&functions), S_OK);
    ks::ComPtr<IKSTraces> traces;
    ASSERT_EQ(Injection(1)->get_Traces(&traces), S_OK);

    LONG n = 0;
    ASSERT_EQ(injections->get_Count(&n), S_OK);
    EXPECT_EQ(n, 2);
    for (LONG i : {0L, -1L, 3L}) {
        ks::ComPtr<IKSInjection> child;
        EXPECT_EQ(injections->get_Item(i, &child), DISP_E_BADINDEX) << i;
        EXPECT_FALSE(child);
    }
    EXPECT_EQ(injections->get_Item(1, nullptr), E_POINTER);
    for (LONG i = 1; i <= 2; ++i) {
        ks::ComPtr<IKSInjection> child;
        ASSERT_EQ(injections->get_Item(i, &child), S_OK);
        LONG index = 0;
        EXPECT_EQ(child->get_Index(&index), S_OK);
        EXPECT_EQ(index, i);
        ks::Bstr name;
        EXPECT_EQ(child->get_Name(&name), S_OK);
        EXPECT_EQ(name.str(), L"Injection " + std::to_wstring(i));
    }

    ASSERT_EQ(functions->get_Count(&n), S_OK);
    EXPECT_EQ(n, 2);
    ks::ComPtr<IKSFunction> function;
    EXPECT_EQ(functions->get_Item(0, &function), DISP_E_BADINDEX);
    EXPECT_EQ(functions->get_Item(3, &function), DISP_E_BADINDEX);
    ASSERT_EQ(functions->get_Item(2, &function), S_OK);
    LONG index = 0;
    EXPECT_EQ(function->get_Index(&index), S_OK);
    EXPECT_EQ(index, 2);
    ks::Bstr name;
    EXPECT_EQ(function->get_Name(&name), S_OK);
    EXPECT_EQ(name.str(), L"Fn 1.2");
    FunctionType type = FunctionTypeUnknown;
    EXPECT_EQ(function->get_Type(&type), S_OK);
    EXPECT_EQ(type, FunctionTypeMSn);
    FunctionMSMSType msms = FunctionMSMSTypeNone;
    EXPECT_EQ(function->get_MSMSType(&msms), S_OK);
    EXPECT_EQ(msms, FunctionMSMSTypeProduct);
    FunctionPolarity polarity = FunctionPolarityUnknown;
    EXPECT_EQ(function->get_Polarity(&polarity), S_OK);
    EXPECT_EQ(polarity, FunctionPolarityNegative);
    LONG order = 0;
    EXPECT_EQ(function->get_MSOrder(&order), S_OK);
    EXPECT_EQ(order, 3);
    EXPECT_EQ(function->get_Count(&n), S_OK);
    EXPECT_EQ(n, 4);

    ASSERT_EQ(traces->get_Count(&n), S_OK);
    EXPECT_EQ(n, 2);
    ks::ComPtr<IKSTrace> trace;
    EXPECT_EQ(traces->get_Item(0, &trace), DISP_E_BADINDEX);
    EXPECT_EQ(traces->get_Item(3, &trace), DISP_E_BADINDEX);
    ASSERT_EQ(traces->get_Item(2, &trace), S_OK);
    EXPECT_EQ(trace->get_Index(&index), S_OK);
    EXPECT_EQ(index, 2);
    // The second trace has no data: the reader's result comes through.
    ks::ComPtr<IKSChromatogram> chromatogram;
    EXPECT_EQ(trace->get_Chromatogram(&chromatogram), E_NOTIMPL);
    EXPECT_FALSE(chromatogram);
    ASSERT_EQ(traces->get_Item(1, &trace), S_OK);
    EXPECT_EQ(trace->get_Name(&name), S_OK);
    EXPECT_EQ(name.str(), L"Trace 1");
    ASSERT_EQ(trace->get_Chromatogram(&chromatogram), S_OK);
    const ObjectChromatogram c = ReadObject(chromatogram.get());
    EXPECT_EQ(c.count, 5);
    EXPECT_EQ(c.times, (std::vector<double>{0, 0.2, 0.4, 0.6000000000000001, 0.8}));
    EXPECT_EQ(c.intensities, (std::vector<double>{1, 4, 7, 10, 13}));
    EXPECT_EQ(c.name, L"UV 254");
    CChromatogram record;
    CKSChromatogram handle(&record);
    EXPECT_EQ(trace->get_ChromatogramDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(record.GetCount(), 5);
    EXPECT_EQ(record.GetName(), L"UV 254");
    EXPECT_EQ(std::vector<double>(record.Intensities(), record.Intensities() + 5), c.intensities);
    EXPECT_EQ(trace->get_ChromatogramDirect(0), E_POINTER);

    // The second injection has one function and no traces.
    ks::ComPtr<IKSTraces> noTraces;
    ASSERT_EQ(Injection(2)->get_Traces(&noTraces), S_OK);
    EXPECT_EQ(noTraces->get_Count(&n), S_OK);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(noTraces->get_Item(1, &trace), DISP_E_BADINDEX);
}

TEST_F(TreeTest, EnumeratorsAreSnapshotsOfEveryChild)
{
    OpenFixture();
    ks::ComPtr<IKSInjections> injections;
    ASSERT_EQ(server->get_Injections(&injections), S_OK);
    ks::ComPtr<IUnknown> unknown;
    ASSERT_EQ(injections->get__NewEnum(&unknown), S_OK);
    EXPECT_EQ(injections->get__NewEnum(nullptr), E_POINTER);
    ks::ComPtr<IEnumVARIANT> items;
    ASSERT_EQ(items.queryFrom(unknown.get()), S_OK);

    // Closing the server changes the counts; the snapshot keeps its items.
    ASSERT_EQ(server->Close(), S_OK);
    LONG n = -1;
    ASSERT_EQ(injections->get_Count(&n), S_OK);
    EXPECT_EQ(n, 0);

    VARIANT v[3];
    for (VARIANT& x : v)
        VariantInit(&x);
    ULONG fetched = 0;
    EXPECT_EQ(items->Next(3, v, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) {
        ASSERT_EQ(v[i].vt, VT_DISPATCH);
        ks::ComPtr<IKSInjection> injection;
        ASSERT_EQ(injection.queryFrom(v[i].pdispVal), S_OK);
        LONG index = 0;
        injection->get_Index(&index);
        EXPECT_EQ(index, static_cast<LONG>(i + 1));
        VariantClear(&v[i]);
    }

    // An empty collection gives an empty enumerator.
    ks::ComPtr<IUnknown> emptyUnknown;
    ASSERT_EQ(injections->get__NewEnum(&emptyUnknown), S_OK);
    ks::ComPtr<IEnumVARIANT> empty;
    ASSERT_EQ(empty.queryFrom(emptyUnknown.get()), S_OK);
    EXPECT_EQ(empty->Next(1, v, nullptr), S_FALSE);

    // Functions and traces of the first injection.
    OpenFixture();
    ks::ComPtr<IKSInjection> first = Injection(1);
    ks::ComPtr<IKSFunctions> functions;
    ASSERT_EQ(first->get_Functions(&functions), S_OK);
    ks::ComPtr<IKSTraces> traces;
    ASSERT_EQ(first->get_Traces(&traces), S_OK);
    ks::ComPtr<IUnknown> fu;
    ks::ComPtr<IUnknown> tu;
    ASSERT_EQ(functions->get__NewEnum(&fu), S_OK);
    ASSERT_EQ(traces->get__NewEnum(&tu), S_OK);
    ks::ComPtr<IEnumVARIANT> fe;
    ks::ComPtr<IEnumVARIANT> te;
    ASSERT_EQ(fe.queryFrom(fu.get()), S_OK);
    ASSERT_EQ(te.queryFrom(tu.get()), S_OK);
    EXPECT_EQ(fe->Next(3, v, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    ks::ComPtr<IKSFunction> second;
    ASSERT_EQ(second.queryFrom(v[1].pdispVal), S_OK);
    LONG count = 0;
    EXPECT_EQ(second->get_Count(&count), S_OK);
    EXPECT_EQ(count, 4);
    for (ULONG i = 0; i < fetched; ++i)
        VariantClear(&v[i]);
    EXPECT_EQ(te->Next(3, v, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    ks::ComPtr<IKSTrace> trace;
    EXPECT_EQ(trace.queryFrom(v[0].pdispVal), S_OK);
    for (ULONG i = 0; i < fetched; ++i)
        VariantClear(&v[i]);
}

TEST_F(TreeTest, ChromatogramsAreComputedOnlyWhenTheFlagIsOne)
{
    OpenFixture();
    ks::ComPtr<IKSFunction> function = Function(1, 1);
    CChromatogram record;
    CKSChromatogram handle(&record);
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    for (LONG flag : {0L, -1L, 2L}) {
        SCOPED_TRACE(flag);
        ks::ComPtr<IKSChromatogram> c;
        EXPECT_EQ(function->get_TIC(flag, &c), CO_E_NOT_SUPPORTED);
        EXPECT_FALSE(c);
        EXPECT_EQ(function->get_BPC(flag, &c), CO_E_NOT_SUPPORTED);
        EXPECT_EQ(function->get_BPCWithRange(100, 102, flag, &c), CO_E_NOT_SUPPORTED);
        EXPECT_EQ(function->get_TICDirect(flag, address), CO_E_NOT_SUPPORTED);
        EXPECT_EQ(function->get_BPCDirect(flag, address), CO_E_NOT_SUPPORTED);
        EXPECT_EQ(function->get_BPCWithRangeDirect(100, 102, flag, address), CO_E_NOT_SUPPORTED);
        EXPECT_EQ(TakeLog(control.get()), L"TIC 0\nBPCWithRange 0\nBPCWithRange 0\nTIC 0\nBPCWithRange 0\n"
                                          L"BPCWithRange 0\n");
    }
    EXPECT_EQ(function->get_TIC(1, nullptr), E_POINTER);

    // Spectrum k: 8 points of 10 (k + 1) * (1 2 3 4 3 2 1 0) over m/z
    // 100 + k + 0.25 p.
    ks::ComPtr<IKSChromatogram> tic;
    ASSERT_EQ(function->get_TIC(1, &tic), S_OK);
    const ObjectChromatogram t = ReadObject(tic.get());
    ASSERT_EQ(t.count, 10);
    for (int k = 0; k < 10; ++k) {
        EXPECT_DOUBLE_EQ(t.times[k], 0.1 * (k + 1));
        EXPECT_DOUBLE_EQ(t.intensities[k], 10.0 * (k + 1) * 16);
    }
    ks::ComPtr<IKSChromatogram> bpc;
    ASSERT_EQ(function->get_BPC(1, &bpc), S_OK);
    const ObjectChromatogram b = ReadObject(bpc.get());
    ASSERT_EQ(b.count, 10);
    EXPECT_DOUBLE_EQ(b.intensities[9], 400.0);
    // Within [100, 100.5] only the first three points of spectrum 0 lie.
    ks::ComPtr<IKSChromatogram> ranged;
    ASSERT_EQ(function->get_BPCWithRange(100, 100.5, 1, &ranged), S_OK);
    EXPECT_DOUBLE_EQ(ReadObject(ranged.get()).intensities[0], 30.0);
    EXPECT_DOUBLE_EQ(ReadObject(ranged.get()).intensities[1], 0.0);

    ASSERT_EQ(function->get_TICDirect(1, address), S_OK);
    ASSERT_EQ(record.GetCount(), 10);
    EXPECT_EQ(std::vector<double>(record.Intensities(), record.Intensities() + 10), t.intensities);
    ASSERT_EQ(function->get_BPCWithRangeDirect(100, 100.5, 1, address), S_OK);
    EXPECT_DOUBLE_EQ(record.Intensities()[0], 30.0);
}

void ExpectSame(const ObjectSpectrum& o, const CMassSpectrum& d)
{
    ASSERT_EQ(o.count, d.GetCount());
    EXPECT_EQ(o.masses, std::vector<double>(d.Masses(), d.Masses() + d.GetCount()));
    EXPECT_EQ(o.intensities, std::vector<double>(d.Intensities(), d.Intensities() + d.GetCount()));
    EXPECT_EQ(o.title, d.GetTitle());
    EXPECT_EQ(o.centroid, d.IsCentroid() ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(o.msOrder, d.GetMSOrder());
    EXPECT_EQ(o.precursor, d.GetPrecursorMass());
    EXPECT_EQ(o.spare, d.GetSpare16());
    EXPECT_EQ(o.polarity, d.GetPolarity());
    EXPECT_EQ(o.startRT, d.GetStartRT());
    EXPECT_EQ(o.endRT, d.GetEndRT());
    EXPECT_EQ(o.firstScan, d.GetFirstScan());
    EXPECT_EQ(o.lastScan, d.GetLastScan());
}

TEST_F(TreeTest, SpectrumEqualsSpectrumDirect)
{
    OpenFixture();
    for (auto [i, f] : {std::pair<LONG, LONG>{1, 1}, {1, 2}, {2, 1}}) {
        ks::ComPtr<IKSFunction> function = Function(i, f);
        LONG n = 0;
        ASSERT_EQ(function->get_Count(&n), S_OK);
        CKSMassSpectrum handle;
        for (LONG k = 1; k <= n; ++k) {
            SCOPED_TRACE(testing::Message() << i << "." << f << " #" << k);
            ks::ComPtr<IKSMassSpectrum> object;
            ASSERT_EQ(function->get_Spectrum(k, &object), S_OK);
            ASSERT_EQ(function->get_SpectrumDirect(k, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
            const ObjectSpectrum o = ReadObject(object.get());
            ExpectSame(o, *handle.get());
            EXPECT_EQ(o.firstScan, 40000 + k - 1);  // 32-bit scans
            if (i == 1 && f == 1 && k == 6) {  // nothing left over from the spectrum before
                EXPECT_EQ(handle.GetTitle(), L"");
            }
            EXPECT_EQ(o.functionType, handle.get()->GetFunctionType());
            if (i == 1 && f == 2) {
                // Levels L of the record are L + 1 in the object, L in the handle.
                ks::ComPtr<IKSMassSpectrum2> two;
                ASSERT_EQ(two.queryFrom(object.get()), S_OK);
                double v = 0;
                two->get_PrecursorMZ(3, &v);
                EXPECT_EQ(v, 600.0 + k - 1);
                two->get_PrecursorMZ2(4, &v);
                EXPECT_EQ(v, 301.0 + k - 1);
                two->get_PrecursorMZ(2, &v);
                EXPECT_EQ(v, 0.0);
                EXPECT_EQ(handle.get()->GetPrecursorMZ(2), 600.0 + k - 1);
                EXPECT_EQ(handle.get()->GetPrecursorMZ2(3), 301.0 + k - 1);
            }
        }
    }
}

TEST_F(TreeTest, DirectMembersCheckTheIndexBeforeAndTheHandleAfterReading)
{
    OpenFixture();
    ks::ComPtr<IKSFunction> function = Function(1, 1);
    CKSMassSpectrum handle;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);

    struct Case {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
        const wchar_t* log;
    };
    ks::ComPtr<IKSMassSpectrum> object;
    ks::ComPtr<IKSMSCollection> collection;
    const Case cases[] = {
        {"SpectrumDirect bad index, null handle", [&] { return function->get_SpectrumDirect(11, 0); },
         DISP_E_BADINDEX, L""},
        {"SpectrumDirect index 0", [&] { return function->get_SpectrumDirect(0, address); }, DISP_E_BADINDEX, L""},
        {"SpectrumDirect null handle", [&] { return function->get_SpectrumDirect(2, 0); }, E_POINTER,
         L"Spectrum 0 0 1\n"},
        {"Spectrum null out, bad index", [&] { return function->get_Spectrum(11, nullptr); }, E_POINTER, L""},
        {"Spectrum bad index", [&] { return function->get_Spectrum(11, &object); }, DISP_E_BADINDEX, L""},
        {"SpectrumRange last before first", [&] { return function->get_SpectrumRange(3, 2, 1, 0.1, &object); },
         DISP_E_BADINDEX, L""},
        {"SpectrumRange past count", [&] { return function->get_SpectrumRange(9, 11, 1, 0.1, &object); },
         DISP_E_BADINDEX, L""},
        {"SpectrumRangeDirect bad range, null handle",
         [&] { return function->get_SpectrumRangeDirect(0, 2, 1, 0.1, 0); }, DISP_E_BADINDEX, L""},
        {"SpectrumRangeDirect null handle", [&] { return function->get_SpectrumRangeDirect(1, 1, 1, 0.1, 0); },
         E_POINTER, L"SpectrumRange 0 0 0 0 1\nSpectrum 0 0 0\n"},
        {"SpectrumByRTDirect no spectrum", [&] {
             return function->get_SpectrumByRTDirect(0.05, FunctionRTProximityLess, 0);
         }, E_FAIL, L""},
        {"SpectrumByRT no spectrum", [&] {
             return function->get_SpectrumByRT(5.0, FunctionRTProximityGreater, &object);
         }, E_FAIL, L""},
        {"SpectrumByRTDirect null handle", [&] {
             return function->get_SpectrumByRTDirect(0.31, FunctionRTProximityClosest, 0);
         }, E_POINTER, L"Spectrum 0 0 2\n"},
        {"SpectrumRangeByRTDirect no start", [&] {
             return function->get_SpectrumRangeByRTDirect(0.05, FunctionRTProximityLess, 0.5,
                                                          FunctionRTProximityLess, 1, 0.1, address);
         }, E_FAIL, L""},
        {"TICDirect null handle", [&] { return function->get_TICDirect(1, 0); }, E_POINTER, nullptr},
        {"BPCDirect not allowed, null handle", [&] { return function->get_BPCDirect(0, 0); }, CO_E_NOT_SUPPORTED,
         L"BPCWithRange 0\n"},
        {"SpectrumCollectionDirect null", [&] { return function->get_SpectrumCollectionDirect(0); }, E_POINTER,
         L""},
        {"SpectrumCollection null out", [&] { return function->get_SpectrumCollection(nullptr); }, E_POINTER, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.expected);
        const std::wstring log = TakeLog(control.get());
        if (c.log)
            EXPECT_EQ(log, c.log);
        else  // the whole chromatogram was computed before the handle was looked at
            EXPECT_EQ(log.substr(0, 6), L"TIC 1\n");
    }
}

TEST_F(TreeTest, SpectrumRangeByRTWithTheEndBeforeTheStartReadsTheStartSpectrum)
{
    OpenFixture();
    ks::ComPtr<IKSFunction> function = Function(1, 1);
    ks::ComPtr<IKSMassSpectrum> object;
    // Start selects index 4 (0.5 min), end index 1 (0.2 min).
    ASSERT_EQ(function->get_SpectrumRangeByRT(0.5, FunctionRTProximityClosest, 0.2, FunctionRTProximityClosest, 1,
                                              0.01, &object),
              S_OK);
    EXPECT_EQ(TakeLog(control.get()), L"SpectrumRange 0 0 4 1 1\nSpectrum 0 0 4\n");
    const ObjectSpectrum o = ReadObject(object.get());
    EXPECT_EQ(o.firstScan, 5);
    EXPECT_EQ(o.lastScan, 2);
    CKSMassSpectrum single;
    ASSERT_EQ(function->get_SpectrumDirect(5, reinterpret_cast<ULONG_PTR>(&single)), S_OK);
    EXPECT_EQ(o.count, single.GetCount());
    EXPECT_EQ(o.intensities, std::vector<double>(single.GetIntensities(), single.GetIntensities() + o.count));

    CKSMassSpectrum handle;
    ASSERT_EQ(function->get_SpectrumRangeByRTDirect(0.5, FunctionRTProximityClosest, 0.2,
                                                    FunctionRTProximityClosest, 1, 0.01,
                                                    reinterpret_cast<ULONG_PTR>(&handle)),
              S_OK);
    EXPECT_EQ(handle.GetFirstScan(), 5);
    EXPECT_EQ(handle.GetLastScan(), 2);
}

TEST_F(TreeTest, LongFlagsCountOnlyOneAsTrue)
{
    OpenFixture();
    ks::ComPtr<IKSFunction> function = Function(1, 1);
    CKSMassSpectrum handle;
    for (auto [flag, passed] : {std::pair<LONG, int>{1, 1}, {0, 0}, {-1, 0}, {2, 0}}) {
        SCOPED_TRACE(flag);
        ks::ComPtr<IKSMassSpectrum> object;
        ASSERT_EQ(function->get_SpectrumRange(2, 3, flag, 0.5, &object), S_OK);
        ASSERT_EQ(function->get_SpectrumRangeDirect(2, 3, flag, 0.5, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        const std::wstring range = L"SpectrumRange 0 0 1 2 " + std::to_wstring(passed) + L"\n";
        EXPECT_EQ(TakeLog(control.get()), range + L"Spectrum 0 0 1\nSpectrum 0 0 2\n" + range +
                                              L"Spectrum 0 0 1\nSpectrum 0 0 2\n");
        EXPECT_EQ(ReadObject(object.get()).firstScan, 2);
        EXPECT_EQ(handle.GetLastScan(), 3);
    }
}

TEST_F(TreeTest, ReaderFailuresPassThroughAndCreateNothing)
{
    OpenFixture();
    ks::ComPtr<IKSFunction> function = Function(1, 1);
    control->SetFailingSpectrum(2);
    ks::ComPtr<IKSMassSpectrum> object;
    EXPECT_EQ(function->get_Spectrum(3, &object), E_UNEXPECTED);
    EXPECT_FALSE(object);
    CKSMassSpectrum handle;
    handle.SetTitle(L"untouched");
    EXPECT_EQ(function->get_SpectrumDirect(3, reinterpret_cast<ULONG_PTR>(&handle)), E_UNEXPECTED);
    EXPECT_EQ(handle.GetTitle(), L"untouched");
    ks::ComPtr<IKSMSCollection> collection;
    EXPECT_EQ(function->get_SpectrumCollection(&collection), E_UNEXPECTED);
    EXPECT_FALSE(collection);
}

TEST_F(TreeTest, CollectionsPlainDirectAndCentroided)
{
    OpenFixture();
    ks::ComPtr<IKSFunction> profile = Function(1, 1);
    ks::ComPtr<IKSFunction> centroid = Function(1, 2);

    ks::ComPtr<IKSMSCollection> plain;
    ASSERT_EQ(profile->get_SpectrumCollection(&plain), S_OK);
    LONG n = 0;
    ASSERT_EQ(plain->get_Count(&n), S_OK);
    ASSERT_EQ(n, 10);
    std::vector<CMassSpectrum> spectra;
    CKSMSCollection direct(&spectra);
    ASSERT_EQ(profile->get_SpectrumCollectionDirect(reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
    ASSERT_EQ(spectra.size(), 10u);
    for (LONG k = 1; k <= n; ++k) {
        SCOPED_TRACE(k);
        ks::ComPtr<IKSMassSpectrum2> item;
        ASSERT_EQ(plain->get_Item(k, &item), S_OK);
        const ObjectSpectrum o = ReadObject(item.get());
        ExpectSame(o, spectra[k - 1]);
        EXPECT_EQ(o.firstScan, 40000 + k - 1);
        // Collection items carry no function type.
        EXPECT_EQ(o.functionType, 0);
    }

    // Centroided: every profile spectrum passes through the detector once.
    ks::ComPtr<RecordingDetector> detector;
    {
        RecordingDetector* d = nullptr;
        ASSERT_EQ(ks::createObject(&d), S_OK);
        detector = d;
    }
    ks::ComPtr<IKSFunction2> profile2;
    ASSERT_EQ(profile2.queryFrom(profile.get()), S_OK);
    ks::ComPtr<IKSMSCollection> centroided;
    EXPECT_EQ(profile2->get_SpectrumCollectionCentroid(nullptr, &centroided), E_POINTER);
    EXPECT_EQ(profile2->get_SpectrumCollectionCentroid(detector.get(), nullptr), E_POINTER);
    ASSERT_EQ(profile2->get_SpectrumCollectionCentroid(detector.get(), &centroided), S_OK);
    ASSERT_EQ(detector->calls.size(), 20u);
    for (size_t c = 0; c < 20; c += 2) {
        EXPECT_EQ(detector->calls[c], L"detect 8");
        EXPECT_EQ(detector->calls[c + 1], L"write");
    }
    for (LONG k = 1; k <= 10; ++k) {
        SCOPED_TRACE(k);
        ks::ComPtr<IKSMassSpectrum2> item;
        ASSERT_EQ(centroided->get_Item(k, &item), S_OK);
        const ObjectSpectrum o = ReadObject(item.get());
        EXPECT_EQ(o.count, 1);
        EXPECT_EQ(o.centroid, VARIANT_TRUE);
        EXPECT_DOUBLE_EQ(o.masses.at(0), 100.0 + (k - 1) + 0.875);  // mean of the profile m/z values
        EXPECT_EQ(o.intensities.at(0), 8.0);
        // The rest comes from the profile spectrum copied into the item.
        EXPECT_EQ(o.title, spectra[k - 1].GetTitle());
        EXPECT_EQ(o.startRT, spectra[k - 1].GetStartRT());
        EXPECT_EQ(o.firstScan, 40000 + k - 1);
    }

    // Centroid spectra are copied unchanged; the detector is never called.
    detector->calls.clear();
    ks::ComPtr<IKSFunction2> centroid2;
    ASSERT_EQ(centroid2.queryFrom(centroid.get()), S_OK);
    ASSERT_EQ(centroid2->get_SpectrumCollectionCentroid(detector.get(), &centroided), S_OK);
    EXPECT_TRUE(detector->calls.empty());
    ASSERT_EQ(centroided->get_Count(&n), S_OK);
    ASSERT_EQ(n, 4);
    CKSMassSpectrum handle;
    for (LONG k = 1; k <= n; ++k) {
        ks::ComPtr<IKSMassSpectrum2> item;
        ASSERT_EQ(centroided->get_Item(k, &item), S_OK);
        ASSERT_EQ(centroid->get_SpectrumDirect(k, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        ExpectSame(ReadObject(item.get()), *handle.get());
    }

    // A failing read ends the centroided filling and leaves nothing behind.
    control->SetFailingSpectrum(1);
    EXPECT_EQ(profile2->get_SpectrumCollectionCentroid(detector.get(), &centroided), E_UNEXPECTED);
    EXPECT_FALSE(centroided);
    EXPECT_EQ(profile->get_SpectrumCollectionDirect(reinterpret_cast<ULONG_PTR>(&direct)), E_UNEXPECTED);
}

TEST_F(TreeTest, ReaderLivesUntilTheServerAndItsLastChildAreReleased)
{
    const LONG destroyedBefore = control->ReadersDestroyed();
    const LONG aliveBefore = control->ReadersAlive();
    OpenFixture();
    ks::ComPtr<IKSFunction> function = Function(1, 2);
    ks::ComPtr<IUnknown> enumerator;
    {
        ks::ComPtr<IKSInjections> injections;
        ASSERT_EQ(server->get_Injections(&injections), S_OK);
        ASSERT_EQ(injections->get__NewEnum(&enumerator), S_OK);
    }
    // The server closes and goes; the function still reads through the
    // shared reader (counts from its closed state).
    ASSERT_EQ(server->Close(), S_OK);
    LONG n = -1;
    EXPECT_EQ(function->get_Count(&n), S_OK);
    EXPECT_EQ(n, 0);
    server.reset();
    EXPECT_EQ(control->ReadersDestroyed(), destroyedBefore);
    EXPECT_EQ(control->ReadersAlive(), aliveBefore);
    function.reset();
    EXPECT_EQ(control->ReadersDestroyed(), destroyedBefore);  // the enumerator's injections hold it
    enumerator.reset();
    EXPECT_EQ(control->ReadersDestroyed(), destroyedBefore + 1);
    EXPECT_EQ(control->ReadersAlive(), aliveBefore - 1);
    // Nothing closed the reader on the way out.
    EXPECT_EQ(TakeLog(control.get()), L"Close\n");
}

TEST_F(TreeTest, MembersInvokedByDispatchId)
{
    OpenFixture();
    ks::ComPtr<IKSFunction> function = Function(1, 1);
    auto invoke = [](IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                     EXCEPINFO* info = nullptr) {
        std::reverse(args.begin(), args.end());  // arguments travel last first
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        EXCEPINFO local{};
        HRESULT hr = d->Invoke(id, IID_NULL, 0, flags, &params, result, info ? info : &local, nullptr);
        for (VARIANT& a : args)
            VariantClear(&a);
        return hr;
    };
    auto i4 = [](LONG v) {
        VARIANT x;
        VariantInit(&x);
        x.vt = VT_I4;
        x.lVal = v;
        return x;
    };

    ks::Variant count;
    ASSERT_EQ(invoke(function.get(), 8, DISPATCH_PROPERTYGET, {}, &count), S_OK);
    EXPECT_EQ(count.vt, VT_I4);
    EXPECT_EQ(count.lVal, 10);

    ks::Variant spectrum;
    ASSERT_EQ(invoke(function.get(), 6, DISPATCH_PROPERTYGET, {i4(3)}, &spectrum), S_OK);
    ASSERT_EQ(spectrum.vt, VT_DISPATCH);
    ks::ComPtr<IKSMassSpectrum> object;
    ASSERT_EQ(object.queryFrom(spectrum.pdispVal), S_OK);

    CKSMassSpectrum handle;
    VARIANT address;
    VariantInit(&address);
    address.vt = VT_UI8;
    address.ullVal = reinterpret_cast<ULONG_PTR>(&handle);
    ks::Variant none;
    ASSERT_EQ(invoke(function.get(), 17, DISPATCH_PROPERTYGET, {i4(3), address}, &none), S_OK);
    ExpectSame(ReadObject(object.get()), *handle.get());

    EXCEPINFO info{};
    ks::Variant bad;
    EXPECT_EQ(invoke(function.get(), 6, DISPATCH_PROPERTYGET, {i4(11)}, &bad, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, DISP_E_BADINDEX);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);

    // Collections: Item is the default member, _NewEnum DISPID -4.
    ks::ComPtr<IKSInjections> injections;
    ASSERT_EQ(server->get_Injections(&injections), S_OK);
    ks::Variant item;
    ASSERT_EQ(invoke(injections.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {i4(2)}, &item), S_OK);
    ASSERT_EQ(item.vt, VT_DISPATCH);
    ks::ComPtr<IKSInjection> injection;
    ASSERT_EQ(injection.queryFrom(item.pdispVal), S_OK);
    ks::Variant enumerator;
    ASSERT_EQ(invoke(injections.get(), DISPID_NEWENUM, DISPATCH_PROPERTYGET, {}, &enumerator), S_OK);
    ASSERT_TRUE(enumerator.vt == VT_UNKNOWN || enumerator.vt == VT_DISPATCH);
    ks::ComPtr<IEnumVARIANT> e;
    EXPECT_EQ(e.queryFrom(enumerator.punkVal), S_OK);

    // The data server: Open by DISPID 4, the class identifier through the
    // IKSDataServer3 side.
    VARIANT path;
    VariantInit(&path);
    path.vt = VT_BSTR;
    path.bstrVal = SysAllocString(L"fixture:dispatched");
    ks::Variant opened;
    ASSERT_EQ(invoke(server.get(), 4, DISPATCH_METHOD, {path}, &opened), S_OK);
    EXPECT_EQ(Path(), L"fixture:dispatched");
    ks::ComPtr<IKSDataServer3> three;
    ASSERT_EQ(three.queryFrom(server.get()), S_OK);
    ks::Variant clsid;
    ASSERT_EQ(invoke(three.get(), 1, DISPATCH_PROPERTYGET, {}, &clsid), S_OK);
    ASSERT_EQ(clsid.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(clsid.bstrVal), L"{6A0D2C51-3B8E-4F7A-9C14-2E5B7D90A1C3}");
}

}  // namespace
