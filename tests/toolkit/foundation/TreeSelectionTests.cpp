// Multiple selection in a real three-level tree driven by SendInput: Shift and Ctrl clicks, a
// click on empty space, the marquee (with and without Ctrl, and Escape in the middle), keyboard
// ranges, collapsing around the caret, what the selected-item walk reports, a veto from the
// parent, and FindItem. The marquee runs its own message loop on the test thread, so its input
// comes from a driver thread that waits on the tree's state through sent messages.

#include "TreeTestSupport.h"

#include <thread>

using testsupport::PumpUntil;
using treetest::ClickWith;
using treetest::Labels;

namespace {

struct TreeSelectionTest : treetest::TreeFixture {};

// Waits from the driver thread (the test thread is inside the tree's loop meanwhile).
bool WaitFromDriver(const std::function<bool()>& condition)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > testsupport::kGuiTimeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

// Runs driver on its own thread and pumps this thread's messages until it has finished.
bool Drive(const std::function<bool()>& driver)
{
    std::atomic<bool> done{false}, ok{false};
    std::thread thread([&] {
        ok = driver();
        done = true;
    });
    const bool finished = PumpUntil([&] { return done.load(); });
    thread.join();
    return finished && ok;
}

}    // namespace

TEST_F(TreeSelectionTest, ShiftWithoutAnAnchorStartsAtTheCaretAndCtrlShiftExtends)
{
    ASSERT_TRUE(tree.SelectItem((*this)[L"Alpha one"]));
    ASSERT_EQ(Selected(), Labels{L"Alpha one"});

    ASSERT_TRUE(ClickWith(LabelPoint(L"Alpha three"), {VK_SHIFT}));
    ASSERT_TRUE(PumpUntil([&] { return Selected().size() == 5; })) << "Shift+click did not select the range";
    EXPECT_EQ(Selected(), (Labels{L"Alpha one", L"Alpha two", L"Alpha two a", L"Alpha two b", L"Alpha three"}));
    EXPECT_EQ(CaretLabel(), L"Alpha three");

    ASSERT_TRUE(ClickWith(LabelPoint(L"Charlie"), {VK_CONTROL}));
    ASSERT_TRUE(PumpUntil([&] { return IsSelected(L"Charlie"); }))
        << "Ctrl+click did not add the item; caret " << testsupport::Utf8(CaretLabel()) << ", "
        << Selected().size() << " selected, " << host.Count(NM_CLICK) << " clicks";
    EXPECT_EQ(Selected().size(), 6u);
    EXPECT_EQ(CaretLabel(), L"Charlie");

    // Ctrl+Shift: the range from the caret (the anchor went with the Ctrl click) is added.
    ASSERT_TRUE(ClickWith(LabelPoint(L"Bravo one"), {VK_CONTROL, VK_SHIFT}));
    ASSERT_TRUE(PumpUntil([&] { return IsSelected(L"Bravo one"); }));
    EXPECT_EQ(Selected(), (Labels{L"Alpha one", L"Alpha two", L"Alpha two a", L"Alpha two b", L"Alpha three",
                                  L"Bravo one", L"Bravo two", L"Charlie"}));
    EXPECT_EQ(CaretLabel(), L"Bravo one");

    // A plain click keeps only the clicked item and tells the parent.
    ASSERT_TRUE(ClickWith(LabelPoint(L"Bravo"), {}));
    ASSERT_TRUE(PumpUntil([&] { return Selected() == Labels{L"Bravo"}; })) << "a plain click kept others";
    EXPECT_EQ(CaretLabel(), L"Bravo");
    EXPECT_GE(host.Count(NM_CLICK), 1);
}

TEST_F(TreeSelectionTest, AClickOnEmptySpaceClearsTheSelectionUnlessAModifierIsHeld)
{
    ASSERT_TRUE(tree.SetItemState((*this)[L"Alpha"], TVIS_SELECTED, TVIS_SELECTED));
    ASSERT_TRUE(tree.SetItemState((*this)[L"Bravo"], TVIS_SELECTED, TVIS_SELECTED));
    ASSERT_EQ(Selected(), (Labels{L"Alpha", L"Bravo"}));

    const POINT empty = TreeScreen(150, 300);    // below the last row
    ASSERT_TRUE(ClickWith(empty, {VK_CONTROL}));
    ASSERT_TRUE(ClickWith(TreeScreen(160, 305), {VK_SHIFT}));
    testsupport::PumpUntil([] { return false; }, 300);    // let both clicks arrive and pass
    EXPECT_EQ(Selected(), (Labels{L"Alpha", L"Bravo"})) << "a click with a modifier must keep the selection";

    ASSERT_TRUE(ClickWith(TreeScreen(140, 295), {}));
    EXPECT_TRUE(PumpUntil([&] { return Selected().empty(); })) << "a plain click on empty space keeps the selection";
}

TEST_F(TreeSelectionTest, AMarqueeSelectsWhatItCoversAndCtrlGivesBackWhatItLeaves)
{
    ASSERT_TRUE(tree.SetItemState((*this)[L"Charlie"], TVIS_SELECTED, TVIS_SELECTED));
    const POINT start = TreeScreen(280, RowMiddle(L"Alpha one"));
    const POINT end = TreeScreen(5, RowMiddle(L"Alpha two b"));
    HWND hwnd = tree.GetSafeHwnd();
    auto selected = [hwnd, this](const wchar_t* label) {
        return (::SendMessageW(hwnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(items.at(label)), TVIS_SELECTED) &
                TVIS_SELECTED) != 0;
    };
    ASSERT_TRUE(Drive([&] {
        return testsupport::MovePointerTo(start) && testsupport::PressButton(testsupport::MouseButton::Left, true) &&
               testsupport::MovePointerTo({start.x - 20, start.y + 10}) && testsupport::MovePointerTo(end) &&
               WaitFromDriver([&] { return selected(L"Alpha two b"); }) &&
               testsupport::PressButton(testsupport::MouseButton::Left, false);
    }));
    ASSERT_TRUE(PumpUntil([] { return ::GetCapture() == nullptr; }));
    EXPECT_EQ(Selected(), (Labels{L"Alpha one", L"Alpha two", L"Alpha two a", L"Alpha two b"}))
        << "without a modifier the marquee replaces the selection";

    // Ctrl: the items selected at the start are deselected under the rectangle and come back
    // when it leaves them; an item it newly covered and left again is dropped.
    const POINT ctrlStart = TreeScreen(280, RowMiddle(L"Alpha two"));
    ASSERT_TRUE(Drive([&] {
        return testsupport::MovePointerTo(ctrlStart) && treetest::KeyEvent(VK_CONTROL, false) &&
               testsupport::PressButton(testsupport::MouseButton::Left, true) &&
               testsupport::MovePointerTo({ctrlStart.x - 20, ctrlStart.y + 5}) &&
               testsupport::MovePointerTo(TreeScreen(5, RowMiddle(L"Alpha three"))) &&
               WaitFromDriver([&] { return selected(L"Alpha three") && !selected(L"Alpha two a"); }) &&
               testsupport::MovePointerTo(TreeScreen(5, RowMiddle(L"Alpha two") + 2)) &&
               WaitFromDriver([&] { return !selected(L"Alpha three") && selected(L"Alpha two a"); }) &&
               testsupport::PressButton(testsupport::MouseButton::Left, false) && treetest::KeyEvent(VK_CONTROL, true);
    }));
    ASSERT_TRUE(PumpUntil([] { return ::GetCapture() == nullptr; }));
    EXPECT_EQ(Selected(), (Labels{L"Alpha one", L"Alpha two a", L"Alpha two b"}));
}

TEST_F(TreeSelectionTest, EscapeInTheMiddleOfAMarqueeClearsEverySelection)
{
    ASSERT_TRUE(tree.SetItemState((*this)[L"Charlie"], TVIS_SELECTED, TVIS_SELECTED));
    const POINT start = TreeScreen(280, RowMiddle(L"Alpha one"));
    HWND hwnd = tree.GetSafeHwnd();
    HTREEITEM two = (*this)[L"Alpha two"];
    ASSERT_TRUE(Drive([&] {
        return testsupport::MovePointerTo(start) && treetest::KeyEvent(VK_CONTROL, false) &&
               testsupport::PressButton(testsupport::MouseButton::Left, true) &&
               testsupport::MovePointerTo({start.x - 20, start.y + 5}) &&
               testsupport::MovePointerTo(TreeScreen(5, RowMiddle(L"Alpha two"))) &&
               WaitFromDriver([&] {
                   return (::SendMessageW(hwnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(two), TVIS_SELECTED) &
                           TVIS_SELECTED) != 0;
               }) &&
               treetest::KeyEvent(VK_CONTROL, true) && treetest::KeyEvent(VK_ESCAPE, false) &&
               treetest::KeyEvent(VK_ESCAPE, true) && WaitFromDriver([] { return ::GetCapture() == nullptr; }) &&
               testsupport::PressButton(testsupport::MouseButton::Left, false);
    }));
    testsupport::PumpPending();
    EXPECT_TRUE(Selected().empty()) << "Escape kept " << Selected().size() << " items";
}

TEST_F(TreeSelectionTest, ShiftDownExtendsFromTheCaretAndAPlainKeyStartsAgain)
{
    ASSERT_TRUE(tree.SelectItem((*this)[L"Alpha one"]));
    ASSERT_TRUE(testsupport::PressKeys({VK_SHIFT, VK_DOWN}));
    ASSERT_TRUE(PumpUntil([&] { return Selected().size() == 2; }));
    ASSERT_TRUE(testsupport::PressKeys({VK_SHIFT, VK_DOWN}));
    ASSERT_TRUE(PumpUntil([&] { return Selected().size() == 3; }));
    EXPECT_EQ(Selected(), (Labels{L"Alpha one", L"Alpha two", L"Alpha two a"}));
    EXPECT_EQ(CaretLabel(), L"Alpha two a");

    ASSERT_TRUE(testsupport::PressKeys({VK_SHIFT, VK_UP}));
    ASSERT_TRUE(PumpUntil([&] { return Selected().size() == 2; })) << "Shift+Up must shrink the range";
    EXPECT_EQ(CaretLabel(), L"Alpha two");

    ASSERT_TRUE(testsupport::PressKeys({VK_DOWN}));
    ASSERT_TRUE(PumpUntil([&] { return CaretLabel() == L"Alpha two a"; }));
    EXPECT_EQ(Selected(), Labels{L"Alpha two a"});
}

TEST_F(TreeSelectionTest, CollapsingMovesTheCaretOutAndHiddenItemsAreNeverReported)
{
    ASSERT_TRUE(tree.SetItemState((*this)[L"Alpha one"], TVIS_SELECTED, TVIS_SELECTED));
    ASSERT_TRUE(tree.SetItemState((*this)[L"Alpha two a"], TVIS_SELECTED, TVIS_SELECTED));
    ASSERT_TRUE(tree.SetItemState((*this)[L"Alpha two b"], TVIS_FOCUSED | TVIS_SELECTED, TVIS_FOCUSED | TVIS_SELECTED));
    ASSERT_EQ(CaretLabel(), L"Alpha two b");
    ASSERT_EQ(Selected(), (Labels{L"Alpha one", L"Alpha two a", L"Alpha two b"}));

    // Find the expand button of "Alpha two" by hit-testing its row.
    const int y = RowMiddle(L"Alpha two");
    POINT button{-1, y};
    for (int x = 0; x < 120 && button.x < 0; ++x) {
        TVHITTESTINFO info{};
        info.pt = {x, y};
        ::SendMessageW(tree.GetSafeHwnd(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
        if (info.flags & TVHT_ONITEMBUTTON)
            button.x = x + 2;
    }
    ASSERT_GE(button.x, 0) << "no expand button on the row";
    ASSERT_TRUE(ClickWith(TreeScreen(button.x, button.y), {}));
    ASSERT_TRUE(PumpUntil([&] {
        return !(tree.CTreeCtrl::GetItemState((*this)[L"Alpha two"], TVIS_EXPANDED) & TVIS_EXPANDED);
    })) << "the branch did not collapse";
    EXPECT_EQ(CaretLabel(), L"Alpha two");
    EXPECT_FALSE(IsSelected(L"Alpha two")) << "the caret moves without selecting the collapsed item";
    EXPECT_FALSE(IsSelected(L"Alpha two a"));
    EXPECT_FALSE(IsSelected(L"Alpha two b"));
    EXPECT_EQ(Selected(), Labels{L"Alpha one"});

    // A selected bit inside a collapsed branch (set behind the tree's back) is never reported.
    ASSERT_TRUE(tree.CTreeCtrl::SetItemState((*this)[L"Alpha two a"], TVIS_SELECTED, TVIS_SELECTED));
    EXPECT_EQ(tree.GetSelectedCount(), 1u);
    EXPECT_EQ(tree.GetFirstSelectedItem(), (*this)[L"Alpha one"]);
    EXPECT_EQ(tree.GetNextSelectedItem((*this)[L"Alpha one"]), nullptr);
    EXPECT_EQ(tree.GetPrevSelectedItem((*this)[L"Charlie"]), (*this)[L"Alpha one"]);
}

TEST_F(TreeSelectionTest, TheParentCanVetoASelection)
{
    ASSERT_TRUE(tree.SelectItem((*this)[L"Bravo"]));
    host.vetoed = (*this)[L"Bravo two"];
    host.codes.clear();

    EXPECT_FALSE(tree.SetItemState((*this)[L"Bravo two"], TVIS_SELECTED, TVIS_SELECTED));
    EXPECT_FALSE(IsSelected(L"Bravo two"));
    EXPECT_EQ(host.Count(TVN_SELCHANGEDW), 0);

    ASSERT_TRUE(ClickWith(LabelPoint(L"Bravo two"), {VK_CONTROL}));
    ASSERT_TRUE(PumpUntil([&] { return host.Count(NM_CLICK) == 1; }));
    EXPECT_EQ(Selected(), Labels{L"Bravo"}) << "the vetoed item was selected";
    EXPECT_EQ(CaretLabel(), L"Bravo") << "a refused caret move must leave the caret where it was";

    host.vetoed = nullptr;
    host.codes.clear();
    EXPECT_TRUE(tree.SetItemState((*this)[L"Bravo two"], TVIS_SELECTED, TVIS_SELECTED));
    EXPECT_EQ(host.Count(TVN_SELCHANGEDW), 1);
    EXPECT_EQ(Selected(), (Labels{L"Bravo", L"Bravo two"}));
}

TEST_F(TreeSelectionTest, TheDragLoopPostsAQuitItTakesAgain)
{
    // A WM_QUIT that arrives while the press waits for its release ends the loop and must
    // reach the loop outside with its exit code.
    HTREEITEM item = (*this)[L"Bravo"];
    const RECT rect = treetest::ItemRect(tree.GetSafeHwnd(), item, TRUE);
    ::PostQuitMessage(42);
    ::SendMessageW(tree.GetSafeHwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(rect.left + 3, (rect.top + rect.bottom) / 2));
    MSG msg{};
    bool quit = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            break;
        }
        ::DispatchMessageW(&msg);
    }
    EXPECT_TRUE(quit) << "the quit message was swallowed";
    EXPECT_EQ(msg.wParam, 42u);

    // The same for the marquee (a press on empty space).
    ::PostQuitMessage(7);
    ::SendMessageW(tree.GetSafeHwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(150, 300));
    quit = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            break;
        }
        ::DispatchMessageW(&msg);
    }
    EXPECT_TRUE(quit) << "the marquee swallowed the quit message";
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(::GetCapture(), nullptr);
}

// ---- FindItem ----

namespace {

struct FindCase {
    const wchar_t* text;
    BOOL caseSensitive;
    BOOL down;
    BOOL wholeWord;
    const wchar_t* start;      // null: the caret
    const wchar_t* expected;   // null: nothing found
};

}    // namespace

TEST_F(TreeSelectionTest, FindItemMatchesWholeWordsAndWrapsAround)
{
    tree.DeleteAllItems();
    items.clear();
    Add(L"Program Files", nullptr);
    Add(L"my_file data", L"Program Files");
    Add(L"my file list", L"Program Files");
    Add(L"Readme", nullptr);
    Add(L"FILEs", L"Readme");    // collapsed branch: still searched
    Add(L"profile", nullptr);
    tree.Expand((*this)[L"Program Files"], TVE_EXPAND);
    ASSERT_TRUE(tree.SelectItem((*this)[L"Readme"]));

    const FindCase cases[] = {
        {L"file", FALSE, TRUE, TRUE, L"Program Files", L"my file list"},    // "_file" is not a word
        {L"file", FALSE, TRUE, FALSE, L"Program Files", L"Program Files"},  // the start counts
        {L"FILE", TRUE, TRUE, FALSE, nullptr, L"FILEs"},                    // collapsed child
        {L"file", TRUE, TRUE, TRUE, nullptr, L"my file list"},              // wraps past the end
        {L"my", FALSE, FALSE, TRUE, L"Readme", L"my file list"},            // upward
        {L"profile", FALSE, FALSE, FALSE, L"Program Files", L"profile"},    // upward wrap to the last
        {L"data", FALSE, TRUE, TRUE, L"profile", L"my_file data"},
        {L"missing", FALSE, TRUE, FALSE, nullptr, nullptr},
        {L"", FALSE, TRUE, FALSE, nullptr, nullptr},
    };
    for (const FindCase& c : cases) {
        HTREEITEM found = tree.FindItem(c.text, c.caseSensitive, c.down, c.wholeWord, c.start ? (*this)[c.start] : nullptr);
        std::wstring label = found ? std::wstring(static_cast<const wchar_t*>(tree.CTreeCtrl::GetItemText(found))) : L"(none)";
        EXPECT_EQ(label, c.expected ? c.expected : L"(none)")
            << "text '" << testsupport::Utf8(c.text) << "' from " << (c.start ? testsupport::Utf8(c.start) : "caret");
    }

    HTREEITEM inBranch = tree.FindItemInBranch(L"file", FALSE, TRUE, (*this)[L"Program Files"]);
    ASSERT_NE(inBranch, nullptr);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(tree.CTreeCtrl::GetItemText(inBranch))), L"my file list");
    EXPECT_EQ(tree.FindItemInBranch(L"file", FALSE, TRUE, (*this)[L"profile"]), nullptr);
}
