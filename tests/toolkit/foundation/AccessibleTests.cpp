// The accessibility mix-in without a window: child ids from VARIANTs, the COM object's calls
// reaching the hooks, IUnknown through the owning command target, and the optional libraries
// bound once and given up on when they lack their exports.

#include "toolkit/foundation/XTPAccessible.h"

#include "tests/toolkit/foundation/AccessibleTestObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

VARIANT Empty()
{
    VARIANT v;
    ::VariantInit(&v);
    return v;
}

VARIANT OfType(VARTYPE type)
{
    VARIANT v = Empty();
    v.vt = type;
    return v;
}

TEST(Accessible, ChildIdFromVariant)
{
    short shortValue = 12;
    long longValue = 34;
    VARIANT i4 = OfType(VT_I4);
    i4.lVal = 7;
    VARIANT i4ByNullRef = OfType(VT_BYREF | VT_I4);
    VARIANT i4ByRef = OfType(VT_BYREF | VT_I4);
    i4ByRef.plVal = &longValue;
    VARIANT toI4 = OfType(VT_BYREF | VT_VARIANT);
    toI4.pvarVal = &i4;
    VARIANT toI4ByRef = OfType(VT_BYREF | VT_VARIANT);
    toI4ByRef.pvarVal = &i4ByRef;
    VARIANT toI4ByNullRef = OfType(VT_BYREF | VT_VARIANT);
    toI4ByNullRef.pvarVal = &i4ByNullRef;
    VARIANT toEmpty = OfType(VT_BYREF | VT_VARIANT);
    VARIANT empty = Empty();
    toEmpty.pvarVal = &empty;
    VARIANT toNothing = OfType(VT_BYREF | VT_VARIANT);
    VARIANT toItself = OfType(VT_BYREF | VT_VARIANT);
    toItself.pvarVal = &toItself;
    VARIANT toToI4 = OfType(VT_BYREF | VT_VARIANT);
    toToI4.pvarVal = &toI4;

    struct Case {
        const char* name;
        VARIANT variant;
        long expected;
    };
    VARIANT i2 = OfType(VT_I2);
    i2.iVal = -3;
    VARIANT i2ByRef = OfType(VT_BYREF | VT_I2);
    i2ByRef.piVal = &shortValue;
    VARIANT bstr = OfType(VT_BSTR);
    VARIANT ui4 = OfType(VT_UI4);
    ui4.ulVal = 5;
    const Case cases[] = {
        {"empty: the object itself", Empty(), 0},
        {"VT_I2", i2, -3},
        {"VT_I4", i4, 7},
        {"by-reference VT_I2", i2ByRef, 12},
        {"by-reference VT_I2, null pointer", OfType(VT_BYREF | VT_I2), -1},
        {"by-reference VT_I4", i4ByRef, 34},
        {"by-reference VT_I4, null pointer", i4ByNullRef, -1},
        {"by-reference VARIANT holding VT_I4", toI4, 7},
        {"by-reference VARIANT holding a by-reference VT_I4", toI4ByRef, 34},
        {"by-reference VARIANT holding a null by-reference VT_I4", toI4ByNullRef, -1},
        {"by-reference VARIANT holding an empty one", toEmpty, 0},
        {"by-reference VARIANT, null pointer", toNothing, -1},
        {"two by-reference VARIANTs deep", toToI4, -1},
        {"VT_BSTR", bstr, -1},
        {"VT_UI4", ui4, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CXTPAccessible::ChildIdFromVariant(&c.variant)) << c.name;
    EXPECT_EQ(-1, CXTPAccessible::ChildIdFromVariant(&toItself)) << "a VARIANT that points at itself";
    EXPECT_EQ(-1, CXTPAccessible::ChildIdFromVariant(nullptr));
}

// Every IAccessible call, made through the interface with harmless arguments.
struct Call {
    const char* name;
    std::function<HRESULT(IAccessible*)> make;
};

std::vector<Call> AllCalls()
{
    const VARIANT self = Empty();
    return {
        {"get_accParent", [](IAccessible* a) { IDispatch* d = nullptr; return a->get_accParent(&d); }},
        {"get_accChildCount", [](IAccessible* a) { long n = 0; return a->get_accChildCount(&n); }},
        {"get_accChild", [self](IAccessible* a) { IDispatch* d = nullptr; return a->get_accChild(self, &d); }},
        {"get_accName", [self](IAccessible* a) { BSTR s = nullptr; return a->get_accName(self, &s); }},
        {"get_accValue", [self](IAccessible* a) { BSTR s = nullptr; return a->get_accValue(self, &s); }},
        {"get_accDescription", [self](IAccessible* a) { BSTR s = nullptr; return a->get_accDescription(self, &s); }},
        {"get_accRole", [self](IAccessible* a) { VARIANT v = Empty(); return a->get_accRole(self, &v); }},
        {"get_accState", [self](IAccessible* a) { VARIANT v = Empty(); return a->get_accState(self, &v); }},
        {"get_accHelp", [self](IAccessible* a) { BSTR s = nullptr; return a->get_accHelp(self, &s); }},
        {"get_accHelpTopic", [self](IAccessible* a) { BSTR s = nullptr; long t = 0; return a->get_accHelpTopic(&s, self, &t); }},
        {"get_accKeyboardShortcut", [self](IAccessible* a) { BSTR s = nullptr; return a->get_accKeyboardShortcut(self, &s); }},
        {"get_accFocus", [](IAccessible* a) { VARIANT v = Empty(); return a->get_accFocus(&v); }},
        {"get_accSelection", [](IAccessible* a) { VARIANT v = Empty(); return a->get_accSelection(&v); }},
        {"get_accDefaultAction", [self](IAccessible* a) { BSTR s = nullptr; return a->get_accDefaultAction(self, &s); }},
        {"accSelect", [self](IAccessible* a) { return a->accSelect(SELFLAG_TAKEFOCUS, self); }},
        {"accLocation", [self](IAccessible* a) { long l = 0, t = 0, w = 0, h = 0; return a->accLocation(&l, &t, &w, &h, self); }},
        {"accNavigate", [self](IAccessible* a) { VARIANT v = Empty(); return a->accNavigate(NAVDIR_NEXT, self, &v); }},
        {"accHitTest", [](IAccessible* a) { VARIANT v = Empty(); return a->accHitTest(1, 1, &v); }},
        {"accDoDefaultAction", [self](IAccessible* a) { return a->accDoDefaultAction(self); }},
        {"put_accName", [self](IAccessible* a) { return a->put_accName(self, nullptr); }},
        {"put_accValue", [self](IAccessible* a) { return a->put_accValue(self, nullptr); }},
    };
}

// Answers every hook with its own code, so that each call is seen to reach its own hook.
class CEveryHook : public CAccessibleTestObject {
public:
    std::vector<std::string> seen;
    long lastChild = -2;
#define XTP_TEST_HOOK(method, params, code)    \
    HRESULT method params override            \
    {                                         \
        seen.push_back(#method);              \
        return code;                          \
    }
    XTP_TEST_HOOK(get_accParent, (IDispatch**), 0x100)
    XTP_TEST_HOOK(get_accChildCount, (long*), 0x101)
    XTP_TEST_HOOK(get_accChild, (VARIANT, IDispatch**), 0x102)
    HRESULT get_accName(VARIANT child, BSTR*) override
    {
        seen.push_back("get_accName");
        lastChild = ChildIdFromVariant(&child);
        return 0x103;
    }
    XTP_TEST_HOOK(get_accValue, (VARIANT, BSTR*), 0x104)
    XTP_TEST_HOOK(get_accDescription, (VARIANT, BSTR*), 0x105)
    XTP_TEST_HOOK(get_accRole, (VARIANT, VARIANT*), 0x106)
    XTP_TEST_HOOK(get_accState, (VARIANT, VARIANT*), 0x107)
    XTP_TEST_HOOK(get_accHelp, (VARIANT, BSTR*), 0x108)
    XTP_TEST_HOOK(get_accHelpTopic, (BSTR*, VARIANT, long*), 0x109)
    XTP_TEST_HOOK(get_accKeyboardShortcut, (VARIANT, BSTR*), 0x10A)
    XTP_TEST_HOOK(get_accFocus, (VARIANT*), 0x10B)
    XTP_TEST_HOOK(get_accSelection, (VARIANT*), 0x10C)
    XTP_TEST_HOOK(get_accDefaultAction, (VARIANT, BSTR*), 0x10D)
    XTP_TEST_HOOK(accSelect, (long, VARIANT), 0x10E)
    XTP_TEST_HOOK(accLocation, (long*, long*, long*, long*, VARIANT), 0x10F)
    XTP_TEST_HOOK(accNavigate, (long, VARIANT, VARIANT*), 0x110)
    XTP_TEST_HOOK(accHitTest, (long, long, VARIANT*), 0x111)
    XTP_TEST_HOOK(accDoDefaultAction, (VARIANT), 0x112)
    XTP_TEST_HOOK(put_accName, (VARIANT, BSTR), 0x113)
    XTP_TEST_HOOK(put_accValue, (VARIANT, BSTR), 0x114)
#undef XTP_TEST_HOOK
};

TEST(Accessible, EachCallReachesItsHookAndTheDefaultsAnswerNotImplemented)
{
    const std::vector<Call> calls = AllCalls();
    ASSERT_EQ(21u, calls.size());

    auto* defaults = new CAccessibleTestObject;
    auto* hooked = new CEveryHook;
    for (size_t i = 0; i < calls.size(); ++i) {
        const std::string name = calls[i].name;
        const bool nothingYet = name == "get_accFocus" || name == "get_accSelection";
        EXPECT_EQ(nothingYet ? S_FALSE : E_NOTIMPL, calls[i].make(defaults->GetAccessible())) << name;
        EXPECT_EQ(static_cast<HRESULT>(0x100 + i), calls[i].make(hooked->GetAccessible())) << name;
        ASSERT_EQ(i + 1, hooked->seen.size());
        EXPECT_EQ(name, hooked->seen.back());
    }

    // The child id arrives as the client passed it.
    VARIANT child = OfType(VT_I4);
    child.lVal = 4;
    BSTR name = nullptr;
    hooked->GetAccessible()->get_accName(child, &name);
    EXPECT_EQ(4, hooked->lastChild);

    // No type information: the dispatch half of the interface is not implemented.
    IAccessible* accessible = defaults->GetAccessible();
    UINT count = 9;
    ITypeInfo* info = nullptr;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"accName")};
    EXPECT_EQ(E_NOTIMPL, accessible->GetTypeInfoCount(&count));
    EXPECT_EQ(E_NOTIMPL, accessible->GetTypeInfo(0, 0, &info));
    EXPECT_EQ(E_NOTIMPL, accessible->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    EXPECT_EQ(E_NOTIMPL, accessible->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr));

    defaults->InternalRelease();
    hooked->InternalRelease();
}

TEST(Accessible, IUnknownGoesThroughTheOwningCommandTarget)
{
    auto* owner = new CAccessibleTestObject;
    IAccessible* accessible = owner->GetAccessible();
    EXPECT_EQ(2u, accessible->AddRef()) << "the owner's count";
    EXPECT_EQ(2, owner->m_dwRef);
    EXPECT_EQ(1u, accessible->Release());

    // QueryInterface answers from the owner's interface table: IUnknown is the owner's
    // controlling unknown (here the accessible object, its table's only entry).
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, accessible->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(owner->GetControllingUnknown(), unknown);
    EXPECT_EQ(2, owner->m_dwRef);
    unknown->Release();
    IAccessible* again = nullptr;
    ASSERT_EQ(S_OK, accessible->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&again)));
    EXPECT_EQ(accessible, again);
    again->Release();
    IDropTarget* drop = reinterpret_cast<IDropTarget*>(1);
    EXPECT_EQ(E_NOINTERFACE, accessible->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&drop)));
    EXPECT_EQ(nullptr, drop);
    EXPECT_EQ(E_POINTER, accessible->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(1, owner->m_dwRef);

    // The last release through the interface ends the owner, as for any command target.
    bool gone = false;
    owner->onFinalRelease = [&gone] { gone = true; };
    accessible->Release();
    EXPECT_TRUE(gone);
}

// An owner that forgot its interface-table entry, and a mix-in with no owner at all.
class CUnlistedOwner : public CCmdTarget, public CXTPAccessible {
public:
    CCmdTarget* GetCmdTarget() override { return this; }
};

TEST(Accessible, AnOwnerWithoutTheTableEntryStillHandsOutTheInterface)
{
    auto* owner = new CUnlistedOwner;
    IAccessible* accessible = owner->GetAccessible();
    for (const IID* iid : {&__uuidof(IAccessible), &IID_IDispatch, &IID_IUnknown}) {
        void* out = nullptr;
        ASSERT_EQ(S_OK, accessible->QueryInterface(*iid, &out));
        EXPECT_EQ(static_cast<void*>(accessible), out);
        EXPECT_EQ(2, owner->m_dwRef) << "counted on the owner";
        accessible->Release();
    }
    owner->InternalRelease();

    CXTPAccessible orphan;
    void* out = nullptr;
    EXPECT_EQ(1u, orphan.GetAccessible()->AddRef()) << "nothing to count on, nothing to delete";
    EXPECT_EQ(1u, orphan.GetAccessible()->Release());
    EXPECT_EQ(S_OK, orphan.GetAccessible()->QueryInterface(__uuidof(IAccessible), &out));
    EXPECT_EQ(S_FALSE, orphan.GetAccessible()->get_accFocus(nullptr));
}

// Points the mix-in at libraries without the exports.
class CWithoutLibraries : public CAccessibleTestObject {
public:
    CWithoutLibraries(const wchar_t* user32, const wchar_t* oleacc)
    {
        m_user32Name = user32;
        m_oleaccName = oleacc;
    }
};

TEST(Accessible, MissingLibrariesAndExportsAreGivenUpOnce)
{
    // A library this program does not otherwise load, so that its freeing shows.
    const wchar_t* const stand_in = L"msimg32.dll";
    ASSERT_EQ(nullptr, GetModuleHandleW(stand_in));
    {
        CWithoutLibraries object(L"kernel32.dll", stand_in);
        EXPECT_EQ(nullptr, object.GetUser32Module()) << "nothing bound before the first call";
        object.RaiseWinEvent(EVENT_OBJECT_FOCUS, nullptr, OBJID_CLIENT, 1);
        EXPECT_EQ(CXTPAccessible::kUnavailable, object.GetUser32Module());
        object.RaiseWinEvent(EVENT_OBJECT_FOCUS, nullptr, OBJID_CLIENT, 1);   // does nothing

        IAccessible* found = reinterpret_cast<IAccessible*>(1);
        EXPECT_EQ(E_FAIL, object.GetWindowAccessibleObject(GetDesktopWindow(), OBJID_CLIENT,
                                                           __uuidof(IAccessible), reinterpret_cast<void**>(&found)));
        EXPECT_EQ(nullptr, found);
        EXPECT_EQ(CXTPAccessible::kUnavailable, object.GetOleaccModule());
        EXPECT_EQ(nullptr, GetModuleHandleW(stand_in)) << "the library without the export was freed";
        EXPECT_EQ(E_FAIL, object.MakeGetObjectResult(__uuidof(IAccessible), 0, object.GetAccessible()));
        EXPECT_EQ(nullptr, GetModuleHandleW(stand_in)) << "and not loaded again";

        CWithoutLibraries noLibrary(L"no-such-user32.dll", L"no-such-oleacc.dll");
        noLibrary.RaiseWinEvent(EVENT_OBJECT_FOCUS, nullptr, OBJID_CLIENT, 1);
        EXPECT_EQ(CXTPAccessible::kUnavailable, noLibrary.GetUser32Module());
        EXPECT_EQ(E_FAIL, noLibrary.MakeGetObjectResult(__uuidof(IAccessible), 0, noLibrary.GetAccessible()));
        EXPECT_EQ(CXTPAccessible::kUnavailable, noLibrary.GetOleaccModule());
    }

    // The real libraries: user32 found (not loaded), oleacc loaded by the first call that needs it
    // and freed with the object. (Asked before anything marshals: COM keeps oleacc loaded once
    // it has served as the interface's proxy library.)
    ASSERT_EQ(nullptr, GetModuleHandleW(L"oleacc.dll")) << "nothing else in this program loads oleacc";
    {
        CAccessibleTestObject object;
        object.RaiseWinEvent(EVENT_OBJECT_FOCUS, nullptr, OBJID_CLIENT, 1);
        EXPECT_EQ(GetModuleHandleW(L"user32.dll"), object.GetUser32Module());
        EXPECT_EQ(nullptr, object.GetOleaccModule());
        IAccessible* standard = nullptr;
        object.GetWindowAccessibleObject(nullptr, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard));
        if (standard)
            standard->Release();
        EXPECT_NE(nullptr, object.GetOleaccModule());
        EXPECT_EQ(GetModuleHandleW(L"oleacc.dll"), object.GetOleaccModule());
    }
    EXPECT_EQ(nullptr, GetModuleHandleW(L"oleacc.dll")) << "freed with the object that loaded it";
}

TEST(Accessible, MakeGetObjectResultHandsTheObjectToAClient)
{
    // LresultFromObject marshals the object, which needs COM on this thread.
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    auto* owner = new CAccessibleTestObject;
    const LRESULT result = owner->MakeGetObjectResult(__uuidof(IAccessible), 0, owner->GetAccessible());
    ASSERT_GT(result, 0) << "LresultFromObject hands out a reference number";
    // Take the object back, as the client would, so that no reference is left behind.
    using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
    const auto fromLresult = reinterpret_cast<ObjectFromLresultFn>(
        reinterpret_cast<void*>(GetProcAddress(owner->GetOleaccModule(), "ObjectFromLresult")));
    ASSERT_NE(nullptr, fromLresult);
    IAccessible* back = nullptr;
    ASSERT_EQ(S_OK, fromLresult(result, __uuidof(IAccessible), 0, reinterpret_cast<void**>(&back)));
    EXPECT_EQ(owner->GetAccessible(), back) << "the same object, within one apartment";
    back->Release();
    EXPECT_EQ(1, owner->m_dwRef) << "every reference handed out came back";
    owner->InternalRelease();
    CoUninitialize();
}

} // namespace
