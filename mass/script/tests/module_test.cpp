// The script classes as the host meets them: the recording host loads
// Ionvale.so with QPluginLoader and registers it, then asks each of the
// three factories it received to register "Ionvale" and "MassItem" in a
// fresh engine, and scripts run against a mass item that the plug-in
// imported from the bundled text dataset. Activated, the plug-in publishes
// "mass", which scripts use end to end: the active item, composition and
// molecule matching with the host's molecule peer (or without it). The
// wrappers live in the module's copy of the shared classes; the page items
// in the host's.
#include <gtest/gtest.h>

#include <QPluginLoader>
#include <QScriptEngine>

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include "kstest.h"
#include "kstestqt.h"
#include "pageitems.h"
#include "peers.h"
#include "recordinghost.h"
#include "tcanvasitem.h"
#include "tmolecule.h"
#include "tscriptobjectfactory.h"

// The page item crosses into the module's engine as a variant.
Q_DECLARE_METATYPE(TCanvasItem*)

namespace {

QString bundledTextDataset()
{
    return QString::fromStdString(std::string(KS_SOURCE_DIR) +
                                  "/../../dataservices/providers/text/samples/text_dataset.txt");
}

QString evaluate(QScriptEngine& engine, const QString& script)
{
    const QScriptValue value = engine.evaluate(script);
    if (engine.hasUncaughtException()) {
        engine.clearExceptions();
        return "threw " + value.toString();
    }
    return value.toString();
}

// Protonated caffeine at 0.36 min in a positive MS function (the core
// library's generated run format).
const char* const kCaffeineRun =
    "kestrom-run 1\n"
    "run seed=7\n"
    "injection name=\"Caffeine\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=40 start=0 step=0.02 low=150 high=250 noise=20 noisepeaks=4\n"
    "compound function=1 apex=0.36 width=0.03 height=48000 cluster=195.0877/1:100,9.7,1.2\n";

// The element table beside the program, or none.
QString besideProgram()
{
    return QCoreApplication::applicationDirPath() + "/KSElements.ini";
}

void putElementTable(bool present)
{
    QFile::remove(besideProgram());
    if (present) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KS_SOURCE_DIR "/../../outside/tindrel/data/KSElements.ini"),
                                besideProgram()));
    }
}

TMolecule caffeine()
{
    QFile f(QStringLiteral(KS_SOURCE_DIR "/../../outside/tindrel/data/molfiles/caffeine.mol"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    TMolecule molecule;
    molecule.cachedMolfile = QString::fromLatin1(f.readAll());
    return molecule;
}

// The recording host with Ionvale.so loaded, registered and activated, and
// an engine holding the host's named object "mass" beside the constructors
// the plug-in's first factory registered, as the host window does.
class PublishedPlugin {
public:
    explicit PublishedPlugin(bool withMoleculePeer)
    {
        if (!withMoleculePeer)
            host.removeMoleculePeer();
        plugin = loader.instance();
        if (!plugin)
            return;
        host.loadPlugin(plugin);
        info = pluginInterface<IPluginInfo>(plugin, IPluginInfo_iid);
        import = pluginInterface<IPluginImport>(plugin, IPluginImport_iid);
        info->activate();
        for (const QString& name : host.scriptFactories().first()->classNames())
            host.scriptFactories().first()->registerObjects(name, &engine);
        if (QObject* mass = host.scriptObject("mass"))
            engine.globalObject().setProperty("mass", engine.newQObject(mass));
    }
    ~PublishedPlugin()
    {
        engine.collectGarbage();
        for (TCanvasItem* item : host.allItems())
            delete item;
        delete plugin;
    }
    // An item the plug-in imported from the file, as the script's global.
    TCanvasItem* importAs(const QString& path, const QString& name)
    {
        QStringList imported;
        const int before = host.allItems().size();
        EXPECT_EQ(import->importFile(path, 0, QString(), true, imported), 0) << path.toStdString();
        if (host.allItems().size() != before + 1)
            return nullptr;
        TCanvasItem* item = host.allItems().last();
        engine.globalObject().setProperty(name, engine.newVariant(QVariant::fromValue<TCanvasItem*>(item)));
        return item;
    }

    lumatra::RecordingHost host;
    QPluginLoader loader{QString(KS_LIB_DIR) + "/Ionvale.so"};
    QObject* plugin = nullptr;
    IPluginInfo* info = nullptr;
    IPluginImport* import = nullptr;
    QScriptEngine engine;
};

}  // namespace

TEST(ScriptModule, FactoriesOfTheLoadedPlugin)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider"}));
    lumatra::RecordingHost host;
    QPluginLoader loader(QString(KS_LIB_DIR) + "/Ionvale.so");
    QObject* plugin = loader.instance();
    ASSERT_NE(plugin, nullptr) << loader.errorString().toStdString();
    host.loadPlugin(plugin);
    // The factories come before the named script object is cleared.
    const QStringList journal = host.journal();
    const int factories = journal.indexOf("addScriptFactories(3)");
    ASSERT_GE(factories, 0) << journal.join("\n").toStdString();
    EXPECT_LT(factories, journal.indexOf("setScriptObject(\"mass\", null, false)"));
    ASSERT_EQ(host.scriptFactories().size(), 3);

    auto* import = pluginInterface<IPluginImport>(plugin, IPluginImport_iid);
    ASSERT_NE(import, nullptr);
    QStringList imported;
    ASSERT_EQ(import->importFile(bundledTextDataset(), 0, QString(), true, imported), 0);
    ASSERT_EQ(host.allItems().size(), 1);
    TCanvasItem* item = host.allItems().first();

    for (TScriptObjectFactory* factory : host.scriptFactories()) {
        ASSERT_EQ(factory->classNames(), QStringList({"Ionvale", "MassItem"}));
        QScriptEngine engine;
        for (const QString& name : factory->classNames())
            factory->registerObjects(name, &engine);
        engine.globalObject().setProperty("x", engine.newVariant(QVariant::fromValue<TCanvasItem*>(item)));
        engine.globalObject().setProperty("p", engine.newQObject(plugin));
        EXPECT_EQ(evaluate(engine, "var it = MassItem(x); [it.isValid(), it.name, it.plotsCount, "
                                   "it.info.injections.count, "
                                   "it.info.injections.getItem(0).functions.getItem(0).count, "
                                   "it.plot(0).valid, MassItem.FunctionMSType.SIMMSn, Ionvale(p).toString(), "
                                   "Ionvale.typename].join('|')"),
                  "true|Mass Spectrum|2|1|24|true|6|Ionvale|Ionvale");
        EXPECT_EQ(evaluate(engine, "it.toString()"),
                  QString("Page Item (name:Mass Spectrum, uuid:%1)").arg(item->ownId().toString()));
        EXPECT_EQ(evaluate(engine, "it.getProperty()"), "threw Error: Number of arguments is incorrect.");
    }

    // The host deletes the item while a script holds its wrapper.
    QScriptEngine engine;
    host.scriptFactories().first()->registerObjects("MassItem", &engine);
    engine.globalObject().setProperty("x", engine.newVariant(QVariant::fromValue<TCanvasItem*>(item)));
    EXPECT_EQ(evaluate(engine, "var it = MassItem(x); var pl = it.plot(0); it.isValid()"), "true");
    delete item;
    engine.collectGarbage();
    EXPECT_EQ(evaluate(engine, "it.left = 5; it.update(); it.translate(1, 1); "
                               "[it.isValid(), it.left, it.plotsCount, it.name, pl.valid].join('|')"),
              "false|0|0||false");
    EXPECT_EQ(evaluate(engine, "MassItem(x).isValid()"), "false");
    EXPECT_EQ(evaluate(engine, "it.info"), "threw Error: Invalid Object");
    engine.collectGarbage();
    delete plugin;
}

TEST(ScriptModule, PluginObjectPublishedWhileActive)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
    putElementTable(true);
    PublishedPlugin p(true);
    ASSERT_NE(p.plugin, nullptr) << p.loader.errorString().toStdString();
    const QStringList journal = p.host.journal();
    const int published = journal.indexOf("setScriptObject(\"mass\", object, true)");
    ASSERT_GT(published, journal.indexOf("setScriptObject(\"mass\", null, false)"));
    ASSERT_NE(p.host.scriptObject("mass"), nullptr);
    EXPECT_EQ(evaluate(p.engine, "[mass.toString(), Ionvale(mass).toString(), typeof mass.activeItem()].join()"),
              "Ionvale,Ionvale,undefined");
    EXPECT_EQ(evaluate(p.engine, "Ionvale(mass, 1)"), "threw Error: Number of arguments is incorrect.");
    EXPECT_EQ(evaluate(p.engine, "typeof Ionvale(undefined)"), "undefined");

    // The bundled text dataset, selected: the active item.
    TCanvasItem* item = p.importAs(bundledTextDataset(), "x");
    ASSERT_NE(item, nullptr);
    TCanvasItem* molecule = p.host.moleculePeer()->makeItem(caffeine());
    p.host.addItem(molecule);
    p.host.setSelectedItems({molecule, item});
    EXPECT_EQ(evaluate(p.engine, "var it = mass.activeItem(); [it.uuid, it.isValid()].join()"),
              item->ownId().toString() + ",true");
    p.engine.globalObject().setProperty("mol", p.engine.newVariant(QVariant::fromValue<TCanvasItem*>(molecule)));
    EXPECT_EQ(evaluate(p.engine, "var n = MassItem(mol); [n.isValid(), n.plotsCount].join()"), "false,0");

    // Composition at the caffeine ion of the spectrum at 0.35 min.
    EXPECT_EQ(evaluate(p.engine, "var si = it.plot(0).type == 2 ? 0 : 1; it.selectSpectra(it.plot(1 - si), 0.35)"),
              "true");
    EXPECT_EQ(evaluate(p.engine, "var pk = it.plot(si).peaks; [mass.elementalComposition(it, si, pk[0].center.x), "
                                 "mass.elementalComposition(it, si, pk[pk.length - 1].center.x)].join()"),
              "true,true");
    EXPECT_EQ(evaluate(p.engine, "mass.elementalComposition(it, si, pk[0].center.x - 1e-6)"),
              "threw Error: Invalid Parameter Value ( The m/z value is out of range )");
    EXPECT_EQ(evaluate(p.engine, "mass.elementalComposition(it, si, NaN)"),
              "threw Error: Invalid Parameter Value ( The m/z value is out of range )");
    EXPECT_EQ(evaluate(p.engine, "mass.elementalComposition(it, 1 - si, 195)"),
              "threw Error: Invalid Object ( The plot is not a mass spectrum )");
    EXPECT_EQ(evaluate(p.engine, "it.elementalComp.settings.maxResults = 10; "
                                 "mass.elementalComposition(it, si, 195.0877); "
                                 "it.elementalComp.results.some(function (r) { return r.formula == 'C8H10N4O2'; })"),
              "true");

    // Matching: caffeine shown twice (one object) against the caffeine run.
    const std::string run = ks::test::tempDir() + "/caffeine.run";
    ks::test::writeFile(run, kCaffeineRun);
    ASSERT_NE(p.importAs(QString::fromStdString(run), "r"), nullptr);
    p.engine.evaluate("var ri = MassItem(r)");
    EXPECT_EQ(evaluate(p.engine, "mass.moleculeMatch(ri)"), "true");
    EXPECT_EQ(evaluate(p.engine, "var res = ri.molMatch.results; [res.length, res[0].moleculeId, res[0].matched, "
                                 "Math.abs(res[0].retTime - 0.36) < 0.03].join()"),
              QString("1,%1,true,true").arg(molecule->objectId().toString()));
    TCanvasItem* twin = p.host.moleculePeer()->makeItem(caffeine(), molecule->objectId());
    p.host.addItem(twin);
    EXPECT_EQ(evaluate(p.engine, "mass.moleculeMatch(ri); ri.molMatch.results.length"), "1");
    EXPECT_EQ(evaluate(p.engine, "[ri.selectMolMatchResult(0), ri.selectMolMatchResult(1)].join()"), "true,false");

    // No script handed the host a command.
    EXPECT_TRUE(p.host.calls("executeCommand").isEmpty());
    EXPECT_TRUE(p.host.commands().isEmpty());

    // Deactivation withdraws the object (the host deletes it).
    p.host.clearJournal();
    p.info->deactivate();
    EXPECT_EQ(p.host.journal(), QStringList{"setScriptObject(\"mass\", null, false)"});
    EXPECT_EQ(p.host.scriptObject("mass"), nullptr);
    EXPECT_EQ(evaluate(p.engine, "mass.toString()").left(5), "threw");
}

TEST(ScriptModule, MatchingWithoutTheMoleculePeer)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
    putElementTable(true);
    // Molecule items on the page, but the host has no molecule plug-in.
    PublishedPlugin p(false);
    ASSERT_NE(p.plugin, nullptr) << p.loader.errorString().toStdString();
    auto* molecule = new lumatra::MoleculeItem(caffeine(), QUuid::createUuid(), QRectF(0, 0, 100, 100));
    p.host.addItem(molecule);
    const std::string run = ks::test::tempDir() + "/caffeine.run";
    ks::test::writeFile(run, kCaffeineRun);
    ASSERT_NE(p.importAs(QString::fromStdString(run), "r"), nullptr);
    EXPECT_EQ(evaluate(p.engine, "var ri = MassItem(r); [mass.moleculeMatch(ri), ri.molMatch.results.length].join()"),
              "false,0");
    EXPECT_TRUE(p.host.calls("executeCommand").isEmpty());
}

TEST(ScriptModule, MissingElementTable)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
    putElementTable(false);
    PublishedPlugin p(true);
    ASSERT_NE(p.plugin, nullptr) << p.loader.errorString().toStdString();
    ASSERT_NE(p.importAs(bundledTextDataset(), "x"), nullptr);
    TCanvasItem* molecule = p.host.moleculePeer()->makeItem(caffeine());
    p.host.addItem(molecule);
    p.engine.evaluate("var it = MassItem(x); var si = it.plot(0).type == 2 ? 0 : 1; "
                      "var mz = it.plot(si).peaks[0].center.x");
    // The plug-in's box first, then code 0; the item's state unchanged.
    for (const char* script : {"mass.elementalComposition(it, si, mz)", "mass.moleculeMatch(it)"}) {
        QString text;
        ks::test::whenModal([&](QMessageBox* box) {
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(evaluate(p.engine, script), "threw Error: Unknown Error") << script;
        ks::test::finishModalAnswers();
        EXPECT_EQ(text, "Error initializing elements table from " + besideProgram()) << script;
    }
    EXPECT_EQ(evaluate(p.engine, "[it.elementalComp.results.length, it.molMatch.results.length].join()"), "0,0");
    // Put in place, the table loads at the next call.
    putElementTable(true);
    EXPECT_EQ(evaluate(p.engine, "mass.elementalComposition(it, si, mz)"), "true");
}
