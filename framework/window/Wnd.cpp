// Window objects: the handle maps, creation through the CBT hook, the window procedure, message
// tables, reflection and the modal loop. Everything here runs on the thread that owns the window;
// the maps are per thread and need no lock.

#include "framework/window/Wnd.h"

#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"
#include "framework/window/Menu.h"
#include "framework/window/ThreadState.h"
#include "framework/window/WinApp.h"
#include "framework/window/WinThread.h"

#include <cstdio>
#include <cwchar>
#include <mutex>
#include <set>
#include <string>

namespace {

bool IsCtlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// Every WM_CTLCOLOR* message is found under the WM_CTLCOLORSTATIC entry (ON_WM_CTLCOLOR), and
// likewise for the reflected ones.
UINT TableKey(UINT message)
{
    if (IsCtlColorMessage(message))
        return WM_CTLCOLORSTATIC;
    if (message >= WM_REFLECT_BASE && IsCtlColorMessage(message - WM_REFLECT_BASE))
        return WM_REFLECT_BASE + WM_CTLCOLORSTATIC;
    return message;
}

// The control a parent offers the message to before its own table, or null.
HWND ReflectedChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsCtlColorMessage(message))
        return reinterpret_cast<HWND>(lParam);
    switch (message) {
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        return wParam != 0 && dis->CtlType != ODT_MENU ? dis->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        return wParam != 0 && mis->CtlType != ODT_MENU ? ::GetDlgItem(parent, static_cast<int>(mis->CtlID)) : nullptr;
    }
    case WM_DELETEITEM:
        return reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
    case WM_COMPAREITEM:
        return reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return reinterpret_cast<HWND>(lParam);
    default:
        return nullptr;
    }
}

HINSTANCE InstanceHandle()
{
    return AfxGetInstanceHandle();
}

// The one object CreateEx is making on this thread, and what identifies its window among the
// windows Windows may create meanwhile (an input-method window, for one).
struct PendingCreate {
    HWND parent;
    HMENU menu;
    LPVOID param;
    bool anyWindow;    // the next window made on this thread, whatever its arguments (dialogs)
};
thread_local PendingCreate t_pendingCreate{};

LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    CWindowThreadState& state = AfxGetWindowThreadState();
    if (code == HCBT_CREATEWND && state.m_pWndInit) {
        auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        const CREATESTRUCTW* cs = cbt->lpcs;
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        ::GetClassNameW(hWnd, className, 16);
        const bool inputMethodWindow = std::wcscmp(className, L"IME") == 0;
        if (!inputMethodWindow && (t_pendingCreate.anyWindow ||
            (cs->hwndParent == t_pendingCreate.parent && cs->hMenu == t_pendingCreate.menu &&
             cs->lpCreateParams == t_pendingCreate.param))) {
            // Subclassed before the window's first message: the table sees WM_GETMINMAXINFO,
            // WM_NCCREATE and WM_CREATE.
            CWnd* pWnd = state.m_pWndInit;
            state.m_pWndInit = nullptr;
            pWnd->SubclassWindow(hWnd);
        }
    }
    return ::CallNextHookEx(state.m_hHookCbt, code, wParam, lParam);
}

// Installs the hook for the length of one CreateWindowEx call.
struct CreateHookScope {
    CreateHookScope(CWnd* pWnd, const CREATESTRUCTW& cs, bool anyWindow = false)
    {
        CWindowThreadState& state = AfxGetWindowThreadState();
        m_savedInit = state.m_pWndInit;
        m_savedPending = t_pendingCreate;
        m_savedHook = state.m_hHookCbt;
        state.m_pWndInit = pWnd;
        t_pendingCreate = {cs.hwndParent, cs.hMenu, cs.lpCreateParams, anyWindow};
        // A CreateEx inside another one's WM_CREATE finds the hook already there.
        if (!state.m_hHookCbt)
            state.m_hHookCbt = ::SetWindowsHookExW(WH_CBT, CbtFilterHook, nullptr, ::GetCurrentThreadId());
    }
    ~CreateHookScope()
    {
        CWindowThreadState& state = AfxGetWindowThreadState();
        if (!m_savedHook && state.m_hHookCbt) {
            ::UnhookWindowsHookEx(state.m_hHookCbt);
            state.m_hHookCbt = nullptr;
        }
        state.m_pWndInit = m_savedInit;
        t_pendingCreate = m_savedPending;
    }
    CWnd* m_savedInit;
    PendingCreate m_savedPending;
    HHOOK m_savedHook;
};

void SendToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    for (HWND child = ::GetTopWindow(hWnd); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (bOnlyPerm) {
            if (CWnd* pWnd = CWnd::FromHandlePermanent(child))
                AfxCallWndProc(pWnd, child, message, wParam, lParam);
        } else {
            ::SendMessageW(child, message, wParam, lParam);
        }
        if (bDeep && ::GetTopWindow(child))
            SendToDescendants(child, message, wParam, lParam, bDeep, bOnlyPerm);
    }
}

// Answers what the update handlers decided, changing nothing: a menu or accelerator command is
// refused while its handler keeps it disabled.
class CTestCmdUI : public CCmdUI {
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(const wchar_t*) override {}
};

} // namespace

struct CNextWindowHook::Scope : CreateHookScope {
    explicit Scope(CWnd* pWnd) : CreateHookScope(pWnd, CREATESTRUCTW{}, true) {}
};

CNextWindowHook::CNextWindowHook(CWnd* pWnd) : m_scope(new Scope(pWnd)) {}

CNextWindowHook::~CNextWindowHook() { delete m_scope; }

// ---- thread state -------------------------------------------------------------------------------

CWindowThreadState& AfxGetWindowThreadState()
{
    static thread_local CWindowThreadState state;
    return state;
}

CWindowThreadState::~CWindowThreadState()
{
    auto temporaries = std::move(m_temporaryMap);
    for (auto& entry : temporaries) {
        entry.second->m_hWnd = nullptr;
        delete entry.second;
    }
    if (m_hHookCbt)
        ::UnhookWindowsHookEx(m_hHookCbt);
}

MSG* AfxGetCurrentMessage()
{
    return &AfxGetWindowThreadState().m_lastSentMsg;
}

CDC* AfxDcFromHandle(HDC hDC)
{
    return CDC::FromHandle(hDC);
}

// ---- CWnd: maps and attachment ------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd(HWND hWnd) : m_hWnd(hWnd) {}

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        // Only this class's part is left now, so PostNcDestroy cannot delete the object again.
        ::DestroyWindow(m_hWnd);
        // A window of another thread cannot be destroyed from here: just let go of it.
        if (m_hWnd)
            Detach();
    }
}

HWND CWnd::GetSafeHwnd() const
{
    const CWnd* self = this;
    // Keep the compiler from assuming `this` is never null.
    asm("" : "+r"(self));
    return self ? self->m_hWnd : nullptr;
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    CWindowThreadState& state = AfxGetWindowThreadState();
    auto permanent = state.m_permanentMap.find(hWnd);
    if (permanent != state.m_permanentMap.end())
        return permanent->second;
    auto temporary = state.m_temporaryMap.find(hWnd);
    if (temporary != state.m_temporaryMap.end())
        return temporary->second;
    CWnd* pWnd = new CWnd(hWnd);
    state.m_temporaryMap.emplace(hWnd, pWnd);
    return pWnd;
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    CWindowThreadState& state = AfxGetWindowThreadState();
    auto it = state.m_permanentMap.find(hWnd);
    return it == state.m_permanentMap.end() ? nullptr : it->second;
}

CWnd* PASCAL CWnd::LookupTemporary(HWND hWnd)
{
    auto& map = AfxGetWindowThreadState().m_temporaryMap;
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

void PASCAL CWnd::DeleteTempMap()
{
    CWindowThreadState& state = AfxGetWindowThreadState();
    auto temporaries = std::move(state.m_temporaryMap);
    state.m_temporaryMap.clear();
    for (auto& entry : temporaries) {
        entry.second->m_hWnd = nullptr;
        delete entry.second;
    }
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (!hWndNew || m_hWnd || FromHandlePermanent(hWndNew))
        return FALSE;
    m_hWnd = hWndNew;
    AfxGetWindowThreadState().m_permanentMap[hWndNew] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd) {
        auto& map = AfxGetWindowThreadState().m_permanentMap;
        auto it = map.find(hWnd);
        if (it != map.end() && it->second == this)
            map.erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (!previous) {
        // Not our thread's window, or gone: leave it alone.
        Detach();
        return FALSE;
    }
    if (previous != &AfxWndProc)
        m_pfnSuper = previous;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND hWnd = pParent ? ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)) : nullptr;
    return hWnd && SubclassWindow(hWnd);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_pfnSuper)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

// ---- creation -----------------------------------------------------------------------------------

BOOL CWnd::Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, void* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParentWnd->GetSafeHwnd(),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const wchar_t* lpszClassName, const wchar_t* lpszWindowName,
                    DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParentWnd->GetSafeHwnd(),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const wchar_t* lpszClassName, const wchar_t* lpszWindowName,
                    DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hWndParent,
                    HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = InstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    HWND hWnd;
    {
        CreateHookScope hook(this, cs);
        hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                                 cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance,
                                 cs.lpCreateParams);
    }
    // On failure after the hook attached the window, WM_NCDESTROY has already detached it (and a
    // heap object may have deleted itself): `this` must not be touched then.
    return hWnd != nullptr;
}

BOOL CWnd::CreateControl(const wchar_t*, const wchar_t*, DWORD, const RECT&, CWnd*, UINT)
{
    return FALSE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    return TRUE;
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

BOOL CWnd::DestroyWindow()
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return FALSE;
    const bool permanent = FromHandlePermanent(hWnd) == this;
    const BOOL destroyed = ::DestroyWindow(hWnd);
    // A permanent object was detached by WM_NCDESTROY (and may be gone); a wrapper that was not
    // attached just forgets the handle.
    if (!permanent && destroyed)
        m_hWnd = nullptr;
    return destroyed;
}

void CWnd::FinishNcDestroy()
{
    CWinThread* thread = AfxGetThread();
    if (thread && thread->m_pMainWnd == this) {
        // The main window is gone: the thread's loop ends.
        ::PostQuitMessage(0);
        thread->m_pMainWnd = nullptr;
    }
    if (thread && thread->m_pActiveWnd == this)
        thread->m_pActiveWnd = nullptr;
    AfxRemoveFrameWnd(this);
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    if (m_pfnSuper) {
        auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
        if (current == &AfxWndProc)
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    Detach();
    PostNcDestroy();
}

const wchar_t* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::mutex* mutex = new std::mutex;
    static auto* names = new std::set<std::wstring>;
    HINSTANCE instance = InstanceHandle();
    wchar_t name[96];
    std::swprintf(name, sizeof(name) / sizeof(name[0]), L"Afx:%p:%x:%p:%p:%p",
                  static_cast<void*>(instance), nClassStyle, static_cast<void*>(hCursor),
                  static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    std::lock_guard<std::mutex> lock(*mutex);
    auto it = names->find(name);
    if (it != names->end())
        return it->c_str();
    WNDCLASSW wc = {};
    if (!::GetClassInfoW(instance, name, &wc)) {
        wc.style = nClassStyle;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.hIcon = hIcon;
        wc.lpszClassName = name;
        if (!::RegisterClassW(&wc))
            return nullptr;
    }
    return names->insert(name).first->c_str();
}

// ---- message processing -------------------------------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, message, wParam, lParam);
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowThreadState& state = AfxGetWindowThreadState();
    // The whole record is saved and restored, whatever the size of MSG on this platform.
    const MSG saved = state.m_lastSentMsg;
    state.m_lastSentMsg.hwnd = hWnd;
    state.m_lastSentMsg.message = nMsg;
    state.m_lastSentMsg.wParam = wParam;
    state.m_lastSentMsg.lParam = lParam;
    state.m_lastSentMsg.time = static_cast<DWORD>(::GetMessageTime());
    const DWORD pos = static_cast<DWORD>(::GetMessagePos());
    state.m_lastSentMsg.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ++state.m_nDispatchDepth;
    const LRESULT result = pWnd->WindowProc(nMsg, wParam, lParam);
    // The framework's cleanup comes after every handler of WM_NCDESTROY has run.
    if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd)
        pWnd->FinishNcDestroy();
    --state.m_nDispatchDepth;
    state.m_lastSentMsg = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = AfxGetWindowThreadState().m_lastSentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

const AFX_MSGMAP_ENTRY* CWnd::FindMessageEntry(UINT message) const
{
    const UINT key = TableKey(message);
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != AfxSig_end; ++entry) {
            if (entry->nSig == AfxSig_msg && entry->nMessage == key)
                return entry;
            if (entry->nSig == AfxSig_registered && message >= 0xC000 && *entry->pnRegistered == message)
                return entry;
        }
    }
    return nullptr;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        result = 1;
    } else if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header || !header->hwndFrom || !OnNotify(wParam, lParam, &result))
            return FALSE;
    } else {
        bool handled = false;
        // Control messages go to the control's own object first.
        HWND child = ReflectedChild(m_hWnd, message, wParam, lParam);
        if (child && child != m_hWnd) {
            CWnd* pChild = FromHandlePermanent(child);
            if (pChild && pChild->OnChildNotify(message, wParam, lParam, &result))
                handled = true;
        }
        if (!handled) {
            const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
            if (!entry)
                return FALSE;
            AFX_MSGCALL call;
            call.message = message;
            call.wParam = wParam;
            call.lParam = lParam;
            result = entry->pfn(this, call);
            if (!call.handled)
                return FALSE;
        }
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (!hWndCtrl) {
        if (nID == 0)
            return FALSE;
        // A menu or accelerator command: refused (and eaten) while its update handler keeps it
        // disabled, so a disabled command cannot run from the keyboard.
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled)
            return TRUE;
        nCode = CN_COMMAND;
    } else if (hWndCtrl != m_hWnd) {
        CWnd* pChild = FromHandlePermanent(hWndCtrl);
        if (pChild && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom != m_hWnd) {
        CWnd* pChild = FromHandlePermanent(header->hwndFrom);
        if (pChild && pChild->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult))
            return TRUE;
    }
    AFX_NOTIFY notify = {pResult, header};
    return OnCmdMsg(static_cast<UINT>(header->idFrom),
                    static_cast<int>(MAKELONG(static_cast<WORD>(header->code), WM_NOTIFY)), &notify, nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT ignored = 0;
    if (!pResult)
        pResult = &ignored;
    switch (message) {
    case WM_COMMAND: {
        const WORD code = HIWORD(wParam);
        if (OnCmdMsg(0, static_cast<int>(MAKELONG(code, WM_REFLECT_BASE + WM_COMMAND)), nullptr, nullptr)) {
            *pResult = 1;
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        AFX_NOTIFY notify = {pResult, header};
        return OnCmdMsg(0, static_cast<int>(MAKELONG(static_cast<WORD>(header->code), WM_REFLECT_BASE + WM_NOTIFY)),
                        &notify, nullptr);
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return CWnd::OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    default:
        if (IsCtlColorMessage(message))
            return CWnd::OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
        return FALSE;
    }
}

BOOL PASCAL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    CWnd* pWnd = FromHandlePermanent(hWndChild);
    return pWnd ? pWnd->SendChildNotifyLastMsg(pResult) : FALSE;
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult)
{
    const MSG& msg = AfxGetWindowThreadState().m_lastSentMsg;
    return OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

BOOL CWnd::PreTranslateMessage(MSG* pMsg)
{
    if (m_nFlags & WF_TOOLTIPS)
        FilterToolTipMessage(pMsg);
    return FALSE;
}

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    SendToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CCmdUI state;
    CWnd wndTemp;    // stands for children without an object, so no temporaries pile up
    for (HWND hWndChild = ::GetTopWindow(m_hWnd); hWndChild;
         hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT)) {
        state.m_nID = static_cast<UINT>(::GetDlgCtrlID(hWndChild));
        CWnd* pChild = FromHandlePermanent(hWndChild);
        wndTemp.m_hWnd = hWndChild;
        state.m_pOther = pChild ? pChild : &wndTemp;
        // The control's own handler first, without routing.
        if (pChild &&
            pChild->CCmdTarget::OnCmdMsg(0, static_cast<int>(MAKELONG(0xFFFF, WM_REFLECT_BASE + WM_COMMAND)),
                                         &state, nullptr))
            continue;
        // Then this window's handlers.
        if (CCmdTarget::OnCmdMsg(state.m_nID, CN_UPDATE_COMMAND_UI, &state, nullptr))
            continue;
        // Only push buttons are disabled for want of a handler: check boxes and radio buttons
        // usually act without one.
        BOOL bDisable = bDisableIfNoHndler;
        if (bDisable) {
            if ((::SendMessageW(hWndChild, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) == 0) {
                bDisable = FALSE;
            } else {
                const UINT type = static_cast<UINT>(::GetWindowLongW(hWndChild, GWL_STYLE)) & BS_TYPEMASK;
                if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
                    bDisable = FALSE;
            }
        }
        state.DoUpdate(pTarget, bDisable);
    }
    wndTemp.m_hWnd = nullptr;
}

// ---- modal loop ---------------------------------------------------------------------------------

BOOL CWnd::ContinueModal()
{
    return (m_nFlags & WF_CONTINUEMODAL) != 0;
}

void CWnd::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        // Wakes the loop if it is waiting for a message.
        PostMessage(WM_NULL);
    }
}

int CWnd::RunModalLoop(DWORD dwFlags)
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return -1;
    HWND hWndParent = ::GetParent(hWnd);
    HWND owner = ::GetWindow(hWnd, GW_OWNER);
    const bool disabledOwner = owner && ::IsWindowEnabled(owner);
    if (disabledOwner)
        ::EnableWindow(owner, FALSE);

    BOOL bShowIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
    int result = -1;
    bool windowGone = false;
    CWinThread* thread = AfxGetThread();
    MSG ownMsg = {};

    for (;;) {
        MSG peek;
        while (bIdle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (bShowIdle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = FALSE;
            }
            if (!(dwFlags & MLF_NOIDLEMSG) && hWndParent && lIdleCount == 0)
                ::SendMessageW(hWndParent, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(hWnd));
            if ((dwFlags & MLF_NOKICKIDLE) || !::SendMessageW(hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, lIdleCount++))
                bIdle = FALSE;
            if (!::IsWindow(hWnd)) {
                windowGone = true;
                goto leave;
            }
        }
        do {
            if (!ContinueModal())
                goto done;
            BOOL pumped;
            const MSG* taken;
            if (thread) {
                pumped = thread->PumpMessage();
                taken = &thread->m_msgCur;
            } else {
                pumped = ::GetMessageW(&ownMsg, nullptr, 0, 0) > 0;
                if (pumped) {
                    ::TranslateMessage(&ownMsg);
                    ::DispatchMessageW(&ownMsg);
                }
                taken = &ownMsg;
            }
            if (!pumped) {
                // WM_QUIT: this loop ends and the loop outside gets the quit as well.
                ::PostQuitMessage(static_cast<int>(taken->wParam));
                windowGone = !::IsWindow(hWnd);
                if (windowGone)
                    goto leave;
                result = -1;
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                goto leave;
            }
            if (!::IsWindow(hWnd)) {
                // Destroyed inside the loop; the object may be gone with it.
                windowGone = true;
                goto leave;
            }
            if (bShowIdle && (taken->message == 0x118 || taken->message == WM_SYSKEYDOWN)) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = FALSE;
            }
            if (!ContinueModal())
                goto done;
            if (!thread || thread->IsIdleMessage(const_cast<MSG*>(taken))) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }

done:
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    result = m_nModalResult;
leave:
    if (disabledOwner) {
        // Enabled again before the modal window goes, so activation returns to the owner.
        ::EnableWindow(owner, TRUE);
        if (!windowGone && ::GetActiveWindow() == hWnd)
            ::SetActiveWindow(owner);
    }
    return windowGone ? -1 : result;
}

// ---- the usual window calls ---------------------------------------------------------------------

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }

static BOOL ModifyWindowLong(HWND hWnd, int index, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(hWnd, index));
    const DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongW(hWnd, index, static_cast<LONG>(newStyle));
    if (nFlags)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyWindowLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags); }
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyWindowLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int nID) { return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, nID)); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::GetDlgItem(int nID, HWND* phWnd) const { *phWnd = ::GetDlgItem(m_hWnd, nID); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetParent(CWnd* pWndNewParent) { return FromHandle(::SetParent(m_hWnd, pWndNewParent->GetSafeHwnd())); }
CWnd* CWnd::GetOwner() const
{
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    return FromHandle(owner ? owner : ::GetParent(m_hWnd));
}
void CWnd::SetOwner(CWnd* pOwnerWnd)
{
    ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(pOwnerWnd->GetSafeHwnd()));
}

CWnd* CWnd::GetTopLevelParent() const
{
    if (!m_hWnd)
        return nullptr;
    HWND hWnd = m_hWnd;
    // Up the parents of a child, then up the owners of the top-level window.
    for (HWND next; (next = (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hWnd)
                                                                           : ::GetWindow(hWnd, GW_OWNER));)
        hWnd = next;
    return FromHandle(hWnd);
}

CWnd* CWnd::GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
CWnd* CWnd::GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
CWnd* CWnd::GetNextWindow(UINT nFlag) const { return FromHandle(::GetWindow(m_hWnd, nFlag)); }

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const
{
    for (HWND child = ::GetTopWindow(m_hWnd); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == nID) {
            CWnd* pWnd = bOnlyPerm ? FromHandlePermanent(child) : FromHandle(child);
            if (pWnd)
                return pWnd;
        }
        CWnd wrapper(child);
        CWnd* found = wrapper.GetDescendantWindow(nID, bOnlyPerm);
        wrapper.m_hWnd = nullptr;
        if (found)
            return found;
    }
    return nullptr;
}

BOOL CWnd::IsChild(const CWnd* pWnd) const { return ::IsChild(m_hWnd, pWnd->GetSafeHwnd()); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }

void CWnd::SetWindowText(const wchar_t* lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
int CWnd::GetWindowText(wchar_t* lpszStringBuf, int nMaxCount) const { return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount); }
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

void CWnd::GetWindowText(CString& rString) const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    const int copied = ::GetWindowTextW(m_hWnd, rString.GetBufferSetLength(length), length + 1);
    rString.ReleaseBuffer(copied);
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->GetSafeHandle() : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    // The special positions (HWND_TOP, HWND_TOPMOST ...) are passed as fake CWnd pointers.
    HWND after = reinterpret_cast<HWND>(const_cast<CWnd*>(pWndInsertAfter));
    const auto value = reinterpret_cast<LONG_PTR>(pWndInsertAfter);
    if (value > 1 || value < -2)
        after = pWndInsertAfter->m_hWnd;
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, nFlags);
}
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ClientToScreen(LPRECT lpRect) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPRECT lpRect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2); }

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, HRGN hrgnUpdate, UINT flags) { return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags); }
void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessageW(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const { return ::SendMessageW(m_hWnd, message, wParam, lParam); }
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const { return ::PostMessageW(m_hWnd, message, wParam, lParam); }
UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer); }
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* PASCAL CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* PASCAL CWnd::GetCapture() { return FromHandle(::GetCapture()); }
CWnd* PASCAL CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* PASCAL CWnd::GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
CWnd* PASCAL CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
BOOL CWnd::SetMenu(CMenu* pMenu) { return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : nullptr); }

int CWnd::MessageBox(const wchar_t* lpszText, const wchar_t* lpszCaption, UINT nType)
{
    if (!lpszCaption)
        lpszCaption = AfxGetAppName();
    return ::MessageBoxW(m_hWnd, lpszText, lpszCaption, nType);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    HWND center = pAlternateOwner ? pAlternateOwner->m_hWnd
                                  : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
    RECT area;
    if (center && !(GetStyle() & WS_CHILD))
        ::GetWindowRect(center, &area);
    else if (center)
        ::GetClientRect(center, &area);
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    ::SetWindowPos(m_hWnd, nullptr, (area.left + area.right - width) / 2, (area.top + area.bottom - height) / 2,
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AfxSetWindowText(HWND hWndCtrl, const wchar_t* lpszNew)
{
    if (!lpszNew)
        lpszNew = L"";
    const int newLength = static_cast<int>(std::wcslen(lpszNew));
    wchar_t current[256];
    // Long texts are always set; short ones only when they differ.
    if (newLength < 256 && ::GetWindowTextLengthW(hWndCtrl) == newLength) {
        ::GetWindowTextW(hWndCtrl, current, 256);
        if (std::wcscmp(current, lpszNew) == 0)
            return;
    }
    ::SetWindowTextW(hWndCtrl, lpszNew);
}

// ---- base handlers ------------------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
BOOL CWnd::OnNcCreate(LPCREATESTRUCTW) { return static_cast<BOOL>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnHScroll(UINT, UINT, CWnd*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CWnd*) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT) { Default(); }
void CWnd::OnSettingChange(UINT, const wchar_t*) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
