// Registration of the script classes: globals, "typename", enum objects,
// other names, the factory's class list and both meta-types' conversions.
#include "scripttest.h"

#include <QScriptValueIterator>

#include "tionvaleobjectfactory.h"
#include "tionvalewrapper.h"
#include "tmassitemwrapper.h"

using namespace scripttest;

using Registration = ScriptTest;

TEST_F(Registration, IonvaleTwiceLeavesOneFixedTypename)
{
    TIonvaleObjectFactory factory;
    const QScriptValue first = engine->globalObject().property("Ionvale");
    factory.registerObjects("Ionvale", engine.get());
    EXPECT_TRUE(engine->globalObject().property("Ionvale").strictlyEquals(first));
    EXPECT_EQ(run("Ionvale.typename").toString(), "Ionvale");
    EXPECT_EQ(run("Ionvale.typename = 'x'; Ionvale.typename").toString(), "Ionvale");
    EXPECT_FALSE(run("delete Ionvale.typename").toBool());
    EXPECT_EQ(run("Ionvale.typename").toString(), "Ionvale");
    EXPECT_EQ(run("var names = []; for (var k in Ionvale) if (Ionvale.hasOwnProperty(k)) names.push(k); "
                  "names.join(',')")
                  .toString(),
              "");
    EXPECT_FALSE(run("Ionvale.propertyIsEnumerable('typename')").toBool());
    EXPECT_TRUE(run("Ionvale.hasOwnProperty('typename')").toBool());
    EXPECT_EQ(run("Ionvale.length").toInt32(), 0);
    EXPECT_EQ(run("MassItem.typename").toString(), "MassItem");
}

TEST_F(Registration, EnumObjectsThroughTheConstructor)
{
    struct Case {
        const char* expression;
        int value;
    };
    const Case cases[] = {
        {"MassItem.DataTypes.Unknown", 0},           {"MassItem.DataTypes.Chromatogram", 1},
        {"MassItem.DataTypes.Spectrum", 2},          {"MassItem.FunctionMSType.MS", 1},
        {"MassItem.FunctionMSType.ZoomMSn", 4},      {"MassItem.FunctionMSType.SIMMSn", 6},
        {"MassItem.FunctionMSMSType.None", 0},       {"MassItem.FunctionMSMSType.NeutralLoss", 3},
        {"MassItem.FunctionPolarity.Negative", 2},   {"MassItem.FunctionPolarity.Mixed", 3},
        {"MassItem.MSAnalyzer.FTMS", 4},             {"MassItem.MSAnalyzer.Other", 100},
        {"MassItem.SpectrumSelMode.PeakSub", 2},     {"MassItem.ChromatogramPeakType.VV", 4},
        {"MassItem.ChromatogramPeakType.Shoulder", 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.expression).toInt32(), c.value) << c.expression;

    struct Names {
        const char* object;
        const char* names;
    };
    const Names tables[] = {
        {"DataTypes", "Unknown,Chromatogram,Spectrum"},
        {"FunctionMSType", "Unknown,MS,MSn,ZoomMS,ZoomMSn,SIMMS,SIMMSn"},
        {"FunctionMSMSType", "None,Precursor,Product,NeutralLoss"},
        {"FunctionPolarity", "Unknown,Positive,Negative,Mixed"},
        {"MSAnalyzer", "Unknown,Constant,TOF,Proportional,FTMS,Other"},
        {"SpectrumSelMode", "Manual,Peak,PeakSub"},
        {"ChromatogramPeakType", "Unknown,BB,BV,VB,VV,Shoulder"},
    };
    for (const Names& t : tables)
        EXPECT_EQ(run(QString("var a = []; for (var k in MassItem.%1) a.push(k); a.join(',')").arg(t.object))
                      .toString(),
                  t.names)
            << t.object;

    // On the constructor's internal prototype: not on the global object,
    // not on its "prototype" property, and (Qt 5) on every function.
    EXPECT_TRUE(run("typeof DataTypes").toString() == "undefined");
    EXPECT_FALSE(run("MassItem.hasOwnProperty('DataTypes')").toBool());
    EXPECT_EQ(run("(function () {}).MSAnalyzer.Other").toInt32(), 100);
    // Ordinary writable properties, made afresh at the next registration.
    EXPECT_EQ(run("MassItem.DataTypes.Spectrum = 9; MassItem.DataTypes.Spectrum").toInt32(), 9);
    const QScriptValue constructor = engine->globalObject().property("MassItem");
    TIonvaleObjectFactory().registerObjects("MassItem", engine.get());
    EXPECT_EQ(run("MassItem.DataTypes.Spectrum").toInt32(), 2);
    EXPECT_TRUE(engine->globalObject().property("MassItem").strictlyEquals(constructor));
}

TEST_F(Registration, FactoryNamesAndOtherClassNames)
{
    TIonvaleObjectFactory factory;
    EXPECT_EQ(factory.classNames(), QStringList({"Ionvale", "MassItem"}));
    EXPECT_EQ(scriptClassName(0), "Ionvale");
    EXPECT_EQ(scriptClassName(1), "MassItem");
    EXPECT_EQ(scriptClassName(2), "???");
    EXPECT_EQ(scriptClassName(-1), "???");

    QScriptEngine fresh;
    const auto globals = [&fresh] {
        QStringList names;
        QScriptValueIterator it(fresh.globalObject());
        while (it.hasNext()) {
            it.next();
            names << it.name();
        }
        return names;
    };
    const QStringList before = globals();
    for (const char* name : {"ionvale", "massitem", "MassItems", "", "Ionvale "})
        factory.registerObjects(name, &fresh);
    factory.registerObjects("Ionvale", nullptr);
    TScriptObjectFactory base;
    base.registerObjects("Ionvale", &fresh);
    base.hostHook(42);
    EXPECT_TRUE(base.classNames().isEmpty());
    EXPECT_EQ(globals(), before);
    EXPECT_FALSE(fresh.globalObject().property("Ionvale").isValid());
    EXPECT_FALSE(fresh.globalObject().property("MassItem").isValid());

    // The class is looked up by name only: each registration makes its own.
    factory.registerObjects("MassItem", &fresh);
    EXPECT_TRUE(fresh.globalObject().property("MassItem").isFunction());
    EXPECT_FALSE(fresh.globalObject().property("Ionvale").isValid());
}

TEST_F(Registration, MassItemConversionsBothWays)
{
    TCanvasMass* item = emptyItem();
    const QScriptValue value = qScriptValueFromValue(engine.get(), item);
    auto* wrapper = qobject_cast<TMassItemWrapper*>(value.toQObject());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->massItem(), item);
    EXPECT_EQ(qscriptvalue_cast<TCanvasMass*>(value), item);
    // Every conversion makes a new wrapper, owned by the engine.
    EXPECT_NE(qScriptValueFromValue(engine.get(), item).toQObject(), wrapper);

    EXPECT_EQ(qscriptvalue_cast<TCanvasMass*>(engine->newObject()), nullptr);
    EXPECT_EQ(qscriptvalue_cast<TCanvasMass*>(QScriptValue(5)), nullptr);
    EXPECT_EQ(qscriptvalue_cast<TCanvasMass*>(engine->newQObject(new TIonvaleWrapper(plugin.get()),
                                                                 QScriptEngine::ScriptOwnership)),
              nullptr);

    // The constructor: a MassItem object, a variant holding the item.
    publish("x", item);
    EXPECT_EQ(massItemOf(run("MassItem(x)")), item);
    EXPECT_EQ(massItemOf(run("new MassItem(x)")), item);
    engine->globalObject().setProperty("v", engine->newVariant(QVariant::fromValue<TCanvasItem*>(item)));
    EXPECT_EQ(massItemOf(run("MassItem(v)")), item);
    EXPECT_EQ(error("MassItem()"), "Number of arguments is incorrect.");
    EXPECT_EQ(error("MassItem(x, x)"), "Number of arguments is incorrect.");
    for (const char* script : {"MassItem({})", "MassItem(3)", "MassItem(undefined)", "MassItem(Ionvale)"}) {
        const QScriptValue made = run(script);
        ASSERT_NE(qobject_cast<TMassItemWrapper*>(made.toQObject()), nullptr) << script;
        EXPECT_FALSE(run(QString("%1.isValid()").arg(script)).toBool()) << script;
        EXPECT_EQ(run(QString("%1.plotsCount").arg(script)).toInt32(), 0) << script;
    }
}

TEST_F(Registration, IonvaleConversionsBothWays)
{
    const QScriptValue value = qScriptValueFromValue<TEmptyPlugin*>(engine.get(), plugin.get());
    auto* wrapper = qobject_cast<TIonvaleWrapper*>(value.toQObject());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->plugin(), plugin.get());
    EXPECT_EQ(qscriptvalue_cast<TEmptyPlugin*>(value), plugin.get());
    // The plug-in object itself, and a variant holding it.
    EXPECT_EQ(qscriptvalue_cast<TEmptyPlugin*>(engine->newQObject(plugin.get())), plugin.get());
    engine->globalObject().setProperty("p", engine->newQObject(plugin.get()));
    engine->globalObject().setProperty("v", engine->newVariant(QVariant::fromValue<QObject*>(plugin.get())));
    engine->globalObject().setProperty("w", value);
    for (const char* script : {"Ionvale(p)", "new Ionvale(p)", "Ionvale(v)", "Ionvale(w)"}) {
        const auto* made = qobject_cast<TIonvaleWrapper*>(run(script).toQObject());
        ASSERT_NE(made, nullptr) << script;
        EXPECT_EQ(made->plugin(), plugin.get()) << script;
    }
    EXPECT_EQ(run("Ionvale(p).toString()").toString(), "Ionvale");
    // Other plug-in objects and other values are not the plug-in.
    lumatra::TestPlugin other;
    EXPECT_EQ(qscriptvalue_cast<TEmptyPlugin*>(engine->newQObject(&other)), nullptr);
    engine->globalObject().setProperty("o", engine->newQObject(&other));
    for (const char* script : {"Ionvale(o)", "Ionvale({})", "Ionvale(null)", "Ionvale(1)"})
        EXPECT_EQ(error(script), "Incorrect Arguments") << script;
    EXPECT_TRUE(run("Ionvale(undefined)").isUndefined());
    EXPECT_EQ(error("Ionvale(p, p)"), "Number of arguments is incorrect.");
    EXPECT_EQ(error("Ionvale()"), "Number of arguments is incorrect.");
}

TEST_F(Registration, ConstructorsCheckTheCalleesClass)
{
    // A constructor under another class's "typename" answers undefined.
    engine->globalObject().setProperty("p", engine->newQObject(plugin.get()));
    QScriptValue impostor = engine->newFunction(massItemConstructor);
    impostor.setProperty("typename", "Ionvale");
    engine->globalObject().setProperty("Impostor", impostor);
    EXPECT_TRUE(run("Impostor(p)").isUndefined());
    QScriptValue bare = engine->newFunction(ionvaleConstructor);
    engine->globalObject().setProperty("Bare", bare);
    EXPECT_TRUE(run("Bare(p)").isUndefined());
}

TEST_F(Registration, FactoriesHandedToTheHost)
{
    host.clearJournal();
    addIonvaleScriptFactories(nullptr, plugin.get());
    EXPECT_EQ(plugin->findChild<TScriptFactoryHolder*>(), nullptr);
    addIonvaleScriptFactories(&host, plugin.get());
    EXPECT_EQ(host.journal(), QStringList({"addScriptFactories(3)"}));
    const auto* holder = plugin->findChild<TScriptFactoryHolder*>();
    ASSERT_NE(holder, nullptr);
    const std::vector<TScriptObjectFactory*> made = holder->factories();
    ASSERT_EQ(made.size(), 3u);
    // One call, the last created first.
    EXPECT_EQ(host.scriptFactories(), QList<TScriptObjectFactory*>({made[2], made[1], made[0]}));
    for (TScriptObjectFactory* factory : host.scriptFactories()) {
        QScriptEngine fresh;
        for (const QString& name : factory->classNames())
            factory->registerObjects(name, &fresh);
        EXPECT_EQ(fresh.evaluate("[Ionvale.typename, MassItem.typename, MassItem.FunctionMSType.SIMMSn].join()")
                      .toString(),
                  "Ionvale,MassItem,6");
    }
}
