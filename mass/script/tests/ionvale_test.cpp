// The plug-in script object over a plug-in stand-in whose services the
// test controls (selection, element table, molecule peer): the active
// item, the constructor, elemental composition and molecule matching with
// every error in its order, an element table that fails, a missing peer
// and molecules the peer cannot give, and the dataset file change.
#include "scripttest.h"

#include <QFile>
#include <QSet>

#include "ipeers.h"
#include "kstest.h"
#include "pageitems.h"
#include "peers.h"
#include "tbaseplot.h"
#include "tcmdanalysis.h"
#include "tdatastream.h"
#include "tcanvasitemwrapper.h"
#include "tkscomposition.h"
#include "tksmatcher.h"
#include "tmassdataobj.h"
#include "tmasselementcomposition.h"
#include "tmolecule.h"

using namespace scripttest;

namespace {

// The molecule peer: the molecules of the recording host's molecule
// items, null for the items a test names.
class TestPeer : public IMoleculePlugin {
public:
    TMolecule* moleculeOfItem(TCanvasItem* item) override
    {
        asked << item;
        if (!item || nulls.contains(item) || item->rtti() != MoleculeItemType)
            return nullptr;
        return static_cast<lumatra::MoleculeItem*>(item)->molecule();
    }
    TCanvasItem* createMoleculeItem(const TMolecule*, QtCanvas*) override { return nullptr; }

    QSet<TCanvasItem*> nulls;
    QList<TCanvasItem*> asked;
};

TMolecule moleculeFromFile(const char* name)
{
    QFile f(QStringLiteral(KS_SOURCE_DIR "/../../outside/tindrel/data/molfiles/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    TMolecule molecule;
    molecule.cachedMolfile = QString::fromLatin1(f.readAll());
    return molecule;
}

}  // namespace

class ScriptIonvale : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        services = plugin->findChild<TestServices*>();
        ASSERT_NE(services, nullptr);
        engine->globalObject().setProperty("p", engine->newQObject(plugin.get()));
        run("var m = Ionvale(p)");
    }
    // A molecule item of the recording host's peer on the page.
    TCanvasItem* addMolecule(const char* file, const QUuid& objectId = QUuid())
    {
        TCanvasItem* item = host.moleculePeer()->makeItem(moleculeFromFile(file), objectId);
        host.addItem(item);
        return item;
    }
    int spectrumIndex(TCanvasMass* item) const
    {
        for (int i = 0; i < item->plotCount(); ++i)
            if (TMassSpecDataObj::cast(item->dataObject(item->plotAtIndex(i)->id())))
                return i;
        return -1;
    }

    TestServices* services = nullptr;
    TestPeer peer;
};

TEST_F(ScriptIonvale, ActiveItemTextAndConstructor)
{
    EXPECT_EQ(run("m.toString()").toString(), "Ionvale");
    EXPECT_TRUE(run("m.activeItem()").isUndefined());
    TCanvasMass* item = import(bundledTextDataset(), kTextProviderId);
    TCanvasItem* molecule = addMolecule("caffeine.mol");
    host.setSelectedItems({molecule});
    EXPECT_TRUE(run("m.activeItem(1, 2)").isUndefined());
    host.setSelectedItems({molecule, item});
    EXPECT_EQ(run("var a = m.activeItem(); [a.uuid, a.isValid(), a.name].join()").toString(),
              QString("%1,true,Mass Spectrum").arg(item->ownId().toString()));
    EXPECT_NE(run("m.activeItem()").toQObject(), run("m.activeItem()").toQObject());

    EXPECT_EQ(error("Ionvale(m, 1)"), "Number of arguments is incorrect.");
    EXPECT_EQ(error("Ionvale()"), "Number of arguments is incorrect.");
    EXPECT_TRUE(run("Ionvale(undefined)").isUndefined());
    EXPECT_EQ(error("Ionvale(5)"), "Incorrect Arguments");
    EXPECT_EQ(run("new Ionvale(m).toString()").toString(), "Ionvale");
    // MassItem of an object that is no mass item: invalid, no plots.
    engine->globalObject().setProperty("mol", engine->newVariant(QVariant::fromValue<TCanvasItem*>(molecule)));
    EXPECT_EQ(run("var n = MassItem(mol); [n.isValid(), n.plotsCount].join()").toString(), "false,0");
    EXPECT_EQ(run("var n2 = MassItem(m); [n2.isValid(), n2.plotsCount].join()").toString(), "false,0");
}

TEST_F(ScriptIonvale, PluginWithoutServices)
{
    // A plug-in object that offers nothing counts as none.
    ::TIonvale bare;
    engine->globalObject().setProperty("b", engine->newQObject(&bare));
    run("var n = Ionvale(b)");
    EXPECT_TRUE(run("n.activeItem()").isUndefined());
    EXPECT_EQ(run("n.toString()").toString(), "Ionvale");
    for (const char* script : {"n.changeDatasetFileName()", "n.elementalComposition()", "n.moleculeMatch()"})
        EXPECT_EQ(error(script), "Invalid Object") << script;

    // A wrapper the host keeps past the plug-in: no plug-in any more.
    auto* gone = new ::TIonvale;
    new TestServices(gone);
    engine->globalObject().setProperty("g", engine->newQObject(gone));
    run("var kept = Ionvale(g)");
    engine->globalObject().setProperty("g", QScriptValue());
    host.addItem(emptyItem());
    host.setSelectedItems(host.allItems());
    gone->setHost(&host);
    EXPECT_FALSE(run("kept.activeItem()").isUndefined());
    delete gone;
    EXPECT_TRUE(run("kept.activeItem()").isUndefined());
    for (const char* script : {"kept.changeDatasetFileName('a', kept)", "kept.elementalComposition(1, 2, 3)",
                               "kept.moleculeMatch(1)"})
        EXPECT_EQ(error(script), "Invalid Object") << script;
    EXPECT_EQ(run("kept.toString()").toString(), "Ionvale");
}

TEST_F(ScriptIonvale, ElementalComposition)
{
    TCanvasMass* item = import(bundledTextDataset(), kTextProviderId);
    publish("x", item);
    run("var it = MassItem(x)");
    const int si = spectrumIndex(item);
    ASSERT_GE(si, 0);
    // The caffeine spectrum at 0.35 min.
    ASSERT_TRUE(run(QString("it.selectSpectra(it.plot(%1), 0.35)").arg(1 - si)).toBool());
    const auto* spectrum = TMassSpecDataObj::cast(item->dataObject(item->plotAtIndex(si)->id()));
    const double low = spectrum->getMinimumX();
    const double high = spectrum->getMaximumX();
    publish("y", import(bundledTextDataset(), kTextProviderId));
    struct Case {
        QString script;
        const char* message;
    };
    const QString spec = QString::number(si);
    const Case cases[] = {
        {"m.elementalComposition(it, " + spec + ")", "Number of arguments is incorrect."},
        {"m.elementalComposition(it, " + spec + ", 195, 1)", "Number of arguments is incorrect."},
        {"m.elementalComposition({}, " + spec + ", 195)", "Incorrect Arguments"},
        {"m.elementalComposition('it', " + spec + ", 195)", "Incorrect Arguments"},
        {"m.elementalComposition(m, " + spec + ", 195)", "Invalid Object ( Invalid MassItem object )"},
        {"m.elementalComposition(MassItem({}), " + spec + ", 195)", "Invalid Object ( Invalid MassItem object )"},
        {"m.elementalComposition(it, -1, NaN)", "Invalid Parameter Value ( The plot index is out of range )"},
        {"m.elementalComposition(it, it.plotsCount, 195)", "Invalid Parameter Value ( The plot index is out of range )"},
        {"m.elementalComposition(it, 4294967296 + " + spec + ", 195)",
         "Invalid Parameter Value ( The plot index is out of range )"},
        {"m.elementalComposition(it, " + QString::number(1 - si) + ", NaN)",
         "Invalid Object ( The plot is not a mass spectrum )"},
        {"m.elementalComposition(it, " + spec + ", NaN)", "Invalid Parameter Value ( The m/z value is out of range )"},
        {"m.elementalComposition(it, " + spec + ", 'abc')", "Invalid Parameter Value ( The m/z value is out of range )"},
        {"m.elementalComposition(it, " + spec + ", " + QString::number(low - 1e-6, 'g', 17) + ")",
         "Invalid Parameter Value ( The m/z value is out of range )"},
        {"m.elementalComposition(it, " + spec + ", " + QString::number(high + 1e-6, 'g', 17) + ")",
         "Invalid Parameter Value ( The m/z value is out of range )"},
    };
    const TKSCompositionCalculator& calculator = item->elementComposition().calculator();
    for (const Case& c : cases) {
        EXPECT_EQ(error(c.script), c.message) << c.script.toStdString();
        EXPECT_EQ(calculator.getMZ(), 0) << c.script.toStdString();
    }
    EXPECT_EQ(services->tableAsked, 0);
    // Both ends of the spectrum are in range.
    for (double mz : {low, high}) {
        EXPECT_TRUE(run(QString("m.elementalComposition(it, %1, %2)").arg(si).arg(mz, 0, 'g', 17)).toBool()) << mz;
        EXPECT_EQ(calculator.getMZ(), mz);
    }
    // The composition of the caffeine ion, in the item's calculator.
    run("it.elementalComp.settings.elements = [{symbol: 'C', min: 0, max: 12}, {symbol: 'H', min: 0, max: 20}, "
        "{symbol: 'N', min: 0, max: 6}, {symbol: 'O', min: 0, max: 4}]");
    EXPECT_TRUE(run(QString("m.elementalComposition(it, %1, 195.0877)").arg(si)).toBool());
    EXPECT_EQ(item->elementComposition().spectrumId(), item->plotAtIndex(si)->id());
    ASSERT_FALSE(calculator.getResults().empty());
    EXPECT_TRUE(run("it.elementalComp.results.some(function (r) { return r.formula == 'C8H10N4O2'; })").toBool());
    EXPECT_EQ(run("it.elementalComp.results.length").toInt32(), int(calculator.getResults().size()));

    // The element table fails (the plug-in shows its box): code 0, the
    // state unchanged.
    services->tableFails = true;
    EXPECT_EQ(error(QString("m.elementalComposition(it, %1, 196)").arg(si)), "Unknown Error");
    EXPECT_EQ(calculator.getMZ(), 195.0877);
    EXPECT_TRUE(host.calls("executeCommand").isEmpty());
}

// A composition command waiting on the undo stack while a script replaces
// and then deletes its spectrum object: redo reads the object of that id
// there is then (never the freed one), and none when it is gone.
TEST_F(ScriptIonvale, CompositionCommandPastAScriptedReplacement)
{
    TCanvasMass* item = import(bundledTextDataset(), kTextProviderId);
    publish("x", item);
    run("var it = MassItem(x)");
    const int si = spectrumIndex(item);
    ASSERT_GE(si, 0);
    const QString chromatogram = QString("it.plot(%1)").arg(1 - si);
    ASSERT_TRUE(run("it.selectSpectra(" + chromatogram + ", 0.35)").toBool());
    const QUuid id = item->plotAtIndex(si)->id();
    ASSERT_TRUE(services->table.initialize(elementTableFilePath().toStdWString()));
    TMassElementComposition& state = item->elementComposition();
    const auto stateBytes = [&state] {
        QByteArray bytes;
        TDataStream s(&bytes, QIODevice::WriteOnly);
        state.save(s);
        return bytes;
    };
    const QByteArray before = stateBytes();
    auto* command = new TCmdMassElementComposition(TMassSpecDataObj::cast(item->dataObject(id)), 195.0877,
                                                   services->elementTable(), TCanvasItemList(item));
    host.executeCommand(command);
    ASSERT_TRUE(command->isDone());
    const QByteArray computed = stateBytes();
    ASSERT_NE(computed, before);

    // The script replaces the spectrum object (the old one is deleted).
    ASSERT_TRUE(run("it.selectSpectra(" + chromatogram + ", 0.34, 0.36)").toBool());
    const auto* replacement = TMassSpecDataObj::cast(item->dataObject(id));
    ASSERT_NE(replacement, nullptr);
    ASSERT_TRUE(host.undo());
    EXPECT_EQ(stateBytes(), before);
    ASSERT_TRUE(host.redo());
    EXPECT_TRUE(command->isDone());
    EXPECT_EQ(state.spectrumId(), id);
    EXPECT_EQ(state.calculator().getMZ(), 195.0877);
    EXPECT_EQ(state.calculator().getSpectrum().getCount(), replacement->spectrum().getCount());

    // The script deletes the spectrum's plot: the redo changes nothing.
    ASSERT_TRUE(host.undo());
    ASSERT_TRUE(run(QString("it.deletePlot(%1)").arg(si)).toBool());
    ASSERT_EQ(item->dataObject(id), nullptr);
    ASSERT_TRUE(host.redo());
    EXPECT_FALSE(command->isApplied());
    EXPECT_EQ(stateBytes(), before);
    ASSERT_TRUE(host.undo());
    EXPECT_EQ(stateBytes(), before);
}

TEST_F(ScriptIonvale, MoleculeMatch)
{
    TCanvasMass* item = caffeineRun();
    publish("x", item);
    run("var it = MassItem(x)");
    const TKSMoleculeMatcher2& matcher = item->moleculeMatch().matcher();
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"m.moleculeMatch()", "Number of arguments is incorrect."},
        {"m.moleculeMatch(it, it)", "Number of arguments is incorrect."},
        {"m.moleculeMatch('it')", "Incorrect Arguments"},
        {"m.moleculeMatch({})", "Incorrect Arguments"},
        {"m.moleculeMatch(m)", "Invalid Object ( Invalid MassItem object )"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(error(c.script), c.message) << c.script;
    // No molecule items: false, the matcher unchanged.
    EXPECT_FALSE(run("m.moleculeMatch(it)").toBool());
    EXPECT_TRUE(matcher.getResults().empty());
    // Molecule items but no peer: false, nothing read.
    const QUuid caffeineId = QUuid::createUuid();
    TCanvasItem* first = addMolecule("caffeine.mol", caffeineId);
    TCanvasItem* twin = addMolecule("caffeine.mol", caffeineId);
    EXPECT_FALSE(run("m.moleculeMatch(it)").toBool());
    EXPECT_TRUE(matcher.getResults().empty());
    // A peer that cannot give the molecules: each passed by, nothing to match.
    services->peer = &peer;
    peer.nulls << first << twin;
    EXPECT_FALSE(run("m.moleculeMatch(it)").toBool());
    EXPECT_EQ(peer.asked, QList<TCanvasItem*>({first}));
    EXPECT_TRUE(matcher.getResults().empty());

    // Caffeine (two items of one object, matched once), nicotine and a
    // molecule the peer cannot give.
    peer.nulls.clear();
    peer.asked.clear();
    TCanvasItem* nicotine = addMolecule("nicotine.mol");
    TCanvasItem* missing = addMolecule("glucose.mol");
    peer.nulls << missing;
    EXPECT_TRUE(run("m.moleculeMatch(it)").toBool());
    EXPECT_EQ(peer.asked, QList<TCanvasItem*>({first, nicotine, missing}));
    ASSERT_EQ(matcher.getResults().size(), 2u);
    EXPECT_EQ(run("var r = it.molMatch.results; [r.length, r[0].moleculeId, r[0].matched, r[1].moleculeId, "
                  "r[1].matched].join()")
                  .toString(),
              QString("2,%1,true,%2,false").arg(caffeineId.toString(), nicotine->objectId().toString()));
    EXPECT_NEAR(run("r[0].retTime").toNumber(), 0.36, 0.03);
    // The element table fails: code 0 after the argument checks.
    services->tableFails = true;
    EXPECT_EQ(error("m.moleculeMatch(it)"), "Unknown Error");
    EXPECT_EQ(matcher.getResults().size(), 2u);
    EXPECT_TRUE(host.calls("executeCommand").isEmpty());
}

TEST_F(ScriptIonvale, MoleculeMatchOverTheBundledTextDataset)
{
    // Its one function has unknown polarity and stands in for a positive
    // one: caffeine is found at 0.35 min.
    TCanvasMass* item = import(bundledTextDataset(), kTextProviderId);
    publish("x", item);
    run("var it = MassItem(x)");
    services->peer = &peer;
    const QUuid caffeineId = QUuid::createUuid();
    addMolecule("caffeine.mol", caffeineId);
    EXPECT_TRUE(run("m.moleculeMatch(it)").toBool());
    EXPECT_EQ(run("var r = it.molMatch.results; [r.length, r[0].moleculeId, r[0].matched].join()").toString(),
              QString("1,%1,true").arg(caffeineId.toString()));
    EXPECT_NEAR(run("r[0].retTime").toNumber(), 0.35, 0.005);
}

TEST_F(ScriptIonvale, ChangeDatasetFileName)
{
    TCanvasMass* item = import(bundledTextDataset(), kTextProviderId);
    publish("x", item);
    run("var it = MassItem(x)");
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"m.changeDatasetFileName('a')", "Number of arguments is incorrect."},
        {"m.changeDatasetFileName(it, 'a')", "Incorrect Arguments"},
        {"m.changeDatasetFileName('a', {})", "Incorrect Arguments"},
        {"m.changeDatasetFileName(5, it)", "Incorrect Arguments"},
        {"m.changeDatasetFileName('a', m)", "Invalid Object"},
        {"m.changeDatasetFileName('a', MassItem({}))", "Invalid Object"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(error(c.script), c.message) << c.script;
    EXPECT_NE(item->dataset(), nullptr);
    // Another copy of the dataset: the entry reopened from it.
    const std::string copy = ks::test::tempDir() + "/copy.txt";
    ks::test::writeFile(copy, ks::test::readFile(bundledTextDataset().toStdString()));
    EXPECT_TRUE(run(QString("m.changeDatasetFileName('%1', it)").arg(QString::fromStdString(copy))).toBool());
    ASSERT_NE(item->dataset(), nullptr);
    EXPECT_TRUE(run("it.datasetFileName").toString().contains("copy")) << run("it.datasetFileName").toString().toStdString();
    // A path that is no dataset: the entry without a dataset, nothing else lost.
    const int plots = item->plotCount();
    EXPECT_TRUE(run("m.changeDatasetFileName('/no/such/file.txt', it)").toBool());
    EXPECT_EQ(item->dataset(), nullptr);
    EXPECT_EQ(item->plotCount(), plots);
    EXPECT_EQ(run("[it.isValid(), it.plotsCount, it.plot(0).valid, it.info.injections].join()").toString(),
              QString("true,%1,true,").arg(plots));
    // An item over no dataset: nothing to reopen.
    publish("e", emptyItem());
    EXPECT_TRUE(run(QString("m.changeDatasetFileName('%1', MassItem(e))").arg(QString::fromStdString(copy))).toBool());
}
