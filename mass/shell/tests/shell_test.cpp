// The plug-in object on the recording host, linked statically: identity and
// interface casts, registration in its order, items and bags, the import
// driver and the mass converters over the text provider, the UI
// description and icons, the element table, reports of a small table
// through the factories, template items, the wait cursor and events.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTableWidget>
#include <QXmlStreamReader>

#include "kstest.h"
#include "kstestqt.h"
#include "owningdrawingpeer.h"
#include "pageitems.h"
#include "recordinghost.h"
#include "tbaseconverter.h"
#include "tbasetable.h"
#include "tcanvasmass.h"
#include "tionvale.h"
#include "tupdateitem.h"
#include "tmassspectrumpropertiesbag.h"
#include "tpluginfactories.h"

namespace {

const QUuid kTextProviderId("{127AC576-D36A-11D3-91D9-00400536072C}");
const QUuid kChemStationProviderId("{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}");

QString bundledTextDataset()
{
    return QString::fromStdString(std::string(KS_SOURCE_DIR) + "/../../dataservices/providers/text/samples/text_dataset.txt");
}

// A converter of the test: answers what it is told.
class ScriptedConverter : public TBaseConverter {
public:
    ScriptedConverter(TBasePlugin* plugin, const QString& filter, QString rewrite, int result)
        : TBaseConverter(plugin, {filter}, {})
        , rewrite(std::move(rewrite))
        , result(result)
    {
    }
    int exportFile(const QList<TCanvasItem*>&, const QString&) override { return 7; }
    bool acceptsItems(const QList<TCanvasItem*>&) override { return false; }
    bool canImport(QString& path) override
    {
        if (rewrite == "-")
            return false;
        if (!rewrite.isEmpty())
            path = rewrite;
        return true;
    }
    int importFile(const QString& path, int) override
    {
        runs.append(path);
        return result;
    }
    QString rewrite;
    int result;
    QStringList runs;
};

// A plug-in whose converters the test sets.
class ConverterPlugin : public TIonvale {
public:
    void setConverters(const QList<TBaseConverter*>& list)
    {
        qDeleteAll(m_converters);
        m_converters = list;
    }
};

// A one-column table of the rows of a mass item's dataset name, and its
// factory (report name "TestReport").
class NameTable : public TBaseTable {
public:
    NameTable(TEmptyPlugin* plugin, QAction* report, QAction* copy)
        : TBaseTable(plugin, "Names", "Mass", report, copy)
    {
        widget = new QTableWidget(this);
        setupTable();
    }
    QString columnName(int) override { return "Dataset"; }
    QString reportName() override { return "TestReport"; }
    QAbstractItemView* view() override { return widget; }
    QList<int> selectedRows() override { return {}; }
    void formatDefaultColumns() override {}
    const char* settingsKey() override { return "Names"; }
    int resultCount() override { return item() ? 1 : 0; }
    int rowCount() override { return resultCount(); }
    int subRowCount(int) override { return 0; }
    QString cellText(int, int, int) override
    {
        auto* mass = item() && item()->rtti() == 112 ? static_cast<TCanvasMass*>(item()) : nullptr;
        return mass ? QFileInfo(mass->datasetName()).fileName() : QString();
    }
    int columnCount() override { return 1; }
    QHeaderView* headerView() override { return nullptr; }
    void setHeaderLabels(const QStringList&) override {}
    void setColumnHidden(int, bool) override {}
    QList<int> defaultColumnIds() override { return {0}; }
    void onDelete() override {}
    QTableWidget* widget;
};

class NameTableFactory : public TBaseTableFactory {
public:
    NameTableFactory(QObject* parent, IPluginHost* host)
        : TBaseTableFactory(parent, host, "Names", "NamesDock")
    {
    }
    WPluginDockWidget* createDockWidget(const QString& name) override
    {
        ++made;
        return name == dockName() ? new NameTable(static_cast<TEmptyPlugin*>(parent()), reportAction(), copyAction())
                                  : nullptr;
    }
    QString reportName(TCanvasItem*) override { return "TestReport"; }
    int made = 0;
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks::test::useCaseSettings();
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider"}));
        host = std::make_unique<lumatra::RecordingHost>();
        host->removeDrawingPeer();
        drawing = std::make_unique<OwningDrawingPeer>(*host);
        host->addPlugin(drawing.get());
    }
    void TearDown() override
    {
        drawing.reset();
        host.reset();
        delete plugin;
    }
    TIonvale* load()
    {
        plugin = new TIonvale;
        host->loadPlugin(plugin);
        return plugin;
    }

    std::unique_ptr<lumatra::RecordingHost> host;
    std::unique_ptr<OwningDrawingPeer> drawing;
    TIonvale* plugin = nullptr;
};

}  // namespace

TEST_F(ShellTest, IdentityAndInterfaceCasts)
{
    TIonvale p;
    EXPECT_EQ(p.objectName(), "mass");
    EXPECT_EQ(p.name(), "Mass");
    EXPECT_EQ(p.version(), "1.0");
    EXPECT_EQ(p.date(), QDate(2009, 10, 9));
    EXPECT_EQ(p.id(), QUuid("{5C1895EB-0054-40b1-BD42-192EF6589F83}"));
    EXPECT_EQ(p.secondId(), p.id());
    EXPECT_EQ(p.uiDescriptionPath(), ":/ui/Ionvale.pui");
    EXPECT_TRUE(p.description().isEmpty());
    EXPECT_EQ(TEmptyPlugin::instance(), &p);
    EXPECT_EQ(p.host(), nullptr);

    const QList<std::pair<const char*, void*>> casts{
        {"TIonvale", &p},
        {"IPluginActions", static_cast<IPluginActions*>(&p)},
        {"IPluginItemZoom", static_cast<IPluginItemZoom*>(&p)},
        {"IPluginDraw", static_cast<IPluginDraw*>(&p)},
        {"IPluginEvent", static_cast<IPluginEvent*>(&p)},
        {"IPluginItemIntensity", static_cast<IPluginItemIntensity*>(&p)},
        {"IPluginItemCuts", static_cast<IPluginItemCuts*>(&p)},
        {IPluginActions_iid, static_cast<IPluginActions*>(&p)},
        {IPluginItemZoom_iid, static_cast<IPluginItemZoom*>(&p)},
        {IPluginDraw_iid, static_cast<IPluginDraw*>(&p)},
        {IPluginEvent_iid, static_cast<IPluginEvent*>(&p)},
        {IPluginItemIntensity_iid, static_cast<IPluginItemIntensity*>(&p)},
        {IPluginItemCuts_iid, static_cast<IPluginItemCuts*>(&p)},
        {IPluginCanvasItem_iid, static_cast<IPluginCanvasItem*>(&p)},
        {"TBasePlugin", static_cast<TBasePlugin*>(&p)},
        {"IPluginInfo", static_cast<IPluginInfo*>(&p)},
        {"IPluginCanvasItem", static_cast<IPluginCanvasItem*>(&p)},
        {"IPluginImport", static_cast<IPluginImport*>(&p)},
        {"IProgress", static_cast<IProgress*>(&p)},
        {IPluginInfo_iid, static_cast<IPluginInfo*>(&p)},
        {IPluginImport_iid, static_cast<IPluginImport*>(&p)},
        {"QObject", static_cast<QObject*>(&p)},
        {"IProgress/1.0", nullptr},
        {"TEmptyPluginX", nullptr},
    };
    for (const auto& [name, expected] : casts)
        EXPECT_EQ(p.qt_metacast(name), expected) << name;
    EXPECT_EQ(TIonvale::scriptClassName(0), "Ionvale");
    EXPECT_EQ(TIonvale::scriptClassName(1), "MassItem");
    EXPECT_EQ(TIonvale::scriptClassName(2), "???");
}

TEST_F(ShellTest, InstanceFollowsTheNewestObject)
{
    auto* first = new TIonvale;
    EXPECT_EQ(TEmptyPlugin::instance(), first);
    delete first;
    EXPECT_EQ(TEmptyPlugin::instance(), nullptr);
    TIonvale second;
    EXPECT_EQ(TEmptyPlugin::instance(), &second);
}

TEST_F(ShellTest, RegistrationInOrder)
{
    lumatra::RecordingHost::clearLog();
    load();
    EXPECT_EQ(plugin->host(), host.get());
    EXPECT_EQ(host->journal(),
              (QStringList{"log()",
                           "registerAction(\"MassElementCompositionTable::action_Report\", \"Elemental Composition Table\")",
                           "registerAction(\"MassElementCompositionTable::action_CopyToClipboard\", \"Elemental Composition Table\")",
                           "addFactory(factory)",
                           "registerAction(\"MassMolMatchTable::action_Report\", \"Molecule Match Table\")",
                           "registerAction(\"MassMolMatchTable::action_CopyToClipboard\", \"Molecule Match Table\")",
                           "addFactory(factory)",
                           "registerAction(\"MassPeaksTable::action_Report\", \"Mass Peaks Table\")",
                           "registerAction(\"MassPeaksTable::action_CopyToClipboard\", \"Mass Peaks Table\")",
                           "addFactory(factory)",
                           "addFactory(factory)",
                           "addScriptFactories(3)",
                           "setScriptObject(\"mass\", null, false)",
                           "findPlugin({65b47fe2-e426-4d14-87ce-eb8428e84301}, 0) -> molecule",
                           "findPlugin({bb281d8b-a70c-4dca-844f-0bc5a7e8ca55}, 0) -> drawing"}))
        << host->journal().join("\n").toStdString();
    EXPECT_TRUE(lumatra::RecordingHost::logText().contains("Mass 1.0 id:{5c1895eb-0054-40b1-bd42-192ef6589f83} has been registered"))
        << lumatra::RecordingHost::logText().toStdString();
    // The converters were built before the script object was cleared: one
    // per provider the core library lists (here the text provider).
    ASSERT_EQ(plugin->converters().size(), 1);
    EXPECT_NE(plugin->moleculePlugin(), nullptr);
    EXPECT_EQ(static_cast<void*>(plugin->drawingTools()), static_cast<IDrawingTools*>(drawing.get()));
    // The three table factories, in the order composition, match, peaks;
    // the dataset browser's factory went to the host alone.
    EXPECT_EQ(host->factories().size(), 4);
    ASSERT_EQ(plugin->tableFactories().size(), 3);
    EXPECT_EQ(plugin->tableFactories().at(0)->dockName(), "MassElementCompositionTable");
    EXPECT_EQ(plugin->tableFactories().at(1)->dockName(), "MassMolMatchTable");
    EXPECT_EQ(plugin->tableFactories().at(2)->dockName(), "MassPeaksTable");
}

TEST_F(ShellTest, MissingPeersLeaveNullPointers)
{
    host->removeMoleculePeer();
    host->removePlugin(drawing.get());
    load();
    EXPECT_EQ(plugin->moleculePlugin(), nullptr);
    EXPECT_EQ(plugin->drawingTools(), nullptr);
    auto* item = plugin->createItem(112);
    host->addItem(item);
    lumatra::LayoutTemplateItem placeholder("Mass Table", "TestReport", QRectF(0, 0, 10, 10));
    EXPECT_EQ(plugin->createTemplateItem(placeholder.templateProperties(), item), nullptr);
}

TEST_F(ShellTest, ActivationAndDeactivation)
{
    load();
    host->clearJournal();
    plugin->activate();
    EXPECT_TRUE(plugin->isActive());
    plugin->deactivate();
    EXPECT_FALSE(plugin->isActive());
    // The plug-in script object is published while active.
    EXPECT_EQ(host->journal(), QStringList({"setScriptObject(\"mass\", object, true)",
                                            "setScriptObject(\"mass\", null, false)"}));
}

TEST_F(ShellTest, ItemsAndBags)
{
    load();
    // The plug-in lets edited bags make their commands.
    EXPECT_NE(bagCommandMaker(), nullptr);
    EXPECT_EQ(plugin->createItem(113), nullptr);
    EXPECT_EQ(plugin->createPropertiesBag(4), nullptr);
    EXPECT_EQ(plugin->createMultiPropertiesBag(4, 0, {}), nullptr);
    TCanvasItem* item = plugin->createItem(112);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->rtti(), 112);
    auto* mass = static_cast<TCanvasMass*>(item);
    EXPECT_EQ(mass->dataset(), nullptr);
    host->addItem(item);
    std::unique_ptr<TItemPropertiesBag> bag(plugin->createPropertiesBag(5));
    ASSERT_NE(bag, nullptr);
    EXPECT_EQ(bag->bagType(), 5);
    std::unique_ptr<TItemPropertiesBag> multi(plugin->createMultiPropertiesBag(5, 0, TCanvasItemList(item)));
    ASSERT_NE(multi, nullptr);
    EXPECT_EQ(static_cast<TMultiMassSpectrumPropertiesBag*>(multi.get())->itemBags().size(), 1);
    std::unique_ptr<QWidget> page(plugin->createPropertiesWidget(5));
    EXPECT_NE(page, nullptr);
    EXPECT_EQ(plugin->createPropertiesWidget(4), nullptr);
    lumatra::HtmlTextItem text("x", "Text", "", QRectF(0, 0, 10, 10));
    lumatra::LayoutTemplateItem placeholder("Mass Table", "TestReport", QRectF(0, 0, 10, 10));
    EXPECT_EQ(plugin->createTemplateItem(placeholder.templateProperties(), &text), nullptr);
    EXPECT_EQ(plugin->createTemplateItem(placeholder.templateProperties(), nullptr), nullptr);
}

TEST_F(ShellTest, ImportDriver)
{
    struct Case {
        const char* what;
        QList<std::tuple<QString, QString, int>> converters;  // filter, rewrite, result
        QString filter;
        bool direct;
        QStringList imported;
        int expected;
        QStringList importedAfter;
        int taken;
    };
    const QString path = "/data/run.raw/file.dat";
    const QString dataset = "/data/run.raw";
    const QList<Case> cases{
        {"no converters", {}, "", false, {}, 50, {}, 0},
        {"unknown filter", {{"A (*.a)", "", 0}}, "B (*.b)", true, {}, 50, {}, 0},
        {"direct, same path", {{"A (*.a)", "", 0}}, "", true, {}, 0, {path}, 1},
        {"direct, rewritten path passed over", {{"A (*.a)", dataset, 0}}, "", true, {}, 50, {}, 0},
        {"indirect, rewritten path", {{"A (*.a)", dataset, 0}}, "A (*.a)", false, {}, 0, {dataset}, 1},
        {"indirect, same path passed over", {{"A (*.a)", "", 0}}, "", false, {}, 50, {}, 0},
        {"already imported, indirect", {{"A (*.a)", dataset, 0}}, "", false, {dataset}, 0, {dataset}, 0},
        {"already imported, direct", {{"A (*.a)", "", 0}}, "", true, {path}, 50, {path}, 0},
        {"refused, next converter", {{"A (*.a)", "-", 0}, {"B (*.b)", "", 0}}, "", true, {}, 0, {path}, 1},
        {"failure ends the import", {{"A (*.a)", "", -3}, {"B (*.b)", "", 0}}, "", true, {}, -3, {}, 0},
        {"other result, next converter", {{"A (*.a)", "", 5}, {"B (*.b)", "", 0}}, "", true, {}, 0, {path}, 1},
    };
    auto* p = new ConverterPlugin;
    plugin = p;
    host->loadPlugin(p);
    for (const Case& c : cases) {
        QList<TBaseConverter*> list;
        for (const auto& [f, rewrite, result] : c.converters)
            list.append(new ScriptedConverter(plugin, f, rewrite, result));
        p->setConverters(list);
        host->clearJournal();
        QStringList imported = c.imported;
        EXPECT_EQ(plugin->importFile(path, 0, c.filter, c.direct, imported), c.expected) << c.what;
        EXPECT_EQ(imported, c.importedAfter) << c.what;
        EXPECT_EQ(host->calls("takeItems").size(), c.taken) << c.what;
        EXPECT_TRUE(plugin->exportFilters().isEmpty());
        EXPECT_EQ(plugin->exportItems("/out.x", "A"), 50);
    }
    QString name;
    ScriptedConverter c(plugin, "A", "", 0);
    c.historyName(name);
    EXPECT_EQ(name, "Import Item");
    EXPECT_EQ(c.flags() & 1, 1);
}

TEST_F(ShellTest, ImportFiltersAndTextDatasets)
{
    load();
    ASSERT_EQ(plugin->converters().size(), 1);
    const auto* converter = static_cast<const TMassSpectrumConverter*>(plugin->converters().first());
    EXPECT_EQ(converter->provider(), kTextProviderId);
    const QStringList filters = plugin->importFilters();
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters.first().endsWith(" (*.*)")) << filters.first().toStdString();
    EXPECT_TRUE(plugin->exportFilters().isEmpty());
    EXPECT_EQ(plugin->exportItems("/tmp/x", filters.first()), 50);

    const QStringList paths{bundledTextDataset(),
                            QString::fromStdString(ks::test::realData("xmass/openms-XMassFile_test_data.txt"))};
    QStringList imported;
    for (const QString& path : paths) {
        host->clearJournal();
        ASSERT_EQ(plugin->importFile(path, 0, QString(), true, imported), 0) << path.toStdString();
        ASSERT_EQ(host->calls("takeItems").size(), 1);
        EXPECT_EQ(host->calls("takeItems").first(), "takeItems([112], 5, 1)");
    }
    EXPECT_EQ(imported, paths);
    const TCanvasItemList items = host->allItems();
    ASSERT_EQ(items.size(), 2);
    for (TCanvasItem* item : items) {
        auto* mass = static_cast<TCanvasMass*>(item);
        ASSERT_NE(mass->dataset(), nullptr);
        EXPECT_GT(mass->dataset()->getInjectionCount(), 0);
    }
    // The same dataset again is done already.
    host->clearJournal();
    EXPECT_EQ(plugin->importFile(paths.first(), 0, QString(), false, imported), 0);
    EXPECT_EQ(plugin->importFile(paths.first(), 0, QString(), true, imported), 50);
    EXPECT_TRUE(host->calls("takeItems").isEmpty());
    // A file no converter takes.
    const QString other = QDir::temp().filePath("empty.bin");
    QFile(other).open(QIODevice::WriteOnly);
    EXPECT_EQ(plugin->importFile(other, 0, QString(), true, imported), 50);
}

TEST_F(ShellTest, ImportFilterTexts)
{
    const QList<std::pair<QString, QString>> cases{
        {"", ""},
        {"Text files (*.txt)", "Text files (*.txt)"},
        {"Text", "Text (*.*)"},
        {"Runs (*.d) of the lab", "Runs (*.d) of the lab (*.*)"},
        {"Empty ()", "Empty () (*.*)"},
        {"Two (*.a *.b)", "Two (*.a *.b)"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(importFilterText(in), out) << in.toStdString();
}

TEST_F(ShellTest, ProviderThatCannotOpenGivesItemWithoutData)
{
    load();
    TMassSpectrumConverter converter(plugin, &plugin->dataServer(), QUuid("{00000000-1111-2222-3333-444444444444}"),
                                     {"None (*.none)"}, {});
    EXPECT_EQ(converter.runImport("/no/such/file", 0), 0);
    ASSERT_EQ(host->allItems().size(), 1);
    EXPECT_EQ(static_cast<TCanvasMass*>(host->allItems().first())->dataset(), nullptr);
}

TEST_F(ShellTest, ChemStationRun)
{
    if (!QFile::exists(QString(KS_LIB_DIR) + "/KSAgilentProvider.so"))
        GTEST_SKIP() << "KSAgilentProvider is not built";
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "KSAgilentProvider"}));
    load();
    const QString path = QString::fromStdString(ks::test::realData("chemstation-ms/rainbow-orange.D"));
    QStringList imported;
    EXPECT_EQ(plugin->importFile(path, 0, QString(), true, imported), 0);
    ASSERT_EQ(host->allItems().size(), 1);
    auto* mass = static_cast<TCanvasMass*>(host->allItems().first());
    ASSERT_NE(mass->dataset(), nullptr);
    EXPECT_EQ(QUuid(QString::fromStdWString(mass->dataset()->getDatasetProviderID())), kChemStationProviderId);
}

TEST_F(ShellTest, UiDescriptionMatchesTable)
{
    load();
    const QString text = plugin->uiDescription();
    ASSERT_FALSE(text.isEmpty());
    // Flattened: one line per element with its attributes and text.
    QStringList lines;
    QStringList icons;
    QXmlStreamReader xml(text);
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            QString line = QString(depth * 2, ' ') + xml.name().toString();
            for (const auto& a : xml.attributes())
                line += QString(" %1=%2").arg(a.qualifiedName().toString(), a.value().toString());
            ++depth;
            lines.append(line);
        } else if (xml.isEndElement()) {
            --depth;
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            lines.last() += ": " + xml.text().toString();
            if (lines.last().trimmed().startsWith("icon:"))
                icons.append(xml.text().toString());
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    QFile table(QString(KS_SOURCE_DIR) + "/tests/ui_description.txt");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(lines.join("\n") + "\n", QString::fromUtf8(table.readAll()));

    EXPECT_EQ(icons.size(), 12);
    for (const QString& icon : icons)
        EXPECT_FALSE(plugin->icon(icon).pixmap(16).isNull()) << icon.toStdString();
    for (const char* name : {"add", "apply", "cancel", "delete", "new-chromatogram", "new-msspec", "spec-pro-look",
                             "spec-pro-scales", "star", "table", "report-copy", "table-setup"})
        EXPECT_FALSE(QIcon(QString(":/images/%1.png").arg(name)).pixmap(16).isNull()) << name;
    EXPECT_FALSE(plugin->icon("::/images/element-comp.png").isNull());
    EXPECT_TRUE(plugin->icon(":/images/element-comp.png").isNull());
    EXPECT_TRUE(plugin->icon("::/images/none.png").pixmap(16).isNull());
    EXPECT_TRUE(plugin->isInvalidated("RELEASE"));
    EXPECT_FALSE(plugin->isInvalidated("release"));
}

TEST_F(ShellTest, ElementTableFromBesideTheProgram)
{
    load();
    ASSERT_TRUE(QFile::exists(QCoreApplication::applicationDirPath() + "/KSElements.ini"));
    EXPECT_TRUE(plugin->ensureElementTable());
    EXPECT_TRUE(plugin->elementTableLoaded());
    EXPECT_TRUE(plugin->ensureElementTable());
}

TEST_F(ShellTest, TableReportsAndTemplateItems)
{
    load();
    auto* factory = new NameTableFactory(plugin, host.get());
    host->clearJournal();
    plugin->addTableFactory(factory);
    EXPECT_EQ(host->journal(), QStringList{"addFactory(factory)"});
    ASSERT_EQ(plugin->tableFactories().size(), 4);

    QStringList imported;
    ASSERT_EQ(plugin->importFile(bundledTextDataset(), 0, QString(), true, imported), 0);
    TCanvasItem* item = host->allItems().first();
    EXPECT_TRUE(plugin->tableReport("TestReport", nullptr).isEmpty());
    EXPECT_TRUE(plugin->tableReport("Other", item).isEmpty());
    const QString html = plugin->tableReport("TestReport", item);
    EXPECT_TRUE(html.contains("text_dataset.txt")) << html.toStdString();
    // Made for the call and gone afterwards.
    for (QWidget* w : QApplication::allWidgets())
        EXPECT_EQ(qobject_cast<TBaseTable*>(w), nullptr);

    lumatra::LayoutTemplateItem placeholder("Mass Table", "TestReport", QRectF(0, 0, 10, 10));
    host->clearJournal();
    TCanvasItem* report = plugin->createTemplateItem(placeholder.templateProperties(), item);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(drawing->made.last(), report);
    EXPECT_EQ(host->calls("drawing.createTextItem"),
              QStringList{"drawing.createTextItem(\"Mass Table\", \"TestReport\", true, (0, 0), false) -> 107"});
    lumatra::LayoutTemplateItem other("Text", "TestReport", QRectF(0, 0, 10, 10));
    EXPECT_EQ(plugin->createTemplateItem(other.templateProperties(), item), nullptr);

    // The host's update reaches the factories.
    host->setSelectedItems(TCanvasItemList());
    factory->reportAction()->setEnabled(true);
    QList<TUpdateItem*> records;
    plugin->updateActions(records);
    EXPECT_FALSE(factory->reportAction()->isEnabled());
    qDeleteAll(records);
}

TEST_F(ShellTest, WaitCursorAndEvents)
{
    load();
    plugin->beginWait();
    EXPECT_EQ(host->cursorDepth(), 1);
    EXPECT_EQ(host->currentCursor().shape(), Qt::WaitCursor);
    plugin->endWait();
    EXPECT_EQ(host->cursorDepth(), 0);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(plugin->dispatchEvent(&dbl));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(plugin->handleEvent(&press));
}
