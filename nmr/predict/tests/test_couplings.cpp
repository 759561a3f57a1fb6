// Coupling constants, the solvent increments against published values,
// plausible shifts with the bundled parameters, and golden result files of
// the fixture set.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "common.h"
#include "routines.h"
#include "units.h"
#include "velmar_testutil.h"

using velmar::test::Result;
using velmar::test::runVelmar;
using velmar::test::countLines;
using velmar::test::unixLines;

namespace {

const char* const kFixtures[] = {"methane", "ethane", "propane", "cyclohexane", "benzene", "toluene", "pyridine",
                                 "furan", "thiophene", "pyrrole", "methanol", "ethanol", "acetone", "acetonitrile",
                                 "acetic_acid", "dichloromethane", "chloroform", "dmso", "water", "naphthalene",
                                 "phenol", "aniline", "ammonia", "methylamine", "benzaldehyde", "nitrobenzene",
                                 "benzonitrile", "cyclopropane"};

// Molecules with protons on oxygen or nitrogen.
const char* const kLabile[] = {"water", "methanol", "ethanol", "phenol", "acetic_acid", "pyrrole", "aniline",
                               "ammonia", "methylamine"};

std::string fixture(const std::string& name)
{
    return ks::test::readFile(std::string(VELMAR_FIXTURES) + "/" + name);
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

// Couplings of the coupling file by ordered pair.
std::map<std::pair<int, int>, double> couplingFile(const std::string& text)
{
    std::map<std::pair<int, int>, double> m;
    for (const auto& l : lines(unixLines(text)))
        m[{std::stoi(l.substr(0, 3)), std::stoi(l.substr(4, 3))}] = std::stod(l.substr(8, 6));
    return m;
}

// Heavy atom of every hydrogen of a fixture molfile (atom numbers from 1).
std::map<int, int> carriers(const std::string& mol)
{
    auto ls = lines(mol);
    int na = std::stoi(ls[3].substr(0, 3)), nb = std::stoi(ls[3].substr(3, 3));
    std::vector<std::string> sym;
    for (int k = 0; k < na; ++k) {
        std::string s = ls[static_cast<size_t>(4 + k)].substr(31, 3);
        sym.push_back(s.substr(0, s.find(' ')));
    }
    std::map<int, int> on;
    for (int k = 0; k < nb; ++k) {
        const auto& l = ls[static_cast<size_t>(4 + na + k)];
        int a = std::stoi(l.substr(0, 3)), b = std::stoi(l.substr(3, 3));
        if (sym[static_cast<size_t>(a - 1)] == "H")
            on[a] = b;
        if (sym[static_cast<size_t>(b - 1)] == "H")
            on[b] = a;
    }
    return on;
}

// Values of a one-record-per-hydrogen file by hydrogen atom number.
std::map<int, double> perHydrogen(const std::string& mol, const std::string& file)
{
    auto on = carriers(mol);
    auto recs = lines(unixLines(file));
    std::map<int, double> v;
    size_t k = 0;
    for (auto& [h, c] : on) {
        (void)c;
        if (k < recs.size())
            v[h] = std::stod(recs[k++].substr(0, 10));
    }
    return v;
}

double meanOn(const std::string& mol, const std::map<int, double>& v, int carrier)
{
    auto on = carriers(mol);
    double s = 0;
    int n = 0;
    for (auto& [h, c] : on)
        if (c == carrier) {
            s += v.at(h);
            ++n;
        }
    return n ? s / n : NAN;
}

}  // namespace

TEST(VelmarCouplings, EthaneAndBenzene)
{
    Result e = runVelmar("40100\n" + fixture("ethane.mol") + "1111\n");
    ASSERT_EQ(e.run.exitCode, 0) << e.run.err;
    auto ce = couplingFile(e.couplings);
    // hydrogens 3-5 on carbon 1, 6-8 on carbon 2
    for (int i = 3; i <= 8; ++i)
        for (int j = 3; j <= 8; ++j) {
            if (i == j)
                continue;
            bool geminal = (i <= 5) == (j <= 5);
            ASSERT_TRUE(ce.count(std::make_pair(i, j))) << i << "," << j;  // both orders are written
            EXPECT_EQ(ce[std::make_pair(i, j)], geminal ? -12.5 : 6.0) << i << "," << j;
        }
    EXPECT_EQ(ce.size(), 30u);
    EXPECT_NE(e.listing.find("\n  HH COUPLINGS (Hz)  0\n\n  3   4  -12.5\n"), std::string::npos);
    EXPECT_EQ(e.listing.find("  4   3  -12.5"), std::string::npos) << "the listing shows each pair once";

    Result b = runVelmar("40100\n" + fixture("benzene.mol") + "1111\n");
    auto cb = couplingFile(b.couplings);
    // hydrogen 6 + k sits on ring carbon k (k = 1..6)
    for (int k = 1; k <= 6; ++k)
        for (int m = 1; m <= 6; ++m) {
            if (k == m)
                continue;
            int ring = std::min(std::abs(k - m), 6 - std::abs(k - m));
            std::pair<int, int> pair{6 + k, 6 + m};
            if (ring == 3) {
                EXPECT_FALSE(cb.count(pair)) << "para " << k << "," << m;
            } else {
                ASSERT_TRUE(cb.count(pair));
                EXPECT_EQ(cb[pair], ring == 1 ? 7.5 : 1.5);
            }
        }
}

TEST(VelmarCouplings, EquivalenceAndSolvent)
{
    // with equivalence handling on, protons of equal shift and equal
    // couplings to all others lose their coupling
    Result e = runVelmar("40101\n" + fixture("ethane.mol") + "1111\n");
    ASSERT_EQ(e.run.exitCode, 0) << e.run.err;
    EXPECT_EQ(e.couplings, "");
    EXPECT_NE(e.listing.find("  HH COUPLINGS (Hz)  1\n"), std::string::npos);

    // D2O: no coupling across oxygen; a four-bond path with no rule stores
    // nothing (methyl and hydroxyl hydrogens of ethanol)
    std::string mol = fixture("ethanol.mol");
    auto on = carriers(mol);
    int oh = 0;
    for (auto& [h, c] : on)
        if (c == 3)
            oh = h;
    for (const char* control : {"40100\n", "40120\n"}) {
        Result r = runVelmar(control + mol + "1111\n");
        auto c = couplingFile(r.couplings);
        bool d2o = std::string(control) == "40120\n";
        for (auto& [pair, v] : c) {
            (void)v;
            if (pair.first == oh || pair.second == oh) {
                EXPECT_FALSE(d2o) << "coupling across oxygen in D2O";
                int other = pair.first == oh ? pair.second : pair.first;
                EXPECT_EQ(on[other], 2) << "only the CH2 hydrogens couple to OH";
            }
        }
        if (!d2o) {
            bool any = false;
            for (auto& [pair, v] : c)
                any = any || (pair.first == oh && on[pair.second] == 2 && v != 0.0);
            EXPECT_TRUE(any);
        }
    }
}

TEST(VelmarCouplings, VicinalCorrectionNeedsASubstituent)
{
    // ClCH2-CH2Cl: the Cl substituents correct the vicinal couplings; with
    // one chlorine taken away the correction of that carbon is skipped
    using namespace velmar;
    auto build = [](bool second) {
        std::string t = "DCE\n" + std::string(second ? " 8" : " 8") + " 0\n\n";
        char buf[120];
        struct A {
            const char* s;
            double x, y, z;
            std::vector<int> nb;
        } atoms[] = {{"C", 0, 0, 0, {2, 3, 5, 6}},          {"C", 1.52, 0, 0, {1, 4, 7, 8}},
                     {"Cl", -0.6, 1.65, 0, {1}},             {"Cl", 2.12, -1.65, 0, {2}},
                     {"H", -0.37, -0.52, 0.89, {1}},         {"H", -0.37, -0.52, -0.89, {1}},
                     {"H", 1.89, 0.52, 0.89, {2}},           {"H", 1.89, 0.52, -0.89, {2}}};
        int i = 0;
        for (auto& a : atoms) {
            std::snprintf(buf, sizeof buf, "%5d%-4s  %9.5f %9.5f %9.5f ", ++i, a.s, a.x, a.y, a.z);
            t += buf;
            for (int n : a.nb) {
                std::snprintf(buf, sizeof buf, "%4d", n);
                t += buf;
            }
            t += "\n";
        }
        return t;
    };
    openUnit(4, VELMAR_PARAMS, UnitKind::Input);
    param();
    symmetrizeParameters();
    closeAllUnits();
    auto couplingOf = [&](bool dropChlorine) {
        ks::test::writeFile(ks::test::tempDir() + "/in.dat", build(true));
        openUnit(5, ks::test::tempDir() + "/in.dat", UnitKind::Input);
        openUnit(12, ks::test::tempDir() + "/out.lis", UnitKind::Listing);
        openUnit(11, ks::test::tempDir() + "/cpl.dat", UnitKind::Result);
        cryst.InputCode = 2;
        cryst.Solvent = 0;
        cbforder = 0;
        resetMolecule();
        readMolecule();
        hybrid();
        arings();
        testin();
        edens();
        if (dropChlorine) {
            // carbon 1 keeps two hydrogens but has no substituent left
            geom.ialf(1, 1) = 3;
            geom.ialf(1, 2) = 2;
            geom.ialf(1, 3) = 5;
            geom.ialf(1, 4) = 6;
            geom.ialf(1, 5) = 0;
        }
        calcj();
        closeAllUnits();
        return couplingFile(ks::test::readFile(ks::test::tempDir() + "/cpl.dat"));
    };
    auto full = couplingOf(false);
    auto cut = couplingOf(true);
    const auto pair = std::make_pair(5, 7);
    ASSERT_TRUE(full.count(pair));
    ASSERT_TRUE(cut.count(pair));
    EXPECT_NE(full[pair], cut[pair]);
    EXPECT_TRUE(std::isfinite(cut[pair]));
}

TEST(VelmarSolvent, DmsoIncrementsAgainstPublishedDifferences)
{
    // DMSO-d6 minus CDCl3 (Gottlieb, Kotlyar, Nudelman 1997)
    struct {
        const char* name;
        int carrier;
        double published;
    } cases[] = {{"benzene", 1, 0.01}, {"methanol", 1, -0.33}, {"ethanol", 2, -0.28}, {"ethanol", 1, -0.19},
                 {"acetone", 1, -0.08}};
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.carrier));
        std::string mol = fixture(std::string(c.name) + ".mol");
        Result r = runVelmar("40010\n" + mol + "1111\n");
        ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
        auto inc = perHydrogen(mol, r.solvent);
        EXPECT_NEAR(meanOn(mol, inc, c.carrier), c.published, 0.1);
    }
}

TEST(VelmarShiftsPlausible, BundledParametersGivePlausibleShifts)
{
    struct {
        const char* name;
        int carrier;
        double lo, hi;
    } cases[] = {{"ethane", 1, 0.5, 2.0},     {"propane", 1, 0.5, 2.0},  {"propane", 2, 0.5, 2.0},
                 {"cyclohexane", 1, 0.5, 2.0}, {"ethanol", 1, 0.5, 2.0}, {"methanol", 1, 3.0, 4.0},
                 {"benzene", 1, 6.5, 8.5},     {"toluene", 3, 6.5, 8.5}, {"toluene", 4, 6.5, 8.5},
                 {"toluene", 5, 6.5, 8.5},     {"pyridine", 1, 6.5, 8.5}, {"pyridine", 2, 6.5, 8.5},
                 {"pyridine", 3, 6.5, 8.5},    {"naphthalene", 1, 6.5, 8.5}, {"naphthalene", 3, 6.5, 8.5}};
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.carrier));
        std::string mol = fixture(std::string(c.name) + ".mol");
        Result r = runVelmar("40000\n" + mol + "1111\n");
        ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
        double v = meanOn(mol, perHydrogen(mol, r.shifts), c.carrier);
        EXPECT_GE(v, c.lo);
        EXPECT_LE(v, c.hi);
    }
}

namespace {

// Atom charges of the (single) molecule of an output mode 0 listing.
std::vector<double> listedCharges(const std::string& listing)
{
    std::vector<double> q;
    size_t at = listing.find("GEOMETRY (Z-MATRIX)");
    if (at == std::string::npos)
        return q;
    auto ls = lines(listing.substr(at));
    for (size_t k = 4; k < ls.size() && ls[k].size() >= 86; ++k)
        q.push_back(std::stod(ls[k].substr(56, 10)));
    return q;
}

struct PublishedRow {
    std::string molecule;
    int atom;
    double shift;
    bool labile;  // with a band lo..hi
    double lo, hi;
    bool fitted;
};

std::vector<PublishedRow> publishedShifts()
{
    std::vector<PublishedRow> rows;
    std::istringstream in(ks::test::readFile(std::string(VELMAR_TOOLS) + "/fit_shifts.txt"));
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream f(line);
        PublishedRow r{};
        if (!(f >> r.molecule >> r.atom >> r.shift))
            continue;
        std::string fourth;
        r.fitted = true;
        if (f >> fourth) {
            if (fourth == "check") {
                r.fitted = false;
            } else {
                r.labile = true;
                r.lo = std::stod(fourth);
                f >> r.hi;
            }
        }
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

TEST(VelmarShiftsPlausible, HydrogensOnOxygenAndNitrogenArePositive)
{
    // Textbook signs: the hydrogen of an O-H or N-H bond carries a positive
    // charge, its oxygen or nitrogen a negative one.
    for (const char* name : kLabile) {
        SCOPED_TRACE(name);
        std::string mol = fixture(std::string(name) + ".mol");
        Result r = runVelmar("40000\n" + mol + "1111\n");
        ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
        std::vector<double> q = listedCharges(r.listing);
        auto on = carriers(mol);
        auto ls = lines(mol);
        int labile = 0;
        for (auto [h, c] : on) {
            std::string sym = ls[static_cast<size_t>(3 + c)].substr(31, 2);
            if (sym != "O " && sym != "N ")
                continue;
            ++labile;
            ASSERT_LE(static_cast<size_t>(std::max(h, c)), q.size());
            EXPECT_GT(q[static_cast<size_t>(h - 1)], 0.1) << "hydrogen " << h;
            EXPECT_LT(q[static_cast<size_t>(c - 1)], 0.0) << "atom " << c;
        }
        EXPECT_GT(labile, 0);
    }
}

TEST(VelmarShiftsPlausible, EveryLabileProtonOfTheFixturesIsOnTheScale)
{
    std::string input = "40000LABILE\n";
    for (const char* name : kFixtures)
        input += fixture(std::string(name) + ".mol") + (std::string(name) == "cyclopropane" ? "" : "   0\n");
    Result r = runVelmar(input + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    int labile = 0;
    for (const auto& l : lines(unixLines(r.shifts)))
        if (l.find("LABILE PROTON") != std::string::npos) {
            ++labile;
            double v = std::stod(l.substr(0, 10));
            EXPECT_GE(v, 0.0) << l;
            EXPECT_LE(v, 14.0) << l;
        }
    // water 2, methanol, ethanol, phenol, acetic acid, pyrrole 1 each,
    // aniline 2, ammonia 3, methylamine 2
    EXPECT_EQ(labile, 14);
}

TEST(VelmarShiftsPlausible, PublishedSetRmsAndLabileBands)
{
    auto rows = publishedShifts();
    std::set<std::string> names;
    for (const auto& row : rows)
        names.insert(row.molecule);
    std::string input = "40000PUBLISHED SET\n";
    std::vector<std::string> order(names.begin(), names.end());
    for (size_t k = 0; k < order.size(); ++k)
        input += (k ? "   0\n" : "") + fixture(order[k] + ".mol");
    Result r = runVelmar(input + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    // split the shift file by molecule, in input order
    auto recs = lines(unixLines(r.shifts));
    std::map<std::string, std::map<int, double>> shifts;
    size_t k = 0;
    for (const auto& name : order) {
        std::string mol = fixture(name + ".mol");
        for (auto& [h, c] : carriers(mol)) {
            (void)c;
            ASSERT_LT(k, recs.size());
            shifts[name][h] = std::stod(recs[k++].substr(0, 10));
        }
    }
    EXPECT_EQ(k, recs.size());
    double sq = 0;
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.molecule + " " + std::to_string(row.atom));
        double v = meanOn(fixture(row.molecule + ".mol"), shifts[row.molecule], row.atom);
        ASSERT_TRUE(std::isfinite(v));
        if (row.labile) {
            // concentration-dependent: a wide band, and at most 1 ppm beyond it
            EXPECT_GE(v, row.lo - 1.0);
            EXPECT_LE(v, row.hi + 1.0);
        } else if (row.fitted) {
            sq += (v - row.shift) * (v - row.shift);
            ++n;
        } else {
            EXPECT_NEAR(v, row.shift, 1.0);
        }
    }
    ASSERT_EQ(n, 30);
    EXPECT_LE(std::sqrt(sq / n), 0.4001);  // the figure before labile protons were fitted: 0.40008
}

TEST(VelmarShiftsPlausible, MonosubstitutedRingsAverageOrthoAndMetaProtons)
{
    // An oxygen or nitrogen two bonds from the ring carbon does not keep
    // the ortho and meta protons apart; they are equivalent in any spectrum.
    struct {
        const char* name;
        int ortho[2], meta[2];  // carbons
    } cases[] = {{"benzaldehyde", {4, 8}, {5, 7}},
                 {"nitrobenzene", {5, 9}, {6, 8}},
                 {"benzonitrile", {4, 8}, {5, 7}},
                 {"toluene", {3, 7}, {4, 6}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string mol = fixture(std::string(c.name) + ".mol");
        Result r = runVelmar("40000\n" + mol + "1111\n");
        ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
        auto v = perHydrogen(mol, r.shifts);
        auto on = carriers(mol);
        auto hOn = [&](int carbon) {
            for (auto [h, a] : on)
                if (a == carbon)
                    return h;
            return 0;
        };
        int o1 = hOn(c.ortho[0]), o2 = hOn(c.ortho[1]), m1 = hOn(c.meta[0]), m2 = hOn(c.meta[1]);
        EXPECT_EQ(v.at(o1), v.at(o2));
        EXPECT_EQ(v.at(m1), v.at(m2));
        EXPECT_NE(v.at(o1), v.at(m1));
        auto listed = [&](int x, int y) {
            char a[64], b[64];
            std::snprintf(a, sizeof a, " EQUIVALENT PROTONS     %3d%3d\n", x, y);
            std::snprintf(b, sizeof b, " EQUIVALENT PROTONS     %3d%3d\n", y, x);
            return r.listing.find(a) != std::string::npos || r.listing.find(b) != std::string::npos;
        };
        EXPECT_TRUE(listed(o1, o2)) << r.listing.substr(r.listing.size() - 300);
        EXPECT_TRUE(listed(m1, m2));
        size_t sets = 0;
        for (size_t p = 0; (p = r.listing.find("EQUIVALENT PROTONS", p)) != std::string::npos; ++p)
            ++sets;
        EXPECT_EQ(sets, 2u);
    }
}

TEST(VelmarShiftsPlausible, SampleShowsEveryPredictionBesideItsPublishedValue)
{
    // The main job's sample, run as it runs there: every fixture molecule
    // listed, each published value beside its prediction, and the RMS.
    const std::string exe = VELMAR_EXE;
    auto r = ks::test::run({"/bin/bash", VELMAR_SAMPLE}, {"BIN=" + exe.substr(0, exe.rfind('/'))});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::map<std::string, std::vector<std::vector<std::string>>> rows;  // by molecule
    for (const auto& l : lines(r.out)) {
        std::istringstream f(l);
        std::vector<std::string> w;
        for (std::string t; f >> t;)
            w.push_back(t);
        if (w.size() >= 4 && w[0] != "molecule" && w[0] != "RMS" && w[0] != "Molecules" && w[0] != "Labile" &&
            w[0] != "Predicted")
            rows[w[0]].push_back(w);
    }
    for (const char* name : kFixtures) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(rows.count(name));
        for (const auto& w : rows[name]) {
            double v = std::stod(w[2]);  // every proton on the usual scale
            EXPECT_GE(v, -1.0) << w[1];
            EXPECT_LE(v, 14.0) << w[1];
        }
    }
    for (const auto& p : publishedShifts()) {
        SCOPED_TRACE(p.molecule + " " + std::to_string(p.atom));
        char published[32];
        std::snprintf(published, sizeof published, "%.2f", p.shift);
        bool shown = false;
        for (const auto& w : rows[p.molecule]) {
            const std::string atom = std::to_string(p.atom);
            if (w[1].size() > atom.size() && w[1].compare(w[1].size() - atom.size(), atom.size(), atom) == 0 &&
                !std::isdigit(static_cast<unsigned char>(w[1][w[1].size() - atom.size() - 1])) && w.size() >= 5)
                shown = shown || w[3] == published;
        }
        EXPECT_TRUE(shown);
    }
    EXPECT_NE(r.out.find("\nRMS error of the fitted non-labile protons: 0.40 ppm (30 shifts)\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nRMS error of all non-labile protons: "), std::string::npos);
    EXPECT_NE(r.out.find("\nLabile protons within their bands: "), std::string::npos);
}

TEST(VelmarGolden, FixtureSetResultFiles)
{
    std::string input = "40110FIXTURE SET\n";
    bool first = true;
    for (const char* name : kFixtures) {
        if (!first)
            input += "   0\n";
        first = false;
        input += fixture(std::string(name) + ".mol");
    }
    Result r = runVelmar(input + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    const std::string dir = std::string(VELMAR_GOLDEN) + "/";
    const std::pair<const char*, const std::string*> files[] = {
        {"fixtures.lis", &r.listing},  {"fixtures.shift", &r.shifts}, {"fixtures.cpl", &r.couplings},
        {"fixtures.piex", &r.piexcess}, {"fixtures.solv", &r.solvent}};
    if (std::getenv("VELMAR_UPDATE_GOLDEN")) {
        for (auto& [name, text] : files)
            ks::test::writeFile(dir + name, *text);
        GTEST_SKIP() << "golden files written";
    }
    for (auto& [name, text] : files) {
        SCOPED_TRACE(name);
        std::string want = ks::test::readFile(dir + name);
        ASSERT_FALSE(want.empty());
        EXPECT_TRUE(want == *text) << "differs from the golden file " << name;
    }
}

TEST(VelmarGolden, LongChainCouplings)
{
    // Long generated chains (tools/make_chains.py) with and without the
    // equivalence handling: every coupling and its place in the listing and
    // the coupling file as the pairwise walk wrote them.
    struct Case {
        const char* molecule;
        const char* control;
        const char* golden;
    };
    // Handling 1 clears the geminal coupling of methyl protons; handling 2
    // keeps it, so that alike protons of equal shift clear it instead.
    const Case cases[] = {{"mixed_chain", "40110", "mixed_chain.cpl"},
                          {"mixed_chain", "40111", "mixed_chain_equivalence1.cpl"},
                          {"mixed_chain", "40112", "mixed_chain_equivalence2.cpl"},
                          {"zigzag_chain", "40112", "zigzag_chain_equivalence2.cpl"}};
    const std::string dir = std::string(VELMAR_GOLDEN) + "/";
    const bool update = std::getenv("VELMAR_UPDATE_GOLDEN") != nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Result r = runVelmar(std::string(c.control) + "CHAIN\n" + fixture(std::string(c.molecule) + ".mol") + "1111\n");
        ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
        // The coupling block of the listing: its heading, a blank line and
        // the pairs up to the next blank line.
        const std::string listing = unixLines(r.listing);
        const size_t head = listing.find("  HH COUPLINGS (Hz)");
        ASSERT_NE(head, std::string::npos);
        const size_t end = listing.find("\n\n", listing.find('\n', head) + 2);
        ASSERT_NE(end, std::string::npos);
        const std::string text =
            "listing:\n" + listing.substr(head, end + 1 - head) + "coupling file:\n" + unixLines(r.couplings);
        EXPECT_GT(countLines(r.couplings), 900);
        if (update) {
            ks::test::writeFile(dir + c.golden, text);
            continue;
        }
        const std::string want = ks::test::readFile(dir + c.golden);
        ASSERT_FALSE(want.empty());
        EXPECT_TRUE(want == text) << "differs from the golden file " << c.golden;
    }
    if (update)
        GTEST_SKIP() << "golden files written";
}
