// A component that registers itself with the registrar helpers and exports
// its entry points through KS_IMPLEMENT_COMPONENT_ENTRY_POINTS.
#include "testcomponent.h"

#include "ksregistrar.h"

namespace {

class CActivationSample : public ks::Object<ks::Dual<IActivationSample>> {
public:
    KS_DECLARE_REGISTRY(L"KSActivationTest", L"Sample", CLSID_ActivationSample, &LIBID_ActivationTest)

    HRESULT get_Answer(LONG* p) override
    {
        if (!p)
            return E_POINTER;
        *p = 42;
        return S_OK;
    }
    HRESULT get_ModulePath(BSTR* p) override
    {
        if (!p)
            return E_POINTER;
        const std::wstring path = ks::thisModulePath();
        *p = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
        return *p ? S_OK : E_OUTOFMEMORY;
    }
};

// The second class serves the same object; only its registration differs.
class CActivationPlain : public CActivationSample {
public:
    KS_DECLARE_REGISTRY(L"KSActivationTest", L"Plain", CLSID_ActivationPlain, nullptr)
};

KS_OBJECT_ENTRY(CLSID_ActivationSample, CActivationSample);
KS_OBJECT_ENTRY(CLSID_ActivationPlain, CActivationPlain);

const ks::TypeLibRegistration kTypeLib{LIBID_ActivationTest, 1, 0, 0x409, L"KSActivationTest 1.0 Type Library"};

HRESULT registerServer()
{
    return ks::registerServer(&kTypeLib);
}

HRESULT unregisterServer()
{
    return ks::unregisterServer(&kTypeLib);
}

}  // namespace

KS_DISPATCH_TABLE(IActivationSample)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Answer", 1, &IActivationSample::get_Answer),
        ks::dispGet(L"ModulePath", 2, &IActivationSample::get_ModulePath),
    }};
    return table;
}

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
