#pragma once
// A control with a flat 1-pixel frame in the colours of the toolkit-wide paint theme in place of
// its system border: CXTPOfficeBorder<CXTPListBox, 1>, CXTPOfficeBorder<CTreeCtrl, 1> and so on.
//
// At creation the control loses WS_BORDER and WS_EX_CLIENTEDGE; its non-client area is then
// whatever the control itself keeps (scroll bars) plus one pixel on every side, painted after
// the control's own non-client painting. When the area above the client is 2 or more pixels high
// (a border style given back later), a second frame in the window colour sits just inside.
//
// WM_PRINT with PRF_NONCLIENT gets the same frame, so that a printed control matches the screen.

#include "framework/window/Wnd.h"

#include <windows.h>

#include <algorithm>

// The frame colour of the top and left edges (topLeft) or the bottom and right edges for the
// theme kind of the toolkit-wide paint manager: a sunken 3-D frame for the default and Office XP
// kinds, one flat colour for every other kind.
COLORREF XTPOfficeBorderColor(BOOL bTopLeft);
// Draws the frame of window into dc, whose origin is the window's top-left corner.
void XTPDrawOfficeBorder(HWND window, HDC dc, COLORREF topLeft, COLORREF bottomRight);

template <class TBase, int nBorderWidth = 1>
class CXTPOfficeBorder : public TBase {
    static_assert(nBorderWidth == 1, "the Office border is one pixel wide");

public:
    virtual COLORREF GetBorderColor(BOOL bTopLeft) { return XTPOfficeBorderColor(bTopLeft); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_CREATE:
            if (TBase::WindowProc(message, wParam, lParam) == -1)
                return -1;
            this->ModifyStyle(WS_BORDER, 0);
            this->ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
            ::SetWindowPos(this->m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            return 0;
        case WM_NCCALCSIZE: {
            const LRESULT result = TBase::WindowProc(message, wParam, lParam);
            // Both forms of the message begin with the proposed client rectangle.
            RECT* client = reinterpret_cast<RECT*>(lParam);
            client->left = std::min(client->left + nBorderWidth, client->right);
            client->top = std::min(client->top + nBorderWidth, client->bottom);
            client->right = std::max(client->right - nBorderWidth, client->left);
            client->bottom = std::max(client->bottom - nBorderWidth, client->top);
            return result;
        }
        case WM_NCPAINT: {
            TBase::WindowProc(message, wParam, lParam);
            if (HDC dc = ::GetWindowDC(this->m_hWnd)) {
                XTPDrawOfficeBorder(this->m_hWnd, dc, GetBorderColor(TRUE), GetBorderColor(FALSE));
                ::ReleaseDC(this->m_hWnd, dc);
            }
            return 0;
        }
        case WM_PRINT: {
            const LRESULT result = TBase::WindowProc(message, wParam, lParam);
            const bool hidden = (lParam & PRF_CHECKVISIBLE) && !::IsWindowVisible(this->m_hWnd);
            if ((lParam & PRF_NONCLIENT) && wParam && !hidden)
                XTPDrawOfficeBorder(this->m_hWnd, reinterpret_cast<HDC>(wParam), GetBorderColor(TRUE),
                                    GetBorderColor(FALSE));
            return result;
        }
        default:
            return TBase::WindowProc(message, wParam, lParam);
        }
    }
};
