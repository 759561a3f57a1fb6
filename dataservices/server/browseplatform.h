// What the dataset dialog needs of the operating system: the drives, the
// network places below "Network Neighborhood", folder listings and the way
// folder paths are put together.
//
// The dialog's rules are written for drive letters and UNC network paths;
// a fake platform in the tests presents exactly those. On Linux
// (KSLinuxBrowsePlatform) the drives are "/" and the mounted file systems,
// named by their mount point, there is no network to enumerate, and paths
// are built with "/" (see README.md, "Browse dialogs").
#pragma once

#include "kstypes.h"

#include <memory>
#include <string>
#include <vector>

// Drive types as the platform reports them; only 2 to 6 are shown.
enum : UINT {
    KS_DRIVE_UNKNOWN = 0,
    KS_DRIVE_NO_ROOT_DIR = 1,
    KS_DRIVE_REMOVABLE = 2,
    KS_DRIVE_FIXED = 3,
    KS_DRIVE_REMOTE = 4,
    KS_DRIVE_CDROM = 5,
    KS_DRIVE_RAMDISK = 6,
};

// Display types of network resources.
enum : DWORD {
    KS_RESOURCEDISPLAYTYPE_GENERIC = 0,
    KS_RESOURCEDISPLAYTYPE_DOMAIN = 1,
    KS_RESOURCEDISPLAYTYPE_SERVER = 2,
    KS_RESOURCEDISPLAYTYPE_SHARE = 3,
    KS_RESOURCEDISPLAYTYPE_FILE = 4,
    KS_RESOURCEDISPLAYTYPE_GROUP = 5,
    KS_RESOURCEDISPLAYTYPE_NETWORK = 6,
    KS_RESOURCEDISPLAYTYPE_ROOT = 7,
};

// Enumeration scope, resource type and usage used by the dialog.
enum : DWORD {
    KS_RESOURCE_GLOBALNET = 2,     // scope: the whole network
    KS_RESOURCE_CONTEXT = 5,       // scope: the network of the current context
    KS_RESOURCETYPE_ANY = 0,       // every resource type
    KS_RESOURCEUSAGE_ALL = 0x13,   // connectable, container and attached
};

// Results of a network enumeration step.
enum : DWORD {
    KS_NET_NO_ERROR = 0,
    KS_NET_NO_MORE_ITEMS = 259,
};

// One network resource: what the platform reports and what the dialog
// keeps (a copy) as the data of a network container node.
struct KSNetResource {
    DWORD scope = 0;
    DWORD type = 0;
    DWORD displayType = 0;
    DWORD usage = 0;
    std::wstring localName;
    std::wstring remoteName;
    std::wstring comment;
    std::wstring provider;
};

// An open enumeration of network resources.
class KSNetEnumeration {
public:
    virtual ~KSNetEnumeration() = default;
    // Appends as many entries as fit in a buffer of bufferBytes bytes (at
    // least one). Answers KS_NET_NO_ERROR when entries were read,
    // KS_NET_NO_MORE_ITEMS at the end, anything else for an error.
    virtual DWORD Next(size_t bufferBytes, std::vector<KSNetResource>& entries) = 0;
};

// One entry of a folder listing.
struct KSFolderEntry {
    std::wstring name;  // as listed, "." and ".." included
    std::wstring path;  // the folder's path followed by the name
    bool folder = false;
};

class KSBrowsePlatform {
public:
    virtual ~KSBrowsePlatform() = default;

    // The roots the dialog asks about, in order ("A:\" to "Z:\"; on Linux
    // "/" and the mount points, read afresh at each call).
    virtual std::vector<std::wstring> DriveRoots() = 0;
    // The type of a root (KS_DRIVE_*).
    virtual UINT DriveType(const std::wstring& root) = 0;
    // The text of a root's node ("C:"; on Linux the mount point).
    virtual std::wstring DriveText(const std::wstring& root) = 0;

    // Opens an enumeration of the network in the current context (null
    // container) or of the resources below a container, asking for every
    // resource type and usage. Null when it cannot be opened.
    virtual std::unique_ptr<KSNetEnumeration> OpenNetwork(DWORD scope, const KSNetResource* container) = 0;

    // Lists a folder given by its path (ending with the separator). False
    // when it cannot be listed.
    virtual bool ListFolder(const std::wstring& folderPath, std::vector<KSFolderEntry>& entries) = 0;

    // The separator the node paths are built with.
    virtual wchar_t Separator() const = 0;

    // Splits a starting path into the texts of the nodes to walk through.
    // An empty first part stands for "Network Neighborhood".
    virtual std::vector<std::wstring> SplitStartPath(const std::wstring& path) = 0;
};

// Drive letters and UNC paths split at "\" (and "/").
std::vector<std::wstring> KSSplitAtSeparators(const std::wstring& path);

// Linux: "/" and the mounted file systems, no network, "/" paths.
class KSLinuxBrowsePlatform : public KSBrowsePlatform {
public:
    // Mount table to read (the process's own by default).
    explicit KSLinuxBrowsePlatform(std::string mountTable = "/proc/self/mounts");

    std::vector<std::wstring> DriveRoots() override;
    UINT DriveType(const std::wstring& root) override;
    std::wstring DriveText(const std::wstring& root) override;
    std::unique_ptr<KSNetEnumeration> OpenNetwork(DWORD scope, const KSNetResource* container) override;
    bool ListFolder(const std::wstring& folderPath, std::vector<KSFolderEntry>& entries) override;
    wchar_t Separator() const override { return L'/'; }
    std::vector<std::wstring> SplitStartPath(const std::wstring& path) override;

    struct Mount {
        std::wstring point;
        UINT type = KS_DRIVE_FIXED;
    };
    // The drives of a mount table's text, "/" first, then the other mount
    // points in case-insensitive order; pseudo file systems and the
    // system's own trees (/proc, /sys, /dev, /run except /run/media) are
    // left out.
    static std::vector<Mount> ParseMountTable(const std::string& text);

private:
    const std::vector<Mount>& Mounts();

    std::string m_mountTable;
    std::vector<Mount> m_mounts;
    bool m_loaded = false;
};

// The platform the dialogs use: the Linux one unless a test installed
// another. Returns the one installed before.
KSBrowsePlatform& KSCurrentBrowsePlatform();
KSBrowsePlatform* KSSetBrowsePlatform(KSBrowsePlatform* platform);
