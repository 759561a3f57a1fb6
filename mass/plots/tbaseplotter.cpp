// TBasePlotter: construction, segment layout, conversions, plot area,
// axis bands, hit test, background and frame.
#include "tbaseplotter.h"

#include <QFontMetricsF>
#include <QPainter>

#include "massutils.h"
#include "tbaseplot.h"
#include "tplotproperties.h"

namespace {

// QRectF::contains, for rectangles that have an extent: a rectangle of
// negative or non-finite size contains nothing.
bool inRect(const QRectF& r, const QPointF& p)
{
    return TBasePlotter::isDrawable(r) && std::isfinite(p.x()) && std::isfinite(p.y()) && r.contains(p);
}

bool increasingAxis(const TPlotAxis& a)
{
    const bool horizontal = a.horizontal != 0;
    const bool reversed = a.reversed == 1;
    return (horizontal && !reversed) || (!horizontal && reversed);
}

}  // namespace

// ---- TSegmentLayout ----

int TSegmentLayout::segmentOfValue(double v) const
{
    for (int i = 0; i < values.count(); ++i) {
        if (values.at(i).position(v) == 0)
            return i;
    }
    return -1;
}

int TSegmentLayout::segmentOfPixel(double c) const
{
    for (int i = 0; i < pixels.count(); ++i) {
        if (pixels.at(i).position(c) == 0)
            return i;
    }
    return -1;
}

double TSegmentLayout::toValue(int i, double c) const
{
    const TValueRange& a = values.at(i);
    const TValueRange& s = pixels.at(i);
    const double q = s.to() - s.from();
    if (q == 0)
        return (a.to() - a.from()) * 0.5 + a.from();
    const double t = c - s.from();
    if (logScale) {
        const double f = std::pow(10.0, std::log10(a.to() / a.from()) / q * t);
        return increasing ? a.from() * f : a.to() / f;
    }
    return increasing ? a.from() + (a.to() - a.from()) / q * t : a.to() - (a.to() - a.from()) / q * t;
}

// ---- TBasePlotter ----

TBasePlotter::TBasePlotter(const TBasePlot& plot)
    : m_axis1(&plot.axis1()),
      m_axis2(&plot.axis2()),
      m_segments1(&plot.segments1()),
      m_segments2(&plot.segments2()),
      m_properties(&plot.properties())
{
}

TBasePlotter::TBasePlotter(const QRectF& deviceRect, const TPlotAxis* axis1, const TPlotAxis* axis2,
                           const TValueRangeList* segments1, const TValueRangeList* segments2,
                           const TBasePlotProperties* properties)
    : m_deviceRect(deviceRect),
      m_axis1(axis1),
      m_axis2(axis2),
      m_segments1(segments1),
      m_segments2(segments2),
      m_properties(properties)
{
}

double TBasePlotter::mapCoordinate(const TPlotAxis&, double coordinate) const
{
    return coordinate;
}

void TBasePlotter::preparePainter(QPainter*) const {}

void TBasePlotter::preparePoint(const QPointF&) const {}

void TBasePlotter::drawAxisMark(QPainter* painter, const QPointF& point, const QRectF& rect, int orientation) const
{
    const double m = m_properties->margin();
    if (orientation == 1) {
        const double y = rect.y() + rect.height() + m;
        painter->drawLine(QLineF(point.x(), y, point.x(), y + 18.0));
    } else {
        const double x = rect.x() + rect.width() + m;
        painter->drawLine(QLineF(x, point.y(), x + 18.0, point.y()));
    }
}

TValueRangeList TBasePlotter::pixelSegments(const TValueRangeList& visible, const TValueRange& extent,
                                            const TPlotAxis& axis) const
{
    TValueRangeList out;
    const int n = visible.count();
    if (n == 0)
        return out;
    const bool log = axis.isLogScale();
    const double drawable = (extent.to() - extent.from()) - m_properties->breakGap() * (n - 1);
    const double sum = log ? visible.logLength() : visible.length();
    // Segments of no visible length map to their middle instead of
    // dividing by zero.
    const double scale = sum == 0 ? 0.0 : drawable / sum;
    const bool up = increasingAxis(axis);
    double start = up ? extent.from() : extent.to();
    for (int i = 0; i < n; ++i) {
        const TValueRange& v = visible.at(i);
        const double span = (log ? std::log10(v.to() / v.from()) : v.to() - v.from()) * scale;
        const double end = up ? start + span : start - span;
        out.append(TValueRange(start, end));
        start = up ? end + m_properties->breakGap() : end - m_properties->breakGap();
    }
    return out;
}

TSegmentLayout TBasePlotter::segmentLayout(const TPlotAxis& axis, const TValueRangeList& segments) const
{
    return segmentLayout(axis, segments, area());
}

TSegmentLayout TBasePlotter::segmentLayout(const TPlotAxis& axis, const TValueRangeList& segments,
                                           const QRectF& area) const
{
    TSegmentLayout layout;
    layout.increasing = increasingAxis(axis);
    layout.logScale = axis.isLogScale();
    if (!isDrawable(area))
        return layout;
    const TValueRange extent = axis.horizontal ? TValueRange(area.x(), area.x() + area.width())
                                               : TValueRange(area.y(), area.y() + area.height());
    const TValueRangeList visible = segments.intersected(axis.visibleFrom, axis.visibleTo);
    const int n = visible.count();
    if (n == 0)
        return layout;
    for (int i = 0; i < n; ++i) {
        const TValueRange& v = visible.at(i);
        if (!std::isfinite(v.from()) || !std::isfinite(v.to()))
            return layout;
        // A logarithmic axis has no place for values of 0 or below.
        if (layout.logScale && !(v.from() > 0))
            return layout;
    }
    // A visible length beyond the doubles (the whole real line) has no
    // scale either.
    if (!std::isfinite(layout.logScale ? visible.logLength() : visible.length()))
        return layout;
    const double gap = m_properties->breakGap();
    if (!std::isfinite(gap) || !((extent.to() - extent.from()) - gap * (n - 1) >= 0))
        return layout;
    TValueRangeList pixels = pixelSegments(visible, extent, axis);
    for (int i = 0; i < pixels.count(); ++i) {
        if (!std::isfinite(pixels.at(i).from()) || !std::isfinite(pixels.at(i).to()))
            return layout;
    }
    layout.values = visible;
    layout.pixels = pixels;
    return layout;
}

bool TBasePlotter::convert(double& v, const TPlotAxis& axis, const TValueRangeList& segments, bool toPixel) const
{
    const TSegmentLayout l = segmentLayout(axis, segments);
    const int i = toPixel ? l.segmentOfValue(v) : l.segmentOfPixel(v);
    if (i < 0)
        return false;
    const double r = toPixel ? l.toPixel(i, v) : l.toValue(i, v);
    if (!std::isfinite(r))
        return false;
    v = r;
    return true;
}

bool TBasePlotter::valueToPixel(double& value, const TPlotAxis& axis, const TValueRangeList& segments) const
{
    return convert(value, axis, segments, true);
}

bool TBasePlotter::pixelToValue(double& coordinate, const TPlotAxis& axis, const TValueRangeList& segments) const
{
    return convert(coordinate, axis, segments, false);
}

bool TBasePlotter::axisValueToPixel(double& value, int axis) const
{
    return axis == 1 ? convert(value, *m_axis1, *m_segments1, true) : convert(value, *m_axis2, *m_segments2, true);
}

bool TBasePlotter::pixelToAxisValue(double& coordinate, int axis) const
{
    return axis == 1 ? convert(coordinate, *m_axis1, *m_segments1, false)
                     : convert(coordinate, *m_axis2, *m_segments2, false);
}

bool TBasePlotter::convertPoint(QPointF& point, bool toPixel) const
{
    double x = point.x(), y = point.y();
    const bool okX = convert(x, *m_axis1, *m_segments1, toPixel);
    const bool okY = convert(y, *m_axis2, *m_segments2, toPixel);
    point = QPointF(x, y);
    return okX && okY;
}

bool TBasePlotter::valuesToPoint(QPointF& point) const
{
    return convertPoint(point, true);
}

bool TBasePlotter::pointToValues(QPointF& point) const
{
    return convertPoint(point, false);
}

QRectF TBasePlotter::areaWithoutVerticalBands() const
{
    QRectF r = m_fixedPlotArea;
    if (m_fixedPlotArea.width() == 0 && m_fixedPlotArea.height() == 0) {
        const double inset = m_properties->outerInset();
        r = m_deviceRect.adjusted(inset, inset, -inset, -inset);
        if (m_axis1->visible) {
            // Measured without its labels: only a vertical axis 2 measures
            // them, over this area's height.
            const double t = thickness(*m_axis1, false);
            const double margin = m_properties->margin();
            if (m_axis1->labelSide == 0)
                r.setBottom(r.bottom() - t - margin);
            else if (m_axis1->labelSide == 2)
                r.setTop(r.top() + t + margin);
        }
    }
    r.setTop(r.top() + topReserve());
    return r;
}

QRectF TBasePlotter::plotArea() const
{
    QRectF r = areaWithoutVerticalBands();
    if (m_fixedPlotArea.width() != 0 || m_fixedPlotArea.height() != 0)
        return r;
    if (m_axis2->visible) {
        const double t = axisThickness(*m_axis2);
        const double margin = m_properties->margin();
        if (m_axis2->labelSide == 0)
            r.setRight(r.right() - t - margin);
        else if (m_axis2->labelSide == 2)
            r.setLeft(r.left() + t + margin);
    }
    return r;
}

const TValueRangeList* TBasePlotter::segmentsOf(const TPlotAxis& axis) const
{
    if (&axis == m_axis1)
        return m_segments1;
    if (&axis == m_axis2)
        return m_segments2;
    return nullptr;
}

double TBasePlotter::axisThickness(const TPlotAxis& axis) const
{
    return thickness(axis, true);
}

double TBasePlotter::thickness(const TPlotAxis& axis, bool measure) const
{
    if (!axis.visible)
        return 0.0;
    const QFontMetricsF fm(pixelSizedFont(m_properties->font()));
    const double ls = fm.lineSpacing();
    if (!axis.horizontal && !m_properties->isTextRotated()) {
        const TValueRangeList* segments = measure ? segmentsOf(axis) : nullptr;
        const double depth =
            segments ? labelDepth(axis, *segments, areaWithoutVerticalBands(), fm)
                     : fm.horizontalAdvance(QLatin1Char('4')) * qBound(0, int(axis.decimals), kMaxDecimals);
        return depth + 21.0 + (axis.captionVisible ? ls : 0.0);
    }
    // The caption goes 3 units below the labels' extent (their line and
    // descent).
    return 21.0 + (axis.captionVisible ? labelHeight(fm) + fm.descent() + 3 + ls : ls);
}

QRectF TBasePlotter::axisRect(const TPlotAxis& axis, const QRectF& area) const
{
    const double t = axisThickness(axis);
    const double m = m_properties->margin();
    QRectF r = area;
    if (axis.horizontal) {
        if (axis.labelSide == 0)
            r.setY(area.y() + area.height() + m);
        else if (axis.labelSide == 2)
            r.setY(area.y() - m - t);
        else
            r.setY(area.y() + area.height() * 0.5);
        r.setHeight(t);
    } else {
        if (axis.labelSide == 0)
            r.setX(area.x() + area.width() + m);
        else if (axis.labelSide == 2)
            r.setX(area.x() - m - t);
        else
            r.setX(area.x() + area.width() * 0.5);
        r.setWidth(t);
    }
    return r;
}

double TBasePlotter::axisLinePosition(const TPlotAxis& axis, const QRectF& area) const
{
    const double m = m_properties->margin();
    double c;
    if (axis.horizontal) {
        if (axis.labelSide == 0)
            c = area.y() + area.height() + m;
        else if (axis.labelSide == 2)
            c = area.y() - m;
        else
            c = area.y() + area.height() * 0.5;
    } else {
        if (axis.labelSide == 0)
            c = area.x() + area.width() + m;
        else if (axis.labelSide == 2)
            c = area.x() - m;
        else
            c = area.x() + area.width() * 0.5;
    }
    return mapCoordinate(axis, c);
}

int TBasePlotter::hitTest(const QPointF& point) const
{
    const double inset = m_properties->outerInset();
    const QRectF inner = m_deviceRect.adjusted(inset, inset, -inset, -inset);
    if (!inRect(inner, point))
        return inRect(m_deviceRect, point) ? 1 : 0;
    const QRectF plot = plotArea();
    if (inRect(mapRect(plot), point))
        return 3;
    if (m_axis1->visible && inRect(axisRect(*m_axis1, plot), point))
        return 5;
    if (m_axis2->visible && inRect(axisRect(*m_axis2, plot), point))
        return 6;
    return 2;
}

void TBasePlotter::drawBackground(QPainter* painter) const
{
    const QRectF r = area();
    if (isTransparent(m_properties->background()) || !isDrawable(r))
        return;
    painter->fillRect(r, m_properties->background());
}

void TBasePlotter::drawFrame(QPainter* painter) const
{
    const QRectF r = area();
    if (!isDrawable(r))
        return;
    painter->save();
    painter->setPen(m_properties->framePen());
    const int sides = m_properties->frameSides();
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    QVector<QLineF> lines;
    if (sides & TBasePlotProperties::FrameLeft)
        lines << QLineF(x, y, x, y + h);
    if (sides & TBasePlotProperties::FrameRight)
        lines << QLineF(x + w, y, x + w, y + h);
    if (sides & TBasePlotProperties::FrameTop)
        lines << QLineF(x, y, x + w, y);
    if (sides & TBasePlotProperties::FrameBottom)
        lines << QLineF(x, y + h, x + w, y + h);
    if (!lines.isEmpty()) {
        preparePainter(painter);
        painter->drawLines(lines);
    }
    painter->restore();
}

void TBasePlotter::drawLineAcross(QPainter* painter, const QPen& pen, double coordinate, int orientation) const
{
    const QRectF r = area();
    if (!isDrawable(r) || !std::isfinite(coordinate))
        return;
    painter->save();
    preparePainter(painter);
    painter->setPen(pen);
    if (orientation == 1)
        painter->drawLine(QLineF(coordinate, r.y() + r.height(), coordinate, r.y()));
    else
        painter->drawLine(QLineF(r.x(), coordinate, r.x() + r.width(), coordinate));
    painter->restore();
}
