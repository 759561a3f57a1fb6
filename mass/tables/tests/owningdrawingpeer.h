// The drawing tools of a host that puts report items on its page: the
// recording peer's text items, owned by the peer here.
#pragma once

#include "peers.h"

class OwningDrawingPeer : public lumatra::DrawingPeer {
public:
    using DrawingPeer::DrawingPeer;
    ~OwningDrawingPeer() override { qDeleteAll(made); }
    TCanvasItem* createTextItem(const QString& html, const QString& typeName, const QString& subtypeName, bool frame,
                                const QPoint& point, bool select) override
    {
        made.append(DrawingPeer::createTextItem(html, typeName, subtypeName, frame, point, select));
        return made.last();
    }
    QList<TCanvasItem*> made;
};
