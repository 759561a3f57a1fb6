// Where a virtual writer's file grows until it is finished.
//
// The engine's writer appends to its file as it goes, so a file whose
// writer dies half-way would lie at its name looking like a run still
// being acquired. The writers therefore let the engine write a working
// file beside the name and move it there only once the engine has
// finished it: until then the name shows nothing, or the file it held
// before, which stays intact.
//
// The working file is unnamed where the file system allows (O_TMPFILE,
// reached by the engine through /proc/self/fd), so a process that dies
// leaves nothing behind; elsewhere it is a hidden file beside the name
// (".NAME.PID-N.writing"), which a dead writer leaves flagged as still
// being written. A name that is already something other than a regular
// file (a folder, a FIFO, a device) is handed to the engine as it is, so
// the engine refuses it with its own error and never waits on it.
//
// Not copyable; the destructor discards what was not committed.
#pragma once

#include <string>

namespace zylvir {

class WorkingFile {
public:
    enum class Kind { Unnamed, Hidden, Target };

    // `allowUnnamed` false makes the working file a hidden one (tests).
    explicit WorkingFile(const std::wstring& target, bool allowUnnamed = true);
    ~WorkingFile();
    WorkingFile(const WorkingFile&) = delete;
    WorkingFile& operator=(const WorkingFile&) = delete;

    // The path the engine's writer is to create.
    const std::wstring& enginePath() const { return m_enginePath; }
    Kind kind() const { return m_kind; }

    // Gives the finished working file the target's name (replacing what
    // was there, keeping its permissions) and makes the move durable.
    // False, with nothing moved, when it cannot.
    bool commit();
    // Removes the working file (an unnamed one simply goes).
    void discard();

private:
    std::string m_target;  // UTF-8, '/' separators
    std::string m_folder;
    std::string m_base;  // the target's own name
    std::wstring m_enginePath;
    std::string m_hiddenPath;  // the hidden working file, when there is one
    Kind m_kind = Kind::Target;
    int m_fd = -1;  // the unnamed file, held so it can be linked in
    bool m_done = false;
};

}  // namespace zylvir
