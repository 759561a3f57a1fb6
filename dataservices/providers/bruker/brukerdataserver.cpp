#include "brukerdataserver.h"

#include <climits>

#include "brukerlayout.h"
#include "ksfilestat.h"

namespace {

// Every experiment is read through this processing.
const wchar_t kProcessing[] = L"1";

// Only names beginning with one of these filter a climbed path to one
// experiment; a path through any other name opens the whole dataset.
bool filtersExperiment(const std::wstring& name)
{
    return !name.empty() && name[0] >= L'1' && name[0] <= L'5';
}

}  // namespace

CBrukerDataServerImpl::CBrukerDataServerImpl() = default;

CBrukerDataServerImpl::~CBrukerDataServerImpl() = default;

CString CBrukerDataServerImpl::DatasetType()
{
    return CString(L"KSBrukerProvider");
}

bool CBrukerDataServerImpl::IsValidDataset(const CString& path)
{
    return IsBrukerDataset(path.str(), false);
}

HRESULT CBrukerDataServerImpl::OpenEntry(const std::wstring& expno)
{
    auto entry = std::make_unique<Entry>();
    entry->name = ExperimentDescription(m_Dataset, expno);
    const bool opened = entry->io.Open(m_Dataset, expno, kProcessing);
    m_Entries.push_back(std::move(entry));
    return opened ? S_OK : E_FAIL;
}

HRESULT CBrukerDataServerImpl::Open(const CString& path)
{
    m_Entries.clear();
    m_Dataset.clear();
    std::wstring folder = path.str();
    // A path that does not exist is a typing error, not a way to a parent
    // folder's dataset.
    if (!CKSFileStat(folder).Exists())
        return E_FAIL;
    std::wstring filter;
    std::vector<std::wstring> experiments;
    while (ListExperiments(folder, true, experiments) == 0) {
        std::wstring head, tail;
        if (!SplitExperimentPath(folder, head, tail))
            return E_FAIL;
        filter = filtersExperiment(tail) ? tail : std::wstring();
        folder = head;
    }
    m_Dataset = folder;
    if (!filter.empty()) {
        for (const std::wstring& expno : experiments)
            if (expno == filter)
                return OpenEntry(expno);
        return E_FAIL;
    }
    for (const std::wstring& expno : experiments) {
        const HRESULT hr = OpenEntry(expno);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CBrukerDataServerImpl::Close()
{
    for (auto& entry : m_Entries)
        entry->io.Close();
    return S_OK;
}

CBrukerDataServerImpl::Entry* CBrukerDataServerImpl::EntryAt(int injection, int function)
{
    if (injection != 0 || function < 0 || static_cast<size_t>(function) >= m_Entries.size())
        return nullptr;
    return m_Entries[static_cast<size_t>(function)].get();
}

int CBrukerDataServerImpl::FunctionCount(int injection)
{
    return injection == 0 ? static_cast<int>(m_Entries.size()) : 0;
}

CString CBrukerDataServerImpl::FunctionName(int injection, int function)
{
    const Entry* entry = EntryAt(injection, function);
    return entry ? CString(entry->name.c_str()) : CString();
}

::FunctionType CBrukerDataServerImpl::FunctionType(int injection, int function)
{
    const Entry* entry = EntryAt(injection, function);
    if (!entry)
        return FunctionTypeUnknown;
    std::vector<double> precursors;
    return entry->io.ReadPrecursors(precursors) && !precursors.empty() ? FunctionTypeMSn : FunctionTypeMS;
}

::FunctionMSMSType CBrukerDataServerImpl::FunctionMSMSType(int injection, int function)
{
    return FunctionType(injection, function) == FunctionTypeMSn ? FunctionMSMSTypeProduct : FunctionMSMSTypeNone;
}

int CBrukerDataServerImpl::SpectrumCount(int injection, int function)
{
    const Entry* entry = EntryAt(injection, function);
    return entry ? entry->io.ScanCount() : 0;
}

HRESULT CBrukerDataServerImpl::TIC(bool calculate, int injection, int function, CChromatogram& chromatogram)
{
    if (!calculate)
        return CO_E_NOT_SUPPORTED;
    Entry* entry = EntryAt(injection, function);
    LONG count = 0;
    std::vector<double> times;
    std::vector<double> intensities;
    if (!entry || !entry->io.TIC(count, times, intensities) || !chromatogram.SetSize(count))
        return E_FAIL;
    if (count > 0) {
        chromatogram.SetTimes(times.data());
        chromatogram.SetIntensities(intensities.data());
    }
    entry->times.swap(times);
    return S_OK;
}

HRESULT CBrukerDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    Entry* entry = EntryAt(injection, function);
    if (!entry || index < 0 || index == INT_MAX || !entry->io.GetCalibratedSpectrum(index + 1, spectrum))
        return E_FAIL;
    spectrum.SetFunctionType(FunctionType(injection, function));
    spectrum.SetPolarity(FunctionPolarityUnknown);
    std::vector<double> precursors;
    entry->io.ReadPrecursors(precursors);
    spectrum.SetMSOrder(static_cast<SHORT>(precursors.size() + 1));
    spectrum.SetPrecursorMass(precursors.empty() ? 0.0 : precursors.front());
    for (size_t k = 0; k < precursors.size(); ++k) {
        spectrum.SetPrecursorMZ(static_cast<LONG>(k + 2), precursors[k]);
        spectrum.SetPrecursorMZ2(static_cast<LONG>(k + 2), precursors[k]);
    }
    spectrum.Invalidate();
    return S_OK;
}

int CBrukerDataServerImpl::SpectrumIndexByRT(int injection, int function, double retentionTime,
                                             FunctionRTProximity proximity)
{
    Entry* entry = EntryAt(injection, function);
    if (!entry)
        return -1;
    if (entry->times.empty()) {
        CChromatogram scratch;
        if (FAILED(TIC(true, injection, function, scratch)))
            return -1;
    }
    return FindIndexByRetentionTime(entry->times, retentionTime, proximity);
}
