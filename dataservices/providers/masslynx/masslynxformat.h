// What the MassLynx reader knows of a raw directory without the vendor's
// classes: its recognition by the header file, the ionisation and polarity
// of a function in the header text, the table of function-type names, the
// data-source strings and scan texts of the provider, and where a scan's
// points start. None of it needs a component (the fuzz target links it
// alone).
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kstypes.h"

// The provider's programmatic identifier, which every data-source string
// begins with.
inline constexpr const wchar_t* kMassLynxProgID = L"KSMLProvider.KSMLProvider";

// One entry of the table of function-type names.
struct MassLynxFunctionType {
    const wchar_t* name;
    LONG functionType;  // FunctionType
    LONG msmsType;      // FunctionMSMSType
    bool diodeArray;    // a diode-array function: a trace, no MS function
};

// The entry whose name equals name exactly; a name not in the table counts
// as an MS function with both types 0 (the answer is then that default).
const MassLynxFunctionType& FindMassLynxFunctionType(const std::wstring& name);

// Whether the first line of a header file, as its first bytes, marks a
// raw directory: of at most 999 bytes, the line up to its first line feed
// (and up to a zero byte, where a text ends) holds "$$ Version".
bool IsMassLynxHeaderLine(const char* bytes, size_t size);
// Whether path names a raw directory: an existing folder whose path
// (trailing separators aside) is longer than four characters and ends in
// ".raw" in any case, holding a file "_header.txt" (found without regard
// to case; a regular file only, never waited on) whose first line
// IsMassLynxHeaderLine accepts.
bool IsMassLynxRawDirectory(const std::wstring& path);

// An ionisation text is cut to this many characters (its polarity still
// comes from the sign after the whole value): real values are a word such
// as "ES" or "APCI", and one value may serve every function of a header.
inline constexpr size_t kMaxIonisationText = 64;

// The ionisation text and polarity (1 positive, 2 negative) of function n
// in a header text; "Unknown" and 1 when the header says nothing of it.
// First the value after "Polarity" following the heading "Instrument
// Parameters - Function n:" (its first occurrence, at a position above
// 0), else the value after "Ionization mode:" following a line "Function
// n" (the first at a position above 0). A value is the characters after
// the word's blanks and tabs up to a character of code 32 or below; "+"
// ends it positive, "-" negative, anything else belongs to the text (of
// which the first kMaxIonisationText characters are kept).
//
// The index reads the header once, so that asking every function of a
// header costs no more than reading it: each answer is a few lookups
// (the header must outlive the index).
class CMassLynxIonisationIndex {
public:
    explicit CMassLynxIonisationIndex(const std::wstring& header);
    void Find(LONG n, std::wstring& ionisation, LONG& polarity) const;

private:
    // The value after a word ending at `at`.
    void Collect(size_t at, std::wstring& ionisation, LONG& polarity) const;

    const std::wstring& m_header;
    // By the number's text: where the first heading of each function ends,
    // and where the first line naming it ends (after its line end).
    std::unordered_map<std::wstring, size_t> m_headings;
    std::unordered_map<std::wstring, size_t> m_lines;
    // Ascending: where each "Polarity" and "Ionization mode:" ends, where a
    // value stops (a character of code 32 or below, or a sign), and the
    // runs of blanks and tabs (start, end).
    std::vector<size_t> m_polarity;
    std::vector<size_t> m_modes;
    std::vector<size_t> m_stops;
    std::vector<std::pair<size_t, size_t>> m_blanks;
};

// CMassLynxIonisationIndex(header).Find(n, ...): for one function.
void FindIonisation(const std::wstring& header, LONG n, std::wstring& ionisation, LONG& polarity);

// "KSMLProvider.KSMLProvider; <path>; Function: <function>".
std::wstring MakeMassLynxDataSource(const std::wstring& path, LONG function);
// Reads a data-source string as "%[^;]; %[^;]; Function: %d" does (the
// text ends at its first zero character): a first field of 1 to 258
// characters up to the first ";", which must be the programmatic
// identifier (letters in any case); white space; the path, 1 to 258
// characters up to the next ";"; white space; "Function:"; the function
// number. What follows may be one more field, "; <scan text>" (the form
// the provider writes into its own description), which becomes scanText
// (leading white space skipped; empty without one). False (outputs
// unchanged) otherwise; a longer field never parses.
bool ParseMassLynxDataSource(const std::wstring& dataSource, std::wstring& path, LONG& function,
                             std::wstring& scanText);

// The scan texts of the data-source reads: " <scan>" or "History: <scan>".
std::wstring MakeScanText(LONG scan, bool history);
// A text starting with "History" is read as "%[^:]: %d", any other as
// "%d" (leading white space skipped). False for a text without its number
// (an empty text too) or a number beyond 32 bits.
bool ParseScanText(const std::wstring& text, LONG& scan);

// Where the points of a scan start: leading points are skipped as long as
// the next mass is not greater than the current one, never past the last
// point (0 for 0 or 1 point; count - 1 for masses that never rise).
LONG FirstRisingPoint(const double* masses, LONG count);
