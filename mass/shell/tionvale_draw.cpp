// The overlays the plug-in paints over the active mass item after the host
// painted it: the missing-dataset frame, the current plot's outline, the
// rubber band of a drag, the crosshair and element-composition labels, the
// isotope cluster of the selected composition and the molecule-match
// marker.
#include "tionvale.h"

#include <QPainter>

#include <algorithm>

#include "ipluginhost.h"
#include "t1dmassplot.h"
#include "t1dmassplotter.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tmassdataobj.h"
#include "tmmactions.h"
#include "tplotaxis.h"

namespace {

// Each plot's painter laid out over its band, as the item's paint does.
void layOut(TCanvasMass* item)
{
    QList<QRectF> rects;
    item->layoutPlots(item->itemRect(), rects);
    for (int i = 0; i < item->plotCount() && i < rects.size(); ++i)
        if (TBasePlot* p = item->plotAtIndex(i))
            p->plotter().setDeviceRect(rects.at(i));
}

int decimalsOf(const TPlotAxis* axis)
{
    return axis ? std::clamp<int>(axis->decimals, 0, TBasePlotter::kMaxDecimals) : 0;
}

QString valueText(const TBasePlotter& plotter, const QPointF& values)
{
    return QStringLiteral("%1 [%2]")
        .arg(QString::number(values.x(), 'f', decimalsOf(plotter.horizontalAxis())))
        .arg(QString::number(values.y(), 'f', decimalsOf(plotter.verticalAxis())));
}

// The label of a device point: its plot values, empty when they do not
// convert.
QString pointText(const TBasePlotter& plotter, const QPointF& point)
{
    QPointF values = point;
    return plotter.pointToValues(values) ? valueText(plotter, values) : QString();
}

}  // namespace

QString TIonvale::overlayLabel(const TBasePlotter& plotter, const QPointF& point)
{
    return pointText(plotter, point);
}

bool TIonvale::draw(QPainter* painter)
{
    auto* item = static_cast<TCanvasMass*>(activeMassItem());
    if (!item || !painter || !host())
        return false;
    painter->save();
    painter->setTransform(host()->currentView().worldMatrix);
    item->applyItemMatrix(*painter);

    if (!item->dataServer() || !item->dataset()) {
        QPen pen(QBrush(Qt::red, Qt::SolidPattern), 6.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
        painter->setPen(pen);
        painter->drawRect(item->geometry().boundingRect());
    }

    if (TBasePlot* plot = item->currentPlot()) {
        layOut(item);
        const TBasePlotter& plotter = plot->plotter();
        const TMouseModeDispatcher& d = m_mouseModes;
        const QPointF press = item->mapToItem(d.pressPoint);
        const QPointF current = item->mapToItem(d.currentPoint);
        const QUuid& mode = d.currentMode;
        if (d.overlay) {
            int kind = TBasePlotter::RectSelection;
            if (mode == mousemode::kCut || mode == mousemode::kRestoreCut || mode == mousemode::kSpectrumSelection)
                kind = TBasePlotter::VerticalBand;
            else if (d.axes == 1)
                kind = TBasePlotter::VerticalBand;
            else if (d.axes == 2)
                kind = TBasePlotter::HorizontalBand;
            const bool marked = mode == mousemode::kCut ||
                                (mode == mousemode::kSpectrumSelection && d.modifiers.testFlag(Qt::ShiftModifier));
            plotter.drawSelection(painter, QRectF(press, current).normalized(), kind, marked ? 1 : 0);
        }
        painter->save();
        // Width 0: one device pixel at any zoom, as the outline always was.
        painter->setPen(QPen(QBrush(Qt::green), 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(plotter.deviceRect());
        painter->restore();

        if (mode == mousemode::kSpectrumSelection)
            drawCrosshairOverlay(painter, plotter, press, current);
        if (mode == mousemode::kElementComposition)
            drawCompositionOverlay(painter, plotter, press, current);
        drawIsotopeCluster(painter, item);
        drawMatchMarker(painter, item);
    }
    painter->restore();
    return false;
}

void TIonvale::drawCrosshairOverlay(QPainter* painter, const TBasePlotter& plotter, const QPointF& press,
                                    const QPointF& current)
{
    constexpr int kBothLines = TBasePlotter::VerticalLine | TBasePlotter::HorizontalLine;
    if (m_mouseModes.dragging)
        plotter.drawLabelBox(painter, press, pointText(plotter, press), 0, kBothLines);
    plotter.drawLabelBox(painter, current, pointText(plotter, current), 1, kBothLines);
}

void TIonvale::drawCompositionOverlay(QPainter* painter, const TBasePlotter& plotter, const QPointF& press,
                                      const QPointF& current)
{
    const auto* action =
        static_cast<const TMMActionElementComposition*>(m_mouseModes.actionFor(mousemode::kElementComposition));
    if (!action || !action->onSpectrum) {
        drawCrosshairOverlay(painter, plotter, press, current);
        return;
    }
    const QString text = action->snapped ? valueText(plotter, action->snapPoint) : pointText(plotter, current);
    plotter.drawLabelBox(painter, current, text, 1, TBasePlotter::VerticalLine);
    if (action->snapped)
        plotter.drawCrosshair(painter, current, action->snapOnTrace);
}

void TIonvale::drawIsotopeCluster(QPainter* painter, TCanvasMass* item)
{
    const TMassDataObj* cluster = TMassSpecDataObj::cast(item->isotopeClusterSpectrum());
    if (!cluster)
        return;
    TBasePlot* base = item->plot(cluster->id(), true);
    const TMassDataObj* shown = base ? item->dataObject(base->id()) : nullptr;
    if (!shown || base->plotter().typeId() != T1DMassPlotter::massTypeId())
        return;
    auto* plot = static_cast<T1DMassPlot*>(base);
    const double factor = cluster->intensityRangeRatio(*shown);
    const TPlotAxis axis2 = plot->scaledAxis(2, factor);
    const TValueRangeList segments2 = plot->scaledSegments(2, factor);
    QPen pen = plot->tracePen();
    pen.setColor(plot->highlight().color);
    const T1DPlotProperties look = plot->massPlotter().propertiesWithPen(pen);
    T1DMassPlotter overlay(plot->plotter().deviceRect(), &plot->axis1(), &axis2, &plot->segments1(), &segments2,
                           &look, &plot->titleProperties());
    const TKSCompositionConstraints& constraints = item->elementComposition().calculator().getConstraints();
    overlay.setToleranceBand(constraints.getTolerance(), constraints.getUseToleranceInDa());
    overlay.drawCentroids(painter, cluster->getXValues(), cluster->getYValues());
    if (!plot->highlight().boxVisible)
        return;
    const double low = cluster->getMinimumX(), high = cluster->getMaximumX();
    const double margin = 0.05 * (high - low);
    painter->save();
    QColor colour = plot->highlight().color;
    colour.setAlphaF(0.25);
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->setPen(Qt::NoPen);
    overlay.drawHighlightRect(painter, QRectF(low - margin, 0, (high + margin) - (low - margin), 0));
    painter->restore();
}

void TIonvale::drawMatchMarker(QPainter* painter, TCanvasMass* item)
{
    const TMassMoleculeMatch& match = item->moleculeMatch();
    const auto& results = match.matcher().getResults();
    const int selected = match.selectedResult();
    if (selected < 0 || selected >= static_cast<int>(results.size()) || match.resultObjects().isEmpty())
        return;
    const double time = results.at(static_cast<size_t>(selected)).getChromatogramPeak().apexRT;
    const QPen pen(QBrush(QColor(0, 0, 255, 200)), 0);
    for (const int key : {4, 5}) {
        const TMassDataObj* object = match.resultObject(key);
        TBasePlot* plot = object ? item->plot(object->id(), true) : nullptr;
        if (plot)
            plot->plotter().drawValueMarker(painter, pen, time, 1);
    }
}
