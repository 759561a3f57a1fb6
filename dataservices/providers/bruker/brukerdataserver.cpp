#include "brukerdataserver.h"

#include <algorithm>
#include <initializer_list>

#include "brukerlayout.h"
#include "ksfilestat.h"
#include "kstextutil.h"

namespace {

// Every experiment is read through this processing.
const wchar_t kProcessing[] = L"1";

// Only names beginning with one of these filter a climbed path to one
// experiment; a path through any other name opens the whole dataset.
bool filtersExperiment(const std::wstring& name)
{
    return !name.empty() && name[0] >= L'1' && name[0] <= L'5';
}

// Below the dataset folder: the experiment, "pdata", the processing
// number, a file of the processing.
constexpr size_t kMaxClimb = 4;

bool isOneOf(const std::wstring& name, std::initializer_list<const wchar_t*> names)
{
    for (const wchar_t* n : names)
        if (CompareNoCase(name, n) == 0)
            return true;
    return false;
}

bool isProcessingNumber(const std::wstring& name)
{
    if (name.empty())
        return false;
    for (wchar_t c : name)
        if (c < L'0' || c > L'9')
            return false;
    return true;
}

// Whether the components below the dataset folder, outermost first, lie
// inside one of its experiments: the experiment folder (holding "acqu"
// and "acqus"), then what an experiment holds, then what a processing
// holds.
bool insideAnExperiment(const std::wstring& dataset, const std::vector<std::wstring>& below)
{
    if (below.empty())
        return true;
    std::wstring experiment = dataset;
    if (!HasParameterPair(JoinPath(experiment, below[0]), BrukerAcquisitionPair))
        return false;
    if (below.size() == 1)
        return true;
    if (CompareNoCase(below[1], L"pdata") != 0)
        return below.size() == 2 && isOneOf(below[1], {L"acqu", L"acqus", L"acqu2", L"acqu2s", L"fid", L"ser",
                                                       L"SPTYPE"});
    if (below.size() == 2)
        return true;
    if (!isProcessingNumber(below[2]))
        return false;
    return below.size() == 3 ||
           (below.size() == 4 && isOneOf(below[3], {L"proc", L"procs", L"proc2", L"proc2s", L"title", L"1r", L"1i",
                                                    L"2rr", L"2ri", L"2ir", L"2ii"}));
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

// Opens the experiment once to learn what its function answers; the
// reader stays open on it until another experiment is read.
HRESULT CBrukerDataServerImpl::OpenEntry(const std::wstring& expno)
{
    Entry entry;
    entry.expno = expno;
    m_nReaderEntry = -1;
    const bool opened = m_Reader.Open(m_Dataset, expno, kProcessing);
    if (opened) {
        entry.name = ExperimentDescription(expno, m_Reader.Acquisition());
        entry.scans = m_Reader.ScanCount();
        m_Reader.ReadPrecursors(entry.precursors);
        entry.layout = m_Reader.Layout();
        m_nReaderEntry = static_cast<int>(m_Entries.size());
    } else {
        entry.name = ExperimentDescription(m_Dataset, expno);
    }
    m_Entries.push_back(std::move(entry));
    return opened ? S_OK : E_FAIL;
}

HRESULT CBrukerDataServerImpl::Open(const CString& path)
{
    Close();
    m_Entries.clear();
    m_Dataset.clear();
    std::wstring folder = path.str();
    // A path that does not exist is a typing error, not a way to a parent
    // folder's dataset.
    if (!CKSFileStat(folder).Exists())
        return E_FAIL;
    std::vector<std::wstring> below;  // the components climbed over, innermost first
    std::vector<std::wstring> experiments;
    while (ListExperiments(folder, true, experiments) == 0) {
        std::wstring head, tail;
        if (below.size() == kMaxClimb || !SplitExperimentPath(folder, head, tail))
            return E_FAIL;
        if (!tail.empty() && tail != L".")
            below.push_back(tail);
        folder = head;
    }
    std::reverse(below.begin(), below.end());
    if (!insideAnExperiment(folder, below))
        return E_FAIL;
    m_Dataset = folder;
    const std::wstring filter = !below.empty() && filtersExperiment(below[0]) ? below[0] : std::wstring();
    HRESULT hr = S_OK;
    if (!filter.empty()) {
        const auto found = std::find(experiments.begin(), experiments.end(), filter);
        hr = found == experiments.end() ? E_FAIL : OpenEntry(*found);
    } else {
        m_Entries.reserve(experiments.size());
        for (const std::wstring& expno : experiments)
            if (FAILED(hr = OpenEntry(expno)))
                break;
    }
    m_bOpen = SUCCEEDED(hr);
    if (!m_bOpen)
        m_Reader.Reset();
    return hr;
}

HRESULT CBrukerDataServerImpl::Close()
{
    m_Reader.Reset();
    m_nReaderEntry = -1;
    m_bOpen = false;
    return S_OK;
}

CBrukerDataIO* CBrukerDataServerImpl::ReaderFor(int function)
{
    if (!m_bOpen)
        return nullptr;
    if (m_nReaderEntry != function) {
        m_nReaderEntry = -1;
        if (!m_Reader.Open(m_Entries[static_cast<size_t>(function)].layout))
            return nullptr;
        m_nReaderEntry = function;
    }
    return &m_Reader;
}

CBrukerDataServerImpl::Entry* CBrukerDataServerImpl::EntryAt(int injection, int function)
{
    if (injection != 0 || function < 0 || static_cast<size_t>(function) >= m_Entries.size())
        return nullptr;
    return &m_Entries[static_cast<size_t>(function)];
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
    return entry->precursors.empty() ? FunctionTypeMS : FunctionTypeMSn;
}

::FunctionMSMSType CBrukerDataServerImpl::FunctionMSMSType(int injection, int function)
{
    return FunctionType(injection, function) == FunctionTypeMSn ? FunctionMSMSTypeProduct : FunctionMSMSTypeNone;
}

int CBrukerDataServerImpl::SpectrumCount(int injection, int function)
{
    const Entry* entry = EntryAt(injection, function);
    return entry && m_bOpen ? entry->scans : 0;
}

HRESULT CBrukerDataServerImpl::TIC(bool calculate, int injection, int function, CChromatogram& chromatogram)
{
    if (!calculate)
        return CO_E_NOT_SUPPORTED;
    Entry* entry = EntryAt(injection, function);
    CBrukerDataIO* reader = entry ? ReaderFor(function) : nullptr;
    LONG count = 0;
    std::vector<double> times;
    std::vector<double> intensities;
    if (!reader || !reader->TIC(count, times, intensities) || !chromatogram.SetSize(count))
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
    const Entry* entry = EntryAt(injection, function);
    CBrukerDataIO* reader = entry && index >= 0 && index < entry->scans ? ReaderFor(function) : nullptr;
    if (!reader || !reader->GetCalibratedSpectrum(index + 1, spectrum))
        return E_FAIL;
    const std::vector<double>& precursors = entry->precursors;
    spectrum.SetFunctionType(precursors.empty() ? FunctionTypeMS : FunctionTypeMSn);
    spectrum.SetPolarity(FunctionPolarityUnknown);
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
