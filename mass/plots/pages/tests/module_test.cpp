// The page as the host gets it: the recording host loads Ionvale.so with
// QPluginLoader, imports the bundled text dataset, asks the plug-in for the
// page of bag kind 5, fills it from the mass item's bag, edits it with
// QTest and collects it back. Skipped when the module is not built.
#include <gtest/gtest.h>

#include <QFile>
#include <QPluginLoader>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <memory>

#include "iplugins.h"
#include "kstest.h"
#include "kstestqt.h"
#include "recordinghost.h"
#include "tcanvasitem.h"
#include "titemproperties.h"
#include "tmassspectrumpropertiesbag.h"
#include "tplotpropertiesbag.h"
#include "wpropertieswidget.h"

namespace {

QString ionvaleModule()
{
    return QString(KS_LIB_DIR) + "/Ionvale.so";
}

}  // namespace

TEST(PageFromTheModule, CreatedFilledEditedAndCollected)
{
    if (!QFile::exists(ionvaleModule()))
        GTEST_SKIP() << "Ionvale.so is not built";
    ks::test::useCaseSettings();
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider"}));
    lumatra::RecordingHost host;
    QPluginLoader loader(ionvaleModule());
    QObject* object = loader.instance();
    ASSERT_NE(object, nullptr) << loader.errorString().toStdString();
    host.loadPlugin(object);
    auto* items = pluginInterface<IPluginCanvasItem>(object, IPluginCanvasItem_iid);
    auto* import = pluginInterface<IPluginImport>(object, IPluginImport_iid);
    ASSERT_NE(items, nullptr);
    ASSERT_NE(import, nullptr);

    for (int kind : {0, 1, 2, 4, 6})
        EXPECT_EQ(items->createPropertiesWidget(kind), nullptr) << kind;
    std::unique_ptr<QWidget> widget(items->createPropertiesWidget(5));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parent(), nullptr);
    EXPECT_EQ(widget->objectName(), "WMassPropertiesWidgetClass");
    auto* page = static_cast<WPropertiesWidget*>(widget.get());
    EXPECT_EQ(page->pageTitle(), "Mass Spectrum");
    EXPECT_TRUE(page->supportsDefaults());

    QStringList imported;
    const QString dataset =
        QString(KS_SOURCE_DIR) + "/../../../dataservices/providers/text/samples/text_dataset.txt";
    ASSERT_EQ(import->importFile(dataset, 0, QString(), true, imported), 0);
    ASSERT_EQ(host.allItems().size(), 1);
    TCanvasItem* item = host.allItems().first();
    TItemPropertiesBag* bag = item->properties()->bagOfType(TItemPropertiesBag::MassSpectrum);
    ASSERT_NE(bag, nullptr);
    bag->readFromItem(false);
    const auto* massBag = static_cast<const TMassSpectrumPropertiesBag*>(bag);
    ASSERT_FALSE(massBag->plotBags().isEmpty());

    page->setItems(bag);
    auto* tabs = widget->findChild<QTabWidget*>("fTabWidget");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), massBag->plotBags().size());
    EXPECT_FALSE(tabs->tabText(0).isEmpty());
    QWidget* tab = tabs->widget(0);
    auto* decimals = tab->findChild<QSpinBox*>("fPeakDecimalsSpinBox");
    ASSERT_NE(decimals, nullptr);
    const int before = massBag->plotBags().first()->peakProperties.decimals;
    EXPECT_EQ(decimals->value(), before);

    // Collected unedited twice: the second collection changes nothing.
    page->propertiesBag(bag);
    bag->setChanged(false);
    page->propertiesBag(bag);
    EXPECT_FALSE(bag->isChanged());

    widget->show();
    decimals->setFocus();
    QTest::keyClick(decimals, Qt::Key_Up);
    EXPECT_EQ(decimals->value(), before + 1);
    page->propertiesBag(bag);
    EXPECT_TRUE(bag->isChanged());
    EXPECT_EQ(massBag->plotBags().first()->peakProperties.decimals, before + 1);

    widget.reset();
    for (TCanvasItem* i : host.allItems())
        delete i;
    delete object;
}
