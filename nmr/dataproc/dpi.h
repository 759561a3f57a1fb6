// The processing instance (DPI): the record shared with callers of the
// command interface, its parameter and result blocks, staging of the
// caller's data and write-back of results.
#pragma once

#include "resultcode.h"

#include <cstdint>

// ---- The record as callers see it ---------------------------------------

// One slot of a block: a kind, then a double or two words. Words hold
// counts and addresses and are pointer-sized.
struct DpiSlot {
    uint32_t kind;
    union {
        double value;
        struct {
            uintptr_t first;
            uintptr_t second;
        } words;
    };
};

enum DpiSlotKind : uint32_t {
    SlotPlain = 0,
    SlotArrays = 1,
    SlotRecords = 2,
    SlotPeakLists = 3,
    SlotObjects = 4
};

constexpr uint32_t kDpiSlots = 100;

struct DpiBlock {
    DpiSlot slot[kDpiSlots];

    void releaseAll();
};

// Mode bits.
enum DpiMode : uint32_t {
    ModeKeepWindow = 0x1,
    ModeUnscaledDerivative = 0x2,
    ModeRealOnly = 0x4,
    ModeReport = 0x10,
    ModeInPlace = 0x20,
    ModeRecompute = 0x40,
    ModeInterface = 0x80,
    ModeRefine = 0x100,
    ModeSplit = 0x200,
    ModeFitPhase = 0x400
};

// Cache bits.
enum DpiCache : uint32_t { CacheStatistics = 0x1, CacheNoise = 0x2, CacheLineWidth = 0x4 };

enum StageFlags : uint32_t {
    StageRealOutput = 0x1,
    StageImagOutput = 0x2,
    StageStaged = 0x4,
    StageSlot20And21Second = 0x8,
    StageOutputDoubles = 0x10,
    StageNone = 0x20,
    StagePeakList = 0x40,
    StagePeakListSecond = 0x80,
    StageDrawnLine = 0x100,
    StageDrawnLineSecond = 0x200,
    StageModel = 0x400,
    StageResidual = 0x800,
    StageStatistics = 0x1000,
    StageNeedsInput = 0x10000,
    StageReal = 0x20000,
    StageImaginary = 0x40000,
    StageNoise = 0x80000,
    StageLineWidth = 0x100000,
    StageCommit = 0x1000000,
    StageWriteReal = 0x2000000,
    StageWriteImag = 0x4000000
};

struct DPI {
    uint32_t mode;
    DpiBlock* parameters;
    uint32_t sizes[5];
    float* realData;
    float* imagData;
    uint32_t cache;
    DpiBlock* results;
    uint32_t committedSizes[5];
    float* realOutput;
    float* imagOutput;

    // The operations below are the library's; callers use the commands.
    yarbex::ResultCode instanceCommand(uint32_t code);
    void computeSizes();
    yarbex::ResultCode prepare(uint32_t flags);
    yarbex::ResultCode finish(uint32_t flags);
    void release(uint32_t flags);
    yarbex::ResultCode stageReal();
    yarbex::ResultCode writeBackReal(uint32_t flags);
    yarbex::ResultCode allocOutput(uint32_t n, bool uninitialised);
    void reset();
    yarbex::ResultCode init();

    // Parameters and results by name.
    uint32_t pointCount() const;
    uint32_t dimensionCount() const;
    uint32_t dataKind() const;
    uint32_t domain() const;
    uint32_t intParameter(uint32_t k) const;
    int32_t signedParameter() const;
    double doubleParameter(uint32_t k) const;
    double* staged() const;
    double* outputDoubles() const;

    // Measurements and operations (commands).
    yarbex::ResultCode statistics();
    yarbex::ResultCode noise();
    yarbex::ResultCode lineWidth();
    yarbex::ResultCode arrayOp(uint32_t code);
    yarbex::ResultCode savitzkyGolay();
    yarbex::ResultCode resolutionBooster();
    yarbex::ResultCode pickPeaks();
    yarbex::ResultCode simplePeakPick();
    yarbex::ResultCode drawPeak();
    yarbex::ResultCode flagTrace();
    yarbex::ResultCode arrayToOutput(uint32_t which);
    yarbex::ResultCode service(uint32_t subCode);

    // Drops a staged input (and what was measured on it) that was made for
    // another point count or data kind.
    void dropStagedIfStale();
};

namespace yarbex {

// What a slot of kind 4 holds.
class cDpiObject {
public:
    virtual ~cDpiObject() = default;
};

// Input block slots.
enum InputSlot : uint32_t {
    InDomain = 0,      // second word
    InKind = 1,        // first word
    InPoints = 10,     // first: point count, second: dimension count
    InIntParams = 30,  // 30 first: signed; 30..32 second: integer parameters 0..2
    InDoubles = 40,    // 40..99: double parameters 0..59
    InPeakRecord = 51  // first: the line that command 163 draws
};

// Work block slots.
enum WorkSlot : uint32_t {
    WkDomain = 0,  // second word
    WkKind = 1,
    WkPoints = 10,
    WkStatistics = 11,
    WkNoiseReal = 12,
    WkNoiseImag = 13,
    WkLineWidth = 14,
    WkStaged = 20,
    WkOutput = 21,
    // Not part of the caller's table: what the staged input and the output
    // doubles were made for (first: point count, second: data kind).
    WkStagedShape = 22,
    WkOutputPoints = 23,
    WkPickCounts = 30,
    WkOrder = 31,
    WkPoints2 = 32,
    WkNoiseFactor = 40,
    WkPeakList = 90,
    WkDrawnRange = 91,
    WkDrawnLine = 92,
    WkModel = 93,
    WkObjects = 94
};

enum DataKind : uint32_t { KindReal = 3, KindComplex = 5 };
enum Domain : uint32_t { DomainNone = 0, DomainTime = 1, DomainFrequency = 2 };

// ModuleCommand 16 and 17.
ResultCode createDPI(DPI** out);
ResultCode destroyDPI(DPI** instance);

// Conversions (counts in points).
void floatsToDoubles(uint32_t n, const float* in, double* out);
void doublesToFloats(uint32_t n, const double* in, float* out);
ResultCode splitComplexFloats(uint32_t n, const float* interleaved, double* out);
ResultCode interleaveToFloats(uint32_t n, const double* split, float* out);
double* newSplitDoubles(uint32_t n, const float* interleaved);
double* newDoublesFromFloats(uint32_t n, const float* in);
float* newInterleavedFloats(uint32_t n, const double* split);
float* newFloatsFromDoubles(uint32_t n, const double* in);

// A word as a 32-bit count (saturating).
inline uint32_t wordCount(uintptr_t w)
{
    return w > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(w);
}
template <typename T> inline T* wordPointer(uintptr_t w) { return reinterpret_cast<T*>(w); }
template <typename T> inline uintptr_t pointerWord(T* p) { return reinterpret_cast<uintptr_t>(p); }

}  // namespace yarbex
