#include "benchsummary.h"

#include <fcntl.h>
#include <unistd.h>

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
         {"control: 500-atom chain / again", "BM_Chain500", "BM_Chain500_again"}},
        ksbench::Clock::Cpu);
}
