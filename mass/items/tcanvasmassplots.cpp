// The mass item's plots: making, entering, refreshing, replacing and
// removing them with their data objects, their layout and names, the data
// point nearest to a value, and drawing with the molecule-match overlay.
#include <QPainter>

#include <cmath>
#include <memory>

#include "t1dmassplot.h"
#include "t1dmassplotter.h"
#include "tcanvasmass.h"
#include "tmassdataobj.h"
#include "tplotpropertiesbag.h"

TBasePlot* TCanvasMass::createPlot(int type, const QUuid& id)
{
    if (type != 1)
        return nullptr;
    return new T1DMassPlot(id, this);
}

T1DMassPlot* TCanvasMass::newPlot(TMassDataObj* object, IMassPlotable* source)
{
    int kind, style;
    if (object->kind() == TMassDataObj::MassSpectrum) {
        kind = T1DMassPlot::Spectrum;
        style = static_cast<const TMassSpecDataObj*>(object)->isCentroid() ? T1DMassPlot::Centroid
                                                                            : T1DMassPlot::Profile;
    } else {
        kind = T1DMassPlot::Chromatogram;
        style = object->values(0).count == 1 ? T1DMassPlot::Centroid : T1DMassPlot::Profile;
    }
    auto* plot = new T1DMassPlot(kind, style, object->id(), source);
    plot->setAxisLabel(2, QStringLiteral("Intensity"));
    plot->setAxisLabelVisible(2, false);
    if (kind == T1DMassPlot::Chromatogram) {
        plot->setAxisLabel(1, QStringLiteral("Retention time (min)"));
        plot->peakProperties().peakFlags &= ~0x1e;
    } else {
        plot->setAxisLabel(1, QStringLiteral("m/z (Da)"));
        plot->peakProperties().peakFlags |= 0x04;
    }
    return plot;
}

void TCanvasMass::addPlotObject(TMassDataObj* object, TBasePlot* plot, int position)
{
    if (!object)
        return;
    TMassDataObj*& held = m_plotData[object->id()];
    if (held && held != object)
        delete held;  // the map owns what it holds
    held = object;
    if (!plot) {
        T1DMassPlot* made = newPlot(object, this);
        refreshPlot(made, object);
        TMassPlotPropertiesBag bag(made);
        if (bag.loadDefaults())
            bag.applyTo(made);
        plot = made;
    }
    insertPlot(position, plot);
}

void TCanvasMass::refreshPlot(TBasePlot* plot, TMassDataObj* object)
{
    if (!plot || !object || plot->id() != object->id() || plot->type() != 1)
        return;
    const TDataRange x = object->fullRange(0);
    const TDataRange y = object->fullRange(1);
    const double factor = static_cast<T1DPlot*>(plot)->intensityScale();
    plot->setFullRange(1, x.from, x.to);
    plot->setFullRange(2, y.from * factor, y.to * factor);
    plot->restoreAllRanges(3);
    plot->fullZoomOut(3);
}

void TCanvasMass::refreshPlotFor(TBasePlot* plot)
{
    if (plot)
        refreshPlot(plot, dataObject(plot->id()));
}

TMassDataObj* TCanvasMass::replaceDataObject(TMassDataObj* object)
{
    if (!object)
        return nullptr;
    auto it = m_plotData.find(object->id());
    if (it == m_plotData.end())
        return nullptr;
    TMassDataObj* old = it.value();
    it.value() = object;
    if (object->kind() == TMassDataObj::MassSpectrum) {
        // Without a plot for it there is nothing to show again.
        TBasePlot* p = plot(object->id(), false);
        if (p) {
            p->setVisible(1);
            if (p->type() == 1) {
                refreshPlot(p, object);
                auto* spectrum = static_cast<TMassSpecDataObj*>(object);
                spectrum->centroid();
                // Building appends: an object given back by an undo keeps
                // the peaks it has.
                if (spectrum->peaks().isEmpty())
                    spectrum->buildPeaks();
                static_cast<T1DMassPlot*>(p)->setTraceStyle(spectrum->isCentroid() ? T1DMassPlot::Centroid
                                                                                  : T1DMassPlot::Profile);
            }
        }
    }
    return old == object ? nullptr : old;
}

void TCanvasMass::removePlotObject(const QUuid& id, TMassDataObj** outObject, TBasePlot** outPlot)
{
    TBasePlot* p = takePlot(id);
    TMassDataObj* o = m_plotData.take(id);
    if (outObject)
        *outObject = o;
    else
        delete o;
    if (outPlot)
        *outPlot = p;
    else
        delete p;
}

void TCanvasMass::layoutPlots(const QRectF& rect, QList<QRectF>& rects) const
{
    if (plotCount() == 0)
        return;
    const int n = visiblePlotCount();
    // No visible plot: every plot gets the empty rectangle.
    const double h = n > 0 ? rect.height() / n : 0.0;
    double y = rect.y();
    for (const TBasePlot* p : plots()) {
        if (n > 0 && p && p->visible()) {
            rects.append(QRectF(rect.x(), y, rect.width(), h));
            y += h;
        } else {
            rects.append(QRectF(0, 0, 0, 0));
        }
    }
}

QString TCanvasMass::subtype() const
{
    QString text;
    for (const TBasePlot* p : plots()) {
        if (!p->visible())
            continue;
        const TMassDataObj* o = dataObject(p->id());
        if (!o)
            continue;
        text += o->kind() == TMassDataObj::Chromatogram ? QStringLiteral("Chrom/") : QStringLiteral("Spec/");
    }
    if (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

bool TCanvasMass::pointNear(double v, QPointF& point) const
{
    if (m_plotData.isEmpty())
        return false;
    const TMassDataObj* o = currentDataObject();
    if (!o)
        return false;
    const TValueArray xs = o->getXValues();
    const TValueArray ys = o->getYValues();
    if (xs.isEmpty() || ys.isEmpty())
        return false;
    const int n = std::min(xs.count, ys.count);
    const double t = 0.05 * (o->getMaximumX() - o->getMinimumX());
    if (!std::isfinite(v) || !std::isfinite(t))
        return false;
    int low = 0, high = n - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (v + t < xs.at(middle))
            high = middle - 1;
        else
            low = middle;
    }
    int best = low;
    double bestDistance = std::fabs(xs.at(best) - v);
    if (!(bestDistance <= t))
        return false;
    for (int j = best - 1; j >= 0 && xs.at(j) >= v - t; --j) {
        const double d = std::fabs(v - xs.at(j));
        if (d < bestDistance) {
            bestDistance = d;
            best = j;
        }
    }
    point = QPointF(xs.at(best), ys.at(best));
    return true;
}

void TCanvasMass::drawShape(QPainter& painter)
{
    TCanvasSpectrum::drawShape(painter);
    painter.save();
    if (!usesPixmapCache(painter))
        painter.setTransform(itemMatrix(), true);
    drawMatchOverlay(painter);
    painter.restore();
}

void TCanvasMass::drawMatchOverlay(QPainter& painter)
{
    const int r = m_match.selectedResult();
    const auto& results = m_match.matcher().getResults();
    if (r < 0 || r >= static_cast<int>(results.size()) || m_match.resultObjects().isEmpty())
        return;
    const double reference = results.at(static_cast<size_t>(r)).GetMSMonoMassIntensity();
    // A reference of 0 scales nothing onto the plot.
    if (reference == 0 || !std::isfinite(reference))
        return;
    std::unique_ptr<TMolMatchSettings> settings;
    for (const TMassDataObj* d : m_match.resultObjects()) {
        if (!d)
            continue;
        TBasePlot* base = plot(d->id(), true);
        if (!base || base->type() != 1 || !m_plotData.contains(d->id()))
            continue;
        if (base->plotter().typeId() != T1DMassPlotter::massTypeId())
            continue;
        auto* p = static_cast<T1DMassPlot*>(base);
        const double factor = d->getMaximumY() / reference;
        const TPlotAxis axis2 = p->scaledAxis(2, factor);
        const TValueRangeList segments2 = p->scaledSegments(2, factor);
        QPen pen = p->tracePen();
        pen.setColor(p->highlight().color);
        const T1DPlotProperties look = p->massPlotter().propertiesWithPen(pen);
        // The plot's title record keeps the overlay's plot area the plot's.
        T1DMassPlotter overlay(p->plotter().deviceRect(), &p->axis1(), &axis2, &p->segments1(), &segments2, &look,
                               &p->titleProperties());
        if (d->kind() == TMassDataObj::Chromatogram) {
            overlay.drawProfile(&painter, d->getXValues(), d->getYValues());
            continue;
        }
        if (!settings)
            settings = std::make_unique<TMolMatchSettings>(m_match.settings());
        const bool msms = dataset() && msOrder(d->getInjectionIndex(), d->getFunctionIndex()) > 1;
        overlay.setToleranceBand(msms ? settings->msmsTolerance : settings->msTolerance, settings->toleranceInDa);
        overlay.drawCentroids(&painter, d->getXValues(), d->getYValues());
        if (p->highlight().boxVisible) {
            const double lo = d->getMinimumX(), hi = d->getMaximumX();
            const double m = 0.05 * (hi - lo);
            painter.save();
            QColor colour = p->highlight().color;
            colour.setAlphaF(0.25);
            painter.setBrush(QBrush(colour, Qt::SolidPattern));
            painter.setPen(Qt::NoPen);
            overlay.drawHighlightRect(&painter, QRectF(lo - m, 0, (hi + m) - (lo - m), 0));
            painter.restore();
        }
    }
}
