// Sigma charges, the hydrogen gamma rules, proton shifts with their
// through-space terms and the DMSO increments.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "common.h"
#include "geometry.h"
#include "routines.h"
#include "units.h"
#include "velmar_inproc.h"
#include "velmar_testutil.h"

using namespace velmar;
using velmar::test::runVelmar;
using velmar::test::unixLines;

namespace {

std::string fixture(const std::string& name)
{
    return ks::test::readFile(std::string(VELMAR_FIXTURES) + "/" + name);
}

const char* const kFixtures[] = {"methane", "ethane", "propane", "cyclohexane", "benzene", "toluene", "pyridine",
                                 "furan", "thiophene", "pyrrole", "methanol", "ethanol", "acetone", "acetonitrile",
                                 "acetic_acid", "dichloromethane", "chloroform", "dmso", "water", "naphthalene"};

using velmar::test::Atom;
using velmar::test::csr;

std::string zrow(int e, int na, double bl, int nb, double al, int nc, double th)
{
    char buf[120];
    std::snprintf(buf, sizeof buf, "   %2d%5d%10.4f%5d%10.4f%5d%10.4f%5d\n", e, na, bl, nb, al, nc, th, 0);
    return buf;
}

std::vector<std::string> lines(const std::string& s)
{
    std::vector<std::string> v;
    std::istringstream in(s);
    std::string l;
    while (std::getline(in, l))
        v.push_back(l);
    return v;
}

// The 13-column rows of the shift table, by atom.
std::map<int, std::vector<double>> termTable(const std::string& listing)
{
    std::map<int, std::vector<double>> t;
    bool in = false;
    for (const auto& l : lines(listing)) {
        if (l.find(" No    HSTER") != std::string::npos) {
            in = true;
            continue;
        }
        if (!in || l.size() != 122)
            continue;
        std::vector<double> v;
        for (int k = 0; k < 13; ++k)
            v.push_back(std::stod(l.substr(5 + 9 * static_cast<size_t>(k), 9)));
        t[std::stoi(l.substr(2, 3))] = v;
    }
    return t;
}

class Shifts : public ::testing::Test {
protected:
    void SetUp() override { velmar::test::loadParameters(VELMAR_PARAMS); }
    void TearDown() override { closeAllUnits(); }
    void load(int code, const std::string& text, int solvent = 0)
    {
        closeAllUnits();
        ks::test::writeFile(ks::test::tempDir() + "/in.dat", text);
        openUnit(5, ks::test::tempDir() + "/in.dat", UnitKind::Input);
        openUnit(12, ks::test::tempDir() + "/out.lis", UnitKind::Listing);
        openUnit(9, ks::test::tempDir() + "/solv.dat", UnitKind::Result);
        cryst.InputCode = code;
        cryst.OutputMode = 0;
        cryst.Solvent = solvent;
        resetMolecule();
        readMolecule();
        ASSERT_FALSE(moleculeRejected());
        hybrid();
        arings();
        int arom = 0;
        for (int i = 1; i <= geom.natoms; ++i)
            arom += geom.itype(i) == 55 || geom.itype(i) == 58;
        if (arom > 3)
            rincur();
        testin();
        ASSERT_EQ(cryst.ErrorFlag, 0);
        prepareCharges();
    }
    std::string listing()
    {
        closeAllUnits();
        return ks::test::readFile(ks::test::tempDir() + "/out.lis");
    }
    // the gamma rule value of the path, in the units of the rules
    float rule(int i, int a, int b, int g, float s = 0.0f) { return gammaRule(i, a, b, g, s) * 160.84f; }
    int hydrogenOn(int c, int k = 1)
    {
        for (int m = 2; m <= geom.ialf(c, 1) + 1; ++m)
            if (geom.itype(geom.ialf(c, m)) == 1 && --k == 0)
                return geom.ialf(c, m);
        return 0;
    }
};

}  // namespace

TEST_F(Shifts, GammaRulesOfTheReferenceMolecules)
{
    // propane: methyl hydrogen to the other methyl carbon, any angle
    load(4, fixture("propane.mol"));
    int c1 = 1, c2 = 2, c3 = 3;  // RDKit numbers the carbons first
    ASSERT_EQ(geom.ialf(c2, 1), 4);
    EXPECT_NEAR(rule(hydrogenOn(c1), c1, c2, c3), 0.098f, 1e-5);
    EXPECT_NEAR(rule(hydrogenOn(c3, 2), c3, c2, c1), 0.098f, 1e-5);
    EXPECT_EQ(geom.igam(hydrogenOn(c2), 1) > 0, true);

    // butane: a methylene hydrogen of C2 anti (180) and eclipsed (0) to C4
    for (double h5 : {180.0, 0.0}) {
        // C1 and the other hydrogen take the remaining staggered places
        double c1 = h5 == 180.0 ? 60.0 : -120.0, h6 = h5 == 180.0 ? -60.0 : 120.0;
        std::string z = "BUTANE\n14 0 0\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(6, 1, 1.53, 0, 0, 0, 0) +
                        zrow(6, 2, 1.53, 1, 111, 0, 0) + zrow(6, 3, 1.53, 2, 111, 1, c1) +
                        zrow(1, 2, 1.09, 3, 109.5, 4, h5) + zrow(1, 2, 1.09, 3, 109.5, 4, h6);
        // hydrogens of C1, C3 and C4
        z += zrow(1, 1, 1.09, 2, 110, 3, 180) + zrow(1, 1, 1.09, 2, 110, 3, 60) + zrow(1, 1, 1.09, 2, 110, 3, -60);
        z += zrow(1, 3, 1.09, 2, 109.5, 4, 120) + zrow(1, 3, 1.09, 2, 109.5, 4, -120);
        z += zrow(1, 4, 1.09, 3, 110, 2, 180) + zrow(1, 4, 1.09, 3, 110, 2, 60) + zrow(1, 4, 1.09, 3, 110, 2, -60);
        load(0, z);
        for (int c = 1; c <= 4; ++c)
            ASSERT_EQ(geom.itype(c), 6) << c;
        EXPECT_EQ(geom.nhyd(5), 2);
        float th;
        dihedl(th, 5, 2, 3, 4, 0, 0);
        EXPECT_NEAR(th * 180.0f / geom.pi, h5, 1e-2);
        EXPECT_NEAR(rule(5, 2, 3, 4), h5 == 180.0 ? 0.275f : 0.023f, 1e-4);
    }

    // cyclobutane ring path: 0.35; oxetane through the carbons: 1.35
    auto square = [](const char* corner) {
        const double a = 1.55;
        std::vector<Atom> v = {{"C", 0, 0, 0, {2, 4, 5, 6}},  {"C", a, 0, 0, {1, 3, 7, 8}},
                               {"C", a, a, 0, {2, 4, 9, 10}}, {corner, 0, a, 0, {3, 1}}};
        v.push_back({"H", -0.6, -0.6, 0.6, {1}});
        v.push_back({"H", -0.6, -0.6, -0.6, {1}});
        v.push_back({"H", a + 0.6, -0.6, 0.6, {2}});
        v.push_back({"H", a + 0.6, -0.6, -0.6, {2}});
        v.push_back({"H", a + 0.6, a + 0.6, 0.6, {3}});
        v.push_back({"H", a + 0.6, a + 0.6, -0.6, {3}});
        if (std::string(corner) == "C") {
            v[3].nb = {3, 1, 11, 12};
            v.push_back({"H", -0.6, a + 0.6, 0.6, {4}});
            v.push_back({"H", -0.6, a + 0.6, -0.6, {4}});
        }
        return v;
    };
    load(2, csr(square("C")));
    EXPECT_NEAR(rule(5, 1, 2, 3), 0.35f, 1e-5);
    load(2, csr(square("O")));
    EXPECT_NEAR(rule(5, 1, 2, 3), 1.35f, 1e-5);

    // CH3-CF3: the generic halogen term times 0.83
    std::string z = "TRIFLUOROETHANE\n 8 0 0\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(6, 1, 1.5, 0, 0, 0, 0) +
        zrow(9, 2, 1.35, 1, 110, 0, 0) + zrow(9, 2, 1.35, 1, 110, 3, 120) + zrow(9, 2, 1.35, 1, 110, 3, -120) +
        zrow(1, 1, 1.09, 2, 110, 3, 60) + zrow(1, 1, 1.09, 2, 110, 3, 180) + zrow(1, 1, 1.09, 2, 110, 3, -60);
    load(0, z);
    EXPECT_EQ(geom.nhyd(3), 3);
    EXPECT_EQ(geom.nhyd(6), 3);
    EXPECT_FLOAT_EQ(gammaRule(6, 1, 2, 3, 0.004f), 0.004f * 0.83f);
}

TEST_F(Shifts, SigmaChargesAreConserved)
{
    for (const char* name : kFixtures) {
        SCOPED_TRACE(name);
        load(4, fixture(std::string(name) + ".mol"));
        edens();
        double sum = 0;
        for (int i = 1; i <= geom.natoms; ++i) {
            ASSERT_TRUE(std::isfinite(geom.charge(i)));
            sum += geom.charge(i);
        }
        EXPECT_NEAR(sum, 0.0, 2e-4);
        // carbon more electronegative than hydrogen: C-H hydrogens positive
        for (int i = 1; i <= geom.natoms; ++i) {
            if (geom.itype(i) == 1 && geom.itype(geom.ialf(i, 2)) == 6) {
                EXPECT_GT(geom.charge(i), 0.0f) << i;
            }
        }
    }
    // ammonium ions: the given +1 stays in the molecule. Their nitrogen's
    // charge feeds back into its electronegativity and swings the plain
    // iteration ever wider; the charges still settle, on the hydrogens.
    const std::vector<velmar::test::Atom> ions[] = {
        {{"N", 0, 0, 0, {2, 3, 4, 5}}, {"H", 1.01, 0, 0, {1}}, {"H", -0.34, 0.95, 0, {1}},
         {"H", -0.34, -0.48, 0.82, {1}}, {"H", -0.34, -0.48, -0.82, {1}}},
        {{"N", 0, 0, 0, {2, 3, 4, 5}}, {"H", 1.01, 0, 0, {1}}, {"H", -0.34, 0.95, 0, {1}},
         {"H", -0.34, -0.48, 0.82, {1}}, {"C", -0.5, -0.7, -1.2, {1, 6, 7, 8}}, {"H", -1.5, -0.7, -1.2, {5}},
         {"H", -0.2, -1.7, -1.2, {5}}, {"H", -0.2, -0.2, -2.1, {5}}},
    };
    for (const auto& ion : ions) {
        SCOPED_TRACE(ion.size());
        load(2, csr(ion));
        edens();
        double sum = 0;
        for (int i = 1; i <= geom.natoms; ++i)
            sum += geom.charge(i);
        EXPECT_NEAR(sum, 1.0, 2e-4);
        EXPECT_LT(std::fabs(geom.charge(1)), 0.1f);  // bond terms move the charge off the nitrogen
        for (int h = 2; h <= 4; ++h) {
            EXPECT_GT(geom.charge(h), 0.2f);
            EXPECT_NEAR(geom.charge(h), geom.charge(2), 1e-4);
        }
        EXPECT_EQ(listing().find("CHARGES NOT CONVERGED"), std::string::npos);
    }
}

TEST_F(Shifts, UnparameterisedGammaPathReportedOnce)
{
    // ethylsilane: the methyl hydrogens' paths to silicon have no rule
    std::string z = "ETHYLSILANE\n11 0 0\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(6, 1, 1.53, 0, 0, 0, 0) +
                    zrow(14, 2, 1.87, 1, 112, 0, 0) + zrow(1, 1, 1.09, 2, 110, 3, 60) +
                    zrow(1, 1, 1.09, 2, 110, 3, 180) + zrow(1, 1, 1.09, 2, 110, 3, -60) +
                    zrow(1, 2, 1.09, 1, 109, 3, 120) + zrow(1, 2, 1.09, 1, 109, 3, -120) +
                    zrow(1, 3, 1.48, 2, 110, 1, 60) + zrow(1, 3, 1.48, 2, 110, 1, 180) +
                    zrow(1, 3, 1.48, 2, 110, 1, -60);
    load(0, z);
    edens();
    std::string l = listing();
    size_t n = 0;
    for (size_t p = 0; (p = l.find("UNPARAMETRISED GSEF ATOM SEQUENCE", p)) != std::string::npos; ++p)
        ++n;
    EXPECT_EQ(n, 6u) << l;  // three methyl and three silyl hydrogens, first iteration only
    EXPECT_NE(l.find("\n     UNPARAMETRISED ATOM NO  3     AT NO 14\n"), std::string::npos) << l;
    EXPECT_NE(l.find("     UNPARAMETRISED GSEF ATOM SEQUENCE       4  1  2  3\n"
                     "                         ATOM TYPES          1  6  6 14\n\n"),
              std::string::npos)
        << l;
}

TEST_F(Shifts, StericCutOffIsInclusive)
{
    for (double at : {7.0, 7.01}) {
        SCOPED_TRACE(at);
        // ethane with a chlorine atom 6.0 (or 6.01) Angstrom from hydrogen 3
        load(2, csr({{"C", 0, 0, 0, {2, 3, 4, 5}}, {"C", -0.5, 1.4, 0, {1, 6, 7, 8}}, {"H", 1.0, 0, 0, {1}},
                     {"H", -0.4, -0.5, 0.9, {1}}, {"H", -0.4, -0.5, -0.9, {1}}, {"H", -1.5, 1.5, 0, {2}},
                     {"H", 0, 1.9, 0.9, {2}}, {"H", 0, 1.9, -0.9, {2}}, {"Cl", at, 0, 0, {}}}));
        EXPECT_EQ(geom.dist(3, 9), static_cast<float>(at - 1.0));
        edens();
        dipole();
        calcsh();
        auto t = termTable(listing());
        ASSERT_TRUE(t.count(3));
        EXPECT_NEAR(t[3][3], at == 7.0 ? 90.0 / std::pow(6.0, 6) : 0.0, 1e-3);  // XSTER
        EXPECT_EQ(t[3][3] > 0.0, at == 7.0);
    }
}

TEST_F(Shifts, ShiftTableAndAveraging)
{
    load(4, fixture("toluene.mol"));
    edens();
    dipole();
    calcsh();
    std::string l = listing();
    EXPECT_NE(l.find("\n   No    HSTER    CSTER   XOSTER    XSTER   CC+CTST   STERSH   CANIS    XANIS    XOANIS   CHEF  "
                     "   CXEF    RINGCT    PSHIFT\n\n"),
              std::string::npos);
    auto t = termTable(l);
    EXPECT_EQ(t.size(), 8u);
    // methyl hydrogens share one shift
    int methyl = 1;  // the methyl carbon comes first in the fixture
    ASSERT_EQ(geom.itype(methyl), 6);
    float m0 = geom.shift(geom.ialf(methyl, 3));
    for (int k = 3; k <= 5; ++k)
        EXPECT_EQ(geom.shift(geom.ialf(methyl, k)), m0);
    // ortho and meta pairs averaged and appended as equivalence sets
    ASSERT_EQ(geom.nsets, 2);
    for (int k = 1; k <= 2; ++k) {
        ASSERT_EQ(geom.neq(k), 2);
        EXPECT_EQ(geom.shift(geom.ieq(k, 1)), geom.shift(geom.ieq(k, 2)));
    }
}

TEST_F(Shifts, D2OExchangeableProtons)
{
    load(4, fixture("methanol.mol"), 2);
    edens();
    dipole();
    calcsh();
    int oh = 0;
    for (int i = 1; i <= geom.natoms; ++i)
        if (geom.itype(i) == 1 && geom.itype(geom.ialf(i, 2)) == 8)
            oh = i;
    ASSERT_NE(oh, 0);
    EXPECT_FLOAT_EQ(geom.shift(oh), 4.7f);
    auto t = termTable(listing());
    for (int k = 0; k < 11; ++k)
        EXPECT_EQ(t[oh][static_cast<size_t>(k)], 0.0) << k;
}

TEST_F(Shifts, DmsoIncrements)
{
    struct {
        const char* name;
        double inc;
    } cases[] = {{"chloroform", 1.059}, {"dichloromethane", 0.460}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        load(4, fixture(std::string(c.name) + ".mol"), 1);
        edens();
        dipole();
        calcsh();
        closeAllUnits();
        auto recs = lines(unixLines(ks::test::readFile(ks::test::tempDir() + "/solv.dat")));
        int hydrogens = 0;
        for (int i = 1; i <= geom.natoms; ++i)
            hydrogens += geom.itype(i) == 1;
        ASSERT_EQ(static_cast<int>(recs.size()), hydrogens);
        char want[16];
        std::snprintf(want, sizeof want, "%10.3f", c.inc);
        for (auto& r : recs)
            EXPECT_EQ(r, want);
    }
    // water: 3.4 with a zero increment
    load(4, fixture("water.mol"), 1);
    edens();
    dipole();
    calcsh();
    EXPECT_FLOAT_EQ(geom.shift(2), 3.4f);
    closeAllUnits();
    EXPECT_EQ(unixLines(ks::test::readFile(ks::test::tempDir() + "/solv.dat")), "     0.000\n     0.000\n");
}

TEST_F(Shifts, GeometryOnlyTermsAgainstAnIndependentScript)
{
    for (const char* name : {"naphthalene", "toluene", "cyclohexane", "propane"}) {
        SCOPED_TRACE(name);
        std::string path = std::string(VELMAR_FIXTURES) + "/" + name + ".mol";
        auto r = ks::test::run({"/usr/bin/python3", VELMAR_SCRIPT, path});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        load(4, fixture(std::string(name) + ".mol"));
        edens();
        dipole();
        calcsh();
        auto t = termTable(listing());
        int rows = 0;
        for (const auto& l : lines(r.out)) {
            std::istringstream in(l);
            int h;
            double ringct, hster;
            in >> h >> ringct >> hster;
            ASSERT_TRUE(t.count(h)) << h;
            EXPECT_NEAR(t[h][11], ringct, 4e-3) << "ring current of " << h;
            EXPECT_NEAR(t[h][0], hster, 1.1e-3) << "HSTER of " << h;
            ++rows;
        }
        EXPECT_GT(rows, 0);
    }
}

TEST_F(Shifts, ZeroDivisorsRejectTheMolecule)
{
    // a neon atom bonded to carbon: its factor entries are 0
    closeAllUnits();
    ks::test::writeFile(ks::test::tempDir() + "/in.dat",
                        csr({{"C", 0, 0, 0, {2, 3, 4, 5}}, {"Ne", 1.5, 0, 0, {1}}, {"H", -0.4, 0.9, 0, {1}},
                             {"H", -0.4, -0.5, 0.9, {1}}, {"H", -0.4, -0.5, -0.9, {1}}}));
    openUnit(5, ks::test::tempDir() + "/in.dat", UnitKind::Input);
    openUnit(12, ks::test::tempDir() + "/out.lis", UnitKind::Listing);
    cryst.InputCode = 2;
    resetMolecule();
    readMolecule();
    hybrid();
    arings();
    testin();
    EXPECT_EQ(cryst.ErrorFlag, 1);
    EXPECT_NE(listing().find("MOLECULE REJECTED: ZERO DIVISOR: FACTOR(6,10) OF A BOND IS 0"), std::string::npos);
}

TEST_F(Shifts, HydrogenOnItsGammaAtomGivesNoStericTerm)
{
    // a CH hydrogen placed onto the CH carbon three bonds away
    load(2, csr({{"C", 0, 0, 0, {2, 3, 4, 5}},      {"H", 1.3, 1.2, 0, {1}},         {"C", -0.8, 0.9, 0, {1, 6}},
                 {"C", -0.8, -0.9, 0, {1}},          {"C", 0.5, -0.3, 1.3, {1}},      {"C", 1.3, 1.2, 0, {3, 7, 8, 9}},
                 {"H", 2.0, 2.0, 0.5, {6}},          {"C", 2.0, 0.5, -1.0, {6}},       {"C", 1.0, 2.2, -1.0, {6}}}));
    ASSERT_EQ(geom.dist(2, 6), 0.0f);
    edens();
    for (int i = 1; i <= geom.natoms; ++i)
        EXPECT_TRUE(std::isfinite(geom.charge(i))) << i;
    dipole();
    calcsh();
    for (int i = 1; i <= geom.natoms; ++i)
        EXPECT_TRUE(std::isfinite(geom.shift(i))) << i;
}

TEST(VelmarShiftsProgram, BundledParameterFileFollowsItsRules)
{
    // The shipped file is exactly what the generator writes from the table
    // and its fitted scale factors (the O-H and N-H divisors included).
    std::string params = ks::test::tempDir() + "/generated.par";
    auto g = ks::test::run({"/usr/bin/python3", VELMAR_TOOLS "/make_params.py", VELMAR_TOOLS "/param_table.txt", params});
    ASSERT_EQ(g.exitCode, 0) << g.err;
    EXPECT_TRUE(ks::test::readFile(params) == ks::test::readFile(VELMAR_PARAMS))
        << "data/velmar.par is not the output of tools/make_params.py";
}

TEST(VelmarShiftsProgram, ParameterDivisorZeroRejectsEveryMolecule)
{
    std::string params = ks::test::tempDir() + "/zero.par";
    auto g = ks::test::run({"/usr/bin/python3", VELMAR_TOOLS "/make_params.py",
                            VELMAR_TOOLS "/param_table.txt", params, "parx1=0"});
    ASSERT_EQ(g.exitCode, 0) << g.err;
    auto r = runVelmar("40000\n" + fixture("methane.mol") + "1111\n", params);
    ASSERT_EQ(r.run.exitCode, 1) << r.run.err;
    EXPECT_EQ(r.run.err, "VELMAR: molecule 1 \"methane\" rejected: ZERO DIVISOR: THE PARAMETER PARX1 IS 0\n");
    EXPECT_NE(r.listing.find("MOLECULE REJECTED: ZERO DIVISOR: THE PARAMETER PARX1 IS 0"), std::string::npos);
    EXPECT_EQ(r.shifts, "");
}

TEST(VelmarShiftsProgram, ScalarsDoNotDependOnPlacement)
{
    // rotated, moved and mirrored copies give the same printed results
    for (const char* name : {"toluene", "ethanol", "acetone", "pyridine", "dmso"}) {
        SCOPED_TRACE(name);
        std::string mol = fixture(std::string(name) + ".mol");
        auto ls = lines(mol);
        int na = std::stoi(ls[3].substr(0, 3));
        auto transformed = [&](int variant) {
            std::string out;
            const double c = std::cos(0.7), s = std::sin(0.7);
            for (size_t k = 0; k < ls.size(); ++k) {
                std::string l = ls[k];
                if (k >= 4 && k < 4 + static_cast<size_t>(na)) {
                    double x = std::stod(l.substr(0, 10)), y = std::stod(l.substr(10, 10)), z = std::stod(l.substr(20, 10));
                    double X = c * x - s * y + 1.5, Y = s * x + c * y - 2.25, Z = z + 0.75;
                    if (variant == 1) { X = x; Y = y; Z = -z; }  // mirror image
                    char buf[40];
                    std::snprintf(buf, sizeof buf, "%10.4f%10.4f%10.4f", X, Y, Z);
                    l = buf + l.substr(30);
                }
                out += l + "\n";
            }
            return out;
        };
        auto base = runVelmar("41010\n" + mol + "1111\n");
        ASSERT_EQ(base.run.exitCode, 0);
        auto baseMode0 = runVelmar("40010\n" + mol + "1111\n");
        for (int variant : {0, 1}) {
            auto other = runVelmar("40010\n" + transformed(variant) + "1111\n");
            ASSERT_EQ(other.run.exitCode, 0) << other.run.err;
            auto num = [](const std::string& text) {
                std::vector<double> v;
                for (const auto& l : lines(unixLines(text))) {
                    std::istringstream in(l);
                    double d;
                    while (in >> d)
                        v.push_back(d);
                }
                return v;
            };
            auto a = num(baseMode0.shifts), b = num(other.shifts);
            ASSERT_EQ(a.size(), b.size());
            for (size_t k = 0; k < a.size(); ++k)
                EXPECT_NEAR(a[k], b[k], 1.5e-3);
            a = num(baseMode0.piexcess);
            b = num(other.piexcess);
            ASSERT_EQ(a.size(), b.size());
            for (size_t k = 0; k < a.size(); ++k)
                EXPECT_NEAR(a[k], b[k], 1.5e-4);
            a = num(baseMode0.solvent);
            b = num(other.solvent);
            ASSERT_EQ(a.size(), b.size());
            for (size_t k = 0; k < a.size(); ++k)
                EXPECT_NEAR(a[k], b[k], 1.5e-3);
            auto ta = termTable(baseMode0.listing), tb = termTable(other.listing);
            ASSERT_EQ(ta.size(), tb.size());
            for (auto& [h, row] : ta)
                for (size_t k = 0; k < row.size(); ++k)
                    EXPECT_NEAR(row[k], tb[h][k], 2.5e-3) << h << " column " << k;
            auto dip = [](const std::string& l) { return std::stod(l.substr(l.find("DIPOLE MOMENT =") + 15, 8)); };
            EXPECT_NEAR(dip(baseMode0.listing), dip(other.listing), 2e-3);
            auto charges = [](const std::string& l) {
                std::vector<double> v;
                bool in = false;
                for (const auto& x : lines(l)) {
                    in = in || x.find("GEOMETRY (Z-MATRIX)") != std::string::npos;
                    if (in && x.size() == 86 && std::isdigit(static_cast<unsigned char>(x[5])))
                        v.push_back(std::stod(x.substr(61, 10)));
                }
                return v;
            };
            a = charges(baseMode0.listing);
            b = charges(other.listing);
            ASSERT_EQ(a.size(), b.size());
            for (size_t k = 0; k < a.size(); ++k)
                EXPECT_NEAR(a[k], b[k], 1.5e-4);
        }
    }
}

TEST(VelmarShiftsProgram, AppendedSetsOnTheEquivalenceLines)
{
    auto r = runVelmar("40000\n" + fixture("toluene.mol") + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    std::vector<std::string> eq;
    for (const auto& l : lines(r.listing))
        if (l.rfind(" EQUIVALENT PROTONS", 0) == 0)
            eq.push_back(l);
    ASSERT_EQ(eq.size(), 2u) << r.listing;
    // each line names a pair of ring hydrogens with equal shifts in the shift file
    auto shifts = lines(unixLines(r.shifts));
    for (const auto& l : eq) {
        ASSERT_EQ(l.size(), 30u) << l;
        int a = std::stoi(l.substr(24, 3)), b = std::stoi(l.substr(27, 3));
        // hydrogens are numbered after the 7 carbons in the fixture
        EXPECT_EQ(shifts[static_cast<size_t>(a - 8)], shifts[static_cast<size_t>(b - 8)]) << l;
    }
}

TEST_F(Shifts, CarbonylAndDoubleBondTermsAgainstAnIndependentScript)
{
    for (const char* which : {"butanone", "butene"}) {
        SCOPED_TRACE(which);
        std::string path = ks::test::tempDir() + "/" + which + ".mol";
        auto r = ks::test::run({"/usr/bin/python3", VELMAR_ANISOTROPY_SCRIPT, which, path});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        load(4, ks::test::readFile(path));
        edens();
        dipole();
        calcsh();
        auto t = termTable(listing());
        int rows = 0;
        for (const auto& l : lines(r.out)) {
            std::istringstream in(l);
            int h;
            double xoanis, xoster, canis, cc;
            in >> h >> xoanis >> xoster >> canis >> cc;
            ASSERT_TRUE(t.count(h)) << h;
            EXPECT_NEAR(t[h][8], xoanis, 1.1e-3) << "XOANIS of " << h;
            EXPECT_NEAR(t[h][2], xoster, 1.1e-3) << "XOSTER of " << h;
            EXPECT_NEAR(t[h][6], canis, 1.1e-3) << "CANIS of " << h;
            EXPECT_NEAR(t[h][4], cc, 1.1e-3) << "CC+CTST of " << h;
            ++rows;
        }
        EXPECT_EQ(rows, 3) << r.out;
    }
}
