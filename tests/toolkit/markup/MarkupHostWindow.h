#pragma once
// A markup document in a plain Win32 window, as a program hosts one: the window procedure relays
// every message to the document's context through the flat interface and paints through it over a
// fill of its own. Tests drive it with real input and read what the host saw. One host exists at a
// time in a test process, so its state is a single global the window procedure can reach.

#include "MarkupTestSupport.h"

#include "toolkit/markup/XTPMarkupContext.h"

namespace markuptests {

struct MarkupHostState {
    CXTPMarkupUIElement* root = nullptr; // one reference, released by the test
    HBRUSH fill = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    int paints = 0;
    int invalidatedCount = 0;      // messages XTP_MARKUP_WM_INVALIDATED
    RECT lastUpdate = {};          // the update region's box when the last of them arrived
    int setCursorCount = 0;
    int setCursorHandled = 0;
    BOOL lastSetCursorHandled = FALSE;
};
inline MarkupHostState g_markupHost;

inline LRESULT CALLBACK MarkupHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MarkupHostState& host = g_markupHost;
    if (message == XTP_MARKUP_WM_INVALIDATED) {
        ++host.invalidatedCount;
        GetUpdateRect(hwnd, &host.lastUpdate, FALSE);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, host.fill);
        RenderMarkupElement(host.root, dc, &client);
        EndPaint(hwnd, &ps);
        ++host.paints;
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    LRESULT result = 0;
    // The root may die inside the relay (a handler releases the document); the relay holds it.
    const BOOL handled = RelayMessageToElementContext(host.root, message, wParam, lParam, &result);
    if (message == WM_SETCURSOR) {
        ++host.setCursorCount;
        host.lastSetCursorHandled = handled;
        if (handled)
            ++host.setCursorHandled;
    }
    if (handled)
        return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A visible popup host at (100, 100) of the given size, its state reset with the fill given.
inline HWND CreateMarkupHost(int width, int height, HBRUSH fill)
{
    g_markupHost = MarkupHostState();
    g_markupHost.fill = fill;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &MarkupHostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarnwickMarkupHost";
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"markup host", WS_POPUP | WS_VISIBLE, 100, 100, width, height,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

} // namespace markuptests
