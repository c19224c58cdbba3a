#pragma once
// A real three-level tree for the tree tests: a framework host window (so that the tree's
// notifications are reflected back to it and reach the host's recorder) with a CXTPTreeCtrl
// filling it, multiple selection on, every branch expanded. Items are found by their labels.

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPTreeCtrl.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace treetest {

// The rectangle of an item (its label with textOnly), in the tree's client coordinates.
inline RECT ItemRect(HWND tree, HTREEITEM item, BOOL textOnly)
{
    RECT rect{};
    std::memcpy(&rect, &item, sizeof(item));    // the message takes the item in the rectangle
    ::SendMessageW(tree, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// The host records the notifications it gets and may veto selecting one item.
class TreeHost : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            codes.push_back(static_cast<int>(header->code));
            if (header->code == static_cast<UINT>(TVN_SELCHANGINGW)) {
                auto* notify = reinterpret_cast<NMTREEVIEWW*>(lParam);
                if (vetoed && notify->itemNew.hItem == vetoed)
                    return TRUE;
            }
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    int Count(int code) const
    {
        int n = 0;
        for (int c : codes)
            n += c == code;
        return n;
    }

    std::vector<int> codes;
    HTREEITEM vetoed = nullptr;
};

// Visible order when everything is expanded:
//   Alpha, Alpha one, Alpha two, Alpha two a, Alpha two b, Alpha three, Bravo, Bravo one,
//   Bravo two, Charlie
struct TreeFixture : testing::Test {
    explicit TreeFixture(DWORD extraStyle = 0) : m_extraStyle(extraStyle) {}

    void SetUp() override
    {
        ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                                  L"tree host", WS_POPUP | WS_VISIBLE, 60, 60, 320, 420, nullptr, nullptr));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                    TVS_SHOWSELALWAYS | m_extraStyle,
                                CRect(0, 0, 300, 320), &host, 100));
        tree.EnableMultiSelect(TRUE);
        Add(L"Alpha", nullptr);
        Add(L"Alpha one", L"Alpha");
        Add(L"Alpha two", L"Alpha");
        Add(L"Alpha two a", L"Alpha two");
        Add(L"Alpha two b", L"Alpha two");
        Add(L"Alpha three", L"Alpha");
        Add(L"Bravo", nullptr);
        Add(L"Bravo one", L"Bravo");
        Add(L"Bravo two", L"Bravo");
        Add(L"Charlie", nullptr);
        for (const wchar_t* parent : {L"Alpha", L"Alpha two", L"Bravo"})
            tree.Expand(items[parent], TVE_EXPAND);
        ASSERT_TRUE(testsupport::BringToForeground(host.GetSafeHwnd()));
        tree.SetFocus();
        testsupport::PumpUntil([this] { return ::GetFocus() == tree.GetSafeHwnd(); });
        // The platform makes the first item caret and selected when the tree takes the focus;
        // every test starts with nothing selected.
        tree.SelectAll(FALSE);
        host.codes.clear();
    }
    void TearDown() override
    {
        if (host.GetSafeHwnd())
            host.DestroyWindow();
        testsupport::PumpPending();
    }

    void Add(const wchar_t* label, const wchar_t* parent)
    {
        items[label] = tree.InsertItem(label, parent ? items[parent] : TVI_ROOT);
    }
    HTREEITEM operator[](const wchar_t* label) { return items.at(label); }

    // Labels of the selected visible items, in order.
    std::vector<std::wstring> Selected() const
    {
        std::vector<std::wstring> labels;
        for (HTREEITEM h = tree.GetFirstSelectedItem(); h; h = tree.GetNextSelectedItem(h))
            labels.push_back(std::wstring(static_cast<const wchar_t*>(tree.CTreeCtrl::GetItemText(h))));
        return labels;
    }
    bool IsSelected(const wchar_t* label) const
    {
        return (tree.CTreeCtrl::GetItemState(items.at(label), TVIS_SELECTED) & TVIS_SELECTED) != 0;
    }
    std::wstring CaretLabel() const
    {
        HTREEITEM h = tree.GetNextItem(nullptr, TVGN_CARET);
        return h ? std::wstring(static_cast<const wchar_t*>(tree.CTreeCtrl::GetItemText(h))) : std::wstring();
    }
    // A point on the item's label, in screen coordinates. Successive calls alternate between
    // two points 7 pixels apart near the label's start, so two clicks on one item are never taken for a double-click.
    POINT LabelPoint(const wchar_t* label)
    {
        const RECT rect = ItemRect(tree.GetSafeHwnd(), items.at(label), TRUE);
        POINT point{m_flip ? rect.left + 10 : rect.left + 3, (rect.top + rect.bottom) / 2};
        m_flip = !m_flip;
        ::ClientToScreen(tree.GetSafeHwnd(), &point);
        return point;
    }
    POINT TreeScreen(int x, int y) const
    {
        POINT point{x, y};
        ::ClientToScreen(tree.GetSafeHwnd(), &point);
        return point;
    }
    int RowMiddle(const wchar_t* label) const
    {
        const RECT rect = ItemRect(tree.GetSafeHwnd(), items.at(label), FALSE);
        return (rect.top + rect.bottom) / 2;
    }

    TreeHost host;
    CXTPTreeCtrl tree;
    std::map<std::wstring, HTREEITEM> items;

private:
    DWORD m_extraStyle;
    bool m_flip = false;
};

// Moves the pointer to screen and waits, on the thread that owns the tree, until the move has
// been handled: no mouse input waits in the queue and the pointer is still there. GetCursorPos
// may show the new position while the display's report of an older one is still to be handled,
// which puts the pointer back there; a click sent before that lands on the old spot (on a label
// instead of empty space, or on the previous click's spot, which makes it a double-click).
inline bool SettlePointerAt(POINT screen)
{
    auto settled = [screen] {
        POINT at{};
        return HIWORD(::GetQueueStatus(QS_MOUSE)) == 0 && ::GetCursorPos(&at) && at.x == screen.x &&
               at.y == screen.y;
    };
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (testsupport::MovePointerTo(screen) && testsupport::PumpUntil(settled, 2000))
            return true;
    }
    return false;
}

// Moves the pointer to screen and clicks there with the modifier keys held.
inline bool ClickWith(POINT screen, std::initializer_list<WORD> modifiers,
                      testsupport::MouseButton button = testsupport::MouseButton::Left)
{
    if (!SettlePointerAt(screen))
        return false;
    std::vector<INPUT> inputs;
    auto key = [&inputs](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD vk : modifiers)
        key(vk, false);
    INPUT mouse{};
    mouse.type = INPUT_MOUSE;
    const bool left = button == testsupport::MouseButton::Left;
    mouse.mi.dwFlags = left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    inputs.push_back(mouse);
    mouse.mi.dwFlags = left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    inputs.push_back(mouse);
    for (WORD vk : modifiers)
        key(vk, true);
    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent == inputs.size())
        return true;
    // Part of the chord went in: release what may be down, so no loop waits for it for ever.
    if (sent > 0)
        ::SendInput(static_cast<UINT>(inputs.size() - modifiers.size() - 1), inputs.data() + modifiers.size() + 1,
                    sizeof(INPUT));
    return false;
}

inline bool KeyEvent(WORD vk, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return ::SendInput(1, &input, sizeof(INPUT)) == 1;
}

using Labels = std::vector<std::wstring>;

}    // namespace treetest
