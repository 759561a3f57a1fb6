// Peak labels: texts, the collision-free layout, the wedges and baselines
// of chromatogram peaks.
#include "massplottest.h"

using namespace massplottest;

namespace {

// Peaks given as (x, y, hidden) for the layout alone; text "x".
class ListLabels : public T1DMassPlotter::TPeakLabels {
public:
    ListLabels(const T1DMassPlotter& plotter, const TMSPeakProperties& properties, std::vector<TMSPeak> peaks)
        : TPeakLabels(plotter, properties), m_peaks(std::move(peaks))
    {
    }
    int count() const override { return int(m_peaks.size()); }
    bool position(int i, QPointF& p) const override { return devicePoint(m_peaks[size_t(i)].position, p); }
    bool isHidden(int i) const override { return m_peaks[size_t(i)].attribute & 1; }
    QString text(int i) const override { return QString::number(m_peaks[size_t(i)].position.x()); }
    bool isWeaker(int i, int j) const override
    {
        return m_peaks[size_t(j)].position.y() > m_peaks[size_t(i)].position.y();
    }

private:
    std::vector<TMSPeak> m_peaks;
};

struct Layout {
    QVector<QRectF> rects;
    QStringList texts;
    QVector<int> indexes;
};

Layout layout(MassRig& rig, std::vector<TMSPeak> peaks)
{
    TMSPeakProperties props;
    ListLabels labels(rig.plotter, props, std::move(peaks));
    Layout l;
    rig.plotter.layoutPeakLabels(labels, testMetrics(), l.rects, l.texts, l.indexes);
    return l;
}

QVector<QString> spectrumTexts(MassRig& rig, const QVector<TMSPeak>& peaks, const TMSPeakProperties& props,
                               double maximum)
{
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawSpectrumPeakLabels(&p, peaks, props, maximum);
    }
    expectFinite(rec);
    return rec.texts();
}

// Peaks with texts as the plot makes them, the second line for every peak
// or (mixed) for every other one; the lines counted from the text unless
// `counted`, where they are told as the plot tells them.
class TwoLineLabels : public ListLabels {
public:
    TwoLineLabels(const T1DMassPlotter& plotter, const TMSPeakProperties& properties, std::vector<TMSPeak> peaks,
                  bool mixed, bool counted)
        : ListLabels(plotter, properties, peaks), m_all(std::move(peaks)), m_mixed(mixed), m_counted(counted)
    {
    }
    QString text(int i) const override
    {
        const QPointF& p = m_all[size_t(i)].position;
        return labelText(p.x(), !m_mixed || i % 2 == 0, p.y(), QString());
    }
    int lineCount(int i) const override
    {
        return m_counted ? (!m_mixed || i % 2 == 0 ? 2 : 1) : TPeakLabels::lineCount(i);
    }
    int leastLength(int i) const override
    {
        return m_counted ? firstLineLength(m_all[size_t(i)].position.x()) : TPeakLabels::leastLength(i);
    }

private:
    std::vector<TMSPeak> m_all;
    bool m_mixed, m_counted;
};

// The layout rule written plainly: every candidate measured and met with
// every label placed before it.
Layout plainLayout(const T1DMassPlotter& plotter, const T1DMassPlotter::TPeakLabels& labels)
{
    const QFontMetricsF metrics = testMetrics();
    const QRectF area = plotter.plotArea();
    const double s = T1DMassPlotter::kLabelSpacing;
    Layout l;
    for (int i = 0; i < labels.count(); ++i) {
        QPointF p;
        if (labels.isHidden(i) || !labels.position(i, p))
            continue;
        const QString t = labels.text(i);
        const QSizeF size = metrics.size(0, t);
        QRectF r(p.x() - size.width() / 2, p.y() - size.height() - T1DMassPlotter::kLabelLift, size.width(),
                 size.height());
        if (r.top() < area.top())
            r.moveTop(area.top());
        if (r.right() > area.right())
            r.moveRight(area.right());
        if (r.left() < area.left())
            r.moveLeft(area.left());
        const QRectF grown = r.adjusted(-s, -s, s, s);
        QVector<int> beaten;
        bool dropped = false;
        for (int k = 0; k < l.rects.size() && !dropped; ++k) {
            if (!l.rects.at(k).intersects(grown))
                continue;
            dropped = labels.isWeaker(i, l.indexes.at(k));
            beaten.append(k);
        }
        if (dropped)
            continue;
        for (int b = beaten.size() - 1; b >= 0; --b) {
            l.rects.remove(beaten.at(b));
            l.texts.removeAt(beaten.at(b));
            l.indexes.remove(beaten.at(b));
        }
        l.rects.append(r);
        l.texts.append(t);
        l.indexes.append(i);
    }
    return l;
}

}  // namespace

TEST(PeakLabels, Texts)
{
    struct Case {
        const char* name;
        bool chromatogram;
        int flags;
        double maximum;
        QVector<QString> lines;
    };
    const std::vector<Case> cases = {
        {"first line only", false, 1, 1000, {"52.26"}},
        {"relative intensity", false, 1 | 4, 1000, {"52.26", "50.0%"}},
        {"absolute wins over relative", false, 1 | 2 | 4, 1000, {"52.26", "500.0"}},
        {"chromatogram flags on a spectrum: the intensity", false, 1 | 8, 1000, {"52.26", "500.0"}},
        {"relative to a maximum of 0: an empty second line", false, 1 | 4, 0, {"52.26"}},
        {"chromatogram apex", true, 1 | 2 | 16, 0, {"52.26", "500.0"}},
        {"chromatogram height", true, 1 | 16 | 8, 0, {"52.26", "40.0"}},
        {"chromatogram area", true, 1 | 8, 0, {"52.26", "7.5"}},
        {"chromatogram relative: apex", true, 1 | 4, 0, {"52.26", "500.0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MassRig rig;
        TMSPeakProperties props;
        props.font = testFont();
        props.decimals = 2;
        props.secondLineDecimals = 1;
        props.peakFlags = c.flags;
        if (c.chromatogram) {
            PaintRecorder rec;
            {
                QPainter p(&rec);
                rig.plotter.drawChromatogramPeakLabels(
                    &p, {chromPeak(52.2647, 500, QPointF(50, 0), QPointF(55, 0), 40, 7.5)}, props);
            }
            EXPECT_EQ(rec.texts(), c.lines);
        } else {
            EXPECT_EQ(spectrumTexts(rig, {peakAt(52.2647, 500)}, props, c.maximum), c.lines);
        }
    }
    // A stored count of decimals is kept within bounds.
    MassRig rig;
    TMSPeakProperties props;
    props.decimals = 2000000000;
    props.secondLineDecimals = -5;
    props.peakFlags = 1 | 2;
    const QVector<QString> t = spectrumTexts(rig, {peakAt(50, 500)}, props, 1000);
    ASSERT_EQ(t.size(), 2);
    EXPECT_EQ(t[0].size(), 3 + TBasePlotter::kMaxDecimals);
    EXPECT_EQ(t[1], "500");
}

TEST(PeakLabels, Collisions)
{
    struct Case {
        const char* name;
        std::vector<TMSPeak> peaks;
        QStringList kept;
    };
    // Peaks one unit apart are 6 device units apart: their labels collide.
    const std::vector<Case> cases = {
        {"stronger second wins", {peakAt(50, 500), peakAt(51, 520)}, {"51"}},
        {"stronger first wins", {peakAt(50, 520), peakAt(51, 500)}, {"50"}},
        {"a tie goes to the later one", {peakAt(50, 500), peakAt(51, 500)}, {"51"}},
        {"a strong label replaces every weaker one it meets",
         {peakAt(48, 300), peakAt(52, 300), peakAt(50, 320), peakAt(80, 100)},
         {"50", "80"}},
        {"far apart: both", {peakAt(20, 500), peakAt(80, 500)}, {"20", "80"}},
        {"a hidden peak gets no label and blocks nothing", {peakAt(50, 110, 1), peakAt(51, 100)}, {"51"}},
        {"flag word of a default peak: hidden", {peakAt(50, 110, int32_t(0x80000001)), peakAt(51, 100)}, {"51"}},
        {"a peak outside the visible range gets none", {peakAt(150, 110), peakAt(51, 100)}, {"51"}},
        {"NaN intensity: no label", {peakAt(50, kNaN), peakAt(51, 100)}, {"51"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MassRig rig;
        const Layout l = layout(rig, c.peaks);
        EXPECT_EQ(l.texts, c.kept);
        EXPECT_EQ(l.rects.size(), l.texts.size());
        EXPECT_EQ(l.indexes.size(), l.texts.size());
    }
    // A peak in a cut gap has no place: it neither gets a label nor blocks.
    MassRig cut({{40, 60}});
    EXPECT_EQ(layout(cut, {peakAt(50, 110), peakAt(60, 100)}).texts, QStringList{"60"});
}

TEST(PeakLabels, Placement)
{
    MassRig rig;
    const QSizeF size = testMetrics().size(0, "50");
    Layout l = layout(rig, {peakAt(50, 500)});
    ASSERT_EQ(l.rects.size(), 1);
    // Centred 12 units above the peak's device point (400, 250).
    EXPECT_EQ(l.rects[0], QRectF(400 - size.width() / 2, 250 - size.height() - 12, size.width(), size.height()));
    // Near the top it is moved down to the area's top edge, over the peak.
    l = layout(rig, {peakAt(50, 990)});
    EXPECT_DOUBLE_EQ(l.rects[0].top(), 50);
    // Near the left and right edges it is moved into the area, off the
    // axis and its labels; the layout meets the moved rectangles.
    l = layout(rig, {peakAt(0, 500)});
    EXPECT_EQ(l.rects[0], QRectF(100, 250 - testMetrics().size(0, "0").height() - 12,
                                 testMetrics().size(0, "0").width(), testMetrics().size(0, "0").height()));
    l = layout(rig, {peakAt(100, 500), peakAt(99, 490)});
    ASSERT_EQ(l.rects.size(), 1);
    EXPECT_DOUBLE_EQ(l.rects[0].right(), 700);
    EXPECT_EQ(l.texts, QStringList{"100"});
    // Wider than the area: on its left edge.
    MassRig narrow;
    narrow.plotter.setFixedPlotArea(QRectF(100, 50, 10, 400));
    setAxis(narrow.x, narrow.sx, 0, 100);
    l = layout(narrow, {peakAt(50, 500)});
    ASSERT_EQ(l.rects.size(), 1);
    EXPECT_DOUBLE_EQ(l.rects[0].left(), 100);
    EXPECT_EQ(l.indexes, QVector<int>{0});
}

// A stored plot whose area is 1e275 wide (a huge negative inset): the
// layout's column index is bounded before it becomes an int, where the
// conversion was undefined (the fuzzer's sanitizer stopped on it).
TEST(PeakLabels, AreaOfAnyWidth)
{
    for (double width : {1e275, kMax, 1e9}) {
        SCOPED_TRACE(width);
        MassRig rig;
        rig.plotter.setFixedPlotArea(QRectF(-width / 4, 50, width, 400));
        const Layout l = layout(rig, {peakAt(20, 500), peakAt(80, 500)});
        EXPECT_EQ(l.texts, (QStringList{"20", "80"}));
    }
}

TEST(PeakLabels, DrawnInColourAndFont)
{
    MassRig rig;
    TMSPeakProperties props;
    props.font = testFont();
    props.color = Qt::darkMagenta;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        const PainterState before(p);
        rig.plotter.drawSpectrumPeakLabels(&p, {peakAt(50, 500), peakAt(90, 200)}, props, 500);
        EXPECT_TRUE(PainterState(p) == before);
    }
    const QVector<PaintItem> texts = rec.itemsOf(PaintItem::Text);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].text, "50.000");
    EXPECT_EQ(texts[0].pen.color(), QColor(Qt::darkMagenta));
    EXPECT_EQ(texts[0].font.pixelSize(), 20);
    EXPECT_NEAR(texts[0].position.x() + QFontMetricsF(testFont()).horizontalAdvance("50.000") / 2, 400, 1.0);
}

TEST(PeakLabels, ChromatogramMarks)
{
    const auto px = MassRig::px;
    const auto py = MassRig::py;
    struct Case {
        const char* name;
        QVector<TMSChromPeak> peaks;
        int flags;
        double threshold;
        Ranges xCuts;
        std::pair<double, double> visibleX;
        int labels;
        QVector<QPointF> wedgeTips;
        QVector<QLineF> baselines;
    };
    const TMSChromPeak big = chromPeak(30, 800, QPointF(20, 100), QPointF(40, 200), 100);
    const TMSChromPeak small = chromPeak(70, 300, QPointF(65, 0), QPointF(75, 0), 40);
    const std::vector<Case> cases = {
        {"threshold 0.5: only the high peak", {big, small}, 1 | 32 | 64, 0.5, {}, {0, 0}, 2,
         {QPointF(px(20), py(100)), QPointF(px(40), py(200))}, {QLineF(px(20), py(100), px(40), py(200))}},
        {"threshold 0: both", {big, small}, 1 | 32 | 64, 0, {}, {0, 0}, 2,
         {QPointF(px(20), py(100)), QPointF(px(40), py(200)), QPointF(px(65), py(0)), QPointF(px(75), py(0))},
         {QLineF(px(20), py(100), px(40), py(200)), QLineF(px(65), py(0), px(75), py(0))}},
        {"wedges only", {big}, 1 | 32, 0, {}, {0, 0}, 1, {QPointF(px(20), py(100)), QPointF(px(40), py(200))}, {}},
        {"baseline only", {big}, 1 | 64, 0, {}, {0, 0}, 1, {}, {QLineF(px(20), py(100), px(40), py(200))}},
        // Visible 0..30: the end lies beyond, the baseline is cut at 30 with
        // its y interpolated (150), the end gets no wedge.
        {"end beyond the visible range", {big}, 1 | 32 | 64, 0, {}, {0, 30}, 1,
         {QPointF(100 + 20 * 20, 450 - 0.4 * 100)}, {QLineF(500, 450 - 0.4 * 100, 700, 450 - 0.4 * 150)}},
        // A cut (25, 35) through the peak: two pieces, one wedge per cell.
        {"a cut through the peak", {big}, 1 | 32 | 64, 0, {{25, 35}}, {0, 0}, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MassRig rig(c.xCuts);
        if (c.visibleX.first != c.visibleX.second)
            rig.x.setVisibleRange(c.visibleX.first, c.visibleX.second);
        TMSPeakProperties props;
        props.font = testFont();
        props.peakFlags = c.flags;
        props.threshold = c.threshold;
        props.color = Qt::darkBlue;
        PaintRecorder rec;
        {
            QPainter p(&rec);
            rig.plotter.drawChromatogramPeakLabels(&p, c.peaks, props);
        }
        expectFinite(rec);
        EXPECT_EQ(rec.texts().size(), c.labels);
        const QVector<PaintItem> wedges = rec.itemsOf(PaintItem::Polygon);
        const QVector<QLineF> lines = rec.allLines();
        if (!c.xCuts.empty()) {
            ASSERT_EQ(wedges.size(), 2);
            ASSERT_EQ(lines.size(), 2);
            EXPECT_LT(lines[0].x2(), lines[1].x1());  // nothing across the gap
            continue;
        }
        ASSERT_EQ(wedges.size(), c.wedgeTips.size());
        for (int i = 0; i < wedges.size(); ++i) {
            const QPointF tip = c.wedgeTips[i];
            EXPECT_EQ(wedges[i].polygon, QPolygonF({tip, tip + QPointF(-9, -27), tip + QPointF(9, -27)}));
            EXPECT_EQ(wedges[i].polygonMode, QPaintEngine::OddEvenMode);
            EXPECT_EQ(wedges[i].brush.color(), QColor(Qt::darkBlue));
            EXPECT_EQ(wedges[i].pen.style(), Qt::NoPen);
        }
        ASSERT_EQ(lines.size(), c.baselines.size());
        for (int i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(sameLine(lines[i], c.baselines[i]))
                << lines[i].x1() << "," << lines[i].y1() << " " << lines[i].x2() << "," << lines[i].y2();
        if (!lines.isEmpty()) {
            EXPECT_EQ(rec.itemsOf(PaintItem::Lines).size(), 1);
        }
    }
}

TEST(PeakLabels, MarksOfDamagedPeaks)
{
    // A baseline of equal start and end x cut at the visible range takes
    // the start's y instead of NaN; NaN heights and points mark nothing.
    MassRig rig;
    rig.x.setVisibleRange(10, 90);
    TMSPeakProperties props;
    props.peakFlags = 1 | 32 | 64;
    props.threshold = 0;
    QVector<TMSChromPeak> peaks = {chromPeak(5, 100, QPointF(5, 100), QPointF(5, 300), 50),
                                   chromPeak(95, 100, QPointF(95, 100), QPointF(95, 300), 50),
                                   chromPeak(50, 100, QPointF(kNaN, 0), QPointF(60, kInf), kNaN),
                                   chromPeak(50, 100, QPointF(40, kNaN), QPointF(kInf, 0), 50)};
    PaintRecorder rec;
    {
        QPainter p(&rec);
        rig.plotter.drawChromatogramPeakMarks(&p, peaks, props);
    }
    expectFinite(rec);
    // No wedge of a start or end outside the visible range.
    for (const PaintItem& w : rec.itemsOf(PaintItem::Polygon))
        EXPECT_TRUE(w.polygon[0].x() >= 100 && w.polygon[0].x() <= 700);
}

TEST(PeakLabels, Wedge)
{
    PaintRecorder rec;
    {
        QPainter p(&rec);
        T1DMassPlotter::drawWedge(&p, QPointF(100, 200), 1);
        T1DMassPlotter::drawWedge(&p, QPointF(100, 200), 2);
    }
    const QVector<PaintItem> w = rec.itemsOf(PaintItem::Polygon);
    ASSERT_EQ(w.size(), 2);
    EXPECT_EQ(w[0].polygon, QPolygonF({QPointF(100, 200), QPointF(91, 173), QPointF(109, 173)}));
    EXPECT_EQ(w[1].polygon, QPolygonF({QPointF(100, 200), QPointF(91, 227), QPointF(109, 227)}));
}

// The layout drops candidates before making their texts and meets only
// the placed labels near each one: what it keeps is what the plain rule
// keeps, on thousands of crowded peaks with ties, hidden ones, peaks in a
// cut and outside the range, labels pushed down at the top, one and two
// lines.
TEST(PeakLabels, CrowdedLayoutIsThePlainRule)
{
    std::vector<TMSPeak> peaks;
    uint32_t r = 7;
    auto next = [&r] {
        r = r * 1664525u + 1013904223u;
        return r >> 8;
    };
    for (int i = 0; i < 4000; ++i) {
        const double x = -2 + (next() % 104000) / 1000.0;
        // Coarse intensities give ties; a few reach the top edge.
        const double y = (next() % 200) * 5.0 + (i % 97 == 0 ? 990 : 0);
        peaks.push_back(peakAt(x, y, i % 53 == 0 ? 1 : 0));
    }
    struct Case {
        const char* name;
        bool mixed, counted;
        Ranges cuts;
    };
    const std::vector<Case> cases = {
        {"two lines, counted", false, true, {}},
        {"two lines, from the texts", false, false, {}},
        {"mixed lines, counted, a cut", true, true, {{30, 45}}},
        {"mixed lines, from the texts", true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MassRig rig(c.cuts);
        TMSPeakProperties props;
        props.font = testFont();
        props.decimals = 3;
        props.secondLineDecimals = 1;
        const TwoLineLabels labels(rig.plotter, props, peaks, c.mixed, c.counted);
        const Layout want = plainLayout(rig.plotter, labels);
        ASSERT_GT(want.rects.size(), 20);
        Layout got;
        rig.plotter.layoutPeakLabels(labels, testMetrics(), got.rects, got.texts, got.indexes);
        EXPECT_EQ(got.indexes, want.indexes);
        EXPECT_EQ(got.texts, want.texts);
        EXPECT_EQ(got.rects, want.rects);
        if (c.mixed || !c.counted)
            continue;
        // The plot's own spectrum labels with the same texts.
        props.peakFlags = 1 | 2;
        QVector<QString> lines;
        for (const QString& t : want.texts)
            lines += t.split(QLatin1Char('\n')).toVector();
        EXPECT_EQ(spectrumTexts(rig, QVector<TMSPeak>(peaks.begin(), peaks.end()), props, 1000), lines);
    }
}
