// TBasePlotter: the painter of a plot. It holds the device rectangle the
// plot is painted into and borrows the plot's two axes, two segment lists
// and property group (it owns none of them: they belong to the plot, or
// for a free-standing painter to the caller, and must outlive it). It lays
// the plot area out inside the device rectangle, converts between axis
// values and device coordinates across the segments of a cut axis, and
// draws background, frame, axes, ticks, grid and the overlays of the
// mouse modes.
//
// Coordinates are device units of the QPainter handed in. Fonts are made
// pixel-sized before they are measured, so text metrics are in the same
// units. Every drawing operation saves the painter before it changes it
// and restores it before it returns.
//
// Layout of an axis (TSegmentLayout): the axis' segments intersected with
// its visible range are distributed over the plot area's extent along the
// axis, one breakGap between neighbours. The layout is empty, and nothing
// on that axis converts or is drawn, when the plot area is empty or not
// finite, when the segments leave no room (a negative drawable length),
// when a bound is not finite, or on a logarithmic axis whose visible
// segments reach 0 or below. Segments of no visible length map to their
// middle (scale 0).
//
// Conversions take the value by reference, change it in place and answer
// whether it could be placed; on false the value is left as it was.
//
// Region codes of hitTest: 0 outside the device rectangle, 1 in its outer
// inset band, 2 elsewhere, 3 plot area, 5 band of axis 1, 6 band of axis 2.
#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QTransform>
#include <QUuid>
#include <QVector>

#include <cmath>
#include <limits>

#include "tplotaxis.h"
#include "tvaluerange.h"

class QPainter;
class QFontMetricsF;
class QPen;
class TBasePlot;
class TBasePlotProperties;

// A tick of one axis: its value and its device coordinate along the axis.
struct TAxisTick {
    double value;
    double coordinate;
};

// The visible segments V of an axis and their device ranges S (stored
// ascending), built once and used for any number of conversions.
class TSegmentLayout {
public:
    TValueRangeList values;  // V, in list order
    TValueRangeList pixels;  // S, one per segment of V
    bool increasing = true;  // device coordinates grow with the value
    bool logScale = false;

    int count() const { return values.count(); }
    bool isEmpty() const { return values.isEmpty(); }
    // The first segment holding the value (ends included), or -1.
    int segmentOfValue(double v) const;
    // The first device range holding the coordinate (ends included), or -1.
    int segmentOfPixel(double c) const;

    // The device coordinate of v by the arithmetic of segment i, also for
    // a v outside it (extrapolated). NaN when v has no place (a value of 0
    // or below on a logarithmic axis).
    double toPixel(int i, double v) const { return toPixel(values.at(i), pixels.at(i), increasing, logScale, v); }
    // The same for one value segment and its device range.
    static double toPixel(const TValueRange& a, const TValueRange& s, bool increasing, bool logScale, double v)
    {
        const double w = logScale ? std::log10(a.to() / a.from()) : a.to() - a.from();
        if (w == 0)
            return (s.to() - s.from()) * 0.5 + s.from();
        double d;
        if (logScale) {
            if (!(v > 0))
                return std::numeric_limits<double>::quiet_NaN();
            d = (s.to() - s.from()) / w * std::log10(v / a.from());
        } else {
            d = (s.to() - s.from()) / w * (v - a.from());
        }
        return increasing ? s.from() + d : s.to() - d;
    }
    // The value at device coordinate c by the arithmetic of segment i.
    double toValue(int i, double c) const;
};

class TBasePlotter {
public:
    // The painter of a plot: axes, segment lists and property group taken
    // from the plot's read-only accessors; device rectangle zero.
    explicit TBasePlotter(const TBasePlot& plot);
    // A free-standing painter over the given records.
    TBasePlotter(const QRectF& deviceRect, const TPlotAxis* axis1, const TPlotAxis* axis2,
                 const TValueRangeList* segments1, const TValueRangeList* segments2,
                 const TBasePlotProperties* properties);
    virtual ~TBasePlotter() = default;

    // Hooks of derived painters; the base maps nothing.
    virtual QRectF mapRect(const QRectF& rect) const { return rect; }
    virtual double mapCoordinate(const TPlotAxis& axis, double coordinate) const;
    // Called right before frame, grid, marker, selection and vertical-axis
    // drawing.
    virtual void preparePainter(QPainter* painter) const;
    virtual QTransform matrix() const { return QTransform(); }
    // A mark of length 18 outside `rect`: orientation 1 below it at
    // point.x, any other to its right at point.y; with the current pen.
    virtual void drawAxisMark(QPainter* painter, const QPointF& point, const QRectF& rect, int orientation) const;
    virtual const QUuid& typeId() const = 0;
    virtual const TPlotAxis* horizontalAxis() const { return m_axis1; }
    virtual const TPlotAxis* verticalAxis() const { return m_axis2; }
    virtual const TValueRangeList* horizontalSegments() const { return m_segments1; }
    virtual const TValueRangeList* verticalSegments() const { return m_segments2; }
    // Handed a copy of the point before every hit test of the plot.
    virtual void preparePoint(const QPointF& point) const;
    virtual int hitTest(const QPointF& point) const;
    virtual QRectF plotArea() const;

    const QRectF& deviceRect() const { return m_deviceRect; }
    void setDeviceRect(const QRectF& rect) { m_deviceRect = rect; }
    const QRectF& fixedPlotArea() const { return m_fixedPlotArea; }
    void setFixedPlotArea(const QRectF& rect) { m_fixedPlotArea = rect; }
    const TBasePlotProperties& properties() const { return *m_properties; }

    // ---- conversions ----
    bool valueToPixel(double& value, const TPlotAxis& axis, const TValueRangeList& segments) const;
    bool pixelToValue(double& coordinate, const TPlotAxis& axis, const TValueRangeList& segments) const;
    // Axis 1 with segments 1 for number 1, else axis 2 with segments 2.
    bool axisValueToPixel(double& value, int axis) const;
    bool pixelToAxisValue(double& coordinate, int axis) const;
    // x through axis 1, y through axis 2, both tried; true when both took.
    bool valuesToPoint(QPointF& point) const;
    bool pointToValues(QPointF& point) const;

    // ---- layout ----
    // The visible segments of the axis and their device ranges over
    // mapRect(plotArea()) (or over the given area).
    TSegmentLayout segmentLayout(const TPlotAxis& axis, const TValueRangeList& segments) const;
    TSegmentLayout segmentLayout(const TPlotAxis& axis, const TValueRangeList& segments, const QRectF& area) const;
    // Device ranges of the visible segments over the pixel extent.
    TValueRangeList pixelSegments(const TValueRangeList& visible, const TValueRange& extent,
                                  const TPlotAxis& axis) const;
    // Depth of the band an axis needs next to the plot area (0 when hidden):
    // its marks, its labels (unrotated labels of a vertical axis: as wide
    // as the widest label in view, at least `decimals` digits) and the
    // caption below the labels' extent.
    double axisThickness(const TPlotAxis& axis) const;
    QRectF axisRect(const TPlotAxis& axis, const QRectF& area) const;
    double axisLinePosition(const TPlotAxis& axis, const QRectF& area) const;

    // ---- painting ----
    void drawBackground(QPainter* painter) const;
    // One line per side set in frameSides: left, right, top, bottom.
    void drawFrame(QPainter* painter) const;
    // Across the plot area: orientation 1 the vertical line x = coordinate,
    // any other the horizontal line y = coordinate.
    void drawLineAcross(QPainter* painter, const QPen& pen, double coordinate, int orientation) const;

    // ---- axes, ticks and grid ----
    // Appends the ticks of one segment from the tick value t on (a t below
    // the segment jumps to the first step in it); answers the tick value to
    // go on with in the next segment. Stops when t no longer advances or
    // the axis holds kMaxTicks ticks.
    double segmentTicks(const TValueRange& valueSegment, const TValueRange& deviceSegment, const TPlotAxis& axis,
                        double t, double step, QVector<TAxisTick>& major, QVector<TAxisTick>& minor) const;
    // Axis line with break strokes at cut gaps, ticks, labels and caption.
    // A label is drawn whole or not at all: one that would leave the
    // device rectangle or come closer to the previous drawn label than a
    // digit's width is skipped (as are those the spacing thins out).
    void drawAxis(QPainter* painter, const TPlotAxis& axis, const TValueRangeList& segments) const;
    // Lines across the visible segments of B at the major ticks of A.
    void drawGrid(QPainter* painter, const TPlotAxis& axisA, const TValueRangeList& segmentsA,
                  const TPlotAxis& axisB, const TValueRangeList& segmentsB) const;

    // ---- overlays ----
    // Selection modes of drawSelection.
    enum SelectionMode { NoSelection = 0, RectSelection = 1, VerticalBand = 2, HorizontalBand = 3,
                         CrossSelection = 4, BracketSelection = 5 };
    // Line flags of drawLabelBox.
    enum LineFlag { VerticalLine = 1, HorizontalLine = 2 };

    // Crosshair lines through the point and a boxed text next to it.
    void drawLabelBox(QPainter* painter, const QPointF& point, const QString& text, int colorIndex,
                      int lineFlags) const;
    // A thick vertical line at point.x down to intensity 0, from the point
    // or from the top of the plot area.
    void drawCrosshair(QPainter* painter, const QPointF& point, bool fromPoint) const;
    void drawSelection(QPainter* painter, const QRectF& rect, int mode, int colorIndex) const;
    // A line across the plot area at the value of axis 1 (number 1) or 2.
    void drawValueMarker(QPainter* painter, const QPen& pen, double value, int axis) const;
    // Rectangles over a value rectangle, split at cut gaps, with the
    // painter's pen and brush; a width or height of 0 is the whole extent.
    void drawHighlightRect(QPainter* painter, const QRectF& valueRect) const;
    // The device ranges a value range covers on the visible segments.
    TValueRangeList valueRangeToDeviceRanges(const TValueRange& range, const TPlotAxis& axis,
                                             const TValueRangeList& segments) const;

    // Finite bounds and a positive width and height: the only rectangles
    // painted into or hit.
    static bool isDrawable(const QRectF& r)
    {
        return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) &&
               std::isfinite(r.height()) && r.width() > 0 && r.height() > 0;
    }

    // Ticks kept per axis at most; a guard against steps far too small
    // for the range.
    static constexpr int kMaxTicks = 10000;
    // Digits of tick labels at most (a stored count is clamped to 0..32).
    static constexpr int kMaxDecimals = 32;

protected:
    // Room a derived painter keeps at the top of the plot area (a title
    // band), taken before the vertical axis' label band is measured.
    virtual double topReserve() const { return 0.0; }

private:
    QRectF area() const { return mapRect(plotArea()); }
    // The ticks of an axis over an area, their segments and label texts.
    struct AxisTicks;
    AxisTicks axisTicks(const TPlotAxis& axis, const TSegmentLayout& layout, const QRectF& area) const;
    // The plot area before the vertical axes' bands are taken off.
    QRectF areaWithoutVerticalBands() const;
    // The depth of the unrotated labels of a vertical axis over an area:
    // the widest label in view, at least `decimals` digits.
    double labelDepth(const TPlotAxis& axis, const TValueRangeList& segments, const QRectF& area,
                      const QFontMetricsF& fm) const;
    const TValueRangeList* segmentsOf(const TPlotAxis& axis) const;
    // axisThickness; `measure` false takes `decimals` digits for unrotated
    // vertical labels without making them.
    double thickness(const TPlotAxis& axis, bool measure) const;
    // The height of a line of tick labels.
    static double labelHeight(const QFontMetricsF& fm);
    bool convert(double& v, const TPlotAxis& axis, const TValueRangeList& segments, bool toPixel) const;
    bool convertPoint(QPointF& point, bool toPixel) const;
    struct TickPlan;
    TickPlan tickPlan(const TPlotAxis& axis, const TSegmentLayout& layout, const QRectF& area) const;
    bool axisLineAt(const TPlotAxis& axis, const QRectF& area, double& position) const;

    // The last label depth measured and what it depends on: the plot area
    // is laid out on every conversion, and an axis may hold thousands of
    // labels.
    struct DepthCache {
        bool valid = false;
        TValueRangeList values;
        double length = 0, gap = 0, tickStep = 0;
        int32_t decimals = 0;
        bool autoTickStep = true, logScale = false;
        QFont font;
        double depth = 0;
    };
    mutable DepthCache m_depthCache;

    QRectF m_deviceRect;
    QRectF m_fixedPlotArea;
    const TPlotAxis* m_axis1;
    const TPlotAxis* m_axis2;
    const TValueRangeList* m_segments1;
    const TValueRangeList* m_segments2;
    const TBasePlotProperties* m_properties;
};

// A readable tick step for `extent` drawn over `length` device units, one
// tick about every `n` units (callers pass 120); at least 1 with
// atLeastOne. The sign of extent / length; 0 when there is none (no
// extent, no length, or values that are not finite).
double niceTickStep(double extent, double length, double n, bool atLeastOne);
// The smallest multiple of |step| that is >= value; value itself for a
// step of 0 or values that are not finite.
double ceilToStep(double value, double step);
// Decimals of tick labels for a step: those of its fraction, at most
// maxDecimals (clamped to 0..kMaxDecimals).
int tickDecimals(double step, int maxDecimals);
// The label texts of an axis' major ticks, in one notation. A logarithmic
// axis writes the 'E' form with `decimals`. A linear one gives the 'E'
// form the mantissa digits (at least `decimals`) that make every label as
// exact as its fixed form and neighbouring labels differ, and takes it for
// every tick when it is shorter than the fixed form on the largest tick
// in view (by magnitude); else every label is fixed with `decimals`.
QStringList tickLabels(const QVector<double>& values, int decimals, bool logScale);
// The first value t + k * step (k >= 0) at or above `from`: tick walks
// jump over the values below a segment instead of stepping through them.
// t itself when it is already there; a value that is not finite when
// there is none.
double firstStepAtOrAbove(double t, double step, double from);

// Marker colours of the overlays: 0 dark red, 1 dark blue; any other
// index gives colour 0.
const QColor& markerColor(int index);

// Appends the part of the segment p1-p2 inside the rectangle: the ends
// beyond the bottom and top edges (only with clipVertically), then the
// left and right edges, moved onto them; nothing when the segment misses
// the rectangle or a coordinate is not finite.
void clipLineToRect(QVector<QLineF>& lines, QPointF p1, QPointF p2, const QRectF& rect, bool clipVertically);
