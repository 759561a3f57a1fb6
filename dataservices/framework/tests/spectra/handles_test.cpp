#include <gtest/gtest.h>

#include <vector>

#include "kshandles.h"

namespace {

TEST(KSMassSpectrum, OwnsNewSpectrumAndForwards)
{
    CKSMassSpectrum h;
    ASSERT_NE(h.get(), nullptr);
    const double mz[3] = {1, 2, 3};
    const double in[3] = {4, 5, 6};
    // Without points nothing is copied.
    EXPECT_FALSE(h.SetMasses(mz));
    EXPECT_EQ(h.GetMasses(), nullptr);
    h.SetCount(3);
    EXPECT_TRUE(h.SetMasses(mz));
    EXPECT_TRUE(h.SetIntensities(in));
    EXPECT_FALSE(h.SetMasses(nullptr));
    EXPECT_EQ(h.GetMasses()[2], 3.0);
    EXPECT_EQ(h.get()->GetTIC(), 15.0);
    h.SetFirstScan(33000);
    h.SetLastScan(100000);
    h.SetMSOrder(3);
    h.SetPrecursorMZ(3, 250.0);
    h.SetPrecursorMZ2(2, 1.0);
    h.SetPolarity(FunctionPolarityNegative);
    h.SetCentroid(false);
    h.SetTitle(L"scan");
    h.SetText2(L"x");
    h.SetFunctionType(FunctionTypeMSn);
    h.SetSpare16(4);
    h.SetStartRT(1.0);
    h.SetEndRT(2.0);
    h.SetPrecursorMass(250.0);
    EXPECT_EQ(h.GetFirstScan(), 33000);
    EXPECT_EQ(h.GetLastScan(), 100000);
    EXPECT_EQ(h.get()->GetPrecursorMZ(3), 250.0);
    EXPECT_EQ(h.get()->GetPrecursorMZ2(2), 1.0);
    EXPECT_EQ(h.GetPolarity(), FunctionPolarityNegative);
    EXPECT_FALSE(h.IsCentroid());
    EXPECT_EQ(h.GetTitle(), L"scan");
    EXPECT_EQ(h.get()->GetText2(), L"x");
    EXPECT_EQ(h.get()->GetFunctionType(), FunctionTypeMSn);
    EXPECT_EQ(h.GetSpare16(), 4);
    EXPECT_EQ(h.GetEndRT(), 2.0);
    EXPECT_EQ(h.GetPrecursorMass(), 250.0);
}

TEST(KSMassSpectrum, EmptyHandleAnswersDefaults)
{
    CKSMassSpectrum h;
    h.Adopt(nullptr);
    EXPECT_EQ(h.get(), nullptr);
    h.SetCount(4);
    h.SetTitle(L"ignored");
    const double v[1] = {1};
    EXPECT_FALSE(h.SetMasses(v));
    EXPECT_FALSE(h.SetIntensities(v));
    EXPECT_TRUE(h.IsCentroid());
    EXPECT_EQ(h.GetMSOrder(), 1);
    EXPECT_EQ(h.GetPolarity(), 1);
    EXPECT_EQ(h.GetPrecursorMass(), 0.0);
    EXPECT_EQ(h.GetSpare16(), 0);
    EXPECT_EQ(h.GetStartRT(), 0.0);
    EXPECT_EQ(h.GetEndRT(), 0.0);
    EXPECT_EQ(h.GetFirstScan(), 0);
    EXPECT_EQ(h.GetLastScan(), 0);
    EXPECT_TRUE(h.GetTitle().empty());
    EXPECT_EQ(h.GetMasses(), nullptr);
    EXPECT_EQ(h.GetIntensities(), nullptr);
    EXPECT_EQ(h.GetCount(), 0);
}

TEST(KSMassSpectrum, AdoptedSpectrumIsNotDeleted)
{
    CMassSpectrum outside;
    {
        CKSMassSpectrum h;
        h.Adopt(&outside);
        h.SetCount(2);
        h.Adopt(h.get());  // the same spectrum again: still held
        EXPECT_EQ(h.get(), &outside);
    }
    EXPECT_EQ(outside.GetCount(), 2);  // ASan would flag a delete of a stack object
}

TEST(KSChromatogram, ForwardsToSuppliedChromatogram)
{
    CChromatogram c;
    CKSChromatogram h(&c);
    h.SetSize(2);
    const double t[2] = {1, 2};
    const double y[2] = {3, 4};
    h.SetTimes(t);
    h.SetIntensities(y);
    h.SetName(L"BPC");
    EXPECT_EQ(c.GetCount(), 2);
    EXPECT_EQ(c.Times()[1], 2.0);
    EXPECT_EQ(c.Intensities()[0], 3.0);
    EXPECT_EQ(c.GetName(), L"BPC");
    CKSChromatogram empty;
    empty.SetSize(3);  // nothing to forward to
    EXPECT_EQ(empty.get(), nullptr);
}

TEST(KSMSCollection, ViewsFollowSpectraWhenArrayGrows)
{
    std::vector<CMassSpectrum> spectra(1);
    spectra.shrink_to_fit();
    CKSMSCollection coll(&spectra);
    CKSMassSpectrum* v0 = coll.GetSpectrum(0);
    v0->SetCount(3);
    const double mz[3] = {1, 2, 3};
    v0->SetMasses(mz);
    const CMassSpectrum* before = &spectra[0];
    coll.SetCount(1000);  // reallocates: the spectra move
    ASSERT_NE(&spectra[0], before);
    // The view refers to the spectrum now at its index and writes there.
    EXPECT_EQ(v0->get(), &spectra[0]);
    EXPECT_EQ(coll.GetSpectrum(0), v0);
    EXPECT_EQ(v0->GetMasses()[2], 3.0);
    v0->SetTitle(L"after");
    EXPECT_EQ(spectra[0].GetTitle(), L"after");
    CKSMassSpectrum* v999 = coll.GetSpectrum(999);
    ASSERT_NE(v999, nullptr);
    v999->SetCount(1);
    EXPECT_EQ(spectra[999].GetCount(), 1);
}

TEST(KSMSCollection, ViewsFollowGrowthByTheCreator)
{
    std::vector<CMassSpectrum> spectra(2);
    spectra.shrink_to_fit();
    CKSMSCollection coll(&spectra);
    CKSMassSpectrum* v1 = coll.GetSpectrum(1);
    spectra.resize(50);  // the creator grows its array itself
    // The view count no longer matches: the views are resynchronised.
    EXPECT_EQ(coll.GetSpectrum(1), v1);
    EXPECT_EQ(v1->get(), &spectra[1]);
    v1->SetCount(2);
    EXPECT_EQ(spectra[1].GetCount(), 2);
}

TEST(KSMSCollection, WithoutSpectraIsEmpty)
{
    CKSMSCollection coll;
    EXPECT_EQ(coll.GetCount(), 0);
    coll.SetCount(3);
    EXPECT_EQ(coll.GetSpectrum(0), nullptr);
}

}  // namespace
