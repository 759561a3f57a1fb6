// Hive text: whatever the bytes, parsing ends (complete or at a damaged
// line), and what was read formats to text that parses back to the same
// tree. The same bytes as a hive file then go through the registry calls:
// every key and value that was read enumerates and queries, and a write
// keeps the damaged file aside and leaves a hive that reads complete.
#include "ksfuzz.h"
#include "kshive.h"
#include "ksregistry.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// Counts the keys and values below an open key through the calls a user
// of the registry makes.
size_t walk(HKEY key, int depth)
{
    size_t seen = 1;
    DWORD subkeys = 0, values = 0;
    check(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr) == ERROR_SUCCESS);
    for (DWORD i = 0; i < values; ++i) {
        wchar_t name[300];
        DWORD nameLen = 300, type = 0, dataLen = 0;
        LONG r = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, nullptr, &dataLen);
        if (r != ERROR_SUCCESS)
            continue;
        std::vector<BYTE> data(dataLen + 1);
        DWORD size = dataLen;
        check(RegQueryValueExW(key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS && size == dataLen);
        ++seen;
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        wchar_t name[300];
        DWORD nameLen = 300;
        if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        seen += depth < 64 ? walk(sub, depth + 1) : 1;
        RegCloseKey(sub);
    }
    return seen;
}

void hiveFile(const uint8_t* data, size_t size)
{
    const std::string folder = ks::fuzz::tempDir() + "/registry";
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        fs::remove(e.path(), ec);
    // A new file (new inode) each time, as another process replacing it.
    const std::string temp = ks::fuzz::writeInput(data, size, "next.hive");
    check(std::rename(temp.c_str(), (folder + "/HKEY_CURRENT_USER.hive").c_str()) == 0);

    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"", 0, KEY_READ, &root) == ERROR_SUCCESS) {
        walk(root, 0);
        RegCloseKey(root);
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Fuzz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    const DWORD one = 1;
    const LONG r = RegSetValueExW(key, L"written", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS)
        return;
    // What the write left is a whole hive with the new value.
    std::FILE* f = std::fopen((folder + "/HKEY_CURRENT_USER.hive").c_str(), "rb");
    check(f != nullptr);
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    ks::reg::Key written;
    check(ks::reg::parseHive(text, written).complete);
    DWORD got = 0, len = sizeof got;
    check(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Fuzz", 0, KEY_READ, &key) == ERROR_SUCCESS);
    check(RegQueryValueExW(key, L"written", nullptr, nullptr, reinterpret_cast<BYTE*>(&got), &len) ==
              ERROR_SUCCESS &&
          got == 1);
    RegCloseKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ks::fuzz::quietStdio();
    const std::string text(reinterpret_cast<const char*>(data), size);
    ks::reg::Key root;
    ks::reg::parseHive(text, root);
    const std::string once = ks::reg::formatHive(root, "HKEY_CURRENT_USER");
    ks::reg::Key again;
    const ks::reg::ParseStatus st = ks::reg::parseHive(once, again);
    if (!st.complete || ks::reg::formatHive(again, "HKEY_CURRENT_USER") != once)
        std::abort();  // the writer produced text its own reader refuses or changes

    hiveFile(data, size);
    return 0;
}
