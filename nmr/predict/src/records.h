// Fixed-column records: the format notation of the program's files
// (I, F, E, A, X, literals, "/", repeat counts, groups with reversion)
// and the rules of the run-time these records were written for.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// A record does not fit its layout (or the layout itself is bad).
class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One value written through a layout.
struct OutItem {
    enum Kind { Int, Real, Text } kind;
    int32_t i = 0;
    float r = 0.0f;
    std::string_view s;
    OutItem(int32_t v) : kind(Int), i(v) {}
    OutItem(float v) : kind(Real), r(v) {}
    OutItem(std::string_view v) : kind(Text), s(v) {}
    OutItem(const char* v) : kind(Text), s(v) {}
    OutItem(const std::string& v) : kind(Text), s(v) {}
};

// One variable read through a layout. Text goes into a fixed-length
// character variable (blank padded), as the program's text fields are.
struct InItem {
    enum Kind { Int, Real, Text } kind;
    int32_t* i = nullptr;
    float* r = nullptr;
    char* s = nullptr;
    int len = 0;
    InItem(int32_t& v) : kind(Int), i(&v) {}
    InItem(float& v) : kind(Real), r(&v) {}
    InItem(char* buf, int n) : kind(Text), s(buf), len(n) {}
};

struct FormatNode;

// A parsed layout such as "(1X,6(1X,A2))". Layouts are parsed once and
// kept for the run.
class Format {
public:
    static const Format& get(std::string_view text);
    explicit Format(std::string_view text);
    ~Format();
    const std::string& text() const { return text_; }
    const FormatNode& root() const { return *root_; }
    int reversionIndex() const { return reversion_; }

private:
    std::string text_;
    std::unique_ptr<FormatNode> root_;
    int reversion_ = 0;
};

// Source of input records for a read: the next line without its line end,
// false at end of file.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual bool nextRecord(std::string& line) = 0;
};

// Writes the items through the layout and returns the records made.
std::vector<std::string> writeRecords(const Format& f, const std::vector<OutItem>& items);

// Reads the items through the layout, taking as many records as it needs.
// Throws RecordError on a field that does not fit or an end of file.
void readRecords(const Format& f, RecordSource& src, const std::vector<InItem>& items);

// Field conversions on their own (used by the above and by tests).
std::string formatInt(int32_t v, int w);
std::string formatFixed(float v, int w, int d);
std::string formatExp(float v, int w, int d);
int32_t parseIntField(std::string_view field);
float parseRealField(std::string_view field, int d);

// List-directed text output: one leading blank.
std::string listDirected(std::string_view text);

}  // namespace velmar
