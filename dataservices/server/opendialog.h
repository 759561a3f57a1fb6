// The rules of the "Select Dataset" dialog behind its view: the tree of
// drives, network places, folders, datasets and injections (filled when a
// node is first expanded), the walk to the remembered path, the function
// list and the function combos. COpenDialog (ksbrowsedialogs.h) owns one
// while it runs and keeps the selection and the results; the Qt view
// (COpenDialogView) only mirrors this model.
#pragma once

#include "browseplatform.h"
#include "kscontract.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class COpenDialog;

// Image indexes of the tree's image list.
enum : int {
    KS_IMAGE_OPEN_FOLDER = 0,
    KS_IMAGE_FOLDER = 1,       // also a network share
    KS_IMAGE_NETWORK = 7,      // the network root; 7 + display type for containers
    KS_IMAGE_DATASET = 15,     // a dataset or an injection
    KS_IMAGE_MULTI_DATASET = 16,
    KS_IMAGE_COUNT = 17,
};

struct KSBrowseNode {
    enum Kind { Drive, NetworkRoot, NetworkContainer, Share, Folder, Dataset, MultiDataset, Injection };

    Kind kind = Folder;
    std::wstring text;
    int image = KS_IMAGE_FOLDER;
    int selectedImage = KS_IMAGE_FOLDER;
    bool hasButton = false;  // the expansion box
    bool expanded = false;
    std::unique_ptr<KSNetResource> net;  // network containers: a private copy
    KSBrowseNode* parent = nullptr;
    std::vector<std::unique_ptr<KSBrowseNode>> children;
};

// What the view is told about changes of the model.
class KSBrowseTreeObserver {
public:
    virtual ~KSBrowseTreeObserver() = default;
    // A child was inserted at this index of parent (null: the root level).
    virtual void NodeInserted(KSBrowseNode* parent, size_t index) = 0;
    // The node's expansion box or expansion changed.
    virtual void NodeChanged(KSBrowseNode* node) = 0;
    // The model selected a node.
    virtual void SelectionChanged(KSBrowseNode* node) = 0;
    // The function list, the combos or OK changed.
    virtual void ContentsChanged() = 0;
};

struct KSComboEntry {
    std::wstring text;
    LONG data = 0;  // function number, 0 for the empty entry
};

class COpenDialogTree {
public:
    COpenDialogTree(COpenDialog& dialog, KSBrowsePlatform& platform);
    ~COpenDialogTree();
    COpenDialogTree(const COpenDialogTree&) = delete;
    COpenDialogTree& operator=(const COpenDialogTree&) = delete;

    void SetObserver(KSBrowseTreeObserver* observer) { m_observer = observer; }

    // The dialog opens: drives, "Network Neighborhood", the walk to the
    // starting path.
    void Start();

    const std::vector<std::unique_ptr<KSBrowseNode>>& Roots() const { return m_roots; }
    KSBrowseNode* NetworkRoot() const { return m_networkRoot; }
    // The child of parent (null: root level) with this text, ignoring case.
    KSBrowseNode* Child(KSBrowseNode* parent, const std::wstring& text) const;
    // Follows texts from the root level; null when one is missing.
    KSBrowseNode* Find(const std::vector<std::wstring>& texts) const;

    // The node's path: every text followed by the separator, from the
    // drive (or the nearest network container's remote name) down.
    std::wstring NodePath(const KSBrowseNode* node) const;

    // Expanding a node: filled on its first expansion, then selected.
    void Expand(KSBrowseNode* node);
    void Collapse(KSBrowseNode* node);
    // The selection changed to node.
    void Select(KSBrowseNode* node);
    KSBrowseNode* Selected() const { return m_selected; }

    // Nodes that open as an injection, and datasets with several.
    bool InNodeMap(const KSBrowseNode* node) const { return m_nodeMap.count(node) != 0; }
    std::wstring NodeDatasetPath(const KSBrowseNode* node) const;
    LONG NodeInjection(const KSBrowseNode* node) const;
    const std::vector<std::wstring>* InjectionNames(const KSBrowseNode* node) const;

    // A double click in the tree on a node's label or icon: true when the
    // dialog closes with OK.
    bool TreeDoubleClicked(KSBrowseNode* node) const;

    // The function list.
    bool FunctionListEnabled() const;
    const std::vector<std::wstring>& FunctionNames() const { return m_functionNames; }
    int FunctionSelection() const { return m_functionSelection; }
    // The list's selection changed (-1 for none).
    void ChooseFunctionPosition(int position);
    // A double click on a list entry: true when the dialog closes with OK.
    bool FunctionDoubleClicked(int position);

    // The combos, one per filter.
    size_t ComboCount() const { return m_combos.size(); }
    std::wstring ComboLabel(size_t combo) const;
    const std::vector<KSComboEntry>& ComboEntries(size_t combo) const { return m_combos.at(combo).entries; }
    int ComboSelection(size_t combo) const { return m_combos.at(combo).selection; }
    void ChooseComboEntry(size_t combo, int index);
    // Without any filter the tree takes the combos' room.
    bool TreeWidened() const { return m_combos.empty(); }

    bool OkEnabled() const;
    // The dialog is closing: selection changes are ignored from now on and
    // every node goes.
    void Close();
    bool Closing() const { return m_closing; }

private:
    struct Combo {
        std::vector<KSComboEntry> entries;
        int selection = 0;
    };
    struct Injection {
        std::wstring path;
        LONG injection = 1;
    };

    KSBrowseNode* Insert(KSBrowseNode* parent, std::unique_ptr<KSBrowseNode> node, bool sorted);
    std::vector<std::unique_ptr<KSBrowseNode>>& ChildrenOf(KSBrowseNode* parent);
    void Fill(KSBrowseNode* node);
    size_t FillNetwork(KSBrowseNode* node);
    size_t FillInjections(KSBrowseNode* node);
    size_t FillFolder(KSBrowseNode* node);
    bool ClassifyAndInsert(KSBrowseNode* parent, const KSFolderEntry& entry);
    bool IsDataset(const std::wstring& path, bool* multiple) const;
    bool ReadInjectionNames(const std::wstring& path, std::vector<std::wstring>& names) const;
    bool FolderWorthABox(const std::wstring& folderPath) const;
    void ResetContents();
    void ReadFunctions(IKSInjection* injection);
    void Notify();

    COpenDialog& m_dialog;
    KSBrowsePlatform& m_platform;
    KSBrowseTreeObserver* m_observer = nullptr;

    std::vector<std::unique_ptr<KSBrowseNode>> m_roots;
    KSBrowseNode* m_networkRoot = nullptr;
    KSBrowseNode* m_selected = nullptr;
    std::map<const KSBrowseNode*, Injection> m_nodeMap;
    std::map<const KSBrowseNode*, std::pair<std::wstring, std::vector<std::wstring>>> m_injectionNames;

    std::vector<std::wstring> m_functionNames;
    std::vector<LONG> m_functionNumbers;  // per list entry
    int m_functionSelection = -1;
    std::vector<Combo> m_combos;
    bool m_closing = false;
};

// The network buffer the dialog reads entries into, in bytes.
inline constexpr size_t kKSNetworkBufferBytes = 16384;
// The root node of the network places.
inline constexpr const wchar_t* kKSNetworkRootText = L"Network Neighborhood";
