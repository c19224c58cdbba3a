// The tree's owner painting, printed (WM_PRINT) into a DIB: an item's own colours, the selected
// highlight, a bold label, and the hot-tracking colour that goes once the pointer has left.
// Colours are read from the system through the colour manager.

#include "TreeTestSupport.h"

#include "toolkit/foundation/XTPColorManager.h"

#include "tests/support/DibCanvas.h"

using testsupport::PumpUntil;

namespace {

struct TreePaintTest : treetest::TreeFixture {
    TreePaintTest() : treetest::TreeFixture(TVS_TRACKSELECT) {}

    // Prints the tree's client area into a canvas of its size.
    void Print(testsupport::DibCanvas& canvas)
    {
        canvas.Clear();
        ::SendMessageW(tree.GetSafeHwnd(), WM_PRINT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    }
    CRect Label(const wchar_t* label)
    {
        return CRect(treetest::ItemRect(tree.GetSafeHwnd(), items.at(label), TRUE));
    }
    static bool Near(COLORREF a, COLORREF b, int tolerance)
    {
        return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
               std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
    }
    static int Count(const testsupport::DibCanvas& canvas, const CRect& region, COLORREF colour, int tolerance = 0)
    {
        int n = 0;
        for (int y = std::max(0L, region.top); y < std::min<LONG>(canvas.Height(), region.bottom); ++y)
            for (int x = std::max(0L, region.left); x < std::min<LONG>(canvas.Width(), region.right); ++x)
                n += Near(canvas.At(x, y), colour, tolerance);
        return n;
    }
    // Width of the ink (pixels unlike the background) in a row band.
    static int InkWidth(const testsupport::DibCanvas& canvas, const CRect& band, COLORREF background)
    {
        int left = INT_MAX, right = -1;
        for (int y = band.top; y < band.bottom; ++y)
            for (int x = band.left; x < std::min<LONG>(canvas.Width(), band.right); ++x)
                if (!Near(canvas.At(x, y), background, 40)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right < 0 ? 0 : right - left + 1;
    }
};

}    // namespace

TEST_F(TreePaintTest, AnItemsOwnColoursShowUntilItIsSelected)
{
    const COLORREF back = RGB(0, 200, 0), text = RGB(200, 0, 0);
    tree.SetItemBackColor((*this)[L"Bravo"], back);
    tree.SetItemColor((*this)[L"Bravo"], text);
    EXPECT_EQ(tree.GetItemBackColor((*this)[L"Bravo"]), back);
    EXPECT_EQ(tree.GetItemColor((*this)[L"Bravo"]), text);
    EXPECT_EQ(tree.GetItemColor((*this)[L"Charlie"]), static_cast<COLORREF>(-1));

    testsupport::DibCanvas canvas(300, 320);
    Print(canvas);
    const CRect label = Label(L"Bravo");
    CRect wide = label;
    wide.right += 6;
    EXPECT_GT(Count(canvas, wide, back), label.Width()) << "no label background in the item's colour";
    EXPECT_GT(Count(canvas, wide, text, 60), 0) << "no text in the item's colour";

    // Selected (the tree has the focus): the highlight wins over the item's colours.
    ASSERT_TRUE(tree.SelectItem((*this)[L"Bravo"]));
    Print(canvas);
    const COLORREF highlight = GetColorManager()->GetColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(Count(canvas, wide, back), 0) << "the item's background shows while it is selected";
    EXPECT_GT(Count(canvas, label, highlight), label.Width() * label.Height() / 3)
        << "the selected label is not filled with the highlight colour";

    // A second selected item (not the caret) gets the same highlight.
    ASSERT_TRUE(tree.SetItemState((*this)[L"Alpha two"], TVIS_SELECTED, TVIS_SELECTED));
    Print(canvas);
    const CRect second = Label(L"Alpha two");
    EXPECT_GT(Count(canvas, second, highlight), second.Width() * second.Height() / 3);

    // Deleting the item drops its colour entry.
    const int entries = tree.GetItemMapCount();
    tree.DeleteItem((*this)[L"Bravo"]);
    EXPECT_EQ(tree.GetItemMapCount(), entries - 1);
}

TEST_F(TreePaintTest, ABoldLabelIsWiderThanThePlainOne)
{
    tree.SetItemText((*this)[L"Bravo one"], L"Same words here");
    tree.SetItemText((*this)[L"Bravo two"], L"Same words here");
    tree.SetItemBold((*this)[L"Bravo two"], TRUE);
    EXPECT_TRUE(tree.GetItemBold((*this)[L"Bravo two"]));
    EXPECT_FALSE(tree.GetItemBold((*this)[L"Bravo one"]));
    ASSERT_TRUE(tree.SelectItem((*this)[L"Alpha"]));

    testsupport::DibCanvas canvas(300, 320);
    Print(canvas);
    const COLORREF window = GetColorManager()->GetColor(COLOR_WINDOW);
    const CRect plain = Label(L"Bravo one"), bold = Label(L"Bravo two");
    const int plainWidth = InkWidth(canvas, CRect(plain.left, plain.top, 300, plain.bottom), window);
    const int boldWidth = InkWidth(canvas, CRect(bold.left, bold.top, 300, bold.bottom), window);
    EXPECT_GT(plainWidth, 20);
    EXPECT_GT(boldWidth, plainWidth) << "plain " << plainWidth << " px, bold " << boldWidth << " px";
}

TEST_F(TreePaintTest, TheHotColourGoesOnceThePointerHasLeft)
{
    ASSERT_TRUE(tree.SelectItem((*this)[L"Alpha"]));
    const COLORREF hot = GetColorManager()->GetColor(COLOR_HOTLIGHT);
    const CRect label = Label(L"Charlie");
    CRect wide = label;
    wide.right += 6;
    testsupport::DibCanvas canvas(300, 320);
    Print(canvas);
    ASSERT_EQ(Count(canvas, wide, hot, 30), 0) << "hot colour before the pointer came";

    ASSERT_TRUE(testsupport::MovePointerTo(LabelPoint(L"Charlie")));
    ASSERT_TRUE(PumpUntil([&] { return tree.GetHotItem() == (*this)[L"Charlie"]; })) << "no hot item under the pointer";
    Print(canvas);
    EXPECT_GT(Count(canvas, wide, hot, 30), 0) << "the hot item is not drawn in the hot colour";

    // Leave the tree and its host altogether: the timer notices without any further message.
    ASSERT_TRUE(testsupport::MovePointerTo({700, 700}));
    ASSERT_TRUE(PumpUntil([&] { return tree.GetHotItem() == nullptr; })) << "the hot item stayed";
    Print(canvas);
    EXPECT_EQ(Count(canvas, wide, hot, 30), 0) << "the hot colour stayed after the pointer left";
}
