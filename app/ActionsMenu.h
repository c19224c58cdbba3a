#pragma once
// The "&Actions" menu: the commands that apply to the node selected in the packages tree, taken
// from menu 158 each time the menu opens. With no selection it keeps its one placeholder item,
// "No Actions", which no handler enables.

#include "app/CommandRules.h"

#include <windows.h>

// The submenu of menu 158 for the selection: 1 a package node, 2 a project node, 3 any other
// node; -1 with no selection.
int ActionsSubmenuFor(const TreeSelection& selection);

// True when the popup is the actions menu: it holds the placeholder or one of the actions and
// nothing from another menu.
bool IsActionsPopup(HMENU popup);

// Empties the popup and fills it with the chosen submenu's items of menu (loaded by the caller),
// or with the placeholder when there is none. True when the popup was filled.
bool FillActionsPopup(HMENU popup, HMENU actionsMenu, const TreeSelection& selection);
