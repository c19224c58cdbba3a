#include "toolkit/foundation/XTPAccessible.h"

namespace {

template <class Fn>
Fn AsEntry(FARPROC address)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

} // namespace

CXTPAccessible::~CXTPAccessible()
{
    if (m_hOleacc && m_hOleacc != kUnavailable)
        ::FreeLibrary(m_hOleacc);
}

// ---- hooks ---------------------------------------------------------------------------------------

HRESULT CXTPAccessible::get_accParent(IDispatch**)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accChildCount(long*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accChild(VARIANT, IDispatch**)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accName(VARIANT, BSTR*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accValue(VARIANT, BSTR*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accDescription(VARIANT, BSTR*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accRole(VARIANT, VARIANT*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accState(VARIANT, VARIANT*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accHelp(VARIANT, BSTR*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accHelpTopic(BSTR*, VARIANT, long*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::get_accKeyboardShortcut(VARIANT, BSTR*)
{
    return E_NOTIMPL;
}

// S_FALSE: "no object has the focus" is an answer, unlike "not implemented".
HRESULT CXTPAccessible::get_accFocus(VARIANT*)
{
    return S_FALSE;
}

HRESULT CXTPAccessible::get_accSelection(VARIANT*)
{
    return S_FALSE;
}

HRESULT CXTPAccessible::get_accDefaultAction(VARIANT, BSTR*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::accSelect(long, VARIANT)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::accLocation(long*, long*, long*, long*, VARIANT)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::accNavigate(long, VARIANT, VARIANT*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::accHitTest(long, long, VARIANT*)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::accDoDefaultAction(VARIANT)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::put_accName(VARIANT, BSTR)
{
    return E_NOTIMPL;
}

HRESULT CXTPAccessible::put_accValue(VARIANT, BSTR)
{
    return E_NOTIMPL;
}

CCmdTarget* CXTPAccessible::GetCmdTarget()
{
    return nullptr;
}

// ---- system entries ------------------------------------------------------------------------------

void CXTPAccessible::RaiseWinEvent(DWORD event, HWND window, LONG objectId, LONG childId)
{
    if (m_hUser32 == kUnavailable)
        return;
    if (!m_pNotifyWinEvent) {
        // user32 is loaded in every process with windows; it is found, never loaded or freed.
        m_hUser32 = ::GetModuleHandleW(m_user32Name);
        if (m_hUser32)
            m_pNotifyWinEvent = AsEntry<NotifyWinEventFn>(::GetProcAddress(m_hUser32, "NotifyWinEvent"));
        if (!m_pNotifyWinEvent) {
            m_hUser32 = kUnavailable;
            return;
        }
    }
    m_pNotifyWinEvent(event, window, objectId, childId);
}

FARPROC CXTPAccessible::OleaccEntry(FARPROC& slot, const char* exportName)
{
    if (slot || m_hOleacc == kUnavailable)
        return slot;
    if (!m_hOleacc) {
        m_hOleacc = ::LoadLibraryW(m_oleaccName);
        if (!m_hOleacc) {
            m_hOleacc = kUnavailable;
            return nullptr;
        }
    }
    slot = ::GetProcAddress(m_hOleacc, exportName);
    if (!slot) {
        // A library without the export is not the one these calls expect: give up on both.
        ::FreeLibrary(m_hOleacc);
        m_hOleacc = kUnavailable;
        m_pLresultFromObject = nullptr;
        m_pAccessibleObjectFromWindow = nullptr;
    }
    return slot;
}

HRESULT CXTPAccessible::GetWindowAccessibleObject(HWND window, LONG objectId, REFIID iid, void** object)
{
    const auto fn = AsEntry<AccessibleObjectFromWindowFn>(
        OleaccEntry(m_pAccessibleObjectFromWindow, "AccessibleObjectFromWindow"));
    if (!fn) {
        if (object)
            *object = nullptr;
        return E_FAIL;
    }
    return fn(window, static_cast<DWORD>(objectId), iid, object);
}

LRESULT CXTPAccessible::MakeGetObjectResult(REFIID iid, WPARAM wParam, IUnknown* object)
{
    const auto fn = AsEntry<LresultFromObjectFn>(OleaccEntry(m_pLresultFromObject, "LresultFromObject"));
    if (!fn)
        return E_FAIL;
    return fn(iid, wParam, object);
}

long CXTPAccessible::ChildIdFromVariant(const VARIANT* variant)
{
    // One by-reference hop at most: a VARIANT may point at itself, and a longer chain is no
    // child id any client sends.
    for (int hops = 0; variant && hops < 2; ++hops) {
        switch (variant->vt) {
        case VT_EMPTY:
            return 0;
        case VT_I2:
            return variant->iVal;
        case VT_I4:
            return variant->lVal;
        case VT_BYREF | VT_I2:
            return variant->piVal ? *variant->piVal : -1;
        case VT_BYREF | VT_I4:
            return variant->plVal ? *variant->plVal : -1;
        case VT_BYREF | VT_VARIANT:
            if (hops > 0)
                return -1;
            variant = variant->pvarVal;
            break;
        default:
            return -1;
        }
    }
    return -1;
}

// ---- the COM object ------------------------------------------------------------------------------

STDMETHODIMP_(ULONG) CXTPAccessible::XAccessible::AddRef()
{
    METHOD_PROLOGUE(CXTPAccessible, Accessible)
    CCmdTarget* target = pThis->GetCmdTarget();
    return target ? target->ExternalAddRef() : 1;
}

STDMETHODIMP_(ULONG) CXTPAccessible::XAccessible::Release()
{
    METHOD_PROLOGUE(CXTPAccessible, Accessible)
    CCmdTarget* target = pThis->GetCmdTarget();
    return target ? target->ExternalRelease() : 1;
}

STDMETHODIMP CXTPAccessible::XAccessible::QueryInterface(REFIID iid, void** ppvObj)
{
    METHOD_PROLOGUE(CXTPAccessible, Accessible)
    if (!ppvObj)
        return E_POINTER;
    *ppvObj = nullptr;
    CCmdTarget* target = pThis->GetCmdTarget();
    if (target && target->ExternalQueryInterface(&iid, ppvObj) == S_OK)
        return S_OK;
    // An owner whose interface table does not list this object: its own interfaces are still
    // this object's, or a client holding IAccessible could not ask for it again (a COM rule).
    // (IUnknown gets here only when the owner's table is empty.)
    const bool own = ::IsEqualIID(iid, __uuidof(IAccessible)) || ::IsEqualIID(iid, IID_IDispatch) ||
                     ::IsEqualIID(iid, IID_IUnknown);
    if (!own)
        return E_NOINTERFACE;
    *ppvObj = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CXTPAccessible::XAccessible::GetTypeInfoCount(UINT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CXTPAccessible::XAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

STDMETHODIMP CXTPAccessible::XAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CXTPAccessible::XAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                                 EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

// Each IAccessible call goes unchanged to the owner's hook of the same name.
#define XTP_FORWARD_ACCESSIBLE(method, params, args) \
    STDMETHODIMP CXTPAccessible::XAccessible::method params \
    {                                                     \
        METHOD_PROLOGUE(CXTPAccessible, Accessible)       \
        return pThis->method args;                        \
    }

XTP_FORWARD_ACCESSIBLE(get_accParent, (IDispatch** parent), (parent))
XTP_FORWARD_ACCESSIBLE(get_accChildCount, (long* count), (count))
XTP_FORWARD_ACCESSIBLE(get_accChild, (VARIANT childId, IDispatch** child), (childId, child))
XTP_FORWARD_ACCESSIBLE(get_accName, (VARIANT childId, BSTR* name), (childId, name))
XTP_FORWARD_ACCESSIBLE(get_accValue, (VARIANT childId, BSTR* value), (childId, value))
XTP_FORWARD_ACCESSIBLE(get_accDescription, (VARIANT childId, BSTR* description), (childId, description))
XTP_FORWARD_ACCESSIBLE(get_accRole, (VARIANT childId, VARIANT* role), (childId, role))
XTP_FORWARD_ACCESSIBLE(get_accState, (VARIANT childId, VARIANT* state), (childId, state))
XTP_FORWARD_ACCESSIBLE(get_accHelp, (VARIANT childId, BSTR* help), (childId, help))
XTP_FORWARD_ACCESSIBLE(get_accHelpTopic, (BSTR* helpFile, VARIANT childId, long* topic),
                       (helpFile, childId, topic))
XTP_FORWARD_ACCESSIBLE(get_accKeyboardShortcut, (VARIANT childId, BSTR* shortcut), (childId, shortcut))
XTP_FORWARD_ACCESSIBLE(get_accFocus, (VARIANT* child), (child))
XTP_FORWARD_ACCESSIBLE(get_accSelection, (VARIANT* children), (children))
XTP_FORWARD_ACCESSIBLE(get_accDefaultAction, (VARIANT childId, BSTR* action), (childId, action))
XTP_FORWARD_ACCESSIBLE(accSelect, (long flags, VARIANT childId), (flags, childId))
XTP_FORWARD_ACCESSIBLE(accLocation, (long* left, long* top, long* width, long* height, VARIANT childId),
                       (left, top, width, height, childId))
XTP_FORWARD_ACCESSIBLE(accNavigate, (long direction, VARIANT start, VARIANT* end), (direction, start, end))
XTP_FORWARD_ACCESSIBLE(accHitTest, (long left, long top, VARIANT* child), (left, top, child))
XTP_FORWARD_ACCESSIBLE(accDoDefaultAction, (VARIANT childId), (childId))
XTP_FORWARD_ACCESSIBLE(put_accName, (VARIANT childId, BSTR name), (childId, name))
XTP_FORWARD_ACCESSIBLE(put_accValue, (VARIANT childId, BSTR value), (childId, value))

#undef XTP_FORWARD_ACCESSIBLE
