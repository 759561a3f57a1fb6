// Painting mass traces, as every zoom and pan repaints them, into a
// 1600 x 1000 image:
//   - a 100,000-point profile over an x axis with three cuts;
//   - a 10,000-stick centroid spectrum, sticks alone and with peak labels;
// each against one QPainter::drawLines of the same lines, computed once
// beforehand (the floor: the painter's own cost of what is drawn). The
// target is at most twice the floor.
#include "benchsummary.h"

#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <cmath>
#include <functional>
#include <vector>

#include "t1dmassplotter.h"

namespace {

QGuiApplication& application()
{
    static int argc = 1;
    static char name[] = "ionvale_paint_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

// A paint device that keeps the lines handed to drawLines, to build the
// floor's precomputed lines from what the painter draws.
class LineGrabber : public QPaintDevice {
public:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawLines(const QLineF* lines, int count) override
        {
            for (int i = 0; i < count; ++i)
                grabbed.append(lines[i]);
        }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem&) override {}
        Type type() const override { return QPaintEngine::User; }
        QVector<QLineF> grabbed;
    };
    QPaintEngine* paintEngine() const override { return &m_engine; }
    const QVector<QLineF>& lines() const { return m_engine.grabbed; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 1600;
        case PdmHeight: return 1000;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return 1 * QPaintDevice::devicePixelRatioFScale();
        default: return 1000;
        }
    }

private:
    mutable Engine m_engine;
};

TValueArray view(const std::vector<double>& v)
{
    TValueArray a;
    a.data = v.data();
    a.step = 1;
    a.count = static_cast<int32_t>(v.size());
    return a;
}

struct Scene {
    TPlotAxis x{0}, y{1};
    TValueRangeList sx, sy;
    T1DPlotProperties look;
    TMSTitleProperties title;
    T1DMassPlotter plotter{QRectF(0, 0, 1600, 1000), &x, &y, &sx, &sy, &look, &title};
    std::vector<double> xs, ys;
    QVector<TMSPeak> peaks;
    TMSPeakProperties peakProperties;
    QImage image{1600, 1000, QImage::Format_ARGB32_Premultiplied};

    Scene(double from, double to, double top)
    {
        application();
        title.visible = false;
        x.setFullRange(from, to);
        x.showFullRange();
        sx.set(TValueRange(from, to));
        y.setFullRange(0, top);
        y.showFullRange();
        sy.set(TValueRange(0, top));
        plotter.setFixedPlotArea(QRectF(120, 60, 1440, 840));
        image.fill(Qt::white);
    }
};

// A profile of 100,000 points, three cuts.
Scene& profileScene()
{
    // Made once and kept: the painter points into the scene.
    static Scene* s = [] {
        Scene* p = new Scene(0, 100, 1200);
        for (int i = 0; i < 100000; ++i) {
            const double t = i * 0.001;
            p->xs.push_back(t);
            p->ys.push_back(500 + 400 * std::sin(t * 7.3) * std::cos(t * 0.9) + (i * 7919 % 101));
        }
        for (double c : {20.0, 45.0, 70.0})
            p->sx.remove(TValueRange(c, c + 5));
        return p;
    }();
    return *s;
}

// 10,000 centroid sticks with peaks.
Scene& centroidScene()
{
    static Scene* s = [] {
        Scene* p = new Scene(100, 1100, 1100);
        uint32_t r = 1;
        for (int i = 0; i < 10000; ++i) {
            r = r * 1664525u + 1013904223u;
            const double mz = 100 + i * 0.1;
            const double in = 20 + (r >> 22) * 0.9;
            p->xs.push_back(mz);
            p->ys.push_back(in);
            p->peaks.append(TMSPeak(QPointF(mz, in)));
        }
        p->peakProperties.peakFlags = 1 | 4;
        return p;
    }();
    return *s;
}

QVector<QLineF> grab(const std::function<void(QPainter*)>& paint)
{
    LineGrabber g;
    QPainter p(&g);
    paint(&p);
    p.end();
    return g.lines();
}

void BM_ProfileTrace(benchmark::State& state)
{
    Scene& s = profileScene();
    for (auto _ : state) {
        QPainter p(&s.image);
        s.plotter.drawProfile(&p, view(s.xs), view(s.ys));
    }
}
BENCHMARK(BM_ProfileTrace)->Unit(benchmark::kMillisecond);

// The painter's own work without rasterising: lines handed to a device
// that only keeps them.
void BM_ProfileLinesOnly(benchmark::State& state)
{
    Scene& s = profileScene();
    for (auto _ : state)
        benchmark::DoNotOptimize(grab([&](QPainter* p) { s.plotter.drawProfile(p, view(s.xs), view(s.ys)); }));
}
BENCHMARK(BM_ProfileLinesOnly)->Unit(benchmark::kMillisecond);

void BM_ProfileFloor(benchmark::State& state)
{
    Scene& s = profileScene();
    const QVector<QLineF> lines = grab([&](QPainter* p) { s.plotter.drawProfile(p, view(s.xs), view(s.ys)); });
    state.counters["lines"] = lines.size();
    for (auto _ : state) {
        QPainter p(&s.image);
        p.setPen(s.look.tracePen());
        p.drawLines(lines);
    }
}
BENCHMARK(BM_ProfileFloor)->Unit(benchmark::kMillisecond);

void BM_CentroidSticks(benchmark::State& state)
{
    Scene& s = centroidScene();
    for (auto _ : state) {
        QPainter p(&s.image);
        s.plotter.drawCentroids(&p, view(s.xs), view(s.ys));
    }
}
BENCHMARK(BM_CentroidSticks)->Unit(benchmark::kMillisecond);

void BM_CentroidLabelled(benchmark::State& state)
{
    Scene& s = centroidScene();
    for (auto _ : state) {
        QPainter p(&s.image);
        s.plotter.drawCentroids(&p, view(s.xs), view(s.ys));
        s.plotter.drawSpectrumPeakLabels(&p, s.peaks, s.peakProperties, 1070);
    }
}
BENCHMARK(BM_CentroidLabelled)->Unit(benchmark::kMillisecond);

void BM_CentroidFloor(benchmark::State& state)
{
    Scene& s = centroidScene();
    const QVector<QLineF> lines = grab([&](QPainter* p) { s.plotter.drawCentroids(p, view(s.xs), view(s.ys)); });
    state.counters["lines"] = lines.size();
    for (auto _ : state) {
        QPainter p(&s.image);
        p.setPen(s.look.tracePen());
        p.drawLines(lines);
    }
}
BENCHMARK(BM_CentroidFloor)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_ProfileTrace_again", BM_ProfileTrace)->Unit(benchmark::kMillisecond);
    const char* floor = "floor: one QPainter::drawLines of the lines our painter draws, grabbed beforehand, same pen";
    return ksbench::runWithSummary(
        argc, argv,
        {{"paint a 100,000-point profile, 1600 x 1000", "BM_ProfileTrace", "BM_ProfileFloor",
          "the mass plotter's drawProfile over an axis with three cuts into the image", floor, 2.0},
         {"paint a 10,000-stick centroid spectrum", "BM_CentroidSticks", "BM_CentroidFloor",
          "drawCentroids of the 10,000 sticks", floor, 2.0},
         {"the same sticks with their 10,000 peak labels laid out", "BM_CentroidLabelled", "BM_CentroidFloor",
          "drawCentroids, then drawSpectrumPeakLabels (flags 1 | 4)", "the sticks' floor", 2.0},
         {"profile lines made, not rasterised", "BM_ProfileLinesOnly", nullptr,
          "drawProfile into a device that only keeps the lines"},
         {"control: profile / again", "BM_ProfileTrace", "BM_ProfileTrace_again"}});
}
