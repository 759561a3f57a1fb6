#include "ksbrukerprovider.h"

#include <new>
#include <vector>

#include "brukerbrowse.h"
#include "coadd.h"
#include "kscomptr.h"
#include "ksconvert.h"
#include "ksnothrow.h"
#include "kshandles.h"
#include "massspectrum.h"
#include "readersettings.h"

namespace {

const wchar_t kClassID[] = L"{6A3CE9D2-0A56-11d4-9BB7-00D0B7069669}";
// Scan ranges are co-added within this many daltons.
const double kCoAddTolerance = 0.1;
// The services read scan 1 of a data source.
const wchar_t kFirstScan[] = L"1";

}  // namespace

KS_DISPATCH_TABLE(IKSBrukerProvider)
{
    static const ks::DispTable table{};
    return table;
}

CKSBrukerProvider::CKSBrukerProvider()
{
    m_strClassID = kClassID;
    m_strClassName = PROGID_KSBrukerProvider;
    m_strCopyright = L"Copyright (c) Kestrom, Inc.";
    m_strMenuName = L"Bruker XMASS";
    m_strSupplier = L"Kestrom, Inc.";
    m_strVersion = L"1.00";
    m_lProviderFlags = SpectrumReader | MSDatasetReader;
    m_strDataServerClassID = L"{ccd1e475-68e1-456e-8577-ada7ad45d93a}";
    m_strFilterString = L"Bruker XMass (fid)";
    AddService(L"KSSpectrumReader", IID_IKSSpectrumReader2);
    AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
}

CKSBrukerProvider::~CKSBrukerProvider() = default;

// A successful read: Path and the description follow it, and its dataset
// folder is where the next browse dialog starts.
void CKSBrukerProvider::Remember(const CBrukerDataIO& read)
{
    try {
        m_strPath = read.GetDatasetFolder();
        m_strDescription = read.GetDataSource();
        WriteSourcePath(m_strClassID, m_strPath);
    } catch (const std::bad_alloc&) {
    }
}

std::wstring CKSBrukerProvider::StartFolder()
{
    std::wstring start;
    ReadSourcePath(m_strClassID, start);
    return start.empty() ? m_strPath : start;
}

HRESULT CKSBrukerProvider::BrowseSpectrum(std::wstring& dataSource, std::wstring& scanText)
{
    CBrukerBrowse browse;
    return browse.BrowseSpectrum(StartFolder(), dataSource, scanText) ? S_OK : E_ABORT;
}

template <class Fill>
HRESULT CKSBrukerProvider::ReadFromSource(const std::wstring& dataSource, const std::wstring& scanText, Fill fill)
{
    CMassSpectrum spectrum;
    // A reader of its own: the experiment open for the dataset this
    // provider handed out stays open and unchanged. Whatever the cause
    // (not accepted, missing, damaged), a failed read answers as out of
    // memory.
    CBrukerDataIO reader;
    if (!reader.ReadSpectrumFromSource(dataSource, scanText, spectrum))
        return E_OUTOFMEMORY;
    const HRESULT hr = fill(spectrum);
    if (FAILED(hr))
        return hr;
    Remember(reader);
    return S_OK;
}

// ---------------------------------------------------------------------------
// Spectrum reader. Every interface member runs behind ks::noThrow: an
// exception (a failed allocation, a dialog that throws) answers
// E_OUTOFMEMORY or E_FAIL and never reaches the caller.

HRESULT CKSBrukerProvider::ReadSpectrumInteractive(IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        HRESULT hr = QuerySpectrumObject(piMS, target);
        if (FAILED(hr))
            return hr;
        std::wstring source, scan;
        hr = BrowseSpectrum(source, scan);
        if (FAILED(hr))
            return hr;
        return ReadFromSource(source, scan,
                              [&](const CMassSpectrum& s) { return SpectrumToObject(s, target.get()); });
    });
}

HRESULT CKSBrukerProvider::ReadSpectrum(BSTR dataSource, IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        const HRESULT hr = QuerySpectrumObject(piMS, target);
        if (FAILED(hr))
            return hr;
        return ReadFromSource(ks::textOf(dataSource), kFirstScan,
                              [&](const CMassSpectrum& s) { return SpectrumToObject(s, target.get()); });
    });
}

HRESULT CKSBrukerProvider::get_DataSourceDescription(BSTR* pDescription)
{
    return ks::noThrow([&] {
        return ks::copyTextOut(m_strDescription, pDescription);
    }, pDescription);
}

HRESULT CKSBrukerProvider::ReadSpectrumInteractiveDirect(ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        std::wstring source, scan;
        const HRESULT hr = BrowseSpectrum(source, scan);
        if (FAILED(hr))
            return hr;
        return ReadFromSource(source, scan,
                              [&](const CMassSpectrum& s) { return CopySpectrumToDirect(s, *handle); });
    });
}

HRESULT CKSBrukerProvider::ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        return ReadFromSource(ks::textOf(dataSource), kFirstScan,
                              [&](const CMassSpectrum& s) { return CopySpectrumToDirect(s, *handle); });
    });
}

// ---------------------------------------------------------------------------
// Dataset reader

HRESULT CKSBrukerProvider::OpenDataset(const std::wstring& dataSource, IKSMSDataset** ppiDS)
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
    Remember(m_IO);
    return S_OK;
}

HRESULT CKSBrukerProvider::ReadDatasetInteractive(IKSMSDataset** ppiDS)
{
    return ks::noThrow([&] {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        CBrukerBrowse browse;
        std::wstring source;
        if (!browse.BrowseDataset(StartFolder(), source))
            return E_ABORT;
        return OpenDataset(source, ppiDS);
    }, ppiDS);
}

HRESULT CKSBrukerProvider::ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS)
{
    return ks::noThrow([&] {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        return OpenDataset(ks::textOf(dataSource), ppiDS);
    }, ppiDS);
}

// ---------------------------------------------------------------------------
// Dataset: the experiment the last dataset read opened, scans from 1.

HRESULT CKSBrukerProvider::get_HasTIC(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, m_IO.IsOpen());
    });
}

HRESULT CKSBrukerProvider::get_HasBaseSpectra(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, false);
    });
}

HRESULT CKSBrukerProvider::get_HasAuxiliarySpectra(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, false);
    });
}

HRESULT CKSBrukerProvider::get_SupportsMassChromatograms(VARIANT_BOOL* pSupports)
{
    return ks::noThrow([&] {
        return ks::setOut(pSupports, false);
    });
}

HRESULT CKSBrukerProvider::get_HasTraces(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, false);
    });
}

HRESULT CKSBrukerProvider::get_BaseSpectrumCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, m_IO.ScanCount());
    });
}

HRESULT CKSBrukerProvider::get_AuxiliarySpectrumCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, 0);
    });
}

HRESULT CKSBrukerProvider::get_TraceCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, 0);
    });
}

// E_INVALIDARG unless 1 <= first <= last <= the scan count; E_OUTOFMEMORY
// when a scan cannot be read.
HRESULT CKSBrukerProvider::ReadScans(LONG first, LONG last, CMassSpectrum& spectrum)
{
    if (first < 1 || first > last || last > m_IO.ScanCount())
        return E_INVALIDARG;
    if (!m_IO.GetCalibratedSpectrum(first, spectrum))
        return E_OUTOFMEMORY;
    if (last > first) {
        CMassSpectrum next;
        for (LONG scan = first + 1; scan <= last; ++scan) {
            if (!m_IO.GetCalibratedSpectrum(scan, next))
                return E_OUTOFMEMORY;
            CoAddSpectra(true, kCoAddTolerance, next, spectrum);
        }
        spectrum.SetFirstScan(first);
        spectrum.SetLastScan(last);
        spectrum.SetEndRT(next.GetStartRT());
    }
    m_strDescription = m_IO.GetDataSource();
    return S_OK;
}

HRESULT CKSBrukerProvider::GetBaseSpectrum(LONG Index, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return GetBaseSpectrumRange(Index, Index, pidMS);
    });
}

HRESULT CKSBrukerProvider::GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        HRESULT hr = QuerySpectrumObject(pidMS, target);
        if (FAILED(hr))
            return hr;
        CMassSpectrum spectrum;
        hr = ReadScans(scanStart, scanEnd, spectrum);
        return FAILED(hr) ? hr : SpectrumToObject(spectrum, target.get());
    });
}

HRESULT CKSBrukerProvider::GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return GetBaseSpectrumRangeDirect(Index, Index, piMS);
    });
}

HRESULT CKSBrukerProvider::GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        CMassSpectrum spectrum;
        const HRESULT hr = ReadScans(scanStart, scanEnd, spectrum);
        return FAILED(hr) ? hr : CopySpectrumToDirect(spectrum, *handle);
    });
}

// Start times as masses, total intensities as intensities, a profile.
// Nothing open, or a scan that cannot be read, is a failure (E_FAIL).
template <class Write>
HRESULT CKSBrukerProvider::WriteTIC(Write write)
{
    LONG count = 0;
    std::vector<double> times, intensities;
    if (!m_IO.TIC(count, times, intensities))
        return E_FAIL;
    const HRESULT hr = write(count, times.data(), intensities.data());
    if (FAILED(hr))
        return hr;
    m_strDescription = m_IO.GetDataSource();
    return S_OK;
}

HRESULT CKSBrukerProvider::GetTIC(IDispatch* pidCM)
{
    return ks::noThrow([&] {
        if (!pidCM)
            return E_POINTER;
        ks::ComPtr<IKSMassSpectrum> target;
        const HRESULT hr = pidCM->QueryInterface(IID_IKSMassSpectrum, reinterpret_cast<void**>(&target));
        if (FAILED(hr))
            return hr;
        return WriteTIC([&](LONG count, const double* times, const double* intensities) {
            return PointsToSpectrumObject(target.get(), count, times, intensities);
        });
    });
}

HRESULT CKSBrukerProvider::GetTICDirect(ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piCM);
        if (!handle)
            return E_POINTER;
        return WriteTIC([&](LONG count, const double* times, const double* intensities) {
            return PointsToSpectrumDirect(*handle, count, times, intensities);
        });
    });
}

// Not offered.

HRESULT CKSBrukerProvider::GetAuxiliarySpectrum(LONG, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return pidMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSBrukerProvider::GetAuxiliarySpectrumRange(LONG, LONG, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return pidMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSBrukerProvider::GetTrace(LONG, IDispatch* pidCM)
{
    return ks::noThrow([&] {
        return pidCM ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSBrukerProvider::GetBasePeakChromatogram(IDispatch* pidCM)
{
    return ks::noThrow([&] {
        return pidCM ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSBrukerProvider::GetAuxiliarySpectrumDirect(LONG, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return piMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSBrukerProvider::GetAuxiliarySpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return piMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSBrukerProvider::GetTraceDirect(LONG, ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        return piCM ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSBrukerProvider::GetBasePeakChromatogramDirect(ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        return piCM ? E_NOTIMPL : E_POINTER;
    });
}
