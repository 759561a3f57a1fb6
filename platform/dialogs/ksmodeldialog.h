// Base of the Qt views over dialog models: OK asks the model first, so a
// refused OK (accept() false) keeps the dialog open just as it does under
// the scripted runner.
#pragma once

#include "ksdialogs.h"

#include <QDialog>

namespace ks::dialogs {

class KS_PLATFORM_API ModelDialogView : public QDialog {
public:
    ModelDialogView(DialogModel& model, QWidget* parent);
    DialogModel& model() const { return m_model; }
    void accept() override;

private:
    DialogModel& m_model;
};

}  // namespace ks::dialogs
