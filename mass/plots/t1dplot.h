// T1DPlot: the one-dimensional x/y plot. It holds what the plot base works
// on: axis 1 (type 0) and axis 2 (type 1), their displayed-segment lists
// (each one range over its axis' full range when made), the line and axis
// property group, and the intensity scale (1.0 when made), which the
// document model multiplies into the data's intensity range when it sets
// the vertical full range.
//
// Stream form (block stream): an empty header block, then a main block:
// axis 1, axis 2, segments 1, segments 2, the property group, the
// intensity scale (double). A main block of length 0 keeps everything.
// Reading goes into copies: damaged bytes leave the stream failed and the
// plot as it was.
#pragma once

#include <QPen>

#include "tbaseplot.h"
#include "tplotproperties.h"

class T1DPlot : public TBasePlot {
public:
    T1DPlot(int type, const QUuid& id);

    TPlotAxis& axis1() override { return m_axis1; }
    TPlotAxis& axis2() override { return m_axis2; }
    TValueRangeList& segments1() override { return m_segments1; }
    TValueRangeList& segments2() override { return m_segments2; }
    const TPlotAxis& axis1() const override { return m_axis1; }
    const TPlotAxis& axis2() const override { return m_axis2; }
    const TValueRangeList& segments1() const override { return m_segments1; }
    const TValueRangeList& segments2() const override { return m_segments2; }
    const TBasePlotProperties& properties() const override { return m_properties; }
    // A 1-D group is taken whole; a plain group gives the base fields, the
    // plot keeps its trace pen and the line style goes back to line.
    void setProperties(const TBasePlotProperties& group) override;

    void write(TDataStream& s) const override;
    void read(TDataStream& s) override;
    // Axis 2 and the intensity scale times 1/1.2 (true: the traces look
    // higher) or 1.2 (false); the gaps of axis 2 kept inside the new range.
    void zoomIntensity(bool increase) override;
    // fullFrom, fullTo, visibleFrom, visibleTo of axis 2 (doubles).
    void writeVerticalRanges(TDataStream& s) const override;
    // Reads what writeVerticalRanges wrote: full range (segments limited to
    // it), then visible range. Nothing changes when the bytes run out.
    void readVerticalRanges(TDataStream& s) override;

    const T1DPlotProperties& lineProperties() const { return m_properties; }
    double intensityScale() const { return m_intensityScale; }
    void setIntensityScale(double factor) { m_intensityScale = factor; }
    const QPen& tracePen() const { return m_properties.tracePen(); }
    void setTracePen(const QPen& pen) { m_properties.setTracePen(pen); }
    int lineStyle() const { return m_properties.lineStyle(); }
    void setLineStyle(int style) { m_properties.setLineStyle(style); }
    // The flag word of the property group (grid, baseline, grid-over).
    void setPlotFlags(int32_t flags) { m_properties.setFlags(flags); }

protected:
    // The stored part of a 1-D plot, read into copies first.
    struct Stored {
        TPlotAxis axis1, axis2;
        TValueRangeList segments1, segments2;
        T1DPlotProperties properties;
        double intensityScale;
    };
    Stored stored() const;
    // False, `part` unusable, when the stream failed.
    bool readStored(TDataStream& s, Stored& part) const;
    void takeStored(const Stored& part);

private:
    TPlotAxis m_axis1{0};
    TPlotAxis m_axis2{1};
    TValueRangeList m_segments1;
    TValueRangeList m_segments2;
    T1DPlotProperties m_properties;
    double m_intensityScale = 1.0;
};
