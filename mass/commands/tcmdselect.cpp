#include "tcmdselect.h"

#include <cmath>
#include <utility>

#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tkscollection.h"
#include "tksvalues.h"
#include "tmassdataobj.h"

namespace {

// The collection's merge tolerance, set to the item's for one selection
// and put back afterwards.
class MergeToleranceScope {
public:
    MergeToleranceScope(TKSMSCollection& collection, const TCanvasMass& item)
        : m_collection(collection),
          m_tolerance(collection.getMergeTolerance()),
          m_inDa(collection.getMergeToleranceInDa())
    {
        m_collection.setMergeTolerance(item.toleranceUnits() & TCanvasMass::MergeToleranceInDa, item.mergeTolerance());
    }
    ~MergeToleranceScope() { m_collection.setMergeTolerance(m_inDa, m_tolerance); }
    MergeToleranceScope(const MergeToleranceScope&) = delete;
    MergeToleranceScope& operator=(const MergeToleranceScope&) = delete;

private:
    TKSMSCollection& m_collection;
    double m_tolerance;
    bool m_inDa;
};

}  // namespace

TCmdSelectMassSpectrum::TCmdSelectMassSpectrum(const QRectF& range, const TCanvasItemList& list, bool add)
    : TMSSpectraCommand("Set Mass Spectrum", list),
      fromTime(range.x()),
      toTime(range.x() + range.width()),
      ownId(QUuid::createUuid()),
      append(add)
{
    if (toTime < fromTime)
        std::swap(fromTime, toTime);
}

TCmdSelectMassSpectrum::TCmdSelectMassSpectrum(const QPointF& point, const TCanvasItemList& list, bool add)
    : TMSSpectraCommand("Set Mass Spectrum", list),
      fromTime(point.x()),
      toTime(point.x()),
      ownId(QUuid::createUuid()),
      append(add)
{
}

TCmdSelectMassSpectrum::~TCmdSelectMassSpectrum()
{
    // Undo hands the replaced object back and clears it: what is held here
    // is the command's.
    delete replacedObject;
}

void TCmdSelectMassSpectrum::redoMass(TCanvasMass* item, int)
{
    if (!select(item))
        flags |= NotApplied;
}

bool TCmdSelectMassSpectrum::select(TCanvasMass* item)
{
    if (!std::isfinite(fromTime) || !std::isfinite(toTime))
        return false;
    const TChromatogramDataObj* chromatogram = TChromatogramDataObj::cast(item->currentDataObject());
    if (!chromatogram)
        return false;
    const int injection = chromatogram->getInjectionIndex();
    int function = chromatogram->getFunctionIndex();
    if (chromatogram->subtype() == 6)
        function = item->activeFunction(injection);
    const bool appendMode = item->behaviourFlags() & TCanvasMass::AppendSpectra;
    TKSMSCollection* collection = item->dataServer() ? item->msCollection(injection, function) : nullptr;
    if (!collection)
        return false;

    QUuid target = item->datasetSpectrumId(injection, function);
    TBasePlot* plot = target.isNull() ? nullptr : item->plot(target, false);
    if (plot) {
        plotState.clear();
        plot->saveState(plotState);
        plotWasVisible = plot->visible();
    } else {
        if (append)
            return false;
        target = ownId;
    }
    if (appendMode && !append)
        target = ownId;

    TKSMassSpectrum spectrum;
    TKSMSCollectionSelection selection;
    if (append) {
        const TMassSpecDataObj* base = TMassSpecDataObj::cast(item->dataObject(target));
        if (!base)
            return false;
        selection.fromSpectrum(base->spectrum());
    }
    {
        MergeToleranceScope tolerance(*collection, *item);
        const bool single = fromTime == toTime;
        const int mode = item->selectionMode();
        if (!append && (mode == TCanvasMass::SelectPeak || mode == TCanvasMass::SelectPeakSubtract)) {
            const auto peakMode = static_cast<TKSMSCollection::ePeakSelectMode>(mode);
            if (single)
                collection->select(fromTime, peakMode, chromatogram->chromatogram(), selection, spectrum);
            else
                collection->select(fromTime, toTime, peakMode, chromatogram->chromatogram(), selection, spectrum);
        } else if (single) {
            collection->select(fromTime, append, selection, spectrum);
        } else {
            collection->select(fromTime, toTime, append, selection, spectrum);
        }
    }
    if (spectrum.getCount() <= 0)
        return false;
    auto* object = new TMassSpecDataObj(target, spectrum, 1);
    if (plot && (append || !appendMode)) {
        TMassDataObj* old = item->replaceDataObject(object);
        if (item->dataObject(target) != object) {
            delete object;  // no object of that id to replace
            return false;
        }
        replacedObject = old;
    } else {
        object->buildPeaks();
        item->addPlotObject(object);
    }
    return true;
}

void TCmdSelectMassSpectrum::undoMass(TCanvasMass* item, int)
{
    if (replacedObject) {
        const QUuid id = replacedObject->id();
        TMassDataObj* back = item->replaceDataObject(replacedObject);
        if (item->dataObject(id) != replacedObject)
            delete replacedObject;  // the item lost that object meanwhile
        delete back;
        replacedObject = nullptr;
        if (TBasePlot* plot = item->plot(id, false)) {
            if (!plotState.isEmpty()) {
                plot->restoreState(plotState);
                item->setPlotVisible(id, plotWasVisible);
            }
        }
        return;
    }
    item->removePlotObject(ownId);
}

TCmdSetMassSpectrumSelectionMode::TCmdSetMassSpectrumSelectionMode(int newMode, const TCanvasItemList& list)
    : TMSSpectraCommand("Set Spectrum Selection Mode", list), mode(newMode), previousModes(items.size())
{
}

void TCmdSetMassSpectrumSelectionMode::redoMass(TCanvasMass* item, int i)
{
    previousModes[i] = item->selectionMode();
    item->setSelectionMode(mode);
}

void TCmdSetMassSpectrumSelectionMode::undoMass(TCanvasMass* item, int i)
{
    item->setSelectionMode(previousModes.at(i));
}

TCmdSetActiveMassFunction::TCmdSetActiveMassFunction(TCanvasMass* item, int inj, int fn)
    : TMSSpectraCommand("Set active mass function", TCanvasItemList(item)), injection(inj), function(fn)
{
    const int previous = item ? item->activeFunction(inj) : -1;
    previousFunction = previous != -1 ? previous : 0;
}

void TCmdSetActiveMassFunction::redoMass(TCanvasMass* item, int)
{
    item->setActiveFunction(injection, function);
}

void TCmdSetActiveMassFunction::undoMass(TCanvasMass* item, int)
{
    item->setActiveFunction(injection, previousFunction);
}
