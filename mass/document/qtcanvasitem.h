// QtCanvasItem and QtCanvasPolygonalItem: the two item bases of the host's
// page canvas (QtCanvas, lumatrasdk). Host and plug-in both compile these
// classes and call every item through the virtual operations below, so
// their order and the order of the fields are shared by both sides.
//
// An item is created off any canvas, hidden and not animated; the host
// enters it with setCanvas. While it is visible on a canvas it is entered
// in the chunks it covers (flag bit 2, "valid"): every change of position,
// shape, pen or state leaves those chunks, marks them changed and enters
// the new ones, so that the canvas repaints only what changed.
//
// Which chunks: a polygonal item scan-converts its area polygon (the pixel
// at integer point (x, y) is covered when that point lies inside, points
// on left and top edges included, on right and bottom edges not), so a
// rotated item marks only the cells under its outline. A polygon of fewer
// than 3 points, or with a coordinate that is not finite, covers nothing;
// one reaching beyond the canvas is clipped to it first, so the scan never
// walks lines outside the canvas however large the coordinates.
//
// Destruction: a subclass whose area depends on its own fields must hide
// itself in its own destructor (areaPoints is gone once the base
// destructors run); the bases then only take the item off its canvas. An
// item still entered in chunks at that point is taken out of every chunk
// of its canvas.
#pragma once

#include <QBrush>
#include <QPen>
#include <QPointF>
#include <QPolygon>
#include <QPolygonF>
#include <QRect>

#include <memory>

#include "qtcanvas.h"

class QPainter;
class QtCanvasPolygonalItem;
class QtCanvasRectangle;
class QtCanvasEllipse;
class QtCanvasSprite;
class QtCanvasText;

class QtCanvasItem {
public:
    // Flag word bits.
    enum Flag : quint32 {
        Animated = 1u << 0,
        Visible = 1u << 1,
        Valid = 1u << 2,  // entered in the chunks it covers
        Selected = 1u << 3,
        Enabled = 1u << 4,
        Active = 1u << 5,  // the plug-in's active mass item
    };

    explicit QtCanvasItem(int rtti);
    virtual ~QtCanvasItem();
    QtCanvasItem(const QtCanvasItem&) = delete;
    QtCanvasItem& operator=(const QtCanvasItem&) = delete;

    // Virtual operations, in the order host and plug-in share.
    virtual void setAnimated(bool yes);
    virtual void setVelocity(double vx, double vy);
    virtual void advance(int phase);
    virtual bool collidesWith(const QtCanvasSprite* sprite, const QtCanvasPolygonalItem* polygonal,
                              const QtCanvasRectangle* rectangle, const QtCanvasEllipse* ellipse,
                              const QtCanvasText* text) const = 0;
    virtual bool collidesWith(const QtCanvasItem* other) const = 0;
    virtual void draw(QPainter& painter) = 0;
    virtual void setVisible(bool yes);
    virtual void setSelected(bool yes);
    virtual void setEnabled(bool yes);
    virtual void setActive(bool yes);
    virtual int rtti() const;
    virtual QRect boundingRect() const = 0;
    virtual QRect boundingRectAdvanced() const;
    virtual void update();
    virtual void moveBy(double dx, double dy);
    // Chunk cells (column, row) the item covers, each once.
    virtual QList<QPoint> chunks() const;
    virtual void addToChunks();
    virtual void removeFromChunks();
    virtual void changeChunks();

    void move(double x, double y) { moveBy(x - m_x, y - m_y); }
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    void setCanvas(QtCanvas* canvas);
    QtCanvas* canvas() const { return m_canvas; }
    // The creator's tag; a page item's owner tag is the canvas it belongs
    // to. Pointer-sized, kept in memory only (never stored).
    void setOwnerTag(quintptr tag) { m_ownerTag = tag; }
    quintptr ownerTag() const { return m_ownerTag; }

    double x() const { return m_x; }
    double y() const { return m_y; }
    double z() const { return m_z; }
    void setZ(double z) { m_z = z; }
    quint32 flags() const { return m_flags; }
    bool isAnimated() const { return m_flags & Animated; }
    bool isVisible() const { return m_flags & Visible; }
    bool isValid() const { return m_flags & Valid; }
    bool isSelected() const { return m_flags & Selected; }
    bool isEnabled() const { return m_flags & Enabled; }
    bool isActive() const { return m_flags & Active; }
    bool hasVelocity() const { return m_velocity != nullptr; }
    double xVelocity() const { return m_velocity ? m_velocity->x() : 0.0; }
    double yVelocity() const { return m_velocity ? m_velocity->y() : 0.0; }

protected:
    // Places the item without touching chunks (readers of stored items).
    void setPosition(double x, double y, double z)
    {
        m_x = x;
        m_y = y;
        m_z = z;
    }
    void setFlag(Flag flag, bool yes) { m_flags = yes ? (m_flags | flag) : (m_flags & ~quint32(flag)); }
    // The offset the velocity moves the item by in the next advance:
    // (trunc(x + vx) - trunc(x), trunc(y + vy) - trunc(y)), 0 without one.
    QPoint velocityOffset() const;
    // Chunk cells of a rectangle intersected with the canvas.
    QList<QPoint> chunksOfRect(const QRect& r) const;

private:
    qint32 m_rtti;
    QtCanvas* m_canvas = nullptr;
    quintptr m_ownerTag = 0;
    std::unique_ptr<QPointF> m_velocity;
    quint32 m_flags = 0;
    double m_x = 0;
    double m_y = 0;
    double m_z = 0;
};

class QtCanvasPolygonalItem : public QtCanvasItem {
public:
    explicit QtCanvasPolygonalItem(int rtti);
    ~QtCanvasPolygonalItem() override;

    bool collidesWith(const QtCanvasSprite* sprite, const QtCanvasPolygonalItem* polygonal,
                      const QtCanvasRectangle* rectangle, const QtCanvasEllipse* ellipse,
                      const QtCanvasText* text) const override;
    bool collidesWith(const QtCanvasItem* other) const override;
    void draw(QPainter& painter) override;
    QRect boundingRect() const override;
    QList<QPoint> chunks() const override;

    // Added virtual operations, in order.
    virtual void setPen(const QPen& pen);
    virtual void setBrush(const QBrush& brush);
    virtual QPolygonF areaPoints() const = 0;
    virtual QPolygonF areaPointsAdvanced() const;
    virtual void drawShape(QPainter& painter) = 0;

    QPen pen() const { return m_pen; }
    QBrush brush() const { return m_brush; }
    // Clear: odd-even rule; set: winding rule.
    bool winding() const { return m_winding & 1u; }
    void setWinding(bool yes) { m_winding = yes ? 1u : 0u; }
    // Leaves the chunks and forgets that it was entered.
    void invalidate();

protected:
    // Assigns pen and brush without touching chunks (readers).
    void assignPenAndBrush(const QPen& pen, const QBrush& brush)
    {
        m_pen = pen;
        m_brush = brush;
    }

private:
    quint32 m_winding = 0;
    QBrush m_brush;
    QPen m_pen;
};
