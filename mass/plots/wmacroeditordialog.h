// The macro editor: edits a title format and inserts macro references
// without typing them. It lists the macros of a parser with their help
// texts, shows the selected macro's parameters in a table where values are
// typed, and inserts the complete reference at the cursor of the text.
//
// The dialog changes nothing but its own text: the opener reads text()
// after exec() answered QDialog::Accepted. The parser is not owned and
// must outlive the dialog; it may be null (no macros).
//
// A reference is "{name}" when every value is blank, else "{name" and,
// for each row in order, "," and the value as typed, a value of two or
// more words within double quotes, then "}".
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class QListWidgetItem;
class TMacroParser;

namespace Ui {
class WMacroEditorDialogClass;
}

class WMacroEditorDialog : public QDialog {
    Q_OBJECT
public:
    WMacroEditorDialog(QWidget* parent, const QString& text, TMacroParser* parser);
    ~WMacroEditorDialog() override;

    QString text() const;
    // The values typed into the parameter table, top to bottom.
    QStringList parameterValues() const;

private slots:
    void on_listMacros_currentItemChanged(QListWidgetItem* item);
    void on_btnAdd_clicked();

private:
    void fillMacroList();
    // Room in the list and the table for the longest parameter list and
    // the widest parameter name, so that no row or name is cut.
    void fitLists();

    std::unique_ptr<Ui::WMacroEditorDialogClass> ui;
    TMacroParser* m_parser;
};
