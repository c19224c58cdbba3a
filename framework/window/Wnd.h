#pragma once
// CWnd: one window handle and the object that answers its messages.
//
// Every message of a window that has a permanent object goes through AfxWndProc into the
// object's virtual WindowProc, then OnWndMsg, which looks in the object's message table
// (ON_WM_xxx, ON_MESSAGE, ON_REGISTERED_MESSAGE, ...) and calls the typed handler; what no handler
// takes goes to DefWindowProc, i.e. to the window procedure the object replaced. Default() replays
// the message being handled to DefWindowProc, so a handler can let Windows do its part.
//
// Commands and notifications: WM_COMMAND goes to OnCommand, WM_NOTIFY to OnNotify; both first offer
// the message back to the control's own object (ON_CONTROL_REFLECT, ON_NOTIFY_REFLECT; the _EX forms
// answer FALSE to let the parent see it as well) and then route it through OnCmdMsg to the parent's
// ON_COMMAND / ON_CONTROL / ON_NOTIFY entries. WM_CTLCOLOR*, the owner-draw messages and control
// scroll messages are offered to the control first in the same way (WM_REFLECT_BASE + message).
//
// Handle maps, per thread: a window has a permanent object while an object is attached to it
// (CreateEx, Attach, SubclassWindow). FromHandle answers that object, or for a window without one a
// temporary CWnd that lives until the thread's next idle time (until the thread ends on a worker
// that never idles); a temporary must not be kept across messages. An object is permanent only on
// the thread that attached it: another thread asking FromHandle gets a temporary of its own.
//
// Creation: CreateEx installs a thread-local CBT hook for the length of CreateWindowEx, so the
// object is attached and the window subclassed when Windows announces it (HCBT_CREATEWND), before
// WM_GETMINMAXINFO, WM_NCCREATE and WM_CREATE; this works for any window class, the system ones
// included. After WM_NCDESTROY the object is detached and PostNcDestroy runs last; a window object
// made with new overrides it to delete itself.

#include "framework/CmdTarget.h"
#include "framework/CmdUI.h"
#include "framework/Rect.h"
#include "framework/String.h"

// windowsx.h is left out on purpose: its SubclassWindow macro would rename the member.
#ifndef GET_X_LPARAM
#define GET_X_LPARAM(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))
#endif
// winuser.h makes GetNextWindow a macro for GetWindow; CWnd has a member of that name.
#ifdef GetNextWindow
#undef GetNextWindow
#endif

class CDC;
class CFont;
class CFrameWnd;
class CMenu;

// Flags of RunModalLoop.
enum : DWORD {
    MLF_NOIDLEMSG = 0x0001,     // no WM_ENTERIDLE to the parent
    MLF_NOKICKIDLE = 0x0002,    // no WM_KICKIDLE to the window
    MLF_SHOWONIDLE = 0x0004,    // show the window the first time the loop idles
};

// m_nFlags bits.
enum : UINT {
    WF_MODALLOOP = 0x0001,       // RunModalLoop is running
    WF_CONTINUEMODAL = 0x0002,   // ... and has not been told to end
    WF_TOOLTIPS = 0x0004,        // EnableToolTips: the window's children get tips
};

// The framework's own bits in the flags of a hit test's tool record. They never reach the tooltip
// control (FilterToolTipMessage and the toolkit's tip contexts take them off first).
enum : UINT {
    TTF_NOTBUTTON = 0x80000000u,    // the tool is not a push button: a tip may show over it
    TTF_ALWAYSTIP = 0x40000000u,    // show the tip even while the top-level window is inactive
};

struct tagTOOLINFOW;

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd);    // a wrapper of an existing window (not attached)
    // A permanent object still holding a window destroys it.
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    // Also answers null when called through a null pointer, as callers of the toolkit expect.
    HWND GetSafeHwnd() const;
    bool operator==(const CWnd& other) const { return m_hWnd == other.m_hWnd; }
    bool operator!=(const CWnd& other) const { return m_hWnd != other.m_hWnd; }

    // ---- handle maps ----
    // The permanent object of the window on this thread, else a temporary one; null for null.
    static CWnd* PASCAL FromHandle(HWND hWnd);
    // The permanent object of the window on this thread, or null.
    static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
    // Deletes this thread's temporary window objects (not their windows).
    static void PASCAL DeleteTempMap();
    // This thread's temporary object of the window, or null (for diagnostics and tests).
    static CWnd* PASCAL LookupTemporary(HWND hWnd);

    // Makes this the window's permanent object without subclassing; FALSE when this object
    // already has a window, the handle is null, or the window has a permanent object already.
    BOOL Attach(HWND hWndNew);
    // Forgets the window (no unsubclassing): the handle is returned and the object is empty.
    HWND Detach();
    // Attach plus subclassing: the window's messages go through this object's table from now on.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Puts the replaced window procedure back and detaches; the handle is returned.
    HWND UnsubclassWindow();

    // ---- creation ----
    virtual BOOL Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, const wchar_t* lpszClassName, const wchar_t* lpszWindowName,
                  DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hWndParent,
                  HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, const wchar_t* lpszClassName, const wchar_t* lpszWindowName,
                  DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                  LPVOID lpParam = nullptr);
    // ActiveX controls are not hosted: always FALSE.
    BOOL CreateControl(const wchar_t* progId, const wchar_t* windowName, DWORD style,
                       const RECT& rect, CWnd* parent, UINT id);
    virtual BOOL DestroyWindow();

    // May change the class, styles, position and so on before the window is made. A null class
    // gets the framework's default window class.
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Called before a window is subclassed (created through CreateEx or SubclassWindow).
    virtual void PreSubclassWindow();
    // Called after WM_NCDESTROY, when the object no longer has a window. Heap objects delete
    // themselves here.
    virtual void PostNcDestroy();

    // ---- message processing ----
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A control's chance at the notifications its parent reflects to it; TRUE when taken.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Passes the current message (AfxGetCurrentMessage) to DefWindowProc.
    LRESULT Default();

    // Offers the thread's current message to the permanent object of the child; TRUE when taken.
    static BOOL PASCAL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);
    BOOL SendChildNotifyLastMsg(LRESULT* pResult = nullptr);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Offers the message to each window from hWnd up the parent chain (stopping after hWndStop)
    // whose permanent object answers PreTranslateMessage TRUE.
    static BOOL PASCAL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

    // Sends the message to every child (and, deep, their children). onlyPermanent: only windows
    // with a permanent object, called directly through their WindowProc.
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                  BOOL bDeep = TRUE, BOOL bOnlyPerm = FALSE);
    // Updates every child control through the update handlers: the child's own reflected update
    // handler, this window's, then pTarget's (push buttons without any handler are disabled when
    // bDisableIfNoHndler).
    void UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    // ---- tooltips ----
    // The tool under a point of the client area. The default answers the visible child there
    // (its control id; -1 when there is none) and, when ti is given, fills it for that child:
    // hwnd = this window, uId = the child (TTF_IDISHWND), text asked for later with
    // TTN_GETDISPINFOW sent to this window (LPSTR_TEXTCALLBACKW), flags TTF_IDISHWND |
    // TTF_NOTBUTTON | TTF_ALWAYSTIP.
    virtual INT_PTR OnToolHitTest(CPoint point, tagTOOLINFOW* ti) const;
    // Tips for this window's children through the thread's one tooltip control (made on first
    // use). The messages reach it through FilterToolTipMessage, which the base
    // PreTranslateMessage calls; an override of PreTranslateMessage calls it itself.
    BOOL EnableToolTips(BOOL bEnable = TRUE);
    // Follows the mouse: a move onto another tool replaces the tooltip control's tool with the
    // one OnToolHitTest answers (none off every tool), the message is relayed to the control,
    // and a click or a key hides the tip.
    void FilterToolTipMessage(MSG* pMsg);

    // ---- modal loop ----
    // Pumps messages until EndModalLoop; the window's owner is disabled meanwhile. WM_KICKIDLE
    // goes to the window whenever the queue runs empty; MLF_SHOWONIDLE shows it then. A WM_QUIT
    // ends the loop (answering -1) and is posted again for the loop outside.
    int RunModalLoop(DWORD dwFlags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // ---- the usual window calls ----
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    CWnd* GetDlgItem(int nID) const;
    void GetDlgItem(int nID, HWND* phWnd) const;
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* pWndNewParent);
    CWnd* GetOwner() const;
    void SetOwner(CWnd* pOwnerWnd);
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetTopWindow() const;
    CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const;
    CWnd* GetDescendantWindow(int nID, BOOL bOnlyPerm = FALSE) const;
    BOOL IsChild(const CWnd* pWnd) const;
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;

    void SetWindowText(const wchar_t* lpszString);
    int GetWindowText(wchar_t* lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;

    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;

    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void SetRedraw(BOOL bRedraw = TRUE);
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* pDC);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    CWnd* SetFocus();
    static CWnd* PASCAL GetFocus();
    CWnd* SetCapture();
    static CWnd* PASCAL GetCapture();
    static CWnd* PASCAL GetActiveWindow();
    static CWnd* PASCAL GetForegroundWindow();
    static CWnd* PASCAL GetDesktopWindow();
    BOOL SetForegroundWindow();
    CWnd* SetActiveWindow();
    void BringWindowToTop();
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* pMenu);
    int MessageBox(const wchar_t* lpszText, const wchar_t* lpszCaption = nullptr, UINT nType = MB_OK);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    // ---- frames and layout (FrameWnd.cpp) ----
    // The nearest ancestor (the owner for a popup) that is a frame window; null when none.
    CFrameWnd* GetParentFrame() const;
    // The outermost frame: this window's own when it is one and has no frame above it.
    CFrameWnd* GetTopLevelFrame() const;
    // Lays out the children nIDFirst..nIDLast through WM_SIZEPARENT in z-order and gives child
    // nIDLeftOver what is left (see AFX_SIZEPARENTPARAMS and the repos* flags in FrameWnd.h).
    void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag = 0,
                        LPRECT lpRectParam = nullptr, LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);

    UINT m_nFlags = 0;           // WF_ bits
    int m_nModalResult = 0;      // what EndModalLoop was given

protected:
    // ---- base handlers: each passes the message on to Default() ----
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    BOOL OnNcCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnSize(UINT nType, int cx, int cy);
    void OnMove(int x, int y);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnWindowPosChanged(WINDOWPOS* lpwndpos);
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnContextMenu(CWnd* pWnd, CPoint pos);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnMButtonDown(UINT nFlags, CPoint point);
    void OnMButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnMouseLeave();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    LRESULT OnNcHitTest(CPoint point);
    void OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    void OnSettingChange(UINT uFlags, const wchar_t* lpszSection);
    void OnSysColorChange();
    UINT OnGetDlgCode();
    void OnCaptureChanged(CWnd* pWnd);

    WNDPROC m_pfnSuper = nullptr;   // the window procedure this object replaced (null: none)

    friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

private:
    // Looks the message up among the window entries of the table chain.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message) const;
    // The framework's own cleanup once WM_NCDESTROY has been handled.
    void FinishNcDestroy();

    DECLARE_MESSAGE_MAP()
};

// Attaches and subclasses pWnd on the first window this thread creates while the object lives,
// before that window's first message, whatever its class and arguments: for windows that
// Windows creates on the caller's behalf (a dialog from its template).
class CNextWindowHook {
public:
    explicit CNextWindowHook(CWnd* pWnd);
    CNextWindowHook(const CNextWindowHook&) = delete;
    CNextWindowHook& operator=(const CNextWindowHook&) = delete;
    ~CNextWindowHook();

private:
    struct Scope;
    Scope* m_scope;    // owned
};

// The window procedure of every window that has a permanent object.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs one message through the object: the thread's current message is set to it (a whole MSG)
// for the length of the call and restored afterwards, so nested sends see their own.
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// The message being handled on this thread (the one Default() replays). Code that runs messages
// outside AfxCallWndProc (window hooks) may save it, put its own there and restore it.
MSG* AfxGetCurrentMessage();
// This thread's tooltip control for EnableToolTips (null until a window enabled tips).
HWND AfxGetThreadToolTip();

// Registers (once per distinct set of arguments) a window class with DefWindowProc as its
// procedure and answers its generated name, "Afx:" followed by the instance and the arguments.
const wchar_t* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr,
                                   HBRUSH hbrBackground = nullptr, HICON hIcon = nullptr);

// Sets the window's text only when it differs, so controls do not flicker at idle updates.
void AfxSetWindowText(HWND hWndCtrl, const wchar_t* lpszNew);

// ---- window message entries ---------------------------------------------------------------------

#define TARNWICK_WND_ENTRY(message, body) TARNWICK_MSG_ENTRY(message, 0, 0, 0, AfxSig_msg, nullptr, body)

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    TARNWICK_WND_ENTRY(message, return self->memberFxn(call.wParam, call.lParam);)
// void memberFxn()
#define ON_MESSAGE_VOID(message, memberFxn) TARNWICK_WND_ENTRY(message, self->memberFxn(); return 0;)
// nMessageVariable: a UINT holding the number from RegisterWindowMessage.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                       \
    TARNWICK_MSG_ENTRY(0xC000, 0, 0, 0, AfxSig_registered, &nMessageVariable,                    \
                       return self->memberFxn(call.wParam, call.lParam);)

// Control notifications through WM_COMMAND: void memberFxn()
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    TARNWICK_MSG_ENTRY(WM_COMMAND, wNotifyCode, id, id, AfxSig_cmd, nullptr, self->memberFxn(); return TRUE;)
// void memberFxn(UINT id)
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                     \
    TARNWICK_MSG_ENTRY(WM_COMMAND, wNotifyCode, id, idLast, AfxSig_cmd, nullptr,                 \
                       self->memberFxn(call.nID); return TRUE;)
// Reflected to the control: void memberFxn() / BOOL memberFxn() (FALSE: the parent sees it too)
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                               \
    TARNWICK_MSG_ENTRY(WM_COMMAND + WM_REFLECT_BASE, wNotifyCode, 0, 0, AfxSig_cmd, nullptr,     \
                       self->memberFxn(); return TRUE;)
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                            \
    TARNWICK_MSG_ENTRY(WM_COMMAND + WM_REFLECT_BASE, wNotifyCode, 0, 0, AfxSig_cmdEx, nullptr,   \
                       return self->memberFxn();)

#define TARNWICK_NOTIFY_HDR static_cast<AFX_NOTIFY*>(call.pExtra)->pNMHDR
#define TARNWICK_NOTIFY_RESULT static_cast<AFX_NOTIFY*>(call.pExtra)->pResult
// void memberFxn(NMHDR* pNotifyStruct, LRESULT* result)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                    \
    TARNWICK_MSG_ENTRY(WM_NOTIFY, wNotifyCode, id, id, AfxSig_notify, nullptr,                   \
                       self->memberFxn(TARNWICK_NOTIFY_HDR, TARNWICK_NOTIFY_RESULT); return TRUE;)
// void memberFxn(UINT id, NMHDR*, LRESULT*)
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                      \
    TARNWICK_MSG_ENTRY(WM_NOTIFY, wNotifyCode, id, idLast, AfxSig_notify, nullptr,               \
                       self->memberFxn(call.nID, TARNWICK_NOTIFY_HDR, TARNWICK_NOTIFY_RESULT);   \
                       return TRUE;)
// BOOL memberFxn(UINT id, NMHDR*, LRESULT*)
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn)                                                 \
    TARNWICK_MSG_ENTRY(WM_NOTIFY, wNotifyCode, id, id, AfxSig_notifyEx, nullptr,                 \
                       return self->memberFxn(call.nID, TARNWICK_NOTIFY_HDR, TARNWICK_NOTIFY_RESULT);)
#define ON_NOTIFY_EX_RANGE(wNotifyCode, id, idLast, memberFxn)                                   \
    TARNWICK_MSG_ENTRY(WM_NOTIFY, wNotifyCode, id, idLast, AfxSig_notifyEx, nullptr,             \
                       return self->memberFxn(call.nID, TARNWICK_NOTIFY_HDR, TARNWICK_NOTIFY_RESULT);)
// Reflected to the control: void memberFxn(NMHDR*, LRESULT*) / BOOL memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                \
    TARNWICK_MSG_ENTRY(WM_NOTIFY + WM_REFLECT_BASE, wNotifyCode, 0, 0, AfxSig_notify, nullptr,   \
                       self->memberFxn(TARNWICK_NOTIFY_HDR, TARNWICK_NOTIFY_RESULT); return TRUE;)
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                             \
    TARNWICK_MSG_ENTRY(WM_NOTIFY + WM_REFLECT_BASE, wNotifyCode, 0, 0, AfxSig_notifyEx, nullptr, \
                       return self->memberFxn(TARNWICK_NOTIFY_HDR, TARNWICK_NOTIFY_RESULT);)

// Reflected window messages, handled by the control itself.
// HBRUSH CtlColor(CDC*, UINT nCtlColor): a null brush lets the parent answer.
#define ON_WM_CTLCOLOR_REFLECT()                                                                 \
    TARNWICK_WND_ENTRY(WM_REFLECT_BASE + WM_CTLCOLORSTATIC,                                      \
                       return AfxCallCtlColorReflect(self, &ThisClass::CtlColor, call);)
#define ON_WM_DRAWITEM_REFLECT()                                                                 \
    TARNWICK_WND_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM,                                            \
                       self->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(call.lParam)); return TRUE;)
#define ON_WM_MEASUREITEM_REFLECT()                                                              \
    TARNWICK_WND_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM,                                         \
                       self->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(call.lParam)); return TRUE;)
#define ON_WM_DELETEITEM_REFLECT()                                                               \
    TARNWICK_WND_ENTRY(WM_REFLECT_BASE + WM_DELETEITEM,                                          \
                       self->DeleteItem(reinterpret_cast<LPDELETEITEMSTRUCT>(call.lParam)); return TRUE;)
#define ON_WM_COMPAREITEM_REFLECT()                                                              \
    TARNWICK_WND_ENTRY(WM_REFLECT_BASE + WM_COMPAREITEM,                                         \
                       return self->CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(call.lParam));)
// void HScroll(UINT nSBCode, UINT nPos) / VScroll
#define ON_WM_HSCROLL_REFLECT()                                                                  \
    TARNWICK_WND_ENTRY(WM_REFLECT_BASE + WM_HSCROLL,                                             \
                       self->HScroll(LOWORD(call.wParam), HIWORD(call.wParam)); return 0;)
#define ON_WM_VSCROLL_REFLECT()                                                                  \
    TARNWICK_WND_ENTRY(WM_REFLECT_BASE + WM_VSCROLL,                                             \
                       self->VScroll(LOWORD(call.wParam), HIWORD(call.wParam)); return 0;)

// All WM_CTLCOLOR* messages reach the reflect entry under the WM_CTLCOLORSTATIC slot; the thunk
// hands the original kind on.
template <class T>
LRESULT AfxCallCtlColorReflect(T* self, HBRUSH (T::*fn)(CDC*, UINT), AFX_MSGCALL& call);

#define TARNWICK_POINT_LPARAM CPoint(GET_X_LPARAM(call.lParam), GET_Y_LPARAM(call.lParam))
#define TARNWICK_CS reinterpret_cast<LPCREATESTRUCTW>(call.lParam)

#define ON_WM_CREATE() TARNWICK_WND_ENTRY(WM_CREATE, return self->OnCreate(TARNWICK_CS);)
#define ON_WM_NCCREATE() TARNWICK_WND_ENTRY(WM_NCCREATE, return self->OnNcCreate(TARNWICK_CS);)
#define ON_WM_DESTROY() TARNWICK_WND_ENTRY(WM_DESTROY, self->OnDestroy(); return 0;)
#define ON_WM_NCDESTROY() TARNWICK_WND_ENTRY(WM_NCDESTROY, self->OnNcDestroy(); return 0;)
#define ON_WM_CLOSE() TARNWICK_WND_ENTRY(WM_CLOSE, self->OnClose(); return 0;)
#define ON_WM_GETMINMAXINFO() \
    TARNWICK_WND_ENTRY(WM_GETMINMAXINFO, self->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(call.lParam)); return 0;)
#define ON_WM_SIZE() \
    TARNWICK_WND_ENTRY(WM_SIZE, self->OnSize(static_cast<UINT>(call.wParam), GET_X_LPARAM(call.lParam), GET_Y_LPARAM(call.lParam)); return 0;)
#define ON_WM_MOVE() \
    TARNWICK_WND_ENTRY(WM_MOVE, self->OnMove(GET_X_LPARAM(call.lParam), GET_Y_LPARAM(call.lParam)); return 0;)
#define ON_WM_PAINT() TARNWICK_WND_ENTRY(WM_PAINT, self->OnPaint(); return 0;)
#define ON_WM_ERASEBKGND() \
    TARNWICK_WND_ENTRY(WM_ERASEBKGND, return self->OnEraseBkgnd(AfxDcFromHandle(reinterpret_cast<HDC>(call.wParam)));)
#define ON_WM_SHOWWINDOW() \
    TARNWICK_WND_ENTRY(WM_SHOWWINDOW, self->OnShowWindow(static_cast<BOOL>(call.wParam), static_cast<UINT>(call.lParam)); return 0;)
#define ON_WM_WINDOWPOSCHANGING() \
    TARNWICK_WND_ENTRY(WM_WINDOWPOSCHANGING, self->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(call.lParam)); return 0;)
#define ON_WM_WINDOWPOSCHANGED() \
    TARNWICK_WND_ENTRY(WM_WINDOWPOSCHANGED, self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(call.lParam)); return 0;)
#define ON_WM_ACTIVATE()                                                                         \
    TARNWICK_WND_ENTRY(WM_ACTIVATE, self->OnActivate(LOWORD(call.wParam),                        \
                       CWnd::FromHandle(reinterpret_cast<HWND>(call.lParam)), HIWORD(call.wParam) != 0); return 0;)
#define ON_WM_SETFOCUS() \
    TARNWICK_WND_ENTRY(WM_SETFOCUS, self->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(call.wParam))); return 0;)
#define ON_WM_KILLFOCUS() \
    TARNWICK_WND_ENTRY(WM_KILLFOCUS, self->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(call.wParam))); return 0;)
// The point is in screen coordinates; (-1, -1) when the menu was asked for from the keyboard.
#define ON_WM_CONTEXTMENU() \
    TARNWICK_WND_ENTRY(WM_CONTEXTMENU, self->OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(call.wParam)), TARNWICK_POINT_LPARAM); return 0;)
#define TARNWICK_MOUSE_ENTRY(message, fn) \
    TARNWICK_WND_ENTRY(message, self->fn(static_cast<UINT>(call.wParam), TARNWICK_POINT_LPARAM); return 0;)
#define ON_WM_LBUTTONDOWN() TARNWICK_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() TARNWICK_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() TARNWICK_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() TARNWICK_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() TARNWICK_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MBUTTONDOWN() TARNWICK_MOUSE_ENTRY(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MBUTTONUP() TARNWICK_MOUSE_ENTRY(WM_MBUTTONUP, OnMButtonUp)
#define ON_WM_MOUSEMOVE() TARNWICK_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEWHEEL()                                                                       \
    TARNWICK_WND_ENTRY(WM_MOUSEWHEEL, return self->OnMouseWheel(GET_KEYSTATE_WPARAM(call.wParam), \
                       GET_WHEEL_DELTA_WPARAM(call.wParam), TARNWICK_POINT_LPARAM);)
#define ON_WM_MOUSELEAVE() TARNWICK_WND_ENTRY(WM_MOUSELEAVE, self->OnMouseLeave(); return 0;)
#define TARNWICK_KEY_ENTRY(message, fn)                                                          \
    TARNWICK_WND_ENTRY(message, self->fn(static_cast<UINT>(call.wParam), LOWORD(call.lParam),    \
                       HIWORD(call.lParam)); return 0;)
#define ON_WM_KEYDOWN() TARNWICK_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() TARNWICK_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() TARNWICK_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_SYSKEYDOWN() TARNWICK_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSCOMMAND() \
    TARNWICK_WND_ENTRY(WM_SYSCOMMAND, self->OnSysCommand(static_cast<UINT>(call.wParam), call.lParam); return 0;)
#define ON_WM_TIMER() TARNWICK_WND_ENTRY(WM_TIMER, self->OnTimer(call.wParam); return 0;)
#define ON_WM_SETCURSOR()                                                                        \
    TARNWICK_WND_ENTRY(WM_SETCURSOR, return self->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(call.wParam)), \
                       LOWORD(call.lParam), HIWORD(call.lParam));)
#define ON_WM_NCHITTEST() TARNWICK_WND_ENTRY(WM_NCHITTEST, return self->OnNcHitTest(TARNWICK_POINT_LPARAM);)
#define TARNWICK_SCROLL_ENTRY(message, fn)                                                       \
    TARNWICK_WND_ENTRY(message, self->fn(LOWORD(call.wParam), HIWORD(call.wParam),               \
                       CWnd::FromHandle(reinterpret_cast<HWND>(call.lParam))); return 0;)
#define ON_WM_HSCROLL() TARNWICK_SCROLL_ENTRY(WM_HSCROLL, OnHScroll)
#define ON_WM_VSCROLL() TARNWICK_SCROLL_ENTRY(WM_VSCROLL, OnVScroll)
// HBRUSH OnCtlColor(CDC*, CWnd*, UINT nCtlColor), for all the WM_CTLCOLOR* messages.
#define ON_WM_CTLCOLOR()                                                                         \
    TARNWICK_WND_ENTRY(WM_CTLCOLORSTATIC, return reinterpret_cast<LRESULT>(self->OnCtlColor(     \
                       AfxDcFromHandle(reinterpret_cast<HDC>(call.wParam)),                      \
                       CWnd::FromHandle(reinterpret_cast<HWND>(call.lParam)), call.message - WM_CTLCOLORMSGBOX));)
#define ON_WM_DRAWITEM()                                                                         \
    TARNWICK_WND_ENTRY(WM_DRAWITEM, self->OnDrawItem(static_cast<int>(call.wParam),              \
                       reinterpret_cast<LPDRAWITEMSTRUCT>(call.lParam)); return TRUE;)
#define ON_WM_MEASUREITEM()                                                                      \
    TARNWICK_WND_ENTRY(WM_MEASUREITEM, self->OnMeasureItem(static_cast<int>(call.wParam),        \
                       reinterpret_cast<LPMEASUREITEMSTRUCT>(call.lParam)); return TRUE;)
#define ON_WM_SETTINGCHANGE()                                                                    \
    TARNWICK_WND_ENTRY(WM_SETTINGCHANGE, self->OnSettingChange(static_cast<UINT>(call.wParam),   \
                       reinterpret_cast<const wchar_t*>(call.lParam)); return 0;)
#define ON_WM_SYSCOLORCHANGE() TARNWICK_WND_ENTRY(WM_SYSCOLORCHANGE, self->OnSysColorChange(); return 0;)
#define ON_WM_GETDLGCODE() TARNWICK_WND_ENTRY(WM_GETDLGCODE, return self->OnGetDlgCode();)
#define ON_WM_CAPTURECHANGED() \
    TARNWICK_WND_ENTRY(WM_CAPTURECHANGED, self->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(call.lParam))); return 0;)

// The device-context wrapper for a handle (Dc.h), without this header needing CDC's definition.
CDC* AfxDcFromHandle(HDC hDC);

template <class T>
LRESULT AfxCallCtlColorReflect(T* self, HBRUSH (T::*fn)(CDC*, UINT), AFX_MSGCALL& call)
{
    HBRUSH brush = (self->*fn)(AfxDcFromHandle(reinterpret_cast<HDC>(call.wParam)),
                               call.message - WM_REFLECT_BASE - WM_CTLCOLORMSGBOX);
    if (!brush)
        call.handled = FALSE;
    return reinterpret_cast<LRESULT>(brush);
}
