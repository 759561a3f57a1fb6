// Enums of the data-services type library. Every one crosses the interfaces
// as a 32-bit signed value; the values are fixed by the contract (note
// TraceTypeOther, which is not consecutive, and DatasetScanInfoType, which
// has no member 0).
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

enum FunctionMSMSType : LONG {
    FunctionMSMSTypeNone = 0,
    FunctionMSMSTypePrecursor = 1,
    FunctionMSMSTypeProduct = 2,
    FunctionMSMSTypeNeutralLoss = 3,
    FunctionMSMSTypeNeutralGain = 4,
    FunctionMSMSTypeMultipleReaction = 5
};

enum FunctionPolarity : LONG {
    FunctionPolarityUnknown = 0,
    FunctionPolarityPositive = 1,
    FunctionPolarityNegative = 2,
    FunctionPolarityMixed = 3
};

// Which spectrum a retention time selects: the one before it, the one
// after it, or the nearest.
enum FunctionRTProximity : LONG {
    FunctionRTProximityLess = 0,
    FunctionRTProximityGreater = 1,
    FunctionRTProximityClosest = 2
};

enum TraceType : LONG {
    TraceTypeUnknown = 0,
    TraceTypeTIC = 1,
    TraceTypeBPC = 2,
    TraceTypeMZChromatogram = 3,
    TraceTypeUV = 4,
    TraceTypeOther = 100
};

enum ModeType : LONG {
    ModeTypeRead = 0,
    ModeTypeWrite = 1
};

// Bit flags of the services a provider offers.
enum ProviderFlagT : LONG {
    SpectrumReader = 1,
    SpectrumWriter = 2,
    MSDatasetReader = 4,
    MSDatasetWriter = 8
};

enum DatasetScanInfoType : LONG {
    DatasetScanInfoTypeLinear = 1,
    DatasetScanInfoTypeExponential = 2,
    DatasetScanInfoTypeContinuous = 3
};

static_assert(sizeof(FunctionType) == 4 && sizeof(FunctionMSMSType) == 4 && sizeof(FunctionPolarity) == 4 &&
                  sizeof(FunctionRTProximity) == 4 && sizeof(TraceType) == 4 && sizeof(ModeType) == 4 &&
                  sizeof(ProviderFlagT) == 4 && sizeof(DatasetScanInfoType) == 4,
              "contract enums are 32 bits wide");
