#include "ksactivation.h"

#include "ksclasstable.h"
#include "ksfiles.h"
#include "kshive.h"
#include "ksregistry.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

using ks::reg::utf8FromWide;
using ks::reg::wideFromUtf8;

namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);

// Reads the default value of a key below HKEY_CLASSES_ROOT as text (REG_SZ,
// terminators dropped). ERROR_FILE_NOT_FOUND when the key or value is
// missing or holds no text.
LONG readClassesText(const std::wstring& path, std::wstring& out)
{
    out.clear();
    HKEY key = nullptr;
    LONG err = RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (err != ERROR_SUCCESS)
        return err;
    DWORD type = 0;
    DWORD size = 0;
    err = RegQueryValueExW(key, L"", nullptr, &type, nullptr, &size);
    if (err == ERROR_SUCCESS && type != REG_SZ)
        err = ERROR_FILE_NOT_FOUND;
    std::wstring text;
    if (err == ERROR_SUCCESS) {
        text.resize(size / sizeof(wchar_t) + 1);
        DWORD got = size;
        err = RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<LPBYTE>(&text[0]), &got);
        text.resize(got / sizeof(wchar_t));
    }
    RegCloseKey(key);
    if (err != ERROR_SUCCESS)
        return err;
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos)
        text.resize(end);
    out = text;
    return ERROR_SUCCESS;
}

// A module once loaded stays loaded until the process ends (the objects and
// factories it handed out may live anywhere); a module without the entry
// point is remembered as such.
struct LoadedModule {
    void* handle = nullptr;
    GetClassObjectFn getClassObject = nullptr;
};

std::recursive_mutex& modulesMutex()
{
    static std::recursive_mutex m;
    return m;
}

std::map<std::string, LoadedModule>& loadedModules()
{
    static std::map<std::string, LoadedModule> modules;
    return modules;
}

bool startsWithElfMagic(const std::string& path)
{
    const int fd = ks::openRegularFile(path);
    if (fd < 0)
        return false;
    char magic[4] = {};
    const bool elf = ::read(fd, magic, 4) == 4 && std::memcmp(magic, "\x7f" "ELF", 4) == 0;
    ::close(fd);
    return elf;
}

// The platform's result for a module dlopen refused.
HRESULT loadFailure(const std::string& path, const char* reason)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    std::fprintf(stderr, "ksplatform: cannot load module %s: %s\n", path.c_str(), reason ? reason : "unknown error");
    const std::string why = reason ? reason : "";
    if (S_ISDIR(st.st_mode) || !startsWithElfMagic(path) || why.find("wrong ELF class") != std::string::npos ||
        why.find("invalid ELF header") != std::string::npos || why.find("file too short") != std::string::npos)
        return HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT);
    if (why.find("undefined symbol") != std::string::npos)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    if (access(path.c_str(), R_OK) != 0)
        return E_ACCESSDENIED;
    // Typically a library the module needs is missing.
    return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

HRESULT loadModule(const std::string& path, GetClassObjectFn* fn)
{
    std::lock_guard<std::recursive_mutex> lock(modulesMutex());
    auto& modules = loadedModules();
    auto it = modules.find(path);
    if (it == modules.end()) {
        // A relative path would be resolved against the current folder and a
        // bare name searched for along the library path, where a planted
        // library could answer: registration writes absolute paths only,
        // and nothing else is loaded.
        if (path.empty() || path[0] != '/') {
            std::fprintf(stderr, "ksplatform: the module path \"%s\" of a registered class is not absolute; "
                                 "it is not loaded\n", path.c_str());
            return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        }
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return loadFailure(path, dlerror());
        LoadedModule m;
        m.handle = handle;
        m.getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
        it = modules.emplace(path, m).first;
    }
    if (!it->second.getClassObject)
        return CO_E_ERRORINDLL;
    *fn = it->second.getClassObject;
    return S_OK;
}

HRESULT registryFailure(LONG err)
{
    return err == ERROR_FILE_NOT_FOUND ? REGDB_E_CLASSNOTREG : REGDB_E_READREGDB;
}

}  // namespace

HRESULT CoInitialize(LPVOID)
{
    return S_OK;
}

HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return S_OK;
}

void CoUninitialize() {}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO*, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    if ((dwClsContext & CLSCTX_ALL) == 0)
        return E_INVALIDARG;

    HRESULT hr = ksGetRegisteredClassObject(rclsid, riid, ppv);
    if (hr != REGDB_E_CLASSNOTREG)
        return hr;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;

    std::wstring module;
    const LONG err = readClassesText(L"CLSID\\" + ks::guidToString(rclsid) + L"\\InprocServer32", module);
    if (err != ERROR_SUCCESS)
        return registryFailure(err);
    if (module.empty())
        return REGDB_E_CLASSNOTREG;

    GetClassObjectFn getClassObject = nullptr;
    hr = loadModule(utf8FromWide(module), &getClassObject);
    if (FAILED(hr))
        return hr;
    hr = getClassObject(rclsid, riid, ppv);
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    if (!factory)
        return E_NOINTERFACE;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid)
{
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    *lpclsid = CLSID_NULL;
    const std::wstring progId(lpszProgID);
    // A ProgID is one key name directly below the classes root.
    if (progId.empty() || progId.find(L'\\') != std::wstring::npos)
        return CO_E_CLASSSTRING;
    std::wstring text;
    if (readClassesText(progId + L"\\CLSID", text) != ERROR_SUCCESS)
        return CO_E_CLASSSTRING;
    CLSID clsid;
    if (!ks::guidFromString(text, &clsid))
        return CO_E_CLASSSTRING;
    *lpclsid = clsid;
    return S_OK;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID)
{
    if (!lplpszProgID)
        return E_INVALIDARG;
    *lplpszProgID = nullptr;
    std::wstring progId;
    const LONG err = readClassesText(L"CLSID\\" + ks::guidToString(clsid) + L"\\ProgID", progId);
    if (err != ERROR_SUCCESS)
        return registryFailure(err);
    if (progId.empty())
        return REGDB_E_CLASSNOTREG;
    const size_t bytes = (progId.size() + 1) * sizeof(wchar_t);
    auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!out)
        return E_OUTOFMEMORY;
    std::memcpy(out, progId.c_str(), bytes);
    *lplpszProgID = out;
    return S_OK;
}

LPVOID CoTaskMemAlloc(SIZE_T cb)
{
    return std::malloc(cb ? cb : 1);
}

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb)
{
    if (pv && cb == 0) {
        std::free(pv);
        return nullptr;
    }
    return std::realloc(pv, cb ? cb : 1);
}

void CoTaskMemFree(LPVOID pv)
{
    std::free(pv);
}

namespace ks {

std::wstring modulePathOf(const void* address)
{
    Dl_info info;
    if (!address || dladdr(address, &info) == 0)
        return std::wstring();
    std::string path = info.dli_fname ? info.dli_fname : "";
    if (path.empty()) {
        // The main program is reported without a name by some loaders.
        char buf[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0)
            return std::wstring();
        path.assign(buf, static_cast<size_t>(n));
    } else if (path[0] != '/') {
        // Loaded by a relative name: resolve it against the current folder.
        char* full = realpath(path.c_str(), nullptr);
        if (!full)
            return std::wstring();
        path = full;
        std::free(full);
    }
    return wideFromUtf8(path);
}

}  // namespace ks
