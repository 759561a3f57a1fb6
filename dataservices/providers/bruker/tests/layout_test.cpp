// The dataset layout: experiment and processing folders, data files,
// listings, the loader and the scan count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brukerlayout.h"
#include "brukertest.h"

using namespace xmass;

namespace {

std::wstring text(const CBruker& b, const wchar_t* name)
{
    std::wstring v;
    b.GetString(name, v);
    return v;
}

// Experiments 1 (processings 1 and 2), 2 (no processing), 3.ser (a series
// with processing 1), 4 (a processing without "procs"), and a folder that
// is no experiment.
Tree sampleDataset()
{
    Tree t("ds");
    t.Experiment("1", {{"$CMT1", "<Sample A>"}, {"$TD", "8"}}, "icr", Int32s(std::vector<int32_t>(8, 1)));
    t.Processing("1", "1", {{"$SI", "8"}}, "first title");
    t.Processing("1", "2", {{"$SI", "8"}});
    t.Experiment("2", {{"$TD", "8"}});
    t.Experiment("3.ser", {{"$NF", "12"}});
    t.Processing("3.ser", "1", {{"$SI", "8"}});
    t.Experiment("4", {});
    t.Params("4/pdata/1/proc", {});
    t.File("notes/readme.txt", "x");
    return t;
}

TEST(XmassLayout, FindExperimentDirectory)
{
    const Tree t = sampleDataset();
    struct Case {
        const char* label;
        std::wstring expno;
        std::wstring procno;
        bool found;
        bool is2D;
        std::string folder;
    } cases[] = {
        {"plain experiment", L"1", L"", true, false, "1"},
        {"series found by its number", L"3", L"", true, true, "3.ser"},
        {"series by its folder name", L"3.ser", L"", true, true, "3.ser"},
        {"processing", L"1", L"2", true, false, "1/pdata/2"},
        {"processing of a series", L"3", L"1", true, true, "3.ser/pdata/1"},
        {"missing processing", L"2", L"1", false, false, ""},
        {"missing experiment", L"9", L"", false, false, ""},
        {"a file is no experiment", L"notes/readme.txt", L"", false, false, ""},
    };
    for (const Case& c : cases) {
        bool is2D = !c.is2D;
        std::wstring folder = L"stale";
        EXPECT_EQ(FindExperimentDirectory(t.WRoot(), c.expno, c.procno, is2D, folder), c.found) << c.label;
        if (c.found) {
            EXPECT_EQ(is2D, c.is2D) << c.label;
            EXPECT_EQ(folder, t.WPath(c.folder)) << c.label;
        }
    }
    // An empty experiment names the folder itself.
    bool is2D = true;
    std::wstring folder;
    EXPECT_TRUE(FindExperimentDirectory(t.WPath("1"), L"", L"", is2D, folder));
    EXPECT_FALSE(is2D);
    EXPECT_EQ(folder, t.WPath("1"));
}

TEST(XmassLayout, SplitProcessedPath)
{
    struct Case {
        std::wstring path;
        bool processed;
        std::wstring folder;
        std::wstring name;
        std::wstring procno;
    } cases[] = {
        {L"/data/ds/2/pdata/1", true, L"/data/ds/", L"2", L"1"},
        {L"C:\\data\\ds\\2\\pdata\\1", true, L"C:/data/ds/", L"2", L"1"},
        {L"/data/ds/3.ser/PData/12/", true, L"/data/ds/", L"3.ser", L"12"},
        {L"/data/ds/2/pdata/1/pdata/3", true, L"/data/ds/2/pdata/", L"1", L"3"},
        {L"/data/ds/2", false, L"/data/ds/", L"2", L""},
        {L"/data/ds/2/fid", false, L"/data/ds/2/", L"fid", L""},
        {L"/data/ds/2/pdata", false, L"/data/ds/2/", L"pdata", L""},
        {L"fid", false, L"", L"fid", L""},
    };
    for (const Case& c : cases) {
        std::wstring folder, name, procno = L"stale";
        EXPECT_EQ(SplitProcessedPath(c.path, folder, name, procno), c.processed) << std::string(c.path.begin(), c.path.end());
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(procno, c.procno);
    }
}

TEST(XmassLayout, LocateDataFile)
{
    Tree t("ds");
    t.File("1/fid", "x");
    t.File("1/pdata/1/1r", "x");
    t.File("3.ser/ser", "x");
    t.File("3.ser/pdata/1/2rr", "x");
    t.File("5/FID", "x");
    t.Folder("6/pdata/1");
    struct Case {
        const char* folder;
        bool found;
        const char* file;
    } cases[] = {
        {"1", true, "1/fid"},           {"1/pdata/1", true, "1/pdata/1/1r"},
        {"3.ser", true, "3.ser/ser"},   {"3.ser/pdata/1", true, "3.ser/pdata/1/2rr"},
        {"5", true, "5/FID"},           {"6/pdata/1", false, ""},
        {"7", false, ""},
    };
    for (const Case& c : cases) {
        std::wstring file;
        EXPECT_EQ(LocateDataFile(t.WPath(c.folder), file), c.found) << c.folder;
        if (c.found) {
            EXPECT_EQ(file, t.WPath(c.file)) << c.folder;
        }
    }
}

TEST(XmassLayout, HasParameterPair)
{
    Tree t("ds");
    t.File("a/ACQU", "");
    t.File("a/acqus", "");
    t.File("b/acqu", "");
    t.Folder("b/acqus");
    t.File("c/proc", "");
    t.File("c/Procs", "");
    EXPECT_TRUE(HasParameterPair(t.WPath("a"), BrukerAcquisitionPair));
    EXPECT_FALSE(HasParameterPair(t.WPath("a"), BrukerProcessingPair));
    EXPECT_FALSE(HasParameterPair(t.WPath("b"), BrukerAcquisitionPair));  // a folder is no parameter file
    EXPECT_TRUE(HasParameterPair(t.WPath("c"), BrukerProcessingPair));
    EXPECT_FALSE(HasParameterPair(t.WPath("missing"), BrukerAcquisitionPair));
}

TEST(XmassLayout, ListExperimentsAndProcessings)
{
    const Tree t = sampleDataset();
    std::vector<std::wstring> list;
    EXPECT_EQ(ListExperiments(t.WRoot(), true, list), 2);
    EXPECT_EQ(list, (std::vector<std::wstring>{L"1", L"3.ser"}));
    EXPECT_EQ(ListExperiments(t.WRoot(), false, list), 4);
    EXPECT_EQ(list, (std::vector<std::wstring>{L"1", L"2", L"3.ser", L"4"}));
    EXPECT_EQ(ListProcessings(t.WRoot(), L"1", list), 2);
    EXPECT_EQ(list, (std::vector<std::wstring>{L"1", L"2"}));
    EXPECT_EQ(ListProcessings(t.WRoot(), L"3", list), 1);
    EXPECT_EQ(ListProcessings(t.WRoot(), L"2", list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(ListProcessings(t.WRoot(), L"4", list), 0);
    EXPECT_EQ(ListExperiments(t.WPath("missing"), false, list), 0);
    EXPECT_EQ(ListExperiments(t.WPath("1/fid"), false, list), 0);
}

TEST(XmassLayout, LoadDatasetParameters)
{
    Tree t("ds");
    t.Experiment("1", {{"$TD", "8"}}, "");
    t.File("1/sptype", " tof\r\n");  // lower-case name, as real datasets have it
    t.Params("1/acqu2", {{"$TD", "4"}});
    t.Params("1/acqu2s", {{"$NC", "3"}});
    t.Processing("1", "1", {{"$SI", "8"}}, "  calibrants  ");

    CBruker acq;
    EXPECT_TRUE(LoadDatasetParameters(t.WRoot(), L"1", L"", false, acq));
    EXPECT_EQ(text(acq, L"KSPath"), t.WPath("1"));
    EXPECT_EQ(text(acq, L"KSDataForm"), L"1D");
    EXPECT_EQ(text(acq, L"KSDataType"), L"TOF");
    EXPECT_EQ(text(acq, L"KSFileName"), L"acqu");
    LONG td = 0;
    EXPECT_TRUE(acq.GetInteger(L"$TD", td));
    EXPECT_EQ(td, 8);

    CBruker second;
    EXPECT_TRUE(LoadDatasetParameters(t.WRoot(), L"1", L"", true, second));
    EXPECT_EQ(text(second, L"KSFileName"), L"acqu2");
    EXPECT_TRUE(second.GetInteger(L"$TD", td));
    EXPECT_EQ(td, 4);

    CBruker proc;
    EXPECT_TRUE(LoadDatasetParameters(t.WRoot(), L"1", L"1", false, proc));
    EXPECT_EQ(text(proc, L"KSPath"), t.WPath("1/pdata/1"));
    EXPECT_EQ(text(proc, L"KSTitle"), L"calibrants");
    EXPECT_EQ(text(proc, L"KSFileName"), L"proc");
    EXPECT_EQ(text(proc, L"KSDataType"), L"");

    CBruker none;
    EXPECT_FALSE(LoadDatasetParameters(t.WRoot(), L"1", L"1", true, none));  // no proc2
    EXPECT_FALSE(LoadDatasetParameters(t.WRoot(), L"2", L"", false, none));
}

TEST(XmassLayout, GetScanCount)
{
    struct Case {
        const wchar_t* form;
        const wchar_t* type;
        const wchar_t* nf;
        LONG count;
    } cases[] = {
        {L"1D", L"ICR", L"12", 1}, {L"2D", L"tof", L"12", 1}, {L"2D", L"ICR", L"12", 12},
        {L"2d", L"", L"5", 5},     {L"2D", L"ICR", L"", 0},   {L"2D", L"ICR", L"-3", 0},
    };
    for (const Case& c : cases) {
        CBruker b;
        b.SetValue(L"KSDataForm", c.form);
        b.SetValue(L"KSDataType", c.type);
        b.SetValue(L"$NF", c.nf);
        EXPECT_EQ(GetScanCount(b), c.count);
    }
}

}  // namespace
