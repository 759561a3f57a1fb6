#include "wmsmergetolerancedlg.h"

#include "ui_wmsmergetolerancedlg.h"

WMSMergeToleranceDlg::WMSMergeToleranceDlg(QWidget* parent, double tolerance, bool toleranceInDa)
    : QDialog(parent), ui(new Ui::WMSMergeToleranceDlgClass)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Checking "Ppm" toggles nothing on "Da" (both start unchecked): the
    // unit's settings are applied here for either unit.
    (toleranceInDa ? ui->rbDa : ui->rbPpm)->setChecked(true);
    on_rbDa_toggled(toleranceInDa);
    ui->dsbTol->setValue(tolerance);
}

WMSMergeToleranceDlg::~WMSMergeToleranceDlg() = default;

double WMSMergeToleranceDlg::tolerance() const
{
    return ui->dsbTol->value();
}

bool WMSMergeToleranceDlg::isDa() const
{
    return ui->rbDa->isChecked();
}

void WMSMergeToleranceDlg::on_rbDa_toggled(bool toggled)
{
    QDoubleSpinBox* box = ui->dsbTol;
    box->setDecimals(toggled ? 3 : 0);
    box->setMaximum(toggled ? 1.0 : 1000.0);
    box->setMinimum(toggled ? 0.001 : 1.0);
    box->setValue(toggled ? 0.01 : 5.0);
    box->setSingleStep(toggled ? 0.1 : 1.0);
    box->setSuffix(toggled ? tr(" Da") : tr(" ppm"));
}
