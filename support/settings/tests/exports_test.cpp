// The library exports its classes and functions and nothing of its
// internals.
#include "pellumor_testutil.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// True when the line names a member of an array class: "CArray<...>::"
// with no parenthesis between (an array in a signature has one). A plain
// search: std::regex draws a false maybe-uninitialized warning from g++ 12
// in the test build.
bool namesArrayMember(const std::string& line)
{
    for (size_t at = line.find("CArray<"); at != std::string::npos; at = line.find("CArray<", at + 1)) {
        const size_t paren = line.find_first_of("()", at);
        const size_t member = line.find(">::", at);
        if (member != std::string::npos && (paren == std::string::npos || member < paren))
            return true;
    }
    return false;
}

}  // namespace

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
        EXPECT_FALSE(namesArrayMember(line)) << line;
    }
}
