// TIonvaleWrapper: the script class "Ionvale", the script face of the
// plug-in object: the active mass item, pointing an item's dataset at
// another file, and the item's elemental composition and molecule
// matching. The analyses and the file change act on the item directly: no
// command. It never owns the plug-in.
//
// The plug-in object is held through its base TEmptyPlugin: this library
// sits below the plug-in's shell, and the meta-type "TIonvale*" is that
// pointer type under the plug-in's name. The conversion out of a script
// value accepts an Ionvale object (its plug-in), a plug-in object itself
// (a TEmptyPlugin whose class is TIonvale) or a variant holding one. What
// the slots need of the plug-in they ask its TIonvaleScriptServices child,
// which the plug-in makes when it registers its script factories; a
// plug-in without one counts as no plug-in (activeItem undefined, the
// other slots code 5).
#pragma once

#include <QObject>
#include <QPointer>
#include <QScriptValue>
#include <QScriptable>

#include "temptyplugin.h"

class IMoleculePlugin;
class QScriptContext;
class QScriptEngine;
class TCanvasItem;
class TKSElementTable;
class TMassDataServerHandler;

class TIonvaleScriptServices : public QObject {
    Q_OBJECT

public:
    explicit TIonvaleScriptServices(QObject* plugin) : QObject(plugin) {}

    // The first selected mass item, or null.
    virtual TCanvasItem* activeMassItem() = 0;
    // The element table loaded (a failure shows the plug-in's box).
    virtual bool ensureElementTable() = 0;
    virtual const TKSElementTable* elementTable() = 0;
    virtual TMassDataServerHandler* dataServer() = 0;
    // The molecule plug-in peer, or null when the host has none.
    virtual IMoleculePlugin* moleculePlugin() = 0;
};

// The services of a plug-in object, or null.
TIonvaleScriptServices* scriptServicesOf(TEmptyPlugin* plugin);

class TIonvaleWrapper : public QObject, protected QScriptable {
    Q_OBJECT

public:
    explicit TIonvaleWrapper(TEmptyPlugin* plugin, QObject* parent = nullptr);

    TEmptyPlugin* plugin() const { return m_plugin.data(); }

public slots:
    // A new MassItem of the active mass item; undefined without one.
    QScriptValue activeItem();
    // "Ionvale".
    QScriptValue toString();
    // changeDatasetFileName(path, massItem): the item's dataset reopened
    // from the path; true.
    QScriptValue changeDatasetFileName();
    // moleculeMatch(massItem): the document's molecules matched against
    // the item's spectra; false without molecules (or without the peer).
    QScriptValue moleculeMatch();
    // elementalComposition(massItem, plotIndex, mz): the composition at
    // the m/z of a spectrum plot computed into the item's state; true.
    QScriptValue elementalComposition();

private:
    TIonvaleScriptServices* services() const;
    // The services for a slot, or null with the slot's answer in failure:
    // code 5 without a plug-in, code 1 for another number of arguments.
    TIonvaleScriptServices* slotServices(QScriptValue& failure, int arguments) const;

    // Guarded: the host may keep the wrapper past the plug-in.
    QPointer<TEmptyPlugin> m_plugin;
};

// The "TIonvale*" conversions.
QScriptValue ionvaleToScriptValue(QScriptEngine* engine, TEmptyPlugin* const& plugin);
void ionvaleFromScriptValue(const QScriptValue& value, TEmptyPlugin*& plugin);

// The native function behind the global "Ionvale".
QScriptValue ionvaleConstructor(QScriptContext* context, QScriptEngine* engine);
