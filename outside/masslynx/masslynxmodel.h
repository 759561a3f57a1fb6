// What the MassLynx stand-in reads: the manifest "_manifest.txt" of a raw
// directory (format in README.md, grammar in outside/vendorkit) turned
// into the run's functions with their scans, its named chromatograms, its
// analog channel count and the injected faults; and the header file
// "_header.txt" beside it, as bytes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "kstypes.h"
#include "vkarray.h"
#include "vkfault.h"
#include "vkmanifest.h"

namespace masslynx {

inline constexpr const char* kManifestName = "_manifest.txt";
inline constexpr const char* kMagic = "ks-masslynx-raw 1";
inline constexpr const char* kHeaderName = "_header.txt";
// A header file larger than this is refused.
inline constexpr size_t kMaxHeaderBytes = 1u << 20;

struct Scan {
    double minutes = 0;
    LONG continuum = 0;
    vendorkit::ArrayValues masses;
    vendorkit::ArrayValues intensities;
    LONG count = 0;  // the point count the data call reports
};

struct Function {
    std::string type;
    double value = 0;
    LONG scanCount = 0;  // the count the function call reports
    std::vector<Scan> scans;
};

struct Chromatogram {
    std::string name;
    LONG function = 0;  // 0: answers for every function
    vendorkit::ArrayValues times;
    vendorkit::ArrayValues intensities;
    LONG count = 0;
};

struct Raw {
    std::vector<Function> functions;
    bool hasAnalog = false;
    LONG analogChannels = 0;
    std::vector<Chromatogram> chromatograms;
    // Each chromatogram by its name and function (0: every function).
    std::map<std::pair<std::string, LONG>, size_t> index;
    std::vector<vendorkit::Fault> faults;

    // The chromatogram of that name (exactly) standing for the function,
    // or null.
    const Chromatogram* findChromatogram(const std::string& name, LONG function) const;
};

// The operations that faults may name, one per member the classes answer
// ("RawCheck.Check", "Spectrum.Data", ...).
const std::vector<std::string>& operations();

// A manifest's text: the run, or the status of the first damage. Beyond
// the grammar and the schema: a [scan] belongs to the [function] above it
// (none above is damage); a [chromatogram] names an existing function or
// none, and no two stand for the same name and function; each analog
// channel 1 to n has a chromatogram "An<channel>"; the two arrays of a
// scan or chromatogram hold one value per point unless "count" says how
// many points the class reports.
vendorkit::ParseStatus readRaw(std::string_view text, Raw& out);

enum class Found { Yes, Missing, Damaged };

// The manifest of a raw directory (path in the file system's form), read
// again only when the file changed (another file, size or modification
// time); what another cache of the process read last of the same
// unchanged file is taken rather than read again. Missing: the path is no folder or holds no manifest; Damaged: the
// manifest is there but cannot be read (status says why, also for a
// folder, FIFO or device of that name).
class RawCache {
public:
    Found load(const std::string& folder, std::shared_ptr<const Raw>& raw, vendorkit::ParseStatus& status);

private:
    std::string m_folder;  // as asked, for the manifest read last
    std::string m_path;
    struct stat m_stat {};
    std::shared_ptr<const Raw> m_raw;
};

// The header file of a raw directory, found without regard to case, as
// its bytes: Missing when there is none, Damaged when it is no regular
// file, cannot be read or is larger than kMaxHeaderBytes (why says so).
Found readHeaderFile(const std::string& folder, std::string& bytes, std::string& why);

}  // namespace masslynx
