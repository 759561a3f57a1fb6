// TIonvaleWrapper: the script class "Ionvale", the script face of the
// plug-in object. It never owns the plug-in.
//
// The plug-in object is held through its base TEmptyPlugin: this library
// sits below the plug-in's shell, and the meta-type "TIonvale*" is that
// pointer type under the plug-in's name. The conversion out of a script
// value accepts an Ionvale object (its plug-in), a plug-in object itself
// (a TEmptyPlugin whose class is TIonvale) or a variant holding one.
#pragma once

#include <QObject>
#include <QScriptValue>
#include <QScriptable>

class QScriptContext;
class QScriptEngine;
class TEmptyPlugin;

class TIonvaleWrapper : public QObject, protected QScriptable {
    Q_OBJECT

public:
    explicit TIonvaleWrapper(TEmptyPlugin* plugin, QObject* parent = nullptr);

    TEmptyPlugin* plugin() const { return m_plugin; }

public slots:
    QString toString() const;

private:
    TEmptyPlugin* m_plugin;
};

// The "TIonvale*" conversions.
QScriptValue ionvaleToScriptValue(QScriptEngine* engine, TEmptyPlugin* const& plugin);
void ionvaleFromScriptValue(const QScriptValue& value, TEmptyPlugin*& plugin);

// The native function behind the global "Ionvale".
QScriptValue ionvaleConstructor(QScriptContext* context, QScriptEngine* engine);
