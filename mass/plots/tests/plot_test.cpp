// Axes and the plot model: ranges, device mapping of values, zoom, pans,
// cuts and restores, full ranges, snapshots, and the stored axis.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "plottest.h"
#include "tbaseplot.h"

using plottest::ModelPlot;
using plottest::written;

namespace {

constexpr double kMax = std::numeric_limits<double>::max();
using plottest::Ranges;
using plottest::rangesOf;


std::pair<double, double> visible(const TPlotAxis& a)
{
    return {a.visibleFrom, a.visibleTo};
}

TEST(PlotAxis, Defaults)
{
    const TPlotAxis x(0), y(1), other(3);
    EXPECT_EQ(x.horizontal, 1);
    EXPECT_EQ(y.horizontal, 0);
    EXPECT_EQ(x.fullFrom, -kMax);
    EXPECT_EQ(x.visibleTo, kMax);
    EXPECT_EQ(x.captionAlignment, 132);
    EXPECT_TRUE(x.captionVisible);
    EXPECT_EQ(x.decimals, 6);
    EXPECT_FALSE(other.captionVisible);
    EXPECT_EQ(other.decimals, 3);
}

TEST(PlotAxis, Ranges)
{
    TPlotAxis a(0);
    a.setFullRange(100, 10);
    EXPECT_EQ(a.reversed, 1);
    EXPECT_EQ(a.fullFrom, 10);
    EXPECT_EQ(a.fullTo, 100);
    a.setFullRange(5, 5);
    EXPECT_EQ(a.fullFrom, 10);
    a.setFullRange(0, 50);
    EXPECT_EQ(a.reversed, 0);
    a.setVisibleRange(60, 20);
    EXPECT_EQ(visible(a), std::make_pair(20.0, 50.0));
    a.setVisibleRange(70, 80);  // both clamp to 50: nothing
    EXPECT_EQ(visible(a), std::make_pair(20.0, 50.0));
    a.showFullRange();
    EXPECT_EQ(visible(a), std::make_pair(0.0, 50.0));
    a.scale(2);
    EXPECT_EQ(a.fullTo, 100);
    EXPECT_EQ(a.visibleTo, 100);
    EXPECT_EQ(a.clampToFull(-3), 0);
    EXPECT_EQ(a.clampToFull(300), 100);
}

TEST(PlotAxis, ValueToDevice)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        int type, reversed, log;
        double v, from, to;
        double expected;
    };
    const Case cases[] = {
        {"horizontal", 0, 0, 0, 25, 0, 100, 150},
        {"horizontal reversed", 0, 1, 0, 25, 0, 100, 250},
        {"vertical", 1, 0, 0, 25, 0, 100, 250},
        {"vertical reversed", 1, 1, 0, 25, 0, 100, 150},
        {"empty value range", 0, 0, 0, 25, 7, 7, 200},
        {"log", 0, 0, 1, 100, 10, 1000, 200},
        {"log, one decade", 1, 0, 1, 10, 10, 10, 200},
        // On a log axis values <= 0 have no place.
        {"log of 0", 0, 0, 1, 0, 10, 1000, nan},
        {"log of a negative value", 0, 0, 1, -5, 10, 1000, nan},
        {"log over a range reaching 0", 0, 0, 1, 5, 0, 1000, nan},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPlotAxis a(c.type);
        a.reversed = c.reversed;
        a.logScale = c.log;
        const double d = a.valueToDevice(c.v, c.from, c.to, 100, 300);
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(d)) << d;
        else
            EXPECT_DOUBLE_EQ(d, c.expected);
    }
    TPlotAxis h(0), v(1);
    EXPECT_FALSE(h.runsAgainstDevice());
    EXPECT_TRUE(v.runsAgainstDevice());
    h.reversed = 1;
    v.reversed = 1;
    EXPECT_TRUE(h.runsAgainstDevice());
    EXPECT_FALSE(v.runsAgainstDevice());
}

TEST(PlotAxis, StoredForm)
{
    TPlotAxis a(1);
    a.setFullRange(0, 2000);
    a.setVisibleRange(10, 500);
    a.caption = "Intensity";
    a.logScale = 1;
    a.labelSide = 2;
    a.decimals = 4;
    a.captionVisible = false;
    const QByteArray bytes = written([&](TDataStream& s) { a.write(s); });
    plottest::expectGolden(bytes, "axis");
    // The header: three levels and the terminator, 23 bytes.
    EXPECT_EQ(plottest::hex(bytes.left(23)),
              "00 00 00 13 00 00 00 0e 00 00 00 06 00 00 00 00 01 02 00 00 00 04 00");
    QByteArray copy = bytes;
    TDataStream r(&copy, QIODevice::ReadOnly, 0);
    TPlotAxis b(0);
    ASSERT_TRUE(b.read(r));
    EXPECT_EQ(r.remaining(), 0);
    EXPECT_EQ(written([&](TDataStream& s) { b.write(s); }), bytes);

    // An older header (length 0) keeps the values of its fields.
    QByteArray older = QByteArray(4, '\0') + bytes.mid(23);
    TDataStream o(&older, QIODevice::ReadOnly, 0);
    TPlotAxis c(0);
    c.decimals = 9;
    c.logScale = 1;
    c.captionVisible = false;
    ASSERT_TRUE(c.read(o));
    EXPECT_EQ(c.decimals, 9);
    EXPECT_EQ(c.logScale, 1);
    EXPECT_FALSE(c.captionVisible);
    EXPECT_EQ(c.caption, "Intensity");

    // Type 3 forces 3 decimals.
    TPlotAxis t(3);
    t.decimals = 8;
    QByteArray three = written([&](TDataStream& s) { t.write(s); });
    TDataStream tr(&three, QIODevice::ReadOnly, 0);
    TPlotAxis u(0);
    ASSERT_TRUE(u.read(tr));
    EXPECT_EQ(u.decimals, 3);

    // Every prefix: a failure and the axis as it was.
    for (int n = 0; n < bytes.size(); ++n) {
        QByteArray p = bytes.left(n);
        TDataStream s(&p, QIODevice::ReadOnly, 0);
        TPlotAxis x(0);
        EXPECT_FALSE(x.read(s)) << n;
        EXPECT_EQ(x.fullTo, kMax) << n;
        EXPECT_TRUE(x.caption.isEmpty()) << n;
    }
}

TEST(Plot, Zoom)
{
    struct Case {
        const char* name;
        Ranges segments;
        double from, to;
        std::pair<double, double> expected;
    };
    const Case cases[] = {
        {"clamped and ordered", {{0, 100}}, 150, 30, {30, 100}},
        {"inside", {{0, 100}}, 20, 40, {20, 40}},
        {"an end in a gap", {{0, 40}, {60, 100}}, 50, 80, {0, 100}},
        {"ends in two segments", {{0, 40}, {60, 100}}, 10, 80, {10, 80}},
        {"equal ends", {{0, 100}}, 30, 30, {0, 100}},
        {"both beyond the full range", {{0, 100}}, 200, 300, {0, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelPlot p(0, 100, 0, 10);
        p.segments1() = TValueRangeList();
        for (const auto& [a, b] : c.segments)
            p.segments1().append(TValueRange(a, b));
        p.zoom(1, c.from, c.to);
        EXPECT_EQ(visible(p.axis(1)), c.expected);
    }
    ModelPlot p(0, 100, 0, 10);
    p.zoom(2, 2, 5);
    EXPECT_EQ(visible(p.axis(2)), std::make_pair(2.0, 5.0));
    p.zoom(7, 5, 6);  // any number but 2 is axis 1
    EXPECT_EQ(visible(p.axis(1)), std::make_pair(5.0, 6.0));
}

TEST(Plot, HorizontalPan)
{
    struct Case {
        const char* name;
        Ranges segments;
        std::pair<double, double> window;
        double delta;
        bool reversed;
        std::pair<double, double> expected;
    };
    const Case cases[] = {
        {"right to the end", {{0, 100}}, {70, 90}, 20, false, {80, 100}},
        {"far left", {{0, 100}}, {70, 90}, -100, false, {0, 20}},
        {"into a gap", {{0, 40}, {60, 100}}, {10, 30}, 15, false, {25, 40}},
        {"left into a gap snaps up", {{0, 40}, {60, 100}}, {62, 90}, -20, false, {60, 70}},
        {"reversed axis snaps the other way", {{0, 40}, {60, 100}}, {10, 30}, 15, true, {25, 60}},
        // Both ends would snap to the same edge of one gap: the window stays.
        {"both ends into one gap", {{0, 40}, {60, 100}}, {35, 39}, 10, false, {35, 39}},
        {"zero", {{0, 100}}, {20, 30}, 0, false, {20, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelPlot p(0, 100, 0, 10);
        p.axis(1).reversed = c.reversed ? 1 : 0;
        p.segments1() = TValueRangeList();
        for (const auto& [a, b] : c.segments)
            p.segments1().append(TValueRange(a, b));
        p.axis(1).visibleFrom = c.window.first;
        p.axis(1).visibleTo = c.window.second;
        p.pan(1, c.delta);
        EXPECT_EQ(visible(p.axis(1)), c.expected);
    }
}

TEST(Plot, VerticalPan)
{
    ModelPlot p(0, 10, 0, 100);
    p.pan(2, 50);
    EXPECT_EQ(visible(p.axis(2)), std::make_pair(50.0, 150.0));
    EXPECT_EQ(p.axis(2).fullFrom, 50);
    EXPECT_EQ(p.axis(2).fullTo, 150);
    EXPECT_EQ(rangesOf(p.segments(2)), (Ranges{{50, 150}}));
    p.zoom(2, 60, 80);
    p.pan(2, 10);  // within the full range: the full range stays
    EXPECT_EQ(visible(p.axis(2)), std::make_pair(70.0, 90.0));
    EXPECT_EQ(p.axis(2).fullTo, 150);
    p.pan(3, 10);  // no axis 3: nothing
    EXPECT_EQ(visible(p.axis(2)), std::make_pair(70.0, 90.0));
}

TEST(Plot, CutsAndRestores)
{
    ModelPlot p(0, 100, 0, 10);
    p.cutRange(1, TValueRange(40, 60));
    EXPECT_EQ(rangesOf(p.segments(1)), (Ranges{{0, 40}, {60, 100}}));
    p.cutRange(1, TValueRange(90, 150));  // clipped to the full range
    EXPECT_EQ(rangesOf(p.segments(1)), (Ranges{{0, 40}, {60, 90}}));
    EXPECT_EQ(p.segments(1).length(), 70);
    p.restoreRange(1, TValueRange(30, 70));
    EXPECT_EQ(rangesOf(p.segments(1)), (Ranges{{0, 90}}));
    p.restoreAllRanges(1);
    EXPECT_EQ(rangesOf(p.segments(1)), (Ranges{{0, 100}}));

    // A cut that would leave nothing shown is refused, and so is one that
    // would leave only a segment of no length.
    ModelPlot q(0, 100, 0, 10);
    q.segments1().set(TValueRange(0, 50));
    q.cutRange(1, TValueRange(0, 100));
    EXPECT_EQ(rangesOf(q.segments(1)), (Ranges{{0, 50}}));
    q.cutRange(1, TValueRange(0, 50));
    EXPECT_EQ(rangesOf(q.segments(1)), (Ranges{{0, 50}}));
    EXPECT_EQ(q.segments(1).length(), 50);

    // Full ranges keep the gaps inside them.
    ModelPlot r(0, 100, 0, 10);
    r.cutRange(1, TValueRange(40, 60));
    r.setFullRange(1, 50, 200);
    EXPECT_EQ(rangesOf(r.segments(1)), (Ranges{{60, 200}}));
    r.setFullRange(1, 300, 0);
    EXPECT_EQ(r.axis(1).reversed, 1);
    EXPECT_EQ(rangesOf(r.segments(1)), (Ranges{{0, 300}}));

    // Stored segments out of order whose gap covers the new full range:
    // the gaps go, the whole range is shown.
    ModelPlot u(0, 100, 0, 10);
    u.segments1() = TValueRangeList();
    u.segments1().append(TValueRange(-1000, 300));
    u.segments1().append(TValueRange(-5, 10));
    u.setFullRange(1, -1, 200);
    EXPECT_EQ(rangesOf(u.segments(1)), (Ranges{{-1, 200}}));

    const TPlotAxis scaled = r.scaledAxis(1, 2);
    EXPECT_EQ(scaled.fullTo, 600);
    const TValueRangeList seg = p.scaledSegments(1, -1);
    EXPECT_EQ(rangesOf(seg), (Ranges{{-100, 0}}));
}

TEST(Plot, Snapshots)
{
    ModelPlot p(0, 100, 0, 1000);
    p.cutRange(1, TValueRange(20, 30));
    p.zoom(1, 10, 50);
    p.zoom(2, 100, 200);
    QByteArray state;
    p.saveState(state);
    plottest::expectGolden(state, "state");

    ModelPlot q(0, 1, 0, 1);
    ASSERT_TRUE(q.restoreState(state));
    EXPECT_EQ(visible(q.axis(1)), std::make_pair(10.0, 50.0));
    EXPECT_EQ(visible(q.axis(2)), std::make_pair(100.0, 200.0));
    EXPECT_EQ(rangesOf(q.segments(1)), (Ranges{{0, 20}, {30, 100}}));

    // Bytes that do not parse leave the view as it was: every cut, and
    // the bytes of something else.
    for (int n = 0; n < state.size(); ++n) {
        ModelPlot r(0, 5, 0, 7);
        r.zoom(1, 1, 2);
        EXPECT_FALSE(r.restoreState(state.left(n))) << n;
        EXPECT_EQ(visible(r.axis(1)), std::make_pair(1.0, 2.0)) << n;
        EXPECT_EQ(rangesOf(r.segments(1)), (Ranges{{0, 5}})) << n;
    }
    ModelPlot r(0, 5, 0, 7);
    EXPECT_FALSE(r.restoreState(QByteArray(300, '\x7f')));
    EXPECT_EQ(r.axis(1).fullTo, 5);

    // saveAxes/loadAxes: axes only, shown whole in between.
    QByteArray axes;
    {
        TDataStream w(&axes, QIODevice::WriteOnly, 0);
        p.saveAxes(w);
    }
    EXPECT_EQ(visible(p.axis(1)), std::make_pair(0.0, 100.0));
    TDataStream rd(&axes, QIODevice::ReadOnly, 0);
    ASSERT_TRUE(p.loadAxes(rd));
    EXPECT_EQ(visible(p.axis(1)), std::make_pair(10.0, 50.0));
}

// Stored bounds that are not numbers, infinite or upside down: the view
// operations end and change nothing into a hang or a division by zero.
TEST(Plot, DamagedBounds)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[][4] = {
        {nan, nan, nan, nan}, {-inf, inf, -inf, inf}, {100, 0, 80, 10}, {0, 0, 0, 0}, {nan, 5, 0, inf},
    };
    for (const auto& v : values) {
        ModelPlot p(0, 1, 0, 1);
        for (int n = 1; n <= 2; ++n) {
            TPlotAxis& a = p.axis(n);
            a.fullFrom = v[0];
            a.fullTo = v[1];
            a.visibleFrom = v[2];
            a.visibleTo = v[3];
            p.segments(n) = TValueRangeList();
            p.segments(n).append(TValueRange(v[1], v[0]));
            p.segments(n).append(TValueRange(v[3], v[2]));
        }
        for (int n = 1; n <= 2; ++n) {
            p.zoom(n, 0.2, 0.8);
            p.pan(n, 0.5);
            p.pan(n, -inf);
            p.cutRange(n, TValueRange(0.1, 0.3));
            p.restoreRange(n, TValueRange(0.1, 0.3));
            p.setFullRange(n, v[0], v[1]);
            p.scaledAxis(n, 2);
            p.scaledSegments(n, 0);
        }
        QByteArray state;
        p.saveState(state);
        ModelPlot q;
        q.restoreState(state);
        p.fullZoomOut();
        p.restoreAllRanges();
    }
}

}  // namespace
