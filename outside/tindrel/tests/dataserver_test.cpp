// Datasets through the data services: the provider list, checking and
// opening, the tree, and the same data the data services give.
#include "tindreltest.h"

#include <algorithm>

namespace tindreltest {
namespace {

const char kTwoInjections[] = R"(kestrom-run 1
run seed=11
injection name="Injection A"
function name="MS+" type=1 polarity=1 scans=30 start=0 step=0.02 low=100 high=700 noise=100 noisepeaks=8
function name="Product of 195" type=2 polarity=1 order=2 msms=2 precursor=195.0877 scans=30 start=0.01 step=0.02 low=50 high=300
compound function=1 apex=0.30 width=0.03 height=40000 cluster=195.0877/1:100,9.7,1.2
compound function=2 apex=0.30 width=0.03 height=9000 peaks=138.0662:100,110.0713:40
trace name="UV 254" start=0 step=0.01 points=60 baseline=2 peaks=0.29:0.03:1000
injection name="Injection B"
function name="MS-" type=1 polarity=2 scans=20 start=0 step=0.05 low=100 high=400 profile=0.02 fwhm=0.06 noise=3
compound function=1 apex=0.5 width=0.1 height=20000 peaks=193.0731:100,194.0764:9
)";

using TindrelDataServer = TindrelTest;

TEST_F(TindrelDataServer, ProviderList)
{
    TKSDataServer server;
    const auto filters = server.getDatasetFilters();
    const auto ids = server.getDatasetProviderIDs();
    ASSERT_EQ(filters.size(), ids.size());
    auto find = [&](const std::wstring& id) {
        return static_cast<size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
    };
    const size_t text = find(kTextProviderId);
    const size_t run = find(kRunProviderId);
    ASSERT_LT(text, ids.size());
    ASSERT_LT(run, ids.size());
    // The text provider has no "File Filter": its "Menu Name" stands in.
    EXPECT_EQ(filters[text], L"Text File");
    EXPECT_EQ(filters[run], L"Generated Run (*.run)");
    // Registered in this order: the provider server keeps it.
    EXPECT_LT(text, run);
    EXPECT_EQ(ids.size(), 2u);
}

TEST_F(TindrelDataServer, UnregisteredProvider)
{
    TKSDataServer server;
    std::wstring path = wide(bundledTextDataset());
    EXPECT_FALSE(server.isValidDataset(path, L"{00000000-0000-0000-0000-000000000001}"));
    EXPECT_EQ(server.openDataset(path, L"{00000000-0000-0000-0000-000000000001}"), nullptr);
}

struct ValidityCase {
    const char* name;
    std::string path;   // relative to the case folder unless absolute
    std::wstring provider;
    bool valid;
    bool opens;
};

TEST_F(TindrelDataServer, CheckAndOpen)
{
    writeRun("good.run", kTwoInjections);
    writeRun("GOOD2.RUN", kTwoInjections);
    writeRun("damaged.run", std::string("kestrom-run 1\ninjection\nfunction scans=oops\n"));
    writeRun("other.run", "not a run\n");
    std::wstring lowerId(kRunProviderId);
    std::transform(lowerId.begin(), lowerId.end(), lowerId.begin(), ::towlower);
    const ValidityCase cases[] = {
        {"run", "good.run", kRunProviderId, true, true},
        {"upper-case extension", "GOOD2.RUN", kRunProviderId, true, true},
        {"identifier in lower case", "good.run", lowerId, true, true},
        // Open is the provider's own: the text reader takes any text file.
        {"text provider refuses a run", "good.run", kTextProviderId, false, true},
        {"valid but damaged", "damaged.run", kRunProviderId, true, false},
        {"wrong first line", "other.run", kRunProviderId, false, false},
        {"missing file", "missing.run", kRunProviderId, false, false},
        {"unbraced identifier", "good.run", kRunProviderId.substr(1, 36), false, false},
        {"no identifier", "good.run", L"", false, false},
        {"text dataset", bundledTextDataset(), kTextProviderId, true, true},
    };
    TKSDataServer server;
    for (const ValidityCase& c : cases) {
        const std::string path = c.path[0] == '/' ? c.path : ks::test::tempDir() + "/" + c.path;
        std::wstring given = wide(path);
        EXPECT_EQ(server.isValidDataset(given, c.provider), c.valid) << c.name;
        EXPECT_EQ(given, wide(path)) << c.name;
        std::unique_ptr<TKSDataset> dataset(server.openDataset(wide(path), c.provider));
        EXPECT_EQ(dataset != nullptr, c.opens) << c.name;
        if (dataset) {
            EXPECT_EQ(dataset->getDatasetName(), wide(path)) << c.name;
            std::wstring upper(c.provider);
            std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
            EXPECT_EQ(dataset->getDatasetProviderID(), upper) << c.name;
        }
    }
}

TEST_F(TindrelDataServer, Tree)
{
    auto dataset = open(writeRun("two.run", kTwoInjections), kRunProviderId);
    ASSERT_TRUE(dataset);
    EXPECT_EQ(dataset->getInjectionCount(), 2);
    std::unique_ptr<TKSInjections> injections(dataset->getInjections());
    ASSERT_TRUE(injections);
    ASSERT_EQ(injections->getCount(), 2);
    EXPECT_EQ(injections->getItem(2), nullptr);
    EXPECT_EQ(injections->getItem(-1), nullptr);

    struct FunctionFacts {
        int injection, function;
        const wchar_t* name;
        int msType, order, msmsType, polarity, count;
    };
    const FunctionFacts facts[] = {
        {0, 0, L"MS+", 1, 1, 0, 1, 30},
        {0, 1, L"Product of 195", 2, 2, 2, 1, 30},
        {1, 0, L"MS-", 1, 1, 0, 2, 20},
    };
    for (const FunctionFacts& f : facts) {
        std::unique_ptr<TKSInjection> injection(injections->getItem(f.injection));
        ASSERT_TRUE(injection);
        EXPECT_EQ(injection->getIndex(), f.injection);
        EXPECT_EQ(injection->getName(), f.injection == 0 ? L"Injection A" : L"Injection B");
        std::unique_ptr<TKSFunctions> functions(injection->getFunctions());
        ASSERT_TRUE(functions);
        EXPECT_EQ(functions->getCount(), f.injection == 0 ? 2 : 1);
        EXPECT_EQ(functions->getItem(functions->getCount()), nullptr);
        std::unique_ptr<TKSFunction> function(functions->getItem(f.function));
        ASSERT_TRUE(function);
        EXPECT_EQ(function->getName(), f.name);
        EXPECT_EQ(function->getIndex(), f.function);
        EXPECT_EQ(function->getMSType(), f.msType);
        EXPECT_EQ(function->getMSOrder(), f.order);
        EXPECT_EQ(function->getMSMSType(), f.msmsType);
        EXPECT_EQ(function->getPolarity(), f.polarity);
        EXPECT_EQ(function->getMSAnalyzerType(), 0);
        EXPECT_EQ(function->getCount(), f.count);
        std::unique_ptr<TKSMSCollection> collection(function->getSpectrumCollection());
        ASSERT_TRUE(collection);
        EXPECT_EQ(collection->getCount(), f.count);
        EXPECT_EQ(collection->getInjectionIndex(), f.injection);
        EXPECT_EQ(collection->getFunctionIndex(), f.function);
        int first = -1, last = -1;
        ASSERT_TRUE(collection->getSpectrumIndexRange(first, last));
        EXPECT_EQ(first, 0);
        EXPECT_EQ(last, f.count - 1);
    }

    std::unique_ptr<TKSInjection> injection(injections->getItem(0));
    std::unique_ptr<TKSTraces> traces(injection->getTraces());
    ASSERT_TRUE(traces);
    ASSERT_EQ(traces->getCount(), 1);
    EXPECT_EQ(traces->getItem(1), nullptr);
    std::unique_ptr<TKSTrace> trace(traces->getItem(0));
    ASSERT_TRUE(trace);
    EXPECT_EQ(trace->getName(), L"UV 254");
    EXPECT_EQ(trace->getIndex(), 0);
    TKSChromatogram uv;
    ASSERT_TRUE(trace->getChromatogram(uv));
    EXPECT_EQ(uv.getCount(), 60);
    EXPECT_EQ(uv.getInjectionIndex(), 0);
    EXPECT_EQ(uv.getTraceIndex(), 0);
    EXPECT_EQ(uv.getFunctionIndex(), -1);
    EXPECT_NEAR(uv.getMaximumIntensity(), 1002, 1e-6);
    EXPECT_NEAR(uv.getRTValues()[29], 0.29, 1e-12);

    // The text provider's single injection has no traces.
    auto text = open(bundledTextDataset(), kTextProviderId);
    ASSERT_TRUE(text);
    std::unique_ptr<TKSInjections> textInjections(text->getInjections());
    std::unique_ptr<TKSInjection> textInjection(textInjections->getItem(0));
    std::unique_ptr<TKSTraces> textTraces(textInjection->getTraces());
    ASSERT_TRUE(textTraces);
    EXPECT_EQ(textTraces->getCount(), 0);
}

// Tree objects keep the data server alive after everything above them is
// deleted, whatever order the caller deletes things in.
TEST_F(TindrelDataServer, TreeObjectsKeepTheDatasetAlive)
{
    auto dataset = open(writeRun("two.run", kTwoInjections), kRunProviderId);
    ASSERT_TRUE(dataset);
    std::unique_ptr<TKSMSCollection> coll = collection(*dataset, 0, 0);
    std::unique_ptr<TKSInjections> injections(dataset->getInjections());
    std::unique_ptr<TKSInjection> injection(injections->getItem(0));
    std::unique_ptr<TKSTraces> traces(injection->getTraces());
    std::unique_ptr<TKSTrace> trace(traces->getItem(0));
    dataset.reset();
    injections.reset();
    injection.reset();
    traces.reset();
    ASSERT_TRUE(coll);
    TKSChromatogram tic, uv;
    EXPECT_TRUE(coll->getTICChromatogram(tic));
    EXPECT_EQ(tic.getCount(), 30);
    TKSMassSpectrum s;
    EXPECT_TRUE(coll->getSpectrum(15, s));
    EXPECT_GT(s.getCount(), 0);
    EXPECT_TRUE(trace->getChromatogram(uv));
    EXPECT_EQ(uv.getCount(), 60);
}

// The stand-in gives what the data services give: counts, TIC and every
// spectrum of the bundled text dataset and of each function of a run.
TEST_F(TindrelDataServer, SameDataAsTheDataServices)
{
    struct Source {
        std::string path;
        std::wstring provider;
        CLSID dataServer;
        int injection, function;
    };
    const std::string run = writeRun("two.run", kTwoInjections);
    const Source sources[] = {
        {bundledTextDataset(), kTextProviderId, kTextDataServer, 0, 0},
        {run, kRunProviderId, CLSID_KSTindrelTestDataServer, 0, 0},
        {run, kRunProviderId, CLSID_KSTindrelTestDataServer, 0, 1},
        {run, kRunProviderId, CLSID_KSTindrelTestDataServer, 1, 0},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.path + " " + std::to_string(source.injection) + "/" + std::to_string(source.function));
        auto dataset = open(source.path, source.provider);
        ASSERT_TRUE(dataset);
        auto collection = TindrelTest::collection(*dataset, source.injection, source.function);
        ASSERT_TRUE(collection);
        DirectFunction direct(source.dataServer, source.path, source.injection + 1, source.function + 1);
        ASSERT_TRUE(direct);
        ASSERT_EQ(collection->getCount(), direct.count());
        ASSERT_GT(direct.count(), 0);

        std::vector<double> times, sums;
        ASSERT_TRUE(direct.tic(times, sums));
        TKSChromatogram tic;
        ASSERT_TRUE(collection->getTICChromatogram(tic));
        EXPECT_EQ(tic.getRTValues(), times);
        EXPECT_EQ(tic.getIntensities(), sums);
        EXPECT_EQ(tic.getInjectionIndex(), source.injection);
        EXPECT_EQ(tic.getFunctionIndex(), source.function);

        TKSChromatogram bpc;
        ASSERT_TRUE(collection->getBPChromatogram(bpc));
        ASSERT_EQ(bpc.getCount(), tic.getCount());

        for (LONG i = 1; i <= direct.count(); ++i) {
            std::vector<double> mz, intensity;
            ASSERT_TRUE(direct.spectrum(i, mz, intensity));
            TKSMassSpectrum s;
            ASSERT_TRUE(collection->getSpectrum(i - 1, s));
            EXPECT_EQ(s.getMZValues(), mz);
            EXPECT_EQ(s.getIntensities(), intensity);
            EXPECT_EQ(s.getScanRanges(), (std::vector<TKSScanRange>{{i, i}}));
            EXPECT_EQ(s.getTimeRanges(), (std::vector<TKSTimeRange>{{times[i - 1], times[i - 1]}}));
            EXPECT_EQ(s.getInjectionIndex(), source.injection);
            EXPECT_EQ(s.getFunctionIndex(), source.function);
            EXPECT_EQ(bpc.getIntensities()[i - 1], s.getMaximumIntensity());
        }
        TKSMassSpectrum none;
        EXPECT_FALSE(collection->getSpectrum(-1, none));
        EXPECT_FALSE(collection->getSpectrum(direct.count(), none));
    }
}

TEST_F(TindrelDataServer, SpectrumFields)
{
    auto dataset = open(writeRun("two.run", kTwoInjections), kRunProviderId);
    ASSERT_TRUE(dataset);
    struct Expect {
        int injection, function;
        bool centroid;
        int order, polarity;
        double precursor;
    };
    for (const Expect& e : {Expect{0, 0, true, 1, 1, 0}, Expect{0, 1, true, 2, 1, 195.0877},
                            Expect{1, 0, false, 1, 2, 0}}) {
        auto collection = TindrelTest::collection(*dataset, e.injection, e.function);
        ASSERT_TRUE(collection);
        TKSMassSpectrum s;
        ASSERT_TRUE(collection->getSpectrum(5, s));
        EXPECT_EQ(s.isCentroid(), e.centroid);
        EXPECT_EQ(s.getMSOrder(), e.order);
        EXPECT_EQ(s.getPolarity(), e.polarity);
        EXPECT_DOUBLE_EQ(s.getPrecursorMZ(), e.precursor);
    }
    auto ms = TindrelTest::collection(*dataset, 0, 0);
    double low = 0, high = 0;
    ASSERT_TRUE(ms->getAcquiredMassRange(low, high));
    EXPECT_GE(low, 100);
    EXPECT_LE(high, 700);
    EXPECT_LE(low, 195.0877);
    auto profile = TindrelTest::collection(*dataset, 1, 0);
    ASSERT_TRUE(profile->getAcquiredMassRange(low, high));
    EXPECT_DOUBLE_EQ(low, 100);
    EXPECT_NEAR(high, 400, 1e-9);
}

}  // namespace
}  // namespace tindreltest
