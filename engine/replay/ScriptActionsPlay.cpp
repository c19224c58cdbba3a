// Replaying script steps: wait, find the step's window, act on it. Steps run on the caller's
// thread; each one joins this thread's input state to the target's for its own duration only, so
// that focus and foreground can be given to a window of another process.

#include "engine/replay/ScriptActions.h"

#include "engine/model/MsgAction.h"
#include "engine/replay/RemoteWindow.h"

#include <commctrl.h>

#include <iterator>

namespace {

// The clipboard, open for one scope and closed on every return. Opened without an owner window:
// the engine has none, and the setup program must be able to open it for its paste as soon as
// this scope ends.
class ScopedClipboard {
public:
    ScopedClipboard() : m_open(OpenClipboard(nullptr) != FALSE) {}
    ScopedClipboard(const ScopedClipboard&) = delete;
    ScopedClipboard& operator=(const ScopedClipboard&) = delete;
    ~ScopedClipboard()
    {
        if (m_open)
            CloseClipboard();
    }

    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

using UniqueGlobal = UniqueHandle<ZeroEmptyTraits<HGLOBAL, ::GlobalFree>>;

// A movable global block locked for one scope.
class ScopedGlobalLock {
public:
    explicit ScopedGlobalLock(HGLOBAL block) : m_block(block), m_data(block ? GlobalLock(block) : nullptr) {}
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
    ~ScopedGlobalLock()
    {
        if (m_data)
            GlobalUnlock(m_block);
    }

    void* Get() const { return m_data; }

private:
    HGLOBAL m_block; // not owned
    void* m_data;
};

// Clipboard text saved around a paste, so that the user's clipboard survives a replay.
struct SavedClipboard {
    bool read = false; // the clipboard could be opened: hadText says what it held
    bool hadText = false;
    CString text;
};

SavedClipboard SaveClipboardText()
{
    SavedClipboard saved;
    ScopedClipboard clipboard;
    if (!clipboard.IsOpen())
        return saved;
    saved.read = true;
    ScopedGlobalLock data(GetClipboardData(CF_UNICODETEXT));
    if (const auto* text = static_cast<const wchar_t*>(data.Get())) {
        saved.text = text;
        saved.hadText = true;
    }
    return saved;
}

// Puts text on the clipboard, which the caller has opened and emptied; false when it could not.
bool PutClipboardText(const CString& text)
{
    const size_t bytes = (static_cast<size_t>(text.GetLength()) + 1) * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes));
    if (!block)
        return false;
    {
        ScopedGlobalLock target(block.Get());
        if (!target.Get())
            return false;
        memcpy(target.Get(), text.GetString(), bytes);
    }
    if (!SetClipboardData(CF_UNICODETEXT, block.Get()))
        return false;
    (void)block.Release(); // the clipboard owns the block now
    return true;
}

void RestoreClipboardText(const SavedClipboard& saved)
{
    ScopedClipboard clipboard;
    if (!clipboard.IsOpen())
        return;
    EmptyClipboard();
    if (saved.hadText)
        (void)PutClipboardText(saved.text);
}

LPARAM PointParam(const CMsgAction& action)
{
    return MAKELPARAM(action.m_point.x, action.m_point.y);
}

// Joins this thread's input state to the thread of a window for one scope.
class CInputAttachment {
public:
    explicit CInputAttachment(HWND window)
        : m_self(GetCurrentThreadId()), m_target(GetWindowThreadProcessId(window, nullptr))
    {
        m_attached = m_target != 0 && m_target != m_self && AttachThreadInput(m_self, m_target, TRUE);
    }
    ~CInputAttachment()
    {
        if (m_attached)
            AttachThreadInput(m_self, m_target, FALSE);
    }
    CInputAttachment(const CInputAttachment&) = delete;
    CInputAttachment& operator=(const CInputAttachment&) = delete;

private:
    DWORD m_self;
    DWORD m_target;
    bool m_attached = false;
};

// How long a tree item may take to show the toggle that posted input asked for.
constexpr DWORD kTreeToggleWaitMs = 1000;
constexpr DWORD kTreeTogglePollMs = 20;

// Posted input is handled after any message sent meanwhile, so the new state is polled for.
bool WaitForTreeState(HWND tree, CRemoteBlock& block, HTREEITEM item, int before)
{
    const ULONGLONG end = GetTickCount64() + kTreeToggleWaitMs;
    for (;;) {
        const int now = TreeStateImage(tree, block, item);
        if (now != before && now >= 0)
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(kTreeTogglePollMs);
    }
}

} // namespace

CString MsgActionKindName(int kind)
{
    if (kind < 0 || kind >= static_cast<int>(std::size(kMsgActionKindNames)))
        return L"Action";
    return kMsgActionKindNames[kind];
}

CString MsgControlTypeName(int controlType)
{
    if (controlType < 0 || controlType >= static_cast<int>(std::size(kMsgControlTypeNames)))
        return L"Control";
    return kMsgControlTypeNames[controlType];
}

int CScriptActions::PlayActions(CMsgActions& actions, bool highlight, const StepReport& afterStep)
{
    m_highlight = highlight;
    int result = 0;
    for (int i = 0; i < actions.GetSize(); ++i) {
        CMsgAction& action = actions[i];
        result = PlayAction(action);
        if (afterStep && !afterStep(i, action))
            break;
        if (result != 0 && !action.m_continueOnFailure)
            break;
    }
    return result;
}

int CScriptActions::FindActionWindow(const CMsgAction& action)
{
    return FindWindowByPath(action.m_processName, action.m_windowPath);
}

int CScriptActions::PlayAction(CMsgAction& action)
{
    m_hCurrentWnd = nullptr;
    m_searchedPath = action.m_windowPath;
    action.m_result.Format(L"timeout %d sec.", action.m_delay);
    if (action.m_delay > 0)
        Sleep(static_cast<DWORD>(action.m_delay) * m_timing.msPerDelaySecond);
    if (action.m_kind == CMsgAction::kindTimeout)
        return 0;

    bool found = false;
    for (int attempt = 0; attempt < m_timing.attempts && !found; ++attempt) {
        action.m_result.Format(L"waiting for the control window - %d..", attempt);
        found = FindActionWindow(action) != 0;
        if (!found)
            Sleep(m_timing.attemptPauseMs);
    }
    if (!found) {
        action.m_result.Format(L"%s '%s' was not found", static_cast<const wchar_t*>(MsgControlTypeName(action.m_controlType)),
                               static_cast<const wchar_t*>(action.m_controlText));
        return 1;
    }

    CString outcome = L"ok";
    bool done = false;
    {
        CInputAttachment attachment(m_hCurrentWnd);
        SetForegroundWindow(m_hCurrentWnd);
        SetFocus(m_hCurrentWnd);
        done = ActOnWindow(action, outcome);
    }
    action.m_result = outcome;
    if (m_highlight)
        RepaintWindowArea(m_hCurrentWnd);
    return done ? 0 : 1;
}

bool CScriptActions::ActOnWindow(CMsgAction& action, CString& outcome)
{
    switch (action.m_kind) {
    case CMsgAction::kindClick:
    case CMsgAction::kindRightClick:
    case CMsgAction::kindDblClick:
        // Right and double clicks are replayed as the single left click they were recorded from.
        ClickControl(action);
        return true;
    case CMsgAction::kindSetText:
        SetControlText(action);
        return true;
    case CMsgAction::kindSelect:
    case CMsgAction::kindUnSelect:
        return SelectControlItem(action, outcome);
    default:
        outcome.Format(L"nothing performed: %s is not replayed", static_cast<const wchar_t*>(MsgActionKindName(action.m_kind)));
        return true;
    }
}

void CScriptActions::ClickControl(const CMsgAction& action)
{
    PostMessageW(m_hCurrentWnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(action));
    SendRemote(m_hCurrentWnd, WM_USER, 0, 0);
    PostMessageW(m_hCurrentWnd, WM_LBUTTONUP, 0, PointParam(action));
}

void CScriptActions::SetControlText(const CMsgAction& action)
{
    HWND window = m_hCurrentWnd;
    if (action.m_controlText.IsEmpty()) {
        SendRemote(window, EM_SETSEL, 0, -1);
        SendRemote(window, WM_CLEAR, 0, 0);
        return;
    }
    // Pasting, not WM_SETTEXT, is what the program sees when a user types: edit boxes that react
    // to their change notifications get them. WM_SETTEXT is the fallback. A clipboard whose
    // content could not be saved is left alone: emptying it would lose what the user had there.
    const SavedClipboard saved = SaveClipboardText();
    bool changed = false;
    bool onClipboard = false;
    if (saved.read) {
        ScopedClipboard clipboard;
        if (clipboard.IsOpen()) {
            changed = EmptyClipboard() != FALSE;
            onClipboard = changed && PutClipboardText(action.m_controlText);
        }
    }
    SendRemote(window, EM_SETSEL, 0, -1);
    SendRemote(window, WM_CLEAR, 0, 0);
    if (onClipboard)
        SendRemote(window, WM_PASTE, 0, 0);
    else
        SendRemote(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(action.m_controlText.GetString()));
    if (changed)
        RestoreClipboardText(saved);
}

bool CScriptActions::SelectControlItem(const CMsgAction& action, CString& outcome)
{
    const bool select = action.m_kind == CMsgAction::kindSelect;
    switch (action.m_controlType) {
    case CMsgAction::controlCheckBox: {
        const LRESULT checked = SendRemote(m_hCurrentWnd, BM_GETCHECK, 0, 0);
        if ((select && checked == BST_UNCHECKED) || (!select && checked == BST_CHECKED))
            ClickControl(action);
        return true;
    }
    case CMsgAction::controlListbox: {
        LRESULT selected;
        if (!action.m_controlText.IsEmpty()) {
            selected = SendRemote(m_hCurrentWnd, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(action.m_controlText.GetString()), LB_ERR);
        } else {
            selected = SendRemote(m_hCurrentWnd, LB_SETCURSEL, static_cast<WPARAM>(action.m_controlId), 0, LB_ERR);
            if (action.m_controlId == -1)
                return true; // clearing the selection answers LB_ERR too
        }
        if (selected == LB_ERR) {
            if (action.m_controlText.IsEmpty())
                outcome.Format(L"Listbox item %d was not found", action.m_controlId);
            else
                outcome.Format(L"Listbox item '%s' was not found", static_cast<const wchar_t*>(action.m_controlText));
            return false;
        }
        return true;
    }
    case CMsgAction::controlTreeview:
        return ToggleTreeItem(action, outcome);
    default:
        outcome.Format(L"nothing performed: %s is not replayed on a %s",
                       static_cast<const wchar_t*>(MsgActionKindName(action.m_kind)),
                       static_cast<const wchar_t*>(MsgControlTypeName(action.m_controlType)));
        return true;
    }
}

bool CScriptActions::ToggleTreeItem(const CMsgAction& action, CString& outcome)
{
    const CString itemName = MsgControlTypeName(action.m_controlType) + L" '" + action.m_controlText + L"'";
    CRemoteBlock block;
    if (DWORD error = block.Open(m_hCurrentWnd)) {
        if (error == ERROR_EXE_MACHINE_TYPE_MISMATCH)
            outcome.Format(L"%s was not changed: the setup program is a %d-bit process",
                           static_cast<const wchar_t*>(itemName), block.Bits());
        else
            outcome.Format(L"%s was not changed: error %lu", static_cast<const wchar_t*>(itemName), error);
        return false;
    }

    TVHITTESTINFO hit = {};
    hit.pt = action.m_point;
    if (!RemoteHitTest(m_hCurrentWnd, block, TVM_HITTEST, hit) || !hit.hItem) {
        outcome.Format(L"%s was not found at %ld, %ld", static_cast<const wchar_t*>(itemName), action.m_point.x,
                       action.m_point.y);
        return false;
    }
    const int before = TreeStateImage(m_hCurrentWnd, block, hit.hItem);
    const bool select = action.m_kind == CMsgAction::kindSelect;
    if (!((select && before == 1) || (!select && before == 2)))
        return true;

    // A click on the check box toggles the item in some versions of the control; others only
    // toggle on the space key, which acts on the selected item, not on the one clicked. So the
    // click comes first, and only when it changed nothing is the item selected and the space sent:
    // never a toggle of a neighbour, never a double toggle.
    ClickControl(action);
    if (WaitForTreeState(m_hCurrentWnd, block, hit.hItem, before))
        return true;
    SendRemote(m_hCurrentWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit.hItem));
    PostMessageW(m_hCurrentWnd, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(m_hCurrentWnd, WM_KEYUP, VK_SPACE, 0);
    if (WaitForTreeState(m_hCurrentWnd, block, hit.hItem, before))
        return true;
    outcome.Format(L"%s did not change", static_cast<const wchar_t*>(itemName));
    return false;
}
