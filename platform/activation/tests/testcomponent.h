// Identifiers of the activation test component (a separately built shared
// library with hidden visibility that registers itself).
#pragma once

#include "ksdispatch.h"

struct IActivationSample : public IDispatch {
    virtual HRESULT get_Answer(LONG* p) = 0;
    // The component's own module path, as its registration sees it.
    virtual HRESULT get_ModulePath(BSTR* p) = 0;
};
KS_DECLARE_INTERFACE(IActivationSample, IDispatch, "6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A10")

// Registered with a type library: "KSActivationTest.Sample.1".
inline constexpr CLSID CLSID_ActivationSample = ks::guid("6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A11");
// Registered without one: "KSActivationTest.Plain.1".
inline constexpr CLSID CLSID_ActivationPlain = ks::guid("6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A12");
inline constexpr GUID LIBID_ActivationTest = ks::guid("6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A1F");
