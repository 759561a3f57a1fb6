// Base types of the automation runtime, with the widths the components and
// their stored data rely on (32-bit LONG/ULONG/DWORD/HRESULT even on 64-bit
// Linux, wchar_t text, pointer-sized addresses).
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using INT = int32_t;
using UINT = uint32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using BOOL = int32_t;
using HRESULT = int32_t;
using SCODE = int32_t;
using LCID = uint32_t;
using DISPID = int32_t;
using MEMBERID = int32_t;
using VARIANT_BOOL = int16_t;
using DATE = double;
using ULONG_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using DWORD_PTR = uintptr_t;
using SIZE_T = size_t;

using WCHAR = wchar_t;
using OLECHAR = wchar_t;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using PLONG = LONG*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

static_assert(sizeof(LONG) == 4 && sizeof(ULONG) == 4 && sizeof(DWORD) == 4, "32-bit LONG/ULONG/DWORD");
static_assert(sizeof(HRESULT) == 4 && sizeof(LCID) == 4 && sizeof(DISPID) == 4 && sizeof(BOOL) == 4,
              "32-bit HRESULT/LCID/DISPID/BOOL");
static_assert(sizeof(SHORT) == 2 && sizeof(VARIANT_BOOL) == 2 && sizeof(WORD) == 2, "16-bit SHORT/WORD");
static_assert(sizeof(DATE) == 8, "DATE is a double");
static_assert(sizeof(ULONG_PTR) == sizeof(void*), "ULONG_PTR is pointer-sized");
static_assert(sizeof(OLECHAR) == sizeof(wchar_t), "OLECHAR is wchar_t");

// Automation scalar types.
using FLOAT = float;
using DOUBLE = double;
using VARTYPE = uint16_t;
using PVOID = void*;

static_assert(sizeof(FLOAT) == 4 && sizeof(DOUBLE) == 8, "IEEE single and double");
static_assert(sizeof(VARTYPE) == 2, "16-bit VARTYPE");
static_assert(sizeof(LONGLONG) == 8 && sizeof(ULONGLONG) == 8, "64-bit LONGLONG/ULONGLONG");
static_assert(sizeof(ULONG_PTR) == 8, "the runtime is built for 64-bit addresses");

// Marks a class or function of the runtime that components built with
// hidden visibility must share with it (exception types, classes with
// out-of-line members).
#define KS_PLATFORM_API __attribute__((visibility("default")))
