// The data server's reader on a dataset of several experiments written
// from the input, opened as a user's path reaches it: the dataset folder,
// each experiment's folder, its raw data and its processed data, and a
// folder beside the experiments. Whatever the bytes, an open ends in an
// error or in functions whose spectra, chromatograms and choice by time
// answer, reading experiment after experiment through one reader that
// holds at most one data file open; a path beside the experiments never
// opens.
//
// Input: byte 0 gives the number of experiments (1 to 6); then one byte
// of flags per experiment (1: a series "<n>.ser", 2: time of flight,
// 4: named "e<n>", which filters nothing, 8: no processing); then per
// experiment a 16-bit little-endian length and that many bytes of
// parameter text (every acqu, acqus, proc, procs, proc2, proc2s), and a
// length and that many bytes of data (raw and processed). Bytes missing
// at the end are empty.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "brukerdataserver.h"
#include "chromatogram.h"
#include "ksfuzz.h"
#include "massspectrum.h"

namespace {

namespace fs = std::filesystem;

// Work bounds of one input: scans read per function.
const int kMaxScans = 32;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Reader {
    const uint8_t* p;
    size_t left;
    std::string Take()
    {
        size_t length = 0;
        for (int k = 0; k < 2 && left > 0; ++k, ++p, --left)
            length |= static_cast<size_t>(*p) << (8 * k);
        length = std::min(length, left);
        std::string bytes(reinterpret_cast<const char*>(p), length);
        p += length;
        left -= length;
        return bytes;
    }
};

void write(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

size_t OpenFiles()
{
    size_t count = 0;
    std::error_code ec;
    for (fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec))
        ++count;
    return count;
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

void ReadAll(CBrukerDataServerImpl& server, size_t files)
{
    const int functions = server.FunctionCount(0);
    CMassSpectrum s;
    for (int f = 0; f < functions; ++f) {
        server.FunctionName(0, f);
        server.FunctionMSMSType(0, f);
        const int count = server.SpectrumCount(0, f);
        check(count >= 1);
        for (int i = 0; i < count && i < kMaxScans; ++i)
            if (SUCCEEDED(server.Spectrum(0, f, i, s)))
                check(s.GetFirstScan() == i + 1 && s.GetMSOrder() >= 1);
        check(FAILED(server.Spectrum(0, f, count, s)));
        // Back to the first experiment and on again: one reader serves all.
        server.Spectrum(0, 0, 0, s);
        if (count <= kMaxScans) {
            CChromatogram c;
            if (SUCCEEDED(server.TIC(true, 0, f, c)))
                check(c.GetCount() == count);
            const int chosen = server.SpectrumIndexByRT(0, f, 0.5, FunctionRTProximityClosest);
            check(chosen >= -1 && chosen < count);
        }
        check(OpenFiles() <= files + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int experiments = 1 + data[0] % 6;
    Reader in{data + 1, size - 1};
    std::vector<uint8_t> flags;
    for (int k = 0; k < experiments; ++k) {
        flags.push_back(in.left > 0 ? *in.p : 0);
        if (in.left > 0) {
            ++in.p;
            --in.left;
        }
    }

    const fs::path dataset = ks::fuzz::tempDir() + "/dataset";
    std::error_code ec;
    fs::remove_all(dataset, ec);
    fs::create_directories(dataset / "notes", ec);
    write(dataset / "notes" / "minutes.doc", "minutes");
    std::vector<std::string> names;
    for (int k = 0; k < experiments; ++k) {
        const bool series = flags[k] & 1;
        std::string name = (flags[k] & 4 ? "e" : "") + std::to_string(k + 1) + (series ? ".ser" : "");
        const fs::path experiment = dataset / name;
        const fs::path processing = experiment / "pdata" / "1";
        fs::create_directories(experiment, ec);
        const std::string parameters = in.Take();
        const std::string bytes = in.Take();
        for (const char* file : {"acqu", "acqus"})
            write(experiment / file, parameters);
        write(experiment / "SPTYPE", flags[k] & 2 ? "tof\n" : "icr\n");
        write(experiment / (series ? "ser" : "fid"), bytes);
        if (!(flags[k] & 8)) {
            fs::create_directories(processing, ec);
            for (const char* file : {"proc", "procs", "proc2", "proc2s"})
                write(processing / file, parameters);
            write(processing / (series ? "2rr" : "1r"), bytes);
        }
        names.push_back(name);
    }

    const size_t files = OpenFiles();
    CBrukerDataServerImpl server;
    if (SUCCEEDED(server.Open(CString(Wide(dataset.string()))))) {
        check(server.FunctionCount(0) >= 1 && server.FunctionCount(0) <= experiments);
        ReadAll(server, files);
    }
    for (const std::string& name : names) {
        const fs::path experiment = dataset / name;
        const bool series = name.find(".ser") != std::string::npos;
        for (const fs::path& path : {experiment, experiment / (series ? "ser" : "fid"),
                                     experiment / "pdata" / "1" / (series ? "2rr" : "1r")}) {
            if (FAILED(server.Open(CString(Wide(path.string())))))
                continue;
            if (name[0] >= '1' && name[0] <= '5')
                check(server.FunctionCount(0) == 1);
            ReadAll(server, files);
        }
    }
    check(FAILED(server.Open(CString(Wide((dataset / "notes").string())))));
    check(FAILED(server.Open(CString(Wide((dataset / "notes" / "minutes.doc").string())))));
    server.Close();
    check(OpenFiles() == files);
    return 0;
}
