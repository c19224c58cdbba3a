#pragma once
// CMiniFrameWnd: a small floating frame (tool-window caption) owned by a program's frame.
//
// MFS_SYNCACTIVE: the floating window and its owner frame show active captions together: clicking
// into the floating window leaves the owner's caption active, and the owner's activation and
// deactivation reach the floating window through WM_FLOATSTATUS. When a modal window disables the
// owner, its floating windows are disabled with it and enabled again after.
// MFS_BLOCKSYSMENU keeps the system menu from opening (by click or by key).

#include "framework/window/FrameWnd.h"

enum : DWORD {
    MFS_SYNCACTIVE = 0x00000100,
    MFS_4THICKFRAME = 0x00000200,
    MFS_THICKFRAME = 0x00000400,
    MFS_MOVEFRAME = 0x00000800,
    MFS_BLOCKSYSMENU = 0x00001000,
};

class CMiniFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMiniFrameWnd)
public:
    CMiniFrameWnd() = default;

    BOOL Create(const wchar_t* lpClassName, const wchar_t* lpWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd = nullptr, UINT nID = 0);
    BOOL CreateEx(DWORD dwExStyle, const wchar_t* lpClassName, const wchar_t* lpWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd = nullptr, UINT nID = 0);

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    // A mini frame is never the program's main frame: destroying it ends nothing, and by default
    // it is a member of its owner and not deleted.
    void PostNcDestroy() override;
    BOOL m_bAutoDelete = FALSE;

    DWORD m_dwMiniStyle = 0;    // the MFS_ bits it was made with

protected:
    LRESULT OnFloatStatus(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcActivateMini(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysCommandMini(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcButtonMini(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
