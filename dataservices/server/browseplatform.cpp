#include "browseplatform.h"
#include "ksfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Mount-table fields escape blanks, tabs, newlines and backslashes as
// three octal digits.
std::string unescapeMountField(const std::string& s)
{
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() &&
            std::all_of(s.begin() + i + 1, s.begin() + i + 4, [](char c) { return c >= '0' && c <= '7'; })) {
            r += static_cast<char>(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) | (s[i + 3] - '0'));
            i += 3;
        } else {
            r += s[i];
        }
    }
    return r;
}

std::wstring wideFromUtf8(const std::string& s)
{
    return QString::fromStdString(s).toStdWString();
}

bool startsWithFolder(const std::string& path, const std::string& folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

// File systems that hold no user files.
const std::set<std::string> kPseudoFileSystems = {
    "proc",    "sysfs",      "devpts",    "devtmpfs",   "cgroup",  "cgroup2",   "mqueue",   "securityfs",
    "debugfs", "tracefs",    "pstore",    "bpf",        "configfs", "fusectl",  "hugetlbfs", "autofs",
    "binfmt_misc", "efivarfs", "nsfs",    "rpc_pipefs", "selinuxfs", "nfsd",
};

const std::set<std::string> kNetworkFileSystems = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs", "davfs", "fuse.sshfs",
    "sshfs", "fuse.davfs2", "fuse.rclone", "lustre",
};

const std::set<std::string> kOpticalFileSystems = {"iso9660", "udf"};
const std::set<std::string> kRamFileSystems = {"tmpfs", "ramfs"};

// Whether the block device behind a mount reports itself as removable.
bool deviceRemovable(const std::string& device)
{
    if (device.compare(0, 5, "/dev/") != 0)
        return false;
    const std::string name = device.substr(device.rfind('/') + 1);
    for (const std::string& file :
         {"/sys/class/block/" + name + "/removable", "/sys/class/block/" + name + "/../removable"}) {
        std::ifstream in(file);
        int value = 0;
        if (in >> value)
            return value == 1;
    }
    return false;
}

struct ParsedMount {
    std::string device;
    std::string point;
    std::string type;
};

std::vector<ParsedMount> parseLines(const std::string& text)
{
    std::vector<ParsedMount> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ParsedMount m;
        if (!(fields >> m.device >> m.point >> m.type))
            continue;
        m.device = unescapeMountField(m.device);
        m.point = unescapeMountField(m.point);
        if (m.point.empty() || m.point[0] != '/')
            continue;
        out.push_back(m);
    }
    return out;
}

bool hiddenMount(const ParsedMount& m)
{
    if (kPseudoFileSystems.count(m.type))
        return true;
    if (m.point == "/")
        return false;
    for (const char* system : {"/proc", "/sys", "/dev"})
        if (startsWithFolder(m.point, system))
            return true;
    if (startsWithFolder(m.point, "/run") && !startsWithFolder(m.point, "/run/media"))
        return true;
    return false;
}

UINT mountType(const ParsedMount& m)
{
    if (kNetworkFileSystems.count(m.type))
        return KS_DRIVE_REMOTE;
    if (kOpticalFileSystems.count(m.type))
        return KS_DRIVE_CDROM;
    if (kRamFileSystems.count(m.type))
        return KS_DRIVE_RAMDISK;
    if (startsWithFolder(m.point, "/media") || startsWithFolder(m.point, "/run/media"))
        return KS_DRIVE_REMOVABLE;
    return KS_DRIVE_FIXED;
}

class NoNetwork : public KSNetEnumeration {
public:
    DWORD Next(size_t, std::vector<KSNetResource>&) override { return KS_NET_NO_MORE_ITEMS; }
};

KSBrowsePlatform* g_platform = nullptr;

}  // namespace

std::vector<std::wstring> KSSplitAtSeparators(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    std::wstring part;
    for (wchar_t c : path) {
        if (isSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

KSLinuxBrowsePlatform::KSLinuxBrowsePlatform(std::string mountTable) : m_mountTable(std::move(mountTable)) {}

std::vector<KSLinuxBrowsePlatform::Mount> KSLinuxBrowsePlatform::ParseMountTable(const std::string& text)
{
    // A later mount over the same point hides the earlier one.
    std::vector<Mount> mounts;
    bool haveRoot = false;
    for (const ParsedMount& m : parseLines(text)) {
        const std::wstring point = wideFromUtf8(m.point);
        mounts.erase(std::remove_if(mounts.begin(), mounts.end(), [&](const Mount& x) { return x.point == point; }),
                     mounts.end());
        if (hiddenMount(m))
            continue;
        Mount mount;
        mount.point = point;
        mount.type = mountType(m);
        if (mount.type == KS_DRIVE_FIXED && deviceRemovable(m.device))
            mount.type = KS_DRIVE_REMOVABLE;
        if (m.point == "/")
            haveRoot = true;
        mounts.push_back(mount);
    }
    if (!haveRoot) {
        // "/" is always there, even when the table does not say how.
        Mount root;
        root.point = L"/";
        mounts.push_back(root);
    }
    std::stable_sort(mounts.begin(), mounts.end(), [](const Mount& a, const Mount& b) {
        if (a.point == L"/" || b.point == L"/")
            return a.point == L"/" && b.point != L"/";
        return ks::compareNoCase(a.point, b.point) < 0;
    });
    return mounts;
}

const std::vector<KSLinuxBrowsePlatform::Mount>& KSLinuxBrowsePlatform::Mounts()
{
    if (!m_loaded) {
        std::ifstream in(m_mountTable);
        std::stringstream text;
        text << in.rdbuf();
        m_mounts = ParseMountTable(text.str());
        // A mount point that is no folder (a file bound into a container)
        // cannot be browsed.
        m_mounts.erase(std::remove_if(m_mounts.begin(), m_mounts.end(),
                                      [](const Mount& m) {
                                          return !QFileInfo(QString::fromStdWString(m.point)).isDir();
                                      }),
                       m_mounts.end());
        m_loaded = true;
    }
    return m_mounts;
}

std::vector<std::wstring> KSLinuxBrowsePlatform::DriveRoots()
{
    // Asked once as each dialog starts: read the table again, media come
    // and go.
    m_loaded = false;
    std::vector<std::wstring> roots;
    for (const Mount& m : Mounts())
        roots.push_back(m.point);
    return roots;
}

UINT KSLinuxBrowsePlatform::DriveType(const std::wstring& root)
{
    for (const Mount& m : Mounts())
        if (m.point == root)
            return m.type;
    return KS_DRIVE_NO_ROOT_DIR;
}

std::wstring KSLinuxBrowsePlatform::DriveText(const std::wstring& root)
{
    return root;
}

std::unique_ptr<KSNetEnumeration> KSLinuxBrowsePlatform::OpenNetwork(DWORD, const KSNetResource*)
{
    return std::make_unique<NoNetwork>();
}

bool KSLinuxBrowsePlatform::ListFolder(const std::wstring& folderPath, std::vector<KSFolderEntry>& entries)
{
    entries.clear();
    const std::string folder = QString::fromStdWString(folderPath).toStdString();
    if (!ks::isFolder(folder) || ::access(folder.c_str(), R_OK | X_OK) != 0)
        return false;
    std::wstring prefix = folderPath;
    if (prefix.empty() || !isSeparator(prefix.back()))
        prefix += L'/';
    const std::string slash = folder.empty() || folder.back() != '/' ? "/" : "";
    // "." and ".." first, as the platform's folder listings have them (the
    // dialogs skip them), then the names sorted without regard to case.
    std::vector<std::string> names{".", ".."};
    for (std::string& name : ks::listFolderNoCase(folder))
        names.push_back(std::move(name));
    for (const std::string& name : names) {
        KSFolderEntry e;
        e.name = wideFromUtf8(name);
        e.path = prefix + e.name;
        e.folder = ks::isFolder(folder + slash + name);
        entries.push_back(std::move(e));
    }
    return true;
}

std::vector<std::wstring> KSLinuxBrowsePlatform::SplitStartPath(const std::wstring& path)
{
    std::wstring p(path);
    std::replace(p.begin(), p.end(), L'\\', L'/');
    if (p.empty() || p[0] != L'/')
        return KSSplitAtSeparators(p);

    // An absolute path starts at the drive of the deepest mount point
    // that holds it; the rest is walked folder by folder.
    std::wstring best = L"/";
    for (const std::wstring& root : DriveRoots()) {
        const UINT type = DriveType(root);
        if (type < KS_DRIVE_REMOVABLE || type > KS_DRIVE_RAMDISK)
            continue;
        const bool holds = p == root || root == L"/" ||
                           (p.size() > root.size() && p.compare(0, root.size(), root) == 0 && p[root.size()] == L'/');
        if (holds && root.size() > best.size())
            best = root;
    }
    std::vector<std::wstring> parts{best};
    for (const std::wstring& part : KSSplitAtSeparators(p.substr(std::min(best.size(), p.size()))))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

KSBrowsePlatform& KSCurrentBrowsePlatform()
{
    if (g_platform)
        return *g_platform;
    static KSLinuxBrowsePlatform linuxPlatform;
    return linuxPlatform;
}

KSBrowsePlatform* KSSetBrowsePlatform(KSBrowsePlatform* platform)
{
    KSBrowsePlatform* previous = g_platform;
    g_platform = platform;
    return previous;
}
