// The processing instance: sizes, staging, write-back, reset, dispatch.
#include "dpitest.h"
#include "frame.h"
#include "measure.h"
#include "numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace yarbex;
using yarbex::test::DpiFixture;

namespace {

class InstanceTest : public DpiFixture {};

std::vector<double> stagedCopy(DPI* dpi, uint32_t n)
{
    const double* z = dpi->staged();
    return z ? std::vector<double>(z, z + 2 * n) : std::vector<double>();
}

}  // namespace

TEST_F(InstanceTest, CreationAndBlocks)
{
    EXPECT_EQ(dpi->parameters->slot[0].words.first, 100u);
    EXPECT_EQ(dpi->results->slot[0].words.first, 100u);
    const uint32_t kinds[][2] = {{11, 2}, {20, 1}, {21, 1}, {90, 3}, {92, 1}, {93, 1}, {94, 4}, {12, 0}};
    for (const auto& k : kinds)
        EXPECT_EQ(work(k[0]).kind, k[1]) << k[0];
    EXPECT_EQ(createDPI(nullptr), 0x40000010u);
    DPI* none = nullptr;
    EXPECT_EQ(destroyDPI(&none), 0u);
    EXPECT_EQ(destroyDPI(nullptr), 0u);
}

TEST_F(InstanceTest, PointCountFromSizes)
{
    const uint32_t sizes[5] = {0, 512, 0, 8, 0};
    std::copy(sizes, sizes + 5, dpi->sizes);
    dpi->computeSizes();
    EXPECT_EQ(dpi->pointCount(), 4096u);
    EXPECT_EQ(dpi->dimensionCount(), 2u);
    // Kept until the count is cleared.
    dpi->sizes[0] = 3;
    dpi->computeSizes();
    EXPECT_EQ(dpi->pointCount(), 4096u);
    // Products beyond 32 bits saturate (and cannot be staged).
    const uint32_t huge[5] = {0x10000, 0x10000, 2, 0, 0};
    std::copy(huge, huge + 5, dpi->sizes);
    dpi->parameters->slot[InPoints].words.first = 0;
    dpi->computeSizes();
    EXPECT_EQ(dpi->pointCount(), 0xFFFFFFFFu);
    std::vector<float> data(4, 1.0f);
    dpi->realData = data.data();
    dpi->parameters->slot[InKind].words.first = KindReal;
    EXPECT_EQ(dpi->stageReal(), 0x40000003u);
}

TEST_F(InstanceTest, MissingInputAndIllegalKind)
{
    EXPECT_EQ(dpi->instanceCommand(74), 18u);
    EXPECT_EQ(dpi->realOutput, nullptr);
    EXPECT_EQ(dpi->outputDoubles(), nullptr);
    std::vector<float> data(8, 1.0f);
    setData(data, 8, 4);
    EXPECT_EQ(dpi->instanceCommand(49), 21u);
    EXPECT_EQ(dpi->instanceCommand(74), 21u);
    EXPECT_EQ(dpi->instanceCommand(67), 6u);
    EXPECT_EQ(dpi->instanceCommand(12345), 6u);
    EXPECT_EQ(dpi->instanceCommand(32), 0u);
}

TEST_F(InstanceTest, StagingRealAndComplex)
{
    std::vector<float> real = {1, 3, -2, 5, 0.5f, 4, -1, 2};
    setData(real, 8, KindReal);
    ASSERT_EQ(dpi->stageReal(), 0u);
    std::vector<double> z = stagedCopy(dpi, 8);
    std::vector<double> expected(16, 0.0);
    for (int k = 0; k < 8; ++k)
        expected[k] = real[k];
    hilbertImaginary(8, expected.data());
    EXPECT_EQ(z, expected);
    const double* first = dpi->staged();
    ASSERT_EQ(dpi->stageReal(), 0u);
    EXPECT_EQ(dpi->staged(), first);  // reused
    dpi->mode = ModeRecompute;
    real[0] = 10;
    ASSERT_EQ(dpi->stageReal(), 0u);
    EXPECT_EQ(dpi->staged()[0], 10.0);
    dpi->mode = 0;

    std::vector<float> complex = {1, 10, 2, 20, 3, 30, 4, 40};
    dpi->instanceCommand(33);
    setData(complex, 4, KindComplex);
    ASSERT_EQ(dpi->stageReal(), 0u);
    EXPECT_EQ(stagedCopy(dpi, 4), (std::vector<double>{1, 2, 3, 4, 10, 20, 30, 40}));

    // Not a power of two: the imaginary half stays zero.
    std::vector<float> six = {1, 2, 3, 4, 5, 6};
    dpi->instanceCommand(33);
    setData(six, 6, KindReal);
    ASSERT_EQ(dpi->stageReal(), 0u);
    EXPECT_EQ(stagedCopy(dpi, 6), (std::vector<double>{1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0}));
}

TEST_F(InstanceTest, ChangedSizesRestage)
{
    std::vector<float> small = {1, 5, -7, 5};
    setData(small, 4, KindReal);
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    // The caller switches to longer data without asking for a
    // recomputation: the staged array of 4 points must not serve 16.
    std::vector<float> big(16);
    for (int k = 0; k < 16; ++k)
        big[k] = float(k);
    setData(big, 16, KindReal);
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    const auto* s = wordPointer<ArrayStatistics>(work(WkStatistics).words.first);
    EXPECT_EQ(s->maximum, 15.0);
    EXPECT_EQ(s->maximumPoint, 15u);
    ASSERT_EQ(dpi->instanceCommand(65), 0u);  // negate through the output
    ASSERT_NE(dpi->realOutput, nullptr);
    EXPECT_EQ(dpi->realOutput[15], -15.0f);
    // Same count, other kind: staged again as complex.
    std::vector<float> pairs(32, 1.0f);
    setData(pairs, 16, KindComplex);
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    EXPECT_NE(work(WkStatistics).words.second, 0u);
}

TEST_F(InstanceTest, WriteBackToOutputOrInPlace)
{
    std::vector<float> data = {1, 2, 3, 4};
    setData(data, 4, KindReal);
    setDouble(0, 2.0);
    ASSERT_EQ(dpi->instanceCommand(74), 0u);  // scale
    ASSERT_NE(dpi->realOutput, nullptr);
    EXPECT_EQ(std::vector<float>(dpi->realOutput, dpi->realOutput + 4), (std::vector<float>{2, 4, 6, 8}));
    EXPECT_EQ(dpi->committedSizes[0], 4u);
    EXPECT_EQ(work(WkPoints).words.first, 4u);
    EXPECT_EQ(work(WkKind).words.first, uint32_t(KindReal));
    EXPECT_EQ(work(WkDomain).words.second, uint32_t(DomainFrequency));
    EXPECT_EQ(dpi->outputDoubles(), nullptr);  // released after write-back
    EXPECT_EQ(data, (std::vector<float>{1, 2, 3, 4}));

    DPI* other = nullptr;
    ASSERT_EQ(createDPI(&other), 0u);
    std::vector<float> pairs = {1, 10, 2, 20};
    other->sizes[0] = 2;
    other->parameters->slot[InKind].words.first = KindComplex;
    other->realData = pairs.data();
    other->parameters->slot[InDoubles].value = 3.0;
    other->mode = ModeInPlace;
    ASSERT_EQ(other->instanceCommand(73), 0u);  // add a to the real half, b to the imaginary half
    EXPECT_EQ(pairs, (std::vector<float>{4, 10, 5, 20}));
    EXPECT_EQ(other->committedSizes[0], 0u);
    EXPECT_EQ(other->realOutput, nullptr);
    // An in-place write-back without a commit in the same step.
    ASSERT_EQ(other->allocOutput(2, false), 0u);
    EXPECT_EQ(other->finish(0x2000000), 22u);
    destroyDPI(&other);
}

TEST_F(InstanceTest, TwoDimensionalAndTooManyDimensions)
{
    std::vector<float> pairs(12);
    for (int k = 0; k < 12; ++k)
        pairs[k] = float(k);
    setData(pairs, 6, KindComplex);
    dpi->sizes[0] = 3;
    dpi->sizes[2] = 2;
    dpi->parameters->slot[InPoints].words.first = 0;
    ASSERT_EQ(dpi->instanceCommand(65), 0u);
    EXPECT_EQ(dpi->realOutput[11], -11.0f);
    EXPECT_EQ(dpi->instanceCommand(114), 6u);  // 1D only
    dpi->sizes[4] = 1;
    dpi->parameters->slot[InPoints].words.first = 0;
    EXPECT_EQ(dpi->instanceCommand(65), 19u);
    // A point count that does not match the two sizes.
    dpi->sizes[4] = 0;
    dpi->parameters->slot[InPoints].words.first = 4;
    dpi->parameters->slot[InPoints].words.second = 2;
    EXPECT_EQ(dpi->instanceCommand(65), 27u);
}

TEST_F(InstanceTest, ResetDropsResults)
{
    std::vector<float> data = {1, 5, -7, 5};
    setData(data, 4, KindReal);
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    ASSERT_EQ(dpi->instanceCommand(74), 0u);
    EXPECT_TRUE(dpi->cache & CacheStatistics);
    EXPECT_NE(dpi->realOutput, nullptr);
    dpi->cache |= 0x30000000u;
    ASSERT_EQ(dpi->instanceCommand(33), 0u);
    EXPECT_EQ(dpi->cache, 0x30000000u);
    EXPECT_EQ(dpi->staged(), nullptr);
    EXPECT_EQ(dpi->realOutput, nullptr);
    EXPECT_EQ(work(WkStatistics).words.first, 0u);
    EXPECT_EQ(dpi->parameters->slot[InPoints].words.first, 0u);
    EXPECT_EQ(dpi->committedSizes[0], 0u);
    data[0] = 100;
    ASSERT_EQ(dpi->instanceCommand(49), 0u);
    EXPECT_EQ(wordPointer<ArrayStatistics>(work(WkStatistics).words.first)->maximum, 100.0);
}

TEST(InstanceThroughEntry, CreateRunDestroy)
{
    dllCommand(8, nullptr);
    DPI* dpi = nullptr;
    ASSERT_EQ(dllCommand(16, &dpi), 0u);
    ASSERT_NE(dpi, nullptr);
    std::vector<float> data = {1, 5, -7, 5};
    dpi->sizes[0] = 4;
    dpi->parameters->slot[InKind].words.first = KindReal;
    dpi->realData = data.data();
    EXPECT_EQ(dllCommand(49, dpi), 0u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(67, dpi), 0x80000006u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Unknown command"), std::string::npos);
    ASSERT_EQ(dllCommand(17, &dpi), 0u);
    EXPECT_EQ(dpi, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dllCommand(16, nullptr), 0xC0000010u);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(dllCommand(17, nullptr), 0u);
    dllCommand(8, nullptr);
}
