// Methods whose behaviour is not built yet: each answers 2 (the engine
// failed) and writes nothing.
#include "ombrelobject.h"

HRESULT COmbrel::GetFileName(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetCreatorID(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetVersionNumber(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetCreationDate(DATE*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::IsError(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::IsNewFile(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetErrorCode(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetErrorMessage(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetWarningMessage(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowNumber(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowSampleType(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowDataPath(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowRawFileName(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowSampleName(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowSampleID(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowComment(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowLevelName(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowUserText(LONG, BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowInstrumentMethod(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowProcessingMethod(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowCalibrationFile(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowVial(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowInjectionVolume(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowSampleWeight(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowSampleVolume(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowISTDAmount(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowDilutionFactor(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowUserLabel(LONG, BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::InAcquisition(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetNumStatusLog(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetNumErrorLog(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetNumTuneData(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetMassResolution(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetExpectedRunTime(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetNumTrailerExtra(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetLowMass(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetHighMass(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStartTime(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetEndTime(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetMaxIntegratedIntensity(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetMaxIntensity(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetFirstSpectrumNumber(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetLastSpectrumNumber(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstrumentID(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInletID(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetErrorFlag(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSampleVolume(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSampleWeight(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetVialNumber(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInjectionVolume(double*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetFlags(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetAcquisitionFileName(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstrumentDescription(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetAcquisitionDate(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetOperator(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetComment1(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetComment2(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSampleAmountUnits(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInjectionAmountUnits(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSampleVolumeUnits(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogForScanNum(LONG, double*, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogForRT(double*, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogLabelsForScanNum(LONG, double*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogLabelsForRT(double*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogValueForScanNum(LONG, BSTR, double*, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogValueForRT(double*, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraForScanNum(LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraForRT(double*, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraLabelsForScanNum(LONG, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraLabelsForRT(double*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraValueForScanNum(LONG, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraValueForRT(double*, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetErrorLogItem(LONG, double*, BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTuneData(LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetNumInstMethods(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstMethod(LONG, BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetChroData(LONG, LONG, LONG, BSTR, BSTR, BSTR, double, double*, double*, LONG, LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTuneDataValue(LONG, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTuneDataLabels(LONG, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstName(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstModel(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstSerialNumber(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstSoftwareVersion(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstHardwareVersion(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstFlags(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstNumChannelLabels(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstChannelLabel(LONG, BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::IsThereMSData(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::HasExpMethod(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetFilterMassPrecision(LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogForPos(LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogPlottableIndex(VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetInstMethodNames(LONG*, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetChros(LONG, double*, double*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowUserTextEx(LONG, BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowBarcode(BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetSeqRowBarcodeStatus(LONG*) { return kOmbrelEngineFailed; }
