// Ion-trap data folders for the tests: the manifest "Analysis.yep" that the
// stand-in of the outside analysis component reads (outside/iontrap), one
// spectrum record at a time, and KS_VENDORKIT_FAULTS for one scope.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "agilentfixtures.h"
#include "kstest.h"

namespace iontrapfix {

// One "[spectrum]" record: time in seconds, level counted from 1 as the
// reader counts (written as level - 1), polarity and zoom as the "Mode"
// parameters say, then any further lines.
inline std::string Spectrum(double seconds, int level, bool positive = true, bool zoom = false,
                            const std::string& masses = "100 200", const std::string& intensities = "1 2",
                            const std::string& more = "")
{
    char time[64];
    std::snprintf(time, sizeof time, "%.17g", seconds);
    return std::string("[spectrum]\ntime ") + time + "\nlevel " + std::to_string(level - 1) + "\nmasses " + masses +
           "\nintensities " + intensities + "\nparam Mode \"Ion Polarity\" " + (positive ? "Positive" : "Negative") +
           "\nparam Mode \"Mass Range Mode\" " + (zoom ? "Std/Maximum" : "Std/Normal") + "\n" + more;
}

// A manifest of an analysis with that name ("" for none) and records.
inline std::string Manifest(const std::string& name, const std::string& records)
{
    std::string text = "ks-iontrap-analysis 1\n";
    if (!name.empty())
        text += "[analysis]\nname \"" + name + "\"\n";
    return text + records + "[end]\n";
}

// A data folder of the running test case holding the manifest.
inline std::string DataFolder(const std::string& folder, const std::string& manifest)
{
    const std::string path = agilentfix::Folder(folder);
    ks::test::writeFile(agilentfix::Join(path, "Analysis.yep"), manifest);
    return path;
}

// Sets KS_VENDORKIT_FAULTS for one scope (read when the reader creates
// the component, at every open).
struct Faults {
    explicit Faults(const std::string& text) { setenv("KS_VENDORKIT_FAULTS", text.c_str(), 1); }
    ~Faults() { unsetenv("KS_VENDORKIT_FAULTS"); }
    Faults(const Faults&) = delete;
    Faults& operator=(const Faults&) = delete;
};

}  // namespace iontrapfix
