// The doubly linked list behind CObList and CStringList. Positions are
// opaque handles of the list's nodes; they stay valid until their node is
// removed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <utility>

struct KsListPosition;
using POSITION = KsListPosition*;

namespace ks::mfc {

template <class T>
class NodeList {
public:
    explicit NodeList(intptr_t nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    NodeList(const NodeList&) = delete;
    NodeList& operator=(const NodeList&) = delete;
    ~NodeList() { RemoveAll(); }

    intptr_t GetCount() const { return m_nCount; }
    intptr_t GetSize() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    // Head and tail of a list that is not empty.
    T& GetHead() { return nonEmpty()->m_pHead->data; }
    const T& GetHead() const { return nonEmpty()->m_pHead->data; }
    T& GetTail() { return nonEmpty()->m_pTail->data; }
    const T& GetTail() const { return nonEmpty()->m_pTail->data; }

    T RemoveHead()
    {
        Node* n = nonEmpty()->m_pHead;
        T value = std::move(n->data);
        unlink(n);
        return value;
    }
    T RemoveTail()
    {
        Node* n = nonEmpty()->m_pTail;
        T value = std::move(n->data);
        unlink(n);
        return value;
    }

    POSITION AddHead(const T& value) { return pos(insertBefore(m_pHead, value)); }
    POSITION AddTail(const T& value) { return pos(insertBefore(nullptr, value)); }
    POSITION InsertBefore(POSITION position, const T& value) { return pos(insertBefore(node(position), value)); }
    POSITION InsertAfter(POSITION position, const T& value)
    {
        Node* n = node(position);
        return pos(insertBefore(n ? n->next : m_pHead, value));
    }

    void RemoveAll()
    {
        while (m_pHead)
            unlink(m_pHead);
    }

    POSITION GetHeadPosition() const { return pos(m_pHead); }
    POSITION GetTailPosition() const { return pos(m_pTail); }

    // The value at rPosition; rPosition moves to the next (previous) node,
    // null past the end.
    T& GetNext(POSITION& rPosition)
    {
        Node* n = valid(rPosition);
        rPosition = pos(n->next);
        return n->data;
    }
    const T& GetNext(POSITION& rPosition) const
    {
        Node* n = valid(rPosition);
        rPosition = pos(n->next);
        return n->data;
    }
    T& GetPrev(POSITION& rPosition)
    {
        Node* n = valid(rPosition);
        rPosition = pos(n->prev);
        return n->data;
    }
    T& GetAt(POSITION position) { return valid(position)->data; }
    const T& GetAt(POSITION position) const { return valid(position)->data; }
    void SetAt(POSITION position, const T& value) { valid(position)->data = value; }
    void RemoveAt(POSITION position) { unlink(valid(position)); }

    // Position of the nth node (0-based), null when out of range.
    POSITION FindIndex(intptr_t nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        Node* n = m_pHead;
        while (nIndex-- > 0)
            n = n->next;
        return pos(n);
    }

    // Position of the first node after startAfter (from the head when
    // null) holding value, null when there is none.
    POSITION Find(const T& value, POSITION startAfter = nullptr) const
    {
        Node* n = startAfter ? valid(startAfter)->next : m_pHead;
        for (; n; n = n->next) {
            if (n->data == value)
                return pos(n);
        }
        return nullptr;
    }

    intptr_t GetBlockSize() const { return m_nBlockSize; }

private:
    struct Node {
        Node* next;
        Node* prev;
        T data;
    };

    static POSITION pos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* node(POSITION p) { return reinterpret_cast<Node*>(p); }
    static Node* valid(POSITION p)
    {
        if (!p)
            throw std::out_of_range("list position is null");
        return node(p);
    }
    const NodeList* nonEmpty() const
    {
        if (!m_pHead)
            throw std::out_of_range("list is empty");
        return this;
    }
    NodeList* nonEmpty()
    {
        if (!m_pHead)
            throw std::out_of_range("list is empty");
        return this;
    }

    // Inserts before `next` (at the tail when null).
    Node* insertBefore(Node* next, const T& value)
    {
        Node* n = new Node{next, next ? next->prev : m_pTail, value};
        if (n->prev)
            n->prev->next = n;
        else
            m_pHead = n;
        if (next)
            next->prev = n;
        else
            m_pTail = n;
        ++m_nCount;
        return n;
    }

    void unlink(Node* n)
    {
        if (n->prev)
            n->prev->next = n->next;
        else
            m_pHead = n->next;
        if (n->next)
            n->next->prev = n->prev;
        else
            m_pTail = n->prev;
        --m_nCount;
        delete n;
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    intptr_t m_nCount = 0;
    intptr_t m_nBlockSize;
};

}  // namespace ks::mfc
