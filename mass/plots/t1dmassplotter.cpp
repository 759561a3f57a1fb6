// T1DMassPlotter: traces, baseline and title.
#include "t1dmassplotter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "massutils.h"
#include "t1dmassplot.h"

namespace {

bool finite(double x, double y)
{
    return std::isfinite(x) && std::isfinite(y);
}

bool outside(const TValueRange& r, double v)
{
    return v < r.from() || v > r.to();
}

// The line pieces of one trace. Kept per thread between paints: a large
// trace's pieces need megabytes, and fresh pages for every repaint would
// cost as much as computing them.
QVector<QLineF>& traceLines()
{
    static thread_local QVector<QLineF> lines;
    lines.clear();  // keeps the capacity
    return lines;
}

// Points a data array pair can give: the common prefix of both (none
// without data).
int commonCount(const TValueArray& x, const TValueArray& y)
{
    if (x.isEmpty() || y.isEmpty())
        return 0;
    return std::min(x.count, y.count);
}

}  // namespace

const QUuid& T1DMassPlotter::massTypeId()
{
    static const QUuid id("{bbfdc628-b1be-46da-883a-5ea2ec1fd955}");
    return id;
}

T1DMassPlotter::T1DMassPlotter(const T1DMassPlot& plot)
    : TBasePlotter(plot), m_lineProperties(&plot.lineProperties()), m_titleProperties(&plot.titleProperties())
{
}

T1DMassPlotter::T1DMassPlotter(const QRectF& deviceRect, const TPlotAxis* axis1, const TPlotAxis* axis2,
                               const TValueRangeList* segments1, const TValueRangeList* segments2,
                               const T1DPlotProperties* lineProperties, const TMSTitleProperties* title)
    : TBasePlotter(deviceRect, axis1, axis2, segments1, segments2, lineProperties),
      m_lineProperties(lineProperties),
      m_titleProperties(title)
{
}

double T1DMassPlotter::titleBandHeight() const
{
    return QFontMetricsF(pixelSizedFont(m_titleProperties->font)).height() + 6.0;
}

double T1DMassPlotter::topReserve() const
{
    return m_titleProperties && m_titleProperties->visible ? titleBandHeight() : 0.0;
}

QRectF T1DMassPlotter::titleRect() const
{
    QRectF r = plotArea();
    r.setTop(r.top() - topReserve());
    r.setHeight(m_titleProperties ? titleBandHeight() : 0.0);
    return r;
}

void T1DMassPlotter::drawTitle(QPainter* painter, const QString& text) const
{
    if (!m_titleProperties || !m_titleProperties->visible)
        return;
    QPen pen = m_lineProperties->axesPen();
    pen.setColor(m_titleProperties->color);
    painter->save();
    painter->setFont(pixelSizedFont(m_titleProperties->font));
    painter->setPen(pen);
    painter->drawText(titleRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
}

void T1DMassPlotter::setToleranceBand(double value, bool absolute)
{
    m_toleranceValue = value;
    m_toleranceMode = absolute ? AbsoluteTolerance : RelativeTolerance;
}

T1DPlotProperties T1DMassPlotter::propertiesWithPen(const QPen& pen) const
{
    T1DPlotProperties p(*m_lineProperties);
    p.setTracePen(pen);
    return p;
}

bool T1DMassPlotter::layouts(TSegmentLayout& x, TSegmentLayout& y) const
{
    x = segmentLayout(*horizontalAxis(), *horizontalSegments());
    y = segmentLayout(*verticalAxis(), *verticalSegments());
    return !x.isEmpty() && !y.isEmpty();
}

QRectF T1DMassPlotter::cellRect(const TSegmentLayout& x, int i, const TSegmentLayout& y, int j)
{
    const TValueRange& dx = x.pixels.at(i);
    const TValueRange& dy = y.pixels.at(j);
    return QRectF(dx.from(), dy.from(), dx.to() - dx.from(), dy.to() - dy.from());
}

void T1DMassPlotter::drawProfile(QPainter* painter, const TValueArray& x, const TValueArray& y) const
{
    const int n = commonCount(x, y);
    TSegmentLayout lx, ly;
    if (n <= 0 || !layouts(lx, ly))
        return;
    const int style = m_lineProperties->lineStyle();
    painter->save();
    painter->setPen(m_lineProperties->tracePen());
    QVector<QLineF>& lines = traceLines();
    for (int i = 0; i < lx.count(); ++i) {
        const TValueRange& vx = lx.values.at(i);
        for (int j = 0; j < ly.count(); ++j) {
            const TValueRange& vy = ly.values.at(j);
            const QRectF cell = cellRect(lx, i, ly, j);
            auto point = [&](int k) { return QPointF(lx.toPixel(i, x.at(k)), ly.toPixel(j, y.at(k))); };
            if (style == T1DPlotProperties::Line) {
                int k = 0;
                while (k < n && !vx.holds(x.at(k)))
                    ++k;
                if (k == n)
                    continue;
                if (k > 0)
                    --k;
                QPointF previous = point(k);
                bool previousFinite = finite(x.at(k), y.at(k));
                for (int m = k + 1; m < n; ++m) {
                    const double xm = x.at(m);
                    const QPointF p = point(m);
                    const bool pFinite = finite(xm, y.at(m));
                    // A value that is not finite is a gap: no piece to it
                    // or from it.
                    if (previousFinite && pFinite)
                        clipLineToRect(lines, previous, p, cell, true);
                    previous = p;
                    previousFinite = pFinite;
                    if (outside(vx, xm))
                        break;
                }
            } else {
                for (int k = 0; k < n; ++k) {
                    const double xk = x.at(k), yk = y.at(k);
                    if (xk > vx.to())
                        break;
                    if (!vx.holds(xk) || !vy.holds(yk))
                        continue;
                    const QPointF p = point(k);
                    if (!finite(p.x(), p.y()))
                        continue;
                    const double px = std::round(p.x()), py = std::round(p.y());
                    if (style == T1DPlotProperties::Crosses) {
                        const QLineF cross[2] = {QLineF(px - 6, py + 6, px + 6, py - 6),
                                                 QLineF(px - 6, py - 6, px + 6, py + 6)};
                        painter->drawLines(cross, 2);
                    } else {
                        painter->drawEllipse(QRectF(px - 6, py - 6, 12, 12));
                    }
                }
            }
        }
    }
    if (!lines.isEmpty())
        painter->drawLines(lines);
    lines.clear();
    painter->restore();
}

void T1DMassPlotter::drawCentroids(QPainter* painter, const TValueArray& x, const TValueArray& y) const
{
    const int n = commonCount(x, y);
    TSegmentLayout lx, ly;
    if (n <= 0 || !layouts(lx, ly))
        return;
    painter->save();
    painter->setPen(m_lineProperties->tracePen());
    QVector<QLineF>& lines = traceLines();
    for (int i = 0; i < lx.count(); ++i) {
        const TValueRange& vx = lx.values.at(i);
        for (int j = 0; j < ly.count(); ++j) {
            const QRectF cell = cellRect(lx, i, ly, j);
            double base = ly.toPixel(j, 0.0);
            // Intensity 0 has no place on a logarithmic axis: the stick
            // starts at the cell's low end.
            if (!std::isfinite(base))
                base = ly.toPixel(j, ly.values.at(j).from());
            for (int k = 0; k < n; ++k) {
                const double xk = x.at(k), yk = y.at(k);
                if (!vx.holds(xk) || !std::isfinite(yk))
                    continue;
                const double px = lx.toPixel(i, xk);
                const double py = ly.toPixel(j, yk);
                clipLineToRect(lines, QPointF(px, base), QPointF(px, py), cell, true);
                if (m_toleranceMode == NoTolerance)
                    continue;
                const double w = m_toleranceMode == AbsoluteTolerance ? m_toleranceValue
                                                                      : xk * 1e-6 * m_toleranceValue;
                double left = lx.toPixel(i, xk - w);
                double right = lx.toPixel(i, xk + w);
                if (!(std::fabs(right - left) >= 9.0)) {
                    left = px - 4.5;
                    right = px + 4.5;
                }
                clipLineToRect(lines, QPointF(left, py), QPointF(right, py), cell, true);
            }
        }
    }
    if (!lines.isEmpty())
        painter->drawLines(lines);
    lines.clear();
    painter->restore();
}

void T1DMassPlotter::drawBaseline(QPainter* painter) const
{
    TSegmentLayout lx, ly;
    if (!layouts(lx, ly))
        return;
    QVector<QLineF> lines;
    for (int i = 0; i < lx.count(); ++i) {
        const TValueRange& dx = lx.pixels.at(i);
        for (int j = 0; j < ly.count(); ++j) {
            const double y0 = ly.toPixel(j, 0.0);
            if (!ly.pixels.at(j).holds(y0))
                break;
            lines.append(QLineF(dx.from(), y0, dx.to(), y0));
        }
    }
    if (lines.isEmpty())
        return;
    painter->save();
    painter->setPen(m_lineProperties->gridPen());
    painter->drawLines(lines);
    painter->restore();
}
