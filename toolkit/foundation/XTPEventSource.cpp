#include "toolkit/foundation/XTPEventSource.h"

#include "toolkit/foundation/XTPLockGuard.h"

CXTPEventSource::CXTPEventSource()
{
    ::InitializeCriticalSection(&m_lock);
}

CXTPEventSource::~CXTPEventSource()
{
    ::DeleteCriticalSection(&m_lock);
}

LONG CXTPEventSource::InternalAddRef()
{
    return ::InterlockedIncrement(&m_refs);
}

LONG CXTPEventSource::InternalRelease()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0)
        delete this;
    return left;
}

DWORD CXTPEventSource::Advise(UINT event, IXTPEventSink* sink)
{
    CXTPLockGuard lock(GetSyncObject());
    if (++m_lastCookie == 0)
        ++m_lastCookie;
    m_sinks.push_back({event, sink, m_lastCookie});
    return m_lastCookie;
}

BOOL CXTPEventSource::Unadvise(DWORD cookie)
{
    CXTPLockGuard lock(GetSyncObject());
    const int index = FindSink(cookie);
    if (index < 0)
        return FALSE;
    m_sinks.erase(m_sinks.begin() + index);
    return TRUE;
}

int CXTPEventSource::FindSink(DWORD cookie)
{
    CXTPLockGuard lock(GetSyncObject());
    for (size_t i = 0; i < m_sinks.size(); ++i) {
        if (m_sinks[i].cookie == cookie)
            return static_cast<int>(i);
    }
    return -1;
}

BOOL CXTPEventSource::Fire(UINT event, DWORD_PTR first, DWORD_PTR second, DWORD_PTR third)
{
    InternalAddRef();
    std::vector<SINK> snapshot;
    {
        CXTPLockGuard lock(GetSyncObject());
        for (const SINK& record : m_sinks) {
            if (record.event == event)
                snapshot.push_back(record);
        }
    }
    for (const SINK& record : snapshot) {
        if (FindSink(record.cookie) < 0)
            continue;
        try {
            record.sink->OnEvent(event, first, second, third);
        } catch (...) {
            // One failing sink must not keep the event from the others.
        }
    }
    const BOOL delivered = !snapshot.empty();
    // May delete this object: nothing of it is touched afterwards.
    InternalRelease();
    return delivered;
}
