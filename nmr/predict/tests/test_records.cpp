// The record engine against the reference table written by the Fortran
// program fmtref.f90 over fmt_cases.txt.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "records.h"
#include "kstest.h"

using namespace velmar;

namespace {

struct Case {
    std::string id, kind, layout, values;
};

std::vector<Case> loadCases()
{
    std::vector<Case> cases;
    std::ifstream in(VELMAR_FMT_CASES);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t p1 = line.find('|'), p2 = line.find('|', p1 + 1), p3 = line.find('|', p2 + 1);
        size_t p4 = line.rfind('|');
        cases.push_back({line.substr(0, p1), line.substr(p1 + 1, p2 - p1 - 1), line.substr(p2 + 1, p3 - p2 - 1),
                         line.substr(p3 + 1, p4 - p3 - 1)});
    }
    return cases;
}

std::map<std::string, std::vector<std::string>> loadReference(const char* path)
{
    std::map<std::string, std::vector<std::string>> ref;
    std::ifstream in(path);
    std::string line, id;
    while (std::getline(in, line)) {
        if (line.rfind("@@ ", 0) == 0) {
            id = line.substr(3);
            ref[id];
        } else {
            ref[id].push_back(line);
        }
    }
    return ref;
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    if (s.empty())
        return parts;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        parts.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos)
            break;
        start = p + 1;
    }
    return parts;
}

class VectorSource : public RecordSource {
public:
    explicit VectorSource(std::vector<std::string> r) : recs_(std::move(r)) {}
    bool nextRecord(std::string& line) override
    {
        if (next_ >= recs_.size())
            return false;
        line = recs_[next_++];
        return true;
    }

private:
    std::vector<std::string> recs_;
    size_t next_ = 0;
};

std::vector<std::string> runCase(const Case& c)
{
    const Format& f = Format::get(c.layout);
    if (c.kind[0] == 'W') {
        std::vector<std::string> toks = split(c.values, ';');
        std::vector<std::string> texts;
        std::vector<OutItem> items;
        if (c.kind == "WI") {
            for (auto& t : toks)
                items.emplace_back(static_cast<int32_t>(std::stol(t)));
        } else if (c.kind == "WF") {
            for (auto& t : toks)
                items.emplace_back(std::strtof(t.c_str(), nullptr));
        } else if (c.kind == "WAF") {
            texts.push_back(toks[0].substr(0, 2));
            items.emplace_back(std::string_view(texts[0]));
            for (size_t k = 1; k < toks.size(); ++k)
                items.emplace_back(std::strtof(toks[k].c_str(), nullptr));
        } else {
            size_t len = std::stoul(c.kind.substr(2));
            texts.reserve(toks.size());
            for (auto& t : toks) {
                std::string s = t.substr(0, len);
                s.resize(len, ' ');
                texts.push_back(s);
            }
            for (auto& t : texts)
                items.emplace_back(std::string_view(t));
        }
        return writeRecords(f, items);
    }
    VectorSource src(split(c.values, '~').empty() ? std::vector<std::string>{""} : split(c.values, '~'));
    int n = std::stoi(c.kind.substr(2));
    std::ostringstream out;
    try {
        if (c.kind[1] == 'I') {
            std::vector<int32_t> v(static_cast<size_t>(n));
            std::vector<InItem> items;
            for (auto& x : v)
                items.emplace_back(x);
            readRecords(f, src, items);
            out << "ok";
            for (auto x : v)
                out << ' ' << x;
        } else if (c.kind[1] == 'F') {
            std::vector<float> v(static_cast<size_t>(n));
            std::vector<InItem> items;
            for (auto& x : v)
                items.emplace_back(x);
            readRecords(f, src, items);
            out << "ok";
            for (auto x : v) {
                int32_t bits;
                std::memcpy(&bits, &x, 4);
                out << ' ' << bits;
            }
        } else {
            std::string buf(static_cast<size_t>(n), ' ');
            readRecords(f, src, {InItem(buf.data(), n)});
            out << "ok [" << buf << "]";
        }
    } catch (const RecordError&) {
        return {"ERR"};
    }
    return {out.str()};
}

}  // namespace

TEST(VelmarRecords, MatchesReferenceRunTime)
{
    auto cases = loadCases();
    auto ref = loadReference(VELMAR_FMT_REFERENCE);
    ASSERT_GT(cases.size(), 100u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id + " " + c.layout);
        auto it = ref.find(c.id);
        ASSERT_NE(it, ref.end()) << "no reference for " << c.id;
        EXPECT_EQ(runCase(c), it->second);
    }
}

TEST(VelmarRecords, CommittedTableIsCurrent)
{
    // when the table is generated at build time the committed copy must
    // say the same, so that builds without a Fortran compiler test the same
    if (std::string(VELMAR_FMT_REFERENCE) == VELMAR_FMT_COMMITTED)
        GTEST_SKIP() << "no Fortran compiler: the committed table is the reference";
    EXPECT_EQ(ks::test::readFile(VELMAR_FMT_REFERENCE), ks::test::readFile(VELMAR_FMT_COMMITTED));
}

TEST(VelmarRecords, BadLayoutsAreRefused)
{
    for (const char* bad : {"(I3", "I3)", "(Q3)", "(F8)", "(I0)", "(0I3)", "(3HAB)", "('abc)", "(I3) x"})
        EXPECT_THROW(Format f(bad), RecordError) << bad;
}

TEST(VelmarRecords, ReversionWithoutDataItemsIsAnError)
{
    // the layout would loop for ever on the remaining item
    const Format& f = Format::get("(I3,(1X))");
    EXPECT_THROW(writeRecords(f, {int32_t(1), int32_t(2)}), RecordError);
}

TEST(VelmarRecords, HugeNumbersDoNotFitAField)
{
    EXPECT_THROW(parseIntField("99999999999"), RecordError);
    EXPECT_THROW(parseRealField("1E99", 3), RecordError);
    EXPECT_THROW(parseRealField("1E999999", 3), RecordError);
    EXPECT_THROW(parseRealField("NaN", 3), RecordError);
    EXPECT_EQ(parseRealField("1E-99", 3), 0.0f);
    EXPECT_EQ(parseIntField("-2147483648"), INT32_MIN);
}
