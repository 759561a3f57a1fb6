// Frame and background, the overlays (value box with crosshair lines,
// marker line to the zero line, selection shapes, value markers,
// highlights) and line clipping.
#include <gtest/gtest.h>

#include <limits>

#include "plottertest.h"

using namespace plottertest;

namespace {

TEST(PlotterOverlays, FrameSidesInTheirOrder)
{
    Rig rig;
    rig.look.setFramePen(QPen(Qt::blue, 3));
    PaintRecorder rec;
    {
        QPainter p(&rec);
        const PainterState before(p);
        rig.plotter.drawFrame(&p);
        EXPECT_TRUE(PainterState(p) == before);
    }
    ASSERT_EQ(rec.items().size(), 1);
    EXPECT_EQ(rec.items()[0].pen, QPen(Qt::blue, 3));
    EXPECT_EQ(rec.items()[0].lines,
              (QVector<QLineF>{QLineF(100, 50, 100, 450), QLineF(700, 50, 700, 450), QLineF(100, 50, 700, 50),
                               QLineF(100, 450, 700, 450)}))
        << "left, right, top, bottom";
    EXPECT_EQ(rig.plotter.prepared, 1);
    // Top and right only.
    rig.look.setFrameSides(TBasePlotProperties::FrameTop | TBasePlotProperties::FrameRight);
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawFrame(&p);
    }
    EXPECT_EQ(rec.allLines(), (QVector<QLineF>{QLineF(700, 50, 700, 450), QLineF(100, 50, 700, 50)}));
    // No side: nothing drawn and the painter not prepared.
    rig.look.setFrameSides(0);
    rec.clear();
    rig.plotter.prepared = 0;
    {
        QPainter p(&rec);
        rig.plotter.drawFrame(&p);
    }
    EXPECT_TRUE(rec.items().isEmpty());
    EXPECT_EQ(rig.plotter.prepared, 0);
}

TEST(PlotterOverlays, BackgroundUnlessTransparent)
{
    Rig rig;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawBackground(&p);  // the default is transparent
    }
    EXPECT_TRUE(rec.items().isEmpty());
    rig.look.setBackground(QBrush(QColor(255, 255, 200)));
    {
        QPainter p(&rec);
        rig.plotter.drawBackground(&p);
    }
    ASSERT_EQ(rec.items().size(), 1);
    EXPECT_EQ(rec.items()[0].rects, (QVector<QRectF>{QRectF(100, 50, 600, 400)}));
    EXPECT_EQ(rec.items()[0].brush.color(), QColor(255, 255, 200));
    // A colour with alpha 0 counts as transparent whatever its rgb.
    rig.look.setBackground(QBrush(QColor(255, 0, 0, 0)));
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawBackground(&p);
    }
    EXPECT_TRUE(rec.items().isEmpty());
}

TEST(PlotterOverlays, LineAcross)
{
    Rig rig;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawLineAcross(&p, QPen(Qt::red), 300, 1);
        rig.plotter.drawLineAcross(&p, QPen(Qt::red), 200, 2);
    }
    EXPECT_EQ(rec.allLines(), (QVector<QLineF>{QLineF(300, 450, 300, 50), QLineF(100, 200, 700, 200)}));
    EXPECT_EQ(rig.plotter.prepared, 2);
}

// ---- value box ----

struct BoxRow {
    const char* name;
    QRectF area;
    QPointF point;
    int flags;
    // The expected box as a function of the text size (w, h).
    std::function<QRectF(double, double)> box;  // null: no box
    int lines;                                   // crosshair lines drawn
};

TEST(PlotterOverlays, LabelBoxPlacement)
{
    const QString text = "25.000 [1.5E+03]";
    const BoxRow rows[] = {
        {"above on the right", QRectF(100, 50, 600, 400), {300, 400}, 3,
         [](double w, double h) { return QRectF(324, 400 - 124 - h, w + 6, h + 6); }, 2},
        {"slid down by 10s", QRectF(100, 50, 600, 400), {300, 150}, 3,
         [](double w, double h) {
             // The first of 10 units steps that brings the top to 50 or below.
             const double top = 150 - 124 - h;
             const double k = std::ceil((50 - top) / 10);
             return QRectF(324, top + 10 * k, w + 6, h + 6);
         },
         2},
        {"below on the right", QRectF(100, 50, 600, 400), {300, 60}, 3,
         [](double w, double h) { return QRectF(324, 90, w + 6, h + 6); }, 2},
        {"below on the left", QRectF(100, 50, 600, 400), {690, 60}, 3,
         [](double w, double h) { return QRectF(690 - 24 - w - 6, 90, w + 6, h + 6); }, 2},
        {"above on the left", QRectF(100, 50, 600, 400), {690, 440}, 3,
         [](double w, double h) { return QRectF(690 - 24 - w - 6, 440 - 18 - h - 6, w + 6, h + 6); }, 2},
        {"no room: lines only", QRectF(100, 50, 60, 40), {130, 70}, 3, nullptr, 2},
        {"point outside horizontally: horizontal line and box", QRectF(100, 50, 600, 400), {90, 400}, 3,
         [](double w, double h) { return QRectF(114, 400 - 124 - h, w + 6, h + 6); }, 1},
        {"vertical line only", QRectF(100, 50, 600, 400), {300, 400}, 1,
         [](double w, double h) { return QRectF(324, 400 - 124 - h, w + 6, h + 6); }, 1},
        {"no line, no box", QRectF(100, 50, 600, 400), {50, 400}, 1, nullptr, 0},
    };
    const QSizeF size = testMetrics().size(0, text);
    for (const BoxRow& row : rows) {
        Rig rig;
        rig.plotter.setFixedPlotArea(row.area);
        PaintRecorder rec;
        {
            QPainter p(&rec);
            const PainterState before(p);
            rig.plotter.drawLabelBox(&p, row.point, text, 1, row.flags);
            EXPECT_TRUE(PainterState(p) == before) << row.name;
        }
        // Each crosshair line comes with its axis mark.
        int crosshair = 0;
        for (const QLineF& l : rec.allLines()) {
            if (near(lengthOf(l), 18))
                continue;
            ++crosshair;
            EXPECT_TRUE(l.dx() == 0 ? near(lengthOf(l), row.area.height()) : near(lengthOf(l), row.area.width()))
                << row.name;
        }
        EXPECT_EQ(crosshair, row.lines) << row.name;
        EXPECT_EQ(rec.allLines().size(), 2 * row.lines) << row.name;
        const QVector<PaintItem> rects = rec.itemsOf(PaintItem::Rects);
        if (!row.box) {
            EXPECT_TRUE(rects.isEmpty()) << row.name;
            EXPECT_TRUE(rec.texts().isEmpty()) << row.name;
            continue;
        }
        ASSERT_EQ(rects.size(), 1) << row.name;
        const QRectF expected = row.box(size.width(), size.height());
        EXPECT_EQ(rects[0].rects[0], expected) << row.name;
        EXPECT_EQ(rects[0].brush, QBrush(Qt::white)) << row.name;
        EXPECT_EQ(rects[0].pen.color(), markerColor(1)) << row.name;
        ASSERT_EQ(rec.texts(), QVector<QString>{text}) << row.name;
        const PaintItem t = rec.itemsOf(PaintItem::Text)[0];
        EXPECT_NEAR(t.position.x(), expected.x() + 3, 1e-9) << row.name;
    }
}

TEST(PlotterOverlays, LabelBoxMarksAndColours)
{
    Rig rig;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawLabelBox(&p, QPointF(300, 200), QString(), 0, 3);
    }
    EXPECT_EQ(rec.allLines(), (QVector<QLineF>{QLineF(300, 50, 300, 450), QLineF(300, 465, 300, 483),
                                               QLineF(100, 200, 700, 200), QLineF(715, 200, 733, 200)}));
    for (const PaintItem& item : rec.items())
        EXPECT_EQ(item.pen.color(), QColor::fromRgbF(0.78125, 0, 0, 1));
    EXPECT_EQ(markerColor(1), QColor::fromRgbF(0, 0, 0.78125, 1));
    EXPECT_EQ(markerColor(7), markerColor(0));
    EXPECT_EQ(rig.plotter.prepared, 2);
}

class ShiftedPlotter : public CountingPlotter {
public:
    using CountingPlotter::CountingPlotter;
    QTransform matrix() const override { return QTransform::fromTranslate(5, 7); }
};

TEST(PlotterOverlays, LabelBoxMovedByTheMatrix)
{
    Rig rig;
    ShiftedPlotter shifted(rig.plotter.deviceRect(), &rig.x, &rig.y, &rig.sx, &rig.sy, &rig.look);
    shifted.setFixedPlotArea(rig.area());
    PaintRecorder rec;
    {
        QPainter p(&rec);
        shifted.drawLabelBox(&p, QPointF(300, 400), "x", 0, 1);
    }
    const double h = testMetrics().size(0, "x").height();
    EXPECT_EQ(rec.itemsOf(PaintItem::Rects)[0].rects[0].topLeft(), QPointF(329, 400 - 124 - h + 7));
}

// ---- marker line to intensity 0 ----

TEST(PlotterOverlays, CrosshairDownToZeroInEveryCell)
{
    Rig rig;
    // y segments (0, 400) over 262..450 and (600, 1000) over 50..238.
    setAxis(rig.y, rig.sy, 0, 1000, {{400, 600}});
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawCrosshair(&p, QPointF(400, 200), true);
    }
    ASSERT_EQ(rec.items().size(), 1);
    EXPECT_EQ(rec.items()[0].pen.widthF(), 12);
    EXPECT_EQ(rec.items()[0].pen.color(), markerColor(0));
    EXPECT_EQ(rec.allLines(), (QVector<QLineF>{QLineF(400, 262, 400, 450), QLineF(400, 200, 400, 238)}));
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawCrosshair(&p, QPointF(400, 200), false);
    }
    EXPECT_EQ(rec.allLines(), (QVector<QLineF>{QLineF(400, 262, 400, 450), QLineF(400, 50, 400, 238)}));
    // In a gap of axis 1, or left of the area: nothing.
    setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawCrosshair(&p, QPointF(400, 200), true);
        rig.plotter.drawCrosshair(&p, QPointF(50, 200), true);
        rig.plotter.drawCrosshair(&p, QPointF(kNaN, 200), true);
    }
    EXPECT_TRUE(rec.items().isEmpty());
}

// ---- selection shapes ----

struct SelectionRow {
    const char* name;
    int mode;
    QRectF rect;
    PaintItem::Kind kind;
    QVector<QRectF> rects;
    QVector<QLineF> lines;
};

TEST(PlotterOverlays, SelectionModes)
{
    const SelectionRow rows[] = {
        {"rectangle", 1, QRectF(200, 100, 100, 50), PaintItem::Rects, {QRectF(200, 100, 100, 50)}, {}},
        {"rectangle dragged backwards", 1, QRectF(300, 150, -100, -50), PaintItem::Rects,
         {QRectF(200, 100, 100, 50)}, {}},
        {"rectangle clipped to the area", 1, QRectF(650, 400, 100, 100), PaintItem::Rects,
         {QRectF(650, 400, 50, 50)}, {}},
        {"vertical band over the full height", 2, QRectF(200, 100, 100, -3), PaintItem::Rects,
         {QRectF(200, 50, 100, 400)}, {}},
        {"horizontal band over the full width", 3, QRectF(200, 100, 100, 50), PaintItem::Rects,
         {QRectF(100, 100, 600, 50)}, {}},
        {"unknown mode draws a rectangle", 9, QRectF(200, 100, 100, 50), PaintItem::Rects,
         {QRectF(200, 100, 100, 50)}, {}},
        {"bracket", 5, QRectF(200, 100, 100, 50), PaintItem::Lines, {},
         {QLineF(200, 50, 200, 450), QLineF(300, 50, 300, 450), QLineF(200, 150, 300, 150)}},
        {"bracket dragged upwards", 5, QRectF(200, 150, 100, -50), PaintItem::Lines, {},
         {QLineF(200, 50, 200, 450), QLineF(300, 50, 300, 450), QLineF(200, 100, 300, 100)}},
    };
    for (const SelectionRow& row : rows) {
        Rig rig;
        PaintRecorder rec;
        {
            QPainter p(&rec);
            const PainterState before(p);
            rig.plotter.drawSelection(&p, row.rect, row.mode, 1);
            EXPECT_TRUE(PainterState(p) == before) << row.name;
        }
        ASSERT_EQ(rec.items().size(), 1) << row.name;
        const PaintItem& item = rec.items()[0];
        EXPECT_EQ(item.kind, row.kind) << row.name;
        EXPECT_EQ(item.rects, row.rects) << row.name;
        EXPECT_EQ(item.lines, row.lines) << row.name;
        EXPECT_EQ(item.pen.color(), markerColor(1)) << row.name;
        EXPECT_EQ(item.brush.color().alpha(), 102) << row.name;
        EXPECT_EQ(item.brush.style(), Qt::SolidPattern) << row.name;
        EXPECT_EQ(rig.plotter.prepared, 1) << row.name;
    }
    // Mode 0, and a selection wholly outside the area, draw nothing.
    Rig rig;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawSelection(&p, QRectF(200, 100, 100, 50), 0, 0);
        rig.plotter.drawSelection(&p, QRectF(710, 100, 100, 50), 1, 0);
    }
    EXPECT_TRUE(rec.items().isEmpty());
}

TEST(PlotterOverlays, SelectionBracketMirrorLine)
{
    Rig rig;
    // Intensity 0 at the bottom: -v has no place, no mirror line.
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawSelection(&p, QRectF(200, 100, 100, 50), 5, 0);
    }
    EXPECT_EQ(rec.allLines().size(), 3);
    // Over (-1000, 1000) the edge at y 150 is intensity 500; -500 lies at 350.
    setAxis(rig.y, rig.sy, -1000, 1000);
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawSelection(&p, QRectF(200, 100, 100, 50), 5, 0);
    }
    ASSERT_EQ(rec.allLines().size(), 4);
    EXPECT_EQ(rec.allLines()[3], QLineF(200, 350, 300, 350));
}

TEST(PlotterOverlays, SelectionCrossOddEven)
{
    Rig rig;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawSelection(&p, QRectF(400, 300, -100, -100), 4, 0);
    }
    ASSERT_EQ(rec.items().size(), 1);
    const PaintItem& item = rec.items()[0];
    EXPECT_EQ(item.kind, PaintItem::Polygon);
    EXPECT_EQ(item.polygonMode, QPaintEngine::OddEvenMode);
    const QPolygonF expected(QVector<QPointF>{{300, 200}, {300, 50},  {400, 50},  {400, 200},
                                              {700, 200}, {700, 300}, {400, 300}, {400, 450},
                                              {300, 450}, {300, 300}, {100, 300}, {100, 200}});
    EXPECT_EQ(item.polygon, expected);

    // On pixels: the cross of both bands shaded once, the corners of the
    // area clear.
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        rig.plotter.drawSelection(&p, QRectF(300, 200, 100, 100), 4, 0);
    }
    image.save(QStringLiteral(KS_BINARY_DIR "/plotter_cross_selection.png"));
    const unsigned white = 0xffffff;
    EXPECT_NE(rgbAt(image, 350, 100), white) << "band above the selection";
    EXPECT_NE(rgbAt(image, 350, 400), white) << "band below";
    EXPECT_NE(rgbAt(image, 150, 250), white) << "band to the left";
    EXPECT_NE(rgbAt(image, 650, 250), white) << "band to the right";
    EXPECT_EQ(rgbAt(image, 350, 250), rgbAt(image, 350, 100)) << "the selection itself, once";
    EXPECT_EQ(rgbAt(image, 150, 100), white) << "outside both bands";
    EXPECT_EQ(rgbAt(image, 650, 400), white) << "outside both bands";
    EXPECT_EQ(rgbAt(image, 350, 100), rgbAt(image, 150, 250)) << "one shade";
}

// ---- value markers and highlights ----

TEST(PlotterOverlays, ValueMarkerOnlyAtPlacedValues)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});
    rig.x.setVisibleRange(10, 90);
    const QPen pen(QColor(0, 0, 255, 200));
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawValueMarker(&p, pen, 25, 1);  // placed
        rig.plotter.drawValueMarker(&p, pen, 50, 1);  // in the cut gap
        rig.plotter.drawValueMarker(&p, pen, 95, 1);  // outside the visible range
        rig.plotter.drawValueMarker(&p, pen, 500, 2); // axis 2
        rig.plotter.drawValueMarker(&p, pen, kNaN, 1);
    }
    const TSegmentLayout l = rig.plotter.segmentLayout(rig.x, rig.sx);
    EXPECT_EQ(rec.allLines(),
              (QVector<QLineF>{QLineF(l.toPixel(0, 25), 450, l.toPixel(0, 25), 50), QLineF(100, 250, 700, 250)}));
    EXPECT_EQ(rec.items()[0].pen, pen);
}

TEST(PlotterOverlays, HighlightPiecesAcrossGaps)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});  // 100..388 and 412..700
    setAxis(rig.y, rig.sy, 0, 1000, {{400, 600}});  // 262..450 and 50..238
    struct Case {
        const char* name;
        QRectF values;
        QVector<QRectF> rects;
    } cases[] = {
        {"whole area", QRectF(0, 0, 0, 0), {QRectF(100, 50, 600, 400)}},
        {"one piece", QRectF(10, 100, 20, 200), {QRectF(172, 309, 144, 94)}},
        {"across the x gap, full height", QRectF(30, 0, 40, 0), {QRectF(316, 50, 72, 400), QRectF(412, 50, 72, 400)}},
        {"across both gaps", QRectF(30, 300, 40, 500),
         {QRectF(316, 262, 72, 47), QRectF(316, 144, 72, 94), QRectF(412, 262, 72, 47), QRectF(412, 144, 72, 94)}},
        {"only in a gap", QRectF(45, 0, 10, 0), {}},
        {"negative width", QRectF(30, 0, -20, 0), {QRectF(172, 50, 144, 400)}},
    };
    for (const Case& c : cases) {
        PaintRecorder rec;
        {
            QPainter p(&rec);
            p.setBrush(QColor(0, 128, 128, 64));
            p.setPen(Qt::NoPen);
            rig.plotter.drawHighlightRect(&p, c.values);
        }
        QVector<QRectF> got;
        for (const PaintItem& item : rec.items()) {
            got << item.rects;
            EXPECT_EQ(item.brush.color(), QColor(0, 128, 128, 64)) << c.name;
        }
        ASSERT_EQ(got.size(), c.rects.size()) << c.name;
        for (int i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], c.rects[i]) << c.name << " piece " << i;
    }
}

TEST(PlotterOverlays, ValueRangesToDeviceRanges)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});
    EXPECT_EQ(rangesOf(rig.plotter.valueRangeToDeviceRanges(TValueRange(30, 70), rig.x, rig.sx)),
              (Ranges{{316, 388}, {412, 484}}));
    EXPECT_EQ(rangesOf(rig.plotter.valueRangeToDeviceRanges(TValueRange(40, 60), rig.x, rig.sx)), Ranges{})
        << "touching ends are no overlap";
    EXPECT_EQ(rangesOf(rig.plotter.valueRangeToDeviceRanges(TValueRange(), rig.x, rig.sx)),
              (Ranges{{100, 388}, {412, 700}}));
}

// ---- clipping ----

TEST(PlotterOverlays, ClipLineToRect)
{
    const QRectF r(0, 0, 100, 50);
    struct Case {
        const char* name;
        QPointF p1, p2;
        bool vertically;
        QVector<QLineF> out;
    } cases[] = {
        {"inside", {10, 10}, {90, 40}, true, {QLineF(10, 10, 90, 40)}},
        {"through the bottom", {50, 25}, {50, 125}, true, {QLineF(50, 25, 50, 50)}},
        {"through the top", {50, -75}, {50, 25}, true, {QLineF(50, 0, 50, 25)}},
        {"across left and right", {-50, 10}, {150, 30}, true, {QLineF(0, 15, 100, 25)}},
        {"diagonal out of a corner", {-10, -10}, {10, 10}, true, {QLineF(0, 0, 10, 10)}},
        {"both below", {10, 60}, {90, 70}, true, {}},
        {"both left", {-10, 10}, {-5, 40}, true, {}},
        {"misses the corner", {-20, 10}, {10, -20}, true, {}},
        {"vertically unclipped", {50, -75}, {50, 125}, false, {QLineF(50, -75, 50, 125)}},
        {"NaN end", {kNaN, 10}, {10, 10}, true, {}},
    };
    for (const Case& c : cases) {
        QVector<QLineF> lines;
        clipLineToRect(lines, c.p1, c.p2, r, c.vertically);
        EXPECT_EQ(lines, c.out) << c.name;
    }
}

}  // namespace
