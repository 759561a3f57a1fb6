// COmbrel: the object behind the class Ombrel. It holds at most one raw
// file open through the raw-file engine, a current controller chosen
// among the file's controllers, and the mass tolerance that averaging
// reads. See ombrel.h for the status numbers and output rules; every
// engine call is guarded so that an engine exception answers 2 and leaves
// the object usable.
//
// Apartment-threaded: no locks of its own. Releasing the last reference
// closes an open file (the engine file is owned, never leaked).
#pragma once

#include "ombrel.h"
#include "ombrelprecursor.h"

#include "ksobject.h"
#include "ksregistrar.h"
#include "rawfile.h"

#include <climits>
#include <memory>
#include <optional>

class COmbrel : public ks::Object<ks::Dual<IOmbrel3>> {
public:
    KS_DECLARE_REGISTRY(L"Ombrel", L"Ombrel", CLSID_Ombrel, nullptr)

    COmbrel();
    ~COmbrel();

    // IOmbrel
    HRESULT Open(BSTR szFileName) override;
    HRESULT Close() override;
    HRESULT GetFileName(BSTR* pbstrFileName) override;
    HRESULT GetCreatorID(BSTR* pbstrCreatorID) override;
    HRESULT GetVersionNumber(LONG* pnVersion) override;
    HRESULT GetCreationDate(DATE* pCreationDate) override;
    HRESULT IsError(LONG* pbIsError) override;
    HRESULT IsNewFile(LONG* pbIsNewFile) override;
    HRESULT GetErrorCode(LONG* pnErrorCode) override;
    HRESULT GetErrorMessage(BSTR* pbstrErrorMessage) override;
    HRESULT GetWarningMessage(BSTR* pbstrWarningMessage) override;
    HRESULT GetSeqRowNumber(LONG* pnSeqRowNumber) override;
    HRESULT GetSeqRowSampleType(LONG* pnSampleType) override;
    HRESULT GetSeqRowDataPath(BSTR* pbstrDataPath) override;
    HRESULT GetSeqRowRawFileName(BSTR* pbstrRawFileName) override;
    HRESULT GetSeqRowSampleName(BSTR* pbstrSampleName) override;
    HRESULT GetSeqRowSampleID(BSTR* pbstrSampleID) override;
    HRESULT GetSeqRowComment(BSTR* pbstrComment) override;
    HRESULT GetSeqRowLevelName(BSTR* pbstrLevelName) override;
    HRESULT GetSeqRowUserText(LONG nIndex, BSTR* pbstrUserText) override;
    HRESULT GetSeqRowInstrumentMethod(BSTR* pbstrInstrumentMethod) override;
    HRESULT GetSeqRowProcessingMethod(BSTR* pbstrProcessingMethod) override;
    HRESULT GetSeqRowCalibrationFile(BSTR* pbstrCalibrationFile) override;
    HRESULT GetSeqRowVial(BSTR* pbstrVial) override;
    HRESULT GetSeqRowInjectionVolume(double* pdInjVol) override;
    HRESULT GetSeqRowSampleWeight(double* pdSampleWt) override;
    HRESULT GetSeqRowSampleVolume(double* pdSampleVolume) override;
    HRESULT GetSeqRowISTDAmount(double* pdISTDAmount) override;
    HRESULT GetSeqRowDilutionFactor(double* pdDilutionFactor) override;
    HRESULT GetSeqRowUserLabel(LONG nIndex, BSTR* pbstrUserLabel) override;
    HRESULT InAcquisition(LONG* pbInAcquisition) override;
    HRESULT GetNumberOfControllers(LONG* pnNumControllers) override;
    HRESULT GetControllerType(LONG nIndex, LONG* pnControllerType) override;
    HRESULT SetCurrentController(LONG nControllerType, LONG nControllerNumber) override;
    HRESULT GetCurrentController(LONG* pnControllerType, LONG* pnControllerNumber) override;
    HRESULT GetNumSpectra(LONG* pnNumberOfSpectra) override;
    HRESULT GetNumStatusLog(LONG* pnNumberOfStatusLogEntries) override;
    HRESULT GetNumErrorLog(LONG* pnNumberOfErrorLogEntries) override;
    HRESULT GetNumTuneData(LONG* pnNumTuneData) override;
    HRESULT GetMassResolution(double* pdMassResolution) override;
    HRESULT GetExpectedRunTime(double* pdExpectedRunTime) override;
    HRESULT GetNumTrailerExtra(LONG* pnNumberOfTrailerExtraEntries) override;
    HRESULT GetLowMass(double* pdLowMass) override;
    HRESULT GetHighMass(double* pdHighMass) override;
    HRESULT GetStartTime(double* pdStartTime) override;
    HRESULT GetEndTime(double* pdEndTime) override;
    HRESULT GetMaxIntegratedIntensity(double* pdMaxIntegIntensity) override;
    HRESULT GetMaxIntensity(LONG* pnMaxIntensity) override;
    HRESULT GetFirstSpectrumNumber(LONG* pnFirstSpectrum) override;
    HRESULT GetLastSpectrumNumber(LONG* pnLastSpectrum) override;
    HRESULT GetInstrumentID(LONG* pnInstrumentID) override;
    HRESULT GetInletID(LONG* pnInletID) override;
    HRESULT GetErrorFlag(LONG* pnErrorFlag) override;
    HRESULT GetSampleVolume(double* pdSampleVolume) override;
    HRESULT GetSampleWeight(double* pdSampleWeight) override;
    HRESULT GetVialNumber(LONG* pnVialNumber) override;
    HRESULT GetInjectionVolume(double* pdInjectionVolume) override;
    HRESULT GetFlags(BSTR* pbstrFlags) override;
    HRESULT GetAcquisitionFileName(BSTR* pbstrFileName) override;
    HRESULT GetInstrumentDescription(BSTR* pbstrInstrumentDescription) override;
    HRESULT GetAcquisitionDate(BSTR* pbstrAcquisitionDate) override;
    HRESULT GetOperator(BSTR* pbstrOperator) override;
    HRESULT GetComment1(BSTR* pbstrComment1) override;
    HRESULT GetComment2(BSTR* pbstrComment2) override;
    HRESULT GetSampleAmountUnits(BSTR* pbstrSampleAmountUnits) override;
    HRESULT GetInjectionAmountUnits(BSTR* pbstrInjectionAmountUnits) override;
    HRESULT GetSampleVolumeUnits(BSTR* pbstrSampleVolumeUnits) override;
    HRESULT GetFilters(VARIANT* pvarFilterArray, LONG* pnArraySize) override;
    HRESULT ScanNumFromRT(double dRT, LONG* pnScanNumber) override;
    HRESULT RTFromScanNum(LONG nScanNumber, double* pdRT) override;
    HRESULT GetFilterForScanNum(LONG nScanNumber, BSTR* pbstrFilter) override;
    HRESULT GetFilterForScanRT(double dRT, BSTR* pbstrFilter) override;
    HRESULT GetMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) override;
    HRESULT GetMassListFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) override;
    HRESULT GetNextMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) override;
    HRESULT GetPrevMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) override;
    HRESULT IsProfileScanForScanNum(LONG nScanNumber, LONG* pbIsProfileScan) override;
    HRESULT IsCentroidScanForScanNum(LONG nScanNumber, LONG* pbIsCentroidScan) override;
    HRESULT GetScanHeaderInfoForScanNum(LONG nScanNumber, LONG* pnNumPackets, double* pdStartTime, double* pdLowMass, double* pdHighMass, double* pdTIC, double* pdBasePeakMass, double* pdBasePeakIntensity, LONG* pnNumChannels, LONG* pbUniformTime, double* pdFrequency) override;
    HRESULT GetStatusLogForScanNum(LONG nScanNumber, double* pdStatusLogRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) override;
    HRESULT GetStatusLogForRT(double* pdRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) override;
    HRESULT GetStatusLogLabelsForScanNum(LONG nScanNumber, double* pdStatusLogRT, VARIANT* pvarLabels, LONG* pnArraySize) override;
    HRESULT GetStatusLogLabelsForRT(double* pdRT, VARIANT* pvarLabels, LONG* pnArraySize) override;
    HRESULT GetStatusLogValueForScanNum(LONG nScanNumber, BSTR bstrLabel, double* pdStatusLogRT, VARIANT* pvarValue) override;
    HRESULT GetStatusLogValueForRT(double* pdRT, BSTR bstrLabel, VARIANT* pvarValue) override;
    HRESULT GetTrailerExtraForScanNum(LONG nScanNumber, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) override;
    HRESULT GetTrailerExtraForRT(double* pdRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) override;
    HRESULT GetTrailerExtraLabelsForScanNum(LONG nScanNumber, VARIANT* pvarLabels, LONG* pnArraySize) override;
    HRESULT GetTrailerExtraLabelsForRT(double* pdRT, VARIANT* pvarLabels, LONG* pnArraySize) override;
    HRESULT GetTrailerExtraValueForScanNum(LONG nScanNumber, BSTR bstrLabel, VARIANT* pvarValue) override;
    HRESULT GetTrailerExtraValueForRT(double* pdRT, BSTR bstrLabel, VARIANT* pvarValue) override;
    HRESULT GetErrorLogItem(LONG nItemNumber, double* pdRT, BSTR* pbstrErrorMessage) override;
    HRESULT GetTuneData(LONG nSegmentNumber, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize) override;
    HRESULT GetNumInstMethods(LONG* pnNumInstMethods) override;
    HRESULT GetInstMethod(LONG nInstMethodItem, BSTR* pbstrInstMethod) override;
    HRESULT GetChroData(LONG nChroType1, LONG nChroOperator, LONG nChroType2, BSTR bstrFilter, BSTR bstrMassRanges1, BSTR bstrMassRanges2, double dDelay, double* pdStartTime, double* pdEndTime, LONG nSmoothingType, LONG nSmoothingValue, VARIANT* pvarChroData, VARIANT* pvarPeakFlags, LONG* pnArraySize) override;
    HRESULT RefreshViewOfFile() override;
    HRESULT GetTuneDataValue(LONG nSegmentNumber, BSTR bstrLabel, VARIANT* pvarValue) override;
    HRESULT GetTuneDataLabels(LONG nSegmentNumber, VARIANT* pvarLabels, LONG* pnArraySize) override;
    HRESULT GetInstName(BSTR* pbstrInstName) override;
    HRESULT GetInstModel(BSTR* pbstrInstModel) override;
    HRESULT GetInstSerialNumber(BSTR* pbstrInstSerialNumber) override;
    HRESULT GetInstSoftwareVersion(BSTR* pbstrInstSoftwareVersion) override;
    HRESULT GetInstHardwareVersion(BSTR* pbstrInstHardwareVersion) override;
    HRESULT GetInstFlags(BSTR* pbstrInstFlags) override;
    HRESULT GetInstNumChannelLabels(LONG* pnInstNumChannelLabels) override;
    HRESULT GetInstChannelLabel(LONG nChannelLabelNumber, BSTR* pbstrInstChannelLabel) override;
    HRESULT GetNumberOfControllersOfType(LONG nControllerType, LONG* pnNumControllersOfType) override;
    HRESULT GetAverageMassList(LONG* pnFirstAvgScanNumber, LONG* pnLastAvgScanNumber, LONG* pnFirstBkg1ScanNumber, LONG* pnLastBkg1ScanNumber, LONG* pnFirstBkg2ScanNumber, LONG* pnLastBkg2ScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize) override;
    HRESULT IsThereMSData(LONG* pbMSData) override;
    HRESULT HasExpMethod(LONG* pbMethod) override;
    HRESULT GetFilterMassPrecision(LONG* pnFilterMassPrecision) override;
    HRESULT GetStatusLogForPos(LONG nPos, VARIANT* pvarRT, VARIANT* pvarValue, LONG* pnArraySize) override;
    HRESULT GetStatusLogPlottableIndex(VARIANT* pvarIndex, VARIANT* pvarValues, LONG* pnArraySize) override;
    HRESULT GetInstMethodNames(LONG* pnNumInstMethods, VARIANT* pvarNames) override;
    HRESULT SetMassTolerance(LONG bUseUserDefined, double dMassTolerance, LONG nUnits) override;
    HRESULT GetChros(LONG nNumChros, double* pdStartTime, double* pdEndTime, VARIANT* pvarChroParamsArray, VARIANT* pvarChroDataSizeArray, VARIANT* pvarChroDataArray, VARIANT* pvarPeakFlagsArray) override;
    // IOmbrel2
    HRESULT GetLabelData(VARIANT* pvarLabels, VARIANT* pvarFlags, LONG* pnScanNumber) override;
    HRESULT GetNoiseData(VARIANT* pvarNoisePacket, LONG* pnScanNumber) override;
    HRESULT GetSegmentedMassListFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize, VARIANT* pvarSegments, LONG* pnNumSegments, VARIANT* pvarLowHighMassRange) override;
    HRESULT GetSegmentedMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize, VARIANT* pvarSegments, LONG* pnNumSegments, VARIANT* pvarLowHighMassRange) override;
    HRESULT GetScanEventForScanNum(LONG nScanNumber, BSTR* pbstrScanEvent) override;
    HRESULT GetSeqRowUserTextEx(LONG nIndex, BSTR* pbstrUserText) override;
    HRESULT GetSeqRowBarcode(BSTR* pbstrBarcode) override;
    HRESULT GetSeqRowBarcodeStatus(LONG* pnBarcodeStatus) override;
    // IOmbrel3
    HRESULT GetMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) override;
    HRESULT GetMassListRangeFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) override;
    HRESULT GetNextMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) override;
    HRESULT GetPrevMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1, LONG* pnArraySize) override;
    HRESULT GetPrecursorInfoFromScanNum(LONG nScanNumber, VARIANT* pvarPrecursorInfos, LONG* pnArraySize) override;
private:
    // The checks every method shares, answering the first that fails (0
    // when all pass): a file is open; a controller is current; the
    // current controller is the mass spectrometer.
    HRESULT needFile() const;
    HRESULT needController() const;
    HRESULT needMS() const;
    // Start time within the current controller's run (with 0.00001 of
    // slack at both ends); scan number within a controller's scans.
    bool timeInRun(double rt) const;
    static bool scanIn(const rawengine::CVirtualData& c, LONG scan);
    // The file's filter mass precision (2 with no file or controller).
    int filterPrecision() const;
    // Drops the current controller and both views.
    void clearController();
    // The filter or scan-event text of a scan of the mass spectrometer.
    HRESULT scanText(LONG scan, BSTR* out, bool event);

    // The stored values (ombrelinfo.cpp): a number or a text of the
    // current controller, and whether the file keeps instrument methods.
    template <class T, class Get>
    HRESULT controllerNumber(T* out, bool msOnly, Get&& get);
    template <class Get>
    HRESULT controllerText(BSTR* out, Get&& get);
    bool methodsKept() const;

    // The logs (ombrellogs.cpp): the status-log record (or one item of it)
    // at a time, the trailer record (or item) of a scan, either by time,
    // and the tune record of a segment.
    HRESULT statusLogAt(double* rt, VARIANT* labels, VARIANT* values, LONG* count);
    HRESULT statusLogValueAt(double* rt, BSTR label, VARIANT* value);
    HRESULT trailerAtScan(LONG scan, VARIANT* labels, VARIANT* values, LONG* count);
    HRESULT trailerValueAtScan(LONG scan, BSTR label, VARIANT* value);
    template <class ByScan>
    HRESULT trailerByTime(double* rt, VARIANT* firstOut, ByScan&& byScan);
    HRESULT tuneAtSegment(LONG segment, VARIANT* labels, VARIANT* values, LONG* count);

    // Chromatograms (ombrelchros.cpp): the rules a request must meet for
    // the current controller's kind, and its parsed filter. A channel
    // controller's trace index is tested against its channel count when
    // `channelIndex` is given.
    HRESULT chroRules(int32_t t1, LONG op, int32_t t2, BSTR filter, BSTR ranges1, BSTR ranges2, double delay,
                      std::optional<LONG> channelIndex, std::unique_ptr<rawengine::CFilter>& parsed);

    // Mass lists (ombrelmasslists.cpp): one request of any of the
    // single-scan methods, the scan it chooses (kNoKind when the current
    // controller has no spectra to choose from), the list of the whole
    // scan or of each packet, the scan whose labels or noise are asked.
    struct MassListRequest;
    static constexpr int32_t kNoKind = INT32_MIN;
    HRESULT singleScanList(MassListRequest&& request);
    template <class ByScan>
    HRESULT listAtTime(double* rt, ByScan&& byScan);
    HRESULT massList(MassListRequest& request);
    int32_t chooseScan(int32_t requested, const rawengine::CFilter* filter) const;
    HRESULT wholeList(const rawengine::CRawScan& scan, MassListRequest& request, bool rangeGiven, double low,
                      double high);
    HRESULT segmentedList(const rawengine::CRawScan& scan, MassListRequest& request);
    HRESULT recordsOfScan(LONG* scanNumber, VARIANT* first, VARIANT* optional,
                          std::unique_ptr<rawengine::CRawScan>& scan);

    // Averaging (ombrelaverage.cpp): the scans of a range (and of an
    // optional second one after it) that pass the filter, added from the
    // most intense outward and divided by their count; the ranges are
    // written back snapped to the scans that took part.
    HRESULT averageScans(LONG* first1, LONG* last1, LONG* first2, LONG* last2, const rawengine::CFilter* filter,
                         std::unique_ptr<rawengine::CRawScan>& sum, bool& profile);

    // Precursor information (ombrelprecursor.cpp).
    ombrel::PrecursorRecord buildPrecursorRecord(int32_t scan) const;
    void refinePrecursorMass(ombrel::PrecursorRecord& record) const;

    std::unique_ptr<rawengine::CRawfile> m_file;
    rawengine::CVirtualData* m_current = nullptr;   // the current controller
    rawengine::CVirtualUV* m_channel = nullptr;     // it, when of kinds 1 to 4
    rawengine::CVirtualMS* m_ms = nullptr;          // it, when a mass spectrometer
    LONG m_userDefinedTolerance = 0;
    double m_massTolerance = 500.0;
    LONG m_toleranceUnits = 0;
};
