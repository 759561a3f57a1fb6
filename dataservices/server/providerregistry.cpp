#include "providerregistry.h"

#include "ksregistry.h"

#include <new>
#include <string>

namespace {

// Closes a key handle when it goes.
class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    HKEY* operator&() { return &m_key; }
    operator HKEY() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// A REG_SZ value stored with its terminating zero, of any length; the text
// ends at its first zero.
bool ReadString(HKEY key, const wchar_t* name, std::wstring& text)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    // Another process may change the value between the two calls: read
    // into a buffer of the size just reported and check what came back.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0)
            return false;
        std::wstring buffer(size / sizeof(wchar_t), L'\0');
        DWORD got = size;
        const LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (rc == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (rc != ERROR_SUCCESS || type != REG_SZ || got < sizeof(wchar_t) || got % sizeof(wchar_t) != 0)
            return false;
        buffer.resize(got / sizeof(wchar_t));
        if (buffer.back() != L'\0')
            return false;
        text.assign(buffer.c_str());
        return true;
    }
    return false;
}

bool ReadDword(HKEY key, const wchar_t* name, LONG& number)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof(value))
        return false;
    number = static_cast<LONG>(value);
    return true;
}

bool LoadProvider(HKEY root, const wchar_t* name, CKSProviderDescriptionImpl& record)
{
    KeyHandle key;
    if (RegOpenKeyExW(root, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    record.ClassID = name;
    if (!ReadString(key, L"Class Name", record.ClassName) || !ReadString(key, L"Copyright", record.Copyright) ||
        !ReadString(key, L"Menu Name", record.MenuName) || !ReadString(key, L"Supplier", record.Supplier) ||
        !ReadString(key, L"Version", record.Version) || !ReadDword(key, L"Provider Flags", record.ProviderFlags))
        return false;
    if (!ReadString(key, L"DataServer Class ID", record.DataServerClassID))
        record.DataServerClassID.clear();
    if (!ReadString(key, L"File Filter", record.FileFilter))
        record.FileFilter.clear();
    return true;
}

HRESULT FromWin32(LONG rc)
{
    return HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
}

LONG WriteString(HKEY key, const wchar_t* name, const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (bytes > 0xFFFFFFFFu)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(bytes));
}

}  // namespace

std::vector<CKSProviderDescriptionImpl> LoadProviderList()
{
    std::vector<CKSProviderDescriptionImpl> list;
    KeyHandle root;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDataServicesKey, 0, KEY_READ, &root) != ERROR_SUCCESS)
        return list;
    DWORD count = 0;
    if (RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return list;
    for (DWORD i = 0; i < count; ++i) {
        wchar_t name[260];
        DWORD length = 260;
        if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        CKSProviderDescriptionImpl record;
        if (LoadProvider(root, name, record))
            list.push_back(std::move(record));
    }
    return list;
}

HRESULT WriteProviderKey(const CKSProviderDescriptionImpl& record, const std::wstring& dataServerClassID,
                         const std::wstring& fileFilter)
{
    const std::wstring path = std::wstring(kDataServicesKey) + L"\\" + record.ClassID;
    KeyHandle key;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    const struct {
        const wchar_t* name;
        const std::wstring& text;
    } strings[] = {
        {L"Class Name", record.ClassName},
        {L"Copyright", record.Copyright},
        {L"Menu Name", record.MenuName},
        {L"Supplier", record.Supplier},
        {L"Version", record.Version},
        {L"DataServer Class ID", dataServerClassID},
        {L"File Filter", fileFilter},
    };
    for (const auto& s : strings) {
        rc = WriteString(key, s.name, s.text);
        if (rc != ERROR_SUCCESS)
            return FromWin32(rc);
    }
    const DWORD flags = static_cast<DWORD>(record.ProviderFlags);
    rc = RegSetValueExW(key, L"Provider Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), sizeof(flags));
    return rc == ERROR_SUCCESS ? S_OK : FromWin32(rc);
}

HRESULT DeleteProviderKey(const std::wstring& classID)
{
    KeyHandle root;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, kDataServicesKey, 0, KEY_READ | KEY_WRITE, &root);
    if (rc == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    rc = RegDeleteTreeW(root, classID.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND)
        return S_OK;
    return FromWin32(rc);
}
