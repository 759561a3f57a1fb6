// Generated-run descriptions: whatever the text, parsing ends with a run or
// an error with a line and a reason; a run's first spectrum of every small
// function and every small trace can be computed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tindrelrun::Run run;
    tindrelrun::ParseError error;
    if (!tindrelrun::parseRun(text, run, error)) {
        if (error.reason.empty() || !run.injections.empty())
            std::abort();
        return 0;
    }
    // Bounded work per input: only small spectra and traces are computed.
    const long long kMaxPoints = 20000;
    std::vector<double> x, y;
    for (size_t i = 0; i < run.injections.size(); ++i) {
        const auto& injection = run.injections[i];
        for (size_t f = 0; f < injection.functions.size(); ++f) {
            const auto& fn = injection.functions[f];
            if (fn.profilePoints() > kMaxPoints || fn.noisePeaks > kMaxPoints)
                continue;
            tindrelrun::computeSpectrum(run, static_cast<int>(i), static_cast<int>(f), fn.scans - 1, x, y);
            if (x.size() != y.size())
                std::abort();
        }
        for (const auto& trace : injection.traces)
            if (trace.points <= kMaxPoints)
                tindrelrun::computeTrace(trace, x, y);
    }
    return 0;
}
