#include "tcmdanalysis.h"

#include <cmath>

#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "streambytes.h"
#include "tkscomposition.h"
#include "tksmatcher.h"
#include "tksvalues.h"
#include "tmassdataobj.h"
#include "tmasselementcomposition.h"
#include "tmassmoleculematch.h"

namespace {

template <class State>
QByteArray stateBytes(const State& state)
{
    return writtenBytes([&](TDataStream& s) { state.save(s); });
}

template <class State>
void loadState(State& state, const QByteArray& bytes)
{
    readBytes(bytes, [&](TDataStream& s) { state.load(s); });
}

QByteArray resultObjectBytes(const TMassMoleculeMatch& match)
{
    return writtenBytes([&](TDataStream& s) { match.saveResultObjects(s); });
}

void loadResultObjects(TMassMoleculeMatch& match, const QByteArray& bytes)
{
    readBytes(bytes, [&](TDataStream& s) { match.loadResultObjects(s); });
}

bool validResult(const TCanvasMass* item, int index)
{
    return index >= 0 && index < static_cast<int>(item->moleculeMatch().matcher().getResults().size());
}

}  // namespace

bool hasSelectedMatchResult(const TCanvasMass* item)
{
    return item && validResult(item, item->moleculeMatch().selectedResult());
}

TCmdMassElementComposition::TCmdMassElementComposition(const TMassSpecDataObj* spectrum, double value,
                                                       const TKSElementTable* table, const TCanvasItemList& list)
    : TMSSpectraCommand("Elemental Composition", list),
      mz(value),
      spectrumId(spectrum ? spectrum->id() : QUuid()),
      elementTable(table)
{
    if (TCanvasMass* current = currentMass())
        previousState = stateBytes(current->elementComposition());
}

const TMassSpecDataObj* TCmdMassElementComposition::spectrumFor(const TCanvasMass* item) const
{
    if (spectrumId.isNull())
        return nullptr;
    if (const TMassSpecDataObj* own = TMassSpecDataObj::cast(item->dataObject(spectrumId)))
        return own;
    for (const TCanvasItem* other : items)
        if (const TMassSpecDataObj* found =
                TMassSpecDataObj::cast(static_cast<const TCanvasMass*>(other)->dataObject(spectrumId)))
            return found;
    return nullptr;
}

void TCmdMassElementComposition::redoMass(TCanvasMass* item, int)
{
    // An m/z outside the spectrum's range has no peak to explain: the
    // calculator would still answer formulas for it.
    const TMassSpecDataObj* spectrum = spectrumFor(item);
    if (!spectrum || !std::isfinite(mz) || mz < spectrum->getMinimumX() || mz > spectrum->getMaximumX()) {
        flags |= NotApplied;
        return;
    }
    TMassElementComposition& state = item->elementComposition();
    state.setSpectrumId(spectrum->id());
    TKSCompositionCalculator& calculator = state.calculator();
    calculator.setElementTable(elementTable);
    calculator.setSpectrum(spectrum->spectrum());
    if (!calculator.compute(mz)) {
        // An m/z the calculator refuses: the state stays as it was.
        loadState(state, previousState);
        flags |= NotApplied;
    }
}

void TCmdMassElementComposition::undoMass(TCanvasMass* item, int)
{
    if (isApplied())
        loadState(item->elementComposition(), previousState);
}

TCmdMoleculeMatcher::TCmdMoleculeMatcher(const std::vector<std::wstring>& files, const std::vector<std::wstring>& ids,
                                         const TKSElementTable* table, const TCanvasItemList& list)
    : TMSSpectraCommand("Molecule Matcher", list), molfiles(files), moleculeIds(ids), elementTable(table)
{
    for (TCanvasItem* item : items)
        previousStates.append(stateBytes(static_cast<TCanvasMass*>(item)->moleculeMatch()));
}

void TCmdMoleculeMatcher::doRedo()
{
    TMSSpectraCommand::doRedo();
    if (!computed.contains(true))
        flags |= NotApplied;  // nothing matched anywhere: no change
}

void TCmdMoleculeMatcher::redoMass(TCanvasMass* item, int i)
{
    if (computed.size() == i) {
        computed.append(false);
        resultStates.append(QByteArray());
    }
    TMassMoleculeMatch& match = item->moleculeMatch();
    if (!computed.at(i)) {
        match.matcher().setElementTable(elementTable);
        item->setMatcherSpectra();
        bool found = match.matcher().matchMolecules(molfiles, moleculeIds);
        if (found) {
            found = false;
            for (const TKSMoleculeMatchResult2& r : match.matcher().getResults())
                found = found || r.getIsMatched();
        }
        computed[i] = found;
        if (found) {
            resultStates[i] = stateBytes(match);
        } else {
            // Nothing matched (no molecules, none readable): the state
            // goes back to what it was.
            match.clearResultObjects();
            loadState(match, previousStates.at(i));
        }
    } else {
        match.clearResultObjects();
        loadState(match, resultStates.at(i));
    }
}

void TCmdMoleculeMatcher::undoMass(TCanvasMass* item, int i)
{
    if (i >= computed.size() || !computed.at(i))
        return;  // this item's match changed nothing
    TMassMoleculeMatch& match = item->moleculeMatch();
    match.clearResultObjects();
    loadState(match, previousStates.at(i));
}

TCmdSelectMolMatchResult::TCmdSelectMolMatchResult(const TCanvasItemList& list)
    : TMSSpectraCommand("Show Molecule Match Highlight", list)
{
    takeSnapshots();
}

TCmdSelectMolMatchResult::TCmdSelectMolMatchResult(int index, TCanvasMass* item)
    : TMSSpectraCommand("Select Molecule Match Result", TCanvasItemList(item)), resultIndex(index)
{
    previousIndex = item ? item->moleculeMatch().selectedResult() : -1;
    takeSnapshots();
}

TCmdSelectMolMatchResult::~TCmdSelectMolMatchResult()
{
    // Undo hands the replaced objects back and empties the lists: what they
    // still hold is the command's, done or not (the script's selection runs
    // doRedo alone and never becomes done).
    for (const auto& entries : replacedObjects)
        for (const auto& entry : entries)
            delete entry.first;
}

void TCmdSelectMolMatchResult::takeSnapshots()
{
    replacedObjects.resize(items.size());
    addedIds.resize(items.size());
    for (TCanvasItem* item : items)
        resultObjectStates.append(resultObjectBytes(static_cast<TCanvasMass*>(item)->moleculeMatch()));
}

bool TCmdSelectMolMatchResult::acceptMass(TCanvasMass* item)
{
    if (!item)
        return false;
    if (resultIndex == -1 && previousIndex == -1)
        return hasSelectedMatchResult(item);
    return item == currentMass() && validResult(item, resultIndex);
}

QUuid TCmdSelectMolMatchResult::showSpectrum(TCanvasMass* item, int i, const TKSMassSpectrum& spectrum)
{
    QUuid id = item->datasetSpectrumId(spectrum.getInjectionIndex(), spectrum.getFunctionIndex());
    const bool isNew = id.isNull();
    if (isNew)
        id = QUuid::createUuid();
    auto* object = new TMassSpecDataObj(id, spectrum, 1);
    if (isNew) {
        addedIds[i].append(id);
        item->addPlotObject(object);
        return id;
    }
    const bool wasVisible = item->isPlotVisible(id);
    TMassDataObj* old = item->replaceDataObject(object);
    if (item->dataObject(id) != object) {
        delete object;
        return QUuid();
    }
    if (old)
        replacedObjects[i].append(qMakePair(old, wasVisible));
    return id;
}

void TCmdSelectMolMatchResult::showChromatogram(TCanvasMass* item, const TKSChromatogram& chromatogram, bool positive)
{
    if (chromatogram.getCount() <= 0)
        return;
    TMassMoleculeMatch& match = item->moleculeMatch();
    const int ms = match.inputFunction(positive ? TMassMoleculeMatch::MSPositive : TMassMoleculeMatch::MSNegative);
    const int msms =
        match.inputFunction(positive ? TMassMoleculeMatch::MSMSPositive : TMassMoleculeMatch::MSMSNegative);
    QUuid id;
    if (ms >= 0)
        id = item->datasetChromatogramId(match.injection(), ms);
    if (id.isNull() && msms >= 0)
        id = item->datasetChromatogramId(match.injection(), msms);
    if (id.isNull())
        return;
    match.setResultObject(positive ? 4 : 5, new TChromatogramDataObj(id, chromatogram, 3));
}

void TCmdSelectMolMatchResult::redoMass(TCanvasMass* item, int i)
{
    TMassMoleculeMatch& match = item->moleculeMatch();
    const int index = resultIndex != -1 ? resultIndex : match.selectedResult();
    if (!validResult(item, index))
        return;
    const TKSMoleculeMatchResult2 result = match.matcher().getResults().at(static_cast<size_t>(index));
    if (!result.getIsMatched())
        return;
    // The earlier result's objects go (also those under keys this result
    // lacks).
    match.clearResultObjects();
    if (resultIndex != -1)
        match.setSelectedResult(resultIndex);

    struct Step {
        bool (TKSMoleculeMatchResult2::*shown)(TKSMassSpectrum&) const;
        bool (TKSMoleculeMatchResult2::*overlay)(TKSMassSpectrum&) const;
        int key;
        int subtype;
    };
    const Step steps[] = {
        {&TKSMoleculeMatchResult2::getMSPosSpectrum, &TKSMoleculeMatchResult2::getIsoClusterPosSpectrum,
         TMassMoleculeMatch::PositiveCluster, 2},
        {&TKSMoleculeMatchResult2::getMSMSPosSpectrum, &TKSMoleculeMatchResult2::getFragmentPosSpectrum,
         TMassMoleculeMatch::PositiveFragments, 3},
        {&TKSMoleculeMatchResult2::getMSNegSpectrum, &TKSMoleculeMatchResult2::getIsoClusterNegSpectrum,
         TMassMoleculeMatch::NegativeCluster, 2},
        {&TKSMoleculeMatchResult2::getMSMSNegSpectrum, &TKSMoleculeMatchResult2::getFragmentNegSpectrum,
         TMassMoleculeMatch::NegativeFragments, 3},
    };
    TKSMassSpectrum spectrum;
    for (const Step& step : steps) {
        if (!(result.*step.shown)(spectrum))
            continue;
        const QUuid id = showSpectrum(item, i, spectrum);
        if (id.isNull() || !(result.*step.overlay)(spectrum))
            continue;
        match.setResultObject(step.key, new TMassSpecDataObj(id, spectrum, step.subtype));
    }
    TKSChromatogram chromatogram;
    if (result.getMICPosChromatogram(chromatogram))
        showChromatogram(item, chromatogram, true);
    TKSChromatogram negative;
    if (result.getMICNegChromatogram(negative))
        showChromatogram(item, negative, false);
}

void TCmdSelectMolMatchResult::undoMass(TCanvasMass* item, int i)
{
    TMassMoleculeMatch& match = item->moleculeMatch();
    match.clearResultObjects();
    loadResultObjects(match, resultObjectStates.value(i));
    if (resultIndex != -1)
        match.setSelectedResult(previousIndex);
    for (const auto& entry : replacedObjects.value(i)) {
        const QUuid id = entry.first->id();
        TMassDataObj* back = item->replaceDataObject(entry.first);
        if (item->dataObject(id) != entry.first)
            delete entry.first;  // the item lost that plot meanwhile
        delete back;
        item->setPlotVisible(id, entry.second);
    }
    if (i < replacedObjects.size())
        replacedObjects[i].clear();
    for (const QUuid& id : addedIds.value(i))
        item->removePlotObject(id);
    if (i < addedIds.size())
        addedIds[i].clear();
}

TCmdHideMolMatchHighlight::TCmdHideMolMatchHighlight(const TCanvasItemList& list)
    : TMSSpectraCommand("Hide Molecule Match Highlight", list)
{
    for (TCanvasItem* item : items)
        resultObjectStates.append(resultObjectBytes(static_cast<TCanvasMass*>(item)->moleculeMatch()));
}

bool TCmdHideMolMatchHighlight::acceptMass(TCanvasMass* item)
{
    return hasSelectedMatchResult(item);
}

void TCmdHideMolMatchHighlight::redoMass(TCanvasMass* item, int)
{
    item->moleculeMatch().clearResultObjects();
}

void TCmdHideMolMatchHighlight::undoMass(TCanvasMass* item, int i)
{
    TMassMoleculeMatch& match = item->moleculeMatch();
    match.clearResultObjects();
    loadResultObjects(match, resultObjectStates.value(i));
}
