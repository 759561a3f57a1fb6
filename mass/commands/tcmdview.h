// View commands: they change what the current plot of each mass item
// shows (vertical scale, visible ranges, cut segments), never the data.
// All act on the current plot only and accept every mass item; axis 1 is
// the horizontal axis, axis 2 the intensity.
//
// Snapshots: the zoom commands keep the visible ranges of each item's
// current plot from construction, fit to height keeps the vertical ranges
// of each plot before its redo, and the cut commands keep, from
// construction, the gaps each current plot had, so that undo shows the
// axis whole and hides exactly those gaps again (for cuts as well as
// restores: undoing a cut never re-shows a part cut before).
#pragma once

#include <QByteArray>
#include <QRectF>
#include <QUuid>
#include <QVector>

#include "tcanvasitemscommand.h"
#include "tplotaxis.h"
#include "tvaluerange.h"

class TCmdChangeSpectraIntensity : public TSpectraCommand {
public:
    enum Direction { Increase = 0, Decrease = 1 };
    TCmdChangeSpectraIntensity(int direction, const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    // The vertical state kept by redo when the plot is the one it was
    // taken from (scaling by 1.2 and back is not exact in floating point),
    // else the inverse scaling.
    void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    int direction;

    // Axis 2, its segments and the intensity scale of a plot.
    struct VerticalState {
        QUuid plotId;
        TPlotAxis axis;
        TValueRangeList segments;
        double intensityScale = 1.0;
    };
    // Per item, taken by each redo.
    QVector<VerticalState> previousStates;
};

class TCmdFitSpectraIntensityToHeight : public TSpectraCommand {
public:
    explicit TCmdFitSpectraIntensityToHeight(const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    // Per item one byte array per plot; grows when an item gained plots.
    QVector<QVector<QByteArray>> verticalStates;
};

class TCmdZoomSpectra : public TSpectraCommand {
public:
    enum Direction { ZoomIn = 0, ZoomOut = 1 };
    // About a point: the visible range halves (Zoom In) or doubles around
    // (x, y) on the axes (0 both, 1 axis 1, 2 axis 2), computed from the
    // current plot of the current item. Without such a plot the command
    // does nothing (and is marked not applied).
    TCmdZoomSpectra(double x, double y, int direction, int axes, const TCanvasItemList& items);
    // To a rectangle in plot values (axis 1 x .. x + width, axis 2 y .. y +
    // height; a side of 0 leaves that axis; both 0: "Full Zoom Out").
    TCmdZoomSpectra(const QRectF& rect, const TCanvasItemList& items);
    ~TCmdZoomSpectra() override;

    void doRedo() override;
    void doUndo() override;
    void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    // Fits the vertical range after the zoom (a second call does nothing).
    void enableFitToHeight();

    QRectF zoomRect;
    QVector<QVector<QRectF>> visibleRects;
    TCmdFitSpectraIntensityToHeight* fitToHeight = nullptr;

private:
    void takeVisibleRects();
    bool m_nothing = false;
};

class TCmdPanSpectra : public TSpectraCommand {
public:
    explicit TCmdPanSpectra(const TCanvasItemList& items);

    // Not a number counts as a shift; such an offset moves nothing.
    bool hasShift() const { return dx != 0 || dy != 0; }

    void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    double dx = 0.0;
    double dy = 0.0;
};

class TCmdSpectraCuts : public TSpectraCommand {
public:
    // One range: "Cut range" (operation not 0) or "Restore range" (0); the
    // builder then calls setCutRange.
    TCmdSpectraCuts(int operation, const TCanvasItemList& items);
    // "Restore all ranges" of both axes.
    explicit TCmdSpectraCuts(const TCanvasItemList& items);

    void setCutRange(const TValueRange& range);

    void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    int operation;
    int axes;
    TValueRange horizontalRange;
    TValueRange verticalRange;
    QVector<QVector<QVector<TValueRange>>> hiddenHorizontal;
    QVector<QVector<QVector<TValueRange>>> hiddenVertical;

private:
    // The gaps of axis n of each item's current plot; empty for an item
    // without one. Taken once per axis.
    void takeHidden(int axis);
    bool hiddenTaken(int axis) const;
    // Shows the axes whole and hides the kept gaps; false when no gaps
    // were kept for that plot.
    bool restoreHidden(TBasePlot* plot, int index, int plotIndex);

    QVector<QUuid> m_snapshotPlots;
};
