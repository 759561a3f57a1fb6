// The mass item over datasets of registered providers: an empty item,
// import (TIC and the spectrum at the TIC's highest peak), active
// functions, lookups, the matcher's input, and its plug-in data (round
// trip with the handler's key, the key taken over, reads refused, damaged
// and cut bytes, a dataset that no longer opens, stored active functions
// outside the dataset).
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include "itemtest.h"
#include "kstest.h"
#include "t1dmassplot.h"
#include "tmassdataobj.h"

using namespace itemtest;

namespace {

const char* const kOnePointRun =
    "kestrom-run 1\n"
    "injection name=\"Single\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=1 start=0.5 step=0.02 low=100 high=120\n"
    "compound function=1 apex=0.5 width=0.03 height=1000 peaks=110:100\n";

const char* const kSmallRun =
    "kestrom-run 1\n"
    "injection name=\"Small\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=6 start=0 step=0.05 low=100 high=104\n"
    "compound function=1 apex=0.1 width=0.05 height=500 peaks=102:100\n";

int scanOf(const TMassDataObj* object)
{
    const auto* s = TMassSpecDataObj::cast(object);
    if (!s || s->spectrum().getScanRanges().empty())
        return -1;
    return s->spectrum().getScanRanges().front().first;
}

TMassSpecDataObj* spectrumOf(TKSMSCollection* collection, int index, int subtype = 1)
{
    TKSMassSpectrum spectrum;
    EXPECT_TRUE(collection && collection->getSpectrum(index, spectrum));
    return new TMassSpecDataObj(QUuid::createUuid(), spectrum, subtype);
}

// Every plot has its data object, and the current plot is one of them.
void expectConsistent(const TCanvasMass& item)
{
    for (const TBasePlot* p : item.plots())
        EXPECT_NE(item.dataObject(p->id()), nullptr);
    EXPECT_TRUE(item.currentPlot() == nullptr || item.plots().contains(item.currentPlot()));
}

}  // namespace

class MassItem : public ItemTest {};

TEST_F(MassItem, EmptyItemOfTheFactory)
{
    TCanvasMass* item = emptyItem();
    EXPECT_EQ(item->rtti(), 112);
    EXPECT_EQ(item->itemFlags(), 2u);
    EXPECT_TRUE(item->datasetKey().isNull());
    EXPECT_EQ(item->dataset(), nullptr);
    EXPECT_EQ(item->msCollection(0, 0), nullptr);
    EXPECT_EQ(item->chromatogramTolerance(), 0.25);
    EXPECT_EQ(item->mergeTolerance(), 0.1);
    EXPECT_EQ(item->toleranceUnits(), 3);
    EXPECT_EQ(item->selectionMode(), 0);
    EXPECT_EQ(item->behaviourFlags(), 0);
    EXPECT_EQ(item->plotCount(), 0);
    EXPECT_EQ(item->type(), "MS");
    EXPECT_EQ(item->subtype(), "");
    EXPECT_EQ(item->ownerPlugin(), plugin.get());
    EXPECT_EQ(item->activeFunction(-1), -1);
    EXPECT_EQ(item->activeFunction(0), -1);
    EXPECT_FALSE(item->setActiveFunction(0, 0));
    EXPECT_EQ(item->currentDataObject(), nullptr);
    QPointF p;
    EXPECT_FALSE(item->pointNear(100, p));
    item->setMatcherSpectra();  // no current plot: nothing
    EXPECT_EQ(item->moleculeMatch().injection(), -1);
    ASSERT_NE(item->properties()->bagOfType(TItemPropertiesBag::MassSpectrum), nullptr);

    item->setChromatogramTolerance(10, false);
    EXPECT_EQ(item->toleranceUnits(), 2);
    item->setMergeTolerance(5, false);
    EXPECT_EQ(item->toleranceUnits(), 0);
    item->setMergeTolerance(0.5, true);
    EXPECT_EQ(item->toleranceUnits(), 2);
    EXPECT_EQ(item->mergeTolerance(), 0.5);
}

TEST_F(MassItem, ImportedRunStartsWithTheTicAndTheSpectrumAtItsHighestPeak)
{
    const QString path = writeCaseFile("two.run", kRunTwoInjections);
    TCanvasMass* item = import(path, kRunProviderId);
    ASSERT_NE(item->dataset(), nullptr);
    EXPECT_EQ(item->itemFlags(), 3u);
    EXPECT_EQ(item->datasetName(), path);
    EXPECT_EQ(item->providerId(), kRunProviderId);
    ASSERT_EQ(item->plotCount(), 2);
    const TMassDataObj* tic = item->dataObject(item->plotAtIndex(0)->id());
    const TMassDataObj* spectrum = item->dataObject(item->plotAtIndex(1)->id());
    ASSERT_TRUE(tic && spectrum);
    EXPECT_EQ(tic->kind(), TMassDataObj::Chromatogram);
    EXPECT_EQ(tic->subtype(), 1);
    EXPECT_EQ(tic->values(0).count, 20);
    EXPECT_EQ(spectrum->kind(), TMassDataObj::MassSpectrum);
    EXPECT_EQ(spectrum->subtype(), 1);
    // The compound's apex at 0.2 min is spectrum 10 of 0.02 min steps,
    // scan 11 (scans count from 1).
    EXPECT_EQ(scanOf(spectrum), 11);
    EXPECT_NEAR(TMassSpecDataObj::cast(spectrum)->spectrum().getBasePeakMZ(), 195.0877, 0.05);
    EXPECT_EQ(item->currentPlot(), item->plotAtIndex(0));
    EXPECT_EQ(item->subtype(), "Chrom/Spec");
    EXPECT_EQ(item->plotTitle(tic->id(), "{injN}", 3), "A");
    EXPECT_EQ(item->plotTitle(QUuid::createUuid(), "{injN}", 3), "");

    // Active functions: 0 for both injections.
    EXPECT_EQ(item->activeFunctions(), QVector<int>({0, 0}));
    struct Case {
        int injection, function;
        bool set;
    };
    const Case cases[] = {{0, 2, true}, {0, 3, false}, {1, 1, false}, {1, 0, true}, {2, 0, false}, {-1, 0, false},
                          {0, -1, false}};
    for (const Case& c : cases)
        EXPECT_EQ(item->setActiveFunction(c.injection, c.function), c.set) << c.injection << "/" << c.function;
    EXPECT_EQ(item->activeFunction(0), 2);
    EXPECT_EQ(item->activeFunction(1), 0);
    EXPECT_EQ(item->activeFunction(2), -1);
    EXPECT_EQ(item->activeFunction(-1), -1);
}

TEST_F(MassItem, TicOfOnePointGivesTheSpectrumAlone)
{
    TCanvasMass* item = import(writeCaseFile("one.run", kOnePointRun), kRunProviderId);
    ASSERT_EQ(item->plotCount(), 1);
    const TMassDataObj* spectrum = item->dataObject(item->plotAtIndex(0)->id());
    ASSERT_NE(spectrum, nullptr);
    EXPECT_EQ(spectrum->kind(), TMassDataObj::MassSpectrum);
    EXPECT_EQ(scanOf(spectrum), 1);  // spectrum 0
    EXPECT_EQ(item->subtype(), "Spec");
}

TEST_F(MassItem, BundledTextDataset)
{
    TCanvasMass* item = import(bundledTextDataset(), kTextProviderId);
    ASSERT_NE(item->dataset(), nullptr);
    EXPECT_EQ(item->providerId(), kTextProviderId);
    ASSERT_GE(item->plotCount(), 1);
    expectConsistent(*item);
    const QByteArray bytes = pluginData(*item);
    TCanvasMass* back = emptyItem();
    ASSERT_TRUE(readPluginData(*back, bytes));
    EXPECT_EQ(back->datasetKey(), item->datasetKey());
    EXPECT_EQ(pluginData(*back), bytes);
}

TEST_F(MassItem, RealChemStationRun)
{
    if (!QFile::exists(QStringLiteral(KS_LIB_DIR "/KSAgilentProvider.so")))
        GTEST_SKIP() << "the ChemStation provider module is not in the build's lib folder";
    ASSERT_TRUE(ks::test::registerComponents({"KSAgilentProvider"}));
    const QString path = QString::fromStdString(ks::test::realData("chemstation-ms/rainbow-orange.D"));
    TCanvasMass* item = import(path, kChemStationProviderId);
    ASSERT_NE(item->dataset(), nullptr);
    ASSERT_EQ(item->plotCount(), 2);
    EXPECT_EQ(item->subtype(), "Chrom/Spec");
    expectConsistent(*item);
}

TEST_F(MassItem, LookupsAndTheMatcherInput)
{
    TCanvasMass* item = import(writeCaseFile("two.run", kRunTwoInjections), kRunProviderId);
    ASSERT_EQ(item->plotCount(), 2);
    const QUuid ticId = item->plotAtIndex(0)->id();
    const QUuid specId = item->plotAtIndex(1)->id();
    EXPECT_TRUE(item->isChromatogramPlot(ticId));
    EXPECT_FALSE(item->isSpectrumPlot(ticId));
    EXPECT_TRUE(item->isSpectrumPlot(specId));
    EXPECT_FALSE(item->isSpectrumPlot(QUuid::createUuid()));
    EXPECT_EQ(item->datasetSpectrumId(0, 0), specId);
    EXPECT_EQ(item->datasetChromatogramId(0, 0), ticId);
    EXPECT_TRUE(item->datasetSpectrumId(0, 1).isNull());

    // Spectra of the MS/MS+ and MS- functions, and a second acquired MS+
    // spectrum.
    TMassSpecDataObj* msms = spectrumOf(item->msCollection(0, 1), 3);
    TMassSpecDataObj* negative = spectrumOf(item->msCollection(0, 2), 4);
    TMassSpecDataObj* other = spectrumOf(item->msCollection(0, 0), 2);
    item->addPlotObject(msms);
    item->addPlotObject(negative);
    item->addPlotObject(other);
    EXPECT_EQ(item->datasetSpectrumId(0, 1), msms->id());

    // Of two acquired spectra the first visible in key order.
    const QUuid first = qMin(specId, other->id());
    const QUuid second = qMax(specId, other->id());
    EXPECT_EQ(item->datasetSpectrumId(0, 0), first);
    item->setPlotVisible(first, false);
    EXPECT_EQ(item->datasetSpectrumId(0, 0), second);
    item->setPlotVisible(second, false);
    EXPECT_EQ(item->datasetSpectrumId(0, 0), first);

    QVector<TMassDataObj*> objects;
    EXPECT_TRUE(item->dataObjectsOf(0, 0, objects, true));
    EXPECT_EQ(objects.size(), 3);  // TIC and two spectra
    EXPECT_TRUE(item->dataObjectsOf(0, 2, objects, true));
    EXPECT_EQ(objects, QVector<TMassDataObj*>({negative}));
    EXPECT_FALSE(item->dataObjectsOf(1, 0, objects, true));
    EXPECT_TRUE(objects.isEmpty());
    EXPECT_FALSE(item->dataObjectsOf(0, 0, objects, false));  // no trace objects

    // The current plot (the TIC) is of injection 0: MS+ 0, MS/MS+ 1, MS- 2.
    ASSERT_EQ(item->currentPlot()->id(), ticId);
    item->setMatcherSpectra();
    const TMassMoleculeMatch& match = item->moleculeMatch();
    EXPECT_EQ(match.injection(), 0);
    EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSPositive), 0);
    EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSMSPositive), 1);
    EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSNegative), 2);
    EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSMSNegative), -1);

    // A current object of an injection the dataset does not hold: nothing.
    TKSMassSpectrum stray;
    stray.setPoints({100, 101}, {1, 2});
    stray.setSource(5, 0);
    auto* strayObject = new TMassSpecDataObj(QUuid::createUuid(), stray, 1);
    item->addPlotObject(strayObject);
    item->setCurrentPlot(item->plot(strayObject->id(), false));
    item->setMatcherSpectra();
    EXPECT_EQ(item->moleculeMatch().injection(), 0);
}

// Functions of unknown polarity feed the positive slots of the matcher,
// unless a positive function of the same order is plotted.
TEST_F(MassItem, UnknownPolarityStandsInForPositiveInTheMatcherInput)
{
    struct Case {
        const char* name;
        const char* run;
        int msPositive, msmsPositive, msNegative;
    };
    const Case cases[] = {
        {"unknown only",
         "kestrom-run 1\ninjection name=\"U\"\n"
         "function name=\"MS\" type=1 polarity=0 scans=8 start=0 step=0.02 low=100 high=300\n"
         "function name=\"MS/MS\" type=2 polarity=0 order=2 scans=8 start=0.01 step=0.02 low=50 high=200\n",
         0, 1, -1},
        {"positive beside unknown",
         "kestrom-run 1\ninjection name=\"P\"\n"
         "function name=\"MS\" type=1 polarity=0 scans=8 start=0 step=0.02 low=100 high=300\n"
         "function name=\"MS+\" type=1 polarity=1 scans=8 start=0.01 step=0.02 low=100 high=300\n",
         1, -1, -1},
        {"negative and unknown",
         "kestrom-run 1\ninjection name=\"N\"\n"
         "function name=\"MS-\" type=1 polarity=2 scans=8 start=0 step=0.02 low=100 high=300\n"
         "function name=\"MS\" type=1 polarity=0 scans=8 start=0.01 step=0.02 low=100 high=300\n",
         1, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCanvasMass* item = import(writeCaseFile((std::to_string(&c - cases) + ".run").c_str(), c.run), kRunProviderId);
        ASSERT_NE(item->dataset(), nullptr);
        // Plot one spectrum of every function, then make the first plot current.
        std::unique_ptr<TKSInjections> injections(item->dataset()->getInjections());
        std::unique_ptr<TKSInjection> injection(injections->getItem(0));
        std::unique_ptr<TKSFunctions> functions(injection->getFunctions());
        for (int f = 0; f < functions->getCount(); ++f)
            item->addPlotObject(spectrumOf(item->msCollection(0, f), 1));
        item->setCurrentPlot(item->plotAtIndex(0));
        item->setMatcherSpectra();
        const TMassMoleculeMatch& match = item->moleculeMatch();
        EXPECT_EQ(match.injection(), 0);
        EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSPositive), c.msPositive);
        EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSMSPositive), c.msmsPositive);
        EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSNegative), c.msNegative);
        EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSMSNegative), -1);
    }
}

TEST_F(MassItem, WrittenAndReadBackIntoAFreshItem)
{
    const QString path = writeCaseFile("two.run", kRunTwoInjections);
    TCanvasMass* item = import(path, kRunProviderId);
    item->setSelectionMode(TCanvasMass::SelectPeakSubtract);
    item->setBehaviourFlags(TCanvasMass::AppendSpectra);
    item->setChromatogramTolerance(12.5, false);
    item->setMergeTolerance(0.3, true);
    ASSERT_TRUE(item->setActiveFunction(0, 1));
    item->setPlotVisible(item->plotAtIndex(0)->id(), false);
    item->setCurrentPlot(item->plotAtIndex(1));
    const QByteArray bytes = pluginData(*item);

    TCanvasMass* back = emptyItem();
    ASSERT_TRUE(readPluginData(*back, bytes));
    EXPECT_EQ(back->datasetKey(), handler().openDataset(path, kRunProviderId));
    handler().closeDataset(back->datasetKey());
    EXPECT_EQ(handler().entry(item->datasetKey())->useCount(), 2);
    EXPECT_EQ(back->itemFlags(), 3u);
    EXPECT_EQ(back->datasetName(), path);
    EXPECT_EQ(back->providerId(), kRunProviderId);
    EXPECT_EQ(back->selectionMode(), 2);
    EXPECT_EQ(back->behaviourFlags(), 1);
    EXPECT_EQ(back->chromatogramTolerance(), 12.5);
    EXPECT_EQ(back->mergeTolerance(), 0.3);
    EXPECT_EQ(back->toleranceUnits(), 2);
    EXPECT_EQ(back->activeFunctions(), QVector<int>({1, 0}));
    EXPECT_EQ(back->dataObjects().keys(), item->dataObjects().keys());
    ASSERT_EQ(back->plotCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(back->plotAtIndex(i)->id(), item->plotAtIndex(i)->id());
        EXPECT_EQ(back->plotAtIndex(i)->visible(), item->plotAtIndex(i)->visible());
    }
    EXPECT_EQ(back->currentPlotIndex(), 1);
    EXPECT_EQ(back->subtype(), "Spec");
    EXPECT_EQ(pluginData(*back), bytes);
}

TEST_F(MassItem, ReadTakesTheNewKeyAndReleasesTheOldOne)
{
    const QString path = writeCaseFile("two.run", kRunTwoInjections);
    TCanvasMass* source = import(path, kRunProviderId);
    const QByteArray bytes = pluginData(*source);
    // An item holding a key of its own but nothing else (a path no
    // provider opens).
    const QUuid stale = handler().openDataset(writeCaseFile("none.run", "not a run"), kRunProviderId);
    ASSERT_FALSE(stale.isNull());
    auto* item = new TCanvasMass(stale, 0, &handler(), plugin.get());
    host.addItem(item);
    ASSERT_EQ(item->plotCount(), 0);
    ASSERT_TRUE(readPluginData(*item, bytes));
    EXPECT_EQ(item->datasetKey(), source->datasetKey());
    EXPECT_EQ(handler().entry(stale), nullptr);  // its last use went with it
    EXPECT_EQ(handler().entry(source->datasetKey())->useCount(), 2);
    EXPECT_EQ(handler().entryCount(), 1);
}

TEST_F(MassItem, ReadIntoANonEmptyItemIsRefused)
{
    TCanvasMass* a = import(writeCaseFile("two.run", kRunTwoInjections), kRunProviderId);
    TCanvasMass* b = import(writeCaseFile("small.run", kSmallRun), kRunProviderId);
    const QByteArray before = pluginData(*a);
    const QUuid keyB = b->datasetKey();
    QByteArray copy = pluginData(*b) + QByteArray("next");
    TDataStream s(&copy, QIODevice::ReadOnly);
    a->readPluginData(s);
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(s.remaining(), 4);
    EXPECT_EQ(pluginData(*a), before);
    EXPECT_EQ(handler().entry(keyB)->useCount(), 1);
}

TEST_F(MassItem, EveryPrefixOfThePluginData)
{
    TCanvasMass* source = import(writeCaseFile("small.run", kSmallRun), kRunProviderId);
    ASSERT_EQ(source->plotCount(), 2);
    const QByteArray bytes = pluginData(*source);
    const int entries = handler().entryCount();
    for (int n = 0; n < bytes.size(); ++n) {
        TCanvasMass item(QUuid(), 0, &handler(), plugin.get());
        readPluginData(item, bytes.left(n));
        expectConsistent(item);
        EXPECT_LE(item.plotCount(), 2);
    }
    // Every key the items took went with them.
    EXPECT_EQ(handler().entryCount(), entries);
    EXPECT_EQ(handler().entry(source->datasetKey())->useCount(), 1);
}

TEST_F(MassItem, DamagedBytesKeepWhatWasReadConsistent)
{
    TCanvasMass* source = import(writeCaseFile("small.run", kSmallRun), kRunProviderId);
    const QByteArray bytes = pluginData(*source);
    // Flipped bytes all over the data: no crash, no leak, consistent.
    for (int i = 0; i < bytes.size(); i += 7) {
        QByteArray damaged = bytes;
        damaged[i] = static_cast<char>(damaged.at(i) ^ 0xa5);
        TCanvasMass item(QUuid(), 0, &handler(), plugin.get());
        readPluginData(item, damaged);
        expectConsistent(item);
    }
}

TEST_F(MassItem, MissingDatasetGivesAnItemWithoutData)
{
    const QString path = writeCaseFile("gone.run", kRunTwoInjections);
    TCanvasMass* source = import(path, kRunProviderId);
    source->setActiveFunction(0, 2);
    const QByteArray bytes = pluginData(*source);
    const QList<QUuid> ids = source->dataObjects().keys();
    delete source;
    ASSERT_EQ(handler().entryCount(), 0);
    ASSERT_TRUE(QFile::remove(path));

    TCanvasMass* item = emptyItem();
    ASSERT_TRUE(readPluginData(*item, bytes));
    EXPECT_FALSE(item->datasetKey().isNull());
    EXPECT_EQ(item->dataset(), nullptr);
    EXPECT_EQ(item->itemFlags(), 2u);
    EXPECT_EQ(item->datasetName(), path);
    EXPECT_EQ(item->providerId(), kRunProviderId);
    EXPECT_EQ(item->dataObjects().keys(), ids);
    EXPECT_EQ(item->plotCount(), 2);
    EXPECT_EQ(item->msCollection(0, 0), nullptr);
    EXPECT_EQ(item->activeFunction(0), 2);
    EXPECT_FALSE(item->setActiveFunction(0, 1));
    item->setMatcherSpectra();
    EXPECT_EQ(item->moleculeMatch().injection(), -1);
    // It still draws its plots and keeps name and provider for later.
    QImage image(600, 450, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.scale(0.25, 0.25);
        painter.translate(-item->x(), -item->y());
        item->draw(painter);
    }
    EXPECT_GT(paintedPixels(image), 1000);
    EXPECT_EQ(pluginData(*item), bytes);
}

TEST_F(MassItem, StoredActiveFunctionsOutsideTheDatasetAreNotHandedOn)
{
    TCanvasMass* source = import(writeCaseFile("two.run", kRunTwoInjections), kRunProviderId);
    QByteArray bytes = pluginData(*source);
    // header block, outer block length, first inner block: its length, the
    // terminator, the count and the two functions.
    QByteArray copy = bytes;
    TDataStream s(&copy, QIODevice::ReadOnly);
    s.skipBlock();
    s.readBlockSize();
    s.readBlockSize();
    s.skipBlock();
    const int countAt = static_cast<int>(s.device()->pos());
    ASSERT_EQ(bytes.mid(countAt, 12), QByteArray::fromHex("000000020000000000000000"));
    const auto patched = [&](const char* hexValues) {
        QByteArray b = bytes;
        b.replace(countAt + 4, 8, QByteArray::fromHex(hexValues));
        return b;
    };
    TCanvasMass* item = emptyItem();
    ASSERT_TRUE(readPluginData(*item, patched("00000005fffffffd")));
    EXPECT_EQ(item->activeFunctions(), QVector<int>({5, -3}));
    EXPECT_EQ(item->activeFunction(0), -1);  // the injection has 3 functions
    EXPECT_EQ(item->activeFunction(1), -1);
    EXPECT_TRUE(item->setActiveFunction(0, 2));
    EXPECT_EQ(item->activeFunction(0), 2);

    // A count the block cannot hold reads no function and allocates
    // nothing by it.
    QByteArray huge = bytes;
    huge.replace(countAt, 4, QByteArray::fromHex("7fffffff"));
    TCanvasMass* other = emptyItem();
    EXPECT_FALSE(readPluginData(*other, huge));
    EXPECT_TRUE(other->activeFunctions().isEmpty());
    expectConsistent(*other);
}

// The seeds of the item fuzz target (fuzz/item_corpus): the plug-in data
// of the items these tests make, written into the build folder.
TEST_F(MassItem, WritesTheFuzzSeeds)
{
    const QString folder = QString::fromLatin1(KS_BINARY_DIR "/item_seeds/");
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto save = [&](const char* name, const QByteArray& bytes) {
        QFile file(folder + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    Strip empty;
    save("spectrum_empty", pluginData(empty));
    save("mass_empty", pluginData(*emptyItem()));
    TCanvasMass* small = import(writeCaseFile("small.run", kSmallRun), kRunProviderId);
    save("mass_small", pluginData(*small));
    Strip strip;
    for (const TBasePlot* p : small->plots()) {
        std::unique_ptr<TBasePlot> copy(strip.createPlot(1, p->id()));
        QByteArray plotBytes;
        {
            TDataStream out(&plotBytes, QIODevice::WriteOnly);
            p->write(out);
        }
        TDataStream in(&plotBytes, QIODevice::ReadOnly);
        copy->read(in);
        strip.addPlot(copy.release());
    }
    save("spectrum_two_plots", pluginData(strip));
    TCanvasMass* one = import(writeCaseFile("one.run", kOnePointRun), kRunProviderId);
    one->setActiveFunction(0, 0);
    one->setPlotVisible(one->plotAtIndex(0)->id(), false);
    save("mass_hidden_plot", pluginData(*one));
    TCanvasMass* two = import(writeCaseFile("two.run", kRunTwoInjections), kRunProviderId);
    save("mass_two_injections", pluginData(*two));
}
