#include "wecconstraintsdialog.h"

#include "tmasselementcomposition.h"
#include "ui_wecconstraintsdialog.h"
#include "welementconstraintdialog.h"

namespace {

enum ElectronModeIndex { IndexAll = 0, IndexEI = 1, IndexESI = 2 };
enum ToleranceUnitIndex { IndexPpm = 0, IndexDa = 1 };
enum ElementColumn { ColumnSymbol = 0, ColumnMinimum = 1, ColumnMaximum = 2, ColumnCount = 3 };

}  // namespace

WECConstraintsDialog::WECConstraintsDialog(const TKSCompositionConstraints& constraints, QWidget* parent)
    : QDialog(parent), ui(new Ui::WECConstraintsDialogClass), constraintsCopy(constraints)
{
    ui->setupUi(this);
    setConstraints(constraintsCopy);
}

WECConstraintsDialog::~WECConstraintsDialog() = default;

int WECConstraintsDialog::electronModeOfIndex(int index)
{
    switch (index) {
    case IndexAll:
        return TKSCompositionConstraints::AllElectrons;
    case IndexEI:
        return TKSCompositionConstraints::OddElectron;
    default:
        return TKSCompositionConstraints::EvenElectron;
    }
}

int WECConstraintsDialog::indexOfElectronMode(int mode)
{
    switch (mode) {
    case TKSCompositionConstraints::AllElectrons:
        return IndexAll;
    case TKSCompositionConstraints::OddElectron:
        return IndexEI;
    default:
        return IndexESI;
    }
}

void WECConstraintsDialog::setConstraints(const TKSCompositionConstraints& constraints)
{
    // The table is filled from the dialog's copy; `constraints` may be it.
    if (&constraints != &constraintsCopy)
        constraintsCopy.setElementConstraints(constraints.getElementConstraints());
    fillElementTable();
    ui->dsbDBEmin->setValue(constraints.getDBEMinimum());
    ui->dsbDBEmax->setValue(constraints.getDBEMaximum());
    ui->cmbTolUnits->setCurrentIndex(constraints.getUseToleranceInDa() ? IndexDa : IndexPpm);
    ui->dsbTolVal->setValue(constraints.getTolerance());
    ui->cmbElecMode->setCurrentIndex(indexOfElectronMode(constraints.getElectronMode()));
    ui->sbCharge->setValue(constraints.getChargeState());
    ui->leAdduct->setText(QString::fromStdWString(constraints.getAdduct()));
    ui->gbResults->setChecked(constraints.getMaximumResultCount() > 0);
    ui->sbResults->setValue(constraints.getMaximumResultCount());
    ui->dsbFitness->setValue(constraints.getFitnessThreshold());
}

const TKSCompositionConstraints& WECConstraintsDialog::constraints()
{
    constraintsCopy.setDBEMinimum(static_cast<float>(ui->dsbDBEmin->value()));
    constraintsCopy.setDBEMaximum(static_cast<float>(ui->dsbDBEmax->value()));
    constraintsCopy.setUseToleranceInDa(ui->cmbTolUnits->currentIndex() == IndexDa);
    constraintsCopy.setTolerance(ui->dsbTolVal->value());
    constraintsCopy.setElectronMode(electronModeOfIndex(ui->cmbElecMode->currentIndex()));
    constraintsCopy.setChargeState(ui->sbCharge->value());
    constraintsCopy.setAdduct(ui->leAdduct->text().toStdWString());
    constraintsCopy.setMaximumResultCount(ui->gbResults->isChecked() ? ui->sbResults->value() : -1);
    constraintsCopy.setFitnessThreshold(static_cast<float>(ui->dsbFitness->value()));
    return constraintsCopy;
}

void WECConstraintsDialog::on_cmbTolUnits_currentIndexChanged(int index)
{
    if (index == IndexPpm)
        ui->dsbTolVal->setRange(1.0, 5.0);
    else
        ui->dsbTolVal->setRange(0.1, 0.3);
}

void WECConstraintsDialog::on_dsbDBEmin_valueChanged(double value)
{
    ui->dsbDBEmax->setMinimum(value);
}

void WECConstraintsDialog::on_dsbDBEmax_valueChanged(double value)
{
    ui->dsbDBEmin->setMaximum(value);
}

void WECConstraintsDialog::on_btnSave_clicked()
{
    saveCompositionConstraints(constraints());
}

void WECConstraintsDialog::on_btnRestore_clicked()
{
    constraintsCopy = loadCompositionConstraints();
    setConstraints(constraintsCopy);
}

void WECConstraintsDialog::on_btnAdd_clicked()
{
    WElementConstraintDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<TKSElementConstraint> elements = constraintsCopy.getElementConstraints();
    elements.push_back(dialog.elementConstraint());
    constraintsCopy.setElementConstraints(elements);
    fillElementTable();
}

void WECConstraintsDialog::on_btnDel_clicked()
{
    std::vector<TKSElementConstraint> elements = constraintsCopy.getElementConstraints();
    const int row = ui->tblElements->currentRow();
    if (row < 0 || row >= static_cast<int>(elements.size()))
        return;
    elements.erase(elements.begin() + row);
    constraintsCopy.setElementConstraints(elements);
    fillElementTable();
}

void WECConstraintsDialog::on_tblElements_currentCellChanged(int row)
{
    ui->btnDel->setEnabled(row >= 0);
}

void WECConstraintsDialog::on_tblElements_cellDoubleClicked(int row, int)
{
    std::vector<TKSElementConstraint> elements = constraintsCopy.getElementConstraints();
    if (row < 0 || row >= static_cast<int>(elements.size()))
        return;
    WElementConstraintDialog dialog(elements[row], this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    elements[row] = dialog.elementConstraint();
    constraintsCopy.setElementConstraints(elements);
    setElementRow(row, elements[row]);
}

void WECConstraintsDialog::fillElementTable()
{
    QTableWidget* table = ui->tblElements;
    const std::vector<TKSElementConstraint>& elements = constraintsCopy.getElementConstraints();
    table->clear();
    table->setColumnCount(ColumnCount);
    table->setHorizontalHeaderLabels({tr("Element"), tr("Minimum"), tr("Maximum")});
    table->setRowCount(static_cast<int>(elements.size()));
    table->blockSignals(true);
    for (int row = 0; row < static_cast<int>(elements.size()); ++row)
        setElementRow(row, elements[row]);
    table->blockSignals(false);
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    ui->btnDel->setEnabled(table->currentRow() >= 0);
}

void WECConstraintsDialog::setElementRow(int row, const TKSElementConstraint& element)
{
    const QString texts[ColumnCount] = {QString::fromStdWString(element.getSymbol()),
                                        QString::number(element.getMinimumCount()),
                                        QString::number(element.getMaximumCount())};
    for (int column = 0; column < ColumnCount; ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        item->setData(Qt::UserRole, row);
        ui->tblElements->setItem(row, column, item);
    }
}
