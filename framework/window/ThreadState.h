#pragma once
// Per-thread state of the window layer (internal): the framework thread object, the message being
// handled, the window being created, the window handle maps and the thread's frame windows.
// Each thread gets its own on first use; a thread's temporaries die with it.

#include "framework/window/Wnd.h"

#include <unordered_map>
#include <vector>

class CWinThread;

struct CWindowThreadState {
    CWindowThreadState() = default;
    CWindowThreadState(const CWindowThreadState&) = delete;
    CWindowThreadState& operator=(const CWindowThreadState&) = delete;
    ~CWindowThreadState();

    CWinThread* m_pCurrentWinThread = nullptr;   // not owned
    MSG m_lastSentMsg{};                          // the message AfxCallWndProc is handling
    int m_nDispatchDepth = 0;                     // AfxCallWndProc frames on the stack

    CWnd* m_pWndInit = nullptr;                   // not owned: the object CreateEx is making
    HHOOK m_hHookCbt = nullptr;                   // owned while CreateEx runs

    std::unordered_map<HWND, CWnd*> m_permanentMap;    // objects not owned
    std::unordered_map<HWND, CWnd*> m_temporaryMap;    // objects owned
    std::vector<CWnd*> m_frameList;                    // not owned
};

CWindowThreadState& AfxGetWindowThreadState();
