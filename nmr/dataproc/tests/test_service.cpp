// The service command and the peak commands on an instance.
#include "dpitest.h"
#include "frame.h"
#include "peak.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

using namespace yarbex;
using yarbex::test::DpiFixture;

namespace {

class ServiceTest : public DpiFixture {
protected:
    void SetUp() override
    {
        DpiFixture::SetUp();
        dllCommand(FrameDelete, nullptr);
        VersionRecord v{};
        dllCommand(FrameVersion, &v);  // a frame to report through
    }
    void TearDown() override
    {
        DpiFixture::TearDown();
        dllCommand(FrameDelete, nullptr);
    }
    ResultCode service(uint32_t sub)
    {
        setDouble(0, sub);
        return dpi->instanceCommand(0xFFFFFFFFu);
    }
    std::vector<float> lines(uint32_t n, std::initializer_list<std::array<double, 3>> spec)
    {
        std::vector<float> y(n);
        for (uint32_t i = 0; i < n; ++i) {
            double v = 0;
            for (const auto& l : spec)
                v += l[2] / (1 + std::pow(2 * (i - l[0]) / l[1], 2));
            y[i] = float(v);
        }
        return y;
    }
};

}  // namespace

TEST_F(ServiceTest, UnknownSubCodeIsReported)
{
    std::vector<float> data(8, 1.0f);
    setData(data, 8, KindReal);
    testing::internal::CaptureStderr();
    EXPECT_EQ(service(4242), 0x80000006u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Unknown command"), std::string::npos);
}

TEST_F(ServiceTest, PolynomialBaseline)
{
    // Largest magnitude 2; degree 0 with P1 = 0.5 adds 1 and subtracts 1.
    std::vector<float> pairs = {2, 0, 1, 1, 0, -1, 0.5f, 0.5f};
    setData(pairs, 4, KindComplex);
    setDouble(0, 0);
    setDouble(1, 0.5);
    ASSERT_EQ(dpi->service(10000), 0u);
    ASSERT_NE(dpi->realOutput, nullptr);
    EXPECT_EQ(std::vector<float>(dpi->realOutput, dpi->realOutput + 8),
              (std::vector<float>{3, -1, 2, 0, 1, -2, 1.5f, -0.5f}));

    // Degree 1: b(t) = P1 + P2 t with t from -1 to 1.
    dpi->instanceCommand(33);
    setData(pairs, 4, KindComplex);
    setDouble(0, 1);
    setDouble(1, 0);
    setDouble(2, 0.5);
    ASSERT_EQ(dpi->service(10000), 0u);
    EXPECT_FLOAT_EQ(dpi->realOutput[0], 2 - 1.0f);  // t = -1
    EXPECT_FLOAT_EQ(dpi->realOutput[6], 0.5f + 1.0f);  // t = 1

    // A degree the parameters cannot hold is refused.
    setDouble(0, 59);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dpi->service(10000), 0x8000000Cu);
    testing::internal::GetCapturedStderr();
}

TEST_F(ServiceTest, OneLineFrequencyAndTimeDomain)
{
    std::vector<float> data(64, 0.0f);
    setData(data, 64, KindReal);
    setDouble(0, 0);
    setDouble(1, 20);
    setDouble(2, 4);
    setDouble(3, 10);
    setDouble(4, 0);
    ASSERT_EQ(dpi->service(10001), 0u);
    EXPECT_FLOAT_EQ(dpi->realOutput[20], 10.0f);
    EXPECT_FLOAT_EQ(dpi->realOutput[22], 5.0f);
    dpi->instanceCommand(33);
    setData(data, 64, KindReal);
    setDouble(0, 0);
    ASSERT_EQ(dpi->service(10002), 0u);
    EXPECT_NEAR(dpi->realOutput[0], M_PI * 4 * 10 / 180.0 / 2, 1e-6);
    // Another line shape is refused.
    dpi->instanceCommand(33);
    setData(data, 64, KindReal);
    setDouble(0, 2);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dpi->service(10001), 0x80000018u);
    testing::internal::GetCapturedStderr();
}

TEST_F(ServiceTest, TestSpectrumLinePositions)
{
    const uint32_t n = 32768;
    std::vector<float> data(n, 0.0f);
    setData(data, n, KindReal);
    setDouble(0, 1);
    ASSERT_EQ(dpi->service(10003), 0u);
    ASSERT_NE(dpi->realOutput, nullptr);
    // k = 0 at 3000 (the first lines crowd there), k = 299 near 29546
    // (amplitude 1/3, width 10).
    EXPECT_GT(dpi->realOutput[3000], 3.0f);
    const double last = std::exp(299.0 * 299 * (std::log(30000.0) - std::log(3000.0)) / 300 / 300 +
                                 std::log(3000.0));
    EXPECT_NEAR(last, 29546, 5);
    const uint32_t k = uint32_t(std::floor(last + 0.5));
    EXPECT_GT(dpi->realOutput[k], 0.25f);
    EXPECT_LT(std::fabs(dpi->realOutput[k - 40]), 0.05f);
    // Before the first line and after the last only noise and tails.
    EXPECT_LT(std::fabs(dpi->realOutput[1000]), 0.05f);
    EXPECT_LT(std::fabs(dpi->realOutput[32000]), 0.05f);

    std::vector<float> small(30000, 0.0f);
    dpi->instanceCommand(33);
    setData(small, 30000, KindReal);
    setDouble(0, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dpi->service(10003), 0x8000000Bu);
    testing::internal::GetCapturedStderr();
}

TEST_F(ServiceTest, SimplePeakPickCounts)
{
    std::vector<float> y = lines(1024, {{200, 6, 50}, {600, 6, -40}, {800, 8, 30}});
    setData(y, 1024, KindReal);
    dpi->mode = ModeRealOnly;
    dpi->parameters->slot[InIntParams].words.first = 0;
    ASSERT_EQ(dpi->instanceCommand(10011), 0u);
    EXPECT_EQ(work(WkPickCounts).words.second, 2u);      // maxima
    EXPECT_EQ(work(WkPickCounts + 1).words.second, 1u);  // minima (the last maximum has no fall after it... )
    ASSERT_NE(dpi->realOutput, nullptr);
    EXPECT_EQ(dpi->realOutput[200], 1.0f);
    EXPECT_EQ(dpi->realOutput[600], -1.0f);
    // Through the service command with P0 as the option: maxima only.
    dpi->instanceCommand(33);
    setData(y, 1024, KindReal);
    dpi->mode = ModeRealOnly;
    setDouble(0, 1);
    EXPECT_EQ(dpi->service(10011), 0u);
    EXPECT_EQ(work(WkPickCounts + 1).words.second, 0u);
}

TEST_F(ServiceTest, PickingModelResidualAndDrawing)
{
    const uint32_t n = 2048;
    std::vector<float> y = lines(n, {{500.3, 6, 100}, {1200.6, 9, 50}});
    setData(y, n, KindReal);
    EXPECT_EQ(dpi->instanceCommand(10013), 18u);  // no model yet
    setDouble(0, 1.0);
    setDouble(1, 0.02);
    setInt(0, 0);
    ASSERT_EQ(dpi->instanceCommand(161), 0u);
    auto* list = cPeak1DList::fromRecord(wordPointer<TPeak1DList>(work(WkPeakList).words.first));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->peakCount, 2u);
    // Picking again without 0x40 keeps the list.
    ASSERT_EQ(dpi->instanceCommand(161), 0u);
    EXPECT_EQ(cPeak1DList::fromRecord(wordPointer<TPeak1DList>(work(WkPeakList).words.first)), list);

    ASSERT_EQ(dpi->instanceCommand(10013), 0u);
    std::vector<float> model(dpi->realOutput, dpi->realOutput + n);
    ASSERT_EQ(dpi->instanceCommand(10014), 0u);
    for (uint32_t i = 0; i < n; i += 7)
        EXPECT_NEAR(model[i] + dpi->realOutput[i], y[i], 1e-3) << i;

    // Drawing one line: nothing given releases, a given line renders.
    ASSERT_EQ(dpi->instanceCommand(163), 0u);
    EXPECT_EQ(work(WkDrawnLine).words.first, 0u);
    cPeak1D line(0, 100, 4, 8, 0, 0, 0, 0, 0);
    line.updateExtent(0.5);
    dpi->parameters->slot[InPeakRecord].words.first = pointerWord(line.record());
    ASSERT_EQ(dpi->instanceCommand(163), 0u);
    auto* drawn = wordPointer<float>(work(WkDrawnLine).words.first);
    ASSERT_NE(drawn, nullptr);
    EXPECT_FLOAT_EQ(drawn[200], 8.0f);
    int32_t first = 0, last = 0;
    line.pointRange(int32_t(n), &first, &last);
    EXPECT_EQ(int32_t(work(WkDrawnRange).words.first), first);
    EXPECT_EQ(int32_t(work(WkDrawnRange).words.second), last);
    dpi->parameters->slot[InPeakRecord].words.first = 0;

    // Without a list: 23 even with a line given.
    DPI* other = nullptr;
    ASSERT_EQ(createDPI(&other), 0u);
    other->parameters->slot[InPeakRecord].words.first = pointerWord(line.record());
    EXPECT_EQ(other->instanceCommand(163), 23u);
    destroyDPI(&other);
}

TEST_F(ServiceTest, IntegralStaircaseAndLineModes)
{
    const uint32_t n = 1024;
    // Areas in the ratio 1 : 3.
    std::vector<float> y = lines(n, {{300, 8, 30}, {700, 8, 90}});
    setData(y, n, KindReal);
    // Through the entry P0 would be the sub-code, read as the width
    // divisor; called directly it keeps its own value.
    setDouble(0, 1.0);
    setDouble(1, 0.02);
    setDouble(2, 0);   // passes
    setDouble(3, 1);   // staircase
    ASSERT_EQ(dpi->service(10016), 0u);
    auto* list = cPeak1DList::fromRecord(wordPointer<TPeak1DList>(work(WkPeakList).words.first));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->peakCount, 2u);
    double areas[2];
    list->firstPeak()->area(&areas[0]);
    list->firstPeak()->nextPeak()->area(&areas[1]);
    const float* out = dpi->realOutput;
    ASSERT_NE(out, nullptr);
    // 0 before the first line, its area up to the second, then the total,
    // scaled so that the top equals the largest model value.
    double modelTop = 0;
    {
        std::vector<double> model(2 * n);
        list->renderWithLineMode(n, model.data(), 0, 0);
        for (uint32_t i = 0; i < n; ++i)
            modelTop = std::max(modelTop, model[i]);
    }
    const double scale = modelTop / (areas[0] + areas[1]);
    EXPECT_FLOAT_EQ(out[100], 0.0f);
    EXPECT_NEAR(out[500], areas[0] * scale, 1e-3 * modelTop);
    EXPECT_NEAR(out[900], (areas[0] + areas[1]) * scale, 1e-3 * modelTop);
    EXPECT_NEAR(areas[1] / areas[0], 3.0, 0.15);

    // Lines drawn as sticks (line mode 1) after the picking.
    dpi->instanceCommand(33);
    setData(y, n, KindReal);
    setDouble(0, 1.0);
    setDouble(1, 0.02);
    setDouble(2, 0);
    setDouble(3, 1);
    setDouble(4, 0);
    ASSERT_EQ(dpi->service(10015), 0u);
    out = dpi->realOutput;
    EXPECT_NEAR(out[300], areas[0], 1e-4);
    EXPECT_EQ(out[301], 0.0f);

    // The drawing steps need a detected list.
    DPI* other = nullptr;
    ASSERT_EQ(createDPI(&other), 0u);
    EXPECT_EQ(other->instanceCommand(10013), 18u);
    destroyDPI(&other);
}
