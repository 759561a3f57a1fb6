// Numbered file units of the program: the seven files of the command line
// and standard output (unit 6), read and written record by record.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common.h"
#include "records.h"

namespace velmar {

// An input or output statement failed: the run ends with this message on
// standard error and a non-zero exit status.
class FatalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class UnitKind { Input, Listing, Result };

// Opens a unit. A blank name means the unit's default file "fort.<unit>".
// An input file must exist; an output file is created or truncated.
void openUnit(int unit, const std::string& name, UnitKind kind);
void closeUnit(int unit);
void closeAllUnits();
std::string unitFileName(int unit);

// The next record of an input unit without taking it: the next read
// starts with it. False at end of file.
bool peekRecord(int unit, std::string& line);
void readf(int unit, std::string_view format, const std::vector<InItem>& items = {});
void writef(int unit, std::string_view format, const std::vector<OutItem>& items = {});
// List-directed text line (one leading blank).
void writeList(int unit, std::string_view text);

// Text for a diagnostic: every byte outside printable ASCII as \xNN.
std::string printable(std::string_view text);

template <int N>
InItem txt(Chars<N>& c)
{
    return InItem(c.c, N);
}
template <int N>
std::string_view textOf(const Chars<N>& c)
{
    return std::string_view(c.c, N);
}

}  // namespace velmar
