#pragma once
// CXTPEventSource: delivers numbered events with three arguments to the sinks registered for
// that number.
//
// Threads: any thread may register, remove or fire. The registered records are guarded by the
// source's lock (a critical section, held through the framework's single lock); each Fire copies the matching records into a snapshot of its own under the
// lock and calls the sinks with the lock released, so a sink may register, remove or fire again
// (nested firing) without deadlock, and two threads firing at once do not share a snapshot.
// Before each call the record is looked up again by its cookie: a sink removed during delivery
// is not called afterwards. The source is a reference-counted command target (one reference
// after construction) and holds a reference to itself while it fires, so a sink that releases
// the last outside reference does not delete it under the loop.

#include "framework/CmdTarget.h"
#include "framework/Sync.h"

#include <vector>

class IXTPEventSink {
public:
    virtual ~IXTPEventSink() = default;
    virtual void OnEvent(UINT event, DWORD_PTR first, DWORD_PTR second, DWORD_PTR third) = 0;
};

class CXTPEventSource : public CCmdTarget {
public:
    struct SINK {
        UINT event;
        IXTPEventSink* sink;   // not owned
        DWORD cookie;          // identity of the record, never 0
    };

    CXTPEventSource() = default;
    ~CXTPEventSource() override = default;

    // The lock that guards the registered records.
    virtual CSyncObject* GetSyncObject() { return &m_lock; }

    // Registers sink for event; the cookie that removes it again (0 when out of memory).
    DWORD Advise(UINT event, IXTPEventSink* sink);
    // Removes the record with that cookie; FALSE when there is none.
    BOOL Unadvise(DWORD cookie);
    // Index of the registered record with that cookie, or -1.
    int FindSink(DWORD cookie);
    // Calls every sink registered for event; TRUE when there was at least one. A sink that
    // throws does not keep the others from being called.
    BOOL Fire(UINT event, DWORD_PTR first, DWORD_PTR second, DWORD_PTR third);

private:
    CCriticalSection m_lock;
    std::vector<SINK> m_sinks;
    DWORD m_lastCookie = 0;
};
