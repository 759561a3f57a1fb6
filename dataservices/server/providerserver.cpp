#include "providerserver.h"

#include "kscomptr.h"
#include "ksnothrow.h"
#include "providerdescription.h"
#include "providerregistry.h"

#include <cwchar>
#include <new>

KS_OBJECT_ENTRY(CLSID_KSProviderServer, CKSProviderServer);

namespace {

bool SameText(const std::wstring& text, BSTR name)
{
    const size_t len = SysStringLen(name);
    return text.size() == len && std::wmemcmp(text.data(), name, len) == 0;
}

// The provider's ClassID names its key below the Data Services key: an
// empty one would name that key itself (unregistering would delete every
// provider and setting below it) and one with '\' a key deeper down.
HRESULT ReadClassID(IKSDataProvider* pProvider, std::wstring& classID)
{
    ks::Bstr text;
    const HRESULT hr = pProvider->get_ClassID(&text);
    if (FAILED(hr))
        return hr;
    classID = text.str();
    if (classID.empty() || classID.find(L'\\') != std::wstring::npos)
        return E_INVALIDARG;
    return S_OK;
}

// Reads one text property of the provider into field.
template <class I>
HRESULT ReadText(I* source, HRESULT (I::*getter)(BSTR*), std::wstring& field)
{
    ks::Bstr text;
    const HRESULT hr = (source->*getter)(&text);
    if (FAILED(hr))
        return hr;
    field = text.str();
    return S_OK;
}

}  // namespace

HRESULT CKSProviderServer::FinalConstruct()
{
    return ks::noThrow([&] {
        m_providers = LoadProviderList();
        return S_OK;
    });
}

HRESULT CKSProviderServer::get__NewEnum(IUnknown** ppEnum)
{
    return ks::noThrow([&] {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        LONG count = 0;
        HRESULT hr = get_Count(&count);
        if (FAILED(hr))
            return hr;
        std::vector<VARIANT> items;
        auto clearItems = [&items] {
            for (VARIANT& v : items)
                VariantClear(&v);
            items.clear();
        };
        try {
            items.reserve(static_cast<size_t>(count));
            for (LONG i = 1; i <= count; ++i) {
                IKSProviderDescription* description = nullptr;
                hr = get_Item(i, &description);
                if (FAILED(hr)) {
                    clearItems();
                    return hr;
                }
                VARIANT v;
                VariantInit(&v);
                v.vt = VT_DISPATCH;
                v.pdispVal = description;  // the item's reference moves into the snapshot
                items.push_back(v);
            }
        } catch (const std::bad_alloc&) {
            clearItems();
            return E_OUTOFMEMORY;
        }
        // The enumerator owns the items from here on, also when it cannot be made.
        return ks::createVariantEnum(std::move(items), GetUnknown(), ppEnum);
    }, ppEnum);
}

HRESULT CKSProviderServer::get_Item(LONG Index, IKSProviderDescription** ppDescription)
{
    return ks::noThrow([&] {
        if (!ppDescription)
            return E_POINTER;
        *ppDescription = nullptr;
        if (Index < 1 || static_cast<size_t>(Index) > m_providers.size())
            return DISP_E_BADINDEX;
        return CKSProviderDescription::Create(this, m_providers[static_cast<size_t>(Index) - 1], ppDescription);
    }, ppDescription);
}

HRESULT CKSProviderServer::get_Count(LONG* pCount)
{
    return ks::noThrow([&] {
        if (!pCount)
            return E_POINTER;
        *pCount = static_cast<LONG>(m_providers.size());
        return S_OK;
    });
}

HRESULT CKSProviderServer::RegisterDataProvider(IKSDataProvider* pProvider)
{
    return ks::noThrow([&] {
        return DoRegister(pProvider);
    });
}

HRESULT CKSProviderServer::DoRegister(IKSDataProvider* pProvider)
{
    if (!pProvider)
        return E_INVALIDARG;
    std::wstring classID;
    HRESULT hr = ReadClassID(pProvider, classID);
    if (FAILED(hr))
        return hr;

    size_t index = 0;
    while (index < m_providers.size() && m_providers[index].ClassID != classID)
        ++index;
    if (index == m_providers.size())
        m_providers.emplace_back();
    CKSProviderDescriptionImpl& record = m_providers[index];
    record.ClassID = classID;

    // Each property goes into the record as soon as it is read; the first
    // failure is answered and neither the registry nor the listeners learn
    // of the attempt.
    if (FAILED(hr = ReadText(pProvider, &IKSDataProvider::get_ClassName, record.ClassName)) ||
        FAILED(hr = ReadText(pProvider, &IKSDataProvider::get_Copyright, record.Copyright)) ||
        FAILED(hr = ReadText(pProvider, &IKSDataProvider::get_MenuName, record.MenuName)) ||
        FAILED(hr = ReadText(pProvider, &IKSDataProvider::get_Supplier, record.Supplier)) ||
        FAILED(hr = ReadText(pProvider, &IKSDataProvider::get_Version, record.Version)))
        return hr;
    LONG flags = 0;
    if (FAILED(hr = pProvider->get_ProviderFlags(&flags)))
        return hr;
    record.ProviderFlags = flags;

    // A provider without the later interfaces registers empty values;
    // the record keeps what it had.
    std::wstring dataServerClassID;
    ks::ComPtr<IKSDataProvider2> provider2;
    if (SUCCEEDED(provider2.queryFrom(pProvider)) && provider2) {
        if (FAILED(hr = ReadText(provider2.get(), &IKSDataProvider2::get_DataServerClassID, dataServerClassID)))
            return hr;
        record.DataServerClassID = dataServerClassID;
    }
    std::wstring fileFilter;
    ks::ComPtr<IKSDataProvider3> provider3;
    if (SUCCEEDED(provider3.queryFrom(pProvider)) && provider3) {
        if (FAILED(hr = ReadText(provider3.get(), &IKSDataProvider3::get_FilterString, fileFilter)))
            return hr;
        record.FileFilter = fileFilter;
    }

    // A registration that did not reach the registry is reported, not
    // announced: no other client would ever see it.
    hr = WriteProviderKey(record, dataServerClassID, fileFilter);
    if (FAILED(hr))
        return hr;
    Fire_ProvidersChanged();
    return S_OK;
}

HRESULT CKSProviderServer::UnregisterDataProvider(IKSDataProvider* pProvider)
{
    return ks::noThrow([&] {
        return DoUnregister(pProvider);
    });
}

HRESULT CKSProviderServer::DoUnregister(IKSDataProvider* pProvider)
{
    if (!pProvider)
        return E_INVALIDARG;
    std::wstring classID;
    HRESULT hr = ReadClassID(pProvider, classID);
    if (FAILED(hr))
        return hr;
    // A key that could not be deleted stays registered for every client,
    // so this list keeps it too.
    hr = DeleteProviderKey(classID);
    if (FAILED(hr))
        return hr;
    for (auto it = m_providers.begin(); it != m_providers.end(); ++it) {
        if (it->ClassID == classID) {
            m_providers.erase(it);
            break;
        }
    }
    Fire_ProvidersChanged();
    return S_OK;
}

const CKSProviderDescriptionImpl* CKSProviderServer::FindByClassName(BSTR name) const
{
    for (const CKSProviderDescriptionImpl& record : m_providers)
        if (SameText(record.ClassName, name))
            return &record;
    return nullptr;
}

HRESULT CKSProviderServer::GetProvider(BSTR providerName, IKSDataProvider** ppProvider)
{
    return ks::noThrow([&] {
        if (!ppProvider)
            return E_POINTER;
        *ppProvider = nullptr;
        if (SysStringLen(providerName) == 0)
            return E_INVALIDARG;
        const CKSProviderDescriptionImpl* record = FindByClassName(providerName);
        if (!record)
            return S_OK;
        CLSID clsid = CLSID_NULL;
        const HRESULT hr = CLSIDFromString(record->ClassID.c_str(), &clsid);
        if (FAILED(hr))
            return hr;
        return CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IKSDataProvider, reinterpret_cast<void**>(ppProvider));
    }, ppProvider);
}

HRESULT CKSProviderServer::SupportsProvider(BSTR providerName, VARIANT_BOOL* pSupported)
{
    return ks::noThrow([&] {
        if (!pSupported)
            return E_POINTER;
        *pSupported = VARIANT_FALSE;
        if (SysStringLen(providerName) == 0)
            return E_INVALIDARG;
        if (FindByClassName(providerName))
            *pSupported = VARIANT_TRUE;
        return S_OK;
    });
}
