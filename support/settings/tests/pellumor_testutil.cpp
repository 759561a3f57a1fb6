#include "pellumor_testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace pt {

std::wstring below(const std::wstring& path)
{
    return L"Software\\Pardinel\\Tavrion\\" + path;
}

void createKey(HKEY hive, const std::wstring& path)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
}

void setValue(HKEY hive, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD cb)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), cb), ERROR_SUCCESS);
    RegCloseKey(h);
}

void setSz(HKEY hive, const std::wstring& path, const std::wstring& name, const std::wstring& text, DWORD type)
{
    setValue(hive, path, name, type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

void setMulti(HKEY hive, const std::wstring& path, const std::wstring& name, const std::vector<std::wstring>& items)
{
    std::wstring block;
    for (const auto& s : items) {
        block += s;
        block += L'\0';
    }
    block += L'\0';
    setValue(hive, path, name, REG_MULTI_SZ, block.data(), DWORD(block.size() * sizeof(wchar_t)));
}

void deleteTree(HKEY hive, const std::wstring& path)
{
    EXPECT_EQ(RegDeleteTreeW(hive, path.c_str()), ERROR_SUCCESS);
}

bool keyExists(HKEY hive, const std::wstring& path)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

Raw raw(HKEY hive, const std::wstring& path, const std::wstring& name)
{
    Raw r;
    HKEY h = nullptr;
    if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return r;
    DWORD cb = 0;
    if (RegQueryValueExW(h, name.c_str(), nullptr, &r.type, nullptr, &cb) == ERROR_SUCCESS) {
        r.bytes.resize(cb);
        if (RegQueryValueExW(h, name.c_str(), nullptr, &r.type, r.bytes.data(), &cb) == ERROR_SUCCESS)
            r.found = true;
    }
    RegCloseKey(h);
    return r;
}

bool valueExists(HKEY hive, const std::wstring& path, const std::wstring& name)
{
    return raw(hive, path, name).found;
}

std::wstring sz(HKEY hive, const std::wstring& path, const std::wstring& name)
{
    const Raw r = raw(hive, path, name);
    if (!r.found)
        return L"<missing>";
    std::wstring text(reinterpret_cast<const wchar_t*>(r.bytes.data()), r.bytes.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

std::vector<std::wstring> multi(HKEY hive, const std::wstring& path, const std::wstring& name)
{
    std::vector<std::wstring> out;
    const Raw r = raw(hive, path, name);
    if (!r.found)
        return out;
    std::wstring block(reinterpret_cast<const wchar_t*>(r.bytes.data()), r.bytes.size() / sizeof(wchar_t));
    size_t pos = 0;
    while (pos < block.size()) {
        const size_t end = block.find(L'\0', pos);
        const std::wstring item = block.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
        if (item.empty())
            break;
        out.push_back(item);
        if (end == std::wstring::npos)
            break;
        pos = end + 1;
    }
    return out;
}

std::string program(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = dir + "/" + name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return name;
}

ks::test::RunResult ksreg(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{std::string(KS_BIN_DIR) + "/ksreg"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ks::test::run(argv);
}

}  // namespace pt
