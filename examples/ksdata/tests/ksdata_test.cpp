// ksdata run as a program: arguments, the provider list, errors in the
// user's terms, registration order.
#include <gtest/gtest.h>

#include "kscontract.h"
#include "ksregistry.h"
#include "kstest.h"
#include "testprovider.h"

#include <filesystem>
#include <string>

namespace {

ks::test::RunResult Ksdata(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{std::string(KS_BIN_DIR) + "/ksdata"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ks::test::run(argv);
}

ks::test::RunResult Ksregsvr(const std::string& module)
{
    return ks::test::run({std::string(KS_BIN_DIR) + "/ksregsvr", std::string(KS_LIB_DIR) + "/" + module});
}

void Register(const std::string& module)
{
    const ks::test::RunResult r = Ksregsvr(module);
    ASSERT_EQ(r.exitCode, 0) << module << ": " << r.out << r.err;
    EXPECT_EQ(r.err, "") << module;
}

const std::string kNoProviderServer =
    "ksdata: the provider server is not registered: run ksregsvr on the provider server (KSProviderServer.so), "
    "then on the providers\n";
const std::string kOpenFailed = "ksdata: IKSDataAccess::OpenDataset failed: E_FAIL (0x80004005)\n";

struct Case {
    const char* what;
    std::vector<std::string> args;
    int exitCode;
    std::string out;  // "..." at the end: only the start is compared
    std::string err;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ks::test::RunResult r = Ksdata(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        const size_t dots = c.out.size() >= 3 && c.out.compare(c.out.size() - 3, 3, "...") == 0 ? c.out.size() - 3
                                                                                             : std::string::npos;
        if (dots == std::string::npos)
            EXPECT_EQ(r.out, c.out);
        else
            EXPECT_EQ(r.out.substr(0, dots), c.out.substr(0, dots)) << r.out;
        EXPECT_EQ(r.err, c.err);
    }
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

// A bad argument is one line naming it and what is allowed; the full
// usage goes to standard error without arguments, to standard output
// with --help.
TEST(Ksdata, ArgumentsAndHelp)
{
    const std::string usage = "usage: ksdata providers\n"
                              "       ksdata tree PATH\n"
                              "       ksdata spectrum PATH FUNCTION INDEX\n";
    const std::string indexes = "; allowed: 1 to 2147483647 (counted from 1)\n";
    const ks::test::RunResult help = Ksdata({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.substr(0, usage.size()), usage);
    EXPECT_NE(help.out.find("FUNCTION\nand INDEX count from 1"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");
    RunCases({
        {"no arguments", {}, 2, "", help.out},
        {"unknown command", {"frobnicate"}, 2, "",
         "ksdata: unknown command \"frobnicate\"; allowed: providers, tree, spectrum, --help\n"},
        {"tree without a path", {"tree"}, 2, "", "ksdata: tree takes PATH; got 0 arguments\n"},
        {"spectrum without an index", {"spectrum", "a.txt", "1"}, 2, "",
         "ksdata: spectrum takes PATH FUNCTION INDEX; got 2 arguments\n"},
        {"function not a number", {"spectrum", "a.txt", "x", "1"}, 2, "", "ksdata: bad FUNCTION \"x\"" + indexes},
        {"index 0", {"spectrum", "a.txt", "1", "0"}, 2, "", "ksdata: bad INDEX \"0\"" + indexes},
        {"index too large", {"spectrum", "a.txt", "1", "99999999999"}, 2, "",
         "ksdata: bad INDEX \"99999999999\"" + indexes},
        {"control characters shown escaped", {"spectrum", "a.txt", "1\n\x1b", "1"}, 2, "",
         "ksdata: bad FUNCTION \"1\\x0A\\x1B\"" + indexes},
    });
}

// Without a provider server, neither the list nor a dataset can be had:
// the user is told what to register.
TEST(Ksdata, NothingRegistered)
{
    RunCases({
        {"providers", {"providers"}, 1, "",
         kNoProviderServer + "ksdata: CoCreateInstance(KSProviderServer) failed: REGDB_E_CLASSNOTREG (0x80040154)\n"},
        {"tree", {"tree", KS_TEXT_SAMPLE}, 1, "",
         kNoProviderServer + "ksdata: CoCreateInstance(KSDataAccess) failed: REGDB_E_CLASSNOTREG (0x80040154)\n"},
    });
}

TEST(Ksdata, ProvidersListsEveryRegisteredProvider)
{
    Register("KSProviderServer.so");
    Register("ks_ksdata_test_provider.so");
    const ks::test::RunResult none = Ksdata({"providers"});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.out, "0 registered providers\n"
                        "Register them with ksregsvr: the provider server (KSProviderServer.so) first, then each "
                        "provider (KSTextProvider.so, ...).\n");

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

// Every way a dataset fails to open says first, in the user's terms, what
// went wrong, then the call and its code.
TEST(Ksdata, DatasetsThatDoNotOpenSayWhy)
{
    namespace fs = std::filesystem;
    const std::string dir = ks::test::tempDir();
    const std::string missing = dir + "/missing.txt";
    const std::string empty = dir + "/empty.txt";
    const std::string binary = dir + "/noise.bin";
    const std::string dta = dir + "/spectrum.dta";  // a text spectrum the text provider does not take
    const std::string folderTxt = dir + "/folder.txt";
    ks::test::writeFile(empty, "");
    ks::test::writeFile(binary, std::string("\x00\xff\x10\x80 binary", 11));
    fs::copy_file(KS_TEXT_SAMPLE, dta);
    fs::create_directory(folderTxt);

    Register("KSProviderServer.so");
    const std::string noProviders =
        "ksdata: no providers are registered: run ksregsvr on the provider server, then on the providers\n";
    RunCases({
        {"missing, nothing to open it with", {"tree", missing}, 1, "",
         "ksdata: " + missing + ": no such file or folder\n" + kOpenFailed},
        {"no providers", {"tree", KS_TEXT_SAMPLE}, 1, "", noProviders + kOpenFailed},
    });

    Register("KSTextProvider.so");
    const std::string none = ": no registered provider accepts this dataset; registered: \"Text File\"\n";
    RunCases({
        {"missing", {"tree", missing}, 1, "", "ksdata: " + missing + ": no such file or folder\n" + kOpenFailed},
        {"folder", {"tree", dir}, 1, "", "ksdata: " + dir + " (a folder)" + none + kOpenFailed},
        {"binary file", {"tree", binary}, 1, "", "ksdata: " + binary + none + kOpenFailed},
        {"text spectrum named .dta", {"tree", dta}, 1, "", "ksdata: " + dta + none + kOpenFailed},
        {"device", {"tree", "/dev/null"}, 1, "", "ksdata: /dev/null (not a regular file)" + none + kOpenFailed},
        {"accepted by name, not readable", {"tree", folderTxt}, 1, "",
         "ksdata: " + folderTxt + " (a folder): the provider \"Text File\" accepts this dataset but cannot read it\n" +
             kOpenFailed},
        // The text provider counts one spectrum in any .txt file.
        {"empty file: tree", {"tree", empty}, 0,
         "Dataset " + empty + " (KSTextProvider)\n"
         "Injection 1: Injection 1\n"
         "  Function 1: Function 1  type unknown  polarity unknown  MS order 1  spectra 1 (none readable)\n",
         ""},
        {"empty file: spectrum", {"spectrum", empty, "1", "1"}, 1, "",
         "ksdata: spectrum 1 of function 1 cannot be read: the function counts 1 spectrum, but the dataset holds "
         "no readable spectrum\n"
         "ksdata: IKSFunction::SpectrumDirect failed: E_FAIL (0x80004005)\n"},
    });
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

    RunCases({
        {"first spectrum", {"spectrum", KS_TEXT_SAMPLE, "1", "1"}, 0, "175.586600\t42.590000\n...", ""},
        {"last spectrum", {"spectrum", KS_TEXT_SAMPLE, "1", "24"}, 0, "...", ""},
        {"spectrum past the end", {"spectrum", KS_TEXT_SAMPLE, "1", "30"}, 1, "",
         "ksdata: spectrum 30 does not exist: function 1 has 24 spectra\n"},
        {"function past the end", {"spectrum", KS_TEXT_SAMPLE, "2", "1"}, 1, "",
         "ksdata: function 2 does not exist: injection 1 has 1 function\n"},
    });
}

// A provider registered before the provider server succeeds but is not
// listed; ksregsvr says so, and registering again in order mends it.
TEST(Ksdata, ProviderRegisteredBeforeTheProviderServer)
{
    const std::string provider = std::string(KS_LIB_DIR) + "/KSTextProvider.so";
    ks::test::RunResult r = Ksregsvr("KSTextProvider.so");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "DllRegisterServer in " + provider + " succeeded.\n");
    EXPECT_EQ(r.err, "ksregsvr: warning: " + provider +
                         " holds a data provider, but no provider server is registered: the provider is not in the "
                         "provider list. Register the provider server (KSProviderServer.so) first, then " +
                         provider + " again.\n");

    Register("KSProviderServer.so");
    r = Ksdata({"providers"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "0 registered providers\n");

    Register("KSTextProvider.so");  // in order now: no warning
    r = Ksdata({"providers"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1 registered provider\n"
                     "0  KSTextProvider.KSTextProvider  \"Text File\"  flags 3  spectrum reader, spectrum writer, "
                     "dataset reader\n");
}

}  // namespace
