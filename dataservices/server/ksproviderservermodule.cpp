// The entry points of the KSProviderServer deliverable: its classes (each
// source adds its own with KS_OBJECT_ENTRY) and the family type library,
// which this deliverable carries.
#include "kscontractinfo.h"
#include "ksregistrar.h"
#include "readersettings.h"

// The dataset browser's remembered folder belongs to this deliverable.
KS_SETTINGS_APP_NAME(L"KSProviderServer");

namespace {

ks::TypeLibRegistration typeLibRegistration()
{
    const ks::contract::TypeLibInfo& lib = ks::contract::typeLib();
    return ks::TypeLibRegistration{lib.libid, lib.majorVersion, lib.minorVersion, lib.lcid, lib.helpString};
}

HRESULT registerServer()
{
    const ks::TypeLibRegistration lib = typeLibRegistration();
    return ks::registerServer(&lib);
}

HRESULT unregisterServer()
{
    const ks::TypeLibRegistration lib = typeLibRegistration();
    return ks::unregisterServer(&lib);
}

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
