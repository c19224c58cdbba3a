#pragma once
// The hook manager: any number of toolkit objects watch the messages of a window they do not own
// (a frame, a popup's owner, a combo box). The window is subclassed once, by a sink that offers
// each message to its clients, the one added last first.
//
// Dispatch is re-entrant: a client may remove itself or others, empty the sink or destroy the
// window while a message (or a nested one) is being offered. Removals then only mark the client's
// slot; compacting the array, deleting an emptied sink and deleting clients that the sink owns
// wait until the outermost dispatch of the thread has ended.

#include "framework/Array.h"
#include "framework/Map.h"

#include <windows.h>

class CXTPHookManagerHookAble {
public:
    CXTPHookManagerHookAble() = default;
    // A client removes its hooks before it is destroyed; nothing is done here.
    virtual ~CXTPHookManagerHookAble() = default;
    // 0: pass the message on; 1: handled, lResult goes back to the sender; 2: stop offering it to
    // further clients (the window procedure still gets it).
    virtual int OnHookMessage(HWND hWnd, UINT nMessage, WPARAM& wParam, LPARAM& lParam, LRESULT& lResult) = 0;

    // Non-zero: the sink that drops this client deletes it.
    DWORD m_dwHookFlags = 0;
};

// The index of the first element equal to the pointer, or -1.
int FindPointerInArray(const CPtrArray& array, const void* pointer);

// Registered at start-up; wParam = the window procedure of the sink going away, lParam = the
// procedure it had replaced. A sink above it in the chain adopts lParam and answers 1.
extern const UINT WM_HOOKMANAGER_SINKREMOVED;

class CXTPHookManager {
public:
    class CHookSink : public CPtrArray {
    public:
        explicit CHookSink(HWND hWnd);
        ~CHookSink() override;
        CHookSink(const CHookSink&) = delete;
        CHookSink& operator=(const CHookSink&) = delete;

        void RemoveClient(CXTPHookManagerHookAble* client);
        BOOL OnHookMessage(HWND hWnd, UINT nMessage, WPARAM& wParam, LPARAM& lParam, LRESULT& lResult);
        void Unsubclass();
        // The clients still hooked (slots marked during a dispatch do not count).
        int GetClientCount() const;

        // Freed sinks are filled with a pattern when the test build asks for it, so that a use
        // after free shows as garbage rather than as plausible data.
        static void* operator new(size_t size);
        static void operator delete(void* p, size_t size);

        WNDPROC m_pOldWndProc = nullptr;
        HWND m_hWnd = nullptr;
        BOOL m_bUnicode = FALSE;
        BOOL m_bWindowDestroyed = FALSE;
        // Cleared when the sink left the chain (or the chain above it keeps a foreign procedure).
        BOOL m_bSubclassed = FALSE;
        BOOL m_bNeedsCompact = FALSE;    // slots were marked during a dispatch
        BOOL m_bPendingDelete = FALSE;   // left the map during a dispatch; deleted afterwards
    };

    CXTPHookManager();
    ~CXTPHookManager();
    CXTPHookManager(const CXTPHookManager&) = delete;
    CXTPHookManager& operator=(const CXTPHookManager&) = delete;

    void SetHook(HWND hWnd, CXTPHookManagerHookAble* client);
    void RemoveHook(HWND hWnd, CXTPHookManagerHookAble* client);
    void RemoveAll(CXTPHookManagerHookAble* client);
    CHookSink* FindSink(HWND hWnd) const;
    void RemoveSink(HWND hWnd, BOOL bDestroyed);

    // Depth of HookWindowProc frames on the stack (all windows of the thread).
    int GetDispatchDepth() const { return m_nDispatchDepth; }

    // Test seams: called whenever a sink object is deleted, with the dispatch depth at that time
    // (always 0 unless a deletion happens inside a dispatch); and poisoning of freed sinks.
    using SinkDeletedHook = void (*)(HWND hWnd, int dispatchDepth);
    static void SetSinkDeletedHook(SinkDeletedHook hook);
    static void SetPoisonFreedSinks(bool poison);

    static LRESULT CALLBACK HookWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class CHookSink;
    void DeleteSink(CHookSink* sink);
    void DeleteClientLater(CXTPHookManagerHookAble* client);
    // Runs when the outermost dispatch ends: compacts marked sinks, deletes what waited.
    void FinishDispatch();
    bool IsDeferring() const { return m_nDispatchDepth > 0 || m_bFinishing; }

    CMapPtrToPtr m_mapSinks;
    int m_nDispatchDepth = 0;
    bool m_bFinishing = false;
    CPtrArray m_arrPendingSinks;     // sinks to delete after the dispatch
    CPtrArray m_arrPendingClients;   // owned clients to delete after the dispatch
    CPtrArray m_arrCompact;          // sinks whose slots were marked
};

CXTPHookManager* GetHookManager();
