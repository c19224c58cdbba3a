// The windowless rich-text renderer: RTF, plain and not-quite-RTF texts, the natural width of a
// short word, and drawing into a DIB.

#include "framework/window/Dc.h"
#include "tests/support/DibCanvas.h"
#include "toolkit/foundation/XTPRichRender.h"

#include <gtest/gtest.h>

namespace {

class RichRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!m_render.GetTextServices())
            GTEST_SKIP() << "RICHED20.dll offers no text services here";
    }
    CString PlainText()
    {
        BSTR text = nullptr;
        m_render.GetTextServices()->TxGetText(&text);
        CString result(text ? text : L"");
        ::SysFreeString(text);
        result.TrimRight(L"\r\n");
        return result;
    }
    CXTPRichRender m_render;
};

TEST_F(RichRenderTest, TextsAreStreamedAsRtfOrPlain)
{
    struct Row {
        const wchar_t* text;
        const wchar_t* shown;
    };
    const Row rows[] = {
        {L"{\\rtf1\\ansi {\\b Bold} text}", L"Bold text"},
        {L"plain text", L"plain text"},
        {L"{ not rtf at all", L"{ not rtf at all"},
    };
    for (const Row& row : rows) {
        EXPECT_GT(m_render.SetText(row.text), 0);
        EXPECT_EQ(PlainText(), CString(row.shown));
    }
    EXPECT_EQ(m_render.SetText(L""), 0);
    EXPECT_EQ(PlainText(), CString(L""));
    EXPECT_EQ(m_render.SetText(nullptr), 0);
}

TEST_F(RichRenderTest, AShortWordIsMeasuredByItsOwnWidth)
{
    m_render.SetText(L"Word");
    CDC dc;
    dc.Attach(::CreateCompatibleDC(nullptr));
    const CSize size = m_render.GetTextExtent(&dc, 200);
    ::DeleteDC(dc.Detach());
    EXPECT_GT(size.cx, 0);
    EXPECT_LT(size.cx, 100) << "well below the 200 limit";
    EXPECT_GT(size.cy, 0);
}


TEST_F(RichRenderTest, TheHostAnswersColoursOfTheSystem)
{
    // The services ask for colours the default format leaves open; an empty answer would be an
    // undefined colour.
    for (int index : {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT})
        EXPECT_EQ(m_render.GetTextHost()->TxGetSysColor(index), ::GetSysColor(index)) << index;
}

TEST(RichRenderLifetime, TheServicesAreReleasedBeforeTheLibraryGoes)
{
    if (::GetModuleHandleW(L"riched20.dll"))
        GTEST_SKIP() << "something else holds the library";
    for (int round = 0; round < 3; ++round) {
        {
            CXTPRichRender render;
            if (!render.GetTextServices())
                GTEST_SKIP() << "no text services";
            render.SetText(L"{\\rtf1 round}");
            EXPECT_NE(::GetModuleHandleW(L"riched20.dll"), nullptr);
        }
        // Releasing the services after the library had been unloaded would have crashed here.
        EXPECT_EQ(::GetModuleHandleW(L"riched20.dll"), nullptr) << "round " << round;
    }
}

TEST_F(RichRenderTest, DrawingPutsTextPixelsOnATransparentBackground)
{
    testsupport::DibCanvas canvas(200, 40); // white
    CDC dc;
    dc.Attach(canvas.DC());
    CHARFORMATW format = m_render.GetDefaultCharFormat();
    format.crTextColor = RGB(0, 0, 0);
    m_render.SetDefaultCharFormat(&format);
    m_render.SetText(L"MMMM");
    m_render.DrawText(&dc, CRect(0, 0, 200, 40));
    dc.Detach();
    int dark = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const COLORREF p = canvas.At(x, y);
            dark += GetRValue(p) < 0x40 && GetGValue(p) < 0x40 && GetBValue(p) < 0x40 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 10);
    EXPECT_GT(canvas.Count(RGB(255, 255, 255)), 200 * 40 / 2) << "the background stays as it was";
}

} // namespace
