// View commands through the recording host's undo stack: intensity, fit
// to height, zoom about a point and to a rectangle, pan, cuts.
#include "commandtest.h"

#include <cmath>
#include <limits>

#include "tcmdview.h"

using namespace cmdtest;

class ViewCommand : public CommandTest {};

TEST_F(ViewCommand, ZoomAboutAPoint)
{
    struct Case {
        double centre;
        int direction;
        const char* name;
        Range want;
    };
    const Case cases[] = {
        {150, TCmdZoomSpectra::ZoomIn, "Zoom In", {125, 175}},
        {150, TCmdZoomSpectra::ZoomOut, "Zoom Out", {50, 250}},
        {100, TCmdZoomSpectra::ZoomIn, "Zoom In", {100, 150}},
    };
    TCanvasMass* item = massItem();
    for (const Case& c : cases) {
        TBasePlot* plot = setRanges(item);
        auto* zoom = new TCmdZoomSpectra(c.centre, 0, c.direction, 1, TCanvasItemList(item));
        EXPECT_EQ(zoom->name, QByteArray(c.name));
        EXPECT_EQ(zoom->flags & TCommand::Step, TCommand::Step);
        host.executeCommand(zoom);
        EXPECT_EQ(visible(plot, 1), c.want) << c.centre;
        EXPECT_EQ(visible(plot, 2), (Range{0, 500})) << "axis 2 left alone";
        host.undo();
        EXPECT_EQ(visible(plot, 1), (Range{100, 200}));
    }
}

TEST_F(ViewCommand, ZoomAboutAPointWithoutCurrentPlotDoesNothing)
{
    TCanvasMass* item = massItem();
    TCanvasMass* empty = emptyItem();
    TBasePlot* plot = setRanges(item);
    empty->setActive(true);  // the current item has no plot
    auto* zoom = new TCmdZoomSpectra(150, 0, TCmdZoomSpectra::ZoomIn, 0, TCanvasItemList({item, empty}));
    host.executeCommand(zoom);
    EXPECT_FALSE(zoom->isDone());
    EXPECT_FALSE(zoom->isApplied());
    EXPECT_EQ(visible(plot, 1), (Range{100, 200}));  // not a full zoom out
    host.undo();
    EXPECT_EQ(visible(plot, 1), (Range{100, 200}));
}

TEST_F(ViewCommand, FullZoomOutAndItsUndo)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    TBasePlot* pa = setRanges(a);
    TBasePlot* pb = setRanges(b);
    pb->zoom(1, 300, 400);
    pb->zoom(2, 10, 20);
    auto* zoom = new TCmdZoomSpectra(QRectF(0, 0, 0, 0), TCanvasItemList({a, b}));
    EXPECT_EQ(zoom->name, QByteArray("Full Zoom Out"));
    EXPECT_EQ(zoom->flags, 0);
    host.executeCommand(zoom);
    EXPECT_EQ(visible(pa, 1), (Range{0, 1000}));
    EXPECT_EQ(visible(pb, 1), (Range{0, 1000}));
    EXPECT_EQ(visible(pb, 2), (Range{0, 500}));
    host.undo();
    EXPECT_EQ(visible(pa, 1), (Range{100, 200}));
    EXPECT_EQ(visible(pb, 1), (Range{300, 400}));
    EXPECT_EQ(visible(pb, 2), (Range{10, 20}));
}

TEST_F(ViewCommand, ZoomRectangleNamesAndBadSides)
{
    TCanvasMass* item = massItem();
    TBasePlot* plot = setRanges(item);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        QRectF rect;
        const char* name;
        Range want1, want2;
    };
    const Case cases[] = {
        {QRectF(300, 0, 100, 0), "Zoom", {300, 400}, {0, 500}},
        {QRectF(0, 50, 0, 100), "Zoom", {100, 200}, {50, 150}},
        {QRectF(300, 0, nan, 0), "Zoom", {100, 200}, {0, 500}},
        {QRectF(nan, nan, nan, nan), "Zoom", {100, 200}, {0, 500}},
        {QRectF(0, 0, inf, 0), "Zoom", {100, 200}, {0, 500}},
    };
    for (const Case& c : cases) {
        setRanges(item);
        auto* zoom = new TCmdZoomSpectra(c.rect, TCanvasItemList(item));
        EXPECT_EQ(zoom->name, QByteArray(c.name));
        host.executeCommand(zoom);
        EXPECT_EQ(visible(plot, 1), c.want1) << c.rect.x() << " " << c.rect.width();
        EXPECT_EQ(visible(plot, 2), c.want2) << c.rect.y() << " " << c.rect.height();
        host.undo();
        EXPECT_EQ(visible(plot, 1), (Range{100, 200}));
        EXPECT_EQ(visible(plot, 2), (Range{0, 500}));
    }
}

TEST_F(ViewCommand, ZoomWithFitToHeight)
{
    TCanvasMass* item = massItem();
    TBasePlot* plot = item->currentPlot();  // the TIC over its own data
    plot->fullZoomOut(3);
    const Range full1 = full(plot, 1);
    const Range before2 = visible(plot, 2);
    const Range full2 = full(plot, 2);
    auto* zoom = new TCmdZoomSpectra(QRectF(full1.from, 0, (full1.to - full1.from) / 4, 0), TCanvasItemList(item));
    zoom->enableFitToHeight();
    TCmdFitSpectraIntensityToHeight* fit = zoom->fitToHeight;
    zoom->enableFitToHeight();
    EXPECT_EQ(zoom->fitToHeight, fit);
    host.executeCommand(zoom);
    EXPECT_NE(full(plot, 2), full2);  // fitted to the quarter's intensities
    host.undo();
    EXPECT_EQ(full(plot, 2), full2);
    EXPECT_EQ(visible(plot, 2), before2);
    EXPECT_EQ(visible(plot, 1), full1);
}

TEST_F(ViewCommand, IntensityUpThenDown)
{
    TCanvasMass* item = massItem();
    TBasePlot* plot = setRanges(item);
    auto* up = new TCmdChangeSpectraIntensity(TCmdChangeSpectraIntensity::Increase, TCanvasItemList(item));
    EXPECT_EQ(up->name, QByteArray("Increase Intensity"));
    EXPECT_TRUE(up->flags & TCommand::Step);
    host.executeCommand(up);
    EXPECT_NEAR(full(plot, 2).to, 500 / 1.2, 1e-9);
    auto* down = new TCmdChangeSpectraIntensity(TCmdChangeSpectraIntensity::Decrease, TCanvasItemList(item));
    EXPECT_EQ(down->name, QByteArray("Decrease Intensity"));
    host.executeCommand(down);
    EXPECT_NEAR(full(plot, 2).to, 500, 1e-9);
    EXPECT_NEAR(visible(plot, 2).to, 500, 1e-9);
    host.undo();
    host.undo();
    EXPECT_NEAR(full(plot, 2).to, 500, 1e-9);
    // Any other direction: no name, no change.
    TCmdChangeSpectraIntensity other(7, TCanvasItemList(item));
    EXPECT_TRUE(other.name.isEmpty());
    other.redo();
    EXPECT_NEAR(full(plot, 2).to, 500, 1e-9);
}

TEST_F(ViewCommand, FitToHeightOnAnItemThatGainedAPlot)
{
    TCanvasMass* item = massItem();
    TCanvasMass* late = emptyItem();
    auto* fit = new TCmdFitSpectraIntensityToHeight(TCanvasItemList({item, late}));
    // The empty item gains a plot after the command was built.
    TBasePlot* plot = item->currentPlot();
    auto* copy = new T1DMassPlot(1, 1, QUuid::createUuid(), nullptr);
    copy->setFullRange(1, 0, 10);
    copy->setFullRange(2, 0, 40);
    late->addPlot(copy);
    ASSERT_EQ(late->currentPlot(), copy);
    const Range full1 = full(plot, 1);
    plot->zoom(1, full1.from, full1.from + (full1.to - full1.from) / 4);
    const Range before = full(plot, 2);
    host.executeCommand(fit);
    EXPECT_NE(full(plot, 2), before);
    host.undo();
    EXPECT_EQ(full(plot, 2), before);
    EXPECT_EQ(full(copy, 2), (Range{0, 40}));
}

TEST_F(ViewCommand, Pan)
{
    TCanvasMass* item = massItem();
    TBasePlot* plot = setRanges(item);
    plot->zoom(2, 100, 200);
    TCmdPanSpectra none{TCanvasItemList(item)};
    EXPECT_FALSE(none.hasShift());  // its builder deletes it
    auto* pan = new TCmdPanSpectra(TCanvasItemList(item));
    EXPECT_EQ(pan->name, QByteArray("Panning"));
    pan->dy = 5;
    ASSERT_TRUE(pan->hasShift());
    host.executeCommand(pan);
    EXPECT_EQ(visible(plot, 1), (Range{100, 200}));
    EXPECT_EQ(visible(plot, 2), (Range{105, 205}));
    host.undo();
    EXPECT_EQ(visible(plot, 2), (Range{100, 200}));

    // Offsets that are not numbers count as a shift and move nothing.
    auto* bad = new TCmdPanSpectra(TCanvasItemList(item));
    bad->dx = std::numeric_limits<double>::quiet_NaN();
    bad->dy = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(bad->hasShift());
    host.executeCommand(bad);
    EXPECT_EQ(visible(plot, 1), (Range{100, 200}));
    EXPECT_EQ(visible(plot, 2), (Range{100, 200}));
    host.undo();
    EXPECT_EQ(visible(plot, 2), (Range{100, 200}));
}

namespace {

QVector<TValueRange> gaps(const TBasePlot* plot, int axis)
{
    const TPlotAxis& a = plot->axis(axis);
    return plot->segments(axis).complement(a.fullFrom, a.fullTo).toVector();
}

}  // namespace

TEST_F(ViewCommand, CutAndRestoreWithEarlierGaps)
{
    TCanvasMass* item = massItem();
    TBasePlot* plot = setRanges(item);
    plot->cutRange(1, TValueRange(300, 400));
    const QVector<TValueRange> first = gaps(plot, 1);
    ASSERT_EQ(first.size(), 1);

    // A cut over the earlier one: undo shows only what this cut hid.
    auto* cut = new TCmdSpectraCuts(1, TCanvasItemList(item));
    EXPECT_EQ(cut->name, QByteArray("Cut range"));
    cut->setCutRange(TValueRange(350, 600));
    host.executeCommand(cut);
    EXPECT_EQ(gaps(plot, 1), QVector<TValueRange>({TValueRange(300, 600)}));
    host.undo();
    EXPECT_EQ(gaps(plot, 1), first);
    host.redo();
    EXPECT_EQ(gaps(plot, 1), QVector<TValueRange>({TValueRange(300, 600)}));

    // Restore part of the gap; undo hides exactly the gap there was.
    auto* restore = new TCmdSpectraCuts(0, TCanvasItemList(item));
    EXPECT_EQ(restore->name, QByteArray("Restore range"));
    restore->setCutRange(TValueRange(500, 700));
    host.executeCommand(restore);
    EXPECT_EQ(gaps(plot, 1), QVector<TValueRange>({TValueRange(300, 500)}));
    host.undo();
    EXPECT_EQ(gaps(plot, 1), QVector<TValueRange>({TValueRange(300, 600)}));

    // Restore all ranges of both axes, two cuts, and back.
    plot->cutRange(2, TValueRange(100, 200));
    const QVector<TValueRange> vertical = gaps(plot, 2);
    auto* all = new TCmdSpectraCuts(TCanvasItemList(item));
    EXPECT_EQ(all->name, QByteArray("Restore all ranges"));
    EXPECT_EQ(all->axes, 3);
    host.executeCommand(all);
    EXPECT_TRUE(gaps(plot, 1).isEmpty());
    EXPECT_TRUE(gaps(plot, 2).isEmpty());
    host.undo();
    EXPECT_EQ(gaps(plot, 1), QVector<TValueRange>({TValueRange(300, 600)}));
    EXPECT_EQ(gaps(plot, 2), vertical);
}

TEST_F(ViewCommand, CutThatWouldHideEverythingIsNotApplied)
{
    TCanvasMass* item = massItem();
    TBasePlot* plot = setRanges(item);
    plot->cutRange(1, TValueRange(300, 400));
    const QVector<TValueRange> before = gaps(plot, 1);
    auto* cut = new TCmdSpectraCuts(1, TCanvasItemList(item));
    cut->setCutRange(TValueRange(-10, 2000));
    host.executeCommand(cut);
    EXPECT_EQ(gaps(plot, 1), before);
    host.undo();
    EXPECT_EQ(gaps(plot, 1), before);
}

TEST_F(ViewCommand, EmptyListsAndItemsWithoutPlots)
{
    TCanvasMass* empty = emptyItem();
    QList<TCommand*> commands;
    commands << new TCmdChangeSpectraIntensity(0, TCanvasItemList()) << new TCmdFitSpectraIntensityToHeight({empty})
             << new TCmdZoomSpectra(QRectF(1, 2, 3, 4), {nullptr, empty}) << new TCmdSpectraCuts({empty});
    auto* pan = new TCmdPanSpectra({empty});
    pan->dx = 3;
    commands << pan;
    for (TCommand* c : commands) {
        host.executeCommand(c);
        EXPECT_TRUE(host.undo());
        EXPECT_TRUE(host.redo());
    }
    EXPECT_EQ(empty->plotCount(), 0);
}
