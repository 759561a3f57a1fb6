// Data-source strings of the Tavrion provider and the recognition of raw
// files by their first bytes. Neither needs the raw-file reader.
#pragma once

#include <string>

// The provider's programmatic identifier, which every data-source string
// begins with.
inline constexpr const wchar_t* kTavrionProgID = L"KSTavrionProvider.KSTavrionProvider";

// "KSTavrionProvider.KSTavrionProvider; <path>" (no trailing ";").
std::wstring MakeTavrionDataSource(const std::wstring& path);
// Reads a data-source string as "%[^;]; %[^;]" does: a first field of 1
// to 258 characters up to the first ";", white space, a second field of 1
// to 258 characters up to the next ";" or the end (the text ends at its
// first zero character). The first must be the programmatic identifier,
// letters compared without regard to case; the second is the path. False
// (path unchanged) otherwise; a longer field never parses.
bool ParseTavrionDataSource(const std::wstring& dataSource, std::wstring& path);

// Whether path names a raw file: it ends in ".raw" (any case), is a
// regular file, and its first 20 bytes hold the letters "Pardinel" as the
// low bytes of the eight 16-bit characters at bytes 2 to 17. Reads at most
// 20 bytes, from a regular file only (never waits on a FIFO or device).
bool IsTavrionRawFile(const std::wstring& path);
