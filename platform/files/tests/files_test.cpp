// The case fold, the case-blind lookup and listing, and the regular-file
// open.
#include "ksfiles.h"
#include "kstest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct FoldCase {
    char32_t in, out;
};

TEST(CaseFold, TableOfCodePoints)
{
    const FoldCase cases[] = {
        {U'A', U'a'}, {U'z', U'z'}, {U'@', U'@'}, {U'[', U'['},
        {0xC9, 0xE9},           // É
        {0xD7, 0xD7},           // multiplication sign has no partner
        {0xDE, 0xFE},           // Þ
        {0xDF, 0xDF},           // ß stays
        {0x100, 0x101},         // Ā
        {0x130, U'i'},          // İ
        {0x141, 0x142},         // Ł (odd run)
        {0x178, 0xFF},          // Ÿ
        {0x17F, U's'},          // long s
        {0x391, 0x3B1},         // Α
        {0x3A3, 0x3C3},         // Σ
        {0x3C2, 0x3C3},         // final sigma
        {0x386, 0x3AC},
        {0x401, 0x451},         // Ё
        {0x416, 0x436},         // Ж
        {0x531, 0x561},         // Armenian
        {0x1E9E, 0xDF},         // capital sharp s
        {0xFF21, 0xFF41},       // full-width A
        {0x4E2D, 0x4E2D},       // CJK unchanged
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<uint32_t>(ks::foldCase(c.in)), static_cast<uint32_t>(c.out))
            << std::hex << static_cast<uint32_t>(c.in);
}

TEST(CaseFold, UpperCaseIsTheInverse)
{
    const FoldCase cases[] = {
        {U'a', U'A'}, {U'Z', U'Z'}, {U'_', U'_'},
        {0xE9, 0xC9},    // é
        {0xFE, 0xDE},    // þ
        {0xFF, 0x178},   // ÿ
        {0xDF, 0xDF},    // ß stays
        {0x101, 0x100},  // ā
        {0x142, 0x141},  // ł
        {0x3C3, 0x3A3},  // σ
        {0x3C2, 0x3A3},  // final sigma
        {0x451, 0x401},  // ё
        {0x436, 0x416},  // ж
        {0xFF41, 0xFF21},
        {0x4E2D, 0x4E2D},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<uint32_t>(ks::upperCase(c.in)), static_cast<uint32_t>(c.out))
            << std::hex << static_cast<uint32_t>(c.in);
    // Every letter with a capital folds back from it.
    for (char32_t u = 0; u < 0x2000; ++u) {
        if (ks::upperCase(u) != u && u != 0x3C2) {
            EXPECT_EQ(static_cast<uint32_t>(ks::foldCase(ks::upperCase(u))), static_cast<uint32_t>(u))
                << std::hex << static_cast<uint32_t>(u);
        }
    }
    EXPECT_EQ(ks::upperCase(std::wstring(L"déjà")), L"DÉJÀ");
}

// Whatever locale the process runs in, É and é are the same name.
TEST(CaseFold, SameUnderEveryLocale)
{
    const char* locales[] = {"C", "C.UTF-8"};
    for (const char* loc : locales) {
        const char* set = std::setlocale(LC_ALL, loc);
        if (!set && std::string(loc) != "C")
            continue;
        EXPECT_TRUE(ks::equalNoCase(L"\u00C9t\u00C9", L"\u00E9t\u00E9")) << loc;
        EXPECT_TRUE(ks::equalNoCaseUtf8("\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9")) << loc;
        EXPECT_FALSE(ks::equalNoCaseUtf8("\xC3\x89", "e")) << loc;
        EXPECT_EQ(ks::foldCase(std::wstring(L"D\u00C9J\u00C0")), L"d\u00E9j\u00E0") << loc;
        EXPECT_EQ(ks::foldCaseUtf8("R\xC3\x89SUM\xC3\x89.D"), "r\xC3\xA9sum\xC3\xA9.d") << loc;
    }
    std::setlocale(LC_ALL, "C");
}

// Bytes that are not UTF-8 only match themselves and survive the fold.
TEST(CaseFold, InvalidUtf8KeepsItsBytes)
{
    EXPECT_EQ(ks::foldCaseUtf8("A\xFF" "B\xC3"), "a\xFF" "b\xC3");
    EXPECT_FALSE(ks::equalNoCaseUtf8("\xC9", "\xE9"));  // Latin-1 bytes, not UTF-8
    EXPECT_TRUE(ks::equalNoCaseUtf8("X\xC9", "x\xC9"));
    EXPECT_NE(ks::compareNoCaseUtf8("\xC9", "\xE9"), 0);
}

// What a message may show of a user's text: one line, valid UTF-8.
TEST(CaseFold, PrintableText)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain/path.txt", "plain/path.txt"},
        {"R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC", "R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC"},  // UTF-8 stays
        {"a\nb\tc\r\x1B[31m\x7F", "a\\x0Ab\\x09c\\x0D\\x1B[31m\\x7F"},
        {"Latin-1 \xE9 and \xFF", "Latin-1 \\xE9 and \\xFF"},
        {"cut \xC3", "cut \\xC3"},
        {"C1 \xC2\x85", "C1 \\xC2\\x85"},
        {std::string("nul \0 inside", 12), "nul \\x00 inside"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(ks::printableText(text), shown) << text;
}

TEST(CaseFold, WideFileNames)
{
    EXPECT_EQ(ks::wideFromFileName("ADC1A.CH"), L"ADC1A.CH");
    EXPECT_EQ(ks::wideFromFileName("R\xC3\xA9sum\xC3\xA9"), L"R\u00E9sum\u00E9");
    // A Latin-1 byte is no UTF-8: it is kept apart from the character it
    // would stand for.
    EXPECT_EQ(ks::wideFromFileName("\xE9"), std::wstring(1, static_cast<wchar_t>(0xDCE9)));
}

TEST(CaseFold, OrderIsTotal)
{
    EXPECT_LT(ks::compareNoCaseUtf8("apple", "Banana"), 0);
    EXPECT_GT(ks::compareNoCaseUtf8("b", "A"), 0);
    EXPECT_NE(ks::compareNoCaseUtf8("abc", "ABC"), 0);  // equal folded, ordered by bytes
    EXPECT_EQ(ks::compareNoCaseUtf8("abc", "abc"), 0);
    EXPECT_LT(ks::compareNoCase(L"ab", L"ABC"), 0);
}

class Folder : public ::testing::Test {
protected:
    std::string dir = ks::test::tempDir() + "/data";
    void SetUp() override { fs::create_directories(dir); }
    void touch(const std::string& name) { ks::test::writeFile(dir + "/" + name, "x"); }
};

TEST_F(Folder, FindsNameKeepingItsCase)
{
    touch("MSD1.MS");
    touch("\xC3\x89tude.txt");  // Étude
    fs::create_directories(dir + "/RUN.M");
    touch("RUN.M/ACQ.MS");
    for (const char* loc : {"C", "C.UTF-8"}) {
        std::setlocale(LC_ALL, loc);
        EXPECT_EQ(ks::findNameNoCase(dir, "msd1.ms").value_or("-"), "MSD1.MS") << loc;
        EXPECT_EQ(ks::findNameNoCase(dir, "MSD1.MS").value_or("-"), "MSD1.MS") << loc;
        EXPECT_EQ(ks::findNameNoCase(dir, "\xC3\xA9TUDE.TXT").value_or("-"), "\xC3\x89tude.txt") << loc;
        EXPECT_FALSE(ks::findNameNoCase(dir, "msd2.ms")) << loc;
        EXPECT_EQ(ks::findPathNoCase(dir, "run.m\\acq.ms").value_or("-"), dir + "/RUN.M/ACQ.MS") << loc;
        EXPECT_EQ(ks::findPathNoCase(dir, "Run.M/").value_or("-"), dir + "/RUN.M") << loc;
        EXPECT_FALSE(ks::findPathNoCase(dir, "run.m/none")) << loc;
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_FALSE(ks::findNameNoCase(dir, "a/b"));
    EXPECT_FALSE(ks::findNameNoCase(dir, ""));
    EXPECT_FALSE(ks::findNameNoCase(dir + "/missing", "x"));
}

TEST_F(Folder, ExactMatchWinsThenFirstInByteOrder)
{
    touch("data.ms");
    touch("DATA.MS");
    touch("Data.ms");
    EXPECT_EQ(ks::findNameNoCase(dir, "Data.ms").value_or("-"), "Data.ms");
    EXPECT_EQ(ks::findNameNoCase(dir, "dATA.ms").value_or("-"), "DATA.MS");
}

TEST_F(Folder, ListingSortedWithoutRegardToCase)
{
    for (const char* n : {"b", "A", "\xC3\x89", "a", "C", "e"})
        touch(n);
    const std::vector<std::string> want = {"A", "a", "b", "C", "e", "\xC3\x89"};
    EXPECT_EQ(ks::listFolderNoCase(dir), want);
    EXPECT_TRUE(ks::listFolderNoCase(dir + "/none").empty());
}

TEST_F(Folder, OpensOnlyRegularFiles)
{
    touch("plain");
    const std::string fifo = dir + "/pipe.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(dir + "/sub");
    ASSERT_EQ(symlink((dir + "/plain").c_str(), (dir + "/link").c_str()), 0);

    struct Case {
        std::string path;
        int err;  // 0: opens
    } cases[] = {
        {dir + "/plain", 0},
        {dir + "/link", 0},
        {fifo, EINVAL},             // no writer: must not block
        {dir + "/sub", EISDIR},
        {"/dev/null", EINVAL},
        {"/dev/zero", EINVAL},
        {dir + "/missing", ENOENT},
        {"", ENOENT},
    };
    for (const auto& c : cases) {
        errno = 0;
        const int fd = ks::openRegularFile(c.path);
        if (c.err == 0) {
            ASSERT_GE(fd, 0) << c.path;
            EXPECT_FALSE(fcntl(fd, F_GETFL) & O_NONBLOCK);
            EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
            char b = 0;
            EXPECT_EQ(read(fd, &b, 1), 1);
            close(fd);
        } else {
            EXPECT_EQ(fd, -1) << c.path;
            EXPECT_EQ(errno, c.err) << c.path;
        }
        std::FILE* f = ks::openRegularFileStream(c.path, "rb");
        EXPECT_EQ(f != nullptr, c.err == 0) << c.path;
        if (f)
            std::fclose(f);
    }
    EXPECT_EQ(ks::openRegularFileStream(dir + "/new", "wb"), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(ks::openRegularFile(dir + "/new", O_RDWR | O_CREAT), -1);
    EXPECT_FALSE(fs::exists(dir + "/new"));
    std::FILE* rw = ks::openRegularFileStream(dir + "/plain", "r+b");
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(std::fputc('y', rw), 'y');
    std::fclose(rw);
    EXPECT_EQ(ks::test::readFile(dir + "/plain"), "y");
    EXPECT_TRUE(ks::isRegularFile(dir + "/link"));
    EXPECT_FALSE(ks::isRegularFile(fifo));
    EXPECT_TRUE(ks::isFolder(dir + "/sub"));
    EXPECT_FALSE(ks::isFolder(dir + "/plain"));
}

}  // namespace
