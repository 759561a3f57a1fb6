#include "zylvirfile.h"

#include "kshive.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zylvir {

namespace {

std::atomic<unsigned> g_workingFiles{0};

// A name beside `folder` that no other working file of any process takes.
std::string hiddenName(const std::string& folder, const std::string& base)
{
    return folder + "/." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(++g_workingFiles) +
           ".writing";
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

WorkingFile::WorkingFile(const std::wstring& target, bool allowUnnamed)
{
    std::wstring w = target;
    std::replace(w.begin(), w.end(), L'\\', L'/');
    m_target = ks::reg::utf8FromWide(w);
    m_enginePath = target;
    struct stat st {};
    if (m_target.empty() || m_target.back() == '/' ||
        (::stat(m_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)))
        return;  // the engine refuses it as it is
    if (::stat(m_target.c_str(), &st) == 0) {
        // A link to a file: the file it names is replaced, not the link.
        if (char* real = ::realpath(m_target.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
    }
    const size_t slash = m_target.rfind('/');
    m_folder = slash == std::string::npos ? "." : slash == 0 ? "/" : m_target.substr(0, slash);
    m_base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);

    if (allowUnnamed) {
        const int fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const std::string proc = "/proc/self/fd/" + std::to_string(fd);
            struct stat ps {};
            if (::stat(proc.c_str(), &ps) == 0) {
                m_fd = fd;
                m_kind = Kind::Unnamed;
                m_enginePath = ks::reg::wideFromUtf8(proc);
                return;
            }
            ::close(fd);  // no /proc to reach it through
        }
    }
    m_hiddenPath = hiddenName(m_folder, m_base);
    m_kind = Kind::Hidden;
    m_enginePath = ks::reg::wideFromUtf8(m_hiddenPath);
}

WorkingFile::~WorkingFile()
{
    if (!m_done)
        discard();
}

bool WorkingFile::commit()
{
    if (m_done || m_kind == Kind::Target)
        return false;
    struct stat old {};
    const bool replacing = ::stat(m_target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::string named = m_hiddenPath;
    if (m_kind == Kind::Unnamed) {
        if (replacing)
            (void)::fchmod(m_fd, old.st_mode & 07777);
        named = hiddenName(m_folder, m_base);
        const std::string proc = "/proc/self/fd/" + std::to_string(m_fd);
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return false;
    } else if (replacing) {
        (void)::chmod(named.c_str(), old.st_mode & 07777);
    }
    if (::rename(named.c_str(), m_target.c_str()) != 0) {
        if (m_kind == Kind::Unnamed)
            ::unlink(named.c_str());
        return false;
    }
    syncFolder(m_folder);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_done = true;
    return true;
}

void WorkingFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_kind == Kind::Hidden && !m_done)
        ::unlink(m_hiddenPath.c_str());
    m_done = true;
}

}  // namespace zylvir
