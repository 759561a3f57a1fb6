// Axis values that documents and scripts can carry: every row is painted
// whole (into the recorder and into an image), hit-tested and mapped, and
// must return without hanging, dividing by zero or handing over a
// coordinate that is not finite. The rows that used to hang keep the tick
// loops bounded; the test program runs under a short ctest timeout.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "plottertest.h"

using namespace plottertest;

namespace {

struct BadRow {
    const char* name;
    std::function<void(plottest::ModelPlot&)> damage;
    QRectF device;
    bool axis1Drawn;  // whether axis 1 still draws anything
};

void exercise(plottest::ModelPlot& plot, const QRectF& device, PaintRecorder& rec)
{
    {
        QPainter p(&rec);
        plot.paint(&p, device);
        const TBasePlotter& pl = plot.plotter();
        pl.drawLabelBox(&p, QPointF(300, 200), "box", 0, 3);
        pl.drawCrosshair(&p, QPointF(300, 200), true);
        for (int mode = 0; mode <= 6; ++mode)
            pl.drawSelection(&p, QRectF(200, 100, 150, 80), mode, 1);
        pl.drawValueMarker(&p, QPen(Qt::blue), 50, 1);
        pl.drawValueMarker(&p, QPen(Qt::blue), 500, 2);
        pl.drawHighlightRect(&p, QRectF(10, 0, 30, 0));
        pl.drawHighlightRect(&p, QRectF(0, 0, 0, 0));
    }
    for (const QPointF& pt : {QPointF(300, 200), QPointF(0, 0), QPointF(kNaN, 1)}) {
        const int code = plot.hitTest(pt);
        EXPECT_TRUE(code >= 0 && code <= 6 && code != 4) << code;
        QPointF q = pt;
        if (plot.mapFromDevice(q, 3)) {
            EXPECT_TRUE(std::isfinite(q.x()) && std::isfinite(q.y()));
            plot.mapToDevice(q, 3);
        }
    }
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    plot.paint(&p, device.isValid() ? QRectF(0, 0, 320, 240) : device);
}

TEST(PlotterBadInput, ReturnsWithoutHangingOrNaN)
{
    const QRectF normal(0, 0, 900, 600);
    const BadRow rows[] = {
        // The loops that used to hang.
        {"log axis from 0", [](auto& p) { p.setAxisLogScale(1, true); }, normal, false},
        {"log axis from below 0",
         [](auto& p) {
             p.setFullRange(1, -10, 100);
             p.fullZoomOut(1);
             p.setAxisLogScale(1, true);
         },
         normal, false},
        {"manual step 0",
         [](auto& p) {
             p.axis1().autoTickStep = false;
             p.axis1().tickStep = 0;
         },
         normal, true},
        {"manual negative step",
         [](auto& p) {
             p.axis1().autoTickStep = false;
             p.axis1().tickStep = -5;
         },
         normal, true},
        {"zero extent", [](auto& p) { p.axis1().visibleFrom = p.axis1().visibleTo = 50; }, normal, true},
        {"negative drawable length (stacked plots)", [](auto&) {}, QRectF(0, 0, 900, 60), false},
        {"t + step == t at extreme zoom",
         [](auto& p) {
             // An automatic step of 5 where neighbouring doubles lie 16 apart.
             p.setFullRange(1, 1e17, 1e17 + 16);
             p.fullZoomOut(1);
             p.restoreAllRanges(1);
         },
         normal, true},
        {"manual step far too small",
         [](auto& p) {
             p.axis1().autoTickStep = false;
             p.axis1().tickStep = 1e-9;
         },
         normal, true},
        {"huge tick step",
         [](auto& p) {
             p.axis1().autoTickStep = false;
             p.axis1().tickStep = kMax;
         },
         normal, true},
        {"huge label count", [](auto& p) { p.axis2().decimals = 2000000000; }, normal, true},
        {"negative label count", [](auto& p) { p.axis2().decimals = -7; }, normal, true},
        {"huge break gap", [](auto& p) { p.look().setBreakGap(1e300); }, normal, true},
        // Values that are not finite draw nothing on their axis.
        {"NaN visible range", [](auto& p) { p.axis1().visibleFrom = kNaN; }, normal, false},
        {"infinite visible range",
         [](auto& p) {
             p.axis1().visibleTo = kInf;
             p.segments1().set(TValueRange(0, kInf));
         },
         normal, false},
        {"NaN segment", [](auto& p) { p.segments1().set(TValueRange(kNaN, 50)); }, normal, true},
        {"default axis of the whole real line",
         [](auto& p) {
             p.axis1() = TPlotAxis(0);
             p.segments1().set(TValueRange());
         },
         normal, false},
        {"reversed full range as stored",
         [](auto& p) {
             p.axis1().fullFrom = 100;
             p.axis1().fullTo = 0;
         },
         normal, true},
        {"visible range upside down",
         [](auto& p) {
             p.axis1().visibleFrom = 90;
             p.axis1().visibleTo = 10;
         },
         normal, true},
        {"empty segment list", [](auto& p) { p.segments1() = TValueRangeList(); }, normal, false},
        {"unsorted overlapping segments",
         [](auto& p) {
             TValueRangeList s;
             s.append(TValueRange(50, 90));
             s.append(TValueRange(0, 60));
             s.append(TValueRange(20, 30));
             p.segments1() = s;
         },
         normal, true},
        {"zero device rectangle", [](auto&) {}, QRectF(0, 0, 0, 0), false},
        {"negative device rectangle", [](auto&) {}, QRectF(900, 600, -900, -600), false},
        {"NaN device rectangle", [](auto&) {}, QRectF(kNaN, 0, 900, 600), false},
        {"NaN inset", [](auto& p) { p.look().setOuterInset(kNaN); }, normal, false},
        {"NaN margin", [](auto& p) { p.look().setMargin(kNaN); }, normal, false},
    };
    for (const BadRow& row : rows) {
        SCOPED_TRACE(row.name);
        plottest::ModelPlot plot(0, 100, 0, 1000);
        plot.look().setFont(testFont());
        row.damage(plot);
        PaintRecorder rec;
        exercise(plot, row.device, rec);
        expectFinite(rec);
        // Axis 1 alone.
        PaintRecorder axis;
        {
            QPainter p(&axis);
            plot.plotter().setDeviceRect(row.device);
            plot.plotter().drawAxis(&p, plot.axis1(), plot.segments1());
        }
        expectFinite(axis);
        EXPECT_EQ(!axis.items().isEmpty(), row.axis1Drawn);
        int ticks = 0;
        for (const QLineF& l : axis.allLines())
            ticks += l.dy() != 0 && l.dx() == 0;
        EXPECT_LE(ticks, TBasePlotter::kMaxTicks + 4);
    }
}

TEST(PlotterBadInput, ConversionsOnDamagedAxesFail)
{
    struct Case {
        const char* name;
        std::function<void(Rig&)> damage;
    } cases[] = {
        {"NaN visible range", [](Rig& r) { r.x.visibleTo = kNaN; }},
        {"infinite segment",
         [](Rig& r) {
             r.sx.set(TValueRange(-kInf, 50));
             r.x.visibleFrom = -kInf;
         }},
        {"empty segments", [](Rig& r) { r.sx = TValueRangeList(); }},
        {"log from 0", [](Rig& r) { r.x.setLogScale(true); }},
        {"NaN area", [](Rig& r) { r.plotter.setFixedPlotArea(QRectF(0, kNaN, 10, 10)); }},
    };
    for (const Case& c : cases) {
        Rig rig;
        c.damage(rig);
        for (double v : {0.0, 25.0, 50.0, 100.0}) {
            double value = v;
            EXPECT_FALSE(rig.plotter.valueToPixel(value, rig.x, rig.sx)) << c.name << " " << v;
            EXPECT_EQ(value, v) << c.name;
        }
        for (double c2 : {100.0, 400.0, 700.0}) {
            double coordinate = c2;
            EXPECT_FALSE(rig.plotter.pixelToValue(coordinate, rig.x, rig.sx)) << c.name;
        }
        QPointF p(400, 250);
        EXPECT_FALSE(rig.plotter.pointToValues(p)) << c.name;
        EXPECT_TRUE(rig.plotter.valueRangeToDeviceRanges(TValueRange(0, 100), rig.x, rig.sx).isEmpty()) << c.name;
    }
}

}  // namespace
