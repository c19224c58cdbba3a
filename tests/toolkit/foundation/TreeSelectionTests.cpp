// Multiple selection in a real three-level tree driven by SendInput: Shift and Ctrl clicks, a
// click on empty space, the marquee (with and without Ctrl, and Escape in the middle), keyboard
// ranges, collapsing around the caret, what the selected-item walk reports, a veto from the
// parent, and FindItem. The marquee runs its own message loop on the test thread, so its input
// comes from a driver thread that waits on the tree's state through sent messages.

#include "TreeTestSupport.h"

#include <algorithm>
#include <thread>

using testsupport::PumpUntil;
using treetest::ClickWith;
using treetest::Labels;

namespace {

struct TreeSelectionTest : treetest::TreeFixture {};

using testsupport::MouseButton;

// Input the driver holds down. Whatever is still down when it goes out of scope (a step failed or
// timed out) is released: a button left down would keep the tree's mouse loop on the test thread
// waiting for its release for ever, and the test would hang instead of failing.
class HeldInput {
public:
    HeldInput() = default;
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;
    ~HeldInput()
    {
        while (!m_held.empty())
            Release(m_held.back());
    }

    bool Press(MouseButton button) { return Hold({false, button == MouseButton::Left ? WORD(VK_LBUTTON) : WORD(VK_RBUTTON)}); }
    bool Release(MouseButton button) { return Release({false, button == MouseButton::Left ? WORD(VK_LBUTTON) : WORD(VK_RBUTTON)}); }
    bool KeyDown(WORD vk) { return Hold({true, vk}); }
    bool KeyUp(WORD vk) { return Release({true, vk}); }

private:
    struct Input {
        bool key;
        WORD code;
        bool operator==(const Input&) const = default;
    };
    static bool Send(Input input, bool down)
    {
        if (input.key)
            return treetest::KeyEvent(input.code, !down);
        return testsupport::PressButton(input.code == VK_LBUTTON ? MouseButton::Left : MouseButton::Right, down);
    }
    bool Hold(Input input)
    {
        // Counted as held even when sending failed: a release of something not down is harmless.
        m_held.push_back(input);
        return Send(input, true);
    }
    bool Release(Input input)
    {
        std::erase(m_held, input);
        return Send(input, false);
    }

    std::vector<Input> m_held;
};

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

// Moves the pointer to screen from the driver thread and waits until condition holds, moving it
// again every half second meanwhile, a pixel down and back in turn: a move that comes while the
// one before is being taken from the tree's queue can be lost (the pointer is there, the tree was
// never told), and a move to where the pointer already is reports nothing.
bool MoveUntil(POINT screen, const std::function<bool()>& condition)
{
    const DWORD start = ::GetTickCount();
    for (int attempt = 0;; ++attempt) {
        testsupport::MovePointerTo({screen.x, screen.y + attempt % 2});    // a miss is retried below
        const DWORD moved = ::GetTickCount();
        while (::GetTickCount() - moved < 500) {
            if (condition())
                return true;
            ::Sleep(10);
        }
        if (::GetTickCount() - start > testsupport::kGuiTimeoutMs)
            return false;
    }
}

// The selected bit of an item, asked from the driver thread as any other window would ask; a
// sent message that is not answered within a second counts as not selected.
bool SelectedFromDriver(HWND tree, HTREEITEM item)
{
    DWORD_PTR state = 0;
    if (!::SendMessageTimeoutW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_SELECTED,
                               SMTO_ABORTIFHUNG, 1000, &state))
        return false;
    return (state & TVIS_SELECTED) != 0;
}

// Whether the thread of window holds the mouse capture (GetCapture answers for the caller's own
// thread only).
bool CaptureHeldBy(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) && info.hwndCapture != nullptr;
}

// Runs driver on its own thread and pumps this thread's messages until it has finished; the
// driver answers the step that failed (null: none). Every step of a driver ends by itself (its
// waits have limits, its input is released by HeldInput), so the pumping ends too, and the
// thread is joined only once it has finished: joining earlier would block this thread while the
// driver may still wait for an answer from it.
testing::AssertionResult Drive(const std::function<const char*(HeldInput&)>& driver)
{
    std::atomic<bool> done{false};
    const char* failed = nullptr;
    std::thread thread([&] {
        {
            HeldInput input;
            failed = driver(input);
        }
        done = true;
    });
    while (!PumpUntil([&] { return done.load(); })) {
    }
    thread.join();
    if (failed)
        return testing::AssertionFailure() << "the driver failed at: " << failed;
    return testing::AssertionSuccess();
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

    // Below the last row, each click well away from the one before: two presses close together in
    // time and place would make the second a double-click, which the tree leaves to the platform.
    testsupport::MessageRecorder presses(tree.GetSafeHwnd(), {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
    auto handled = [&](size_t count) {
        return presses.Count(WM_LBUTTONDOWN) == count && ::GetCapture() == nullptr;    // and its loop ended
    };
    ASSERT_TRUE(ClickWith(TreeScreen(150, 300), {VK_CONTROL}));
    ASSERT_TRUE(PumpUntil([&] { return handled(1); }));
    ASSERT_TRUE(ClickWith(TreeScreen(170, 285), {VK_SHIFT}));
    ASSERT_TRUE(PumpUntil([&] { return handled(2); })) << presses.Count(WM_LBUTTONDBLCLK) << " double-clicks";
    EXPECT_EQ(Selected(), (Labels{L"Alpha", L"Bravo"})) << "a click with a modifier must keep the selection";

    ASSERT_TRUE(ClickWith(TreeScreen(130, 305), {}));
    ASSERT_TRUE(PumpUntil([&] { return handled(3); })) << presses.Count(WM_LBUTTONDBLCLK) << " double-clicks";
    EXPECT_TRUE(Selected().empty()) << "a plain click on empty space keeps the selection";
}

TEST_F(TreeSelectionTest, AMarqueeSelectsWhatItCoversAndCtrlGivesBackWhatItLeaves)
{
    ASSERT_TRUE(tree.SetItemState((*this)[L"Charlie"], TVIS_SELECTED, TVIS_SELECTED));
    const POINT start = TreeScreen(280, RowMiddle(L"Alpha one"));
    const POINT end = TreeScreen(5, RowMiddle(L"Alpha two b"));
    HWND hwnd = tree.GetSafeHwnd();
    auto selected = [hwnd, this](const wchar_t* label) { return SelectedFromDriver(hwnd, items.at(label)); };
    ASSERT_TRUE(treetest::SettlePointerAt(start));
    ASSERT_TRUE(Drive([&](HeldInput& input) -> const char* {
        if (!input.Press(MouseButton::Left))
            return "the press";
        testsupport::MovePointerTo({start.x - 20, start.y + 10});    // past the drag distance
        if (!MoveUntil(end, [&] { return selected(L"Alpha two b"); }))
            return "waiting for the rectangle to reach \"Alpha two b\"";
        return input.Release(MouseButton::Left) ? nullptr : "the release";
    }));
    ASSERT_TRUE(PumpUntil([] { return ::GetCapture() == nullptr; }));
    EXPECT_EQ(Selected(), (Labels{L"Alpha one", L"Alpha two", L"Alpha two a", L"Alpha two b"}))
        << "without a modifier the marquee replaces the selection";

    // Ctrl: the items selected at the start are deselected under the rectangle and come back
    // when it leaves them; an item it newly covered and left again is dropped.
    const POINT ctrlStart = TreeScreen(280, RowMiddle(L"Alpha two"));
    const POINT down = TreeScreen(5, RowMiddle(L"Alpha three")), back = TreeScreen(5, RowMiddle(L"Alpha two") + 2);
    ASSERT_TRUE(treetest::SettlePointerAt(ctrlStart));
    ASSERT_TRUE(Drive([&](HeldInput& input) -> const char* {
        if (!input.KeyDown(VK_CONTROL) || !input.Press(MouseButton::Left))
            return "the press with Ctrl";
        testsupport::MovePointerTo({ctrlStart.x - 20, ctrlStart.y + 5});
        if (!MoveUntil(down, [&] { return selected(L"Alpha three") && !selected(L"Alpha two a"); }))
            return "waiting for the rectangle to reach \"Alpha three\"";
        if (!MoveUntil(back, [&] { return !selected(L"Alpha three") && selected(L"Alpha two a"); }))
            return "waiting for the rectangle to leave \"Alpha two a\"";
        return input.Release(MouseButton::Left) && input.KeyUp(VK_CONTROL) ? nullptr : "the release";
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
    const POINT end = TreeScreen(5, RowMiddle(L"Alpha two"));
    ASSERT_TRUE(treetest::SettlePointerAt(start));
    ASSERT_TRUE(Drive([&](HeldInput& input) -> const char* {
        if (!input.KeyDown(VK_CONTROL) || !input.Press(MouseButton::Left))
            return "the press with Ctrl";
        testsupport::MovePointerTo({start.x - 20, start.y + 5});
        if (!MoveUntil(end, [&] { return SelectedFromDriver(hwnd, two); }))
            return "waiting for the rectangle to reach \"Alpha two\"";
        if (!input.KeyUp(VK_CONTROL) || !input.KeyDown(VK_ESCAPE) || !input.KeyUp(VK_ESCAPE))
            return "Escape";
        // Escape, not the release below, has to end the loop.
        if (!WaitFromDriver([hwnd] { return !CaptureHeldBy(hwnd); }))
            return "waiting for Escape to end the marquee";
        return input.Release(MouseButton::Left) ? nullptr : "the release";
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

// ---- the selection as others see it ----

namespace {

UINT StateMessage(HWND tree, HTREEITEM item, UINT mask)
{
    return static_cast<UINT>(::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

bool SelectedByGetItem(HWND tree, HTREEITEM item)
{
    TVITEMW record{};
    record.mask = TVIF_HANDLE | TVIF_STATE;
    record.hItem = item;
    record.stateMask = TVIS_SELECTED;
    return ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&record)) &&
           (record.state & TVIS_SELECTED) != 0;
}

}    // namespace

TEST_F(TreeSelectionTest, StateMessagesFromOutsideAnswerFromTheSelection)
{
    HWND hwnd = tree.GetSafeHwnd();
    ASSERT_TRUE(tree.SelectItem((*this)[L"Bravo"]));
    tree.SelectAll(TRUE);
    for (const auto& [label, item] : items) {
        EXPECT_TRUE(StateMessage(hwnd, item, TVIS_SELECTED) & TVIS_SELECTED) << testsupport::Utf8(label);
        EXPECT_TRUE(SelectedByGetItem(hwnd, item)) << testsupport::Utf8(label);
    }
    EXPECT_EQ(tree.GetSelectedCount(), items.size());
    EXPECT_TRUE(StateMessage(hwnd, (*this)[L"Alpha"], TVIS_SELECTED | TVIS_EXPANDED) & TVIS_EXPANDED)
        << "the platform's other bits must come through";

    // TVM_SETITEM from outside takes the caret out of the selection; it stays the caret.
    TVITEMW clear{};
    clear.mask = TVIF_HANDLE | TVIF_STATE;
    clear.hItem = (*this)[L"Bravo"];
    clear.stateMask = TVIS_SELECTED;
    EXPECT_TRUE(::SendMessageW(hwnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&clear)));
    EXPECT_FALSE(StateMessage(hwnd, (*this)[L"Bravo"], TVIS_SELECTED) & TVIS_SELECTED);
    EXPECT_FALSE(tree.GetItemState((*this)[L"Bravo"], TVIS_SELECTED) & TVIS_SELECTED);
    EXPECT_EQ(tree.GetSelectedCount(), items.size() - 1);
    EXPECT_EQ(CaretLabel(), L"Bravo");

    // Cleared: no item answers selected, the caret included, though the platform's own bit
    // stays on it.
    tree.SelectAll(FALSE);
    for (const auto& [label, item] : items) {
        EXPECT_FALSE(StateMessage(hwnd, item, TVIS_SELECTED) & TVIS_SELECTED) << testsupport::Utf8(label);
        EXPECT_FALSE(SelectedByGetItem(hwnd, item)) << testsupport::Utf8(label);
    }
    EXPECT_EQ(tree.GetFirstSelectedItem(), nullptr);
}

TEST_F(TreeSelectionTest, DeletedItemsLeaveTheSelection)
{
    ASSERT_TRUE(tree.SetItemState((*this)[L"Alpha two a"], TVIS_SELECTED, TVIS_SELECTED));
    ASSERT_TRUE(tree.SetItemState((*this)[L"Alpha two b"], TVIS_SELECTED, TVIS_SELECTED));
    ASSERT_TRUE(tree.SetItemState((*this)[L"Bravo one"], TVIS_SELECTED, TVIS_SELECTED));
    ASSERT_EQ(tree.GetSelectedCount(), 3u);

    // The branch goes with its selected children. The platform hands freed handles out again:
    // none of the new items may come up selected under an old handle.
    const HTREEITEM gone[] = {(*this)[L"Alpha two a"], (*this)[L"Alpha two b"]};
    ASSERT_TRUE(tree.DeleteItem((*this)[L"Alpha two"]));
    EXPECT_EQ(Selected(), Labels{L"Bravo one"});
    bool reused = false;
    for (int i = 0; i < 20; ++i) {
        HTREEITEM added = tree.InsertItem(L"new", (*this)[L"Charlie"]);
        reused = reused || added == gone[0] || added == gone[1];
        EXPECT_FALSE(tree.GetItemState(added, TVIS_SELECTED) & TVIS_SELECTED) << "new item " << i;
    }
    tree.Expand((*this)[L"Charlie"], TVE_EXPAND);
    EXPECT_EQ(Selected(), Labels{L"Bravo one"}) << (reused ? "an old handle came back selected" : "");

    // Deleting everything empties the selection.
    ASSERT_TRUE(tree.DeleteAllItems());
    HTREEITEM fresh = tree.InsertItem(L"fresh");
    EXPECT_EQ(tree.GetSelectedCount(), 0u);
    EXPECT_FALSE(tree.GetItemState(fresh, TVIS_SELECTED) & TVIS_SELECTED);
}
