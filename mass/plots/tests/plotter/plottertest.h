// Helpers of the plotter tests: a free-standing painter over records the
// test owns (a fixed plot area places the axes exactly), a painter that
// counts its preparation hook, axes with cuts, the DejaVu test font, and
// checks on recorded painting.
#pragma once

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "paintrecorder.h"
#include "plottest.h"
#include "tbaseplotter.h"
#include "tplotproperties.h"

namespace plottertest {

using plottest::Ranges;
using plottest::rangesOf;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

// DejaVu Sans at 20 pixels (the set-up script installs the DejaVu fonts),
// so that text metrics are the same on every machine.
inline QFont testFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    return f;
}

inline QFontMetricsF testMetrics()
{
    return QFontMetricsF(testFont());
}

// The full range from..to shown whole, with the cut ranges taken out of
// its segments.
inline void setAxis(TPlotAxis& axis, TValueRangeList& segments, double from, double to, const Ranges& cuts = {})
{
    axis.setFullRange(from, to);
    axis.showFullRange();
    segments.set(TValueRange(axis.fullFrom, axis.fullTo));
    for (const auto& c : cuts)
        segments.remove(TValueRange(c.first, c.second));
}

class CountingPlotter : public plottest::ModelPlotter {
public:
    using ModelPlotter::ModelPlotter;
    void preparePainter(QPainter*) const override { ++prepared; }
    mutable int prepared = 0;
};

// Axis 1 over (0, 100), axis 2 over (0, 1000), a fixed plot area of
// (100, 50, 600, 400) in a device rectangle of (0, 0, 800, 600), the test
// font and no grid.
struct Rig {
    TPlotAxis x{0}, y{1};
    TValueRangeList sx, sy;
    T1DPlotProperties look;
    CountingPlotter plotter{QRectF(0, 0, 800, 600), &x, &y, &sx, &sy, &look};

    Rig()
    {
        look.setFont(testFont());
        setAxis(x, sx, 0, 100);
        setAxis(y, sy, 0, 1000);
        plotter.setFixedPlotArea(QRectF(100, 50, 600, 400));
    }
    QRectF area() const { return plotter.plotArea(); }
};

// What a painter must leave behind: the painter state as it found it.
struct PainterState {
    explicit PainterState(const QPainter& p)
        : pen(p.pen()), brush(p.brush()), font(p.font()), transform(p.transform())
    {
    }
    bool operator==(const PainterState& o) const
    {
        return pen == o.pen && brush == o.brush && font == o.font && transform == o.transform;
    }
    QPen pen;
    QBrush brush;
    QFont font;
    QTransform transform;
};

inline bool finiteLine(const QLineF& l)
{
    return std::isfinite(l.x1()) && std::isfinite(l.y1()) && std::isfinite(l.x2()) && std::isfinite(l.y2());
}

// Every coordinate the painter handed over is finite.
inline void expectFinite(const PaintRecorder& rec)
{
    for (const PaintItem& item : rec.items()) {
        for (const QLineF& l : item.lines)
            EXPECT_TRUE(finiteLine(l)) << "line " << l.x1() << "," << l.y1() << " " << l.x2() << "," << l.y2();
        for (const QRectF& r : item.rects)
            EXPECT_TRUE(std::isfinite(r.x() + r.y() + r.width() + r.height()));
        for (const QPointF& p : item.polygon)
            EXPECT_TRUE(std::isfinite(p.x() + p.y()));
        EXPECT_TRUE(std::isfinite(item.position.x() + item.position.y()));
        EXPECT_TRUE(item.transform.isInvertible() || item.transform.isIdentity());
    }
}

inline bool near(double a, double b, double eps = 1e-9)
{
    return std::fabs(a - b) <= eps;
}

// A line's length.
inline double lengthOf(const QLineF& l)
{
    return std::hypot(l.x2() - l.x1(), l.y2() - l.y1());
}

// The colour of a pixel as 0xRRGGBB.
inline unsigned rgbAt(const QImage& image, double x, double y)
{
    return image.pixel(int(x), int(y)) & 0xffffffu;
}

}  // namespace plottertest
