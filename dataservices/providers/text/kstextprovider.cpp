#include "kstextprovider.h"
#include "ksnothrow.h"

#include <new>

#include "kscomptr.h"
#include "ksconvert.h"
#include "kshandles.h"
#include "massspectrum.h"
#include "readersettings.h"
#include "textbrowse.h"

namespace {

const wchar_t kClassID[] = L"{127AC576-D36A-11D3-91D9-00400536072C}";

}  // namespace

KS_DISPATCH_TABLE(IKSTextProvider)
{
    static const ks::DispTable table{};
    return table;
}

CKSTextProvider::CKSTextProvider()
{
    m_strClassID = kClassID;
    m_strClassName = PROGID_KSTextProvider;
    m_strCopyright = L"Copyright (c) Kestrom, Inc.";
    m_strMenuName = L"Text File";
    m_strSupplier = L"Kestrom, Inc.";
    m_strVersion = L"1.00";
    m_lProviderFlags = SpectrumReader | SpectrumWriter;
    m_strDataServerClassID = L"{02a12d80-06f6-46b5-9617-577dd9d135e8}";
    AddService(L"KSSpectrumReader", IID_IKSSpectrumReader2);
    AddService(L"KSSpectrumWriter", IID_IKSSpectrumWriter2);
}

CKSTextProvider::~CKSTextProvider() = default;

// What a successful operation leaves behind: the description of the file
// and, where the operation says so, Path as its folder.
void CKSTextProvider::Succeeded(bool setPath)
{
    try {
        if (setPath)
            m_strPath = m_IO.GetFolder();
        m_strDescription = m_IO.GetDataSource();
    } catch (const std::bad_alloc&) {
    }
}

HRESULT CKSTextProvider::BrowseForSource(std::wstring& path)
{
    try {
        if (m_strPath.empty())
            ReadSourcePath(m_strClassID, m_strPath);
        CTextBrowse browse;
        return browse.BrowseSource(m_strPath, path) ? S_OK : E_ABORT;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// The start folder is kept apart from Path, so a cancelled dialog changes
// nothing at all.
HRESULT CKSTextProvider::BrowseForDestination(std::wstring& path)
{
    try {
        std::wstring start = m_strPath;
        if (start.empty())
            ReadDestinationPath(m_strClassID, start);
        CTextBrowse browse;
        return browse.BrowseDestination(start, path) ? S_OK : E_ABORT;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

template <class Fill>
HRESULT CKSTextProvider::ReadInto(const std::wstring& path, bool interactive, Fill fill)
{
    try {
        CMassSpectrum spectrum;
        // Whatever the cause (missing file, unreadable file), a failed read
        // answers as out of memory.
        if (!m_IO.ReadSpectrum(path, spectrum))
            return E_OUTOFMEMORY;
        const HRESULT hr = fill(spectrum);
        if (FAILED(hr))
            return hr;
        Succeeded(true);
        if (interactive)
            WriteSourcePath(m_strClassID, m_strPath);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

template <class Take>
HRESULT CKSTextProvider::WriteFrom(const std::wstring& path, bool interactive, Take take)
{
    try {
        CMassSpectrum spectrum;
        const HRESULT hr = take(spectrum);
        if (FAILED(hr))
            return hr;
        if (!m_IO.WriteSpectrum(path, spectrum))
            return STG_E_CANTSAVE;
        Succeeded(true);
        if (interactive)
            WriteDestinationPath(m_strClassID, m_strPath);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// ---------------------------------------------------------------------------
// Spectrum reader

HRESULT CKSTextProvider::ReadSpectrumInteractive(IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        HRESULT hr = QuerySpectrumObject(piMS, target);
        if (FAILED(hr))
            return hr;
        std::wstring path;
        hr = BrowseForSource(path);
        if (FAILED(hr))
            return hr;
        return ReadInto(path, true, [&](const CMassSpectrum& s) { return SpectrumToObject(s, target.get()); });
    });
}

HRESULT CKSTextProvider::ReadSpectrum(BSTR dataSource, IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        const HRESULT hr = QuerySpectrumObject(piMS, target);
        if (FAILED(hr))
            return hr;
        // A plain path: the data-source string is never parsed.
        return ReadInto(ks::textOf(dataSource), false,
                        [&](const CMassSpectrum& s) { return SpectrumToObject(s, target.get()); });
    });
}

HRESULT CKSTextProvider::get_DataSourceDescription(BSTR* pDescription)
{
    return ks::noThrow([&] {
        return ks::copyTextOut(m_strDescription, pDescription);
    }, pDescription);
}

HRESULT CKSTextProvider::ReadSpectrumInteractiveDirect(ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        std::wstring path;
        const HRESULT hr = BrowseForSource(path);
        if (FAILED(hr))
            return hr;
        return ReadInto(path, true, [&](const CMassSpectrum& s) { return CopySpectrumToDirect(s, *handle); });
    });
}

HRESULT CKSTextProvider::ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        return ReadInto(ks::textOf(dataSource), false,
                        [&](const CMassSpectrum& s) { return CopySpectrumToDirect(s, *handle); });
    });
}

// ---------------------------------------------------------------------------
// Spectrum writer

HRESULT CKSTextProvider::WriteSpectrumInteractive(IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> source;
        HRESULT hr = QuerySpectrumObject(piMS, source);
        if (FAILED(hr))
            return hr;
        std::wstring path;
        hr = BrowseForDestination(path);
        if (FAILED(hr))
            return hr;
        return WriteFrom(path, true, [&](CMassSpectrum& s) { return SpectrumFromObject(source.get(), s); });
    });
}

HRESULT CKSTextProvider::WriteSpectrum(BSTR dataSource, IDispatch* piMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> source;
        const HRESULT hr = QuerySpectrumObject(piMS, source);
        if (FAILED(hr))
            return hr;
        return WriteFrom(ks::textOf(dataSource), false,
                         [&](CMassSpectrum& s) { return SpectrumFromObject(source.get(), s); });
    });
}

HRESULT CKSTextProvider::put_DataSourceDescription(BSTR description)
{
    return ks::noThrow([&] {
        m_strDescription = ks::textOf(description);
        return S_OK;
    });
}

HRESULT CKSTextProvider::WriteSpectrumInteractiveDirect(ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        const CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        std::wstring path;
        const HRESULT hr = BrowseForDestination(path);
        if (FAILED(hr))
            return hr;
        return WriteFrom(path, true, [&](CMassSpectrum& s) { return CopySpectrumFromDirect(*handle, s); });
    });
}

HRESULT CKSTextProvider::WriteSpectrumDirect(BSTR dataSource, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        const CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        return WriteFrom(ks::textOf(dataSource), false,
                         [&](CMassSpectrum& s) { return CopySpectrumFromDirect(*handle, s); });
    });
}

// ---------------------------------------------------------------------------
// Dataset reader

HRESULT CKSTextProvider::ReadDatasetInteractive(IKSMSDataset** ppiDS)
{
    return ks::noThrow([&] {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        try {
            std::wstring start;
            ReadSourcePath(m_strClassID, start);
            if (start.empty())
                start = m_strPath;
            CTextBrowse browse;
            std::wstring path;
            if (!browse.BrowseSource(start, path))
                return E_FAIL;
            if (!m_IO.Open(path))
                return E_ACCESSDENIED;
            const HRESULT hr = QueryInterface(IID_IKSMSDataset, reinterpret_cast<void**>(ppiDS));
            if (FAILED(hr)) {
                *ppiDS = nullptr;
                m_IO.Close();
                return hr;
            }
            WriteSourcePath(m_strClassID, browse.GetFolder());
            m_strPath = browse.GetFolder();
            m_strDescription = m_IO.GetDataSource();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }, ppiDS);
}

// Opening a text dataset by name is not offered.
HRESULT CKSTextProvider::ReadDataset(BSTR, IKSMSDataset** ppiDS)
{
    return ks::noThrow([&] {
        if (!ppiDS)
            return E_POINTER;
        *ppiDS = nullptr;
        return E_FAIL;
    }, ppiDS);
}

// ---------------------------------------------------------------------------
// Dataset: the file ReadDatasetInteractive opened, spectra from 1.

HRESULT CKSTextProvider::get_HasTIC(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, m_IO.IsOpen());
    });
}

// The spectra are reached by index all the same.
HRESULT CKSTextProvider::get_HasBaseSpectra(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, false);
    });
}

HRESULT CKSTextProvider::get_HasAuxiliarySpectra(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, false);
    });
}

HRESULT CKSTextProvider::get_SupportsMassChromatograms(VARIANT_BOOL* pSupports)
{
    return ks::noThrow([&] {
        return ks::setOut(pSupports, false);
    });
}

HRESULT CKSTextProvider::get_HasTraces(VARIANT_BOOL* pHas)
{
    return ks::noThrow([&] {
        return ks::setOut(pHas, false);
    });
}

// 0 while no dataset file is open.
HRESULT CKSTextProvider::get_BaseSpectrumCount(LONG* pCount)
{
    return ks::noThrow([&] {
        if (!pCount)
            return E_POINTER;
        try {
            *pCount = m_IO.SpectrumCount();
        } catch (const std::bad_alloc&) {
            *pCount = 0;
            return E_OUTOFMEMORY;
        }
        return S_OK;
    });
}

HRESULT CKSTextProvider::get_AuxiliarySpectrumCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, 0);
    });
}

HRESULT CKSTextProvider::get_TraceCount(LONG* pCount)
{
    return ks::noThrow([&] {
        return ks::setOut(pCount, 0);
    });
}

HRESULT CKSTextProvider::ReadBaseSpectrum(LONG index, CMassSpectrum& spectrum)
{
    LONG count = 0;
    const HRESULT hr = get_BaseSpectrumCount(&count);
    if (FAILED(hr))
        return hr;
    if (index < 1 || index > count)
        return E_INVALIDARG;
    if (!m_IO.ReadDatasetSpectrum(index, spectrum))
        return E_OUTOFMEMORY;
    return S_OK;
}

HRESULT CKSTextProvider::GetBaseSpectrum(LONG Index, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        ks::ComPtr<IKSMassSpectrum3> target;
        HRESULT hr = QuerySpectrumObject(pidMS, target);
        if (FAILED(hr))
            return hr;
        try {
            CMassSpectrum spectrum;
            hr = ReadBaseSpectrum(Index, spectrum);
            if (FAILED(hr))
                return hr;
            hr = SpectrumToObject(spectrum, target.get());
            if (FAILED(hr))
                return hr;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        Succeeded(true);
        return S_OK;
    });
}

HRESULT CKSTextProvider::GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piMS);
        if (!handle)
            return E_POINTER;
        try {
            CMassSpectrum spectrum;
            HRESULT hr = ReadBaseSpectrum(Index, spectrum);
            if (FAILED(hr))
                return hr;
            hr = MoveSpectrumToDirect(spectrum, handle);
            if (FAILED(hr))
                return hr;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        Succeeded(true);
        return S_OK;
    });
}

// Retention times as masses, intensity sums as intensities, a profile.
HRESULT CKSTextProvider::GetTIC(IDispatch* pidCM)
{
    return ks::noThrow([&] {
        if (!pidCM)
            return E_POINTER;
        ks::ComPtr<IKSMassSpectrum> target;
        HRESULT hr = pidCM->QueryInterface(IID_IKSMassSpectrum, reinterpret_cast<void**>(&target));
        if (FAILED(hr))
            return hr;
        try {
            LONG count = 0;
            std::vector<double> times;
            std::vector<double> sums;
            if (!m_IO.ReadTIC(count, times, sums))
                return E_FAIL;
            hr = PointsToSpectrumObject(target.get(), count, times.data(), sums.data());
            if (FAILED(hr))
                return hr;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        Succeeded(false);
        return S_OK;
    });
}

HRESULT CKSTextProvider::GetTICDirect(ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        CKSMassSpectrum* handle = DirectSpectrumOf(piCM);
        if (!handle)
            return E_POINTER;
        try {
            LONG count = 0;
            std::vector<double> times;
            std::vector<double> sums;
            if (!m_IO.ReadTIC(count, times, sums))
                return E_FAIL;
            handle->SetCount(count);
            if (handle->GetCount() != count)
                return E_OUTOFMEMORY;
            if (count > 0) {
                handle->SetMasses(times.data());
                handle->SetIntensities(sums.data());
            }
            handle->SetCentroid(false);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        Succeeded(false);
        return S_OK;
    });
}

HRESULT CKSTextProvider::GetAuxiliarySpectrum(LONG, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return pidMS ? E_INVALIDARG : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetAuxiliarySpectrumDirect(LONG, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return piMS ? E_INVALIDARG : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetBaseSpectrumRange(LONG, LONG, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return pidMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetAuxiliarySpectrumRange(LONG, LONG, IDispatch* pidMS)
{
    return ks::noThrow([&] {
        return pidMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetTrace(LONG, IDispatch* pidCM)
{
    return ks::noThrow([&] {
        return pidCM ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetBasePeakChromatogram(IDispatch* pidCM)
{
    return ks::noThrow([&] {
        return pidCM ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetBaseSpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return piMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetAuxiliarySpectrumRangeDirect(LONG, LONG, ULONG_PTR piMS)
{
    return ks::noThrow([&] {
        return piMS ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetTraceDirect(LONG, ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        return piCM ? E_NOTIMPL : E_POINTER;
    });
}

HRESULT CKSTextProvider::GetBasePeakChromatogramDirect(ULONG_PTR piCM)
{
    return ks::noThrow([&] {
        return piCM ? E_NOTIMPL : E_POINTER;
    });
}
