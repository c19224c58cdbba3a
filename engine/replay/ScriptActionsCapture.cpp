// Capturing a script step from the window under the recorder's click: what kind of control it is,
// its text or item, the kind of step that replays the click, its process name and window path.
// List views and tree views keep their items in their own process: their structures are written
// into and read from a block of memory there (RemoteWindow.h).

#include "engine/replay/ScriptActions.h"

#include "engine/model/MsgAction.h"
#include "engine/replay/RemoteWindow.h"

#include <commctrl.h>

#include <vector>

namespace {

// Longest item text read from a list view or tree view, in characters; with the records it must
// fit the remote block.
constexpr int kRemoteTextChars = 1000;
constexpr size_t kRemoteTextOffset = 512; // the records go first
static_assert(kRemoteTextOffset + kRemoteTextChars * sizeof(wchar_t) <= CRemoteBlock::kSize);
static_assert(sizeof(LVHITTESTINFO) <= 256 && sizeof(LVITEMW) <= 256 && sizeof(TVHITTESTINFO) <= 256 &&
              sizeof(TVITEMW) <= 256);

// The whole text of a window, asked of its owner (WM_GETTEXT carries across processes).
CString RemoteWindowText(HWND window)
{
    const LRESULT length = SendRemote(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return CString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    SendRemote(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.data());
}

// Item text of a list or combo box through its length and text messages.
CString RemoteItemText(HWND window, UINT lengthMessage, UINT textMessage, LRESULT index)
{
    const LRESULT length = SendRemote(window, lengthMessage, static_cast<WPARAM>(index), 0, -1);
    if (length < 0)
        return CString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    SendRemote(window, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.data());
}

CString RemoteText(const CRemoteBlock& block)
{
    std::vector<wchar_t> text(kRemoteTextChars + 1, L'\0');
    if (!block.Read(kRemoteTextOffset, text.data(), kRemoteTextChars * sizeof(wchar_t)))
        return CString();
    return CString(text.data());
}

// Opens a block in the process of a list view or tree view for reading one of its items; when
// that cannot be done, says why in the step's result and returns false.
bool OpenItemBlock(HWND window, CMsgAction& action, CRemoteBlock& block)
{
    const DWORD error = block.Open(window);
    if (error == 0)
        return true;
    const CString type = MsgControlTypeName(action.m_controlType);
    if (error == ERROR_EXE_MACHINE_TYPE_MISMATCH)
        action.m_result.Format(L"%s item cannot be read: the setup program is a %d-bit process",
                               static_cast<const wchar_t*>(type), block.Bits());
    else
        action.m_result.Format(L"%s item cannot be read: error %lu", static_cast<const wchar_t*>(type), error);
    return false;
}

// Writes an item record (LVITEMW, TVITEMW) whose text goes into the block behind it, blanked first
// so that a control that writes no text leaves an empty one. False when it could not be written.
template <class Item>
bool WriteItemRequest(CRemoteBlock& block, Item& item)
{
    item.pszText = reinterpret_cast<wchar_t*>(block.At(kRemoteTextOffset));
    item.cchTextMax = kRemoteTextChars;
    const wchar_t empty = L'\0';
    return block.Write(0, &item, sizeof(item)) && block.Write(kRemoteTextOffset, &empty, sizeof(empty));
}

bool ContainsAny(const CString& text, const wchar_t* first, const wchar_t* second)
{
    return text.Find(first) >= 0 || text.Find(second) >= 0;
}

} // namespace

int GetControlType(HWND window)
{
    if (SendRemote(window, EM_GETLIMITTEXT, 0, 0) > 0)
        return CMsgAction::controlEdit;
    if (SendRemote(window, CB_GETCOUNT, 0, 0) > 0)
        return CMsgAction::controlCombobox;
    if (SendRemote(window, LB_GETCOUNT, 0, 0) > 0)
        return CMsgAction::controlListbox;
    if (SendRemote(window, TVM_GETCOUNT, 0, 0) > 0)
        return CMsgAction::controlTreeview;
    if (SendRemote(window, LVM_GETITEMCOUNT, 0, 0) > 0)
        return CMsgAction::controlListview;

    CString className = WindowClassName(window);
    className.MakeLower();
    if (ContainsAny(className, L"button", L"btn")) {
        switch (GetWindowLongW(window, GWL_STYLE) & 0xF) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            return CMsgAction::controlCheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return CMsgAction::controlRadioButton;
        case BS_GROUPBOX:
            return CMsgAction::controlGroupBox;
        default:
            return CMsgAction::controlButton;
        }
    }
    if (ContainsAny(className, L"check", L"chk"))
        return CMsgAction::controlCheckBox;
    if (className.Find(L"static") >= 0)
        return CMsgAction::controlStaticText;
    return CMsgAction::controlWindow;
}

int CScriptActions::CaptureAction(CMsgAction& action, HWND window)
{
    if (!window || !IsWindow(window))
        return 1;
    GetWindowRect(window, &action.m_windowRect);
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    action.m_point = cursor;
    action.m_controlId = GetWindowLongW(window, GWL_ID);
    action.m_controlType = GetControlType(window);
    CaptureControlData(window, action);

    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    (void)ListJobProcesses(); // a window outside the job keeps an empty name and path
    action.m_processName = ProcessName(processId);
    if (action.m_processName.IsEmpty())
        return 0;
    ListProcessWindows(action.m_processName);
    for (const CHwndPath& element : m_windows) {
        if (element.m_hWnd == window) {
            action.m_windowPath = element.m_path;
            break;
        }
    }
    return 0;
}

void CScriptActions::CaptureControlData(HWND window, CMsgAction& action)
{
    switch (action.m_controlType) {
    case CMsgAction::controlEdit:
        // The whole text: a path cut short would be typed cut short at every replay.
        action.m_controlText = RemoteWindowText(window);
        action.m_kind = CMsgAction::kindSetText;
        break;
    case CMsgAction::controlCombobox: {
        const LRESULT index = SendRemote(window, CB_GETCURSEL, 0, 0, CB_ERR);
        if (index == CB_ERR)
            break;
        action.m_controlId = static_cast<int>(index);
        action.m_controlText = RemoteItemText(window, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
        action.m_kind = CMsgAction::kindClick;
        break;
    }
    case CMsgAction::controlListbox: {
        const LRESULT hit = SendRemote(window, LB_ITEMFROMPOINT, 0, MAKELPARAM(action.m_point.x, action.m_point.y));
        const int index = LOWORD(hit);
        action.m_controlId = index;
        action.m_controlText = RemoteItemText(window, LB_GETTEXTLEN, LB_GETTEXT, index);
        action.m_kind = CMsgAction::kindClick;
        break;
    }
    case CMsgAction::controlListview:
        CaptureListViewItem(window, action);
        break;
    case CMsgAction::controlTreeview:
        CaptureTreeViewItem(window, action);
        break;
    default:
        action.m_controlText = RemoteWindowText(window);
        action.m_controlId = GetWindowLongW(window, GWL_ID);
        action.m_kind = CMsgAction::kindClick;
        break;
    }
}

void CScriptActions::CaptureListViewItem(HWND window, CMsgAction& action)
{
    action.m_kind = CMsgAction::kindClick;
    CRemoteBlock block;
    if (!OpenItemBlock(window, action, block))
        return;
    LVHITTESTINFO hit = {};
    hit.pt = action.m_point;
    hit.iItem = -1;
    (void)RemoteHitTest(window, block, LVM_HITTEST, hit); // a failed test leaves no item
    action.m_controlId = hit.iItem;
    if (hit.iItem < 0 || (GetWindowLongW(window, GWL_STYLE) & LVS_OWNERDATA))
        return; // an owner-data list keeps its texts in the program, not in the control

    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = hit.iItem;
    item.iSubItem = 0;
    if (WriteItemRequest(block, item)) {
        SendRemote(window, LVM_GETITEMTEXTW, static_cast<WPARAM>(hit.iItem), block.At(0));
        action.m_controlText = RemoteText(block);
    }
}

void CScriptActions::CaptureTreeViewItem(HWND window, CMsgAction& action)
{
    action.m_kind = CMsgAction::kindClick;
    action.m_controlId = 0;
    CRemoteBlock block;
    if (!OpenItemBlock(window, action, block))
        return;
    TVHITTESTINFO hit = {};
    hit.pt = action.m_point;
    (void)RemoteHitTest(window, block, TVM_HITTEST, hit); // a failed test leaves no item
    if (!hit.hItem || !(hit.flags & TVHT_ONITEMSTATEICON))
        return;

    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
    item.hItem = hit.hItem;
    item.stateMask = TVIS_STATEIMAGEMASK;
    if (!WriteItemRequest(block, item))
        return;
    SendRemote(window, TVM_GETITEMW, 0, block.At(0));
    if (!block.Read(0, &item, sizeof(item)))
        return;
    action.m_controlText = RemoteText(block);
    const UINT stateImage = (item.state & TVIS_STATEIMAGEMASK) >> 12;
    if (stateImage == 1)
        action.m_kind = CMsgAction::kindSelect;
    else if (stateImage == 2)
        action.m_kind = CMsgAction::kindUnSelect;
}
