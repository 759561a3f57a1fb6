// The host program end to end: runs of `lumatra` through ks::test::run
// (components registered into the case's registry) for import, documents,
// bad input and batch behaviour; and the window in this process (the
// plug-in loaded with QPluginLoader) for menus, mouse modes, undo and redo,
// the properties page and the context menu.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QUndoStack>

#include "document.h"
#include "hostwindow.h"
#include "kstest.h"
#include "kstestqt.h"
#include "pageitems.h"
#include "pageview.h"

namespace {

const QString kBin = QStringLiteral(KS_BIN_DIR);
const QString kLib = QStringLiteral(KS_LIB_DIR);
const std::string kProgram = KS_BIN_DIR "/lumatra";
const std::string kTextDataset = KS_SOURCE_DIR "/../../../dataservices/providers/text/samples/text_dataset.txt";
const std::string kCaffeine = KS_SOURCE_DIR "/../../tindrel/data/molfiles/caffeine.mol";
const std::string kDemo = KS_SOURCE_DIR "/../samples/demo.js";

std::string tmp(const std::string& name)
{
    return ks::test::tempDir() + "/" + name;
}

// QtScript keeps a few bytes per process: the runs use the suppressions of
// this folder.
ks::test::RunResult lumatra(std::vector<std::string> args, const std::string& program = kProgram)
{
    args.insert(args.begin(), program);
    return ks::test::run(args, {"QT_QPA_PLATFORM=offscreen",
                                "LSAN_OPTIONS=print_suppressions=0:suppressions=" KS_SOURCE_DIR "/lsan.supp"});
}

QJsonObject readJson(const std::string& path)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(ks::test::readFile(path))).object();
}

// Type, plug-in and plug-in data of every item: what a document keeps.
QStringList itemPrints(const QJsonObject& state)
{
    QStringList prints;
    for (const QJsonValue& v : state.value("items").toArray()) {
        const QJsonObject o = v.toObject();
        prints << QStringLiteral("%1 %2 %3")
                      .arg(o.value("type").toInt())
                      .arg(o.value("plugin").toString(), o.value("pluginDataSha1").toString());
    }
    return prints;
}

class LumatraRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks::test::useCaseSettings();
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "KSAgilentProvider"}));
    }
};

// ---- runs of the program ---------------------------------------------------

TEST_F(LumatraRun, ImportSaveAndReopenGiveEqualItems)
{
    const std::string doc = tmp("doc.lmd");
    auto first = lumatra({"--import", kTextDataset, "--molecule", kCaffeine, "--save", doc, "--dump-state",
                          tmp("first.json"), "--quit"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const QJsonObject saved = readJson(tmp("first.json"));
    ASSERT_EQ(saved.value("items").toArray().size(), 2);
    EXPECT_EQ(saved.value("items").toArray()[0].toObject().value("type").toInt(), 112);
    EXPECT_EQ(saved.value("items").toArray()[1].toObject().value("type").toInt(), 110);
    EXPECT_EQ(saved.value("plugins").toArray()[0].toObject().value("name").toString(), "Mass");
    EXPECT_TRUE(saved.value("nmrLibrary").toObject().value("loaded").toBool());

    auto second = lumatra({"--open", doc, "--dump-state", tmp("second.json"), "--quit"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const QJsonObject reopened = readJson(tmp("second.json"));
    EXPECT_EQ(itemPrints(reopened), itemPrints(saved));
    EXPECT_EQ(reopened.value("items").toArray()[0].toObject().value("plots"),
              saved.value("items").toArray()[0].toObject().value("plots"));
    // A seed for the document fuzz target's corpus when asked for.
    if (qEnvironmentVariableIsSet("LUMATRA_SEED_DIR"))
        QFile::copy(QString::fromStdString(doc), qEnvironmentVariable("LUMATRA_SEED_DIR") + "/text_caffeine.lmd");
}

TEST_F(LumatraRun, DocumentWhoseDatasetIsGoneOpensWithItsStoredPlots)
{
    const std::string dataset = tmp("run.txt");
    ks::test::writeFile(dataset, ks::test::readFile(kTextDataset));
    const std::string doc = tmp("doc.lmd");
    auto first = lumatra({"--import", dataset, "--save", doc, "--quit"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    std::remove(dataset.c_str());
    // The plug-in's item stays, with the plots its record stores.
    auto second = lumatra({"--open", doc, "--script", kDemo, "--dump-state", tmp("state.json"), "--screenshot",
                           tmp("gone.png"), "--quit"});
    const QJsonObject state = readJson(tmp("state.json"));
    ASSERT_EQ(state.value("items").toArray().size(), 1) << second.err;
    EXPECT_EQ(state.value("items").toArray()[0].toObject().value("type").toInt(), 112);
    EXPECT_FALSE(QImage(QString::fromStdString(tmp("gone.png"))).isNull());
    // Nothing is selected after opening, so the demo finds no active mass
    // item: reported with its file and line, not fatal.
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find(kDemo + ":"), std::string::npos) << second.err;
}

TEST_F(LumatraRun, RealChemStationRunImportsSavesAndReopens)
{
    const std::string orange = ks::test::realData("chemstation-ms/rainbow-orange.D");
    if (!ks::test::haveRealData())
        GTEST_SKIP() << "no real data folder";
    const std::string doc = tmp("orange.lmd");
    auto first = lumatra({"--import", orange, "--save", doc, "--dump-state", tmp("first.json"), "--quit"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const QJsonObject saved = readJson(tmp("first.json"));
    ASSERT_EQ(saved.value("items").toArray().size(), 1);
    EXPECT_GE(saved.value("items").toArray()[0].toObject().value("plots").toArray().size(), 2);
    auto second = lumatra({"--open", doc, "--dump-state", tmp("second.json"), "--quit"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(itemPrints(readJson(tmp("second.json"))), itemPrints(saved));
}

struct BadInput {
    const char* name;
    std::vector<std::string> args;  // "@" is replaced by the case's folder
    int exitCode;
    const char* message;  // on standard error
};

TEST_F(LumatraRun, BadInputIsReportedWithFileAndReason)
{
    const std::string dir = ks::test::tempDir();
    ks::test::writeFile(dir + "/notes.xyz", "nothing any converter reads\n");
    ks::test::writeFile(dir + "/broken.mol", "caffeine\n\n\n  3  2  0  0  0  0  0  0  0  0999 V2000\n");
    ks::test::writeFile(dir + "/damaged.lmd", std::string("LMTRDOC1") + std::string(7, '\x7f'));
    ks::test::writeFile(dir + "/plain", "a regular file\n");
    ks::test::writeFile(dir + "/syntax.js", "print('a');\nvar x = ;\n");
    ks::test::writeFile(dir + "/throws.js", "print('a');\n\nthrow new Error('stop here');\n");
    const BadInput cases[] = {
        {"missing import", {"--import", "@/absent.txt"}, 1, "@/absent.txt: no such file or folder"},
        {"no converter", {"--import", "@/notes.xyz"}, 1, "@/notes.xyz: no converter takes this file"},
        {"damaged molfile", {"--molecule", "@/broken.mol"}, 1, "@/broken.mol: not a molfile this host reads"},
        {"missing document", {"--open", "@/absent.lmd"}, 1, "@/absent.lmd: no such file"},
        {"folder as document", {"--open", "@"}, 1, "@: not a regular file"},
        {"device as script", {"--script", "/dev/zero"}, 1, "/dev/zero: not a regular file"},
        {"not a document", {"--open", "@/plain"}, 1, "@/plain: not a Lumatra document"},
        {"damaged document", {"--open", "@/damaged.lmd"}, 1, "@/damaged.lmd: damaged document"},
        {"unwritable save", {"--save", "@/plain/below.lmd"}, 1, "@/plain/below.lmd: not saved: "},
        {"unknown option", {"--frobnicate"}, 2, "unknown option --frobnicate"},
        {"missing value", {"--save"}, 2, "--save needs a value"},
        {"syntax error", {"--script", "@/syntax.js"}, 1, "@/syntax.js:2: SyntaxError"},
        {"thrown error", {"--script", "@/throws.js"}, 1, "@/throws.js:3: Error: stop here"},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args;
        for (std::string a : c.args) {
            if (a[0] == '@')
                a = dir + a.substr(1);
            args.push_back(a);
        }
        args.insert(args.begin(), {"--import", kTextDataset});
        args.insert(args.end(), {"--dump-state", dir + "/state.json", "--quit"});
        std::remove((dir + "/state.json").c_str());
        const auto r = lumatra(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        std::string message = c.message;
        if (message[0] == '@')
            message = dir + message.substr(1);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        if (c.exitCode == 1) {
            // The document stays as it was: the imported item, nothing else.
            const QJsonObject state = readJson(dir + "/state.json");
            EXPECT_EQ(state.value("items").toArray().size(), 1) << r.err;
        }
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/plain/below.lmd")));
}

TEST_F(LumatraRun, EmbeddedImageIsCheckedAndPassedOverUndecoded)
{
    // A molecule item holding a 4096 x 4096 16-bit image (the largest an
    // item record may hold): the host shows no item image, so none is
    // decoded. Decoding would take one 32 MB block; the allocator refuses
    // any over 16 MB here.
    const auto r = ks::test::run(
        {kProgram, "--open", KS_SOURCE_DIR "/../fuzz/document_corpus/image_4096_16bit.lmd", "--dump-state",
         tmp("state.json"), "--quit"},
        {"QT_QPA_PLATFORM=offscreen", "LSAN_OPTIONS=print_suppressions=0:suppressions=" KS_SOURCE_DIR "/lsan.supp",
         "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_odr_violation=0:max_allocation_size_mb=16"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray items = readJson(tmp("state.json")).value("items").toArray();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].toObject().value("type").toInt(), MoleculeItemType);
}

TEST_F(LumatraRun, BatchRunWithoutElementTableReportsTheBox)
{
    // The program alone in a folder: no KSElements.ini beside it.
    const QString dir = QString::fromStdString(tmp("alone"));
    ASSERT_TRUE(QDir().mkpath(dir));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kProgram), dir + "/lumatra"));
    QFile::setPermissions(dir + "/lumatra", QFile::permissions(QString::fromStdString(kProgram)));
    ks::test::writeFile(tmp("compose.js"), "lumatra.triggerAction('massElementComposition');\n"
                                           "print('after the box');\n");
    const auto r = lumatra({"--plugin", (kLib + "/Ionvale.so").toStdString(), "--import", kTextDataset, "--script",
                            tmp("compose.js"), "--quit"},
                           (dir + "/lumatra").toStdString());
    // The run ended (no dialog waited) and went on after the action.
    EXPECT_NE(r.out.find("after the box"), std::string::npos) << r.err;
    if (r.err.find("closed the box") == std::string::npos)
        GTEST_SKIP() << "the plug-in's element-composition action shows no box yet";
    EXPECT_NE(r.err.find("closed the box \"Error\": Error initializing elements table from"), std::string::npos)
        << r.err;
}

TEST_F(LumatraRun, DemoScriptLeavesTheExpectedState)
{
    const auto r = lumatra({"--import", kTextDataset, "--molecule", kCaffeine, "--script", kDemo, "--dump-state",
                            tmp("state.json"), "--screenshot", tmp("demo.png"), "--quit"});
    const QJsonObject state = readJson(tmp("state.json"));
    if (r.err.find("Can't find variable: mass") != std::string::npos)
        GTEST_SKIP() << "the plug-in publishes no \"mass\" script object yet";
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QStringList visible;
    for (const QJsonValue& v : state.value("visibleDocks").toArray())
        visible << v.toString();
    // The composition and peaks tables show the demo's results; the browser
    // and the match table wherever the plug-in's factories make them.
    EXPECT_TRUE(visible.contains("MassElementCompositionTable")) << r.err;
    EXPECT_TRUE(visible.contains("MassPeaksTable")) << r.err;
    const QJsonObject rows = state.value("tableRows").toObject();
    EXPECT_GT(rows.value("MassElementCompositionTable").toInt(), 0);
    EXPECT_GT(rows.value("MassPeaksTable").toInt(), 0);
    for (const char* dock : {"MSBrowserWidget", "MassMolMatchTable"})
        if (!visible.contains(dock))
            std::printf("[ waiting  ] the plug-in makes no dock \"%s\" yet\n", dock);
    EXPECT_NE(r.out.find("Base peak of the spectrum: m/z 195.08"), std::string::npos) << r.out;
    // Protonated caffeine at the base peak.
    EXPECT_NE(r.out.find("  C8H10N4O2  mass 195.0877"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Molecule match results: "), std::string::npos) << r.out;
    const QImage shot(QString::fromStdString(tmp("demo.png")));
    EXPECT_EQ(shot.size(), QSize(state.value("window").toArray()[0].toInt(), state.value("window").toArray()[1].toInt()));
}

TEST_F(LumatraRun, DemoBatchUnderXvfbWritesAWindowSizedScreenshot)
{
    const QString xvfb = QStandardPaths::findExecutable("xvfb-run");
    if (xvfb.isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed (scripts/setup installs it)";
    const auto r = ks::test::run({xvfb.toStdString(), "-a", "-s", "-screen 0 1920x1200x24", kProgram, "--import", kTextDataset,
                                  "--dump-state", tmp("state.json"), "--screenshot", tmp("xcb.png"), "--quit"},
                                 // The xcb platform's event thread can make the
                                 // leak checker's own stop-the-world fail at
                                 // exit; the other runs check leaks.
                                 {"QT_QPA_PLATFORM=xcb",
                                  "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:detect_odr_violation=0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject state = readJson(tmp("state.json"));
    const QImage shot(QString::fromStdString(tmp("xcb.png")));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(state.value("window").toArray()[0].toInt(), state.value("window").toArray()[1].toInt()));
}

// ---- the window in this process --------------------------------------------

class LumatraWindowTest : public LumatraRun {
public:
    void SetUp() override
    {
        LumatraRun::SetUp();
        window = std::make_unique<lumatra::LumatraWindow>();
        window->show();
        QString error;
        ASSERT_TRUE(window->loadPlugin(kLib + "/Ionvale.so", error)) << error.toStdString();
        ASSERT_TRUE(window->importFile(QString::fromStdString(kTextDataset), error)) << error.toStdString();
        view = window->view();
    }
    void TearDown() override { window.reset(); }

    // The document's part of the dump as text (items with their plots and
    // scales), with or without the plug-in data bytes, the actions, the
    // mouse mode and the docks (docks a command showed stay shown after its
    // undo).
    std::string state(bool withData = false)
    {
        QJsonObject s = window->stateDump();
        s.remove("undoHistory");
        s.remove("redoHistory");
        for (const char* key : {"actions", "mouseMode", "visibleDocks", "tableRows"})
            if (!withData)
                s.remove(key);
        QJsonArray items;
        for (const QJsonValue& v : s.value("items").toArray()) {
            QJsonObject o = v.toObject();
            if (!withData) {
                o.remove("pluginDataSha1");
                o.remove("pluginDataBytes");
            }
            items.append(o);
        }
        s.insert("items", items);
        return QJsonDocument(s).toJson().toStdString();
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, at, view->mapToGlobal(at), button, buttons, modifiers);
        QApplication::sendEvent(view, &event);
    }
    void drag(QPoint from, QPoint to)
    {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void click(QPoint at)
    {
        send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    void trigger(const char* name)
    {
        QAction* a = window->action(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }

    std::unique_ptr<lumatra::LumatraWindow> window;
    QWidget* view = nullptr;
};

// View positions inside the two plots of the imported item (the item
// fills 2400 x 1800 page units from the page's corner; scale 0.3, origin
// 20, 20): the chromatogram above, the spectrum below.
const QPoint kInChromatogram(360, 140);
const QPoint kInSpectrum(360, 400);

TEST_F(LumatraWindowTest, MenusAndToolBarFromTheUiDescription)
{
    auto* menu = window->menuBar()->findChild<QMenu*>("Mass Analysis");
    ASSERT_NE(menu, nullptr);
    QStringList submenus;
    for (QAction* a : menu->actions())
        if (a->menu())
            submenus << a->menu()->title();
    EXPECT_EQ(submenus, (QStringList{"Spectrum Selection Mode", "Elemental Composition", "Molecule Match"}));
    EXPECT_EQ(window->menuBar()->findChild<QMenu*>("_Debug"), nullptr);
    EXPECT_EQ(window->action("massDebug1"), nullptr);
    auto* bar = window->findChild<QToolBar*>("Mass Analysis");
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->actions().first(), window->action("massShowMSBrowser"));
    EXPECT_FALSE(window->action("massShowMSBrowser")->icon().isNull());
    // The browser action follows the dock through the plug-in's states.
    trigger("massShowMSBrowser");
    const QJsonObject s = window->stateDump();
    if (s.value("visibleDocks").toArray().contains(QJsonValue("MSBrowserWidget"))) {
        EXPECT_TRUE(window->action("massShowMSBrowser")->isChecked());
    }
}

TEST_F(LumatraWindowTest, RightClickOnAPlotShowsTheItemContextMenu)
{
    send(QEvent::MouseButtonPress, kInSpectrum, Qt::RightButton, Qt::RightButton);
    send(QEvent::MouseButtonRelease, kInSpectrum, Qt::RightButton, Qt::NoButton);
    QMenu* menu = window->lastContextMenu();
    if (!menu)
        GTEST_SKIP() << "the plug-in names no context menu yet";
    EXPECT_EQ(menu->title(), "MS Item");
    EXPECT_TRUE(menu->actions().contains(window->action("massHidePlot")));
    menu->close();
}

// One undoable command per row: made by a menu entry, a mouse mode or a
// dock; undo through the Undo entry gives back the earlier state (plots in
// their order, and the same plug-in data bytes), redo the later one. Each row starts from the imported item as it was (what a row
// needs first, a zoom to pan or a cut to restore, is prepared and undone
// with it).
using Act = std::function<void(LumatraWindowTest&)>;
struct CommandRow {
    const char* name;
    const char* mode;  // host mode action, or null
    Act prepare;       // or null
    Act act;
    QPoint at;  // the plot the row works on
};

TEST_F(LumatraWindowTest, EachKindOfCommandUndoesAndRedoesThroughTheMenu)
{
    const Act zoom = [](LumatraWindowTest& t) {
        t.trigger("modeRectZoom");
        t.drag(kInSpectrum, kInSpectrum + QPoint(150, 60));
    };
    const Act cut = [](LumatraWindowTest& t) {
        t.trigger("modeCut");
        t.drag(kInSpectrum, kInSpectrum + QPoint(150, 0));
    };
    const auto action = [](const char* name) { return [name](LumatraWindowTest& t) { t.trigger(name); }; };
    const auto dragBy = [](QPoint from, QPoint by) { return [from, by](LumatraWindowTest& t) { t.drag(from, from + by); }; };
    const CommandRow rows[] = {
        {"zoom rectangle", "modeRectZoom", nullptr, dragBy(kInSpectrum, QPoint(150, 60)), kInSpectrum},
        {"zoom out by click", "modeClickZoom", zoom, [](LumatraWindowTest& t) { t.click(kInSpectrum); }, kInSpectrum},
        {"pan", "modePan", zoom, dragBy(kInSpectrum, QPoint(-80, 0)), kInSpectrum},
        {"full zoom out", nullptr, zoom, action("viewFullZoomOut"), kInSpectrum},
        {"cut range", "modeCut", nullptr, dragBy(kInSpectrum, QPoint(150, 0)), kInSpectrum},
        {"restore range", "modeRestoreCut", cut, dragBy(kInSpectrum + QPoint(30, 0), QPoint(60, 0)), kInSpectrum},
        {"restore all cuts", nullptr, cut, action("viewRestoreAllCuts"), kInSpectrum},
        {"expansion", "modeExpansion", nullptr, dragBy(kInSpectrum, QPoint(100, 40)), kInSpectrum},
        {"composition at a click", "modeElementComposition", nullptr, [](LumatraWindowTest& t) { t.click(kInSpectrum); },
         kInSpectrum},
        {"spectrum selection", "modeSpectrumSelection", nullptr, dragBy(kInChromatogram, QPoint(60, 0)), kInChromatogram},
        {"fit to height", nullptr, nullptr, action("viewFitToHeight"), kInSpectrum},
        {"increase intensity", nullptr, nullptr, action("viewIncreaseIntensity"), kInSpectrum},
        {"decrease intensity", nullptr, nullptr, action("viewDecreaseIntensity"), kInSpectrum},
        {"hide plot", nullptr, nullptr, action("massHidePlot"), kInSpectrum},
        {"delete plot", nullptr, nullptr, action("massDeletePlot"), kInChromatogram},
        {"append flag", nullptr, nullptr, action("massSelSpecModeAppend"), kInSpectrum},
        {"selection mode", nullptr, nullptr, action("massSelSpecModePeak"), kInSpectrum},
    };
    QStringList waiting;
    int done = 0;
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        QUndoStack* stack = window->undoStack();
        const int start = stack->index();
        // A press without a mode makes the plot under it current (no
        // command): done before the snapshot, so that the drag's own press
        // changes nothing but what its command does.
        trigger("modeNone");
        click(row.at);
        if (row.prepare) {
            row.prepare(*this);
            trigger("modeNone");
            click(row.at);
        }
        trigger(row.mode ? row.mode : "modeNone");
        const std::string before = state();
        const std::string withDataBefore = state(true);
        // Each item's plug-in data: what the document stores.
        const QStringList bytesBefore = itemPrints(window->stateDump());
        const int count = stack->index();
        row.act(*this);
        // A drag may give several commands (a pan shifts on every move).
        const int added = stack->index() - count;
        if (added == 0) {
            waiting << row.name;
        } else {
            ++done;
            const std::string after = state();
            const QStringList bytesAfter = itemPrints(window->stateDump());
            EXPECT_NE(state(true), withDataBefore);
            EXPECT_EQ(window->action("editUndo")->text(), "&Undo " + stack->text(stack->index() - 1));
            for (int i = 0; i < added; ++i)
                trigger("editUndo");
            EXPECT_EQ(state(), before);
            EXPECT_EQ(itemPrints(window->stateDump()), bytesBefore);
            for (int i = 0; i < added; ++i)
                trigger("editRedo");
            EXPECT_EQ(state(), after);
            EXPECT_EQ(itemPrints(window->stateDump()), bytesAfter);
        }
        while (stack->index() > start)
            trigger("editUndo");
    }
    EXPECT_GE(done, 15);
    if (!waiting.isEmpty())
        std::printf("[ waiting  ] no command from the plug-in yet: %s\n", qPrintable(waiting.join(", ")));
}

TEST_F(LumatraWindowTest, EachModeShowsThePluginsCursorThroughTheHostTable)
{
    // The cursor over the spectrum while the mouse moves, and while a drag
    // is under way (only panning changes it).
    struct Row {
        const char* mode;
        int hover;
        int dragging;  // 0: as hover
    };
    const Row rows[] = {
        {"modeRectZoom", 501, 0}, {"modeClickZoom", 504, 0}, {"modeExpansion", 501, 0},
        {"modePan", 506, 509},    {"modeCut", 513, 0},       {"modeRestoreCut", 516, 0},
        {"modeSpectrumSelection", 518, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        trigger(row.mode);
        send(QEvent::MouseMove, kInSpectrum, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(view->cursor().shape(), lumatra::cursorShapeForId(row.hover));
        send(QEvent::MouseButtonPress, kInSpectrum, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, kInSpectrum + QPoint(-3, 0), Qt::NoButton, Qt::LeftButton);
        EXPECT_EQ(view->cursor().shape(), lumatra::cursorShapeForId(row.dragging ? row.dragging : row.hover));
        send(QEvent::MouseButtonRelease, kInSpectrum + QPoint(-3, 0), Qt::LeftButton, Qt::NoButton);
    }
    // No cursor of the plug-in: the element-composition mode and no mode.
    for (const char* mode : {"modeElementComposition", "modeNone"}) {
        trigger(mode);
        send(QEvent::MouseMove, kInSpectrum, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor) << mode;
    }
    // A move outside every item in a served mode: the plug-in's active item
    // still gives the cursor.
    trigger("modeCut");
    send(QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(view->cursor().shape(), lumatra::cursorShapeForId(513));
}

TEST_F(LumatraWindowTest, PropertiesPageAppliesOneUndoableCommand)
{
    const std::string before = state(true);
    const int count = window->undoStack()->count();
    ks::test::whenModal([](QDialog* dialog) {
        // One more decimal for the first plot's peak labels, then OK.
        auto* decimals = dialog->findChild<QSpinBox*>("fPeakDecimalsSpinBox");
        if (decimals)
            decimals->setValue(decimals->value() + 1);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    window->showItemProperties(window->activeItem());
    ASSERT_EQ(window->undoStack()->count(), count + 1);
    EXPECT_NE(state(true), before);
    trigger("editUndo");
    EXPECT_EQ(state(true), before);
}

TEST_F(LumatraWindowTest, EveryPrefixOfASavedDocumentOpensWithoutACrash)
{
    QString error;
    ASSERT_TRUE(window->addMolecule(QString::fromStdString(kCaffeine), error)) << error.toStdString();
    // The molecule item holds caffeine, implicit hydrogens counted.
    TCanvasItem* molecule = window->pageItems().firstOfType(MoleculeItemType);
    ASSERT_NE(molecule, nullptr);
    EXPECT_EQ(static_cast<lumatra::MoleculeItem*>(molecule)->molecule()->formula(), "C8H10N4O2");
    const QString path = QString::fromStdString(tmp("doc.lmd"));
    ASSERT_TRUE(window->saveDocument(path, error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QStringList whole = itemPrints(window->stateDump());
    for (int n = 0; n < bytes.size(); ++n) {
        ASSERT_FALSE(window->openDocumentData(bytes.left(n), error)) << n;
        ASSERT_FALSE(error.isEmpty());
    }
    // Nothing failed changed the document.
    EXPECT_EQ(itemPrints(window->stateDump()), whole);
    ASSERT_TRUE(window->openDocumentData(bytes, error)) << error.toStdString();
    EXPECT_EQ(itemPrints(window->stateDump()), whole);
}

TEST_F(LumatraWindowTest, StackedItemsEnterFewChunksAndLeaveThemTogether)
{
    // The imported mass item 214 times on one spot of the page.
    QString error;
    const QString path = QString::fromStdString(tmp("one.lmd"));
    ASSERT_TRUE(window->saveDocument(path, error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    lumatra::DocumentData one;
    ASSERT_TRUE(lumatra::parseDocument(file.readAll(), one, error)) << error.toStdString();
    ASSERT_EQ(one.items.size(), 1);
    lumatra::DocumentData stacked = one;
    for (int k = 1; k < 214; ++k)
        stacked.items.append(one.items.first());
    ASSERT_TRUE(window->openDocumentData(lumatra::serializeDocument(stacked), error)) << error.toStdString();

    // Each item enters at most the 39 x 55 chunks of the page, however
    // large it is; every chunk under the stack holds every item once.
    const lumatra::PageCanvas& page = window->page();
    EXPECT_EQ(page.chunkColumns() * page.chunkRows(), 39 * 55);
    const TCanvasItemList items = window->pageItems();
    ASSERT_EQ(items.size(), 214);
    long long entered = 0;
    int most = 0;
    for (TCanvasItem* item : items) {
        entered += item->chunks().size();
        most = std::max(most, int(item->chunks().size()));
    }
    EXPECT_GT(entered, 214 * 100);
    EXPECT_LE(most, 39 * 55);
    long long held = 0;
    for (int row = 0; row < page.chunkRows(); ++row)
        for (int column = 0; column < page.chunkColumns(); ++column) {
            const QtCanvasItemList& in = page.chunk(column, row).items();
            held += in.size();
            EXPECT_TRUE(in.isEmpty() || in.size() == 214) << column << "," << row;
        }
    EXPECT_EQ(held, entered);

    // An empty document in its place leaves every chunk empty.
    lumatra::DocumentData empty = one;
    empty.items.clear();
    ASSERT_TRUE(window->openDocumentData(lumatra::serializeDocument(empty), error)) << error.toStdString();
    EXPECT_TRUE(window->pageItems().isEmpty());
    for (int row = 0; row < page.chunkRows(); ++row)
        for (int column = 0; column < page.chunkColumns(); ++column)
            ASSERT_TRUE(page.chunk(column, row).items().isEmpty()) << column << "," << row;
}

}  // namespace
