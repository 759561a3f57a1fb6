// XMASS parameter files and the parameter dictionary CBruker.
//
// A parameter file is 8-bit text in the JCAMP-DX manner. Only lines that
// begin with "##" carry parameters, in the form "##$NAME= value"; other
// lines (array values after "##$NAME= (0..5)", comments) are skipped. A
// value is kept only for a name the dictionary defines, and only when it
// is not empty; later lines and later files overwrite earlier values.
//
// CBruker holds a fixed table of the parameters the readers use, each
// with a type code. The typed getters answer false, leaving their output
// untouched (the text getter empties it), when the name is not defined,
// its type code is another, its value is empty or does not fit the type.
//
// Paths are wide text and accept "\" and "/"; files are opened only when
// they are regular files (a folder, FIFO or device is refused, never
// waited on).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "kstypes.h"

// Type codes of the parameter definitions.
enum BrukerParameterType : int {
    BrukerInteger = 2,            // decimal integer; no digits read as 0
    BrukerReal = 3,               // decimal number
    BrukerText = 4,               // any text
    BrukerBinaryFlag = 5,         // exactly "0" or "1"
    BrukerCalibrationMethod = 6,  // an integer from 0 to 3
    BrukerYesNo = 7,              // exactly "no" (0) or "yes" (1)
    BrukerDetectionMode = 8,      // an integer, 0 or 1
};

class CBruker {
public:
    struct Definition {
        std::wstring name;
        std::wstring description;
        int type = BrukerText;
        std::wstring value;  // empty until read
    };

    // The fixed table, every value empty.
    CBruker();
    virtual ~CBruker();

    // Defines (or redefines) a parameter with an empty value. The name is
    // trimmed of white space; an empty name defines nothing.
    void AddParameter(const std::wstring& name, int type, const std::wstring& description);
    // Back to the fixed table with empty values.
    void Clear();
    // Stores the text; false when it is empty or the name is not defined.
    bool SetValue(const std::wstring& name, const std::wstring& text);

    // The definition of a name (case-sensitive), or null.
    const Definition* Find(const std::wstring& name) const;
    // Every definition, in the order first defined.
    std::vector<const Definition*> Definitions() const;

    bool GetInteger(const std::wstring& name, LONG& value) const;
    bool GetDouble(const std::wstring& name, double& value) const;
    bool GetString(const std::wstring& name, std::wstring& value) const;
    bool GetBinaryFlag(const std::wstring& name, LONG& value) const;
    bool GetCalibrationMethod(const std::wstring& name, LONG& value) const;
    bool GetYesNo(const std::wstring& name, LONG& value) const;
    bool GetDetectionMode(const std::wstring& name, LONG& value) const;

private:
    const std::wstring* ValueOf(const std::wstring& name, int type) const;
    // 0 or 1 for a value that is exactly one of the two texts.
    bool GetChoice(const std::wstring& name, int type, const wchar_t* zero, const wchar_t* one, LONG& value) const;
    // A value that is a whole integer from low to high.
    bool GetWholeInRange(const std::wstring& name, int type, LONG low, LONG high, LONG& value) const;
    void DefineFixedTable();

    std::map<std::wstring, Definition> m_Definitions;
    std::vector<std::wstring> m_Order;
    bool m_bFixedTable = false;  // the definitions are the fixed table's, unchanged
};

// Longest line a parameter file may hold, in bytes; the rest of a longer
// line is dropped (it never becomes a line of its own).
inline constexpr size_t kBrukerMaxLine = 1023;

// One parameter line (without its line end). True for a line that begins
// with "##", with the name (after the leading "#" characters, up to the
// first "#" or "=", trimmed) and the value (after the "=" and any "#" or
// "=" that follow it, up to the next "#" or "=" or the end, trimmed, one
// leading "<" and then one trailing ">" removed). The bytes are Latin-1.
bool ParseParameterLine(const std::string& line, std::wstring& name, std::wstring& value);

// Reads every parameter line of the file into the dictionary. True when
// the file could be opened, whatever it held.
bool ReadParameterFile(const std::wstring& path, CBruker& parameters);

// Reads the file, then the file whose name has "s" appended ("acqu", then
// "acqus"), both found in their folder without regard to case. False when
// the first cannot be opened (the second is then not read); otherwise the
// result of the second. firstRead, when given, tells whether the first
// file was read.
bool ReadParameterPair(const std::wstring& path, CBruker& parameters, bool* firstRead = nullptr);

// Reads a decimal number at `position` (after white space): sign, digits
// with an optional fraction, optional exponent. True with the value and
// the position after the number; false (both untouched) when none starts
// there, for forms that are not decimal (inf, nan, hexadecimal) and for a
// value beyond the range of a double.
bool ParseBrukerReal(const std::wstring& text, size_t& position, double& value);

// Reads a decimal integer as the parameter files hold them: leading white
// space, an optional sign, then the digits up to the first other
// character, 0 when there are none; values beyond 32 bits stop at the
// nearest limit. With `whole`, the text must be exactly an optional sign
// and at least one digit (white space around them allowed), else false;
// without it the answer is always true.
bool ParseBrukerInteger(const std::wstring& text, LONG& value, bool whole = false);
