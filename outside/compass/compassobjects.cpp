// The Compass stand-in's objects: an analysis opened on an analysis folder
// answers from the folder's manifest "analysis.baf" (compassmodel.h)
// through the slots of compassanalysis.h. Every object taken from an
// analysis shares the manifest it was taken from and the analysis's fault
// plan.
//
// Each member checks its out arguments first (E_POINTER), then counts as a
// call of its operation in the fault plan (an injected failure answers
// there), then answers.
#include "compassobjects.h"

#include <cstdio>
#include <memory>

#include "compassmodel.h"
#include "kscomptr.h"
#include "ksfiles.h"
#include "ksnothrow.h"
#include "ksregistrar.h"
#include "vkarray.h"
#include "vkfault.h"
#include "vkfolder.h"

KS_DISPATCH_TABLE(ICompassAnalysis)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Open", 1, &ICompassAnalysis::Open),
        ks::dispGet(L"Spectra", 2, &ICompassAnalysis::get_Spectra),
        ks::dispGet(L"Description", 3, &ICompassAnalysis::get_Description),
    }};
    return table;
}

KS_DISPATCH_TABLE(ICompassSpectra)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Count", 1, &ICompassSpectra::get_Count),
        ks::dispGet(L"Item", 0, &ICompassSpectra::get_Item),
    }};
    return table;
}

KS_DISPATCH_TABLE(ICompassSpectrum)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"GetData", 1, &ICompassSpectrum::GetData),
        ks::dispGet(L"MSLevel", 2, &ICompassSpectrum::get_MSLevel),
        ks::dispGet(L"RetentionTime", 3, &ICompassSpectrum::get_RetentionTime),
        ks::dispGet(L"Polarity", 4, &ICompassSpectrum::get_Polarity),
    }};
    return table;
}

namespace compass {

namespace {

// What every object of one analysis shares.
struct Shared {
    std::shared_ptr<const Analysis> analysis;
    std::shared_ptr<vendorkit::FaultPlan> plan;
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

class CSpectrum : public ks::Object<ks::Dual<ICompassSpectrum>> {
public:
    CSpectrum(Shared shared, const Spectrum* spectrum) : m_shared(std::move(shared)), m_s(spectrum) {}

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
    // Without "polarity" in the manifest the value is left as the caller
    // set it.
    HRESULT get_Polarity(LONG* pPolarity) override
    {
        if (!pPolarity)
            return E_POINTER;
        const HRESULT hr = m_shared.plan->call("Spectrum.Polarity");
        if (SUCCEEDED(hr) && m_s->hasPolarity)
            *pPolarity = m_s->polarity;
        return hr;
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
    const Spectrum* m_s;  // inside m_shared.analysis
};

class CSpectra : public ks::Object<ks::Dual<ICompassSpectra>> {
public:
    explicit CSpectra(Shared shared) : m_shared(std::move(shared)) {}

    HRESULT get_Count(LONG* pCount) override
    {
        if (!pCount)
            return E_POINTER;
        const HRESULT hr = m_shared.plan->call("Spectra.Count");
        if (SUCCEEDED(hr))
            *pCount = static_cast<LONG>(std::min<size_t>(m_shared.analysis->spectra.size(), INT32_MAX));
        return hr;
    }
    HRESULT get_Item(LONG index, ICompassSpectrum** ppSpectrum) override
    {
        if (!ppSpectrum)
            return E_POINTER;
        *ppSpectrum = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = m_shared.plan->call("Spectra.Item");
                if (FAILED(hr))
                    return hr;
                const std::vector<Spectrum>& spectra = m_shared.analysis->spectra;
                if (index < 1 || static_cast<size_t>(index) > spectra.size())
                    return E_INVALIDARG;
                return createChild<CSpectrum>(ppSpectrum, m_shared, &spectra[static_cast<size_t>(index - 1)]);
            },
            ppSpectrum);
    }

private:
    Shared m_shared;
};

class CAnalysis : public ks::Object<ks::Dual<ICompassAnalysis>> {
public:
    // The fault plan of this analysis and all its objects (it reads
    // KS_VENDORKIT_FAULTS now).
    HRESULT FinalConstruct() override
    {
        return ks::noThrow([&] {
            m_shared.plan = std::make_shared<vendorkit::FaultPlan>(operations());
            return S_OK;
        });
    }

    // An analysis folder holding a readable "analysis.baf"; E_FAIL for
    // anything else, leaving nothing open. A path that is no analysis
    // folder is refused quietly (callers try the folders above it); a
    // damaged or foreign manifest says why on standard error.
    HRESULT Open(BSTR path) override
    {
        return ks::noThrow([&] {
            m_shared.analysis.reset();
            const HRESULT hr = m_shared.plan->call("Analysis.Open");
            if (m_shared.plan->broken())
                std::fprintf(stderr, "CompassAnalysis: %s\n", m_shared.plan->brokenReason().c_str());
            if (FAILED(hr))
                return hr;
            const std::string folder = vendorkit::fileSystemPath(path);
            if (!isAnalysisFolder(folder))
                return E_FAIL;
            auto analysis = std::make_shared<Analysis>();
            const vendorkit::ParseStatus s = readAnalysisFolder(folder, *analysis);
            if (!s.ok) {
                std::fprintf(stderr, "CompassAnalysis: %s: %s: %s\n", ks::printableText(folder).c_str(),
                             kManifestName, ks::printableText(s.message()).c_str());
                return E_FAIL;
            }
            m_shared.plan->setManifestFaults(analysis->faults);
            m_shared.analysis = std::move(analysis);
            return S_OK;
        });
    }

    // E_FAIL while nothing is open.
    HRESULT get_Spectra(ICompassSpectra** ppSpectra) override
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

    // The manifest's description, "" when it gives none; E_FAIL while
    // nothing is open.
    HRESULT get_Description(BSTR* pDescription) override
    {
        if (!pDescription)
            return E_POINTER;
        *pDescription = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = m_shared.plan->call("Analysis.Description");
                if (FAILED(hr))
                    return hr;
                if (!m_shared.analysis)
                    return E_FAIL;
                return vendorkit::textOut(m_shared.analysis->description, pDescription);
            },
            pDescription);
    }

private:
    Shared m_shared;
};

}  // namespace

HRESULT createAnalysis(IUnknown* outer, REFIID riid, void** ppv)
{
    return ks::createInstance<CAnalysis>(outer, riid, ppv);
}

HRESULT updateAnalysisRegistry(bool registering)
{
    ks::ClassRegistration c;
    c.clsid = CLSID_CompassAnalysis;
    c.description = L"CompassAnalysis Class";
    return ks::updateClassRegistry(registering, c);
}

}  // namespace compass
