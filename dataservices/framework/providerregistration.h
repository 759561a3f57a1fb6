// Self-registration of a provider deliverable: its classes and type
// library are registered first, then every provider class is announced to
// a fresh provider server, which keeps the provider list in the registry.
//
//   const CLSID kProviderClasses[] = {CLSID_KSMyProvider};
//   const ks::TypeLibRegistration kTypeLib{LIBID_KSMyProviderLib, 1, 0, 0x409, L"KSMyProvider 1.0 Type Library"};
//   KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
//
// The provider classes must be in the deliverable's object map
// (KS_OBJECT_ENTRY): they are created in process, not through the registry.
#pragma once

#include "kscontract.h"
#include "ksregistrar.h"

#include <cstddef>
#include <iterator>

namespace ks {

// DllRegisterServer of a provider deliverable: ks::registerServer(typeLib)
// (a failure is answered at once), then, in the given order, each provider
// class is created and handed to RegisterDataProvider of a new provider
// server. Whatever the provider server does (or its absence) is ignored; a
// provider class that cannot be created fails the registration only when
// it is the last one. Answers the creation result of the last class.
HRESULT registerProviderModule(const TypeLibRegistration* typeLib, const CLSID* providerClasses, size_t count);

// DllUnregisterServer: ks::unregisterServer(typeLib), then the same
// announcement with UnregisterDataProvider.
HRESULT unregisterProviderModule(const TypeLibRegistration* typeLib, const CLSID* providerClasses, size_t count);

}  // namespace ks

// The four exported entry points of a provider deliverable. typeLib is a
// `const ks::TypeLibRegistration*`; providerClasses an array of CLSIDs in
// the deliverable's order. Use once, at namespace scope.
#define KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(typeLib, providerClasses)                                         \
    namespace {                                                                                              \
    HRESULT ksRegisterProviderDeliverable()                                                                  \
    {                                                                                                        \
        return ::ks::registerProviderModule(typeLib, std::data(providerClasses), std::size(providerClasses));   \
    }                                                                                                        \
    HRESULT ksUnregisterProviderDeliverable()                                                                \
    {                                                                                                        \
        return ::ks::unregisterProviderModule(typeLib, std::data(providerClasses), std::size(providerClasses)); \
    }                                                                                                        \
    }                                                                                                        \
    KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(ksRegisterProviderDeliverable, ksUnregisterProviderDeliverable)
