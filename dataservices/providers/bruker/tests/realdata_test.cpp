// Real public XMASS datasets: a time-of-flight experiment with its raw and
// processed data against an independent reader's m/z and intensity for
// every point, and an older experiment that holds "acqu" alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
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
