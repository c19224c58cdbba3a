#pragma once
// Ground of the scroll-viewer tests: the classic-look switch and the bar geometry worked out by
// hand from the system metrics, to compare with what the bar computes.

#include "toolkit/markup/XTPMarkupScrollBar.h"
#include "toolkit/markup/XTPMarkupScrollViewer.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ostream>

// Rectangles compared and printed by value in the expectations (RECT is a global type, so these
// are found beside it).
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& rc, std::ostream* os)
{
    *os << "(" << rc.left << ", " << rc.top << ", " << rc.right << ", " << rc.bottom << ")";
}

namespace markuptests {

// The classic-look pass starts the test programs with TARNWICK_CLASSIC_LOOK=1 after switching the
// visual style off; cases named "Classic" skip in every other run.
inline bool ClassicLookRequested()
{
    const char* value = std::getenv("TARNWICK_CLASSIC_LOOK");
    return value && std::strcmp(value, "1") == 0;
}

struct ExpectedGeometry {
    int thumb;       // thumb length
    int free;        // room for the thumb to move
    int thumbStart;  // along the bar
};

// A bar of the given length whose arrows are arrow long, for the scroll range and page given.
inline ExpectedGeometry ExpectGeometry(int arrow, int length, int minimum, int maximum, int page, int position)
{
    const int range = maximum + 1 - minimum;
    const int thumb = std::max(MulDiv(length - 2 * arrow, page, range), std::max(16, arrow / 2));
    const int free = length - 2 * arrow - thumb;
    return {thumb, free, arrow + MulDiv(position - minimum, free, range - page)};
}

// The track brush the desktop gives for a classic bar, or the system one when it gives none.
inline HBRUSH DesktopTrackBrush(HDC dc)
{
    DWORD_PTR answer = 0;
    HWND desktop = GetDesktopWindow();
    if (!SendMessageTimeoutW(desktop, WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(desktop), SMTO_ABORTIFHUNG, 1000, &answer))
        answer = 0;
    HBRUSH brush = reinterpret_cast<HBRUSH>(answer);
    return brush && GetObjectType(brush) == OBJ_BRUSH ? brush : GetSysColorBrush(COLOR_SCROLLBAR);
}

} // namespace markuptests
