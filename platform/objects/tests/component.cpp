// A test component: one creatable class with a dual interface, exported
// only through the four entry points.
#include "component.h"

#include "ksclassfactory.h"
#include "kscomerror.h"
#include "kscstring.h"

namespace {

class CComponentSample : public ks::Object<ks::Dual<IComponentSample>> {
public:
    HRESULT get_Value(LONG* p) override
    {
        if (!p)
            return E_POINTER;
        *p = 41;
        return S_OK;
    }
    // Raises through the runtime and catches here: the exception type must
    // be the same on both sides of the library boundary.
    HRESULT CatchError(LONG code, LONG* caught) override
    {
        try {
            _com_issue_error(static_cast<HRESULT>(code));
        } catch (const _com_error& e) {
            *caught = e.Error();
            return S_OK;
        }
        return E_UNEXPECTED;
    }
    HRESULT Describe(LONG n, BSTR* text) override
    {
        CString s;
        s.Format(L"item %d", static_cast<int>(n));
        *text = s.AllocSysString();
        return *text ? S_OK : E_OUTOFMEMORY;
    }
};

KS_OBJECT_ENTRY(CLSID_ComponentSample, CComponentSample);

}  // namespace

KS_DISPATCH_TABLE(IComponentSample)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Value", 1, &IComponentSample::get_Value),
        ks::dispMethodRet(L"CatchError", 2, &IComponentSample::CatchError),
        ks::dispMethodRet(L"Describe", 3, &IComponentSample::Describe),
    }};
    return table;
}

KS_IMPLEMENT_CLASS_OBJECT_ENTRY_POINTS()

// Registration belongs to the activation services; this test component
// is loaded by path.
extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer()
{
    return S_OK;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer()
{
    return S_OK;
}
