#include "kstest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <clocale>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace ks::test {
namespace {

std::string g_tempDir;
std::string g_baseDir;

std::string baseTempRoot()
{
    if (!g_baseDir.empty())
        return g_baseDir;
    // Fixed once, before the first test changes TMPDIR.
    const char* t = std::getenv("TMPDIR");
    g_baseDir = (t && *t) ? t : "/tmp";
    return g_baseDir;
}

class TempDirListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        std::string tmpl = baseTempRoot() + "/kstest-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) {
            ADD_FAILURE() << "cannot create a temporary folder: " << std::strerror(errno);
            return;
        }
        g_tempDir = buf.data();
        const std::string reg = g_tempDir + "/registry";
        const std::string cfg = g_tempDir + "/config";
        const std::string tmp = g_tempDir + "/tmp";
        fs::create_directories(reg);
        fs::create_directories(cfg);
        fs::create_directories(tmp);
        setenv("KESTROM_REGISTRY", reg.c_str(), 1);
        setenv("XDG_CONFIG_HOME", cfg.c_str(), 1);
        setenv("HOME", g_tempDir.c_str(), 1);
        setenv("TMPDIR", tmp.c_str(), 1);
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        if (g_tempDir.empty())
            return;
        if (!std::getenv("KS_KEEP_TESTTMP")) {
            std::error_code ec;
            fs::remove_all(g_tempDir, ec);
        }
        g_tempDir.clear();
    }
};

std::string realDataRoot()
{
    if (const char* e = std::getenv("KS_REALDATA_DIR"))
        if (*e)
            return e;
#ifdef KS_REALDATA_DIR
    return KS_REALDATA_DIR;
#else
    return "../shared/realdata";
#endif
}

// Full path of a program on PATH or in the usual system folders; empty
// when there is none.
std::string findProgram(const std::string& name)
{
    std::string dirs;
    if (const char* p = std::getenv("PATH"))
        dirs = p;
    dirs += ":/usr/bin:/usr/sbin:/bin:/sbin";
    std::istringstream in(dirs);
    std::string dir;
    while (std::getline(in, dir, ':')) {
        if (dir.empty())
            continue;
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::string();
}

// The compiled comma locale of this process; its folder is removed when
// the process ends.
struct CommaLocale {
    std::string folder;   // the LOCPATH folder
    std::string name;     // empty when it could not be made
    std::string whyNot;

    CommaLocale()
    {
        const std::string localedef = findProgram("localedef");
        if (localedef.empty()) {
            whyNot = "no localedef program (it comes with the locales package)";
            return;
        }
        std::string tmpl = baseTempRoot() + "/kstest-locale-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) {
            whyNot = std::string("cannot create a folder for the locale: ") + std::strerror(errno);
            return;
        }
        folder = buf.data();
        const std::string locale = "de_DE.UTF-8";
        const RunResult r = run({localedef, "-i", "de_DE", "-f", "UTF-8", folder + "/" + locale});
        // localedef exits with 1 for mere warnings; what counts is the result.
        if (!fs::exists(folder + "/" + locale + "/LC_NUMERIC")) {
            whyNot = "localedef could not compile " + locale + " (exit " + std::to_string(r.exitCode) +
                     "): " + r.err + r.out;
            return;
        }
        pointLocPath();
        // Checked with setlocale: newlocale leaks its search path in glibc
        // when LOCPATH is set, which the leak checker reports.
        const char* current = setlocale(LC_NUMERIC, nullptr);
        const std::string saved = current ? current : "C";
        if (!setlocale(LC_NUMERIC, locale.c_str())) {
            whyNot = "the compiled locale " + locale + " cannot be set";
            return;
        }
        const std::string point = localeconv()->decimal_point;
        setlocale(LC_NUMERIC, saved.c_str());
        if (point != ",") {
            whyNot = "the compiled locale " + locale + " has the decimal point \"" + point + "\"";
            return;
        }
        name = locale;
    }
    ~CommaLocale()
    {
        if (!folder.empty() && !std::getenv("KS_KEEP_TESTTMP")) {
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    }
    void pointLocPath() const
    {
        setenv("LOCPATH", folder.c_str(), 1);
    }
};

}  // namespace

std::string makeCommaLocale(std::string* whyNot)
{
    static const CommaLocale made;
    if (made.name.empty()) {
        if (whyNot)
            *whyNot = made.whyNot;
        return std::string();
    }
    made.pointLocPath();
    if (whyNot)
        whyNot->clear();
    return made.name;
}

const std::string& tempDir()
{
    return g_tempDir;
}

void installTempDirListener()
{
    baseTempRoot();
    ::testing::UnitTest::GetInstance()->listeners().Append(new TempDirListener);
}

bool haveRealData()
{
    return fs::is_directory(realDataRoot());
}

std::string realData(const std::string& relative)
{
    const std::string root = realDataRoot();
    const std::string path = root + "/" + relative;
    if (!fs::is_directory(root))
        ADD_FAILURE() << "real sample data not found: the folder " << root
                      << " does not exist (set the CMake cache variable KS_REALDATA_DIR)";
    else if (!fs::exists(path))
        ADD_FAILURE() << "real sample file not found: " << path;
    return path;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

void writeSparseFile(const std::string& path, const std::string& head, uint64_t size)
{
    writeFile(path, head);
    std::error_code ec;
    fs::resize_file(path, size, ec);
    if (ec)
        ADD_FAILURE() << "cannot extend " << path << " to " << size << " bytes: " << ec.message();
}

uint64_t bytesReadSoFar()
{
    std::ifstream in("/proc/self/io");
    std::string name;
    uint64_t value = 0;
    while (in >> name >> value)
        if (name == "rchar:")
            return value;
    return 0;
}

RunResult run(const std::vector<std::string>& argv,
              const std::vector<std::string>& extraEnv,
              const std::string& stdinText)
{
    RunResult r;
    if (argv.empty())
        return r;
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) || pipe(outPipe) || pipe(errPipe)) {
        ADD_FAILURE() << "pipe failed";
        return r;
    }
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    for (const auto& x : extraEnv) {
        const auto eq = x.find('=');
        const std::string key = x.substr(0, eq + 1);
        for (auto it = envStore.begin(); it != envStore.end();)
            it = (it->compare(0, key.size(), key) == 0) ? envStore.erase(it) : it + 1;
        envStore.push_back(x);
    }
    std::vector<char*> envp, args;
    for (auto& s : envStore) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStore(argv);
    for (auto& s : argStore) args.push_back(s.data());
    args.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(inPipe[0]); close(inPipe[1]);
        close(outPipe[0]); close(outPipe[1]);
        close(errPipe[0]); close(errPipe[1]);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    if (stdinText.empty()) {
        close(inPipe[1]);
        inPipe[1] = -1;
    }
    pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inPipe[1], POLLOUT, 0}};
    int open = 2;
    char buf[65536];
    while (open > 0) {
        const int nfds = inPipe[1] >= 0 ? 3 : 2;
        if (poll(fds, nfds, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP))) {
                const ssize_t n = read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        if (inPipe[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = write(inPipe[1], stdinText.data() + written, stdinText.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if (n <= 0 || written == stdinText.size()) {
                close(inPipe[1]);
                inPipe[1] = -1;
                fds[2].fd = -1;
            }
        }
    }
    if (inPipe[1] >= 0) close(inPipe[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        r.exitCode = 128 + WTERMSIG(status);
    return r;
}

namespace {

// The hive files of a registry folder (locks and temporary files left out).
std::vector<fs::path> hiveFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (e.is_regular_file() && name.size() > 5 && name.compare(name.size() - 5, 5, ".hive") == 0)
            files.push_back(e.path());
    }
    return files;
}

bool copyHives(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::create_directories(to, ec);
    for (const fs::path& f : hiveFiles(from)) {
        fs::copy_file(f, to / f.filename(), fs::copy_options::overwrite_existing, ec);
        if (ec)
            return false;
    }
    return true;
}

// Registrations into an empty registry, kept per test process: the same
// modules in the same order always write the same hives, and running
// ksregsvr under the sanitizers costs about half a second a module.
struct RegistrationCache {
    std::map<std::string, fs::path> snapshots;
    fs::path root;
    ~RegistrationCache()
    {
        std::error_code ec;
        if (!root.empty())
            fs::remove_all(root, ec);
    }
};

RegistrationCache& registrationCache()
{
    static RegistrationCache cache;
    return cache;
}

}  // namespace

bool registerComponents(std::initializer_list<std::string> modules)
{
    std::vector<std::string> names;
    std::string key;
    for (std::string module : modules) {
        if (module.size() < 3 || module.compare(module.size() - 3, 3, ".so") != 0)
            module += ".so";
        key += module + '\n';
        names.push_back(module);
    }
    const char* env = std::getenv("KESTROM_REGISTRY");
    const fs::path registry = env && *env ? fs::path(env) : fs::path();
    const bool fresh = !registry.empty() && hiveFiles(registry).empty();
    RegistrationCache& cache = registrationCache();
    if (fresh) {
        const auto it = cache.snapshots.find(key);
        if (it != cache.snapshots.end() && copyHives(it->second, registry))
            return true;
    }
    bool all = true;
    for (const std::string& module : names) {
        const RunResult r = run({std::string(KS_BIN_DIR) + "/ksregsvr", std::string(KS_LIB_DIR) + "/" + module});
        if (r.exitCode != 0) {
            ADD_FAILURE() << "ksregsvr " << module << " failed (exit " << r.exitCode << "): " << r.out << r.err;
            all = false;
        }
    }
    if (all && fresh) {
        if (cache.root.empty())
            cache.root = fs::path(baseTempRoot()) / ("kstest-registrations-" + std::to_string(getpid()));
        const fs::path snapshot = cache.root / std::to_string(cache.snapshots.size());
        if (copyHives(registry, snapshot))
            cache.snapshots.emplace(key, snapshot);
    }
    return all;
}

}  // namespace ks::test
