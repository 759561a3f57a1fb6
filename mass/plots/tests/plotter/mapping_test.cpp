// Plotter base: segment layout, conversions both ways, plot area and axis
// bands, hit tests, and the device mapping of the plot.
#include <gtest/gtest.h>

#include <limits>

#include "plottertest.h"

using namespace plottertest;

namespace {

struct MappingRow {
    const char* name;
    bool horizontal;
    double fullFrom, fullTo;  // from high to low: reversed
    Ranges cuts;
    bool log;
    double extentFrom, extentLength;  // the plot area along the axis
    double gap;
    double value;
    bool ok;
    double pixel;
};

const MappingRow kMappingRows[] = {
    {"linear", true, 0, 100, {}, false, 10, 200, 24, 25, true, 60},
    {"outside the visible range", true, 0, 100, {}, false, 10, 200, 24, 150, false, 0},
    {"upper end included", true, 0, 100, {}, false, 10, 200, 24, 100, true, 210},
    {"reversed", true, 100, 0, {}, false, 10, 200, 24, 25, true, 160},
    {"vertical grows upwards", false, 0, 100, {}, false, 0, 200, 24, 25, true, 150},
    {"vertical reversed grows downwards", false, 100, 0, {}, false, 0, 200, 24, 25, true, 50},
    {"gap: end of the first segment", true, 0, 100, {{40, 60}}, false, 0, 210, 10, 40, true, 100},
    {"gap: start of the second segment", true, 0, 100, {{40, 60}}, false, 0, 210, 10, 60, true, 110},
    {"gap: inside the cut", true, 0, 100, {{40, 60}}, false, 0, 210, 10, 50, false, 0},
    {"gap: reversed", true, 100, 0, {{40, 60}}, false, 0, 210, 10, 60, true, 100},
    {"gap: vertical", false, 0, 100, {{40, 60}}, false, 0, 210, 10, 40, true, 110},
    {"log 10 of 1..1000", true, 1, 1000, {}, true, 0, 300, 24, 10, true, 100},
    {"log 100 of 1..1000", true, 1, 1000, {}, true, 0, 300, 24, 100, true, 200},
    {"log 0 has no place", true, 1, 1000, {}, true, 0, 300, 24, 0, false, 0},
    {"log axis reaching 0 has no layout", true, 0, 1000, {}, true, 0, 300, 24, 10, false, 0},
    {"NaN value", true, 0, 100, {}, false, 10, 200, 24, kNaN, false, 0},
};

void configure(Rig& rig, const MappingRow& row, TPlotAxis*& axis, TValueRangeList*& segments)
{
    axis = row.horizontal ? &rig.x : &rig.y;
    segments = row.horizontal ? &rig.sx : &rig.sy;
    setAxis(*axis, *segments, row.fullFrom, row.fullTo, row.cuts);
    axis->setLogScale(row.log);
    rig.look.setBreakGap(row.gap);
    rig.plotter.setFixedPlotArea(row.horizontal ? QRectF(row.extentFrom, 0, row.extentLength, 500)
                                                : QRectF(0, row.extentFrom, 500, row.extentLength));
}

TEST(PlotterMapping, ValueToPixelAndBack)
{
    for (const MappingRow& row : kMappingRows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        TPlotAxis* axis;
        TValueRangeList* segments;
        configure(rig, row, axis, segments);
        double v = row.value;
        ASSERT_EQ(rig.plotter.valueToPixel(v, *axis, *segments), row.ok);
        if (!row.ok) {
            if (!std::isnan(row.value)) {
                EXPECT_EQ(v, row.value) << "a value that does not convert is left as it was";
            }
            continue;
        }
        EXPECT_NEAR(v, row.pixel, 1e-9);
        // The number conversions pick the same axis.
        double byNumber = row.value;
        ASSERT_TRUE(rig.plotter.axisValueToPixel(byNumber, row.horizontal ? 1 : 2));
        EXPECT_EQ(byNumber, v);
        // And back.
        ASSERT_TRUE(rig.plotter.pixelToValue(v, *axis, *segments));
        EXPECT_NEAR(v, row.value, 1e-9 * std::max(1.0, std::fabs(row.value)));
    }
}

TEST(PlotterMapping, GapExampleDeviceRanges)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});
    rig.look.setBreakGap(10);
    rig.plotter.setFixedPlotArea(QRectF(0, 0, 210, 100));
    const TSegmentLayout l = rig.plotter.segmentLayout(rig.x, rig.sx);
    ASSERT_EQ(l.count(), 2);
    EXPECT_EQ(rangesOf(l.pixels), (Ranges{{0, 100}, {110, 210}}));
    // Reversed, the first segment takes the right end.
    setAxis(rig.x, rig.sx, 100, 0, {{40, 60}});
    EXPECT_EQ(rangesOf(rig.plotter.segmentLayout(rig.x, rig.sx).pixels), (Ranges{{110, 210}, {0, 100}}));
    // A zoom clips the segments to the visible range: 30..70 leaves two
    // segments of 10 each over 200 units.
    setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});
    rig.x.setVisibleRange(30, 70);
    EXPECT_EQ(rangesOf(rig.plotter.segmentLayout(rig.x, rig.sx).values), (Ranges{{30, 40}, {60, 70}}));
    EXPECT_EQ(rangesOf(rig.plotter.segmentLayout(rig.x, rig.sx).pixels), (Ranges{{0, 100}, {110, 210}}));
}

TEST(PlotterMapping, PixelToValueInTheGapFails)
{
    Rig rig;
    setAxis(rig.x, rig.sx, 0, 100, {{40, 60}});
    rig.look.setBreakGap(10);
    rig.plotter.setFixedPlotArea(QRectF(0, 0, 210, 100));
    double c = 105;
    EXPECT_FALSE(rig.plotter.pixelToValue(c, rig.x, rig.sx));
    EXPECT_EQ(c, 105);
    c = 110;
    ASSERT_TRUE(rig.plotter.pixelToValue(c, rig.x, rig.sx));
    EXPECT_EQ(c, 60);
}

// A visible length of 0 (a stored visible range of one value) gave an
// infinite scale and NaN positions: the segment maps to its middle.
TEST(PlotterMapping, ZeroVisibleLengthMapsToTheMiddle)
{
    Rig rig;
    rig.x.visibleFrom = rig.x.visibleTo = 50;
    const TSegmentLayout l = rig.plotter.segmentLayout(rig.x, rig.sx);
    ASSERT_EQ(l.count(), 1);
    EXPECT_EQ(l.pixels.at(0).from(), 100);
    EXPECT_EQ(l.pixels.at(0).to(), 100);
    double v = 50;
    ASSERT_TRUE(rig.plotter.valueToPixel(v, rig.x, rig.sx));
    EXPECT_EQ(v, 100);
    double c = 100;
    ASSERT_TRUE(rig.plotter.pixelToValue(c, rig.x, rig.sx));
    EXPECT_EQ(c, 50);
    // Two segments of no length: both at their start, one gap apart.
    rig.sx.set(TValueRange(10, 10));
    rig.sx.append(TValueRange(20, 20));
    rig.x.visibleFrom = 0;
    rig.x.visibleTo = 100;
    EXPECT_EQ(rangesOf(rig.plotter.segmentLayout(rig.x, rig.sx).pixels), (Ranges{{100, 100}, {124, 124}}));
}

TEST(PlotterMapping, NoLayoutWithoutRoom)
{
    Rig rig;
    struct Case {
        const char* name;
        QRectF area;
        Ranges cuts;
        double gap;
    } cases[] = {
        {"empty area", QRectF(100, 50, 0, 400), {}, 24},
        {"negative area", QRectF(100, 50, -50, 400), {}, 24},
        {"NaN area", QRectF(kNaN, 50, 600, 400), {}, 24},
        {"gaps wider than the area", QRectF(100, 50, 40, 400), {{10, 20}, {30, 40}}, 24},
        {"NaN gap", QRectF(100, 50, 600, 400), {{10, 20}}, kNaN},
    };
    for (const Case& c : cases) {
        setAxis(rig.x, rig.sx, 0, 100, c.cuts);
        rig.look.setBreakGap(c.gap);
        rig.plotter.setFixedPlotArea(c.area);
        EXPECT_TRUE(rig.plotter.segmentLayout(rig.x, rig.sx).isEmpty()) << c.name;
        double v = 5;
        EXPECT_FALSE(rig.plotter.valueToPixel(v, rig.x, rig.sx)) << c.name;
    }
}

TEST(PlotterMapping, ConversionOfPointsTriesBothAxes)
{
    Rig rig;
    // x 50 converts, y 5000 lies outside axis 2.
    QPointF p(50, 5000);
    EXPECT_FALSE(rig.plotter.valuesToPoint(p));
    EXPECT_EQ(p, QPointF(400, 5000));
    p = QPointF(500, 5000);
    EXPECT_FALSE(rig.plotter.valuesToPoint(p));
    EXPECT_EQ(p, QPointF(500, 5000)) << "x 500 fails, y fails";
    p = QPointF(150, 250);
    ASSERT_TRUE(rig.plotter.pointToValues(p));
    EXPECT_NEAR(p.x(), 100.0 / 12, 1e-12);
    EXPECT_NEAR(p.y(), 500, 1e-12);
}

// The computed plot area: the device rectangle less the inset, less the
// band of each visible axis with its margin on its label side.
TEST(PlotterMapping, PlotAreaReservesTheAxisBands)
{
    Rig rig;
    rig.plotter.setFixedPlotArea(QRectF());
    const QFontMetricsF fm = testMetrics();
    const double ls = fm.lineSpacing();
    const double inset = rig.look.outerInset(), margin = rig.look.margin();
    // Axis 1 below: 21 units of marks, a line of labels with its descent,
    // 3 units, a caption line.
    const double t1 = 21 + fm.size(0, "0").height() + fm.descent() + 3 + ls;
    // Axis 2 on the left: six digits of labels (more than its widest,
    // "1000", needs), 21 units, a caption line.
    const double t2 = fm.horizontalAdvance(QLatin1Char('4')) * 6 + 21 + ls;
    EXPECT_DOUBLE_EQ(rig.plotter.axisThickness(rig.x), t1);
    EXPECT_DOUBLE_EQ(rig.plotter.axisThickness(rig.y), t2);
    rig.y.labelSide = 2;
    const QRectF a = rig.plotter.plotArea();
    EXPECT_DOUBLE_EQ(a.left(), inset + t2 + margin);
    EXPECT_DOUBLE_EQ(a.top(), inset);
    EXPECT_DOUBLE_EQ(a.right(), 800 - inset);
    EXPECT_DOUBLE_EQ(a.bottom(), 600 - inset - t1 - margin);
    // Rotated labels need a line; no caption, no caption line; axis 1
    // above; hidden axes need nothing; side 1 reserves nothing.
    rig.look.setTextOrientation(1);
    rig.y.captionVisible = false;
    EXPECT_DOUBLE_EQ(rig.plotter.axisThickness(rig.y), ls + 21);
    rig.x.labelSide = 2;
    EXPECT_DOUBLE_EQ(rig.plotter.plotArea().top(), inset + t1 + margin);
    rig.x.labelSide = 1;
    rig.y.visible = false;
    EXPECT_EQ(rig.plotter.plotArea(), QRectF(inset, inset, 800 - 2 * inset, 600 - 2 * inset));
    EXPECT_EQ(rig.plotter.axisThickness(rig.y), 0);
}

TEST(PlotterMapping, AxisBandsAndLinePositions)
{
    Rig rig;
    const QRectF a = rig.area();  // (100, 50, 600, 400)
    const double t = rig.plotter.axisThickness(rig.x);
    EXPECT_EQ(rig.plotter.axisRect(rig.x, a), QRectF(100, 450 + 15, 600, t));
    EXPECT_EQ(rig.plotter.axisLinePosition(rig.x, a), 465);
    rig.x.labelSide = 2;
    EXPECT_EQ(rig.plotter.axisRect(rig.x, a), QRectF(100, 50 - 15 - t, 600, t));
    EXPECT_EQ(rig.plotter.axisLinePosition(rig.x, a), 35);
    rig.x.labelSide = 1;
    EXPECT_EQ(rig.plotter.axisRect(rig.x, a), QRectF(100, 250, 600, t));
    EXPECT_EQ(rig.plotter.axisLinePosition(rig.x, a), 250);
    const double u = rig.plotter.axisThickness(rig.y);
    EXPECT_EQ(rig.plotter.axisRect(rig.y, a), QRectF(715, 50, u, 400));
    EXPECT_EQ(rig.plotter.axisLinePosition(rig.y, a), 715);
    rig.y.labelSide = 2;
    EXPECT_EQ(rig.plotter.axisRect(rig.y, a), QRectF(85 - u, 50, u, 400));
    EXPECT_EQ(rig.plotter.axisLinePosition(rig.y, a), 85);
}

TEST(PlotterMapping, HitRegionCodes)
{
    Rig rig;
    rig.plotter.setFixedPlotArea(QRectF());
    rig.y.labelSide = 2;
    const QRectF area = rig.plotter.plotArea();
    const QRectF band1 = rig.plotter.axisRect(rig.x, area);
    const QRectF band2 = rig.plotter.axisRect(rig.y, area);
    struct Case {
        const char* name;
        QPointF point;
        int code;
    } cases[] = {
        {"outside the device", QPointF(900, 100), 0},
        {"left of the device", QPointF(-1, 100), 0},
        {"margin band", QPointF(10, 300), 1},
        {"margin band at the bottom", QPointF(400, 590), 1},
        {"plot area", area.center(), 3},
        {"plot area corner", area.topLeft(), 3},
        {"band of axis 1", QPointF(area.center().x(), band1.center().y()), 5},
        {"band of axis 2", QPointF(band2.center().x(), area.center().y()), 6},
        {"between the bands", QPointF(band2.center().x(), band1.center().y()), 2},
        {"between area and band 1", QPointF(area.center().x(), area.bottom() + 5), 2},
        {"NaN point", QPointF(kNaN, 100), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rig.plotter.hitTest(c.point), c.code) << c.name;
    // A hidden axis has no band (the area kept where it was).
    rig.plotter.setFixedPlotArea(area);
    rig.x.visible = false;
    EXPECT_EQ(rig.plotter.hitTest(QPointF(area.center().x(), band1.center().y())), 2);
    // A device rectangle of no or negative size contains nothing.
    rig.plotter.setDeviceRect(QRectF(800, 600, -800, -600));
    EXPECT_EQ(rig.plotter.hitTest(QPointF(400, 300)), 0);
    rig.plotter.setDeviceRect(QRectF(0, 0, 0, 600));
    EXPECT_EQ(rig.plotter.hitTest(QPointF(0, 300)), 0);
}

TEST(PlotterMapping, PlotFlagsDecideWhatMustConvert)
{
    plottest::ModelPlot plot(0, 100, 0, 1000);
    plot.plotter().setFixedPlotArea(QRectF(100, 50, 600, 400));
    struct Case {
        const char* name;
        QPointF in;
        int flags;
        bool ok;
        QPointF out;
    } cases[] = {
        {"both", QPointF(400, 250), 3, true, QPointF(50, 500)},
        {"x outside fails flags 3", QPointF(50, 250), 3, false, QPointF(50, 500)},
        {"x only", QPointF(400, 250), 1, true, QPointF(50, 250)},
        {"y only", QPointF(50, 250), 2, true, QPointF(50, 500)},
        {"x outside, flags 1", QPointF(50, 250), 1, false, QPointF(50, 250)},
        {"no flags", QPointF(400, 250), 0, false, QPointF(400, 250)},
    };
    for (const Case& c : cases) {
        QPointF p = c.in;
        EXPECT_EQ(plot.mapFromDevice(p, c.flags), c.ok) << c.name;
        EXPECT_EQ(p, c.out) << c.name;
    }
    QPointF v(50, 500);
    ASSERT_TRUE(plot.mapToDevice(v, 3));
    EXPECT_EQ(v, QPointF(400, 250));
    // What converts is converted in place, also when the call fails.
    v = QPointF(150, 500);
    EXPECT_FALSE(plot.mapToDevice(v, 3));
    EXPECT_EQ(v, QPointF(150, 250));
    v = QPointF(150, 500);
    EXPECT_TRUE(plot.mapToDevice(v, 2));
    EXPECT_EQ(v, QPointF(150, 250));
}

TEST(PlotterMapping, PlotHitTestThroughThePainter)
{
    plottest::ModelPlot plot(0, 100, 0, 1000);
    plot.plotter().setDeviceRect(QRectF(0, 0, 800, 600));
    plot.plotter().setFixedPlotArea(QRectF(100, 50, 600, 400));
    EXPECT_EQ(plot.hitTest(QPointF(400, 250)), 3);
    EXPECT_EQ(plot.hitTest(QPointF(10, 10)), 1);
    EXPECT_EQ(plot.hitTest(QPointF(-10, 10)), 0);
}

}  // namespace
