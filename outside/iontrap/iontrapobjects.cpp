// The ion-trap stand-in's objects: an analysis opened on a data folder
// answers from the folder's manifest "Analysis.yep" (iontrapmodel.h)
// through the slots of iontrapanalysis.h. Every object below the analysis
// shares the analysis's manifest and its fault plan.
//
// Each member checks its out arguments first (E_POINTER), then counts as a
// call of its operation in the fault plan (an injected failure answers
// there), then answers. The slots the system never calls answer
// E_NOTIMPL and count nothing.
#include "iontrapobjects.h"

#include <cstdio>
#include <memory>

#include "iontrapmodel.h"
#include "ksclassfactory.h"
#include "kscomptr.h"
#include "ksfiles.h"
#include "ksnothrow.h"
#include "ksregistrar.h"
#include "vkarray.h"
#include "vkfault.h"
#include "vkfolder.h"

KS_DISPATCH_TABLE(IIonTrapAnalysis)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Spectra", 1, &IIonTrapAnalysis::get_Spectra),
        ks::dispMethod(L"Open", 2, &IIonTrapAnalysis::Open),
        ks::dispGet(L"Name", 4, &IIonTrapAnalysis::get_Name),
    }};
    return table;
}

KS_DISPATCH_TABLE(IIonTrapSpectra)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Count", 1, &IIonTrapSpectra::get_Count),
        ks::dispGet(L"Item", 0, &IIonTrapSpectra::get_Item),
    }};
    return table;
}

KS_DISPATCH_TABLE(IIonTrapSpectrum)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"GetData", 1, &IIonTrapSpectrum::GetData),
        ks::dispGet(L"MSLevel", 2, &IIonTrapSpectrum::get_MSLevel),
        ks::dispGet(L"RetentionTime", 3, &IIonTrapSpectrum::get_RetentionTime),
        ks::dispMethod(L"GetPrecursors", 4, &IIonTrapSpectrum::GetPrecursors),
        ks::dispGet(L"Parameters", 5, &IIonTrapSpectrum::get_Parameters),
    }};
    return table;
}

KS_DISPATCH_TABLE(IIonTrapParameters)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Count", 1, &IIonTrapParameters::get_Count),
        ks::dispGet(L"Item", 0, &IIonTrapParameters::get_Item),
    }};
    return table;
}

KS_DISPATCH_TABLE(IIonTrapParameter)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Group", 1, &IIonTrapParameter::get_Group),
        ks::dispGet(L"Name", 2, &IIonTrapParameter::get_Name),
        ks::dispGet(L"Value", 3, &IIonTrapParameter::get_Value),
    }};
    return table;
}

namespace {

using AnalysisPtr = std::shared_ptr<const iontrap::Analysis>;
using PlanPtr = std::shared_ptr<vendorkit::FaultPlan>;

// What every object of one analysis shares.
struct Shared {
    AnalysisPtr analysis;
    PlanPtr plan;
};

// A new child object answering I.
template <class T, class I, class... Args>
HRESULT createChild(I** out, Args&&... args)
{
    T* object = nullptr;
    HRESULT hr = ks::createObject(&object, std::forward<Args>(args)...);
    if (FAILED(hr))
        return hr;
    return object->QueryInterface(KS_IID(I), reinterpret_cast<void**>(out));
}

class CParameter : public ks::Object<ks::Dual<IIonTrapParameter>> {
public:
    CParameter(Shared shared, const iontrap::Parameter* parameter) : m_shared(std::move(shared)), m_p(parameter) {}

    HRESULT get_Group(BSTR* pGroup) override { return text("Parameter.Group", m_p->group, pGroup); }
    HRESULT get_Name(BSTR* pName) override { return text("Parameter.Name", m_p->name, pName); }
    HRESULT get_Value(VARIANT* pValue) override
    {
        if (!pValue)
            return E_POINTER;
        return ks::noThrow(
            [&] {
                VariantInit(pValue);
                const HRESULT hr = m_shared.plan->call("Parameter.Value");
                if (FAILED(hr))
                    return hr;
                BSTR value = nullptr;
                if (FAILED(vendorkit::textOut(m_p->value, &value)))
                    return E_OUTOFMEMORY;
                pValue->vt = VT_BSTR;
                pValue->bstrVal = value;
                return S_OK;
            },
            pValue);
    }

private:
    HRESULT text(const char* operation, const std::string& value, BSTR* out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = m_shared.plan->call(operation);
                return FAILED(hr) ? hr : vendorkit::textOut(value, out);
            },
            out);
    }

    Shared m_shared;
    const iontrap::Parameter* m_p;  // inside m_shared.analysis
};

class CParameters : public ks::Object<ks::Dual<IIonTrapParameters>> {
public:
    CParameters(Shared shared, const iontrap::Spectrum* spectrum) : m_shared(std::move(shared)), m_s(spectrum) {}

    HRESULT get_Count(LONG* pCount) override
    {
        if (!pCount)
            return E_POINTER;
        const HRESULT hr = m_shared.plan->call("Parameters.Count");
        if (SUCCEEDED(hr))
            *pCount = static_cast<LONG>(m_s->parameters.size());
        return hr;
    }
    // Only a VT_I4 index from 1 to the count is understood.
    HRESULT get_Item(VARIANT index, IIonTrapParameter** ppParameter) override
    {
        if (!ppParameter)
            return E_POINTER;
        *ppParameter = nullptr;
        return ks::noThrow(
            [&] {
                HRESULT hr = m_shared.plan->call("Parameters.Item");
                if (FAILED(hr))
                    return hr;
                if (index.vt != VT_I4 || index.lVal < 1 ||
                    static_cast<size_t>(index.lVal) > m_s->parameters.size())
                    return E_INVALIDARG;
                return createChild<CParameter>(ppParameter, m_shared,
                                               &m_s->parameters[static_cast<size_t>(index.lVal - 1)]);
            },
            ppParameter);
    }

private:
    Shared m_shared;
    const iontrap::Spectrum* m_s;
};

class CSpectrum : public ks::Object<ks::Dual<IIonTrapSpectrum>> {
public:
    CSpectrum(Shared shared, const iontrap::Spectrum* spectrum) : m_shared(std::move(shared)), m_s(spectrum) {}

    // Kind 1 only; the arrays in their manifest forms.
    HRESULT GetData(LONG kind, VARIANT* pMasses, VARIANT* pIntensities, LONG* pCount) override
    {
        if (!pMasses || !pIntensities || !pCount)
            return E_POINTER;
        VariantInit(pMasses);
        VariantInit(pIntensities);
        return ks::noThrow(
            [&] {
                HRESULT hr = m_shared.plan->call("Spectrum.Data");
                if (FAILED(hr))
                    return hr;
                if (kind != 1)
                    return E_INVALIDARG;
                if (FAILED(hr = vendorkit::makeArray(m_s->masses, pMasses)))
                    return hr;
                if (FAILED(hr = vendorkit::makeArray(m_s->intensities, pIntensities))) {
                    VariantClear(pMasses);
                    return hr;
                }
                *pCount = m_s->count;
                return S_OK;
            },
            pMasses, pIntensities);
    }
    HRESULT get_MSLevel(LONG* pLevel) override { return answer("Spectrum.Level", m_s->level, pLevel); }
    HRESULT get_RetentionTime(double* pSeconds) override { return answer("Spectrum.Time", m_s->seconds, pSeconds); }
    HRESULT GetPrecursors(VARIANT* pMasses, LONG* pCount) override
    {
        if (!pMasses || !pCount)
            return E_POINTER;
        VariantInit(pMasses);
        return ks::noThrow(
            [&] {
                HRESULT hr = m_shared.plan->call("Spectrum.Precursors");
                if (FAILED(hr))
                    return hr;
                if (FAILED(hr = vendorkit::makeArray(m_s->precursors, pMasses)))
                    return hr;
                *pCount = m_s->precursorCount;
                return S_OK;
            },
            pMasses);
    }
    HRESULT get_Parameters(IIonTrapParameters** ppParameters) override
    {
        if (!ppParameters)
            return E_POINTER;
        *ppParameters = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = m_shared.plan->call("Spectrum.Parameters");
                return FAILED(hr) ? hr : createChild<CParameters>(ppParameters, m_shared, m_s);
            },
            ppParameters);
    }

private:
    template <class T>
    HRESULT answer(const char* operation, T value, T* out)
    {
        if (!out)
            return E_POINTER;
        const HRESULT hr = m_shared.plan->call(operation);
        if (SUCCEEDED(hr))
            *out = value;
        return hr;
    }

    Shared m_shared;
    const iontrap::Spectrum* m_s;
};

class CSpectra : public ks::Object<ks::Dual<IIonTrapSpectra>> {
public:
    explicit CSpectra(Shared shared) : m_shared(std::move(shared)) {}

    HRESULT get_Count(LONG* pCount) override
    {
        if (!pCount)
            return E_POINTER;
        const HRESULT hr = m_shared.plan->call("Spectra.Count");
        if (SUCCEEDED(hr))
            *pCount = static_cast<LONG>(m_shared.analysis->spectra.size());
        return hr;
    }
    HRESULT get__NewEnum(IUnknown** ppEnum) override
    {
        if (ppEnum)
            *ppEnum = nullptr;
        return E_NOTIMPL;
    }
    HRESULT get_Item(LONG index, IIonTrapSpectrum** ppSpectrum) override
    {
        if (!ppSpectrum)
            return E_POINTER;
        *ppSpectrum = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = m_shared.plan->call("Spectra.Item");
                if (FAILED(hr))
                    return hr;
                const std::vector<iontrap::Spectrum>& spectra = m_shared.analysis->spectra;
                if (index < 1 || static_cast<size_t>(index) > spectra.size())
                    return E_INVALIDARG;
                return createChild<CSpectrum>(ppSpectrum, m_shared, &spectra[static_cast<size_t>(index - 1)]);
            },
            ppSpectrum);
    }

private:
    Shared m_shared;
};

class CAnalysis : public ks::Object<ks::Dual<IIonTrapAnalysis>> {
public:
    // Registered by class identifier only, as the outside component is
    // created.
    // The fault plan of this analysis and all its objects (it reads
    // KS_VENDORKIT_FAULTS now).
    HRESULT FinalConstruct() override
    {
        return ks::noThrow([&] {
            m_shared.plan = std::make_shared<vendorkit::FaultPlan>(iontrap::operations());
            return S_OK;
        });
    }

    HRESULT get_Spectra(IIonTrapSpectra** ppSpectra) override
    {
        if (!ppSpectra)
            return E_POINTER;
        *ppSpectra = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = m_shared.plan->call("Analysis.Spectra");
                if (FAILED(hr))
                    return hr;
                return m_shared.analysis ? createChild<CSpectra>(ppSpectra, m_shared) : E_FAIL;
            },
            ppSpectra);
    }

    // A folder holding a readable "Analysis.yep"; E_FAIL for anything else,
    // leaving nothing open. Callers ask every component to open any path,
    // so a path without the manifest is refused quietly; a manifest that
    // exists and cannot be read says why on standard error.
    HRESULT Open(BSTR path) override
    {
        return ks::noThrow([&] {
            m_shared.analysis.reset();
            const HRESULT hr = m_shared.plan->call("Analysis.Open");
            if (m_shared.plan->broken())
                std::fprintf(stderr, "IonTrapAnalysis: %s\n", m_shared.plan->brokenReason().c_str());
            if (FAILED(hr))
                return hr;
            const std::string folder = vendorkit::fileSystemPath(path);
            if (folder.empty() || !ks::isFolder(folder) || !vendorkit::findInFolder(folder, iontrap::kManifestName))
                return E_FAIL;
            auto analysis = std::make_shared<iontrap::Analysis>();
            const vendorkit::ParseStatus s = iontrap::readAnalysisFolder(folder, *analysis);
            if (!s.ok) {
                std::fprintf(stderr, "IonTrapAnalysis: %s: %s: %s\n", ks::printableText(folder).c_str(),
                             iontrap::kManifestName, ks::printableText(s.message()).c_str());
                return E_FAIL;
            }
            m_shared.plan->setManifestFaults(analysis->faults);
            m_shared.analysis = std::move(analysis);
            return S_OK;
        });
    }

    HRESULT Reserved() override { return E_NOTIMPL; }

    // E_FAIL while nothing is open or when the manifest names none.
    HRESULT get_Name(BSTR* pName) override
    {
        if (!pName)
            return E_POINTER;
        *pName = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = m_shared.plan->call("Analysis.Name");
                if (FAILED(hr))
                    return hr;
                if (!m_shared.analysis || !m_shared.analysis->hasName)
                    return E_FAIL;
                return vendorkit::textOut(m_shared.analysis->name, pName);
            },
            pName);
    }

private:
    Shared m_shared;
};

}  // namespace

namespace iontrap {

HRESULT createAnalysis(IUnknown* outer, REFIID riid, void** ppv)
{
    return ks::createInstance<CAnalysis>(outer, riid, ppv);
}

HRESULT updateAnalysisRegistry(bool registering)
{
    ks::ClassRegistration c;
    c.clsid = CLSID_IonTrapAnalysis;
    c.description = L"IonTrapAnalysis Class";
    return ks::updateClassRegistry(registering, c);
}

}  // namespace iontrap
