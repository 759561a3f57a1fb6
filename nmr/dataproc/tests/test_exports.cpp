// The shared library as loaded by a host: its dynamic symbols and the
// entry points through both names.
#include "kstest.h"
#include "dataproclib.h"
#include "yarbex.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> dynamicSymbols()
{
    const ks::test::RunResult r = ks::test::run({YARBEX_NM, "-D", "--defined-only", KS_LIB_DIR "/libYarbex.so"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::set<std::string> names;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (type == "T")
            names.insert(name);
    }
    return names;
}

}  // namespace

TEST(YarbexExports, OnlyTheEntryPointsAreExported)
{
    const std::set<std::string> names = dynamicSymbols();
    EXPECT_TRUE(names.count("VqDllCommand"));
    EXPECT_TRUE(names.count("LumvoDLLCommand"));
    for (const std::string& n : names)
        EXPECT_TRUE(n == "VqDllCommand" || n == "LumvoDLLCommand" || n == "setupDataProcLib") << n;
}

TEST(YarbexExports, BothNamesReachTheFrame)
{
    VersionRecord v{};
    EXPECT_EQ(LumvoDLLCommand(1, &v), 0u);
    EXPECT_EQ(v.version, 0x10002u);
    ErrorTextRecord t{};
    t.code = 27;
    EXPECT_EQ(VqDllCommand(5, &t), 0u);
    EXPECT_STREQ(t.text, "Data size mismatch");

    uint32_t code = 17;
    testing::internal::CaptureStderr();
    EXPECT_EQ(VqDllCommand(9, &code), 0x80000011u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Missing DPI structure"), std::string::npos);
    EXPECT_EQ(VqDllCommand(8, nullptr), 0u);
}

TEST(YarbexExports, SetupWithoutHostGivesNothing)
{
    EXPECT_EQ(setupDataProcLib(nullptr), nullptr);
}
