#include "brukercompassdataserver.h"

#include <algorithm>
#include <limits>
#include <string>

#include "brukerlayout.h"
#include "ksactivation.h"
#include "ksfilestat.h"
#include "ksnothrow.h"
#include "kstextutil.h"
#include "variantarray.h"

namespace {

// The value the polarity is preset to: a spectrum that leaves it unset
// reads as positive.
constexpr LONG kPolarityUnset = 255;
// The component's polarity value for negative ions.
constexpr LONG kPolarityNegative = 1;

// A component's success that left the object out is no success. The
// pointer is looked at only after the call that fills it has returned.
template <class T>
HRESULT Got(HRESULT hr, const ks::ComPtr<T>& object)
{
    return SUCCEEDED(hr) && !object ? E_POINTER : hr;
}

::FunctionType TypeOfLevel(LONG level)
{
    return level < 2 ? FunctionTypeMS : FunctionTypeMSn;
}

::FunctionPolarity PolarityOfValue(LONG value)
{
    return value == kPolarityNegative ? FunctionPolarityNegative : FunctionPolarityPositive;
}

}  // namespace

CBrukerCompassDataServerImpl::CBrukerCompassDataServerImpl() = default;

CBrukerCompassDataServerImpl::~CBrukerCompassDataServerImpl()
{
    Close();
}

CString CBrukerCompassDataServerImpl::DatasetType()
{
    return CString(L"KSBrukerCompassProvider");
}

bool CBrukerCompassDataServerImpl::IsValidDataset(const CString& path)
{
    return IsBrukerDataset(path.str(), true);
}

HRESULT CBrukerCompassDataServerImpl::Open(const CString& path)
{
    Close();
    HRESULT hr = CoCreateInstance(CLSID_CompassAnalysis, nullptr, KS_COMPASS_CLASS_CONTEXT, IID_ICompassAnalysis,
                                  m_pAnalysis.out());
    hr = Got(hr, m_pAnalysis);
    if (FAILED(hr))
        return hr;
    hr = ks::noThrow([&] {
        HRESULT result = OpenAnalysis(path.str());
        ks::ComPtr<ICompassSpectra> spectra;
        if (SUCCEEDED(result))
            result = Got(m_pAnalysis->get_Spectra(&spectra), spectra);
        LONG count = 0;
        if (SUCCEEDED(result))
            result = spectra->get_Count(&count);
        return SUCCEEDED(result) ? ReadTimes(count) : result;
    });
    if (FAILED(hr)) {
        // The analysis object stays for MSAnalysis; its spectra do not.
        m_nSpectra = 0;
        m_Times.clear();
        m_TICs.clear();
    }
    return hr;
}

HRESULT CBrukerCompassDataServerImpl::OpenAnalysis(const std::wstring& path)
{
    // A path that does not exist names no analysis, whatever a folder above
    // it holds: the climb is for paths inside an analysis folder.
    if (!CKSFileStat(path).Exists())
        return E_FAIL;
    std::wstring folder = path;
    for (;;) {
        const ks::Bstr text(folder);
        if (text.allocationFailed())
            return E_OUTOFMEMORY;
        if (SUCCEEDED(m_pAnalysis->Open(text)))
            return S_OK;
        std::wstring head, tail;
        if (!SplitExperimentPath(folder, head, tail))
            return E_FAIL;
        folder = head;
    }
}

HRESULT CBrukerCompassDataServerImpl::ReadTimes(LONG count)
{
    // The times grow with the spectra read: the count the component reports
    // sizes nothing.
    m_nSpectra = std::max<LONG>(count, 0);
    CMassSpectrum scratch;
    for (LONG i = 0; i < m_nSpectra; ++i) {
        const HRESULT hr = Spectrum(0, 0, i, scratch);
        if (FAILED(hr))
            return hr;
        m_Times.push_back(scratch.GetStartRT());
        m_TICs.push_back(scratch.GetTIC());
    }
    return S_OK;
}

HRESULT CBrukerCompassDataServerImpl::Close()
{
    m_nSpectra = 0;
    m_Times.clear();
    m_TICs.clear();
    m_pAnalysis.reset();
    return S_OK;
}

HRESULT CBrukerCompassDataServerImpl::Item(LONG item, ks::ComPtr<ICompassSpectrum>& spectrum)
{
    spectrum.reset();
    ks::ComPtr<ICompassSpectra> spectra;
    HRESULT hr = Got(m_pAnalysis->get_Spectra(&spectra), spectra);
    if (SUCCEEDED(hr))
        hr = Got(spectra->get_Item(item, &spectrum), spectrum);
    return hr;
}

CString CBrukerCompassDataServerImpl::FunctionName(int injection, int function)
{
    if (injection != 0 || function != 0 || !m_pAnalysis)
        return CString();
    ks::Bstr description;
    if (SUCCEEDED(m_pAnalysis->get_Description(&description))) {
        std::wstring text = description.str();
        if (Trim(text) > 0)
            return CString(text);
    }
    return CString(L"Function 1");
}

HRESULT CBrukerCompassDataServerImpl::First(int injection, int function, ks::ComPtr<ICompassSpectrum>& first)
{
    if (injection != 0 || function != 0 || !m_pAnalysis)
        return E_INVALIDARG;
    return Item(1, first);
}

::FunctionType CBrukerCompassDataServerImpl::FunctionType(int injection, int function)
{
    ks::ComPtr<ICompassSpectrum> first;
    LONG level = 0;
    if (FAILED(First(injection, function, first)) || FAILED(first->get_MSLevel(&level)))
        return FunctionTypeUnknown;
    return TypeOfLevel(level);
}

::FunctionPolarity CBrukerCompassDataServerImpl::FunctionPolarity(int injection, int function)
{
    ks::ComPtr<ICompassSpectrum> first;
    LONG value = kPolarityUnset;
    if (FAILED(First(injection, function, first)) || FAILED(first->get_Polarity(&value)))
        return FunctionPolarityUnknown;
    return PolarityOfValue(value);
}

int CBrukerCompassDataServerImpl::MSOrder(int injection, int function)
{
    ks::ComPtr<ICompassSpectrum> first;
    LONG level = 0;
    if (FAILED(First(injection, function, first)) || FAILED(first->get_MSLevel(&level)))
        return 0;
    return level;
}

int CBrukerCompassDataServerImpl::SpectrumCount(int injection, int function)
{
    return injection == 0 && function == 0 ? static_cast<int>(m_Times.size()) : 0;
}

HRESULT CBrukerCompassDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    if (injection != 0 || function != 0 || !m_pAnalysis || index < 0 || index >= m_nSpectra)
        return E_INVALIDARG;
    ks::ComPtr<ICompassSpectrum> item;
    HRESULT hr = Item(index + 1, item);
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

    double seconds = 0;
    if (FAILED(hr = item->get_RetentionTime(&seconds)))
        return hr;
    // Spectra without a time of their own (0 after the first) are placed by
    // their number, so that times keep rising.
    const double minutes = seconds != 0 || index == 0 ? seconds / 60 : static_cast<double>(index) + 1;
    spectrum.SetStartRT(minutes);
    spectrum.SetEndRT(minutes);

    LONG level = 0;
    if (SUCCEEDED(item->get_MSLevel(&level))) {
        // The record's MS order is 16 bits: levels beyond stop at its ends.
        spectrum.SetMSOrder(static_cast<SHORT>(
            std::clamp<LONG>(level, std::numeric_limits<SHORT>::min(), std::numeric_limits<SHORT>::max())));
        spectrum.SetFunctionType(TypeOfLevel(level));
    } else {
        // A new record's values, so nothing of an earlier read stays.
        spectrum.SetMSOrder(1);
        spectrum.SetFunctionType(FunctionTypeUnknown);
    }

    LONG polarity = kPolarityUnset;
    hr = item->get_Polarity(&polarity);
    spectrum.SetPolarity(SUCCEEDED(hr) ? PolarityOfValue(polarity) : FunctionPolarityUnknown);

    spectrum.SetCentroid(false);
    spectrum.SetFirstScan(index + 1);
    spectrum.SetLastScan(index + 1);
    spectrum.Invalidate();
    return hr;
}

int CBrukerCompassDataServerImpl::SpectrumIndexByRT(int injection, int function, double retentionTime,
                                                    FunctionRTProximity proximity)
{
    const bool less = proximity == FunctionRTProximityLess;
    const bool greater = proximity == FunctionRTProximityGreater;
    const bool closest = proximity == FunctionRTProximityClosest;
    if (injection != 0 || function != 0 || m_Times.empty() || (!less && !greater && !closest))
        return -1;
    // The times need not rise (a component may report them out of order):
    // the first one not below the time given, found in order.
    const std::vector<double>& t = m_Times;
    const size_t r = static_cast<size_t>(
        std::find_if(t.begin(), t.end(), [&](double time) { return !(time < retentionTime); }) - t.begin());
    if (r == t.size())
        return greater ? -1 : static_cast<int>(r) - 1;
    if (r == 0) {
        if (t[0] == retentionTime)
            return 0;
        return t[0] > retentionTime && !less ? 0 : -1;
    }
    if (less)
        return static_cast<int>(r) - 1;
    if (greater)
        return static_cast<int>(r);
    return retentionTime - t[r - 1] < t[r] - retentionTime ? static_cast<int>(r) - 1 : static_cast<int>(r);
}
