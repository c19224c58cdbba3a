#include "framework/window/Menu.h"

#include "framework/window/DrawingHandleMap.h"
#include "framework/window/Wnd.h"

namespace {

struct MenuTraits {
    using Object = CMenu;
    using Handle = HMENU;
    static CMenu* MakeTemporary(HMENU handle)
    {
        auto* menu = new CMenu;
        menu->m_hMenu = handle;
        return menu;
    }
    static void Forget(CMenu* menu) { menu->m_hMenu = nullptr; }
    static bool Fits(CMenu*, HMENU handle) { return ::IsMenu(handle) != FALSE; }
};
using MenuMap = DrawingHandleMap<MenuTraits>;

} // namespace

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::~CMenu()
{
    DestroyMenu();
}

CMenu* PASCAL CMenu::FromHandle(HMENU handle)
{
    return MenuMap::FromHandle(handle);
}

void PASCAL CMenu::DeleteTempMap()
{
    MenuMap::DeleteTemps();
}

BOOL CMenu::Attach(HMENU handle)
{
    if (!handle || m_hMenu)
        return FALSE;
    m_hMenu = handle;
    MenuMap::SetPermanent(handle, this);
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU handle = m_hMenu;
    if (handle)
        MenuMap::RemovePermanent(handle, this);
    m_hMenu = nullptr;
    return handle;
}

BOOL CMenu::DestroyMenu()
{
    HMENU handle = Detach();
    return handle ? ::DestroyMenu(handle) : FALSE;
}

BOOL CMenu::CreateMenu() { return Attach(::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
BOOL CMenu::LoadMenu(UINT resourceId) { return LoadMenu(MAKEINTRESOURCEW(resourceId)); }
BOOL CMenu::LoadMenu(const wchar_t* resourceName) { return Attach(::LoadMenuW(::GetModuleHandleW(nullptr), resourceName)); }
BOOL CMenu::LoadMenuIndirect(const void* menuTemplate) { return Attach(::LoadMenuIndirectW(menuTemplate)); }

UINT CMenu::GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }
UINT CMenu::GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
UINT CMenu::GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    if (!::GetMenuItemInfoW(m_hMenu, item, (flags & MF_BYPOSITION) != 0, &info)) {
        text.Empty();
        return 0;
    }
    // cch is the length without the terminator; ask again with room for it.
    info.cch += 1;
    info.dwTypeData = text.GetBuffer(static_cast<int>(info.cch));
    ::GetMenuItemInfoW(m_hMenu, item, (flags & MF_BYPOSITION) != 0, &info);
    text.ReleaseBuffer();
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int position) const
{
    return FromHandle(::GetSubMenu(m_hMenu, position));
}

BOOL CMenu::GetMenuItemInfo(UINT item, MENUITEMINFOW* info, BOOL byPosition) const
{
    return ::GetMenuItemInfoW(m_hMenu, item, byPosition, info);
}

UINT CMenu::GetDefaultItem(UINT flags, BOOL byPosition) const
{
    return ::GetMenuDefaultItem(m_hMenu, byPosition, flags);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, const wchar_t* text)
{
    return ::AppendMenuW(m_hMenu, flags, idNewItem, text);
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem, const wchar_t* text)
{
    return ::InsertMenuW(m_hMenu, position, flags, idNewItem, text);
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem, const wchar_t* text)
{
    return ::ModifyMenuW(m_hMenu, position, flags, idNewItem, text);
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
BOOL CMenu::DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
UINT CMenu::EnableMenuItem(UINT item, UINT enable) { return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable)); }
UINT CMenu::CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }

BOOL CMenu::CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags)
{
    return ::CheckMenuRadioItem(m_hMenu, first, last, item, flags);
}

BOOL CMenu::SetDefaultItem(UINT item, BOOL byPosition) { return ::SetMenuDefaultItem(m_hMenu, item, byPosition); }

BOOL CMenu::SetMenuItemInfo(UINT item, MENUITEMINFOW* info, BOOL byPosition)
{
    return ::SetMenuItemInfoW(m_hMenu, item, byPosition, info);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect)
{
    // The rectangle argument of the system call is reserved; the menu loop takes no area.
    (void)rect;
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->GetSafeHwnd() : nullptr, nullptr);
}

BOOL CMenu::TrackPopupMenuEx(UINT flags, int x, int y, CWnd* owner, LPTPMPARAMS params)
{
    return ::TrackPopupMenuEx(m_hMenu, flags, x, y, owner ? owner->GetSafeHwnd() : nullptr, params);
}
