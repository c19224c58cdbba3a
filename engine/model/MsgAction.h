#pragma once
// CMsgAction: one step of a recorded GUI script, replayed on a setup program's windows. The
// result text is written by the replay for the editor to show; it is never stored in a file.

#include "framework/Array.h"
#include "framework/Archive.h"

// Names of the action kinds, indexed by CMsgAction::m_kind.
inline constexpr const wchar_t* kMsgActionKindNames[] = {
    L"Click", L"Right Click", L"Dbl Click", L"Set Text", L"Select", L"UnSelect",
    L"Send Key", L"Send Message", L"Post Message", L"Mouse event", L"Keyboard Event", L"Timeout",
};

// Names of the control types, indexed by CMsgAction::m_controlType.
inline constexpr const wchar_t* kMsgControlTypeNames[] = {
    L"Window", L"Button", L"CheckBox", L"Radio button", L"GroupBox", L"Dialog",
    L"Edit", L"Combobox", L"Listbox", L"Listview", L"Menu", L"Propertysheet",
    L"StaticText", L"Syslink", L"Tab", L"Toolbar", L"Treeview",
};

class CMsgAction {
public:
    enum Kind : int {
        kindClick = 0, kindRightClick = 1, kindDblClick = 2, kindSetText = 3, kindSelect = 4,
        kindUnSelect = 5, kindSendKey = 6, kindSendMessage = 7, kindPostMessage = 8,
        kindMouseEvent = 9, kindKeyboardEvent = 10, kindTimeout = 11,
    };
    enum ControlType : int {
        controlWindow = 0, controlButton = 1, controlCheckBox = 2, controlRadioButton = 3,
        controlGroupBox = 4, controlDialog = 5, controlEdit = 6, controlCombobox = 7,
        controlListbox = 8, controlListview = 9, controlMenu = 10, controlPropertysheet = 11,
        controlStaticText = 12, controlSyslink = 13, controlTab = 14, controlToolbar = 15,
        controlTreeview = 16,
    };

    CMsgAction() = default;
    CMsgAction(const CMsgAction&) = default;
    CMsgAction& operator=(const CMsgAction&) = default;
    CMsgAction(CMsgAction&&) noexcept = default;
    CMsgAction& operator=(CMsgAction&&) noexcept = default;
    virtual ~CMsgAction() = default;

    // One step; the result text is neither written nor read (a loaded step's result is empty).
    void Serialize(CArchive& ar);

    int m_kind = kindClick;
    int m_delay = 1;                // seconds to wait before the step
    int m_continueOnFailure = 0;    // flag
    CString m_result;               // outcome of the last replay; not stored
    CString m_processName;          // the process that owns the window
    CString m_windowPath;           // textual window path
    CString m_reservedText;
    int m_controlType = controlWindow;
    RECT m_windowRect{};            // screen rectangle of the window at capture time
    CString m_controlText;          // text of the control, or the text to type for Set Text
    int m_controlId = 0;            // control id, or an item index for list boxes
    int m_reservedInts[4]{};
    POINT m_point{};                // client coordinates of the click inside the control
};

class CMsgActions : public CArray<CMsgAction, const CMsgAction&> {
public:
    // The count, then each step; loading replaces the list.
    void Serialize(CArchive& ar) override;
};
