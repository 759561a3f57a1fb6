// Runs the program's driver in process on a parameter file and a molecule
// input, with the five output files in the fuzz folder. Whatever the
// input, the run ends: computed, with rejected molecules, or stopped by a
// diagnostic.
#pragma once

#include "ksfuzz.h"
#include "routines.h"
#include "units.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace velmar::fuzz {

inline void runDriver(const std::string& params, const std::string& molecules)
{
    ks::fuzz::quietStdio();
    const std::string dir = ks::fuzz::tempDir() + "/";
    std::vector<std::string> args = {"VELMAR",          params,           molecules,       dir + "out.lis",
                                     dir + "out.shift", dir + "out.coup", dir + "out.pi", dir + "out.solv"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    const int rc = runProgram(int(args.size()), argv.data());
    closeAllUnits();
    if (rc != kExitComputed && rc != kExitRejected && rc != kExitFatal)
        std::abort();
}

}  // namespace velmar::fuzz
