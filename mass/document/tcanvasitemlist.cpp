#include "tcanvasitem.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <functional>

int TCanvasItemList::countOfType(int type) const
{
    return int(std::count_if(begin(), end(), [type](const TCanvasItem* i) { return i && i->rtti() == type; }));
}

TCanvasItem* TCanvasItemList::firstOfType(int type) const
{
    for (TCanvasItem* i : *this)
        if (i && i->rtti() == type)
            return i;
    return nullptr;
}

TCanvasItem* TCanvasItemList::activeOfType(int type) const
{
    for (TCanvasItem* i : *this)
        if (i && i->rtti() == type && i->isActive())
            return i;
    return firstOfType(type);
}

TCanvasItemList TCanvasItemList::itemsOfType(int type) const
{
    TCanvasItemList out;
    for (TCanvasItem* i : *this)
        if (i && i->rtti() == type)
            out.append(i);
    return out;
}

QList<QtCanvas*> TCanvasItemList::canvasesOf() const
{
    QList<QtCanvas*> out;
    for (TCanvasItem* i : *this)
        if (i)
            out.append(i->canvas());
    return out;
}

TCanvasItem* TCanvasItemList::findItem(const QUuid& id) const
{
    for (TCanvasItem* i : *this)
        if (i && i->ownId() == id)
            return i;
    return nullptr;
}

TCanvasItem* TCanvasItemList::activeItem() const
{
    for (TCanvasItem* i : *this)
        if (i && i->isActive())
            return i;
    return isEmpty() ? nullptr : first();
}

TCanvasItemList TCanvasItemList::topLevelItems() const
{
    QSet<QUuid> listed;
    for (const TCanvasItem* i : *this)
        if (i)
            listed.insert(i->ownId());
    TCanvasItemList out;
    for (TCanvasItem* i : *this)
        if (!i || i->parentId().isNull() || !listed.contains(i->parentId()))
            out.append(i);
    return out;
}

QList<QUuid> TCanvasItemList::distinctObjectIds() const
{
    QList<QUuid> ids;
    for (const TCanvasItem* i : *this) {
        if (!i)
            continue;
        const QUuid id = i->objectId();
        if (!id.isNull() && !ids.contains(id))
            ids.append(id);
    }
    return ids;
}

TCanvasItem* TCanvasItemList::itemByObjectId(const QUuid& id) const
{
    for (TCanvasItem* i : *this)
        if (i && i->objectId() == id)
            return i;
    return nullptr;
}

TCanvasItemList TCanvasItemList::distinctObjectItems() const
{
    TCanvasItemList out;
    for (const QUuid& id : distinctObjectIds())
        out.append(itemByObjectId(id));
    return out;
}

TCanvasItemList TCanvasItemList::withChildItems() const
{
    TCanvasItemList out;
    for (TCanvasItem* i : topLevelItems()) {
        out.append(i);
        out.append(TCanvasItem::childItems(i));
    }
    return out;
}

TCanvasItemList TCanvasItemList::sortByZ(int order) const
{
    TCanvasItemList sorted = *this;
    if (order != 0 && order != 1)
        return sorted;
    // Items with a z first, then those whose z is not a number, then null
    // entries: a total order, whatever the values.
    auto rank = [](const TCanvasItem* i) { return !i ? 2 : std::isnan(i->z()) ? 1 : 0; };
    const std::less<const TCanvasItem*> before;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const TCanvasItem* a, const TCanvasItem* b) {
        const int ra = rank(a), rb = rank(b);
        if (ra != rb)
            return ra < rb;
        if (ra != 0)
            return false;
        if (a->z() != b->z())
            return order == 0 ? a->z() > b->z() : a->z() < b->z();
        return order == 0 ? before(b, a) : before(a, b);
    });
    return sorted;
}
