// The command base, history records and parameters, the history context,
// the recording host's undo stack, the command list and the item-set
// bases.
#include "commandtest.h"

#include "pageitems.h"
#include "tcanvasitemscommand.h"
#include "tcmdlist.h"
#include "tdatastream.h"

using namespace cmdtest;

namespace {

QByteArray written(const THistoryParameter& p)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly);
    p.write(s);
    return bytes;
}

}  // namespace

TEST(Command, FlagsOfRedoAndUndo)
{
    QStringList log;
    LogCommand ok(log, "a");
    EXPECT_EQ(ok.flags, 0);
    EXPECT_EQ(ok.name, QByteArray("Log"));
    ok.redo();
    EXPECT_EQ(ok.flags, TCommand::Done);
    ok.undo();
    EXPECT_EQ(ok.flags, 0);

    // Not applied: redo leaves done clear, undo keeps bit 2, a later redo
    // stays not done.
    LogCommand failing(log, "b", true);
    failing.redo();
    EXPECT_EQ(failing.flags, TCommand::NotApplied);
    failing.undo();
    EXPECT_EQ(failing.flags, TCommand::NotApplied);
    failing.redo();
    EXPECT_FALSE(failing.isDone());
    EXPECT_EQ(log, QStringList({"a.redo", "a.undo", "b.redo", "b.undo", "b.redo"}));
}

TEST(Command, RecordsInTheHistoryContext)
{
    THistoryContext context;
    {
        TCommand command("Zoom In");
        command.recordHistory(&context);
        command.recordHistory(&context);
        ASSERT_EQ(command.records.size(), 2);
        for (THistoryRecord* r : command.records) {
            EXPECT_EQ(r->name, QByteArray("Zoom In"));
            EXPECT_TRUE(r->itemId.isNull());
            EXPECT_TRUE(r->text.isEmpty() && r->note.isEmpty());
        }
        EXPECT_EQ(context.records, command.records);
        EXPECT_EQ(context.byItem.count(QUuid()), 2);
        command.removeHistory(&context);
        EXPECT_TRUE(context.records.isEmpty());
        EXPECT_TRUE(context.byItem.isEmpty());
        EXPECT_EQ(command.records.size(), 2);
        command.restoreHistory(&context);
        EXPECT_EQ(context.records.size(), 2);
        command.removeHistory(&context);
        // Destroyed while its records are out of the context: it deletes
        // them (the sanitizer build reports a leak otherwise).
    }
    // A null context: the record is still made and kept (and deleted with
    // the command).
    TCommand lone("Lone");
    lone.recordHistory(nullptr);
    lone.removeHistory(nullptr);
    lone.restoreHistory(nullptr);
    EXPECT_EQ(lone.records.size(), 1);
}

TEST(Command, ContextAddsTwiceAndRemovesOnce)
{
    THistoryContext context;
    const QUuid id = QUuid::createUuid();
    THistoryRecord record("Delete Item", id, QString());
    THistoryRecord other("Other", id, QString());
    context.addRecord(&other);
    context.addRecord(&record);
    context.addRecord(&record);
    EXPECT_EQ(context.records.count(&record), 2);
    EXPECT_EQ(context.byItem.values(id).count(&record), 2);
    context.removeRecord(&record);
    EXPECT_EQ(context.records, QList<THistoryRecord*>({&other}));
    EXPECT_EQ(context.byItem.values(id).count(&record), 1);
    EXPECT_EQ(context.byItem.values(id).count(&other), 1);
    // A record the context does not hold changes nothing.
    THistoryRecord stranger("Stranger", QUuid::createUuid(), QString());
    context.removeRecord(&stranger);
    EXPECT_EQ(context.records.size(), 1);
    EXPECT_EQ(context.byItem.size(), 2);
}

TEST(Command, ParameterStreamForm)
{
    THistoryParameter p("Item Type");
    EXPECT_TRUE(p.value.isEmpty());
    p.setValue("Mass Spectrum");
    const QByteArray bytes = written(p);
    // Empty header block, then the main block with two byte arrays.
    EXPECT_EQ(bytes.toHex(), QByteArray("00000000"
                                        "0000001e"
                                        "00000009") + QByteArray("Item Type").toHex() +
                                 QByteArray("0000000d") + QByteArray("Mass Spectrum").toHex());

    struct Case {
        const char* name;
        QByteArray bytes;
        bool ok;
        QByteArray wantName, wantValue;
    };
    THistoryParameter empty("Empty");
    // A header block that is not empty is skipped by its length.
    QByteArray withHeader = QByteArray::fromHex("00000003aabbcc") + bytes.mid(4);
    const Case cases[] = {
        {"round trip", bytes, true, "Item Type", "Mass Spectrum"},
        {"empty value", written(empty), true, "Empty", ""},
        {"header", withHeader, true, "Item Type", "Mass Spectrum"},
        {"cut", bytes.left(20), false, "old", "kept"},
        {"huge", QByteArray::fromHex("0000000000000008ffffff00"), false, "old", "kept"},
    };
    for (const Case& c : cases) {
        THistoryParameter q("old");
        q.setValue("kept");
        QByteArray copy = c.bytes;
        TDataStream s(&copy, QIODevice::ReadOnly);
        q.read(s);
        EXPECT_EQ(s.ok(), c.ok) << c.name;
        EXPECT_EQ(q.name, c.wantName) << c.name;
        EXPECT_EQ(q.value, c.wantValue) << c.name;
    }
}

TEST(Command, RecordOwnsItsParameters)
{
    auto* record = new THistoryRecord("Create Item", QUuid::createUuid(), QString());
    record->addParameter(new THistoryParameter("a"));
    record->addParameter(new THistoryParameter("b"));
    record->addParameter(nullptr);
    EXPECT_EQ(record->parameters.size(), 2);
    EXPECT_TRUE(record->time.isValid());
    delete record;  // the parameters go with it (LeakSanitizer)
}

class UndoStack : public CommandTest {};

TEST_F(UndoStack, RunsUndoesAndRedoesWithTheHistory)
{
    QStringList log;
    int alive = 0;
    host.executeCommand(nullptr);
    EXPECT_TRUE(host.commands().isEmpty());
    auto* first = new LogCommand(log, "1", false, &alive);
    host.executeCommand(first);
    EXPECT_TRUE(first->isDone());
    ASSERT_EQ(host.history().records.size(), 1);
    EXPECT_EQ(host.history().records.first(), first->records.first());

    EXPECT_TRUE(host.undo());
    EXPECT_FALSE(first->isDone());
    EXPECT_TRUE(host.history().records.isEmpty());
    EXPECT_FALSE(host.undo());
    EXPECT_TRUE(host.redo());
    EXPECT_TRUE(first->isDone());
    EXPECT_EQ(host.history().records, first->records);
    EXPECT_FALSE(host.redo());

    // A new command drops the undone ones (and their records: LeakSanitizer).
    auto* second = new LogCommand(log, "2", false, &alive);
    host.executeCommand(second);
    EXPECT_TRUE(host.undo());
    EXPECT_TRUE(host.undo());
    host.executeCommand(new LogCommand(log, "3", false, &alive));
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(host.commands().size(), 1);
    EXPECT_EQ(host.doneCount(), 1);
    EXPECT_EQ(log, QStringList({"1.redo", "1.undo", "1.redo", "2.redo", "2.undo", "1.undo", "3.redo"}));
    EXPECT_EQ(host.calls("undo").size(), 3);
    EXPECT_EQ(host.calls("redo"), QStringList({"redo(Log)"}));
}

TEST_F(UndoStack, ListRunsChildrenInOrderAndBackwards)
{
    QStringList log;
    int alive = 0;
    auto* list = new TCmdList("Add ms plot object");
    list->insert(new LogCommand(log, "2", false, &alive));
    list->insert(new LogCommand(log, "3", true, &alive), -1);
    list->insert(new LogCommand(log, "1", false, &alive), 0);
    list->insert(nullptr);
    ASSERT_EQ(list->count(), 3);
    host.executeCommand(list);
    EXPECT_EQ(log, QStringList({"1.redo", "2.redo", "3.redo"}));
    // A child that failed its own redo stays not done; its siblings are.
    EXPECT_TRUE(list->commands.at(0)->isDone());
    EXPECT_TRUE(list->commands.at(1)->isDone());
    EXPECT_FALSE(list->commands.at(2)->isDone());
    EXPECT_TRUE(list->isDone());
    // The children made the records; the list none of its own.
    EXPECT_TRUE(list->records.isEmpty());
    EXPECT_EQ(host.history().records.size(), 3);

    log.clear();
    host.undo();
    EXPECT_EQ(log, QStringList({"3.undo", "2.undo", "1.undo"}));
    EXPECT_TRUE(host.history().records.isEmpty());
    log.clear();
    host.redo();
    EXPECT_EQ(log, QStringList({"1.redo", "2.redo", "3.redo"}));
    EXPECT_EQ(host.history().records.size(), 3);

    // An empty list is deleted by its builder.
    TCmdList empty("Set Selected Mass Spectra Properties");
    EXPECT_EQ(empty.count(), 0);
    host.undo();
    host.executeCommand(new LogCommand(log, "x", false, &alive));  // drops the list and its children
    EXPECT_EQ(alive, 1);
}

namespace {

// Records what the item-set loop hands it; accepts the items of `accepted`.
class SetCommand : public TSpectraCommand {
public:
    SetCommand(const TCanvasItemList& items, bool all) : TSpectraCommand("Set", items, all) {}
    void redoMass(TCanvasMass* item, TBasePlot*, int i, int k) override { calls << qMakePair(item, i * 10 + k); }
    void undoMass(TCanvasMass*, TBasePlot*, int i, int k) override { undone << i * 10 + k; }
    bool acceptMass(TCanvasMass* item) override { return rejected != item; }
    QList<QPair<TCanvasMass*, int>> calls;
    QList<int> undone;
    TCanvasMass* rejected = nullptr;
};

class MassCommand : public TMSSpectraCommand {
public:
    explicit MassCommand(const TCanvasItemList& items) : TMSSpectraCommand("Mass", items) {}
    void redoMass(TCanvasMass*, int i) override { calls << i; }
    void undoMass(TCanvasMass*, int) override {}
    bool acceptMass(TCanvasMass*) override { return true; }
    QList<int> calls;
};

}  // namespace

TEST_F(UndoStack, MassCommandsKeepMassItemsAndTheActiveOne)
{
    auto* text = new lumatra::BoxItem(TextItemType, QStringLiteral("Text"), QRectF(0, 0, 10, 10));
    host.addItem(text);
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    b->setActive(true);
    // Null entries (items gone from the page) are passed over.
    MassCommand command({nullptr, text, a, nullptr, b});
    EXPECT_EQ(command.items, TCanvasItemList({a, b}));
    EXPECT_EQ(command.currentItem, b);
    b->setActive(false);
    MassCommand noActive({text, a, b});
    EXPECT_EQ(noActive.currentItem, a);
    MassCommand none({text, nullptr});
    EXPECT_TRUE(none.items.isEmpty());
    EXPECT_EQ(none.currentItem, nullptr);
    // An empty list does nothing and makes no record.
    none.redo();
    none.recordHistory(&host.history());
    EXPECT_TRUE(none.records.isEmpty());
    EXPECT_EQ(journalCount("canvas.update()"), 0);

    command.redo();
    EXPECT_EQ(command.calls, QList<int>({0, 1}));
}

TEST_F(UndoStack, OneRecordPerAcceptedItemAndOneRefreshPerCanvas)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    TCanvasMass* c = massItem();
    c->setPlotVisible(c->currentPlot()->id(), false);  // the spectrum becomes current
    auto* command = new SetCommand({a, b, c}, false);
    command->rejected = b;
    host.clearJournal();
    host.executeCommand(command);
    ASSERT_EQ(command->calls.size(), 2);
    EXPECT_EQ(command->calls.at(0), qMakePair(a, 0));
    EXPECT_EQ(command->calls.at(1), qMakePair(c, 20));
    // Records for a and c, with their ids, under their ids.
    ASSERT_EQ(host.history().records.size(), 2);
    EXPECT_EQ(host.history().records.at(0)->itemId, a->ownId());
    EXPECT_EQ(host.history().records.at(1)->itemId, c->ownId());
    EXPECT_EQ(host.history().byItem.value(c->ownId()), host.history().records.at(1));
    // Three items on one page: one refresh of the page.
    EXPECT_EQ(journalCount("canvas.update()"), 1);
    host.undo();
    EXPECT_EQ(command->undone, QList<int>({0, 20}));
    EXPECT_EQ(journalCount("canvas.update()"), 2);

    // Every plot, visible or not, with indexes 0, 1 per item.
    SetCommand all({a}, true);
    all.redo();
    ASSERT_EQ(all.calls.size(), 2);
    EXPECT_EQ(all.calls.at(1), qMakePair(a, 1));
}

TEST_F(UndoStack, GroupWithItsChildRefreshesItsPageOnce)
{
    TCanvasMass* group = massItem();
    TCanvasMass* child = massItem();
    QMap<QUuid, TCanvasChildRecord> children;
    children.insert(child->ownId(), {});
    group->setChildMap(children);
    child->setParentId(group->ownId());
    // The child is refreshed through its parent, not by the command.
    EXPECT_EQ(TCanvasItemList({child, group}).topLevelItems(), TCanvasItemList({group}));
    SetCommand command({child, group}, false);
    command.redo();
    EXPECT_EQ(command.calls.size(), 2);
    EXPECT_EQ(journalCount("canvas.update()"), 1);
}
