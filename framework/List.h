#pragma once
// CList: a doubly linked list walked with POSITION values (null past either end). A POSITION stays
// valid until its own element is removed.

#include "framework/Exception.h"
#include "framework/Object.h"
#include "framework/String.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
    struct Node {
        Node* next;
        Node* prev;
        TYPE data;
    };

public:
    CList() = default;
    CList(const CList& other) { AddTail(other); }
    CList& operator=(const CList& other)
    {
        if (this != &other) {
            RemoveAll();
            AddTail(other);
        }
        return *this;
    }
    ~CList() override { RemoveAll(); }

    int GetCount() const { return m_count; }
    int GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    TYPE& GetHead() { return NonEmpty(m_head)->data; }
    const TYPE& GetHead() const { return NonEmpty(m_head)->data; }
    TYPE& GetTail() { return NonEmpty(m_tail)->data; }
    const TYPE& GetTail() const { return NonEmpty(m_tail)->data; }

    TYPE RemoveHead()
    {
        Node* node = NonEmpty(m_head);
        TYPE value(node->data);
        Unlink(node);
        return value;
    }
    TYPE RemoveTail()
    {
        Node* node = NonEmpty(m_tail);
        TYPE value(node->data);
        Unlink(node);
        return value;
    }

    POSITION AddHead(ARG_TYPE element) { return InsertNode(nullptr, m_head, element); }
    POSITION AddTail(ARG_TYPE element) { return InsertNode(m_tail, nullptr, element); }
    void AddTail(const CList& other)
    {
        for (Node* node = other.m_head; node; node = node->next)
            AddTail(node->data);
    }
    void RemoveAll()
    {
        while (m_head)
            Unlink(m_head);
    }

    POSITION GetHeadPosition() const { return ToPosition(m_head); }
    POSITION GetTailPosition() const { return ToPosition(m_tail); }
    // Returns the element at position and moves position on (to null after the last).
    TYPE& GetNext(POSITION& position)
    {
        Node* node = FromPosition(position);
        position = ToPosition(node->next);
        return node->data;
    }
    const TYPE& GetNext(POSITION& position) const
    {
        Node* node = FromPosition(position);
        position = ToPosition(node->next);
        return node->data;
    }
    TYPE& GetPrev(POSITION& position)
    {
        Node* node = FromPosition(position);
        position = ToPosition(node->prev);
        return node->data;
    }
    const TYPE& GetPrev(POSITION& position) const
    {
        Node* node = FromPosition(position);
        position = ToPosition(node->prev);
        return node->data;
    }
    TYPE& GetAt(POSITION position) { return FromPosition(position)->data; }
    const TYPE& GetAt(POSITION position) const { return FromPosition(position)->data; }
    void SetAt(POSITION position, ARG_TYPE element) { FromPosition(position)->data = element; }
    void RemoveAt(POSITION position) { Unlink(FromPosition(position)); }

    POSITION InsertBefore(POSITION position, ARG_TYPE element)
    {
        if (!position)
            return AddHead(element);
        Node* node = FromPosition(position);
        return InsertNode(node->prev, node, element);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE element)
    {
        if (!position)
            return AddTail(element);
        Node* node = FromPosition(position);
        return InsertNode(node, node->next, element);
    }

    // First position at or after startAfter's successor whose element equals value; null if none.
    POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const
    {
        Node* node = startAfter ? FromPosition(startAfter)->next : m_head;
        for (; node; node = node->next) {
            if (node->data == value)
                return ToPosition(node);
        }
        return nullptr;
    }
    // Position of the zero-based index; null when out of range.
    POSITION FindIndex(int index) const
    {
        if (index < 0 || index >= m_count)
            return nullptr;
        Node* node = m_head;
        while (index-- > 0)
            node = node->next;
        return ToPosition(node);
    }

private:
    static POSITION ToPosition(Node* node) { return reinterpret_cast<POSITION>(node); }
    static Node* FromPosition(POSITION position)
    {
        if (!position)
            AfxThrowInvalidArgException();
        return reinterpret_cast<Node*>(position);
    }
    static Node* NonEmpty(Node* node)
    {
        if (!node)
            AfxThrowInvalidArgException();
        return node;
    }

    POSITION InsertNode(Node* prev, Node* next, ARG_TYPE element)
    {
        Node* node = new Node{next, prev, TYPE(element)};
        (prev ? prev->next : m_head) = node;
        (next ? next->prev : m_tail) = node;
        ++m_count;
        return ToPosition(node);
    }
    void Unlink(Node* node)
    {
        (node->prev ? node->prev->next : m_head) = node->next;
        (node->next ? node->next->prev : m_tail) = node->prev;
        --m_count;
        delete node;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int m_count = 0;
};

class CStringList : public CList<CString, const CString&> {};
class CPtrList : public CList<void*, void*> {};
class CObList : public CList<CObject*, CObject*> {};
