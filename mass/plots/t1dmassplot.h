// T1DMassPlot: the plot of one mass chromatogram or mass spectrum inside a
// mass item. It knows its data source (the mass item, through
// IMassPlotable), what it shows (kind 1 chromatogram, 2 spectrum) and how
// (trace style 1 profile, 2 centroids), owns its painter and its peak
// label, title and highlight records. It decides what is painted; the
// painter paints it.
//
// Stream form: the 1-D plot's form, then a header block holding an empty
// block and the highlight, then a main block: kind and trace style
// (signed bytes), the peak label record, the title record. An empty
// header keeps the highlight, an empty main block the rest. Reading goes
// into copies: damaged bytes leave the stream failed and the plot as it
// was.
#pragma once

#include "imassplotable.h"
#include "t1dmassplotter.h"
#include "t1dplot.h"
#include "tlabelproperties.h"

class T1DMassPlot : public T1DPlot {
public:
    enum Kind { NoKind = 0, Chromatogram = 1, Spectrum = 2 };
    enum TraceStyle { NoStyle = 0, Profile = 1, Centroid = 2 };

    // A plot about to read its stream: kind and style 0, labels of axis 2
    // on side 2.
    T1DMassPlot(const QUuid& id, IMassPlotable* source);
    // A new plot of an item: a centroid plot shows only the baseline (flag
    // word 16), any other no grid (0).
    T1DMassPlot(int kind, int traceStyle, const QUuid& id, IMassPlotable* source);
    ~T1DMassPlot() override;

    TBasePlotter& plotter() override { return m_plotter; }
    const TBasePlotter& plotter() const override { return m_plotter; }
    T1DMassPlotter& massPlotter() { return m_plotter; }
    const T1DMassPlotter& massPlotter() const { return m_plotter; }

    // Baseline, trace, peak labels, in the order the grid-over flag asks.
    void draw(QPainter* painter) override;
    // The expanded title format, when the title is visible and not empty.
    void paintTitle(QPainter* painter) override;
    void write(TDataStream& s) const override;
    void read(TDataStream& s) override;
    // The vertical full range becomes the intensity extent of the data
    // shown on axis 1 (cut gaps left out), widened by 10 % of it at both
    // ends, and is shown whole. Nothing without data.
    void fitIntensityToHeight() override;

    IMassPlotable* source() const { return m_source; }
    void setSource(IMassPlotable* source) { m_source = source; }
    int kind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    int traceStyle() const { return m_traceStyle; }
    void setTraceStyle(int style) { m_traceStyle = style; }

    const TMSPeakProperties& peakProperties() const { return m_peakProperties; }
    TMSPeakProperties& peakProperties() { return m_peakProperties; }
    void setPeakProperties(const TMSPeakProperties& p) { m_peakProperties = p; }
    const TMSTitleProperties& titleProperties() const { return m_titleProperties; }
    TMSTitleProperties& titleProperties() { return m_titleProperties; }
    void setTitleProperties(const TMSTitleProperties& p) { m_titleProperties = p; }
    const TMSHighlightProperties& highlight() const { return m_highlight; }
    TMSHighlightProperties& highlight() { return m_highlight; }
    void setHighlight(const TMSHighlightProperties& h) { m_highlight = h; }

private:
    IMassPlotable* m_source;
    int32_t m_kind = NoKind;
    int32_t m_traceStyle = NoStyle;
    TMSPeakProperties m_peakProperties;
    TMSTitleProperties m_titleProperties;
    TMSHighlightProperties m_highlight;
    // Last: it borrows the records above.
    T1DMassPlotter m_plotter;
};
