#include <gtest/gtest.h>

#include <ostream>
#include <cfloat>
#include <cstddef>
#include <vector>

#include "massspectrum.h"

namespace {

CMassSpectrum makeSpectrum(const std::vector<double>& mz, const std::vector<double>& intensity)
{
    CMassSpectrum s;
    s.SetSize(static_cast<LONG>(mz.size()), false, false, false);
    for (size_t i = 0; i < mz.size(); ++i) {
        s.MassAt(static_cast<LONG>(i)) = mz[i];
        s.IntensityAt(static_cast<LONG>(i)) = intensity[i];
    }
    return s;
}

// Peak objects for the hook tests: each one is a heap int; the hooks keep
// a ledger of what they saw.
struct Ledger {
    int released = 0;
    int cloned = 0;
    int merged = 0;
    std::vector<int> releasedValues;
};

void releasePeak(void* peak, ULONG_PTR user)
{
    auto* ledger = reinterpret_cast<Ledger*>(user);
    ++ledger->released;
    ledger->releasedValues.push_back(*static_cast<int*>(peak));
    delete static_cast<int*>(peak);
}

void* clonePeak(void* peak, ULONG_PTR user)
{
    ++reinterpret_cast<Ledger*>(user)->cloned;
    return new int(*static_cast<int*>(peak));
}

void attachObjects(CMassSpectrum& s, Ledger& ledger)
{
    s.SetReleaseHook(releasePeak, reinterpret_cast<ULONG_PTR>(&ledger));
    s.SetCloneHook(clonePeak, reinterpret_cast<ULONG_PTR>(&ledger));
    s.EnablePeakObjects(true);
    for (LONG i = 0; i < s.GetCount(); ++i)
        s.PeakObjects()[i] = new int(static_cast<int>(i));
}

TEST(MassSpectrum, NewSpectrumDefaults)
{
    CMassSpectrum s;
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_TRUE(s.IsCentroid());
    EXPECT_EQ(s.GetMSOrder(), 1);
    EXPECT_EQ(s.GetPolarity(), FunctionPolarityPositive);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeUnknown);
    EXPECT_EQ(s.GetTIC(), 0.0);
    EXPECT_EQ(s.GetBasePeakIndex(), 0);
    EXPECT_EQ(s.Masses(), nullptr);
    EXPECT_EQ(s.Intensities(), nullptr);
    EXPECT_FALSE(s.HasPeakFlags() || s.HasAnnotations() || s.HasPeakObjects());
    EXPECT_TRUE(s.GetTitle().empty());
    EXPECT_TRUE(s.GetText2().empty());
    EXPECT_EQ(s.GetFirstScan(), 0);
    EXPECT_EQ(s.GetSpare16(), 0);
}

TEST(MassSpectrum, SetSizeKeepsEntriesAndRejectsNegative)
{
    CMassSpectrum s = makeSpectrum({1, 2, 3}, {10, 20, 30});
    s.SetTitle(L"keep");
    EXPECT_FALSE(s.SetSize(-1, false, false, false));
    EXPECT_EQ(s.GetCount(), 3);
    EXPECT_FALSE(s.Resize(-5));
    EXPECT_EQ(s.GetCount(), 3);
    ASSERT_TRUE(s.SetSize(5, false, false, false));
    EXPECT_EQ(s.Masses()[2], 3.0);
    EXPECT_EQ(s.Masses()[4], 0.0);
    EXPECT_EQ(s.GetTIC(), 60.0);
    ASSERT_TRUE(s.SetSize(0, false, false, false));
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.Masses(), nullptr);
    EXPECT_EQ(s.GetTIC(), 0.0);
    EXPECT_EQ(s.GetTitle(), L"keep");
}

TEST(MassSpectrum, ResizeKeepsPerPeakArraysAtCount)
{
    CMassSpectrum s;
    s.SetSize(2, true, false, false);
    s.EnableAnnotations(true);
    s.Resize(6);
    EXPECT_EQ(s.GetCount(), 6);
    ASSERT_NE(s.PeakFlags(), nullptr);
    ASSERT_NE(s.Annotations(), nullptr);
    s.PeakFlags()[5] = 1;  // inside the array (ASan checks)
    s.Annotations()[5] = 7;
    s.EnablePeakFlags(false);
    EXPECT_EQ(s.PeakFlags(), nullptr);
    EXPECT_FALSE(s.HasPeakFlags());
}

TEST(MassSpectrum, EnableOnEmptySpectrumCreatesNothing)
{
    CMassSpectrum s;
    s.EnablePeakFlags(true);
    s.EnablePeakObjects(true);
    EXPECT_TRUE(s.HasPeakFlags());
    EXPECT_EQ(s.PeakFlags(), nullptr);
    EXPECT_EQ(s.PeakObjects(), nullptr);
}

TEST(MassSpectrum, StatisticsFollowWritesThroughAccessors)
{
    CMassSpectrum s = makeSpectrum({100, 200}, {1, 2});
    EXPECT_EQ(s.GetTIC(), 3.0);
    s.IntensityAt(0) = 10;
    EXPECT_EQ(s.GetTIC(), 12.0);
    EXPECT_EQ(s.GetBasePeakIndex(), 0);
    // Raw writes need Invalidate.
    s.Intensities()[1] = 20;
    s.Invalidate();
    EXPECT_EQ(s.GetTIC(), 30.0);
    EXPECT_EQ(s.GetBasePeakMass(), 200.0);
}

TEST(MassSpectrum, StatisticsOfNegativeIntensities)
{
    CMassSpectrum s = makeSpectrum({1, 2, 3}, {-5, -2, -7});
    EXPECT_EQ(s.GetBasePeakIntensity(), -2.0);
    EXPECT_EQ(s.GetBasePeakIndex(), 1);
    EXPECT_EQ(s.GetMinIntensity(), -7.0);
}

TEST(MassSpectrum, IndexOutsideArraysTouchesNothing)
{
    CMassSpectrum s = makeSpectrum({1, 2}, {3, 4});
    s.MassAt(2) = 99;
    s.IntensityAt(-1) = 99;
    EXPECT_EQ(s.MassAt(5), 0.0);
    EXPECT_EQ(s.GetTIC(), 7.0);
}

struct RangeCase {
    std::vector<double> mz;
    std::vector<double> intensity;
    double low, high;
    double expected;
};

void PrintTo(const RangeCase& c, std::ostream* os)
{
    *os << "window " << c.low << " to " << c.high << ", expected " << c.expected;
}

class BasePeakInRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(BasePeakInRange, Answers)
{
    const RangeCase& c = GetParam();
    CMassSpectrum s = makeSpectrum(c.mz, c.intensity);
    EXPECT_EQ(s.GetBasePeakInRange(c.low, c.high), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BasePeakInRange,
    ::testing::Values(
        RangeCase{{}, {}, 0, 1000, 0},                               // empty
        RangeCase{{300, 400}, {1, 2}, 100, 200, 0},                  // first above high
        RangeCase{{10, 20}, {1, 2}, 100, 200, 0},                    // last below low
        RangeCase{{100, 150, 200}, {4, 1, 6}, 100, 200, 6},          // bounds inclusive
        RangeCase{{100, 100, 100}, {2, 8, 3}, 100, 100, 8},          // all equal to the window
        RangeCase{{90, 150, 210}, {9, -3, 9}, 100, 200, -3},         // a single negative point
        RangeCase{{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}, 0, 10, 5}));     // whole spectrum

TEST(MassSpectrum, PrecursorLevels)
{
    CMassSpectrum s;
    s.SetMSOrder(2);
    s.SetPrecursorMZ(3, 500.0);
    EXPECT_EQ(s.GetPrecursorLevelCount(), 0);
    EXPECT_EQ(s.GetPrecursorMZ(3), 0.0);
    s.SetMSOrder(3);
    s.SetPrecursorMZ(3, 500.0);
    EXPECT_EQ(s.GetPrecursorLevelCount(), 2);
    EXPECT_EQ(s.GetPrecursorMZ(2), 0.0);
    EXPECT_EQ(s.GetPrecursorMZ(3), 500.0);
    s.SetPrecursorMZ2(2, 12.5);
    EXPECT_EQ(s.GetPrecursorMZ2(2), 12.5);
    EXPECT_EQ(s.GetPrecursorMZ2(3), 0.0);
    s.SetPrecursorMZ(1, 1.0);
    s.SetPrecursorMZ(4, 1.0);
    EXPECT_EQ(s.GetPrecursorLevelCount(), 2);
    EXPECT_EQ(s.GetPrecursorMZ(1), 0.0);
    EXPECT_EQ(s.GetPrecursorMZ(4), 0.0);
}

TEST(MassSpectrum, ClearKeepsScalarsAndReleasesObjects)
{
    Ledger ledger;
    CMassSpectrum s = makeSpectrum({1, 2, 3}, {1, 1, 1});
    s.SetTitle(L"t");
    s.SetStartRT(1.5);
    s.SetMSOrder(2);
    s.SetPrecursorMZ(2, 300);
    attachObjects(s, ledger);
    s.Clear();
    EXPECT_EQ(ledger.released, 3);
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.PeakObjects(), nullptr);
    EXPECT_EQ(s.GetTitle(), L"t");
    EXPECT_EQ(s.GetStartRT(), 1.5);
    EXPECT_EQ(s.GetPrecursorMZ(2), 300.0);
}

TEST(MassSpectrum, ShrinkingReleasesOnlyObjectsBeyondNewSize)
{
    Ledger ledger;
    CMassSpectrum s = makeSpectrum({1, 2, 3, 4}, {1, 1, 1, 1});
    attachObjects(s, ledger);
    s.Resize(2);
    EXPECT_EQ(ledger.released, 2);
    EXPECT_EQ(ledger.releasedValues, (std::vector<int>{2, 3}));
    ASSERT_NE(s.PeakObjects(), nullptr);
    EXPECT_EQ(*static_cast<int*>(s.PeakObjects()[1]), 1);
    s.Resize(4);  // new slots are empty
    EXPECT_EQ(s.PeakObjects()[3], nullptr);
    s.SetSize(4, false, false, false);  // dropping the object array releases all
    EXPECT_EQ(ledger.released, 4);
    EXPECT_EQ(s.PeakObjects(), nullptr);
}

TEST(MassSpectrum, DestructionReleasesObjects)
{
    Ledger ledger;
    {
        CMassSpectrum s = makeSpectrum({1, 2}, {1, 1});
        attachObjects(s, ledger);
    }
    EXPECT_EQ(ledger.released, 2);
}

TEST(MassSpectrum, CopyConstructionClonesObjectsAndCopiesHooks)
{
    Ledger ledger;
    CMassSpectrum s = makeSpectrum({1, 2}, {5, 6});
    s.SetTitle(L"src");
    s.SetText2(L"second");
    s.SetCentroid(false);
    s.SetSpare16(-3);
    s.SetMSOrder(2);
    s.SetPrecursorMZ2(2, 7.0);
    attachObjects(s, ledger);
    {
        CMassSpectrum copy(s);
        EXPECT_EQ(ledger.cloned, 2);
        EXPECT_NE(copy.PeakObjects()[0], s.PeakObjects()[0]);
        EXPECT_EQ(*static_cast<int*>(copy.PeakObjects()[1]), 1);
        EXPECT_EQ(copy.GetReleaseHook(), &releasePeak);
        EXPECT_EQ(copy.GetTitle(), L"src");
        EXPECT_EQ(copy.GetText2(), L"second");
        EXPECT_FALSE(copy.IsCentroid());
        EXPECT_EQ(copy.GetSpare16(), -3);
        EXPECT_EQ(copy.GetPrecursorMZ2(2), 7.0);
        EXPECT_EQ(copy.GetTIC(), 11.0);
    }
    EXPECT_EQ(ledger.released, 2);  // the copy's own objects
}

TEST(MassSpectrum, AssignmentKeepsTargetHooks)
{
    Ledger sourceLedger, targetLedger;
    CMassSpectrum source = makeSpectrum({1, 2, 3}, {1, 2, 3});
    attachObjects(source, sourceLedger);
    CMassSpectrum target = makeSpectrum({9}, {9});
    attachObjects(target, targetLedger);
    target = source;
    EXPECT_EQ(targetLedger.released, 1);   // its own object went through its own hook
    EXPECT_EQ(sourceLedger.cloned, 3);     // copies came from the source's clone hook
    EXPECT_EQ(target.GetCount(), 3);
    EXPECT_EQ(target.GetReleaseHook(), &releasePeak);
    EXPECT_EQ(target.GetReleaseUser(), reinterpret_cast<ULONG_PTR>(&targetLedger));
    target.Clear();
    EXPECT_EQ(targetLedger.released, 4);
    CMassSpectrum& alias = target;
    target = alias;  // self-assignment changes nothing
    EXPECT_EQ(targetLedger.released, 4);
}

TEST(MassSpectrum, CopyWithoutCloneHookSharesNoObject)
{
    Ledger ledger;
    CMassSpectrum s = makeSpectrum({1}, {1});
    attachObjects(s, ledger);
    s.SetCloneHook(nullptr, 0);
    CMassSpectrum copy(s);
    ASSERT_NE(copy.PeakObjects(), nullptr);
    EXPECT_EQ(copy.PeakObjects()[0], nullptr);
}

TEST(MassSpectrum, MoveHandsObjectsOver)
{
    Ledger ledger;
    std::vector<CMassSpectrum> list(1);
    list[0] = makeSpectrum({1, 2}, {1, 1});
    attachObjects(list[0], ledger);
    list.resize(100);  // growth moves the spectra
    EXPECT_EQ(ledger.cloned, 0);
    EXPECT_EQ(ledger.released, 0);
    EXPECT_EQ(*static_cast<int*>(list[0].PeakObjects()[1]), 1);
    list.clear();
    EXPECT_EQ(ledger.released, 2);
}

TEST(MassSpectrum, LayoutOfSharedFields)
{
    // Fields that cross to callers in other components keep their widths.
    CMassSpectrum s;
    static_assert(sizeof(s.GetCount()) == 4, "count is 32 bits");
    static_assert(sizeof(s.GetFirstScan()) == 4 && sizeof(s.GetLastScan()) == 4, "scans are 32 bits");
    static_assert(sizeof(s.GetMSOrder()) == 2 && sizeof(s.GetSpare16()) == 2, "16-bit fields");
    static_assert(sizeof(s.GetPolarity()) == 4 && sizeof(s.GetFunctionType()) == 4, "enums are 32 bits");
    static_assert(sizeof(FunctionPolarity) == 4, "enum width");
    EXPECT_EQ(FunctionTypeSIMMSn, 6);
    EXPECT_EQ(FunctionPolarityMixed, 3);
}

}  // namespace
