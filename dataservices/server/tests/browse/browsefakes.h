// Fakes for the browse-dialog tests.
//
// FakeBrowsePlatform: drive letters with types, folders and files given
// by their full paths ("C:\data\run.ds"), and a network of containers and
// shares, so the dialog's rules are tested as they are written for drive
// letters and UNC paths.
//
// The fake data server (class kFakeBrowseServerClsid, linked into the test
// and registered in the process's class table, with a provider key naming
// it) decides by the file name alone:
//   "*.ds"   a dataset with one injection
//   "*.ds3"  a dataset with three injections named "Zeta", "Alpha", "Mid"
//   "*.txt"  a dataset with one injection (as the text provider would)
//   "bad.ds3", "fail.ds"  datasets that cannot be opened
// Every injection lists the functions of FakeBrowseServers::functions.
#pragma once

#include "browseplatform.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksdataaccess.h"

#include <map>
#include <string>
#include <vector>

struct FakeFunctionSpec {
    std::wstring name;
    LONG type = 0;
    LONG order = 0;
    LONG polarity = 0;
    bool fails = false;  // reading its properties fails
};

// Process-wide state of the fake data servers.
struct FakeBrowseServers {
    static std::vector<FakeFunctionSpec> functions;
    // "open <path>" and "injection <path> <n>" in call order.
    static std::vector<std::wstring> log;
    // Servers alive now.
    static int alive;
    static void reset();
};

// The class identifier of the fake data server.
extern const CLSID kFakeBrowseServerClsid;

// Registers the program's own classes (provider server, dataset access,
// fake data server) in the class table and writes one provider key that
// names the fake data server. Call once per test (fresh registry).
void setUpFakeProviders();
void tearDownFakeProviders();
// Only the fake data server goes into the class table (and the provider
// key is written): the dataset access then comes from the registered
// component. Returns the registration's cookie.
DWORD setUpFakeServerOnly();

// A new dataset access (its probing list holds the fake data server).
ks::ComPtr<IKSDataAccess> newDataAccess();
CKSDataAccess* accessObject(IKSDataAccess* access);

class FakeBrowsePlatform : public KSBrowsePlatform {
public:
    // Drive types by letter (others answer KS_DRIVE_NO_ROOT_DIR).
    std::map<wchar_t, UINT> drives;
    // Every folder and file by full path (case-insensitive lookups).
    void addFolder(const std::wstring& path);
    void addFile(const std::wstring& path);
    // Folders whose listing fails.
    std::vector<std::wstring> unreadable;
    // Network: entries of the current context (key "") and of containers
    // (key: remote name); containers whose enumeration cannot be opened or
    // fails after its first batch.
    std::map<std::wstring, std::vector<KSNetResource>> network;
    std::vector<std::wstring> networkUnopenable;
    std::vector<std::wstring> networkFailing;
    // What was asked, in order: "list <path>", "net <scope> <remote>",
    // "next <bytes>".
    std::vector<std::wstring> calls;

    std::vector<std::wstring> DriveRoots() override;
    UINT DriveType(const std::wstring& root) override;
    std::wstring DriveText(const std::wstring& root) override;
    std::unique_ptr<KSNetEnumeration> OpenNetwork(DWORD scope, const KSNetResource* container) override;
    bool ListFolder(const std::wstring& folderPath, std::vector<KSFolderEntry>& entries) override;
    wchar_t Separator() const override { return L'\\'; }
    std::vector<std::wstring> SplitStartPath(const std::wstring& path) override;

    // Bytes one entry takes in an enumeration buffer.
    static size_t entryBytes(const KSNetResource& r);

private:
    struct Entry {
        std::wstring path;
        bool folder;
    };
    std::vector<Entry> m_entries;
};

KSNetResource netResource(DWORD displayType, const std::wstring& remoteName, const std::wstring& comment = {});

// Installs a platform for the dialogs for the lifetime of the object.
class ScopedBrowsePlatform {
public:
    explicit ScopedBrowsePlatform(KSBrowsePlatform& platform) : m_previous(KSSetBrowsePlatform(&platform)) {}
    ~ScopedBrowsePlatform() { KSSetBrowsePlatform(m_previous); }

private:
    KSBrowsePlatform* m_previous;
};
