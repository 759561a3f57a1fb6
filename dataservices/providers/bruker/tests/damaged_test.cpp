// Damaged and inconsistent datasets: the reader refuses them (Open false,
// the reader closed), fails a scan it cannot read whole, and never
// allocates by a size the files do not back.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "brukerdataio.h"
#include "brukertest.h"
#include "massspectrum.h"

using namespace xmass;

namespace {

struct Damage {
    const char* label;
    Params acqus;
    std::string fid;
    bool series = false;
};

TEST(XmassDamaged, InconsistentRawDataIsRefused)
{
    const std::string eight = Int32s({1, 2});
    const Damage cases[] = {
        {"data file shorter than one scan", {{"$TD", "3"}, {"$BYTORDA", "0"}}, eight},
        {"huge point count", {{"$TD", "2147483647"}, {"$BYTORDA", "0"}}, eight},
        {"no point count", {{"$BYTORDA", "0"}}, eight},
        {"zero points", {{"$TD", "0"}, {"$BYTORDA", "0"}}, eight},
        {"negative points", {{"$TD", "-8"}, {"$BYTORDA", "0"}}, eight},
        {"empty data file", {{"$TD", "2"}, {"$BYTORDA", "0"}}, ""},
        {"series longer than the file", {{"$TD", "1"}, {"$NF", "3"}, {"$BYTORDA", "0"}}, eight, true},
        {"huge series", {{"$TD", "1"}, {"$NF", "2147483647"}, {"$BYTORDA", "0"}}, eight, true},
        {"series of no scans", {{"$TD", "1"}, {"$NF", "0"}, {"$BYTORDA", "0"}}, eight, true},
        {"series of negative scans", {{"$TD", "1"}, {"$NF", "-2"}, {"$BYTORDA", "0"}}, eight, true},
        {"byte order missing", {{"$TD", "2"}}, eight},
    };
    for (const Damage& d : cases) {
        Tree t("ds");
        t.Experiment(d.series ? "1.ser" : "1", d.acqus, "icr", d.fid.empty() ? "x" : d.fid);
        if (d.fid.empty())
            t.File("1/fid", "");
        CBrukerDataIO io;
        EXPECT_FALSE(io.Open(t.WRoot(), L"1", L"")) << d.label;
        EXPECT_FALSE(io.IsOpen()) << d.label;
        EXPECT_EQ(io.ScanCount(), 0) << d.label;
        CMassSpectrum s;
        EXPECT_FALSE(io.GetCalibratedSpectrum(1, s)) << d.label;
        LONG count = 0;
        std::vector<double> times, sums;
        EXPECT_FALSE(io.TIC(count, times, sums)) << d.label;
    }
}

TEST(XmassDamaged, MissingOrForeignFiles)
{
    Tree t("ds");
    t.Experiment("1", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr");  // no fid
    t.Experiment("2", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr");
    t.Folder("2/fid");  // a folder where the data file belongs
    t.Experiment("3", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr");
    ASSERT_EQ(::mkfifo(t.Path("3/fid").c_str(), 0600), 0);
    t.File("4/acqus", ParameterText({{"$TD", "2"}, {"$BYTORDA", "0"}}));  // no acqu
    t.File("4/fid", Int32s({1, 2}));
    t.Experiment("5", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2}));  // no processing
    t.Experiment("6", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2}));
    t.Processing("6", "1", {{"$SI", "2"}}, "", Int32s({1, 2}));  // processing without byte order
    t.Experiment("8", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2}));
    t.Params("8/pdata/1/proc", {{"$SI", "2"}, {"$BYTORDP", "0"}});  // no procs: only acquisitions go without
    t.File("8/pdata/1/1r", Int32s({1, 2}));
    t.Experiment("9.ser", {{"$TD", "2"}, {"$NF", "1"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2}));
    t.Processing("9.ser", "1", {{"$SI", "2"}, {"$XDIM", "2"}, {"$BYTORDP", "0"}}, "", Int32s({1, 2}));
    t.Params("9.ser/pdata/1/proc2", {{"$XDIM", "1"}});  // no proc2s
    t.File("7/acqu", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));  // a foreign file
    t.File("7/acqus", std::string(3000, '\xff'));
    t.File("7/fid", Int32s({1, 2}));
    CBrukerDataIO io;
    const auto start = std::chrono::steady_clock::now();
    for (const wchar_t* expno : {L"1", L"2", L"3", L"4", L"7", L"missing"})
        EXPECT_FALSE(io.Open(t.WRoot(), expno, L"")) << expno;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));  // the FIFO is not waited on
    EXPECT_FALSE(io.Open(t.WRoot(), L"5", L"1"));
    EXPECT_FALSE(io.Open(t.WRoot(), L"6", L"1"));
    EXPECT_TRUE(io.Open(t.WRoot(), L"6", L""));
    EXPECT_FALSE(io.Open(t.WRoot(), L"8", L"1"));
    EXPECT_TRUE(io.Open(t.WRoot(), L"8", L""));
    EXPECT_FALSE(io.Open(t.WRoot(), L"9", L"1"));
    t.Params("9.ser/pdata/1/proc2s", {{"$XDIM", "1"}});
    EXPECT_TRUE(io.Open(t.WRoot(), L"9", L"1"));
}

TEST(XmassDamaged, AFileCutAfterOpeningFailsTheScan)
{
    Tree t("ds");
    t.Experiment("1.ser", {{"$TD", "4"}, {"$NF", "2"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2, 3, 4, 5, 6, 7, 8}));
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"1", L""));
    ASSERT_EQ(::truncate(t.Path("1.ser/ser").c_str(), 22), 0);
    CMassSpectrum s;
    EXPECT_TRUE(io.GetCalibratedSpectrum(1, s));
    EXPECT_FALSE(io.GetCalibratedSpectrum(2, s));  // not read whole: no stale or uninitialised values
    EXPECT_FALSE(io.ReadScan(2));
    LONG count = 0;
    std::vector<double> times, sums;
    EXPECT_FALSE(io.TIC(count, times, sums));
}

TEST(XmassDamaged, ScanNumbersOutsideTheExperiment)
{
    Tree t("ds");
    t.Experiment("1", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2, 3, 4}));  // room for two scans
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"1", L""));
    EXPECT_TRUE(io.ReadScan(0));  // reads scan 1
    EXPECT_TRUE(io.ReadScan(-5));
    EXPECT_FALSE(io.ReadScan(2));  // the experiment has one scan
    EXPECT_FALSE(io.ReadScan(INT32_MAX));
    io.Close();
    EXPECT_FALSE(io.ReadScan(1));
}

}  // namespace
