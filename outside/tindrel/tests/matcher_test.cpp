// The molecule matcher on generated runs of the test provider (both
// polarities, MS/MS) and on the bundled text dataset: which molecules match
// where, every setting, the lifetime of the collections, bad input and the
// byte image.
#include <cmath>
#include <cstdio>

#include "analysistest.h"
#include "tindreltest.h"

namespace analysistest {
namespace {

using tindreltest::TindrelTest;

const char* const kMSPositive =
    "name=\"MS+\" type=1 polarity=1 scans=60 start=0 step=0.02 low=100 high=800 noise=50 noisepeaks=10";
const char* const kMSNegative =
    "name=\"MS-\" type=1 polarity=2 scans=60 start=0.01 step=0.02 low=100 high=800 noise=50 noisepeaks=10";
const char* const kMSMSPositive =
    "name=\"MS/MS+\" type=2 polarity=1 order=2 msms=2 precursor=195.0877 scans=60 start=0.005 step=0.02 low=50 "
    "high=300";

// A run description: functions, then compounds.
class RunText {
public:
    int function(const std::string& spec)
    {
        m_functions += "function " + spec + "\n";
        return ++m_count;
    }
    // A compound eluting as the ion of a neutral formula with an adduct at a
    // charge, its cluster from the library (the m/z shifted by `ppm`).
    void ion(int function, double apex, double height, const std::wstring& neutral, const std::wstring& adduct,
             int charge, double ppm = 0, double mplus1Scale = 1)
    {
        static const TKSElementTable table = elementTable();
        TKSIsotopeCluster c;
        c.setElementTable(&table);
        TKSMassSpectrum s;
        ASSERT_TRUE(c.compute(neutral, adduct, charge, 0.3 / std::abs(charge), true, s));
        char head[64];
        std::snprintf(head, sizeof head, "%.5f/%d:", s.getMZValues()[0] * (1 + ppm * 1e-6), std::abs(charge));
        std::string cluster = head;
        for (int i = 0; i < s.getCount() && i < 5; ++i) {
            char p[32];
            std::snprintf(p, sizeof p, "%s%.3f", i ? "," : "", s.getIntensities()[static_cast<size_t>(i)] * (i == 1 ? mplus1Scale : 1));
            cluster += p;
        }
        peaks(function, apex, height, "cluster=" + cluster);
    }
    void peaks(int function, double apex, double height, const std::string& peaks)
    {
        char line[128];
        std::snprintf(line, sizeof line, "compound function=%d apex=%g height=%g ", function, apex, height);
        m_compounds += std::string(line) + (peaks.find("width=") == std::string::npos ? "width=0.03 " : "") + peaks + "\n";
    }
    std::string text() const
    {
        return "kestrom-run 1\nrun seed=11\ninjection name=\"A\"\n" + m_functions + m_compounds;
    }

private:
    std::string m_functions;
    std::string m_compounds;
    int m_count = 0;
};

struct Molecule {
    const char* file;
    const wchar_t* id;
};

const Molecule kCaffeine{"caffeine.mol", L"{00000000-0000-0000-0000-00000000CAFE}"};
const Molecule kParacetamol{"paracetamol.mol", L"paracetamol"};
const Molecule kNicotine{"nicotine.mol", L"nicotine"};
const Molecule kIbuprofen{"ibuprofen.mol", L"ibuprofen"};
const Molecule kEnkephalin{"enkephalin.mol", L"enkephalin"};
const Molecule kGlucose{"glucose.mol", L"glucose"};

class TindrelMatcher : public TindrelTest {
protected:
    // Opens the run and sets the matcher's spectra: the functions by their
    // number from 1 in the slots MS+, MS/MS+, MS-, MS/MS- (0: none).
    void load(const RunText& run, int msPositive, int msmsPositive = 0, int msNegative = 0, int msmsNegative = 0)
    {
        m_dataset = open(writeRun("match.run", run.text()), tindreltest::kRunProviderId);
        ASSERT_TRUE(m_dataset);
        const int slots[4] = {msPositive, msmsPositive, msNegative, msmsNegative};
        for (int k = 0; k < 4; ++k) {
            m_collections[k].reset();
            if (slots[k] > 0) {
                m_collections[k] = collection(*m_dataset, 0, slots[k] - 1);
                ASSERT_TRUE(m_collections[k]);
            }
        }
    }

    bool match(TKSMoleculeMatcher2& matcher, const std::vector<Molecule>& molecules)
    {
        static const TKSElementTable table = elementTable();
        std::vector<std::wstring> molfiles, ids;
        for (const Molecule& m : molecules) {
            molfiles.push_back(latin1(ks::test::readFile(molfilePath(m.file))));
            ids.push_back(m.id);
        }
        matcher.setElementTable(&table);
        matcher.setSpectra(m_collections[0].get(), m_collections[1].get(), m_collections[2].get(),
                           m_collections[3].get());
        return matcher.matchMolecules(molfiles, ids);
    }

    // The matched results of a molecule.
    static std::vector<const TKSMoleculeMatchResult2*> matchesOf(const TKSMoleculeMatcher2& matcher, const wchar_t* id)
    {
        std::vector<const TKSMoleculeMatchResult2*> out;
        for (const TKSMoleculeMatchResult2& r : matcher.getResults())
            if (r.getMoleculeId() == id && r.getIsMatched())
                out.push_back(&r);
        return out;
    }

    std::unique_ptr<TKSDataset> m_dataset;
    std::unique_ptr<TKSMSCollection> m_collections[4];
};

TEST_F(TindrelMatcher, TwoCompoundsAtTheirRetentionTimesAndADecoyLeftUnmatched)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    run.ion(ms, 0.36, 48000, L"C8H10N4O2", L"H", 1);
    run.ion(ms, 0.80, 30000, L"C8H9NO2", L"H", 1);
    load(run, ms);
    TKSMoleculeMatcher2 matcher;
    ASSERT_TRUE(match(matcher, {kCaffeine, kParacetamol, kNicotine}));
    const auto& results = matcher.getResults();
    ASSERT_EQ(results.size(), 3u);

    const TKSMoleculeMatchResult2& caffeine = results[0];
    EXPECT_EQ(caffeine.getMoleculeId(), kCaffeine.id);
    ASSERT_TRUE(caffeine.getIsMatched());
    EXPECT_EQ(caffeine.getIonDescription(), L"[M+H]+");
    EXPECT_NEAR(caffeine.getIonMZ(), 195.087652, 1e-5);
    EXPECT_NEAR(caffeine.getChromatogramPeak().apexRT, 0.36, 1e-9);
    EXPECT_EQ(caffeine.getChromatogramPeak().scan, 18);
    EXPECT_GT(caffeine.getMatchScore(), 0.95);
    EXPECT_GT(caffeine.getSimilarityScore(), 0.95);
    EXPECT_GT(caffeine.getPurityScore(), 0.95);
    EXPECT_EQ(caffeine.getFragmentScore(), -1);  // no MS/MS function
    EXPECT_NEAR(caffeine.GetMSMonoMassIntensity(), 48000, 100);

    const TKSMoleculeMatchResult2& paracetamol = results[1];
    EXPECT_EQ(paracetamol.getMoleculeId(), L"paracetamol");
    ASSERT_TRUE(paracetamol.getIsMatched());
    EXPECT_NEAR(paracetamol.getChromatogramPeak().apexRT, 0.80, 1e-9);
    EXPECT_EQ(paracetamol.getChromatogramPeak().scan, 40);

    const TKSMoleculeMatchResult2& decoy = results[2];
    EXPECT_EQ(decoy.getMoleculeId(), L"nicotine");
    EXPECT_FALSE(decoy.getIsMatched());
    EXPECT_EQ(decoy.getMolfileError(), L"");

    // What the result carries for the plug-in.
    TKSMassSpectrum s;
    ASSERT_TRUE(caffeine.getMSPosSpectrum(s));
    EXPECT_EQ(s.getInjectionIndex(), 0);
    EXPECT_EQ(s.getFunctionIndex(), 0);
    EXPECT_EQ(s.getScanRanges().front().first, 19);
    ASSERT_TRUE(caffeine.getIsoClusterPosSpectrum(s));
    EXPECT_NEAR(s.getMZValues()[0], 195.087652, 1e-5);
    EXPECT_DOUBLE_EQ(s.getMaximumIntensity(), 100.0);
    EXPECT_EQ(s.getFunctionIndex(), 0);
    TKSChromatogram mic;
    ASSERT_TRUE(caffeine.getMICPosChromatogram(mic));
    EXPECT_EQ(mic.getCount(), 60);
    EXPECT_EQ(mic.getFunctionIndex(), 0);
    EXPECT_NEAR(mic.getRTValues()[static_cast<size_t>(std::max_element(mic.getIntensities().begin(), mic.getIntensities().end()) - mic.getIntensities().begin())], 0.36, 1e-9);
    EXPECT_FALSE(caffeine.getMSNegSpectrum(s));
    EXPECT_EQ(s.getCount(), 0);
    EXPECT_FALSE(caffeine.getMSMSPosSpectrum(s));
    EXPECT_FALSE(caffeine.getFragmentPosSpectrum(s));
    EXPECT_FALSE(caffeine.getMICNegChromatogram(mic));
}

TEST_F(TindrelMatcher, ASingleScanAtTheIonsMZIsNoPeak)
{
    // A compound over one scan only (noise that falls within the
    // tolerance), and the same ion eluting properly later.
    RunText run;
    const int ms = run.function(kMSPositive);
    const int msms = run.function(kMSMSPositive);
    run.peaks(ms, 0.30, 40000, "width=0.001 cluster=195.08765/1:100,10.33,0.9");
    run.ion(ms, 0.70, 40000, L"C8H10N4O2", L"H", 1);
    run.peaks(msms, 0.70, 9000, "peaks=138.0662:100,150.5:100");  // half explained: a lower score
    load(run, ms, msms);
    TKSMoleculeMatcher2 matcher;
    ASSERT_TRUE(match(matcher, {kCaffeine}));
    const auto matches = matchesOf(matcher, kCaffeine.id);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_NEAR(matches[0]->getChromatogramPeak().apexRT, 0.70, 1e-9);
    EXPECT_NEAR(matches[0]->getFragmentScore(), 0.5, 1e-6);
}

TEST_F(TindrelMatcher, AdductAndLossLists)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    run.ion(ms, 0.50, 30000, L"C8H9NO2", L"Na", 1);  // paracetamol [M+Na]+
    run.ion(ms, 0.70, 30000, L"C6H10O5", L"H", 1);   // glucose [M+H-H2O]+
    load(run, ms);
    struct Case {
        const char* name;
        std::vector<TKSMoleculeMatcher2::CIonSpec> positive;
        const wchar_t* paracetamol;  // the ion matched, empty: none
        const wchar_t* glucose;
    };
    const Case cases[] = {
        {"protons only", {{L"H+", L""}}, L"", L""},
        {"sodium too", {{L"H+", L""}, {L"Na+", L""}}, L"[M+Na]+", L""},
        {"water lost", {{L"H+", L"H2O"}}, L"", L"[M+H-H2O]+"},
        {"no list", {}, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKSMoleculeMatcher2 matcher;
        matcher.setAdducts(c.positive, {});
        ASSERT_TRUE(match(matcher, {kParacetamol, kGlucose}));
        for (const auto& [id, ion, apex] : {std::make_tuple(L"paracetamol", c.paracetamol, 0.5),
                                            std::make_tuple(L"glucose", c.glucose, 0.7)}) {
            const auto matches = matchesOf(matcher, id);
            if (std::wstring(ion).empty()) {
                EXPECT_TRUE(matches.empty()) << narrow(id);
                continue;
            }
            ASSERT_EQ(matches.size(), 1u) << narrow(id);
            EXPECT_EQ(matches[0]->getIonDescription(), ion);
            EXPECT_NEAR(matches[0]->getChromatogramPeak().apexRT, apex, 1e-9);
        }
    }
}

TEST_F(TindrelMatcher, DimersAndChargeStates)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    run.ion(ms, 0.40, 30000, L"C16H20N8O4", L"H", 1);  // caffeine [2M+H]+
    run.ion(ms, 0.90, 30000, L"C28H37N5O7", L"H", 2);  // enkephalin [M+2H]2+
    load(run, ms);
    struct Case {
        bool dimers;
        int maxCharge;
        bool caffeine;
        bool enkephalin;
    };
    for (const Case c : {Case{false, 1, false, false}, Case{true, 1, true, false}, Case{false, 2, false, true},
                         Case{true, 3, true, true}}) {
        SCOPED_TRACE(std::to_string(c.dimers) + " " + std::to_string(c.maxCharge));
        TKSMoleculeMatcher2 matcher;
        matcher.setEnableDimers(c.dimers);
        matcher.setMaximumChargeStates(c.maxCharge, 1);
        ASSERT_TRUE(match(matcher, {kCaffeine, kEnkephalin}));
        const auto caffeine = matchesOf(matcher, kCaffeine.id);
        const auto enkephalin = matchesOf(matcher, L"enkephalin");
        ASSERT_EQ(caffeine.size(), c.caffeine ? 1u : 0u);
        ASSERT_EQ(enkephalin.size(), c.enkephalin ? 1u : 0u);
        if (c.caffeine) {
            EXPECT_EQ(caffeine[0]->getIonDescription(), L"[2M+H]+");
            EXPECT_NEAR(caffeine[0]->getIonMZ(), 389.168027, 1e-5);
        }
        if (c.enkephalin) {
            // The doubly charged cluster: lines half a unit apart.
            EXPECT_EQ(enkephalin[0]->getIonDescription(), L"[M+2H]2+");
            EXPECT_NEAR(enkephalin[0]->getChromatogramPeak().apexRT, 0.90, 1e-9);
            TKSMassSpectrum cluster;
            ASSERT_TRUE(enkephalin[0]->getIsoClusterPosSpectrum(cluster));
            ASSERT_GE(cluster.getCount(), 3);
            EXPECT_NEAR(cluster.getMZValues()[0], 278.641926, 1e-5);
            EXPECT_NEAR(cluster.getMZValues()[1] - cluster.getMZValues()[0], 0.5017, 5e-4);
            EXPECT_GT(enkephalin[0]->getSimilarityScore(), 0.95);
        }
    }
}

TEST_F(TindrelMatcher, BothPolaritiesAndANegativeOnlyCompound)
{
    RunText run;
    const int positive = run.function(kMSPositive);
    const int negative = run.function(kMSNegative);
    run.ion(positive, 0.50, 40000, L"C8H10N4O2", L"H", 1);
    run.ion(negative, 0.50, 20000, L"C8H10N4O2", L"H", -1);
    run.ion(negative, 0.31, 25000, L"C13H18O2", L"H", -1);
    load(run, positive, 0, negative);
    TKSMoleculeMatcher2 matcher;
    ASSERT_TRUE(match(matcher, {kCaffeine, kIbuprofen}));
    ASSERT_EQ(matcher.getResults().size(), 2u);
    const TKSMoleculeMatchResult2& caffeine = matcher.getResults()[0];
    ASSERT_TRUE(caffeine.getIsMatched());
    TKSMassSpectrum s;
    TKSChromatogram mic;
    EXPECT_TRUE(caffeine.getMSPosSpectrum(s));
    EXPECT_EQ(s.getFunctionIndex(), 0);
    EXPECT_TRUE(caffeine.getMSNegSpectrum(s));
    EXPECT_EQ(s.getFunctionIndex(), 1);
    EXPECT_TRUE(caffeine.getIsoClusterNegSpectrum(s));
    EXPECT_NEAR(s.getMZValues()[0], 193.073099, 1e-5);
    EXPECT_EQ(s.getPolarity(), 2);
    EXPECT_TRUE(caffeine.getMICNegChromatogram(mic));
    EXPECT_EQ(mic.getFunctionIndex(), 1);

    const TKSMoleculeMatchResult2& ibuprofen = matcher.getResults()[1];
    ASSERT_TRUE(ibuprofen.getIsMatched());
    EXPECT_EQ(ibuprofen.getIonDescription(), L"[M-H]-");
    EXPECT_NEAR(ibuprofen.getIonMZ(), 205.123403, 1e-5);
    EXPECT_NEAR(ibuprofen.getChromatogramPeak().apexRT, 0.31, 1e-9);
    EXPECT_FALSE(ibuprofen.getMSPosSpectrum(s));
    EXPECT_TRUE(ibuprofen.getMSNegSpectrum(s));

    // Without the negative function ibuprofen has nothing to match.
    load(run, positive);
    ASSERT_TRUE(match(matcher, {kCaffeine, kIbuprofen}));
    EXPECT_TRUE(matcher.getResults()[0].getIsMatched());
    EXPECT_FALSE(matcher.getResults()[1].getIsMatched());
    EXPECT_FALSE(matcher.getResults()[0].getMSNegSpectrum(s));
}

TEST_F(TindrelMatcher, MSTolerancesInPpmAndDa)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    run.ion(ms, 0.50, 40000, L"C8H10N4O2", L"H", 1, 20);  // 20 ppm off
    load(run, ms);
    struct Case {
        double tolerance;
        bool inDa;
        bool matched;
    };
    for (const Case c : {Case{5, false, false}, Case{25, false, true}, Case{0.01, true, true}, Case{0.001, true, false}}) {
        SCOPED_TRACE(std::to_string(c.tolerance) + (c.inDa ? " Da" : " ppm"));
        TKSMoleculeMatcher2 matcher;
        matcher.setMZTolerance(c.tolerance, 10, c.inDa);
        ASSERT_TRUE(match(matcher, {kCaffeine}));
        EXPECT_EQ(matcher.getResults()[0].getIsMatched(), c.matched);
    }
}

TEST_F(TindrelMatcher, MSMSFragmentsAndTheirTolerance)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    const int msms = run.function(kMSMSPositive);
    run.ion(ms, 0.36, 48000, L"C8H10N4O2", L"H", 1);
    run.peaks(msms, 0.36, 9000, "peaks=138.0662:100,110.0713:40");
    load(run, ms, msms);
    struct Case {
        double tolerance;
        bool inDa;
        double score;
    };
    // Both peaks are pieces of two cuts in the pyrimidine ring, protonated:
    // C6H8N3O+ (138.0662) and C5H8N3+ (110.0713).
    for (const Case c : {Case{10, false, 1.0}, Case{0.01, true, 1.0}, Case{0.01, false, 0}}) {
        SCOPED_TRACE(c.tolerance);
        TKSMoleculeMatcher2 matcher;
        const double ms = c.inDa ? 0.005 : 5;
        matcher.setMZTolerance(ms, c.tolerance, c.inDa);
        ASSERT_TRUE(match(matcher, {kCaffeine}));
        const TKSMoleculeMatchResult2& r = matcher.getResults()[0];
        ASSERT_TRUE(r.getIsMatched());
        EXPECT_NEAR(r.getFragmentScore(), c.score, 1e-6);
        EXPECT_NEAR(r.getMatchScore(), (r.getSimilarityScore() + r.getPurityScore() + c.score) / 3, 1e-9);
        TKSMassSpectrum s;
        ASSERT_TRUE(r.getMSMSPosSpectrum(s));
        EXPECT_EQ(s.getMSOrder(), 2);
        EXPECT_EQ(s.getFunctionIndex(), 1);
        EXPECT_NEAR(s.getPrecursorMZ(), 195.0877, 1e-9);
        if (c.score > 0) {
            ASSERT_TRUE(r.getFragmentPosSpectrum(s));
            ASSERT_EQ(s.getCount(), 2);
            EXPECT_NEAR(s.getMZValues()[0], 110.0713, 2e-4);
            EXPECT_NEAR(s.getMZValues()[1], 138.0662, 2e-4);
            EXPECT_NEAR(s.getIntensities()[1] / s.getIntensities()[0], 2.5, 1e-6);
        } else {
            EXPECT_FALSE(r.getFragmentPosSpectrum(s));
        }
    }
}

TEST_F(TindrelMatcher, ScoreThreshold)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    run.ion(ms, 0.50, 40000, L"C8H10N4O2", L"H", 1, 0, 5);  // M+1 five times too high
    load(run, ms);
    double score = 0;
    for (double threshold : {0.5, 0.99}) {
        TKSMoleculeMatcher2 matcher;
        matcher.setScoreThreshold(threshold);
        ASSERT_TRUE(match(matcher, {kCaffeine}));
        const TKSMoleculeMatchResult2& r = matcher.getResults()[0];
        if (threshold == 0.5) {
            ASSERT_TRUE(r.getIsMatched());
            score = r.getMatchScore();
            EXPECT_LT(score, 0.9);
        } else {
            EXPECT_FALSE(r.getIsMatched());
            EXPECT_NEAR(r.getMatchScore(), score, 1e-12);  // the best candidate's scores stay readable
        }
    }
}

TEST_F(TindrelMatcher, MatchesPerMoleculeAndPerSpectrum)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    run.ion(ms, 0.30, 40000, L"C8H10N4O2", L"H", 1);
    run.ion(ms, 0.90, 20000, L"C8H10N4O2", L"H", 1);
    load(run, ms);
    for (int cap : {1, 2, 5}) {
        SCOPED_TRACE(cap);
        TKSMoleculeMatcher2 matcher;
        matcher.setMaximumMatchesPerMolecule(cap);
        ASSERT_TRUE(match(matcher, {kCaffeine}));
        const auto matches = matchesOf(matcher, kCaffeine.id);
        ASSERT_EQ(matches.size(), cap == 1 ? 1u : 2u);
        std::set<double> times;
        for (const auto* m : matches)
            times.insert(std::round(m->getChromatogramPeak().apexRT * 100) / 100);
        EXPECT_TRUE(times.count(0.30));
        if (cap > 1) {
            EXPECT_TRUE(times.count(0.90));
        }
    }
    // Two molecules of one formula share every spectrum: with one match per
    // spectrum the second gets the other peak.
    const Molecule again{"caffeine.mol", L"caffeine again"};
    for (int cap : {1, 2}) {
        SCOPED_TRACE(cap);
        TKSMoleculeMatcher2 matcher;
        matcher.setMaximumMatchesPerSpectrum(cap);
        ASSERT_TRUE(match(matcher, {kCaffeine, again}));
        const auto first = matchesOf(matcher, kCaffeine.id), second = matchesOf(matcher, L"caffeine again");
        ASSERT_EQ(first.size(), 1u);
        ASSERT_EQ(second.size(), 1u);
        EXPECT_NEAR(first[0]->getChromatogramPeak().apexRT, 0.30, 1e-9);
        EXPECT_NEAR(second[0]->getChromatogramPeak().apexRT, cap == 1 ? 0.90 : 0.30, 1e-9);
    }
    // A cap below 1 counts as 1.
    TKSMoleculeMatcher2 matcher;
    matcher.setMaximumMatchesPerMolecule(0);
    matcher.setMaximumMatchesPerSpectrum(-4);
    ASSERT_TRUE(match(matcher, {kCaffeine}));
    EXPECT_EQ(matchesOf(matcher, kCaffeine.id).size(), 1u);
    EXPECT_EQ(matcher.getMaximumMatchesPerMolecule(), 0);
}

TEST_F(TindrelMatcher, KeepsNoCollectionAndRefusesBadInput)
{
    RunText run;
    const int ms = run.function(kMSPositive);
    run.ion(ms, 0.36, 48000, L"C8H10N4O2", L"H", 1);
    load(run, ms);
    TKSMoleculeMatcher2 matcher;
    ASSERT_TRUE(match(matcher, {kCaffeine, kNicotine}));
    // The collections and the dataset go; the results stay whole.
    for (auto& c : m_collections)
        c.reset();
    m_dataset.reset();
    const std::vector<unsigned char> before = imageOf(matcher);
    ASSERT_EQ(matcher.getResults().size(), 2u);
    TKSMassSpectrum s;
    EXPECT_TRUE(matcher.getResults()[0].getMSPosSpectrum(s));

    const TKSElementTable table = elementTable();
    const std::wstring caffeine = latin1(ks::test::readFile(molfilePath("caffeine.mol")));
    // matchMolecules forgot the collections it was given: without new ones it fails.
    EXPECT_FALSE(matcher.matchMolecules({caffeine}, {L"id"}));
    EXPECT_EQ(imageOf(matcher), before);

    load(run, ms);
    struct Case {
        const char* name;
        std::vector<std::wstring> molfiles;
        std::vector<std::wstring> ids;
        void (*change)(TKSMoleculeMatcher2&);
    };
    const Case cases[] = {
        {"lists of unequal length", {caffeine}, {L"a", L"b"}, nullptr},
        {"no molecules", {}, {}, nullptr},
        {"NaN MS tolerance", {caffeine}, {L"a"}, [](TKSMoleculeMatcher2& m) { m.setMZTolerance(NAN, 10, false); }},
        {"negative MS/MS tolerance", {caffeine}, {L"a"}, [](TKSMoleculeMatcher2& m) { m.setMZTolerance(5, -1, false); }},
        {"NaN threshold", {caffeine}, {L"a"}, [](TKSMoleculeMatcher2& m) { m.setScoreThreshold(NAN); }},
        {"no element table", {caffeine}, {L"a"}, [](TKSMoleculeMatcher2& m) { m.setElementTable(nullptr); }},
        {"no MS collection", {caffeine}, {L"a"},
         [](TKSMoleculeMatcher2& m) { m.setSpectra(nullptr, nullptr, nullptr, nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKSMoleculeMatcher2 copy;
        ASSERT_TRUE(copy.deserialize(before.data(), before.size()));
        copy.setElementTable(&table);
        copy.setSpectra(m_collections[0].get(), nullptr, nullptr, nullptr);
        if (c.change)
            c.change(copy);
        const std::vector<unsigned char> settings = imageOf(copy);
        EXPECT_FALSE(copy.matchMolecules(c.molfiles, c.ids));
        EXPECT_EQ(imageOf(copy), settings);
    }

    // A molfile that does not read: an unmatched result saying why.
    ASSERT_TRUE(match(matcher, {kCaffeine}));
    matcher.setSpectra(m_collections[0].get(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(matcher.matchMolecules({L"not a molfile", caffeine}, {L"broken", L"caffeine"}));
    ASSERT_EQ(matcher.getResults().size(), 2u);
    EXPECT_FALSE(matcher.getResults()[0].getIsMatched());
    EXPECT_EQ(narrow(matcher.getResults()[0].getMolfileError()), "line 1: no counts line");
    EXPECT_TRUE(matcher.getResults()[1].getIsMatched());
}

// A reader claiming a million spectra of a function that holds sixty (a
// damaged file's header): the matcher reads the sixty, matches caffeine in
// them, and sizes nothing by the claim (a peak list per claimed spectrum
// took 56 MB).
TEST_F(TindrelMatcher, AClaimedCountSizesNothing)
{
    if (!tindreltest::LargestAllocation::available())
        GTEST_SKIP() << "allocations are watched in sanitizer builds";
    RunText run;
    const int ms = run.function(std::string(kMSPositive) + " claimed=1000000");
    run.ion(ms, 0.36, 48000, L"C8H10N4O2", L"H", 1);
    load(run, ms);
    ASSERT_EQ(m_collections[0]->getCount(), 1000000);
    TKSMoleculeMatcher2 matcher;
    size_t largest = 0;
    {
        tindreltest::LargestAllocation watch;
        ASSERT_TRUE(match(matcher, {kCaffeine}));
        largest = watch.bytes();
    }
    const auto matches = matchesOf(matcher, kCaffeine.id);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_NEAR(matches[0]->getChromatogramPeak().apexRT, 0.36, 0.021);
    EXPECT_LT(largest, size_t(1) << 20);
}

TEST_F(TindrelMatcher, TextDatasetOfUnknownPolarityMatchesAsPositive)
{
    m_dataset = open(tindreltest::bundledTextDataset(), tindreltest::kTextProviderId);
    ASSERT_TRUE(m_dataset);
    m_collections[0] = collection(*m_dataset, 0, 0);
    TKSMoleculeMatcher2 matcher;
    ASSERT_TRUE(match(matcher, {kCaffeine, kNicotine}));
    const TKSMoleculeMatchResult2& caffeine = matcher.getResults()[0];
    ASSERT_TRUE(caffeine.getIsMatched());
    EXPECT_NEAR(caffeine.getChromatogramPeak().apexRT, 0.35, 1e-9);
    EXPECT_EQ(caffeine.getChromatogramPeak().scan, 5);
    EXPECT_FALSE(matcher.getResults()[1].getIsMatched());
}

TEST_F(TindrelMatcher, SettingsDefaultsAndByteImage)
{
    TKSMoleculeMatcher2 matcher;
    std::vector<TKSMoleculeMatcher2::CIonSpec> positive, negative;
    matcher.getAdducts(positive, negative);
    ASSERT_EQ(positive.size(), 1u);
    EXPECT_EQ(positive[0].adduct, L"H+");
    EXPECT_EQ(positive[0].loss, L"");
    ASSERT_EQ(negative.size(), 1u);
    EXPECT_EQ(negative[0].adduct, L"");
    EXPECT_EQ(negative[0].loss, L"H+");
    int maxPositive = 0, maxNegative = 0;
    matcher.getMaximumChargeStates(maxPositive, maxNegative);
    EXPECT_EQ(maxPositive, 1);
    EXPECT_EQ(maxNegative, 1);
    EXPECT_FALSE(matcher.getEnableDimers());
    EXPECT_EQ(matcher.getScoreThreshold(), 0.5);
    EXPECT_EQ(matcher.getMaximumMatchesPerMolecule(), 1);
    EXPECT_EQ(matcher.getMaximumMatchesPerSpectrum(), 1);
    double ms = 0, msms = 0;
    bool inDa = true;
    matcher.getMZTolerance(ms, msms, inDa);
    EXPECT_EQ(ms, 5.0);
    EXPECT_EQ(msms, 10.0);
    EXPECT_FALSE(inDa);
    EXPECT_TRUE(matcher.getResults().empty());

    // Entries that cannot be used are stored as given and reported.
    const TKSElementTable table = elementTable();
    matcher.setElementTable(&table);
    EXPECT_FALSE(matcher.setAdducts({{L"Xx+", L""}, {L"", L""}}, {{L"H+", L""}}));
    matcher.getAdducts(positive, negative);
    EXPECT_EQ(positive.size(), 2u);
    EXPECT_EQ(positive[0].adduct, L"Xx+");
    EXPECT_TRUE(matcher.setAdducts({{L"Na+", L"H2O"}, {L"2H+", L""}}, {{L"Cl-", L""}, {L"", L"H+"}}));

    // A state with results round-trips byte for byte; damage is refused.
    RunText run;
    const int msFunction = run.function(kMSPositive);
    const int msmsFunction = run.function(kMSMSPositive);
    run.ion(msFunction, 0.36, 48000, L"C8H10N4O2", L"H", 1);
    run.peaks(msmsFunction, 0.36, 9000, "peaks=138.0662:100,110.0713:40");
    load(run, msFunction, msmsFunction);
    TKSMoleculeMatcher2 full;
    full.setEnableDimers(true);
    full.setMaximumChargeStates(2, 3);
    full.setMZTolerance(0.01, 0.02, true);
    full.setScoreThreshold(0.25);
    full.setMaximumMatchesPerMolecule(3);
    full.setMaximumMatchesPerSpectrum(4);
    ASSERT_TRUE(match(full, {kCaffeine, kNicotine}));
    const std::vector<unsigned char> image = imageOf(full);
    TKSMoleculeMatcher2 copy;
    ASSERT_TRUE(copy.deserialize(image.data(), image.size()));
    EXPECT_EQ(imageOf(copy), image);
    ASSERT_EQ(copy.getResults().size(), full.getResults().size());
    EXPECT_EQ(copy.getResults()[0].getIonDescription(), full.getResults()[0].getIonDescription());
    EXPECT_EQ(copy.getResults()[0].getChromatogramPeak().scan, full.getResults()[0].getChromatogramPeak().scan);
    TKSMassSpectrum a, b;
    ASSERT_TRUE(copy.getResults()[0].getFragmentPosSpectrum(a));
    ASSERT_TRUE(full.getResults()[0].getFragmentPosSpectrum(b));
    EXPECT_EQ(a.getMZValues(), b.getMZValues());
    copy.getMZTolerance(ms, msms, inDa);
    EXPECT_EQ(msms, 0.02);
    EXPECT_TRUE(inDa);

    TKSMoleculeMatcher2 other;
    expectDamageRefused(other, image);
    EXPECT_TRUE(other.getResults().empty());
    std::vector<unsigned char> small(image.size() - 1);
    EXPECT_FALSE(full.serialize(small.data(), small.size()));
}

}  // namespace
}  // namespace analysistest
