#pragma once
// CMenu: one owner of a menu handle. The wrapper that created, loaded or attached a menu destroys
// it with itself (DestroyMenu, which also destroys its submenus); Detach hands it on, for example
// to a window that then owns it. Submenus answered by GetSubMenu are temporary wrappers (see
// Gdi.h): they do not own their handle and must not be kept across messages.

#include "framework/Object.h"
#include "framework/String.h"

class CWnd;

class CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu() override;

    HMENU m_hMenu = nullptr;

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    static CMenu* PASCAL FromHandle(HMENU handle);
    static void PASCAL DeleteTempMap();

    BOOL Attach(HMENU handle);
    HMENU Detach();
    BOOL DestroyMenu();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // Menu resources come from the program's resource module.
    BOOL LoadMenu(UINT resourceId);
    BOOL LoadMenu(const wchar_t* resourceName);
    BOOL LoadMenuIndirect(const void* menuTemplate);

    UINT GetMenuItemCount() const;    // (UINT)-1 on failure
    UINT GetMenuItemID(int position) const;    // 0 separator, (UINT)-1 popup
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;    // temporary; null when not a popup
    BOOL GetMenuItemInfo(UINT item, MENUITEMINFOW* info, BOOL byPosition = FALSE) const;
    UINT GetDefaultItem(UINT flags, BOOL byPosition = FALSE) const;

    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, const wchar_t* text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, const wchar_t* text = nullptr);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, const wchar_t* text = nullptr);
    BOOL RemoveMenu(UINT position, UINT flags);    // a removed popup is not destroyed
    BOOL DeleteMenu(UINT position, UINT flags);    // a deleted popup is destroyed
    UINT EnableMenuItem(UINT item, UINT enable);
    UINT CheckMenuItem(UINT item, UINT check);
    BOOL CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags);
    BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE);
    BOOL SetMenuItemInfo(UINT item, MENUITEMINFOW* info, BOOL byPosition = FALSE);

    // Shows the popup and runs its loop. The owner window receives the chosen command (or,
    // with TPM_RETURNCMD, the command is answered instead and nothing is sent).
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);
    BOOL TrackPopupMenuEx(UINT flags, int x, int y, CWnd* owner, LPTPMPARAMS params);
};
