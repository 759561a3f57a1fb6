// The raw-file reader's automation interfaces: IOmbrel, IOmbrel2 (which
// extends it) and IOmbrel3 (which extends that), all dual, answered by one
// object of the class Ombrel.
//
// Every method answers a small status number in its HRESULT (all of them
// non-negative, so a caller sees success and must read the number):
//   0 done; 1 nothing there; 2 the engine threw or failed, or an array
//   could not be made; 3 no file open; 4 no current controller, or one
//   whose device kind does not fit the call; 5 the call needs the mass
//   spectrometer; 6 bad argument; 7 filter text that does not parse;
//   9 a chromatogram parameter array of the wrong length.
// Checks run in that order: 3, 4, 5, 6. A BSTR output must point to a
// null BSTR and a VARIANT output must be VT_EMPTY on entry, else 6;
// outputs are written only after the checks pass. Texts and arrays handed
// out belong to the caller. `LONG` is the type library's 32-bit `long`.
//
// Late-bound callers reach all 130 methods by name; DISPIDs run from 1 to
// 130 in declaration order. There is no type information (GetTypeInfo
// answers E_NOTIMPL).
#pragma once

#include "ksdispatch.h"
#include "ksguid.h"
#include "ksinterfaces.h"

inline constexpr GUID LIBID_OMBREL2Lib = ks::guid("5FE970A2-29C3-11D3-811D-00104B304896");
inline constexpr CLSID CLSID_Ombrel = ks::guid("5FE970B2-29C3-11D3-811D-00104B304896");

// Status numbers of the reader's methods.
enum OmbrelStatus : HRESULT {
    kOmbrelDone = 0,
    kOmbrelNothing = 1,
    kOmbrelEngineFailed = 2,
    kOmbrelNoFile = 3,
    kOmbrelNoController = 4,
    kOmbrelNotMS = 5,
    kOmbrelBadArgument = 6,
    kOmbrelBadFilter = 7,
    kOmbrelBadChroParams = 9,
};

// Device kinds of the controllers.
enum OmbrelDeviceKind : LONG {
    kOmbrelMS = 0,
    kOmbrelAnalog = 1,
    kOmbrelADCard = 2,
    kOmbrelPDA = 3,
    kOmbrelUV = 4,
    kOmbrelOtherDevice = 5,
};

// DISPIDs 1 to 117, in this order.
struct IOmbrel : public IDispatch {
    virtual HRESULT Open(BSTR szFileName) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT GetFileName(BSTR* pbstrFileName) = 0;
    virtual HRESULT GetCreatorID(BSTR* pbstrCreatorID) = 0;
    virtual HRESULT GetVersionNumber(LONG* pnVersion) = 0;
    virtual HRESULT GetCreationDate(DATE* pCreationDate) = 0;
    virtual HRESULT IsError(LONG* pbIsError) = 0;
    virtual HRESULT IsNewFile(LONG* pbIsNewFile) = 0;
    virtual HRESULT GetErrorCode(LONG* pnErrorCode) = 0;
    virtual HRESULT GetErrorMessage(BSTR* pbstrErrorMessage) = 0;
    virtual HRESULT GetWarningMessage(BSTR* pbstrWarningMessage) = 0;
    virtual HRESULT GetSeqRowNumber(LONG* pnSeqRowNumber) = 0;
    virtual HRESULT GetSeqRowSampleType(LONG* pnSampleType) = 0;
    virtual HRESULT GetSeqRowDataPath(BSTR* pbstrDataPath) = 0;
    virtual HRESULT GetSeqRowRawFileName(BSTR* pbstrRawFileName) = 0;
    virtual HRESULT GetSeqRowSampleName(BSTR* pbstrSampleName) = 0;
    virtual HRESULT GetSeqRowSampleID(BSTR* pbstrSampleID) = 0;
    virtual HRESULT GetSeqRowComment(BSTR* pbstrComment) = 0;
    virtual HRESULT GetSeqRowLevelName(BSTR* pbstrLevelName) = 0;
    virtual HRESULT GetSeqRowUserText(LONG nIndex, BSTR* pbstrUserText) = 0;
    virtual HRESULT GetSeqRowInstrumentMethod(BSTR* pbstrInstrumentMethod) = 0;
    virtual HRESULT GetSeqRowProcessingMethod(BSTR* pbstrProcessingMethod) = 0;
    virtual HRESULT GetSeqRowCalibrationFile(BSTR* pbstrCalibrationFile) = 0;
    virtual HRESULT GetSeqRowVial(BSTR* pbstrVial) = 0;
    virtual HRESULT GetSeqRowInjectionVolume(double* pdInjVol) = 0;
    virtual HRESULT GetSeqRowSampleWeight(double* pdSampleWt) = 0;
    virtual HRESULT GetSeqRowSampleVolume(double* pdSampleVolume) = 0;
    virtual HRESULT GetSeqRowISTDAmount(double* pdISTDAmount) = 0;
    virtual HRESULT GetSeqRowDilutionFactor(double* pdDilutionFactor) = 0;
    virtual HRESULT GetSeqRowUserLabel(LONG nIndex, BSTR* pbstrUserLabel) = 0;
    virtual HRESULT InAcquisition(LONG* pbInAcquisition) = 0;
    virtual HRESULT GetNumberOfControllers(LONG* pnNumControllers) = 0;
    virtual HRESULT GetControllerType(LONG nIndex, LONG* pnControllerType) = 0;
    virtual HRESULT SetCurrentController(LONG nControllerType, LONG nControllerNumber) = 0;
    virtual HRESULT GetCurrentController(LONG* pnControllerType, LONG* pnControllerNumber) = 0;
    virtual HRESULT GetNumSpectra(LONG* pnNumberOfSpectra) = 0;
    virtual HRESULT GetNumStatusLog(LONG* pnNumberOfStatusLogEntries) = 0;
    virtual HRESULT GetNumErrorLog(LONG* pnNumberOfErrorLogEntries) = 0;
    virtual HRESULT GetNumTuneData(LONG* pnNumTuneData) = 0;
    virtual HRESULT GetMassResolution(double* pdMassResolution) = 0;
    virtual HRESULT GetExpectedRunTime(double* pdExpectedRunTime) = 0;
    virtual HRESULT GetNumTrailerExtra(LONG* pnNumberOfTrailerExtraEntries) = 0;
    virtual HRESULT GetLowMass(double* pdLowMass) = 0;
    virtual HRESULT GetHighMass(double* pdHighMass) = 0;
    virtual HRESULT GetStartTime(double* pdStartTime) = 0;
    virtual HRESULT GetEndTime(double* pdEndTime) = 0;
    virtual HRESULT GetMaxIntegratedIntensity(double* pdMaxIntegIntensity) = 0;
    virtual HRESULT GetMaxIntensity(LONG* pnMaxIntensity) = 0;
    virtual HRESULT GetFirstSpectrumNumber(LONG* pnFirstSpectrum) = 0;
    virtual HRESULT GetLastSpectrumNumber(LONG* pnLastSpectrum) = 0;
    virtual HRESULT GetInstrumentID(LONG* pnInstrumentID) = 0;
    virtual HRESULT GetInletID(LONG* pnInletID) = 0;
    virtual HRESULT GetErrorFlag(LONG* pnErrorFlag) = 0;
    virtual HRESULT GetSampleVolume(double* pdSampleVolume) = 0;
    virtual HRESULT GetSampleWeight(double* pdSampleWeight) = 0;
    virtual HRESULT GetVialNumber(LONG* pnVialNumber) = 0;
    virtual HRESULT GetInjectionVolume(double* pdInjectionVolume) = 0;
    virtual HRESULT GetFlags(BSTR* pbstrFlags) = 0;
    virtual HRESULT GetAcquisitionFileName(BSTR* pbstrFileName) = 0;
    virtual HRESULT GetInstrumentDescription(BSTR* pbstrInstrumentDescription) = 0;
    virtual HRESULT GetAcquisitionDate(BSTR* pbstrAcquisitionDate) = 0;
    virtual HRESULT GetOperator(BSTR* pbstrOperator) = 0;
    virtual HRESULT GetComment1(BSTR* pbstrComment1) = 0;
    virtual HRESULT GetComment2(BSTR* pbstrComment2) = 0;
    virtual HRESULT GetSampleAmountUnits(BSTR* pbstrSampleAmountUnits) = 0;
    virtual HRESULT GetInjectionAmountUnits(BSTR* pbstrInjectionAmountUnits) = 0;
    virtual HRESULT GetSampleVolumeUnits(BSTR* pbstrSampleVolumeUnits) = 0;
    virtual HRESULT GetFilters(VARIANT* pvarFilterArray, LONG* pnArraySize) = 0;
    virtual HRESULT ScanNumFromRT(double dRT, LONG* pnScanNumber) = 0;
    virtual HRESULT RTFromScanNum(LONG nScanNumber, double* pdRT) = 0;
    virtual HRESULT GetFilterForScanNum(LONG nScanNumber, BSTR* pbstrFilter) = 0;
    virtual HRESULT GetFilterForScanRT(double dRT, BSTR* pbstrFilter) = 0;
    virtual HRESULT GetMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) = 0;
    virtual HRESULT GetMassListFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) = 0;
    virtual HRESULT GetNextMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) = 0;
    virtual HRESULT GetPrevMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) = 0;
    virtual HRESULT IsProfileScanForScanNum(LONG nScanNumber, LONG* pbIsProfileScan) = 0;
    virtual HRESULT IsCentroidScanForScanNum(LONG nScanNumber, LONG* pbIsCentroidScan) = 0;
    virtual HRESULT GetScanHeaderInfoForScanNum(LONG nScanNumber, LONG* pnNumPackets, double* pdStartTime, double* pdLowMass, double* pdHighMass, double* pdTIC, double* pdBasePeakMass, double* pdBasePeakIntensity, LONG* pnNumChannels, LONG* pbUniformTime, double* pdFrequency) = 0;
    virtual HRESULT GetStatusLogForScanNum(LONG nScanNumber, double* pdStatusLogRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) = 0;
    virtual HRESULT GetStatusLogForRT(double* pdRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) = 0;
    virtual HRESULT GetStatusLogLabelsForScanNum(LONG nScanNumber, double* pdStatusLogRT, VARIANT* pvarLabels, LONG* pnArraySize) = 0;
    virtual HRESULT GetStatusLogLabelsForRT(double* pdRT, VARIANT* pvarLabels, LONG* pnArraySize) = 0;
    virtual HRESULT GetStatusLogValueForScanNum(LONG nScanNumber, BSTR bstrLabel, double* pdStatusLogRT, VARIANT* pvarValue) = 0;
    virtual HRESULT GetStatusLogValueForRT(double* pdRT, BSTR bstrLabel, VARIANT* pvarValue) = 0;
    virtual HRESULT GetTrailerExtraForScanNum(LONG nScanNumber, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) = 0;
    virtual HRESULT GetTrailerExtraForRT(double* pdRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) = 0;
    virtual HRESULT GetTrailerExtraLabelsForScanNum(LONG nScanNumber, VARIANT* pvarLabels, LONG* pnArraySize) = 0;
    virtual HRESULT GetTrailerExtraLabelsForRT(double* pdRT, VARIANT* pvarLabels, LONG* pnArraySize) = 0;
    virtual HRESULT GetTrailerExtraValueForScanNum(LONG nScanNumber, BSTR bstrLabel, VARIANT* pvarValue) = 0;
    virtual HRESULT GetTrailerExtraValueForRT(double* pdRT, BSTR bstrLabel, VARIANT* pvarValue) = 0;
    virtual HRESULT GetErrorLogItem(LONG nItemNumber, double* pdRT, BSTR* pbstrErrorMessage) = 0;
    virtual HRESULT GetTuneData(LONG nSegmentNumber, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) = 0;
    virtual HRESULT GetNumInstMethods(LONG* pnNumInstMethods) = 0;
    virtual HRESULT GetInstMethod(LONG nInstMethodItem, BSTR* pbstrInstMethod) = 0;
    virtual HRESULT GetChroData(LONG nChroType1, LONG nChroOperator, LONG nChroType2, BSTR bstrFilter, BSTR bstrMassRanges1, BSTR bstrMassRanges2, double dDelay, double* pdStartTime, double* pdEndTime, LONG nSmoothingType, LONG nSmoothingValue, VARIANT* pvarChroData, VARIANT* pvarPeakFlags, LONG* pnArraySize) = 0;
    virtual HRESULT RefreshViewOfFile() = 0;
    virtual HRESULT GetTuneDataValue(LONG nSegmentNumber, BSTR bstrLabel, VARIANT* pvarValue) = 0;
    virtual HRESULT GetTuneDataLabels(LONG nSegmentNumber, VARIANT* pvarLabels, LONG* pnArraySize) = 0;
    virtual HRESULT GetInstName(BSTR* pbstrInstName) = 0;
    virtual HRESULT GetInstModel(BSTR* pbstrInstModel) = 0;
    virtual HRESULT GetInstSerialNumber(BSTR* pbstrInstSerialNumber) = 0;
    virtual HRESULT GetInstSoftwareVersion(BSTR* pbstrInstSoftwareVersion) = 0;
    virtual HRESULT GetInstHardwareVersion(BSTR* pbstrInstHardwareVersion) = 0;
    virtual HRESULT GetInstFlags(BSTR* pbstrInstFlags) = 0;
    virtual HRESULT GetInstNumChannelLabels(LONG* pnInstNumChannelLabels) = 0;
    virtual HRESULT GetInstChannelLabel(LONG nChannelLabelNumber, BSTR* pbstrInstChannelLabel) = 0;
    virtual HRESULT GetNumberOfControllersOfType(LONG nControllerType, LONG* pnNumControllersOfType) = 0;
    virtual HRESULT GetAverageMassList(LONG* pnFirstAvgScanNumber, LONG* pnLastAvgScanNumber, LONG* pnFirstBkg1ScanNumber, LONG* pnLastBkg1ScanNumber, LONG* pnFirstBkg2ScanNumber, LONG* pnLastBkg2ScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) = 0;
    virtual HRESULT IsThereMSData(LONG* pbMSData) = 0;
    virtual HRESULT HasExpMethod(LONG* pbMethod) = 0;
    virtual HRESULT GetFilterMassPrecision(LONG* pnFilterMassPrecision) = 0;
    virtual HRESULT GetStatusLogForPos(LONG nPos, VARIANT* pvarRT, VARIANT* pvarValue, LONG* pnArraySize) = 0;
    virtual HRESULT GetStatusLogPlottableIndex(VARIANT* pvarIndex, VARIANT* pvarValues, LONG* pnArraySize) = 0;
    virtual HRESULT GetInstMethodNames(LONG* pnNumInstMethods, VARIANT* pvarNames) = 0;
    virtual HRESULT SetMassTolerance(LONG bUseUserDefined, double dMassTolerance, LONG nUnits) = 0;
    virtual HRESULT GetChros(LONG nNumChros, double* pdStartTime, double* pdEndTime, VARIANT* pvarChroParamsArray, VARIANT* pvarChroDataSizeArray, VARIANT* pvarChroDataArray, VARIANT* pvarPeakFlagsArray) = 0;
};

// DISPIDs 118 to 125, in this order.
struct IOmbrel2 : public IOmbrel {
    virtual HRESULT GetLabelData(VARIANT* pvarLabels, VARIANT* pvarFlags, LONG* pnScanNumber) = 0;
    virtual HRESULT GetNoiseData(VARIANT* pvarNoisePacket, LONG* pnScanNumber) = 0;
    virtual HRESULT GetSegmentedMassListFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize, VARIANT* pvarSegments, LONG* pnNumSegments, VARIANT* pvarLowHighMassRange) = 0;
    virtual HRESULT GetSegmentedMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize, VARIANT* pvarSegments, LONG* pnNumSegments, VARIANT* pvarLowHighMassRange) = 0;
    virtual HRESULT GetScanEventForScanNum(LONG nScanNumber, BSTR* pbstrScanEvent) = 0;
    virtual HRESULT GetSeqRowUserTextEx(LONG nIndex, BSTR* pbstrUserText) = 0;
    virtual HRESULT GetSeqRowBarcode(BSTR* pbstrBarcode) = 0;
    virtual HRESULT GetSeqRowBarcodeStatus(LONG* pnBarcodeStatus) = 0;
};

// DISPIDs 126 to 130, in this order.
struct IOmbrel3 : public IOmbrel2 {
    virtual HRESULT GetMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) = 0;
    virtual HRESULT GetMassListRangeFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) = 0;
    virtual HRESULT GetNextMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) = 0;
    virtual HRESULT GetPrevMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) = 0;
    virtual HRESULT GetPrecursorInfoFromScanNum(LONG nScanNumber, VARIANT* pvarPrecursorInfos, LONG* pnArraySize) = 0;
};
KS_DECLARE_INTERFACE(IOmbrel, IDispatch, "5FE970B1-29C3-11D3-811D-00104B304896")
KS_DECLARE_INTERFACE(IOmbrel2, IOmbrel, "5E256644-7300-481F-9D43-33D892BFD912")
KS_DECLARE_INTERFACE(IOmbrel3, IOmbrel2, "5E256644-7301-481F-9D43-33D892BFD912")

KS_DECLARE_DISPATCH_TABLE(IOmbrel)
KS_DECLARE_DISPATCH_TABLE(IOmbrel2)
KS_DECLARE_DISPATCH_TABLE(IOmbrel3)

inline constexpr IID IID_IOmbrel = KS_IID(IOmbrel);
inline constexpr IID IID_IOmbrel2 = KS_IID(IOmbrel2);
inline constexpr IID IID_IOmbrel3 = KS_IID(IOmbrel3);
