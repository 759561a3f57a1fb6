// Helpers of the mass plot tests: a small data object and data source,
// a free-standing mass painter over records the test owns (fixed plot
// area: x value v at device 100 + 6v, intensity v at 450 - 0.4v), and
// views of plain vectors.
#pragma once

#include <gtest/gtest.h>

#include <QMap>
#include <QtEndian>

#include <vector>

#include "imassplotable.h"
#include "plotter/plottertest.h"
#include "t1dmassplot.h"
#include "t1dmassplotter.h"
#include "tmassdataobj.h"

namespace massplottest {

using namespace plottertest;

inline TValueArray view(const std::vector<double>& v)
{
    TValueArray a;
    a.data = v.empty() ? nullptr : v.data();
    a.step = 1;
    a.count = static_cast<int32_t>(v.size());
    return a;
}

// Plottable data held in plain vectors.
class TestData : public IMassPlotData {
public:
    TestData(std::vector<double> x, std::vector<double> y) : xs(std::move(x)), ys(std::move(y)) {}
    TValueArray values(int axis) const override { return axis == 0 ? view(xs) : axis == 1 ? view(ys) : TValueArray(); }
    TDataRange fullRange(int) const override { return {}; }
    bool getSpectrumPeaks(QVector<TMSPeak>& out) const override
    {
        out = peaks;
        return !out.isEmpty();
    }
    bool getChromatogramPeaks(QVector<TMSChromPeak>& out) const override
    {
        out = chromPeaks;
        return !out.isEmpty();
    }
    double getMaximumPeakIntensity() const override { return maximum; }
    QString description() const override { return QStringLiteral("test data"); }
    int getInjectionIndex() const override { return 0; }
    int getFunctionIndex() const override { return 0; }
    int getTraceIndex() const override { return -1; }
    double getMinimumX() const override { return 0; }
    double getMaximumX() const override { return 0; }
    double getMinimumY() const override { return 0; }
    double getMaximumY() const override { return 0; }
    TValueArray getXValues() const override { return view(xs); }
    TValueArray getYValues() const override { return view(ys); }
    void write(TDataStream&) const override {}
    void read(TDataStream&) override {}

    std::vector<double> xs, ys;
    QVector<TMSPeak> peaks;
    QVector<TMSChromPeak> chromPeaks;
    double maximum = 0;
};

// A mass item as its plots see it: data objects by plot id and a title.
class TestSource : public IMassPlotable {
public:
    IMassPlotData* plotData(const QUuid& id) override { return data.value(id, nullptr); }
    QString plotTitle(const QUuid& id, const QString& format, int decimals) override
    {
        ++titleCalls;
        lastFormat = format;
        lastDecimals = decimals;
        return data.contains(id) ? title : QString();
    }
    QMap<QUuid, IMassPlotData*> data;
    QString title = QStringLiteral("Run 7");
    int titleCalls = 0;
    QString lastFormat;
    int lastDecimals = -1;
};

inline TMSPeak peakAt(double x, double y, int32_t flags = 0)
{
    TMSPeak p(QPointF(x, y));
    p.attribute = flags;
    return p;
}

inline TMSChromPeak chromPeak(double rt, double apex, QPointF start, QPointF end, double height, double area = 0)
{
    TMSChromPeak p;
    p.position = QPointF(rt, apex);
    p.attribute = 0;
    p.start = start;
    p.end = end;
    p.height = height;
    p.area = area;
    return p;
}

// The free-standing mass painter over the rig of the plotter tests, the
// title hidden.
struct MassRig {
    TPlotAxis x{0}, y{1};
    TValueRangeList sx, sy;
    T1DPlotProperties look;
    TMSTitleProperties title;
    T1DMassPlotter plotter{QRectF(0, 0, 800, 600), &x, &y, &sx, &sy, &look, &title};

    MassRig(const Ranges& xCuts = {}, const Ranges& yCuts = {})
    {
        look.setFont(testFont());
        title.font = testFont();
        title.visible = false;
        setAxis(x, sx, 0, 100, xCuts);
        setAxis(y, sy, 0, 1000, yCuts);
        plotter.setFixedPlotArea(QRectF(100, 50, 600, 400));
    }
    static double px(double v) { return 100 + 6 * v; }
    static double py(double v) { return 450 - 0.4 * v; }
};

// The lines of the only drawLines call of a recording (fails when there is
// not exactly one).
inline QVector<QLineF> onlyLines(const PaintRecorder& rec)
{
    const QVector<PaintItem> items = rec.itemsOf(PaintItem::Lines);
    EXPECT_EQ(items.size(), 1);
    return items.isEmpty() ? QVector<QLineF>() : items.first().lines;
}

inline bool sameLine(const QLineF& a, const QLineF& b, double eps = 1e-6)
{
    return near(a.x1(), b.x1(), eps) && near(a.y1(), b.y1(), eps) && near(a.x2(), b.x2(), eps) &&
           near(a.y2(), b.y2(), eps);
}

}  // namespace massplottest
