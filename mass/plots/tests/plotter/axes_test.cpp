// Axes, ticks and grid: tick steps, first ticks, label decimals and forms,
// the ticks of one segment, axis drawing (break strokes, marks, labels and
// their thinning, captions, crossing lines) and the grid.
#include <gtest/gtest.h>

#include <QStringList>

#include <limits>
#include <set>

#include "kstest.h"
#include "plottertest.h"

using namespace plottertest;

namespace {

TEST(PlotterAxes, NiceTickSteps)
{
    struct Case {
        double extent, length;
        bool atLeastOne;
        double step;
    } cases[] = {
        {100, 600, false, 50},   // Q 20: M 2, A 10 a multiple of 5, so 5
        {7, 600, false, 1},      // Q 1.4: M 1
        {13, 120, false, 10},    // Q 13: M 1
        {35, 120, false, 20},    // Q 35: M 4 -> 5, A 4: down to 2
        {1, 600, false, 0.5},    // Q 0.2: p 0.1, M 2, A 10 a multiple of 5: 5
        {0.3, 600, false, 0.1},  // Q 0.06: p 0.01, M 6 -> 10, A 30: 2 x 10 <= 30
        {1, 600, true, 1},       // at least one
        {-100, 600, false, -10}, // A -10: M goes down to 1; the sign of the extent
        {100, -600, false, -50}, // and of the length
        {1000, 120, false, 1000},
        {0, 600, false, 0},      // nothing to divide
        {100, 0, false, 0},
        {kNaN, 600, false, 0},
        {kInf, 600, false, 0},
        {100, kInf, false, 0},
    };
    for (const Case& c : cases) {
        const double got = niceTickStep(c.extent, c.length, 120, c.atLeastOne);
        EXPECT_NEAR(got, c.step, 1e-12) << c.extent << " over " << c.length;
    }
    // At least two steps fit into the extent whatever it is.
    for (double extent = 0.01; extent < 1e6; extent *= 1.37) {
        for (double length : {120.0, 400.0, 1500.0}) {
            const double s = niceTickStep(extent, length, 120, false);
            ASSERT_GT(s, 0);
            EXPECT_TRUE(extent / s >= 1.999 || s <= extent) << extent << " " << length << " " << s;
        }
    }
}

TEST(PlotterAxes, CeilToStep)
{
    struct Case {
        double value, step, result;
    } cases[] = {
        {7, 5, 10}, {10, 5, 10}, {-7, 5, -5}, {7, -5, 10}, {0, 5, 0},
        {-0.3, 0.1, -0.2},  // -0.3 / 0.1 is -2.9999999999999996
        {0.25, 0.1, 0.30000000000000004}, {1e300, 1e-300, 1e300}, {5, 0, 5}, {5, kNaN, 5}, {kInf, 5, kInf},
        {-30, 50, 0},
    };
    for (const Case& c : cases) {
        const double got = ceilToStep(c.value, c.step);
        if (!std::isfinite(c.result)) {
            EXPECT_EQ(got, c.result);
            continue;
        }
        EXPECT_FALSE(std::signbit(got) && got == 0) << "no -0";
        EXPECT_NEAR(got, c.result, 1e-12 * std::max(1.0, std::fabs(c.result))) << c.value << " step " << c.step;
        if (std::isfinite(got) && c.step != 0 && std::isfinite(c.step)) {
            EXPECT_GE(got, c.value);
        }
    }
}

TEST(PlotterAxes, LabelDecimals)
{
    EXPECT_EQ(tickDecimals(0.25, 6), 1);
    EXPECT_EQ(tickDecimals(0.05, 6), 2);
    EXPECT_EQ(tickDecimals(20, 6), 0);
    EXPECT_EQ(tickDecimals(2.5, 6), 1);
    EXPECT_EQ(tickDecimals(0.05, 0), 0) << "a maximum of 0 digits forces 0";
    EXPECT_EQ(tickDecimals(0.05, -4), 0);
    EXPECT_EQ(tickDecimals(1e-60, 2000000000), TBasePlotter::kMaxDecimals);
    EXPECT_EQ(tickDecimals(kNaN, 6), 0);
}

// One notation per axis, by the largest tick in view; the E form with the
// mantissa digits that keep each label exact and neighbours apart.
TEST(PlotterAxes, TickLabelsOfAnAxis)
{
    struct Case {
        const char* name;
        QVector<double> values;
        int decimals;
        bool log;
        QStringList labels;
    } cases[] = {
        {"small: fixed", {0, 50, 100, 150}, 0, false, {"0", "50", "100", "150"}},
        // 1.6E+06 is no shorter than 1600000: fixed for all, though 2E+05
        // alone would be shorter than 200000.
        {"a TIC: fixed, one notation",
         {0, 2e5, 4e5, 6e5, 8e5, 1e6, 1.2e6, 1.4e6, 1.6e6},
         0,
         false,
         {"0", "200000", "400000", "600000", "800000", "1000000", "1200000", "1400000", "1600000"}},
        {"a spectrum: E for all, zero too",
         {0, 1e5, 2e5, 3e5, 4e5},
         0,
         false,
         {"0E+00", "1E+05", "2E+05", "3E+05", "4E+05"}},
        {"mantissa digits for the ticks that need them",
         {5e6, 1e7, 1.5e7, 2e7, 2.5e7},
         0,
         false,
         {"5.0E+06", "1.0E+07", "1.5E+07", "2.0E+07", "2.5E+07"}},
        {"the largest by magnitude decides",
         {-2e7, -1e7, 0, 1e6},
         0,
         false,
         {"-2E+07", "-1E+07", "0E+00", "1E+06"}},
        // Rounding residue of the tick walk reads as the tick.
        {"residue", {1199999.9999998, 1400000}, 0, false, {"1200000", "1400000"}},
        {"fractions", {0.1, 0.12, 0.14}, 2, false, {"0.10", "0.12", "0.14"}},
        {"0.0001 at 4 decimals stays fixed", {0, 0.0001, 0.0002}, 4, false, {"0.0000", "0.0001", "0.0002"}},
        {"negative", {-0.5, 0, 0.5}, 1, false, {"-0.5", "0.0", "0.5"}},
        {"neighbours apart in E", {1e20, 1.000001e20}, 0, false, {"1.000000E+20", "1.000001E+20"}},
        {"log axis", {100, 1000}, 0, true, {"1E+02", "1E+03"}},
        {"log axis with decimals", {0.01}, 1, true, {"1.0E-02"}},
        {"nothing", {}, 0, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tickLabels(c.values, c.decimals, c.log), c.labels) << c.name;
}

TEST(PlotterAxes, FirstStepAtOrAboveASegmentStart)
{
    struct Case {
        double t, step, from, result;
    } cases[] = {
        {0, 10, 35, 40},
        {0, 10, 40, 40},
        {50, 10, 40, 50},          // already there
        {-0.3, 0.1, -0.05, 0},     // the residue near 0 is 0
        {0, 0.25, 1e12, 1e12},     // a trillion steps in one
        {0, 1e-3, 1e92, 1e92},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(firstStepAtOrAbove(c.t, c.step, c.from), c.result, 1e-9 * std::max(1.0, c.result))
            << c.t << " " << c.step << " " << c.from;
    EXPECT_FALSE(std::isfinite(firstStepAtOrAbove(0, 0, 10)));
    EXPECT_FALSE(std::isfinite(firstStepAtOrAbove(0, kNaN, 10)));
    EXPECT_FALSE(std::isfinite(firstStepAtOrAbove(-kMax, 1e-300, kMax)));
}

std::vector<double> valuesOf(const QVector<TAxisTick>& ticks)
{
    std::vector<double> out;
    for (const TAxisTick& t : ticks)
        out.push_back(t.value);
    return out;
}

TEST(PlotterAxes, SegmentTicksReachZeroExactly)
{
    Rig rig;
    setAxis(rig.x, rig.sx, -0.3, 0.35);
    QVector<TAxisTick> major, minor;
    const double next = rig.plotter.segmentTicks(TValueRange(-0.3, 0.35), TValueRange(100, 700), rig.x, -0.3, 0.1,
                                                 major, minor);
    const std::vector<double> v = valuesOf(major);
    ASSERT_EQ(v.size(), 7u);
    EXPECT_EQ(v[3], 0.0) << "no residue of the additions";
    EXPECT_NEAR(next, 0.4, 1e-12);
    // Minor ticks halfway, none outside the segment.
    EXPECT_EQ(minor.size(), 6);
    for (const TAxisTick& t : minor)
        EXPECT_TRUE(t.value > -0.3 && t.value < 0.3);
    // Coordinates by the segment's arithmetic.
    EXPECT_NEAR(major.first().coordinate, 100, 1e-9);
    EXPECT_NEAR(major.last().coordinate, 100 + 600 * 0.6 / 0.65, 1e-9);
}

TEST(PlotterAxes, SegmentTicksOfDecades)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 1, 1000);
    rig.x.setLogScale(true);
    QVector<TAxisTick> major, minor;
    const double next =
        rig.plotter.segmentTicks(TValueRange(1, 1000), TValueRange(0, 300), rig.x, 1, 10, major, minor);
    EXPECT_EQ(valuesOf(major), (std::vector<double>{1, 10, 100, 1000}));
    EXPECT_EQ(next, 10000);
    std::vector<double> expected;
    for (double decade : {1.0, 10.0, 100.0})
        for (int j = 2; j <= 10; ++j)
            expected.push_back(decade * j);
    EXPECT_EQ(valuesOf(minor), expected) << "2 to 10 times each decade, the tenth on the next major";
    EXPECT_NEAR(major[1].coordinate, 100, 1e-9);
    // Starting a decade above the segment's start fills the decade below.
    major.clear();
    minor.clear();
    rig.plotter.segmentTicks(TValueRange(3, 1000), TValueRange(0, 300), rig.x, 10, 10, major, minor);
    EXPECT_EQ(valuesOf(major), (std::vector<double>{10, 100, 1000}));
    EXPECT_EQ(minor.first().value, 9);
}

TEST(PlotterAxes, SegmentTicksStopWhenNotAdvancing)
{
    Rig rig;
    QVector<TAxisTick> major, minor;
    // 1e17 + 1 == 1e17.
    const double next =
        rig.plotter.segmentTicks(TValueRange(1e17, 1e17 + 64), TValueRange(0, 300), rig.x, 1e17, 1, major, minor);
    EXPECT_EQ(next, 1e17);
    EXPECT_LE(major.size(), 1);
    // A step of 0 or below adds nothing.
    for (double step : {0.0, -1.0, kNaN, kInf}) {
        major.clear();
        minor.clear();
        rig.plotter.segmentTicks(TValueRange(0, 10), TValueRange(0, 300), rig.x, 0, step, major, minor);
        EXPECT_TRUE(major.isEmpty() && minor.isEmpty()) << step;
    }
    // The ticks of one axis are capped.
    major.clear();
    minor.clear();
    rig.plotter.segmentTicks(TValueRange(0, 1e6), TValueRange(0, 300), rig.x, 0, 1, major, minor);
    EXPECT_EQ(major.size() + minor.size(), TBasePlotter::kMaxTicks);
}

// ---- axis drawing ----

bool diagonal(const QLineF& l)
{
    return l.dx() != 0 && l.dy() != 0;
}

// Perpendicular marks of a given length off a horizontal (or vertical)
// axis line.
QVector<QLineF> marks(const QVector<QLineF>& lines, bool horizontal, double length)
{
    QVector<QLineF> out;
    for (const QLineF& l : lines) {
        const bool across = horizontal ? l.dx() == 0 : l.dy() == 0;
        if (across && near(lengthOf(l), length, 1e-9))
            out << l;
    }
    return out;
}

// A segment far beyond the tick value: the walk jumps to the segment's
// first step (stepping there took about 4e12 steps here, and 1e92 with
// the stored views the fuzzer made).
TEST(PlotterAxes, TicksJumpToAFarSegment)
{
    Rig rig;
    QVector<TAxisTick> major, minor;
    const double next = rig.plotter.segmentTicks(TValueRange(1e12, 1e12 + 1), TValueRange(0, 300), rig.x, 0, 0.25,
                                                 major, minor);
    EXPECT_EQ(valuesOf(major), (std::vector<double>{1e12, 1e12 + 0.25, 1e12 + 0.5, 1e12 + 0.75, 1e12 + 1}));
    EXPECT_EQ(valuesOf(minor), (std::vector<double>{1e12 + 0.125, 1e12 + 0.375, 1e12 + 0.625, 1e12 + 0.875}));
    EXPECT_EQ(next, 1e12 + 1.25);
    // A segment the walk passes without a tick: the first step beyond it.
    major.clear();
    minor.clear();
    EXPECT_EQ(rig.plotter.segmentTicks(TValueRange(1e12 + 0.1, 1e12 + 0.2), TValueRange(0, 300), rig.x, 0, 0.25,
                                       major, minor),
              1e12 + 0.25);
    EXPECT_TRUE(major.isEmpty());
    EXPECT_EQ(valuesOf(minor), (std::vector<double>{1e12 + 0.125}));

    // The axis and its grid over (0, 20) and (1e12, 1e12 + 20), tick step 5.
    setAxis(rig.x, rig.sx, 0, 1e12 + 20, {{20, 1e12}});
    rig.x.autoTickStep = false;
    rig.x.tickStep = 5;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
    }
    EXPECT_EQ(marks(rec.allLines(), true, 18).size(), 10);
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawGrid(&p, rig.x, rig.sx, rig.y, rig.sy);
    }
    EXPECT_EQ(rec.allLines().size(), 10 + 2) << "ticks and both edges of the gap";
}

struct BreakRow {
    const char* name;
    bool horizontal;
    bool reversed;
    double gapFrom, gapTo;  // the device gap between the two segments
};

TEST(PlotterAxes, BreakStrokesAtBothEdgesOfTheGapAndTheGridFollows)
{
    const BreakRow rows[] = {
        {"horizontal", true, false, 388, 412},
        {"horizontal reversed", true, true, 388, 412},
        {"vertical", false, false, 238, 262},
        {"vertical reversed", false, true, 238, 262},
    };
    for (const BreakRow& row : rows) {
        Rig rig;
        TPlotAxis& a = row.horizontal ? rig.x : rig.y;
        TValueRangeList& s = row.horizontal ? rig.sx : rig.sy;
        // Segments (5, 40) and (60, 95): 35 each over the area less a gap
        // of 24 (576 or 376 units).
        if (row.reversed)
            setAxis(a, s, 95, 5, {{40, 60}});
        else
            setAxis(a, s, 5, 95, {{40, 60}});
        a.autoTickStep = false;
        a.tickStep = 25;
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawAxis(&p, a, s);
        }
        QVector<double> strokes;
        for (const QLineF& l : rec.allLines()) {
            if (diagonal(l)) {
                EXPECT_NEAR(lengthOf(l), std::sqrt(288.0), 1e-9) << row.name;
                strokes << (row.horizontal ? l.center().x() : l.center().y());
            }
        }
        std::sort(strokes.begin(), strokes.end());
        ASSERT_EQ(strokes.size(), 2) << row.name << ": none at the outer ends";
        EXPECT_NEAR(strokes[0], row.gapFrom, 1e-9) << row.name;
        EXPECT_NEAR(strokes[1], row.gapTo, 1e-9) << row.name;

        // The grid of the axis crosses the plot at the ticks 25 and 75 and
        // at both edges of the gap (before the fault was mended a vertical
        // axis took the outer ends of its segments).
        rec.clear();
        {
            QPainter p(&rec);
            const TPlotAxis& other = row.horizontal ? rig.y : rig.x;
            const TValueRangeList& os = row.horizontal ? rig.sy : rig.sx;
            rig.plotter.drawGrid(&p, a, s, other, os);
        }
        const TSegmentLayout l = rig.plotter.segmentLayout(a, s);
        QVector<double> grid;
        for (const QLineF& g : rec.allLines())
            grid << (row.horizontal ? g.x1() : g.y1());
        ASSERT_EQ(grid.size(), 4) << row.name;
        EXPECT_NEAR(grid[0], l.toPixel(0, 25), 1e-9) << row.name;
        EXPECT_NEAR(grid[3], l.toPixel(1, 75), 1e-9) << row.name;
        EXPECT_NEAR(std::min(grid[1], grid[2]), row.gapFrom, 1e-9) << row.name;
        EXPECT_NEAR(std::max(grid[1], grid[2]), row.gapTo, 1e-9) << row.name;
        // The first gap line lies at the first segment's edge.
        EXPECT_NEAR(std::fabs(grid[1] - grid[0]), std::fabs(l.toPixel(0, 40) - l.toPixel(0, 25)), 1e-9) << row.name;
    }
}

TEST(PlotterAxes, LinesAndMarksOfOneAxis)
{
    Rig rig;
    rig.x.autoTickStep = false;
    rig.x.tickStep = 20;
    PaintRecorder rec;
    QPainter p(&rec);
    p.setPen(QPen(Qt::green));
    const PainterState before(p);
    rig.plotter.drawAxis(&p, rig.x, rig.sx);
    EXPECT_TRUE(PainterState(p) == before) << "the painter is restored";
    p.end();
    const QVector<PaintItem> lines = rec.itemsOf(PaintItem::Lines);
    ASSERT_EQ(lines.size(), 1) << "every line in one call";
    EXPECT_EQ(lines[0].pen, rig.look.axesPen());
    const QVector<QLineF>& all = lines[0].lines;
    EXPECT_EQ(all.first(), QLineF(100, 465, 700, 465)) << "the axis line";
    const QVector<QLineF> major = marks(all, true, 18);
    ASSERT_EQ(major.size(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(major[i], QLineF(100 + 120 * i, 465, 100 + 120 * i, 483));
    const QVector<QLineF> minor = marks(all, true, 9);
    ASSERT_EQ(minor.size(), 5);
    EXPECT_EQ(minor[0], QLineF(160, 465, 160, 474));
    EXPECT_EQ(rec.texts(), (QVector<QString>{"0", "20", "40", "60", "80", "100"}));
    // Near side: marks upwards from a line above the area.
    rig.x.labelSide = 2;
    rec.clear();
    p.begin(&rec);
    rig.plotter.drawAxis(&p, rig.x, rig.sx);
    p.end();
    EXPECT_EQ(marks(rec.allLines(), true, 18).first(), QLineF(100, 35, 100, 17));
}

TEST(PlotterAxes, LabelPlacement)
{
    Rig rig;
    rig.x.autoTickStep = false;
    rig.x.tickStep = 50;
    rig.y.autoTickStep = false;
    rig.y.tickStep = 500;
    const QFontMetricsF fm = testMetrics();
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
    }
    // Below the mark's end (483): baseline one text height and 3 further.
    const QVector<PaintItem> texts = rec.itemsOf(PaintItem::Text);
    ASSERT_EQ(texts.size(), 3);
    const QSizeF size50 = fm.size(0, "50");
    EXPECT_NEAR(texts[1].position.x(), 400 - size50.width() / 2, 1e-6);
    EXPECT_NEAR(texts[1].position.y(), 483 + size50.height() + 3, 1e-6);
    EXPECT_EQ(texts[1].font.pixelSize(), 20);

    // A vertical axis right of the area writes its labels into boxes of
    // `decimals` digits, vertically centred on the tick.
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.y, rig.sy);
    }
    const QVector<PaintItem> ylabels = rec.itemsOf(PaintItem::Text);
    ASSERT_EQ(ylabels.size(), 3);
    EXPECT_EQ(ylabels[0].text, "0");
    // x: line at 715, mark to 733, 3 more; left-aligned.
    EXPECT_NEAR(ylabels[0].mapped(ylabels[0].position).x(), 736, 1e-6);
    const double baseline0 = ylabels[0].mapped(ylabels[0].position).y();
    const double baseline1 = ylabels[1].mapped(ylabels[1].position).y();
    EXPECT_NEAR(baseline0 - baseline1, 200, 1e-6) << "one step apart";
    EXPECT_GT(baseline0, 450) << "the baseline lies below the tick at 450";
    EXPECT_LT(baseline0 - fm.ascent(), 450);

    // Rotated labels are turned by -90 degrees at (ex + h + 3, c + w / 2).
    rig.look.setTextOrientation(1);
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.y, rig.sy);
    }
    const QVector<PaintItem> rotated = rec.itemsOf(PaintItem::Text);
    ASSERT_EQ(rotated.size(), 3);
    const QSizeF size500 = fm.size(0, "500");
    const QPointF origin = rotated[1].mapped(rotated[1].position);
    EXPECT_NEAR(origin.x(), 733 + size500.height() + 3, 1e-6);
    EXPECT_NEAR(origin.y(), 250 + size500.width() / 2, 1e-6);
    EXPECT_NEAR(rotated[1].transform.m12(), -1, 1e-12) << "x runs upwards";
}

// The box a drawn text covers on the device: its advance from the
// baseline start, from the ascent above the baseline to the descent below.
QRectF textBox(const PaintItem& t)
{
    const QFontMetricsF fm = testMetrics();
    const QRectF r(t.position.x(), t.position.y() - fm.ascent(), fm.size(0, t.text).width(),
                   fm.ascent() + fm.descent());
    return t.transform.mapRect(r);
}

// The texts an axis draws other than its caption, with their boxes.
QVector<PaintItem> drawnLabels(Rig& rig, const TPlotAxis& axis, const TValueRangeList& segments)
{
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, axis, segments);
    }
    QVector<PaintItem> out;
    for (const PaintItem& t : rec.itemsOf(PaintItem::Text))
        if (t.text != axis.caption)
            out << t;
    return out;
}

// Vertical labels are whole in their band (never cut by a box of
// `decimals` digits, which read 1200000 as 200000 and 50000 as 0), in one
// notation, falling from top to bottom.
TEST(PlotterAxes, VerticalLabelBoxesInTheBand)
{
    struct Case {
        const char* name;
        double to;
        int digits;
        int side;
        QStringList topToBottom;
    } cases[] = {
        {"a TIC at 6 digits, right", 1.75e6, 6, 0, {"1500000", "1000000", "500000", "0"}},
        {"a TIC at 6 digits, left", 1.75e6, 6, 2, {"1500000", "1000000", "500000", "0"}},
        {"50000 at 1 digit", 50000, 1, 2, {"50000", "40000", "30000", "20000", "10000", "0"}},
        {"50000 at 3 digits", 50000, 3, 0, {"50000", "40000", "30000", "20000", "10000", "0"}},
        {"0 digits hide nothing", 50000, 0, 2, {"50000", "40000", "30000", "20000", "10000", "0"}},
        {"a spectrum: E", 4.6e5, 6, 2, {"4E+05", "3E+05", "2E+05", "1E+05", "0E+00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.plotter.setFixedPlotArea(QRectF());  // the bands as the axes need them
        setAxis(rig.y, rig.sy, 0, c.to);
        rig.y.decimals = c.digits;
        rig.y.labelSide = c.side;
        const QRectF area = rig.area();
        const QRectF band = rig.plotter.axisRect(rig.y, area);
        QVector<PaintItem> labels = drawnLabels(rig, rig.y, rig.sy);
        std::sort(labels.begin(), labels.end(),
                  [](const PaintItem& a, const PaintItem& b) { return a.position.y() < b.position.y(); });
        QStringList texts;
        for (const PaintItem& t : labels) {
            texts << t.text;
            const QRectF box = textBox(t);
            // The band holds the labels beyond the marks (18 and 3 units).
            EXPECT_GE(box.left(), band.left() - 1e-9) << t.text.toStdString();
            EXPECT_LE(box.right(), band.right() + 1e-9) << t.text.toStdString();
            EXPECT_TRUE(QRectF(0, 0, 800, 600).contains(box)) << t.text.toStdString();
        }
        EXPECT_EQ(texts, c.topToBottom);
        // The plot area leaves the band its room.
        EXPECT_TRUE(band.left() >= area.right() || band.right() <= area.left());
    }
}

// Horizontal and vertical labels are drawn whole inside the device
// rectangle and apart: the last x label at the device's edge and the
// second label beside a cut gap are skipped, their marks stay.
TEST(PlotterAxes, LabelsWholeAndApart)
{
    const double apart = testMetrics().horizontalAdvance("55") / 2;
    auto expectApart = [&](const QVector<PaintItem>& labels, bool horizontal) {
        for (int i = 1; i < labels.size(); ++i) {
            const QRectF a = textBox(labels[i - 1]), b = textBox(labels[i]);
            const double gap = horizontal ? std::max(b.left() - a.right(), a.left() - b.right())
                                          : std::max(b.top() - a.bottom(), a.top() - b.bottom());
            EXPECT_GE(gap, apart - 1e-9) << labels[i - 1].text.toStdString() << " " << labels[i].text.toStdString();
        }
    };
    auto texts = [](const QVector<PaintItem>& labels) {
        QStringList out;
        for (const PaintItem& t : labels)
            out << t.text;
        return out;
    };
    {
        SCOPED_TRACE("the area up to the device's right edge");
        Rig rig;
        rig.plotter.setFixedPlotArea(QRectF(100, 50, 700, 400));
        rig.x.autoTickStep = false;
        rig.x.tickStep = 20;
        const QVector<PaintItem> labels = drawnLabels(rig, rig.x, rig.sx);
        EXPECT_EQ(texts(labels), (QStringList{"0", "20", "40", "60", "80"}));
        for (const PaintItem& t : labels)
            EXPECT_TRUE(QRectF(0, 0, 800, 600).contains(textBox(t)));
    }
    {
        SCOPED_TRACE("a horizontal cut gap");
        Rig rig;
        setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});
        rig.x.autoTickStep = false;
        rig.x.tickStep = 20;
        PaintRecorder rec;
        const QVector<PaintItem> labels = drawnLabels(rig, rig.x, rig.sx);
        EXPECT_EQ(texts(labels), (QStringList{"0", "20", "40", "80", "100"}));
        expectApart(labels, true);
        {
            QPainter p(&rec);
            rig.plotter.drawAxis(&p, rig.x, rig.sx);
        }
        EXPECT_EQ(marks(rec.allLines(), true, 18).size(), 6) << "every tick keeps its mark";
    }
    {
        SCOPED_TRACE("a vertical cut gap");
        Rig rig;
        setAxis(rig.y, rig.sy, 0, 1000, {{400, 600}});
        rig.y.autoTickStep = false;
        rig.y.tickStep = 200;
        const QVector<PaintItem> labels = drawnLabels(rig, rig.y, rig.sy);
        EXPECT_EQ(texts(labels), (QStringList{"0", "200", "400", "800", "1000"}));
        expectApart(labels, false);
    }
}

// Labels wider than one step's spacing but not than two: the first is
// skipped, then every second one is written.
TEST(PlotterAxes, LabelThinning)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 10000, 10009);
    rig.x.autoTickStep = false;
    rig.x.tickStep = 1;
    const QFontMetricsF fm = testMetrics();
    const double w = fm.size(0, "10000").width();
    const double w55 = fm.horizontalAdvance("55");
    const double step = w55 + 0.75 * w;  // spacing 0.75 w
    rig.plotter.setFixedPlotArea(QRectF(100, 50, 9 * step, 400));
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
    }
    EXPECT_EQ(rec.texts(), (QVector<QString>{"10001", "10003", "10005", "10007", "10009"}));
    EXPECT_EQ(marks(rec.allLines(), true, 18).size(), 10) << "every tick keeps its mark";
    // With room for every label, all are written (the device rectangle
    // wide enough to hold the last).
    rig.plotter.setDeviceRect(QRectF(0, 0, 1200, 600));
    rig.plotter.setFixedPlotArea(QRectF(100, 50, 9 * (w55 + 1.01 * w), 400));
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
    }
    EXPECT_EQ(rec.texts().size(), 10);
}

TEST(PlotterAxes, LogarithmicAxis)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 1, 1000);
    rig.x.setLogScale(true);
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
    }
    EXPECT_EQ(rec.texts(), (QVector<QString>{"1E+00", "1E+01", "1E+02", "1E+03"}));
    const QVector<QLineF> major = marks(rec.allLines(), true, 18);
    ASSERT_EQ(major.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(major[i].x1(), 100 + 200 * i, 1e-9);
    const QVector<QLineF> minor = marks(rec.allLines(), true, 9);
    ASSERT_EQ(minor.size(), 27);
    EXPECT_NEAR(minor[0].x1(), 100 + 200 * std::log10(2.0), 1e-9);
}

TEST(PlotterAxes, Captions)
{
    Rig rig;
    rig.x.caption = "m/z";
    rig.y.caption = "Intensity";
    const double ls = testMetrics().lineSpacing();
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
        rig.plotter.drawAxis(&p, rig.y, rig.sy);
    }
    const QVector<PaintItem> texts = rec.itemsOf(PaintItem::Text);
    const auto caption = [&](const QString& text) {
        for (const PaintItem& t : texts)
            if (t.text == text)
                return t;
        ADD_FAILURE() << "no caption " << text.toStdString();
        return PaintItem();
    };
    // Below the labels' extent (their descent included: it touched the
    // caption before), centred under the area, within the axis' band.
    const PaintItem mz = caption("m/z");
    const QFontMetricsF fm = testMetrics();
    const QPointF mzAt = mz.mapped(mz.position);
    EXPECT_NEAR(mzAt.x(), 400 - fm.horizontalAdvance("m/z") / 2, 1.0);
    double labelsBottom = 0;
    for (const PaintItem& t : texts)
        if (t.text != "m/z" && t.text != "Intensity" && t.transform.isIdentity())
            labelsBottom = std::max(labelsBottom, textBox(t).bottom());
    EXPECT_GT(labelsBottom, 465 + 18);
    EXPECT_GE(textBox(mz).top(), labelsBottom);
    // (Qt places text on whole units: half a unit over.)
    EXPECT_LE(textBox(mz).bottom(), 465 + rig.plotter.axisThickness(rig.x) + 1);
    // Turned up along the right of the digit boxes.
    const PaintItem in = caption("Intensity");
    EXPECT_NEAR(in.transform.m12(), -1, 1e-12);
    const double depth = fm.horizontalAdvance(QLatin1Char('4')) * 6;
    const QPointF inAt = in.mapped(in.position);
    EXPECT_GT(inAt.x(), 715 + 21 + depth);
    EXPECT_LT(inAt.x(), 715 + 21 + depth + ls);
    EXPECT_NEAR(inAt.y(), 250 + fm.horizontalAdvance("Intensity") / 2, 1.0);
    // A hidden caption is not written.
    rig.x.captionVisible = false;
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
    }
    EXPECT_FALSE(rec.texts().contains("m/z"));
}

TEST(PlotterAxes, CrossingAxisAndHiddenAxis)
{
    Rig rig;
    rig.x.atEdge = false;
    rig.x.crossValue = 500;  // the middle of axis 2
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
    }
    ASSERT_FALSE(rec.allLines().isEmpty());
    EXPECT_EQ(rec.allLines().first(), QLineF(100, 250, 700, 250));
    // A crossing value that does not convert draws nothing.
    rig.x.crossValue = 5000;
    rec.clear();
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.x, rig.sx);
        rig.plotter.drawGrid(&p, rig.x, rig.sx, rig.y, rig.sy);
    }
    EXPECT_TRUE(rec.items().isEmpty());
    rig.y.visible = false;
    {
        QPainter p(&rec);
        rig.plotter.drawAxis(&p, rig.y, rig.sy);
    }
    EXPECT_TRUE(rec.items().isEmpty());
}

TEST(PlotterAxes, GridLinesAcrossEverySegmentOfTheOtherAxis)
{
    Rig rig;
    rig.x.autoTickStep = false;
    rig.x.tickStep = 50;
    setAxis(rig.y, rig.sy, 0, 1000, {{400, 600}});
    rig.look.setGridPen(QPen(Qt::green));
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawGrid(&p, rig.x, rig.sx, rig.y, rig.sy);
    }
    ASSERT_EQ(rec.items().size(), 1);
    EXPECT_EQ(rec.items()[0].pen.color(), QColor(Qt::green));
    const QVector<QLineF> lines = rec.allLines();
    // Ticks 0, 50, 100, each over both y segments (262..450 and 50..238).
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QLineF(100, 262, 100, 450));
    EXPECT_EQ(lines[1], QLineF(100, 50, 100, 238));
    EXPECT_EQ(lines[5], QLineF(700, 50, 700, 238));
    EXPECT_EQ(rig.plotter.prepared, 1);
}

// Tick positions against an independent computation (numpy): the
// multiples of the step inside each visible segment, placed by linear
// interpolation over the segments laid out with their gaps.
TEST(PlotterAxes, TickPositionsAgainstNumpy)
{
    struct Case {
        const char* name;
        bool horizontal;
        double from, to;
        Ranges cuts;
        QRectF area;
        double zoomFrom, zoomTo;
    } cases[] = {
        {"horizontal", true, 0, 100, {}, QRectF(100, 50, 600, 400), 0, 100},
        {"horizontal cut", true, 0, 100, {{33, 51}}, QRectF(100, 50, 600, 400), 0, 100},
        {"horizontal cut, reversed", true, 250, -30, {{12, 17}, {60, 90}}, QRectF(80, 50, 900, 400), -30, 250},
        {"vertical cut", false, 0, 12000, {{4000, 9000}}, QRectF(100, 40, 600, 500), 0, 12000},
        {"vertical reversed, zoomed", false, 1.7, 0.2, {{0.8, 0.9}}, QRectF(100, 40, 600, 500), 0.33, 1.41},
    };
    QStringList input;
    std::vector<std::vector<double>> recorded;
    for (const Case& c : cases) {
        Rig rig;
        TPlotAxis& a = c.horizontal ? rig.x : rig.y;
        TValueRangeList& s = c.horizontal ? rig.sx : rig.sy;
        setAxis(a, s, c.from, c.to, c.cuts);
        a.setVisibleRange(c.zoomFrom, c.zoomTo);
        rig.plotter.setFixedPlotArea(c.area);
        const TSegmentLayout l = rig.plotter.segmentLayout(a, s);
        const double step = niceTickStep(l.values.length(),
                                         (c.horizontal ? c.area.width() : c.area.height()) -
                                             rig.look.breakGap() * (l.count() - 1),
                                         120, false);
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawAxis(&p, a, s);
        }
        std::vector<double> coords;
        for (const QLineF& m : marks(rec.allLines(), c.horizontal, 18))
            coords.push_back(c.horizontal ? m.x1() : m.y1());
        recorded.push_back(coords);
        QStringList segs;
        for (int i = 0; i < l.count(); ++i)
            segs << QString("%1,%2").arg(l.values.at(i).from(), 0, 'g', 17).arg(l.values.at(i).to(), 0, 'g', 17);
        const bool increasing = c.horizontal ? a.reversed != 1 : a.reversed == 1;
        input << QString("%1 %2 %3 %4 %5 %6")
                     .arg(c.horizontal ? c.area.x() : c.area.y(), 0, 'g', 17)
                     .arg(c.horizontal ? c.area.width() : c.area.height(), 0, 'g', 17)
                     .arg(rig.look.breakGap(), 0, 'g', 17)
                     .arg(increasing ? 1 : 0)
                     .arg(step, 0, 'g', 17)
                     .arg(segs.join(';'));
    }
    const ks::test::RunResult r =
        ks::test::run({"/usr/bin/python3", std::string(KS_SOURCE_DIR) + "/tests/plotter/tick_reference.py"}, {},
                      input.join('\n').toStdString() + "\n");
    ASSERT_EQ(r.exitCode, 0) << "tick_reference.py failed (python3-numpy comes with scripts/setup):\n" << r.err;
    const QStringList lines = QString::fromStdString(r.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), int(std::size(cases)));
    for (size_t k = 0; k < std::size(cases); ++k) {
        const QStringList expected = lines[int(k)].split(' ', Qt::SkipEmptyParts);
        ASSERT_EQ(size_t(expected.size()), recorded[k].size()) << cases[k].name << ": " << lines[int(k)].toStdString();
        EXPECT_GE(expected.size(), 2) << cases[k].name;
        for (int i = 0; i < expected.size(); ++i)
            EXPECT_NEAR(recorded[k][size_t(i)], expected[i].toDouble(), 1e-6) << cases[k].name << " tick " << i;
    }
}

}  // namespace
