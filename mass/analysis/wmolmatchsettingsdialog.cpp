#include "wmolmatchsettingsdialog.h"

#include "ui_wmolmatchsettingsdialog.h"
#include "wnewadductdialog.h"

namespace {

enum MatchUnitIndex { MatchIndexDa = 0, MatchIndexPpm = 1 };
enum AdductColumn { ColumnAdduct = 0, ColumnLoss = 1 };

}  // namespace

WMolMatchSettingsDialog::WMolMatchSettingsDialog(const TMolMatchSettings& settings, QWidget* parent)
    : QDialog(parent), ui(new Ui::WMolMatchSettingsDialogClass)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    on_cbUnits_currentIndexChanged(MatchIndexDa);
    setSettings(settings);
}

WMolMatchSettingsDialog::~WMolMatchSettingsDialog() = default;

void WMolMatchSettingsDialog::setSettings(const TMolMatchSettings& settings)
{
    ui->chkDimers->setChecked(settings.enableDimers);
    // A change of unit resets both tolerances: before they are set.
    ui->cbUnits->setCurrentIndex(settings.toleranceInDa ? MatchIndexDa : MatchIndexPpm);
    ui->dsbMSMSTol->setValue(settings.msmsTolerance);
    ui->dsbMSTol->setValue(settings.msTolerance);
    ui->dsbScore->setValue(settings.scoreThreshold);
    ui->sbMatchMol->setValue(settings.maxMatchesPerMolecule);
    ui->sbMatchSpec->setValue(settings.maxMatchesPerSpectrum);
    ui->sbMaxNegCharge->setValue(settings.maxChargeNegative);
    ui->sbMaxPosCharge->setValue(settings.maxChargePositive);
    fillAdductTable(ui->tblPosAdducts, settings.positiveAdductList);
    fillAdductTable(ui->tblNegAdducts, settings.negativeAdductList);
}

TMolMatchSettings WMolMatchSettingsDialog::settings() const
{
    TMolMatchSettings settings;
    settings.toleranceInDa = ui->cbUnits->currentIndex() == MatchIndexDa;
    settings.msmsTolerance = ui->dsbMSMSTol->value();
    settings.msTolerance = ui->dsbMSTol->value();
    settings.maxMatchesPerMolecule = ui->sbMatchMol->value();
    settings.maxMatchesPerSpectrum = ui->sbMatchSpec->value();
    settings.scoreThreshold = ui->dsbScore->value();
    settings.enableDimers = ui->chkDimers->isChecked();
    settings.maxChargeNegative = ui->sbMaxNegCharge->value();
    settings.maxChargePositive = ui->sbMaxPosCharge->value();
    settings.positiveAdductList = adductTableList(ui->tblPosAdducts);
    settings.negativeAdductList = adductTableList(ui->tblNegAdducts);
    return settings;
}

void WMolMatchSettingsDialog::on_tbAddPos_clicked()
{
    addAdduct(ui->tblPosAdducts);
}

void WMolMatchSettingsDialog::on_tbDelPos_clicked()
{
    deleteCurrentRow(ui->tblPosAdducts);
}

void WMolMatchSettingsDialog::on_tbAddNeg_clicked()
{
    addAdduct(ui->tblNegAdducts);
}

void WMolMatchSettingsDialog::on_tbDelNeg_clicked()
{
    deleteCurrentRow(ui->tblNegAdducts);
}

void WMolMatchSettingsDialog::on_cbUnits_currentIndexChanged(int index)
{
    const bool inDa = index == MatchIndexDa;
    for (QDoubleSpinBox* box : {ui->dsbMSTol, ui->dsbMSMSTol}) {
        box->setMaximum(inDa ? 10.0 : 1000.0);
        box->setMinimum(inDa ? 0.01 : 1.0);
        box->setSingleStep(inDa ? 0.1 : 1.0);
    }
    ui->dsbMSTol->setValue(inDa ? 0.5 : 5.0);
    ui->dsbMSMSTol->setValue(inDa ? 1.0 : 10.0);
}

void WMolMatchSettingsDialog::on_btnSave_clicked()
{
    saveMolMatchSettings(settings());
}

void WMolMatchSettingsDialog::on_btnRestore_clicked()
{
    setSettings(loadMolMatchSettings());
}

void WMolMatchSettingsDialog::addAdduct(QTableWidget* table)
{
    WNewAdductDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, ColumnAdduct, new QTableWidgetItem(dialog.adduct()));
    table->setItem(row, ColumnLoss, new QTableWidgetItem(dialog.loss()));
}

void WMolMatchSettingsDialog::deleteCurrentRow(QTableWidget* table)
{
    const int row = table->currentRow();
    if (row >= 0 && row < table->rowCount())
        table->removeRow(row);
}

void WMolMatchSettingsDialog::fillAdductTable(QTableWidget* table, const TAdductList& list)
{
    table->setRowCount(0);
    if (list.isEmpty())
        return;
    table->setRowCount(list.size());
    for (int row = 0; row < list.size(); ++row) {
        table->setItem(row, ColumnAdduct, new QTableWidgetItem(list[row].first));
        table->setItem(row, ColumnLoss, new QTableWidgetItem(list[row].second));
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
}

TAdductList WMolMatchSettingsDialog::adductTableList(const QTableWidget* table)
{
    TAdductList list;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* adduct = table->item(row, ColumnAdduct);
        const QTableWidgetItem* loss = table->item(row, ColumnLoss);
        list.append(TAdductPair(adduct ? adduct->text() : QString(), loss ? loss->text() : QString()));
    }
    return list;
}
