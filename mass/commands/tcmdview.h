// View commands: they change what the current plot of each mass item
// shows (vertical scale, visible ranges, cut segments), never the data.
// All act on the current plot only and accept every mass item; axis 1 is
// the horizontal axis, axis 2 the intensity.
//
// Undo: each redo keeps, per item and plot id, the plot's view before it
// (TPlotView) and undo assigns it back verbatim. Undoing by arithmetic
// (x + width, a pan by -dx, the inverse intensity factor, segments rebuilt
// from their gaps) came back a last bit off every so often.
#pragma once

#include <QMap>
#include <QPair>
#include <QRectF>
#include <QUuid>

#include "tcanvasitemscommand.h"
#include "tplotaxis.h"
#include "tvaluerange.h"

// What the view commands change of a plot: both axes' full and visible
// ranges and direction, their segment lists and the intensity scale of a
// one-dimensional plot. Captions, decimals and the like stay as they are.
struct TPlotView {
    struct Ranges {
        double fullFrom, fullTo, visibleFrom, visibleTo;
        int32_t reversed;
    };
    Ranges ranges[2];
    TValueRangeList segments[2];
    double intensityScale = 1.0;

    static TPlotView of(const TBasePlot* plot);
    void assignTo(TBasePlot* plot) const;
};

// The views a command's redos kept, per item index and plot id.
class TPlotViews {
public:
    void take(int item, const TBasePlot* plot);
    // Assigns the view kept for that plot; nothing when none was.
    void give(int item, TBasePlot* plot) const;

private:
    QMap<QPair<int, QUuid>, TPlotView> m_views;
};

class TCmdChangeSpectraIntensity : public TSpectraCommand {
public:
    enum Direction { Increase = 0, Decrease = 1 };
    TCmdChangeSpectraIntensity(int direction, const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    int direction;
    TPlotViews views;
};

class TCmdFitSpectraIntensityToHeight : public TSpectraCommand {
public:
    explicit TCmdFitSpectraIntensityToHeight(const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    TPlotViews views;
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
    TCmdFitSpectraIntensityToHeight* fitToHeight = nullptr;
    TPlotViews views;

private:
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
    TPlotViews views;
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
    TPlotViews views;
};
