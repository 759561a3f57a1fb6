#include "tbaseplot.h"

#include "tdatastream.h"

#include <algorithm>

namespace {

// The range clipped to the full range of the axis, each end through the
// order-keeping setters so that an end that would cross the other stays.
TValueRange clippedToFull(const TPlotAxis& a, TValueRange r)
{
    if (a.fullTo < r.to())
        r.setTo(a.fullTo);
    if (a.fullFrom > r.from())
        r.setFrom(a.fullFrom);
    return r;
}

// Snap mode of a pan: towards the upper edge of a gap when the window moves
// to lower values on the screen's direction of the axis.
int panSnapMode(const TPlotAxis& a, double delta)
{
    const bool rev = a.reversed == 1;
    return ((delta < 0 && !rev) || (delta > 0 && rev)) ? 1 : 0;
}

}  // namespace

void TBasePlot::zoom(int n, double from, double to)
{
    TPlotAxis& a = axis(n);
    const TValueRangeList& seg = segments(n);
    const double f = a.clampToFull(from);
    const double t = a.clampToFull(to);
    if (!seg.contains(f) || !seg.contains(t))
        return;
    if (f == t)
        return;
    const double lo = f < t ? f : t;
    const double hi = f < t ? t : f;
    a.visibleFrom = seg.snapOutOfGap(lo, 1);
    a.visibleTo = seg.snapOutOfGap(hi, 0);
}

void TBasePlot::setFullRange(int n, double a, double b)
{
    axis(n).setFullRange(a, b);
    limitSegmentsToFull(n);
}

void TBasePlot::limitSegmentsToFull(int n)
{
    const TPlotAxis& ax = axis(n);
    TValueRangeList& seg = segments(n);
    seg.limitTo(ax.fullFrom, ax.fullTo);
    // Gaps of a stored list that is unsorted or overlapping can cover the
    // whole new range; a plot always shows something, so such gaps go.
    if (seg.isEmpty() || !(seg.length() > 0))
        seg.set(TValueRange(ax.fullFrom, ax.fullTo));
}

void TBasePlot::cutRange(int n, const TValueRange& range)
{
    const TValueRange r = clippedToFull(axis(n), range);
    TValueRangeList copy = segments(n);
    copy.remove(r);
    // A list of nothing but zero-length segments shows nothing: painters
    // would divide by its length.
    if (copy.isEmpty() || !(copy.length() > 0))
        return;
    segments(n) = copy;
}

void TBasePlot::restoreRange(int n, const TValueRange& range)
{
    segments(n).add(clippedToFull(axis(n), range));
}

void TBasePlot::restoreAllRanges(int flags)
{
    if (flags & 1)
        segments1().set(TValueRange(axis1().fullFrom, axis1().fullTo));
    if (flags & 2)
        segments2().set(TValueRange(axis2().fullFrom, axis2().fullTo));
}

void TBasePlot::fullZoomOut(int flags)
{
    if (flags & 1)
        axis1().showFullRange();
    if (flags & 2)
        axis2().showFullRange();
}

void TBasePlot::pan(int n, double delta)
{
    if (n == 1)
        panHorizontal(delta);
    else if (n == 2)
        panVertical(delta);
}

void TBasePlot::panHorizontal(double d)
{
    TPlotAxis& a = axis1();
    const TValueRangeList& seg = segments1();
    double f = a.visibleFrom + d;
    double t = a.visibleTo + d;
    if (t > a.fullTo) {
        const double excess = t - a.fullTo;
        t = a.fullTo;
        if (f > a.fullFrom)
            f = std::max(f - excess, a.fullFrom);
    }
    if (f < a.fullFrom) {
        const double deficit = a.fullFrom - f;
        f = a.fullFrom;
        if (t < a.fullTo)
            t = std::min(t + deficit, a.fullTo);
    }
    if (t > a.fullTo || f < a.fullFrom)
        return;
    const int mode = panSnapMode(a, d);
    const double snappedTo = seg.snapOutOfGap(t, mode);
    const double snappedFrom = seg.snapOutOfGap(f, mode);
    // Both ends snapped to the same edge of one gap: an empty window.
    if (!(snappedFrom < snappedTo))
        return;
    a.visibleTo = snappedTo;
    a.visibleFrom = snappedFrom;
}

void TBasePlot::panVertical(double d)
{
    TPlotAxis& a = axis2();
    const double f = a.visibleFrom + d;
    const double t = a.visibleTo + d;
    const int mode = panSnapMode(a, d);
    const double snappedTo = segments2().snapOutOfGap(t, mode);
    const double snappedFrom = segments2().snapOutOfGap(f, mode);
    if (!(snappedFrom < snappedTo))
        return;
    a.visibleTo = snappedTo;
    a.visibleFrom = snappedFrom;
    if (t <= a.fullTo && f >= a.fullFrom)
        return;
    if (a.reversed == 1)
        a.setFullRange(t, f);
    else
        a.setFullRange(f, t);
    limitSegmentsToFull(2);
}

void TBasePlot::saveAxes(TDataStream& s)
{
    axis1().write(s);
    axis2().write(s);
    axis1().showFullRange();
    axis2().showFullRange();
}

bool TBasePlot::loadAxes(TDataStream& s)
{
    TPlotAxis a1 = axis1(), a2 = axis2();
    if (!a1.read(s) || !a2.read(s))
        return false;
    axis1() = a1;
    axis2() = a2;
    return true;
}

void TBasePlot::saveState(QByteArray& state) const
{
    TDataStream s(&state, QIODevice::WriteOnly, 0);
    axis1().write(s);
    segments1().write(s);
    axis2().write(s);
    segments2().write(s);
}

bool TBasePlot::restoreState(const QByteArray& state)
{
    QByteArray bytes = state;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    TPlotAxis a1 = axis1(), a2 = axis2();
    TValueRangeList s1, s2;
    if (!a1.read(s) || !s1.read(s) || !a2.read(s) || !s2.read(s))
        return false;
    // A view without a segment would leave the painters nothing to lay out.
    if (s1.isEmpty() || s2.isEmpty())
        return false;
    axis1() = a1;
    segments1() = s1;
    axis2() = a2;
    segments2() = s2;
    return true;
}

TPlotAxis TBasePlot::scaledAxis(int n, double factor) const
{
    TPlotAxis a = axis(n);
    a.setFullRange(a.fullFrom * factor, a.fullTo * factor);
    a.setVisibleRange(a.visibleFrom * factor, a.visibleTo * factor);
    return a;
}

TValueRangeList TBasePlot::scaledSegments(int n, double factor) const
{
    const TValueRangeList& seg = segments(n);
    TValueRangeList out;
    for (int i = 0; i < seg.count(); ++i)
        out.append(TValueRange(seg.at(i).from() * factor, seg.at(i).to() * factor));
    return out;
}
