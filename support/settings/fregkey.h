// CFRegKey: one registry key of the data system's settings, either below
// the top registry key of a hive (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER)
// or below another CFRegKey. The object normally holds no handle: each
// typed read or write opens the key, works and closes it again, unless the
// caller opened it with Open.
//
// Every operation answers 1 for success and 0 for failure and leaves its
// outputs alone on failure (ReadBin's length excepted). Integers and
// doubles are stored as REG_SZ text, doubles as "%g" in the "C" locale.
// After a double has been converted the process locale is the user's
// default locale (from the environment), or "C" when that cannot be set.
#pragma once

#include "ksmfcarray.h"
#include "kscstring.h"
#include "ksregistry.h"
#include "pellumorapi.h"

class PELLUMOR_API CFRegKey {
public:
    explicit CFRegKey(int bAutoSave = 0);
    // Init from the parent.
    CFRegKey(const CFRegKey& parent, const wchar_t* lpszSubKey, int bCreate, int bAutoSave);
    // The subkey path from a string resource (application first, then the
    // library's own table); a missing string names the parent's own key.
    CFRegKey(const CFRegKey& parent, UINT nStringID, int bCreate, int bAutoSave);
    // Only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER; any other hive leaves
    // the key uninitialised.
    CFRegKey(HKEY hHive, const wchar_t* lpszSubKey, int bCreate, int bAutoSave);
    // As above; Init runs only when the string resource was found.
    CFRegKey(HKEY hHive, UINT nStringID, int bCreate, int bAutoSave);
    // A closed copy; a parent copy is copied deeply.
    CFRegKey(const CFRegKey& other);
    CFRegKey& operator=(const CFRegKey& other);
    virtual ~CFRegKey();

    virtual int Save();

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, int bCreate);
    int Init(HKEY hHive, const wchar_t* lpszSubKey, int bCreate);
    int IsValid() const;
    int Open(DWORD dwAccess);
    int Close();

    int ReadStr(const wchar_t* lpszName, CString& strValue);
    // Latin-1 text with its terminator; the buffer must be larger than the
    // stored text in characters, terminator included.
    int ReadStr(const wchar_t* lpszName, char* pBuffer, DWORD dwBufferSize);
    int ReadInt(const wchar_t* lpszName, int* pnValue);
    int ReadDouble(const wchar_t* lpszName, double* pdValue);
    int ReadMultiStr(const wchar_t* lpszName, CStringArray& arrValues);
    // pdwLength: the buffer size in, the stored size out (also when the
    // type or size check fails).
    int ReadBin(const wchar_t* lpszName, unsigned char* pData, DWORD* pdwLength);
    int ReadDword(const wchar_t* lpszName, DWORD* pdwValue);

    int WriteDword(const wchar_t* lpszName, DWORD dwValue);
    int WriteStr(const wchar_t* lpszName, const wchar_t* lpszValue);
    int WriteBin(const wchar_t* lpszName, const unsigned char* pData, DWORD dwLength);
    int WriteInt(const wchar_t* lpszName, int nValue);
    int WriteDouble(const wchar_t* lpszName, double dValue);
    int WriteMultiStr(const wchar_t* lpszName, const CStringArray& arrValues);

    int GetSubkeyNames(CStringArray& arrNames);
    int GetSubvalueNames(CStringArray& arrNames);
    // The value of that name, or else the subkey with everything below it.
    int Delete(const wchar_t* lpszName);
    int DeleteAll();

protected:
    int Create();

    HKEY m_hKey = nullptr;
    CFRegKey* m_pParent = nullptr;
    CString m_strPath;
    BOOL m_bValid = FALSE;
    BOOL m_bInitialised = FALSE;
    BOOL m_bAutoSave = FALSE;
    BOOL m_bHiddenOpen = FALSE;
    BOOL m_bTopLevel = FALSE;
    HKEY m_hRoot = nullptr;

private:
    int HiddenOpen(DWORD dwAccess);
    int HiddenClose();
    // Closes the handle whatever the key's validity.
    void ReleaseHandle();
    int GetNames(CStringArray& arrNames, bool bKeys);
};

PELLUMOR_API const wchar_t* GetTopRegistryKey();
PELLUMOR_API void SetTopRegistryKey(const wchar_t* lpszTopKey);
// Text to double in the process's current locale (at most 511 bytes of
// its multibyte form are parsed); does not switch the locale.
PELLUMOR_API double mywcstod(const wchar_t* lpszText);

// Held while the user's locale is restored after a number conversion.
extern PELLUMOR_API CRITICAL_SECTION gCritSection;

// String resources: the running application's own strings are asked
// first through this loader (answer non-zero with the text when the
// identifier is known), then the library's table. Null removes it.
typedef int (*PELLUMOR_STRING_LOADER)(UINT nID, CString& strText);
PELLUMOR_API void SetApplicationStringLoader(PELLUMOR_STRING_LOADER pfnLoader);
