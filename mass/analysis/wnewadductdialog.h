// Asks for one adduct and its loss when an entry is added to an adduct
// list of the molecule-match settings. Neither text is checked: empty
// texts are accepted.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class WNewAdductDialogClass;
}

class WNewAdductDialog : public QDialog {
    Q_OBJECT
public:
    explicit WNewAdductDialog(QWidget* parent = nullptr);
    ~WNewAdductDialog() override;

    QString adduct() const;
    QString loss() const;

private:
    std::unique_ptr<Ui::WNewAdductDialogClass> ui;
};
