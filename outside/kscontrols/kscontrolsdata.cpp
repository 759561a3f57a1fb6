#include "kscontrolsdata.h"

#include <cmath>
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

bool detectPeaks(const std::vector<double>& mz, const std::vector<double>& intensity, std::vector<Peak>* peaks)
{
    peaks->clear();
    const size_t n = mz.size();
    if (intensity.size() != n)
        return false;
    for (size_t i = 1; i < n; ++i)
        if (!(mz[i] > mz[i - 1]))
            return false;
    for (size_t i = 0; i < n; ++i) {
        const double apex = intensity[i];
        if (!(apex > 0))
            continue;
        // Rising into the apex (the first point of a plateau) and not rising after it.
        bool left = i == 0 || intensity[i - 1] < apex;
        size_t end = i;
        while (end + 1 < n && intensity[end + 1] == apex)
            ++end;
        bool right = end + 1 == n || intensity[end + 1] < apex;
        if (!left || !right)
            continue;
        const double half = apex / 2;
        size_t lo = i, hi = end;
        while (lo > 0 && intensity[lo - 1] >= half && intensity[lo - 1] <= intensity[lo])
            --lo;
        while (hi + 1 < n && intensity[hi + 1] >= half && intensity[hi + 1] <= intensity[hi])
            ++hi;
        double sum = 0, weighted = 0;
        for (size_t k = lo; k <= hi; ++k) {
            sum += intensity[k];
            weighted += intensity[k] * mz[k];
        }
        peaks->push_back(Peak{weighted / sum, apex});
        i = end;
    }
    return true;
}

}  // namespace kscontrols
