// The document item: angles, type names, handles, pen widths, the item
// matrix, parents and children, the owning plug-in and its progress
// interface, plug-in data, the pixmap-cache draw path (3 x 4 and 4 x 3
// kept apart) and a page rendered into a PNG for a person to look at.
#include "canvastest.h"

#include "iplugins.h"
#include "temptyplugin.h"

#include <QPainter>

#include <cmath>
#include <limits>

using namespace canvastest;

TEST(CanvasItem, AnglesAreKeptInZeroTo360)
{
    struct Case {
        double given;
        double kept;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const QList<Case> cases = {
        {-30, 330}, {720, 0}, {359.5, 359.5}, {360, 0}, {-360, 0}, {-720.5, 359.5}, {1e-300, 1e-300},
        // A tiny negative angle rounds up to 360, which is 0.
        {-1e-300, 0}, {1e20, 280}, {-1e20, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        Card card;
        card.setAngle(1e300, false);
        EXPECT_GE(card.angle(), 0.0);
        EXPECT_LT(card.angle(), 360.0);
        card.setAngle(c.given, false);
        EXPECT_EQ(card.angle(), c.kept);
        EXPECT_GE(card.angle(), 0.0);
        EXPECT_LT(card.angle(), 360.0);
        EXPECT_FALSE(std::signbit(card.angle()));
    }
    // Values that are not finite are ignored.
    for (double bad : {inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
        Card card;
        card.setAngle(42, false);
        card.setAngle(bad, true);
        EXPECT_EQ(card.angle(), 42);
    }
}

TEST_F(CanvasTest, TurningAnItemMovesItToTheCellsOfItsNewOutline)
{
    auto* card = new Card(QRectF(100, 100, 200, 20));
    card->setPen(QPen(Qt::NoPen));
    host.addItem(card);
    const auto flat = cellSet(card->chunks());
    host.page().clearChanges();
    card->setAngle(90, true);
    const auto upright = cellSet(card->chunks());
    EXPECT_NE(flat, upright);
    EXPECT_EQ(cellSet(cellsHolding(host.page(), card)), upright);
    // Both the cells it left and the ones it entered are repainted.
    EXPECT_EQ(cellSet(host.page().changedChunks()), flat | upright);
}

TEST(CanvasItem, TypeNames)
{
    const QList<QPair<int, const char*>> names = {
        {101, "Unknown Item"}, {102, "Arrow"}, {103, "Ellipse"}, {104, "Rectangle"}, {105, "Polygon"},
        {106, "Image"}, {107, "Text"}, {108, "Layout Template"}, {109, "NMR Spectrum"}, {110, "Molecule"},
        {111, "OLE Object"}, {112, "Mass Spectrum"}, {113, "Graph"}, {114, "Unknown Item"}, {0, "Unknown Item"},
    };
    for (const auto& n : names)
        EXPECT_EQ(itemTypeName(n.first), QString::fromLatin1(n.second)) << n.first;
}

TEST(CanvasItem, NewItemIsShownWithItsOwnIdentifier)
{
    Card a, b;
    EXPECT_TRUE(a.isVisible());
    EXPECT_FALSE(a.isValid());
    EXPECT_EQ(a.rtti(), RectangleItemType);
    EXPECT_EQ(a.itemType(), RectangleItemType);
    EXPECT_FALSE(a.ownId().isNull());
    EXPECT_EQ(a.ownId(), a.initialId());
    EXPECT_NE(a.ownId(), b.ownId());
    EXPECT_TRUE(a.parentId().isNull());
    EXPECT_EQ(a.type(), QStringLiteral("Card"));
    EXPECT_TRUE(a.hasType());
    EXPECT_TRUE(a.subtype().isEmpty());
    EXPECT_EQ(a.angle(), 0);
    EXPECT_EQ(a.itemFlags(), 0u);
    EXPECT_TRUE(a.objectId().isNull());
    EXPECT_TRUE(a.itemList().isEmpty());
    EXPECT_FALSE(a.cacheWanted());
    EXPECT_TRUE(a.cacheAllowed());
    EXPECT_EQ(a.properties()->count(), 1);
    EXPECT_EQ(a.properties()->bag(0)->bagType(), TItemPropertiesBag::Geometry);

    a.setItemFlags(2, false);
    a.setItemFlags(1, true);
    EXPECT_EQ(a.itemFlags(), 3u);
    a.setItemFlags(2, false);
    EXPECT_EQ(a.itemFlags(), 2u);
}

TEST(CanvasItem, HandlesAndPenWidths)
{
    Card card(QRectF(10, 20, 100, 50));
    card.setPen(QPen(Qt::NoPen));
    EXPECT_EQ(card.penHalfWidth(), 0.0);
    EXPECT_EQ(card.handlePoints(true), card.handlePoints(false));
    EXPECT_EQ(card.handlePoints(false),
              QPolygonF({QPointF(110, 45), QPointF(110, 70), QPointF(60, 70), QPointF(10, 70), QPointF(10, 45),
                         QPointF(10, 20), QPointF(60, 20), QPointF(110, 20)}));

    struct Pen {
        double width;
        double half;
        int grow;
    };
    for (const Pen& p : QList<Pen>{{0, 1.0, 1}, {1, 1.0, 1}, {2, 1.5, 1}, {5, 3.0, 3}, {8, 4.5, 4}}) {
        SCOPED_TRACE(p.width);
        card.setPen(QPen(Qt::black, p.width));
        EXPECT_EQ(card.penHalfWidth(), p.half);
        EXPECT_EQ(card.handlePoints(true)[5], QPointF(10 - p.grow, 20 - p.grow));
        EXPECT_EQ(card.handlePoints(true)[1], QPointF(110 + p.grow, 70 + p.grow));
    }
}

TEST(CanvasItem, ItemMatrixTurnsAboutTheCentre)
{
    Card card(QRectF(0, 0, 100, 50));
    EXPECT_EQ(card.center(), QPointF(50, 25));
    card.setAngle(90, false);
    const QTransform m = card.itemMatrix();
    EXPECT_EQ(m.map(QPointF(50, 25)), QPointF(50, 25));
    const QPointF corner = m.map(QPointF(0, 0));
    EXPECT_NEAR(corner.x(), 75, 1e-9);
    EXPECT_NEAR(corner.y(), -25, 1e-9);
}

TEST_F(CanvasTest, UpdateNotifiesTheParentOnThePage)
{
    auto* group = new Card(QRectF(10, 10, 100, 100));
    auto* child = new Card(QRectF(20, 20, 10, 10));
    auto* orphan = new Card(QRectF(200, 20, 10, 10));
    host.addItem(group);
    host.addItem(child);
    host.addItem(orphan);
    child->setParentId(group->ownId());
    orphan->setParentId(QUuid::createUuid());

    child->update();
    EXPECT_EQ(group->changedChildren, QList<QUuid>{child->ownId()});

    // A parent that is not on the page is nobody to notify; the item still
    // repaints and drops its cached pixmaps.
    host.page().clearChanges();
    orphan->update();
    EXPECT_EQ(cellSet(host.page().changedChunks()), cellSet(orphan->chunks()));
    EXPECT_EQ(group->changedChildren.size(), 1);
}

TEST_F(CanvasTest, ChildItemsFollowTheChildMap)
{
    auto* group = new Card();
    auto* first = new Card();
    auto* second = new Card();
    auto* stranger = new Card();
    for (Card* c : {group, second, stranger, first})
        host.addItem(c);
    QMap<QUuid, TCanvasChildRecord> children;
    children.insert(first->ownId(), {});
    children.insert(second->ownId(), {});
    children.insert(QUuid::createUuid(), {});  // not on the page
    group->setChildMap(children);

    TCanvasItemList expected;
    for (const QUuid& id : children.keys())
        if (id == first->ownId())
            expected << first;
        else if (id == second->ownId())
            expected << second;
    EXPECT_EQ(TCanvasItem::childItems(group), expected);
    EXPECT_TRUE(TCanvasItem::childItems(nullptr).isEmpty());
    Card loose;
    loose.setChildMap(children);
    EXPECT_TRUE(TCanvasItem::childItems(&loose).isEmpty()) << "no canvas, no children";
}

TEST_F(CanvasTest, PluginIdentifierAndProgressComeFromTheOwningPlugin)
{
    Card card;
    EXPECT_TRUE(card.pluginId().isNull());
    card.setOwnerPlugin(plugin.get());
    EXPECT_EQ(card.pluginId(), QUuid(LUMATRA_TEST_PLUGIN_ID));
    EXPECT_EQ(card.properties()->bag(0)->pluginId(), QUuid(LUMATRA_TEST_PLUGIN_ID));

    auto* progress = static_cast<IProgress*>(plugin->qt_metacast("IProgress"));
    ASSERT_NE(progress, nullptr);
    lumatra::BoxItem waiting(112, QStringLiteral("MS"), QRectF(0, 0, 10, 10), progress);
    host.clearJournal();
    waiting.beginProgress();
    EXPECT_EQ(host.cursorDepth(), 1);
    EXPECT_EQ(host.currentCursor().shape(), Qt::WaitCursor);
    waiting.endProgress();
    EXPECT_EQ(host.journal(), QStringList({"setCursor(3)", "restoreCursor()"}));
    card.beginProgress();  // no progress interface: nothing
    EXPECT_EQ(host.journal().size(), 2);

    // An owner that is gone leaves the item without a plug-in.
    auto other = std::make_unique<lumatra::TestPlugin>();
    card.setOwnerPlugin(other.get());
    other.reset();
    EXPECT_TRUE(card.pluginId().isNull());
}

TEST(EmptyPlugin, InstanceIsTheNewestObjectAlive)
{
    EXPECT_EQ(TEmptyPlugin::instance(), nullptr);
    auto first = std::make_unique<TEmptyPlugin>();
    EXPECT_EQ(TEmptyPlugin::instance(), first.get());
    EXPECT_EQ(TEmptyPlugin::instanceHost(), nullptr);
    lumatra::RecordingHost host;
    first->setHost(&host);
    EXPECT_EQ(TEmptyPlugin::instanceHost(), &host);
    auto second = std::make_unique<TEmptyPlugin>();
    EXPECT_EQ(TEmptyPlugin::instance(), second.get());
    first.reset();
    EXPECT_EQ(TEmptyPlugin::instance(), second.get()) << "deleting an older object keeps the newer one";
    second.reset();
    EXPECT_EQ(TEmptyPlugin::instance(), nullptr);
}

TEST(CanvasItem, PluginDataIsOneEmptyBlock)
{
    Card card;
    EXPECT_EQ(written([&](TDataStream& s) { card.writePluginData(s); }), QByteArray(4, '\0'));
    QByteArray bytes = QByteArray::fromHex("00000003aabbcc" "00000001");
    TDataStream s(&bytes, QIODevice::ReadOnly);
    card.readPluginData(s);
    qint32 after = 0;
    s >> after;
    EXPECT_EQ(after, 1);
}

TEST(CanvasItem, HandingOutThePropertiesNotifiesEveryBag)
{
    struct CountingBag : TItemPropertiesBag {
        int notices = 0;
        void aboutToHandOut() override { ++notices; }
    };
    Card card;
    auto* bag = new CountingBag;
    card.properties()->addBag(bag);
    EXPECT_EQ(bag->notices, 0) << "the notice came before the bag was there";
    card.properties();
    EXPECT_EQ(bag->notices, 1);
}

TEST(CanvasItem, PixmapCacheKeepsEachExactDeviceSize)
{
    Card card(QRectF(0, 0, 3, 4));
    card.setPen(QPen(Qt::NoPen));
    QImage target(20, 20, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    QPainter painter(&target);

    card.draw(painter);
    EXPECT_EQ(card.cachedPixmapCount(), 0) << "no cache unless the item wants it";
    EXPECT_EQ(card.paints, 1);

    card.useCache(true);
    ASSERT_TRUE(card.usesPixmapCache(painter));
    card.draw(painter);  // 3 x 4
    painter.save();
    painter.scale(4.0 / 3.0, 3.0 / 4.0);
    card.draw(painter);  // 4 x 3: 3^2 + 4^2 = 4^2 + 3^2, yet another size
    painter.restore();
    EXPECT_EQ(card.cachedPixmapCount(), 2);
    EXPECT_EQ(card.cachedPixmap(QSize(3, 4)).size(), QSize(3, 4));
    EXPECT_EQ(card.cachedPixmap(QSize(4, 3)).size(), QSize(4, 3));
    EXPECT_EQ(card.paints, 3);

    card.draw(painter);  // 3 x 4 again: blitted from the cache
    EXPECT_EQ(card.paints, 3);

    card.update();
    EXPECT_EQ(card.cachedPixmapCount(), 0) << "any update empties the cache";
    card.draw(painter);
    EXPECT_EQ(card.paints, 4);

    // Sizes the cache does not take are drawn directly.
    painter.scale(1e6, 1e6);
    EXPECT_FALSE(card.usesPixmapCache(painter));
}

TEST(CanvasItem, CachedDrawingMatchesDirectDrawing)
{
    // The same turned card drawn directly and through the cache lands in the
    // same place: its centre takes its colour, a corner of its bounding box
    // outside the turned card stays white.
    for (bool cached : {false, true}) {
        SCOPED_TRACE(cached);
        Card card(QRectF(20, 20, 60, 20), Qt::red);
        card.useCache(cached);
        card.setAngle(45, false);
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            card.draw(painter);
        }
        EXPECT_EQ(card.cachedPixmapCount(), cached ? 1 : 0);
        EXPECT_EQ(QColor(image.pixel(45, 35)), QColor(Qt::red));
        EXPECT_EQ(QColor(image.pixel(24, 24)), QColor(Qt::white));
        EXPECT_EQ(QColor(image.pixel(75, 24)), QColor(Qt::white));
    }
}

TEST_F(CanvasTest, PageWithTurnedItemsRendersToPng)
{
    lumatra::RecordingHost page(2480, 1754, 16);
    struct Placed {
        QRectF rect;
        QColor colour;
        double angle;
    };
    const QList<Placed> cards = {
        {QRectF(150, 150, 900, 500), QColor(70, 130, 180), 0},
        {QRectF(1300, 150, 900, 500), QColor(220, 120, 60), 30},
        {QRectF(200, 900, 900, 500), QColor(60, 160, 90), 300},
        {QRectF(1400, 1000, 700, 300), QColor(150, 80, 170), 90},
    };
    QList<Card*> made;
    for (const Placed& p : cards) {
        auto* card = new Card(p.rect, p.colour);
        card->useCache(true);
        card->setAngle(p.angle, false);
        page.addItem(card);
        made << card;
    }
    TMolecule water;
    TAtom o;
    o.setElement(QStringLiteral("O"));
    TAtom h1;
    h1.setElement(QStringLiteral("H"));
    h1.x = -0.8;
    h1.y = -0.6;
    TAtom h2 = h1;
    h2.x = 0.8;
    water.addAtom(o);
    water.addAtom(h1);
    water.addAtom(h2);
    for (int i = 1; i <= 2; ++i) {
        TBond bond;
        bond.first = 0;
        bond.second = i;
        water.addBond(bond);
    }
    page.addItem(page.moleculePeer()->makeItem(water, QUuid(), QRectF(1500, 1550, 300, 180)));
    page.addItem(new lumatra::HtmlTextItem(QStringLiteral("<h1>Page</h1><p>turned items through the cache</p>"),
                                           QStringLiteral("Text"), QString(), QRectF(100, 1500, 1200, 200)));

    const QImage image = page.page().renderImage(0.4);
    const QString path = QStringLiteral(KS_BINARY_DIR "/canvas_page.png");
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    for (int i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(i);
        // Inside the card, off its diagonal line: the card's colour.
        const QPointF inside = made[i]->itemMatrix().map(made[i]->center() + QPointF(0, 100)) * 0.4;
        EXPECT_EQ(QColor(image.pixel(inside.toPoint())), cards[i].colour);
        EXPECT_EQ(made[i]->cachedPixmapCount(), 1);
    }
    // The turned card (30 degrees) leaves the corner of its bounding box
    // white.
    const QRect box = made[1]->boundingRect();
    EXPECT_EQ(QColor(image.pixel((QPointF(box.bottomLeft()) * 0.4).toPoint() + QPoint(3, -3))), QColor(Qt::white));
}
