#include "tmassplotwrapper.h"

#include "t1dmassplot.h"
#include "t1dmassplotter.h"
#include "tcanvasitemwrapper.h"
#include "tcanvasmass.h"

TMassPlotWrapper::TMassPlotWrapper(TCanvasMass* item, const QUuid& plotId, QObject* parent)
    : QObject(parent), m_item(item), m_plotId(plotId)
{
    setObjectName(QStringLiteral("MassItemPlot"));
}

TCanvasMass* TMassPlotWrapper::item() const
{
    return isLivePageItem(m_item) ? m_item : nullptr;
}

TMassDataObj* TMassPlotWrapper::dataObject() const
{
    const TCanvasMass* mass = item();
    if (!mass || !mass->plot(m_plotId, false))
        return nullptr;
    return mass->dataObject(m_plotId);
}

T1DMassPlot* TMassPlotWrapper::plot() const
{
    const TCanvasMass* mass = item();
    if (!mass || !mass->dataObject(m_plotId))
        return nullptr;
    TBasePlot* p = mass->plot(m_plotId, false);
    // Only one-dimensional plots with a mass plotter are mass plots.
    if (!p || p->type() != 1 || p->plotter().typeId() != T1DMassPlotter::massTypeId())
        return nullptr;
    return static_cast<T1DMassPlot*>(p);
}

bool TMassPlotWrapper::visible() const
{
    const T1DMassPlot* p = plot();
    return p && p->visible();
}

int TMassPlotWrapper::type() const
{
    const T1DMassPlot* p = plot();
    return p ? p->kind() : 0;
}

QString TMassPlotWrapper::id() const
{
    const T1DMassPlot* p = plot();
    return p ? p->id().toString() : QUuid().toString();
}
