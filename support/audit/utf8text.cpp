#include "utf8text.h"

#include <cwchar>
#include <type_traits>

static_assert(sizeof(wchar_t) == 4, "wide text holds whole code points");

namespace aldoven {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isCharacter(char32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

void append(std::string& out, char32_t c)
{
    if (!isCharacter(c))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string toUtf8(const wchar_t* text)
{
    std::string out;
    if (!text)
        return out;
    for (; *text; ++text)
        append(out, static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(*text)));
    return out;
}

std::string toUtf8(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t w : text)
        append(out, static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(w)));
    return out;
}

std::wstring fromUtf8(const char* bytes, size_t length)
{
    std::wstring out;
    if (!bytes)
        return out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = p + length;
    while (p < end) {
        const unsigned char b = *p;
        int extra;
        char32_t c;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if (b >= 0xC2 && b < 0xE0) {
            c = b & 0x1F;
            extra = 1;
        } else if (b >= 0xE0 && b < 0xF0) {
            c = b & 0x0F;
            extra = 2;
        } else if (b >= 0xF0 && b < 0xF5) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += static_cast<wchar_t>(kReplacement);
            ++p;
            continue;
        }
        if (end - p < extra + 1) {
            // Cut short at the end.
            out += static_cast<wchar_t>(kReplacement);
            break;
        }
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (p[i] & 0x3F);
        }
        // Overlong forms and values outside Unicode are not characters.
        static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < kMin[extra] || !isCharacter(c)) {
            out += static_cast<wchar_t>(kReplacement);
            ++p;
            continue;
        }
        out += static_cast<wchar_t>(c);
        p += extra + 1;
    }
    return out;
}

std::wstring fromUtf8(const std::string& bytes)
{
    return fromUtf8(bytes.data(), bytes.size());
}

}  // namespace aldoven
