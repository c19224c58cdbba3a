#pragma once
// Pointing at a control for the script recorder the way a user does: move the pointer there,
// wait until the recorder has framed the control, then Ctrl + click. Used by the recorder's own
// tests (recorder in this process) and by the GUI-script road (recorder in the program).
//
// Why the pointer needs holding: while a low-level mouse hook is installed, Wine moves its own
// idea of the pointer on SendInput but not the display's, and a little later takes the display's
// position back. A process that reads the pointer after that (the recorder's timer does, through
// GetCursorPos) then sees the old place. Placing the display's pointer as well, and putting it
// back whenever it has been taken elsewhere, keeps the two together.

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <windows.h>

#include <sstream>
#include <string>

namespace recordertest {

// The recorder's thin frame (no Ctrl) and its thick one (Ctrl held).
constexpr COLORREF kThinFrame = RGB(255, 92, 92);
constexpr COLORREF kThickFrame = RGB(255, 0, 0);

// What the screen shows at a point (RGB only).
inline COLORREF ScreenPixel(POINT point)
{
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour == CLR_INVALID ? colour : colour & 0xFFFFFF;
}

inline POINT Centre(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A point just inside the control's left edge: under both frames, which are drawn over the
// control's outer pixels.
inline POINT FrameEdge(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return {rect.left + 1, (rect.top + rect.bottom) / 2};
}

// Moves the pointer there for good: the input event and the display's pointer both.
inline bool PointAt(POINT point)
{
    return testsupport::MovePointerTo(point) && ::SetCursorPos(point.x, point.y);
}

// Puts the pointer back on the point whenever Wine has taken it elsewhere.
inline void KeepPointerAt(POINT point)
{
    POINT at = {};
    if (::GetCursorPos(&at) && (at.x != point.x || at.y != point.y))
        ::SetCursorPos(point.x, point.y);
}

inline bool Key(WORD key, bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return ::SendInput(1, &input, sizeof(input)) == 1;
}

// What the recorder's frame check saw, for a failure message: the pixel, the pointer and the
// window under it.
inline std::string DescribeFrameMiss(HWND control)
{
    POINT at = {};
    ::GetCursorPos(&at);
    const POINT edge = FrameEdge(control);
    std::ostringstream text;
    text << "the control was not framed: pixel " << std::hex << ScreenPixel(edge) << std::dec << " at " << edge.x << ","
         << edge.y << "; pointer " << at.x << "," << at.y << "; window there " << ::WindowFromPoint(at)
         << (::WindowFromPoint(at) == control ? " (the control)" : "") << "; control " << control;
    return text.str();
}

// Points at the control's centre and holds the pointer there until the recorder has drawn its
// thin frame on the control (as a user waits for the frame before clicking). Waits without
// pumping: the caller may run beside a modal loop on another thread.
inline bool PointAtAndWaitForFrame(HWND control, DWORD timeoutMs = testsupport::kGuiTimeoutMs)
{
    const POINT centre = Centre(control);
    const POINT edge = FrameEdge(control);
    if (!PointAt(centre))
        return false;
    return testsupport::WaitFor([&] {
        KeepPointerAt(centre);
        return ScreenPixel(edge) == kThinFrame;
    }, timeoutMs);
}

// Points at the control, waits for the thin frame, holds Ctrl until the recorder has drawn its
// thick frame and only then clicks, the way a user records a step. Waiting for the thick frame
// matters under Wine: a thread that read a key as up keeps answering "up" from a cache for about
// 50 ms unless that thread itself received keyboard input, so a click sent right after the key
// could reach the recorder's hook while it still sees Ctrl up, and the setup program would get
// the click. Once the recorder's timer has seen Ctrl down, the hook reads the real state.
// On failure, what went wrong is appended to why.
inline bool CtrlClickFramed(HWND control, std::string& why, DWORD timeoutMs = testsupport::kGuiTimeoutMs)
{
    if (!PointAtAndWaitForFrame(control, timeoutMs)) {
        why = DescribeFrameMiss(control);
        return false;
    }
    const POINT centre = Centre(control);
    const POINT edge = FrameEdge(control);
    if (!Key(VK_CONTROL, true)) {
        why = "Ctrl could not be pressed";
        return false;
    }
    const bool thick = testsupport::WaitFor([&] {
        KeepPointerAt(centre);
        return ScreenPixel(edge) == kThickFrame;
    }, timeoutMs);
    if (!thick)
        why = "no thick frame while Ctrl was held; " + DescribeFrameMiss(control);
    const bool clicked = thick && testsupport::PressButton(testsupport::MouseButton::Left, true) &&
                         testsupport::PressButton(testsupport::MouseButton::Left, false);
    if (thick && !clicked)
        why = "the click could not be sent";
    return Key(VK_CONTROL, false) && clicked;
}

// Ctrl + left click at a screen point without waiting for any frame: for points where the
// recorder frames nothing. The pointer is put back
// on the point once more just before the press: the recorder takes the control it framed last.
inline bool CtrlClickAt(POINT point)
{
    if (!PointAt(point))
        return false;
    KeepPointerAt(point);
    if (!Key(VK_CONTROL, true))
        return false;
    const bool clicked = testsupport::PressButton(testsupport::MouseButton::Left, true) &&
                         testsupport::PressButton(testsupport::MouseButton::Left, false);
    return Key(VK_CONTROL, false) && clicked;
}

} // namespace recordertest
