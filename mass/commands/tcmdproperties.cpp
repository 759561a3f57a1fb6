#include "tcmdproperties.h"

#include "ipluginhost.h"
#include "qtcanvasitem.h"
#include "tcanvasmass.h"
#include "tcmdlist.h"
#include "streambytes.h"
#include "titemproperties.h"
#include "tmassspectrumpropertiesbag.h"
#include "tplotpropertiesbag.h"

namespace {

QByteArray bagBytes(const TItemPropertiesBag& bag)
{
    return writtenBytes([&](TDataStream& s) { bag.write(s); });
}

void readBag(TItemPropertiesBag& bag, const QByteArray& bytes)
{
    readBytes(bytes, [&](TDataStream& s) { bag.read(s); });
}

double factor(double to, double from)
{
    return from != 0 ? to / from : 1.0;
}

}  // namespace

TItemProperties* templatePropertiesOf(TCanvasItem* item)
{
    if (!item || item->rtti() != LayoutTemplateItemType)
        return nullptr;
    return static_cast<TItemProperties*>(item->queryObject(TemplatePropertiesQuery));
}

TCmdGeomProperties::TCmdGeomProperties(TCanvasItem* target, const QPointF& centre, const QSizeF& size, double angle,
                                       bool naturalSize)
    : TCommand("Set geometry properties"),
      newCentre(centre),
      newSize(size),
      oldAngle(target ? target->angle() : 0),
      newAngle(angle),
      oldNaturalSize(target && target->isNaturalSize()),
      newNaturalSize(naturalSize),
      item(target)
{
    if (item) {
        const QRectF r = item->geometry().boundingRect();
        oldCentre = r.center();
        oldSize = r.size();
    }
}

void TCmdGeomProperties::scaleTo(double sx, double sy)
{
    QPolygonF polygon = item->geometry();
    for (QPointF& p : polygon)
        p = QPointF(p.x() * sx, p.y() * sy);
    item->setGeometry(polygon);
}

void TCmdGeomProperties::moveCentreTo(const QPointF& centre)
{
    const QPointF now = item->geometry().boundingRect().center();
    item->translate(centre.x() - now.x(), centre.y() - now.y());
}

void TCmdGeomProperties::doRedo()
{
    if (!item)
        return;
    if (newNaturalSize)
        item->setNaturalSize(true);
    else
        scaleTo(factor(newSize.width(), oldSize.width()), factor(newSize.height(), oldSize.height()));
    moveCentreTo(newCentre);
    item->setAngle(newAngle, true);
}

void TCmdGeomProperties::doUndo()
{
    if (!item)
        return;
    if (oldNaturalSize) {
        item->setNaturalSize(true);
    } else {
        if (newNaturalSize)
            newSize = item->geometry().boundingRect().size();
        scaleTo(factor(oldSize.width(), newSize.width()), factor(oldSize.height(), newSize.height()));
    }
    moveCentreTo(oldCentre);
    item->setAngle(oldAngle, true);
}

TCmdShapeProperties::TCmdShapeProperties(QtCanvasPolygonalItem* target, const QBrush& brush, const QPen& pen)
    : TCommand("Set Shape Properties"),
      oldBrush(target ? target->brush() : QBrush()),
      newBrush(brush),
      oldPen(target ? target->pen() : QPen()),
      newPen(pen),
      item(target)
{
}

void TCmdShapeProperties::doRedo()
{
    if (!item)
        return;
    if (newBrush != oldBrush)
        item->setBrush(newBrush);
    if (newPen != oldPen)
        item->setPen(newPen);
}

void TCmdShapeProperties::doUndo()
{
    if (!item)
        return;
    if (newBrush != oldBrush)
        item->setBrush(oldBrush);
    if (newPen != oldPen)
        item->setPen(oldPen);
}

TCmdLayoutItemProperties::TCmdLayoutItemProperties(TCanvasItem* target, TItemPropertiesBag* bag)
    : TCommand("Set Layout Template Item Properties"), item(target), m_template(templatePropertiesOf(target))
{
    if (!bag)
        return;
    newState = bagBytes(*bag);
    if (m_template)
        itemBag = m_template->bagOfType(bag->bagType());
    if (itemBag)
        oldState = bagBytes(*itemBag);
}

void TCmdLayoutItemProperties::load(const QByteArray& state)
{
    // Without a bag of that kind in the template there is nothing to set.
    if (!itemBag || !m_template) {
        flags |= NotApplied;
        return;
    }
    itemBag->reset();
    readBag(*itemBag, state);
    // The item's own properties follow its template.
    m_template->setItem(item);
    QByteArray bytes;
    {
        TDataStream s(&bytes, QIODevice::ReadWrite);
        m_template->write(s);
        s.device()->seek(0);
        TItemProperties* own = item->properties();
        own->clearBags();
        own->read(s);
        own->setItem(item);
    }
}

void TCmdLayoutItemProperties::doRedo()
{
    load(newState);
}

void TCmdLayoutItemProperties::doUndo()
{
    if (isApplied())
        load(oldState);
}

TCmdMSPlotProperties::TCmdMSPlotProperties(const TCanvasItemList& list, TMassSpectrumPropertiesBag* bag)
    : TMSSpectraCommand("Set Mass Spectrum Properties", list)
{
    if (bag)
        newState = bagBytes(*bag);
    for (TCanvasItem* i : items) {
        TMassSpectrumPropertiesBag old(i);
        old.readFromItem(false);
        oldStates.append(bagBytes(old));
    }
}

bool TCmdMSPlotProperties::acceptMass(TCanvasMass* item)
{
    const TCanvasMass* current = currentMass();
    return item && current && item->type() == current->type() && item->subtype() == current->subtype();
}

void TCmdMSPlotProperties::redoMass(TCanvasMass* item, int)
{
    if (newState.isEmpty())
        return;  // built without a bag
    TMassSpectrumPropertiesBag bag(item);
    readBag(bag, newState);
    bag.applyToItem(item);
}

void TCmdMSPlotProperties::undoMass(TCanvasMass* item, int i)
{
    if (newState.isEmpty() || i >= oldStates.size())
        return;
    TMassSpectrumPropertiesBag bag(item);
    readBag(bag, oldStates.at(i));
    bag.applyToItem(item);
}

TCommand* massBagCommand(TMassSpectrumPropertiesBag& bag, TCanvasItem* item)
{
    if (!item || !bag.isChanged())
        return nullptr;
    bag.TItemPropertiesBag::apply(item);
    if (item->rtti() == MassSpectrumItemType)
        return new TCmdMSPlotProperties(TCanvasItemList(item), &bag);
    if (item->rtti() == LayoutTemplateItemType)
        return new TCmdLayoutItemProperties(item, &bag);
    return nullptr;
}

TCommand* multiMassBagCommand(TMultiMassSpectrumPropertiesBag& bag, TCanvasItem* item)
{
    if (!item || !bag.isChanged())
        return nullptr;
    bag.TItemPropertiesBag::apply(item);
    auto* list = new TCmdList("Set Selected Mass Spectra Properties");
    for (const TItemPropertiesBagPtr& ptr : bag.itemBags()) {
        auto* other = static_cast<TMassSpectrumPropertiesBag*>(ptr.data());
        TCanvasItem* otherItem = other ? other->item() : nullptr;
        if (!otherItem || otherItem->type() != item->type() || otherItem->subtype() != item->subtype())
            continue;
        bool copied = false;
        const int n = std::min(bag.plotBags().size(), other->plotBags().size());
        for (int k = 0; k < n; ++k) {
            if (comparePlotPropertiesBags(*bag.plotBags().at(k), *other->plotBags().at(k)) != 0) {
                copyPlotPropertiesBag(*bag.plotBags().at(k), *other->plotBags().at(k));
                copied = true;
            }
        }
        if (!copied)
            continue;
        other->setChanged(true);
        TCommand* command = massBagCommand(*other, otherItem);
        other->setChanged(false);
        list->insert(command);
    }
    if (list->count() == 0) {
        delete list;
        return nullptr;
    }
    return list;
}

namespace {

TCommand* bagCommand(TItemPropertiesBag& bag, TCanvasItem* item)
{
    if (auto* multi = dynamic_cast<TMultiMassSpectrumPropertiesBag*>(&bag))
        return multiMassBagCommand(*multi, item);
    if (auto* mass = dynamic_cast<TMassSpectrumPropertiesBag*>(&bag))
        return massBagCommand(*mass, item);
    if (auto* geometry = dynamic_cast<TItemPropGeometryBag*>(&bag))
        return new TCmdGeomProperties(item, geometry->centre(), geometry->size(), geometry->angle(), geometry->flag());
    if (auto* shape = dynamic_cast<TItemPropShapeBag*>(&bag))
        return new TCmdShapeProperties(item, shape->brush(), shape->pen());
    return nullptr;
}

}  // namespace

void registerBagCommands()
{
    setBagCommandMaker(&bagCommand);
}
