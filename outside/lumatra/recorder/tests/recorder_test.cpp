// The recording host: the journal of selection, items-changed notices,
// bag creation and peer calls; removed peers answering null; the view's
// spaces; what the plug-in hands over (commands, items, script objects,
// docks, actions, cursors, mouse modes); the process's log object; page
// items of the host's own kinds.
#include <gtest/gtest.h>

#include <QAction>

#include "iplugins.h"
#include "ipeers.h"
#include "itemrecord.h"
#include "pageitems.h"
#include "recordinghost.h"
#include "tdatastream.h"
#include "testplugin.h"
#include "tpluginlog.h"

using namespace lumatra;

namespace {

class Bag : public TItemPropertiesBag {
public:
    int bagType() const override { return 9; }
};

class BagPlugin : public TestPlugin {
public:
    TItemPropertiesBag* createPropertiesBag(int kind) override { return kind == 9 ? new Bag : nullptr; }
};

TMolecule ethanol()
{
    TMolecule m;
    for (const char* symbol : {"C", "C", "O"}) {
        TAtom a;
        a.setElement(QString::fromLatin1(symbol));
        a.x = m.atoms.size();
        m.addAtom(a);
    }
    for (int i = 0; i < 2; ++i) {
        TBond b;
        b.first = i;
        b.second = i + 1;
        m.addBond(b);
    }
    return m;
}

class RecorderTest : public ::testing::Test {
protected:
    RecordingHost host;
};

}  // namespace

TEST_F(RecorderTest, SelectionAndItemsChangedAreJournaled)
{
    auto* box = new BoxItem(RectangleItemType, QStringLiteral("Rectangle"), QRectF(10, 10, 100, 100));
    MoleculeItem* molecule = host.moleculePeer()->makeItem(ethanol());
    host.addItem(box);
    host.addItem(molecule);
    EXPECT_TRUE(host.journal().isEmpty()) << "the test's own set-up is not journaled";

    host.setSelectedItems({box, molecule, nullptr});
    EXPECT_TRUE(box->isSelected());
    EXPECT_TRUE(molecule->isSelected());
    EXPECT_EQ(host.selectedItems(0), TCanvasItemList({box, molecule}));
    host.setSelectedItems(TCanvasItemList(molecule));
    EXPECT_FALSE(box->isSelected());
    host.itemsChanged();
    host.itemsChanged();
    EXPECT_EQ(host.itemsChangedCount(), 2);
    EXPECT_EQ(host.allItems(), TCanvasItemList({box, molecule}));
    EXPECT_EQ(host.journal(), QStringList({
                                  "setSelectedItems([104, 110, null])",
                                  "selectedItems(0) -> [104, 110]",
                                  "setSelectedItems([110])",
                                  "itemsChanged()",
                                  "itemsChanged()",
                                  "allItems() -> [104, 110]",
                              }));

    // An item that leaves the page leaves the selection.
    delete molecule;
    EXPECT_TRUE(host.selectedItems(0).isEmpty());
    EXPECT_EQ(host.allItems(), TCanvasItemList({box}));
}

TEST_F(RecorderTest, BagsAreMadeByThePluginWithThatIdentifier)
{
    BagPlugin plugin;
    host.loadPlugin(&plugin);
    EXPECT_EQ(plugin.host(), &host) << "loading registers the plug-in with the host";
    const QUuid id(LUMATRA_TEST_PLUGIN_ID);
    TItemPropertiesBagPtr made(host.createPropertiesBag(9, id));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->bagType(), 9);
    EXPECT_EQ(host.createPropertiesBag(5, id), nullptr);
    const QUuid unknown = QUuid::createUuid();
    EXPECT_EQ(host.createPropertiesBag(9, unknown), nullptr);
    host.removePlugin(&plugin);
    EXPECT_EQ(host.createPropertiesBag(9, id), nullptr);
    const QString idText = id.toString();
    EXPECT_EQ(host.calls("createPropertiesBag"),
              QStringList({"createPropertiesBag(9, " + idText + ") -> bag",
                           "createPropertiesBag(5, " + idText + ") -> null",
                           "createPropertiesBag(9, " + unknown.toString() + ") -> null",
                           "createPropertiesBag(9, " + idText + ") -> null"}));
}

TEST_F(RecorderTest, PeersAnswerThroughTheirInterfaces)
{
    QObject* moleculePeer = host.findPlugin(QUuid(LUMATRA_MOLECULE_PLUGIN_ID), 0);
    QObject* drawingPeer = host.findPlugin(QUuid(LUMATRA_DRAWING_TOOLS_ID), 0);
    auto* molecules = pluginInterface<IMoleculePlugin>(moleculePeer, IMoleculePlugin_iid);
    auto* drawing = pluginInterface<IDrawingTools>(drawingPeer, IDrawingTools_iid);
    ASSERT_NE(molecules, nullptr);
    ASSERT_NE(drawing, nullptr);
    EXPECT_EQ(pluginInterface<IDrawingTools>(moleculePeer, IDrawingTools_iid), nullptr);
    EXPECT_EQ(pluginInterface<IPluginInfo>(moleculePeer, IPluginInfo_iid)->id(), QUuid(LUMATRA_MOLECULE_PLUGIN_ID));

    const QUuid object = QUuid::createUuid();
    MoleculeItem* original = host.moleculePeer()->makeItem(ethanol(), object);
    host.addItem(original);
    auto* box = new BoxItem(RectangleItemType, QString(), QRectF());
    host.addItem(box);
    EXPECT_EQ(original->pluginId(), QUuid(LUMATRA_MOLECULE_PLUGIN_ID));

    TMolecule* held = molecules->moleculeOfItem(original);
    ASSERT_EQ(held, original->molecule());
    EXPECT_EQ(held->atoms.size(), 3);
    EXPECT_EQ(molecules->moleculeOfItem(box), nullptr);
    EXPECT_EQ(molecules->moleculeOfItem(nullptr), nullptr);

    // A copy shows the same molecule (same object), for the page, not on it.
    std::unique_ptr<TCanvasItem> copy(molecules->createMoleculeItem(held, &host.page()));
    EXPECT_EQ(copy->rtti(), MoleculeItemType);
    EXPECT_EQ(copy->objectId(), object);
    EXPECT_EQ(copy->ownerTag(), quintptr(&host.page()));
    EXPECT_EQ(copy->canvas(), nullptr);
    EXPECT_NE(static_cast<MoleculeItem*>(copy.get())->molecule(), held);
    std::unique_ptr<TCanvasItem> fresh(molecules->createMoleculeItem(nullptr, &host.page()));
    EXPECT_NE(fresh->objectId(), object);

    std::unique_ptr<TCanvasItem> text(drawing->createTextItem(QStringLiteral("<b>3 rows</b>"), QStringLiteral("Mass Table"),
                                                              QStringLiteral("MassPeaksTable"), true, QPoint(40, 60), false));
    EXPECT_EQ(text->rtti(), TextItemType);
    EXPECT_EQ(text->type(), QStringLiteral("Mass Table"));
    EXPECT_EQ(text->subtype(), QStringLiteral("MassPeaksTable"));
    EXPECT_EQ(text->properties()->typeName(), QStringLiteral("Mass Table"));
    EXPECT_EQ(static_cast<HtmlTextItem*>(text.get())->html(), QStringLiteral("<b>3 rows</b>"));
    EXPECT_EQ(text->geometry().boundingRect().topLeft(), QPointF(40, 60));
    EXPECT_EQ(text->ownerTag(), quintptr(&host.page()));

    EXPECT_EQ(host.journal(),
              QStringList({
                  "findPlugin(" + QUuid(LUMATRA_MOLECULE_PLUGIN_ID).toString() + ", 0) -> molecule",
                  "findPlugin(" + QUuid(LUMATRA_DRAWING_TOOLS_ID).toString() + ", 0) -> drawing",
                  "molecule.moleculeOfItem(110) -> molecule",
                  "molecule.moleculeOfItem(104) -> null",
                  "molecule.moleculeOfItem(null) -> null",
                  "molecule.createMoleculeItem(molecule) -> 110",
                  "molecule.createMoleculeItem(null) -> 110",
                  "drawing.createTextItem(\"Mass Table\", \"MassPeaksTable\", true, (40, 60), false) -> 107",
              }));
}

TEST_F(RecorderTest, RemovedPeersAnswerNull)
{
    MoleculeItem* item = host.moleculePeer()->makeItem(ethanol());
    host.addItem(item);
    host.removeMoleculePeer();
    host.removeDrawingPeer();
    EXPECT_EQ(host.moleculePeer(), nullptr);
    EXPECT_EQ(host.findPlugin(QUuid(LUMATRA_MOLECULE_PLUGIN_ID), 0), nullptr);
    EXPECT_EQ(host.findPlugin(QUuid(LUMATRA_DRAWING_TOOLS_ID), 0), nullptr);
    EXPECT_EQ(host.calls("findPlugin"),
              QStringList({"findPlugin(" + QUuid(LUMATRA_MOLECULE_PLUGIN_ID).toString() + ", 0) -> null",
                           "findPlugin(" + QUuid(LUMATRA_DRAWING_TOOLS_ID).toString() + ", 0) -> null"}));
    // Its items stay on the page, without a plug-in.
    EXPECT_TRUE(item->pluginId().isNull());
    EXPECT_EQ(item->molecule()->atoms.size(), 3);
}

TEST_F(RecorderTest, ViewSpacesMapThroughTheFixedTransform)
{
    struct Case {
        QPoint point;
        int from;
        int to;
        QPoint mapped;
    };
    // Scale 0.25, page origin at (20, 20) of the widget.
    const QList<Case> cases = {
        {QPoint(20, 20), 0, 3, QPoint(0, 0)},    {QPoint(120, 70), 0, 3, QPoint(400, 200)},
        {QPoint(400, 200), 3, 0, QPoint(120, 70)}, {QPoint(120, 70), 0, 2, QPoint(100, 50)},
        {QPoint(100, 50), 2, 3, QPoint(400, 200)}, {QPoint(400, 200), 3, 2, QPoint(100, 50)},
        {QPoint(7, 9), 0, 0, QPoint(7, 9)},       {QPoint(7, 9), 5, 6, QPoint(7, 9)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host.mapPoint(c.point, c.from, c.to), c.mapped) << c.from << " to " << c.to;
    EXPECT_EQ(host.viewRect(), QRectF(-80, -80, 3200, 2400));
    const THostView view = host.currentView();
    EXPECT_EQ(view.owner, quintptr(&host.page()));
    EXPECT_EQ(view.worldMatrix.map(QPointF(400, 200)), QPointF(120, 70));
    EXPECT_EQ(host.calls("mapPoint").first(), QStringLiteral("mapPoint((20, 20), 0, 3) -> (0, 0)"));

    host.setView(0.5, QPointF(0, 0), QSize(100, 100));
    EXPECT_EQ(host.mapPoint(QPoint(10, 10), 0, 3), QPoint(20, 20));
    EXPECT_EQ(host.viewRect(), QRectF(0, 0, 200, 200));
}

TEST_F(RecorderTest, WhatThePluginHandsOver)
{
    // Commands are journaled, run and kept on the undo stack; null is
    // ignored (the undo stack itself is tested with the commands).
    host.executeCommand(nullptr);
    EXPECT_TRUE(host.commands().isEmpty());
    auto* command = new TCommand("Test");
    host.executeCommand(command);
    EXPECT_EQ(host.commands(), QList<TCommand*>({command}));
    EXPECT_TRUE(command->isDone());

    // Items handed over join the page, which owns them.
    auto* item = new BoxItem(MassSpectrumItemType, QStringLiteral("MS"), QRectF(0, 0, 50, 50));
    host.takeItems(TCanvasItemList(item), 5, 1);
    EXPECT_EQ(item->canvas(), &host.page());
    EXPECT_TRUE(host.page().isItemShown(item));

    // Named script objects belong to the host.
    QPointer<QObject> wrapper = new QObject;
    host.setScriptObject(QStringLiteral("mass"), wrapper, true);
    EXPECT_EQ(host.scriptObject(QStringLiteral("mass")), wrapper);
    host.setScriptObject(QStringLiteral("mass"), nullptr, false);
    EXPECT_TRUE(wrapper.isNull()) << "withdrawn: deleted by the host";
    host.setScriptObject(QStringLiteral("mass"), new QObject, true);  // deleted with the host

    host.showDock(QStringLiteral("MSBrowserWidget"), true);
    EXPECT_TRUE(host.isDockVisible(QStringLiteral("MSBrowserWidget")));
    EXPECT_FALSE(host.isDockVisible(QStringLiteral("MassPeaksTable")));
    EXPECT_EQ(host.dockByName(QStringLiteral("MassPeaksTable")), nullptr);
    host.refreshDock(QStringLiteral("MassPeaksTable"));

    QAction report(QStringLiteral("Report"), nullptr);
    report.setObjectName(QStringLiteral("MassPeaksTable::action_Report"));
    host.registerAction(&report, QStringLiteral("Mass Peaks Table"));
    EXPECT_EQ(host.actionByName(QStringLiteral("MassPeaksTable::action_Report")), &report);
    EXPECT_EQ(host.actionByName(QStringLiteral("massElCompConstraints")), nullptr);
    QAction* hostAction = host.addHostAction(QStringLiteral("massElCompConstraints"));
    EXPECT_EQ(host.actionByName(QStringLiteral("massElCompConstraints")), hostAction);

    host.setCursor(QCursor(Qt::WaitCursor));
    host.setCursor(QCursor(Qt::CrossCursor));
    host.restoreCursor();
    EXPECT_EQ(host.cursorDepth(), 1);
    host.restoreCursor();
    host.restoreCursor();
    EXPECT_EQ(host.cursorDepth(), 0);

    const QUuid mode("{5042ea2a-4b57-4940-a51e-48f7e2bcfd4e}");
    EXPECT_TRUE(host.currentMouseMode().isNull());
    host.setMouseMode(mode, QUuid(), 1);
    EXPECT_EQ(host.currentMouseMode(), mode);

    host.addScriptFactories(nullptr, nullptr, nullptr);
    host.addFactory(nullptr);
    EXPECT_EQ(host.scriptFactories().size(), 3);
    EXPECT_TRUE(host.factories().isEmpty());

    EXPECT_EQ(host.journal().mid(0, 3),
              QStringList({"executeCommand(null)", "executeCommand(command)", "takeItems([112], 5, 1)"}));
    EXPECT_EQ(host.calls("setScriptObject"), QStringList({"setScriptObject(\"mass\", object, true)",
                                                          "setScriptObject(\"mass\", null, false)",
                                                          "setScriptObject(\"mass\", object, true)"}));
    EXPECT_EQ(host.calls("setMouseMode"), QStringList({"setMouseMode(" + mode.toString() + ", " +
                                                       QUuid().toString() + ", 1)"}));
    EXPECT_EQ(host.calls("setCursor"), QStringList({"setCursor(3)", "setCursor(2)"}));
}

TEST_F(RecorderTest, RepaintAndThePagesOwnOperations)
{
    auto* a = new BoxItem(RectangleItemType, QString(), QRectF(0, 0, 40, 40));
    auto* b = new BoxItem(RectangleItemType, QString(), QRectF(100, 100, 40, 40));
    a->setZ(4);
    host.addItem(a);
    host.page().clearChanges();
    host.repaintItem(a, 0);
    EXPECT_FALSE(host.page().changedChunks().isEmpty());
    host.repaintItem(nullptr, 0);

    EXPECT_EQ(host.canvas(), &host.page());
    EXPECT_TRUE(host.page().isPage());
    host.page().placeNewItems({b});
    EXPECT_EQ(b->z(), 5.0) << "above every item of the page";
    EXPECT_EQ(b->ownerTag(), quintptr(&host.page()));
    EXPECT_EQ(b->canvas(), nullptr);
    host.page().pageChanged();
    EXPECT_FALSE(host.page().isItemShown(b));
    EXPECT_EQ(host.journal(), QStringList({"repaintItem(104, 0)", "repaintItem(null, 0)", "canvas()",
                                           "canvas.isPage() -> true", "canvas.placeNewItems([104])",
                                           "canvas.pageChanged()", "canvas.isItemShown(104) -> false"}));
    delete b;
}

TEST_F(RecorderTest, OneLogObjectForTheProcess)
{
    RecordingHost other;
    TPluginLog* log = host.log();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(other.log(), log);
    EXPECT_EQ(TPluginLog::setInstance(log), log);
    RecordingHost::clearLog();
    TPluginLog::log(TPluginLog::registerCategory(QStringLiteral("Mass")), QStringLiteral("hello"));
    EXPECT_TRUE(RecordingHost::logText().endsWith(QStringLiteral("[Mass] >> hello \n")));
    EXPECT_EQ(host.calls("log"), QStringList({"log()"}));
}

TEST_F(RecorderTest, LayoutTemplateItemsCarryTheirTemplateTexts)
{
    auto* placeholder = new LayoutTemplateItem(QStringLiteral("Mass Table"), QStringLiteral("MassPeaksTable"),
                                               QRectF(100, 100, 800, 400));
    host.addItem(placeholder);
    EXPECT_EQ(placeholder->rtti(), LayoutTemplateItemType);
    EXPECT_EQ(placeholder->properties()->typeName(), QStringLiteral("Mass Table"));
    EXPECT_EQ(placeholder->properties()->subtypeName(), QStringLiteral("MassPeaksTable"));
    EXPECT_EQ(placeholder->templateProperties()->typeName(), QStringLiteral("Mass Table"));
    EXPECT_EQ(placeholder->templateProperties()->count(), 1);
    EXPECT_EQ(itemTypeName(placeholder->itemType()), QStringLiteral("Layout Template"));
}

TEST_F(RecorderTest, HostItemsWriteAndReadTheirRecords)
{
    MoleculeItem* molecule = host.moleculePeer()->makeItem(ethanol());
    host.addItem(molecule);
    molecule->setAngle(15, true);
    molecule->setHasPixmap(true);
    QByteArray bytes;
    {
        TDataStream s(&bytes, QIODevice::WriteOnly);
        writeItemRecord(s, *molecule);
    }
    MoleculeItem back{TMolecule(), QUuid(), QRectF()};
    TDataStream s(&bytes, QIODevice::ReadOnly);
    back.read(s);
    EXPECT_EQ(s.status(), QDataStream::Ok);
    EXPECT_TRUE(s.atEnd());
    EXPECT_EQ(back.ownId(), molecule->ownId());
    EXPECT_EQ(back.x(), molecule->x());
    EXPECT_EQ(back.angle(), 15.0);
    EXPECT_EQ(back.type(), QStringLiteral("Molecule"));
    EXPECT_TRUE(back.hasPixmap());
}
