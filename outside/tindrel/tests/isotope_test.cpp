// Isotope clusters against brute-force clusters from RDKit's isotope table
// (data/isotope_clusters.tsv, data/isotope_merging.tsv), merging, charges
// and refused input.
#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

#include "analysistest.h"

namespace analysistest {
namespace {

TKSMassSpectrum cluster(const std::wstring& formula, const std::wstring& adduct, int charge, double width,
                        bool relative = true)
{
    const TKSElementTable table = elementTable();
    TKSIsotopeCluster c;
    c.setElementTable(&table);
    TKSMassSpectrum s;
    EXPECT_TRUE(c.compute(formula, adduct, charge, width, relative, s)) << narrow(formula);
    return s;
}

// The peaks of at least 0.1 % of the highest are the reference's lines (the
// same cut), at their m/z (within `weakTolerance` for lines below 1 %) and
// height; the two tables' abundances differ in the last digits (N
// 0.364/0.368 %, S 0.75/0.76 %, Cl 24.24/24.22 %).
void expectReferenceLines(const TKSMassSpectrum& s, const std::vector<std::pair<double, double>>& lines,
                          double weakTolerance)
{
    std::vector<std::pair<double, double>> mine;
    for (int i = 0; i < s.getCount(); ++i)
        if (s.getIntensities()[static_cast<size_t>(i)] >= 0.1)
            mine.emplace_back(s.getMZValues()[static_cast<size_t>(i)], s.getIntensities()[static_cast<size_t>(i)]);
    ASSERT_EQ(mine.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NEAR(mine[i].first, lines[i].first, lines[i].second >= 1 ? 2e-5 : weakTolerance) << "line " << i;
        EXPECT_NEAR(mine[i].second, lines[i].second, 0.03 * lines[i].second + 0.02) << "line " << i;
    }
}

TEST(TindrelIsotopes, GlucoseProtonated)
{
    const TKSMassSpectrum s = cluster(L"C6H12O6", L"H", 1, 0.3);
    ASSERT_GE(s.getCount(), 3);
    EXPECT_NEAR(s.getMZValues()[0], 181.07066, 5e-6);
    EXPECT_DOUBLE_EQ(s.getIntensities()[0], 100.0);
    EXPECT_NEAR(s.getIntensities()[1], 6.9, 0.05);  // 6 x 1.07 % carbon 13, hydrogen 2, oxygen 17
    EXPECT_NEAR(s.getMZValues()[1] - s.getMZValues()[0], 1.0034, 5e-4);
    EXPECT_TRUE(s.isCentroid());
    EXPECT_EQ(s.getPolarity(), 1);
    EXPECT_EQ(s.getMSOrder(), 1);
}

TEST(TindrelIsotopes, MatchBruteForceClustersOfAnIndependentTable)
{
    // Ion formulas of the reference are written into neutral formula and
    // charge here with no adduct: the ion itself.
    std::map<std::pair<std::string, int>, std::vector<std::pair<double, double>>> reference;
    for (const auto& row : readTable(dataPath("isotope_clusters.tsv"))) {
        ASSERT_EQ(row.size(), 5u);
        reference[{row[0], std::stoi(row[1])}].emplace_back(std::stod(row[3]), std::stod(row[4]));
    }
    ASSERT_EQ(reference.size(), 7u);
    for (const auto& [key, lines] : reference) {
        SCOPED_TRACE(key.first + " charge " + std::to_string(key.second));
        const TKSMassSpectrum s =
            cluster(std::wstring(key.first.begin(), key.first.end()), L"", key.second, 0.3 / std::abs(key.second));
        expectReferenceLines(s, lines, 2e-5);
    }
}

TEST(TindrelIsotopes, MultiplyChargedClustersMergeWithinANominalMass)
{
    // Leu- and Met-enkephalin as [M+2H]2+ and [M+3H]3+ at peak widths of
    // 0.1, 0.3 and 0.5 m/z against the fine structure merged along
    // neighbours within each nominal mass (data/isotope_merging.tsv). At
    // 0.5 m/z and charge 2 the 15N isotopologue lies 0.4985 m/z above M+0
    // and the 13C one 0.5017: both belong to M+1.
    std::map<std::tuple<std::string, int, double>, std::vector<std::pair<double, double>>> reference;
    for (const auto& row : readTable(dataPath("isotope_merging.tsv"))) {
        ASSERT_EQ(row.size(), 5u);
        reference[{row[0], std::stoi(row[1]), std::stod(row[2])}].emplace_back(std::stod(row[3]), std::stod(row[4]));
    }
    ASSERT_EQ(reference.size(), 12u);
    for (const auto& [key, lines] : reference) {
        const auto& [formula, charge, width] = key;
        SCOPED_TRACE(formula + " charge " + std::to_string(charge) + " width " + std::to_string(width));
        // Below 1 % a line's mean follows the rare isotopes, whose
        // abundances the tables give differently (36S 0.01/0.02 %).
        expectReferenceLines(cluster(std::wstring(formula.begin(), formula.end()), L"", charge, width), lines, 3e-4);
    }
    const TKSMassSpectrum wide = cluster(L"C28H37N5O7", L"H", 2, 0.5);
    ASSERT_GE(wide.getCount(), 3);
    EXPECT_NEAR(wide.getMZValues()[0], 278.641926, 2e-5);
    EXPECT_NEAR(wide.getIntensities()[1], 32.85, 0.3);

    // Below the spacing of the fine structure its peaks stay apart; a
    // width finer than every gap of a run but narrower than the run keeps
    // the run whole (neighbours, not the distance from the first).
    const TKSMassSpectrum fine = cluster(L"C28H37N5O7", L"H", 2, 0.0001);
    int inMPlus1 = 0;
    for (int i = 0; i < fine.getCount(); ++i) {
        const double mz = fine.getMZValues()[static_cast<size_t>(i)];
        inMPlus1 += mz > 278.9 && mz < 279.4 && fine.getIntensities()[static_cast<size_t>(i)] >= 0.1;
    }
    EXPECT_EQ(inMPlus1, 4);  // 15N, 13C, 17O and 2H
    const TKSMassSpectrum run = cluster(L"C28H37N5O7", L"H", 2, 0.0035);
    for (int i = 0; i < run.getCount(); ++i) {
        const double mz = run.getMZValues()[static_cast<size_t>(i)];
        EXPECT_FALSE(mz > 278.9 && mz < 279.14) << mz;  // 15N joined 13C 0.0032 above it
    }
}

TEST(TindrelIsotopes, ChargesAdductsAndMerging)
{
    // [M+2H]2+ of enkephalin: lines half a unit apart.
    const TKSMassSpectrum two = cluster(L"C28H37N5O7", L"H", 2, 0.15);
    ASSERT_GE(two.getCount(), 4);
    EXPECT_NEAR(two.getMZValues()[0], 278.641926, 2e-5);
    EXPECT_NEAR(two.getMZValues()[1] - two.getMZValues()[0], 0.5017, 5e-4);
    EXPECT_NEAR(two.getIntensities()[1], 32.85, 0.3);
    // [M-H]- of ibuprofen: the adduct taken away, an electron added.
    const TKSMassSpectrum negative = cluster(L"C13H18O2", L"H", -1, 0.3);
    EXPECT_NEAR(negative.getMZValues()[0], 205.123403, 2e-5);
    EXPECT_EQ(negative.getPolarity(), 2);
    // Charge 0: the neutral formula alone, the adduct ignored.
    const TKSMassSpectrum neutral = cluster(L"C6H12O6", L"Na", 0, 0.3);
    EXPECT_NEAR(neutral.getMZValues()[0], 180.063388, 2e-5);
    EXPECT_EQ(neutral.getPolarity(), 0);

    // Width 0: the fine structure of M+1 (carbon 13, oxygen 17 and
    // deuterium apart); a wide peak merges it into one line at the
    // abundance-weighted m/z.
    const TKSMassSpectrum fine = cluster(L"C6H12O6", L"H", 1, 0);
    const TKSMassSpectrum merged = cluster(L"C6H12O6", L"H", 1, 0.3);
    std::vector<double> mplus1;
    double weighted = 0, sum = 0;
    for (int i = 0; i < fine.getCount(); ++i) {
        const double mz = fine.getMZValues()[static_cast<size_t>(i)];
        if (mz > 181.5 && mz < 182.5) {
            mplus1.push_back(mz);
            weighted += mz * fine.getIntensities()[static_cast<size_t>(i)];
            sum += fine.getIntensities()[static_cast<size_t>(i)];
        }
    }
    EXPECT_EQ(mplus1.size(), 3u);
    EXPECT_NEAR(weighted / sum, merged.getMZValues()[1], 1e-6);
    EXPECT_NEAR(sum, merged.getIntensities()[1], 1e-6);

    // Fractions instead of percentages: summing to 1 less what was left out.
    const TKSMassSpectrum fractions = cluster(L"C6H12O6", L"H", 1, 0.3, false);
    const double total = std::accumulate(fractions.getIntensities().begin(), fractions.getIntensities().end(), 0.0);
    EXPECT_NEAR(total, 1.0, 1e-4);
    EXPECT_NEAR(fractions.getIntensities()[0], 0.9225, 5e-4);

    // A large formula stays quick and whole.
    const TKSMassSpectrum large = cluster(L"C500H800N100O150S10", L"H", 1, 0.3);
    EXPECT_GT(large.getCount(), 10);
    EXPECT_DOUBLE_EQ(*std::max_element(large.getIntensities().begin(), large.getIntensities().end()), 100.0);
}

TEST(TindrelIsotopes, RefusedInputEmptiesTheSpectrum)
{
    const TKSElementTable table = elementTable();
    TKSIsotopeCluster c;
    TKSMassSpectrum s = cluster(L"CH4", L"H", 1, 0.3);
    EXPECT_FALSE(c.compute(L"CH4", L"H", 1, 0.3, true, s));  // no element table
    EXPECT_EQ(s.getCount(), 0);
    c.setElementTable(&table);
    struct Case {
        const wchar_t* formula;
        const wchar_t* adduct;
        int charge;
        double width;
    };
    const Case cases[] = {
        {L"", L"H", 1, 0.3},        {L"Xx", L"H", 1, 0.3},     {L"CH4", L"Qq", 1, 0.3},
        {L"CH4", L"H", 101, 0.3},   {L"CH4", L"H", -101, 0.3}, {L"CH4", L"H", 1, -0.1},
        {L"CH4", L"H", 1, NAN},     {L"CH4", L"H", 1, INFINITY}, {L"C6", L"H", -1, 0.3},
    };
    for (const Case& k : cases) {
        s = cluster(L"CH4", L"H", 1, 0.3);
        EXPECT_FALSE(c.compute(k.formula, k.adduct, k.charge, k.width, true, s)) << narrow(k.formula);
        EXPECT_EQ(s.getCount(), 0);
    }
    // The table may go: the cluster keeps its own copy.
    {
        TKSElementTable local = elementTable();
        c.setElementTable(&local);
    }
    EXPECT_TRUE(c.compute(L"CH4", L"H", 1, 0.3, true, s));
}

}  // namespace
}  // namespace analysistest
