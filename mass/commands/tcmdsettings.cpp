#include "tcmdsettings.h"

#include <QSet>

#include <cmath>

#include "qtcanvas.h"
#include "tcanvasmass.h"
#include "tmasselementcomposition.h"
#include "tmassdataserver.h"

TCmdSetMassItemBehaviorFlag::TCmdSetMassItemBehaviorFlag(int mask, bool value, const char* name,
                                                         const TCanvasItemList& list)
    : TMSSpectraCommand(name, list), flagMask(mask), flagValue(value), previousFlags(items.size())
{
}

void TCmdSetMassItemBehaviorFlag::redoMass(TCanvasMass* item, int i)
{
    previousFlags[i] = item->behaviourFlags();
    item->setBehaviourFlags(flagValue ? (item->behaviourFlags() | flagMask) : (item->behaviourFlags() & ~flagMask));
}

void TCmdSetMassItemBehaviorFlag::undoMass(TCanvasMass* item, int i)
{
    item->setBehaviourFlags(previousFlags.at(i));
}

TCmdSetMassItemAppendBhvFlag::TCmdSetMassItemAppendBhvFlag(bool value, const TCanvasItemList& list, const char* name)
    : TCmdSetMassItemBehaviorFlag(TCanvasMass::AppendSpectra, value, name, list)
{
}

TCmdSetMassMergeTolerance::TCmdSetMassMergeTolerance(int w, double value, bool da, const TCanvasItemList& list)
    : TMSSpectraCommand("Set merge tolerance", list),
      which(w),
      tolerance(value),
      inDa(da),
      previousTolerances(items.size()),
      previousInDa(items.size())
{
}

void TCmdSetMassMergeTolerance::doRedo()
{
    // A tolerance of 0, below 0 or not a number would make every later
    // selection or mass chromatogram fail.
    if (!(std::isfinite(tolerance) && tolerance > 0)) {
        flags |= NotApplied;
        return;
    }
    TMSSpectraCommand::doRedo();
}

void TCmdSetMassMergeTolerance::redoMass(TCanvasMass* item, int i)
{
    if (which == ChromatogramTolerance) {
        previousTolerances[i] = item->chromatogramTolerance();
        previousInDa[i] = item->toleranceUnits() & TCanvasMass::ChromatogramToleranceInDa;
        item->setChromatogramTolerance(tolerance, inDa);
    } else {
        previousTolerances[i] = item->mergeTolerance();
        previousInDa[i] = item->toleranceUnits() & TCanvasMass::MergeToleranceInDa;
        item->setMergeTolerance(tolerance, inDa);
    }
}

void TCmdSetMassMergeTolerance::undoMass(TCanvasMass* item, int i)
{
    if (!isApplied())
        return;
    if (which == ChromatogramTolerance)
        item->setChromatogramTolerance(previousTolerances.at(i), previousInDa.at(i));
    else
        item->setMergeTolerance(previousTolerances.at(i), previousInDa.at(i));
}

TCmdSetElementCompositionConstraints::TCmdSetElementCompositionConstraints(const TKSCompositionConstraints& c,
                                                                           const TCanvasItemList& list)
    : TMSSpectraCommand("Set Elemental Composition Constraints", list), constraints(c)
{
}

void TCmdSetElementCompositionConstraints::redoMass(TCanvasMass* item, int i)
{
    TKSCompositionCalculator& calculator = item->elementComposition().calculator();
    if (previousConstraints.size() == i)
        previousConstraints.append(elementConstraintsToByteArray(calculator.getConstraints()));
    calculator.setConstraints(constraints);
}

void TCmdSetElementCompositionConstraints::undoMass(TCanvasMass* item, int i)
{
    if (i >= previousConstraints.size())
        return;
    bool ok = false;
    const TKSCompositionConstraints previous = elementConstraintsFromByteArray(previousConstraints.at(i), &ok);
    if (ok)
        item->elementComposition().calculator().setConstraints(previous);
}

TCmdSetMolMatchSettings::TCmdSetMolMatchSettings(const TMolMatchSettings& s, const TCanvasItemList& list)
    : TMSSpectraCommand("Set Molecule Match Settings", list), settings(s)
{
}

void TCmdSetMolMatchSettings::redoMass(TCanvasMass* item, int i)
{
    if (previousSettings.size() == i)
        previousSettings.append(item->moleculeMatch().settings());
    item->moleculeMatch().applySettings(settings);
}

void TCmdSetMolMatchSettings::undoMass(TCanvasMass* item, int i)
{
    if (i < previousSettings.size())
        item->moleculeMatch().applySettings(previousSettings.at(i));
}

TCmdUpdateMSDatasetFile::TCmdUpdateMSDatasetFile(const QUuid& id, const QString& path, TMassDataServerHandler* h,
                                                 const TCanvasItemList& items)
    : TCommand("Update MS dataset file"), handler(h), datasetId(id), newPath(path)
{
    const TMassDatasetEntry* entry = handler ? handler->entry(id) : nullptr;
    if (entry)
        oldPath = entry->name();
    for (TCanvasItem* item : items)
        if (item && item->rtti() == MassSpectrumItemType && static_cast<TCanvasMass*>(item)->datasetKey() == id)
            datasetItems.append(item);
}

void TCmdUpdateMSDatasetFile::doRedo()
{
    const TMassDatasetEntry* entry = handler ? handler->entry(datasetId) : nullptr;
    QString path = newPath;
    // A file the dataset's provider does not take would leave the items
    // without data: nothing changes then.
    if (entry && !handler->isValidDataset(path, entry->provider())) {
        flags |= NotApplied;
        return;
    }
    if (entry)
        handler->changeDatasetFile(datasetId, newPath);
    refresh();
}

void TCmdUpdateMSDatasetFile::doUndo()
{
    if (!isApplied())
        return;
    if (handler)
        handler->changeDatasetFile(datasetId, oldPath);
    refresh();
}

void TCmdUpdateMSDatasetFile::refresh()
{
    for (TCanvasItem* item : datasetItems)
        item->update();
    QSet<QtCanvas*> done;
    for (QtCanvas* canvas : datasetItems.canvasesOf()) {
        if (!canvas || done.contains(canvas))
            continue;
        done.insert(canvas);
        canvas->update();
    }
}
