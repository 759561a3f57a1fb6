// Sample dual interfaces and objects for the object tests.
#pragma once

#include "ksclassfactory.h"
#include "ksdispatch.h"

struct ISample : public IDispatch {
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* pVisible) = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0;
    virtual HRESULT Add(LONG a, double b, double* pSum) = 0;
    virtual HRESULT Fail(LONG code) = 0;
    virtual HRESULT get_Item(LONG index, IDispatch** ppItem) = 0;
    virtual HRESULT FillDirect(ULONG_PTR address) = 0;
    virtual HRESULT get_When(DATE* pWhen) = 0;
    virtual HRESULT Split(BSTR text, BSTR* pLeft, LONG* pCount) = 0;
    virtual HRESULT Echo(VARIANT value, VARIANT* pOut) = 0;
};

struct ISample2 : public ISample {
    virtual HRESULT get_Extra(LONG* pExtra) = 0;
};

struct IOther : public IUnknown {
    virtual HRESULT Ping(LONG* pValue) = 0;
};

KS_DECLARE_INTERFACE(ISample, IDispatch, "0B8C1D0E-1A3B-4C5D-8E9F-101112131415")
KS_DECLARE_INTERFACE(ISample2, ISample, "0B8C1D0E-1A3B-4C5D-8E9F-101112131416")
KS_DECLARE_INTERFACE(IOther, IUnknown, "0B8C1D0E-1A3B-4C5D-8E9F-101112131417")
KS_DECLARE_DISPATCH_TABLE(ISample)
KS_DECLARE_DISPATCH_TABLE(ISample2)

namespace sample {

inline int g_alive = 0;

// The structure a FillDirect address points at.
struct Record {
    LONG filled = 0;
};

class CSample : public ks::Object<ks::Dual<ISample2>, IOther> {
public:
    CSample() { ++g_alive; }
    ~CSample() override { --g_alive; }

    std::wstring name = L"initial";
    VARIANT_BOOL visible = VARIANT_FALSE;

    HRESULT get_Name(BSTR* p) override
    {
        if (!p)
            return E_POINTER;
        *p = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        return *p ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT put_Name(BSTR n) override
    {
        name.assign(n ? n : L"", SysStringLen(n));
        return S_OK;
    }
    HRESULT get_Count(LONG* p) override
    {
        *p = 3;
        return S_OK;
    }
    HRESULT get_Visible(VARIANT_BOOL* p) override
    {
        *p = visible;
        return S_OK;
    }
    HRESULT put_Visible(VARIANT_BOOL v) override
    {
        visible = v;
        return S_OK;
    }
    HRESULT Add(LONG a, double b, double* sum) override
    {
        *sum = a + b;
        return S_OK;
    }
    HRESULT Fail(LONG code) override { return static_cast<HRESULT>(code); }
    HRESULT get_Item(LONG index, IDispatch** pp) override
    {
        *pp = nullptr;
        if (index != 1)
            return DISP_E_BADINDEX;
        return QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pp));
    }
    HRESULT FillDirect(ULONG_PTR address) override
    {
        if (!address)
            return E_POINTER;
        reinterpret_cast<Record*>(address)->filled = 42;
        return S_OK;
    }
    HRESULT get_When(DATE* p) override
    {
        *p = 36526.5;
        return S_OK;
    }
    HRESULT Split(BSTR text, BSTR* pLeft, LONG* pCount) override
    {
        UINT n = SysStringLen(text);
        SysFreeString(*pLeft);
        *pLeft = SysAllocStringLen(text, n / 2);
        *pCount += 1;
        return S_OK;
    }
    HRESULT Echo(VARIANT value, VARIANT* pOut) override
    {
        VariantInit(pOut);
        return VariantCopy(pOut, &value);
    }
    HRESULT get_Extra(LONG* p) override
    {
        *p = 7;
        return S_OK;
    }
    HRESULT Ping(LONG* p) override
    {
        *p = 1;
        return S_OK;
    }
};

}  // namespace sample
