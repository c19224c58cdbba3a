// Framework threads: the message loop, idle processing, and worker threads with their end.

#include "framework/window/WinThread.h"

#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"
#include "framework/window/ImageList.h"
#include "framework/window/Menu.h"
#include "framework/window/ThreadState.h"
#include "framework/window/WinApp.h"
#include "framework/window/Wnd.h"

#include <process.h>

#include <algorithm>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (m_hThread)
        return FALSE;
    unsigned threadId = 0;
    // Always made suspended, so the new thread never runs before m_hThread is set.
    auto handle = reinterpret_cast<HANDLE>(
        ::_beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                         (dwCreateFlags | CREATE_SUSPENDED) & ~STACK_SIZE_PARAM_IS_A_RESERVATION, &threadId));
    if (!handle)
        return FALSE;
    m_hThread = handle;
    m_nThreadID = threadId;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(handle);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }
DWORD CWinThread::SuspendThread() { return ::SuspendThread(m_hThread); }
int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

unsigned __stdcall CWinThread::ThreadEntry(void* param)
{
    auto* thread = static_cast<CWinThread*>(param);
    CWindowThreadState& state = AfxGetWindowThreadState();
    state.m_pCurrentWinThread = thread;
    UINT code;
    if (thread->m_pfnThreadProc)
        code = thread->m_pfnThreadProc(thread->m_pThreadParams);
    else if (thread->InitInstance())
        code = static_cast<UINT>(thread->Run());
    else
        code = static_cast<UINT>(thread->ExitInstance());
    state.m_pCurrentWinThread = nullptr;
    // Auto-delete: the object goes and its handle is closed; the thread's temporaries go with the
    // thread's state when the thread ends.
    thread->Delete();
    return code;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWnd* CWinThread::GetMainWnd()
{
    if (m_pActiveWnd)
        return m_pActiveWnd;
    if (m_pMainWnd)
        return m_pMainWnd;
    // A worker has no main window of its own: it sees the application's through a temporary
    // object of its own thread (objects are only permanent on the thread that made them).
    CWinApp* app = AfxGetApp();
    if (app && app != this && app->m_pMainWnd)
        return CWnd::FromHandle(app->m_pMainWnd->m_hWnd);
    return nullptr;
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

int CWinThread::Run()
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    MSG peek;
    for (;;) {
        while (bIdle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    const BOOL got = ::GetMessageW(&m_msgCur, nullptr, 0, 0);
    if (got == 0)
        return FALSE;    // WM_QUIT
    if (got == -1)
        return TRUE;     // nothing was taken
    // WM_KICKIDLE is a modal loop's own message and means nothing once queued.
    if (m_msgCur.message != WM_KICKIDLE && !PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    CWnd* mainWnd = GetMainWnd();
    HWND hWndMain = mainWnd ? mainWnd->m_hWnd : nullptr;
    if (CWnd::WalkPreTranslateTree(hWndMain, pMsg))
        return TRUE;
    // A top-level window outside the main window (a floating bar, a popup of no owner) gives the
    // main window the last chance at its keys.
    if (hWndMain && pMsg->hwnd) {
        CWnd* pWnd = CWnd::FromHandle(pMsg->hwnd);
        CWnd* topLevel = pWnd ? pWnd->GetTopLevelParent() : nullptr;
        if (!topLevel || topLevel->m_hWnd != hWndMain)
            return mainWnd->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    // Mouse moves that do not move (Windows repeats them) and paint or caret-blink timers must
    // not restart idle processing, or the idle updates would run without end.
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        if (m_ptCursorLast.x == pMsg->pt.x && m_ptCursorLast.y == pMsg->pt.y && pMsg->message == m_nMsgLast)
            return FALSE;
        m_ptCursorLast = pMsg->pt;
        m_nMsgLast = pMsg->message;
        return TRUE;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118;    // WM_SYSTIMER
}

namespace {

void IdleUpdate(CWnd* pWnd)
{
    if (!pWnd || !pWnd->m_hWnd || CWnd::FromHandlePermanent(pWnd->m_hWnd) != pWnd || !pWnd->IsWindowVisible())
        return;
    AfxCallWndProc(pWnd, pWnd->m_hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
    pWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
}

} // namespace

BOOL CWinThread::OnIdle(LONG lCount)
{
    if (lCount <= 0) {
        CWnd* mainWnd = m_pMainWnd;
        IdleUpdate(mainWnd);
        // A handler may add or remove frames: walk a copy, and skip those gone meanwhile.
        const std::vector<CWnd*> frames = AfxGetWindowThreadState().m_frameList;
        for (CWnd* frame : frames) {
            const auto& now = AfxGetWindowThreadState().m_frameList;
            if (frame != mainWnd && std::find(now.begin(), now.end(), frame) != now.end())
                IdleUpdate(frame);
        }
        return TRUE;
    }
    if (lCount == 1)
        AfxDeleteTempMaps();
    return FALSE;
}

// ---- free functions -----------------------------------------------------------------------------

namespace {

// Starts a new thread object: created suspended so that its priority and the caller's duplicate
// handle are in place before it runs, then resumed unless the caller asked for it suspended.
// The object is deleted when its thread cannot be made.
CWinThread* StartThread(CWinThread* thread, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                        LPSECURITY_ATTRIBUTES lpSecurityAttrs, UniqueKernelHandle* waitHandle)
{
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (waitHandle) {
        HANDLE process = ::GetCurrentProcess();
        ::DuplicateHandle(process, thread->m_hThread, process, waitHandle->Put(), 0, FALSE, DUPLICATE_SAME_ACCESS);
    }
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}

} // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs,
                           UniqueKernelHandle* waitHandle)
{
    if (!pfnThreadProc)
        return nullptr;
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    return StartThread(thread, nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs, waitHandle);
}

CWinThread* AfxBeginThread(const CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs,
                           UniqueKernelHandle* waitHandle)
{
    if (!pThreadClass || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
        return nullptr;
    auto* thread = static_cast<CWinThread*>(pThreadClass->CreateObject());
    if (!thread)
        return nullptr;
    return StartThread(thread, nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs, waitHandle);
}

void AfxEndThread(UINT nExitCode, BOOL bDelete)
{
    CWindowThreadState& state = AfxGetWindowThreadState();
    CWinThread* thread = state.m_pCurrentWinThread;
    state.m_pCurrentWinThread = nullptr;
    if (thread && bDelete)
        thread->Delete();
    ::_endthreadex(nExitCode);
    for (;;) {
    }
}

DWORD AfxWaitForHandleDispatchingSent(HANDLE handle, DWORD timeoutMs)
{
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            remaining = elapsed >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - elapsed);
        }
        const DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, remaining, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return WAIT_OBJECT_0;
        if (result == WAIT_OBJECT_0 + 1) {
            // Peeking delivers the messages other threads sent; posted ones stay queued.
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        if (result == WAIT_TIMEOUT)
            return WAIT_TIMEOUT;
        return WAIT_FAILED;
    }
}

CWinThread* AfxGetThread()
{
    CWinThread* thread = AfxGetWindowThreadState().m_pCurrentWinThread;
    return thread ? thread : AfxGetApp();
}

CWnd* AfxGetMainWnd()
{
    if (CWinThread* thread = AfxGetWindowThreadState().m_pCurrentWinThread)
        return thread->GetMainWnd();
    CWinApp* app = AfxGetApp();
    if (!app)
        return nullptr;
    if (app->m_nThreadID == ::GetCurrentThreadId())
        return app->GetMainWnd();
    // A thread the framework did not start: a temporary of its own, as for a worker.
    return app->m_pMainWnd ? CWnd::FromHandle(app->m_pMainWnd->m_hWnd) : nullptr;
}

void AfxAddFrameWnd(CWnd* pFrame)
{
    auto& frames = AfxGetWindowThreadState().m_frameList;
    if (pFrame && std::find(frames.begin(), frames.end(), pFrame) == frames.end())
        frames.push_back(pFrame);
}

void AfxRemoveFrameWnd(CWnd* pFrame)
{
    auto& frames = AfxGetWindowThreadState().m_frameList;
    frames.erase(std::remove(frames.begin(), frames.end(), pFrame), frames.end());
}

BOOL AfxPumpMessage()
{
    if (CWinThread* thread = AfxGetThread())
        return thread->PumpMessage();
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return FALSE;
    }
    if (got > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

BOOL AfxDeleteTempMaps()
{
    // A handler that runs a loop of its own may still hold temporaries of the message it handles.
    if (AfxGetWindowThreadState().m_nDispatchDepth > 0)
        return FALSE;
    CWnd::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    CDC::DeleteTempMap();
    CMenu::DeleteTempMap();
    CImageList::DeleteTempMap();
    return TRUE;
}
