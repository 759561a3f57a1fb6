// The bases of the commands that change a set of page items:
//
// - TCanvasItemsCommand runs a per-item change over its items (in the
//   caller's order, null entries kept so that indexes stay put), lets the
//   subclass accept items, makes one history record per accepted item and
//   refreshes the accepted top-level items and then each of their canvases
//   once.
// - TMSSpectraCommand keeps only the mass items (type 112; null entries
//   dropped) and runs the change once per mass item.
// - TSpectraCommand keeps the mass items the same way and runs the change
//   once per plot: the current plot of each item (an item without one is
//   left alone) or, with allSpectra, every plot in list order. The plots
//   are those of the first redo, kept by id: later undos and redos act on
//   them whichever plot is current by then (a press in Select mode makes
//   another one current without a command), and pass over one the item no
//   longer holds. The plot index is the position among those plots.
//
// currentItem (the two subclasses): the last kept item with the active
// flag, else the first kept item, else none.
#pragma once

#include <QList>
#include <QUuid>
#include <QVector>

#include "tcanvasitem.h"
#include "tcommand.h"

class QtCanvas;
class TBasePlot;
class TCanvasMass;

class TCanvasItemsCommand : public TCommand {
public:
    TCanvasItemsCommand(const char* name, const TCanvasItemList& items);

    void recordHistory(THistoryContext* context) override;
    void doRedo() override;
    void doUndo() override;

    virtual void redoItem(TCanvasItem* item, int index) = 0;
    virtual void undoItem(TCanvasItem* item, int index) = 0;
    // A record with the command's name and the item's own id; null for a
    // null item.
    virtual THistoryRecord* makeHistoryRecord(TCanvasItem* item, int index);
    virtual bool acceptItem(TCanvasItem* item) = 0;

    // Refreshes the accepted top-level items, then each distinct non-null
    // canvas of the list once; nothing when updateAfter is false. The form
    // without argument takes the canvases of the items.
    void updateItems();
    void updateItems(const QList<QtCanvas*>& canvases);

    TCanvasItemList items;
    TCanvasItem* currentItem = nullptr;
    bool updateAfter = true;
};

class TMSSpectraCommand : public TCanvasItemsCommand {
public:
    TMSSpectraCommand(const char* name, const TCanvasItemList& items);

    void redoItem(TCanvasItem* item, int index) override;
    void undoItem(TCanvasItem* item, int index) override;
    bool acceptItem(TCanvasItem* item) override;

    virtual void redoMass(TCanvasMass* item, int index) = 0;
    virtual void undoMass(TCanvasMass* item, int index) = 0;
    virtual bool acceptMass(TCanvasMass* item) = 0;

    TCanvasMass* currentMass() const;
};

class TSpectraCommand : public TCanvasItemsCommand {
public:
    TSpectraCommand(const char* name, const TCanvasItemList& items, bool allSpectra);

    void redoItem(TCanvasItem* item, int index) override;
    void undoItem(TCanvasItem* item, int index) override;
    bool acceptItem(TCanvasItem* item) override;

    virtual void redoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) = 0;
    virtual void undoMass(TCanvasMass* item, TBasePlot* plot, int index, int plotIndex) = 0;
    virtual bool acceptMass(TCanvasMass* item) = 0;

    TCanvasMass* currentMass() const;

    bool allSpectra;

private:
    template <class F>
    void forPlots(TCanvasItem* item, int index, bool redo, F f);

    // Per item, the ids of the plots its first redo acted on; an item
    // whose first redo is still to come has no entry.
    QVector<QVector<QUuid>> m_plotIds;
    QVector<bool> m_plotsTaken;
};

// The mass items (type 112) of the list in order, null entries dropped,
// and the item that stands for them.
TCanvasItemList massItemsOf(const TCanvasItemList& items);
TCanvasItem* currentOf(const TCanvasItemList& massItems);
