#include "readersettings.h"

#include <mutex>
#include <vector>

#include "kstextutil.h"

namespace {

const wchar_t kSettingsPathFormat[] = L"\\Software\\Kestrom\\Data Services\\%ls\\Applications\\%ls\\%ls";
const wchar_t kSourcePath[] = L"Source Path";
const wchar_t kDestinationPath[] = L"Destination Path";
const wchar_t kDefaultApp[] = L"DefaultApp";

std::mutex& appNameLock()
{
    static std::mutex lock;
    return lock;
}

std::wstring& appName()
{
    static std::wstring name;
    return name;
}

bool readValueText(HKEY key, const std::wstring& name, std::wstring& text)
{
    DWORD size = 0;
    LONG r = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &size);
    // Sized by the stored value, whatever its length; another writer may
    // grow it between the two calls, so the read is retried a few times.
    for (int attempt = 0; r == ERROR_SUCCESS && attempt < 4; ++attempt) {
        // Room for the data, a partial last character and a terminator.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        DWORD capacity = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        r = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                             &capacity);
        if (r == ERROR_SUCCESS) {
            text = buffer.data();
            return true;
        }
        if (r == ERROR_MORE_DATA) {
            size = capacity;
            r = ERROR_SUCCESS;
        }
    }
    return false;
}

}  // namespace

void SetSettingsAppName(const std::wstring& name)
{
    std::lock_guard<std::mutex> guard(appNameLock());
    appName() = name;
}

std::wstring GetSettingsAppName()
{
    std::lock_guard<std::mutex> guard(appNameLock());
    return appName().empty() ? std::wstring(kDefaultApp) : appName();
}

void MakeSettingsPath(const std::wstring& keyName, const std::wstring& valueName, std::wstring& path)
{
    path.clear();
    FormatWide(path, kSettingsPathFormat, keyName.c_str(), GetSettingsAppName().c_str(), valueName.c_str());
}

void ReadSourcePath(const std::wstring& keyName, std::wstring& text)
{
    text.clear();
    std::wstring path;
    MakeSettingsPath(keyName, kSourcePath, path);
    ReadRegistryText(HKEY_CURRENT_USER, path, text);
}

void ReadDestinationPath(const std::wstring& keyName, std::wstring& text)
{
    text.clear();
    std::wstring path;
    MakeSettingsPath(keyName, kDestinationPath, path);
    ReadRegistryText(HKEY_CURRENT_USER, path, text);
}

void WriteSourcePath(const std::wstring& keyName, const std::wstring& text)
{
    if (text.empty())
        return;
    std::wstring path;
    MakeSettingsPath(keyName, kSourcePath, path);
    WriteRegistryText(HKEY_CURRENT_USER, path, text);
}

void WriteDestinationPath(const std::wstring& keyName, const std::wstring& text)
{
    if (text.empty())
        return;
    std::wstring path;
    MakeSettingsPath(keyName, kDestinationPath, path);
    WriteRegistryText(HKEY_CURRENT_USER, path, text);
}

bool SplitRegistryPath(const std::wstring& path, std::wstring& first, std::wstring& rest)
{
    first.clear();
    rest.clear();
    size_t begin = 0;
    while (begin < path.size() && IsPathSeparator(path[begin]))
        ++begin;
    size_t end = begin;
    while (end < path.size() && !IsPathSeparator(path[end]))
        ++end;
    first = path.substr(begin, end - begin);
    if (end < path.size())
        rest = path.substr(end + 1);
    return !rest.empty();
}

bool ReadRegistryText(HKEY root, const std::wstring& path, std::wstring& text)
{
    std::wstring first, rest;
    if (!SplitRegistryPath(path, first, rest))
        return readValueText(root, first, text);
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, first.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool read = ReadRegistryText(key, rest, text);
    RegCloseKey(key);
    return read;
}

bool WriteRegistryText(HKEY root, const std::wstring& path, const std::wstring& text)
{
    std::wstring first, rest;
    if (!SplitRegistryPath(path, first, rest)) {
        const size_t bytes = text.size() * sizeof(wchar_t);
        if (bytes > 0xFFFFFFFFu)
            return false;
        return RegSetValueExW(root, first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                              static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, first.c_str(), 0, L"REG_SZ", REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = WriteRegistryText(key, rest, text);
    RegCloseKey(key);
    return written;
}
