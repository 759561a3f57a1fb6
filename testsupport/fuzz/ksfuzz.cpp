#include "ksfuzz.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace ks::fuzz {
namespace {

struct Folder {
    std::string path;
    Folder()
    {
        // In memory where the machine offers it: a target that writes its
        // input to a file runs many times faster than on a disk.
        const char* t = std::getenv("TMPDIR");
        std::string base = (t && *t) ? t : "/tmp";
        if (::access("/dev/shm", W_OK | X_OK) == 0)
            base = "/dev/shm";
        std::string tmpl = base + "/ksfuzz-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) {
            std::perror("ksfuzz: cannot create a temporary folder");
            std::abort();
        }
        path = buf.data();
        for (const char* sub : {"registry", "config", "tmp"})
            std::filesystem::create_directories(path + "/" + sub);
        setenv("KESTROM_REGISTRY", (path + "/registry").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
        setenv("HOME", path.c_str(), 1);
        setenv("TMPDIR", (path + "/tmp").c_str(), 1);
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& tempDir()
{
    static Folder folder;
    return folder.path;
}

std::string writeInput(const uint8_t* data, size_t size, const std::string& name)
{
    const std::string path = tempDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror("ksfuzz: cannot write the input file");
        std::abort();
    }
    if (size && std::fwrite(data, 1, size, f) != size) {
        std::perror("ksfuzz: cannot write the input file");
        std::abort();
    }
    std::fclose(f);
    return path;
}

void quietStdio()
{
    static const bool done = [] {
        std::fflush(stdout);
        std::fflush(stderr);
        std::FILE* null = std::fopen("/dev/null", "w");
        if (!null) {
            std::perror("ksfuzz: cannot open /dev/null");
            std::abort();
        }
        stdout = null;
        stderr = null;
        return true;
    }();
    (void)done;
}

}  // namespace ks::fuzz
