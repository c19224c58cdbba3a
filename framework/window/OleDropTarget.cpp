#include "framework/window/OleDropTarget.h"

#include "framework/window/Wnd.h"

#include <ole2.h>

#include <cstring>

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const
{
    if (!m_lpDataObject)
        return FALSE;
    FORMATETC etc = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return m_lpDataObject->QueryGetData(&etc) == S_OK;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT format) const
{
    if (!m_lpDataObject)
        return nullptr;
    FORMATETC etc = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(m_lpDataObject->GetData(&etc, &medium)) || medium.tymed != TYMED_HGLOBAL)
        return nullptr;
    // The medium belongs to the data object's release: hand the caller a copy of its own.
    HGLOBAL copy = nullptr;
    const SIZE_T size = ::GlobalSize(medium.hGlobal);
    if (const void* source = ::GlobalLock(medium.hGlobal)) {
        copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
        if (void* target = copy ? ::GlobalLock(copy) : nullptr) {
            std::memcpy(target, source, size);
            ::GlobalUnlock(copy);
        }
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return copy;
}

IMPLEMENT_DYNAMIC(COleDropTarget, CCmdTarget)

BEGIN_INTERFACE_MAP(COleDropTarget, CCmdTarget)
    INTERFACE_PART(COleDropTarget, IID_IDropTarget, DropTarget)
END_INTERFACE_MAP()

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

BOOL COleDropTarget::Register(CWnd* pWnd)
{
    if (m_hWnd || !pWnd || !pWnd->m_hWnd)
        return FALSE;
    if (FAILED(::RegisterDragDrop(pWnd->m_hWnd, &m_xDropTarget)))
        return FALSE;
    m_hWnd = pWnd->m_hWnd;
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (!m_hWnd)
        return;
    ::RevokeDragDrop(m_hWnd);
    m_hWnd = nullptr;
    if (m_lpDataObject) {
        m_lpDataObject->Release();
        m_lpDataObject = nullptr;
    }
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
void COleDropTarget::OnDragLeave(CWnd*) {}
BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint) { return FALSE; }

CPoint COleDropTarget::ClientPoint(POINTL pt) const
{
    POINT point = {pt.x, pt.y};
    ::ScreenToClient(m_hWnd, &point);
    return CPoint(point);
}

// The COM side: the count is the object's own (External*), the events go to the virtuals.

ULONG COleDropTarget::XDropTarget::AddRef()
{
    METHOD_PROLOGUE(COleDropTarget, DropTarget)
    return pThis->ExternalAddRef();
}

ULONG COleDropTarget::XDropTarget::Release()
{
    METHOD_PROLOGUE(COleDropTarget, DropTarget)
    return pThis->ExternalRelease();
}

HRESULT COleDropTarget::XDropTarget::QueryInterface(REFIID iid, void** ppvObj)
{
    METHOD_PROLOGUE(COleDropTarget, DropTarget)
    return static_cast<HRESULT>(pThis->ExternalQueryInterface(&iid, ppvObj));
}

HRESULT COleDropTarget::XDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect)
{
    METHOD_PROLOGUE(COleDropTarget, DropTarget)
    if (!effect)
        return E_INVALIDARG;
    if (pThis->m_lpDataObject)
        pThis->m_lpDataObject->Release();
    pThis->m_lpDataObject = data;
    if (data)
        data->AddRef();
    COleDataObject dataObject(data);
    *effect = pThis->OnDragEnter(CWnd::FromHandle(pThis->m_hWnd), &dataObject, keyState, pThis->ClientPoint(pt));
    return S_OK;
}

HRESULT COleDropTarget::XDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD* effect)
{
    METHOD_PROLOGUE(COleDropTarget, DropTarget)
    if (!effect)
        return E_INVALIDARG;
    COleDataObject dataObject(pThis->m_lpDataObject);
    *effect = pThis->OnDragOver(CWnd::FromHandle(pThis->m_hWnd), &dataObject, keyState, pThis->ClientPoint(pt));
    return S_OK;
}

HRESULT COleDropTarget::XDropTarget::DragLeave()
{
    METHOD_PROLOGUE(COleDropTarget, DropTarget)
    pThis->OnDragLeave(CWnd::FromHandle(pThis->m_hWnd));
    if (pThis->m_lpDataObject) {
        pThis->m_lpDataObject->Release();
        pThis->m_lpDataObject = nullptr;
    }
    return S_OK;
}

HRESULT COleDropTarget::XDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect)
{
    METHOD_PROLOGUE(COleDropTarget, DropTarget)
    if (!effect)
        return E_INVALIDARG;
    COleDataObject dataObject(data);
    CWnd* pWnd = CWnd::FromHandle(pThis->m_hWnd);
    const CPoint point = pThis->ClientPoint(pt);
    // The drop offers what the last DragOver would have answered.
    const DROPEFFECT offered = pThis->OnDragOver(pWnd, &dataObject, keyState, point) & *effect;
    *effect = offered != DROPEFFECT_NONE && pThis->OnDrop(pWnd, &dataObject, offered, point) ? offered
                                                                                              : DROPEFFECT_NONE;
    if (pThis->m_lpDataObject) {
        pThis->m_lpDataObject->Release();
        pThis->m_lpDataObject = nullptr;
    }
    return S_OK;
}
