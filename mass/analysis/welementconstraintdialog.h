// The element constraint dialog: one element's symbol and count range, for
// the constraints dialog's add and edit. The symbol is taken as typed
// (any text, an empty one included); the two count boxes keep
// minimum <= maximum by limiting each other.
#pragma once

#include <QDialog>

#include <memory>

#include "tindrel.h"

namespace Ui {
class WElementConstraintDialogClass;
}

class WElementConstraintDialog : public QDialog {
    Q_OBJECT
public:
    // A new element: the form's values (symbol "H", 0 to 10).
    explicit WElementConstraintDialog(QWidget* parent = nullptr);
    // Over an existing element; counts beyond the boxes show clamped.
    WElementConstraintDialog(const TKSElementConstraint& constraint, QWidget* parent = nullptr);
    ~WElementConstraintDialog() override;

    TKSElementConstraint elementConstraint() const;

private slots:
    void on_sbMin_valueChanged(int value);
    void on_sbMax_valueChanged(int value);

private:
    std::unique_ptr<Ui::WElementConstraintDialogClass> ui;
};
