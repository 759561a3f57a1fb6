#include "wmasspropertieswidget.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

#include "pageform.h"
#include "tmassspectrumpropertiesbag.h"
#include "tplotpropertiesbag.h"
#include "wmassplotpropertieswidget.h"

namespace {

TMassSpectrumPropertiesBag* massBag(TItemPropertiesBag* bag)
{
    return bag && bag->bagType() == TItemPropertiesBag::MassSpectrum
               ? static_cast<TMassSpectrumPropertiesBag*>(bag)
               : nullptr;
}

// Chromatogram 1, spectrum 2, anything else 0.
int kindOf(const TMassPlotPropertiesBag& set)
{
    return set.kind == 1 || set.kind == 2 ? set.kind : 0;
}

}  // namespace

WMassPropertiesWidget::WMassPropertiesWidget(QWidget* parent) : WPropertiesWidget(parent)
{
    using namespace pageform;
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("WMassPropertiesWidgetClass"));
    resize(349, 291);
    setWindowTitle(QCoreApplication::translate("WMassPropertiesWidgetClass", "Mass Properties"));
    verticalLayout = named(new QVBoxLayout(this), "verticalLayout");
    fTabWidget = named(new QTabWidget(this), "fTabWidget");
    fTabWidget->setTabPosition(QTabWidget::West);
    fTabWidget->setTabShape(QTabWidget::Rounded);
    fTabWidget->setElideMode(Qt::ElideRight);
    fPlotTab = named(new QWidget, "fPlotTab");
    auto* verticalLayout_2 = named(new QVBoxLayout(fPlotTab), "verticalLayout_2");
    Q_UNUSED(verticalLayout_2);
    fTabWidget->addTab(fPlotTab, QCoreApplication::translate("WMassPropertiesWidgetClass", "Plot"));
    verticalLayout->addWidget(fTabWidget);
    fTabWidget->setCurrentIndex(0);

    // The placeholder only stands for the tabs setItems makes.
    fTabWidget->removeTab(fTabWidget->indexOf(fPlotTab));
    delete fPlotTab;
    fPlotTab = nullptr;
    verticalLayout->setSizeConstraint(QLayout::SetFixedSize);
}

WMassPlotPropertiesWidget* WMassPropertiesWidget::tab(int i) const
{
    return qobject_cast<WMassPlotPropertiesWidget*>(fTabWidget->widget(i));
}

QString WMassPropertiesWidget::pageTitle()
{
    return tr("Mass Spectrum");
}

void WMassPropertiesWidget::setItems(TItemPropertiesBag* item)
{
    TMassSpectrumPropertiesBag* bag = massBag(item);
    if (!bag)
        return;
    const QList<TMassPlotPropertiesBag*>& sets = bag->plotBags();
    if (fTabWidget->count() == 0) {
        int n = 1;
        for (TMassPlotPropertiesBag* set : sets) {
            auto* form = new WMassPlotPropertiesWidget(fTabWidget);
            QString text = bag->plotDescription(set->plotId());
            if (text.isEmpty())
                text = tr("Plot %1").arg(n);
            form->setToolTip(text);
            fTabWidget->addTab(form, text);
            form->loadProperties(*set);
            ++n;
        }
        const int current = bag->currentIndex();
        if (current >= 0 && current < fTabWidget->count())
            fTabWidget->setCurrentIndex(current);
        return;
    }
    int seen[3] = {0, 0, 0};
    for (TMassPlotPropertiesBag* set : sets) {
        const int k = kindOf(*set);
        const int wanted = seen[k]++;
        int met = 0;
        for (int i = 0; i < fTabWidget->count(); ++i) {
            WMassPlotPropertiesWidget* form = tab(i);
            if (form && form->plotKind() == k && met++ == wanted) {
                form->loadProperties(*set);
                break;
            }
        }
    }
}

void WMassPropertiesWidget::propertiesBag(TItemPropertiesBag* item)
{
    TMassSpectrumPropertiesBag* bag = massBag(item);
    if (!bag)
        return;
    const QList<TMassPlotPropertiesBag*>& sets = bag->plotBags();
    for (int i = 0; i < fTabWidget->count() && i < sets.size(); ++i) {
        WMassPlotPropertiesWidget* form = tab(i);
        if (!form)
            continue;
        // Into a copy of the plot's set: what no form shows stays as it is.
        TMassPlotPropertiesBag fresh(*sets.at(i));
        copyPlotPropertiesBag(*sets.at(i), fresh);
        form->storeProperties(fresh);
        if (comparePlotPropertiesBags(fresh, *sets.at(i)) != 0) {
            copyPlotPropertiesBag(fresh, *sets.at(i));
            bag->setChanged(true);
        }
    }
}

void WMassPropertiesWidget::saveAsDefault(TItemPropertiesBag* item)
{
    TMassSpectrumPropertiesBag* bag = massBag(item);
    const int i = fTabWidget->currentIndex();
    if (!bag || i < 0 || i >= bag->plotBags().size() || !tab(i))
        return;
    TMassPlotPropertiesBag copy(*bag->plotBags().at(i));
    tab(i)->storeProperties(copy);
    copy.saveDefaults();
}

void WMassPropertiesWidget::loadDefault(TItemPropertiesBag* item)
{
    TMassSpectrumPropertiesBag* bag = massBag(item);
    const int i = fTabWidget->currentIndex();
    if (!bag || i < 0 || i >= bag->plotBags().size() || !tab(i))
        return;
    TMassPlotPropertiesBag copy(*bag->plotBags().at(i));
    if (copy.loadDefaults()) {
        tab(i)->loadProperties(copy);
        return;
    }
    QMessageBox::critical(this, tr("Error"), tr("Error loading default properties"), QMessageBox::Ok,
                          QMessageBox::NoButton);
}
