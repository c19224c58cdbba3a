#pragma once
// CResizeDialog: a dialog whose controls follow its size. Each anchored control keeps the rectangle
// it had when anchored; on WM_SIZE every edge moves by its factor times the change of the dialog's
// client size since then (left, top, right, bottom; 0 keeps an edge where it was, 1 moves it with
// the far side, 0.5 with the middle). Unanchored controls stay where the template put them.
//
// A top-level resizable dialog draws a size gripper in its bottom-right corner and answers it as
// the sizing corner; option kNoSizeGripper turns that off (panels inside a view have no gripper).

#include "framework/window/Dialog.h"

#include <vector>

class CResizeDialog : public CDialog {
    DECLARE_DYNAMIC(CResizeDialog)
public:
    enum : DWORD { kNoSizeGripper = 0x1 };

    CResizeDialog() = default;
    explicit CResizeDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr) : CDialog(nIDTemplate, pParentWnd) {}

    // Anchors the control with that id from its present place; anchoring it again replaces the
    // factors and takes its present place anew. FALSE when the dialog has no such control.
    BOOL SetControlAnchors(int nID, double left, double top, double right, double bottom);
    void SetOptionFlags(DWORD flags);
    DWORD GetOptionFlags() const { return m_options; }

protected:
    // Takes the client size that anchors measure from; derived classes anchor after calling it.
    BOOL OnInitDialog() override;

    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    LRESULT OnNcHitTest(CPoint point);

private:
    struct Anchor {
        int id;
        RECT start;     // in client coordinates of the dialog at its start size
        double left, top, right, bottom;
    };

    void MoveAnchored(int cx, int cy);
    bool ShowsGripper() const;
    RECT GripperRect() const;

    std::vector<Anchor> m_anchors;
    SIZE m_startSize{};     // client size when the dialog was initialised
    DWORD m_options = 0;

    DECLARE_MESSAGE_MAP()
};
