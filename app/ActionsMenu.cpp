#include "app/ActionsMenu.h"

#include "app/NodeData.h"

#include "resources/app/AppResource.h"

#include <iterator>

int ActionsSubmenuFor(const TreeSelection& selection)
{
    if (!selection.hasNode)
        return -1;
    switch (NodeKindOf(selection.data)) {
    case NodeKind::package:
        return 1;
    case NodeKind::project:
        return 2;
    default:
        return 3;
    }
}

bool IsActionsPopup(HMENU popup)
{
    const int count = ::GetMenuItemCount(popup);
    if (count <= 0)
        return false;
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(popup, i);
        switch (id) {
        case ID_NO_ACTIONS:
        case ID_BUILD_PACKAGE:
        case ID_OPEN_IN_EXPLORER:
        case ID_DELETE_ITEM:
            any = true;
            break;
        case 0:    // a separator
            break;
        default:
            return false;
        }
    }
    return any;
}

bool FillActionsPopup(HMENU popup, HMENU actionsMenu, const TreeSelection& selection)
{
    if (!popup)
        return false;
    while (::GetMenuItemCount(popup) > 0)
        ::DeleteMenu(popup, 0, MF_BYPOSITION);
    const int submenu = ActionsSubmenuFor(selection);
    HMENU source = submenu >= 0 && actionsMenu ? ::GetSubMenu(actionsMenu, submenu) : nullptr;
    if (!source) {
        ::AppendMenuW(popup, MF_STRING, ID_NO_ACTIONS, L"No Actions");
        return true;
    }
    const int count = ::GetMenuItemCount(source);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = L"";
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = static_cast<UINT>(std::size(text));
        if (!::GetMenuItemInfoW(source, static_cast<UINT>(i), TRUE, &item))
            continue;
        if (item.fType & MFT_SEPARATOR)
            ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(popup, MF_STRING, item.wID, text);
    }
    return true;
}
