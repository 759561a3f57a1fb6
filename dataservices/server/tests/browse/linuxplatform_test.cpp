// The Linux platform under the dataset dialog: drives from the mount
// table, start paths mapped to mount points, real folder listings.
#include "browsefakes.h"
#include "ksbrowsedialogs.h"
#include "kstest.h"
#include "opendialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QString>

#include <sys/stat.h>

namespace {

std::wstring wide(const std::string& s)
{
    return QString::fromStdString(s).toStdWString();
}

void makeDir(const std::string& path)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path))) << path;
}

TEST(BrowseLinuxPlatform, MountTableGivesDrivesAndTypes)
{
    const std::string table =
        "overlay / overlay rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /dev/shm tmpfs rw 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "/dev/sdb1 /run/media/ann/STICK vfat rw 0 0\n"
        "/dev/sdc1 /media/Camera exfat rw 0 0\n"
        "srv:/export /mnt/nas nfs4 rw 0 0\n"
        "//srv/share /mnt/win cifs rw 0 0\n"
        "/dev/sr0 /mnt/cdrom iso9660 ro 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "/dev/sda3 /mnt/with\\040space ext4 rw 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "garbage\n"
        "/dev/sda4 /Data xfs rw 0 0\n";
    const auto mounts = KSLinuxBrowsePlatform::ParseMountTable(table);
    std::vector<std::pair<std::wstring, UINT>> got;
    for (const auto& m : mounts)
        got.emplace_back(m.point, m.type);
    const std::vector<std::pair<std::wstring, UINT>> expected = {
        {L"/", KS_DRIVE_FIXED},
        {L"/Data", KS_DRIVE_FIXED},
        {L"/home", KS_DRIVE_FIXED},
        {L"/media/Camera", KS_DRIVE_REMOVABLE},
        {L"/mnt/cdrom", KS_DRIVE_CDROM},
        {L"/mnt/nas", KS_DRIVE_REMOTE},
        {L"/mnt/win", KS_DRIVE_REMOTE},
        {L"/mnt/with space", KS_DRIVE_FIXED},
        {L"/run/media/ann/STICK", KS_DRIVE_REMOVABLE},
        {L"/tmp", KS_DRIVE_RAMDISK},
    };
    EXPECT_EQ(got, expected);

    // "/" is there even when the table does not list it.
    const auto bare = KSLinuxBrowsePlatform::ParseMountTable("");
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].point, L"/");
}

TEST(BrowseLinuxPlatform, StartPathsMapToTheDeepestMountPoint)
{
    const std::string dir = ks::test::tempDir();
    makeDir(dir + "/home/user/data");
    makeDir(dir + "/homework");
    const std::string tableFile = dir + "/mounts";
    ks::test::writeFile(tableFile, "overlay / overlay rw 0 0\n/dev/sda2 " + dir + "/home ext4 rw 0 0\n"
                                   "/dev/sda9 " + dir + "/missing ext4 rw 0 0\n");
    KSLinuxBrowsePlatform platform(tableFile);
    const std::wstring d = wide(dir);

    // A mount point that is no folder here is no drive.
    EXPECT_EQ(platform.DriveRoots(), (std::vector<std::wstring>{L"/", d + L"/home"}));
    EXPECT_EQ(platform.DriveType(d + L"/home"), KS_DRIVE_FIXED);
    EXPECT_EQ(platform.DriveType(d + L"/missing"), KS_DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(platform.DriveText(d + L"/home"), d + L"/home");

    struct Case {
        std::wstring path;
        std::vector<std::wstring> parts;
    };
    const std::vector<Case> cases = {
        {d + L"/home/user/data/x.ds", {d + L"/home", L"user", L"data", L"x.ds"}},
        {d + L"/home", {d + L"/home"}},
        {d + L"/home/", {d + L"/home"}},
        // Backslashes count as separators too.
        {wide(QDir::toNativeSeparators(QString::fromStdString(dir)).toStdString()) + L"\\home\\user",
         {d + L"/home", L"user"}},
        // Only whole folder names match a mount point.
        {d + L"/homework/a", [&] {
             std::vector<std::wstring> p{L"/"};
             for (const std::wstring& part : KSSplitAtSeparators(d.substr(1)))
                 p.push_back(part);
             p.push_back(L"homework");
             p.push_back(L"a");
             return p;
         }()},
        {L"//var///log", {L"/", L"var", L"log"}},
        {L"/", {L"/"}},
        {L"relative/path", {L"relative", L"path"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform.SplitStartPath(c.path), c.parts) << QString::fromStdWString(c.path).toStdString();

    // No network on Linux.
    auto net = platform.OpenNetwork(KS_RESOURCE_CONTEXT, nullptr);
    std::vector<KSNetResource> entries;
    ASSERT_TRUE(net);
    EXPECT_EQ(net->Next(kKSNetworkBufferBytes, entries), static_cast<DWORD>(KS_NET_NO_MORE_ITEMS));
    EXPECT_TRUE(entries.empty());
}

TEST(BrowseLinuxPlatform, ListsFoldersWithDotEntriesAndFullPaths)
{
    const std::string dir = ks::test::tempDir() + "/list";
    makeDir(dir + "/Sub");
    makeDir(dir + "/.hidden");
    ks::test::writeFile(dir + "/b.ds", "x");
    ks::test::writeFile(dir + "/A.txt", "x");
    KSLinuxBrowsePlatform platform;
    std::vector<KSFolderEntry> entries;
    ASSERT_TRUE(platform.ListFolder(wide(dir) + L"/", entries));
    std::vector<std::wstring> names;
    for (const KSFolderEntry& e : entries) {
        names.push_back(e.name);
        EXPECT_EQ(e.path, wide(dir) + L"/" + e.name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L".hidden", L"A.txt", L"b.ds", L"Sub"}));
    EXPECT_TRUE(entries[5].folder);
    EXPECT_FALSE(entries[4].folder);
    EXPECT_FALSE(platform.ListFolder(wide(dir) + L"/b.ds/", entries));
    EXPECT_FALSE(platform.ListFolder(wide(dir) + L"/none/", entries));
}

class BrowseLinuxModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUpFakeProviders();
        access = newDataAccess();
        dir = ks::test::tempDir() + "/tree";
        makeDir(dir + "/data/sub");
        makeDir(dir + "/data/empty");
        ks::test::writeFile(dir + "/data/run.ds", "x");
        ks::test::writeFile(dir + "/data/sub/three.ds3", "x");
        ks::test::writeFile(dir + "/data/sub/notes.doc", "x");
    }
    void TearDown() override
    {
        dialog.reset();
        if (injection)
            injection->Release();
        if (server)
            server->Release();
        access.reset();
        tearDownFakeProviders();
    }
    COpenDialogTree& open(const std::wstring& start, bool smart)
    {
        dialog = std::make_unique<COpenDialog>(accessObject(access.get()), &server, &injection,
                                               COpenDialog::ModeInjection, smart, false, std::vector<KSComboFilter>{},
                                               start);
        dialog->initialize();
        return *dialog->Tree();
    }

    std::string dir;
    ks::ComPtr<IKSDataAccess> access;
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    std::unique_ptr<COpenDialog> dialog;
};

TEST_F(BrowseLinuxModel, WalkThroughAMountedFolder)
{
    const std::string tableFile = ks::test::tempDir() + "/mounts";
    ks::test::writeFile(tableFile, "overlay / overlay rw 0 0\ntmpfs " + dir + " tmpfs rw 0 0\n");
    KSLinuxBrowsePlatform platform(tableFile);
    ScopedBrowsePlatform scoped(platform);
    const std::wstring d = wide(dir);

    COpenDialogTree& tree = open(d + L"/data/run.ds", true);
    ASSERT_EQ(tree.Roots().size(), 3u);
    EXPECT_EQ(tree.Roots()[0]->text, L"/");
    EXPECT_EQ(tree.Roots()[1]->text, d);
    EXPECT_EQ(tree.Roots()[1]->image, KS_DRIVE_RAMDISK);
    EXPECT_EQ(tree.Roots()[2]->text, L"Network Neighborhood");
    EXPECT_FALSE(tree.Roots()[0]->expanded);

    KSBrowseNode* data = tree.Find({d, L"data"});
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->expanded);
    EXPECT_EQ(tree.NodePath(data), d + L"/data/");
    EXPECT_EQ(tree.NodePath(tree.Roots()[0].get()), L"/");
    // Smart boxes: "sub" holds a dataset, "empty" nothing.
    EXPECT_TRUE(tree.Child(data, L"sub")->hasButton);
    EXPECT_FALSE(tree.Child(data, L"empty")->hasButton);

    KSBrowseNode* run = tree.Child(data, L"run.ds");
    EXPECT_EQ(tree.Selected(), run);
    EXPECT_EQ(tree.NodeDatasetPath(run), d + L"/data/run.ds");
    EXPECT_TRUE(tree.OkEnabled());
    EXPECT_NE(injection, nullptr);

    KSBrowseNode* sub = tree.Child(data, L"sub");
    tree.Expand(sub);
    EXPECT_EQ(tree.Selected(), sub);
    KSBrowseNode* three = tree.Child(sub, L"three.ds3");
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(sub->children.size(), 1u);
    tree.Expand(three);
    ASSERT_EQ(three->children.size(), 3u);
    tree.Select(tree.Child(three, L"Mid"));
    EXPECT_EQ(tree.NodeInjection(tree.Selected()), 3);
    dialog->finish(IDOK);
    EXPECT_EQ(dialog->ResultPath(), d + L"/data/sub/three.ds3");
    EXPECT_EQ(dialog->ResultInjection(), 3);
}

TEST_F(BrowseLinuxModel, WalkFromTheRootFileSystem)
{
    const std::string tableFile = ks::test::tempDir() + "/mounts";
    ks::test::writeFile(tableFile, "overlay / overlay rw 0 0\n");
    KSLinuxBrowsePlatform platform(tableFile);
    ScopedBrowsePlatform scoped(platform);
    const std::wstring d = wide(dir);

    COpenDialogTree& tree = open(d + L"/data/sub", false);
    ASSERT_EQ(tree.Roots().size(), 2u);
    // "/" and every folder down to the remembered one are expanded.
    std::vector<std::wstring> path{L"/"};
    for (const std::wstring& part : KSSplitAtSeparators(d.substr(1)))
        path.push_back(part);
    path.push_back(L"data");
    path.push_back(L"sub");
    KSBrowseNode* sub = tree.Find(path);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->expanded);
    EXPECT_EQ(tree.Selected(), sub);
    EXPECT_EQ(tree.NodePath(sub), d + L"/data/sub/");
    ASSERT_EQ(sub->children.size(), 1u);
    EXPECT_EQ(sub->children[0]->text, L"three.ds3");
    EXPECT_EQ(sub->children[0]->image, KS_IMAGE_MULTI_DATASET);
    // Boxes not smart: "empty" has one until it is expanded.
    path.pop_back();
    path.push_back(L"empty");
    KSBrowseNode* emptyNode = tree.Find(path);
    ASSERT_NE(emptyNode, nullptr);
    EXPECT_TRUE(emptyNode->hasButton);
    tree.Expand(emptyNode);
    EXPECT_FALSE(emptyNode->hasButton);
}

}  // namespace
