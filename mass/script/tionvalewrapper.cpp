#include "tionvalewrapper.h"

#include <QScriptContext>
#include <QScriptEngine>

#include "scripthelpers.h"
#include "temptyplugin.h"
#include "tionvaleobjectfactory.h"

namespace {

TEmptyPlugin* pluginOfObject(QObject* object)
{
    if (const auto* wrapper = qobject_cast<TIonvaleWrapper*>(object))
        return wrapper->plugin();
    if (object && object->inherits("TIonvale"))
        return qobject_cast<TEmptyPlugin*>(object);
    return nullptr;
}

}  // namespace

TIonvaleWrapper::TIonvaleWrapper(TEmptyPlugin* plugin, QObject* parent) : QObject(parent), m_plugin(plugin) {}

QString TIonvaleWrapper::toString() const
{
    return QStringLiteral("Ionvale");
}

QScriptValue ionvaleToScriptValue(QScriptEngine* engine, TEmptyPlugin* const& plugin)
{
    return engine->newQObject(new TIonvaleWrapper(plugin), QScriptEngine::ScriptOwnership);
}

void ionvaleFromScriptValue(const QScriptValue& value, TEmptyPlugin*& plugin)
{
    plugin = pluginOfObject(value.toQObject());
}

QScriptValue ionvaleConstructor(QScriptContext* context, QScriptEngine* engine)
{
    if (scriptCalleeTypeName(context) != scriptClassName(IonvaleClass))
        return engine->undefinedValue();
    if (context->argumentCount() != 1)
        return context->throwError(scriptErrorText(ScriptArgumentCount));
    const QScriptValue argument = context->argument(0);
    if (argument.isUndefined())
        return engine->undefinedValue();
    TEmptyPlugin* plugin = pluginOfObject(argument.toQObject());
    if (!plugin && argument.isVariant())
        plugin = pluginOfObject(qvariant_cast<QObject*>(argument.toVariant()));
    if (!plugin)
        return context->throwError(scriptErrorText(ScriptIncorrectArguments));
    return engine->newQObject(new TIonvaleWrapper(plugin), QScriptEngine::ScriptOwnership);
}
