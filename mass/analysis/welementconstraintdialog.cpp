#include "welementconstraintdialog.h"

#include "ui_welementconstraintdialog.h"

WElementConstraintDialog::WElementConstraintDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::WElementConstraintDialogClass)
{
    ui->setupUi(this);
}

WElementConstraintDialog::WElementConstraintDialog(const TKSElementConstraint& constraint, QWidget* parent)
    : WElementConstraintDialog(parent)
{
    // In this order: each count box limits the other as it changes.
    ui->cmbSymbol->setEditText(QString::fromStdWString(constraint.getSymbol()));
    ui->sbMin->setValue(constraint.getMinimumCount());
    ui->sbMax->setValue(constraint.getMaximumCount());
}

WElementConstraintDialog::~WElementConstraintDialog() = default;

TKSElementConstraint WElementConstraintDialog::elementConstraint() const
{
    TKSElementConstraint constraint;
    constraint.setSymbol(ui->cmbSymbol->currentText().toStdWString());
    constraint.setMinimumCount(ui->sbMin->value());
    constraint.setMaximumCount(ui->sbMax->value());
    return constraint;
}

void WElementConstraintDialog::on_sbMin_valueChanged(int value)
{
    ui->sbMax->setMinimum(value);
}

void WElementConstraintDialog::on_sbMax_valueChanged(int value)
{
    ui->sbMin->setMaximum(value);
}
