// The script classes as the host meets them: the recording host loads
// Ionvale.so with QPluginLoader and registers it, then asks each of the
// three factories it received to register "Ionvale" and "MassItem" in a
// fresh engine, and scripts run against a mass item that the plug-in
// imported from the bundled text dataset. The wrappers live in the
// module's copy of the shared classes; the page items in the host's.
#include <gtest/gtest.h>

#include <QPluginLoader>
#include <QScriptEngine>

#include "kstest.h"
#include "recordinghost.h"
#include "tcanvasitem.h"
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
