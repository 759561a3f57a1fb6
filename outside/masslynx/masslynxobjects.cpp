// The seven reading classes of the MassLynx stand-in: each class answers
// from the manifest "_manifest.txt" of the raw directory it is given
// (masslynxmodel.h), the header class from the header file beside it,
// through the slots of masslynxclasses.h.
//
// Each object has a fault plan of its own. A member checks its out
// arguments first (E_POINTER); a member that takes a path then reads that
// directory's manifest (its faults apply from this call on); then the call
// counts in the plan (an injected failure answers there); then it answers.
// A directory without a manifest answers S_OK with status -1, a damaged
// manifest E_FAIL (the reason on standard error); what a later data call
// answers comes from the last successful read, and a read that finds
// nothing clears it.
#include "masslynxobjects.h"

#include <cstdio>
#include <memory>

#include "ksfiles.h"
#include "ksnothrow.h"
#include "ksregistrar.h"
#include "masslynxclasses.h"
#include "masslynxmodel.h"
#include "vkarray.h"
#include "vkfault.h"
#include "vkfolder.h"

KS_DISPATCH_TABLE(IMassLynxRawCheck)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Check", 1, &IMassLynxRawCheck::Check),
    }};
    return table;
}

KS_DISPATCH_TABLE(IMassLynxHeader)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Read", 1, &IMassLynxHeader::Read),
        ks::dispGet(L"Text", 2, &IMassLynxHeader::get_Text),
    }};
    return table;
}

KS_DISPATCH_TABLE(IMassLynxFunctionInfo)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"GetFunctionCount", 1, &IMassLynxFunctionInfo::GetFunctionCount),
        ks::dispMethod(L"Select", 2, &IMassLynxFunctionInfo::Select),
        ks::dispMethod(L"GetFunction", 3, &IMassLynxFunctionInfo::GetFunction),
    }};
    return table;
}

KS_DISPATCH_TABLE(IMassLynxAnalog)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Read", 1, &IMassLynxAnalog::Read),
        ks::dispGet(L"ChannelCount", 2, &IMassLynxAnalog::get_ChannelCount),
    }};
    return table;
}

KS_DISPATCH_TABLE(IMassLynxChromatogram)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Read", 1, &IMassLynxChromatogram::Read),
        ks::dispMethod(L"GetData", 2, &IMassLynxChromatogram::GetData),
    }};
    return table;
}

KS_DISPATCH_TABLE(IMassLynxSpectrum)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Read", 1, &IMassLynxSpectrum::Read),
        ks::dispMethod(L"GetData", 2, &IMassLynxSpectrum::GetData),
    }};
    return table;
}

KS_DISPATCH_TABLE(IMassLynxScanStats)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Read", 1, &IMassLynxScanStats::Read),
        ks::dispMethod(L"GetStats", 2, &IMassLynxScanStats::GetStats),
    }};
    return table;
}

namespace {

using RawPtr = std::shared_ptr<const masslynx::Raw>;

// The status of a read that found nothing.
constexpr LONG kNotFound = -1;

// Two arrays and their count into the out arguments.
HRESULT PointsOut(const vendorkit::ArrayValues& x, const vendorkit::ArrayValues& y, LONG count, LONG* pCount,
                  VARIANT* pX, VARIANT* pY)
{
    HRESULT hr = vendorkit::makeArray(x, pX);
    if (FAILED(hr))
        return hr;
    hr = vendorkit::makeArray(y, pY);
    if (FAILED(hr)) {
        VariantClear(pX);
        return hr;
    }
    *pCount = count;
    return S_OK;
}

// What every class shares: its fault plan and the manifest it read last.
class Reading {
protected:
    Reading() = default;

    HRESULT MakePlan()
    {
        return ks::noThrow([&] {
            m_plan = std::make_unique<vendorkit::FaultPlan>(masslynx::operations());
            return S_OK;
        });
    }

    // A call without a path.
    HRESULT Count(const char* operation)
    {
        const HRESULT hr = m_plan->call(operation);
        if (m_plan->broken())
            std::fprintf(stderr, "MassLynxRaw: %s\n", m_plan->brokenReason().c_str());
        return hr;
    }

    // A call with a path: the directory's manifest, then the call counts.
    // S_OK with raw set; S_FALSE when the directory holds none (the call
    // answers status -1); a failure code otherwise.
    HRESULT Load(const char* operation, BSTR path, RawPtr& raw)
    {
        const std::string folder = vendorkit::fileSystemPath(path);
        vendorkit::ParseStatus status;
        const masslynx::Found found = m_cache.load(folder, raw, status);
        if (found == masslynx::Found::Yes)
            m_plan->setManifestFaults(raw->faults);
        const HRESULT hr = Count(operation);
        if (FAILED(hr))
            return hr;
        if (found == masslynx::Found::Damaged) {
            std::fprintf(stderr, "MassLynxRaw: %s: %s%s\n", ks::printableText(folder).c_str(),
                         status.line > 0 ? "_manifest.txt: " : "", ks::printableText(status.message()).c_str());
            return E_FAIL;
        }
        return found == masslynx::Found::Yes ? S_OK : S_FALSE;
    }

    // The data call of the chromatogram and spectrum classes: the count and
    // two arrays (x, then the intensities) of the item read last; E_FAIL
    // without one.
    template <class Item>
    HRESULT DataOut(const char* operation, const Item* item, vendorkit::ArrayValues Item::*x, LONG* pCount,
                    VARIANT* pX, VARIANT* pY)
    {
        if (!pCount || !pX || !pY)
            return E_POINTER;
        VariantInit(pX);
        VariantInit(pY);
        return ks::noThrow(
            [&] {
                const HRESULT hr = Count(operation);
                if (FAILED(hr))
                    return hr;
                if (!item)
                    return E_FAIL;
                return PointsOut(item->*x, item->intensities, item->count, pCount, pX, pY);
            },
            pX, pY);
    }

    std::unique_ptr<vendorkit::FaultPlan> m_plan;
    masslynx::RawCache m_cache;
};

// The function (from 1) of a run, or null.
const masslynx::Function* FunctionOf(const masslynx::Raw& raw, LONG function)
{
    if (function < 1 || static_cast<size_t>(function) > raw.functions.size())
        return nullptr;
    return &raw.functions[static_cast<size_t>(function - 1)];
}

// A scan (from 1) of a function (from 1), or null.
const masslynx::Scan* ScanOf(const masslynx::Raw& raw, LONG function, LONG scan)
{
    const masslynx::Function* f = FunctionOf(raw, function);
    if (!f || scan < 1 || static_cast<size_t>(scan) > f->scans.size())
        return nullptr;
    return &f->scans[static_cast<size_t>(scan - 1)];
}

HRESULT RegisterByClassId(bool registering, REFCLSID clsid, const wchar_t* description)
{
    ks::ClassRegistration c;
    c.clsid = clsid;
    c.description = description;
    return ks::updateClassRegistry(registering, c);
}

// Each class registers by class identifier only, as the installation's
// classes are created; each makes its fault plan when it is created.
#define MASSLYNX_REGISTRY(clsid, description)                                           \
    static HRESULT UpdateRegistry(bool registering)                                     \
    {                                                                                   \
        return RegisterByClassId(registering, clsid, description);                     \
    }                                                                                   \
    HRESULT FinalConstruct() override { return MakePlan(); }

class CRawCheck : public ks::Object<ks::Dual<IMassLynxRawCheck>>, private Reading {
public:
    MASSLYNX_REGISTRY(CLSID_MassLynxRawCheck, L"MassLynxRawCheck Class")

    HRESULT Check(BSTR path, LONG* pStatus) override
    {
        if (!pStatus)
            return E_POINTER;
        return ks::noThrow([&] {
            RawPtr raw;
            const HRESULT hr = Load("RawCheck.Check", path, raw);
            if (FAILED(hr))
                return hr;
            *pStatus = hr == S_OK ? 0 : kNotFound;
            return S_OK;
        });
    }
};

class CHeader : public ks::Object<ks::Dual<IMassLynxHeader>>, private Reading {
public:
    MASSLYNX_REGISTRY(CLSID_MassLynxHeader, L"MassLynxHeader Class")

    // The header file beside a readable manifest.
    HRESULT Read(BSTR path, LONG* pStatus) override
    {
        if (!pStatus)
            return E_POINTER;
        return ks::noThrow([&] {
            m_bRead = false;
            m_Text.clear();
            RawPtr raw;
            const HRESULT hr = Load("Header.Read", path, raw);
            if (FAILED(hr))
                return hr;
            *pStatus = kNotFound;
            if (hr != S_OK)
                return S_OK;
            std::string bytes;
            std::string why;
            const masslynx::Found found = masslynx::readHeaderFile(vendorkit::fileSystemPath(path), bytes, why);
            if (found == masslynx::Found::Damaged) {
                std::fprintf(stderr, "MassLynxRaw: %s: %s\n",
                             ks::printableText(vendorkit::fileSystemPath(path)).c_str(), why.c_str());
                return E_FAIL;
            }
            if (found == masslynx::Found::Missing)
                return S_OK;
            // Eight-bit text of the installation: each byte one character.
            m_Text.assign(bytes.begin(), bytes.end());
            for (size_t i = 0; i < bytes.size(); ++i)
                m_Text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
            m_bRead = true;
            *pStatus = 0;
            return S_OK;
        });
    }

    HRESULT get_Text(BSTR* pText) override
    {
        if (!pText)
            return E_POINTER;
        *pText = nullptr;
        return ks::noThrow(
            [&] {
                const HRESULT hr = Count("Header.Text");
                if (FAILED(hr))
                    return hr;
                if (!m_bRead)
                    return E_FAIL;
                *pText = SysAllocStringLen(m_Text.data(), static_cast<UINT>(m_Text.size()));
                return *pText ? S_OK : E_OUTOFMEMORY;
            },
            pText);
    }

private:
    bool m_bRead = false;
    std::wstring m_Text;
};

class CFunctionInfo : public ks::Object<ks::Dual<IMassLynxFunctionInfo>>, private Reading {
public:
    MASSLYNX_REGISTRY(CLSID_MassLynxFunctionInfo, L"MassLynxFunctionInfo Class")

    // The number of [function] records; -1 without a manifest.
    HRESULT GetFunctionCount(BSTR path, LONG* pCount) override
    {
        if (!pCount)
            return E_POINTER;
        return ks::noThrow([&] {
            RawPtr raw;
            const HRESULT hr = Load("FunctionInfo.Count", path, raw);
            if (FAILED(hr))
                return hr;
            *pCount = raw ? static_cast<LONG>(raw->functions.size()) : kNotFound;
            return S_OK;
        });
    }

    HRESULT Select(BSTR path, LONG function, LONG* pStatus) override
    {
        if (!pStatus)
            return E_POINTER;
        return ks::noThrow([&] {
            m_Raw.reset();
            m_pFunction = nullptr;
            RawPtr raw;
            const HRESULT hr = Load("FunctionInfo.Select", path, raw);
            if (FAILED(hr))
                return hr;
            *pStatus = kNotFound;
            if (raw && (m_pFunction = FunctionOf(*raw, function)) != nullptr) {
                m_Raw = raw;
                *pStatus = 0;
            }
            return S_OK;
        });
    }

    HRESULT GetFunction(BSTR* pTypeName, LONG* pScanCount, double* pValue) override
    {
        if (!pTypeName || !pScanCount || !pValue)
            return E_POINTER;
        *pTypeName = nullptr;
        return ks::noThrow(
            [&] {
                HRESULT hr = Count("FunctionInfo.Function");
                if (FAILED(hr))
                    return hr;
                if (!m_pFunction)
                    return E_FAIL;
                if (FAILED(hr = vendorkit::textOut(m_pFunction->type, pTypeName)))
                    return hr;
                *pScanCount = m_pFunction->scanCount;
                *pValue = m_pFunction->value;
                return S_OK;
            },
            pTypeName);
    }

private:
    RawPtr m_Raw;  // keeps m_pFunction
    const masslynx::Function* m_pFunction = nullptr;
};

class CAnalog : public ks::Object<ks::Dual<IMassLynxAnalog>>, private Reading {
public:
    MASSLYNX_REGISTRY(CLSID_MassLynxAnalog, L"MassLynxAnalog Class")

    // Status 0 when the manifest has an [analog] record.
    HRESULT Read(BSTR path, LONG* pStatus) override
    {
        if (!pStatus)
            return E_POINTER;
        return ks::noThrow([&] {
            m_bRead = false;
            RawPtr raw;
            const HRESULT hr = Load("Analog.Read", path, raw);
            if (FAILED(hr))
                return hr;
            m_bRead = raw && raw->hasAnalog;
            m_nChannels = m_bRead ? raw->analogChannels : 0;
            *pStatus = m_bRead ? 0 : kNotFound;
            return S_OK;
        });
    }

    HRESULT get_ChannelCount(LONG* pCount) override
    {
        if (!pCount)
            return E_POINTER;
        const HRESULT hr = Count("Analog.Channels");
        if (FAILED(hr))
            return hr;
        if (!m_bRead)
            return E_FAIL;
        *pCount = m_nChannels;
        return S_OK;
    }

private:
    bool m_bRead = false;
    LONG m_nChannels = 0;
};

class CChromatogram : public ks::Object<ks::Dual<IMassLynxChromatogram>>, private Reading {
public:
    MASSLYNX_REGISTRY(CLSID_MassLynxChromatogram, L"MassLynxChromatogram Class")

    // Process 0, the mass range 0.0 to 0.0 and mode 0 only (E_INVALIDARG
    // otherwise): the stand-in computes nothing it is not told.
    HRESULT Read(BSTR path, LONG function, LONG process, double low, double high, LONG mode, BSTR name,
                 LONG* pStatus) override
    {
        if (!pStatus)
            return E_POINTER;
        return ks::noThrow([&] {
            m_Raw.reset();
            m_pChromatogram = nullptr;
            RawPtr raw;
            const HRESULT hr = Load("Chromatogram.Read", path, raw);
            if (FAILED(hr))
                return hr;
            if (process != 0 || low != 0.0 || high != 0.0 || mode != 0)
                return E_INVALIDARG;
            *pStatus = kNotFound;
            if (!raw || !FunctionOf(*raw, function))
                return S_OK;
            const std::wstring wide(name ? name : L"", SysStringLen(name));
            std::string utf8;
            for (wchar_t c : wide) {
                // Names are plain ASCII; anything else names no chromatogram.
                if (c <= 0 || c > 0x7F)
                    return S_OK;
                utf8 += static_cast<char>(c);
            }
            if ((m_pChromatogram = raw->findChromatogram(utf8, function)) != nullptr) {
                m_Raw = raw;
                *pStatus = 0;
            }
            return S_OK;
        });
    }

    HRESULT GetData(LONG* pCount, VARIANT* pTimes, VARIANT* pIntensities) override
    {
        return DataOut("Chromatogram.Data", m_pChromatogram, &masslynx::Chromatogram::times, pCount, pTimes,
                       pIntensities);
    }

private:
    RawPtr m_Raw;
    const masslynx::Chromatogram* m_pChromatogram = nullptr;
};

class CSpectrum : public ks::Object<ks::Dual<IMassLynxSpectrum>>, private Reading {
public:
    MASSLYNX_REGISTRY(CLSID_MassLynxSpectrum, L"MassLynxSpectrum Class")

    HRESULT Read(BSTR path, LONG function, LONG process, LONG scan, LONG* pStatus) override
    {
        if (!pStatus)
            return E_POINTER;
        return ks::noThrow([&] {
            m_Raw.reset();
            m_pScan = nullptr;
            RawPtr raw;
            const HRESULT hr = Load("Spectrum.Read", path, raw);
            if (FAILED(hr))
                return hr;
            if (process != 0)
                return E_INVALIDARG;
            *pStatus = kNotFound;
            if (raw && (m_pScan = ScanOf(*raw, function, scan)) != nullptr) {
                m_Raw = raw;
                *pStatus = 0;
            }
            return S_OK;
        });
    }

    HRESULT GetData(LONG* pCount, VARIANT* pMasses, VARIANT* pIntensities) override
    {
        return DataOut("Spectrum.Data", m_pScan, &masslynx::Scan::masses, pCount, pMasses, pIntensities);
    }

private:
    RawPtr m_Raw;
    const masslynx::Scan* m_pScan = nullptr;
};

class CScanStats : public ks::Object<ks::Dual<IMassLynxScanStats>>, private Reading {
public:
    MASSLYNX_REGISTRY(CLSID_MassLynxScanStats, L"MassLynxScanStats Class")

    HRESULT Read(BSTR path, LONG function, LONG process, LONG scan, LONG* pStatus) override
    {
        if (!pStatus)
            return E_POINTER;
        return ks::noThrow([&] {
            m_bRead = false;
            RawPtr raw;
            const HRESULT hr = Load("ScanStats.Read", path, raw);
            if (FAILED(hr))
                return hr;
            if (process != 0)
                return E_INVALIDARG;
            *pStatus = kNotFound;
            const masslynx::Scan* s = raw ? ScanOf(*raw, function, scan) : nullptr;
            if (s) {
                // The manifest holds only times within the float range.
                m_fMinutes = static_cast<float>(s->minutes);
                m_nContinuum = s->continuum;
                m_bRead = true;
                *pStatus = 0;
            }
            return S_OK;
        });
    }

    HRESULT GetStats(float* pRetentionTime, LONG* pContinuum) override
    {
        if (!pRetentionTime || !pContinuum)
            return E_POINTER;
        const HRESULT hr = Count("ScanStats.Stats");
        if (FAILED(hr))
            return hr;
        if (!m_bRead)
            return E_FAIL;
        *pRetentionTime = m_fMinutes;
        *pContinuum = m_nContinuum;
        return S_OK;
    }

private:
    bool m_bRead = false;
    float m_fMinutes = 0;
    LONG m_nContinuum = 0;
};

}  // namespace

namespace masslynx {

const std::vector<ClassEntry>& classes()
{
    static const std::vector<ClassEntry> entries = {
        {&CLSID_MassLynxRawCheck, &ks::createInstance<CRawCheck>, &CRawCheck::UpdateRegistry},
        {&CLSID_MassLynxHeader, &ks::createInstance<CHeader>, &CHeader::UpdateRegistry},
        {&CLSID_MassLynxFunctionInfo, &ks::createInstance<CFunctionInfo>, &CFunctionInfo::UpdateRegistry},
        {&CLSID_MassLynxAnalog, &ks::createInstance<CAnalog>, &CAnalog::UpdateRegistry},
        {&CLSID_MassLynxChromatogram, &ks::createInstance<CChromatogram>, &CChromatogram::UpdateRegistry},
        {&CLSID_MassLynxSpectrum, &ks::createInstance<CSpectrum>, &CSpectrum::UpdateRegistry},
        {&CLSID_MassLynxScanStats, &ks::createInstance<CScanStats>, &CScanStats::UpdateRegistry},
    };
    return entries;
}

}  // namespace masslynx
