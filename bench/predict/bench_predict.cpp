#include "benchsummary.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "routines.h"

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string workDir()
{
    static std::string dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "velmar-bench-XXXXXX").string();
        const char* d = mkdtemp(tmpl.data());
        return std::string(d ? d : ".");
    }();
    return dir;
}

// One complete run on the given molecule input; the version line that the
// program writes to standard output is discarded.
void runOnce(const std::string& input, benchmark::State& state)
{
    const std::string d = workDir() + "/";
    std::vector<std::string> args = {"VELMAR",     VELMAR_PREDICT_DIR "/data/velmar.par", input,       d + "out.lis",
                                     d + "s.dat", d + "c.dat",                            d + "p.dat", d + "v.dat"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    std::fflush(stdout);
    int saved = dup(1);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    int rc = velmar::runProgram(static_cast<int>(argv.size()), argv.data());
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null);
    if (rc != 0)
        state.SkipWithError("the run failed");
}

std::string writeInput(const std::string& name, const std::string& text)
{
    std::string path = workDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

void BM_Chain500(benchmark::State& state)
{
    std::string in = writeInput("chain.dat", "40100\n" + readAll(VELMAR_PREDICT_DIR "/../../bench/predict/chain500.mol") +
                                                 "1111\n");
    for (auto _ : state)
        runOnce(in, state);
}
BENCHMARK(BM_Chain500)->Unit(benchmark::kMillisecond);

// An all-trans alkane of the given number of carbons on ideal geometry
// (C-C 1.54, C-H 1.09, tetrahedral angles) as a V2000 molfile: every inner
// methylene alike, so that most protons share a shift.
std::string zigzagAlkane(int carbons)
{
    const double pi = 3.14159265358979323846, half = 109.4712 / 2 * pi / 180, hang = 54.7356 * pi / 180;
    const double dx = 1.54 * std::sin(half), dy = 1.54 * std::cos(half);
    const double hy = 1.09 * std::cos(hang), hz = 1.09 * std::sin(hang);
    std::vector<std::string> atoms, bonds;
    char line[96];
    auto atom = [&](const char* symbol, double x, double y, double z) {
        std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f %-3s 0  0  0  0  0  0  0  0  0  0  0  0", x, y, z,
                      symbol);
        atoms.push_back(line);
        return static_cast<int>(atoms.size());
    };
    auto bond = [&](int a, int b) {
        std::snprintf(line, sizeof line, "%3d%3d  1  0", a, b);
        bonds.push_back(line);
    };
    for (int k = 0; k < carbons; ++k)
        atom("C", k * dx, (k % 2) * dy, 0.0);
    for (int k = 1; k < carbons; ++k)
        bond(k, k + 1);
    for (int k = 0; k < carbons; ++k) {
        const double x = k * dx, y = (k % 2) * dy, side = k % 2 == 0 ? -1.0 : 1.0;
        bond(k + 1, atom("H", x, y + side * hy, hz));
        bond(k + 1, atom("H", x, y + side * hy, -hz));
        if (k == 0)
            bond(k + 1, atom("H", x - 1.09, y, 0.0));
        if (k == carbons - 1)
            bond(k + 1, atom("H", x + 1.09, y, 0.0));
    }
    std::snprintf(line, sizeof line, "%3zu%3zu  0  0  0  0  0  0  0  0999 V2000", atoms.size(), bonds.size());
    std::string text = "all-trans alkane\n  bench\n\n" + std::string(line) + "\n";
    for (const auto& l : atoms)
        text += l + "\n";
    for (const auto& l : bonds)
        text += l + "\n";
    return text + "M  END\n";
}

// Twelve 998-atom chains (1 MB of input) with couplings and their
// equivalence handling: the coupling walk and the comparison of the
// protons of equal shift.
void BM_Zigzag998x12Couplings(benchmark::State& state)
{
    const std::string mol = zigzagAlkane(332);
    std::string text = "40101\n";
    for (int k = 0; k < 12; ++k)
        text += (k ? "   0\n" : "") + mol;
    std::string in = writeInput("zigzag.dat", text + "1111\n");
    for (auto _ : state)
        runOnce(in, state);
}
BENCHMARK(BM_Zigzag998x12Couplings)->Unit(benchmark::kMillisecond);

void BM_FixtureSet(benchmark::State& state)
{
    const char* names[] = {"methane", "ethane", "propane", "cyclohexane", "benzene", "toluene", "pyridine",
                           "furan", "thiophene", "pyrrole", "methanol", "ethanol", "acetone", "acetonitrile",
                           "acetic_acid", "dichloromethane", "chloroform", "dmso", "water", "naphthalene"};
    std::string text = "40110\n";
    bool first = true;
    for (const char* n : names) {
        if (!first)
            text += "   0\n";
        first = false;
        text += readAll(std::string(VELMAR_PREDICT_DIR "/tests/fixtures/") + n + ".mol");
    }
    std::string in = writeInput("fixtures.dat", text + "1111\n");
    for (auto _ : state)
        runOnce(in, state);
}
BENCHMARK(BM_FixtureSet)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_Chain500_again", BM_Chain500)->Unit(benchmark::kMillisecond);
    return ksbench::runWithSummary(
        argc, argv,
        {{"one run of the program on a 500-atom chain", "BM_Chain500", nullptr,
          "the program's run in this process: parameter file, molecule, shifts and couplings, listing and "
          "result files"},
         {"one run on the 20 fixture molecules", "BM_FixtureSet", nullptr},
         {"twelve 998-atom chains (1 MB) with couplings", "BM_Zigzag998x12Couplings", nullptr,
          "the program's run on one 1 MB input: shifts, couplings and the comparison of protons of equal shift",
          nullptr, 0, 1000},
         {"control: 500-atom chain / again", "BM_Chain500", "BM_Chain500_again"}},
        ksbench::Clock::Cpu);
}
