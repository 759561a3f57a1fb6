// Statistics, noise, line width and the extremum tracker.
#include "dpitest.h"
#include "frame.h"
#include "measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace yarbex;
using yarbex::test::DpiFixture;

namespace {

class MeasureTest : public DpiFixture {};

std::vector<float> lorentzian(uint32_t n, double position, double width, double amplitude)
{
    std::vector<float> v(n);
    for (uint32_t i = 0; i < n; ++i) {
        const double t = 2 * (i - position) / width;
        v[i] = float(amplitude / (1 + t * t));
    }
    return v;
}

}  // namespace

TEST_F(MeasureTest, StatisticsOfTheWorkedExample)
{
    std::vector<float> data = {1, 5, -7, 5};
    setData(data, 4, KindReal);
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    const auto* s = wordPointer<ArrayStatistics>(work(WkStatistics).words.first);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->maximum, 5.0);
    EXPECT_EQ(s->maximumPoint, 1u);
    EXPECT_EQ(s->minimum, -7.0);
    EXPECT_EQ(s->minimumPoint, 2u);
    EXPECT_EQ(s->peak, -7.0);
    EXPECT_EQ(s->range, 12.0);
    EXPECT_EQ(s->mean, 1.0);
    EXPECT_EQ(s->rms, 5.0);
    EXPECT_EQ(s->variance, 24.0);
    EXPECT_EQ(s->variation, 28.0);
    EXPECT_EQ(work(WkStatistics).words.second, 0u);  // real data: no imaginary record
    EXPECT_TRUE(dpi->cache & CacheStatistics);
    // Cached: the second run computes nothing.
    data[0] = 50;
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    EXPECT_EQ(wordPointer<ArrayStatistics>(work(WkStatistics).words.first)->maximum, 5.0);
    dpi->mode = ModeRecompute;
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    EXPECT_EQ(wordPointer<ArrayStatistics>(work(WkStatistics).words.first)->maximum, 50.0);
}

TEST_F(MeasureTest, StatisticsOfComplexData)
{
    std::vector<float> data = {1, -1, 5, 2, -7, 4, 5, 0};
    setData(data, 4, KindComplex);
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    const auto* im = wordPointer<ArrayStatistics>(work(WkStatistics).words.second);
    ASSERT_NE(im, nullptr);
    EXPECT_EQ(im->maximum, 4.0);
    EXPECT_EQ(im->maximumPoint, 2u);
    EXPECT_EQ(im->minimum, -1.0);
    EXPECT_EQ(im->variation, 3.0 + 2.0 + 4.0);
    ArrayStatistics s{};
    EXPECT_EQ(arrayStatistics(0, data.empty() ? nullptr : reinterpret_cast<const double*>(&s), &s), 1u);
    EXPECT_EQ(arrayStatistics(3, nullptr, &s), 10u);
}

TEST_F(MeasureTest, NoiseOfGaussianNoise)
{
    const uint32_t n = 65536;
    std::mt19937 rng(42);
    std::normal_distribution<double> g(0.0, 2.0);
    std::vector<float> data(n);
    for (float& v : data)
        v = float(g(rng));
    setData(data, n, KindReal);
    ASSERT_EQ(dpi->instanceCommand(50), 0u);
    EXPECT_NEAR(work(WkNoiseReal).value, 2.0, 0.2);
    EXPECT_EQ(work(WkNoiseImag).value, 0.0);
    EXPECT_TRUE(dpi->cache & CacheNoise);

    // A sloping baseline barely moves the estimate.
    std::vector<double> sloped(n);
    for (uint32_t i = 0; i < n; ++i)
        sloped[i] = data[i] + 0.01 * i;
    double sigma = 0;
    ASSERT_EQ(noiseEstimate(n, sloped.data(), &sigma), 0u);
    EXPECT_NEAR(sigma, 2.0, 0.2);
}

TEST_F(MeasureTest, NoiseOfComplexDataAndTinyArrays)
{
    std::mt19937 rng(7);
    std::normal_distribution<double> g(0.0, 1.0);
    std::vector<float> data(2 * 16384);
    for (size_t k = 0; k < data.size(); ++k)
        data[k] = float(g(rng) * (k % 2 ? 3.0 : 1.0));
    setData(data, 16384, KindComplex);
    ASSERT_EQ(dpi->instanceCommand(50), 0u);
    EXPECT_NEAR(work(WkNoiseReal).value, 1.0, 0.1);
    EXPECT_NEAR(work(WkNoiseImag).value, 3.0, 0.3);

    double sigma = -1;
    const double two[2] = {1, 2};
    EXPECT_EQ(noiseEstimate(2, two, &sigma), 1u);
    EXPECT_EQ(noiseEstimate(1, two, &sigma), 1u);
    EXPECT_EQ(sigma, -1);
    const double three[3] = {1, 4, 2};
    EXPECT_EQ(noiseEstimate(3, three, &sigma), 0u);
    EXPECT_TRUE(std::isfinite(sigma));

    // Through the instance the refusal is reported once.
    std::vector<float> tiny = {1, 2};
    dpi->instanceCommand(33);
    setData(tiny, 2, KindReal);
    dllCommand(8, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(50, dpi), 0x80000001u);
    EXPECT_EQ(testing::internal::GetCapturedStderr().size() > 0, true);
    dllCommand(8, nullptr);
}

TEST_F(MeasureTest, LineWidthOfLorentzians)
{
    for (double w : {3.0, 8.0, 20.0}) {
        std::vector<float> data = lorentzian(4096, 1500.3, w, 100.0);
        dpi->instanceCommand(33);
        setData(data, 4096, KindReal);
        ASSERT_EQ(dpi->instanceCommand(51), 0u) << w;
        EXPECT_NEAR(work(WkLineWidth).value, w, 0.05 * w) << w;
        EXPECT_TRUE(dpi->cache & CacheLineWidth);
    }
}

TEST_F(MeasureTest, LineWidthOfFlatSpectraIsRefused)
{
    struct Case {
        float value;
    } cases[] = {{0.0f}, {3.0f}};
    for (const Case& c : cases) {
        std::vector<float> data(64, c.value);
        dpi->instanceCommand(33);
        setData(data, 64, KindReal);
        EXPECT_EQ(dpi->instanceCommand(51), 1u) << c.value;
        EXPECT_FALSE(dpi->cache & CacheLineWidth);
    }
    // Not a power of two: the transform refuses.
    std::vector<float> odd = lorentzian(100, 50, 4, 1);
    dpi->instanceCommand(33);
    setData(odd, 100, KindReal);
    EXPECT_EQ(dpi->instanceCommand(51), 1u);
    double t = 0;
    std::vector<double> spike(16, 0.0);
    spike[0] = 1;  // all at time 0
    EXPECT_EQ(decayTime(8, spike.data(), 0, &t), 1u);
}

TEST(ExtremumTracker, WorkedExampleAndResets)
{
    ExtremumTracker* t = ExtremumTracker::create(1.0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->lastPoint, 0xFFFFFFFFu);
    EXPECT_EQ(t->feed(0, 0.0), 0u);
    EXPECT_EQ(t->feed(1, 3.0), 0u);
    EXPECT_EQ(t->feed(2, 0.5), uint32_t(ExtremumTracker::FoundMaximum));
    EXPECT_EQ(t->foundMaximum.point, 1u);
    EXPECT_EQ(t->foundMaximum.value, 3.0);
    EXPECT_EQ(t->feed(3, 0.2), 0u);
    // Rising again by more than delta reports the minimum at 3.
    EXPECT_EQ(t->feed(4, 2.0), uint32_t(ExtremumTracker::FoundMinimum));
    EXPECT_EQ(t->foundMinimum.point, 3u);
    EXPECT_EQ(t->foundMinimum.value, 0.2);
    // The same point twice resets: no report although the value fell.
    EXPECT_EQ(t->feed(4, -5.0), 0u);
    EXPECT_EQ(t->candidateMax.value, -5.0);
    EXPECT_EQ(t->feed(5, -4.5), 0u);
    // A flush never reports and restarts.
    EXPECT_EQ(t->feed(ExtremumTracker::Flush, 0.0), 0u);
    EXPECT_EQ(t->candidateMax.value, -1e300);
    EXPECT_EQ(t->candidateMin.value, 1e300);
    EXPECT_EQ(t->feed(0, 1.0), 0u);
    ExtremumTracker::destroy(t);
}

TEST(ExtremumTracker, SmallWigglesStayBelowDelta)
{
    ExtremumTracker* t = ExtremumTracker::create(1.0);
    const double values[] = {0, 0.6, 0.1, 0.8, 0.2, 0.9, 0.0};
    uint32_t all = 0;
    for (uint32_t i = 0; i < 7; ++i)
        all |= t->feed(i, values[i]);
    EXPECT_EQ(all, 0u);
    ExtremumTracker::destroy(t);
}
