// The program as a whole: command line, files, control line, the loop over
// molecules and the failures that end a run.
#include <gtest/gtest.h>

#include <unistd.h>

#include "velmar_testutil.h"

using velmar::test::runVelmar;
using velmar::test::Result;

namespace {

const char* kVersion = " VERSION VELMAR 8d5, 27 October 2007 exe\n";

// one molecule in the numeric internal-coordinate layout (input code 0)
std::string ethane()
{
    return ks::test::readFile(std::string(VELMAR_FIXTURES) + "/zmat_ethane.code0");
}

std::string methaneMol()
{
    return ks::test::readFile(std::string(VELMAR_FIXTURES) + "/methane.mol");
}

bool contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

}  // namespace

TEST(VelmarProgram, ParameterListingTitleAndEndOfJob)
{
    Result r = runVelmar("00000A RUN WITH NO MOLECULES\n" + ethane() + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    EXPECT_EQ(r.run.out, kVersion);
    EXPECT_EQ(r.run.err, "");
    const std::string& l = r.listing;
    EXPECT_EQ(l.rfind(" *****  VELMAR8D *****", 0), 0u) << l.substr(0, 200);
    EXPECT_TRUE(contains(l, " *****  VELMAR8D *****                                                       02/03/2007\n"
                            "\n POLAR PARAMETERS\n\n\n"));
    // types 1 and 2 with their three rows in columns 68-87
    size_t el = l.find("\n EL                                                                     2.200     0.000\n");
    ASSERT_NE(el, std::string::npos);
    EXPECT_EQ(l.substr(el + 89, 4 + 63), " POL" + std::string(63, ' '));
    EXPECT_EQ(l.substr(el + 89 + 88, 3 + 64), " AH" + std::string(64, ' '));
    // iodine under its own symbol in the section of types 37-54
    EXPECT_TRUE(contains(l, "\n EL                                                                     2.660\n"));
    EXPECT_TRUE(contains(l, "\n1\n\n FACTOR HALF MATRIX\n\n         H    C    N    O    F    Si   P    S    Cl   Se   Br   I    C"));
    EXPECT_TRUE(contains(l, "\n\n\n AK HALF MATRIX\n\n"));
    // the first triangle row: the symbol and one 4-column value
    size_t row = l.find("\n H    ", l.find("FACTOR HALF MATRIX"));
    ASSERT_NE(row, std::string::npos);
    EXPECT_EQ(l.find('\n', row + 1) - row, 1u + 8u + 4u);
    size_t ak = l.find("AK HALF MATRIX");
    size_t title = l.find("\n\n A RUN WITH NO MOLECULES");
    ASSERT_NE(title, std::string::npos);
    EXPECT_LT(ak, title);
    EXPECT_TRUE(contains(l, "\n1 ETHANE Z-MATRIX"));
    const std::string end = "\n *****  END OF JOB  *****\n";
    EXPECT_TRUE(l.size() > end.size() && l.substr(l.size() - end.size()) == end) << l.substr(l.size() - 80);
    // nothing is computed for the solvent without DMSO
    EXPECT_EQ(r.solvent, "");
}

TEST(VelmarProgram, ControlLineCases)
{
    struct Case {
        const char* control;
        bool listing;
        const char* banner;
    } cases[] = {
        {"00000", true, nullptr},
        {"00010", true, "\n **** DMSO SOLUTION ****\n\n"},
        {"00020", true, "\n **** D20 SOLUTION ****\n\n"},
        {"00030", true, nullptr},
        {"01000", false, nullptr},
        {"02110", false, "\n **** DMSO SOLUTION ****\n\n"},
        {"0    ", true, nullptr},   // blank digits read as 0
        {"00 2 ", true, "\n **** D20 SOLUTION ****\n\n"},
        {"0", true, nullptr},       // short control line
        {"05000", false, nullptr},  // no molecule report, no listing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        std::string ctl = c.control;
        bool withTitle = ctl.size() == 5;
        Result r = runVelmar(ctl + (withTitle ? "THE TITLE" : "") + "\n" + ethane() + "1111\n");
        ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
        EXPECT_EQ(contains(r.listing, "POLAR PARAMETERS"), c.listing);
        std::string title = withTitle ? std::string("\n THE TITLE") + std::string(61, ' ') + "\n\n"
                                      : "\n " + std::string(70, ' ') + "\n\n";
        ASSERT_TRUE(contains(r.listing, title));
        std::string after = r.listing.substr(r.listing.find(title) + title.size());
        std::string molecule = "1 ETHANE Z-MATRIX";
        if (c.banner)
            EXPECT_EQ(after.rfind(std::string(c.banner).substr(1) + molecule, 0), 0u) << after;
        else
            EXPECT_EQ(after.rfind(molecule, 0), 0u) << after;
        EXPECT_FALSE(contains(r.listing, "DMSO") && (!c.banner || !contains(c.banner, "DMSO")));
    }
}

TEST(VelmarProgram, MoleculeLoopRunsUntilTheEndMarker)
{
    std::string m = methaneMol();
    Result r = runVelmar("40100\n" + m + "   0\n" + m + "\n" + m + "  12\n" + m + "1111\nanything after the end is not read\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    EXPECT_TRUE(contains(r.listing, "END OF JOB"));
    size_t count = 0;
    for (size_t p = 0; (p = r.listing.find("NUMBER OF ATOMS:", p)) != std::string::npos; ++p)
        ++count;
    EXPECT_EQ(count, 4u);

    Result eof = runVelmar("40100\n" + m + "   0\n" + m);
    EXPECT_NE(eof.run.exitCode, 0);
    EXPECT_TRUE(contains(eof.run.err, "end of file")) << eof.run.err;
    EXPECT_TRUE(contains(eof.run.err, "unit 5")) << eof.run.err;
    EXPECT_TRUE(contains(eof.run.err, "(I4)")) << eof.run.err;
    // what was written before the failure stays
    EXPECT_TRUE(contains(eof.listing, "POLAR PARAMETERS"));
    EXPECT_FALSE(contains(eof.listing, "END OF JOB"));
}

TEST(VelmarProgram, DamagedInputEndsWithADiagnostic)
{
    std::string params = ks::test::readFile(velmar::test::bundledParams());
    std::string shortParams = params.substr(0, params.find("FACTOR HALF MATRIX"));
    ks::test::writeFile(ks::test::tempDir() + "/short.par", shortParams);
    std::string badParams = params;
    badParams.replace(badParams.find("  2.200"), 7, "  2.2x0");
    ks::test::writeFile(ks::test::tempDir() + "/bad.par", badParams);
    struct Case {
        const char* what;
        std::string molecules;
        std::string params;
        const char* diagnostic;
    } cases[] = {
        {"short parameter file", "00000\n" + ethane() + "1111\n", ks::test::tempDir() + "/short.par", "unit 4"},
        {"bad parameter value", "00000\n" + ethane() + "1111\n", ks::test::tempDir() + "/bad.par",
         "bad real number"},
        {"non-numeric end record", "00000\n" + ethane() + "END.\n", velmar::test::bundledParams(), "bad integer"},
        {"non-numeric atom count", "00000\nTITLE\nxx 0 0\n1111\n", velmar::test::bundledParams(),
         "bad integer \"xx\""},
        {"non-numeric bond count", "40000\n" + methaneMol().replace(methaneMol().find("  4  0"), 6, "  4 ?0") + "1111\n",
         velmar::test::bundledParams(), "(/,/,3(I3))"},
        {"non-numeric control digit", "x0000\n1111\n", velmar::test::bundledParams(), "(5I1,A70)"},
        {"empty molecule file", "", velmar::test::bundledParams(), "end of file"},
        {"end of file before the end record", "00000\n" + ethane(), velmar::test::bundledParams(), "end of file"},
        {"end of file inside a molecule", "40000\n" + methaneMol().substr(0, 200), velmar::test::bundledParams(), "end of file"},
        {"unknown input code", "60000\n1111\n", velmar::test::bundledParams(), "unknown input code 6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Result r = runVelmar(c.molecules, c.params);
        EXPECT_NE(r.run.exitCode, 0);
        EXPECT_LT(r.run.exitCode, 128) << "crashed";
        EXPECT_TRUE(contains(r.run.err, "VELMAR: ")) << r.run.err;
        EXPECT_TRUE(contains(r.run.err, c.diagnostic)) << r.run.err;
        EXPECT_EQ(r.run.out, kVersion);
    }
}

TEST(VelmarProgram, MissingInputFileIsNotCreated)
{
    const std::string d = ks::test::tempDir() + "/";
    auto r = ks::test::run({VELMAR_EXE, velmar::test::bundledParams(), d + "nothere.dat", d + "out.lis",
                            d + "s", d + "c", d + "p", d + "v"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(contains(r.err, "unit 5")) << r.err;
    EXPECT_TRUE(contains(r.err, d + "nothere.dat")) << r.err;
    EXPECT_EQ(ks::test::readFile(d + "nothere.dat"), "");
    EXPECT_NE(access((d + "nothere.dat").c_str(), F_OK), 0) << "the missing input was created";
}

TEST(VelmarProgram, OutputFilesAreTruncated)
{
    const std::string d = ks::test::tempDir() + "/";
    std::string old(5000, 'x');
    for (const char* f : {"out.lis", "shift.dat", "cpl.dat", "piex.dat", "solv.dat"})
        ks::test::writeFile(d + f, old);
    Result r = runVelmar("01000T\n" + ethane() + "1111\n");
    ASSERT_EQ(r.run.exitCode, 0) << r.run.err;
    EXPECT_FALSE(contains(r.listing, "xxx"));
    EXPECT_EQ(r.shifts, "");
    EXPECT_EQ(r.couplings, "");
    EXPECT_EQ(r.piexcess, "");
    EXPECT_EQ(r.solvent, "");
}

TEST(VelmarProgram, BlankFileNamesUseTheUnitDefaults)
{
    const std::string d = ks::test::tempDir() + "/";
    ks::test::writeFile(d + "fort.4", ks::test::readFile(velmar::test::bundledParams()));
    ks::test::writeFile(d + "fort.5", "01000DEFAULT NAMES\n" + ethane() + "1111\n");
    auto r = ks::test::run({"/bin/sh", "-c", "cd '" + d + "' && exec '" + VELMAR_EXE + "'"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(ks::test::readFile(d + "fort.12"), "DEFAULT NAMES"));
    for (const char* f : {"fort.7", "fort.8", "fort.11", "fort.9"})
        EXPECT_EQ(access((d + f).c_str(), F_OK), 0) << f;
}

TEST(VelmarProgram, CrLfInputReadsLikeLf)
{
    auto crlf = [](std::string s) {
        std::string out;
        for (char c : s) {
            if (c == '\n')
                out += '\r';
            out += c;
        }
        return out;
    };
    std::string params = ks::test::readFile(velmar::test::bundledParams());
    ks::test::writeFile(ks::test::tempDir() + "/crlf.par", crlf(params));
    std::string input = "00210CR LF TITLE\n" + ethane() + "   0\n" + ethane() + "1111\n";
    Result lf = runVelmar(input);
    Result cr = runVelmar(crlf(input), ks::test::tempDir() + "/crlf.par");
    ASSERT_EQ(cr.run.exitCode, 0) << cr.run.err;
    EXPECT_EQ(cr.listing, lf.listing);
    EXPECT_EQ(cr.shifts, lf.shifts);
    EXPECT_TRUE(contains(cr.listing, "INTERATOMIC DISTANCES"));
    EXPECT_TRUE(contains(cr.listing, "\n CR LF TITLE   "));
}
