#include "wnewmschromdialog.h"

#include <QUuid>

#include "tcmdsettings.h"
#include "tmassdataobj.h"
#include "ui_wnewmschromdialog.h"

namespace {

enum ChromUnitIndex { ChromIndexDa = 0, ChromIndexPpm = 1 };
enum ChromatogramSubtype { SubtypeTIC = 1, SubtypeBPC = 2, SubtypeMass = 4 };

}  // namespace

WNewMSChromDialog::WNewMSChromDialog(QWidget* parent, double low, double high, double tolerance,
                                     bool toleranceInDa)
    : QDialog(parent), ui(new Ui::WNewMSChromDialogClass)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui->dsbStartMZ->setRange(low, high);
    ui->dsbEndMZ->setRange(low, high);
    ui->gbRange->hide();
    ui->cbUnits->setCurrentIndex(toleranceInDa ? ChromIndexDa : ChromIndexPpm);
    ui->dsbTol->setValue(tolerance);
}

WNewMSChromDialog::~WNewMSChromDialog() = default;

bool WNewMSChromDialog::dialogToleranceInDa() const
{
    return ui->cbUnits->currentIndex() == ChromIndexDa;
}

TChromatogramDataObj* WNewMSChromDialog::createChromatogram(TKSMSCollection* collection) const
{
    if (!collection)
        return nullptr;
    TKSChromatogram chromatogram;
    if (ui->rbTIC->isChecked()) {
        collection->getTICChromatogram(chromatogram);
        return new TChromatogramDataObj(QUuid::createUuid(), chromatogram, SubtypeTIC);
    }
    if (ui->rbBPC->isChecked()) {
        collection->getBPChromatogram(chromatogram);
        return new TChromatogramDataObj(QUuid::createUuid(), chromatogram, SubtypeBPC);
    }
    if (ui->chkEnd->isChecked()) {
        collection->getMassChromatogram(ui->dsbStartMZ->value(), ui->dsbEndMZ->value(), chromatogram);
    } else {
        // The collection's merge tolerance is the extraction window of a
        // single m/z: the dialog's for this extraction, then the
        // collection's own again.
        const double savedTolerance = collection->getMergeTolerance();
        const bool savedInDa = collection->getMergeToleranceInDa();
        collection->setMergeTolerance(dialogToleranceInDa(), ui->dsbTol->value());
        collection->getMassChromatogram(ui->dsbStartMZ->value(), chromatogram);
        collection->setMergeTolerance(savedInDa, savedTolerance);
    }
    return new TChromatogramDataObj(QUuid::createUuid(), chromatogram, ui->dsbStartMZ->value(),
                                    ui->dsbEndMZ->value(), SubtypeMass);
}

TCmdSetMassMergeTolerance* WNewMSChromDialog::mergeToleranceCommand(double tolerance, bool toleranceInDa,
                                                                   const TCanvasItemList& items) const
{
    // Only a single-m/z chromatogram has a tolerance.
    if (!ui->rbMS->isChecked() || ui->chkEnd->isChecked())
        return nullptr;
    const bool inDa = dialogToleranceInDa();
    if (ui->dsbTol->value() == tolerance && inDa == toleranceInDa)
        return nullptr;
    return new TCmdSetMassMergeTolerance(TCmdSetMassMergeTolerance::ChromatogramTolerance, ui->dsbTol->value(),
                                         inDa, items);
}

void WNewMSChromDialog::on_dsbStartMZ_valueChanged(double value)
{
    ui->dsbEndMZ->setMinimum(value);
}

void WNewMSChromDialog::on_cbUnits_currentIndexChanged(int index)
{
    QDoubleSpinBox* box = ui->dsbTol;
    const bool inDa = index == ChromIndexDa;
    box->setDecimals(inDa ? 3 : 0);
    box->setMaximum(inDa ? 1.0 : 1000.0);
    box->setMinimum(inDa ? 0.001 : 1.0);
    box->setValue(inDa ? 0.25 : 20.0);
    box->setSingleStep(inDa ? 0.1 : 1.0);
}
