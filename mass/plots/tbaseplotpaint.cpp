// TBasePlot: painting, device mapping and hit tests through the plot's
// painter.
#include "tbaseplot.h"

#include <QPainter>

#include "tbaseplotter.h"
#include "tdatastream.h"
#include "tplotproperties.h"

void TBasePlot::paintAxes(QPainter* painter)
{
    const TBasePlotter& p = plotter();
    p.drawAxis(painter, axis1(), segments1());
    p.drawAxis(painter, axis2(), segments2());
}

void TBasePlot::paint(QPainter* painter, const QRectF& rect)
{
    TBasePlotter& p = plotter();
    p.setDeviceRect(rect);
    p.drawBackground(painter);
    p.drawFrame(painter);
    paintAxes(painter);
    const TBasePlotProperties& look = properties();
    auto grid = [&] {
        if (look.showHorizontalGrid())
            p.drawGrid(painter, axis2(), segments2(), axis1(), segments1());
        if (look.showVerticalGrid())
            p.drawGrid(painter, axis1(), segments1(), axis2(), segments2());
    };
    if (!look.gridOver())
        grid();
    draw(painter);
    if (look.gridOver())
        grid();
    paintTitle(painter);
}

void TBasePlot::paintInRect(QPainter* painter, const QRectF& rect)
{
    QByteArray axes;
    {
        TDataStream s(&axes, QIODevice::WriteOnly, 0);
        saveAxes(s);
    }
    TBasePlotter& p = plotter();
    const QRectF saved = p.deviceRect();
    paint(painter, rect);
    p.setDeviceRect(saved);
    TDataStream s(&axes, QIODevice::ReadOnly, 0);
    loadAxes(s);
}

int TBasePlot::hitTest(const QPointF& point) const
{
    const TBasePlotter& p = plotter();
    p.preparePoint(point);
    return p.hitTest(point);
}

namespace {

// Each flagged coordinate converted in place; flags 3 need both.
bool mapPlotPoint(const TBasePlotter& p, QPointF& point, int flags, bool toPixel)
{
    double x = point.x(), y = point.y();
    const bool okX = (flags & 1) && (toPixel ? p.axisValueToPixel(x, 1) : p.pixelToAxisValue(x, 1));
    const bool okY = (flags & 2) && (toPixel ? p.axisValueToPixel(y, 2) : p.pixelToAxisValue(y, 2));
    point = QPointF(x, y);
    return flags == 3 ? okX && okY : okX || okY;
}

}  // namespace

bool TBasePlot::mapFromDevice(QPointF& point, int flags) const
{
    return mapPlotPoint(plotter(), point, flags, false);
}

bool TBasePlot::mapToDevice(QPointF& point, int flags) const
{
    return mapPlotPoint(plotter(), point, flags, true);
}
