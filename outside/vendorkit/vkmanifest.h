// The manifest of the vendor stand-ins: a line-oriented text of ours that
// describes what an outside reading component would find in a dataset
// (analyses, spectra, chromatograms) and which of its calls should fail.
//
//   <magic line of the stand-in>
//   # a comment
//   [spectrum]
//   time 90
//   masses 100.5 200.25 "300"
//   masses-type r4
//   [end]
//
// Parsing is in two steps. parseManifest splits the bytes into records
// ("[type]" lines) holding fields ("name value ..." lines) without knowing
// what they mean; validate then checks them against the stand-in's Schema
// (record types and how often each may stand, field names, how many values
// of which kind) and converts the values, so a stand-in reads only what it
// declared and never guesses at the rest. Every failure names its line and
// reason (ParseStatus). README.md gives the format.
//
// Nothing is sized by a number read from the text: every list holds what
// the text itself lists, and a file is read only when it is a regular file
// of at most kMaxManifestBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kstypes.h"
#include "kswinerror.h"
#include "vkarray.h"

namespace vendorkit {

// A manifest file larger than this is refused.
constexpr size_t kMaxManifestBytes = 64u << 20;

// Where reading stopped and why. line counts from 1; 0 when the failure
// belongs to no line (the file could not be read).
struct ParseStatus {
    bool ok = true;
    int line = 0;
    std::string reason;

    static ParseStatus failure(int line, std::string reason);
    // "line 3: unknown field "mass" in [spectrum]", or the bare reason.
    std::string message() const;
};

enum class FieldKind {
    Text,     // one value
    Texts,    // exactly FieldRule::count values
    Integer,  // one 32-bit integer, decimal or 0x hexadecimal, within min..max
    Number,   // one finite number
    Numbers,  // any number of finite numbers
    Array,    // any number of finite numbers, and an optional field
              // "<name>-type" naming the ArrayForm they are returned in
    Result,   // one failure code: 0x8xxxxxxx or a name (E_FAIL, ...)
};

struct FieldRule {
    std::string name;
    FieldKind kind = FieldKind::Text;
    bool required = false;
    bool repeated = false;  // may stand more than once
    int count = 1;          // values of a Texts field
    LONG min = INT32_MIN;   // range of an Integer field
    LONG max = INT32_MAX;
    ArrayForm form = ArrayForm::R8;  // of an Array field without "<name>-type"
};

struct RecordRule {
    std::string type;
    std::vector<FieldRule> fields;
    int minCount = 0;
    int maxCount = INT32_MAX;
};

// What a stand-in accepts. The record type "fault" (see vkfault.h) is
// added by withFaults.
struct Schema {
    std::vector<RecordRule> records;

    // The record "fault" with the fields "operation" (one of the given
    // names), "call" (1 or more) and "result" (a failure code).
    Schema& withFaults(const std::vector<std::string>& operations);
    std::vector<std::string> faultOperations;
    const RecordRule* find(std::string_view type) const;
};

struct Field {
    std::string name;
    int line = 0;
    std::vector<std::string> values;  // the tokens, unquoted
    // Filled by validate, by the field's kind:
    std::vector<double> numbers;      // Number, Numbers, Array
    LONG integer = 0;                 // Integer, Result (the code's bits)
    ArrayForm form = ArrayForm::R8;   // Array: its "<name>-type", else the rule's form
    bool formGiven = false;           // "<name>-type" stood
};

struct Record {
    std::string type;
    int line = 0;
    std::vector<Field> fields;

    // The first field of that name, or null.
    const Field* find(std::string_view name) const;
    // Every field of that name, in order.
    std::vector<const Field*> all(std::string_view name) const;
    bool has(std::string_view name) const { return find(name) != nullptr; }

    // Values of validated fields; the fallback when the field is absent.
    std::string text(std::string_view name, const std::string& fallback = std::string()) const;
    LONG integer(std::string_view name, LONG fallback = 0) const;
    double number(std::string_view name, double fallback = 0) const;
    std::vector<double> numbers(std::string_view name) const;
    // An Array field: its numbers and the form it is returned in. An
    // absent field gives no numbers in the form R8.
    ArrayValues array(std::string_view name) const;
};

struct Manifest {
    std::vector<Record> records;

    // Every record of that type, in order.
    std::vector<const Record*> all(std::string_view type) const;
    // The first record of that type, or null.
    const Record* find(std::string_view type) const;
};

// Splits text into records and fields. The first line must be `magic`
// exactly (a foreign file); then, per line (LF or CR LF; blanks are spaces
// and tabs around tokens): empty lines and lines starting with "#" are
// skipped, "[type]" starts a record, anything else is a field of the
// current record: its name, then its values. A value is a run of
// non-blank characters, or a quoted text ("...") with the escapes \\ \"
// \t \n \r. Names and types are letters, digits and "_", "-", ".". The
// line "[end]" closes the manifest: only blank and comment lines may
// follow, and a text without it is cut short. A zero byte, a field before
// the first record, an unterminated or misplaced quote, an unknown escape
// or a bad name is damage.
ParseStatus parseManifest(std::string_view text, std::string_view magic, Manifest& out);

// Checks the parsed manifest against the schema and fills the typed
// values: unknown record types or fields, records standing too often or
// too rarely, missing required fields, repeated single fields, a wrong
// number of values, values that are no number, integer or code, or that do
// not fit their array form (valuesFit) are damage. An Array field's
// "<name>-type" must follow it in the same record.
ParseStatus validate(Manifest& manifest, const Schema& schema);

// parseManifest and validate.
ParseStatus readManifest(std::string_view text, std::string_view magic, const Schema& schema, Manifest& out);

// The same from a file, opened only when it is a regular file (a folder,
// FIFO or device is refused at once, never waited on) of at most
// kMaxManifestBytes.
ParseStatus readManifestFile(const std::string& path, std::string_view magic, const Schema& schema,
                             Manifest& out);

// The whole text of a file, read only when it is a regular file (a
// folder, FIFO or device is refused at once: "not a regular file") of at
// most maxBytes ("larger than ..."); "cannot be opened" otherwise. For the
// other files a stand-in reads beside its manifest (a header text).
ParseStatus readTextFile(const std::string& path, size_t maxBytes, std::string& text);

// Numbers and codes as the manifest writes them ("C" locale), for
// stand-ins and tests: false for anything else.
bool parseNumber(std::string_view token, double& out);
bool parseInteger(std::string_view token, LONG& out);
// 0x8xxxxxxx, a negative decimal, or one of the names E_FAIL, E_NOTIMPL,
// E_INVALIDARG, E_OUTOFMEMORY, E_POINTER, E_ACCESSDENIED, E_UNEXPECTED,
// E_ABORT, DISP_E_BADINDEX, DISP_E_TYPEMISMATCH, REGDB_E_CLASSNOTREG.
// Success codes are refused.
bool parseFailureCode(std::string_view token, HRESULT& out);

}  // namespace vendorkit
