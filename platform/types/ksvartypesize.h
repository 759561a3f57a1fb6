// Internal: the storage size of one value of a VARTYPE, shared by the
// SAFEARRAY element layout and the dispatch table type checks.
#pragma once

#include "kstypes.h"
#include "ksvariant.h"

namespace ks::detail {

// Size in bytes of a value of base type `vt` (no VT_ARRAY or VT_BYREF flag);
// 0 for a type with no fixed-size value.
inline size_t vartypeSize(VARTYPE vt)
{
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_R8:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
        return 8;
    case VT_BSTR:
        return sizeof(BSTR);
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return sizeof(void*);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

}  // namespace ks::detail
