// The accessibility mix-in behind a real window: the window answers WM_GETOBJECT through
// MakeGetObjectResult, a client takes the object through oleacc and its calls come back from
// the hooks; RaiseWinEvent reaches a win-event hook.

#include "toolkit/foundation/XTPAccessible.h"

#include "tests/support/GuiSupport.h"
#include "tests/toolkit/foundation/AccessibleTestObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The toolbar's accessible side: a name for the object itself, a child count, the rest default.
class CToolbarAccessible : public CAccessibleTestObject {
public:
    HRESULT get_accName(VARIANT child, BSTR* name) override
    {
        if (!name)
            return E_INVALIDARG;
        const long id = ChildIdFromVariant(&child);
        *name = ::SysAllocString(id == 0 ? L"Package toolbar" : L"Build");
        return S_OK;
    }
    HRESULT get_accChildCount(long* count) override
    {
        *count = 3;
        return S_OK;
    }
};

CToolbarAccessible* g_windowObject = nullptr;   // not owned; the window's accessible side
int g_getObjectCalls = 0;

LRESULT CALLBACK AccessibleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && g_windowObject) {
        ++g_getObjectCalls;
        return g_windowObject->MakeGetObjectResult(__uuidof(IAccessible), wParam,
                                                   g_windowObject->GetAccessible());
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class AccessibleWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        WNDCLASSW wc{};
        wc.lpfnWndProc = AccessibleWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarnwickAccessibleTest";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"Accessible", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 40, 40, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, window);
        owner = new CToolbarAccessible;
        g_windowObject = owner;
        g_getObjectCalls = 0;
    }
    void TearDown() override
    {
        g_windowObject = nullptr;
        if (window)
            DestroyWindow(window);
        if (owner)
            owner->InternalRelease();
        CoUninitialize();
    }

    HWND window = nullptr;
    CToolbarAccessible* owner = nullptr;
};

TEST_F(AccessibleWindow, AClientGetsTheHooksAnswersThroughOleacc)
{
    // The client side uses its own mix-in, as a pane asking for its parent's object would.
    CAccessibleTestObject* client = new CAccessibleTestObject;
    IAccessible* accessible = nullptr;
    ASSERT_EQ(S_OK, client->GetWindowAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                      reinterpret_cast<void**>(&accessible)));
    ASSERT_NE(nullptr, accessible);
    EXPECT_EQ(1, g_getObjectCalls) << "oleacc asked the window";

    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    ASSERT_EQ(S_OK, accessible->get_accName(self, &name));
    EXPECT_STREQ(L"Package toolbar", name);
    SysFreeString(name);
    VARIANT second = self;
    second.lVal = 2;
    ASSERT_EQ(S_OK, accessible->get_accName(second, &name));
    EXPECT_STREQ(L"Build", name);
    SysFreeString(name);
    long count = 0;
    EXPECT_EQ(S_OK, accessible->get_accChildCount(&count));
    EXPECT_EQ(3, count);

    VARIANT focus;
    VariantInit(&focus);
    EXPECT_EQ(S_FALSE, accessible->get_accFocus(&focus)) << "nothing has the focus";
    VARIANT next;
    VariantInit(&next);
    EXPECT_EQ(E_NOTIMPL, accessible->accNavigate(NAVDIR_NEXT, self, &next));

    accessible->Release();
    EXPECT_EQ(1, owner->m_dwRef) << "the client gave back every reference it took";
    client->InternalRelease();
}

struct SeenEvent {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
};
std::vector<SeenEvent> g_seen;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    g_seen.push_back({event, window, object, child});
}

TEST_F(AccessibleWindow, RaiseWinEventReachesAWinEventHook)
{
    g_seen.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, RecordEvent,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(nullptr, hook);
    // A bar selecting its third control while tracking: object id -3, child index + 1.
    owner->RaiseWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_MENU, 3);
    const bool seen = testsupport::PumpUntil([] {
        for (const SeenEvent& e : g_seen) {
            if (e.object == OBJID_MENU)
                return true;
        }
        return false;
    });
    UnhookWinEvent(hook);
    ASSERT_TRUE(seen) << "the event reached the hook";
    for (const SeenEvent& e : g_seen) {
        if (e.object != OBJID_MENU)
            continue;
        EXPECT_EQ(DWORD{EVENT_OBJECT_FOCUS}, e.event);
        EXPECT_EQ(window, e.window);
        EXPECT_EQ(3, e.child);
    }
    EXPECT_EQ(GetModuleHandleW(L"user32.dll"), owner->GetUser32Module());
}

} // namespace
