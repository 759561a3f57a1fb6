// The plug-in's actions on the recording host, linked statically: dispatch
// by name against the host's journal and undo stack, the action states,
// the molecule-match flow over molecule items, the zoom, intensity and cut
// interfaces, the context menu and the dialog flows (answered with
// whenModal).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "kstest.h"
#include "kstestqt.h"
#include "pageitems.h"
#include "pluginhost.h"
#include "recordinghost.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tcmdanalysis.h"
#include "tcmdsettings.h"
#include "tcmdview.h"
#include "tionvale.h"
#include "tmolecule.h"
#include "tmousemodes.h"
#include "tpluginfactories.h"
#include "tupdateitem.h"

namespace {

using shelltest::caffeineMolfile;

const QString kNotImplemented =
    "This command is not implemented yet. It will be available in the next version of Lumatra.";

QString sampleDataset()
{
    return QString::fromStdString(std::string(KS_SOURCE_DIR) +
                                  "/../../dataservices/providers/text/samples/text_dataset.txt");
}

TMolecule moleculeFrom(const QString& molfile)
{
    TMolecule m;
    m.cachedMolfile = molfile;
    return m;
}

// The molecule peer of a host that cannot give the molecules of some items.
class LosingMoleculePeer : public lumatra::MoleculePeer {
public:
    using MoleculePeer::MoleculePeer;
    TMolecule* moleculeOfItem(TCanvasItem* item) override
    {
        return lost.contains(item) ? MoleculePeer::moleculeOfItem(nullptr) : MoleculePeer::moleculeOfItem(item);
    }
    QList<TCanvasItem*> lost;
};

// Accepts (OK) or cancels the next modal dialog, after `change` ran on it.
void answerDialog(bool accept, std::function<void(QDialog*)> change = {})
{
    ks::test::whenModal([accept, change](QDialog* dialog) {
        if (change)
            change(dialog);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

class ActionsTest : public shelltest::PluginHostTest {
protected:
    void SetUp() override
    {
        makeHost();
        if (losingPeer) {
            host->removeMoleculePeer();
            molecules = std::make_unique<LosingMoleculePeer>(*host);
            host->addPlugin(molecules.get());
        }
        loadPlugin();
        host->setView(1.0, QPointF(20, 20), QSize(4000, 4000));
    }
    void TearDown() override
    {
        for (TCanvasItem* i : host->allItems())
            if (i->rtti() == 110)
                delete i;
        PluginHostTest::TearDown();
        molecules.reset();
    }
    TCanvasMass* import(const QString& path)
    {
        QStringList imported;
        EXPECT_EQ(plugin->importFile(path, 0, QString(), true, imported), 0);
        auto* made = static_cast<TCanvasMass*>(host->allItems().last());
        host->setSelectedItems({made});
        host->clearJournal();
        return made;
    }
    TCanvasMass* importRun() { return import(shelltest::caffeineRun()); }
    QStringList commandsSince(int from) const { return shelltest::doneCommandNames(*host, from); }
    // The journal lines of the calls a test looks at.
    QStringList requests() const
    {
        return shelltest::journalLines(*host, {"setMouseMode", "showDock", "refreshDock"});
    }
    // The records of one updateActions call, by name: checked, enabled.
    QMap<QString, QPair<bool, bool>> states()
    {
        QList<TUpdateItem*> records;
        plugin->updateActions(records);
        QMap<QString, QPair<bool, bool>> out;
        for (TUpdateItem* r : records) {
            EXPECT_EQ(r->kind(), 1);
            out.insert(r->name, {static_cast<TUpdateAction*>(r)->checked, r->enabled});
        }
        qDeleteAll(records);
        return out;
    }

    std::unique_ptr<LosingMoleculePeer> molecules;
    bool losingPeer = false;
};

}  // namespace

TEST_F(ActionsTest, DispatchTable)
{
    TCanvasMass* item = import(sampleDataset());
    ASSERT_GE(item->visiblePlotCount(), 2);
    enum Answer { NoDialog, Accept, Box };
    struct Row {
        QString name;
        Answer answer;
        QStringList commands;
        QStringList requests;
    };
    const QString selecting = QStringLiteral("setMouseMode(%1, {00000000-0000-0000-0000-000000000000}, 1)")
                                  .arg(mousemode::kSpectrumSelection.toString());
    const QList<Row> rows{
        {"massElementComposition", NoDialog, {},
         {QStringLiteral("setMouseMode(%1, %2, 1)")
              .arg(mousemode::kElementComposition.toString(), plugin->secondId().toString())}},
        {"massElCompConstraints", Accept, {"Set Elemental Composition Constraints"}, {}},
        {"massMoleculeMatch", NoDialog, {}, {}},  // no molecule items
        {"massMoleculeMatchMode", NoDialog, {}, {}},  // no match result
        {"massMolMatchOpts", Accept, {"Set Molecule Match Settings"}, {}},
        {"massSelSpecModeNone", NoDialog, {}, {selecting}},  // the mode it has
        {"massSelSpecModePeak", NoDialog, {"Set Spectrum Selection Mode"}, {selecting}},
        {"massSelSpecModePeakBkg", NoDialog, {"Set Spectrum Selection Mode"}, {selecting}},
        {"massSelSpecModeAppend", NoDialog, {"Set Spectrum Selection Append Flag"}, {selecting}},
        {"massHidePlot", NoDialog, {"Toggle plot visibility"}, {}},
        {"massDeletePlot", NoDialog, {"Remove ms plot object"}, {}},
        {"massShowMSBrowser", NoDialog, {}, {"showDock(\"MSBrowserWidget\", true)"}},
        {"massSetMergeTolerance", Accept, {"Set merge tolerance"}, {}},
        {"massDebug1", Box, {}, {}},
        {"massDebug5", Box, {}, {}},
        {"massSomethingElse", Box, {}, {}},
        {"mass", Box, {}, {}},
        {"mass" + QString(20000, 'x'), Box, {}, {}},
        {"mass_anything", NoDialog, {}, {}},
        {"MassElementComposition", NoDialog, {}, {}},
        {"", NoDialog, {}, {}},
        {QString(20000, 'y'), NoDialog, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.left(40).toStdString());
        const int before = host->doneCount();
        host->clearJournal();
        if (row.answer == Accept)
            answerDialog(true);
        if (row.answer == Box)
            ks::test::whenModal([](QMessageBox* box) {
                EXPECT_EQ(box->text(), kNotImplemented);
                EXPECT_EQ(box->windowTitle(), QString());
                EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
                EXPECT_EQ(box->icon(), QMessageBox::Information);
                box->button(QMessageBox::Ok)->click();
            });
        plugin->executeAction(row.name);
        ks::test::finishModalAnswers();
        EXPECT_EQ(commandsSince(before), row.commands);
        EXPECT_EQ(requests().join(" / ").toStdString(), row.requests.join(" / ").toStdString());
        // Back to the item as it was, the host's mode with it.
        while (host->doneCount() > before && host->undo()) {
        }
        plugin->setMouseMode(QUuid(), 0, 0);
        host->showDock("MSBrowserWidget", false);
    }
    // The browser toggles with the dock's visibility.
    host->showDock("MSBrowserWidget", true);
    host->clearJournal();
    plugin->executeAction("massShowMSBrowser");
    EXPECT_EQ(requests(), QStringList{"showDock(\"MSBrowserWidget\", false)"});
    EXPECT_TRUE(plugin->isInvalidated("RELEASE"));
    EXPECT_TRUE(plugin->isInvalidated("x RELEASE y"));
    EXPECT_FALSE(plugin->isInvalidated("release"));
    EXPECT_FALSE(plugin->isInvalidated("Release"));
}

TEST_F(ActionsTest, NothingWithoutAnActiveMassItem)
{
    // A molecule item selected: no mass item among the selection.
    lumatra::MoleculeItem* molecule = host->moleculePeer()->makeItem(moleculeFrom(caffeineMolfile()));
    host->addItem(molecule);
    host->setSelectedItems({molecule});
    host->clearJournal();
    for (const char* name :
         {"massElCompConstraints", "massMoleculeMatch", "massMoleculeMatchMode", "massMolMatchOpts",
          "massSelSpecModeNone", "massSelSpecModePeak", "massSelSpecModePeakBkg", "massSelSpecModeAppend",
          "massHidePlot", "massDeletePlot", "massSetMergeTolerance"})
        plugin->executeAction(name);
    EXPECT_FALSE(plugin->manualZoom());
    plugin->fullZoomOut();
    plugin->fitToHeight();
    plugin->increaseIntensity();
    plugin->decreaseIntensity();
    plugin->restoreAllCuts();
    EXPECT_EQ(plugin->contextMenu(QPoint(40, 40)), QString());
    EXPECT_TRUE(host->commands().isEmpty());
    EXPECT_TRUE(requests().isEmpty());

    // The three that need no item.
    plugin->executeAction("massElementComposition");
    plugin->executeAction("massShowMSBrowser");
    EXPECT_EQ(requests().size(), 2);
}

TEST_F(ActionsTest, ItemWithoutItsDataset)
{
    // A mass item whose dataset is missing: no plot, no data; nothing
    // breaks and nothing needs a plot.
    TCanvasItem* lost = plugin->createItem(112);
    host->addItem(lost);
    host->setSelectedItems({lost});
    host->clearJournal();
    EXPECT_FALSE(plugin->manualZoom()) << "no dialog over nothing";
    for (const char* name : {"massHidePlot", "massDeletePlot", "massMoleculeMatchMode"})
        plugin->executeAction(name);
    EXPECT_TRUE(host->commands().isEmpty());
    EXPECT_EQ(plugin->contextMenu(QPoint(40, 40)), "massItemContextMenu");
    plugin->fitToHeight();
    plugin->restoreAllCuts();
    EXPECT_EQ(commandsSince(0), (QStringList{"Fit To Height", "Restore all ranges"}));
}

TEST_F(ActionsTest, SelectionModes)
{
    TCanvasMass* item = import(sampleDataset());
    // The current mode: no command, the mouse mode still asked for.
    plugin->executeAction("massSelSpecModeNone");
    EXPECT_TRUE(host->commands().isEmpty());
    EXPECT_EQ(host->calls("setMouseMode").size(), 1);
    // Another mode: the command; the mouse mode only when not current.
    host->clearJournal();
    plugin->setMouseMode(mousemode::kSpectrumSelection, 0, 0);
    plugin->executeAction("massSelSpecModePeak");
    EXPECT_EQ(commandsSince(0), QStringList{"Set Spectrum Selection Mode"});
    EXPECT_EQ(item->selectionMode(), 1);
    EXPECT_TRUE(host->calls("setMouseMode").isEmpty());

    // Append: switched on asks for the mode unless current; switched off
    // never.
    struct Case {
        QUuid current;
        bool flagBefore;
        int modeRequests;
    };
    const QList<Case> cases{{QUuid(), false, 1},
                            {mousemode::kSpectrumSelection, false, 0},
                            {mousemode::kRectZoom, true, 0},
                            {QUuid(), true, 0}};
    for (const Case& c : cases) {
        item->setBehaviourFlags(c.flagBefore ? TCanvasMass::AppendSpectra : 0);
        plugin->setMouseMode(c.current, 0, 0);
        host->clearJournal();
        const int before = host->doneCount();
        plugin->executeAction("massSelSpecModeAppend");
        EXPECT_EQ(commandsSince(before), QStringList{"Set Spectrum Selection Append Flag"});
        EXPECT_EQ((item->behaviourFlags() & TCanvasMass::AppendSpectra) != 0, !c.flagBefore);
        EXPECT_EQ(host->calls("setMouseMode").size(), c.modeRequests) << c.current.toString().toStdString();
    }
}

TEST_F(ActionsTest, HideAndDeleteNeedTwoVisiblePlots)
{
    TCanvasMass* item = import(sampleDataset());
    ASSERT_EQ(item->visiblePlotCount(), 2);
    auto s = states();
    EXPECT_TRUE(s["massHidePlot"].second);
    EXPECT_TRUE(s["massDeletePlot"].second);
    plugin->executeAction("massHidePlot");
    ASSERT_EQ(item->visiblePlotCount(), 1);
    item->selectFirstVisiblePlot();
    s = states();
    EXPECT_FALSE(s["massHidePlot"].second);
    EXPECT_FALSE(s["massDeletePlot"].second);
    // Called anyway: nothing.
    plugin->executeAction("massHidePlot");
    plugin->executeAction("massDeletePlot");
    EXPECT_EQ(commandsSince(0), QStringList{"Toggle plot visibility"});
    EXPECT_EQ(item->visiblePlotCount(), 1);
}

TEST_F(ActionsTest, UpdateActionsTable)
{
    using States = QMap<QString, QPair<bool, bool>>;
    const QStringList order{"massElementComposition", "massElCompConstraints", "massMoleculeMatchMode",
                            "massMoleculeMatch",      "massMolMatchOpts",      "massSelSpecModeNone",
                            "massSelSpecModePeak",    "massSelSpecModePeakBkg", "massSelSpecModeAppend",
                            "massHidePlot",           "massDeletePlot",        "massShowMSBrowser",
                            "massSetMergeTolerance"};
    // Appended after what the list holds, in this order, untouched.
    auto* foreign = new TUpdateAction("hostAction");
    foreign->checked = true;
    foreign->enabled = false;
    QList<TUpdateItem*> records{foreign};
    plugin->updateActions(records);
    ASSERT_EQ(records.size(), 1 + order.size());
    EXPECT_EQ(records.first(), foreign);
    EXPECT_TRUE(foreign->checked);
    EXPECT_FALSE(foreign->enabled);
    for (int i = 0; i < order.size(); ++i) {
        EXPECT_EQ(records[i + 1]->name, order[i]);
        EXPECT_TRUE(records[i + 1]->visible);
        const auto* action = static_cast<const TUpdateAction*>(records[i + 1]);
        EXPECT_TRUE(action->text.isEmpty() && action->toolTip.isEmpty());
        EXPECT_FALSE(action->flag2 || action->flag3);
    }
    qDeleteAll(records);

    // No item: only the browser enabled.
    States s = states();
    for (const QString& name : order) {
        EXPECT_FALSE(s[name].first) << name.toStdString();
        EXPECT_EQ(s[name].second, name == "massShowMSBrowser") << name.toStdString();
    }
    host->showDock("MSBrowserWidget", true);
    EXPECT_TRUE(states()["massShowMSBrowser"].first);

    TCanvasMass* item = importRun();
    s = states();
    for (const char* name : {"massElementComposition", "massElCompConstraints", "massMolMatchOpts",
                             "massSelSpecModeNone", "massSelSpecModeAppend", "massSetMergeTolerance"})
        EXPECT_TRUE(s[name].second) << name;
    EXPECT_FALSE(s["massMoleculeMatch"].second) << "no molecule item";
    EXPECT_FALSE(s["massMoleculeMatchMode"].second) << "no result";
    EXPECT_FALSE(s["massElementComposition"].first);
    host->setMouseMode(mousemode::kElementComposition, QUuid(), 1);
    EXPECT_TRUE(states()["massElementComposition"].first) << "the host's mode";

    // Selection modes: checked only while the spectrum-selection mode is
    // the dispatcher's.
    struct ModeCase {
        int mode;
        bool selecting;
        QString checked;
    };
    const QList<ModeCase> modes{{0, false, ""},
                                {0, true, "massSelSpecModeNone"},
                                {1, true, "massSelSpecModePeak"},
                                {2, true, "massSelSpecModePeakBkg"},
                                {2, false, ""}};
    for (const ModeCase& c : modes) {
        item->setSelectionMode(c.mode);
        plugin->setMouseMode(QUuid(), 0, 0);
        if (c.selecting)
            plugin->setMouseMode(mousemode::kSpectrumSelection, 0, 0);
        s = states();
        for (const char* name : {"massSelSpecModeNone", "massSelSpecModePeak", "massSelSpecModePeakBkg"})
            EXPECT_EQ(s[name].first, c.checked == name) << name << " mode " << c.mode;
    }
    item->setBehaviourFlags(TCanvasMass::AppendSpectra);
    EXPECT_TRUE(states()["massSelSpecModeAppend"].first);

    // Molecule items and match results.
    lumatra::MoleculeItem* molecule = host->moleculePeer()->makeItem(moleculeFrom(caffeineMolfile()));
    host->addItem(molecule);
    EXPECT_TRUE(states()["massMoleculeMatch"].second);
    ASSERT_TRUE(plugin->ensureElementTable());
    host->executeCommand(new TCmdMoleculeMatcher({caffeineMolfile().toStdWString()}, {L"caffeine"},
                                                 &plugin->elementTable(), {item}));
    ASSERT_FALSE(item->moleculeMatch().matcher().getResults().empty());
    host->executeCommand(new TCmdSelectMolMatchResult(0, item));
    s = states();
    EXPECT_EQ(s["massMoleculeMatchMode"], qMakePair(true, true)) << "shown";
    host->executeCommand(new TCmdHideMolMatchHighlight({item}));
    s = states();
    EXPECT_EQ(s["massMoleculeMatchMode"], qMakePair(false, true)) << "hidden";
    item->moleculeMatch().setSelectedResult(99);
    EXPECT_EQ(states()["massMoleculeMatchMode"], qMakePair(false, false)) << "outside the results";
}

TEST_F(ActionsTest, UpdateRefreshesEveryTableFactory)
{
    ASSERT_FALSE(plugin->tableFactories().isEmpty());
    for (TBaseTableFactory* f : plugin->tableFactories())
        f->reportAction()->setEnabled(true);
    states();
    for (TBaseTableFactory* f : plugin->tableFactories())
        EXPECT_FALSE(f->reportAction()->isEnabled()) << "no item, no report";
}

TEST_F(ActionsTest, MoleculeMatchOverMoleculeItems)
{
    TCanvasMass* item = importRun();
    const QString caffeine = caffeineMolfile();
    const QString other = caffeine + "\n";
    lumatra::MoleculePeer* peer = host->moleculePeer();
    // Two items showing one object, then a second object.
    lumatra::MoleculeItem* a = peer->makeItem(moleculeFrom(caffeine));
    lumatra::MoleculeItem* a2 = peer->makeItem(moleculeFrom(caffeine), a->objectId());
    lumatra::MoleculeItem* b = peer->makeItem(moleculeFrom(other));
    for (TCanvasItem* i : {static_cast<TCanvasItem*>(a), static_cast<TCanvasItem*>(a2), static_cast<TCanvasItem*>(b)})
        host->addItem(i);
    host->clearJournal();
    plugin->executeAction("massMoleculeMatch");
    ASSERT_EQ(commandsSince(0), QStringList{"Molecule Matcher"});
    auto* command = static_cast<TCmdMoleculeMatcher*>(host->commands().last());
    ASSERT_EQ(command->molfiles.size(), 2u);
    EXPECT_EQ(QString::fromStdWString(command->molfiles[0]), caffeine);
    EXPECT_EQ(QString::fromStdWString(command->molfiles[1]), other);
    EXPECT_EQ(command->moleculeIds, (std::vector<std::wstring>{a->objectId().toString().toStdWString(),
                                                                b->objectId().toString().toStdWString()}));
    EXPECT_EQ(command->elementTable, &plugin->elementTable());
    EXPECT_EQ(host->calls("molecule.moleculeOfItem").size(), 2);
    EXPECT_EQ(requests(), QStringList{"showDock(\"MassMolMatchTable\", true)"});
    const auto& results = item->moleculeMatch().matcher().getResults();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results.front().getIsMatched());
}

class LostMoleculesTest : public ActionsTest {
protected:
    LostMoleculesTest() { losingPeer = true; }
};

TEST_F(LostMoleculesTest, MoleculesThePeerCannotGiveArePassedOver)
{
    import(sampleDataset());
    lumatra::MoleculeItem* kept = molecules->makeItem(moleculeFrom(caffeineMolfile()));
    lumatra::MoleculeItem* gone = molecules->makeItem(moleculeFrom("lost"));
    host->addItem(gone);
    host->addItem(kept);
    molecules->lost << gone;
    host->clearJournal();
    plugin->executeAction("massMoleculeMatch");
    ASSERT_EQ(commandsSince(0), QStringList{"Molecule Matcher"});
    auto* command = static_cast<TCmdMoleculeMatcher*>(host->commands().last());
    EXPECT_EQ(command->moleculeIds, std::vector<std::wstring>{kept->objectId().toString().toStdWString()});

    // None the peer gives: nothing, no dock.
    molecules->lost << kept;
    host->clearJournal();
    plugin->executeAction("massMoleculeMatch");
    EXPECT_EQ(host->commands().size(), 1);
    EXPECT_TRUE(requests().isEmpty());
}

TEST_F(ActionsTest, MoleculeMatchNeedsThePeerAndMolecules)
{
    import(sampleDataset());
    plugin->executeAction("massMoleculeMatch");
    EXPECT_TRUE(host->commands().isEmpty()) << "no molecule items";
    EXPECT_TRUE(requests().isEmpty());
}

class NoMoleculePeerTest : public ActionsTest {
protected:
    void SetUp() override
    {
        makeHost();
        host->removeMoleculePeer();
        loadPlugin();
    }
};

TEST_F(NoMoleculePeerTest, MoleculeMatchDoesNothing)
{
    import(sampleDataset());
    ASSERT_EQ(plugin->moleculePlugin(), nullptr);
    TCanvasItem* stray = new lumatra::MoleculeItem(moleculeFrom(caffeineMolfile()), QUuid::createUuid(),
                                                   QRectF(0, 0, 10, 10));
    host->addItem(stray);
    plugin->executeAction("massMoleculeMatch");
    EXPECT_TRUE(host->commands().isEmpty());
    EXPECT_TRUE(requests().isEmpty());
}

TEST_F(ActionsTest, ZoomIntensityAndCuts)
{
    TCanvasMass* item = import(sampleDataset());
    plugin->fullZoomOut();
    plugin->fitToHeight();
    plugin->increaseIntensity();
    plugin->decreaseIntensity();
    plugin->restoreAllCuts();
    EXPECT_EQ(commandsSince(0), (QStringList{"Full Zoom Out", "Fit To Height", "Increase Intensity",
                                             "Decrease Intensity", "Restore all ranges"}));
    EXPECT_EQ(static_cast<TCmdZoomSpectra*>(host->commands().first())->zoomRect, QRectF(0, 0, 0, 0));
    EXPECT_FALSE(plugin->canCutRange());
    plugin->cutRange();
    EXPECT_FALSE(plugin->canRestoreRange());
    EXPECT_EQ(host->commands().size(), 5);

    // Manual zoom: equal ends build nothing; from < to zooms.
    const TPlotAxis& axis = item->currentPlot()->axis(1);
    struct Case {
        bool accept;
        double from, to;
        bool zooms;
    };
    const double low = axis.fullFrom, high = axis.fullTo;
    const double a = low + 0.25 * (high - low), b = low + 0.5 * (high - low);
    const QList<Case> cases{{true, a, a, false}, {false, a, b, false}, {true, a, b, true}};
    for (const Case& c : cases) {
        const int before = host->doneCount();
        host->clearJournal();
        answerDialog(c.accept, [&](QDialog* dialog) {
            dialog->findChild<QDoubleSpinBox*>("dsbFrom")->setValue(c.from);
            dialog->findChild<QDoubleSpinBox*>("dsbTo")->setValue(c.to);
        });
        EXPECT_EQ(plugin->manualZoom(), c.zooms);
        ks::test::finishModalAnswers();
        EXPECT_EQ(host->calls("dialogParent").size(), 1);
        if (!c.zooms) {
            EXPECT_EQ(host->doneCount(), before);
            continue;
        }
        ASSERT_EQ(commandsSince(before), QStringList{"Zoom"});
        auto* zoom = static_cast<TCmdZoomSpectra*>(host->commands().last());
        EXPECT_NEAR(zoom->zoomRect.x(), c.from, 1e-3 * std::abs(c.from) + 1e-3);
        EXPECT_NEAR(zoom->zoomRect.width(), c.to - c.from, 1e-3 * std::abs(c.to - c.from) + 1e-3);
        EXPECT_EQ(zoom->zoomRect.y(), 0.0);
        EXPECT_EQ(zoom->zoomRect.height(), 0.0);
    }
    // No current plot: false without a dialog (the dialog would show
    // nothing).
    item->setCurrentPlot(nullptr);
    host->clearJournal();
    EXPECT_FALSE(plugin->manualZoom());
    EXPECT_TRUE(host->calls("dialogParent").isEmpty());
}

TEST_F(ActionsTest, ContextMenuMakesThePlotCurrent)
{
    TCanvasMass* item = import(sampleDataset());
    // A view point over the second plot's area (the view maps one to one
    // from origin 20, 20).
    QPoint over;
    const QRectF r = item->itemRect();
    for (double y = r.bottom() - 25; y > r.top() && over.isNull(); y -= 25)
        if (item->plotAreaAt(QPointF(r.center().x(), y)) == 3)
            over = QPoint(int(r.center().x()), int(y));
    ASSERT_FALSE(over.isNull());
    item->setCurrentPlot(item->plotAtIndex(0));
    EXPECT_EQ(plugin->contextMenu(over + QPoint(20, 20)), "massItemContextMenu");
    EXPECT_EQ(item->currentPlot(), item->plotAt(QPointF(over)));
    EXPECT_NE(item->currentPlot(), item->plotAtIndex(0));
    EXPECT_EQ(requests(), QStringList{"refreshDock(\"MassPeaksTable\")"});
    EXPECT_TRUE(host->journal().contains(QStringLiteral("mapPoint((%1, %2), 0, 3) -> (%3, %4)")
                                             .arg(over.x() + 20)
                                             .arg(over.y() + 20)
                                             .arg(over.x())
                                             .arg(over.y())))
        << host->journal().join('\n').toStdString();
}

TEST_F(ActionsTest, DialogFlowsAcceptedAndCancelled)
{
    TCanvasMass* item = import(sampleDataset());
    QWidget window;
    host->setDialogParent(&window);
    struct Flow {
        const char* action;
        QString command;
    };
    const QList<Flow> flows{{"massElCompConstraints", "Set Elemental Composition Constraints"},
                            {"massMolMatchOpts", "Set Molecule Match Settings"},
                            {"massSetMergeTolerance", "Set merge tolerance"}};
    for (const Flow& f : flows) {
        for (const bool accept : {false, true}) {
            SCOPED_TRACE(std::string(f.action) + (accept ? " accepted" : " cancelled"));
            const int before = host->doneCount();
            QWidget* parentSeen = nullptr;
            answerDialog(accept, [&](QDialog* dialog) { parentSeen = dialog->parentWidget(); });
            plugin->executeAction(f.action);
            ks::test::finishModalAnswers();
            EXPECT_EQ(parentSeen, &window) << "the host's dialog parent";
            EXPECT_EQ(commandsSince(before), accept ? QStringList{f.command} : QStringList());
        }
    }
    // Opened by the plug-in, the dialogs find its pictures.
    answerDialog(false, [](QDialog* dialog) {
        const QList<QAbstractButton*> buttons = dialog->findChildren<QAbstractButton*>();
        int pictured = 0;
        for (const QAbstractButton* b : buttons)
            pictured += !b->icon().isNull() && !b->icon().pixmap(16, 16).isNull();
        EXPECT_GE(pictured, 2);
    });
    plugin->executeAction("massElCompConstraints");
    ks::test::finishModalAnswers();

    // What the dialogs give reaches the commands.
    answerDialog(true, [](QDialog* dialog) {
        auto* da = dialog->findChild<QRadioButton*>("rbDa");
        if (da)
            da->setChecked(true);
        auto* value = dialog->findChild<QDoubleSpinBox*>();
        ASSERT_NE(value, nullptr);
        value->setValue(0.5);
    });
    plugin->executeAction("massSetMergeTolerance");
    ks::test::finishModalAnswers();
    auto* tolerance = static_cast<TCmdSetMassMergeTolerance*>(host->commands().last());
    EXPECT_EQ(tolerance->which, int(TCmdSetMassMergeTolerance::MergeTolerance));
    EXPECT_DOUBLE_EQ(tolerance->tolerance, 0.5);
    EXPECT_TRUE(tolerance->inDa);
    EXPECT_DOUBLE_EQ(item->mergeTolerance(), 0.5);
}
