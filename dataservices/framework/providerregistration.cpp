#include "providerregistration.h"

#include "kscomptr.h"

namespace ks {
namespace {

// Hands every provider class to a fresh provider server. The server is
// optional: a provider deliverable registers on a machine without it.
HRESULT announceProviders(const CLSID* providerClasses, size_t count, bool registering)
{
    HRESULT created = S_OK;
    for (size_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> provider;
        const Module::ClassEntry* entry = module().findClass(providerClasses[i]);
        created = entry ? entry->create(nullptr, IID_IUnknown, provider.out()) : CLASS_E_CLASSNOTAVAILABLE;
        if (SUCCEEDED(created) && !provider)
            created = E_UNEXPECTED;
        if (FAILED(created)) {
            if (i + 1 == count)
                return created;
            continue;
        }
        ComPtr<IKSProviderServer> server;
        if (SUCCEEDED(CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_ALL, IID_IKSProviderServer,
                                       server.out())) &&
            server) {
            ComPtr<IKSDataProvider> dataProvider;
            if (SUCCEEDED(dataProvider.queryFrom(provider.get())) && dataProvider) {
                if (registering)
                    server->RegisterDataProvider(dataProvider);
                else
                    server->UnregisterDataProvider(dataProvider);
            }
        }
    }
    return created;
}

}  // namespace

HRESULT registerProviderModule(const TypeLibRegistration* typeLib, const CLSID* providerClasses, size_t count)
{
    const HRESULT hr = registerServer(typeLib);
    if (FAILED(hr))
        return hr;
    return announceProviders(providerClasses, count, true);
}

HRESULT unregisterProviderModule(const TypeLibRegistration* typeLib, const CLSID* providerClasses, size_t count)
{
    const HRESULT hr = unregisterServer(typeLib);
    if (FAILED(hr))
        return hr;
    return announceProviders(providerClasses, count, false);
}

}  // namespace ks
