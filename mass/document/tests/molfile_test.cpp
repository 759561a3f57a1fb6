// The molfile writer: layout, property lines, rescaling, the clock and
// inconsistent records.
#include "kstest.h"
#include "molfile.h"
#include "moltest.h"
#include "tmolecule.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

using ionvale::test::AtomSpec;
using ionvale::test::makeMolecule;

namespace {

const QDateTime kStamp(QDate(2003, 1, 2), QTime(14, 5, 59));

// The lines of a molfile, each checked to end in CR LF.
std::vector<std::string> linesOf(const QByteArray& text)
{
    std::vector<std::string> lines;
    const std::string s = text.toStdString();
    size_t start = 0;
    while (start < s.size()) {
        const size_t end = s.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF at the end: " << s.substr(start);
            break;
        }
        const std::string line = s.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a bare CR or LF in " << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

// The property lines (after the atom and bond blocks).
std::vector<std::string> propertyLines(const TMolecule& m)
{
    const std::vector<std::string> all = linesOf(writeMolfile(m, kStamp));
    const size_t first = 4 + size_t(m.atoms.size()) + size_t(m.bonds.size());
    return first <= all.size() ? std::vector<std::string>(all.begin() + first, all.end()) : all;
}

// `n` carbon atoms numbered from `firstNumber`, each with the charge and
// isotope given.
TMolecule chain(int n, int firstNumber, int32_t charge, int32_t isotope = 0)
{
    TMolecule m;
    for (int i = 0; i < n; ++i) {
        TAtom a;
        a.setElement("C");
        a.charge = charge;
        a.isotope = isotope;
        a.properties.insert("Number", firstNumber + i);
        m.addAtom(a);
    }
    return m;
}

class MolfileClock : public ::testing::Test {
protected:
    void TearDown() override { setMolfileClock(nullptr); }
};

}  // namespace

TEST(Molfile, GoldenFileBytes)
{
    const TMolecule m = makeMolecule(
        {
            {"C", -1, 0, 13, 0, 0, 0},
            {"O", -1, -1, 0, 1.2, 0.5, 0},
            {"N", 4, +1, 0, -1.5, 0.75, 0},
            {"C", -1, 0, 0, -2.0, -1.25, 0.5, "R1"},
        },
        {{0, 1, 1}, {0, 2, 2}, {2, 3, 1, 1}});
    const std::string golden = ks::test::readFile(std::string(KS_SOURCE_DIR) + "/data/charged_label.mol");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(writeMolfile(m, kStamp).toStdString(), golden);
}

TEST(Molfile, OneCarbonGivesSixLines)
{
    const TMolecule m = makeMolecule({{"C", 4}});
    const std::vector<std::string> expected = {
        "",
        "  Lumvo   01020314052D",
        "",
        "  1  0  0  0  0  0  0  0  0  0999 V2000",
        "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0",
        "M  END",
    };
    EXPECT_EQ(linesOf(writeMolfile(m, kStamp)), expected);
}

TEST(Molfile, ColumnLayoutOfAtomAndBondLines)
{
    const TMolecule m = makeMolecule({{"Cl", 1, 0, 0, 1.23456, -0.5, 2}, {"Uuu", 7}, {"*"}},
                                     {{0, 1, 3, 6}, {1, 2, 2}});
    const std::vector<std::string> lines = linesOf(writeMolfile(m, kStamp));
    ASSERT_EQ(lines.size(), 10u);
    const std::string& atom = lines[4];
    ASSERT_EQ(atom.size(), 69u);
    EXPECT_EQ(atom.substr(0, 10), "   61.7280");
    EXPECT_EQ(atom.substr(10, 10), "  -25.0000");
    EXPECT_EQ(atom.substr(20, 10), "  100.0000");
    EXPECT_EQ(atom.substr(30, 1), " ");
    EXPECT_EQ(atom.substr(31, 3), "Cl ");
    EXPECT_EQ(atom.substr(34, 2), " 0");
    EXPECT_EQ(lines[5].substr(31, 3), "Uuu");
    EXPECT_EQ(lines[5].substr(48, 3), "  7");  // no standard valence: written
    EXPECT_EQ(lines[6].substr(31, 3), "*  ");  // the pseudo-element itself
    EXPECT_EQ(lines[7], "  1  2  3  6  0  0  0");
    EXPECT_EQ(lines[8].size(), 21u);
}

TEST(Molfile, ValenceField)
{
    struct Case {
        const char* symbol;
        int32_t valence;
        const char* field;
    } cases[] = {
        {"N", 5, "  0"}, {"N", 3, "  0"}, {"N", 4, "  4"}, {"N", -1, "  0"}, {"C", 3, "  3"},
        {"Na", 0, "  0"}, {"Na", 1, "  1"}, {"S", 6, "  0"}, {"S", 12, " 12"}, {nullptr, 0, "  0"},
        {nullptr, 2, "  2"}, {"Xx", 1, "  1"},
    };
    for (const Case& c : cases) {
        const TMolecule m = makeMolecule({AtomSpec{c.symbol, c.valence}});
        const std::vector<std::string> lines = linesOf(writeMolfile(m, kStamp));
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[4].substr(48, 3), c.field) << (c.symbol ? c.symbol : "(none)") << " " << c.valence;
    }
}

TEST(Molfile, CoordinatesRescaleToTheLargestAbsoluteValue)
{
    const TMolecule m = makeMolecule({{"C", -1, 0, 0, -2.5, 1.25, 0}, {"O", -1, 0, 0, 0.5, -1, 2}});
    const std::vector<std::string> lines = linesOf(writeMolfile(m, kStamp));
    EXPECT_EQ(lines[4].substr(0, 30), " -100.0000   50.0000    0.0000");
    EXPECT_EQ(lines[5].substr(0, 30), "   20.0000  -40.0000   80.0000");
}

TEST(Molfile, ChargeEntriesEightPerLine)
{
    EXPECT_EQ(propertyLines(chain(1, 3, -1)), (std::vector<std::string>{"M  CHG  1   3  -1", "M  END"}));
    EXPECT_EQ(propertyLines(chain(8, 1, 2)),
              (std::vector<std::string>{"M  CHG  8   1   2   2   2   3   2   4   2   5   2   6   2   7   2   8   2",
                                        "M  END"}));
    EXPECT_EQ(propertyLines(chain(9, 1, -3)),
              (std::vector<std::string>{
                  "M  CHG  8   1  -3   2  -3   3  -3   4  -3   5  -3   6  -3   7  -3   8  -3",
                  "M  CHG  1   9  -3",
                  "M  END"}));
    EXPECT_EQ(propertyLines(chain(17, 1, 1)).size(), 4u);  // 8, 8, 1 and END
    EXPECT_EQ(propertyLines(chain(3, 1, 0)), std::vector<std::string>{"M  END"});
}

// Atom numbers of four characters make entries of nine: each line still
// holds eight whole entries.
TEST(Molfile, WideEntriesStayWholeAndGroupByEight)
{
    EXPECT_EQ(propertyLines(chain(9, 1000, 1)),
              (std::vector<std::string>{
                  "M  CHG  8 1000   1 1001   1 1002   1 1003   1 1004   1 1005   1 1006   1 1007   1",
                  "M  CHG  1 1008   1",
                  "M  END"}));
    // Wide values likewise.
    EXPECT_EQ(propertyLines(chain(2, 1, 0, 1234)),
              (std::vector<std::string>{"M  ISO  2   1 1234   2 1234", "M  END"}));
}

TEST(Molfile, LabelLinesComeBeforeChargesAndIsotopesAfter)
{
    TMolecule m = makeMolecule({{"C", 4, 0, 13}, {"C", 4, 0, 0, 0, 0, 0, "R1"}, {"O", 2, -1, 18, 0, 0, 0, "OMe"}});
    EXPECT_EQ(propertyLines(m), (std::vector<std::string>{"A    2", "R1", "A    3", "OMe", "M  CHG  1   3  -1",
                                                          "M  ISO  2   1  13   3  18", "M  END"}));
}

TEST(Molfile, AtomNumbersComeFromTheNumberProperty)
{
    TMolecule m = makeMolecule({{"C"}, {"C"}, {"C"}, {"C"}}, {{0, 1}, {1, 2}, {2, 3}});
    m.atoms[0].properties["Number"] = 12.0;
    m.atoms[1].properties["Number"] = QByteArray("x7");
    m.atoms[2].properties.remove("Number");
    m.atoms[3].properties["Number"] = QStringLiteral("40");
    for (TAtom& a : m.atoms)
        a.charge = 1;
    const std::vector<std::string> lines = linesOf(writeMolfile(m, kStamp));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[8], " 12 x7  1  0  0  0  0");
    EXPECT_EQ(lines[9], " x7     1  0  0  0  0");
    EXPECT_EQ(lines[10], "    40  1  0  0  0  0");
    EXPECT_EQ(lines[11], "M  CHG  4  12   1  x7   1       1  40   1");
}

TEST(Molfile, InconsistentRecords)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    TMolecule m = makeMolecule({{"C", 4, 0, 0, nan, 2, -inf}, {nullptr, 3, 0, 0, 1, -1, 0}, {"Zz", 2}});
    TBond outside;
    outside.first = 0;
    outside.second = 7;
    m.addBond(outside);
    outside.first = -1;
    outside.second = 1;
    outside.type = 2;
    m.addBond(outside);
    const std::vector<std::string> lines = linesOf(writeMolfile(m, kStamp));
    ASSERT_EQ(lines.size(), 10u);
    // Non-finite coordinates are 0 and do not set the scale (2).
    EXPECT_EQ(lines[4].substr(0, 34), "    0.0000  100.0000    0.0000 C  ");
    EXPECT_EQ(lines[5].substr(0, 34), "   50.0000  -50.0000    0.0000    ");
    EXPECT_EQ(lines[6].substr(31, 3), "*  ");
    EXPECT_EQ(lines[7], "  1     1  0  0  0  0");
    EXPECT_EQ(lines[8], "     2  2  0  0  0  0");
    for (int i = 4; i <= 6; ++i)
        EXPECT_EQ(lines[i].size(), 69u) << lines[i];
}

TEST(Molfile, MoreThan999AtomsWidenTheCountsLine)
{
    TMolecule m = chain(1000, 1, 0);
    for (int i = 0; i + 1 < 1000; ++i) {
        TBond b;
        b.first = i;
        b.second = i + 1;
        m.addBond(b);
    }
    const std::vector<std::string> lines = linesOf(writeMolfile(m, kStamp));
    ASSERT_EQ(lines.size(), 4u + 1000u + 999u + 1u);
    EXPECT_EQ(lines[3], "1000999  0  0  0  0  0  0  0  0999 V2000");
    EXPECT_EQ(lines[4 + 1000 + 998], "9991000  1  0  0  0  0");
}

// Random records, consistent or not: the writer never reads outside a
// list (the sanitizers watch) and keeps the layout wherever numbers fit.
TEST(Molfile, RandomRecordsKeepTheLayout)
{
    std::mt19937 rng(20240611);
    const char* symbols[] = {"C", "N", "O", "H", "Cl", "Na", "Xx", "", "*", "Uuo"};
    for (int round = 0; round < 200; ++round) {
        TMolecule m;
        const int atoms = int(rng() % 40);
        for (int i = 0; i < atoms; ++i) {
            TAtom a;
            const char* s = symbols[rng() % 10];
            if (*s)
                a.setElement(s);
            a.x = std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
            a.y = rng() % 17 == 0 ? std::numeric_limits<double>::quiet_NaN() : double(int(rng() % 200) - 100);
            a.z = rng() % 23 == 0 ? -std::numeric_limits<double>::infinity() : 0.0;
            a.charge = int(rng() % 7) - 3;
            a.isotope = rng() % 5 == 0 ? int(rng() % 300) : 0;
            a.valence = int(rng() % 8) - 1;
            if (rng() % 4)
                a.properties.insert("Number", i + 1);
            a.bondRefs.append(TBondRef{0, int(rng() % 50) - 5});
            m.addAtom(a);
        }
        const int bonds = int(rng() % 40);
        for (int i = 0; i < bonds; ++i) {
            TBond b;
            b.first = int(rng() % 50) - 5;
            b.second = int(rng() % 50) - 5;
            b.type = int(rng() % 6);
            m.addBond(b);
        }
        const std::vector<std::string> lines = linesOf(writeMolfile(m, kStamp));
        ASSERT_GE(lines.size(), size_t(4 + atoms + bonds + 1));
        EXPECT_EQ(lines[3].size(), 39u);
        for (int i = 0; i < atoms; ++i)
            EXPECT_EQ(lines[4 + i].size(), 69u) << lines[4 + i];
        for (int i = 0; i < bonds; ++i)
            EXPECT_EQ(lines[4 + atoms + i].size(), 21u) << lines[4 + atoms + i];
        EXPECT_EQ(lines.back(), "M  END");
        for (const std::string& l : lines)
            EXPECT_EQ(l.find("nan"), std::string::npos) << l;
        (void)m.formula();
        (void)m.molecularWeight();
    }
}

TEST_F(MolfileClock, TheClockDatesTheHeader)
{
    const TMolecule m = makeMolecule({{"C", 4}});
    setMolfileClock([] { return QDateTime(QDate(1999, 12, 31), QTime(23, 59)); });
    EXPECT_EQ(linesOf(writeMolfile(m))[1], "  Lumvo   12319923592D");
    EXPECT_EQ(linesOf(m.molfile(false).toLatin1())[1], "  Lumvo   12319923592D");
    // An explicit time wins over the clock.
    EXPECT_EQ(linesOf(writeMolfile(m, kStamp))[1], "  Lumvo   01020314052D");

    setMolfileClock(nullptr);
    const QDateTime before = QDateTime::currentDateTime();
    const std::string line = linesOf(writeMolfile(m))[1];
    const QDateTime after = QDateTime::currentDateTime();
    const QString stamped = QString::fromStdString(line.substr(10, 10));
    EXPECT_TRUE(stamped == QLocale::c().toString(before, "MMddyyhhmm") ||
                stamped == QLocale::c().toString(after, "MMddyyhhmm"))
        << line;
}

TEST_F(MolfileClock, CachedTextIsPreferredWhenAskedFor)
{
    setMolfileClock([] { return kStamp; });
    TMolecule m = makeMolecule({{"C", 4}});
    EXPECT_EQ(m.molfile(true), QString::fromLatin1(writeMolfile(m, kStamp)));
    m.cachedMolfile = QStringLiteral("stored\r\n");
    EXPECT_EQ(m.molfile(), QStringLiteral("stored\r\n"));
    EXPECT_EQ(m.molfile(true), QStringLiteral("stored\r\n"));
    EXPECT_TRUE(m.molfile(false).endsWith(QStringLiteral("M  END\r\n")));
}

TEST(Molfile, TextIsLatin1)
{
    TMolecule m = makeMolecule({{"C", 4, 0, 0, 0, 0, 0, ""}});
    m.atoms[0].label = QString::fromUtf8("R\xc3\xa9\xe2\x82\xac");  // é (Latin-1) and € (not)
    const QByteArray text = writeMolfile(m, kStamp);
    EXPECT_NE(text.indexOf(QByteArray("R\xe9?\r\n")), -1);
}

TEST(Molfile, PadHelpers)
{
    EXPECT_EQ(padLeft("7", 3), QStringLiteral("  7"));
    EXPECT_EQ(padLeft("1234", 3), QStringLiteral("1234"));
    EXPECT_EQ(padLeft("", 3, QLatin1Char('0')), QStringLiteral("000"));
    EXPECT_EQ(padRight("C", 3), QStringLiteral("C  "));
    EXPECT_EQ(padRight("Uuo", 3), QStringLiteral("Uuo"));
    EXPECT_EQ(padRight("Abcd", 3), QStringLiteral("Abcd"));
}
