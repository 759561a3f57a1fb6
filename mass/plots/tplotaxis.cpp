#include "tplotaxis.h"

#include "tdatastream.h"

#include <cmath>

TPlotAxis::TPlotAxis(int axisType)
    : type(axisType), horizontal(axisType == 0 ? 1 : 0), captionVisible(axisType != 3), decimals(axisType == 3 ? 3 : 6)
{
}

double TPlotAxis::clampToFull(double v) const
{
    if (v < fullFrom)
        return fullFrom;
    if (v > fullTo)
        return fullTo;
    return v;
}

void TPlotAxis::setFullRange(double a, double b)
{
    if (a > b) {
        reversed = 1;
        fullFrom = b;
        fullTo = a;
    } else if (a < b) {
        reversed = 0;
        fullFrom = a;
        fullTo = b;
    }
}

void TPlotAxis::setVisibleRange(double a, double b)
{
    a = clampToFull(a);
    b = clampToFull(b);
    if (a == b)
        return;
    if (b < a) {
        visibleFrom = b;
        visibleTo = a;
    } else {
        visibleFrom = a;
        visibleTo = b;
    }
}

void TPlotAxis::showFullRange()
{
    visibleFrom = fullFrom;
    visibleTo = fullTo;
}

void TPlotAxis::scale(double factor)
{
    visibleFrom *= factor;
    visibleTo *= factor;
    fullFrom *= factor;
    fullTo *= factor;
}

double TPlotAxis::valueToDevice(double v, double from, double to, double lo, double hi) const
{
    double d = 0;
    if (logScale != 1) {
        const double w = to - from;
        if (w == 0)
            return lo + (hi - lo) * 0.5;
        d = (hi - lo) / w * (v - from);
    } else {
        // log10 of a quotient that is not positive is undefined (or -inf):
        // such values have no place on the axis.
        if (!(v > 0 && from > 0 && to > 0))
            return std::numeric_limits<double>::quiet_NaN();
        const double span = std::log10(to / from);
        if (span == 0)
            return lo + (hi - lo) * 0.5;
        d = std::log10(v / from) * (hi - lo) / span;
    }
    if (horizontal)
        return reversed == 1 ? hi - d : lo + d;
    return reversed == 1 ? lo + d : hi - d;
}

bool TPlotAxis::runsAgainstDevice() const
{
    return (horizontal && reversed == 1) || (!horizontal && reversed != 1);
}

void TPlotAxis::write(TDataStream& s) const
{
    s.beginChain(3);
    s << static_cast<qint8>(logScale) << static_cast<qint8>(labelSide);
    s.endBlock();
    s << static_cast<qint32>(decimals);
    s.endBlock();
    s << captionVisible;
    s.endBlock();

    s.beginBlock();
    s << static_cast<qint32>(type) << static_cast<qint32>(horizontal) << static_cast<qint32>(reversed) << visible
      << crossValue << atEdge << fullFrom << fullTo << visibleFrom << visibleTo << tickStep << autoTickStep << caption
      << static_cast<qint32>(captionAlignment);
    s.endBlock();
}

bool TPlotAxis::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    TPlotAxis a(*this);
    const int reached = s.enterChain(3);
    if (reached >= 3) {
        qint8 log = 0, side = 0;
        s >> log >> side;
        a.logScale = log;
        a.labelSide = side;
    }
    if (reached >= 2) {
        qint32 d = 0;
        s >> d;
        a.decimals = d;
    }
    if (reached >= 1)
        s >> a.captionVisible;

    s.readBlockSize();
    qint32 t = 0, h = 0, r = 0, align = 0;
    s >> t >> h >> r >> a.visible >> a.crossValue >> a.atEdge >> a.fullFrom >> a.fullTo >> a.visibleFrom >>
        a.visibleTo >> a.tickStep >> a.autoTickStep;
    s.readString(a.caption);
    s >> align;
    if (!s.ok())
        return false;
    a.type = t;
    a.horizontal = h;
    a.reversed = r;
    a.captionAlignment = align;
    if (a.type == 3)
        a.decimals = 3;
    *this = a;
    return true;
}
