// Helpers for tests that run the built program.
#pragma once

#include <string>

#include "kstest.h"

namespace velmar::test {

struct Result {
    ks::test::RunResult run;
    std::string listing, shifts, couplings, piexcess, solvent;
};

// Path of the bundled parameter file.
std::string bundledParams();

// Runs the program on the given molecule input in the test's folder with
// the given parameter file; reads back every output file (CR LF kept).
Result runVelmar(const std::string& molecules, const std::string& paramsPath = bundledParams());

// Text with CR LF line ends turned into LF.
std::string unixLines(const std::string& s);

// Number of lines of a text.
int countLines(const std::string& s);

}  // namespace velmar::test
