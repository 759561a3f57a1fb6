// The host's two peer plug-ins as the recording host offers them: the
// molecule plug-in (IMoleculePlugin; items of type 110 holding a
// TMolecule) and the drawing tools (IDrawingTools; HTML text items of type
// 107). Both answer IPluginInfo with their identifiers, own nothing and
// journal every call through the host ("molecule.", "drawing.").
#pragma once

#include "iplugins.h"
#include "ipeers.h"

#include <QDate>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QUuid>

namespace lumatra {

class MoleculeItem;
class RecordingHost;

// Shared IPluginInfo answers of the peers.
class PeerPlugin : public QObject, public IPluginInfo {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo)

public:
    PeerPlugin(RecordingHost& host, const QString& name, const QUuid& id);

    const QString& name() const override { return m_name; }
    const QUuid& id() const override { return m_id; }
    const QUuid& secondId() const override { return m_id; }
    const QString& version() const override { return m_version; }
    const QDate& date() const override { return m_date; }
    void registerPlugin(IPluginHost*) override {}
    void activate() override {}
    void deactivate() override {}
    QString description() const override { return QString(); }
    bool capabilityBit0() const override { return false; }
    bool capabilityBit1() const override { return false; }

protected:
    RecordingHost& m_host;

private:
    QString m_name;
    QUuid m_id;
    QString m_version;
    QDate m_date;
};

class MoleculePeer : public PeerPlugin, public IMoleculePlugin {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo IMoleculePlugin)

public:
    explicit MoleculePeer(RecordingHost& host);

    TMolecule* moleculeOfItem(TCanvasItem* item) override;
    // The copy shows the same molecule as the item it came from (the same
    // object identifier) when the molecule is one of a molecule item on
    // the page; otherwise a new molecule.
    TCanvasItem* createMoleculeItem(const TMolecule* molecule, QtCanvas* canvas) override;

    // A molecule item of this peer (for the tests: put it on the page with
    // RecordingHost::addItem). A null object identifier makes a new one.
    MoleculeItem* makeItem(const TMolecule& molecule, const QUuid& objectId = QUuid(),
                           const QRectF& rect = QRectF(100, 100, 600, 450));
};

class DrawingPeer : public PeerPlugin, public IDrawingTools {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo IDrawingTools)

public:
    explicit DrawingPeer(RecordingHost& host);

    // 1200 x 600 page units at the point, for the host's page.
    TCanvasItem* createTextItem(const QString& html, const QString& typeName, const QString& subtypeName,
                                bool frame, const QPoint& point, bool select) override;
};

}  // namespace lumatra
