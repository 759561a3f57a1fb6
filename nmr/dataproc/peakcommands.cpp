// Instance commands that run peak detection and hand out its results.
#include "detect.h"
#include "dpi.h"
#include "frame.h"
#include "numeric.h"
#include "arrayops.h"
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

ResultCode DPI::simplePeakPick()
{
    DpiBlock& w = *results;
    for (uint32_t k = 0; k < 4; ++k)
        w.slot[WkPickCounts + k].words.second = 0;
    ResultCode r = prepare(0xB0011);
    const uint32_t kind = dataKind();
    if (!r && kind != KindReal && kind != KindComplex)
        r = RcIllegalItemsType;
    const uint32_t n = pointCount();
    if (!r)
        r = allocOutput(n, false);
    if (!r) {
        const double sigma = w.slot[WkNoiseReal].value;
        uint32_t c[4] = {0, 0, 0, 0};
        r = yarbex::simplePeakPick(n, staged(), outputDoubles(), sigma, signedParameter(), &c[0], &c[1]);
        if (!r && !(mode & ModeRealOnly))
            r = yarbex::simplePeakPick(n, staged() + n, outputDoubles() + n, sigma, signedParameter(), &c[2],
                                       &c[3]);
        for (uint32_t k = 0; k < 4; ++k)
            w.slot[WkPickCounts + k].words.second = c[k];
        if (!r)
            r = finish(0x3000000);
        if (!r && (mode & ModeReport)) {
            char text[256];
            if (mode & ModeRealOnly)
                std::snprintf(text, sizeof text, "Simple Peaks-Pick:\nMaxima: %" PRIu32 "\nMinima:  %" PRIu32, c[0],
                              c[1]);
            else
                std::snprintf(text, sizeof text,
                              "Simple Peaks-Pick:\nReal-part Maxima: %" PRIu32 "\nReal-part Minima:  %" PRIu32
                              "\nImag-part Maxima: %" PRIu32 "\nImag-part Minima:  %" PRIu32,
                              c[0], c[1], c[2], c[3]);
            showMessage(MessageInformation, text, "Data Processing");
        }
    }
    finish(StageOutputDoubles);
    return r;
}

ResultCode DPI::drawPeak()
{
    DpiBlock& w = *results;
    if (!detectedList(*this))
        return RcNoPeaks;
    auto* given = wordPointer<_TPeak1D>(parameters->slot[InPeakRecord].words.first);
    if (!given) {
        release(StageOutputDoubles | StageDrawnLine);
        return RcOk;
    }
    computeSizes();
    const uint32_t n = pointCount();
    ResultCode r = RcOk;
    if (n == 0 || n > 0x0FFFFFFFu)
        r = RcMissingInput;
    if (!r && (!outputDoubles() || wordCount(w.slot[WkOutputPoints].words.first) != n))
        r = allocOutput(n, false);
    if (!r && !w.slot[WkDrawnLine].words.first) {
        auto* line = static_cast<float*>(std::calloc(2 * size_t(n), sizeof(float)));
        if (!line)
            r = RcOutOfMemory;
        w.slot[WkDrawnLine].words.first = pointerWord(line);
    }
    int32_t first = 1, last = 0;
    if (!r) {
        // A line of our own from the record's values.
        cPeak1D line;
        static_cast<_TPeak1D&>(line) = *given;
        line.nextRecord = nullptr;
        line.peakOwner = &line;
        r = line.renderRange(n, outputDoubles(), &first, &last, 0, LineAsIs, 0.0);
    }
    if (!r)
        r = interleaveToFloats(n, outputDoubles(), wordPointer<float>(w.slot[WkDrawnLine].words.first));
    if (r) {
        release(StageOutputDoubles | StageDrawnLine);
        first = 1;
        last = 0;
    }
    w.slot[WkDrawnRange].words.first = uintptr_t(uint32_t(first));
    w.slot[WkDrawnRange].words.second = uintptr_t(uint32_t(last));
    return r;
}

ResultCode DPI::flagTrace()
{
    ResultCode r = prepare(0x1B0011);
    const uint32_t kind = dataKind();
    if (!r && kind != KindReal && kind != KindComplex)
        r = RcIllegalItemsType;
    const uint32_t n = pointCount();
    if (!r)
        r = allocOutput(n, false);
    if (!r) {
        const DpiBlock& w = *results;
        r = yarbex::flagTrace(n, staged(), outputDoubles(), w.slot[WkNoiseReal].value, w.slot[WkLineWidth].value,
                              int32_t(intParameter(0)));
    }
    if (!r)
        r = finish(0x3000000);
    finish(StageOutputDoubles);
    return r;
}

ResultCode DPI::arrayToOutput(uint32_t which)
{
    DpiBlock& w = *results;
    const uintptr_t word = which == StageModel ? w.slot[WkModel].words.first : w.slot[WkModel].words.second;
    if (!word)
        return RcMissingInput;
    ResultCode r = prepare(0x13);
    const uint32_t n = pointCount();
    if (!r)
        r = allocOutput(n, false);
    if (!r) {
        // The model and residual were made for the staged point count.
        const double* src = wordPointer<double>(which == StageModel ? w.slot[WkModel].words.first
                                                                     : w.slot[WkModel].words.second);
        if (!src || wordCount(w.slot[WkStagedShape].words.first) != n)
            r = RcSizeMismatch;
        else
            copyArray(2 * n, src, outputDoubles());
    }
    if (r) {
        finish(StageOutputDoubles);
        return r;
    }
    return finish(0x3000010);
}
