// Plot property groups: the look of a plot (inset, margins, break gap,
// background, pens of axes, grid and frame, font, frame sides, grid and
// baseline switches), owned by the plot, read by the painters, edited by
// the property pages through a bag and stored with the plot.
//
// IBasePlotProperties is the read interface, TBasePlotProperties the group
// of every plot, T1DPlotProperties the group of one-dimensional plots,
// which adds the trace pen and the line style. Lengths are drawing units
// of 1/300 inch.
//
// Stream forms (block stream):
//   base: an empty header block, then a main block: outerInset, margin,
//         breakGap (doubles), background (QBrush), axesPen, gridPen,
//         framePen (QPen), font (QFont), frameSides (qint32),
//         textOrientation (qint8), tickParameter (qint32), flags (qint16:
//         only the low 16 bits are kept);
//   1-D:  a block holding the base form, an empty header block, then a
//         main block: tracePen (QPen), lineStyle (qint8).
// A main block of length 0 keeps the current values; damaged bytes leave
// the stream failed and the group as it was.
#pragma once

#include <QBrush>
#include <QFont>
#include <QPen>

#include <cstdint>

class TDataStream;

class IBasePlotProperties {
public:
    virtual ~IBasePlotProperties() = default;
    virtual double outerInset() const = 0;
    virtual double margin() const = 0;
    virtual double breakGap() const = 0;
    virtual const QBrush& background() const = 0;
    virtual const QPen& axesPen() const = 0;
    virtual const QPen& gridPen() const = 0;
    virtual const QPen& framePen() const = 0;
    virtual const QFont& font() const = 0;
    virtual int32_t frameSides() const = 0;
    virtual int32_t tickParameter() const = 0;
    virtual int32_t textOrientation() const = 0;
    virtual bool isTextRotated() const = 0;
    virtual int32_t flags() const = 0;
    virtual bool showVerticalGrid() const = 0;
    virtual bool showHorizontalGrid() const = 0;
    virtual bool gridOver() const = 0;
    virtual bool showBaseline() const = 0;
};

class TBasePlotProperties : public IBasePlotProperties {
public:
    enum Flag {
        VerticalGrid = 0x1,    // lines at the ticks of axis 1
        HorizontalGrid = 0x2,  // lines at the ticks of axis 2
        Baseline = 0x10,       // baseline under centroid traces
        GridOver = 0x100,      // grid over the traces
    };
    enum FrameSide { FrameTop = 1, FrameLeft = 2, FrameBottom = 4, FrameRight = 8 };

    TBasePlotProperties();
    TBasePlotProperties(const TBasePlotProperties&) = default;
    TBasePlotProperties& operator=(const TBasePlotProperties&) = default;

    double outerInset() const override { return m_outerInset; }
    double margin() const override { return m_margin; }
    double breakGap() const override { return m_breakGap; }
    const QBrush& background() const override { return m_background; }
    const QPen& axesPen() const override { return m_axesPen; }
    const QPen& gridPen() const override { return m_gridPen; }
    const QPen& framePen() const override { return m_framePen; }
    const QFont& font() const override { return m_font; }
    int32_t frameSides() const override { return m_frameSides; }
    int32_t tickParameter() const override { return m_tickParameter; }
    int32_t textOrientation() const override { return m_textOrientation; }
    bool isTextRotated() const override { return m_textOrientation == 1; }
    int32_t flags() const override { return m_flags; }
    bool showVerticalGrid() const override { return m_flags & VerticalGrid; }
    bool showHorizontalGrid() const override { return m_flags & HorizontalGrid; }
    bool gridOver() const override { return m_flags & GridOver; }
    bool showBaseline() const override { return m_flags & Baseline; }

    virtual void write(TDataStream& s) const;
    // False when the stream failed; the group then keeps what it held.
    virtual bool read(TDataStream& s);
    virtual void reserved() {}
    // The groups write the same bytes.
    virtual bool equals(const TBasePlotProperties& other) const;
    virtual void assign(const TBasePlotProperties& other);

    int32_t typeTag() const { return m_typeTag; }
    void setOuterInset(double v) { m_outerInset = v; }
    void setMargin(double v) { m_margin = v; }
    void setBreakGap(double v) { m_breakGap = v; }
    void setBackground(const QBrush& b) { m_background = b; }
    void setAxesPen(const QPen& p) { m_axesPen = p; }
    void setGridPen(const QPen& p) { m_gridPen = p; }
    void setFramePen(const QPen& p) { m_framePen = p; }
    void setFont(const QFont& f) { m_font = f; }
    void setFrameSides(int32_t sides) { m_frameSides = sides; }
    void setTextOrientation(int32_t o) { m_textOrientation = o; }
    void setTickParameter(int32_t v) { m_tickParameter = v; }
    void setFlags(int32_t flags) { m_flags = flags; }

protected:
    void assignBase(const TBasePlotProperties& other) { TBasePlotProperties::operator=(other); }

    int32_t m_typeTag = 0;

private:
    double m_outerInset = 30.0;
    double m_margin = 15.0;
    double m_breakGap = 24.0;
    QBrush m_background;
    QPen m_axesPen;
    QPen m_gridPen;
    QPen m_framePen;
    QFont m_font;
    int32_t m_frameSides = 15;
    int32_t m_textOrientation = 0;
    int32_t m_tickParameter = 8;
    int32_t m_flags = VerticalGrid | HorizontalGrid;
};

class T1DPlotProperties : public TBasePlotProperties {
public:
    enum LineStyle { Line = 0, Crosses = 1, Circles = 2 };

    // Dark red, width 2.5, solid, square cap, bevel join.
    static const QPen& defaultTracePen();

    T1DPlotProperties();
    T1DPlotProperties(const TBasePlotProperties& base, const QPen& tracePen);
    T1DPlotProperties(const T1DPlotProperties&) = default;
    T1DPlotProperties& operator=(const T1DPlotProperties&) = default;
    ~T1DPlotProperties() override = default;

    void write(TDataStream& s) const override;
    bool read(TDataStream& s) override;
    // The trace pen and line style come along only from another 1-D group
    // (decided by the group's type: the stored tag does not tell them
    // apart); from a plain group only the base fields.
    void assign(const TBasePlotProperties& other) override;

    const QPen& tracePen() const { return m_tracePen; }
    void setTracePen(const QPen& pen) { m_tracePen = pen; }
    int32_t lineStyle() const { return m_lineStyle; }
    void setLineStyle(int32_t style) { m_lineStyle = style; }

private:
    QPen m_tracePen;
    int32_t m_lineStyle = Line;
};
