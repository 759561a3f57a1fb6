// The new chromatogram dialog of the dataset browser: the total ion
// current, the base peak chromatogram, or a mass chromatogram of one m/z
// within a tolerance (Da or ppm) or of an m/z range ("To m/z:" checked).
// Both m/z boxes are limited to the range given; the unit switch resets
// the tolerance to its unit's default (0.25 Da, 20 ppm).
//
// createChromatogram makes the chromatogram's data object from a
// function's collection (TIC subtype 1, base peak 2, mass 4 with the m/z
// pair of both boxes); what the core library answers, an empty
// chromatogram included, becomes the object. A single-m/z extraction sets
// the dialog's tolerance on the collection for the extraction only and
// puts the collection's own back, whatever the extraction answered.
// mergeToleranceCommand gives the command that keeps a changed tolerance
// in the items, or null. The caller owns what both return; the dialog
// changes nothing.
#pragma once

#include <QDialog>

#include <memory>

class TCanvasItemList;
class TChromatogramDataObj;
class TCmdSetMassMergeTolerance;
class TKSMSCollection;

namespace Ui {
class WNewMSChromDialogClass;
}

class WNewMSChromDialog : public QDialog {
    Q_OBJECT
public:
    WNewMSChromDialog(QWidget* parent, double low, double high, double tolerance, bool toleranceInDa);
    ~WNewMSChromDialog() override;

    // New, the caller's; null without a collection.
    TChromatogramDataObj* createChromatogram(TKSMSCollection* collection) const;
    // Null unless a single-m/z chromatogram is chosen whose tolerance or
    // unit differs from those given (the items' chromatogram tolerance);
    // else a command that sets the chromatogram tolerance (selector 0) of
    // the items to the dialog's. New, the caller's.
    TCmdSetMassMergeTolerance* mergeToleranceCommand(double tolerance, bool toleranceInDa,
                                                     const TCanvasItemList& items) const;

private slots:
    void on_dsbStartMZ_valueChanged(double value);
    void on_cbUnits_currentIndexChanged(int index);

private:
    bool dialogToleranceInDa() const;

    std::unique_ptr<Ui::WNewMSChromDialogClass> ui;
};
