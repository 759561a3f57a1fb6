// TBasePlotter: tick steps, ticks, axes and grid.
//
// Every tick loop runs only for a finite positive step (the factor 10 on
// a logarithmic axis, whose layout exists only for positive values), stops
// when the tick value no longer advances (t + step == t at extreme zoom)
// and keeps at most kMaxTicks ticks per axis: stored steps, zero extents
// and too small plot areas can otherwise keep it going for ever.
#include "tbaseplotter.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>

#include "massutils.h"
#include "tplotproperties.h"

namespace {

// Rounds half up as the tick rules do: truncate x + 0.5, and for a
// negative x through the integer below it.
double roundHalfUp(double x)
{
    if (x >= 0)
        return std::trunc(x + 0.5);
    const double k = std::trunc(x - 1);
    return k + std::trunc(x - k + 0.5);
}

bool insideRange(const TValueRange& r, double v)
{
    return r.from() <= v && v <= r.to();
}

}  // namespace

double niceTickStep(double extent, double length, double n, bool atLeastOne)
{
    const double q = extent / (length / n);
    const double Q = std::fabs(q);
    if (!std::isfinite(q) || Q == 0)
        return 0.0;
    double p, m;
    if (Q >= 1 && Q <= 10) {
        p = 1;
        m = Q;
    } else {
        p = std::pow(10.0, std::floor(std::log10(Q)));
        m = Q / p;
    }
    double M = std::trunc(m + 0.5);
    const double A = roundHalfUp(extent / p);
    const bool small = M == 0 || M == 1;
    if (M > 5)
        M = 10;
    else if (M >= 3)
        M = 5;
    else if (M == 2 && std::fmod(A, 5.0) == 0)
        M = 5;
    if (!small) {
        while (2 * M > A && M > 1)
            M -= 1;
    }
    double step = p * M;
    if (atLeastOne && step < 1)
        step = 1;
    if (!std::isfinite(step))
        return 0.0;
    return q < 0 ? -step : step;
}

double ceilToStep(double value, double step)
{
    const double s = std::fabs(step);
    if (!(s > 0) || !std::isfinite(s) || !std::isfinite(value))
        return value;
    const double k = std::trunc(value / step);
    // + 0.0 turns the -0 of a value just below 0 into 0 (no "-0" label).
    double l = k * step + 0.0;
    if (!std::isfinite(l))
        return value;  // value / step beyond the doubles
    if (value <= l)
        return l;
    // l lies within a step or two below value; where adding the step no
    // longer changes l, value itself is the nearest representable tick.
    for (int i = 0; i < 4 && l < value; ++i) {
        const double next = l + s;
        if (next == l)
            return value;
        l = next;
    }
    return l < value ? value : l;
}

int tickDecimals(double step, int maxDecimals)
{
    const int cap = qBound(0, maxDecimals, TBasePlotter::kMaxDecimals);
    const double f = step - std::floor(step);
    if (!std::isfinite(f) || f == 0)
        return 0;
    const double d = std::ceil(-std::log10(f));
    return d < 0 ? 0 : d > cap ? cap : int(d);
}

QStringList tickLabels(const QVector<double>& values, int decimals, bool logScale)
{
    QStringList out;
    out.reserve(values.size());
    if (logScale) {
        for (double v : values)
            out << QString::number(v, 'E', decimals);
        return out;
    }
    QStringList fixed;
    fixed.reserve(values.size());
    int largest = -1;
    for (int k = 0; k < values.size(); ++k) {
        fixed << QString::number(values[k], 'f', decimals);
        if (largest < 0 || std::fabs(values[k]) > std::fabs(values[largest]))
            largest = k;
    }
    if (largest < 0)
        return out;
    // The E form counts decimals after the mantissa's point, not the
    // value's: 1.2E+06 at 0 decimals reads "1E+06". It gets the digits
    // that make each label as exact as its fixed form (d only grows, so
    // each value is looked at about once) and neighbours tell apart.
    const int most = std::max(decimals, 17);
    int d = decimals;
    auto exact = [&](int k) {
        const double v = values[k];
        const double tolerance = std::max(std::fabs(fixed[k].toDouble() - v), 1e-12 * std::fabs(v));
        return std::fabs(QString::number(v, 'E', d).toDouble() - v) <= tolerance;
    };
    for (int k = 0; k < values.size(); ++k) {
        while (d < most && !exact(k))
            ++d;
    }
    QStringList exp;
    for (;;) {
        exp.clear();
        for (double v : values)
            exp << QString::number(v, 'E', d);
        bool apart = true;
        for (int k = 1; k < values.size() && apart; ++k)
            apart = values[k] == values[k - 1] || exp[k] != exp[k - 1];
        if (apart || d >= most)
            break;
        ++d;
    }
    // One notation for the axis, by the largest tick in view.
    return exp[largest].size() < fixed[largest].size() ? exp : fixed;
}

double firstStepAtOrAbove(double t, double step, double from)
{
    if (!(t < from))
        return t;
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(t) || !std::isfinite(from))
        return std::numeric_limits<double>::quiet_NaN();
    const double k = std::ceil((from - t) / step);
    double next = t + k * step;
    // Rounding may leave the jump a step short.
    if (next < from)
        next += step;
    if (std::fabs(next) < 1e-6 * step)
        next = 0;
    return next;
}

struct TBasePlotter::TickPlan {
    bool ok = false;
    double first = 0;
    double step = 0;
};

TBasePlotter::TickPlan TBasePlotter::tickPlan(const TPlotAxis& axis, const TSegmentLayout& layout,
                                              const QRectF& area) const
{
    TickPlan plan;
    if (layout.isEmpty())
        return plan;
    const double first = layout.values.first().from();
    if (layout.logScale) {
        if (!(first > 0))
            return plan;
        plan.step = 10.0;
        plan.first = std::pow(10.0, std::ceil(std::log10(first)));
    } else {
        if (!axis.autoTickStep) {
            plan.step = axis.tickStep;
        } else {
            const double length = axis.horizontal ? area.width() : area.height();
            plan.step = niceTickStep(layout.values.length(),
                                     length - m_properties->breakGap() * (layout.count() - 1), 120, false);
        }
        if (!(plan.step > 0) || !std::isfinite(plan.step))
            return plan;
        plan.first = ceilToStep(first, plan.step);
    }
    plan.ok = std::isfinite(plan.first);
    return plan;
}

double TBasePlotter::segmentTicks(const TValueRange& v, const TValueRange& s, const TPlotAxis& axis, double t,
                                  double step, QVector<TAxisTick>& major, QVector<TAxisTick>& minor) const
{
    const bool up = (axis.horizontal != 0) != (axis.reversed == 1);
    const bool log = axis.isLogScale();
    auto full = [&] { return major.size() + minor.size() >= kMaxTicks; };
    auto add = [&](QVector<TAxisTick>& to, double value) {
        if (insideRange(v, value) && !full())
            to.append({value, TSegmentLayout::toPixel(v, s, up, log, value)});
    };
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(t))
        return t;
    if (!log) {
        // Below the segment, jump to its first step: walking there one
        // step at a time can take for ever (stored segments lie anywhere).
        const double start = firstStepAtOrAbove(t, step, v.from());
        if (!std::isfinite(start))
            return t;
        t = start;
        const double half = 0.5 * step;
        add(minor, t - half);
        while (t <= v.to() && !full()) {
            if (t >= v.from())
                add(major, t);
            add(minor, t + half);
            double next = t + step;
            if (std::fabs(next) < 1e-6 * step)
                next = 0;
            if (!(next > t))
                break;  // no longer advances
            t = next;
        }
        return t;
    }
    if (step > 1) {
        for (int k = 1; k < step && k <= 100; ++k)
            add(minor, t - (t / step) * k);
    }
    while (t <= v.to() && !full()) {
        if (t >= v.from())
            add(major, t);
        if (step > 1 && t != 0) {
            for (int j = 2; j <= step && j <= 100; ++j)
                add(minor, t * j);
        }
        const double next = t * step;
        if (!(next > t))
            break;  // no longer advances (or t <= 0)
        t = next;
    }
    return t;
}

bool TBasePlotter::axisLineAt(const TPlotAxis& axis, const QRectF& area, double& position) const
{
    if (axis.atEdge) {
        position = axisLinePosition(axis, area);
        return std::isfinite(position);
    }
    position = axis.crossValue;
    return axisValueToPixel(position, axis.horizontal ? 2 : 1);
}

struct TBasePlotter::AxisTicks {
    QVector<TAxisTick> major, minor;
    QVector<int> segment;  // of each major tick
    QStringList texts;     // of each major tick
    double step = 0;
};

TBasePlotter::AxisTicks TBasePlotter::axisTicks(const TPlotAxis& axis, const TSegmentLayout& layout,
                                                const QRectF& area) const
{
    AxisTicks ticks;
    const TickPlan plan = tickPlan(axis, layout, area);
    if (!plan.ok)
        return ticks;
    ticks.step = plan.step;
    const int n = layout.count();
    const double last = layout.values.last().to();
    double t = plan.first;
    int i = 0;
    while (t <= last && ticks.major.size() + ticks.minor.size() < kMaxTicks) {
        if (t > layout.values.at(i).to()) {
            if (++i >= n)
                break;
        }
        const TValueRange& v = layout.values.at(i);
        const double before = t;
        t = segmentTicks(v, layout.pixels.at(i), axis, t, plan.step, ticks.major, ticks.minor);
        while (ticks.segment.size() < ticks.major.size())
            ticks.segment.append(i);
        // A tick value stuck inside the segment would come back here for
        // ever.
        if (t == before && t <= v.to())
            break;
    }
    QVector<double> values;
    values.reserve(ticks.major.size());
    for (const TAxisTick& tick : ticks.major)
        values.append(tick.value);
    ticks.texts = tickLabels(values, tickDecimals(plan.step, axis.decimals), layout.logScale);
    return ticks;
}

double TBasePlotter::labelHeight(const QFontMetricsF& fm)
{
    return fm.size(0, QStringLiteral("0")).height();
}

double TBasePlotter::labelDepth(const TPlotAxis& axis, const TValueRangeList& segments, const QRectF& area,
                                const QFontMetricsF& fm) const
{
    double depth = fm.horizontalAdvance(QLatin1Char('4')) * qBound(0, int(axis.decimals), kMaxDecimals);
    const TSegmentLayout layout = segmentLayout(axis, segments, area);
    if (layout.isEmpty())
        return depth;
    DepthCache& c = m_depthCache;
    const double length = axis.horizontal ? area.width() : area.height();
    const QFont& font = m_properties->font();
    if (c.valid && c.values == layout.values && c.length == length && c.gap == m_properties->breakGap() &&
        c.tickStep == axis.tickStep && c.decimals == axis.decimals && c.autoTickStep == axis.autoTickStep &&
        c.logScale == layout.logScale && c.font == font)
        return c.depth;
    for (const QString& text : axisTicks(axis, layout, area).texts)
        depth = std::max(depth, fm.size(0, text).width());
    c.valid = true;
    c.values = layout.values;
    c.length = length;
    c.gap = m_properties->breakGap();
    c.tickStep = axis.tickStep;
    c.decimals = axis.decimals;
    c.autoTickStep = axis.autoTickStep;
    c.logScale = layout.logScale;
    c.font = font;
    c.depth = depth;
    return depth;
}

void TBasePlotter::drawAxis(QPainter* painter, const TPlotAxis& axis, const TValueRangeList& segments) const
{
    if (!axis.visible)
        return;
    const QRectF area = this->area();
    if (!isDrawable(area))
        return;
    const TSegmentLayout layout = segmentLayout(axis, segments, area);
    const int n = layout.count();
    if (n == 0)
        return;  // nothing visible: nothing to draw
    const QFont font = pixelSizedFont(m_properties->font());
    const QFontMetricsF fm(font, painter->device());
    const double w55 = fm.horizontalAdvance(QStringLiteral("55"));
    const double lineSpacing = fm.lineSpacing();
    const bool horizontal = axis.horizontal != 0;
    const bool rotated = !horizontal && m_properties->isTextRotated();
    const bool far = axis.labelSide != 2;
    const double out = far ? 1.0 : -1.0;

    painter->save();
    painter->setFont(font);
    painter->setPen(m_properties->axesPen());
    double pos = 0;
    if (!axisLineAt(axis, area, pos)) {
        painter->restore();
        return;
    }

    QVector<QLineF> lines;
    auto along = [&](double a, double b) {
        return horizontal ? QLineF(a, pos, b, pos) : QLineF(pos, a, pos, b);
    };
    auto across = [&](double c, double length) {
        return horizontal ? QLineF(c, pos, c, pos + out * length) : QLineF(pos, c, pos + out * length, c);
    };
    auto breakStroke = [&](double e) {
        return horizontal ? QLineF(e - 6, pos + 6, e + 6, pos - 6) : QLineF(pos - 6, e - 6, pos + 6, e + 6);
    };
    for (int i = 0; i < n; ++i) {
        const TValueRange& s = layout.pixels.at(i);
        lines << along(s.from(), s.to());
        // The edge facing the next segment lies where the values grow.
        const double nextEdge = layout.increasing ? s.to() : s.from();
        const double previousEdge = layout.increasing ? s.from() : s.to();
        if (i + 1 < n)
            lines << breakStroke(nextEdge);
        if (i > 0)
            lines << breakStroke(previousEdge);
    }
    if (!horizontal)
        preparePainter(painter);

    const AxisTicks ticks = axisTicks(axis, layout, area);
    for (const TAxisTick& tick : ticks.minor)
        lines << across(tick.coordinate, 9.0);
    // Unrotated labels of a vertical axis go into a band as wide as the
    // widest of them (and at least `decimals` digits), so none is cut.
    double depth = fm.horizontalAdvance(QLatin1Char('4')) * qBound(0, int(axis.decimals), kMaxDecimals);
    QVector<double> widths;
    widths.reserve(ticks.texts.size());
    for (const QString& text : ticks.texts) {
        widths.append(fm.size(0, text).width());
        depth = std::max(depth, widths.last());
    }
    // A label is drawn whole inside the device rectangle or not at all,
    // and keeps a digit's width from the previous drawn one (the two
    // labels beside a cut gap would otherwise run together).
    const bool bounded = isDrawable(m_deviceRect);
    const double apart = w55 / 2;
    double previousFrom = 0, previousTo = 0;
    bool drawnBefore = false;
    auto fits = [&](const QRectF& box) {
        if (bounded && !m_deviceRect.contains(box))
            return false;
        const double from = horizontal ? box.left() : box.top();
        const double to = horizontal ? box.right() : box.bottom();
        return !drawnBefore || from >= previousTo + apart || to <= previousFrom - apart;
    };
    auto drawn = [&](const QRectF& box) {
        previousFrom = horizontal ? box.left() : box.top();
        previousTo = horizontal ? box.right() : box.bottom();
        drawnBefore = true;
    };
    double room = std::numeric_limits<double>::max();
    for (int k = 0; k < ticks.major.size(); ++k) {
        const TAxisTick& tick = ticks.major.at(k);
        const int i = ticks.segment.at(k);
        const TValueRange& v = layout.values.at(i);
        const TValueRange& s = layout.pixels.at(i);
        const double stepLength = layout.logScale ? (s.to() - s.from()) / std::log10(v.to() / v.from())
                                                  : (s.to() - s.from()) * ticks.step / (v.to() - v.from());
        double spacing = std::fabs(stepLength) - w55;
        if (!std::isfinite(spacing))
            spacing = std::numeric_limits<double>::max();  // a segment of no length: no thinning
        const double c = tick.coordinate;
        if (room == std::numeric_limits<double>::max())
            room = spacing;
        const QLineF mark = across(c, 18.0);
        lines << mark;
        const double ex = mark.x2(), ey = mark.y2();
        const QString& text = ticks.texts.at(k);
        const double w = widths.at(k);
        if (horizontal || rotated) {
            const double h = fm.size(0, text).height();
            if (w > room) {
                room += spacing;
                continue;
            }
            if (horizontal) {
                const double y = far ? ey + h + 3 : ey - 3;
                const QRectF box(c - w / 2, y - fm.ascent(), w, fm.ascent() + fm.descent());
                if (!fits(box)) {
                    room += spacing;
                    continue;
                }
                painter->drawText(QPointF(c - w / 2, y), text);
                drawn(box);
            } else {
                const double x = far ? ex + h + 3 : ex - 3;
                const QRectF box(x - fm.ascent(), c - w / 2, fm.ascent() + fm.descent(), w);
                if (!fits(box)) {
                    room += spacing;
                    continue;
                }
                painter->save();
                painter->translate(x, c + w / 2);
                painter->rotate(-90);
                painter->drawText(QPointF(0, 0), text);
                painter->restore();
                drawn(box);
            }
            room = spacing;
        } else {
            const QRectF band = far ? QRectF(ex + 3, c - lineSpacing / 2, depth, lineSpacing)
                                    : QRectF(ex - 3 - depth, c - lineSpacing / 2, depth, lineSpacing);
            const QRectF box = far ? QRectF(band.left(), band.top(), w, lineSpacing)
                                   : QRectF(band.right() - w, band.top(), w, lineSpacing);
            if (!fits(box))
                continue;
            painter->drawText(band, (far ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, text);
            drawn(box);
        }
    }

    if (axis.captionVisible && !axis.caption.isEmpty()) {
        // Below the labels' extent (their line and the descent under it),
        // 3 units apart as the labels are from the marks.
        const double labels = labelHeight(fm) + fm.descent() + 3;
        if (horizontal) {
            const double y = far ? pos + 18 + 3 + labels : pos - 18 - 3 - 2 * lineSpacing;
            painter->drawText(QRectF(area.x(), y, area.width(), lineSpacing), axis.captionAlignment, axis.caption);
        } else {
            const double x = far ? pos + 18 + 3 + (rotated ? labels : depth)
                                 : pos - 18 - 3 - (rotated ? lineSpacing : depth) - lineSpacing;
            painter->save();
            painter->translate(x, area.y() + area.height());
            painter->rotate(-90);
            painter->drawText(QRectF(0, 0, area.height(), lineSpacing), axis.captionAlignment, axis.caption);
            painter->restore();
        }
    }
    painter->drawLines(lines);
    painter->restore();
}

void TBasePlotter::drawGrid(QPainter* painter, const TPlotAxis& axisA, const TValueRangeList& segmentsA,
                            const TPlotAxis& axisB, const TValueRangeList& segmentsB) const
{
    const QRectF area = this->area();
    if (!isDrawable(area))
        return;
    const TSegmentLayout a = segmentLayout(axisA, segmentsA, area);
    const TSegmentLayout b = segmentLayout(axisB, segmentsB, area);
    if (a.isEmpty() || b.isEmpty())
        return;
    painter->save();
    painter->setPen(m_properties->gridPen());
    double pos = 0;
    if (!axisLineAt(axisA, area, pos)) {
        painter->restore();
        return;
    }
    const TickPlan plan = tickPlan(axisA, a, area);
    QVector<QLineF> lines;
    const bool horizontal = axisA.horizontal != 0;
    auto lineAt = [&](double c) {
        for (int j = 0; j < b.count() && lines.size() < kMaxTicks; ++j) {
            const TValueRange& s = b.pixels.at(j);
            lines << (horizontal ? QLineF(c, s.from(), c, s.to()) : QLineF(s.from(), c, s.to(), c));
        }
    };
    if (plan.ok) {
        const double last = a.values.last().to();
        double t = plan.first;
        int i = 0;
        while (t <= last && lines.size() < kMaxTicks) {
            if (t > a.values.at(i).to()) {
                if (i + 1 >= a.count())
                    break;
                // Both edges of the gap, as the axis draws its break
                // strokes: the edge facing the next segment lies where
                // the values grow.
                const TValueRange& s = a.pixels.at(i);
                const TValueRange& next = a.pixels.at(i + 1);
                lineAt(a.increasing ? s.to() : s.from());
                lineAt(a.increasing ? next.from() : next.to());
                ++i;
                continue;
            }
            if (t < a.values.at(i).from() && !a.logScale) {
                // Jump to the segment's first step (see segmentTicks).
                const double start = firstStepAtOrAbove(t, plan.step, a.values.at(i).from());
                if (!std::isfinite(start))
                    break;
                t = start;
                continue;
            }
            if (t >= a.values.at(i).from())
                lineAt(a.toPixel(i, t));
            const double next = a.logScale ? t * plan.step : t + plan.step;
            if (!(next > t))
                break;  // no longer advances
            t = next;
        }
    }
    preparePainter(painter);
    painter->drawLines(lines);
    painter->restore();
}
