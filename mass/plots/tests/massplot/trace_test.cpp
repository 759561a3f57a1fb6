// The trace painter: profiles (lines and markers), centroids with their
// tolerance bars, the baseline and the title band, on exact geometry.
#include "massplottest.h"

using namespace massplottest;

namespace {

struct ProfileCase {
    const char* name;
    std::vector<double> xs, ys;
    Ranges xCuts;
    std::pair<double, double> visibleX;  // (0, 0): all
    std::vector<QLineF> lines;           // expected, in order
};

QVector<QLineF> profileLines(MassRig& rig, const std::vector<double>& xs, const std::vector<double>& ys)
{
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawProfile(&p, view(xs), view(ys));
    }
    expectFinite(rec);
    return rec.allLines();
}

}  // namespace

TEST(MassTrace, ProfileTable)
{
    const double nan = kNaN, inf = kInf;
    const auto px = MassRig::px;
    const auto py = MassRig::py;
    const std::vector<ProfileCase> cases = {
        {"x and y counts differ: the common prefix",
         {0, 10, 20, 30, 40, 50, 60, 70, 80, 90},
         {100, 200, 300, 400, 500, 600, 700, 800},
         {},
         {0, 0},
         {QLineF(px(0), py(100), px(10), py(200)), QLineF(px(10), py(200), px(20), py(300)),
          QLineF(px(20), py(300), px(30), py(400)), QLineF(px(30), py(400), px(40), py(500)),
          QLineF(px(40), py(500), px(50), py(600)), QLineF(px(50), py(600), px(60), py(700)),
          QLineF(px(60), py(700), px(70), py(800))}},
        {"all points left of the visible range", {10, 20, 30}, {500, 500, 500}, {}, {50, 100}, {}},
        {"one inside, one on each side: two pieces to the edges",
         {30, 50, 70},
         {500, 500, 500},
         {},
         {40, 60},
         {QLineF(100, 250, 400, 250), QLineF(400, 250, 700, 250)}},
        {"values that are not finite are gaps",
         {0, 10, 20, 30, 40, 50, 60, 70},
         {100, 200, nan, 400, 500, inf, 700, 800},
         {},
         {0, 0},
         {QLineF(px(0), py(100), px(10), py(200)), QLineF(px(30), py(400), px(40), py(500)),
          QLineF(px(60), py(700), px(70), py(800))}},
        {"an x that is not a number is a gap",
         {0, 10, nan, 30, 40},
         {100, 100, 100, 100, 100},
         {},
         {0, 0},
         {QLineF(px(0), py(100), px(10), py(100)), QLineF(px(30), py(100), px(40), py(100))}},
        {"empty arrays", {}, {}, {}, {0, 0}, {}},
        {"one point", {50}, {500}, {}, {0, 0}, {}},
    };
    for (const ProfileCase& c : cases) {
        SCOPED_TRACE(c.name);
        MassRig rig(c.xCuts);
        if (c.visibleX.first != c.visibleX.second)
            rig.x.setVisibleRange(c.visibleX.first, c.visibleX.second);
        const QVector<QLineF> lines = profileLines(rig, c.xs, c.ys);
        ASSERT_EQ(lines.size(), int(c.lines.size()));
        for (int i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(sameLine(lines[i], c.lines[size_t(i)]))
                << i << ": " << lines[i].x1() << "," << lines[i].y1() << " " << lines[i].x2() << "," << lines[i].y2();
    }
}

TEST(MassTrace, ProfileSplitsAtCutGap)
{
    // x cut (40, 60): segments (0, 40) on 100..388 and (60, 100) on 412..700.
    MassRig rig({{40, 60}});
    std::vector<double> xs, ys;
    for (int i = 0; i <= 10; ++i) {
        xs.push_back(10.0 * i);
        ys.push_back(500);
    }
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawProfile(&p, view(xs), view(ys));
    }
    const QVector<QLineF> lines = onlyLines(rec);  // one call for the whole trace
    ASSERT_EQ(lines.size(), 10);
    for (const QLineF& l : lines) {
        const bool left = l.x1() <= 388 + 1e-9 && l.x2() <= 388 + 1e-9;
        const bool right = l.x1() >= 412 - 1e-9 && l.x2() >= 412 - 1e-9;
        EXPECT_TRUE(left || right) << l.x1() << " " << l.x2();
    }
    // Each polyline leaves and enters its cell at the cell's edge.
    EXPECT_TRUE(sameLine(lines[4], QLineF(388, 250, 388, 250)) || near(lines[4].x2(), 388));
    EXPECT_TRUE(near(lines[5].x1(), 412));
    EXPECT_TRUE(near(lines[9].x2(), 700));
}

TEST(MassTrace, Markers)
{
    const std::vector<double> xs = {50, 60, 70}, ys = {500, 2000, 250};
    for (int style : {1, 2}) {
        SCOPED_TRACE(style);
        MassRig rig;
        rig.look.setLineStyle(style);
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawProfile(&p, view(xs), view(ys));
        }
        // The point at intensity 2000 lies above the visible range: no marker.
        if (style == 1) {
            const QVector<QLineF> lines = rec.allLines();
            ASSERT_EQ(lines.size(), 4);
            EXPECT_TRUE(sameLine(lines[0], QLineF(394, 256, 406, 244)));
            EXPECT_TRUE(sameLine(lines[1], QLineF(394, 244, 406, 256)));
            EXPECT_TRUE(sameLine(lines[2], QLineF(514, 356, 526, 344)));
        } else {
            const QVector<PaintItem> e = rec.itemsOf(PaintItem::Ellipse);
            ASSERT_EQ(e.size(), 2);
            EXPECT_EQ(e[0].rect, QRectF(394, 244, 12, 12));
            EXPECT_EQ(e[1].rect, QRectF(514, 344, 12, 12));
            EXPECT_EQ(e[0].pen.color(), rig.look.tracePen().color());
        }
    }
}

TEST(MassTrace, CentroidSticksAndClipping)
{
    const auto px = MassRig::px;
    {
        MassRig rig;
        const std::vector<double> xs = {20, 50, 80, 90, 95}, ys = {500, 1000, kNaN, 1500, 250};
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawCentroids(&p, view(xs), view(std::vector<double>(ys.begin(), ys.begin() + 4)));
        }
        const QVector<QLineF> lines = onlyLines(rec);
        // 4 points (the y array is shorter), the NaN one without a stick,
        // the one above the visible range clipped at the top edge.
        ASSERT_EQ(lines.size(), 3);
        EXPECT_TRUE(sameLine(lines[0], QLineF(px(20), 450, px(20), 250)));
        EXPECT_TRUE(sameLine(lines[1], QLineF(px(50), 450, px(50), 50)));
        EXPECT_TRUE(sameLine(lines[2], QLineF(px(90), 450, px(90), 50)));
    }
    {
        // The visible intensities start above 0: sticks start below the
        // area and are clipped at its bottom edge; no baseline.
        MassRig rig;
        rig.y.setVisibleRange(200, 1000);
        const std::vector<double> xs = {50, 60}, ys = {600, 100};
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawCentroids(&p, view(xs), view(ys));
            rig.plotter.drawBaseline(&p);
        }
        const QVector<QLineF> lines = onlyLines(rec);
        ASSERT_EQ(lines.size(), 1);  // the stick to 100 lies wholly below the area
        EXPECT_TRUE(sameLine(lines[0], QLineF(px(50), 450, px(50), 250)));
    }
}

TEST(MassTrace, ToleranceBars)
{
    struct Case {
        const char* name;
        bool set;
        double value;
        bool absolute;
        double x;
        QLineF bar;  // null: no bar
    };
    const auto px = MassRig::px;
    const std::vector<Case> cases = {
        {"free-standing painter: no band until set", false, 0, false, 50, QLineF()},
        {"10 ppm at m/z 50 is narrow: 9 units centred", true, 10, false, 50, QLineF(395.5, 250, 404.5, 250)},
        {"absolute 1.0 is 12 units wide", true, 1.0, true, 50, QLineF(px(49), 250, px(51), 250)},
        {"absolute 0.5 is 6 units: widened to 9", true, 0.5, true, 50, QLineF(395.5, 250, 404.5, 250)},
        {"20000 ppm at m/z 50 is absolute 1.0", true, 20000, false, 50, QLineF(px(49), 250, px(51), 250)},
        {"a bar across the left edge is clipped", true, 2.0, true, 1, QLineF(100, 250, px(3), 250)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MassRig rig;
        EXPECT_EQ(rig.plotter.toleranceMode(), 0);
        EXPECT_EQ(rig.plotter.toleranceValue(), 0.0);
        if (c.set)
            rig.plotter.setToleranceBand(c.value, c.absolute);
        const std::vector<double> xs = {c.x}, ys = {500};
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawCentroids(&p, view(xs), view(ys));
        }
        const QVector<QLineF> lines = onlyLines(rec);
        ASSERT_EQ(lines.size(), c.bar.isNull() ? 1 : 2);
        EXPECT_TRUE(sameLine(lines[0], QLineF(px(c.x), 450, px(c.x), 250)));
        if (!c.bar.isNull()) {
            EXPECT_TRUE(sameLine(lines[1], c.bar)) << lines[1].x1() << " " << lines[1].x2();
        }
    }
}

TEST(MassTrace, CentroidsOnCutAndLogAxes)
{
    {
        // Sticks of points in a cut gap are not drawn; one call for all.
        MassRig rig({{40, 60}});
        const std::vector<double> xs = {10, 50, 90}, ys = {500, 500, 500};
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawCentroids(&p, view(xs), view(ys));
        }
        const QVector<QLineF> lines = onlyLines(rec);
        ASSERT_EQ(lines.size(), 2);
        EXPECT_LE(lines[0].x1(), 388);
        EXPECT_GE(lines[1].x1(), 412);
    }
    {
        // Log intensities: sticks start at the bottom of the cell; no
        // baseline (0 has no place).
        MassRig rig;
        rig.y.setFullRange(1, 1000);
        rig.y.showFullRange();
        rig.sy.set(TValueRange(1, 1000));
        rig.y.setLogScale(true);
        const std::vector<double> xs = {10, 20, 30}, ys = {100, 0, -5};
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawCentroids(&p, view(xs), view(ys));
            rig.plotter.drawBaseline(&p);
        }
        expectFinite(rec);
        const QVector<QLineF> lines = onlyLines(rec);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(sameLine(lines[0], QLineF(MassRig::px(10), 450, MassRig::px(10), 450 - 400.0 * 2 / 3)));
    }
}

TEST(MassTrace, Baseline)
{
    {
        MassRig rig({{40, 60}});
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawBaseline(&p);
        }
        const QVector<PaintItem> items = rec.itemsOf(PaintItem::Lines);
        ASSERT_EQ(items.size(), 1);
        ASSERT_EQ(items[0].lines.size(), 2);
        EXPECT_TRUE(sameLine(items[0].lines[0], QLineF(100, 450, 388, 450)));
        EXPECT_TRUE(sameLine(items[0].lines[1], QLineF(412, 450, 700, 450)));
        EXPECT_EQ(items[0].pen.color(), rig.look.gridPen().color());
    }
    {
        // A y cut: intensity 0 lies in the first y segment only.
        MassRig rig({}, {{400, 600}});
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawBaseline(&p);
        }
        EXPECT_EQ(rec.allLines().size(), 1);
    }
}

TEST(MassTrace, TitleBand)
{
    MassRig rig;
    rig.plotter.setFixedPlotArea(QRectF());
    const QRectF base = rig.plotter.TBasePlotter::plotArea();
    EXPECT_EQ(rig.plotter.plotArea(), base);
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawTitle(&p, QStringLiteral("Run 7"));
    }
    EXPECT_TRUE(rec.items().isEmpty());

    rig.title.visible = true;
    rig.title.color = Qt::darkGreen;
    const double h = QFontMetricsF(testFont()).height() + 6.0;
    const QRectF area = rig.plotter.plotArea();
    EXPECT_DOUBLE_EQ(area.top(), base.top() + h);
    EXPECT_DOUBLE_EQ(area.bottom(), base.bottom());
    EXPECT_EQ(rig.plotter.titleRect(), QRectF(base.left(), base.top(), base.width(), h));
    {
        QPainter p(&rec);
        const PainterState before(p);
        rig.plotter.drawTitle(&p, QStringLiteral("Run 7"));
        EXPECT_TRUE(PainterState(p) == before);
    }
    ASSERT_EQ(rec.texts(), QVector<QString>{QStringLiteral("Run 7")});
    const PaintItem text = rec.itemsOf(PaintItem::Text).first();
    EXPECT_EQ(text.pen.color(), QColor(Qt::darkGreen));
    EXPECT_NEAR(text.position.x(), base.left(), 1.0);
    EXPECT_GT(text.position.y(), base.top());
    EXPECT_LT(text.position.y(), base.top() + h);
}

TEST(MassTrace, PropertiesWithPenAndIdentity)
{
    MassRig rig;
    rig.look.setLineStyle(2);
    const T1DPlotProperties p = rig.plotter.propertiesWithPen(QPen(Qt::blue, 4));
    EXPECT_EQ(p.tracePen(), QPen(Qt::blue, 4));
    EXPECT_EQ(p.lineStyle(), 2);
    EXPECT_EQ(p.gridPen(), rig.look.gridPen());
    EXPECT_EQ(rig.plotter.typeId(), QUuid("{bbfdc628-b1be-46da-883a-5ea2ec1fd955}"));
}

TEST(MassTrace, DamagedAxesDrawNothingUnsafe)
{
    // Axes and data of every damaged kind: every call returns and hands
    // only finite coordinates to the painter.
    const std::vector<std::pair<double, double>> ranges = {
        {0, 0}, {kNaN, 10}, {0, kInf}, {-kMax, kMax}, {10, 0}, {1e-300, 2e-300}};
    const std::vector<double> xs = {0, 1e308, -1e308, kNaN, 50, kInf}, ys = {kInf, -kInf, 0, 5, kNaN, 1e308};
    for (const auto& r : ranges) {
        MassRig rig;
        rig.x.setFullRange(r.first, r.second);
        rig.x.visibleFrom = r.first;
        rig.x.visibleTo = r.second;
        rig.sx.set(TValueRange(r.first, r.second));
        rig.plotter.setToleranceBand(kNaN, false);
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawProfile(&p, view(xs), view(ys));
            rig.plotter.drawCentroids(&p, view(xs), view(ys));
            rig.plotter.drawBaseline(&p);
        }
        expectFinite(rec);
    }
}
