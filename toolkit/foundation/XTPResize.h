#pragma once
// Anchor layout for the children of a window. Every registered control carries four factors,
// one per edge, saying which share of the host's size change moves that edge: 0 keeps the edge
// where it is, 1 moves it by the whole change, 0.5 by half of it.
//
// The layout is incremental: each pass adds factor x (change since the last pass) to a float
// rectangle per control and truncates only when the control is positioned, so fractional factors
// accumulate without drifting a pixel per pass.

#include "framework/window/Controls.h"
#include "framework/window/Dialog.h"

#include <memory>
#include <vector>

class CXTPResizeFactorRect {
public:
    CXTPResizeFactorRect() = default;
    CXTPResizeFactorRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
    explicit CXTPResizeFactorRect(const RECT& rc)
        : left(static_cast<float>(rc.left)), top(static_cast<float>(rc.top)),
          right(static_cast<float>(rc.right)), bottom(static_cast<float>(rc.bottom)) {}

    CXTPResizeFactorRect& operator+=(const CXTPResizeFactorRect& other)
    {
        left += other.left;
        top += other.top;
        right += other.right;
        bottom += other.bottom;
        return *this;
    }
    bool operator!=(const CXTPResizeFactorRect& other) const
    {
        return left != other.left || top != other.top || right != other.right || bottom != other.bottom;
    }
    bool operator==(const CXTPResizeFactorRect& other) const { return !(*this != other); }

    float left = 0, top = 0, right = 0, bottom = 0;
};

class CXTPResizeFactorPoint {
public:
    CXTPResizeFactorPoint() = default;
    CXTPResizeFactorPoint(float fx, float fy) : x(fx), y(fy) {}
    float x = 0, y = 0;
};

class CXTPResize;

// One control of the layout. The rectangles are in the host's client coordinates.
class CXTPResizeItem {
public:
    CXTPResizeItem(CWnd* wnd, const CXTPResizeFactorRect& factors, const CXTPResizeFactorRect& rect,
                   bool ownsWindow);
    CXTPResizeItem(const CXTPResizeItem&) = delete;
    CXTPResizeItem& operator=(const CXTPResizeItem&) = delete;
    // A temporary wrapper made by the engine is detached from its handle and deleted.
    virtual ~CXTPResizeItem();

    // Group boxes become transparent so the controls they frame show through after a move.
    virtual void PrepareItem(CXTPResize* resize);

    bool m_bRepaint = false;       // invalidated after every pass
    bool m_bOwnsWindow = false;
    bool m_bPositioned = false;    // moved at least once
    CWnd* m_pWnd = nullptr;
    CXTPResizeFactorRect m_factors;
    CXTPResizeFactorRect m_rect;         // where the control is now
    CXTPResizeFactorRect m_rectStart;    // where it was when registered

private:
    friend class CXTPResize;
    CXTPResizeFactorRect m_rectPending;    // this pass's target, taken over once it is applied
};

// The size gripper of a resizable dialog: shows the diagonal sizing cursor and never takes the
// focus, so tabbing and clicks in the corner leave the dialog's focus where it was.
class CXTPSizeIcon : public CScrollBar {
    DECLARE_DYNAMIC(CXTPSizeIcon)
public:
    CXTPSizeIcon();

protected:
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnSetFocus(CWnd* pOldWnd);

private:
    HCURSOR m_hCursor = nullptr;    // shared system cursor, not destroyed

    DECLARE_MESSAGE_MAP()
};

class CXTPResize {
public:
    enum : int {
        xtpResizeNoSizeIcon = 0x1,
        xtpResizeNoHorizontal = 0x2,    // the width stays the last laid-out width
        xtpResizeNoVertical = 0x4,      // likewise the height
        xtpResizeNoMinsize = 0x8,       // the initial size is not the smallest allowed
        xtpResizeNoClipChildren = 0x10,
        xtpResizeNoTransparentGroup = 0x20,
    };
    static constexpr int kSizeIconId = 0x7FFF;

    CXTPResize(CWnd* pHost, int nOptionFlags);
    CXTPResize(const CXTPResize&) = delete;
    CXTPResize& operator=(const CXTPResize&) = delete;
    virtual ~CXTPResize();

    // Takes the host's present client size as the start of the layout and drops every item.
    virtual void Init();
    // Moves every item by its factors times the size change since the last pass.
    virtual void Relayout();
    // Lets a derived host reserve part of its client area; the given size is what is laid out.
    virtual void AdjustClientSize(CSize& size);
    // Defers the move of one item; FALSE when DeferWindowPos failed (hdwp is then null).
    virtual BOOL MoveItem(HDWP& hdwp, CXTPResizeItem* pItem, float dx, float dy);

    void SetOptionFlags(int nFlags) { m_nOptionFlags |= nFlags; }
    int GetOptionFlags() const { return m_nOptionFlags; }

    // Registers a control (by handle, else the host's child with that id). Registering a control
    // that is already laid out adds the factors to the ones it has. FALSE when there is no such
    // window.
    BOOL SetControlAnchors(int nID, HWND hWnd, const CXTPResizeFactorRect& factors);
    BOOL SetControlAnchors(int nID, const CXTPResizeFactorRect& factors)
    {
        return SetControlAnchors(nID, nullptr, factors);
    }
    BOOL SetControlAnchors(int nID, const CXTPResizeFactorPoint& topLeft, const CXTPResizeFactorPoint& bottomRight)
    {
        return SetControlAnchors(nID, nullptr, {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
    }

    void RemoveAllItems();
    // Writes the host's placement as "WindowPlacement" into the program's profile section.
    BOOL SavePlacement(const wchar_t* lpszSection);

    // Tracking limits in client size; 0 leaves a direction unlimited.
    void SetMinSize(CSize size) { m_szMin = size; }
    void SetMaxSize(CSize size) { m_szMax = size; }

    const std::vector<std::unique_ptr<CXTPResizeItem>>& GetItems() const { return m_items; }

protected:
    // The host's WM_GETMINMAXINFO.
    void GetMinMaxInfo(MINMAXINFO* pMMI) const;

    int m_nOptionFlags = 0;
    CWnd* m_pHost = nullptr;    // not owned
    CSize m_szLast;
    CSize m_szInitial;
    CSize m_szMin;
    CSize m_szMax;
    CString m_strSection;
    CXTPSizeIcon m_scrollIcon;
    std::vector<std::unique_ptr<CXTPResizeItem>> m_items;

private:
    CSize ClientSize() const;
    // Moves the items with SetWindowPos one by one: the way out when a deferred pass failed.
    void MoveItemsDirectly();
};

// A dialog laid out by anchors, with tracking limits and a size gripper in its corner.
class CXTPResizeDialog : public CDialog, public CXTPResize {
    DECLARE_DYNCREATE(CXTPResizeDialog)
public:
    CXTPResizeDialog();
    explicit CXTPResizeDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr, int nOptionFlags = 0);

    // The placement is written to this profile section when the dialog is destroyed.
    void SetPlacementSection(const wchar_t* lpszSection) { m_strSection = lpszSection ? lpszSection : L""; }

protected:
    BOOL OnInitDialog() override;

    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnDestroy();

    UINT m_nDialogID = 0;

    DECLARE_MESSAGE_MAP()
};
