// Undo gives back the mass item as it was: for every kind of command the
// menus, mouse modes and docks build, the item's plug-in data (what the
// document stores) is the same bytes after the undo as before the command,
// and again after a redo and a second undo.
#include "commandtest.h"

#include <cmath>
#include <functional>
#include <random>

#include "itemdata.h"
#include "tcmdanalysis.h"
#include "tcmdplotobject.h"
#include "tcmdselect.h"
#include "tcmdsettings.h"
#include "tcmdview.h"
#include "tkselements.h"
#include "tmassdataobj.h"
#include "tmasselementcomposition.h"

using namespace cmdtest;

namespace {

// Where two byte arrays part, for the failure message.
std::string undoBytesDiff(const QByteArray& a, const QByteArray& b)
{
    int i = 0;
    while (i < a.size() && i < b.size() && a.at(i) == b.at(i))
        ++i;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at byte " +
           std::to_string(i);
}

}  // namespace

class CommandUndo : public CommandTest {
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        ASSERT_TRUE(table.initialize(elementTableFilePath().toStdWString()));
    }
    TKSElementTable table;
};

TEST_F(CommandUndo, EachKindGivesBackThePluginDataBytes)
{
    using Step = std::function<void(TCanvasMass*)>;
    using Make = std::function<TCommand*(TCanvasMass*)>;
    struct Row {
        const char* name;
        int plot;  // the plot made current first: 0 the TIC, 1 the spectrum
        Step prepare;  // what the row needs first (or null)
        Make make;
        bool changesItem = true;  // an expansion adds another item
    };
    const auto spectrum = [](TCanvasMass* item) { return TMassSpecDataObj::cast(item->dataObject(item->plotAtIndex(1)->id())); };
    // A rectangle over the middle of the current plot's visible ranges.
    const auto middle = [](TCanvasMass* item) {
        const TPlotAxis& a1 = item->currentPlot()->axis(1);
        const TPlotAxis& a2 = item->currentPlot()->axis(2);
        const double w = a1.visibleTo - a1.visibleFrom, h = a2.visibleTo - a2.visibleFrom;
        return QRectF(a1.visibleFrom + w / 4, a2.visibleFrom + h / 4, w / 3, h / 3);
    };
    const Step zoomed = [middle](TCanvasMass* item) {
        const QRectF r = middle(item);
        item->currentPlot()->zoom(1, r.left(), r.right());
        item->currentPlot()->zoom(2, r.top(), r.bottom());
    };
    const Step cut = [middle](TCanvasMass* item) {
        const QRectF r = middle(item);
        item->currentPlot()->cutRange(1, TValueRange(r.left(), r.right()));
    };
    // Axis 1 over -100 .. 1000, the visible range from .. to.
    const auto oddView = [](double from, double to) -> Step {
        return [from, to](TCanvasMass* item) {
            item->currentPlot()->setFullRange(1, -100, 1000);
            item->currentPlot()->restoreAllRanges(1);
            item->currentPlot()->zoom(1, from, to);
            ASSERT_EQ(visible(item->currentPlot(), 1), (Range{from, to}));
        };
    };
    const Step matched = [this](TCanvasMass* item) {
        host.executeCommand(new TCmdMoleculeMatcher({caffeineMolfile()}, {L"caffeine"}, &table, {item}));
    };
    const Step appendMode = [](TCanvasMass* item) { item->setBehaviourFlags(TCanvasMass::AppendSpectra); };
    const auto cuts = [middle](int operation) {
        return [middle, operation](TCanvasMass* item) -> TCommand* {
            auto* c = new TCmdSpectraCuts(operation, {item});
            const QRectF r = middle(item);
            c->setCutRange(TValueRange(r.left() + r.width() / 4, r.right() - r.width() / 4));
            return c;
        };
    };
    const auto zoomTo = [](QRectF r) {
        return [r](TCanvasMass* item) -> TCommand* {
            auto* c = new TCmdZoomSpectra(r, {item});
            c->enableFitToHeight();
            return c;
        };
    };
    const auto intensity = [](int direction) {
        return [direction](TCanvasMass* item) -> TCommand* {
            return new TCmdChangeSpectraIntensity(direction, {item});
        };
    };
    const auto select = [](QRectF range, bool append) {
        return [range, append](TCanvasMass* item) -> TCommand* {
            return new TCmdSelectMassSpectrum(range, {item}, append);
        };
    };
    const Row rows[] = {
        {"zoom rectangle", 1, nullptr,
         [middle](TCanvasMass* item) -> TCommand* {
             auto* c = new TCmdZoomSpectra(middle(item), {item});
             c->enableFitToHeight();
             return c;
         }},
        {"click zoom out", 1, zoomed,
         [middle](TCanvasMass* item) -> TCommand* {
             const QPointF at = middle(item).center();
             auto* c = new TCmdZoomSpectra(at.x(), at.y(), TCmdZoomSpectra::ZoomOut, 0, {item});
             c->enableFitToHeight();
             return c;
         }},
        {"click zoom in", 1, nullptr,
         [middle](TCanvasMass* item) -> TCommand* {
             const QPointF at = middle(item).center();
             return new TCmdZoomSpectra(at.x(), at.y(), TCmdZoomSpectra::ZoomIn, 1, {item});
         }},
        {"pan", 1, zoomed,
         [middle](TCanvasMass* item) -> TCommand* {
             auto* c = new TCmdPanSpectra({item});
             c->dx = -middle(item).width() / 5;
             c->dy = middle(item).height() / 7;
             return c;
         }},
        {"full zoom out", 1, zoomed, zoomTo(QRectF())},
        {"cut", 1, nullptr, cuts(1)},
        {"restore", 1, cut, cuts(0)},
        {"restore all", 1, cut, [](TCanvasMass* item) -> TCommand* { return new TCmdSpectraCuts({item}); }},
        {"expansion", 1, nullptr,
         [this](TCanvasMass* item) -> TCommand* {
             TCanvasMass* made = emptyItem();
             EXPECT_TRUE(itemtest::readPluginData(*made, itemtest::pluginData(*item)));
             return new TCmdCreateItem(TCmdCreateItem::Create, TCanvasItemList(made), &host, true);
         },
         false},
        {"composition", 1, nullptr,
         [spectrum, this](TCanvasMass* item) -> TCommand* {
             return new TCmdMassElementComposition(spectrum(item), 195.0877, &table, {item});
         }},
        {"spectrum selection, click", 0, nullptr, select(QRectF(0.1, 0, 0, 0), false)},
        {"spectrum selection, drag", 0, nullptr, select(QRectF(0.24, 0, -0.08, 0), false)},
        {"spectrum selection, appended to", 0, nullptr, select(QRectF(0.1, 0, 0, 0), true)},
        {"spectrum selection, append mode", 0, appendMode, select(QRectF(0.1, 0, 0, 0), false)},
        {"spectrum selection, peak mode", 0,
         [](TCanvasMass* item) { item->setSelectionMode(TCanvasMass::SelectPeakSubtract); },
         select(QRectF(0.2, 0, 0, 0), false)},
        // Views whose arithmetic inverse is a last bit off: a visible range
        // set directly (as a script's zoom does) with a negative start,
        // then Full Zoom Out; a zoom from such a range; a pan by an offset
        // that does not divide evenly.
        {"scripted zoom, full zoom out", 1, oddView(-44.99, 229.42), zoomTo(QRectF())},
        {"zoom rectangle from an odd view", 1, oddView(37.96, 110.21),
         [middle](TCanvasMass* item) -> TCommand* { return new TCmdZoomSpectra(middle(item), {item}); }},
        {"click zoom in from an odd view", 1, oddView(-26.03, 292.96),
         [](TCanvasMass* item) -> TCommand* {
             return new TCmdZoomSpectra(100.37, 0, TCmdZoomSpectra::ZoomIn, 1, {item});
         }},
        {"pan by an odd offset", 1, oddView(30.51, 109.06),
         [](TCanvasMass* item) -> TCommand* {
             auto* c = new TCmdPanSpectra({item});
             c->dx = -2.138;
             return c;
         }},
        {"fit to height", 1, zoomed,
         [](TCanvasMass* item) -> TCommand* { return new TCmdFitSpectraIntensityToHeight({item}); }},
        {"intensity up", 1, nullptr, intensity(TCmdChangeSpectraIntensity::Increase)},
        {"intensity down", 1, nullptr, intensity(TCmdChangeSpectraIntensity::Decrease)},
        {"intensity up, zoomed and cut", 1,
         [zoomed, cut](TCanvasMass* item) {
             cut(item);
             zoomed(item);
         },
         intensity(TCmdChangeSpectraIntensity::Increase)},
        {"hide the current plot", 0, nullptr,
         [](TCanvasMass* item) -> TCommand* {
             return new TCmdTogglePlotVisibility(item, item->currentPlot()->id());
         }},
        {"show a hidden plot", 0,
         [](TCanvasMass* item) { item->setPlotVisible(item->plotAtIndex(1)->id(), false); },
         [](TCanvasMass* item) -> TCommand* {
             return new TCmdTogglePlotVisibility(item, item->plotAtIndex(1)->id());
         }},
        {"delete the current plot", 0, nullptr,
         [](TCanvasMass* item) -> TCommand* { return new TCmdDelPlotObject(item, item->currentPlot()->id()); }},
        {"delete the last plot", 0, nullptr,
         [](TCanvasMass* item) -> TCommand* {
             return new TCmdDelPlotObject(item, item->plotAtIndex(1)->id());
         }},
        {"add a plot", 0, nullptr,
         [spectrum](TCanvasMass* item) -> TCommand* {
             return new TCmdAddPlotObject(item, new TMassSpecDataObj(QUuid::createUuid(), spectrum(item)->spectrum(), 1));
         }},
        {"append flag", 1, nullptr,
         [](TCanvasMass* item) -> TCommand* { return new TCmdSetMassItemAppendBhvFlag(true, {item}); }},
        {"selection mode", 1, nullptr,
         [](TCanvasMass* item) -> TCommand* {
             return new TCmdSetMassSpectrumSelectionMode(TCanvasMass::SelectPeak, {item});
         }},
        {"active function", 0, nullptr,
         [](TCanvasMass* item) -> TCommand* { return new TCmdSetActiveMassFunction(item, 0, 2); }},
        {"merge tolerance", 1, nullptr,
         [](TCanvasMass* item) -> TCommand* {
             return new TCmdSetMassMergeTolerance(TCmdSetMassMergeTolerance::MergeTolerance, 5, false, {item});
         }},
        {"constraints", 1, nullptr,
         [](TCanvasMass* item) -> TCommand* {
             TKSCompositionConstraints wanted = item->elementComposition().calculator().getConstraints();
             wanted.setTolerance(7);
             return new TCmdSetElementCompositionConstraints(wanted, {item});
         }},
        {"match settings", 1, nullptr,
         [](TCanvasMass* item) -> TCommand* {
             TMolMatchSettings wanted = item->moleculeMatch().settings();
             wanted.msTolerance = 3;
             return new TCmdSetMolMatchSettings(wanted, {item});
         }},
        {"molecule match", 1, nullptr,
         [this](TCanvasMass* item) -> TCommand* {
             return new TCmdMoleculeMatcher({caffeineMolfile()}, {L"caffeine"}, &table, {item});
         }},
        {"select a match result", 1, matched,
         [](TCanvasMass* item) -> TCommand* { return new TCmdSelectMolMatchResult(0, item); }},
        {"hide the match highlight", 1,
         [matched, this](TCanvasMass* item) {
             matched(item);
             host.executeCommand(new TCmdSelectMolMatchResult(0, item));
         },
         [](TCanvasMass* item) -> TCommand* { return new TCmdHideMolMatchHighlight({item}); }},
    };
    // Another visible plot made current, as a plain press in Select mode
    // does without a command; false when the item shows no other.
    const auto switchPlot = [](TCanvasMass* item) {
        for (TBasePlot* plot : item->plots())
            if (plot != item->currentPlot() && plot->visible()) {
                item->setCurrentPlot(plot);
                return true;
            }
        return false;
    };
    // The plot of that id current again (when the item holds it).
    const auto makeCurrent = [](TCanvasMass* item, const QUuid& id) {
        if (TBasePlot* plot = item->plot(id, false))
            item->setCurrentPlot(plot);
    };
    // Each row twice: plainly, then with another plot made current before
    // every undo and redo (the plot current at the time put back before
    // the bytes are compared).
    for (const bool switching : {false, true}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (switching ? ", another plot current" : ""));
            TCanvasMass* item = massItem();
            item->setCurrentPlot(item->plotAtIndex(row.plot));
            if (row.prepare)
                row.prepare(item);
            const QUuid currentBefore = item->currentPlot()->id();
            const QByteArray before = itemtest::pluginData(*item);
            TCommand* command = row.make(item);
            host.executeCommand(command);
            ASSERT_TRUE(command->isDone());
            const QByteArray after = itemtest::pluginData(*item);
            const QUuid currentAfter = item->currentPlot() ? item->currentPlot()->id() : QUuid();
            EXPECT_EQ(after != before, row.changesItem);
            const auto step = [&](bool undo, const QUuid& current) {
                if (switching)
                    switchPlot(item);
                EXPECT_TRUE(undo ? host.undo() : host.redo());
                if (switching)
                    makeCurrent(item, current);
                return itemtest::pluginData(*item);
            };
            QByteArray now = step(true, currentBefore);
            EXPECT_TRUE(now == before) << "undo: " << undoBytesDiff(now, before);
            now = step(false, currentAfter);
            EXPECT_TRUE(now == after) << "redo: " << undoBytesDiff(now, after);
            now = step(true, currentBefore);
            EXPECT_TRUE(now == before) << "second undo: " << undoBytesDiff(now, before);
        }
    }
}

// Random sessions of view commands with another plot made current now and
// then, undos and redos: every undo gives back the bytes from before its
// command, every redo those after it (each time with the plot current then).
TEST_F(CommandUndo, RandomViewSessionsGiveBackTheBytes)
{
    struct Done {
        QByteArray before, after;
        QUuid currentBefore, currentAfter;
    };
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto uniform = [&random](double lo, double hi) {
            return std::uniform_real_distribution<double>(lo, hi)(random);
        };
        // A value in the visible part of the current plot's axis, rounded
        // to two decimals as typed or picked values are.
        const auto pick = [&uniform](TCanvasMass* item, int axis) {
            const TPlotAxis& a = item->currentPlot()->axis(axis);
            return std::round(uniform(a.visibleFrom, a.visibleTo) * 100) / 100;
        };
        TCanvasMass* item = massItem();
        const auto current = [item] { return item->currentPlot()->id(); };
        QVector<Done> done;
        int undone = 0;  // entries at the end of `done` that are undone
        int undos = 0, redos = 0;
        for (int step = 0; step < 60; ++step) {
            int action = std::uniform_int_distribution<int>(0, 12)(random);
            // After an undo, a redo as often as not.
            if (undone > 0 && random() % 2)
                action = 12;
            if (action == 10) {
                // Another plot current, without a command.
                for (TBasePlot* plot : item->plots())
                    if (plot != item->currentPlot() && plot->visible()) {
                        item->setCurrentPlot(plot);
                        break;
                    }
                continue;
            }
            if (action == 11 || action == 12) {
                const bool undo = action == 11;
                if (undo ? undone == done.size() : undone == 0)
                    continue;
                ASSERT_TRUE(undo ? host.undo() : host.redo());
                const Done& d = done.at(done.size() - (undo ? ++undone : undone--));
                item->setCurrentPlot(item->plot(undo ? d.currentBefore : d.currentAfter, false));
                const QByteArray now = itemtest::pluginData(*item);
                const QByteArray& want = undo ? d.before : d.after;
                EXPECT_TRUE(now == want) << (undo ? "undo" : "redo") << " at step " << step << ": "
                                         << undoBytesDiff(now, want);
                ++(undo ? undos : redos);
                continue;
            }
            TCommand* command = nullptr;
            const double x = pick(item, 1), y = pick(item, 2);
            const TPlotAxis& a1 = item->currentPlot()->axis(1);
            const double w = std::round((a1.visibleTo - a1.visibleFrom) * uniform(0.1, 0.6) * 100) / 100;
            switch (action) {
            case 0: {
                auto* zoom = new TCmdZoomSpectra(QRectF(x, y, w, std::round(uniform(1, 50) * 100) / 100), {item});
                if (random() % 2)
                    zoom->enableFitToHeight();
                command = zoom;
                break;
            }
            case 1:
                command = new TCmdZoomSpectra(x, y, int(random() % 2), int(random() % 3), {item});
                break;
            case 2: {
                auto* pan = new TCmdPanSpectra({item});
                pan->dx = std::round(uniform(-0.3, 0.3) * w * 1000) / 1000;
                pan->dy = random() % 2 ? std::round(uniform(-5, 5) * 1000) / 1000 : 0.0;
                if (!pan->hasShift()) {
                    delete pan;
                    continue;
                }
                command = pan;
                break;
            }
            case 3:
            case 4: {
                auto* cut = new TCmdSpectraCuts(action == 3 ? 1 : 0, {item});
                cut->setCutRange(TValueRange(x, x + w / 3));
                command = cut;
                break;
            }
            case 5: command = new TCmdSpectraCuts({item}); break;
            case 6: command = new TCmdChangeSpectraIntensity(int(random() % 2), {item}); break;
            case 7: command = new TCmdFitSpectraIntensityToHeight({item}); break;
            default: command = new TCmdZoomSpectra(QRectF(), {item}); break;
            }
            Done d;
            d.before = itemtest::pluginData(*item);
            d.currentBefore = current();
            host.executeCommand(command);
            d.after = itemtest::pluginData(*item);
            d.currentAfter = current();
            // The host dropped the undone commands.
            done.resize(done.size() - undone);
            undone = 0;
            done.append(d);
        }
        // Back to the start, every step compared.
        while (undone < done.size()) {
            ASSERT_TRUE(host.undo());
            const Done& d = done.at(done.size() - ++undone);
            item->setCurrentPlot(item->plot(d.currentBefore, false));
            const QByteArray now = itemtest::pluginData(*item);
            EXPECT_TRUE(now == d.before) << "final undo " << undone << ": " << undoBytesDiff(now, d.before);
            ++undos;
        }
        EXPECT_GT(undos, 20);
        EXPECT_GT(redos, 0);
    }
}
