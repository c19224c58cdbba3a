// The application object's start-up and shutdown, in process: a second instance stops before
// anything else, and the end closes the install-script job.

#include "app/SingleInstance.h"
#include "app/TarnwickApp.h"

#include "engine/replay/JobProcess.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(Startup, ASecondInstanceEndsStartUpAtOnceWithoutAWindow)
{
    CString name;
    name.Format(L"Global\\tarnwick-startup-test-%lu", ::GetCurrentProcessId());
    CInstanceMutex first(name);
    CInstanceMutex second(name);
    ASSERT_TRUE(second.AnotherInstanceRuns());
    CtarnwickApp app(&second);
    ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_STRNE(AfxGetAppName(), kProductNameWithEdition) << "start-up went past its first step";
}

TEST(Startup, TheEndClosesTheInstallScriptJob)
{
    CtarnwickApp app(nullptr);
    ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    SetScriptJob(UniqueKernelHandle(::CreateJobObjectW(nullptr, nullptr)));
    ASSERT_NE(DuplicateScriptJob().Get(), nullptr);
    app.ExitInstance();
    EXPECT_EQ(DuplicateScriptJob().Get(), nullptr);
}
