// What the Compass stand-in reads: the manifest "analysis.baf" of an
// analysis folder (format in README.md, grammar in outside/vendorkit)
// turned into one analysis with its spectra and the injected faults.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kstypes.h"
#include "vkarray.h"
#include "vkfault.h"
#include "vkmanifest.h"

namespace compass {

inline constexpr const char* kManifestName = "analysis.baf";
inline constexpr const char* kMagic = "ks-compass-analysis 1";

struct Spectrum {
    double seconds = 0;
    LONG level = 1;  // 1 MS, 2 and above MSn
    bool hasPolarity = false;
    LONG polarity = 0;  // the component's value: 1 negative
    vendorkit::ArrayValues masses;
    vendorkit::ArrayValues intensities;
    LONG count = 0;  // the point count the data call reports
};

struct Analysis {
    std::string description;  // may be empty
    std::vector<Spectrum> spectra;
    std::vector<vendorkit::Fault> faults;
};

// The operations that faults may name, one per member the component
// answers ("Analysis.Open", "Spectrum.Data", ...).
const std::vector<std::string>& operations();

// A manifest's text: the analysis, or the status of the first damage.
// Beyond the grammar and the schema: the masses and intensities of a
// spectrum hold one value per point unless "count" says how many points
// the component reports.
vendorkit::ParseStatus readAnalysis(std::string_view text, Analysis& out);

// Whether a folder (path in the file system's form) holds an entry named
// "analysis.baf", found without regard to case: what makes it an analysis
// folder for the component.
bool isAnalysisFolder(const std::string& folder);

// The manifest of an analysis folder; "no analysis.baf" when the folder
// has none.
vendorkit::ParseStatus readAnalysisFolder(const std::string& folder, Analysis& out);

}  // namespace compass
