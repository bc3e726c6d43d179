#pragma once

#include <stddef.h>

#include "sys/CriticalSection.h"

// A doubly linked list of nodes that carry their own `next` and `prev` pointers, with a lock held for
// appending and removing. Walking (First, then each node's next) takes no lock: the owner makes sure
// that nobody changes the list meanwhile. The list does not free nodes.
template <class Node>
class C_LockedList
{
public:
    C_LockedList() : m_first(NULL), m_last(NULL) {}

    // Makes the list usable and empty again; the lock is created once.
    void Init()
    {
        m_lock.Init();
        m_first = NULL;
        m_last = NULL;
    }

    void Append(Node* node)
    {
        C_Lock lock(m_lock);
        node->next = NULL;
        node->prev = m_last;
        if (m_last)
            m_last->next = node;
        else
            m_first = node;
        m_last = node;
    }

    // 0 when the node is not in this list; the node itself is not freed.
    int Remove(Node* node)
    {
        C_Lock lock(m_lock);
        Node* walk = m_first;
        while (walk && walk != node)
            walk = walk->next;
        if (!walk)
            return 0;
        if (node->prev)
            node->prev->next = node->next;
        else
            m_first = node->next;
        if (node->next)
            node->next->prev = node->prev;
        else
            m_last = node->prev;
        node->next = NULL;
        node->prev = NULL;
        return 1;
    }

    Node* First() const { return m_first; }
    Node* Last() const { return m_last; }

private:
    C_LockedList(const C_LockedList&) = delete;
    C_LockedList& operator=(const C_LockedList&) = delete;

    C_CriticalSection m_lock;
    Node* m_first;
    Node* m_last;
};
