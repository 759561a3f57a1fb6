// The ksreg tool.
#include "regtest.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace regtest;

namespace {

ks::test::RunResult ksreg(std::vector<std::string> args)
{
    args.insert(args.begin(), std::string(KS_BIN_DIR) + "/ksreg");
    return ks::test::run(args);
}

}  // namespace

TEST(Ksreg, SetQueryDumpDelete)
{
    struct Case {
        std::vector<std::string> set;
        const char* shown;
    };
    const Case cases[] = {
        {{"Name", "sz", "Text Provider \xc3\xa9"}, "\"Name\"=sz:\"Text Provider \xc3\xa9\\0\""},
        {{"Path", "expand_sz", "%HOME%"}, "\"Path\"=expand_sz:\"%HOME%\\0\""},
        {{"List", "multi_sz", "a", "b"}, "\"List\"=multi_sz:\"a\\0b\\0\\0\""},
        {{"Empty", "multi_sz"}, "\"Empty\"=multi_sz:\"\\0\""},
        {{"Flags", "dword", "0x10"}, "\"Flags\"=dword:00000010"},
        {{"Max", "dword", "4294967295"}, "\"Max\"=dword:ffffffff"},
        {{"Q", "qword", "1"}, "\"Q\"=qword:0000000000000001"},
        {{"Bin", "binary", "00,ff", "10"}, "\"Bin\"=binary:hex:00,ff,10"},
        {{"Nothing", "none"}, "\"Nothing\"=none:hex:"},
        {{"", "sz", "default"}, "@=sz:\"default\\0\""},
    };
    std::string all;
    for (const auto& c : cases) {
        std::vector<std::string> args = {"set", "HKCU\\Software\\Tool"};
        args.insert(args.end(), c.set.begin(), c.set.end());
        auto r = ksreg(args);
        ASSERT_EQ(0, r.exitCode) << r.err;
        r = ksreg({"query", "HKEY_CURRENT_USER\\Software\\Tool", c.set[0]});
        EXPECT_EQ(0, r.exitCode) << r.err;
        EXPECT_EQ(std::string(c.shown) + "\n", r.out);
        all += std::string(c.shown) + "\n";
    }
    auto r = ksreg({"query", "hkcu\\software\\tool"});
    EXPECT_EQ(all, r.out);

    // What ksreg wrote is what the calls read.
    HKEY h = open(HKEY_CURRENT_USER, L"Software\\Tool");
    EXPECT_EQ(sz(L"Text Provider \u00e9"), get(h, L"Name").data);
    EXPECT_EQ(dword(16), get(h, L"Flags").data);
    RegCloseKey(h);

    RegCloseKey(create(HKEY_CURRENT_USER, L"Software\\Tool\\Sub\\Deeper"));
    r = ksreg({"dump", "HKCU\\Software"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Tool]\n" +
                  all +
                  "\n[HKEY_CURRENT_USER\\Software\\Tool\\Sub]\n\n"
                  "[HKEY_CURRENT_USER\\Software\\Tool\\Sub\\Deeper]\n\n",
              r.out);
    r = ksreg({"dump"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("[HKEY_LOCAL_MACHINE]\n")) << r.out;

    r = ksreg({"delete", "HKCU\\Software\\Tool", "Flags"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    r = ksreg({"query", "HKCU\\Software\\Tool", "Flags"});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("not found")) << r.err;
    r = ksreg({"delete", "HKCU\\Software\\Tool"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tool", 0, KEY_READ, &h));
}

TEST(Ksreg, RefusesBadArguments)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"query"},
        {"query", "HKEY_USERS\\x"},
        {"set", "HKCU\\x", "v", "dword", "-1"},
        {"set", "HKCU\\x", "v", "dword", "4294967296"},
        {"set", "HKCU\\x", "v", "dword", "12abc"},
        {"set", "HKCU\\x", "v", "binary", "0g"},
        {"set", "HKCU\\x", "v", "binary", "012"},
        {"set", "HKCU\\x", "v", "sz"},
        {"set", "HKCU\\x", "v", "float", "1"},
    };
    for (const auto& args : bad) {
        const auto r = ksreg(args);
        EXPECT_EQ(2, r.exitCode) << (args.empty() ? "" : args[0]);
        EXPECT_NE(std::string::npos, r.err.find("usage:"));
    }
    EXPECT_FALSE(std::filesystem::exists(userHive()));
    auto r = ksreg({"delete", "HKCU"});
    EXPECT_EQ(1, r.exitCode);
    r = ksreg({"query", "HKLM\\Software\\Missing"});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("HKEY_LOCAL_MACHINE\\Software\\Missing: not found")) << r.err;
}
