#include "wnewadductdialog.h"

#include "ui_wnewadductdialog.h"

WNewAdductDialog::WNewAdductDialog(QWidget* parent) : QDialog(parent), ui(new Ui::WNewAdductDialogClass)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

WNewAdductDialog::~WNewAdductDialog() = default;

QString WNewAdductDialog::adduct() const
{
    return ui->leAdduct->text();
}

QString WNewAdductDialog::loss() const
{
    return ui->leLoss->text();
}
