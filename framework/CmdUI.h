#pragma once
// CCmdUI: the question "what state should command N show?" asked of the command's handlers. The
// menu, toolbar or dialog that shows the command fills one in (id, and the menu item or control
// it stands for) and calls DoUpdate; an update handler (ON_UPDATE_COMMAND_UI) answers through
// Enable, SetCheck, SetRadio and SetText, which change the menu item or the control.
//
// Declared in the core so that CCmdTarget::OnCmdMsg can route it without knowing windows; the
// member functions that touch menus and controls are defined in the window library.

#include "framework/CmdTarget.h"

class CMenu;
class CWnd;

class CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;              // menu item position (or control index)
    CMenu* m_pMenu = nullptr;       // not owned: the menu whose item is updated, or null
    CMenu* m_pSubMenu = nullptr;    // not owned: the popup the item opens, if any
    CMenu* m_pParentMenu = nullptr; // not owned
    CWnd* m_pOther = nullptr;       // not owned: the control updated when there is no menu
    UINT m_nIndexMax = 0;           // number of items of the menu or bar being walked
    BOOL m_bEnableChanged = FALSE;  // a handler called Enable
    BOOL m_bContinueRouting = FALSE;// a handler asked that the next target be asked too

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);   // 0 clear, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(const wchar_t* text);

    // Called by a handler that only decided part of the state.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks the target's handlers. With bDisableIfNoHndler, a command that no handler updated is
    // enabled exactly when the target has a command handler for it. TRUE when a handler answered.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};
