// The analysis commands of the tindrel program.
//
//   tindrel compose MZ [--tolerance VALUE] [--unit ppm|Da] [--charge Z] [--adduct ION]
//                      [--elements C0-100,H0-200,...] [--dbe MIN MAX] [--electrons even|odd|all]
//                      [--max N] [--fitness F] [--spectrum PATH INJECTION FUNCTION TIME]
//                      [--table KSElements.ini]
//   tindrel match PATH MOLFILE... [--injection N] [--table KSElements.ini]
//
// compose starts from the library's default constraints and changes what
// the options give; --spectrum scores the candidates against the spectrum
// at that time. match takes the first MS and MS/MS function of each
// polarity of the injection (1 by default); a function of unknown or mixed
// polarity counts as positive. The element table is KSElements.ini beside
// the program unless --table names another.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "tool.h"

namespace tindreltool {

namespace {

std::string programFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string p(path, static_cast<size_t>(n));
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

TKSElementTable loadTable(const std::string& path)
{
    TKSElementTable table;
    const std::string file = path.empty() ? programFolder() + "/KSElements.ini" : path;
    if (!table.initialize(wide(file.c_str())))
        throw CallFailed{"TKSElementTable::initialize", narrow(table.getError())};
    return table;
}

int parseInteger(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (!*text || *end || errno != 0 || v < INT_MIN || v > INT_MAX)
        throw BadArguments{};
    return static_cast<int>(v);
}

// "C0-100,H0-200,Cl0-2": a symbol, its minimum and its maximum count.
std::vector<TKSElementConstraint> parseElements(const std::string& text)
{
    std::vector<TKSElementConstraint> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        const std::string item = text.substr(start, comma - start);
        size_t digits = 0;
        while (digits < item.size() && !(item[digits] >= '0' && item[digits] <= '9'))
            ++digits;
        const size_t dash = item.find('-', digits);
        if (digits == 0 || dash == std::string::npos)
            throw BadArguments{};
        out.emplace_back(wide(item.substr(0, digits).c_str()), parseInteger(item.substr(digits, dash - digits).c_str()),
                         parseInteger(item.substr(dash + 1).c_str()));
        start = comma + 1;
    }
    return out;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw CallFailed{"reading " + path, std::strerror(errno)};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string baseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int compose(int argc, char** argv)
{
    const double mz = parseNumber(argv[0]);
    TKSCompositionConstraints c;
    std::string tablePath;
    const char* spectrumPath = nullptr;
    int injection = 0, function = 0;
    double time = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&](int k) -> const char* {
            if (i + k >= argc)
                throw BadArguments{};
            return argv[i + k];
        };
        if (option == "--tolerance") {
            c.setTolerance(parseNumber(value(1)));
            i += 1;
        } else if (option == "--unit") {
            const std::string unit = value(1);
            if (unit != "ppm" && unit != "Da")
                throw BadArguments{};
            c.setUseToleranceInDa(unit == "Da");
            i += 1;
        } else if (option == "--charge") {
            c.setChargeState(parseInteger(value(1)));
            i += 1;
        } else if (option == "--adduct") {
            c.setAdduct(wide(value(1)));
            i += 1;
        } else if (option == "--elements") {
            c.setElementConstraints(parseElements(value(1)));
            i += 1;
        } else if (option == "--dbe") {
            c.setDBEMinimum(static_cast<float>(parseNumber(value(1))));
            c.setDBEMaximum(static_cast<float>(parseNumber(value(2))));
            i += 2;
        } else if (option == "--electrons") {
            const std::string mode = value(1);
            if (mode != "even" && mode != "odd" && mode != "all")
                throw BadArguments{};
            c.setElectronMode(mode == "even" ? TKSCompositionConstraints::EvenElectron
                                             : mode == "odd" ? TKSCompositionConstraints::OddElectron
                                                             : TKSCompositionConstraints::AllElectrons);
            i += 1;
        } else if (option == "--max") {
            c.setMaximumResultCount(parseInteger(value(1)));
            i += 1;
        } else if (option == "--fitness") {
            c.setFitnessThreshold(static_cast<float>(parseNumber(value(1))));
            i += 1;
        } else if (option == "--spectrum") {
            spectrumPath = value(1);
            injection = parseIndex(value(2));
            function = parseIndex(value(3));
            time = parseNumber(value(4));
            i += 4;
        } else if (option == "--table") {
            tablePath = value(1);
            i += 1;
        } else {
            throw BadArguments{};
        }
    }
    const TKSElementTable table = loadTable(tablePath);
    TKSCompositionCalculator calculator;
    calculator.setConstraints(c);
    calculator.setElementTable(&table);
    std::string scored;
    if (spectrumPath) {
        std::unique_ptr<TKSDataset> dataset = openDataset(spectrumPath);
        std::unique_ptr<TKSMSCollection> collection = openCollection(*dataset, injection, function);
        TKSMSCollectionSelection selection;
        TKSMassSpectrum spectrum;
        if (!collection || !collection->select(time, false, selection, spectrum))
            throw CallFailed{"TKSMSCollection::select", "no spectrum at that time"};
        calculator.setSpectrum(spectrum);
        char text[160];
        std::snprintf(text, sizeof text, "; fitness against the spectrum of scan %d (%.3f min)",
                      selection.getScanRanges().front().first, selection.getTimeRanges().front().start);
        scored = text;
    }
    if (!calculator.compute(mz))
        throw CallFailed{"TKSCompositionCalculator::compute",
                         "the constraints cannot be searched, or the search would pass its bounds"};
    const std::vector<TKSCompositionResult>& results = calculator.getResults();
    const int mode = c.getElectronMode();
    std::printf("Elemental composition of m/z %.4f (charge %d, adduct %s, %g %s, DBE %g to %g, %s)%s: %zu formula%s\n",
                mz, c.getChargeState(), c.getAdduct().empty() ? "none" : narrow(c.getAdduct()).c_str(),
                c.getTolerance(), c.getUseToleranceInDa() ? "Da" : "ppm", c.getDBEMinimum(), c.getDBEMaximum(),
                mode == 1 ? "even-electron ions" : mode == 2 ? "odd-electron ions" : "all ions", scored.c_str(),
                results.size(), results.size() == 1 ? "" : "s");
    if (!results.empty())
        std::printf("%-16s %12s %6s %12s %12s %8s\n", "Formula", "m/z", "DBE", "Error (mDa)", "Error (ppm)",
                    "Fitness");
    for (const TKSCompositionResult& r : results)
        std::printf("%-16s %12.5f %6.1f %12.2f %12.2f %8.3f\n", narrow(r.getFormula()).c_str(),
                    r.getCalculatedMass(), r.getDoubleBondEquivalent(), r.getmDaError(), r.getppmError(),
                    r.getFitness());
    return 0;
}

int match(int argc, char** argv)
{
    const char* path = argv[0];
    std::vector<std::string> files;
    std::string tablePath;
    int injection = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--injection" && i + 1 < argc) {
            injection = parseIndex(argv[++i]);
        } else if (arg == "--table" && i + 1 < argc) {
            tablePath = argv[++i];
        } else if (arg.compare(0, 2, "--") == 0) {
            throw BadArguments{};
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty())
        throw BadArguments{};
    const TKSElementTable table = loadTable(tablePath);
    std::vector<std::wstring> molfiles, ids;
    for (const std::string& file : files) {
        const std::string bytes = readBytes(file);
        molfiles.emplace_back(bytes.begin(), bytes.end());
        for (wchar_t& c : molfiles.back())
            c = static_cast<wchar_t>(static_cast<unsigned char>(c));  // Latin-1
        ids.push_back(wide(baseName(file).c_str()));
    }

    std::unique_ptr<TKSDataset> dataset = openDataset(path);
    std::unique_ptr<TKSInjections> injections(dataset->getInjections());
    std::unique_ptr<TKSInjection> inj(injections ? injections->getItem(injection) : nullptr);
    if (!inj)
        throw CallFailed{"TKSInjections::getItem", "no injection " + std::to_string(injection + 1)};
    std::unique_ptr<TKSFunctions> functions(inj->getFunctions());
    // Slots: MS+, MS/MS+, MS-, MS/MS-; the first function of each kind.
    std::unique_ptr<TKSMSCollection> slots[4];
    int slotFunction[4] = {-1, -1, -1, -1};
    for (int f = 0; functions && f < functions->getCount(); ++f) {
        std::unique_ptr<TKSFunction> fn(functions->getItem(f));
        if (!fn)
            continue;
        const int slot = (fn->getPolarity() == 2 ? 2 : 0) + (fn->getMSOrder() >= 2 ? 1 : 0);
        if (slotFunction[slot] < 0) {
            slots[slot].reset(fn->getSpectrumCollection());
            slotFunction[slot] = f;
        }
    }
    TKSMoleculeMatcher2 matcher;
    matcher.setElementTable(&table);
    matcher.setSpectra(slots[0].get(), slots[1].get(), slots[2].get(), slots[3].get());
    if (!matcher.matchMolecules(molfiles, ids))
        throw CallFailed{"TKSMoleculeMatcher2::matchMolecules", "the injection has no MS function to match against"};

    std::printf("Molecule match of %zu molfile%s against injection %d:", files.size(), files.size() == 1 ? "" : "s",
                injection + 1);
    static const char* const slotNames[] = {"MS+", "MS/MS+", "MS-", "MS/MS-"};
    for (int k = 0; k < 4; ++k)
        if (slotFunction[k] >= 0)
            std::printf(" %s function %d", slotNames[k], slotFunction[k] + 1);
    std::printf("\n");
    for (const TKSMoleculeMatchResult2& r : matcher.getResults()) {
        const std::string id = narrow(r.getMoleculeId());
        if (!r.getMolfileError().empty()) {
            std::printf("%s\tnot read: %s\n", id.c_str(), narrow(r.getMolfileError()).c_str());
            continue;
        }
        if (!r.getIsMatched()) {
            std::printf("%s\tnot matched\n", id.c_str());
            continue;
        }
        const TKSChromatogramPeak& p = r.getChromatogramPeak();
        std::printf("%s\tmatched %s m/z %.4f\tRT %.3f min\tscan %d\tscore %.3f\tsimilarity %.3f\tpurity %.3f",
                    id.c_str(), narrow(r.getIonDescription()).c_str(), r.getIonMZ(), p.apexRT, p.scan + 1,
                    r.getMatchScore(), r.getSimilarityScore(), r.getPurityScore());
        if (r.getFragmentScore() >= 0)
            std::printf("\tfragments %.3f", r.getFragmentScore());
        std::printf("\n");
    }
    return 0;
}

}  // namespace tindreltool
