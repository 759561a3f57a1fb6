// A reader that throws from every operation, driven through every member of
// the object tree (vtable and IDispatch): each answers E_OUTOFMEMORY for
// std::bad_alloc and E_FAIL for anything else, with its object out argument
// null, and the process goes on.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "kscomptr.h"
#include "ksdataservertree.h"
#include "kshandles.h"
#include "kstest.h"

namespace {

inline constexpr GUID LIBID_ThrowingTree = ks::guid("6A0D2C60-3B8E-4F7A-9C14-2E5B7D90A1C3");
inline constexpr CLSID CLSID_ThrowingDataServer = ks::guid("6A0D2C61-3B8E-4F7A-9C14-2E5B7D90A1C3");

enum class Throw { Nothing, BadAlloc, Other };
Throw g_throw = Throw::Nothing;

void maybeThrow()
{
    if (g_throw == Throw::BadAlloc)
        throw std::bad_alloc();
    if (g_throw == Throw::Other)
        throw std::runtime_error("reader failure");
}

// Every operation throws when asked to; otherwise one injection, one
// function of three spectra and one trace.
class CThrowingReader : public CDataServerImpl {
public:
    CString DatasetType() override { maybeThrow(); return CString(L"Throwing"); }
    bool IsValidDataset(const CString&) override { maybeThrow(); return true; }
    HRESULT Open(const CString&) override { maybeThrow(); return S_OK; }
    HRESULT Close() override { maybeThrow(); return S_OK; }
    HRESULT OpenFromStorage(IUnknown*, const CString&) override { maybeThrow(); return S_OK; }
    int InjectionCount() override { maybeThrow(); return 1; }
    int InjectionCountFromPath(const CString&) override { maybeThrow(); return 1; }
    CString InjectionName(int) override { maybeThrow(); return CString(L"Injection"); }
    int FunctionCount(int) override { maybeThrow(); return 1; }
    CString FunctionName(int, int) override { maybeThrow(); return CString(L"Function"); }
    ::FunctionType FunctionType(int, int) override { maybeThrow(); return FunctionTypeMS; }
    ::FunctionMSMSType FunctionMSMSType(int, int) override { maybeThrow(); return FunctionMSMSTypeNone; }
    ::FunctionPolarity FunctionPolarity(int, int) override { maybeThrow(); return FunctionPolarityPositive; }
    int MSOrder(int, int) override { maybeThrow(); return 1; }
    int SpectrumCount(int, int) override { return 3; }  // indexes stay valid: the read throws
    HRESULT Spectrum(int, int, int index, CMassSpectrum& spectrum) override
    {
        maybeThrow();
        spectrum.SetSize(1, false, false, false);
        spectrum.Masses()[0] = 100 + index;
        spectrum.Intensities()[0] = 1;
        spectrum.SetStartRT(index);
        return S_OK;
    }
    int SpectrumIndexByRT(int, int, double, FunctionRTProximity) override { return 0; }
    int TraceCount(int) override { maybeThrow(); return 1; }
    CString TraceName(int, int) override { maybeThrow(); return CString(L"Trace"); }
    HRESULT Trace(int, int, CChromatogram& chromatogram) override
    {
        maybeThrow();
        chromatogram.SetSize(1);
        return S_OK;
    }
};

class CThrowingTrace : public CKSTraceTemplate<CThrowingTrace, CThrowingReader, &LIBID_ThrowingTree> {};
class CThrowingTraces
    : public CKSTracesTemplate<CThrowingTraces, CThrowingReader, CThrowingTrace, &LIBID_ThrowingTree> {};
class CThrowingFunction : public CKSFunctionTemplate<CThrowingFunction, CThrowingReader, &LIBID_ThrowingTree> {};
class CThrowingFunctions
    : public CKSFunctionsTemplate<CThrowingFunctions, CThrowingReader, CThrowingFunction, &LIBID_ThrowingTree> {};
class CThrowingInjection : public CKSInjectionTemplate<CThrowingInjection, CThrowingReader, CThrowingFunctions,
                                                       CThrowingTraces, &LIBID_ThrowingTree> {};
class CThrowingInjections
    : public CKSInjectionsTemplate<CThrowingInjections, CThrowingReader, CThrowingInjection, &LIBID_ThrowingTree> {};
class CThrowingDataServer
    : public CKSDataServerTemplate<CThrowingDataServer, CThrowingReader, CThrowingInjections,
                                   &CLSID_ThrowingDataServer, &LIBID_ThrowingTree, true> {};

// A peak detector that is never reached: the reader throws first.
class NoDetector : public ks::Object<ks::Dual<IKSPeakDetection>> {
public:
    HRESULT DetectPeaks(IKSMassSpectrum*) override { return S_OK; }
    HRESULT WritePeaks(IKSMassSpectrum*) override { return S_OK; }
};

class ThrowingTree : public ::testing::TestWithParam<Throw> {
protected:
    void SetUp() override
    {
        g_throw = Throw::Nothing;
        // The spectrum-object library makes the collections the reader fills.
        ASSERT_TRUE(ks::test::registerComponents({"KSControls"}));
        CThrowingDataServer* raw = nullptr;
        ASSERT_EQ(ks::createObject(&raw), S_OK);
        raw->InternalAddRef();
        ASSERT_EQ(raw->InternalQueryInterface(IID_IKSDataServer, reinterpret_cast<void**>(&server)), S_OK);
        raw->InternalRelease();
        ASSERT_EQ(server->Open(ks::Bstr(L"any")), S_OK);
        ASSERT_EQ(server->get_Injections(&injections), S_OK);
        ASSERT_EQ(injections->get_Item(1, &injection), S_OK);
        ASSERT_EQ(injection->get_Functions(&functions), S_OK);
        ASSERT_EQ(functions->get_Item(1, &function), S_OK);
        ASSERT_EQ(injection->get_Traces(&traces), S_OK);
        ASSERT_EQ(traces->get_Item(1, &trace), S_OK);
        ASSERT_EQ(function->QueryInterface(IID_IKSFunction2, reinterpret_cast<void**>(&function2)), S_OK);
        ASSERT_EQ(server->QueryInterface(IID_IKSDataServer2, reinterpret_cast<void**>(&server2)), S_OK);
        ASSERT_EQ(server->QueryInterface(IID_IKSDataServer3, reinterpret_cast<void**>(&server3)), S_OK);
        g_throw = GetParam();
    }
    void TearDown() override { g_throw = Throw::Nothing; }

    HRESULT failure() const { return GetParam() == Throw::BadAlloc ? E_OUTOFMEMORY : E_FAIL; }

    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSDataServer2> server2;
    ks::ComPtr<IKSDataServer3> server3;
    ks::ComPtr<IKSInjections> injections;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunctions> functions;
    ks::ComPtr<IKSFunction> function;
    ks::ComPtr<IKSFunction2> function2;
    ks::ComPtr<IKSTraces> traces;
    ks::ComPtr<IKSTrace> trace;
};

// Sets an out pointer to a marker first, so a member that fails without
// nulling it shows.
template <class P>
P* marked()
{
    return reinterpret_cast<P*>(static_cast<uintptr_t>(0x10));
}

TEST_P(ThrowingTree, EveryMemberAnswersACode)
{
    const HRESULT fail = failure();
    CKSMassSpectrum spectrum;
    CChromatogram points;
    CKSChromatogram chromatogram(&points);
    const ULONG_PTR sHandle = reinterpret_cast<ULONG_PTR>(&spectrum);
    const ULONG_PTR cHandle = reinterpret_cast<ULONG_PTR>(&chromatogram);
    NoDetector* rawDetector = nullptr;
    ASSERT_EQ(ks::createObject(&rawDetector), S_OK);
    rawDetector->InternalAddRef();

    struct Case {
        const char* member;
        std::function<HRESULT(IUnknown**)> call;  // fills the object out argument, if any
        HRESULT expected;
    };
    const HRESULT ok = S_OK;
    const Case cases[] = {
        // Data server.
        {"DatasetType", [&](IUnknown**) { BSTR b = marked<OLECHAR>(); HRESULT hr = server->DatasetType(&b);
                                          EXPECT_EQ(b, nullptr); return hr; }, fail},
        {"IsValidDataset", [&](IUnknown**) { LONG v = 0; return server->IsValidDataset(ks::Bstr(L"x"), &v); }, fail},
        {"get_InjectionCountFromPath", [&](IUnknown**) { LONG n = 0;
                                          return server->get_InjectionCountFromPath(ks::Bstr(L"x"), &n); }, fail},
        {"get_Injections", [&](IUnknown** out) {
             return server->get_Injections(reinterpret_cast<IKSInjections**>(out)); }, ok},
        {"get_ClassID", [&](IUnknown**) { ks::Bstr id; return server3->get_ClassID(&id); }, ok},
        {"CurrentDataset", [&](IUnknown**) { ks::Bstr p; return server->CurrentDataset(&p); }, ok},
        // Injections and injection.
        {"Injections.get_Count", [&](IUnknown**) { LONG n = 0; return injections->get_Count(&n); }, fail},
        {"Injections.get_Item", [&](IUnknown** out) {
             return injections->get_Item(1, reinterpret_cast<IKSInjection**>(out)); }, fail},
        {"Injections.get__NewEnum", [&](IUnknown** out) { return injections->get__NewEnum(out); }, fail},
        {"Injection.get_Functions", [&](IUnknown** out) {
             return injection->get_Functions(reinterpret_cast<IKSFunctions**>(out)); }, ok},
        {"Injection.get_Traces", [&](IUnknown** out) {
             return injection->get_Traces(reinterpret_cast<IKSTraces**>(out)); }, ok},
        {"Injection.get_Name", [&](IUnknown**) { BSTR b = marked<OLECHAR>(); HRESULT hr = injection->get_Name(&b);
                                                 EXPECT_EQ(b, nullptr); return hr; }, fail},
        {"Injection.get_Index", [&](IUnknown**) { LONG n = 0; return injection->get_Index(&n); }, ok},
        // Functions and function.
        {"Functions.get_Count", [&](IUnknown**) { LONG n = 0; return functions->get_Count(&n); }, fail},
        {"Functions.get_Item", [&](IUnknown** out) {
             return functions->get_Item(1, reinterpret_cast<IKSFunction**>(out)); }, fail},
        {"Functions.get__NewEnum", [&](IUnknown** out) { return functions->get__NewEnum(out); }, fail},
        {"get_Name", [&](IUnknown**) { BSTR b = marked<OLECHAR>(); HRESULT hr = function->get_Name(&b);
                                       EXPECT_EQ(b, nullptr); return hr; }, fail},
        {"get_Type", [&](IUnknown**) { FunctionType t{}; return function->get_Type(&t); }, fail},
        {"get_MSMSType", [&](IUnknown**) { FunctionMSMSType t{}; return function->get_MSMSType(&t); }, fail},
        {"get_Polarity", [&](IUnknown**) { FunctionPolarity p{}; return function->get_Polarity(&p); }, fail},
        {"get_MSOrder", [&](IUnknown**) { LONG n = 0; return function->get_MSOrder(&n); }, fail},
        {"get_Count", [&](IUnknown**) { LONG n = 0; return function->get_Count(&n); }, ok},
        {"get_Index", [&](IUnknown**) { LONG n = 0; return function->get_Index(&n); }, ok},
        {"get_BPC", [&](IUnknown** out) { return function->get_BPC(1, reinterpret_cast<IKSChromatogram**>(out)); },
         fail},
        {"get_BPCWithRange", [&](IUnknown** out) {
             return function->get_BPCWithRange(0, 1000, 1, reinterpret_cast<IKSChromatogram**>(out)); }, fail},
        {"get_BPCDirect", [&](IUnknown**) { return function->get_BPCDirect(1, cHandle); }, fail},
        {"get_BPCWithRangeDirect", [&](IUnknown**) { return function->get_BPCWithRangeDirect(0, 1000, 1, cHandle); },
         fail},
        {"get_TIC", [&](IUnknown** out) { return function->get_TIC(1, reinterpret_cast<IKSChromatogram**>(out)); },
         fail},
        {"get_TICDirect", [&](IUnknown**) { return function->get_TICDirect(1, cHandle); }, fail},
        {"get_Spectrum", [&](IUnknown** out) {
             return function->get_Spectrum(1, reinterpret_cast<IKSMassSpectrum**>(out)); }, fail},
        {"get_SpectrumDirect", [&](IUnknown**) { return function->get_SpectrumDirect(1, sHandle); }, fail},
        {"get_SpectrumByRT", [&](IUnknown** out) {
             return function->get_SpectrumByRT(0, FunctionRTProximityClosest,
                                               reinterpret_cast<IKSMassSpectrum**>(out)); }, fail},
        {"get_SpectrumByRTDirect", [&](IUnknown**) {
             return function->get_SpectrumByRTDirect(0, FunctionRTProximityClosest, sHandle); }, fail},
        {"get_SpectrumRange", [&](IUnknown** out) {
             return function->get_SpectrumRange(1, 3, 1, 0.1, reinterpret_cast<IKSMassSpectrum**>(out)); }, fail},
        {"get_SpectrumRangeDirect", [&](IUnknown**) {
             return function->get_SpectrumRangeDirect(1, 3, 1, 0.1, sHandle); }, fail},
        {"get_SpectrumRangeByRT", [&](IUnknown** out) {
             return function->get_SpectrumRangeByRT(0, FunctionRTProximityClosest, 2, FunctionRTProximityClosest, 1,
                                                    0.1, reinterpret_cast<IKSMassSpectrum**>(out)); }, fail},
        {"get_SpectrumRangeByRTDirect", [&](IUnknown**) {
             return function->get_SpectrumRangeByRTDirect(0, FunctionRTProximityClosest, 2,
                                                          FunctionRTProximityClosest, 1, 0.1, sHandle); }, fail},
        {"get_SpectrumCollection", [&](IUnknown** out) {
             return function->get_SpectrumCollection(reinterpret_cast<IKSMSCollection**>(out)); }, fail},
        {"get_SpectrumCollectionDirect", [&](IUnknown**) {
             std::vector<CMassSpectrum> spectra;
             CKSMSCollection collection(&spectra);
             return function->get_SpectrumCollectionDirect(reinterpret_cast<ULONG_PTR>(&collection)); }, fail},
        {"get_SpectrumCollectionCentroid", [&](IUnknown** out) {
             return function2->get_SpectrumCollectionCentroid(rawDetector, reinterpret_cast<IKSMSCollection**>(out)); },
         fail},
        // Traces and trace.
        {"Traces.get_Count", [&](IUnknown**) { LONG n = 0; return traces->get_Count(&n); }, fail},
        {"Traces.get_Item", [&](IUnknown** out) { return traces->get_Item(1, reinterpret_cast<IKSTrace**>(out)); },
         fail},
        {"Traces.get__NewEnum", [&](IUnknown** out) { return traces->get__NewEnum(out); }, fail},
        {"Trace.get_Name", [&](IUnknown**) { BSTR b = marked<OLECHAR>(); HRESULT hr = trace->get_Name(&b);
                                             EXPECT_EQ(b, nullptr); return hr; }, fail},
        {"Trace.get_Chromatogram", [&](IUnknown** out) {
             return trace->get_Chromatogram(reinterpret_cast<IKSChromatogram**>(out)); }, fail},
        {"Trace.get_ChromatogramDirect", [&](IUnknown**) { return trace->get_ChromatogramDirect(cHandle); }, fail},
        {"Trace.get_Index", [&](IUnknown**) { LONG n = 0; return trace->get_Index(&n); }, ok},
        // Opening and closing last: they change the server's state.
        {"OpenFromStorage", [&](IUnknown**) { return server2->OpenFromStorage(nullptr, ks::Bstr(L"sub")); }, fail},
        {"Open", [&](IUnknown**) { return server->Open(ks::Bstr(L"again")); }, fail},
    };
    for (const Case& c : cases) {
        IUnknown* out = marked<IUnknown>();
        const HRESULT hr = c.call(&out);
        EXPECT_EQ(hr, c.expected) << c.member;
        if (FAILED(hr)) {
            EXPECT_TRUE(out == nullptr || out == marked<IUnknown>()) << c.member;
        } else if (out != marked<IUnknown>() && out) {
            out->Release();
        }
    }
    // Close on a server that the failed open left closed does not reach the
    // reader; open it without throwing, then close with the reader throwing.
    const Throw mode = g_throw;
    g_throw = Throw::Nothing;
    ASSERT_EQ(server->Open(ks::Bstr(L"again")), S_OK);
    g_throw = mode;
    EXPECT_EQ(server->Close(), fail);
    rawDetector->InternalRelease();
}

// The same through IDispatch::Invoke: the member's code comes back inside
// DISP_E_EXCEPTION, nothing escapes.
TEST_P(ThrowingTree, InvokeAnswersTheCode)
{
    ks::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(function->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    for (const wchar_t* name : {L"Name", L"Type", L"MSOrder", L"TIC"}) {
        wchar_t buffer[32];
        std::wcsncpy(buffer, name, 31);
        buffer[31] = 0;
        LPOLESTR names[] = {buffer};
        DISPID id = 0;
        ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << std::wstring(name).size();
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_I4;
        arg.lVal = 1;
        DISPPARAMS params{&arg, nullptr, std::wstring(name) == L"TIC" ? 1u : 0u, 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO info{};
        const HRESULT hr = dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &result, &info, nullptr);
        EXPECT_EQ(hr, DISP_E_EXCEPTION);
        EXPECT_EQ(info.scode, failure());
        EXPECT_EQ(result.vt, VT_EMPTY);
    }
}

INSTANTIATE_TEST_SUITE_P(Exceptions, ThrowingTree, ::testing::Values(Throw::BadAlloc, Throw::Other),
                         [](const ::testing::TestParamInfo<Throw>& info) {
                             return std::string(info.param == Throw::BadAlloc ? "BadAlloc" : "Other");
                         });

}  // namespace
