// Elemental composition, molecule matching and match results through the
// recording host's undo stack, over the generated run whose compound is
// protonated caffeine (195.0877).
#include "commandtest.h"

#include <cmath>
#include <limits>

#include "tcmdanalysis.h"
#include "tdatastream.h"
#include "tkselements.h"
#include "tksmatcher.h"
#include "tmassdataobj.h"
#include "tmasselementcomposition.h"
#include "tmassmoleculematch.h"

using namespace cmdtest;

namespace {

QByteArray savedState(TCanvasMass* item, bool composition)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly);
    if (composition)
        item->elementComposition().save(s);
    else
        item->moleculeMatch().save(s);
    return bytes;
}

}  // namespace

class AnalysisCommand : public CommandTest {
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        ASSERT_TRUE(table.initialize(elementTableFilePath().toStdWString()));
    }
    // The spectrum of the item (the compound's apex).
    static TMassSpecDataObj* spectrumOf(TCanvasMass* item)
    {
        return TMassSpecDataObj::cast(item->dataObject(item->plotAtIndex(1)->id()));
    }
    TKSElementTable table;
};

TEST_F(AnalysisCommand, CompositionAndItsUndoSnapshot)
{
    TCanvasMass* item = massItem();
    const QByteArray before = savedState(item, true);
    auto* composition = new TCmdMassElementComposition(spectrumOf(item), 195.0877, &table, {item});
    EXPECT_EQ(composition->name, QByteArray("Elemental Composition"));
    host.executeCommand(composition);
    EXPECT_TRUE(composition->isDone());
    EXPECT_EQ(item->elementComposition().spectrumId(), spectrumOf(item)->id());
    EXPECT_NE(savedState(item, true), before);
    host.undo();
    EXPECT_EQ(savedState(item, true), before);

    // No spectrum object (a chromatogram given), an m/z that is not a
    // number, not positive or outside the spectrum (above and below its
    // m/z range), no element table: no change.
    for (TCmdMassElementComposition* bad :
         {new TCmdMassElementComposition(TMassSpecDataObj::cast(item->currentDataObject()), 195.0877, &table, {item}),
          new TCmdMassElementComposition(spectrumOf(item), std::numeric_limits<double>::quiet_NaN(), &table, {item}),
          new TCmdMassElementComposition(spectrumOf(item), -5, &table, {item}),
          new TCmdMassElementComposition(spectrumOf(item), spectrumOf(item)->getMaximumX() + 500, &table, {item}),
          new TCmdMassElementComposition(spectrumOf(item), spectrumOf(item)->getMinimumX() / 2, &table, {item}),
          new TCmdMassElementComposition(spectrumOf(item), 195.0877, nullptr, {item})}) {
        host.executeCommand(bad);
        EXPECT_FALSE(bad->isApplied());
        EXPECT_EQ(savedState(item, true), before);
        host.undo();
        EXPECT_EQ(savedState(item, true), before);
    }
}

TEST_F(AnalysisCommand, MatchUndoneAndRedoneWithoutMatchingAgain)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    const QByteArray beforeA = savedState(a, false);
    auto* match = new TCmdMoleculeMatcher({caffeineMolfile()}, {L"caffeine"}, &table, {a, b});
    EXPECT_EQ(match->name, QByteArray("Molecule Matcher"));
    host.executeCommand(match);
    ASSERT_TRUE(match->isDone());
    ASSERT_EQ(match->computed, QVector<bool>({true, true}));
    ASSERT_FALSE(a->moleculeMatch().matcher().getResults().empty());
    const QByteArray matched = savedState(a, false);
    host.undo();
    EXPECT_EQ(savedState(a, false), beforeA);
    // The redo replays the stored result: the matcher is not run (its
    // element table stays unset after the undo's load).
    host.redo();
    EXPECT_EQ(savedState(a, false), matched);
}

TEST_F(AnalysisCommand, MatchingThatFailsChangesNothing)
{
    TCanvasMass* item = massItem();
    const QByteArray before = savedState(item, false);
    struct Case {
        const char* name;
        std::vector<std::wstring> molfiles, ids;
    };
    const Case cases[] = {{"no molecules", {}, {}}, {"unreadable", {L"not a molfile"}, {L"x"}}};
    for (const Case& c : cases) {
        auto* match = new TCmdMoleculeMatcher(c.molfiles, c.ids, &table, {item});
        host.executeCommand(match);
        EXPECT_FALSE(match->isApplied()) << c.name;
        host.undo();
        EXPECT_EQ(savedState(item, false), before) << c.name;
    }
}

TEST_F(AnalysisCommand, SelectAndHideResultsWithoutLeaks)
{
    TCanvasMass* item = massItem();
    host.executeCommand(new TCmdMoleculeMatcher({caffeineMolfile()}, {L"caffeine"}, &table, {item}));
    const auto& results = item->moleculeMatch().matcher().getResults();
    ASSERT_FALSE(results.empty());
    ASSERT_TRUE(results.front().getIsMatched());
    const QUuid spectrumId = item->plotAtIndex(1)->id();
    TMassDataObj* original = item->dataObject(spectrumId);
    // An earlier result object under a key the new result lacks.
    item->moleculeMatch().setResultObject(5, new TMassSpecDataObj(QUuid::createUuid(), spectrumOf(item)->spectrum(), 2));

    auto* select = new TCmdSelectMolMatchResult(0, item);
    EXPECT_EQ(select->name, QByteArray("Select Molecule Match Result"));
    host.executeCommand(select);
    ASSERT_TRUE(select->isDone());
    EXPECT_EQ(item->moleculeMatch().selectedResult(), 0);
    EXPECT_NE(item->dataObject(spectrumId), original);  // the matched spectrum shown
    EXPECT_NE(item->moleculeMatch().resultObject(TMassMoleculeMatch::PositiveCluster), nullptr);
    // No overlay of the earlier result stays.
    const TMassDataObj* mic = item->moleculeMatch().resultObject(5);
    EXPECT_TRUE(!mic || mic->kind() == TMassDataObj::Chromatogram);

    auto* hide = new TCmdHideMolMatchHighlight({item});
    EXPECT_EQ(hide->name, QByteArray("Hide Molecule Match Highlight"));
    host.executeCommand(hide);
    EXPECT_TRUE(item->moleculeMatch().resultObjects().isEmpty());
    host.undo();
    EXPECT_NE(item->moleculeMatch().resultObject(TMassMoleculeMatch::PositiveCluster), nullptr);
    host.undo();
    EXPECT_EQ(item->dataObject(spectrumId), original);
    EXPECT_EQ(item->moleculeMatch().selectedResult(), -1);
    ASSERT_NE(item->moleculeMatch().resultObject(5), nullptr);
    EXPECT_EQ(item->moleculeMatch().resultObject(5)->subtype(), 2);
    host.redo();

    // An index outside the results: not accepted, nothing changes.
    auto* outside = new TCmdSelectMolMatchResult(99, item);
    host.executeCommand(outside);
    EXPECT_EQ(item->moleculeMatch().selectedResult(), 0);
    // Hide on an item without a selected result does nothing for it.
    TCanvasMass* plain = massItem();
    TCmdHideMolMatchHighlight none({plain});
    EXPECT_FALSE(none.acceptMass(plain));
}

TEST_F(AnalysisCommand, ScriptSelectionRunsOnceWithoutTheHost)
{
    TCanvasMass* item = massItem();
    host.executeCommand(new TCmdMoleculeMatcher({caffeineMolfile()}, {L"caffeine"}, &table, {item}));
    ASSERT_FALSE(item->moleculeMatch().matcher().getResults().empty());
    const QUuid spectrumId = item->plotAtIndex(1)->id();
    TMassDataObj* original = item->dataObject(spectrumId);
    {
        // As the script function does: a local command, doRedo once.
        TCmdSelectMolMatchResult select(0, item);
        select.TCanvasItemsCommand::doRedo();
        EXPECT_FALSE(select.isDone());
        EXPECT_NE(item->dataObject(spectrumId), original);
    }
    // The replaced dataset spectrum went with the command (LeakSanitizer).
    EXPECT_EQ(item->moleculeMatch().selectedResult(), 0);
}
