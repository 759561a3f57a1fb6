#include "tmousemodes.h"

#include <QMouseEvent>
#include <QtMath>

#include "ipluginhost.h"
#include "tcanvasspectrum.h"
#include "tionvale.h"

namespace mousemode {
const QUuid kRectZoom("{5042ea2a-4b57-4940-a51e-48f7e2bcfd4e}");
const QUuid kClickZoom("{c2a41a4e-75e6-44c9-bb72-9b5f7476c895}");
const QUuid kExpansion("{f14ded40-6e09-11dd-ad8b-0800200c9a66}");
const QUuid kPan("{a6d2472c-87fa-40c3-b3e0-e329783e4034}");
const QUuid kCut("{fbbacb4f-dc3d-4462-a962-ac6c0a8cf3a0}");
const QUuid kRestoreCut("{05d90524-b709-4d0d-aa3d-dce18343d53a}");
const QUuid kSpectrumSelection("{3d4a0a12-3f9c-49da-8638-cda5e15e7140}");
const QUuid kElementComposition("{543e9223-4ebf-412c-89b3-fe9bf1299465}");

int cursorId(const QUuid& mode, int axes, bool dragging)
{
    // Per mode: the id for axes 0, 1 and 2.
    auto byAxes = [axes](int both, int horizontal, int vertical) {
        return axes == 1 ? horizontal : axes == 2 ? vertical : both;
    };
    if (mode == kRectZoom || mode == kExpansion)
        return byAxes(500, 501, 502);
    if (mode == kClickZoom)
        return byAxes(503, 504, 505);
    if (mode == kPan)
        return dragging ? byAxes(509, 510, 511) : byAxes(506, 507, 508);
    if (mode == kCut)
        return 513;
    if (mode == kRestoreCut)
        return 516;
    if (mode == kSpectrumSelection)
        return 518;
    return 0;
}
}  // namespace mousemode

namespace {

constexpr int kPlotArea = 3;

QMouseEvent* mouseEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return static_cast<QMouseEvent*>(event);
    default:
        return nullptr;
    }
}

bool isPress(const QEvent* event)
{
    return event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
}

}  // namespace

// --- TMouseModeAction ------------------------------------------------------

TMouseModeAction::TMouseModeAction(TMouseModeDispatcher* dispatcher, QList<QUuid> modeIds)
    : m_modeIds(std::move(modeIds))
    , m_dispatcher(dispatcher)
{
}

bool TMouseModeAction::servesCurrentMode() const
{
    return m_modeIds.contains(m_dispatcher->currentMode);
}

TCanvasSpectrum* TMouseModeAction::activeItem(int type) const
{
    // Items of the mass types are spectrum items.
    return static_cast<TCanvasSpectrum*>(m_dispatcher->activeItemOfType(type));
}

bool TMouseModeAction::hitPlot(TCanvasSpectrum* item, QMouseEvent* event) const
{
    const QPoint canvas = m_dispatcher->toCanvas(event->pos());
    if (item->plotAreaAt(QPointF(canvas)) != kPlotArea)
        return false;
    item->setCurrentPlotAt(canvas);
    return true;
}

bool TMouseModeAction::plotRectangle(TCanvasSpectrum* item, QRectF& rect) const
{
    QPointF first = m_dispatcher->pressPoint;
    QPointF second = item->clampToCurrentPlot(m_dispatcher->currentPoint);
    if (!item->mapToPlotValues(first, 3) || !item->mapToPlotValues(second, 3))
        return false;
    rect = QRectF(first.x(), first.y(), second.x() - first.x(), second.y() - first.y());
    return true;
}

bool TMouseModeAction::pressValues(TCanvasSpectrum* item, QPointF& point) const
{
    point = m_dispatcher->pressPoint;
    return item->mapToPlotValues(point, 3);
}

bool TMouseModeAction::acceptsMoveOrLeft(QEvent* event) const
{
    QMouseEvent* mouse = mouseEvent(event);
    return mouse && servesCurrentMode()
           && (mouse->type() == QEvent::MouseMove || mouse->button() == Qt::LeftButton);
}

void TMouseModeAction::repaint(TCanvasItem* item) const
{
    if (IPluginHost* host = m_dispatcher->host())
        host->repaintItem(item, 0);
}

bool TMouseModeAction::handle(QEvent* event)
{
    QMouseEvent* mouse = mouseEvent(event);
    if (!mouse)
        return false;
    TMouseModeDispatcher& d = *m_dispatcher;
    if (mouse->type() == QEvent::MouseButtonRelease) {
        // A release always ends the drag, with or without an item.
        const bool wasDragging = d.dragging;
        d.dragging = false;
        dragEnded();
        TCanvasSpectrum* item = activeItem(m_itemType);
        if (!wasDragging || !item)
            return false;
        released(item, mouse);
        return true;
    }
    TCanvasSpectrum* item = activeItem(m_itemType);
    if (!item)
        return false;
    if (isPress(mouse)) {
        if (!hitPlot(item, mouse))
            return false;
        d.updatePosition(mouse->pos(), true);
        d.dragging = true;
        pressed();
        return true;
    }
    moved(item, mouse);
    return false;
}

// --- TMMActionBaseCrosshairs -----------------------------------------------

bool TMMActionBaseCrosshairs::accepts(QEvent* event)
{
    return acceptsMoveOrLeft(event);
}

void TMMActionBaseCrosshairs::dragEnded()
{
    if (m_dragOverlay)
        m_dispatcher->overlay = false;
}

void TMMActionBaseCrosshairs::released(TCanvasSpectrum* item, QMouseEvent* event)
{
    TMouseModeDispatcher& d = *m_dispatcher;
    d.updatePosition(event->pos(), false);
    if (d.movedEnough()) {
        QRectF rect;
        if (plotRectangle(item, rect))
            rectangle(item, rect);
    } else {
        QPointF point;
        if (pressValues(item, point))
            click(item, point);
    }
    repaint(item);
}

void TMMActionBaseCrosshairs::moved(TCanvasSpectrum* item, QMouseEvent* event)
{
    TMouseModeDispatcher& d = *m_dispatcher;
    // The current plot follows the cursor over the plots.
    hitPlot(item, event);
    d.updatePosition(event->pos(), false);
    repaint(item);
    if (d.dragging && m_dragOverlay)
        d.overlay = true;
}

// --- TMMActionBasePan ------------------------------------------------------

bool TMMActionBasePan::accepts(QEvent* event)
{
    return acceptsMoveOrLeft(event);
}

void TMMActionBasePan::moved(TCanvasSpectrum* item, QMouseEvent* event)
{
    TMouseModeDispatcher& d = *m_dispatcher;
    if (!d.dragging || !hitPlot(item, event))
        return;
    d.updatePosition(event->pos(), false);
    QRectF rect;
    if (plotRectangle(item, rect))
        pan(item, rect);
    // The next move pans from here.
    d.updatePosition(event->pos(), true);
}

// --- TMMActionBaseSelection ------------------------------------------------

TMMActionBaseSelection::TMMActionBaseSelection(TMouseModeDispatcher* dispatcher, QList<QUuid> modeIds)
    : TMouseModeAction(dispatcher, std::move(modeIds))
{
    for (const QUuid& id : m_modeIds)
        m_modeFlags.insert(id, 0);
}

bool TMMActionBaseSelection::accepts(QEvent* event)
{
    QMouseEvent* mouse = mouseEvent(event);
    if (!mouse || !servesCurrentMode())
        return false;
    if (mouse->type() == QEvent::MouseMove)
        return mouse->buttons() == Qt::LeftButton;
    return mouse->button() == Qt::LeftButton;
}

bool TMMActionBaseSelection::clickOnly() const
{
    return (modeFlags(m_dispatcher->currentMode) & 1) != 0;
}

void TMMActionBaseSelection::dragEnded()
{
    m_dispatcher->overlay = false;
}

void TMMActionBaseSelection::released(TCanvasSpectrum* item, QMouseEvent* event)
{
    TMouseModeDispatcher& d = *m_dispatcher;
    d.updatePosition(event->pos(), false);
    if (clickOnly() || !d.movedEnough()) {
        QPointF point;
        if (pressValues(item, point))
            click(item, point);
    } else {
        // Per axis in use, both points converted on that axis alone; a
        // failed conversion cancels, an axis not in use stays 0.
        QPointF first, second;
        auto convertedOn = [&](int axis) {
            first = d.pressPoint;
            second = d.currentPoint;
            return item->mapToPlotValues(first, axis) && item->mapToPlotValues(second, axis);
        };
        QRectF rect;
        bool converted = true;
        if (d.axes == 0 || d.axes == 1) {
            converted = convertedOn(1);
            rect.setX(first.x());
            rect.setWidth(second.x() - first.x());
        }
        if (converted && (d.axes == 0 || d.axes == 2)) {
            converted = convertedOn(2);
            rect.setY(first.y());
            rect.setHeight(second.y() - first.y());
        }
        if (converted)
            rectangle(item, rect);
    }
    repaint(item);
}

void TMMActionBaseSelection::pressed()
{
    if (modeFlags(m_dispatcher->currentMode) == 0)
        m_dispatcher->overlay = true;
}

void TMMActionBaseSelection::moved(TCanvasSpectrum* item, QMouseEvent* event)
{
    if (m_dispatcher->dragging && !clickOnly()) {
        m_dispatcher->updatePosition(event->pos(), false);
        repaint(item);
    }
}

// --- TMouseModeDispatcher --------------------------------------------------

TMouseModeDispatcher::TMouseModeDispatcher(TIonvale* plugin)
    : m_plugin(plugin)
{
}

TMouseModeDispatcher::~TMouseModeDispatcher()
{
    qDeleteAll(m_actions);
}

void TMouseModeDispatcher::registerAction(TMouseModeAction* action)
{
    if (!action)
        return;
    for (const QUuid& id : action->modeIds())
        m_modes.insert(id, action);
    m_actions.append(action);
}

bool TMouseModeDispatcher::hasMode(const QUuid& mode) const
{
    return m_modes.value(mode, nullptr) != nullptr;
}

TMouseModeAction* TMouseModeDispatcher::actionFor(const QUuid& mode) const
{
    return m_modes.value(mode, nullptr);
}

IPluginHost* TMouseModeDispatcher::host() const
{
    return m_plugin ? m_plugin->host() : nullptr;
}

TCanvasItem* TMouseModeDispatcher::activeItemOfType(int type) const
{
    IPluginHost* h = host();
    return h ? h->selectedItems(0).activeOfType(type) : nullptr;
}

QPoint TMouseModeDispatcher::toCanvas(const QPoint& viewPosition) const
{
    IPluginHost* h = host();
    return h ? h->mapPoint(viewPosition, 0, 3) : viewPosition;
}

QPoint TMouseModeDispatcher::fromCanvas(const QPoint& canvasPoint) const
{
    IPluginHost* h = host();
    return h ? h->mapPoint(canvasPoint, 3, 0) : canvasPoint;
}

void TMouseModeDispatcher::updatePosition(const QPoint& viewPosition, bool press)
{
    IPluginHost* h = host();
    if (!h)
        return;
    currentViewPoint = h->mapPoint(viewPosition, 0, 2);
    currentPoint = QPointF(h->mapPoint(viewPosition, 0, 3));
    if (press) {
        pressViewPoint = currentViewPoint;
        pressPoint = currentPoint;
    }
}

bool TMouseModeDispatcher::movedEnough() const
{
    constexpr double kMinimum = 6.0;
    const double dx = qAbs(currentPoint.x() - pressPoint.x());
    const double dy = qAbs(currentPoint.y() - pressPoint.y());
    switch (axes) {
    case 1:
        return dx >= kMinimum;
    case 2:
        return dy >= kMinimum;
    default:
        return dx >= kMinimum && dy >= kMinimum;
    }
}

int TMouseModeDispatcher::cycleAxes()
{
    axes = axes >= 2 ? 0 : axes + 1;
    return axes;
}

void TMouseModeDispatcher::reset()
{
    active = false;
    dragging = false;
    overlay = false;
    axes = 0;
    for (TMouseModeAction* action : m_actions)
        action->reset();
}

bool TMouseModeDispatcher::handleEvent(QEvent* event)
{
    if (!active || !event || !mouseEvent(event))
        return false;
    TMouseModeAction* action = actionFor(currentMode);
    if (!action || !action->accepts(event))
        return false;
    modifiers = static_cast<QMouseEvent*>(event)->modifiers();
    return action->handle(event);
}
