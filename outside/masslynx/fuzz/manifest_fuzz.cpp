// The MassLynx stand-in's manifest: whatever the bytes, the run is read or
// refused; what is read holds together (scans under functions, every
// chromatogram of an existing function, a chromatogram for each analog
// channel counted) and builds every array the classes would hand out.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "masslynxmodel.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void build(const vendorkit::ArrayValues& a)
{
    VARIANT v;
    check(SUCCEEDED(vendorkit::makeArray(a, &v)));
    VariantClear(&v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    masslynx::Raw raw;
    const vendorkit::ParseStatus s =
        masslynx::readRaw(std::string_view(reinterpret_cast<const char*>(data), size), raw);
    if (!s.ok) {
        check(raw.functions.empty() && raw.chromatograms.empty() && !s.reason.empty());
        return 0;
    }
    for (const masslynx::Function& f : raw.functions) {
        check(f.scanCount >= 0);
        for (const masslynx::Scan& scan : f.scans) {
            build(scan.masses);
            build(scan.intensities);
        }
    }
    for (const masslynx::Chromatogram& c : raw.chromatograms) {
        check(c.function >= 0 && static_cast<size_t>(c.function) <= raw.functions.size());
        check(raw.findChromatogram(c.name, c.function) == &c);
        build(c.times);
        build(c.intensities);
    }
    check(!raw.hasAnalog ? raw.analogChannels == 0 : raw.analogChannels >= 0);
    // Every channel counted is a chromatogram of the manifest.
    check(static_cast<size_t>(raw.analogChannels) <= raw.chromatograms.size());
    for (LONG n = 1; n <= raw.analogChannels; ++n) {
        bool found = false;
        for (const masslynx::Chromatogram& c : raw.chromatograms)
            found = found || c.name == "An" + std::to_string(n);
        check(found);
    }
    return 0;
}
