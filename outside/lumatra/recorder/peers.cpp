#include "peers.h"

#include "pageitems.h"
#include "recordinghost.h"

namespace lumatra {

PeerPlugin::PeerPlugin(RecordingHost& host, const QString& name, const QUuid& id)
    : m_host(host), m_name(name), m_id(id), m_version(QStringLiteral("1.0")), m_date(2009, 10, 9)
{
    setObjectName(name);
}

// ---- MoleculePeer ----------------------------------------------------------

MoleculePeer::MoleculePeer(RecordingHost& host)
    : PeerPlugin(host, QStringLiteral("molecule"), QUuid(LUMATRA_MOLECULE_PLUGIN_ID))
{
}

TMolecule* MoleculePeer::moleculeOfItem(TCanvasItem* item)
{
    TMolecule* molecule = nullptr;
    if (item && item->rtti() == MoleculeItemType)
        molecule = static_cast<MoleculeItem*>(item)->molecule();
    m_host.record(QStringLiteral("molecule.moleculeOfItem(%1) -> %2")
                      .arg(describeItem(item), molecule ? "molecule" : "null"));
    return molecule;
}

TCanvasItem* MoleculePeer::createMoleculeItem(const TMolecule* molecule, QtCanvas* canvas)
{
    QUuid objectId;
    for (QtCanvasItem* c : m_host.page().allItems()) {
        auto* i = static_cast<TCanvasItem*>(c);
        if (i->rtti() == MoleculeItemType && static_cast<MoleculeItem*>(i)->molecule() == molecule)
            objectId = i->objectId();
    }
    MoleculeItem* item = makeItem(molecule ? *molecule : TMolecule(), objectId);
    item->setOwnerTag(quintptr(canvas));
    m_host.record(QStringLiteral("molecule.createMoleculeItem(%1) -> 110")
                      .arg(molecule ? "molecule" : "null"));
    return item;
}

MoleculeItem* MoleculePeer::makeItem(const TMolecule& molecule, const QUuid& objectId, const QRectF& rect)
{
    auto* item = new MoleculeItem(molecule, objectId.isNull() ? QUuid::createUuid() : objectId, rect);
    item->setOwnerPlugin(this);
    return item;
}

// ---- DrawingPeer -----------------------------------------------------------

DrawingPeer::DrawingPeer(RecordingHost& host)
    : PeerPlugin(host, QStringLiteral("drawing"), QUuid(LUMATRA_DRAWING_TOOLS_ID))
{
}

TCanvasItem* DrawingPeer::createTextItem(const QString& html, const QString& typeName, const QString& subtypeName,
                                         bool frame, const QPoint& point, bool select)
{
    auto* item = new HtmlTextItem(html, typeName, subtypeName, QRectF(point, QSizeF(1200, 600)));
    item->setOwnerPlugin(this);
    item->setOwnerTag(quintptr(&m_host.page()));
    m_host.record(QStringLiteral("drawing.createTextItem(\"%1\", \"%2\", %3, (%4, %5), %6) -> 107")
                      .arg(typeName, subtypeName, frame ? "true" : "false")
                      .arg(point.x())
                      .arg(point.y())
                      .arg(select ? "true" : "false"));
    return item;
}

}  // namespace lumatra
