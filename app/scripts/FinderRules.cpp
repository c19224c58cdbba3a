#include "app/scripts/FinderRules.h"

#include "engine/model/MsgAction.h"

#include "resources/app/AppResource.h"

#include <algorithm>

KindButtons AllowedKindButtons(int controlType, const CString& controlText)
{
    KindButtons buttons;
    switch (controlType) {
    case CMsgAction::controlCheckBox:
        buttons.click = buttons.select = buttons.unselect = true;
        break;
    case CMsgAction::controlEdit:
        buttons.setText = true;
        break;
    case CMsgAction::controlTreeview:
        buttons.click = true;
        // the replay finds the tree item by its text: without one there is nothing to toggle
        buttons.select = buttons.unselect = !controlText.IsEmpty();
        break;
    default:
        buttons.click = true;
        break;
    }
    return buttons;
}

UINT KindButtonId(int kind)
{
    switch (kind) {
    case CMsgAction::kindClick:
        return IDC_ACTION_CLICK;
    case CMsgAction::kindSetText:
        return IDC_ACTION_SET_TEXT;
    case CMsgAction::kindSelect:
        return IDC_ACTION_SELECT;
    case CMsgAction::kindUnSelect:
        return IDC_ACTION_UNSELECT;
    default:
        return 0;
    }
}

int KindOfButton(UINT id)
{
    switch (id) {
    case IDC_ACTION_CLICK:
        return CMsgAction::kindClick;
    case IDC_ACTION_SET_TEXT:
        return CMsgAction::kindSetText;
    case IDC_ACTION_SELECT:
        return CMsgAction::kindSelect;
    case IDC_ACTION_UNSELECT:
        return CMsgAction::kindUnSelect;
    default:
        return -1;
    }
}

bool IsStepTextEditable(int kind)
{
    return kind == CMsgAction::kindSetText;
}

namespace {

// Inside a rectangle as PtInRect counts it: the right and bottom edges are outside.
bool Inside(const RECT& rect, POINT point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

} // namespace

bool SiblingCoversCursor(const RECT& taken, const RECT& sibling, POINT cursor)
{
    if (EqualRect(&taken, &sibling))
        return false;
    if (!Inside(sibling, cursor))
        return false;
    return Inside(taken, POINT{sibling.left, sibling.top}) || Inside(taken, POINT{sibling.right, sibling.bottom});
}

std::optional<size_t> FirstCoveringSibling(const RECT& taken, const std::vector<RECT>& siblings, POINT cursor)
{
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (SiblingCoversCursor(taken, siblings[i], cursor))
            return i;
    }
    return std::nullopt;
}

FramePen HighlightFramePen(bool ctrlDown)
{
    return ctrlDown ? FramePen{7, RGB(255, 0, 0)} : FramePen{4, RGB(255, 92, 92)};
}

bool IsJobProcess(DWORD processId, const std::vector<DWORD>& jobProcessIds)
{
    return std::find(jobProcessIds.begin(), jobProcessIds.end(), processId) != jobProcessIds.end();
}
