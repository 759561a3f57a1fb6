// Reader settings in the current user's registry hive.
#include "readersettings.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The ChemStation provider's class identifier.
const wchar_t kProviderKey[] = L"{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}";

// Every test starts and ends with the module's application name unset.
class ReaderSettings : public ::testing::Test {
protected:
    void SetUp() override { SetSettingsAppName(L""); }
    void TearDown() override { SetSettingsAppName(L""); }
};

// Reads a value by walking the keys one by one with the registry calls.
bool queryByKeys(const std::vector<std::wstring>& keys, const std::wstring& name, DWORD& type, std::string& data)
{
    HKEY key = HKEY_CURRENT_USER;
    std::vector<HKEY> opened;
    bool ok = true;
    for (const auto& k : keys) {
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, k.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) {
            ok = false;
            break;
        }
        opened.push_back(sub);
        key = sub;
    }
    if (ok) {
        DWORD size = 0;
        ok = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
        data.assign(size, '\0');
        if (ok && size)
            ok = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) ==
                 ERROR_SUCCESS;
    }
    for (HKEY h : opened)
        RegCloseKey(h);
    return ok;
}

std::string bytesOf(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

}  // namespace

TEST_F(ReaderSettings, PathFormat)
{
    std::wstring path = L"old";
    MakeSettingsPath(kProviderKey, L"Source Path", path);
    EXPECT_EQ(path, L"\\Software\\Kestrom\\Data Services\\{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}\\Applications\\"
                    L"DefaultApp\\Source Path");
    SetSettingsAppName(L"Reader");
    EXPECT_EQ(GetSettingsAppName(), L"Reader");
    MakeSettingsPath(L"Dataset browser", L"Destination Path", path);
    EXPECT_EQ(path, L"\\Software\\Kestrom\\Data Services\\Dataset browser\\Applications\\Reader\\Destination Path");
    SetSettingsAppName(L"");
    EXPECT_EQ(GetSettingsAppName(), L"DefaultApp");
    // The formatted path is cut at 1024 characters.
    MakeSettingsPath(std::wstring(2000, L'k'), L"Source Path", path);
    EXPECT_EQ(path.size(), 1024u);
}

TEST_F(ReaderSettings, SourcePathStoredUnderTheProviderAndApplication)
{
    SetSettingsAppName(L"Reader");
    const std::wstring folder = L"/data/runs/2024";
    WriteSourcePath(kProviderKey, folder);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(queryByKeys({L"Software", L"Kestrom", L"Data Services", kProviderKey, L"Applications", L"Reader"},
                            L"Source Path", type, data));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, bytesOf(folder));  // no terminating zero
    std::wstring read = L"old";
    ReadSourcePath(kProviderKey, read);
    EXPECT_EQ(read, folder);
    // Another application's settings are its own.
    SetSettingsAppName(L"Other");
    ReadSourcePath(kProviderKey, read);
    EXPECT_EQ(read, L"");
}

TEST_F(ReaderSettings, DefaultAppWithoutAnApplicationName)
{
    WriteDestinationPath(kProviderKey, L"/out");
    DWORD type = 0;
    std::string data;
    EXPECT_TRUE(queryByKeys({L"Software", L"Kestrom", L"Data Services", kProviderKey, L"Applications", L"DefaultApp"},
                            L"Destination Path", type, data));
    EXPECT_EQ(data, bytesOf(L"/out"));
}

TEST_F(ReaderSettings, SourceAndDestinationRoundTrips)
{
    SetSettingsAppName(L"Reader");
    WriteSourcePath(kProviderKey, L"/in");
    WriteDestinationPath(kProviderKey, L"C:\\out\\spectra");
    std::wstring source, destination;
    ReadSourcePath(kProviderKey, source);
    ReadDestinationPath(kProviderKey, destination);
    EXPECT_EQ(source, L"/in");
    EXPECT_EQ(destination, L"C:\\out\\spectra");
    // Overwritten with a shorter value: nothing of the old one is left.
    WriteSourcePath(kProviderKey, L"/x");
    ReadSourcePath(kProviderKey, source);
    EXPECT_EQ(source, L"/x");
}

TEST_F(ReaderSettings, EmptyTextChangesNothing)
{
    WriteSourcePath(kProviderKey, L"");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Kestrom", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    WriteSourcePath(kProviderKey, L"/kept");
    WriteSourcePath(kProviderKey, L"");
    WriteDestinationPath(kProviderKey, L"");
    std::wstring read;
    ReadSourcePath(kProviderKey, read);
    EXPECT_EQ(read, L"/kept");
    ReadDestinationPath(kProviderKey, read);
    EXPECT_EQ(read, L"");
}

TEST_F(ReaderSettings, LongValuesAreReadWhole)
{
    for (size_t length : {511u, 512u, 600u, 2000u, 40000u}) {
        SCOPED_TRACE(length);
        std::wstring folder = L"/";
        while (folder.size() < length)
            folder += L"folder\xE9/";
        folder.resize(length);
        WriteSourcePath(kProviderKey, folder);
        std::wstring read;
        ReadSourcePath(kProviderKey, read);
        EXPECT_EQ(read, folder);
    }
}

TEST_F(ReaderSettings, EitherSeparatorReachesTheSameValue)
{
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, L"Software/Kestrom/Test/Folder", L"one"));
    const wchar_t* paths[] = {
        L"Software/Kestrom/Test/Folder",
        L"\\Software\\Kestrom\\Test\\Folder",
        L"//Software\\\\Kestrom/Test\\Folder",
        L"/software/KESTROM/test/folder",
    };
    for (const wchar_t* p : paths) {
        std::wstring read;
        EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, p, read)) << p;
        EXPECT_EQ(read, L"one") << p;
    }
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, L"\\Software\\Kestrom\\Test\\Folder", L"two"));
    std::wstring read;
    EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, L"Software/Kestrom/Test/Folder", read));
    EXPECT_EQ(read, L"two");
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(queryByKeys({L"Software", L"Kestrom", L"Test"}, L"Folder", type, data));
    EXPECT_EQ(data, bytesOf(L"two"));
}

TEST_F(ReaderSettings, MissingKeysAndValues)
{
    std::wstring text = L"unchanged";
    EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, L"Software\\Nothing\\Here", text));
    EXPECT_EQ(text, L"unchanged");
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, L"Software\\Kestrom\\Test\\A", L"a"));
    EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, L"Software\\Kestrom\\Test\\B", text));
    EXPECT_EQ(text, L"unchanged");
    std::wstring source = L"stale";
    ReadSourcePath(kProviderKey, source);
    EXPECT_EQ(source, L"");
}

TEST_F(ReaderSettings, ValueTextEndsAtItsFirstZero)
{
    const std::wstring withZero(L"ab\0cd", 5);
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, L"Software\\Kestrom\\Test\\Z", withZero));
    std::wstring read;
    EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, L"Software\\Kestrom\\Test\\Z", read));
    EXPECT_EQ(read, L"ab");
    // An odd number of stored bytes is read without overrunning.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Kestrom\\Test", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    const BYTE odd[5] = {'x', 0, 0, 0, 'y'};
    ASSERT_EQ(RegSetValueExW(key, L"Odd", 0, REG_SZ, odd, 5), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, L"Software\\Kestrom\\Test\\Odd", read));
    EXPECT_EQ(read.substr(0, 1), L"x");
}

TEST_F(ReaderSettings, WriteFailureIsReported)
{
    ASSERT_EQ(KsRegSetHiveReadOnly(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
    EXPECT_FALSE(WriteRegistryText(HKEY_CURRENT_USER, L"Software\\Kestrom\\Test\\A", L"a"));
    WriteSourcePath(kProviderKey, L"/lost");  // not reported
    KsRegSetHiveReadOnly(HKEY_CURRENT_USER, FALSE);
    std::wstring read;
    ReadSourcePath(kProviderKey, read);
    EXPECT_EQ(read, L"");
}

TEST_F(ReaderSettings, SplitRegistryPath)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* first;
        const wchar_t* rest;
    } const cases[] = {
        {L"\\Software\\Kestrom\\X", L"Software", L"Kestrom\\X"},
        {L"//a//b", L"a", L"/b"},
        {L"a/b\\c", L"a", L"b\\c"},
        {L"value", L"value", L""},
        {L"key\\", L"key", L""},
        {L"\\\\", L"", L""},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring first = L"x", rest = L"y";
        EXPECT_EQ(SplitRegistryPath(c.path, first, rest), *c.rest != L'\0') << c.path;
        EXPECT_EQ(first, c.first) << c.path;
        EXPECT_EQ(rest, c.rest) << c.path;
    }
}

TEST_F(ReaderSettings, ShownByKsreg)
{
    SetSettingsAppName(L"Reader");
    WriteSourcePath(kProviderKey, L"/data/in");
    WriteDestinationPath(kProviderKey, L"C:\\out");
    const std::string key =
        "HKCU\\Software\\Kestrom\\Data Services\\{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}\\Applications\\Reader";
    ks::test::RunResult r = ks::test::run({std::string(KS_BIN_DIR) + "/ksreg", "query", key});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\"Source Path\"=sz:\"/data/in\"\n\"Destination Path\"=sz:\"C:\\\\out\"\n");
}
