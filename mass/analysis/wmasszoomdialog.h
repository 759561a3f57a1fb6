// The manual zoom dialog: the horizontal range to show in a mass item's
// current plot, retention times for a chromatogram ("Retention Time",
// suffix " min"), m/z values for a spectrum ("m/z"). Both boxes are
// limited to the x extent of the plot's data object and open at the axis'
// visible range; "To:" never lies below "From:". Decimals are the peak
// labels' decimals plus one for a one-dimensional plot, else 3; the step is
// 10^(1 - decimals). Decimals from a damaged plot are kept within 0 to 10.
//
// The caller reads the boxes after acceptance (the manual zoom zooms only
// when "To:" is greater than "From:"); the dialog changes nothing. It is
// meant for an item with a current plot and its data object; without them
// the boxes keep the form's values.
#pragma once

#include <QDialog>

#include <memory>

class TCanvasMass;

namespace Ui {
class WMassZoomDialogClass;
}

class WMassZoomDialog : public QDialog {
    Q_OBJECT
public:
    WMassZoomDialog(TCanvasMass* item, QWidget* parent = nullptr);
    ~WMassZoomDialog() override;

private slots:
    void on_dsbFrom_valueChanged(double value);

private:
    std::unique_ptr<Ui::WMassZoomDialogClass> ui;
};
