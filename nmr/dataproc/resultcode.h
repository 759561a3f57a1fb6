// Result codes of the library (see README.md).
#pragma once

#include <cstdint>

namespace yarbex {

using ResultCode = uint32_t;

enum : ResultCode {
    RcOk = 0,
    RcFailed = 1,             // singular, empty or otherwise unusable input
    RcAllocation = 3,
    RcInternal = 5,
    RcUnknownCommand = 6,
    RcNotImplemented = 7,
    RcMissingData = 10,
    RcMissingBuffer = 11,
    RcIllegalMode = 12,

    RcCantCreate = 16,
    RcMissingDpi = 17,
    RcMissingInput = 18,
    RcTooManyDimensions = 19,
    RcIllegalDataKind = 20,
    RcIllegalItemsType = 21,
    RcIncompatibleOutput = 22,
    RcNoPeaks = 23,
    RcUnknownLineshape = 24,
    RcIllegalDerivative = 25,
    RcNoSplittings = 26,
    RcSizeMismatch = 27,

    RcLowFailure = 0x40000000,
    RcFrameCreation = 0x40000002,
    RcOutOfMemory = 0x40000003,
    RcInternalLow = 0x40000005,
    RcNoInstancePlace = 0x40000010,

    RcReported = 0x80000000u,
    RcFacilityMask = 0x0FFF0000
};

// A code that is 0 or already reported (negative as a signed value).
inline bool isDoneOrReported(ResultCode r) { return r == 0 || static_cast<int32_t>(r) < 0; }

}  // namespace yarbex
