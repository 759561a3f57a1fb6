#include "component.h"

#include "kscomptr.h"
#include "ksobject.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT (*)();

HRESULT invoke(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result)
{
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return d->Invoke(id, IID_NULL, 0, flags, &dp, result, nullptr, nullptr);
}

}  // namespace

// The templates compiled into a component with hidden visibility keep their
// own module, share the runtime's exception type and string class, and
// serve late-bound calls.
TEST(Component, ObjectsOfAHiddenVisibilityComponent)
{
    std::string path = std::string(KS_LIB_DIR) + "/ks_sample_component.so";
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(lib, "DllGetClassObject"));
    auto canUnload = reinterpret_cast<CanUnloadFn>(dlsym(lib, "DllCanUnloadNow"));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(dlsym(lib, "_ZN2ks6moduleEv"), nullptr);  // nothing but the entry points

    LONG ownLocks = ks::module().lockCount();
    {
        ks::ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(CLSID_ComponentSample, IID_IClassFactory, factory.out()), S_OK);
        void* none = nullptr;
        EXPECT_EQ(getClassObject(GUID_NULL, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
        ks::ComPtr<IDispatch> d;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, d.out()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        EXPECT_EQ(ks::module().lockCount(), ownLocks);  // the component counts its own

        ks::Variant result;
        ASSERT_EQ(invoke(d, 1, DISPATCH_PROPERTYGET, {}, &result), S_OK);
        EXPECT_EQ(result.lVal, 41);
        result.clear();

        VARIANT code;
        VariantInit(&code);
        code.vt = VT_I4;
        code.lVal = static_cast<LONG>(E_ABORT);
        ASSERT_EQ(invoke(d, 2, DISPATCH_METHOD, {code}, &result), S_OK);
        EXPECT_EQ(result.lVal, static_cast<LONG>(E_ABORT));
        result.clear();

        code.lVal = 7;
        ASSERT_EQ(invoke(d, 3, DISPATCH_METHOD, {code}, &result), S_OK);
        EXPECT_STREQ(result.bstrVal, L"item 7");
    }
    EXPECT_EQ(canUnload(), S_OK);
    dlclose(lib);
}
