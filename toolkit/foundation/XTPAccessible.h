#pragma once
// CXTPAccessible: gives a toolkit object an IAccessible interface without linking "oleacc.dll".
//
// The mix-in sits beside the framework's command target in a toolkit class (a bar, a control, a
// pane). Its nested COM object, m_xAccessible, forwards each of the 21 IAccessible calls to the
// overridable hook of the same name; a hook the class does not override answers E_NOTIMPL
// (get_accFocus and get_accSelection: S_FALSE, "nothing"). IUnknown goes to the owning command
// target, which GetCmdTarget names: its reference count keeps the object alive and its interface
// table answers QueryInterface. The owner lists the object in its table as
//
//     INTERFACE_PART(CMyBar, __uuidof(IAccessible), Accessible)
//
// and an owner that forgets the entry still hands out IAccessible and IDispatch (see
// XAccessible::QueryInterface).
//
// The system side is bound on first use: NotifyWinEvent from the already loaded user32, and
// AccessibleObjectFromWindow and LresultFromObject from oleacc, which the object loads itself and
// frees in its destructor. A library or export that is missing is remembered (-1) and never
// asked for again; the calls then do nothing or answer E_FAIL. User-interface thread only.

#include "framework/CmdTarget.h"

#include <oleacc.h>

class CXTPAccessible {
public:
    CXTPAccessible() = default;
    CXTPAccessible(const CXTPAccessible&) = delete;
    CXTPAccessible& operator=(const CXTPAccessible&) = delete;
    virtual ~CXTPAccessible();

    // The hooks, named and shaped as the IAccessible calls that reach them (childId is the
    // VARIANT the client passed).
    virtual HRESULT get_accParent(IDispatch** parent);
    virtual HRESULT get_accChildCount(long* count);
    virtual HRESULT get_accChild(VARIANT childId, IDispatch** child);
    virtual HRESULT get_accName(VARIANT childId, BSTR* name);
    virtual HRESULT get_accValue(VARIANT childId, BSTR* value);
    virtual HRESULT get_accDescription(VARIANT childId, BSTR* description);
    virtual HRESULT get_accRole(VARIANT childId, VARIANT* role);
    virtual HRESULT get_accState(VARIANT childId, VARIANT* state);
    virtual HRESULT get_accHelp(VARIANT childId, BSTR* help);
    virtual HRESULT get_accHelpTopic(BSTR* helpFile, VARIANT childId, long* topic);
    virtual HRESULT get_accKeyboardShortcut(VARIANT childId, BSTR* shortcut);
    virtual HRESULT get_accFocus(VARIANT* child);
    virtual HRESULT get_accSelection(VARIANT* children);
    virtual HRESULT get_accDefaultAction(VARIANT childId, BSTR* action);
    virtual HRESULT accSelect(long flags, VARIANT childId);
    virtual HRESULT accLocation(long* left, long* top, long* width, long* height, VARIANT childId);
    virtual HRESULT accNavigate(long direction, VARIANT start, VARIANT* end);
    virtual HRESULT accHitTest(long left, long top, VARIANT* child);
    virtual HRESULT accDoDefaultAction(VARIANT childId);
    virtual HRESULT put_accName(VARIANT childId, BSTR name);
    virtual HRESULT put_accValue(VARIANT childId, BSTR value);
    // The command target that owns this object; every class that uses the mix-in answers it.
    virtual CCmdTarget* GetCmdTarget();

    // NotifyWinEvent(event, window, objectId, childId) when user32 offers it; nothing otherwise.
    void RaiseWinEvent(DWORD event, HWND window, LONG objectId, LONG childId);
    // AccessibleObjectFromWindow through oleacc; E_FAIL when it is not available.
    HRESULT GetWindowAccessibleObject(HWND window, LONG objectId, REFIID iid, void** object);
    // LresultFromObject through oleacc, the answer to WM_GETOBJECT; E_FAIL when not available.
    LRESULT MakeGetObjectResult(REFIID iid, WPARAM wParam, IUnknown* object);
    // The IAccessible interface of this object (no reference added).
    IAccessible* GetAccessible() { return &m_xAccessible; }

    // The module fields: null until first asked, kUnavailable when the library or its export is
    // missing.
    static inline const HMODULE kUnavailable = reinterpret_cast<HMODULE>(static_cast<INT_PTR>(-1));
    HMODULE GetUser32Module() const { return m_hUser32; }
    HMODULE GetOleaccModule() const { return m_hOleacc; }

    // The integer child id of an IAccessible call's VARIANT: VT_EMPTY 0 (the object itself),
    // VT_I2 and VT_I4 their value, by-reference VT_I2 and VT_I4 the value pointed to, a
    // by-reference VARIANT the id of the VARIANT it points to. -1 for anything else: a null
    // pointer at any level, a by-reference VARIANT that points at another one (followed one level
    // only, so a VARIANT that points at itself cannot loop), and every other type.
    static long ChildIdFromVariant(const VARIANT* variant);

    // The nested COM object; public so that owners' interface tables can reach it.
    BEGIN_INTERFACE_PART(Accessible, IAccessible)
        STDMETHOD(GetTypeInfoCount)(UINT* count) override;
        STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
        STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
        STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                          VARIANT* result, EXCEPINFO* exception, UINT* argError) override;
        STDMETHOD(get_accParent)(IDispatch** parent) override;
        STDMETHOD(get_accChildCount)(long* count) override;
        STDMETHOD(get_accChild)(VARIANT childId, IDispatch** child) override;
        STDMETHOD(get_accName)(VARIANT childId, BSTR* name) override;
        STDMETHOD(get_accValue)(VARIANT childId, BSTR* value) override;
        STDMETHOD(get_accDescription)(VARIANT childId, BSTR* description) override;
        STDMETHOD(get_accRole)(VARIANT childId, VARIANT* role) override;
        STDMETHOD(get_accState)(VARIANT childId, VARIANT* state) override;
        STDMETHOD(get_accHelp)(VARIANT childId, BSTR* help) override;
        STDMETHOD(get_accHelpTopic)(BSTR* helpFile, VARIANT childId, long* topic) override;
        STDMETHOD(get_accKeyboardShortcut)(VARIANT childId, BSTR* shortcut) override;
        STDMETHOD(get_accFocus)(VARIANT* child) override;
        STDMETHOD(get_accSelection)(VARIANT* children) override;
        STDMETHOD(get_accDefaultAction)(VARIANT childId, BSTR* action) override;
        STDMETHOD(accSelect)(long flags, VARIANT childId) override;
        STDMETHOD(accLocation)(long* left, long* top, long* width, long* height, VARIANT childId) override;
        STDMETHOD(accNavigate)(long direction, VARIANT start, VARIANT* end) override;
        STDMETHOD(accHitTest)(long left, long top, VARIANT* child) override;
        STDMETHOD(accDoDefaultAction)(VARIANT childId) override;
        STDMETHOD(put_accName)(VARIANT childId, BSTR name) override;
        STDMETHOD(put_accValue)(VARIANT childId, BSTR value) override;
    END_INTERFACE_PART(Accessible)

protected:
    // The libraries asked; a test points them at a library without the exports to play a system
    // that lacks them.
    const wchar_t* m_user32Name = L"user32.dll";
    const wchar_t* m_oleaccName = L"oleacc.dll";

private:
    // An oleacc entry, bound on first use: loads the library when this object has not yet, and
    // gives up on the library (freed, marked unavailable, both entries cleared) when it lacks the
    // export. Null when unavailable.
    FARPROC OleaccEntry(FARPROC& slot, const char* exportName);

    using NotifyWinEventFn = void(WINAPI*)(DWORD, HWND, LONG, LONG);
    using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

    NotifyWinEventFn m_pNotifyWinEvent = nullptr;
    FARPROC m_pLresultFromObject = nullptr;            // LresultFromObjectFn
    FARPROC m_pAccessibleObjectFromWindow = nullptr;   // AccessibleObjectFromWindowFn
    HMODULE m_hUser32 = nullptr;   // not owned; kUnavailable when NotifyWinEvent is missing
    HMODULE m_hOleacc = nullptr;   // owned while neither null nor kUnavailable
};
