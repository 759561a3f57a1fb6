// Instance commands that run peak detection and hand out its results.
#include "detect.h"
#include "dpi.h"
#include "frame.h"
#include "numeric.h"
#include "peak.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <new>

using namespace yarbex;

namespace {

cPeak1DList* detectedList(const DPI& dpi)
{
    return cPeak1DList::fromRecord(wordPointer<TPeak1DList>(dpi.results->slot[WkPeakList].words.first));
}

void reportCount(const cPeak1DList* list)
{
    char text[64];
    std::snprintf(text, sizeof text, "%" PRIu32 " peaks detected:", list ? uint32_t(list->peakCount) : 0u);
    showMessage(MessageInformation, text, "Data Processing");
}

}  // namespace

ResultCode DPI::pickPeaks()
{
    const bool report = mode & ModeReport;
    mode &= ~uint32_t(ModeReport);
    if (detectedList(*this) && !(mode & ModeRecompute)) {
        if (report)
            reportCount(detectedList(*this));
        return RcOk;
    }
    const uint32_t dropAll = StagePeakList | StageModel | StageResidual;
    ResultCode r = prepare(0x1B0C40);
    const uint32_t kind = dataKind();
    if (!r && kind != KindReal && kind != KindComplex)
        r = RcIllegalItemsType;
    if (r) {
        finish(dropAll);
        return r;
    }
    DpiBlock& w = *results;
    const uint32_t n = pointCount();
    const double sigma = w.slot[WkNoiseReal].value;
    auto* list = new (std::nothrow) cPeak1DList(doubleParameter(1), sigma);
    if (!list) {
        finish(dropAll);
        return RcOutOfMemory;
    }
    w.slot[WkPeakList].words.first = pointerWord(list->record());

    const double width = w.slot[WkLineWidth].value / doubleParameter(0);
    uint32_t* flags = nullptr;
    double* smoothed = nullptr;
    r = detectPeakFlags(n, staged(), sigma, width, &flags, &smoothed, nullptr, nullptr);
    if (!r)
        r = list->addDetectedPeaks(int32_t(n), flags, smoothed, width, sigma);
    std::free(flags);
    std::free(smoothed);

    double* model = nullptr;
    double* residual = nullptr;
    if (!r) {
        model = allocDoublesZeroed(2 * n);
        residual = allocDoublesZeroed(2 * n);
        w.slot[WkModel].words.first = pointerWord(model);
        w.slot[WkModel].words.second = pointerWord(residual);
        if (!model || !residual)
            r = RcOutOfMemory;
    }
    if (!r)
        r = list->synthesise(n, model, staged(), residual);
    if (!r)
        r = list->setFitRanges(n);
    if (!r && (mode & ModeRefine)) {
        const uint32_t passes = intParameter(0);
        for (uint32_t pass = 1; pass <= passes && !r; ++pass) {
            list->refineAll(int32_t(n), residual, sigma, mode & ModeFitPhase, (mode & ModeSplit) && pass == 3);
            r = list->synthesise(n, model, staged(), residual);
            if (!r)
                r = list->setFitRanges(n);
        }
    }
    if (r) {
        finish(dropAll);
        return r;
    }
    if (report)
        reportCount(list);
    return RcOk;
}
