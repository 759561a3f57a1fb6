#include "ksbrowsedialogs.h"
#include "opendialogview.h"

#include "browseimages.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace ksbrowse {

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (width / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

QRect DialogUnits::rect(int x0, int y0, int width, int height) const
{
    return QRect(x(x0), y(y0), x(width), y(height));
}

QFont dialogFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

}  // namespace ksbrowse

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;
// Combo and label places, top to bottom.
constexpr int kComboY[8] = {16, 46, 76, 106, 136, 166, 196, 226};
constexpr int kComboLabelY[8] = {7, 37, 67, 97, 127, 157, 187, 217};
constexpr int kComboX = 241;
constexpr int kComboWidth = 161;  // up to the right edge of Cancel
constexpr int kWidenedPixels = 195;

QIcon nodeIcon(const std::vector<QPixmap>& images, int image, int selectedImage)
{
    QIcon icon;
    auto at = [&](int i) { return i >= 0 && i < static_cast<int>(images.size()) ? images[i] : QPixmap(); };
    icon.addPixmap(at(image), QIcon::Normal);
    icon.addPixmap(at(selectedImage), QIcon::Selected);
    return icon;
}

}  // namespace

COpenDialogView::COpenDialogView(COpenDialog& dialog, COpenDialogTree& tree, QWidget* parent)
    : ModelDialogView(dialog, parent), m_dialog(dialog), m_tree(tree)
{
    setFont(ksbrowse::dialogFont());
    const ksbrowse::DialogUnits du(font());
    setFixedSize(du.x(425), du.y(333));
    for (int i = 0; i < KS_IMAGE_COUNT; ++i)
        m_images.push_back(ksbrowse::image(i));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setGeometry(du.rect(263, 285, 50, 14));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setGeometry(du.rect(352, 285, 50, 14));
    connect(m_ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });

    m_treeWidget = new QTreeWidget(this);
    m_treeWidget->setObjectName(QStringLiteral("datasetTree"));
    m_treeWidget->setHeaderHidden(true);
    m_treeWidget->setColumnCount(1);
    m_treeWidget->setRootIsDecorated(true);
    m_treeWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    m_treeWidget->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_treeWidget->setDragEnabled(false);
    m_treeWidget->setExpandsOnDoubleClick(true);
    m_treeWidget->setIconSize(QSize(ksbrowse::kImageWidth, ksbrowse::kImageHeight));
    QRect treeRect = du.rect(7, 7, 227, 229);
    if (m_tree.TreeWidened())
        treeRect.setWidth(treeRect.width() + kWidenedPixels);
    m_treeWidget->setGeometry(treeRect);
    m_treeWidget->viewport()->installEventFilter(this);

    auto* listLabel = new QLabel(QStringLiteral("Functions:"), this);
    listLabel->setObjectName(QStringLiteral("functionsLabel"));
    listLabel->setGeometry(du.rect(7, 241, 34, 8));
    m_functionList = new QListWidget(this);
    m_functionList->setObjectName(QStringLiteral("functionList"));
    m_functionList->setGeometry(du.rect(7, 255, 227, 71));
    m_functionList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_functionList->setSortingEnabled(false);
    m_functionList->setEnabled(m_tree.FunctionListEnabled());

    for (size_t j = 0; j < 8; ++j) {
        auto* label = new QLabel(QStringLiteral("Function %1:").arg(j + 1), this);
        label->setObjectName(QStringLiteral("functionLabel%1").arg(j + 1));
        label->setGeometry(du.rect(kComboX, kComboLabelY[j], kComboWidth, 8));
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("functionCombo%1").arg(j + 1));
        combo->setGeometry(du.rect(kComboX, kComboY[j], kComboWidth, 12));
        const bool shown = j < m_tree.ComboCount();
        if (shown)
            label->setText(QString::fromStdWString(m_tree.ComboLabel(j)));
        label->setVisible(shown);
        combo->setVisible(shown);
        m_comboLabels.push_back(label);
        m_combos.push_back(combo);
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, j](int index) {
            if (!m_syncing && j < m_tree.ComboCount())
                m_tree.ChooseComboEntry(j, index);
        });
    }

    connect(m_treeWidget, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!m_syncing)
            m_tree.Expand(NodeOf(item));
    });
    connect(m_treeWidget, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!m_syncing)
            m_tree.Collapse(NodeOf(item));
    });
    connect(m_treeWidget, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!m_syncing)
            m_tree.Select(NodeOf(current));
    });
    connect(m_treeWidget, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OnDoubleClick(item); });
    connect(m_functionList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            m_tree.ChooseFunctionPosition(row);
    });
    connect(m_functionList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (m_tree.FunctionDoubleClicked(m_functionList->row(item)))
            accept();
    });

    m_syncing = true;
    AddItems(nullptr);
    if (KSBrowseNode* selected = m_tree.Selected())
        if (QTreeWidgetItem* item = ItemOf(selected))
            m_treeWidget->setCurrentItem(item);
    m_syncing = false;
    m_tree.SetObserver(this);
    ContentsChanged();
}

COpenDialogView::~COpenDialogView()
{
    // The window goes: nothing it does from here on is a user's choice.
    m_tree.SetObserver(nullptr);
    m_treeWidget->blockSignals(true);
    m_functionList->blockSignals(true);
    for (QComboBox* combo : m_combos)
        combo->blockSignals(true);
}

QTreeWidgetItem* COpenDialogView::ItemOf(KSBrowseNode* node) const
{
    auto it = m_items.find(node);
    return it == m_items.end() ? nullptr : it->second;
}

KSBrowseNode* COpenDialogView::NodeOf(QTreeWidgetItem* item) const
{
    return item ? reinterpret_cast<KSBrowseNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* COpenDialogView::MakeItem(KSBrowseNode* node)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdWString(node->text));
    item->setToolTip(0, QString::fromStdWString(node->text));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    m_items[node] = item;
    return item;
}

void COpenDialogView::UpdateItem(KSBrowseNode* node)
{
    QTreeWidgetItem* item = ItemOf(node);
    if (!item)
        return;
    item->setIcon(0, nodeIcon(m_images, node->image, node->selectedImage));
    item->setChildIndicatorPolicy(node->hasButton ? QTreeWidgetItem::ShowIndicator
                                                  : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (item->isExpanded() != node->expanded)
        item->setExpanded(node->expanded);
}

void COpenDialogView::AddItems(KSBrowseNode* parent)
{
    const auto& children = parent ? parent->children : m_tree.Roots();
    for (size_t i = 0; i < children.size(); ++i) {
        KSBrowseNode* child = children[i].get();
        QTreeWidgetItem* item = MakeItem(child);
        if (parent)
            ItemOf(parent)->addChild(item);
        else
            m_treeWidget->addTopLevelItem(item);
        AddItems(child);
        UpdateItem(child);
    }
}

void COpenDialogView::NodeInserted(KSBrowseNode* parent, size_t index)
{
    const auto& children = parent ? parent->children : m_tree.Roots();
    KSBrowseNode* node = children.at(index).get();
    const bool was = m_syncing;
    m_syncing = true;
    QTreeWidgetItem* item = MakeItem(node);
    if (parent)
        ItemOf(parent)->insertChild(static_cast<int>(index), item);
    else
        m_treeWidget->insertTopLevelItem(static_cast<int>(index), item);
    UpdateItem(node);
    m_syncing = was;
}

void COpenDialogView::NodeChanged(KSBrowseNode* node)
{
    const bool was = m_syncing;
    m_syncing = true;
    UpdateItem(node);
    m_syncing = was;
}

void COpenDialogView::SelectionChanged(KSBrowseNode* node)
{
    const bool was = m_syncing;
    m_syncing = true;
    QTreeWidgetItem* item = ItemOf(node);
    if (m_treeWidget->currentItem() != item)
        m_treeWidget->setCurrentItem(item);
    if (item)
        m_treeWidget->scrollToItem(item);
    m_syncing = was;
}

void COpenDialogView::ContentsChanged()
{
    const bool was = m_syncing;
    m_syncing = true;
    // Lists are rebuilt only when their contents changed, so a choice in
    // one of them leaves its items (and a click under way) alone.
    if (m_shownFunctions != m_tree.FunctionNames()) {
        m_shownFunctions = m_tree.FunctionNames();
        m_functionList->clear();
        for (const std::wstring& name : m_shownFunctions)
            m_functionList->addItem(QString::fromStdWString(name));
    }
    if (m_functionList->currentRow() != m_tree.FunctionSelection())
        m_functionList->setCurrentRow(m_tree.FunctionSelection());
    m_shownCombos.resize(m_tree.ComboCount());
    for (size_t j = 0; j < m_tree.ComboCount(); ++j) {
        QComboBox* combo = m_combos[j];
        std::vector<std::pair<std::wstring, LONG>> entries;
        for (const KSComboEntry& entry : m_tree.ComboEntries(j))
            entries.emplace_back(entry.text, entry.data);
        if (entries != m_shownCombos[j]) {
            m_shownCombos[j] = entries;
            combo->clear();
            for (const auto& entry : entries)
                combo->addItem(QString::fromStdWString(entry.first), QVariant::fromValue(static_cast<int>(entry.second)));
        }
        if (combo->currentIndex() != m_tree.ComboSelection(j))
            combo->setCurrentIndex(m_tree.ComboSelection(j));
    }
    m_ok->setEnabled(m_tree.OkEnabled());
    m_syncing = was;
}

bool COpenDialogView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_treeWidget->viewport() && event->type() == QEvent::MouseButtonDblClick)
        m_doubleClickPos = static_cast<QMouseEvent*>(event)->pos();
    return ModelDialogView::eventFilter(watched, event);
}

void COpenDialogView::OnDoubleClick(QTreeWidgetItem* item)
{
    // Only a double click on the icon or the label counts, not one on the
    // expansion box or the empty rest of the row.
    const QRect rect = m_treeWidget->visualItemRect(item);
    const int labelEnd = rect.left() + m_treeWidget->iconSize().width() + 8 +
                         m_treeWidget->fontMetrics().horizontalAdvance(item->text(0));
    if (m_doubleClickPos.x() < rect.left() || m_doubleClickPos.x() > labelEnd)
        return;
    if (m_tree.TreeDoubleClicked(NodeOf(item)))
        accept();
}

CFunctionDialogView::CFunctionDialogView(CFunctionDialog& dialog, QWidget* parent)
    : ModelDialogView(dialog, parent), m_dialog(dialog)
{
    setFont(ksbrowse::dialogFont());
    const ksbrowse::DialogUnits du(font());
    setFixedSize(du.x(240), du.y(108));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("functionList"));
    m_list->setGeometry(du.rect(7, 8, 226, 71));
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setSortingEnabled(false);
    for (const std::wstring& name : m_dialog.Names())
        m_list->addItem(QString::fromStdWString(name));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(du.rect(120, 87, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setGeometry(du.rect(183, 87, 50, 14));
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_dialog.Select(row); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_dialog.Select(m_list->row(item));
        accept();
    });
}

QDialog* COpenDialog::createView(QWidget* parent)
{
    return m_tree ? new COpenDialogView(*this, *m_tree, parent) : nullptr;
}

QDialog* CFunctionDialog::createView(QWidget* parent)
{
    return new CFunctionDialogView(*this, parent);
}
