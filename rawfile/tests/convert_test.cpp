// The writers' own pieces on their own: the scan-event conversion rules
// as one table, the index, peak and UV-index copies, and the working file
// that keeps an unfinished file away from its name.
#include "zylvirconvert.h"
#include "zylvirfile.h"

#include "kshive.h"
#include "kstest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace rawengine;

namespace {

MS_ScanEvent defaults()
{
    MS_ScanEvent e;
    std::memset(&e, 0, sizeof e);
    zylvir::initializeScanEvent(e);
    return e;
}

CScanEvent converted(const MS_ScanEvent& e)
{
    CScanEvent out;
    EXPECT_EQ(zylvir::toEngineEvent(e, out), S_OK);
    return out;
}

std::string textOf(const CScanEvent& e) { return ks::reg::utf8FromWide(e.GetScanEventString(2)); }

TEST(ScanEventConversion, DefaultsBecomeTheEnginesPlainEvent)
{
    const CScanEvent e = converted(defaults());
    EXPECT_TRUE(e.valid);
    // "Any" polarity and data become negative and centroid; the switches
    // are off; ionisation stays "any"; full scan, MS order 1.
    EXPECT_EQ(textOf(e), "- c !sid !t !d !w !u Full ms");
}

TEST(ScanEventConversion, EachRuleAsTheEventTextShowsIt)
{
    struct Case {
        const char* name;
        std::function<void(MS_ScanEvent&)> change;
        const char* text;
    };
    const Case cases[] = {
        {"positive", [](MS_ScanEvent& e) { e.ePolarity = MS_Positive; }, "+ c !sid !t !d !w !u Full ms"},
        {"negative", [](MS_ScanEvent& e) { e.ePolarity = MS_Negative; }, "- c !sid !t !d !w !u Full ms"},
        {"profile", [](MS_ScanEvent& e) { e.eScanData = MS_Profile; }, "- p !sid !t !d !w !u Full ms"},
        {"centroid", [](MS_ScanEvent& e) { e.eScanData = MS_Centroid; }, "- c !sid !t !d !w !u Full ms"},
        {"electrospray", [](MS_ScanEvent& e) { e.eIonizationMode = MS_Electrospray; },
         "- c ESI !sid !t !d !w !u Full ms"},
        {"nanospray", [](MS_ScanEvent& e) { e.eIonizationMode = MS_Nanospray; }, "- c NSI !sid !t !d !w !u Full ms"},
        {"APCI, corona any", [](MS_ScanEvent& e) { e.eIonizationMode = MS_AtmosphericPressureChemicalIonization; },
         "- c APCI !sid !t !d !w !u Full ms"},
        {"APCI, corona on",
         [](MS_ScanEvent& e) {
             e.eIonizationMode = MS_AtmosphericPressureChemicalIonization;
             e.eCorona = MS_CoronaOn;
         },
         "- c APCI corona !sid !t !d !w !u Full ms"},
        {"APCI, corona off",
         [](MS_ScanEvent& e) {
             e.eIonizationMode = MS_AtmosphericPressureChemicalIonization;
             e.eCorona = MS_CoronaOff;
         },
         "- c APCI !corona !sid !t !d !w !u Full ms"},
        {"corona without APCI", [](MS_ScanEvent& e) { e.eCorona = MS_CoronaOn; }, "- c !sid !t !d !w !u Full ms"},
        {"electron impact", [](MS_ScanEvent& e) { e.eIonizationMode = MS_ElectronImpact; },
         "- c !sid !t !d !w !u Full ms"},
        {"glow discharge", [](MS_ScanEvent& e) { e.eIonizationMode = MS_GlowDischarge; },
         "- c !sid !t !d !w !u Full ms"},
        {"source CID on, one valid value",
         [](MS_ScanEvent& e) {
             e.eSourceCID = MS_SourceCIDon;
             e.nNumSourceFragmentationEnergies = 1;
             e.arrSourceFragmentationEnergies[0] = 12.5;
             e.arrSourceFragmentationEnergiesValid[0] = 1;
         },
         "- c sid=12.50 !t !d !w !u Full ms"},
        {"source CID on, value not valid",
         [](MS_ScanEvent& e) {
             e.eSourceCID = MS_SourceCIDon;
             e.nNumSourceFragmentationEnergies = 1;
             e.arrSourceFragmentationEnergies[0] = 12.5;
         },
         "- c !sid !t !d !w !u Full ms"},
        {"source CID on, two values",
         [](MS_ScanEvent& e) {
             e.eSourceCID = MS_SourceCIDon;
             e.nNumSourceFragmentationEnergies = 2;
             e.arrSourceFragmentationEnergiesValid[0] = e.arrSourceFragmentationEnergiesValid[1] = 1;
         },
         "- c !sid !t !d !w !u Full ms"},
        {"source CID off with a value",
         [](MS_ScanEvent& e) {
             e.eSourceCID = MS_SourceCIDoff;
             e.nNumSourceFragmentationEnergies = 1;
             e.arrSourceFragmentationEnergiesValid[0] = 1;
         },
         "- c !sid !t !d !w !u Full ms"},
        // "On" is 0: the flag is set for it, not for off or any.
        {"turbo on", [](MS_ScanEvent& e) { e.eTurboScan = MS_TurboScanOn; }, "- c !sid t !d !w !u Full ms"},
        {"turbo off", [](MS_ScanEvent& e) { e.eTurboScan = MS_TurboScanOff; }, "- c !sid !t !d !w !u Full ms"},
        {"dependent", [](MS_ScanEvent& e) { e.eDependent = MS_Dependent; }, "- c !sid !t d !w !u Full ms"},
        {"not dependent", [](MS_ScanEvent& e) { e.eDependent = MS_NotDependent; }, "- c !sid !t !d !w !u Full ms"},
        {"wideband", [](MS_ScanEvent& e) { e.eWideband = MS_WidebandOn; }, "- c !sid !t !d w !u Full ms"},
        {"custom", [](MS_ScanEvent& e) { e.bCustom = 7; }, "- c !sid !t !d !w u Full ms"},
        {"zoom", [](MS_ScanEvent& e) { e.eScanType = MS_Zoomsc; }, "- c !sid !t !d !w !u Z ms"},
        {"SIM", [](MS_ScanEvent& e) { e.eScanType = MS_SIMsc; }, "- c !sid !t !d !w !u SIM ms"},
        {"SRM", [](MS_ScanEvent& e) { e.eScanType = MS_SRMsc; }, "- c !sid !t !d !w !u SRM ms"},
        {"CRM", [](MS_ScanEvent& e) { e.eScanType = MS_CRMsc; }, "- c !sid !t !d !w !u CRM ms"},
        {"Q1MS", [](MS_ScanEvent& e) { e.eScanType = MS_Q1MSsc; }, "- c !sid !t !d !w !u Full ms"},
        {"Q3MS", [](MS_ScanEvent& e) { e.eScanType = MS_Q3MSsc; }, "- c !sid !t !d !w !u Full ms"},
        {"MS order 10", [](MS_ScanEvent& e) { e.eMSOrder = MS_ms10; }, "- c !sid !t !d !w !u Full ms10"},
        {"MS order -1", [](MS_ScanEvent& e) { e.eMSOrder = MS_MSOrder(-1); }, "- c !sid !t !d !w !u Full nl"},
        {"MS order -2", [](MS_ScanEvent& e) { e.eMSOrder = MS_MSOrder(-2); }, "- c !sid !t !d !w !u Full ng"},
        {"MS order -3", [](MS_ScanEvent& e) { e.eMSOrder = MS_MSOrder(-3); }, "- c !sid !t !d !w !u Full par"},
        {"MS order -4", [](MS_ScanEvent& e) { e.eMSOrder = MS_MSOrder(-4); }, "- c !sid !t !d !w !u Full ms"},
        {"MS order 11", [](MS_ScanEvent& e) { e.eMSOrder = MS_MSOrder(11); }, "- c !sid !t !d !w !u Full ms"},
        {"MS_par (16)", [](MS_ScanEvent& e) { e.eMSOrder = MS_par; }, "- c !sid !t !d !w !u Full ms"},
        {"MS_ng (24)", [](MS_ScanEvent& e) { e.eMSOrder = MS_ng; }, "- c !sid !t !d !w !u Full ms"},
        {"MS_nl (32)", [](MS_ScanEvent& e) { e.eMSOrder = MS_nl; }, "- c !sid !t !d !w !u Full ms"},
        {"precursors, energy when valid",
         [](MS_ScanEvent& e) {
             e.eMSOrder = MS_ms3;
             e.nNumPrecursorMasses = 2;
             e.arrPrecursorMasses[0] = 500.25;
             e.arrPrecursorEnergies[0] = 35.0;
             e.arrPrecursorEnergiesValid[0] = 1;
             e.arrPrecursorMasses[1] = 321.5;
             e.arrPrecursorEnergies[1] = 99.0;
         },
         "- c !sid !t !d !w !u Full ms3 500.25@35.00 321.50"},
        {"mass ranges in order",
         [](MS_ScanEvent& e) {
             e.nNumMassRanges = 2;
             e.arrMassRanges[0] = {400.0, 410.5};
             e.arrMassRanges[1] = {100.0, 200.0};
         },
         "- c !sid !t !d !w !u Full ms [400.00-410.50, 100.00-200.00]"},
        // Not carried: scan type index, detector, its value, CID type.
        {"not carried",
         [](MS_ScanEvent& e) {
             e.nlScanTypeIndex = 5;
             e.eDetector = MS_DetectorValid;
             e.dDetectorValue = 1500.0;
             e.eSourceCIDType = MS_SourceCIDTypeRamp;
         },
         "- c !sid !t !d !w !u Full ms"},
    };
    for (const Case& c : cases) {
        MS_ScanEvent e = defaults();
        c.change(e);
        EXPECT_EQ(textOf(converted(e)), c.text) << c.name;
    }
}

TEST(ScanEventConversion, CountsBeyondTheRecordAreRefused)
{
    const std::pair<const char*, std::function<void(MS_ScanEvent&)>> cases[] = {
        {"51 ranges", [](MS_ScanEvent& e) { e.nNumMassRanges = 51; }},
        {"-1 ranges", [](MS_ScanEvent& e) { e.nNumMassRanges = -1; }},
        {"11 precursors", [](MS_ScanEvent& e) { e.nNumPrecursorMasses = 11; }},
        {"-1 precursors", [](MS_ScanEvent& e) { e.nNumPrecursorMasses = -1; }},
        {"51 fragmentation values", [](MS_ScanEvent& e) { e.nNumSourceFragmentationEnergies = 51; }},
        {"-1 fragmentation values", [](MS_ScanEvent& e) { e.nNumSourceFragmentationEnergies = -1; }},
    };
    for (const auto& [name, change] : cases) {
        MS_ScanEvent e = defaults();
        change(e);
        CScanEvent out;
        out.msOrder = 7;  // left alone
        EXPECT_EQ(zylvir::toEngineEvent(e, out), E_INVALIDARG) << name;
        EXPECT_EQ(out.msOrder, 7) << name;
        EXPECT_FALSE(out.valid) << name;
    }
    // The capacities themselves are taken.
    MS_ScanEvent full = defaults();
    full.nNumMassRanges = 50;
    full.nNumPrecursorMasses = 10;
    full.nNumSourceFragmentationEnergies = 50;
    for (int i = 0; i < 50; ++i)
        full.arrMassRanges[i] = {double(i), double(i) + 0.5};
    const CScanEvent e = converted(full);
    EXPECT_EQ(e.massRanges.size(), 50u);
    EXPECT_EQ(e.reactions.size(), 10u);
    EXPECT_EQ(e.massRanges[49].high, 49.5);
}

TEST(ScanEventConversion, InitializeLeavesTheValueArraysAsTheyWere)
{
    MS_ScanEvent e;
    std::memset(&e, 0x11, sizeof e);
    zylvir::initializeScanEvent(e);
    const MS_ScanEvent expected = [] {
        MS_ScanEvent x;
        std::memset(&x, 0x11, sizeof x);
        return x;
    }();
    EXPECT_EQ(std::memcmp(e.arrMassRanges, expected.arrMassRanges, sizeof e.arrMassRanges), 0);
    EXPECT_EQ(std::memcmp(e.arrPrecursorEnergies, expected.arrPrecursorEnergies, sizeof e.arrPrecursorEnergies), 0);
    EXPECT_EQ(std::memcmp(e.arrSourceFragmentationEnergies, expected.arrSourceFragmentationEnergies,
                          sizeof e.arrSourceFragmentationEnergies),
              0);
    const LONG zeros[MS_MAX_NUM_SOURCE_FRAGMENTATION_ENERGIES] = {};
    EXPECT_EQ(std::memcmp(e.arrSourceFragmentationEnergiesValid, zeros, sizeof e.arrSourceFragmentationEnergiesValid),
              0);
    EXPECT_EQ(std::memcmp(e.arrPrecursorEnergiesValid, zeros, sizeof e.arrPrecursorEnergiesValid), 0);
    EXPECT_EQ(e.bIsValid, 1);
    EXPECT_EQ(e.eScanData, MS_AcceptAnyScanData);
    EXPECT_EQ(e.ePolarity, MS_AnyPolarity);
    EXPECT_EQ(e.eMSOrder, MS_AcceptAnyMSorder);
    EXPECT_EQ(e.eDependent, MS_AcceptAnyDep);
    EXPECT_EQ(e.eWideband, MS_AcceptAnyWideband);
    EXPECT_EQ(e.bCustom, 0);
    EXPECT_EQ(e.eSourceCID, MS_AcceptAnySourceCID);
    EXPECT_EQ(e.eScanType, MS_AcceptAnyScanType);
    EXPECT_EQ(e.eTurboScan, MS_AcceptAnyTurboScan);
    EXPECT_EQ(e.eIonizationMode, MS_AcceptAnyIonizationMode);
    EXPECT_EQ(e.eCorona, MS_AcceptAnyCorona);
    EXPECT_EQ(e.eDetector, MS_AcceptAnyDetector);
    EXPECT_EQ(e.dDetectorValue, 0.0);
    EXPECT_EQ(e.eSourceCIDType, MS_AcceptAnySourceCIDType);
    EXPECT_EQ(e.nlScanTypeIndex, -1);
    EXPECT_EQ(e.nNumMassRanges, 0);
    EXPECT_EQ(e.nNumPrecursorMasses, 0);
    EXPECT_EQ(e.nNumSourceFragmentationEnergies, 0);
}

TEST(RecordConversion, FieldsAreCopiedIntoZeroedEngineRecords)
{
    const MS_ScanIndex in{0xFFFFFFF0u, -2, -65537, 42, 14, 3, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5};
    const ScanIndex i = zylvir::toEngineIndex(in);
    EXPECT_EQ(i.dataOffset, 0xFFFFFFF0u);
    EXPECT_EQ(i.trailerOffset, -2);
    EXPECT_EQ(i.scanTypeIndex, -65537);
    EXPECT_EQ(i.scanNumber, 42);
    EXPECT_EQ(i.packetType, 14u);
    EXPECT_EQ(i.numPackets, 3u);
    EXPECT_EQ(i.startTime, 1.5);
    EXPECT_EQ(i.tic, 2.5);
    EXPECT_EQ(i.basePeakIntensity, 3.5);
    EXPECT_EQ(i.basePeakMass, 4.5);
    EXPECT_EQ(i.lowMass, 5.5);
    EXPECT_EQ(i.highMass, 6.5);

    const DataPeak p = zylvir::toEnginePeak(MS_DataPeak{7.0, 300.25, 1.5f, -9});
    EXPECT_EQ(p.intensity, 7.0);
    EXPECT_EQ(p.position, 300.25);
    EXPECT_EQ(p.basePeak, 1.5f);
    EXPECT_EQ(p.scan, -9);
    EXPECT_EQ(p.flags, 0);
    const uint8_t zeros[7] = {};
    EXPECT_EQ(std::memcmp(p.reserved, zeros, 7), 0);

    const UVScanIndex u = zylvir::toEngineUVIndex(MS_UVScanIndex{12, 3, 0.75, 99.0});
    EXPECT_EQ(u.packetType, 12u);
    EXPECT_EQ(u.numberOfChannels, 3u);
    EXPECT_EQ(u.startTime, 0.75);
    EXPECT_EQ(u.tic, 99.0);
    EXPECT_EQ(u.lowLimit, 0.0);
    EXPECT_EQ(u.highLimit, 0.0);
    EXPECT_EQ(u.frequency, 0.0);
    EXPECT_EQ(u.uniformTime, 0u);
}

// ---------------------------------------------------------------- the working file

std::string dirPath(const std::string& name) { return ks::test::tempDir() + "/" + name; }

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> out;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                out.push_back(e->d_name);
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Writes bytes at the engine's path as the engine's writer would.
void writeThrough(const zylvir::WorkingFile& f, const std::string& bytes)
{
    const std::string p = ks::reg::utf8FromWide(f.enginePath());
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << p;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

class WorkingFileTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ASSERT_EQ(mkdir(folder.c_str(), 0755), 0); }
    std::string folder = dirPath("out");
    std::string target = folder + "/run.raw";
};

TEST_P(WorkingFileTest, TheNameShowsTheFileOnlyOnceCommitted)
{
    zylvir::WorkingFile f(ks::reg::wideFromUtf8(target), GetParam());
    if (!GetParam()) {
        EXPECT_EQ(f.kind(), zylvir::WorkingFile::Kind::Hidden);
    }
    if (f.kind() == zylvir::WorkingFile::Kind::Hidden) {
        EXPECT_EQ(ks::reg::utf8FromWide(f.enginePath()).rfind(folder + "/.run.raw.", 0), 0u);
    }
    writeThrough(f, "finished");
    if (f.kind() == zylvir::WorkingFile::Kind::Unnamed) {
        EXPECT_TRUE(namesIn(folder).empty());  // nothing to leave behind
    }
    struct stat st {};
    EXPECT_NE(stat(target.c_str(), &st), 0);
    ASSERT_TRUE(f.commit());
    EXPECT_EQ(ks::test::readFile(target), "finished");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"run.raw"});
    EXPECT_FALSE(f.commit());  // once
}

TEST_P(WorkingFileTest, DiscardingLeavesTheFormerFileAndNothingElse)
{
    ks::test::writeFile(target, "old");
    {
        zylvir::WorkingFile f(ks::reg::wideFromUtf8(target), GetParam());
        writeThrough(f, "unfinished");
    }  // never committed
    EXPECT_EQ(ks::test::readFile(target), "old");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"run.raw"});
}

TEST_P(WorkingFileTest, ReplacingKeepsThePermissionsAndFollowsALink)
{
    ks::test::writeFile(target, "old");
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    const std::string link = folder + "/link.raw";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    zylvir::WorkingFile f(ks::reg::wideFromUtf8(link), GetParam());
    writeThrough(f, "new");
    ASSERT_TRUE(f.commit());
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(ks::test::readFile(target), "new");
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrHidden, WorkingFileTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Unnamed" : "Hidden"; });

TEST(WorkingFile, ANameThatIsNoRegularFileGoesToTheEngineAsItIs)
{
    const std::string folder = dirPath("a folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    zylvir::WorkingFile f(ks::reg::wideFromUtf8(folder));
    EXPECT_EQ(f.kind(), zylvir::WorkingFile::Kind::Target);
    EXPECT_EQ(ks::reg::utf8FromWide(f.enginePath()), folder);
    EXPECT_FALSE(f.commit());
    zylvir::WorkingFile empty(L"");
    EXPECT_EQ(empty.kind(), zylvir::WorkingFile::Kind::Target);
}

TEST(WorkingFile, BackslashesSeparateFolders)
{
    const std::string folder = dirPath("bs");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    std::wstring name = ks::reg::wideFromUtf8(folder) + L"\\x.raw";
    zylvir::WorkingFile f(name, false);
    ASSERT_EQ(f.kind(), zylvir::WorkingFile::Kind::Hidden);
    writeThrough(f, "x");
    ASSERT_TRUE(f.commit());
    EXPECT_EQ(ks::test::readFile(folder + "/x.raw"), "x");
}

}  // namespace
