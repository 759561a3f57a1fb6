// The data system's global settings: one Get and usually one Set function
// per setting, each working on a key below the top registry key. Results
// are 1 for success and 0 for failure unless said otherwise. Get functions
// do not create their key (the report-program ones do); Set functions
// create it. Some Get functions write their default back when the value
// is missing (see the README).
#pragma once

#include "fregkey.h"

// Kind of detector channel. Analog and A/D use the Other settings, PDA and
// UV the PDA settings, everything else the mass-spectrometer settings.
enum VirtualDeviceType : int32_t {
    VDT_MASS_SPECTROMETER = 0,
    VDT_ANALOG = 1,
    VDT_AD = 2,
    VDT_PDA = 3,
    VDT_UV = 4,
    VDT_OTHER = 5,
};

// Code of a peak-detection algorithm; the library stores the code only.
enum ePeakDetectionAlgorithm : int32_t {};

enum ToleranceUnit : int32_t {
    TOLERANCE_MMU = 0,
    TOLERANCE_PPM = 1,
    TOLERANCE_AMU = 2,
};

// Data-system folders and help files ("Tavrion Path" in HKEY_LOCAL_MACHINE,
// "Global", followed by a fixed text).
PELLUMOR_API int GetTavrionPath(CString& strPath);
PELLUMOR_API int GetTavrionSystemPath(CString& strPath);
PELLUMOR_API int GetTavrionProgramPath(CString& strPath);
PELLUMOR_API int GetTavrionTempPath(CString& strPath);
PELLUMOR_API int GetTrelvoHelpFile(CString& strPath);
PELLUMOR_API int GetTavrionHelpFile(CString& strPath);
PELLUMOR_API int GetTavrionHTMLHelpFile(CString& strPath);
PELLUMOR_API int GetTavrionAdminHTMLHelpFile(CString& strPath);
PELLUMOR_API int GetTavrionHTMLGlossaryFile(CString& strPath);
PELLUMOR_API int GetTavrionHTMLHowToUseFile(CString& strPath);

// The user's default folders; a missing one becomes the data-system path
// plus "\Methods", "\Data" or "\Templates" and is written back.
PELLUMOR_API int GetTavrionMethodPath(CString& strPath);
PELLUMOR_API int SetTavrionMethodPath(CString strPath);
PELLUMOR_API int GetTavrionDataPath(CString& strPath);
PELLUMOR_API int SetTavrionDataPath(CString strPath);
PELLUMOR_API int GetTavrionTemplatesPath(CString& strPath);
PELLUMOR_API int SetTavrionTemplatesPath(CString strPath);

// The report program.
PELLUMOR_API int GetZylReportProgramPathName(CString& strPathName);
PELLUMOR_API int GetZylReportTemplateExtension(CString& strExtension);
PELLUMOR_API int GetZylReportTemplateFilter(CString& strFilter);

// Plot fonts (defaults written back).
PELLUMOR_API int GetTavrionProportionalFontName(CString& strValue);
PELLUMOR_API int SetTavrionProportionalFontName(CString strValue);
PELLUMOR_API int GetTavrionProportionalFontMaxSize(CString& strValue);
PELLUMOR_API int SetTavrionProportionalFontMaxSize(CString strValue);
PELLUMOR_API int GetTavrionProportionalFontMinSize(CString& strValue);
PELLUMOR_API int SetTavrionProportionalFontMinSize(CString strValue);
PELLUMOR_API int GetTavrionFixedPitchFontName(CString& strValue);
PELLUMOR_API int SetTavrionFixedPitchFontName(CString strValue);
PELLUMOR_API int GetTavrionFixedPitchFontMaxSize(CString& strValue);
PELLUMOR_API int SetTavrionFixedPitchFontMaxSize(CString strValue);
PELLUMOR_API int GetTavrionFixedPitchFontMinSize(CString& strValue);
PELLUMOR_API int SetTavrionFixedPitchFontMinSize(CString strValue);

// Peak detection.
PELLUMOR_API int GetTavrionMSPeakDetectionType(ePeakDetectionAlgorithm& eType);
PELLUMOR_API int SetTavrionMSPeakDetectionType(ePeakDetectionAlgorithm eType);
PELLUMOR_API int GetTavrionPDAUVPeakDetectionType(ePeakDetectionAlgorithm& eType);
PELLUMOR_API int SetTavrionPDAUVPeakDetectionType(ePeakDetectionAlgorithm eType);
PELLUMOR_API int GetTavrionOtherPeakDetectionType(ePeakDetectionAlgorithm& eType);
PELLUMOR_API int SetTavrionOtherPeakDetectionType(ePeakDetectionAlgorithm eType);
PELLUMOR_API int GetTavrionPeakDetectionType(ePeakDetectionAlgorithm& eType);
PELLUMOR_API int SetTavrionPeakDetectionType(ePeakDetectionAlgorithm eType);
// The algorithm code of the device's group (not a success flag).
PELLUMOR_API int GetTavrionDefaultPeakDetectionTypeForDevice(VirtualDeviceType eDevice);

// Mass tolerance, mass defect and precisions.
PELLUMOR_API int GetTavrionMassResolutionUnit(ToleranceUnit& eUnit);
PELLUMOR_API int SetTavrionMassResolutionUnit(ToleranceUnit eUnit);
PELLUMOR_API int GetTavrionMassResolution(double& dTolerance);
PELLUMOR_API int SetTavrionMassResolution(double dTolerance);
PELLUMOR_API int GetTavrionUseUserMassResolution(int& bUse);
PELLUMOR_API int SetTavrionUseUserMassResolution(int bUse);
PELLUMOR_API int GetTavrionMassDefect(int& nDefect1, double& dMass1, int& nDefect2, double& dMass2);
PELLUMOR_API int SetTavrionMassDefect(int nDefect1, double dMass1, int nDefect2, double dMass2);
PELLUMOR_API int GetTavrionMassPrecision(int& nPrecision);
PELLUMOR_API int SetTavrionMassPrecision(int nPrecision);
PELLUMOR_API int GetTavrionRetentionTimePrecision(int& nPrecision);
PELLUMOR_API int SetTavrionRetentionTimePrecision(int nPrecision);

// Detector scaling and axis labels (the Get functions always answer 1).
PELLUMOR_API int GetTavrionMSscalingFlag(int& bAbsolute);
PELLUMOR_API int SetTavrionMSscalingFlag(int bAbsolute);
PELLUMOR_API int GetTavrionPDAscalingFlag(int& bAbsolute);
PELLUMOR_API int SetTavrionPDAscalingFlag(int bAbsolute);
PELLUMOR_API int GetTavrionOtherscalingFlag(int& bAbsolute);
PELLUMOR_API int SetTavrionOtherscalingFlag(int bAbsolute);
PELLUMOR_API int GetTavrionMSisLabelFromDetector(int& bFromDetector);
PELLUMOR_API int SetTavrionMSisLabelFromDetector(int bFromDetector);
PELLUMOR_API int GetTavrionPDAisLabelFromDetector(int& bFromDetector);
PELLUMOR_API int SetTavrionPDAisLabelFromDetector(int bFromDetector);
PELLUMOR_API int GetTavrionOtherisLabelFromDetector(int& bFromDetector);
PELLUMOR_API int SetTavrionOtherisLabelFromDetector(int bFromDetector);
PELLUMOR_API int GetTavrionMSuserLabel(CString& strLabel);
PELLUMOR_API int SetTavrionMSuserLabel(CString strLabel);
PELLUMOR_API int GetTavrionPDAuserLabel(CString& strLabel);
PELLUMOR_API int SetTavrionPDAuserLabel(CString strLabel);
PELLUMOR_API int GetTavrionOtheruserLabel(CString& strLabel);
PELLUMOR_API int SetTavrionOtheruserLabel(CString strLabel);
// The flag or label of the device's group.
PELLUMOR_API int GetTavrionDefaultScalingForDevice(VirtualDeviceType eDevice);
PELLUMOR_API int GetTavrionDefaultIsLabelFromDetectorForDevice(VirtualDeviceType eDevice);
PELLUMOR_API CString GetTavrionDefaultUserLabelForDevice(VirtualDeviceType eDevice);

// The outside target-processing package.
PELLUMOR_API int IsTargetInstalled();
PELLUMOR_API int GetTavrionProcessingMode(int& nMode);
PELLUMOR_API int SetTavrionProcessingMode(int nMode);
PELLUMOR_API int GetMaxPeakIntensityExpected(double& dIntensity);
PELLUMOR_API int SetMaxPeakIntensityExpected(double dIntensity);
PELLUMOR_API int GetTargetInstrumentName(CString& strName);
PELLUMOR_API int SetTargetInstrumentName(CString strName);
PELLUMOR_API int GetTargetSpectralScaling(int& nScaling);
PELLUMOR_API int SetTargetSpectralScaling(int nScaling);

// Shut-down mode.
PELLUMOR_API int GetKivomerShutDownMode(int& nMode);
PELLUMOR_API int SetKivomerShutDownMode(int nMode);
