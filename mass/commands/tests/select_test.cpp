// Spectrum selection and the mass-item settings through the recording
// host's undo stack.
#include "commandtest.h"

#include <cmath>
#include <limits>

#include "tcmdselect.h"
#include "tcmdsettings.h"
#include "tkscollection.h"
#include "tmassdataobj.h"
#include "tmasselementcomposition.h"

using namespace cmdtest;

namespace {

int firstScan(const TMassDataObj* object)
{
    const TMassSpecDataObj* s = TMassSpecDataObj::cast(object);
    return s && !s->spectrum().getScanRanges().empty() ? s->spectrum().getScanRanges().front().first : -1;
}

}  // namespace

class SelectCommand : public CommandTest {
protected:
    // The spectrum plot of the item (index 1, MS+ of injection A).
    static QUuid spectrumId(TCanvasMass* item) { return item->plotAtIndex(1)->id(); }
};

TEST_F(SelectCommand, ReplaceThenUndoGivesBackObjectViewAndVisibility)
{
    TCanvasMass* item = massItem();
    const QUuid id = spectrumId(item);
    TMassDataObj* original = item->dataObject(id);
    TBasePlot* plot = item->plot(id, false);
    plot->zoom(1, 150, 200);
    item->setPlotVisible(id, false);
    QByteArray view;
    plot->saveState(view);

    auto* select = new TCmdSelectMassSpectrum(QPointF(0.1, 0), TCanvasItemList(item), false);
    EXPECT_EQ(select->name, QByteArray("Set Mass Spectrum"));
    host.executeCommand(select);
    ASSERT_TRUE(select->isDone());
    EXPECT_EQ(item->plotCount(), 2);
    EXPECT_NE(item->dataObject(id), original);
    EXPECT_EQ(firstScan(item->dataObject(id)), 6);  // 0.1 min at 0.02 min steps
    EXPECT_EQ(select->replacedObject, original);
    EXPECT_TRUE(item->isPlotVisible(id));

    host.undo();
    EXPECT_EQ(item->dataObject(id), original);
    EXPECT_FALSE(item->isPlotVisible(id));
    QByteArray back;
    plot->saveState(back);
    EXPECT_EQ(back, view);
    // A redo selects again; the host deletes the done command's replaced
    // object when it goes (LeakSanitizer).
    host.redo();
    EXPECT_EQ(firstScan(item->dataObject(id)), 6);
}

TEST_F(SelectCommand, AppendModeAddsAPlotEachTime)
{
    TCanvasMass* item = massItem();
    item->setBehaviourFlags(TCanvasMass::AppendSpectra);
    TMassDataObj* original = item->dataObject(spectrumId(item));
    host.executeCommand(new TCmdSelectMassSpectrum(QPointF(0.1, 0), TCanvasItemList(item), false));
    host.executeCommand(new TCmdSelectMassSpectrum(QPointF(0.3, 0), TCanvasItemList(item), false));
    ASSERT_EQ(item->plotCount(), 4);
    EXPECT_EQ(item->dataObject(spectrumId(item)), original);
    EXPECT_EQ(firstScan(item->dataObject(item->plotAtIndex(3)->id())), 16);
    host.undo();
    EXPECT_EQ(item->plotCount(), 3);
    EXPECT_EQ(firstScan(item->dataObject(item->plotAtIndex(2)->id())), 6);
}

TEST_F(SelectCommand, RightToLeftDragAndTheMergeToleranceRestored)
{
    TCanvasMass* item = massItem();
    item->setMergeTolerance(0.5, true);
    TKSMSCollection* collection = item->msCollection(0, 0);
    ASSERT_NE(collection, nullptr);
    collection->setMergeTolerance(false, 20);
    auto* drag = new TCmdSelectMassSpectrum(QRectF(0.2, 0, -0.1, 0), TCanvasItemList(item), false);
    EXPECT_EQ(drag->fromTime, 0.2 - 0.1);
    EXPECT_EQ(drag->toTime, 0.2);
    host.executeCommand(drag);
    EXPECT_TRUE(drag->isDone());
    const TMassSpecDataObj* merged = TMassSpecDataObj::cast(item->dataObject(spectrumId(item)));
    ASSERT_NE(merged, nullptr);
    EXPECT_GT(merged->spectrum().getScanRanges().front().last, merged->spectrum().getScanRanges().front().first);
    EXPECT_EQ(collection->getMergeTolerance(), 20);
    EXPECT_FALSE(collection->getMergeToleranceInDa());
}

TEST_F(SelectCommand, NothingToSelectEndsInNoChange)
{
    TCanvasMass* item = massItem();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::function<TCommand*(TCanvasMass*)> make;
    };
    const Case cases[] = {
        {"NaN time", [&](TCanvasMass* i) { return new TCmdSelectMassSpectrum(QPointF(nan, 0), {i}, false); }},
        {"range without scans",
         [](TCanvasMass* i) { return new TCmdSelectMassSpectrum(QRectF(50, 0, 10, 0), {i}, false); }},
        {"append without spectrum plot of the function",
         [](TCanvasMass* i) {
             i->removePlotObject(i->plotAtIndex(1)->id());
             return new TCmdSelectMassSpectrum(QPointF(0.1, 0), {i}, true);
         }},
    };
    for (const Case& c : cases) {
        TCanvasMass* fresh = massItem();
        TCommand* command = c.make(fresh);
        QByteArray before;
        {
            TDataStream s(&before, QIODevice::WriteOnly);
            fresh->writePluginData(s);
        }
        host.executeCommand(command);
        EXPECT_FALSE(command->isApplied()) << c.name;
        EXPECT_FALSE(command->isDone()) << c.name;
        host.undo();
        EXPECT_EQ(itemtest::pluginData(*fresh), before) << c.name;
    }
    // An item without a dataset (nothing to select from): not applied.
    TCanvasMass* empty = emptyItem();
    auto* onEmpty = new TCmdSelectMassSpectrum(QPointF(0.1, 0), TCanvasItemList(empty), false);
    host.executeCommand(onEmpty);
    EXPECT_FALSE(onEmpty->isApplied());
    EXPECT_EQ(empty->plotCount(), 0);
    // The current plot shows a spectrum: not applied.
    item->setCurrentPlot(item->plotAtIndex(1));
    auto* onSpectrum = new TCmdSelectMassSpectrum(QPointF(0.1, 0), TCanvasItemList(item), false);
    host.executeCommand(onSpectrum);
    EXPECT_FALSE(onSpectrum->isDone());
}

TEST_F(SelectCommand, SelectionModeAndActiveFunction)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    a->setSelectionMode(TCanvasMass::SelectPeak);
    auto* mode = new TCmdSetMassSpectrumSelectionMode(TCanvasMass::SelectPeakSubtract, {a, nullptr, b});
    EXPECT_EQ(mode->name, QByteArray("Set Spectrum Selection Mode"));
    host.executeCommand(mode);
    EXPECT_EQ(a->selectionMode(), TCanvasMass::SelectPeakSubtract);
    EXPECT_EQ(b->selectionMode(), TCanvasMass::SelectPeakSubtract);
    host.undo();
    EXPECT_EQ(a->selectionMode(), TCanvasMass::SelectPeak);
    EXPECT_EQ(b->selectionMode(), TCanvasMass::SelectManual);

    auto* active = new TCmdSetActiveMassFunction(a, 0, 2);
    EXPECT_EQ(active->previousFunction, 0);
    host.executeCommand(active);
    EXPECT_EQ(a->activeFunction(0), 2);
    host.undo();
    EXPECT_EQ(a->activeFunction(0), 0);
    // A function the injection lacks changes nothing.
    host.executeCommand(new TCmdSetActiveMassFunction(a, 0, 9));
    EXPECT_EQ(a->activeFunction(0), 0);
}

class SettingsCommand : public CommandTest {};

TEST_F(SettingsCommand, BehaviourFlagsUndoneToEachItemsOwn)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    a->setBehaviourFlags(TCanvasMass::AppendSpectra | 0x10);
    b->setBehaviourFlags(0x20);
    auto* flag = new TCmdSetMassItemAppendBhvFlag(true, {a, b});
    EXPECT_EQ(flag->name, QByteArray("Set Spectrum Selection Append Flag"));
    host.executeCommand(flag);
    EXPECT_EQ(a->behaviourFlags(), 0x11);
    EXPECT_EQ(b->behaviourFlags(), 0x21);
    host.undo();
    EXPECT_EQ(a->behaviourFlags(), 0x11);
    EXPECT_EQ(b->behaviourFlags(), 0x20);
    host.executeCommand(new TCmdSetMassItemBehaviorFlag(0x10, false, "Clear", {a}));
    EXPECT_EQ(a->behaviourFlags(), 0x01);
}

TEST_F(SettingsCommand, Tolerances)
{
    TCanvasMass* item = massItem();
    ASSERT_EQ(item->mergeTolerance(), 0.1);
    ASSERT_TRUE(item->toleranceUnits() & TCanvasMass::MergeToleranceInDa);
    auto* merge = new TCmdSetMassMergeTolerance(TCmdSetMassMergeTolerance::MergeTolerance, 5, false, {item});
    EXPECT_EQ(merge->name, QByteArray("Set merge tolerance"));
    host.executeCommand(merge);
    EXPECT_EQ(item->mergeTolerance(), 5);
    EXPECT_FALSE(item->toleranceUnits() & TCanvasMass::MergeToleranceInDa);
    host.undo();
    EXPECT_EQ(item->mergeTolerance(), 0.1);
    EXPECT_TRUE(item->toleranceUnits() & TCanvasMass::MergeToleranceInDa);

    const double chromatogram = item->chromatogramTolerance();
    host.executeCommand(new TCmdSetMassMergeTolerance(TCmdSetMassMergeTolerance::ChromatogramTolerance, 0.5, true, {item}));
    EXPECT_EQ(item->chromatogramTolerance(), 0.5);
    host.undo();
    EXPECT_EQ(item->chromatogramTolerance(), chromatogram);

    // Tolerances of 0, below 0 or not a number: no change.
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        auto* command = new TCmdSetMassMergeTolerance(TCmdSetMassMergeTolerance::MergeTolerance, bad, true, {item});
        host.executeCommand(command);
        EXPECT_FALSE(command->isApplied()) << bad;
        EXPECT_EQ(item->mergeTolerance(), 0.1) << bad;
        host.undo();
        EXPECT_EQ(item->mergeTolerance(), 0.1) << bad;
    }
}

TEST_F(SettingsCommand, ConstraintsKeepTheirFirstPreviousValues)
{
    TCanvasMass* item = massItem();
    const QByteArray first = elementConstraintsToByteArray(item->elementComposition().calculator().getConstraints());
    TKSCompositionConstraints wanted = item->elementComposition().calculator().getConstraints();
    wanted.setTolerance(7);
    wanted.setChargeState(2);
    auto* set = new TCmdSetElementCompositionConstraints(wanted, {item});
    EXPECT_EQ(set->name, QByteArray("Set Elemental Composition Constraints"));
    host.executeCommand(set);
    EXPECT_TRUE(item->elementComposition().calculator().getConstraints() == wanted);
    host.undo();
    EXPECT_EQ(elementConstraintsToByteArray(item->elementComposition().calculator().getConstraints()), first);
    host.redo();
    EXPECT_EQ(set->previousConstraints.size(), 1);
    host.undo();
    EXPECT_EQ(elementConstraintsToByteArray(item->elementComposition().calculator().getConstraints()), first);
}

TEST_F(SettingsCommand, MatchSettings)
{
    TCanvasMass* item = massItem();
    const QByteArray first = molMatchSettingsToByteArray(item->moleculeMatch().settings());
    TMolMatchSettings wanted = item->moleculeMatch().settings();
    wanted.msTolerance = 3;
    wanted.msmsTolerance = 4;
    auto* set = new TCmdSetMolMatchSettings(wanted, {item});
    EXPECT_EQ(set->name, QByteArray("Set Molecule Match Settings"));
    host.executeCommand(set);
    EXPECT_EQ(item->moleculeMatch().settings().msTolerance, 3);
    host.undo();
    EXPECT_EQ(molMatchSettingsToByteArray(item->moleculeMatch().settings()), first);
}

TEST_F(SettingsCommand, NewDatasetFile)
{
    const QString first = writeCaseFile("first.run", itemtest::kRunTwoInjections);
    TCanvasMass* a = import(first, itemtest::kRunProviderId);
    TCanvasMass* b = import(first, itemtest::kRunProviderId);
    TCanvasMass* other = massItem();
    ASSERT_EQ(a->datasetKey(), b->datasetKey());
    TKSDataset* before = a->dataset();
    const QString second = writeCaseFile("second.run", itemtest::kRunTwoInjections);
    auto* move = new TCmdUpdateMSDatasetFile(a->datasetKey(), second, &handler(), {a, other, nullptr, b});
    EXPECT_EQ(move->name, QByteArray("Update MS dataset file"));
    EXPECT_EQ(move->datasetItems, TCanvasItemList({a, b}));
    EXPECT_EQ(move->oldPath, handler().entry(a->datasetKey())->name());
    host.clearJournal();
    host.executeCommand(move);
    EXPECT_TRUE(move->isDone());
    EXPECT_NE(a->dataset(), nullptr);
    EXPECT_NE(a->dataset(), before);
    EXPECT_EQ(journalCount("canvas.update()"), 1);
    host.undo();
    EXPECT_NE(a->dataset(), nullptr);
    EXPECT_EQ(journalCount("canvas.update()"), 2);

    // A file no provider takes: no change.
    TKSDataset* now = a->dataset();
    auto* bad = new TCmdUpdateMSDatasetFile(a->datasetKey(), writeCaseFile("bad.run", "nonsense\n"), &handler(), {a});
    host.executeCommand(bad);
    EXPECT_FALSE(bad->isApplied());
    EXPECT_EQ(a->dataset(), now);
    host.undo();
    EXPECT_EQ(a->dataset(), now);
    // A key the handler does not hold: nothing to change, refreshed all the same.
    auto* unknown = new TCmdUpdateMSDatasetFile(QUuid::createUuid(), second, &handler(), {a});
    EXPECT_TRUE(unknown->oldPath.isEmpty());
    host.executeCommand(unknown);
    EXPECT_EQ(a->dataset(), now);
}
