// The ksregsvr tool.
#include "acttest.h"
#include "testcomponent.h"

#include <filesystem>

using namespace acttest;

namespace {

const std::wstring kInproc = L"CLSID\\" + ks::guidToString(CLSID_ActivationSample) + L"\\InprocServer32";

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Ksregsvr, RegistersAndUnregisters)
{
    auto r = tool("ksregsvr", {componentPath()});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_TRUE(contains(r.out, "DllRegisterServer in ")) << r.out;
    EXPECT_TRUE(contains(r.out, " succeeded.")) << r.out;
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kInproc));

    r = tool("ksregsvr", {"-u", componentPath()});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_TRUE(contains(r.out, "DllUnregisterServer in ")) << r.out;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + ks::guidToString(CLSID_ActivationSample)));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, L"CLSID"));

    // Unregistering what is not registered is no failure.
    r = tool("ksregsvr", {"-u", componentPath()});
    EXPECT_EQ(0, r.exitCode) << r.err;
}

// A relative module name is registered as the absolute, normalised path.
TEST(Ksregsvr, RegistersTheAbsolutePath)
{
    const std::string copy = copyComponent("ks_activation_test_rel.so");
    std::filesystem::create_directory(ks::test::tempDir() + "/sub");
    auto r = ks::test::run({"/bin/sh", "-c",
                            "cd \"$0\" && exec \"$1\" ./sub/../ks_activation_test_rel.so",
                            ks::test::tempDir(), std::string(KS_BIN_DIR) + "/ksregsvr"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(wide(copy), defaultText(HKEY_CLASSES_ROOT, kInproc));
    EXPECT_EQ(L"Apartment", defaultText(HKEY_CLASSES_ROOT, kInproc, L"ThreadingModel"));
}

TEST(Ksregsvr, FailuresExitNonZeroWithAMessage)
{
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::string> env;
        int exitCode;
        std::string message;
    };
    const std::string missing = ks::test::tempDir() + "/missing.so";
    const Case cases[] = {
        {"no arguments", {}, {}, 2, "usage: ksregsvr [-u] MODULE\n"},
        {"only the option", {"-u"}, {}, 2, "ksregsvr: MODULE missing; give the path of a component\n"},
        {"unknown option", {"-x", componentPath()}, {}, 2,
         "ksregsvr: unknown option \"-x\"; allowed: -u (unregister), --help\n"},
        {"empty module", {""}, {}, 2, "ksregsvr: MODULE is empty; give the path of a component\n"},
        {"two modules", {componentPath(), "b.so"}, {}, 2,
         "ksregsvr: one MODULE at a time; got \"" + componentPath() + "\" and \"b.so\"\n"},
        {"missing module", {missing}, {}, 1, "ksregsvr: cannot load " + missing + ":"},
        {"no DllRegisterServer", {noEntryPath()}, {}, 1,
         "ksregsvr: " + noEntryPath() + " was loaded, but the entry point DllRegisterServer was not found"},
        {"no DllUnregisterServer", {"-u", noEntryPath()}, {}, 1, "the entry point DllUnregisterServer was not found"},
        {"registry not writable", {componentPath()}, {"KESTROM_REGISTRY_READONLY=HKEY_LOCAL_MACHINE"}, 1,
         "ksregsvr: DllRegisterServer in " + componentPath() + " failed with error code 0x80070005"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = tool("ksregsvr", c.args, c.env);
        EXPECT_EQ(c.exitCode, r.exitCode);
        EXPECT_TRUE(contains(r.err, c.message)) << r.err;
        EXPECT_EQ("", r.out);
        // A bad argument is one line; the full usage only without arguments.
        if (c.exitCode == 2 && !c.args.empty()) {
            EXPECT_EQ(c.message, r.err);
        }
    }
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kInproc));
}

TEST(Ksregsvr, HelpPrintsTheUsageOnStandardOutput)
{
    for (const char* option : {"--help", "-h"}) {
        auto r = tool("ksregsvr", {option});
        EXPECT_EQ(0, r.exitCode) << option;
        EXPECT_EQ(0u, r.out.find("usage: ksregsvr [-u] MODULE\n")) << r.out;
        EXPECT_TRUE(contains(r.out, "before the data providers")) << r.out;
        EXPECT_EQ("", r.err);
    }
}

// A module that announces a data provider while no provider server can be
// created succeeds as before (the provider ignores the answer), and
// ksregsvr says on standard error that the provider is not listed.
TEST(Ksregsvr, WarnsWhenADataProviderFindsNoProviderServer)
{
    const std::string announcer = std::string(KS_LIB_DIR) + "/ks_activation_test_announcer.so";
    const std::wstring serverKey = L"CLSID\\{155AC305-D288-11D3-91D8-00400536072C}\\InprocServer32";
    const std::string gone = ks::test::tempDir() + "/gone/KSProviderServer.so";
    enum class Server { None, Existing, Missing };
    struct Case {
        const char* what;
        Server server;
        std::vector<std::string> args;
        std::string warning;  // empty: no warning at all
    };
    const std::string notListed = ": the provider is not in the provider list. Register the provider server "
                                  "(KSProviderServer.so) first, then " + announcer + " again.\n";
    const Case cases[] = {
        {"provider, no provider server", Server::None, {announcer},
         "ksregsvr: warning: " + announcer + " holds a data provider, but no provider server is registered" +
             notListed},
        {"provider, provider server file gone", Server::Missing, {announcer},
         "ksregsvr: warning: " + announcer + " holds a data provider, but the registered provider server " + gone +
             " does not exist" + notListed},
        {"provider, provider server registered", Server::Existing, {announcer}, ""},
        {"unregistering a provider, no provider server", Server::None, {"-u", announcer},
         "ksregsvr: warning: " + announcer + " holds a data provider, but no provider server is registered: its "
         "entry in the provider list, if any, stays. Register the provider server (KSProviderServer.so), run "
         "ksregsvr -u on " + announcer + " again, then unregister the provider server.\n"},
        {"unregistering a provider, provider server registered", Server::Existing, {"-u", announcer}, ""},
        {"other component, no provider server", Server::None, {componentPath()}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\{155AC305-D288-11D3-91D8-00400536072C}");
        if (c.server == Server::Existing)
            setText(HKEY_CLASSES_ROOT, serverKey, L"", wide(componentPath()));
        if (c.server == Server::Missing)
            setText(HKEY_CLASSES_ROOT, serverKey, L"", wide(gone));
        auto r = tool("ksregsvr", c.args);
        EXPECT_EQ(0, r.exitCode) << r.err;
        EXPECT_TRUE(contains(r.out, " succeeded.\n")) << r.out;
        EXPECT_EQ(c.warning, r.err);
    }
}
