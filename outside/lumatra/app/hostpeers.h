// The two peer plug-ins of the program: the molecule plug-in (its items of
// type 110 hold a TMolecule read from a V2000 molfile) and the drawing tools
// (HTML text items of type 107). The mass plug-in finds them through
// IPluginHost::findPlugin and casts them by identifier.
#pragma once

#include "iplugins.h"
#include "ipeers.h"

#include <QDate>
#include <QObject>
#include <QRectF>

#include "tkselements.h"

namespace lumatra {

class HostMoleculeItem;
class LumatraWindow;

class HostPeer : public QObject, public IPluginInfo {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo)

public:
    HostPeer(const QString& name, const QUuid& id);

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

private:
    QString m_name;
    QUuid m_id;
    QString m_version;
    QDate m_date;
};

class HostMoleculePeer : public HostPeer, public IMoleculePlugin {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo IMoleculePlugin)

public:
    explicit HostMoleculePeer(LumatraWindow& host);

    TMolecule* moleculeOfItem(TCanvasItem* item) override;
    TCanvasItem* createMoleculeItem(const TMolecule* molecule, QtCanvas* canvas) override;

    // A molecule item from molfile text: null with the reason when the text
    // does not read (or the element table beside the program does not).
    HostMoleculeItem* itemFromMolfile(const QByteArray& text, QString& error);
    // An empty item for a document to read into.
    HostMoleculeItem* emptyItem();

private:
    bool ensureTable(QString& error);

    LumatraWindow& m_host;
    TKSElementTable m_table;
    bool m_tableLoaded = false;
};

class HostDrawingPeer : public HostPeer, public IDrawingTools {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo IDrawingTools)

public:
    explicit HostDrawingPeer(LumatraWindow& host);

    TCanvasItem* createTextItem(const QString& html, const QString& typeName, const QString& subtypeName,
                                bool frame, const QPoint& point, bool select) override;

private:
    LumatraWindow& m_host;
};

}  // namespace lumatra
