// Atom typing, rings and ring current, the Hueckel matrix, pi charges and
// the dipole, run in process.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "common.h"
#include "geometry.h"
#include "huckel.h"
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

using velmar::test::Atom;
using velmar::test::csr;

// A planar ring of n atoms of the given bond length with one hydrogen on
// each, atoms numbered ring first; rotated by angle about the x axis and
// shifted along x.
std::vector<Atom> ring(int n, double cc, double ch, int first = 1, double shift = 0.0, double twist = 0.0,
                       const char* sym = "C")
{
    std::vector<Atom> a;
    double r = cc / (2 * std::sin(M_PI / n));
    for (int k = 0; k < n; ++k) {
        double phi = 2 * M_PI * k / n;
        int prev = first + (k + n - 1) % n, next = first + (k + 1) % n;
        a.push_back({sym, 0, 0, 0, {prev, next, first + n + k}});
        double y = r * std::sin(phi), x = r * std::cos(phi);
        a.back().x = x + shift;
        a.back().y = y * std::cos(twist);
        a.back().z = y * std::sin(twist);
    }
    for (int k = 0; k < n; ++k) {
        double phi = 2 * M_PI * k / n;
        double y = (r + ch) * std::sin(phi), x = (r + ch) * std::cos(phi);
        a.push_back({"H", x + shift, y * std::cos(twist), y * std::sin(twist), {first + k}});
    }
    return a;
}

class Pi : public ::testing::Test {
protected:
    void SetUp() override { velmar::test::loadParameters(VELMAR_PARAMS); }
    void TearDown() override { closeAllUnits(); }

    // Reads a molecule and runs the steps up to and including validation.
    void load(int code, const std::string& text, int outputMode = 0)
    {
        closeAllUnits();
        ks::test::writeFile(ks::test::tempDir() + "/in.dat", text);
        openUnit(5, ks::test::tempDir() + "/in.dat", UnitKind::Input);
        openUnit(12, ks::test::tempDir() + "/out.lis", UnitKind::Listing);
        cryst.InputCode = code;
        cryst.OutputMode = outputMode;
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
    }
    void loadMol(const std::string& name) { load(4, fixture(name + ".mol")); }
    std::string listing()
    {
        closeAllUnits();
        return ks::test::readFile(ks::test::tempDir() + "/out.lis");
    }
    int firstOfType(int t)
    {
        for (int i = 1; i <= geom.natoms; ++i)
            if (geom.itype(i) == t)
                return i;
        return 0;
    }
};

}  // namespace

TEST_F(Pi, TypesAndNeighbourCounts)
{
    loadMol("acetone");
    int o = firstOfType(60), c = firstOfType(55);
    ASSERT_NE(o, 0);
    ASSERT_NE(c, 0);
    EXPECT_EQ(geom.nnco(c), 1);
    for (int i = 1; i <= geom.natoms; ++i) {
        if (geom.itype(i) == 6) {
            EXPECT_EQ(geom.nnacyl(i), 1);
        }
    }

    loadMol("acetonitrile");
    EXPECT_NE(firstOfType(59), 0);
    EXPECT_EQ(geom.nnn59(firstOfType(56)), 1);

    loadMol("methanol");
    for (int i = 1; i <= geom.natoms; ++i) {
        if (geom.itype(i) == 1) {
            EXPECT_EQ(geom.nno(i), geom.ialf(i, 2) == firstOfType(8) ? 1 : 0);
        }
    }

    loadMol("dmso");
    EXPECT_NE(firstOfType(62), 0);
    EXPECT_EQ(huch.nchat, 0);

    // ammonium: four neighbours keep type 7 and add a charge of +1
    load(2, csr({{"N", 0, 0, 0, {2, 3, 4, 5}}, {"H", 1, 0, 0, {1}}, {"H", -1, 0, 0, {1}}, {"H", 0, 1, 0, {1}},
                 {"H", 0, -1, 0, {1}}}));
    EXPECT_EQ(geom.itype(1), 7);
    ASSERT_EQ(huch.nchat, 1);
    EXPECT_EQ(huch.ichat(1), 1);
    EXPECT_EQ(huch.chat(1), 1.0f);
    for (int h = 2; h <= 5; ++h)
        EXPECT_EQ(geom.nnn(h), 1);
    std::string l = listing();
    size_t at = l.find("     UNPARAMETRISED CHARGED SPECIES\n");
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(l.find("CHARGED SPECIES", at + 30), std::string::npos);

    // amide nitrogen: planar through the carbonyl oxygen two bonds away;
    // its hydrogen is labile
    load(2, csr({{"C", 0, 0, 0, {2, 3, 4}}, {"O", 0, 0, 0, {1}}, {"N", 0, 0, 0, {1, 5, 6}}, {"H", 0, 0, 0, {1}},
                 {"H", 0, 0, 0, {3}}, {"C", 0, 0, 0, {3, 7, 8, 9}}, {"H", 0, 0, 0, {6}}, {"H", 0, 0, 0, {6}},
                 {"H", 0, 0, 0, {6}}}));
    EXPECT_EQ(geom.itype(3), 57);
    EXPECT_EQ(geom.itype(1), 55);
    EXPECT_EQ(geom.nnn57(5), 1);
    EXPECT_EQ(geom.nnn57(6), 1);

    // sulfur with three one-connected oxygens: each oxygen carries -0.3333
    load(2, csr({{"S", 0, 0, 0, {2, 3, 4, 5}}, {"O", 0, 0, 0, {1}}, {"O", 0, 0, 0, {1}}, {"O", 0, 0, 0, {1}},
                 {"C", 0, 0, 0, {1, 6, 7, 8}}, {"H", 0, 0, 0, {5}}, {"H", 0, 0, 0, {5}}, {"H", 0, 0, 0, {5}}}));
    EXPECT_EQ(geom.itype(1), 62);
    ASSERT_EQ(huch.nchat, 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(huch.ichat(k), k + 1);
        EXPECT_EQ(huch.chat(k), -0.33329999f);
    }
    EXPECT_EQ(geom.nno(1), 3);

    // a sulfone keeps no charges
    load(2, csr({{"S", 0, 0, 0, {2, 3, 4, 5}}, {"O", 0, 0, 0, {1}}, {"O", 0, 0, 0, {1}}, {"C", 0, 0, 0, {1}},
                 {"C", 0, 0, 0, {1}}}));
    EXPECT_EQ(geom.itype(1), 62);
    EXPECT_EQ(huch.nchat, 0);
}

TEST_F(Pi, RingCodes)
{
    struct {
        const char* name;
        int n5, n6, code;
    } cases[] = {{"pyrrole", 1, 0, 5}, {"furan", 1, 0, 5}, {"thiophene", 1, 0, 5}, {"benzene", 0, 1, 6},
                 {"pyridine", 0, 1, 6}, {"cyclohexane", 0, 1, 2}, {"naphthalene", 0, 2, 6}, {"toluene", 0, 1, 6}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        loadMol(c.name);
        EXPECT_EQ(geom.nring5, c.n5);
        EXPECT_EQ(geom.nring6, c.n6);
        std::set<int> members;
        for (int r = 1; r <= geom.nring5; ++r)
            for (int m = 1; m <= 5; ++m)
                members.insert(geom.iring5(r, m));
        for (int r = 1; r <= geom.nring6; ++r)
            for (int m = 1; m <= 6; ++m)
                members.insert(geom.iring6(r, m));
        for (int i = 1; i <= geom.natoms; ++i)
            EXPECT_EQ(huch.iarom(i), members.count(i) ? c.code : 0) << i;
    }
    loadMol("pyrrole");
    EXPECT_EQ(geom.itype(firstOfType(57)), 57);
    EXPECT_EQ(firstOfType(7), 0);  // the ring nitrogen is planar
    loadMol("naphthalene");
    std::set<int> shared;
    for (int p = 1; p <= 6; ++p)
        for (int q = 1; q <= 6; ++q)
            if (geom.iring6(1, p) == geom.iring6(2, q))
                shared.insert(geom.iring6(1, p));
    EXPECT_EQ(shared.size(), 2u);
}

TEST_F(Pi, BenzeneRingCurrent)
{
    load(2, csr(ring(6, 1.39, 1.08)));
    ASSERT_EQ(geom.nring6, 1);
    // point dipole at the ring centre, 26.23 / r^3 in the ring plane
    const double want = 26.23 / std::pow(1.39 + 1.08, 3);
    EXPECT_NEAR(want, 1.74, 0.005);
    for (int h = 7; h <= 12; ++h)
        EXPECT_NEAR(geom.ringct(h), want, 1e-3);
    for (int c = 1; c <= 6; ++c)
        EXPECT_EQ(geom.ringct(c), 0.0f);

    // cyclohexane: found, but no ring current
    loadMol("cyclohexane");
    EXPECT_EQ(geom.nring6, 1);
    for (int i = 1; i <= geom.natoms; ++i)
        EXPECT_EQ(geom.ringct(i), 0.0f);
}

TEST_F(Pi, EigenSolverAgainstNumpy)
{
    static BigMat a, z;
    static Vec<float, kMaxAtoms> d;
    for (int size : {2, 3, 6, 10, 25}) {
        SCOPED_TRACE(size);
        std::istringstream in(fixture("eigen_" + std::to_string(size) + ".txt"));
        int n;
        in >> n;
        ASSERT_EQ(n, size);
        for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j)
                in >> a(i, j);
        std::vector<double> w(static_cast<size_t>(n));
        for (auto& x : w)
            in >> x;
        std::vector<std::vector<double>> v(static_cast<size_t>(n), std::vector<double>(static_cast<size_t>(n)));
        for (auto& row : v)
            for (auto& x : row)
                in >> x;
        ASSERT_TRUE(matdia(a, d, z, n));
        for (int k = 1; k <= n; ++k) {
            EXPECT_NEAR(d(k), w[static_cast<size_t>(k - 1)], 2e-5) << k;
            // the same vector up to its sign
            double dot = 0;
            for (int i = 1; i <= n; ++i)
                dot += z(i, k) * v[static_cast<size_t>(i - 1)][static_cast<size_t>(k - 1)];
            double s = dot < 0 ? -1.0 : 1.0;
            for (int i = 1; i <= n; ++i)
                EXPECT_NEAR(s * z(i, k), v[static_cast<size_t>(i - 1)][static_cast<size_t>(k - 1)], 2e-4);
        }
        // the upper triangle is never read
        for (int i = 1; i <= n; ++i)
            for (int j = i + 1; j <= n; ++j)
                a(i, j) = 1e6f;
        ASSERT_TRUE(matdia(a, d, z, n));
        EXPECT_NEAR(d(1), w[0], 2e-5);
    }
}

TEST_F(Pi, EigenSolverIterationCap)
{
    static BigMat a, z;
    static Vec<float, kMaxAtoms> d;
    std::istringstream in(fixture("eigen_10.txt"));
    int n;
    in >> n;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            in >> a(i, j);
    EXPECT_FALSE(matdia(a, d, z, n, 1));
    EXPECT_TRUE(matdia(a, d, z, n));
    // a matrix with a non-finite element ends without looping
    a(5, 2) = std::nanf("");
    matdia(a, d, z, n);
}

TEST_F(Pi, BenzeneAndButadienePiExcess)
{
    load(2, csr(ring(6, 1.39, 1.08)));
    edens();
    for (int c = 1; c <= 6; ++c)
        EXPECT_NEAR(huch.piexs(c), 0.0f, 1e-5);
    std::string l = listing();
    EXPECT_NE(l.find(" AROMATIC SYSTEM No  1     6 ATOMS AND  6 ELECTRONS  ATOM No  1  6  2  5  3  4\n"), std::string::npos) << l;

    // butadiene: the long central bond raises the diagonal of the inner
    // carbons, which give pi electrons to the outer ones
    load(2, csr({{"C", 0, 0, 0, {2, 5, 6}},      {"C", 1.34, 0, 0, {1, 3, 7}},    {"C", 2.0, 1.27, 0, {2, 4, 8}},
                 {"C", 3.34, 1.27, 0, {3, 9, 10}}, {"H", -0.5, -0.9, 0, {1}},     {"H", -0.5, 0.9, 0, {1}},
                 {"H", 1.9, -0.9, 0, {2}},        {"H", 1.4, 2.2, 0, {3}},        {"H", 3.9, 2.2, 0, {4}},
                 {"H", 3.9, 0.4, 0, {4}}}));
    edens();
    float sum = 0;
    for (int c = 1; c <= 4; ++c)
        sum += huch.piexs(c);
    EXPECT_NEAR(sum, 0.0f, 1e-5);
    EXPECT_NEAR(huch.piexs(1), huch.piexs(4), 1e-5);
    EXPECT_NEAR(huch.piexs(2), huch.piexs(3), 1e-5);
    EXPECT_GT(huch.piexs(2), 1e-3f);
}

TEST_F(Pi, DegenerateAndOddOccupation)
{
    // cyclobutadiene: four electrons, a degenerate pair at the frontier
    // with one electron each, so every atom keeps one electron
    load(2, csr(ring(4, 1.39, 1.08)));
    edens();
    for (int c = 1; c <= 4; ++c)
        EXPECT_NEAR(huch.piexs(c), 0.0f, 1e-4) << c;
    EXPECT_NE(listing().find(" 4 ATOMS AND  4 ELECTRONS"), std::string::npos);

    // allyl radical: three electrons, the odd one in the non-bonding orbital
    load(2, csr({{"C", 0, 0, 0, {2, 4, 5}}, {"C", 1.39, 0, 0, {1, 3, 6}}, {"C", 2.08, 1.2, 0, {2, 7, 8}},
                 {"H", -0.5, -0.9, 0, {1}}, {"H", -0.5, 0.9, 0, {1}}, {"H", 1.9, -0.9, 0, {2}},
                 {"H", 1.6, 2.1, 0, {3}}, {"H", 3.1, 1.2, 0, {3}}}));
    edens();
    for (int c = 1; c <= 3; ++c)
        EXPECT_NEAR(huch.piexs(c), 0.0f, 1e-4) << c;
    EXPECT_NE(listing().find(" 3 ATOMS AND  3 ELECTRONS"), std::string::npos);
}

TEST_F(Pi, Carboxylate)
{
    load(2, csr({{"C", 0, 0, 0, {2, 3, 4}}, {"O", 1.25, 0, 0, {1}}, {"O", -0.62, 1.08, 0, {1}},
                 {"C", -0.75, -1.3, 0, {1, 5, 6, 7}}, {"H", 0, -2.1, 0, {4}}, {"H", -1.4, -1.3, 0.9, {4}},
                 {"H", -1.4, -1.3, -0.9, {4}}}));
    edens();
    std::string l = listing();
    EXPECT_NE(l.find(" 3 ATOMS AND  4 ELECTRONS"), std::string::npos) << l;
    EXPECT_NEAR(huch.piexs(1) + huch.piexs(2) + huch.piexs(3), 0.0f, 1e-4);
    EXPECT_NEAR(huch.piexs(2), huch.piexs(3), 1e-4);
    EXPECT_LT(huch.piexs(2), 0.0f);
}

TEST_F(Pi, TwistedBiarylReport)
{
    struct {
        double twist;
        bool report;
    } cases[] = {{30.0, true}, {150.0, true}, {0.0, false}, {4.0, false}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.twist);
        // two benzene rings joined through atoms 1 and 12 along x; the
        // second ring is turned about the joining bond. Atoms: ring 1 1-6,
        // its hydrogens 7-11, ring 2 12-17, its hydrogens 18-22.
        const double rc = 1.39, t = c.twist * M_PI / 180.0;
        std::vector<Atom> fixed;
        auto carbon = [&](double cx, double sign, int k, bool turned) {
            double phi = 2 * M_PI * k / 6;
            double x = cx + sign * rc * std::cos(phi), y = rc * std::sin(phi);
            return Atom{"C", x, turned ? y * std::cos(t) : y, turned ? y * std::sin(t) : 0.0, {}};
        };
        const double c1 = -0.74 - rc, c2 = 0.74 + rc;
        for (int k = 0; k < 6; ++k)
            fixed.push_back(carbon(c1, 1.0, k, false));
        for (int k = 1; k < 6; ++k) {
            Atom h = fixed[static_cast<size_t>(k)];
            double s = (rc + 1.08) / rc;
            fixed.push_back({"H", c1 + (h.x - c1) * s, h.y * s, 0.0, {}});
        }
        for (int k = 0; k < 6; ++k)
            fixed.push_back(carbon(c2, -1.0, k, true));
        for (int k = 1; k < 6; ++k) {
            Atom h = fixed[static_cast<size_t>(11 + k)];
            double s = (rc + 1.08) / rc;
            fixed.push_back({"H", c2 + (h.x - c2) * s, h.y * s, h.z * s, {}});
        }
        for (int k = 0; k < 6; ++k) {
            fixed[static_cast<size_t>(k)].nb = {1 + (k + 5) % 6, 1 + (k + 1) % 6, k == 0 ? 12 : 6 + k};
            fixed[static_cast<size_t>(11 + k)].nb = {12 + (k + 5) % 6, 12 + (k + 1) % 6, k == 0 ? 1 : 17 + k};
        }
        for (int k = 1; k < 6; ++k) {
            fixed[static_cast<size_t>(5 + k)].nb = {k + 1};
            fixed[static_cast<size_t>(16 + k)].nb = {12 + k};
        }
        load(2, csr(fixed));
        edens();
        std::string l = listing();
        size_t at = l.find(" NON-PLANAR PI SYSTEM FOUND THE FOLLOWING ALTERATIONS WILL BE MADE\n");
        if (!c.report) {
            EXPECT_EQ(at, std::string::npos) << l;
            EXPECT_EQ(l.find("TOTAL NUMBER OF CHANGES"), std::string::npos);
            continue;
        }
        ASSERT_NE(at, std::string::npos) << l;
        EXPECT_NE(l.find(" =   30.00  HUCKEL ELEMENT( 12,  1) CHANGED FROM -1.00  TO -0.87\n"), std::string::npos) << l;
        EXPECT_NE(l.find(" TOTAL NUMBER OF CHANGES =    1\n"), std::string::npos);
        EXPECT_NEAR(huch.hmat(12, 1), -std::cos(30.0 * M_PI / 180.0), 2e-3);
        EXPECT_EQ(huch.hmat(12, 1), huch.hmat(1, 12));
    }
}

TEST_F(Pi, MissingNeighboursAreSkipped)
{
    // two three-connected carbons whose only neighbour is each other: the
    // twisted-bond test has no end atoms
    load(2, csr({{"C", 0, 0, 0, {2}}, {"C", 1.34, 0, 0, {1}}}));
    geom.itype(1) = geom.itype(2) = 55;
    matrix();
    EXPECT_FLOAT_EQ(huch.hmat(1, 2), -huch.ak(55, 55));

    // formic anhydride: the carbonyl carbons have no three-connected carbon
    // neighbour for the anhydride rule
    load(2, csr({{"C", 0, 0, 0, {2, 3, 6}}, {"O", 1.2, 0, 0, {1}}, {"O", -0.7, 1.1, 0, {1, 4}},
                 {"C", -2.0, 1.1, 0, {3, 5, 7}}, {"O", -2.7, 2.1, 0, {4}}, {"H", -0.5, -0.9, 0, {1}},
                 {"H", -2.5, 0.2, 0, {4}}}));
    edens();
    EXPECT_FLOAT_EQ(huch.hmat(1, 1), 0.9f);
    EXPECT_FLOAT_EQ(huch.hmat(3, 1), -1.2f);
    EXPECT_FLOAT_EQ(huch.hmat(2, 1), -0.7f);
}

TEST_F(Pi, DipoleOfAnUnchargedMoleculeIsZero)
{
    loadMol("benzene");
    for (int i = 1; i <= geom.natoms; ++i)
        geom.charge(i) = 0.0f;
    dipole();
    EXPECT_EQ(huch.dipm, 0.0f);
    EXPECT_EQ(huch.dipx, 0.0f);
    // two opposite charges one Angstrom apart: 4.8 Debye
    geom.charge(1) = 1.0f;
    geom.charge(4) = -1.0f;
    dipole();
    float d = geom.dist(1, 4);
    EXPECT_NEAR(huch.dipm, 4.8f * d, 1e-4);
}
