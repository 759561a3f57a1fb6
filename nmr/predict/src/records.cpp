#include "records.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace velmar {

struct FormatNode {
    enum Kind { I, F, E, A, X, Lit, Slash, Group } kind = Group;
    int rep = 1;
    int w = 0;          // field width; for A, 0 means "the variable's length"
    int d = 0;          // decimals
    bool hasWidth = false;
    std::string lit;
    std::vector<FormatNode> sub;
};

namespace {

bool isDataKind(FormatNode::Kind k)
{
    return k == FormatNode::I || k == FormatNode::F || k == FormatNode::E || k == FormatNode::A;
}

class Parser {
public:
    explicit Parser(std::string_view t) : t_(t) {}

    FormatNode parseAll(int& reversion)
    {
        skipBlanks();
        expect('(');
        FormatNode root;
        root.kind = FormatNode::Group;
        parseList(root, &reversion);
        expect(')');
        skipBlanks();
        if (p_ != t_.size())
            fail("text after the closing parenthesis");
        return root;
    }

private:
    std::string_view t_;
    size_t p_ = 0;

    [[noreturn]] void fail(const char* what)
    {
        throw RecordError(std::string("bad layout ") + std::string(t_) + ": " + what);
    }
    void skipBlanks()
    {
        while (p_ < t_.size() && t_[p_] == ' ')
            ++p_;
    }
    void expect(char c)
    {
        skipBlanks();
        if (p_ >= t_.size() || t_[p_] != c)
            fail("unexpected character");
        ++p_;
    }
    bool digitAt() const { return p_ < t_.size() && t_[p_] >= '0' && t_[p_] <= '9'; }
    int number()
    {
        int v = 0;
        if (!digitAt())
            fail("number expected");
        while (digitAt()) {
            v = v * 10 + (t_[p_++] - '0');
            if (v > 100000)
                fail("number too large");
        }
        return v;
    }

    // items of a group up to its ')'; at the top level remembers where
    // reversion restarts (the last group's index, 0 when there is none)
    void parseList(FormatNode& g, int* reversion)
    {
        for (;;) {
            skipBlanks();
            if (p_ >= t_.size())
                fail("missing closing parenthesis");
            char c = t_[p_];
            if (c == ')')
                return;
            if (c == ',') {
                ++p_;
                continue;
            }
            FormatNode n;
            bool hasRep = false;
            if (digitAt()) {
                n.rep = number();
                hasRep = true;
                if (n.rep == 0)
                    fail("zero repeat count");
            }
            skipBlanks();
            if (p_ >= t_.size())
                fail("item expected");
            c = t_[p_];
            char uc = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (c == '(') {
                ++p_;
                n.kind = FormatNode::Group;
                parseList(n, nullptr);
                expect(')');
                if (reversion)
                    *reversion = static_cast<int>(g.sub.size());
            } else if (c == '/') {
                ++p_;
                n.kind = FormatNode::Slash;
            } else if (c == '\'' || c == '"') {
                if (hasRep)
                    fail("repeat count before a literal");
                char q = c;
                ++p_;
                n.kind = FormatNode::Lit;
                for (;;) {
                    if (p_ >= t_.size())
                        fail("unterminated literal");
                    if (t_[p_] == q) {
                        if (p_ + 1 < t_.size() && t_[p_ + 1] == q) {
                            n.lit += q;
                            p_ += 2;
                            continue;
                        }
                        ++p_;
                        break;
                    }
                    n.lit += t_[p_++];
                }
            } else if (uc == 'H') {
                if (!hasRep)
                    fail("H without a count");
                ++p_;
                if (p_ + static_cast<size_t>(n.rep) > t_.size())
                    fail("short H literal");
                n.kind = FormatNode::Lit;
                n.lit = std::string(t_.substr(p_, static_cast<size_t>(n.rep)));
                p_ += static_cast<size_t>(n.rep);
                n.rep = 1;
            } else if (uc == 'X') {
                ++p_;
                n.kind = FormatNode::X;
                n.w = n.rep;  // nX: n columns
                n.rep = 1;
            } else if (uc == 'I' || uc == 'F' || uc == 'E' || uc == 'A') {
                ++p_;
                n.kind = uc == 'I' ? FormatNode::I
                       : uc == 'F' ? FormatNode::F
                       : uc == 'E' ? FormatNode::E
                                   : FormatNode::A;
                if (digitAt()) {
                    n.w = number();
                    n.hasWidth = true;
                    if (n.w == 0)
                        fail("zero width");
                } else if (n.kind != FormatNode::A) {
                    fail("width expected");
                }
                if (p_ < t_.size() && t_[p_] == '.') {
                    if (n.kind == FormatNode::A)
                        fail("decimals on A");
                    ++p_;
                    n.d = number();
                } else if (n.kind == FormatNode::F || n.kind == FormatNode::E) {
                    fail("decimals expected");
                }
            } else {
                fail("unknown item");
            }
            g.sub.push_back(std::move(n));
        }
    }
};

}  // namespace

Format::Format(std::string_view text) : text_(text)
{
    Parser p(text);
    root_ = std::make_unique<FormatNode>(p.parseAll(reversion_));
}

Format::~Format() = default;

const Format& Format::get(std::string_view text)
{
    static std::map<std::string, std::unique_ptr<Format>, std::less<>> cache;
    auto it = cache.find(text);
    if (it != cache.end())
        return *it->second;
    auto f = std::make_unique<Format>(text);
    const Format& ref = *f;
    cache.emplace(std::string(text), std::move(f));
    return ref;
}

// ---- field conversions ----

std::string formatInt(int32_t v, int w)
{
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) > w)
        return std::string(static_cast<size_t>(w), '*');
    return std::string(static_cast<size_t>(w) - s.size(), ' ') + s;
}

namespace {

std::string nonFinite(float v, int w)
{
    std::string s;
    if (std::isnan(v))
        s = "NaN";
    else if (w >= 9 || (w >= 8 && !std::signbit(v)))
        s = std::signbit(v) ? "-Infinity" : "Infinity";
    else
        s = std::signbit(v) ? "-Inf" : "Inf";
    if (static_cast<int>(s.size()) > w)
        return std::string(static_cast<size_t>(w), '*');
    return std::string(static_cast<size_t>(w) - s.size(), ' ') + s;
}

std::string fit(bool neg, std::string digits, int w)
{
    // digits has the form "0.xxx" or "nnn.xxx"; the leading zero is
    // optional and goes when it does not fit
    std::string s = (neg ? "-" : "") + digits;
    if (static_cast<int>(s.size()) > w && digits.size() > 1 && digits[0] == '0' && digits[1] == '.')
        s = (neg ? "-" : "") + digits.substr(1);
    if (static_cast<int>(s.size()) > w)
        return std::string(static_cast<size_t>(w), '*');
    return std::string(static_cast<size_t>(w) - s.size(), ' ') + s;
}

}  // namespace

std::string formatFixed(float v, int w, int d)
{
    if (!std::isfinite(v))
        return nonFinite(v, w);
    char buf[400];
    double a = std::fabs(static_cast<double>(v));
    auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed, d);
    std::string digits(buf, r.ptr);
    if (d == 0)
        digits += '.';
    return fit(std::signbit(v), digits, w);
}

std::string formatExp(float v, int w, int d)
{
    if (!std::isfinite(v))
        return nonFinite(v, w);
    double a = std::fabs(static_cast<double>(v));
    std::string mant;
    int ex = 0;
    if (a == 0.0) {
        mant = std::string(static_cast<size_t>(d), '0');
    } else {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, d > 0 ? d - 1 : 0);
        std::string s(buf, r.ptr);
        size_t e = s.find('e');
        ex = std::atoi(s.c_str() + e + 1) + 1;
        for (size_t k = 0; k < e; ++k)
            if (s[k] != '.')
                mant += s[k];
        if (d == 0)
            mant.clear();
    }
    char eb[16];
    int ae = ex < 0 ? -ex : ex;
    if (ae <= 99)
        std::snprintf(eb, sizeof eb, "E%c%02d", ex < 0 ? '-' : '+', ae);
    else
        std::snprintf(eb, sizeof eb, "%c%03d", ex < 0 ? '-' : '+', ae);
    return fit(std::signbit(v), "0." + mant + eb, w);
}

int32_t parseIntField(std::string_view field)
{
    std::string s;
    for (char c : field)
        if (c != ' ' && c != '\t')
            s += c;
    if (s.empty())
        return 0;
    size_t p = 0;
    bool neg = false;
    if (s[0] == '+' || s[0] == '-') {
        neg = s[0] == '-';
        p = 1;
    }
    if (p >= s.size())
        return 0;  // a lone sign reads as 0
    int64_t v = 0;
    for (; p < s.size(); ++p) {
        if (s[p] < '0' || s[p] > '9')
            throw RecordError("bad integer \"" + std::string(field) + "\"");
        v = v * 10 + (s[p] - '0');
        if (v > 2147483648LL)
            throw RecordError("integer overflow \"" + std::string(field) + "\"");
    }
    if (neg)
        v = -v;
    if (v > INT32_MAX)
        throw RecordError("integer overflow \"" + std::string(field) + "\"");
    return static_cast<int32_t>(v);
}

float parseRealField(std::string_view field, int d)
{
    std::string s;
    for (char c : field)
        if (c != ' ' && c != '\t')
            s += c;
    if (s.empty())
        return 0.0f;
    auto bad = [&]() -> RecordError { return RecordError("bad real number \"" + std::string(field) + "\""); };
    size_t p = 0;
    bool neg = false;
    if (s[p] == '+' || s[p] == '-') {
        neg = s[p] == '-';
        ++p;
    }
    std::string intDigits, fracDigits;
    bool point = false;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9')
        intDigits += s[p++];
    if (p < s.size() && s[p] == '.') {
        point = true;
        ++p;
        while (p < s.size() && s[p] >= '0' && s[p] <= '9')
            fracDigits += s[p++];
    }
    if (intDigits.empty() && fracDigits.empty()) {
        if (p < s.size())
            throw bad();
        // a lone sign reads as 0, a signed point as a signed 0
        return neg && point ? -0.0f : 0.0f;
    }
    int64_t ex = 0;
    if (p < s.size()) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[p])));
        if (c == 'E' || c == 'D' || c == 'Q') {
            ++p;
        } else if (c != '+' && c != '-') {
            throw bad();
        }
        bool eneg = false;
        if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
            eneg = s[p] == '-';
            ++p;
        }
        if (p >= s.size())
            throw bad();
        for (; p < s.size(); ++p) {
            if (s[p] < '0' || s[p] > '9')
                throw bad();
            ex = ex * 10 + (s[p] - '0');
            if (ex > 100000)
                throw bad();
        }
        if (eneg)
            ex = -ex;
    }
    if (!point)
        ex -= d;  // implied decimals
    std::string num = (intDigits.empty() ? "0" : intDigits) + "." + fracDigits + "e" + std::to_string(ex);
    float v = 0.0f;
    auto r = std::from_chars(num.data(), num.data() + num.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // underflow reads as zero; overflow does not fit
        double dv = 0.0;
        std::from_chars(num.data(), num.data() + num.size(), dv);
        if (std::fabs(dv) > 1.0)
            throw RecordError("real number out of range \"" + std::string(field) + "\"");
        v = 0.0f;
    } else if (r.ec != std::errc() || r.ptr != num.data() + num.size() || !std::isfinite(v)) {
        throw bad();
    }
    return neg ? -v : v;
}

std::string listDirected(std::string_view text)
{
    return " " + std::string(text);
}

// ---- interpreter ----

namespace {

struct Stop {};  // the item list is exhausted at a data item

template <class Ops>
void runNodes(const std::vector<FormatNode>& nodes, size_t from, Ops& ops);

template <class Ops>
void runNode(const FormatNode& n, Ops& ops)
{
    switch (n.kind) {
    case FormatNode::Group:
        for (int r = 0; r < n.rep; ++r)
            runNodes(n.sub, 0, ops);
        break;
    case FormatNode::Slash:
        for (int r = 0; r < n.rep; ++r)
            ops.slash();
        break;
    case FormatNode::X:
        ops.skip(n.w);
        break;
    case FormatNode::Lit:
        ops.literal(n.lit);
        break;
    default:
        for (int r = 0; r < n.rep; ++r) {
            if (!ops.more())
                throw Stop{};
            ops.data(n);
        }
        break;
    }
}

template <class Ops>
void runNodes(const std::vector<FormatNode>& nodes, size_t from, Ops& ops)
{
    for (size_t k = from; k < nodes.size(); ++k)
        runNode(nodes[k], ops);
}

bool hasData(const FormatNode& n)
{
    if (isDataKind(n.kind))
        return true;
    for (const auto& s : n.sub)
        if (hasData(s))
            return true;
    return false;
}

template <class Ops>
void runFormat(const Format& f, Ops& ops)
{
    const auto& top = f.root().sub;
    size_t from = 0;
    try {
        for (;;) {
            runNodes(top, from, ops);
            if (!ops.more())
                return;
            bool revData = false;
            for (size_t k = static_cast<size_t>(f.reversionIndex()); k < top.size(); ++k)
                revData = revData || hasData(top[k]);
            if (!revData)
                throw RecordError("layout " + f.text() + " has no data item for the remaining values");
            ops.slash();
            from = static_cast<size_t>(f.reversionIndex());
        }
    } catch (const Stop&) {
    }
}

struct WriteOps {
    explicit WriteOps(const std::vector<OutItem>& i) : items(i) {}
    const std::vector<OutItem>& items;
    size_t next = 0;
    std::vector<std::string> records;
    std::string cur;
    size_t pos = 0;

    bool more() const { return next < items.size(); }
    void put(const std::string& s)
    {
        if (cur.size() < pos)
            cur.resize(pos, ' ');
        cur.replace(pos, std::min(s.size(), cur.size() - pos), s);
        pos += s.size();
    }
    void slash()
    {
        records.push_back(cur);
        cur.clear();
        pos = 0;
    }
    void skip(int n) { pos += static_cast<size_t>(n); }
    void literal(const std::string& s) { put(s); }
    void data(const FormatNode& n)
    {
        const OutItem& it = items[next++];
        switch (n.kind) {
        case FormatNode::I:
            if (it.kind != OutItem::Int)
                throw RecordError("layout " + std::string("I item given a non-integer"));
            put(formatInt(it.i, n.w));
            break;
        case FormatNode::F:
        case FormatNode::E: {
            float v = it.kind == OutItem::Real ? it.r : it.kind == OutItem::Int ? static_cast<float>(it.i) : 0.0f;
            if (it.kind == OutItem::Text)
                throw RecordError("real item given text");
            put(n.kind == FormatNode::F ? formatFixed(v, n.w, n.d) : formatExp(v, n.w, n.d));
            break;
        }
        case FormatNode::A: {
            if (it.kind != OutItem::Text)
                throw RecordError("A item given a number");
            std::string s(it.s);
            if (n.hasWidth) {
                size_t w = static_cast<size_t>(n.w);
                if (w > s.size())
                    s = std::string(w - s.size(), ' ') + s;
                else
                    s.resize(w);
            }
            put(s);
            break;
        }
        default:
            break;
        }
    }
};

struct ReadOps {
    ReadOps(RecordSource& s, const std::vector<InItem>& i) : src(s), items(i) {}
    RecordSource& src;
    const std::vector<InItem>& items;
    size_t next = 0;
    std::string cur;
    size_t pos = 0;

    bool more() const { return next < items.size(); }
    void fetch()
    {
        if (!src.nextRecord(cur))
            throw RecordError("end of file");
        pos = 0;
    }
    void slash() { fetch(); }
    void skip(int n) { pos += static_cast<size_t>(n); }
    void literal(const std::string& s) { pos += s.size(); }
    std::string field(size_t w)
    {
        std::string f = pos < cur.size() ? cur.substr(pos, w) : std::string();
        f.resize(w, ' ');  // short records are padded with blanks
        pos += w;
        return f;
    }
    void data(const FormatNode& n)
    {
        const InItem& it = items[next++];
        switch (n.kind) {
        case FormatNode::I:
            if (it.kind != InItem::Int)
                throw RecordError("I item read into a non-integer");
            *it.i = parseIntField(field(static_cast<size_t>(n.w)));
            break;
        case FormatNode::F:
        case FormatNode::E:
            if (it.kind != InItem::Real)
                throw RecordError("real item read into a non-real");
            *it.r = parseRealField(field(static_cast<size_t>(n.w)), n.d);
            break;
        case FormatNode::A: {
            if (it.kind != InItem::Text)
                throw RecordError("A item read into a number");
            size_t len = static_cast<size_t>(it.len);
            size_t w = n.hasWidth ? static_cast<size_t>(n.w) : len;
            std::string f = field(w);
            if (w >= len) {
                std::memcpy(it.s, f.data() + (w - len), len);
            } else {
                std::memcpy(it.s, f.data(), w);
                std::memset(it.s + w, ' ', len - w);
            }
            break;
        }
        default:
            break;
        }
    }
};

}  // namespace

std::vector<std::string> writeRecords(const Format& f, const std::vector<OutItem>& items)
{
    WriteOps ops(items);
    runFormat(f, ops);
    ops.records.push_back(ops.cur);
    return ops.records;
}

void readRecords(const Format& f, RecordSource& src, const std::vector<InItem>& items)
{
    ReadOps ops(src, items);
    ops.fetch();
    runFormat(f, ops);
}

}  // namespace velmar
