// A provider description (coclass KSProviderDescription): one record of a
// provider server's list. Made only by the provider server (Item and
// _NewEnum); it keeps the server alive and answers a copy of the record
// taken when it was made, so later changes of the server's list do not
// move it to another provider.
#pragma once

#include "kscomptr.h"
#include "kscontract.h"
#include "providerdescriptionimpl.h"

class CKSProviderDescription : public ks::Object<ks::Dual<IKSProviderDescription>,
                                                 ks::Dual<IKSProviderDescription2>,
                                                 ks::Dual<IKSProviderDescription3>> {
public:
    // A new description of record for server, answered as
    // IKSProviderDescription; E_OUTOFMEMORY when it cannot be made.
    static HRESULT Create(IKSProviderServer* server, const CKSProviderDescriptionImpl& record,
                          IKSProviderDescription** ppDescription);

    HRESULT get_ClassID(BSTR* pClassID) override;
    HRESULT get_ClassName(BSTR* pClassName) override;
    HRESULT get_Copyright(BSTR* pCopyright) override;
    HRESULT get_MenuName(BSTR* pMenuName) override;
    HRESULT get_Supplier(BSTR* pSupplier) override;
    HRESULT get_Version(BSTR* pVersion) override;
    HRESULT get_ProviderFlags(LONG* pFlags) override;
    HRESULT get_DataServerClassID(BSTR* pClassID) override;
    HRESULT get_FilterString(BSTR* pFilter) override;

private:
    ks::ComPtr<IKSProviderServer> m_server;
    CKSProviderDescriptionImpl m_record;
};
