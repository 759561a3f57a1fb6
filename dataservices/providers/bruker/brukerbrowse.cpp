#include "brukerbrowse.h"

#include <unistd.h>

#include "brukerdataio.h"
#include "brukerlayout.h"
#include "ksfiles.h"
#include "ksfilestat.h"
#include "kshive.h"
#include "kstextutil.h"

namespace {

const wchar_t kTitle[] = L"Select Bruker Dataset";
const wchar_t kNotADataset[] = L"<%ls> is not a valid Bruker dataset";
const wchar_t kNothingSelected[] = L"Nothing has been selected";
// The framework's own prompts for a number field.
const wchar_t kNotAnInteger[] = L"Please enter an integer.";
const wchar_t kIntegerRange[] = L"Please enter an integer between %d and %d.";

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring currentFolder()
{
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? ks::reg::wideFromUtf8(buffer) : std::wstring(L"/");
}

std::wstring joined(const std::wstring& folder, const std::wstring& name)
{
    std::wstring path = folder;
    return JoinPath(path, name);
}

}  // namespace

CBrukerInputDialog::CBrukerInputDialog(bool spectrumMode, const std::wstring& initialPath)
    : m_bSpectrumMode(spectrumMode)
{
    if (initialPath.empty())
        return;
    size_t separator = initialPath.size();
    while (separator > 0 && !isSeparator(initialPath[separator - 1]))
        --separator;
    if (separator == 0)
        m_InitialFolder = initialPath;
    else if (separator > 1)
        m_InitialFolder = initialPath.substr(0, separator - 1);
}

CBrukerInputDialog::~CBrukerInputDialog() = default;

std::wstring CBrukerInputDialog::title() const
{
    return kTitle;
}

void CBrukerInputDialog::initialize()
{
    if (m_InitialFolder.empty() || !SetFolder(m_InitialFolder))
        SetFolder(currentFolder());
}

void CBrukerInputDialog::Notify()
{
    if (m_observer)
        m_observer->ModelChanged();
}

// Nothing of an experiment and processing stays chosen.
void CBrukerInputDialog::ClearChoice()
{
    m_bReady = false;
    m_bOpenEnabled = false;
    m_Processings.clear();
    m_nProcessing = -1;
    m_bProcessingsEnabled = false;
    m_Experiment.clear();
    m_Procno.clear();
    m_Description.clear();
}

void CBrukerInputDialog::Reset()
{
    ClearChoice();
    m_nScanMin = 1;
    m_nScanMax = 1;
    m_ExperimentNames.clear();
    m_ExperimentTexts.clear();
    m_nExperiment = -1;
    m_bExperimentsEnabled = false;
    m_PathText.clear();
    m_DatasetFolder.clear();
    m_ScanText = L"1";
    m_nScanCount = 1;
    m_bScanEnabled = false;
}

void CBrukerInputDialog::ListEntries()
{
    m_Entries.clear();
    const std::string folder = FileSystemPath(m_CurrentFolder);
    for (const std::string& name : ks::listFolderNoCase(folder))
        if (!name.empty() && name[0] != '.' && ks::isFolder(folder + "/" + name))
            m_Entries.push_back(ks::reg::wideFromUtf8(name));
}

bool CBrukerInputDialog::SetFolder(const std::wstring& folder)
{
    std::wstring f = folder;
    while (f.size() > 1 && isSeparator(f.back()))
        f.pop_back();
    if (f.empty() || !ks::isFolder(FileSystemPath(f)))
        return false;
    m_CurrentFolder = f;
    ListEntries();
    m_nEntry = -1;
    Reset();
    Notify();
    return true;
}

bool CBrukerInputDialog::Browse()
{
    if (m_nEntry < 0)
        return false;
    return SetFolder(joined(m_CurrentFolder, m_Entries[static_cast<size_t>(m_nEntry)]));
}

bool CBrukerInputDialog::Up()
{
    const std::wstring parent = CKSFileStat(m_CurrentFolder).GetFolder(false);
    return !parent.empty() && parent != m_CurrentFolder && SetFolder(parent);
}

bool CBrukerInputDialog::SelectEntryNamed(const std::wstring& name)
{
    for (size_t i = 0; i < m_Entries.size(); ++i)
        if (m_Entries[i] == name) {
            SelectEntry(static_cast<int>(i));
            return true;
        }
    return false;
}

void CBrukerInputDialog::SelectEntry(int index)
{
    Reset();
    m_nEntry = index >= 0 && static_cast<size_t>(index) < m_Entries.size() ? index : -1;
    if (m_nEntry >= 0) {
        m_DatasetFolder = joined(m_CurrentFolder, m_Entries[static_cast<size_t>(m_nEntry)]);
        ListExperiments(m_DatasetFolder, true, m_ExperimentNames);
        for (const std::wstring& name : m_ExperimentNames)
            m_ExperimentTexts.push_back(ExperimentDescription(m_DatasetFolder, name));
        if (!m_ExperimentNames.empty()) {
            m_bExperimentsEnabled = true;
            SelectExperiment(0);
            return;
        }
    }
    Notify();
}

void CBrukerInputDialog::SelectExperiment(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_ExperimentNames.size()) {
        Notify();
        return;
    }
    m_nExperiment = index;
    ClearChoice();
    const std::wstring& expno = m_ExperimentNames[static_cast<size_t>(index)];
    // The scan count follows the selected experiment.
    m_Acquisition.Clear();
    bool firstRead = false;
    LoadDatasetParameters(m_DatasetFolder, expno, std::wstring(), false, m_Acquisition, &firstRead);
    if (ListProcessings(m_DatasetFolder, expno, m_Processings) > 0) {
        m_bReady = true;
        m_Experiment = expno;
        m_PathText = m_DatasetFolder;
        m_bOpenEnabled = true;
        m_bProcessingsEnabled = m_Processings.size() > 1;
        SelectProcessing(0);
        return;
    }
    Notify();
}

void CBrukerInputDialog::SelectProcessing(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_Processings.size() || m_Experiment.empty()) {
        Notify();
        return;
    }
    m_nProcessing = index;
    const std::wstring& procno = m_Processings[static_cast<size_t>(index)];
    m_Processing.Clear();
    if (LoadDatasetParameters(m_DatasetFolder, m_Experiment, procno, false, m_Processing)) {
        m_Procno = procno;
        std::wstring title;
        m_Processing.GetString(L"KSTitle", title);
        if (title.empty())
            m_Processing.GetString(L"$TI", title);
        m_Description = m_Processings.size() >= 2 ? procno + L": " + title : title;
        m_bReady = true;
    } else {
        // A processing whose parameters cannot be read is no choice.
        m_Procno.clear();
        m_Description.clear();
        m_bReady = false;
    }
    m_nScanCount = GetScanCount(m_Acquisition);
    if (m_bSpectrumMode) {
        m_ScanText = L"1";
        m_nScanMin = 1;
        m_nScanMax = m_nScanCount > 1 ? m_nScanCount : 1;
        m_bScanEnabled = m_nScanCount > 1;
    }
    Notify();
}

void CBrukerInputDialog::SetScanText(const std::wstring& text)
{
    m_ScanText = text;
}

bool CBrukerInputDialog::accept()
{
    LONG scan = 0;
    if (!ParseBrukerInteger(m_ScanText, scan, true)) {
        ks::dialogs::messageBox(kNotAnInteger, kTitle, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (scan < m_nScanMin || scan > m_nScanMax) {
        std::wstring text;
        FormatWide(text, kIntegerRange, static_cast<int>(m_nScanMin), static_cast<int>(m_nScanMax));
        ks::dialogs::messageBox(text, kTitle, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (m_bReady) {
        m_ResultDataSource = FormatDataSource(m_DatasetFolder, m_Experiment, m_Procno);
        m_ResultScanText = std::to_wstring(scan);
        return true;
    }
    std::wstring text = kNothingSelected;
    if (m_nEntry >= 0)
        FormatWide(text, kNotADataset, joined(m_CurrentFolder, m_Entries[static_cast<size_t>(m_nEntry)]).c_str());
    ks::dialogs::messageBox(text, kTitle, MB_OK | MB_ICONSTOP);
    return false;
}

// ---------------------------------------------------------------------------

bool CBrukerBrowse::BrowseSpectrum(const std::wstring& initialPath, std::wstring& dataSource,
                                   std::wstring& scanText)
{
    ks::dialogs::WaitCursor wait;
    CBrukerInputDialog dialog(true, initialPath);
    if (ks::dialogs::runModal(dialog) != IDOK)
        return false;
    wait.restore();
    dataSource = dialog.ResultDataSource();
    scanText = dialog.ResultScanText();
    return true;
}

bool CBrukerBrowse::BrowseDataset(const std::wstring& initialPath, std::wstring& dataSource)
{
    ks::dialogs::WaitCursor wait;
    CBrukerInputDialog dialog(false, initialPath);
    if (ks::dialogs::runModal(dialog) != IDOK)
        return false;
    wait.restore();
    dataSource = dialog.ResultDataSource();
    return true;
}
