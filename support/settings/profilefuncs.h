// Version texts of the data system (cached for the life of the process)
// and profile-style settings: a section and a named value, kept in the
// machine hive below the initial top registry key
// ("Software\Pardinel\Tavrion\" followed by the section).
#pragma once

#include "fregkey.h"

// "Version" of the machine's "Global" key, or "(Engineering)"; a version
// found, and the fallback, stay until the process ends.
PELLUMOR_API const CString& GetTavrionVersionString();
// "ProductVersion", or the data-system version.
PELLUMOR_API const CString& GetTavrionProductVersionStr();

// A REG_SZ value (REG_EXPAND_SZ is refused). The section is opened for
// reading and writing, so a read-only machine hive reads as missing.
PELLUMOR_API int FGetPrivateProfileStr(const wchar_t* lpszSection, const wchar_t* lpszName, CString& strValue);
// A REG_BINARY value no larger than *pnLength; *pnLength receives the
// stored size (also when the value does not fit).
PELLUMOR_API int FGetPrivateProfileBin(const wchar_t* lpszSection, const wchar_t* lpszName, void* pData,
                                       UINT* pnLength);
// Create the section when it is missing.
PELLUMOR_API int FWritePrivateProfileStr(const wchar_t* lpszSection, const wchar_t* lpszName,
                                         const wchar_t* lpszValue);
PELLUMOR_API int FWritePrivateProfileBin(const wchar_t* lpszSection, const wchar_t* lpszName, const void* pData,
                                         int nLength);
// The subkey names of the section; their number.
PELLUMOR_API int FEnumKeys(const wchar_t* lpszSection, CStringArray& arrNames);
