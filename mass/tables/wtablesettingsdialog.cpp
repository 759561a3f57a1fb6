#include "wtablesettingsdialog.h"

#include "tbasetable.h"
#include "tcomboboxdelegate.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QTableWidget>

namespace {
enum Row { NameRow = 0, VisibleRow = 1, DecimalsRow = 2, AlignmentRow = 3 };

// Every layout of the form has spacing 6; the grids margins 9, the boxes 0.
template <class Layout>
Layout* formLayout(Layout* layout, const char* name, int margin)
{
    layout->setObjectName(name);
    layout->setSpacing(6);
    layout->setContentsMargins(margin, margin, margin, margin);
    return layout;
}
}  // namespace

WTableSettingsDialog::WTableSettingsDialog(TBaseTable* table, const TTableSettings& settings)
    : QDialog(table)
    , m_leftText(tr("Left"))
    , m_rightText(tr("Right"))
    , m_centerText(tr("Center"))
    , m_settings(settings)
    , m_table(table)
{
    setupForm();
    twColumns->setItemDelegate(new TComboBoxDelegate({m_leftText, m_centerText, m_rightText}, 0, AlignmentRow,
                                                     TValueRange(kMinTableDecimals, kMaxTableDecimals), twColumns));
    fill();
    connect(applyButton, &QPushButton::clicked, this, &WTableSettingsDialog::apply);
    connect(twColumns, &QTableWidget::cellClicked, this, &WTableSettingsDialog::onCellClicked);
    connect(twColumns->horizontalHeader(), &QHeaderView::sectionMoved, this,
            &WTableSettingsDialog::onSectionMoved);
    connect(pbFont, &QPushButton::clicked, this, &WTableSettingsDialog::getFont);
}

void WTableSettingsDialog::setupForm()
{
    setObjectName("WTableSettingsDialog");
    setWindowTitle(tr("Customize Table - %1"));
    resize(456, 330);

    gridLayout = formLayout(new QGridLayout(this), "gridLayout", 9);

    groupBox = new QGroupBox(this);
    groupBox->setObjectName("groupBox");
    gridLayout1 = formLayout(new QGridLayout(groupBox), "gridLayout1", 9);
    twColumns = new QTableWidget(groupBox);
    twColumns->setObjectName("twColumns");
    gridLayout1->addWidget(twColumns, 0, 0, 1, 2);
    hboxLayout = formLayout(new QHBoxLayout(), "hboxLayout", 0);
    pbFont = new QPushButton(tr("Font..."), groupBox);
    pbFont->setObjectName("pbFont");
    hboxLayout->addWidget(pbFont);
    lCurrentFont = new QLabel(tr("Current Font"), groupBox);
    lCurrentFont->setObjectName("lCurrentFont");
    hboxLayout->addWidget(lCurrentFont);
    gridLayout1->addLayout(hboxLayout, 1, 0);
    gridLayout1->addItem(new QSpacerItem(191, 25, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 1);
    gridLayout->addWidget(groupBox, 0, 0);

    groupBox_2 = new QGroupBox(tr("Report"), this);
    groupBox_2->setObjectName("groupBox_2");
    gridLayout2 = formLayout(new QGridLayout(groupBox_2), "gridLayout2", 9);
    auto box = [this](const char* name, const char* text, int column) {
        auto* cb = new QCheckBox(tr(text), groupBox_2);
        cb->setObjectName(name);
        gridLayout2->addWidget(cb, 0, column);
        return cb;
    };
    cbFrame = box("cbFrame", "Frame", 0);
    cbBorders = box("cbBorders", "Borders", 1);
    cbNumbering = box("cbNumbering", "Numbering", 2);
    cbTitle = box("cbTitle", "Title", 3);
    cbBold = box("cbBold", "Bold Headers", 4);
    gridLayout->addWidget(groupBox_2, 1, 0);

    hboxLayout1 = formLayout(new QHBoxLayout(), "hboxLayout1", 0);
    hboxLayout1->addItem(new QSpacerItem(141, 31, QSizePolicy::Expanding, QSizePolicy::Minimum));
    okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName("okButton");
    okButton->setDefault(true);
    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName("cancelButton");
    applyButton = new QPushButton(tr("Apply"), this);
    applyButton->setObjectName("applyButton");
    hboxLayout1->addWidget(okButton);
    hboxLayout1->addWidget(cancelButton);
    hboxLayout1->addWidget(applyButton);
    gridLayout->addLayout(hboxLayout1, 2, 0);

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void WTableSettingsDialog::fill()
{
    const QList<TTableColumn>& columns = m_settings.columns;
    twColumns->clear();
    twColumns->setColumnCount(columns.size());
    twColumns->setRowCount(4);
    twColumns->setVerticalHeaderLabels(
        {tr("Visible Name"), tr("Visible"), tr("Decimals"), tr("Horizontal Alignment")});
    QStringList titles;
    for (int c = 0; c < columns.size(); ++c) {
        const TTableColumn& column = columns[c];
        QTableWidgetItem* cells[4];
        for (int r = 0; r < 4; ++r) {
            cells[r] = new QTableWidgetItem(c);
            cells[r]->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            twColumns->setItem(r, c, cells[r]);
        }
        cells[NameRow]->setFlags(cells[NameRow]->flags() | Qt::ItemIsEditable);
        cells[NameRow]->setText(column.name);
        cells[VisibleRow]->setFlags(cells[VisibleRow]->flags() | Qt::ItemIsUserCheckable);
        cells[VisibleRow]->setCheckState(column.hidden ? Qt::Unchecked : Qt::Checked);
        cells[DecimalsRow]->setData(Qt::DisplayRole, column.decimals);
        if (column.numeric)
            cells[DecimalsRow]->setFlags(cells[DecimalsRow]->flags() | Qt::ItemIsEditable);
        cells[AlignmentRow]->setFlags(cells[AlignmentRow]->flags() | Qt::ItemIsEditable);
        cells[AlignmentRow]->setText(column.alignment == Qt::AlignHCenter ? m_centerText
                                     : column.alignment == Qt::AlignRight ? m_rightText
                                                                          : m_leftText);
        titles.append(m_table ? m_table->columnName(column.id) : QString());
    }
    twColumns->setHorizontalHeaderLabels(titles);
    twColumns->horizontalHeader()->setSectionsMovable(true);
    twColumns->resizeRowsToContents();

    lCurrentFont->setFont(m_settings.report.font);
    lCurrentFont->setText(m_settings.report.font.family());
    cbTitle->setChecked(m_settings.report.showTitle);
    cbNumbering->setChecked(m_settings.report.numbering);
    cbBorders->setChecked(m_settings.report.borders);
    cbFrame->setChecked(m_settings.report.frame);
    cbBold->setChecked(m_settings.report.boldHeaders);
}

TTableSettings WTableSettingsDialog::editedSettings() const
{
    TTableSettings s = m_settings;
    s.report.font = lCurrentFont->font();
    s.report.showTitle = cbTitle->isChecked();
    s.report.numbering = cbNumbering->isChecked();
    s.report.borders = cbBorders->isChecked();
    s.report.frame = cbFrame->isChecked();
    s.report.boldHeaders = cbBold->isChecked();
    QHeaderView* header = twColumns->horizontalHeader();
    for (int c = 0; c < twColumns->columnCount(); ++c) {
        const int v = header->visualIndex(c);
        if (v < 0 || v >= s.columns.size())
            continue;
        auto text = [this, c](int r) {
            const QTableWidgetItem* cell = twColumns->item(r, c);
            return cell ? cell->text() : QString();
        };
        const QTableWidgetItem* visible = twColumns->item(VisibleRow, c);
        const int decimals = text(DecimalsRow).toInt();  // 0 when not a number
        const QString alignment = text(AlignmentRow);
        TTableColumn& column = s.columns[v];
        column.hidden = !(visible && visible->checkState() == Qt::Checked);
        if (decimals >= 0)
            column.decimals = decimals;
        if (alignment == m_leftText)
            column.alignment = Qt::AlignLeft;
        else if (alignment == m_centerText)
            column.alignment = Qt::AlignHCenter;
        else if (alignment == m_rightText)
            column.alignment = Qt::AlignRight;
        column.name = text(NameRow);
    }
    return s;
}

void WTableSettingsDialog::apply()
{
    if (!m_table)
        return;
    m_table->setSettings(editedSettings());
    m_table->refresh();
}

void WTableSettingsDialog::onCellClicked(int row, int column)
{
    twColumns->editItem(twColumns->item(row, column));
}

void WTableSettingsDialog::onSectionMoved(int, int oldVisualIndex, int newVisualIndex)
{
    if (oldVisualIndex < 0 || oldVisualIndex >= m_settings.columns.size() || newVisualIndex < 0
        || newVisualIndex >= m_settings.columns.size())
        return;
    m_settings.moveColumn(oldVisualIndex, newVisualIndex);
}

void WTableSettingsDialog::getFont()
{
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, lCurrentFont->font(), this);
    if (!ok)
        return;
    font.setStyle(QFont::StyleNormal);
    font.setWeight(50);
    font.setUnderline(false);
    font.setStrikeOut(false);
    lCurrentFont->setFont(font);
    lCurrentFont->setText(font.family());
}
