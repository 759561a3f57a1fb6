// The interface of the test component (a separately built shared library
// with hidden visibility, as every component is).
#pragma once

#include "ksdispatch.h"

struct IComponentSample : public IDispatch {
    virtual HRESULT get_Value(LONG* p) = 0;
    virtual HRESULT CatchError(LONG code, LONG* caught) = 0;
    virtual HRESULT Describe(LONG n, BSTR* text) = 0;
};
KS_DECLARE_INTERFACE(IComponentSample, IDispatch, "0B8C1D0E-1A3B-4C5D-8E9F-101112131440")

inline constexpr CLSID CLSID_ComponentSample = ks::guid("0B8C1D0E-1A3B-4C5D-8E9F-101112131441");
