#include "iontrapdataserver.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "ksactivation.h"
#include "ksfiles.h"
#include "ksfilestat.h"
#include "kstextutil.h"
#include "variantarray.h"

namespace {

const wchar_t kModeGroup[] = L"Mode";
const wchar_t kPolarityName[] = L"Ion Polarity";
const wchar_t kPositiveValue[] = L"Positive";
const wchar_t kRangeModeName[] = L"Mass Range Mode";
const wchar_t kZoomValue[] = L"Std/Maximum";

bool Equals(BSTR text, const wchar_t* expected)
{
    return std::wstring(text ? text : L"", SysStringLen(text)) == expected;
}

// A VARIANT holding exactly that text.
bool HoldsText(const VARIANT& value, const wchar_t* expected)
{
    return value.vt == VT_BSTR && Equals(value.bstrVal, expected);
}

// A component's success that left the object out is no success. The
// pointer is looked at only after the call that fills it has returned.
template <class T>
HRESULT Got(HRESULT hr, const ks::ComPtr<T>& object)
{
    return SUCCEEDED(hr) && !object ? E_POINTER : hr;
}

}  // namespace

CAgilentIonTrapDataServerImpl::CAgilentIonTrapDataServerImpl() = default;

CAgilentIonTrapDataServerImpl::~CAgilentIonTrapDataServerImpl()
{
    Close();
}

CString CAgilentIonTrapDataServerImpl::DatasetType()
{
    return CString(L"KSAgilentIonTrapProvider");
}

bool CAgilentIonTrapDataServerImpl::IsValidDataset(const CString& path)
{
    const std::string folder = FileSystemPath(path.str());
    if (folder.empty() || !ks::isFolder(folder))
        return false;
    const std::optional<std::string> name = ks::findNameNoCase(folder, "Analysis.yep");
    return name && !ks::isFolder(folder + "/" + *name);
}

HRESULT CAgilentIonTrapDataServerImpl::Open(const CString& path)
{
    Close();
    HRESULT hr = CoCreateInstance(CLSID_IonTrapAnalysis, nullptr, KS_IONTRAP_CLASS_CONTEXT, IID_IIonTrapAnalysis,
                                  m_pAnalysis.out());
    hr = Got(hr, m_pAnalysis);
    if (SUCCEEDED(hr)) {
        const ks::Bstr folder(path.str());
        hr = folder.allocationFailed() ? E_OUTOFMEMORY : m_pAnalysis->Open(folder);
    }
    try {
        if (SUCCEEDED(hr))
            hr = BuildFunctions();
        if (SUCCEEDED(hr))
            hr = m_Traces.Build(path.str());
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr))
        Close();
    return hr;
}

HRESULT CAgilentIonTrapDataServerImpl::Close()
{
    m_Functions.clear();
    m_pAnalysis.reset();
    m_Traces.Clear();
    return S_OK;
}

HRESULT CAgilentIonTrapDataServerImpl::ReadModes(IIonTrapSpectrum* spectrum, bool& positive, bool& zoom)
{
    positive = true;
    zoom = false;
    ks::ComPtr<IIonTrapParameters> parameters;
    HRESULT hr = Got(spectrum->get_Parameters(&parameters), parameters);
    LONG count = 0;
    if (SUCCEEDED(hr))
        hr = parameters->get_Count(&count);
    for (LONG j = 1; SUCCEEDED(hr) && j <= count; ++j) {
        ks::Variant index(j);
        ks::ComPtr<IIonTrapParameter> parameter;
        hr = Got(parameters->get_Item(index, &parameter), parameter);
        ks::Bstr group;
        if (SUCCEEDED(hr))
            hr = parameter->get_Group(&group);
        if (FAILED(hr) || !Equals(group, kModeGroup))
            continue;
        ks::Bstr name;
        hr = parameter->get_Name(&name);
        if (FAILED(hr))
            continue;
        const bool isPolarity = Equals(name, kPolarityName);
        if (!isPolarity && !Equals(name, kRangeModeName))
            continue;
        ks::Variant value;
        hr = parameter->get_Value(&value);
        if (FAILED(hr))
            continue;
        if (isPolarity)
            positive = HoldsText(value, kPositiveValue);
        else
            zoom = HoldsText(value, kZoomValue);
    }
    return hr;
}

HRESULT CAgilentIonTrapDataServerImpl::BuildFunctions()
{
    ks::ComPtr<IIonTrapSpectra> spectra;
    HRESULT hr = Got(m_pAnalysis->get_Spectra(&spectra), spectra);
    LONG count = 0;
    if (SUCCEEDED(hr))
        hr = spectra->get_Count(&count);
    // Items are taken one by one: the count sizes nothing.
    for (LONG i = 1; SUCCEEDED(hr) && i <= count; ++i) {
        ks::ComPtr<IIonTrapSpectrum> spectrum;
        hr = Got(spectra->get_Item(i, &spectrum), spectrum);
        LONG level = 0;
        if (SUCCEEDED(hr))
            hr = spectrum->get_MSLevel(&level);
        double seconds = 0;
        if (SUCCEEDED(hr))
            hr = spectrum->get_RetentionTime(&seconds);
        bool positive = true;
        bool zoom = false;
        if (SUCCEEDED(hr))
            hr = ReadModes(spectrum.get(), positive, zoom);
        if (FAILED(hr))
            break;
        // The level counts from 1 here; the highest the component can
        // report stays the highest.
        level = level == std::numeric_limits<LONG>::max() ? level : level + 1;
        Function* function = nullptr;
        for (Function& f : m_Functions)
            if (f.bPositive == positive && f.bZoom == zoom && f.nLevel == level) {
                function = &f;
                break;
            }
        if (!function) {
            m_Functions.emplace_back();
            function = &m_Functions.back();
            function->bPositive = positive;
            function->bZoom = zoom;
            function->nLevel = level;
        }
        function->items.push_back(i);
        function->times.push_back(seconds / 60);
    }
    return hr;
}

const CAgilentIonTrapDataServerImpl::Function* CAgilentIonTrapDataServerImpl::Find(int injection, int function) const
{
    if (injection != 0 || function < 0 || function >= static_cast<int>(m_Functions.size()))
        return nullptr;
    return &m_Functions[static_cast<size_t>(function)];
}

int CAgilentIonTrapDataServerImpl::FunctionCount(int injection)
{
    return injection == 0 ? static_cast<int>(m_Functions.size()) : 0;
}

CString CAgilentIonTrapDataServerImpl::FunctionName(int injection, int function)
{
    const Function* f = Find(injection, function);
    ks::Bstr analysis;
    if (!f || !m_pAnalysis || FAILED(m_pAnalysis->get_Name(&analysis)))
        return CString();
    std::wstring name = analysis.str();
    name += f->bPositive ? L", + " : L", - ";
    if (f->bZoom)
        name += L"Zoom ";
    if (f->nLevel <= 1)
        name += L"MS";
    else if (f->nLevel == 2)
        name += L"MS/MS";
    else
        name += L"MS" + std::to_wstring(f->nLevel);
    return CString(name);
}

::FunctionType CAgilentIonTrapDataServerImpl::FunctionType(int injection, int function)
{
    const Function* f = Find(injection, function);
    if (!f || f->nLevel <= 0)
        return FunctionTypeUnknown;
    if (f->nLevel == 1)
        return f->bZoom ? FunctionTypeZoomMS : FunctionTypeMS;
    return f->bZoom ? FunctionTypeZoomMSn : FunctionTypeMSn;
}

::FunctionMSMSType CAgilentIonTrapDataServerImpl::FunctionMSMSType(int injection, int function)
{
    const Function* f = Find(injection, function);
    return f && f->nLevel >= 2 ? FunctionMSMSTypePrecursor : FunctionMSMSTypeNone;
}

::FunctionPolarity CAgilentIonTrapDataServerImpl::FunctionPolarity(int injection, int function)
{
    const Function* f = Find(injection, function);
    if (!f)
        return FunctionPolarityUnknown;
    return f->bPositive ? FunctionPolarityPositive : FunctionPolarityNegative;
}

int CAgilentIonTrapDataServerImpl::MSOrder(int injection, int function)
{
    const Function* f = Find(injection, function);
    return f ? f->nLevel : 0;
}

int CAgilentIonTrapDataServerImpl::SpectrumCount(int injection, int function)
{
    const Function* f = Find(injection, function);
    return f ? static_cast<int>(f->items.size()) : 0;
}

HRESULT CAgilentIonTrapDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    const Function* f = Find(injection, function);
    if (!f || !m_pAnalysis || index < 0 || index >= static_cast<int>(f->items.size()))
        return E_FAIL;
    ks::ComPtr<IIonTrapSpectra> spectra;
    HRESULT hr = Got(m_pAnalysis->get_Spectra(&spectra), spectra);
    ks::ComPtr<IIonTrapSpectrum> item;
    if (SUCCEEDED(hr))
        hr = Got(spectra->get_Item(f->items[static_cast<size_t>(index)], &item), item);
    ks::Variant masses, intensities;
    LONG count = 0;
    if (SUCCEEDED(hr))
        hr = item->GetData(1, &masses, &intensities, &count);
    // Both arrays must hold the count before it sizes the spectrum.
    if (SUCCEEDED(hr))
        hr = CheckVariantArray(&masses, count);
    if (SUCCEEDED(hr))
        hr = CheckVariantArray(&intensities, count);
    if (FAILED(hr))
        return hr;
    if (!spectrum.SetSize(count, false, false, false))
        return E_OUTOFMEMORY;
    if (FAILED(hr = VariantArrayToDoubles(&masses, count, spectrum.Masses())) ||
        FAILED(hr = VariantArrayToDoubles(&intensities, count, spectrum.Intensities())))
        return hr;
    double* y = spectrum.Intensities();
    for (LONG i = 0; i < count; ++i)
        y[i] = ClampToFloat(y[i]);

    double seconds = 0;
    if (FAILED(hr = item->get_RetentionTime(&seconds)))
        return hr;
    spectrum.SetStartRT(seconds / 60);
    spectrum.SetEndRT(seconds / 60);
    const LONG level = f->nLevel;
    spectrum.SetFunctionType(level == 1 ? FunctionTypeMS : FunctionTypeMSn);
    // The record's MS order is 16 bits: levels beyond stop at its ends.
    spectrum.SetMSOrder(static_cast<SHORT>(
        std::clamp<LONG>(level, std::numeric_limits<SHORT>::min(), std::numeric_limits<SHORT>::max())));
    spectrum.SetPrecursorMass(0);
    if (level > 1) {
        ks::Variant precursors;
        LONG n = 0;
        if (FAILED(hr = item->GetPrecursors(&precursors, &n)) || FAILED(hr = CheckVariantArray(&precursors, n)))
            return hr;
        std::vector<double> values(static_cast<size_t>(n));
        if (FAILED(hr = VariantArrayToDoubles(&precursors, n, values.data())))
            return hr;
        for (LONG k = 0; k < n; ++k) {
            spectrum.SetPrecursorMZ(k + 2, values[static_cast<size_t>(k)]);
            spectrum.SetPrecursorMZ2(k + 2, values[static_cast<size_t>(k)]);
        }
        if (n > 0)
            spectrum.SetPrecursorMass(values.back());
    }
    spectrum.SetFirstScan(index + 1);
    spectrum.SetLastScan(index + 1);
    spectrum.SetPolarity(f->bPositive ? FunctionPolarityPositive : FunctionPolarityNegative);
    spectrum.SetCentroid(false);
    spectrum.Invalidate();
    return S_OK;
}

int CAgilentIonTrapDataServerImpl::SpectrumIndexByRT(int injection, int function, double retentionTime,
                                                     FunctionRTProximity proximity)
{
    const Function* f = Find(injection, function);
    return f ? FindIndexByRetentionTime(f->times, retentionTime, proximity) : -1;
}

int CAgilentIonTrapDataServerImpl::TraceCount(int injection)
{
    return m_Traces.Count(injection);
}

CString CAgilentIonTrapDataServerImpl::TraceName(int injection, int trace)
{
    return CString(m_Traces.Name(injection, trace));
}

HRESULT CAgilentIonTrapDataServerImpl::Trace(int injection, int trace, CChromatogram& chromatogram)
{
    return m_Traces.Load(injection, trace, chromatogram);
}
