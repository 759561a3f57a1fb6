#include "verification.h"
#include "compare.h"
#include "frame.h"
#include "numeric.h"

#include <cstdlib>
#include <cstring>

namespace yarbex {

cVqNmrVerification::cVqNmrVerification(uint32_t argument) : cVqScoringSystem(0)
{
    std::memset(&record, 0, sizeof record);
    record.word12 = 256;
    record.word13 = 2;
    record.word14 = 1.0;
    record.word16 = 0;
    record.word18 = 0.0;
    record.word20 = 0.0;
    record.owner = this;
    record.argument = argument;
    record.capacity = Capacity;
    record.counts = static_cast<uint32_t*>(std::calloc(Modes, sizeof(uint32_t)));
    record.results = static_cast<double**>(std::calloc(Modes, sizeof(double*)));
    if (!record.counts || !record.results) {
        std::free(record.counts);
        std::free(record.results);
        record.counts = nullptr;
        record.results = nullptr;
    }
}

cVqNmrVerification::~cVqNmrVerification()
{
    if (record.results)
        for (uint32_t m = 0; m < Modes; ++m)
            std::free(record.results[m]);
    std::free(record.results);
    std::free(record.counts);
}

uint32_t cVqNmrVerification::run()
{
    const uint32_t mode = record.mode;
    if (mode >= Modes)
        return RcUnknownCommand;
    if (!valid())
        return RcOutOfMemory;
    record.capacity = Capacity;
    if (!record.results[mode]) {
        record.results[mode] = allocDoubles(Capacity);
        if (!record.results[mode])
            return RcOutOfMemory;
    }
    record.counts[mode] = 0;
    uint32_t stored = 0;
    ResultCode r = RcOk;
    if (mode != 0) {
        IHostSpectraStack* stack = record.stack;
        if (!stack || stack->count() < 2) {
            showMessage(MessageCritical, "At least 2 stacked spectra are needed", "Comparison of spectra");
            r = RcMissingInput;
        } else if (!record.params) {
            r = RcMissingInput;
        } else {
            uint32_t t = 0;
            roundToUnsigned(record.params[0], &t, 0, 0xFFFFFFFFu);
            RegionSetup setup;
            r = readRegionSetup(record.params, mode == 2, &setup);
            double* buffer = record.results[mode];
            const uint32_t capacity = record.capacity;
            auto sink = [&](double d) {
                if (stored < capacity)
                    buffer[stored++] = d;
            };
            if (!r)
                r = regionDistances(stack, record.flags, t, record.params[1], setup, sink, nullptr);
        }
        if (!r)
            record.counts[mode] = stored;
    }
    record.mode = 0;
    return reportResult(r) & 0xFFFF;
}

}  // namespace yarbex
