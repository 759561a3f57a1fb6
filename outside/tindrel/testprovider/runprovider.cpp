// ks_tindrel_test_provider: a provider of generated runs (*.run) for the
// tests of the core-library stand-in and of the mass plug-in. The data
// server exposes a run as the standard object tree over CRunDataServerImpl;
// the provider object reads a run as its own dataset (injection 1,
// function 1 as base spectra). "test" in its name keeps the main job from
// registering it.
#include <boost/shared_ptr.hpp>

#include <new>

#include "ksclassfactory.h"
#include "kscomptr.h"
#include "ksconvert.h"
#include "ksdataservertree.h"
#include "ksregistrar.h"
#include "dataproviderimpl.h"
#include "providerregistration.h"
#include "readersettings.h"
#include "rundataserver.h"
#include "runprovider.h"

KS_SETTINGS_APP_NAME(L"ks_tindrel_test_provider");

namespace {

HRESULT SetBool(VARIANT_BOOL* out, bool value)
{
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT SetLong(LONG* out, LONG value)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

class CRunTrace : public CKSTraceTemplate<CRunTrace, CRunDataServerImpl, &LIBID_KSTindrelTestProviderLib> {};
class CRunTraces
    : public CKSTracesTemplate<CRunTraces, CRunDataServerImpl, CRunTrace, &LIBID_KSTindrelTestProviderLib> {};
class CRunFunction
    : public CKSFunctionTemplate<CRunFunction, CRunDataServerImpl, &LIBID_KSTindrelTestProviderLib> {};
class CRunFunctions : public CKSFunctionsTemplate<CRunFunctions, CRunDataServerImpl, CRunFunction,
                                                  &LIBID_KSTindrelTestProviderLib> {};
class CRunInjection : public CKSInjectionTemplate<CRunInjection, CRunDataServerImpl, CRunFunctions, CRunTraces,
                                                  &LIBID_KSTindrelTestProviderLib> {};
class CRunInjections : public CKSInjectionsTemplate<CRunInjections, CRunDataServerImpl, CRunInjection,
                                                    &LIBID_KSTindrelTestProviderLib> {};

class CRunDataServer : public CKSDataServerTemplate<CRunDataServer, CRunDataServerImpl, CRunInjections,
                                                    &CLSID_KSTindrelTestDataServer, &LIBID_KSTindrelTestProviderLib> {
public:
    KS_DECLARE_REGISTRY(L"KSTindrelTest", L"RunDataServer", CLSID_KSTindrelTestDataServer,
                        &LIBID_KSTindrelTestProviderLib)
};

// The provider: descriptive properties, and a run read by path as its own
// dataset. It has no file dialog: the interactive read answers E_NOTIMPL.
class CRunProvider : public ks::Object<IKSDataProviderImpl<CRunProvider>, IKSDataProvider2Impl<CRunProvider>,
                                       IKSDataProvider3Impl<CRunProvider>, ks::Dual<IKSMSDatasetReader>,
                                       ks::Dual<IKSMSDataset2>> {
public:
    KS_DECLARE_REGISTRY(L"KSTindrelTest", L"RunProvider", CLSID_KSTindrelTestProvider,
                        &LIBID_KSTindrelTestProviderLib)

    CRunProvider()
    {
        m_strClassID = kTindrelTestProviderClassId;
        m_strClassName = kTindrelTestProviderProgId;
        m_strCopyright = L"Copyright (c) Kestrom, Inc.";
        m_strMenuName = L"Generated Run";
        m_strSupplier = L"Kestrom, Inc.";
        m_strVersion = L"1.00";
        m_lProviderFlags = MSDatasetReader;
        m_strDataServerClassID = kTindrelTestDataServerClassId;
        m_strFilterString = kTindrelTestFilter;
        AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
    }

    // IKSMSDatasetReader
    HRESULT ReadDatasetInteractive(IKSMSDataset** ppiDS) override
    {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        return E_NOTIMPL;
    }
    HRESULT ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS) override
    {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        const std::wstring path = dataSource ? std::wstring(dataSource, SysStringLen(dataSource)) : std::wstring();
        try {
            if (FAILED(m_reader.Open(CString(path.c_str()))))
                return E_FAIL;
            m_strPath = path;
            m_description = m_strClassName + L"; " + path;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return QueryInterface(IID_IKSMSDataset, reinterpret_cast<void**>(ppiDS));
    }
    HRESULT get_DataSourceDescription(BSTR* pDescription) override
    {
        return ks::copyTextOut(m_description, pDescription);
    }

    // IKSMSDataset: injection 1, function 1 of the run read last.
    HRESULT get_HasTIC(VARIANT_BOOL* p) override { return SetBool(p, BaseCount() > 0); }
    HRESULT get_HasBaseSpectra(VARIANT_BOOL* p) override { return SetBool(p, BaseCount() > 0); }
    HRESULT get_HasAuxiliarySpectra(VARIANT_BOOL* p) override { return SetBool(p, false); }
    HRESULT get_SupportsMassChromatograms(VARIANT_BOOL* p) override { return SetBool(p, false); }
    HRESULT get_HasTraces(VARIANT_BOOL* p) override { return SetBool(p, m_reader.TraceCount(0) > 0); }
    HRESULT get_BaseSpectrumCount(LONG* p) override { return SetLong(p, BaseCount()); }
    HRESULT get_AuxiliarySpectrumCount(LONG* p) override { return SetLong(p, 0); }
    HRESULT get_TraceCount(LONG* p) override { return SetLong(p, m_reader.TraceCount(0)); }
    HRESULT GetBaseSpectrum(LONG Index, IDispatch* pidMS) override
    {
        if (!pidMS)
            return E_POINTER;
        ks::ComPtr<IKSMassSpectrum2> target;
        HRESULT hr = target.queryFrom(pidMS);
        if (FAILED(hr))
            return hr;
        return Read(Index, [&](const CMassSpectrum& s) { return SpectrumToObjectWithPrecursors(s, target.get()); });
    }
    HRESULT GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS) override
    {
        CKSMassSpectrum* handle = reinterpret_cast<CKSMassSpectrum*>(piMS);
        if (!handle)
            return E_POINTER;
        return Read(Index, [&](const CMassSpectrum& s) { return SpectrumToDirect(s, handle); });
    }
    HRESULT GetTICDirect(ULONG_PTR piCM) override
    {
        CKSChromatogram* handle = reinterpret_cast<CKSChromatogram*>(piCM);
        if (!handle)
            return E_POINTER;
        if (BaseCount() <= 0)
            return E_FAIL;
        try {
            CChromatogram tic;
            const HRESULT hr = m_reader.TIC(true, 0, 0, tic);
            return FAILED(hr) ? hr : ChromatogramToDirect(handle, tic);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT GetTraceDirect(LONG Index, ULONG_PTR piCM) override
    {
        CKSChromatogram* handle = reinterpret_cast<CKSChromatogram*>(piCM);
        if (!handle)
            return E_POINTER;
        if (Index < 1 || Index > m_reader.TraceCount(0))
            return E_INVALIDARG;
        try {
            CChromatogram trace;
            const HRESULT hr = m_reader.Trace(0, Index - 1, trace);
            return FAILED(hr) ? hr : ChromatogramToDirect(handle, trace);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    // No spectrum ranges, auxiliary spectra, base-peak chromatogram or
    // chromatogram objects.
    HRESULT GetBaseSpectrumRange(LONG, LONG, IDispatch* pidMS) override { return pidMS ? E_NOTIMPL : E_POINTER; }
    HRESULT GetAuxiliarySpectrum(LONG, IDispatch* pidMS) override { return pidMS ? E_INVALIDARG : E_POINTER; }
    HRESULT GetAuxiliarySpectrumRange(LONG, LONG, IDispatch* pidMS) override
    {
        return pidMS ? E_INVALIDARG : E_POINTER;
    }
    HRESULT GetTIC(IDispatch* pidCM) override { return pidCM ? E_NOTIMPL : E_POINTER; }
    HRESULT GetTrace(LONG, IDispatch* pidCM) override { return pidCM ? E_NOTIMPL : E_POINTER; }
    HRESULT GetBasePeakChromatogram(IDispatch* pidCM) override { return pidCM ? E_NOTIMPL : E_POINTER; }
    HRESULT GetBaseSpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS) override { return piMS ? E_NOTIMPL : E_POINTER; }
    HRESULT GetAuxiliarySpectrumDirect(LONG, ULONG_PTR piMS) override { return piMS ? E_INVALIDARG : E_POINTER; }
    HRESULT GetAuxiliarySpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS) override
    {
        return piMS ? E_INVALIDARG : E_POINTER;
    }
    HRESULT GetBasePeakChromatogramDirect(ULONG_PTR piCM) override { return piCM ? E_NOTIMPL : E_POINTER; }

private:
    LONG BaseCount() { return m_reader.SpectrumCount(0, 0); }

    // Base spectrum Index (from 1) handed to fill; E_INVALIDARG outside the
    // count.
    template <class Fill>
    HRESULT Read(LONG Index, Fill fill)
    {
        if (Index < 1 || Index > BaseCount())
            return E_INVALIDARG;
        try {
            CMassSpectrum spectrum;
            const HRESULT hr = m_reader.Spectrum(0, 0, Index - 1, spectrum);
            return FAILED(hr) ? hr : fill(spectrum);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    CRunDataServerImpl m_reader;
    std::wstring m_description;
};

KS_OBJECT_ENTRY(CLSID_KSTindrelTestProvider, CRunProvider);
KS_OBJECT_ENTRY(CLSID_KSTindrelTestDataServer, CRunDataServer);

const CLSID kProviderClasses[] = {CLSID_KSTindrelTestProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSTindrelTestProviderLib, 1, 0, 0,
                                       L"KSTindrelTestProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
