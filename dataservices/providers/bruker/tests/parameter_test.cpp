// Parameter lines, the dictionary's typed getters and parameter files.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>

#include <sys/stat.h>

#include "bruker.h"
#include "brukertest.h"

using namespace xmass;

namespace {

struct LineCase {
    const char* label;
    std::string line;
    bool parameter;
    std::wstring name;
    std::wstring value;
};

TEST(XmassParameterLine, Table)
{
    const LineCase cases[] = {
        {"negative integer", "##$NC= -2", true, L"$NC", L"-2"},
        {"angle brackets removed", "##$TI= <a title>", true, L"$TI", L"a title"},
        {"equals sign ends the value", "##$TI= a=b", true, L"$TI", L"a"},
        {"hash ends the value", "##$TI= a#b", true, L"$TI", L"a"},
        {"marks after the equals sign skipped", "##$SW=#= 12", true, L"$SW", L"12"},
        {"date with trailing blank", "##$AQ_DATE= <2009-10-21 12:51:09> ", true, L"$AQ_DATE",
         L"2009-10-21 12:51:09"},
        {"empty brackets", "##$CMT1= <>", true, L"$CMT1", L""},
        {"one bracket each side only", "##$TI= <<x>>", true, L"$TI", L"<x>"},
        {"leading bracket alone", "##$TI= <x", true, L"$TI", L"x"},
        {"trailing bracket alone", "##$TI= x>", true, L"$TI", L"x"},
        {"name trimmed", "##$NC =  7 ", true, L"$NC", L"7"},
        {"more leading marks", "###$NC= 3", true, L"$NC", L"3"},
        {"no equals sign", "##$NC", true, L"$NC", L""},
        {"plain JCAMP label", "##TITLE=  XMASS Parameter file", true, L"TITLE", L"XMASS Parameter file"},
        {"array header", "##$Aoffs= (0..5)", true, L"$Aoffs", L"(0..5)"},
        {"Latin-1 text", "##$TI= caf\xe9", true, L"$TI", L"caf\u00e9"},
        {"one mark", "#$NC= 3", false, L"", L""},
        {"array values", "1 2 3 4", false, L"", L""},
        {"comment", "$$ comment", false, L"", L""},
        {"empty", "", false, L"", L""},
    };
    for (const LineCase& c : cases) {
        std::wstring name = L"stale";
        std::wstring value = L"stale";
        EXPECT_EQ(ParseParameterLine(c.line, name, value), c.parameter) << c.label;
        EXPECT_EQ(name, c.name) << c.label;
        EXPECT_EQ(value, c.value) << c.label;
    }
}

TEST(XmassDictionary, FixedTableHasEveryParameterWithItsType)
{
    const CBruker b;
    const std::pair<const wchar_t*, int> expected[] = {
        {L"KSPath", 4},     {L"KSFileName", 4}, {L"KSDataType", 4}, {L"KSDataForm", 4}, {L"KSTitle", 4},
        {L"$AQ_DATE", 4},   {L"$CMT1", 4},      {L"$CMT2", 4},      {L"$CMT3", 4},      {L"$BYTORDA", 5},
        {L"$BYTORDP", 5},   {L"$NC", 2},        {L"$NC_proc", 2},   {L"$Calmet", 6},    {L"$TILT", 7},
        {L"$DM", 8},        {L"$FR_low", 3},    {L"$SW", 3},        {L"$SW_h", 3},      {L"$SW_p", 3},
        {L"$ML1", 3},       {L"$ML2", 3},       {L"$ML3", 3},       {L"$DW", 3},        {L"$DELAY", 3},
        {L"$NF", 2},        {L"$TI", 4},        {L"$TD", 2},        {L"$MW_low", 3},    {L"$MW_high", 3},
        {L"$SI", 2},        {L"$XDIM", 2},      {L"$GCT", 3},       {L"$PI", 4},
    };
    const auto all = b.Definitions();
    ASSERT_EQ(all.size(), std::size(expected));
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->name, expected[i].first);
        EXPECT_EQ(all[i]->type, expected[i].second) << i;
        EXPECT_TRUE(all[i]->value.empty());
    }
    EXPECT_EQ(b.Find(L"$ML3")->description, L"NonLinear only calibration constant");
    EXPECT_EQ(b.Find(L"KSDataType")->description, L"Datatype from SPTYPE file");
}

TEST(XmassDictionary, SetValueDefineAndClear)
{
    CBruker b;
    EXPECT_FALSE(b.SetValue(L"TITLE", L"x"));  // not defined
    EXPECT_FALSE(b.SetValue(L"$nc", L"3"));    // names are case-sensitive
    EXPECT_FALSE(b.SetValue(L"$NC", L""));
    EXPECT_TRUE(b.SetValue(L"$NC", L"3"));
    b.AddParameter(L"  $PIEDLY ", BrukerInteger, L"delay");
    ASSERT_NE(b.Find(L"$PIEDLY"), nullptr);
    EXPECT_TRUE(b.SetValue(L"$PIEDLY", L"40"));
    b.AddParameter(L"$NC", BrukerReal, L"redefined");  // redefinition empties the value
    double nc = 0;
    EXPECT_FALSE(b.GetDouble(L"$NC", nc));
    b.Clear();
    EXPECT_EQ(b.Find(L"$PIEDLY"), nullptr);
    EXPECT_EQ(b.Find(L"$NC")->type, BrukerInteger);
}

struct GetterCase {
    const wchar_t* name;
    const wchar_t* text;
    bool ok;
    double expected;
};

template <class Get>
void checkTable(const char* getter, const std::vector<GetterCase>& cases, Get get)
{
    for (const GetterCase& c : cases) {
        CBruker b;
        b.SetValue(c.name, c.text);
        double out = -12345;
        EXPECT_EQ(get(b, c.name, out), c.ok) << getter << " " << std::string(c.text, c.text + wcslen(c.text));
        EXPECT_EQ(out, c.ok ? c.expected : -12345) << getter << " leaves the output untouched on failure";
    }
}

// A typed getter as a function of (dictionary, name, double out), so one
// table form serves every type; the output starts at -12345.
template <class T>
auto asTable(bool (CBruker::*get)(const std::wstring&, T&) const)
{
    return [get](const CBruker& b, const wchar_t* name, double& out) {
        T v = static_cast<T>(-12345);
        const bool ok = (b.*get)(name, v);
        out = static_cast<double>(v);
        return ok;
    };
}

TEST(XmassDictionary, TypedGetters)
{
    checkTable("GetInteger",
               {{L"$NC", L"-2", true, -2},
                {L"$TD", L"80478", true, 80478},
                {L"$TD", L"  +17abc", true, 17},
                {L"$TD", L"abc", true, 0},     // no digits read as 0
                {L"$TD", L"(0..5)", true, 0},  // an array header
                {L"$TD", L"99999999999", true, INT32_MAX},
                {L"$NC", L"-99999999999", true, INT32_MIN},
                {L"$ML1", L"5", false, 0},    // another type
                {L"TITLE", L"5", false, 0}},  // not defined
               asTable(&CBruker::GetInteger));
    checkTable("GetDouble",
               {{L"$ML1", L"2602987.3759832", true, 2602987.3759832},
                {L"$ML3", L"-0.0172577826409568", true, -0.0172577826409568},
                {L"$DW", L".5", true, 0.5},
                {L"$DW", L"1.5e3x", true, 1500},
                {L"$DW", L"0x10", true, 0},
                {L"$DW", L"abc", false, 0},
                {L"$DW", L"inf", false, 0},
                {L"$DW", L"nan", false, 0},
                {L"$DW", L"1e999", false, 0},
                {L"$NC", L"1.5", false, 0}},
               asTable(&CBruker::GetDouble));
    checkTable("GetBinaryFlag",
               {{L"$BYTORDA", L"0", true, 0},
                {L"$BYTORDP", L"1", true, 1},
                {L"$BYTORDA", L"2", false, 0},
                {L"$BYTORDA", L"01", false, 0},
                {L"$BYTORDA", L"yes", false, 0}},
               asTable(&CBruker::GetBinaryFlag));
    checkTable("GetCalibrationMethod",
               {{L"$Calmet", L"0", true, 0},
                {L"$Calmet", L"3", true, 3},
                {L"$Calmet", L"4", false, 0},
                {L"$Calmet", L"-1", false, 0},
                {L"$Calmet", L"1.5", false, 0},
                {L"$Calmet", L"x", false, 0}},
               asTable(&CBruker::GetCalibrationMethod));
    checkTable("GetYesNo",
               {{L"$TILT", L"yes", true, 1}, {L"$TILT", L"no", true, 0}, {L"$TILT", L"Yes", false, 0},
                {L"$TILT", L"1", false, 0}},
               asTable(&CBruker::GetYesNo));
    checkTable("GetDetectionMode",
               {{L"$DM", L"1", true, 1}, {L"$DM", L"0", true, 0}, {L"$DM", L"2", false, 0}, {L"$DM", L"", false, 0}},
               asTable(&CBruker::GetDetectionMode));
}

TEST(XmassDictionary, TextGetterEmptiesItsOutputOnFailure)
{
    CBruker b;
    std::wstring text = L"stale";
    EXPECT_FALSE(b.GetString(L"$TI", text));
    EXPECT_EQ(text, L"");
    text = L"stale";
    EXPECT_FALSE(b.GetString(L"$NC", text));  // not a text parameter
    EXPECT_EQ(text, L"");
    b.SetValue(L"$TI", L"calibrants");
    EXPECT_TRUE(b.GetString(L"$TI", text));
    EXPECT_EQ(text, L"calibrants");
}

CBruker readText(const std::string& text)
{
    Tree tree("params");
    tree.File("acqus", text);
    CBruker b;
    EXPECT_TRUE(ReadParameterFile(tree.WPath("acqus"), b));
    return b;
}

std::wstring value(const CBruker& b, const wchar_t* name)
{
    const CBruker::Definition* d = b.Find(name);
    return d ? d->value : L"<undefined>";
}

TEST(XmassParameterFile, PrecursorLine)
{
    struct Case {
        const char* label;
        std::string text;
        std::wstring pi;
        std::wstring nc;
    } cases[] = {
        {"placeholder line", "##$PI= (0..3)\r\n100 100 100 100\r\n##$NC= 1\r\n", L"", L"1"},
        {"placeholder with blanks", "##$PI=\n  100 100 100 100  \n##$NC= 1\n", L"", L"1"},
        {"one precursor", "##$PI= (0..3)\r\n 512.3 100 100 100 \r\n##$NC= 1\r\n", L"512.3 100 100 100", L"1"},
        {"no next line", "##$NC= 1\n##$PI= 512.3", L"", L"1"},
        // The rule is for "$PI" alone: the line after "$PIEDLY" is a
        // parameter of its own.
        {"name beginning with $PI", "##$PIEDLY= 40 \r\n##$NC= 2 \r\n", L"", L"2"},
        {"next line is taken whole", "##$PI= x\n##$NC= 3\n", L"", L""},
    };
    for (const Case& c : cases) {
        const CBruker b = readText(c.text);
        EXPECT_EQ(value(b, L"$PI"), c.pi) << c.label;
        EXPECT_EQ(value(b, L"$NC"), c.nc) << c.label;
    }
}

TEST(XmassParameterFile, LinesOfRealFilesArraysAndOverwriting)
{
    const CBruker b = readText(
        "##TITLE=  XMASS Parameter file\r\n"
        "##$Aoffs= (0..5) \r\n"
        "0 0 0 0 0 0 \r\n"
        "##$NC= 5 \r\n"
        "##$NC=  \r\n"          // an empty value changes nothing
        "##$SI= (0..1)\r\n"     // a defined name holding an array header
        "##$SI= 80478\r\n"      // ... overwritten
        "##$nc= 9\r\n"          // names are case-sensitive
        "$$ comment ##$TD= 1\r\n"
        "##$AQ_DATE= <2009-10-21 12:51:09> \r\n"
        "##$CMT1= <> \r\n");
    EXPECT_EQ(value(b, L"$NC"), L"5");
    EXPECT_EQ(value(b, L"$SI"), L"80478");
    EXPECT_EQ(value(b, L"$TD"), L"");
    EXPECT_EQ(value(b, L"$AQ_DATE"), L"2009-10-21 12:51:09");
    EXPECT_EQ(value(b, L"$CMT1"), L"");
}

TEST(XmassParameterFile, LongLinesAndZeroBytes)
{
    // The tail of a line beyond 1023 bytes is dropped, never read as a
    // line of its own.
    std::string longLine = "##$TI= " + std::string(1016, 'a') + "##$SI= 9";
    ASSERT_EQ(longLine.size(), kBrukerMaxLine + 8);
    using namespace std::string_literals;
    const CBruker b = readText(longLine + "\n##$NC= 4\0garbage\n##$TD= 7\0\n"s);
    EXPECT_EQ(value(b, L"$TI"), std::wstring(1016, L'a'));
    EXPECT_EQ(value(b, L"$SI"), L"");
    EXPECT_EQ(value(b, L"$NC"), L"4");
    EXPECT_EQ(value(b, L"$TD"), L"7");
}

TEST(XmassParameterFile, OnlyRegularFilesAreRead)
{
    Tree tree("params");
    CBruker b;
    EXPECT_FALSE(ReadParameterFile(tree.WPath("missing"), b));
    tree.Folder("acqus");
    EXPECT_FALSE(ReadParameterFile(tree.WPath("acqus"), b));
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ReadParameterFile(tree.WPath("fifo"), b));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    tree.File("empty", "");
    EXPECT_TRUE(ReadParameterFile(tree.WPath("empty"), b));
}

TEST(XmassParameterFile, PairReadsTheSecondOverTheFirst)
{
    Tree tree("pair");
    tree.Params("acqu", {{"$NC", "1"}, {"$TD", "10"}});
    tree.Params("acqus", {{"$NC", "2"}});
    CBruker b;
    bool first = false;
    EXPECT_TRUE(ReadParameterPair(tree.WPath("acqu"), b, &first));
    EXPECT_TRUE(first);
    EXPECT_EQ(value(b, L"$NC"), L"2");
    EXPECT_EQ(value(b, L"$TD"), L"10");
}

TEST(XmassParameterFile, PairWithOneFileMissing)
{
    Tree tree("pair");
    tree.Params("acqus", {{"$NC", "2"}});  // no acqu: nothing is read
    CBruker b;
    bool first = true;
    EXPECT_FALSE(ReadParameterPair(tree.WPath("acqu"), b, &first));
    EXPECT_FALSE(first);
    EXPECT_EQ(value(b, L"$NC"), L"");

    Tree older("older");
    older.Params("acqu", {{"$NC", "1"}});  // no acqus: the first is read, the pair fails
    EXPECT_FALSE(ReadParameterPair(older.WPath("acqu"), b, &first));
    EXPECT_TRUE(first);
    EXPECT_EQ(value(b, L"$NC"), L"1");
}

TEST(XmassParameterFile, PairFoundWithoutRegardToCase)
{
    Tree tree("pair");
    tree.Params("ACQU", {{"$NC", "1"}});
    tree.Params("Acqus", {{"$NC", "2"}});
    CBruker b;
    EXPECT_TRUE(ReadParameterPair(tree.WPath("acqu"), b));
    EXPECT_EQ(value(b, L"$NC"), L"2");
}

}  // namespace
