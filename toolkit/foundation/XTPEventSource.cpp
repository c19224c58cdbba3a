#include "toolkit/foundation/XTPEventSource.h"

#include <new>

DWORD CXTPEventSource::Advise(UINT event, IXTPEventSink* sink)
{
    CSingleLock lock(GetSyncObject(), TRUE);
    if (++m_lastCookie == 0)
        ++m_lastCookie;
    try {
        m_sinks.push_back({event, sink, m_lastCookie});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return m_lastCookie;
}

BOOL CXTPEventSource::Unadvise(DWORD cookie)
{
    CSingleLock lock(GetSyncObject(), TRUE);
    const int index = FindSink(cookie);
    if (index < 0)
        return FALSE;
    m_sinks.erase(m_sinks.begin() + index);
    return TRUE;
}

int CXTPEventSource::FindSink(DWORD cookie)
{
    CSingleLock lock(GetSyncObject(), TRUE);
    for (size_t i = 0; i < m_sinks.size(); ++i) {
        if (m_sinks[i].cookie == cookie)
            return static_cast<int>(i);
    }
    return -1;
}

BOOL CXTPEventSource::Fire(UINT event, DWORD_PTR first, DWORD_PTR second, DWORD_PTR third)
{
    InternalAddRef();
    // This call's own snapshot: one shared between calls (each rewinding it when it ends) would
    // be overwritten by another thread firing at the same time.
    std::vector<SINK> snapshot;
    try {
        CSingleLock lock(GetSyncObject(), TRUE);
        for (const SINK& record : m_sinks) {
            if (record.event == event)
                snapshot.push_back(record);
        }
    } catch (const std::bad_alloc&) {
        // Nobody can be told of the event: report it undelivered.
        snapshot.clear();
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
