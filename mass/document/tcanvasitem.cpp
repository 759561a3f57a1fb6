#include "tcanvasitem.h"

#include "iplugins.h"
#include "tdatastream.h"
#include "tstreambytes.h"

#include <QPainter>
#include <QPaintDevice>

#include <cmath>

namespace {

// The pixmap cache is used for device sizes up to these; larger ones (a
// page zoomed far in) are drawn directly.
constexpr double kMaxCachedSide = 8192;
constexpr double kMaxCachedPixels = double(1 << 24);

bool finiteRect(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

}  // namespace

QString itemTypeName(int type)
{
    switch (type) {
    case ArrowItemType: return QStringLiteral("Arrow");
    case EllipseItemType: return QStringLiteral("Ellipse");
    case RectangleItemType: return QStringLiteral("Rectangle");
    case PolygonItemType: return QStringLiteral("Polygon");
    case ImageItemType: return QStringLiteral("Image");
    case TextItemType: return QStringLiteral("Text");
    case LayoutTemplateItemType: return QStringLiteral("Layout Template");
    case NmrSpectrumItemType: return QStringLiteral("NMR Spectrum");
    case MoleculeItemType: return QStringLiteral("Molecule");
    case OleObjectItemType: return QStringLiteral("OLE Object");
    case MassSpectrumItemType: return QStringLiteral("Mass Spectrum");
    case GraphItemType: return QStringLiteral("Graph");
    default: return QStringLiteral("Unknown Item");
    }
}

TCanvasItem::TCanvasItem(int type, const QString& typeText, IProgress* progress)
    : QtCanvasPolygonalItem(type),
      m_properties(this),
      m_progress(progress),
      m_type(typeText),
      m_ownId(QUuid::createUuid()),
      m_initialId(m_ownId)
{
    show();
}

TCanvasItem::~TCanvasItem()
{
    // Subclasses hide themselves while their area is still known; one that
    // did not is taken out of every chunk of its canvas.
    if (isVisible()) {
        if (canvas())
            canvas()->purgeItem(this);
        setFlag(Visible, false);
    }
    m_properties.releaseItem();
}

bool TCanvasItem::usesPixmapCache(const QPainter& painter) const
{
    if (!m_cacheWanted || !m_cacheAllowed)
        return false;
    const QPaintDevice* device = painter.device();
    if (!device || device->devType() == QInternal::Printer)
        return false;
    const QRectF r = painter.worldTransform().mapRect(geometry().boundingRect());
    if (!finiteRect(r))
        return false;
    const double w = std::round(r.width()), h = std::round(r.height());
    return w >= 1 && h >= 1 && w <= kMaxCachedSide && h <= kMaxCachedSide && w * h <= kMaxCachedPixels;
}

QPixmap TCanvasItem::cachedPixmap(const QSize& size) const
{
    return m_cache.value(SizeKey{size.width(), size.height()});
}

void TCanvasItem::draw(QPainter& painter)
{
    if (!usesPixmapCache(painter)) {
        QtCanvasPolygonalItem::draw(painter);
        return;
    }
    const QRectF r = geometry().boundingRect();
    const QTransform m = painter.worldTransform();
    const QRectF dr = m.mapRect(r);
    const QSize size(int(std::round(dr.width())), int(std::round(dr.height())));
    QPixmap& pixmap = m_cache[SizeKey{size.width(), size.height()}];
    if (pixmap.isNull()) {
        pixmap = QPixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        const QPainter::RenderHints copied =
            QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform;
        p.setRenderHints(painter.renderHints() & copied);
        p.translate(-dr.x(), -dr.y());
        p.setWorldTransform(m, true);
        QtCanvasPolygonalItem::draw(p);
    }
    // The rotation about the item's centre applies in page coordinates,
    // while the pixmap is placed in device coordinates.
    painter.save();
    painter.setWorldTransform(itemMatrix(), true);
    painter.setWorldTransform(m.inverted(), true);
    painter.drawPixmap(m.mapRect(QRectF(r.toRect())), pixmap, QRectF(pixmap.rect()));
    painter.restore();
}

void TCanvasItem::update()
{
    if (!m_parentId.isNull() && canvas()) {
        for (QtCanvasItem* c : canvas()->allItems()) {
            auto* other = static_cast<TCanvasItem*>(c);
            if (other->ownId() == m_parentId) {
                other->childChanged(m_ownId);
                break;
            }
        }
    }
    changeChunks();
    m_cache.clear();
}

QUuid TCanvasItem::pluginId() const
{
    QObject* owner = m_ownerPlugin.data();
    if (!owner)
        return QUuid();
    const auto* info = static_cast<IPluginInfo*>(owner->qt_metacast(IPluginInfo_iid));
    return info ? info->secondId() : QUuid();
}

QPolygonF TCanvasItem::handlePoints(bool widen) const
{
    QRectF r = geometry().boundingRect();
    if (widen) {
        const QPen p = pen();
        const int d = p == QPen(Qt::NoPen) ? 0 : std::max(1, (p.width() + 1) / 2);
        r.adjust(-d, -d, d, d);
    }
    const QPointF c = r.center();
    const double left = r.x(), top = r.y(), right = r.x() + r.width(), bottom = r.y() + r.height();
    return QPolygonF({QPointF(right, c.y()), QPointF(right, bottom), QPointF(c.x(), bottom), QPointF(left, bottom),
                      QPointF(left, c.y()), QPointF(left, top), QPointF(c.x(), top), QPointF(right, top)});
}

QString TCanvasItem::itemText(qint32) const
{
    return QString();
}

QString TCanvasItem::type() const
{
    return m_type;
}

QString TCanvasItem::subtype() const
{
    return m_subtype;
}

void TCanvasItem::setAngle(double degrees, bool repaint)
{
    if (!std::isfinite(degrees))
        return;
    if (repaint)
        invalidate();
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360.0;
    if (a >= 360.0 || a == 0)  // a tiny negative angle rounds up to 360; -0 becomes 0
        a = 0;
    m_angle = a;
    if (repaint)
        update();
}

QPointF TCanvasItem::center() const
{
    return geometry().boundingRect().center();
}

bool TCanvasItem::hasNaturalSize() const
{
    return false;
}

bool TCanvasItem::isNaturalSize() const
{
    return false;
}

void TCanvasItem::setNaturalSize(bool) {}

void TCanvasItem::drawCurrent(QPainter& painter)
{
    draw(painter);
}

bool TCanvasItem::queryFlag(qint32) const
{
    return false;
}

void TCanvasItem::childChanged(const QUuid&) {}

TItemProperties* TCanvasItem::properties()
{
    m_properties.notifyBags();
    return &m_properties;
}

bool TCanvasItem::hasType() const
{
    return !m_type.isEmpty();
}

void* TCanvasItem::queryObject(qint32)
{
    return nullptr;
}

QUuid TCanvasItem::objectId() const
{
    return QUuid();
}

void TCanvasItem::notify(qint32) {}

void TCanvasItem::writePluginData(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
}

void TCanvasItem::readPluginData(TDataStream& s)
{
    s.skipBlock();
}

QPixmap TCanvasItem::pixmap() const
{
    static const QPixmap empty;
    return empty;
}

void TCanvasItem::readPixmap(TDataStream& s)
{
    // The base item keeps no pixmap: the PNG is checked and passed over,
    // not decoded (a 4096 x 4096 16-bit image would take 128 MB).
    skipImage(s);
}

void TCanvasItem::beginProgress()
{
    if (m_progress)
        m_progress->beginWait();
}

void TCanvasItem::endProgress()
{
    if (m_progress)
        m_progress->endWait();
}

int TCanvasItem::itemType() const
{
    return rtti();
}

TCanvasItemList TCanvasItem::itemList() const
{
    return TCanvasItemList();
}

void TCanvasItem::setItemFlags(quint32 word, bool add)
{
    m_itemFlags = add ? (m_itemFlags | word) : word;
}

QTransform TCanvasItem::itemMatrix() const
{
    const QPointF c = center();
    return QTransform().translate(c.x(), c.y()).rotate(m_angle).translate(-c.x(), -c.y());
}

double TCanvasItem::penHalfWidth() const
{
    const QPen p = pen();
    if (p == QPen(Qt::NoPen))
        return 0.0;
    return std::max(1.0, (p.widthF() + 1) * 0.5);
}

TCanvasItemList TCanvasItem::childItems(const TCanvasItem* item)
{
    TCanvasItemList children;
    if (!item || !item->canvas())
        return children;
    // Every item on a page is a TCanvasItem.
    const QtCanvasItemList& onCanvas = item->canvas()->allItems();
    for (auto it = item->m_children.keyBegin(); it != item->m_children.keyEnd(); ++it)
        for (QtCanvasItem* c : onCanvas) {
            auto* candidate = static_cast<TCanvasItem*>(c);
            if (candidate->ownId() == *it)
                children.append(candidate);
        }
    return children;
}

void TCanvasItem::setHostData(const QByteArray& extra, const QString& text, const QRectF& rect)
{
    m_extra = extra;
    m_text = text;
    m_rect = rect;
}
