// The interfaces of the host's two peer plug-ins that the mass plug-in
// looks up by identifier (IPluginHost::findPlugin) and casts with
// qt_metacast: the molecule plug-in, whose page items (type 110) hold
// molecules, and the drawing tools, whose text items (type 107) show HTML.
// Either may be missing; a caller then goes on without it.
//
// Ownership: the molecule a molecule item holds stays the item's; items
// the peers create belong to the caller (they carry their canvas as owner
// tag and are on no canvas yet).
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QUuid>
#include <QtPlugin>

class QtCanvas;
class TCanvasItem;
class TMolecule;

// Identifiers of the peer plug-ins (IPluginHost::findPlugin).
#define LUMATRA_MOLECULE_PLUGIN_ID "{65B47FE2-E426-4d14-87CE-EB8428E84301}"
#define LUMATRA_DRAWING_TOOLS_ID "{BB281D8B-A70C-4dca-844F-0BC5A7E8CA55}"

// Of the molecule plug-in's operations the mass plug-in calls two (their
// numbers in the peer's interface in the comments).
class IMoleculePlugin {
public:
    virtual ~IMoleculePlugin() = default;
    // 2: the molecule of a molecule item (type 110), null for any other
    // item or a null item.
    virtual TMolecule* moleculeOfItem(TCanvasItem* item) = 0;
    // 14: a new molecule item holding a copy of the molecule, made for the
    // canvas (its owner tag) but not on it yet.
    virtual TCanvasItem* createMoleculeItem(const TMolecule* molecule, QtCanvas* canvas) = 0;
};

class IDrawingTools {
public:
    virtual ~IDrawingTools() = default;
    // 1: a new text item (type 107) showing the HTML and bearing both
    // names as its type and subtype texts, at the point, for the host's
    // current page (owner tag) but not on it yet.
    virtual TCanvasItem* createTextItem(const QString& html, const QString& typeName,
                                        const QString& subtypeName, bool frame, const QPoint& point,
                                        bool select) = 0;
};

#define IMoleculePlugin_iid "com.quorvel.quorec-qt.IMoleculePlugin/1.0"
#define IDrawingTools_iid "com.quorvel.quorec-qt.IDrawingTools/1.0"

Q_DECLARE_INTERFACE(IMoleculePlugin, IMoleculePlugin_iid)
Q_DECLARE_INTERFACE(IDrawingTools, IDrawingTools_iid)
