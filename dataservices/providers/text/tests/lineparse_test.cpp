// The line grammar: which lines are points, what they hold, and what text
// a text line hands back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <random>
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

// The same double, the sign of a zero included.
bool sameValue(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_P(LineGrammar, ParsesAsExpected)
{
    const LineCase& c = GetParam();
    double x = -7, y = -7;
    std::wstring text = L"stale";
    EXPECT_EQ(CTextDataIO::ParseLine(c.line, c.listing, x, y, text), c.isData);
    EXPECT_TRUE(sameValue(x, c.x)) << x;
    EXPECT_TRUE(sameValue(y, c.y)) << y;
    EXPECT_EQ(text, c.text);

    // The number rule is scanf's, apart from the named choices of the
    // format; each of those must really differ.
    const ScanfReading scanf = readWithScanf(c.line, c.listing);
    const bool same =
        scanf.isData == c.isData && (!c.isData || (sameValue(scanf.x, c.x) && sameValue(scanf.y, c.y)));
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
    // Signs, points and exponents in every position.
    {"PlusLeadingDot", "+.5 2", false, true, 0.5, 2, L""},
    {"MinusLeadingDotSecond", "1 -.5", false, true, 1, -0.5, L""},
    {"MinusAfterPoint", "5.-3", false, true, 5, -3, L""},
    {"ExponentDigits", "1e5 2", false, true, 1e5, 2, L""},
    {"ExponentSignedPadded", "1E+05 2E-0001", false, true, 1e5, 0.2, L""},
    {"ExponentLeadingZeros", "1e0005 1", false, true, 1e5, 1, L""},
    {"PointThenExponent", "1.e5 2", false, true, 1e5, 2, L""},
    {"FractionThenExponent", ".5e1 2", false, true, 5, 2, L""},
    {"SecondExponentEndsNumber", "1e5e3 7", false, true, 1e5, 1.0, L""},
    {"DoubledExponentLetter", "1ee5 7", false, true, 1, 1.0, L""},
    {"DanglingExponentThenMinus", "1e+-5", false, true, 1, -5, L""},
    {"DanglingExponentThenPoint", "1e.5", false, true, 1, 0.5, L""},
    {"DanglingExponentListing", "2E+ 3 4", true, true, 2, 4, L""},
    {"SecondMinusPoint", "5 -.", false, true, 5, 1.0, L""},
    {"NumberThenComma", "100,", false, true, 100, 1.0, L""},
    {"NegativeZeroSecond", "1 -0.0", false, true, 1, -0.0, L""},
    {"ZeroThenLetters", "0abc 5", false, true, 0, 1.0, L""},
    {"TwoPlusSigns", "++5", false, false, 0, 0, L""},
    {"PlusMinus", "+-5", false, false, 0, 0, L""},
    {"TwoPoints", "..5", false, false, 0, 0, L""},
    {"PlusPoint", "+.", false, false, 0, 0, L""},
    // Blanks of every kind.
    {"TabsBlanksAround", "\t 100 \t 20 \t", false, true, 100, 20, L""},
    {"CarriageReturnInside", "1\r2", false, true, 1, 2, L""},
    {"VerticalTabFirst", "\v1 2", false, true, 1, 2, L""},
    {"FormFeedBetween", "1\f2", false, true, 1, 2, L""},
    // Digits: the short decimals and everything beyond them.
    {"NineteenDigits", "1234567890123456789 1", false, true, 1234567890123456789.0, 1, L""},
    {"TwentyDigits", "12345678901234567890 1", false, true, 12345678901234567890.0, 1, L""},
    {"TwoToThe53", "9007199254740992 1", false, true, 9007199254740992.0, 1, L""},
    {"AboveTwoToThe53", "9007199254740993 1", false, true, 9007199254740993.0, 1, L""},
    {"LeadingZeros", "0000000000000000000000123.5 007", false, true, 123.5, 7, L""},
    {"ManyFractionDigits", "0.12345678901234567890123456789 1", false, true, 0.12345678901234567890123456789, 1, L""},
    {"SmallFraction", "0.0000000000000000000000001 2", false, true, 1e-25, 2, L""},
    {"TwentyTwoDecimals", "1.0000000000000000000001 2", false, true, 1.0000000000000000000001, 2, L""},
    {"LongMantissaWithExponent", "123456789012345678901234567890e-20 1", false, true,
     123456789012345678901234567890e-20, 1, L""},
    // The ends of the range.
    {"SmallestSubnormal", "4.9406564584124654e-324 1", false, true, 4.9406564584124654e-324, 1, L""},
    {"HalfwayToSubnormal", "2.4703282292062328e-324 1", false, true, 4.9406564584124654e-324, 1, L""},
    {"UnderflowNegative", "1 -1e-400", false, true, 1, -0.0, L""},
    {"TinyExponentDigits", "5 1e-99999999999", false, true, 5, 0, L""},
    {"LargestDouble", "1.7976931348623157e308 1", false, true, 1.7976931348623157e308, 1, L""},
    {"JustBeyondLargest", "1.7976931348623159e308 1", false, false, 0, 0, L"", "beyond double: no point"},
    {"HugeExponentDigits", "1 1e99999999999", false, false, 0, 0, L"", "beyond double: no point"},
    {"IntegerBeyondDouble", std::string(400, '9') + " 1", false, false, 0, 0, L"", "beyond double: no point"},
    // What "%lf" reads beyond the format's decimal numbers.
    {"CommasThreeListing", "100,20,30", true, true, 100, 30, L"", "commas separate numbers"},
    {"NanSecond", "100 nan", false, true, 100, 1.0, L"", "nan is no number"},
    {"PlusInfinity", "+inf 5", false, false, 0, 0, L"", "inf is no number"},
    {"HexFloat", "0x1p3 2", false, true, 0, 1.0, L"", "numbers are decimal only"},
    {"HexPrefixAlone", "0x 5", false, true, 0, 1.0, L"", "numbers are decimal only"},
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

// The line rule as the format states it, over sscanf itself: a line whose
// first non-blank character is one of ".+0123456789" has its commas
// replaced by blanks and is read with "%lf %lf %lf"; a number beyond the
// range of double makes no point (the format's one choice beyond that).
ScanfReading readAsFormatStates(std::string line, bool listing)
{
    const size_t first = line.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos || !std::strchr(".+0123456789", line[first]))
        return ScanfReading();
    for (char& c : line)
        if (c == ',')
            c = ' ';
    double v[3] = {0, 0, 0};
    const int n = std::sscanf(line.c_str(), "%lf %lf %lf", &v[0], &v[1], &v[2]);
    ScanfReading r;
    if (n < 1)
        return r;
    for (int k = 0; k < n; ++k)
        if (std::isinf(v[k]))
            return r;
    r.isData = true;
    r.x = v[0];
    r.y = n == 1 ? 1.0 : (n == 3 && listing ? v[2] : v[1]);
    return r;
}

// Lines built at random from every piece a decimal number has (signs,
// leading zeros, short and long digit runs, points, exponents with and
// without sign or digits, huge and tiny exponents) and every separator,
// with a tail of stray characters now and then.
TEST(LineGrammarNumbers, AgreesWithScanfOnGeneratedLines)
{
    std::mt19937 random(36);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto digits = [&](size_t n) {
        std::string d;
        for (size_t i = 0; i < n; ++i)
            d += static_cast<char>('0' + pick(10));
        return d;
    };
    const size_t lengths[] = {0, 1, 1, 2, 3, 4, 5, 8, 15, 16, 17, 19, 20, 22, 23, 30, 330};
    auto length = [&] { return lengths[pick(sizeof lengths / sizeof lengths[0])]; };
    auto number = [&] {
        const char* signs[] = {"", "", "", "+", "-"};
        std::string n = signs[pick(5)];
        if (pick(4) == 0)
            n += std::string(pick(25), '0');
        n += digits(length());
        if (pick(2) == 0)
            n += "." + digits(length());
        if (pick(3) == 0) {
            const char* letters[] = {"e", "E", "e+", "e-", "E+", "E-"};
            const char* exponents[] = {"", "0", "5", "22", "23", "307", "308", "309", "324", "400", "99999999999"};
            n += letters[pick(6)];
            n += exponents[pick(11)];
        }
        return n;
    };
    const char* separators[] = {" ", "\t", ",", ", ", " , ", "  ", "\r", "\v", ""};
    // No "x": after a 0, "%lf" takes it as the start of a hexadecimal
    // number, which the format does not read (the table has those rows).
    const char* tails[] = {"", "", "", "", "z", "e", "E+", ".", "-", "+", ",", " word", ".5e", "e5"};
    int points = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string line = pick(4) == 0 ? " \t" : "";
        const size_t count = 1 + pick(4);
        for (size_t k = 0; k < count; ++k) {
            if (k > 0)
                line += separators[pick(9)];
            line += number();
        }
        line += tails[pick(14)];
        const bool listing = pick(2) == 0;
        double x = -7, y = -7;
        std::wstring text;
        const bool isData = CTextDataIO::ParseLine(line, listing, x, y, text);
        const ScanfReading expected = readAsFormatStates(line, listing);
        ASSERT_EQ(isData, expected.isData) << "line \"" << line << "\"";
        if (isData) {
            ++points;
            ASSERT_TRUE(sameValue(x, expected.x)) << "line \"" << line << "\": " << x << " for " << expected.x;
            ASSERT_TRUE(sameValue(y, expected.y)) << "line \"" << line << "\": " << y << " for " << expected.y;
        }
    }
    EXPECT_GT(points, 5000);  // the generator makes points, not only failures
}

TEST(LineGrammarNumbers, NegativeZeroKeepsSign)
{
    double x, y;
    std::wstring text;
    ASSERT_TRUE(CTextDataIO::ParseLine("0 -0", false, x, y, text));
    EXPECT_TRUE(std::signbit(y));
}

}  // namespace
