// Shared helpers of the activation tests.
#pragma once

#include "ksregistry.h"
#include "kstest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace acttest {

inline std::string componentPath()
{
    return std::string(KS_LIB_DIR) + "/ks_activation_test_component.so";
}

inline std::string noEntryPath()
{
    return std::string(KS_LIB_DIR) + "/libks_activation_test_noentry.so";
}

inline std::string unresolvedPath()
{
    return std::string(KS_LIB_DIR) + "/libks_activation_test_unresolved.so";
}

inline ks::test::RunResult tool(const char* name, std::vector<std::string> args,
                                const std::vector<std::string>& env = {})
{
    args.insert(args.begin(), std::string(KS_BIN_DIR) + "/" + name);
    return ks::test::run(args, env);
}

// A copy of the test component in the test's folder, so that it can be
// deleted or registered under another path.
inline std::string copyComponent(const std::string& name)
{
    const std::string path = ks::test::tempDir() + "/" + name;
    std::filesystem::copy_file(componentPath(), path, std::filesystem::copy_options::overwrite_existing);
    return path;
}

// The default value (REG_SZ, without its terminator) of a key, or nothing
// when the key or value is missing.
inline std::optional<std::wstring> defaultText(HKEY root, const std::wstring& path, const wchar_t* name = L"")
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    DWORD type = 0;
    const LONG err = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buf), &size);
    RegCloseKey(key);
    if (err != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::wstring(buf);
}

inline bool keyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline void setText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                             nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
    RegCloseKey(key);
}

inline std::wstring wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

}  // namespace acttest
