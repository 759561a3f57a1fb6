// TScriptObjectFactory: the base of the objects through which a plug-in
// makes its script classes known to the host's script engines. The plug-in
// hands its factories to the host at registration; the host later asks one
// of them to register one of the names it announced in one engine.
//
// The host compiles this class too: the name list and the order of the
// virtual operations are part of the contract between the two copies, so
// neither may change. Nothing in the plug-in reads the list after
// construction; it is what the factory announces.
#pragma once

#include <QStringList>

class QScriptEngine;

class TScriptObjectFactory {
public:
    TScriptObjectFactory() = default;
    virtual ~TScriptObjectFactory();

    // Registers the script class of that name in the engine; nothing here.
    virtual void registerObjects(const QString& className, QScriptEngine* engine);
    // The host's own hook (one pointer-sized argument); nothing here.
    virtual void hostHook(quintptr value);

    const QStringList& classNames() const { return m_classNames; }
    void addClassName(const QString& name) { m_classNames.append(name); }

private:
    QStringList m_classNames;
};
