#pragma once
// Locks. CCriticalSection is a re-entrant lock within one process; CSingleLock holds one lock
// for a scope and lets it go in its destructor, so an early return cannot leave it held:
//
//   CSingleLock lock(&m_cacheLock, TRUE);   // held until the end of the scope
//
// None of them can be copied: a copy would unlock, or delete, what it does not own.

#include "framework/Base.h"

class CSyncObject {
public:
    CSyncObject() = default;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
    virtual ~CSyncObject() = default;

    // TRUE when the lock was taken within timeoutMs.
    virtual BOOL Lock(DWORD timeoutMs = INFINITE) = 0;
    virtual BOOL Unlock() = 0;
};

class CCriticalSection : public CSyncObject {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_sect); }
    ~CCriticalSection() override { ::DeleteCriticalSection(&m_sect); }

    BOOL Lock() { ::EnterCriticalSection(&m_sect); return TRUE; }
    // A critical section has no timed wait: 0 tries once, INFINITE waits, and other time-outs
    // keep trying, yielding the processor in between, until the time is up.
    BOOL Lock(DWORD timeoutMs) override
    {
        if (timeoutMs == INFINITE)
            return Lock();
        const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
        for (;;) {
            if (::TryEnterCriticalSection(&m_sect))
                return TRUE;
            if (::GetTickCount64() >= deadline)
                return FALSE;
            ::SwitchToThread();
        }
    }
    BOOL Unlock() override { ::LeaveCriticalSection(&m_sect); return TRUE; }

    operator CRITICAL_SECTION*() { return &m_sect; }

    CRITICAL_SECTION m_sect;
};

// Holds at most one count of its object: Lock on a held CSingleLock does nothing more, so the one
// Unlock of the destructor always balances it.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE) : m_object(object)
    {
        if (initialLock)
            Lock();
    }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    ~CSingleLock() { Unlock(); }

    BOOL Lock(DWORD timeoutMs = INFINITE)
    {
        if (!m_locked && m_object)
            m_locked = m_object->Lock(timeoutMs) != FALSE;
        return m_locked ? TRUE : FALSE;
    }
    // FALSE when nothing was held.
    BOOL Unlock()
    {
        if (!m_locked)
            return FALSE;
        m_locked = false;
        return m_object->Unlock();
    }
    BOOL IsLocked() const { return m_locked ? TRUE : FALSE; }

private:
    CSyncObject* m_object; // not owned
    bool m_locked = false;
};
