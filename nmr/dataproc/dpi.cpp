#include "dpi.h"
#include "numeric.h"
#include "peak.h"

#include <cstdlib>
#include <cstring>
#include <new>

using namespace yarbex;

namespace {

void freeWord(uintptr_t& w)
{
    std::free(wordPointer<void>(w));
    w = 0;
}

void deleteList(uintptr_t& w)
{
    if (auto* record = wordPointer<TPeak1DList>(w))
        delete cPeak1DList::fromRecord(record);
    w = 0;
}

void deleteObject(uintptr_t& w)
{
    delete wordPointer<cDpiObject>(w);
    w = 0;
}

}  // namespace

void DpiBlock::releaseAll()
{
    uint32_t count = wordCount(slot[0].words.first);
    if (count > kDpiSlots)
        count = kDpiSlots;
    for (uint32_t k = 1; k < count; ++k) {
        DpiSlot& s = slot[k];
        switch (s.kind) {
        case SlotArrays:
        case SlotRecords:
            freeWord(s.words.first);
            freeWord(s.words.second);
            break;
        case SlotPeakLists:
            deleteList(s.words.first);
            deleteList(s.words.second);
            break;
        case SlotObjects:
            deleteObject(s.words.first);
            deleteObject(s.words.second);
            break;
        default:
            break;
        }
    }
}

// ---- creation -------------------------------------------------------------

ResultCode DPI::init()
{
    auto* in = static_cast<DpiBlock*>(std::calloc(1, sizeof(DpiBlock)));
    auto* work = static_cast<DpiBlock*>(std::calloc(1, sizeof(DpiBlock)));
    parameters = in;
    results = work;
    if (!in || !work)
        return RcOutOfMemory;
    in->slot[0].words.first = kDpiSlots;
    work->slot[0].words.first = kDpiSlots;
    work->slot[WkStatistics].kind = SlotRecords;
    work->slot[WkStaged].kind = SlotArrays;
    work->slot[WkOutput].kind = SlotArrays;
    work->slot[WkPeakList].kind = SlotPeakLists;
    work->slot[WkDrawnLine].kind = SlotArrays;
    work->slot[WkModel].kind = SlotArrays;
    work->slot[WkObjects].kind = SlotObjects;
    return RcOk;
}

ResultCode yarbex::createDPI(DPI** out)
{
    if (!out)
        return RcNoInstancePlace;
    auto* dpi = static_cast<DPI*>(std::calloc(1, sizeof(DPI)));
    if (!dpi) {
        *out = nullptr;
        return RcOutOfMemory;
    }
    if (dpi->init() != RcOk) {
        destroyDPI(&dpi);
        *out = nullptr;
        return RcOutOfMemory;
    }
    *out = dpi;
    return RcOk;
}

ResultCode yarbex::destroyDPI(DPI** instance)
{
    if (!instance || !*instance)
        return RcOk;
    DPI* dpi = *instance;
    dpi->reset();
    std::free(dpi->parameters);
    std::free(dpi->results);
    std::free(dpi);
    *instance = nullptr;
    return RcOk;
}

// ---- fields ---------------------------------------------------------------

uint32_t DPI::pointCount() const
{
    return parameters ? wordCount(parameters->slot[InPoints].words.first) : 0;
}

uint32_t DPI::dimensionCount() const
{
    return parameters ? wordCount(parameters->slot[InPoints].words.second) : 0;
}

uint32_t DPI::dataKind() const
{
    return parameters ? wordCount(parameters->slot[InKind].words.first) : 0;
}

uint32_t DPI::domain() const
{
    return parameters ? wordCount(parameters->slot[InDomain].words.second) : 0;
}

uint32_t DPI::intParameter(uint32_t k) const
{
    return parameters && k < 3 ? wordCount(parameters->slot[InIntParams + k].words.second) : 0;
}

int32_t DPI::signedParameter() const
{
    return parameters ? int32_t(uint32_t(parameters->slot[InIntParams].words.first)) : 0;
}

double DPI::doubleParameter(uint32_t k) const
{
    return parameters && k < 60 ? parameters->slot[InDoubles + k].value : 0.0;
}

double* DPI::staged() const
{
    return results ? wordPointer<double>(results->slot[WkStaged].words.first) : nullptr;
}

double* DPI::outputDoubles() const
{
    return results ? wordPointer<double>(results->slot[WkOutput].words.first) : nullptr;
}

// ---- sizes, release, prepare, finish --------------------------------------

void DPI::computeSizes()
{
    DpiSlot& s = parameters->slot[InPoints];
    if (s.words.first != 0)
        return;
    uint64_t product = 1;
    uint32_t dims = 0;
    for (uint32_t size : sizes) {
        if (!size)
            continue;
        product *= size;
        if (product > 0xFFFFFFFFu)
            product = 0xFFFFFFFFu;  // too large to stage: allocation refuses it
        ++dims;
    }
    s.words.first = dims ? uintptr_t(product) : 0;
    s.words.second = dims;
}

void DPI::release(uint32_t f)
{
    DpiBlock& w = *results;
    if (f & StageRealOutput)
        freeAndClear(&realOutput);
    if (f & StageImagOutput)
        freeAndClear(&imagOutput);
    if ((f & (StageRealOutput | StageImagOutput)) && !realOutput && !imagOutput) {
        std::memset(committedSizes, 0, sizeof committedSizes);
        w.slot[WkDomain].words.second = 0;
        w.slot[WkPoints].words.first = 0;
    }
    if (f & StageStaged) {
        freeWord(w.slot[WkStaged].words.first);
        w.slot[WkStagedShape].words.first = 0;
        w.slot[WkStagedShape].words.second = 0;
    }
    if (f & StageSlot20And21Second) {
        freeWord(w.slot[WkStaged].words.second);
        freeWord(w.slot[WkOutput].words.second);
    }
    if (f & StageOutputDoubles) {
        freeWord(w.slot[WkOutput].words.first);
        w.slot[WkOutputPoints].words.first = 0;
    }
    if (f & StagePeakList)
        deleteList(w.slot[WkPeakList].words.first);
    if (f & StagePeakListSecond)
        deleteList(w.slot[WkPeakList].words.second);
    if (f & StageDrawnLine)
        freeWord(w.slot[WkDrawnLine].words.first);
    if (f & StageDrawnLineSecond)
        freeWord(w.slot[WkDrawnLine].words.second);
    if (f & StageModel)
        freeWord(w.slot[WkModel].words.first);
    if (f & StageResidual)
        freeWord(w.slot[WkModel].words.second);
    if (f & StageStatistics) {
        freeWord(w.slot[WkStatistics].words.first);
        freeWord(w.slot[WkStatistics].words.second);
        cache &= ~uint32_t(CacheStatistics);
    }
}

void DPI::dropStagedIfStale()
{
    computeSizes();
    DpiBlock& w = *results;
    if (!staged())
        return;
    if (w.slot[WkStagedShape].words.first == pointCount() && w.slot[WkStagedShape].words.second == dataKind())
        return;
    // Everything measured or detected on the old data goes with it.
    release(StageStaged | StageStatistics | StagePeakList | StageModel | StageResidual);
    cache &= ~uint32_t(CacheStatistics | CacheNoise | CacheLineWidth);
}

ResultCode DPI::prepare(uint32_t f)
{
    computeSizes();
    release(f);
    if (f & StageNeedsInput) {
        if (pointCount() == 0 || !realData)
            return RcMissingInput;
        if (f & StageReal)
            if (ResultCode r = stageReal())
                return r;
    }
    if (f & StageNoise)
        if (ResultCode r = noise())
            return r;
    if (f & StageLineWidth)
        return lineWidth();
    return RcOk;
}

ResultCode DPI::stageReal()
{
    computeSizes();
    if (mode & ModeRecompute)
        release(StageStaged);
    dropStagedIfStale();
    if (staged())
        return RcOk;
    const uint32_t n = pointCount();
    const uint32_t kind = dataKind();
    if (n == 0 || !realData)
        return RcMissingInput;
    double* z = nullptr;
    if (kind == KindComplex) {
        z = newSplitDoubles(n, realData);
        if (!z)
            return RcOutOfMemory;
    } else if (kind == KindReal) {
        z = newDoublesFromFloats(n, realData);
        if (!z)
            return RcOutOfMemory;
        // A point count that is not a power of two keeps a zero imaginary
        // half.
        if (hilbertImaginary(n, z) == RcOutOfMemory) {
            std::free(z);
            return RcOutOfMemory;
        }
    } else {
        return RcIllegalItemsType;
    }
    DpiBlock& w = *results;
    w.slot[WkStaged].words.first = pointerWord(z);
    w.slot[WkStagedShape].words.first = n;
    w.slot[WkStagedShape].words.second = kind;
    return RcOk;
}

ResultCode DPI::allocOutput(uint32_t n, bool uninitialised)
{
    DpiBlock& w = *results;
    freeWord(w.slot[WkOutput].words.first);
    w.slot[WkOutputPoints].words.first = 0;
    if (n > 0x7FFFFFFFu)
        return RcOutOfMemory;
    double* out = uninitialised ? allocDoubles(2 * n) : allocDoublesZeroed(2 * n);
    if (!out)
        return RcOutOfMemory;
    w.slot[WkOutput].words.first = pointerWord(out);
    w.slot[WkOutputPoints].words.first = n;
    return RcOk;
}

ResultCode DPI::writeBackReal(uint32_t f)
{
    DpiBlock& w = *results;
    const double* out = outputDoubles();
    if (!out)
        return RcOk;
    const uint32_t made = wordCount(w.slot[WkOutputPoints].words.first);
    if (mode & ModeInPlace) {
        if (!(f & StageCommit))
            return RcIncompatibleOutput;
        const uint32_t n = pointCount();
        if (!realData)
            return RcMissingInput;
        if (n > made)
            return RcSizeMismatch;
        switch (dataKind()) {
        case KindReal:
            doublesToFloats(n, out, realData);
            return RcOk;
        case KindComplex:
            return interleaveToFloats(n, out, realData);
        default:
            return RcIllegalItemsType;
        }
    }
    freeAndClear(&realOutput);
    const uint32_t n = wordCount(w.slot[WkPoints].words.first);
    if (n > made)
        return RcSizeMismatch;
    float* floats = nullptr;
    switch (wordCount(w.slot[WkKind].words.first)) {
    case KindReal:
        floats = newFloatsFromDoubles(n, out);
        break;
    case KindComplex:
        floats = newInterleavedFloats(n, out);
        break;
    default:
        return RcIllegalItemsType;
    }
    if (!floats)
        return RcOutOfMemory;
    realOutput = floats;
    return RcOk;
}

ResultCode DPI::finish(uint32_t f)
{
    release(f & 0x3);
    DpiBlock& w = *results;
    if ((f & StageCommit) && !(mode & ModeInPlace)) {
        std::memcpy(committedSizes, sizes, sizeof committedSizes);
        w.slot[WkPoints].words.first = pointCount();
        w.slot[WkDomain].words.second = domain();
        w.slot[WkKind].words.first = dataKind();
    }
    ResultCode r = RcOk;
    if (f & StageWriteReal)
        r = writeBackReal(f);
    release(f & ~uint32_t(0x3));
    return r;
}

void DPI::reset()
{
    if (results) {
        results->releaseAll();
        results->slot[WkStagedShape].words.first = 0;
        results->slot[WkStagedShape].words.second = 0;
        results->slot[WkOutputPoints].words.first = 0;
    }
    freeAndClear(&realOutput);
    freeAndClear(&imagOutput);
    std::memset(committedSizes, 0, sizeof committedSizes);
    if (results) {
        results->slot[WkDomain].words.second = 0;
        results->slot[WkPoints].words.first = 0;
        results->slot[WkPoints].words.second = 0;
    }
    cache &= 0xF0000000u;
    if (parameters)
        parameters->slot[InPoints].words.first = 0;
}

// ---- dispatch -------------------------------------------------------------

ResultCode DPI::instanceCommand(uint32_t code)
{
    if (!parameters || !results)
        return RcMissingDpi;
    switch (code) {
    case 32:
        return RcOk;
    case 33:
        reset();
        return RcOk;
    case 49:
        return statistics();
    case 50:
        return noise();
    case 51:
        return lineWidth();
    case 64:
    case 65:
    case 66:
    case 68:
    case 69:
    case 70:
    case 71:
    case 72:
    case 73:
    case 74:
    case 75:
    case 112:
    case 113:
    case 114:
    case 115:
    case 116:
    case 117:
    case 118:
    case 119:
        return arrayOp(code);
    case 131:
        return savitzkyGolay();
    case 132:
        return resolutionBooster();
    case 161:
        return pickPeaks();
    case 163:
        return drawPeak();
    case 10011:
        return simplePeakPick();
    case 10012:
        return flagTrace();
    case 10013:
        return arrayToOutput(StageModel);
    case 10014:
        return arrayToOutput(StageResidual);
    case 0xFFFFFFFFu: {
        uint32_t sub = 0;
        roundToUnsigned(doubleParameter(0), &sub, 0, 0xFFFFFFFFu);
        return service(sub);
    }
    default:
        return RcUnknownCommand;
    }
}

// ---- conversions ----------------------------------------------------------

void yarbex::floatsToDoubles(uint32_t n, const float* in, double* out)
{
    if (!in || !out)
        return;
    for (uint32_t i = 0; i < n; ++i)
        out[i] = in[i];
}

void yarbex::doublesToFloats(uint32_t n, const double* in, float* out)
{
    if (!in || !out)
        return;
    for (uint32_t i = 0; i < n; ++i)
        out[i] = float(in[i]);
}

ResultCode yarbex::splitComplexFloats(uint32_t n, const float* interleaved, double* out)
{
    if (!out)
        return RcMissingData;
    if (n == 0 || !interleaved)
        return RcOk;
    for (uint32_t k = 0; k < n; ++k) {
        out[k] = interleaved[2 * size_t(k)];
        out[n + size_t(k)] = interleaved[2 * size_t(k) + 1];
    }
    return RcOk;
}

ResultCode yarbex::interleaveToFloats(uint32_t n, const double* split, float* out)
{
    if (!out && n > 0)
        return RcMissingBuffer;
    if (!split)
        return RcOk;
    for (uint32_t k = 0; k < n; ++k) {
        out[2 * size_t(k)] = float(split[k]);
        out[2 * size_t(k) + 1] = float(split[n + size_t(k)]);
    }
    return RcOk;
}

double* yarbex::newSplitDoubles(uint32_t n, const float* interleaved)
{
    if (n > 0x7FFFFFFFu)
        return nullptr;
    double* out = allocDoubles(2 * n);
    if (out)
        splitComplexFloats(n, interleaved, out);
    return out;
}

double* yarbex::newDoublesFromFloats(uint32_t n, const float* in)
{
    if (n > 0x7FFFFFFFu)
        return nullptr;
    double* out = allocDoublesZeroed(2 * n);
    if (out)
        floatsToDoubles(n, in, out);
    return out;
}

float* yarbex::newInterleavedFloats(uint32_t n, const double* split)
{
    if (n == 0 || uint64_t(n) * 2 * sizeof(float) > 0xFFFFFFFFu)
        return nullptr;
    auto* out = static_cast<float*>(std::malloc(size_t(n) * 2 * sizeof(float)));
    if (out)
        interleaveToFloats(n, split, out);
    return out;
}

float* yarbex::newFloatsFromDoubles(uint32_t n, const double* in)
{
    if (n == 0 || uint64_t(n) * sizeof(float) > 0xFFFFFFFFu)
        return nullptr;
    auto* out = static_cast<float*>(std::malloc(size_t(n) * sizeof(float)));
    if (out)
        doublesToFloats(n, in, out);
    return out;
}
