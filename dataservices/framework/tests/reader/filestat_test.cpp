// File status of dataset paths on a temporary tree.
#include "ksfilestat.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::wstring wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());  // the temporary folder is ASCII
}

std::wstring backslashed(std::wstring s)
{
    for (wchar_t& c : s)
        if (c == L'/')
            c = L'\\';
    return s;
}

// <tmp>/data/run1/ (a directory), <tmp>/data/spec.TXT (10 bytes).
struct Tree {
    std::wstring root, data, run1, spec;
    Tree()
    {
        const std::string tmp = ks::test::tempDir();
        std::filesystem::create_directories(tmp + "/data/run1");
        ks::test::writeFile(tmp + "/data/spec.TXT", "0123456789");
        root = wide(tmp);
        data = root + L"/data";
        run1 = data + L"/run1";
        spec = data + L"/spec.TXT";
    }
};

}  // namespace

TEST(FileStat, DirectoryWithTrailingSeparators)
{
    Tree t;
    for (const std::wstring& given : {t.run1 + L"\\\\", t.run1 + L"/", t.run1, backslashed(t.run1) + L"\\"}) {
        SCOPED_TRACE(std::string(given.begin(), given.end()));
        CKSFileStat s(given);
        EXPECT_TRUE(s.Exists());
        EXPECT_TRUE(s.IsDirectory());
        EXPECT_EQ(s.GetFolder(true), t.run1 + L"/");
        EXPECT_EQ(s.GetFolder(false), t.data + L"/");
        EXPECT_EQ(s.GetFileName(), L"run1");
        EXPECT_EQ(s.GetExtension(), L"");
    }
    CKSFileStat s(t.run1 + L"\\\\");
    EXPECT_EQ(s.GetPath(), t.run1);
}

TEST(FileStat, File)
{
    Tree t;
    for (const std::wstring& given : {t.spec, backslashed(t.spec)}) {
        CKSFileStat s(given);
        EXPECT_TRUE(s.Exists());
        EXPECT_FALSE(s.IsDirectory());
        EXPECT_EQ(s.GetSize(), 10);
        EXPECT_EQ(s.GetFileName(), L"spec");
        EXPECT_EQ(s.GetExtension(), L".TXT");
        EXPECT_EQ(s.GetFolder(false), t.data + L"/");
        EXPECT_EQ(s.GetFolder(true), t.data + L"/");  // not a directory: the folder only
        EXPECT_EQ(s.GetPath(), given);
    }
}

TEST(FileStat, Splitting)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* extension;
    } const cases[] = {
        {L"C:\\data\\spec.TXT", L"C:/data/", L"spec", L".TXT"},
        {L"a.b.c", L"", L"a.b", L".c"},
        {L"dir.x/name", L"dir.x/", L"name", L""},
        {L"/x/.hidden", L"/x/", L"", L".hidden"},
        {L"/x/..", L"/x/", L"..", L""},
        {L"name.", L"", L"name", L"."},
        {L"\\", L"/", L"", L""},
    };
    for (const auto& c : cases) {
        CKSFileStat s(c.path);
        EXPECT_EQ(s.GetFolder(false), c.folder) << c.path;
        EXPECT_EQ(s.GetFileName(), c.name) << c.path;
        EXPECT_EQ(s.GetExtension(), c.extension) << c.path;
    }
}

TEST(FileStat, SeparatorsAloneAndEmptyPath)
{
    CKSFileStat backslash(L"\\");
    EXPECT_EQ(backslash.GetPath(), L"\\");  // the first character is never removed
    CKSFileStat root(L"//");
    EXPECT_EQ(root.GetPath(), L"/");
    EXPECT_TRUE(root.IsDirectory());
    EXPECT_EQ(root.GetFolder(true), L"/");

    CKSFileStat empty(L"");
    EXPECT_FALSE(empty.Exists());
    EXPECT_FALSE(empty.IsDirectory());
    EXPECT_EQ(empty.GetSize(), 0);
    EXPECT_EQ(empty.GetFolder(true), L"");
    EXPECT_EQ(empty.GetFileName(), L"");
    EXPECT_EQ(empty.GetExtension(), L"");
    EXPECT_TRUE(empty.ParentExists());
}

TEST(FileStat, SetClearsThePreviousPath)
{
    Tree t;
    CKSFileStat s(t.spec);
    ASSERT_TRUE(s.Exists());
    s.Set(t.data + L"/missing");
    EXPECT_FALSE(s.Exists());
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetFileName(), L"missing");
    EXPECT_EQ(s.GetExtension(), L"");
    s.Set(L"");
    EXPECT_EQ(s.GetFolder(false), L"");
    EXPECT_EQ(s.GetFileName(), L"");
}

TEST(FileStat, ParentExists)
{
    Tree t;
    struct Case {
        std::wstring path;
        bool parentExists;
    } const cases[] = {
        {t.spec, true},
        {t.data + L"/missing.txt", true},
        {t.data + L"\\missing.txt", true},
        {t.data + L"/nofolder/missing.txt", false},
        {L"abc", true},
        {L"/abc-missing-at-root", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CKSFileStat(c.path).ParentExists(), c.parentExists)
            << std::string(c.path.begin(), c.path.end());
}

TEST(FileStat, UpdateQueriesOnlyForAnotherPath)
{
    Tree t;
    const std::wstring late = t.data + L"/late.txt";
    CKSFileStat s(late);
    EXPECT_FALSE(s.Exists());
    ks::test::writeFile(std::string(late.begin(), late.end()), "abc");
    s.Update(late);
    EXPECT_FALSE(s.Exists());  // same path: the stored status stays
    s.Update(backslashed(late));
    EXPECT_TRUE(s.Exists());
    EXPECT_EQ(s.GetSize(), 3);
}

TEST(FileStat, Utf8Names)
{
    Tree t;
    const std::string tmp = ks::test::tempDir();
    ks::test::writeFile(tmp + "/data/caf\xC3\xA9.ms", "x");
    CKSFileStat s(t.data + L"/caf\xE9.ms");
    EXPECT_TRUE(s.Exists());
    EXPECT_EQ(s.GetFileName(), L"caf\xE9");
    EXPECT_EQ(FileSystemPath(L"a\\caf\xE9"), "a/caf\xC3\xA9");
}
