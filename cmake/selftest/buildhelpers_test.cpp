#include "kstest.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

std::set<std::string> definedDynamicSymbols(const std::string& path)
{
    const auto r = ks::test::run({"/usr/bin/nm", "-D", "--defined-only", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::set<std::string> names;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string addr, type, name;
        if (fields >> addr >> type >> name) {
            const auto at = name.find('@');
            names.insert(name.substr(0, at));
        }
    }
    return names;
}

TEST(BuildHelpers, ComponentExportsExactlyItsFourEntryPoints)
{
    const auto names = definedDynamicSymbols(KS_SELFTEST_COMPONENT);
    const std::set<std::string> expected{"DllGetClassObject", "DllCanUnloadNow",
                                         "DllRegisterServer", "DllUnregisterServer"};
    EXPECT_EQ(names, expected);
}

TEST(BuildHelpers, EachTestHasItsOwnTemporaryRegistry)
{
    const std::string dir = ks::test::tempDir();
    ASSERT_FALSE(dir.empty());
    const char* reg = std::getenv("KESTROM_REGISTRY");
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(std::string(reg), dir + "/registry");
    EXPECT_EQ(std::string(std::getenv("TMPDIR")), dir + "/tmp");
}

TEST(BuildHelpers, RealDataFolderIsFound)
{
    const std::string p = ks::test::realData("SOURCES.md");
    EXPECT_FALSE(ks::test::readFile(p).empty());
}

}  // namespace

namespace {
TEST(BuildHelpers, TestEnvironmentReachesTheTest)
{
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    ASSERT_NE(qpa, nullptr);
    EXPECT_STREQ(qpa, "offscreen");
    const char* lsan = std::getenv("LSAN_OPTIONS");
    ASSERT_NE(lsan, nullptr);
    EXPECT_NE(std::string(lsan).find("lsan.supp"), std::string::npos);
}
}  // namespace
