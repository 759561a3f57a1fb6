// Stand-in for the outside spectrum-object library: spectrum, chromatogram,
// spectrum-collection and peak-detection objects that keep what they are
// given and hand it back.
#include "kscontrolsclasses.h"
#include "kscontrolsdata.h"

#include "kscomptr.h"
#include "ksnothrow.h"
#include "ksregistrar.h"

#include <algorithm>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

// Lets CopyFrom recognise a spectrum of this library and copy everything,
// per-level values included, which the public interfaces cannot enumerate.
constexpr IID IID_KSControlsSpectrumData = ks::guid("4D56CC4C-B3F6-47E5-90A8-6E5F4C533E20");

// The library's classes are registered by class identifier only (no
// ProgIDs), each naming the library's type library.
HRESULT updateRegistry(bool registering, const wchar_t* name, REFCLSID clsid)
{
    ks::ClassRegistration c;
    c.clsid = clsid;
    c.description = std::wstring(name) + L" Class";
    c.typeLib = LIBID_KSControls;
    return ks::updateClassRegistry(registering, c);
}

// Allocation failures (a huge count, a long text) are answered, never
// thrown across the interface.
using ks::noThrow;

HRESULT copyText(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

template <class T>
HRESULT answer(const T& value, T* out)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

struct SpectrumData {
    std::wstring title;
    LONG count = 0;
    std::vector<double> masses;
    std::vector<double> intensities;
    VARIANT_BOOL centroid = VARIANT_FALSE;  // as given, not normalised
    SHORT msOrder = 0;
    double precursorMass = 0;
    SHORT spare = 0;
    LONG polarity = 0;
    double startRT = 0;
    double endRT = 0;
    LONG firstScan = 0;
    LONG lastScan = 0;
    std::map<LONG, double> precursorMZ;   // by level number as given
    std::map<LONG, double> precursorMZ2;
    LONG functionType = 0;
};

class CSpectrum : public ks::Object<ks::Dual<IKSMassSpectrum3>> {
public:
    static HRESULT UpdateRegistry(bool registering)
    {
        return updateRegistry(registering, L"KSMassSpectrum", CLSID_KSMassSpectrum);
    }

    SpectrumData d;

    HRESULT get_Title(BSTR* p) override { return copyText(d.title, p); }
    HRESULT put_Title(BSTR title) override
    {
        return noThrow([&]() -> HRESULT {
            d.title.assign(title ? title : L"", title ? SysStringLen(title) : 0);
            return S_OK;
        });
    }
    HRESULT get_Count(LONG* p) override { return answer(d.count, p); }
    // The count fixes the number of points; values kept, new ones 0.
    HRESULT put_Count(LONG count) override
    {
        return noThrow([&]() -> HRESULT {
            if (count < 0)
                return E_INVALIDARG;
            // Both arrays reserved first, so a failure changes nothing.
            d.masses.reserve(static_cast<size_t>(count));
            d.intensities.reserve(static_cast<size_t>(count));
            d.masses.resize(static_cast<size_t>(count), 0.0);
            d.intensities.resize(static_cast<size_t>(count), 0.0);
            d.count = count;
            return S_OK;
        });
    }
    HRESULT get_Masses(VARIANT* p) override { return p ? kscontrols::variantFromDoubles(d.masses, p) : E_POINTER; }
    HRESULT put_Masses(VARIANT masses) override
    {
        return noThrow([&] { return kscontrols::doublesFromVariant(masses, d.count, &d.masses); });
    }
    HRESULT get_Intensities(VARIANT* p) override
    {
        return p ? kscontrols::variantFromDoubles(d.intensities, p) : E_POINTER;
    }
    HRESULT put_Intensities(VARIANT intensities) override
    {
        return noThrow([&] { return kscontrols::doublesFromVariant(intensities, d.count, &d.intensities); });
    }
    HRESULT get_Centroid(VARIANT_BOOL* p) override { return answer(d.centroid, p); }
    HRESULT put_Centroid(VARIANT_BOOL centroid) override
    {
        d.centroid = centroid;
        return S_OK;
    }
    HRESULT get_MSOrder(SHORT* p) override { return answer(d.msOrder, p); }
    HRESULT put_MSOrder(SHORT order) override
    {
        d.msOrder = order;
        return S_OK;
    }
    HRESULT get_PrecursorMass(double* p) override { return answer(d.precursorMass, p); }
    HRESULT put_PrecursorMass(double mass) override
    {
        d.precursorMass = mass;
        return S_OK;
    }
    HRESULT get_Spare(SHORT* p) override { return answer(d.spare, p); }
    HRESULT put_Spare(SHORT value) override
    {
        d.spare = value;
        return S_OK;
    }
    HRESULT get_Polarity(LONG* p) override { return answer(d.polarity, p); }
    HRESULT put_Polarity(LONG polarity) override
    {
        d.polarity = polarity;
        return S_OK;
    }

    HRESULT get_StartRT(double* p) override { return answer(d.startRT, p); }
    HRESULT put_StartRT(double rt) override
    {
        d.startRT = rt;
        return S_OK;
    }
    HRESULT get_EndRT(double* p) override { return answer(d.endRT, p); }
    HRESULT put_EndRT(double rt) override
    {
        d.endRT = rt;
        return S_OK;
    }
    HRESULT get_FirstScan(LONG* p) override { return answer(d.firstScan, p); }
    HRESULT put_FirstScan(LONG scan) override
    {
        d.firstScan = scan;
        return S_OK;
    }
    HRESULT get_LastScan(LONG* p) override { return answer(d.lastScan, p); }
    HRESULT put_LastScan(LONG scan) override
    {
        d.lastScan = scan;
        return S_OK;
    }
    // A level never written reads 0.
    HRESULT get_PrecursorMZ(LONG level, double* p) override { return level_(d.precursorMZ, level, p); }
    HRESULT put_PrecursorMZ(LONG level, double value) override
    {
        return noThrow([&]() -> HRESULT {
            d.precursorMZ[level] = value;
            return S_OK;
        });
    }
    HRESULT get_PrecursorMZ2(LONG level, double* p) override { return level_(d.precursorMZ2, level, p); }
    HRESULT put_PrecursorMZ2(LONG level, double value) override
    {
        return noThrow([&]() -> HRESULT {
            d.precursorMZ2[level] = value;
            return S_OK;
        });
    }
    HRESULT get_FunctionType(LONG* p) override { return answer(d.functionType, p); }
    HRESULT put_FunctionType(LONG type) override
    {
        d.functionType = type;
        return S_OK;
    }
    // Only spectra of this library can be copied whole; another
    // implementation's per-level values cannot be enumerated.
    HRESULT CopyFrom(IKSMassSpectrum3* source) override
    {
        return noThrow([&]() -> HRESULT {
            if (!source)
                return E_POINTER;
            void* p = nullptr;
            if (FAILED(source->QueryInterface(IID_KSControlsSpectrumData, &p)) || !p)
                return E_INVALIDARG;
            CSpectrum* other = static_cast<CSpectrum*>(p);
            if (other != this)
                d = other->d;
            other->Release();
            return S_OK;
        });
    }

protected:
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) override
    {
        if (riid != IID_KSControlsSpectrumData)
            return E_NOINTERFACE;
        AddRef();
        *ppv = this;
        return S_OK;
    }

private:
    static HRESULT level_(const std::map<LONG, double>& levels, LONG level, double* p)
    {
        if (!p)
            return E_POINTER;
        auto it = levels.find(level);
        *p = it == levels.end() ? 0.0 : it->second;
        return S_OK;
    }
};

class CChromatogram : public ks::Object<ks::Dual<IKSChromatogram>> {
public:
    static HRESULT UpdateRegistry(bool registering)
    {
        return updateRegistry(registering, L"KSChromatogram", CLSID_KSChromatogram);
    }

    HRESULT get_Count(LONG* p) override { return answer(m_count, p); }
    HRESULT put_Count(LONG count) override
    {
        return noThrow([&]() -> HRESULT {
            if (count < 0)
                return E_INVALIDARG;
            m_times.reserve(static_cast<size_t>(count));
            m_intensities.reserve(static_cast<size_t>(count));
            m_times.resize(static_cast<size_t>(count), 0.0);
            m_intensities.resize(static_cast<size_t>(count), 0.0);
            m_count = count;
            return S_OK;
        });
    }
    HRESULT get_Times(VARIANT* p) override { return p ? kscontrols::variantFromDoubles(m_times, p) : E_POINTER; }
    HRESULT put_Times(const double* times) override { return copyIn(times, &m_times); }
    HRESULT get_Intensities(VARIANT* p) override
    {
        return p ? kscontrols::variantFromDoubles(m_intensities, p) : E_POINTER;
    }
    HRESULT put_Intensities(const double* intensities) override { return copyIn(intensities, &m_intensities); }
    HRESULT get_Name(BSTR* p) override { return copyText(m_name, p); }
    HRESULT put_Name(BSTR name) override
    {
        return noThrow([&]() -> HRESULT {
            m_name.assign(name ? name : L"", name ? SysStringLen(name) : 0);
            return S_OK;
        });
    }

private:
    // Copies Count values from the address; no address is fine only for 0 points.
    HRESULT copyIn(const double* values, std::vector<double>* target)
    {
        return noThrow([&]() -> HRESULT {
            if (m_count == 0)
                return S_OK;
            if (!values)
                return E_POINTER;
            target->assign(values, values + m_count);
            return S_OK;
        });
    }

    LONG m_count = 0;
    std::vector<double> m_times;
    std::vector<double> m_intensities;
    std::wstring m_name;
};

class CCollection : public ks::Object<ks::Dual<IKSMSCollection>> {
public:
    static HRESULT UpdateRegistry(bool registering)
    {
        return updateRegistry(registering, L"KSMSCollection", CLSID_KSMSCollection);
    }

    HRESULT get_Count(LONG* p) override { return answer(static_cast<LONG>(m_items.size()), p); }
    // Growing keeps the spectra already there and adds new empty ones;
    // shrinking drops the last ones.
    HRESULT put_Count(LONG count) override
    {
        return noThrow([&]() -> HRESULT {
            if (count < 0)
                return E_INVALIDARG;
            std::vector<ks::ComPtr<IKSMassSpectrum2>> items(m_items.begin(),
                                                             m_items.begin() + std::min<size_t>(m_items.size(), count));
            while (items.size() < static_cast<size_t>(count)) {
                CSpectrum* s = nullptr;
                HRESULT hr = ks::createObject(&s);
                if (FAILED(hr))
                    return hr;
                items.emplace_back(s);
            }
            m_items.swap(items);
            return S_OK;
        });
    }
    HRESULT get_Item(LONG Index, IKSMassSpectrum2** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        if (Index < 1 || static_cast<size_t>(Index) > m_items.size())
            return DISP_E_BADINDEX;
        *pp = m_items[static_cast<size_t>(Index) - 1].get();
        (*pp)->AddRef();
        return S_OK;
    }

private:
    std::vector<ks::ComPtr<IKSMassSpectrum2>> m_items;
};

class CPeakDetection : public ks::Object<ks::Dual<IKSPeakDetection>> {
public:
    static HRESULT UpdateRegistry(bool registering)
    {
        return updateRegistry(registering, L"KSPeakDetection", CLSID_KSPeakDetection);
    }

    // Reads the profile through the public interface, so any spectrum
    // implementation can be detected in.
    HRESULT DetectPeaks(IKSMassSpectrum* spectrum) override
    {
        return noThrow([&]() -> HRESULT {
            if (!spectrum)
                return E_POINTER;
            m_detected = false;
            LONG count = 0;
            HRESULT hr = spectrum->get_Count(&count);
            if (FAILED(hr))
                return hr;
            std::vector<double> mz, intensity;
            ks::Variant v;
            if (FAILED(hr = spectrum->get_Masses(&v)) || FAILED(hr = kscontrols::doublesFromVariant(v, count, &mz)))
                return hr;
            v.clear();
            if (FAILED(hr = spectrum->get_Intensities(&v)) ||
                FAILED(hr = kscontrols::doublesFromVariant(v, count, &intensity)))
                return hr;
            std::vector<kscontrols::Peak> peaks;
            if (!kscontrols::detectPeaks(mz, intensity, &peaks))
                return E_INVALIDARG;
            m_peaks.swap(peaks);
            m_detected = true;
            return S_OK;
        });
    }
    // Writes the peaks of the last detection as a centroid spectrum.
    HRESULT WritePeaks(IKSMassSpectrum* target) override
    {
        return noThrow([&]() -> HRESULT {
            if (!target)
                return E_POINTER;
            if (!m_detected)
                return E_UNEXPECTED;
            std::vector<double> mz, intensity;
            for (const kscontrols::Peak& p : m_peaks) {
                mz.push_back(p.mz);
                intensity.push_back(p.intensity);
            }
            ks::Variant masses, heights;
            HRESULT hr = kscontrols::variantFromDoubles(mz, &masses);
            if (SUCCEEDED(hr))
                hr = kscontrols::variantFromDoubles(intensity, &heights);
            if (SUCCEEDED(hr))
                hr = target->put_Count(static_cast<LONG>(m_peaks.size()));
            if (SUCCEEDED(hr))
                hr = target->put_Masses(masses);
            if (SUCCEEDED(hr))
                hr = target->put_Intensities(heights);
            if (SUCCEEDED(hr))
                hr = target->put_Centroid(VARIANT_TRUE);
            return hr;
        });
    }

private:
    bool m_detected = false;
    std::vector<kscontrols::Peak> m_peaks;
};

KS_OBJECT_ENTRY(CLSID_KSMassSpectrum, CSpectrum);
KS_OBJECT_ENTRY(CLSID_KSChromatogram, CChromatogram);
KS_OBJECT_ENTRY(CLSID_KSMSCollection, CCollection);
KS_OBJECT_ENTRY(CLSID_KSPeakDetection, CPeakDetection);

const ks::TypeLibRegistration kTypeLib{LIBID_KSControls, 1, 0, 0, L"KSControls 1.0 Type Library"};

HRESULT registerServer() { return ks::registerServer(&kTypeLib); }
HRESULT unregisterServer() { return ks::unregisterServer(&kTypeLib); }

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
