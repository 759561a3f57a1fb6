// T1DMassPlotter: the painter of mass plots. It paints a profile trace (a
// polyline, or crosses or circles at the points), a centroid trace (one
// stick per point, with an optional tolerance bar), the zero baseline of
// centroid spectra, the title band above the plot area, and the peak
// labels with the wedges and baselines of chromatogram peaks.
//
// Every T1DMassPlot owns one. Overlays (other spectra, matched isotope
// patterns) build a free-standing one on the stack over the plot's axes
// and segments, with their own line properties (propertiesWithPen) and an
// axis 2 and segment list 2 scaled by their intensity factor.
//
// Cells: each pair of a visible x segment i and a visible y segment j is a
// cell, the rectangle of their device ranges. Points are converted with
// the arithmetic of their cell's segments (also beyond them) and the lines
// clipped to the cell, so nothing crosses a cut gap. Each trace's lines go
// out in one drawLines call; the segment layouts are built once per call.
//
// Data: only the common prefix of the x and y arrays is drawn. A point
// whose x or y is not finite is a gap in a profile and has no stick.
// On a logarithmic intensity axis, where intensity 0 has no place, sticks
// start at the bottom of their cell and no baseline is drawn.
#pragma once

#include <QFontMetricsF>
#include <QStringList>
#include <QVector>

#include "tbaseplotter.h"
#include "tmassdataobj.h"
#include "tmspeak.h"
#include "tplotproperties.h"
#include "tlabelproperties.h"

class QPainter;
class T1DMassPlot;

class T1DMassPlotter : public TBasePlotter {
public:
    // Tolerance modes of the centroid bar.
    enum ToleranceMode { NoTolerance = 0, AbsoluteTolerance = 1, RelativeTolerance = 2 };

    // {bbfdc628-b1be-46da-883a-5ea2ec1fd955}: callers that draw into a
    // plot through its painter check for it.
    static const QUuid& massTypeId();

    // The painter of a plot: its axes, segments, line properties and title.
    explicit T1DMassPlotter(const T1DMassPlot& plot);
    // A free-standing painter; `lineProperties` serves as the property
    // group too. No tolerance bar until setToleranceBand. The pointers
    // must outlive the painter; `title` may be null (no title band).
    T1DMassPlotter(const QRectF& deviceRect, const TPlotAxis* axis1, const TPlotAxis* axis2,
                   const TValueRangeList* segments1, const TValueRangeList* segments2,
                   const T1DPlotProperties* lineProperties, const TMSTitleProperties* title);

    const QUuid& typeId() const override { return massTypeId(); }

    // Half-width `value` in m/z units (absolute) or in ppm of each m/z.
    void setToleranceBand(double value, bool absolute);
    int toleranceMode() const { return m_toleranceMode; }
    double toleranceValue() const { return m_toleranceValue; }
    // The line properties with another trace pen.
    T1DPlotProperties propertiesWithPen(const QPen& pen) const;
    const T1DPlotProperties& lineProperties() const { return *m_lineProperties; }

    void drawProfile(QPainter* painter, const TValueArray& x, const TValueArray& y) const;
    void drawCentroids(QPainter* painter, const TValueArray& x, const TValueArray& y) const;
    // The line at intensity 0 across every x segment, in the grid pen.
    void drawBaseline(QPainter* painter) const;
    // The band at the top of the base plot area: as high as the title
    // font's line plus 6.
    QRectF titleRect() const;
    void drawTitle(QPainter* painter, const QString& text) const;

    // ---- peak labels ----
    // The peaks of one paint call as the label layout reads them.
    class TPeakLabels {
    public:
        TPeakLabels(const T1DMassPlotter& plotter, const TMSPeakProperties& properties);
        virtual ~TPeakLabels() = default;
        virtual int count() const = 0;
        // The device point of peak i; false when it lies in no visible
        // segment (or is not finite).
        virtual bool position(int i, QPointF& point) const = 0;
        // Bit 0 of the peak's flag word.
        virtual bool isHidden(int i) const = 0;
        virtual QString text(int i) const = 0;
        // The lines of text(i), which the layout asks before it makes the
        // text (this default makes it).
        virtual int lineCount(int i) const;
        // Characters one line of text(i) has at least, asked before the
        // text is made (0 here).
        virtual int leastLength(int i) const;
        // Peak j is strictly more intense than peak i.
        virtual bool isWeaker(int i, int j) const = 0;

    protected:
        bool devicePoint(const QPointF& value, QPointF& point) const;
        // The first line (x with the label decimals) and, when a second
        // line is asked for, a line feed and `second` (an empty line for a
        // value that is not finite).
        QString labelText(double x, bool secondLine, double second, const QString& suffix) const;
        // The lines labelText gives for the peak flags: two with any
        // second line asked for.
        int secondLineCount() const { return m_properties.peakFlags & TMSPeakProperties::SecondLineMask ? 2 : 1; }
        // Characters labelText's first line has at least for x: the digits
        // of its whole part, and the decimals with their point.
        int firstLineLength(double x) const;

        const T1DMassPlotter& m_plotter;
        const TMSPeakProperties& m_properties;
        TSegmentLayout m_x, m_y;
    };

    void drawSpectrumPeakLabels(QPainter* painter, const QVector<TMSPeak>& peaks,
                                const TMSPeakProperties& properties, double maximumIntensity) const;
    void drawChromatogramPeakLabels(QPainter* painter, const QVector<TMSChromPeak>& peaks,
                                    const TMSPeakProperties& properties) const;
    // Labels that do not overlap: where two grown label rectangles meet,
    // the more intense peak's label stays (of equal ones the later).
    void layoutPeakLabels(const TPeakLabels& labels, const QFontMetricsF& metrics, QVector<QRectF>& rects,
                          QStringList& texts, QVector<int>& peakIndexes) const;
    // The same with `early` dropping candidates that already meet a
    // stronger label at their least size, before their text is made and
    // measured; false when a label turns out lower than that least size.
    bool layoutPeakLabels(const TPeakLabels& labels, const QFontMetricsF& metrics, bool early, QVector<QRectF>& rects,
                          QStringList& texts, QVector<int>& peakIndexes) const;
    // Wedges at start and end and the baseline of chromatogram peaks at
    // least `threshold` times the highest peak.
    void drawChromatogramPeakMarks(QPainter* painter, const QVector<TMSChromPeak>& peaks,
                                   const TMSPeakProperties& properties) const;
    // A filled triangle, tip at the point, base 27 away and 18 wide: above
    // the point for orientation 1, below it for any other.
    static void drawWedge(QPainter* painter, const QPointF& point, int orientation);

    // Distances of the label layout.
    static constexpr double kLabelLift = 12.0;
    static constexpr double kLabelSpacing = 12.0;

protected:
    // The title band when the title is visible: the plot area lies below it.
    double topReserve() const override;

private:
    // The visible segments of both axes; false when either has none.
    bool layouts(TSegmentLayout& x, TSegmentLayout& y) const;
    static QRectF cellRect(const TSegmentLayout& x, int i, const TSegmentLayout& y, int j);
    void drawLabels(QPainter* painter, const TPeakLabels& labels, const TMSPeakProperties& properties) const;
    double titleBandHeight() const;

    const T1DPlotProperties* m_lineProperties;
    const TMSTitleProperties* m_titleProperties;
    int m_toleranceMode = NoTolerance;
    double m_toleranceValue = 0.0;
};
