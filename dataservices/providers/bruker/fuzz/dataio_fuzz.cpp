// The data reader on an experiment written from the input: byte 0 chooses
// a series ("1.ser") or not and time-of-flight ("tof") or not; the bytes
// up to the first zero byte are every parameter file (acqu, acqus, proc,
// procs, proc2, proc2s), the rest is every data file (fid or ser, 1r or
// 2rr). The raw data and processing 1 are opened and read scan by scan;
// whatever the bytes, nothing reads outside its buffers, no size from the
// files sizes an allocation beyond the file, and every point appended
// has an m/z that is a number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "brukerdataio.h"
#include "brukerlayout.h"
#include "ksfuzz.h"
#include "massspectrum.h"

namespace {

// Work bounds of one input: scans read one by one, and the chromatogram.
const LONG kMaxScans = 64;

void write(const std::string& path, const char* bytes, size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes, static_cast<std::streamsize>(size));
}

void check(CBrukerDataIO& io)
{
    const LONG scans = io.ScanCount();
    if (scans < 1 || io.PointsPerScan() < 1)
        std::abort();  // an open reader has something to read
    CMassSpectrum spectrum;
    for (LONG scan = 1; scan <= scans && scan <= kMaxScans; ++scan) {
        if (!io.GetCalibratedSpectrum(scan, spectrum))
            continue;
        if (spectrum.GetCount() > io.PointsPerScan())
            std::abort();
        for (LONG i = 0; i < spectrum.GetCount(); ++i)
            if (std::isnan(spectrum.Masses()[i]))
                std::abort();
    }
    if (scans <= kMaxScans) {
        LONG count = 0;
        std::vector<double> times, intensities;
        if (io.TIC(count, times, intensities) && (count != scans || times.size() != static_cast<size_t>(scans)))
            std::abort();
    }
    std::vector<double> precursors;
    io.ReadPrecursors(precursors);
    if (precursors.size() > 4)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool series = data[0] & 1;
    const bool timeOfFlight = data[0] & 2;
    const char* rest = reinterpret_cast<const char*>(data + 1);
    const size_t restSize = size - 1;
    size_t split = 0;
    while (split < restSize && rest[split] != 0)
        ++split;
    const char* fileData = rest + std::min(split + 1, restSize);
    const size_t dataSize = restSize - std::min(split + 1, restSize);

    // One dataset folder per form, its files written over for every input.
    namespace fs = std::filesystem;
    const std::string dataset = ks::fuzz::tempDir() + (series ? "/series" : "/single");
    const std::string experiment = dataset + (series ? "/1.ser" : "/1");
    const std::string processing = experiment + "/pdata/1";
    std::error_code ec;
    fs::create_directories(processing, ec);
    for (const char* name : {"/acqu", "/acqus"})
        write(experiment + name, rest, split);
    for (const char* name : {"/proc", "/procs", "/proc2", "/proc2s"})
        write(processing + name, rest, split);
    write(experiment + "/SPTYPE", timeOfFlight ? "tof\n" : "icr\n", 4);
    write(experiment + (series ? "/ser" : "/fid"), fileData, dataSize);
    write(processing + (series ? "/2rr" : "/1r"), fileData, dataSize);

    const std::wstring wdataset(dataset.begin(), dataset.end());
    std::vector<std::wstring> list;
    ListExperiments(wdataset, true, list);
    ListProcessings(wdataset, L"1", list);
    IsBrukerDataset(wdataset, false);
    ExperimentDescription(wdataset, L"1");
    CBrukerDataIO io;
    for (const wchar_t* procno : {L"", L"1"}) {
        if (!io.Open(wdataset, L"1", procno))
            continue;
        check(io);
        CMassSpectrum spectrum;
        const std::wstring source = io.GetDataSource();
        io.ReadSpectrumFromSource(source, L"1", spectrum);
        if (io.IsOpen())
            std::abort();  // read from a source closes again
    }
    return 0;
}
