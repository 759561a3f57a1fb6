// Report boxes of the measurements and filters (mode 0x10).
#include "dpitest.h"
#include "frame.h"
#include "modalhelper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace yarbex;
using yarbex::test::DpiFixture;
using yarbex::test::BoxAnswers;

namespace {

class ReportTest : public DpiFixture {
protected:
    void TearDown() override
    {
        DpiFixture::TearDown();
        dllCommand(8, nullptr);
    }
};

}  // namespace

TEST_F(ReportTest, StatisticsBoxRealAndComplex)
{
    std::vector<float> data = {1, 5, -7, 5};
    setData(data, 4, KindReal);
    dpi->mode = ModeReport;
    BoxAnswers answer;
    answer.next();
    answer.next();
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    ASSERT_EQ(dpi->instanceCommand(49), 0u);  // cached, same box
    ASSERT_EQ(answer.seen().size(), 2u);
    const std::string expected =
        "Number of points:\t4\n\nARRAY STATISTICS of REAL part:\n   Maximum:\t5.0000e+00 at point 1\n"
        "   Minimum:\t-7.0000e+00 at point 2\n   Total rms:\t5.0000e+00\n   Variance:\t2.4000e+01\n"
        "   Variation:\t2.8000e+01";
    EXPECT_EQ(answer.seen()[0].title, "Data Processing");
    EXPECT_EQ(answer.seen()[0].icon, QMessageBox::Information);
    EXPECT_EQ(answer.seen()[0].text, expected);
    EXPECT_EQ(answer.seen()[1].text, expected);

    std::vector<float> pairs = {1, 0, 5, 0, -7, 1, 5, 0};
    setData(pairs, 4, KindComplex);
    answer.next();
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    ASSERT_EQ(answer.seen().size(), 3u);
    EXPECT_NE(answer.seen()[2].text.find(expected + "\n\nARRAY STATISTICS of IMAGINARY part:\n   Maximum:\t1.0000e+00 "
                                                  "at point 2"),
              std::string::npos)
        << answer.seen()[2].text;
}

TEST_F(ReportTest, NoiseAndLineWidthBoxes)
{
    const uint32_t n = 1024;
    std::vector<float> data(n);
    for (uint32_t i = 0; i < n; ++i)
        data[i] = float(100.0 / (1 + std::pow((i - 400.0) / 4, 2)) + std::sin(i * 1.7));
    setData(data, n, KindReal);
    dpi->mode = ModeReport;
    BoxAnswers answer;
    answer.next();
    answer.next();
    ASSERT_EQ(dpi->instanceCommand(50), 0u);
    ASSERT_EQ(dpi->instanceCommand(51), 0u);
    ASSERT_EQ(answer.seen().size(), 2u);
    char text[256];
    std::snprintf(text, sizeof text, "NOISE standard deviations:\nReal part\t %10.3g\nImag part\t %10.3g",
                  work(WkNoiseReal).value, 0.0);
    EXPECT_EQ(answer.seen()[0].text, text);
    const double w = work(WkLineWidth).value;
    std::snprintf(text, sizeof text, "Mean linewidth [points]:%10.3g\nMean T2_star [1/points]:%10.3g", w,
                  1 / (w * M_PI));
    EXPECT_EQ(answer.seen()[1].text, text);
}

TEST_F(ReportTest, SmoothingReportsOnceAndClearsTheBit)
{
    const uint32_t n = 512;
    std::vector<float> data(n);
    for (uint32_t i = 0; i < n; ++i)
        data[i] = float(50.0 / (1 + std::pow((i - 200.0) / 5, 2)));
    setData(data, n, KindReal);
    setDouble(0, 1.0);
    dpi->mode = ModeReport;
    BoxAnswers answer;
    answer.next();
    ASSERT_EQ(dpi->instanceCommand(131), 0u);
    EXPECT_EQ(dpi->mode & ModeReport, 0u);
    ASSERT_EQ(answer.seen().size(), 1u);  // the line width it measured showed none
    char text[256];
    std::snprintf(text, sizeof text, "Savitsky-Golay:\nDerivative: 0\nOrder: %u\nPoints: %u\nNoise factor:%10.3g",
                  unsigned(work(WkOrder).words.second), unsigned(work(WkPoints2).words.second),
                  work(WkNoiseFactor).value);
    EXPECT_EQ(answer.seen()[0].text, text);

    dpi->mode = ModeReport;
    setInt(0, 2);
    answer.next();
    ASSERT_EQ(dpi->instanceCommand(132), 0u);
    ASSERT_EQ(answer.seen().size(), 2u);
    EXPECT_EQ(answer.seen()[1].text.rfind("Resolution Booster:\nOrder: 5\nPoints: ", 0), 0u) << answer.seen()[1].text;
}

TEST_F(ReportTest, MeasurementFailuresAreReportedOnce)
{
    std::vector<float> flat(64, 2.0f);
    setData(flat, 64, KindReal);
    dllCommand(8, nullptr);
    BoxAnswers answer;
    answer.next();
    EXPECT_EQ(dllCommand(51, dpi), 0x80000001u);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, "VqDll");
    EXPECT_EQ(answer.seen()[0].text, "Can't load DLL");
}

TEST_F(ReportTest, PeakPickingReports)
{
    const uint32_t n = 1024;
    std::vector<float> data(n);
    for (uint32_t i = 0; i < n; ++i)
        data[i] = float(80.0 / (1 + std::pow((i - 300.0) / 3, 2)) + 40.0 / (1 + std::pow((i - 700.0) / 4, 2)));
    setData(data, n, KindReal);
    setDouble(0, 1.0);
    setDouble(1, 0.02);
    dpi->mode = ModeReport;
    BoxAnswers answer;
    answer.next();
    answer.next();
    ASSERT_EQ(dpi->instanceCommand(161), 0u);
    dpi->mode = ModeReport;
    ASSERT_EQ(dpi->instanceCommand(161), 0u);  // the existing list only
    ASSERT_EQ(answer.seen().size(), 2u);
    EXPECT_EQ(answer.seen()[0].text, "2 peaks detected:");
    EXPECT_EQ(answer.seen()[1].text, "2 peaks detected:");
    EXPECT_EQ(answer.seen()[0].title, "Data Processing");

    // The simple pick reports its counts (real part only here).
    dpi->mode = ModeReport | ModeRealOnly;
    answer.next();
    ASSERT_EQ(dpi->instanceCommand(10011), 0u);
    ASSERT_EQ(answer.seen().size(), 3u);
    EXPECT_EQ(answer.seen().back().text, "Simple Peaks-Pick:\nMaxima: 2\nMinima:  1");
}
