// Command targets without windows: the reference count, the interface table, command routing
// through chained tables, the handler query and the update protocol of CCmdUI.

#include "framework/CmdTarget.h"
#include "framework/CmdUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class CBaseTarget : public CCmdTarget {
public:
    void OnBaseCommand() { g_log.push_back("base 10"); }
    void OnShadowed() { g_log.push_back("base 11"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
    ON_COMMAND(10, OnBaseCommand)
    ON_COMMAND(11, OnShadowed)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
public:
    bool enableUpdate = false;
    bool continueRouting = false;
    void OnShadowed() { g_log.push_back("derived 11"); }
    void OnRange(UINT id) { g_log.push_back("range " + std::to_string(id)); }
    BOOL OnDeclining(UINT id)
    {
        g_log.push_back("declined " + std::to_string(id));
        return FALSE;
    }
    void OnUpdateRange(CCmdUI* ui)
    {
        g_log.push_back("update " + std::to_string(ui->m_nID));
        ui->Enable(enableUpdate);
        if (continueRouting)
            ui->ContinueRouting();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
    ON_COMMAND(11, OnShadowed)
    ON_COMMAND_RANGE(20, 29, OnRange)
    ON_COMMAND_EX(30, OnDeclining)
    ON_UPDATE_COMMAND_UI_RANGE(20, 24, OnUpdateRange)
END_MESSAGE_MAP()

// Records the state an update asked for instead of touching a control.
class CRecordingCmdUI : public CCmdUI {
public:
    int enableCalls = 0;
    BOOL enabled = -1;
    void Enable(BOOL on) override
    {
        ++enableCalls;
        enabled = on;
        m_bEnableChanged = TRUE;
    }
};

class CmdTargetTest : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
};

TEST_F(CmdTargetTest, CommandsFindTheMostDerivedEntryThroughTheChain)
{
    CDerivedTarget target;
    struct Case {
        UINT id;
        BOOL handled;
        std::vector<std::string> log;
    } cases[] = {
        {10, TRUE, {"base 10"}},       // only the base has it
        {11, TRUE, {"derived 11"}},    // the derived entry wins
        {20, TRUE, {"range 20"}},
        {29, TRUE, {"range 29"}},
        {19, FALSE, {}},
        {30, FALSE, {"declined 30"}},  // _EX answering FALSE: not handled
    };
    for (const Case& c : cases) {
        g_log.clear();
        EXPECT_EQ(target.OnCmdMsg(c.id, CN_COMMAND, nullptr, nullptr), c.handled) << "id " << c.id;
        EXPECT_EQ(g_log, c.log) << "id " << c.id;
    }
}

TEST_F(CmdTargetTest, HandlerQueryNamesTheTargetAndRunsNothing)
{
    CDerivedTarget target;
    AFX_CMDHANDLERINFO info;
    EXPECT_TRUE(target.OnCmdMsg(25, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(info.pTarget, &target);
    ASSERT_NE(info.pEntry, nullptr);
    EXPECT_EQ(info.pEntry->nID, 20u);
    EXPECT_EQ(info.pEntry->nLastID, 29u);
    AFX_CMDHANDLERINFO none;
    EXPECT_FALSE(target.OnCmdMsg(99, CN_COMMAND, nullptr, &none));
    EXPECT_TRUE(g_log.empty());
}

TEST_F(CmdTargetTest, UpdateHandlersAnswerThroughCmdUI)
{
    CDerivedTarget target;
    // A handler decides the state.
    CRecordingCmdUI ui;
    ui.m_nID = 22;
    target.enableUpdate = true;
    EXPECT_TRUE(ui.DoUpdate(&target, TRUE));
    EXPECT_EQ(ui.enableCalls, 1);
    EXPECT_TRUE(ui.enabled);

    // ContinueRouting: the target counts as not having answered.
    CRecordingCmdUI routed;
    routed.m_nID = 22;
    target.continueRouting = true;
    EXPECT_FALSE(routed.DoUpdate(&target, FALSE));
    EXPECT_FALSE(routed.m_bContinueRouting);
    target.continueRouting = false;

    // No update handler: enabled exactly when a command handler exists.
    CRecordingCmdUI withHandler;
    withHandler.m_nID = 10;
    EXPECT_FALSE(withHandler.DoUpdate(&target, TRUE));
    EXPECT_TRUE(withHandler.enabled);
    CRecordingCmdUI without;
    without.m_nID = 99;
    without.DoUpdate(&target, TRUE);
    EXPECT_FALSE(without.enabled);
    CRecordingCmdUI leftAlone;
    leftAlone.m_nID = 99;
    leftAlone.DoUpdate(&target, FALSE);
    EXPECT_EQ(leftAlone.enableCalls, 0);
    // Only update handlers ran (for 22, twice); no command handler did.
    EXPECT_EQ(g_log, (std::vector<std::string>{"update 22", "update 22"}));
}

// ---- reference counting and interfaces ----

bool g_finalReleased = false;

class CComTarget : public CCmdTarget {
public:
    ~CComTarget() override { g_finalReleased = true; }

    BEGIN_INTERFACE_PART(Stream, ISequentialStream)
        STDMETHOD(Read)(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
        STDMETHOD(Write)(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    END_INTERFACE_PART(Stream)

    DECLARE_INTERFACE_MAP()
};

BEGIN_INTERFACE_MAP(CComTarget, CCmdTarget)
    INTERFACE_PART(CComTarget, IID_ISequentialStream, Stream)
END_INTERFACE_MAP()

ULONG CComTarget::XStream::AddRef()
{
    METHOD_PROLOGUE(CComTarget, Stream)
    return pThis->ExternalAddRef();
}

ULONG CComTarget::XStream::Release()
{
    METHOD_PROLOGUE(CComTarget, Stream)
    return pThis->ExternalRelease();
}

HRESULT CComTarget::XStream::QueryInterface(REFIID iid, void** ppv)
{
    METHOD_PROLOGUE(CComTarget, Stream)
    return static_cast<HRESULT>(pThis->ExternalQueryInterface(&iid, ppv));
}

TEST(CmdTargetComTest, NestedInterfaceSharesTheCountAndTheLastReleaseDeletes)
{
    g_finalReleased = false;
    auto* target = new CComTarget;
    ISequentialStream* stream = nullptr;
    ASSERT_EQ(target->InternalQueryInterface(&IID_ISequentialStream, reinterpret_cast<void**>(&stream)),
              static_cast<DWORD>(S_OK));
    ASSERT_EQ(static_cast<void*>(stream), static_cast<void*>(target->GetInterface(&IID_ISequentialStream)));
    EXPECT_EQ(target->m_dwRef, 2);

    IUnknown* unknown = nullptr;
    EXPECT_EQ(stream->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(stream));
    unknown->Release();

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(stream->QueryInterface(IID_IStream, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    EXPECT_EQ(target->InternalRelease(), 1u);
    EXPECT_FALSE(g_finalReleased);
    EXPECT_EQ(stream->Release(), 0u);    // the object's own reference went first: this is the last
    EXPECT_TRUE(g_finalReleased);
}

} // namespace
