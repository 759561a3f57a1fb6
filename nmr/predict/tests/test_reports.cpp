// Molecule reports, result files and molecules rejected while the run goes
// on, through the built program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <sstream>

#include "velmar_testutil.h"

using velmar::test::Result;
using velmar::test::runVelmar;
using velmar::test::unixLines;

namespace {

std::string fixture(const std::string& name)
{
    return ks::test::readFile(std::string(VELMAR_FIXTURES) + "/" + name);
}

bool contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

size_t count(const std::string& s, const std::string& part)
{
    size_t n = 0;
    for (size_t p = 0; (p = s.find(part, p)) != std::string::npos; p += part.size())
        ++n;
    return n;
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

std::string fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char* f, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, f);
    std::vsnprintf(buf, sizeof buf, f, ap);
    va_end(ap);
    return buf;
}

// A straight alkane chain CnH(2n+2) as a molfile, atoms numbered carbons first.
std::string alkane(int n)
{
    std::vector<std::array<double, 3>> xyz;
    std::vector<std::string> sym;
    std::vector<std::pair<int, int>> bonds;
    for (int i = 0; i < n; ++i) {
        xyz.push_back({1.26 * i, (i % 2) ? 0.89 : 0.0, 0.0});
        sym.push_back("C");
        if (i > 0)
            bonds.push_back({i, i + 1});
    }
    for (int i = 0; i < n; ++i) {
        double y = (i % 2) ? 1.5 : -0.6;
        for (int s : {-1, 1}) {
            xyz.push_back({1.26 * i, y, 0.89 * s});
            sym.push_back("H");
            bonds.push_back({i + 1, static_cast<int>(xyz.size())});
        }
    }
    for (int end : {0, n - 1}) {
        xyz.push_back({1.26 * end + (end ? 1.0 : -1.0), 0.0, 0.0});
        sym.push_back("H");
        bonds.push_back({end + 1, static_cast<int>(xyz.size())});
    }
    std::string t = fmt("ALKANE C%d\n  generated\n\n%3zu%3zu  0  0  0  0  0  0  0  0999 V2000\n", n, xyz.size(),
                        bonds.size());
    for (size_t k = 0; k < xyz.size(); ++k)
        t += fmt("%10.4f%10.4f%10.4f %-3s 0  0  0  0  0  0  0  0  0  0  0  0\n", xyz[k][0], xyz[k][1], xyz[k][2],
                 sym[k].c_str());
    for (auto [a, b] : bonds)
        t += fmt("%3d%3d  1  0\n", a, b);
    return t + "M  END\n";
}

// The line of the listing that starts with the given text has the given
// length (the values after the prefix are computed ones).
bool lineWithPrefix(const std::string& listing, const std::string& prefix, size_t length)
{
    for (const auto& l : lines(listing))
        if (l.rfind(prefix, 0) == 0)
            return l.size() == length;
    return false;
}

}  // namespace

TEST(VelmarReports, InternalCoordinateReportWithCoordinatesAndDistances)
{
    std::string mol = fixture("naphthalene.mol");
    Result r = runVelmar("40200\n" + mol + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    const std::string& l = r.listing;
    EXPECT_TRUE(contains(l, "\n\n          GEOMETRY (Z-MATRIX)\n\n NO AN            BL          ALPHA          BETA"
                            "           CHARGE     PIEXS    SHIFT \n\n"));
    // atom 1 of a connection table: its last neighbour as bond reference
    auto ls = lines(mol);
    int last = 0;
    for (size_t k = 4 + 18; k < ls.size() && ls[k] != "M  END"; ++k)
        if (std::stoi(ls[k].substr(0, 3)) == 1)
            last = std::stoi(ls[k].substr(3, 3));
    for (size_t k = 4 + 18; k < ls.size() && ls[k] != "M  END"; ++k)
        if (std::stoi(ls[k].substr(3, 3)) == 1)
            last = std::stoi(ls[k].substr(0, 3));
    std::string atom1 = fmt("\n %2d %2d%5d%10.4f%5d%10.4f%5d%10.4f%5d", 1, 55, last, 0.0, 0, 0.0, 0, 0.0, 0);
    ASSERT_TRUE(contains(l, atom1)) << l;
    EXPECT_EQ(l.find('\n', l.find(atom1) + 1) - l.find(atom1), 87u);  // then charge, pi excess, shift
    size_t dip = l.find("\n\n DIPOLE MOMENT =");
    ASSERT_NE(dip, std::string::npos);
    EXPECT_EQ(l.substr(dip + 26, 7), " DEBYES");
    EXPECT_EQ(l.find('\n', dip + 2) - dip, 89u);
    EXPECT_TRUE(contains(l, "\n\n ATOMIC COORDINATES\n   NO   AT NO        X           Y           Z   \n\n"));
    auto single = [](const std::string& f) { return static_cast<double>(std::stof(f)); };
    EXPECT_TRUE(contains(l, fmt("\n%5d    %-2s   %12.8f%12.8f%12.8f\n", 1, "C", single(ls[4].substr(0, 10)),
                                single(ls[4].substr(10, 10)), single(ls[4].substr(20, 10)))))
        << l;
    // 18 atoms: two distance blocks, 1-15 and 16-18
    EXPECT_TRUE(contains(l, "\n\n INTERATOMIC DISTANCES\n\n"));
    std::string head1 = "\n\n       ";
    for (int k = 1; k <= 15; ++k)
        head1 += fmt("   %2d%s", k, k < 15 ? "  " : "");
    EXPECT_TRUE(contains(l, head1 + "\n")) << l;
    EXPECT_TRUE(contains(l, "\n\n          16     17     18\n      1"));
    EXPECT_EQ(count(l, "\n      1  0.000"), 1u);
    EXPECT_EQ(count(l, "\n     18"), 2u);
    // the shift file: one record per hydrogen, nothing labile; no pi excess
    for (const auto& line : lines(unixLines(r.shifts)))
        EXPECT_TRUE(line.size() == 10 && line[6] == '.') << line;
    EXPECT_EQ(count(r.shifts, "\r\n"), 8u);
    // pi excess records only for the ten carbons of the pi system
    EXPECT_LE(count(r.piexcess, "\r\n"), 10u);
    for (const auto& p : lines(unixLines(r.piexcess)))
        EXPECT_EQ(p.size(), 10u);
}

TEST(VelmarReports, DetailLevelOneListsNoCoordinates)
{
    Result r = runVelmar("40100\n" + fixture("methane.mol") + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    EXPECT_TRUE(contains(r.listing, "DIPOLE MOMENT"));
    EXPECT_FALSE(contains(r.listing, "ATOMIC COORDINATES"));
    EXPECT_FALSE(contains(r.listing, "INTERATOMIC DISTANCES"));
}

TEST(VelmarReports, AtomNumbersAboveNinetyNinePrintAsAsterisks)
{
    Result r = runVelmar("40000\n" + alkane(40) + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    EXPECT_TRUE(contains(r.listing, "\n 99  1 ")) << r.listing.substr(0, 3000);
    EXPECT_TRUE(contains(r.listing, "\n **  1 "));
    EXPECT_EQ(count(r.shifts, "\r\n"), 82u);
}

TEST(VelmarReports, OutputModesOneAndTwo)
{
    std::string mol = fixture("methanol.mol");
    std::vector<std::string> ls;
    Result m1 = runVelmar("41000\n" + mol + "1111\n");
    ASSERT_EQ(m1.run.exitCode, 0) << m1.run.err;
    // names from the atom labels
    const char* mode1 = "%4d %-2s   %11.4f   %11.4f   %11.4f    %3d%3d%3d";
    EXPECT_TRUE(lineWithPrefix(m1.listing, fmt(mode1, 1, "C", 0.0, 0.0, 0.0, 5, 0, 0), 82)) << m1.listing;
    EXPECT_TRUE(lineWithPrefix(m1.listing, fmt(mode1, 2, "O", 0.0, 0.0, 0.0, 1, 0, 0), 82));
    EXPECT_EQ(m1.shifts, "");  // result files in mode 0 only

    Result m2 = runVelmar("42000\n" + mol + "1111\n");
    ASSERT_EQ(m2.run.exitCode, 0) << m2.run.err;
    EXPECT_TRUE(contains(m2.listing, "\n" + std::string(22, ' ') + "CHARGE  SHIFT " + std::string(10, ' ') +
                                         " 1.000   1.000   1.000\n" + std::string(21, ' ') +
                                         "  90.000  90.000  90.000\n   1\n\n"));
    ls = lines(mol);
    double x = std::stod(ls[4].substr(0, 10)), y = std::stod(ls[4].substr(10, 10)), z = std::stod(ls[4].substr(20, 10));
    EXPECT_TRUE(lineWithPrefix(m2.listing, fmt("    1    6%9.4f %9.4f %9.4f ", x, y, z), 60)) << m2.listing;

    // Z-matrix input: names from the type symbols; mode 2 lists neighbours
    std::string z0 = fixture("zmat_ethane.code0");
    Result z1 = runVelmar("01000\n" + z0 + "1111\n");
    EXPECT_TRUE(lineWithPrefix(z1.listing, fmt(mode1, 3, "H", 1.09, 110.5, 0.0, 1, 2, 0), 82)) << z1.listing;
    Result z2 = runVelmar("02000\n" + z0 + "1111\n");
    EXPECT_TRUE(lineWithPrefix(z2.listing, fmt("%4d %-2s    %9.5f %9.5f %9.5f %4d%4d%4d%4d     ", 1, "C", 0.0, 0.0, 0.0,
                                               2, 3, 4, 5), 76))
        << z2.listing;
}

TEST(VelmarReports, CoordinateReportReadsBackAsLabelledCoordinates)
{
    for (const char* name : {"zmat_ethane.code0", "zmat_cyclopropane.code0", "zmat_propyne.code0"}) {
        SCOPED_TRACE(name);
        Result first = runVelmar("02000\n" + fixture(name) + "1111\n");
        ASSERT_EQ(first.run.exitCode, 0) << first.run.err;
        auto ls = lines(first.listing);
        size_t k = 0;
        while (k < ls.size() && ls[k] != "   1")
            ++k;
        ASSERT_LT(k + 2, ls.size());
        std::vector<std::string> atoms;
        for (k += 2; k < ls.size() && ls[k].size() > 60; ++k)
            atoms.push_back(ls[k]);
        std::string input = "22000\nROUND TRIP\n" + fmt("%2zu 0\n\n", atoms.size());
        for (auto& a : atoms)
            input += a + "\n";
        // the atom types of the original, from its internal-coordinate report
        Result typed = runVelmar("00000\n" + fixture(name) + "1111\n");
        std::vector<int> types;
        bool inReport = false;
        for (auto& t : lines(typed.listing)) {
            inReport = inReport || contains(t, "GEOMETRY (Z-MATRIX)");
            if (inReport && t.size() == 86 && t[0] == ' ' && t[3] == ' ' && std::isdigit(static_cast<unsigned char>(t[5])))
                types.push_back(std::stoi(t.substr(4, 2)));
        }
        ASSERT_EQ(types.size(), atoms.size());
        Result second = runVelmar(input + "1111\n");
        ASSERT_EQ(second.run.exitCode, 0) << second.run.err;
        auto out = lines(second.listing);
        size_t n = 0;
        for (auto& o : out) {
            if (o.size() != 60 || o[4] == ' ' || std::atoi(o.substr(0, 5).c_str()) != static_cast<int>(n + 1))
                continue;
            const std::string& a = atoms[n];
            // same type and the same coordinates at the printed precision
            EXPECT_EQ(std::stoi(o.substr(8, 2)), types[n]) << o;
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(std::stod(o.substr(10 + 10 * c, 9)), std::stod(a.substr(11 + 10 * c, 9)), 6e-5) << o;
            ++n;
        }
        EXPECT_EQ(n, atoms.size());
    }
}

TEST(VelmarReports, RejectedMoleculesLeaveTheRunInStep)
{
    std::string good = fixture("zmat_ethane.code0");
    auto zrow = [](int e, int na, double bl, int nb, double al, int nc, double th) {
        return fmt("   %2d%5d%10.4f%5d%10.4f%5d%10.4f%5d\n", e, na, bl, nb, al, nc, th, 0);
    };
    struct Case {
        const char* reason;
        std::string molecule;
    } cases[] = {
        {"NEGATIVE NUMBER OF ATOMS", "NEGATIVE\n-3 0 0\n"},
        {"MORE THAN 30 CHARGES", [&] {
             std::string t = "CHARGES\n 2 031\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(1, 1, 1.09, 0, 0, 0, 0);
             for (int k = 0; k < 31; ++k)
                 t += "  1   -0.0100\n";
             return t;
         }()},
        {"CHARGE GIVEN ON ATOM 7 OUTSIDE THE MOLECULE", "CHARGE\n 2 0 1\n" + zrow(6, 0, 0, 0, 0, 0, 0) +
                                                              zrow(1, 1, 1.09, 0, 0, 0, 0) + "  7    1.0000\n"},
        {"MORE THAN 4 NEIGHBOURS ON ATOM 1", [&] {
             // five hydrogens within bonding distance of one carbon
             std::string t = "CROWDED\n 6 0 0\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(1, 1, 1.0, 0, 0, 0, 0) +
                             zrow(1, 1, 1.0, 2, 90, 0, 0);
             t += zrow(1, 1, 1.0, 2, 90, 3, 120) + zrow(1, 1, 1.0, 2, 90, 3, -120) + zrow(1, 1, 1.0, 2, 180, 3, 0);
             return t;
         }()},
        {"ATOM 3 REFERS TO ATOM 9 OUTSIDE THE MOLECULE",
         "OUTSIDE\n 3 0 0\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(6, 1, 1.5, 0, 0, 0, 0) + zrow(1, 9, 1.1, 1, 109, 0, 0)},
        {"REFERENCE ATOMS OF ATOM 5 ARE COLLINEAR",
         "COLLINEAR\n 5 0 0\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(6, 1, 1.2, 0, 0, 0, 0) +
             zrow(6, 2, 1.4, 1, 180, 0, 0) + zrow(1, 1, 1.1, 2, 109, 0, 0) + zrow(1, 3, 1.1, 2, 109, 1, 60)},
        {"EQUIVALENCE SET 1 NAMES ATOM 12 OUTSIDE THE MOLECULE",
         "SETS\n 2 1 0\n" + zrow(6, 0, 0, 0, 0, 0, 0) + zrow(1, 1, 1.09, 0, 0, 0, 0) + "  2\n  2 12\n"},
    };
    std::string input = "00000REJECTIONS\n" + good;
    for (const auto& c : cases)
        input += "   0\n" + c.molecule + "   0\n" + good;
    Result r = runVelmar(input + "1111\n");
    ASSERT_EQ(r.run.exitCode, 1) << r.run.err;
    int molecule = 2;
    std::string err;
    for (const auto& c : cases) {
        EXPECT_EQ(count(r.listing, "   MOLECULE REJECTED: " + std::string(c.reason) + "\n"), 1u) << c.reason << r.listing;
        std::string title = c.molecule.substr(0, c.molecule.find('\n'));
        err += "VELMAR: molecule " + std::to_string(molecule) + " \"" + title + "\" rejected: " + c.reason + "\n";
        molecule += 2;
    }
    EXPECT_EQ(r.run.err, err);
    EXPECT_EQ(count(r.listing, "GEOMETRY (Z-MATRIX)"), std::size(cases) + 1);
    EXPECT_EQ(count(r.run.out, "MOLECULE REJECTED"), std::size(cases));
    EXPECT_EQ(count(unixLines(r.shifts), "\n"), 6 * (std::size(cases) + 1));
    EXPECT_TRUE(contains(r.listing, "END OF JOB"));
}

TEST(VelmarReports, InvalidAtomsRejectOnlyTheirMolecule)
{
    std::string methane = fixture("methane.mol");
    std::string unknown = methane;
    unknown.replace(unknown.find(" C   0"), 4, " Xx ");
    // with one equivalence set, which is read but not listed for it
    unknown.replace(unknown.find("  5  4  0"), 9, "  5  4  1");
    unknown += "  4\n  2  3  4  5\n";
    Result r = runVelmar("40000\n" + unknown + "   0\n" + methane + "1111\n");
    ASSERT_EQ(r.run.exitCode, 1) << r.run.err;
    EXPECT_EQ(r.run.err, "VELMAR: molecule 1 \"methane\" rejected: INVALID ATOM NO 1 (ATOMIC NO 54)\n");
    EXPECT_TRUE(contains(r.listing, "\n\n\n   INVALID ATOM NO    1     NAME         ATOMIC NO   54\n"));
    EXPECT_TRUE(contains(r.listing, "PROGRAM TERMINATING  ***********\n\n\n\n\n   MOLECULE REJECTED: INVALID ATOM NO 1 "
                                    "(ATOMIC NO 54)\n"))
        << r.listing;
    EXPECT_TRUE(contains(r.run.out, "INVALID ATOM NO    1"));
    EXPECT_TRUE(contains(r.run.out, "**********  INVALID ATOM FOUND-PROGRAM TERMINATING  ***********"));
    EXPECT_EQ(count(r.listing, "GEOMETRY (Z-MATRIX)"), 1u);
    EXPECT_EQ(count(r.listing, "EQUIVALENT PROTONS"), 0u);
    EXPECT_EQ(count(unixLines(r.shifts), "\n"), 4u);

    // element numbers outside every table: no radius, no symbol, no crash
    auto zrow = [](int e, int na, double bl) { return fmt("   %2d%5d%10.4f%5d%10.4f%5d%10.4f%5d\n", e, na, bl, 0, 0.0, 0, 0.0, 0); };
    Result odd = runVelmar("00000\nODD\n 2 0 0\n" + zrow(99, 0, 0) + zrow(0, 1, 0.9) + "   0\n" +
                           fixture("zmat_ethane.code0") + "1111\n");
    ASSERT_EQ(odd.run.exitCode, 1) << odd.run.err;
    EXPECT_TRUE(contains(odd.listing, "   INVALID ATOM NO    1     NAME         ATOMIC NO   99\n"));
    EXPECT_TRUE(contains(odd.listing, "   INVALID ATOM NO    2     NAME         ATOMIC NO    0\n"));
    EXPECT_EQ(count(odd.listing, "GEOMETRY (Z-MATRIX)"), 1u);
}

TEST(VelmarReports, EquivalenceSetsAfterTheReport)
{
    std::string z = fixture("zmat_ethane.code0");
    z.replace(z.find("\n 8 0 0\n"), 8, "\n 8 2 0\n");
    Result r = runVelmar("00000\n" + z + "  3\n  3  4  5\n  3\n  6  7  8\n1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    EXPECT_TRUE(contains(r.listing, "\n EQUIVALENT PROTONS       3  4       5\n EQUIVALENT PROTONS       6  7       8\n"))
        << r.listing;
}

TEST(VelmarReports, LabileProtonsInTheShiftFile)
{
    for (const char* name : {"methanol", "pyrrole", "acetic_acid", "toluene"}) {
        SCOPED_TRACE(name);
        Result r = runVelmar("40000\n" + fixture(std::string(name) + ".mol") + "1111\n");
        ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
        size_t labile = count(r.shifts, "     LABILE PROTON\r\n");
        EXPECT_EQ(labile, std::string(name) == "toluene" ? 0u : 1u) << r.shifts;
    }
}

TEST(VelmarReports, DamagedInputNeverCrashes)
{
    // mutated copies of real inputs: every run ends with a result or a
    // diagnostic, never with a signal
    const std::string base[] = {"40110\n" + fixture("acetic_acid.mol") + "   0\n" + fixture("pyridine.mol") + "1111\n",
                                "00210\n" + fixture("zmat_ethane.code0") + "   0\n" + fixture("zmat_propyne.code0") +
                                    "1111\n",
                                "21100\nTITLE\n 3 0\n\n    1C     0.00000   0.00000   0.00000    2   3\n"
                                "    2H     1.09000   0.00000   0.00000    1\n"
                                "    3H    -0.36000   1.02000   0.00000    1\n1111\n"};
    unsigned seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    const char alphabet[] = "0123456789 -.+E\nxX9";
    int crashes = 0, runs = 0;
    for (const auto& b : base)
        for (int k = 0; k < 25; ++k) {
            std::string t = b;
            int edits = 1 + static_cast<int>(next() % 4);
            for (int e = 0; e < edits; ++e) {
                size_t pos = 6 + next() % (t.size() - 6);  // keep the control line
                switch (next() % 3) {
                case 0: t[pos] = alphabet[next() % (sizeof alphabet - 1)]; break;
                case 1: t.erase(pos, 1 + next() % 8); break;
                default: t.insert(pos, std::string(1 + next() % 3, alphabet[next() % (sizeof alphabet - 1)])); break;
                }
            }
            Result r = runVelmar(t);
            ++runs;
            if (r.run.exitCode < 0 || r.run.exitCode > 2) {
                ++crashes;
                ADD_FAILURE() << "exit " << r.run.exitCode << " for input:\n" << t << "\n" << r.run.err;
            }
            if (r.run.exitCode != 0) {
                EXPECT_EQ(r.run.err.rfind("VELMAR: ", 0), 0u) << r.run.err;
            }
        }
    EXPECT_EQ(runs, 75);
    EXPECT_EQ(crashes, 0);
}

TEST(VelmarReports, RaisedResonanceParameterStaysForTheRun)
{
    // hydrogen peroxide: two lone-pair oxygens bonded, no resonance
    // parameter for the pair; the first molecule raises it to 0.50 for
    // the rest of the run, so the second gets no message
    std::string hooh = "HOOH\n 4 0\n\n"
                       "    1H      0.90000   0.20000   0.00000    2\n"
                       "    2O      0.00000   0.00000   0.00000    1   3\n"
                       "    3O      1.47000   0.00000   0.00000    2   4\n"
                       "    4H      1.60000   0.75000   0.50000    3\n";
    Result r = runVelmar("20000\n" + hooh + "   0\n" + hooh + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    EXPECT_EQ(count(r.listing, "   UNPARAMETERIZED PI SYSTEM   O -O SET DEFAULT VALUE OF AK = 0.50\n"), 1u)
        << r.listing;
    EXPECT_EQ(count(r.listing, "GEOMETRY (Z-MATRIX)"), 2u);
}
