// SAFEARRAY: a self-describing array of automation values with one or more
// dimensions, each with its own lower bound. Elements are stored
// column-major (the first dimension varies fastest), so a 2 x n array holds
// (0,0), (1,0), (0,1), (1,1), ... in memory. Index vectors passed to
// Get/PutElement and PtrOfIndex list the dimensions in the order given to
// SafeArrayCreate. As on the platform, rgsabound[] of the descriptor lists
// the dimensions in reverse order (rgsabound[0] is the last dimension);
// for one dimension this makes no difference. Arrays of BSTR, VARIANT and
// interface pointers own their elements: Put/Get copy, Destroy frees.
#pragma once

#include "kstypes.h"
#include "kswinerror.h"

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    PVOID pvData;
    SAFEARRAYBOUND rgsabound[1];
};
using LPSAFEARRAY = SAFEARRAY*;

// fFeatures
constexpr USHORT FADF_AUTO = 0x0001;
constexpr USHORT FADF_STATIC = 0x0002;
constexpr USHORT FADF_EMBEDDED = 0x0004;
constexpr USHORT FADF_FIXEDSIZE = 0x0010;
constexpr USHORT FADF_RECORD = 0x0020;
constexpr USHORT FADF_HAVEIID = 0x0040;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;

// Creation: null for an element type that cannot be stored in an array,
// 0 or more than 64 dimensions, a size that overflows, or a failed
// allocation. Zero-length dimensions are allowed.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* rgsabound);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Frees the elements it owns and the array; DISP_E_ARRAYISLOCKED while locked.
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
UINT SafeArrayGetDim(SAFEARRAY* psa);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// nDim counts from 1 in creation order; DISP_E_BADINDEX outside 1..cDims.
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
HRESULT SafeArrayLock(SAFEARRAY* psa);
// E_UNEXPECTED when the array is not locked.
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
// Locks and hands out the data; SafeArrayUnaccessData unlocks.
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
// Address of one element; DISP_E_BADINDEX when an index is out of bounds.
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, const LONG* rgIndices, void** ppvData);
// Copies one element in (BSTRs, VARIANTs deep-copied, interfaces AddRef'ed,
// replacing and freeing what was there) or out (the caller owns the copy).
HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv);
HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv);
// A deep copy of an array (null source gives a null copy and S_OK).
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
