// Self-registration: writing and removing the registry keys of a
// component's classes and type library, and the four exported entry points
// of a component.
//
// Each creatable class names its registration; the entry points register
// every class of the component's object map, then its type library:
//
//   class CKSTextProvider : public ks::Object<...> {
//   public:
//       KS_DECLARE_REGISTRY(L"KSTextProvider", L"KSTextProvider", CLSID_KSTextProvider, &LIBID_X)
//       ...
//   };
//   KS_OBJECT_ENTRY(CLSID_KSTextProvider, CKSTextProvider);
//
//   const ks::TypeLibRegistration kTypeLib{LIBID_X, 1, 0, 0, L"KSTextProvider 1.0 Type Library"};
//   HRESULT registerServer() { return ks::registerServer(&kTypeLib); }
//   HRESULT unregisterServer() { return ks::unregisterServer(&kTypeLib); }
//   KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
//
// Every string value is written as REG_SZ with its terminator.
#pragma once

#include "ksactivation.h"
#include "ksclassfactory.h"
#include "ksguid.h"
#include "ksregistry.h"

#include <optional>
#include <string>
#include <vector>

namespace ks {

// One value of a key layout: text (REG_SZ) or a number (REG_DWORD).
struct RegistryValue {
    std::wstring name;  // empty: the key's default value
    DWORD type = REG_SZ;
    std::wstring text;
    DWORD number = 0;
};
inline RegistryValue stringValue(std::wstring name, std::wstring text)
{
    return RegistryValue{std::move(name), REG_SZ, std::move(text), 0};
}
inline RegistryValue dwordValue(std::wstring name, DWORD number)
{
    return RegistryValue{std::move(name), REG_DWORD, std::wstring(), number};
}

// What registration and unregistration do with a key of a layout.
enum class KeyRemoval {
    // Created (or opened) with its values on registration. On
    // unregistration its listed subkeys are removed, then the key itself
    // unless other subkeys remain below it.
    Remove,
    // Removed whole and written anew on registration; removed whole on
    // unregistration.
    ForceRemove,
    // Created like Remove, but kept on unregistration (only its listed
    // subkeys are removed).
    NoRemove,
};

// A key with its values and subkeys. `name` is one key name (no '\').
struct RegistryKeyLayout {
    std::wstring name;
    KeyRemoval removal = KeyRemoval::Remove;
    std::vector<RegistryValue> values;
    std::vector<RegistryKeyLayout> subkeys;
};

// Writes, respectively removes, key layouts below root. Keys that are
// already missing are no error on removal. Registry failures are answered
// as HRESULT_FROM_WIN32 of the registry's code; E_INVALIDARG for a key
// name that is empty or holds '\'. Writing stops at the first failure;
// removal goes on and answers the first failure.
HRESULT writeKeyLayout(HKEY root, const std::vector<RegistryKeyLayout>& keys);
HRESULT removeKeyLayout(HKEY root, const std::vector<RegistryKeyLayout>& keys);

// One creatable in-process class.
struct ClassRegistration {
    CLSID clsid = CLSID_NULL;
    std::wstring description;               // default value of its keys: "<name> Class"
    std::wstring progId;                    // versioned, "<prefix>.<name>.1"; empty: none
    std::wstring versionIndependentProgId;  // "<prefix>.<name>"; empty: none
    std::optional<GUID> typeLib;            // named by the class's TypeLib key; none: no such key
};

// The usual naming of a class: ProgIDs "<prefix>.<name>.1" (versioned) and
// "<prefix>.<name>", description "<name> Class".
ClassRegistration classRegistration(const std::wstring& progIdPrefix, const std::wstring& name, REFCLSID clsid,
                                    const GUID* typeLib = nullptr);

// The keys of a class below HKEY_CLASSES_ROOT:
//   <ProgID>                   = description, CLSID = {clsid}
//   <VersionIndependentProgID> = description, CLSID = {clsid}, CurVer = <ProgID>
//   CLSID (kept on unregistration)
//     {clsid} (replaced whole)  = description, ProgID, VersionIndependentProgID,
//                                 Programmable (empty), InprocServer32 = module path
//                                 with ThreadingModel "Apartment", TypeLib = {libid}
std::vector<RegistryKeyLayout> classKeyLayout(const ClassRegistration& cls, const std::wstring& modulePath);

// A type library. There are no type-library files: the keys record the
// library as a resource of the module that registers it.
struct TypeLibRegistration {
    GUID libid = GUID_NULL;
    WORD majorVersion = 1;
    WORD minorVersion = 0;
    LCID lcid = 0;
    std::wstring helpString;  // "<name> 1.0 Type Library"
};

// The keys of a type library below HKEY_CLASSES_ROOT (versions and locale
// in hexadecimal):
//   TypeLib (kept on unregistration)
//     {libid}                   (removed when no other version remains)
//       <major>.<minor>         = help string
//         <lcid>\win32          = module path
//         FLAGS                 = "0"
//         HELPDIR               = the module's folder
std::vector<RegistryKeyLayout> typeLibKeyLayout(const TypeLibRegistration& lib, const std::wstring& modulePath);

// Register needs the module's absolute path: SELFREG_E_CLASS,
// respectively SELFREG_E_TYPELIB, when it is empty.
HRESULT registerClass(const ClassRegistration& cls, const std::wstring& modulePath);
HRESULT unregisterClass(const ClassRegistration& cls);
HRESULT registerTypeLib(const TypeLibRegistration& lib, const std::wstring& modulePath);
HRESULT unregisterTypeLib(const TypeLibRegistration& lib);

// A class's registrar (its UpdateRegistry): writes or removes its keys;
// the module path is the calling component's.
inline HRESULT updateClassRegistry(bool registering, const ClassRegistration& cls)
{
    return registering ? registerClass(cls, thisModulePath()) : unregisterClass(cls);
}

// DllRegisterServer of the calling component: the registrar of every class
// of its object map, in map order, then the type library (when given); the
// first failure is answered at once.
inline HRESULT registerServer(const TypeLibRegistration* typeLib = nullptr)
{
    for (const Module::ClassEntry& e : module().classes()) {
        if (!e.updateRegistry)
            continue;
        const HRESULT hr = e.updateRegistry(true);
        if (FAILED(hr))
            return hr;
    }
    return typeLib ? registerTypeLib(*typeLib, thisModulePath()) : S_OK;
}

// DllUnregisterServer: removes all of it, going on after a failure, and
// answers the first failure.
inline HRESULT unregisterServer(const TypeLibRegistration* typeLib = nullptr)
{
    HRESULT first = S_OK;
    for (const Module::ClassEntry& e : module().classes()) {
        const HRESULT hr = e.updateRegistry ? e.updateRegistry(false) : S_OK;
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    if (typeLib) {
        const HRESULT hr = unregisterTypeLib(*typeLib);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    return first;
}

}  // namespace ks

// Inside a class: its registrar with the usual naming (classRegistration).
// typeLib is a `const GUID*`, null for none.
#define KS_DECLARE_REGISTRY(progIdPrefix, name, clsid, typeLib)                                      \
    static HRESULT UpdateRegistry(bool registering)                                                  \
    {                                                                                                \
        return ::ks::updateClassRegistry(registering,                                                \
                                         ::ks::classRegistration(progIdPrefix, name, clsid, typeLib)); \
    }

// The four exported entry points of a component: DllGetClassObject and
// DllCanUnloadNow over its object map, DllRegisterServer and
// DllUnregisterServer calling the given functions (HRESULT()). Use once, at
// namespace scope, in one source of the component.
#define KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerFn, unregisterFn)               \
    KS_IMPLEMENT_CLASS_OBJECT_ENTRY_POINTS()                                        \
    extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer()   \
    {                                                                               \
        return registerFn();                                                        \
    }                                                                               \
    extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer() \
    {                                                                               \
        return unregisterFn();                                                      \
    }
