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

QString tickLabel(double value, int decimals, bool logScale)
{
    if (logScale)
        return QString::number(value, 'E', decimals);
    const QString fixed = QString::number(value, 'f', decimals);
    // The E form counts decimals after the mantissa's point, not the
    // value's: 1.2E+06 at 0 decimals reads "1E+06", and neighbouring ticks
    // got equal labels. It gets the digits it needs to be as exact as the
    // fixed form before the shorter one is taken.
    const double fixedError = std::fabs(fixed.toDouble() - value);
    const double tolerance = std::max(fixedError, 1e-12 * std::fabs(value));
    QString exp = QString::number(value, 'E', decimals);
    for (int d = decimals + 1; d <= 17 && std::fabs(exp.toDouble() - value) > tolerance; ++d)
        exp = QString::number(value, 'E', d);
    return exp.size() < fixed.size() ? exp : fixed;
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
    const int maxDecimals = qBound(0, int(axis.decimals), kMaxDecimals);
    const double w55 = fm.horizontalAdvance(QStringLiteral("55"));
    const double digitsWidth = fm.horizontalAdvance(QLatin1Char('4')) * maxDecimals;
    const double lineSpacing = fm.lineSpacing();
    const bool horizontal = axis.horizontal != 0;
    const bool far = axis.labelSide != 2;
    const double out = far ? 1.0 : -1.0;
    const double last = layout.values.last().to();

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

    const TickPlan plan = tickPlan(axis, layout, area);
    if (plan.ok) {
        const double step = plan.step;
        const int decimals = tickDecimals(step, axis.decimals);
        double t = plan.first;
        double room = std::numeric_limits<double>::max();
        QVector<TAxisTick> major, minor;
        int i = 0;
        int doneMajor = 0, doneMinor = 0;
        while (t <= last && major.size() + minor.size() < kMaxTicks) {
            if (t > layout.values.at(i).to()) {
                if (++i >= n)
                    break;
            }
            const TValueRange& v = layout.values.at(i);
            const TValueRange& s = layout.pixels.at(i);
            const double before = t;
            t = segmentTicks(v, s, axis, t, step, major, minor);
            for (; doneMinor < minor.size(); ++doneMinor)
                lines << across(minor.at(doneMinor).coordinate, 9.0);
            const double stepLength = layout.logScale ? (s.to() - s.from()) / std::log10(v.to() / v.from())
                                                      : (s.to() - s.from()) * step / (v.to() - v.from());
            double spacing = std::fabs(stepLength) - w55;
            if (!std::isfinite(spacing))
                spacing = std::numeric_limits<double>::max();  // a segment of no length: no thinning
            for (; doneMajor < major.size(); ++doneMajor) {
                const TAxisTick& tick = major.at(doneMajor);
                const double c = tick.coordinate;
                if (room == std::numeric_limits<double>::max())
                    room = spacing;
                const QLineF mark = across(c, 18.0);
                lines << mark;
                const double ex = mark.x2(), ey = mark.y2();
                const QString text = tickLabel(tick.value, decimals, layout.logScale);
                if (horizontal || m_properties->isTextRotated()) {
                    const QSizeF size = fm.size(0, text);
                    if (size.width() > room) {
                        room += spacing;
                        continue;
                    }
                    room = spacing;
                    if (horizontal) {
                        const double y = far ? ey + size.height() + 3 : ey - 3;
                        painter->drawText(QPointF(c - size.width() / 2, y), text);
                    } else {
                        painter->save();
                        painter->translate(far ? ex + size.height() + 3 : ex - 3, c + size.width() / 2);
                        painter->rotate(-90);
                        painter->drawText(QPointF(0, 0), text);
                        painter->restore();
                    }
                } else if (far) {
                    painter->drawText(QRectF(ex + 3, c - lineSpacing / 2, digitsWidth, lineSpacing),
                                      Qt::AlignLeft | Qt::AlignVCenter, text);
                } else {
                    painter->drawText(QRectF(ex - 3 - digitsWidth, c - lineSpacing / 2, digitsWidth, lineSpacing),
                                      Qt::AlignRight | Qt::AlignVCenter, text);
                }
            }
            // A tick value stuck inside the segment would come back here
            // for ever.
            if (t == before && t <= v.to())
                break;
        }
    }

    if (axis.captionVisible && !axis.caption.isEmpty()) {
        if (horizontal) {
            const double y = far ? pos + 18 + 3 + lineSpacing : pos - 18 - 3 - 2 * lineSpacing;
            painter->drawText(QRectF(area.x(), y, area.width(), lineSpacing), axis.captionAlignment, axis.caption);
        } else {
            const double depth = m_properties->isTextRotated() ? lineSpacing : digitsWidth;
            const double x = far ? pos + 18 + 3 + depth : pos - 18 - 3 - depth - lineSpacing;
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
