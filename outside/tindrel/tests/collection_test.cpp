// One function's spectra: mass chromatograms, selections with background
// subtraction, peak selection modes, and bad input.
#include "tindreltest.h"

#include <algorithm>
#include <limits>

namespace tindreltest {
namespace {

const char kRun[] = R"(kestrom-run 1
run seed=5
injection name="LC run"
function name="MS+" type=1 polarity=1 scans=60 start=0 step=0.02 low=100 high=700 noise=150 noisepeaks=15
compound function=1 apex=0.36 width=0.03 height=48000 cluster=195.0877/1:100,9.7,1.2
compound function=1 apex=0.70 width=0.04 height=30000 peaks=301.1410:100,302.1444:17
compound function=1 apex=0.5 width=100 height=5000 peaks=149.0233:100
function name="MS-" type=1 polarity=2 scans=60 start=0 step=0.02 low=100 high=700
compound function=2 apex=0.36 width=0.03 height=8000 peaks=193.0731:100
trace name="UV 254" start=0 step=0.005 points=240 baseline=2 peaks=0.355:0.03:1000,0.695:0.04:600
injection name="Profile run"
function name="MS-" type=1 polarity=2 scans=40 start=0 step=0.025 low=140 high=320 profile=0.01 fwhm=0.05 noise=20
compound function=1 apex=0.50 width=0.05 height=20000 peaks=193.0731:100,194.0764:9
compound function=1 apex=0.5 width=100 height=3000 peaks=250.0:100
)";

const double kNaN = std::numeric_limits<double>::quiet_NaN();

class TindrelCollection : public TindrelTest {
protected:
    void SetUp() override
    {
        TindrelTest::SetUp();
        m_path = writeRun("lc.run", kRun);
        m_dataset = open(m_path, kRunProviderId);
        ASSERT_TRUE(m_dataset);
    }
    std::unique_ptr<TKSMSCollection> function(int injection, int f) { return collection(*m_dataset, injection, f); }

    std::string m_path;
    std::unique_ptr<TKSDataset> m_dataset;
};

// Intensity of the points within [mz - w, mz + w].
double intensityNear(const TKSMassSpectrum& s, double mz, double w)
{
    double sum = 0;
    for (int i = 0; i < s.getCount(); ++i)
        if (std::fabs(s.getMZValues()[i] - mz) <= w)
            sum += s.getIntensities()[i];
    return sum;
}

double timeOfMaximum(const TKSChromatogram& c)
{
    const auto& y = c.getIntensities();
    return c.getRTValues()[static_cast<size_t>(std::max_element(y.begin(), y.end()) - y.begin())];
}

// A reader whose count claims a million spectra and holds three (a damaged
// file's header): the mass chromatogram reads the three and no further and
// sizes nothing by the claim (its two arrays would have taken 8 MB each).
TEST_F(TindrelCollection, MassChromatogramSizesNothingByAClaimedCount)
{
    if (!LargestAllocation::available())
        GTEST_SKIP() << "allocations are watched in sanitizer builds";
    const std::string path = writeRun("claims.run", "kestrom-run 1\ninjection\n"
                                                    "function scans=3 claimed=1000000 low=100 high=300\n"
                                                    "compound function=1 apex=0.01 width=0.01 height=900 "
                                                    "peaks=195.0877:100\n");
    const std::unique_ptr<TKSDataset> dataset = open(path, kRunProviderId);
    ASSERT_TRUE(dataset);
    const auto c = collection(*dataset, 0, 0);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->getCount(), 1000000);
    TKSMassSpectrum s;
    EXPECT_TRUE(c->getSpectrum(2, s));
    EXPECT_FALSE(c->getSpectrum(3, s));
    for (bool range : {false, true}) {
        SCOPED_TRACE(range ? "range" : "m/z");
        TKSChromatogram mic;
        mic.setPoints({1, 2}, {3, 4});
        size_t largest = 0;
        {
            LargestAllocation watch;
            EXPECT_FALSE(range ? c->getMassChromatogram(195, 196, mic) : c->getMassChromatogram(195.0877, mic));
            largest = watch.bytes();
        }
        EXPECT_EQ(mic.getCount(), 0);
        EXPECT_LT(largest, size_t(64) << 10);
    }
}

TEST_F(TindrelCollection, MassChromatogramsPeakAtTheKnownTimes)
{
    struct Case {
        const char* name;
        int injection;
        bool range;
        double a, b;  // m/z, or from and to
        bool inDa;
        double tolerance;
        double apex;
    };
    const Case cases[] = {
        {"m/z in Da", 0, false, 195.0877, 0, true, 0.1, 0.36},
        {"m/z in ppm", 0, false, 301.1410, 0, false, 10, 0.70},
        {"isotope in Da", 0, false, 196.0911, 0, true, 0.01, 0.36},
        {"range", 0, true, 300, 303, true, 0.1, 0.70},
        {"profile m/z", 1, false, 193.0731, 0, true, 0.05, 0.50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto coll = function(c.injection, 0);
        ASSERT_TRUE(coll->setMergeTolerance(c.inDa, c.tolerance));
        TKSChromatogram mic;
        ASSERT_TRUE(c.range ? coll->getMassChromatogram(c.a, c.b, mic) : coll->getMassChromatogram(c.a, mic));
        ASSERT_EQ(mic.getCount(), coll->getCount());
        EXPECT_EQ(mic.getInjectionIndex(), c.injection);
        EXPECT_EQ(mic.getFunctionIndex(), 0);
        EXPECT_NEAR(timeOfMaximum(mic), c.apex, 1e-9);
        TKSChromatogramPeakDetect detector;
        ASSERT_GE(detector.detect(mic), 1);
        const auto& peaks = detector.getPeaks();
        const auto highest = std::max_element(peaks.begin(), peaks.end(), [](const auto& x, const auto& y) {
            return x.height < y.height;
        });
        EXPECT_NEAR(highest->apexRT, c.apex, 1e-9);

        // Each point is the summed intensity of its spectrum in the window.
        const double low = c.range ? c.a : c.a - (c.inDa ? c.tolerance : c.a * c.tolerance * 1e-6);
        const double high = c.range ? c.b : c.a + (c.inDa ? c.tolerance : c.a * c.tolerance * 1e-6);
        for (int i = 0; i < coll->getCount(); i += 7) {
            TKSMassSpectrum s;
            ASSERT_TRUE(coll->getSpectrum(i, s));
            double sum = 0;
            for (int k = 0; k < s.getCount(); ++k)
                if (s.getMZValues()[k] >= low && s.getMZValues()[k] <= high)
                    sum += s.getIntensities()[k];
            EXPECT_DOUBLE_EQ(mic.getIntensities()[i], sum) << "scan " << i;
            EXPECT_EQ(mic.getRTValues()[i], s.getTimeRanges()[0].start);
        }
    }
}

TEST_F(TindrelCollection, MergeTolerance)
{
    auto coll = function(0, 0);
    EXPECT_DOUBLE_EQ(coll->getMergeTolerance(), 0.1);
    EXPECT_TRUE(coll->getMergeToleranceInDa());
    ASSERT_TRUE(coll->setMergeTolerance(false, 25));
    for (double bad : {kNaN, -1.0, std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(coll->setMergeTolerance(true, bad));
        EXPECT_DOUBLE_EQ(coll->getMergeTolerance(), 25);
        EXPECT_FALSE(coll->getMergeToleranceInDa());
    }
    EXPECT_TRUE(coll->setMergeTolerance(true, 0));
}

// A range selects the scans whose times lie in it and co-adds exactly them,
// as SpectrumRangeDirect does with the same tolerance.
TEST_F(TindrelCollection, RangeCoAddsExactlyItsScans)
{
    DirectFunction direct(CLSID_KSTindrelTestDataServer, m_path, 1, 1);
    ASSERT_TRUE(direct);
    std::vector<double> times, tic;
    ASSERT_TRUE(direct.tic(times, tic));
    struct Case {
        double from, to;
        bool inDa;
        double tolerance;
        int first, last;  // scans from 1
    };
    for (const Case& c : {Case{0.295, 0.425, true, 0.1, 16, 22}, Case{0.295, 0.425, false, 20, 16, 22},
                          Case{0.0, 0.001, true, 0.1, 1, 1}, Case{1.0 - 1e-9, 5.0, true, 0.5, 51, 60}}) {
        SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
        auto coll = function(0, 0);
        ASSERT_TRUE(coll->setMergeTolerance(c.inDa, c.tolerance));
        TKSMSCollectionSelection selection;
        TKSMassSpectrum spectrum;
        ASSERT_TRUE(coll->select(c.from, c.to, false, selection, spectrum));
        const std::vector<TKSScanRange> scans{{c.first, c.last}};
        const std::vector<TKSTimeRange> spans{{times[c.first - 1], times[c.last - 1]}};
        EXPECT_EQ(selection.getScanRanges(), scans);
        EXPECT_EQ(selection.getTimeRanges(), spans);
        EXPECT_TRUE(selection.getBackgroundScanRanges().empty());
        EXPECT_EQ(selection.getInjectionIndex(), 0);
        EXPECT_EQ(selection.getFunctionIndex(), 0);
        EXPECT_EQ(spectrum.getScanRanges(), scans);
        EXPECT_EQ(spectrum.getTimeRanges(), spans);
        std::vector<double> mz, intensity;
        if (c.first == c.last)
            ASSERT_TRUE(direct.spectrum(c.first, mz, intensity));
        else
            ASSERT_TRUE(direct.range(c.first, c.last, c.inDa, c.tolerance, mz, intensity));
        EXPECT_EQ(spectrum.getMZValues(), mz);
        EXPECT_EQ(spectrum.getIntensities(), intensity);
        EXPECT_EQ(spectrum.getPolarity(), 1);
        EXPECT_EQ(spectrum.getMSOrder(), 1);
    }
}

TEST_F(TindrelCollection, TimeSelectsTheNearestScan)
{
    auto coll = function(0, 0);
    struct Case {
        double time;
        int scan;
    };
    for (const Case& c : {Case{0.361, 19}, Case{0.369, 19}, Case{0.371, 20}, Case{-3, 1}, Case{99, 60}}) {
        TKSMSCollectionSelection selection;
        TKSMassSpectrum spectrum, single;
        ASSERT_TRUE(coll->select(c.time, false, selection, spectrum)) << c.time;
        EXPECT_EQ(selection.getScanRanges(), (std::vector<TKSScanRange>{{c.scan, c.scan}})) << c.time;
        ASSERT_TRUE(coll->getSpectrum(c.scan - 1, single));
        EXPECT_EQ(spectrum.getMZValues(), single.getMZValues());
        EXPECT_EQ(spectrum.getIntensities(), single.getIntensities());
    }
}

TEST_F(TindrelCollection, FromSpectrumGivesBackItsRanges)
{
    auto coll = function(0, 0);
    TKSMSCollectionSelection selection;
    TKSMassSpectrum spectrum;
    ASSERT_TRUE(coll->select(0.295, 0.425, false, selection, spectrum));
    ASSERT_TRUE(coll->select(0.995, 1.155, true, selection, spectrum));

    TKSMSCollectionSelection back;
    ASSERT_TRUE(back.fromSpectrum(spectrum));
    EXPECT_EQ(back.getInjectionIndex(), 0);
    EXPECT_EQ(back.getFunctionIndex(), 0);
    EXPECT_EQ(back.getScanRanges(), selection.getScanRanges());
    EXPECT_EQ(back.getTimeRanges(), selection.getTimeRanges());
    EXPECT_EQ(back.getBackgroundScanRanges(), selection.getBackgroundScanRanges());
    EXPECT_EQ(back.getBackgroundTimeRanges(), selection.getBackgroundTimeRanges());

    // A spectrum that no selection made gives nothing back.
    TKSMassSpectrum computed;
    computed.setPoints({100}, {1});
    EXPECT_FALSE(back.fromSpectrum(computed));
    EXPECT_TRUE(back.isEmpty());
    EXPECT_EQ(back.getInjectionIndex(), -1);
}

// The boolean adds the range as background to the selection that a
// spectrum carries; the spectrum is its scans less the scaled background.
TEST_F(TindrelCollection, SubtractAddsBackground)
{
    auto coll = function(0, 0);
    TKSMSCollectionSelection selection;
    TKSMassSpectrum acquired;
    ASSERT_TRUE(coll->select(0.295, 0.425, false, selection, acquired));

    TKSMSCollectionSelection fromPlot;
    ASSERT_TRUE(fromPlot.fromSpectrum(acquired));
    TKSMassSpectrum subtracted;
    ASSERT_TRUE(coll->select(0.995, 1.155, true, fromPlot, subtracted));
    EXPECT_EQ(fromPlot.getScanRanges(), (std::vector<TKSScanRange>{{16, 22}}));
    EXPECT_EQ(fromPlot.getBackgroundScanRanges(), (std::vector<TKSScanRange>{{51, 58}}));
    EXPECT_EQ(subtracted.getScanRanges(), fromPlot.getScanRanges());
    EXPECT_EQ(subtracted.getBackgroundScanRanges(), fromPlot.getBackgroundScanRanges());
    EXPECT_EQ(subtracted.getBackgroundTimeRanges(), fromPlot.getBackgroundTimeRanges());

    // The ion present in every scan is gone; the compound stays as it was.
    const double background = intensityNear(acquired, 149.0233, 0.05);
    EXPECT_GT(background, 30000);
    EXPECT_LT(intensityNear(subtracted, 149.0233, 0.05), background * 1e-3);
    EXPECT_NEAR(intensityNear(subtracted, 195.0877, 0.05), intensityNear(acquired, 195.0877, 0.05), 1e-6);

    // A second range adds a second background range.
    TKSMassSpectrum twice;
    ASSERT_TRUE(coll->select(0.0, 0.05, true, fromPlot, twice));
    EXPECT_EQ(fromPlot.getBackgroundScanRanges(), (std::vector<TKSScanRange>{{51, 58}, {1, 3}}));

    // Background needs a selection of this collection to add to.
    TKSMSCollectionSelection empty;
    TKSMassSpectrum none;
    EXPECT_FALSE(coll->select(0.995, 1.155, true, empty, none));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(none.getCount(), 0);
    auto negative = function(0, 1);
    TKSMSCollectionSelection other = selection;
    EXPECT_FALSE(negative->select(0.995, 1.155, true, other, none));
    EXPECT_EQ(other.getBackgroundScanRanges().size(), 0u);
}

TEST_F(TindrelCollection, SubtractionLowersTheProfileBaseline)
{
    auto coll = function(1, 0);
    TKSMSCollectionSelection selection;
    TKSMassSpectrum acquired, subtracted;
    ASSERT_TRUE(coll->select(0.44, 0.56, false, selection, acquired));
    ASSERT_FALSE(acquired.isCentroid());
    ASSERT_TRUE(coll->select(-1.0, 0.21, true, selection, subtracted));
    ASSERT_EQ(subtracted.getCount(), acquired.getCount());

    auto baseline = [](const TKSMassSpectrum& s) {
        std::vector<double> values;
        for (int i = 0; i < s.getCount(); ++i)
            if (s.getMZValues()[i] > 150 && s.getMZValues()[i] < 185)
                values.push_back(s.getIntensities()[i]);
        double mean = 0;
        for (double v : values)
            mean += v;
        return mean / double(values.size());
    };
    const double before = baseline(acquired);
    EXPECT_NEAR(before, 5 * 10, 10);  // five scans of noise between 0 and 20
    EXPECT_LT(baseline(subtracted), 0.5 * before);
    EXPECT_LT(intensityNear(subtracted, 250.0, 0.005), 0.1 * intensityNear(acquired, 250.0, 0.005));
    EXPECT_GT(intensityNear(subtracted, 193.0731, 0.005), 0.9 * intensityNear(acquired, 193.0731, 0.005));
    for (double v : subtracted.getIntensities())
        EXPECT_GE(v, 0);
}

TEST_F(TindrelCollection, PeakSelectModes)
{
    auto coll = function(0, 0);
    DirectFunction direct(CLSID_KSTindrelTestDataServer, m_path, 1, 1);
    TKSChromatogram tic;
    ASSERT_TRUE(coll->getTICChromatogram(tic));

    for (double time : {0.36, 0.33, 0.39}) {
        SCOPED_TRACE(time);
        TKSMSCollectionSelection selection;
        TKSMassSpectrum peak;
        ASSERT_TRUE(coll->select(time, TKSMSCollection::PeakSelectPeak, tic, selection, peak));
        ASSERT_EQ(selection.getScanRanges().size(), 1u);
        const TKSScanRange upper = selection.getScanRanges()[0];
        // The upper half of a Gaussian of 0.03 min sampled every 0.02 min
        // around its apex at scan 19: scans 18 to 20.
        EXPECT_EQ(upper, (TKSScanRange{18, 20}));
        EXPECT_TRUE(selection.getBackgroundScanRanges().empty());
        std::vector<double> mz, intensity;
        ASSERT_TRUE(direct.range(upper.first, upper.last, true, 0.1, mz, intensity));
        EXPECT_EQ(peak.getMZValues(), mz);

        TKSMassSpectrum subtracted;
        ASSERT_TRUE(coll->select(time, TKSMSCollection::PeakSelectPeakSubtract, tic, selection, subtracted));
        EXPECT_EQ(selection.getScanRanges()[0], upper);
        const auto& flanks = selection.getBackgroundScanRanges();
        ASSERT_EQ(flanks.size(), 2u);
        EXPECT_LT(flanks[0].last, upper.first);
        EXPECT_GT(flanks[1].first, upper.last);
        EXPECT_LT(intensityNear(subtracted, 149.0233, 0.05), 1e-3 * intensityNear(peak, 149.0233, 0.05));
        EXPECT_GT(intensityNear(subtracted, 195.0877, 0.05), 0.9 * intensityNear(peak, 195.0877, 0.05));
        EXPECT_EQ(subtracted.getBackgroundScanRanges(), flanks);
    }

    // A range selects the highest peak whose apex lies in it.
    TKSMSCollectionSelection selection;
    TKSMassSpectrum spectrum;
    ASSERT_TRUE(coll->select(0.30, 0.80, TKSMSCollection::PeakSelectPeak, tic, selection, spectrum));
    EXPECT_EQ(selection.getScanRanges()[0], (TKSScanRange{18, 20}));
    ASSERT_TRUE(coll->select(0.60, 0.80, TKSMSCollection::PeakSelectPeak, tic, selection, spectrum));
    const TKSScanRange second = selection.getScanRanges()[0];
    EXPECT_LE(second.first, 36);
    EXPECT_GE(second.last, 36);

    // Outside every peak the selection is the manual one.
    ASSERT_TRUE(coll->select(0.061, TKSMSCollection::PeakSelectPeakSubtract, tic, selection, spectrum));
    EXPECT_EQ(selection.getScanRanges(), (std::vector<TKSScanRange>{{4, 4}}));
    EXPECT_TRUE(selection.getBackgroundScanRanges().empty());

    // The peaks of a trace on a time axis of its own map onto the scans.
    std::unique_ptr<TKSInjections> injections(m_dataset->getInjections());
    std::unique_ptr<TKSInjection> injection(injections->getItem(0));
    std::unique_ptr<TKSTraces> traces(injection->getTraces());
    std::unique_ptr<TKSTrace> trace(traces->getItem(0));
    TKSChromatogram uv;
    ASSERT_TRUE(trace->getChromatogram(uv));
    ASSERT_TRUE(coll->select(0.355, TKSMSCollection::PeakSelectPeak, uv, selection, spectrum));
    const TKSScanRange fromUv = selection.getScanRanges()[0];
    EXPECT_LE(fromUv.first, 19);
    EXPECT_GE(fromUv.last, 18);
}

TEST_F(TindrelCollection, BadInputGivesNothing)
{
    auto coll = function(0, 0);
    TKSChromatogram tic;
    ASSERT_TRUE(coll->getTICChromatogram(tic));
    TKSMSCollectionSelection before;
    TKSMassSpectrum seed;
    ASSERT_TRUE(coll->select(0.295, 0.425, false, before, seed));

    struct Case {
        const char* name;
        double from, to;
        bool single;
        int forms;  // the manual forms, or also the peak form
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"NaN time", kNaN, kNaN, true, 3},
        {"infinite time", inf, inf, true, 3},
        {"NaN start", kNaN, 0.4, false, 3},
        {"NaN end", 0.3, kNaN, false, 3},
        {"reversed range", 0.425, 0.295, false, 3},
        // No scan in the range (a peak mode takes the peak there instead).
        {"range between two scans", 0.361, 0.362, false, 2},
        {"range beyond the run", 5, 6, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int form = 0; form < c.forms; ++form) {
            TKSMSCollectionSelection selection = before;
            TKSMassSpectrum spectrum = seed;
            bool result = false;
            if (form == 0)
                result = c.single ? coll->select(c.from, false, selection, spectrum)
                                  : coll->select(c.from, c.to, false, selection, spectrum);
            else if (form == 1)
                result = c.single ? coll->select(c.from, true, selection, spectrum)
                                  : coll->select(c.from, c.to, true, selection, spectrum);
            else
                result = c.single ? coll->select(c.from, TKSMSCollection::PeakSelectPeak, tic, selection, spectrum)
                                  : coll->select(c.from, c.to, TKSMSCollection::PeakSelectPeak, tic, selection,
                                                 spectrum);
            EXPECT_FALSE(result) << "form " << form;
            EXPECT_EQ(spectrum.getCount(), 0) << "form " << form;
            EXPECT_EQ(selection.getScanRanges(), before.getScanRanges()) << "form " << form;
            EXPECT_TRUE(selection.getBackgroundScanRanges().empty()) << "form " << form;
        }
    }

    TKSChromatogram mic;
    EXPECT_FALSE(coll->getMassChromatogram(kNaN, mic));
    EXPECT_FALSE(coll->getMassChromatogram(300, 200, mic));
    EXPECT_FALSE(coll->getMassChromatogram(kNaN, 200, mic));
    EXPECT_EQ(mic.getCount(), 0);

    // A chromatogram that is no chromatogram leaves the peak modes with no
    // peak: they select as the manual mode does.
    TKSChromatogram flat;
    flat.setPoints({0, 1}, {kNaN, 5});
    TKSMSCollectionSelection selection;
    TKSMassSpectrum spectrum;
    ASSERT_TRUE(coll->select(0.36, TKSMSCollection::PeakSelectPeak, flat, selection, spectrum));
    EXPECT_EQ(selection.getScanRanges(), (std::vector<TKSScanRange>{{19, 19}}));
}

}  // namespace
}  // namespace tindreltest
