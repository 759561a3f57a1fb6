// The tindrel program: what it prints for the bundled text dataset and a
// generated run, and its exit status on failing calls and bad arguments.
#include <algorithm>
#include <sstream>

#include "tindreltest.h"

namespace tindreltest {
namespace {

const std::string kTool = std::string(KS_BIN_DIR) + "/tindrel";

using TindrelTool = TindrelTest;

TEST_F(TindrelTool, Commands)
{
    const std::string text = bundledTextDataset();
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::vector<std::string> out;  // lines that must appear
        std::string err;               // start of standard error
    };
    const Case cases[] = {
        {{"providers"}, 0, {"2 dataset providers", "{127AC576-D36A-11D3-91D9-00400536072C}  Text File",
                            "{25DEF092-05A5-4401-A622-8A662B7591BD}  Generated Run (*.run)"}, ""},
        {{"tree", text}, 0,
         {"Injection 1: Injection 1",
          "  Function 1: Function 1  type unknown  polarity unknown  MS order 1  MS/MS none  spectra 24"}, ""},
        {{"chromatogram", text, "1", "1"}, 0,
         {"TIC of injection 1, function 1: 24 points; apex at 0.350 min, intensity 88297.00", "0.1000\t1805.74"}, ""},
        {{"chromatogram", text, "1", "1", "524.2648"}, 0,
         {"Mass chromatogram of m/z 524.2648 +- 0.1 Da of injection 1, function 1: 24 points; apex at 0.700 min, "
          "intensity 31390.30"}, ""},
        {{"chromatogram", text, "1", "1", "609", "610"}, 0,
         {"Mass chromatogram of m/z 609.0000 to 610.0000 of injection 1, function 1: 24 points; apex at 0.950 min, "
          "intensity 22333.52"}, ""},
        {{"peaks", text, "1", "1"}, 0,
         {"TIC peaks of injection 1, function 1: 3", "0.350\t0.150\t0.550\tBV\t73634.93\t12658.9043\t6",
          "0.700\t0.550\t0.850\tVV\t28550.30\t4485.6295\t13", "0.950\t0.850\t1.100\tVB\t21386.81\t2701.1315\t18"},
         ""},
        {{"select", text, "1", "1", "0.30", "0.40"}, 0,
         {"Injection 1, function 1: scans 5..7 (0.300..0.400 min), 62 points", "195.0877\t127030.08"}, ""},
        {{"tree", ks::test::tempDir() + "/missing.txt.x"}, 1, {}, "tindrel: TKSDataServer::isValidDataset failed"},
        {{"chromatogram", text, "2", "1"}, 1, {}, "tindrel: TKSInjections::getItem failed: no injection 2"},
        {{"chromatogram", text, "1", "2"}, 1, {}, "tindrel: TKSFunctions::getItem failed: no function 2"},
        {{"select", text, "1", "1", "5", "6"}, 1, {}, "tindrel: TKSMSCollection::select failed"},
        {{"select", text, "1", "1", "0.4", "0.3"}, 1, {}, "tindrel: TKSMSCollection::select failed"},
        {{}, 2, {}, "usage:"},
        {{"tree"}, 2, {}, "usage:"},
        {{"peaks", text, "0", "1"}, 2, {}, "usage:"},
        {{"chromatogram", text, "1", "1", "nan"}, 2, {}, "usage:"},
        {{"select", text, "1", "1", "x", "1"}, 2, {}, "usage:"},
        {{"frobnicate"}, 2, {}, "usage:"},
        {{"--help"}, 0, {"usage: tindrel providers"}, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{kTool};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ks::test::RunResult r = ks::test::run(argv);
        const std::string name = c.args.empty() ? "(none)" : c.args[0] + " " + std::to_string(c.args.size());
        EXPECT_EQ(r.exitCode, c.exit) << name << "\n" << r.err;
        for (const std::string& line : c.out)
            EXPECT_NE(r.out.find(line + "\n"), std::string::npos) << name << ": " << line << "\n" << r.out;
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << name << ": " << r.err;
        if (c.exit == 0) {
            EXPECT_EQ(r.err, "") << name;
        }
    }
}

TEST_F(TindrelTool, GeneratedRun)
{
    const std::string run = writeRun("two.run", R"(kestrom-run 1
injection name="Injection A"
function name="MS+" type=1 polarity=1 scans=40 start=0 step=0.02 low=100 high=700
compound function=1 apex=0.40 width=0.03 height=10000 peaks=301.1410:100
injection name="Injection B"
function name="MS-" type=1 polarity=2 scans=40 start=0 step=0.02 low=100 high=700
function name="Product" type=2 polarity=2 order=2 precursor=193.07 scans=40 start=0 step=0.02 low=50 high=200
compound function=2 apex=0.30 width=0.03 height=900 peaks=149.0233:100
trace name="UV" points=10
)");
    ks::test::RunResult r = ks::test::run({kTool, "tree", run});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Injection 2: Injection B\n"
                         "  Function 1: MS-  type MS  polarity negative  MS order 1  MS/MS none  spectra 40\n"
                         "  Function 2: Product  type MSn  polarity negative  MS order 2  MS/MS product  spectra 40\n"
                         "  Trace 1: UV\n"),
              std::string::npos)
        << r.out;
    r = ks::test::run({kTool, "peaks", run, "2", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("TIC peaks of injection 2, function 2: 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n0.300\t"), std::string::npos) << r.out;
}

TEST_F(TindrelTool, CompositionAndMatch)
{
    const std::string text = bundledTextDataset();
    const std::string molfiles = std::string(KS_SOURCE_DIR) + "/../data/molfiles/";
    const std::string table = ks::test::tempDir() + "/KSElements.ini";
    const std::string broken = ks::test::tempDir() + "/broken.mol";
    ks::test::writeFile(broken, "not a molfile\n");
    ks::test::writeFile(table, "[C]\nnumber=6\nvalence=4\nisotopes=12:98.93,13.00335483507:1.07\n[H]\nnumber=1\n");
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::vector<std::string> out;  // lines that must appear
        std::string err;               // start of standard error
    };
    const Case cases[] = {
        {{"compose", "181.0707"}, 0,
         {"Elemental composition of m/z 181.0707 (charge 1, adduct H, 5 ppm, DBE -0.5 to 20, all ions): 4 formulas",
          "Formula                   m/z    DBE  Error (mDa)  Error (ppm)  Fitness",
          "C6H12O6             181.07066    1.0         0.04         0.20    0.000"},
         ""},
        {{"compose", "181.0707", "--electrons", "odd"}, 0,
         {"Elemental composition of m/z 181.0707 (charge 1, adduct H, 5 ppm, DBE -0.5 to 20, odd-electron ions): 2 "
          "formulas",
          "C5H6N7O             181.07066    6.5         0.04         0.22    0.000"},
         ""},
        {{"compose", "203.0526", "--adduct", "Na", "--tolerance", "0.002", "--unit", "Da", "--dbe", "0", "5",
          "--electrons", "even", "--max", "1"},
         0,
         {"Elemental composition of m/z 203.0526 (charge 1, adduct Na, 0.002 Da, DBE 0 to 5, even-electron ions): 1 "
          "formula",
          "C6H12O6             203.05261    1.0        -0.01        -0.04    0.000"},
         ""},
        {{"compose", "205.1234", "--charge", "-1", "--elements", "C0-20,H0-40,O0-4"}, 0,
         {"C13H18O2            205.12340    5.0        -0.00        -0.02    0.000"}, ""},
        {{"compose", "195.0877", "--spectrum", text, "1", "1", "0.35"}, 0,
         {"Elemental composition of m/z 195.0877 (charge 1, adduct H, 5 ppm, DBE -0.5 to 20, all ions); fitness "
          "against the spectrum of scan 6 (0.350 min): 3 formulas",
          "C8H10N4O2           195.08765    6.0         0.05         0.25    0.000"},
         ""},
        {{"match", text, molfiles + "caffeine.mol", molfiles + "nicotine.mol"}, 0,
         {"Molecule match of 2 molfiles against injection 1: MS+ function 1",
          "caffeine.mol\tmatched [M+H]+ m/z 195.0877\tRT 0.350 min\tscan 6\tscore 0.841\tsimilarity 0.681\tpurity "
          "1.000",
          "nicotine.mol\tnot matched"},
         ""},
        {{"match", text, broken}, 0, {"broken.mol\tnot read: line 1: no counts line"}, ""},
        {{"compose", "181", "--elements", "C0-5,Xx0-2"}, 1, {}, "tindrel: TKSCompositionCalculator::compute failed"},
        {{"compose", "181", "--table", table}, 1, {}, "tindrel: TKSElementTable::initialize failed: line 5: element H"},
        {{"compose", "195", "--spectrum", text, "2", "1", "0.3"}, 1, {}, "tindrel: TKSInjections::getItem failed"},
        {{"match", text, molfiles + "missing.mol"}, 1, {}, "tindrel: reading "},
        {{"match", text, molfiles + "caffeine.mol", "--injection", "2"}, 1, {}, "tindrel: TKSInjections::getItem failed"},
        {{"compose", "x"}, 2, {}, "usage:"},
        {{"compose", "181", "--unit", "mmu"}, 2, {}, "usage:"},
        {{"compose", "181", "--elements", "C5"}, 2, {}, "usage:"},
        {{"compose", "181", "--dbe", "1"}, 2, {}, "usage:"},
        {{"compose", "181", "--colour", "red"}, 2, {}, "usage:"},
        {{"match", text}, 2, {}, "usage:"},
        {{"match", text, molfiles + "caffeine.mol", "--frobnicate"}, 2, {}, "usage:"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{kTool};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ks::test::RunResult r = ks::test::run(argv);
        std::string name;
        for (const std::string& a : c.args)
            name += a.substr(a.rfind('/') + 1) + " ";
        EXPECT_EQ(r.exitCode, c.exit) << name << "\n" << r.err;
        for (const std::string& line : c.out)
            EXPECT_NE(r.out.find(line + "\n"), std::string::npos) << name << ": " << line << "\n" << r.out;
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << name << ": " << r.err;
    }
}

// compose against measured clusters: each ion of data/ranking.tsv (its
// cluster 1.5 ppm high, intensities 3 to 5 % off) as the compound of a
// generated run, scored against the spectrum at its apex.
TEST_F(TindrelTool, ComposeRanksTheTrueFormulaOfMeasuredClusters)
{
    struct Ion {
        std::string name, formula, adduct, charge, elements, peaks, mz;
    };
    std::vector<Ion> ions;
    std::istringstream in(ks::test::readFile(std::string(KS_SOURCE_DIR) + "/data/ranking.tsv"));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        if (f.size() == 6 && f[0] == "ion") {
            ions.push_back(Ion{f[1], f[2], f[3], f[4], f[5], "", ""});
        } else if (f.size() == 6 && f[0] == "=") {
            Ion& ion = ions.back();
            ion.peaks += (ion.peaks.empty() ? "" : ",") + f[4] + ":" + f[5];
            if (ion.mz.empty())
                ion.mz = f[4];
        }
    }
    ASSERT_EQ(ions.size(), 14u);
    int protonated = 0, first = 0;
    for (const Ion& ion : ions) {
        SCOPED_TRACE(ion.name);
        const double mz = std::stod(ion.mz);
        const std::string run =
            writeRun(ion.name + ".run", "kestrom-run 1\ninjection\nfunction scans=21 start=0 step=0.01 low=" +
                                            std::to_string(mz - 5) + " high=" + std::to_string(mz + 10) +
                                            "\ncompound function=1 apex=0.1 width=0.02 height=1000 peaks=" +
                                            ion.peaks + "\n");
        const ks::test::RunResult r = ks::test::run({kTool, "compose", ion.mz, "--charge", ion.charge, "--adduct",
                                                     ion.adduct, "--elements", ion.elements, "--spectrum", run, "1",
                                                     "1", "0.1"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        std::istringstream out(r.out);
        std::vector<std::string> formulas;
        for (std::string row; std::getline(out, row);)
            if (!row.empty() && row.find(' ') != std::string::npos && row.rfind("Elemental", 0) != 0 &&
                row.rfind("Formula", 0) != 0)
                formulas.push_back(row.substr(0, row.find(' ')));
        const auto at = std::find(formulas.begin(), formulas.end(), ion.formula);
        ASSERT_NE(at, formulas.end()) << r.out;
        const long rank = at - formulas.begin() + 1;
        // As in the analysis test: reserpine and Leu-enkephalin have
        // formulas whose ratios lie within the noise of theirs, closer in
        // mass.
        EXPECT_LE(rank, ion.name == "reserpine" ? 2 : ion.name == "leu-enkephalin" ? 3 : 1) << r.out;
        if (ion.charge == "1") {
            ++protonated;
            first += rank == 1;
        }
    }
    EXPECT_EQ(protonated, 12);
    EXPECT_GE(first, 10);
}

}  // namespace
}  // namespace tindreltest
