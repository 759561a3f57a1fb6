// Version texts and the profile functions.
#include "pellumor_testutil.h"
#include "profilefuncs.h"

#include <gtest/gtest.h>

#include <cstring>

using pt::below;

namespace {

ks::test::RunResult probe(const std::string& newVersion)
{
    return ks::test::run({std::string(KS_BIN_DIR) + "/pellumor_probe", newVersion});
}

const std::wstring kSection = below(L"Acquisition");

}  // namespace

TEST(Versions, EngineeringFallbackSticksForTheProcess)
{
    const auto r = probe("5.1");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "(Engineering)\n(Engineering)\n(Engineering)\n");
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, below(L"Global"), L"Version"), L"5.1");
}

TEST(Versions, FoundVersionSticksAndProductVersionFallsBackToIt)
{
    pt::setSz(HKEY_LOCAL_MACHINE, below(L"Global"), L"Version", L"4.2");
    auto r = probe("9.9");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The product version copies the cached data-system version.
    EXPECT_EQ(r.out, "4.2\n4.2\n4.2\n");

    pt::setSz(HKEY_LOCAL_MACHINE, below(L"Global"), L"ProductVersion", L"4.2 SP1");
    r = probe("9.9");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "9.9\n9.9\n4.2 SP1\n");
}

TEST(Versions, EmptyStoredVersionIsReadAgain)
{
    pt::setSz(HKEY_LOCAL_MACHINE, below(L"Global"), L"Version", L"");
    const auto r = probe("6.0");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\n6.0\n6.0\n");
}

TEST(Profile, StringsAreWrittenAndReadAsRegSz)
{
    CString out(L"unchanged");
    EXPECT_EQ(FGetPrivateProfileStr(L"Acquisition", L"Mode", out), 0);
    EXPECT_EQ(FWritePrivateProfileStr(L"Acquisition", L"Mode", L"Fast"), 1);
    const pt::Raw raw = pt::raw(HKEY_LOCAL_MACHINE, kSection, L"Mode");
    EXPECT_EQ(raw.type, REG_SZ);
    EXPECT_EQ(raw.bytes.size(), 5 * sizeof(wchar_t));
    EXPECT_EQ(FGetPrivateProfileStr(L"Acquisition", L"Mode", out), 1);
    EXPECT_EQ(out, L"Fast");
    EXPECT_EQ(FGetPrivateProfileStr(L"Acquisition", L"Missing", out), 0);
    EXPECT_EQ(out, L"Fast");

    // REG_EXPAND_SZ is refused here, while the key class accepts it.
    pt::setSz(HKEY_LOCAL_MACHINE, kSection, L"Expand", L"%TEMP%", REG_EXPAND_SZ);
    EXPECT_EQ(FGetPrivateProfileStr(L"Acquisition", L"Expand", out), 0);
    EXPECT_EQ(out, L"Fast");
    CFRegKey key(HKEY_LOCAL_MACHINE, L"Acquisition", 0, 0);
    EXPECT_EQ(key.ReadStr(L"Expand", out), 1);
    EXPECT_EQ(out, L"%TEMP%");
    const DWORD dw = 3;
    pt::setValue(HKEY_LOCAL_MACHINE, kSection, L"Dword", REG_DWORD, &dw, sizeof dw);
    EXPECT_EQ(FGetPrivateProfileStr(L"Acquisition", L"Dword", out), 0);
}

TEST(Profile, StringReadIsAlwaysTerminated)
{
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        const wchar_t* expected;
    };
    auto bytesOf = [](const std::wstring& s, size_t extra) {
        std::vector<BYTE> b(reinterpret_cast<const BYTE*>(s.data()),
                            reinterpret_cast<const BYTE*>(s.data()) + s.size() * sizeof(wchar_t));
        b.insert(b.end(), extra, BYTE(0x42));
        return b;
    };
    const Case cases[] = {
        {"without terminator", bytesOf(L"abc", 0), L"abc"},
        {"odd size", bytesOf(L"ab", 1), L"abB"},
        {"empty data", {}, L""},
        {"embedded terminator", bytesOf(std::wstring(L"a\0b", 3), 0), L"a"},
    };
    for (const Case& c : cases) {
        pt::setValue(HKEY_LOCAL_MACHINE, kSection, L"V", REG_SZ, c.bytes.data(), DWORD(c.bytes.size()));
        CString out(L"x");
        EXPECT_EQ(FGetPrivateProfileStr(L"Acquisition", L"V", out), 1) << c.what;
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

TEST(Profile, BinaryValuesReportTheSizeNeeded)
{
    const unsigned char bytes[] = {9, 8, 7, 6};
    EXPECT_EQ(FWritePrivateProfileBin(L"Acquisition", L"Blob", bytes, 4), 1);
    EXPECT_EQ(pt::raw(HKEY_LOCAL_MACHINE, kSection, L"Blob").type, REG_BINARY);

    unsigned char buffer[8];
    std::memset(buffer, 0, sizeof buffer);
    UINT length = 3;
    EXPECT_EQ(FGetPrivateProfileBin(L"Acquisition", L"Blob", buffer, &length), 0);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(buffer[0], 0);
    length = 8;
    EXPECT_EQ(FGetPrivateProfileBin(L"Acquisition", L"Blob", buffer, &length), 1);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(std::memcmp(buffer, bytes, 4), 0);
    EXPECT_EQ(FGetPrivateProfileBin(L"Acquisition", L"Blob", nullptr, &length), 0);
    EXPECT_EQ(FGetPrivateProfileBin(L"Acquisition", L"Blob", buffer, nullptr), 0);
    EXPECT_EQ(FGetPrivateProfileBin(L"Nowhere", L"Blob", buffer, &length), 0);

    ASSERT_EQ(FWritePrivateProfileStr(L"Acquisition", L"Text", L"ab"), 1);
    length = 100;
    EXPECT_EQ(FGetPrivateProfileBin(L"Acquisition", L"Text", buffer, &length), 0);
    EXPECT_EQ(length, 3 * sizeof(wchar_t));

    // A negative length is refused before anything is created.
    EXPECT_EQ(FWritePrivateProfileBin(L"Other", L"Blob", bytes, -1), 0);
    EXPECT_EQ(FWritePrivateProfileBin(L"Other", L"Blob", nullptr, 4), 0);
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"Other")));
    EXPECT_EQ(FWritePrivateProfileBin(L"Other", L"Empty", nullptr, 0), 1);
}

TEST(Profile, EnumKeysListsTheSectionsSubkeys)
{
    CStringArray names;
    names.Add(L"stale");
    EXPECT_EQ(FEnumKeys(L"Acquisition", names), 0);
    EXPECT_EQ(names.GetSize(), 0);
    pt::createKey(HKEY_LOCAL_MACHINE, kSection);
    names.Add(L"stale");
    EXPECT_EQ(FEnumKeys(L"Acquisition", names), 0);
    EXPECT_EQ(names.GetSize(), 0);
    pt::createKey(HKEY_LOCAL_MACHINE, kSection + L"\\beta");
    pt::createKey(HKEY_LOCAL_MACHINE, kSection + L"\\Alpha\\Inner");
    EXPECT_EQ(FEnumKeys(L"Acquisition", names), 2);
    ASSERT_EQ(names.GetSize(), 2);
    EXPECT_EQ(names[0], L"Alpha");
    EXPECT_EQ(names[1], L"beta");
}

TEST(Profile, SectionsStayBelowTheInitialTopKey)
{
    pt::TopKeyGuard guard;
    SetTopRegistryKey(L"Software\\Elsewhere\\");
    ASSERT_EQ(FWritePrivateProfileStr(L"Acquisition", L"Mode", L"Slow"), 1);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, kSection, L"Mode"), L"Slow");
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, L"Software\\Elsewhere\\Acquisition"));
}

TEST(Profile, ReadOnlyMachineHiveReadsAsMissing)
{
    ASSERT_EQ(FWritePrivateProfileStr(L"Acquisition", L"Mode", L"Fast"), 1);
    pt::createKey(HKEY_LOCAL_MACHINE, kSection + L"\\Sub");
    pt::ReadOnlyHive ro(HKEY_LOCAL_MACHINE);
    CString out;
    EXPECT_EQ(FGetPrivateProfileStr(L"Acquisition", L"Mode", out), 0);
    CStringArray names;
    EXPECT_EQ(FEnumKeys(L"Acquisition", names), 0);
    EXPECT_EQ(FWritePrivateProfileStr(L"Acquisition", L"Mode", L"Slow"), 0);
    EXPECT_EQ(FWritePrivateProfileStr(L"NewSection", L"Mode", L"Slow"), 0);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, kSection, L"Mode"), L"Fast");
}
