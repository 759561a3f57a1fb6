// Growable arrays of the MFC-like helpers: the CArray template and its
// CStringArray and CWordArray instances. Header-only: the arrays carry no
// class information and no virtual functions, so each module may hold its
// own copy of the code without anything to share at run time.
//
// Indexes count from 0. Out-of-range indexes and negative sizes raise
// std::out_of_range instead of asserting. As with the other helper
// classes, arrays are not copied implicitly: Copy and Append say so.
#pragma once

#include "kscstring.h"
#include "kstypes.h"

#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

using INT_PTR = intptr_t;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    CArray() = default;
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;
    ~CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_data.empty(); }

    // New elements are value-initialised; surplus ones are dropped. The
    // growth step is accepted for compatibility; storage grows as needed.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize < 0)
            throw std::out_of_range("negative array size");
        m_data.resize(static_cast<size_t>(nNewSize));
    }
    void RemoveAll() { m_data.clear(); }
    void FreeExtra() { m_data.shrink_to_fit(); }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_data.at(index(nIndex)); }
    TYPE& GetAt(INT_PTR nIndex) { return m_data.at(index(nIndex)); }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data.at(index(nIndex)) = newElement; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_data.at(index(nIndex)); }
    const TYPE& ElementAt(INT_PTR nIndex) const { return m_data.at(index(nIndex)); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    const TYPE& operator[](INT_PTR nIndex) const { return ElementAt(nIndex); }

    // The elements in order; null for an empty array.
    TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
    const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }

    // Sets an element, growing the array first when nIndex is past the end.
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
    {
        if (nIndex < 0)
            throw std::out_of_range("negative array index");
        if (static_cast<size_t>(nIndex) >= m_data.size())
            m_data.resize(static_cast<size_t>(nIndex) + 1);
        m_data[static_cast<size_t>(nIndex)] = newElement;
    }
    // Index of the new element.
    INT_PTR Add(ARG_TYPE newElement)
    {
        m_data.push_back(newElement);
        return GetUpperBound();
    }
    // Index of the first appended element.
    INT_PTR Append(const CArray& src)
    {
        const INT_PTR first = GetSize();
        if (&src == this) {
            std::vector<TYPE> copy(m_data);
            m_data.insert(m_data.end(), copy.begin(), copy.end());
        } else {
            m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
        }
        return first;
    }
    void Copy(const CArray& src)
    {
        if (&src != this)
            m_data = src.m_data;
    }

    // Inserts nCount copies at nIndex (which may be the size, or beyond it:
    // the array grows to nIndex first).
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nCount < 0)
            throw std::out_of_range("negative array index or count");
        TYPE value(newElement);
        if (static_cast<size_t>(nIndex) > m_data.size())
            m_data.resize(static_cast<size_t>(nIndex));
        m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), value);
    }
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray)
    {
        if (!pNewArray)
            throw std::out_of_range("null array");
        if (nStartIndex < 0)
            throw std::out_of_range("negative array index");
        std::vector<TYPE> copy(pNewArray->m_data);
        if (static_cast<size_t>(nStartIndex) > m_data.size())
            m_data.resize(static_cast<size_t>(nStartIndex));
        m_data.insert(m_data.begin() + nStartIndex, copy.begin(), copy.end());
    }
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nCount < 0 || nCount > GetSize() - nIndex)
            throw std::out_of_range("array range out of bounds");
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }

private:
    size_t index(INT_PTR nIndex) const
    {
        if (nIndex < 0)
            throw std::out_of_range("negative array index");
        return static_cast<size_t>(nIndex);
    }

    std::vector<TYPE> m_data;
};

// Array of CString values (copies); Add also takes wide text.
class CStringArray : public CArray<CString, const CString&> {
public:
    INT_PTR Add(const CString& text) { return CArray::Add(text); }
    INT_PTR Add(const wchar_t* text) { return CArray::Add(CString(text)); }
};

// Array of 16-bit words.
class CWordArray : public CArray<WORD, WORD> {};
