// The mouse-mode framework on the recording host, linked statically: the
// dispatcher's pure rules (distance, axes, cursors), the plug-in's event
// interface over actions of the test, and the bases' routing of synthetic
// mouse events over an item imported from the bundled text dataset.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "kstest.h"
#include "kstestqt.h"
#include "owningdrawingpeer.h"
#include "recordinghost.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tcmdselect.h"
#include "tcmdview.h"
#include "tionvale.h"
#include "tmousemodes.h"

namespace {

using namespace mousemode;

// A host mode the plug-in does not serve.
const QUuid kElsewhere("{0b7c9a3e-2f4d-4e51-9a6b-7d8e1f203a45}");

QString bundledTextDataset()
{
    return QString::fromStdString(std::string(KS_SOURCE_DIR) + "/../../dataservices/providers/text/samples/text_dataset.txt");
}

QString rectText(const QRectF& r)
{
    return QStringLiteral("(%1, %2, %3, %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Selection base: records what the base delivers.
class SelectionProbe : public TMMActionBaseSelection {
public:
    using TMMActionBaseSelection::TMMActionBaseSelection;
    void click(TCanvasItem*, const QPointF& p) override { calls << QStringLiteral("click(%1, %2)").arg(p.x()).arg(p.y()); }
    void rectangle(TCanvasItem*, const QRectF& r) override { calls << "rectangle" + rectText(r); }
    void reset() override { ++resets; }
    QStringList calls;
    int resets = 0;
};

class CrosshairsProbe : public TMMActionBaseCrosshairs {
public:
    using TMMActionBaseCrosshairs::TMMActionBaseCrosshairs;
    bool click(TCanvasItem*, const QPointF&) override
    {
        calls << "click";
        return true;
    }
    bool rectangle(TCanvasItem*, const QRectF& r) override
    {
        calls << "rectangle" + rectText(r);
        return true;
    }
    void reset() override { ++resets; }
    QStringList calls;
    int resets = 0;
};

class PanProbe : public TMMActionBasePan {
public:
    using TMMActionBasePan::TMMActionBasePan;
    bool pan(TCanvasItem*, const QRectF& r) override
    {
        calls << "pan" + rectText(r);
        return true;
    }
    void reset() override { ++resets; }
    QStringList calls;
    int resets = 0;
};

class MouseModesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks::test::useCaseSettings();
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider"}));
        host = std::make_unique<lumatra::RecordingHost>();
        host->removeDrawingPeer();
        drawing = std::make_unique<OwningDrawingPeer>(*host);
        host->addPlugin(drawing.get());
        plugin = new TIonvale;
        host->loadPlugin(plugin);
        if (!probes)
            return;
        TMouseModeDispatcher& d = plugin->mouseModes();
        selection = new SelectionProbe(&d, {kRectZoom, kClickZoom, kCut});
        selection->setModeFlags(kClickZoom, 1);
        crosshairs = new CrosshairsProbe(&d, {kSpectrumSelection, kElementComposition});
        crosshairs->setDragOverlay(true);
        pan = new PanProbe(&d, {kPan});
        d.registerAction(selection);
        d.registerAction(crosshairs);
        d.registerAction(pan);
    }
    void TearDown() override
    {
        drawing.reset();
        host.reset();
        delete plugin;
    }
    // Imports the bundled dataset, selects the item and finds two canvas
    // points over its plot area 200 units apart on both axes; the view maps
    // canvas units one to one (origin 20, 20).
    void importItem()
    {
        QStringList imported;
        ASSERT_EQ(plugin->importFile(bundledTextDataset(), 0, QString(), true, imported), 0);
        ASSERT_EQ(host->allItems().size(), 1);
        item = static_cast<TCanvasMass*>(host->allItems().first());
        host->setSelectedItems({item});
        host->setView(1.0, QPointF(20, 20), QSize(4000, 4000));
        const QRectF r = item->itemRect();
        for (double y = r.top(); y < r.bottom() && first.isNull(); y += 25)
            for (double x = r.left(); x < r.right(); x += 25)
                if (item->plotAreaAt(QPointF(x, y)) == 3 && item->plotAreaAt(QPointF(x + 200, y + 200)) == 3) {
                    first = QPoint(int(x), int(y));
                    break;
                }
        ASSERT_FALSE(first.isNull()) << "no plot area on the item";
        host->clearJournal();
    }
    QPoint view(const QPoint& canvas, const QPoint& offset = QPoint()) const { return canvas + offset + QPoint(20, 20); }
    bool send(QEvent::Type type, const QPoint& canvasOffset, Qt::MouseButton button = Qt::LeftButton,
              Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(view(first, canvasOffset)), button, buttons, modifiers);
        return plugin->handleEvent(&event);
    }

    std::unique_ptr<lumatra::RecordingHost> host;
    std::unique_ptr<OwningDrawingPeer> drawing;
    TIonvale* plugin = nullptr;
    SelectionProbe* selection = nullptr;
    CrosshairsProbe* crosshairs = nullptr;
    PanProbe* pan = nullptr;
    TCanvasMass* item = nullptr;
    QPoint first;
    bool probes = true;
};

// The plug-in's own modes.
class OwnModesTest : public MouseModesTest {
protected:
    OwnModesTest() { probes = false; }
    double visibleWidth() const
    {
        const TPlotAxis& a = item->currentPlot()->axis(1);
        return a.visibleTo - a.visibleFrom;
    }
};

}  // namespace

TEST(MouseModeRules, MovedEnoughByAxes)
{
    struct Case {
        QPointF delta;
        int axes;
        bool moved;
    };
    const QList<Case> cases{
        {{5.9, 5.9}, 0, false}, {{6.0, 6.0}, 0, true},   {{-6.0, -6.0}, 0, true}, {{6.0, 5.9}, 0, false},
        {{5.9, 6.0}, 0, false}, {{6.0, 0.0}, 1, true},   {{5.9, 60.0}, 1, false}, {{-6.0, 0.0}, 1, true},
        {{0.0, 6.0}, 2, true},  {{60.0, 5.9}, 2, false},
    };
    TMouseModeDispatcher d(nullptr);
    for (const Case& c : cases) {
        d.pressPoint = QPointF(100.5, -20.25);
        d.currentPoint = d.pressPoint + c.delta;
        d.axes = c.axes;
        EXPECT_EQ(d.movedEnough(), c.moved) << c.delta.x() << ", " << c.delta.y() << " axes " << c.axes;
    }
}

TEST(MouseModeRules, CycleAxesAndCursorTable)
{
    TMouseModeDispatcher d(nullptr);
    d.axes = 1;
    EXPECT_EQ(d.cycleAxes(), 2);
    EXPECT_EQ(d.cycleAxes(), 0);
    EXPECT_EQ(d.cycleAxes(), 1);

    struct Case {
        QUuid mode;
        bool dragging;
        int ids[3];  // axes 0, 1, 2
    };
    const QList<Case> cases{
        {kRectZoom, false, {500, 501, 502}},       {kExpansion, true, {500, 501, 502}},
        {kClickZoom, false, {503, 504, 505}},      {kPan, false, {506, 507, 508}},
        {kPan, true, {509, 510, 511}},             {kCut, true, {513, 513, 513}},
        {kRestoreCut, false, {516, 516, 516}},     {kSpectrumSelection, false, {518, 518, 518}},
        {kElementComposition, false, {0, 0, 0}},   {QUuid::createUuid(), false, {0, 0, 0}},
    };
    for (const Case& c : cases)
        for (int axes = 0; axes < 3; ++axes)
            EXPECT_EQ(cursorId(c.mode, axes, c.dragging), c.ids[axes]) << c.mode.toString().toStdString() << " axes " << axes;
}

TEST_F(MouseModesTest, SetMouseModeAxesAndCycle)
{
    struct Case {
        QUuid mode;
        bool active;
        int axes;
        QList<int> cycle;
    };
    const QList<Case> cases{
        {kRectZoom, true, 1, {2, 0, 1}},
        {kClickZoom, true, 1, {2, 0, 1}},
        {kPan, true, 0, {1, 2, 0}},
        {kCut, true, 1, {0, 0}},
        {kSpectrumSelection, true, 1, {0}},
    };
    for (const Case& c : cases) {
        plugin->setMouseMode(QUuid(), 0, 0);
        plugin->setMouseMode(c.mode, 0, 0);
        const TMouseModeDispatcher& d = plugin->mouseModes();
        EXPECT_EQ(d.active, c.active);
        EXPECT_EQ(d.axes, c.axes) << c.mode.toString().toStdString();
        EXPECT_EQ(d.currentMode, c.mode);
        EXPECT_TRUE(plugin->hasMouseMode(c.mode));
        for (int expected : c.cycle)
            EXPECT_EQ(plugin->cycleMouseModeAxes(), expected) << c.mode.toString().toStdString();
    }
    // A mode nobody serves: the mode is taken, the state stays.
    plugin->setMouseMode(QUuid(), 0, 0);
    plugin->setMouseMode(kElsewhere, 0, 0);
    EXPECT_FALSE(plugin->hasMouseMode(kElsewhere));
    EXPECT_FALSE(plugin->mouseModes().active);
    EXPECT_EQ(plugin->mouseModes().currentMode, kElsewhere);
    EXPECT_EQ(plugin->cycleMouseModeAxes(), 0);
}

TEST_F(MouseModesTest, CursorsNeedAMassItemAndAServedMode)
{
    TCanvasItem* loose = plugin->createItem(112);
    ASSERT_NE(loose, nullptr);
    TPluginCursor cursor;
    plugin->setMouseMode(kClickZoom, 0, 0);
    EXPECT_FALSE(plugin->supportsMouseMode(0, nullptr, cursor)) << "no item, no active item";
    ASSERT_TRUE(plugin->supportsMouseMode(0, loose, cursor));
    EXPECT_EQ(cursor.kind, 0);
    EXPECT_EQ(cursor.id, 504);
    plugin->cycleMouseModeAxes();
    ASSERT_TRUE(plugin->supportsMouseMode(0, loose, cursor));
    EXPECT_EQ(cursor.id, 505);

    TPluginCursor untouched{7, 9};
    plugin->setMouseMode(kElementComposition, 0, 0);
    EXPECT_FALSE(plugin->supportsMouseMode(0, loose, untouched));
    plugin->setMouseMode(kElsewhere, 0, 0);
    EXPECT_FALSE(plugin->supportsMouseMode(0, loose, untouched));
    EXPECT_EQ(untouched.kind, 7);
    EXPECT_EQ(untouched.id, 9);
    delete loose;
}

TEST_F(MouseModesTest, NullModeResetsDragAndActions)
{
    importItem();
    plugin->setMouseMode(kSpectrumSelection, 0, 0);
    TMouseModeDispatcher& d = plugin->mouseModes();
    d.dragging = true;
    d.overlay = true;
    d.axes = 2;
    plugin->setMouseMode(QUuid(), 0, 0);
    EXPECT_FALSE(d.active);
    EXPECT_FALSE(d.dragging);
    EXPECT_FALSE(d.overlay);
    EXPECT_EQ(d.axes, 0);
    EXPECT_TRUE(d.currentMode.isNull());
    EXPECT_EQ(selection->resets, 1);
    EXPECT_EQ(crosshairs->resets, 1);
    EXPECT_EQ(pan->resets, 1);
    EXPECT_EQ(host->calls("repaintItem"), QStringList{"repaintItem(112, 0)"});

    // Not after another mode.
    host->clearJournal();
    plugin->setMouseMode(kPan, 0, 0);
    plugin->setMouseMode(QUuid(), 0, 0);
    EXPECT_TRUE(host->calls("repaintItem").isEmpty());
}

TEST_F(MouseModesTest, SelectionBaseClicksAndRectangles)
{
    importItem();
    // Rectangle zoom (axes 1): the horizontal extent only.
    plugin->setMouseMode(kRectZoom, 0, 0);
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(plugin->mouseModes().dragging);
    EXPECT_TRUE(plugin->mouseModes().overlay);
    EXPECT_FALSE(send(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::LeftButton));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 200}));
    EXPECT_FALSE(plugin->mouseModes().dragging);
    EXPECT_FALSE(plugin->mouseModes().overlay);
    ASSERT_EQ(selection->calls.size(), 1);
    EXPECT_TRUE(selection->calls.first().startsWith("rectangle(")) << selection->calls.first().toStdString();
    EXPECT_TRUE(selection->calls.first().endsWith(", 0)")) << "no height with axes 1";
    EXPECT_FALSE(selection->calls.first().contains(", 0, 0)")) << "a width";
    QPointF pressValues(first);
    ASSERT_TRUE(item->mapToPlotValues(pressValues, 1));
    EXPECT_TRUE(selection->calls.first().startsWith(QStringLiteral("rectangle(%1, ").arg(pressValues.x())));
    EXPECT_EQ(host->calls("repaintItem").size(), 2);  // the move and the release

    // A short drag is a click at the press point.
    selection->calls.clear();
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {5, 5}));
    ASSERT_EQ(selection->calls.size(), 1);
    EXPECT_TRUE(selection->calls.first().startsWith("click(")) << selection->calls.first().toStdString();

    // Click zoom is click only: no rubber band, a long drag is a click.
    plugin->setMouseMode(kClickZoom, 0, 0);
    selection->calls.clear();
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_FALSE(plugin->mouseModes().overlay);
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 200}));
    ASSERT_EQ(selection->calls.size(), 1);
    EXPECT_TRUE(selection->calls.first().startsWith("click("));
}

TEST_F(MouseModesTest, EventsLeftAlone)
{
    importItem();
    plugin->setMouseMode(kRectZoom, 0, 0);
    TMouseModeDispatcher& d = plugin->mouseModes();
    // A release without a press, other buttons, other events.
    EXPECT_FALSE(send(QEvent::MouseButtonRelease, {}));
    EXPECT_FALSE(send(QEvent::MouseButtonPress, {}, Qt::RightButton, Qt::RightButton));
    EXPECT_FALSE(send(QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::RightButton));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    EXPECT_FALSE(plugin->handleEvent(&key));
    // A press outside every plot.
    QMouseEvent outside(QEvent::MouseButtonPress, QPointF(view(item->itemRect().bottomRight().toPoint(), {500, 500})),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(plugin->handleEvent(&outside));
    EXPECT_FALSE(d.dragging);
    EXPECT_TRUE(selection->calls.isEmpty());
    EXPECT_TRUE(host->journal().filter("repaintItem").isEmpty());

    // No active item: a release still ends the drag.
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    host->setSelectedItems({});
    EXPECT_FALSE(send(QEvent::MouseButtonPress, {}));
    EXPECT_FALSE(send(QEvent::MouseButtonRelease, {200, 200}));
    EXPECT_FALSE(d.dragging);
    EXPECT_TRUE(selection->calls.isEmpty());

    // An unserved mode takes nothing.
    host->setSelectedItems({item});
    plugin->setMouseMode(QUuid(), 0, 0);
    plugin->setMouseMode(kElsewhere, 0, 0);
    EXPECT_FALSE(send(QEvent::MouseButtonPress, {}));
    EXPECT_FALSE(d.dragging);
}

TEST_F(MouseModesTest, CrosshairsAndPanBases)
{
    importItem();
    plugin->setMouseMode(kSpectrumSelection, 0, 0);
    // A move without buttons is taken, repaints and leaves the move to the host.
    EXPECT_FALSE(send(QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton));
    EXPECT_EQ(host->calls("repaintItem").size(), 1);
    EXPECT_FALSE(plugin->mouseModes().overlay);
    // A drag shows the overlay and gives the rectangle with both extents.
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier));
    EXPECT_EQ(plugin->mouseModes().modifiers, Qt::ShiftModifier);
    EXPECT_FALSE(send(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::LeftButton));
    EXPECT_TRUE(plugin->mouseModes().overlay);
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 200}));
    EXPECT_FALSE(plugin->mouseModes().overlay);
    ASSERT_EQ(crosshairs->calls.size(), 1);
    EXPECT_TRUE(crosshairs->calls.first().startsWith("rectangle("));
    EXPECT_FALSE(crosshairs->calls.first().endsWith(", 0)"));
    // A press and release on the spot is a click.
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {}));
    EXPECT_EQ(crosshairs->calls.value(1), "click");

    // Pan: every move pans from the last position; the release ends it.
    plugin->setMouseMode(kPan, 0, 0);
    EXPECT_FALSE(send(QEvent::MouseMove, {100, 0}, Qt::NoButton, Qt::LeftButton)) << "no drag yet";
    EXPECT_TRUE(pan->calls.isEmpty());
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_FALSE(send(QEvent::MouseMove, {100, 0}, Qt::NoButton, Qt::LeftButton));
    EXPECT_FALSE(send(QEvent::MouseMove, {100, 0}, Qt::NoButton, Qt::LeftButton));
    ASSERT_EQ(pan->calls.size(), 2);
    EXPECT_FALSE(pan->calls[0].endsWith(", 0, 0)")) << pan->calls[0].toStdString();
    EXPECT_TRUE(pan->calls[1].endsWith(", 0, 0)")) << "the second move starts where the first ended";
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {100, 0}));
    EXPECT_FALSE(plugin->mouseModes().dragging);
    EXPECT_FALSE(send(QEvent::MouseButtonRelease, {100, 0}));
}

TEST_F(OwnModesTest, ZoomCommands)
{
    importItem();
    // A click (short drag) in the rectangle zoom mode zooms in by 0.5, a
    // click in the click zoom mode out by 2.0; both fit to height.
    struct Case {
        QUuid mode;
        QPoint release;
        double factor;
    };
    const QList<Case> cases{{kRectZoom, {3, 3}, 0.5}, {kClickZoom, {200, 200}, 2.0}};
    for (const Case& c : cases) {
        plugin->setMouseMode(c.mode, 0, 0);
        const double before = visibleWidth();
        host->clearJournal();
        EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
        EXPECT_TRUE(send(QEvent::MouseButtonRelease, c.release));
        ASSERT_EQ(host->calls("executeCommand"), QStringList{"executeCommand(command)"});
        auto* command = static_cast<TCmdZoomSpectra*>(host->commands().last());
        EXPECT_NEAR(command->zoomRect.width(), c.factor * before, 1e-9 * before);
        EXPECT_EQ(command->zoomRect.height(), 0.0) << "axes 1";
        EXPECT_NE(command->fitToHeight, nullptr);
    }
    // A rectangle in the rectangle zoom mode: its horizontal extent, fitted.
    plugin->setMouseMode(kRectZoom, 0, 0);
    QPointF from(first), to(first + QPoint(200, 200));
    ASSERT_TRUE(item->mapToPlotValues(from, 1));
    ASSERT_TRUE(item->mapToPlotValues(to, 1));
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_FALSE(send(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::LeftButton));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 200}));
    auto* command = static_cast<TCmdZoomSpectra*>(host->commands().last());
    EXPECT_DOUBLE_EQ(command->zoomRect.x(), from.x());
    EXPECT_DOUBLE_EQ(command->zoomRect.width(), to.x() - from.x());
    EXPECT_NE(command->fitToHeight, nullptr);
    EXPECT_NEAR(visibleWidth(), std::abs(to.x() - from.x()), 1e-9 * visibleWidth());
}

TEST_F(OwnModesTest, PanByNothingNeverReachesTheHost)
{
    importItem();
    plugin->setMouseMode(kPan, 0, 0);
    ASSERT_EQ(plugin->mouseModes().axes, 0);
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_FALSE(send(QEvent::MouseMove, {}, Qt::NoButton, Qt::LeftButton));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {}));
    EXPECT_TRUE(host->calls("executeCommand").isEmpty());

    // A move to the right shifts the view left by the dragged width.
    QPointF from(first), to(first + QPoint(100, 0));
    ASSERT_TRUE(item->mapToPlotValues(from, 3));
    ASSERT_TRUE(item->mapToPlotValues(to, 3));
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_FALSE(send(QEvent::MouseMove, {100, 0}, Qt::NoButton, Qt::LeftButton));
    ASSERT_EQ(host->calls("executeCommand").size(), 1);
    auto* command = static_cast<TCmdPanSpectra*>(host->commands().last());
    EXPECT_DOUBLE_EQ(command->dx, -(to.x() - from.x()));
    EXPECT_NE(command->dx, 0.0);
    EXPECT_EQ(command->dy, 0.0) << "a horizontal drag";
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {100, 0}));
}

TEST_F(OwnModesTest, PressWithoutModeMakesThePlotCurrent)
{
    // No active item: nothing (the handler used to take it unchecked).
    QMouseEvent early(QEvent::MouseButtonPress, QPointF(40, 40), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(plugin->handleEvent(&early));
    EXPECT_TRUE(host->journal().filter("repaintItem").isEmpty());

    importItem();
    item->setCurrentPlot(nullptr);
    EXPECT_FALSE(send(QEvent::MouseButtonPress, {}, Qt::RightButton, Qt::RightButton));
    EXPECT_EQ(item->currentPlot(), nullptr);
    EXPECT_FALSE(send(QEvent::MouseButtonPress, {}));
    EXPECT_EQ(item->currentPlot(), item->plotAt(QPointF(first)));
    EXPECT_NE(item->currentPlot(), nullptr);
    EXPECT_EQ(host->calls("repaintItem"), QStringList{"repaintItem(112, 0)"});
    EXPECT_EQ(host->calls("refreshDock"), QStringList{"refreshDock(\"MassPeaksTable\")"});

    // With a mode current the press belongs to the mode.
    host->clearJournal();
    plugin->setMouseMode(kElsewhere, 0, 0);
    EXPECT_FALSE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(host->calls("refreshDock").isEmpty());
}

TEST_F(OwnModesTest, SpectrumSelectionOnChromatogramsOnly)
{
    importItem();
    // A point over a chromatogram plot and one over a spectrum plot.
    QPoint chromatogram, spectrum;
    const QRectF r = item->itemRect();
    for (double y = r.top(); y < r.bottom(); y += 25)
        for (double x = r.left(); x < r.right(); x += 25) {
            const QPointF p(x, y);
            const TBasePlot* plot = item->plotAt(p);
            if (!plot || item->plotAreaAt(p) != 3)
                continue;
            if (chromatogram.isNull() && item->isChromatogramPlot(plot->id()))
                chromatogram = p.toPoint();
            if (spectrum.isNull() && item->isSpectrumPlot(plot->id()))
                spectrum = p.toPoint();
        }
    ASSERT_FALSE(chromatogram.isNull());
    ASSERT_FALSE(spectrum.isNull());
    plugin->setMouseMode(kSpectrumSelection, 0, 0);
    auto click = [&](const QPoint& at, Qt::KeyboardModifiers modifiers) {
        host->clearJournal();
        first = at;
        EXPECT_TRUE(send(QEvent::MouseButtonPress, {}, Qt::LeftButton, Qt::LeftButton, modifiers));
        EXPECT_TRUE(send(QEvent::MouseButtonRelease, {}, Qt::LeftButton, Qt::NoButton, modifiers));
        return host->calls("executeCommand").size();
    };
    for (const bool shift : {false, true}) {
        ASSERT_EQ(click(chromatogram, shift ? Qt::ShiftModifier : Qt::NoModifier), 1);
        auto* command = static_cast<TCmdSelectMassSpectrum*>(host->commands().last());
        EXPECT_EQ(command->append, shift);
        EXPECT_EQ(host->calls("repaintItem").size(), 1);
    }
    EXPECT_EQ(click(spectrum, Qt::NoModifier), 0) << "no selection on a spectrum plot";
}

TEST_F(OwnModesTest, CutsGiveTheHorizontalRangeOnly)
{
    importItem();
    for (const auto& [mode, operation] : {std::pair{kCut, 1}, std::pair{kRestoreCut, 0}}) {
        // Values as the axis stands (the cut changes the mapping).
        QPointF from(first), to(first + QPoint(200, 0));
        ASSERT_TRUE(item->mapToPlotValues(from, 1));
        ASSERT_TRUE(item->mapToPlotValues(to, 1));
        plugin->setMouseMode(mode, 0, 0);
        host->clearJournal();
        EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
        EXPECT_FALSE(send(QEvent::MouseMove, {200, 0}, Qt::NoButton, Qt::LeftButton));
        EXPECT_TRUE(plugin->mouseModes().overlay);
        EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 0}));
        ASSERT_EQ(host->calls("executeCommand").size(), 1);
        auto* command = static_cast<TCmdSpectraCuts*>(host->commands().last());
        EXPECT_EQ(command->operation, operation);
        EXPECT_EQ(command->axes, 1) << "a zero-height drag gives the horizontal range only";
        EXPECT_DOUBLE_EQ(command->horizontalRange.from(), std::min(from.x(), to.x()));
        EXPECT_DOUBLE_EQ(command->horizontalRange.to(), std::max(from.x(), to.x()));
    }
    // A click cuts nothing.
    host->clearJournal();
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {}));
    EXPECT_TRUE(host->calls("executeCommand").isEmpty());
}
