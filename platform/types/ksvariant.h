// VARIANT: the tagged value of automation calls. VariantClear frees what a
// VARIANT owns (BSTR, interface reference, array); VariantCopy makes a deep
// copy; VariantChangeType converts between the numeric types, text and
// VARIANT_BOOL in the "C" locale. Pointer-sized addresses travel as
// VT_UI8 (or VT_I8).
#pragma once

#include "kstypes.h"
#include "kswinerror.h"
#include "ksbstr.h"
#include "kssafearray.h"

struct IUnknown;
struct IDispatch;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        PVOID byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
            PVOID pvRecord;
            PVOID pRecInfo;
        } brecVal;  // not used; keeps the platform's size
    };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
static_assert(sizeof(VARIANT) == 24, "VARIANT is 24 bytes on 64-bit");

// VariantChangeType flags
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;  // VT_BOOL to text as "True"/"False"

void VariantInit(VARIANT* pvarg);
// Frees what the VARIANT owns and leaves it VT_EMPTY. DISP_E_BADVARTYPE for
// an unknown type, DISP_E_ARRAYISLOCKED for a locked array (nothing freed).
HRESULT VariantClear(VARIANT* pvarg);
// Clears dest, then copies src into it: BSTRs and arrays deep, interfaces
// AddRef'ed; by-reference values copy the reference. On failure dest is
// VT_EMPTY.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Like VariantCopy, but a by-reference source gives a copy of the value it
// refers to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
// Converts src to type vt into dest (dest may be src). Conversions: between
// VT_I1/UI1/I2/UI2/I4/UI4/I8/UI8/INT/UINT/R4/R8/DATE/BOOL/ERROR-free
// numbers (reals rounded half to even, DISP_E_OVERFLOW when out of range);
// numbers and VT_BOOL to and from VT_BSTR ("C" locale; text to VT_BOOL
// also accepts "True"/"False", any case); VT_EMPTY to 0, "" or false;
// VT_UNKNOWN/VT_DISPATCH to each other by QueryInterface; an array only to
// its own type. Text that is no number, VT_NULL, VT_DATE to or from text
// and anything else give DISP_E_TYPEMISMATCH; an unknown type
// DISP_E_BADVARTYPE. On failure dest is left unchanged.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT wFlags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID lcid, USHORT wFlags, VARTYPE vt);
