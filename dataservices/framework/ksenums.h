// Enums of the data-services contract that the framework's spectrum records
// and the reader contract carry. Values are fixed by the contract: 32-bit
// signed at every interface.
#pragma once

#include "kstypes.h"

enum FunctionType : LONG {
    FunctionTypeUnknown = 0,
    FunctionTypeMS = 1,
    FunctionTypeMSn = 2,
    FunctionTypeZoomMS = 3,
    FunctionTypeZoomMSn = 4,
    FunctionTypeSIM = 5,
    FunctionTypeSIMMSn = 6
};

enum FunctionPolarity : LONG {
    FunctionPolarityUnknown = 0,
    FunctionPolarityPositive = 1,
    FunctionPolarityNegative = 2,
    FunctionPolarityMixed = 3
};

enum FunctionMSMSType : LONG {
    FunctionMSMSTypeNone = 0,
    FunctionMSMSTypePrecursor = 1,
    FunctionMSMSTypeProduct = 2,
    FunctionMSMSTypeNeutralLoss = 3,
    FunctionMSMSTypeNeutralGain = 4,
    FunctionMSMSTypeMultipleReaction = 5
};

// Which spectrum a retention time selects: the one before it, the one
// after it, or the nearest (see FindIndexByRetentionTime).
enum FunctionRTProximity : LONG {
    FunctionRTProximityLess = 0,
    FunctionRTProximityGreater = 1,
    FunctionRTProximityClosest = 2
};

static_assert(sizeof(FunctionType) == 4 && sizeof(FunctionPolarity) == 4 && sizeof(FunctionMSMSType) == 4 &&
                  sizeof(FunctionRTProximity) == 4,
              "contract enums are 32 bits wide");
