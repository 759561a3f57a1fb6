// The dock, result-table and factory bases through a small table of text
// rows (a QTableWidget) and its factory on the recording host: settings in
// the case's application settings, report HTML and clipboard text, the key
// filter, the single-row question, reports through the drawing tools, a
// report through a hidden table when the dock is closed.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "kstestqt.h"
#include "owningdrawingpeer.h"
#include "pageitems.h"
#include "recordinghost.h"
#include "tbasetable.h"
#include "tcomboboxdelegate.h"
#include "ttablewidget.h"
#include "ttablewidgettable.h"
#include "testplugin.h"
#include "tpluginfactories.h"
#include "wtablesettingsdialog.h"

namespace {

// A table of rows of texts; the rows come from the test.
class TextTable : public TBaseTable {
public:
    TextTable(TEmptyPlugin* plugin, QAction* report, QAction* copy, int columns = 3)
        : TBaseTable(plugin, "Test <Table>", "Mass", report, copy)
        , columns(columns)
    {
        widget = new QTableWidget(this);
        setupTable();
        layout()->addWidget(widget);
        ++alive;
    }
    ~TextTable() override { --alive; }

    void setRows(const QList<QStringList>& rows)
    {
        data = rows;
        widget->setRowCount(rows.size());
        widget->setColumnCount(columns);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < columns; ++c)
                widget->setItem(r, c, new QTableWidgetItem(rows[r].value(c)));
    }

    QString columnName(int id) override { return QString("Column %1").arg(id); }
    QString reportName() override { return "TestReport"; }
    QAbstractItemView* view() override { return widget; }
    QList<int> selectedRows() override
    {
        QList<int> rows;
        for (const auto& index : widget->selectionModel()->selectedRows())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void formatDefaultColumns() override
    {
        TTableSettings s = currentSettings();
        s.columns[0].numeric = true;
        s.columns[0].decimals = 2;
        setSettings(s);
    }
    const char* settingsKey() override { return "TestKey"; }
    int resultCount() override { return data.size(); }
    int rowCount() override { return data.size(); }
    int subRowCount(int) override { return 0; }
    QString cellText(int row, int column, int) override
    {
        const int id = currentSettings().columns.value(column).id;
        return data.value(row).value(id);
    }
    int columnCount() override { return columns; }
    QHeaderView* headerView() override { return widget->horizontalHeader(); }
    void setHeaderLabels(const QStringList& labels) override { widget->setHorizontalHeaderLabels(labels); }
    void setColumnHidden(int column, bool hidden) override { widget->setColumnHidden(column, hidden); }
    QList<int> defaultColumnIds() override
    {
        QList<int> ids;
        for (int i = 0; i < columns; ++i)
            ids.append(i);
        return ids;
    }
    void onDelete() override { ++deletes; }
    void onVisibilityChanged(bool visible) override { visibility.append(visible); }
    void refresh() override
    {
        TBaseTable::refresh();
        const bool any = resultCount() > 0;
        if (reportAction())
            reportAction()->setEnabled(any);
        if (copyAction())
            copyAction()->setEnabled(any);
        applySettingsToView();
    }

    QTableWidget* widget;
    QList<QStringList> data;
    int columns;
    int deletes = 0;
    QList<bool> visibility;
    static int alive;
};
int TextTable::alive = 0;

// Rows the factory's tables get when made.
QList<QStringList> g_rows;

class TextTableFactory : public TBaseTableFactory {
public:
    TextTableFactory(QObject* parent, IPluginHost* host, const QString& dock = "TestTableDock")
        : TBaseTableFactory(parent, host, "Test Table", dock)
    {
        registerDock("TestTableDock", "Test Table", 17, 3, "Mass", 1, QString());
    }
    WPluginDockWidget* createDockWidget(const QString& name) override
    {
        if (name != dockName())
            return nullptr;
        auto* t = new TextTable(static_cast<TEmptyPlugin*>(parent()), reportAction(), copyAction());
        t->setRows(g_rows);
        return t;
    }
    QString reportName(TCanvasItem*) override { return "TestReport"; }
};

class TablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks::test::useCaseSettings();
        host = std::make_unique<lumatra::RecordingHost>();
        host->removeDrawingPeer();
        drawing = std::make_unique<OwningDrawingPeer>(*host);
        host->addPlugin(drawing.get());
        plugin = new lumatra::TestPlugin;
        host->loadPlugin(plugin);
        report = new QAction("Report", plugin);
        copy = new QAction("Copy", plugin);
        g_rows.clear();
        TCaptureWidgetEvents::keySequence().clear();
    }
    void TearDown() override
    {
        delete plugin;
        drawing.reset();
        host.reset();
    }

    std::unique_ptr<TextTable> table(const QList<QStringList>& rows)
    {
        auto t = std::make_unique<TextTable>(plugin, report, copy);
        t->setRows(rows);
        t->refresh();
        return t;
    }

    std::unique_ptr<lumatra::RecordingHost> host;
    std::unique_ptr<OwningDrawingPeer> drawing;
    lumatra::TestPlugin* plugin = nullptr;
    QAction* report = nullptr;
    QAction* copy = nullptr;
};

QList<QStringList> numberedRows(int n)
{
    QList<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows.append({QString("a%1").arg(i), QString("b%1").arg(i), QString("c%1").arg(i)});
    return rows;
}

}  // namespace

TEST_F(TablesTest, DockWidgetBase)
{
    TextTable t(nullptr, nullptr, nullptr);
    EXPECT_EQ(t.host(), nullptr);
    EXPECT_EQ(t.parentWidget(), nullptr);
    EXPECT_TRUE(t.acceptsItem(nullptr));
    ASSERT_TRUE(QMetaObject::invokeMethod(&t, "onVisibilityChanged", Q_ARG(bool, true)));
    EXPECT_EQ(t.visibility, QList<bool>{true});
    EXPECT_EQ(t.sizeHint(), QSize(300, 285));
}

TEST_F(TablesTest, FreshTableHasDefaults)
{
    auto t = table({});
    ASSERT_EQ(t->settingsSets().size(), 1);
    const TTableSettings s = t->currentSettings();
    EXPECT_TRUE(s.report.numbering);
    EXPECT_TRUE(s.report.frame);
    EXPECT_FALSE(s.report.showTitle || s.report.borders || s.report.boldHeaders);
    EXPECT_EQ(s.columnNames(), (QStringList{"Column 0", "Column 1", "Column 2"}));
    EXPECT_TRUE(s.columns[0].numeric);
    EXPECT_EQ(s.columns[0].decimals, 2);
    EXPECT_EQ(t->settingsPath(), "Mass Tables/TestKey");
    // Tool bar: Report, Copy, separator, Delete, separator, Setup.
    const auto actions = t->toolBar()->actions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_EQ(actions[0], report);
    EXPECT_EQ(actions[1], copy);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->objectName(), "action_Delete");
    EXPECT_EQ(actions[5]->objectName(), "action_ShowSettings");
}

TEST_F(TablesTest, SettingsRoundTripThroughApplicationSettings)
{
    {
        auto t = table({});
        TTableSettings s = t->currentSettings();
        s.report.showTitle = true;
        s.report.borders = true;
        s.report.numbering = false;
        s.report.font = QFont("Serif", 13);
        s.columns[1].hidden = true;
        s.columns[2].alignment = 4;
        s.columns[2].name = "Renamed";
        s.moveColumn(2, 0);
        t->setSettings(s);
        t->saveSettings();
        QFile seed(QDir(KS_BINARY_DIR).filePath("tablesettings_seed.bin"));
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write(QSettings().value("Mass Tables/TestKey").toByteArray());
    }
    auto t = table({});
    const TTableSettings s = t->currentSettings();
    EXPECT_TRUE(s.report.showTitle);
    EXPECT_TRUE(s.report.borders);
    EXPECT_FALSE(s.report.numbering);
    EXPECT_EQ(s.report.font.family(), "Serif");
    EXPECT_EQ(s.report.font.pointSize(), 13);
    EXPECT_EQ(s.columnNames(), (QStringList{"Renamed", "Column 0", "Column 1"}));
    EXPECT_EQ(s.columns[0].alignment, 4);
    EXPECT_EQ(s.columns[0].id, 2);
    EXPECT_TRUE(s.columns[2].hidden);
    EXPECT_EQ(s.columns[1].decimals, 2);
}

TEST_F(TablesTest, SmallestColumnReadsBack)
{
    // A last column with an empty name is the fewest bytes a column takes.
    TTableSettings set;
    set.setColumns({5}, {QString()});
    QVector<TTableSettings> back;
    ASSERT_TRUE(readTableSettings(writeTableSettings({set}), back));
    ASSERT_EQ(back.size(), 1);
    ASSERT_EQ(back[0].columns.size(), 1);
    EXPECT_EQ(back[0].columns[0].id, 5);
}

TEST_F(TablesTest, SetSettingsWithoutColumnsChangesNothing)
{
    auto t = table({});
    TTableSettings empty;
    empty.report.showTitle = true;
    t->setSettings(empty);
    EXPECT_FALSE(t->currentSettings().report.showTitle);
    EXPECT_EQ(t->currentSettings().columns.size(), 3);
}

TEST_F(TablesTest, DamagedStoredValuesGiveDefaults)
{
    QByteArray good;
    {
        auto t = table({});
        TTableSettings s = t->currentSettings();
        s.report.showTitle = true;
        t->setSettings(s);
        good = writeTableSettings(t->settingsSets());
    }
    QByteArray zeroSets = QByteArray::fromHex("00000000" "00000004" "00000000");
    QByteArray hugeCount = QByteArray::fromHex("00000000" "00000004" "7fffffff");
    QByteArray negative = good;
    negative.replace(12, 4, QByteArray::fromHex("ffffff00"));
    QList<QByteArray> values{zeroSets, hugeCount, negative};
    for (int n = 1; n < good.size(); ++n)
        values.append(good.left(n));
    // Decimals far outside the Setup dialog's 0 .. 8.
    const auto withDecimals = [](int decimals) {
        TTableSettings set;
        set.setColumns({0, 1, 2}, {"A", "B", "C"});
        set.columns[1].decimals = decimals;
        set.columns[1].numeric = true;
        return writeTableSettings({set});
    };
    struct Decimals {
        int stored, read;
    };
    const Decimals decimals[] = {{std::numeric_limits<int>::max(), 8}, {10000000, 8}, {9, 8},
                                 {8, 8}, {0, 0}, {-1, 0}, {std::numeric_limits<int>::min(), 0}};
    for (const Decimals& d : decimals)
        values.append(withDecimals(d.stored));
    for (const QByteArray& v : values) {
        QSettings().setValue("Mass Tables/TestKey", v);
        auto t = table({});
        ASSERT_EQ(t->settingsSets().size(), 1);
        const TTableSettings s = t->currentSettings();
        // Either the defaults or the whole stored set; never a missing set.
        EXPECT_EQ(s.columns.size(), 3) << v.toHex().constData();
        for (const TTableColumn& c : s.columns)
            EXPECT_TRUE(c.decimals >= 0 && c.decimals <= 8) << v.toHex().constData();
    }
    for (const Decimals& d : decimals) {
        QSettings().setValue("Mass Tables/TestKey", withDecimals(d.stored));
        EXPECT_EQ(table({})->currentSettings().columns[1].decimals, d.read) << d.stored;
    }
    // The whole value reads back.
    QSettings().setValue("Mass Tables/TestKey", good);
    EXPECT_TRUE(table({})->currentSettings().report.showTitle);
}

TEST_F(TablesTest, CellDecimalsStayInTheDialogsRange)
{
    // Settings handed over (a script's, a table's own) are not read from
    // the store: the cell's formatting clamps as well.
    struct Case {
        int decimals;
        const char* text;
    };
    const Case cases[] = {{std::numeric_limits<int>::max(), "2.71828183"},
                          {10000000, "2.71828183"},
                          {9, "2.71828183"},
                          {3, "2.718"},
                          {0, "3"},
                          {-1, "3"},
                          {std::numeric_limits<int>::min(), "3"}};
    for (const Case& c : cases) {
        QTableWidgetItem item;
        TTableWidgetItem::setNumber(&item, 2.718281828459045, c.decimals);
        EXPECT_EQ(item.text(), c.text) << c.decimals;
        EXPECT_EQ(item.data(SortKeyRole).toDouble(), 2.718281828459045);
    }
}

TEST_F(TablesTest, OtherShapeIsReplacedAtRefresh)
{
    {
        TextTable t(plugin, report, copy, 7);
        t.saveSettings();
    }
    TextTable t(plugin, report, copy, 3);
    EXPECT_EQ(t.currentSettings().columns.size(), 7);
    t.refresh();
    EXPECT_EQ(t.currentSettings().columns.size(), 3);
}

TEST_F(TablesTest, BlockSizes)
{
    const QList<std::pair<int, QList<int>>> cases{
        {0, {0}}, {30, {30}}, {31, {16, 15}}, {61, {21, 21, 19}}, {60, {30, 30}}};
    for (const auto& [lines, sizes] : cases)
        EXPECT_EQ(TBaseTable::blockSizes(lines), sizes) << lines;
    const QList<int> big = TBaseTable::blockSizes(931);
    ASSERT_EQ(big.size(), 32);
    EXPECT_EQ(big.first(), 30);
    EXPECT_EQ(big.last(), 1);
}

TEST_F(TablesTest, ReportHtml)
{
    auto t = table(numberedRows(31));
    const QString html = t->reportHtml();
    EXPECT_EQ(html.count("<table border=\"0\" cellspacing"), 2);
    EXPECT_TRUE(html.startsWith("<table border=\"1\" frame=\"box\" rules=\"none\""));
    // Rows 1 to 16 in the first block, 17 to 31 in the second.
    const int second = html.indexOf("<td><table", html.indexOf("<td><table") + 1);
    EXPECT_LT(html.indexOf(">16</font>"), second);
    EXPECT_GT(html.indexOf(">17</font>"), second);
    EXPECT_EQ(html.count("<tr>"), 1 + 2 + 31);
    EXPECT_TRUE(html.endsWith("</table></td></tr></table>"));
    EXPECT_TRUE(t->reportHtml().contains("<td align=\"left\" rowspan=\"1\">"));
    EXPECT_TRUE(table({})->reportHtml().isEmpty());
}

TEST_F(TablesTest, ReportEscapesCellsNamesAndTitle)
{
    auto t = table({{"x<y & a/b", "one\r\ntwo", "c"}});
    TTableSettings s = t->currentSettings();
    s.report.showTitle = true;
    s.report.boldHeaders = true;
    s.columns[1].name = "<i>name</i>";
    s.columns[2].hidden = true;
    QFont pixels;
    pixels.setPixelSize(12);
    s.report.font = pixels;
    t->setSettings(s);
    const QString html = t->reportHtml();
    EXPECT_TRUE(html.contains("x&lt;y &amp; a/ b")) << html.toStdString();
    EXPECT_EQ(html.count("<br/>"), 1);
    EXPECT_TRUE(html.contains("one<br/>two"));
    EXPECT_TRUE(html.contains("&lt;i&gt;name&lt;/i&gt;"));
    EXPECT_FALSE(html.contains("<i>"));
    EXPECT_TRUE(html.contains("<tr><td colspan=\"3\" align=\"center\"><font style=\"font-size: -1pt;"));
    EXPECT_TRUE(html.contains("<b>Test &lt;Table&gt;</b></font></td></tr>"));
    EXPECT_FALSE(html.contains("c</font>"));
    // The clipboard keeps the texts.
    const QString text = t->clipboardText();
    EXPECT_TRUE(text.startsWith("Test <Table>\n\tColumn 0\t<i>name</i>\n1\tx<y & a/b\tone\r\ntwo"));
}

TEST_F(TablesTest, ClipboardText)
{
    auto t = table(numberedRows(2));
    EXPECT_EQ(t->clipboardText(), "\tColumn 0\tColumn 1\tColumn 2\n1\ta0\tb0\tc0\n2\ta1\tb1\tc1\t");
    TTableSettings s = t->currentSettings();
    s.report.numbering = false;
    s.report.showTitle = true;
    t->setSettings(s);
    EXPECT_EQ(t->clipboardText(), "Test <Table>\nColumn 0\tColumn 1\tColumn 2\na0\tb0\tc0\na1\tb1\tc1\t");
    EXPECT_FALSE(t->reportHtml().contains("<td align=\"center\"><font style=\"font-size: 9pt; font-family: "
                                          "Sans Serif\"></font></td>"));
}

TEST_F(TablesTest, SelectedRowsAreNumberedByPosition)
{
    auto t = table(numberedRows(4));
    t->widget->setSelectionMode(QAbstractItemView::MultiSelection);
    t->widget->selectRow(1);
    t->widget->selectRow(3);
    EXPECT_EQ(t->clipboardText(), "\tColumn 0\tColumn 1\tColumn 2\n1\ta1\tb1\tc1\n2\ta3\tb3\tc3\t");
}

TEST_F(TablesTest, SingleSelectedRowQuestion)
{
    for (const bool yes : {true, false}) {
        auto t = table(numberedRows(3));
        t->widget->selectRow(1);
        QString question;
        ks::test::whenModal([&](QMessageBox* box) {
            question = box->text();
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        copy->setEnabled(true);
        t->onCopyToClipboard();
        EXPECT_EQ(question, "Do you want to copy only the selected data?");
        const QString text = QApplication::clipboard()->mimeData()->text();
        EXPECT_EQ(text.count("\n"), yes ? 1 : 3) << text.toStdString();
        EXPECT_TRUE(QApplication::clipboard()->mimeData()->html().startsWith("<table"));
    }
}

TEST_F(TablesTest, CopyOnlyWhileCopyEnabled)
{
    auto t = table(numberedRows(2));
    QApplication::clipboard()->setText("before");
    copy->setEnabled(false);
    t->onCopyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

TEST_F(TablesTest, ControlThenCCopiesOnce)
{
    auto t = table(numberedRows(2));
    copy->setEnabled(true);
    auto* v = t->view();
    const auto key = [&](QEvent::Type type, int k) {
        QKeyEvent e(type, k, k == Qt::Key_C ? Qt::ControlModifier : Qt::NoModifier);
        return QApplication::sendEvent(v, &e) && e.isAccepted();
    };
    int copies = 0;
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, [&] { ++copies; });
    key(QEvent::ShortcutOverride, Qt::Key_Control);
    key(QEvent::ShortcutOverride, Qt::Key_C);
    QApplication::processEvents();
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(TCaptureWidgetEvents::keySequence().size(), 2);
    // The view does not see the key press.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(v, &press);
    EXPECT_TRUE(TCaptureWidgetEvents::keySequence().isEmpty());

    key(QEvent::ShortcutOverride, Qt::Key_Control);
    key(QEvent::ShortcutOverride, Qt::Key_X);
    key(QEvent::ShortcutOverride, Qt::Key_C);
    QApplication::processEvents();
    EXPECT_EQ(copies, 1);

    key(QEvent::ShortcutOverride, Qt::Key_Delete);
    EXPECT_EQ(t->deletes, 1);
}

TEST_F(TablesTest, ReportGoesToDrawingTools)
{
    auto t = table(numberedRows(2));
    host->clearJournal();
    t->onReport();
    const QStringList calls = host->calls("drawing.createTextItem");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls[0].contains("Mass Table")) << calls[0].toStdString();
    EXPECT_TRUE(calls[0].contains("TestReport"));

    host->removePlugin(drawing.get());
    auto without = table(numberedRows(2));
    EXPECT_EQ(without->drawingTools(), nullptr);
    host->clearJournal();
    without->onReport();
    EXPECT_TRUE(host->journal().filter("createTextItem").isEmpty());
}

TEST_F(TablesTest, FactoryActionsAndTemporaryTable)
{
    auto* f = new TextTableFactory(plugin, host.get());
    TextTableFactory other(nullptr, host.get(), "OtherDock");
    EXPECT_EQ(f->reportAction()->objectName(), "TestTableDock::action_Report");
    EXPECT_EQ(f->copyAction()->objectName(), "TestTableDock::action_CopyToClipboard");
    EXPECT_EQ(host->registeredAction("TestTableDock::action_Report"), f->reportAction());
    EXPECT_NE(other.copyAction()->objectName(), f->copyAction()->objectName());
    EXPECT_EQ(f->docks().value("TestTableDock").firstFlags, 17);
    EXPECT_EQ(f->createDockWidget("Other"), nullptr);

    f->updateActions();
    EXPECT_FALSE(f->reportAction()->isEnabled());

    auto* item = new lumatra::HtmlTextItem("x", "Text", "", QRectF(0, 0, 100, 100));
    host->addItem(item);
    host->setSelectedItems(TCanvasItemList(item));
    f->updateActions();
    EXPECT_TRUE(f->copyAction()->isEnabled());

    // Report with the dock closed: a hidden table exists for the call only.
    g_rows = numberedRows(3);
    host->clearJournal();
    f->onReport();
    EXPECT_EQ(TextTable::alive, 0);
    EXPECT_EQ(host->calls("drawing.createTextItem").size(), 1);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TBaseTable*>(w), nullptr);

    bool temporary = true;
    const QList<TBaseTableFactory*> list{&other, f};
    EXPECT_EQ(TBaseTableFactory::factoryForReportName(list, "TestReport", item), &other);
    EXPECT_EQ(TBaseTableFactory::factoryForReportName(list, "None", item), nullptr);
    EXPECT_EQ(TBaseTableFactory::tableFor({f}, "None", item, temporary), nullptr);
    EXPECT_FALSE(temporary);
    WPluginDockWidget* d = TBaseTableFactory::tableFor({f}, "TestReport", item, temporary);
    EXPECT_TRUE(temporary);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(static_cast<TextTable*>(d)->item(), item);
    delete d;

    // With the dock open the dock is used.
    TextTable dock(plugin, f->reportAction(), f->copyAction());
    host->setDock("TestTableDock", &dock);
    EXPECT_EQ(TBaseTableFactory::tableFor({f}, "TestReport", item, temporary), &dock);
    EXPECT_FALSE(temporary);
    f->reportAction()->setEnabled(false);
    f->updateActions();
    EXPECT_FALSE(f->reportAction()->isEnabled());
    host->setDock("TestTableDock", nullptr);
}

TEST_F(TablesTest, ItemLeavesDocument)
{
    auto t = table({});
    auto* item = new lumatra::HtmlTextItem("x", "Text", "", QRectF(0, 0, 100, 100));
    host->addItem(item);
    t->setItem(item);
    EXPECT_EQ(t->item(), item);
    EXPECT_EQ(t->itemId(), item->ownId());
    t->setItem(nullptr);
    EXPECT_EQ(t->item(), item);
    delete item;
    EXPECT_EQ(t->item(), nullptr);
}

// ---- table widget items ------------------------------------------------------

// A column of numbers and a column of texts, each item made with its row as
// sort key, as the tables fill them.
TEST(TableWidgetItem, NumericKeysAndResultOrder)
{
    TTableWidget view(4, 2);
    const double numbers[] = {10.5, -3.25, 200, 10.5};
    const char* texts[] = {"b", "C", "a", "B"};
    for (int r = 0; r < 4; ++r) {
        auto* n = new TTableWidgetItem(0);
        n->setData(SortKeyRole, r);
        TTableWidgetItem::setNumber(n, numbers[r], 2);
        view.setItem(r, 0, n);
        auto* t = new TTableWidgetItem(1);
        t->setData(SortKeyRole, r);
        t->setText(texts[r]);
        view.setItem(r, 1, t);
    }
    EXPECT_EQ(view.item(1, 0)->text(), "-3.25");
    EXPECT_EQ(view.item(1, 0)->type(), 0);
    auto column = [&view](int c) {
        QStringList s;
        for (int r = 0; r < view.rowCount(); ++r)
            s.append(view.item(r, c)->text());
        return s;
    };
    view.sortItems(0, Qt::AscendingOrder);
    EXPECT_EQ(column(0), (QStringList{"-3.25", "10.50", "10.50", "200.00"}));  // "200" would sort before "-3" as text
    view.sortItems(1, Qt::AscendingOrder);
    EXPECT_EQ(column(1), (QStringList{"b", "C", "a", "B"}));  // result order, not alphabetical
    view.sortItems(1, Qt::DescendingOrder);
    EXPECT_EQ(column(1), (QStringList{"B", "a", "C", "b"}));

    // Without a sort key on either side: by text.
    TTableWidgetItem x(0), y(0);
    x.setText("b");
    y.setText("a");
    EXPECT_TRUE(y < x);
    y.setData(SortKeyRole, 5);
    EXPECT_FALSE(x < y);  // x has none: text
    x.setData(SortKeyRole, 5);
    EXPECT_FALSE(x < y);  // equal numbers
    EXPECT_FALSE(y < x);

    QTableWidgetItem plain;
    TTableWidgetItem::setNumber(&plain, -42);
    EXPECT_EQ(plain.text(), "-42");
    EXPECT_EQ(plain.data(SortKeyRole).type(), QVariant::Double);
    EXPECT_EQ(plain.data(SortKeyRole).toDouble(), -42.0);
    TTableWidgetItem::setNumber(&plain, 0.125, 0);
    EXPECT_EQ(plain.text(), "0");
    EXPECT_EQ(plain.data(SortKeyRole).toDouble(), 0.125);
}

// ---- cell delegates ---------------------------------------------------------

TEST(ComboBoxDelegate, EditorsByModeRowAndColumn)
{
    QTableWidget grid(5, 3);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c) {
            auto* cell = new QTableWidgetItem;
            cell->setData(Qt::DisplayRole, r * 10 + c);
            grid.setItem(r, c, cell);
        }
    struct Case {
        int mode;
        int index;
        int row;
        int column;
        bool combo;
    };
    const Case cases[] = {
        {0, 3, 3, 0, true},  {0, 3, 3, 2, true},  {0, 3, 2, 0, false}, {0, 3, 4, 1, false},
        {1, 1, 0, 1, true},  {1, 1, 4, 1, true},  {1, 1, 3, 0, false}, {2, 0, 0, 0, true},
        {-1, 9, 4, 2, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << k.mode << " index " << k.index << " cell " << k.row << ","
                                        << k.column);
        TComboBoxDelegate delegate({"Left", "Center", "Right"}, k.mode, k.index, TValueRange(0, 8), nullptr);
        const QModelIndex index = grid.model()->index(k.row, k.column);
        std::unique_ptr<QWidget> editor(delegate.createEditor(grid.viewport(), QStyleOptionViewItem(), index));
        ASSERT_TRUE(editor);
        auto* combo = qobject_cast<QComboBox*>(editor.get());
        auto* spin = qobject_cast<QSpinBox*>(editor.get());
        EXPECT_EQ(combo != nullptr, k.combo);
        if (combo) {
            EXPECT_FALSE(combo->isEditable());
            EXPECT_EQ(combo->count(), 3);
            EXPECT_EQ(combo->itemText(1), "Center");
        } else {
            ASSERT_NE(spin, nullptr);
            EXPECT_EQ(spin->minimum(), 0);
            EXPECT_EQ(spin->maximum(), 8);
        }
    }
}

TEST(ComboBoxDelegate, ComboDataAndSpinRangeEdges)
{
    QStandardItemModel model(4, 2);
    model.setData(model.index(3, 0), "Center");
    model.setData(model.index(3, 1), "center");  // case matters
    model.setData(model.index(0, 0), 3);
    TComboBoxDelegate delegate({"Left", "Center", "Right"}, 0, 3, TValueRange(-2.7, 8.9), nullptr);
    QWidget parent;

    std::unique_ptr<QWidget> e1(delegate.createEditor(&parent, QStyleOptionViewItem(), model.index(3, 0)));
    auto* combo = qobject_cast<QComboBox*>(e1.get());
    ASSERT_TRUE(combo);
    delegate.setEditorData(combo, model.index(3, 0));
    EXPECT_EQ(combo->currentIndex(), 1);
    delegate.setEditorData(combo, model.index(3, 1));
    EXPECT_EQ(combo->currentIndex(), -1);
    combo->setCurrentIndex(2);
    delegate.setModelData(combo, &model, model.index(3, 1));
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), "Right");

    // The range's ends are truncated; the open default range stays inside int.
    std::unique_ptr<QWidget> e2(delegate.createEditor(&parent, QStyleOptionViewItem(), model.index(0, 0)));
    auto* spin = qobject_cast<QSpinBox*>(e2.get());
    ASSERT_TRUE(spin);
    EXPECT_EQ(spin->minimum(), -2);
    EXPECT_EQ(spin->maximum(), 8);
    TComboBoxDelegate open({}, 0, 3, TValueRange(), nullptr);
    std::unique_ptr<QWidget> e3(open.createEditor(&parent, QStyleOptionViewItem(), model.index(0, 0)));
    spin = qobject_cast<QSpinBox*>(e3.get());
    ASSERT_TRUE(spin);
    EXPECT_EQ(spin->minimum(), std::numeric_limits<int>::min());
    EXPECT_EQ(spin->maximum(), std::numeric_limits<int>::max());

    QStyleOptionViewItem option;
    option.rect = QRect(5, 6, 70, 20);
    delegate.updateEditorGeometry(combo, option, model.index(3, 0));
    EXPECT_EQ(combo->geometry(), option.rect);
}

// ---- table settings dialog ----------------------------------------------------

namespace {
template <class W>
W* child(QWidget* dialog, const char* name)
{
    W* w = dialog->findChild<W*>(name);
    EXPECT_TRUE(w) << name;
    return w;
}
QTableWidget* grid(QWidget* dialog) { return child<QTableWidget>(dialog, "twColumns"); }
QStringList idsOf(const TTableSettings& s)
{
    QStringList ids;
    for (const auto& c : s.columns)
        ids.append(QString::number(c.id));
    return ids;
}
}  // namespace

TEST_F(TablesTest, SettingsDialogForm)
{
    auto t = table(numberedRows(2));
    TTableSettings s = t->currentSettings();
    s.columns[1].name = "Second";
    s.columns[1].hidden = true;
    s.columns[2].alignment = 4;
    s.columns[0].alignment = 2;
    s.columns[1].alignment = 32;  // not one the dialog names: shown as Left
    s.report.showTitle = true;
    s.report.frame = false;
    s.report.font = QFont("Serif", 11);
    WTableSettingsDialog d(t.get(), s);
    EXPECT_EQ(d.objectName(), "WTableSettingsDialog");
    EXPECT_EQ(d.windowTitle(), "Customize Table - %1");
    EXPECT_EQ(d.parentWidget(), t.get());
    EXPECT_EQ(d.size(), QSize(456, 330));
    QTableWidget* g = grid(&d);
    ASSERT_TRUE(g);
    ASSERT_EQ(g->columnCount(), 3);
    ASSERT_EQ(g->rowCount(), 4);
    const QStringList rows{"Visible Name", "Visible", "Decimals", "Horizontal Alignment"};
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(g->verticalHeaderItem(r)->text(), rows[r]);
    EXPECT_TRUE(g->horizontalHeader()->sectionsMovable());
    EXPECT_EQ(g->horizontalHeaderItem(1)->text(), "Column 1");  // the table's title, not the user's name
    EXPECT_EQ(g->item(0, 1)->text(), "Second");
    EXPECT_EQ(g->item(1, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(g->item(1, 1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(g->item(2, 0)->data(Qt::DisplayRole), QVariant(2));
    EXPECT_EQ(g->item(3, 0)->text(), "Right");
    EXPECT_EQ(g->item(3, 1)->text(), "Left");
    EXPECT_EQ(g->item(3, 2)->text(), "Center");
    EXPECT_EQ(g->item(2, 1)->type(), 1);
    // Decimals are editable for the numeric column only.
    EXPECT_TRUE(g->item(2, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(g->item(2, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(g->item(1, 1)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(qobject_cast<TComboBoxDelegate*>(g->itemDelegate()));

    EXPECT_EQ(child<QLabel>(&d, "lCurrentFont")->text(), "Serif");
    EXPECT_TRUE(child<QCheckBox>(&d, "cbTitle")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(&d, "cbFrame")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&d, "cbNumbering")->isChecked());
    EXPECT_EQ(child<QCheckBox>(&d, "cbBold")->text(), "Bold Headers");
    EXPECT_EQ(child<QGroupBox>(&d, "groupBox_2")->title(), "Report");
    for (const char* name : {"gridLayout", "gridLayout1", "gridLayout2", "hboxLayout", "hboxLayout1"}) {
        auto* layout = d.findChild<QLayout*>(name);
        ASSERT_TRUE(layout) << name;
        EXPECT_EQ(layout->spacing(), 6) << name;
        EXPECT_EQ(layout->contentsMargins().left(), name[0] == 'g' ? 9 : 0) << name;
    }
    EXPECT_EQ(d.layout(), d.findChild<QLayout*>("gridLayout"));
    EXPECT_TRUE(child<QPushButton>(&d, "okButton")->isDefault());
    EXPECT_EQ(child<QPushButton>(&d, "pbFont")->text(), "Font...");

    // One click opens the editor: a spin box up to 8 on a numeric column's
    // decimals, a combo box on the alignment.
    d.show();
    ASSERT_TRUE(QMetaObject::invokeMethod(&d, "onCellClicked", Q_ARG(int, 2), Q_ARG(int, 0)));
    auto* spin = g->viewport()->findChild<QSpinBox*>();
    ASSERT_TRUE(spin);
    EXPECT_EQ(spin->maximum(), 8);
    emit g->itemDelegate()->closeEditor(spin);
    d.onCellClicked(3, 2);
    auto* combo = g->viewport()->findChild<QComboBox*>();
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->currentText(), "Center");
    d.grab().save(QDir(KS_BINARY_DIR).filePath("table_settings_dialog.png"));
}

TEST_F(TablesTest, SettingsDialogApplyAfterHeaderDrag)
{
    auto t = table(numberedRows(2));
    WTableSettingsDialog d(t.get(), t->currentSettings());
    QTableWidget* g = grid(&d);
    ASSERT_TRUE(g);
    g->item(0, 2)->setText("Third");
    g->item(2, 2)->setText("7");     // not numeric, but apply reads what the grid holds
    g->item(2, 0)->setText("many");  // not a number: 0
    g->item(3, 2)->setText("Right");
    g->item(3, 0)->setText("Middle");  // unknown: alignment kept
    g->item(1, 1)->setCheckState(Qt::Unchecked);
    child<QCheckBox>(&d, "cbBold")->setChecked(true);
    g->horizontalHeader()->moveSection(2, 0);  // drag the third column to the first place
    EXPECT_EQ(idsOf(d.settings()), (QStringList{"2", "0", "1"}));
    EXPECT_EQ(g->horizontalHeader()->visualIndex(2), 0);
    child<QPushButton>(&d, "applyButton")->click();

    const TTableSettings s = t->currentSettings();
    EXPECT_EQ(idsOf(s), (QStringList{"2", "0", "1"}));
    EXPECT_EQ(s.columnNames(), (QStringList{"Third", "Column 0", "Column 1"}));
    EXPECT_EQ(s.columns[0].alignment, 2);
    EXPECT_EQ(s.columns[0].decimals, 7);
    EXPECT_EQ(s.columns[1].decimals, 0);
    EXPECT_EQ(s.columns[1].alignment, 1);
    EXPECT_TRUE(s.columns[2].hidden);
    EXPECT_TRUE(s.report.boldHeaders);
    // The hidden column is gone from the table's view; its grid column stays.
    EXPECT_TRUE(t->widget->isColumnHidden(2));
    EXPECT_FALSE(t->widget->isColumnHidden(0));
    EXPECT_EQ(g->columnCount(), 3);
    EXPECT_EQ(g->horizontalHeaderItem(2)->text(), "Column 2");
    // Apply does not write back: the same grid applies the same again.
    child<QPushButton>(&d, "applyButton")->click();
    EXPECT_EQ(t->currentSettings().columnNames(), s.columnNames());
}

TEST_F(TablesTest, SettingsDialogDragsKeepEveryColumnOnce)
{
    auto t = table(numberedRows(1));
    WTableSettingsDialog d(t.get(), t->currentSettings());
    QHeaderView* header = grid(&d)->horizontalHeader();
    const int moves[][2] = {{0, 2}, {2, 1}, {1, 0}, {0, 0}, {2, 0}, {1, 2}};
    for (const auto& m : moves) {
        header->moveSection(m[0], m[1]);
        QStringList ids = idsOf(d.settings());
        // The settings follow the header's visual order.
        for (int v = 0; v < 3; ++v)
            EXPECT_EQ(ids[v], QString::number(header->logicalIndex(v)));
        ids.sort();
        EXPECT_EQ(ids, (QStringList{"0", "1", "2"}));
    }
    d.onSectionMoved(0, 5, -1);  // out of range: nothing moves
    EXPECT_EQ(d.settings().columns.size(), 3);
    d.apply();
    QStringList ids = idsOf(t->currentSettings());
    ids.sort();
    EXPECT_EQ(ids, (QStringList{"0", "1", "2"}));
}

TEST_F(TablesTest, SettingsDialogFontIsStoredPlain)
{
    auto t = table(numberedRows(1));
    WTableSettingsDialog d(t.get(), t->currentSettings());
    QFont fancy("Serif", 15);
    fancy.setBold(true);
    fancy.setItalic(true);
    fancy.setUnderline(true);
    ks::test::whenModal([&](QFontDialog* box) {
        box->setCurrentFont(fancy);
        box->accept();
    });
    child<QPushButton>(&d, "pbFont")->click();
    QLabel* label = child<QLabel>(&d, "lCurrentFont");
    EXPECT_EQ(label->text(), label->font().family());
    EXPECT_EQ(label->font().family(), "Serif");
    EXPECT_FALSE(label->font().bold());
    EXPECT_FALSE(label->font().italic());
    EXPECT_FALSE(label->font().underline());
    d.apply();
    const QFont stored = t->currentSettings().report.font;
    EXPECT_EQ(stored.weight(), 50);
    EXPECT_EQ(stored.style(), QFont::StyleNormal);
    EXPECT_EQ(stored.pointSize(), label->font().pointSize());
    // A cancelled font dialog changes nothing.
    ks::test::whenModal([&](QFontDialog* box) { box->reject(); });
    child<QPushButton>(&d, "pbFont")->click();
    EXPECT_EQ(label->font(), stored);
}

TEST_F(TablesTest, SetupRunsTheDialog)
{
    auto t = table(numberedRows(2));
    const QString key = t->settingsPath();
    // Cancel after Apply keeps what Apply did and stores nothing.
    ks::test::whenModal([&](WTableSettingsDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Customize Table - Test <Table>");
        grid(d)->item(0, 0)->setText("Applied");
        child<QPushButton>(d, "applyButton")->click();
        grid(d)->item(0, 1)->setText("Not applied");
        child<QPushButton>(d, "cancelButton")->click();
    });
    t->setupAction()->setEnabled(true);  // the text table leaves it as the base's refresh does
    t->setupAction()->trigger();
    EXPECT_EQ(t->currentSettings().columnNames(), (QStringList{"Applied", "Column 1", "Column 2"}));
    EXPECT_EQ(t->widget->horizontalHeaderItem(0)->text(), "Applied");
    EXPECT_FALSE(QSettings().contains(key));
    EXPECT_TRUE(t->findChildren<WTableSettingsDialog*>().isEmpty());

    // OK applies and saves to the application settings.
    ks::test::whenModal([&](WTableSettingsDialog* d) {
        grid(d)->item(0, 1)->setText("Saved");
        child<QCheckBox>(d, "cbNumbering")->setChecked(false);
        child<QPushButton>(d, "okButton")->click();
    });
    t->setupAction()->setEnabled(true);  // the text table leaves it as the base's refresh does
    t->setupAction()->trigger();
    EXPECT_EQ(t->currentSettings().columnNames(), (QStringList{"Applied", "Saved", "Column 2"}));
    QVector<TTableSettings> stored;
    ASSERT_TRUE(readTableSettings(QSettings().value(key).toByteArray(), stored));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].columnNames(), (QStringList{"Applied", "Saved", "Column 2"}));
    EXPECT_FALSE(stored[0].report.numbering);
    EXPECT_TRUE(t->findChildren<WTableSettingsDialog*>().isEmpty());
}

// ---- table widget table -------------------------------------------------------

namespace {
// Results of a number and a name; column 0 shows the number, 1 the name.
class NumberTable : public TTableWidgetTable {
public:
    NumberTable(TEmptyPlugin* plugin, QAction* report, QAction* copy)
        : TTableWidgetTable(plugin, "Numbers", "Mass", report, copy)
    {
        createView();
    }
    QString columnName(int id) override { return id == 0 ? "Value" : "Name"; }
    QString reportName() override { return "NumberReport"; }
    void formatDefaultColumns() override {}
    const char* settingsKey() override { return "NumberKey"; }
    int resultCount() override { return results.size(); }
    QList<int> defaultColumnIds() override { return {0, 1}; }
    void onDelete() override {}
    void fillCell(int row, int column, QTableWidgetItem* item) override
    {
        ++fills;
        if (currentSettings().columns.value(column).id == 0)
            TTableWidgetItem::setNumber(item, results[row].first, 1);
        else
            item->setText(results[row].second);
    }
    QList<QPair<double, QString>> results;
    int fills = 0;
};

QStringList viewColumn(QTableWidget* view, int c)
{
    QStringList s;
    for (int r = 0; r < view->rowCount(); ++r)
        s.append(view->item(r, c)->text());
    return s;
}
}  // namespace

TEST_F(TablesTest, TableWidgetTableSortsAndKeepsSortAcrossRefresh)
{
    NumberTable t(plugin, report, copy);
    TTableWidget* view = t.tableWidget();
    ASSERT_TRUE(view);
    EXPECT_FALSE(view->horizontalHeader()->sectionsMovable());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    // No results: no rows, no columns, actions off.
    t.refresh();
    EXPECT_EQ(view->rowCount(), 0);
    EXPECT_EQ(view->columnCount(), 0);
    EXPECT_FALSE(report->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(t.setupAction()->isEnabled());

    t.results = {{10, "b"}, {-2, "c"}, {300, "a"}};
    t.refresh();
    EXPECT_EQ(t.fills, 6);
    EXPECT_TRUE(report->isEnabled());
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_TRUE(t.setupAction()->isEnabled());
    EXPECT_FALSE(t.deleteAction()->isEnabled());
    EXPECT_EQ(view->horizontalHeaderItem(0)->text(), "Value");
    view->sortItems(0, Qt::DescendingOrder);
    EXPECT_EQ(viewColumn(view, 0), (QStringList{"300.0", "10.0", "-2.0"}));
    view->sortItems(1, Qt::AscendingOrder);
    EXPECT_EQ(viewColumn(view, 1), (QStringList{"b", "c", "a"}));  // result order
    view->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
    t.results = {{5, "x"}, {50, "y"}, {-5, "z"}, {0.5, "w"}};
    t.refresh();
    EXPECT_EQ(viewColumn(view, 0), (QStringList{"50.0", "5.0", "0.5", "-5.0"}));
    EXPECT_EQ(viewColumn(view, 1), (QStringList{"y", "x", "w", "z"}));
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_EQ(view->item(0, 0)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(t.cellText(1, 1, 7), "x");

    // Cells of three rows in any columns: each row once, ascending.
    view->clearSelection();
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    for (auto [r, c] : {std::pair{3, 1}, std::pair{0, 0}, std::pair{3, 0}, std::pair{1, 1}})
        view->selectionModel()->select(view->model()->index(r, c), QItemSelectionModel::Select);
    EXPECT_EQ(t.selectedRows(), (QList<int>{0, 1, 3}));
    EXPECT_TRUE(t.deleteAction()->isEnabled());
    view->clearSelection();
    EXPECT_FALSE(t.deleteAction()->isEnabled());
    view->grab().save(QDir(KS_BINARY_DIR).filePath("table_widget_table.png"));
}
