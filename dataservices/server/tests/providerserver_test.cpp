// The provider server: the list read from the registry, descriptions,
// look-ups by class name, registration, unregistration and the event.
#include "servertest.h"

#include "ksconnection.h"

#include <functional>

using namespace servertest;

namespace {

class ProviderServer : public ::testing::Test {
protected:
    void SetUp() override { registerModule(kServerModule); }
};

const std::wstring kA = L"{0A000000-0000-0000-0000-00000000000A}";
const std::wstring kB = L"{0B000000-0000-0000-0000-00000000000B}";

TEST_F(ProviderServer, EmptyOrMissingKeyGivesNoProviders)
{
    for (bool createKey : {false, true}) {
        if (createKey)
            writeKey(kRoot, {});
        ks::ComPtr<IKSProviderServer> server = newServer();
        ASSERT_TRUE(server);
        EXPECT_EQ(countOf(server), 0);
        ks::ComPtr<IKSProviderDescription> d;
        EXPECT_EQ(server->get_Item(1, &d), DISP_E_BADINDEX);
        EXPECT_FALSE(d);
    }
}

TEST_F(ProviderServer, ListsProvidersInRegistryOrderWithAllValues)
{
    // Key names enumerate without regard to case: b before C.
    writeKey(kRoot + L"\\{C0000000-0000-0000-0000-00000000000C}", goodValues(L"P.C"));
    writeKey(kRoot + L"\\{b0000000-0000-0000-0000-00000000000b}", goodValues(L"P.B"));
    ks::ComPtr<IKSProviderServer> server = newServer();
    ASSERT_EQ(countOf(server), 2);
    std::vector<DescriptionValues> list = listOf(server);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].classID, L"{b0000000-0000-0000-0000-00000000000b}");
    EXPECT_EQ(list[1].classID, L"{C0000000-0000-0000-0000-00000000000C}");
    const DescriptionValues expected{L"{C0000000-0000-0000-0000-00000000000C}",
                                     L"P.C",
                                     L"(c) P.C",
                                     L"Menu P.C",
                                     L"Supplier P.C",
                                     L"1.0",
                                     L"{00000000-0000-0000-0000-0000000000D5}",
                                     L"P.C (*.x)",
                                     4};
    EXPECT_TRUE(list[1] == expected);
}

TEST_F(ProviderServer, ItemMakesANewDescriptionEveryTime)
{
    writeKey(kRoot + L"\\" + kA, goodValues(L"P.A"));
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<IKSProviderDescription> first = item(server, 1);
    ks::ComPtr<IKSProviderDescription> second = item(server, 1);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_TRUE(describe(first) == describe(second));
    for (LONG bad : {0, 2, -1}) {
        IKSProviderDescription* d = reinterpret_cast<IKSProviderDescription*>(0x1);
        EXPECT_EQ(server->get_Item(bad, &d), DISP_E_BADINDEX) << bad;
        EXPECT_EQ(d, nullptr);
    }
    EXPECT_EQ(server->get_Item(1, nullptr), E_POINTER);
    EXPECT_EQ(server->get_Count(nullptr), E_POINTER);
}

TEST_F(ProviderServer, DescriptionKeepsItsServerAndRecord)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    ks::ComPtr<CFullFake> b = fullFake(kB, L"P.B");
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    ASSERT_EQ(server->RegisterDataProvider(asProvider(b->GetUnknown())), S_OK);
    ks::ComPtr<IKSProviderDescription> d = item(server, 1);
    const ULONG before = server->AddRef();
    server->Release();
    ks::ComPtr<IKSProviderDescription> d2 = item(server, 1);
    EXPECT_EQ(server->AddRef(), before + 1);  // each description counts one reference
    server->Release();
    d2.reset();
    // The list changes below it; the description still answers its own provider.
    ASSERT_EQ(server->UnregisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    server.reset();
    EXPECT_EQ(describe(d).className, L"P.A");
    // Description objects answer the three description interfaces and
    // IDispatch as the first, but nothing else.
    ks::ComPtr<IDispatch> disp;
    EXPECT_EQ(disp.queryFrom(d.get()), S_OK);
    ks::ComPtr<IKSProviderDescription> again;
    EXPECT_EQ(again.queryFrom(disp.get()), S_OK);
    EXPECT_EQ(again.get(), d.get());
    ks::ComPtr<IKSProviderServer> notServer;
    EXPECT_EQ(notServer.queryFrom(d.get()), E_NOINTERFACE);
}

TEST_F(ProviderServer, NewEnumSnapshotsDescriptions)
{
    writeKey(kRoot + L"\\" + kA, goodValues(L"P.A"));
    writeKey(kRoot + L"\\" + kB, goodValues(L"P.B"));
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<IUnknown> unk;
    ASSERT_EQ(server->get__NewEnum(&unk), S_OK);
    ks::ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(e.queryFrom(unk.get()), S_OK);
    // A registration after the enumerator was made does not show in it.
    ks::ComPtr<CFullFake> c = fullFake(L"{0C000000-0000-0000-0000-00000000000C}", L"P.C");
    ASSERT_EQ(server->RegisterDataProvider(asProvider(c->GetUnknown())), S_OK);
    server.reset();  // the enumerator keeps what it needs
    std::vector<std::wstring> names;
    for (;;) {
        ks::Variant v;
        ULONG fetched = 0;
        if (e->Next(1, &v, &fetched) != S_OK)
            break;
        ASSERT_EQ(v.vt, VT_DISPATCH);
        ks::ComPtr<IKSProviderDescription> d;
        ASSERT_EQ(d.queryFrom(v.pdispVal), S_OK);
        names.push_back(describe(d).className);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"P.A", L"P.B"}));
    EXPECT_EQ(newServer()->get__NewEnum(nullptr), E_POINTER);
}

TEST_F(ProviderServer, GetProviderAndSupportsProviderCompareNamesExactly)
{
    registerModule(kTestProviderModule);
    ks::ComPtr<IKSProviderServer> server = newServer();
    ASSERT_EQ(countOf(server), 2);

    ks::ComPtr<IKSDataProvider> provider;
    ASSERT_EQ(server->GetProvider(ks::Bstr(L"KSTestProvider.KSPlainProvider"), &provider), S_OK);
    ASSERT_TRUE(provider);
    BSTR name = nullptr;
    HRESULT hr = provider->get_ClassName(&name);
    EXPECT_EQ(text(hr, name), L"KSTestProvider.KSPlainProvider");
    EXPECT_EQ(provider->AddRef(), 2u);  // one reference for the caller
    provider->Release();

    struct Case {
        const wchar_t* name;
        HRESULT getResult;
        bool found;
        HRESULT supportsResult;
        VARIANT_BOOL supported;
    };
    const Case cases[] = {
        {L"KSTestProvider.KSFullProvider", S_OK, true, S_OK, VARIANT_TRUE},
        {L"kstestprovider.ksfullprovider", S_OK, false, S_OK, VARIANT_FALSE},
        {L"KSTestProvider.KSFullProvider ", S_OK, false, S_OK, VARIANT_FALSE},
        {L"KSTestProvider.Unknown", S_OK, false, S_OK, VARIANT_FALSE},
        {L"", E_INVALIDARG, false, E_INVALIDARG, VARIANT_FALSE},
        {nullptr, E_INVALIDARG, false, E_INVALIDARG, VARIANT_FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : L"(null)");
        ks::Bstr arg(c.name);
        IKSDataProvider* p = reinterpret_cast<IKSDataProvider*>(0x1);
        EXPECT_EQ(server->GetProvider(arg, &p), c.getResult);
        EXPECT_EQ(p != nullptr, c.found);
        if (p)
            p->Release();
        VARIANT_BOOL supported = 7;
        EXPECT_EQ(server->SupportsProvider(arg, &supported), c.supportsResult);
        EXPECT_EQ(supported, c.supported);
    }
    EXPECT_EQ(server->GetProvider(ks::Bstr(L"x"), nullptr), E_POINTER);
    EXPECT_EQ(server->SupportsProvider(ks::Bstr(L"x"), nullptr), E_POINTER);
}

TEST_F(ProviderServer, GetProviderAnswersFailuresOfTheRecordAndOfCreation)
{
    // A provider key whose name is no class identifier, and one whose class
    // is not registered.
    writeKey(kRoot + L"\\NotAClassID", goodValues(L"P.Bad"));
    writeKey(kRoot + L"\\" + kA, goodValues(L"P.A"));
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<IKSDataProvider> p;
    EXPECT_EQ(server->GetProvider(ks::Bstr(L"P.Bad"), &p), CO_E_CLASSSTRING);
    EXPECT_FALSE(p);
    EXPECT_EQ(server->GetProvider(ks::Bstr(L"P.A"), &p), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(p);
}

TEST_F(ProviderServer, RegisterWritesTheKeyAndFiresOncePerCall)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    Listener l = listen(server);
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l.calls(), 1);
    a->setDescription(kA, L"P.A2", L"c2", L"m2", L"s2", L"v2", 9);
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l.calls(), 2);
    // One record, replaced in place.
    ASSERT_EQ(countOf(server), 1);
    const DescriptionValues expected{kA, L"P.A2", L"c2", L"m2", L"s2", L"v2",
                                     L"{00000000-0000-0000-0000-0000000000D5}", L"P.A (*.x)", 9};
    EXPECT_TRUE(listOf(server)[0] == expected);
    // A new server reads the same from the registry.
    ks::ComPtr<IKSProviderServer> fresh = newServer();
    ASSERT_EQ(countOf(fresh), 1);
    EXPECT_TRUE(listOf(fresh)[0] == expected);
    EXPECT_EQ(server->RegisterDataProvider(nullptr), E_INVALIDARG);
    EXPECT_EQ(server->UnregisterDataProvider(nullptr), E_INVALIDARG);
    EXPECT_EQ(l.calls(), 2);
}

TEST_F(ProviderServer, ProviderWithoutLaterInterfacesRegistersEmptyValues)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<CPlainFake> plain = make<CPlainFake>();
    plain->setDescription(kA, L"P.Plain", L"c", L"m", L"s", L"v", 2);
    ASSERT_EQ(server->RegisterDataProvider(asProvider(plain->GetUnknown())), S_OK);
    ks::ComPtr<IKSProviderServer> fresh = newServer();
    ASSERT_EQ(countOf(fresh), 1);
    const DescriptionValues expected{kA, L"P.Plain", L"c", L"m", L"s", L"v", L"", L"", 2};
    EXPECT_TRUE(listOf(fresh)[0] == expected);
    // Both values are there, as empty strings with their terminator.
    const ks::test::RunResult r = ksreg({"query", "HKCU\\Software\\Kestrom\\Data Services\\" +
                                                      std::string(kA.begin(), kA.end())});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"DataServer Class ID\"=sz:\"\\0\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"File Filter\"=sz:\"\\0\""), std::string::npos) << r.out;
}

TEST_F(ProviderServer, FailingProviderPropertyChangesNeitherRegistryNorListeners)
{
    const wchar_t* members[] = {L"ClassID",  L"ClassName", L"Copyright",         L"MenuName",    L"Supplier",
                                L"Version",  L"ProviderFlags", L"DataServerClassID", L"FilterString"};
    for (const wchar_t* member : members) {
        SCOPED_TRACE(member);
        ks::ComPtr<IKSProviderServer> server = newServer();
        Listener l = listen(server);
        ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
        a->failMember(member, E_ACCESSDENIED);
        EXPECT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), E_ACCESSDENIED);
        EXPECT_EQ(l.calls(), 0);
        EXPECT_FALSE(keyExists(kRoot + L"\\" + kA));
        // The record keeps what was read before the failure.
        const LONG expectedCount = std::wstring(member) == L"ClassID" ? 0 : 1;
        EXPECT_EQ(countOf(server), expectedCount);
        if (expectedCount == 1 && std::wstring(member) == L"Copyright") {
            EXPECT_EQ(listOf(server)[0].className, L"P.A");
        }
        EXPECT_EQ(countOf(newServer()), 0);
        if (std::wstring(member) == L"ClassID") {
            EXPECT_EQ(server->UnregisterDataProvider(asProvider(a->GetUnknown())), E_ACCESSDENIED);
        }
    }
}

TEST_F(ProviderServer, UnregisterRemovesKeyAndRecordAndAlwaysFires)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    ks::ComPtr<CFullFake> b = fullFake(kB, L"P.B");
    // Settings kept beside the provider keys stay.
    writeKey(kRoot + L"\\Dataset browser", {{L"Source Path", sz(L"/data")}});
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    ASSERT_EQ(server->RegisterDataProvider(asProvider(b->GetUnknown())), S_OK);
    writeKey(kRoot + L"\\" + kA + L"\\Applications\\App", {{L"Source Path", sz(L"/x")}});
    Listener l = listen(server);
    ASSERT_EQ(server->UnregisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l.calls(), 1);
    EXPECT_FALSE(keyExists(kRoot + L"\\" + kA));
    EXPECT_TRUE(keyExists(kRoot + L"\\" + kB));
    EXPECT_TRUE(keyExists(kRoot + L"\\Dataset browser"));
    EXPECT_EQ(classNamesOf(server), std::vector<std::wstring>{L"P.B"});
    // Not registered (any more): still S_OK and an event.
    ASSERT_EQ(server->UnregisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l.calls(), 2);
    EXPECT_EQ(classNamesOf(newServer()), std::vector<std::wstring>{L"P.B"});
}

TEST_F(ProviderServer, UnregisterWithoutAnyProviderKeyStillFires)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    Listener l = listen(server);
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    EXPECT_EQ(server->UnregisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l.calls(), 1);
}

TEST_F(ProviderServer, ClassIDThatNamesNoSingleKeyIsRefused)
{
    // An empty class identifier names the Data Services key itself:
    // unregistering it must not delete every provider.
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<CFullFake> b = fullFake(kB, L"P.B");
    ASSERT_EQ(server->RegisterDataProvider(asProvider(b->GetUnknown())), S_OK);
    Listener l = listen(server);
    for (const wchar_t* bad : {L"", L"{A}\\..\\x", L"Sub\\Key"}) {
        SCOPED_TRACE(bad);
        ks::ComPtr<CFullFake> p = fullFake(bad, L"P.Bad");
        EXPECT_EQ(server->RegisterDataProvider(asProvider(p->GetUnknown())), E_INVALIDARG);
        EXPECT_EQ(server->UnregisterDataProvider(asProvider(p->GetUnknown())), E_INVALIDARG);
    }
    EXPECT_EQ(l.calls(), 0);
    EXPECT_EQ(classNamesOf(newServer()), std::vector<std::wstring>{L"P.B"});
    EXPECT_FALSE(keyExists(kRoot + L"\\Sub"));
}

TEST_F(ProviderServer, RegistryWriteFailureIsReportedNotAnnounced)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    Listener l = listen(server);
    ASSERT_EQ(KsRegSetHiveReadOnly(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
    ks::ComPtr<CFullFake> b = fullFake(kB, L"P.B");
    EXPECT_EQ(server->RegisterDataProvider(asProvider(b->GetUnknown())), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(server->UnregisterDataProvider(asProvider(a->GetUnknown())), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(l.calls(), 0);
    // The provider whose key could not be deleted stays listed.
    EXPECT_EQ(classNamesOf(server).front(), L"P.A");
    ASSERT_EQ(KsRegSetHiveReadOnly(HKEY_CURRENT_USER, FALSE), ERROR_SUCCESS);
    EXPECT_EQ(classNamesOf(newServer()), std::vector<std::wstring>{L"P.A"});
}

TEST_F(ProviderServer, TwoServersOfOneProcessDoNotShareTheirList)
{
    ks::ComPtr<IKSProviderServer> first = newServer();
    ks::ComPtr<IKSProviderServer> second = newServer();
    Listener l1 = listen(first);
    Listener l2 = listen(second);
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    ASSERT_EQ(first->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(countOf(first), 1);
    EXPECT_EQ(countOf(second), 0);
    EXPECT_EQ(l1.calls(), 1);
    EXPECT_EQ(l2.calls(), 0);
    EXPECT_EQ(countOf(newServer()), 1);
}

TEST_F(ProviderServer, EventsReachEveryListenerUntilUnadvised)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    Listener l1 = listen(server);
    Listener l2 = listen(server);
    EXPECT_EQ(l1.cookie, 1u);
    EXPECT_EQ(l2.cookie, 2u);
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l1.calls(), 1);
    EXPECT_EQ(l2.calls(), 1);
    ASSERT_EQ(l1.point->Unadvise(l1.cookie), S_OK);
    EXPECT_EQ(l1.point->Unadvise(l1.cookie), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(server->UnregisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l1.calls(), 1);
    EXPECT_EQ(l2.calls(), 2);
    ASSERT_EQ(l2.point->Unadvise(l2.cookie), S_OK);
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);
    EXPECT_EQ(l2.calls(), 2);

    // The container has exactly one connection point.
    ks::ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(container.queryFrom(server.get()), S_OK);
    ks::ComPtr<IConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(IID_IKSProviderServer, &other), CONNECT_E_NOCONNECTION);
    IID iid{};
    EXPECT_EQ(l1.point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, IID__IKSProviderServerEvents);
    // A listener without the event interface is refused.
    ks::ComPtr<CPlainFake> notASink = make<CPlainFake>();
    DWORD cookie = 99;
    EXPECT_EQ(l1.point->Advise(notASink->GetUnknown(), &cookie), CONNECT_E_CANNOTCONNECT);
}

TEST_F(ProviderServer, AllocationFailures)
{
    ks::ComPtr<IKSProviderServer> server = newServer();
    ks::ComPtr<CFullFake> a = fullFake(kA, L"P.A");
    // The provider's first text cannot be allocated: nothing changes.
    Listener l = listen(server);
    ksTestFailNextBstrAllocations(1);
    EXPECT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), E_OUTOFMEMORY);
    ksTestFailNextBstrAllocations(0);
    EXPECT_EQ(countOf(server), 0);
    EXPECT_EQ(l.calls(), 0);
    ASSERT_EQ(server->RegisterDataProvider(asProvider(a->GetUnknown())), S_OK);

    // Every text member of a description.
    ks::ComPtr<IKSProviderDescription> d = item(server, 1);
    ks::ComPtr<IKSProviderDescription2> d2;
    ks::ComPtr<IKSProviderDescription3> d3;
    ASSERT_EQ(d2.queryFrom(d.get()), S_OK);
    ASSERT_EQ(d3.queryFrom(d.get()), S_OK);
    using Getter = std::function<HRESULT(BSTR*)>;
    const std::vector<std::pair<const char*, Getter>> getters = {
        {"ClassID", [&](BSTR* p) { return d->get_ClassID(p); }},
        {"ClassName", [&](BSTR* p) { return d->get_ClassName(p); }},
        {"Copyright", [&](BSTR* p) { return d->get_Copyright(p); }},
        {"MenuName", [&](BSTR* p) { return d->get_MenuName(p); }},
        {"Supplier", [&](BSTR* p) { return d->get_Supplier(p); }},
        {"Version", [&](BSTR* p) { return d->get_Version(p); }},
        {"DataServerClassID", [&](BSTR* p) { return d2->get_DataServerClassID(p); }},
        {"FilterString", [&](BSTR* p) { return d3->get_FilterString(p); }},
    };
    for (const auto& [name, get] : getters) {
        SCOPED_TRACE(name);
        BSTR b = reinterpret_cast<BSTR>(0x1);
        ksTestFailNextBstrAllocations(1);
        EXPECT_EQ(get(&b), E_OUTOFMEMORY);
        ksTestFailNextBstrAllocations(0);
        EXPECT_EQ(b, nullptr);
        EXPECT_EQ(get(nullptr), E_POINTER);
    }
    EXPECT_EQ(d->get_ProviderFlags(nullptr), E_POINTER);

    // The listener list cannot grow past its first four places.
    std::vector<Listener> more;
    for (int i = 0; i < 3; ++i)
        more.push_back(listen(server));
    ks::ComPtr<CEventCounter> fifth = make<CEventCounter>();
    DWORD cookie = 0;
    ksTestFailNextConnectionGrowths(1);
    EXPECT_EQ(l.point->Advise(fifth->GetUnknown(), &cookie), CONNECT_E_ADVISELIMIT);
    ksTestFailNextConnectionGrowths(0);
    EXPECT_EQ(l.point->Advise(fifth->GetUnknown(), &cookie), S_OK);
    EXPECT_EQ(cookie, 5u);
}

TEST_F(ProviderServer, LateBoundCallsReachTheServer)
{
    writeKey(kRoot + L"\\" + kA, goodValues(L"P.A"));
    ks::ComPtr<IKSProviderServer> server = newServer();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant count;
    ASSERT_EQ(server->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &count, nullptr, nullptr), S_OK);
    EXPECT_EQ(count.vt, VT_I4);
    EXPECT_EQ(count.lVal, 1);
    ks::Variant name(L"P.A");
    DISPPARAMS one{&name, nullptr, 1, 0};
    ks::Variant supported;
    ASSERT_EQ(server->Invoke(5, IID_NULL, 0, DISPATCH_METHOD, &one, &supported, nullptr, nullptr), S_OK);
    EXPECT_EQ(supported.vt, VT_BOOL);
    EXPECT_EQ(supported.boolVal, VARIANT_TRUE);
}

}  // namespace
