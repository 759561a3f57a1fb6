// Enums of the data-services contract that the framework's spectrum records
// carry. Values are fixed by the contract: 32-bit signed at every interface.
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

static_assert(sizeof(FunctionType) == 4 && sizeof(FunctionPolarity) == 4,
              "contract enums are 32 bits wide");
