// ksdata run as a program: arguments, the provider list, errors.
#include <gtest/gtest.h>

#include "kscontract.h"
#include "ksregistry.h"
#include "kstest.h"
#include "testprovider.h"

#include <string>

namespace {

ks::test::RunResult Ksdata(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{std::string(KS_BIN_DIR) + "/ksdata"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ks::test::run(argv);
}

void Register(const std::string& module)
{
    const ks::test::RunResult r = ks::test::run({std::string(KS_BIN_DIR) + "/ksregsvr", std::string(KS_LIB_DIR) + "/" + module});
    ASSERT_EQ(r.exitCode, 0) << module << ": " << r.out << r.err;
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             DWORD((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void WriteProviderKey(const std::wstring& clsid, const std::wstring& className, const std::wstring& menuName,
                      DWORD flags)
{
    const std::wstring path = L"Software\\Kestrom\\Data Services\\" + clsid;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    SetString(key, L"Class Name", className);
    SetString(key, L"Copyright", L"");
    SetString(key, L"Menu Name", menuName);
    SetString(key, L"Supplier", L"Test");
    SetString(key, L"Version", L"1.0");
    ASSERT_EQ(RegSetValueExW(key, L"Provider Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), sizeof(flags)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(Ksdata, BadArgumentsExitWithTwo)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"providers", "extra"}, {"tree"}, {"spectrum", "a.txt", "1"},
             {"spectrum", "a.txt", "x", "1"}, {"spectrum", "a.txt", "1", "0"}, {"spectrum", "a.txt", "1", "3x"}}) {
        const ks::test::RunResult r = Ksdata(args);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: ksdata"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

TEST(Ksdata, MissingProviderServerNamesTheFailingCall)
{
    const ks::test::RunResult r = Ksdata({"providers"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ksdata: CoCreateInstance(KSProviderServer) failed: REGDB_E_CLASSNOTREG (0x80040154)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(Ksdata, ProvidersListsEveryRegisteredProvider)
{
    Register("KSProviderServer.so");
    Register("ks_ksdata_test_provider.so");
    const ks::test::RunResult none = Ksdata({"providers"});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.out, "0 registered providers\n");

    WriteProviderKey(kTestProviderClsidText, kTestProviderClassName, kTestProviderMenuName, SpectrumReader);
    // Listed, but its class is registered nowhere.
    WriteProviderKey(L"{C11E7E57-0002-4000-8000-000000000002}", L"KSDataTest.Missing", L"Missing datasets",
                     MSDatasetReader | SpectrumWriter);
    // Flags 0: no service offered, but registered, so listed as well.
    WriteProviderKey(L"{C11E7E57-0003-4000-8000-000000000003}", L"KSDataTest.NoFlags", L"No services", 0);
    const ks::test::RunResult r = Ksdata({"providers"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "3 registered providers\n"
                     "0  KSDataTest.Provider  \"Test spectra\"  flags 1  spectrum reader\n"
                     "1  Missing datasets  flags 6  (cannot be created)\n"
                     "2  No services  flags 0  (cannot be created)\n");
}

TEST(Ksdata, DatasetThatNoProviderOpensNamesTheFailingCall)
{
    Register("KSProviderServer.so");
    const std::string missing = ks::test::tempDir() + "/missing.txt";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"tree", missing}, {"spectrum", missing, "1", "1"}}) {
        const ks::test::RunResult r = Ksdata(args);
        EXPECT_EQ(r.exitCode, 1) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("ksdata: IKSDataAccess::OpenDataset failed: "), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(Ksdata, TreeAndSpectrumOfTheTextSample)
{
    Register("KSProviderServer.so");
    Register("KSTextProvider.so");
    const ks::test::RunResult tree = Ksdata({"tree", KS_TEXT_SAMPLE});
    ASSERT_EQ(tree.exitCode, 0) << tree.err;
    EXPECT_NE(tree.out.find("\nInjection 1: "), std::string::npos) << tree.out;
    EXPECT_NE(tree.out.find("\n  Function 1: "), std::string::npos) << tree.out;
    EXPECT_NE(tree.out.find(" spectra 24\n"), std::string::npos) << tree.out;

    const ks::test::RunResult spectrum = Ksdata({"spectrum", KS_TEXT_SAMPLE, "1", "1"});
    ASSERT_EQ(spectrum.exitCode, 0) << spectrum.err;
    EXPECT_EQ(spectrum.out.substr(0, spectrum.out.find('\n') + 1), "175.586600\t42.590000\n");

    const ks::test::RunResult beyond = Ksdata({"spectrum", KS_TEXT_SAMPLE, "1", "25"});
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_NE(beyond.err.find("ksdata: IKSFunction::SpectrumDirect failed: "), std::string::npos) << beyond.err;
}

}  // namespace
