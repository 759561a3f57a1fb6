// Compass analysis folders for the tests: the manifest "analysis.baf" that
// the stand-in of the outside Compass component reads (outside/compass),
// one spectrum record at a time, and KS_VENDORKIT_FAULTS for one scope.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "kstest.h"

namespace compassfix {

inline std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// A folder of the running test case (made with its parents).
inline std::string Folder(const std::string& relative)
{
    const std::string path = ks::test::tempDir() + "/" + relative;
    std::filesystem::create_directories(path);
    return path;
}

// No "polarity" line: the component leaves the caller's value.
constexpr int kNoPolarity = -1;

// One "[spectrum]" record: time in seconds, MS level, the component's
// polarity value, the points, then any further lines.
inline std::string Spectrum(double seconds, int level, int polarity = 0, const std::string& masses = "100 200",
                            const std::string& intensities = "1 2", const std::string& more = "")
{
    char time[64];
    std::snprintf(time, sizeof time, "%.17g", seconds);
    std::string text = std::string("[spectrum]\ntime ") + time + "\nlevel " + std::to_string(level) + "\n";
    if (polarity != kNoPolarity)
        text += "polarity " + std::to_string(polarity) + "\n";
    return text + "masses " + masses + "\nintensities " + intensities + "\n" + more;
}

// A manifest with that description (none when null) and records.
inline std::string Manifest(const char* description, const std::string& records)
{
    std::string text = "ks-compass-analysis 1\n";
    if (description)
        text += std::string("[analysis]\ndescription \"") + description + "\"\n";
    return text + records + "[end]\n";
}

// An analysis folder of the running test case holding the manifest.
inline std::string AnalysisFolder(const std::string& folder, const std::string& manifest)
{
    const std::string path = Folder(folder);
    ks::test::writeFile(path + "/analysis.baf", manifest);
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

}  // namespace compassfix
