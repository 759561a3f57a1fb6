// A provider component for the ksdata tests: one provider class offering a
// spectrum reader. Registration writes its class keys only; the tests
// write the provider list themselves.
#include "kscontract.h"
#include "ksclassfactory.h"
#include "ksregistrar.h"

#include "testprovider.h"

namespace {

HRESULT CopyText(const wchar_t* text, BSTR* p)
{
    if (!p)
        return E_POINTER;
    *p = SysAllocString(text);
    return *p ? S_OK : E_OUTOFMEMORY;
}

class CTestProvider : public ks::Object<ks::Dual<IKSDataProvider>, ks::Dual<IKSSpectrumReader2>> {
public:
    KS_DECLARE_REGISTRY(L"KSDataTest", L"Provider", CLSID_KSDataTestProvider, nullptr)

    HRESULT get_ClassID(BSTR* p) override { return CopyText(kTestProviderClsidText, p); }
    HRESULT get_ClassName(BSTR* p) override { return CopyText(kTestProviderClassName, p); }
    HRESULT get_Copyright(BSTR* p) override { return CopyText(L"", p); }
    HRESULT get_MenuName(BSTR* p) override { return CopyText(kTestProviderMenuName, p); }
    HRESULT get_Supplier(BSTR* p) override { return CopyText(L"", p); }
    HRESULT get_Version(BSTR* p) override { return CopyText(L"1.0", p); }
    HRESULT get_ProviderFlags(LONG* p) override
    {
        if (!p)
            return E_POINTER;
        *p = SpectrumReader;
        return S_OK;
    }
    HRESULT get_Path(BSTR* p) override { return CopyText(L"", p); }
    HRESULT put_Path(BSTR) override { return S_OK; }
    HRESULT GetService(BSTR, IDispatch** pp) override
    {
        if (pp)
            *pp = nullptr;
        return E_NOTIMPL;
    }
    HRESULT SupportsService(BSTR, VARIANT_BOOL* p) override
    {
        if (p)
            *p = VARIANT_FALSE;
        return S_OK;
    }

    HRESULT ReadSpectrumInteractive(IDispatch*) override { return E_ABORT; }
    HRESULT ReadSpectrum(BSTR, IDispatch*) override { return E_NOTIMPL; }
    HRESULT get_DataSourceDescription(BSTR* p) override { return CopyText(L"", p); }
    HRESULT ReadSpectrumInteractiveDirect(ULONG_PTR) override { return E_ABORT; }
    HRESULT ReadSpectrumDirect(BSTR, ULONG_PTR) override { return E_NOTIMPL; }
};

KS_OBJECT_ENTRY(CLSID_KSDataTestProvider, CTestProvider);

HRESULT registerServer()
{
    return ks::registerServer();
}

HRESULT unregisterServer()
{
    return ks::unregisterServer();
}

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
