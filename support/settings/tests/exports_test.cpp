// The library exports its classes and functions and nothing of its
// internals.
#include "pellumor_testutil.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

TEST(Exports, OnlyThePublicInterfaceIsVisible)
{
    const auto r = ks::test::run({pt::program("nm"), "-DC", "--defined-only", std::string(KS_LIB_DIR) + "/libPellumor.so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* wanted : {"CFRegKey::ReadStr", "CIntValKey::Load", "IntValidation::IntValidation",
                               "GetTopRegistryKey", "mywcstod", "gCritSection", "GetTavrionMassDefect",
                               "SetApplicationStringLoader"})
        EXPECT_NE(r.out.find(wanted), std::string::npos) << wanted;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.find("pellumor::"), std::string::npos) << line;
        EXPECT_EQ(line.find("anonymous namespace"), std::string::npos) << line;
        // Array members stay inside (the arrays may appear in signatures).
        EXPECT_FALSE(std::regex_search(line, std::regex("CArray<[^()]*>::"))) << line;
    }
}
