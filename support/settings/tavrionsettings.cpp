// The data system's global settings functions.
#include "tavrionsettings.h"
#include "pellumor_p.h"

namespace {

const wchar_t kGlobal[] = L"Global";
const wchar_t kDefaultFolders[] = L"DefaultFolders";
const wchar_t kMassTolerance[] = L"Global\\Mass Tolerance";
const wchar_t kMassDefect[] = L"Global\\Mass Defect";
const wchar_t kTargetConfig[] = L"Target\\Configuration";

enum class Group { MS, PDA, Other };

Group groupOf(VirtualDeviceType eDevice)
{
    switch (eDevice) {
    case VDT_ANALOG:
    case VDT_AD:
        return Group::Other;
    case VDT_PDA:
    case VDT_UV:
        return Group::PDA;
    default:
        return Group::MS;
    }
}

// --- reading and writing one value of a key below the top key ---

int readStr(HKEY hive, const wchar_t* key, const wchar_t* name, CString& out, int create = 0)
{
    CFRegKey k(hive, key, create, 0);
    return k.ReadStr(name, out);
}

int writeStr(HKEY hive, const wchar_t* key, const wchar_t* name, const wchar_t* text)
{
    CFRegKey k(hive, key, 1, 0);
    return k.WriteStr(name, text);
}

int readInt(HKEY hive, const wchar_t* key, const wchar_t* name, int& out)
{
    CFRegKey k(hive, key, 0, 0);
    return k.ReadInt(name, &out);
}

int writeInt(HKEY hive, const wchar_t* key, const wchar_t* name, int value)
{
    CFRegKey k(hive, key, 1, 0);
    return k.WriteInt(name, value);
}

int readDouble(HKEY hive, const wchar_t* key, const wchar_t* name, double& out)
{
    CFRegKey k(hive, key, 0, 0);
    return k.ReadDouble(name, &out);
}

int writeDouble(HKEY hive, const wchar_t* key, const wchar_t* name, double value)
{
    CFRegKey k(hive, key, 1, 0);
    return k.WriteDouble(name, value);
}

// The data-system path followed by a fixed text (no separator added).
int derivedPath(CString& strPath, const wchar_t* suffix)
{
    CString base;
    if (!GetTavrionPath(base))
        return 0;
    strPath = base + suffix;
    return 1;
}

// A default folder: the stored one, else the data-system path plus the
// folder, written back (the write's result does not matter).
int defaultFolder(CString& strPath, const wchar_t* name, const wchar_t* folder,
                  int (*set)(CString))
{
    CString value;
    if (readStr(HKEY_CURRENT_USER, kDefaultFolders, name, value)) {
        strPath = value;
        return 1;
    }
    CString path;
    if (!derivedPath(path, folder))
        return 0;
    strPath = path;
    set(path);
    return 1;
}

// Written back: the stored text, else the default, which the Set writes.
int stringWrittenBack(CString& strValue, const wchar_t* name, const wchar_t* def, int (*set)(CString))
{
    CString value;
    if (readStr(HKEY_CURRENT_USER, kGlobal, name, value)) {
        strValue = value;
        return 1;
    }
    strValue = def;
    return set(CString(def));
}

// Default pattern for integer codes.
int intOrDefault(HKEY hive, const wchar_t* key, const wchar_t* name, int def, int& out)
{
    int value = 0;
    if (readInt(hive, key, name, value)) {
        out = value;
        return 1;
    }
    out = def;
    return 0;
}

int peakType(const wchar_t* name, int def, ePeakDetectionAlgorithm& eType)
{
    int value = 0;
    const int ok = intOrDefault(HKEY_CURRENT_USER, kGlobal, name, def, value);
    eType = static_cast<ePeakDetectionAlgorithm>(value);
    return ok;
}

const wchar_t* scalingKey(Group g)
{
    switch (g) {
    case Group::PDA:
        return L"Global\\Scaling\\PDA Detector";
    case Group::Other:
        return L"Global\\Scaling\\Other Detector";
    default:
        return L"Global\\Scaling\\Mass Spectrometer";
    }
}

// Flags are the texts "TRUE" and "FALSE"; only exactly "TRUE" is set.
int getFlag(Group g, const wchar_t* name, int def, int& out)
{
    CString text;
    if (readStr(HKEY_CURRENT_USER, scalingKey(g), name, text))
        out = text == L"TRUE" ? 1 : 0;
    else
        out = def;
    return 1;
}

int setFlag(Group g, const wchar_t* name, int value)
{
    return writeStr(HKEY_CURRENT_USER, scalingKey(g), name, value ? L"TRUE" : L"FALSE");
}

const wchar_t kAbsoluteScale[] = L"Use Absolute Scale";
const wchar_t kLabelFromDetector[] = L"Get Label From Detector";
const wchar_t kUserLabel[] = L"Default User Supplied Label";

int getLabel(Group g, const wchar_t* def, CString& out)
{
    CString text;
    if (readStr(HKEY_CURRENT_USER, scalingKey(g), kUserLabel, text))
        out = text;
    else
        out = def;
    return 1;
}

}  // namespace

// --- data-system folders and files ---

int GetTavrionPath(CString& strPath)
{
    return readStr(HKEY_LOCAL_MACHINE, kGlobal, L"Tavrion Path", strPath);
}

int GetTavrionSystemPath(CString& strPath)
{
    return derivedPath(strPath, L"\\System");
}

int GetTavrionProgramPath(CString& strPath)
{
    return derivedPath(strPath, L"\\System\\Programs");
}

int GetTavrionTempPath(CString& strPath)
{
    return derivedPath(strPath, L"\\system\\temp");
}

int GetTrelvoHelpFile(CString& strPath)
{
    return derivedPath(strPath, L"\\System\\Programs\\Trelvo.HLP");
}

int GetTavrionHelpFile(CString& strPath)
{
    return derivedPath(strPath, L"\\System\\Programs\\Zyl_Core.HLP");
}

int GetTavrionHTMLHelpFile(CString& strPath)
{
    return derivedPath(strPath, L"\\System\\Programs\\tavrion.chm");
}

int GetTavrionAdminHTMLHelpFile(CString& strPath)
{
    return derivedPath(strPath, L"\\System\\Programs\\admin.chm");
}

int GetTavrionHTMLGlossaryFile(CString& strPath)
{
    return derivedPath(strPath, L"\\System\\Programs\\zylglossary.chm");
}

int GetTavrionHTMLHowToUseFile(CString& strPath)
{
    return derivedPath(strPath, L"\\System\\Programs\\htmlhelp.chm");
}

// --- user default folders ---

int GetTavrionMethodPath(CString& strPath)
{
    return defaultFolder(strPath, L"MethodsFolders", L"\\Methods", SetTavrionMethodPath);
}

int SetTavrionMethodPath(CString strPath)
{
    return writeStr(HKEY_CURRENT_USER, kDefaultFolders, L"MethodsFolders", strPath);
}

int GetTavrionDataPath(CString& strPath)
{
    return defaultFolder(strPath, L"DataFolders", L"\\Data", SetTavrionDataPath);
}

int SetTavrionDataPath(CString strPath)
{
    return writeStr(HKEY_CURRENT_USER, kDefaultFolders, L"DataFolders", strPath);
}

int GetTavrionTemplatesPath(CString& strPath)
{
    return defaultFolder(strPath, L"ReportTemplatesFolders", L"\\Templates", SetTavrionTemplatesPath);
}

int SetTavrionTemplatesPath(CString strPath)
{
    return writeStr(HKEY_CURRENT_USER, kDefaultFolders, L"ReportTemplatesFolders", strPath);
}

// --- report program (its key is created when missing) ---

int GetZylReportProgramPathName(CString& strPathName)
{
    CString programs;
    if (!GetTavrionProgramPath(programs))
        return 0;
    CString executable;
    if (!readStr(HKEY_LOCAL_MACHINE, L"ZylReport", L"Executable", executable, 1))
        return 0;
    strPathName = programs + L"\\" + executable;
    return 1;
}

int GetZylReportTemplateExtension(CString& strExtension)
{
    return readStr(HKEY_LOCAL_MACHINE, L"ZylReport", L"Template Extension", strExtension, 1);
}

int GetZylReportTemplateFilter(CString& strFilter)
{
    return readStr(HKEY_LOCAL_MACHINE, L"ZylReport", L"Template Filter", strFilter, 1);
}

// --- plot fonts ---

#define PELLUMOR_FONT_SETTING(Name, ValueName, Default)                                      \
    int GetTavrion##Name(CString& strValue)                                                  \
    {                                                                                        \
        return stringWrittenBack(strValue, ValueName, Default, SetTavrion##Name);            \
    }                                                                                        \
    int SetTavrion##Name(CString strValue)                                                   \
    {                                                                                        \
        return writeStr(HKEY_CURRENT_USER, kGlobal, ValueName, strValue);                    \
    }

PELLUMOR_FONT_SETTING(ProportionalFontName, L"Qelplt_ProporPitchFontName", L"Arial")
PELLUMOR_FONT_SETTING(ProportionalFontMaxSize, L"Qelplt_ProporPitchFontMaxSize", L"0.167")
PELLUMOR_FONT_SETTING(ProportionalFontMinSize, L"Qelplt_ProporPitchFontMinSize", L"0.111")
PELLUMOR_FONT_SETTING(FixedPitchFontName, L"Qelplt_FixedPitchFontName", L"Courier New")
PELLUMOR_FONT_SETTING(FixedPitchFontMaxSize, L"Qelplt_FixedPitchFontMaxSize", L"0.167")
PELLUMOR_FONT_SETTING(FixedPitchFontMinSize, L"Qelplt_FixedPitchFontMinSize", L"0.111")

#undef PELLUMOR_FONT_SETTING

// --- peak detection ---

int GetTavrionMSPeakDetectionType(ePeakDetectionAlgorithm& eType)
{
    return peakType(L"MS Peak Detector Type", 1, eType);
}

int SetTavrionMSPeakDetectionType(ePeakDetectionAlgorithm eType)
{
    return writeInt(HKEY_CURRENT_USER, kGlobal, L"MS Peak Detector Type", eType);
}

int GetTavrionPDAUVPeakDetectionType(ePeakDetectionAlgorithm& eType)
{
    return peakType(L"PDA or UV Peak Detector Type", 2, eType);
}

int SetTavrionPDAUVPeakDetectionType(ePeakDetectionAlgorithm eType)
{
    return writeInt(HKEY_CURRENT_USER, kGlobal, L"PDA or UV Peak Detector Type", eType);
}

int GetTavrionOtherPeakDetectionType(ePeakDetectionAlgorithm& eType)
{
    return peakType(L"Other Peak Detector Type", 1, eType);
}

int SetTavrionOtherPeakDetectionType(ePeakDetectionAlgorithm eType)
{
    return writeInt(HKEY_CURRENT_USER, kGlobal, L"Other Peak Detector Type", eType);
}

int GetTavrionPeakDetectionType(ePeakDetectionAlgorithm& eType)
{
    return peakType(L"Peak Detector Type", 1, eType);
}

int SetTavrionPeakDetectionType(ePeakDetectionAlgorithm eType)
{
    return writeInt(HKEY_CURRENT_USER, kGlobal, L"Peak Detector Type", eType);
}

int GetTavrionDefaultPeakDetectionTypeForDevice(VirtualDeviceType eDevice)
{
    ePeakDetectionAlgorithm type{};
    switch (groupOf(eDevice)) {
    case Group::PDA:
        GetTavrionPDAUVPeakDetectionType(type);
        break;
    case Group::Other:
        GetTavrionOtherPeakDetectionType(type);
        break;
    default:
        GetTavrionMSPeakDetectionType(type);
        break;
    }
    return type;
}

// --- mass tolerance, mass defect and precisions ---

int GetTavrionMassResolutionUnit(ToleranceUnit& eUnit)
{
    CString text;
    if (readStr(HKEY_CURRENT_USER, kMassTolerance, L"Unit", text)) {
        // Exact texts only: "ppm" is not "Ppm".
        if (text == L"Amu") {
            eUnit = TOLERANCE_AMU;
            return 1;
        }
        if (text == L"Ppm") {
            eUnit = TOLERANCE_PPM;
            return 1;
        }
        if (text == L"Mmu") {
            eUnit = TOLERANCE_MMU;
            return 1;
        }
    }
    eUnit = TOLERANCE_MMU;
    return 0;
}

int SetTavrionMassResolutionUnit(ToleranceUnit eUnit)
{
    const wchar_t* text = eUnit == TOLERANCE_PPM ? L"Ppm" : eUnit == TOLERANCE_AMU ? L"Amu" : L"Mmu";
    return writeStr(HKEY_CURRENT_USER, kMassTolerance, L"Unit", text);
}

int GetTavrionMassResolution(double& dTolerance)
{
    double value = 0.0;
    if (readDouble(HKEY_CURRENT_USER, kMassTolerance, L"Tolerance Value", value)) {
        dTolerance = value;
        return 1;
    }
    dTolerance = 500.0;
    return 0;
}

int SetTavrionMassResolution(double dTolerance)
{
    return writeDouble(HKEY_CURRENT_USER, kMassTolerance, L"Tolerance Value", dTolerance);
}

int GetTavrionUseUserMassResolution(int& bUse)
{
    int value = 0;
    if (readInt(HKEY_CURRENT_USER, kMassTolerance, L"UseUserDefined", value)) {
        bUse = value == 1 ? 1 : 0;
        return 1;
    }
    bUse = 0;
    return 0;
}

int SetTavrionUseUserMassResolution(int bUse)
{
    return writeInt(HKEY_CURRENT_USER, kMassTolerance, L"UseUserDefined", bUse ? 1 : 0);
}

int GetTavrionMassDefect(int& nDefect1, double& dMass1, int& nDefect2, double& dMass2)
{
    CFRegKey key(HKEY_CURRENT_USER, kMassDefect, 0, 0);
    int ok = 1;
    int defect = 0;
    double mass = 0.0;
    if (key.ReadInt(L"Defect1", &defect)) {
        nDefect1 = defect;
    } else {
        nDefect1 = 0;
        ok = 0;
    }
    if (key.ReadDouble(L"Mass1", &mass)) {
        dMass1 = mass;
    } else {
        dMass1 = 1.0;
        ok = 0;
    }
    if (key.ReadInt(L"Defect2", &defect)) {
        nDefect2 = defect;
    } else {
        nDefect2 = 300;
        ok = 0;
    }
    if (key.ReadDouble(L"Mass2", &mass)) {
        dMass2 = mass;
    } else {
        dMass2 = 1000.0;
        ok = 0;
    }
    return ok;
}

int SetTavrionMassDefect(int nDefect1, double dMass1, int nDefect2, double dMass2)
{
    CFRegKey key(HKEY_CURRENT_USER, kMassDefect, 1, 0);
    int ok = key.WriteInt(L"Defect1", nDefect1);
    ok = key.WriteDouble(L"Mass1", dMass1) && ok;
    ok = key.WriteInt(L"Defect2", nDefect2) && ok;
    ok = key.WriteDouble(L"Mass2", dMass2) && ok;
    return ok;
}

int GetTavrionMassPrecision(int& nPrecision)
{
    return intOrDefault(HKEY_CURRENT_USER, L"Global\\Mass Precision", L"Default", 2, nPrecision);
}

int SetTavrionMassPrecision(int nPrecision)
{
    return writeInt(HKEY_CURRENT_USER, L"Global\\Mass Precision", L"Default", nPrecision);
}

int GetTavrionRetentionTimePrecision(int& nPrecision)
{
    return intOrDefault(HKEY_CURRENT_USER, L"Global\\Retention Time Precision", L"Default", 2, nPrecision);
}

int SetTavrionRetentionTimePrecision(int nPrecision)
{
    return writeInt(HKEY_CURRENT_USER, L"Global\\Retention Time Precision", L"Default", nPrecision);
}

// --- detector scaling and labels ---

int GetTavrionMSscalingFlag(int& bAbsolute)
{
    return getFlag(Group::MS, kAbsoluteScale, 0, bAbsolute);
}

int SetTavrionMSscalingFlag(int bAbsolute)
{
    return setFlag(Group::MS, kAbsoluteScale, bAbsolute);
}

int GetTavrionPDAscalingFlag(int& bAbsolute)
{
    return getFlag(Group::PDA, kAbsoluteScale, 1, bAbsolute);
}

int SetTavrionPDAscalingFlag(int bAbsolute)
{
    return setFlag(Group::PDA, kAbsoluteScale, bAbsolute);
}

int GetTavrionOtherscalingFlag(int& bAbsolute)
{
    return getFlag(Group::Other, kAbsoluteScale, 1, bAbsolute);
}

int SetTavrionOtherscalingFlag(int bAbsolute)
{
    return setFlag(Group::Other, kAbsoluteScale, bAbsolute);
}

int GetTavrionMSisLabelFromDetector(int& bFromDetector)
{
    return getFlag(Group::MS, kLabelFromDetector, 1, bFromDetector);
}

int SetTavrionMSisLabelFromDetector(int bFromDetector)
{
    return setFlag(Group::MS, kLabelFromDetector, bFromDetector);
}

int GetTavrionPDAisLabelFromDetector(int& bFromDetector)
{
    return getFlag(Group::PDA, kLabelFromDetector, 1, bFromDetector);
}

int SetTavrionPDAisLabelFromDetector(int bFromDetector)
{
    return setFlag(Group::PDA, kLabelFromDetector, bFromDetector);
}

int GetTavrionOtherisLabelFromDetector(int& bFromDetector)
{
    return getFlag(Group::Other, kLabelFromDetector, 1, bFromDetector);
}

int SetTavrionOtherisLabelFromDetector(int bFromDetector)
{
    return setFlag(Group::Other, kLabelFromDetector, bFromDetector);
}

int GetTavrionMSuserLabel(CString& strLabel)
{
    return getLabel(Group::MS, L"Intensity", strLabel);
}

int SetTavrionMSuserLabel(CString strLabel)
{
    return writeStr(HKEY_CURRENT_USER, scalingKey(Group::MS), kUserLabel, strLabel);
}

int GetTavrionPDAuserLabel(CString& strLabel)
{
    return getLabel(Group::PDA, L"uAU", strLabel);
}

int SetTavrionPDAuserLabel(CString strLabel)
{
    return writeStr(HKEY_CURRENT_USER, scalingKey(Group::PDA), kUserLabel, strLabel);
}

int GetTavrionOtheruserLabel(CString& strLabel)
{
    return getLabel(Group::Other, L"mVolts", strLabel);
}

int SetTavrionOtheruserLabel(CString strLabel)
{
    return writeStr(HKEY_CURRENT_USER, scalingKey(Group::Other), kUserLabel, strLabel);
}

int GetTavrionDefaultScalingForDevice(VirtualDeviceType eDevice)
{
    int flag = 0;
    switch (groupOf(eDevice)) {
    case Group::PDA:
        GetTavrionPDAscalingFlag(flag);
        break;
    case Group::Other:
        GetTavrionOtherscalingFlag(flag);
        break;
    default:
        GetTavrionMSscalingFlag(flag);
        break;
    }
    return flag;
}

int GetTavrionDefaultIsLabelFromDetectorForDevice(VirtualDeviceType eDevice)
{
    int flag = 0;
    switch (groupOf(eDevice)) {
    case Group::PDA:
        GetTavrionPDAisLabelFromDetector(flag);
        break;
    case Group::Other:
        GetTavrionOtherisLabelFromDetector(flag);
        break;
    default:
        GetTavrionMSisLabelFromDetector(flag);
        break;
    }
    return flag;
}

CString GetTavrionDefaultUserLabelForDevice(VirtualDeviceType eDevice)
{
    CString label;
    switch (groupOf(eDevice)) {
    case Group::PDA:
        GetTavrionPDAuserLabel(label);
        break;
    case Group::Other:
        GetTavrionOtheruserLabel(label);
        break;
    default:
        GetTavrionMSuserLabel(label);
        break;
    }
    return label;
}

// --- the outside target-processing package ---

int IsTargetInstalled()
{
    // An absolute key, not below the top registry key.
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Thru-Put\\Target", 0, KEY_READ, &h) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(h);
    return 1;
}

int GetTavrionProcessingMode(int& nMode)
{
    int value = 0;
    if (readInt(HKEY_LOCAL_MACHINE, kTargetConfig, L"ProcessingMode", value)) {
        nMode = value;
        return 1;
    }
    nMode = 0;
    return SetTavrionProcessingMode(0);
}

int SetTavrionProcessingMode(int nMode)
{
    return writeInt(HKEY_LOCAL_MACHINE, kTargetConfig, L"ProcessingMode", nMode);
}

int GetMaxPeakIntensityExpected(double& dIntensity)
{
    double value = 0.0;
    if (readDouble(HKEY_CURRENT_USER, kTargetConfig, L"MaxPeakIntensityExpected", value)) {
        dIntensity = value;
        return 1;
    }
    dIntensity = 8.0e6;
    return SetMaxPeakIntensityExpected(8.0e6);
}

int SetMaxPeakIntensityExpected(double dIntensity)
{
    return writeDouble(HKEY_CURRENT_USER, kTargetConfig, L"MaxPeakIntensityExpected", dIntensity);
}

int GetTargetInstrumentName(CString& strName)
{
    CString value;
    if (readStr(HKEY_CURRENT_USER, kTargetConfig, L"TargetInstrumentName", value)) {
        strName = value;
        return 1;
    }
    strName = L"default.i";
    return SetTargetInstrumentName(CString(L"default.i"));
}

int SetTargetInstrumentName(CString strName)
{
    return writeStr(HKEY_CURRENT_USER, kTargetConfig, L"TargetInstrumentName", strName);
}

int GetTargetSpectralScaling(int& nScaling)
{
    int value = 0;
    nScaling = readInt(HKEY_CURRENT_USER, kTargetConfig, L"TargetSpectralScaling", value) ? value : 0;
    return 1;
}

int SetTargetSpectralScaling(int nScaling)
{
    return writeInt(HKEY_CURRENT_USER, kTargetConfig, L"TargetSpectralScaling", nScaling);
}

// --- shut-down mode ---

int GetKivomerShutDownMode(int& nMode)
{
    int value = 0;
    if (readInt(HKEY_LOCAL_MACHINE, L"Global\\Kivomer ShutDown", L"ShutDownMode", value)) {
        nMode = value;
        return 1;
    }
    nMode = 1;
    return SetKivomerShutDownMode(1);
}

int SetKivomerShutDownMode(int nMode)
{
    return writeInt(HKEY_LOCAL_MACHINE, L"Global\\Kivomer ShutDown", L"ShutDownMode", nMode);
}
