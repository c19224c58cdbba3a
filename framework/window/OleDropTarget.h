#pragma once
// COleDropTarget: makes a window a target of OLE drag and drop. Register hands the system the
// object's IDropTarget for the window; the drag's events arrive as the virtual OnDragEnter,
// OnDragOver, OnDragLeave and OnDrop with the point in the window's client coordinates. The
// object must outlive its registration: Revoke (or the window's end) first.

#include "framework/CmdTarget.h"
#include "framework/Rect.h"

#include <oleidl.h>

class CWnd;

typedef DWORD DROPEFFECT;

// The data of a drag: a borrowed IDataObject (not owned, valid during the event).
class COleDataObject {
public:
    COleDataObject() = default;
    explicit COleDataObject(IDataObject* data) : m_lpDataObject(data) {}
    void Attach(IDataObject* data) { m_lpDataObject = data; }
    IDataObject* GetIDataObject() const { return m_lpDataObject; }
    BOOL IsDataAvailable(CLIPFORMAT format) const;
    // A copy of the data as global memory, or null; the caller frees it (GlobalFree).
    HGLOBAL GetGlobalData(CLIPFORMAT format) const;

    IDataObject* m_lpDataObject = nullptr;    // not owned
};

class COleDropTarget : public CCmdTarget {
    DECLARE_DYNAMIC(COleDropTarget)
public:
    COleDropTarget() = default;
    ~COleDropTarget() override;    // revokes a registration still in place

    // FALSE when the window is already registered or OLE is not initialised on the thread.
    BOOL Register(CWnd* pWnd);
    void Revoke();

    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual void OnDragLeave(CWnd* pWnd);
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);

    HWND m_hWnd = nullptr;    // the registered window; not owned

    BEGIN_INTERFACE_PART(DropTarget, IDropTarget)
        STDMETHOD(DragEnter)(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
        STDMETHOD(DragOver)(DWORD keyState, POINTL pt, DWORD* effect) override;
        STDMETHOD(DragLeave)() override;
        STDMETHOD(Drop)(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
    END_INTERFACE_PART(DropTarget)

    DECLARE_INTERFACE_MAP()

private:
    IDataObject* m_lpDataObject = nullptr;    // held between DragEnter and DragLeave or Drop
    // The point in client coordinates of the registered window.
    CPoint ClientPoint(POINTL pt) const;
};
