// The documented edge cases of the spectrum and chromatogram classes, one
// row each.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "kshandles.h"

namespace {

CMassSpectrum spectrumOf(const std::vector<double>& mz, const std::vector<double>& intensity)
{
    CMassSpectrum s;
    s.SetSize(static_cast<LONG>(mz.size()), false, false, false);
    for (size_t i = 0; i < mz.size(); ++i) {
        s.MassAt(static_cast<LONG>(i)) = mz[i];
        s.IntensityAt(static_cast<LONG>(i)) = intensity[i];
    }
    return s;
}

struct EdgeCase {
    const char* name;
    std::function<void()> check;
};

void PrintTo(const EdgeCase& c, std::ostream* os)
{
    *os << c.name;
}

class SpectrumEdgeCases : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(SpectrumEdgeCases, Hold)
{
    GetParam().check();
}

const EdgeCase kEdgeCases[] = {
    {"new chromatogram holds one zero point; SetSize(0) empties it",
     [] {
         CChromatogram c;
         EXPECT_EQ(c.GetCount(), 1);
         ASSERT_NE(c.Times(), nullptr);
         EXPECT_EQ(c.Times()[0], 0.0);
         EXPECT_EQ(c.Intensities()[0], 0.0);
         EXPECT_EQ(c.GetValueCount(), 1);
         c.SetSize(0);
         EXPECT_EQ(c.GetCount(), 0);
         EXPECT_EQ(c.Times(), nullptr);
         EXPECT_EQ(c.Intensities(), nullptr);
     }},
    {"new spectrum is centroid, MS order 1, polarity 1, empty, TIC 0",
     [] {
         CMassSpectrum s;
         EXPECT_TRUE(s.IsCentroid());
         EXPECT_EQ(s.GetMSOrder(), 1);
         EXPECT_EQ(s.GetPolarity(), FunctionPolarityPositive);
         EXPECT_EQ(s.GetCount(), 0);
         EXPECT_EQ(s.GetTIC(), 0.0);
     }},
    {"SetSize(3, flags, no objects, annotations) on an empty spectrum",
     [] {
         CMassSpectrum s;
         ASSERT_TRUE(s.SetSize(3, true, false, true));
         ASSERT_EQ(s.GetCount(), 3);
         ASSERT_NE(s.PeakFlags(), nullptr);
         ASSERT_NE(s.Annotations(), nullptr);
         EXPECT_EQ(s.PeakObjects(), nullptr);
         for (int i = 0; i < 3; ++i) {
             EXPECT_EQ(s.Masses()[i], 0.0);
             EXPECT_EQ(s.Intensities()[i], 0.0);
             EXPECT_EQ(s.PeakFlags()[i], 0);
             EXPECT_EQ(s.Annotations()[i], 0);
         }
     }},
    {"precursor of level 3 needs MS order 3; level 2 entry is created as 0",
     [] {
         CMassSpectrum s;
         s.SetMSOrder(2);
         s.SetPrecursorMZ(3, 500.0);
         EXPECT_EQ(s.GetPrecursorLevelCount(), 0);
         s.SetMSOrder(3);
         s.SetPrecursorMZ(3, 500.0);
         EXPECT_EQ(s.GetPrecursorLevelCount(), 2);
         EXPECT_EQ(s.GetPrecursorMZ(2), 0.0);
         EXPECT_EQ(s.GetPrecursorMZ(3), 500.0);
     }},
    {"base peak in 100..200 of 50, 150, 150, 250 is the later 150",
     [] {
         EXPECT_EQ(spectrumOf({50, 150, 150, 250}, {1, 5, 7, 9}).GetBasePeakInRange(100, 200), 7.0);
         EXPECT_EQ(spectrumOf({50, 250}, {1, 9}).GetBasePeakInRange(100, 200), 0.0);
     }},
    {"statistics of 3, 9, 9, 1: total 22, base peak the first 9, smallest 1",
     [] {
         const CMassSpectrum s = spectrumOf({1, 2, 3, 4}, {3, 9, 9, 1});
         EXPECT_EQ(s.GetTIC(), 22.0);
         EXPECT_EQ(s.GetBasePeakIndex(), 1);
         EXPECT_EQ(s.GetMinIntensity(), 1.0);
     }},
    {"collection answers the same view until it shrinks below it",
     [] {
         std::vector<CMassSpectrum> spectra(2);
         CKSMSCollection coll(&spectra);
         CKSMassSpectrum* v0 = coll.GetSpectrum(0);
         CKSMassSpectrum* v1 = coll.GetSpectrum(1);
         ASSERT_NE(v1, nullptr);
         EXPECT_EQ(coll.GetSpectrum(1), v1);
         coll.SetCount(1);
         EXPECT_EQ(coll.GetCount(), 1);
         EXPECT_EQ(coll.GetSpectrum(1), nullptr);
         EXPECT_EQ(coll.GetSpectrum(0), v0);
         EXPECT_EQ(v0->get(), &spectra[0]);
     }},
    {"SetMasses on a handle without points copies nothing",
     [] {
         CKSMassSpectrum h;
         const double mz[2] = {1, 2};
         EXPECT_FALSE(h.SetMasses(mz));
         EXPECT_EQ(h.GetCount(), 0);
         EXPECT_EQ(h.GetMasses(), nullptr);
     }},
    {"scan numbers above 32767 stay positive through the handle",
     [] {
         CKSMassSpectrum h;
         h.SetFirstScan(32768);
         h.SetLastScan(2000000);
         EXPECT_EQ(h.GetFirstScan(), 32768);
         EXPECT_EQ(h.GetLastScan(), 2000000);
         const CMassSpectrum copy(*h.get());
         EXPECT_EQ(copy.GetFirstScan(), 32768);
     }},
};

INSTANTIATE_TEST_SUITE_P(Table, SpectrumEdgeCases, ::testing::ValuesIn(kEdgeCases),
                         [](const ::testing::TestParamInfo<EdgeCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

}  // namespace
