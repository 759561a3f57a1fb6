// Self-registration of the provider server and of a provider deliverable
// (the test provider), through ksregsvr as an installer runs it.
#include "servertest.h"

#include "testprovider.h"

using namespace servertest;

namespace {

std::string narrow(const std::wstring& w)
{
    return std::string(w.begin(), w.end());
}

const std::string kServicesKey = "HKCU\\Software\\Kestrom\\Data Services";

TEST(SelfRegistration, ProviderServerRegistersItsClassAndTypeLibrary)
{
    registerModule(kServerModule);
    const ks::test::RunResult r = ksreg({"dump", "HKCR"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string clsid = "{155AC305-D288-11D3-91D8-00400536072C}";
    for (const std::string& expected : std::vector<std::string>{
             "[HKEY_CLASSES_ROOT\\KSDataServices.KSProviderServer.1]\n@=sz:\"KSProviderServer Class\\0\"",
             "[HKEY_CLASSES_ROOT\\KSDataServices.KSProviderServer\\CurVer]\n@=sz:\"KSDataServices.KSProviderServer.1\\0\"",
             "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32]\n@=sz:\"" + libPath(kServerModule) +
                 "\\0\"\n\"ThreadingModel\"=sz:\"Apartment\\0\"",
             "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\TypeLib]\n@=sz:\"{23469379-D825-11D3-91DF-00400536072C}\\0\"",
             "[HKEY_CLASSES_ROOT\\TypeLib\\{23469379-D825-11D3-91DF-00400536072C}\\1.0]\n@=sz:\"KSProviderServer 1.0 Type Library\\0\"",
         })
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n---\n" << r.out;
    // The description class is made only by the server, and the declared
    // provider and scan-information classes by nobody: none is registered.
    EXPECT_EQ(r.out.find("155AC308"), std::string::npos);
    for (const CLSID& clsid : {CLSID_KSProviderDescription, CLSID_KSDataProvider, CLSID_KSScanInfoProvider}) {
        ks::ComPtr<IUnknown> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, object.out()), REGDB_E_CLASSNOTREG);
    }

    const ks::test::RunResult u = regsvr(kServerModule, true);
    ASSERT_EQ(u.exitCode, 0) << u.err;
    const ks::test::RunResult after = ksreg({"dump", "HKCR"});
    EXPECT_EQ(after.out.find("KSDataServices"), std::string::npos) << after.out;
    EXPECT_EQ(after.out.find(clsid), std::string::npos) << after.out;
}

TEST(SelfRegistration, ProviderRegistrationWritesAllEightValues)
{
    registerModule(kServerModule);
    registerModule(kTestProviderModule);
    const ks::test::RunResult full = ksreg({"query", kServicesKey + "\\" + narrow(kFullClassID)});
    ASSERT_EQ(full.exitCode, 0) << full.err;
    EXPECT_EQ(full.out, "\"Class Name\"=sz:\"KSTestProvider.KSFullProvider\\0\"\n"
                        "\"Copyright\"=sz:\"Copyright (c) Kestrom test\\0\"\n"
                        "\"Menu Name\"=sz:\"Full Test Data\\0\"\n"
                        "\"Supplier\"=sz:\"Kestrom\\0\"\n"
                        "\"Version\"=sz:\"1.00\\0\"\n"
                        "\"DataServer Class ID\"=sz:\"{6E0B7A14-52C4-4C1D-9A57-0E1F3C6A2B01}\\0\"\n"
                        "\"File Filter\"=sz:\"Full Test Data (*.ftd)\\0\"\n"
                        "\"Provider Flags\"=dword:00000005\n");
    const ks::test::RunResult plain = ksreg({"query", kServicesKey + "\\" + narrow(kPlainClassID)});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find("\"Class Name\"=sz:\"KSTestProvider.KSPlainProvider\\0\""), std::string::npos);
    EXPECT_NE(plain.out.find("\"DataServer Class ID\"=sz:\"\\0\""), std::string::npos);
    EXPECT_NE(plain.out.find("\"File Filter\"=sz:\"\\0\""), std::string::npos);
    EXPECT_NE(plain.out.find("\"Provider Flags\"=dword:00000002"), std::string::npos);
    // The provider classes are registered too.
    const ks::test::RunResult classes = ksreg({"query", "HKCR\\KSTestProvider.KSPlainProvider\\CurVer"});
    EXPECT_EQ(classes.out, "@=sz:\"KSTestProvider.KSPlainProvider.1\\0\"\n");

    // This process, a second one, sees what ksregsvr registered.
    ks::ComPtr<IKSProviderServer> server = newServer();
    std::vector<DescriptionValues> list = listOf(server);
    ASSERT_EQ(list.size(), 2u);
    const DescriptionValues expectedFull{kFullClassID, kFullClassName, kFullCopyright, kFullMenuName,
                                         kFullSupplier, kFullVersion, kFullDataServerClassID, kFullFilter,
                                         kFullFlags};
    EXPECT_TRUE(list[0] == expectedFull);
    EXPECT_EQ(list[1].classID, kPlainClassID);
    ks::ComPtr<IKSDataProvider> provider;
    ASSERT_EQ(server->GetProvider(ks::Bstr(kFullClassName), &provider), S_OK);
    ASSERT_TRUE(provider);
    ks::ComPtr<IDispatch> reader;
    EXPECT_EQ(provider->GetService(ks::Bstr(L"KSMSDatasetReader"), &reader), S_OK);
    EXPECT_TRUE(reader);
    EXPECT_EQ(provider->GetService(ks::Bstr(L"KSSpectrumReader"), &reader), E_NOINTERFACE);

    // Unregistering removes both provider keys and the classes.
    const ks::test::RunResult u = regsvr(kTestProviderModule, true);
    ASSERT_EQ(u.exitCode, 0) << u.err;
    EXPECT_FALSE(keyExists(kRoot + L"\\" + kFullClassID));
    EXPECT_FALSE(keyExists(kRoot + L"\\" + kPlainClassID));
    EXPECT_EQ(countOf(newServer()), 0);
    const ks::test::RunResult gone = ksreg({"dump", "HKCR"});
    EXPECT_EQ(gone.out.find("KSTestProvider"), std::string::npos) << gone.out;
    EXPECT_NE(gone.out.find("KSDataServices.KSProviderServer"), std::string::npos);
}

TEST(SelfRegistration, ProviderRegistersWithoutTheProviderServer)
{
    const ks::test::RunResult r = regsvr(kTestProviderModule);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("succeeded"), std::string::npos);
    EXPECT_FALSE(keyExists(kRoot));
    const ks::test::RunResult classes = ksreg({"query", "HKCR\\KSTestProvider.KSFullProvider.1\\CLSID"});
    EXPECT_EQ(classes.out, "@=sz:\"" + narrow(kFullClassID) + "\\0\"\n");
    const ks::test::RunResult u = regsvr(kTestProviderModule, true);
    EXPECT_EQ(u.exitCode, 0) << u.out << u.err;
}

TEST(SelfRegistration, OnlyTheLastProviderClassFailingFailsTheRegistration)
{
    registerModule(kServerModule);
    // The first class cannot be created: the second still registers.
    ks::test::RunResult r = regsvr(kTestProviderModule, false, {"KS_TEST_PROVIDER_FAIL=KSFullProvider"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(classNamesOf(newServer()), std::vector<std::wstring>{kPlainClassName});

    // The last class cannot be created: the registration fails with the
    // creation's result, after the first class was announced.
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    r = regsvr(kTestProviderModule, false, {"KS_TEST_PROVIDER_FAIL=KSPlainProvider"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("failed with error code 0x8000FFFF"), std::string::npos) << r.err;
    EXPECT_EQ(classNamesOf(newServer()), std::vector<std::wstring>{kFullClassName});

    // The same rule holds for unregistration.
    r = regsvr(kTestProviderModule, true, {"KS_TEST_PROVIDER_FAIL=KSFullProvider"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(classNamesOf(newServer()), std::vector<std::wstring>{kFullClassName});
    r = regsvr(kTestProviderModule, true, {"KS_TEST_PROVIDER_FAIL=KSFullProvider,KSPlainProvider"});
    EXPECT_EQ(r.exitCode, 1);
    r = regsvr(kTestProviderModule, true);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(newServer()), 0);
}

TEST(SelfRegistration, ClassRegistrationFailureIsAnsweredAtOnce)
{
    registerModule(kServerModule);
    const ks::test::RunResult r =
        regsvr(kTestProviderModule, false, {"KESTROM_REGISTRY_READONLY=HKEY_LOCAL_MACHINE"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("0x80070005"), std::string::npos) << r.err;
    EXPECT_FALSE(keyExists(kRoot));
}

}  // namespace
