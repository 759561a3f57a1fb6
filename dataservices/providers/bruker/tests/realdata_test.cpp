// Real public XMASS datasets: a time-of-flight experiment with its raw and
// processed data against an independent reader's m/z and intensity for
// every point, and an older experiment that holds "acqu" alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "brukerdataio.h"
#include "brukerlayout.h"
#include "brukertest.h"
#include "massspectrum.h"

using namespace xmass;

namespace {

const char kOpenMS[] = "xmass/openms-XMassFile_test";
const char kFlex[] = "xmass/readBrukerFlexData-2010_05_19_Gibb_C8_A1/0_A1/1";

struct Expected {
    std::vector<double> mz;
    std::vector<double> intensity;
};

// "m/z, intensity" per line.
Expected expectedPoints()
{
    Expected e;
    std::ifstream in(ks::test::realData("xmass/openms-XMassFile_test_data.txt"));
    double mz = 0, intensity = 0;
    char comma = 0;
    while (in >> mz >> comma >> intensity) {
        e.mz.push_back(mz);
        e.intensity.push_back(intensity);
    }
    return e;
}

std::vector<int32_t> littleEndianInts(const std::string& path)
{
    const std::string bytes = ks::test::readFile(path);
    std::vector<int32_t> values;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        uint32_t u = 0;
        for (int k = 3; k >= 0; --k)
            u = (u << 8) | static_cast<unsigned char>(bytes[i + k]);
        values.push_back(static_cast<int32_t>(u));
    }
    return values;
}

std::wstring folderOf(const char* relative)
{
    const std::string path = ks::test::realData(relative);
    return W(path.substr(0, path.rfind('/')));
}

TEST(XmassRealData, ProcessedTimeOfFlightSpectrumMatchesTheIndependentReader)
{
    const Expected expected = expectedPoints();
    ASSERT_EQ(expected.mz.size(), 80478u);

    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(folderOf(kOpenMS), L"openms-XMassFile_test", L"1"));
    EXPECT_TRUE(io.IsTimeOfFlight());  // from the lower-case "sptype"
    EXPECT_EQ(io.GetCalibrationMode(), 5);
    EXPECT_EQ(io.PointsPerScan(), 80478);
    EXPECT_EQ(io.ScanCount(), 1);
    EXPECT_EQ(io.GetAcquisitionDate(), L"2009-10-21 12:51:09");
    std::vector<double> precursors;
    EXPECT_FALSE(io.ReadPrecursors(precursors));  // "$PIEDLY" is not "$PI"

    CMassSpectrum s;
    ASSERT_TRUE(io.GetCalibratedSpectrum(1, s));
    ASSERT_EQ(s.GetCount(), 80478);
    double largest = 0;
    for (LONG i = 0; i < s.GetCount(); ++i) {
        largest = std::max(largest, std::fabs(s.Masses()[i] - expected.mz[i]));
        ASSERT_EQ(s.Intensities()[i], expected.intensity[i]) << i;  // 1r = fid x 2^19, $NC_proc = -19
    }
    EXPECT_LT(largest, 5e-4);
    EXPECT_NEAR(s.Masses()[0], 500.22734, 1e-5);
    EXPECT_NEAR(s.Masses()[80477], 7653.59581, 1e-5);
    EXPECT_DOUBLE_EQ(s.GetTIC(), 11446435);
}

TEST(XmassRealData, RawFidGivesTheSameIntensitiesAtPointNumbers)
{
    const Expected expected = expectedPoints();
    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(folderOf(kOpenMS), L"openms-XMassFile_test", L""));
    EXPECT_EQ(io.GetCalibrationMode(), 6);
    EXPECT_EQ(io.GetTitle(), L"TOF acquired data");
    CMassSpectrum s;
    ASSERT_TRUE(io.GetCalibratedSpectrum(1, s));
    ASSERT_EQ(s.GetCount(), 80478);  // "$TD" points of four bytes: the whole fid
    for (LONG i = 0; i < s.GetCount(); ++i) {
        ASSERT_EQ(s.Masses()[i], i + 1.0);
        ASSERT_EQ(s.Intensities()[i], expected.intensity[i]) << i;
    }
}

TEST(XmassRealData, OlderAcquisitionReadFromAcqu)
{
    const std::wstring dataset = W(ks::test::realData(kFlex));
    const std::vector<int32_t> fid = littleEndianInts(ks::test::realData(std::string(kFlex) + "/1SLin/fid"));
    ASSERT_EQ(fid.size(), 22431u);

    std::vector<std::wstring> listed;
    EXPECT_EQ(ListExperiments(dataset, false, listed), 0);  // listings want "acqus"

    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(dataset, L"1SLin", L""));
    EXPECT_EQ(io.PointsPerScan(), 22431);
    LONG calibration = -1;
    EXPECT_TRUE(io.Acquisition().GetCalibrationMethod(L"$Calmet", calibration));
    EXPECT_EQ(calibration, 0);
    std::wstring comment;
    EXPECT_TRUE(io.Acquisition().GetString(L"$CMT1", comment));
    EXPECT_EQ(comment, L"'Pool';'';'';'';'';''");
    CMassSpectrum s;
    ASSERT_TRUE(io.GetCalibratedSpectrum(1, s));
    ASSERT_EQ(s.GetCount(), 22431);
    for (LONG i = 0; i < s.GetCount(); ++i)
        ASSERT_EQ(s.Intensities()[i], fid[static_cast<size_t>(i)]) << i;
}

// Figures numpy computes from the raw bytes and the parameter values, as
// an independent reference (python3, numpy 1.24):
//   v = numpy.fromfile(fid, "<i4"); len(v), v.sum(), v.max(), v.argmax(), v[0], v[-1]
//   t = numpy.arange(80478) * DW + DELAY; A = 1e12 / ML1
//   mz = ((numpy.sqrt(A - (ML2 - t) * 4 * ML3) - numpy.sqrt(A)) / (2 * ML3)) ** 2
struct Decoded {
    LONG points;
    double sum;
    double largest;
    LONG largestAt;
    double first;
    double last;
};

Decoded decode(const CMassSpectrum& s)
{
    Decoded d{s.GetCount(), 0, -1, -1, 0, 0};
    for (LONG i = 0; i < s.GetCount(); ++i) {
        const double v = s.Intensities()[i];
        d.sum += v;
        if (v > d.largest) {
            d.largest = v;
            d.largestAt = i;
        }
    }
    if (s.GetCount() > 0) {
        d.first = s.Intensities()[0];
        d.last = s.Intensities()[s.GetCount() - 1];
    }
    return d;
}

TEST(XmassRealData, FiguresOfAnIndependentDecoding)
{
    struct Case {
        const char* label;
        std::wstring dataset;
        std::wstring expno;
        std::wstring procno;
        Decoded numpy;
    } cases[] = {
        {"flex fid", W(ks::test::realData(kFlex)), L"1SLin", L"", {22431, 63718223, 32594, 10911, 11278, 37}},
        {"OpenMS fid", folderOf(kOpenMS), L"openms-XMassFile_test", L"", {80478, 11446435, 1610, 16886, 317, 120}},
        // 1r holds the fid x 2^19; numpy: (numpy.fromfile(1r, "<i4") / 2**19 == fid).all()
        {"OpenMS 1r", folderOf(kOpenMS), L"openms-XMassFile_test", L"1", {80478, 11446435, 1610, 16886, 317, 120}},
    };
    for (const Case& c : cases) {
        CBrukerDataIO io;
        ASSERT_TRUE(io.Open(c.dataset, c.expno, c.procno)) << c.label;
        CMassSpectrum s;
        ASSERT_TRUE(io.GetCalibratedSpectrum(1, s)) << c.label;
        const Decoded d = decode(s);
        EXPECT_EQ(d.points, c.numpy.points) << c.label;
        EXPECT_EQ(d.sum, c.numpy.sum) << c.label;
        EXPECT_EQ(d.largest, c.numpy.largest) << c.label;
        EXPECT_EQ(d.largestAt, c.numpy.largestAt) << c.label;
        EXPECT_EQ(d.first, c.numpy.first) << c.label;
        EXPECT_EQ(d.last, c.numpy.last) << c.label;
    }

    CBrukerDataIO io;
    ASSERT_TRUE(io.Open(folderOf(kOpenMS), L"openms-XMassFile_test", L"1"));
    CMassSpectrum s;
    ASSERT_TRUE(io.GetCalibratedSpectrum(1, s));
    ASSERT_EQ(s.GetCount(), 80478);
    const std::pair<LONG, double> mz[] = {{0, 500.2273360338592}, {40000, 2992.3859507591933}, {80477, 7653.595807055913}};
    for (const auto& [i, expected] : mz)
        EXPECT_NEAR(s.Masses()[i], expected, expected * 1e-12) << i;
    double sum = 0;
    for (LONG i = 0; i < s.GetCount(); ++i)
        sum += s.Masses()[i];
    EXPECT_NEAR(sum, 271050163.0305162, 271050163.0 * 1e-12);
}

TEST(XmassRealData, ParameterFilesWithCarriageReturnsAndArrays)
{
    CBruker b;
    ASSERT_TRUE(ReadParameterPair(W(ks::test::realData(std::string(kOpenMS) + "/acqu")), b));
    struct Case {
        const wchar_t* name;
        double value;
    } reals[] = {{L"$ML1", 2602987.3759832}, {L"$ML2", 151.937451822094}, {L"$ML3", -0.0172577826409568},
                 {L"$DW", 0.5},           {L"$DELAY", 14006},       {L"$MW_low", 15},
                 {L"$SW", 0},             {L"$SW_p", 100}};
    for (const Case& c : reals) {
        double v = -1;
        EXPECT_TRUE(b.GetDouble(c.name, v));
        EXPECT_EQ(v, c.value);
    }
    LONG td = 0;
    EXPECT_TRUE(b.GetInteger(L"$TD", td));
    EXPECT_EQ(td, 80478);
    for (const wchar_t* missing : {L"$MW_high", L"$TILT", L"$DM", L"$NF", L"$GCT", L"$PI", L"$CMT1"})
        EXPECT_TRUE(b.Find(missing)->value.empty());
}

}  // namespace
