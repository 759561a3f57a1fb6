#include "scripthelpers.h"

#include <QFont>
#include <QMetaProperty>
#include <QScriptContext>
#include <QScriptEngine>

QString scriptErrorText(int code)
{
    switch (code) {
    case ScriptArgumentCount: return QStringLiteral("Number of arguments is incorrect.");
    case ScriptIncorrectArguments: return QStringLiteral("Incorrect Arguments");
    case ScriptUnknownParameter: return QStringLiteral("Unknown Parameter");
    case ScriptInvalidValue: return QStringLiteral("Invalid Parameter Value");
    case ScriptInvalidObject: return QStringLiteral("Invalid Object");
    case ScriptFatalError: return QStringLiteral("Fatal Error");
    case ScriptMemoryError: return QStringLiteral("Memory Allocation Error");
    default: return QStringLiteral("Unknown Error");
    }
}

QScriptValue throwScriptError(QScriptContext* context, int code, const QString& detail)
{
    if (!context)
        return QScriptValue();
    QString message = scriptErrorText(code);
    if (!detail.isEmpty())
        message += QStringLiteral(" ( ") + detail + QStringLiteral(" )");
    return context->throwError(message);
}

QScriptValue printScriptWarning(QScriptEngine* engine, int code, const QString& detail)
{
    if (!engine)
        return QScriptValue();
    QScriptValue print = engine->globalObject().property(QStringLiteral("print"));
    if (print.isFunction()) {
        print.call(QScriptValue(), QScriptValueList{QScriptValue(QStringLiteral("Warning: ")),
                                                    QScriptValue(scriptErrorText(code) + QLatin1Char(' ') + detail)});
    }
    return engine->undefinedValue();
}

void fontFromScriptObject(const QScriptValue& value, QFont& font)
{
    if (!value.isObject())
        return;
    const QScriptValue family = value.property(QStringLiteral("family"));
    if (family.isString())
        font.setFamily(family.toString());
    const QScriptValue size = value.property(QStringLiteral("size"));
    if (size.isNumber())
        font.setPointSize(size.toInt32());
    const QScriptValue bold = value.property(QStringLiteral("bold"));
    if (bold.isBool())
        font.setWeight(bold.toBool() ? QFont::Bold : QFont::Normal);
    const QScriptValue italic = value.property(QStringLiteral("italic"));
    if (italic.isBool())
        font.setStyle(italic.toBool() ? QFont::StyleItalic : QFont::StyleNormal);
    const QScriptValue underline = value.property(QStringLiteral("underline"));
    if (underline.isBool())
        font.setUnderline(underline.toBool());
}

bool assignScriptProperties(const QScriptValue& source, QObject* target, QScriptEngine* engine)
{
    if (!source.isValid() || source.isUndefined() || !source.isObject() || !target || !engine)
        return false;
    const QMetaObject* meta = target->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QString name = QString::fromLatin1(property.name());
        if (!property.isReadable() || !property.isWritable() || name == QLatin1String("objectName"))
            continue;
        const QScriptValue value = source.property(name);
        if (!value.isValid())
            continue;
        // Through a wrapper, so that the property's own setter runs with
        // the engine's conversion of the value.
        engine->newQObject(target).setProperty(name, value, QScriptValue::KeepExistingFlags);
    }
    return true;
}

int scriptIndex(const QScriptValue& number, int count)
{
    const double value = number.toNumber();
    if (!(value > -1.0 && value < count))
        return -1;
    return static_cast<int>(value);
}

QString scriptCalleeTypeName(QScriptContext* context)
{
    if (!context)
        return QString();
    return context->callee().property(QStringLiteral("typename")).toString();
}

QScriptValue wrapChildObject(QScriptEngine* engine, QObject* child, const QScriptValue& holder)
{
    QScriptValue value = engine->newQObject(child, QScriptEngine::QtOwnership);
    if (holder.isObject())
        value.setData(holder);
    return value;
}
