#include <vector>

#include "coadd.h"
#include "ksagilentprovider.h"
#include "kscomptr.h"
#include "ksconvert.h"
#include "ksdialogs.h"
#include "kshandles.h"
#include "ksnothrow.h"
#include "kstextutil.h"
#include "massspectrum.h"
#include "readersettings.h"

namespace {

const wchar_t kClassID[] = L"{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}";
// Co-added ranges merge peaks within 0.1 Da.
constexpr double kCoAddTolerance = 0.1;

std::wstring TextOf(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

CKSMassSpectrum* HandleOf(ULONG_PTR address)
{
    return reinterpret_cast<CKSMassSpectrum*>(address);
}

// The folder part of a dataset path: everything before its last separator
// ("\" or "/"), the whole path when it has none.
std::wstring FolderOf(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(0, separator);
}

}  // namespace

KS_DISPATCH_TABLE(IKSLCMSDProvider)
{
    static const ks::DispTable table{};
    return table;
}

HRESULT ParseLCMSDDataSource(const std::wstring& dataSource, std::wstring& path)
{
    if (dataSource.empty())
        return E_INVALIDARG;
    const size_t name = dataSource.find(PROGID_KSLCMSDProvider);
    if (name == std::wstring::npos)
        return E_INVALIDARG;
    const size_t semicolon = dataSource.find(L';', name);
    if (semicolon == std::wstring::npos || semicolon + 1 == dataSource.size())
        return E_INVALIDARG;
    const size_t end = dataSource.find(L';', semicolon + 1);
    path = dataSource.substr(semicolon + 1, end == std::wstring::npos ? std::wstring::npos : end - semicolon - 1);
    Trim(path);
    return S_OK;
}

std::wstring MakeLCMSDDataSource(const std::wstring& path)
{
    return std::wstring(PROGID_KSLCMSDProvider) + L"; " + path + L";";
}

CKSLCMSDProvider::CKSLCMSDProvider()
{
    m_strClassID = kClassID;
    m_strClassName = PROGID_KSLCMSDProvider;
    m_strCopyright = L"Copyright (c) Kestrom, Inc.";
    m_strMenuName = L"Agilent ChemStation";
    m_strSupplier = L"Kestrom, Inc.";
    m_strVersion = L"1.00";
    m_lProviderFlags = MSDatasetReader;
    m_strDataServerClassID = L"{02e12864-a8c5-4c40-88f9-63bc1d93b96e}";
    m_strFilterString = L"Agilent ChemStation (*.ms)";
    AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
}

CKSLCMSDProvider::~CKSLCMSDProvider() = default;

// ---------------------------------------------------------------------------
// Dataset reader

HRESULT CKSLCMSDProvider::Read(const std::wstring& dataSource, IKSMSDataset** ppiDS)
{
    m_strDataSource = dataSource;
    std::wstring path;
    HRESULT hr = ParseLCMSDDataSource(dataSource, path);
    if (FAILED(hr))
        return hr;
    hr = m_File.Open(path, 1);
    if (FAILED(hr))
        return hr;
    hr = QueryInterface(IID_IKSMSDataset, reinterpret_cast<void**>(ppiDS));
    if (FAILED(hr)) {
        *ppiDS = nullptr;
        return hr;
    }
    WriteSourcePath(m_strClassID, FolderOf(path));
    // Path and description follow every successful read.
    m_strPath = path;
    m_strDescription = dataSource;
    return S_OK;
}

HRESULT CKSLCMSDProvider::ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS)
{
    return ks::noThrow(
        [&] {
            if (!ppiDS)
                return E_POINTER;
            *ppiDS = nullptr;
            return Read(TextOf(dataSource), ppiDS);
        },
        ppiDS);
}

HRESULT CKSLCMSDProvider::ReadDatasetInteractive(IKSMSDataset** ppiDS)
{
    return ks::noThrow(
        [&] {
            if (!ppiDS)
                return E_POINTER;
            *ppiDS = nullptr;
            ks::dialogs::FileDialogRequest request;
            request.flags = OFN_HIDEREADONLY;
            ReadSourcePath(m_strClassID, request.initialFolder);
            const ks::dialogs::FileDialogResult result = ks::dialogs::fileDialog(request);
            if (!result.accepted || result.path().empty())
                return E_INVALIDARG;
            return Read(MakeLCMSDDataSource(result.path()), ppiDS);
        },
        ppiDS);
}

HRESULT CKSLCMSDProvider::get_DataSourceDescription(BSTR* pDescription)
{
    return ks::noThrow(
        [&] {
            if (!pDescription)
                return E_POINTER;
            *pDescription = nullptr;
            if (!m_File.IsOpen())
                return E_ACCESSDENIED;
            return ks::copyTextOut(m_strDescription, pDescription);
        },
        pDescription);
}

// ---------------------------------------------------------------------------
// Dataset

template <class T>
HRESULT CKSLCMSDProvider::Answer(T* out, T value)
{
    if (!out)
        return E_POINTER;
    *out = T();
    if (!m_File.IsOpen())
        return E_ACCESSDENIED;
    *out = value;
    return S_OK;
}

HRESULT CKSLCMSDProvider::AnswerFlag(VARIANT_BOOL* out, bool value)
{
    return Answer<VARIANT_BOOL>(out, value ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT CKSLCMSDProvider::get_HasTIC(VARIANT_BOOL* pHas)
{
    return AnswerFlag(pHas, true);
}

HRESULT CKSLCMSDProvider::get_HasBaseSpectra(VARIANT_BOOL* pHas)
{
    return AnswerFlag(pHas, true);
}

HRESULT CKSLCMSDProvider::get_HasAuxiliarySpectra(VARIANT_BOOL* pHas)
{
    return AnswerFlag(pHas, false);
}

HRESULT CKSLCMSDProvider::get_SupportsMassChromatograms(VARIANT_BOOL* pSupports)
{
    return AnswerFlag(pSupports, false);
}

HRESULT CKSLCMSDProvider::get_HasTraces(VARIANT_BOOL* pHas)
{
    return AnswerFlag(pHas, false);
}

HRESULT CKSLCMSDProvider::get_BaseSpectrumCount(LONG* pCount)
{
    return Answer<LONG>(pCount, m_File.ScanCount());
}

HRESULT CKSLCMSDProvider::get_AuxiliarySpectrumCount(LONG* pCount)
{
    return Answer<LONG>(pCount, 0);
}

HRESULT CKSLCMSDProvider::get_TraceCount(LONG* pCount)
{
    return Answer<LONG>(pCount, 0);
}

HRESULT CKSLCMSDProvider::get_HasDataDependentScans(VARIANT_BOOL* pHas)
{
    return AnswerFlag(pHas, false);
}

HRESULT CKSLCMSDProvider::get_DependentScanCount(LONG, LONG* pCount)
{
    return Answer<LONG>(pCount, 0);
}

HRESULT CKSLCMSDProvider::ReadScan(LONG index, CMassSpectrum& spectrum)
{
    if (index < 1 || index > m_File.ScanCount() || !m_File.ReadSpectrum(index - 1, spectrum))
        return E_ACCESSDENIED;
    spectrum.SetFirstScan(index);
    spectrum.SetLastScan(index);
    return S_OK;
}

HRESULT CKSLCMSDProvider::ReadRange(LONG first, LONG last, CMassSpectrum& spectrum)
{
    if (first < 1 || first > last || last > m_File.ScanCount() || !m_File.ReadSpectrum(first - 1, spectrum))
        return E_ACCESSDENIED;
    const double start = spectrum.GetStartRT();
    const double end = first == last ? spectrum.GetEndRT() : m_File.ScanRT(last - 1);
    CMassSpectrum scratch;
    for (LONG scan = first + 1; scan <= last; ++scan) {
        if (!m_File.ReadSpectrum(scan - 1, scratch))
            return E_FAIL;
        CoAddSpectra(true, kCoAddTolerance, scratch, spectrum);
    }
    spectrum.SetFirstScan(first);
    spectrum.SetLastScan(last);
    spectrum.SetStartRT(start);
    spectrum.SetEndRT(end);
    return S_OK;
}

template <class Fill>
HRESULT CKSLCMSDProvider::ToObject(IDispatch* object, Fill fill)
{
    if (!object)
        return E_POINTER;
    if (!m_File.IsOpen())
        return E_ACCESSDENIED;
    return ks::noThrow([&] {
        CMassSpectrum spectrum;
        HRESULT hr = fill(spectrum);
        if (FAILED(hr))
            return hr;
        ks::ComPtr<IKSMassSpectrum3> target;
        hr = object->QueryInterface(IID_IKSMassSpectrum3, reinterpret_cast<void**>(&target));
        if (FAILED(hr))
            return hr;
        return SpectrumToObject(spectrum, target.get());
    });
}

template <class Fill>
HRESULT CKSLCMSDProvider::ToDirect(ULONG_PTR address, Fill fill)
{
    CKSMassSpectrum* handle = HandleOf(address);
    if (!handle)
        return E_POINTER;
    if (!m_File.IsOpen())
        return E_ACCESSDENIED;
    return ks::noThrow([&] {
        CMassSpectrum spectrum;
        const HRESULT hr = fill(spectrum);
        if (FAILED(hr))
            return hr;
        return CopySpectrumToDirect(spectrum, *handle);
    });
}

HRESULT CKSLCMSDProvider::GetBaseSpectrum(LONG Index, IDispatch* pidMS)
{
    return ToObject(pidMS, [&](CMassSpectrum& s) { return ReadScan(Index, s); });
}

HRESULT CKSLCMSDProvider::GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS)
{
    return ToDirect(piMS, [&](CMassSpectrum& s) { return ReadScan(Index, s); });
}

HRESULT CKSLCMSDProvider::GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS)
{
    return ToObject(pidMS, [&](CMassSpectrum& s) { return ReadRange(scanStart, scanEnd, s); });
}

HRESULT CKSLCMSDProvider::GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS)
{
    return ToDirect(piMS, [&](CMassSpectrum& s) { return ReadRange(scanStart, scanEnd, s); });
}

void CKSLCMSDProvider::ChromatogramPoints(Measure measure, std::vector<double>& times,
                                          std::vector<double>& values) const
{
    const std::vector<MSDScanEntry>& entries = m_File.Entries();
    times.resize(entries.size());
    values.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        times[i] = entries[i].dRetentionTime;
        values[i] = ClampToFloat(measure == Measure::BasePeak ? entries[i].dBasePeakAbundance
                                                              : entries[i].dTotalAbundance);
    }
}

HRESULT CKSLCMSDProvider::ChromatogramToObject(Measure measure, IDispatch* object)
{
    if (!object)
        return E_POINTER;
    if (!m_File.IsOpen())
        return E_ACCESSDENIED;
    ks::ComPtr<IKSMassSpectrum> target;
    HRESULT hr = object->QueryInterface(IID_IKSMassSpectrum, reinterpret_cast<void**>(&target));
    if (FAILED(hr))
        return hr;
    return ks::noThrow([&] {
        std::vector<double> times;
        std::vector<double> values;
        ChromatogramPoints(measure, times, values);
        return PointsToSpectrumObject(target.get(), static_cast<LONG>(times.size()), times.data(), values.data());
    });
}

HRESULT CKSLCMSDProvider::ChromatogramToDirect(Measure measure, ULONG_PTR address)
{
    CKSMassSpectrum* handle = HandleOf(address);
    if (!handle)
        return E_POINTER;
    if (!m_File.IsOpen())
        return E_ACCESSDENIED;
    return ks::noThrow([&] {
        std::vector<double> times;
        std::vector<double> values;
        ChromatogramPoints(measure, times, values);
        const LONG count = static_cast<LONG>(times.size());
        handle->SetCount(count);
        if (handle->GetCount() != count)
            return E_OUTOFMEMORY;
        if (count > 0) {
            handle->SetMasses(times.data());
            handle->SetIntensities(values.data());
        }
        handle->SetCentroid(false);
        return S_OK;
    });
}

HRESULT CKSLCMSDProvider::GetTIC(IDispatch* pidCM)
{
    return ChromatogramToObject(Measure::Total, pidCM);
}

HRESULT CKSLCMSDProvider::GetBasePeakChromatogram(IDispatch* pidCM)
{
    return ChromatogramToObject(Measure::BasePeak, pidCM);
}

HRESULT CKSLCMSDProvider::GetTICDirect(ULONG_PTR piCM)
{
    return ChromatogramToDirect(Measure::Total, piCM);
}

HRESULT CKSLCMSDProvider::GetBasePeakChromatogramDirect(ULONG_PTR piCM)
{
    return ChromatogramToDirect(Measure::BasePeak, piCM);
}

// Not offered: E_POINTER for a null object, else E_ACCESSDENIED.

HRESULT CKSLCMSDProvider::GetAuxiliarySpectrum(LONG, IDispatch* pidMS)
{
    return pidMS ? E_ACCESSDENIED : E_POINTER;
}

HRESULT CKSLCMSDProvider::GetAuxiliarySpectrumRange(LONG, LONG, IDispatch* pidMS)
{
    return pidMS ? E_ACCESSDENIED : E_POINTER;
}

HRESULT CKSLCMSDProvider::GetTrace(LONG, IDispatch* pidCM)
{
    return pidCM ? E_ACCESSDENIED : E_POINTER;
}

HRESULT CKSLCMSDProvider::GetAuxiliarySpectrumDirect(LONG, ULONG_PTR piMS)
{
    return piMS ? E_ACCESSDENIED : E_POINTER;
}

HRESULT CKSLCMSDProvider::GetAuxiliarySpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS)
{
    return piMS ? E_ACCESSDENIED : E_POINTER;
}

HRESULT CKSLCMSDProvider::GetTraceDirect(LONG, ULONG_PTR piCM)
{
    return piCM ? E_ACCESSDENIED : E_POINTER;
}

HRESULT CKSLCMSDProvider::GetDependentSpectrum(LONG, LONG, IDispatch* pidMS)
{
    return pidMS ? E_ACCESSDENIED : E_POINTER;
}
