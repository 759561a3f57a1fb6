// The "Select Bruker Dataset" dialog as a model for the platform's dialog
// service: a folder list (folders only) in which the user walks to a
// dataset folder, the experiments of the selected folder that have a
// processing, the processings of the selected experiment with their
// descriptions and, in spectrum mode, the scan number. Every rule lives
// here; the Qt view (brukerbrowseview.h) mirrors it.
//
// "Open" (the model's accept) ends the dialog with an XMASS data-source
// string and, in spectrum mode, the scan number as text; without a
// dataset it shows "<folder> is not a valid Bruker dataset" or "Nothing
// has been selected" and the dialog stays open. The dialog's OK button is
// "Browse": it walks into the selected folder.
#pragma once

#include <string>
#include <vector>

#include "bruker.h"
#include "ksdialogs.h"

class CBrukerInputDialogObserver {
public:
    virtual ~CBrukerInputDialogObserver() = default;
    // Something the view shows changed.
    virtual void ModelChanged() = 0;
};

class CBrukerInputDialog : public ks::dialogs::DialogModel {
public:
    // The dialog starts in the folder of initialPath: the text before its
    // last separator (the whole path without one; none when the separator
    // is its first character), or the current folder when that is no
    // folder.
    CBrukerInputDialog(bool spectrumMode, const std::wstring& initialPath);
    ~CBrukerInputDialog() override;

    std::wstring title() const override;  // "Select Bruker Dataset"
    void initialize() override;
    // "Open".
    bool accept() override;
    QDialog* createView(QWidget* parent) override;
    void SetObserver(CBrukerInputDialogObserver* observer) { m_observer = observer; }

    bool SpectrumMode() const { return m_bSpectrumMode; }
    const std::wstring& InitialFolder() const { return m_InitialFolder; }

    // The folder list: the sub-folders of the current folder (not hidden
    // ones), sorted without regard to case; -1 for no selection.
    const std::wstring& CurrentFolder() const { return m_CurrentFolder; }
    const std::vector<std::wstring>& Entries() const { return m_Entries; }
    int EntrySelection() const { return m_nEntry; }
    // Shows another folder (nothing selected); false when it is no folder.
    virtual bool SetFolder(const std::wstring& folder);
    // "Browse": into the selected folder. "Up": to the parent folder.
    virtual bool Browse();
    virtual bool Up();
    // The selection in the folder list changed (-1: none).
    virtual void SelectEntry(int index);
    // The entry with this name; false when there is none.
    bool SelectEntryNamed(const std::wstring& name);

    // The child area.
    const std::wstring& PathText() const { return m_PathText; }
    bool OpenEnabled() const { return m_bOpenEnabled; }
    const std::vector<std::wstring>& Experiments() const { return m_ExperimentTexts; }
    int ExperimentSelection() const { return m_nExperiment; }
    bool ExperimentListEnabled() const { return m_bExperimentsEnabled; }
    virtual void SelectExperiment(int index);
    const std::vector<std::wstring>& Processings() const { return m_Processings; }
    int ProcessingSelection() const { return m_nProcessing; }
    bool ProcessingListEnabled() const { return m_bProcessingsEnabled; }
    virtual void SelectProcessing(int index);
    const std::wstring& Description() const { return m_Description; }

    // Spectrum mode: the scan number (as typed), its range and the number
    // of scans of the selected experiment.
    const std::wstring& ScanText() const { return m_ScanText; }
    virtual void SetScanText(const std::wstring& text);
    LONG ScanMinimum() const { return m_nScanMin; }
    LONG ScanMaximum() const { return m_nScanMax; }
    LONG ScanCount() const { return m_nScanCount; }
    bool ScanEnabled() const { return m_bScanEnabled; }

    // An experiment with a processing is selected.
    bool Ready() const { return m_bReady; }
    const std::wstring& DatasetFolder() const { return m_DatasetFolder; }
    const std::wstring& Experiment() const { return m_Experiment; }
    const std::wstring& Procno() const { return m_Procno; }

    // Set by "Open".
    const std::wstring& ResultDataSource() const { return m_ResultDataSource; }
    const std::wstring& ResultScanText() const { return m_ResultScanText; }

private:
    void Reset();
    void ClearChoice();
    void ListEntries();
    void Notify();

    bool m_bSpectrumMode;
    std::wstring m_InitialFolder;
    CBrukerInputDialogObserver* m_observer = nullptr;

    std::wstring m_CurrentFolder;
    std::vector<std::wstring> m_Entries;
    int m_nEntry = -1;

    std::wstring m_DatasetFolder;
    std::vector<std::wstring> m_ExperimentNames;
    std::vector<std::wstring> m_ExperimentTexts;
    int m_nExperiment = -1;
    std::vector<std::wstring> m_Processings;
    int m_nProcessing = -1;
    std::wstring m_Experiment;
    std::wstring m_Procno;
    std::wstring m_Description;
    std::wstring m_PathText;
    CBruker m_Acquisition;
    CBruker m_Processing;

    bool m_bReady = false;
    bool m_bOpenEnabled = false;
    bool m_bExperimentsEnabled = false;
    bool m_bProcessingsEnabled = false;
    bool m_bScanEnabled = false;
    std::wstring m_ScanText = L"1";
    LONG m_nScanMin = 1;
    LONG m_nScanMax = 1;
    LONG m_nScanCount = 1;

    std::wstring m_ResultDataSource;
    std::wstring m_ResultScanText;
};

// The two browse operations of the provider.
class CBrukerBrowse {
public:
    // True with the data source and the scan number as text when the user
    // confirmed an experiment, a processing and a scan.
    bool BrowseSpectrum(const std::wstring& initialPath, std::wstring& dataSource, std::wstring& scanText);
    // True with the data source when the user confirmed an experiment and
    // a processing.
    bool BrowseDataset(const std::wstring& initialPath, std::wstring& dataSource);
};
