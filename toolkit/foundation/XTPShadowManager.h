#pragma once
// Drop shadows of popup menus and popup controls: small tool windows along the right and bottom
// edge of a popup, drawn with per-pixel alpha through UpdateLayeredWindow where the system allows
// it, else as 2-pixel solid strips. Each shadow follows its popup through the hook manager
// (WM_SHOWWINDOW, WM_DESTROY). The command-bar paint manager creates the manager and sets its
// option bits and colour.

#include "framework/CmdTarget.h"
#include "framework/List.h"
#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPHookManager.h"

using PFNXTPUPDATELAYEREDWINDOW = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                                BLENDFUNCTION*, DWORD);

class CXTPShadowManager : public CCmdTarget {
public:
    // Option bits.
    enum : int {
        xtpShadowAlways = 1,      // shadows even with the system setting off; layered at half alpha
        xtpShadowExclude = 2,     // a new shadow is clipped against the caller's exclusion rectangle
    };
    // Kinds of shadow window.
    enum : int { kRight = 0, kBottom = 1, kCorner = 2 };

    class CShadowWnd : public CWnd, public CXTPHookManagerHookAble {
    public:
        CShadowWnd(CXTPShadowManager* manager, HWND owner, UINT_PTR key, BOOL forRect);
        ~CShadowWnd() override;

        BOOL Create(int kind, int left, int top, int right, int bottom);
        BOOL ExcludeRect(const RECT& rect);
        void AdjustToNeighbours(CPtrList& shadows);
        int OnHookMessage(HWND hWnd, UINT nMessage, WPARAM& wParam, LPARAM& lParam, LRESULT& lResult) override;

        int m_nKind = 0;
        BOOL m_bHasRegion = FALSE;
        HWND m_hOwner = nullptr;
        UINT_PTR m_nKey = 0;
        BOOL m_bForRect = FALSE;
        CXTPShadowManager* m_pManager;

    protected:
        BOOL OnEraseBkgnd(CDC* pDC);
        void OnPaint();
        void OnSize(UINT nType, int cx, int cy);
        LRESULT OnNcHitTest(CPoint point);
        DECLARE_MESSAGE_MAP()
    };
    using CShadowList = CPtrList;

    CXTPShadowManager();
    // Destroys the shadows still listed.
    ~CXTPShadowManager() override;

    BOOL CanUseLayeredShadows() const;
    // Layered flag and entry point as measured at construction; tests force the strip look.
    void SetLayered(BOOL layered) { m_bUseLayered = layered && m_pfnUpdateLayeredWindow != nullptr; }
    BOOL IsLayered() const { return m_bUseLayered; }

    void SetShadowForWindow(CWnd* popup, const RECT& exclude, UINT_PTR key);
    void SetShadowForRect(int left, int top, int right, int bottom, CWnd* owner);
    CShadowWnd* CreateShadow(int kind, const RECT& ownerRect, const RECT& exclude, HWND owner, BOOL forRect,
                             UINT_PTR key);
    void RemoveShadows(HWND owner);
    void DestroyShadow(CShadowWnd* shadow);
    void OffsetShadows(HWND owner, int dx, int dy);

    // The pixels of a layered shadow of cx x cy (rows bottom-up, row 0 is the bottom row), all 0
    // before; kind as above.
    static void FillShadowPixels(DWORD* bits, int cx, int cy, int kind, COLORREF color, int options);

    const CShadowList& GetShadows() const { return m_shadows; }

    BOOL m_bClassStyles = TRUE;   // CS_SAVEBITS | CS_OWNDC for the shadow class
    PFNXTPUPDATELAYEREDWINDOW m_pfnUpdateLayeredWindow = nullptr;
    CShadowList m_shadows;
    BOOL m_bUseLayered = FALSE;
    int m_nOptions = 0;
    COLORREF m_clrShadow = 0;

private:
    BOOL m_bDestroying = FALSE;
};
