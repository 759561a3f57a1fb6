// The deliverable Ionvale.so as the host loads it: exactly Qt's three entry
// points exported, loaded with QPluginLoader into the recording host, cast
// by class name and identifier in order, registered; one instance until the
// host deletes it, then a new one.
#include <gtest/gtest.h>

#include <QFile>
#include <QPluginLoader>
#include <QProcess>
#include <QUuid>

#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include "kstest.h"
#include "kstestqt.h"
#include "hostjournal.h"
#include "recordinghost.h"
#include "tcanvasitem.h"
#include "tupdateitem.h"

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

namespace {

// The module loaded and registered by the recording host (view scale 1,
// origin 20, 20), with an item imported from the bundled text dataset:
// its first plot is the TIC (a chromatogram), its second a spectrum.
class ModuleInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks::test::useCaseSettings();
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider"}));
        host = std::make_unique<lumatra::RecordingHost>();
        object = loader.instance();
        ASSERT_NE(object, nullptr) << loader.errorString().toStdString();
        host->loadPlugin(object);
        events = pluginInterface<IPluginEvent>(object, IPluginEvent_iid);
        actions = pluginInterface<IPluginActions>(object, IPluginActions_iid);
        ASSERT_TRUE(events && actions);
        QStringList imported;
        auto* import = pluginInterface<IPluginImport>(object, IPluginImport_iid);
        const QString path =
            QString::fromStdString(std::string(KS_SOURCE_DIR) + "/../../dataservices/providers/text/samples/text_dataset.txt");
        ASSERT_EQ(import->importFile(path, 0, QString(), true, imported), 0);
        item = host->allItems().first();
        host->setSelectedItems({item});
        host->setView(1.0, QPointF(20, 20), QSize(4000, 4000));
        // The item lays its two plots out in equal bands, top to bottom;
        // these points lie in each plot's area with room to drag 200 units
        // right and down.
        const QRectF r = item->boundingRect();
        points[0] = (r.topLeft() + QPointF(0.3 * r.width(), 0.17 * r.height())).toPoint();
        points[1] = (r.topLeft() + QPointF(0.3 * r.width(), 0.64 * r.height())).toPoint();
        host->clearJournal();
    }
    void TearDown() override
    {
        host.reset();
        delete object;
    }
    bool send(QEvent::Type type, const QPoint& canvas, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(canvas + QPoint(20, 20)), button, buttons, modifiers);
        return events->handleEvent(&event);
    }
    QStringList commandNames(int from) const { return shelltest::doneCommandNames(*host, from); }
    QStringList requests() const
    {
        return shelltest::journalLines(*host, {"setMouseMode", "showDock", "canvas.placeNewItems"});
    }

    QPluginLoader loader{modulePath()};
    std::unique_ptr<lumatra::RecordingHost> host;
    QObject* object = nullptr;
    IPluginEvent* events = nullptr;
    IPluginActions* actions = nullptr;
    TCanvasItem* item = nullptr;
    QPoint points[2];
};

const QUuid kExpansion("{f14ded40-6e09-11dd-ad8b-0800200c9a66}");
const QUuid kRectZoom("{5042ea2a-4b57-4940-a51e-48f7e2bcfd4e}");
const QUuid kClickZoom("{c2a41a4e-75e6-44c9-bb72-9b5f7476c895}");
const QUuid kCut("{fbbacb4f-dc3d-4462-a962-ac6c0a8cf3a0}");
const QUuid kRestoreCut("{05d90524-b709-4d0d-aa3d-dce18343d53a}");
const QUuid kSpectrumSelection("{3d4a0a12-3f9c-49da-8638-cda5e15e7140}");
const QUuid kComposition("{543e9223-4ebf-412c-89b3-fe9bf1299465}");
const QUuid kPan("{a6d2472c-87fa-40c3-b3e0-e329783e4034}");

}  // namespace

TEST_F(ModuleInputTest, EveryModesCommandsThroughTheLoadedModule)
{
    struct Row {
        const char* what;
        QUuid mode;
        int plot;        // 0 the chromatogram, 1 the spectrum
        QPoint drag;     // from the press to the release
        Qt::KeyboardModifiers modifiers;
        int cursor;      // the host cursor id; 0: none offered
        bool repaints;
        QStringList commands;
        QStringList requests;
    };
    const QList<Row> rows{
        {"expansion", kExpansion, 1, {200, 200}, Qt::NoModifier, 501, true, {"Spectrum Expansion"},
         {"canvas.placeNewItems([112])"}},
        {"rectangle zoom", kRectZoom, 1, {200, 200}, Qt::NoModifier, 501, true, {"Zoom"}, {}},
        {"short drag, zoom in", kRectZoom, 1, {3, 3}, Qt::NoModifier, 501, true, {"Zoom In"}, {}},
        {"click zoom out", kClickZoom, 1, {200, 200}, Qt::NoModifier, 504, true, {"Zoom Out"}, {}},
        {"cut, zero height", kCut, 1, {200, 0}, Qt::NoModifier, 513, true, {"Cut range"}, {}},
        {"restore", kRestoreCut, 1, {200, 0}, Qt::NoModifier, 516, true, {"Restore range"}, {}},
        {"selection", kSpectrumSelection, 0, {0, 0}, Qt::NoModifier, 518, true, {"Set Mass Spectrum"}, {}},
        {"selection, Shift", kSpectrumSelection, 0, {0, 0}, Qt::ShiftModifier, 518, true, {"Set Mass Spectrum"},
         {}},
        {"selection on a spectrum", kSpectrumSelection, 1, {0, 0}, Qt::NoModifier, 518, true, {}, {}},
        {"pan", kPan, 1, {100, 0}, Qt::NoModifier, 506, false, {"Panning"}, {}},
        {"pan back to the start", kPan, 1, {0, 0}, Qt::NoModifier, 506, false, {}, {}},
        {"composition", kComposition, 1, {0, 0}, Qt::NoModifier, 0, true, {"Elemental Composition"},
         {"showDock(\"MassElementCompositionTable\", true)"}},
        {"composition on a chromatogram", kComposition, 0, {0, 0}, Qt::NoModifier, 0, true, {"Set Mass Spectrum"},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        events->setMouseMode(QUuid(), 0, 0);
        if (row.mode == kComposition) {
            // The host makes the mode current when the action asks.
            actions->executeAction("massElementComposition");
            ASSERT_EQ(host->currentMouseMode(), kComposition);
        }
        events->setMouseMode(row.mode, 0, 0);
        TPluginCursor cursor{0, 0};
        EXPECT_EQ(events->supportsMouseMode(0, item, cursor), row.cursor != 0);
        EXPECT_EQ(cursor.id, row.cursor);
        const int before = host->doneCount();
        host->clearJournal();
        const QPoint at = points[row.plot];
        EXPECT_TRUE(send(QEvent::MouseButtonPress, at, row.modifiers));
        // A pan moves even when it ends where it started.
        if (!row.drag.isNull() || row.mode == kPan) {
            EXPECT_FALSE(send(QEvent::MouseMove, at + row.drag, row.modifiers));
        }
        EXPECT_TRUE(send(QEvent::MouseButtonRelease, at + row.drag, row.modifiers));
        EXPECT_EQ(commandNames(before), row.commands);
        EXPECT_EQ(requests(), row.requests);
        EXPECT_EQ(!host->calls("repaintItem").isEmpty(), row.repaints);
        while (host->doneCount() > before && host->undo()) {
        }
    }
    // The pan that came back deleted its command at once: nothing was
    // handed over, nothing leaked (LeakSanitizer).
}

TEST_F(ModuleInputTest, ActionsThroughTheLoadedModule)
{
    struct Row {
        QString name;
        QStringList commands;
        QStringList requests;
    };
    const QString selecting = "setMouseMode(" + kSpectrumSelection.toString() +
                              ", {00000000-0000-0000-0000-000000000000}, 1)";
    const QList<Row> rows{
        {"massSelSpecModePeak", {"Set Spectrum Selection Mode"}, {selecting}},
        {"massSelSpecModeAppend", {"Set Spectrum Selection Append Flag"}, {selecting}},
        {"massHidePlot", {"Toggle plot visibility"}, {}},
        {"massDeletePlot", {"Remove ms plot object"}, {}},
        {"massShowMSBrowser", {}, {"showDock(\"MSBrowserWidget\", true)"}},
        {"mass_hidden", {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        const int before = host->doneCount();
        host->clearJournal();
        actions->executeAction(row.name);
        EXPECT_EQ(commandNames(before), row.commands);
        EXPECT_EQ(requests(), row.requests);
        while (host->doneCount() > before && host->undo()) {
        }
        host->showDock("MSBrowserWidget", false);
    }
    ks::test::whenModal([](QMessageBox* box) {
        EXPECT_EQ(box->text(),
                  "This command is not implemented yet. It will be available in the next version of Lumatra.");
        box->button(QMessageBox::Ok)->click();
    });
    actions->executeAction("massDebug1");
    ks::test::finishModalAnswers();
    EXPECT_TRUE(actions->isInvalidated("RELEASE"));
    EXPECT_FALSE(actions->isInvalidated("release"));

    QList<TUpdateItem*> records;
    actions->updateActions(records);
    ASSERT_EQ(records.size(), 13);
    EXPECT_EQ(records.first()->name, "massElementComposition");
    EXPECT_EQ(records.last()->name, "massSetMergeTolerance");
    qDeleteAll(records);

    EXPECT_EQ(actions->contextMenu(points[1] + QPoint(20, 20)), "massItemContextMenu");
    EXPECT_TRUE(host->journal().contains("refreshDock(\"MassPeaksTable\")"));
    auto* cuts = pluginInterface<IPluginItemCuts>(object, IPluginItemCuts_iid);
    auto* intensity = pluginInterface<IPluginItemIntensity>(object, IPluginItemIntensity_iid);
    auto* zoom = pluginInterface<IPluginItemZoom>(object, IPluginItemZoom_iid);
    const int before = host->doneCount();
    zoom->fullZoomOut();
    intensity->fitToHeight();
    intensity->increaseIntensity();
    intensity->decreaseIntensity();
    cuts->restoreAllCuts();
    EXPECT_EQ(commandNames(before), (QStringList{"Full Zoom Out", "Fit To Height", "Increase Intensity",
                                                 "Decrease Intensity", "Restore all ranges"}));
    EXPECT_FALSE(cuts->canCutRange());
    EXPECT_FALSE(cuts->canRestoreRange());
}
