// Small helpers shared by the registry tests.
#pragma once

#include "ksregistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace regtest {

inline std::string bytesOf(const std::wstring& w)
{
    return std::string(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
}

// A string value as the system writes it: with its terminating zero.
inline std::string sz(const std::wstring& w)
{
    return bytesOf(w + L'\0');
}

inline std::string dword(uint32_t v)
{
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

inline HKEY create(HKEY root, const wchar_t* path, REGSAM sam = KEY_ALL_ACCESS)
{
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path, 0, nullptr, 0, sam, nullptr, &h, nullptr));
    return h;
}

inline HKEY open(HKEY root, const wchar_t* path, REGSAM sam = KEY_READ)
{
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root, path, 0, sam, &h));
    return h;
}

inline LONG set(HKEY h, const wchar_t* name, DWORD type, const std::string& data)
{
    return RegSetValueExW(h, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
}

struct Read {
    LONG result = -1;
    DWORD type = 0xFFFF;
    std::string data;
};

inline Read get(HKEY h, const wchar_t* name)
{
    Read r;
    DWORD cb = 0;
    r.result = RegQueryValueExW(h, name, nullptr, &r.type, nullptr, &cb);
    if (r.result != ERROR_SUCCESS)
        return r;
    std::string buf(cb + 16, '\x5a');
    DWORD cb2 = cb;
    r.result = RegQueryValueExW(h, name, nullptr, &r.type, reinterpret_cast<BYTE*>(&buf[0]), &cb2);
    EXPECT_EQ(cb, cb2);
    // Nothing is written past the data (no terminator is added).
    EXPECT_EQ(std::string(16, '\x5a'), buf.substr(cb));
    r.data = buf.substr(0, cb2);
    return r;
}

inline std::vector<std::wstring> subkeys(HKEY h)
{
    std::vector<std::wstring> out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD cch = 256;
        const LONG r = RegEnumKeyExW(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (r != ERROR_SUCCESS) {
            EXPECT_EQ(ERROR_NO_MORE_ITEMS, r);
            break;
        }
        out.emplace_back(name, cch);
    }
    return out;
}

inline std::vector<std::wstring> valueNames(HKEY h)
{
    std::vector<std::wstring> out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD cch = 256;
        const LONG r = RegEnumValueW(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (r != ERROR_SUCCESS) {
            EXPECT_EQ(ERROR_NO_MORE_ITEMS, r);
            break;
        }
        out.emplace_back(name, cch);
    }
    return out;
}

inline std::string registryDir()
{
    const char* e = std::getenv("KESTROM_REGISTRY");
    return e ? e : "";
}

inline std::string userHive()
{
    return registryDir() + "/HKEY_CURRENT_USER.hive";
}

inline std::string machineHive()
{
    return registryDir() + "/HKEY_LOCAL_MACHINE.hive";
}

}  // namespace regtest
