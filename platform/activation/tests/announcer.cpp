// A component that announces itself to the provider server when it is
// registered and unregistered, as a data provider does, ignoring the
// answer; it has no class of its own.
#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksregistrar.h"

namespace {

HRESULT announce()
{
    ks::ComPtr<IUnknown> server;
    CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_ALL, IID_IUnknown, server.out());
    return S_OK;
}

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(announce, announce)
