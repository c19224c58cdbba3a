// A button whose caption is markup: parsed again on every new text, measured and drawn by the
// markup engine through foundation's seam.

#include "ButtonTestSupport.h"

#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPMarkupServices.h"
#include "toolkit/markup/XTPMarkupContext.h"

#include "tests/support/DibCanvas.h"

#include <gtest/gtest.h>

using namespace testsupport;
using namespace buttontests;

namespace {

class ButtonMarkupTest : public ::testing::Test {
protected:
    CTestApp app;
    CButtonsDialog dialog;

    void SetUp() override
    {
        // Using the engine once installs its services behind the seam.
        CXTPMarkupContext* probe = CreateMarkupContext(nullptr);
        ReleaseMarkupContext(&probe);
        ASSERT_NE(XTPGetMarkupServices(), nullptr);
        ASSERT_TRUE(dialog.Create());
    }
    void TearDown() override { dialog.DestroyWindow(); }

    CRect TextRect(CProbeButton& button)
    {
        DibCanvas canvas(10, 10);
        HGDIOBJ old = ::SelectObject(canvas.DC(), reinterpret_cast<HFONT>(button.SendMessage(WM_GETFONT)));
        CRect text, image;
        UINT format = 0;
        button.GetTheme()->CalcLayout(CDC::FromHandle(canvas.DC()), &button, text, format, image);
        ::SelectObject(canvas.DC(), old);
        return text;
    }
};

} // namespace

TEST_F(ButtonMarkupTest, TheCaptionIsMeasuredAndDrawnAsMarkup)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SendMessage(WM_CONTROL_SET_THEME, 6);
    push.SetShowFocus(FALSE);
    push.EnableMarkup();
    push.SetWindowText(L"<StackPanel Width='20' Height='10' Background='#FFFF0000'/>");
    ASSERT_NE(nullptr, push.GetMarkupUIElement());

    const SIZE size = ClientSize(push.m_hWnd);
    CRect text = TextRect(push);
    EXPECT_EQ(20, text.Width());
    EXPECT_EQ(10, text.Height());
    EXPECT_EQ((size.cx - 20) / 2, text.left) << "centred like plain text";

    DibCanvas canvas(size.cx, size.cy);
    PrintButton(push.m_hWnd, canvas);
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(text.left + 10, text.top + 5));

    // a new text is parsed again
    push.SetWindowText(L"<StackPanel Width='30' Height='12' Background='#FF0000FF'/>");
    text = TextRect(push);
    EXPECT_EQ(30, text.Width());
    EXPECT_EQ(12, text.Height());
    PrintButton(push.m_hWnd, canvas);
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(text.left + 15, text.top + 6));

    // without markup the same text is just text
    push.EnableMarkup(FALSE);
    EXPECT_EQ(nullptr, push.GetMarkupUIElement());
    EXPECT_GT(TextRect(push).Width(), 30);
}
