#include "ksfiles.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace ks {
namespace {

// Lower-case partner of an upper-case letter in a block where upper and
// lower alternate (upper on even or on odd code points).
bool inPairs(char32_t c, char32_t first, char32_t last, bool upperEven)
{
    return c >= first && c <= last && ((c % 2 == 0) == upperEven);
}

// UTF-8 decoding that keeps every byte: a byte outside valid UTF-8 maps
// to U+DC80..U+DCFF (never a real character of a name), so two different
// byte strings never decode alike.
std::u32string decodeUtf8(const std::string& s)
{
    std::u32string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0;
        if (b < 0x80) { out.push_back(b); ++i; continue; }
        if ((b & 0xE0) == 0xC0) { extra = 1; cp = b & 0x1F; }
        else if ((b & 0xF0) == 0xE0) { extra = 2; cp = b & 0x0F; }
        else if ((b & 0xF8) == 0xF0) { extra = 3; cp = b & 0x07; }
        else { out.push_back(0xDC00 + b); ++i; continue; }
        bool ok = i + static_cast<size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (c & 0x3F);
        }
        static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) { out.push_back(0xDC00 + b); ++i; continue; }
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

template <class S>
int compareFolded(const S& a, const S& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char32_t fa = foldCase(static_cast<char32_t>(a[i]));
        const char32_t fb = foldCase(static_cast<char32_t>(b[i]));
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

template <class S>
int compareTotal(const S& a, const S& b)
{
    if (const int c = compareFolded(a, b))
        return c;
    return a < b ? -1 : (b < a ? 1 : 0);
}

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

std::vector<std::string> rawListing(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return names;
    while (const dirent* e = readdir(dir.get())) {
        const std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(n);
    }
    return names;
}

std::string join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

}  // namespace

char32_t foldCase(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    if (c < 0x100)
        return c;
    // Latin Extended-A.
    if (c == 0x130) return 'i';
    if (c == 0x178) return 0xFF;
    if (c == 0x17F) return 's';
    if (inPairs(c, 0x100, 0x12F, true) || inPairs(c, 0x132, 0x137, true) ||
        inPairs(c, 0x139, 0x148, false) || inPairs(c, 0x14A, 0x177, true) ||
        inPairs(c, 0x179, 0x17E, false))
        return c + 1;
    // Latin Extended-B, the regular runs.
    if (inPairs(c, 0x1CD, 0x1DC, false) || inPairs(c, 0x1DE, 0x1EF, true) ||
        inPairs(c, 0x1F8, 0x21F, true) || inPairs(c, 0x222, 0x233, true))
        return c + 1;
    // Greek.
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return c + 32;
    if (c == 0x3C2) return 0x3C3;  // final sigma folds with sigma
    // Cyrillic.
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c == 0x4C0) return 0x4CF;
    if (inPairs(c, 0x460, 0x481, true) || inPairs(c, 0x48A, 0x4BF, true) ||
        inPairs(c, 0x4C1, 0x4CE, false) || inPairs(c, 0x4D0, 0x52F, true))
        return c + 1;
    // Armenian.
    if (c >= 0x531 && c <= 0x556) return c + 48;
    // Latin Extended Additional.
    if (c == 0x1E9E) return 0xDF;
    if (inPairs(c, 0x1E00, 0x1E95, true) || inPairs(c, 0x1EA0, 0x1EFF, true))
        return c + 1;
    // Full-width Latin.
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
    return c;
}

wchar_t foldCase(wchar_t c)
{
    return static_cast<wchar_t>(foldCase(static_cast<char32_t>(c)));
}

char32_t upperCase(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 32 : c;
    // Built once from the fold itself, so the two never disagree. The
    // first code point folding to a letter is its capital (I before
    // dotted I, S before long s); ß keeps itself as C libraries do.
    static const std::unordered_map<char32_t, char32_t> capitals = [] {
        std::unordered_map<char32_t, char32_t> m;
        auto add = [&m](char32_t from, char32_t to) {
            for (char32_t u = from; u <= to; ++u) {
                const char32_t f = foldCase(u);
                if (f != u && f != 0xDF)
                    m.emplace(f, u);
            }
        };
        add(0x80, 0x1FFF);
        add(0xFF21, 0xFF3A);
        m[0x3C2] = 0x3A3;  // final sigma capitalises as sigma
        return m;
    }();
    const auto it = capitals.find(c);
    return it == capitals.end() ? c : it->second;
}

wchar_t upperCase(wchar_t c)
{
    return static_cast<wchar_t>(upperCase(static_cast<char32_t>(c)));
}

std::wstring upperCase(const std::wstring& text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = upperCase(c);
    return out;
}

std::wstring foldCase(const std::wstring& text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = foldCase(c);
    return out;
}

std::string foldCaseUtf8(const std::string& text)
{
    // Re-encode the folded code points; bytes that were not valid UTF-8
    // are written back as they were.
    std::string out;
    out.reserve(text.size());
    for (char32_t c : decodeUtf8(text)) {
        if (c >= 0xDC80 && c <= 0xDCFF) {
            out.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        appendUtf8(out, foldCase(c));
    }
    return out;
}

std::string printableText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    auto escape = [&out](unsigned char b) {
        static const char digits[] = "0123456789ABCDEF";
        out += "\\x";
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0xF]);
    };
    for (char32_t c : decodeUtf8(text)) {
        if (c >= 0xDC80 && c <= 0xDCFF)
            escape(static_cast<unsigned char>(c - 0xDC00));
        else if (c < 0x20 || c == 0x7F)
            escape(static_cast<unsigned char>(c));
        else if (c >= 0x80 && c < 0xA0) {  // C1 controls: both bytes of their UTF-8
            escape(0xC2);
            escape(static_cast<unsigned char>(c));
        } else
            appendUtf8(out, c);
    }
    return out;
}

int compareNoCase(const std::wstring& a, const std::wstring& b)
{
    return compareTotal(a, b);
}

int compareNoCaseUtf8(const std::string& a, const std::string& b)
{
    if (const int c = compareFolded(decodeUtf8(a), decodeUtf8(b)))
        return c;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool equalNoCase(const std::wstring& a, const std::wstring& b)
{
    return compareFolded(a, b) == 0;
}

bool equalNoCaseUtf8(const std::string& a, const std::string& b)
{
    return a == b || compareFolded(decodeUtf8(a), decodeUtf8(b)) == 0;
}

std::wstring wideFromFileName(const std::string& name)
{
    const std::u32string decoded = decodeUtf8(name);
    return std::wstring(decoded.begin(), decoded.end());
}

std::optional<std::string> findNameNoCase(const std::string& folder, const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return std::nullopt;
    if (name == "." || name == "..")
        return name;
    struct stat st;
    if (lstat(join(folder, name).c_str(), &st) == 0)
        return name;
    std::vector<std::string> names = rawListing(folder);
    std::sort(names.begin(), names.end());
    const std::u32string wanted = decodeUtf8(name);
    for (const auto& n : names)
        if (compareFolded(decodeUtf8(n), wanted) == 0)
            return n;
    return std::nullopt;
}

std::optional<std::string> findPathNoCase(const std::string& folder, const std::string& relative)
{
    std::string path = folder;
    size_t start = 0;
    bool any = false;
    while (start <= relative.size()) {
        size_t end = relative.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        const auto found = findNameNoCase(path, part);
        if (!found)
            return std::nullopt;
        path = join(path, *found);
        any = true;
    }
    if (!any)
        return folder.empty() ? std::nullopt : std::optional<std::string>(folder);
    return path;
}

std::vector<std::string> listFolderNoCase(const std::string& folder)
{
    std::vector<std::string> names = rawListing(folder);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return compareNoCaseUtf8(a, b) < 0;
    });
    return names;
}

int openRegularFile(const std::string& path, int flags)
{
    return openRegularFile(path.c_str(), flags);
}

int openRegularFile(const char* path, int flags)
{
    if (!path || !*path) {
        errno = ENOENT;
        return -1;
    }
    if (flags & O_CREAT) {
        errno = EINVAL;
        return -1;
    }
    const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = err;
        return -1;
    }
    const int fl = fcntl(fd, F_GETFL);
    if (fl == -1 || fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) == -1) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

std::FILE* openRegularFileStream(const std::string& path, const char* mode)
{
    if (!mode || !*mode) {
        errno = EINVAL;
        return nullptr;
    }
    const std::string m = mode;
    int flags;
    if (m[0] == 'r')
        flags = m.find('+') != std::string::npos ? O_RDWR : O_RDONLY;
    else {
        errno = EINVAL;  // w and a create: never a reader's open
        return nullptr;
    }
    const int fd = openRegularFile(path, flags);
    if (fd < 0)
        return nullptr;
    std::FILE* f = fdopen(fd, mode);
    if (!f) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return f;
}

bool isRegularFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace ks
