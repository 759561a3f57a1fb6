// The registry key class: opening keys below the top registry key or a
// parent key, and the typed values stored in them.
#include "fregkey.h"
#include "pellumor_p.h"

#include <cwchar>
#include <new>
#include <vector>

namespace pellumor {
const wchar_t kInitialTopKey[] = L"Software\\Pardinel\\Tavrion\\";
}

namespace {

constexpr DWORD kReadAccess = KEY_READ;
constexpr DWORD kWriteAccess = KEY_READ | KEY_WRITE;
// Enumeration buffers hold the longest names the registry keeps.
constexpr DWORD kMaxKeyNameChars = 256;
constexpr DWORD kMaxValueNameChars = 16384;

CString& topKey()
{
    static CString top(pellumor::kInitialTopKey);
    return top;
}

const wchar_t* orEmpty(const wchar_t* text)
{
    return text ? text : L"";
}

bool isStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Characters of a stored size in bytes, a partial last character counted.
DWORD charsOf(DWORD cb)
{
    return DWORD((cb + sizeof(wchar_t) - 1) / sizeof(wchar_t));
}

// Reads a value of an accepted type into a zero-filled buffer one
// character longer than the data, so the text always ends.
LONG readText(HKEY h, const wchar_t* name, bool (*typeOk)(DWORD), std::vector<wchar_t>& text, DWORD& cb)
{
    DWORD type = 0;
    cb = 0;
    LONG r = RegQueryValueExW(h, name, nullptr, &type, nullptr, &cb);
    if (r != ERROR_SUCCESS)
        return r;
    if (!typeOk(type))
        return ERROR_INVALID_DATA;
    text.assign(size_t(charsOf(cb)) + 1, L'\0');
    DWORD got = cb;
    r = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &got);
    if (r != ERROR_SUCCESS)
        return r;
    if (!typeOk(type))
        return ERROR_INVALID_DATA;
    cb = got;
    return ERROR_SUCCESS;
}

}  // namespace

const wchar_t* GetTopRegistryKey()
{
    return topKey();
}

void SetTopRegistryKey(const wchar_t* lpszTopKey)
{
    topKey() = orEmpty(lpszTopKey);
}

CFRegKey::CFRegKey(int bAutoSave) : m_bAutoSave(bAutoSave) {}

CFRegKey::CFRegKey(const CFRegKey& parent, const wchar_t* lpszSubKey, int bCreate, int bAutoSave)
    : m_bAutoSave(bAutoSave)
{
    Init(parent, lpszSubKey, bCreate);
}

CFRegKey::CFRegKey(const CFRegKey& parent, UINT nStringID, int bCreate, int bAutoSave) : m_bAutoSave(bAutoSave)
{
    CString subKey;
    pellumor::loadString(nStringID, subKey);
    Init(parent, subKey, bCreate);
}

CFRegKey::CFRegKey(HKEY hHive, const wchar_t* lpszSubKey, int bCreate, int bAutoSave) : m_bAutoSave(bAutoSave)
{
    Init(hHive, lpszSubKey, bCreate);
}

CFRegKey::CFRegKey(HKEY hHive, UINT nStringID, int bCreate, int bAutoSave) : m_bAutoSave(bAutoSave)
{
    CString subKey;
    if (pellumor::loadString(nStringID, subKey))
        Init(hHive, subKey, bCreate);
}

CFRegKey::CFRegKey(const CFRegKey& other)
    : m_pParent(other.m_pParent ? new CFRegKey(*other.m_pParent) : nullptr)
    , m_strPath(other.m_strPath)
    , m_bValid(other.m_bValid)
    , m_bInitialised(other.m_bInitialised)
    , m_bAutoSave(other.m_bAutoSave)
    , m_bTopLevel(other.m_bTopLevel)
    , m_hRoot(other.m_hRoot)
{
}

CFRegKey& CFRegKey::operator=(const CFRegKey& other)
{
    if (&other == this)
        return *this;
    CFRegKey* parent = other.m_pParent ? new CFRegKey(*other.m_pParent) : nullptr;
    ReleaseHandle();
    delete m_pParent;
    m_pParent = parent;
    m_strPath = other.m_strPath;
    m_bValid = other.m_bValid;
    m_bInitialised = other.m_bInitialised;
    m_bAutoSave = other.m_bAutoSave;
    m_bTopLevel = other.m_bTopLevel;
    m_hRoot = other.m_hRoot;
    return *this;
}

CFRegKey::~CFRegKey()
{
    if (m_bAutoSave)
        Save();
    ReleaseHandle();
    delete m_pParent;
}

int CFRegKey::Save()
{
    return 0;
}

void CFRegKey::ReleaseHandle()
{
    if (m_hKey) {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    m_bHiddenOpen = FALSE;
    if (!m_bTopLevel && m_pParent && m_pParent->m_hKey)
        m_pParent->ReleaseHandle();
}

int CFRegKey::Init(const CFRegKey& parent, const wchar_t* lpszSubKey, int bCreate)
{
    // Copy first: the parent may be this key or its own parent copy.
    const CString subKey(orEmpty(lpszSubKey));
    ReleaseHandle();
    if (!parent.IsValid())
        return 0;
    CFRegKey* copy = new CFRegKey(parent);
    m_bTopLevel = FALSE;
    m_hRoot = nullptr;
    m_strPath = subKey;
    delete m_pParent;
    m_pParent = copy;

    int ok = Open(kReadAccess);
    if (!ok && bCreate)
        ok = Create();
    m_bInitialised = TRUE;
    m_bValid = ok;
    if (ok)
        Close();
    return ok;
}

int CFRegKey::Init(HKEY hHive, const wchar_t* lpszSubKey, int bCreate)
{
    const CString subKey(orEmpty(lpszSubKey));
    ReleaseHandle();
    delete m_pParent;
    m_pParent = nullptr;
    if (hHive != HKEY_LOCAL_MACHINE && hHive != HKEY_CURRENT_USER)
        return 0;
    m_bTopLevel = TRUE;
    m_hRoot = hHive;
    if (!subKey.IsEmpty()) {
        m_strPath = topKey() + subKey;
    } else {
        // The top key itself, without its trailing separator.
        m_strPath = topKey();
        if (!m_strPath.IsEmpty() && m_strPath[m_strPath.GetLength() - 1] == L'\\')
            m_strPath = m_strPath.Left(m_strPath.GetLength() - 1);
    }

    int ok = Open(kReadAccess);
    if (!ok && bCreate)
        ok = Create();
    m_bInitialised = TRUE;
    m_bValid = ok;
    if (ok)
        Close();
    return ok;
}

int CFRegKey::IsValid() const
{
    return m_bInitialised ? m_bValid : 0;
}

int CFRegKey::Open(DWORD dwAccess)
{
    if (m_hKey)
        return 1;
    HKEY h = nullptr;
    if (m_bTopLevel) {
        if (RegOpenKeyExW(m_hRoot, m_strPath, 0, dwAccess, &h) != ERROR_SUCCESS) {
            m_bValid = FALSE;
            return 0;
        }
    } else {
        if (!m_pParent || !m_pParent->HiddenOpen(dwAccess))
            return 0;
        const LONG r = RegOpenKeyExW(m_pParent->m_hKey, m_strPath, 0, dwAccess, &h);
        const int closed = m_pParent->HiddenClose();
        if (r != ERROR_SUCCESS || !closed) {
            if (r == ERROR_SUCCESS)
                RegCloseKey(h);
            m_bValid = FALSE;
            return 0;
        }
    }
    m_hKey = h;
    return 1;
}

int CFRegKey::Create()
{
    if (m_hKey)
        return 1;
    HKEY h = nullptr;
    if (m_bTopLevel) {
        if (RegCreateKeyExW(m_hRoot, m_strPath, 0, L"", REG_OPTION_NON_VOLATILE, kWriteAccess, nullptr, &h,
                            nullptr) != ERROR_SUCCESS)
            return 0;
    } else {
        if (!m_pParent || !m_pParent->HiddenOpen(kWriteAccess))
            return 0;
        const LONG r = RegCreateKeyExW(m_pParent->m_hKey, m_strPath, 0, L"", REG_OPTION_NON_VOLATILE, kWriteAccess,
                                       nullptr, &h, nullptr);
        const int closed = m_pParent->HiddenClose();
        if (r != ERROR_SUCCESS || !closed) {
            if (r == ERROR_SUCCESS)
                RegCloseKey(h);
            return 0;
        }
    }
    m_hKey = h;
    return 1;
}

int CFRegKey::Close()
{
    if (!IsValid())
        return 0;
    if (!m_hKey)
        return 1;
    if (RegCloseKey(m_hKey) != ERROR_SUCCESS)
        return 0;
    m_hKey = nullptr;
    if (!m_bTopLevel && m_pParent && m_pParent->m_hKey)
        m_pParent->Close();
    return 1;
}

int CFRegKey::HiddenOpen(DWORD dwAccess)
{
    if (!IsValid())
        return 0;
    if (m_hKey)
        return 1;
    if (!Open(dwAccess))
        return 0;
    m_bHiddenOpen = TRUE;
    return 1;
}

int CFRegKey::HiddenClose()
{
    if (m_bHiddenOpen) {
        if (!Close())
            return 0;
    }
    m_bHiddenOpen = FALSE;
    return 1;
}

int CFRegKey::ReadStr(const wchar_t* lpszName, CString& strValue)
{
    if (!HiddenOpen(kReadAccess))
        return 0;
    std::vector<wchar_t> text;
    DWORD cb = 0;
    const bool ok = readText(m_hKey, lpszName, isStringType, text, cb) == ERROR_SUCCESS;
    if (ok)
        strValue = text.data();
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::ReadStr(const wchar_t* lpszName, char* pBuffer, DWORD dwBufferSize)
{
    if (!HiddenOpen(kReadAccess))
        return 0;
    std::vector<wchar_t> text;
    DWORD cb = 0;
    bool ok = pBuffer && readText(m_hKey, lpszName, isStringType, text, cb) == ERROR_SUCCESS;
    // The stored text with its terminator must be shorter than the buffer.
    if (ok && charsOf(cb) >= dwBufferSize)
        ok = false;
    if (ok) {
        // Latin-1, as the narrow registry calls convert; the text always
        // ends with a terminator, also when it was stored without one.
        size_t i = 0;
        for (; text[i]; ++i)
            pBuffer[i] = text[i] <= 0xFF && text[i] >= 0 ? char(static_cast<unsigned char>(text[i])) : '?';
        pBuffer[i] = '\0';
    }
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::ReadInt(const wchar_t* lpszName, int* pnValue)
{
    CString text;
    if (!ReadStr(lpszName, text))
        return 0;
    if (pnValue)
        *pnValue = pellumor::parseInt(text, 0);
    return 1;
}

int CFRegKey::ReadDouble(const wchar_t* lpszName, double* pdValue)
{
    CString text;
    if (!ReadStr(lpszName, text))
        return 0;
    const double value = pellumor::parseDouble(text);
    pellumor::RestoreUserLocale();
    if (pdValue)
        *pdValue = value;
    return 1;
}

int CFRegKey::ReadMultiStr(const wchar_t* lpszName, CStringArray& arrValues)
{
    if (!HiddenOpen(kReadAccess))
        return 0;
    std::vector<wchar_t> text;
    DWORD cb = 0;
    const bool ok =
        readText(m_hKey, lpszName, [](DWORD type) { return type == REG_MULTI_SZ; }, text, cb) == ERROR_SUCCESS;
    if (ok) {
        // Up to the first empty string; a block without its final
        // terminator ends at the end of the data.
        const size_t n = charsOf(cb);
        arrValues.RemoveAll();
        for (size_t pos = 0; pos < n;) {
            const size_t len = wcsnlen(text.data() + pos, n - pos);
            if (len == 0)
                break;
            arrValues.Add(CString(text.data() + pos, int(len)));
            pos += len + 1;
        }
    }
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::ReadBin(const wchar_t* lpszName, unsigned char* pData, DWORD* pdwLength)
{
    if (!pdwLength)
        return 0;
    if (!HiddenOpen(kReadAccess))
        return 0;
    DWORD type = 0;
    DWORD cb = 0;
    bool ok = RegQueryValueExW(m_hKey, lpszName, nullptr, &type, nullptr, &cb) == ERROR_SUCCESS;
    if (ok) {
        if (type != REG_BINARY || cb > *pdwLength || (!pData && cb > 0)) {
            *pdwLength = cb;
            ok = false;
        } else {
            DWORD got = *pdwLength;
            ok = RegQueryValueExW(m_hKey, lpszName, nullptr, &type, pData, &got) == ERROR_SUCCESS &&
                 type == REG_BINARY;
            *pdwLength = ok ? got : cb;
        }
    }
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::ReadDword(const wchar_t* lpszName, DWORD* pdwValue)
{
    if (!HiddenOpen(kReadAccess))
        return 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD cb = sizeof(value);
    const bool ok = RegQueryValueExW(m_hKey, lpszName, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &cb) ==
                        ERROR_SUCCESS &&
                    type == REG_DWORD;
    if (ok && pdwValue)
        *pdwValue = value;
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::WriteDword(const wchar_t* lpszName, DWORD dwValue)
{
    if (!HiddenOpen(kWriteAccess))
        return 0;
    const bool ok = RegSetValueExW(m_hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                   sizeof(dwValue)) == ERROR_SUCCESS;
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::WriteStr(const wchar_t* lpszName, const wchar_t* lpszValue)
{
    if (!HiddenOpen(kWriteAccess))
        return 0;
    const wchar_t* text = orEmpty(lpszValue);
    const DWORD cb = DWORD((wcslen(text) + 1) * sizeof(wchar_t));
    const bool ok =
        RegSetValueExW(m_hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), cb) == ERROR_SUCCESS;
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::WriteBin(const wchar_t* lpszName, const unsigned char* pData, DWORD dwLength)
{
    if (!pData && dwLength > 0)
        return 0;
    if (!HiddenOpen(kWriteAccess))
        return 0;
    const bool ok = RegSetValueExW(m_hKey, lpszName, 0, REG_BINARY, pData, dwLength) == ERROR_SUCCESS;
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::WriteInt(const wchar_t* lpszName, int nValue)
{
    return WriteStr(lpszName, pellumor::formatInt(nValue).c_str());
}

int CFRegKey::WriteDouble(const wchar_t* lpszName, double dValue)
{
    const std::wstring text = pellumor::formatDouble(dValue);
    pellumor::RestoreUserLocale();
    return WriteStr(lpszName, text.c_str());
}

int CFRegKey::WriteMultiStr(const wchar_t* lpszName, const CStringArray& arrValues)
{
    if (!HiddenOpen(kWriteAccess))
        return 0;
    std::vector<wchar_t> block;
    try {
        size_t chars = 1;
        for (INT_PTR i = 0; i < arrValues.GetSize(); ++i)
            chars += size_t(arrValues[i].GetLength()) + 1;
        block.reserve(chars);
    } catch (const std::bad_alloc&) {
        HiddenClose();
        return 0;
    }
    for (INT_PTR i = 0; i < arrValues.GetSize(); ++i) {
        const CString& s = arrValues[i];
        block.insert(block.end(), s.GetString(), s.GetString() + s.GetLength());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    const bool ok = RegSetValueExW(m_hKey, lpszName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(block.data()),
                                   DWORD(block.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    const int closed = HiddenClose();
    return ok && closed;
}

int CFRegKey::GetNames(CStringArray& arrNames, bool bKeys)
{
    if (!HiddenOpen(kReadAccess))
        return 0;
    arrNames.RemoveAll();
    const DWORD capacity = bKeys ? kMaxKeyNameChars : kMaxValueNameChars;
    std::vector<wchar_t> name(capacity, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD chars = capacity;
        const LONG r = bKeys ? RegEnumKeyExW(m_hKey, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr)
                             : RegEnumValueW(m_hKey, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (r != ERROR_SUCCESS || chars >= capacity)
            break;
        arrNames.Add(CString(name.data(), int(chars)));
    }
    return HiddenClose();
}

int CFRegKey::GetSubkeyNames(CStringArray& arrNames)
{
    return GetNames(arrNames, true);
}

int CFRegKey::GetSubvalueNames(CStringArray& arrNames)
{
    return GetNames(arrNames, false);
}

int CFRegKey::Delete(const wchar_t* lpszName)
{
    if (!HiddenOpen(kWriteAccess))
        return 0;
    const wchar_t* name = orEmpty(lpszName);
    if (RegDeleteValueW(m_hKey, name) != ERROR_SUCCESS) {
        CFRegKey child(*this, name, 0, 0);
        if (!child.IsValid() || !child.DeleteAll() || RegDeleteKeyW(m_hKey, name) != ERROR_SUCCESS) {
            HiddenClose();
            return 0;
        }
    }
    return HiddenClose();
}

int CFRegKey::DeleteAll()
{
    CStringArray names;
    if (GetSubkeyNames(names)) {
        for (INT_PTR i = 0; i < names.GetSize(); ++i) {
            if (!Delete(names[i]))
                return 0;
        }
    }
    names.RemoveAll();
    if (GetSubvalueNames(names)) {
        for (INT_PTR i = 0; i < names.GetSize(); ++i) {
            if (!Delete(names[i]))
                return 0;
        }
    }
    return 1;
}
