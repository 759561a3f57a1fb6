// The Compass reader over the stand-in of the outside analysis component,
// served in process: whatever the bytes of "analysis.baf" (spectra with
// arrays of every form and count, faults of any call), opening the folder
// from a path inside it, the function values, every spectrum, the choice
// by time and the chromatograms answer without crashing, and an open that
// succeeds holds one time per spectrum, each read back as it was kept.
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "brukercompassdataserver.h"
#include "compassobjects.h"
#include "ksfuzz.h"
#include "ksfuzzclass.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

std::wstring Wide(const std::string& path)
{
    return std::wstring(path.begin(), path.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (ks::fuzz::quietStdio(), true);
    static const ks::fuzz::ServedClass served(CLSID_CompassAnalysis, &compass::createAnalysis);
    static const std::string folder = ks::fuzz::tempDir() + "/run.d";
    static const std::string inside = folder + "/sub";
    (void)quiet;
    (void)served;
    mkdir(folder.c_str(), 0700);
    mkdir(inside.c_str(), 0700);
    ks::fuzz::writeInput(data, size, "run.d/analysis.baf");

    CBrukerCompassDataServerImpl reader;
    check(reader.IsValidDataset(CString(Wide(folder))));
    const HRESULT hr = reader.Open(CString(Wide(inside)));
    const int count = reader.SpectrumCount(0, 0);
    check(SUCCEEDED(hr) || count == 0);
    reader.FunctionName(0, 0);
    reader.FunctionType(0, 0);
    reader.FunctionPolarity(0, 0);
    reader.MSOrder(0, 0);
    CMassSpectrum s;
    double last = 0;
    for (int i = 0; i < count; ++i) {
        if (FAILED(reader.Spectrum(0, 0, i, s)))
            continue;
        check(s.GetFirstScan() == i + 1 && s.GetStartRT() == s.GetEndRT());
        const int chosen = reader.SpectrumIndexByRT(0, 0, s.GetStartRT(), FunctionRTProximityClosest);
        check(chosen >= 0 && chosen < count);
        last = s.GetStartRT();
    }
    for (FunctionRTProximity p : {FunctionRTProximityLess, FunctionRTProximityGreater, FunctionRTProximityClosest}) {
        const int chosen = reader.SpectrumIndexByRT(0, 0, last + 0.5, p);
        check(chosen >= -1 && chosen < count);
    }
    CChromatogram tic;
    if (SUCCEEDED(reader.TIC(true, 0, 0, tic)))
        check(tic.GetCount() == count);
    reader.Close();
    return 0;
}
