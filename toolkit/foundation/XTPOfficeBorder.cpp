#include "toolkit/foundation/XTPOfficeBorder.h"

#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPPaintManagerLink.h"

namespace {

// Paint-theme kinds with a frame of their own colour; the others are sunken 3-D frames or the
// common flat colour.
constexpr int kThemeDefault = 0;
constexpr int kThemeOfficeXP = 1;
constexpr int kThemeOffice2003 = 2;
constexpr int kThemeNativeXP = 3;

// Toolkit colours of the flat frames.
constexpr int kOffice2003Frame = 54;
constexpr int kNativeXPFrame = 57;
constexpr int kFlatFrame = 52;

COLORREF Colour(int index)
{
    return GetColorManager()->GetColor(index);
}

void FrameRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    auto fill = [dc](int x, int y, int cx, int cy, COLORREF colour) {
        const RECT part = {x, y, x + cx, y + cy};
        ::SetBkColor(dc, colour);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &part, nullptr, 0, nullptr);
    };
    const COLORREF oldBack = ::GetBkColor(dc);
    fill(rect.left, rect.top, width - 1, 1, topLeft);
    fill(rect.left, rect.top, 1, height - 1, topLeft);
    fill(rect.right - 1, rect.top, 1, height, bottomRight);
    fill(rect.left, rect.bottom - 1, width, 1, bottomRight);
    ::SetBkColor(dc, oldBack);
}

} // namespace

COLORREF XTPOfficeBorderColor(BOOL bTopLeft)
{
    switch (GetGlobalPaintThemeNumber()) {
    case kThemeDefault:
    case kThemeOfficeXP:
        return Colour(bTopLeft ? COLOR_3DSHADOW : COLOR_3DHIGHLIGHT);
    case kThemeOffice2003:
        return Colour(kOffice2003Frame);
    case kThemeNativeXP:
        return Colour(kNativeXPFrame);
    default:
        return Colour(kFlatFrame);
    }
}

void XTPDrawOfficeBorder(HWND window, HDC dc, COLORREF topLeft, COLORREF bottomRight)
{
    RECT windowRect = {};
    ::GetWindowRect(window, &windowRect);
    RECT frame = {0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};
    FrameRect(dc, frame, topLeft, bottomRight);

    POINT clientOrigin = {0, 0};
    ::ClientToScreen(window, &clientOrigin);
    if (clientOrigin.y - windowRect.top >= 2) {
        ::InflateRect(&frame, -1, -1);
        const COLORREF window5 = Colour(COLOR_WINDOW);
        FrameRect(dc, frame, window5, window5);
    }
}
