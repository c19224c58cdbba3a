#include "framework/CmdTarget.h"

#include "framework/CmdUI.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

// CCmdTarget ends both chains: its tables are empty and have no base.
const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_INTERFACEMAP* CCmdTarget::GetThisInterfaceMap()
{
    static const AFX_INTERFACEMAP_ENTRY entries[] = {{nullptr, nullptr}};
    static const AFX_INTERFACEMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_INTERFACEMAP* CCmdTarget::GetInterfaceMap() const
{
    return GetThisInterfaceMap();
}

// ---- reference counting ----------------------------------------------------------------------------

DWORD CCmdTarget::InternalAddRef()
{
    return static_cast<DWORD>(::InterlockedIncrement(&m_dwRef));
}

DWORD CCmdTarget::InternalRelease()
{
    const LONG count = ::InterlockedDecrement(&m_dwRef);
    if (count == 0)
        OnFinalRelease();
    return static_cast<DWORD>(count);
}

DWORD CCmdTarget::ExternalAddRef()
{
    return InternalAddRef();
}

DWORD CCmdTarget::ExternalRelease()
{
    return InternalRelease();
}

void CCmdTarget::OnFinalRelease()
{
    delete this;
}

IUnknown* CCmdTarget::GetInterface(const void* iid)
{
    if (!iid)
        return nullptr;
    const IID& wanted = *static_cast<const IID*>(iid);
    const bool anyOne = ::IsEqualIID(wanted, IID_IUnknown);
    // The most derived table is asked first, so a subclass can answer an interface that its base
    // also offers; IUnknown is answered by the first entry found.
    for (const AFX_INTERFACEMAP* map = GetInterfaceMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_INTERFACEMAP_ENTRY* entry = map->pEntry; entry->piid; ++entry) {
            if (anyOne || ::IsEqualIID(wanted, *entry->piid))
                return entry->pfnGet(this);
        }
    }
    return nullptr;
}

DWORD CCmdTarget::InternalQueryInterface(const void* iid, void** ppvObj)
{
    if (!ppvObj)
        return static_cast<DWORD>(E_POINTER);
    IUnknown* unknown = GetInterface(iid);
    *ppvObj = unknown;
    if (!unknown)
        return static_cast<DWORD>(E_NOINTERFACE);
    ExternalAddRef();
    return S_OK;
}

DWORD CCmdTarget::ExternalQueryInterface(const void* iid, void** ppvObj)
{
    return InternalQueryInterface(iid, ppvObj);
}

// ---- command routing -------------------------------------------------------------------------------

const AFX_MSGMAP_ENTRY* CCmdTarget::FindCommandEntry(UINT nID, UINT nMessage, UINT nCode) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != AfxSig_end; ++entry) {
            switch (entry->nSig) {
            case AfxSig_cmd:
            case AfxSig_cmdEx:
            case AfxSig_cmdUI:
            case AfxSig_notify:
            case AfxSig_notifyEx:
                break;
            default:
                continue;
            }
            if (entry->nMessage == nMessage && entry->nCode == nCode && nID >= entry->nID &&
                nID <= entry->nLastID)
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::DispatchCmdEntry(CCmdTarget* target, const AFX_MSGMAP_ENTRY* entry, UINT nID,
                                  UINT nMessage, UINT nCode, void* pExtra)
{
    AFX_MSGCALL call;
    call.message = nMessage;
    call.nID = nID;
    call.nCode = nCode;
    call.pExtra = pExtra;
    if (entry->nSig == AfxSig_cmdUI) {
        // A handler that calls ContinueRouting has not finished the update: the caller goes on
        // to the next target as if this one had no handler.
        CCmdUI* ui = static_cast<CCmdUI*>(pExtra);
        ui->m_bContinueRouting = FALSE;
        entry->pfn(target, call);
        const BOOL handled = !ui->m_bContinueRouting;
        ui->m_bContinueRouting = FALSE;
        return handled;
    }
    const LRESULT result = entry->pfn(target, call);
    switch (entry->nSig) {
    case AfxSig_cmdEx:
    case AfxSig_notifyEx:
        return result != 0;
    default:
        return TRUE;
    }
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    UINT message;
    UINT code;
    if (nCode == CN_UPDATE_COMMAND_UI) {
        message = WM_COMMAND;
        code = 0xFFFF;
    } else {
        message = HIWORD(static_cast<UINT>(nCode));
        code = LOWORD(static_cast<UINT>(nCode));
        if (message == 0)
            message = WM_COMMAND;
    }
    const AFX_MSGMAP_ENTRY* entry = FindCommandEntry(nID, message, code);
    if (!entry)
        return FALSE;
    if (pHandlerInfo) {
        // A query: say where the handler is and run nothing.
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = entry;
        return TRUE;
    }
    return DispatchCmdEntry(this, entry, nID, message, code, pExtra);
}
