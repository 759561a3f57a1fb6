#include "util32view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <initializer_list>

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// Fills a list only when its texts changed, so its scroll position
// survives other changes of the model.
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

QDialog* CMassLynxDataBrowser::createView(QWidget* parent)
{
    return new CMassLynxDataBrowserView(*this, parent);
}

CMassLynxDataBrowserView::CMassLynxDataBrowserView(CMassLynxDataBrowser& browser, QWidget* parent)
    : ModelDialogView(browser, parent), m_browser(browser)
{
    setObjectName(QStringLiteral("massLynxDataBrowser"));
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

    top->addWidget(new QLabel(QStringLiteral("Raw directories"), this));
    m_raws = new QListWidget(this);
    m_raws->setObjectName(QStringLiteral("rawList"));
    top->addWidget(m_raws, 1);
    top->addWidget(new QLabel(QStringLiteral("Functions"), this));
    m_functions = new QListWidget(this);
    m_functions->setObjectName(QStringLiteral("functionList"));
    top->addWidget(m_functions, 1);

    auto* scanRow = new QHBoxLayout;
    m_scanLabel = new QLabel(QStringLiteral("Scan (0: none)"), this);
    scanRow->addWidget(m_scanLabel);
    m_scan = new QSpinBox(this);
    m_scan->setObjectName(QStringLiteral("scanSpin"));
    scanRow->addWidget(m_scan);
    scanRow->addStretch(1);
    top->addLayout(scanRow);
    // Browsing a dataset chooses no scan.
    m_scanLabel->setVisible(!m_browser.DatasetOnly());
    m_scan->setVisible(!m_browser.DatasetOnly());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    buttons->addWidget(m_ok);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(m_cancel);
    top->addLayout(buttons);

    connect(m_folder, &QLineEdit::returnPressed, this, [this] {
        if (!m_browser.SetFolder(m_folder->text().toStdString()))
            ModelChanged();  // back to the folder shown
    });
    connect(m_up, &QPushButton::clicked, this, [this] { m_browser.Up(); });
    connect(m_raws, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            m_browser.SelectRaw(row);
    });
    connect(m_functions, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            m_browser.SelectFunction(row + 1);
    });
    connect(m_scan, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int value) {
        if (!m_syncing)
            m_browser.SetScan(value);
    });
    connect(m_ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });

    m_browser.SetObserver(this);
    ModelChanged();
}

CMassLynxDataBrowserView::~CMassLynxDataBrowserView()
{
    // The window goes: nothing it does from here on is a user's choice.
    m_browser.SetObserver(nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{m_raws, m_functions, m_scan})
        w->blockSignals(true);
}

void CMassLynxDataBrowserView::ModelChanged()
{
    m_syncing = true;
    m_folder->setText(fromUtf8(m_browser.Folder()));
    QStringList raws;
    for (const std::string& name : m_browser.RawDirectories())
        raws << fromUtf8(name);
    showTexts(m_raws, raws, m_browser.RawSelection());
    QStringList functions;
    for (const std::wstring& text : m_browser.Functions())
        functions << QString::fromStdWString(text);
    showTexts(m_functions, functions, static_cast<int>(m_browser.Function()) - 1);
    m_scan->setRange(0, static_cast<int>(std::min<LONG>(m_browser.ScanCount(), INT_MAX)));
    m_scan->setValue(static_cast<int>(m_browser.Scan()));
    m_syncing = false;
}
