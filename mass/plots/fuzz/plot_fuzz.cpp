// The readers of the plot model's stored forms: the input is read as a
// range list, an axis, both property groups, the four label records, a
// state snapshot, a whole mass plot and a mass plot property bag. What reads without failure must write bytes that read
// back to the same bytes; a snapshot that does not parse must leave the
// plot's view as it was, and the view operations must end on whatever a
// snapshot that parses put there, and the plot must paint, hit-test and map
// whatever it holds. A mass plot or bag that does not read stays as made;
// one that reads writes back stably, and the plot paints its data, peak
// labels and title whatever it holds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "imassplotable.h"
#include "t1dmassplot.h"
#include "tbaseplot.h"
#include "tbaseplotter.h"
#include "tdatastream.h"
#include "tlabelproperties.h"
#include "tplotproperties.h"
#include "tplotpropertiesbag.h"

// The GUI application (fonts need one) lives until the process ends, and
// with it the platform plug-in's screen and fontconfig's font cache.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\nleak:libfontconfig.so\n";
}

namespace {

class FuzzPlotter : public TBasePlotter {
public:
    using TBasePlotter::TBasePlotter;
    const QUuid& typeId() const override
    {
        static const QUuid id;
        return id;
    }
};

class FuzzPlot : public TBasePlot {
public:
    FuzzPlot() : TBasePlot(1, QUuid()), m_axis1(0), m_axis2(1)
    {
        setFullRange(1, 0, 100);
        setFullRange(2, 0, 1000);
        fullZoomOut(3);
        restoreAllRanges(3);
    }
    TPlotAxis& axis1() override { return m_axis1; }
    TPlotAxis& axis2() override { return m_axis2; }
    TValueRangeList& segments1() override { return m_segments1; }
    TValueRangeList& segments2() override { return m_segments2; }
    const TPlotAxis& axis1() const override { return m_axis1; }
    const TPlotAxis& axis2() const override { return m_axis2; }
    const TValueRangeList& segments1() const override { return m_segments1; }
    const TValueRangeList& segments2() const override { return m_segments2; }
    const TBasePlotProperties& properties() const override { return m_properties; }
    void setProperties(const TBasePlotProperties& p) override { m_properties.assign(p); }
    void write(TDataStream&) const override {}
    void read(TDataStream&) override {}
    void zoomIntensity(bool) override {}
    void fitIntensityToHeight() override {}
    void writeVerticalRanges(TDataStream&) const override {}
    void readVerticalRanges(TDataStream&) override {}
    TBasePlotter& plotter() override { return m_plotter; }
    const TBasePlotter& plotter() const override { return m_plotter; }
    void draw(QPainter*) override {}
    T1DPlotProperties& look() { return m_properties; }

private:
    TPlotAxis m_axis1, m_axis2;
    TValueRangeList m_segments1, m_segments2;
    T1DPlotProperties m_properties;
    FuzzPlotter m_plotter{*this};
};

// Axes and segments of any value: painting, overlays, hit tests and
// mapping must end without a crash (or a hang, which the fuzzer reports).
void paintAll(FuzzPlot& plot)
{
    static QImage image(400, 300, QImage::Format_RGB32);
    QFont font = plot.look().font();
    font.setPixelSize(12);
    plot.look().setFont(font);
    plot.look().setFlags(TBasePlotProperties::VerticalGrid | TBasePlotProperties::HorizontalGrid);
    QPainter p(&image);
    plot.paint(&p, QRectF(0, 0, 400, 300));
    const TBasePlotter& pl = plot.plotter();
    const QPointF at(200, 120);
    pl.drawLabelBox(&p, at, QStringLiteral("1 [2]"), 1, 3);
    pl.drawCrosshair(&p, at, true);
    for (int mode = 1; mode <= 5; ++mode)
        pl.drawSelection(&p, QRectF(120, 60, 90, -40), mode, 0);
    pl.drawValueMarker(&p, QPen(Qt::blue), 5, 1);
    pl.drawHighlightRect(&p, QRectF(1, 0, 30, 0));
    p.end();
    for (const QPointF& point : {at, QPointF(10, 290)}) {
        plot.hitTest(point);
        QPointF v = point;
        if (plot.mapFromDevice(v, 3))
            plot.mapToDevice(v, 3);
    }
}

template <class T>
void roundTrip(const QByteArray& input, std::function<bool(T&, TDataStream&)> read,
               std::function<void(const T&, TDataStream&)> write)
{
    QByteArray bytes = input;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    T value;
    if (!read(value, s))
        return;
    QByteArray first;
    {
        TDataStream w(&first, QIODevice::WriteOnly, 0);
        write(value, w);
    }
    T again;
    TDataStream r(&first, QIODevice::ReadOnly, 0);
    if (!read(again, r))
        std::abort();  // what was written does not read back
    QByteArray second;
    {
        TDataStream w(&second, QIODevice::WriteOnly, 0);
        write(again, w);
    }
    if (first != second) {
        std::fprintf(stderr, "written once:  %s\nwritten again: %s\n", first.toHex(' ').constData(),
                     second.toHex(' ').constData());
        std::abort();  // what was read does not write back stably
    }
}

template <class T>
void record(const QByteArray& input)
{
    roundTrip<T>(
        input, [](T& v, TDataStream& s) { return v.read(s); }, [](const T& v, TDataStream& s) { v.write(s); });
}

void snapshot(const QByteArray& input)
{
    FuzzPlot plot;
    plot.zoom(1, 10, 20);
    QByteArray before;
    plot.saveState(before);
    if (!plot.restoreState(input)) {
        QByteArray after;
        plot.saveState(after);
        if (after != before)
            std::abort();  // a snapshot that does not parse changed the view
        return;
    }
    paintAll(plot);
    for (int n = 1; n <= 2; ++n) {
        plot.zoom(n, 1, 50);
        plot.pan(n, 5);
        plot.pan(n, -500);
        plot.cutRange(n, TValueRange(2, 3));
        plot.restoreRange(n, TValueRange(0, 4));
        plot.setFullRange(n, -1, 200);
        plot.scaledSegments(n, 1.2);
        plot.scaledAxis(n, 1.2);
    }
    QByteArray state;
    plot.saveState(state);
    FuzzPlot other;
    if (!other.restoreState(state))
        std::abort();  // a saved view does not read back
}

// A data source with a little of everything: a profile that the
// centroid style draws as sticks, peaks of both kinds, gaps.
class FuzzData : public IMassPlotData {
public:
    FuzzData()
    {
        for (int i = 0; i < 40; ++i) {
            xs.push_back(i * 2.5);
            ys.push_back(i % 7 == 3 ? std::numeric_limits<double>::quiet_NaN() : 100.0 * (i % 11));
            peaks.append(TMSPeak(QPointF(i * 2.5, 100.0 * (i % 11))));
        }
        TMSChromPeak c;
        c.position = QPointF(50, 900);
        c.start = QPointF(40, 10);
        c.end = QPointF(40, 20);
        c.height = 800;
        chromPeaks = {c, c};
        chromPeaks[1].start = QPointF(-10, 5);
        chromPeaks[1].end = QPointF(120, 1);
    }
    TValueArray values(int axis) const override { return axis == 0 ? view(xs) : axis == 1 ? view(ys) : TValueArray(); }
    TDataRange fullRange(int) const override { return {}; }
    bool getSpectrumPeaks(QVector<TMSPeak>& out) const override
    {
        out = peaks;
        return true;
    }
    bool getChromatogramPeaks(QVector<TMSChromPeak>& out) const override
    {
        out = chromPeaks;
        return true;
    }
    double getMaximumPeakIntensity() const override { return 1000; }
    QString description() const override { return QString(); }
    int getInjectionIndex() const override { return 0; }
    int getFunctionIndex() const override { return 0; }
    int getTraceIndex() const override { return -1; }
    double getMinimumX() const override { return 0; }
    double getMaximumX() const override { return 100; }
    double getMinimumY() const override { return 0; }
    double getMaximumY() const override { return 1000; }
    TValueArray getXValues() const override { return view(xs); }
    TValueArray getYValues() const override { return view(ys); }
    void write(TDataStream&) const override {}
    void read(TDataStream&) override {}

private:
    static TValueArray view(const std::vector<double>& v)
    {
        TValueArray a;
        a.data = v.data();
        a.step = 1;
        a.count = static_cast<int32_t>(v.size());
        return a;
    }
    std::vector<double> xs, ys;
    QVector<TMSPeak> peaks;
    QVector<TMSChromPeak> chromPeaks;
};

class FuzzSource : public IMassPlotable {
public:
    IMassPlotData* plotData(const QUuid&) override { return &data; }
    QString plotTitle(const QUuid&, const QString& format, int) override { return format.left(64); }
    FuzzData data;
};

QByteArray writtenBy(const std::function<void(TDataStream&)>& write)
{
    QByteArray bytes;
    TDataStream w(&bytes, QIODevice::WriteOnly, 0);
    write(w);
    return bytes;
}

void massPlot(const QByteArray& input)
{
    static FuzzSource source;
    const QUuid id;
    T1DMassPlot plot(id, &source);
    const QByteArray fresh = writtenBy([&](TDataStream& s) { plot.write(s); });
    QByteArray bytes = input;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    plot.read(s);
    const QByteArray first = writtenBy([&](TDataStream& w) { plot.write(w); });
    if (!s.ok()) {
        if (first != fresh)
            std::abort();  // a stream that does not read changed the plot
        return;
    }
    T1DMassPlot again(id, &source);
    QByteArray copy = first;
    TDataStream r(&copy, QIODevice::ReadOnly, 0);
    again.read(r);
    if (!r.ok() || writtenBy([&](TDataStream& w) { again.write(w); }) != first)
        std::abort();  // what was read does not write back stably
    // Stored fonts may ask for any size: paint at a readable one.
    QFont font = plot.properties().font();
    font.setPixelSize(12);
    T1DPlotProperties look = plot.lineProperties();
    look.setFont(font);
    plot.setProperties(look);
    plot.peakProperties().font = font;
    plot.titleProperties().font = font;
    static QImage image(400, 300, QImage::Format_RGB32);
    {
        QPainter p(&image);
        plot.paint(&p, QRectF(0, 0, 400, 300));
        plot.massPlotter().setToleranceBand(plot.intensityScale(), plot.kind() == 1);
        plot.massPlotter().drawCentroids(&p, source.data.values(0), source.data.values(1));
    }
    plot.fitIntensityToHeight();
    plot.zoomIntensity(true);
    QByteArray ranges = writtenBy([&](TDataStream& w) { plot.writeVerticalRanges(w); });
    TDataStream v(&ranges, QIODevice::ReadOnly, 0);
    plot.readVerticalRanges(v);
}

void massBag(const QByteArray& input)
{
    TMassPlotPropertiesBag bag;
    const QByteArray fresh = propertiesBagToByteArray(bag);
    const bool ok = readPropertiesBag(input, bag);
    const QByteArray first = propertiesBagToByteArray(bag);
    if (!ok) {
        if (first != fresh)
            std::abort();  // bytes that do not read changed the bag
        return;
    }
    TMassPlotPropertiesBag again;
    if (!readPropertiesBag(first, again) || propertiesBagToByteArray(again) != first)
        std::abort();  // what was read does not write back stably
    static FuzzSource source;
    T1DMassPlot plot(2, 2, QUuid(), &source);
    bag.applyTo(&plot);
    TMassPlotPropertiesBag fromPlot(&plot);
    fromPlot.assignFromPlot();
}

QGuiApplication* application()
{
    static int argc = 1;
    static char name[] = "mass_plot_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    application();  // fonts need a GUI application
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    record<TValueRangeList>(input);
    record<TPlotAxis>(input);
    record<TBasePlotProperties>(input);
    record<T1DPlotProperties>(input);
    record<TMSTitleProperties>(input);
    record<TMSPeakProperties>(input);
    record<TMSHighlightProperties>(input);
    snapshot(input);
    massPlot(input);
    massBag(input);
    return 0;
}
