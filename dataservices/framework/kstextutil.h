// Text and path helpers the readers share for their parameter and text files
// and dataset paths. Texts are wide strings; positions are string indexes
// with std::wstring::npos as the no-position value.
//
// Paths accept "\" and "/" as separators; what these helpers add is "/".
#pragma once

#include <string>

// "\" or "/".
inline bool IsPathSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// base without its trailing separators (its first character always stays),
// then, when part is not empty, "/" and part without its leading
// separators. Answers base.
std::wstring& JoinPath(std::wstring& base, const std::wstring& part);

// Compares after the upper-case mapping (ks::upperCase, the same in every
// locale): the first difference answers
// upper(a[i]) - upper(b[i]); when one text is a prefix of the other, the
// longer one's next character decides (negated when b is the longer); equal
// texts answer 0.
int CompareNoCase(const std::wstring& a, const std::wstring& b);

// out becomes the 8-bit (Latin-1) text widened byte by byte, each byte
// zero-extended: all of it up to its terminating zero for a negative count,
// otherwise at most count characters and never past the terminator. A null
// text gives an empty out. Answers out.
std::wstring& ToWide(const char* text, std::wstring& out, int count = -1);

// Copies the low byte of each character (all of them for a negative count,
// at most count otherwise) into buffer and terminates it with a zero byte.
// The caller provides room for those characters plus the terminator.
// Answers buffer.
char* WideToNarrow(const std::wstring& text, char* buffer, int count = -1);

// Splits text at any of the delimiters. False for an empty text or a
// position beyond its end. At a position equal to the length the token is
// empty, the position advances by one and the answer is true. Otherwise the
// token runs from the position to the next delimiter (or the end), the
// position moves to the next character that is not a delimiter, or to npos
// when none follows, and the answer is true. A text that starts with
// delimiters yields an empty first token.
bool Tokenize(const std::wstring& text, const std::wstring& delimiters, size_t& position, std::wstring& token);

// Removes leading white space (stopping early at an embedded zero
// character), then trailing white space. Answers the new length.
size_t Trim(std::wstring& text);

// In place with the case mapping of ks::upperCase / ks::foldCase (the same
// in every locale); answer text.
std::wstring& ToUpper(std::wstring& text);
std::wstring& ToLower(std::wstring& text);

// Position of pattern in text at or after start, comparing with only the
// ASCII letters upper-cased; npos when there is none, for an empty pattern
// and for a start at or past the end of the text.
size_t FindNoCase(const std::wstring& text, const std::wstring& pattern, size_t start = 0);

// Reverses the four bytes at source into destination (in place when
// destination is null).
void SwapBytes4(void* source, void* destination = nullptr);

// x limited to the finite single-precision range and rounded to single
// precision.
float ClampToFloat(double x);

// Formats into out, at most 1024 characters (a longer result is cut there).
// Answers out's length; out is empty when the format cannot be applied.
int FormatWide(std::wstring& out, const wchar_t* format, ...);
