#pragma once
// Pumps the current thread's messages through the framework (pre-translation and idle included,
// as the application's own loop does) until a condition holds.
#include "framework/window/WinThread.h"

#include <windows.h>

#include <functional>

namespace apppump {

// False after the time-out. A WM_QUIT met on the way is posted again, so the caller's loop still
// ends, and the condition is asked one last time.
inline bool RunUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000)
{
    CWinThread* thread = AfxGetThread();
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    LONG idleCount = 0;
    bool idleDone = false;
    while (!condition()) {
        if (::GetTickCount64() > end)
            return false;
        MSG peek;
        if (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!thread->PumpMessage()) {
                ::PostQuitMessage(static_cast<int>(thread->m_msgCur.wParam));
                return condition();
            }
            if (thread->IsIdleMessage(&thread->m_msgCur)) {
                idleCount = 0;
                idleDone = false;
            }
        } else if (!idleDone) {
            idleDone = !thread->OnIdle(idleCount++);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return true;
}

}    // namespace apppump
