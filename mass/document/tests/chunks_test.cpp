// The canvas item bases: the polygon scan against Qt's own region of the
// same polygon, the chunk sets of axis-aligned and rotated items, entering
// and leaving chunks on every change, velocity and animation, collisions,
// geometry that is not finite or far away, destruction.
#include "canvastest.h"

#include "qtpolygonscanner.h"

#include <cmath>
#include <limits>

using namespace canvastest;

namespace {

class PixelCollector : public QtPolygonScanner {
public:
    QSet<QPair<int, int>> pixels;
    int lines = 0;
    int lastLine = std::numeric_limits<int>::min();
    bool ordered = true;

protected:
    void processSpans(int n, const QPoint* points, const int* widths) override
    {
        ++lines;
        ordered = ordered && points[0].y() > lastLine;
        lastLine = points[0].y();
        for (int k = 0; k < n; ++k) {
            EXPECT_GT(widths[k], 0);
            EXPECT_EQ(points[k].y(), points[0].y());
            if (k > 0) {
                EXPECT_GE(points[k].x(), points[k - 1].x() + widths[k - 1]);
            }
            for (int x = points[k].x(); x < points[k].x() + widths[k]; ++x)
                pixels.insert({x, points[k].y()});
        }
    }
};

QPolygonF rotated(const QRectF& r, double degrees)
{
    const QPointF c = r.center();
    const QTransform t = QTransform().translate(c.x(), c.y()).rotate(degrees).translate(-c.x(), -c.y());
    return t.map(QPolygonF(r));
}

// The cells of a set of pixels on a canvas of chunk size k.
QSet<QPair<int, int>> cellsOfPixels(const QSet<QPair<int, int>>& pixels, int k, const QtCanvas& canvas)
{
    QSet<QPair<int, int>> cells;
    for (const auto& p : pixels) {
        const int c = qtcanvas::floorDiv(p.first, k), r = qtcanvas::floorDiv(p.second, k);
        if (canvas.validChunk(c, r))
            cells.insert({c, r});
    }
    return cells;
}

}  // namespace

TEST(PolygonScan, PixelsAsQtRegionCoversThem)
{
    // Qt's region of a polygon comes from the same sample-server scan
    // conversion: the pixel sets must agree exactly, for both rules.
    struct Case {
        const char* name;
        QPolygon polygon;
    };
    const QPolygon star({QPoint(50, 0), QPoint(79, 90), QPoint(2, 35), QPoint(98, 35), QPoint(21, 90)});
    const QList<Case> cases = {
        {"rectangle", QPolygon(QRect(3, 4, 10, 6))},
        {"triangle", QPolygon({QPoint(0, 0), QPoint(40, 7), QPoint(9, 33)})},
        {"thin sliver", QPolygon({QPoint(0, 0), QPoint(100, 1), QPoint(0, 2)})},
        {"rotated 10", rotated(QRectF(40, 40, 120, 60), 10).toPolygon()},
        {"rotated 45", rotated(QRectF(40, 40, 120, 60), 45).toPolygon()},
        {"rotated 77", rotated(QRectF(40, 40, 121, 61), 77).toPolygon()},
        {"concave", QPolygon({QPoint(0, 0), QPoint(60, 0), QPoint(30, 20), QPoint(60, 40), QPoint(0, 40)})},
        {"self-crossing star", star},
        {"negative coordinates", QPolygon({QPoint(-30, -20), QPoint(15, -25), QPoint(20, 18), QPoint(-12, 9)})},
        {"repeated points", QPolygon({QPoint(5, 5), QPoint(5, 5), QPoint(25, 5), QPoint(25, 30), QPoint(5, 30)})},
    };
    for (const Case& c : cases)
        for (bool winding : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (winding ? " winding" : " odd-even"));
            PixelCollector scanner;
            scanner.scan(c.polygon, winding);
            EXPECT_TRUE(scanner.ordered);
            EXPECT_EQ(scanner.pixels, regionPixels(c.polygon, winding));
        }
}

TEST(PolygonScan, EdgesLeftAndTopIncludedRightAndBottomNot)
{
    // The polygon (2, 3) (6, 3) (6, 6) (2, 6): 4 by 3 pixels, x 2..5 and
    // y 3..5; column 6 and row 6 lie on its right and bottom edges.
    PixelCollector rect;
    rect.scan(QPolygon(QRect(2, 3, 4, 3)), false);
    QSet<QPair<int, int>> inside;
    for (int y = 3; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            inside.insert({x, y});
    EXPECT_EQ(rect.pixels, inside);

    PixelCollector few;
    few.scan(QPolygon(QVector<QPoint>{QPoint(0, 0), QPoint(10, 10)}), true);
    EXPECT_EQ(few.lines, 0);
    PixelCollector flat;
    flat.scan(QPolygon({QPoint(0, 5), QPoint(10, 5), QPoint(20, 5)}), false);
    EXPECT_TRUE(flat.pixels.isEmpty());
}

TEST(PolygonScan, FarAndNonFinitePolygonsAreClippedOrRefused)
{
    const QRect page(0, 0, 400, 300);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(qtcanvas::scanPolygon(QPolygonF({QPointF(0, 0), QPointF(inf, 0), QPointF(0, 10)}), page).isEmpty());
    EXPECT_TRUE(qtcanvas::scanPolygon(QPolygonF({QPointF(0, 0), QPointF(NAN, 0), QPointF(0, 10)}), page).isEmpty());
    // Inside the page the polygon is only rounded.
    EXPECT_EQ(qtcanvas::scanPolygon(QPolygonF({QPointF(1.4, 2.6), QPointF(50.5, 3), QPointF(7, 80)}), page),
              QPolygon({QPoint(1, 3), QPoint(51, 3), QPoint(7, 80)}));
    // A huge triangle is clipped to the page grown by two pixels.
    const QPolygon clipped =
        qtcanvas::scanPolygon(QPolygonF({QPointF(-1e300, -1e300), QPointF(1e300, -1e300), QPointF(0, 1e300)}), page);
    ASSERT_GE(clipped.size(), 3);
    EXPECT_TRUE(QRect(QPoint(-2, -2), QPoint(402, 302)).contains(clipped.boundingRect()));
}

TEST_F(CanvasTest, AxisAlignedItemEntersTheCellsItCovers)
{
    // (20, 20) .. (70, 50) with a pen of width 1 (half width 1): pixels
    // 19 .. 70 by 19 .. 50, chunk size 16.
    auto* card = new Card(QRectF(20, 20, 50, 30));
    card->setPen(QPen(Qt::black, 1));
    host.addItem(card);
    QSet<QPair<int, int>> expected;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            expected.insert({c, r});
    EXPECT_EQ(cellSet(card->chunks()), expected);
    EXPECT_EQ(cellSet(cellsHolding(host.page(), card)), expected);
    EXPECT_TRUE(card->isValid());
    EXPECT_EQ(card->chunks().size(), expected.size()) << "each cell once";
}

TEST_F(CanvasTest, RotatedItemEntersOnlyTheCellsUnderItsOutline)
{
    for (double angle : {0.0, 15.0, 45.0, 90.0, 123.0, 330.0}) {
        SCOPED_TRACE(angle);
        auto* card = new Card(QRectF(60, 80, 240, 40));
        card->setPen(QPen(Qt::NoPen));
        card->setAngle(angle, false);
        host.addItem(card);
        const QPolygon area = qtcanvas::scanPolygon(card->areaPoints(), host.page().rect());
        const auto expected = cellsOfPixels(regionPixels(area, false), 16, host.page());
        EXPECT_EQ(cellSet(card->chunks()), expected);
        EXPECT_EQ(cellSet(cellsHolding(host.page(), card)), expected);
        // Scan conversion, not the bounding rectangle: a turned bar covers
        // far fewer cells than its bounding rectangle.
        const QRect box = card->boundingRect();
        const int boxCells = (box.right() / 16 - box.left() / 16 + 1) * (box.bottom() / 16 - box.top() / 16 + 1);
        if (angle == 45.0) {
            EXPECT_LT(expected.size(), boxCells * 2 / 3);
        }
        delete card;
        EXPECT_TRUE(cellsHolding(host.page(), card).isEmpty());
    }
}

TEST_F(CanvasTest, ItemsOffCanvasOrHiddenCoverNothing)
{
    Card loose;
    EXPECT_TRUE(loose.chunks().isEmpty());
    loose.addToChunks();
    loose.changeChunks();
    EXPECT_FALSE(loose.isValid());

    auto* hidden = new Card();
    hidden->hide();
    host.addItem(hidden);
    host.page().clearChanges();
    EXPECT_TRUE(hidden->chunks().isEmpty());
    hidden->addToChunks();
    hidden->changeChunks();
    hidden->removeFromChunks();
    EXPECT_TRUE(host.page().changedChunks().isEmpty());
    EXPECT_TRUE(cellsHolding(host.page(), hidden).isEmpty());

    // Fewer than three points, or a point that is not finite.
    auto* line = new PolygonItem(QPolygonF(QVector<QPointF>{QPointF(10, 10), QPointF(200, 200)}));
    host.addItem(line);
    EXPECT_TRUE(line->chunks().isEmpty());
    auto* broken = new PolygonItem(QPolygonF({QPointF(10, 10), QPointF(NAN, 200), QPointF(10, 200)}));
    host.addItem(broken);
    EXPECT_TRUE(broken->chunks().isEmpty());
    EXPECT_EQ(broken->boundingRect(), QRect());
}

TEST_F(CanvasTest, ItemsReachingPastTheEdgeEnterOnlyCellsOfTheGrid)
{
    struct Case {
        const char* name;
        QPolygonF area;
        int cells;
    };
    const QList<Case> cases = {
        {"past the right and bottom edges", QPolygonF(QRectF(380, 280, 100, 100)), 4},
        {"left of the page", QPolygonF(QRectF(-100, 0, 90, 50)), 0},
        {"the whole page and far beyond", QPolygonF(QRectF(-1e9, -1e9, 2e9, 2e9)), 25 * 19},
        // Coordinates this far out lose the page-sized differences in
        // rounding: only valid cells, found at once.
        {"huge coordinates", QPolygonF({QPointF(-1e300, -1e300), QPointF(1e300, -1e300), QPointF(1e300, 1e300)}), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* item = new PolygonItem(c.area);
        host.addItem(item);
        const QList<QPoint> cells = item->chunks();
        for (const QPoint& p : cells)
            EXPECT_TRUE(host.page().validChunk(p.x(), p.y()));
        if (c.cells >= 0) {
            EXPECT_EQ(cells.size(), c.cells);
        }
        delete item;
    }
}

TEST_F(CanvasTest, MovesLeaveOldCellsAndEnterNewOnes)
{
    auto* card = new Card(QRectF(20, 20, 10, 10));
    card->setPen(QPen(Qt::NoPen));
    host.addItem(card);
    host.page().clearChanges();

    card->moveBy(0, 0);
    EXPECT_TRUE(host.page().changedChunks().isEmpty()) << "a move by (0, 0) changes nothing";

    card->moveBy(92, 0);
    EXPECT_EQ(card->x(), 112);
    EXPECT_EQ(cellSet(cellsHolding(host.page(), card)), cellSet({QPoint(7, 1)}));
    EXPECT_EQ(cellSet(host.page().changedChunks()), cellSet({QPoint(1, 1), QPoint(7, 1)}));

    card->move(5, 5);
    EXPECT_EQ(cellSet(cellsHolding(host.page(), card)), cellSet({QPoint(0, 0)}));

    // Showing a visible item does not enter it twice.
    card->setVisible(true);
    EXPECT_EQ(host.page().chunk(0, 0).items().count(card), 1);
    card->hide();
    EXPECT_TRUE(cellsHolding(host.page(), card).isEmpty());
    card->show();
    EXPECT_EQ(host.page().chunk(0, 0).items().count(card), 1);
}

TEST_F(CanvasTest, StateChangesRepaintTheCells)
{
    auto* card = new Card(QRectF(40, 40, 10, 10));
    card->setPen(QPen(Qt::NoPen));
    host.addItem(card);
    const QSet<QPair<int, int>> cells = cellSet(card->chunks());
    struct Change {
        const char* name;
        std::function<void()> apply;
        bool repaints;
    };
    const QList<Change> changes = {
        {"select", [&] { card->setSelected(true); }, true},
        {"select again", [&] { card->setSelected(true); }, false},
        {"enable", [&] { card->setEnabled(true); }, true},
        {"activate", [&] { card->setActive(true); }, true},
        {"brush", [&] { card->setBrush(Qt::red); }, true},
        {"same brush", [&] { card->setBrush(Qt::red); }, false},
        {"update", [&] { card->update(); }, true},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        host.page().clearChanges();
        c.apply();
        EXPECT_EQ(cellSet(host.page().changedChunks()), (c.repaints ? cells : QSet<QPair<int, int>>()));
    }
    EXPECT_EQ(card->flags() & 0x38u, 0x38u);

    // A wider pen moves the item into the cells its outline now reaches.
    card->setPen(QPen(Qt::black, 20));
    EXPECT_EQ(cellSet(cellsHolding(host.page(), card)), cellSet(card->chunks()));
    EXPECT_GT(card->chunks().size(), cells.size());
}

TEST_F(CanvasTest, VelocityAnimatesAndAdvances)
{
    Card loose(QRectF(10, 10, 20, 20));
    // Without a canvas only the flag changes.
    loose.setAnimated(true);
    EXPECT_TRUE(loose.isAnimated());
    loose.setAnimated(false);
    loose.setVelocity(0, 0);
    EXPECT_FALSE(loose.hasVelocity());
    loose.setVelocity(2.5, -1.5);
    EXPECT_TRUE(loose.isAnimated());

    auto* card = new Card(QRectF(10.5, 10.5, 20, 20));
    card->setVelocity(2.7, -1.2);
    host.addItem(card);
    EXPECT_TRUE(host.page().animatedItems().contains(card));
    // trunc(10.5 + 2.7) - trunc(10.5) = 3, trunc(9.3) - trunc(10.5) = -1.
    EXPECT_EQ(card->boundingRectAdvanced().topLeft() - card->boundingRect().topLeft(), QPoint(3, -1));
    EXPECT_EQ(card->areaPointsAdvanced()[0] - card->areaPoints()[0], QPointF(3, -1));
    card->advance(0);
    EXPECT_EQ(card->x(), 10.5);
    card->advance(1);
    EXPECT_DOUBLE_EQ(card->x(), 13.2);
    EXPECT_DOUBLE_EQ(card->y(), 9.3);

    card->setCanvas(nullptr);
    EXPECT_FALSE(host.page().animatedItems().contains(card));
    EXPECT_FALSE(host.page().allItems().contains(card));
    EXPECT_TRUE(card->isVisible()) << "setCanvas keeps the visibility";
    delete card;
}

TEST_F(CanvasTest, PolygonalItemsCollideWhereTheirAreasMeet)
{
    auto* a = new Card(QRectF(20, 20, 60, 60));
    auto* b = new Card(QRectF(70, 70, 60, 60));
    auto* c = new Card(QRectF(150, 20, 60, 60));
    for (Card* i : {a, b, c}) {
        i->setPen(QPen(Qt::NoPen));
        host.addItem(i);
    }
    EXPECT_TRUE(a->collidesWith(b));
    EXPECT_TRUE(b->collidesWith(a));
    EXPECT_FALSE(a->collidesWith(c));
    EXPECT_FALSE(a->collidesWith(nullptr));
    // Turned by 45 degrees, b's corner no longer reaches a.
    b->setAngle(45, true);
    b->moveBy(10, 10);
    EXPECT_FALSE(a->collidesWith(b));
}

TEST_F(CanvasTest, DeletedItemsLeaveNoCellBehind)
{
    auto* card = new Card(QRectF(30, 30, 100, 60));
    host.addItem(card);
    ASSERT_FALSE(cellsHolding(host.page(), card).isEmpty());
    delete card;
    EXPECT_TRUE(cellsHolding(host.page(), card).isEmpty());
    EXPECT_FALSE(host.page().allItems().contains(card));

    // An item class that does not hide itself is taken out of every cell.
    auto* careless = new PolygonItem(QPolygonF(QRectF(30, 30, 100, 60)), false);
    host.addItem(careless);
    ASSERT_FALSE(cellsHolding(host.page(), careless).isEmpty());
    delete careless;
    EXPECT_TRUE(cellsHolding(host.page(), careless).isEmpty());
}
