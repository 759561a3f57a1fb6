// CKSDataProvider and CKSDataProviderMenu over a provider list: once with a
// scriptable fake provider server (failures on demand) and, when it is
// built, with the real provider server reading the list from the
// registry. Providers are counting fakes served from the in-process class
// table.
#include <gtest/gtest.h>

#include "clientfakes.h"
#include "ksactivation.h"
#include "ksclasstable.h"
#include "kscomerror.h"
#include "kscomptr.h"
#include "ksregistry.h"
#include "kstest.h"

#include <memory>

namespace {

constexpr CLSID ProviderClsid(int slot)
{
    return GUID{0xC11E7E57u, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, static_cast<BYTE>(slot + 1)}};
}

// A provider that can also hand out reader and writer services.
class FakeProvider : public CountingFake<IKSDataProvider> {
public:
    std::wstring className;
    FakeSpectrumReader spectrumReader;
    FakeSpectrumWriter spectrumWriter;
    FakeDatasetReader datasetReader;
    FakeDatasetWriter datasetWriter;
    bool offersServices = false;

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv && offersServices) {
            IUnknown* service = nullptr;
            if (riid == IID_IKSSpectrumReader2)
                service = &spectrumReader;
            else if (riid == IID_IKSSpectrumWriter2)
                service = &spectrumWriter;
            else if (riid == IID_IKSMSDatasetReader)
                service = &datasetReader;
            else if (riid == IID_IKSMSDatasetWriter)
                service = &datasetWriter;
            if (service)
                return service->QueryInterface(riid, ppv);
        }
        return CountingFake<IKSDataProvider>::QueryInterface(riid, ppv);
    }
    HRESULT get_ClassID(BSTR* p) override { return Text(p, L""); }
    HRESULT get_ClassName(BSTR* p) override { return Text(p, className); }
    HRESULT get_Copyright(BSTR* p) override { return Text(p, L""); }
    HRESULT get_MenuName(BSTR* p) override { return Text(p, L""); }
    HRESULT get_Supplier(BSTR* p) override { return Text(p, L""); }
    HRESULT get_Version(BSTR* p) override { return Text(p, L""); }
    HRESULT get_ProviderFlags(LONG* p) override
    {
        *p = 0;
        return result;
    }
    HRESULT get_Path(BSTR* p) override { return Text(p, L""); }
    HRESULT put_Path(BSTR) override { return E_NOTIMPL; }
    HRESULT GetService(BSTR, IDispatch** pp) override
    {
        *pp = nullptr;
        return E_NOTIMPL;
    }
    HRESULT SupportsService(BSTR, VARIANT_BOOL* p) override
    {
        *p = VARIANT_FALSE;
        return E_NOTIMPL;
    }

private:
    HRESULT Text(BSTR* p, const std::wstring& text)
    {
        *p = SUCCEEDED(result) ? SysAllocString(text.c_str()) : nullptr;
        return result;
    }
};

// A class factory that hands out one given object.
class FakeFactory : public CountingUnknown<IClassFactory> {
public:
    explicit FakeFactory(IUnknown* object) : m_object(object) {}
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ++creations;
        return m_object->QueryInterface(riid, ppv);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
    int creations = 0;

private:
    IUnknown* m_object;
};

struct Entry {
    CLSID clsid;
    std::wstring className;
    std::wstring menuName;
    LONG flags;
};

class FakeDescription : public CountingFake<IKSProviderDescription> {
public:
    Entry entry;
    // The member whose call fails ("ClassID", "ClassName", "MenuName", "ProviderFlags").
    std::string failing;

    HRESULT get_ClassID(BSTR* p) override { return Text(p, ks::guidToString(entry.clsid), "ClassID"); }
    HRESULT get_ClassName(BSTR* p) override { return Text(p, entry.className, "ClassName"); }
    HRESULT get_Copyright(BSTR* p) override { return Text(p, L"", "Copyright"); }
    HRESULT get_MenuName(BSTR* p) override { return Text(p, entry.menuName, "MenuName"); }
    HRESULT get_Supplier(BSTR* p) override { return Text(p, L"", "Supplier"); }
    HRESULT get_Version(BSTR* p) override { return Text(p, L"", "Version"); }
    HRESULT get_ProviderFlags(LONG* p) override
    {
        *p = entry.flags;
        return failing == "ProviderFlags" ? E_FAIL : S_OK;
    }

private:
    HRESULT Text(BSTR* p, const std::wstring& text, const char* name)
    {
        *p = nullptr;
        if (failing == name)
            return E_FAIL;
        *p = SysAllocString(text.c_str());
        return S_OK;
    }
};

class FakeServer : public CountingFake<IKSProviderServer> {
public:
    std::vector<std::unique_ptr<FakeDescription>> descriptions;
    HRESULT countResult = S_OK;
    LONG failingItem = 0;  // 1-based, 0 for none

    HRESULT get__NewEnum(IUnknown** pp) override
    {
        *pp = nullptr;
        return E_NOTIMPL;
    }
    HRESULT get_Item(LONG index, IKSProviderDescription** pp) override
    {
        *pp = nullptr;
        if (index < 1 || index > LONG(descriptions.size()) || index == failingItem)
            return DISP_E_BADINDEX;
        *pp = descriptions[size_t(index - 1)].get();
        (*pp)->AddRef();
        return S_OK;
    }
    HRESULT get_Count(LONG* p) override
    {
        *p = LONG(descriptions.size());
        return countResult;
    }
    HRESULT UnregisterDataProvider(IKSDataProvider*) override { return E_NOTIMPL; }
    HRESULT RegisterDataProvider(IKSDataProvider*) override { return E_NOTIMPL; }
    HRESULT GetProvider(BSTR, IKSDataProvider**) override { return E_NOTIMPL; }
    HRESULT SupportsProvider(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
};

const std::vector<Entry>& Entries()
{
    // The flags of the menu example: 4, 1, 5.
    static const std::vector<Entry> entries = {
        {ProviderClsid(0), L"KSClientTest.Alpha", L"Alpha datasets", 4},
        {ProviderClsid(1), L"KSClientTest.Beta", L"Beta spectra", 1},
        {ProviderClsid(2), L"KSClientTest.Gamma", L"Gamma datasets", 5},
    };
    return entries;
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             DWORD((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// The provider keys that the real provider server loads.
[[maybe_unused]] void WriteProviderKeys(const std::vector<Entry>& entries)
{
    for (const Entry& e : entries) {
        const std::wstring path = L"Software\\Kestrom\\Data Services\\" + ks::guidToString(e.clsid);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        SetString(key, L"Class Name", e.className);
        SetString(key, L"Copyright", L"(c) test");
        SetString(key, L"Menu Name", e.menuName);
        SetString(key, L"Supplier", L"Test");
        SetString(key, L"Version", L"1.0");
        const DWORD flags = DWORD(e.flags);
        ASSERT_EQ(RegSetValueExW(key, L"Provider Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags),
                                 sizeof(flags)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
}

enum class ServerKind { Fake, Real };

void PrintTo(ServerKind kind, std::ostream* os)
{
    *os << (kind == ServerKind::Fake ? "fake server" : "real server");
}

class ProviderListTest : public ::testing::TestWithParam<ServerKind> {
protected:
    void SetUp() override
    {
        for (size_t i = 0; i < 3; ++i) {
            providers[i].className = Entries()[i].className;
            factories[i] = std::make_unique<FakeFactory>(&providers[i]);
            DWORD cookie = 0;
            ASSERT_EQ(ksRegisterClassObject(Entries()[i].clsid, factories[i].get(), &cookie), S_OK);
            cookies.push_back(cookie);
        }
        for (const Entry& e : Entries()) {
            auto d = std::make_unique<FakeDescription>();
            d->entry = e;
            server.descriptions.push_back(std::move(d));
        }
        if (GetParam() == ServerKind::Fake)
            RegisterFakeServer();
        else
            RegisterRealServer();
    }

    void TearDown() override
    {
        RevokeServer();
        for (DWORD cookie : cookies)
            ksRevokeClassObject(cookie);
        for (const FakeProvider& p : providers)
            EXPECT_EQ(p.refs, 1) << "every provider reference was given back";
        for (const auto& d : server.descriptions)
            EXPECT_EQ(d->refs, 1);
        EXPECT_EQ(server.refs, 1);
    }

    void RegisterFakeServer()
    {
        ASSERT_EQ(ksRegisterClassObject(CLSID_KSProviderServer, &serverFactory, &serverCookie), S_OK);
    }
    void RevokeServer()
    {
        if (serverCookie)
            ksRevokeClassObject(serverCookie);
        serverCookie = 0;
    }

    void RegisterRealServer()
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer"}));
        WriteProviderKeys(Entries());
    }

    FakeProvider providers[3];
    std::unique_ptr<FakeFactory> factories[3];
    std::vector<DWORD> cookies;
    FakeServer server;
    FakeFactory serverFactory{&server};
    DWORD serverCookie = 0;
};

std::wstring ClassNameOf(const CKSDataProvider& provider)
{
    return std::wstring(static_cast<const wchar_t*>(provider.GetClassName()));
}

bool IsEmpty(const CKSDataProvider& provider)
{
    try {
        provider.GetClassName();
        return false;
    } catch (const _com_error& e) {
        return e.Error() == E_POINTER;
    }
}

TEST_P(ProviderListTest, CreateByPosition)
{
    CKSDataProvider provider;
    ASSERT_TRUE(provider.Create(0u));
    EXPECT_EQ(ClassNameOf(provider), L"KSClientTest.Alpha");
    EXPECT_EQ(providers[0].refs, 2);
    ASSERT_TRUE(provider.Create(2u));
    EXPECT_EQ(ClassNameOf(provider), L"KSClientTest.Gamma");
    EXPECT_EQ(providers[0].refs, 1) << "the provider held before is released";

    EXPECT_FALSE(provider.Create(3u)) << "position = Count";
    EXPECT_TRUE(IsEmpty(provider));
    EXPECT_EQ(providers[2].refs, 1);
    EXPECT_FALSE(provider.Create(0xFFFFFFFFu)) << "compared as a signed number";
    EXPECT_TRUE(IsEmpty(provider));
}

TEST_P(ProviderListTest, CreateByNameIsExact)
{
    CKSDataProvider provider;
    ASSERT_TRUE(provider.Create(CString(L"KSClientTest.Beta")));
    EXPECT_EQ(ClassNameOf(provider), L"KSClientTest.Beta");
    EXPECT_EQ(factories[1]->creations, 1);
    EXPECT_FALSE(provider.Create(CString(L"ksclienttest.beta")));
    EXPECT_TRUE(IsEmpty(provider));
    EXPECT_FALSE(provider.Create(CString(L"KSClientTest.Beta ")));
    EXPECT_FALSE(provider.Create(CString(L"")));
    EXPECT_EQ(factories[1]->creations, 1);
}

TEST_P(ProviderListTest, ProviderThatCannotBeCreatedGivesFalse)
{
    ksRevokeClassObject(cookies[1]);
    cookies.erase(cookies.begin() + 1);
    CKSDataProvider provider;
    EXPECT_FALSE(provider.Create(1u));
    EXPECT_FALSE(provider.Create(CString(L"KSClientTest.Beta")));
    EXPECT_TRUE(IsEmpty(provider));
    EXPECT_TRUE(provider.Create(CString(L"KSClientTest.Gamma")));
}

TEST_P(ProviderListTest, CopiesShareTheProviderAndGoInAnyOrder)
{
    auto* a = new CKSDataProvider;
    ASSERT_TRUE(a->Create(1u));
    auto* b = new CKSDataProvider(*a);
    CKSDataProvider c;
    ASSERT_TRUE(c.Create(0u));
    c = *b;
    EXPECT_EQ(providers[1].refs, 4);
    EXPECT_EQ(providers[0].refs, 1);
    c = c;
    EXPECT_EQ(providers[1].refs, 4);
    delete a;
    EXPECT_EQ(ClassNameOf(*b), L"KSClientTest.Beta");
    delete b;
    EXPECT_EQ(providers[1].refs, 2);
    EXPECT_EQ(ClassNameOf(c), L"KSClientTest.Beta");
}

TEST_P(ProviderListTest, ServiceWrappersCountTheirOwnReference)
{
    CKSDataProvider provider;
    EXPECT_EQ(provider.GetSpectrumReader(), nullptr) << "no provider held";
    ASSERT_TRUE(provider.Create(0u));
    EXPECT_EQ(provider.GetSpectrumReader(), nullptr);
    EXPECT_EQ(provider.GetSpectrumWriter(), nullptr);
    EXPECT_EQ(provider.GetMSDatasetReader(), nullptr);
    EXPECT_EQ(provider.GetMSDatasetWriter(), nullptr);

    FakeProvider& p = providers[0];
    p.offersServices = true;
    std::unique_ptr<CKSSpectrumReader> sr(provider.GetSpectrumReader());
    std::unique_ptr<CKSSpectrumWriter> sw(provider.GetSpectrumWriter());
    std::unique_ptr<CKSMSDatasetReader> dr(provider.GetMSDatasetReader());
    std::unique_ptr<CKSMSDatasetWriter> dw(provider.GetMSDatasetWriter());
    ASSERT_TRUE(sr && sw && dr && dw);
    EXPECT_EQ(p.spectrumReader.refs, 2);
    EXPECT_EQ(p.spectrumWriter.refs, 2);
    EXPECT_EQ(p.datasetReader.refs, 2);
    EXPECT_EQ(p.datasetWriter.refs, 2);
    EXPECT_EQ(sr->GetDataSourceDescription(), L"Fake spectrum");
    EXPECT_EQ(dr->GetDataSourceDescription(), L"Fake dataset");
    sr.reset();
    sw.reset();
    dr.reset();
    dw.reset();
    EXPECT_EQ(p.spectrumReader.refs, 1);
    EXPECT_EQ(p.spectrumWriter.refs, 1);
    EXPECT_EQ(p.datasetReader.refs, 1);
    EXPECT_EQ(p.datasetWriter.refs, 1);
    p.offersServices = false;
}

TEST_P(ProviderListTest, GetClassNameRaisesTheFailingResult)
{
    CKSDataProvider provider;
    ASSERT_TRUE(provider.Create(2u));
    providers[2].result = E_OUTOFMEMORY;
    try {
        provider.GetClassName();
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_OUTOFMEMORY);
        EXPECT_EQ(e.InterfaceId(), IID_IKSDataProvider);
    }
    providers[2].result = S_OK;
}

struct MenuItem {
    std::wstring text;
    UINT id;
    LONG_PTR data;
};

std::vector<MenuItem> ItemsOf(CMenu& menu)
{
    std::vector<MenuItem> items;
    const UINT count = menu.GetMenuItemCount();
    for (UINT i = 0; i < count; ++i) {
        CString text;
        menu.GetMenuString(i, text, MF_BYPOSITION);
        MENUITEMINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA | MIIM_ID;
        menu.GetMenuItemInfo(i, &info, TRUE);
        items.push_back({std::wstring(static_cast<const wchar_t*>(text)), info.wID, LONG_PTR(info.dwItemData)});
    }
    return items;
}

TEST_P(ProviderListTest, BuildPopupListsMatchingProvidersWithTheirPositions)
{
    std::unique_ptr<CMenu> popup(CKSDataProviderMenu::BuildPopup(nullptr, 0, 0, 100, MSDatasetReader));
    ASSERT_TRUE(popup);
    const std::vector<MenuItem> items = ItemsOf(*popup);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, L"Alpha datasets");
    EXPECT_EQ(items[0].id, 100u);
    EXPECT_EQ(items[0].data, 0);
    EXPECT_EQ(items[1].text, L"Gamma datasets");
    EXPECT_EQ(items[1].id, 101u);
    EXPECT_EQ(items[1].data, 2);

    std::unique_ptr<CMenu> spectra(CKSDataProviderMenu::BuildPopup(nullptr, 0, 0, 7, SpectrumReader | SpectrumWriter));
    ASSERT_TRUE(spectra);
    const std::vector<MenuItem> spectrumItems = ItemsOf(*spectra);
    ASSERT_EQ(spectrumItems.size(), 2u);
    EXPECT_EQ(spectrumItems[0].text, L"Beta spectra");
    EXPECT_EQ(spectrumItems[0].data, 1);
    EXPECT_EQ(spectrumItems[1].id, 8u);
    EXPECT_EQ(spectrumItems[1].data, 2);

    std::unique_ptr<CMenu> none(CKSDataProviderMenu::BuildPopup(nullptr, 0, 0, 1, MSDatasetWriter));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->GetMenuItemCount(), 0u);
}

TEST_P(ProviderListTest, BuildPopupReplacesTheItemAndGetProviderIndexFindsIt)
{
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    CMenu file;
    ASSERT_TRUE(file.CreatePopupMenu());
    file.AppendMenu(MF_STRING, 1, L"&Open...");
    file.AppendMenu(MF_STRING, 2, L"Open &dataset");
    file.AppendMenu(MF_STRING, 3, L"E&xit");
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(file.Detach()), L"&File");

    CMenu* popup = CKSDataProviderMenu::BuildPopup(&bar, 0, 1, 500, MSDatasetReader);
    ASSERT_NE(popup, nullptr);
    popup->Detach();  // the menu bar owns it now
    delete popup;

    CMenu* fileMenu = bar.GetSubMenu(0);
    ASSERT_NE(fileMenu, nullptr);
    CString text;
    fileMenu->GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(text)), L"Open &dataset");
    CMenu* providersMenu = fileMenu->GetSubMenu(1);
    ASSERT_NE(providersMenu, nullptr);
    EXPECT_EQ(providersMenu->GetMenuItemCount(), 2u);

    EXPECT_EQ(CKSDataProviderMenu::GetProviderIndex(&bar, 0, 1, 500), 0);
    EXPECT_EQ(CKSDataProviderMenu::GetProviderIndex(&bar, 0, 1, 501), 2);
    EXPECT_EQ(CKSDataProviderMenu::GetProviderIndex(&bar, 0, 1, 502), 0) << "command not in the popup";
    EXPECT_EQ(CKSDataProviderMenu::GetProviderIndex(&bar, 0, 0, 500), -1) << "not a popup";
    EXPECT_EQ(CKSDataProviderMenu::GetProviderIndex(&bar, 1, 1, 500), -1) << "no such sub-menu";
    EXPECT_EQ(CKSDataProviderMenu::GetProviderIndex(nullptr, 0, 1, 500), -1);

    // The position found creates that provider.
    CKSDataProvider provider;
    ASSERT_TRUE(provider.Create(UINT(CKSDataProviderMenu::GetProviderIndex(&bar, 0, 1, 501))));
    EXPECT_EQ(ClassNameOf(provider), L"KSClientTest.Gamma");
}

TEST_P(ProviderListTest, BuildPopupWithoutTheSubMenuLeavesTheParentAlone)
{
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    bar.AppendMenu(MF_STRING, 1, L"Plain");
    std::unique_ptr<CMenu> popup(CKSDataProviderMenu::BuildPopup(&bar, 0, 0, 10, 0xFFFFFFFFu));
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->GetMenuItemCount(), 3u);
    EXPECT_EQ(bar.GetMenuItemCount(), 1u);
    EXPECT_EQ(bar.GetMenuItemID(0), 1u);
}

INSTANTIATE_TEST_SUITE_P(Servers, ProviderListTest, ::testing::Values(ServerKind::Fake, ServerKind::Real),
                         [](const ::testing::TestParamInfo<ServerKind>& info) {
                             return info.param == ServerKind::Fake ? "FakeServer" : "RealServer";
                         });

// ---------------------------------------------------------------------------
// Failures of the provider server (fake server only)

class ProviderServerFailureTest : public ProviderListTest {};

TEST_P(ProviderServerFailureTest, NoProviderServerKeepsTheHeldProvider)
{
    CKSDataProvider provider;
    ASSERT_TRUE(provider.Create(1u));
    RevokeServer();
    EXPECT_FALSE(provider.Create(0u));
    EXPECT_FALSE(provider.Create(CString(L"KSClientTest.Alpha")));
    EXPECT_EQ(ClassNameOf(provider), L"KSClientTest.Beta") << "kept after the first step failed";

    std::unique_ptr<CMenu> popup(CKSDataProviderMenu::BuildPopup(nullptr, 0, 0, 1, 0xFFFFFFFFu));
    ASSERT_TRUE(popup) << "an empty popup";
    EXPECT_EQ(popup->GetMenuItemCount(), 0u);
}

TEST_P(ProviderServerFailureTest, FailingCallsEmptyTheProviderAndGiveNoPopup)
{
    struct Case {
        const char* what;
        HRESULT count;
        LONG failingItem;
        const char* member;  // failing member of the first description
        bool byPosition;     // Create(0u)
        bool byName;         // Create("KSClientTest.Gamma")
        bool popup;
    };
    const Case cases[] = {
        {"Count", E_FAIL, 0, "", false, false, false},
        {"Item(1)", S_OK, 1, "", false, false, false},
        {"ClassID", S_OK, 0, "ClassID", false, true, true},
        {"ClassName", S_OK, 0, "ClassName", true, false, true},
        {"ProviderFlags", S_OK, 0, "ProviderFlags", true, true, false},
        {"MenuName", S_OK, 0, "MenuName", true, true, false},
    };
    auto fail = [this](const Case* c) {
        server.countResult = c ? c->count : S_OK;
        server.failingItem = c ? c->failingItem : 0;
        server.descriptions[0]->failing = c ? c->member : "";
    };
    for (const Case& c : cases) {
        for (bool byName : {false, true}) {
            CKSDataProvider provider;
            ASSERT_TRUE(provider.Create(1u));
            fail(&c);
            const bool created = byName ? provider.Create(CString(L"KSClientTest.Gamma")) : provider.Create(0u);
            fail(nullptr);
            EXPECT_EQ(created, byName ? c.byName : c.byPosition) << c.what << (byName ? " by name" : " by position");
            if (!created) {
                EXPECT_TRUE(IsEmpty(provider)) << c.what << ": the provider held before is gone";
            }
        }

        fail(&c);
        CMenu* popup = CKSDataProviderMenu::BuildPopup(nullptr, 0, 0, 1, 0xFFFFFFFFu);
        fail(nullptr);
        EXPECT_EQ(popup != nullptr, c.popup) << c.what;
        delete popup;
        EXPECT_EQ(server.refs, 1) << c.what << ": the provider server is released";
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, ProviderServerFailureTest, ::testing::Values(ServerKind::Fake),
                         [](const ::testing::TestParamInfo<ServerKind>&) { return std::string("FakeServer"); });

}  // namespace
