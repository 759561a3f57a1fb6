// Self-registration: writing and removing the registry keys of a
// component's classes and type library, and the four exported entry points
// of a component.
//
// A component describes what it registers and lets the entry points do the
// rest:
//
//   const ks::ComponentRegistration& registration()
//   {
//       static const ks::ComponentRegistration r{
//           {ks::classRegistration(L"KSTextProvider", L"KSTextProvider", CLSID_KSTextProvider, &LIBID_X),
//            ks::classRegistration(L"KSTextProvider", L"KSTextDataServer", CLSID_KSTextDataServer, &LIBID_X)},
//           ks::TypeLibRegistration{LIBID_X, 1, 0, 0, L"KSTextProvider 1.0 Type Library"}};
//       return r;
//   }
//   HRESULT registerServer() { return ks::registerComponent(registration()); }
//   HRESULT unregisterServer() { return ks::unregisterComponent(registration()); }
//   KS_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
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

// Everything a component registers.
struct ComponentRegistration {
    std::vector<ClassRegistration> classes;
    std::optional<TypeLibRegistration> typeLib;
};

// Registers the classes in order, then the type library; the first failure
// is answered at once.
HRESULT registerComponent(const ComponentRegistration& component, const std::wstring& modulePath);
// Removes the classes and the type library; goes on after a failure and
// answers the first one.
HRESULT unregisterComponent(const ComponentRegistration& component);

// Registers the calling component under its own module path.
inline HRESULT registerComponent(const ComponentRegistration& component)
{
    return registerComponent(component, thisModulePath());
}

}  // namespace ks

// The four exported entry points of a component: DllGetClassObject and
// DllCanUnloadNow serve the component's object map (ks::module()),
// DllRegisterServer and DllUnregisterServer call the given functions
// (HRESULT()). Use once, at namespace scope, in one source of the component.
#define KS_COMPONENT_ENTRY_POINTS(registerFn, unregisterFn)                                             \
    extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,        \
                                                                                REFIID riid, void** ppv) \
    {                                                                                                   \
        return ::ks::module().getClassObject(clsid, riid, ppv);                                         \
    }                                                                                                   \
    extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow()                         \
    {                                                                                                   \
        return ::ks::module().canUnloadNow();                                                           \
    }                                                                                                   \
    extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer()                       \
    {                                                                                                   \
        return registerFn();                                                                            \
    }                                                                                                   \
    extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer()                     \
    {                                                                                                   \
        return unregisterFn();                                                                          \
    }
