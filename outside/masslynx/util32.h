// UTIL32: the utility library of the MassLynx installation, of which the
// system uses one function, the data browser: the user picks a raw
// directory, one of its functions and, unless only a dataset is browsed, a
// scan. The stand-in is a shared library of that name (UTIL32.so, no
// registration) that the MassLynx provider links at load time; its browser
// is a dialog model of its own (CMassLynxDataBrowser), run through the
// platform's dialog service, so tests answer it with the scripted runner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ksdialogs.h"
#include "kstypes.h"

#define UTIL32_API __attribute__((visibility("default")))

// The browse record, 788 bytes. Texts are 8-bit in the system's code page,
// which here is the file system's (UTF-8 bytes as the names are written),
// each NUL-terminated within its field.
struct BroFileRecord {
    char reserved[2];     // not used
    char folder[260];     // folder of the raw directory, ending in a separator
    char name[256];       // name of the raw directory without its extension
    char extension[266];  // the extension, without the dot
    uint16_t function;    // from 1
    uint16_t scan;        // from 1; 0 when no scan was chosen
};
static_assert(sizeof(BroFileRecord) == 788, "the browse record is 788 bytes");
static_assert(offsetof(BroFileRecord, folder) == 2 && offsetof(BroFileRecord, name) == 262 &&
                  offsetof(BroFileRecord, extension) == 518 && offsetof(BroFileRecord, function) == 784 &&
                  offsetof(BroFileRecord, scan) == 786,
              "browse record layout");

// Flags bit: a raw directory and a function are browsed, no scan.
inline constexpr DWORD kBroDatasetOnly = 256;

// The data browser. owner: the parent window (not used here); record:
// folder and name preset the choice (read only within their fields);
// flags: kBroDatasetOnly or 0 (read, not changed); title: the dialog's
// title (8-bit, NUL-terminated; null for none). Answers 1 when the user
// confirmed a choice, which the record then holds (folder, name, extension,
// function, scan; the other bytes of those fields 0); 0 when cancelled or
// when the choice does not fit the record, with the name emptied. A null
// record or flags pointer answers 0 and touches nothing.
extern "C" UTIL32_API LONG BroFileOpen(void* owner, BroFileRecord* record, DWORD* flags, const char* title);

class CMassLynxDataBrowserObserver {
public:
    virtual ~CMassLynxDataBrowserObserver() = default;
    // Something the view shows changed.
    virtual void ModelChanged() = 0;
};

// The browser's rules, without widgets. Names and folders are UTF-8 (the
// file system's bytes). A raw directory is a folder whose name ends in
// ".raw" (any case) and does not start with "."; its functions come from
// the stand-in's manifest (outside/masslynx/README.md).
class UTIL32_API CMassLynxDataBrowser : public ks::dialogs::DialogModel {
public:
    // The choice starts in `folder` (the current folder when it is empty
    // or no folder) with the raw directory whose name without extension is
    // `name` selected, when there is one.
    CMassLynxDataBrowser(std::wstring title, std::string folder, std::string name, bool datasetOnly);
    ~CMassLynxDataBrowser() override;

    std::wstring title() const override;
    void initialize() override;
    // OK: refused with a message box (and the dialog stays open) without
    // a raw directory, without a readable function, or with a scan that
    // the function does not have.
    bool accept() override;
    void finish(INT result) override;
    QDialog* createView(QWidget* parent) override;
    void SetObserver(CMassLynxDataBrowserObserver* observer) { m_observer = observer; }

    bool DatasetOnly() const { return m_bDatasetOnly; }

    // The folder shown, without a trailing separator.
    const std::string& Folder() const { return m_Folder; }
    // Shows another folder (nothing selected); false when it is no folder.
    bool SetFolder(const std::string& folder);
    // To the folder above; false at the top.
    bool Up();
    // The raw directories of the folder, sorted without regard to case.
    const std::vector<std::string>& RawDirectories() const { return m_Raws; }
    int RawSelection() const { return m_nRaw; }
    // -1 selects none. The first function is selected, no scan.
    void SelectRaw(int index);
    // The raw directory with this name, with or without its extension,
    // without regard to case; false when there is none.
    bool SelectRawNamed(const std::string& name);

    // The functions of the selected raw directory ("Function 1: Scan,
    // 10 scans"); empty when its manifest cannot be read.
    const std::vector<std::wstring>& Functions() const { return m_FunctionTexts; }
    // The selected function, from 1; 0 for none.
    LONG Function() const { return m_nFunction; }
    void SelectFunction(LONG function);
    // Scans of the selected function.
    LONG ScanCount() const;
    // The chosen scan, from 1; 0 for none (always 0 when only a dataset is
    // browsed).
    LONG Scan() const { return m_nScan; }
    void SetScan(LONG scan);

    // After OK: what the record receives. Folder with a trailing "/",
    // name without extension, extension without the dot.
    bool Chosen() const { return m_bChosen; }
    const std::string& ChosenFolder() const { return m_ChosenFolder; }
    const std::string& ChosenName() const { return m_ChosenName; }
    const std::string& ChosenExtension() const { return m_ChosenExtension; }

private:
    void ListFolder();
    void ReadFunctions();
    void Refuse(const std::wstring& text);
    void Notify();

    std::wstring m_Title;
    bool m_bDatasetOnly;
    std::string m_PresetFolder;
    std::string m_PresetName;
    CMassLynxDataBrowserObserver* m_observer = nullptr;

    std::string m_Folder;
    std::vector<std::string> m_Raws;
    int m_nRaw = -1;
    std::vector<std::wstring> m_FunctionTexts;
    std::vector<LONG> m_ScanCounts;
    LONG m_nFunction = 0;
    LONG m_nScan = 0;

    bool m_bChosen = false;
    std::string m_ChosenFolder;
    std::string m_ChosenName;
    std::string m_ChosenExtension;
};
