// TIonvaleObjectFactory: the plug-in's script object factory. It announces
// the two script classes "Ionvale" and "MassItem" and registers one of them
// in an engine on request:
// - "Ionvale": the meta-type "TIonvale*" with its conversions, then the
//   global constructor "Ionvale";
// - "MassItem": the meta-type "TCanvasMass*" with its conversions, the
//   global constructor "MassItem", then the seven enum objects on the
//   constructor's internal prototype (made afresh at every registration);
// - any other name: nothing.
// A meta-type is registered with an engine while the engine's default
// prototype for it is invalid; with Qt 5.15 that prototype (the engine's
// default QObject prototype) stays invalid, so it is registered again at
// every registration, which is harmless. A constructor is made only while
// the global is absent, so a second registration leaves the first in
// force.
#pragma once

#include <QObject>
#include <QScriptEngine>
#include <QScriptValue>

#include <memory>
#include <vector>

#include "tscriptobjectfactory.h"

class IPluginHost;
class QScriptContext;

// The script class table.
enum TScriptClass { IonvaleClass = 0, MassItemClass = 1 };
// "Ionvale", "MassItem", else "???".
QString scriptClassName(int index);

// Process-wide meta-type ids, registered on first use.
int ionvaleMetaTypeId();
int massItemMetaTypeId();

// Makes the global constructor of that name, with a read-only,
// undeletable, hidden "typename", when the global object has none.
void registerScriptClass(const QString& className, QScriptEngine::FunctionSignature constructor,
                         QScriptEngine* engine);

class TIonvaleObjectFactory : public TScriptObjectFactory {
public:
    TIonvaleObjectFactory();

    void registerObjects(const QString& className, QScriptEngine* engine) override;
};

// The plug-in's registration step for its script factories: three new
// factories handed to the host in one call, the last created first. They
// stay the plug-in's, as the host's interface says, and are only used by
// the host: a holder made a child of the plug-in object deletes them with
// it. Without a host nothing is made.
class TScriptFactoryHolder : public QObject {
    Q_OBJECT

public:
    explicit TScriptFactoryHolder(QObject* plugin);
    ~TScriptFactoryHolder() override;

    // In the order they were created.
    std::vector<TScriptObjectFactory*> factories() const;

private:
    std::vector<std::unique_ptr<TIonvaleObjectFactory>> m_factories;
};

void addIonvaleScriptFactories(IPluginHost* host, QObject* plugin);
