// The rules of the "Select Dataset" and "Select Function" models on the
// fake platform (drive letters, UNC shares, nested network containers).
#include "browsefakes.h"
#include "ksbrowsedialogs.h"
#include "opendialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

namespace {

class BrowseModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUpFakeProviders();
        access = newDataAccess();
        ASSERT_TRUE(access);
        platform.drives = {{L'A', KS_DRIVE_REMOVABLE}, {L'C', KS_DRIVE_FIXED},  {L'D', KS_DRIVE_CDROM},
                           {L'F', KS_DRIVE_REMOTE},    {L'R', KS_DRIVE_RAMDISK}, {L'X', KS_DRIVE_UNKNOWN},
                           {L'Y', KS_DRIVE_NO_ROOT_DIR}};
        platform.addFolder(L"C:\\data");
        platform.addFolder(L"C:\\data\\sub");
        platform.addFile(L"C:\\data\\run1.ds");
        platform.addFile(L"C:\\data\\notes.doc");
        platform.addFile(L"C:\\data\\sub\\deep.ds");
    }
    void TearDown() override
    {
        dialog.reset();
        releaseOut();
        access.reset();
        tearDownFakeProviders();
    }
    void releaseOut()
    {
        if (injection)
            injection->Release();
        if (server)
            server->Release();
        injection = nullptr;
        server = nullptr;
    }

    COpenDialogTree& open(COpenDialog::Mode mode = COpenDialog::ModeInjection, bool smart = false,
                          bool text = false, std::vector<KSComboFilter> filters = {},
                          const std::wstring& start = L"")
    {
        dialog = std::make_unique<COpenDialog>(accessObject(access.get()), &server, &injection, mode, smart, text,
                                               std::move(filters), start);
        dialog->initialize();
        return *dialog->Tree();
    }

    static std::vector<std::wstring> texts(const KSBrowseNode* node)
    {
        std::vector<std::wstring> out;
        for (const auto& child : node->children)
            out.push_back(child->text);
        return out;
    }
    static size_t listCalls(const FakeBrowsePlatform& p, const std::wstring& path)
    {
        return static_cast<size_t>(std::count(p.calls.begin(), p.calls.end(), L"list " + path));
    }

    FakeBrowsePlatform platform;
    ScopedBrowsePlatform scoped{platform};
    ks::ComPtr<IKSDataAccess> access;
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    std::unique_ptr<COpenDialog> dialog;
};

KSComboFilter filter(const wchar_t* title, LONG type, LONG order = 0, LONG polarity = 0)
{
    KSComboFilter f;
    f.title = title;
    f.type = FunctionType(type);
    f.order = order;
    f.polarity = FunctionPolarity(polarity);
    return f;
}

TEST_F(BrowseModel, StartShowsDrivesOfTypesTwoToSixAndTheNetworkWithOkDisabled)
{
    for (COpenDialog::Mode mode : {COpenDialog::ModeInjection, COpenDialog::ModeFunction}) {
        COpenDialogTree& tree = open(mode);
        std::vector<std::wstring> roots;
        for (const auto& node : tree.Roots()) {
            roots.push_back(node->text);
            EXPECT_TRUE(node->hasButton) << node->text;
            EXPECT_FALSE(node->expanded) << node->text;
        }
        EXPECT_EQ(roots, (std::vector<std::wstring>{L"A:", L"C:", L"D:", L"F:", L"R:", L"Network Neighborhood"}));
        EXPECT_EQ(tree.Roots()[0]->image, 2);
        EXPECT_EQ(tree.Roots()[1]->image, 3);
        EXPECT_EQ(tree.Roots()[2]->image, 5);
        EXPECT_EQ(tree.Roots()[3]->image, 4);
        EXPECT_EQ(tree.Roots()[4]->image, 6);
        EXPECT_EQ(tree.NetworkRoot(), tree.Roots()[5].get());
        EXPECT_EQ(tree.NetworkRoot()->image, KS_IMAGE_NETWORK);

        EXPECT_FALSE(dialog->OkEnabled());
        EXPECT_FALSE(tree.OkEnabled());
        EXPECT_FALSE(dialog->accept());
        EXPECT_EQ(tree.Selected(), nullptr);
        EXPECT_EQ(tree.FunctionListEnabled(), mode == COpenDialog::ModeFunction);
        EXPECT_EQ(tree.ComboCount(), 0u);
        EXPECT_TRUE(tree.TreeWidened());
        // Nothing was listed or opened before a node was chosen.
        EXPECT_TRUE(FakeBrowseServers::log.empty());
        dialog->finish(IDCANCEL);
        EXPECT_EQ(dialog->ResultInjection(), -1);
        EXPECT_EQ(dialog->ResultFunction(), -1);
        EXPECT_EQ(dialog->ResultPath(), L"");
    }
}

TEST_F(BrowseModel, ExpandingListsTheNodePathThenSelectsTheNode)
{
    COpenDialogTree& tree = open();
    KSBrowseNode* c = tree.Child(nullptr, L"c:");
    ASSERT_NE(c, nullptr);
    tree.Expand(c);
    EXPECT_EQ(listCalls(platform, L"C:\\"), 1u);
    EXPECT_EQ(texts(c), std::vector<std::wstring>{L"data"});
    EXPECT_EQ(tree.Selected(), c);

    KSBrowseNode* data = tree.Child(c, L"DATA");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(tree.NodePath(data), L"C:\\data\\");
    EXPECT_EQ(data->image, KS_IMAGE_FOLDER);
    EXPECT_EQ(data->selectedImage, KS_IMAGE_OPEN_FOLDER);
    tree.Expand(data);
    // Sorted without regard to case; "notes.doc" is neither folder nor dataset.
    EXPECT_EQ(texts(data), (std::vector<std::wstring>{L"run1.ds", L"sub"}));
    KSBrowseNode* run = tree.Child(data, L"run1.ds");
    EXPECT_EQ(run->image, KS_IMAGE_DATASET);
    EXPECT_FALSE(run->hasButton);
    EXPECT_TRUE(tree.InNodeMap(run));
    EXPECT_EQ(tree.NodeDatasetPath(run), L"C:\\data\\run1.ds");
    EXPECT_EQ(tree.NodeInjection(run), 1);

    // Filled once: collapsing and expanding again lists nothing and keeps
    // the selection where the user put it.
    tree.Select(run);
    tree.Collapse(data);
    tree.Expand(data);
    EXPECT_EQ(listCalls(platform, L"C:\\data\\"), 1u);
    EXPECT_EQ(tree.Selected(), run);
}

// Folders are found and sorted without regard to case whatever the
// process locale: in the "C" locale É and é are the same letter too.
TEST_F(BrowseModel, NonAsciiNamesFoldInEveryLocale)
{
    platform.addFolder(L"C:\\data\\\u00C9chantillons");
    platform.addFolder(L"C:\\data\\\u00E9t\u00E9");
    platform.addFolder(L"C:\\data\\Zeta");
    for (const char* loc : {"C", "C.UTF-8"}) {
        if (!std::setlocale(LC_ALL, loc))
            continue;
        COpenDialogTree& tree = open();
        KSBrowseNode* c = tree.Child(nullptr, L"C:");
        ASSERT_NE(c, nullptr);
        tree.Expand(c);
        KSBrowseNode* data = tree.Child(c, L"data");
        ASSERT_NE(data, nullptr);
        tree.Expand(data);
        EXPECT_NE(tree.Child(data, L"\u00E9CHANTILLONS"), nullptr) << loc;
        EXPECT_NE(tree.Child(data, L"\u00C9T\u00C9"), nullptr) << loc;
        const auto names = texts(data);
        const auto e1 = std::find(names.begin(), names.end(), L"\u00C9chantillons");
        const auto e2 = std::find(names.begin(), names.end(), L"\u00E9t\u00E9");
        ASSERT_NE(e1, names.end()) << loc;
        EXPECT_LT(e1, e2) << loc;
        dialog.reset();
    }
    std::setlocale(LC_ALL, "C");
}

TEST_F(BrowseModel, TextFilesShowOnlyWithShowTextFiles)
{
    platform.addFolder(L"C:\\spectra");
    platform.addFile(L"C:\\spectra\\a.txt");
    platform.addFile(L"C:\\spectra\\B.TXT");
    for (bool showText : {false, true}) {
        COpenDialogTree& tree = open(COpenDialog::ModeInjection, false, showText);
        tree.Expand(tree.Child(nullptr, L"C:"));
        KSBrowseNode* spectra = tree.Find({L"C:", L"spectra"});
        ASSERT_NE(spectra, nullptr);
        EXPECT_TRUE(spectra->hasButton);
        tree.Expand(spectra);
        if (!showText) {
            EXPECT_TRUE(spectra->children.empty());
            EXPECT_FALSE(spectra->hasButton);
        } else {
            ASSERT_EQ(texts(spectra), (std::vector<std::wstring>{L"a.txt", L"B.TXT"}));
            for (const auto& child : spectra->children) {
                EXPECT_EQ(child->image, KS_IMAGE_DATASET);
                EXPECT_TRUE(tree.InNodeMap(child.get()));
            }
        }
        dialog->finish(IDCANCEL);
    }
}

TEST_F(BrowseModel, SmartExpansionBoxesLookIntoTheFolder)
{
    platform.addFolder(L"E:\\empty");
    platform.addFolder(L"E:\\withsub");
    platform.addFolder(L"E:\\withsub\\inner");
    platform.addFolder(L"E:\\withds");
    platform.addFile(L"E:\\withds\\x.ds");
    platform.addFolder(L"E:\\withtxt");
    platform.addFile(L"E:\\withtxt\\only.txt");
    platform.addFolder(L"E:\\withjunk");
    platform.addFile(L"E:\\withjunk\\junk.bin");
    platform.unreadable.push_back(L"E:\\locked\\");
    platform.addFolder(L"E:\\locked");
    platform.drives[L'E'] = KS_DRIVE_FIXED;

    struct Case {
        const wchar_t* folder;
        bool smartBox;
    };
    const Case cases[] = {
        {L"empty", false},  {L"withsub", true}, {L"withds", true},
        // A text file a reader accepts counts, although it is not shown.
        {L"withtxt", true}, {L"withjunk", false}, {L"locked", false},
    };
    for (bool smart : {false, true}) {
        COpenDialogTree& tree = open(COpenDialog::ModeInjection, smart);
        KSBrowseNode* e = tree.Child(nullptr, L"E:");
        tree.Expand(e);
        for (const Case& c : cases) {
            KSBrowseNode* node = tree.Child(e, c.folder);
            ASSERT_NE(node, nullptr) << c.folder;
            EXPECT_EQ(node->hasButton, smart ? c.smartBox : true) << c.folder << " smart " << smart;
        }
        // Expanding a folder that adds nothing removes its box unless the
        // boxes are smart.
        for (const wchar_t* name : {L"empty", L"withjunk", L"locked", L"withtxt"}) {
            KSBrowseNode* node = tree.Child(e, name);
            const bool before = node->hasButton;
            tree.Expand(node);
            EXPECT_TRUE(node->children.empty()) << name;
            EXPECT_EQ(node->hasButton, smart ? before : false) << name;
        }
        dialog->finish(IDCANCEL);
    }
}

TEST_F(BrowseModel, StartPathWalk)
{
    platform.addFolder(L"C:\\data\\sub\\deeper");
    platform.network[L""] = {netResource(KS_RESOURCEDISPLAYTYPE_SERVER, L"\\\\SERVER")};
    struct Case {
        const wchar_t* start;
        std::vector<std::wstring> expanded;  // node texts from the root, each expanded
        std::vector<std::wstring> selected;  // empty: nothing selected
    };
    const Case cases[] = {
        {L"C:\\data\\sub", {L"C:", L"data", L"sub"}, {L"C:", L"data", L"sub"}},
        {L"c:\\DATA\\sub\\", {L"C:", L"data", L"sub"}, {L"C:", L"data", L"sub"}},
        // A part that matches nothing is passed over; the walk goes on
        // from the last node found.
        {L"C:\\data\\nothere\\sub\\deeper", {L"C:", L"data", L"sub", L"deeper"}, {L"C:", L"data", L"sub", L"deeper"}},
        {L"C:\\nothere", {L"C:"}, {L"C:"}},
        {L"Q:\\data", {}, {}},
        {L"", {}, {}},
        // A path beginning with a backslash starts at the network.
        {L"\\\\SERVER\\share", {L"Network Neighborhood", L"SERVER"}, {L"Network Neighborhood", L"SERVER"}},
        // A remembered dataset ends the walk selected (and opened).
        {L"C:\\data\\run1.ds", {L"C:", L"data"}, {L"C:", L"data", L"run1.ds"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.start, c.start + wcslen(c.start)));
        COpenDialogTree& tree = open(COpenDialog::ModeInjection, false, false, {}, c.start);
        std::vector<std::wstring> path;
        for (const std::wstring& text : c.expanded) {
            path.push_back(text);
            KSBrowseNode* node = tree.Find(path);
            ASSERT_NE(node, nullptr);
            EXPECT_TRUE(node->expanded);
        }
        // Nothing else was expanded.
        size_t expandedRoots = 0;
        for (const auto& root : tree.Roots())
            expandedRoots += root->expanded ? 1 : 0;
        EXPECT_EQ(expandedRoots, c.expanded.empty() ? 0u : 1u);
        EXPECT_EQ(tree.Selected(), c.selected.empty() ? nullptr : tree.Find(c.selected));
        dialog->finish(IDCANCEL);
        releaseOut();
    }
}

TEST_F(BrowseModel, RememberedDatasetIsOpenedAndConfirmable)
{
    COpenDialogTree& tree = open(COpenDialog::ModeInjection, false, false, {}, L"C:\\data\\run1.ds");
    EXPECT_TRUE(tree.OkEnabled());
    ASSERT_NE(server, nullptr);
    ASSERT_NE(injection, nullptr);
    EXPECT_TRUE(dialog->accept());
    dialog->finish(IDOK);
    EXPECT_EQ(dialog->ResultPath(), L"C:\\data\\run1.ds");
    EXPECT_EQ(dialog->ResultInjection(), 1);
}

TEST_F(BrowseModel, FiltersMsAndMsnWithFunctionsOfTypesOneTwoAndZero)
{
    FakeBrowseServers::functions = {{L"Full scan", 1, 1, 1}, {L"Product scan", 2, 2, 1}, {L"Other", 0, 0, 0}};
    COpenDialogTree& tree = open(COpenDialog::ModeFunction, false, false, {filter(L"MS", 1), filter(L"MSn", 2)},
                                 L"C:\\data");
    ASSERT_EQ(tree.ComboCount(), 2u);
    EXPECT_FALSE(tree.TreeWidened());
    EXPECT_EQ(tree.ComboLabel(0), L"MS");
    EXPECT_EQ(tree.ComboLabel(1), L"MSn");
    // Before a dataset is chosen each combo holds only the empty entry.
    EXPECT_EQ(tree.ComboEntries(0).size(), 1u);
    EXPECT_EQ(tree.ComboSelection(0), 0);

    tree.Select(tree.Find({L"C:", L"data", L"run1.ds"}));
    EXPECT_EQ(tree.FunctionNames(), (std::vector<std::wstring>{L"Full scan", L"Product scan", L"Other"}));
    auto data = [&](size_t combo) {
        std::vector<LONG> out;
        for (const KSComboEntry& e : tree.ComboEntries(combo))
            out.push_back(e.data);
        return out;
    };
    EXPECT_EQ(data(0), (std::vector<LONG>{0, 1, 3}));
    EXPECT_EQ(data(1), (std::vector<LONG>{0, 2, 3}));
    EXPECT_EQ(tree.ComboEntries(0)[0].text, L"");
    EXPECT_EQ(tree.ComboEntries(1)[1].text, L"Product scan");
    EXPECT_EQ(tree.ComboSelection(0), 1);
    EXPECT_EQ(tree.ComboSelection(1), 1);
    // Mode 1: OK waits for a function in the list.
    EXPECT_FALSE(tree.OkEnabled());
    tree.ChooseFunctionPosition(0);
    EXPECT_TRUE(tree.OkEnabled());
    tree.ChooseComboEntry(1, 2);
    dialog->finish(IDOK);
    EXPECT_EQ(dialog->ResultComboFunction(0), 1);
    EXPECT_EQ(dialog->ResultComboFunction(1), 3);
    EXPECT_EQ(dialog->ResultFunction(), 1);
}

TEST_F(BrowseModel, ComboFitsAndDefaults)
{
    FakeBrowseServers::functions = {
        {L"any", 0, 0, 0}, {L"ms+", 1, 1, 1}, {L"ms-", 1, 1, 2}, {L"msms+", 2, 2, 1}, {L"uv", 3, 0, 0}};
    struct Case {
        KSComboFilter filter;
        std::vector<LONG> data;  // function numbers listed
    };
    const std::vector<Case> cases = {
        {filter(L"all", 0), {1, 2, 3, 4, 5}},
        {filter(L"MS", 1), {1, 2, 3}},
        {filter(L"MS negative", 1, 0, 2), {1, 3}},
        {filter(L"order 2", 0, 2), {1, 4, 5}},
        {filter(L"positive", 0, 0, 1), {1, 2, 4, 5}},
    };
    std::vector<KSComboFilter> filters;
    for (const Case& c : cases)
        filters.push_back(c.filter);
    COpenDialogTree& tree = open(COpenDialog::ModeFunction, false, false, filters, L"C:\\data\\run1.ds");
    ASSERT_EQ(tree.ComboCount(), cases.size());
    for (size_t j = 0; j < cases.size(); ++j) {
        std::vector<LONG> listed;
        for (size_t k = 1; k < tree.ComboEntries(j).size(); ++k)
            listed.push_back(tree.ComboEntries(j)[k].data);
        EXPECT_EQ(listed, cases[j].data) << j;
    }
    // A default only where a function's type equals a non-zero filter
    // type; it selects the combo's first function entry.
    EXPECT_EQ(tree.ComboSelection(0), 0);
    EXPECT_EQ(tree.ComboSelection(1), 1);
    EXPECT_EQ(tree.ComboEntries(1)[1].data, 1);
    EXPECT_EQ(tree.ComboSelection(2), 1);
    EXPECT_EQ(tree.ComboSelection(3), 0);
    EXPECT_EQ(tree.ComboSelection(4), 0);
}

TEST_F(BrowseModel, WithoutAnyDefaultTheFirstComboWithFunctionsSelectsOne)
{
    FakeBrowseServers::functions = {{L"uv", 3, 0, 0}, {L"ms", 1, 1, 1}};
    COpenDialogTree& tree = open(COpenDialog::ModeFunction, false, false,
                                 {filter(L"MSn", 2, 2), filter(L"MS", 0, 1), filter(L"Any", 0)}, L"C:\\data\\run1.ds");
    EXPECT_EQ(tree.ComboEntries(0).size(), 1u);  // nothing fits
    EXPECT_EQ(tree.ComboSelection(0), 0);
    EXPECT_EQ(tree.ComboSelection(1), 1);
    EXPECT_EQ(tree.ComboSelection(2), 0);
    dialog->finish(IDOK);
    EXPECT_EQ(dialog->ResultComboFunction(0), 0);
    EXPECT_EQ(dialog->ResultComboFunction(1), 1);
    EXPECT_EQ(dialog->ResultComboFunction(2), 0);
}

TEST_F(BrowseModel, ThreeInjectionsNamedByTheDatasetAndTheSecondOpened)
{
    platform.addFile(L"C:\\data\\multi.ds3");
    platform.addFile(L"C:\\data\\bad.ds3");
    COpenDialogTree& tree = open(COpenDialog::ModeInjection, false, false, {}, L"C:\\data");
    KSBrowseNode* data = tree.Find({L"C:", L"data"});
    // bad.ds3 cannot be opened for its injection names: not shown.
    EXPECT_EQ(texts(data), (std::vector<std::wstring>{L"multi.ds3", L"run1.ds", L"sub"}));
    KSBrowseNode* multi = tree.Child(data, L"multi.ds3");
    EXPECT_EQ(multi->image, KS_IMAGE_MULTI_DATASET);
    EXPECT_TRUE(multi->hasButton);
    EXPECT_FALSE(tree.InNodeMap(multi));
    ASSERT_NE(tree.InjectionNames(multi), nullptr);
    EXPECT_EQ(*tree.InjectionNames(multi), (std::vector<std::wstring>{L"Zeta", L"Alpha", L"Mid"}));
    // The names were read through a server of the dialog's own, released
    // at once: the caller's pointers are untouched.
    EXPECT_EQ(server, nullptr);
    EXPECT_EQ(injection, nullptr);

    tree.Expand(multi);
    EXPECT_EQ(texts(multi), (std::vector<std::wstring>{L"Alpha", L"Mid", L"Zeta"}));
    for (const auto& child : multi->children) {
        EXPECT_EQ(child->image, KS_IMAGE_DATASET);
        EXPECT_FALSE(child->hasButton);
    }
    // The multi-injection node itself opens nothing.
    EXPECT_EQ(tree.Selected(), multi);
    EXPECT_FALSE(tree.OkEnabled());

    KSBrowseNode* second = tree.Child(multi, L"Alpha");
    EXPECT_EQ(tree.NodeInjection(second), 2);
    FakeBrowseServers::log.clear();
    tree.Select(second);
    EXPECT_EQ(FakeBrowseServers::log,
              (std::vector<std::wstring>{L"open C:\\data\\multi.ds3", L"injection C:\\data\\multi.ds3 2"}));
    ASSERT_NE(injection, nullptr);
    LONG index = 0;
    EXPECT_EQ(injection->get_Index(&index), S_OK);
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(tree.OkEnabled());
    EXPECT_TRUE(tree.TreeDoubleClicked(second));
    dialog->finish(IDOK);
    EXPECT_EQ(dialog->ResultPath(), L"C:\\data\\multi.ds3");
    EXPECT_EQ(dialog->ResultInjection(), 2);
}

TEST_F(BrowseModel, SelectingReleasesTheCallersObjectsAndOpensAgain)
{
    platform.addFile(L"C:\\data\\fail.ds");
    COpenDialogTree& tree = open(COpenDialog::ModeInjection, false, false, {}, L"C:\\data");
    KSBrowseNode* data = tree.Find({L"C:", L"data"});
    const int baseline = FakeBrowseServers::alive;

    tree.Select(tree.Child(data, L"run1.ds"));
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(FakeBrowseServers::alive, baseline + 1);
    EXPECT_EQ(tree.FunctionNames(), std::vector<std::wstring>{L"MS"});

    // A folder: OK off, lists emptied, the caller's objects stay.
    tree.Select(tree.Child(data, L"sub"));
    EXPECT_FALSE(tree.OkEnabled());
    EXPECT_TRUE(tree.FunctionNames().empty());
    EXPECT_NE(server, nullptr);

    // A dataset that cannot be opened: the previous objects are gone, the
    // lists stay empty, and in mode 0 OK is enabled all the same.
    tree.Select(tree.Child(data, L"fail.ds"));
    EXPECT_EQ(injection, nullptr);
    EXPECT_EQ(FakeBrowseServers::alive, baseline + 1);  // the new, failed server in the out pointer
    EXPECT_TRUE(tree.FunctionNames().empty());
    EXPECT_TRUE(tree.OkEnabled());
    dialog->finish(IDOK);
    EXPECT_EQ(dialog->ResultPath(), L"C:\\data\\fail.ds");
}

TEST_F(BrowseModel, FunctionModeListAndDoubleClick)
{
    FakeBrowseServers::functions = {{L"one", 1, 1, 1}, {L"broken", 1, 1, 1, true}, {L"three", 2, 2, 1}};
    COpenDialogTree& tree = open(COpenDialog::ModeFunction, false, false, {}, L"C:\\data\\run1.ds");
    // A function whose properties cannot be read is left out; the others
    // keep their numbers.
    EXPECT_EQ(tree.FunctionNames(), (std::vector<std::wstring>{L"one", L"three"}));
    EXPECT_FALSE(tree.OkEnabled());
    EXPECT_FALSE(tree.TreeDoubleClicked(tree.Selected()));
    tree.ChooseFunctionPosition(1);
    EXPECT_TRUE(tree.OkEnabled());
    tree.ChooseFunctionPosition(-1);
    EXPECT_FALSE(tree.OkEnabled());
    EXPECT_TRUE(tree.FunctionDoubleClicked(1));
    EXPECT_TRUE(dialog->accept());
    dialog->finish(IDOK);
    EXPECT_EQ(dialog->ResultFunction(), 3);
}

TEST_F(BrowseModel, TreeDoubleClickClosesOnlyInInjectionModeWithoutFilters)
{
    COpenDialogTree& tree = open(COpenDialog::ModeInjection, false, false, {}, L"C:\\data\\run1.ds");
    EXPECT_TRUE(tree.TreeDoubleClicked(tree.Selected()));
    EXPECT_FALSE(tree.TreeDoubleClicked(tree.Find({L"C:", L"data"})));
    EXPECT_FALSE(tree.FunctionDoubleClicked(0));  // the list is disabled in mode 0
    dialog->finish(IDCANCEL);
    releaseOut();

    COpenDialogTree& filtered =
        open(COpenDialog::ModeFunction, false, false, {filter(L"MS", 1)}, L"C:\\data\\run1.ds");
    EXPECT_FALSE(filtered.TreeDoubleClicked(filtered.Selected()));
}

TEST_F(BrowseModel, NetworkContainersSharesAndPaths)
{
    platform.network[L""] = {netResource(KS_RESOURCEDISPLAYTYPE_DOMAIN, L"", L"Workgroup"),
                             netResource(KS_RESOURCEDISPLAYTYPE_SERVER, L"\\\\ALPHA"),
                             // a display type without an image of its own
                             netResource(11, L"\\\\ODD")};
    platform.network[L"\\\\ALPHA"] = {netResource(KS_RESOURCEDISPLAYTYPE_SHARE, L"\\\\ALPHA\\zeta"),
                                      netResource(KS_RESOURCEDISPLAYTYPE_SHARE, L"\\\\ALPHA\\Data")};
    platform.addFolder(L"\\\\ALPHA\\Data");
    platform.addFolder(L"\\\\ALPHA\\Data\\runs");
    platform.addFile(L"\\\\ALPHA\\Data\\runs\\net.ds");

    COpenDialogTree& tree = open();
    KSBrowseNode* net = tree.NetworkRoot();
    tree.Expand(net);
    EXPECT_EQ(platform.calls.front(), L"net 5 ");
    // Containers are appended in enumeration order; the text is the remote
    // name without its leading backslashes, else the comment.
    EXPECT_EQ(texts(net), (std::vector<std::wstring>{L"Workgroup", L"ALPHA", L"ODD"}));
    EXPECT_EQ(net->children[0]->image, KS_IMAGE_NETWORK + 1);
    EXPECT_EQ(net->children[1]->image, KS_IMAGE_NETWORK + 2);
    EXPECT_EQ(net->children[2]->image, KS_IMAGE_NETWORK);
    ASSERT_TRUE(net->children[1]->net);
    EXPECT_EQ(net->children[1]->net->remoteName, L"\\\\ALPHA");

    KSBrowseNode* alpha = net->children[1].get();
    tree.Expand(alpha);
    EXPECT_EQ(platform.calls.back(), L"next 16384");
    EXPECT_NE(std::find(platform.calls.begin(), platform.calls.end(), L"net 2 \\\\ALPHA"), platform.calls.end());
    // Shares: the part after the server, sorted, folder images, no data.
    EXPECT_EQ(texts(alpha), (std::vector<std::wstring>{L"Data", L"zeta"}));
    KSBrowseNode* share = alpha->children[0].get();
    EXPECT_EQ(share->image, KS_IMAGE_FOLDER);
    EXPECT_EQ(share->selectedImage, KS_IMAGE_OPEN_FOLDER);
    EXPECT_FALSE(share->net);
    EXPECT_EQ(tree.NodePath(share), L"\\\\ALPHA\\Data\\");

    tree.Expand(share);
    KSBrowseNode* runs = tree.Child(share, L"runs");
    ASSERT_NE(runs, nullptr);
    EXPECT_EQ(tree.NodePath(runs), L"\\\\ALPHA\\Data\\runs\\");
    tree.Expand(runs);
    KSBrowseNode* ds = tree.Child(runs, L"net.ds");
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(tree.NodeDatasetPath(ds), L"\\\\ALPHA\\Data\\runs\\net.ds");
}

TEST_F(BrowseModel, NetworkEnumerationReadsBufferfulsUntilTheEndOrAnError)
{
    std::vector<KSNetResource> servers;
    for (int i = 0; i < 300; ++i)
        servers.push_back(netResource(KS_RESOURCEDISPLAYTYPE_SERVER, L"\\\\SRV" + std::to_wstring(1000 + i),
                                      std::wstring(40, L'x')));
    size_t perBuffer = 0;
    for (size_t used = 0; used + FakeBrowsePlatform::entryBytes(servers[0]) <= kKSNetworkBufferBytes; ++perBuffer)
        used += FakeBrowsePlatform::entryBytes(servers[0]);
    ASSERT_LT(perBuffer, servers.size());

    KSNetResource domain = netResource(KS_RESOURCEDISPLAYTYPE_DOMAIN, L"DOMAIN");
    KSNetResource broken = netResource(KS_RESOURCEDISPLAYTYPE_DOMAIN, L"BROKEN");
    KSNetResource closed = netResource(KS_RESOURCEDISPLAYTYPE_DOMAIN, L"CLOSED");
    platform.network[L""] = {domain, broken, closed};
    platform.network[L"DOMAIN"] = servers;
    platform.network[L"BROKEN"] = servers;
    platform.networkFailing.push_back(L"BROKEN");
    platform.networkUnopenable.push_back(L"CLOSED");

    COpenDialogTree& tree = open();
    tree.Expand(tree.NetworkRoot());
    KSBrowseNode* net = tree.NetworkRoot();
    tree.Expand(net->children[0].get());
    EXPECT_EQ(net->children[0]->children.size(), servers.size());
    // A nested container keeps its own copy of the record and is listed
    // by its remote name.
    KSBrowseNode* srv = net->children[0]->children[5].get();
    ASSERT_TRUE(srv->net);
    EXPECT_EQ(srv->net->remoteName, L"\\\\SRV1005");
    EXPECT_EQ(srv->text, L"SRV1005");
    EXPECT_EQ(tree.NodePath(srv), L"\\\\SRV1005\\");

    // An error after the first bufferful keeps what was read.
    tree.Expand(net->children[1].get());
    EXPECT_EQ(net->children[1]->children.size(), perBuffer);
    // An enumeration that cannot be opened adds nothing; the box goes.
    tree.Expand(net->children[2].get());
    EXPECT_TRUE(net->children[2]->children.empty());
    EXPECT_FALSE(net->children[2]->hasButton);
}

TEST_F(BrowseModel, ClosingIgnoresSelectionsAndDropsTheTree)
{
    COpenDialogTree& tree = open(COpenDialog::ModeInjection, false, false, {}, L"C:\\data");
    KSBrowseNode* run = tree.Find({L"C:", L"data", L"run1.ds"});
    tree.Select(run);
    dialog->finish(IDOK);
    EXPECT_TRUE(tree.Closing());
    EXPECT_TRUE(tree.Roots().empty());
    EXPECT_EQ(dialog->ResultPath(), L"C:\\data\\run1.ds");
    const size_t logged = FakeBrowseServers::log.size();
    tree.Select(nullptr);
    EXPECT_EQ(FakeBrowseServers::log.size(), logged);
}

TEST_F(BrowseModel, FunctionDialogListsNamesInOrderSkippingUnreadable)
{
    FakeBrowseServers::functions = {{L"one", 1, 1, 1}, {L"broken", 1, 1, 1, true}, {L"three", 2, 2, 1}};
    ASSERT_EQ(accessObject(access.get())->OpenInjection(ks::Bstr(L"C:\\data\\run1.ds"), 1, &server, &injection), S_OK);
    ks::ComPtr<IKSFunctions> functions;
    ASSERT_EQ(injection->get_Functions(&functions), S_OK);
    CFunctionDialog dlg(functions.get());
    EXPECT_EQ(dlg.title(), L"Select Function");
    dlg.initialize();
    EXPECT_EQ(dlg.Names(), (std::vector<std::wstring>{L"one", L"three"}));
    dlg.Select(1);
    dlg.finish(IDOK);
    EXPECT_EQ(dlg.ResultPosition(), 1);
}

}  // namespace
