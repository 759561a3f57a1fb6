// WTableSettingsDialog: customises one result table. A grid with one
// column per table column (visible name, visible, decimals, alignment;
// columns reordered by dragging the grid's headers), the font of the table
// and its reports, and the five report flags. Apply hands the edited copy
// to the table; the table base stores it when the dialog is accepted.
#pragma once

#include "ttablesettings.h"

#include <QDialog>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;
class TBaseTable;

class WTableSettingsDialog : public QDialog {
    Q_OBJECT

public:
    WTableSettingsDialog(TBaseTable* table, const TTableSettings& settings);

    // The copy the dialog edits (column moves only; the rest is read from
    // the widgets by apply).
    const TTableSettings& settings() const { return m_settings; }
    // What apply would hand to the table.
    TTableSettings editedSettings() const;

public slots:
    void apply();
    void onCellClicked(int row, int column);
    void onSectionMoved(int logicalIndex, int oldVisualIndex, int newVisualIndex);
    void getFont();

private:
    void setupForm();
    void fill();

    QGridLayout* gridLayout = nullptr;
    QGroupBox* groupBox = nullptr;
    QGridLayout* gridLayout1 = nullptr;
    QTableWidget* twColumns = nullptr;
    QHBoxLayout* hboxLayout = nullptr;
    QPushButton* pbFont = nullptr;
    QLabel* lCurrentFont = nullptr;
    QGroupBox* groupBox_2 = nullptr;
    QGridLayout* gridLayout2 = nullptr;
    QCheckBox* cbFrame = nullptr;
    QCheckBox* cbBorders = nullptr;
    QCheckBox* cbNumbering = nullptr;
    QCheckBox* cbTitle = nullptr;
    QCheckBox* cbBold = nullptr;
    QHBoxLayout* hboxLayout1 = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* applyButton = nullptr;

    QString m_leftText;
    QString m_rightText;
    QString m_centerText;
    TTableSettings m_settings;
    TBaseTable* m_table;
};
