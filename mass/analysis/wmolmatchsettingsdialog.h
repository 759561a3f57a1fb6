// The molecule-match settings dialog: tolerances and their unit, score
// threshold, matches per molecule and per spectrum, the positive and
// negative adduct lists (edited in place, added through WNewAdductDialog),
// largest charges and dimers. Save stores settings() in the application
// settings at once, whatever the dialog's answer; Restore shows the stored
// settings (or the matcher's defaults) in the form only.
//
// Unit index 0 "Da" is toleranceInDa true, 1 "ppm" false. Changing the
// unit resets both tolerances to the unit's defaults (Da 0.5 and 1.0, ppm
// 5 and 10); setSettings sets the unit before the tolerances, so stored
// values survive. (The unit slot takes the index, so that connecting it
// by name picks currentIndexChanged(int) without doubt.) The dialog changes nothing in the document: its opener
// reads settings() after acceptance and builds the command.
#pragma once

#include <QDialog>

#include <memory>

#include "tmassmoleculematch.h"

class QTableWidget;

namespace Ui {
class WMolMatchSettingsDialogClass;
}

class WMolMatchSettingsDialog : public QDialog {
    Q_OBJECT
public:
    WMolMatchSettingsDialog(const TMolMatchSettings& settings, QWidget* parent = nullptr);
    ~WMolMatchSettingsDialog() override;

    void setSettings(const TMolMatchSettings& settings);
    TMolMatchSettings settings() const;

private slots:
    void on_tbAddPos_clicked();
    void on_tbDelPos_clicked();
    void on_tbAddNeg_clicked();
    void on_tbDelNeg_clicked();
    void on_cbUnits_currentIndexChanged(int index);
    void on_btnSave_clicked();
    void on_btnRestore_clicked();

private:
    void addAdduct(QTableWidget* table);
    static void deleteCurrentRow(QTableWidget* table);
    static void fillAdductTable(QTableWidget* table, const TAdductList& list);
    static TAdductList adductTableList(const QTableWidget* table);

    std::unique_ptr<Ui::WMolMatchSettingsDialogClass> ui;
};
