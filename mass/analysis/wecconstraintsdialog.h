// The elemental composition constraints dialog: edits a whole constraint
// set (elements, double bond equivalence range, tolerance and its unit,
// result limit, electron mode, charge, adduct, fitness threshold), stores
// it in the application settings (Save, at once, whatever the dialog's
// answer) and reloads the stored set (Restore, the dialog only).
//
// The element list lives only in the dialog's copy and changes as the
// element buttons are used; the other values are read from the form by
// constraints(). The dialog changes nothing in the document: its opener
// reads constraints() after acceptance and builds the command.
//
// Mappings: electron mode index 0 "All" = 3, 1 "EI" = 2, 2 "ESI" = 1 (any
// other stored mode opens as "ESI"); unit index 0 "ppm", 1 "Da". A result
// limit of 0 or below opens with the group unchecked and reads back as -1.
#pragma once

#include <QDialog>

#include <memory>

#include "tindrel.h"

namespace Ui {
class WECConstraintsDialogClass;
}

class WECConstraintsDialog : public QDialog {
    Q_OBJECT
public:
    WECConstraintsDialog(const TKSCompositionConstraints& constraints, QWidget* parent = nullptr);
    ~WECConstraintsDialog() override;

    void setConstraints(const TKSCompositionConstraints& constraints);
    // Reads the form into the dialog's copy and answers it.
    const TKSCompositionConstraints& constraints();

    static int electronModeOfIndex(int index);
    static int indexOfElectronMode(int mode);

private slots:
    void on_cmbTolUnits_currentIndexChanged(int index);
    void on_dsbDBEmin_valueChanged(double value);
    void on_dsbDBEmax_valueChanged(double value);
    void on_btnSave_clicked();
    void on_btnRestore_clicked();
    void on_btnAdd_clicked();
    void on_btnDel_clicked();
    void on_tblElements_currentCellChanged(int row);
    void on_tblElements_cellDoubleClicked(int row, int column);

private:
    void fillElementTable();
    void setElementRow(int row, const TKSElementConstraint& element);

    std::unique_ptr<Ui::WECConstraintsDialogClass> ui;
    TKSCompositionConstraints constraintsCopy;
};
