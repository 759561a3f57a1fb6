// Molecule readers, coordinates, neighbour lists and validation, run in
// process on the fixtures.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "common.h"
#include "geometry.h"
#include "routines.h"
#include "units.h"
#include "velmar_inproc.h"
#include "kstest.h"

using namespace velmar;

namespace {

std::string fixture(const std::string& name)
{
    return ks::test::readFile(std::string(VELMAR_FIXTURES) + "/" + name);
}

std::vector<std::array<double, 3>> readXyz(const std::string& name)
{
    std::vector<std::array<double, 3>> v;
    std::istringstream in(fixture(name));
    double x, y, z;
    while (in >> x >> y >> z)
        v.push_back({x, y, z});
    return v;
}

struct MolFile {
    std::vector<std::array<float, 3>> xyz;
    std::vector<std::string> sym;
    std::vector<std::pair<int, int>> bonds;
};

MolFile parseMol(const std::string& text)
{
    MolFile m;
    std::istringstream in(text);
    std::string line;
    for (int k = 0; k < 4; ++k)
        std::getline(in, line);
    int na = std::stoi(line.substr(0, 3)), nb = std::stoi(line.substr(3, 3));
    for (int k = 0; k < na; ++k) {
        std::getline(in, line);
        m.xyz.push_back({std::stof(line.substr(0, 10)), std::stof(line.substr(10, 10)), std::stof(line.substr(20, 10))});
        std::string s = line.substr(31, 3);
        m.sym.push_back(s.substr(0, s.find(' ')));
    }
    for (int k = 0; k < nb; ++k) {
        std::getline(in, line);
        m.bonds.push_back({std::stoi(line.substr(0, 3)), std::stoi(line.substr(3, 3))});
    }
    return m;
}

class Reader : public ::testing::Test {
protected:
    void SetUp() override { velmar::test::loadParameters(VELMAR_PARAMS); }
    void TearDown() override { closeAllUnits(); }

    // Reads one molecule of the given input code from the text.
    void load(int code, const std::string& text)
    {
        closeAllUnits();
        ks::test::writeFile(ks::test::tempDir() + "/in.dat", text);
        openUnit(5, ks::test::tempDir() + "/in.dat", UnitKind::Input);
        openUnit(12, ks::test::tempDir() + "/out.lis", UnitKind::Listing);
        cryst.InputCode = code;
        cryst.OutputMode = 0;
        resetMolecule();
        readMolecule();
    }
    std::string listing()
    {
        closeAllUnits();
        return ks::test::readFile(ks::test::tempDir() + "/out.lis");
    }
    std::set<int> neighbours(int i)
    {
        std::set<int> s;
        for (int k = 2; k <= geom.ialf(i, 1) + 1; ++k)
            s.insert(geom.ialf(i, k));
        return s;
    }
};

// One atom record of labelled coordinates, "(5X,A4,2X,3(F9.5,1X),4I4)".
std::string csrAtom(int i, const char* label, double x, double y, double z, std::vector<int> nb = {})
{
    char buf[120];
    std::snprintf(buf, sizeof buf, "%5d%-4s  %9.5f %9.5f %9.5f ", i, label, x, y, z);
    std::string s = buf;
    for (int n : nb) {
        std::snprintf(buf, sizeof buf, "%4d", n);
        s += buf;
    }
    return s + "\n";
}

const char* const kZmats[] = {"ethane", "methane2", "propyne", "cyclopropane", "methanol_dummy"};

}  // namespace

TEST_F(Reader, InternalCoordinatesInEveryLayoutMatchTheIndependentCoordinates)
{
    int compared = 0;
    for (const char* name : kZmats) {
        auto want = readXyz(std::string("zmat_") + name + ".xyz");
        for (int code : {0, 1, 3, 5, 7, 8}) {
            std::string text = fixture(std::string("zmat_") + name + ".code" + std::to_string(code));
            if (text.empty())
                continue;
            SCOPED_TRACE(std::string(name) + " code " + std::to_string(code));
            load(code, text);
            ASSERT_FALSE(moleculeRejected());
            ASSERT_EQ(geom.natoms, static_cast<int>(want.size()));
            for (int i = 1; i <= geom.natoms; ++i)
                for (int k = 1; k <= 3; ++k)
                    EXPECT_NEAR(geom.xyz(i, k), want[static_cast<size_t>(i - 1)][static_cast<size_t>(k - 1)], 2e-5)
                        << "atom " << i;
            // orientation: atom 1 at the origin, atom 2 on z, atom 3 in the xz-plane
            EXPECT_EQ(geom.xyz(1, 1), 0.0f);
            EXPECT_EQ(geom.xyz(1, 3), 0.0f);
            EXPECT_EQ(geom.xyz(2, 1), 0.0f);
            EXPECT_EQ(geom.xyz(2, 2), 0.0f);
            EXPECT_EQ(geom.xyz(3, 2), 0.0f);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 4 * 6 + 1);
}

TEST_F(Reader, BondsByReferenceAndByDistance)
{
    load(0, fixture("zmat_ethane.code0"));
    EXPECT_EQ(neighbours(1), (std::set<int>{2, 3, 4, 5}));
    EXPECT_EQ(neighbours(2), (std::set<int>{1, 6, 7, 8}));
    EXPECT_EQ(geom.nbform, 0);
    EXPECT_EQ(geom.ialf(3, 1), 1);

    load(0, fixture("zmat_cyclopropane.code0"));
    ASSERT_EQ(geom.nbform, 1);
    EXPECT_EQ(geom.ibform(1, 1), 2);
    EXPECT_EQ(geom.ibform(1, 2), 3);
    EXPECT_EQ(neighbours(2), (std::set<int>{1, 3, 6, 7}));
    // each carbon is its own gamma atom
    for (int c = 1; c <= 3; ++c) {
        std::set<int> g;
        for (int k = 2; k <= geom.igam(c, 1) + 1; ++k)
            g.insert(geom.igam(c, k));
        EXPECT_TRUE(g.count(c)) << c;
    }
    std::string l = listing();
    EXPECT_NE(l.find("\n BOND FORMED BETWEEN ATOMS  2 AND  3     BL= 1.510\n"), std::string::npos) << l;

    // the dummy atom gets coordinates but no bonds, and nobody bonds to it
    load(0, fixture("zmat_methanol_dummy.code0"));
    EXPECT_EQ(geom.ialf(3, 1), 0);
    for (int i = 1; i <= geom.natoms; ++i)
        EXPECT_FALSE(neighbours(i).count(3));
    EXPECT_EQ(neighbours(2), (std::set<int>{1, 4}));
}

TEST_F(Reader, BetaListsKeepRepeatsOfFourRings)
{
    // cyclobutane skeleton in labelled coordinates: atom 3 is reached from
    // atom 1 through both 2 and 4
    std::string t = "CYCLOBUTANE\n 4 0\n\n" + csrAtom(1, "C1", 0, 0, 0, {2, 4}) + csrAtom(2, "C2", 1.55, 0, 0, {1, 3}) +
                    csrAtom(3, "C3", 1.55, 1.55, 0, {2, 4}) + csrAtom(4, "C4", 0, 1.55, 0, {3, 1});
    load(2, t);
    ASSERT_FALSE(moleculeRejected());
    EXPECT_EQ(geom.ibet(1, 1), 2);
    EXPECT_EQ(geom.ibet(1, 2), 3);
    EXPECT_EQ(geom.ibet(1, 3), 3);
    EXPECT_EQ(geom.igam(1, 1), 0);
}

TEST_F(Reader, MolfilesWithCodes4And9)
{
    const char* names[] = {"methane", "ethane", "propane", "cyclohexane", "benzene", "toluene", "pyridine",
                           "furan", "thiophene", "pyrrole", "methanol", "ethanol", "acetone", "acetonitrile",
                           "acetic_acid", "dichloromethane", "chloroform", "dmso", "water", "naphthalene",
                           "cyclopropane"};
    const std::map<std::string, int> elem = {{"H", 1}, {"C", 6}, {"N", 7}, {"O", 8}, {"S", 16}, {"Cl", 17}};
    for (const char* name : names) {
        std::string mol = fixture(std::string(name) + ".mol");
        MolFile m = parseMol(mol);
        for (int code : {4, 9}) {
            SCOPED_TRACE(std::string(name) + " code " + std::to_string(code));
            std::string text = mol + (code == 9 ? std::string("> <NAME>\n") + name + "\n$$$$\n" : "") + "1111\n";
            load(code, text);
            ASSERT_FALSE(moleculeRejected());
            ASSERT_EQ(geom.natoms, static_cast<int>(m.xyz.size()));
            EXPECT_EQ(geom.nsets, 0);
            EXPECT_EQ(micro.title.str().substr(0, std::string(name).size()), name);
            std::vector<std::set<int>> nb(m.xyz.size() + 1);
            for (auto [a, b] : m.bonds) {
                nb[static_cast<size_t>(a)].insert(b);
                nb[static_cast<size_t>(b)].insert(a);
            }
            for (int i = 1; i <= geom.natoms; ++i) {
                size_t k = static_cast<size_t>(i - 1);
                EXPECT_EQ(geom.iatno(i), elem.at(m.sym[k])) << i;
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(geom.xyz(i, c + 1), m.xyz[k][static_cast<size_t>(c)]);
                EXPECT_EQ(neighbours(i), nb[k + 1]) << i;
                if (geom.ialf(i, 1) > 0) {
                    EXPECT_EQ(geom.nref(i, 1), geom.ialf(i, geom.ialf(i, 1) + 1));
                }
            }
            // the trailer was skipped: the end record is next
            int32_t end = 0;
            readf(5, "(I4)", {end});
            EXPECT_EQ(end, 1111);
        }
    }
}

TEST_F(Reader, BondRecordsAsIntegersOrReals)
{
    // bond fields as right-justified integers or with points; neighbours in
    // pair-list order: the bonds where the atom is first come first
    std::string t = "FOUR\n\n\n  5  4  0\n";
    for (int k = 0; k < 5; ++k) {
        char buf[80];
        std::snprintf(buf, sizeof buf, "%10.4f%10.4f%10.4f %-3s\n", 1.0 * k, 0.0, 0.0, k == 0 ? "C" : "H");
        t += buf;
    }
    t += "  1  2\n 1. 3.\n  4  1\n  1  5\nM  END\n";
    load(4, t);
    ASSERT_FALSE(moleculeRejected());
    EXPECT_EQ(geom.ialf(1, 1), 4);
    EXPECT_EQ(geom.ialf(1, 2), 2);
    EXPECT_EQ(geom.ialf(1, 3), 3);
    EXPECT_EQ(geom.ialf(1, 4), 5);
    EXPECT_EQ(geom.ialf(1, 5), 4);
    EXPECT_EQ(neighbours(4), (std::set<int>{1}));
}

TEST_F(Reader, ConnectionTablesThatRejectTheMolecule)
{
    // a carbon and six hydrogens; the bond block of each case
    std::string atoms = "CASE\n\n\n  7%3d  0\n";
    for (int k = 0; k < 7; ++k) {
        char buf[80];
        std::snprintf(buf, sizeof buf, "%10.4f%10.4f%10.4f %-3s\n", 1.0 * k, 0.0, 0.0, k == 0 ? "C" : "H");
        atoms += buf;
    }
    struct Case {
        const char* bonds;
        const char* reason;  // null: accepted
    } cases[] = {
        {"  1  2\n  1  3\n  1  4\n  1  5\n", nullptr},
        {"  1  2\n  1  3\n  1  4\n  1  5\n  1  6\n  1  7\n", "MORE THAN 4 NEIGHBOURS ON ATOM 1"},
        {"  2  1\n  3  1\n  4  1\n  5  1\n  6  1\n", "MORE THAN 4 NEIGHBOURS ON ATOM 1"},
        {"  1  2\n  1  2\n", "BOND 2 REPEATS BOND 1 BETWEEN ATOMS 1 AND 2"},
        {"  1  2\n  1  3\n  3  1\n", "BOND 3 REPEATS BOND 2 BETWEEN ATOMS 3 AND 1"},
        {"  1  2\n  1  2\n  1  2\n  1  2\n  1  2\n  1  2\n", "BOND 2 REPEATS BOND 1 BETWEEN ATOMS 1 AND 2"},
        {"  1  2\n  3  3\n", "BOND 2 CONNECTS ATOM 3 TO ITSELF"},
        {" 1. 1.\n", "BOND 1 CONNECTS ATOM 1 TO ITSELF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bonds);
        int nb = 0;
        for (const char* p = c.bonds; *p; ++p)
            nb += *p == '\n';
        char head[1000];
        std::snprintf(head, sizeof head, atoms.c_str(), nb);
        load(4, std::string(head) + c.bonds + "M  END\n1111\n");
        EXPECT_EQ(moleculeRejected(), c.reason != nullptr);
        int32_t end = 0;
        readf(5, "(I4)", {end});  // the trailer was still skipped
        EXPECT_EQ(end, 1111);
        if (c.reason) {
            EXPECT_EQ(rejectionReason(), c.reason);
            EXPECT_NE(listing().find(std::string("   MOLECULE REJECTED: ") + c.reason + "\n"), std::string::npos);
        }
    }

    // labelled coordinates: an atom connected to itself or to one atom twice
    load(2, "CSR\n 2 0\n\n" + csrAtom(1, "C", 0, 0, 0, {2, 1}) + csrAtom(2, "H", 1.09, 0, 0, {1}) + "1111\n");
    EXPECT_EQ(rejectionReason(), "ATOM 1 IS CONNECTED TO ITSELF");
    load(2, "CSR\n 2 0\n\n" + csrAtom(1, "C", 0, 0, 0, {2}) + csrAtom(2, "H", 1.09, 0, 0, {1, 0, 1}) + "1111\n");
    EXPECT_EQ(rejectionReason(), "ATOM 2 IS CONNECTED TO ATOM 1 TWICE");
}

TEST_F(Reader, PropertyLinesAfterTheBondBlock)
{
    // The lines a molfile carries before "M  END" are skipped with it; an
    // SD record end after it as well (input code 4); the end record is next.
    std::string mol = fixture("methane.mol");
    std::string body = mol.substr(0, mol.find("M  END"));
    struct Case {
        int code;
        std::string trailer;
    } cases[] = {
        {4, "M  END\n"},
        {4, "M  END\n$$$$\n"},
        {4, "M  CHG  2   1  -1   2   1\nM  ISO  1   2   2\nM  END\n"},
        {4, "M  CHG  1   1  -1\nM  CHG  1   2  -1\nM  END\n$$$$\n"},
        {4, "A    2\nOH\nV    3 value\nM  ZBO  1   1   0\nM  END\n"},
        {4, "anything\n"},  // one line of any other kind, as before
        {9, "M  END\n> <NAME>\nmethane\n\n"},
        {9, "M  CHG  1   1  -1\nM  END\n> <NAME>\nmethane\n$$$$\n"},
        {9, "M  END\n> <NAME>\nmethane\n\n$$$$\n"},  // a whole SD record
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trailer);
        load(c.code, body + c.trailer + "1111\n");
        ASSERT_FALSE(moleculeRejected()) << rejectionReason();
        EXPECT_EQ(geom.natoms, 5);
        EXPECT_EQ(geom.ialf(1, 1), 4);
        int32_t end = 0;
        readf(5, "(I4)", {end});
        EXPECT_EQ(end, 1111);
    }
    // a properties block without its end runs into the end of the file
    EXPECT_THROW(load(4, body + "M  CHG  1   1  -1\n"), FatalError);
}

TEST_F(Reader, ElementSymbols)
{
    struct {
        const char* label;
        int element;
    } cases[] = {{"CL  ", 17}, {"Cl  ", 17}, {"C1  ", 6}, {"cl  ", 54}, {"Xx  ", 54}, {"H12 ", 1},
                 {"BR  ", 35}, {"I   ", 53}, {"A   ", 2}, {"21  ", 54}, {"Se  ", 34}, {"0   ", 54}};
    std::string t = "SYMBOLS\n" + std::to_string(sizeof cases / sizeof cases[0]) + " 0\n\n";
    int n = 0;
    for (auto& c : cases)
    {
        ++n;
        t += csrAtom(n, c.label, n, 0, 0);
    }
    load(2, t);
    int i = 0;
    for (auto& c : cases)
        EXPECT_EQ(geom.iatno(++i), c.element) << c.label;
}

TEST_F(Reader, SymbolBlockEndsAtTheZeroRecord)
{
    std::string text = fixture("zmat_ethane.code8");
    // keep four atoms, then the terminator
    std::istringstream in(text);
    std::string line, cut;
    for (int k = 0; k < 7 && std::getline(in, line); ++k)
        cut += line + "\n";
    cut += " 0\n1111\n";
    load(8, cut);
    ASSERT_FALSE(moleculeRejected());
    EXPECT_EQ(geom.natoms, 4);
    EXPECT_EQ(micro.title.str().substr(0, 15), "ETHANE Z-MATRIX");
    int32_t end = 0;
    readf(5, "(I4)", {end});
    EXPECT_EQ(end, 1111);
}

TEST_F(Reader, GeometryDoesNotDependOnPlacement)
{
    // toluene rotated and moved: distances and dihedral angles stay
    std::string mol = fixture("toluene.mol");
    MolFile m = parseMol(mol);
    load(4, mol);
    ASSERT_FALSE(moleculeRejected());
    hybrid();
    testin();
    const int n = geom.natoms;
    std::vector<float> d0;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            d0.push_back(geom.dist(i, j));
    std::vector<float> t0;
    std::vector<std::array<int, 4>> paths;
    for (int a = 1; a <= n; ++a)
        for (int kb = 2; kb <= geom.ialf(a, 1) + 1; ++kb) {
            int b = geom.ialf(a, kb);
            for (int kc = 2; kc <= geom.ialf(b, 1) + 1; ++kc) {
                int c = geom.ialf(b, kc);
                for (int kd = 2; kd <= geom.ialf(c, 1) + 1; ++kd) {
                    int d = geom.ialf(c, kd);
                    if (c == a || d == b || d == a)
                        continue;
                    float th;
                    dihedl(th, a, b, c, d, 0, 0);
                    paths.push_back({a, b, c, d});
                    t0.push_back(th);
                }
            }
        }
    ASSERT_GT(paths.size(), 20u);
    // rotation about an oblique axis by 1 radian, then a shift
    const double ax[3] = {0.48, -0.6, 0.64}, c = std::cos(1.0), s = std::sin(1.0);
    double r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = (i == j ? c : 0.0) + (1 - c) * ax[i] * ax[j];
    r[0][1] -= s * ax[2]; r[0][2] += s * ax[1];
    r[1][0] += s * ax[2]; r[1][2] -= s * ax[0];
    r[2][0] -= s * ax[1]; r[2][1] += s * ax[0];
    std::istringstream in(mol);
    std::string line, moved;
    for (int k = 0; std::getline(in, line); ++k) {
        if (k >= 4 && k < 4 + static_cast<int>(m.xyz.size())) {
            auto p = m.xyz[static_cast<size_t>(k - 4)];
            double q[3];
            for (int i = 0; i < 3; ++i)
                q[i] = r[i][0] * p[0] + r[i][1] * p[1] + r[i][2] * p[2] + (i + 1) * 3.25;
            char buf[40];
            std::snprintf(buf, sizeof buf, "%10.4f%10.4f%10.4f", q[0], q[1], q[2]);
            line = buf + line.substr(30);
        }
        moved += line + "\n";
    }
    load(4, moved);
    hybrid();
    testin();
    size_t k = 0;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            EXPECT_NEAR(geom.dist(i, j), d0[k++], 3e-4) << i << "," << j;
    for (size_t p = 0; p < paths.size(); ++p) {
        float th;
        dihedl(th, paths[p][0], paths[p][1], paths[p][2], paths[p][3], 0, 0);
        EXPECT_NEAR(th, t0[p], 2e-3);
    }
}

TEST_F(Reader, DihedralOfCollinearAtomsIsZero)
{
    load(0, fixture("zmat_propyne.code0"));
    float th = 1.0f;
    dihedl(th, 3, 1, 2, 4, 0, 0);
    EXPECT_EQ(th, 0.0f);
    dihedl(th, 5, 4, 2, 1, 0, 0);
    EXPECT_EQ(th, 0.0f);
    // ethane: the staggered hydrogens 3 and 6 are 60 degrees apart
    load(0, fixture("zmat_ethane.code0"));
    dihedl(th, 3, 1, 2, 6, 0, 0);
    EXPECT_NEAR(th * 180.0f / geom.pi, 60.0f, 1e-3);
    dihedl(th, 3, 1, 2, 7, 0, 0);
    EXPECT_NEAR(th * 180.0f / geom.pi, 180.0f, 1e-2);
}

TEST_F(Reader, SecondAngleSideFollowsTheSign)
{
    load(0, fixture("zmat_methane2.code0"));
    // atoms 4 and 5 are mirror images through the plane of 1, 2, 3
    EXPECT_NEAR(geom.xyz(4, 1), geom.xyz(5, 1), 1e-5);
    EXPECT_NEAR(geom.xyz(4, 2), -geom.xyz(5, 2), 1e-5);
    EXPECT_NEAR(geom.xyz(4, 3), geom.xyz(5, 3), 1e-5);
    EXPECT_GT(std::fabs(geom.xyz(4, 2)), 0.5f);
}

TEST_F(Reader, ValidationMessages)
{
    // two atoms 0.5 apart: one warning, larger number first
    std::string t =
        "CLOSE\n 3 0\n\n" + csrAtom(1, "C", 0, 0, 0) + csrAtom(2, "H", 0.5, 0, 0) + csrAtom(3, "H", 0, 0.6, 0);
    load(2, t);
    hybrid();
    testin();
    EXPECT_EQ(cryst.ErrorFlag, 0);
    std::string l = listing();
    EXPECT_NE(l.find("\n\n\n   WARNING, DISTANCE BETWEEN ATOM   2 AND ATOM   1 =   0.500\n"), std::string::npos) << l;
    EXPECT_EQ(l.find("ATOM   3 AND ATOM   1"), std::string::npos);

    // a pi bond without a resonance parameter gets 0.50, once per order
    huch.ah(57) = 1.0f;
    huch.ah(55) = 1.0f;
    huch.ak(57, 57) = 0.0f;
    huch.ak(55, 57) = huch.ak(57, 55) = 0.0f;
    t = "PI\n 3 0\n\n" + csrAtom(1, "N", 0, 0, 0, {2, 3}) + csrAtom(2, "N", 1.3, 0, 0, {1}) +
        csrAtom(3, "C", 0, 1.4, 0, {1});
    load(2, t);
    geom.itype(1) = geom.itype(2) = 57;
    geom.itype(3) = 55;
    testin();
    EXPECT_FLOAT_EQ(huch.ak(57, 57), 0.5f);
    EXPECT_FLOAT_EQ(huch.ak(55, 57), 0.5f);
    EXPECT_FLOAT_EQ(huch.ak(57, 55), 0.5f);
    l = listing();
    size_t first = l.find("UNPARAMETERIZED PI SYSTEM   N -N SET DEFAULT VALUE OF AK = 0.50");
    EXPECT_NE(first, std::string::npos) << l;
    EXPECT_EQ(l.find("N -N SET", first + 40), std::string::npos) << "one message for 57-57";
    EXPECT_NE(l.find("   N -C SET DEFAULT"), std::string::npos);
    EXPECT_NE(l.find("   C -N SET DEFAULT"), std::string::npos);
}

TEST_F(Reader, ValidTypes)
{
    const std::set<int> valid = {1, 2, 6, 7, 8, 9, 10, 11, 14, 15, 16, 17, 34, 35, 53, 55, 56, 57, 58, 59, 60, 61, 62};
    for (int t : {-3, 0, 3, 5, 11, 12, 13, 33, 36, 52, 54, 60, 62, 63, 99}) {
        SCOPED_TRACE(t);
        load(2, "ONE\n 1 0\n\n" + csrAtom(1, "C", 0, 0, 0));
        geom.itype(1) = t;
        testin();
        EXPECT_EQ(cryst.ErrorFlag, valid.count(t) ? 0 : 1);
        std::string l = listing();
        if (!valid.count(t)) {
            char want[120];
            std::snprintf(want, sizeof want, "   INVALID ATOM NO    1     NAME%4s     ATOMIC NO%5d", 
                          t >= 1 && t <= 62 ? micro.symb(t).str().c_str() : "  ", t);
            EXPECT_NE(l.find(want), std::string::npos) << l;
            EXPECT_NE(l.find("   **********  INVALID ATOM FOUND-PROGRAM TERMINATING  ***********\n\n\n"),
                      std::string::npos);
        }
    }
    const std::set<int> ch = {1, 2, 3, 9, 10, 11, 17, 18, 19, 35, 53, 59, 60, 61};
    for (int t = 1; t <= 62; ++t) {
        EXPECT_EQ(chtest(t), ch.count(t) == 1) << t;
    }
}

TEST_F(Reader, ConnectionsOutsideTheMoleculeReject)
{
    std::string mol = fixture("methane.mol");
    std::string bad = mol;
    bad.replace(bad.find("  1  2  1  0"), 6, "  1  9");
    load(4, bad + "1111\n");
    EXPECT_TRUE(moleculeRejected());
    int32_t end = 0;
    readf(5, "(I4)", {end});  // the trailer was still skipped
    EXPECT_EQ(end, 1111);
    EXPECT_NE(listing().find("MOLECULE REJECTED: BOND 1 NAMES ATOM 9 OUTSIDE THE MOLECULE"), std::string::npos);

    load(2, "CSR\n 2 0\n\n" + csrAtom(1, "C", 0, 0, 0, {2, -4}) + csrAtom(2, "H", 1.09, 0, 0, {1}) + "1111\n");
    EXPECT_TRUE(moleculeRejected());
    readf(5, "(I4)", {end});
    EXPECT_EQ(end, 1111);

    // empty connection slots between used ones are closed up
    load(2, "CSR\n 3 0\n\n" + csrAtom(1, "C", 0, 0, 0, {0, 2, 0, 3}) + csrAtom(2, "H", 1.09, 0, 0, {1}) +
                csrAtom(3, "H", 0, 1.09, 0, {1}));
    ASSERT_FALSE(moleculeRejected());
    EXPECT_EQ(geom.ialf(1, 1), 2);
    EXPECT_EQ(geom.ialf(1, 2), 2);
    EXPECT_EQ(geom.ialf(1, 3), 3);
}
