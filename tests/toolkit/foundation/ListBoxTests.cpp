// The owner-drawn list box and the Office border with real windows: a list box made by the
// program inside a host window and two taken from a dialog template. The tests read back what
// Windows reports (styles, item heights, the owner-draw messages the parents received, the
// rectangles of the frame) and then the pixels the controls print into DIBs or show on screen.
// The skin look's hot item follows the real pointer (SendInput); its image and style text are
// linked into this program (ListBoxTests.rc).

#include "ListBoxTestsResource.h"

#include "framework/window/Controls.h"
#include "framework/window/Dialog.h"
#include "framework/window/WinApp.h"
#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPListBox.h"
#include "toolkit/foundation/XTPOfficeBorder.h"
#include "toolkit/foundation/XTPPaintManagerLink.h"
#include "toolkit/foundation/XTPResourceImage.h"

#include "tests/support/DibCanvas.h"
#include "tests/support/GuiSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using testsupport::DibCanvas;
using testsupport::MessageRecorder;
using testsupport::PumpUntil;

namespace {

constexpr UINT kListId = 2001;
constexpr UINT kEditId = 2002;
constexpr UINT kBorderedId = 2003;

// The fixture's item image states and text colour (fixtures/listbox/make-listbox.py).
constexpr COLORREF kStateColour[4] = {RGB(230, 80, 40), RGB(40, 160, 90), RGB(60, 90, 210), RGB(200, 180, 30)};
constexpr COLORREF kSkinText = RGB(101, 23, 147);

COLORREF Colour(int index)
{
    return GetColorManager()->GetColor(index);
}

std::string Hex(COLORREF colour)
{
    char text[16];
    std::snprintf(text, sizeof(text), "#%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"List Box Tests") {}
};

// Counts what the list box is asked to measure and draw, and what kind of context it draws into.
class CProbeListBox : public CXTPListBox {
public:
    int measured = 0;
    int drawn = 0;
    DWORD drawContextType = 0;    // GetObjectType of the last DrawItem's context

    void MeasureItem(LPMEASUREITEMSTRUCT mis) override
    {
        ++measured;
        CXTPListBox::MeasureItem(mis);
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override
    {
        ++drawn;
        drawContextType = ::GetObjectType(dis->hDC);
        CXTPListBox::DrawItem(dis);
    }
};

// A top-level window of the framework's default class: the parent that reflects the owner-draw
// messages to the program-made controls. Topmost, so that what the screen shows is its own.
class CHostWnd : public CWnd {
public:
    BOOL Make(int width = 380, int height = 280)
    {
        return CreateEx(WS_EX_TOPMOST, nullptr, L"list box tests", WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60, width,
                        height, nullptr, nullptr);
    }
};

class CListBoxesDialog : public CDialog {
public:
    CListBoxesDialog() : CDialog(IDD_LISTBOXES) {}
    CProbeListBox ownerDrawn;
    CProbeListBox plain;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ownerDrawn.SubclassDlgItem(IDC_OWNERDRAWN_LIST, this);
        plain.SubclassDlgItem(IDC_PLAIN_LIST, this);
        return TRUE;
    }
};

// The list box's client area as printed on WM_PRINTCLIENT into a white canvas of its size.
std::unique_ptr<DibCanvas> PrintClient(HWND window)
{
    CRect client;
    ::GetClientRect(window, &client);
    auto canvas = std::make_unique<DibCanvas>(std::max(1L, client.right), std::max(1L, client.bottom));
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->DC()), PRF_CLIENT | PRF_ERASEBKGND);
    ::GdiFlush();
    return canvas;
}

// The whole window as printed on WM_PRINT with its non-client area.
std::unique_ptr<DibCanvas> PrintWindowFrame(HWND window)
{
    CRect rect;
    ::GetWindowRect(window, &rect);
    auto canvas = std::make_unique<DibCanvas>(rect.Width(), rect.Height());
    ::SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(canvas->DC()), PRF_NONCLIENT);
    ::GdiFlush();
    return canvas;
}

// The whole window as the screen shows it, read through its window context.
std::unique_ptr<DibCanvas> ScreenOfWindow(HWND window)
{
    CRect rect;
    ::GetWindowRect(window, &rect);
    auto canvas = std::make_unique<DibCanvas>(rect.Width(), rect.Height());
    HDC dc = ::GetWindowDC(window);
    ::BitBlt(canvas->DC(), 0, 0, rect.Width(), rect.Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(window, dc);
    ::GdiFlush();
    return canvas;
}

CRect ItemRect(HWND list, int index)
{
    CRect rect;
    ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// A pixel of the item's background: at the right end, clear of the short item texts.
COLORREF ItemBack(const DibCanvas& canvas, const CRect& item)
{
    return canvas.At(item.right - 4, item.top + item.Height() / 2);
}

int CountIn(const DibCanvas& canvas, const CRect& region, COLORREF colour)
{
    int count = 0;
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            count += canvas.At(x, y) == colour ? 1 : 0;
    return count;
}

// Whether the rectangle's outline is all one colour; else where it is not.
std::string OutlineIs(const DibCanvas& canvas, const CRect& rect, COLORREF colour)
{
    for (int x = rect.left; x < rect.right; ++x)
        for (int y : {static_cast<int>(rect.top), static_cast<int>(rect.bottom) - 1})
            if (canvas.At(x, y) != colour)
                return std::to_string(x) + "," + std::to_string(y) + " is " + Hex(canvas.At(x, y));
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x : {static_cast<int>(rect.left), static_cast<int>(rect.right) - 1})
            if (canvas.At(x, y) != colour)
                return std::to_string(x) + "," + std::to_string(y) + " is " + Hex(canvas.At(x, y));
    return {};
}

// Whether rect is framed with topLeft on the top and left edges and bottomRight on the others, as
// Draw3dRect frames; else the first pixel that is not.
std::string FrameIs(const DibCanvas& canvas, const CRect& rect, COLORREF topLeft, COLORREF bottomRight)
{
    auto check = [&](int x, int y, COLORREF expected) -> std::string {
        if (canvas.At(x, y) == expected)
            return {};
        return std::to_string(x) + "," + std::to_string(y) + " is " + Hex(canvas.At(x, y)) + ", not " + Hex(expected);
    };
    for (int x = rect.left; x < rect.right; ++x) {
        const std::string top = check(x, rect.top, x < rect.right - 1 ? topLeft : bottomRight);
        const std::string bottom = check(x, rect.bottom - 1, bottomRight);
        if (!top.empty() || !bottom.empty())
            return top.empty() ? bottom : top;
    }
    for (int y = rect.top; y < rect.bottom; ++y) {
        const std::string left = check(rect.left, y, y < rect.bottom - 1 ? topLeft : bottomRight);
        const std::string right = check(rect.right - 1, y, bottomRight);
        if (!left.empty() || !right.empty())
            return left.empty() ? right : left;
    }
    return {};
}

// Answers one paint-theme kind as the toolkit-wide paint manager for the length of a scope.
class PaintThemeScope {
public:
    explicit PaintThemeScope(int kind)
    {
        s_kind = kind;
        SetGlobalPaintManagerSource(&Source);
    }
    ~PaintThemeScope() { SetGlobalPaintManagerSource(nullptr); }
    PaintThemeScope(const PaintThemeScope&) = delete;
    PaintThemeScope& operator=(const PaintThemeScope&) = delete;

private:
    class CLink : public CXTPPaintManagerLink {
    public:
        int GetThemeNumber() const override { return s_kind; }
    };
    static CXTPPaintManagerLink* Source()
    {
        static CLink link;
        return &link;
    }
    static inline int s_kind = 0;
};

// Resource images from another module for the length of a scope (this program's own carry the
// list box's image and style text).
class ResourceImagesScope {
public:
    explicit ResourceImagesScope(HMODULE module) { GetResourceImages()->SetHandle(module); }
    ~ResourceImagesScope() { GetResourceImages()->SetHandle(::GetModuleHandleW(nullptr)); }
};

class ListBoxTest : public ::testing::Test {
protected:
    CTestApp app;
    CHostWnd host;
    CProbeListBox list;
    HWND edit = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(host.Make());
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                CRect(10, 10, 190, 150), &host, kListId));
        edit = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 170, 180, 22, host.m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kEditId)), ::GetModuleHandleW(nullptr),
                                 nullptr);
        ASSERT_NE(nullptr, edit);
    }
    void TearDown() override
    {
        if (list.m_hWnd)
            list.DestroyWindow();
        if (host.m_hWnd)
            host.DestroyWindow();
    }

    void AddItems(CListBox& box)
    {
        for (const wchar_t* text : {L"One", L"Two", L"Three", L"Four"})
            box.AddString(text);
    }
    // Gives the list the focus (its window first becomes the foreground window).
    bool FocusOn(HWND window)
    {
        if (!testsupport::BringToForeground(host.m_hWnd))
            return false;
        ::SetFocus(window);
        return PumpUntil([window] { return ::GetFocus() == window; });
    }
};

} // namespace

// Both kinds of list box end up owner-drawn with strings: the one the program makes gets the
// styles at creation, the template one carries them. Each is asked to measure every item it
// gets and to draw its items, and paints through a memory context (the buffer).
TEST_F(ListBoxTest, ProgramAndTemplateListBoxesMeasureAndDrawTheirItems)
{
    CListBoxesDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_LISTBOXES, &host));
    dialog.ShowWindow(SW_SHOW);

    const struct {
        const char* name;
        CProbeListBox* box;
        HWND parent;
    } cases[] = {
        {"made by the program", &list, host.m_hWnd},
        {"from a dialog template", &dialog.ownerDrawn, dialog.m_hWnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DWORD style = c.box->GetStyle();
        EXPECT_EQ(static_cast<DWORD>(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS),
                  style & (LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_OWNERDRAWFIXED));

        MessageRecorder parent(c.parent, {WM_MEASUREITEM, WM_DRAWITEM});
        AddItems(*c.box);
        EXPECT_EQ(4u, parent.Count(WM_MEASUREITEM)) << "the parent is asked to measure each item";
        EXPECT_EQ(4, c.box->measured) << "and hands each request to the list box";
        CString text;
        c.box->GetText(2, text);
        EXPECT_STREQ(L"Three", text.GetString()) << "the list box keeps its strings";

        c.box->drawn = 0;
        c.box->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(parent.Contains(WM_DRAWITEM));
        EXPECT_GE(c.box->drawn, 4);
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), c.box->drawContextType) << "painted into the buffer";
    }

    list.SetListFont(TRUE);
    EXPECT_EQ(GetAuxData().font.GetSafeHandle(), reinterpret_cast<HFONT>(list.SendMessage(WM_GETFONT)));
    dialog.DestroyWindow();
}

// A template list box without the owner-draw styles is not made owner-drawn by adding them later:
// the styles show in the style word but the box never asks to measure or draw. The template has
// to carry them (and debug builds say so when it does not).
TEST_F(ListBoxTest, TemplateListBoxWithoutTheStylesStaysDrawnByTheSystem)
{
    CListBoxesDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_LISTBOXES, &host));
    dialog.ShowWindow(SW_SHOW);

    EXPECT_EQ(static_cast<DWORD>(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS),
              dialog.plain.GetStyle() & (LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS));
    MessageRecorder parent(dialog.m_hWnd, {WM_MEASUREITEM, WM_DRAWITEM});
    AddItems(dialog.plain);
    dialog.plain.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(0u, parent.Count(WM_MEASUREITEM));
    EXPECT_EQ(0u, parent.Count(WM_DRAWITEM));
    EXPECT_EQ(0, dialog.plain.measured + dialog.plain.drawn);
    dialog.DestroyWindow();
}

TEST_F(ListBoxTest, ItemHeightsFollowTheFieldOrTheMenuHeight)
{
    CListBoxesDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_LISTBOXES, &host));

    const int menuHeight = ::GetSystemMetrics(SM_CYMENU) - 2;
    const struct {
        int field;
        int expected;
    } heights[] = {{0, menuHeight}, {18, 18}, {-3, menuHeight}};
    for (CProbeListBox* box : {&list, &dialog.ownerDrawn}) {
        for (const auto& h : heights) {
            SCOPED_TRACE("field " + std::to_string(h.field) + (box == &list ? ", program" : ", template"));
            box->ResetContent();
            box->SetItemHeight(h.field);
            AddItems(*box);
            EXPECT_EQ(h.expected, static_cast<int>(box->SendMessage(LB_GETITEMHEIGHT, 0)));
            EXPECT_EQ(h.expected, ItemRect(*box, 1).Height());
        }
    }
    dialog.DestroyWindow();
}

// The standard and Office XP looks, printed: the selected item's back, frame and text, a plain
// item's, and the focus rectangle around the focused item when the list has the focus.
TEST_F(ListBoxTest, StandardAndOfficeLooksDrawSelectionTextAndFocus)
{
    AddItems(list);
    list.SetCurSel(1);
    const COLORREF window = Colour(COLOR_WINDOW);

    const struct {
        const char* name;
        int look;
        bool enabled;
        bool focused;
        COLORREF selectedBack, selectedText, selectedEdge, plainText;
        bool focusRect;
    } cases[] = {
        {"standard", xtpListBoxStandard, true, false, Colour(COLOR_HIGHLIGHT), Colour(COLOR_HIGHLIGHTTEXT),
         Colour(COLOR_HIGHLIGHT), Colour(COLOR_WINDOWTEXT), false},
        {"standard, focused", xtpListBoxStandard, true, true, Colour(COLOR_HIGHLIGHT), Colour(COLOR_HIGHLIGHTTEXT),
         Colour(COLOR_HIGHLIGHT), Colour(COLOR_WINDOWTEXT), true},
        {"standard, disabled", xtpListBoxStandard, false, false, Colour(COLOR_GRAYTEXT), Colour(COLOR_HIGHLIGHTTEXT),
         Colour(COLOR_GRAYTEXT), Colour(COLOR_GRAYTEXT), false},
        {"Office XP", xtpListBoxOfficeXP, true, false, Colour(31), Colour(45), Colour(32), Colour(COLOR_WINDOWTEXT),
         false},
        {"Office XP, focused", xtpListBoxOfficeXP, true, true, Colour(31), Colour(45), Colour(32),
         Colour(COLOR_WINDOWTEXT), true},
        {"Office XP, disabled", xtpListBoxOfficeXP, false, false, Colour(COLOR_GRAYTEXT), Colour(COLOR_HIGHLIGHTTEXT),
         Colour(COLOR_GRAYTEXT), Colour(COLOR_GRAYTEXT), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.SetListStyle(c.look);
        list.EnableWindow(c.enabled);
        if (c.focused)
            ASSERT_TRUE(FocusOn(list.m_hWnd));
        else
            ::SetFocus(edit);
        ASSERT_EQ(c.focused, ::GetFocus() == list.m_hWnd);

        auto canvas = PrintClient(list.m_hWnd);
        const CRect selected = ItemRect(list.m_hWnd, 1);
        const CRect plain = ItemRect(list.m_hWnd, 2);
        EXPECT_EQ(Hex(c.selectedBack), Hex(ItemBack(*canvas, selected)));
        EXPECT_GT(CountIn(*canvas, selected, c.selectedText), 0) << "selected text " << Hex(c.selectedText);
        EXPECT_EQ(Hex(window), Hex(ItemBack(*canvas, plain)));
        EXPECT_GT(CountIn(*canvas, plain, c.plainText), 0) << "plain text " << Hex(c.plainText);
        const std::string edge = OutlineIs(*canvas, selected, c.selectedEdge);
        if (c.focusRect)
            EXPECT_FALSE(edge.empty()) << "a focus rectangle breaks the selected item's edge";
        else
            EXPECT_EQ("", edge);
    }
    list.EnableWindow(TRUE);
}

// The skin look with the real pointer: the item under it is hot (image state 0, or 2 when it is
// also selected), the selected item shows state 1 while the list has the focus and 3 without;
// leaving the list clears the hot item. Text takes the style text's colour; no focus rectangle.
TEST_F(ListBoxTest, SkinLookFollowsThePointerAndTheFocus)
{
    ASSERT_NE(nullptr, GetResourceImages()->GetImage(L"LISTBOX")) << "the fixture image is in the program";
    AddItems(list);
    list.SetCurSel(1);
    list.SetListStyle(xtpListBoxOffice2007);
    const COLORREF window = Colour(COLOR_WINDOW);
    const CRect item0 = ItemRect(list.m_hWnd, 0), item1 = ItemRect(list.m_hWnd, 1), item2 = ItemRect(list.m_hWnd, 2);

    // The pointer starts away from the list, over the edit.
    ASSERT_TRUE(testsupport::MovePointerToClient(edit, {20, 10}));
    ASSERT_TRUE(FocusOn(list.m_hWnd));
    PumpUntil([&] { return list.GetHotItem() == -1; });

    ASSERT_TRUE(testsupport::MovePointerToClient(list.m_hWnd, item0.CenterPoint()));
    ASSERT_TRUE(PumpUntil([&] { return list.GetHotItem() == 0; })) << "hot item " << list.GetHotItem();
    {
        auto canvas = PrintClient(list.m_hWnd);
        EXPECT_EQ(Hex(kStateColour[0]), Hex(ItemBack(*canvas, item0))) << "hot";
        EXPECT_EQ(Hex(kStateColour[1]), Hex(ItemBack(*canvas, item1))) << "selected, focused";
        EXPECT_EQ(Hex(window), Hex(ItemBack(*canvas, item2))) << "plain";
        EXPECT_EQ("", OutlineIs(*canvas, item1, kStateColour[1])) << "no focus rectangle";
        for (const CRect& item : {item0, item1, item2})
            EXPECT_GT(CountIn(*canvas, item, kSkinText), 0) << "style text colour";
    }

    ASSERT_TRUE(testsupport::MovePointerToClient(list.m_hWnd, item1.CenterPoint()));
    ASSERT_TRUE(PumpUntil([&] { return list.GetHotItem() == 1; })) << "hot item " << list.GetHotItem();
    {
        auto canvas = PrintClient(list.m_hWnd);
        EXPECT_EQ(Hex(kStateColour[2]), Hex(ItemBack(*canvas, item1))) << "selected and hot";
        EXPECT_EQ(Hex(window), Hex(ItemBack(*canvas, item0))) << "no longer hot";
    }
    // The screen follows: the change of hot item repainted the list through its buffer.
    EXPECT_TRUE(PumpUntil([&] {
        const auto shown = testsupport::CaptureClient(list.m_hWnd);
        return !shown.IsEmpty() && shown.At(item1.right - 4, item1.CenterPoint().y) == kStateColour[2] &&
               shown.At(item0.right - 4, item0.CenterPoint().y) == window;
    })) << "the screen shows the hot selected item";

    // Off the list, below the last item: nothing is hot.
    const CRect client = [&] {
        CRect r;
        list.GetClientRect(&r);
        return r;
    }();
    ASSERT_TRUE(testsupport::MovePointerToClient(list.m_hWnd, {client.CenterPoint().x, client.bottom - 3}));
    ASSERT_TRUE(PumpUntil([&] { return list.GetHotItem() == -1; })) << "hot item " << list.GetHotItem();

    // Leaving the window altogether clears it too, through WM_MOUSELEAVE.
    ASSERT_TRUE(testsupport::MovePointerToClient(list.m_hWnd, item2.CenterPoint()));
    ASSERT_TRUE(PumpUntil([&] { return list.GetHotItem() == 2; }));
    ASSERT_TRUE(testsupport::MovePointerToClient(edit, {20, 10}));
    ASSERT_TRUE(PumpUntil([&] { return list.GetHotItem() == -1; })) << "hot item " << list.GetHotItem();
    {
        auto canvas = PrintClient(list.m_hWnd);
        EXPECT_EQ(Hex(window), Hex(ItemBack(*canvas, item2)));
        EXPECT_EQ(Hex(kStateColour[1]), Hex(ItemBack(*canvas, item1)));
    }

    ::SetFocus(edit);
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == edit; }));
    auto canvas = PrintClient(list.m_hWnd);
    EXPECT_EQ(Hex(kStateColour[3]), Hex(ItemBack(*canvas, item1))) << "selected without the focus";
}

// Without the "LISTBOX" image the skin look still shows the selection: the system's highlight
// with its text colour, not the style text's.
TEST_F(ListBoxTest, SkinLookWithoutItsImageKeepsTheHighlight)
{
    ResourceImagesScope none(::GetModuleHandleW(L"kernel32.dll"));
    AddItems(list);
    list.SetCurSel(1);
    list.SetListStyle(xtpListBoxOffice2007);

    auto canvas = PrintClient(list.m_hWnd);
    const CRect selected = ItemRect(list.m_hWnd, 1);
    EXPECT_EQ(Hex(Colour(COLOR_HIGHLIGHT)), Hex(ItemBack(*canvas, selected)));
    EXPECT_GT(CountIn(*canvas, selected, Colour(COLOR_HIGHLIGHTTEXT)), 0);
    EXPECT_EQ(Hex(Colour(COLOR_WINDOW)), Hex(ItemBack(*canvas, ItemRect(list.m_hWnd, 0))));
}

namespace {

class COfficeListBox : public CXTPOfficeBorder<CXTPListBox, 1> {};
class COfficeTree : public CXTPOfficeBorder<CTreeCtrl, 1> {};

struct BorderKind {
    int kind;
    COLORREF topLeft, bottomRight;
};

std::vector<BorderKind> BorderKinds()
{
    return {
        {0, Colour(COLOR_3DSHADOW), Colour(COLOR_3DHIGHLIGHT)},
        {1, Colour(COLOR_3DSHADOW), Colour(COLOR_3DHIGHLIGHT)},
        {2, Colour(54), Colour(54)},
        {3, Colour(57), Colour(57)},
        {4, Colour(52), Colour(52)},
        {9, Colour(52), Colour(52)},
    };
}

// Whether the control's client area sits exactly one pixel inside its window on every side.
std::string OnePixelInside(HWND window)
{
    CRect windowRect, client;
    ::GetWindowRect(window, &windowRect);
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const CRect expected(windowRect.left + 1, windowRect.top + 1, windowRect.right - 1, windowRect.bottom - 1);
    if (client == expected)
        return {};
    char text[96];
    std::snprintf(text, sizeof(text), "client (%ld,%ld,%ld,%ld), window (%ld,%ld,%ld,%ld)", client.left, client.top,
                  client.right, client.bottom, windowRect.left, windowRect.top, windowRect.right, windowRect.bottom);
    return text;
}

} // namespace

// The Office border over a list box and over a tree, each made with a system border and a client
// edge: both are gone, the client area is one pixel inside the window, and the frame takes the
// colours of the toolkit-wide paint theme's kind, read through the paint-manager seam.
TEST_F(ListBoxTest, OfficeBorderFramesListBoxAndTreeInThePaintThemeColours)
{
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_TREEVIEW_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&classes));
    COfficeListBox officeList;
    ASSERT_TRUE(officeList.CreateEx(WS_EX_CLIENTEDGE, L"ListBox", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                    CRect(200, 10, 360, 120), &host, kBorderedId));
    COfficeTree officeTree;
    ASSERT_TRUE(officeTree.CreateEx(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASLINES, CRect(200, 130, 360, 240), &host,
                                    kBorderedId + 1));
    officeList.AddString(L"Bordered");
    officeTree.InsertItem(L"Root");

    const struct {
        const char* name;
        CWnd* control;
    } controls[] = {{"list box", &officeList}, {"tree", &officeTree}};
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(0u, c.control->GetStyle() & WS_BORDER);
        EXPECT_EQ(0u, c.control->GetExStyle() & WS_EX_CLIENTEDGE);
        EXPECT_EQ("", OnePixelInside(c.control->m_hWnd));

        for (const BorderKind& k : BorderKinds()) {
            SCOPED_TRACE("paint theme kind " + std::to_string(k.kind));
            PaintThemeScope theme(k.kind);
            auto canvas = PrintWindowFrame(c.control->m_hWnd);
            const CRect all(0, 0, canvas->Width(), canvas->Height());
            EXPECT_EQ("", FrameIs(*canvas, all, k.topLeft, k.bottomRight));
        }
    }
    officeTree.DestroyWindow();
    officeList.DestroyWindow();
}

// When the area above the client is 2 pixels high (a system border given back), a second frame
// in the window colour runs just inside the outer one. What the screen shows after the
// control's own non-client painting is the same frame.
TEST_F(ListBoxTest, OfficeBorderAddsAnInnerFrameUnderATallerNonClientTop)
{
    COfficeListBox officeList;
    ASSERT_TRUE(officeList.CreateEx(0, L"ListBox", nullptr, WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT,
                                    CRect(200, 10, 360, 120), &host, kBorderedId));
    officeList.AddString(L"Bordered");
    PaintThemeScope theme(2);
    const COLORREF flat = Colour(54);
    const COLORREF window = Colour(COLOR_WINDOW);

    {
        SCOPED_TRACE("one pixel, on screen");
        officeList.RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        std::string last;
        EXPECT_TRUE(PumpUntil([&] {
            auto shown = ScreenOfWindow(officeList.m_hWnd);
            last = FrameIs(*shown, CRect(0, 0, shown->Width(), shown->Height()), flat, flat);
            return last.empty();
        })) << last;
    }

    officeList.ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED);
    CRect windowRect, client;
    officeList.GetWindowRect(&windowRect);
    officeList.GetClientRect(&client);
    officeList.ClientToScreen(&client);
    ASSERT_EQ(2, client.top - windowRect.top) << "the system's border and the Office frame";

    auto printed = PrintWindowFrame(officeList.m_hWnd);
    const CRect all(0, 0, printed->Width(), printed->Height());
    EXPECT_EQ("", FrameIs(*printed, all, flat, flat));
    EXPECT_EQ("", FrameIs(*printed, CRect(1, 1, all.right - 1, all.bottom - 1), window, window));

    SCOPED_TRACE("two pixels, on screen");
    officeList.RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    std::string last;
    EXPECT_TRUE(PumpUntil([&] {
        auto shown = ScreenOfWindow(officeList.m_hWnd);
        last = FrameIs(*shown, all, flat, flat) + FrameIs(*shown, CRect(1, 1, all.right - 1, all.bottom - 1), window, window);
        return last.empty();
    })) << last;
    officeList.DestroyWindow();
}
