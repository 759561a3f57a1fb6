#include "tmmactions.h"

#include <memory>

#include <QMouseEvent>
#include <QPolygonF>

#include "ipluginhost.h"
#include "qtcanvas.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tcmdanalysis.h"
#include "tcmdplotobject.h"
#include "tcmdselect.h"
#include "tcmdview.h"
#include "tdatastream.h"
#include "tionvale.h"
#include "tmassdataobj.h"

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

TMMActExpansion::TMMActExpansion(TMouseModeDispatcher* dispatcher)
    : TMMActionBaseSelection(dispatcher, {mousemode::kExpansion})
{
}

void TMMActExpansion::rectangle(TCanvasItem* item, const QRectF& rect)
{
    TIonvale* plugin = m_dispatcher->plugin();
    IPluginHost* host = m_dispatcher->host();
    if (!plugin || !host)
        return;
    auto* made = static_cast<TCanvasMass*>(plugin->createItem(112));
    if (!made)
        return;
    // The copy: the source's plug-in data read into the new item.
    QByteArray bytes;
    {
        TDataStream out(&bytes, QIODevice::WriteOnly);
        item->writePluginData(out);
    }
    {
        TDataStream in(&bytes, QIODevice::ReadOnly);
        made->readPluginData(in);
    }
    // Only the current plot stays.
    const TBasePlot* current = made->currentPlot();
    QList<QUuid> others;
    for (const TBasePlot* p : made->plots())
        if (p && p != current)
            others.append(p->id());
    for (const QUuid& id : others)
        made->removePlotObject(id);
    const QRectF view = host->viewRect();
    made->setGeometry(QPolygonF(QRectF(view.x(), view.y(), view.width() / 3, view.height() / 3)));
    if (QtCanvas* canvas = host->canvas())
        canvas->placeNewItems(QtCanvasItemList({made}));
    if (TBasePlot* plot = made->currentPlot()) {
        if (rect.width() != 0)
            plot->zoom(1, rect.x(), rect.x() + rect.width());
        if (rect.height() != 0)
            plot->zoom(2, rect.y(), rect.y() + rect.height());
    }
    auto* command = new TCmdCreateItem(TCmdCreateItem::Create, TCanvasItemList(made), host, true);
    command->name = "Spectrum Expansion";
    host->executeCommand(command);
}

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
    : TMMActCrosshairs(dispatcher, {mousemode::kSpectrumSelection})
{
}

TMMActCrosshairs::TMMActCrosshairs(TMouseModeDispatcher* dispatcher, QList<QUuid> modeIds)
    : TMMActionBaseCrosshairs(dispatcher, std::move(modeIds))
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

// --- TMMActionElementComposition -------------------------------------------

TMMActionElementComposition::TMMActionElementComposition(TMouseModeDispatcher* dispatcher,
                                                         const TKSElementTable* table)
    : TMMActCrosshairs(dispatcher, {mousemode::kElementComposition})
    , elementTable(table)
{
}

void TMMActionElementComposition::reset()
{
    onSpectrum = false;
    snapped = false;
}

bool TMMActionElementComposition::handle(QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    TMouseModeDispatcher& d = *m_dispatcher;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    auto* item = static_cast<TCanvasMass*>(activeItem(m_itemType));
    if (!item) {
        // A release always ends the drag.
        if (release)
            d.dragging = false;
        return false;
    }
    const QPoint canvas = d.toCanvas(mouse->pos());
    if (!d.dragging) {
        const TBasePlot* plot = item->plotAt(QPointF(canvas));
        onSpectrum = plot && item->isSpectrumPlot(plot->id());
        if (plot)
            item->setCurrentPlotAt(canvas);
    }
    if (!onSpectrum)
        return TMMActCrosshairs::handle(event);

    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (!snapped) {
            if (item->plotAreaAt(QPointF(canvas)) != 3)
                return false;
            d.updatePosition(mouse->pos(), true);
        }
        d.dragging = true;
        return true;
    }
    if (release) {
        if (!d.dragging)
            return false;
        d.dragging = false;
        QPointF values = d.pressPoint;
        bool have = true;
        if (snapped)
            values = snapPoint;
        else
            have = item->mapToPlotValues(values, 1);
        if (have)
            compute(item, values.x());
        snapped = false;
        repaint(item);
        return true;
    }
    // A move: snap while no drag is under way.
    if (!d.dragging) {
        snap(item, mouse->pos());
        repaint(item);
    }
    return false;
}

void TMMActionElementComposition::snap(TCanvasSpectrum* spectrumItem, const QPoint& viewPosition)
{
    TMouseModeDispatcher& d = *m_dispatcher;
    auto* item = static_cast<TCanvasMass*>(spectrumItem);
    d.updatePosition(viewPosition, false);
    snapped = false;
    QPointF values = d.currentPoint;
    QPointF near;
    if (!item->mapToPlotValues(values, 1) || !item->pointNear(values.x(), near))
        return;
    snapPoint = near;
    QPointF canvas = near;
    if (item->mapFromPlotValues(canvas, 3)) {
        snapOnTrace = true;
    } else {
        // The intensity does not map: the cursor's height stays.
        canvas = near;
        if (!item->mapFromPlotValues(canvas, 1))
            return;
        canvas.setY(d.currentPoint.y());
        snapOnTrace = false;
    }
    snapped = true;
    const QPoint view = d.fromCanvas(canvas.toPoint());
    d.updatePosition(view, true);
}

bool TMMActionElementComposition::compute(TCanvasItem* item, double mz)
{
    auto* mass = static_cast<TCanvasMass*>(item);
    TMassSpecDataObj* spectrum = TMassSpecDataObj::cast(mass->currentDataObject());
    if (!spectrum)
        return false;
    execute(m_dispatcher, new TCmdMassElementComposition(spectrum, mz, elementTable, selectedItems(m_dispatcher)));
    if (IPluginHost* host = m_dispatcher->host())
        host->showDock("MassElementCompositionTable", true);
    return true;
}
