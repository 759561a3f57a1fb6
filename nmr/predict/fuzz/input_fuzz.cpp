// The molecule input: whatever its bytes (control line, molecules of any
// input code, equivalence sets, end records), the driver reads and
// computes it with the bundled parameters, or stops with a diagnostic.
#include "velmar_fuzz.h"

#ifndef VELMAR_PARAMS
#error "VELMAR_PARAMS names the bundled parameter file"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string molecules = ks::fuzz::writeInput(data, size, "input.in");
    velmar::fuzz::runDriver(VELMAR_PARAMS, molecules);
    return 0;
}
