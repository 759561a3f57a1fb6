// A real ChemStation dataset through the stand-in: the same scans, TIC and
// spectra the data services give. Needs the ChemStation provider module in
// the build's lib folder.
#include "tindreltest.h"

#include <sys/stat.h>

namespace tindreltest {
namespace {

bool haveModule(const std::string& name)
{
    struct stat st {};
    return stat((std::string(KS_LIB_DIR) + "/" + name).c_str(), &st) == 0;
}

TEST(TindrelRealData, ChemStationDataset)
{
    if (!haveModule("KSAgilentProvider.so"))
        GTEST_SKIP() << "the ChemStation provider (KSAgilentProvider.so) is not in the build's lib folder";
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "KSAgilentProvider"}));
    ks::dialogs::ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scope(runner);
    const std::string path = ks::test::realData("chemstation-ms/rainbow-orange.D");

    // The provider that takes the dataset, found through the stand-in's list.
    TKSDataServer server;
    std::wstring provider;
    for (const std::wstring& id : server.getDatasetProviderIDs()) {
        std::wstring p = wide(path);
        if (id != kTextProviderId && server.isValidDataset(p, id))
            provider = id;
    }
    ASSERT_FALSE(provider.empty());
    std::unique_ptr<TKSDataset> dataset(server.openDataset(wide(path), provider));
    ASSERT_TRUE(dataset);
    EXPECT_EQ(dataset->getDatasetName(), wide(path));
    ASSERT_GE(dataset->getInjectionCount(), 1);
    auto collection = TindrelTest::collection(*dataset, 0, 0);
    ASSERT_TRUE(collection);
    EXPECT_EQ(collection->getCount(), 469);

    DirectFunction direct(path, 1, 1);
    ASSERT_TRUE(direct);
    ASSERT_EQ(collection->getCount(), direct.count());
    std::vector<double> times, sums;
    ASSERT_TRUE(direct.tic(times, sums));
    TKSChromatogram tic;
    ASSERT_TRUE(collection->getTICChromatogram(tic));
    EXPECT_EQ(tic.getRTValues(), times);
    EXPECT_EQ(tic.getIntensities(), sums);
    for (LONG i = 1; i <= direct.count(); i += 17) {
        std::vector<double> mz, intensity;
        ASSERT_TRUE(direct.spectrum(i, mz, intensity));
        TKSMassSpectrum s;
        ASSERT_TRUE(collection->getSpectrum(i - 1, s));
        EXPECT_EQ(s.getMZValues(), mz) << i;
        EXPECT_EQ(s.getIntensities(), intensity) << i;
    }
    // The first scan: 768 points, base peak m/z 621.9.
    TKSMassSpectrum first;
    ASSERT_TRUE(collection->getSpectrum(0, first));
    EXPECT_EQ(first.getCount(), 768);
    EXPECT_NEAR(first.getBasePeakMZ(), 621.9, 0.05);
    EXPECT_TRUE(runner.log().empty());
}

}  // namespace
}  // namespace tindreltest
