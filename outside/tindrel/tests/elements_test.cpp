// The element table (the committed file, missing files and every kind of
// bad line) and formulas (parsing, Hill order, masses, DBE, electrons).
#include <cmath>
#include <cstring>

#include "analysistest.h"

namespace analysistest {
namespace {

TEST(TindrelElements, CommittedTableHoldsThePublishedIsotopes)
{
    const TKSElementTable table = elementTable();
    for (const char* symbol : {"H", "D", "B", "C", "N", "O", "F", "Na", "Si", "P", "S", "Cl", "K", "Br", "I"})
        EXPECT_GE(table.indexOf(std::wstring(symbol, symbol + std::strlen(symbol))), 0) << symbol;
    const int c = table.indexOf(L"C");
    EXPECT_EQ(table.getAtomicNumber(c), 6);
    EXPECT_EQ(table.getValence(c), 4);
    EXPECT_EQ(table.getMonoisotopicMass(c), 12.0);
    EXPECT_NEAR(table.getAverageMass(c), 12.0107, 1e-4);  // the standard atomic weight
    ASSERT_EQ(table.getIsotopeCount(c), 2);
    EXPECT_DOUBLE_EQ(table.getIsotopeMass(c, 1), 13.00335483507);
    EXPECT_DOUBLE_EQ(table.getIsotopeAbundance(c, 1), 1.07);
    // The monoisotopic mass is the most abundant isotope's: boron 11.
    EXPECT_DOUBLE_EQ(table.getMonoisotopicMass(table.indexOf(L"B")), 11.00930536);
    EXPECT_NEAR(table.getAverageMass(table.indexOf(L"Cl")), 35.453, 2e-3);
    EXPECT_NEAR(table.getAverageMass(table.indexOf(L"Br")), 79.904, 2e-3);
    // Outside the table.
    EXPECT_EQ(table.indexOf(L"c"), -1);
    EXPECT_EQ(table.indexOf(L"Xx"), -1);
    EXPECT_EQ(table.getSymbol(-1), L"");
    EXPECT_EQ(table.getIsotopeMass(c, 2), 0);
}

TEST(TindrelElements, MissingFileAndEveryBadLineLeaveTheTableEmpty)
{
    const std::string good = "[H]\nnumber=1\nvalence=1\nisotopes=1.00782503223:99.9885,2.01410177812:0.0115\n";
    struct Case {
        const char* name;
        std::string text;
        const char* error;  // start of the reason
    };
    const Case cases[] = {
        {"empty file", "", "no element in the table"},
        {"comments only", "; nothing\n# here\n", "no element in the table"},
        {"key outside a section", "number=1\n" + good, "line 1: key number outside"},
        {"text line", good + "[C]\nnumber=6\nvalence=4\nhello\n", "line 8: not a section"},
        {"bad section", good + "[c]\n", "line 5: bad section"},
        {"unclosed section", good + "[C\n", "line 5: bad section"},
        {"section listed twice", good + good, "line 5: element H listed twice"},
        {"key twice", "[H]\nnumber=1\nnumber=1\n", "line 3: key number given twice"},
        {"unknown key", "[H]\nnumber=1\ncolour=red\n", "line 3: unknown key colour"},
        {"number not a number", "[H]\nnumber=one\nvalence=1\nisotopes=1:100\n", "line 2: bad number"},
        {"number out of range", "[H]\nnumber=119\nvalence=1\nisotopes=1:100\n", "line 2: bad number"},
        {"negative valence", "[H]\nnumber=1\nvalence=-1\nisotopes=1:100\n", "line 3: bad valence"},
        {"isotope without abundance", "[H]\nnumber=1\nvalence=1\nisotopes=1.0078\n", "line 4: bad isotopes"},
        {"abundances not 100", "[H]\nnumber=1\nvalence=1\nisotopes=1.0078:99,2.0141:0.0115\n", "line 4: bad isotopes"},
        {"masses descending", "[H]\nnumber=1\nvalence=1\nisotopes=2.0141:0.0115,1.0078:99.9885\n",
         "line 4: bad isotopes"},
        {"zero abundance", "[H]\nnumber=1\nvalence=1\nisotopes=1.0078:100,2.0141:0\n", "line 4: bad isotopes"},
        {"not a number mass", "[H]\nnumber=1\nvalence=1\nisotopes=nan:100\n", "line 4: bad isotopes"},
        {"comma decimal", "[H]\nnumber=1\nvalence=1\nisotopes=1,0078:100\n", "line 4: bad isotopes"},
        {"missing key", "[H]\nnumber=1\nisotopes=1.0078:100\n", "line 1: element H has no valence"},
        {"last section incomplete", good + "[C]\nnumber=6\n", "line 5: element C has no valence"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ks::test::tempDir() + "/table.ini";
        ks::test::writeFile(path, c.text);
        TKSElementTable table = elementTable();  // a good table before
        EXPECT_FALSE(table.initialize(std::wstring(path.begin(), path.end())));
        EXPECT_TRUE(table.isEmpty());
        EXPECT_EQ(table.getCount(), 0);
        EXPECT_EQ(table.indexOf(L"H"), -1);
        EXPECT_EQ(narrow(table.getError()).rfind(c.error, 0), 0u) << narrow(table.getError());
    }
    TKSElementTable table;
    EXPECT_FALSE(table.initialize(L"/no/such/folder/KSElements.ini"));
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(narrow(table.getError()), "cannot open /no/such/folder/KSElements.ini");

    // The good text alone reads, CR LF and a byte order mark included.
    const std::string path = ks::test::tempDir() + "/table.ini";
    ks::test::writeFile(path, "\xEF\xBB\xBF; a comment\r\n" + good);
    EXPECT_TRUE(table.initialize(std::wstring(path.begin(), path.end()))) << narrow(table.getError());
    EXPECT_EQ(table.getCount(), 1);
    EXPECT_EQ(table.getError(), L"");
}

TEST(TindrelFormula, ParsesIntoHillOrderWithMassesDBEAndElectrons)
{
    const TKSElementTable table = elementTable();
    struct Case {
        const wchar_t* text;
        const wchar_t* hill;
        double mass;
        double dbe;
        long long electrons;
    };
    const Case cases[] = {
        {L"C6H12O6", L"C6H12O6", 180.063388104, 1, 96},
        {L"O6H12C6", L"C6H12O6", 180.063388104, 1, 96},
        {L"CH3CH2OH", L"C2H6O", 46.041864812, 0, 26},
        {L"(CH3)3N", L"C3H9N", 59.073499288, 0, 34},
        {L"C8H10N4O2", L"C8H10N4O2", 194.080375584, 6, 102},
        {L"NaCl", L"ClNa", 57.958621982, 0, 28},
        {L"H2O", L"H2O", 18.010564684, 0, 10},
        {L"C2H5D", L"C2H5D", 31.053227, 0, 18},
        {L"  C2H4  ", L"C2H4", 28.0313, 1, 16},
        {L"C100H202", L"C100H202", 1403.5807, 0, 802},
        {L"C6H5(C(CH3)2)2Br", L"C12H17Br", 240.0514, 4, 124},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        TKSFormula f;
        ASSERT_TRUE(f.parse(c.text, table));
        EXPECT_EQ(f.getText(), c.hill);
        EXPECT_NEAR(f.getMonoisotopicMass(), c.mass, 2e-4);
        EXPECT_DOUBLE_EQ(f.getDoubleBondEquivalent(), c.dbe);
        EXPECT_EQ(f.getElectronCount(), c.electrons);
    }
    TKSFormula f;
    ASSERT_TRUE(f.parse(L"C6H12O6", table));
    EXPECT_EQ(f.getCount(L"O"), 6);
    EXPECT_EQ(f.getCount(L"N"), 0);
    EXPECT_EQ(f.getCount(L"Xx"), 0);
}

TEST(TindrelFormula, RefusesWhatTheTableCannotSpell)
{
    const TKSElementTable table = elementTable();
    for (const wchar_t* text : {L"", L"   ", L"Xx2", L"c6h12o6", L"C6H12O6+", L"C-1", L"C1234567", L"C100000H2",
                                L"(CH3", L"CH3)", L"()", L"C 6", L"2C", L"C6H12O6\n", L"((((((((((C))))))))))",
                                L"(C99999)2", L"Hg"}) {
        TKSFormula f;
        EXPECT_FALSE(f.parse(text, table)) << narrow(text);
        EXPECT_TRUE(f.isEmpty());
        EXPECT_EQ(f.getText(), L"");
    }
    TKSFormula f;
    EXPECT_FALSE(f.parse(L"C6H12O6", TKSElementTable()));  // no table
    EXPECT_TRUE(f.parse(L"C99999H1", table));               // at the limit
}

}  // namespace
}  // namespace analysistest
