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
        {"no module", {}, {}, 2, "usage: ksregsvr [-u] MODULE"},
        {"only the option", {"-u"}, {}, 2, "usage:"},
        {"unknown option", {"-x", componentPath()}, {}, 2, "unknown option -x"},
        {"two modules", {componentPath(), componentPath()}, {}, 2, "usage:"},
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
    }
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kInproc));
}
