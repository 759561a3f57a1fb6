// BSTR: length-prefixed wide text. The 32-bit byte count sits right before
// the characters, which are followed by a terminator; a null BSTR counts as
// "" everywhere. Allocated and freed only by these functions.
#pragma once

#include "kstypes.h"

using BSTR = OLECHAR*;
using LPBSTR = BSTR*;

// A copy of a terminated string; null for a null argument or on failure.
BSTR SysAllocString(const OLECHAR* text);
// len characters copied from text (when text is not null; otherwise left
// zero-filled), plus a terminator. Null on failure.
BSTR SysAllocStringLen(const OLECHAR* text, UINT len);
// A BSTR of len bytes copied from bytes (zero-filled when null), for binary
// payloads; SysStringByteLen answers len, SysStringLen len / sizeof(OLECHAR).
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT len);
// Replaces *bstr by a copy of text; FALSE (and *bstr unchanged) on failure.
INT SysReAllocString(BSTR* bstr, const OLECHAR* text);
INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT len);
void SysFreeString(BSTR bstr);
// Characters (0 for null).
UINT SysStringLen(BSTR bstr);
// Bytes (0 for null).
UINT SysStringByteLen(BSTR bstr);

// Test hooks: the next n BSTR (respectively SAFEARRAY) allocations fail, so
// that E_OUTOFMEMORY paths can be exercised. 0 switches failing off.
// SAFEARRAY allocations are array creation and copies (descriptor or data).
void ksTestFailNextBstrAllocations(int n);
void ksTestFailNextSafeArrayAllocations(int n);
