// The manifest of the vendor stand-ins: the line grammar, the schema
// check with its line and reason for every kind of damage, every prefix of
// a good manifest, numbers and codes, and files that are no regular file
// or too large.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "kstest.h"
#include "vkmanifest.h"

using namespace vendorkit;

namespace {

constexpr const char* kMagic = "ks-kit-test 1";

Schema TestSchema()
{
    Schema s;
    s.records.push_back({"analysis", {{"name", FieldKind::Text}, {"id", FieldKind::Integer, false, false, 1, 0, 9}}, 0, 1});
    RecordRule spectrum{"spectrum", {}, 1, INT32_MAX};
    spectrum.fields = {
        {"time", FieldKind::Number, true},
        {"points", FieldKind::Numbers},
        {"masses", FieldKind::Array, true},
        {"intensities", FieldKind::Array, false, false, 1, INT32_MIN, INT32_MAX, ArrayForm::I2},
        {"param", FieldKind::Texts, false, true, 3},
        {"code", FieldKind::Result},
    };
    s.records.push_back(std::move(spectrum));
    s.withFaults({"Open", "Data"});
    return s;
}

// A manifest of that body, closed by "[end]" when the body ends its line.
std::string Text(const std::string& body)
{
    const bool closed = body.empty() || body.back() == '\n';
    return std::string(kMagic) + "\n" + body + (closed ? "[end]\n" : "");
}

}  // namespace

TEST(ManifestGrammar, RecordsFieldsAndValues)
{
    const std::string text = std::string(kMagic) +
                             "\r\n# comment\r\n\r\n  [analysis]  \r\n"
                             "name \"Run \\\"7\\\"\\t\\\\ a\"\r\n"
                             "\tid\t3 \r\n"
                             "[spectrum]\n"
                             "time 90\n"
                             "points +1.5 -2e3 0\n"
                             "masses 100 \"200\"\n"
                             "masses-type i4\n"
                             "intensities 1 -2\n"
                             "param Mode \"Ion Polarity\" Positive\n"
                             "param Mode \"\" \"#not a comment\"\n"
                             "code E_OUTOFMEMORY\n"
                             "[fault]\n"
                             "operation Data\n"
                             "call 2\n"
                             "result 0x80070057\n"
                             "[end]\n"
                             "# comments and blank lines may follow\n"
                             "\t";  // no final line end
    Manifest m;
    const ParseStatus s = readManifest(text, kMagic, TestSchema(), m);
    ASSERT_TRUE(s.ok) << s.message();
    ASSERT_EQ(m.records.size(), 3u);
    const Record& a = *m.find("analysis");
    EXPECT_EQ(a.line, 4);
    EXPECT_EQ(a.text("name"), "Run \"7\"\t\\ a");
    EXPECT_EQ(a.integer("id"), 3);
    const Record& sp = *m.find("spectrum");
    EXPECT_EQ(sp.number("time"), 90);
    EXPECT_EQ(sp.numbers("points"), (std::vector<double>{1.5, -2000, 0}));
    const ArrayValues masses = sp.array("masses");
    EXPECT_EQ(masses.form, ArrayForm::I4);
    EXPECT_EQ(masses.values, (std::vector<double>{100, 200}));
    EXPECT_EQ(sp.array("intensities").form, ArrayForm::I2);  // the rule's form
    const auto params = sp.all("param");
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[1]->values, (std::vector<std::string>{"Mode", "", "#not a comment"}));
    EXPECT_EQ(params[1]->line, 14);
    EXPECT_EQ(sp.integer("code"), E_OUTOFMEMORY);
    EXPECT_EQ(m.find("fault")->integer("result"), E_INVALIDARG);
    // Absent fields answer their fallback.
    EXPECT_EQ(a.text("missing", "x"), "x");
    EXPECT_TRUE(sp.array("missing").values.empty());
}

TEST(ManifestGrammar, DamageNamesItsLineAndReason)
{
    const struct {
        const char* name;
        std::string text;
        int line;
        const char* reason;  // a part of the reason
    } cases[] = {
        {"empty file", "", 1, "first line"},
        {"magic alone", std::string(kMagic), 1, "cut short"},
        {"no end", std::string(kMagic) + "\n[spectrum]\ntime 1\nmasses\n", 4, "no [end]"},
        {"end line with more", Text("[spectrum]\ntime 1\nmasses\n[end] x\n"), 5, "record line"},
        {"text after the end", std::string(kMagic) + "\n[spectrum]\ntime 1\nmasses\n[end]\n[spectrum]\n", 6,
         "after [end]"},
        {"foreign first line", "ks-kit-test 2\n[spectrum]\n", 1, "not a manifest"},
        {"magic with trailing blank", std::string(kMagic) + " \n", 1, "not a manifest"},
        {"zero byte", Text(std::string("[spectrum]\ntime 1\0\n", 19)), 3, "zero byte"},
        {"field before a record", Text("time 1\n"), 2, "before the first record"},
        {"record line without its bracket", Text("[spectrum\n"), 2, "record line"},
        {"record type with a blank", Text("[spec trum]\n"), 2, "record line"},
        {"empty record type", Text("[]\n"), 2, "record line"},
        {"unterminated quote", Text("[spectrum]\nname \"abc\n"), 3, "closing quote"},
        {"unknown escape", Text("[spectrum]\nname \"a\\qb\"\n"), 3, "unknown escape"},
        {"escape at the line end", Text("[spectrum]\nname \"a\\"), 3, "closing quote"},
        {"text after a quote", Text("[spectrum]\nname \"a\"b\n"), 3, "after a closing quote"},
        {"quote inside a value", Text("[spectrum]\nname a\"b\"\n"), 3, "quote inside"},
        {"quoted field name", Text("[spectrum]\n\"time\" 1\n"), 3, "bad field name"},
        {"unknown record", Text("[spectra]\n"), 2, "unknown record"},
        {"unknown field", Text("[spectrum]\ntime 1\nmasses\nmass 1\n"), 5, "unknown field \"mass\""},
        {"repeated single field", Text("[spectrum]\ntime 1\ntime 2\nmasses\n"), 4, "repeated"},
        {"missing required field", Text("[spectrum]\nmasses 1\n"), 2, "without its field \"time\""},
        {"no record that must stand", Text("[analysis]\n"), 0, "no record [spectrum]"},
        {"record standing too often", Text("[analysis]\n[analysis]\n[spectrum]\ntime 1\nmasses\n"), 3,
         "may stand 1 time"},
        {"text with two values", Text("[analysis]\nname a b\n"), 3, "takes one text"},
        {"texts of the wrong count", Text("[spectrum]\ntime 1\nmasses\nparam Mode x\n"), 5, "takes 3 texts"},
        {"integer that is a number", Text("[analysis]\nid 1.5\n"), 3, "no 32-bit integer"},
        {"integer outside its range", Text("[analysis]\nid 10\n"), 3, "outside 0 to 9"},
        {"integer beyond 32 bits", Text("[analysis]\nid 4294967296\n"), 3, "no 32-bit integer"},
        {"number that is no number", Text("[spectrum]\ntime 1x\nmasses\n"), 3, "no finite number"},
        {"infinite number", Text("[spectrum]\ntime 1e999\nmasses\n"), 3, "no finite number"},
        {"NaN", Text("[spectrum]\ntime nan\nmasses\n"), 3, "no finite number"},
        {"number without a value", Text("[spectrum]\ntime\nmasses\n"), 3, "takes one number"},
        {"hexadecimal number", Text("[spectrum]\ntime 0x10\nmasses\n"), 3, "no finite number"},
        {"array with a bad number", Text("[spectrum]\ntime 1\nmasses 1 , 2\n"), 4, "\",\" is no finite number"},
        {"success as a code", Text("[spectrum]\ntime 1\nmasses\ncode S_OK\n"), 5, "no failure code"},
        {"positive code", Text("[spectrum]\ntime 1\nmasses\ncode 0x00000001\n"), 5, "no failure code"},
        {"values beyond the rule's form", Text("[spectrum]\ntime 1\nmasses\nintensities 40000\n"), 5,
         "\"intensities\" as i2"},
        {"values beyond the given form", Text("[spectrum]\ntime 1\nmasses 1.5\nmasses-type i4\n"), 4,
         "1.5 is no integer"},
        {"r4 beyond its range", Text("[spectrum]\ntime 1\nmasses 1e39\nmasses-type r4\n"), 4, "single-precision"},
        {"type before its array", Text("[spectrum]\ntime 1\nmasses-type r4\nmasses 1\n"), 4, "before \"masses\""},
        {"type given twice", Text("[spectrum]\ntime 1\nmasses 1\nmasses-type r4\nmasses-type r8\n"), 6,
         "repeated"},
        {"unknown form", Text("[spectrum]\ntime 1\nmasses 1\nmasses-type float\n"), 5, "one array form"},
        {"type of a field that is no array", Text("[spectrum]\ntime 1\ntime-type r4\nmasses\n"), 4,
         "unknown field \"time-type\""},
        {"fault of an unknown operation", Text("[spectrum]\ntime 1\nmasses\n[fault]\noperation Close\ncall 1\n"
                                               "result E_FAIL\n"),
         6, "unknown operation \"Close\""},
        {"fault of call 0", Text("[spectrum]\ntime 1\nmasses\n[fault]\noperation Open\ncall 0\nresult E_FAIL\n"), 7,
         "outside 1 to"},
        {"fault without its result", Text("[spectrum]\ntime 1\nmasses\n[fault]\noperation Open\ncall 1\n"), 5,
         "without its field \"result\""},
    };
    for (const auto& c : cases) {
        Manifest m;
        const ParseStatus s = readManifest(c.text, kMagic, TestSchema(), m);
        EXPECT_FALSE(s.ok) << c.name;
        EXPECT_EQ(s.line, c.line) << c.name << ": " << s.message();
        EXPECT_NE(s.reason.find(c.reason), std::string::npos) << c.name << ": " << s.message();
        EXPECT_TRUE(m.records.empty()) << c.name;
    }
}

// Every prefix of a good manifest is accepted or refused with a line
// inside the prefix; none is read beyond its end (the sanitizers watch).
TEST(ManifestGrammar, EveryPrefix)
{
    const std::string text = Text(
        "[analysis]\nname \"Run 7\"\n[spectrum]\ntime 90\nmasses 100 200\nmasses-type r4\n"
        "intensities 1 2\nparam Mode \"Ion Polarity\" Positive\n[fault]\noperation Data\ncall 1\nresult E_FAIL\n");
    int accepted = 0;
    for (size_t n = 0; n <= text.size(); ++n) {
        const std::string prefix = text.substr(0, n);
        Manifest m;
        const ParseStatus s = readManifest(prefix, kMagic, TestSchema(), m);
        const int lines = static_cast<int>(std::count(prefix.begin(), prefix.end(), '\n')) + 1;
        if (s.ok) {
            ++accepted;
        } else {
            EXPECT_LE(s.line, lines) << n;
        }
    }
    // The whole text, at least, is accepted.
    EXPECT_GT(accepted, 0);
}

TEST(ManifestGrammar, NumbersAndCodes)
{
    const struct {
        const char* token;
        bool number;
        double value;
    } numbers[] = {
        {"0", true, 0},     {"-0.25", true, -0.25}, {"+3", true, 3},    {"1e-3", true, 0.001},
        {"", false, 0},     {"+", false, 0},         {"1,5", false, 0}, {"inf", false, 0},
        {"--1", false, 0},  {"1 ", false, 0},        {"0x1p3", false, 0},
    };
    for (const auto& n : numbers) {
        double d = -1;
        EXPECT_EQ(parseNumber(n.token, d), n.number) << n.token;
        if (n.number) {
            EXPECT_EQ(d, n.value) << n.token;
        }
    }
    const struct {
        const char* token;
        bool ok;
        LONG value;
    } integers[] = {
        {"2147483647", true, 2147483647},  {"-2147483648", true, INT32_MIN},    {"0x7fffffff", true, 2147483647},
        {"0xFFFFFFFF", true, -1},          {"2147483648", false, 0},            {"-2147483649", false, 0},
        {"0x100000000", false, 0},         {"-0x1", false, 0},                  {"1.0", false, 0},
        {"0x", false, 0},                  {"+-1", false, 0},                   {"", false, 0},
    };
    for (const auto& i : integers) {
        LONG v = 12345;
        EXPECT_EQ(parseInteger(i.token, v), i.ok) << i.token;
        if (i.ok) {
            EXPECT_EQ(v, i.value) << i.token;
        }
    }
    HRESULT hr = S_OK;
    EXPECT_TRUE(parseFailureCode("REGDB_E_CLASSNOTREG", hr));
    EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(parseFailureCode("-2147467259", hr));
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_FALSE(parseFailureCode("e_fail", hr));  // names in their own case
    EXPECT_FALSE(parseFailureCode("S_FALSE", hr));
    EXPECT_FALSE(parseFailureCode("0", hr));
}

TEST(ManifestFile, OnlyRegularFilesWithinTheCap)
{
    const std::string dir = ks::test::tempDir();
    const std::string good = dir + "/good.txt";
    ks::test::writeFile(good, Text("[spectrum]\ntime 1\nmasses 2\n"));
    Manifest m;
    ParseStatus s = readManifestFile(good, kMagic, TestSchema(), m);
    ASSERT_TRUE(s.ok) << s.message();
    EXPECT_EQ(m.records.size(), 1u);

    s = readManifestFile(dir + "/missing.txt", kMagic, TestSchema(), m);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message(), "cannot be opened");
    EXPECT_TRUE(m.records.empty());

    // A folder and a FIFO without a writer: refused at once.
    std::filesystem::create_directory(dir + "/folder");
    s = readManifestFile(dir + "/folder", kMagic, TestSchema(), m);
    EXPECT_EQ(s.message(), "not a regular file");
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    s = readManifestFile(dir + "/fifo", kMagic, TestSchema(), m);
    EXPECT_EQ(s.message(), "not a regular file");

    // A sparse file one byte over the cap is refused without being read.
    const std::string big = dir + "/big.txt";
    ks::test::writeFile(big, Text("[spectrum]\ntime 1\nmasses 2\n"));
    ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(kMaxManifestBytes) + 1), 0);
    s = readManifestFile(big, kMagic, TestSchema(), m);
    EXPECT_FALSE(s.ok);
    EXPECT_NE(s.reason.find("larger than"), std::string::npos);

    // Other texts beside a manifest, under a cap of their own.
    std::string text;
    EXPECT_TRUE(readTextFile(good, 1000, text).ok);
    EXPECT_EQ(text, Text("[spectrum]\ntime 1\nmasses 2\n"));
    EXPECT_EQ(readTextFile(good, 10, text).message(), "larger than 10 bytes");
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(readTextFile(dir + "/fifo", 1000, text).message(), "not a regular file");
}
