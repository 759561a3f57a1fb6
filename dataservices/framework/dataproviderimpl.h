// The descriptive part of every provider object: IKSDataProvider,
// IKSDataProvider2 and IKSDataProvider3 over fields that the provider's
// constructor fills.
//
//   class CKSMyProvider : public ks::Object<IKSDataProviderImpl<CKSMyProvider>,
//                                           IKSDataProvider2Impl<CKSMyProvider>,
//                                           IKSDataProvider3Impl<CKSMyProvider>,
//                                           ks::Dual<IKSMSDatasetReader>> {
//   public:
//       CKSMyProvider()
//       {
//           m_strClassID = L"{...}";
//           m_strClassName = L"KSMyProvider.KSMyProvider";
//           ...
//           m_lProviderFlags = MSDatasetReader;
//           AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
//       }
//   };
//
// Every text getter answers a new BSTR copy, or E_OUTOFMEMORY with a null
// out pointer when the copy cannot be made; no exception leaves a member.
#pragma once

#include "kscontract.h"
#include "ksnothrow.h"

#include <cwchar>
#include <limits>
#include <string>
#include <vector>

namespace ks {

// A new BSTR copy of text for an out parameter: E_POINTER for a null out
// pointer (otherwise it is set to null first), E_OUTOFMEMORY when the copy
// cannot be made.
inline HRESULT copyTextOut(const std::wstring& text, BSTR* pOut) noexcept
{
    if (!pOut)
        return E_POINTER;
    *pOut = nullptr;
    if (text.size() > std::numeric_limits<UINT>::max() / sizeof(OLECHAR))
        return E_OUTOFMEMORY;
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy)
        return E_OUTOFMEMORY;
    *pOut = copy;
    return S_OK;
}

// The text of a BSTR argument; a null BSTR is "".
inline std::wstring textOf(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

// An out parameter of a provider's dataset members: E_POINTER for a null
// pointer, otherwise the value and S_OK.
inline HRESULT setOut(VARIANT_BOOL* out, bool value) noexcept
{
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
inline HRESULT setOut(LONG* out, LONG value) noexcept
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

// True when a BSTR argument names something: not null and not "".
inline bool hasText(BSTR text) noexcept
{
    return SysStringLen(text) != 0;
}

}  // namespace ks

// One entry of a provider's service table: a service name and the
// interface that the provider object answers for it.
struct KSServiceEntry {
    std::wstring name;
    const IID* iid;
};

template <class T>
class IKSDataProviderImpl : public ks::Dual<IKSDataProvider> {
public:
    HRESULT get_ClassID(BSTR* pClassID) override { return ks::copyTextOut(m_strClassID, pClassID); }
    HRESULT get_ClassName(BSTR* pClassName) override { return ks::copyTextOut(m_strClassName, pClassName); }
    HRESULT get_Copyright(BSTR* pCopyright) override { return ks::copyTextOut(m_strCopyright, pCopyright); }
    HRESULT get_MenuName(BSTR* pMenuName) override { return ks::copyTextOut(m_strMenuName, pMenuName); }
    HRESULT get_Supplier(BSTR* pSupplier) override { return ks::copyTextOut(m_strSupplier, pSupplier); }
    HRESULT get_Version(BSTR* pVersion) override { return ks::copyTextOut(m_strVersion, pVersion); }
    HRESULT get_ProviderFlags(LONG* pFlags) override
    {
        if (!pFlags)
            return E_POINTER;
        *pFlags = m_lProviderFlags;
        return S_OK;
    }
    HRESULT get_Path(BSTR* pPath) override { return GetPath(pPath); }
    HRESULT put_Path(BSTR path) override { return PutPath(path); }

    // The provider object itself, queried for the interface of the first
    // service whose name equals ServiceName exactly (letter case included);
    // an unknown name is no error: S_OK and a null pointer.
    HRESULT GetService(BSTR ServiceName, IDispatch** ppService) override
    {
        if (!ppService)
            return E_POINTER;
        *ppService = nullptr;
        if (!ks::hasText(ServiceName))
            return E_INVALIDARG;
        const KSServiceEntry* entry = FindService(ServiceName);
        if (!entry)
            return S_OK;
        return static_cast<T*>(this)->QueryInterface(*entry->iid, reinterpret_cast<void**>(ppService));
    }
    HRESULT SupportsService(BSTR ServiceName, VARIANT_BOOL* pSupported) override
    {
        if (!pSupported)
            return E_POINTER;
        *pSupported = VARIANT_FALSE;
        if (!ks::hasText(ServiceName))
            return E_INVALIDARG;
        if (FindService(ServiceName))
            *pSupported = VARIANT_TRUE;
        return S_OK;
    }

    // The Path property; a provider that keeps its path elsewhere
    // overrides both.
    virtual HRESULT GetPath(BSTR* pPath) { return ks::copyTextOut(m_strPath, pPath); }
    virtual HRESULT PutPath(BSTR path)
    {
        return ks::noThrow([&] {
            m_strPath.assign(path ? path : L"", SysStringLen(path));
            return S_OK;
        });
    }

protected:
    ~IKSDataProviderImpl() = default;

    void AddService(const wchar_t* name, REFIID iid) { m_services.push_back(KSServiceEntry{name, &iid}); }

    const KSServiceEntry* FindService(BSTR name) const
    {
        const size_t len = SysStringLen(name);
        for (const KSServiceEntry& entry : m_services)
            if (entry.name.size() == len && std::wmemcmp(entry.name.data(), name, len) == 0)
                return &entry;
        return nullptr;
    }

    std::wstring m_strClassID;    // braced class identifier, as the provider writes it
    std::wstring m_strClassName;  // programmatic identifier
    std::wstring m_strCopyright;
    std::wstring m_strMenuName;
    std::wstring m_strSupplier;
    std::wstring m_strVersion;
    std::wstring m_strPath;
    LONG m_lProviderFlags = 0;  // ProviderFlagT bits
    std::vector<KSServiceEntry> m_services;
};

template <class T>
class IKSDataProvider2Impl : public ks::Dual<IKSDataProvider2> {
public:
    HRESULT get_DataServerClassID(BSTR* pClassID) override
    {
        return ks::copyTextOut(m_strDataServerClassID, pClassID);
    }

protected:
    ~IKSDataProvider2Impl() = default;

    std::wstring m_strDataServerClassID;  // braced class identifier of the data server; empty: none
};

template <class T>
class IKSDataProvider3Impl : public ks::Dual<IKSDataProvider3> {
public:
    HRESULT get_FilterString(BSTR* pFilter) override { return ks::copyTextOut(m_strFilterString, pFilter); }

protected:
    ~IKSDataProvider3Impl() = default;

    std::wstring m_strFilterString;  // e.g. "Agilent ChemStation (*.ms)"
};
