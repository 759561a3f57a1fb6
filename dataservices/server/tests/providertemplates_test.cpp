// The provider templates of the framework: text members, flags, Path and
// the service table.
#include "servertest.h"

#include <functional>
#include <tuple>

using namespace servertest;

namespace {

// Offers the dataset reader through its service table; "KSSpectrumWriter"
// is listed without the object implementing it.
class CServiceProvider : public ks::Object<IKSDataProviderImpl<CServiceProvider>,
                                           IKSDataProvider2Impl<CServiceProvider>,
                                           IKSDataProvider3Impl<CServiceProvider>,
                                           ks::Dual<IKSMSDatasetReader>> {
public:
    CServiceProvider()
    {
        m_strClassID = L"{11111111-2222-3333-4444-555555555555}";
        m_strClassName = L"KSTemplateTest.Provider";
        m_strCopyright = L"Copyright";
        m_strMenuName = L"Menu";
        m_strSupplier = L"Supplier";
        m_strVersion = L"1.00";
        m_lProviderFlags = MSDatasetReader;
        m_strDataServerClassID = L"{11111111-2222-3333-4444-555555555556}";
        m_strFilterString = L"Template (*.tpl)";
        AddService(L"KSMSDatasetReader", IID_IKSMSDatasetReader);
        AddService(L"KSSpectrumWriter", IID_IKSSpectrumWriter);
    }
    HRESULT ReadDatasetInteractive(IKSMSDataset**) override { return E_NOTIMPL; }
    HRESULT ReadDataset(BSTR, IKSMSDataset**) override { return E_NOTIMPL; }
    HRESULT get_DataSourceDescription(BSTR*) override { return E_NOTIMPL; }
};

// Keeps its path elsewhere.
class COwnPathProvider : public ks::Object<IKSDataProviderImpl<COwnPathProvider>> {
public:
    HRESULT GetPath(BSTR* pPath) override { return ks::copyTextOut(L"own:" + m_own, pPath); }
    HRESULT PutPath(BSTR path) override
    {
        m_own = ks::Bstr(path).str();
        return S_OK;
    }
    std::wstring m_own;
};

TEST(ProviderTemplates, TextMembersAnswerCopiesOrTheirFailure)
{
    ks::ComPtr<CServiceProvider> p = make<CServiceProvider>();
    IKSDataProvider* dp = asProvider(p->GetUnknown());
    ks::ComPtr<IKSDataProvider2> dp2;
    ks::ComPtr<IKSDataProvider3> dp3;
    ASSERT_EQ(dp2.queryFrom(dp), S_OK);
    ASSERT_EQ(dp3.queryFrom(dp), S_OK);
    using Getter = std::function<HRESULT(BSTR*)>;
    const std::vector<std::tuple<const char*, Getter, std::wstring>> getters = {
        {"ClassID", [&](BSTR* b) { return dp->get_ClassID(b); }, L"{11111111-2222-3333-4444-555555555555}"},
        {"ClassName", [&](BSTR* b) { return dp->get_ClassName(b); }, L"KSTemplateTest.Provider"},
        {"Copyright", [&](BSTR* b) { return dp->get_Copyright(b); }, L"Copyright"},
        {"MenuName", [&](BSTR* b) { return dp->get_MenuName(b); }, L"Menu"},
        {"Supplier", [&](BSTR* b) { return dp->get_Supplier(b); }, L"Supplier"},
        {"Version", [&](BSTR* b) { return dp->get_Version(b); }, L"1.00"},
        {"Path", [&](BSTR* b) { return dp->get_Path(b); }, L""},
        {"DataServerClassID", [&](BSTR* b) { return dp2->get_DataServerClassID(b); },
         L"{11111111-2222-3333-4444-555555555556}"},
        {"FilterString", [&](BSTR* b) { return dp3->get_FilterString(b); }, L"Template (*.tpl)"},
    };
    for (const auto& [name, get, expected] : getters) {
        SCOPED_TRACE(name);
        BSTR b = nullptr;
        ASSERT_EQ(get(&b), S_OK);
        ASSERT_NE(b, nullptr);  // an empty field is "", not null
        EXPECT_EQ(text(S_OK, b), expected);
        EXPECT_EQ(get(nullptr), E_POINTER);
        // A copy that cannot be allocated is a failure, not a null success.
        b = reinterpret_cast<BSTR>(0x1);
        ksTestFailNextBstrAllocations(1);
        EXPECT_EQ(get(&b), E_OUTOFMEMORY);
        ksTestFailNextBstrAllocations(0);
        EXPECT_EQ(b, nullptr);
    }
    LONG flags = 0;
    EXPECT_EQ(dp->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, MSDatasetReader);
    EXPECT_EQ(dp->get_ProviderFlags(nullptr), E_POINTER);
}

TEST(ProviderTemplates, GetServiceQueriesTheProviderForExactNamesOnly)
{
    ks::ComPtr<CServiceProvider> p = make<CServiceProvider>();
    IKSDataProvider* dp = asProvider(p->GetUnknown());
    struct Case {
        const wchar_t* name;
        HRESULT result;
        bool object;
    };
    const Case cases[] = {
        {L"KSMSDatasetReader", S_OK, true},
        {L"ksmsdatasetreader", S_OK, false},
        {L"KSMSDatasetReader2", S_OK, false},
        {L"KSSpectrumReader", S_OK, false},
        {L"KSSpectrumWriter", E_NOINTERFACE, false},  // listed, but the object does not answer it
        {L"", E_INVALIDARG, false},
        {nullptr, E_INVALIDARG, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : L"(null)");
        IDispatch* service = reinterpret_cast<IDispatch*>(0x1);
        EXPECT_EQ(dp->GetService(ks::Bstr(c.name), &service), c.result);
        EXPECT_EQ(service != nullptr, c.object);
        if (service) {
            ks::ComPtr<IKSMSDatasetReader> reader;
            EXPECT_EQ(reader.queryFrom(service), S_OK);
            ks::ComPtr<IUnknown> a, b;
            service->QueryInterface(IID_IUnknown, a.out());
            dp->QueryInterface(IID_IUnknown, b.out());
            EXPECT_EQ(a.get(), b.get());  // the provider object itself
            service->Release();
        }
    }
    EXPECT_EQ(dp->GetService(ks::Bstr(L"KSMSDatasetReader"), nullptr), E_POINTER);
}

TEST(ProviderTemplates, SupportsServiceAnswersAutomationTrue)
{
    ks::ComPtr<CServiceProvider> p = make<CServiceProvider>();
    IKSDataProvider* dp = asProvider(p->GetUnknown());
    struct Case {
        const wchar_t* name;
        HRESULT result;
        VARIANT_BOOL supported;
    };
    const Case cases[] = {
        {L"KSMSDatasetReader", S_OK, -1},
        {L"KSSpectrumWriter", S_OK, -1},
        {L"KSMSDATASETREADER", S_OK, 0},
        {L"Unknown", S_OK, 0},
        {L"", E_INVALIDARG, 0},
        {nullptr, E_INVALIDARG, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : L"(null)");
        VARIANT_BOOL supported = 5;
        EXPECT_EQ(dp->SupportsService(ks::Bstr(c.name), &supported), c.result);
        EXPECT_EQ(supported, c.supported);
    }
    EXPECT_EQ(dp->SupportsService(ks::Bstr(L"KSMSDatasetReader"), nullptr), E_POINTER);

    // Late-bound: DISPID 10 answers VT_BOOL -1.
    ks::Variant name(L"KSMSDatasetReader");
    DISPPARAMS one{&name, nullptr, 1, 0};
    ks::Variant result;
    ASSERT_EQ(dp->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, &one, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, -1);
}

TEST(ProviderTemplates, ProviderWithoutServicesAnswersNothingForEveryName)
{
    ks::ComPtr<CPlainFake> p = make<CPlainFake>();
    IKSDataProvider* dp = asProvider(p->GetUnknown());
    for (const wchar_t* name : {L"KSMSDatasetReader", L"KSSpectrumReader", L"KSSpectrumWriter"}) {
        IDispatch* service = reinterpret_cast<IDispatch*>(0x1);
        EXPECT_EQ(dp->GetService(ks::Bstr(name), &service), S_OK);
        EXPECT_EQ(service, nullptr);
        VARIANT_BOOL supported = -1;
        EXPECT_EQ(dp->SupportsService(ks::Bstr(name), &supported), S_OK);
        EXPECT_EQ(supported, 0);
    }
    // Only IKSDataProvider.
    ks::ComPtr<IKSDataProvider2> dp2;
    EXPECT_EQ(dp2.queryFrom(dp), E_NOINTERFACE);
    ks::ComPtr<IKSDataProvider3> dp3;
    EXPECT_EQ(dp3.queryFrom(dp), E_NOINTERFACE);
}

TEST(ProviderTemplates, PathIsKeptAndCanBeKeptElsewhere)
{
    ks::ComPtr<CServiceProvider> p = make<CServiceProvider>();
    IKSDataProvider* dp = asProvider(p->GetUnknown());
    BSTR b = nullptr;
    HRESULT hr = dp->get_Path(&b);
    EXPECT_EQ(text(hr, b), L"");
    ASSERT_EQ(dp->put_Path(ks::Bstr(L"/data/run 1/sample.d")), S_OK);
    hr = dp->get_Path(&b);
    EXPECT_EQ(text(hr, b), L"/data/run 1/sample.d");
    ASSERT_EQ(dp->put_Path(nullptr), S_OK);
    hr = dp->get_Path(&b);
    EXPECT_EQ(text(hr, b), L"");
    // Late-bound put and get (DISPID 8).
    ks::Variant value(L"C:\\Data\\x.ms");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &named, 1, 1};
    ASSERT_EQ(dp->Invoke(8, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant got;
    ASSERT_EQ(dp->Invoke(8, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &got, nullptr, nullptr), S_OK);
    ASSERT_EQ(got.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(got.bstrVal), L"C:\\Data\\x.ms");
    // A new object starts empty.
    ks::ComPtr<CServiceProvider> fresh = make<CServiceProvider>();
    hr = asProvider(fresh->GetUnknown())->get_Path(&b);
    EXPECT_EQ(text(hr, b), L"");

    ks::ComPtr<COwnPathProvider> own = make<COwnPathProvider>();
    IKSDataProvider* odp = asProvider(own->GetUnknown());
    ASSERT_EQ(odp->put_Path(ks::Bstr(L"/x")), S_OK);
    EXPECT_EQ(own->m_own, L"/x");
    hr = odp->get_Path(&b);
    EXPECT_EQ(text(hr, b), L"own:/x");
}

}  // namespace
