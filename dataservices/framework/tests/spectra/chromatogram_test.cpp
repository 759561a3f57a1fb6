#include <gtest/gtest.h>

#include "chromatogram.h"

namespace {

TEST(Chromatogram, SetTimesCopiesPointCount)
{
    CChromatogram c;
    c.SetSize(3);
    const double times[4] = {0.5, 1.0, 1.5, 99.0};
    const double values[3] = {10, 20, 30};
    c.SetTimes(times);
    c.SetIntensities(values);
    EXPECT_EQ(c.Times()[2], 1.5);
    EXPECT_EQ(c.Intensities()[1], 20.0);
    c.SetTimes(c.Times());  // its own array: nothing
    c.SetTimes(nullptr);
    EXPECT_EQ(c.Times()[0], 0.5);
    c.SetTime(2, 7.0);
    c.SetTime(3, 8.0);  // outside: ignored
    c.SetIntensity(-1, 8.0);
    EXPECT_EQ(c.Times()[2], 7.0);
    EXPECT_FALSE(c.SetSize(-1));
    EXPECT_EQ(c.GetCount(), 3);
}

TEST(Chromatogram, OptionalArraysFollowCountOnlyWhileOn)
{
    CChromatogram c;
    c.SetSize(4);
    EXPECT_EQ(c.GetFlagCount(), 0);
    c.EnableFlags(true);
    EXPECT_EQ(c.GetFlagCount(), 4);
    c.SetSize(6);
    EXPECT_EQ(c.GetFlagCount(), 6);
    EXPECT_EQ(c.GetAnnotationCount(), 0);
    EXPECT_EQ(c.GetValueCount(), 6);
    c.EnableAnnotations(true);
    c.EnableFlags(false);
    c.SetSize(2);
    EXPECT_EQ(c.GetFlagCount(), 0);
    EXPECT_EQ(c.GetAnnotationCount(), 2);
}

TEST(Chromatogram, CopyCarriesEverything)
{
    CChromatogram c;
    c.SetSize(2);
    c.SetTime(1, 3.0);
    c.SetIntensity(1, 4.0);
    c.SetName(L"TIC");
    c.EnableFlags(true);
    CChromatogram copy(c);
    EXPECT_EQ(copy.GetCount(), 2);
    EXPECT_EQ(copy.Times()[1], 3.0);
    EXPECT_EQ(copy.GetName(), L"TIC");
    EXPECT_TRUE(copy.HasFlags());
    CChromatogram assigned;
    assigned = c;
    EXPECT_EQ(assigned.Intensities()[1], 4.0);
    EXPECT_EQ(assigned.GetFlagCount(), 2);
}

}  // namespace
