// Export marker of the library's public classes and constants; everything
// else stays hidden.
#pragma once

#define ALDOVEN_API __attribute__((visibility("default")))

// Default arguments of the library's classes: the empty text and
// "Unknown".
extern ALDOVEN_API const wchar_t* const szEmptyText;
extern ALDOVEN_API const wchar_t* const szUnknownText;
