// The properties page of mass items (bag kind 5): one tab per plot of the
// item, each a mass plot property form over one plot property set of the
// bag, in plot order. The first setItems makes the tabs; later ones reload
// them by plot kind (the n-th set of a kind goes to the n-th tab of that
// kind; sets without such a tab are skipped). propertiesBag collects each
// tab into a copy of the bag's set of that plot, so properties no form
// shows survive, and marks the bag changed when a set's bytes differ; it
// never clears the flag. Defaults are stored per plot kind under
// "Mass/Plot Properties/...". Bags of another kind are ignored.
#pragma once

#include "wpropertieswidget.h"

class QTabWidget;
class QVBoxLayout;
class WMassPlotPropertiesWidget;

class WMassPropertiesWidget : public WPropertiesWidget {
    Q_OBJECT
public:
    explicit WMassPropertiesWidget(QWidget* parent = nullptr);

    void setItems(TItemPropertiesBag* bag) override;
    void propertiesBag(TItemPropertiesBag* bag) override;
    QString pageTitle() override;
    bool supportsDefaults() override { return true; }
    void saveAsDefault(TItemPropertiesBag* bag) override;
    // Shows "Error loading default properties" when nothing readable is
    // stored for the current tab's plot kind; the tab keeps its values.
    void loadDefault(TItemPropertiesBag* bag) override;

    QTabWidget* tabWidget() const { return fTabWidget; }
    WMassPlotPropertiesWidget* tab(int i) const;

private:
    QVBoxLayout* verticalLayout;
    QTabWidget* fTabWidget;
    QWidget* fPlotTab;
};
