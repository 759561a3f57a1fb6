// ksregsvr: registers a component (calls its DllRegisterServer) or, with
// -u, unregisters it (DllUnregisterServer).
//
// A data provider registers by announcing itself to the provider server it
// finds registered, and ignores the answer: registered before the provider
// server, it is never listed, although its registration succeeds. ksregsvr
// keeps that behaviour and warns about it on standard error.
#include "ksactivation.h"
#include "ksclasstable.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksfiles.h"
#include "kshive.h"
#include "ksregistry.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

const char kUsage[] =
    "usage: ksregsvr [-u] MODULE\n"
    "Loads the component MODULE and calls its DllRegisterServer, or with -u\n"
    "its DllUnregisterServer. Register the provider server (KSProviderServer.so)\n"
    "before the data providers, and unregister it after them: a provider\n"
    "announces itself to the provider server registered at that time. The\n"
    "registry is the folder KESTROM_REGISTRY, else\n"
    "$XDG_CONFIG_HOME/kestrom/registry, else ~/.config/kestrom/registry.\n"
    "Exit status 0 on success, 1 when the module cannot be loaded, lacks the\n"
    "entry point or the call fails, 2 on bad arguments.\n";

// A bad argument: one line naming it and what is allowed; the full usage
// is for --help and for no arguments at all.
int badArgument(const std::string& message)
{
    std::fprintf(stderr, "ksregsvr: %s\n", message.c_str());
    return 2;
}

// The module's path as the component will see it through dladdr: absolute,
// so that the registry never holds a path relative to some folder.
std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    if (ec)
        return path;
    return p.lexically_normal().string();
}

// Why no provider server can be created now, from the registry; empty
// when one is registered and its module exists.
std::string providerServerMissing()
{
    const std::wstring key = L"CLSID\\" + ks::guidToString(CLSID_KSProviderServer) + L"\\InprocServer32";
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return "no provider server is registered";
    wchar_t path[4096] = {};
    DWORD size = sizeof path - sizeof(wchar_t);
    DWORD type = 0;
    const LONG err = RegQueryValueExW(h, L"", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(h);
    if (err != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !path[0])
        return "no provider server is registered";
    const std::string narrow = ks::reg::utf8FromWide(path);  // activation opens the path as UTF-8
    if (::access(narrow.c_str(), R_OK) != 0)
        return "the registered provider server " + ks::printableText(narrow) + " does not exist";
    return std::string();
}

// Stands in for the missing provider server while the module's entry point
// runs: a creation fails as it would have without it (the class is not
// there), and the request shows that the module announces a data provider.
class AbsentProviderServer : public ks::Object<IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        if (ppv)
            *ppv = nullptr;
        asked = true;
        return REGDB_E_CLASSNOTREG;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    bool asked = false;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    bool unregister = false;
    std::string module;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && (arg == "-h" || arg == "--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (options && arg == "-u") {
            unregister = true;
        } else if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return badArgument("unknown option \"" + ks::printableText(arg) +
                               "\"; allowed: -u (unregister), --help");
        } else if (arg.empty()) {
            return badArgument("MODULE is empty; give the path of a component");
        } else if (!module.empty()) {
            return badArgument("one MODULE at a time; got \"" + ks::printableText(module) + "\" and \"" +
                               ks::printableText(arg) + "\"");
        } else {
            module = arg;
        }
    }
    if (module.empty())
        return badArgument("MODULE missing; give the path of a component");

    const std::string path = absolutePath(module);
    const std::string shown = ks::printableText(path);  // in messages
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";

    // Kept loaded until the process ends, like every component.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        std::fprintf(stderr, "ksregsvr: cannot load %s: %s\n", shown.c_str(), why ? why : "unknown error");
        return 1;
    }
    using EntryFn = HRESULT (*)();
    auto fn = reinterpret_cast<EntryFn>(dlsym(handle, entry));
    if (!fn) {
        std::fprintf(stderr, "ksregsvr: %s was loaded, but the entry point %s was not found\n", shown.c_str(),
                     entry);
        return 1;
    }

    // Without a provider server, the stand-in is served first: activation
    // asks the in-process class table before the registry.
    const std::string missing = providerServerMissing();
    ks::ComPtr<AbsentProviderServer> absent;
    DWORD cookie = 0;
    if (!missing.empty()) {
        AbsentProviderServer* p = nullptr;
        if (SUCCEEDED(ks::createObject(&p))) {
            absent = p;
            if (FAILED(ksRegisterClassObject(CLSID_KSProviderServer, absent.get(), &cookie)))
                absent = nullptr;
        }
    }

    CoInitialize(nullptr);
    const HRESULT hr = fn();
    CoUninitialize();
    const bool announced = absent && absent->asked;
    if (absent)
        ksRevokeClassObject(cookie);
    if (FAILED(hr)) {
        std::fprintf(stderr, "ksregsvr: %s in %s failed with error code 0x%08X\n", entry, shown.c_str(),
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("%s in %s succeeded.\n", entry, shown.c_str());
    if (announced) {
        if (unregister)
            std::fprintf(stderr,
                         "ksregsvr: warning: %s holds a data provider, but %s: its entry in the provider list, "
                         "if any, stays. Register the provider server (KSProviderServer.so), run ksregsvr -u on %s again, then "
                         "unregister the provider server.\n",
                         shown.c_str(), missing.c_str(), shown.c_str());
        else
            std::fprintf(stderr,
                         "ksregsvr: warning: %s holds a data provider, but %s: the provider is not in the "
                         "provider list. Register the provider server (KSProviderServer.so) first, then %s "
                         "again.\n",
                         shown.c_str(), missing.c_str(), shown.c_str());
    }
    return 0;
}
