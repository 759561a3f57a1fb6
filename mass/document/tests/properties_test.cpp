// The property container and its geometry and shape bags: stored forms
// against fixtures, round trips, the setters' units and thresholds, bags
// of other plug-ins made through the host, resynchronisation after a bag
// that reads too little, every cut of a container.
#include "canvastest.h"

#include "temptyplugin.h"

#include <cmath>
#include <limits>

using namespace canvastest;

namespace {

// A bag kind of the test plug-in (type 9): an int and a text.
class ForeignBag : public TItemPropertiesBag {
public:
    int bagType() const override { return 9; }
    void read(TDataStream& s) override
    {
        s >> number;
        if (!readsLittle)
            s.readString(text);
    }
    void write(TDataStream& s) const override { s << number << text; }

    qint32 number = 0;
    QString text;
    bool readsLittle = false;
};

class BagPlugin : public lumatra::TestPlugin {
public:
    TItemPropertiesBag* createPropertiesBag(int kind) override
    {
        if (kind != 9)
            return nullptr;
        auto* bag = new ForeignBag;
        bag->readsLittle = readsLittle;
        return bag;
    }
    bool readsLittle = false;
};

}  // namespace

// TItemProperties is not copyable: read into one in place.
#define READ_CONTAINER(name, bytes, status)                                                                         \
    TItemProperties name(nullptr);                                                                                  \
    QDataStream::Status status = QDataStream::Ok;                                                                   \
    do {                                                                                                            \
        QByteArray b_ = (bytes);                                                                                    \
        TDataStream s_(&b_, QIODevice::ReadOnly);                                                                   \
        name.read(s_);                                                                                              \
        status = s_.status();                                                                                       \
    } while (0)

TEST(Properties, NewContainerWithNullTexts)
{
    TItemProperties p(nullptr);
    ASSERT_EQ(p.count(), 1);
    EXPECT_TRUE(static_cast<TItemPropGeometryBag*>(p.bag(0))->diagonalDisabled());
    EXPECT_EQ(p.bag(1), nullptr);
    EXPECT_EQ(p.bag(-1), nullptr);
    // Fields: empty header, value 0, null type and subtype (FFFFFFFF each),
    // the ignored bool, a null plug-in identifier; then the bag section.
    const QByteArray bytes = written([&](TDataStream& s) { p.write(s); });
    EXPECT_EQ(bytes.left(33).toHex().toStdString(),
              "00000000" "00000000" "ffffffff" "ffffffff" "00" "00000000000000000000000000000000");
    EXPECT_EQ(bytes.mid(33, 8).toHex().toStdString(), "00000000" "00000001");
}

TEST(Properties, FixtureReadsAndWritesBackTheSameBytes)
{
    READ_CONTAINER(p, record("properties.bin"), status);
    ASSERT_EQ(status, QDataStream::Ok);
    EXPECT_EQ(p.value(), 7);
    EXPECT_TRUE(p.typeName().isNull());
    EXPECT_TRUE(p.subtypeName().isEmpty());
    EXPECT_FALSE(p.subtypeName().isNull());
    ASSERT_EQ(p.count(), 2);
    auto* g = static_cast<TItemPropGeometryBag*>(p.bagOfType(TItemPropertiesBag::Geometry));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->origin(), QPointF(0, 0));
    EXPECT_EQ(g->centre(), QPointF(300, 150));
    EXPECT_EQ(g->size(), QSizeF(600, 300));
    EXPECT_EQ(g->angle(), 45.0);
    EXPECT_TRUE(g->flag());
    auto* shape = static_cast<TItemPropShapeBag*>(p.bagOfType(TItemPropertiesBag::Shape));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->brush(), QBrush(QColor(255, 0, 0)));
    EXPECT_EQ(shape->pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(shape->pen().widthF(), 1.5);
    EXPECT_EQ(shape->pen().capStyle(), Qt::RoundCap);
    EXPECT_EQ(shape->pen().joinStyle(), Qt::RoundJoin);
    EXPECT_TRUE(shape->flag());
    EXPECT_EQ(p.bagOfType(5), nullptr);

    EXPECT_EQ(written([&](TDataStream& s) { p.write(s); }).toHex().toStdString(),
              record("properties.bin").toHex().toStdString());
}

TEST(Properties, GeometryBagRoundTrip)
{
    Card card(QRectF(100, 50, 400, 200));
    card.setAngle(12.5, false);
    card.naturalSize = 1;
    TItemProperties& own = *card.properties();
    auto* g = static_cast<TItemPropGeometryBag*>(own.bag(0));
    g->readFromItem(false);
    EXPECT_EQ(g->centre(), QPointF(300, 150));
    EXPECT_EQ(g->size(), QSizeF(400, 200));
    EXPECT_EQ(g->angle(), 12.5);
    EXPECT_TRUE(g->flag());
    EXPECT_TRUE(g->itemHasNaturalSize());
    g->readFromItem(true);
    EXPECT_FALSE(g->flag()) << "the argument true clears the streamed flag";
    g->setFlag(true);

    const QByteArray bytes = written([&](TDataStream& s) { own.write(s); });
    READ_CONTAINER(copy, bytes, status);
    ASSERT_EQ(status, QDataStream::Ok);
    ASSERT_EQ(copy.count(), 1);
    auto* back = static_cast<TItemPropGeometryBag*>(copy.bag(0));
    EXPECT_EQ(back->origin(), g->origin());
    EXPECT_EQ(back->centre(), g->centre());
    EXPECT_EQ(back->size(), g->size());
    EXPECT_EQ(back->angle(), g->angle());
    EXPECT_EQ(back->flag(), g->flag());
    EXPECT_EQ(back->item(), nullptr);
}

TEST(Properties, GeometrySettersInCentimetresAndInches)
{
    TItemPropGeometryBag g(nullptr, true);
    g.setX(1.0, true);
    EXPECT_EQ(g.centre().x(), 300.0);
    EXPECT_TRUE(g.isChanged());
    g.setChanged(false);
    g.setX(1.0, true);
    EXPECT_FALSE(g.isChanged()) << "the same value again changes nothing";

    struct Case {
        const char* name;
        std::function<void(TItemPropGeometryBag&)> set;
        std::function<double(const TItemPropGeometryBag&)> get;
        double expected;
        bool changed;
    };
    static const double inf = std::numeric_limits<double>::infinity();
    const QList<Case> cases = {
        {"x in centimetres", [](auto& b) { b.setX(2.54, false); }, [](auto& b) { return b.centre().x(); },
         2.54 * kPageUnitsPerCentimetre, true},
        {"y with the origin", [](auto& b) { b.setY(1.0, true); }, [](auto& b) { return b.centre().y(); }, 310.0, true},
        {"width", [](auto& b) { b.setWidth(2.0, true); }, [](auto& b) { return b.size().width(); }, 600.0, true},
        {"height", [](auto& b) { b.setHeight(1.0, false); }, [](auto& b) { return b.size().height(); },
         kPageUnitsPerCentimetre, true},
        {"width by less than 0.01", [](auto& b) { b.setWidth(-0.995 / 300, true); },
         [](auto& b) { return b.size().width(); }, -1.0, false},
        {"width by 0.02", [](auto& b) { b.setWidth(-0.98 / 300, true); }, [](auto& b) { return b.size().width(); },
         -0.98, true},
        {"infinite x", [](auto& b) { b.setX(inf, true); }, [](auto& b) { return b.centre().x(); }, 0.0, false},
        {"x not a number", [](auto& b) { b.setX(NAN, true); }, [](auto& b) { return b.centre().x(); }, 0.0, false},
        {"angle", [](auto& b) { b.setAngle(90); }, [](auto& b) { return b.angle(); }, 90.0, true},
        {"angle by less than 0.01", [](auto& b) { b.setAngle(0.001); }, [](auto& b) { return b.angle(); }, 0.0,
         false},
        {"infinite angle", [](auto& b) { b.setAngle(-inf); }, [](auto& b) { return b.angle(); }, 0.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TItemPropGeometryBag b(nullptr, true);
        b.setOrigin(QPointF(0, 10));
        c.set(b);
        EXPECT_NEAR(c.get(b), c.expected, 1e-9);
        EXPECT_EQ(b.isChanged(), c.changed);
    }
}

TEST(Properties, GeometryAngleComparesWithTheItem)
{
    Card card;
    card.setAngle(30, false);
    TItemPropGeometryBag g(&card, true);
    g.setAngle(30.005);
    EXPECT_FALSE(g.isChanged());
    g.setAngle(0);
    EXPECT_TRUE(g.isChanged());
    EXPECT_EQ(g.angle(), 0.0);
}

TEST(Properties, DiagonalKeepsTheDirection)
{
    TItemPropGeometryBag disabled(nullptr, true);
    disabled.setWidth(1, true);
    disabled.setHeight(1, true);
    disabled.setChanged(false);
    disabled.setDiagonal(10, true);
    EXPECT_FALSE(disabled.isChanged());

    TItemPropGeometryBag g(nullptr, false);
    g.setWidth(300, true);   // 3 : 4 : 5
    g.setHeight(400, true);
    g.setChanged(false);
    g.setDiagonal(1000.0 / 300.0, true);
    EXPECT_NEAR(g.size().width(), 600, 1e-9);
    EXPECT_NEAR(g.size().height(), 800, 1e-9);
    EXPECT_TRUE(g.isChanged());
    g.setChanged(false);
    g.setDiagonal(1000.0 / 300.0, true);
    EXPECT_FALSE(g.isChanged());
    g.setDiagonal(NAN, true);
    EXPECT_FALSE(g.isChanged());
}

TEST(Properties, ShapeSettersChangeOnlyWithNewValues)
{
    Card card;
    card.setPen(QPen(Qt::blue, 3));
    card.setBrush(Qt::yellow);
    TItemPropShapeBag bag(&card, false);
    bag.readFromItem(false);
    EXPECT_EQ(bag.pen(), card.pen());
    EXPECT_EQ(bag.brush(), card.brush());

    struct Case {
        const char* name;
        std::function<void(TItemPropShapeBag&)> set;
        bool changed;
    };
    const QList<Case> cases = {
        {"same brush colour", [](auto& b) { b.setBrushColor(Qt::yellow); }, false},
        {"brush colour", [](auto& b) { b.setBrushColor(Qt::red); }, true},
        {"same brush style", [](auto& b) { b.setBrushStyle(Qt::SolidPattern); }, false},
        {"brush style", [](auto& b) { b.setBrushStyle(Qt::Dense4Pattern); }, true},
        {"same pen colour", [](auto& b) { b.setPenColor(Qt::blue); }, false},
        {"pen colour", [](auto& b) { b.setPenColor(Qt::green); }, true},
        {"same pen width", [](auto& b) { b.setPenWidth(3); }, false},
        {"pen width", [](auto& b) { b.setPenWidth(0.5); }, true},
        {"negative pen width", [](auto& b) { b.setPenWidth(-1); }, false},
        {"infinite pen width", [](auto& b) { b.setPenWidth(std::numeric_limits<double>::infinity()); }, false},
        {"pen style", [](auto& b) { b.setPenStyle(Qt::DotLine); }, true},
        {"cap", [](auto& b) { b.setCapStyle(Qt::RoundCap); }, true},
        {"same cap", [](auto& b) { b.setCapStyle(Qt::SquareCap); }, false},
        {"join", [](auto& b) { b.setJoinStyle(Qt::MiterJoin); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TItemPropShapeBag b(&card, false);
        b.readFromItem(false);
        c.set(b);
        EXPECT_EQ(b.isChanged(), c.changed);
    }
}

TEST(Properties, TypeTextsOfItemsAndLayoutTemplates)
{
    TItemProperties loose(nullptr);
    loose.setTypeTexts(QStringLiteral("Mass Table"), QStringLiteral("Peaks"));
    EXPECT_EQ(loose.typeName(), QStringLiteral("Mass Table"));
    EXPECT_EQ(loose.subtypeName(), QStringLiteral("Peaks"));

    Card card;
    card.setSubtype(QStringLiteral("Blue"));
    card.properties()->setTypeTexts(QStringLiteral("ignored"), QStringLiteral("ignored"));
    EXPECT_EQ(card.properties()->typeName(), QStringLiteral("Card"));
    EXPECT_EQ(card.properties()->subtypeName(), QStringLiteral("Blue"));

    lumatra::LayoutTemplateItem placeholder(QStringLiteral("Mass Table"), QStringLiteral("Peaks"), QRectF());
    EXPECT_EQ(placeholder.properties()->typeName(), QStringLiteral("Mass Table"));
    EXPECT_EQ(placeholder.templateProperties()->subtypeName(), QStringLiteral("Peaks"));
}

TEST_F(CanvasTest, PluginIdentifiersFollowTheItem)
{
    Card owned;
    owned.setOwnerPlugin(plugin.get());
    TItemProperties p(&owned);
    TItemPropertiesBagPtr bag(p.bag(0));
    p.setItem(nullptr);
    EXPECT_EQ(p.pluginId(), QUuid(LUMATRA_TEST_PLUGIN_ID)) << "kept from the item it had";
    EXPECT_EQ(bag->storedPluginId(), QUuid(LUMATRA_TEST_PLUGIN_ID));
    EXPECT_EQ(bag->item(), nullptr);

    // A layout template's identifier is not taken.
    lumatra::LayoutTemplateItem placeholder(QStringLiteral("T"), QStringLiteral("S"), QRectF());
    placeholder.setOwnerPlugin(plugin.get());
    TItemPropGeometryBag g(&placeholder, true);
    EXPECT_TRUE(g.pluginId().isNull());

    // A bag a page still holds lets go of its item when the item goes.
    auto* card = new Card();
    TItemPropertiesBagPtr held(card->properties()->bag(0));
    EXPECT_EQ(held->item(), card);
    delete card;
    EXPECT_EQ(held->item(), nullptr);
}

TEST_F(CanvasTest, BagsOfAnotherPluginAreMadeThroughTheHost)
{
    const QByteArray foreign = record("properties_foreign.bin");
    {
        // The test plug-in makes no bag of type 9: the frame is skipped whole.
        READ_CONTAINER(p, foreign, status);
        EXPECT_EQ(status, QDataStream::Ok);
        EXPECT_EQ(p.count(), 2);
        EXPECT_EQ(host.calls("createPropertiesBag"),
                  QStringList({"createPropertiesBag(9, {3c0c6f4e-5c1d-4d8e-9a5e-2f7b9c1d0a42}) -> null"}));
    }
    host.removePlugin(plugin.get());
    plugin.reset();
    auto maker = std::make_unique<BagPlugin>();
    host.loadPlugin(maker.get());
    host.clearJournal();
    {
        READ_CONTAINER(p, foreign, status);
        EXPECT_EQ(status, QDataStream::Ok);
        ASSERT_EQ(p.count(), 3);
        auto* bag = static_cast<ForeignBag*>(p.bag(1));
        EXPECT_EQ(bag->bagType(), 9);
        EXPECT_EQ(bag->number, 12345);
        EXPECT_EQ(bag->text, QStringLiteral("foreign"));
        EXPECT_EQ(bag->storedPluginId(), QUuid(LUMATRA_TEST_PLUGIN_ID));
        EXPECT_EQ(p.bag(2)->bagType(), TItemPropertiesBag::Shape);
        EXPECT_EQ(host.calls("createPropertiesBag"),
                  QStringList({"createPropertiesBag(9, {3c0c6f4e-5c1d-4d8e-9a5e-2f7b9c1d0a42}) -> bag"}));
        // Written again, the container gives the fixture back.
        EXPECT_EQ(written([&](TDataStream& s) { p.write(s); }).toHex().toStdString(), foreign.toHex().toStdString());
    }
    {
        // A bag that reads less than its block holds: the next bag is still
        // read from its own frame.
        maker->readsLittle = true;
        READ_CONTAINER(p, foreign, status);
        EXPECT_EQ(status, QDataStream::Ok);
        ASSERT_EQ(p.count(), 3);
        EXPECT_EQ(static_cast<TItemPropShapeBag*>(p.bag(2))->pen().widthF(), 1.5);
    }
    // Without a plug-in object there is no host to ask.
    host.removePlugin(maker.get());
    maker.reset();
    host.clearJournal();
    {
        READ_CONTAINER(p, foreign, status);
        EXPECT_EQ(status, QDataStream::Ok);
        EXPECT_EQ(p.count(), 2);
        EXPECT_TRUE(host.journal().isEmpty());
    }
}

TEST(Properties, CopyBagsFromAnotherContainer)
{
    READ_CONTAINER(source, record("properties.bin"), status);
    ASSERT_EQ(status, QDataStream::Ok);
    TItemProperties target(nullptr);
    target.addBag(nullptr);
    EXPECT_EQ(target.count(), 1) << "a null bag is not added";
    target.copyBagsFrom(source);
    ASSERT_EQ(target.count(), 2);
    EXPECT_NE(target.bag(0), source.bag(0));
    EXPECT_EQ(static_cast<TItemPropGeometryBag*>(target.bag(0))->centre(), QPointF(300, 150));
    target.clearBags();
    EXPECT_EQ(target.count(), 0);
}

TEST(Properties, DamagedContainers)
{
    // Every cut fails the stream and keeps only whole bags.
    for (const char* name : {"properties.bin", "properties_foreign.bin"}) {
        const QByteArray whole = record(name);
        for (int n = 0; n < whole.size(); ++n) {
            READ_CONTAINER(p, whole.left(n), status);
            ASSERT_NE(status, QDataStream::Ok) << name << " cut at " << n;
            ASSERT_LE(p.count(), 2);
        }
    }
    struct Case {
        const char* name;
        int at;
        const char* hex;
        QDataStream::Status status;
        int bags;
    };
    // properties.bin: the subtype text at 12, the fields end at 33, the bag
    // header block at 33, the count at 37, the first frame at 41 (header
    // 41, main length 45, type 49, identifier 53, inner length 69).
    const QList<Case> cases = {
        {"bag count beyond the data", 37, "7fffffff", QDataStream::ReadPastEnd, 0},
        {"negative bag count", 37, "ffffffff", QDataStream::Ok, 0},
        {"unknown built-in type", 49, "00000007", QDataStream::Ok, 1},
        // The inner length is not trusted: the fields within the frame count.
        {"inner block longer than the data", 69, "7ffffff0", QDataStream::Ok, 2},
        {"inner block shorter than the bag", 69, "00000004", QDataStream::ReadCorruptData, 0},
        {"subtype longer than the data", 12, "7ffffff0", QDataStream::ReadPastEnd, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = record("properties.bin");
        bytes.replace(c.at, 4, QByteArray::fromHex(c.hex));
        READ_CONTAINER(p, bytes, status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(p.count(), c.bags);
    }
}
