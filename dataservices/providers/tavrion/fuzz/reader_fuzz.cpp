// The Tavrion provider over any file, as a user's raw file reaches it: the
// bytes are the file (named ".raw"); the data server recognises and opens
// it, and every function's spectra (the first kItems of each, by index and
// by time), chromatograms and the traces are read; the provider class
// reads the same file as a dataset by its data-source string (spectra,
// co-added ranges, the scan types, TIC, base peak and traces). The raw-file
// reader (rawfile/) is compiled in and served from this process's class
// table, where the provider's activation finds it as it finds it registered.
//
// What comes back holds together: counts are never negative, a spectrum
// read has as many masses as intensities.
#include "kstavrionprovider.h"
#include "tavriondatasource.h"
#include "tavriondataserver.h"

#include "ombrelobject.h"

#include "ksclassfactory.h"
#include "ksfuzz.h"
#include "ksfuzzclass.h"
#include "kshandles.h"
#include "kshive.h"
#include "rawtypes.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr int kItems = 8;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void readServer(const std::wstring& path)
{
    CTavrionDataServerImpl server;
    server.IsValidDataset(CString(path.c_str()));
    if (FAILED(server.Open(CString(path.c_str()))))
        return;
    const int functions = server.FunctionCount(0);
    check(functions >= 0);
    for (int f = 0; f < functions && f < kItems; ++f) {
        server.FunctionName(0, f);
        server.FunctionType(0, f);
        server.FunctionMSMSType(0, f);
        server.FunctionPolarity(0, f);
        server.MSOrder(0, f);
        const int spectra = server.SpectrumCount(0, f);
        check(spectra >= 0);
        for (int i = 0; i < spectra && i < kItems; ++i) {
            CMassSpectrum spectrum;
            if (SUCCEEDED(server.Spectrum(0, f, i, spectrum)))
                check(spectrum.GetCount() >= 0);
            const double rt = spectrum.GetStartRT();
            for (FunctionRTProximity p :
                 {FunctionRTProximityLess, FunctionRTProximityGreater, FunctionRTProximityClosest})
                check(server.SpectrumIndexByRT(0, f, rt, p) < spectra);
        }
        CChromatogram tic, bpc;
        server.TIC(false, 0, f, tic);
        server.BPCWithRange(100.0, 500.0, false, 0, f, bpc);
        server.BPCWithRange(-1.0, -1.0, false, 0, f, bpc);
    }
    const int traces = server.TraceCount(0);
    check(traces >= 0);
    for (int t = 0; t < traces && t < kItems; ++t) {
        server.TraceName(0, t);
        CChromatogram trace;
        server.Trace(0, t, trace);
    }
    server.Close();
}

void readDataset(const std::wstring& path)
{
    CKSTavrionProvider* provider = nullptr;
    if (FAILED(ks::createObject(&provider)))
        return;
    provider->AddRef();
    ks::Bstr source(MakeTavrionDataSource(path));
    ks::ComPtr<IKSMSDataset> dataset;
    if (SUCCEEDED(provider->ReadDataset(source.get(), &dataset))) {
        LONG spectra = -1, traces = -1;
        provider->get_BaseSpectrumCount(&spectra);
        provider->get_TraceCount(&traces);
        check(spectra >= 0 && traces >= 0);
        CKSMassSpectrum handle;
        const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
        for (LONG i = 1; i <= spectra && i <= kItems; ++i) {
            if (SUCCEEDED(provider->GetBaseSpectrumDirect(i, address)))
                check(handle.GetCount() >= 0);
            VARIANT_BOOL is = VARIANT_FALSE;
            provider->get_IsZoomScan(i, &is);
            provider->get_IsFullScan(i, &is);
            provider->get_IsDependentScan(i, &is);
        }
        provider->GetBaseSpectrumRangeDirect(1, spectra < kItems ? spectra : kItems, address);
        provider->GetTICDirect(address);
        provider->GetBasePeakChromatogramDirect(address);
        for (LONG t = 1; t <= traces && t <= kItems; ++t)
            provider->GetTraceDirect(t, address);
    }
    provider->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool initialised = (rawengine::FIO_Init(), rawengine::FG_Init(), true);
    static const ks::fuzz::ServedClass served(CLSID_Ombrel, &ks::createInstance<COmbrel>);
    (void)initialised;
    (void)served;
    const std::wstring path = ks::reg::wideFromUtf8(ks::fuzz::writeInput(data, size, "input.raw"));
    readServer(path);
    readDataset(path);
    return 0;
}
