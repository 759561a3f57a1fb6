// Generated runs: a small text description of an LC-MS run from which the
// test provider computes every spectrum and trace, deterministically.
//
//   kestrom-run 1
//   # a comment; blank lines are ignored; lines end in LF or CR LF
//   injection name="Injection 1"
//   function name="MS+" type=1 polarity=1 scans=100 start=0 step=0.02 low=100 high=1000 noise=50 noisepeaks=20
//   function name="MS/MS+" type=2 polarity=1 order=2 msms=2 precursor=195.0877 scans=100 profile=0.01 fwhm=0.05
//   compound function=1 apex=0.35 width=0.05 height=48000 peaks=195.0877:100,196.0911:9.7
//   compound function=1 apex=0.70 width=0.05 height=31000 cluster=524.2648/2:100,55,18,4
//   trace name="UV 254" start=0 step=0.01 points=300 baseline=5 peaks=0.35:0.05:1000,0.70:0.05:500
//
// The first line names the format. Every other line is a keyword and
// key=value fields (a value with blanks in double quotes). Functions,
// compounds and traces belong to the injection line above them; a compound
// names its function by its position in the injection, counting from 1.
// The README lists every key, its default and its limits. Anything else (an
// unknown keyword or key, a bad or missing number, a value outside its
// limits) is an error with the line number and the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tindrelrun {

struct Compound {
    double apex = 0;    // minutes
    double width = 0;   // standard deviation in minutes
    double height = 0;  // intensity at the apex of the first peak of 100 %
    // (m/z, relative height in percent)
    std::vector<std::pair<double, double>> peaks;
};

struct Function {
    std::wstring name;
    int type = 1;       // FunctionType
    int polarity = 1;   // FunctionPolarity
    int order = 1;
    int msmsType = 0;   // FunctionMSMSType
    double precursor = 0;
    int scans = 0;
    // The spectrum count the data server reports, as a damaged file's
    // header may claim more (or fewer) than it holds; -1: the scans.
    // Spectra from `scans` on fail to read.
    int claimed = -1;
    double start = 0;   // minutes
    double step = 0.01;
    bool profile = false;
    double spacing = 0;  // m/z between profile points
    double fwhm = 0.05;  // m/z, profile peaks
    double low = 50;
    double high = 1000;
    double noise = 0;    // largest noise intensity
    int noisePeaks = 0;  // centroid noise peaks per scan
    std::vector<Compound> compounds;

    // Points of one profile spectrum.
    long long profilePoints() const;
    // The count the data server reports.
    int reportedScans() const { return claimed >= 0 ? claimed : scans; }
};

struct TracePeak {
    double apex = 0, width = 0, height = 0;
};

struct Trace {
    std::wstring name;
    double start = 0;
    double step = 0.01;
    int points = 0;
    double baseline = 0;
    std::vector<TracePeak> peaks;
};

struct Injection {
    std::wstring name;
    std::vector<Function> functions;
    std::vector<Trace> traces;
};

struct Run {
    uint32_t seed = 1;
    std::vector<Injection> injections;
};

struct ParseError {
    int line = 0;        // from 1; 0 when the text as a whole is refused
    std::string reason;
};

// The first line of every run description.
inline constexpr char kRunSignature[] = "kestrom-run 1";

// Parses a whole description. False with the first error.
bool parseRun(const std::string& text, Run& run, ParseError& error);

// Scan `scan` (from 0) of a function: its m/z values ascending and their
// intensities. Noise comes from a generator seeded by the run's seed and
// the injection, function and scan, so every call gives the same values.
void computeSpectrum(const Run& run, int injection, int function, int scan, std::vector<double>& mz,
                     std::vector<double>& intensity);

double scanTime(const Function& function, int scan);

// The trace's points.
void computeTrace(const Trace& trace, std::vector<double>& times, std::vector<double>& intensity);

}  // namespace tindrelrun
