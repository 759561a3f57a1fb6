// The example program as the main job runs it: both files written through
// the registered writers read back whole, and the tool dumps them; its
// answers without registered writers and for bad arguments.
#include "rawfile.h"

#include "kshive.h"
#include "kstest.h"

#include <gtest/gtest.h>

namespace {

const std::string kProgram = std::string(KS_BIN_DIR) + "/virtualraw";

TEST(VirtualRaw, WritesAnMSRunAndAUVRunThatReadBack)
{
    ASSERT_TRUE(ks::test::registerComponents({"Ombrel2"}));
    const std::string ms = ks::test::tempDir() + "/virtual-ms.raw";
    const std::string uv = ks::test::tempDir() + "/virtual-uv.raw";
    const ks::test::RunResult r = ks::test::run({kProgram, ms, uv});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "MS run: 6 scans in " + ms + "\nUV run: 40 scans of 2 channels in " + uv + "\n");

    const rawengine::CRawfile msFile(ks::reg::wideFromUtf8(ms));
    ASSERT_FALSE(msFile.IsError()) << ks::reg::utf8FromWide(msFile.GetErrorMessage());
    EXPECT_EQ(msFile.GetAcquisitionFlags(), 0u);
    ASSERT_EQ(msFile.NumberOfVirtualControllers(), 1);
    EXPECT_EQ(msFile.Controller(0).NumSpectra(), 6);
    EXPECT_EQ(msFile.Controller(0).GetInstID().name, L"Virtual Orbit");

    const rawengine::CRawfile uvFile(ks::reg::wideFromUtf8(uv));
    ASSERT_FALSE(uvFile.IsError()) << ks::reg::utf8FromWide(uvFile.GetErrorMessage());
    ASSERT_EQ(uvFile.NumberOfVirtualControllers(), 1);
    EXPECT_EQ(uvFile.Controller(0).NumSpectra(), 40);
    EXPECT_EQ(uvFile.Controller(0).GetInstID().channelLabels, (std::vector<std::wstring>{L"254 nm", L"280 nm"}));

    for (const std::string& file : {ms, uv}) {
        const ks::test::RunResult dump = ks::test::run({std::string(KS_BIN_DIR) + "/tavrion-rawfile", "dump", file});
        EXPECT_EQ(dump.exitCode, 0) << dump.err;
        EXPECT_NE(dump.out.find("Virtual"), std::string::npos) << dump.out;
    }
}

TEST(VirtualRaw, SaysWhatIsMissingWithoutTheWriters)
{
    const ks::test::RunResult r =
        ks::test::run({kProgram, ks::test::tempDir() + "/a.raw", ks::test::tempDir() + "/b.raw"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Run ksregsvr on Ombrel2.so"), std::string::npos) << r.err;
}

TEST(VirtualRaw, UsageAndBadArguments)
{
    const ks::test::RunResult help = ks::test::run({kProgram, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: virtualraw MS-FILE UV-FILE\n", 0), 0u) << help.out;
    const ks::test::RunResult bad = ks::test::run({kProgram, "one"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err.rfind("usage:", 0), 0u) << bad.err;
}

}  // namespace
