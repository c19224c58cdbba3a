// The CCmdUI operations that change what the user sees: a menu item (by position) or a control.

#include "framework/CmdUI.h"

#include "framework/window/Menu.h"
#include "framework/window/Wnd.h"

void CCmdUI::Enable(BOOL bOn)
{
    if (m_pMenu) {
        // A popup's item has no command id of its own: it is always addressed by position.
        m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther && m_pOther->m_hWnd) {
        HWND control = m_pOther->m_hWnd;
        // A control that loses its enabled state while it has the focus would leave the
        // keyboard nowhere: the dialog moves the focus on first.
        if (!bOn && ::GetFocus() == control) {
            if (HWND parent = ::GetParent(control))
                ::SendMessageW(parent, WM_NEXTDLGCTL, 0, FALSE);
        }
        ::EnableWindow(control, bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_pMenu) {
        m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther && m_pOther->m_hWnd) {
        HWND control = m_pOther->m_hWnd;
        if (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)
            ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
    }
}

void CCmdUI::SetRadio(BOOL bOn)
{
    if (m_pMenu) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        if (m_pMenu->GetMenuItemInfo(m_nIndex, &info, TRUE)) {
            info.fType = bOn ? (info.fType | MFT_RADIOCHECK) : (info.fType & ~MFT_RADIOCHECK);
            m_pMenu->SetMenuItemInfo(m_nIndex, &info, TRUE);
        }
    }
    SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(const wchar_t* text)
{
    if (m_pMenu) {
        const UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
        if (state == static_cast<UINT>(-1))
            return;
        const UINT keep = state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK);
        m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | keep, m_nID, text);
    } else if (m_pOther && m_pOther->m_hWnd) {
        AfxSetWindowText(m_pOther->m_hWnd, text);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    // System commands (0xF000 and up) are the window manager's, not ours.
    if (m_nID == 0 || LOWORD(m_nID) >= 0xF000)
        return TRUE;
    m_bEnableChanged = FALSE;
    const BOOL handled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info;
        const BOOL hasHandler = pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info);
        Enable(hasHandler);
    }
    return handled;
}
