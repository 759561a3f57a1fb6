// Qt view of the MassLynx data browser: it shows what the model (util32.h)
// holds and passes the user's actions on. OK asks the model
// (ModelDialogView::accept); a double click on a raw directory selects it.
#pragma once

// The model's header comes before Qt's, whose "slots" keyword would clash
// with the automation headers.
#include "util32.h"
#include "ksmodeldialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

class CMassLynxDataBrowserView : public ks::dialogs::ModelDialogView, private CMassLynxDataBrowserObserver {
public:
    CMassLynxDataBrowserView(CMassLynxDataBrowser& browser, QWidget* parent);
    ~CMassLynxDataBrowserView() override;

private:
    void ModelChanged() override;

    CMassLynxDataBrowser& m_browser;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_up = nullptr;
    QListWidget* m_raws = nullptr;
    QListWidget* m_functions = nullptr;
    QLabel* m_scanLabel = nullptr;
    QSpinBox* m_scan = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_syncing = false;
};
