#include "scripthost.h"

#include "hostwindow.h"
#include "tcanvasitem.h"
#include "tscriptobjectfactory.h"

#include <QAction>
#include <QJsonDocument>
#include <QScriptContext>
#include <QScriptValueIterator>

#include <cstdio>

// The script classes of the plug-in read page items from variants of this
// type (the meta-type is shared by name with the plug-in's copy).
Q_DECLARE_METATYPE(TCanvasItem*)

namespace lumatra {

namespace {

QScriptValue printFunction(QScriptContext* context, QScriptEngine* engine)
{
    QStringList parts;
    for (int i = 0; i < context->argumentCount(); ++i)
        parts << context->argument(i).toString();
    const QString line = parts.join(QLatin1Char(' '));
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
    auto* window = static_cast<LumatraWindow*>(engine->property("lumatraWindow").value<QObject*>());
    if (window)
        window->appendLog(line);
    return engine->undefinedValue();
}

}  // namespace

ScriptHostObject::ScriptHostObject(LumatraWindow& window) : m_window(window)
{
    setObjectName(QStringLiteral("lumatra"));
}

void ScriptHostObject::showDock(const QString& name, bool visible)
{
    m_window.showDock(name, visible);
}

bool ScriptHostObject::triggerAction(const QString& name)
{
    QAction* action = m_window.action(name);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

QString ScriptHostObject::state()
{
    return QString::fromUtf8(QJsonDocument(m_window.stateDump()).toJson(QJsonDocument::Indented));
}

ScriptHost::ScriptHost(LumatraWindow& window) : m_window(window), m_hostObject(window)
{
    m_engine.setProperty("lumatraWindow", QVariant::fromValue<QObject*>(&window));
    QScriptValue global = m_engine.globalObject();
    global.setProperty(QStringLiteral("print"), m_engine.newFunction(printFunction));
    global.setProperty(QStringLiteral("lumatra"), m_engine.newQObject(&m_hostObject));
}

ScriptHost::~ScriptHost()
{
    // The wrappers the engine holds may refer to items and plug-in objects:
    // collect them while those still exist.
    m_engine.collectGarbage();
}

void ScriptHost::update()
{
    for (TScriptObjectFactory* factory : m_window.scriptFactories()) {
        for (const QString& name : factory->classNames()) {
            if (m_registered.contains(name))
                continue;
            factory->registerObjects(name, &m_engine);
            m_registered.insert(name);
        }
    }
    QScriptValue global = m_engine.globalObject();
    for (auto it = m_window.scriptObjects().constBegin(); it != m_window.scriptObjects().constEnd(); ++it)
        global.setProperty(it.key(), m_engine.newQObject(it.value()));
}

bool ScriptHost::run(const QString& program, const QString& fileName)
{
    update();
    const QScriptValue result = m_engine.evaluate(program, fileName);
    if (m_engine.hasUncaughtException()) {
        const QString message = QStringLiteral("%1:%2: %3")
                                    .arg(fileName)
                                    .arg(m_engine.uncaughtExceptionLineNumber())
                                    .arg(result.toString());
        std::fprintf(stderr, "lumatra: %s\n", message.toLocal8Bit().constData());
        m_window.appendLog(message);
        m_engine.clearExceptions();
        return false;
    }
    return true;
}

QJsonArray ScriptHost::plotsOf(TCanvasItem* item)
{
    QJsonArray plots;
    QScriptValue global = m_engine.globalObject();
    if (!item || item->rtti() != MassSpectrumItemType || !global.property(QStringLiteral("MassItem")).isFunction())
        return plots;
    global.setProperty(QStringLiteral("__dumpItem"), m_engine.newVariant(QVariant::fromValue<TCanvasItem*>(item)));
    const QScriptValue list = m_engine.evaluate(QStringLiteral(
        "(function (x) { var it = MassItem(x), out = [];"
        " for (var i = 0; it && i < it.plotsCount; ++i) { var p = it.plot(i);"
        "  if (p) out.push({ type: p.type, description: String(p.description), visible: p.visible,"
        "                   scale: p.scale === undefined ? null : JSON.parse(JSON.stringify(p.scale)) }); }"
        " return JSON.stringify(out); })(__dumpItem)"));
    global.setProperty(QStringLiteral("__dumpItem"), QScriptValue());
    if (m_engine.hasUncaughtException()) {
        m_engine.clearExceptions();
        return plots;
    }
    return QJsonDocument::fromJson(list.toString().toUtf8()).array();
}

}  // namespace lumatra
