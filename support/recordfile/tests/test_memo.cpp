// Memo files: byte fixtures, soft line breaks, Latin-1 text, the length
// cap, the real memo files, a reference reader, damaged files.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace zt;
using namespace zentar;

namespace {

struct Memo {
    DBHANDLE h = nullptr;
    explicit Memo(const std::string& p) { EXPECT_EQ(memoOpen(p.c_str(), &h), 0) << dBerrno(); }
    ~Memo()
    {
        if (h)
            memoClose(h);
    }
    int close()
    {
        int rc = memoClose(h);
        h = nullptr;
        return rc;
    }
    std::string write(const std::string& text)
    {
        char field[11] = {};
        EXPECT_EQ(memoWrite(h, text.c_str(), field), 0) << dBerrno();
        return std::string(field, 10);
    }
    std::string read(const std::string& field, int expectRc = 0)
    {
        std::string text(5002, '#');
        EXPECT_EQ(memoRead(h, field.c_str(), &text[0]), expectRc) << dBerrno();
        return std::string(text.c_str());
    }
};

// What a text reads back as: a break (CR LF) after every 66 characters of a
// line, unless a line end follows anyway or the text ends there.
std::string withSoftBreaks(const std::string& t)
{
    std::string out;
    int line = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
            out += "\r\n";
            ++i;
            line = 0;
            continue;
        }
        out += t[i];
        if (++line == 66) {
            line = 0;
            bool endFollows = i + 2 < t.size() && t[i + 1] == '\r' && t[i + 2] == '\n';
            if (i + 1 < t.size() && !endFollows)
                out += "\r\n";
        }
    }
    return out;
}

}  // namespace

TEST(MemoFile, NewFileAndTenCharacters)
{
    std::string p = path("m.dbt");
    ASSERT_EQ(memoCreate(p.c_str()), 0);
    std::string b = bytes(p);
    ASSERT_EQ(b.size(), 512u);
    EXPECT_EQ(u32(b, 0), 1u);
    {
        Memo m(p);
        EXPECT_EQ(m.write("0123456789"), "         1");
        EXPECT_EQ(m.write(""), "          ") << "an empty text is no memo";
        EXPECT_EQ(m.write("\x1a" "abc"), "          ");
        ASSERT_EQ(m.close(), 0);
    }
    b = bytes(p);
    ASSERT_EQ(b.size(), 512u + 12);
    EXPECT_EQ(b.substr(512), "0123456789\x1a\x1a");
    EXPECT_EQ(u32(b, 0), 2u);
    Memo m(p);
    EXPECT_EQ(m.read("         1"), "0123456789");
    EXPECT_EQ(m.write("second"), "         2") << "the next memo starts a new block";
    EXPECT_EQ(m.read("2         "), "second") << "blanks are skipped wherever they stand";
    EXPECT_EQ(m.read("          "), "") << "ten blanks: no memo";
}

TEST(MemoFile, SoftBreaksRoundTrip)
{
    std::string p = path("soft.dbt");
    ASSERT_EQ(memoCreate(p.c_str()), 0);
    Memo m(p);
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += char('a' + i % 26);
    std::string field = m.write(text);
    std::string b = bytes(p);
    // Stored: 66 characters, 0x8D 0x0A, ... ; 15 breaks in 1000 characters.
    std::string stored;
    for (size_t i = 0; i < text.size(); i += 66) {
        stored += text.substr(i, 66);
        if (i + 66 < text.size())
            stored += "\x8d\n";
    }
    EXPECT_EQ(b.substr(512, stored.size() + 2), stored + "\x1a\x1a");
    EXPECT_EQ(m.read(field), withSoftBreaks(text));

    // Line ends of the text are stored as 0x8D 0x0A and read as CR LF; a
    // line of exactly 66 characters before one gets no extra break.
    std::string lines = std::string(66, 'x') + "\r\n" + "short\r\n" + std::string(70, 'y');
    field = m.write(lines);
    EXPECT_EQ(m.read(field), withSoftBreaks(lines));
    b = bytes(p);
    EXPECT_NE(b.find(std::string(66, 'x') + "\x8d\nshort\x8d\n"), std::string::npos);
}

TEST(MemoFile, Latin1TextIsKept)
{
    std::string p = path("latin.dbt");
    ASSERT_EQ(memoCreate(p.c_str()), 0);
    Memo m(p);
    const std::string text = "Caf\xe9 cr\xe8me \xbd \xff\x85 \x8d lone, \xe0\r\n\xc9t\xe9";
    std::string field = m.write(text);
    EXPECT_EQ(m.read(field), text);
    std::string b = bytes(p);
    EXPECT_NE(b.find("\xe0\x8d\n\xc9t\xe9\x1a\x1a"), std::string::npos);
}

TEST(MemoFile, WhateverIsWrittenReadsBack)
{
    std::string p = path("long.dbt");
    ASSERT_EQ(memoCreate(p.c_str()), 0);
    Memo m(p);
    std::string text;
    for (int i = 0; i < 6000; ++i)
        text += char('A' + i % 26);
    std::string field = m.write(text);
    std::string back = m.read(field);
    EXPECT_EQ(back.size(), size_t(kMemoMaxText));
    EXPECT_EQ(back, withSoftBreaks(text).substr(0, back.size()));
    // Line ends are never cut in half at the cap.
    std::string crlf;
    for (int i = 0; i < 3000; ++i)
        crlf += "\r\n";
    field = m.write("x" + crlf);
    back = m.read(field);
    EXPECT_EQ(back.size(), size_t(kMemoMaxText));
    EXPECT_EQ(back, ("x" + crlf).substr(0, kMemoMaxText));
}

TEST(MemoFile, ReaderLimitsAndBadFields)
{
    std::string p = path("limits.dbt");
    ASSERT_EQ(memoCreate(p.c_str()), 0);
    std::string b = bytes(p);
    b += std::string(4999, 'a') + "\x1a\x1a";   // block 1
    b.resize(512 * 11, '\0');
    b += std::string(5000, 'b') + "\x1a\x1a";   // block 11
    setU32(b, 0, 21);
    ks::test::writeFile(p, b);
    Memo m(p);
    EXPECT_EQ(m.read("         1").size(), 4999u);
    std::string text(5002, '#');
    EXPECT_EQ(memoRead(m.h, "        11", &text[0]), 1);
    EXPECT_EQ(dBerrno(), 4305);
    EXPECT_EQ(std::strlen(text.c_str()), 5000u) << "terminated all the same";
    EXPECT_EQ(memoRead(m.h, "     1x   ", &text[0]), 1);
    EXPECT_EQ(dBerrno(), 4301);
    EXPECT_EQ(memoRead(m.h, "        99", &text[0]), 1);
    EXPECT_EQ(dBerrno(), 4306);
    EXPECT_EQ(memoRead(m.h, "         0", &text[0]), 1);
    EXPECT_EQ(dBerrno(), 4306);
    EXPECT_EQ(memoRead(m.h, "9999999999", &text[0]), 1);
    EXPECT_EQ(dBerrno(), 4306);
    int local;
    EXPECT_EQ(memoRead(&local, "         1", &text[0]), 1);
    EXPECT_EQ(dBerrno(), 4290);
}

TEST(MemoFile, DamagedFilesAreRefused)
{
    std::string p = path("bad.dbt");
    struct Case {
        std::string file;
        int detail;
    };
    std::string base(512, '\0');
    std::vector<Case> cases = {
        {"", 4103},
        {"\x01\x00", 4103},
        {[&] { std::string b = base; setU32(b, 0, 2); return b; }(), 4104},
        {[&] { std::string b = base; setU32(b, 0, 0); return b; }(), 4104},
        {[&] { std::string b = base + "x"; setU32(b, 0, 0xFFFFFFFFu); return b; }(), 4104},
    };
    for (const auto& c : cases) {
        ks::test::writeFile(p, c.file);
        DBHANDLE h = nullptr;
        EXPECT_EQ(memoOpen(p.c_str(), &h), 1);
        EXPECT_EQ(dBerrno(), c.detail);
    }
    std::vector<DBHANDLE> hs(10);
    ASSERT_EQ(memoCreate(p.c_str()), 0);
    for (auto& h : hs)
        ASSERT_EQ(memoOpen(p.c_str(), &h), 0);
    DBHANDLE extra;
    EXPECT_EQ(memoOpen(p.c_str(), &extra), 1);
    EXPECT_EQ(dBerrno(), 4101);
    for (auto h : hs)
        EXPECT_EQ(memoClose(h), 0);
}

TEST(MemoReal, GeometryTestMemos)
{
    std::string p = copyReal("dbase3/altemiq-geometry/test.dbt", "test.dbt");
    Memo m(p);
    ASSERT_TRUE(m.h);
    EXPECT_EQ(m.read("         1"), "This is a memo fore record no one");
    EXPECT_EQ(m.read("         2"), "This is memo for record 2");
    EXPECT_EQ(m.read("         3"), "This is memo 3");
    // A new memo goes to the next free block after the unpadded last one.
    std::string field = m.write("added");
    EXPECT_EQ(field, "         4");
    ASSERT_EQ(m.close(), 0);
    std::string b = bytes(p);
    EXPECT_EQ(u32(b, 0), 5u);
    EXPECT_EQ(b.size(), 4u * 512 + 7);
    EXPECT_EQ(b.substr(4, 12), ks::test::readFile(ks::test::realData("dbase3/altemiq-geometry/test.dbt")).substr(4, 12))
        << "block 0's leftover bytes stay";
}

TEST(MemoReal, Dbase83AsTheReferenceReaderAndRecords)
{
    std::string dp = copyReal("dbase3/infused-dbf/dbase_83.dbf", "dbase_83.dbf");
    std::string mp = copyReal("dbase3/infused-dbf/dbase_83.dbt", "dbase_83.dbt");
    DBHANDLE db = nullptr;
    ASSERT_EQ(dBopen(dp.c_str(), &db), 0);
    Memo m(mp);
    int32_t n = 0;
    ASSERT_EQ(dBsize(db, &n), 0);
    // The DESC field: after 5 x 19, 50, 100, 254, 254, 13, 13 characters.
    const size_t at = 5 * 19 + 50 + 100 + 254 + 254 + 13 + 13;
    std::vector<char> rec(804);
    std::ostringstream ours;
    for (int i = 1; i <= n; ++i) {
        char del;
        ASSERT_EQ(dBgetr(db, i, rec.data(), &del), 0);
        std::string text = m.read(std::string(rec.data() + at, 10));
        static const char* hex = "0123456789abcdef";
        for (char c : text)
            ours << hex[uint8_t(c) >> 4] << hex[uint8_t(c) & 15];
        ours << "\n";
        if (i == 1) {
            EXPECT_EQ(text.size(), 524u);
            EXPECT_EQ(text.substr(0, 72),
                      "Our Original assortment...a little taste of heaven for everyone.  Let us");
            EXPECT_EQ(text.substr(text.size() - 44), "Milk chocolate squares, and Raspberry Blanc.");
        }
        if (i == 2) {
            EXPECT_EQ(text.size(), 1268u);
            EXPECT_NE(text.find('\x85'), std::string::npos) << "a Latin-1 byte kept";
        }
        if (i == 10) {
            EXPECT_EQ(text.substr(0, 48), "Once tasted you will understand why we won The\r\n");
        }
    }
    dBclose(db);
    const char* script = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding='latin-1')
for r in t:
    v = r['DESC'] or ''
    print(v.encode('latin-1').hex())
)";
    auto r = ks::test::run({"/usr/bin/python3", "-c", script, dp});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ours.str(), r.out);
}

TEST(MemoReferenceReader, ReadsMemosTheLibraryWrote)
{
    FieldDesc f[2] = {field("ID", 'N', 4), field("NOTE", 'M', 10)};
    std::string dp = path("notes.dbf"), mp = path("notes.dbt");
    ASSERT_EQ(dBcreat(dp.c_str(), 2, f), 0);
    ASSERT_EQ(memoCreate(mp.c_str()), 0);
    std::vector<std::string> texts = {
        "short",
        "two\r\nlines",
        std::string(200, 'w'),
        "",
        "Latin-1 \xe9\xe8\xff",
        std::string(1500, 'z') + "\r\nend",
    };
    DBHANDLE db = nullptr;
    ASSERT_EQ(dBopen(dp.c_str(), &db), 0);
    std::vector<std::string> readBack;
    {
        Memo m(mp);
        for (size_t i = 0; i < texts.size(); ++i) {
            std::string field = m.write(texts[i]);
            readBack.push_back(m.read(field));
            std::string rec = "   " + std::to_string(i + 1) + field;
            ASSERT_EQ(dBputr(db, int32_t(i + 1), rec.c_str()), 0);
        }
        ASSERT_EQ(m.close(), 0);
    }
    ASSERT_EQ(dBclose(db), 0);
    const char* script = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding='latin-1')
for r in t:
    v = r['NOTE'] or ''
    print(v.encode('latin-1').replace(b'\x8d\n', b'\r\n').hex())
)";
    auto r = ks::test::run({"/usr/bin/python3", "-c", script, dp});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ostringstream want;
    for (const auto& t : readBack) {
        static const char* hex = "0123456789abcdef";
        for (char c : t)
            want << hex[uint8_t(c) >> 4] << hex[uint8_t(c) & 15];
        want << "\n";
    }
    EXPECT_EQ(r.out, want.str());
    EXPECT_EQ(readBack[1], "two\r\nlines");
    EXPECT_EQ(readBack[4], texts[4]);
}

// Memo and index files open only when they are regular files (a FIFO
// would block the first read for ever).
TEST(MemoFile, SpecialFilesAreRefused)
{
    const std::string fifo = path("fifo.dbt");
    const std::string zero = path("zero.dbt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string& p : {fifo, zero, ks::test::tempDir()}) {
        DBHANDLE h = nullptr;
        EXPECT_NE(memoOpen(p.c_str(), &h), 0) << p;
        EXPECT_EQ(dBerrno(), 4102) << p;
        EXPECT_NE(ndxOpen(p.c_str(), &h), 0) << p;
        EXPECT_EQ(dBerrno(), 1402) << p;
    }
}
