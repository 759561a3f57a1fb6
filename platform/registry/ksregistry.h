// The registry: hives of keys holding typed values, kept as one text file
// per hive in the registry folder (KESTROM_REGISTRY, else
// $XDG_CONFIG_HOME/kestrom/registry). Every call works on the hive as it is
// on disk now; writes are locked and replace the file atomically.
//
// Wide ("W") calls take wchar_t text; narrow ("A") calls convert names and
// string data as Latin-1 (characters above U+00FF become '?'). Byte counts
// of wide text are real bytes, sizeof(wchar_t) per character.
#pragma once

#include "ksdate.h"
#include "kstypes.h"
#include "kswinerror.h"

struct ksRegKeyHandle_;
using HKEY = ksRegKeyHandle_*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using ACCESS_MASK = DWORD;

// Security attributes are accepted for signature compatibility and ignored.
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

using PFILETIME = FILETIME*;

// Root keys. HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)

// Access rights of a key handle.
constexpr REGSAM DELETE = 0x00010000u;
constexpr REGSAM READ_CONTROL = 0x00020000u;
constexpr REGSAM WRITE_DAC = 0x00040000u;
constexpr REGSAM WRITE_OWNER = 0x00080000u;
constexpr REGSAM SYNCHRONIZE = 0x00100000u;
constexpr REGSAM STANDARD_RIGHTS_READ = READ_CONTROL;
constexpr REGSAM STANDARD_RIGHTS_WRITE = READ_CONTROL;
constexpr REGSAM STANDARD_RIGHTS_ALL = 0x001F0000u;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001u;
constexpr REGSAM KEY_SET_VALUE = 0x0002u;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004u;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008u;
constexpr REGSAM KEY_NOTIFY = 0x0010u;
constexpr REGSAM KEY_CREATE_LINK = 0x0020u;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100u;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200u;
constexpr REGSAM KEY_READ =
    (STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE;
constexpr REGSAM KEY_WRITE = (STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE;
constexpr REGSAM KEY_EXECUTE = KEY_READ & ~SYNCHRONIZE;
constexpr REGSAM KEY_ALL_ACCESS = (STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                   KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK) &
                                  ~SYNCHRONIZE;
static_assert(KEY_READ == 0x20019u && KEY_WRITE == 0x20006u && KEY_ALL_ACCESS == 0xF003Fu, "key access masks");

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Key creation options and dispositions. Volatile keys are stored like
// all others (nothing here outlives a restart differently).
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

#define KS_REG_API extern "C" __attribute__((visibility("default")))

KS_REG_API LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
KS_REG_API LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

KS_REG_API LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPCWSTR lpClass, DWORD dwOptions,
                                REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                                LPDWORD lpdwDisposition);
KS_REG_API LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPCSTR lpClass, DWORD dwOptions,
                                REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                                LPDWORD lpdwDisposition);

KS_REG_API LONG RegCloseKey(HKEY hKey);

KS_REG_API LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData);
KS_REG_API LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData);

KS_REG_API LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                               DWORD cbData);
KS_REG_API LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                               DWORD cbData);

KS_REG_API LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
KS_REG_API LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

// Deletes a key without subkeys (an empty name deletes hKey's own key).
KS_REG_API LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
KS_REG_API LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

// Deletes a key with everything below it; a null name empties hKey's key.
KS_REG_API LONG RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey);
KS_REG_API LONG RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);

KS_REG_API LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                              LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
KS_REG_API LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                              LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);

KS_REG_API LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                              LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
KS_REG_API LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                              LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

KS_REG_API LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                 LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                 LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                 LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime);
KS_REG_API LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                 LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                 LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                 LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime);

// Test switch: makes a hive (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE;
// HKEY_CLASSES_ROOT means the latter) read-only for this process, as for a
// user without write rights there: opening a key with any write right,
// creating keys and every change answer ERROR_ACCESS_DENIED. The
// environment variable KESTROM_REGISTRY_READONLY (hive names separated by
// commas, e.g. "HKEY_LOCAL_MACHINE") does the same for child processes.
KS_REG_API LONG KsRegSetHiveReadOnly(HKEY hKey, BOOL readOnly);
