#include "tionvaleobjectfactory.h"

#include <QScriptEngine>

#include "ipluginhost.h"
#include "tcanvasmass.h"
#include "temptyplugin.h"
#include "tionvalewrapper.h"
#include "tmassitemwrapper.h"

namespace {

struct EnumName {
    const char* name;
    int value;
};

struct EnumObject {
    const char* name;
    std::initializer_list<EnumName> names;
};

// The codes that the information, item and plot objects report and take.
const EnumObject kEnumObjects[] = {
    {"DataTypes", {{"Unknown", 0}, {"Chromatogram", 1}, {"Spectrum", 2}}},
    {"FunctionMSType",
     {{"Unknown", 0}, {"MS", 1}, {"MSn", 2}, {"ZoomMS", 3}, {"ZoomMSn", 4}, {"SIMMS", 5}, {"SIMMSn", 6}}},
    {"FunctionMSMSType", {{"None", 0}, {"Precursor", 1}, {"Product", 2}, {"NeutralLoss", 3}}},
    {"FunctionPolarity", {{"Unknown", 0}, {"Positive", 1}, {"Negative", 2}, {"Mixed", 3}}},
    {"MSAnalyzer", {{"Unknown", 0}, {"Constant", 1}, {"TOF", 2}, {"Proportional", 3}, {"FTMS", 4}, {"Other", 100}}},
    {"SpectrumSelMode", {{"Manual", 0}, {"Peak", 1}, {"PeakSub", 2}}},
    {"ChromatogramPeakType", {{"Unknown", 0}, {"BB", 1}, {"BV", 2}, {"VB", 3}, {"VV", 4}, {"Shoulder", 5}}},
};

// The meta-type with its conversions, while the engine has no valid
// default prototype for it; the prototype is the engine's QObject one.
template <class T>
void registerMetaType(QScriptEngine* engine, int id, QScriptValue (*to)(QScriptEngine*, T const&),
                      void (*from)(const QScriptValue&, T&))
{
    if (engine->defaultPrototype(id).isValid())
        return;
    qScriptRegisterMetaType<T>(engine, to, from, engine->defaultPrototype(QMetaType::QObjectStar));
}

}  // namespace

QString scriptClassName(int index)
{
    switch (index) {
    case IonvaleClass: return QStringLiteral("Ionvale");
    case MassItemClass: return QStringLiteral("MassItem");
    default: return QStringLiteral("???");
    }
}

int ionvaleMetaTypeId()
{
    static const int id = qRegisterMetaType<TEmptyPlugin*>("TIonvale*");
    return id;
}

int massItemMetaTypeId()
{
    static const int id = qRegisterMetaType<TCanvasMass*>("TCanvasMass*");
    return id;
}

void registerScriptClass(const QString& className, QScriptEngine::FunctionSignature constructor,
                         QScriptEngine* engine)
{
    QScriptValue global = engine->globalObject();
    if (global.property(className).isValid())
        return;
    // The function's "prototype" is the engine's default prototype of the
    // class's meta-type.
    const int id = className == scriptClassName(IonvaleClass) ? ionvaleMetaTypeId() : massItemMetaTypeId();
    QScriptValue function = engine->newFunction(constructor, engine->defaultPrototype(id), 0);
    function.setProperty(QStringLiteral("typename"), className,
                         QScriptValue::ReadOnly | QScriptValue::Undeletable | QScriptValue::SkipInEnumeration);
    global.setProperty(className, function, QScriptValue::KeepExistingFlags);
}

TIonvaleObjectFactory::TIonvaleObjectFactory()
{
    addClassName(scriptClassName(IonvaleClass));
    addClassName(scriptClassName(MassItemClass));
}

void TIonvaleObjectFactory::registerObjects(const QString& className, QScriptEngine* engine)
{
    if (!engine)
        return;
    if (className == scriptClassName(IonvaleClass)) {
        registerMetaType<TEmptyPlugin*>(engine, ionvaleMetaTypeId(), ionvaleToScriptValue, ionvaleFromScriptValue);
        registerScriptClass(className, ionvaleConstructor, engine);
    } else if (className == scriptClassName(MassItemClass)) {
        registerMetaType<TCanvasMass*>(engine, massItemMetaTypeId(), massItemToScriptValue, massItemFromScriptValue);
        registerScriptClass(className, massItemConstructor, engine);
        // On the constructor's internal prototype, not on its "prototype"
        // property: scripts read MassItem.DataTypes.Spectrum.
        QScriptValue holder = engine->globalObject().property(className).prototype();
        if (!holder.isValid())
            return;
        for (const EnumObject& e : kEnumObjects) {
            QScriptValue object = engine->newObject();
            for (const EnumName& n : e.names)
                object.setProperty(QString::fromLatin1(n.name), n.value, QScriptValue::KeepExistingFlags);
            holder.setProperty(QString::fromLatin1(e.name), object, QScriptValue::KeepExistingFlags);
        }
    }
}

TScriptFactoryHolder::TScriptFactoryHolder(QObject* plugin) : QObject(plugin)
{
    for (int i = 0; i < 3; ++i)
        m_factories.push_back(std::make_unique<TIonvaleObjectFactory>());
}

TScriptFactoryHolder::~TScriptFactoryHolder() = default;

std::vector<TScriptObjectFactory*> TScriptFactoryHolder::factories() const
{
    std::vector<TScriptObjectFactory*> list;
    for (const auto& f : m_factories)
        list.push_back(f.get());
    return list;
}

void addIonvaleScriptFactories(IPluginHost* host, QObject* plugin)
{
    if (!host)
        return;
    const auto* holder = new TScriptFactoryHolder(plugin);
    const std::vector<TScriptObjectFactory*> made = holder->factories();
    host->addScriptFactories(made[2], made[1], made[0]);
}
