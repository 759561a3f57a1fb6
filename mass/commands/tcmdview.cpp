#include "tcmdview.h"

#include <cmath>

#include "t1dplot.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "streambytes.h"
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

TCmdChangeSpectraIntensity::TCmdChangeSpectraIntensity(int dir, const TCanvasItemList& list)
    : TSpectraCommand(intensityName(dir), list, false), direction(dir)
{
    flags |= Step;
}

void TCmdChangeSpectraIntensity::redoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    if (direction != Increase && direction != Decrease)
        return;
    if (i >= previousStates.size())
        previousStates.resize(i + 1);
    VerticalState& kept = previousStates[i];
    kept.plotId = plot->id();
    kept.axis = plot->axis(2);
    kept.segments = plot->segments(2);
    if (plot->type() == 1)
        kept.intensityScale = static_cast<const T1DPlot*>(plot)->intensityScale();
    plot->zoomIntensity(direction == Increase);
}

void TCmdChangeSpectraIntensity::undoMass(TCanvasMass*, TBasePlot* plot, int i, int)
{
    if (direction != Increase && direction != Decrease)
        return;
    if (i >= previousStates.size() || previousStates.at(i).plotId != plot->id()) {
        plot->zoomIntensity(direction != Increase);
        return;
    }
    const VerticalState& kept = previousStates.at(i);
    plot->axis(2) = kept.axis;
    plot->segments(2) = kept.segments;
    if (plot->type() == 1)
        static_cast<T1DPlot*>(plot)->setIntensityScale(kept.intensityScale);
}

TCmdFitSpectraIntensityToHeight::TCmdFitSpectraIntensityToHeight(const TCanvasItemList& list)
    : TSpectraCommand("Fit To Height", list, false)
{
    for (TCanvasItem* item : items)
        verticalStates.append(QVector<QByteArray>(static_cast<TCanvasMass*>(item)->plotCount()));
}

void TCmdFitSpectraIntensityToHeight::redoMass(TCanvasMass*, TBasePlot* plot, int i, int k)
{
    if (i >= verticalStates.size())
        verticalStates.resize(i + 1);
    if (k >= verticalStates[i].size())
        verticalStates[i].resize(k + 1);
    verticalStates[i][k] = writtenBytes([&](TDataStream& s) { plot->writeVerticalRanges(s); });
    plot->fitIntensityToHeight();
}

void TCmdFitSpectraIntensityToHeight::undoMass(TCanvasMass*, TBasePlot* plot, int i, int k)
{
    if (i >= verticalStates.size() || k >= verticalStates[i].size() || verticalStates[i][k].isEmpty())
        return;
    readBytes(verticalStates[i][k], [&](TDataStream& s) { plot->readVerticalRanges(s); });
}

TCmdZoomSpectra::TCmdZoomSpectra(double x, double y, int direction, int axes, const TCanvasItemList& list)
    : TSpectraCommand(direction == ZoomIn ? "Zoom In" : "Zoom Out", list, false)
{
    flags |= Step;
    takeVisibleRects();
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
    takeVisibleRects();
}

TCmdZoomSpectra::~TCmdZoomSpectra()
{
    delete fitToHeight;
}

void TCmdZoomSpectra::takeVisibleRects()
{
    for (TCanvasItem* item : items) {
        QVector<QRectF> rects;
        if (const TBasePlot* plot = static_cast<TCanvasMass*>(item)->currentPlot()) {
            const TPlotAxis& a1 = plot->axis(1);
            const TPlotAxis& a2 = plot->axis(2);
            rects.append(QRectF(a1.visibleFrom, a2.visibleFrom, a1.visibleTo - a1.visibleFrom,
                                a2.visibleTo - a2.visibleFrom));
        }
        visibleRects.append(rects);
    }
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

void TCmdZoomSpectra::redoMass(TCanvasMass*, TBasePlot* plot, int, int)
{
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

void TCmdZoomSpectra::undoMass(TCanvasMass*, TBasePlot* plot, int i, int k)
{
    if (i < visibleRects.size() && k < visibleRects[i].size()) {
        const QRectF& r = visibleRects[i][k];
        zoomFinite(plot, 1, r.x(), r.x() + r.width());
        zoomFinite(plot, 2, r.y(), r.y() + r.height());
    }
    updateItems();
}

TCmdPanSpectra::TCmdPanSpectra(const TCanvasItemList& list) : TSpectraCommand("Panning", list, false)
{
    flags |= Step;
}

void TCmdPanSpectra::redoMass(TCanvasMass*, TBasePlot* plot, int, int)
{
    if (dx != 0 && std::isfinite(dx))
        plot->pan(1, dx);
    if (dy != 0 && std::isfinite(dy))
        plot->pan(2, dy);
}

void TCmdPanSpectra::undoMass(TCanvasMass*, TBasePlot* plot, int, int)
{
    if (dx != 0 && std::isfinite(dx))
        plot->pan(1, -dx);
    if (dy != 0 && std::isfinite(dy))
        plot->pan(2, -dy);
}

TCmdSpectraCuts::TCmdSpectraCuts(int op, const TCanvasItemList& list)
    : TSpectraCommand(op != 0 ? "Cut range" : "Restore range", list, false), operation(op), axes(0)
{
}

TCmdSpectraCuts::TCmdSpectraCuts(const TCanvasItemList& list)
    : TSpectraCommand("Restore all ranges", list, false), operation(0), axes(3)
{
    takeHidden(1);
    takeHidden(2);
}

void TCmdSpectraCuts::setCutRange(const TValueRange& range)
{
    horizontalRange = range;
    axes |= 1;
    takeHidden(1);
}

bool TCmdSpectraCuts::hiddenTaken(int axis) const
{
    return !(axis == 1 ? hiddenHorizontal : hiddenVertical).isEmpty() || items.isEmpty();
}

void TCmdSpectraCuts::takeHidden(int axis)
{
    if (hiddenTaken(axis))
        return;
    auto& hidden = axis == 1 ? hiddenHorizontal : hiddenVertical;
    const bool first = m_snapshotPlots.isEmpty();
    for (TCanvasItem* item : items) {
        QVector<QVector<TValueRange>> entry;
        const TBasePlot* plot = static_cast<TCanvasMass*>(item)->currentPlot();
        if (plot) {
            const TPlotAxis& a = plot->axis(axis);
            const double lo = std::min(a.fullFrom, a.fullTo);
            const double hi = std::max(a.fullFrom, a.fullTo);
            entry.append(plot->segments(axis).complement(lo, hi).toVector());
        }
        hidden.append(entry);
        if (first)
            m_snapshotPlots.append(plot ? plot->id() : QUuid());
    }
}

bool TCmdSpectraCuts::restoreHidden(TBasePlot* plot, int i, int k)
{
    // Only the plot the gaps were taken from gets them back.
    if (i >= m_snapshotPlots.size() || m_snapshotPlots.at(i) != plot->id())
        return false;
    plot->restoreAllRanges(axes);
    if (axes & 1)
        for (const TValueRange& r : hiddenHorizontal.value(i).value(k))
            plot->cutRange(1, r);
    if (axes & 2)
        for (const TValueRange& r : hiddenVertical.value(i).value(k))
            plot->cutRange(2, r);
    return true;
}

void TCmdSpectraCuts::redoMass(TCanvasMass*, TBasePlot* plot, int, int)
{
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

void TCmdSpectraCuts::undoMass(TCanvasMass*, TBasePlot* plot, int i, int k)
{
    if (restoreHidden(plot, i, k) || operation == 0)
        return;
    if (axes & 1)
        plot->restoreRange(1, horizontalRange);
    if (axes & 2)
        plot->restoreRange(2, verticalRange);
}
