// Raw directories for the MassLynx stand-in and the provider's tests: a
// header text and the stand-in's manifest written into a folder of the
// test case, from a small description of the run.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "kstest.h"

namespace mlfixture {

struct Scan {
    double minutes = 0;
    std::vector<double> masses;
    std::vector<double> intensities;
    int continuum = 0;
    std::string extra;  // further field lines ("count 5\n")
};

inline Scan MakeScan(double minutes, std::vector<double> masses, std::vector<double> intensities, int continuum = 0)
{
    Scan s;
    s.minutes = minutes;
    s.masses = std::move(masses);
    s.intensities = std::move(intensities);
    s.continuum = continuum;
    return s;
}

struct Function {
    std::string type = "Scan";
    std::vector<Scan> scans;
    std::string extra;  // further field lines ("scans 7\n")
    bool tic = true;    // a "TIC" chromatogram: each scan's time and summed intensity
};

struct RawSpec {
    std::vector<Function> functions;
    int analogChannels = -1;           // -1: no [analog] record
    std::vector<std::string> records;  // further records, as text
};

inline std::string Number(double d)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", d);
    return buffer;
}

inline std::string Numbers(const std::vector<double>& values)
{
    std::string out;
    for (double d : values)
        out += " " + Number(d);
    return out;
}

// A [chromatogram] record; function 0 stands for every function.
inline std::string Chromatogram(const std::string& name, int function, const std::vector<double>& times,
                                const std::vector<double>& intensities)
{
    std::string r = "[chromatogram]\nname \"" + name + "\"\n";
    if (function > 0)
        r += "function " + std::to_string(function) + "\n";
    return r + "times" + Numbers(times) + "\nintensities" + Numbers(intensities) + "\n";
}

inline std::string ManifestText(const RawSpec& run)
{
    std::string m = "ks-masslynx-raw 1\n";
    for (const Function& f : run.functions) {
        m += "[function]\ntype \"" + f.type + "\"\n" + f.extra;
        for (const Scan& s : f.scans)
            m += "[scan]\ntime " + Number(s.minutes) + "\ncontinuum " + std::to_string(s.continuum) + "\nmasses" +
                 Numbers(s.masses) + "\nintensities" + Numbers(s.intensities) + "\n" + s.extra;
    }
    for (size_t i = 0; i < run.functions.size(); ++i) {
        const Function& f = run.functions[i];
        if (!f.tic || f.scans.empty())
            continue;
        std::vector<double> times, totals;
        for (const Scan& s : f.scans) {
            times.push_back(s.minutes);
            double sum = 0;
            for (double y : s.intensities)
                sum += y;
            totals.push_back(sum);
        }
        m += Chromatogram("TIC", static_cast<int>(i + 1), times, totals);
    }
    if (run.analogChannels >= 0)
        m += "[analog]\nchannels " + std::to_string(run.analogChannels) + "\n";
    for (const std::string& r : run.records)
        m += r;
    return m + "[end]\n";
}

// A header text (CR LF lines) whose function n has the parameter section
// "Instrument Parameters - Function n:" with "Polarity<tab><tab>value",
// for each value given; an empty value leaves the function's section out.
inline std::string HeaderText(const std::vector<std::string>& polarities)
{
    std::string h = "$$ Version: 4.1\r\n$$ Acquired Name: Sample\r\n$$ Job Code: KS-1\r\n";
    for (size_t i = 0; i < polarities.size(); ++i) {
        if (polarities[i].empty())
            continue;
        h += "Instrument Parameters - Function " + std::to_string(i + 1) + ":\r\n";
        h += "Polarity\t\t" + polarities[i] + "\r\n";
        h += "Source Temperature\t120\r\n";
    }
    return h;
}

// Writes the header and the manifest into folder (made as needed);
// answers the folder.
inline std::string WriteRaw(const std::string& folder, const RawSpec& run, const std::string& header)
{
    std::filesystem::create_directories(folder);
    ks::test::writeFile(folder + "/_header.txt", header);
    ks::test::writeFile(folder + "/_manifest.txt", ManifestText(run));
    return folder;
}

// The usual run: function 1 positive and function 2 negative scans
// (function 2's first scan starts 500, 400, 100, 101), function 3 a diode
// array, two analog channels standing for every function.
inline RawSpec StandardRun()
{
    RawSpec run;
    Function ms1;
    ms1.scans = {MakeScan(0.10, {100, 150.5, 200}, {10, 20, 30}), MakeScan(0.20, {101, 151, 201}, {11, 21, 31}),
                 MakeScan(0.30, {102, 152, 202}, {12, 22, 32}, 1)};
    Function ms2;
    ms2.scans = {MakeScan(0.15, {500, 400, 100, 101}, {1, 2, 3, 4}), MakeScan(0.25, {110, 120}, {5, 6}),
                 MakeScan(0.35, {130, 140}, {7, 8})};
    Function da;
    da.type = "Diode Array";
    da.scans = {MakeScan(0.12, {200, 300}, {1000, 900}), MakeScan(0.22, {200, 300}, {1100, 950})};
    run.functions = {ms1, ms2, da};
    run.analogChannels = 2;
    run.records = {Chromatogram("An1", 0, {0.1, 0.2, 0.3}, {5, 6, 7}),
                   Chromatogram("An2", 0, {0.1, 0.2}, {50, 60})};
    return run;
}

inline std::string StandardHeader()
{
    return HeaderText({"ES+", "ES-"});
}

}  // namespace mlfixture
