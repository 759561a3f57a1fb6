#include "kstextutil.h"
#include "ksfiles.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <algorithm>
#include <limits>

namespace {

wint_t upper(wchar_t c)
{
    return static_cast<wint_t>(ks::upperCase(c));
}

wchar_t asciiUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

// Difference of two wide characters as an int without overflow (wchar_t
// values span the full 32 bits).
int difference(wint_t a, wint_t b)
{
    if (a == b)
        return 0;
    const long long d = static_cast<long long>(a) - static_cast<long long>(b);
    if (d > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (d < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(d);
}

}  // namespace

std::wstring& JoinPath(std::wstring& base, const std::wstring& part)
{
    while (base.size() > 1 && IsPathSeparator(base.back()))
        base.pop_back();
    if (!part.empty()) {
        size_t from = 0;
        while (from < part.size() && IsPathSeparator(part[from]))
            ++from;
        base += L'/';
        base.append(part, from, std::wstring::npos);
    }
    return base;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int d = difference(upper(a[i]), upper(b[i]));
        if (d)
            return d;
    }
    // An embedded zero as the deciding character still orders the texts.
    if (a.size() > common)
        return std::max(difference(static_cast<wint_t>(a[common]), 0), 1);
    if (b.size() > common)
        return -std::max(difference(static_cast<wint_t>(b[common]), 0), 1);
    return 0;
}

std::wstring& ToWide(const char* text, std::wstring& out, int count)
{
    out.clear();
    if (!text)
        return out;
    const size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
    out.reserve(length);
    for (size_t i = 0; i < length; ++i)
        out += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    return out;
}

char* WideToNarrow(const std::wstring& text, char* buffer, int count)
{
    if (!buffer)
        return buffer;
    size_t length = text.size();
    if (count >= 0 && static_cast<size_t>(count) < length)
        length = static_cast<size_t>(count);
    for (size_t i = 0; i < length; ++i)
        buffer[i] = static_cast<char>(static_cast<unsigned char>(static_cast<wint_t>(text[i]) & 0xFFu));
    buffer[length] = '\0';
    return buffer;
}

bool Tokenize(const std::wstring& text, const std::wstring& delimiters, size_t& position, std::wstring& token)
{
    if (text.empty() || position > text.size())
        return false;
    if (position == text.size()) {
        token.clear();
        ++position;
        return true;
    }
    const size_t end = text.find_first_of(delimiters, position);
    token = text.substr(position, end == std::wstring::npos ? std::wstring::npos : end - position);
    position = end == std::wstring::npos ? std::wstring::npos : text.find_first_not_of(delimiters, end);
    return true;
}

size_t Trim(std::wstring& text)
{
    size_t first = 0;
    while (first < text.size() && text[first] != L'\0' && std::iswspace(static_cast<wint_t>(text[first])))
        ++first;
    text.erase(0, first);
    size_t end = text.size();
    while (end > 0 && std::iswspace(static_cast<wint_t>(text[end - 1])))
        --end;
    text.erase(end);
    return text.size();
}

std::wstring& ToUpper(std::wstring& text)
{
    for (wchar_t& c : text)
        c = ks::upperCase(c);
    return text;
}

std::wstring& ToLower(std::wstring& text)
{
    for (wchar_t& c : text)
        c = ks::foldCase(c);
    return text;
}

size_t FindNoCase(const std::wstring& text, const std::wstring& pattern, size_t start)
{
    // Every start position is tried: a mismatch after a partial match must
    // not skip a match that begins inside it ("aab" in "aaab").
    if (pattern.empty() || start >= text.size() || pattern.size() > text.size() - start)
        return std::wstring::npos;
    const size_t lastStart = text.size() - pattern.size();
    for (size_t i = start; i <= lastStart; ++i) {
        size_t k = 0;
        while (k < pattern.size() && asciiUpper(text[i + k]) == asciiUpper(pattern[k]))
            ++k;
        if (k == pattern.size())
            return i;
    }
    return std::wstring::npos;
}

void SwapBytes4(void* source, void* destination)
{
    if (!source)
        return;
    unsigned char bytes[4];
    std::memcpy(bytes, source, 4);
    const unsigned char swapped[4] = {bytes[3], bytes[2], bytes[1], bytes[0]};
    std::memcpy(destination ? destination : source, swapped, 4);
}

float ClampToFloat(double x)
{
    constexpr double limit = std::numeric_limits<float>::max();
    if (x > limit)
        x = limit;
    else if (x < -limit)
        x = -limit;
    return static_cast<float>(x);
}

int FormatWide(std::wstring& out, const wchar_t* format, ...)
{
    constexpr size_t kMaxLength = 1024;
    out.clear();
    if (!format)
        return 0;
    // A memory stream takes the whole result (vswprintf cannot tell a short
    // buffer from a bad format); it is cut at kMaxLength afterwards.
    wchar_t* text = nullptr;
    size_t size = 0;
    FILE* stream = open_wmemstream(&text, &size);
    if (!stream)
        return 0;
    va_list args;
    va_start(args, format);
    const int n = std::vfwprintf(stream, format, args);
    va_end(args);
    std::fclose(stream);
    if (n >= 0 && text)
        out.assign(text, std::min(size, kMaxLength));
    std::free(text);
    return static_cast<int>(out.size());
}
