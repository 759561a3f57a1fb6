// Conversion between the library's wide text and the UTF-8 the database
// stores. Values that are not characters become U+FFFD, so damaged text
// read from a file never fails the conversion.
#pragma once

#include <string>

namespace aldoven {

std::string toUtf8(const std::wstring& text);
std::string toUtf8(const wchar_t* text);
std::wstring fromUtf8(const char* bytes, size_t length);
std::wstring fromUtf8(const std::string& bytes);

}  // namespace aldoven
