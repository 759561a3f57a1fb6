// The item list operations, null entries among them.
#include "canvastest.h"

using namespace canvastest;

namespace {

// A card of a type code, showing an object.
class TypedCard : public Card {
public:
    TypedCard(int type, const QUuid& object = QUuid()) : m_type(type), m_object(object) {}
    int rtti() const override { return m_type; }
    QUuid objectId() const override { return m_object; }

private:
    int m_type;
    QUuid m_object;
};

}  // namespace

TEST_F(CanvasTest, TypesActiveItemsAndObjects)
{
    const QUuid water = QUuid::createUuid(), salt = QUuid::createUuid();
    auto* mass1 = new TypedCard(112);
    auto* mol1 = new TypedCard(110, water);
    auto* mass2 = new TypedCard(112);
    auto* mol2 = new TypedCard(110, salt);
    auto* mol3 = new TypedCard(110, water);
    auto* text = new TypedCard(107);
    for (Card* c : {mass1, mol1, mass2, mol2, mol3, text})
        host.addItem(c);
    const TCanvasItemList list = {nullptr, mass1, mol1, mass2, mol2, nullptr, mol3, text};

    EXPECT_EQ(list.countOfType(112), 2);
    EXPECT_EQ(list.countOfType(113), 0);
    EXPECT_EQ(list.firstOfType(110), mol1);
    EXPECT_EQ(list.firstOfType(113), nullptr);
    EXPECT_EQ(list.activeOfType(112), mass1) << "no active item: the first of the type";
    mass2->setActive(true);
    EXPECT_EQ(list.activeOfType(112), mass2);
    EXPECT_EQ(list.activeOfType(110), mol1);
    EXPECT_EQ(list.itemsOfType(110), TCanvasItemList({mol1, mol2, mol3}));
    EXPECT_EQ(list.canvasesOf().size(), 6);
    EXPECT_EQ(list.canvasesOf().count(&host.page()), 6);
    EXPECT_EQ(list.findItem(mol2->ownId()), mol2);
    EXPECT_EQ(list.findItem(QUuid::createUuid()), nullptr);
    EXPECT_EQ(list.findItem(QUuid()), nullptr);

    EXPECT_EQ(list.distinctObjectIds(), QList<QUuid>({water, salt}));
    EXPECT_EQ(list.itemByObjectId(water), mol1);
    EXPECT_EQ(list.itemByObjectId(QUuid::createUuid()), nullptr);
    EXPECT_EQ(list.distinctObjectItems(), TCanvasItemList({mol1, mol2}));

    EXPECT_EQ(list.activeItem(), mass2);
    mass2->setActive(false);
    EXPECT_EQ(list.activeItem(), nullptr) << "no active item: the first entry, here a null one";
    EXPECT_EQ(TCanvasItemList({mol1, mass1}).activeItem(), mol1);
    EXPECT_EQ(TCanvasItemList().activeItem(), nullptr);
    EXPECT_EQ(TCanvasItemList(mass1).size(), 1);
}

TEST_F(CanvasTest, GroupsAndTheirChildren)
{
    auto* group = new Card();
    auto* child1 = new Card();
    auto* child2 = new Card();
    auto* lone = new Card();
    auto* orphan = new Card();
    for (Card* c : {group, child1, child2, lone, orphan})
        host.addItem(c);
    QMap<QUuid, TCanvasChildRecord> children;
    children.insert(child1->ownId(), {});
    children.insert(child2->ownId(), {});
    group->setChildMap(children);
    child1->setParentId(group->ownId());
    child2->setParentId(group->ownId());
    orphan->setParentId(QUuid::createUuid());
    const TCanvasItemList groupChildren = TCanvasItem::childItems(group);
    ASSERT_EQ(groupChildren.size(), 2);

    const TCanvasItemList list = {child1, group, nullptr, lone, orphan};
    EXPECT_EQ(list.topLevelItems(), TCanvasItemList({group, nullptr, lone, orphan}));
    // A child whose group is not listed is a top-level entry.
    EXPECT_EQ(TCanvasItemList({child2, lone}).topLevelItems(), TCanvasItemList({child2, lone}));

    TCanvasItemList expected = {group};
    expected << groupChildren << nullptr << lone << orphan;
    EXPECT_EQ(list.withChildItems(), expected);
}

TEST(ItemList, SortByZ)
{
    Card a, b, c, d, nan;
    a.setZ(1);
    b.setZ(3);
    c.setZ(2);
    d.setZ(2);
    nan.setZ(std::numeric_limits<double>::quiet_NaN());
    const TCanvasItemList three = {&a, &b, &c};
    EXPECT_EQ(three.sortByZ(0), TCanvasItemList({&b, &c, &a}));
    EXPECT_EQ(three.sortByZ(1), TCanvasItemList({&a, &c, &b}));
    EXPECT_EQ(three.sortByZ(2), three);
    EXPECT_EQ(three.sortByZ(-1), three);

    // Equal z: by address, descending for order 0, ascending for order 1.
    Card* low = std::less<Card*>()(&c, &d) ? &c : &d;
    Card* high = low == &c ? &d : &c;
    EXPECT_EQ(TCanvasItemList({low, high}).sortByZ(0), TCanvasItemList({high, low}));
    EXPECT_EQ(TCanvasItemList({high, low}).sortByZ(1), TCanvasItemList({low, high}));

    // z that is not a number after the others, null entries last.
    const TCanvasItemList mixed = {nullptr, &nan, &a, &b};
    EXPECT_EQ(mixed.sortByZ(0), TCanvasItemList({&b, &a, &nan, nullptr}));
    EXPECT_EQ(mixed.sortByZ(1), TCanvasItemList({&a, &b, &nan, nullptr}));
}
