// The program as a whole: command line, files, control line, the loop over
// molecules and the failures that end a run.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "velmar_testutil.h"

using velmar::test::countLines;
using velmar::test::runVelmar;
using velmar::test::Result;
using velmar::test::unixLines;

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

// Input and parameters must be regular files: a FIFO would block the run
// and a device would feed bytes without end.
TEST(VelmarProgram, SpecialInputFilesAreRefused)
{
    const std::string d = ks::test::tempDir() + "/";
    ASSERT_EQ(::mkfifo((d + "fifo.dat").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (d + "zero.par").c_str()), 0);
    struct Case {
        std::string params, input, unit;
    } const cases[] = {
        {velmar::test::bundledParams(), d + "fifo.dat", "unit 5"},
        {d + "zero.par", d + "fifo.dat", "unit 4"},
        {velmar::test::bundledParams(), d, "unit 5"},
    };
    for (const auto& c : cases) {
        auto r = ks::test::run({VELMAR_EXE, c.params, c.input, d + "out.lis", d + "s", d + "c", d + "p", d + "v"});
        EXPECT_NE(r.exitCode, 0) << c.input;
        EXPECT_TRUE(contains(r.err, c.unit)) << r.err;
        EXPECT_TRUE(contains(r.err, "not a regular file")) << r.err;
    }
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

namespace {

// Every byte of a diagnostic is printable ASCII or a line end.
bool allPrintable(const std::string& s)
{
    for (unsigned char c : s)
        if (c != '\n' && (c < 0x20 || c >= 0x7F))
            return false;
    return true;
}

}  // namespace

TEST(VelmarProgram, ExitStatusTellsWhetherEveryMoleculeWasComputed)
{
    const std::string m = methaneMol();
    auto withBonds = [&](const std::string& counts, const std::string& bonds) {
        std::string t = m.substr(0, m.find("  1  2  1  0"));
        t.replace(t.find("  5  4  0"), 9, counts);
        return t + bonds + "M  END\n";
    };
    std::string unknown = m;
    unknown.replace(unknown.find(" C   0"), 4, " Xx ");
    std::string oddTitle = unknown;
    oddTitle.replace(0, 7, "odd\x01t\xE9tle");
    std::string badEnd = "00000\n" + ethane() + "1\a2\n";
    std::string ch6 = "CH6\n\n\n  7  6  0\n";
    for (int k = 0; k < 7; ++k) {
        char atom[80];
        std::snprintf(atom, sizeof atom, "%10.4f%10.4f%10.4f %-3s\n", 1.1 * k, 0.0, 0.0, k ? "H" : "C");
        ch6 += atom;
    }
    ch6 += "  1  2\n  1  3\n  1  4\n  1  5\n  1  6\n  1  7\nM  END\n";
    struct Case {
        const char* what;
        std::string input;
        int status;
        std::string err;     // standard error, whole
        const char* listed;  // in the listing (null: nothing to check)
    } cases[] = {
        {"every molecule computed", "40000\n" + m + "   0\n" + m + "1111\n", 0, "", nullptr},
        {"invalid atom", "40000\n" + m + "   0\n" + unknown + "1111\n", 1,
         "VELMAR: molecule 2 \"methane\" rejected: INVALID ATOM NO 1 (ATOMIC NO 54)\n",
         "   **********  INVALID ATOM FOUND-PROGRAM TERMINATING  ***********\n\n\n\n\n"
         "   MOLECULE REJECTED: INVALID ATOM NO 1 (ATOMIC NO 54)\n"},
        {"atom bonded to itself", "40000\n" + withBonds("  5  4  0", "  1  2\n  1  3\n  4  4\n  1  5\n") + "1111\n", 1,
         "VELMAR: molecule 1 \"methane\" rejected: BOND 3 CONNECTS ATOM 4 TO ITSELF\n",
         "   MOLECULE REJECTED: BOND 3 CONNECTS ATOM 4 TO ITSELF\n"},
        {"bond listed twice", "40000\n" + withBonds("  5  5  0", "  1  2\n  1  3\n  1  4\n  1  5\n  5  1\n") + "1111\n",
         1, "VELMAR: molecule 1 \"methane\" rejected: BOND 5 REPEATS BOND 4 BETWEEN ATOMS 5 AND 1\n", nullptr},
        {"carbon with six hydrogens", "40000\n" + ch6 + "1111\n", 1,
         "VELMAR: molecule 1 \"CH6\" rejected: MORE THAN 4 NEIGHBOURS ON ATOM 1\n", nullptr},
        {"rejected, then fatal", "40000\n" + unknown + "  0x\n", 2,
         "VELMAR: molecule 1 \"methane\" rejected: INVALID ATOM NO 1 (ATOMIC NO 54)\n"
         "VELMAR: read on unit 5 (file 'MOL') with format (I4) at record 16: bad integer \"  0x\"\n",
         nullptr},
        {"title with control and 8-bit bytes", "40000\n" + oddTitle + "1111\n", 1,
         "VELMAR: molecule 1 \"odd\\x01t\\xE9tle\" rejected: INVALID ATOM NO 1 (ATOMIC NO 54)\n", nullptr},
        {"control byte in a number field", badEnd, 2,
         "VELMAR: read on unit 5 (file 'MOL') with format (I4) at record 12: bad integer \"1\\x072 \"\n", nullptr},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Result r = runVelmar(c.input);
        EXPECT_EQ(r.run.exitCode, c.status) << r.run.err;
        std::string err = r.run.err;
        const std::string file = ks::test::tempDir() + "/mol.dat";
        for (size_t p; (p = err.find(file)) != std::string::npos;)
            err.replace(p, file.size(), "MOL");
        EXPECT_EQ(err, c.err);
        EXPECT_TRUE(allPrintable(r.run.err)) << r.run.err;
        if (c.listed) {
            EXPECT_TRUE(contains(r.listing, c.listed)) << r.listing;
        }
        // what the listing says of a rejection, standard output says too
        EXPECT_EQ(contains(r.run.out, "MOLECULE REJECTED: "), contains(c.err, " rejected: ")) << r.run.out;
    }
}

TEST(VelmarProgram, RealMolfilesWithPropertyLines)
{
    // molfiles as other programs write them: charges, isotopes and other
    // property lines before "M  END", CR LF or LF, SD record ends
    struct Case {
        const char* file;
        int status;
        const char* reason;  // of the rejection, when the molecule is rejected
        int hydrogens;       // records in the shift file
    } cases[] = {
        {"chiral1.mol", 0, nullptr, 0},
        {"MolFileChgBug.mol", 0, nullptr, 2},
        {"Na.mol", 0, nullptr, 0},
        {"H3BNH3.mol", 1, "INVALID ATOM NO 1 (ATOMIC NO 5)", 0},
        {"D_in_CTAB.mol", 1, "INVALID ATOM NO 3 (ATOMIC NO 54)", 0},
    };
    std::string all = "40000ALL FILES\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string mol = ks::test::readFile(ks::test::realData(std::string("molfile/rdkit/") + c.file));
        ASSERT_FALSE(mol.empty());
        for (const char* sdEnd : {"", "$$$$\n"}) {
            Result r = runVelmar("40000\n" + mol + sdEnd + "1111\n");
            EXPECT_EQ(r.run.exitCode, c.status) << r.run.err;
            EXPECT_EQ(countLines(unixLines(r.shifts)), c.hydrogens);
            EXPECT_TRUE(contains(r.listing, "END OF JOB"));
            if (c.reason) {
                EXPECT_TRUE(contains(r.run.err, std::string(" rejected: ") + c.reason + "\n")) << r.run.err;
                EXPECT_TRUE(contains(r.listing, std::string("MOLECULE REJECTED: ") + c.reason)) << r.listing;
            } else {
                EXPECT_EQ(r.run.err, "");
            }
        }
        if (all.size() > 16)
            all += "   0\n";
        all += mol;
    }
    // one run over all of them: the rejected ones are named by their place
    Result r = runVelmar(all + "1111\n");
    EXPECT_EQ(r.run.exitCode, 1);
    EXPECT_EQ(r.run.err, "VELMAR: molecule 4 rejected: INVALID ATOM NO 1 (ATOMIC NO 5)\n"
                         "VELMAR: molecule 5 \"D isotope problem.mol\" rejected: INVALID ATOM NO 3 (ATOMIC NO 54)\n");
    EXPECT_EQ(countLines(unixLines(r.shifts)), 2);
}
