// Plot-object and page-item commands: what they take out of the document
// comes back as the same objects, and what they hold when destroyed is
// deleted exactly when it is theirs (AddressSanitizer and LeakSanitizer
// watch every case).
#include "commandtest.h"

#include "pageitems.h"
#include "tcmdlist.h"
#include "tcmdplotobject.h"
#include "tmassdataobj.h"

using namespace cmdtest;

namespace {

// A page item that counts the live ones.
class CountedBox : public lumatra::BoxItem {
public:
    CountedBox(int& alive, double z) : BoxItem(RectangleItemType, QStringLiteral("Box"), QRectF(0, 0, 40, 40)), m_alive(alive)
    {
        ++m_alive;
        setZ(z);
    }
    ~CountedBox() override { --m_alive; }

private:
    int& m_alive;
};

}  // namespace

class PlotObjectCommand : public CommandTest {
protected:
    // A new spectrum object, a copy of the item's spectrum under a new id.
    static TMassDataObj* newSpectrum(const TCanvasMass* item)
    {
        const TMassSpecDataObj* spectrum = TMassSpecDataObj::cast(item->dataObject(item->plotAtIndex(1)->id()));
        return spectrum ? new TMassSpecDataObj(QUuid::createUuid(), spectrum->spectrum(), 1) : nullptr;
    }
};

TEST_F(PlotObjectCommand, AddUndoRedo)
{
    TCanvasMass* item = massItem();
    TMassDataObj* object = newSpectrum(item);
    ASSERT_NE(object, nullptr);
    auto* add = new TCmdAddPlotObject(item, object);
    EXPECT_EQ(add->name, QByteArray("Add ms plot object"));
    EXPECT_EQ(add->currentItem, item);
    host.executeCommand(add);
    ASSERT_EQ(item->plotCount(), 3);
    EXPECT_EQ(item->dataObject(object->id()), object);
    TBasePlot* first = item->plotAtIndex(2);
    first->zoom(1, first->axis(1).fullFrom, first->axis(1).fullFrom + 1);
    host.undo();
    EXPECT_EQ(item->plotCount(), 2);
    EXPECT_EQ(item->dataObject(object->id()), nullptr);
    EXPECT_EQ(add->dataObject, object);
    host.redo();
    // The same data object in a new plot with default properties.
    ASSERT_EQ(item->plotCount(), 3);
    EXPECT_EQ(item->dataObject(object->id()), object);
    EXPECT_EQ(item->plotAtIndex(2)->axis(1).visibleFrom, item->plotAtIndex(2)->axis(1).fullFrom);
    // Undone and dropped: the command deletes the object (LeakSanitizer).
    host.undo();
    host.executeCommand(new TCmdAddPlotObject(item, nullptr));
    EXPECT_EQ(item->plotCount(), 2);
}

TEST_F(PlotObjectCommand, RemoveTheOnlyVisiblePlotAndUndo)
{
    TCanvasMass* item = massItem();
    TBasePlot* spectrum = item->plotAtIndex(1);
    const QUuid id = spectrum->id();
    TMassDataObj* object = item->dataObject(id);
    item->setPlotVisible(item->plotAtIndex(0)->id(), false);
    ASSERT_EQ(item->visiblePlotCount(), 1);
    spectrum->zoom(1, spectrum->axis(1).fullFrom, spectrum->axis(1).fullFrom + 2);
    const double from = spectrum->axis(1).visibleFrom;
    auto* del = new TCmdDelPlotObject(item, id);
    EXPECT_EQ(del->name, QByteArray("Remove ms plot object"));
    host.executeCommand(del);
    EXPECT_EQ(item->plotCount(), 1);
    EXPECT_EQ(del->plot, spectrum);
    EXPECT_EQ(del->dataObject, object);
    host.undo();
    // The same plot object with its view comes back.
    EXPECT_EQ(item->plot(id, false), spectrum);
    EXPECT_EQ(item->dataObject(id), object);
    EXPECT_EQ(spectrum->axis(1).visibleFrom, from);
    EXPECT_EQ(del->plot, nullptr);
    // Done when destroyed: it deletes what it holds (the host drops it).
    host.redo();
    EXPECT_EQ(item->plot(id, false), nullptr);
}

TEST_F(PlotObjectCommand, RemoveAPlotTheItemDoesNotHave)
{
    TCanvasMass* item = massItem();
    auto* del = new TCmdDelPlotObject(item, QUuid::createUuid());
    host.executeCommand(del);
    EXPECT_EQ(del->plot, nullptr);
    host.undo();
    EXPECT_EQ(item->plotCount(), 2);
}

TEST_F(PlotObjectCommand, ToggleVisibility)
{
    TCanvasMass* item = massItem();
    const QUuid id = item->plotAtIndex(0)->id();
    auto* toggle = new TCmdTogglePlotVisibility(item, id);
    EXPECT_EQ(toggle->name, QByteArray("Toggle plot visibility"));
    host.executeCommand(toggle);
    EXPECT_FALSE(item->isPlotVisible(id));
    host.executeCommand(new TCmdTogglePlotVisibility(item, id));
    EXPECT_TRUE(item->isPlotVisible(id));
    host.undo();
    EXPECT_FALSE(item->isPlotVisible(id));
    host.undo();
    EXPECT_TRUE(item->isPlotVisible(id));
    // Only the current item counts.
    TCanvasMass* other = massItem();
    TCmdTogglePlotVisibility stranger(item, other->plotAtIndex(0)->id());
    stranger.redo();
    EXPECT_TRUE(other->isPlotVisible(other->plotAtIndex(0)->id()));
}

TEST_F(PlotObjectCommand, DeleteItemWithChildrenAndUndo)
{
    int alive = 0;
    auto* group = new CountedBox(alive, 1);
    auto* child = new CountedBox(alive, 5);
    auto* lone = new CountedBox(alive, 3);
    for (TCanvasItem* i : {static_cast<TCanvasItem*>(group), static_cast<TCanvasItem*>(child),
                           static_cast<TCanvasItem*>(lone)})
        host.addItem(i);
    QMap<QUuid, TCanvasChildRecord> children;
    children.insert(child->ownId(), {});
    group->setChildMap(children);
    child->setParentId(group->ownId());
    group->setSelected(true);

    auto* del = new TCmdCreateItem(TCmdCreateItem::Delete, {group, lone, nullptr}, &host, false);
    EXPECT_EQ(del->name, QByteArray("Delete Item"));
    // The child joins after its group; highest z first, null last.
    EXPECT_EQ(del->items, TCanvasItemList({child, lone, group, nullptr}));
    EXPECT_EQ(del->canvases.size(), 4);
    EXPECT_EQ(del->canvases.at(0), &host.page());
    EXPECT_EQ(del->canvases.at(3), nullptr);
    host.clearJournal();
    host.executeCommand(del);
    for (TCanvasItem* i : {static_cast<TCanvasItem*>(group), static_cast<TCanvasItem*>(child),
                           static_cast<TCanvasItem*>(lone)})
        EXPECT_EQ(i->canvas(), nullptr);
    EXPECT_TRUE(host.selectedItems(0).isEmpty());
    EXPECT_EQ(host.itemsChangedCount(), 3);
    EXPECT_TRUE(host.calls("canvas.pageChanged").isEmpty());  // removing: no page notice
    // One record per non-null item, with its type.
    ASSERT_EQ(del->records.size(), 3);
    ASSERT_EQ(del->records.at(0)->parameters.size(), 1);
    EXPECT_EQ(del->records.at(0)->parameters.at(0)->name, QByteArray("Item Type"));
    EXPECT_EQ(del->records.at(0)->parameters.at(0)->value, itemTypeName(RectangleItemType).toLatin1());
    EXPECT_EQ(del->records.at(0)->itemId, child->ownId());

    host.undo();
    for (TCanvasItem* i : {static_cast<TCanvasItem*>(group), static_cast<TCanvasItem*>(child),
                           static_cast<TCanvasItem*>(lone)})
        EXPECT_EQ(i->canvas(), &host.page());
    host.redo();
    EXPECT_EQ(alive, 3);
    // The host deletes the done command when it goes: the removed items
    // are the command's then (LeakSanitizer).
}

TEST_F(PlotObjectCommand, DestroyedDeleteCommandDeletesItsItemsOnlyWhileDone)
{
    int alive = 0;
    auto* a = new CountedBox(alive, 1);
    auto* b = new CountedBox(alive, 2);
    host.addItem(a);
    host.addItem(b);
    {
        TCmdCreateItem done(TCmdCreateItem::Cut, TCanvasItemList(a), &host, false);
        EXPECT_EQ(done.name, QByteArray("Cut Item"));
        done.redo();
    }
    EXPECT_EQ(alive, 1);
    {
        TCmdCreateItem undone(TCmdCreateItem::Delete, TCanvasItemList(b), &host, false);
        undone.redo();
        undone.undo();
    }
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(b->canvas(), &host.page());
}

TEST_F(PlotObjectCommand, CreateItemUndoneAndDroppedDeletesItemsAndRecords)
{
    int alive = 0;
    auto* made = new CountedBox(alive, 1);
    // As the expansion mode does: the page takes the new item first (its
    // owner tag), then the command puts it on the page.
    host.page().placeNewItems(QtCanvasItemList({made}));
    made->setSelected(true);
    auto* create = new TCmdCreateItem(TCmdCreateItem::Create, TCanvasItemList(made), &host, true);
    EXPECT_EQ(create->name, QByteArray("Create Item"));
    host.clearJournal();
    host.executeCommand(create);
    EXPECT_EQ(made->canvas(), &host.page());
    EXPECT_EQ(host.calls("canvas.isPage").size(), 1);
    EXPECT_EQ(host.calls("canvas.isItemShown").size(), 1);
    EXPECT_EQ(host.calls("setSelectedItems"), QStringList({"setSelectedItems([])"}));
    EXPECT_EQ(host.history().records.size(), 1);
    host.undo();
    EXPECT_EQ(made->canvas(), nullptr);
    // The item had been given to the page: the page hears that it left.
    EXPECT_EQ(host.calls("canvas.pageChanged").size(), 1);
    // A new command drops the undone one: it deletes the item and its
    // record (LeakSanitizer).
    host.executeCommand(new TCmdCreateItem(TCmdCreateItem::Copy, TCanvasItemList(), &host, false));
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(host.history().records.isEmpty());

    // Other codes: no name, removing.
    TCmdCreateItem other(9, TCanvasItemList(), &host, false);
    EXPECT_TRUE(other.name.isEmpty());
    EXPECT_FALSE(other.isAdding());
}

TEST_F(PlotObjectCommand, ChromatogramToleranceListUndoneAsOne)
{
    TCanvasMass* item = massItem();
    auto* list = new TCmdList("Add ms plot object");
    list->insert(new TCmdAddPlotObject(item, newSpectrum(item)));
    list->insert(new TCmdTogglePlotVisibility(item, item->plotAtIndex(0)->id()));
    host.executeCommand(list);
    EXPECT_EQ(item->plotCount(), 3);
    EXPECT_FALSE(item->isPlotVisible(item->plotAtIndex(0)->id()));
    host.undo();
    EXPECT_EQ(item->plotCount(), 2);
    EXPECT_TRUE(item->isPlotVisible(item->plotAtIndex(0)->id()));
}
