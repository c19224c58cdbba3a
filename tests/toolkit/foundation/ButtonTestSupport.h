#pragma once
// A modeless dialog from a template with one of every button kind, each subclassed into a toolkit
// button. The dialog records the commands its buttons send (and what the sender looked like while
// the command ran) and can answer WM_CTLCOLORBTN with a brush of the test's choosing.

#include "ButtonTestsResource.h"

#include "toolkit/foundation/XTPButton.h"
#include "toolkit/foundation/XTPButtonTheme.h"

#include "framework/window/Dialog.h"
#include "framework/window/WinApp.h"

#include "tests/support/DibCanvas.h"

#include <map>
#include <vector>

namespace buttontests {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Button Tests") {}
};

// Reaches the state the button keeps to itself, so a test can draw any state without input.
class CProbeButton : public CXTPButton {
public:
    void ForceHot(BOOL hot) { m_bHot = hot; }
    void ForcePushed(int state) { m_nPushedState = state; }
    // Answers this checked value whatever the window says (-1: the button's own answer).
    int forcedChecked = -1;
    int GetChecked() const override { return forcedChecked >= 0 ? forcedChecked : CXTPButton::GetChecked(); }
    // Answers WM_QUERYUISTATE with these UISF_ bits (-1: the system's answer). Wine keeps no UI
    // state for child windows, so the tests set the answer the button asks for.
    int forcedUiState = -1;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_QUERYUISTATE && forcedUiState >= 0)
            return forcedUiState;
        return CXTPButton::WindowProc(message, wParam, lParam);
    }
};

struct RecordedCommand {
    int id;
    int code;
    int pushedState;     // the sender's pushed state while the command ran
    bool mouseDown;      // the left mouse button was still down then
};

class CButtonsDialog : public CDialog {
public:
    static constexpr int kIds[] = {IDC_PUSH,  IDC_DEFPUSH, IDC_DROPDOWN, IDC_SPLIT,     IDC_NOGLYPH, IDC_CHECK,
                                   IDC_3STATE, IDC_RADIO,  IDC_GROUP,    IDC_ICONCHECK, IDC_TOGGLE};

    CButtonsDialog() : CDialog(IDD_BUTTONS) {}
    ~CButtonsDialog() override
    {
        if (m_brush)
            ::DeleteObject(m_brush);
    }

    BOOL Create() { return CDialog::Create(IDD_BUTTONS); }
    CProbeButton& Button(int id) { return m_buttons[id]; }
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

    // The brush the dialog answers WM_CTLCOLORBTN with; CLR_NONE answers nothing.
    void SetButtonBrush(COLORREF color)
    {
        if (m_brush)
            ::DeleteObject(m_brush);
        m_brush = color == CLR_NONE ? nullptr : ::CreateSolidBrush(color);
    }

    std::vector<RecordedCommand> commands;
    // Sends BM_SETSTATE(FALSE) to the button from inside its drop-down notification.
    bool releaseDuringDropDown = false;

    int Count(int id, int code) const
    {
        int count = 0;
        for (const auto& c : commands)
            count += c.id == id && c.code == code ? 1 : 0;
        return count;
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        for (int id : kIds)
            m_buttons[id].SubclassDlgItem(id, this);
        m_buttons[IDC_DROPDOWN].SetPushButtonStyle(xtpButtonDropDown);
        m_buttons[IDC_SPLIT].SetPushButtonStyle(xtpButtonSplitDropDown);
        m_buttons[IDC_NOGLYPH].SetPushButtonStyle(xtpButtonDropDownNoGlyph);
        return TRUE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const int id = LOWORD(wParam);
        auto it = m_buttons.find(id);
        if (it != m_buttons.end() && reinterpret_cast<HWND>(lParam) == it->second.m_hWnd) {
            commands.push_back({id, HIWORD(wParam), it->second.GetPushedState(), (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0});
            if (HIWORD(wParam) == XTP_BN_DROPDOWN && releaseDuringDropDown)
                it->second.SendMessage(BM_SETSTATE, FALSE);
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CTLCOLORBTN && m_brush)
            return reinterpret_cast<LRESULT>(m_brush);
        return CDialog::WindowProc(message, wParam, lParam);
    }

private:
    std::map<int, CProbeButton> m_buttons;
    HBRUSH m_brush = nullptr;
};

// The button's client area as drawn on WM_PRINTCLIENT into a white canvas of its size.
inline void PrintButton(HWND button, testsupport::DibCanvas& canvas)
{
    canvas.Clear();
    ::SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    ::GdiFlush();
}

inline SIZE ClientSize(HWND window)
{
    RECT rect{};
    ::GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

} // namespace buttontests
