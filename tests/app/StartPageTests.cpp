// The start page in plain controls: its texts, and the link that alone starts the wizard.

#include "app/StartPage.h"

#include "framework/window/WinApp.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Start Page Tests") {}
};

class CHost : public CWnd {
public:
    BOOL CreateHost()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        L"start page host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 700, 500, nullptr, nullptr);
    }
};

} // namespace

TEST(StartPage, ShowsThePageTextsAndOnlyTheLinkStartsTheWizard)
{
    CTestApp app;
    ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    CHost host;
    ASSERT_TRUE(host.CreateHost());
    app.m_pMainWnd = &host;
    RECT client{};
    host.GetClientRect(&client);
    CStartPage page;
    ASSERT_TRUE(page.CreatePage(&host, client, 0xE900));
    int wizards = 0;
    page.SetOnNewProject([&] { ++wizards; });

    for (const wchar_t* text : {CStartPage::kWelcome, CStartPage::kHeading, CStartPage::kDescription})
        EXPECT_NE(FindDescendant(page.m_hWnd, {L"Static", text, -1}), nullptr) << Utf8(text);
    HWND link = FindDescendant(page.m_hWnd, {nullptr, nullptr, CStartPage::kLinkId});
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(WindowText(link), L"Click here to start New Project Wizard");

    ASSERT_TRUE(PumpUntil([&] {
        const RgbImage image = CaptureClient(link);
        return !image.IsEmpty() &&
               CountColour(image, {0, 0, image.width, image.height}, RGB(0x00, 0xA4, 0xDB), 40) > 20;
    })) << "the link is not drawn in its blue";

    ASSERT_TRUE(BringToForeground(host.m_hWnd));
    // input arrives in order: once the link's click has counted, the page's click before it has
    // been handled too, and must have counted nothing
    ClickClient(page.m_hWnd, {5, 5});
    ClickCentre(link);
    EXPECT_TRUE(PumpUntil([&] { return wizards >= 1; }));
    EXPECT_EQ(wizards, 1);

    app.m_pMainWnd = nullptr;
    host.DestroyWindow();
    AfxDeleteTempMaps();
}
