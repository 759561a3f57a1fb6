// Test fakes of the data-services interfaces shared by the tests of several
// components: the doubles of a SAFEARRAY held in a VARIANT, and a stub
// function object. Header only, so test components that do not link the
// test support (fake servers loaded by the dataset access) use it too.
#pragma once

#include "kscontract.h"
#include "ksobject.h"

#include <string>
#include <vector>

namespace ks::test {

// The doubles of a VARIANT holding a one-dimensional SAFEARRAY of doubles
// (whatever its lower bound); empty for anything else.
inline std::vector<double> doublesOf(const VARIANT& v)
{
    std::vector<double> values;
    if (v.vt != (VT_ARRAY | VT_R8) || !v.parray)
        return values;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    void* data = nullptr;
    if (upper >= lower && SUCCEEDED(SafeArrayAccessData(v.parray, &data))) {
        const double* d = static_cast<const double*>(data);
        values.assign(d, d + (upper - lower + 1));
        SafeArrayUnaccessData(v.parray);
    }
    return values;
}

// A function that describes itself from its fields and reads nothing:
// every spectrum, chromatogram and collection member answers E_NOTIMPL and
// the spectrum count is 0. With nameFails, get_Name answers E_FAIL and a
// null name.
class StubFunction : public ks::Object<ks::Dual<IKSFunction>> {
public:
    std::wstring name;
    LONG type = 0;
    LONG polarity = 0;
    LONG order = 0;
    LONG index = 0;
    bool nameFails = false;

    HRESULT get_Name(BSTR* p) override
    {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (nameFails)
            return E_FAIL;
        *p = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        return *p ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT get_Type(FunctionType* p) override { return p ? (*p = FunctionType(type), S_OK) : E_POINTER; }
    HRESULT get_MSMSType(FunctionMSMSType* p) override { return p ? (*p = FunctionMSMSTypeNone, S_OK) : E_POINTER; }
    HRESULT get_Polarity(FunctionPolarity* p) override
    {
        return p ? (*p = FunctionPolarity(polarity), S_OK) : E_POINTER;
    }
    HRESULT get_BPC(LONG, IKSChromatogram**) override { return E_NOTIMPL; }
    HRESULT get_BPCWithRange(double, double, LONG, IKSChromatogram**) override { return E_NOTIMPL; }
    HRESULT get_BPCDirect(LONG, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT get_BPCWithRangeDirect(double, double, LONG, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT get_TIC(LONG, IKSChromatogram**) override { return E_NOTIMPL; }
    HRESULT get_TICDirect(LONG, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT get_Spectrum(LONG, IKSMassSpectrum**) override { return E_NOTIMPL; }
    HRESULT get_SpectrumDirect(LONG, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT get_SpectrumByRT(double, FunctionRTProximity, IKSMassSpectrum**) override { return E_NOTIMPL; }
    HRESULT get_SpectrumByRTDirect(double, FunctionRTProximity, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT get_SpectrumRange(LONG, LONG, LONG, double, IKSMassSpectrum**) override { return E_NOTIMPL; }
    HRESULT get_SpectrumRangeDirect(LONG, LONG, LONG, double, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT get_SpectrumRangeByRT(double, FunctionRTProximity, double, FunctionRTProximity, LONG, double,
                                  IKSMassSpectrum**) override
    {
        return E_NOTIMPL;
    }
    HRESULT get_SpectrumRangeByRTDirect(double, FunctionRTProximity, double, FunctionRTProximity, LONG, double,
                                        ULONG_PTR) override
    {
        return E_NOTIMPL;
    }
    HRESULT get_Count(LONG* p) override { return p ? (*p = 0, S_OK) : E_POINTER; }
    HRESULT get_SpectrumCollection(IKSMSCollection**) override { return E_NOTIMPL; }
    HRESULT get_SpectrumCollectionDirect(ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT get_Index(LONG* p) override { return p ? (*p = index, S_OK) : E_POINTER; }
    HRESULT get_MSOrder(LONG* p) override { return p ? (*p = order, S_OK) : E_POINTER; }
};

}  // namespace ks::test
