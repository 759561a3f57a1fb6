#include "itemrecord.h"

#include "tcanvasitem.h"
#include "tdatastream.h"

namespace lumatra {

namespace {

void writeChildMap(TDataStream& s, const QMap<QUuid, TCanvasChildRecord>& children)
{
    // Qt's map form: the count, then the entries from the last key down.
    s << quint32(children.size());
    for (auto it = children.constEnd(); it != children.constBegin();) {
        --it;
        s << it.key();
        s.beginBlock();
        s.endBlock();
        s << it.value().value << it.value().point << it.value().polygon;
    }
}

void writeLinkMap(TDataStream& s, const QMap<QUuid, QList<QUuid>>& links)
{
    s << quint32(links.size());
    for (auto it = links.constEnd(); it != links.constBegin();) {
        --it;
        s << it.key() << it.value();
    }
}

}  // namespace

void writeItemRecord(TDataStream& s, const TCanvasItem& item, int levels)
{
    s.beginBlock();
    s.endBlock();

    if (levels <= 0) {
        s.beginBlock();
        s.endBlock();
    } else {
        s.beginChain(levels);
        // Newer levels than the third hold nothing here.
        for (int level = levels; level > 3; --level)
            s.endBlock();
        if (levels >= 3) {
            s << item.type() << item.subtype();
            s.endBlock();
        }
        if (levels >= 2) {
            writeChildMap(s, item.childMap());
            s << item.parentId();
            s.endBlock();
        }
        writeLinkMap(s, item.linkMap());
        s.endBlock();
    }

    s.beginBlock();
    s << item.ownId() << item.initialId() << item.x() << item.y() << item.z();
    s << item.pen() << item.brush() << item.angle();
    s << item.extraBytes() << item.text() << item.rect();
    s << item.hasPixmap();
    if (item.hasPixmap())
        s << item.pixmap();
    // A list of identifiers the reader passes over.
    s << QList<QUuid>();
    s.endBlock();

    s.beginBlock();
    item.writePluginData(s);
    s.endBlock();
}

}  // namespace lumatra
