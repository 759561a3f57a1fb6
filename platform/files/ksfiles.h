// Files and names as the components expect them on a system whose file
// names are case-sensitive: one case fold that does not depend on the
// process locale, a lookup of a name inside a folder without regard to
// case (keeping the case found), a listing sorted the same way, and one
// way to open a file that refuses anything but a regular file (a FIFO or
// device named like a dataset must never block or feed endless bytes).
//
// Names and paths are UTF-8 (a byte that is not part of valid UTF-8
// stands for itself and only matches itself). Wide text is UTF-32.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>

namespace ks {

// Simple lower-case fold of one code point: ASCII, Latin-1, Latin
// Extended-A and B (the common pairs), Greek, Cyrillic, Armenian and the
// full-width Latin letters. Identical in every process whatever setlocale
// was called with; characters outside these blocks fold to themselves.
char32_t foldCase(char32_t c);
wchar_t foldCase(wchar_t c);

// The upper-case partner within the same blocks (the inverse of
// foldCase: upperCase(foldCase(c)) is the first code point that folds
// to it), for the calls that upper-case text rather than compare it.
// ß keeps itself (as C libraries do); final sigma capitalises as sigma.
char32_t upperCase(char32_t c);
wchar_t upperCase(wchar_t c);
std::wstring upperCase(const std::wstring& text);

// Folded copies and comparisons (0 when equal without regard to case,
// <0 / >0 by folded code point order, then by the original text so the
// order is total).
std::wstring foldCase(const std::wstring& text);
std::string foldCaseUtf8(const std::string& text);
int compareNoCase(const std::wstring& a, const std::wstring& b);
int compareNoCaseUtf8(const std::string& a, const std::string& b);
bool equalNoCase(const std::wstring& a, const std::wstring& b);
bool equalNoCaseUtf8(const std::string& a, const std::string& b);

// Text (UTF-8) as it may stand in a one-line message: control characters
// and bytes outside valid UTF-8 are written as \xNN (each byte), the rest
// as it stands. For names and arguments that come from the user or a file.
std::string printableText(const std::string& text);

// A file name (UTF-8) as wide text: each byte outside valid UTF-8 becomes
// U+DC80..U+DCFF, so names that differ stay different.
std::wstring wideFromFileName(const std::string& name);

// The entry of `folder` whose name equals `name` without regard to case,
// as it is written in the folder. An exact match wins; among several
// entries that differ only in case the first in byte order is answered.
// Nothing when the folder cannot be read or has no such entry. `name`
// must be one name (no separator).
std::optional<std::string> findNameNoCase(const std::string& folder, const std::string& name);

// `relative` (components separated by '/' or '\\') resolved below
// `folder` one component at a time with findNameNoCase; answers the full
// path as found ("folder/Found/Name") or nothing.
std::optional<std::string> findPathNoCase(const std::string& folder, const std::string& relative);

// The names in `folder` (without "." and ".."), sorted without regard to
// case (then by bytes). Empty when the folder cannot be read.
std::vector<std::string> listFolderNoCase(const std::string& folder);

// Opens `path` with `flags` (O_RDONLY by default; O_CLOEXEC is always
// added) only when it is a regular file. The open itself never waits (it
// is made non-blocking, so a FIFO without a writer does not hang); the
// non-blocking flag is cleared again before the descriptor is returned.
// Answers the descriptor, or -1 with errno set: the open's own error, or
// EISDIR for a folder and EINVAL for a FIFO, socket or device.
int openRegularFile(const std::string& path, int flags = O_RDONLY);
// The same for a C string (null answers -1 with ENOENT), for plain C
// interfaces that build no std::string.
int openRegularFile(const char* path, int flags = O_RDONLY);

// The same as a stdio stream ("rb", "r+b", ...; creating modes are
// refused with EINVAL: a file that does not exist yet is no reader's
// input). Null with errno set on failure.
std::FILE* openRegularFileStream(const std::string& path, const char* mode = "rb");

// True when `path` names a regular file (following links).
bool isRegularFile(const std::string& path);
// True when `path` names a folder (following links).
bool isFolder(const std::string& path);

}  // namespace ks
