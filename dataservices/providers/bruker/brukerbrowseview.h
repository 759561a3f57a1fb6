// Qt view of the "Select Bruker Dataset" dialog: it shows what the model
// (brukerbrowse.h) holds and passes the user's actions on. "Open" asks the
// model (ModelDialogView::accept), "Browse" walks into the selected folder,
// a double click on a folder does the same.
#pragma once

// The model's headers come before Qt's, whose "slots" keyword would clash
// with the automation headers.
#include "brukerbrowse.h"
#include "ksmodeldialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

class CBrukerInputDialogView : public ks::dialogs::ModelDialogView, private CBrukerInputDialogObserver {
public:
    CBrukerInputDialogView(CBrukerInputDialog& dialog, QWidget* parent);
    ~CBrukerInputDialogView() override;

    QLineEdit* FolderEdit() const { return m_folder; }
    QListWidget* FolderList() const { return m_folders; }
    QLineEdit* PathEdit() const { return m_path; }
    QPushButton* OpenButton() const { return m_open; }
    QListWidget* ExperimentList() const { return m_experiments; }
    QComboBox* ProcessingCombo() const { return m_processings; }
    QLineEdit* DescriptionEdit() const { return m_description; }
    QSpinBox* ScanSpin() const { return m_scan; }
    QLineEdit* ScanCountEdit() const { return m_count; }
    QPushButton* BrowseButton() const { return m_browse; }

private:
    void ModelChanged() override;

    CBrukerInputDialog& m_dialog;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_up = nullptr;
    QListWidget* m_folders = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_open = nullptr;
    QListWidget* m_experiments = nullptr;
    QComboBox* m_processings = nullptr;
    QLineEdit* m_description = nullptr;
    QLabel* m_scanLabel = nullptr;
    QSpinBox* m_scan = nullptr;
    QLabel* m_ofLabel = nullptr;
    QLineEdit* m_count = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_syncing = false;
};
