// The mass bags: plot bags of the visible plots and the current index,
// the stream form inside the item's property container (made again by
// the host through the plug-in's identifier), applying to an item,
// comparing and copying plot bags, several items, damaged bytes.
#include "itemtest.h"
#include "t1dmassplot.h"
#include "tmassdataobj.h"
#include "tmassspectrumpropertiesbag.h"
#include "tplotpropertiesbag.h"

using namespace itemtest;

namespace {

TMassSpecDataObj* bagSpectrum(double mz)
{
    TKSMassSpectrum s;
    EXPECT_TRUE(s.setPoints({mz, mz + 1}, {5, 50}));
    return new TMassSpecDataObj(QUuid::createUuid(), s, 1);
}

}  // namespace

class MassBags : public ItemTest {
protected:
    // Three plots, the second hidden.
    TCanvasMass* threePlots()
    {
        TCanvasMass* item = emptyItem();
        for (double mz : {100.0, 200.0, 300.0})
            item->addPlotObject(bagSpectrum(mz));
        item->setPlotVisible(item->plotAtIndex(1)->id(), false);
        return item;
    }
    static TMassSpectrumPropertiesBag* massBag(TCanvasItem* item)
    {
        return static_cast<TMassSpectrumPropertiesBag*>(
            item->properties()->bagOfType(TItemPropertiesBag::MassSpectrum));
    }
};

TEST_F(MassBags, PlotBagsOfTheVisiblePlotsAndTheCurrentIndex)
{
    TCanvasMass* item = threePlots();
    struct Case {
        const char* name;
        int current;  // plot index, -1 none
        int index;
    };
    const Case cases[] = {
        {"first plot current", 0, 0},
        {"second visible plot current", 2, 1},
        {"hidden plot current", 1, -1},
        {"no current plot", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        item->setCurrentPlot(item->plotAtIndex(c.current));
        TMassSpectrumPropertiesBag bag(item);
        EXPECT_EQ(bag.bagType(), 5);
        ASSERT_EQ(bag.plotBags().size(), 2);
        EXPECT_EQ(bag.plotBags().at(0)->plot(), item->plotAtIndex(0));
        EXPECT_EQ(bag.plotBags().at(1)->plot(), item->plotAtIndex(2));
        EXPECT_EQ(bag.currentIndex(), c.index);
    }
    // The item's own bag follows it when the container is handed out.
    item->setCurrentPlot(item->plotAtIndex(2));
    massBag(item)->readFromItem(false);
    EXPECT_EQ(massBag(item)->currentIndex(), 1);
    // A bag without an item, or of another item type, holds nothing.
    TMassSpectrumPropertiesBag empty(nullptr);
    EXPECT_TRUE(empty.plotBags().isEmpty());
    EXPECT_EQ(empty.currentIndex(), -1);
}

TEST_F(MassBags, ThroughTheItemsPropertyContainer)
{
    TCanvasMass* item = threePlots();
    item->setCurrentPlot(item->plotAtIndex(2));
    T1DMassPlot* first = static_cast<T1DMassPlot*>(item->plotAtIndex(0));
    first->setTracePen(QPen(QColor(200, 10, 10)));
    massBag(item)->readFromItem(false);

    QByteArray bytes;
    {
        TDataStream out(&bytes, QIODevice::WriteOnly);
        item->properties()->write(out);
    }
    // Read into a container of no item: the host makes the bag of type 5
    // through the plug-in's identifier.
    TItemProperties copy(nullptr);
    TDataStream in(&bytes, QIODevice::ReadOnly);
    copy.read(in);
    ASSERT_TRUE(in.ok());
    auto* bag = static_cast<TMassSpectrumPropertiesBag*>(copy.bagOfType(TItemPropertiesBag::MassSpectrum));
    ASSERT_NE(bag, nullptr);
    EXPECT_EQ(bag->storedPluginId(), plugin->id());
    ASSERT_EQ(bag->plotBags().size(), 2);
    EXPECT_EQ(bag->currentIndex(), 1);
    EXPECT_EQ(bag->plotBags().at(0)->lineProperties().tracePen().color(), QColor(200, 10, 10));
    EXPECT_EQ(comparePlotPropertiesBags(*bag->plotBags().at(0), *massBag(item)->plotBags().at(0)), 0);
    EXPECT_FALSE(host.calls("createPropertiesBag").isEmpty());

    // Applied to an item with as many visible plots: plot by plot.
    TCanvasMass* other = threePlots();
    bag->applyToItem(other);
    EXPECT_EQ(static_cast<T1DMassPlot*>(other->plotAtIndex(0))->tracePen().color(), QColor(200, 10, 10));
    EXPECT_NE(static_cast<T1DMassPlot*>(other->plotAtIndex(2))->tracePen().color(), QColor(200, 10, 10));
    // With another count nothing happens.
    TCanvasMass* single = emptyItem();
    single->addPlotObject(bagSpectrum(500));
    bag->applyToItem(single);
    EXPECT_NE(static_cast<T1DMassPlot*>(single->plotAtIndex(0))->tracePen().color(), QColor(200, 10, 10));
    bag->applyToItem(nullptr);
}

TEST_F(MassBags, StreamFormDamageAndEveryPrefix)
{
    TCanvasMass* item = threePlots();
    TMassSpectrumPropertiesBag bag(item);
    QByteArray bytes;
    {
        TDataStream out(&bytes, QIODevice::WriteOnly);
        bag.write(out);
    }
    // Empty header, then the main block: count 2, current index 0.
    EXPECT_EQ(hex(bytes.left(4)), "00 00 00 00");
    EXPECT_EQ(bytes.mid(4, 4), QByteArray::fromHex(QByteArray::number(bytes.size() - 8, 16).rightJustified(8, '0')));
    EXPECT_EQ(hex(bytes.mid(8, 8)), "00 00 00 02 00 00 00 00");
    for (int n = 0; n <= bytes.size(); ++n) {
        TMassSpectrumPropertiesBag read(nullptr);
        QByteArray prefix = bytes.left(n);
        TDataStream in(&prefix, QIODevice::ReadOnly);
        read.read(in);
        EXPECT_EQ(in.ok(), n == bytes.size()) << n;
        EXPECT_LE(read.plotBags().size(), 2);
        EXPECT_TRUE(read.currentIndex() == -1 || read.currentIndex() < read.plotBags().size());
    }
    // A main block of length 0: no plot bags; a huge count: nothing made.
    struct Case {
        const char* name;
        const char* hex;
        bool ok;
    };
    const Case cases[] = {
        {"empty main block", "00000000 00000000", true},
        {"huge count", "00000000 00000008 7fffffff 00000000", false},
        {"negative count", "00000000 00000008 ffffffff 00000000", true},
        {"index past the bags", "00000000 00000008 00000000 00000005", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMassSpectrumPropertiesBag read(item);
        QByteArray data = QByteArray::fromHex(QByteArray(c.hex).replace(' ', ""));
        TDataStream in(&data, QIODevice::ReadOnly);
        read.read(in);
        EXPECT_EQ(in.ok(), c.ok);
        EXPECT_TRUE(read.plotBags().isEmpty());
        EXPECT_EQ(read.currentIndex(), -1);
    }
}

TEST_F(MassBags, CompareCopyDescribe)
{
    TCanvasMass* item = threePlots();
    TMassSpectrumPropertiesBag bag(item);
    TMassPlotPropertiesBag& a = *bag.plotBags().at(0);
    TMassPlotPropertiesBag& b = *bag.plotBags().at(1);
    EXPECT_EQ(comparePlotPropertiesBags(a, a), 0);
    EXPECT_EQ(comparePlotPropertiesBags(a, b), 0);  // equal looks
    b.titleProperties.format += " and more";  // longer
    EXPECT_EQ(comparePlotPropertiesBags(a, b), -1);
    EXPECT_EQ(comparePlotPropertiesBags(b, a), 1);
    a.titleProperties.format = QString(b.titleProperties.format.size(), QLatin1Char('~'));  // same length
    EXPECT_EQ(comparePlotPropertiesBags(a, b), 1);  // '~' above '{' as unsigned bytes
    EXPECT_EQ(comparePlotPropertiesBags(b, a), -1);
    copyPlotPropertiesBag(a, b);
    EXPECT_EQ(comparePlotPropertiesBags(a, b), 0);

    const QUuid id = item->plotAtIndex(0)->id();
    EXPECT_EQ(bag.plotDescription(id), item->dataObject(id)->description());
    EXPECT_EQ(bag.plotDescription(QUuid::createUuid()), "");
    TMassSpectrumPropertiesBag none(nullptr);
    EXPECT_EQ(none.plotDescription(id), "");
}

TEST_F(MassBags, SeveralItems)
{
    TCanvasMass* first = threePlots();
    TCanvasMass* second = emptyItem();
    second->addPlotObject(bagSpectrum(700));
    TMultiMassSpectrumPropertiesBag bag(first, {first, second, nullptr});
    ASSERT_EQ(bag.itemBags().size(), 2);
    EXPECT_EQ(bag.plotBags().size(), 2);
    // A new plot of the second item shows in its bag once refreshed.
    second->addPlotObject(bagSpectrum(800));
    bag.readFromItem(false);
    EXPECT_EQ(static_cast<TMassSpectrumPropertiesBag*>(bag.itemBags().at(1).data())->plotBags().size(), 2);
    // Made by the plug-in for the host's selection.
    std::unique_ptr<TItemPropertiesBag> made(
        plugin->createMultiPropertiesBag(TItemPropertiesBag::MassSpectrum, 0, TCanvasItemList({first, second})));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->bagType(), 5);
}

namespace {

// A layout template item of the tests: it keeps a mass bag of its own.
class TemplateItem : public TCanvasItem {
public:
    TemplateItem() : TCanvasItem(LayoutTemplateItemType, QStringLiteral("Template"), nullptr) {}
    ~TemplateItem() override { hide(); }
    QPolygonF areaPoints() const override { return QPolygonF(QRectF(0, 0, 10, 10)); }
    void drawShape(QPainter&) override {}
    QPolygonF geometry() const override { return QPolygonF(QRectF(0, 0, 10, 10)); }
    void setGeometry(const QPolygonF&) override {}
};

}  // namespace

TEST_F(MassBags, LayoutTemplateGivesItsOwnBag)
{
    TCanvasMass* item = threePlots();
    item->setCurrentPlot(item->plotAtIndex(2));
    TemplateItem placeholder;
    TMassSpectrumPropertiesBag* own = new TMassSpectrumPropertiesBag(item);
    placeholder.properties()->addBag(own);
    TMassSpectrumPropertiesBag bag(&placeholder);
    ASSERT_EQ(bag.plotBags().size(), 2);
    EXPECT_EQ(bag.currentIndex(), 1);
    EXPECT_EQ(comparePlotPropertiesBags(*bag.plotBags().at(1), *own->plotBags().at(1)), 0);
    // The template's own bag, refreshed from the template, keeps what it
    // holds.
    own->setItem(&placeholder);
    ASSERT_EQ(own->item(), &placeholder);
    own->readFromItem(false);
    EXPECT_EQ(own->plotBags().size(), 2);
    EXPECT_EQ(own->currentIndex(), 1);
}
