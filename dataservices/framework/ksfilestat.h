// Status of a dataset path: whether it exists, is a directory, its size, and
// its folder, name and extension. Paths accept "\" and "/" as separators
// (both are taken as "/" when the file system is asked); the folder answers
// are built with "/". There are no drive letters: the folder is the
// directory part alone.
#pragma once

#include <string>
#include <sys/stat.h>

#include "kstypes.h"

class CKSFileStat {
public:
    explicit CKSFileStat(const std::wstring& path = std::wstring());
    virtual ~CKSFileStat();

    // Stores the path without its trailing separators (never removing the
    // first character), asks for its status and splits it into directory,
    // name and extension. An empty result asks nothing: the parts stay
    // empty and the path does not exist.
    void Set(const std::wstring& path);
    // Set, only when the path differs from the stored one (case-sensitive).
    void Update(const std::wstring& path);

    bool Exists() const { return m_nStatResult == 0; }
    bool IsDirectory() const { return Exists() && (m_Status.st_mode & S_IFMT) == S_IFDIR; }

    // The directory part (ending in a separator unless empty); with
    // withDirectory true and a directory path, the directory itself
    // followed by "/".
    std::wstring GetFolder(bool withDirectory) const;
    // Name without extension, and extension with its dot (case kept).
    const std::wstring& GetFileName() const { return m_FileName; }
    const std::wstring& GetExtension() const { return m_Extension; }
    // Bytes; 0 when the status query failed.
    LONGLONG GetSize() const { return Exists() ? static_cast<LONGLONG>(m_Status.st_size) : 0; }
    // True when the path exists, when it has no folder part left to check,
    // or when the folder it names (cut at the last separator) exists.
    bool ParentExists() const;

    // The stored path, as given without its trailing separators.
    const std::wstring& GetPath() const { return m_Path; }
    // The file system's status record; meaningful while Exists().
    const struct stat& GetStatus() const { return m_Status; }

private:
    LONG m_nStatResult;  // 0 after a successful status query, else -1
    struct stat m_Status;
    std::wstring m_Path;
    std::wstring m_Directory;
    std::wstring m_FileName;
    std::wstring m_Extension;
};

// The UTF-8 file-system form of a wide path, with "\" taken as "/".
std::string FileSystemPath(const std::wstring& path);
