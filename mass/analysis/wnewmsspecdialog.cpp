#include "wnewmsspecdialog.h"

#include <QUuid>

#include <limits>

#include "tmassdataobj.h"
#include "ui_wnewmsspecdialog.h"

namespace {

constexpr int kAcquiredSpectrum = 1;

// index + 1 without overflow at the top of the range.
int shownIndex(int32_t index)
{
    return index < std::numeric_limits<int>::max() ? index + 1 : index;
}

}  // namespace

WNewMSSpecDialog::WNewMSSpecDialog(QWidget* parent, int32_t first, int32_t last)
    : QDialog(parent), ui(new Ui::WNewMSSpecDialogClass)
{
    ui->setupUi(this);
    ui->sbFrom->setRange(shownIndex(first), shownIndex(last));
    ui->sbTo->setRange(shownIndex(first), shownIndex(last));
    ui->chkEndIndex->hide();
    ui->sbTo->hide();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

WNewMSSpecDialog::~WNewMSSpecDialog() = default;

TMassSpecDataObj* WNewMSSpecDialog::createSpectrum(TKSMSCollection* collection) const
{
    if (ui->chkEndIndex->isChecked() || !collection)
        return nullptr;
    TKSMassSpectrum spectrum;
    collection->getSpectrum(ui->sbFrom->value() - 1, spectrum);
    return new TMassSpecDataObj(QUuid::createUuid(), spectrum, kAcquiredSpectrum);
}

void WNewMSSpecDialog::on_sbFrom_valueChanged(int value)
{
    ui->sbTo->setMinimum(value);
}
