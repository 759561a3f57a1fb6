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

bool selectSpectrum(TCanvasMass* item, const TChromatogramDataObj* chromatogram, double from, double to,
                    bool background, const QUuid& newId, TMassDataObj** replaced,
                    const std::function<void(TBasePlot*)>& beforeReplacing)
{
    if (!item || !chromatogram || !std::isfinite(from) || !std::isfinite(to))
        return false;
    if (to < from)
        std::swap(from, to);
    const int injection = chromatogram->getInjectionIndex();
    const int function =
        chromatogram->subtype() == 6 ? item->activeFunction(injection) : chromatogram->getFunctionIndex();
    TKSMSCollection* collection = item->dataServer() ? item->msCollection(injection, function) : nullptr;
    if (!collection)
        return false;

    // The function's spectrum plot, hidden or not; without one the result
    // becomes a new plot.
    const QUuid spectrumId = item->datasetSpectrumId(injection, function);
    TBasePlot* plot = spectrumId.isNull() ? nullptr : item->plot(spectrumId, false);
    if (background && !plot)
        return false;
    const bool appendMode = item->behaviourFlags() & TCanvasMass::AppendSpectra;
    const bool replacing = plot && (background || !appendMode);

    TKSMassSpectrum spectrum;
    TKSMSCollectionSelection selection;
    if (background) {
        const TMassSpecDataObj* base = TMassSpecDataObj::cast(item->dataObject(spectrumId));
        if (!base)
            return false;
        selection.fromSpectrum(base->spectrum());
    }
    {
        MergeToleranceScope tolerance(*collection, *item);
        const bool single = from == to;
        const int mode = item->selectionMode();
        if (!background && (mode == TCanvasMass::SelectPeak || mode == TCanvasMass::SelectPeakSubtract)) {
            const auto peakMode = static_cast<TKSMSCollection::ePeakSelectMode>(mode);
            if (single)
                collection->select(from, peakMode, chromatogram->chromatogram(), selection, spectrum);
            else
                collection->select(from, to, peakMode, chromatogram->chromatogram(), selection, spectrum);
        } else if (single) {
            collection->select(from, background, selection, spectrum);
        } else {
            collection->select(from, to, background, selection, spectrum);
        }
    }
    if (spectrum.getCount() <= 0)
        return false;
    auto* object = new TMassSpecDataObj(replacing ? spectrumId : newId, spectrum, 1);
    if (!replacing) {
        object->buildPeaks();
        item->addPlotObject(object);
        return true;
    }
    if (beforeReplacing)
        beforeReplacing(plot);
    TMassDataObj* old = item->replaceDataObject(object);
    if (item->dataObject(spectrumId) != object) {
        delete object;  // no object of that id to replace
        return false;
    }
    if (replaced)
        *replaced = old;
    else
        delete old;
    return true;
}

void TCmdSelectMassSpectrum::redoMass(TCanvasMass* item, int)
{
    if (chromatogramId.isNull())
        if (const TMassDataObj* current = item->currentDataObject())
            chromatogramId = current->id();
    const TChromatogramDataObj* chromatogram = TChromatogramDataObj::cast(item->dataObject(chromatogramId));
    const auto keepView = [this](TBasePlot* plot) {
        plotState.clear();
        plot->saveState(plotState);
        plotWasVisible = plot->visible();
    };
    if (!selectSpectrum(item, chromatogram, fromTime, toTime, append, ownId, &replacedObject, keepView))
        flags |= NotApplied;
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
