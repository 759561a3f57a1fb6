#include "tcanvasitemscommand.h"

#include <QSet>

#include "qtcanvas.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"

TCanvasItemList massItemsOf(const TCanvasItemList& items)
{
    TCanvasItemList kept;
    for (TCanvasItem* item : items)
        if (item && item->rtti() == MassSpectrumItemType)
            kept.append(item);
    return kept;
}

TCanvasItem* currentOf(const TCanvasItemList& massItems)
{
    TCanvasItem* current = nullptr;
    for (TCanvasItem* item : massItems)
        if (item->isActive())
            current = item;
    return current ? current : massItems.value(0, nullptr);
}

TCanvasItemsCommand::TCanvasItemsCommand(const char* name, const TCanvasItemList& list)
    : TCommand(name), items(list)
{
}

THistoryRecord* TCanvasItemsCommand::makeHistoryRecord(TCanvasItem* item, int)
{
    if (!item)
        return nullptr;
    return new THistoryRecord(name.constData(), item->ownId(), QString());
}

void TCanvasItemsCommand::recordHistory(THistoryContext* context)
{
    for (int i = 0; i < items.size(); ++i) {
        if (!acceptItem(items.at(i)))
            continue;
        if (THistoryRecord* record = makeHistoryRecord(items.at(i), i))
            keepRecord(record, context);
    }
}

void TCanvasItemsCommand::doRedo()
{
    for (int i = 0; i < items.size(); ++i)
        if (acceptItem(items.at(i)))
            redoItem(items.at(i), i);
    updateItems();
}

void TCanvasItemsCommand::doUndo()
{
    for (int i = 0; i < items.size(); ++i)
        if (acceptItem(items.at(i)))
            undoItem(items.at(i), i);
    updateItems();
}

void TCanvasItemsCommand::updateItems()
{
    updateItems(items.canvasesOf());
}

void TCanvasItemsCommand::updateItems(const QList<QtCanvas*>& canvases)
{
    if (!updateAfter)
        return;
    for (TCanvasItem* item : items.topLevelItems())
        if (item && acceptItem(item))
            item->update();
    QSet<QtCanvas*> done;
    for (QtCanvas* canvas : canvases) {
        if (!canvas || done.contains(canvas))
            continue;
        done.insert(canvas);
        canvas->update();
    }
}

TMSSpectraCommand::TMSSpectraCommand(const char* name, const TCanvasItemList& list)
    : TCanvasItemsCommand(name, list)
{
    items = massItemsOf(list);
    currentItem = currentOf(items);
}

TCanvasMass* TMSSpectraCommand::currentMass() const
{
    return static_cast<TCanvasMass*>(currentItem);
}

void TMSSpectraCommand::redoItem(TCanvasItem* item, int index)
{
    redoMass(static_cast<TCanvasMass*>(item), index);
}

void TMSSpectraCommand::undoItem(TCanvasItem* item, int index)
{
    undoMass(static_cast<TCanvasMass*>(item), index);
}

bool TMSSpectraCommand::acceptItem(TCanvasItem* item)
{
    return item && acceptMass(static_cast<TCanvasMass*>(item));
}

TSpectraCommand::TSpectraCommand(const char* name, const TCanvasItemList& list, bool all)
    : TCanvasItemsCommand(name, list), allSpectra(all)
{
    items = massItemsOf(list);
    currentItem = currentOf(items);
}

TCanvasMass* TSpectraCommand::currentMass() const
{
    return static_cast<TCanvasMass*>(currentItem);
}

template <class F>
void TSpectraCommand::forPlots(TCanvasItem* item, int index, bool redo, F f)
{
    auto* mass = static_cast<TCanvasMass*>(item);
    if (index >= m_plotIds.size()) {
        m_plotIds.resize(index + 1);
        m_plotsTaken.resize(index + 1);
    }
    if (!m_plotsTaken.at(index)) {
        // Taken by the first redo (an undo before it finds nothing).
        if (!redo)
            return;
        m_plotsTaken[index] = true;
        QVector<QUuid>& ids = m_plotIds[index];
        if (allSpectra) {
            for (const TBasePlot* plot : mass->plots())
                ids.append(plot->id());
        } else if (const TBasePlot* plot = mass->currentPlot()) {
            ids.append(plot->id());
        }
    }
    const QVector<QUuid> ids = m_plotIds.at(index);
    for (int k = 0; k < ids.size(); ++k)
        if (TBasePlot* plot = mass->plot(ids.at(k), false))
            f(mass, plot, index, k);
}

void TSpectraCommand::redoItem(TCanvasItem* item, int index)
{
    forPlots(item, index, true, [this](TCanvasMass* m, TBasePlot* p, int i, int k) { redoMass(m, p, i, k); });
}

void TSpectraCommand::undoItem(TCanvasItem* item, int index)
{
    forPlots(item, index, false, [this](TCanvasMass* m, TBasePlot* p, int i, int k) { undoMass(m, p, i, k); });
}

bool TSpectraCommand::acceptItem(TCanvasItem* item)
{
    return item && acceptMass(static_cast<TCanvasMass*>(item));
}
