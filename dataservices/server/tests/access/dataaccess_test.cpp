// Dataset access: the probing list, opening by path and from storage, the
// validity search, the combo filters, aggregation and creation by ProgID.
#include "accesstest.h"
#include "ksfiles.h"

#include <cwctype>

using namespace accesstest;

namespace {

class DataAccess : public AccessTest {};

TEST_F(DataAccess, ProbesProvidersInListOrderWithMassLynxLast)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2, L"KSMLProvider.KSMLProvider");
    addProviderOfSlot(3, 3);
    // Letter case counts: this one is no MassLynx provider.
    addProviderOfSlot(4, 4, L"ksmlprovider.ksmlprovider");
    auto access = createAccess();
    ASSERT_TRUE(access);
    EXPECT_EQ((std::vector<std::string>{"create 1", "create 3", "create 4", "create 2"}), events("create"));

    LONG valid = -1;
    ASSERT_EQ(S_OK, as<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(L"/data/a"), &valid));
    EXPECT_EQ(0, valid);
    EXPECT_EQ((std::vector<std::string>{"valid 1", "valid 3", "valid 4", "valid 2"}), events("valid"));
}

TEST_F(DataAccess, PathAcceptedByMassLynxAndAnotherOpensWithTheOther)
{
    addProviderOfSlot(1, 1, L"KSMLProvider.KSMLProvider");
    addProviderOfSlot(2, 2);
    script(1, L"Valid", 1);
    script(2, L"Valid", 1);
    auto access = createAccess();
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access->OpenDataset(ks::Bstr(L"/data/both"), &server));
    EXPECT_EQ(2, slotOf(server.get()));
}

// Which providers make it into the probing list.
TEST_F(DataAccess, ProbingListTakesOnlyUsableDataServerClasses)
{
    struct Case {
        const char* what;
        std::wstring classId;
        bool present;
        bool kept;
    };
    const std::wstring lower = ks::foldCase(slotText(2));
    const std::wstring unbraced = slotText(3).substr(1, 36);
    const std::wstring trailing = slotText(4) + L" ";
    const std::vector<Case> cases = {
        {"braced identifier", slotText(1), true, true},
        {"lower-case braced identifier", lower, true, true},
        {"36 characters without braces", unbraced, true, false},
        {"39 characters", trailing, true, false},
        {"38 characters that do not convert", L"{5EC0A11D-7E57-4000-8000-0000000000ZZ}", true, false},
        {"no DataServer Class ID", std::wstring(), false, false},
        {"class that is not registered", L"{0BADC1A5-0000-4000-8000-000000000000}", true, false},
        {"class whose creation fails", slotText(5), true, false},
        {"empty DataServer Class ID", std::wstring(), true, false},
    };
    script(5, L"CreateResult", static_cast<DWORD>(E_OUTOFMEMORY));
    for (size_t i = 0; i < cases.size(); ++i)
        addProvider(static_cast<int>(i + 1), L"Provider" + std::to_wstring(i),
                    cases[i].present ? &cases[i].classId : nullptr);
    // A key below the providers that is no provider (a remembered path).
    setText(HKEY_CURRENT_USER, std::wstring(kProvidersKey) + L"\\Dataset browser", L"x", L"y");

    auto access = createAccess();
    LONG valid = 0;
    ASSERT_EQ(S_OK, as<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(L"p"), &valid));
    EXPECT_EQ((std::vector<std::string>{"valid 1", "valid 2"}), events("valid"));
}

TEST_F(DataAccess, NoProvidersMeansNothingOpens)
{
    auto access = createAccess();
    ks::ComPtr<IKSDataServer> server;
    EXPECT_EQ(E_FAIL, access->OpenDataset(ks::Bstr(L"/data/a"), &server));
    EXPECT_FALSE(server);
    LONG valid = -1;
    EXPECT_EQ(S_OK, as<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(L"/data/a"), &valid));
    EXPECT_EQ(0, valid);
    ks::ComPtr<IKSDataServer> fromStorage;
    EXPECT_EQ(E_FAIL,
              as<IKSDataAccess4>(access.get())->OpenDatasetFromStorage(access.get(), ks::Bstr(L"s"), &fromStorage));
}

TEST_F(DataAccess, OpenDatasetOpensANewServerOfTheFirstAcceptingClass)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    addProviderOfSlot(3, 3);
    script(2, L"Valid", 1);
    script(3, L"Valid", 1);
    auto access = createAccess();
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access->OpenDataset(ks::Bstr(L"/data/run1"), &server));
    EXPECT_EQ(2, slotOf(server.get()));
    ks::Bstr current;
    ASSERT_EQ(S_OK, server->CurrentDataset(&current));
    EXPECT_EQ(L"/data/run1", current.str());
    // Slot 3 was never asked; the kept server of slot 2 was only probed,
    // and the one opened is a new one.
    EXPECT_EQ((std::vector<std::string>{"create 1", "create 2", "create 3", "valid 1", "valid 2", "create 2",
                                        "open 2"}),
              events());
    const std::vector<LogLine> log = fakeLog();
    EXPECT_NE(log[1].instance, log.back().instance);
}

// Any non-zero answer selects a server in OpenDataset; only 1 counts for
// IsValidDataset.
TEST_F(DataAccess, AnswerTwoOpensButIsNoValidDataset)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    script(1, L"Valid", 2);
    auto access = createAccess();
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access->OpenDataset(ks::Bstr(L"/data/two"), &server));
    EXPECT_EQ(1, slotOf(server.get()));

    LONG valid = -1;
    ASSERT_EQ(S_OK, as<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(L"/data/two"), &valid));
    EXPECT_EQ(0, valid);
    script(2, L"Valid", 1);
    ASSERT_EQ(S_OK, as<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(L"/data/two"), &valid));
    EXPECT_EQ(1, valid);
    EXPECT_EQ(E_POINTER, as<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(L"/data/two"), nullptr));
}

// A failing validity check ends OpenDataset's search with its error, while
// IsValidDataset passes over it.
TEST_F(DataAccess, FailingValidityCheckEndsTheSearch)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    script(1, L"ValidResult", static_cast<DWORD>(E_ACCESSDENIED));
    script(2, L"Valid", 1);
    auto access = createAccess();
    ks::ComPtr<IKSDataServer> server;
    EXPECT_EQ(E_ACCESSDENIED, access->OpenDataset(ks::Bstr(L"/data/x"), &server));
    EXPECT_FALSE(server);
    EXPECT_EQ((std::vector<std::string>{"valid 1"}), events("valid"));
    EXPECT_EQ(2u, events("create").size());

    LONG valid = 0;
    ASSERT_EQ(S_OK, as<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(L"/data/x"), &valid));
    EXPECT_EQ(1, valid);
}

TEST_F(DataAccess, ServerThatFailsToOpenStaysWithTheCaller)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    script(1, L"Valid", 1);
    script(1, L"OpenResult", static_cast<DWORD>(STG_E_FILENOTFOUND));
    script(2, L"Valid", 1);
    auto access = createAccess();
    IKSDataServer* server = nullptr;
    EXPECT_EQ(STG_E_FILENOTFOUND, access->OpenDataset(ks::Bstr(L"/data/gone"), &server));
    ASSERT_NE(nullptr, server);
    EXPECT_EQ(1, slotOf(server));
    const int instance = lastInstanceOf(1);
    server->Release();
    const std::vector<LogLine> log = fakeLog();
    EXPECT_EQ("release", log.back().event);
    EXPECT_EQ(instance, log.back().instance);
    // No fallback to the other server.
    EXPECT_EQ((std::vector<std::string>{"open 1"}), events("open"));
}

TEST_F(DataAccess, SelectedClassThatCannotBeCreatedAgainEndsWithItsError)
{
    addProviderOfSlot(1, 1);
    script(1, L"Valid", 1);
    script(1, L"CreateLimit", 1);
    auto access = createAccess();
    IKSDataServer* server = reinterpret_cast<IKSDataServer*>(&server);  // must be overwritten
    EXPECT_EQ(E_OUTOFMEMORY, access->OpenDataset(ks::Bstr(L"/data/a"), &server));
    EXPECT_EQ(nullptr, server);
    EXPECT_EQ(E_POINTER, access->OpenDataset(ks::Bstr(L"/data/a"), nullptr));
}

// No server accepts the path: every class but the text data server's is
// opened in probing order until one opens.
TEST_F(DataAccess, FallbackOpensWithTheFirstServerExceptTheTextDataServer)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    addProviderOfSlot(3, 3);
    addProviderOfSlot(4, 4);
    makeTextDataServer(1);
    script(1, L"OpenResult", S_OK);
    script(2, L"OpenResult", static_cast<DWORD>(E_FAIL));
    auto access = createAccess();
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access->OpenDataset(ks::Bstr(L"/data/unknown"), &server));
    EXPECT_EQ(3, slotOf(server.get()));
    EXPECT_EQ((std::vector<std::string>{"open 2", "open 3"}), events("open"));
    // The server of slot 2 that failed was released at once.
    const std::vector<LogLine> log = fakeLog();
    int failedInstance = 0;
    for (const LogLine& l : log)
        if (l.event == "open" && l.slot == 2)
            failedInstance = l.instance;
    bool released = false;
    for (const LogLine& l : log)
        released = released || (l.event == "release" && l.slot == 2 && l.instance == failedInstance);
    EXPECT_TRUE(released);
}

// Only the fallback passes over the text data server: a path it accepts
// opens with it.
TEST_F(DataAccess, TextDataServerOpensWhatItAccepts)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    makeTextDataServer(2);
    script(2, L"Valid", 1);
    auto access = createAccess();
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access->OpenDataset(ks::Bstr(L"/data/spectrum.txt"), &server));
    EXPECT_EQ(2, slotOf(server.get()));
}

TEST_F(DataAccess, FallbackWithNothingOpeningFails)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    makeTextDataServer(2);
    script(1, L"OpenResult", static_cast<DWORD>(E_ACCESSDENIED));
    auto access = createAccess();
    IKSDataServer* server = nullptr;
    EXPECT_EQ(E_FAIL, access->OpenDataset(ks::Bstr(L"/data/none"), &server));
    EXPECT_EQ(nullptr, server);
    EXPECT_EQ((std::vector<std::string>{"open 1"}), events("open"));
}

TEST_F(DataAccess, FallbackCreationFailureEndsTheSearch)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    script(1, L"CreateLimit", 1);
    auto access = createAccess();
    IKSDataServer* server = nullptr;
    EXPECT_EQ(E_OUTOFMEMORY, access->OpenDataset(ks::Bstr(L"/data/none"), &server));
    EXPECT_EQ(nullptr, server);
    EXPECT_TRUE(events("open").empty());
}

TEST_F(DataAccess, OpenInjectionAndFunctionFollowTheTree)
{
    addProviderOfSlot(1, 1);
    script(1, L"Valid", 1);
    script(1, L"Injections", 3);
    scriptText(1, L"Functions", L"Full,1,1,1;Daughter,2,2,1");
    auto access = createAccess();

    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    ASSERT_EQ(S_OK, access->OpenInjection(ks::Bstr(L"/data/a"), 2, &server, &injection));
    LONG index = 0;
    ASSERT_EQ(S_OK, injection->get_Index(&index));
    EXPECT_EQ(2, index);

    ks::ComPtr<IKSFunction> fcn;
    ASSERT_EQ(S_OK, access->OpenFunction(ks::Bstr(L"/data/a"), 3, 2, &server, &injection, &fcn));
    ks::Bstr name;
    ASSERT_EQ(S_OK, fcn->get_Name(&name));
    EXPECT_EQ(L"Daughter", name.str());

    // Function 3 does not exist: server and injection stay filled.
    ASSERT_EQ(DISP_E_BADINDEX, access->OpenFunction(ks::Bstr(L"/data/a"), 1, 3, &server, &injection, &fcn));
    EXPECT_TRUE(server);
    EXPECT_TRUE(injection);
    EXPECT_FALSE(fcn);

    EXPECT_EQ(E_POINTER, access->OpenInjection(ks::Bstr(L"/data/a"), 1, &server, nullptr));
    EXPECT_EQ(E_POINTER, access->OpenFunction(ks::Bstr(L"/data/a"), 1, 1, &server, &injection, nullptr));
}

TEST_F(DataAccess, InjectionZeroFailsWithTheOpenedServerInPlace)
{
    addProviderOfSlot(1, 1);
    script(1, L"Valid", 1);
    auto access = createAccess();
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    EXPECT_EQ(DISP_E_BADINDEX, access->OpenInjection(ks::Bstr(L"/data/a"), 0, &server, &injection));
    ASSERT_NE(nullptr, server);
    EXPECT_EQ(1, slotOf(server));
    EXPECT_EQ(nullptr, injection);
    server->Release();
}

TEST_F(DataAccess, OpenInjectionPassesOnTheDatasetFailure)
{
    addProviderOfSlot(1, 1);
    script(1, L"Valid", 1);
    script(1, L"OpenResult", static_cast<DWORD>(E_ACCESSDENIED));
    auto access = createAccess();
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    IKSFunction* fcn = nullptr;
    EXPECT_EQ(E_ACCESSDENIED, access->OpenFunction(ks::Bstr(L"/data/a"), 1, 1, &server, &injection, &fcn));
    ASSERT_NE(nullptr, server);
    EXPECT_EQ(nullptr, injection);
    EXPECT_EQ(nullptr, fcn);
    server->Release();
}

// A storage object: anything the data server is handed.
class Storage : public ks::Object<ks::Dual<IKSInjection>> {
public:
    HRESULT get_Functions(IKSFunctions**) override { return E_NOTIMPL; }
    HRESULT get_Traces(IKSTraces**) override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_Index(LONG*) override { return E_NOTIMPL; }
};

ks::ComPtr<IUnknown> newStorage()
{
    Storage* s = nullptr;
    EXPECT_EQ(S_OK, ks::createObject(&s));
    return ks::ComPtr<IUnknown>(s->GetUnknown());
}

TEST_F(DataAccess, StorageUsesTheFirstServerOfferingStorageWithoutProbing)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 8);
    addProviderOfSlot(3, 7);
    script(1, L"Valid", 1);
    auto access = createAccess();
    auto access4 = as<IKSDataAccess4>(access.get());
    auto storage = newStorage();

    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access4->OpenDatasetFromStorage(storage.get(), ks::Bstr(L"Run 1"), &server));
    EXPECT_EQ(8, slotOf(server.get()));
    EXPECT_TRUE(events("valid").empty());
    EXPECT_EQ((std::vector<std::string>{"storage 8"}), events("storage"));
    EXPECT_EQ(lastInstanceOf(8), fakeLog().back().instance);

    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunction> fcn;
    ASSERT_EQ(S_OK, access4->OpenFunctionFromStorage(storage.get(), ks::Bstr(L"Run 1"), 1, 1, &server, &injection,
                                                     &fcn));
    EXPECT_EQ(8, slotOf(server.get()));
    EXPECT_TRUE(fcn);
    EXPECT_EQ(DISP_E_BADINDEX,
              access4->OpenInjectionFromStorage(storage.get(), ks::Bstr(L"Run 1"), 2, &server, &injection));
    EXPECT_TRUE(server);
}

TEST_F(DataAccess, StorageArgumentsAndFailures)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 7);
    auto access4 = as<IKSDataAccess4>(createAccess().get());
    auto storage = newStorage();
    ks::ComPtr<IKSDataServer> server;
    EXPECT_EQ(E_POINTER, access4->OpenDatasetFromStorage(storage.get(), ks::Bstr(L"s"), nullptr));
    EXPECT_EQ(E_INVALIDARG, access4->OpenDatasetFromStorage(nullptr, ks::Bstr(L"s"), &server));
    EXPECT_FALSE(server);

    script(7, L"OpenResult", static_cast<DWORD>(STG_E_FILENOTFOUND));
    IKSDataServer* raw = nullptr;
    EXPECT_EQ(STG_E_FILENOTFOUND, access4->OpenDatasetFromStorage(storage.get(), ks::Bstr(L"s"), &raw));
    ASSERT_NE(nullptr, raw);
    EXPECT_EQ(7, slotOf(raw));
    raw->Release();
}

TEST_F(DataAccess, StorageWithoutAStorageServerFails)
{
    addProviderOfSlot(1, 1);
    auto access4 = as<IKSDataAccess4>(createAccess().get());
    ks::ComPtr<IKSDataServer> server;
    EXPECT_EQ(E_FAIL, access4->OpenDatasetFromStorage(newStorage().get(), ks::Bstr(L"s"), &server));
    EXPECT_FALSE(server);
}

TEST_F(DataAccess, NinthComboFilterIsRefused)
{
    auto access = createAccess();
    auto access3 = as<IKSDataAccess3>(access.get());
    for (int i = 0; i < 8; ++i) {
        const ks::Bstr title(L"Function " + std::to_wstring(i + 1));
        const HRESULT hr = i % 2 ? access3->AddComboFilter3(title, FunctionTypeMSn, 2, FunctionPolarityNegative)
                                 : access->AddComboFilter(title, FunctionTypeMS, 1);
        EXPECT_EQ(S_OK, hr) << i;
    }
    EXPECT_EQ(DISP_E_BADINDEX, access->AddComboFilter(ks::Bstr(L"ninth"), FunctionTypeMS, 1));
    EXPECT_EQ(DISP_E_BADINDEX,
              access3->AddComboFilter3(ks::Bstr(L"ninth"), FunctionTypeMS, 1, FunctionPolarityPositive));
}

// An outer object that aggregates the dataset access.
class Outer final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, ppv) : (*ppv = nullptr, E_NOINTERFACE);
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }

    ULONG refs = 1;
    IUnknown* inner = nullptr;
};

TEST_F(DataAccess, CanBeAggregated)
{
    addProviderOfSlot(1, 1);
    script(1, L"Valid", 1);
    Outer outer;
    void* pv = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              CoCreateInstance(CLSID_KSDataAccess, &outer, CLSCTX_INPROC_SERVER, IID_IKSDataAccess, &pv));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_KSDataAccess, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &pv));
    outer.inner = static_cast<IUnknown*>(pv);
    EXPECT_EQ(1u, outer.refs);

    IKSDataAccess5* access5 = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IKSDataAccess5, reinterpret_cast<void**>(&access5)));
    // The inner object's interfaces count on and answer for the outer one.
    EXPECT_EQ(2u, outer.refs);
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, access5->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    IKSDataAccess* access = nullptr;
    ASSERT_EQ(S_OK, access5->QueryInterface(IID_IKSDataAccess, reinterpret_cast<void**>(&access)));
    EXPECT_EQ(3u, outer.refs);

    LONG valid = 0;
    EXPECT_EQ(S_OK, access5->IsValidDataset(ks::Bstr(L"/data/a"), &valid));
    EXPECT_EQ(1, valid);
    IKSDataServer* server = nullptr;
    EXPECT_EQ(S_OK, access->OpenDataset(ks::Bstr(L"/data/a"), &server));
    ASSERT_NE(nullptr, server);
    server->Release();

    access->Release();
    access5->Release();
    EXPECT_EQ(1u, outer.refs);
    outer.inner->Release();
    outer.inner = nullptr;
    // The kept servers went with the inner object.
    EXPECT_EQ(events("create").size(), events("release").size());
}

// Late-bound, through IDispatch, from another process that only knows the
// ProgID.
TEST_F(DataAccess, ClientProcessCreatesItByProgId)
{
    addProviderOfSlot(1, 1);
    addProviderOfSlot(2, 2);
    script(2, L"Valid", 1);
    for (const char* progId : {"KSProviderServer.KSDataAccess", "KSProviderServer.KSDataAccess.1"}) {
        const ks::test::RunResult r =
            ks::test::run({std::string(KS_BIN_DIR) + "/ks_dataaccess_test_client", progId, "/data/client"});
        ASSERT_EQ(0, r.exitCode) << progId << ": " << r.err;
        EXPECT_EQ("IsValidDataset 1\nOpenDataset 0x00000000 " + ks::guidToStringA(fakeServerClsid(2)) +
                      " /data/client\n",
                  r.out)
            << progId;
    }
    EXPECT_EQ((std::vector<std::string>{"open 2", "open 2"}), events("open"));

    const ks::test::RunResult unknown = ks::test::run(
        {std::string(KS_BIN_DIR) + "/ks_dataaccess_test_client", "KSProviderServer.NoSuchClass", "/data/client"});
    EXPECT_EQ(2, unknown.exitCode);
}

}  // namespace
