#include "scripttest.h"

#include "kstest.h"
#include "kstestqt.h"
#include "ipluginhost.h"
#include "tionvaleobjectfactory.h"
#include "tmasselementcomposition.h"
#include "tmassitemwrapper.h"

TCanvasItem* TIonvale::createItem(int type)
{
    if (type != MassSpectrumItemType)
        return nullptr;
    return new TCanvasMass(QUuid(), 0, &handler, this);
}

namespace scripttest {

TestServices::TestServices(::TIonvale* plugin) : TIonvaleScriptServices(plugin), plugin(plugin) {}

TCanvasItem* TestServices::activeMassItem()
{
    return plugin->host() ? plugin->host()->selectedItems(0).activeOfType(MassSpectrumItemType) : nullptr;
}

bool TestServices::ensureElementTable()
{
    ++tableAsked;
    return !tableFails && table.initialize(elementTableFilePath().toStdWString());
}

TMassDataServerHandler* TestServices::dataServer()
{
    return &plugin->handler;
}

const QUuid kTextProviderId("{127AC576-D36A-11D3-91D9-00400536072C}");
const QUuid kChemStationProviderId("{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}");
const QUuid kRunProviderId("{25DEF092-05A5-4401-A622-8A662B7591BD}");

const char* const kCaffeineRun =
    "kestrom-run 1\n"
    "run seed=7\n"
    "injection name=\"Caffeine\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=40 start=0 step=0.02 low=150 high=250 noise=20 noisepeaks=4\n"
    "compound function=1 apex=0.36 width=0.03 height=48000 cluster=195.0877/1:100,9.7,1.2\n"
    "trace name=\"UV 254\" start=0 step=0.005 points=160 baseline=2 peaks=0.355:0.03:1000\n";

ScriptTest::ScriptTest() : plugin(std::make_unique<::TIonvale>()), engine(std::make_unique<QScriptEngine>())
{
    new TestServices(plugin.get());
    host.loadPlugin(plugin.get());
    TIonvaleObjectFactory factory;
    factory.registerObjects(QStringLiteral("Ionvale"), engine.get());
    factory.registerObjects(QStringLiteral("MassItem"), engine.get());
}

ScriptTest::~ScriptTest()
{
    // Script objects go first, then the items (which close their datasets
    // in the plug-in's handler), then the plug-in.
    engine.reset();
    for (TCanvasItem* item : host.allItems())
        delete item;
    host.removePlugin(plugin.get());
}

void ScriptTest::SetUp()
{
    ks::test::useCaseSettings();
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
    previousRunner = ks::dialogs::setDialogRunner(&runner);
}

void ScriptTest::TearDown()
{
    ks::dialogs::setDialogRunner(previousRunner);
    for (const auto& entry : runner.log())
        ADD_FAILURE() << "a provider asked a question: " << std::string(entry.title.begin(), entry.title.end());
}

QScriptValue ScriptTest::run(const QString& script)
{
    const QScriptValue value = engine->evaluate(script);
    if (engine->hasUncaughtException()) {
        ADD_FAILURE() << "script " << script.toStdString() << " threw " << value.toString().toStdString();
        engine->clearExceptions();
    }
    return value;
}

QString ScriptTest::error(const QString& script)
{
    const QScriptValue value = engine->evaluate(script);
    if (!engine->hasUncaughtException()) {
        ADD_FAILURE() << "script " << script.toStdString() << " did not throw";
        return QString();
    }
    engine->clearExceptions();
    return value.property(QStringLiteral("message")).toString();
}

QString ScriptTest::bundledTextDataset()
{
    return QString::fromStdString(std::string(KS_SOURCE_DIR) +
                                  "/../../dataservices/providers/text/samples/text_dataset.txt");
}

TCanvasMass* ScriptTest::import(const QString& path, const QUuid& provider)
{
    const QUuid key = plugin->handler.openDataset(path, provider);
    auto* item = new TCanvasMass(key, 0, &plugin->handler, plugin.get());
    host.addItem(item);
    return item;
}

TCanvasMass* ScriptTest::caffeineRun()
{
    const std::string path = ks::test::tempDir() + "/caffeine" + std::to_string(++m_runs) + ".run";
    ks::test::writeFile(path, kCaffeineRun);
    return import(QString::fromStdString(path), kRunProviderId);
}

TCanvasMass* ScriptTest::emptyItem()
{
    TCanvasItem* item = plugin->createItem(MassSpectrumItemType);
    host.addItem(item);
    return static_cast<TCanvasMass*>(item);
}

void ScriptTest::publish(const QString& name, TCanvasMass* item)
{
    engine->globalObject().setProperty(name, qScriptValueFromValue(engine.get(), item));
}

}  // namespace scripttest
