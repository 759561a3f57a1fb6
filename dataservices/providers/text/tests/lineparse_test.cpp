// The line grammar: which lines are points, what they hold, and what text
// a text line hands back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "textdataio.h"

namespace {

struct LineCase {
    const char* name;
    std::string line;
    bool listing;
    bool isData;
    double x;
    double y;
    std::wstring text;
    // Why the format does not read this line as sscanf's "%lf %lf %lf"
    // does; null where it reads it the same.
    const char* differsFromScanf = nullptr;
};

// What the format's rule makes of sscanf(line, "%lf %lf %lf"): a point
// when at least one number is read, the intensity 1.0 for one number and
// the third of three in a listing.
struct ScanfReading {
    bool isData = false;
    double x = 0, y = 0;
};
ScanfReading readWithScanf(const std::string& line, bool listing)
{
    double v[3] = {0, 0, 0};
    const int n = std::sscanf(line.c_str(), "%lf %lf %lf", &v[0], &v[1], &v[2]);
    ScanfReading r;
    if (n < 1)
        return r;
    r.isData = true;
    r.x = v[0];
    r.y = n == 1 ? 1.0 : (n == 3 && listing ? v[2] : v[1]);
    return r;
}

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class LineGrammar : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineGrammar, ParsesAsExpected)
{
    const LineCase& c = GetParam();
    double x = -7, y = -7;
    std::wstring text = L"stale";
    EXPECT_EQ(CTextDataIO::ParseLine(c.line, c.listing, x, y, text), c.isData);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(text, c.text);

    // The number rule is scanf's, apart from the named choices of the
    // format; each of those must really differ.
    const ScanfReading scanf = readWithScanf(c.line, c.listing);
    const bool same = scanf.isData == c.isData && (!c.isData || (scanf.x == c.x && scanf.y == c.y));
    if (c.differsFromScanf)
        EXPECT_FALSE(same) << "listed as differing (" << c.differsFromScanf << ") but reads as sscanf does";
    else
        EXPECT_TRUE(same) << "sscanf reads " << (scanf.isData ? "a point " : "no point ") << scanf.x << ", "
                          << scanf.y;
}

const LineCase kCases[] = {
    {"SignCommaBlank", "  +12.5, 300", false, true, 12.5, 300, L"", "commas separate numbers"},
    {"MinusIsText", "  -12.5, 300", false, false, 0, 0, L"-12.5, 300", "a leading minus makes text"},
    {"OneNumber", "12.5", false, true, 12.5, 1.0, L""},
    {"NumberThenWord", "100 counts", false, true, 100, 1.0, L""},
    {"TabSeparated", "100.5\t2000", false, true, 100.5, 2000, L""},
    {"CommaOnly", "100,5", false, true, 100, 5, L"", "commas separate numbers"},
    {"CommaBlank", "100, 5", false, true, 100, 5, L"", "commas separate numbers"},
    {"ThreeNumbers", "100 20 30", false, true, 100, 20, L""},
    {"ThreeNumbersListing", "100 20 30", true, true, 100, 30, L""},
    {"TwoNumbersListing", "100 20", true, true, 100, 20, L""},
    {"FourNumbersListing", "100 20 30 40", true, true, 100, 30, L""},
    {"Exponents", "1.5e2 2E-1", false, true, 150, 0.2, L""},
    {"LeadingDot", ".5 .25", false, true, 0.5, 0.25, L""},
    {"TrailingDot", "5. 7.", false, true, 5, 7, L""},
    {"SignedSecond", "100 -5", false, true, 100, -5, L""},
    {"NoBlankBeforeSign", "100-5", false, true, 100, -5, L""},
    {"DotStartsSecond", "1.5.5", false, true, 1.5, 0.5, L""},
    {"DanglingExponent", "100e 5", false, true, 100, 5, L""},
    {"DanglingExponentSign", "1.5e+ 3", false, true, 1.5, 3, L""},
    {"DanglingExponentAtEnd", "100E-", false, true, 100, 1.0, L""},
    {"DanglingExponentThenWord", "100ex 5", false, true, 100, 1.0, L""},
    {"HexIsNotDecimal", "0x10 5", false, true, 0, 1.0, L"", "numbers are decimal only"},
    {"InfinityWordIgnored", "100 inf", false, true, 100, 1.0, L"", "inf is no number"},
    {"OnlyDot", ".", false, false, 0, 0, L""},
    {"PlusWord", "+x", false, false, 0, 0, L""},
    {"Empty", "", false, false, 0, 0, L""},
    {"Blanks", " \t\v\f\r ", false, false, 0, 0, L""},
    {"Text", "  Sample A ", false, false, 0, 0, L"Sample A "},
    {"TextWithNumber", "Scan 5", false, false, 0, 0, L"Scan 5"},
    {"Latin1Text", "Probe \xE9\xFF", false, false, 0, 0, L"Probe \u00e9\u00ff"},
    {"ManyDigits", "123456789012345678901234567890 1", false, true, 1.2345678901234568e29, 1, L""},
    {"TinyUnderflows", "100 1e-400", false, true, 100, 0, L""},
    {"HugeIgnored", "100 1e999", false, false, 0, 0, L"", "beyond double: no point"},
    {"HugeFirstIgnored", "1e400 5", false, false, 0, 0, L"", "beyond double: no point"},
};

INSTANTIATE_TEST_SUITE_P(Table, LineGrammar, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The fast path and the library must agree to the last bit.
TEST(LineGrammarNumbers, CorrectlyRounded)
{
    const char* tokens[] = {"0.1", "123.456789", "9007199254740993", "1e22", "1e23", "4.9406564584124654e-324",
                            "1.7976931348623157e308", "0.000000000000000000000000123", "3.14159265358979323846",
                            "1234567.000001"};
    for (const char* t : tokens) {
        double x, y;
        std::wstring text;
        ASSERT_TRUE(CTextDataIO::ParseLine(std::string(t) + " 1", false, x, y, text)) << t;
        EXPECT_EQ(x, std::strtod(t, nullptr)) << t;
    }
}

TEST(LineGrammarNumbers, NegativeZeroKeepsSign)
{
    double x, y;
    std::wstring text;
    ASSERT_TRUE(CTextDataIO::ParseLine("0 -0", false, x, y, text));
    EXPECT_TRUE(std::signbit(y));
}

}  // namespace
