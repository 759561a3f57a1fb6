#include "units.h"
#include "ksfiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace velmar {

namespace {

struct Unit {
    std::string name;
    UnitKind kind = UnitKind::Input;
    std::FILE* fp = nullptr;
    long long records = 0;  // records read or written so far
    bool peeked = false;    // `next` holds the record after the last one read
    std::string next;
};

std::map<int, Unit>& units()
{
    static std::map<int, Unit> u;
    return u;
}

std::string describe(int unit, const Unit* u)
{
    std::string s = "unit " + std::to_string(unit);
    if (u)
        s += " (file '" + u->name + "')";
    return s;
}

// Longest record kept; the rest of a longer line is ignored.
constexpr size_t kMaxRecord = 1 << 16;

// Reads one line without its line end; false at end of file.
bool readLine(Unit& u, std::string& line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(u.fp)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() < kMaxRecord)
            line += static_cast<char>(c);
    }
    if (!any) {
        if (std::ferror(u.fp))
            throw RecordError(std::string("read failed: ") + std::strerror(errno));
        return false;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();  // CR LF records
    return true;
}

class FileSource : public RecordSource {
public:
    explicit FileSource(Unit& u) : u_(u) {}
    bool nextRecord(std::string& line) override
    {
        if (u_.peeked) {
            u_.peeked = false;
            line.swap(u_.next);
        } else if (!readLine(u_, line)) {
            return false;
        }
        ++u_.records;
        return true;
    }

private:
    Unit& u_;
};

Unit& findUnit(int unit, const char* op, std::string_view format)
{
    auto it = units().find(unit);
    if (it == units().end() || (!it->second.fp && unit != 6))
        throw FatalError(std::string(op) + " on " + describe(unit, nullptr) + " with format " +
                         std::string(format) + ": unit is not open");
    return it->second;
}

}  // namespace

std::string unitFileName(int unit)
{
    auto it = units().find(unit);
    return it == units().end() ? std::string() : it->second.name;
}

void openUnit(int unit, const std::string& given, UnitKind kind)
{
    std::string name = given;
    size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        name = "fort." + std::to_string(unit);
    else
        name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    Unit u;
    u.name = name;
    u.kind = kind;
    // Input must be a regular file: a FIFO would block the run and a
    // device would feed bytes without end.
    u.fp = kind == UnitKind::Input ? ks::openRegularFileStream(name, "rb") : std::fopen(name.c_str(), "wb");
    if (!u.fp) {
        const bool special = kind == UnitKind::Input && (errno == EINVAL || errno == EISDIR);
        throw FatalError(std::string("open for ") + (kind == UnitKind::Input ? "reading" : "writing") +
                         " of " + describe(unit, &u) + " failed: " +
                         (special ? "not a regular file" : std::strerror(errno)));
    }
    units()[unit] = u;
}

void closeUnit(int unit)
{
    auto it = units().find(unit);
    if (it == units().end())
        return;
    if (it->second.fp) {
        bool bad = std::fclose(it->second.fp) != 0;
        it->second.fp = nullptr;
        if (bad && it->second.kind != UnitKind::Input)
            throw FatalError("close of " + describe(unit, &it->second) + " failed: " + std::strerror(errno));
    }
    units().erase(it);
}

void closeAllUnits()
{
    for (auto& [n, u] : units())
        if (u.fp) {
            std::fclose(u.fp);
            u.fp = nullptr;
        }
    units().clear();
    std::fflush(stdout);
}

void readf(int unit, std::string_view format, const std::vector<InItem>& items)
{
    Unit& u = findUnit(unit, "read", format);
    try {
        FileSource src(u);
        readRecords(Format::get(format), src, items);
    } catch (const RecordError& e) {
        throw FatalError("read on " + describe(unit, &u) + " with format " + std::string(format) +
                         " at record " + std::to_string(u.records) + ": " + e.what());
    }
}

bool peekRecord(int unit, std::string& line)
{
    Unit& u = findUnit(unit, "read", "(A)");
    try {
        if (!u.peeked && !readLine(u, u.next))
            return false;
    } catch (const RecordError& e) {
        throw FatalError("read on " + describe(unit, &u) + " at record " + std::to_string(u.records + 1) + ": " +
                         e.what());
    }
    u.peeked = true;
    line = u.next;
    return true;
}

std::string printable(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

namespace {

void emit(int unit, Unit* u, const std::vector<std::string>& recs, std::string_view format)
{
    std::FILE* fp = unit == 6 ? stdout : u->fp;
    const char* eol = u && u->kind == UnitKind::Result ? "\r\n" : "\n";
    for (const auto& r : recs) {
        if (std::fwrite(r.data(), 1, r.size(), fp) != r.size() || std::fputs(eol, fp) == EOF)
            throw FatalError("write on " + describe(unit, u) + " with format " + std::string(format) +
                             " failed: " + std::strerror(errno));
        if (u)
            ++u->records;
    }
}

}  // namespace

void writef(int unit, std::string_view format, const std::vector<OutItem>& items)
{
    Unit* u = unit == 6 ? nullptr : &findUnit(unit, "write", format);
    std::vector<std::string> recs;
    try {
        recs = writeRecords(Format::get(format), items);
    } catch (const RecordError& e) {
        throw FatalError("write on " + describe(unit, u) + " with format " + std::string(format) + ": " +
                         e.what());
    }
    emit(unit, u, recs, format);
}

void writeList(int unit, std::string_view text)
{
    Unit* u = unit == 6 ? nullptr : &findUnit(unit, "write", "*");
    emit(unit, u, {listDirected(text)}, "*");
}

}  // namespace velmar
