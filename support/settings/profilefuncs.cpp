// Version texts and the profile functions over the machine hive.
#include "profilefuncs.h"
#include "pellumor_p.h"

#include <vector>

namespace {

constexpr DWORD kProfileAccess = KEY_READ | KEY_WRITE;

// A copy of the initial top registry key: SetTopRegistryKey does not move
// the profile sections.
const std::wstring& profileRoot()
{
    static const std::wstring root(pellumor::kInitialTopKey);
    return root;
}

std::wstring sectionPath(const wchar_t* section)
{
    return profileRoot() + (section ? section : L"");
}

HKEY openSection(const wchar_t* section)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sectionPath(section).c_str(), 0, kProfileAccess, &h) != ERROR_SUCCESS)
        return nullptr;
    return h;
}

HKEY createSection(const wchar_t* section)
{
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, sectionPath(section).c_str(), 0, L"", REG_OPTION_NON_VOLATILE,
                        kProfileAccess, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return h;
}

// Fills the cache from the "Global" key; false when the value cannot be
// read.
bool readGlobal(const wchar_t* name, CString& cache)
{
    CFRegKey key(HKEY_LOCAL_MACHINE, L"Global", 0, 0);
    return key.ReadStr(name, cache) != 0;
}

}  // namespace

const CString& GetTavrionVersionString()
{
    static CString version;
    if (version.IsEmpty() && !readGlobal(L"Version", version))
        version = L"(Engineering)";
    return version;
}

const CString& GetTavrionProductVersionStr()
{
    static CString product;
    if (product.IsEmpty() && !readGlobal(L"ProductVersion", product))
        product = GetTavrionVersionString();
    return product;
}

int FGetPrivateProfileStr(const wchar_t* lpszSection, const wchar_t* lpszName, CString& strValue)
{
    HKEY h = openSection(lpszSection);
    if (!h)
        return 0;
    DWORD type = 0;
    DWORD cb = 0;
    int ok = 0;
    if (RegQueryValueExW(h, lpszName, nullptr, &type, nullptr, &cb) == ERROR_SUCCESS && type == REG_SZ) {
        // One character more than the data, zero-filled: the text ends
        // also when it was stored without its terminator.
        std::vector<wchar_t> text((cb + sizeof(wchar_t) - 1) / sizeof(wchar_t) + 1, L'\0');
        DWORD got = cb;
        if (RegQueryValueExW(h, lpszName, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &got) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            strValue = text.data();
            ok = 1;
        }
    }
    RegCloseKey(h);
    return ok;
}

int FGetPrivateProfileBin(const wchar_t* lpszSection, const wchar_t* lpszName, void* pData, UINT* pnLength)
{
    HKEY h = openSection(lpszSection);
    if (!h)
        return 0;
    if (!pnLength || !pData) {
        RegCloseKey(h);
        return 0;
    }
    DWORD type = 0;
    DWORD cb = 0;
    int ok = 0;
    if (RegQueryValueExW(h, lpszName, nullptr, &type, nullptr, &cb) == ERROR_SUCCESS) {
        if (type != REG_BINARY || cb > *pnLength) {
            *pnLength = cb;
        } else {
            DWORD got = *pnLength;
            if (RegQueryValueExW(h, lpszName, nullptr, &type, static_cast<LPBYTE>(pData), &got) == ERROR_SUCCESS &&
                type == REG_BINARY) {
                *pnLength = got;
                ok = 1;
            }
        }
    }
    RegCloseKey(h);
    return ok;
}

int FWritePrivateProfileStr(const wchar_t* lpszSection, const wchar_t* lpszName, const wchar_t* lpszValue)
{
    HKEY h = createSection(lpszSection);
    if (!h)
        return 0;
    const std::wstring text(lpszValue ? lpszValue : L"");
    const int ok = RegSetValueExW(h, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  DWORD((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

int FWritePrivateProfileBin(const wchar_t* lpszSection, const wchar_t* lpszName, const void* pData, int nLength)
{
    // A negative length or missing data is refused before anything is
    // created.
    if (nLength < 0 || (!pData && nLength > 0))
        return 0;
    HKEY h = createSection(lpszSection);
    if (!h)
        return 0;
    const int ok = RegSetValueExW(h, lpszName, 0, REG_BINARY, static_cast<const BYTE*>(pData), DWORD(nLength)) ==
                   ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

int FEnumKeys(const wchar_t* lpszSection, CStringArray& arrNames)
{
    HKEY h = openSection(lpszSection);
    arrNames.RemoveAll();
    if (!h)
        return 0;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD chars = 256;
        if (RegEnumKeyExW(h, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            chars >= 256)
            break;
        arrNames.Add(CString(name, int(chars)));
    }
    RegCloseKey(h);
    return int(arrNames.GetSize());
}
