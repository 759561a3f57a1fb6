// The process-wide in-process class table: class factories registered by
// class identifier, so that classes linked into a program (or registered
// by a loaded component) are found without the registry. Activation
// consults it before the registry.
#pragma once

#include "ksinterfaces.h"

// Registers a factory (one reference is kept) under a class identifier;
// *cookie identifies the registration for ksRevokeClassObject. A class
// registered twice is served by the earlier registration until it is
// revoked.
HRESULT ksRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD* cookie);
// Removes a registration and releases its factory; E_INVALIDARG for an
// unknown cookie.
HRESULT ksRevokeClassObject(DWORD cookie);
// The registered factory of a class, queried for riid;
// REGDB_E_CLASSNOTREG when none is registered.
HRESULT ksGetRegisteredClassObject(REFCLSID clsid, REFIID riid, void** ppv);
