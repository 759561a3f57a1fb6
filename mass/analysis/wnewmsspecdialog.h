// The new spectrum dialog of the dataset browser: a spectrum index of a
// function's collection, shown counted from 1. createSpectrum makes the
// acquired spectrum's data object (subtype 1); the caller owns it and
// hands it to its add command. The end index ("To:") is hidden: index
// ranges are not made.
#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

class TKSMSCollection;
class TMassSpecDataObj;

namespace Ui {
class WNewMSSpecDialogClass;
}

class WNewMSSpecDialog : public QDialog {
    Q_OBJECT
public:
    // first and last: the collection's indexes, counted from 0.
    WNewMSSpecDialog(QWidget* parent, int32_t first, int32_t last);
    ~WNewMSSpecDialog() override;

    // New, the caller's; null with the end index checked or without a
    // collection. A spectrum the collection cannot give is made empty.
    TMassSpecDataObj* createSpectrum(TKSMSCollection* collection) const;

private slots:
    void on_sbFrom_valueChanged(int value);

private:
    std::unique_ptr<Ui::WNewMSSpecDialogClass> ui;
};
