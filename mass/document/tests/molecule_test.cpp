// The molecule record: implicit hydrogens, formula, weight, lookups and
// the periodic table.
#include "moltest.h"
#include "kstest.h"
#include "tmolecule.h"
#include "tperiodictable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

using ionvale::test::makeMolecule;

namespace {

const double kC = 12.0107, kH = 1.0079, kO = 15.9994, kN = 14.0067, kCl = 35.453, kNa = 22.9897, kBr = 79.904;

struct FormulaCase {
    const char* name;
    TMolecule molecule;
    const char* formula;
    double weight;
};

}  // namespace

TEST(MoleculeFormula, FormulaAndWeight)
{
    const FormulaCase cases[] = {
        {"ethanol, heavy atoms only", makeMolecule({{"C", 4}, {"C", 4}, {"O", 2}}, {{0, 1}, {1, 2}}), "C2H6O",
         2 * kC + kO + 6 * kH},
        {"methane", makeMolecule({{"C", 4}}), "CH4", kC + 4 * kH},
        {"water", makeMolecule({{"O", 2}}), "H2O", kO + 2 * kH},
        {"water with explicit hydrogens", makeMolecule({{"H", 1}, {"O", 2}, {"H", 1}}, {{0, 1}, {1, 2}}), "H2O",
         kO + 2 * kH},
        // Sodium has no standard valence and an unknown one: no hydrogens.
        {"sodium chloride", makeMolecule({{"Na"}, {"Cl", 1}}, {{0, 1}}), "ClNa", kCl + kNa},
        {"hydrogen chloride", makeMolecule({{"Cl", 1}}), "HCl", kCl + kH},
        {"hydrogen chloride, explicit", makeMolecule({{"H", 1}, {"Cl", 1}}, {{0, 1}}), "HCl", kCl + kH},
        // By character code: Br, C, Cl, N, O; carbon and hydrogen first.
        {"sorted by code", makeMolecule({{"O", 2}, {"N", 3}, {"Cl", 1}, {"C", 4}, {"Br", 1}}, {{3, 0}, {3, 1}, {3, 2}, {3, 4}}),
         "CH3BrClNO", kC + kO + kN + kCl + kBr + 3 * kH},
        // A double bond takes two; acetonitrile's triple bond three.
        {"ethene", makeMolecule({{"C", 4}, {"C", 4}}, {{0, 1, 2}}), "C2H4", 2 * kC + 4 * kH},
        {"acetonitrile", makeMolecule({{"C", 4}, {"C", 4}, {"N", 3}}, {{0, 1}, {1, 2, 3}}), "C2H3N",
         2 * kC + kN + 3 * kH},
        {"no hydrogens at all", makeMolecule({{"C", 4}, {"O", 2}, {"O", 2}}, {{0, 1, 2}, {0, 2, 2}}), "CO2",
         kC + 2 * kO},
        {"empty molecule", TMolecule(), "", 0},
    };
    for (const FormulaCase& c : cases) {
        EXPECT_EQ(c.molecule.formula().toStdString(), c.formula) << c.name;
        EXPECT_NEAR(c.molecule.molecularWeight(), c.weight, 1e-9) << c.name;
    }
}

TEST(MoleculeFormula, EthanolWeightIsTheSumOfTheTableMasses)
{
    const TMolecule ethanol = makeMolecule({{"C", 4}, {"C", 4}, {"O", 2}}, {{0, 1}, {1, 2}});
    EXPECT_EQ(ethanol.molecularWeight(), 2 * 12.0107 + 15.9994 + 6 * 1.0079);
    EXPECT_EQ(ethanol.symbolCount("H"), 6);
    EXPECT_EQ(ethanol.symbolCount("C"), 2);
    EXPECT_EQ(ethanol.symbolCount("N"), 0);
}

TEST(MoleculeHydrogens, ImplicitHydrogenCount)
{
    struct Case {
        const char* name;
        TMolecule molecule;
        int atom;
        int32_t count;
    } cases[] = {
        {"ammonium nitrogen", makeMolecule({{"N", 3, +1}, {"C", 4}, {"C", 4}, {"C", 4}, {"C", 4}},
                                           {{0, 1}, {0, 2}, {0, 3}, {0, 4}}),
         0, 0},
        {"carbanion", makeMolecule({{"C", 4, -1}, {"C", 4}, {"C", 4}, {"C", 4}}, {{0, 1}, {0, 2}, {0, 3}}), 0, 0},
        {"carbocation", makeMolecule({{"C", 4, +1}, {"C", 4}, {"C", 4}}, {{0, 1}, {0, 2}}), 0, 1},
        {"hydronium oxygen", makeMolecule({{"O", 2, +1}}), 0, 3},
        {"hydroxide oxygen", makeMolecule({{"O", 2, -1}}), 0, 1},
        // Five bonds on a carbon of valence 4: clamped, not -1.
        {"over-bonded carbon", makeMolecule({{"C", 4}, {"C", 4}, {"C", 4}, {"C", 4}, {"C", 4}, {"C", 4}},
                                            {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}}),
         0, 0},
        {"over-bonded after a negative charge", makeMolecule({{"N", 3, -2}, {"C", 4}}, {{0, 1, 2}}), 0, 0},
        {"type 4 counts as triple", makeMolecule({{"C", 4}, {"C", 4}}, {{0, 1, 4}}), 0, 1},
        {"other types take nothing", makeMolecule({{"C", 4}, {"C", 4}}, {{0, 1, 8}}), 0, 4},
        {"unknown valence", makeMolecule({{"C"}}), 0, -1},
        {"no element", makeMolecule({{nullptr, 4}}), 0, -1},
        {"no such atom", makeMolecule({{"C", 4}}), 1, -1},
        {"negative index", makeMolecule({{"C", 4}}), -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.molecule.implicitHydrogenCount(c.atom), c.count) << c.name;
}

TEST(MoleculeHydrogens, CountIsCachedInTheAtom)
{
    const TMolecule m = makeMolecule({{"C", 4}, {"O", 2}}, {{0, 1}});
    EXPECT_EQ(m.atoms[0].implicitHydrogens, -1);
    EXPECT_EQ(m.implicitHydrogenCount(0), 3);
    EXPECT_EQ(m.atoms[0].implicitHydrogens, 3);
    // A bond added later resets the cache of both atoms.
    TMolecule changed = m;
    changed.addAtom(TAtom());
    TBond b;
    b.first = 0;
    b.second = 2;
    changed.addBond(b);
    EXPECT_EQ(changed.atoms[0].implicitHydrogens, -1);
    EXPECT_EQ(changed.implicitHydrogenCount(0), 2);
    EXPECT_EQ(m.implicitHydrogenCount(0), 3);  // the original is a value of its own
}

TEST(MoleculeBadInput, InconsistentRecordsReadNothingOutside)
{
    TMolecule m = makeMolecule({{"C", 4}, {nullptr, 2}, {"Xx", 3}});
    // A bond to atoms that do not exist adds no references; a reference
    // to a bond that does not exist takes nothing.
    TBond wild;
    wild.first = -5;
    wild.second = 99;
    m.addBond(wild);
    m.atoms[0].bondRefs.append(TBondRef{0, 42});
    m.atoms[0].bondRefs.append(TBondRef{0, -1});
    m.atoms[0].implicitHydrogens = -1;

    EXPECT_EQ(m.atomAt(-1), nullptr);
    EXPECT_EQ(m.atomAt(3), nullptr);
    EXPECT_EQ(m.bondAt(-1), nullptr);
    EXPECT_EQ(m.bondAt(1), nullptr);
    ASSERT_NE(m.atomAt(2), nullptr);
    ASSERT_NE(m.bondAt(0), nullptr);

    EXPECT_EQ(m.implicitHydrogenCount(0), 4);
    EXPECT_EQ(m.atoms[1].symbol(), QString());  // no element
    EXPECT_EQ(m.implicitHydrogenCount(1), -1);
    EXPECT_EQ(m.atoms[2].symbol(), QStringLiteral("?"));  // the default record
    EXPECT_EQ(m.implicitHydrogenCount(2), 3);
    // The atom without an element is not part of the formula or weight.
    EXPECT_EQ(m.formula(), QStringLiteral("CH7?"));
    EXPECT_DOUBLE_EQ(m.molecularWeight(), kC + 7 * kH);
}

TEST(MoleculeBadInput, ExtremeCountsAndChargesDoNotOverflow)
{
    TMolecule m = makeMolecule({{"N", std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()},
                                {"C", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()},
                                {"O", std::numeric_limits<int32_t>::max()}});
    EXPECT_EQ(m.implicitHydrogenCount(0), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(m.implicitHydrogenCount(1), 0);
    EXPECT_EQ(m.symbolCount("H"), std::numeric_limits<int32_t>::max());
}

TEST(MoleculeCoordinates, LargestCoordinate)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        TMolecule molecule;
        double largest;
    } cases[] = {
        {"all at the origin", makeMolecule({{"C"}, {"O"}}), 1.0},
        {"no atoms", TMolecule(), 1.0},
        {"negative largest", makeMolecule({{"C", -1, 0, 0, 1.0, -2.5, 0.5}, {"O", -1, 0, 0, 2.0, 0, -1}}), 2.5},
        {"z counts", makeMolecule({{"C", -1, 0, 0, 0.1, 0.2, 7}}), 7},
        {"non-finite left out", makeMolecule({{"C", -1, 0, 0, nan, 3, inf}, {"O", -1, 0, 0, -inf, 0, 0}}), 3},
        {"only non-finite", makeMolecule({{"C", -1, 0, 0, nan, nan, nan}}), 1.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.molecule.largestCoordinate(), c.largest) << c.name;

    TAtom a;
    a.x = -2.5;
    a.y = nan;
    a.z = std::numeric_limits<double>::max();
    const auto s = TMolecule::scaledCoordinates(a, std::numeric_limits<double>::max());
    EXPECT_EQ(s[0], -2.5 * 100 / std::numeric_limits<double>::max());
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[2], 100);
}

TEST(PeriodicTable, LookupBySymbol)
{
    const TPeriodicTable* table = TPeriodicTable::instance();
    EXPECT_EQ(table, TSingleton<TPeriodicTable>::instance());
    for (const char* missing : {"Xx", "cl", "", "c", "CL", " C", "?"}) {
        const TElement& e = table->lookup(QString::fromLatin1(missing));
        EXPECT_TRUE(table->isDefault(e)) << missing;
        EXPECT_EQ(e.atomicNumber, 0);
        EXPECT_STREQ(e.symbol, "?");
        EXPECT_STREQ(e.name, "?");
        EXPECT_EQ(e.mass, 0);
        EXPECT_EQ(e.valenceList(), QList<int32_t>{0});
    }
    EXPECT_EQ(table->lookup("Cl").atomicNumber, 17);
    EXPECT_EQ(table->lookup("*").atomicNumber, 121);
    EXPECT_EQ(table->lookup("N").valenceList(), (QList<int32_t>{3, 5}));
    EXPECT_EQ(table->lookup("I").valenceList(), (QList<int32_t>{1, 3, 5, 7}));
    EXPECT_EQ(table->lookup("Na").valenceList(), QList<int32_t>{0});
    EXPECT_EQ(table->lookup("He").valenceList(), QList<int32_t>{0});
    EXPECT_TRUE(table->isDefault(table->row(-1)));
    EXPECT_TRUE(table->isDefault(table->row(124)));
    TAtom none;
    EXPECT_EQ(none.valenceList(), QList<int32_t>{0});
}

// The whole table against an independent transcription (number, symbol,
// mass, valences per row).
TEST(PeriodicTable, RowsMatchTheCommittedTable)
{
    std::ifstream in(std::string(KS_SOURCE_DIR) + "/data/periodic_table.tsv");
    ASSERT_TRUE(in) << "missing data/periodic_table.tsv";
    const TPeriodicTable* table = TPeriodicTable::instance();
    ASSERT_EQ(table->rowCount(), 124);
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string number, symbol, mass, valences;
        std::getline(fields, number, '\t');
        std::getline(fields, symbol, '\t');
        std::getline(fields, mass, '\t');
        std::getline(fields, valences, '\t');
        const TElement& e = table->row(rows);
        EXPECT_EQ(e.atomicNumber, std::stoi(number)) << line;
        EXPECT_EQ(e.symbol, symbol) << line;
        EXPECT_EQ(e.mass, std::strtod(mass.c_str(), nullptr)) << line;
        EXPECT_EQ(e.valences, valences) << line;
        EXPECT_NE(std::string(e.name), "") << line;
        // Symbols are unique: the lookup finds this row.
        EXPECT_EQ(&table->lookup(QString::fromStdString(symbol)), &e) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 124);
}
