// Component activation: objects created by class identifier. The
// in-process class table (ksclasstable.h) is asked first; otherwise
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 names the module, which is
// loaded once with dlopen (and never unloaded) and asked for its factory
// through DllGetClassObject. ProgIDs resolve through
// HKEY_CLASSES_ROOT\<ProgID>\CLSID.
//
// Results for a class that cannot be created:
//   REGDB_E_CLASSNOTREG                      no class table entry, no InprocServer32 module
//   HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)  the module file (or a library it needs) is missing
//   HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT) the module file is no loadable library
//   HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) the module needs a symbol nothing provides
//   CO_E_ERRORINDLL                          the module has no DllGetClassObject
// and whatever DllGetClassObject or the factory answer.
#pragma once

#include "ksinterfaces.h"
#include "ksobject.h"

#include <string>

// Class contexts. Only in-process servers exist: the registry is consulted
// only when CLSCTX_INPROC_SERVER is asked for.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
static_assert(CLSCTX_ALL == 23, "class context of 'any server'");

// Initialisation modes; apartments are not enforced, so they change nothing.
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

// Remote server information; there are no remote servers, it is ignored.
struct COSERVERINFO;

#define KS_ACTIVATION_API extern "C" __attribute__((visibility("default")))

// No-ops (no apartments, nothing to set up): always S_OK.
KS_ACTIVATION_API HRESULT CoInitialize(LPVOID pvReserved);
KS_ACTIVATION_API HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
KS_ACTIVATION_API void CoUninitialize();

// The class object (factory) of a class, queried for riid. E_INVALIDARG
// for a null ppv or a context naming no server kind.
KS_ACTIVATION_API HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO* pServerInfo,
                                           REFIID riid, LPVOID* ppv);
// A new object of a class: its factory's CreateInstance(pUnkOuter, riid).
KS_ACTIVATION_API HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                           LPVOID* ppv);

// The CLSID registered for a ProgID; CO_E_CLASSSTRING (and CLSID_NULL) for
// an unknown ProgID or one whose CLSID text is not a class identifier.
KS_ACTIVATION_API HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
// The ProgID registered for a class, allocated with CoTaskMemAlloc;
// REGDB_E_CLASSNOTREG when the class has none.
KS_ACTIVATION_API HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);

// The task allocator (plain malloc; a zero size gives a valid block, a
// reallocation to zero frees the block and answers null).
KS_ACTIVATION_API LPVOID CoTaskMemAlloc(SIZE_T cb);
KS_ACTIVATION_API LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
KS_ACTIVATION_API void CoTaskMemFree(LPVOID pv);

namespace ks {

// Absolute path of the shared library (or program) that holds `address`,
// decoded from UTF-8; empty when the address belongs to no module.
std::wstring modulePathOf(const void* address);

// Path of the calling component: its ks::module() lives in its own library
// (hidden visibility). In programs and ksplatform itself this names
// whichever of them holds the shared module object.
inline std::wstring thisModulePath()
{
    return modulePathOf(&module());
}

}  // namespace ks
