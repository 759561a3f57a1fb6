#include "tcanvasitemwrapper.h"

#include <QPolygonF>
#include <QScriptContext>
#include <QScriptEngine>

#include <cmath>
#include <limits>

#include "ipluginhost.h"
#include "massutils.h"
#include "scripthelpers.h"
#include "temptyplugin.h"

bool isLivePageItem(const TCanvasItem* item)
{
    if (!item)
        return false;
    IPluginHost* host = TEmptyPlugin::instanceHost();
    // Items the host builds live in its own copy of the shared classes: only
    // the host knows its items, so a wrapper cannot keep a registry of them.
    return host && host->allItems().contains(const_cast<TCanvasItem*>(item));
}

namespace {

// The item's own rectangle on the page, in whole pixels. The page's
// bounding rectangle of an item also holds the pen margin (and the
// rotation) for repainting: sizes measured on it would not read back, and
// a resize through it would move the item by the margin each time.
int roundedPixels(double value)
{
    // Far-off items keep to the integer range (and NaN reads 0).
    if (!(value > -2147483648.0))
        return value < 0 ? std::numeric_limits<int>::min() : 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int>::max();
    return qRound(value);
}

QRect itemBounds(const TCanvasItem* item)
{
    const QRectF r = item->geometry().boundingRect();
    return QRect(roundedPixels(r.x()), roundedPixels(r.y()), roundedPixels(r.width()), roundedPixels(r.height()));
}

}  // namespace

TCanvasItemWrapper::TCanvasItemWrapper(TCanvasItem* item, QObject* parent)
    : TPureWrapperTemplate<TCanvasItem>(item, parent)
{
    // item() hands the pointer to scripts as a variant of this type.
    static const int pageItemType = qRegisterMetaType<TCanvasItem*>("TCanvasItem*");
    Q_UNUSED(pageItemType);
}

TCanvasItem* TCanvasItemWrapper::object() const
{
    TCanvasItem* item = heldObject();
    return isLivePageItem(item) ? item : nullptr;
}

TCanvasItem* TCanvasItemWrapper::wrappedObject() const
{
    return object();
}

bool TCanvasItemWrapper::isValid() const
{
    return object() != nullptr;
}

QString TCanvasItemWrapper::name() const
{
    const TCanvasItem* item = object();
    return item ? itemTypeName(item->rtti()) : QString();
}

QString TCanvasItemWrapper::uuid() const
{
    const TCanvasItem* item = object();
    return item ? item->ownId().toString() : QString();
}

QString TCanvasItemWrapper::type() const
{
    const TCanvasItem* item = object();
    return item ? item->type() : QString();
}

QString TCanvasItemWrapper::subtype() const
{
    const TCanvasItem* item = object();
    return item ? item->subtype() : QString();
}

double TCanvasItemWrapper::left() const
{
    const TCanvasItem* item = object();
    return item ? pixelsToMm(item->x()) : 0;
}

void TCanvasItemWrapper::setLeft(double mm)
{
    TCanvasItem* item = object();
    const double pixels = mmToPixels(mm);
    if (item && std::isfinite(pixels))
        item->move(pixels, item->y());
}

double TCanvasItemWrapper::top() const
{
    const TCanvasItem* item = object();
    return item ? pixelsToMm(item->y()) : 0;
}

void TCanvasItemWrapper::setTop(double mm)
{
    TCanvasItem* item = object();
    const double pixels = mmToPixels(mm);
    if (item && std::isfinite(pixels))
        item->move(item->x(), pixels);
}

double TCanvasItemWrapper::right() const
{
    return object() ? left() + width() : 0;
}

void TCanvasItemWrapper::setRight(double mm)
{
    if (object() && std::isfinite(mm))
        setWidth(mm - left());
}

double TCanvasItemWrapper::bottom() const
{
    return object() ? top() + height() : 0;
}

void TCanvasItemWrapper::setBottom(double mm)
{
    if (object() && std::isfinite(mm))
        setHeight(mm - top());
}

double TCanvasItemWrapper::width() const
{
    const TCanvasItem* item = object();
    return item ? pixelsToMm(itemBounds(item).width()) : 0;
}

void TCanvasItemWrapper::setWidth(double mm)
{
    setSide(true, mm);
}

double TCanvasItemWrapper::height() const
{
    const TCanvasItem* item = object();
    return item ? pixelsToMm(itemBounds(item).height()) : 0;
}

void TCanvasItemWrapper::setHeight(double mm)
{
    setSide(false, mm);
}

void TCanvasItemWrapper::setSide(bool horizontal, double mm)
{
    TCanvasItem* item = object();
    const double pixels = mmToPixels(mm);
    if (!item || !std::isfinite(pixels))
        return;
    // The bounding rectangle's top-left corner stays where it is.
    const QRect bounds = itemBounds(item);
    QRectF rect(bounds.x(), bounds.y(), bounds.width(), bounds.height());
    if (horizontal)
        rect.setWidth(pixels);
    else
        rect.setHeight(pixels);
    item->setGeometry(QPolygonF(rect).mid(0, 4));
}

double TCanvasItemWrapper::angle() const
{
    const TCanvasItem* item = object();
    return item ? item->angle() : 0;
}

void TCanvasItemWrapper::setAngle(double degrees)
{
    // The item ignores angles that are not finite.
    if (TCanvasItem* item = object())
        item->setAngle(degrees, true);
}

void TCanvasItemWrapper::updateItem()
{
    // Without a live item there is nothing to repaint.
    if (TCanvasItem* item = object())
        item->update();
}

QScriptValue TCanvasItemWrapper::accessUnknownProperty(bool read)
{
    QScriptContext* ctx = context();
    if (!ctx)
        return QScriptValue();
    const int count = ctx->argumentCount();
    if (read ? count != 1 : count < 2)
        return throwScriptError(ctx, ScriptArgumentCount);
    return printScriptWarning(engine(), ScriptUnknownParameter, ctx->argument(0).toString());
}

QString TCanvasItemWrapper::toString() const
{
    return QStringLiteral("Page Item (name:%1, uuid:%2)").arg(name(), uuid());
}

TCanvasItem* TCanvasItemWrapper::item() const
{
    return object();
}

QScriptValue TCanvasItemWrapper::getProperty()
{
    return accessUnknownProperty(true);
}

QScriptValue TCanvasItemWrapper::setProperty()
{
    return accessUnknownProperty(false);
}

void TCanvasItemWrapper::update()
{
    updateItem();
}

void TCanvasItemWrapper::translate(double aXShift, double aYShift)
{
    TCanvasItem* item = object();
    const double dx = mmToPixels(aXShift);
    const double dy = mmToPixels(aYShift);
    if (item && std::isfinite(dx) && std::isfinite(dy))
        item->translate(dx, dy);
}
