#include "titemproperties.h"

#include "ipluginhost.h"
#include "tcanvasitem.h"
#include "tdatastream.h"
#include "temptyplugin.h"
#include "tstreambytes.h"
#include "tstreamgui.h"

#include <cmath>

namespace {

// Fewest bytes of a bag frame: header block, main block length, type,
// identifier, inner block length.
constexpr qint64 kBagFrameBytes = 4 + 4 + 4 + 16 + 4;

// A change of a geometry value counts from this many page units on.
constexpr double kGeometryStep = 0.01;

double unitFactor(bool inches)
{
    return inches ? kPageUnitsPerInch : kPageUnitsPerCentimetre;
}

bool isLayoutTemplate(const TCanvasItem* item)
{
    return item && item->rtti() == LayoutTemplateItemType;
}

// Sets `field` to `value` when it is finite and differs by the step.
bool changeGeometryValue(double& field, double value)
{
    if (!std::isfinite(value) || !(std::fabs(value - field) >= kGeometryStep))
        return false;
    field = value;
    return true;
}

TBagCommandMaker g_bagCommandMaker = nullptr;

}  // namespace

void setBagCommandMaker(TBagCommandMaker maker)
{
    g_bagCommandMaker = maker;
}

TBagCommandMaker bagCommandMaker()
{
    return g_bagCommandMaker;
}

// The apply of the geometry and shape bags: only an edited bag gives a
// command (the base part would mark every bag changed), and the flag is
// cleared only when there is one, so that nothing is lost without a maker.
static TCommand* applyChangedBag(TItemPropertiesBag& bag, TCanvasItem* item)
{
    if (!item || !bag.isChanged() || !g_bagCommandMaker)
        return nullptr;
    bag.TItemPropertiesBag::apply(item);
    TCommand* command = g_bagCommandMaker(bag, item);
    if (command)
        bag.setChanged(false);
    return command;
}

// ---- TItemPropertiesBag ----------------------------------------------------

TItemPropertiesBag::TItemPropertiesBag(TCanvasItem* item) : m_item(item) {}

TItemPropertiesBag::~TItemPropertiesBag() = default;

void TItemPropertiesBag::readFromItem(bool) {}

int TItemPropertiesBag::bagType() const
{
    return 0;
}

TCommand* TItemPropertiesBag::apply(TCanvasItem* item)
{
    if (item) {
        m_item = item;
        m_changed = true;
    }
    return nullptr;
}

int TItemPropertiesBag::query() const
{
    return 0;
}

void TItemPropertiesBag::aboutToHandOut() {}

void TItemPropertiesBag::read(TDataStream&) {}

void TItemPropertiesBag::write(TDataStream&) const {}

void TItemPropertiesBag::reset() {}

QUuid TItemPropertiesBag::pluginId()
{
    if (m_item && !isLayoutTemplate(m_item))
        m_pluginId = m_item->pluginId();
    return m_pluginId;
}

void TItemPropertiesBag::setItem(TCanvasItem* item)
{
    if (m_item && !isLayoutTemplate(m_item))
        m_pluginId = m_item->pluginId();
    m_item = item;
}

// ---- TItemPropGeometryBag --------------------------------------------------

TItemPropGeometryBag::TItemPropGeometryBag(TCanvasItem* item, bool diagonalDisabled)
    : TItemPropertiesBag(item), m_diagonalDisabled(diagonalDisabled)
{
}

int TItemPropGeometryBag::bagType() const
{
    return Geometry;
}

TCommand* TItemPropGeometryBag::apply(TCanvasItem* item)
{
    return applyChangedBag(*this, item);
}

void TItemPropGeometryBag::readFromItem(bool flag)
{
    const TCanvasItem* item = this->item();
    if (!item)
        return;
    m_angle = item->angle();
    const QRectF r = item->geometry().boundingRect();
    m_centre = QPointF(r.x() + 0.5 * r.width(), r.y() + 0.5 * r.height());
    m_size = r.size();
    m_itemHasNaturalSize = item->hasNaturalSize();
    m_flag = flag ? false : item->isNaturalSize();
}

void TItemPropGeometryBag::read(TDataStream& s)
{
    s.skipBlock();
    s >> m_origin >> m_centre >> m_size >> m_angle >> m_flag;
}

void TItemPropGeometryBag::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s << m_origin << m_centre << m_size << m_angle << m_flag;
}

void TItemPropGeometryBag::setX(double value, bool inches)
{
    double x = m_centre.x();
    if (changeGeometryValue(x, unitFactor(inches) * value + m_origin.x())) {
        m_centre.setX(x);
        setChanged(true);
    }
}

void TItemPropGeometryBag::setY(double value, bool inches)
{
    double y = m_centre.y();
    if (changeGeometryValue(y, unitFactor(inches) * value + m_origin.y())) {
        m_centre.setY(y);
        setChanged(true);
    }
}

void TItemPropGeometryBag::setWidth(double value, bool inches)
{
    double w = m_size.width();
    if (changeGeometryValue(w, unitFactor(inches) * value)) {
        m_size.setWidth(w);
        setChanged(true);
    }
}

void TItemPropGeometryBag::setHeight(double value, bool inches)
{
    double h = m_size.height();
    if (changeGeometryValue(h, unitFactor(inches) * value)) {
        m_size.setHeight(h);
        setChanged(true);
    }
}

void TItemPropGeometryBag::setAngle(double degrees)
{
    // Compared with the item's angle as it is now (the bag's own without
    // an item).
    const double current = item() ? item()->angle() : m_angle;
    if (!std::isfinite(degrees) || !(std::fabs(degrees - current) >= kGeometryStep))
        return;
    m_angle = degrees;
    setChanged(true);
}

void TItemPropGeometryBag::setDiagonal(double value, bool inches)
{
    if (m_diagonalDisabled)
        return;
    const double u = unitFactor(inches) * value;
    if (!std::isfinite(u))
        return;
    const double theta = std::atan2(m_size.height(), m_size.width());
    const double w = std::cos(theta) * u;
    const double h = std::sin(theta) * u;
    if (std::fabs(w - m_size.width()) >= kGeometryStep || std::fabs(h - m_size.height()) >= kGeometryStep) {
        m_size = QSizeF(w, h);
        setChanged(true);
    }
}

void TItemPropGeometryBag::setFlag(bool yes)
{
    if (m_flag == yes)
        return;
    m_flag = yes;
    setChanged(true);
}

// ---- TItemPropShapeBag -----------------------------------------------------

TItemPropShapeBag::TItemPropShapeBag(TCanvasItem* item, bool flag) : TItemPropertiesBag(item), m_flag(flag) {}

int TItemPropShapeBag::bagType() const
{
    return Shape;
}

TCommand* TItemPropShapeBag::apply(TCanvasItem* item)
{
    return applyChangedBag(*this, item);
}

void TItemPropShapeBag::readFromItem(bool)
{
    if (const TCanvasItem* item = this->item()) {
        m_brush = item->brush();
        m_pen = item->pen();
    }
}

void TItemPropShapeBag::read(TDataStream& s)
{
    s.skipBlock();
    readBrush(s, m_brush);
    readPen(s, m_pen);
    s >> m_flag;
}

void TItemPropShapeBag::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s << m_brush << m_pen << m_flag;
}

void TItemPropShapeBag::setBrushColor(const QColor& color)
{
    if (m_brush.color() == color)
        return;
    m_brush.setColor(color);
    setChanged(true);
}

void TItemPropShapeBag::setBrushStyle(Qt::BrushStyle style)
{
    if (m_brush.style() == style)
        return;
    m_brush.setStyle(style);
    setChanged(true);
}

void TItemPropShapeBag::setPenColor(const QColor& color)
{
    if (m_pen.color() == color)
        return;
    m_pen.setColor(color);
    setChanged(true);
}

void TItemPropShapeBag::setPenWidth(double width)
{
    if (!std::isfinite(width) || width < 0 || m_pen.widthF() == width)
        return;
    m_pen.setWidthF(width);
    setChanged(true);
}

void TItemPropShapeBag::setPenStyle(Qt::PenStyle style)
{
    if (m_pen.style() == style)
        return;
    m_pen.setStyle(style);
    setChanged(true);
}

void TItemPropShapeBag::setCapStyle(Qt::PenCapStyle style)
{
    if (m_pen.capStyle() == style)
        return;
    m_pen.setCapStyle(style);
    setChanged(true);
}

void TItemPropShapeBag::setJoinStyle(Qt::PenJoinStyle style)
{
    if (m_pen.joinStyle() == style)
        return;
    m_pen.setJoinStyle(style);
    setChanged(true);
}

// ---- TItemProperties -------------------------------------------------------

TItemProperties::TItemProperties(TCanvasItem* item) : m_item(item)
{
    m_bags.append(TItemPropertiesBagPtr(new TItemPropGeometryBag(item, true)));
}

TItemProperties::~TItemProperties() = default;

QString TItemProperties::typeName() const
{
    return m_item && !isLayoutTemplate(m_item) ? m_item->type() : m_type;
}

QString TItemProperties::subtypeName() const
{
    return m_item && !isLayoutTemplate(m_item) ? m_item->subtype() : m_subtype;
}

void TItemProperties::setTypeTexts(const QString& type, const QString& subtype)
{
    m_type = type;
    m_subtype = subtype;
}

TItemPropertiesBag* TItemProperties::bag(int index) const
{
    return index >= 0 && index < m_bags.size() ? m_bags.at(index).data() : nullptr;
}

TItemPropertiesBag* TItemProperties::bagOfType(int type) const
{
    for (const TItemPropertiesBagPtr& b : m_bags)
        if (b->bagType() == type)
            return b.data();
    return nullptr;
}

void TItemProperties::addBag(TItemPropertiesBag* bag)
{
    if (bag)
        m_bags.append(TItemPropertiesBagPtr(bag));
}

void TItemProperties::clearBags()
{
    m_bags.clear();
}

void TItemProperties::setItem(TCanvasItem* item)
{
    if (m_item && !isLayoutTemplate(m_item))
        m_pluginId = m_item->pluginId();
    m_item = item;
    for (const TItemPropertiesBagPtr& b : m_bags)
        b->setItem(item);
}

void TItemProperties::releaseItem()
{
    // A bag that a page or command still holds must not point at the item
    // that is going away.
    for (const TItemPropertiesBagPtr& b : m_bags)
        if (b->item() == m_item)
            b->setItem(nullptr);
    m_item = nullptr;
}

void TItemProperties::notifyBags()
{
    for (const TItemPropertiesBagPtr& b : m_bags)
        b->aboutToHandOut();
}

void TItemProperties::write(TDataStream& s)
{
    s.beginBlock();
    s.endBlock();
    s << m_value;
    s << m_type << m_subtype;
    s << false;
    s << m_pluginId;
    writeBags(s);
}

void TItemProperties::read(TDataStream& s)
{
    m_bags.clear();
    s.skipBlock();
    s >> m_value;
    s.readString(m_type);
    s.readString(m_subtype);
    bool ignored = false;
    s >> ignored;
    s >> m_pluginId;
    readBags(s);
}

void TItemProperties::writeBags(TDataStream& s)
{
    s.beginBlock();
    s.endBlock();
    s << qint32(m_bags.size());
    for (const TItemPropertiesBagPtr& b : m_bags)
        writeBag(s, *b);
}

void TItemProperties::readBags(TDataStream& s)
{
    s.skipBlock();
    const qint32 n = s.readCount(kBagFrameBytes);
    for (qint32 i = 0; i < n && s.ok(); ++i) {
        const TItemPropertiesBagPtr bag = readBag(s);
        if (bag && s.ok())
            m_bags.append(bag);
    }
}

void TItemProperties::copyBagsFrom(TItemProperties& other)
{
    QByteArray buffer;
    {
        TDataStream w(&buffer, QIODevice::WriteOnly, 0);
        other.writeBags(w);
    }
    TDataStream r(&buffer, QIODevice::ReadOnly, 0);
    m_bags.clear();
    readBags(r);
}

void TItemProperties::writeBag(TDataStream& s, TItemPropertiesBag& bag)
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << qint32(bag.bagType());
    s << bag.pluginId();
    s.beginBlock();
    bag.write(s);
    s.endBlock();
    s.endBlock();
}

TItemPropertiesBagPtr TItemProperties::readBag(TDataStream& s)
{
    TItemPropertiesBagPtr bag;
    s.skipBlock();
    readBlock(s, BlockLength::Advisory, [&] {
        qint32 type = 0;
        QUuid id;
        s >> type >> id;
        if (!s.ok())
            return;
        if (!id.isNull())
            if (IPluginHost* host = TEmptyPlugin::instanceHost())
                bag = TItemPropertiesBagPtr(host->createPropertiesBag(type, id));
        if (!bag && type == TItemPropertiesBag::Geometry)
            bag = TItemPropertiesBagPtr(new TItemPropGeometryBag(nullptr, true));
        else if (!bag && type == TItemPropertiesBag::Shape)
            bag = TItemPropertiesBagPtr(new TItemPropShapeBag(nullptr, true));
        if (!bag) {
            s.skipBlock();
            return;
        }
        bag->setPluginId(id);
        readBlock(s, BlockLength::Advisory, [&] { bag->read(s); });
    });
    if (!s.ok())
        bag.reset();
    return bag;
}
