#include "wmacroeditordialog.h"

#include "tmacroparser.h"
#include "ui_wmacroeditordialog.h"

#include <QHeaderView>
#include <QRegExp>
#include <QScrollBar>

#include <algorithm>

// The add button's picture lives in the library's resources, which a
// static library registers itself (once; before the form loads its icon).
static void initMacroEditorPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(plotpictures);
        return true;
    }();
    (void)registered;
}

WMacroEditorDialog::WMacroEditorDialog(QWidget* parent, const QString& text, TMacroParser* parser)
    : QDialog(parent), ui(new Ui::WMacroEditorDialogClass), m_parser(parser)
{
    initMacroEditorPictures();
    // Also connects the on_ slots by name; clicking the add button first
    // gives it the focus, which commits a value still being typed.
    ui->setupUi(this);
    ui->leText->setText(text);
    ui->btnAdd->setEnabled(false);
    ui->tableParms->setSortingEnabled(false);
    fillMacroList();
    fitLists();
}

void WMacroEditorDialog::fitLists()
{
    QTableWidget* table = ui->tableParms;
    table->setWordWrap(false);
    table->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics fm = table->fontMetrics();
    int rows = 3;
    int nameWidth = fm.horizontalAdvance(table->horizontalHeaderItem(0)->text());
    if (m_parser) {
        for (const TMacroInfo& macro : m_parser->macros()) {
            rows = std::max(rows, static_cast<int>(macro.parameters.size()));
            for (const auto& parameter : macro.parameters)
                nameWidth = std::max(nameWidth, fm.horizontalAdvance(parameter.first));
        }
    }
    // The cell's margins and a little air, as the view sizes a column to
    // its contents.
    const int padding = 2 * table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 8;
    table->horizontalHeader()->resizeSection(0, nameWidth + padding);
    const int frame = 2 * table->frameWidth();
    const int height = table->horizontalHeader()->sizeHint().height() +
                       (rows + 1) * table->verticalHeader()->defaultSectionSize() + frame;
    // The value column at least as wide as the names, beside the row
    // numbers (whose header is narrower while the table is empty).
    const int width = table->verticalHeader()->sizeHint().width() + fm.horizontalAdvance(QStringLiteral("000")) +
                      2 * (nameWidth + padding) + frame + table->verticalScrollBar()->sizeHint().width();
    table->setMinimumSize(width, height);
    ui->listMacros->setMinimumHeight(height);
}

WMacroEditorDialog::~WMacroEditorDialog() = default;

QString WMacroEditorDialog::text() const
{
    return ui->leText->text();
}

QStringList WMacroEditorDialog::parameterValues() const
{
    QStringList values;
    for (int row = 0; row < ui->tableParms->rowCount(); ++row) {
        const QTableWidgetItem* value = ui->tableParms->item(row, 1);
        values << (value ? value->text() : QString());
    }
    return values;
}

void WMacroEditorDialog::fillMacroList()
{
    ui->listMacros->clear();
    if (!m_parser)
        return;
    const TMacroMap& macros = m_parser->macros();
    for (auto macro = macros.constBegin(); macro != macros.constEnd(); ++macro) {
        auto* item = new QListWidgetItem(macro->title, ui->listMacros);
        item->setToolTip(macro->help);
        item->setData(Qt::UserRole, macro.key());
    }
}

void WMacroEditorDialog::on_listMacros_currentItemChanged(QListWidgetItem* item)
{
    QTableWidget* table = ui->tableParms;
    table->setRowCount(0);
    if (!item) {
        ui->btnAdd->setEnabled(false);
        return;
    }
    const QString name = item->data(Qt::UserRole).toString();
    const TMacroParameterList parameters = m_parser ? m_parser->macros().value(name).parameters : TMacroParameterList();
    table->setRowCount(parameters.size());
    for (int row = 0; row < parameters.size(); ++row) {
        auto* parameterName = new QTableWidgetItem(parameters.at(row).first);
        parameterName->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        parameterName->setToolTip(parameters.at(row).second);
        auto* value = new QTableWidgetItem;
        value->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
        value->setToolTip(parameters.at(row).second);
        table->setItem(row, 0, parameterName);
        table->setItem(row, 1, value);
    }
    table->resizeRowsToContents();
    ui->btnAdd->setEnabled(true);
}

void WMacroEditorDialog::on_btnAdd_clicked()
{
    const QListWidgetItem* item = ui->listMacros->currentItem();
    if (!item)
        return;
    const QRegExp nonBlank(QStringLiteral("[^\\s]+"));
    const QRegExp twoWords(QStringLiteral("\\s*[^\\s]+\\s+[^\\s]+"));
    const QStringList values = parameterValues();
    bool anyValue = false;
    for (const QString& value : values)
        anyValue = anyValue || nonBlank.indexIn(value) >= 0;
    QString reference = QLatin1Char('{') + item->data(Qt::UserRole).toString();
    if (anyValue) {
        for (const QString& value : values) {
            if (twoWords.indexIn(value) >= 0)
                reference += QLatin1String(",\"") + value + QLatin1Char('"');
            else
                reference += QLatin1Char(',') + value;
        }
    }
    reference += QLatin1Char('}');
    ui->leText->insert(reference);
}
