#include "tcmdplotobject.h"

#include <QSet>

#include "ipluginhost.h"
#include "qtcanvas.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tmassdataobj.h"

namespace {

const char* createItemName(int operation)
{
    switch (operation) {
    case TCmdCreateItem::Create: return "Create Item";
    case TCmdCreateItem::Delete: return "Delete Item";
    case TCmdCreateItem::Cut: return "Cut Item";
    case TCmdCreateItem::Copy: return "Copy Item";
    case TCmdCreateItem::Paste: return "Paste Item";
    case TCmdCreateItem::Import: return "Import Item";
    default: return "";
    }
}

}  // namespace

TCmdAddPlotObject::TCmdAddPlotObject(TCanvasMass* item, TMassDataObj* object)
    : TMSSpectraCommand("Add ms plot object", TCanvasItemList(item)),
      dataObject(object),
      m_objectId(object ? object->id() : QUuid())
{
}

TCmdAddPlotObject::~TCmdAddPlotObject()
{
    if (!isDone())
        delete dataObject;
}

void TCmdAddPlotObject::redoMass(TCanvasMass* item, int)
{
    if (!dataObject)
        return;
    item->addPlotObject(dataObject);
}

void TCmdAddPlotObject::undoMass(TCanvasMass* item, int)
{
    if (m_objectId.isNull())
        return;
    // Only what the item gives back is the command's again.
    TMassDataObj* back = nullptr;
    item->removePlotObject(m_objectId, &back, nullptr);
    dataObject = back;
}

TCmdDelPlotObject::TCmdDelPlotObject(TCanvasMass* item, QUuid id)
    : TMSSpectraCommand("Remove ms plot object", TCanvasItemList(item)), plotId(id)
{
}

TCmdDelPlotObject::~TCmdDelPlotObject()
{
    if (isDone()) {
        delete plot;
        delete dataObject;
    }
}

void TCmdDelPlotObject::redoMass(TCanvasMass* item, int)
{
    plotPosition = item->plotIndex(plotId);
    wasCurrent = plotPosition >= 0 && item->currentPlotIndex() == plotPosition;
    item->removePlotObject(plotId, &dataObject, &plot);
}

void TCmdDelPlotObject::undoMass(TCanvasMass* item, int)
{
    if (dataObject)
        item->addPlotObject(dataObject, plot, plotPosition);
    else if (plot)
        item->insertPlot(plotPosition, plot);  // a plot whose object was gone comes back alone
    if (wasCurrent && plot)
        item->setCurrentPlot(plot);
    dataObject = nullptr;
    plot = nullptr;
}

TCmdTogglePlotVisibility::TCmdTogglePlotVisibility(TCanvasMass* item, QUuid id)
    : TMSSpectraCommand("Toggle plot visibility", TCanvasItemList(item)), plotId(id)
{
}

namespace {

QUuid currentPlotId(const TCanvasMass* item)
{
    const TBasePlot* p = item->currentPlot();
    return p ? p->id() : QUuid();
}

}  // namespace

void TCmdTogglePlotVisibility::toggle(TCanvasMass* item)
{
    item->setPlotVisible(plotId, item->plot(plotId, true) == nullptr);
}

void TCmdTogglePlotVisibility::redoMass(TCanvasMass* item, int)
{
    m_currentBefore = currentPlotId(item);
    toggle(item);
    m_currentAfter = currentPlotId(item);
}

void TCmdTogglePlotVisibility::undoMass(TCanvasMass* item, int)
{
    const bool untouched = currentPlotId(item) == m_currentAfter;
    toggle(item);
    if (!untouched || currentPlotId(item) == m_currentBefore)
        return;
    TBasePlot* before = m_currentBefore.isNull() ? nullptr : item->plot(m_currentBefore, false);
    if (before || m_currentBefore.isNull())
        item->setCurrentPlot(before);
}

TCmdCreateItem::TCmdCreateItem(int op, const TCanvasItemList& list, IPluginHost* pluginHost, bool refresh)
    : TCanvasItemsCommand(createItemName(op), list.withChildItems().sortByZ(0)),
      host(pluginHost),
      operation(op),
      refreshOnCreate(refresh)
{
    for (TCanvasItem* item : items) {
        QtCanvas* canvas = nullptr;
        if (item)
            canvas = item->ownerTag() ? reinterpret_cast<QtCanvas*>(item->ownerTag()) : item->canvas();
        canvases.append(canvas);
    }
}

TCmdCreateItem::~TCmdCreateItem()
{
    if (isDone() != isAdding()) {
        QSet<TCanvasItem*> deleted;
        for (int i = items.size() - 1; i >= 0; --i) {
            TCanvasItem* item = items.at(i);
            if (item && !item->canvas() && !deleted.contains(item)) {
                deleted.insert(item);
                delete item;
            }
        }
    }
    items.clear();
}

bool TCmdCreateItem::isAdding() const
{
    return operation == Create || operation == Copy || operation == Paste || operation == Import;
}

void TCmdCreateItem::moveToCanvas(TCanvasItem* item, QtCanvas* canvas)
{
    if (!item || item->canvas() == canvas)
        return;
    const bool adding = isAdding();
    if (adding && canvas && canvas->isPage() && !pageItems.contains(item))
        pageItems.append(item);
    QtCanvas* previous = item->canvas();
    item->setCanvas(canvas);
    if (adding && !canvas && previous && pageItems.contains(item))
        previous->pageChanged();
    if (host) {
        if (adding && item->isSelected())
            host->setSelectedItems(TCanvasItemList());
        host->itemsChanged();
    }
}

void TCmdCreateItem::redoItem(TCanvasItem* item, int index)
{
    if (!isAdding()) {
        moveToCanvas(item, nullptr);
        return;
    }
    QtCanvas* canvas = canvases.value(index, nullptr);
    moveToCanvas(item, canvas);
    if (operation == Create && item && canvas && refreshOnCreate && canvas->isItemShown(item))
        item->update();
}

void TCmdCreateItem::undoItem(TCanvasItem* item, int index)
{
    moveToCanvas(item, isAdding() ? nullptr : canvases.value(index, nullptr));
}

void TCmdCreateItem::doRedo()
{
    TCanvasItemsCommand::doRedo();
    if (!isAdding())
        updateItems(canvases);
}

void TCmdCreateItem::doUndo()
{
    TCanvasItemsCommand::doUndo();
    if (isAdding())
        updateItems(canvases);
}

THistoryRecord* TCmdCreateItem::makeHistoryRecord(TCanvasItem* item, int index)
{
    THistoryRecord* record = TCanvasItemsCommand::makeHistoryRecord(item, index);
    if (record) {
        auto* type = new THistoryParameter("Item Type");
        type->setValue(itemTypeName(item->rtti()).toLatin1().constData());
        record->addParameter(type);
    }
    return record;
}
