// Painting a whole plot: the order of background, frame, axes, grid,
// traces and title; painting unzoomed into another rectangle; and the
// picture of a cut, log-scaled plot with its grid over the trace, written
// into the build folder and probed on its pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "plottertest.h"

using namespace plottertest;

namespace {

// A plot with a trace: a polyline through its points, piece by piece in
// the cells of the segments, as a trace painter draws it.
class TracePlot : public plottest::ModelPlot {
public:
    using ModelPlot::ModelPlot;

    void draw(QPainter* painter) override
    {
        const TSegmentLayout lx = plotter().segmentLayout(axis1(), segments1());
        const TSegmentLayout ly = plotter().segmentLayout(axis2(), segments2());
        QVector<QLineF> lines;
        for (int i = 0; i < lx.count(); ++i) {
            for (int j = 0; j < ly.count(); ++j) {
                const TValueRange& dx = lx.pixels.at(i);
                const TValueRange& dy = ly.pixels.at(j);
                const QRectF cell(dx.from(), dy.from(), dx.to() - dx.from(), dy.to() - dy.from());
                for (int k = 1; k < xs.size(); ++k) {
                    if (lx.values.at(i).position(xs[k - 1]) != 0 || lx.values.at(i).position(xs[k]) != 0)
                        continue;
                    clipLineToRect(lines, QPointF(lx.toPixel(i, xs[k - 1]), ly.toPixel(j, ys[k - 1])),
                                   QPointF(lx.toPixel(i, xs[k]), ly.toPixel(j, ys[k])), cell, true);
                }
            }
        }
        painter->save();
        painter->setPen(tracePen);
        painter->drawLines(lines);
        painter->restore();
    }
    void paintTitle(QPainter* painter) override
    {
        if (!title.isEmpty())
            painter->drawText(QPointF(40, 25), title);
    }

    QVector<double> xs, ys;
    QString title;
    QPen tracePen{QColor(200, 0, 0), 4};
};

// One letter per painted item: B background, F frame, A axis lines,
// T texts (a run as one), h and v horizontal and vertical grid lines,
// D the trace.
QString signature(const PaintRecorder& rec, const TBasePlotProperties& look)
{
    QString s;
    for (const PaintItem& item : rec.items()) {
        QChar c = '?';
        if (item.kind == PaintItem::Text)
            c = 'T';
        else if (item.kind == PaintItem::Rects)
            c = 'B';
        else if (item.pen == look.framePen())
            c = 'F';
        else if (item.pen == look.axesPen())
            c = 'A';
        else if (item.pen == look.gridPen())
            c = item.lines.first().dy() == 0 ? 'h' : 'v';
        else if (item.pen.color() == QColor(200, 0, 0))
            c = 'D';
        if (!(c == 'T' && s.endsWith('T')))
            s += c;
    }
    return s;
}

void lookForTests(TBasePlotProperties& look)
{
    look.setFont(testFont());
    look.setBackground(QBrush(QColor(255, 255, 224)));
    look.setFramePen(QPen(QColor(0, 0, 255), 2.5));
    look.setGridPen(QPen(QColor(0, 160, 0), 3));
    look.setAxesPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
}

void fillTrace(TracePlot& plot)
{
    for (double x = 0; x <= 100; x += 0.25) {
        plot.xs << x;
        plot.ys << std::pow(10.0, 0.3 + 3.2 * (0.5 + 0.5 * std::sin(x / 8)));
    }
}

TEST(PlotterPaint, OrderOfTheParts)
{
    TracePlot plot(0, 100, 0, 1000);
    lookForTests(plot.look());
    fillTrace(plot);
    plot.title = "title";
    for (bool over : {false, true}) {
        plot.look().setFlags(TBasePlotProperties::VerticalGrid | TBasePlotProperties::HorizontalGrid |
                             (over ? TBasePlotProperties::GridOver : 0));
        PaintRecorder rec;
        {
            QPainter p(&rec);
            const PainterState before(p);
            plot.paint(&p, QRectF(0, 0, 900, 600));
            EXPECT_TRUE(PainterState(p) == before);
        }
        EXPECT_EQ(signature(rec, plot.look()), over ? "BFTATADhvT" : "BFTATAhvDT");
        EXPECT_EQ(plot.plotter().deviceRect(), QRectF(0, 0, 900, 600));
    }
    // Only the vertical grid.
    plot.look().setFlags(TBasePlotProperties::VerticalGrid);
    PaintRecorder rec;
    {
        QPainter p(&rec);
        plot.paint(&p, QRectF(0, 0, 900, 600));
    }
    EXPECT_EQ(signature(rec, plot.look()), "BFTATAvDT");
}

TEST(PlotterPaint, InAnotherRectangleUnzoomed)
{
    TracePlot plot(0, 100, 0, 1000);
    lookForTests(plot.look());
    plot.zoom(1, 20, 40);
    plot.plotter().setDeviceRect(QRectF(5, 5, 300, 200));
    PaintRecorder rec;
    {
        QPainter p(&rec);
        plot.paintInRect(&p, QRectF(0, 0, 900, 600));
    }
    const QVector<QString> texts = rec.texts();
    EXPECT_TRUE(texts.contains("0") && texts.contains("100")) << "the full range is painted";
    EXPECT_EQ(plot.axis1().visibleFrom, 20);
    EXPECT_EQ(plot.axis1().visibleTo, 40);
    EXPECT_EQ(plot.plotter().deviceRect(), QRectF(5, 5, 300, 200));
    // The frame lies in the given rectangle.
    const QVector<PaintItem> lines = rec.itemsOf(PaintItem::Lines);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_GT(lines[0].lines[1].x1(), 600) << "the right edge of the frame";
}

TEST(PlotterPaint, CutLogGridOverPicture)
{
    TracePlot plot(0, 100, 1, 10000);
    lookForTests(plot.look());
    plot.look().setFlags(TBasePlotProperties::VerticalGrid | TBasePlotProperties::HorizontalGrid |
                         TBasePlotProperties::GridOver);
    plot.setAxisLogScale(2, true);
    plot.setAxisLabel(1, "Time (min)");
    plot.setAxisLabel(2, "Intensity");
    plot.axis2().labelSide = 2;
    plot.cutRange(1, TValueRange(40, 60));
    fillTrace(plot);
    const QRectF device(0, 0, 900, 600);

    auto render = [&](bool over) {
        plot.look().setFlags(TBasePlotProperties::VerticalGrid | TBasePlotProperties::HorizontalGrid |
                             (over ? TBasePlotProperties::GridOver : 0));
        QImage image(900, 600, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        plot.paint(&p, device);
        return image;
    };
    const QImage image = render(true);
    ASSERT_TRUE(image.save(QStringLiteral(KS_BINARY_DIR "/plotter_cut_log_grid.png")));
    const QImage under = render(false);

    const QRectF area = plot.plotter().plotArea();
    const unsigned background = 0xffffe0, grid = 0x00a000, trace = 0xc80000, black = 0;
    EXPECT_EQ(rgbAt(image, area.x() + 8, area.y() + 8), background);

    // Where the trace crosses a vertical grid line, the grid lies on top;
    // painted before the trace, it lies below.
    PaintRecorder rec;
    {
        QPainter p(&rec);
        plot.plotter().drawGrid(&p, plot.axis1(), plot.segments1(), plot.axis2(), plot.segments2());
    }
    int crossings = 0;
    for (const QLineF& l : rec.allLines()) {
        if (l.dx() != 0)
            continue;
        QPointF v(l.x1(), 0);
        if (!plot.mapFromDevice(v, 1))
            continue;
        const double x = std::round(v.x() * 4) / 4;  // a data point
        if (std::fabs(x - v.x()) > 1e-6 || x == 0 || x == 100)
            continue;  // a gap edge or the ends of the area
        QPointF at(x, std::pow(10.0, 0.3 + 3.2 * (0.5 + 0.5 * std::sin(x / 8))));
        ASSERT_TRUE(plot.mapToDevice(at, 3));
        EXPECT_EQ(rgbAt(image, at.x(), at.y()), grid) << "x " << x;
        EXPECT_EQ(rgbAt(under, at.x(), at.y()), trace) << "x " << x;
        ++crossings;
    }
    EXPECT_GE(crossings, 3);

    // Decades of the log axis are evenly spaced grid lines.
    QPointF d1(0, 10), d2(0, 100), d3(0, 1000);
    ASSERT_TRUE(plot.mapToDevice(d1, 2) && plot.mapToDevice(d2, 2) && plot.mapToDevice(d3, 2));
    EXPECT_NEAR(d1.y() - d2.y(), d2.y() - d3.y(), 1e-9);
    EXPECT_EQ(rgbAt(image, area.right() - 3, d2.y()), grid);

    // The axis line stops at the cut: black along each segment, nothing in
    // the middle of the gap between them.
    const TSegmentLayout lx = plot.plotter().segmentLayout(plot.axis1(), plot.segments1());
    ASSERT_EQ(lx.count(), 2);
    const double pos = plot.plotter().axisLinePosition(plot.axis1(), area);
    const double gapMiddle = (lx.pixels.at(0).to() + lx.pixels.at(1).from()) / 2;
    EXPECT_EQ(rgbAt(image, (lx.pixels.at(0).from() + lx.pixels.at(0).to()) / 2 + 3, pos), black);
    EXPECT_EQ(rgbAt(image, gapMiddle, pos), 0xffffffu);
    // The trace does not cross the gap inside the plot area.
    for (double y = area.y() + 2; y < area.bottom() - 2; y += 1)
        ASSERT_NE(rgbAt(image, gapMiddle, y), trace) << "y " << y;
}

}  // namespace
