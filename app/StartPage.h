#pragma once
// The start page in plain controls: the welcome line, the box that says what the program does,
// and the link that starts the new-project wizard. The main view shows it while no panel is hosted.

#include "framework/window/Gdi.h"
#include "framework/window/Wnd.h"

#include <functional>

class CStartPage : public CWnd {
public:
    static constexpr int kLinkId = 1001;

    // Makes the page (visible) as a child of parent, filling rect.
    BOOL CreatePage(CWnd* parent, const RECT& rect, UINT id);
    // Runs when the link is clicked.
    void SetOnNewProject(std::function<void()> onNewProject) { m_onNewProject = std::move(onNewProject); }

    static const wchar_t* const kWelcome;
    static const wchar_t* const kHeading;
    static const wchar_t* const kDescription;
    static const wchar_t* const kLinkText;

protected:
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

private:
    void Layout(int cx, int cy);

    HWND m_welcome = nullptr;       // not owned: children die with the page
    HWND m_heading = nullptr;
    HWND m_description = nullptr;
    HWND m_link = nullptr;
    RECT m_box{};                   // the frame around the description, in client coordinates
    CFont m_welcomeFont;
    CFont m_headingFont;
    CFont m_textFont;
    CFont m_linkFont;
    std::function<void()> m_onNewProject;

    DECLARE_MESSAGE_MAP()
};
