// The data reader on small datasets: scaling, byte order, calibration
// modes, mass limits, processed series in blocks, chromatograms,
// precursors and data-source strings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "brukerdataio.h"
#include "brukertest.h"
#include "massspectrum.h"

using namespace xmass;

namespace {

struct Spectrum {
    bool ok = false;
    std::vector<double> mz;
    std::vector<double> intensity;
    double rt = -1;
};

Spectrum read(CBrukerDataIO& io, LONG scan)
{
    Spectrum s;
    CMassSpectrum spectrum;
    s.ok = io.GetCalibratedSpectrum(scan, spectrum);
    for (LONG i = 0; i < spectrum.GetCount(); ++i) {
        s.mz.push_back(spectrum.Masses()[i]);
        s.intensity.push_back(spectrum.Intensities()[i]);
    }
    s.rt = spectrum.GetStartRT();
    return s;
}

// One 1D experiment "1" with raw data and processing 1.
Tree oneExperiment(const Params& acqus, const std::vector<int32_t>& fid, const Params& procs = {},
                   const std::vector<int32_t>& processed = {}, const std::string& sptype = "icr")
{
    Tree t("ds");
    t.Experiment("1", acqus, sptype, Int32s(fid));
    if (!procs.empty())
        t.Processing("1", "1", procs, "", Int32s(processed));
    return t;
}

TEST(XmassDataIO, RawDataKeepsEveryPointWithItsNumber)
{
    const Tree t = oneExperiment({{"$TD", "5"}, {"$BYTORDA", "0"}, {"$MW_low", "3"}, {"$MW_high", "4"}},
                                 {10, -20, 30, 40, 50});
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"1", L""));
    EXPECT_EQ(io.GetKind(), CBrukerDataIO::RawData);
    EXPECT_EQ(io.GetCalibrationMode(), 6);
    EXPECT_EQ(io.ScanCount(), 1);
    EXPECT_EQ(io.GetTitle(), L"ICR acquired data");
    EXPECT_EQ(io.GetDataSource(), L"KSBrukerProvider.KSBrukerProvider; " + t.WRoot() + L"; 1; ");
    const Spectrum s = read(io, 1);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.mz, (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_EQ(s.intensity, (std::vector<double>{10, -20, 30, 40, 50}));
    EXPECT_EQ(s.rt, 1.0);  // no scan interval: the scan number
}

TEST(XmassDataIO, ScalingByNC)
{
    struct Case {
        const char* nc;
        int32_t stored;
        double expected;
    } cases[] = {
        {"-2", 400, 100},       {"3", 400, 400},    {"0", 400, 400},          {"-19", 166199296, 317},
        {"-1", -7, -3.5},       {"-2147483648", 400, 0}, {"abc", 400, 400},
    };
    for (const Case& c : cases) {
        const Tree t = oneExperiment({{"$TD", "1"}, {"$BYTORDA", "0"}, {"$NC", c.nc}}, {c.stored});
        CBrukerDataIO io;
        ASSERT_TRUE(io.Open(t.WRoot(), L"1", L"")) << c.nc;
        EXPECT_EQ(read(io, 1).intensity, std::vector<double>{c.expected}) << c.nc;
    }
}

TEST(XmassDataIO, ProcessedDataScalesByItsOwnNC)
{
    const Tree t = oneExperiment({{"$TD", "1"}, {"$BYTORDA", "0"}, {"$NC", "-5"}, {"$Calmet", "2"},
                                  {"$ML2", "0"}, {"$ML3", "7"}},
                                 {1}, {{"$SI", "1"}, {"$BYTORDP", "0"}, {"$NC_proc", "-1"}}, {64});
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"1", L"1"));
    const Spectrum s = read(io, 1);
    EXPECT_EQ(s.mz, std::vector<double>{7});  // mode 2 with one point: ML3
    EXPECT_EQ(s.intensity, std::vector<double>{32});
}

TEST(XmassDataIO, ByteOrder)
{
    Tree t("ds");
    t.Experiment("1", {{"$TD", "2"}, {"$BYTORDA", "1"}}, "icr", std::string("\0\0\1\0\xff\xff\xff\xfe", 8));
    t.Experiment("2", {{"$TD", "2"}, {"$BYTORDA", "0"}}, "icr", std::string("\0\0\1\0\xfe\xff\xff\xff", 8));
    t.Experiment("3", {{"$TD", "2"}}, "icr", std::string(8, '\0'));                           // no byte order
    t.Experiment("4", {{"$TD", "2"}, {"$BYTORDA", "2"}}, "icr", std::string(8, '\0'));      // not 0 or 1
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"1", L""));
    EXPECT_EQ(read(io, 1).intensity, (std::vector<double>{256, -2}));
    ASSERT_TRUE(io.Open(t.WRoot(), L"2", L""));
    EXPECT_EQ(read(io, 1).intensity, (std::vector<double>{65536, -2}));
    EXPECT_FALSE(io.Open(t.WRoot(), L"3", L""));
    EXPECT_FALSE(io.Open(t.WRoot(), L"4", L""));
    EXPECT_FALSE(io.IsOpen());
}

// A processed 1D experiment of n points (all 1) with these acquisition
// parameters; the spectrum read from it.
Spectrum calibrated(const Params& acquisition, int n, const std::string& sptype = "icr", const Params& extraProc = {})
{
    Params acqus = acquisition;
    acqus.push_back({"$TD", std::to_string(n)});
    acqus.push_back({"$BYTORDA", "0"});
    Params procs = {{"$SI", std::to_string(n)}, {"$BYTORDP", "0"}};
    procs.insert(procs.end(), extraProc.begin(), extraProc.end());
    const Tree t = oneExperiment(acqus, std::vector<int32_t>(n, 1), procs, std::vector<int32_t>(n, 1), sptype);
    CBrukerDataIO io;
    EXPECT_TRUE(io.Open(t.WRoot(), L"1", L"1"));
    return read(io, 1);
}

TEST(XmassCalibration, Mode0ReciprocalFrequency)
{
    const Spectrum s = calibrated({{"$Calmet", "0"}, {"$ML1", "100000"}, {"$ML2", "0"}, {"$SW", "1000"}}, 1001);
    ASSERT_TRUE(s.ok);
    ASSERT_EQ(s.mz.size(), 1000u);  // point 1000 (f = 0) ends the spectrum
    EXPECT_DOUBLE_EQ(s.mz[0], 100);
    EXPECT_DOUBLE_EQ(s.mz[999], 100000);
    for (size_t i = 1; i < s.mz.size(); ++i)
        ASSERT_GT(s.mz[i], s.mz[i - 1]);
}

TEST(XmassCalibration, Mode0ProcessingSweepWidthAndLowFrequency)
{
    // "$SW_p" of the processing replaces "$SW"; FR_low shifts every
    // frequency unless the detection mode is 1.
    const Params acq = {{"$Calmet", "0"}, {"$ML1", "1000"}, {"$SW", "999"}, {"$FR_low", "10"}};
    Spectrum s = calibrated(acq, 3, "icr", {{"$SW_p", "20"}});
    EXPECT_EQ(s.mz, (std::vector<double>{1000.0 / 30, 1000.0 / 20, 1000.0 / 10}));
    Params dm1 = acq;
    dm1.push_back({"$DM", "1"});
    s = calibrated(dm1, 3, "icr", {{"$SW_p", "20"}});
    EXPECT_EQ(s.mz, (std::vector<double>{1000.0 / 20, 1000.0 / 10}));  // f = 0 ends
}

TEST(XmassCalibration, Mode1QuadraticRootsByTilt)
{
    // m is a root of x m^2 + ML1 m + ML3 = 0 with x = ML2 - f; "yes" takes
    // one root, "no" (and a missing "$TILT") the other, which for a small
    // ML3 is close to ML1 / (f - ML2) (negative for the last point, where
    // f < ML2, and skipped there).
    const double ML1 = 1e5, ML2 = 5, ML3 = -0.01;
    const int n = 11;
    for (const char* tilt : {"yes", "no", ""}) {
        Params acq = {{"$Calmet", "1"}, {"$ML1", "100000"}, {"$ML2", "5"}, {"$ML3", "-0.01"}, {"$SW", "1000"}};
        const Params proc = *tilt ? Params{{"$TILT", tilt}} : Params{};
        const Spectrum s = calibrated(acq, n, "icr", proc);
        ASSERT_TRUE(s.ok);
        ASSERT_EQ(s.mz.size(), static_cast<size_t>(tilt == std::string("yes") ? 11 : 10)) << tilt;
        for (size_t i = 0; i < s.mz.size(); ++i) {
            const double f = (n - static_cast<double>(i) - 1) * 100;
            const double x = ML2 - f;
            const double m = s.mz[i];
            if (x == 0) {
                EXPECT_EQ(m, 0) << tilt;
                continue;
            }
            // The "yes" root suffers cancellation: compare with the size of the terms.
            const double scale = std::fabs(x) * m * m + ML1 * std::fabs(m) + std::fabs(ML3);
            EXPECT_NEAR((x * m * m + ML1 * m + ML3) / scale, 0, 1e-4) << tilt << " " << i;
            if (std::string(tilt) != "yes") {
                EXPECT_NEAR(m, ML1 / (f - ML2), 1e-3) << tilt << " " << i;
            }
        }
    }
}

TEST(XmassCalibration, Modes2And3)
{
    Spectrum s = calibrated({{"$Calmet", "2"}, {"$ML2", "400"}, {"$ML3", "100"}}, 5);
    EXPECT_EQ(s.mz, (std::vector<double>{100, 200, 300, 400, 500}));
    s = calibrated({{"$Calmet", "3"}, {"$ML1", "1000"}, {"$ML2", "1"}, {"$ML3", "400"}, {"$FR_low", "10"}}, 3);
    EXPECT_EQ(s.mz, (std::vector<double>{52, 105}));  // f = 20, 10, then 0 ends
}

TEST(XmassCalibration, TimeOfFlightModes4And5)
{
    // |ML3| below 1e-32: mode 4, m = ML1 t^2 / 1e12 with t = i DW + DELAY -
    // ML2, negative before ML2 (and then below the low limit 0).
    Spectrum s = calibrated({{"$ML1", "1e12"}, {"$ML2", "2"}, {"$ML3", "1e-40"}, {"$DW", "1"}, {"$DELAY", "0"},
                             {"$MW_high", "2"}},
                            5, "tof");
    EXPECT_EQ(s.mz, (std::vector<double>{0, 1, 4}));  // "$MW_high" is not a limit for time of flight
    // Mode 5 with A = 1: m = ((sqrt(1 + 4 t) - 1) / 2)^2 for t = -0.2 i;
    // the negative root at i = 2 ends the spectrum.
    s = calibrated({{"$ML1", "1e12"}, {"$ML2", "0"}, {"$ML3", "1"}, {"$DW", "-0.2"}, {"$DELAY", "0"}}, 5, "tof");
    ASSERT_EQ(s.mz.size(), 2u);
    EXPECT_EQ(s.mz[0], 0);
    EXPECT_NEAR(s.mz[1], std::pow((std::sqrt(0.2) - 1) / 2, 2), 1e-12);
}

TEST(XmassCalibration, ModeFromParameters)
{
    struct Case {
        Params acq;
        const char* sptype;
        LONG mode;
    } cases[] = {
        {{{"$Calmet", "3"}}, "icr", 3},
        {{}, "icr", 6},                                 // no "$Calmet"
        {{{"$Calmet", "7"}}, "icr", 6},                 // not 0 to 3
        {{{"$Calmet", "0"}, {"$ML3", "0"}}, "tof", 4},  // time of flight ignores "$Calmet"
        {{{"$Calmet", "0"}, {"$ML3", "-1e-3"}}, "TOF", 5},
    };
    for (const Case& c : cases) {
        Params acqus = c.acq;
        acqus.push_back({"$TD", "1"});
        acqus.push_back({"$BYTORDA", "0"});
        const Tree t = oneExperiment(acqus, {1}, {{"$SI", "1"}, {"$BYTORDP", "0"}}, {1}, c.sptype);
        CBrukerDataIO io;
        ASSERT_TRUE(io.Open(t.WRoot(), L"1", L"1"));
        EXPECT_EQ(io.GetCalibrationMode(), c.mode);
        ASSERT_TRUE(io.Open(t.WRoot(), L"1", L""));
        EXPECT_EQ(io.GetCalibrationMode(), 6);  // raw data
    }
}

TEST(XmassCalibration, MassLimits)
{
    const Spectrum s = calibrated({{"$Calmet", "2"}, {"$ML2", "400"}, {"$ML3", "100"}, {"$MW_low", "250"},
                                   {"$MW_high", "420"}},
                                  5);
    EXPECT_EQ(s.mz, (std::vector<double>{300, 400}));  // 500 above the high limit ends the spectrum
}

// A processed series of 4 scans of 4 points stored in blocks of 2 x 2:
// value = 10 x scan + point (0-based).
TEST(XmassDataIO, ProcessedSeriesInBlocks)
{
    std::vector<int32_t> blocks;
    for (int q = 0; q < 2; ++q)
        for (int b = 0; b < 2; ++b)
            for (int r = 0; r < 2; ++r)
                for (int c = 0; c < 2; ++c)
                    blocks.push_back(10 * (2 * q + r) + 2 * b + c);
    Tree t("ds");
    t.Experiment("3.ser", {{"$TD", "4"}, {"$NF", "4"}, {"$BYTORDA", "0"}, {"$Calmet", "2"}, {"$ML2", "3"}},
                 "icr", Int32s(std::vector<int32_t>(16, 0)));
    t.Processing("3.ser", "1", {{"$SI", "4"}, {"$XDIM", "2"}, {"$BYTORDP", "1"}}, "", Int32s(blocks, true));
    t.Params("3.ser/pdata/1/proc2", {});
    t.Params("3.ser/pdata/1/proc2s", {{"$XDIM", "2"}});
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"3", L"1"));
    EXPECT_TRUE(io.IsSeries());
    ASSERT_EQ(io.ScanCount(), 4);
    for (LONG scan = 1; scan <= 4; ++scan) {
        const Spectrum s = read(io, scan);
        ASSERT_TRUE(s.ok);
        const double base = 10.0 * (scan - 1);
        EXPECT_EQ(s.intensity, (std::vector<double>{base, base + 1, base + 2, base + 3})) << scan;
        EXPECT_EQ(s.mz, (std::vector<double>{0, 1, 2, 3}));
    }
    EXPECT_FALSE(read(io, 5).ok);

    // Blocks that do not fit the file or the scan cannot be read.
    for (const Params& procs : {Params{{"$SI", "4"}, {"$XDIM", "0"}, {"$BYTORDP", "1"}},
                                Params{{"$SI", "4"}, {"$XDIM", "3"}, {"$BYTORDP", "1"}},
                                Params{{"$SI", "8"}, {"$XDIM", "2"}, {"$BYTORDP", "1"}}}) {
        t.Params("3.ser/pdata/1/procs", procs);
        EXPECT_FALSE(io.Open(t.WRoot(), L"3", L"1"));
    }
    t.Params("3.ser/pdata/1/procs", {{"$SI", "4"}, {"$XDIM", "2"}, {"$BYTORDP", "1"}});
    t.Params("3.ser/pdata/1/proc2s", {{"$XDIM", "0"}});
    EXPECT_FALSE(io.Open(t.WRoot(), L"3", L"1"));
}

TEST(XmassDataIO, SeriesChromatogramWithScanInterval)
{
    Tree t("ds");
    t.Experiment("2.ser", {{"$TD", "2"}, {"$NF", "3"}, {"$BYTORDA", "0"}, {"$GCT", "0.5"}}, "icr",
                 Int32s({1, 2, 3, 4, 5, 6}));
    t.Experiment("4.ser", {{"$TD", "2"}, {"$NF", "2"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2, 3, 4}));
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"2", L""));
    EXPECT_DOUBLE_EQ(io.GetScanInterval(), 2.0);
    LONG count = 0;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.TIC(count, times, sums));
    EXPECT_EQ(count, 3);
    ASSERT_EQ(times.size(), 3u);
    EXPECT_DOUBLE_EQ(times[0], 0);
    EXPECT_DOUBLE_EQ(times[2], 2.0 * 2 / 60);
    EXPECT_EQ(sums, (std::vector<double>{3, 7, 11}));

    ASSERT_TRUE(io.Open(t.WRoot(), L"4.ser", L""));  // no "$GCT": the scan numbers
    ASSERT_TRUE(io.TIC(count, times, sums));
    EXPECT_EQ(times, (std::vector<double>{1, 2}));
}

TEST(XmassDataIO, Precursors)
{
    struct Case {
        const char* pi;
        bool ok;
        std::vector<double> masses;
    } cases[] = {
        {"512.3 100 100 100", true, {512.3}},
        {"512.3 600.25 100 700", true, {512.3, 600.25, 700}},
        {"100 100 100 100.0", true, {}},
        {"512.3 100 100", false, {}},
        {"512.3 abc 100 100", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        Tree t("ds");
        std::string acqus = ParameterText({{"$TD", "1"}, {"$BYTORDA", "0"}});
        if (*c.pi)
            acqus += "##$PI= (0..3)\r\n" + std::string(c.pi) + "\r\n";
        t.File("1/acqu", "");
        t.File("1/acqus", acqus);
        t.File("1/fid", Int32s({1}));
        CBrukerDataIO io;
        ASSERT_TRUE(io.Open(t.WRoot(), L"1", L""));
        std::vector<double> masses{-1};
        EXPECT_EQ(io.ReadPrecursors(masses), c.ok) << c.pi;
        EXPECT_EQ(masses, c.masses) << c.pi;
    }
}

TEST(XmassDataSource, ParseAndFormat)
{
    const std::wstring cls = L"KSBrukerProvider.KSBrukerProvider";
    struct Case {
        std::wstring text;
        bool accepted;
        std::wstring folder, expno, procno;
    } cases[] = {
        {cls + L"; /data/ds; 2; 1", true, L"/data/ds", L"2", L"1"},
        {L"ksbrukerprovider.KSBRUKERPROVIDER; /data/ds; 2; ", true, L"/data/ds", L"2", L""},
        {cls + L"; /data/ds", true, L"/data/ds", L"", L""},
        {cls + L";/data/ds;;1", true, L"/data/ds", L"", L""},  // an empty field ends the reading
        {cls + L";\t /a b ; 3.ser;1;x", true, L"/a b ", L"3.ser", L"1"},
        {cls, true, L"", L"", L""},
        {L"KSTextProvider.KSTextProvider; /data/ds; 2; 1", false, L"", L"", L""},
        {cls + L" ; /data/ds; 2; 1", false, L"", L"", L""},
        {L"; /data/ds", false, L"", L"", L""},
        {L"", false, L"", L"", L""},
        {cls + L"; " + std::wstring(259, L'a'), true, std::wstring(259, L'a'), L"", L""},
        {cls + L"; " + std::wstring(260, L'a'), false, L"", L"", L""},
        {cls + L"; " + std::wstring(250, L'a') + L"; " + std::wstring(232, L'b'), true, std::wstring(250, L'a'),
         std::wstring(232, L'b'), L""},  // 519 characters
        {cls + L"; " + std::wstring(250, L'a') + L"; " + std::wstring(233, L'b'), false, L"", L"", L""},
    };
    for (const Case& c : cases) {
        BrukerDataSource source;
        EXPECT_EQ(ParseDataSource(c.text, source), c.accepted) << c.text.size();
        if (!c.accepted)
            continue;
        EXPECT_EQ(source.folder, c.folder);
        EXPECT_EQ(source.expno, c.expno);
        EXPECT_EQ(source.procno, c.procno);
    }
    BrukerDataSource back;
    ASSERT_TRUE(ParseDataSource(FormatDataSource(L"/d s", L"3.ser", L"2"), back));
    EXPECT_EQ(back.folder, L"/d s");
    EXPECT_EQ(back.expno, L"3.ser");
    EXPECT_EQ(back.procno, L"2");
    EXPECT_EQ(FormatDataSource(L"/d", L"1", L""), cls + L"; /d; 1; ");
}

TEST(XmassDataIO, ReadSpectrumFromSource)
{
    const Tree t = oneExperiment({{"$TD", "3"}, {"$BYTORDA", "0"}}, {5, 6, 7});
    CBrukerDataIO io;
    CMassSpectrum spectrum;
    const std::wstring source = FormatDataSource(t.WRoot(), L"1", L"");
    EXPECT_TRUE(io.ReadSpectrumFromSource(source, L" 1 ", spectrum));
    EXPECT_EQ(spectrum.GetCount(), 3);
    EXPECT_FALSE(io.IsOpen());  // closed again
    EXPECT_EQ(io.GetDataSource(), source);
    for (const wchar_t* scan : {L"0", L"2", L"-1", L"abc", L""})
        EXPECT_FALSE(io.ReadSpectrumFromSource(source, scan, spectrum)) << scan;
    EXPECT_FALSE(io.ReadSpectrumFromSource(L"Other; " + t.WRoot() + L"; 1; ", L"1", spectrum));
    EXPECT_FALSE(io.ReadSpectrumFromSource(FormatDataSource(t.WRoot(), L"9", L""), L"1", spectrum));
    // Only the class name and a folder: the folder is the experiment.
    EXPECT_TRUE(io.ReadSpectrumFromSource(std::wstring(kBrukerClassName) + L"; " + t.WPath("1"), L"1", spectrum));
}

TEST(XmassDataIO, AcquisitionWithoutStatusFile)
{
    Tree t("ds");
    t.Params("1SLin/acqu", {{"$TD", "2"}, {"$BYTORDA", "0"}});
    t.File("1SLin/fid", Int32s({3, 4}));
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"1SLin", L""));
    EXPECT_EQ(read(io, 1).intensity, (std::vector<double>{3, 4}));
}

// A reader opened again from the layout an open took from the parameter
// files reads what the first read, without the files; the data file is
// checked again, so one that shrank since is refused.
TEST(XmassDataIO, OpenAgainFromTheLayout)
{
    Tree t("ds");
    t.Experiment("2.ser", {{"$TD", "2"}, {"$NF", "3"}, {"$BYTORDA", "0"}, {"$GCT", "0.5"}, {"$PI", "512.3 100 100 100"}},
                 "icr", Int32s({1, 2, 3, 4, 5, 6}));
    CBrukerDataIO first;
    ASSERT_TRUE(first.Open(t.WRoot(), L"2", L""));
    CBrukerDataIO again;
    ASSERT_TRUE(again.Open(first.Layout()));
    EXPECT_EQ(again.ScanCount(), 3);
    EXPECT_EQ(again.GetDataSource(), first.GetDataSource());
    for (LONG scan = 1; scan <= 3; ++scan) {
        const Spectrum a = read(first, scan);
        const Spectrum b = read(again, scan);
        ASSERT_TRUE(b.ok);
        EXPECT_EQ(b.intensity, a.intensity);
        EXPECT_EQ(b.mz, a.mz);
        EXPECT_EQ(b.rt, a.rt);
    }
    std::vector<double> precursors{1};
    EXPECT_FALSE(again.ReadPrecursors(precursors));  // no parameters read

    const BrukerExperimentLayout layout = first.Layout();
    first.Reset();
    t.File("2.ser/ser", Int32s({1, 2, 3, 4}));  // two scans of three
    EXPECT_FALSE(again.Open(layout));
    EXPECT_FALSE(again.IsOpen());
    EXPECT_EQ(again.GetDataSource(), L"");
}

TEST(XmassDataIO, EveryOpenStartsFromTheResetState)
{
    Tree t("ds");
    t.Experiment("1", {{"$TD", "1"}, {"$BYTORDA", "0"}, {"$NC", "-1"}, {"$Calmet", "2"}, {"$ML3", "9"}}, "icr",
                 Int32s({8}));
    t.Processing("1", "1", {{"$SI", "1"}, {"$BYTORDP", "0"}, {"$NC_proc", "-2"}, {"$TI", "<proc title>"}}, "",
                 Int32s({8}));
    t.Experiment("2", {{"$TD", "1"}, {"$BYTORDA", "0"}}, "icr", Int32s({8}));
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(t.WRoot(), L"1", L"1"));
    EXPECT_EQ(io.GetTitle(), L"proc title");
    EXPECT_EQ(read(io, 1).intensity, std::vector<double>{2});
    ASSERT_TRUE(io.Open(t.WRoot(), L"2", L""));
    EXPECT_EQ(io.GetCalibrationMode(), 6);
    EXPECT_EQ(io.GetProcno(), L"");
    EXPECT_EQ(read(io, 1).intensity, std::vector<double>{8});
    EXPECT_FALSE(io.Open(t.WRoot(), L"9", L""));
    EXPECT_EQ(io.GetDataSource(), L"");
    EXPECT_EQ(io.ScanCount(), 0);
}

}  // namespace
