// A row of text with a hyperlink, as the start page shows one, in a real window under real input:
// the host relays its messages to the markup context and paints through it, and a Click delegate
// on the context records what it receives. The pointer is moved and the button pressed with
// SendInput; the test asserts first on what the elements and Windows report, then on pixels.

#include "MarkupDocumentSupport.h"
#include "MarkupHostWindow.h"

#include "tests/support/GuiSupport.h"
#include "toolkit/markup/XTPMarkupInline.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"

#include <string>
#include <vector>

using namespace markuptests;
using namespace testsupport;

namespace {

class MarkupHyperlinkWindowTest : public MarkupTest {
public:
    void OnClick(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs*)
    {
        m_senders.push_back(sender);
        const CXTPMarkupString* tag =
            MarkupDynamicCast<CXTPMarkupString>(sender->GetValue(CXTPMarkupFrameworkElement::m_pTagProperty));
        m_tags.push_back(tag ? tag->GetBuffer() : L"");
    }

protected:
    void SetUp() override
    {
        m_hWnd = CreateMarkupHost(320, 60, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ASSERT_NE(nullptr, m_hWnd);
        // The count covers the context, its delegate and its tip window, all let go with it.
        MarkupTest::SetUp();
        m_pContext = CreateMarkupContext(m_hWnd);
        m_pContext->AddHandler(CXTPMarkupHyperlink::m_pClickEvent,
                               CreateMarkupClassDelegate(this, &MarkupHyperlinkWindowTest::OnClick));
        g_markupHost.root = ParseMarkupText(m_pContext, L"<TextBlock HorizontalAlignment='Center' VerticalAlignment='Center'"
                                                  L" FontSize='20'><Hyperlink Tag='x'>Open a sample</Hyperlink>"
                                                  L"</TextBlock>");
        ASSERT_NE(nullptr, g_markupHost.root);
        ASSERT_TRUE(BringToForeground(m_hWnd));
        InvalidateRect(m_hWnd, nullptr, FALSE);
        ASSERT_TRUE(PumpUntil([] { return g_markupHost.paints > 0; }));
        // The text's rectangle in the window: the block is centred and holds one piece.
        auto* block = MarkupDynamicCast<CXTPMarkupTextBlock>(g_markupHost.root);
        ASSERT_EQ(1u, block->GetLines().size());
        ASSERT_EQ(1u, block->GetLines()[0].pieces.size());
        m_rcText = block->GetLines()[0].pieces[0].GetRect();
        const POINT offset = block->GetVisualOffset();
        OffsetRect(&m_rcText, offset.x, offset.y);
        ASSERT_GT(m_rcText.right - m_rcText.left, 40);
        MovePointerToClient(m_hWnd, POINT{5, 5});
        PumpUntil([this] { return m_pContext->GetMouseOverElement() == g_markupHost.root || !m_pContext->GetMouseOverElement(); });
    }
    void TearDown() override
    {
        ReleaseMarkupElement(&g_markupHost.root);
        EXPECT_EQ(1, m_pContext->GetRefCount());
        ReleaseMarkupContext(&m_pContext);
        DestroyWindow(m_hWnd);
        MarkupTest::TearDown();
    }

    CXTPMarkupHyperlink* Link() const
    {
        return MarkupDynamicCast<CXTPMarkupHyperlink>(
            MarkupDynamicCast<CXTPMarkupTextBlock>(g_markupHost.root)->GetInlines()->GetInline(0));
    }
    POINT OverLink() const { return POINT{(m_rcText.left + m_rcText.right) / 2, (m_rcText.top + m_rcText.bottom) / 2}; }
    // Waits for a repaint after which the text shows in the colour (and not in the other).
    bool TextTurns(COLORREF colour, COLORREF other)
    {
        return PumpUntil([&] {
            const RgbImage image = CaptureClient(m_hWnd);
            return CountColour(image, m_rcText, colour) > 20 && CountColour(image, m_rcText, other) == 0;
        });
    }

    HWND m_hWnd = nullptr;
    CXTPMarkupContext* m_pContext = nullptr;
    RECT m_rcText = {};
    std::vector<CXTPMarkupObject*> m_senders;
    std::vector<std::wstring> m_tags;
};

TEST_F(MarkupHyperlinkWindowTest, HoverTurnsTheLinkRedWithTheHandCursor)
{
    EXPECT_TRUE(TextTurns(RGB(0, 0, 255), RGB(255, 0, 0)));
    ASSERT_TRUE(MovePointerToClient(m_hWnd, OverLink()));
    ASSERT_TRUE(PumpUntil([this] { return Link()->IsMouseOver(); }));
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), GetCursor());
    EXPECT_TRUE(TextTurns(RGB(255, 0, 0), RGB(0, 0, 255)));
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{5, 5}));
    ASSERT_TRUE(PumpUntil([this] { return !Link()->IsMouseOver(); }));
    EXPECT_TRUE(TextTurns(RGB(0, 0, 255), RGB(255, 0, 0)));
    EXPECT_TRUE(m_senders.empty());
}

TEST_F(MarkupHyperlinkWindowTest, AClickRunsTheDelegateOnceWithTheLinkAndItsTag)
{
    ASSERT_TRUE(MovePointerToClient(m_hWnd, OverLink()));
    ASSERT_TRUE(PumpUntil([this] { return Link()->IsMouseOver(); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([this] { return Link()->IsPressed(); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    ASSERT_TRUE(PumpUntil([this] { return !m_senders.empty(); }));
    PumpPending();
    ASSERT_EQ(1u, m_senders.size());
    EXPECT_EQ(Link(), m_senders[0]);
    EXPECT_EQ(L"x", m_tags[0]);
}

TEST_F(MarkupHyperlinkWindowTest, DragsThatOnlyStartOrEndOnTheLinkRunNothing)
{
    // Press on the link, drag off, release elsewhere.
    ASSERT_TRUE(MovePointerToClient(m_hWnd, OverLink()));
    ASSERT_TRUE(PumpUntil([this] { return Link()->IsMouseOver(); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([this] { return Link()->IsPressed(); }));
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{5, 5}));
    ASSERT_TRUE(PumpUntil([this] { return !Link()->IsMouseOver(); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    PumpPending();
    // Then press elsewhere and release over the link.
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    PumpPending();
    ASSERT_TRUE(MovePointerToClient(m_hWnd, OverLink()));
    ASSERT_TRUE(PumpUntil([this] { return Link()->IsMouseOver(); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    PumpPending();
    // A later move proves the button-up was dispatched before the check.
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{OverLink().x + 1, OverLink().y}));
    PumpPending();
    EXPECT_TRUE(m_senders.empty());
    EXPECT_FALSE(Link()->IsPressed());
}

} // namespace
