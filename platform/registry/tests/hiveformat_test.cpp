// The hive file: its text, hand-written files, and damaged files.
#include "kshive.h"
#include "regtest.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <random>

namespace fs = std::filesystem;
using namespace regtest;

namespace {

std::vector<fs::path> damagedCopies()
{
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(registryDir()))
        if (e.path().filename().string().find(".damaged-") != std::string::npos)
            out.push_back(e.path());
    return out;
}

}  // namespace

TEST(HiveFormat, FileIsReadableText)
{
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\Kestrom\\Data Services\\{P1}");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Class Name", REG_SZ, sz(L"Text \"Provider\"")));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Provider Flags", REG_DWORD, dword(42)));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Source Path", REG_SZ, bytesOf(L"C:\\d\u00e9j\u00e0")));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"List", REG_MULTI_SZ, bytesOf(std::wstring(L"a\0b\0\0", 5))));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Blob", REG_BINARY, std::string("\x00\xff\x10", 3)));
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"Big", REG_QWORD, std::string("\x01\0\0\0\0\0\0\x80", 8)));
    ASSERT_EQ(ERROR_SUCCESS, set(h, nullptr, REG_EXPAND_SZ, sz(L"%x%")));
    RegCloseKey(h);
    RegCloseKey(create(HKEY_CURRENT_USER, L"Software\\100%\\a\tb"));
    ASSERT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"odd", 5, "\x01"));
    EXPECT_EQ("; Kestrom registry hive HKEY_CURRENT_USER\n"
              "\n[]\n"
              "\"odd\"=type(5):hex:01\n"
              "\n[Software]\n"
              "\n[Software\\100%x{25}]\n"
              "\n[Software\\100%x{25}\\a%x{9}b]\n"
              "\n[Software\\Kestrom]\n"
              "\n[Software\\Kestrom\\Data Services]\n"
              "\n[Software\\Kestrom\\Data Services\\{P1}]\n"
              "\"Class Name\"=sz:\"Text \\\"Provider\\\"\\0\"\n"
              "\"Provider Flags\"=dword:0000002a\n"
              "\"Source Path\"=sz:\"C:\\\\d\xc3\xa9j\xc3\xa0\"\n"
              "\"List\"=multi_sz:\"a\\0b\\0\\0\"\n"
              "\"Blob\"=binary:hex:00,ff,10\n"
              "\"Big\"=qword:8000000000000001\n"
              "@=expand_sz:\"%x%\\0\"\n"
              "\n; end\n",
              ks::test::readFile(userHive()));
}

TEST(HiveFormat, HandWrittenFileIsRead)
{
    ks::test::writeFile(machineHive(),
                        "; written by hand, CR LF line ends\r\n"
                        "[Software\\Classes\\CLSID\\{X}\\InprocServer32]\r\n"
                        "@=sz:\"/opt/lib/x.so\\0\"\r\n"
                        "\"ThreadingModel\"=sz:\"Apartment\\0\"\r\n"
                        "[Software\\Classes\\CLSID\\{X}\\ProgID]\r\n"
                        "@=sz:\"X.Y.1\\0\"\r\n"
                        "\"n\"=dword:FFFFFFFF\r\n"
                        "; end\r\n");
    testing::internal::CaptureStderr();
    HKEY h = open(HKEY_CLASSES_ROOT, L"CLSID\\{x}");
    EXPECT_EQ((std::vector<std::wstring>{L"InprocServer32", L"ProgID"}), subkeys(h));
    RegCloseKey(h);
    h = open(HKEY_CLASSES_ROOT, L"CLSID\\{x}\\progid");
    EXPECT_EQ(sz(L"X.Y.1"), get(h, L"").data);
    EXPECT_EQ(dword(0xFFFFFFFFu), get(h, L"n").data);
    RegCloseKey(h);
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
}

struct DamageCase {
    const char* label;
    std::string text;
};

void PrintTo(const DamageCase& c, std::ostream* os)
{
    *os << c.label;
}

class DamagedHive : public ::testing::TestWithParam<DamageCase> {};

// A key line naming a key `depth` levels below the root.
std::string deepKeyLine(size_t depth)
{
    std::string line = "[a";
    for (size_t i = 1; i < depth; ++i)
        line += "\\a";
    return line + "]\n";
}

const std::string kGoodStart =
    "; Kestrom registry hive HKEY_CURRENT_USER\n"
    "[Software\\Kept]\n"
    "\"a\"=sz:\"kept\\0\"\n";

TEST_P(DamagedHive, LoadsAsFarAsItGoesAndKeepsACopy)
{
    const std::string original = kGoodStart + GetParam().text;
    ks::test::writeFile(userHive(), original);

    testing::internal::CaptureStderr();
    HKEY h = open(HKEY_CURRENT_USER, L"Software\\Kept", KEY_ALL_ACCESS);
    const std::string loadErr = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, loadErr.find("is damaged at line")) << loadErr;
    EXPECT_NE(std::string::npos, loadErr.find(userHive())) << loadErr;
    EXPECT_EQ(sz(L"kept"), get(h, L"a").data);
    EXPECT_TRUE(damagedCopies().empty());  // nothing is copied until a write

    testing::internal::CaptureStderr();
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"b", REG_DWORD, dword(2)));
    const std::string writeErr = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, writeErr.find("was kept as")) << writeErr;
    const auto copies = damagedCopies();
    ASSERT_EQ(1u, copies.size());
    EXPECT_EQ(original, ks::test::readFile(copies[0].string()));

    // The rewritten hive is whole again: later writes copy nothing.
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"c", REG_DWORD, dword(3)));
    EXPECT_EQ(1u, damagedCopies().size());
    ks::reg::Key root;
    EXPECT_TRUE(ks::reg::parseHive(ks::test::readFile(userHive()), root).complete);
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c"}), valueNames(h));
    RegCloseKey(h);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedHive,
    ::testing::Values(
        DamageCase{"cut mid line", "\"b\"=sz:\"unfinish"},
        DamageCase{"cut at a line end", "\"b\"=dword:00000001\n"},
        DamageCase{"bad escape", "\"b\"=sz:\"\\q\"\n; end\n"},
        DamageCase{"huge escape", "\"b\"=sz:\"\\x{123456789}\"\n; end\n"},
        DamageCase{"invalid utf8", "\"b\"=sz:\"\xff\xfe\"\n; end\n"},
        DamageCase{"overlong utf8", "\"b\"=sz:\"\xc0\xaf\"\n; end\n"},
        DamageCase{"bad type", "\"b\"=float:1.5\n; end\n"},
        DamageCase{"huge type number", "\"b\"=type(99999999999999999999):hex:\n; end\n"},
        DamageCase{"short dword", "\"b\"=dword:123\n; end\n"},
        DamageCase{"odd hex", "\"b\"=binary:hex:0,1\n; end\n"},
        DamageCase{"hex trailing comma", "\"b\"=binary:hex:01,\n; end\n"},
        DamageCase{"text after data", "\"b\"=sz:\"x\" y\n; end\n"},
        DamageCase{"value twice", "\"A\"=dword:00000001\n; end\n"},
        DamageCase{"empty key name", "[Software\\\\x]\n; end\n"},
        DamageCase{"key line unclosed", "[Software\\x\n; end\n"},
        DamageCase{"binary garbage", std::string("\0\x01\x02\xff\n\n", 6)},
        DamageCase{"text after end", "; end\n[Software\\Late]\n"},
        DamageCase{"key too deep", deepKeyLine(ks::reg::kMaxKeyDepth + 1) + "; end\n"}),
    [](const ::testing::TestParamInfo<DamageCase>& i) {
        std::string n = i.param.label;
        for (auto& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return n;
    });

TEST(HiveFormat, ValueBeforeAnyKeyIsDamage)
{
    ks::reg::Key root;
    const auto st = ks::reg::parseHive("\"x\"=dword:00000001\n; end\n", root);
    EXPECT_FALSE(st.complete);
    EXPECT_EQ(1u, st.line);
}

TEST(HiveFormat, EveryTruncationAndRandomDamageParsesSafely)
{
    // A hive with every kind of line; each prefix and each corrupted byte
    // must parse without fault, keeping the part before the damage.
    HKEY h = create(HKEY_CURRENT_USER, L"Software\\K\\\u00e9\U0001F600");
    set(h, L"s", REG_SZ, sz(L"x\ty\u4e2d"));
    set(h, L"d", REG_DWORD, dword(5));
    set(h, L"q", REG_QWORD, std::string(8, '\x01'));
    set(h, L"b", REG_BINARY, "\x01\x02");
    set(h, L"m", REG_MULTI_SZ, bytesOf(std::wstring(L"a\0\0", 3)));
    set(h, L"n", REG_NONE, "");
    std::wstring bad(1, static_cast<wchar_t>(0xDFFF));
    set(h, L"w", REG_SZ, bytesOf(bad));
    RegCloseKey(h);
    const std::string text = ks::test::readFile(userHive());
    {
        ks::reg::Key root;
        ASSERT_TRUE(ks::reg::parseHive(text, root).complete);
        EXPECT_EQ(text, ks::reg::formatHive(root, "HKEY_CURRENT_USER"));
    }
    for (size_t n = 0; n < text.size(); ++n) {
        ks::reg::Key root;
        const auto st = ks::reg::parseHive(text.substr(0, n), root);
        // Only the final line end may be missing.
        EXPECT_EQ(n == 0 || n + 1 == text.size(), st.complete) << n;
    }
    std::mt19937 rng(12345);
    for (int round = 0; round < 2000; ++round) {
        std::string t = text;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e)
            t[rng() % t.size()] = static_cast<char>(rng() % 256);
        ks::reg::Key root;
        ks::reg::parseHive(t, root);
        // Whatever was read formats and parses again to the same tree.
        const std::string again = ks::reg::formatHive(root, "HKEY_CURRENT_USER");
        ks::reg::Key root2;
        ASSERT_TRUE(ks::reg::parseHive(again, root2).complete) << round;
        EXPECT_EQ(again, ks::reg::formatHive(root2, "HKEY_CURRENT_USER")) << round;
    }
}

TEST(HiveFormat, KeysNestUpToTheDepthLimit)
{
    ks::reg::Key root;
    EXPECT_TRUE(ks::reg::parseHive(deepKeyLine(ks::reg::kMaxKeyDepth) + "; end\n", root).complete);
    std::wstring path = L"a";
    for (size_t i = 1; i < ks::reg::kMaxKeyDepth; ++i)
        path += L"\\a";
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &h, nullptr));
    HKEY deeper = nullptr;
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExW(h, L"b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &deeper, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, set(h, L"v", REG_DWORD, dword(1)));
    RegCloseKey(h);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, L"a"));
}

// A hive that is not a regular file is refused at once (a FIFO would block
// every call, /dev/zero would feed bytes without end), and so is one larger
// than the documented cap; neither is replaced by a later write.
TEST(HiveFormat, SpecialAndOversizedFilesAreRefused)
{
    ASSERT_EQ(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"first", REG_DWORD, dword(1)));
    const std::string hive = userHive();
    struct Case {
        const char* what;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"fifo", [&] { ASSERT_EQ(0, ::mkfifo(hive.c_str(), 0600)); }},
        {"link to /dev/zero", [&] { ASSERT_EQ(0, ::symlink("/dev/zero", hive.c_str())); }},
        {"folder", [&] { fs::create_directory(hive); }},
        {"over the cap", [&] {
             ks::test::writeFile(hive, "; Kestrom registry hive HKEY_CURRENT_USER\n");
             fs::resize_file(hive, ks::reg::kMaxHiveBytes + 1);  // sparse
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(hive);
        c.make();
        testing::internal::CaptureStderr();
        HKEY h = nullptr;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &h));
        EXPECT_NE(ERROR_SUCCESS, set(HKEY_CURRENT_USER, L"second", REG_DWORD, dword(2)));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, err.find(hive)) << err;
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(hive)) && fs::file_size(hive) < 1000);
    }
    fs::remove_all(hive);
}

// One damaged line loses only itself: the values and keys after it survive
// a write made afterwards (a registration used to wipe every class after a
// damaged line), the damaged copy is kept aside and the damage reported.
TEST(HiveFormat, DamagedLineLosesOnlyItselfAcrossAWrite)
{
    const std::string original =
        "; Kestrom registry hive HKEY_LOCAL_MACHINE\n"
        "[Software\\Classes\\CLSID\\{A}\\InprocServer32]\n"
        "@=sz:\"/opt/a.so\\0\"\n"
        "\"broken\"=sz:\"\\q\"\n"               // damaged value: lost alone
        "\"ThreadingModel\"=sz:\"Both\\0\"\n"
        "[Software\\Classes\\CLSID\\\\{B}]\n"   // damaged key: its values go with it
        "\"orphan\"=dword:00000001\n"
        "[Software\\Classes\\CLSID\\{C}\\InprocServer32]\n"
        "@=sz:\"/opt/c.so\\0\"\n"
        "; end\n";
    ks::test::writeFile(machineHive(), original);
    testing::internal::CaptureStderr();
    HKEY h = create(HKEY_CLASSES_ROOT, L"CLSID\\{D}\\InprocServer32");
    ASSERT_EQ(ERROR_SUCCESS, set(h, L"", REG_SZ, sz(L"/opt/d.so")));
    RegCloseKey(h);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("is damaged at line 4 (bad quoted data)")) << err;
    EXPECT_NE(std::string::npos, err.find("3 damaged line(s)")) << err;
    EXPECT_NE(std::string::npos, err.find("was kept as")) << err;
    ASSERT_EQ(1u, damagedCopies().size());
    EXPECT_EQ(original, ks::test::readFile(damagedCopies()[0].string()));

    h = open(HKEY_CLASSES_ROOT, L"CLSID");
    EXPECT_EQ((std::vector<std::wstring>{L"{A}", L"{C}", L"{D}"}), subkeys(h));
    RegCloseKey(h);
    h = open(HKEY_CLASSES_ROOT, L"CLSID\\{A}\\InprocServer32");
    EXPECT_EQ((std::vector<std::wstring>{L"", L"ThreadingModel"}), valueNames(h));
    RegCloseKey(h);
    h = open(HKEY_CLASSES_ROOT, L"CLSID\\{C}\\InprocServer32");
    EXPECT_EQ(sz(L"/opt/c.so"), get(h, L"").data);
    RegCloseKey(h);
    ks::reg::Key root;
    EXPECT_TRUE(ks::reg::parseHive(ks::test::readFile(machineHive()), root).complete);
}

// No call can make a zero character in a key or value name, so one in the
// file is damage: that line is refused, the rest is read.
TEST(HiveFormat, ZeroCharacterInANameIsDamage)
{
    struct Case {
        const char* what;
        std::string line;
        const char* reason;
    } const cases[] = {
        {"key", "[Software\\a%x{0}b]\n\"v\"=dword:00000001\n", "bad key name"},
        {"value", "\"a\\x{0}b\"=dword:00000001\n", "zero character in a value name"},
        {"value escape", "\"a\\0\"=dword:00000001\n", "zero character in a value name"},
    };
    for (const auto& c : cases) {
        ks::reg::Key root;
        const auto st = ks::reg::parseHive(
            "[Software\\Kept]\n" + c.line + "[Software\\Kept]\n\"after\"=dword:00000002\n; end\n", root);
        EXPECT_FALSE(st.complete) << c.what;
        EXPECT_EQ(2u, st.line) << c.what;
        EXPECT_EQ(c.reason, st.reason) << c.what;
        const ks::reg::Key* software = root.findSubkey(ks::reg::foldName(L"Software"));
        ASSERT_NE(nullptr, software) << c.what;
        const ks::reg::Key* kept = software->findSubkey(ks::reg::foldName(L"Kept"));
        ASSERT_NE(nullptr, kept) << c.what;
        ASSERT_EQ(1u, kept->values.size()) << c.what;
        EXPECT_EQ(L"after", kept->values[0].name) << c.what;
        // The data may hold zero characters as ever.
        EXPECT_TRUE(ks::reg::parseHive("[K]\n\"n\"=sz:\"a\\0b\\0\"\n; end\n", root).complete);
    }
}

// Keys listed in any order load to the same tree as the sorted file, in one
// pass (200,000 keys in reverse order were quadratic).
TEST(HiveFormat, KeysInAnyOrderLoadToTheSameTree)
{
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i)
        keys.push_back("[Software\\K" + std::to_string(i % 37) + "\\Sub" + std::to_string(i) + "]\n\"v\"=dword:" +
                       std::string(8 - std::to_string(i % 10).size(), '0') + std::to_string(i % 10) + "\n");
    auto hiveOf = [](const std::vector<std::string>& ks) {
        std::string text = "; hive\n";
        for (const auto& k : ks)
            text += k;
        return text + "; end\n";
    };
    ks::reg::Key sortedRoot;
    ASSERT_TRUE(ks::reg::parseHive(hiveOf(keys), sortedRoot).complete);
    const std::string expected = ks::reg::formatHive(sortedRoot, "H");
    std::vector<std::string> reversed(keys.rbegin(), keys.rend());
    std::vector<std::string> shuffled = keys;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    for (const auto* order : {&reversed, &shuffled}) {
        ks::reg::Key root;
        ASSERT_TRUE(ks::reg::parseHive(hiveOf(*order), root).complete);
        EXPECT_EQ(expected, ks::reg::formatHive(root, "H"));
    }
    // A key listed twice gathers its values in one key.
    ks::reg::Key twice;
    ASSERT_TRUE(
        ks::reg::parseHive("[B]\n\"x\"=dword:00000001\n[A]\n[b]\n\"y\"=dword:00000002\n; end\n", twice).complete);
    ASSERT_EQ(2u, twice.subkeys.size());
    EXPECT_EQ(L"A", twice.subkeys[0]->name);
    EXPECT_EQ(2u, twice.subkeys[1]->values.size());
}
