// The data system's settings functions: derived paths, written-back
// defaults, exact-text rules, groups of device kinds.
#include "pellumor_testutil.h"
#include "tavrionsettings.h"

#include <gtest/gtest.h>

using pt::below;

namespace {

const std::wstring kGlobal = below(L"Global");
const std::wstring kTolerance = below(L"Global\\Mass Tolerance");

void setTavrionPath(const std::wstring& path)
{
    pt::setSz(HKEY_LOCAL_MACHINE, kGlobal, L"Tavrion Path", path);
}

}  // namespace

TEST(Settings, DerivedPathsFollowTheDataSystemPath)
{
    struct Case {
        int (*get)(CString&);
        const wchar_t* suffix;
    } cases[] = {
        {GetTavrionPath, L""},
        {GetTavrionSystemPath, L"\\System"},
        {GetTavrionProgramPath, L"\\System\\Programs"},
        {GetTavrionTempPath, L"\\system\\temp"},
        {GetTrelvoHelpFile, L"\\System\\Programs\\Trelvo.HLP"},
        {GetTavrionHelpFile, L"\\System\\Programs\\Zyl_Core.HLP"},
        {GetTavrionHTMLHelpFile, L"\\System\\Programs\\tavrion.chm"},
        {GetTavrionAdminHTMLHelpFile, L"\\System\\Programs\\admin.chm"},
        {GetTavrionHTMLGlossaryFile, L"\\System\\Programs\\zylglossary.chm"},
        {GetTavrionHTMLHowToUseFile, L"\\System\\Programs\\htmlhelp.chm"},
    };
    for (const Case& c : cases) {
        CString out(L"unchanged");
        EXPECT_EQ(c.get(out), 0) << c.suffix;
        EXPECT_EQ(out, L"unchanged") << c.suffix;
    }
    setTavrionPath(L"C:\\Zyl");
    for (const Case& c : cases) {
        CString out;
        EXPECT_EQ(c.get(out), 1) << c.suffix;
        EXPECT_EQ(out, CString(L"C:\\Zyl") + c.suffix);
    }
    // No separator is added or removed.
    setTavrionPath(L"C:\\Zyl\\");
    CString out;
    ASSERT_EQ(GetTavrionSystemPath(out), 1);
    EXPECT_EQ(out, L"C:\\Zyl\\\\System");
}

TEST(Settings, DefaultFoldersAreWrittenBackOnce)
{
    struct Case {
        int (*get)(CString&);
        int (*set)(CString);
        const wchar_t* value;
        const wchar_t* folder;
        const char* ksregName;
    } cases[] = {
        {GetTavrionMethodPath, SetTavrionMethodPath, L"MethodsFolders", L"\\Methods", "MethodsFolders"},
        {GetTavrionDataPath, SetTavrionDataPath, L"DataFolders", L"\\Data", "DataFolders"},
        {GetTavrionTemplatesPath, SetTavrionTemplatesPath, L"ReportTemplatesFolders", L"\\Templates",
         "ReportTemplatesFolders"},
    };
    for (const Case& c : cases) {
        CString out(L"unchanged");
        EXPECT_EQ(c.get(out), 0);
        EXPECT_EQ(out, L"unchanged");
    }
    setTavrionPath(L"D:\\Zyl");
    for (const Case& c : cases) {
        CString out;
        EXPECT_EQ(c.get(out), 1);
        EXPECT_EQ(out, CString(L"D:\\Zyl") + c.folder);
        const auto r = pt::ksreg({"query", "HKCU\\Software\\Pardinel\\Tavrion\\DefaultFolders", c.ksregName});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("\"") + c.ksregName + "\"=sz:\"D:\\\\Zyl\\\\"), std::string::npos)
            << r.out;
    }
    // The written folder no longer follows the data-system path.
    setTavrionPath(L"E:\\New");
    CString out;
    EXPECT_EQ(GetTavrionMethodPath(out), 1);
    EXPECT_EQ(out, L"D:\\Zyl\\Methods");
    EXPECT_EQ(SetTavrionDataPath(CString(L"F:\\Mine")), 1);
    EXPECT_EQ(GetTavrionDataPath(out), 1);
    EXPECT_EQ(out, L"F:\\Mine");
}

TEST(Settings, FontDefaultsAreWrittenBackAndVisibleWithKsreg)
{
    struct Case {
        int (*get)(CString&);
        const char* name;
        const wchar_t* def;
        const char* stored;
    } cases[] = {
        {GetTavrionProportionalFontName, "Qelplt_ProporPitchFontName", L"Arial", "Arial"},
        {GetTavrionProportionalFontMaxSize, "Qelplt_ProporPitchFontMaxSize", L"0.167", "0.167"},
        {GetTavrionProportionalFontMinSize, "Qelplt_ProporPitchFontMinSize", L"0.111", "0.111"},
        {GetTavrionFixedPitchFontName, "Qelplt_FixedPitchFontName", L"Courier New", "Courier New"},
        {GetTavrionFixedPitchFontMaxSize, "Qelplt_FixedPitchFontMaxSize", L"0.167", "0.167"},
        {GetTavrionFixedPitchFontMinSize, "Qelplt_FixedPitchFontMinSize", L"0.111", "0.111"},
    };
    for (const Case& c : cases) {
        CString out;
        EXPECT_EQ(c.get(out), 1) << c.name;
        EXPECT_EQ(out, c.def);
        const auto r = pt::ksreg({"query", "HKCU\\Software\\Pardinel\\Tavrion\\Global", c.name});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("\"") + c.name + "\"=sz:\"" + c.stored + "\\0\""), std::string::npos)
            << r.out;
    }
    ASSERT_EQ(SetTavrionFixedPitchFontName(CString(L"Mono")), 1);
    CString out;
    EXPECT_EQ(GetTavrionFixedPitchFontName(out), 1);
    EXPECT_EQ(out, L"Mono");

    // Written back to a read-only hive: the default, and the Set's failure.
    pt::deleteTree(HKEY_CURRENT_USER, kGlobal);
    pt::ReadOnlyHive ro(HKEY_CURRENT_USER);
    EXPECT_EQ(GetTavrionProportionalFontName(out), 0);
    EXPECT_EQ(out, L"Arial");
}

TEST(Settings, ToleranceUnitTextMustMatchExactly)
{
    struct Case {
        const wchar_t* stored;  // null: missing
        int result;
        ToleranceUnit unit;
    } cases[] = {
        {L"Amu", 1, TOLERANCE_AMU}, {L"Ppm", 1, TOLERANCE_PPM}, {L"Mmu", 1, TOLERANCE_MMU},
        {L"ppm", 0, TOLERANCE_MMU}, {L"AMU", 0, TOLERANCE_MMU}, {nullptr, 0, TOLERANCE_MMU},
    };
    for (const Case& c : cases) {
        if (c.stored)
            pt::setSz(HKEY_CURRENT_USER, kTolerance, L"Unit", c.stored);
        ToleranceUnit unit = TOLERANCE_AMU;
        if (!c.stored) {
            pt::deleteTree(HKEY_CURRENT_USER, kTolerance);
            unit = TOLERANCE_PPM;
        }
        EXPECT_EQ(GetTavrionMassResolutionUnit(unit), c.result) << (c.stored ? c.stored : L"missing");
        EXPECT_EQ(unit, c.unit);
    }
    struct Set {
        int unit;
        const wchar_t* text;
    } sets[] = {{0, L"Mmu"}, {1, L"Ppm"}, {2, L"Amu"}, {7, L"Mmu"}, {-1, L"Mmu"}};
    for (const Set& s : sets) {
        ASSERT_EQ(SetTavrionMassResolutionUnit(static_cast<ToleranceUnit>(s.unit)), 1);
        EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kTolerance, L"Unit"), s.text);
    }
}

TEST(Settings, ScalingFlagsAndLabels)
{
    int flag = -1;
    struct Default {
        int (*get)(int&);
        int expected;
    } defaults[] = {
        {GetTavrionMSscalingFlag, 0},         {GetTavrionPDAscalingFlag, 1},
        {GetTavrionOtherscalingFlag, 1},      {GetTavrionMSisLabelFromDetector, 1},
        {GetTavrionPDAisLabelFromDetector, 1}, {GetTavrionOtherisLabelFromDetector, 1},
    };
    for (const Default& d : defaults) {
        EXPECT_EQ(d.get(flag), 1);
        EXPECT_EQ(flag, d.expected);
    }
    CString label;
    EXPECT_EQ(GetTavrionMSuserLabel(label), 1);
    EXPECT_EQ(label, L"Intensity");
    EXPECT_EQ(GetTavrionPDAuserLabel(label), 1);
    EXPECT_EQ(label, L"uAU");
    EXPECT_EQ(GetTavrionOtheruserLabel(label), 1);
    EXPECT_EQ(label, L"mVolts");
    // Nothing was written back.
    EXPECT_FALSE(pt::keyExists(HKEY_CURRENT_USER, kGlobal));

    const std::wstring ms = below(L"Global\\Scaling\\Mass Spectrometer");
    struct Text {
        const wchar_t* stored;
        int expected;
    } texts[] = {{L"TRUE", 1}, {L"True", 0}, {L"true", 0}, {L"FALSE", 0}, {L"1", 0}};
    for (const Text& t : texts) {
        pt::setSz(HKEY_CURRENT_USER, ms, L"Use Absolute Scale", t.stored);
        EXPECT_EQ(GetTavrionMSscalingFlag(flag), 1);
        EXPECT_EQ(flag, t.expected) << t.stored;
    }
    ASSERT_EQ(SetTavrionPDAscalingFlag(5), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, below(L"Global\\Scaling\\PDA Detector"), L"Use Absolute Scale"), L"TRUE");
    ASSERT_EQ(SetTavrionOtherisLabelFromDetector(0), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, below(L"Global\\Scaling\\Other Detector"), L"Get Label From Detector"),
              L"FALSE");
    ASSERT_EQ(SetTavrionOtheruserLabel(CString(L"Volts")), 1);

    // Device kinds: 1, 2 Other; 3, 4 PDA; 0, 5 and anything else MS.
    ASSERT_EQ(SetTavrionMSscalingFlag(1), 1);
    EXPECT_EQ(GetTavrionDefaultScalingForDevice(VDT_OTHER), 1);
    EXPECT_EQ(GetTavrionDefaultScalingForDevice(static_cast<VirtualDeviceType>(42)), 1);
    ASSERT_EQ(SetTavrionMSscalingFlag(0), 1);
    EXPECT_EQ(GetTavrionDefaultScalingForDevice(VDT_MASS_SPECTROMETER), 0);
    EXPECT_EQ(GetTavrionDefaultScalingForDevice(VDT_UV), 1);
    EXPECT_EQ(GetTavrionDefaultIsLabelFromDetectorForDevice(VDT_AD), 0);
    EXPECT_EQ(GetTavrionDefaultIsLabelFromDetectorForDevice(VDT_PDA), 1);
    EXPECT_EQ(GetTavrionDefaultUserLabelForDevice(VDT_ANALOG), L"Volts");
    EXPECT_EQ(GetTavrionDefaultUserLabelForDevice(VDT_UV), L"uAU");
    EXPECT_EQ(GetTavrionDefaultUserLabelForDevice(VDT_OTHER), L"Intensity");
}

TEST(Settings, PeakDetectionTypes)
{
    ePeakDetectionAlgorithm type{};
    EXPECT_EQ(GetTavrionMSPeakDetectionType(type), 0);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(GetTavrionPDAUVPeakDetectionType(type), 0);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(GetTavrionOtherPeakDetectionType(type), 0);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(GetTavrionPeakDetectionType(type), 0);
    EXPECT_EQ(type, 1);
    EXPECT_FALSE(pt::keyExists(HKEY_CURRENT_USER, kGlobal));

    ASSERT_EQ(SetTavrionMSPeakDetectionType(static_cast<ePeakDetectionAlgorithm>(7)), 1);
    ASSERT_EQ(SetTavrionPDAUVPeakDetectionType(static_cast<ePeakDetectionAlgorithm>(8)), 1);
    ASSERT_EQ(SetTavrionOtherPeakDetectionType(static_cast<ePeakDetectionAlgorithm>(9)), 1);
    ASSERT_EQ(SetTavrionPeakDetectionType(static_cast<ePeakDetectionAlgorithm>(10)), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kGlobal, L"PDA or UV Peak Detector Type"), L"8");
    EXPECT_EQ(GetTavrionPeakDetectionType(type), 1);
    EXPECT_EQ(type, 10);
    EXPECT_EQ(GetTavrionDefaultPeakDetectionTypeForDevice(VDT_OTHER), 7);
    EXPECT_EQ(GetTavrionDefaultPeakDetectionTypeForDevice(VDT_UV), 8);
    EXPECT_EQ(GetTavrionDefaultPeakDetectionTypeForDevice(VDT_AD), 9);
    EXPECT_EQ(GetTavrionDefaultPeakDetectionTypeForDevice(VDT_MASS_SPECTROMETER), 7);
}

TEST(Settings, ToleranceDefectAndPrecisions)
{
    double tolerance = 0;
    EXPECT_EQ(GetTavrionMassResolution(tolerance), 0);
    EXPECT_EQ(tolerance, 500.0);
    EXPECT_FALSE(pt::keyExists(HKEY_CURRENT_USER, kTolerance));
    ASSERT_EQ(SetTavrionMassResolution(12.5), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kTolerance, L"Tolerance Value"), L"12.5");
    EXPECT_EQ(GetTavrionMassResolution(tolerance), 1);
    EXPECT_EQ(tolerance, 12.5);

    int use = -1;
    EXPECT_EQ(GetTavrionUseUserMassResolution(use), 0);
    EXPECT_EQ(use, 0);
    ASSERT_EQ(SetTavrionUseUserMassResolution(9), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kTolerance, L"UseUserDefined"), L"1");
    EXPECT_EQ(GetTavrionUseUserMassResolution(use), 1);
    EXPECT_EQ(use, 1);
    pt::setSz(HKEY_CURRENT_USER, kTolerance, L"UseUserDefined", L"2");
    EXPECT_EQ(GetTavrionUseUserMassResolution(use), 1);
    EXPECT_EQ(use, 0);

    int d1 = -1, d2 = -1;
    double m1 = -1, m2 = -1;
    EXPECT_EQ(GetTavrionMassDefect(d1, m1, d2, m2), 0);
    EXPECT_EQ(d1, 0);
    EXPECT_EQ(m1, 1.0);
    EXPECT_EQ(d2, 300);
    EXPECT_EQ(m2, 1000.0);
    ASSERT_EQ(SetTavrionMassDefect(5, 150.25, 7, 900.5), 1);
    const std::wstring defect = below(L"Global\\Mass Defect");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, defect, L"Mass1"), L"150.25");
    EXPECT_EQ(GetTavrionMassDefect(d1, m1, d2, m2), 1);
    EXPECT_EQ(m2, 900.5);
    {
        HKEY h = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, defect.c_str(), 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
        RegDeleteValueW(h, L"Mass1");
        RegCloseKey(h);
    }
    d1 = d2 = -1;
    m1 = m2 = -1;
    EXPECT_EQ(GetTavrionMassDefect(d1, m1, d2, m2), 0);
    EXPECT_EQ(d1, 5);
    EXPECT_EQ(m1, 1.0);
    EXPECT_EQ(d2, 7);
    EXPECT_EQ(m2, 900.5);

    struct Precision {
        int (*get)(int&);
        int (*set)(int);
        const wchar_t* key;
    } precisions[] = {
        {GetTavrionMassPrecision, SetTavrionMassPrecision, L"Global\\Mass Precision"},
        {GetTavrionRetentionTimePrecision, SetTavrionRetentionTimePrecision, L"Global\\Retention Time Precision"},
    };
    for (const Precision& p : precisions) {
        int n = -1;
        EXPECT_EQ(p.get(n), 0);
        EXPECT_EQ(n, 2);
        ASSERT_EQ(p.set(4), 1);
        EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, below(p.key), L"Default"), L"4");
        EXPECT_EQ(p.get(n), 1);
        EXPECT_EQ(n, 4);
    }
}

TEST(Settings, TargetPackageAndShutDownMode)
{
    EXPECT_EQ(IsTargetInstalled(), 0);
    pt::createKey(HKEY_LOCAL_MACHINE, L"Software\\Thru-Put\\Target");
    EXPECT_EQ(IsTargetInstalled(), 1);
    {
        pt::TopKeyGuard guard;
        SetTopRegistryKey(L"Software\\Elsewhere\\");
        EXPECT_EQ(IsTargetInstalled(), 1);
    }

    const std::wstring config = below(L"Target\\Configuration");
    double intensity = 0;
    EXPECT_EQ(GetMaxPeakIntensityExpected(intensity), 1);
    EXPECT_EQ(intensity, 8.0e6);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, config, L"MaxPeakIntensityExpected"), L"8e+06");
    CString name;
    EXPECT_EQ(GetTargetInstrumentName(name), 1);
    EXPECT_EQ(name, L"default.i");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, config, L"TargetInstrumentName"), L"default.i");
    int scaling = -1;
    EXPECT_EQ(GetTargetSpectralScaling(scaling), 1);
    EXPECT_EQ(scaling, 0);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, config, L"TargetSpectralScaling"), L"<missing>");
    ASSERT_EQ(SetTargetSpectralScaling(3), 1);
    EXPECT_EQ(GetTargetSpectralScaling(scaling), 1);
    EXPECT_EQ(scaling, 3);

    int mode = -1;
    EXPECT_EQ(GetTavrionProcessingMode(mode), 1);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, config, L"ProcessingMode"), L"0");
    EXPECT_EQ(GetKivomerShutDownMode(mode), 1);
    EXPECT_EQ(mode, 1);
    const auto r = pt::ksreg({"query", "HKLM\\Software\\Pardinel\\Tavrion\\Global\\Kivomer ShutDown"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"ShutDownMode\"=sz:\"1\\0\""), std::string::npos) << r.out;

    // Without write access to the machine hive the default is still given.
    pt::deleteTree(HKEY_LOCAL_MACHINE, below(L"Global"));
    pt::ReadOnlyHive ro(HKEY_LOCAL_MACHINE);
    mode = -1;
    EXPECT_EQ(GetKivomerShutDownMode(mode), 0);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(SetTavrionProcessingMode(2), 0);
    EXPECT_EQ(GetTavrionProcessingMode(mode), 1);
    EXPECT_EQ(mode, 0);
}

TEST(Settings, ReportProgram)
{
    CString out(L"unchanged");
    EXPECT_EQ(GetZylReportProgramPathName(out), 0);
    EXPECT_EQ(GetZylReportTemplateExtension(out), 0);
    EXPECT_EQ(out, L"unchanged");
    // The Get functions create their key.
    EXPECT_TRUE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"ZylReport")));

    setTavrionPath(L"C:\\Zyl");
    EXPECT_EQ(GetZylReportProgramPathName(out), 0);
    pt::setSz(HKEY_LOCAL_MACHINE, below(L"ZylReport"), L"Executable", L"report.exe");
    pt::setSz(HKEY_LOCAL_MACHINE, below(L"ZylReport"), L"Template Filter", L"Templates|*.rpt||");
    EXPECT_EQ(GetZylReportProgramPathName(out), 1);
    EXPECT_EQ(out, L"C:\\Zyl\\System\\Programs\\report.exe");
    EXPECT_EQ(GetZylReportTemplateFilter(out), 1);
    EXPECT_EQ(out, L"Templates|*.rpt||");
}
