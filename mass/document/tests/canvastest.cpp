#include "canvastest.h"

#include "kstest.h"
#include "tstreambytes.h"

#include <QPainter>
#include <QRegion>

#include <string>

namespace canvastest {

QByteArray record(const char* name)
{
    const std::string bytes = ks::test::readFile(std::string(KS_SOURCE_DIR) + "/tests/data/records/" + name);
    EXPECT_FALSE(bytes.empty()) << "missing fixture " << name;
    return QByteArray(bytes.data(), static_cast<int>(bytes.size()));
}

QByteArray written(const std::function<void(TDataStream&)>& writer)
{
    QByteArray buffer;
    TDataStream s(&buffer, QIODevice::WriteOnly, 0);
    writer(s);
    EXPECT_EQ(s.openBlocks(), 0) << "the writer left a block open";
    return buffer;
}

Card::Card(const QRectF& rect, const QColor& c)
    : lumatra::BoxItem(RectangleItemType, QStringLiteral("Card"), rect), colour(c)
{
}

Card::~Card()
{
    hide();
}

void Card::readPixmap(TDataStream& s)
{
    readImage(s, image);
}

void Card::paintBox(QPainter& painter, const QRectF& rect)
{
    ++paints;
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(colour);
    painter.drawRect(rect);
    painter.drawLine(rect.topLeft(), rect.bottomRight());
}

PolygonItem::PolygonItem(const QPolygonF& a, bool hide)
    : TCanvasItem(PolygonItemType, QStringLiteral("Polygon"), nullptr), area(a), hideWhenDeleted(hide)
{
    setPen(QPen(Qt::NoPen));
}

PolygonItem::~PolygonItem()
{
    if (hideWhenDeleted)
        this->hide();
}

QSet<QPair<int, int>> cellSet(const QList<QPoint>& cells)
{
    QSet<QPair<int, int>> set;
    for (const QPoint& c : cells)
        set.insert({c.x(), c.y()});
    return set;
}

QList<QPoint> cellsHolding(const QtCanvas& canvas, const QtCanvasItem* item)
{
    QList<QPoint> cells;
    for (int r = 0; r < canvas.chunkRows(); ++r)
        for (int c = 0; c < canvas.chunkColumns(); ++c)
            for (const QtCanvasItem* i : canvas.chunk(c, r).items())
                if (static_cast<const void*>(i) == static_cast<const void*>(item)) {
                    cells.append(QPoint(c, r));
                    break;
                }
    return cells;
}

QSet<QPair<int, int>> regionPixels(const QPolygon& polygon, bool winding)
{
    QSet<QPair<int, int>> pixels;
    const QRegion region(polygon, winding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const QRect& r : region)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                pixels.insert({x, y});
    return pixels;
}

CanvasTest::CanvasTest() : plugin(std::make_unique<lumatra::TestPlugin>())
{
    host.loadPlugin(plugin.get());
}

CanvasTest::~CanvasTest()
{
    host.removePlugin(plugin.get());
}

}  // namespace canvastest
