#include "brukerbrowseview.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString qs(const std::wstring& text)
{
    return QString::fromStdWString(text);
}

QStringList qsList(const std::vector<std::wstring>& texts)
{
    QStringList list;
    for (const std::wstring& t : texts)
        list << qs(t);
    return list;
}

// Fills a list widget only when its texts changed, so its scroll position
// and current row survive other changes of the model.
void showTexts(QListWidget* list, const QStringList& texts, int selection)
{
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    if (shown != texts) {
        list->clear();
        list->addItems(texts);
    }
    list->setCurrentRow(selection);
}

}  // namespace

QDialog* CBrukerInputDialog::createView(QWidget* parent)
{
    return new CBrukerInputDialogView(*this, parent);
}

CBrukerInputDialogView::CBrukerInputDialogView(CBrukerInputDialog& dialog, QWidget* parent)
    : ModelDialogView(dialog, parent), m_dialog(dialog)
{
    setObjectName(QStringLiteral("brukerInputDialog"));
    auto* top = new QVBoxLayout(this);

    auto* lookIn = new QHBoxLayout;
    lookIn->addWidget(new QLabel(QStringLiteral("Look in:"), this));
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("folderEdit"));
    lookIn->addWidget(m_folder, 1);
    m_up = new QPushButton(QStringLiteral("Up"), this);
    m_up->setObjectName(QStringLiteral("upButton"));
    lookIn->addWidget(m_up);
    top->addLayout(lookIn);

    m_folders = new QListWidget(this);
    m_folders->setObjectName(QStringLiteral("folderList"));
    m_folders->setMinimumHeight(160);
    top->addWidget(m_folders, 1);

    // The child area, below the folder list.
    auto* child = new QGridLayout;
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("pathEdit"));
    m_path->setReadOnly(true);
    child->addWidget(m_path, 0, 0, 1, 3);
    m_open = new QPushButton(QStringLiteral("Open"), this);
    m_open->setObjectName(QStringLiteral("openButton"));
    child->addWidget(m_open, 0, 3);
    child->addWidget(new QLabel(QStringLiteral("Experiments"), this), 1, 0, 1, 4);
    m_experiments = new QListWidget(this);
    m_experiments->setObjectName(QStringLiteral("experimentList"));
    m_experiments->setMaximumHeight(90);
    child->addWidget(m_experiments, 2, 0, 1, 4);
    child->addWidget(new QLabel(QStringLiteral("Processed datasets"), this), 3, 0, 1, 4);
    m_processings = new QComboBox(this);
    m_processings->setObjectName(QStringLiteral("processingCombo"));
    child->addWidget(m_processings, 4, 0);
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("descriptionEdit"));
    m_description->setReadOnly(true);
    child->addWidget(m_description, 4, 1, 1, 3);
    m_scanLabel = new QLabel(QStringLiteral("Spectrum"), this);
    child->addWidget(m_scanLabel, 5, 0);
    m_scan = new QSpinBox(this);
    m_scan->setObjectName(QStringLiteral("scanSpin"));
    child->addWidget(m_scan, 5, 1);
    m_ofLabel = new QLabel(QStringLiteral("of"), this);
    child->addWidget(m_ofLabel, 5, 2);
    m_count = new QLineEdit(this);
    m_count->setObjectName(QStringLiteral("scanCountEdit"));
    m_count->setReadOnly(true);
    child->addWidget(m_count, 5, 3);
    top->addLayout(child);
    // Outside spectrum mode the scan row is not part of the dialog.
    for (QWidget* w : std::initializer_list<QWidget*>{m_scanLabel, m_scan, m_ofLabel, m_count})
        w->setVisible(m_dialog.SpectrumMode());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_browse = new QPushButton(QStringLiteral("Browse"), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setDefault(true);
    buttons->addWidget(m_browse);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(m_cancel);
    top->addLayout(buttons);

    connect(m_folder, &QLineEdit::returnPressed, this, [this] {
        if (!m_dialog.SetFolder(m_folder->text().toStdWString()))
            ModelChanged();  // back to the folder shown
    });
    connect(m_up, &QPushButton::clicked, this, [this] { m_dialog.Up(); });
    connect(m_folders, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            m_dialog.SelectEntry(row);
    });
    connect(m_folders, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { m_dialog.Browse(); });
    connect(m_browse, &QPushButton::clicked, this, [this] { m_dialog.Browse(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_open, &QPushButton::clicked, this, [this] {
        m_dialog.SetScanText(m_scan->cleanText().toStdWString());
        accept();
    });
    connect(m_experiments, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            m_dialog.SelectExperiment(row);
    });
    connect(m_processings, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        if (!m_syncing)
            m_dialog.SelectProcessing(index);
    });
    connect(m_scan, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int) {
        if (!m_syncing)
            m_dialog.SetScanText(m_scan->cleanText().toStdWString());
    });

    m_dialog.SetObserver(this);
    ModelChanged();
}

CBrukerInputDialogView::~CBrukerInputDialogView()
{
    // The window goes: nothing it does from here on is a user's choice.
    m_dialog.SetObserver(nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{m_folders, m_experiments, m_processings, m_scan})
        w->blockSignals(true);
}

void CBrukerInputDialogView::ModelChanged()
{
    m_syncing = true;
    m_folder->setText(qs(m_dialog.CurrentFolder()));
    showTexts(m_folders, qsList(m_dialog.Entries()), m_dialog.EntrySelection());
    m_path->setText(qs(m_dialog.PathText()));
    m_path->setCursorPosition(m_path->text().size());
    m_open->setEnabled(m_dialog.OpenEnabled());
    showTexts(m_experiments, qsList(m_dialog.Experiments()), m_dialog.ExperimentSelection());
    m_experiments->setEnabled(m_dialog.ExperimentListEnabled());
    const QStringList processings = qsList(m_dialog.Processings());
    QStringList shown;
    for (int i = 0; i < m_processings->count(); ++i)
        shown << m_processings->itemText(i);
    if (shown != processings) {
        m_processings->clear();
        m_processings->addItems(processings);
    }
    m_processings->setCurrentIndex(m_dialog.ProcessingSelection());
    m_processings->setEnabled(m_dialog.ProcessingListEnabled());
    m_description->setText(qs(m_dialog.Description()));
    m_scan->setRange(m_dialog.ScanMinimum(), m_dialog.ScanMaximum());
    m_scan->setValue(QString::fromStdWString(m_dialog.ScanText()).toInt());
    m_scan->setEnabled(m_dialog.ScanEnabled());
    m_count->setText(QString::number(m_dialog.ScanCount()));
    m_syncing = false;
}
