// The 1-D plot and the mass plot: construction, intensity zoom, fit to
// height, property groups, what draw paints in which order, the title,
// the stream form and its damaged prefixes, and two PNGs for a person.
#include "massplottest.h"

#include <QImage>

#include "tdatastream.h"
#include "tictest.h"

using namespace massplottest;
using streamtest::written;

namespace {

const QUuid kId("{6a1d4f00-0000-4000-8000-00000000a001}");

// A mass plot over a data object of the source, ranges set as the item
// would: x over the data, intensities over 0..1000.
struct PlotRig {
    TestSource source;
    TestData data;
    T1DMassPlot plot;

    PlotRig(int kind, int style, std::vector<double> xs, std::vector<double> ys)
        : data(std::move(xs), std::move(ys)), plot(kind, style, kId, &source)
    {
        source.data.insert(kId, &data);
        plot.setFullRange(1, 0, 100);
        plot.setFullRange(2, 0, 1000);
        plot.fullZoomOut(3);
        plot.restoreAllRanges(3);
    }
};

QByteArray plotBytes(const TBasePlot& plot)
{
    return written([&](TDataStream& s) { plot.write(s); });
}

}  // namespace

TEST(MassPlot, Construction)
{
    TestSource source;
    const T1DMassPlot fresh(kId, &source);
    EXPECT_EQ(fresh.type(), 1);
    EXPECT_EQ(fresh.id(), kId);
    EXPECT_EQ(fresh.kind(), 0);
    EXPECT_EQ(fresh.traceStyle(), 0);
    EXPECT_EQ(fresh.axis2().labelSide, 2);
    EXPECT_EQ(fresh.axis1().type, 0);
    EXPECT_EQ(fresh.axis2().type, 1);
    EXPECT_EQ(fresh.intensityScale(), 1.0);
    EXPECT_EQ(fresh.segments1().count(), 1);
    EXPECT_EQ(fresh.properties().flags(), 3);
    EXPECT_EQ(&fresh.plotter(), &fresh.massPlotter());
    EXPECT_EQ(fresh.plotter().typeId(), T1DMassPlotter::massTypeId());

    const T1DMassPlot centroid(2, 2, kId, &source);
    EXPECT_EQ(centroid.properties().flags(), 16);  // no grid, baseline
    EXPECT_TRUE(centroid.properties().showBaseline());
    EXPECT_EQ(centroid.axis2().labelSide, 2);
    const T1DMassPlot profile(1, 1, kId, &source);
    EXPECT_EQ(profile.properties().flags(), 0);
    EXPECT_EQ(profile.kind(), 1);
    EXPECT_EQ(profile.traceStyle(), 1);
}

TEST(MassPlot, ZoomIntensity)
{
    PlotRig r(2, 1, {}, {});
    r.plot.cutRange(2, TValueRange(400, 500));
    r.plot.zoomIntensity(false);
    EXPECT_DOUBLE_EQ(r.plot.axis2().fullTo, 1200);
    EXPECT_DOUBLE_EQ(r.plot.axis2().visibleTo, 1200);
    EXPECT_DOUBLE_EQ(r.plot.intensityScale(), 1.2);
    // The gap is kept, the segments reach the new full range.
    EXPECT_EQ(rangesOf(r.plot.segments2()), (Ranges{{0, 400}, {500, 1200}}));
    r.plot.zoomIntensity(true);
    EXPECT_NEAR(r.plot.axis2().fullTo, 1000, 1e-9);
    EXPECT_NEAR(r.plot.intensityScale(), 1.0, 1e-12);
    EXPECT_EQ(r.plot.segments2().count(), 2);
    EXPECT_NEAR(r.plot.segments2().last().to(), 1000, 1e-9);
}

TEST(MassPlot, FitIntensityToHeight)
{
    struct Case {
        const char* name;
        std::vector<double> xs, ys;
        std::pair<double, double> visibleX;
        Ranges xCuts;
        std::pair<double, double> expected;  // full and visible range of axis 2
    };
    const std::vector<Case> cases = {
        {"visible intensities 100 to 600", {10, 20, 30, 40, 50, 60}, {100, 300, 600, 200, 400, 150}, {0, 100}, {},
         {50, 650}},
        // The walk starts on the tallest point: it is examined.
        {"tallest point first", {10, 20, 30}, {900, 100, 500}, {10, 100}, {}, {20, 980}},
        {"points outside the visible range are left out", {10, 20, 30, 40}, {900, 100, 500, 5000}, {15, 35}, {},
         {60, 540}},
        {"points in a cut gap are left out", {10, 20, 30, 40}, {100, 9000, 500, 300}, {0, 100}, {{15, 25}},
         {60, 540}},
        {"values that are not finite are left out", {10, 20, 30, 40}, {100, kNaN, kInf, 500}, {0, 100}, {},
         {60, 540}},
        {"counts differ: the common prefix", {10, 20, 30}, {100, 500}, {0, 100}, {}, {60, 540}},
        {"one value: only the visible range is reset", {10}, {300}, {0, 100}, {}, {0, 1000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotRig r(2, 1, c.xs, c.ys);
        for (const auto& cut : c.xCuts)
            r.plot.cutRange(1, TValueRange(cut.first, cut.second));
        r.plot.zoom(1, c.visibleX.first, c.visibleX.second);
        r.plot.zoom(2, 200, 300);
        r.plot.fitIntensityToHeight();
        EXPECT_NEAR(r.plot.axis2().fullFrom, c.expected.first, 1e-9);
        EXPECT_NEAR(r.plot.axis2().fullTo, c.expected.second, 1e-9);
        EXPECT_NEAR(r.plot.axis2().visibleFrom, c.expected.first, 1e-9);
        EXPECT_NEAR(r.plot.axis2().visibleTo, c.expected.second, 1e-9);
    }
    // Without a data object nothing changes.
    PlotRig r(2, 1, {10}, {300});
    r.source.data.clear();
    r.plot.zoom(2, 200, 300);
    const QByteArray before = plotBytes(r.plot);
    r.plot.fitIntensityToHeight();
    EXPECT_EQ(plotBytes(r.plot), before);
}

TEST(MassPlot, VerticalRanges)
{
    PlotRig r(2, 1, {}, {});
    r.plot.zoom(2, 100, 700);
    const QByteArray bytes = written([&](TDataStream& s) { r.plot.writeVerticalRanges(s); });
    EXPECT_EQ(bytes.size(), 32);
    PlotRig other(2, 1, {}, {});
    other.plot.setFullRange(2, 0, 5000);
    other.plot.cutRange(2, TValueRange(2000, 3000));
    QByteArray copy = bytes;
    TDataStream s(&copy, QIODevice::ReadOnly, 0);
    other.plot.readVerticalRanges(s);
    EXPECT_EQ(other.plot.axis2().fullTo, 1000);
    EXPECT_EQ(other.plot.axis2().visibleFrom, 100);
    EXPECT_EQ(other.plot.axis2().visibleTo, 700);
    EXPECT_EQ(rangesOf(other.plot.segments2()), (Ranges{{0, 1000}}));
    // Cut short: nothing changes.
    QByteArray cut = bytes.left(20);
    TDataStream t(&cut, QIODevice::ReadOnly, 0);
    other.plot.zoom(2, 200, 300);
    other.plot.readVerticalRanges(t);
    EXPECT_EQ(other.plot.axis2().visibleFrom, 200);
}

TEST(MassPlot, SetProperties)
{
    PlotRig r(2, 1, {}, {});
    r.plot.setTracePen(QPen(Qt::green, 3));
    r.plot.setLineStyle(T1DPlotProperties::Crosses);
    TBasePlotProperties base;
    base.setMargin(99);
    r.plot.setProperties(base);
    EXPECT_EQ(r.plot.properties().margin(), 99);
    EXPECT_EQ(r.plot.tracePen(), QPen(Qt::green, 3));
    EXPECT_EQ(r.plot.lineStyle(), T1DPlotProperties::Line);

    T1DPlotProperties one;
    one.setTracePen(QPen(Qt::blue, 1));
    one.setLineStyle(T1DPlotProperties::Circles);
    r.plot.setProperties(one);
    EXPECT_EQ(r.plot.tracePen(), QPen(Qt::blue, 1));
    EXPECT_EQ(r.plot.lineStyle(), T1DPlotProperties::Circles);
    EXPECT_EQ(r.plot.properties().margin(), 15);
}

TEST(MassPlot, DrawOrder)
{
    struct Case {
        const char* name;
        int kind, style;
        int flags;
        bool data;
        QVector<PaintItem::Kind> order;  // Lines items: baseline, trace
        int texts;
    };
    const std::vector<Case> cases = {
        {"centroid spectrum: baseline, sticks, labels", 2, 2, 16, true, {PaintItem::Lines, PaintItem::Lines}, 2},
        {"grid over: baseline after the labels", 2, 2, 16 | 0x100, true, {PaintItem::Lines, PaintItem::Lines}, 2},
        {"profile: no baseline", 2, 1, 16, true, {PaintItem::Lines}, 2},
        {"no data: nothing", 2, 2, 16, false, {}, 0},
        {"unknown kind: nothing", 3, 2, 16, true, {}, 0},
        {"unknown style: nothing", 2, 3, 16, true, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotRig r(c.kind, c.style, {20, 50, 80}, {300, 600, 200});
        r.plot.setPlotFlags(c.flags);
        r.data.peaks = {peakAt(20, 300), peakAt(80, 200)};
        r.data.maximum = 600;
        r.plot.peakProperties().font = testFont();
        if (!c.data)
            r.source.data.clear();
        r.plot.massPlotter().setDeviceRect(QRectF(0, 0, 800, 600));
        PaintRecorder rec;
        {
            QPainter p(&rec);
            r.plot.draw(&p);
        }
        QVector<PaintItem::Kind> kinds;
        for (const PaintItem& item : rec.items())
            if (item.kind == PaintItem::Lines)
                kinds.append(item.kind);
        EXPECT_EQ(kinds, c.order);
        EXPECT_EQ(rec.texts().size(), c.texts);
        if (c.order.size() == 2) {
            // The baseline is drawn in the grid pen, first or last.
            const int baseline = (c.flags & 0x100) ? rec.items().size() - 1 : 0;
            EXPECT_EQ(rec.items()[baseline].kind, PaintItem::Lines);
            EXPECT_EQ(rec.items()[baseline].pen.color(), r.plot.properties().gridPen().color());
            EXPECT_EQ(rec.items()[baseline].lines.size(), 1);
        }
    }
    // Labels hidden: no texts.
    PlotRig r(2, 2, {20}, {300});
    r.data.peaks = {peakAt(20, 300)};
    r.plot.peakProperties().peakFlags = 0;
    PaintRecorder rec;
    {
        QPainter p(&rec);
        r.plot.paint(&p, QRectF(0, 0, 800, 600));
    }
    EXPECT_FALSE(rec.texts().contains("20.000"));
}

TEST(MassPlot, Title)
{
    PlotRig r(2, 1, {}, {});
    r.plot.titleProperties().format = "{file}";
    r.plot.titleProperties().decimals = 4;
    r.plot.titleProperties().font = testFont();
    r.plot.massPlotter().setDeviceRect(QRectF(0, 0, 800, 600));
    auto titles = [&] {
        PaintRecorder rec;
        {
            QPainter p(&rec);
            r.plot.paintTitle(&p);
        }
        return rec.texts();
    };
    EXPECT_EQ(titles(), QVector<QString>{"Run 7"});
    EXPECT_EQ(r.source.lastFormat, "{file}");
    EXPECT_EQ(r.source.lastDecimals, 4);
    r.source.title.clear();
    EXPECT_TRUE(titles().isEmpty());
    r.source.title = "Run 7";
    r.plot.titleProperties().visible = false;
    const int calls = r.source.titleCalls;
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(r.source.titleCalls, calls);
}

TEST(MassPlot, StreamRoundTrip)
{
    PlotRig r(1, 2, {}, {});
    r.plot.setFullRange(1, 0.5, 30);
    r.plot.zoom(1, 2, 20);
    r.plot.cutRange(1, TValueRange(5, 7));
    r.plot.zoomIntensity(false);
    r.plot.setAxisLabel(1, "Time (min)");
    r.plot.setTracePen(QPen(Qt::blue, 2));
    r.plot.setLineStyle(2);
    r.plot.peakProperties().peakFlags = 1 | 16;
    r.plot.peakProperties().threshold = 0.25;
    r.plot.titleProperties().format = "{desc}";
    r.plot.titleProperties().visible = false;
    r.plot.highlight().setColor(QColor(1, 2, 3, 4), true);
    r.plot.highlight().boxVisible = 0;
    const QByteArray bytes = plotBytes(r.plot);

    TestSource source;
    T1DMassPlot back(kId, &source);
    QByteArray copy = bytes;
    TDataStream s(&copy, QIODevice::ReadOnly, 0);
    back.read(s);
    ASSERT_TRUE(s.ok());
    EXPECT_TRUE(s.atEnd());
    EXPECT_EQ(plotBytes(back), bytes);
    EXPECT_EQ(back.kind(), 1);
    EXPECT_EQ(back.traceStyle(), 2);
    EXPECT_EQ(back.axis1().caption, "Time (min)");
    EXPECT_EQ(rangesOf(back.segments1()), rangesOf(r.plot.segments1()));
    EXPECT_DOUBLE_EQ(back.intensityScale(), 1.2);
    EXPECT_EQ(back.tracePen(), QPen(Qt::blue, 2));
    EXPECT_EQ(back.peakProperties().peakFlags, 1 | 16);
    EXPECT_EQ(back.peakProperties().threshold, 0.25);
    EXPECT_EQ(back.titleProperties().format, "{desc}");
    EXPECT_FALSE(back.titleProperties().visible);
    EXPECT_EQ(back.highlight().color, QColor(1, 2, 3, 4));
    EXPECT_EQ(back.highlight().boxVisible, 0);
}

TEST(MassPlot, EmptyBlocksKeepValues)
{
    PlotRig r(2, 2, {}, {});
    const QByteArray plotPart = written([&](TDataStream& s) { r.plot.T1DPlot::write(s); });
    // An empty highlight header and an empty main block: the highlight,
    // kind, style and records stay.
    QByteArray bytes = plotPart + QByteArray(8, '\0');
    TestSource source;
    T1DMassPlot back(2, 1, kId, &source);
    back.highlight().boxVisible = 5;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    back.read(s);
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(back.highlight().boxVisible, 5);
    EXPECT_EQ(back.kind(), 2);
    EXPECT_EQ(back.traceStyle(), 1);
    // An empty 1-D main block keeps the axes.
    QByteArray empty = QByteArray(8, '\0') + QByteArray(8, '\0');
    back.setFullRange(1, 3, 4);
    TDataStream t(&empty, QIODevice::ReadOnly, 0);
    back.read(t);
    EXPECT_EQ(back.axis1().fullFrom, 3);
}

TEST(MassPlot, EveryPrefixOfAStream)
{
    PlotRig r(2, 2, {}, {});
    r.plot.cutRange(1, TValueRange(10, 20));
    r.plot.setAxisLabel(2, "Intensity");
    const QByteArray bytes = plotBytes(r.plot);
    TestSource source;
    T1DMassPlot fresh(kId, &source);
    const QByteArray freshBytes = plotBytes(fresh);
    for (int n = 0; n < bytes.size(); ++n) {
        QByteArray prefix = bytes.left(n);
        T1DMassPlot plot(kId, &source);
        TDataStream s(&prefix, QIODevice::ReadOnly, 0);
        plot.read(s);
        // A cut stream fails and leaves the plot as made.
        ASSERT_FALSE(s.ok()) << n;
        ASSERT_EQ(plotBytes(plot), freshBytes) << n;
    }
    // Bytes flipped one at a time: every read returns and the plot paints.
    for (int n = 0; n < bytes.size(); n += 3) {
        QByteArray damaged = bytes;
        damaged[n] = char(damaged[n] ^ 0xff);
        T1DMassPlot plot(kId, &source);
        TDataStream s(&damaged, QIODevice::ReadOnly, 0);
        plot.read(s);
        QImage image(200, 150, QImage::Format_ARGB32);
        QPainter p(&image);
        plot.paint(&p, QRectF(0, 0, 200, 150));
    }
}

TEST(MassPlot, Pictures)
{
    // A labelled centroid spectrum.
    std::vector<double> mz, in;
    QVector<TMSPeak> peaks;
    for (int i = 0; i < 60; ++i) {
        const double x = 100 + i * 13.7;
        const double y = 50 + std::fabs(std::sin(i * 0.7)) * 900 + (i == 23 ? 2000 : 0);
        mz.push_back(x);
        in.push_back(y);
        peaks.append(peakAt(x, y));
    }
    TestSource source;
    TestData spectrum(mz, in);
    spectrum.peaks = peaks;
    spectrum.maximum = 2950;
    const QUuid sid("{6a1d4f00-0000-4000-8000-00000000a002}");
    source.data.insert(sid, &spectrum);
    T1DMassPlot plot(2, 2, sid, &source);
    plot.setFullRange(1, 80, 950);
    plot.setFullRange(2, 0, 3300);
    plot.fullZoomOut(3);
    plot.restoreAllRanges(3);
    plot.peakProperties().peakFlags = 1 | 4;
    plot.setAxisLabel(1, "m/z");
    source.title = "Labelled centroid spectrum";
    QImage image(1600, 1000, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        plot.paint(&p, QRectF(0, 0, 1600, 1000));
    }
    ASSERT_TRUE(image.save(QStringLiteral(KS_BINARY_DIR "/mass_centroid_spectrum.png")));
    // The strongest stick is drawn in the trace colour.
    QPointF top(23 * 13.7 + 100, 1500);
    ASSERT_TRUE(plot.mapToDevice(top, 3));
    EXPECT_EQ(rgbAt(image, top.x(), top.y()), plot.tracePen().color().rgb() & 0xffffffu);

    // A cut chromatogram with its peaks marked.
    std::vector<double> rt, tic;
    for (int i = 0; i <= 600; ++i) {
        const double t = i * 0.05;
        rt.push_back(t);
        tic.push_back(100 + 800 * std::exp(-std::pow((t - 6) / 0.4, 2)) + 500 * std::exp(-std::pow((t - 19) / 0.6, 2)) +
                      300 * std::exp(-std::pow((t - 25) / 0.3, 2)));
    }
    TestData chromatogram(rt, tic);
    chromatogram.chromPeaks = {chromPeak(6, 900, QPointF(5, 100), QPointF(7, 100), 800, 560),
                               chromPeak(19, 600, QPointF(17.5, 100), QPointF(20.5, 100), 500, 530),
                               chromPeak(25, 400, QPointF(24.3, 100), QPointF(25.8, 100), 300, 160)};
    const QUuid cid("{6a1d4f00-0000-4000-8000-00000000a003}");
    source.data.insert(cid, &chromatogram);
    T1DMassPlot chrom(1, 1, cid, &source);
    chrom.setFullRange(1, 0, 30);
    chrom.setFullRange(2, 0, 1000);
    chrom.fullZoomOut(3);
    chrom.restoreAllRanges(3);
    chrom.cutRange(1, TValueRange(9, 16));
    chrom.peakProperties().peakFlags = 1 | 8 | 32 | 64;
    chrom.setAxisLabel(1, "Time (min)");
    source.title = "Cut chromatogram";
    image.fill(Qt::white);
    {
        QPainter p(&image);
        chrom.paint(&p, QRectF(0, 0, 1600, 1000));
    }
    ASSERT_TRUE(image.save(QStringLiteral(KS_BINARY_DIR "/mass_cut_chromatogram.png")));
    // Nothing of the trace inside the break gap between the two segments.
    QPointF before(9, 500), after(16, 500);
    ASSERT_TRUE(chrom.mapToDevice(before, 1));
    ASSERT_TRUE(chrom.mapToDevice(after, 1));
    const QRectF area = chrom.massPlotter().plotArea();
    for (double y = area.top() + 1; y < area.bottom() - 1; y += 1)
        EXPECT_NE(rgbAt(image, (before.x() + after.x()) / 2, y), chrom.tracePen().color().rgb() & 0xffffffu) << y;
}

// A TIC whose peaks come from the core library's detection: they are
// records built from points, so their labels are drawn (the default
// record's attribute hid every one), with the second line when set.
TEST(MassPlot, DetectedChromatogramPeaksAreLabelled)
{
    TChromatogramDataObj tic(kId, tictest::twoPeaks(), 1);
    tic.detectPeaks();
    ASSERT_EQ(tic.peaks().size(), 2);
    TestSource source;
    source.data.insert(kId, &tic);
    T1DMassPlot plot(1, 1, kId, &source);
    plot.setFullRange(1, 0, 4);
    plot.setFullRange(2, 0, 1200);
    plot.fullZoomOut(3);
    plot.restoreAllRanges(3);
    auto labels = [&] {
        PaintRecorder rec;
        {
            QPainter p(&rec);
            plot.paint(&p, QRectF(0, 0, 1600, 1000));
        }
        return rec.texts();
    };
    const TMSPeakProperties& props = plot.peakProperties();
    ASSERT_TRUE(props.peakFlags & TMSPeakProperties::LabelsVisible) << "shown by default";
    const QVector<QString> first = labels();
    for (const TMSChromPeak& peak : tic.peaks())
        EXPECT_TRUE(first.contains(QString::number(peak.position.x(), 'f', props.decimals)))
            << peak.position.x();
    plot.peakProperties().peakFlags |= TMSPeakProperties::SecondLineHeight;
    const QVector<QString> second = labels();
    for (const TMSChromPeak& peak : tic.peaks())
        EXPECT_TRUE(second.contains(QString::number(peak.height, 'f', props.secondLineDecimals))) << peak.height;
}

TEST(MassPlot, StoredLayout)
{
    PlotRig r(2, 2, {}, {});
    r.plot.cutRange(1, TValueRange(40, 45));
    const QByteArray bytes = plotBytes(r.plot);
    const QByteArray plotPart = written([&](TDataStream& s) { r.plot.T1DPlot::write(s); });
    const QByteArray highlight = written([&](TDataStream& s) { r.plot.highlight().write(s); });
    ASSERT_TRUE(bytes.startsWith(plotPart));
    // 1-D part: an empty header block, then the main block to the end of it.
    EXPECT_EQ(plotPart.left(4), QByteArray(4, '\0'));
    EXPECT_EQ(qFromBigEndian<qint32>(plotPart.constData() + 4), plotPart.size() - 8);
    // The intensity scale closes the main block.
    EXPECT_EQ(plotPart.right(8).toHex(), "3ff0000000000000");
    // Mass part: a header block (an empty block and the highlight), then
    // the main block opening with the kind and style bytes.
    const QByteArray mass = bytes.mid(plotPart.size());
    EXPECT_EQ(qFromBigEndian<qint32>(mass.constData()), 4 + highlight.size());
    EXPECT_EQ(mass.mid(4, 4), QByteArray(4, '\0'));
    EXPECT_EQ(mass.mid(8, highlight.size()), highlight);
    const QByteArray main = mass.mid(8 + highlight.size());
    EXPECT_EQ(qFromBigEndian<qint32>(main.constData()), main.size() - 4);
    EXPECT_EQ(main.mid(4, 2).toHex(), "0202");
    plottest::expectGoldenIn(KS_SOURCE_DIR "/tests/data", bytes, "mass_plot");
}
