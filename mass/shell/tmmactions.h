// The mouse modes on mass items: each turns the click or rectangle its
// base delivers into a command handed to the host.
#pragma once

#include "tmousemodes.h"

class TKSElementTable;

// Expansion: the dragged rectangle becomes a new mass item, a third of the
// view large, holding only the current plot zoomed to it; clicks do
// nothing.
class TMMActExpansion : public TMMActionBaseSelection {
public:
    explicit TMMActExpansion(TMouseModeDispatcher* dispatcher);
    void rectangle(TCanvasItem* item, const QRectF& rect) override;
};

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
    TMMActCrosshairs(TMouseModeDispatcher* dispatcher, QList<QUuid> modeIds);
    // Whether the item's current plot shows a chromatogram.
    static bool onChromatogram(TCanvasItem* item);
};

// Elemental composition at a clicked m/z of a spectrum plot: the cursor
// snaps to the data point within 5 % of the x extent, a click computes the
// compositions there and shows the composition dock. Over a chromatogram
// plot it selects spectra as the crosshair mode does.
class TMMActionElementComposition : public TMMActCrosshairs {
public:
    TMMActionElementComposition(TMouseModeDispatcher* dispatcher, const TKSElementTable* table);
    bool handle(QEvent* event) override;
    // Clears onSpectrum and snapped.
    void reset() override;
    // The composition at the m/z of the item's current spectrum; false when
    // the current data object is not a spectrum.
    bool compute(TCanvasItem* item, double mz);

    bool onSpectrum = false;
    bool snapped = false;
    QPointF snapPoint;
    bool snapOnTrace = true;
    const TKSElementTable* elementTable;

private:
    // The move without a drag: snap to the data point near the cursor.
    void snap(TCanvasSpectrum* item, const QPoint& viewPosition);
};
