#include "providerdescription.h"

#include "dataproviderimpl.h"

#include <new>

HRESULT CKSProviderDescription::Create(IKSProviderServer* server, const CKSProviderDescriptionImpl& record,
                                       IKSProviderDescription** ppDescription)
{
    if (!ppDescription)
        return E_POINTER;
    *ppDescription = nullptr;
    CKSProviderDescription* description = nullptr;
    if (FAILED(ks::createObject(&description)) || !description)
        return E_OUTOFMEMORY;
    description->InternalAddRef();
    try {
        description->m_record = record;
    } catch (const std::bad_alloc&) {
        description->InternalRelease();
        return E_OUTOFMEMORY;
    }
    description->m_server = server;
    const HRESULT hr =
        description->InternalQueryInterface(IID_IKSProviderDescription, reinterpret_cast<void**>(ppDescription));
    description->InternalRelease();
    return hr;
}

HRESULT CKSProviderDescription::get_ClassID(BSTR* pClassID)
{
    return ks::copyTextOut(m_record.ClassID, pClassID);
}

HRESULT CKSProviderDescription::get_ClassName(BSTR* pClassName)
{
    return ks::copyTextOut(m_record.ClassName, pClassName);
}

HRESULT CKSProviderDescription::get_Copyright(BSTR* pCopyright)
{
    return ks::copyTextOut(m_record.Copyright, pCopyright);
}

HRESULT CKSProviderDescription::get_MenuName(BSTR* pMenuName)
{
    return ks::copyTextOut(m_record.MenuName, pMenuName);
}

HRESULT CKSProviderDescription::get_Supplier(BSTR* pSupplier)
{
    return ks::copyTextOut(m_record.Supplier, pSupplier);
}

HRESULT CKSProviderDescription::get_Version(BSTR* pVersion)
{
    return ks::copyTextOut(m_record.Version, pVersion);
}

HRESULT CKSProviderDescription::get_ProviderFlags(LONG* pFlags)
{
    if (!pFlags)
        return E_POINTER;
    *pFlags = m_record.ProviderFlags;
    return S_OK;
}

HRESULT CKSProviderDescription::get_DataServerClassID(BSTR* pClassID)
{
    return ks::copyTextOut(m_record.DataServerClassID, pClassID);
}

HRESULT CKSProviderDescription::get_FilterString(BSTR* pFilter)
{
    return ks::copyTextOut(m_record.FileFilter, pFilter);
}
