// ksregsvr: registers a component (calls its DllRegisterServer) or, with
// -u, unregisters it (DllUnregisterServer).
#include "ksactivation.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

const char kUsage[] =
    "usage: ksregsvr [-u] MODULE\n"
    "Loads the component MODULE and calls its DllRegisterServer, or with -u\n"
    "its DllUnregisterServer. Exit status 0 on success, 1 when the module\n"
    "cannot be loaded, lacks the entry point or the call fails, 2 on bad\n"
    "arguments.\n";

int usage()
{
    std::fputs(kUsage, stderr);
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

}  // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    std::string module;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "-u") {
            unregister = true;
        } else if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "ksregsvr: unknown option %s\n", arg.c_str());
            return usage();
        } else if (module.empty() && !arg.empty()) {
            module = arg;
        } else {
            return usage();
        }
    }
    if (module.empty())
        return usage();

    const std::string path = absolutePath(module);
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";

    // Kept loaded until the process ends, like every component.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        std::fprintf(stderr, "ksregsvr: cannot load %s: %s\n", path.c_str(), why ? why : "unknown error");
        return 1;
    }
    using EntryFn = HRESULT (*)();
    auto fn = reinterpret_cast<EntryFn>(dlsym(handle, entry));
    if (!fn) {
        std::fprintf(stderr, "ksregsvr: %s was loaded, but the entry point %s was not found\n", path.c_str(),
                     entry);
        return 1;
    }

    CoInitialize(nullptr);
    const HRESULT hr = fn();
    CoUninitialize();
    if (FAILED(hr)) {
        std::fprintf(stderr, "ksregsvr: %s in %s failed with error code 0x%08X\n", entry, path.c_str(),
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("%s in %s succeeded.\n", entry, path.c_str());
    return 0;
}
