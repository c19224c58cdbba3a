#pragma once
// CXTPLockGuard: holds a critical section for a scope. The image strips and the resource-image
// store lock their caches through it. Lock and Unlock let a scope let go for a while; the guard
// counts what it entered, so its destructor leaves exactly that many times, and an Unlock
// without a matching Lock does nothing (leaving a section one does not own corrupts it).

#include "framework/Base.h"

class CXTPLockGuard {
public:
    explicit CXTPLockGuard(CRITICAL_SECTION& section) : m_section(&section) { Lock(); }
    CXTPLockGuard(const CXTPLockGuard&) = delete;
    CXTPLockGuard& operator=(const CXTPLockGuard&) = delete;
    ~CXTPLockGuard()
    {
        while (m_depth > 0)
            Unlock();
    }

    void Lock()
    {
        ::EnterCriticalSection(m_section);
        ++m_depth;
    }
    void Unlock()
    {
        if (m_depth == 0)
            return;
        --m_depth;
        ::LeaveCriticalSection(m_section);
    }

private:
    CRITICAL_SECTION* m_section;   // not owned
    int m_depth = 0;
};
