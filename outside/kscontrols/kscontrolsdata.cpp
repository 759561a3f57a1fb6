#include "kscontrolsdata.h"

#include <cstring>

namespace kscontrols {

HRESULT doublesFromVariant(const VARIANT& v, LONG expected, std::vector<double>* out)
{
    const VARIANT* p = &v;
    if (p->vt == (VT_BYREF | VT_VARIANT)) {
        if (!p->pvarVal)
            return DISP_E_TYPEMISMATCH;
        p = p->pvarVal;
    }
    SAFEARRAY* sa = nullptr;
    if (p->vt == (VT_ARRAY | VT_R8))
        sa = p->parray;
    else if (p->vt == (VT_BYREF | VT_ARRAY | VT_R8))
        sa = p->pparray ? *p->pparray : nullptr;
    else if (p->vt != VT_EMPTY && p->vt != VT_NULL)
        return DISP_E_TYPEMISMATCH;

    if (!sa) {
        if (expected != 0)
            return E_INVALIDARG;
        out->clear();
        return S_OK;
    }
    VARTYPE element = VT_EMPTY;
    if (SafeArrayGetDim(sa) != 1 || FAILED(SafeArrayGetVartype(sa, &element)) || element != VT_R8)
        return DISP_E_TYPEMISMATCH;
    if (expected < 0 || sa->rgsabound[0].cElements != static_cast<ULONG>(expected))
        return E_INVALIDARG;
    std::vector<double> values(static_cast<size_t>(expected));
    if (expected > 0) {
        void* data = nullptr;
        HRESULT hr = SafeArrayAccessData(sa, &data);
        if (FAILED(hr))
            return hr;
        std::memcpy(values.data(), data, values.size() * sizeof(double));
        SafeArrayUnaccessData(sa);
    }
    out->swap(values);
    return S_OK;
}

HRESULT variantFromDoubles(const std::vector<double>& values, VARIANT* out)
{
    VariantInit(out);
    SAFEARRAY* sa = SafeArrayCreateVector(VT_R8, 1, static_cast<ULONG>(values.size()));
    if (!sa)
        return E_OUTOFMEMORY;
    if (!values.empty()) {
        void* data = nullptr;
        HRESULT hr = SafeArrayAccessData(sa, &data);
        if (FAILED(hr)) {
            SafeArrayDestroy(sa);
            return hr;
        }
        std::memcpy(data, values.data(), values.size() * sizeof(double));
        SafeArrayUnaccessData(sa);
    }
    out->vt = VT_ARRAY | VT_R8;
    out->parray = sa;
    return S_OK;
}

}  // namespace kscontrols
