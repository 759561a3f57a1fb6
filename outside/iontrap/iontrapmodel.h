// What the ion-trap stand-in reads: the manifest "Analysis.yep" of a data
// folder (format in README.md, grammar in outside/vendorkit) turned into
// one analysis with its spectra, their parameters and the injected faults.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kstypes.h"
#include "vkarray.h"
#include "vkfault.h"
#include "vkmanifest.h"

namespace iontrap {

inline constexpr const char* kManifestName = "Analysis.yep";
inline constexpr const char* kMagic = "ks-iontrap-analysis 1";

struct Parameter {
    std::string group;
    std::string name;
    std::string value;
};

struct Spectrum {
    double seconds = 0;
    LONG level = 0;  // counted from 0
    vendorkit::ArrayValues masses;
    vendorkit::ArrayValues intensities;
    LONG count = 0;  // the point count the data call reports
    vendorkit::ArrayValues precursors;
    LONG precursorCount = 0;
    std::vector<Parameter> parameters;
};

struct Analysis {
    bool hasName = false;
    std::string name;
    std::vector<Spectrum> spectra;
    std::vector<vendorkit::Fault> faults;
};

// The operations that faults may name, one per member the component
// answers ("Analysis.Open", "Spectrum.Data", ...).
const std::vector<std::string>& operations();

// A manifest's text: the analysis, or the status of the first damage.
// Beyond the grammar and the schema: the masses and intensities of a
// spectrum hold one value per point unless "count" says how many points
// the component reports, and likewise "precursors" and "precursor-count".
vendorkit::ParseStatus readAnalysis(std::string_view text, Analysis& out);

// The manifest of a data folder (path in the file system's form), found
// without regard to case; "no Analysis.yep" when the folder has none.
vendorkit::ParseStatus readAnalysisFolder(const std::string& folder, Analysis& out);

}  // namespace iontrap
