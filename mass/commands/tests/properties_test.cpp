// Property commands: geometry, shape, layout template properties and the
// plot properties of mass items, with the bags that build them.
#include "commandtest.h"

#include "pageitems.h"
#include "tcmdlist.h"
#include "tcmdproperties.h"
#include "tmassspectrumpropertiesbag.h"
#include "tplotpropertiesbag.h"

using namespace cmdtest;

namespace {

QColor penOf(TCanvasMass* item, int plot)
{
    return static_cast<T1DMassPlot*>(item->plotAtIndex(plot))->tracePen().color();
}

}  // namespace

class PropertyCommand : public CommandTest {
protected:
    lumatra::BoxItem* box(const QRectF& rect)
    {
        auto* b = new lumatra::BoxItem(RectangleItemType, QStringLiteral("Box"), rect);
        host.addItem(b);
        return b;
    }
};

TEST_F(PropertyCommand, GeometryScalesMovesAndTurns)
{
    lumatra::BoxItem* b = box(QRectF(100, 100, 200, 100));
    auto* geometry = new TCmdGeomProperties(b, QPointF(500, 500), QSizeF(400, 50), 30, false);
    EXPECT_EQ(geometry->name, QByteArray("Set geometry properties"));
    EXPECT_EQ(geometry->oldCentre, QPointF(200, 150));
    host.executeCommand(geometry);
    EXPECT_EQ(b->geometry().boundingRect(), QRectF(300, 475, 400, 50));
    EXPECT_EQ(b->angle(), 30);
    host.undo();
    EXPECT_EQ(b->geometry().boundingRect(), QRectF(100, 100, 200, 100));
    EXPECT_EQ(b->angle(), 0);
    EXPECT_EQ(host.history().records.size(), 0);
}

TEST_F(PropertyCommand, ShapeWithOnlyANewPen)
{
    lumatra::BoxItem* b = box(QRectF(0, 0, 10, 10));
    const QBrush brush = b->brush();
    auto* shape = new TCmdShapeProperties(b, brush, QPen(Qt::red, 3));
    EXPECT_EQ(shape->name, QByteArray("Set Shape Properties"));
    host.executeCommand(shape);
    EXPECT_EQ(b->pen(), QPen(Qt::red, 3));
    EXPECT_EQ(b->brush(), brush);
    host.undo();
    EXPECT_EQ(b->pen(), shape->oldPen);
}

TEST_F(PropertyCommand, LayoutTemplateTakesTheBagAndGivesItBack)
{
    TCanvasMass* item = massItem();
    auto* layout = new lumatra::LayoutTemplateItem(QStringLiteral("MS"), item->subtype(), QRectF(0, 0, 100, 100));
    host.addItem(layout);
    TItemProperties* templ = templatePropertiesOf(layout);
    ASSERT_EQ(templ, layout->templateProperties());
    // The template's bag, empty, carrying the plug-in's identifier (so that
    // the host can make it again when the item's properties copy it).
    auto* empty = new TMassSpectrumPropertiesBag(emptyItem());
    ASSERT_FALSE(empty->pluginId().isNull());
    templ->addBag(empty);
    templ->setItem(layout);
    static_cast<T1DMassPlot*>(item->plotAtIndex(0))->setTracePen(QPen(QColor(1, 2, 3)));
    TMassSpectrumPropertiesBag bag(item);
    bag.setChanged(true);
    TCommand* command = massBagCommand(bag, layout);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->name, QByteArray("Set Layout Template Item Properties"));
    host.executeCommand(command);
    auto* held = static_cast<TMassSpectrumPropertiesBag*>(templ->bagOfType(TItemPropertiesBag::MassSpectrum));
    ASSERT_EQ(held->plotBags().size(), 2);
    EXPECT_EQ(held->plotBags().at(0)->lineProperties().tracePen().color(), QColor(1, 2, 3));
    // The item's own properties follow the template.
    auto* own = static_cast<TMassSpectrumPropertiesBag*>(layout->properties()->bagOfType(TItemPropertiesBag::MassSpectrum));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->plotBags().size(), 2);
    host.undo();
    held = static_cast<TMassSpectrumPropertiesBag*>(templ->bagOfType(TItemPropertiesBag::MassSpectrum));
    EXPECT_TRUE(held->plotBags().isEmpty());
}

TEST_F(PropertyCommand, WithoutAnItemBagNothingChanges)
{
    TCanvasMass* item = massItem();
    auto* layout = new lumatra::LayoutTemplateItem(QStringLiteral("MS"), item->subtype(), QRectF(0, 0, 100, 100));
    host.addItem(layout);
    const int own = layout->properties()->count();
    TMassSpectrumPropertiesBag bag(item);
    auto* command = new TCmdLayoutItemProperties(layout, &bag);
    EXPECT_EQ(command->itemBag, nullptr);
    host.executeCommand(command);
    EXPECT_FALSE(command->isApplied());
    host.undo();
    EXPECT_EQ(layout->properties()->count(), own);
    // A host item that is no layout template, and no bag at all.
    TCmdLayoutItemProperties none(box(QRectF(0, 0, 5, 5)), nullptr);
    none.redo();
    EXPECT_FALSE(none.isApplied());
    // An unchanged bag gives no command.
    EXPECT_EQ(massBagCommand(bag, item), nullptr);
}

TEST_F(PropertyCommand, PlotPropertiesOfSeveralItems)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    TCanvasMass* other = massItem();
    other->removePlotObject(other->plotAtIndex(1)->id());  // another subtype text
    ASSERT_NE(other->subtype(), a->subtype());
    static_cast<T1DMassPlot*>(b->plotAtIndex(0))->setTracePen(QPen(QColor(9, 9, 9)));
    const QColor otherPen = penOf(other, 0);
    static_cast<T1DMassPlot*>(a->plotAtIndex(0))->setTracePen(QPen(QColor(200, 0, 0)));
    TMassSpectrumPropertiesBag bag(a);
    // The previous values are those at construction.
    static_cast<T1DMassPlot*>(a->plotAtIndex(0))->setTracePen(QPen(QColor(1, 1, 1)));
    auto* command = new TCmdMSPlotProperties({a, b, other}, &bag);
    EXPECT_EQ(command->name, QByteArray("Set Mass Spectrum Properties"));
    host.executeCommand(command);
    EXPECT_EQ(penOf(a, 0), QColor(200, 0, 0));
    EXPECT_EQ(penOf(b, 0), QColor(200, 0, 0));
    EXPECT_EQ(penOf(other, 0), otherPen);
    EXPECT_EQ(command->records.size(), 2);  // none for the other subtype
    host.undo();
    // Each item's own previous properties.
    EXPECT_EQ(penOf(a, 0), QColor(1, 1, 1));
    EXPECT_EQ(penOf(b, 0), QColor(9, 9, 9));
}

TEST_F(PropertyCommand, MultiItemBagBuildsOneList)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    TCanvasMass* c = massItem();
    static_cast<T1DMassPlot*>(b->plotAtIndex(0))->setTracePen(QPen(QColor(9, 9, 9)));
    TMultiMassSpectrumPropertiesBag multi(a, {a, b, c});
    multi.readFromItem(false);
    multi.plotBags().at(0)->lineProperties().setTracePen(QPen(QColor(0, 128, 0)));
    multi.setChanged(true);
    TCommand* list = multiMassBagCommand(multi, a);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->name, QByteArray("Set Selected Mass Spectra Properties"));
    EXPECT_EQ(static_cast<TCmdList*>(list)->count(), 3);
    host.executeCommand(list);
    for (TCanvasMass* i : {a, b, c})
        EXPECT_EQ(penOf(i, 0), QColor(0, 128, 0));
    host.undo();
    EXPECT_EQ(penOf(b, 0), QColor(9, 9, 9));

    // Items whose subtype texts differ from the bag's item: no command.
    TCanvasMass* lone = massItem();
    lone->removePlotObject(lone->plotAtIndex(1)->id());
    TMultiMassSpectrumPropertiesBag mixed(lone, {a, b});
    mixed.readFromItem(false);
    mixed.setChanged(true);
    EXPECT_EQ(multiMassBagCommand(mixed, lone), nullptr);
}

TEST_F(PropertyCommand, GeometryOfZeroWidthAndNaturalSize)
{
    // Zero width: the horizontal factor is 1.
    lumatra::BoxItem* line = box(QRectF(100, 100, 0, 100));
    host.executeCommand(new TCmdGeomProperties(line, QPointF(100, 300), QSizeF(50, 200), 0, false));
    EXPECT_EQ(line->geometry().boundingRect(), QRectF(100, 200, 0, 200));
    host.undo();
    EXPECT_EQ(line->geometry().boundingRect(), QRectF(100, 100, 0, 100));

    // Natural size: redo switches it on and centres the item; undo scales
    // back from the size the item kept to the old one.
    lumatra::BoxItem* b = box(QRectF(0, 0, 200, 100));
    auto* natural = new TCmdGeomProperties(b, QPointF(400, 400), QSizeF(10, 10), 0, true);
    host.executeCommand(natural);
    EXPECT_EQ(b->geometry().boundingRect().center(), QPointF(400, 400));
    host.undo();
    EXPECT_EQ(b->geometry().boundingRect(), QRectF(0, 0, 200, 100));
}

// The bags' apply, as the host calls it (through the base class) once the
// plug-in has registered its commands with them.
class BagApply : public PropertyCommand {
protected:
    void SetUp() override
    {
        PropertyCommand::SetUp();
        registerBagCommands();
    }
    void TearDown() override
    {
        setBagCommandMaker(nullptr);
        PropertyCommand::TearDown();
    }
    // Applies the bag to the item and checks the command's name.
    TCommand* applied(TItemPropertiesBag& bag, TCanvasItem* item, const char* name)
    {
        TCommand* command = bag.apply(item);
        EXPECT_NE(command, nullptr) << name;
        if (command) {
            EXPECT_EQ(command->name, QByteArray(name));
        }
        return command;
    }
};

TEST_F(BagApply, GeometryAndShapeBagsGiveTheirCommands)
{
    lumatra::BoxItem* b = box(QRectF(100, 100, 200, 100));
    TItemPropertiesBagPtr geometry(new TItemPropGeometryBag(b, false));
    auto* g = static_cast<TItemPropGeometryBag*>(geometry.data());
    g->readFromItem(false);
    EXPECT_EQ(geometry->apply(b), nullptr);  // nothing edited
    g->setX(1.0, true);
    g->setWidth(1.0, true);
    g->setAngle(45);
    TCommand* command = applied(*geometry, b, "Set geometry properties");
    ASSERT_NE(command, nullptr);
    EXPECT_FALSE(geometry->isChanged());
    EXPECT_EQ(geometry->apply(b), nullptr);  // applied once
    host.executeCommand(command);
    EXPECT_EQ(b->geometry().boundingRect(), QRectF(150, 100, 300, 100));
    EXPECT_EQ(b->angle(), 45);
    host.undo();
    EXPECT_EQ(b->geometry().boundingRect(), QRectF(100, 100, 200, 100));
    EXPECT_EQ(b->angle(), 0);
    host.redo();
    EXPECT_EQ(b->geometry().boundingRect(), QRectF(150, 100, 300, 100));

    TItemPropertiesBagPtr shape(new TItemPropShapeBag(b, true));
    shape->readFromItem(false);
    const QPen pen = b->pen();
    const QBrush brush = b->brush();
    EXPECT_EQ(shape->apply(b), nullptr);
    static_cast<TItemPropShapeBag*>(shape.data())->setBrushColor(QColor(10, 20, 30));
    command = applied(*shape, b, "Set Shape Properties");
    ASSERT_NE(command, nullptr);
    host.executeCommand(command);
    EXPECT_EQ(b->brush().color(), QColor(10, 20, 30));
    EXPECT_EQ(b->pen(), pen);
    host.undo();
    EXPECT_EQ(b->brush(), brush);
    host.redo();
    EXPECT_EQ(b->brush().color(), QColor(10, 20, 30));
}

TEST_F(BagApply, MassBagGivesThePlotOrTemplateCommand)
{
    TCanvasMass* item = massItem();
    const QColor before = penOf(item, 0);
    TItemPropertiesBagPtr bag(new TMassSpectrumPropertiesBag(item));
    auto* mass = static_cast<TMassSpectrumPropertiesBag*>(bag.data());
    EXPECT_EQ(bag->apply(item), nullptr);  // nothing edited
    mass->plotBags().at(0)->lineProperties().setTracePen(QPen(QColor(0, 0, 200)));
    bag->setChanged(true);
    TCommand* command = applied(*bag, item, "Set Mass Spectrum Properties");
    ASSERT_NE(command, nullptr);
    host.executeCommand(command);
    EXPECT_EQ(penOf(item, 0), QColor(0, 0, 200));
    host.undo();
    EXPECT_EQ(penOf(item, 0), before);
    host.redo();
    EXPECT_EQ(penOf(item, 0), QColor(0, 0, 200));

    // A layout template takes the bag into its template properties.
    auto* layout = new lumatra::LayoutTemplateItem(QStringLiteral("MS"), item->subtype(), QRectF(0, 0, 100, 100));
    host.addItem(layout);
    templatePropertiesOf(layout)->addBag(new TMassSpectrumPropertiesBag(emptyItem()));
    templatePropertiesOf(layout)->setItem(layout);
    bag->setChanged(true);
    command = applied(*bag, layout, "Set Layout Template Item Properties");
    ASSERT_NE(command, nullptr);
    host.executeCommand(command);
    auto* held = static_cast<TMassSpectrumPropertiesBag*>(
        templatePropertiesOf(layout)->bagOfType(TItemPropertiesBag::MassSpectrum));
    ASSERT_EQ(held->plotBags().size(), 2);
    EXPECT_EQ(held->plotBags().at(0)->lineProperties().tracePen().color(), QColor(0, 0, 200));
    host.undo();
    held = static_cast<TMassSpectrumPropertiesBag*>(
        templatePropertiesOf(layout)->bagOfType(TItemPropertiesBag::MassSpectrum));
    EXPECT_TRUE(held->plotBags().isEmpty());

    // Another host item: no command.
    bag->setChanged(true);
    EXPECT_EQ(bag->apply(box(QRectF(0, 0, 5, 5))), nullptr);
}

TEST_F(BagApply, MultiItemBagGivesOneList)
{
    TCanvasMass* a = massItem();
    TCanvasMass* b = massItem();
    TCanvasMass* c = massItem();
    static_cast<T1DMassPlot*>(c->plotAtIndex(0))->setTracePen(QPen(QColor(9, 9, 9)));
    TItemPropertiesBagPtr bag(new TMultiMassSpectrumPropertiesBag(a, {a, b, c}));
    auto* multi = static_cast<TMultiMassSpectrumPropertiesBag*>(bag.data());
    multi->readFromItem(false);
    EXPECT_EQ(bag->apply(a), nullptr);  // nothing edited
    multi->plotBags().at(0)->lineProperties().setTracePen(QPen(QColor(0, 128, 0)));
    bag->setChanged(true);
    TCommand* list = applied(*bag, a, "Set Selected Mass Spectra Properties");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(static_cast<TCmdList*>(list)->count(), 3);
    host.executeCommand(list);
    for (TCanvasMass* i : {a, b, c})
        EXPECT_EQ(penOf(i, 0), QColor(0, 128, 0));
    host.undo();
    EXPECT_EQ(penOf(c, 0), QColor(9, 9, 9));
    EXPECT_NE(penOf(a, 0), QColor(0, 128, 0));
    host.redo();
    EXPECT_EQ(penOf(c, 0), QColor(0, 128, 0));
}

TEST_F(BagApply, WithoutRegisteredCommandsNothingChanges)
{
    setBagCommandMaker(nullptr);
    lumatra::BoxItem* b = box(QRectF(0, 0, 200, 100));
    TItemPropertiesBagPtr geometry(new TItemPropGeometryBag(b, false));
    geometry->readFromItem(false);
    static_cast<TItemPropGeometryBag*>(geometry.data())->setWidth(1.0, true);
    TItemPropertiesBagPtr shape(new TItemPropShapeBag(b, true));
    static_cast<TItemPropShapeBag*>(shape.data())->setPenWidth(7);
    TCanvasMass* item = massItem();
    const QColor pen = penOf(item, 0);
    TItemPropertiesBagPtr mass(new TMassSpectrumPropertiesBag(item));
    static_cast<TMassSpectrumPropertiesBag*>(mass.data())->plotBags().at(0)->lineProperties().setTracePen(QPen(Qt::red));
    TItemPropertiesBagPtr multi(new TMultiMassSpectrumPropertiesBag(item, {item}));
    for (const TItemPropertiesBagPtr& bag : {geometry, shape, mass, multi}) {
        bag->setChanged(true);
        EXPECT_EQ(bag->apply(bag == mass || bag == multi ? static_cast<TCanvasItem*>(item) : b), nullptr)
            << bag->bagType();
        EXPECT_TRUE(bag->isChanged());  // the edit is kept for a later apply
    }
    EXPECT_EQ(b->geometry().boundingRect(), QRectF(0, 0, 200, 100));
    EXPECT_NE(b->pen().widthF(), 7);
    EXPECT_EQ(penOf(item, 0), pen);
    EXPECT_EQ(host.history().records.size(), 0);
}
