// The V2000 reader: the real molfiles and the committed ones against
// RDKit's formulas and masses (data/molfile_masses.tsv), implicit
// hydrogens, and a table of damaged files, every cut and random damage.
#include <cmath>
#include <random>

#include "analysistest.h"

namespace analysistest {
namespace {

std::string realOrCommitted(const std::string& label)
{
    if (label.rfind("realdata/", 0) == 0)
        return ks::test::realData("molfile/rdkit/" + label.substr(9));
    return molfilePath(label);
}

TEST(TindrelMolfile, FormulasAndMassesAsRDKitGivesThem)
{
    const TKSElementTable table = elementTable();
    const auto rows = readTable(dataPath("molfile_masses.tsv"));
    ASSERT_EQ(rows.size(), 11u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        const std::string bytes = ks::test::readFile(realOrCommitted(row[0]));
        ASSERT_FALSE(bytes.empty());
        TKSMolecule m;
        ASSERT_TRUE(m.readMolfile(bytes, table)) << narrow(m.getError());
        EXPECT_EQ(narrow(m.getFormula()), row[1]);
        // RDKit's isotope masses are an older evaluation's (within 1e-6 u).
        EXPECT_NEAR(m.getMonoisotopicMass(), std::stod(row[2]), 3e-5);
        EXPECT_EQ(m.getCharge(), std::stoi(row[3]));
        EXPECT_EQ(m.getHydrogenCount(), std::stoi(row[4]));
    }
}

TEST(TindrelMolfile, RealFilesLayouts)
{
    const TKSElementTable table = elementTable();
    TKSMolecule m;
    // CR LF, a ChemDraw header, short bond lines.
    ASSERT_TRUE(m.readMolfile(ks::test::readFile(ks::test::realData("molfile/rdkit/chiral1.mol")), table));
    EXPECT_EQ(m.getName(), L"chiral1.mol");
    EXPECT_EQ(m.getAtoms().size(), 5u);
    EXPECT_EQ(m.getBonds().size(), 4u);
    EXPECT_EQ(m.getAtoms()[2].symbol, L"Br");
    EXPECT_DOUBLE_EQ(m.getAtoms()[2].x, -0.4266);
    // The "D" symbol: deuterium, an element of the table.
    ASSERT_TRUE(m.readMolfile(ks::test::readFile(ks::test::realData("molfile/rdkit/D_in_CTAB.mol")), table));
    EXPECT_EQ(m.getAtoms()[2].symbol, L"D");
    EXPECT_EQ(m.getAtoms()[2].implicitHydrogens, 0);
    EXPECT_EQ(m.getAtoms()[1].implicitHydrogens, 2);
    // Two "M  CHG" lines, explicit hydrogens.
    ASSERT_TRUE(m.readMolfile(ks::test::readFile(ks::test::realData("molfile/rdkit/MolFileChgBug.mol")), table));
    EXPECT_EQ(m.getAtoms()[24].charge, -1);
    EXPECT_EQ(m.getAtoms()[25].charge, -1);
    EXPECT_EQ(m.getCharge(), -2);
    // Blank count fields; "M  CHG" replacing the atom block's charges
    // (which agree here); B- and N+ each with three hydrogens.
    ASSERT_TRUE(m.readMolfile(ks::test::readFile(ks::test::realData("molfile/rdkit/H3BNH3.mol")), table));
    EXPECT_EQ(m.getAtoms()[0].charge, -1);
    EXPECT_EQ(m.getAtoms()[0].implicitHydrogens, 3);
    EXPECT_EQ(m.getAtoms()[1].charge, 1);
    EXPECT_EQ(m.getAtoms()[1].implicitHydrogens, 3);
    // Valence field 15: no hydrogens on sodium.
    ASSERT_TRUE(m.readMolfile(ks::test::readFile(ks::test::realData("molfile/rdkit/Na.mol")), table));
    EXPECT_EQ(m.getAtoms()[0].valence, 15);
    EXPECT_EQ(m.getHydrogenCount(), 0);
}

// A small molfile: ethanol's C, C, O and what the case adds.
std::string molfile(const std::string& counts, const std::vector<std::string>& atoms,
                    const std::vector<std::string>& bonds, const std::vector<std::string>& properties,
                    const char* eol = "\n")
{
    std::string s = std::string("name") + eol + "  test" + eol + eol + counts + eol;
    for (const std::string& a : atoms)
        s += a + eol;
    for (const std::string& b : bonds)
        s += b + eol;
    for (const std::string& p : properties)
        s += p + eol;
    return s;
}

const std::string kCounts = "  3  2  0  0  0  0  0  0  0  0999 V2000";
const std::vector<std::string> kAtoms = {
    "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0",
    "    1.2990    0.7500    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0",
    "    2.5981   -0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0"};
const std::vector<std::string> kBonds = {"  1  2  1  0", "  2  3  1  0"};
const std::vector<std::string> kEnd = {"M  END"};

TEST(TindrelMolfile, ImplicitHydrogensChargesIsotopesRadicals)
{
    const TKSElementTable table = elementTable();
    auto atom = [](const std::string& symbol, const std::string& rest = " 0  0  0  0  0  0  0  0  0  0  0  0") {
        std::string s = "    0.0000    0.0000    0.0000 " + symbol;
        s.resize(34, ' ');
        return s + rest;
    };
    struct Case {
        const char* name;
        std::string text;
        const char* formula;
        double mass;
        int charge;
    };
    const Case cases[] = {
        {"ethanol, LF", molfile(kCounts, kAtoms, kBonds, kEnd), "C2H6O", 46.041865, 0},
        {"ethanol, CR LF", molfile(kCounts, kAtoms, kBonds, kEnd, "\r\n"), "C2H6O", 46.041865, 0},
        {"ethoxide by atom block", molfile(kCounts, {kAtoms[0], kAtoms[1], atom("O", " 0  5")}, kBonds, kEnd),
         "C2H5O", 45.034588, -1},
        {"ethoxide by M  CHG", molfile(kCounts, kAtoms, kBonds, {"M  CHG  1   3  -1", "M  END"}), "C2H5O",
         45.034588, -1},
        {"M  CHG replaces the atom block",
         molfile(kCounts, {atom("C", " 0  3"), kAtoms[1], kAtoms[2]}, kBonds, {"M  CHG  1   3  -1", "M  END"}),
         "C2H5O", 45.034588, -1},
        {"oxonium", molfile(kCounts, kAtoms, kBonds, {"M  CHG  1   3   1", "M  END"}), "C2H7O", 47.049141, 1},
        {"carbon 13 by mass difference", molfile(kCounts, {atom("C", " 1  0"), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "C2H6O", 47.045220, 0},
        {"carbon 13 by M  ISO", molfile(kCounts, kAtoms, kBonds, {"M  ISO  1   1  13", "M  END"}), "C2H6O",
         47.045220, 0},
        {"M  ISO replaces the mass differences",
         molfile(kCounts, {atom("C", " 1  0"), kAtoms[1], kAtoms[2]}, kBonds, {"M  ISO  1   2  13", "M  END"}),
         "C2H6O", 47.045220, 0},
        {"doublet radical", molfile(kCounts, kAtoms, kBonds, {"M  RAD  1   1   2", "M  END"}), "C2H5O", 45.034040,
         0},
        {"explicit valence", molfile(kCounts, {kAtoms[0], kAtoms[1], atom("O", " 0  0  0  0  0  2")}, kBonds, kEnd),
         "C2H6O", 46.041865, 0},
        {"zero valence field", molfile(kCounts, {kAtoms[0], kAtoms[1], atom("O", " 0  0  0  0  0 15")}, kBonds, kEnd),
         "C2H5O", 45.034040, 0},
        {"alias and data after M  END",
         molfile(kCounts, kAtoms, kBonds, {"A    1", "Me", "M  END", "> <NAME>", "ethanol", "", "$$$$"}), "C2H6O",
         46.041865, 0},
        {"no version (old files)", molfile("  3  2  0  0  0  0  0  0  0  0", kAtoms, kBonds, kEnd), "C2H6O",
         46.041865, 0},
        {"double bond", molfile(kCounts, kAtoms, {"  1  2  2  0", "  2  3  1  0"}, kEnd), "C2H4O", 44.026215, 0},
        {"aromatic bonds", molfile("  6  6  0  0  0  0  0  0  0  0999 V2000",
                                   {atom("C"), atom("C"), atom("C"), atom("C"), atom("C"), atom("C")},
                                   {"  1  2  4  0", "  2  3  4  0", "  3  4  4  0", "  4  5  4  0", "  5  6  4  0",
                                    "  6  1  4  0"},
                                   kEnd),
         "C6H6", 78.046950, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKSMolecule m;
        ASSERT_TRUE(m.readMolfile(c.text, table)) << narrow(m.getError());
        EXPECT_EQ(narrow(m.getFormula()), c.formula);
        EXPECT_NEAR(m.getMonoisotopicMass(), c.mass, 2e-6);
        EXPECT_EQ(m.getCharge(), c.charge);
    }
}

TEST(TindrelMolfile, DamagedFilesEndInAnError)
{
    const TKSElementTable table = elementTable();
    auto atomWith = [](size_t from, const std::string& text) {
        std::string a = kAtoms[0];
        a.replace(from, text.size(), text);
        return a;
    };
    struct Case {
        const char* name;
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"empty", "", "line 1: no counts line"},
        {"header only", "name\n  x\n\n", "line 1: no counts line"},
        {"counts larger than the lines", molfile("  9  2  0  0  0  0  0  0  0  0999 V2000", kAtoms, kBonds, kEnd),
         "line 4: the counts line promises more"},
        {"bond count larger", molfile("  3  9  0  0  0  0  0  0  0  0999 V2000", kAtoms, kBonds, kEnd),
         "line 4: the counts line promises more"},
        {"negative count", molfile(" -3  2  0  0  0  0  0  0  0  0999 V2000", kAtoms, kBonds, kEnd),
         "line 4: bad counts line"},
        {"count not a number", molfile("  x  2  0  0  0  0  0  0  0  0999 V2000", kAtoms, kBonds, kEnd),
         "line 4: bad atom count"},
        {"no atoms", molfile("  0  0  0  0  0  0  0  0  0  0999 V2000", {}, {}, kEnd), "line 4: no atoms"},
        {"V3000", molfile("  0  0  0     0  0            999 V3000", {}, {}, kEnd), "line 4: not a V2000"},
        {"atom line cut short", molfile(kCounts, {kAtoms[0], "    1.2990    0.7500", kAtoms[2]}, kBonds, kEnd),
         "line 6: bad z coordinate"},
        {"symbol missing", molfile(kCounts, {kAtoms[0], "    1.2990    0.7500    0.0000", kAtoms[2]}, kBonds, kEnd),
         "line 6: atom without a symbol"},
        {"coordinate not a number", molfile(kCounts, {atomWith(0, "   abc.def"), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: bad x coordinate"},
        {"coordinate NaN", molfile(kCounts, {atomWith(0, "       nan"), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: bad x coordinate"},
        {"unknown symbol", molfile(kCounts, {atomWith(31, "Xx "), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: unknown symbol \"Xx\""},
        {"query atom", molfile(kCounts, {atomWith(31, "A  "), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: unknown symbol \"A\""},
        {"charge code 8", molfile(kCounts, {atomWith(36, "  8"), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: charge code 8"},
        {"mass difference 5", molfile(kCounts, {atomWith(34, " 5"), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: mass difference 5"},
        {"mass difference not a number", molfile(kCounts, {atomWith(34, " x"), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: bad mass difference"},
        {"valence 16", molfile(kCounts, {atomWith(48, " 16"), kAtoms[1], kAtoms[2]}, kBonds, kEnd),
         "line 5: valence 16"},
        {"bond atom 0", molfile(kCounts, kAtoms, {"  0  2  1  0", kBonds[1]}, kEnd), "line 8: bond atom outside"},
        {"bond atom beyond", molfile(kCounts, kAtoms, {"  1  4  1  0", kBonds[1]}, kEnd), "line 8: bond atom outside"},
        {"bond to itself", molfile(kCounts, kAtoms, {"  2  2  1  0", kBonds[1]}, kEnd), "line 8: an atom bonded"},
        {"bond type 9", molfile(kCounts, kAtoms, {"  1  2  9  0", kBonds[1]}, kEnd), "line 8: bond type 9"},
        {"bond line cut short", molfile(kCounts, kAtoms, {"  1  2", kBonds[1]}, kEnd), "line 8: bond line cut short"},
        {"missing M  END", molfile(kCounts, kAtoms, kBonds, {}), "line 10: no \"M  END\""},
        {"M  CHG 16", molfile(kCounts, kAtoms, kBonds, {"M  CHG  1   3  16", "M  END"}), "line 10: charge 16"},
        {"M  CHG entries run short", molfile(kCounts, kAtoms, kBonds, {"M  CHG  2   3  -1   1", "M  END"}),
         "line 10: M  CHG entries run short"},
        {"M  CHG count 9", molfile(kCounts, kAtoms, kBonds, {"M  CHG  9   3  -1", "M  END"}),
         "line 10: bad entry count"},
        {"M  CHG atom beyond", molfile(kCounts, kAtoms, kBonds, {"M  CHG  1   7  -1", "M  END"}),
         "line 10: M  CHG names an atom outside"},
        {"M  RAD 4", molfile(kCounts, kAtoms, kBonds, {"M  RAD  1   3   4", "M  END"}), "line 10: radical 4"},
        {"M  ISO 0", molfile(kCounts, kAtoms, kBonds, {"M  ISO  1   1   0", "M  END"}), "line 10: isotope 0"},
        {"isotope the table lacks", molfile(kCounts, kAtoms, kBonds, {"M  ISO  1   1  14", "M  END"}),
         "line 11: no isotope 14 of C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKSMolecule m;
        ASSERT_TRUE(m.readMolfile(molfile(kCounts, kAtoms, kBonds, kEnd), table));
        EXPECT_FALSE(m.readMolfile(c.text, table));
        EXPECT_TRUE(m.isEmpty());
        EXPECT_EQ(m.getFormula(), L"");
        EXPECT_EQ(narrow(m.getError()).rfind(c.error, 0), 0u) << narrow(m.getError());
    }
    TKSMolecule m;
    EXPECT_FALSE(m.readMolfile(molfile(kCounts, kAtoms, kBonds, kEnd), TKSElementTable()));
    EXPECT_EQ(narrow(m.getError()), "no element table");
}

TEST(TindrelMolfile, EveryCutAndRandomDamageEndInAnErrorOrAMolecule)
{
    const TKSElementTable table = elementTable();
    for (const std::string& path : {ks::test::realData("molfile/rdkit/MolFileChgBug.mol"),
                                    ks::test::realData("molfile/rdkit/H3BNH3.mol"), molfilePath("caffeine.mol")}) {
        const std::string bytes = ks::test::readFile(path);
        ASSERT_FALSE(bytes.empty()) << path;
        for (size_t n = 0; n < bytes.size(); ++n) {
            TKSMolecule m;
            if (m.readMolfile(bytes.substr(0, n), table))
                EXPECT_FALSE(m.isEmpty());
            else
                EXPECT_FALSE(m.getError().empty());
        }
        std::mt19937 random(20240611);
        for (int round = 0; round < 2000; ++round) {
            std::string damaged = bytes;
            for (int k = 0; k < 3; ++k)
                damaged[random() % damaged.size()] = static_cast<char>(random() % 256);
            TKSMolecule m;
            if (m.readMolfile(damaged, table)) {
                EXPECT_FALSE(m.isEmpty());
                EXPECT_TRUE(std::isfinite(m.getMonoisotopicMass()));
            }
        }
    }
}

}  // namespace
}  // namespace analysistest
