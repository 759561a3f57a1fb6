// A paint device that records what a QPainter draws on it, for exact
// assertions on painters: lines, rectangles, polygons with their fill
// rule, ellipses, paths, pixmaps and text items (text, baseline point,
// font), each with the painter state in force (pen, brush, font,
// transform). The engine claims every feature, so QPainter hands the
// primitives over in the painter's own coordinates, untransformed, and the
// transform travels with them; `mapped` gives device coordinates.
//
// The device is 2000 x 2000 pixels at 96 dots per inch (the resolution of
// QImage), so fonts measure on it as on an image.
#pragma once

#include <QBrush>
#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>

#include <memory>

struct PaintItem {
    enum Kind { Lines, Rects, Polygon, Ellipse, Path, Text, Pixmap };
    Kind kind = Lines;
    QVector<QLineF> lines;
    QVector<QRectF> rects;
    QPolygonF polygon;  // polygon points, or the outline of a path
    QPaintEngine::PolygonDrawMode polygonMode = QPaintEngine::OddEvenMode;
    QRectF rect;        // ellipse or pixmap target
    QString text;
    QPointF position;   // baseline start of a text item
    QFont font;
    QPen pen;
    QBrush brush;
    QTransform transform;

    // The point in device coordinates.
    QPointF mapped(const QPointF& p) const { return transform.map(p); }
};

class PaintRecorder : public QPaintDevice {
public:
    PaintRecorder();
    ~PaintRecorder() override;

    QPaintEngine* paintEngine() const override;

    const QVector<PaintItem>& items() const { return m_items; }
    void clear() { m_items.clear(); }
    // The items of one kind, in the order drawn.
    QVector<PaintItem> itemsOf(PaintItem::Kind kind) const;
    // Every line drawn, in the painter's coordinates of its call.
    QVector<QLineF> allLines() const;
    QVector<QString> texts() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    friend class RecordingEngine;
    std::unique_ptr<QPaintEngine> m_engine;
    QVector<PaintItem> m_items;
};
