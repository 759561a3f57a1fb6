// Qt views of the browse dialogs. They show what the models hold and pass
// the user's actions on; every rule lives in COpenDialogTree and the
// dialog models of ksbrowsedialogs.h.
#pragma once

// The automation headers come before Qt's, whose "slots" keyword would
// clash with them.
#include "opendialog.h"
#include "ksmodeldialog.h"

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>

#include <map>
#include <string>
#include <utility>
#include <vector>

class CFunctionDialog;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace ksbrowse {

// Dialog units of a dialog font: x in quarters of the average character
// width, y in eighths of the character height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    int x(int units) const { return units * m_baseX / 4; }
    int y(int units) const { return units * m_baseY / 8; }
    QRect rect(int x0, int y0, int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

// The dialogs' font: the application's family at 8 points.
QFont dialogFont();

}  // namespace ksbrowse

// "Select Dataset".
class COpenDialogView : public ks::dialogs::ModelDialogView, private KSBrowseTreeObserver {
public:
    COpenDialogView(COpenDialog& dialog, COpenDialogTree& tree, QWidget* parent);
    ~COpenDialogView() override;

    QTreeWidget* Tree() const { return m_treeWidget; }
    QListWidget* FunctionList() const { return m_functionList; }
    QComboBox* Combo(size_t index) const { return m_combos.at(index); }
    QLabel* ComboLabel(size_t index) const { return m_comboLabels.at(index); }
    QPushButton* OkButton() const { return m_ok; }
    // The tree item that shows a node.
    QTreeWidgetItem* ItemOf(KSBrowseNode* node) const;

private:
    void NodeInserted(KSBrowseNode* parent, size_t index) override;
    void NodeChanged(KSBrowseNode* node) override;
    void SelectionChanged(KSBrowseNode* node) override;
    void ContentsChanged() override;

    QTreeWidgetItem* MakeItem(KSBrowseNode* node);
    void AddItems(KSBrowseNode* parent);
    void UpdateItem(KSBrowseNode* node);
    KSBrowseNode* NodeOf(QTreeWidgetItem* item) const;
    void OnDoubleClick(QTreeWidgetItem* item);
    bool eventFilter(QObject* watched, QEvent* event) override;

    COpenDialog& m_dialog;
    COpenDialogTree& m_tree;
    QTreeWidget* m_treeWidget = nullptr;
    QListWidget* m_functionList = nullptr;
    std::vector<QComboBox*> m_combos;
    std::vector<QLabel*> m_comboLabels;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    std::map<KSBrowseNode*, QTreeWidgetItem*> m_items;
    std::vector<QPixmap> m_images;
    std::vector<std::wstring> m_shownFunctions;
    std::vector<std::vector<std::pair<std::wstring, LONG>>> m_shownCombos;
    QPoint m_doubleClickPos;
    bool m_syncing = false;
};

// "Select Function".
class CFunctionDialogView : public ks::dialogs::ModelDialogView {
public:
    CFunctionDialogView(CFunctionDialog& dialog, QWidget* parent);
    QListWidget* FunctionList() const { return m_list; }

private:
    CFunctionDialog& m_dialog;
    QListWidget* m_list = nullptr;
};
