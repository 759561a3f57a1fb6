#include "tmmactions.h"

#include <memory>

#include "ipluginhost.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tcmdselect.h"
#include "tcmdview.h"

namespace {

TCanvasItemList selectedItems(const TMouseModeDispatcher* dispatcher)
{
    IPluginHost* host = dispatcher->host();
    return host ? host->selectedItems(0) : TCanvasItemList();
}

void execute(const TMouseModeDispatcher* dispatcher, TCommand* command)
{
    if (IPluginHost* host = dispatcher->host())
        host->executeCommand(command);
    else
        delete command;
}

}  // namespace

TMMActZoom::TMMActZoom(TMouseModeDispatcher* dispatcher)
    : TMMActionBaseSelection(dispatcher, {mousemode::kRectZoom, mousemode::kClickZoom})
{
    setModeFlags(mousemode::kClickZoom, 1);
}

void TMMActZoom::click(TCanvasItem*, const QPointF& point)
{
    const int direction =
        m_dispatcher->currentMode == mousemode::kClickZoom ? TCmdZoomSpectra::ZoomOut : TCmdZoomSpectra::ZoomIn;
    auto* command =
        new TCmdZoomSpectra(point.x(), point.y(), direction, m_dispatcher->axes, selectedItems(m_dispatcher));
    command->enableFitToHeight();
    execute(m_dispatcher, command);
}

void TMMActZoom::rectangle(TCanvasItem*, const QRectF& rect)
{
    auto* command = new TCmdZoomSpectra(rect, selectedItems(m_dispatcher));
    command->enableFitToHeight();
    execute(m_dispatcher, command);
}

TMMActCuts::TMMActCuts(TMouseModeDispatcher* dispatcher)
    : TMMActionBaseSelection(dispatcher, {mousemode::kCut, mousemode::kRestoreCut})
{
}

void TMMActCuts::rectangle(TCanvasItem*, const QRectF& rect)
{
    const int operation = m_dispatcher->currentMode == m_modeIds.first() ? 1 : 0;
    auto* command = new TCmdSpectraCuts(operation, selectedItems(m_dispatcher));
    if (rect.width() != 0)
        command->setCutRange(TValueRange(rect.x(), rect.x() + rect.width()));
    execute(m_dispatcher, command);
}

TMMActPan::TMMActPan(TMouseModeDispatcher* dispatcher)
    : TMMActionBasePan(dispatcher, {mousemode::kPan})
{
}

bool TMMActPan::pan(TCanvasItem*, const QRectF& rect)
{
    auto command = std::make_unique<TCmdPanSpectra>(selectedItems(m_dispatcher));
    const int axes = m_dispatcher->axes;
    if (axes == 0 || axes == 1)
        command->dx = -rect.width();
    if (axes == 0 || axes == 2)
        command->dy = -rect.height();
    if (!command->hasShift())
        return false;
    execute(m_dispatcher, command.release());
    return true;
}

TMMActCrosshairs::TMMActCrosshairs(TMouseModeDispatcher* dispatcher)
    : TMMActionBaseCrosshairs(dispatcher, {mousemode::kSpectrumSelection})
{
    setDragOverlay(true);
}

bool TMMActCrosshairs::onChromatogram(TCanvasItem* item)
{
    const auto* mass = static_cast<const TCanvasMass*>(item);
    const TBasePlot* plot = mass->currentPlot();
    return plot && mass->isChromatogramPlot(plot->id());
}

bool TMMActCrosshairs::click(TCanvasItem* item, const QPointF& point)
{
    if (!onChromatogram(item))
        return false;
    const bool append = m_dispatcher->modifiers.testFlag(Qt::ShiftModifier);
    execute(m_dispatcher, new TCmdSelectMassSpectrum(point, TCanvasItemList(item), append));
    return true;
}

bool TMMActCrosshairs::rectangle(TCanvasItem* item, const QRectF& rect)
{
    if (!onChromatogram(item))
        return false;
    const bool append = m_dispatcher->modifiers.testFlag(Qt::ShiftModifier);
    execute(m_dispatcher, new TCmdSelectMassSpectrum(rect, TCanvasItemList(item), append));
    return true;
}
