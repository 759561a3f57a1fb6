// The registry calls: values, keys, enumeration, access, deletion and the
// hive files as other processes see them.
#include "regtest.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;
using namespace regtest;

extern char** environ;

namespace {

std::string ksreg()
{
    return std::string(KS_BIN_DIR) + "/ksreg";
}

// Points the registry at a copy of the current registry folder, so the
// next reads parse the files afresh (a new path is never cached).
void switchToCopy(const std::string& name)
{
    const std::string copy = ks::test::tempDir() + "/" + name;
    fs::copy(registryDir(), copy, fs::copy_options::recursive);
    setenv("KESTROM_REGISTRY", copy.c_str(), 1);
}

struct TypeCase {
    const char* label;
    DWORD type;
    std::string data;
};

std::vector<TypeCase> typeCases()
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::wstring odd = L"tab\t\"quote\" back\\slash\nline \u00e9\u4e2d\U0001F600 %x{41}";
    std::wstring badChars;
    badChars += static_cast<wchar_t>(0xD800);
    badChars += static_cast<wchar_t>(0x110000);
    badChars += static_cast<wchar_t>(-1);
    badChars += L'\x7f';
    badChars += L'\x85';
    return {
        {"none empty", REG_NONE, ""},
        {"none bytes", REG_NONE, "\x01\x02"},
        {"sz with terminator", REG_SZ, sz(L"C:\\Data\\run 1")},
        {"sz without terminator", REG_SZ, bytesOf(L"no terminator")},
        {"sz embedded nul", REG_SZ, sz(std::wstring(L"a\0b", 3))},
        {"sz every escape", REG_SZ, sz(odd)},
        {"sz invalid code points", REG_SZ, bytesOf(badChars)},
        {"sz partial character", REG_SZ, std::string("ab\0\0\0c", 6)},
        {"sz empty", REG_SZ, ""},
        {"expand_sz", REG_EXPAND_SZ, sz(L"%HOME%/x")},
        {"binary all bytes", REG_BINARY, all},
        {"binary empty", REG_BINARY, ""},
        {"dword", REG_DWORD, dword(0xDEADBEEFu)},
        {"dword short", REG_DWORD, "\x01\x02\x03"},
        {"multi_sz", REG_MULTI_SZ, bytesOf(std::wstring(L"one\0two\0\0", 9))},
        {"multi_sz empty", REG_MULTI_SZ, bytesOf(std::wstring(L"\0", 1))},
        {"qword", REG_QWORD, std::string("\x01\x23\x45\x67\x89\xab\xcd\xef", 8)},
        {"qword long", REG_QWORD, std::string(9, '\x7f')},
        {"other type", 5, "\x00\x00\x01\x00"},
    };
}

}  // namespace

TEST(RegistryValues, EveryTypeRoundTripsThroughTheFile)
{
    const auto cases = typeCases();
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Kestrom\\Types");
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::wstring name = L"v" + std::to_wstring(i);
        ASSERT_EQ(ERROR_SUCCESS, set(h, name.c_str(), cases[i].type, cases[i].data)) << cases[i].label;
    }
    RegCloseKey(h);
    switchToCopy("copy");
    h = open(HKEY_CURRENT_USER, L"Software\\Kestrom\\Types", KEY_READ);
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::wstring name = L"v" + std::to_wstring(i);
        const Read r = get(h, name.c_str());
        ASSERT_EQ(ERROR_SUCCESS, r.result) << cases[i].label;
        EXPECT_EQ(cases[i].type, r.type) << cases[i].label;
        EXPECT_EQ(cases[i].data, r.data) << cases[i].label;
    }
    RegCloseKey(h);
}

TEST(RegistryValues, SizeQueryAndMoreData)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Sizes");
    const std::string text = sz(L"Agilent");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Name", REG_SZ, text));
    const DWORD need = 8 * sizeof(wchar_t);
    ASSERT_EQ(need, text.size());

    DWORD type = 0, cb = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(h, L"Name", nullptr, &type, nullptr, &cb));
    EXPECT_EQ(need, cb);
    EXPECT_EQ(REG_SZ, type);

    std::string buf(64, '\x11');
    cb = need - 1;
    type = 0;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueExW(h, L"Name", nullptr, &type, reinterpret_cast<BYTE*>(&buf[0]), &cb));
    EXPECT_EQ(need, cb);
    EXPECT_EQ(REG_SZ, type);

    cb = need;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(h, L"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(&buf[0]), &cb));
    EXPECT_EQ(text, buf.substr(0, need));
    EXPECT_EQ('\x11', buf[need]);

    // Type only, and a data buffer without its size.
    type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(h, L"Name", nullptr, &type, nullptr, nullptr));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueExW(h, L"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(&buf[0]), nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(h, L"Missing", nullptr, nullptr, nullptr, &cb));

    // Null data with a size is an error; with size 0 an empty value.
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExW(h, L"X", 0, REG_BINARY, nullptr, 4));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(h, L"X", 0, REG_BINARY, nullptr, 0));
    cb = 99;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(h, L"X", nullptr, nullptr, nullptr, &cb));
    EXPECT_EQ(0u, cb);
    RegCloseKey(h);
}

TEST(RegistryValues, DefaultValueHasTheEmptyName)
{
    HKEY h = create(HKEY_CLASSES_ROOT, L"KSDataServices.KSProviderServer.1");
    ASSERT_EQ(ERROR_SUCCESS, set(h, nullptr, REG_SZ, sz(L"KSProviderServer Class")));
    EXPECT_EQ(sz(L"KSProviderServer Class"), get(h, L"").data);
    EXPECT_EQ(std::vector<std::wstring>{L""}, valueNames(h));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(h, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, get(h, nullptr).result);
    RegCloseKey(h);
}

TEST(RegistryValues, NarrowCallsConvertLatin1)
{
    HKEY h = nullptr;
    DWORD disp = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Stra\xdf" "e", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &h, &disp));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disp);
    const char text[] = "caf\xe9";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "Na\xefve", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 5));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "Bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\xe9\x00"), 2));
    RegCloseKey(h);

    h = open(HKEY_CURRENT_USER, L"Software\\Stra\u00dfe", KEY_ALL_ACCESS);
    // Wide readers see wide text, sizeof(wchar_t) bytes per character.
    EXPECT_EQ(sz(L"caf\u00e9"), get(h, L"Na\u00efve").data);
    EXPECT_EQ(std::string("\xe9\x00", 2), get(h, L"Bin").data);
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Wide", REG_MULTI_SZ, bytesOf(std::wstring(L"\u4e2d\u00e9\0\0", 4))));
    RegCloseKey(h);

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\STRA\xdf" "E", 0, KEY_READ, &h));
    char buf[16];
    DWORD cb = sizeof buf, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "na\xefve", nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb));
    EXPECT_EQ(5u, cb);
    EXPECT_EQ(std::string(text, 5), std::string(buf, cb));
    cb = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "Wide", nullptr, &type, nullptr, &cb));
    EXPECT_EQ(4u, cb);
    cb = sizeof buf;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "Wide", nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb));
    EXPECT_EQ(std::string("?\xe9\0\0", 4), std::string(buf, cb));

    char name[8];
    DWORD cch = sizeof name;
    cb = sizeof buf;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueA(h, 0, name, &cch, nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb));
    EXPECT_EQ("Na\xefve", std::string(name, cch));
    EXPECT_EQ(5u, cb);
    RegCloseKey(h);

    HKEY sw = open(HKEY_CURRENT_USER, L"Software");
    cch = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(sw, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ("Stra\xdf" "e", std::string(name, cch));
    RegCloseKey(sw);
}

TEST(RegistryKeys, CreateMakesIntermediateKeysAndReportsDisposition)
{
    HKEY h = nullptr;
    DWORD disp = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\A\\B\\C", 0, L"REG_SZ", 0, KEY_WRITE,
                                             nullptr, &h, &disp));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disp);
    RegCloseKey(h);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"software\\a\\b\\c\\", 0, nullptr, 0, KEY_READ,
                                             nullptr, &h, &disp));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disp);
    RegCloseKey(h);
    h = open(HKEY_CURRENT_USER, L"Software\\A\\B");
    EXPECT_EQ(std::vector<std::wstring>{L"C"}, subkeys(h));
    RegCloseKey(h);

    // Bad paths and arguments.
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExW(HKEY_CURRENT_USER, L"\\Lead", 0, nullptr, 0, KEY_READ, nullptr, &h, nullptr));
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExW(HKEY_CURRENT_USER, L"a\\\\b", 0, nullptr, 0, KEY_READ, nullptr, &h, nullptr));
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExW(HKEY_CURRENT_USER, std::wstring(256, L'k').c_str(), 0, nullptr, 0, KEY_READ,
                              nullptr, &h, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegCreateKeyExW(HKEY_CURRENT_USER, L"x", 0, nullptr, 0, KEY_READ, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\A\\Nope", 0, KEY_READ, &h));
    EXPECT_EQ(nullptr, h);
}

TEST(RegistryKeys, NamesAreCaseInsensitiveAndCasePreserving)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Kestrom\\Data Services");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Menu Name", REG_SZ, sz(L"first")));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"MENU NAME", REG_SZ, sz(L"second")));
    EXPECT_EQ(std::vector<std::wstring>{L"Menu Name"}, valueNames(h));
    EXPECT_EQ(sz(L"second"), get(h, L"menu name").data);
    RegCloseKey(h);

    h = create(HKEY_CURRENT_USER, L"SOFTWARE\\KESTROM\\DATA SERVICES\\\u00c9t\u00e9");
    RegCloseKey(h);
    h = open(HKEY_CURRENT_USER, L"software\\kestrom");
    EXPECT_EQ(std::vector<std::wstring>{L"Data Services"}, subkeys(h));
    RegCloseKey(h);
    h = open(HKEY_CURRENT_USER, L"software\\kestrom\\data services\\\u00e9T\u00c9");
    RegCloseKey(h);
    h = open(HKEY_CURRENT_USER, L"");
    EXPECT_EQ(std::vector<std::wstring>{L"Software"}, subkeys(h));
    RegCloseKey(h);
}

TEST(RegistryKeys, SubkeysInNameOrderValuesInFirstWrittenOrder)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Order");
    for (const wchar_t* n : {L"beta", L"Alpha", L"_under", L"ALPHA2", L"Zeta", L"gamma", L"{155AC305}", L"1st"})
        RegCloseKey(create(h, n));
    EXPECT_EQ((std::vector<std::wstring>{L"1st", L"Alpha", L"ALPHA2", L"beta", L"gamma", L"Zeta", L"_under",
                                         L"{155AC305}"}),
              subkeys(h));

    for (const wchar_t* n : {L"c", L"a", L"B"})
        ASSERT_EQ(ERROR_SUCCESS, set(h, n, REG_DWORD, dword(1)));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"A", REG_DWORD, dword(2)));  // stays in place
    EXPECT_EQ((std::vector<std::wstring>{L"c", L"a", L"B"}), valueNames(h));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(h, L"c"));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"C", REG_DWORD, dword(3)));  // written anew: last
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"B", L"C"}), valueNames(h));
    RegCloseKey(h);

    // The order survives the file.
    switchToCopy("copy");
    h = open(HKEY_CURRENT_USER, L"Software\\Order");
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"B", L"C"}), valueNames(h));
    EXPECT_EQ(8u, subkeys(h).size());
    RegCloseKey(h);
}

TEST(RegistryKeys, EnumerationBuffersAndQueryInfo)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Enum");
    RegCloseKey(create(h, L"Longname"));
    RegCloseKey(create(h, L"ab"));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Value", REG_BINARY, std::string(10, 'x')));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"V2", REG_SZ, sz(L"abc")));

    DWORD subs = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0, maxClass = 9, sec = 9;
    FILETIME ft{1, 1};
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subs, &maxSub, &maxClass, &values,
                                              &maxName, &maxData, &sec, &ft));
    EXPECT_EQ(2u, subs);
    EXPECT_EQ(8u, maxSub);
    EXPECT_EQ(2u, values);
    EXPECT_EQ(5u, maxName);
    EXPECT_EQ(4 * sizeof(wchar_t), maxData);
    EXPECT_EQ(0u, maxClass);
    EXPECT_EQ(0u, sec);
    char cls[4] = "zz";
    DWORD cchClass = 4;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(h, cls, &cchClass, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, &maxData, nullptr, nullptr));
    EXPECT_EQ(0u, cchClass);
    EXPECT_EQ('\0', cls[0]);
    EXPECT_EQ(10u, maxData);  // 4 narrow bytes for "abc", 10 for the binary

    wchar_t name[16];
    DWORD cch = 8;  // "Longname" needs 9 with its terminator
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExW(h, 1, name, &cch, nullptr, nullptr, nullptr, nullptr));
    cch = 9;
    EXPECT_EQ(ERROR_SUCCESS, RegEnumKeyExW(h, 1, name, &cch, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(8u, cch);
    EXPECT_EQ(std::wstring(L"Longname"), name);
    cch = 16;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyExW(h, 2, name, &cch, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegEnumKeyExW(h, 0, nullptr, &cch, nullptr, nullptr, nullptr, nullptr));

    BYTE data[16];
    DWORD type = 0, cb = 4;
    cch = 16;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(h, 0, name, &cch, nullptr, &type, data, &cb));
    EXPECT_EQ(10u, cb);
    EXPECT_EQ(REG_BINARY, type);
    cch = 5;
    cb = 16;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(h, 0, name, &cch, nullptr, &type, data, &cb));
    cch = 6;
    EXPECT_EQ(ERROR_SUCCESS, RegEnumValueW(h, 0, name, &cch, nullptr, &type, data, &cb));
    EXPECT_EQ(5u, cch);
    EXPECT_EQ(10u, cb);
    cch = 16;
    cb = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegEnumValueW(h, 1, name, &cch, nullptr, &type, nullptr, &cb));
    EXPECT_EQ(4 * sizeof(wchar_t), cb);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueW(h, 2, name, &cch, nullptr, &type, nullptr, &cb));
    RegCloseKey(h);
}

TEST(RegistryAccess, EveryCallChecksTheHandlesRights)
{
    HKEY w = create(HKEY_CURRENT_USER, L"Software\\Rights");
    ASSERT_EQ(ERROR_SUCCESS, set(w, L"v", REG_DWORD, dword(7)));
    RegCloseKey(create(w, L"sub"));
    RegCloseKey(w);

    struct Call {
        const char* label;
        REGSAM needed;
        LONG (*call)(HKEY);
    };
    const Call calls[] = {
        {"set value", KEY_SET_VALUE,
         [](HKEY h) { return set(h, L"v", REG_DWORD, dword(8)); }},
        {"delete value", KEY_SET_VALUE, [](HKEY h) { return RegDeleteValueW(h, L"v"); }},
        {"empty the key", KEY_SET_VALUE, [](HKEY h) { return RegDeleteTreeW(h, nullptr); }},
        {"create subkey", KEY_CREATE_SUB_KEY,
         [](HKEY h) {
             HKEY s;
             const LONG r = RegCreateKeyExW(h, L"new", 0, nullptr, 0, KEY_READ, nullptr, &s, nullptr);
             if (r == ERROR_SUCCESS)
                 RegCloseKey(s);
             return r;
         }},
        {"query value", KEY_QUERY_VALUE, [](HKEY h) { return get(h, L"v").result; }},
        {"enum value", KEY_QUERY_VALUE,
         [](HKEY h) {
             wchar_t n[8];
             DWORD c = 8;
             return RegEnumValueW(h, 0, n, &c, nullptr, nullptr, nullptr, nullptr);
         }},
        {"query info", KEY_QUERY_VALUE,
         [](HKEY h) {
             DWORD n;
             return RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr);
         }},
        {"enum key", KEY_ENUMERATE_SUB_KEYS,
         [](HKEY h) {
             wchar_t n[8];
             DWORD c = 8;
             return RegEnumKeyExW(h, 0, n, &c, nullptr, nullptr, nullptr, nullptr);
         }},
    };
    const REGSAM masks[] = {0, KEY_READ, KEY_WRITE, KEY_QUERY_VALUE, KEY_SET_VALUE, KEY_ENUMERATE_SUB_KEYS,
                            KEY_CREATE_SUB_KEY};
    for (const auto& c : calls) {
        for (REGSAM m : masks) {
            HKEY h = open(HKEY_CURRENT_USER, L"Software\\Rights", m);
            const LONG r = c.call(h);
            if ((m & c.needed) == c.needed)
                EXPECT_EQ(ERROR_SUCCESS, r) << c.label << " mask " << std::hex << m;
            else
                EXPECT_EQ(ERROR_ACCESS_DENIED, r) << c.label << " mask " << std::hex << m;
            RegCloseKey(h);
            // Put back what the call may have changed.
            w = create(HKEY_CURRENT_USER, L"Software\\Rights");
            set(w, L"v", REG_DWORD, dword(7));
            RegCloseKey(create(w, L"sub"));
            RegDeleteKeyW(w, L"new");
            RegCloseKey(w);
        }
    }
    // A refused write leaves the value as it was.
    HKEY r = open(HKEY_CURRENT_USER, L"Software\\Rights", KEY_READ);
    EXPECT_EQ(ERROR_ACCESS_DENIED, set(r, L"v", REG_DWORD, dword(99)));
    EXPECT_EQ(dword(7), get(r, L"v").data);
    RegCloseKey(r);
}

class ReadOnlyHive : public ::testing::Test {
protected:
    void TearDown() override
    {
        KsRegSetHiveReadOnly(HKEY_LOCAL_MACHINE, FALSE);
        unsetenv("KESTROM_REGISTRY_READONLY");
    }
};

TEST_F(ReadOnlyHive, RefusesEveryChangeButAllowsReading)
{
    HKEY pre = create(HKEY_LOCAL_MACHINE, L"Software\\Pardinel\\Tavrion\\Global");
    ASSERT_EQ(ERROR_SUCCESS, set(pre, L"Version", REG_SZ, sz(L"2.0")));
    ASSERT_EQ(ERROR_SUCCESS, KsRegSetHiveReadOnly(HKEY_LOCAL_MACHINE, TRUE));
    const std::string before = ks::test::readFile(machineHive());

    HKEY h = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Pardinel\\Tavrion\\Global", 0, KEY_READ | KEY_WRITE, &h));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExW(HKEY_CLASSES_ROOT, L"", 0, KEY_SET_VALUE, &h));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Pardinel\\Tavrion\\Global", 0,
                                                   nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &h, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\New", 0, nullptr, 0, KEY_READ,
                                                   nullptr, &h, nullptr));
    // A handle opened for writing before the switch is refused as well.
    EXPECT_EQ(ERROR_ACCESS_DENIED, set(pre, L"Version", REG_SZ, sz(L"3.0")));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueW(pre, L"Version"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Pardinel\\Tavrion\\Global"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, set(HKEY_LOCAL_MACHINE, L"root", REG_DWORD, dword(1)));

    // Reading works, through an existing key opened by create, too.
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Pardinel\\Tavrion\\Global", 0, nullptr,
                                             0, KEY_READ, nullptr, &h, nullptr));
    EXPECT_EQ(sz(L"2.0"), get(h, L"Version").data);
    RegCloseKey(h);
    EXPECT_EQ(before, ks::test::readFile(machineHive()));

    // The user's hive is not affected.
    HKEY u = create(HKEY_CURRENT_USER, L"Software\\Kestrom");
    EXPECT_EQ(ERROR_SUCCESS, set(u, L"x", REG_DWORD, dword(1)));
    RegCloseKey(u);

    ASSERT_EQ(ERROR_SUCCESS, KsRegSetHiveReadOnly(HKEY_LOCAL_MACHINE, FALSE));
    EXPECT_EQ(ERROR_SUCCESS, set(pre, L"Version", REG_SZ, sz(L"3.0")));
    RegCloseKey(pre);
    EXPECT_EQ(ERROR_INVALID_HANDLE, KsRegSetHiveReadOnly(reinterpret_cast<HKEY>(0x80000003u), TRUE));
}

TEST_F(ReadOnlyHive, EnvironmentSwitchReachesOtherProcesses)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Env");
    RegCloseKey(h);
    auto r = ks::test::run({ksreg(), "set", "HKCU\\Software\\Env", "v", "dword", "5"},
                           {"KESTROM_REGISTRY_READONLY=HKEY_CURRENT_USER"});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("access denied")) << r.err;
    r = ks::test::run({ksreg(), "set", "HKCU\\Software\\Env", "v", "dword", "5"},
                      {"KESTROM_REGISTRY_READONLY=HKLM"});
    EXPECT_EQ(0, r.exitCode) << r.err;

    setenv("KESTROM_REGISTRY_READONLY", "HKCR", 1);
    EXPECT_EQ(ERROR_ACCESS_DENIED, set(HKEY_LOCAL_MACHINE, L"x", REG_DWORD, dword(1)));
    EXPECT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"x", REG_DWORD, dword(1)));
}

TEST(RegistryDelete, LeafOnlyTreeAndContents)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Kestrom\\Data Services\\{P1}\\Applications\\Reader");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Source Path", REG_SZ, bytesOf(L"/data")));
    RegCloseKey(h);
    HKEY ds = open(HKEY_CURRENT_USER, L"Software\\Kestrom\\Data Services", KEY_READ | KEY_WRITE);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(ds, L"{P1}"));  // has subkeys
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyW(ds, L"{P2}"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteTreeW(ds, L"{P2}"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyW(ds, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(ds, L"{p1}\\applications\\READER"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(ds, L"{P1}"));
    EXPECT_TRUE(subkeys(ds).empty());

    // A null name empties the key itself.
    RegCloseKey(create(ds, L"a\\b"));
    ASSERT_EQ(ERROR_SUCCESS, set(ds, L"v", REG_DWORD, dword(1)));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(ds, nullptr));
    EXPECT_TRUE(subkeys(ds).empty());
    EXPECT_TRUE(valueNames(ds).empty());
    RegCloseKey(ds);

    // Root keys stay.
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_CURRENT_USER, L""));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteTreeW(HKEY_CLASSES_ROOT, L""));
}

TEST(RegistryDelete, KeyDeletedInThisProcess)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Gone\\Child");
    HKEY parent = open(HKEY_CURRENT_USER, L"Software\\Gone", KEY_ALL_ACCESS);
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Gone"));
    EXPECT_EQ(ERROR_KEY_DELETED, get(h, L"x").result);
    EXPECT_EQ(ERROR_KEY_DELETED, set(parent, L"x", REG_DWORD, dword(1)));
    // A key created again under the name is another key.
    RegCloseKey(create(HKEY_CURRENT_USER, L"Software\\Gone\\Child"));
    EXPECT_EQ(ERROR_KEY_DELETED, set(h, L"x", REG_DWORD, dword(1)));
    HKEY s = nullptr;
    EXPECT_EQ(ERROR_KEY_DELETED, RegOpenKeyExW(parent, L"Child", 0, KEY_READ, &s));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(h));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(parent));

    // Deleting a key through its own handle.
    h = create(HKEY_CURRENT_USER, L"Software\\Self");
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(h, L""));
    EXPECT_EQ(ERROR_KEY_DELETED, get(h, L"x").result);
    RegCloseKey(h);
    h = open(HKEY_CURRENT_USER, L"Software");
    EXPECT_EQ(std::vector<std::wstring>{L"Gone"}, subkeys(h));
    RegCloseKey(h);
}

TEST(RegistryDelete, KeyDeletedByAnotherProcess)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Pardinel\\Tavrion\\Global");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Version", REG_SZ, sz(L"1")));
    HKEY below = create(h, L"Deeper");
    auto r = ks::test::run({ksreg(), "delete", "HKEY_CURRENT_USER\\Software\\Pardinel\\Tavrion"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(ERROR_KEY_DELETED, get(h, L"Version").result);
    EXPECT_EQ(ERROR_KEY_DELETED, set(below, L"v", REG_DWORD, dword(1)));
    // Created again by the other process: the old handles stay deleted.
    r = ks::test::run({ksreg(), "set", "HKCU\\Software\\Pardinel\\Tavrion\\Global", "Version", "sz", "2"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(ERROR_KEY_DELETED, get(h, L"Version").result);
    HKEY again = open(HKEY_CURRENT_USER, L"Software\\Pardinel\\Tavrion\\Global");
    EXPECT_EQ(sz(L"2"), get(again, L"Version").data);
    RegCloseKey(again);
    RegCloseKey(below);
    RegCloseKey(h);
}

TEST(RegistryHandles, InvalidHandlesAreRefused)
{
    HKEY closed = create(HKEY_CURRENT_USER, L"Software\\H");
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(closed));
    const HKEY bad[] = {nullptr, closed, reinterpret_cast<HKEY>(0x80000003u), reinterpret_cast<HKEY>(~uintptr_t(0)),
                        reinterpret_cast<HKEY>(&closed)};
    for (HKEY h : bad) {
        HKEY out;
        DWORD cb = 4, cch = 4, n;
        wchar_t name[4];
        BYTE data[4];
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExW(h, L"x", 0, KEY_READ, &out));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegCreateKeyExW(h, L"x", 0, nullptr, 0, KEY_READ, nullptr, &out, nullptr));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExW(h, L"x", nullptr, nullptr, data, &cb));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExW(h, L"x", 0, REG_BINARY, data, 1));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegDeleteValueW(h, L"x"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegDeleteKeyW(h, L"x"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegDeleteTreeW(h, nullptr));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegEnumKeyExW(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegEnumValueW(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(h));
    }
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
    EXPECT_TRUE(fs::exists(userHive()));
}

TEST(RegistryHives, ClassesRootIsMachineSoftwareClasses)
{
    HKEY e = open(HKEY_CLASSES_ROOT, L"");  // nothing written yet
    EXPECT_TRUE(subkeys(e).empty());
    RegCloseKey(e);
    HKEY h = create(HKEY_CLASSES_ROOT, L"CLSID\\{155AC305-D288-11D3-91D8-00400536072C}\\InprocServer32");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"ThreadingModel", REG_SZ, sz(L"Apartment")));
    RegCloseKey(h);
    h = open(HKEY_LOCAL_MACHINE,
             L"Software\\Classes\\CLSID\\{155AC305-D288-11D3-91D8-00400536072C}\\InprocServer32");
    EXPECT_EQ(sz(L"Apartment"), get(h, L"ThreadingModel").data);
    RegCloseKey(h);
    EXPECT_FALSE(fs::exists(userHive()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, &h));
}

TEST(RegistryHives, FolderIsTakenFromTheEnvironmentOnEveryCall)
{
    const std::string a = ks::test::tempDir() + "/a";
    const std::string b = ks::test::tempDir() + "/b";
    setenv("KESTROM_REGISTRY", a.c_str(), 1);
    ASSERT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"where", REG_SZ, sz(L"a")));
    setenv("KESTROM_REGISTRY", b.c_str(), 1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, get(HKEY_CURRENT_USER, L"where").result);
    setenv("KESTROM_REGISTRY", a.c_str(), 1);
    EXPECT_EQ(sz(L"a"), get(HKEY_CURRENT_USER, L"where").data);
    EXPECT_TRUE(fs::exists(a + "/HKEY_CURRENT_USER.hive"));

    unsetenv("KESTROM_REGISTRY");
    ASSERT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"where", REG_SZ, sz(L"xdg")));
    EXPECT_TRUE(fs::exists(ks::test::tempDir() + "/config/kestrom/registry/HKEY_CURRENT_USER.hive"));
    unsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"where", REG_SZ, sz(L"home")));
    EXPECT_TRUE(fs::exists(ks::test::tempDir() + "/.config/kestrom/registry/HKEY_CURRENT_USER.hive"));
}

TEST(RegistryHives, ChangesOfOtherProcessesAreSeenAtOnce)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Shared");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"n", REG_DWORD, dword(1)));
    for (int i = 2; i < 6; ++i) {
        auto r = ks::test::run({ksreg(), "set", "HKCU\\Software\\Shared", "n", "dword", std::to_string(i)});
        ASSERT_EQ(0, r.exitCode) << r.err;
        EXPECT_EQ(dword(static_cast<uint32_t>(i)), get(h, L"n").data);
        // Our own write on top of it keeps what the other wrote.
        ASSERT_EQ(ERROR_SUCCESS, set(h, (L"mine" + std::to_wstring(i)).c_str(), REG_DWORD, dword(1)));
    }
    auto r = ks::test::run({ksreg(), "query", "HKCU\\Software\\Shared"});
    EXPECT_EQ("\"n\"=dword:00000005\n\"mine2\"=dword:00000001\n\"mine3\"=dword:00000001\n"
              "\"mine4\"=dword:00000001\n\"mine5\"=dword:00000001\n",
              r.out);
    RegCloseKey(h);
}

TEST(RegistryHives, TemporaryFilesOfADeadWriterAreRemoved)
{
    ASSERT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"a", REG_DWORD, dword(1)));
    const std::string stale = userHive() + ".tmp-Ab12Cd";
    const std::string other = machineHive() + ".tmp-Ab12Cd";
    ks::test::writeFile(stale, "half a hive");
    ks::test::writeFile(other, "half a hive");
    ASSERT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"b", REG_DWORD, dword(1)));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(other));  // another hive's: left to its own writers
}

TEST(RegistryHives, EightProcessesWritingOneKeyKeepEveryWrite)
{
    const std::string writer = std::string(KS_BIN_DIR) + "/registry_writer";
    constexpr int kProcesses = 8, kWrites = 40;
    std::vector<pid_t> pids;
    for (int p = 0; p < kProcesses; ++p) {
        const std::string id = std::to_string(p), count = std::to_string(kWrites);
        char* argv[] = {const_cast<char*>(writer.c_str()), const_cast<char*>(id.c_str()),
                        const_cast<char*>(count.c_str()), nullptr};
        pid_t pid;
        ASSERT_EQ(0, posix_spawn(&pid, writer.c_str(), nullptr, nullptr, argv, environ));
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    HKEY h = open(HKEY_CURRENT_USER, L"Software\\Concurrent");
    DWORD values = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                              nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(kProcesses * kWrites), values);
    for (int p = 0; p < kProcesses; ++p)
        for (int i = 0; i < kWrites; ++i) {
            const std::wstring name = L"p" + std::to_wstring(p) + L"-" + std::to_wstring(i);
            EXPECT_EQ(dword(static_cast<uint32_t>(p * 1000 + i)), get(h, name.c_str()).data) << p << " " << i;
        }
    RegCloseKey(h);
    // No temporary files are left behind.
    for (const auto& e : fs::directory_iterator(registryDir()))
        EXPECT_EQ(std::string::npos, e.path().filename().string().find(".tmp")) << e.path();
}

TEST(RegistryHives, ThreadsWritingAndReadingKeepEveryWrite)
{
    constexpr int kThreads = 4, kWrites = 30;
    HKEY shared = create(HKEY_CURRENT_USER, L"Software\\Threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, shared] {
            // Each thread through its own handle and through a shared one.
            HKEY own = create(HKEY_CURRENT_USER, L"Software\\Threads");
            for (int i = 0; i < kWrites; ++i) {
                const std::wstring name = L"t" + std::to_wstring(t) + L"-" + std::to_wstring(i);
                EXPECT_EQ(ERROR_SUCCESS, set(i % 2 ? own : shared, name.c_str(), REG_DWORD, dword(i)));
                EXPECT_EQ(dword(i), get(i % 2 ? shared : own, name.c_str()).data);
            }
            RegCloseKey(own);
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(static_cast<size_t>(kThreads * kWrites), valueNames(shared).size());
    RegCloseKey(shared);
}
