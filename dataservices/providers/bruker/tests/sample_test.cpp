// The sample dataset the main job shows: its script writes it, and the
// data server reads what the script put in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "brukerdataserver.h"
#include "brukerlayout.h"
#include "brukertest.h"
#include "chromatogram.h"
#include "massspectrum.h"

using namespace xmass;

namespace {

TEST(XmassSample, ScriptWritesADatasetTheServerReads)
{
    const auto made = ks::test::run({KS_PYTHON3, KS_BRUKER_SAMPLES_DIR "/make_sample.py", ks::test::tempDir()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const std::wstring root = W(ks::test::tempDir() + "/xmass_sample");
    EXPECT_TRUE(IsBrukerDataset(root, false));

    CBrukerDataServerImpl server;
    ASSERT_EQ(server.Open(CString(root.c_str())), S_OK);
    ASSERT_EQ(server.FunctionCount(0), 3);  // experiment 3 has no processing
    EXPECT_EQ(server.FunctionName(0, 0).str(), L"1:  Angiotensin II standard  ");
    EXPECT_EQ(server.FunctionName(0, 1).str(), L"2:  Bradykinin MS/MS  ");
    EXPECT_EQ(server.FunctionName(0, 2).str(), L"4.ser:  LC run, 12 scans  ");
    EXPECT_EQ(server.FunctionType(0, 0), FunctionTypeMS);
    EXPECT_EQ(server.FunctionType(0, 1), FunctionTypeMSn);

    CMassSpectrum s;
    ASSERT_EQ(server.Spectrum(0, 0, 0, s), S_OK);
    EXPECT_EQ(s.GetTitle(), L"Magnitude spectrum");
    EXPECT_GE(s.Masses()[0], 150);  // "$MW_low"
    EXPECT_LE(s.Masses()[s.GetCount() - 1], 2000);  // "$MW_high"
    EXPECT_NEAR(s.GetBasePeakMass(), 1046.542, 0.35);  // one point apart at this mass
    EXPECT_NEAR(s.GetBasePeakIntensity(), 9000, 1500);
    ASSERT_EQ(server.Spectrum(0, 1, 0, s), S_OK);
    EXPECT_EQ(s.GetPrecursorMass(), 530.79);
    EXPECT_NEAR(s.GetBasePeakMass(), 904.468, 0.35);

    ASSERT_EQ(server.SpectrumCount(0, 2), 12);
    CChromatogram tic;
    ASSERT_EQ(server.TIC(true, 0, 2, tic), S_OK);
    const double* top = std::max_element(tic.Intensities(), tic.Intensities() + tic.GetCount());
    EXPECT_EQ(top - tic.Intensities(), 6);
    EXPECT_NEAR(tic.Times()[6], 0.5, 1e-12);  // 6 scans of 5 s
    ASSERT_EQ(server.Spectrum(0, 2, 6, s), S_OK);
    EXPECT_NEAR(s.GetBasePeakMass(), 445.12, 0.8);
}

}  // namespace
