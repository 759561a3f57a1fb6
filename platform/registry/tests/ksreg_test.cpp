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

// A bad argument is one line naming it and what is allowed, exit 2; the
// full usage only without arguments (standard error, 2) or with --help
// (standard output, 0).
TEST(Ksreg, ArgumentMessagesAndHelp)
{
    const std::string roots =
        "; allowed: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT (or HKCU, HKLM, HKCR)\n";
    const std::string dwords = "; allowed: 0 to 4294967295 (0xFFFFFFFF), decimal or 0x hex\n";
    const std::string hex = "; allowed: pairs of hex digits, bytes separated by commas or not (01,ff or 01ff)\n";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
        std::string err;  // the whole of standard error
    };
    const std::string usageStart = "usage: ksreg dump [KEY]\n";
    const Case cases[] = {
        {{}, 2, "", usageStart},
        {{"--help"}, 0, usageStart, ""},
        {{"frobnicate"}, 2, "",
         "ksreg: unknown command \"frobnicate\"; allowed: dump, query, set, delete, folder, --help\n"},
        {{"query"}, 2, "", "ksreg: query takes KEY [NAME]; got 0 arguments\n"},
        {{"set", "HKCU\\x", "v"}, 2, "", "ksreg: set takes KEY NAME TYPE [DATA...]; got 2 arguments\n"},
        {{"query", "HKEY_USERS\\x"}, 2, "", "ksreg: unknown root \"HKEY_USERS\" in KEY \"HKEY_USERS\\x\"" + roots},
        {{"set", "HKCU\\x", "v", "dword", "4294967296"}, 2, "", "ksreg: bad dword DATA \"4294967296\"" + dwords},
        {{"set", "HKCU\\x", "v", "dword", "12abc"}, 2, "", "ksreg: bad dword DATA \"12abc\"" + dwords},
        {{"set", "HKCU\\x", "v", "qword", "0x1g"}, 2, "",
         "ksreg: bad qword DATA \"0x1g\"; allowed: 0 to 18446744073709551615 (0xFFFFFFFFFFFFFFFF), decimal or 0x "
         "hex\n"},
        {{"set", "HKCU\\x", "v", "binary", "00", "0g"}, 2, "", "ksreg: bad binary DATA \"0g\"" + hex},
        {{"set", "HKCU\\x", "v", "sz"}, 2, "", "ksreg: sz takes one DATA (the text); got 0\n"},
        {{"set", "HKCU\\x", "v", "s\tz\x01", "1"}, 2, "",
         "ksreg: unknown TYPE \"s\\x09z\\x01\"; allowed: sz, expand_sz, multi_sz, dword, qword, binary, none\n"},
        {{"query", "HKLM\\Software\\Missing"}, 1, "",
         "ksreg: HKEY_LOCAL_MACHINE\\Software\\Missing: not found (error 2)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const auto r = ksreg(c.args);
        EXPECT_EQ(c.exitCode, r.exitCode);
        if (c.err == usageStart)
            EXPECT_EQ(0u, r.err.find(usageStart)) << r.err;
        else
            EXPECT_EQ(c.err, r.err);
        if (c.out == usageStart) {
            EXPECT_EQ(0u, r.out.find(usageStart)) << r.out;
            EXPECT_NE(std::string::npos, r.out.find("Exit status 0 on success")) << r.out;
        } else {
            EXPECT_EQ(c.out, r.out);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(userHive()));
}

// The folder the registry lives in, as the tools see it.
TEST(Ksreg, FolderNamesTheRegistryFolder)
{
    auto r = ksreg({"folder"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(registryDir() + "\n", r.out);
    r = ks::test::run({std::string(KS_BIN_DIR) + "/ksreg", "folder"},
                      {"KESTROM_REGISTRY=", "XDG_CONFIG_HOME=/x/config"});
    EXPECT_EQ("/x/config/kestrom/registry\n", r.out);
    r = ks::test::run({std::string(KS_BIN_DIR) + "/ksreg", "folder"},
                      {"KESTROM_REGISTRY=", "XDG_CONFIG_HOME=", "HOME=/x/home"});
    EXPECT_EQ("/x/home/.config/kestrom/registry\n", r.out);
}

// A damaged hive is reported once per process, however often the process
// loads it: set loads the hive before each of its writes.
TEST(Ksreg, DamagedHiveIsReportedOnce)
{
    ks::test::writeFile(machineHive(), "; Kestrom registry hive HKEY_LOCAL_MACHINE\n"
                                       "[Software\\Classes]\n"
                                       "garbage line\n"
                                       "\"a\"=sz:\"kept\\0\"\n"
                                       "; end\n");
    const std::string warning = "ksplatform: the registry hive " + machineHive() +
                                " is damaged at line 3 (bad value name); 1 damaged line(s) were skipped, the rest "
                                "was loaded\n";
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> env;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"dump", "HKLM"}, {}, 0, warning},
        {{"query", "HKLM\\Software\\Classes", "a"}, {}, 0, warning},
        {{"set", "HKLM\\Software\\Classes", "b", "sz", "x"}, {"KESTROM_REGISTRY_READONLY=HKLM"}, 1,
         "ksreg: HKEY_LOCAL_MACHINE\\Software\\Classes: access denied (error 5)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> argv = c.args;
        argv.insert(argv.begin(), std::string(KS_BIN_DIR) + "/ksreg");
        const auto r = ks::test::run(argv, c.env);
        EXPECT_EQ(c.exitCode, r.exitCode);
        EXPECT_EQ(c.err, r.err);
    }
    // set loads the hive for opening the key (which changes nothing) and
    // again for the value, which mends the hive (keeping the damaged copy):
    // the damage is told once.
    const auto r = ksreg({"set", "HKLM\\Software\\Classes", "b", "sz", "x"});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ(0u, r.err.find(warning)) << r.err;
    EXPECT_EQ(std::string::npos, r.err.find(warning, 1)) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("was kept as")) << r.err;
}
