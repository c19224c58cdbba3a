// The hook manager: one sink per watched window, subclassed once.

#include "toolkit/foundation/XTPHookManager.h"

#include "framework/window/Wnd.h"

#include <cstdlib>
#include <cstring>
#include <new>

const UINT WM_HOOKMANAGER_SINKREMOVED = ::RegisterWindowMessageW(L"WM_HOOKMANAGER_SINKREMOVED");

namespace {

CXTPHookManager::SinkDeletedHook g_sinkDeletedHook = nullptr;
bool g_poisonFreedSinks = false;

LONG_PTR GetWindowProcOf(HWND hWnd, BOOL unicode)
{
    return unicode ? ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC) : ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
}

LONG_PTR SetWindowProcOf(HWND hWnd, BOOL unicode, LONG_PTR proc)
{
    return unicode ? ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, proc) : ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, proc);
}

// Puts the thread's current-message record back however the dispatch is left.
class CCurrentMessageScope {
public:
    CCurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
        : m_record(AfxGetCurrentMessage()), m_saved(*m_record)
    {
        m_record->hwnd = hWnd;
        m_record->message = message;
        m_record->wParam = wParam;
        m_record->lParam = lParam;
    }
    ~CCurrentMessageScope() { *m_record = m_saved; }
    CCurrentMessageScope(const CCurrentMessageScope&) = delete;
    CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;

private:
    MSG* m_record;
    MSG m_saved;
};

} // namespace

int FindPointerInArray(const CPtrArray& array, const void* pointer)
{
    for (int i = 0; i < array.GetSize(); ++i) {
        if (array.GetAt(i) == pointer)
            return i;
    }
    return -1;
}

CXTPHookManager* GetHookManager()
{
    static CXTPHookManager manager;
    return &manager;
}

void CXTPHookManager::SetSinkDeletedHook(SinkDeletedHook hook) { g_sinkDeletedHook = hook; }
void CXTPHookManager::SetPoisonFreedSinks(bool poison) { g_poisonFreedSinks = poison; }

// ---- the sink ------------------------------------------------------------------------------------

CXTPHookManager::CHookSink::CHookSink(HWND hWnd) : m_hWnd(hWnd)
{
    m_bUnicode = ::IsWindowUnicode(hWnd);
    m_pOldWndProc = reinterpret_cast<WNDPROC>(GetWindowProcOf(hWnd, m_bUnicode));
    SetWindowProcOf(hWnd, m_bUnicode, reinterpret_cast<LONG_PTR>(&CXTPHookManager::HookWindowProc));
    m_bSubclassed = TRUE;
}

CXTPHookManager::CHookSink::~CHookSink()
{
    for (int i = GetSize() - 1; i >= 0; --i) {
        auto* client = static_cast<CXTPHookManagerHookAble*>(GetAt(i));
        if (client && client->m_dwHookFlags != 0)
            delete client;
    }
    RemoveAll();
}

void* CXTPHookManager::CHookSink::operator new(size_t size)
{
    if (void* p = std::malloc(size))
        return p;
    throw std::bad_alloc();
}

void CXTPHookManager::CHookSink::operator delete(void* p, size_t size)
{
    if (g_poisonFreedSinks && p)
        std::memset(p, 0xDD, size);
    std::free(p);
}

int CXTPHookManager::CHookSink::GetClientCount() const
{
    int count = 0;
    for (int i = 0; i < GetSize(); ++i)
        count += GetAt(i) != nullptr ? 1 : 0;
    return count;
}

void CXTPHookManager::CHookSink::RemoveClient(CXTPHookManagerHookAble* client)
{
    const int index = FindPointerInArray(*this, client);
    if (index < 0 || !client)
        return;
    CXTPHookManager* manager = GetHookManager();
    if (manager->IsDeferring()) {
        // A walk may be standing on this array, or on this client: mark the slot only.
        SetAt(index, nullptr);
        if (!m_bNeedsCompact) {
            m_bNeedsCompact = TRUE;
            manager->m_arrCompact.Add(this);
        }
        if (client->m_dwHookFlags != 0)
            manager->DeleteClientLater(client);
        return;
    }
    RemoveAt(index);
    if (client->m_dwHookFlags != 0)
        delete client;
    if (GetSize() == 0)
        manager->RemoveSink(m_hWnd, FALSE);
}

BOOL CXTPHookManager::CHookSink::OnHookMessage(HWND hWnd, UINT nMessage, WPARAM& wParam, LPARAM& lParam,
                                               LRESULT& lResult)
{
    if (nMessage == WM_HOOKMANAGER_SINKREMOVED && reinterpret_cast<WNDPROC>(wParam) == m_pOldWndProc) {
        // The sink below this one leaves the chain: take over its link.
        m_pOldWndProc = reinterpret_cast<WNDPROC>(lParam);
        lResult = 1;
        return TRUE;
    }
    // Clients added while the walk runs are not asked this time; removed ones leave a null slot.
    for (int i = GetSize() - 1; i >= 0; --i) {
        if (i >= GetSize())
            continue;
        auto* client = static_cast<CXTPHookManagerHookAble*>(GetAt(i));
        if (!client)
            continue;
        const int answer = client->OnHookMessage(hWnd, nMessage, wParam, lParam, lResult);
        if (answer == 1)
            return TRUE;
        if (answer == 2)
            return FALSE;
    }
    return FALSE;
}

void CXTPHookManager::CHookSink::Unsubclass()
{
    if (!m_bSubclassed)
        return;
    m_bSubclassed = FALSE;
    if (!m_bWindowDestroyed) {
        if (::SendMessageW(m_hWnd, WM_HOOKMANAGER_SINKREMOVED, reinterpret_cast<WPARAM>(&HookWindowProc),
                           reinterpret_cast<LPARAM>(m_pOldWndProc)) != 0)
            return;    // a sink above this one now links past it
    }
    if (!::IsWindow(m_hWnd))
        return;
    const LONG_PTR current = GetWindowProcOf(m_hWnd, m_bUnicode);
    if (!m_bWindowDestroyed && current != reinterpret_cast<LONG_PTR>(&HookWindowProc)) {
        // A foreign subclasser sits above and did not take over the link: writing the saved
        // procedure back would cut it out of the chain. The sink stays, clientless, and passes
        // every message through until the window goes.
        m_bSubclassed = TRUE;
        return;
    }
    SetWindowProcOf(m_hWnd, m_bUnicode, reinterpret_cast<LONG_PTR>(m_pOldWndProc));
}

// ---- the manager -----------------------------------------------------------------------------------

CXTPHookManager::CXTPHookManager() = default;

CXTPHookManager::~CXTPHookManager()
{
    POSITION pos = m_mapSinks.GetStartPosition();
    while (pos) {
        void* key = nullptr;
        void* value = nullptr;
        m_mapSinks.GetNextAssoc(pos, key, value);
        auto* sink = static_cast<CHookSink*>(value);
        if (::IsWindow(sink->m_hWnd)) {
            sink->m_bWindowDestroyed = TRUE;    // no messages at exit: put the procedure back
            sink->Unsubclass();
        }
        delete sink;
    }
    m_mapSinks.RemoveAll();
    for (int i = 0; i < m_arrPendingSinks.GetSize(); ++i)
        delete static_cast<CHookSink*>(m_arrPendingSinks[i]);
    m_arrPendingSinks.RemoveAll();
}

CXTPHookManager::CHookSink* CXTPHookManager::FindSink(HWND hWnd) const
{
    void* value = nullptr;
    if (!hWnd || !m_mapSinks.Lookup(hWnd, value))
        return nullptr;
    return static_cast<CHookSink*>(value);
}

void CXTPHookManager::SetHook(HWND hWnd, CXTPHookManagerHookAble* client)
{
    if (!hWnd || !client || !::IsWindow(hWnd))
        return;
    CHookSink* sink = FindSink(hWnd);
    if (!sink) {
        sink = new CHookSink(hWnd);
        m_mapSinks.SetAt(hWnd, sink);
    }
    if (FindPointerInArray(*sink, client) == -1)
        sink->Add(client);
}

void CXTPHookManager::RemoveHook(HWND hWnd, CXTPHookManagerHookAble* client)
{
    if (CHookSink* sink = FindSink(hWnd))
        sink->RemoveClient(client);
}

void CXTPHookManager::RemoveAll(CXTPHookManagerHookAble* client)
{
    // RemoveClient may take a sink out of the map: collect first.
    CPtrArray sinks;
    POSITION pos = m_mapSinks.GetStartPosition();
    while (pos) {
        void* key = nullptr;
        void* value = nullptr;
        m_mapSinks.GetNextAssoc(pos, key, value);
        sinks.Add(value);
    }
    for (int i = 0; i < sinks.GetSize(); ++i) {
        auto* sink = static_cast<CHookSink*>(sinks[i]);
        if (FindSink(sink->m_hWnd) == sink)
            sink->RemoveClient(client);
    }
}

void CXTPHookManager::RemoveSink(HWND hWnd, BOOL bDestroyed)
{
    CHookSink* sink = FindSink(hWnd);
    if (!sink)
        return;
    sink->m_bWindowDestroyed = bDestroyed;
    sink->Unsubclass();
    if (sink->m_bSubclassed && !bDestroyed)
        return;    // kept as a pass-through under a foreign subclasser
    m_mapSinks.RemoveKey(hWnd);
    DeleteSink(sink);
}

void CXTPHookManager::DeleteSink(CHookSink* sink)
{
    if (IsDeferring()) {
        if (!sink->m_bPendingDelete) {
            sink->m_bPendingDelete = TRUE;
            m_arrPendingSinks.Add(sink);
        }
        return;
    }
    const HWND hWnd = sink->m_hWnd;
    delete sink;
    if (g_sinkDeletedHook)
        g_sinkDeletedHook(hWnd, m_nDispatchDepth);
}

void CXTPHookManager::DeleteClientLater(CXTPHookManagerHookAble* client)
{
    if (FindPointerInArray(m_arrPendingClients, client) == -1)
        m_arrPendingClients.Add(client);
}

void CXTPHookManager::FinishDispatch()
{
    // Each step may run messages (Unsubclass sends one), which may queue more work: loop until
    // nothing waits. Meanwhile removals keep being deferred, so nothing this loop holds goes away.
    if (m_bFinishing)
        return;
    m_bFinishing = true;
    while (m_arrCompact.GetSize() > 0 || m_arrPendingClients.GetSize() > 0 || m_arrPendingSinks.GetSize() > 0) {
        CPtrArray compact;
        compact.Copy(m_arrCompact);
        m_arrCompact.RemoveAll();
        for (int i = 0; i < compact.GetSize(); ++i) {
            auto* sink = static_cast<CHookSink*>(compact[i]);
            sink->m_bNeedsCompact = FALSE;
            for (int j = sink->GetSize() - 1; j >= 0; --j) {
                if (!sink->GetAt(j))
                    sink->RemoveAt(j);
            }
            if (!sink->m_bPendingDelete && sink->GetSize() == 0 && FindSink(sink->m_hWnd) == sink)
                RemoveSink(sink->m_hWnd, FALSE);
        }

        CPtrArray clients;
        clients.Copy(m_arrPendingClients);
        m_arrPendingClients.RemoveAll();
        for (int i = clients.GetSize() - 1; i >= 0; --i) {
            auto* client = static_cast<CXTPHookManagerHookAble*>(clients[i]);
            // Hooked again meanwhile somewhere: it is not dropped after all.
            bool stillHooked = false;
            POSITION pos = m_mapSinks.GetStartPosition();
            while (pos && !stillHooked) {
                void* key = nullptr;
                void* value = nullptr;
                m_mapSinks.GetNextAssoc(pos, key, value);
                stillHooked = FindPointerInArray(*static_cast<CHookSink*>(value), client) != -1;
            }
            // A sink waiting for deletion still holding it deletes it itself.
            for (int j = 0; j < m_arrPendingSinks.GetSize() && !stillHooked; ++j)
                stillHooked = FindPointerInArray(*static_cast<CHookSink*>(m_arrPendingSinks[j]), client) != -1;
            if (!stillHooked)
                delete client;
        }

        CPtrArray sinks;
        sinks.Copy(m_arrPendingSinks);
        m_arrPendingSinks.RemoveAll();
        for (int i = 0; i < sinks.GetSize(); ++i) {
            auto* sink = static_cast<CHookSink*>(sinks[i]);
            // A sink deleted here must not delete clients that were dropped (and maybe deleted)
            // above; its marked slots are null already.
            const HWND hWnd = sink->m_hWnd;
            delete sink;
            if (g_sinkDeletedHook)
                g_sinkDeletedHook(hWnd, m_nDispatchDepth);
        }
    }
    m_bFinishing = false;
}

LRESULT CALLBACK CXTPHookManager::HookWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CCurrentMessageScope scope(hWnd, message, wParam, lParam);
    CXTPHookManager* manager = GetHookManager();
    CHookSink* sink = manager->FindSink(hWnd);
    if (!sink)
        return 0;
    // Read before any client runs: the sink may be gone when the clients are done.
    const WNDPROC previous = sink->m_pOldWndProc;

    ++manager->m_nDispatchDepth;
    LRESULT result = 0;
    BOOL handled = FALSE;
    if (message == WM_NCDESTROY) {
        manager->RemoveSink(hWnd, TRUE);
    } else {
        handled = sink->OnHookMessage(hWnd, message, wParam, lParam, result);
    }
    // The previous procedure's turn belongs to the dispatch: what waits is done after it.
    if (!handled)
        result = ::CallWindowProcW(previous, hWnd, message, wParam, lParam);
    if (--manager->m_nDispatchDepth == 0 && !manager->m_bFinishing)
        manager->FinishDispatch();
    return result;
}
