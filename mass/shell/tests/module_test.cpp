// The deliverable Ionvale.so as the host loads it: exactly Qt's three entry
// points exported, loaded with QPluginLoader into the recording host, cast
// by class name and identifier in order, registered; one instance until the
// host deletes it, then a new one.
#include <gtest/gtest.h>

#include <QFile>
#include <QPluginLoader>
#include <QProcess>
#include <QUuid>

#include "kstest.h"
#include "kstestqt.h"
#include "recordinghost.h"

namespace {

QString modulePath()
{
    return QString(KS_LIB_DIR) + "/Ionvale.so";
}

// Defined dynamic code symbols of the module.
QStringList exportedCode()
{
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", modulePath()});
    nm.waitForFinished();
    QStringList names;
    for (const QString& line : QString::fromLocal8Bit(nm.readAllStandardOutput()).split('\n')) {
        const QStringList parts = line.split(' ', Qt::SkipEmptyParts);
        if (parts.size() == 3 && (parts[1] == "T" || parts[1] == "W" || parts[1] == "i"))
            names.append(parts[2]);
    }
    names.sort();
    return names;
}

}  // namespace

TEST(IonvaleModule, ExportsOnlyTheEntryPoints)
{
    ASSERT_TRUE(QFile::exists(modulePath()));
    EXPECT_EQ(exportedCode(),
              (QStringList{"qt_plugin_instance", "qt_plugin_query_metadata", "qt_plugin_query_verification_data"}));
    QLibrary library(modulePath());
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    using Text = const char* (*)();
    auto verification = reinterpret_cast<Text>(library.resolve("qt_plugin_query_verification_data"));
    ASSERT_NE(verification, nullptr);
    EXPECT_EQ(QString(verification()),
              QString("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=" QT_VERSION_STR "\ndebug=") +
                  (QString(verification()).contains("debug=true") ? "true" : "false") +
                  "\nbuildkey=Linux gcc full-config");
}

TEST(IonvaleModule, LoadsCastsAndRegisters)
{
    ks::test::useCaseSettings();
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider"}));
    lumatra::RecordingHost host;
    QPluginLoader loader(modulePath());
    QObject* object = loader.instance();
    ASSERT_NE(object, nullptr) << loader.errorString().toStdString();
    EXPECT_EQ(loader.metaData().value("IID").toString(), IPluginInfo_iid);
    EXPECT_STREQ(object->metaObject()->className(), "TIonvale");
    EXPECT_EQ(object->objectName(), "mass");
    EXPECT_EQ(object->qt_metacast("TIonvale"), static_cast<void*>(object));
    for (const char* name : {"IPluginActions", "IPluginItemZoom", "IPluginDraw", "IPluginEvent",
                             "IPluginItemIntensity", "IPluginItemCuts", IPluginActions_iid, IPluginItemZoom_iid,
                             IPluginDraw_iid, IPluginEvent_iid, IPluginItemIntensity_iid, IPluginItemCuts_iid,
                             IPluginCanvasItem_iid, "TBasePlugin", "IPluginInfo", "IPluginCanvasItem",
                             "IPluginImport", "IProgress", IPluginInfo_iid, IPluginImport_iid})
        EXPECT_NE(object->qt_metacast(name), nullptr) << name;
    EXPECT_EQ(object->qt_metacast(IPluginActions_iid), object->qt_metacast("IPluginActions"));

    auto* info = pluginInterface<IPluginInfo>(object, IPluginInfo_iid);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->id(), QUuid("{5C1895EB-0054-40b1-BD42-192EF6589F83}"));
    host.loadPlugin(object);
    EXPECT_EQ(host.journal().first(), "log()");
    EXPECT_TRUE(host.journal().contains("setScriptObject(\"mass\", null, false)"));
    auto* import = pluginInterface<IPluginImport>(object, IPluginImport_iid);
    ASSERT_NE(import, nullptr);
    EXPECT_EQ(import->importFilters().size(), 1);
    auto* items = pluginInterface<IPluginCanvasItem>(object, IPluginCanvasItem_iid);
    TCanvasItem* item = items->createItem(112);
    ASSERT_NE(item, nullptr);
    host.addItem(item);
    EXPECT_EQ(host.allItems().size(), 1);

    // The same object until the host deletes it, then a new one.
    EXPECT_EQ(loader.instance(), object);
    QLibrary library(modulePath());
    using Instance = QObject* (*)();
    auto instance = reinterpret_cast<Instance>(library.resolve("qt_plugin_instance"));
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance(), object);
    delete item;
    delete object;
    QObject* again = instance();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, object);
    EXPECT_EQ(instance(), again);
    delete again;
}
