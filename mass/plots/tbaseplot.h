// TBasePlot: the model of every plot of a mass item. A plot has two axes
// (1 horizontal, 2 vertical) and for each a list of displayed segments:
// the parts of the axis' full range that have not been cut away (never
// empty). The operations here are those that commands, mouse modes and
// script objects apply: zoom, pan, cut and restore ranges, full zoom out,
// full ranges, and state snapshots for undo. The derived classes hold the
// axes, the segment lists and the property group.
//
// Axis numbers: 2 is axis 2, any other number axis 1. Axis flags: bit 0
// axis 1, bit 1 axis 2.
//
// Snapshot (saveState/restoreState): a block stream holding axis 1, its
// segments, axis 2, its segments. Bytes that do not parse leave the view
// as it was.
//
// Painting, mapping and hit tests go through the plot's painter
// (TBasePlotter, owned by the derived class): paint lays out background
// and frame, both axes, the grid before or after the traces (the
// grid-over flag) and the title.
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QUuid>

#include "tplotaxis.h"
#include "tvaluerange.h"

class QPainter;
class TDataStream;
class TBasePlotProperties;
class TBasePlotter;

class TBasePlot {
public:
    TBasePlot(int type, const QUuid& id) : m_type(type), m_id(id) {}
    virtual ~TBasePlot() = default;
    TBasePlot(const TBasePlot&) = delete;
    TBasePlot& operator=(const TBasePlot&) = delete;

    int type() const { return m_type; }
    const QUuid& id() const { return m_id; }
    int visible() const { return m_visible; }
    void setVisible(int visible) { m_visible = visible; }

    // Storage of the derived class.
    virtual TPlotAxis& axis1() = 0;
    virtual TPlotAxis& axis2() = 0;
    virtual TValueRangeList& segments1() = 0;
    virtual TValueRangeList& segments2() = 0;
    virtual const TPlotAxis& axis1() const = 0;
    virtual const TPlotAxis& axis2() const = 0;
    virtual const TValueRangeList& segments1() const = 0;
    virtual const TValueRangeList& segments2() const = 0;
    virtual const TBasePlotProperties& properties() const = 0;
    virtual void setProperties(const TBasePlotProperties& properties) = 0;

    virtual void panHorizontal(double delta);
    virtual void panVertical(double delta);
    virtual TBasePlotter& plotter() = 0;
    virtual const TBasePlotter& plotter() const = 0;
    // Axis 1 with its segments, then axis 2 with its segments.
    virtual void paintAxes(QPainter* painter);
    // The traces.
    virtual void draw(QPainter* painter) = 0;
    virtual void paintTitle(QPainter*) {}
    // The whole plot into the device rectangle `rect`.
    virtual void paint(QPainter* painter, const QRectF& rect);
    virtual void saveAxes(TDataStream& s);
    virtual bool loadAxes(TDataStream& s);
    virtual void write(TDataStream& s) const = 0;
    virtual void read(TDataStream& s) = 0;
    virtual void saveState(QByteArray& state) const;
    // False, the view unchanged, when the bytes do not parse.
    virtual bool restoreState(const QByteArray& state);
    virtual void fullZoomOut() { fullZoomOut(3); }
    virtual void restoreAllRanges() { restoreAllRanges(3); }
    virtual void zoomIntensity(bool increase) = 0;
    virtual void fitIntensityToHeight() = 0;
    virtual void writeVerticalRanges(TDataStream& s) const = 0;
    virtual void readVerticalRanges(TDataStream& s) = 0;

    TPlotAxis& axis(int n) { return n == 2 ? axis2() : axis1(); }
    const TPlotAxis& axis(int n) const { return n == 2 ? axis2() : axis1(); }
    TValueRangeList& segments(int n) { return n == 2 ? segments2() : segments1(); }
    const TValueRangeList& segments(int n) const { return n == 2 ? segments2() : segments1(); }

    void setAxisLabel(int n, const QString& text) { axis(n).setCaption(text); }
    void setAxisLabelVisible(int n, bool on) { axis(n).setCaptionVisible(on); }
    void setAxisVisible(int n, bool on) { axis(n).setVisible(on); }
    void setAxisDecimals(int n, int decimals) { axis(n).setDecimals(decimals); }
    void setAxisLogScale(int n, bool on) { axis(n).setLogScale(on); }

    // The visible range becomes from..to, clamped to the full range;
    // nothing when an end lies in a cut gap or both ends meet.
    void zoom(int n, double from, double to);
    // The axis' full range, keeping the cut gaps that fall inside it (gaps
    // that would leave nothing shown are dropped).
    void setFullRange(int n, double a, double b);
    // Cuts a range away (clipped to the full range); refused when nothing,
    // or nothing of any length, would remain shown.
    void cutRange(int n, const TValueRange& range);
    // Shows a range again (clipped to the full range).
    void restoreRange(int n, const TValueRange& range);
    void restoreAllRanges(int flags);
    void fullZoomOut(int flags);
    // panHorizontal for axis 1, panVertical for axis 2, nothing else.
    void pan(int n, double delta);

    // The whole plot unzoomed into `rect`; axes and device rectangle are
    // left as they were.
    void paintInRect(QPainter* painter, const QRectF& rect);
    // The painter's region code of a device point (see TBasePlotter).
    int hitTest(const QPointF& point) const;
    // Device point to values (and back) in place: flag 1 converts x on
    // axis 1, flag 2 y on axis 2. With flags 3 true when both took, with
    // other flags when either did.
    bool mapFromDevice(QPointF& point, int flags) const;
    bool mapToDevice(QPointF& point, int flags) const;

    // A copy of the axis with its full and visible ranges scaled.
    TPlotAxis scaledAxis(int n, double factor) const;
    // The segments with both ends scaled.
    TValueRangeList scaledSegments(int n, double factor) const;

protected:
    // The segments limited to the full range (never left empty).
    void limitSegmentsToFull(int n);

private:
    int32_t m_type;
    QUuid m_id;
    int32_t m_visible = 1;
};
