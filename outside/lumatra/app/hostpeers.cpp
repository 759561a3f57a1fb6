#include "hostpeers.h"

#include "hostitems.h"
#include "hostwindow.h"
#include <QCoreApplication>

namespace lumatra {

namespace {

// The element table beside the program, where the mass plug-in reads it.
QString elementTablePath()
{
    return QCoreApplication::applicationDirPath() + QLatin1String("/KSElements.ini");
}

}  // namespace

HostPeer::HostPeer(const QString& name, const QUuid& id)
    : m_name(name), m_id(id), m_version(QStringLiteral("1.0")), m_date(2009, 10, 9)
{
    setObjectName(name);
}

// ---- molecule plug-in ------------------------------------------------------

HostMoleculePeer::HostMoleculePeer(LumatraWindow& host)
    : HostPeer(QStringLiteral("molecule"), QUuid(LUMATRA_MOLECULE_PLUGIN_ID)), m_host(host)
{
}

TMolecule* HostMoleculePeer::moleculeOfItem(TCanvasItem* item)
{
    if (!item || item->rtti() != MoleculeItemType)
        return nullptr;
    return static_cast<MoleculeItem*>(item)->molecule();
}

TCanvasItem* HostMoleculePeer::createMoleculeItem(const TMolecule* molecule, QtCanvas* canvas)
{
    // A copy of a molecule shown on the page shows the same object.
    QUuid objectId;
    for (TCanvasItem* i : m_host.pageItems())
        if (i->rtti() == MoleculeItemType && static_cast<MoleculeItem*>(i)->molecule() == molecule)
            objectId = i->objectId();
    auto* item = new HostMoleculeItem(molecule ? *molecule : TMolecule(),
                                      objectId.isNull() ? QUuid::createUuid() : objectId,
                                      QRectF(100, 100, 600, 450));
    item->setOwnerPlugin(this);
    item->setOwnerTag(quintptr(canvas));
    item->setElementTable(&m_table);
    return item;
}

bool HostMoleculePeer::ensureTable(QString& error)
{
    if (!m_tableLoaded) {
        m_tableLoaded = m_table.initialize(elementTablePath().toStdWString());
        if (!m_tableLoaded)
            error = QStringLiteral("cannot read the element table %1: %2")
                        .arg(elementTablePath(), QString::fromStdWString(m_table.getError()));
    }
    return m_tableLoaded;
}

HostMoleculeItem* HostMoleculePeer::itemFromMolfile(const QByteArray& text, QString& error)
{
    if (!ensureTable(error))
        return nullptr;
    TMolecule molecule;
    if (!moleculeFromMolfile(text, m_table, molecule, error))
        return nullptr;
    HostMoleculeItem* item = emptyItem();
    *item->molecule() = molecule;
    return item;
}

HostMoleculeItem* HostMoleculePeer::emptyItem()
{
    QString ignored;
    ensureTable(ignored);
    auto* item = new HostMoleculeItem(TMolecule(), QUuid::createUuid(), QRectF(100, 100, 600, 450));
    item->setOwnerPlugin(this);
    item->setElementTable(m_tableLoaded ? &m_table : nullptr);
    return item;
}

// ---- drawing tools ---------------------------------------------------------

HostDrawingPeer::HostDrawingPeer(LumatraWindow& host)
    : HostPeer(QStringLiteral("drawing"), QUuid(LUMATRA_DRAWING_TOOLS_ID)), m_host(host)
{
}

TCanvasItem* HostDrawingPeer::createTextItem(const QString& html, const QString& typeName,
                                             const QString& subtypeName, bool, const QPoint& point, bool)
{
    auto* item = new HostTextItem(html, typeName, subtypeName, QRectF(point, QSizeF(1200, 600)));
    item->setOwnerPlugin(this);
    item->setOwnerTag(quintptr(m_host.canvas()));
    return item;
}

}  // namespace lumatra
