#include "masslynxbrowse.h"

#include <algorithm>
#include <cstring>

#include "ksfiles.h"
#include "ksfilestat.h"
#include "kstextutil.h"
#include "masslynxformat.h"
#include "util32.h"

namespace {

const char kTitle[] = "MassLynx Data Browser";

// Stores the file-system bytes of text when they fit the field with their
// terminator; a preset that does not fit is left out rather than cut.
template <size_t N>
void Preset(char (&field)[N], const std::wstring& text)
{
    const std::string bytes = FileSystemPath(text);
    if (bytes.size() < N)
        std::memcpy(field, bytes.data(), bytes.size());
}

// A record field's text, never read past the field's width.
template <size_t N>
std::wstring FieldText(const char (&field)[N])
{
    return ks::wideFromFileName(std::string(field, strnlen(field, N)));
}

}  // namespace

bool CMassLynxBrowse::BrowseFile(const std::wstring& startPath, bool& noScan, LONG& function, LONG& scan)
{
    BroFileRecord record;
    std::memset(&record, 0, sizeof record);
    if (!startPath.empty()) {
        const CKSFileStat start(startPath);
        Preset(record.folder, start.GetFolder(false));
        Preset(record.name, start.GetFileName());
    }
    DWORD flags = noScan ? kBroDatasetOnly : 0;
    if (BroFileOpen(nullptr, &record, &flags, kTitle) == 0)
        return false;
    bool chosen = false;
    const std::wstring name = FieldText(record.name);
    if (!name.empty()) {
        std::wstring extension = FieldText(record.extension);
        m_strPath = FieldText(record.folder) + name + L"." + ToLower(extension);
        chosen = true;
    }
    function = std::max<LONG>(record.function, 1);
    noScan = record.scan == 0;
    scan = record.scan == 0 && noScan ? 1 : record.scan;
    return chosen;
}

bool CMassLynxBrowse::BrowseSpectrum(const std::wstring& startPath, std::wstring& dataSource, std::wstring& scanText)
{
    bool noScan = false;
    LONG function = 1;
    LONG scan = 1;
    if (!BrowseFile(startPath, noScan, function, scan))
        return false;
    dataSource = MakeMassLynxDataSource(m_strPath, function);
    scanText = MakeScanText(scan, !noScan);
    return true;
}

bool CMassLynxBrowse::BrowseDataset(const std::wstring& startPath, std::wstring& dataSource)
{
    bool noScan = true;
    LONG function = 1;
    LONG scan = 1;
    if (!BrowseFile(startPath, noScan, function, scan))
        return false;
    dataSource = MakeMassLynxDataSource(m_strPath, function);
    return true;
}
