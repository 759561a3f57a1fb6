// The committed reference data are what make_fixtures.py writes with the
// RDKit of this machine (skipped where RDKit is not installed).
#include "analysistest.h"

namespace analysistest {
namespace {

TEST(TindrelFixtures, CommittedReferenceDataIsCurrent)
{
    if (ks::test::run({"/usr/bin/python3", "-c", "import rdkit, numpy"}).exitCode != 0)
        GTEST_SKIP() << "python3-rdkit or numpy is not installed";
    ASSERT_TRUE(ks::test::haveRealData());
    const std::string out = ks::test::tempDir() + "/fixtures";
    const auto r = ks::test::run({"/usr/bin/python3", std::string(KS_SOURCE_DIR) + "/make_fixtures.py", out},
                                 {std::string("KS_REALDATA_DIR=") + KS_REALDATA_DIR});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* name : {"tests/data/molfile_masses.tsv", "tests/data/isotope_clusters.tsv",
                             "tests/data/compositions.tsv", "tests/data/isotope_merging.tsv", "tests/data/ranking.tsv",
                             "data/molfiles/caffeine.mol", "data/molfiles/paracetamol.mol",
                             "data/molfiles/ibuprofen.mol", "data/molfiles/nicotine.mol", "data/molfiles/enkephalin.mol",
                             "data/molfiles/glucose.mol"}) {
        const std::string committed = ks::test::readFile(std::string(KS_SOURCE_DIR) + "/../" + name);
        EXPECT_FALSE(committed.empty()) << name;
        EXPECT_TRUE(ks::test::readFile(out + "/" + name) == committed) << name << " is not what make_fixtures.py writes";
    }
}

}  // namespace
}  // namespace analysistest
