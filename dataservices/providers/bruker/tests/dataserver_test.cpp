// Dataset recognition and the data server's reader: which experiments a
// path opens, function names and types, spectra with their precursors,
// the chromatogram and spectra by retention time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "brukerdataserver.h"
#include "brukerlayout.h"
#include "brukertest.h"
#include "chromatogram.h"
#include "massspectrum.h"

using namespace xmass;

namespace {

TEST(XmassRecognition, IsBrukerDataset)
{
    const Tree t = StandardDataset();
    Tree other("other");
    other.File("tof/sptype", "tof\n");  // lower-case name
    other.File("upper/SPTYPE", "TOF\n");  // the type is compared in exact case
    other.File("psd/1/acqus", "");
    other.File("psd/1/SPTYPE", "psd");
    other.File("short/SPTYPE", "ic");
    other.File("noacqus/1/SPTYPE", "icr");  // a sub-folder counts only with "acqus"
    other.Folder("acqusfolder/1/acqus");  // a folder named "acqus" is no parameter file
    other.File("acqusfolder/1/SPTYPE", "icr");
    other.File("compass.d/analysis.baf", "x");
    other.File(".hidden/SPTYPE", "icr");
    other.File(".hidden/1/SPTYPE", "icr");
    other.File("myfid", "x");
    other.File("tof/fid", "x");
    struct Case {
        std::string path;
        bool xmass;
        bool compass;
    } cases[] = {
        {t.Root(), true, true},
        {t.Path("1"), true, true},
        {t.Path("1/fid"), true, true},
        {t.Path("4.ser"), true, true},
        {t.Path("1/pdata/1"), false, false},
        {t.Path("missing"), false, false},
        {other.Path("tof"), true, true},
        {other.Path("tof/fid"), true, true},
        {other.Path("upper"), false, false},
        {other.Path("psd"), false, true},
        {other.Path("psd/1"), false, true},
        {other.Path("short"), false, false},
        {other.Path("noacqus"), false, false},
        {other.Path("acqusfolder"), false, false},
        {other.Path("compass.d"), false, true},
        {other.Path("compass.d/analysis.baf"), false, true},
        {other.Path(".hidden"), false, false},
        {other.Path(".hidden/1"), true, true},  // only the last component counts
        {other.Path("myfid"), false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsBrukerDataset(W(c.path), false), c.xmass) << c.path;
        EXPECT_EQ(IsBrukerDataset(W(c.path), true), c.compass) << c.path << " (Compass)";
    }
    // Separators of either kind; the real-data folder is reached through "..".
    std::wstring backslashed = t.WPath("1");
    for (wchar_t& c : backslashed)
        if (c == L'/')
            c = L'\\';
    EXPECT_TRUE(IsBrukerDataset(backslashed + L"\\fid", false));
    EXPECT_TRUE(IsBrukerDataset(t.WPath("1/../2"), false));
}

TEST(XmassRecognition, SplitExperimentPath)
{
    struct Case {
        std::wstring path;
        bool split;
        std::wstring head;
        std::wstring tail;
    } cases[] = {
        {L"/a/b/c", true, L"/a/b", L"c"}, {L"/a/b/", true, L"/a", L"b"},    {L"\\a\\b", true, L"/a", L"b"},
        {L"a/b", true, L"a", L"b"},       {L"/a/b//", true, L"/a/b", L""}, {L"/a", false, L"", L""},
        {L"a", false, L"", L""},          {L"/", false, L"", L""},          {L"", false, L"", L""},
    };
    for (const Case& c : cases) {
        std::wstring head = L"x", tail = L"x";
        EXPECT_EQ(SplitExperimentPath(c.path, head, tail), c.split) << std::string(c.path.begin(), c.path.end());
        EXPECT_EQ(head, c.head);
        EXPECT_EQ(tail, c.tail);
    }
}

std::vector<std::wstring> functionNames(CBrukerDataServerImpl& server)
{
    std::vector<std::wstring> names;
    for (int f = 0; f < server.FunctionCount(0); ++f)
        names.push_back(server.FunctionName(0, f).str());
    return names;
}

TEST(XmassDataServer, WhatAPathOpens)
{
    const Tree t = StandardDataset();
    // What a dataset folder may hold beside its experiments, and what an
    // experiment holds that no experiment is made of.
    t.File("notes/2024/minutes.doc", "text");
    t.File("readme.txt", "text");
    t.File("2/notes/minutes.doc", "text");
    t.File("2/audita.txt", "text");
    t.File("1/pdata/1/notes.txt", "text");
    t.File("1/pdata/old/1r", "x");
    t.File("1/pdata/1/1r.bak/1r", "x");
    t.File("flex/acqu", ParameterText({{"$TD", "1"}}));
    t.File("flex/fid", Int32s({1}));
    const std::wstring all[] = {L"1:  Sample A  ", L"2:  2024-01-03 10:00:00", L"4.ser:  2024-01-04 00:00:00",
                                L"7:  "};
    struct Case {
        const char* label;
        std::string path;
        HRESULT hr;
        std::vector<std::wstring> names;
    } cases[] = {
        {"dataset folder", t.Root(), S_OK, {all[0], all[1], all[2], all[3]}},
        {"experiment folder", t.Path("2"), S_OK, {all[1]}},
        {"its fid", t.Path("2/fid"), S_OK, {all[1]}},
        {"its processing", t.Path("2/pdata/1"), S_OK, {all[1]}},
        {"its pdata folder", t.Path("1/pdata"), S_OK, {all[0]}},
        {"its acqus", t.Path("2/acqus"), S_OK, {all[1]}},
        {"its SPTYPE", t.Path("2/SPTYPE"), S_OK, {all[1]}},
        {"a processed data file", t.Path("1/pdata/1/1r"), S_OK, {all[0]}},
        {"a processing's parameters", t.Path("1/pdata/2/procs"), S_OK, {all[0]}},
        {"the fid of experiment 7", t.Path("7/fid"), S_OK, {all[0], all[1], all[2], all[3]}},
        {"a folder beside the experiments", t.Path("notes"), E_FAIL, {}},
        {"a file two folders beside them", t.Path("notes/2024/minutes.doc"), E_FAIL, {}},
        {"a file beside them", t.Path("readme.txt"), E_FAIL, {}},
        {"a folder no experiment holds", t.Path("2/notes"), E_FAIL, {}},
        {"a file below it", t.Path("2/notes/minutes.doc"), E_FAIL, {}},
        {"a file no experiment holds", t.Path("2/audita.txt"), E_FAIL, {}},
        {"a file no processing holds", t.Path("1/pdata/1/notes.txt"), E_FAIL, {}},
        {"a processing folder that is no number", t.Path("1/pdata/old"), E_FAIL, {}},
        {"a file inside it", t.Path("1/pdata/old/1r"), E_FAIL, {}},
        {"deeper than a processing's files", t.Path("1/pdata/1/1r.bak/1r"), E_FAIL, {}},
        {"the fid of a folder with acqu but no acqus", t.Path("flex/fid"), E_FAIL, {}},
        {"that folder", t.Path("flex"), E_FAIL, {}},
        {"series folder", t.Path("4.ser"), S_OK, {all[2]}},
        {"experiment 7: only 1 to 5 filter", t.Path("7"), S_OK, {all[0], all[1], all[2], all[3]}},
        {"experiment without processing", t.Path("3"), E_FAIL, {}},
        {"path that does not exist", t.Path("9"), E_FAIL, {}},
        {"missing file in an experiment", t.Path("2/fid2"), E_FAIL, {}},
        {"no dataset above", ks::test::tempDir(), E_FAIL, {}},
    };
    CBrukerDataServerImpl server;
    for (const Case& c : cases) {
        EXPECT_EQ(server.Open(CString(W(c.path).c_str())), c.hr) << c.label;
        if (SUCCEEDED(c.hr)) {
            EXPECT_EQ(functionNames(server), c.names) << c.label;
            EXPECT_EQ(server.DatasetFolder(), t.WRoot()) << c.label;
        } else {
            EXPECT_EQ(server.FunctionCount(0), 0) << c.label;
        }
    }
}

TEST(XmassDataServer, FunctionNameFromComments)
{
    Tree t("ds");
    t.Experiment("1", {{"$TD", "1"}, {"$BYTORDA", "0"}, {"$CMT1", "<a>"}, {"$CMT3", "<c>"}, {"$AQ_DATE", "<d>"}},
                 "icr", Int32s({1}));
    t.Processing("1", "1", {{"$SI", "1"}, {"$BYTORDP", "0"}}, "", Int32s({1}));
    t.Experiment("2", {{"$TD", "1"}, {"$BYTORDA", "0"}, {"$CMT2", "<b>"}}, "icr", Int32s({1}));
    t.Processing("2", "1", {{"$SI", "1"}, {"$BYTORDP", "0"}}, "", Int32s({1}));
    CBrukerDataServerImpl server;
    ASSERT_EQ(server.Open(CString(t.WRoot().c_str())), S_OK);
    EXPECT_EQ(functionNames(server), (std::vector<std::wstring>{L"1:  a  c", L"2:  b  "}));
}

TEST(XmassDataServer, SpectraTypesAndPrecursors)
{
    const Tree t = StandardDataset();
    CBrukerDataServerImpl server;
    ASSERT_EQ(server.Open(CString(t.WRoot().c_str())), S_OK);
    EXPECT_EQ(server.DatasetType().str(), L"KSBrukerProvider");
    EXPECT_EQ(server.FunctionType(0, 0), FunctionTypeMS);
    EXPECT_EQ(server.FunctionMSMSType(0, 0), FunctionMSMSTypeNone);
    EXPECT_EQ(server.FunctionType(0, 1), FunctionTypeMSn);
    EXPECT_EQ(server.FunctionMSMSType(0, 1), FunctionMSMSTypeProduct);
    EXPECT_EQ(server.MSOrder(0, 1), 2);

    CMassSpectrum s;
    ASSERT_EQ(server.Spectrum(0, 0, 0, s), S_OK);  // processing 1 of experiment 1
    ASSERT_EQ(s.GetCount(), 4);
    EXPECT_EQ(s.Masses()[0], 100);
    EXPECT_EQ(s.Intensities()[3], 40);
    EXPECT_EQ(s.GetTitle(), L"first");
    EXPECT_EQ(s.GetMSOrder(), 1);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeMS);

    ASSERT_EQ(server.Spectrum(0, 1, 0, s), S_OK);
    EXPECT_EQ(s.GetMSOrder(), 3);  // two precursors
    EXPECT_EQ(s.GetPrecursorMass(), 512.3);
    EXPECT_EQ(s.GetPrecursorMZ(2), 512.3);
    EXPECT_EQ(s.GetPrecursorMZ2(2), 512.3);
    EXPECT_EQ(s.GetPrecursorMZ(3), 600.5);
    EXPECT_EQ(s.GetPrecursorMZ2(3), 600.5);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeMSn);

    // Back to an MS function: nothing of the precursors stays.
    ASSERT_EQ(server.Spectrum(0, 3, 0, s), S_OK);
    EXPECT_EQ(s.GetMSOrder(), 1);
    EXPECT_EQ(s.GetPrecursorMass(), 0);

    EXPECT_EQ(server.Spectrum(0, 0, 1, s), E_FAIL);  // one scan
    EXPECT_EQ(server.Spectrum(0, 0, -1, s), E_FAIL);
    EXPECT_EQ(server.Spectrum(0, 4, 0, s), E_FAIL);  // no such function
    EXPECT_EQ(server.Spectrum(1, 0, 0, s), E_FAIL);
}

TEST(XmassDataServer, ChromatogramAndRetentionTimes)
{
    const Tree t = StandardDataset();
    CBrukerDataServerImpl server;
    ASSERT_EQ(server.Open(CString(t.WPath("4.ser").c_str())), S_OK);
    ASSERT_EQ(server.SpectrumCount(0, 0), 3);
    CChromatogram c;
    EXPECT_EQ(server.TIC(false, 0, 0, c), CO_E_NOT_SUPPORTED);
    EXPECT_EQ(server.BPC(false, 0, 0, c), CO_E_NOT_SUPPORTED);
    // Asked by time before any chromatogram: it is computed first.
    EXPECT_EQ(server.SpectrumIndexByRT(0, 0, 2.0 / 60, FunctionRTProximityClosest), 1);
    EXPECT_EQ(server.SpectrumIndexByRT(0, 0, 1.0, FunctionRTProximityLess), 2);
    ASSERT_EQ(server.TIC(true, 0, 0, c), S_OK);
    ASSERT_EQ(c.GetCount(), 3);
    EXPECT_EQ(c.Intensities()[0], 10);
    EXPECT_EQ(c.Intensities()[2], 90);
    EXPECT_DOUBLE_EQ(c.Times()[2], 4.0 / 60);
    CMassSpectrum s;
    ASSERT_EQ(server.Spectrum(0, 0, 2, s), S_OK);
    EXPECT_DOUBLE_EQ(s.GetStartRT(), 4.0 / 60);
    EXPECT_EQ(s.GetFirstScan(), 3);
    EXPECT_EQ(s.Intensities()[0], 21);
}

size_t OpenFiles()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// The limit on open files for the scope, restored after.
class FileLimit {
public:
    explicit FileLimit(rlim_t soft)
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = std::min(soft, m_saved.rlim_cur);
        EXPECT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    }
    ~FileLimit() { setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

// Experiments are opened when read: a dataset of more experiments than the
// process may open files holds one data file open at a time, opens, and
// reads every experiment.
TEST(XmassDataServer, ManyExperimentsHoldOneFileOpen)
{
    Tree t("many");
    const int experiments = 300;
    for (int e = 1; e <= experiments; ++e) {
        const std::string expno = std::to_string(e);
        t.Experiment(expno, {{"$TD", "2"}, {"$BYTORDA", "0"}, {"$CMT1", "<run " + expno + ">"}}, "icr",
                     Int32s({1, e}));
        t.Processing(expno, "1", {{"$SI", "2"}, {"$BYTORDP", "0"}}, "", Int32s({e, 2 * e}));
    }
    const size_t before = OpenFiles();
    const FileLimit limit(before + 40);
    CBrukerDataServerImpl server;
    ASSERT_EQ(server.Open(CString(t.WRoot().c_str())), S_OK);
    EXPECT_LE(OpenFiles(), before + 1);
    ASSERT_EQ(server.FunctionCount(0), experiments);
    // Listed without regard to case: "1", "10", "100", "101", ...
    EXPECT_EQ(server.FunctionName(0, 1).str(), L"10:  run 10  ");
    CMassSpectrum s;
    for (int f = 0; f < experiments; ++f) {
        const int expno = std::stoi(server.FunctionName(0, f).str());
        ASSERT_EQ(server.SpectrumCount(0, f), 1) << f;
        ASSERT_EQ(server.Spectrum(0, f, 0, s), S_OK) << f;
        ASSERT_EQ(s.GetCount(), 2);
        EXPECT_EQ(s.Intensities()[1], 2 * expno) << f;
    }
    // Back to the first function, and a chromatogram of another.
    ASSERT_EQ(server.Spectrum(0, 0, 0, s), S_OK);
    EXPECT_EQ(s.Intensities()[0], 1);
    CChromatogram c;
    ASSERT_EQ(server.TIC(true, 0, 2, c), S_OK);
    EXPECT_EQ(c.GetCount(), 1);
    EXPECT_LE(OpenFiles(), before + 1);
    server.Close();
    EXPECT_EQ(OpenFiles(), before);
}

TEST(XmassDataServer, CloseAndReopen)
{
    const Tree t = StandardDataset();
    CBrukerDataServerImpl server;
    ASSERT_EQ(server.Open(CString(t.WRoot().c_str())), S_OK);
    ASSERT_EQ(server.Close(), S_OK);
    EXPECT_EQ(server.FunctionCount(0), 4);  // names stay
    EXPECT_EQ(server.FunctionName(0, 0).str(), L"1:  Sample A  ");
    EXPECT_EQ(server.SpectrumCount(0, 0), 0);  // the readers are closed
    CChromatogram c;
    EXPECT_EQ(server.TIC(true, 0, 0, c), E_FAIL);
    // A smaller dataset: indexes of the old one answer neutrally.
    ASSERT_EQ(server.Open(CString(t.WPath("2").c_str())), S_OK);
    EXPECT_EQ(server.FunctionCount(0), 1);
    EXPECT_EQ(server.SpectrumCount(0, 3), 0);
    EXPECT_EQ(server.FunctionName(0, 3).str(), L"");
    EXPECT_EQ(server.FunctionType(0, 3), FunctionTypeUnknown);
    EXPECT_EQ(server.SpectrumIndexByRT(0, 3, 1, FunctionRTProximityClosest), -1);
}

}  // namespace
