// The Compass stand-in's manifest: whatever the bytes, the analysis is
// read or refused; what is read builds every array the component would
// hand out.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "compassmodel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    compass::Analysis analysis;
    const vendorkit::ParseStatus s =
        compass::readAnalysis(std::string_view(reinterpret_cast<const char*>(data), size), analysis);
    if (!s.ok) {
        if (!analysis.spectra.empty() || s.reason.empty())
            std::abort();
        return 0;
    }
    for (const compass::Spectrum& sp : analysis.spectra)
        for (const vendorkit::ArrayValues* a : {&sp.masses, &sp.intensities}) {
            VARIANT v;
            if (FAILED(vendorkit::makeArray(*a, &v)))
                std::abort();
            VariantClear(&v);
        }
    return 0;
}
