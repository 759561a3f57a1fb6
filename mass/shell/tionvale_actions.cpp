// The plug-in's actions by name, their states before every host refresh,
// the item context menu, and the host's zoom, intensity and cut calls. All
// work on the active mass item and change documents only through commands
// handed to the host.
#include "tionvale.h"

#include <QDoubleSpinBox>
#include <QMessageBox>

#include <string>
#include <vector>

#include "ipeers.h"
#include "ipluginhost.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tcmdanalysis.h"
#include "tcmdplotobject.h"
#include "tcmdselect.h"
#include "tcmdsettings.h"
#include "tcmdview.h"
#include "tmolecule.h"
#include "tpluginfactories.h"
#include "tupdateitem.h"
#include "wecconstraintsdialog.h"
#include "wmasszoomdialog.h"
#include "wmolmatchsettingsdialog.h"
#include "wmsmergetolerancedlg.h"

namespace {

constexpr int kMoleculeItemType = 110;
const QString kBrowserDock = QStringLiteral("MSBrowserWidget");

bool showsMatchResult(const TCanvasMass* item)
{
    return item && hasSelectedMatchResult(item);
}

bool canDropPlot(const TCanvasMass* item)
{
    return item && item->currentPlot() && item->visiblePlotCount() > 1;
}

}  // namespace

TCanvasMass* TIonvale::activeMass()
{
    return static_cast<TCanvasMass*>(activeMassItem());
}

void TIonvale::execute(TCommand* command)
{
    if (host())
        host()->executeCommand(command);
    else
        delete command;
}

TCanvasItemList TIonvale::selectedItems()
{
    return host() ? host()->selectedItems(0) : TCanvasItemList();
}

QWidget* TIonvale::dialogParent()
{
    return host() ? host()->dialogParent() : nullptr;
}

void TIonvale::executeAction(const QString& name)
{
    TCanvasMass* item = activeMass();
    if (name == "massElementComposition") {
        if (ensureElementTable() && host())
            host()->setMouseMode(mousemode::kElementComposition, m_secondId, 1);
    } else if (name == "massElCompConstraints") {
        if (!item)
            return;
        WECConstraintsDialog dialog(item->elementComposition().calculator().getConstraints(), dialogParent());
        if (dialog.exec() == QDialog::Accepted)
            execute(new TCmdSetElementCompositionConstraints(dialog.constraints(), selectedItems()));
    } else if (name == "massMoleculeMatch") {
        matchMolecules();
    } else if (name == "massMoleculeMatchMode") {
        if (!showsMatchResult(item))
            return;
        if (item->moleculeMatch().resultObjects().isEmpty())
            execute(new TCmdSelectMolMatchResult(selectedItems()));
        else
            execute(new TCmdHideMolMatchHighlight(selectedItems()));
    } else if (name == "massMolMatchOpts") {
        if (!item)
            return;
        WMolMatchSettingsDialog dialog(item->moleculeMatch().settings(), dialogParent());
        if (dialog.exec() == QDialog::Accepted)
            execute(new TCmdSetMolMatchSettings(dialog.settings(), selectedItems()));
    } else if (name == "massSelSpecModeNone") {
        setSelectionMode(TCanvasMass::SelectManual);
    } else if (name == "massSelSpecModePeak") {
        setSelectionMode(TCanvasMass::SelectPeak);
    } else if (name == "massSelSpecModePeakBkg") {
        setSelectionMode(TCanvasMass::SelectPeakSubtract);
    } else if (name == "massSelSpecModeAppend") {
        if (!item)
            return;
        const bool on = !(item->behaviourFlags() & TCanvasMass::AppendSpectra);
        execute(new TCmdSetMassItemAppendBhvFlag(on, selectedItems()));
        if (on && m_mouseModes.currentMode != mousemode::kSpectrumSelection && host())
            host()->setMouseMode(mousemode::kSpectrumSelection, QUuid(), 1);
    } else if (name == "massHidePlot") {
        if (canDropPlot(item))
            execute(new TCmdTogglePlotVisibility(item, item->currentPlot()->id()));
    } else if (name == "massDeletePlot") {
        if (canDropPlot(item))
            execute(new TCmdDelPlotObject(item, item->currentPlot()->id()));
    } else if (name == "massShowMSBrowser") {
        if (host())
            host()->showDock(kBrowserDock, !host()->isDockVisible(kBrowserDock));
    } else if (name == "massSetMergeTolerance") {
        if (!item)
            return;
        WMSMergeToleranceDlg dialog(dialogParent(), item->mergeTolerance(),
                                    (item->toleranceUnits() & TCanvasMass::MergeToleranceInDa) != 0);
        if (dialog.exec() == QDialog::Accepted)
            execute(new TCmdSetMassMergeTolerance(TCmdSetMassMergeTolerance::MergeTolerance, dialog.tolerance(),
                                                  dialog.isDa(), selectedItems()));
    } else if (name.startsWith("mass") && !name.startsWith("mass_")) {
        QMessageBox::information(dialogParent(), QString(),
                                 tr("This command is not implemented yet. It will be available in the next "
                                    "version of Lumatra."),
                                 QMessageBox::Ok);
    }
}

void TIonvale::setSelectionMode(int mode)
{
    // The host enables these only with an item; called anyway they do
    // nothing without one.
    TCanvasMass* item = activeMass();
    if (!item || !host())
        return;
    if (mode != item->selectionMode()) {
        execute(new TCmdSetMassSpectrumSelectionMode(mode, selectedItems()));
        if (m_mouseModes.currentMode == mousemode::kSpectrumSelection)
            return;
    }
    host()->setMouseMode(mousemode::kSpectrumSelection, QUuid(), 1);
}

void TIonvale::matchMolecules()
{
    TCanvasMass* item = activeMass();
    if (!item || !m_moleculePlugin || !host())
        return;
    if (!ensureElementTable())
        return;
    const TCanvasItemList molecules = host()->allItems().itemsOfType(kMoleculeItemType).distinctObjectItems();
    std::vector<std::wstring> molfiles;
    std::vector<std::wstring> ids;
    for (TCanvasItem* molecule : molecules) {
        // An item whose molecule the peer cannot give is passed over.
        const TMolecule* record = m_moleculePlugin->moleculeOfItem(molecule);
        if (!record)
            continue;
        molfiles.push_back(record->molfile(true).toStdWString());
        ids.push_back(molecule->objectId().toString().toStdWString());
    }
    if (molfiles.empty())
        return;
    execute(new TCmdMoleculeMatcher(molfiles, ids, &m_elementTable, selectedItems()));
    host()->showDock("MassMolMatchTable", true);
}

void TIonvale::updateActions(QList<TUpdateItem*>& records)
{
    TCanvasMass* item = activeMass();
    const bool has = item != nullptr;
    const QUuid hostMode = host() ? host()->currentMouseMode() : QUuid();
    const bool selecting = m_mouseModes.currentMode == mousemode::kSpectrumSelection;
    const int selectionMode = has ? item->selectionMode() : -1;
    const bool matchEnabled = showsMatchResult(item);
    bool moleculesThere = false;
    if (has)
        moleculesThere = !host()->allItems().itemsOfType(kMoleculeItemType).isEmpty();
    const bool browserShown = host() && host()->isDockVisible(kBrowserDock);
    auto add = [&records](const char* name, bool checked, bool enabled) {
        auto* record = new TUpdateAction(QString::fromLatin1(name));
        record->checked = checked;
        record->enabled = enabled;
        records.append(record);
    };
    add("massElementComposition", hostMode == mousemode::kElementComposition, has);
    add("massElCompConstraints", false, has);
    add("massMoleculeMatchMode", matchEnabled && !item->moleculeMatch().resultObjects().isEmpty(), matchEnabled);
    add("massMoleculeMatch", false, has && moleculesThere);
    add("massMolMatchOpts", false, has);
    add("massSelSpecModeNone", has && selecting && selectionMode == TCanvasMass::SelectManual, has);
    add("massSelSpecModePeak", has && selecting && selectionMode == TCanvasMass::SelectPeak, has);
    add("massSelSpecModePeakBkg", has && selecting && selectionMode == TCanvasMass::SelectPeakSubtract, has);
    add("massSelSpecModeAppend", has && (item->behaviourFlags() & TCanvasMass::AppendSpectra), has);
    add("massHidePlot", false, canDropPlot(item));
    add("massDeletePlot", false, canDropPlot(item));
    add("massShowMSBrowser", browserShown, true);
    add("massSetMergeTolerance", false, has);
    for (TBaseTableFactory* factory : m_tableFactories)
        factory->updateActions();
}

QString TIonvale::contextMenu(const QPoint& position)
{
    TCanvasMass* item = activeMass();
    if (!item)
        return QString();
    item->setCurrentPlotAt(host()->mapPoint(position, 0, 3));
    host()->refreshDock("MassPeaksTable");
    return QStringLiteral("massItemContextMenu");
}

bool TIonvale::manualZoom()
{
    TCanvasMass* item = activeMass();
    // Without a plot or its data the dialog would show nothing to zoom.
    if (!item || !item->currentPlot() || !item->currentDataObject())
        return false;
    WMassZoomDialog dialog(item, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const auto* fromBox = dialog.findChild<QDoubleSpinBox*>("dsbFrom");
    const auto* toBox = dialog.findChild<QDoubleSpinBox*>("dsbTo");
    if (!fromBox || !toBox)
        return false;
    const double from = fromBox->value(), to = toBox->value();
    if (!(to > from))
        return false;
    execute(new TCmdZoomSpectra(QRectF(from, 0, to - from, 0), selectedItems()));
    return true;
}

void TIonvale::fullZoomOut()
{
    if (activeMass())
        execute(new TCmdZoomSpectra(QRectF(0, 0, 0, 0), selectedItems()));
}

void TIonvale::fitToHeight()
{
    if (activeMass())
        execute(new TCmdFitSpectraIntensityToHeight(selectedItems()));
}

void TIonvale::increaseIntensity()
{
    if (activeMass())
        execute(new TCmdChangeSpectraIntensity(TCmdChangeSpectraIntensity::Increase, selectedItems()));
}

void TIonvale::decreaseIntensity()
{
    if (activeMass())
        execute(new TCmdChangeSpectraIntensity(TCmdChangeSpectraIntensity::Decrease, selectedItems()));
}

void TIonvale::restoreAllCuts()
{
    if (activeMass())
        execute(new TCmdSpectraCuts(selectedItems()));
}
