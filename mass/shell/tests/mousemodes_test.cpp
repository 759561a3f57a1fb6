// The mouse-mode framework on the recording host, linked statically: the
// dispatcher's pure rules (distance, axes, cursors), the plug-in's event
// interface over actions of the test, and the bases' routing of synthetic
// mouse events over an item imported from the bundled text dataset.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

#include "kstest.h"
#include "kstestqt.h"
#include "pluginhost.h"
#include "recordinghost.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tcmdselect.h"
#include "tcmdview.h"
#include "t1dmassplot.h"
#include "tbaseplotter.h"
#include "tcmdanalysis.h"
#include "tcmdplotobject.h"
#include "tionvale.h"
#include "tksmatcher.h"
#include "tmassmoleculematch.h"
#include "tksvalues.h"
#include "tplotaxis.h"
#include "tmassdataobj.h"
#include "tmmactions.h"
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

class MouseModesTest : public shelltest::PluginHostTest {
protected:
    void SetUp() override
    {
        PluginHostTest::SetUp();
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
    // A canvas point over the plot area of a chromatogram plot and one over
    // a spectrum plot, each 200 units clear of the area's right edge.
    void findPlotPoints()
    {
        const QRectF r = item->itemRect();
        for (double y = r.top(); y < r.bottom(); y += 25)
            for (double x = r.left(); x < r.right(); x += 25) {
                const QPointF p(x, y);
                const TBasePlot* plot = item->plotAt(p);
                if (!plot || item->plotAreaAt(p) != 3 || item->plotAreaAt(p + QPointF(200, 0)) != 3)
                    continue;
                if (chromatogramPoint.isNull() && item->isChromatogramPlot(plot->id()))
                    chromatogramPoint = p.toPoint();
                if (spectrumPoint.isNull() && item->isSpectrumPlot(plot->id()))
                    spectrumPoint = p.toPoint();
            }
        ASSERT_FALSE(chromatogramPoint.isNull());
        ASSERT_FALSE(spectrumPoint.isNull());
    }
    TMMActionElementComposition* composition() const
    {
        return static_cast<TMMActionElementComposition*>(
            plugin->mouseModes().actionFor(kElementComposition));
    }
    QPoint chromatogramPoint;
    QPoint spectrumPoint;
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

TEST_F(OwnModesTest, ModesRegisteredInTheHostsOrder)
{
    const QList<TMouseModeAction*>& actions = plugin->mouseModes().actions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_NE(dynamic_cast<TMMActExpansion*>(actions[0]), nullptr);
    EXPECT_NE(dynamic_cast<TMMActZoom*>(actions[1]), nullptr);
    EXPECT_NE(dynamic_cast<TMMActCuts*>(actions[2]), nullptr);
    EXPECT_EQ(actions[3]->modeIds(), QList<QUuid>{kSpectrumSelection});
    EXPECT_NE(dynamic_cast<TMMActionElementComposition*>(actions[4]), nullptr);
    EXPECT_NE(dynamic_cast<TMMActPan*>(actions[5]), nullptr);
    for (const QUuid& mode : {kExpansion, kRectZoom, kClickZoom, kCut, kRestoreCut, kSpectrumSelection,
                              kElementComposition, kPan})
        EXPECT_TRUE(plugin->hasMouseMode(mode)) << mode.toString().toStdString();
    EXPECT_EQ(composition()->elementTable, &plugin->elementTable());
    EXPECT_TRUE(composition()->snapOnTrace);
}

TEST_F(OwnModesTest, ExpansionIsAThirdOfTheViewWithTheCurrentPlotOnly)
{
    importItem();
    ASSERT_GE(item->plotCount(), 2);
    plugin->setMouseMode(kExpansion, 0, 0);
    ASSERT_EQ(plugin->mouseModes().axes, 1);
    // A click makes nothing.
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {2, 2}));
    EXPECT_TRUE(host->calls("executeCommand").isEmpty());

    QPointF from(first), to(first + QPoint(200, 200));
    ASSERT_TRUE(item->mapToPlotValues(from, 1));
    ASSERT_TRUE(item->mapToPlotValues(to, 1));
    const QUuid currentId = item->currentPlot()->id();
    const QRectF view = host->viewRect();
    host->clearJournal();
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 200}));
    ASSERT_EQ(host->calls("executeCommand").size(), 1);
    const QStringList journal = host->journal();
    EXPECT_LT(journal.indexOf("canvas.placeNewItems([112])"), journal.indexOf("executeCommand(command)"));
    auto* command = dynamic_cast<TCmdCreateItem*>(host->commands().last());
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->name, QByteArray("Spectrum Expansion"));
    EXPECT_EQ(command->operation, int(TCmdCreateItem::Create));
    ASSERT_EQ(command->items.size(), 1);
    auto* made = static_cast<TCanvasMass*>(command->items.first());
    EXPECT_NE(made, item);
    EXPECT_TRUE(host->allItems().contains(made));
    ASSERT_EQ(made->plotCount(), 1);
    ASSERT_NE(made->currentPlot(), nullptr);
    EXPECT_EQ(made->currentPlot()->id(), currentId);
    EXPECT_EQ(made->dataObjects().keys(), QList<QUuid>{currentId});
    EXPECT_EQ(made->itemRect(), QRectF(view.x(), view.y(), view.width() / 3, view.height() / 3));
    const TPlotAxis& axis = made->currentPlot()->axis(1);
    EXPECT_NEAR(axis.visibleFrom, std::min(from.x(), to.x()), 1e-9 * std::abs(from.x()));
    EXPECT_NEAR(axis.visibleTo, std::max(from.x(), to.x()), 1e-9 * std::abs(to.x()));
    // The source keeps its plots.
    EXPECT_GE(item->plotCount(), 2);
}

TEST_F(OwnModesTest, ElementCompositionSnapsWithinFivePercentAndComputes)
{
    importItem();
    findPlotPoints();
    ASSERT_TRUE(plugin->ensureElementTable());
    plugin->setMouseMode(kElementComposition, 0, 0);
    TMMActionElementComposition* action = composition();
    TMouseModeDispatcher& d = plugin->mouseModes();

    // A move over the spectrum snaps to the data point nearest the cursor.
    first = spectrumPoint + QPoint(100, 0);
    EXPECT_FALSE(send(QEvent::MouseMove, {}, Qt::NoButton, Qt::NoButton));
    EXPECT_TRUE(action->onSpectrum);
    ASSERT_TRUE(action->snapped);
    EXPECT_EQ(host->calls("repaintItem").size(), 1);
    QPointF cursor(first);
    ASSERT_TRUE(item->mapToPlotValues(cursor, 1));
    const TMassDataObj* spectrum = item->currentDataObject();
    ASSERT_NE(spectrum, nullptr);
    const double tolerance = 0.05 * (spectrum->getMaximumX() - spectrum->getMinimumX());
    EXPECT_LE(std::abs(action->snapPoint.x() - cursor.x()), tolerance);
    const TValueArray xs = spectrum->getXValues();
    double nearest = 0;
    for (int i = 0; i < xs.count; ++i)
        if (i == 0 || std::abs(xs.at(i) - cursor.x()) < std::abs(nearest - cursor.x()))
            nearest = xs.at(i);
    EXPECT_EQ(action->snapPoint.x(), nearest);
    // The dispatcher's points sit on the snapped point.
    QPointF snappedAt = d.currentPoint;
    ASSERT_TRUE(item->mapToPlotValues(snappedAt, 1));
    EXPECT_NEAR(snappedAt.x(), nearest, tolerance / 10);
    EXPECT_EQ(d.pressPoint, d.currentPoint);

    // Press and release compute at the snapped m/z and show the dock.
    host->clearJournal();
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(d.dragging);
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {}));
    EXPECT_FALSE(d.dragging);
    EXPECT_FALSE(action->snapped);
    ASSERT_EQ(host->calls("executeCommand").size(), 1);
    auto* command = dynamic_cast<TCmdMassElementComposition*>(host->commands().last());
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->mz, nearest);
    EXPECT_EQ(command->elementTable, &plugin->elementTable());
    EXPECT_EQ(host->calls("showDock"), QStringList{"showDock(\"MassElementCompositionTable\", true)"});
    EXPECT_EQ(host->calls("repaintItem").size(), 1);

    // Without a snap the press point's m/z is taken.
    plugin->setMouseMode(QUuid(), 0, 0);
    plugin->setMouseMode(kElementComposition, 0, 0);
    first = spectrumPoint;
    QPointF pressed(first);
    ASSERT_TRUE(item->mapToPlotValues(pressed, 1));
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {}));
    command = dynamic_cast<TCmdMassElementComposition*>(host->commands().last());
    ASSERT_NE(command, nullptr);
    EXPECT_DOUBLE_EQ(command->mz, pressed.x());
}

TEST_F(OwnModesTest, ElementCompositionOnChromatogramsSelectsSpectra)
{
    importItem();
    findPlotPoints();
    plugin->setMouseMode(kElementComposition, 0, 0);
    first = chromatogramPoint;
    for (const bool shift : {false, true}) {
        host->clearJournal();
        const Qt::KeyboardModifiers modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
        EXPECT_TRUE(send(QEvent::MouseButtonPress, {}, Qt::LeftButton, Qt::LeftButton, modifiers));
        EXPECT_FALSE(composition()->onSpectrum);
        EXPECT_TRUE(send(QEvent::MouseButtonRelease, {}, Qt::LeftButton, Qt::NoButton, modifiers));
        ASSERT_EQ(host->calls("executeCommand").size(), 1);
        auto* command = dynamic_cast<TCmdSelectMassSpectrum*>(host->commands().last());
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(command->append, shift);
        EXPECT_TRUE(host->calls("showDock").isEmpty());
    }
    // The computation needs a spectrum.
    host->clearJournal();
    EXPECT_FALSE(composition()->compute(item, 195.0));
    EXPECT_TRUE(host->journal().isEmpty());
}

TEST_F(OwnModesTest, ElementCompositionWithoutANearPointOrItem)
{
    importItem();
    findPlotPoints();
    plugin->setMouseMode(kElementComposition, 0, 0);
    TMMActionElementComposition* action = composition();
    // The spectrum replaced by one without points: nothing to snap to.
    first = spectrumPoint;
    ASSERT_TRUE(send(QEvent::MouseButtonPress, {}));
    ASSERT_TRUE(send(QEvent::MouseButtonRelease, {}));
    host->clearJournal();
    const QUuid id = item->currentPlot()->id();
    auto* empty = new TMassSpecDataObj;
    empty->setId(id);
    delete item->replaceDataObject(empty);
    EXPECT_FALSE(send(QEvent::MouseMove, {}, Qt::NoButton, Qt::NoButton));
    EXPECT_TRUE(action->onSpectrum);
    EXPECT_FALSE(action->snapped);

    // Far outside the item, and without an active item: nothing, and a
    // release still ends the drag.
    EXPECT_FALSE(send(QEvent::MouseButtonPress, {100000, 100000}));
    EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
    host->setSelectedItems({});
    EXPECT_FALSE(send(QEvent::MouseButtonRelease, {}));
    EXPECT_FALSE(plugin->mouseModes().dragging);
    EXPECT_TRUE(host->calls("executeCommand").isEmpty());

    // A null mode resets the action.
    action->snapped = true;
    plugin->setMouseMode(QUuid(), 0, 0);
    EXPECT_FALSE(action->snapped);
    EXPECT_FALSE(action->onSpectrum);
}

namespace {

// Overlays painted by IPluginDraw::draw over the page as the recording
// host shows it (scale 0.25, origin 20, 20); one PNG per overlay in the
// build folder, pixel probes on the marks.
class OverlayTest : public OwnModesTest {
protected:
    // The page painted, then the plug-in's overlays; written as name.png.
    // Events map canvas units one to one; the picture is a quarter of that.
    QImage paint(const QString& name)
    {
        host->setView(0.25, QPointF(20, 20), QSize(700, 520));
        QImage image(700, 520, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setTransform(host->currentView().worldMatrix);
            host->page().render(painter);
            painter.resetTransform();
            EXPECT_FALSE(plugin->draw(&painter));
        }
        host->setView(1.0, QPointF(20, 20), QSize(4000, 4000));
        EXPECT_TRUE(image.save(QStringLiteral(KS_BINARY_DIR "/overlay-%1.png").arg(name)));
        return image;
    }
    // Item (page) coordinates to the image's pixels.
    static QPoint pixel(const QPointF& page) { return (page * 0.25 + QPointF(20, 20)).toPoint(); }
    // Whether a pixel within `radius` of the point has exactly that colour.
    static bool hasColour(const QImage& image, const QPoint& at, const QColor& colour, int radius = 2)
    {
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx) {
                const QPoint p = at + QPoint(dx, dy);
                if (image.rect().contains(p) && QColor(image.pixel(p)).rgb() == colour.rgb())
                    return true;
            }
        return false;
    }
    // A device point of the plot from its values.
    static QPointF devicePoint(const TBasePlot* plot, QPointF values)
    {
        EXPECT_TRUE(plot->plotter().valuesToPoint(values));
        return values;
    }
    // Moves between canvas points with the left button held (a drag).
    void drag(const QPoint& from, const QPoint& to)
    {
        first = from;
        EXPECT_TRUE(send(QEvent::MouseButtonPress, {}));
        EXPECT_FALSE(send(QEvent::MouseMove, to - from, Qt::NoButton, Qt::LeftButton));
    }
    const QColor darkRed = QColor::fromRgbF(0.78125, 0, 0);
    const QColor darkBlue = QColor::fromRgbF(0, 0, 0.78125);
};

}  // namespace

TEST_F(OverlayTest, NothingWithoutAnActiveItem)
{
    QImage image(50, 50, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_FALSE(plugin->draw(&painter));
    painter.end();
    EXPECT_EQ(image.pixel(25, 25), QColor(Qt::white).rgb());
}

TEST_F(OverlayTest, MissingDatasetFrameAndPlotOutline)
{
    // An item whose dataset is missing: the red frame at its bounds.
    TCanvasItem* lost = plugin->createItem(112);
    host->addItem(lost);
    lost->move(400, 400);
    host->setSelectedItems({lost});
    QImage image = paint("missing-dataset");
    const QRectF bounds = lost->geometry().boundingRect();
    EXPECT_TRUE(hasColour(image, pixel({bounds.center().x(), bounds.top()}), Qt::red));
    EXPECT_TRUE(hasColour(image, pixel({bounds.left(), bounds.center().y()}), Qt::red));
    EXPECT_FALSE(hasColour(image, pixel(bounds.center()), Qt::red, 0));
    host->setSelectedItems({});
    delete lost;

    // An imported item: no frame, the current plot outlined in green.
    importItem();
    image = paint("plot-outline");
    const QRectF band = item->currentPlot()->plotter().deviceRect();
    ASSERT_FALSE(band.isEmpty());
    EXPECT_TRUE(hasColour(image, pixel({band.center().x(), band.top()}), Qt::green, 1));
    EXPECT_TRUE(hasColour(image, pixel({band.left(), band.center().y()}), Qt::green, 1));
    const QRectF bounds2 = item->geometry().boundingRect();
    EXPECT_FALSE(hasColour(image, pixel({bounds2.center().x(), bounds2.top()}), Qt::red));
}

TEST_F(OverlayTest, CutRubberBand)
{
    importItem();
    findPlotPoints();
    plugin->setMouseMode(kCut, 0, 0);
    const QImage before = paint("cut-before");
    drag(spectrumPoint, spectrumPoint + QPoint(200, 0));
    ASSERT_TRUE(plugin->mouseModes().overlay);
    const QImage image = paint("cut-band");
    // A vertical band over the whole height, dark blue (the cut mode's
    // colour) at 40 % over the plot.
    const QRectF area = item->currentPlot()->plotter().plotArea();
    for (const double y : {area.top() + 0.1 * area.height(), area.bottom() - 0.1 * area.height()}) {
        const QPoint p = pixel({spectrumPoint.x() + 100.0, y});
        const QColor c(image.pixel(p));
        EXPECT_NE(image.pixel(p), before.pixel(p));
        EXPECT_GT(c.blue(), c.red() + 60) << p.x() << ", " << p.y();
    }
    // Outside the band nothing changes.
    const QPoint outside = pixel({spectrumPoint.x() - 60.0, area.center().y()});
    EXPECT_EQ(image.pixel(outside), before.pixel(outside));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 0}));
}

TEST_F(OverlayTest, CrosshairLabelsWhileDragging)
{
    importItem();
    findPlotPoints();
    TBasePlot* plot = item->plotAt(QPointF(chromatogramPoint));
    plot->axis(1).setDecimals(3);
    plot->axis(2).setDecimals(1);
    plugin->setMouseMode(kSpectrumSelection, 0, 0);
    drag(chromatogramPoint, chromatogramPoint + QPoint(200, 0));
    ASSERT_TRUE(plugin->mouseModes().dragging);
    const QImage image = paint("crosshair");
    // The press point's lines in dark red, the current point's in dark blue.
    const QRectF area = plot->plotter().plotArea();
    EXPECT_TRUE(hasColour(image, pixel({double(chromatogramPoint.x()), area.bottom() - 20}), darkRed, 1));
    EXPECT_TRUE(hasColour(image, pixel({chromatogramPoint.x() + 200.0, area.bottom() - 20}), darkBlue, 1));
    // "%1 [%2]" with each axis' decimals.
    QPointF values(chromatogramPoint);
    const QString label = TIonvale::overlayLabel(plot->plotter(), values);
    ASSERT_TRUE(plot->plotter().pointToValues(values));
    EXPECT_EQ(label, QStringLiteral("%1 [%2]").arg(values.x(), 0, 'f', 3).arg(values.y(), 0, 'f', 1));
    EXPECT_TRUE(QRegularExpression("^-?\\d+\\.\\d{3} \\[-?\\d+\\.\\d\\]$").match(label).hasMatch()) << label.toStdString();
    EXPECT_EQ(TIonvale::overlayLabel(plot->plotter(), {std::nan(""), 0}), QString());
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, {200, 0}));
}

TEST_F(OverlayTest, ElementCompositionMarkerOnAPeak)
{
    importItem();
    findPlotPoints();
    plugin->setMouseMode(kElementComposition, 0, 0);
    first = spectrumPoint + QPoint(100, 0);
    EXPECT_FALSE(send(QEvent::MouseMove, {}, Qt::NoButton, Qt::NoButton));
    ASSERT_TRUE(composition()->snapped);
    const QImage image = paint("element-composition");
    const TBasePlot* plot = item->currentPlot();
    const QPointF snapped = devicePoint(plot, composition()->snapPoint);
    // The thick dark-red marker line from the snapped point down to
    // intensity 0, the label's dark-blue line through it up to the top.
    const QRectF area = plot->plotter().plotArea();
    EXPECT_TRUE(hasColour(image, pixel(snapped), darkRed, 2));
    EXPECT_TRUE(hasColour(image, pixel({snapped.x(), area.top() + 0.2 * area.height()}), darkBlue, 1));
    EXPECT_TRUE(composition()->snapOnTrace);
}

TEST_F(OverlayTest, IsotopeClusterSticksAndHighlightBox)
{
    importItem();
    findPlotPoints();
    auto* plot = static_cast<T1DMassPlot*>(item->plotAt(QPointF(spectrumPoint)));
    item->setCurrentPlot(plot);
    plot->highlight().color = QColor(255, 0, 255, 255);
    plot->highlight().boxVisible = 1;
    const QImage before = paint("cluster-before");
    // Three sticks in the middle of the visible range.
    const TPlotAxis& axis = plot->axis(1);
    const double mid = 0.5 * (axis.visibleFrom + axis.visibleTo);
    const double step = 0.05 * (axis.visibleTo - axis.visibleFrom);
    TKSMassSpectrum sticks;
    ASSERT_TRUE(sticks.setPoints({mid - step, mid, mid + step}, {100, 60, 20}));
    sticks.setCentroid(true);
    item->setIsotopeClusterSpectrum(new TMassSpecDataObj(plot->id(), sticks, 3));
    const QImage image = paint("isotope-cluster");
    // The box covers the cluster widened by 5 % each side: tinted magenta
    // between the sticks, untouched well outside.
    const QRectF area = plot->plotter().plotArea();
    const QPointF between = devicePoint(plot, {mid - 0.5 * step, 0});
    const QPoint probe = pixel({between.x(), area.top() + 0.1 * area.height()});
    const QColor tinted(image.pixel(probe));
    EXPECT_NE(image.pixel(probe), before.pixel(probe));
    EXPECT_LT(tinted.green(), QColor(before.pixel(probe)).green());
    EXPECT_GE(tinted.red(), tinted.green() + 40);
    EXPECT_GE(tinted.blue(), tinted.green() + 40);
    const QPointF away = devicePoint(plot, {mid - 4 * step, 0});
    const QPoint outside = pixel({away.x(), area.top() + 0.1 * area.height()});
    EXPECT_EQ(image.pixel(outside), before.pixel(outside));
    // The tallest stick is drawn in the highlight colour over the box.
    const int column = pixel(devicePoint(plot, {mid, 0})).x();
    int stick = 0;
    for (int y = pixel(area.topLeft()).y(); y < pixel(area.bottomLeft()).y(); ++y)
        for (int x = column - 1; x <= column + 1; ++x) {
            const QColor c(image.pixel(x, y));
            if (c.green() < tinted.green() - 40 && c.red() > 200 && c.blue() > 200) {
                ++stick;
                break;
            }
        }
    EXPECT_GT(stick, 10);
    // Without the box flag only the sticks are drawn.
    plot->highlight().boxVisible = 0;
    const QImage plain = paint("isotope-cluster-nobox");
    EXPECT_EQ(plain.pixel(probe), before.pixel(probe));
}

TEST_F(OverlayTest, MoleculeMatchMarkerAtTheRetentionTime)
{
    QStringList imported;
    ASSERT_EQ(plugin->importFile(shelltest::caffeineRun(), 0, QString(), true, imported), 0);
    item = static_cast<TCanvasMass*>(host->allItems().last());
    host->setSelectedItems({item});
    ASSERT_TRUE(plugin->ensureElementTable());
    host->executeCommand(new TCmdMoleculeMatcher({shelltest::caffeineMolfile().toStdWString()},
                                                 {L"caffeine"}, &plugin->elementTable(), {item}));
    const QImage before = paint("match-before");
    host->executeCommand(new TCmdSelectMolMatchResult(0, item));
    const TMassDataObj* mic = item->moleculeMatch().resultObject(4);
    ASSERT_NE(mic, nullptr);
    TBasePlot* plot = item->plot(mic->id(), true);
    ASSERT_NE(plot, nullptr);
    const QImage image = paint("molecule-match");
    const double time =
        item->moleculeMatch().matcher().getResults().front().getChromatogramPeak().apexRT;
    EXPECT_NEAR(time, 0.2, 0.03);
    // A line across the plot area at the apex time, rgb(0, 0, 255) at
    // alpha 200 over white: (55, 55, 255).
    const QRectF area = plot->plotter().plotArea();
    const QPointF at = devicePoint(plot, {time, 0});
    const QPoint probe = pixel({at.x(), area.top() + 0.1 * area.height()});
    EXPECT_TRUE(hasColour(image, probe, QColor(55, 55, 255), 1)) << QColor(image.pixel(probe)).name().toStdString();
    EXPECT_FALSE(hasColour(before, probe, QColor(55, 55, 255), 1));

    // Hidden results: no marker.
    host->executeCommand(new TCmdHideMolMatchHighlight({item}));
    const QImage hidden = paint("molecule-match-hidden");
    EXPECT_FALSE(hasColour(hidden, probe, QColor(55, 55, 255), 1));
}

TEST_F(OwnModesTest, ItemWithoutItsDatasetBuildsNothing)
{
    // No dataset, no plots: every mode's press, drag and release pass.
    TCanvasItem* lost = plugin->createItem(112);
    host->addItem(lost);
    host->setSelectedItems({lost});
    const QPoint at = lost->boundingRect().center();
    for (const QUuid& mode : {kExpansion, kRectZoom, kClickZoom, kCut, kRestoreCut, kSpectrumSelection,
                              kElementComposition, kPan}) {
        plugin->setMouseMode(QUuid(), 0, 0);
        plugin->setMouseMode(mode, 0, 0);
        first = at;
        EXPECT_FALSE(send(QEvent::MouseButtonPress, {})) << mode.toString().toStdString();
        EXPECT_FALSE(send(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::LeftButton));
        EXPECT_FALSE(send(QEvent::MouseButtonRelease, {200, 200}));
        EXPECT_FALSE(plugin->mouseModes().dragging);
    }
    EXPECT_TRUE(host->calls("executeCommand").isEmpty());
    QImage image(100, 100, QImage::Format_ARGB32);
    QPainter painter(&image);
    EXPECT_FALSE(plugin->draw(&painter));
}
