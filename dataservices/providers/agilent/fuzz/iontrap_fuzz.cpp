// The ion-trap reader over the stand-in of the outside analysis component,
// served in process: whatever the bytes of "Analysis.yep" (spectra with
// arrays of every form and count, levels, modes, faults of any call) and
// of a signal file beside it, the open ends in an error or a reader whose
// functions, spectra, choice by time, computed chromatograms and traces
// answer without crashing, each spectrum where its function says.
//
// The input up to its first zero byte is the manifest; the rest, when
// there is any, is the signal file "ADC1A.ch".
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "iontrapdataserver.h"
#include "iontrapobjects.h"
#include "ksfuzz.h"
#include "ksfuzzclass.h"
#include "massspectrum.h"

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

void ReadFunction(CAgilentIonTrapDataServerImpl& reader, int f)
{
    reader.FunctionName(0, f);
    const ::FunctionType type = reader.FunctionType(0, f);
    const ::FunctionPolarity polarity = reader.FunctionPolarity(0, f);
    const int level = reader.MSOrder(0, f);
    check(reader.FunctionMSMSType(0, f) == (level >= 2 ? FunctionMSMSTypePrecursor : FunctionMSMSTypeNone));
    if (level <= 0)
        check(type == FunctionTypeUnknown);
    else if (level == 1)
        check(type == FunctionTypeMS || type == FunctionTypeZoomMS);
    else
        check(type == FunctionTypeMSn || type == FunctionTypeZoomMSn);
    const int count = reader.SpectrumCount(0, f);
    check(count > 0);  // a function exists because a spectrum made it
    CMassSpectrum s;
    for (int i = 0; i < count; ++i) {
        if (FAILED(reader.Spectrum(0, f, i, s)))
            continue;
        check(s.GetFirstScan() == i + 1 && s.GetLastScan() == i + 1);
        check(s.GetPolarity() == polarity);
        check(s.GetStartRT() == s.GetEndRT());
        const int chosen = reader.SpectrumIndexByRT(0, f, s.GetStartRT(), FunctionRTProximityClosest);
        check(chosen >= 0 && chosen < count);
    }
    check(FAILED(reader.Spectrum(0, f, count, s)));
    CChromatogram c;
    if (SUCCEEDED(reader.TIC(true, 0, f, c)))
        check(c.GetCount() == count);
    if (SUCCEEDED(reader.BPC(true, 0, f, c)))
        check(c.GetCount() == count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (ks::fuzz::quietStdio(), true);
    static const ks::fuzz::ServedClass served(CLSID_IonTrapAnalysis, &iontrap::createAnalysis);
    static const std::string folder = ks::fuzz::tempDir() + "/run.d";
    (void)quiet;
    (void)served;
    mkdir(folder.c_str(), 0700);
    size_t split = 0;
    while (split < size && data[split] != 0)
        ++split;
    ks::fuzz::writeInput(data, split, "run.d/Analysis.yep");
    const std::string signal = folder + "/ADC1A.ch";
    if (split + 1 < size)
        ks::fuzz::writeInput(data + split + 1, size - split - 1, "run.d/ADC1A.ch");
    else
        unlink(signal.c_str());

    CAgilentIonTrapDataServerImpl reader;
    check(reader.IsValidDataset(CString(Wide(folder))));
    if (FAILED(reader.Open(CString(Wide(folder))))) {
        check(reader.FunctionCount(0) == 0 && reader.TraceCount(0) == 0);
        return 0;
    }
    const int functions = reader.FunctionCount(0);
    for (int f = 0; f < functions; ++f)
        ReadFunction(reader, f);
    for (int t = 0; t < reader.TraceCount(0); ++t) {
        reader.TraceName(0, t);
        CChromatogram c;
        reader.Trace(0, t, c);
    }
    reader.Close();
    check(reader.FunctionCount(0) == 0);
    return 0;
}
