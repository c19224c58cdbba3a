#pragma once
// CCmdTarget: the base of everything that receives commands or lends out COM interfaces.
//
// Message tables. A class declares DECLARE_MESSAGE_MAP() and lists its entries between
// BEGIN_MESSAGE_MAP(theClass, baseClass) and END_MESSAGE_MAP() in one source file. Each table is a
// function-local static array chained to the base class's table, so lookups walk from the most
// derived class to CCmdTarget and the first matching entry wins. Every entry carries a small
// thunk (a captureless lambda written by the entry macro) that unpacks the message and calls the
// member handler with its typed arguments; the compiler checks the handler's signature where the
// entry is written. This file has the command entries; the window entries live in Wnd.h.
//
// Command routing: OnCmdMsg(id, code, extra, handlerInfo) looks the command up in the table.
// code packs the message in the high word (0 means WM_COMMAND) and the notification code in the
// low word; CN_COMMAND and CN_UPDATE_COMMAND_UI are the two codes of menu and toolbar commands.
// With a handler-info argument OnCmdMsg only answers whether a handler exists and runs nothing.
//
// Reference counting: the count starts at 1. The release that takes it to 0 calls OnFinalRelease,
// which deletes the object. COM objects nested in a command target (BEGIN_INTERFACE_PART) forward
// their IUnknown calls to the External* functions, and the interface table (BEGIN_INTERFACE_MAP)
// answers their QueryInterface.

#include "framework/Object.h"

#include <unknwn.h>

class CCmdTarget;
class CCmdUI;

// ---- command codes -------------------------------------------------------------------------------

enum : int {
    CN_COMMAND = 0,              // a menu, accelerator or button command
    CN_UPDATE_COMMAND_UI = -1,   // a CCmdUI asks for the command's state
};

// Reflected messages: a parent hands a control's notification back to the control's own object
// under this offset before it looks at its own table (WM_REFLECT_BASE + WM_NOTIFY and so on).
constexpr UINT WM_REFLECT_BASE = 0xBC00;

// The private messages of the framework's idle and modal processing.
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;   // wParam TRUE: disable commands without handler
constexpr UINT WM_KICKIDLE = 0x036A;          // sent by a modal loop when it runs out of messages

// ---- message table -------------------------------------------------------------------------------

// How a table entry is matched and called.
enum AfxSig : UINT {
    AfxSig_end = 0,        // end of a table
    AfxSig_msg,            // a window message (reflected ones included): nMessage
    AfxSig_registered,     // a registered window message: *pnRegistered
    AfxSig_cmd,            // a command: nMessage/nCode/nID..nLastID; the handler runs, handled
    AfxSig_cmdEx,          // the same, but the handler answers whether it handled the command
    AfxSig_cmdUI,          // an update request (CCmdUI* in extra)
    AfxSig_notify,         // WM_NOTIFY (AFX_NOTIFY* in extra); handled
    AfxSig_notifyEx,       // WM_NOTIFY whose handler answers whether it handled it
};

// The notification of a WM_NOTIFY command: the header and where the handler puts its answer.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// What a thunk gets: the message, its arguments and, for commands, the unpacked parts.
struct AFX_MSGCALL {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UINT nID = 0;             // commands: the id
    UINT nCode = 0;           // commands: the notification code (low word)
    void* pExtra = nullptr;   // commands: CCmdUI*, AFX_NOTIFY* or nothing
    BOOL handled = TRUE;      // a thunk clears it when its handler declined the message
};

typedef LRESULT (*AFX_PMSGTHUNK)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;              // low word of the notification code
    UINT nID;
    UINT nLastID;
    UINT nSig;               // an AfxSig
    const UINT* pnRegistered;    // AfxSig_registered: the variable holding the message number
    AFX_PMSGTHUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The answer of a handler query: the object whose table holds the handler, and its entry.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget = nullptr;
    const AFX_MSGMAP_ENTRY* pEntry = nullptr;
};

#define DECLARE_MESSAGE_MAP()                                 \
protected:                                                    \
    static const AFX_MSGMAP* GetThisMessageMap();             \
    virtual const AFX_MSGMAP* GetMessageMap() const;          \
                                                              \
private:

#define TARNWICK_BEGIN_MESSAGE_MAP_BODY(baseClass)             \
    typedef baseClass TheBaseClass;                            \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                   \
    {                                                                                 \
        [[maybe_unused]] typedef theClass ThisClass;                                                 \
        TARNWICK_BEGIN_MESSAGE_MAP_BODY(baseClass)

// For class templates: BEGIN_TEMPLATE_MESSAGE_MAP(CMyBase, TBase, TBase) in the header.
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, type_name, baseClass)                   \
    template <typename type_name>                                                     \
    const AFX_MSGMAP* theClass<type_name>::GetMessageMap() const                      \
    {                                                                                 \
        return GetThisMessageMap();                                                   \
    }                                                                                 \
    template <typename type_name>                                                     \
    const AFX_MSGMAP* theClass<type_name>::GetThisMessageMap()                        \
    {                                                                                 \
        [[maybe_unused]] typedef theClass<type_name> ThisClass;                                      \
        TARNWICK_BEGIN_MESSAGE_MAP_BODY(baseClass)

#define END_MESSAGE_MAP()                                                             \
        {0, 0, 0, 0, AfxSig_end, nullptr, nullptr}};                                  \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,       \
                                              &_messageEntries[0]};                   \
        return &messageMap;                                                           \
    }

// An entry whose thunk is the lambda body that follows (it sees `self` as ThisClass* and `call`).
#define TARNWICK_MSG_ENTRY(message, code, id, lastId, sig, registered, body)           \
    {static_cast<UINT>(message), static_cast<UINT>(code) & 0xFFFFu, static_cast<UINT>(id),    \
     static_cast<UINT>(lastId), sig, registered,                                       \
     [](CCmdTarget* target, AFX_MSGCALL& call) -> LRESULT {                            \
         ThisClass* self = static_cast<ThisClass*>(target);                            \
         (void)self;                                                                   \
         (void)call;                                                                   \
         body                                                                          \
     }},

// void memberFxn()
#define ON_COMMAND(id, memberFxn) \
    TARNWICK_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, id, AfxSig_cmd, nullptr, self->memberFxn(); return TRUE;)
// void memberFxn(UINT id)
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                  \
    TARNWICK_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, idLast, AfxSig_cmd, nullptr,                  \
                       self->memberFxn(call.nID); return TRUE;)
// BOOL memberFxn(UINT id): FALSE lets the command go on to the next target
#define ON_COMMAND_EX(id, memberFxn)                                                             \
    TARNWICK_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, id, AfxSig_cmdEx, nullptr,                    \
                       return self->memberFxn(call.nID);)
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn)                                               \
    TARNWICK_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, idLast, AfxSig_cmdEx, nullptr,                \
                       return self->memberFxn(call.nID);)
// void memberFxn(CCmdUI* pCmdUI)
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                      \
    TARNWICK_MSG_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, AfxSig_cmdUI, nullptr,          \
                       self->memberFxn(static_cast<CCmdUI*>(call.pExtra)); return TRUE;)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                        \
    TARNWICK_MSG_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, idLast, AfxSig_cmdUI, nullptr,      \
                       self->memberFxn(static_cast<CCmdUI*>(call.pExtra)); return TRUE;)
// A control's own update handler, asked before its parent's (void memberFxn(CCmdUI*)).
#define ON_UPDATE_COMMAND_UI_REFLECT(memberFxn)                                                  \
    TARNWICK_MSG_ENTRY(WM_COMMAND + WM_REFLECT_BASE, CN_UPDATE_COMMAND_UI, 0, 0, AfxSig_cmdUI,   \
                       nullptr, self->memberFxn(static_cast<CCmdUI*>(call.pExtra)); return TRUE;)

// ---- interface table -------------------------------------------------------------------------------

struct AFX_INTERFACEMAP_ENTRY {
    const IID* piid;                              // null ends the table
    IUnknown* (*pfnGet)(CCmdTarget* target);      // the nested object of that interface
};

struct AFX_INTERFACEMAP {
    const AFX_INTERFACEMAP* (*pfnGetBaseMap)();
    const AFX_INTERFACEMAP_ENTRY* pEntry;
};

#define DECLARE_INTERFACE_MAP()                               \
protected:                                                    \
    static const AFX_INTERFACEMAP* GetThisInterfaceMap();     \
    virtual const AFX_INTERFACEMAP* GetInterfaceMap() const;  \
                                                              \
private:

#define BEGIN_INTERFACE_MAP(theClass, baseClass)                                                 \
    const AFX_INTERFACEMAP* theClass::GetInterfaceMap() const { return GetThisInterfaceMap(); }  \
    const AFX_INTERFACEMAP* theClass::GetThisInterfaceMap()                                      \
    {                                                                                            \
        [[maybe_unused]] typedef theClass ThisClass;                                                            \
        typedef baseClass TheBaseClass;                                                          \
        static const AFX_INTERFACEMAP_ENTRY _interfaceEntries[] = {

#define INTERFACE_PART(theClass, iid, localClass)                                               \
    {&iid, [](CCmdTarget* target) -> IUnknown* {                                                \
         return reinterpret_cast<IUnknown*>(&static_cast<ThisClass*>(target)->m_x##localClass); \
     }},

#define END_INTERFACE_MAP()                                                                      \
        {nullptr, nullptr}};                                                                     \
        static const AFX_INTERFACEMAP interfaceMap = {&TheBaseClass::GetThisInterfaceMap,        \
                                                      &_interfaceEntries[0]};                    \
        return &interfaceMap;                                                                    \
    }

// A nested COM object m_x<localClass> implementing baseInterface; its IUnknown members forward to
// the outer object (METHOD_PROLOGUE finds it).
#define BEGIN_INTERFACE_PART(localClass, baseInterface)                                         \
    class X##localClass : public baseInterface {                                                \
    public:                                                                                     \
        STDMETHOD_(ULONG, AddRef)() override;                                                   \
        STDMETHOD_(ULONG, Release)() override;                                                  \
        STDMETHOD(QueryInterface)(REFIID iid, void** ppvObj) override;

#define END_INTERFACE_PART(localClass)  \
    } m_x##localClass;                  \
    friend class X##localClass;

// Inside a member of the nested class: pThis is the outer object.
#define METHOD_PROLOGUE(theClass, localClass)                                                    \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Winvalid-offsetof\"")     \
    theClass* pThis = reinterpret_cast<theClass*>(reinterpret_cast<BYTE*>(this) -               \
                                                  offsetof(theClass, m_x##localClass));         \
    _Pragma("GCC diagnostic pop") (void)pThis;

// ---- CCmdTarget ----------------------------------------------------------------------------------

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    ~CCmdTarget() override = default;

    // Counting. Internal* are the object's own count; External* are what its nested COM objects
    // forward to (the same count here: no aggregation). The call that takes the count to 0 runs
    // OnFinalRelease and answers 0.
    DWORD InternalAddRef();
    DWORD InternalRelease();
    DWORD ExternalAddRef();
    DWORD ExternalRelease();
    // The nested object for the interface (IID_IUnknown: the first one), with a reference added;
    // E_NOINTERFACE and a null pointer when the table has none.
    DWORD InternalQueryInterface(const void* iid, void** ppvObj);
    DWORD ExternalQueryInterface(const void* iid, void** ppvObj);
    // The nested object for the interface without a reference added; null when none.
    IUnknown* GetInterface(const void* iid);
    IUnknown* GetControllingUnknown() { return GetInterface(&IID_IUnknown); }
    // Called when the count falls to 0; deletes the object.
    virtual void OnFinalRelease();

    // Routes a command through this object's table; TRUE when a handler took it. See the top of
    // this file for code and handlerInfo.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // Finds the entry of this object's table chain that takes the command (null when none).
    const AFX_MSGMAP_ENTRY* FindCommandEntry(UINT nID, UINT nMessage, UINT nCode) const;

    volatile LONG m_dwRef = 1;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_INTERFACEMAP* GetThisInterfaceMap();
    virtual const AFX_INTERFACEMAP* GetInterfaceMap() const;

    // Calls one command entry: an update entry with the CCmdUI routing rules, the others through
    // their thunks. TRUE when the handler took the command.
    static BOOL DispatchCmdEntry(CCmdTarget* target, const AFX_MSGMAP_ENTRY* entry, UINT nID,
                                 UINT nMessage, UINT nCode, void* pExtra);
};
