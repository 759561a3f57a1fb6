// The macro editor dialog under the offscreen platform: its form, the
// macro list and parameter table, the inserted references, and exec()
// answered through the modal helper (OK as a press, cancel).
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "kstestqt.h"
#include "macrotest.h"
#include "tmassplottitleparser.h"
#include "wmacroeditordialog.h"

namespace {

template <class W>
W* child(QWidget* dialog, const char* name)
{
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_TRUE(w) << "no " << W::staticMetaObject.className() << " " << name;
    return w;
}

QListWidgetItem* macroItem(QWidget* dialog, const QString& name)
{
    QListWidget* list = child<QListWidget>(dialog, "listMacros");
    for (int row = 0; list && row < list->count(); ++row) {
        if (list->item(row)->data(Qt::UserRole).toString() == name)
            return list->item(row);
    }
    ADD_FAILURE() << "no macro " << name.toStdString();
    return nullptr;
}

void setValues(QWidget* dialog, const QStringList& values)
{
    QTableWidget* table = child<QTableWidget>(dialog, "tableParms");
    ASSERT_EQ(table->rowCount(), values.size());
    for (int row = 0; row < values.size(); ++row)
        table->item(row, 1)->setText(values[row]);
}

class MacroEditorDialog : public ::testing::Test {
protected:
    TMassPlotTitleParser m_parser{nullptr, nullptr, QString()};
};

TEST_F(MacroEditorDialog, Form)
{
    WMacroEditorDialog dialog(nullptr, QStringLiteral("{file,32,m} {desc}"), &m_parser);
    EXPECT_EQ(dialog.objectName(), "WMacroEditorDialogClass");
    EXPECT_EQ(dialog.windowTitle(), "Macro Editor");
    // The form's size, grown where its fields need more (a minimum).
    EXPECT_GE(dialog.width(), 618);
    EXPECT_GE(dialog.height(), 285);
    EXPECT_EQ(dialog.text(), "{file,32,m} {desc}");
    EXPECT_EQ(child<QLineEdit>(&dialog, "leText")->text(), dialog.text());
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbText")->title(), "Text");
    EXPECT_EQ(child<QGroupBox>(&dialog, "gbMacros")->title(), "Add Macro");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnOk")->text(), "&OK");
    EXPECT_EQ(child<QPushButton>(&dialog, "btnCancel")->text(), "&Cancel");
    EXPECT_EQ(child<QLabel>(&dialog, "label_2")->text(), "Available Macros:");
    EXPECT_EQ(child<QLabel>(&dialog, "label")->text(), "Parameters:");

    QToolButton* add = child<QToolButton>(&dialog, "btnAdd");
    EXPECT_FALSE(add->isEnabled());
    EXPECT_TRUE(add->text().isEmpty());
    EXPECT_EQ(add->toolTip(), "Add Selected Macro");
    EXPECT_FALSE(add->icon().isNull());
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/pictures/add.png")));

    QTableWidget* table = child<QTableWidget>(&dialog, "tableParms");
    ASSERT_EQ(table->columnCount(), 2);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Name");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Value");
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(table->isCornerButtonEnabled());
    EXPECT_FALSE(table->isSortingEnabled());

    // One item per macro in name order: title, help as tooltip, name as data.
    QListWidget* list = child<QListWidget>(&dialog, "listMacros");
    const TMacroMap& macros = m_parser.macros();
    ASSERT_EQ(list->count(), macros.size());
    int row = 0;
    for (auto m = macros.constBegin(); m != macros.constEnd(); ++m, ++row) {
        EXPECT_EQ(list->item(row)->text(), m->title);
        EXPECT_EQ(list->item(row)->toolTip(), m->help);
        EXPECT_EQ(list->item(row)->data(Qt::UserRole).toString(), m.key());
    }
    EXPECT_EQ(list->item(0)->text(), "Description");
    EXPECT_EQ(list->item(7)->text(), "Scan ranges");
}

// Shown, the dialog holds every parameter row of every macro whole (the
// table showed about two rows, "Max Length" wrapped and its value cut) and
// several macros of the list.
TEST_F(MacroEditorDialog, ShowsEveryParameterWhole)
{
    WMacroEditorDialog dialog(nullptr, QString(), &m_parser);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QListWidget* list = child<QListWidget>(&dialog, "listMacros");
    QTableWidget* table = child<QTableWidget>(&dialog, "tableParms");
    ASSERT_GE(list->count(), 4);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(3))));
    const QFontMetrics fm = table->fontMetrics();
    int longest = 0;
    for (int i = 0; i < list->count(); ++i) {
        list->setCurrentRow(i);
        QApplication::processEvents();
        const QString macro = list->item(i)->text();
        longest = std::max(longest, table->rowCount());
        for (int row = 0; row < table->rowCount(); ++row) {
            const QString name = table->item(row, 0)->text();
            SCOPED_TRACE((macro + ": " + name).toStdString());
            EXPECT_TRUE(table->viewport()->rect().contains(table->visualItemRect(table->item(row, 0))));
            EXPECT_TRUE(table->viewport()->rect().contains(table->visualItemRect(table->item(row, 1))));
            EXPECT_GE(table->columnWidth(0), fm.horizontalAdvance(name) + 4) << "the name whole";
            EXPECT_GE(table->columnWidth(1), table->columnWidth(0)) << "room for the value";
            EXPECT_LE(table->rowHeight(row), table->verticalHeader()->defaultSectionSize()) << "one line";
        }
    }
    EXPECT_GE(longest, 2);
}

TEST_F(MacroEditorDialog, SelectingAMacro)
{
    WMacroEditorDialog dialog(nullptr, QString(), &m_parser);
    QListWidget* list = child<QListWidget>(&dialog, "listMacros");
    QTableWidget* table = child<QTableWidget>(&dialog, "tableParms");
    QToolButton* add = child<QToolButton>(&dialog, "btnAdd");

    list->setCurrentItem(macroItem(&dialog, "rt_ranges"));
    ASSERT_EQ(table->rowCount(), 2);
    const TMacroParameterList real = TMacroParser::realParameters();
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(table->item(row, 0)->text(), real[row].first);
        EXPECT_EQ(table->item(row, 0)->toolTip(), real[row].second);
        EXPECT_EQ(table->item(row, 0)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        EXPECT_TRUE(table->item(row, 1)->text().isEmpty());
        EXPECT_EQ(table->item(row, 1)->toolTip(), real[row].second);
        EXPECT_EQ(table->item(row, 1)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
    }
    EXPECT_TRUE(add->isEnabled());
    setValues(&dialog, {"2", "e"});
    EXPECT_EQ(dialog.parameterValues(), QStringList({"2", "e"}));

    // Another macro starts with empty values; one without parameters has
    // an empty table and can be added.
    list->setCurrentItem(macroItem(&dialog, "funcI"));
    EXPECT_EQ(dialog.parameterValues(), QStringList({""}));
    EXPECT_EQ(table->item(0, 0)->text(), "Base");
    list->setCurrentItem(macroItem(&dialog, "scan_ranges"));
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_TRUE(add->isEnabled());

    list->setCurrentItem(nullptr);
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_FALSE(add->isEnabled());
}

TEST_F(MacroEditorDialog, InsertedReferences)
{
    struct Case {
        const char* name;
        const char* macro;
        QStringList values;
        const char* text;
        int cursor;
        const char* expected;
    };
    const Case cases[] = {
        {"both values empty", "file", {"", ""}, "", 0, "{file}"},
        {"blank values", "file", {"  ", "\t"}, "", 0, "{file}"},
        {"both values", "file", {"32", "m"}, "", 0, "{file,32,m}"},
        {"first value empty", "file", {"", "m"}, "", 0, "{file,,m}"},
        {"two words are quoted", "injN", {"dataset name", ""}, "", 0, "{injN,\"dataset name\",}"},
        {"three words", "desc", {" a b c", "r"}, "", 0, "{desc,\" a b c\",r}"},
        {"one word with blanks, as typed", "injN", {" 32 ", "m"}, "", 0, "{injN, 32 ,m}"},
        {"no parameters", "scan_ranges", {}, "", 0, "{scan_ranges}"},
        {"real", "rt_ranges", {"2", "e"}, "", 0, "{rt_ranges,2,e}"},
        {"at the cursor", "funcI", {"16"}, "Title:  end", 7, "Title: {funcI,16} end"},
        {"at the start", "desc", {"", ""}, "x", 0, "{desc}x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WMacroEditorDialog dialog(nullptr, QString::fromUtf8(c.text), &m_parser);
        child<QListWidget>(&dialog, "listMacros")->setCurrentItem(macroItem(&dialog, c.macro));
        setValues(&dialog, c.values);
        child<QLineEdit>(&dialog, "leText")->setCursorPosition(c.cursor);
        child<QToolButton>(&dialog, "btnAdd")->click();
        EXPECT_EQ(dialog.text(), QString::fromUtf8(c.expected));
    }

    // Without a current macro the add slot inserts nothing; without a
    // parser the list is empty.
    WMacroEditorDialog dialog(nullptr, QStringLiteral("t"), &m_parser);
    QMetaObject::invokeMethod(&dialog, "on_btnAdd_clicked");
    EXPECT_EQ(dialog.text(), "t");
    WMacroEditorDialog empty(nullptr, QStringLiteral("t"), nullptr);
    EXPECT_EQ(child<QListWidget>(&empty, "listMacros")->count(), 0);
}

// The dialog as a person uses it: exec(), a click on a macro, values typed
// into the table (the last one still in its editor when Add is clicked),
// Add, and OK, which answers to a press.
TEST_F(MacroEditorDialog, ExecAndAccept)
{
    QString format = QStringLiteral("Run  done");
    WMacroEditorDialog dialog(nullptr, format, &m_parser);
    bool answered = false;
    ks::test::whenModal([&](WMacroEditorDialog* shown) {
        QListWidget* list = child<QListWidget>(shown, "listMacros");
        QTableWidget* table = child<QTableWidget>(shown, "tableParms");
        QLineEdit* text = child<QLineEdit>(shown, "leText");
        QListWidgetItem* file = macroItem(shown, "file");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(file).center());
        ASSERT_EQ(list->currentItem(), file);
        ASSERT_EQ(table->rowCount(), 2);

        shown->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
        for (int row = 0; row < 2; ++row) {
            table->setCurrentCell(row, 1);
            table->editItem(table->item(row, 1));
            QWidget* editor = QApplication::focusWidget();
            ASSERT_TRUE(qobject_cast<QLineEdit*>(editor)) << "no cell editor";
            QTest::keyClicks(editor, row == 0 ? "32" : "m");
            if (row == 0)
                QTest::keyClick(editor, Qt::Key_Return);
        }
        text->setCursorPosition(4);
        QToolButton* add = child<QToolButton>(shown, "btnAdd");
        QTest::mouseClick(add, Qt::LeftButton);
        EXPECT_EQ(text->text(), "Run {file,32,m} done");

        ASSERT_TRUE(shown->grab().save(QStringLiteral(KS_BINARY_DIR "/macro_editor_dialog.png")));
        answered = true;
        QTest::mousePress(child<QPushButton>(shown, "btnOk"), Qt::LeftButton);
    });
    if (dialog.exec() == QDialog::Accepted)
        format = dialog.text();
    EXPECT_TRUE(answered);
    EXPECT_EQ(format, "Run {file,32,m} done");
    EXPECT_TRUE(QFile::exists(QStringLiteral(KS_BINARY_DIR "/macro_editor_dialog.png")));
}

TEST_F(MacroEditorDialog, CancelLeavesTheText)
{
    QString format = QStringLiteral("{desc}");
    WMacroEditorDialog dialog(nullptr, format, &m_parser);
    ks::test::whenModal([&](WMacroEditorDialog* shown) {
        child<QListWidget>(shown, "listMacros")->setCurrentItem(macroItem(shown, "scan_ranges"));
        child<QLineEdit>(shown, "leText")->end(false);
        QTest::mouseClick(child<QToolButton>(shown, "btnAdd"), Qt::LeftButton);
        EXPECT_EQ(shown->text(), "{desc}{scan_ranges}");
        QTest::mousePress(child<QPushButton>(shown, "btnCancel"), Qt::LeftButton);
    });
    if (dialog.exec() == QDialog::Accepted)
        format = dialog.text();
    EXPECT_EQ(format, "{desc}");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
