#include "ksregistrar.h"

#include <cwchar>

namespace ks {

namespace {

bool validKeyName(const std::wstring& name)
{
    return !name.empty() && name.find(L'\\') == std::wstring::npos;
}

LONG setValue(HKEY key, const RegistryValue& v)
{
    if (v.type == REG_DWORD)
        return RegSetValueExW(key, v.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.number),
                              sizeof v.number);
    const DWORD bytes = static_cast<DWORD>((v.text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, v.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.text.c_str()), bytes);
}

bool validLayout(const RegistryKeyLayout& key)
{
    if (!validKeyName(key.name))
        return false;
    for (const RegistryValue& v : key.values)
        if (v.type != REG_SZ && v.type != REG_DWORD)
            return false;
    for (const RegistryKeyLayout& sub : key.subkeys)
        if (!validLayout(sub))
            return false;
    return true;
}

LONG writeKey(HKEY parent, const RegistryKeyLayout& layout)
{
    if (layout.removal == KeyRemoval::ForceRemove) {
        const LONG err = RegDeleteTreeW(parent, layout.name.c_str());
        if (err != ERROR_SUCCESS && err != ERROR_FILE_NOT_FOUND)
            return err;
    }
    HKEY key = nullptr;
    LONG err = RegCreateKeyExW(parent, layout.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (err != ERROR_SUCCESS)
        return err;
    for (const RegistryValue& v : layout.values) {
        err = setValue(key, v);
        if (err != ERROR_SUCCESS)
            break;
    }
    for (size_t i = 0; err == ERROR_SUCCESS && i < layout.subkeys.size(); ++i)
        err = writeKey(key, layout.subkeys[i]);
    RegCloseKey(key);
    return err;
}

LONG removeKey(HKEY parent, const RegistryKeyLayout& layout)
{
    if (layout.removal == KeyRemoval::ForceRemove) {
        const LONG err = RegDeleteTreeW(parent, layout.name.c_str());
        return err == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : err;
    }
    HKEY key = nullptr;
    LONG err = RegOpenKeyExW(parent, layout.name.c_str(), 0, KEY_READ, &key);
    if (err == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (err != ERROR_SUCCESS)
        return err;
    LONG first = ERROR_SUCCESS;
    for (const RegistryKeyLayout& sub : layout.subkeys) {
        err = removeKey(key, sub);
        if (first == ERROR_SUCCESS)
            first = err;
    }
    DWORD subkeys = 0;
    if (layout.removal == KeyRemoval::Remove) {
        err = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr);
        if (first == ERROR_SUCCESS)
            first = err;
    }
    RegCloseKey(key);
    // Something else lives below the key (another version, another
    // component's entries): it stays.
    if (layout.removal == KeyRemoval::Remove && err == ERROR_SUCCESS && subkeys == 0) {
        err = RegDeleteKeyW(parent, layout.name.c_str());
        if (err != ERROR_SUCCESS && err != ERROR_FILE_NOT_FOUND && first == ERROR_SUCCESS)
            first = err;
    }
    return first;
}

HRESULT fromWin32(LONG err)
{
    return err == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(err);
}

std::wstring hex(DWORD n)
{
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%x", static_cast<unsigned>(n));
    return buf;
}

std::wstring folderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'/');
    if (slash == std::wstring::npos)
        return std::wstring();
    return slash == 0 ? std::wstring(L"/") : path.substr(0, slash);
}

}  // namespace

HRESULT writeKeyLayout(HKEY root, const std::vector<RegistryKeyLayout>& keys)
{
    for (const RegistryKeyLayout& k : keys)
        if (!validLayout(k))
            return E_INVALIDARG;
    for (const RegistryKeyLayout& k : keys) {
        const LONG err = writeKey(root, k);
        if (err != ERROR_SUCCESS)
            return fromWin32(err);
    }
    return S_OK;
}

HRESULT removeKeyLayout(HKEY root, const std::vector<RegistryKeyLayout>& keys)
{
    for (const RegistryKeyLayout& k : keys)
        if (!validLayout(k))
            return E_INVALIDARG;
    LONG first = ERROR_SUCCESS;
    for (const RegistryKeyLayout& k : keys) {
        const LONG err = removeKey(root, k);
        if (first == ERROR_SUCCESS)
            first = err;
    }
    return fromWin32(first);
}

ClassRegistration classRegistration(const std::wstring& progIdPrefix, const std::wstring& name, REFCLSID clsid,
                                    const GUID* typeLib)
{
    ClassRegistration r;
    r.clsid = clsid;
    r.description = name + L" Class";
    r.versionIndependentProgId = progIdPrefix + L"." + name;
    r.progId = r.versionIndependentProgId + L".1";
    if (typeLib)
        r.typeLib = *typeLib;
    return r;
}

std::vector<RegistryKeyLayout> classKeyLayout(const ClassRegistration& cls, const std::wstring& modulePath)
{
    const std::wstring clsid = guidToString(cls.clsid);
    std::vector<RegistryKeyLayout> keys;
    if (!cls.progId.empty())
        keys.push_back({cls.progId,
                        KeyRemoval::Remove,
                        {stringValue(L"", cls.description)},
                        {{L"CLSID", KeyRemoval::Remove, {stringValue(L"", clsid)}, {}}}});
    if (!cls.versionIndependentProgId.empty()) {
        RegistryKeyLayout vi{cls.versionIndependentProgId,
                             KeyRemoval::Remove,
                             {stringValue(L"", cls.description)},
                             {{L"CLSID", KeyRemoval::Remove, {stringValue(L"", clsid)}, {}}}};
        if (!cls.progId.empty())
            vi.subkeys.push_back({L"CurVer", KeyRemoval::Remove, {stringValue(L"", cls.progId)}, {}});
        keys.push_back(vi);
    }

    RegistryKeyLayout classKey{clsid, KeyRemoval::ForceRemove, {stringValue(L"", cls.description)}, {}};
    if (!cls.progId.empty())
        classKey.subkeys.push_back({L"ProgID", KeyRemoval::Remove, {stringValue(L"", cls.progId)}, {}});
    if (!cls.versionIndependentProgId.empty())
        classKey.subkeys.push_back(
            {L"VersionIndependentProgID", KeyRemoval::Remove, {stringValue(L"", cls.versionIndependentProgId)}, {}});
    classKey.subkeys.push_back({L"Programmable", KeyRemoval::Remove, {}, {}});
    classKey.subkeys.push_back({L"InprocServer32",
                                KeyRemoval::Remove,
                                {stringValue(L"", modulePath), stringValue(L"ThreadingModel", L"Apartment")},
                                {}});
    if (cls.typeLib)
        classKey.subkeys.push_back({L"TypeLib", KeyRemoval::Remove, {stringValue(L"", guidToString(*cls.typeLib))}, {}});
    keys.push_back({L"CLSID", KeyRemoval::NoRemove, {}, {classKey}});
    return keys;
}

std::vector<RegistryKeyLayout> typeLibKeyLayout(const TypeLibRegistration& lib, const std::wstring& modulePath)
{
    RegistryKeyLayout version{hex(lib.majorVersion) + L"." + hex(lib.minorVersion),
                              KeyRemoval::Remove,
                              {stringValue(L"", lib.helpString)},
                              {{hex(lib.lcid),
                                KeyRemoval::Remove,
                                {},
                                {{L"win32", KeyRemoval::Remove, {stringValue(L"", modulePath)}, {}}}},
                               {L"FLAGS", KeyRemoval::Remove, {stringValue(L"", L"0")}, {}},
                               {L"HELPDIR", KeyRemoval::Remove, {stringValue(L"", folderOf(modulePath))}, {}}}};
    RegistryKeyLayout libKey{guidToString(lib.libid), KeyRemoval::Remove, {}, {version}};
    return {{L"TypeLib", KeyRemoval::NoRemove, {}, {libKey}}};
}

HRESULT registerClass(const ClassRegistration& cls, const std::wstring& modulePath)
{
    if (modulePath.empty())
        return SELFREG_E_CLASS;
    return writeKeyLayout(HKEY_CLASSES_ROOT, classKeyLayout(cls, modulePath));
}

HRESULT unregisterClass(const ClassRegistration& cls)
{
    return removeKeyLayout(HKEY_CLASSES_ROOT, classKeyLayout(cls, std::wstring()));
}

HRESULT registerTypeLib(const TypeLibRegistration& lib, const std::wstring& modulePath)
{
    if (modulePath.empty())
        return SELFREG_E_TYPELIB;
    return writeKeyLayout(HKEY_CLASSES_ROOT, typeLibKeyLayout(lib, modulePath));
}

HRESULT unregisterTypeLib(const TypeLibRegistration& lib)
{
    return removeKeyLayout(HKEY_CLASSES_ROOT, typeLibKeyLayout(lib, std::wstring()));
}

}  // namespace ks
