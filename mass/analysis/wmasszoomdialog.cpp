#include "wmasszoomdialog.h"

#include <cmath>

#include "t1dmassplot.h"
#include "tcanvasmass.h"
#include "tmassdataobj.h"
#include "ui_wmasszoomdialog.h"

namespace {

constexpr int kOneDimensionalPlot = 1;
constexpr int kDefaultZoomDecimals = 3;
// A stored plot may carry any label decimals; the boxes and their step stay
// within what a person can read (and the sum cannot overflow).
constexpr int kMaxZoomDecimals = 10;

}  // namespace

WMassZoomDialog::WMassZoomDialog(TCanvasMass* item, QWidget* parent)
    : QDialog(parent), ui(new Ui::WMassZoomDialogClass)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    TBasePlot* plot = item ? item->currentPlot() : nullptr;
    TMassDataObj* object = item ? item->currentDataObject() : nullptr;
    if (!plot || !object)
        return;
    const TPlotAxis& axis = plot->axis(1);

    if (object->kind() == TMassDataObj::Chromatogram) {
        ui->gbUnits->setTitle(tr("Retention Time"));
        ui->dsbFrom->setSuffix(tr(" min"));
        ui->dsbTo->setSuffix(tr(" min"));
    } else {
        ui->gbUnits->setTitle(tr("m/z"));
    }

    int decimals = kDefaultZoomDecimals;
    if (plot->type() == kOneDimensionalPlot) {
        if (auto* massPlot = dynamic_cast<T1DMassPlot*>(plot))
            decimals = static_cast<int>(
                qBound<qint64>(0, qint64(massPlot->peakProperties().decimals) + 1, kMaxZoomDecimals));
    }
    ui->dsbFrom->setDecimals(decimals);
    ui->dsbTo->setDecimals(decimals);

    ui->dsbFrom->setRange(object->getMinimumX(), object->getMaximumX());
    ui->dsbTo->setRange(object->getMinimumX(), object->getMaximumX());
    ui->dsbFrom->setValue(axis.visibleFrom);
    ui->dsbTo->setValue(axis.visibleTo);

    const double step = std::pow(10.0, 1 - decimals);
    ui->dsbFrom->setSingleStep(step);
    ui->dsbTo->setSingleStep(step);
}

WMassZoomDialog::~WMassZoomDialog() = default;

void WMassZoomDialog::on_dsbFrom_valueChanged(double value)
{
    ui->dsbTo->setMinimum(value);
}
