// Data-source strings of the Tavrion provider and the recognition of raw
// files by name and signature.
#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "kshive.h"
#include "kstest.h"
#include "tavriondatasource.h"

namespace {

std::wstring W(const std::string& s) { return ks::reg::wideFromUtf8(s); }

struct SourceCase {
    std::wstring text;
    bool parses;
    std::wstring path;
};

TEST(TavrionDataSource, ReadBack)
{
    const std::wstring id = L"KSTavrionProvider.KSTavrionProvider";
    const std::wstring longest(258, L'p');
    const SourceCase cases[] = {
        {id + L"; /data/run 1.raw", true, L"/data/run 1.raw"},
        {L"kstavrionprovider.kstavrionprovider; /a.raw", true, L"/a.raw"},
        {L"KSTAVRIONPROVIDER.KSTAVRIONPROVIDER; /a.raw", true, L"/a.raw"},
        {id + L";/a.raw", true, L"/a.raw"},
        {id + L"; \t /a.raw", true, L"/a.raw"},
        {id + L"; /a.raw;", true, L"/a.raw"},
        {id + L"; /a.raw; more", true, L"/a.raw"},
        {id + L"; /a.raw ", true, L"/a.raw "},
        {id + std::wstring(L"; /a.raw\0/b.raw", 15), true, L"/a.raw"},
        {id + L"; " + longest, true, longest},
        // A field beyond 258 characters does not parse.
        {id + L"; " + longest + L"q", false, L""},
        {std::wstring(259, L'K') + L"; /a.raw", false, L""},
        // A plain path, another provider, missing or empty fields.
        {L"/data/run.raw", false, L""},
        {L"KSTextProvider.KSTextProvider; /a.raw", false, L""},
        {L" " + id + L"; /a.raw", false, L""},
        {id + L" ; /a.raw", false, L""},
        {id, false, L""},
        {id + L";", false, L""},
        {id + L";   ", false, L""},
        {id + L";;/a.raw", false, L""},
        {L"; /a.raw", false, L""},
        {L"", false, L""},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(ks::reg::utf8FromWide(c.text.substr(0, 80)));
        std::wstring path = L"before";
        EXPECT_EQ(ParseTavrionDataSource(c.text, path), c.parses);
        EXPECT_EQ(path, c.parses ? c.path : L"before");
    }
}

TEST(TavrionDataSource, Made)
{
    EXPECT_EQ(MakeTavrionDataSource(L"/data/run.raw"), L"KSTavrionProvider.KSTavrionProvider; /data/run.raw");
    std::wstring path;
    ASSERT_TRUE(ParseTavrionDataSource(MakeTavrionDataSource(L"/x y/z.raw"), path));
    EXPECT_EQ(path, L"/x y/z.raw");
}

// The first bytes of a raw file: a word, "Pardinel" as eight 16-bit
// characters, the format version.
std::string Signature(char high = 0)
{
    std::string bytes = {char(0x01), char(0xA1)};
    for (char c : std::string("Pardinel")) {
        bytes.push_back(c);
        bytes.push_back(high);
    }
    bytes += std::string{char(30), 0};
    return bytes;
}

TEST(TavrionRawFile, RecognisedByNameAndSignature)
{
    const std::string dir = ks::test::tempDir();
    struct FileCase {
        std::string name;
        std::string bytes;
        bool valid;
    } cases[] = {
        {"a.raw", Signature() + std::string(100, 'x'), true},
        {"exactly.raw", Signature(), true},
        {"upper.RAW", Signature(), true},
        {"mixed.Raw", Signature(), true},
        // Only the low bytes of the characters are looked at.
        {"high.raw", Signature(char(0x7f)), true},
        {"other.dat", Signature(), false},
        {"noextension", Signature(), false},
        {"rawlike.xraw2", Signature(), false},
        {"short.raw", Signature().substr(0, 19), false},
        {"empty.raw", "", false},
        {"wrong.raw", Signature(), false},
    };
    cases[std::size(cases) - 1].bytes[16] = 'L';  // "PardineL"
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::writeFile(dir + "/" + c.name, c.bytes);
        EXPECT_EQ(IsTavrionRawFile(W(dir + "/" + c.name)), c.valid);
    }
    // Separators of either kind.
    EXPECT_TRUE(IsTavrionRawFile(W(dir + "\\a.raw")));
    EXPECT_FALSE(IsTavrionRawFile(W(dir + "/missing.raw")));
    EXPECT_FALSE(IsTavrionRawFile(L""));
    // A folder, and a FIFO without a writer (answered at once).
    ASSERT_EQ(mkdir((dir + "/folder.raw").c_str(), 0755), 0);
    EXPECT_FALSE(IsTavrionRawFile(W(dir + "/folder.raw")));
    ASSERT_EQ(mkfifo((dir + "/fifo.raw").c_str(), 0644), 0);
    EXPECT_FALSE(IsTavrionRawFile(W(dir + "/fifo.raw")));
}

}  // namespace
