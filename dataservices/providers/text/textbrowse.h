// The file dialogs of the text provider: choose a spectrum file to read
// ("Source Spectrum") or to write ("Destination Spectrum"), starting in a
// remembered folder.
#pragma once

#include <string>

class CTextBrowse {
public:
    // True with the full path of an existing file the user chose; false
    // when the dialog was cancelled. Remembers the chosen file's folder.
    bool BrowseSource(const std::wstring& startFolder, std::wstring& path);
    // True with the full path the user chose to write (after confirming
    // the replacement of an existing file); false when cancelled.
    bool BrowseDestination(const std::wstring& startFolder, std::wstring& path);
    // Folder (with its trailing separator) of the file last chosen by
    // BrowseSource.
    const std::wstring& GetFolder() const { return m_Folder; }

private:
    std::wstring m_Folder;
};
