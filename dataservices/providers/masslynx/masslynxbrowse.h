// Browsing with the data browser of the MassLynx installation (BroFileOpen
// of UTIL32, which the deliverable links at load time; outside/masslynx
// stands in for it).
#pragma once

#include <string>

#include "kstypes.h"

class CMassLynxBrowse {
public:
    // Shows "MassLynx Data Browser" preset with the folder and the name
    // (without extension) of startPath; flags 256 when noScan is set, else
    // 0. True when the user confirmed a raw directory: the chosen path
    // (folder, name, "." and the extension in lower case) is remembered
    // (GetPath). function becomes the chosen function (at least 1), noScan
    // whether no scan was chosen, scan the chosen scan (1 when none was).
    // The record's texts are read within their fields.
    bool BrowseFile(const std::wstring& startPath, bool& noScan, LONG& function, LONG& scan);
    // A function and a scan: the function's data-source string and the
    // scan text ("History: <scan>" for a chosen scan, " 1" for none).
    bool BrowseSpectrum(const std::wstring& startPath, std::wstring& dataSource, std::wstring& scanText);
    // A function: its data-source string.
    bool BrowseDataset(const std::wstring& startPath, std::wstring& dataSource);

    const std::wstring& GetPath() const { return m_strPath; }

private:
    std::wstring m_strPath;
};
