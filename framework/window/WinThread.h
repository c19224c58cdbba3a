#pragma once
// CWinThread: a thread of the framework, with the message loop the user-interface threads run.
//
// Run pumps messages: each goes through PreTranslateMessage (the walk of WalkPreTranslateTree from
// its window up to the main window, then the main window's last chance for top-level windows
// outside it) and is dispatched unless taken there. When the queue runs empty OnIdle runs with a
// rising count until it answers FALSE: count 0 sends WM_IDLEUPDATECMDUI to the visible main window
// with its permanent descendants and to the thread's other frame windows; count 1 deletes the
// thread's temporary handle wrappers. A message for which IsIdleMessage answers TRUE starts the
// idle cycle again. WM_QUIT ends Run with ExitInstance's answer (the quit code by default).
//
// Worker threads: AfxBeginThread runs a function (or a CWinThread subclass made by its runtime
// class) on a new thread. The thread object deletes itself and closes its handle when the thread
// ends (m_bAutoDelete); a caller that needs the object afterwards starts it suspended, clears
// m_bAutoDelete and resumes it, then owns it. A caller that only needs to wait for the end asks
// for a handle of its own, which stays valid whatever the thread object does.

#include "framework/CmdTarget.h"
#include "framework/Handle.h"

class CWnd;

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;    // closes the thread handle

    // Starts the thread (suspended with CREATE_SUSPENDED); FALSE when it cannot be made.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread();
    DWORD SuspendThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int nPriority);
    operator HANDLE() const { return m_hThread; }

    // The thread's main window; on a framework thread without one, this thread's own temporary
    // wrapper of the application's main window.
    virtual CWnd* GetMainWnd();

    // User-interface threads
    virtual BOOL InitInstance();
    virtual int ExitInstance();    // the code of the WM_QUIT that ended Run
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Takes one message and handles it; FALSE when it was WM_QUIT.
    virtual BOOL PumpMessage();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // Deletes the thread object when m_bAutoDelete is set.
    virtual void Delete();

    HANDLE m_hThread = nullptr;    // owned (closed by the destructor)
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    CWnd* m_pMainWnd = nullptr;     // not owned
    CWnd* m_pActiveWnd = nullptr;   // not owned
    MSG m_msgCur{};                 // the message Run and PumpMessage took last

    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;

protected:
    // For IsIdleMessage: mouse moves that do not move do not restart idle processing.
    POINT m_ptCursorLast{-1, -1};
    UINT m_nMsgLast = 0;

private:
    static unsigned __stdcall ThreadEntry(void* param);
};

// Starts fn(param) on a new framework thread. priority: a THREAD_PRIORITY_ value; flags:
// CREATE_SUSPENDED or 0. waitHandle, when given, receives a duplicate of the thread handle that
// the caller owns: unlike m_hThread it stays valid after an auto-deleting thread has ended, and
// waiting on it then returns at once. Null when the thread could not be started.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr,
                           UniqueKernelHandle* waitHandle = nullptr);
// The same for a CWinThread subclass created by its runtime class (it runs InitInstance and Run).
CWinThread* AfxBeginThread(const CRuntimeClass* pThreadClass,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr,
                           UniqueKernelHandle* waitHandle = nullptr);
// Ends the calling framework thread now (its object is deleted when auto-delete is on).
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);

// Waits for a handle while still answering messages that other threads send to this thread's
// windows, so a user-interface thread can wait for a worker that reports with SendMessage.
// Posted messages stay queued. Answers WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD AfxWaitForHandleDispatchingSent(HANDLE handle, DWORD timeoutMs = INFINITE);

// The calling thread's framework thread object; the application when it has none.
CWinThread* AfxGetThread();
// The main window as the calling thread sees it (see CWinThread::GetMainWnd); null when none.
CWnd* AfxGetMainWnd();

// Frame windows of the thread besides the main one, which idle processing also updates. A frame
// window class adds itself when it is created and removes itself when it is destroyed.
void AfxAddFrameWnd(CWnd* pFrame);
void AfxRemoveFrameWnd(CWnd* pFrame);

// Pumps one message for code outside a CWinThread (AfxGetThread's PumpMessage).
BOOL AfxPumpMessage();
// Deletes this thread's temporary wrappers of every kind (windows, GDI objects, device contexts,
// menus, image lists) unless a message is being handled on this thread, whose handler may still
// hold some. TRUE when they were deleted.
BOOL AfxDeleteTempMaps();
