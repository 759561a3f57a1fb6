// The mass item object's own members over the bundled text dataset (one
// function; its first compound elutes at 0.35 min) and the caffeine run:
// every error of the slots in one table with the item unchanged, new
// chromatograms of each kind, spectrum selections compared with the core
// library's own selection of the same form, append and replace, showing,
// hiding and deleting plots, and a molecule-match result selected without
// a host command.
#include "scripttest.h"

#include <QFile>
#include <QSet>

#include "t1dmassplot.h"
#include "tkscollection.h"
#include "tkselements.h"
#include "tmassdataobj.h"
#include "tmasselementcomposition.h"

using namespace scripttest;

namespace {

// A data object's x and y values, for comparing spectra.
QVector<double> valuesOf(const TMassDataObj* object)
{
    QVector<double> values;
    if (!object)
        return values;
    const TValueArray x = object->getXValues();
    const TValueArray y = object->getYValues();
    for (int i = 0; i < x.count; ++i)
        values << x.at(i) << y.at(i);
    return values;
}

QVector<double> valuesOf(const TKSMassSpectrum& spectrum)
{
    const TMassSpecDataObj object(QUuid(), spectrum, 1);
    return valuesOf(&object);
}

}  // namespace

class ScriptMassItem : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        item = import(bundledTextDataset(), kTextProviderId);
        publish("x", item);
        run("var it = MassItem(x)");
        for (int i = 0; i < item->plotCount(); ++i) {
            const auto* p = static_cast<T1DMassPlot*>(item->plotAtIndex(i));
            if (p->kind() == T1DMassPlot::Chromatogram) {
                ticId = p->id();
                run(QString("var c = it.plot(%1)").arg(i));
            } else {
                spectrumId = p->id();
                run(QString("var s = it.plot(%1)").arg(i));
            }
        }
        ASSERT_FALSE(ticId.isNull());
        ASSERT_FALSE(spectrumId.isNull());
        ASSERT_EQ(item->datasetSpectrumId(0, 0), spectrumId);
    }
    TKSMSCollection* collection() const { return item->msCollection(0, 0); }
    const TChromatogramDataObj* tic() const { return TChromatogramDataObj::cast(item->dataObject(ticId)); }
    QVector<double> spectrumValues() const { return valuesOf(item->dataObject(spectrumId)); }
    // The plain selection of one time, as the core library makes it.
    QVector<double> spectrumValuesAt(double time) const
    {
        TKSMSCollectionSelection selection;
        TKSMassSpectrum spectrum;
        collection()->select(time, false, selection, spectrum);
        return valuesOf(spectrum);
    }
    // The plot ids of the item, in order.
    QList<QUuid> plotIds() const
    {
        QList<QUuid> ids;
        for (const TBasePlot* p : item->plots())
            ids << p->id();
        return ids;
    }

    TCanvasMass* item = nullptr;
    QUuid ticId;
    QUuid spectrumId;
};

TEST_F(ScriptMassItem, SlotErrorsInTheirOrder)
{
    TCanvasMass* other = import(bundledTextDataset(), kTextProviderId);
    publish("y", other);
    run("var foreign = MassItem(y).plot(0)");
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"it.newChromatogram()", "Number of arguments is incorrect."},
        {"it.newChromatogram({}, {})", "Number of arguments is incorrect."},
        {"it.newChromatogram(5)", "Incorrect Arguments"},
        {"it.newChromatogram(undefined)", "Incorrect Arguments"},
        {"it.newChromatogram({})", "Invalid Parameter Value ( Injection Index )"},
        {"it.newChromatogram({injectionIndex: -1, functionIndex: 'x'})", "Invalid Parameter Value ( Injection Index )"},
        {"it.newChromatogram({injectionIndex: '0', functionIndex: 0})", "Invalid Parameter Value ( Injection Index )"},
        {"it.newChromatogram({injectionIndex: 0})", "Invalid Parameter Value ( Function/Trace Index )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: '0', traceIndex: -2})",
         "Invalid Parameter Value ( Function/Trace Index )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: 1})", "Invalid Parameter Value ( Function doesn't exist )"},
        // Indexes compared as numbers: 4294967296 is not 0, nor 4294967295 -1.
        {"it.newChromatogram({injectionIndex: 4294967296, functionIndex: 0})",
         "Invalid Parameter Value ( Function doesn't exist )"},
        {"it.newChromatogram({injectionIndex: 4294967295, functionIndex: 0})",
         "Invalid Parameter Value ( Function doesn't exist )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: 4294967296})",
         "Invalid Parameter Value ( Function doesn't exist )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: -4294967296, traceIndex: -1})",
         "Invalid Parameter Value ( Function/Trace Index )"},
        {"it.newChromatogram({injectionIndex: 0, traceIndex: 4294967296})",
         "Invalid Parameter Value ( Trace doesn't exist )"},
        {"it.newChromatogram({injectionIndex: NaN, functionIndex: 0})", "Invalid Parameter Value ( Injection Index )"},
        {"it.newChromatogram({injectionIndex: 1, functionIndex: 0})", "Invalid Parameter Value ( Function doesn't exist )"},
        {"it.newChromatogram({injectionIndex: 0, traceIndex: 0})", "Invalid Parameter Value ( Trace doesn't exist )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: 0, type: 'mass'})",
         "Invalid Parameter Value ( Invalid fromMZ value )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: 0, type: 'MASS', fromMZ: '195'})",
         "Invalid Parameter Value ( Invalid fromMZ value )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: 0, type: 'mass', fromMZ: NaN})",
         "Fatal Error ( Invalid chromatogram )"},
        {"it.newChromatogram({injectionIndex: 0, functionIndex: 0, type: 'mass', fromMZ: Infinity, toMZ: 200})",
         "Fatal Error ( Invalid chromatogram )"},
        {"it.selectSpectra()", "Number of arguments is incorrect."},
        {"it.selectSpectra(c)", "Number of arguments is incorrect."},
        {"it.selectSpectra(5, 0.3)", "Invalid Parameter Value ( Invalid plot object )"},
        {"it.selectSpectra(it, 0.3)", "Invalid Parameter Value ( Invalid plot object )"},
        {"it.selectSpectra(s, 0.3)", "Invalid Parameter Value ( Invalid chromatogram plot object )"},
        {"it.selectSpectra(foreign, 0.3)", "Invalid Parameter Value ( Plot object doesn't belong to item )"},
        {"it.selectSpectra(c, '0.3')", "Invalid Parameter Value ( Invalid RT start value )"},
        {"it.selectSpectra(c, 0.3, 'x')", "Invalid Parameter Value"},
        {"it.selectSpectra(c, 0.3, undefined)", "Invalid Parameter Value"},
        {"it.selectSpectra(c, 0.3, 0.3, true)", "Invalid Parameter Value ( Invalid RT range )"},
        {"it.selectSpectra(c, 0.3, 0.4, 1)", "Invalid Parameter Value ( Invalid subtraction flag value )"},
        {"it.selectSpectra(c, 0.3, 0.4, true, 1)", "Number of arguments is incorrect."},
        {"it.selectSpectra(c, '0.3', 0.4, true, 1)", "Invalid Parameter Value ( Invalid RT start value )"},
        {"it.selectSpectra(c, 0.3, {}, true, 1)", "Invalid Parameter Value"},
        {"it.showPlot()", "Number of arguments is incorrect."},
        {"it.hidePlot(0, 1)", "Number of arguments is incorrect."},
        {"it.showPlot('x')", "Incorrect Arguments ( Invalid plot is string )"},
        {"it.hidePlot('{00000000-0000-0000-0000-000000000000}')", "Incorrect Arguments ( Invalid plot is string )"},
        {"it.hidePlot({})", "Incorrect Arguments"},
        {"it.deletePlot(null)", "Incorrect Arguments"},
        {"it.plot('0')", "Incorrect Arguments"},
        {"it.selectMolMatchResult()", "Number of arguments is incorrect."},
        {"it.selectMolMatchResult('0')", "Incorrect Arguments"},
    };
    const QList<QUuid> before = plotIds();
    const QVector<double> spectrum = spectrumValues();
    for (const Case& c : cases) {
        EXPECT_EQ(error(c.script), c.message) << c.script;
        EXPECT_EQ(plotIds(), before) << c.script;
        EXPECT_EQ(item->dataObjects().size(), before.size()) << c.script;
        EXPECT_EQ(spectrumValues(), spectrum) << c.script;
        EXPECT_EQ(item->visiblePlotCount(), before.size()) << c.script;
    }
    // Without an item every member but two throws code 5.
    delete other;
    run("var gone = MassItem(y)");
    for (const char* script : {"gone.plot()", "gone.newChromatogram({})", "gone.selectSpectra(c, 1)",
                               "gone.showPlot(0)", "gone.hidePlot(0)", "gone.deletePlot(0)",
                               "gone.selectMolMatchResult(0)", "gone.selectionMode", "gone.selectionMode = 1",
                               "gone.appendSelected", "gone.molMatch", "gone.elementalComp", "gone.info"})
        EXPECT_EQ(error(script), "Invalid Object") << script;
    EXPECT_EQ(run("[gone.plotsCount, gone.datasetFileName].join('|')").toString(), "0|");
}

TEST_F(ScriptMassItem, NewChromatogramsOfEachKind)
{
    const TKSMSCollection* c = collection();
    ASSERT_NE(c, nullptr);
    struct Case {
        const char* params;
        int subtype;
        double from, to;
    };
    const Case cases[] = {
        {"{injectionIndex: 0, functionIndex: 0}", 1, 0, 0},
        {"{injectionIndex: 0, functionIndex: 0, type: 'tic'}", 1, 0, 0},
        {"{injectionIndex: 0, functionIndex: 0, type: 'BpC'}", 2, 0, 0},
        {"{injectionIndex: 0, functionIndex: 0, type: 'mass', fromMZ: 195.0877}", 4, 195.0877, 195.0877},
        {"{injectionIndex: 0, functionIndex: 0, type: 'Mass', fromMZ: 194.5, toMZ: 198.5, traceIndex: 3}", 4, 194.5,
         198.5},
        {"{injectionIndex: 0.7, functionIndex: 0, type: 5}", 1, 0, 0},
    };
    for (const Case& k : cases) {
        const int count = item->plotCount();
        EXPECT_TRUE(run(QString("it.newChromatogram(%1)").arg(k.params)).toBool()) << k.params;
        ASSERT_EQ(item->plotCount(), count + 1) << k.params;
        const QUuid id = item->plotAtIndex(count)->id();
        const auto* made = TChromatogramDataObj::cast(item->dataObject(id));
        ASSERT_NE(made, nullptr) << k.params;
        EXPECT_EQ(made->subtype(), k.subtype) << k.params;
        EXPECT_EQ(made->fromMZ(), k.from) << k.params;
        EXPECT_EQ(made->toMZ(), k.to) << k.params;
        TKSChromatogram expected;
        if (k.subtype == 2)
            c->getBPChromatogram(expected);
        else if (k.subtype == 4 && k.from == k.to)
            c->getMassChromatogram(k.from, expected);
        else if (k.subtype == 4)
            c->getMassChromatogram(k.from, k.to, expected);
        else
            c->getTICChromatogram(expected);
        EXPECT_EQ(made->chromatogram().getIntensities(), expected.getIntensities()) << k.params;
        EXPECT_EQ(made->chromatogram().getRTValues(), expected.getRTValues()) << k.params;
        // The compound at 0.35 min is found.
        ASSERT_FALSE(made->peaks().isEmpty()) << k.params;
        EXPECT_EQ(run(QString("it.plot(%1).peaks.length").arg(count)).toInt32(), made->peaks().size()) << k.params;
    }
}

TEST_F(ScriptMassItem, SelectionFormsMatchTheCoreLibrary)
{
    TKSMSCollection* c = collection();
    const TKSChromatogram& chromatogram = tic()->chromatogram();
    using Mode = TKSMSCollection::ePeakSelectMode;
    struct Case {
        int selectionMode;
        const char* call;
        double from, to;
        int form;  // 0 plain, else the peak mode
    };
    const Case cases[] = {
        {0, "it.selectSpectra(c, 0.35)", 0.35, 0.35, 0},
        {0, "it.selectSpectra(c, 0.3, 0.4)", 0.3, 0.4, 0},
        // A start after the end is swapped, as a drag from right to left.
        {0, "it.selectSpectra(c, 0.4, 0.3)", 0.3, 0.4, 0},
        {1, "it.selectSpectra(c, 0.45, 0.3, false)", 0.3, 0.45, 1},
        {0, "it.selectSpectra(c, 0.35, 0.35)", 0.35, 0.35, 0},
        {0, "it.selectSpectra(c, 0.35, 0.45, false)", 0.35, 0.45, 0},
        {1, "it.selectSpectra(c, 0.35)", 0.35, 0.35, 1},
        {1, "it.selectSpectra(c, 0.3, 0.45)", 0.3, 0.45, 1},
        {2, "it.selectSpectra(c, 0.35)", 0.35, 0.35, 2},
        {2, "it.selectSpectra(c, 0.3, 0.45)", 0.3, 0.45, 2},
        {7, "it.selectSpectra(c, 0.3, 0.45)", 0.3, 0.45, 0},
    };
    for (const Case& k : cases) {
        run(QString("it.selectionMode = %1").arg(k.selectionMode));
        EXPECT_EQ(item->selectionMode(), k.selectionMode);
        EXPECT_EQ(run("it.selectionMode").toInt32(), k.selectionMode);
        EXPECT_TRUE(run(k.call).toBool()) << k.call << " mode " << k.selectionMode;
        TKSMSCollectionSelection selection;
        TKSMassSpectrum expected;
        if (k.form == 0 && k.from == k.to)
            c->select(k.from, false, selection, expected);
        else if (k.form == 0)
            c->select(k.from, k.to, false, selection, expected);
        else if (k.from == k.to)
            c->select(k.from, static_cast<Mode>(k.form), chromatogram, selection, expected);
        else
            c->select(k.from, k.to, static_cast<Mode>(k.form), chromatogram, selection, expected);
        ASSERT_GT(expected.getCount(), 0) << k.call;
        // Replaced in place: the same plot, the new spectrum.
        EXPECT_EQ(item->plotCount(), 2) << k.call;
        EXPECT_EQ(spectrumValues(), valuesOf(expected)) << k.call << " mode " << k.selectionMode;
    }
    // The forms differ where they should.
    TKSMSCollectionSelection a, b;
    TKSMassSpectrum single, peak;
    c->select(0.3, false, a, single);
    c->select(0.3, TKSMSCollection::PeakSelectPeak, chromatogram, b, peak);
    EXPECT_NE(valuesOf(single), valuesOf(peak));

    // Subtraction: the selection of the current spectrum with the range as
    // background.
    run("it.selectionMode = 0; it.selectSpectra(c, 0.3, 0.4)");
    const QVector<double> before = spectrumValues();
    TKSMSCollectionSelection selection;
    selection.fromSpectrum(TMassSpecDataObj::cast(item->dataObject(spectrumId))->spectrum());
    TKSMassSpectrum expected;
    c->select(0.1, 0.15, true, selection, expected);
    EXPECT_TRUE(run("it.selectSpectra(c, 0.1, 0.15, true)").toBool());
    EXPECT_EQ(spectrumValues(), valuesOf(expected));
    EXPECT_NE(spectrumValues(), before);

    // Nothing selected (times that are not numbers, no scan in the range):
    // false, nothing changed.
    const QVector<double> now = spectrumValues();
    for (const char* script : {"it.selectSpectra(c, -5, -4)", "it.selectSpectra(c, NaN)",
                               "it.selectSpectra(c, 0.3, NaN)",
                               "it.selectSpectra(c, Infinity, -Infinity)", "it.selectSpectra(c, 50, 60)"}) {
        EXPECT_FALSE(run(script).toBool()) << script;
        EXPECT_EQ(spectrumValues(), now) << script;
        EXPECT_EQ(item->plotCount(), 2) << script;
    }
}

TEST_F(ScriptMassItem, AppendAndReplace)
{
    // Replace: the second call replaces the first's spectrum; a plot
    // object taken before names the same plot and reads the new spectrum.
    run("var kept = it.plot(it.plotsCount - 1); var keptPeaks = kept.peaks");
    EXPECT_FALSE(run("it.appendSelected").toBool());
    EXPECT_TRUE(run("it.selectSpectra(c, 0.3)").toBool());
    const QVector<double> first = spectrumValues();
    EXPECT_TRUE(run("it.selectSpectra(c, 0.6)").toBool());
    EXPECT_NE(spectrumValues(), first);
    EXPECT_EQ(item->plotCount(), 2);
    engine->collectGarbage();
    EXPECT_EQ(run("kept.id").toString(), spectrumId.toString());
    EXPECT_TRUE(run("kept.valid").toBool());
    EXPECT_DOUBLE_EQ(run("kept.fullScale.horizontal.to").toNumber(),
                     item->plot(spectrumId, false)->axis(1).fullTo);

    // Append: each call a new plot; other behaviour bits stay.
    EXPECT_TRUE(run("it.selectSpectra(c, 0.3)").toBool());
    item->setBehaviourFlags(0x10);
    run("it.appendSelected = true");
    EXPECT_EQ(item->behaviourFlags(), 0x11);
    EXPECT_TRUE(run("it.selectSpectra(c, 0.3)").toBool());
    EXPECT_TRUE(run("it.selectSpectra(c, 0.35, 0.45)").toBool());
    ASSERT_EQ(item->plotCount(), 4);
    EXPECT_EQ(item->dataObject(spectrumId) != nullptr, true);
    const auto* added = TMassSpecDataObj::cast(item->dataObject(item->plotAtIndex(3)->id()));
    ASSERT_NE(added, nullptr);
    EXPECT_FALSE(added->peaks().isEmpty());
    EXPECT_EQ(added->subtype(), 1);
    // Subtraction with append still works in place, on the function's
    // spectrum (now any of the three).
    const QUuid target = item->datasetSpectrumId(0, 0);
    const QVector<double> dataset = valuesOf(item->dataObject(target));
    EXPECT_TRUE(run("it.selectSpectra(c, 0.15, 0.2, true)").toBool());
    EXPECT_EQ(item->plotCount(), 4);
    EXPECT_NE(valuesOf(item->dataObject(target)), dataset);
    run("it.appendSelected = false");
    EXPECT_EQ(item->behaviourFlags(), 0x10);

    // Subtraction without a spectrum plot of the function: false.
    while (!item->datasetSpectrumId(0, 0).isNull())
        item->removePlotObject(item->datasetSpectrumId(0, 0));
    const int count = item->plotCount();
    EXPECT_FALSE(run("it.selectSpectra(c, 0.3, true)").toBool());
    EXPECT_FALSE(run("it.selectSpectra(c, 0.3, 0.4, true)").toBool());
    EXPECT_EQ(item->plotCount(), count);
    // Without it the plain selection adds one again, under an id of its
    // own; the next one replaces its spectrum in place.
    EXPECT_TRUE(run("it.selectSpectra(c, 0.3)").toBool());
    ASSERT_EQ(item->plotCount(), count + 1);
    const QUuid made = item->plotAtIndex(count)->id();
    EXPECT_FALSE(made.isNull());
    EXPECT_EQ(item->datasetSpectrumId(0, 0), made);
    EXPECT_TRUE(run("it.selectSpectra(c, 0.6)").toBool());
    EXPECT_EQ(item->plotCount(), count + 1);
    EXPECT_EQ(valuesOf(item->dataObject(made)), spectrumValuesAt(0.6));
    // In append mode each selection is a plot of its own, with its own
    // data, reachable from the script.
    run("it.appendSelected = true");
    EXPECT_TRUE(run("it.selectSpectra(c, 0.3)").toBool());
    EXPECT_TRUE(run("it.selectSpectra(c, 0.35)").toBool());
    ASSERT_EQ(item->plotCount(), count + 3);
    QSet<QUuid> ids;
    for (int k = 0; k < item->plotCount(); ++k) {
        const QUuid id = item->plotAtIndex(k)->id();
        EXPECT_FALSE(id.isNull()) << k;
        EXPECT_NE(item->dataObject(id), nullptr) << k;
        ids.insert(id);
        EXPECT_EQ(run(QString("it.plot(%1).id").arg(k)).toString(), id.toString()) << k;
    }
    EXPECT_EQ(ids.size(), item->plotCount());
    EXPECT_EQ(item->dataObjects().size(), item->plotCount());
    EXPECT_EQ(valuesOf(item->dataObject(item->plotAtIndex(count + 1)->id())), spectrumValuesAt(0.3));
    EXPECT_EQ(valuesOf(item->dataObject(item->plotAtIndex(count + 2)->id())), spectrumValuesAt(0.35));
}

TEST_F(ScriptMassItem, ShowHideAndDeletePlots)
{
    EXPECT_TRUE(run("it.hidePlot(0)").toBool());
    EXPECT_EQ(item->visiblePlotCount(), 1);
    EXPECT_FALSE(item->isPlotVisible(item->plotAtIndex(0)->id()));
    // One plot shown: hide and delete refuse.
    EXPECT_FALSE(run("it.hidePlot(1)").toBool());
    EXPECT_FALSE(run(QString("it.deletePlot('%1')").arg(item->plotAtIndex(1)->id().toString())).toBool());
    EXPECT_EQ(item->plotCount(), 2);
    EXPECT_TRUE(run(QString("it.showPlot('%1')").arg(item->plotAtIndex(0)->id().toString())).toBool());
    EXPECT_EQ(item->visiblePlotCount(), 2);
    // An index outside the list, an id of no plot.
    EXPECT_FALSE(run("it.showPlot(2)").toBool());
    EXPECT_FALSE(run("it.hidePlot(-1)").toBool());
    EXPECT_TRUE(run(QString("it.showPlot('%1')").arg(QUuid::createUuid().toString())).toBool());
    EXPECT_TRUE(run(QString("it.hidePlot('%1')").arg(QUuid::createUuid().toString())).toBool());
    EXPECT_EQ(item->visiblePlotCount(), 2);
    EXPECT_TRUE(run("it.hidePlot(1); it.showPlot(1)").toBool());
    EXPECT_EQ(item->visiblePlotCount(), 2);
    EXPECT_TRUE(run("it.deletePlot(1)").toBool());
    EXPECT_EQ(item->plotCount(), 1);
    EXPECT_EQ(run("it.plotsCount").toInt32(), 1);
}

TEST_F(ScriptMassItem, MolMatchResultSelectedWithoutAHostCommand)
{
    EXPECT_FALSE(run("it.selectMolMatchResult(0)").toBool());
    TCanvasMass* run1 = caffeineRun();
    publish("y", run1);
    run("var ri = MassItem(y)");
    TKSElementTable table;
    ASSERT_TRUE(table.initialize(elementTableFilePath().toStdWString()));
    run1->setMatcherSpectra();
    run1->moleculeMatch().matcher().setElementTable(&table);
    QFile caffeine(QStringLiteral(KS_SOURCE_DIR "/../../outside/tindrel/data/molfiles/caffeine.mol"));
    ASSERT_TRUE(caffeine.open(QIODevice::ReadOnly));
    ASSERT_TRUE(run1->moleculeMatch().matcher().matchMolecules({QString::fromLatin1(caffeine.readAll()).toStdWString()},
                                                               {L"caffeine"}));
    ASSERT_TRUE(run1->moleculeMatch().matcher().getResults()[0].getIsMatched());
    host.clearJournal();
    const int plots = run1->plotCount();
    for (const char* script : {"ri.selectMolMatchResult(1)", "ri.selectMolMatchResult(-1)",
                               "ri.selectMolMatchResult(NaN)", "ri.selectMolMatchResult(4294967296)"})
        EXPECT_FALSE(run(script).toBool()) << script;
    EXPECT_EQ(run1->moleculeMatch().selectedResult(), -1);
    EXPECT_TRUE(run("ri.selectMolMatchResult(0)").toBool());
    EXPECT_EQ(run1->moleculeMatch().selectedResult(), 0);
    EXPECT_FALSE(run1->moleculeMatch().resultObjects().isEmpty());
    EXPECT_GE(run1->plotCount(), plots);
    EXPECT_TRUE(host.commands().isEmpty());
    EXPECT_TRUE(host.calls("executeCommand").isEmpty());
}

TEST_F(ScriptMassItem, TraceChromatogramAndItsSelection)
{
    TCanvasMass* run1 = caffeineRun();
    publish("y", run1);
    run("var ri = MassItem(y)");
    const int count = run1->plotCount();
    EXPECT_EQ(error("ri.newChromatogram({injectionIndex: 0, traceIndex: 1})"),
              "Invalid Parameter Value ( Trace doesn't exist )");
    EXPECT_TRUE(run("ri.newChromatogram({injectionIndex: 0, traceIndex: 0})").toBool());
    ASSERT_EQ(run1->plotCount(), count + 1);
    const auto* trace = TChromatogramDataObj::cast(run1->dataObject(run1->plotAtIndex(count)->id()));
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(trace->subtype(), 6);
    EXPECT_EQ(trace->chromatogram().getCount(), 160);
    ASSERT_FALSE(trace->peaks().isEmpty());
    EXPECT_NEAR(trace->peaks().first().position.x(), 0.355, 0.01);
    // A trace selects in the injection's active function.
    const QUuid target = run1->datasetSpectrumId(0, run1->activeFunction(0));
    ASSERT_FALSE(target.isNull());
    const QVector<double> before = valuesOf(run1->dataObject(target));
    EXPECT_TRUE(run(QString("ri.selectSpectra(ri.plot(%1), 0.1)").arg(count)).toBool());
    EXPECT_NE(valuesOf(run1->dataObject(target)), before);
    EXPECT_EQ(run1->plotCount(), count + 1);
}
