#include "opendialog.h"

#include "ksbrowsedialogs.h"
#include "kscomptr.h"
#include "ksdataaccess.h"
#include "ksdialogs.h"
#include "ksfiles.h"

#include <algorithm>
#include <cwctype>

namespace {

bool endsWithSeparator(const std::wstring& s)
{
    return !s.empty() && (s.back() == L'\\' || s.back() == L'/');
}

bool isDotEntry(const std::wstring& name)
{
    return name == L"." || name == L"..";
}

bool isTextFileName(const std::wstring& name)
{
    return name.size() >= 4 && ks::equalNoCase(name.substr(name.size() - 4), L".txt");
}

// Two values match when either is 0 (any) or they are equal.
bool fits(LONG filterValue, LONG functionValue)
{
    return filterValue == 0 || functionValue == 0 || filterValue == functionValue;
}

std::unique_ptr<KSBrowseNode> makeNode(KSBrowseNode::Kind kind, std::wstring text, int image, int selectedImage,
                                       bool hasButton)
{
    auto node = std::make_unique<KSBrowseNode>();
    node->kind = kind;
    node->text = std::move(text);
    node->image = image;
    node->selectedImage = selectedImage;
    node->hasButton = hasButton;
    return node;
}

}  // namespace

COpenDialogTree::COpenDialogTree(COpenDialog& dialog, KSBrowsePlatform& platform)
    : m_dialog(dialog), m_platform(platform)
{
    m_combos.resize(std::min(m_dialog.Filters().size(), CKSDataAccess::kMaxComboFilters));
    ResetContents();
}

COpenDialogTree::~COpenDialogTree()
{
    m_closing = true;
}

void COpenDialogTree::Start()
{
    for (const std::wstring& root : m_platform.DriveRoots()) {
        const UINT type = m_platform.DriveType(root);
        if (type < KS_DRIVE_REMOVABLE || type > KS_DRIVE_RAMDISK)
            continue;
        const int image = static_cast<int>(type);
        Insert(nullptr, makeNode(KSBrowseNode::Drive, m_platform.DriveText(root), image, image, true), false);
    }
    m_networkRoot = Insert(nullptr,
                           makeNode(KSBrowseNode::NetworkRoot, kKSNetworkRootText, KS_IMAGE_NETWORK,
                                    KS_IMAGE_NETWORK, true),
                           false);

    KSBrowseNode* current = nullptr;
    const std::vector<std::wstring> parts = m_platform.SplitStartPath(m_dialog.StartPath());
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::wstring part = i == 0 && parts[i].empty() ? std::wstring(kKSNetworkRootText) : parts[i];
        if (KSBrowseNode* found = Child(current, part)) {
            Expand(found);
            current = found;
        }
    }
    Notify();
}

std::vector<std::unique_ptr<KSBrowseNode>>& COpenDialogTree::ChildrenOf(KSBrowseNode* parent)
{
    return parent ? parent->children : m_roots;
}

KSBrowseNode* COpenDialogTree::Insert(KSBrowseNode* parent, std::unique_ptr<KSBrowseNode> node, bool sorted)
{
    auto& children = ChildrenOf(parent);
    size_t index = children.size();
    if (sorted) {
        // After the last node that does not sort behind the new one.
        index = 0;
        while (index < children.size() && ks::compareNoCase(children[index]->text, node->text) <= 0)
            ++index;
    }
    node->parent = parent;
    KSBrowseNode* raw = node.get();
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(index), std::move(node));
    if (m_observer)
        m_observer->NodeInserted(parent, index);
    return raw;
}

KSBrowseNode* COpenDialogTree::Child(KSBrowseNode* parent, const std::wstring& text) const
{
    const auto& children = parent ? parent->children : m_roots;
    for (const auto& child : children)
        if (ks::equalNoCase(child->text, text))
            return child.get();
    return nullptr;
}

KSBrowseNode* COpenDialogTree::Find(const std::vector<std::wstring>& texts) const
{
    KSBrowseNode* node = nullptr;
    for (const std::wstring& text : texts) {
        node = Child(node, text);
        if (!node)
            return nullptr;
    }
    return node;
}

std::wstring COpenDialogTree::NodePath(const KSBrowseNode* node) const
{
    const wchar_t separator = m_platform.Separator();
    std::wstring path;
    for (; node; node = node->parent) {
        std::wstring part = node->net ? node->net->remoteName : node->text;
        if (!endsWithSeparator(part))
            part += separator;
        path = part + path;
        if (node->net)
            break;
    }
    return path;
}

void COpenDialogTree::Expand(KSBrowseNode* node)
{
    if (!node || m_closing)
        return;
    ks::dialogs::WaitCursor wait;
    const bool fill = node->children.empty();
    if (fill)
        Fill(node);
    node->expanded = true;
    if (m_observer)
        m_observer->NodeChanged(node);
    if (fill && node != m_selected)
        Select(node);
}

void COpenDialogTree::Collapse(KSBrowseNode* node)
{
    if (!node || !node->expanded)
        return;
    node->expanded = false;
    if (m_observer)
        m_observer->NodeChanged(node);
}

void COpenDialogTree::Fill(KSBrowseNode* node)
{
    size_t added = 0;
    switch (node->kind) {
    case KSBrowseNode::NetworkRoot:
    case KSBrowseNode::NetworkContainer:
        added = FillNetwork(node);
        break;
    case KSBrowseNode::MultiDataset:
        added = FillInjections(node);
        break;
    case KSBrowseNode::Drive:
    case KSBrowseNode::Share:
    case KSBrowseNode::Folder:
        added = FillFolder(node);
        break;
    case KSBrowseNode::Dataset:
    case KSBrowseNode::Injection:
        // Opened as they are, never listed.
        break;
    }
    if (added == 0 && !m_dialog.SmartExpansionBoxes() && node->hasButton) {
        node->hasButton = false;
        if (m_observer)
            m_observer->NodeChanged(node);
    }
}

size_t COpenDialogTree::FillNetwork(KSBrowseNode* node)
{
    std::unique_ptr<KSNetEnumeration> enumeration =
        node->net ? m_platform.OpenNetwork(KS_RESOURCE_GLOBALNET, node->net.get())
                  : m_platform.OpenNetwork(KS_RESOURCE_CONTEXT, nullptr);
    if (!enumeration)
        return 0;
    size_t added = 0;
    for (;;) {
        std::vector<KSNetResource> entries;
        if (enumeration->Next(kKSNetworkBufferBytes, entries) != KS_NET_NO_ERROR)
            break;
        for (const KSNetResource& entry : entries) {
            std::wstring text = entry.remoteName.empty() ? entry.comment : entry.remoteName;
            for (int i = 0; i < 2 && !text.empty() && text[0] == L'\\'; ++i)
                text.erase(0, 1);
            if (entry.displayType == KS_RESOURCEDISPLAYTYPE_SHARE) {
                const size_t slash = text.find(L'\\');
                if (slash != std::wstring::npos)
                    text = text.substr(slash + 1);
                Insert(node,
                       makeNode(KSBrowseNode::Share, text, KS_IMAGE_FOLDER, KS_IMAGE_OPEN_FOLDER, true),
                       true);
            } else {
                // Display types beyond the root's have no image of their
                // own; they would show as datasets.
                const DWORD display =
                    entry.displayType <= KS_RESOURCEDISPLAYTYPE_ROOT ? entry.displayType : KS_RESOURCEDISPLAYTYPE_GENERIC;
                const int image = KS_IMAGE_NETWORK + static_cast<int>(display);
                auto child = makeNode(KSBrowseNode::NetworkContainer, text, image, image, true);
                child->net = std::make_unique<KSNetResource>(entry);
                Insert(node, std::move(child), false);
            }
            ++added;
        }
    }
    return added;
}

size_t COpenDialogTree::FillInjections(KSBrowseNode* node)
{
    auto it = m_injectionNames.find(node);
    if (it == m_injectionNames.end())
        return 0;
    const std::wstring path = it->second.first;
    const std::vector<std::wstring> names = it->second.second;
    for (size_t i = 0; i < names.size(); ++i) {
        KSBrowseNode* child =
            Insert(node, makeNode(KSBrowseNode::Injection, names[i], KS_IMAGE_DATASET, KS_IMAGE_DATASET, false), true);
        m_nodeMap[child] = Injection{path, static_cast<LONG>(i + 1)};
    }
    return names.size();
}

size_t COpenDialogTree::FillFolder(KSBrowseNode* node)
{
    std::vector<KSFolderEntry> entries;
    if (!m_platform.ListFolder(NodePath(node), entries))
        return 0;
    size_t added = 0;
    for (const KSFolderEntry& entry : entries)
        if (ClassifyAndInsert(node, entry))
            ++added;
    return added;
}

bool COpenDialogTree::IsDataset(const std::wstring& path, bool* multiple) const
{
    CKSDataAccess* access = m_dialog.Access();
    if (!access)
        return false;
    ks::Bstr bpath(path);
    LONG valid = 0;
    bool many = false;
    if (FAILED(access->FindDataset(bpath, &valid, multiple ? &many : nullptr)))
        return false;
    if (multiple)
        *multiple = many;
    return valid != 0;
}

// The names of a dataset's injections, read through a server of our own
// that goes again at once: the caller's server pointer belongs to the
// selection.
bool COpenDialogTree::ReadInjectionNames(const std::wstring& path, std::vector<std::wstring>& names) const
{
    names.clear();
    CKSDataAccess* access = m_dialog.Access();
    if (!access)
        return false;
    ks::ComPtr<IKSDataServer> server;
    ks::Bstr bpath(path);
    if (FAILED(access->OpenDataset(bpath, &server)) || !server)
        return false;
    ks::ComPtr<IKSInjections> injections;
    if (FAILED(server->get_Injections(&injections)) || !injections)
        return false;
    LONG count = 0;
    if (FAILED(injections->get_Count(&count)))
        return false;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSInjection> injection;
        if (FAILED(injections->get_Item(i, &injection)) || !injection)
            return false;
        ks::Bstr name;
        if (FAILED(injection->get_Name(&name)))
            return false;
        names.push_back(name.str());
    }
    return true;
}

bool COpenDialogTree::FolderWorthABox(const std::wstring& folderPath) const
{
    std::vector<KSFolderEntry> entries;
    if (!m_platform.ListFolder(folderPath, entries))
        return false;
    for (const KSFolderEntry& entry : entries) {
        if (entry.folder && !isDotEntry(entry.name))
            return true;
        if (IsDataset(entry.path, nullptr))
            return true;
    }
    return false;
}

bool COpenDialogTree::ClassifyAndInsert(KSBrowseNode* parent, const KSFolderEntry& entry)
{
    if (isDotEntry(entry.name))
        return false;
    if (!m_dialog.ShowTextFiles() && isTextFileName(entry.name))
        return false;

    bool multiple = false;
    if (IsDataset(entry.path, &multiple)) {
        if (!multiple) {
            KSBrowseNode* node = Insert(
                parent, makeNode(KSBrowseNode::Dataset, entry.name, KS_IMAGE_DATASET, KS_IMAGE_DATASET, false), true);
            m_nodeMap[node] = Injection{entry.path, 1};
            return true;
        }
        std::vector<std::wstring> names;
        if (!ReadInjectionNames(entry.path, names))
            return false;
        KSBrowseNode* node = Insert(
            parent,
            makeNode(KSBrowseNode::MultiDataset, entry.name, KS_IMAGE_MULTI_DATASET, KS_IMAGE_MULTI_DATASET, true),
            true);
        m_injectionNames[node] = {entry.path, std::move(names)};
        return true;
    }
    if (!entry.folder)
        return false;

    std::wstring folderPath = entry.path;
    if (!endsWithSeparator(folderPath))
        folderPath += m_platform.Separator();
    const bool box = !m_dialog.SmartExpansionBoxes() || FolderWorthABox(folderPath);
    Insert(parent, makeNode(KSBrowseNode::Folder, entry.name, KS_IMAGE_FOLDER, KS_IMAGE_OPEN_FOLDER, box), true);
    return true;
}

std::wstring COpenDialogTree::NodeDatasetPath(const KSBrowseNode* node) const
{
    auto it = m_nodeMap.find(node);
    return it == m_nodeMap.end() ? std::wstring() : it->second.path;
}

LONG COpenDialogTree::NodeInjection(const KSBrowseNode* node) const
{
    auto it = m_nodeMap.find(node);
    return it == m_nodeMap.end() ? -1 : it->second.injection;
}

const std::vector<std::wstring>* COpenDialogTree::InjectionNames(const KSBrowseNode* node) const
{
    auto it = m_injectionNames.find(node);
    return it == m_injectionNames.end() ? nullptr : &it->second.second;
}

void COpenDialogTree::ResetContents()
{
    m_functionNames.clear();
    m_functionNumbers.clear();
    m_functionSelection = -1;
    for (Combo& combo : m_combos) {
        combo.entries.assign(1, KSComboEntry{});
        combo.selection = 0;
    }
}

void COpenDialogTree::Select(KSBrowseNode* node)
{
    if (m_closing || node == m_selected)
        return;
    ks::dialogs::WaitCursor wait;
    m_selected = node;
    if (m_observer)
        m_observer->SelectionChanged(node);

    ResetContents();
    auto it = node ? m_nodeMap.find(node) : m_nodeMap.end();
    if (it == m_nodeMap.end()) {
        m_dialog.SelectOther();
    } else {
        // The caller's server and injection are released and the node's
        // injection opened into them.
        const Injection target = it->second;
        if (SUCCEEDED(m_dialog.SelectInjection(target.path, target.injection)))
            ReadFunctions(m_dialog.Injection());
    }
    Notify();
}

void COpenDialogTree::ReadFunctions(IKSInjection* injection)
{
    if (!injection)
        return;
    ks::ComPtr<IKSFunctions> functions;
    if (FAILED(injection->get_Functions(&functions)) || !functions)
        return;
    LONG count = 0;
    if (FAILED(functions->get_Count(&count)))
        return;

    const std::vector<KSComboFilter>& filters = m_dialog.Filters();
    std::vector<bool> hasDefault(m_combos.size(), false);
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSFunction> function;
        if (FAILED(functions->get_Item(i, &function)) || !function)
            continue;
        ks::Bstr name;
        FunctionType type = FunctionTypeUnknown;
        LONG order = 0;
        FunctionPolarity polarity = FunctionPolarityUnknown;
        if (FAILED(function->get_Name(&name)) || FAILED(function->get_Type(&type)) ||
            FAILED(function->get_MSOrder(&order)) || FAILED(function->get_Polarity(&polarity)))
            continue;

        // Each list entry remembers its function number, so a function
        // left out does not shift the numbers of those after it.
        m_functionNames.push_back(name.str());
        m_functionNumbers.push_back(i);
        for (size_t j = 0; j < m_combos.size(); ++j) {
            const KSComboFilter& filter = filters[j];
            if (!fits(filter.type, type) || !fits(filter.order, order) || !fits(filter.polarity, polarity))
                continue;
            m_combos[j].entries.push_back(KSComboEntry{name.str(), i});
            if (!hasDefault[j] && type != 0 && type == filter.type) {
                hasDefault[j] = true;
                m_combos[j].selection = 1;
            }
        }
    }
    const bool anyDefault = std::find(hasDefault.begin(), hasDefault.end(), true) != hasDefault.end();
    if (!anyDefault && !m_functionNames.empty()) {
        for (Combo& combo : m_combos) {
            if (combo.entries.size() > 1) {
                combo.selection = 1;
                break;
            }
        }
    }
    for (size_t j = 0; j < m_combos.size(); ++j)
        m_dialog.ChooseComboFunction(j, m_combos[j].entries[static_cast<size_t>(m_combos[j].selection)].data);
}

bool COpenDialogTree::TreeDoubleClicked(KSBrowseNode* node) const
{
    return !m_closing && node && m_dialog.DialogMode() == COpenDialog::ModeInjection && m_combos.empty() &&
           InNodeMap(node);
}

bool COpenDialogTree::FunctionListEnabled() const
{
    return m_dialog.DialogMode() == COpenDialog::ModeFunction;
}

void COpenDialogTree::ChooseFunctionPosition(int position)
{
    if (m_closing)
        return;
    if (position < 0 || position >= static_cast<int>(m_functionNames.size()))
        position = -1;
    m_functionSelection = position;
    m_dialog.ChooseFunction(position < 0 ? -1 : m_functionNumbers[static_cast<size_t>(position)]);
    Notify();
}

bool COpenDialogTree::FunctionDoubleClicked(int position)
{
    if (m_closing || !FunctionListEnabled())
        return false;
    if (position != m_functionSelection)
        ChooseFunctionPosition(position);
    return m_functionSelection >= 0 && m_dialog.OkEnabled();
}

std::wstring COpenDialogTree::ComboLabel(size_t combo) const
{
    return combo < m_dialog.Filters().size() ? m_dialog.Filters()[combo].title : std::wstring();
}

void COpenDialogTree::ChooseComboEntry(size_t combo, int index)
{
    if (m_closing || combo >= m_combos.size())
        return;
    Combo& c = m_combos[combo];
    if (index < 0 || index >= static_cast<int>(c.entries.size()))
        index = 0;
    c.selection = index;
    m_dialog.ChooseComboFunction(combo, c.entries[static_cast<size_t>(index)].data);
    Notify();
}

bool COpenDialogTree::OkEnabled() const
{
    return m_dialog.OkEnabled();
}

void COpenDialogTree::Close()
{
    m_closing = true;
    m_selected = nullptr;
    m_nodeMap.clear();
    m_injectionNames.clear();
    m_networkRoot = nullptr;
    // Depth first, with the network copies.
    m_roots.clear();
}

void COpenDialogTree::Notify()
{
    if (m_observer && !m_closing)
        m_observer->ContentsChanged();
}
