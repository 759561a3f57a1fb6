#include "kssafearray.h"
#include "ksallochooks.h"
#include "ksunknown.h"
#include "ksvariant.h"
#include "ksvartypesize.h"

#include <cstdlib>
#include <cstring>
#include <limits>

// Each descriptor is preceded by a 16-byte header holding the element
// VARTYPE, so SafeArrayGetVartype works for every array created here.
namespace {

constexpr size_t kPrefix = 16;
constexpr UINT kMaxDims = 64;

USHORT featuresFor(VARTYPE vt)
{
    USHORT f = FADF_HAVEVARTYPE;
    if (vt == VT_BSTR)
        f |= FADF_BSTR;
    else if (vt == VT_UNKNOWN)
        f |= FADF_UNKNOWN;
    else if (vt == VT_DISPATCH)
        f |= FADF_DISPATCH;
    else if (vt == VT_VARIANT)
        f |= FADF_VARIANT;
    return f;
}

VARTYPE& vartypeOf(SAFEARRAY* psa)
{
    return *reinterpret_cast<VARTYPE*>(reinterpret_cast<uint8_t*>(psa) - kPrefix);
}

size_t descriptorSize(UINT cDims)
{
    return sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
}

// Total element count, or false when it overflows the addressable size.
bool elementCount(SAFEARRAY* psa, size_t* count)
{
    size_t n = 1;
    for (UINT i = 0; i < psa->cDims; ++i) {
        size_t c = psa->rgsabound[i].cElements;
        if (c != 0 && n > std::numeric_limits<uint32_t>::max() / c)
            return false;
        n *= c;
    }
    if (psa->cbElements != 0 && n > std::numeric_limits<uint32_t>::max() / psa->cbElements)
        return false;
    *count = n;
    return true;
}

SAFEARRAY* allocDescriptor(VARTYPE vt, UINT cDims)
{
    auto* block = static_cast<uint8_t*>(std::calloc(1, kPrefix + descriptorSize(cDims)));
    if (!block)
        return nullptr;
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
    psa->cDims = static_cast<USHORT>(cDims);
    psa->fFeatures = featuresFor(vt);
    psa->cbElements = static_cast<ULONG>(ks::detail::vartypeSize(vt));
    vartypeOf(psa) = vt;
    return psa;
}

void freeDescriptor(SAFEARRAY* psa)
{
    std::free(reinterpret_cast<uint8_t*>(psa) - kPrefix);
}

void releaseElements(SAFEARRAY* psa, size_t count)
{
    if (!psa->pvData)
        return;
    if (psa->fFeatures & FADF_BSTR) {
        auto* p = static_cast<BSTR*>(psa->pvData);
        for (size_t i = 0; i < count; ++i) {
            SysFreeString(p[i]);
            p[i] = nullptr;
        }
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        auto* p = static_cast<IUnknown**>(psa->pvData);
        for (size_t i = 0; i < count; ++i) {
            if (p[i])
                p[i]->Release();
            p[i] = nullptr;
        }
    } else if (psa->fFeatures & FADF_VARIANT) {
        auto* p = static_cast<VARIANT*>(psa->pvData);
        for (size_t i = 0; i < count; ++i)
            VariantClear(&p[i]);
    }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* rgsabound)
{
    if (cDims == 0 || cDims > kMaxDims || !rgsabound || ks::detail::vartypeSize(vt) == 0)
        return nullptr;
    if (ks::detail::failSafeArrayAllocation())
        return nullptr;
    SAFEARRAY* psa = allocDescriptor(vt, cDims);
    if (!psa)
        return nullptr;
    for (UINT i = 0; i < cDims; ++i)
        psa->rgsabound[cDims - 1 - i] = rgsabound[i];
    size_t count = 0;
    if (!elementCount(psa, &count)) {
        freeDescriptor(psa);
        return nullptr;
    }
    // Zero-length arrays still get a (minimal) data block, so AccessData
    // hands out a valid pointer.
    size_t bytes = count * psa->cbElements;
    psa->pvData = std::calloc(1, bytes ? bytes : psa->cbElements);
    if (!psa->pvData) {
        freeDescriptor(psa);
        return nullptr;
    }
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements)
{
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks > 0)
        return DISP_E_ARRAYISLOCKED;
    size_t count = 0;
    if (elementCount(psa, &count))
        releaseElements(psa, count);
    std::free(psa->pvData);
    freeDescriptor(psa);
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa)
{
    return psa ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa)
{
    return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt)
{
    if (!psa || !pvt)
        return E_INVALIDARG;
    if (!(psa->fFeatures & FADF_HAVEVARTYPE)) {
        // A descriptor not made here carries no element type.
        *pvt = VT_EMPTY;
        return E_INVALIDARG;
    }
    *pvt = vartypeOf(psa);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound)
{
    if (!psa || !plLbound)
        return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound)
{
    if (!psa || !plUbound)
        return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - nDim];
    *plUbound = static_cast<LONG>(int64_t(b.lLbound) + int64_t(b.cElements) - 1);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks == std::numeric_limits<ULONG>::max())
        return E_UNEXPECTED;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks == 0)
        return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData)
{
    if (!psa || !ppvData)
        return E_INVALIDARG;
    HRESULT hr = SafeArrayLock(psa);
    if (FAILED(hr)) {
        *ppvData = nullptr;
        return hr;
    }
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa)
{
    return SafeArrayUnlock(psa);
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, const LONG* rgIndices, void** ppvData)
{
    if (!psa || !rgIndices || !ppvData)
        return E_INVALIDARG;
    size_t offset = 0;
    size_t stride = 1;
    for (UINT i = 0; i < psa->cDims; ++i) {
        const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - 1 - i];
        int64_t k = int64_t(rgIndices[i]) - int64_t(b.lLbound);
        if (k < 0 || k >= int64_t(b.cElements))
            return DISP_E_BADINDEX;
        offset += size_t(k) * stride;
        stride *= b.cElements;
    }
    *ppvData = static_cast<uint8_t*>(psa->pvData) + offset * psa->cbElements;
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv)
{
    if (!psa || !rgIndices)
        return E_INVALIDARG;
    void* slot = nullptr;
    HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &slot);
    if (FAILED(hr))
        return hr;
    hr = SafeArrayLock(psa);
    if (FAILED(hr))
        return hr;
    if (psa->fFeatures & FADF_BSTR) {
        // pv is the BSTR itself.
        BSTR src = static_cast<BSTR>(pv);
        BSTR copy = nullptr;
        if (src) {
            copy = SysAllocStringLen(src, SysStringLen(src));
            if (!copy)
                hr = E_OUTOFMEMORY;
        }
        if (SUCCEEDED(hr)) {
            SysFreeString(*static_cast<BSTR*>(slot));
            *static_cast<BSTR*>(slot) = copy;
        }
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        // pv is the interface pointer itself.
        auto* src = static_cast<IUnknown*>(pv);
        if (src)
            src->AddRef();
        IUnknown*& dst = *static_cast<IUnknown**>(slot);
        if (dst)
            dst->Release();
        dst = src;
    } else if (psa->fFeatures & FADF_VARIANT) {
        if (!pv)
            hr = E_INVALIDARG;
        else
            hr = VariantCopy(static_cast<VARIANT*>(slot), static_cast<VARIANT*>(pv));
    } else {
        if (!pv)
            hr = E_INVALIDARG;
        else
            std::memcpy(slot, pv, psa->cbElements);
    }
    SafeArrayUnlock(psa);
    return hr;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv)
{
    if (!psa || !rgIndices || !pv)
        return E_INVALIDARG;
    void* slot = nullptr;
    HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &slot);
    if (FAILED(hr))
        return hr;
    hr = SafeArrayLock(psa);
    if (FAILED(hr))
        return hr;
    if (psa->fFeatures & FADF_BSTR) {
        BSTR src = *static_cast<BSTR*>(slot);
        BSTR copy = nullptr;
        if (src) {
            copy = SysAllocStringLen(src, SysStringLen(src));
            if (!copy)
                hr = E_OUTOFMEMORY;
        }
        if (SUCCEEDED(hr))
            *static_cast<BSTR*>(pv) = copy;
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* src = *static_cast<IUnknown**>(slot);
        if (src)
            src->AddRef();
        *static_cast<IUnknown**>(pv) = src;
    } else if (psa->fFeatures & FADF_VARIANT) {
        auto* out = static_cast<VARIANT*>(pv);
        VariantInit(out);
        hr = VariantCopy(out, static_cast<VARIANT*>(slot));
    } else {
        std::memcpy(pv, slot, psa->cbElements);
    }
    SafeArrayUnlock(psa);
    return hr;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut)
{
    if (!ppsaOut)
        return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa)
        return S_OK;
    size_t count = 0;
    if (!elementCount(psa, &count))
        return E_INVALIDARG;
    if (ks::detail::failSafeArrayAllocation())
        return E_OUTOFMEMORY;
    VARTYPE vt = vartypeOf(psa);
    SAFEARRAY* copy = allocDescriptor(vt, psa->cDims);
    if (!copy)
        return E_OUTOFMEMORY;
    std::memcpy(copy->rgsabound, psa->rgsabound, psa->cDims * sizeof(SAFEARRAYBOUND));
    size_t bytes = count * psa->cbElements;
    copy->pvData = std::calloc(1, bytes ? bytes : psa->cbElements);
    if (!copy->pvData) {
        freeDescriptor(copy);
        return E_OUTOFMEMORY;
    }
    HRESULT hr = S_OK;
    if (psa->fFeatures & FADF_BSTR) {
        auto* src = static_cast<BSTR*>(psa->pvData);
        auto* dst = static_cast<BSTR*>(copy->pvData);
        for (size_t i = 0; i < count && SUCCEEDED(hr); ++i) {
            if (src[i]) {
                dst[i] = SysAllocStringLen(src[i], SysStringLen(src[i]));
                if (!dst[i])
                    hr = E_OUTOFMEMORY;
            }
        }
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        auto* src = static_cast<IUnknown**>(psa->pvData);
        auto* dst = static_cast<IUnknown**>(copy->pvData);
        for (size_t i = 0; i < count; ++i) {
            dst[i] = src[i];
            if (dst[i])
                dst[i]->AddRef();
        }
    } else if (psa->fFeatures & FADF_VARIANT) {
        auto* src = static_cast<VARIANT*>(psa->pvData);
        auto* dst = static_cast<VARIANT*>(copy->pvData);
        for (size_t i = 0; i < count && SUCCEEDED(hr); ++i)
            hr = VariantCopy(&dst[i], &src[i]);
    } else if (bytes) {
        std::memcpy(copy->pvData, psa->pvData, bytes);
    }
    if (FAILED(hr)) {
        SafeArrayDestroy(copy);
        return hr;
    }
    *ppsaOut = copy;
    return S_OK;
}
