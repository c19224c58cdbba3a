// The markup tip window through the foundation's markup seam, with the markup engine linked in:
// the engine fills the seam, a markup text is measured and drawn as markup, anything else as
// plain text.

#include "framework/window/Dc.h"
#include "tests/support/DibCanvas.h"
#include "toolkit/foundation/XTPMarkupServices.h"
#include "toolkit/foundation/XTPToolTipContext.h"
#include "toolkit/markup/XTPMarkupContext.h"

#include <gtest/gtest.h>

namespace {

class MarkupTipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Naming the engine's flat interface links it in, and with it the table it installs.
        CXTPMarkupContext* probe = CreateMarkupContext(nullptr);
        ReleaseMarkupContext(&probe);
        ASSERT_NE(XTPGetMarkupServices(), nullptr);
        m_tip = std::make_unique<CXTPToolTipContext::CMarkupToolTip>(&m_context);
    }
    CXTPToolTipContext m_context;
    std::unique_ptr<CXTPToolTipContext::CMarkupToolTip> m_tip;
};

TEST_F(MarkupTipTest, MarkupTextsAreMeasuredByTheEngineAndOthersAsPlainText)
{
    CXTPToolTipContextToolTip::TOOLITEM tool;
    tool.strText = L"<StackPanel Width='120' Height='30'/>";
    EXPECT_EQ(m_tip->CalcToolSize(&tool), CSize(126, 36)) << "the element plus 3 pixels on each side";

    m_context.SetMargin(CRect(2, 1, 4, 5));
    EXPECT_EQ(m_tip->CalcToolSize(&tool), CSize(132, 42));

    tool.strText = L"not markup at all";
    const CSize plain = m_tip->CalcToolSize(&tool);
    EXPECT_GT(plain.cx, 12);
    EXPECT_GT(plain.cy, 12);
}

TEST_F(MarkupTipTest, TheElementIsDrawnIntoTheContentRectangle)
{
    CXTPToolTipContextToolTip::TOOLITEM tool;
    tool.strText = L"<StackPanel Width='20' Height='10' Background='#FFFF0000'/>";
    ASSERT_EQ(m_tip->CalcToolSize(&tool), CSize(26, 16));

    testsupport::DibCanvas canvas(26, 16); // white
    CDC dc;
    dc.Attach(canvas.DC());
    m_tip->DrawContent(&dc, &tool, CRect(3, 3, 23, 13));
    dc.Detach();
    EXPECT_EQ(canvas.At(10, 8), RGB(255, 0, 0)) << "red inside the element";
    EXPECT_EQ(canvas.At(1, 1), RGB(255, 255, 255)) << "nothing outside it";
}

} // namespace
