// Helpers of the canvas tests: record fixtures, a test card item on the
// recording host's page, a free-form polygon item, and a fixture holding
// a recording host with the test plug-in loaded.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSet>

#include <functional>
#include <memory>

#include "pageitems.h"
#include "recordinghost.h"
#include "tcanvasitem.h"
#include "tdatastream.h"
#include "testplugin.h"

namespace canvastest {

// A fixture of tests/data/records (written by make_records.py).
QByteArray record(const char* name);

QByteArray written(const std::function<void(TDataStream&)>& writer);

// A rectangle item of the tests: type 104 ("Card"), painted as a filled
// card, counting its paints; optionally drawn through the pixmap cache;
// keeps the image of its record and the children it was told about.
class Card : public lumatra::BoxItem {
public:
    explicit Card(const QRectF& rect = QRectF(20, 20, 50, 30), const QColor& colour = Qt::darkCyan);
    ~Card() override;

    void useCache(bool yes) { setCacheWanted(yes); }
    void readPixmap(TDataStream& s) override;
    void childChanged(const QUuid& child) override { changedChildren.append(child); }
    bool hasNaturalSize() const override { return naturalSize >= 0; }
    bool isNaturalSize() const override { return naturalSize > 0; }

    QColor colour;
    int paints = 0;
    QImage image;
    QList<QUuid> changedChildren;
    int naturalSize = -1;  // -1 none, 0 has one, 1 keeps it

protected:
    void paintBox(QPainter& painter, const QRectF& rect) override;
};

// An item whose area is any polygon (no pen); it hides in its destructor
// unless told not to.
class PolygonItem : public TCanvasItem {
public:
    explicit PolygonItem(const QPolygonF& area, bool hideWhenDeleted = true);
    ~PolygonItem() override;

    QPolygonF areaPoints() const override { return area; }
    void drawShape(QPainter&) override {}
    QPolygonF geometry() const override { return area; }
    void setGeometry(const QPolygonF& polygon) override { area = polygon; }

    QPolygonF area;
    bool hideWhenDeleted;
};

// Cells as a set, for comparisons without regard to order.
QSet<QPair<int, int>> cellSet(const QList<QPoint>& cells);
// The cells whose item lists hold the item.
QList<QPoint> cellsHolding(const QtCanvas& canvas, const QtCanvasItem* item);
// Pixels of a QRegion of the polygon, as (x, y) pairs.
QSet<QPair<int, int>> regionPixels(const QPolygon& polygon, bool winding);

// A recording host with the test plug-in loaded (the process's plug-in
// instance while the fixture lives).
class CanvasTest : public ::testing::Test {
protected:
    CanvasTest();
    ~CanvasTest() override;

    lumatra::RecordingHost host{400, 300, 16};
    std::unique_ptr<lumatra::TestPlugin> plugin;
};

}  // namespace canvastest
