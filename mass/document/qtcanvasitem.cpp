#include "qtcanvasitem.h"

#include "qtpolygonscanner.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace {

// Integer coordinates of stored or computed geometry stay in this range,
// so converting never overflows (items far beyond it are never on a page).
constexpr double kCoordinateLimit = 1 << 30;

// Rounded as Qt rounds coordinates (halves upwards), within the limit.
int clampedRound(double v)
{
    return static_cast<int>(std::floor(std::clamp(v, -kCoordinateLimit, kCoordinateLimit) + 0.5));
}

// The pen and brush every new item starts with, made once per process.
const QPen& defaultPen()
{
    static const QPen pen;
    return pen;
}

const QBrush& defaultBrush()
{
    static const QBrush brush;
    return brush;
}

}  // namespace

// ---- QtCanvasItem ----------------------------------------------------------

QtCanvasItem::QtCanvasItem(int rtti) : m_rtti(rtti) {}

QtCanvasItem::~QtCanvasItem()
{
    if (m_canvas) {
        // An item whose subclass left it entered in its chunks cannot tell
        // them any more; take it out of all of them.
        if (isValid() && isVisible())
            m_canvas->purgeItem(this);
        m_canvas->removeItem(this);
        m_canvas->removeAnimation(this);
    }
}

void QtCanvasItem::setAnimated(bool yes)
{
    if (isAnimated() == yes)
        return;
    setFlag(Animated, yes);
    // Without a canvas only the flag changes; setCanvas enters an item
    // with a velocity in the new canvas's animations.
    if (!m_canvas)
        return;
    if (yes)
        m_canvas->addAnimation(this);
    else
        m_canvas->removeAnimation(this);
}

void QtCanvasItem::setVelocity(double vx, double vy)
{
    if (!m_velocity && vx == 0 && vy == 0)
        return;
    if (!isAnimated())
        setAnimated(true);
    if (!m_velocity)
        m_velocity = std::make_unique<QPointF>();
    *m_velocity = QPointF(vx, vy);
}

void QtCanvasItem::advance(int phase)
{
    if (phase == 1 && m_velocity)
        moveBy(m_velocity->x(), m_velocity->y());
}

void QtCanvasItem::setVisible(bool yes)
{
    if (isVisible() == yes)
        return;
    if (yes) {
        setFlag(Visible, true);
        addToChunks();
    } else {
        removeFromChunks();
        setFlag(Visible, false);
    }
}

void QtCanvasItem::setSelected(bool yes)
{
    if (isSelected() == yes)
        return;
    setFlag(Selected, yes);
    changeChunks();
}

void QtCanvasItem::setEnabled(bool yes)
{
    if (isEnabled() == yes)
        return;
    setFlag(Enabled, yes);
    changeChunks();
}

void QtCanvasItem::setActive(bool yes)
{
    if (isActive() == yes)
        return;
    setFlag(Active, yes);
    changeChunks();
}

int QtCanvasItem::rtti() const
{
    return m_rtti;
}

QRect QtCanvasItem::boundingRectAdvanced() const
{
    return boundingRect().translated(velocityOffset());
}

void QtCanvasItem::update()
{
    changeChunks();
}

void QtCanvasItem::moveBy(double dx, double dy)
{
    if (dx == 0 && dy == 0)
        return;
    removeFromChunks();
    m_x += dx;
    m_y += dy;
    addToChunks();
    update();
}

QList<QPoint> QtCanvasItem::chunks() const
{
    if (!isVisible() || !m_canvas)
        return {};
    return chunksOfRect(boundingRect());
}

QList<QPoint> QtCanvasItem::chunksOfRect(const QRect& r) const
{
    const QRect area = r.intersected(QRect(0, 0, m_canvas->width(), m_canvas->height()));
    if (area.isEmpty())
        return {};
    const int k = m_canvas->chunkSize();
    QList<QPoint> cells;
    for (int row = area.top() / k; row <= area.bottom() / k; ++row)
        for (int column = area.left() / k; column <= area.right() / k; ++column)
            if (m_canvas->validChunk(column, row))
                cells.append(QPoint(column, row));
    return cells;
}

void QtCanvasItem::addToChunks()
{
    if (!isVisible() || !m_canvas)
        return;
    for (const QPoint& cell : chunks())
        if (m_canvas->validChunk(cell.x(), cell.y()))
            m_canvas->chunk(cell.x(), cell.y()).add(this);
    setFlag(Valid, true);
}

void QtCanvasItem::removeFromChunks()
{
    if (!isVisible() || !m_canvas)
        return;
    for (const QPoint& cell : chunks())
        if (m_canvas->validChunk(cell.x(), cell.y()))
            m_canvas->chunk(cell.x(), cell.y()).remove(this);
}

void QtCanvasItem::changeChunks()
{
    if (!isVisible() || !m_canvas)
        return;
    if (!isValid())
        addToChunks();
    for (const QPoint& cell : chunks())
        m_canvas->setChangedChunk(cell.x(), cell.y());
}

void QtCanvasItem::setCanvas(QtCanvas* canvas)
{
    const bool wasVisible = isVisible();
    setVisible(false);
    if (m_canvas) {
        if (m_velocity)
            m_canvas->removeAnimation(this);
        m_canvas->removeItem(this);
    }
    m_canvas = canvas;
    if (m_canvas) {
        m_canvas->addItem(this);
        if (m_velocity)
            m_canvas->addAnimation(this);
    }
    setVisible(wasVisible);
}

QPoint QtCanvasItem::velocityOffset() const
{
    if (!m_velocity)
        return QPoint();
    auto offset = [](double at, double v) {
        const double moved = std::trunc(at + v) - std::trunc(at);
        return std::isfinite(moved) ? clampedRound(moved) : 0;
    };
    return QPoint(offset(m_x, m_velocity->x()), offset(m_y, m_velocity->y()));
}

// ---- QtCanvasPolygonalItem -------------------------------------------------

QtCanvasPolygonalItem::QtCanvasPolygonalItem(int rtti)
    : QtCanvasItem(rtti), m_brush(defaultBrush()), m_pen(defaultPen())
{
}

QtCanvasPolygonalItem::~QtCanvasPolygonalItem() = default;

bool QtCanvasPolygonalItem::collidesWith(const QtCanvasSprite*, const QtCanvasPolygonalItem* polygonal,
                                         const QtCanvasRectangle*, const QtCanvasEllipse*,
                                         const QtCanvasText*) const
{
    // Only polygonal pairs are decided: the other item kinds of the host's
    // canvas do not exist here. Regions are taken within the canvas.
    if (!polygonal || !canvas())
        return false;
    const QRect page = canvas()->rect();
    const QPolygon mine = qtcanvas::scanPolygon(areaPointsAdvanced(), page);
    const QPolygon theirs = qtcanvas::scanPolygon(polygonal->areaPointsAdvanced(), page);
    if (mine.size() < 3 || theirs.size() < 3)
        return false;
    const QRegion a(mine, winding() ? Qt::WindingFill : Qt::OddEvenFill);
    const QRegion b(theirs, Qt::OddEvenFill);
    return a.intersects(b);
}

bool QtCanvasPolygonalItem::collidesWith(const QtCanvasItem* other) const
{
    return other && other->collidesWith(nullptr, this, nullptr, nullptr, nullptr);
}

void QtCanvasPolygonalItem::draw(QPainter& painter)
{
    painter.save();
    painter.setPen(m_pen);
    painter.setBrush(m_brush);
    drawShape(painter);
    painter.restore();
}

QRect QtCanvasPolygonalItem::boundingRect() const
{
    const QPolygonF area = areaPoints();
    for (const QPointF& p : area)
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return QRect();
    const QRectF r = area.boundingRect();
    // QRectF::toRect: position and size rounded each.
    return QRect(clampedRound(r.x()), clampedRound(r.y()), clampedRound(r.width()), clampedRound(r.height()));
}

QList<QPoint> QtCanvasPolygonalItem::chunks() const
{
    if (!isVisible() || !canvas())
        return {};
    return qtcanvas::polygonChunks(areaPoints(), winding(), *canvas());
}

void QtCanvasPolygonalItem::setPen(const QPen& pen)
{
    if (m_pen == pen)
        return;
    removeFromChunks();
    m_pen = pen;
    addToChunks();
}

void QtCanvasPolygonalItem::setBrush(const QBrush& brush)
{
    if (m_brush == brush)
        return;
    m_brush = brush;
    update();
}

QPolygonF QtCanvasPolygonalItem::areaPointsAdvanced() const
{
    const QPoint offset = velocityOffset();
    QPolygonF area = areaPoints();
    if (!offset.isNull())
        area.translate(offset);
    return area;
}

void QtCanvasPolygonalItem::invalidate()
{
    setFlag(Valid, false);
    removeFromChunks();
}
