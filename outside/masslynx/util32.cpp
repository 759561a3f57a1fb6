#include "util32.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <memory>

#include <unistd.h>

#include "ksfiles.h"
#include "masslynxmodel.h"
#include "vkfolder.h"

namespace {

// Function and scan numbers travel in 16 bits.
constexpr LONG kMaxNumber = std::numeric_limits<uint16_t>::max();

bool EndsWithRaw(const std::string& name)
{
    return name.size() > 4 && ks::equalNoCaseUtf8(name.substr(name.size() - 4), ".raw");
}

// The text of a field: up to its first zero byte, never past its width.
std::string FieldText(const char* field, size_t width)
{
    return std::string(field, strnlen(field, width));
}

// Stores text with its terminator when it fits the field (the rest of the
// field zero); false otherwise.
template <size_t N>
bool Store(char (&field)[N], const std::string& text)
{
    if (text.size() >= N)
        return false;
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
    return true;
}

std::string CurrentFolder()
{
    std::string buffer(PATH_MAX, '\0');
    if (!getcwd(buffer.data(), buffer.size()))
        return "/";
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

std::wstring Wide(const std::string& utf8)
{
    return vendorkit::wideText(utf8);
}

}  // namespace

CMassLynxDataBrowser::CMassLynxDataBrowser(std::wstring title, std::string folder, std::string name, bool datasetOnly)
    : m_Title(std::move(title)),
      m_bDatasetOnly(datasetOnly),
      m_PresetFolder(std::move(folder)),
      m_PresetName(std::move(name))
{
}

CMassLynxDataBrowser::~CMassLynxDataBrowser() = default;

std::wstring CMassLynxDataBrowser::title() const
{
    return m_Title;
}

void CMassLynxDataBrowser::initialize()
{
    m_bChosen = false;
    if (!SetFolder(m_PresetFolder))
        SetFolder(CurrentFolder());
    if (!m_PresetName.empty())
        SelectRawNamed(m_PresetName);
}

bool CMassLynxDataBrowser::SetFolder(const std::string& folder)
{
    std::string f = folder;
    std::replace(f.begin(), f.end(), '\\', '/');
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    if (f.empty() || !ks::isFolder(f))
        return false;
    m_Folder = f;
    ListFolder();
    Notify();
    return true;
}

bool CMassLynxDataBrowser::Up()
{
    const size_t slash = m_Folder.rfind('/');
    if (m_Folder == "/" || slash == std::string::npos)
        return false;
    return SetFolder(slash == 0 ? std::string("/") : m_Folder.substr(0, slash));
}

void CMassLynxDataBrowser::ListFolder()
{
    m_Raws.clear();
    for (const std::string& name : ks::listFolderNoCase(m_Folder))
        if (name[0] != '.' && EndsWithRaw(name) && ks::isFolder(m_Folder + "/" + name))
            m_Raws.push_back(name);
    m_nRaw = -1;
    ReadFunctions();
}

void CMassLynxDataBrowser::SelectRaw(int index)
{
    m_nRaw = index >= 0 && static_cast<size_t>(index) < m_Raws.size() ? index : -1;
    ReadFunctions();
    Notify();
}

bool CMassLynxDataBrowser::SelectRawNamed(const std::string& name)
{
    for (size_t i = 0; i < m_Raws.size(); ++i) {
        const std::string& raw = m_Raws[i];
        if (ks::equalNoCaseUtf8(raw, name) || ks::equalNoCaseUtf8(raw.substr(0, raw.size() - 4), name)) {
            SelectRaw(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

void CMassLynxDataBrowser::ReadFunctions()
{
    m_FunctionTexts.clear();
    m_ScanCounts.clear();
    m_nFunction = 0;
    m_nScan = 0;
    if (m_nRaw < 0)
        return;
    masslynx::RawCache cache;
    std::shared_ptr<const masslynx::Raw> raw;
    vendorkit::ParseStatus status;
    if (cache.load(m_Folder + "/" + m_Raws[static_cast<size_t>(m_nRaw)], raw, status) != masslynx::Found::Yes)
        return;
    for (size_t i = 0; i < raw->functions.size(); ++i) {
        const masslynx::Function& f = raw->functions[i];
        m_FunctionTexts.push_back(L"Function " + std::to_wstring(i + 1) + L": " + Wide(f.type) + L", " +
                                  std::to_wstring(f.scanCount) + (f.scanCount == 1 ? L" scan" : L" scans"));
        m_ScanCounts.push_back(f.scanCount);
    }
    if (!m_FunctionTexts.empty())
        m_nFunction = 1;
}

void CMassLynxDataBrowser::SelectFunction(LONG function)
{
    m_nFunction = function >= 1 && static_cast<size_t>(function) <= m_FunctionTexts.size() ? function : 0;
    m_nScan = 0;
    Notify();
}

LONG CMassLynxDataBrowser::ScanCount() const
{
    return m_nFunction >= 1 ? m_ScanCounts[static_cast<size_t>(m_nFunction - 1)] : 0;
}

void CMassLynxDataBrowser::SetScan(LONG scan)
{
    m_nScan = m_bDatasetOnly ? 0 : scan;
    Notify();
}

void CMassLynxDataBrowser::Refuse(const std::wstring& text)
{
    ks::dialogs::messageBox(text, m_Title, MB_OK | MB_ICONEXCLAMATION);
}

bool CMassLynxDataBrowser::accept()
{
    if (m_nRaw < 0) {
        Refuse(L"Select a MassLynx raw directory.");
        return false;
    }
    const std::wstring raw = Wide(m_Raws[static_cast<size_t>(m_nRaw)]);
    if (m_FunctionTexts.empty()) {
        Refuse(raw + L" is no MassLynx raw directory that can be read.");
        return false;
    }
    if (m_nFunction < 1) {
        Refuse(L"Select a function of " + raw + L".");
        return false;
    }
    if (m_nFunction > kMaxNumber) {
        Refuse(L"Function " + std::to_wstring(m_nFunction) + L" cannot be chosen: the browser counts functions up "
                                                              L"to 65535.");
        return false;
    }
    if (m_nScan != 0 && (m_nScan < 1 || m_nScan > ScanCount())) {
        Refuse(L"Function " + std::to_wstring(m_nFunction) + L" has no scan " + std::to_wstring(m_nScan) + L".");
        return false;
    }
    if (m_nScan > kMaxNumber) {
        Refuse(L"Scan " + std::to_wstring(m_nScan) + L" cannot be chosen: the browser counts scans up to 65535.");
        return false;
    }
    return true;
}

void CMassLynxDataBrowser::finish(INT result)
{
    m_bChosen = result == IDOK && m_nRaw >= 0;
    if (!m_bChosen)
        return;
    const std::string& raw = m_Raws[static_cast<size_t>(m_nRaw)];
    m_ChosenFolder = m_Folder == "/" ? m_Folder : m_Folder + "/";
    m_ChosenName = raw.substr(0, raw.size() - 4);
    m_ChosenExtension = raw.substr(raw.size() - 3);
}

void CMassLynxDataBrowser::Notify()
{
    if (m_observer)
        m_observer->ModelChanged();
}

extern "C" UTIL32_API LONG BroFileOpen(void*, BroFileRecord* record, DWORD* flags, const char* title)
{
    if (!record || !flags)
        return 0;
    try {
        // The title is read up to 1024 bytes: it is a caller's text.
        const std::wstring shownTitle = title ? Wide(std::string(title, strnlen(title, 1024))) : std::wstring();
        CMassLynxDataBrowser browser(shownTitle, FieldText(record->folder, sizeof record->folder),
                                     FieldText(record->name, sizeof record->name), (*flags & kBroDatasetOnly) != 0);
        if (ks::dialogs::runModal(browser) == IDOK && browser.Chosen()) {
            BroFileRecord answer = *record;
            if (Store(answer.folder, browser.ChosenFolder()) && Store(answer.name, browser.ChosenName()) &&
                Store(answer.extension, browser.ChosenExtension())) {
                answer.function = static_cast<uint16_t>(browser.Function());
                answer.scan = static_cast<uint16_t>(browser.Scan());
                *record = answer;
                return 1;
            }
        }
    } catch (...) {
        // A failure inside the browser answers as cancelled.
    }
    std::memset(record->name, 0, sizeof record->name);
    return 0;
}
