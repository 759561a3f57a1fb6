// A provider-like component built on the tree templates over a small
// in-memory reader, for the tree tests. It registers its data server and a
// control class that reaches the reader's switches and call log.
#include "fixturecontrol.h"

#include <string>

#include "ksclassfactory.h"
#include "ksdataservertree.h"
#include "ksregistrar.h"
#include "kstextutil.h"

namespace {

struct FixtureState {
    LONG alive = 0;
    LONG destroyed = 0;
    HRESULT openResult = S_OK;
    HRESULT closeResult = S_OK;
    LONG failingSpectrum = -1;
    std::wstring log;
};

FixtureState& State()
{
    static FixtureState state;
    return state;
}

void Log(const std::wstring& line)
{
    State().log += line;
    State().log += L"\n";
}

std::wstring Num(long long v)
{
    return std::to_wstring(v);
}

class CFixtureReader : public CDataServerImpl {
public:
    CFixtureReader() { ++State().alive; }
    ~CFixtureReader() override
    {
        --State().alive;
        ++State().destroyed;
    }

    CString DatasetType() override { return CString(L"KSTreeFixture"); }
    bool IsValidDataset(const CString& path) override { return std::wstring(path.GetString()).rfind(L"fixture:", 0) == 0; }
    HRESULT Open(const CString& path) override
    {
        Log(L"Open " + std::wstring(path.GetString()));
        if (FAILED(State().openResult))
            return State().openResult;
        if (!IsValidDataset(path))
            return E_INVALIDARG;
        m_bOpen = true;
        return S_OK;
    }
    HRESULT OpenFromStorage(IUnknown*, const CString& name) override
    {
        Log(L"OpenFromStorage " + std::wstring(name.GetString()));
        if (FAILED(State().openResult))
            return State().openResult;
        m_bOpen = true;
        return S_OK;
    }
    HRESULT Close() override
    {
        Log(L"Close");
        if (FAILED(State().closeResult))
            return State().closeResult;
        m_bOpen = false;
        return S_OK;
    }
    int InjectionCount() override { return m_bOpen ? 2 : 0; }
    int InjectionCountFromPath(const CString& path) override { return IsValidDataset(path) ? 2 : 0; }
    CString InjectionName(int injection) override { return CString(L"Injection ") + CString(Num(injection + 1)); }
    int FunctionCount(int injection) override
    {
        if (!m_bOpen)
            return 0;
        return injection == 0 ? 2 : injection == 1 ? 1 : 0;
    }
    CString FunctionName(int injection, int function) override
    {
        return CString(L"Fn ") + CString(Num(injection + 1)) + L"." + CString(Num(function + 1));
    }
    ::FunctionType FunctionType(int injection, int function) override
    {
        return injection == 0 && function == 1 ? FunctionTypeMSn : FunctionTypeMS;
    }
    ::FunctionMSMSType FunctionMSMSType(int injection, int function) override
    {
        return injection == 0 && function == 1 ? FunctionMSMSTypeProduct : FunctionMSMSTypeNone;
    }
    ::FunctionPolarity FunctionPolarity(int, int function) override
    {
        return function == 1 ? FunctionPolarityNegative : FunctionPolarityPositive;
    }
    int MSOrder(int injection, int function) override { return injection == 0 && function == 1 ? 3 : 1; }
    int SpectrumCount(int injection, int function) override
    {
        if (!m_bOpen)
            return 0;
        if (injection == 0 && function == 0)
            return 10;
        if (injection == 0 && function == 1)
            return 4;
        if (injection == 1 && function == 0)
            return 3;
        return 0;
    }
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override
    {
        Log(L"Spectrum " + Num(injection) + L" " + Num(function) + L" " + Num(index));
        if (index < 0 || index >= SpectrumCount(injection, function))
            return E_FAIL;
        if (index == State().failingSpectrum)
            return E_UNEXPECTED;
        const bool msn = injection == 0 && function == 1;
        const LONG n = msn ? 3 : 8;
        spectrum.Resize(n);
        for (LONG p = 0; p < n; ++p) {
            spectrum.MassAt(p) = 100.0 + 10.0 * injection + function + 0.25 * p + index;
            // Profile points rise to a peak in the middle.
            spectrum.IntensityAt(p) = msn ? 1000.0 * (p + 1) : 10.0 * (index + 1) * (4.0 - (p > 3 ? p - 3 : 3 - p));
        }
        spectrum.SetCentroid(msn);
        // Spectrum 6 of function 1.1 has no title: it must read back empty,
        // whatever was read before it.
        if (!(injection == 0 && function == 0 && index == 5))
            spectrum.SetTitle(L"Scan " + Num(index + 1) + L" of " + FunctionName(injection, function).GetString());
        spectrum.SetMSOrder(static_cast<SHORT>(MSOrder(injection, function)));
        spectrum.SetPrecursorMass(msn ? 500.5 + index : 0.0);
        spectrum.SetSpare16(static_cast<SHORT>(7 + index));
        spectrum.SetPolarity(FunctionPolarity(injection, function));
        spectrum.SetFunctionType(FunctionType(injection, function));
        spectrum.SetStartRT(0.1 * (index + 1));
        spectrum.SetEndRT(0.1 * (index + 1) + 0.05);
        spectrum.SetFirstScan(40000 + index);  // above 16 bits on purpose
        spectrum.SetLastScan(40000 + index);
        if (msn) {
            spectrum.SetPrecursorMZ(2, 600.0 + index);
            spectrum.SetPrecursorMZ2(2, 601.0 + index);
            spectrum.SetPrecursorMZ(3, 300.0 + index);
            spectrum.SetPrecursorMZ2(3, 301.0 + index);
        }
        return S_OK;
    }
    int SpectrumIndexByRT(int injection, int function, double retentionTime, FunctionRTProximity proximity) override
    {
        std::vector<double> times;
        for (int k = 0; k < SpectrumCount(injection, function); ++k)
            times.push_back(0.1 * (k + 1));
        return FindIndexByRetentionTime(times, retentionTime, proximity);
    }
    HRESULT SpectrumRange(int injection, int function, int first, int last, bool toleranceInDaltons,
                          double tolerance, CMassSpectrum& spectrum) override
    {
        Log(L"SpectrumRange " + Num(injection) + L" " + Num(function) + L" " + Num(first) + L" " + Num(last) +
            L" " + Num(toleranceInDaltons ? 1 : 0));
        return CDataServerImpl::SpectrumRange(injection, function, first, last, toleranceInDaltons, tolerance,
                                              spectrum);
    }
    HRESULT BPCWithRange(double low, double high, bool calculate, int injection, int function,
                         CChromatogram& chromatogram) override
    {
        Log(L"BPCWithRange " + Num(calculate ? 1 : 0));
        return CDataServerImpl::BPCWithRange(low, high, calculate, injection, function, chromatogram);
    }
    HRESULT TIC(bool calculate, int injection, int function, CChromatogram& chromatogram) override
    {
        Log(L"TIC " + Num(calculate ? 1 : 0));
        return CDataServerImpl::TIC(calculate, injection, function, chromatogram);
    }
    int TraceCount(int injection) override { return m_bOpen && injection == 0 ? 2 : 0; }
    HRESULT Trace(int injection, int trace, CChromatogram& chromatogram) override
    {
        Log(L"Trace " + Num(injection) + L" " + Num(trace));
        if (!m_bOpen || injection != 0 || trace != 0)
            return CDataServerImpl::Trace(injection, trace, chromatogram);
        chromatogram.SetSize(5);
        for (LONG p = 0; p < 5; ++p) {
            chromatogram.SetTime(p, 0.2 * p);
            chromatogram.SetIntensity(p, 3.0 * p + 1);
        }
        chromatogram.SetName(L"UV 254");
        return S_OK;
    }

private:
    bool m_bOpen = false;
};

class CFixtureTrace : public CKSTraceTemplate<CFixtureTrace, CFixtureReader, &LIBID_TreeFixture> {};
class CFixtureTraces
    : public CKSTracesTemplate<CFixtureTraces, CFixtureReader, CFixtureTrace, &LIBID_TreeFixture> {};
class CFixtureFunction : public CKSFunctionTemplate<CFixtureFunction, CFixtureReader, &LIBID_TreeFixture> {};
class CFixtureFunctions
    : public CKSFunctionsTemplate<CFixtureFunctions, CFixtureReader, CFixtureFunction, &LIBID_TreeFixture> {};
class CFixtureInjection : public CKSInjectionTemplate<CFixtureInjection, CFixtureReader, CFixtureFunctions,
                                                      CFixtureTraces, &LIBID_TreeFixture> {};
class CFixtureInjections
    : public CKSInjectionsTemplate<CFixtureInjections, CFixtureReader, CFixtureInjection, &LIBID_TreeFixture> {};

class CFixtureDataServer : public CKSDataServerTemplate<CFixtureDataServer, CFixtureReader, CFixtureInjections,
                                                        &CLSID_TreeFixtureDataServer, &LIBID_TreeFixture> {
public:
    KS_DECLARE_REGISTRY(L"KSTreeFixture", L"DataServer", CLSID_TreeFixtureDataServer, &LIBID_TreeFixture)
};

class CFixtureStorageServer
    : public CKSDataServerTemplate<CFixtureStorageServer, CFixtureReader, CFixtureInjections,
                                   &CLSID_TreeFixtureStorageServer, &LIBID_TreeFixture, true> {
public:
    KS_DECLARE_REGISTRY(L"KSTreeFixture", L"StorageServer", CLSID_TreeFixtureStorageServer, &LIBID_TreeFixture)
};

class CFixtureControl : public ks::Object<ITreeFixtureControl> {
public:
    KS_DECLARE_REGISTRY(L"KSTreeFixture", L"Control", CLSID_TreeFixtureControl, nullptr)

    LONG ReadersAlive() override { return State().alive; }
    LONG ReadersDestroyed() override { return State().destroyed; }
    void SetOpenResult(HRESULT hr) override { State().openResult = hr; }
    void SetCloseResult(HRESULT hr) override { State().closeResult = hr; }
    void SetFailingSpectrum(LONG index) override { State().failingSpectrum = index; }
    BSTR TakeLog() override
    {
        BSTR text = SysAllocStringLen(State().log.data(), static_cast<UINT>(State().log.size()));
        State().log.clear();
        return text;
    }
};

KS_OBJECT_ENTRY(CLSID_TreeFixtureDataServer, CFixtureDataServer);
KS_OBJECT_ENTRY(CLSID_TreeFixtureStorageServer, CFixtureStorageServer);
KS_OBJECT_ENTRY(CLSID_TreeFixtureControl, CFixtureControl);

const ks::TypeLibRegistration kTypeLib{LIBID_TreeFixture, 1, 0, 0, L"KSTreeFixture 1.0 Type Library"};

HRESULT registerServer()
{
    return ks::registerServer(&kTypeLib);
}

HRESULT unregisterServer()
{
    return ks::unregisterServer(&kTypeLib);
}

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
