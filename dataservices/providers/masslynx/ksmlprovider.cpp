#include "ksmlprovider.h"

#include "coadd.h"
#include "kscomptr.h"
#include "ksconvert.h"
#include "kshandles.h"
#include "ksnothrow.h"
#include "masslynxbrowse.h"
#include "masslynxformat.h"
#include "readersettings.h"

namespace {

const wchar_t kClassID[] = L"{68A5DFF5-D9A4-11D3-9B79-00D0B7069669}";
// Scan ranges are co-added within this many daltons.
constexpr double kCoAddTolerance = 0.1;

template <class T>
HRESULT setValue(T* out, T value)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

}  // namespace

KS_DISPATCH_TABLE(IKSMLProvider)
{
    static const ks::DispTable table{};
    return table;
}

CKSMLProvider::CKSMLProvider()
{
    m_strClassID = kClassID;
    m_strClassName = PROGID_KSMLProvider;
    m_strCopyright = L"Copyright (c) Kestrom, Inc.";
    m_strMenuName = L"MassLynx";
    m_strSupplier = L"Kestrom, Inc.";
    m_strVersion = L"1.00";
    m_lProviderFlags = SpectrumReader | MSDatasetReader;
    m_strDataServerClassID = L"{9e2ea952-4c83-489b-8e0b-a0ffedd70ca2}";
    m_strFilterString = L"Waters MassLynx (*.dat *.idx *.inf)";
    AddService(L"KSSpectrumReader", IID_IKSSpectrumReader2);
    AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
}

CKSMLProvider::~CKSMLProvider() = default;

std::wstring CKSMLProvider::StartPath()
{
    std::wstring start;
    ReadSourcePath(m_strClassID, start);
    return start.empty() ? m_strPath : start;
}

// ---------------------------------------------------------------------------
// Spectrum reader. Every interface member runs behind ks::noThrow.

template <class Fill>
HRESULT CKSMLProvider::ReadInto(const std::wstring& dataSource, const std::wstring& scanText, bool interactive,
                                Fill fill)
{
    CMassSpectrum spectrum;
    std::wstring functionName;
    if (!m_IO.ReadSpectrumFromDataSource(dataSource, scanText, spectrum, functionName))
        return E_OUTOFMEMORY;
    const HRESULT hr = fill(spectrum);
    if (FAILED(hr))
        return hr;
    m_strPath = m_IO.GetPath();
    m_strDescription = m_IO.GetDataSource() + L"; " + scanText;
    if (interactive)
        WriteSourcePath(m_strClassID, m_strPath);
    return S_OK;
}

namespace {

// The scan a non-interactive read names: the data source's own scan-text
// field, scan 1 without one.
std::wstring ScanTextOf(const std::wstring& dataSource)
{
    std::wstring path, scanText;
    LONG function = 0;
    if (ParseMassLynxDataSource(dataSource, path, function, scanText) && !scanText.empty())
        return scanText;
    return MakeScanText(1, false);
}

// The data-source string without a scan-text field: what the IO opens.
std::wstring FunctionSourceOf(const std::wstring& dataSource)
{
    std::wstring path, scanText;
    LONG function = 0;
    if (!ParseMassLynxDataSource(dataSource, path, function, scanText))
        return dataSource;
    return MakeMassLynxDataSource(path, function);
}

}  // namespace

HRESULT CKSMLProvider::ReadSpectrumInteractive(IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        HRESULT hr = QuerySpectrumObject(piMS, target);
        if (FAILED(hr))
            return hr;
        std::wstring dataSource, scanText;
        CMassLynxBrowse browse;
        if (!browse.BrowseSpectrum(StartPath(), dataSource, scanText))
            return E_ABORT;
        return ReadInto(dataSource, scanText, true,
                        [&](const CMassSpectrum& s) { return SpectrumToObject(s, target.get()); });
    });
}

HRESULT CKSMLProvider::ReadSpectrumInteractiveDirect(ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        std::wstring dataSource, scanText;
        CMassLynxBrowse browse;
        if (!browse.BrowseSpectrum(StartPath(), dataSource, scanText))
            return E_ABORT;
        return ReadInto(dataSource, scanText, true,
                        [&](const CMassSpectrum& s) { return CopySpectrumToDirect(s, *handle); });
    });
}

HRESULT CKSMLProvider::ReadSpectrum(BSTR dataSource, IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        const HRESULT hr = QuerySpectrumObject(piMS, target);
        if (FAILED(hr))
            return hr;
        const std::wstring source = ks::textOf(dataSource);
        return ReadInto(FunctionSourceOf(source), ScanTextOf(source), false,
                        [&](const CMassSpectrum& s) { return SpectrumToObject(s, target.get()); });
    });
}

HRESULT CKSMLProvider::ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        const std::wstring source = ks::textOf(dataSource);
        return ReadInto(FunctionSourceOf(source), ScanTextOf(source), false,
                        [&](const CMassSpectrum& s) { return CopySpectrumToDirect(s, *handle); });
    });
}

HRESULT CKSMLProvider::get_DataSourceDescription(BSTR* pDescription)
{
    return ks::noThrow([&] { return ks::copyTextOut(m_strDescription, pDescription); }, pDescription);
}

// ---------------------------------------------------------------------------
// Dataset reader

HRESULT CKSMLProvider::OpenDataset(const std::wstring& dataSource, IKSMSDataset** ppiDS)
{
    if (!m_IO.OpenDataSource(dataSource))
        return E_ACCESSDENIED;
    const HRESULT hr = QueryInterface(IID_IKSMSDataset, reinterpret_cast<void**>(ppiDS));
    if (FAILED(hr)) {
        *ppiDS = nullptr;
        return hr;
    }
    m_strDescription = m_IO.GetDataSource();
    m_strPath = m_IO.GetPath();
    WriteSourcePath(m_strClassID, m_strPath);
    return S_OK;
}

HRESULT CKSMLProvider::ReadDatasetInteractive(IKSMSDataset** ppiDS)
{
    return ks::noThrow(
        [&] {
            if (!ppiDS)
                return E_POINTER;
            *ppiDS = nullptr;
            std::wstring dataSource;
            CMassLynxBrowse browse;
            if (!browse.BrowseDataset(StartPath(), dataSource))
                return E_FAIL;
            return OpenDataset(dataSource, ppiDS);
        },
        ppiDS);
}

HRESULT CKSMLProvider::ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS)
{
    return ks::noThrow(
        [&] {
            if (!ppiDS)
                return E_POINTER;
            *ppiDS = nullptr;
            return OpenDataset(ks::textOf(dataSource), ppiDS);
        },
        ppiDS);
}

// ---------------------------------------------------------------------------
// Dataset: the current function of the raw directory opened last.

HRESULT CKSMLProvider::get_HasTIC(VARIANT_BOOL* pHas)
{
    return ks::setOut(pHas, true);
}

HRESULT CKSMLProvider::get_HasBaseSpectra(VARIANT_BOOL* pHas)
{
    return ks::setOut(pHas, false);
}

HRESULT CKSMLProvider::get_HasAuxiliarySpectra(VARIANT_BOOL* pHas)
{
    return ks::setOut(pHas, false);
}

HRESULT CKSMLProvider::get_SupportsMassChromatograms(VARIANT_BOOL* pSupports)
{
    return ks::setOut(pSupports, false);
}

HRESULT CKSMLProvider::get_HasTraces(VARIANT_BOOL* pHas)
{
    return ks::setOut(pHas, false);
}

HRESULT CKSMLProvider::get_BaseSpectrumCount(LONG* pCount)
{
    return ks::setOut(pCount, m_IO.GetScanCount());
}

HRESULT CKSMLProvider::get_AuxiliarySpectrumCount(LONG* pCount)
{
    return ks::setOut(pCount, 0);
}

HRESULT CKSMLProvider::get_TraceCount(LONG* pCount)
{
    return ks::setOut(pCount, m_IO.GetTraceCount());
}

HRESULT CKSMLProvider::ReadScans(LONG start, LONG end, CMassSpectrum& spectrum)
{
    const LONG count = m_IO.GetScanCount();
    if (start < 1 || end < start || start > count || end > count)
        return E_INVALIDARG;
    // Whatever the cause, a read that fails answers as out of memory.
    if (!m_IO.ReadSpectrum(start, spectrum))
        return E_OUTOFMEMORY;
    if (end > start) {
        const double startTime = spectrum.GetStartRT();
        double endTime = startTime;
        for (LONG scan = start + 1; scan <= end; ++scan) {
            CMassSpectrum next;
            if (!m_IO.ReadSpectrum(scan, next))
                return E_OUTOFMEMORY;
            CoAddSpectra(true, kCoAddTolerance, next, spectrum);
            endTime = next.GetStartRT();
        }
        spectrum.SetFirstScan(start);
        spectrum.SetLastScan(end);
        spectrum.SetStartRT(startTime);
        spectrum.SetEndRT(endTime);
    }
    return S_OK;
}

template <class Convert>
HRESULT CKSMLProvider::ScansInto(LONG start, LONG end, Convert convert)
{
    CMassSpectrum spectrum;
    HRESULT hr = ReadScans(start, end, spectrum);
    if (SUCCEEDED(hr))
        hr = convert(spectrum);
    if (FAILED(hr))
        return hr;
    // Only a spectrum the caller received names where it came from.
    m_strPath = m_IO.GetPath();
    m_strDescription = m_IO.GetDataSource();
    return S_OK;
}

HRESULT CKSMLProvider::ScansToObject(LONG start, LONG end, IDispatch* object)
{
    ks::ComPtr<IKSMassSpectrum3> target;
    const HRESULT hr = QuerySpectrumObject(object, target);
    if (FAILED(hr))
        return hr;
    return ScansInto(start, end, [&](const CMassSpectrum& s) { return SpectrumToObject(s, target.get()); });
}

HRESULT CKSMLProvider::ScansToDirect(LONG start, LONG end, ULONG_PTR address)
{
    CKSMassSpectrum* handle = DirectSpectrumOf(address);
    if (!handle)
        return E_POINTER;
    return ScansInto(start, end, [&](const CMassSpectrum& s) { return CopySpectrumToDirect(s, *handle); });
}

HRESULT CKSMLProvider::GetBaseSpectrum(LONG Index, IDispatch* pidMS)
{
    return ks::noThrow([&] { return ScansToObject(Index, Index, pidMS); });
}

HRESULT CKSMLProvider::GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS)
{
    return ks::noThrow([&] { return ScansToDirect(Index, Index, piMS); });
}

HRESULT CKSMLProvider::GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS)
{
    return ks::noThrow([&] { return ScansToObject(scanStart, scanEnd, pidMS); });
}

HRESULT CKSMLProvider::GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS)
{
    return ks::noThrow([&] { return ScansToDirect(scanStart, scanEnd, piMS); });
}

// ---------------------------------------------------------------------------
// Chromatograms and traces, carried by spectrum objects.

template <class Read>
HRESULT CKSMLProvider::ChromatogramToObject(IDispatch* object, Read read)
{
    if (!object)
        return E_POINTER;
    ks::ComPtr<IKSMassSpectrum> target;
    const HRESULT hr = object->QueryInterface(IID_IKSMassSpectrum, reinterpret_cast<void**>(&target));
    if (FAILED(hr))
        return hr;
    CChromatogram chromatogram;
    if (!read(chromatogram))
        return E_FAIL;
    const HRESULT converted = PointsToSpectrumObject(target.get(), chromatogram.GetCount(), chromatogram.Times(),
                                                     chromatogram.Intensities());
    if (SUCCEEDED(converted))
        m_strDescription = m_IO.GetDataSource();
    return converted;
}

template <class Read>
HRESULT CKSMLProvider::ChromatogramToDirect(ULONG_PTR address, Read read)
{
    CKSMassSpectrum* handle = DirectSpectrumOf(address);
    if (!handle)
        return E_POINTER;
    CChromatogram chromatogram;
    if (!read(chromatogram))
        return E_FAIL;
    const HRESULT converted =
        PointsToSpectrumDirect(*handle, chromatogram.GetCount(), chromatogram.Times(), chromatogram.Intensities());
    if (SUCCEEDED(converted))
        m_strDescription = m_IO.GetDataSource();
    return converted;
}

HRESULT CKSMLProvider::GetTIC(IDispatch* pidCM)
{
    return ks::noThrow(
        [&] { return ChromatogramToObject(pidCM, [&](CChromatogram& c) { return m_IO.ReadTIC(c); }); });
}

HRESULT CKSMLProvider::GetTICDirect(ULONG_PTR piCM)
{
    return ks::noThrow(
        [&] { return ChromatogramToDirect(piCM, [&](CChromatogram& c) { return m_IO.ReadTIC(c); }); });
}

HRESULT CKSMLProvider::GetTrace(LONG Index, IDispatch* pidCM)
{
    return ks::noThrow(
        [&] { return ChromatogramToObject(pidCM, [&](CChromatogram& c) { return m_IO.ReadTrace(Index, c); }); });
}

HRESULT CKSMLProvider::GetTraceDirect(LONG Index, ULONG_PTR piCM)
{
    return ks::noThrow(
        [&] { return ChromatogramToDirect(piCM, [&](CChromatogram& c) { return m_IO.ReadTrace(Index, c); }); });
}

// Not offered.

HRESULT CKSMLProvider::GetAuxiliarySpectrum(LONG, IDispatch* pidMS)
{
    return pidMS ? E_INVALIDARG : E_POINTER;
}

HRESULT CKSMLProvider::GetAuxiliarySpectrumDirect(LONG, ULONG_PTR piMS)
{
    return piMS ? E_INVALIDARG : E_POINTER;
}

HRESULT CKSMLProvider::GetAuxiliarySpectrumRange(LONG, LONG, IDispatch* pidMS)
{
    return pidMS ? E_NOTIMPL : E_POINTER;
}

HRESULT CKSMLProvider::GetAuxiliarySpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS)
{
    return piMS ? E_NOTIMPL : E_POINTER;
}

HRESULT CKSMLProvider::GetBasePeakChromatogram(IDispatch* pidCM)
{
    return pidCM ? E_NOTIMPL : E_POINTER;
}

HRESULT CKSMLProvider::GetBasePeakChromatogramDirect(ULONG_PTR piCM)
{
    return piCM ? E_NOTIMPL : E_POINTER;
}

// ---------------------------------------------------------------------------
// Scan information: nothing in a raw directory says scan or interscan
// times, so both are 0.0.

HRESULT CKSMLProvider::GetScanType(DatasetScanInfoType* pType)
{
    return setValue(pType, DatasetScanInfoTypeLinear);
}

HRESULT CKSMLProvider::GetScanTime(double* pTime)
{
    return setValue(pTime, 0.0);
}

HRESULT CKSMLProvider::GetScanStartMass(double* pMass)
{
    return setValue(pMass, 0.0);
}

HRESULT CKSMLProvider::GetScanEndMass(double* pMass)
{
    return setValue(pMass, 0.0);
}

HRESULT CKSMLProvider::GetInterscanTime(double* pTime)
{
    return setValue(pTime, 0.0);
}
