#include "variantarray.h"

#include <cstring>

namespace {

// The size of one element of an accepted type; 0 for any other type.
ULONG AcceptedElementSize(VARTYPE vt)
{
    switch (vt) {
    case VT_I2: return sizeof(SHORT);
    case VT_I4: return sizeof(LONG);
    case VT_R4: return sizeof(FLOAT);
    case VT_R8: return sizeof(DOUBLE);
    case VT_UI1: return sizeof(BYTE);
    default: return 0;
    }
}

template <class T>
void Convert(const void* data, LONG count, double* destination)
{
    const char* bytes = static_cast<const char*>(data);
    for (LONG i = 0; i < count; ++i) {
        T value;
        std::memcpy(&value, bytes + static_cast<size_t>(i) * sizeof(T), sizeof(T));
        destination[i] = static_cast<double>(value);
    }
}

}  // namespace

HRESULT CheckVariantArray(const VARIANT* array, LONG count)
{
    if (!array)
        return E_POINTER;
    if (!(array->vt & VT_ARRAY) || (array->vt & VT_BYREF))
        return E_INVALIDARG;
    if (!array->parray)
        return E_POINTER;
    const VARTYPE element = array->vt & VT_TYPEMASK;
    const ULONG size = AcceptedElementSize(element);
    SAFEARRAY* sa = array->parray;
    // The array must be what the VARIANT says it is: its own element type
    // (where it records one) and element size agree.
    VARTYPE recorded = VT_EMPTY;
    if (size == 0 || SafeArrayGetElemsize(sa) != size ||
        (SUCCEEDED(SafeArrayGetVartype(sa, &recorded)) && recorded != element))
        return E_INVALIDARG;
    if (SafeArrayGetDim(sa) != 1 || count < 0 || sa->rgsabound[0].cElements != static_cast<ULONG>(count))
        return E_INVALIDARG;
    return S_OK;
}

HRESULT VariantArrayToDoubles(const VARIANT* array, LONG count, double* destination)
{
    const HRESULT hr = CheckVariantArray(array, count);
    if (FAILED(hr))
        return hr;
    if (count == 0)
        return S_OK;
    if (!destination)
        return E_OUTOFMEMORY;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array->parray, &data)) || !data) {
        if (data)
            SafeArrayUnaccessData(array->parray);
        return E_FAIL;
    }
    switch (array->vt & VT_TYPEMASK) {
    case VT_I2: Convert<SHORT>(data, count, destination); break;
    case VT_I4: Convert<LONG>(data, count, destination); break;
    case VT_R4: Convert<FLOAT>(data, count, destination); break;
    case VT_R8: Convert<DOUBLE>(data, count, destination); break;
    case VT_UI1: Convert<BYTE>(data, count, destination); break;
    default: break;
    }
    SafeArrayUnaccessData(array->parray);
    return S_OK;
}
