#include "kstavrionprovider.h"

#include <new>

#include "coadd.h"
#include "kscomptr.h"
#include "ksconvert.h"
#include "kshandles.h"
#include "ksnothrow.h"
#include "readersettings.h"
#include "tavrionbrowse.h"

namespace {

const wchar_t kClassID[] = L"{4696FE7A-939D-4556-97AD-1641B42E7FC4}";
// Scan ranges are co-added within this many daltons.
const double kCoAddTolerance = 0.1;

// What IKSScanInfoProvider answers whatever is open.
constexpr double kScanStartMass = 100.0;
constexpr double kScanEndMass = 1000.0;

template <class T>
HRESULT setValue(T* out, T value)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

}  // namespace

KS_DISPATCH_TABLE(IKSTavrionProvider)
{
    static const ks::DispTable table{};
    return table;
}

KS_DISPATCH_TABLE(IKSTavrionDataset)
{
    static const ks::DispTable table{{
        ks::dispGet(L"IsZoomScan", 1, &IKSTavrionDataset::get_IsZoomScan, {VT_EMPTY, VT_BOOL}),
        ks::dispGet(L"IsFullScan", 2, &IKSTavrionDataset::get_IsFullScan, {VT_EMPTY, VT_BOOL}),
        ks::dispGet(L"IsDependentScan", 3, &IKSTavrionDataset::get_IsDependentScan, {VT_EMPTY, VT_BOOL}),
    }};
    return table;
}

CKSTavrionProvider::CKSTavrionProvider()
{
    m_strClassID = kClassID;
    m_strClassName = PROGID_KSTavrionProvider;
    m_strCopyright = L"Copyright (c) Kestrom, Inc.";
    m_strMenuName = L"Tavrion";
    m_strSupplier = L"Kestrom, Inc.";
    m_strVersion = L"1.00";
    m_lProviderFlags = MSDatasetReader;
    m_strDataServerClassID = L"{099490ff-078b-4806-8540-262e686f6e3d}";
    m_strFilterString = L"Corvane Tavrion (*.raw)";
    AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
}

CKSTavrionProvider::~CKSTavrionProvider() = default;

// ---------------------------------------------------------------------------
// Dataset reader. Every interface member runs behind ks::noThrow: an
// exception (a failed allocation, a dialog that throws) answers
// E_OUTOFMEMORY or E_FAIL and never reaches the caller.

HRESULT CKSTavrionProvider::OpenDataset(const std::wstring& dataSource, IKSMSDataset** ppiDS)
{
    if (!m_IO.OpenDataSource(dataSource)) {
        m_IO.Close();
        return E_ACCESSDENIED;
    }
    const HRESULT hr = QueryInterface(IID_IKSMSDataset, reinterpret_cast<void**>(ppiDS));
    if (FAILED(hr)) {
        *ppiDS = nullptr;
        m_IO.Close();
        return hr;
    }
    m_strPath = m_IO.GetPath();
    m_strDescription = m_IO.GetDataSource();
    // The file itself is remembered: the next dialog starts in its folder.
    WriteSourcePath(m_strClassID, m_strPath);
    return S_OK;
}

HRESULT CKSTavrionProvider::ReadDatasetInteractive(IKSMSDataset** ppiDS)
{
    return ks::noThrow([&] {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        std::wstring start;
        ReadSourcePath(m_strClassID, start);
        if (start.empty())
            start = m_strPath;
        std::wstring source;
        if (!BrowseTavrionFile(start, source))
            return E_ABORT;
        return OpenDataset(source, ppiDS);
    }, ppiDS);
}

HRESULT CKSTavrionProvider::ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS)
{
    return ks::noThrow([&] {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        return OpenDataset(ks::textOf(dataSource), ppiDS);
    }, ppiDS);
}

HRESULT CKSTavrionProvider::get_DataSourceDescription(BSTR* pDescription)
{
    return ks::noThrow([&] {
        return ks::copyTextOut(m_strDescription, pDescription);
    }, pDescription);
}

// ---------------------------------------------------------------------------
// Dataset: the raw file the last dataset read opened.

HRESULT CKSTavrionProvider::get_HasTIC(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        if (!pHas)
            return E_POINTER;
        return ks::setOut(pHas, m_IO.HasChromatogram(kTavrionChroTIC));
    });
}

HRESULT CKSTavrionProvider::get_HasBaseSpectra(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, m_IO.IsOpen() && m_IO.ScanCount() >= 1);
    });
}

HRESULT CKSTavrionProvider::get_HasAuxiliarySpectra(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, false);
    });
}

HRESULT CKSTavrionProvider::get_SupportsMassChromatograms(VARIANT_BOOL* pSupports)
{
    return ks::noThrow([&] {
        return get_HasTIC(pSupports);
    });
}

HRESULT CKSTavrionProvider::get_HasTraces(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, m_IO.ChannelCount() > 0);
    });
}

HRESULT CKSTavrionProvider::get_BaseSpectrumCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, m_IO.ScanCount());
    });
}

HRESULT CKSTavrionProvider::get_AuxiliarySpectrumCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, 0);
    });
}

HRESULT CKSTavrionProvider::get_TraceCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, static_cast<LONG>(m_IO.ChannelCount()));
    });
}

HRESULT CKSTavrionProvider::ReadScans(LONG start, LONG end, CMassSpectrum& spectrum)
{
    if (start < 1 || end < start || end > m_IO.ScanCount())
        return E_INVALIDARG;
    // Whatever the cause, a read that fails answers as out of memory.
    if (!m_IO.ReadSpectrum(start, spectrum))
        return E_OUTOFMEMORY;
    if (end > start) {
        const double startTime = spectrum.GetStartRT();
        double endTime = startTime;
        LONG previous = start;
        for (LONG scan = start + 1; scan <= end; ++scan) {
            CMassSpectrum next;
            if (!m_IO.ReadNextSpectrum(previous, next))
                return E_OUTOFMEMORY;
            CoAddSpectra(true, kCoAddTolerance, next, spectrum);
            endTime = next.GetStartRT();
            previous = next.GetFirstScan();
        }
        spectrum.SetFirstScan(start);
        spectrum.SetLastScan(end);
        spectrum.SetStartRT(startTime);
        spectrum.SetEndRT(endTime);
        m_strPath = m_IO.GetPath();
    }
    m_strDescription = m_IO.GetDataSource();
    return S_OK;
}

template <class Read>
HRESULT CKSTavrionProvider::ToObject(IDispatch* object, Read read)
{
    ks::ComPtr<IKSMassSpectrum3> target;
    HRESULT hr = QuerySpectrumObject(object, target);
    if (FAILED(hr))
        return hr;
    CMassSpectrum spectrum;
    hr = read(spectrum);
    return FAILED(hr) ? hr : SpectrumToObject(spectrum, target.get());
}

template <class Read>
HRESULT CKSTavrionProvider::ToDirect(ULONG_PTR address, Read read)
{
    CKSMassSpectrum* handle = DirectSpectrumOf(address);
    if (!handle)
        return E_POINTER;
    CMassSpectrum spectrum;
    const HRESULT hr = read(spectrum);
    return FAILED(hr) ? hr : CopySpectrumToDirect(spectrum, *handle);
}

HRESULT CKSTavrionProvider::GetBaseSpectrum(LONG Index, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return ToObject(pidMS, [&](CMassSpectrum& s) { return ReadScans(Index, Index, s); });
    });
}

HRESULT CKSTavrionProvider::GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return ToObject(pidMS, [&](CMassSpectrum& s) { return ReadScans(scanStart, scanEnd, s); });
    });
}

HRESULT CKSTavrionProvider::GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return ToDirect(piMS, [&](CMassSpectrum& s) { return ReadScans(Index, Index, s); });
    });
}

HRESULT CKSTavrionProvider::GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return ToDirect(piMS, [&](CMassSpectrum& s) { return ReadScans(scanStart, scanEnd, s); });
    });
}

// ---------------------------------------------------------------------------
// Chromatograms and traces, as x/y spectra.

template <class Read>
HRESULT CKSTavrionProvider::TraceToObject(IDispatch* object, Read read)
{
    ks::ComPtr<IKSMassSpectrum3> target;
    const HRESULT hr = QuerySpectrumObject(object, target);
    if (FAILED(hr))
        return hr;
    CMassSpectrum trace;
    if (!read(trace))
        return E_OUTOFMEMORY;
    m_strDescription = m_IO.GetDataSource();
    return PointsToSpectrumObject(target.get(), trace.GetCount(), trace.Masses(), trace.Intensities());
}

template <class Read>
HRESULT CKSTavrionProvider::TraceToDirect(ULONG_PTR address, Read read)
{
    CKSMassSpectrum* handle = DirectSpectrumOf(address);
    if (!handle)
        return E_POINTER;
    CMassSpectrum trace;
    if (!read(trace))
        return E_OUTOFMEMORY;
    m_strDescription = m_IO.GetDataSource();
    return PointsToSpectrumDirect(*handle, trace.GetCount(), trace.Masses(), trace.Intensities());
}

HRESULT CKSTavrionProvider::GetTIC(IDispatch* pidCM)
{
    return ks::noThrow([&] {
        return TraceToObject(pidCM,
                             [&](CMassSpectrum& t) { return m_IO.ReadControllerTrace(0, 1, kTavrionChroTIC, t); });
    });
}

HRESULT CKSTavrionProvider::GetTICDirect(ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        return TraceToDirect(piCM,
                             [&](CMassSpectrum& t) { return m_IO.ReadControllerTrace(0, 1, kTavrionChroTIC, t); });
    });
}

HRESULT CKSTavrionProvider::GetBasePeakChromatogram(IDispatch* pidCM)
{
    return ks::noThrow([&] {
        return TraceToObject(pidCM,
                             [&](CMassSpectrum& t) { return m_IO.ReadControllerTrace(0, 1, kTavrionChroBasePeak, t); });
    });
}

HRESULT CKSTavrionProvider::GetBasePeakChromatogramDirect(ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        return TraceToDirect(piCM,
                             [&](CMassSpectrum& t) { return m_IO.ReadControllerTrace(0, 1, kTavrionChroBasePeak, t); });
    });
}

HRESULT CKSTavrionProvider::GetTrace(LONG Index, IDispatch* pidCM)
{
    return ks::noThrow([&] {
        return TraceToObject(pidCM, [&](CMassSpectrum& t) { return m_IO.ReadChannelTrace(Index, t); });
    });
}

HRESULT CKSTavrionProvider::GetTraceDirect(LONG Index, ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        return TraceToDirect(piCM, [&](CMassSpectrum& t) { return m_IO.ReadChannelTrace(Index, t); });
    });
}

// Not offered.

HRESULT CKSTavrionProvider::GetAuxiliarySpectrum(LONG, IDispatch* pidMS)
{
    return pidMS ? E_NOTIMPL : E_POINTER;
}

HRESULT CKSTavrionProvider::GetAuxiliarySpectrumRange(LONG, LONG, IDispatch* pidMS)
{
    return pidMS ? E_NOTIMPL : E_POINTER;
}

HRESULT CKSTavrionProvider::GetAuxiliarySpectrumDirect(LONG, ULONG_PTR piMS)
{
    return piMS ? E_NOTIMPL : E_POINTER;
}

HRESULT CKSTavrionProvider::GetAuxiliarySpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS)
{
    return piMS ? E_NOTIMPL : E_POINTER;
}

// ---------------------------------------------------------------------------
// Scan types

template <class Test>
HRESULT CKSTavrionProvider::ScanType(LONG index, VARIANT_BOOL* pResult, Test test)
{
    if (!pResult)
        return E_POINTER;
    *pResult = VARIANT_FALSE;
    if (index < 1 || index > m_IO.ScanCount())
        return E_INVALIDARG;
    *pResult = test(index) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CKSTavrionProvider::get_IsZoomScan(LONG index, VARIANT_BOOL* pResult)
{
    return ks::noThrow([&] {
        return ScanType(index, pResult, [&](LONG scan) { return m_IO.IsZoomScan(scan); });
    });
}

HRESULT CKSTavrionProvider::get_IsFullScan(LONG index, VARIANT_BOOL* pResult)
{
    return ks::noThrow([&] {
        return ScanType(index, pResult, [&](LONG scan) { return m_IO.IsFullScan(scan); });
    });
}

HRESULT CKSTavrionProvider::get_IsDependentScan(LONG index, VARIANT_BOOL* pResult)
{
    return ks::noThrow([&] {
        return ScanType(index, pResult, [&](LONG scan) { return m_IO.IsDependentScan(scan); });
    });
}

// ---------------------------------------------------------------------------
// Scan information

HRESULT CKSTavrionProvider::GetScanType(DatasetScanInfoType* pType)
{
    return setValue(pType, DatasetScanInfoTypeLinear);
}

HRESULT CKSTavrionProvider::GetScanTime(double* pTime)
{
    return setValue(pTime, 0.0);
}

HRESULT CKSTavrionProvider::GetScanStartMass(double* pMass)
{
    return setValue(pMass, kScanStartMass);
}

HRESULT CKSTavrionProvider::GetScanEndMass(double* pMass)
{
    return setValue(pMass, kScanEndMass);
}

HRESULT CKSTavrionProvider::GetInterscanTime(double* pTime)
{
    return setValue(pTime, 0.0);
}
