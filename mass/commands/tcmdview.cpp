#include "tcmdview.h"

#include <cmath>

#include "t1dplot.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tplotaxis.h"

namespace {

const char* intensityName(int direction)
{
    return direction == TCmdChangeSpectraIntensity::Increase   ? "Increase Intensity"
           : direction == TCmdChangeSpectraIntensity::Decrease ? "Decrease Intensity"
                                                                : "";
}

// Zooms an axis only to finite ends: a range of NaN or infinity would put
// the axis out of any range.
void zoomFinite(TBasePlot* plot, int axis, double from, double to)
{
    if (std::isfinite(from) && std::isfinite(to))
        plot->zoom(axis, from, to);
}

}  // namespace

TPlotView TPlotView::of(const TBasePlot* plot)
{
    TPlotView view;
    for (int n = 1; n <= 2; ++n) {
        const TPlotAxis& a = plot->axis(n);
        view.ranges[n - 1] = {a.fullFrom, a.fullTo, a.visibleFrom, a.visibleTo, a.reversed};
        view.segments[n - 1] = plot->segments(n);
    }
    if (plot->type() == 1)
        view.intensityScale = static_cast<const T1DPlot*>(plot)->intensityScale();
    return view;
}

void TPlotView::assignTo(TBasePlot* plot) const
{
    for (int n = 1; n <= 2; ++n) {
        TPlotAxis& a = plot->axis(n);
        const Ranges& r = ranges[n - 1];
        a.fullFrom = r.fullFrom;
        a.fullTo = r.fullTo;
        a.visibleFrom = r.visibleFrom;
        a.visibleTo = r.visibleTo;
        a.reversed = r.reversed;
        plot->segments(n) = segments[n - 1];
    }
    if (plot->type() == 1)
        static_cast<T1DPlot*>(plot)->setIntensityScale(intensityScale);
}

void TPlotViews::take(int item, const TBasePlot* plot)
{
    m_views.insert(qMakePair(item, plot->id()), TPlotView::of(plot));
}

void TPlotViews::give(int item, TBasePlot* plot) const
{
    const auto it = m_views.constFind(qMakePair(item, plot->id()));
    if (it != m_views.constEnd())
        it->assignTo(plot);
}

TCmdChangeSpectraIntensity::TCmdChangeSpectraIntensity(int dir, const TCanvasItemList& list)
    : TSpectraCommand(intensityName(dir), list, false), direction(dir)
{
    flags |= Step;
}

void TCmdChangeSpectraIntensity::redoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    if (direction != Increase && direction != Decrease)
        return;
    views.take(i, plot);
    plot->zoomIntensity(direction == Increase);
}

void TCmdChangeSpectraIntensity::undoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.give(i, plot);
}

TCmdFitSpectraIntensityToHeight::TCmdFitSpectraIntensityToHeight(const TCanvasItemList& list)
    : TSpectraCommand("Fit To Height", list, false)
{
}

void TCmdFitSpectraIntensityToHeight::redoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.take(i, plot);
    plot->fitIntensityToHeight();
}

void TCmdFitSpectraIntensityToHeight::undoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.give(i, plot);
}

TCmdZoomSpectra::TCmdZoomSpectra(double x, double y, int direction, int axes, const TCanvasItemList& list)
    : TSpectraCommand(direction == ZoomIn ? "Zoom In" : "Zoom Out", list, false)
{
    flags |= Step;
    const TCanvasMass* current = currentMass();
    const TBasePlot* plot = current ? current->currentPlot() : nullptr;
    if (!plot) {
        m_nothing = true;
        return;
    }
    const double f = direction == ZoomIn ? 0.5 : 2.0;
    const TPlotAxis& a1 = plot->axis(1);
    const TPlotAxis& a2 = plot->axis(2);
    double rx = 0, ry = 0, rw = 0, rh = 0;
    if (axes == 0 || axes == 1) {
        rx = f * a1.visibleFrom + (1 - f) * x;
        rw = f * (a1.visibleTo - a1.visibleFrom);
    }
    if (axes == 0 || axes == 2) {
        ry = f * a2.visibleFrom + (1 - f) * y;
        rh = f * (a2.visibleTo - a2.visibleFrom);
    }
    zoomRect = QRectF(rx, ry, rw, rh);
}

TCmdZoomSpectra::TCmdZoomSpectra(const QRectF& rect, const TCanvasItemList& list)
    : TSpectraCommand(rect.width() == 0 && rect.height() == 0 ? "Full Zoom Out" : "Zoom", list, false),
      zoomRect(rect)
{
}

TCmdZoomSpectra::~TCmdZoomSpectra()
{
    delete fitToHeight;
}

void TCmdZoomSpectra::enableFitToHeight()
{
    if (!fitToHeight)
        fitToHeight = new TCmdFitSpectraIntensityToHeight(items);
}

void TCmdZoomSpectra::doRedo()
{
    if (m_nothing) {
        flags |= NotApplied;
        return;
    }
    TSpectraCommand::doRedo();
    if (fitToHeight)
        fitToHeight->doRedo();
}

void TCmdZoomSpectra::doUndo()
{
    if (m_nothing)
        return;
    if (fitToHeight)
        fitToHeight->doUndo();
    TSpectraCommand::doUndo();
}

void TCmdZoomSpectra::redoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.take(i, plot);
    const double w = zoomRect.width();
    const double h = zoomRect.height();
    if (w == 0 && h == 0) {
        plot->fullZoomOut(3);
    } else {
        if (w != 0)
            zoomFinite(plot, 1, zoomRect.x(), zoomRect.x() + w);
        if (h != 0)
            zoomFinite(plot, 2, zoomRect.y(), zoomRect.y() + h);
    }
    updateItems();
}

void TCmdZoomSpectra::undoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.give(i, plot);
    updateItems();
}

TCmdPanSpectra::TCmdPanSpectra(const TCanvasItemList& list) : TSpectraCommand("Panning", list, false)
{
    flags |= Step;
}

void TCmdPanSpectra::redoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.take(i, plot);
    if (dx != 0 && std::isfinite(dx))
        plot->pan(1, dx);
    if (dy != 0 && std::isfinite(dy))
        plot->pan(2, dy);
}

void TCmdPanSpectra::undoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.give(i, plot);
}

TCmdSpectraCuts::TCmdSpectraCuts(int op, const TCanvasItemList& list)
    : TSpectraCommand(op != 0 ? "Cut range" : "Restore range", list, false), operation(op), axes(0)
{
}

TCmdSpectraCuts::TCmdSpectraCuts(const TCanvasItemList& list)
    : TSpectraCommand("Restore all ranges", list, false), operation(0), axes(3)
{
}

void TCmdSpectraCuts::setCutRange(const TValueRange& range)
{
    horizontalRange = range;
    axes |= 1;
}

void TCmdSpectraCuts::redoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.take(i, plot);
    if (operation == 0) {
        if (axes & 1)
            plot->restoreRange(1, horizontalRange);
        if (axes & 2)
            plot->restoreRange(2, verticalRange);
    } else {
        if (axes & 1)
            plot->cutRange(1, horizontalRange);
        if (axes & 2)
            plot->cutRange(2, verticalRange);
    }
}

void TCmdSpectraCuts::undoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    views.give(i, plot);
}
