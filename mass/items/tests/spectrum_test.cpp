// The spectrum item: geometry, mapping, the plot list and its current
// plot, and its plug-in data (the 40 bytes of an empty item, the current
// index rules, stored counts, unknown plot types, block lengths the data
// cannot hold, damaged bytes).
#include <QPainter>

#include <functional>

#include "itemtest.h"
#include "t1dmassplot.h"

using namespace itemtest;

namespace {

T1DMassPlot* massPlot(bool visible = true)
{
    auto* p = new T1DMassPlot(T1DMassPlot::Spectrum, T1DMassPlot::Profile, QUuid::createUuid(), nullptr);
    p->setFullRange(1, 100, 200);
    p->setFullRange(2, 0, 1000);
    p->fullZoomOut(3);
    p->setVisible(visible ? 1 : 0);
    return p;
}

// Plug-in data of a spectrum item with the given plot list writer.
QByteArray spectrumData(qint32 current, const std::function<void(TDataStream&)>& plots)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly);
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s.endBlock();
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s << QSizeF(1200, 900) << current;
    plots(s);
    s.endBlock();
    return bytes;
}

void writeEntry(TDataStream& s, qint16 type, const TBasePlot& plot)
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << type << plot.id() << qint8(plot.visible());
    plot.write(s);
    s.endBlock();
}

}  // namespace

TEST(SpectrumItem, NewItemAndItsFortyBytesOfPluginData)
{
    Strip item;
    EXPECT_EQ(item.size(), QSizeF(2400, 1800));
    EXPECT_EQ(item.plotCount(), 0);
    EXPECT_EQ(item.currentPlot(), nullptr);
    EXPECT_TRUE(item.cacheWanted());
    EXPECT_EQ(item.ownerTag(), 7u);
    EXPECT_EQ(item.extraValue(), 0);
    EXPECT_EQ(hex(pluginData(item)),
              "00 00 00 04 00 00 00 00 00 00 00 1c 00 00 00 00 40 a2 c0 00 00 00 00 00 "
              "40 9c 20 00 00 00 00 00 ff ff ff ff 00 00 00 00");
    Strip back;
    EXPECT_TRUE(readPluginData(back, pluginData(item)));
    EXPECT_EQ(back.size(), QSizeF(2400, 1800));
    EXPECT_EQ(back.plotCount(), 0);
}

TEST(SpectrumItem, GeometryAreaAndMapping)
{
    Strip item;
    item.setGeometry(QPolygonF({QPointF(500, 400), QPointF(500, 100), QPointF(100, 100), QPointF(100, 400)}));
    EXPECT_EQ(item.x(), 100);
    EXPECT_EQ(item.y(), 100);
    EXPECT_EQ(item.size(), QSizeF(400, 300));
    EXPECT_EQ(item.geometry(), QPolygonF({QPointF(100, 100), QPointF(500, 100), QPointF(500, 400),
                                          QPointF(100, 400), QPointF(100, 100)}));
    // The area is grown by half the pen width (1 for the default pen).
    EXPECT_EQ(item.areaPoints().boundingRect(), QRectF(99, 99, 402, 302));

    const QPointF p(150, 120);
    EXPECT_EQ(item.mapToItem(p), p);
    EXPECT_EQ(item.mapFromItem(p), p);
    item.setAngle(90, false);
    // Centre (300, 250): (150, 120) turned back by 90 degrees.
    const QPointF back = item.mapToItem(p);
    EXPECT_NEAR(back.x(), 170, 1e-9);
    EXPECT_NEAR(back.y(), 400, 1e-9);
    const QPointF again = item.mapFromItem(back);
    EXPECT_NEAR(again.x(), p.x(), 1e-9);
    EXPECT_NEAR(again.y(), p.y(), 1e-9);
}

TEST(SpectrumItem, PlotListAndCurrentPlot)
{
    Strip item;
    item.addPlot(nullptr);
    EXPECT_EQ(item.plotCount(), 0);
    T1DMassPlot* hidden = massPlot(false);
    item.addPlot(hidden);
    EXPECT_EQ(item.currentPlot(), nullptr);  // a hidden plot does not become current
    T1DMassPlot* a = massPlot();
    T1DMassPlot* b = massPlot();
    item.addPlot(a);
    item.addPlot(b);
    EXPECT_EQ(item.currentPlot(), a);
    EXPECT_EQ(item.plotIndex(b->id()), 2);
    EXPECT_EQ(item.plotIndex(QUuid::createUuid()), -1);
    EXPECT_EQ(item.plot(hidden->id(), true), nullptr);
    EXPECT_EQ(item.plot(hidden->id(), false), hidden);
    EXPECT_FALSE(item.isPlotVisible(hidden->id()));
    EXPECT_TRUE(item.isPlotVisible(a->id()));
    EXPECT_EQ(item.visiblePlotCount(), 2);
    EXPECT_EQ(item.takePlotAt(3), nullptr);
    EXPECT_EQ(item.takePlotAt(-1), nullptr);
    item.setPlotVisible(QUuid::createUuid(), false);  // nothing

    // Taking the current plot makes the first visible one current.
    std::unique_ptr<TBasePlot> taken(item.takePlot(a->id()));
    EXPECT_EQ(taken.get(), a);
    EXPECT_EQ(item.currentPlot(), b);
    // Put back where it stood, the current plot kept; a position outside
    // the list appends.
    item.insertPlot(1, taken.release());
    EXPECT_EQ(item.plotIndex(a->id()), 1);
    EXPECT_EQ(item.currentPlot(), b);
    T1DMassPlot* c = massPlot();
    item.insertPlot(7, c);
    EXPECT_EQ(item.plotIndex(c->id()), 3);
}

TEST(SpectrumItem, HidingTheCurrentPlot)
{
    Strip item;
    T1DMassPlot* first = massPlot();
    T1DMassPlot* second = massPlot(false);
    T1DMassPlot* third = massPlot();
    item.addPlot(first);
    item.addPlot(second);
    item.addPlot(third);
    ASSERT_EQ(item.currentPlot(), first);
    item.setPlotVisible(first->id(), false);
    EXPECT_EQ(item.currentPlot(), third);
    item.setPlotVisible(third->id(), false);
    EXPECT_EQ(item.currentPlot(), nullptr);
    item.setPlotVisible(second->id(), true);
    EXPECT_EQ(item.currentPlot(), nullptr);  // showing a plot does not make it current
    item.selectFirstVisiblePlot();
    EXPECT_EQ(item.currentPlot(), second);
}

TEST(SpectrumItem, PlotsUnderPointsValuesAndClamping)
{
    Strip item;
    item.setGeometry(QPolygonF({QPointF(0, 0), QPointF(800, 0), QPointF(800, 600), QPointF(0, 600)}));
    // Without a current plot: the point itself, no values, no area.
    const QPointF outside(1000, 1000);
    EXPECT_EQ(item.clampToCurrentPlot(outside), outside);
    QPointF values(150, 10);
    EXPECT_FALSE(item.mapFromPlotValues(values, 3));
    EXPECT_EQ(item.plotAreaAt(QPointF(10, 10)), -1);

    T1DMassPlot* top = massPlot();
    T1DMassPlot* bottom = massPlot();
    item.addPlot(top);
    item.addPlot(bottom);
    EXPECT_EQ(item.plotAt(QPointF(400, 100)), top);
    EXPECT_EQ(item.plotAt(QPointF(400, 500)), bottom);
    EXPECT_EQ(item.plotAt(outside), nullptr);
    QRectF band;
    EXPECT_EQ(item.plotIndexAt(QPointF(400, 500), &band), 1);
    EXPECT_EQ(band, QRectF(0, 300, 800, 300));
    item.setCurrentPlotAt(QPoint(400, 500));
    EXPECT_EQ(item.currentPlot(), bottom);
    item.setCurrentPlotAt(QPoint(2000, 2000));
    EXPECT_EQ(item.currentPlot(), bottom);
    EXPECT_EQ(item.plotAreaAt(outside), -1);
    EXPECT_GT(item.plotAreaAt(QPointF(400, 450)), 0);

    // Values of the current plot to the canvas and back.
    QPointF p(150, 500);
    ASSERT_TRUE(item.mapFromPlotValues(p, 3));
    EXPECT_TRUE(band.contains(p));
    QPointF v = p;
    ASSERT_TRUE(item.mapToPlotValues(v, 3));
    EXPECT_NEAR(v.x(), 150, 1e-6);
    EXPECT_NEAR(v.y(), 500, 1e-6);
    QPointF away = outside;
    EXPECT_FALSE(item.mapToPlotValues(away, 3));

    // Clamped into the current plot's frame.
    const QPointF clamped = item.clampToCurrentPlot(QPointF(-50, 900));
    const QRectF frame = bottom->plotter().mapRect(bottom->plotter().plotArea());
    EXPECT_DOUBLE_EQ(clamped.x(), frame.left());
    EXPECT_DOUBLE_EQ(clamped.y(), frame.bottom());
}

TEST(SpectrumItem, PluginDataRoundTripAndCurrentIndexRules)
{
    Strip item;
    T1DMassPlot* a = massPlot();
    T1DMassPlot* b = massPlot(false);
    item.addPlot(a);
    item.addPlot(b);
    item.setCurrentPlot(b);
    const QByteArray bytes = pluginData(item);
    Strip back;
    ASSERT_TRUE(readPluginData(back, bytes));
    ASSERT_EQ(back.plotCount(), 2);
    EXPECT_EQ(back.plotAtIndex(0)->id(), a->id());
    EXPECT_EQ(back.plotAtIndex(1)->id(), b->id());
    EXPECT_EQ(back.plotAtIndex(1)->visible(), 0);
    EXPECT_EQ(back.currentPlotIndex(), 1);
    EXPECT_EQ(pluginData(back), bytes);

    struct Case {
        const char* name;
        qint32 stored;
        bool firstVisible;
        int current;
    };
    const Case cases[] = {
        {"no current, first hidden: the first", -1, false, 0},
        {"index past the end: the first", 2, true, 0},
        {"index 1", 1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<T1DMassPlot> p1(massPlot(c.firstVisible)), p2(massPlot());
        const QByteArray data = spectrumData(c.stored, [&](TDataStream& s) {
            s << qint32(2);
            writeEntry(s, 1, *p1);
            writeEntry(s, 1, *p2);
        });
        Strip read;
        ASSERT_TRUE(readPluginData(read, data));
        EXPECT_EQ(read.size(), QSizeF(1200, 900));
        ASSERT_EQ(read.plotCount(), 2);
        EXPECT_EQ(read.currentPlotIndex(), c.current);
    }
}

TEST(SpectrumItem, StoredCountsAndUnknownPlotTypes)
{
    std::unique_ptr<T1DMassPlot> p(massPlot());
    const qint32 counts[] = {0, -1, -2000000000};
    for (qint32 count : counts) {
        Strip item;
        EXPECT_TRUE(readPluginData(item, spectrumData(0, [&](TDataStream& s) { s << count; })));
        EXPECT_EQ(item.plotCount(), 0);
        EXPECT_EQ(item.currentPlot(), nullptr);
    }
    // An entry of an unknown type and an empty entry are passed over; the
    // next plot reads.
    const QByteArray data = spectrumData(-1, [&](TDataStream& s) {
        s << qint32(3);
        writeEntry(s, 7, *p);
        s.beginBlock();
        s.endBlock();
        s.beginBlock();
        s.endBlock();
        writeEntry(s, 1, *p);
    });
    Strip item;
    ASSERT_TRUE(readPluginData(item, data));
    ASSERT_EQ(item.plotCount(), 1);
    EXPECT_EQ(item.plotAtIndex(0)->id(), p->id());
    EXPECT_EQ(item.currentPlotIndex(), 0);
    // A count the data cannot hold reads nothing.
    Strip huge;
    EXPECT_FALSE(readPluginData(huge, spectrumData(0, [&](TDataStream& s) { s << qint32(1000000); })));
    EXPECT_EQ(huge.plotCount(), 0);
}

TEST(SpectrumItem, BlockLengthsTheDataCannotHold)
{
    // A negative block length, or one past the data, fails the read
    // (ReadPastEnd) before the block's content is looked at, even where the
    // content is whole: nothing of the item is taken.
    std::unique_ptr<T1DMassPlot> p(massPlot());
    const QByteArray whole = spectrumData(0, [&](TDataStream& s) {
        s << qint32(1);
        writeEntry(s, 1, *p);
    });
    // The first block (the base item's data) is 8 bytes; the second one
    // runs to the end.
    const qint32 second = whole.size() - 12;
    struct Case {
        const char* name;
        int at;
        qint32 length;
    };
    const Case cases[] = {
        {"first block negative", 0, -4},
        {"first block past the data", 0, second + 8},
        {"second block negative", 8, -1},
        {"second block one byte past the data", 8, second + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = whole;
        QByteArray length;
        QDataStream(&length, QIODevice::WriteOnly) << c.length;
        bytes.replace(c.at, 4, length);
        Strip item;
        TDataStream s(&bytes, QIODevice::ReadOnly);
        item.readPluginData(s);
        EXPECT_EQ(s.status(), QDataStream::ReadPastEnd);
        EXPECT_EQ(item.plotCount(), 0);
        EXPECT_EQ(item.size(), QSizeF(2400, 1800));
    }
}

TEST(SpectrumItem, ReadIntoAnItemWithPlotsIsRefused)
{
    Strip source;
    source.addPlot(massPlot());
    const QByteArray bytes = pluginData(source);
    Strip item;
    T1DMassPlot* own = massPlot();
    item.addPlot(own);
    QByteArray copy = bytes + QByteArray("tail");
    TDataStream s(&copy, QIODevice::ReadOnly);
    item.readPluginData(s);
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(s.remaining(), 4);  // the data was passed over
    ASSERT_EQ(item.plotCount(), 1);
    EXPECT_EQ(item.plotAtIndex(0), own);
    EXPECT_EQ(item.size(), QSizeF(2400, 1800));
}

TEST(SpectrumItem, EveryPrefixOfThePluginData)
{
    Strip source;
    source.addPlot(massPlot());
    source.addPlot(massPlot(false));
    const QByteArray bytes = pluginData(source);
    for (int n = 0; n < bytes.size(); ++n) {
        Strip item;
        readPluginData(item, bytes.left(n));
        EXPECT_LE(item.plotCount(), 2);
        EXPECT_TRUE(item.currentPlot() == nullptr || item.plotIndex(item.currentPlot()->id()) >= 0);
    }
}

TEST(SpectrumItem, DrawsVisiblePlotsAndTheCurrentOne)
{
    Strip item;
    item.setGeometry(QPolygonF({QPointF(0, 0), QPointF(400, 0), QPointF(400, 300), QPointF(0, 300)}));
    item.addPlot(massPlot());
    item.addPlot(massPlot(false));
    QImage image(400, 300, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        item.drawShape(painter);
    }
    EXPECT_GT(paintedPixels(image), 500);
    QImage current(400, 300, QImage::Format_ARGB32);
    current.fill(Qt::transparent);
    {
        QPainter painter(&current);
        item.drawCurrent(painter);
    }
    EXPECT_GT(paintedPixels(current), 500);
}
