#include "kscstring.h"
#include "ksfiles.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace {
bool isWhite(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

void vformat(std::wstring& out, const wchar_t* format, va_list args)
{
    if (!format)
        return;
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buf.data(), buf.size(), format, copy);
        va_end(copy);
        if (n >= 0 && size_t(n) < buf.size()) {
            out.append(buf.data(), size_t(n));
            return;
        }
        // glibc answers -1 both for a short buffer and for a bad format.
        if (buf.size() >= (size_t(1) << 26))
            return;
        buf.resize(buf.size() * 4);
    }
}
}  // namespace

CString::CString(const char* latin1)
{
    if (latin1)
        for (const char* p = latin1; *p; ++p)
            m_s.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
}

int CString::Compare(const wchar_t* other) const
{
    return std::wcscmp(m_s.c_str(), other ? other : L"");
}

int CString::CompareNoCase(const wchar_t* other) const
{
    const wchar_t* a = m_s.c_str();
    const wchar_t* b = other ? other : L"";
    for (;; ++a, ++b) {
        const wchar_t ca = ks::foldCase(*a);
        const wchar_t cb = ks::foldCase(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            return 0;
    }
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength() - std::max(first, 0));
}

CString CString::Mid(int first, int count) const
{
    first = std::max(first, 0);
    count = std::max(count, 0);
    if (first >= GetLength())
        return CString();
    count = std::min(count, GetLength() - first);
    return CString(m_s.substr(size_t(first), size_t(count)));
}

CString CString::Left(int count) const
{
    return CString(m_s.substr(0, size_t(std::clamp(count, 0, GetLength()))));
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return CString(m_s.substr(m_s.size() - size_t(count)));
}

int CString::Find(wchar_t ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    size_t p = m_s.find(ch, size_t(start));
    return p == std::wstring::npos ? -1 : int(p);
}

int CString::Find(const wchar_t* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    size_t p = m_s.find(sub, size_t(start));
    return p == std::wstring::npos ? -1 : int(p);
}

int CString::ReverseFind(wchar_t ch) const
{
    size_t p = m_s.rfind(ch);
    return p == std::wstring::npos ? -1 : int(p);
}

int CString::FindOneOf(const wchar_t* chars) const
{
    if (!chars)
        return -1;
    size_t p = m_s.find_first_of(chars);
    return p == std::wstring::npos ? -1 : int(p);
}

CString CString::SpanIncluding(const wchar_t* chars) const
{
    size_t p = chars ? m_s.find_first_not_of(chars) : 0;
    return CString(m_s.substr(0, p));
}

CString CString::SpanExcluding(const wchar_t* chars) const
{
    size_t p = chars ? m_s.find_first_of(chars) : std::wstring::npos;
    return CString(m_s.substr(0, p));
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_s.size() && isWhite(m_s[i]))
        ++i;
    m_s.erase(0, i);
    return *this;
}

CString& CString::TrimRight()
{
    size_t n = m_s.size();
    while (n > 0 && isWhite(m_s[n - 1]))
        --n;
    m_s.resize(n);
    return *this;
}

CString& CString::Trim(const wchar_t* chars)
{
    return TrimRight(chars).TrimLeft(chars);
}

CString& CString::TrimLeft(const wchar_t* chars)
{
    if (chars)
        m_s.erase(0, std::min(m_s.find_first_not_of(chars), m_s.size()));
    return *this;
}

CString& CString::TrimRight(const wchar_t* chars)
{
    if (chars) {
        size_t p = m_s.find_last_not_of(chars);
        m_s.resize(p == std::wstring::npos ? 0 : p + 1);
    }
    return *this;
}

CString& CString::MakeUpper()
{
    for (wchar_t& c : m_s)
        c = ks::upperCase(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (wchar_t& c : m_s)
        c = ks::foldCase(c);
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_s.begin(), m_s.end());
    return *this;
}

int CString::Replace(wchar_t oldCh, wchar_t newCh)
{
    int n = 0;
    for (wchar_t& c : m_s)
        if (c == oldCh) {
            c = newCh;
            ++n;
        }
    return n;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText)
{
    if (!oldText || !*oldText)
        return 0;
    std::wstring from(oldText), to(newText ? newText : L"");
    int n = 0;
    size_t p = 0;
    while ((p = m_s.find(from, p)) != std::wstring::npos) {
        m_s.replace(p, from.size(), to);
        p += to.size();
        ++n;
    }
    return n;
}

int CString::Remove(wchar_t ch)
{
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return int(before - m_s.size());
}

int CString::Insert(int index, wchar_t ch)
{
    index = std::clamp(index, 0, GetLength());
    m_s.insert(size_t(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const wchar_t* text)
{
    index = std::clamp(index, 0, GetLength());
    if (text)
        m_s.insert(size_t(index), text);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && index < GetLength() && count > 0)
        m_s.erase(size_t(index), size_t(count));
    return GetLength();
}

void CString::Format(const wchar_t* format, ...)
{
    std::wstring out;
    va_list args;
    va_start(args, format);
    vformat(out, format, args);
    va_end(args);
    m_s = out;
}

void CString::AppendFormat(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    vformat(m_s, format, args);
    va_end(args);
}

wchar_t* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_s.resize(size_t(minLength), L'\0');
    return &m_s[0];
}

wchar_t* CString::GetBufferSetLength(int length)
{
    m_s.resize(size_t(std::max(length, 0)), L'\0');
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        m_s.resize(std::wcslen(m_s.c_str()));
    else
        m_s.resize(std::min(size_t(newLength), m_s.size()));
}

BSTR CString::AllocSysString() const
{
    return SysAllocStringLen(m_s.data(), static_cast<UINT>(m_s.size()));
}

BSTR CString::SetSysString(BSTR* b) const
{
    if (b)
        SysReAllocStringLen(b, m_s.data(), static_cast<UINT>(m_s.size()));
    return b ? *b : nullptr;
}
