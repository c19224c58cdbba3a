#pragma once
// MDI frames: a main frame whose client area is the system's MDI client window, with one child
// frame per open document.
//
// CMDIFrameWnd: OnCreateClient makes the MDI client (id AFX_IDW_PANE_FIRST, so the layout gives
// it what the bars leave); messages it does not handle go to DefFrameProc. Commands go to the
// active child first (its view, document and own table), then to the frame and the application;
// keys go through the active child's accelerators, the MDI system keys and then the frame's own.
// CMDIChildWnd: a frame made through WM_MDICREATE; while it is active the MDI frame shows its
// template's shared menu (and the frame's own menu again when no child is left).

#include "framework/window/FrameWnd.h"

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    CMDIFrameWnd() = default;

    // The client window; bars made later lay out around it.
    virtual BOOL CreateClient(LPCREATESTRUCTW lpCreateStruct, CMenu* pWindowMenu);
    // The active child (null when none); *pbMaximized tells whether it is maximized.
    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    void MDINext();
    void MDIPrev();
    void MDIMaximize(CWnd* pWnd);
    void MDIRestore(CWnd* pWnd);
    void MDICascade();
    void MDITile(int nType = MDITILE_HORIZONTAL);
    void MDIIconArrange();
    // Puts a menu in the frame's menu bar (null keeps that part); answers the menu it replaced.
    HMENU MDISetMenu(HMENU hMenuFrame, HMENU hMenuWindow);
    // The popup of the menu bar whose items name the children ("&Window" by convention: the
    // last popup but one, or the last).
    virtual HMENU GetWindowMenuPopup(HMENU hMenuBar);

    CFrameWnd* GetActiveFrame() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;

    HWND m_hWndMDIClient = nullptr;    // owned by Windows (a child of the frame)

protected:
    BOOL OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext* pContext) override;
    void OnWindowNew();
    void OnMDIWindowCmd(UINT nID);
    void OnUpdateMDIWindowCmd(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    CMDIChildWnd() = default;

    BOOL Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                CMDIFrameWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    BOOL DestroyWindow() override;
    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void MDIDestroy();
    void MDIMaximize();
    void MDIRestore();

    void ActivateFrame(int nCmdShow = -1) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    // Shows the shared menu in the MDI frame while this child is active.
    virtual void OnUpdateFrameMenu(BOOL bActive, CWnd* pActivateWnd, HMENU hMenuAlt);

    HMENU m_hMenuShared = nullptr;    // the template's (not owned)

protected:
    int OnCreate(LPCREATESTRUCTW lpcs);
    LRESULT OnMDIActivateMsg(WPARAM wParam, LPARAM lParam);
    void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
