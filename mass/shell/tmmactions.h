// The mouse modes on mass items: each turns the click or rectangle its
// base delivers into a command handed to the host.
#pragma once

#include "tmousemodes.h"

// Rectangle zoom (rubber band, zoom in on a click) and click zoom (click
// only, zoom out); both fit the intensity to the height afterwards.
class TMMActZoom : public TMMActionBaseSelection {
public:
    explicit TMMActZoom(TMouseModeDispatcher* dispatcher);
    void click(TCanvasItem* item, const QPointF& point) override;
    void rectangle(TCanvasItem* item, const QRectF& rect) override;
};

// Drags the visible ranges; a pan by nothing never reaches the host.
class TMMActPan : public TMMActionBasePan {
public:
    explicit TMMActPan(TMouseModeDispatcher* dispatcher);
    bool pan(TCanvasItem* item, const QRectF& rect) override;
};
