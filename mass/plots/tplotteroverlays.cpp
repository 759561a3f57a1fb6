// TBasePlotter: the overlays of the mouse modes and analysis views
// (crosshair with value box, marker line to the zero line, selection
// shapes, value markers, highlights) and the line clipping they share with
// the trace painter. Shapes spanning a cut gap are drawn piecewise.
#include "tbaseplotter.h"

#include <QFontMetricsF>
#include <QPainter>

#include "massutils.h"
#include "tplotproperties.h"

namespace {

bool finitePoint(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Moves the end of the segment beyond the line `coordinate` (x when
// vertical is false, else y) onto it; false when both ends lie beyond it
// or the segment does not reach it.
bool clipEnd(QPointF& p1, QPointF& p2, double coordinate, bool alongY, bool beyondIsGreater)
{
    auto value = [&](const QPointF& p) { return alongY ? p.y() : p.x(); };
    auto beyond = [&](const QPointF& p) {
        return beyondIsGreater ? value(p) > coordinate : value(p) < coordinate;
    };
    const bool b1 = beyond(p1), b2 = beyond(p2);
    if (!b1 && !b2)
        return true;
    if (b1 && b2)
        return false;
    const double d = value(p2) - value(p1);
    if (d == 0)
        return false;
    const double t = (coordinate - value(p1)) / d;
    QPointF cut = p1 + (p2 - p1) * t;
    if (alongY)
        cut.setY(coordinate);
    else
        cut.setX(coordinate);
    (b1 ? p1 : p2) = cut;
    return true;
}

}  // namespace

const QColor& markerColor(int index)
{
    static const QColor colors[2] = {QColor::fromRgbF(0.78125, 0, 0, 1), QColor::fromRgbF(0, 0, 0.78125, 1)};
    return colors[index == 1 ? 1 : 0];
}

void clipLineToRect(QVector<QLineF>& lines, QPointF p1, QPointF p2, const QRectF& rect, bool clipVertically)
{
    if (!finitePoint(p1) || !finitePoint(p2) || !std::isfinite(rect.x()) || !std::isfinite(rect.y()) ||
        !std::isfinite(rect.width()) || !std::isfinite(rect.height()))
        return;
    if (rect.contains(p1) && rect.contains(p2)) {
        lines << QLineF(p1, p2);
        return;
    }
    const double left = rect.x(), right = rect.x() + rect.width();
    const double top = rect.y(), bottom = rect.y() + rect.height();
    if (clipVertically) {
        if (!clipEnd(p1, p2, bottom, true, true) || !clipEnd(p1, p2, top, true, false))
            return;
    }
    if (!clipEnd(p1, p2, left, false, false) || !clipEnd(p1, p2, right, false, true))
        return;
    lines << QLineF(p1, p2);
}

void TBasePlotter::drawLabelBox(QPainter* painter, const QPointF& p, const QString& text, int colorIndex,
                                int lineFlags) const
{
    const QRectF area = this->area();
    if (!isDrawable(area) || !finitePoint(p))
        return;
    painter->save();
    // Width 0: a cosmetic line of one device pixel at any scale, as the
    // marker pens have always been.
    painter->setPen(QPen(markerColor(colorIndex), 0));
    bool drawn = false;
    if ((lineFlags & VerticalLine) && area.x() <= p.x() && p.x() <= area.x() + area.width()) {
        painter->save();
        preparePainter(painter);
        painter->drawLine(QLineF(p.x(), area.y(), p.x(), area.y() + area.height()));
        painter->restore();
        drawAxisMark(painter, p, area, 1);
        drawn = true;
    }
    if ((lineFlags & HorizontalLine) && area.y() <= p.y() && p.y() <= area.y() + area.height()) {
        painter->save();
        preparePainter(painter);
        painter->drawLine(QLineF(area.x(), p.y(), area.x() + area.width(), p.y()));
        painter->restore();
        drawAxisMark(painter, p, area, 2);
        drawn = true;
    }
    if (drawn && !text.isEmpty()) {
        const QFont font = pixelSizedFont(m_properties->font());
        const QSizeF size = QFontMetricsF(font, painter->device()).size(0, text);
        QRectF box(p.x() + 24.0, p.y() - 124.0 - size.height(), size.width() + 6.0, size.height() + 6.0);
        auto fits = [&] { return area.intersected(box) == box; };
        // Above on the right, sliding down to just above the point; then
        // below on the right, below on the left, above on the left.
        bool placed = fits();
        for (int k = 0; k < 10 && !placed; ++k) {
            box.translate(0, 10.0);
            placed = fits();
        }
        const QPointF moves[3] = {{0, 48.0 + box.height()}, {-(48.0 + box.width()), 0}, {0, -(48.0 + box.height())}};
        for (int k = 0; k < 3 && !placed; ++k) {
            box.translate(moves[k]);
            placed = fits();
        }
        if (placed) {
            const QTransform m = matrix();
            if (!m.isIdentity())
                box.moveTopLeft(m.map(box.topLeft()));
            painter->setFont(font);
            painter->setBrush(QBrush(Qt::white, Qt::SolidPattern));
            painter->drawRect(box);
            painter->drawText(box.adjusted(3.0, 3.0, -3.0, -3.0), Qt::AlignLeft | Qt::AlignTop, text);
        }
    }
    painter->restore();
}

void TBasePlotter::drawCrosshair(QPainter* painter, const QPointF& p, bool fromPoint) const
{
    const QRectF area = this->area();
    if (!finitePoint(p))
        return;
    const TSegmentLayout lx = segmentLayout(*m_axis1, *m_segments1, area);
    const TSegmentLayout ly = segmentLayout(*m_axis2, *m_segments2, area);
    const int i = lx.segmentOfPixel(p.x());
    if (i < 0)
        return;
    const TValueRange& dx = lx.pixels.at(i);
    QVector<QLineF> lines;
    for (int j = 0; j < ly.count(); ++j) {
        const TValueRange& dy = ly.pixels.at(j);
        const QRectF cell(dx.from(), dy.from(), dx.to() - dx.from(), dy.to() - dy.from());
        const double y0 = ly.toPixel(j, 0.0);
        const QPointF start = fromPoint ? p : QPointF(p.x(), dy.from());
        clipLineToRect(lines, start, QPointF(p.x(), y0), cell, true);
    }
    if (lines.isEmpty())
        return;
    painter->save();
    QPen pen(markerColor(0));
    pen.setWidthF(12);
    painter->setPen(pen);
    painter->drawLines(lines);
    painter->restore();
}

void TBasePlotter::drawSelection(QPainter* painter, const QRectF& rect, int mode, int colorIndex) const
{
    const QRectF area = this->area();
    if (mode == NoSelection || !isDrawable(area))
        return;
    QRectF r = rect;
    if (mode == VerticalBand) {
        r.setY(area.y());
        r.setHeight(area.height());
    } else if (mode == HorizontalBand) {
        r.setX(area.x());
        r.setWidth(area.width());
    }
    const QRectF s = mode == CrossSelection ? area.intersected(r.normalized()) : area.intersected(r);
    if (s.isEmpty())
        return;  // nothing of the selection lies in the plot area
    painter->save();
    const QColor color = markerColor(colorIndex);
    QColor fill = color;
    fill.setAlphaF(0.4);
    painter->setPen(QPen(color, 0));
    painter->setBrush(QBrush(fill, Qt::SolidPattern));
    preparePainter(painter);
    const double top = area.y(), bottom = area.y() + area.height();
    const double left = area.x(), right = area.x() + area.width();
    if (mode == CrossSelection) {
        // The full-height and the full-width band through the selection as
        // the 12-point outline of their cross: one simple polygon, so the
        // odd-even fill shades the whole cross once, the selection where
        // the bands cross included.
        const QPointF cross[12] = {{s.x(), s.y()},     {s.x(), top},          {s.right(), top},
                                   {s.right(), s.y()}, {right, s.y()},        {right, s.bottom()},
                                   {s.right(), s.bottom()}, {s.right(), bottom}, {s.x(), bottom},
                                   {s.x(), s.bottom()},     {left, s.bottom()},  {left, s.y()}};
        painter->drawPolygon(cross, 12, Qt::OddEvenFill);
    } else if (mode == BracketSelection) {
        const double edge = rect.height() >= 0 ? s.bottom() : s.y();
        QVector<QLineF> lines = {QLineF(s.x(), top, s.x(), bottom), QLineF(s.right(), top, s.right(), bottom),
                                 QLineF(s.x(), edge, s.right(), edge)};
        // The mirror line at minus the intensity of the edge.
        double v = edge;
        if (pixelToAxisValue(v, 2)) {
            double mirror = -v;
            if (axisValueToPixel(mirror, 2))
                lines << QLineF(s.x(), mirror, s.right(), mirror);
        }
        painter->drawLines(lines);
    } else {
        painter->drawRect(s);
    }
    painter->restore();
}

void TBasePlotter::drawValueMarker(QPainter* painter, const QPen& pen, double value, int axis) const
{
    const TPlotAxis& a = axis == 1 ? *m_axis1 : *m_axis2;
    const TValueRangeList& segments = axis == 1 ? *m_segments1 : *m_segments2;
    if (!(a.visibleFrom <= value && value <= a.visibleTo))
        return;
    const TSegmentLayout l = segmentLayout(a, segments);
    const int i = l.segmentOfValue(value);
    if (i < 0)
        return;  // in a cut gap
    const double c = l.toPixel(i, value);
    if (std::isfinite(c))
        drawLineAcross(painter, pen, c, axis);
}

TValueRangeList TBasePlotter::valueRangeToDeviceRanges(const TValueRange& range, const TPlotAxis& axis,
                                                       const TValueRangeList& segments) const
{
    TValueRangeList out;
    const TSegmentLayout l = segmentLayout(axis, segments);
    for (int i = 0; i < l.count(); ++i) {
        const TValueRange overlap = l.values.at(i).intersected(range);
        if (overlap.isNull())
            continue;
        const double a = l.toPixel(i, overlap.from());
        const double b = l.toPixel(i, overlap.to());
        if (std::isfinite(a) && std::isfinite(b))
            out.append(TValueRange(a, b));
    }
    return out;
}

void TBasePlotter::drawHighlightRect(QPainter* painter, const QRectF& valueRect) const
{
    const QRectF area = this->area();
    if (!isDrawable(area))
        return;
    const TValueRangeList h = valueRect.width() != 0
                                  ? valueRangeToDeviceRanges(TValueRange(valueRect.x(), valueRect.x() + valueRect.width()),
                                                             *m_axis1, *m_segments1)
                                  : TValueRangeList(area.x(), area.x() + area.width());
    const TValueRangeList v = valueRect.height() != 0
                                  ? valueRangeToDeviceRanges(TValueRange(valueRect.y(), valueRect.y() + valueRect.height()),
                                                             *m_axis2, *m_segments2)
                                  : TValueRangeList(area.y(), area.y() + area.height());
    QVector<QRectF> rects;
    for (int i = 0; i < h.count(); ++i) {
        for (int j = 0; j < v.count(); ++j) {
            const TValueRange& a = h.at(i);
            const TValueRange& b = v.at(j);
            rects << QRectF(a.from(), b.from(), a.to() - a.from(), b.to() - b.from());
        }
    }
    if (!rects.isEmpty())
        painter->drawRects(rects);
}
