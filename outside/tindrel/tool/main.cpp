// tindrel: the host core-library stand-in on the command line, for a person
// and the main job.
//
//   tindrel providers                                  dataset filters and provider identifiers
//   tindrel tree PATH                                  injections, functions and traces
//   tindrel chromatogram PATH INJECTION FUNCTION [MZ | FROM TO]
//                                                      TIC, or a mass chromatogram
//   tindrel peaks PATH INJECTION FUNCTION              chromatogram peaks of the TIC
//   tindrel select PATH INJECTION FUNCTION FROM TO     the co-added spectrum's strongest points
//   tindrel compose MZ [OPTION...]                     elemental compositions of an ion m/z
//   tindrel match PATH MOLFILE... [OPTION...]          molecules matched in a dataset
//
// INJECTION and FUNCTION count from 1, times are minutes. A dataset is
// opened with the first provider (in the provider server's order) that
// says the path is one of its datasets. compose and match: analysis.cpp.
//
// Exit 0 on success, 1 when a call fails (the call on standard error),
// 2 on bad arguments.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "tindrel.h"
#include "tool.h"

namespace tindreltool {

std::string narrow(const std::wstring& text)
{
    std::string out;
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (wchar_t c : text) {
        const size_t n = std::wcrtomb(buffer, c, &state);
        if (n == static_cast<size_t>(-1))
            out += '?';
        else
            out.append(buffer, n);
    }
    return out;
}

std::wstring wide(const char* text)
{
    std::wstring out;
    std::mbstate_t state{};
    const char* p = text;
    const char* end = text + std::strlen(text);
    while (p < end) {
        wchar_t c = 0;
        const size_t n = std::mbrtowc(&c, p, size_t(end - p), &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
            out += static_cast<wchar_t>(static_cast<unsigned char>(*p));  // not UTF-8: the byte as Latin-1
            ++p;
            state = std::mbstate_t{};
            continue;
        }
        out += c;
        p += n ? n : 1;
    }
    return out;
}

int parseIndex(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (!*text || *end || errno != 0 || v < 1 || v > INT_MAX)
        throw BadArguments{};
    return static_cast<int>(v - 1);
}

double parseNumber(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (!*text || *end || errno != 0 || !std::isfinite(v))
        throw BadArguments{};
    return v;
}

// The dataset, opened with the first provider that accepts the path.
std::unique_ptr<TKSDataset> openDataset(const char* path)
{
    TKSDataServer server;
    const std::vector<std::wstring> providers = server.getDatasetProviderIDs();
    if (providers.empty())
        throw CallFailed{"TKSDataServer::getDatasetProviderIDs", "no dataset provider is registered"};
    const std::wstring widePath = wide(path);
    for (const std::wstring& provider : providers) {
        std::wstring checked = widePath;
        if (!server.isValidDataset(checked, provider))
            continue;
        std::unique_ptr<TKSDataset> dataset(server.openDataset(checked, provider));
        if (!dataset)
            throw CallFailed{"TKSDataServer::openDataset", "provider " + narrow(provider) + " cannot open " + path};
        return dataset;
    }
    throw CallFailed{"TKSDataServer::isValidDataset", std::string("no provider accepts ") + path};
}

std::unique_ptr<TKSMSCollection> openCollection(const TKSDataset& dataset, int injection, int function)
{
    std::unique_ptr<TKSInjections> injections(dataset.getInjections());
    if (!injections)
        throw CallFailed{"TKSDataset::getInjections", "no injections"};
    std::unique_ptr<TKSInjection> inj(injections->getItem(injection));
    if (!inj)
        throw CallFailed{"TKSInjections::getItem", "no injection " + std::to_string(injection + 1)};
    std::unique_ptr<TKSFunctions> functions(inj->getFunctions());
    if (!functions)
        throw CallFailed{"TKSInjection::getFunctions", "no functions"};
    std::unique_ptr<TKSFunction> fn(functions->getItem(function));
    if (!fn)
        throw CallFailed{"TKSFunctions::getItem", "no function " + std::to_string(function + 1)};
    return std::unique_ptr<TKSMSCollection>(fn->getSpectrumCollection());
}

}  // namespace tindreltool

namespace {

using namespace tindreltool;

const char* msTypeName(int type)
{
    static const char* const names[] = {"unknown", "MS", "MSn", "zoom MS", "zoom MSn", "SIM", "SIM MSn"};
    return type >= 0 && type <= 6 ? names[type] : "unknown";
}

const char* polarityName(int polarity)
{
    static const char* const names[] = {"unknown", "positive", "negative", "mixed"};
    return polarity >= 0 && polarity <= 3 ? names[polarity] : "unknown";
}

const char* msmsTypeName(int type)
{
    static const char* const names[] = {"none", "precursor", "product", "neutral loss", "neutral gain", "MRM"};
    return type >= 0 && type <= 5 ? names[type] : "unknown";
}

const char* peakTypeName(int type)
{
    static const char* const names[] = {"??", "BB", "BV", "VB", "VV", "shoulder"};
    return type >= 0 && type <= 5 ? names[type] : "??";
}

int listProviders()
{
    TKSDataServer server;
    const auto filters = server.getDatasetFilters();
    const auto ids = server.getDatasetProviderIDs();
    std::printf("%zu dataset provider%s\n", ids.size(), ids.size() == 1 ? "" : "s");
    for (size_t i = 0; i < ids.size() && i < filters.size(); ++i)
        std::printf("%s  %s\n", narrow(ids[i]).c_str(), narrow(filters[i]).c_str());
    return 0;
}

int printTree(const char* path)
{
    std::unique_ptr<TKSDataset> dataset = openDataset(path);
    std::printf("Dataset %s (provider %s)\n", narrow(dataset->getDatasetName()).c_str(),
                narrow(dataset->getDatasetProviderID()).c_str());
    std::unique_ptr<TKSInjections> injections(dataset->getInjections());
    if (!injections)
        throw CallFailed{"TKSDataset::getInjections", "no injections"};
    for (int i = 0; i < injections->getCount(); ++i) {
        std::unique_ptr<TKSInjection> injection(injections->getItem(i));
        if (!injection)
            continue;
        std::printf("Injection %d: %s\n", i + 1, narrow(injection->getName()).c_str());
        std::unique_ptr<TKSFunctions> functions(injection->getFunctions());
        for (int f = 0; functions && f < functions->getCount(); ++f) {
            std::unique_ptr<TKSFunction> function(functions->getItem(f));
            if (!function)
                continue;
            std::printf("  Function %d: %s  type %s  polarity %s  MS order %d  MS/MS %s  spectra %d\n", f + 1,
                        narrow(function->getName()).c_str(), msTypeName(function->getMSType()),
                        polarityName(function->getPolarity()), function->getMSOrder(),
                        msmsTypeName(function->getMSMSType()), function->getCount());
        }
        std::unique_ptr<TKSTraces> traces(injection->getTraces());
        for (int t = 0; traces && t < traces->getCount(); ++t) {
            std::unique_ptr<TKSTrace> trace(traces->getItem(t));
            if (trace)
                std::printf("  Trace %d: %s\n", t + 1, narrow(trace->getName()).c_str());
        }
    }
    return 0;
}

// values: none for the TIC, one m/z, or a range.
int printChromatogram(const char* path, int injection, int function, const std::vector<double>& values)
{
    std::unique_ptr<TKSDataset> dataset = openDataset(path);
    std::unique_ptr<TKSMSCollection> collection = openCollection(*dataset, injection, function);
    TKSChromatogram chromatogram;
    char what[128];
    if (values.empty()) {
        if (!collection->getTICChromatogram(chromatogram))
            throw CallFailed{"TKSMSCollection::getTICChromatogram", "no TIC"};
        std::snprintf(what, sizeof what, "TIC");
    } else if (values.size() == 1) {
        const double mz = values[0];
        if (!collection->getMassChromatogram(mz, chromatogram))
            throw CallFailed{"TKSMSCollection::getMassChromatogram", "no mass chromatogram"};
        std::snprintf(what, sizeof what, "Mass chromatogram of m/z %.4f +- %g %s", mz, collection->getMergeTolerance(),
                      collection->getMergeToleranceInDa() ? "Da" : "ppm");
    } else {
        const double from = values[0];
        const double to = values[1];
        if (!collection->getMassChromatogram(from, to, chromatogram))
            throw CallFailed{"TKSMSCollection::getMassChromatogram", "no mass chromatogram of that range"};
        std::snprintf(what, sizeof what, "Mass chromatogram of m/z %.4f to %.4f", from, to);
    }
    const auto& t = chromatogram.getRTValues();
    const auto& y = chromatogram.getIntensities();
    std::printf("%s of injection %d, function %d: %d points", what, injection + 1, function + 1,
                chromatogram.getCount());
    if (!y.empty()) {
        const size_t apex = static_cast<size_t>(std::max_element(y.begin(), y.end()) - y.begin());
        std::printf("; apex at %.3f min, intensity %.2f", t[apex], y[apex]);
    }
    std::printf("\n");
    for (size_t i = 0; i < t.size(); ++i)
        std::printf("%.4f\t%.2f\n", t[i], y[i]);
    return 0;
}

int printPeaks(const char* path, int injection, int function)
{
    std::unique_ptr<TKSDataset> dataset = openDataset(path);
    std::unique_ptr<TKSMSCollection> collection = openCollection(*dataset, injection, function);
    TKSChromatogram tic;
    if (!collection->getTICChromatogram(tic))
        throw CallFailed{"TKSMSCollection::getTICChromatogram", "no TIC"};
    TKSChromatogramPeakDetect detector;
    const int n = detector.detect(tic);
    std::printf("TIC peaks of injection %d, function %d: %d\n", injection + 1, function + 1, n);
    if (n > 0)
        std::printf("apex (min)\tstart\tend\ttype\theight\tarea\tscan\n");
    for (const TKSChromatogramPeak& p : detector.getPeaks())
        std::printf("%.3f\t%.3f\t%.3f\t%s\t%.2f\t%.4f\t%d\n", p.apexRT, p.startRT, p.endRT, peakTypeName(p.type),
                    p.height, p.area, p.scan + 1);
    return 0;
}

int printSelection(const char* path, int injection, int function, double from, double to)
{
    std::unique_ptr<TKSDataset> dataset = openDataset(path);
    std::unique_ptr<TKSMSCollection> collection = openCollection(*dataset, injection, function);
    TKSMSCollectionSelection selection;
    TKSMassSpectrum spectrum;
    const bool selected = from == to ? collection->select(from, false, selection, spectrum)
                                     : collection->select(from, to, false, selection, spectrum);
    if (!selected)
        throw CallFailed{"TKSMSCollection::select", "no scan in that time range"};
    std::printf("Injection %d, function %d:", injection + 1, function + 1);
    for (size_t i = 0; i < selection.getScanRanges().size(); ++i) {
        const TKSScanRange& s = selection.getScanRanges()[i];
        const TKSTimeRange& t = selection.getTimeRanges()[i];
        std::printf(" scans %d..%d (%.3f..%.3f min)", s.first, s.last, t.start, t.end);
    }
    std::printf(", %d points\n", spectrum.getCount());
    std::vector<size_t> order(static_cast<size_t>(spectrum.getCount()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto& y = spectrum.getIntensities();
    std::stable_sort(order.begin(), order.end(), [&y](size_t a, size_t b) { return y[a] > y[b]; });
    const size_t shown = std::min<size_t>(order.size(), 10);
    std::printf("Strongest points (m/z, intensity):\n");
    for (size_t i = 0; i < shown; ++i)
        std::printf("%.4f\t%.2f\n", spectrum.getMZValues()[order[i]], y[order[i]]);
    return 0;
}

// The usage: on standard error for bad arguments (2), on standard output
// when asked for with --help (0).
int usage(FILE* to = stderr)
{
    std::fputs("usage: tindrel providers\n"
               "       tindrel tree PATH\n"
               "       tindrel chromatogram PATH INJECTION FUNCTION [MZ | FROM TO]\n"
               "       tindrel peaks PATH INJECTION FUNCTION\n"
               "       tindrel select PATH INJECTION FUNCTION FROM TO\n"
               "       tindrel compose MZ [--tolerance VALUE] [--unit ppm|Da] [--charge Z] [--adduct ION]\n"
               "                       [--elements C0-100,H0-200,...] [--dbe MIN MAX] [--electrons even|odd|all]\n"
               "                       [--max N] [--fitness F] [--spectrum PATH INJECTION FUNCTION TIME]\n"
               "                       [--table KSElements.ini]\n"
               "       tindrel match PATH MOLFILE... [--injection N] [--table KSElements.ini]\n",
               to);
    return to == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tindreltool;
    // Paths and texts are UTF-8 on the command line and the terminal;
    // numbers stay in the "C" locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if ((command == "--help" || command == "-h") && argc == 2)
        return usage(stdout);
    try {
        if (command == "providers" && argc == 2)
            return listProviders();
        if (command == "tree" && argc == 3)
            return printTree(argv[2]);
        if (command == "chromatogram" && argc >= 5 && argc <= 7) {
            std::vector<double> values;
            for (int i = 5; i < argc; ++i)
                values.push_back(parseNumber(argv[i]));
            return printChromatogram(argv[2], parseIndex(argv[3]), parseIndex(argv[4]), values);
        }
        if (command == "peaks" && argc == 5)
            return printPeaks(argv[2], parseIndex(argv[3]), parseIndex(argv[4]));
        if (command == "select" && argc == 7) {
            const int injection = parseIndex(argv[3]), function = parseIndex(argv[4]);
            const double from = parseNumber(argv[5]), to = parseNumber(argv[6]);
            return printSelection(argv[2], injection, function, from, to);
        }
        if (command == "compose" && argc >= 3)
            return tindreltool::compose(argc - 2, argv + 2);
        if (command == "match" && argc >= 4)
            return tindreltool::match(argc - 2, argv + 2);
    } catch (const BadArguments&) {
        return usage();
    } catch (const CallFailed& failure) {
        std::fprintf(stderr, "tindrel: %s failed: %s\n", failure.call.c_str(), failure.reason.c_str());
        return 1;
    }
    return usage();
}
