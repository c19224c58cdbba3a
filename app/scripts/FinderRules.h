#pragma once
// Window-free rules of the script recorder and the step editor: which actions the editor offers
// for a kind of control, which window under the cursor the recorder frames, and the frame's pen.
// The windows only gather rectangles and ids and ask these functions.

#include "framework/String.h"

#include <windows.h>

#include <optional>
#include <vector>

// The action buttons of the step editor that a control type allows.
struct KindButtons {
    bool click = false;
    bool setText = false;
    bool select = false;
    bool unselect = false;

    bool operator==(const KindButtons&) const = default;
};

// Buttons allowed for a step's control type: a tree item can only be (un)selected when the step
// names one (its control text), any type the editor does not know is only clicked.
KindButtons AllowedKindButtons(int controlType, const CString& controlText);

// The radio button of a step kind (Click, Set Text, Select, UnSelect); 0 for the kinds the editor
// has no button for.
UINT KindButtonId(int kind);
// The kind a radio button sets; -1 for any other id.
int KindOfButton(UINT id);

// The text box holds text to type only for a Set Text step; for other kinds it just shows what
// was captured.
bool IsStepTextEditable(int kind);

// Whether a sibling of the window under the cursor is the control really meant: a control inside
// a group box lies under the box in z-order, yet the box is what the system finds at the point.
// The sibling must contain the cursor, start or end inside the first window's rectangle (its
// right and bottom edges not counting as inside) and not be exactly that rectangle.
bool SiblingCoversCursor(const RECT& taken, const RECT& sibling, POINT cursor);

// Index of the first sibling rectangle that qualifies, in the order given; none when none does.
std::optional<size_t> FirstCoveringSibling(const RECT& taken, const std::vector<RECT>& siblings, POINT cursor);

// Pen of the highlight frame: light red and 4 pixels normally, red and 7 pixels while Ctrl is
// held (the click is about to be captured).
struct FramePen {
    int width;
    COLORREF colour;
};
FramePen HighlightFramePen(bool ctrlDown);

// Whether a process is one of the setup program's (the job's process ids).
bool IsJobProcess(DWORD processId, const std::vector<DWORD>& jobProcessIds);
