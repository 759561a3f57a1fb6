// CString: the wide-text string of the MFC-like helpers, with the
// operations the components use (lengths, comparison with and without
// case, searching, substrings, trimming, case changes, replacing,
// formatting, buffers, BSTR conversion). Positions count characters from 0;
// out-of-range positions are clamped as the original class does. Format
// follows glibc's wide printf: "%ls" for a wide string, "%s" for a narrow
// one. Narrow text given to a constructor is Latin-1.
#pragma once

#include "ksbstr.h"

#include <string>

class KS_PLATFORM_API CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_s(text ? text : L"") {}
    CString(const wchar_t* text, int length) : m_s(text && length > 0 ? std::wstring(text, size_t(length)) : std::wstring()) {}
    CString(wchar_t ch, int repeat = 1) : m_s(repeat > 0 ? size_t(repeat) : 0, ch) {}
    CString(const char* latin1);
    CString(const std::wstring& text) : m_s(text) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    wchar_t GetAt(int i) const { return m_s.at(size_t(i)); }
    void SetAt(int i, wchar_t ch) { m_s.at(size_t(i)) = ch; }
    wchar_t operator[](int i) const { return GetAt(i); }
    operator const wchar_t*() const { return m_s.c_str(); }
    const wchar_t* GetString() const { return m_s.c_str(); }
    const std::wstring& str() const { return m_s; }

    CString& operator=(const wchar_t* text)
    {
        m_s = text ? text : L"";
        return *this;
    }
    CString& operator=(wchar_t ch)
    {
        m_s.assign(1, ch);
        return *this;
    }
    CString& operator+=(const CString& other)
    {
        m_s += other.m_s;
        return *this;
    }
    CString& operator+=(const wchar_t* text)
    {
        if (text)
            m_s += text;
        return *this;
    }
    CString& operator+=(wchar_t ch)
    {
        m_s += ch;
        return *this;
    }

    // <0, 0, >0 as wcscmp; NoCase compares lower-cased characters.
    int Compare(const wchar_t* other) const;
    int CompareNoCase(const wchar_t* other) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    // Index of the first match at or after start, or -1.
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(const wchar_t* chars) const;
    CString SpanIncluding(const wchar_t* chars) const;
    CString SpanExcluding(const wchar_t* chars) const;

    // White space (or the given characters) removed from the ends.
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(const wchar_t* chars);
    CString& TrimLeft(const wchar_t* chars);
    CString& TrimRight(const wchar_t* chars);
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    // Number of replacements.
    int Replace(wchar_t oldCh, wchar_t newCh);
    int Replace(const wchar_t* oldText, const wchar_t* newText);
    int Remove(wchar_t ch);
    // New length.
    int Insert(int index, wchar_t ch);
    int Insert(int index, const wchar_t* text);
    int Delete(int index, int count = 1);

    void Format(const wchar_t* format, ...);
    void AppendFormat(const wchar_t* format, ...);

    // A writable buffer of at least minLength characters (plus the
    // terminator); ReleaseBuffer(-1) ends the text at the first zero.
    wchar_t* GetBuffer(int minLength = 0);
    wchar_t* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    // A new BSTR copy (null when allocation fails); SetSysString replaces
    // *b with one.
    BSTR AllocSysString() const;
    BSTR SetSysString(BSTR* b) const;

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.m_s + (b ? b : L"")); }
    friend CString operator+(const wchar_t* a, const CString& b) { return CString((a ? a : L"") + b.m_s); }
    friend CString operator+(const CString& a, wchar_t ch) { return CString(a.m_s + ch); }
    friend CString operator+(wchar_t ch, const CString& b) { return CString(ch + b.m_s); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
    friend bool operator!=(const CString& a, const wchar_t* b) { return a.Compare(b) != 0; }
    friend bool operator!=(const wchar_t* a, const CString& b) { return b.Compare(a) != 0; }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }
    friend bool operator>(const CString& a, const CString& b) { return a.m_s > b.m_s; }
    friend bool operator<=(const CString& a, const CString& b) { return a.m_s <= b.m_s; }
    friend bool operator>=(const CString& a, const CString& b) { return a.m_s >= b.m_s; }

private:
    std::wstring m_s;
};
