// The MassLynx reader and provider over the stand-in's seven classes,
// served in process: whatever the bytes (a header text up to the manifest's
// first line "ks-masslynx-raw 1", the manifest from there on), opening the
// raw directory, every function's values, its spectra as far as they read,
// the stand-in's TIC and the computed base-peak chromatogram, the choice by
// time, co-added ranges and every trace answer without crashing, and what
// a count claims costs only what the run holds: computed chromatograms and
// ranges end at the first scan that does not read. The provider opens each
// function of the run by its own number and reads its scans, TIC and
// traces the same way.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kscomptr.h"
#include "ksfuzz.h"
#include "ksfuzzclass.h"
#include "kshandles.h"
#include "ksmlprovider.h"
#include "masslynxformat.h"
#include "masslynxobjects.h"
#include "mldataserver.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The stand-in's classes, served from this process for its whole run.
struct Classes {
    std::vector<std::unique_ptr<ks::fuzz::ServedClass>> served;
    Classes()
    {
        for (const masslynx::ClassEntry& c : masslynx::classes())
            served.push_back(std::make_unique<ks::fuzz::ServedClass>(*c.clsid, c.create));
    }
};

std::wstring Wide(const std::string& path)
{
    return std::wstring(path.begin(), path.end());
}

// The spectra of a function read from the first on, up to the first that
// does not read: what a count-driven walk may cost.
void ReadSpectra(CMLDataServerImpl& reader, int function, int count)
{
    CMassSpectrum s;
    for (int i = 0; i < count && SUCCEEDED(reader.Spectrum(0, function, i, s)); ++i)
        check(s.GetFirstScan() == i + 1 && s.GetStartRT() == s.GetEndRT());
}

void ReadFunction(CMLDataServerImpl& reader, int function)
{
    reader.FunctionName(0, function);
    reader.FunctionType(0, function);
    reader.FunctionMSMSType(0, function);
    check(reader.FunctionPolarity(0, function) != FunctionPolarityUnknown);
    reader.MSOrder(0, function);
    const int count = reader.SpectrumCount(0, function);
    check(count >= 0);
    ReadSpectra(reader, function, count);

    // A fault may fail another call than the walk above met: the computed
    // chromatogram holds no more points than the function counts, and all
    // of them only when it succeeds.
    CChromatogram bpc;
    const HRESULT hr = reader.BPC(true, 0, function, bpc);
    check(bpc.GetCount() <= count && (FAILED(hr) || bpc.GetCount() == count));
    CChromatogram tic;
    if (SUCCEEDED(reader.TIC(false, 0, function, tic))) {
        check(tic.GetCount() >= 1);
        for (FunctionRTProximity p :
             {FunctionRTProximityLess, FunctionRTProximityGreater, FunctionRTProximityClosest})
            check(reader.SpectrumIndexByRT(0, function, tic.Times()[0], p) < tic.GetCount());
    }
    if (count > 0) {
        CMassSpectrum range;
        reader.SpectrumRange(0, function, 0, count - 1, true, 0.1, range);
        check(range.GetLastScan() == count);
    }
}

// The provider's dataset over the run's function `number`.
void ReadDataset(CKSMLProvider& provider, const std::wstring& folder, LONG number)
{
    ks::ComPtr<IKSMSDataset> dataset;
    if (FAILED(provider.ReadDataset(ks::Bstr(MakeMassLynxDataSource(folder, number)), &dataset)))
        return;
    check(dataset.get() != nullptr);
    LONG count = 0;
    check(SUCCEEDED(provider.get_BaseSpectrumCount(&count)));
    CKSMassSpectrum spectrum;
    LONG scan = 1;
    while (scan <= count && SUCCEEDED(provider.GetBaseSpectrumDirect(scan, reinterpret_cast<ULONG_PTR>(&spectrum))))
        ++scan;
    if (scan > 2)
        check(SUCCEEDED(provider.GetBaseSpectrumRangeDirect(1, scan - 1, reinterpret_cast<ULONG_PTR>(&spectrum))));
    provider.GetTICDirect(reinterpret_cast<ULONG_PTR>(&spectrum));
    LONG traces = 0;
    check(SUCCEEDED(provider.get_TraceCount(&traces)));
    for (LONG t = 1; t <= traces; ++t)
        provider.GetTraceDirect(t, reinterpret_cast<ULONG_PTR>(&spectrum));
    // A data source with the scan field reads that scan again.
    provider.ReadSpectrumDirect(ks::Bstr(MakeMassLynxDataSource(folder, number) + L"; History: 1"),
                                reinterpret_cast<ULONG_PTR>(&spectrum));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (ks::fuzz::quietStdio(), true);
    static const Classes served;
    static const std::string folder = ks::fuzz::tempDir() + "/run.raw";
    (void)quiet;
    (void)served;
    mkdir(folder.c_str(), 0700);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t manifest = std::min(bytes.find("ks-masslynx-raw 1"), bytes.size());
    ks::fuzz::writeInput(data, manifest, "run.raw/_header.txt");
    ks::fuzz::writeInput(data + manifest, size - manifest, "run.raw/_manifest.txt");

    CMLDataServerImpl reader;
    const bool valid = reader.IsValidDataset(CString(Wide(folder)));
    if (FAILED(reader.Open(CString(Wide(folder))))) {
        check(reader.FunctionCount(0) == 0 && reader.TraceCount(0) == 0);
        return 0;
    }
    check(valid);
    const int functions = reader.FunctionCount(0);
    check(functions >= 0 && static_cast<size_t>(functions) <= size);
    for (int f = 0; f < functions; ++f)
        ReadFunction(reader, f);
    // Every trace: the count is one the run backs.
    const int traces = reader.TraceCount(0);
    check(traces >= 0 && static_cast<size_t>(traces) <= size);
    for (int t = 0; t < traces; ++t) {
        CChromatogram c;
        if (SUCCEEDED(reader.Trace(0, t, c)))
            check(c.GetCount() >= 1);
    }
    // The provider by the run's own function numbers: the first MS
    // functions', the last one's and one beyond (a diode array or nothing).
    // Each dataset opens the run again, so not every one of a long run.
    CKSMLProvider* provider = nullptr;
    check(SUCCEEDED(ks::createObject(&provider)));
    ks::ComPtr<IKSMSDatasetReader> held;
    check(SUCCEEDED(provider->QueryInterface(IID_IKSMSDatasetReader, reinterpret_cast<void**>(held.out()))));
    const std::vector<MassLynxFunctionRecord>& records = reader.IO().Functions();
    for (size_t i = 0; i < records.size() && i < 3; ++i)
        ReadDataset(*provider, Wide(folder), records[i].number);
    const LONG last = records.empty() ? 0 : records.back().number;
    if (records.size() > 3)
        ReadDataset(*provider, Wide(folder), last);
    ReadDataset(*provider, Wide(folder), last + 1);
    reader.Close();
    return 0;
}
