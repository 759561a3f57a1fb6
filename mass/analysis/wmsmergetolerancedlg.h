// The merge tolerance dialog: a mass item's spectrum merge tolerance in Da
// (3 decimals, 0.001 to 1, step 0.1, suffix " Da") or in ppm (0 decimals,
// 1 to 1000, step 1, suffix " ppm"). Switching the unit resets the value
// to the unit's default (0.01 Da, 5 ppm); the tolerance given opens
// clamped to its unit's range. The caller reads tolerance() and isDa()
// after acceptance and builds the command; the dialog changes nothing.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class WMSMergeToleranceDlgClass;
}

class WMSMergeToleranceDlg : public QDialog {
    Q_OBJECT
public:
    WMSMergeToleranceDlg(QWidget* parent, double tolerance, bool toleranceInDa);
    ~WMSMergeToleranceDlg() override;

    double tolerance() const;
    bool isDa() const;

private slots:
    void on_rbDa_toggled(bool toggled);

private:
    std::unique_ptr<Ui::WMSMergeToleranceDlgClass> ui;
};
