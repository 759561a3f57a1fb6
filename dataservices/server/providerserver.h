// The provider server (coclass KSProviderServer): the list of installed
// providers, read from the registry when the object is made, and the place
// where providers register and unregister themselves. Changes made through
// an object are told to that object's listeners (ProvidersChanged).
#pragma once

#include "kscontract.h"
#include "ksconnection.h"
#include "ksregistrar.h"
#include "providerdescriptionimpl.h"

#include <string>
#include <vector>

// The event source of the provider server: one connection point, for
// _IKSProviderServerEvents.
class CProxy_IKSProviderServerEvents : public ks::ConnectionPointContainer {
protected:
    CProxy_IKSProviderServerEvents() : m_events(addConnectionPoint(IID__IKSProviderServerEvents)) {}
    ~CProxy_IKSProviderServerEvents() = default;

    // Every connected listener in place order, through Invoke(DISPID 1);
    // their results are ignored.
    void Fire_ProvidersChanged() { m_events.fire(DISPID_ProvidersChanged); }

private:
    ks::ConnectionPoint& m_events;
};

class CKSProviderServer : public ks::Object<ks::Dual<IKSProviderServer>, CProxy_IKSProviderServerEvents> {
public:
    KS_DECLARE_REGISTRY(L"KSDataServices", L"KSProviderServer", CLSID_KSProviderServer, &LIBID_KSPROVIDERSERVERLib)

    // Loads the provider list.
    HRESULT FinalConstruct() override;

    HRESULT get__NewEnum(IUnknown** ppEnum) override;
    HRESULT get_Item(LONG Index, IKSProviderDescription** ppDescription) override;
    HRESULT get_Count(LONG* pCount) override;
    HRESULT UnregisterDataProvider(IKSDataProvider* pProvider) override;
    HRESULT RegisterDataProvider(IKSDataProvider* pProvider) override;
    HRESULT GetProvider(BSTR providerName, IKSDataProvider** ppProvider) override;
    HRESULT SupportsProvider(BSTR providerName, VARIANT_BOOL* pSupported) override;

private:
    HRESULT DoRegister(IKSDataProvider* pProvider);
    HRESULT DoUnregister(IKSDataProvider* pProvider);
    const CKSProviderDescriptionImpl* FindByClassName(BSTR name) const;

    std::vector<CKSProviderDescriptionImpl> m_providers;
};
