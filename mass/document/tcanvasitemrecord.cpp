// The reader of the item record the host writes for every page item.
#include "tcanvasitem.h"

#include "tdatastream.h"
#include "tstreambytes.h"
#include "tstreamgui.h"

namespace {

// Fewest bytes an entry of the two maps takes: a child (QUuid, block
// length, double, point, polygon count) and a link (QUuid, list count).
constexpr qint64 kChildEntryBytes = 16 + 4 + 8 + 16 + 4;
constexpr qint64 kLinkEntryBytes = 16 + 4;

bool readUuids(TDataStream& s, QList<QUuid>& ids)
{
    ids.clear();
    const quint32 n = readUnsignedCount(s, 16);
    for (quint32 i = 0; i < n && s.ok(); ++i) {
        QUuid id;
        s >> id;
        if (s.ok())
            ids.append(id);
    }
    if (!s.ok())
        ids.clear();
    return s.ok();
}

void readChildMap(TDataStream& s, QMap<QUuid, TCanvasChildRecord>& children)
{
    children.clear();
    const quint32 n = readUnsignedCount(s, kChildEntryBytes);
    for (quint32 i = 0; i < n && s.ok(); ++i) {
        QUuid id;
        TCanvasChildRecord child;
        s >> id;
        s.skipBlock();
        s >> child.value >> child.point;
        readPolygon(s, child.polygon);
        if (s.ok())
            children.insert(id, child);
    }
    if (!s.ok())
        children.clear();
}

void readLinkMap(TDataStream& s, QMap<QUuid, QList<QUuid>>& links)
{
    links.clear();
    const quint32 n = readUnsignedCount(s, kLinkEntryBytes);
    for (quint32 i = 0; i < n && s.ok(); ++i) {
        QUuid id;
        QList<QUuid> linked;
        s >> id;
        readUuids(s, linked);
        if (s.ok())
            links.insert(id, linked);
    }
    if (!s.ok())
        links.clear();
}

}  // namespace

void TCanvasItem::read(TDataStream& s)
{
    // The record may move or reshape the item: an item entered in its
    // chunks leaves them first and enters the new ones after.
    const bool entered = isVisible() && canvas() && isValid();
    if (entered)
        invalidate();

    s.skipBlock();
    const int levels = s.enterChain(3);
    if (levels >= 3) {
        s.readString(m_type);
        s.readString(m_subtype);
    }
    if (levels >= 2) {
        readChildMap(s, m_children);
        s >> m_parentId;
    }
    if (levels >= 1)
        readLinkMap(s, m_links);

    readBlock(s, BlockLength::Advisory, [&] {
        s >> m_ownId >> m_initialId;
        double x = 0, y = 0, z = 0;
        s >> x >> y >> z;
        setPosition(x, y, z);
        QPen pen = this->pen();
        QBrush brush = this->brush();
        readPen(s, pen);
        readBrush(s, brush);
        assignPenAndBrush(pen, brush);
        s >> m_angle;
        readByteArray(s, m_extra);
        s.readString(m_text);
        s >> m_rect;
        s >> m_hasPixmap;
        if (m_hasPixmap) {
            readPixmap(s);
            m_hasPixmap = s.ok();
        }
        QList<QUuid> dropped;
        readUuids(s, dropped);
    });
    readBlock(s, BlockLength::Advisory, [&] { readPluginData(s); });

    if (entered)
        addToChunks();
}
