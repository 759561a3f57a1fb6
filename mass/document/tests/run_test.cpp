// Data objects and dataset navigation over a generated run of the core
// library's test provider, registered into each case's registry.
#include <gtest/gtest.h>

#include <memory>

#include "doctest.h"
#include "kstest.h"
#include "massutils.h"
#include "tmassdataobj.h"

namespace {

const std::wstring kRunProvider = L"{25DEF092-05A5-4401-A622-8A662B7591BD}";

const char* const kRun =
    "kestrom-run 1\n"
    "run seed=11\n"
    "injection name=\"Injection A\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=60 start=0 step=0.02 low=100 high=700 noise=150 noisepeaks=15\n"
    "function name=\"MS/MS-\" type=2 polarity=2 order=2 precursor=195.0877 scans=60 start=0 step=0.02 low=50 high=300\n"
    "function name=\"Profile\" type=1 polarity=1 scans=20 start=0 step=0.05 low=190 high=200 profile=0.005 fwhm=0.05\n"
    "compound function=1 apex=0.7 width=0.05 height=48000 cluster=195.0877/1:100,9.7,1.2\n"
    "compound function=2 apex=0.7 width=0.05 height=9000 peaks=138.0662:100,110.0713:40\n"
    "compound function=3 apex=0.5 width=0.1 height=5000 peaks=195.0877:100\n"
    "trace name=\"UV 254\" start=0 step=0.005 points=240 baseline=2 peaks=0.7:0.03:1000\n"
    "injection name=\"Injection B\"\n"
    "function name=\"MS-\" type=1 polarity=2 scans=10 start=0 step=0.02 low=140 high=320\n";

class RunData : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "ks_tindrel_test_provider"}));
        const std::string path = ks::test::tempDir() + "/sample.run";
        ks::test::writeFile(path, kRun);
        TKSDataServer server;
        m_dataset.reset(server.openDataset(std::wstring(path.begin(), path.end()), kRunProvider));
        ASSERT_TRUE(m_dataset);
    }

    std::unique_ptr<TKSDataset> m_dataset;
};

TEST_F(RunData, Navigation)
{
    const TKSDataset* d = m_dataset.get();
    struct Case {
        const char* name;
        const TKSDataset* dataset;
        int injection, index;
        bool injectionThere, functionThere, traceThere;
        int functions;
    };
    const Case cases[] = {
        {"first injection", d, 0, 0, true, true, true, 3},
        {"third function", d, 0, 2, true, true, false, 3},
        {"second injection", d, 1, 0, true, true, false, 1},
        {"injection that does not exist", d, 2, 0, false, false, false, -1},
        {"negative injection", d, -1, 0, false, false, false, -1},
        {"function that does not exist", d, 0, 3, true, false, false, 3},
        {"no dataset", nullptr, 0, 0, false, false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TKSInjection> inj(datasetInjection(c.dataset, c.injection));
        std::unique_ptr<TKSFunction> fn(datasetFunction(c.dataset, c.injection, c.index));
        std::unique_ptr<TKSTrace> trace(datasetTrace(c.dataset, c.injection, c.index));
        std::unique_ptr<TKSMSCollection> coll(functionCollection(c.dataset, c.injection, c.index));
        EXPECT_EQ(inj != nullptr, c.injectionThere);
        EXPECT_EQ(fn != nullptr, c.functionThere);
        EXPECT_EQ(coll != nullptr, c.functionThere);
        EXPECT_EQ(trace != nullptr, c.traceThere);
        EXPECT_EQ(functionCount(c.dataset, c.injection), c.functions);
    }
    std::unique_ptr<TKSFunction> fn(datasetFunction(d, 0, 1));
    ASSERT_TRUE(fn);
    EXPECT_EQ(fn->getName(), L"MS/MS-");
    EXPECT_EQ(msTypeText(fn->getMSType()), "MS^n");
    EXPECT_EQ(polarityText(fn->getPolarity()), "Negative");
}

TEST_F(RunData, ObjectsFromTheDataset)
{
    std::unique_ptr<TKSMSCollection> ms(functionCollection(m_dataset.get(), 0, 0));
    std::unique_ptr<TKSMSCollection> msms(functionCollection(m_dataset.get(), 0, 1));
    ASSERT_TRUE(ms && msms);

    TKSChromatogram tic, mic;
    ASSERT_TRUE(ms->getTICChromatogram(tic));
    ASSERT_TRUE(ms->getMassChromatogram(445.1, mic));
    TChromatogramDataObj ticObject(QUuid::createUuid(), tic, 1);
    TChromatogramDataObj micObject(QUuid::createUuid(), mic, 445.1, 445.1, 3);
    EXPECT_EQ(ticObject.description(), "TIC");
    EXPECT_EQ(micObject.description(), "MIC [445.1]");
    ticObject.detectPeaks();
    ASSERT_EQ(ticObject.peaks().size(), 1);
    EXPECT_NEAR(ticObject.peaks()[0].position.x(), 0.7, 0.021);

    // Scans 34 to 40 are at 0.66 to 0.78 minutes.
    TKSMSCollectionSelection selection;
    TKSMassSpectrum selected;
    ASSERT_TRUE(msms->select(0.655, 0.785, false, selection, selected));
    TMassSpecDataObj spec(QUuid::createUuid(), selected, 1);
    EXPECT_TRUE(spec.description().endsWith(" - spectrum 34..40"));
    // One scan: the spectrum as the function gives it.
    TKSMSCollectionSelection single;
    TKSMassSpectrum one;
    ASSERT_TRUE(msms->select(0.661, false, single, one));
    EXPECT_EQ(TMassSpecDataObj(QUuid(), one, 1).description(), "MS^2 - spectrum 34");
    EXPECT_TRUE(spec.isCentroid());
    spec.buildPeaks();
    EXPECT_EQ(spec.peaks().size(), selected.getCount());
    EXPECT_EQ(spec.getInjectionIndex(), 0);
    EXPECT_EQ(spec.getFunctionIndex(), 1);
    EXPECT_EQ(timeRangesText(selected, 'f', 2), " 0.66..0.78");

    // Round trips through one stream, in order.
    QByteArray bytes = doctest::written([&](TDataStream& s) {
        TMassDataObj::writeToStream(s, ticObject);
        TMassDataObj::writeToStream(s, micObject);
        TMassDataObj::writeToStream(s, spec);
    });
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    std::unique_ptr<TMassDataObj> a(TMassDataObj::createFromStream(s));
    std::unique_ptr<TMassDataObj> b(TMassDataObj::createFromStream(s));
    std::unique_ptr<TMassDataObj> c(TMassDataObj::createFromStream(s));
    ASSERT_TRUE(a && b && c);
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(s.remaining(), 0);
    const auto& ticBack = static_cast<const TChromatogramDataObj&>(*a);
    EXPECT_EQ(ticBack.id(), ticObject.id());
    EXPECT_EQ(ticBack.chromatogram().getRTValues(), tic.getRTValues());
    EXPECT_EQ(ticBack.chromatogram().getIntensities(), tic.getIntensities());
    EXPECT_EQ(ticBack.peaks().size(), 1);
    EXPECT_EQ(ticBack.peaks()[0].area, ticObject.peaks()[0].area);
    EXPECT_EQ(b->description(), "MIC [445.1]");
    const TMassSpecDataObj* specBack = TMassSpecDataObj::cast(c.get());
    ASSERT_TRUE(specBack);
    EXPECT_EQ(specBack->description(), spec.description());
    EXPECT_EQ(specBack->spectrum().getMZValues(), selected.getMZValues());
    EXPECT_EQ(specBack->peaks().size(), spec.peaks().size());
    EXPECT_EQ(doctest::hex(doctest::written([&](TDataStream& w) { TMassDataObj::writeToStream(w, *specBack); })),
              doctest::hex(doctest::written([&](TDataStream& w) { TMassDataObj::writeToStream(w, spec); })));
}

TEST_F(RunData, CentroidsAProfileSpectrum)
{
    std::unique_ptr<TKSMSCollection> prof(functionCollection(m_dataset.get(), 0, 2));
    ASSERT_TRUE(prof);
    TKSMassSpectrum s;
    ASSERT_TRUE(prof->getSpectrum(10, s));
    ASSERT_FALSE(s.isCentroid());
    TMassSpecDataObj object(QUuid::createUuid(), s, 1);
    object.buildPeaks();
    EXPECT_TRUE(object.isCentroidedHere());
    ASSERT_EQ(object.peaks().size(), 1);
    EXPECT_NEAR(object.peaks()[0].position.x(), 195.0877, 0.002);
    EXPECT_NEAR(object.peakWidth(), 0.05, 0.005);
}

}  // namespace
