// The window's script engine. The plug-ins' script factories register the
// classes they announce ("Ionvale", "MassItem"), the named objects the
// plug-ins hand over (operation 37, "mass") are globals, `print` writes a
// line to standard output and the window's log, and the host object
// `lumatra` offers showDock(name, visible), triggerAction(name) and
// state() (the state dump as JSON text).
//
// Errors (syntax errors, thrown and uncaught exceptions) are written with
// file and line to standard error and the log; run() answers false then,
// and the engine stays usable for the next script.
#pragma once

#include <QJsonArray>
#include <QObject>
#include <QScriptEngine>
#include <QSet>

class TCanvasItem;

namespace lumatra {

class LumatraWindow;

class ScriptHostObject : public QObject {
    Q_OBJECT

public:
    explicit ScriptHostObject(LumatraWindow& window);

public slots:
    void showDock(const QString& name, bool visible);
    // False when the window has no action of that object name or it is
    // disabled.
    bool triggerAction(const QString& name);
    QString state();

private:
    LumatraWindow& m_window;
};

class ScriptHost {
public:
    explicit ScriptHost(LumatraWindow& window);
    ~ScriptHost();

    // Registers what the plug-ins handed over since the last call.
    void update();
    bool run(const QString& program, const QString& fileName);
    // The plots of a mass item as its script object ("MassItem") gives
    // them (kind, description, visibility); empty for other items or
    // without the class.
    QJsonArray plotsOf(TCanvasItem* item);
    QScriptEngine& engine() { return m_engine; }

private:
    LumatraWindow& m_window;
    QScriptEngine m_engine;
    ScriptHostObject m_hostObject;
    QSet<QString> m_registered;
};

}  // namespace lumatra
