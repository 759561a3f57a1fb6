// Commands that add and take away things: a plot with its data object,
// the visibility of a plot, whole page items (with their children). Each
// keeps what it took out of the document so that undo puts back the very
// same objects, and decides by its done flag in its destructor whether
// those objects are still its own:
//
//   TCmdAddPlotObject     done: the item owns the data object;
//                         not done: the command deletes it.
//   TCmdDelPlotObject     done: the command deletes the plot and object;
//                         not done: the item owns them.
//   TCmdCreateItem        adding and not done, or removing and done: the
//                         command deletes its items that are on no canvas.
#pragma once

#include <QList>
#include <QUuid>

#include "tcanvasitemscommand.h"

class IPluginHost;
class QtCanvas;
class TMassDataObj;

class TCmdAddPlotObject : public TMSSpectraCommand {
public:
    // The command owns the object until its first redo.
    TCmdAddPlotObject(TCanvasMass* item, TMassDataObj* object);
    ~TCmdAddPlotObject() override;

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item == currentMass(); }

    TMassDataObj* dataObject;

private:
    QUuid m_objectId;
};

class TCmdDelPlotObject : public TMSSpectraCommand {
public:
    TCmdDelPlotObject(TCanvasMass* item, QUuid plotId);
    ~TCmdDelPlotObject() override;

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item == currentMass(); }

    QUuid plotId;
    TMassDataObj* dataObject = nullptr;
    TBasePlot* plot = nullptr;
    // Where the plot stood in the item's list and whether it was current,
    // taken by redo: undo puts it back there (and current again).
    int plotPosition = -1;
    bool wasCurrent = false;
};

class TCmdTogglePlotVisibility : public TMSSpectraCommand {
public:
    TCmdTogglePlotVisibility(TCanvasMass* item, QUuid plotId);

    // Undo toggles back; when the current plot is still the one redo left,
    // the one current before redo is current again (hiding moves it).
    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item == currentMass(); }

    QUuid plotId;

private:
    void toggle(TCanvasMass* item);

    QUuid m_currentBefore;
    QUuid m_currentAfter;
};

class TCmdCreateItem : public TCanvasItemsCommand {
    Q_OBJECT
public:
    enum Operation { Create = 0, Delete = 1, Cut = 2, Copy = 3, Paste = 4, Import = 5 };

    // The items with their children, highest z first; each remembers the
    // canvas it belongs to (its owner tag when set, else its canvas).
    TCmdCreateItem(int operation, const TCanvasItemList& items, IPluginHost* host, bool refreshOnCreate);
    ~TCmdCreateItem() override;

    void doRedo() override;
    void doUndo() override;
    void redoItem(TCanvasItem* item, int index) override;
    void undoItem(TCanvasItem* item, int index) override;
    // The record of the base with the parameter "Item Type".
    THistoryRecord* makeHistoryRecord(TCanvasItem* item, int index) override;
    bool acceptItem(TCanvasItem*) override { return true; }

    // Operations 0, 3, 4 and 5 add; every other code removes.
    bool isAdding() const;
    void moveToCanvas(TCanvasItem* item, QtCanvas* canvas);

    QList<QtCanvas*> canvases;
    TCanvasItemList pageItems;
    IPluginHost* host;
    int operation;
    bool refreshOnCreate;
};
