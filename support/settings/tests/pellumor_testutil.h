// Helpers for the settings library's tests: raw registry access beside
// the library, and the ksreg tool.
#pragma once

#include "fregkey.h"
#include "kstest.h"

#include <string>
#include <vector>

namespace pt {

// "Software\Pardinel\Tavrion\" followed by the path.
std::wstring below(const std::wstring& path);

void setValue(HKEY hive, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
              DWORD cb);
void setSz(HKEY hive, const std::wstring& path, const std::wstring& name, const std::wstring& text,
           DWORD type = REG_SZ);
void setMulti(HKEY hive, const std::wstring& path, const std::wstring& name, const std::vector<std::wstring>& items);
void createKey(HKEY hive, const std::wstring& path);
void deleteTree(HKEY hive, const std::wstring& path);
bool keyExists(HKEY hive, const std::wstring& path);
bool valueExists(HKEY hive, const std::wstring& path, const std::wstring& name);

struct Raw {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};
Raw raw(HKEY hive, const std::wstring& path, const std::wstring& name);
// The stored text up to its first terminator; "<missing>" when absent.
std::wstring sz(HKEY hive, const std::wstring& path, const std::wstring& name);
std::vector<std::wstring> multi(HKEY hive, const std::wstring& path, const std::wstring& name);

// Full path of a program found on PATH (the name itself when not found).
std::string program(const std::string& name);

// Runs the registry tool with the test's registry.
ks::test::RunResult ksreg(const std::vector<std::string>& args);

// Makes a hive read-only for the life of the object.
class ReadOnlyHive {
public:
    explicit ReadOnlyHive(HKEY hive) : m_hive(hive) { KsRegSetHiveReadOnly(hive, TRUE); }
    ~ReadOnlyHive() { KsRegSetHiveReadOnly(m_hive, FALSE); }

private:
    HKEY m_hive;
};

// Restores the top registry key when the test ends.
class TopKeyGuard {
public:
    TopKeyGuard() : m_saved(GetTopRegistryKey()) {}
    ~TopKeyGuard() { SetTopRegistryKey(m_saved.c_str()); }

private:
    std::wstring m_saved;
};

}  // namespace pt
