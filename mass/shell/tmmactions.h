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

// Cut (first mode) or restore (second) of the dragged range; clicks do
// nothing. The cut modes run with axes 1 (their axes never cycle), so the
// rectangle carries the horizontal range only.
class TMMActCuts : public TMMActionBaseSelection {
public:
    explicit TMMActCuts(TMouseModeDispatcher* dispatcher);
    void rectangle(TCanvasItem* item, const QRectF& rect) override;
};

// Drags the visible ranges; a pan by nothing never reaches the host.
class TMMActPan : public TMMActionBasePan {
public:
    explicit TMMActPan(TMouseModeDispatcher* dispatcher);
    bool pan(TCanvasItem* item, const QRectF& rect) override;
};

// Spectrum selection on chromatogram plots: a click selects the spectrum
// at that retention time, a drag the range; Shift adds to the selection.
class TMMActCrosshairs : public TMMActionBaseCrosshairs {
public:
    explicit TMMActCrosshairs(TMouseModeDispatcher* dispatcher);
    bool click(TCanvasItem* item, const QPointF& point) override;
    bool rectangle(TCanvasItem* item, const QRectF& rect) override;

protected:
    // Whether the item's current plot shows a chromatogram.
    static bool onChromatogram(TCanvasItem* item);
};
