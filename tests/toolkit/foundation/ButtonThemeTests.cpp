// The button looks drawn through WM_PRINTCLIENT into DIBs and checked at the pixels each look
// fixes; the classic marks compared with DrawFrameControl drawn by the test itself; the layout of
// icon, text and arrow read back from the theme. No input is sent: states are set directly.

#include "ButtonTestSupport.h"

#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPResourceImage.h"

#include "tests/support/DibCanvas.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <uxtheme.h>
#include <vssym32.h>

#include <cmath>
#include <cstdlib>
#include <string>

using namespace testsupport;
using namespace buttontests;

namespace {

COLORREF Sys(int index)
{
    return ::GetSysColor(index);
}

COLORREF Toolkit(int index)
{
    return GetColorManager()->GetColor(index);
}

std::string Hex(COLORREF c)
{
    char text[16];
    std::snprintf(text, sizeof(text), "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// A 16 x 16 opaque icon of one colour.
HICON SolidIcon(COLORREF color)
{
    DibCanvas colour(16, 16);
    RECT all{0, 0, 16, 16};
    HBRUSH brush = ::CreateSolidBrush(color);
    ::FillRect(colour.DC(), &all, brush);
    ::DeleteObject(brush);
    HBITMAP image = ::CreateCompatibleBitmap(colour.DC(), 16, 16);
    HDC copy = ::CreateCompatibleDC(colour.DC());
    HGDIOBJ old = ::SelectObject(copy, image);
    ::BitBlt(copy, 0, 0, 16, 16, colour.DC(), 0, 0, SRCCOPY);
    ::SelectObject(copy, old);
    ::DeleteDC(copy);
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, nullptr);
    HDC maskDC = ::CreateCompatibleDC(nullptr);
    old = ::SelectObject(maskDC, mask);
    ::PatBlt(maskDC, 0, 0, 16, 16, BLACKNESS);    // all opaque
    ::SelectObject(maskDC, old);
    ::DeleteDC(maskDC);
    ICONINFO info{TRUE, 0, 0, mask, image};
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(mask);
    ::DeleteObject(image);
    return icon;
}

// The bounding box of the pixels of one colour inside a region.
RECT InkBox(const DibCanvas& canvas, COLORREF color, const RECT& region)
{
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            if (canvas.At(x, y) == color) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

int CountColour(const DibCanvas& canvas, COLORREF color, const RECT& region)
{
    int count = 0;
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            count += canvas.At(x, y) == color ? 1 : 0;
    return count;
}

bool SameImage(const DibCanvas& a, const DibCanvas& b, std::string* where)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.At(x, y) != b.At(x, y)) {
                *where = std::to_string(x) + "," + std::to_string(y) + ": " + Hex(a.At(x, y)) + " vs " + Hex(b.At(x, y));
                return false;
            }
    return true;
}

// Keeps the colour scheme the tests ask for and gives the system's back afterwards.
class SchemeScope {
public:
    SchemeScope(const wchar_t* file, const wchar_t* colour)
    {
        GetColorManager()->SetThemeNameSource([file, colour](BOOL* active, CString* fileName, CString* colorName) {
            *active = file != nullptr;
            *fileName = file ? file : L"";
            *colorName = colour ? colour : L"";
            return TRUE;
        });
        RefreshToolkitColors();
    }
    ~SchemeScope()
    {
        GetColorManager()->SetThemeNameSource(nullptr);
        RefreshToolkitColors();
    }
};

// Resource images from another module for the length of a scope; the test program's own carry
// the resource look's strips and style text.
class ResourceImagesScope {
public:
    explicit ResourceImagesScope(HMODULE module) { GetResourceImages()->SetHandle(module); }
    ~ResourceImagesScope() { GetResourceImages()->SetHandle(::GetModuleHandleW(nullptr)); }
};

HMODULE ModuleWithoutImages()
{
    return ::GetModuleHandleW(L"kernel32.dll");
}

// The colour of state i in the fixture strips (fixtures/buttons/make-buttons.py).
COLORREF StripState(int i)
{
    return RGB(20 + i * 19, 220 - i * 13, 60 + i * 11);
}

enum class State { Idle, Hot, Pressed, Checked, HotChecked };

class ButtonThemeTest : public ::testing::Test {
protected:
    CTestApp app;
    CButtonsDialog dialog;

    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create());
    }
    void TearDown() override { dialog.DestroyWindow(); }

    static void SetState(CProbeButton& button, State state)
    {
        button.ForceHot(state == State::Hot || state == State::HotChecked);
        button.ForcePushed(state == State::Pressed ? 1 : 0);
        button.SetChecked(state == State::Checked || state == State::HotChecked ? 1 : 0);
    }
    void Render(int id, int theme, State state, DibCanvas& canvas)
    {
        CProbeButton& button = dialog.Button(id);
        button.SendMessage(WM_CONTROL_SET_THEME, theme);
        SetState(button, state);
        PrintButton(button.m_hWnd, canvas);
        SetState(button, State::Idle);
    }
    SIZE Size(int id) { return ClientSize(dialog.Item(id)); }
    // The mark's rectangle of a check box or radio button: 13 x 13 at the left, centred.
    RECT MarkRect(int id)
    {
        const SIZE size = Size(id);
        const int top = (size.cy - 13) / 2;
        return {0, top, 13, top + 13};
    }
};

} // namespace

TEST_F(ButtonThemeTest, PlainFramesFollowTheStateAndTheDefaultButton)
{
    const struct {
        const char* name;
        int id;
        State state;
        COLORREF outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
        int inset;    // where the raised or sunken frame begins
    } cases[] = {
        {"idle", IDC_PUSH, State::Idle, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW), Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW), 0},
        {"pressed", IDC_PUSH, State::Pressed, Sys(COLOR_3DDKSHADOW), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNFACE), 0},
        {"checked", IDC_PUSH, State::Checked, Sys(COLOR_3DDKSHADOW), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNFACE), 0},
        {"default", IDC_DEFPUSH, State::Idle, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW), Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW), 1},
    };
    for (const auto& c : cases) {
        const SIZE size = Size(c.id);
        DibCanvas canvas(size.cx, size.cy);
        Render(c.id, 6, c.state, canvas);
        const int i = c.inset, r = size.cx - 1, b = size.cy - 1;
        if (c.inset) {
            EXPECT_EQ(Hex(Sys(COLOR_3DDKSHADOW)), Hex(canvas.At(0, 0))) << c.name << ": the default frame";
            EXPECT_EQ(Hex(Sys(COLOR_3DDKSHADOW)), Hex(canvas.At(r, b))) << c.name << ": the default frame";
        }
        EXPECT_EQ(Hex(c.outerTopLeft), Hex(canvas.At(i, i))) << c.name;
        EXPECT_EQ(Hex(c.outerBottomRight), Hex(canvas.At(r - i, b - i))) << c.name;
        EXPECT_EQ(Hex(c.innerTopLeft), Hex(canvas.At(i + 1, i + 1))) << c.name;
        EXPECT_EQ(Hex(c.innerBottomRight), Hex(canvas.At(r - i - 1, b - i - 1))) << c.name;
        EXPECT_EQ(Hex(Sys(COLOR_BTNFACE)), Hex(canvas.At(i + 3, i + 3))) << c.name << ": the face";
    }
}

TEST_F(ButtonThemeTest, TheParentsButtonBrushShowsBehindButtonsButNotGroupBoxes)
{
    const COLORREF brush = RGB(10, 200, 30);
    dialog.SetButtonBrush(brush);
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SendMessage(WM_CONTROL_SET_THEME, 6);
    push.SetTransparent(TRUE);
    const SIZE size = Size(IDC_PUSH);
    DibCanvas canvas(size.cx, size.cy);
    PrintButton(push.m_hWnd, canvas);
    EXPECT_EQ(Hex(brush), Hex(canvas.At(0, 0))) << "an idle transparent button shows the parent's brush";
    EXPECT_EQ(Hex(brush), Hex(canvas.At(size.cx - 1, size.cy - 1)));

    // hot, it paints its face over the brush again
    push.ForceHot(TRUE);
    PrintButton(push.m_hWnd, canvas);
    EXPECT_EQ(Hex(Sys(COLOR_BTNFACE)), Hex(canvas.At(3, 3)));
    push.ForceHot(FALSE);

    // group boxes draw straight on the target, never filling it
    const SIZE groupSize = Size(IDC_GROUP);
    DibCanvas group(groupSize.cx, groupSize.cy);
    PrintButton(dialog.Item(IDC_GROUP), group);
    EXPECT_EQ(Hex(RGB(255, 255, 255)), Hex(group.At(groupSize.cx / 2, groupSize.cy / 2)));
}

TEST_F(ButtonThemeTest, EachLookFillsAndFramesByState)
{
    const COLORREF face = Sys(COLOR_BTNFACE), shadow = Sys(COLOR_BTNSHADOW), window = Sys(COLOR_WINDOW);
    const COLORREF hotBack = CXTPColorManager::MixColors(face, window, 30);
    const COLORREF pressedBack = CXTPColorManager::MixColors(shadow, face, 50);
    auto checkedChannel = [](int h, int f, int w) { return h * 10 / 100 + f * 50 / 100 + w * 40 / 100; };
    const COLORREF toolbar = Toolkit(30);
    const COLORREF checkedBack = RGB(checkedChannel(GetRValue(hotBack), GetRValue(toolbar), GetRValue(window)),
                                     checkedChannel(GetGValue(hotBack), GetGValue(toolbar), GetGValue(window)),
                                     checkedChannel(GetBValue(hotBack), GetBValue(toolbar), GetBValue(window)));
    const struct {
        const char* name;
        int theme;
        State state;
        COLORREF topLeft, bottomRight, fill;
    } cases[] = {
        {"flat idle", 1, State::Idle, Sys(COLOR_WINDOWFRAME), Sys(COLOR_WINDOWFRAME), face},
        {"flat hot", 1, State::Hot, Sys(COLOR_WINDOWFRAME), Sys(COLOR_WINDOWFRAME), face},
        {"ultra-flat idle", 2, State::Idle, shadow, shadow, face},
        {"ultra-flat hot", 2, State::Hot, shadow, shadow, hotBack},
        {"ultra-flat pressed", 2, State::Pressed, shadow, shadow, pressedBack},
        {"ultra-flat checked", 2, State::Checked, shadow, shadow, checkedBack},
        {"ultra-flat hot and checked", 2, State::HotChecked, shadow, shadow, pressedBack},
        {"Office 2000 idle", 3, State::Idle, Sys(COLOR_BTNHIGHLIGHT), shadow, face},
        {"Office 2000 hot", 3, State::Hot, Sys(COLOR_BTNHIGHLIGHT), shadow, face},
        {"Office 2000 pressed", 3, State::Pressed, shadow, Sys(COLOR_BTNHIGHLIGHT), face},
        {"Office XP idle", 4, State::Idle, shadow, shadow, Toolkit(30)},
        {"Office XP hot", 4, State::Hot, Toolkit(32), Toolkit(32), Toolkit(31)},
        {"Office XP pressed", 4, State::Pressed, Toolkit(32), Toolkit(32), Toolkit(33)},
        {"Office XP checked", 4, State::Checked, Toolkit(32), Toolkit(32), Toolkit(36)},
        {"Office XP hot and checked", 4, State::HotChecked, Toolkit(32), Toolkit(32), Toolkit(33)},
    };
    const SIZE size = Size(IDC_PUSH);
    DibCanvas canvas(size.cx, size.cy);
    dialog.Button(IDC_PUSH).SetShowFocus(FALSE);    // the dialog's first button has the focus
    for (const auto& c : cases) {
        Render(IDC_PUSH, c.theme, c.state, canvas);
        EXPECT_EQ(Hex(c.topLeft), Hex(canvas.At(0, 0))) << c.name;
        EXPECT_EQ(Hex(c.bottomRight), Hex(canvas.At(size.cx - 1, size.cy - 1))) << c.name;
        EXPECT_EQ(Hex(c.fill), Hex(canvas.At(3, 3))) << c.name;
    }
    // the flat look's inner frame
    Render(IDC_PUSH, 1, State::Idle, canvas);
    EXPECT_EQ(Hex(window), Hex(canvas.At(1, 1)));
}

TEST_F(ButtonThemeTest, Office2003WithoutASchemeLooksExactlyLikeOfficeXP)
{
    SchemeScope none(nullptr, nullptr);
    for (int id : {IDC_PUSH, IDC_DEFPUSH, IDC_CHECK, IDC_RADIO}) {
        for (State state : {State::Idle, State::Hot, State::Pressed, State::Checked, State::HotChecked}) {
            const SIZE size = Size(id);
            DibCanvas xp(size.cx, size.cy), office2003(size.cx, size.cy);
            Render(id, 4, state, xp);
            Render(id, 5, state, office2003);
            std::string where;
            EXPECT_TRUE(SameImage(xp, office2003, &where)) << "control " << id << " state " << int(state) << " at " << where;
        }
    }
    auto* theme = dynamic_cast<CXTPButtonOffice2003Theme*>(dialog.Button(IDC_PUSH).GetTheme());
    ASSERT_NE(nullptr, theme);
    EXPECT_FALSE(theme->IsLunaTheme());
}

TEST_F(ButtonThemeTest, Office2003SchemesFrameWithTheirOwnFace)
{
    const struct {
        const wchar_t* colour;
        COLORREF face, shadow, back;
    } cases[] = {
        {L"NormalColor", RGB(0, 0, 128), RGB(127, 157, 185), RGB(169, 199, 240)},
        {L"HomeStead", RGB(63, 93, 56), RGB(164, 185, 127), RGB(197, 212, 159)},
        // silver: the blue channel of the face is 111, like the scheme's highlight border
        {L"Metallic", RGB(75, 75, 111), RGB(165, 172, 178), RGB(192, 192, 211)},
    };
    const SIZE size = Size(IDC_PUSH);
    DibCanvas canvas(size.cx, size.cy);
    for (const auto& c : cases) {
        SchemeScope scheme(L"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles", c.colour);
        Render(IDC_PUSH, 5, State::Idle, canvas);
        auto* theme = dynamic_cast<CXTPButtonOffice2003Theme*>(dialog.Button(IDC_PUSH).GetTheme());
        ASSERT_NE(nullptr, theme);
        EXPECT_TRUE(theme->IsLunaTheme());
        EXPECT_EQ(Hex(c.shadow), Hex(canvas.At(0, 0))) << "idle frame";
        EXPECT_EQ(Hex(c.back), Hex(canvas.At(3, 3))) << "idle face";
        for (State state : {State::Hot, State::Pressed, State::Checked}) {
            Render(IDC_PUSH, 5, state, canvas);
            EXPECT_EQ(Hex(c.face), Hex(canvas.At(0, 0))) << "frame, state " << int(state);
        }
        if (c.face == RGB(75, 75, 111)) {
            EXPECT_EQ(GetColorManager()->GetLunaColor(32), c.face) << "the same colour as the scheme's border";
        }
        // the hot face is the selected gradient, light at the top
        Render(IDC_PUSH, 5, State::Hot, canvas);
        EXPECT_TRUE(Near(GetColorManager()->grcLunaSelected.clrLight, canvas.At(size.cx / 2, 1), 12))
            << Hex(canvas.At(size.cx / 2, 1));
    }
}

TEST_F(ButtonThemeTest, ResourceLookWithoutImagesFallsBackToThePlainDrawing)
{
    ResourceImagesScope none(ModuleWithoutImages());
    const SIZE size = Size(IDC_PUSH);
    DibCanvas canvas(size.cx, size.cy);
    Render(IDC_PUSH, 7, State::Idle, canvas);
    EXPECT_EQ(Hex(Sys(COLOR_BTNHIGHLIGHT)), Hex(canvas.At(0, 0))) << "the raised frame";
    EXPECT_EQ(Hex(Sys(COLOR_3DDKSHADOW)), Hex(canvas.At(size.cx - 1, size.cy - 1)));
    Render(IDC_PUSH, 7, State::Pressed, canvas);
    EXPECT_EQ(Hex(Sys(COLOR_3DDKSHADOW)), Hex(canvas.At(0, 0))) << "sunken when pressed";

    // a style without a group-box frame colour keeps the ultra-flat shadow, not an invalid colour
    CProbeButton& group = dialog.Button(IDC_GROUP);
    group.SendMessage(WM_CONTROL_SET_THEME, 7);
    EXPECT_EQ(Hex(Sys(COLOR_BTNSHADOW)), Hex(group.GetTheme()->m_crBorderShadow));
    const SIZE groupSize = Size(IDC_GROUP);
    DibCanvas frame(groupSize.cx, groupSize.cy);
    PrintButton(group.m_hWnd, frame);
    EXPECT_EQ(Hex(Sys(COLOR_BTNSHADOW)), Hex(frame.At(0, groupSize.cy / 2)));
}

TEST_F(ButtonThemeTest, ResourceLookDrawsTheStateOfItsImageStrips)
{
    ASSERT_NE(nullptr, GetResourceImages()->GetImage(L"PUSHBUTTON")) << "the fixture strips are in the program";
    // push buttons: normal, hot, pressed, disabled, default
    const struct {
        const char* name;
        int id;
        State state;
        bool disabled;
        int strip;
    } pushes[] = {
        {"idle", IDC_PUSH, State::Idle, false, 0},         {"hot", IDC_PUSH, State::Hot, false, 1},
        {"pressed", IDC_PUSH, State::Pressed, false, 2},   {"checked", IDC_PUSH, State::Checked, false, 2},
        {"hot and checked", IDC_PUSH, State::HotChecked, false, 1},
        {"disabled", IDC_PUSH, State::Hot, true, 3},       {"default", IDC_DEFPUSH, State::Idle, false, 4},
    };
    for (const auto& c : pushes) {
        const SIZE size = Size(c.id);
        DibCanvas canvas(size.cx, size.cy);
        dialog.Button(c.id).EnableWindow(!c.disabled);
        dialog.Button(c.id).SetShowFocus(FALSE);
        Render(c.id, 7, c.state, canvas);
        dialog.Button(c.id).EnableWindow(TRUE);
        EXPECT_EQ(Hex(StripState(c.strip)), Hex(canvas.At(2, size.cy / 2))) << c.name;
        EXPECT_EQ(Hex(StripState(c.strip)), Hex(canvas.At(size.cx - 2, 1))) << c.name << ": stretched over the button";
    }

    // check boxes: 12 states, +4 checked, +8 mixed; radio buttons: 8 states, +4 checked
    const struct {
        const char* name;
        int id;
        int check;
        State state;
        bool disabled;
        int strip;
    } marks[] = {
        {"unchecked", IDC_CHECK, BST_UNCHECKED, State::Idle, false, 0},
        {"hot", IDC_CHECK, BST_UNCHECKED, State::Hot, false, 1},
        {"checked", IDC_CHECK, BST_CHECKED, State::Idle, false, 4},
        {"hot checked", IDC_CHECK, BST_CHECKED, State::Hot, false, 5},
        {"disabled checked", IDC_CHECK, BST_CHECKED, State::Idle, true, 7},
        {"mixed", IDC_3STATE, BST_INDETERMINATE, State::Idle, false, 8},
        {"radio", IDC_RADIO, BST_UNCHECKED, State::Idle, false, 0},
        {"radio checked hot", IDC_RADIO, BST_CHECKED, State::Hot, false, 5},
    };
    for (const auto& c : marks) {
        CProbeButton& button = dialog.Button(c.id);
        button.SendMessage(BM_SETCHECK, c.check);
        button.EnableWindow(!c.disabled);
        const SIZE size = Size(c.id);
        DibCanvas canvas(size.cx, size.cy);
        button.SendMessage(WM_CONTROL_SET_THEME, 7);
        button.ForceHot(c.state == State::Hot);
        PrintButton(button.m_hWnd, canvas);
        button.ForceHot(FALSE);
        button.EnableWindow(TRUE);
        button.SendMessage(BM_SETCHECK, BST_UNCHECKED);
        const RECT mark = MarkRect(c.id);
        EXPECT_EQ(Hex(StripState(c.strip)), Hex(canvas.At(mark.left + 6, mark.top + 6))) << c.name;
    }

    // the style's group-box frame colour becomes the shadow colour of the look
    CProbeButton& group = dialog.Button(IDC_GROUP);
    group.SendMessage(WM_CONTROL_SET_THEME, 7);
    EXPECT_EQ(Hex(RGB(12, 34, 56)), Hex(group.GetTheme()->m_crBorderShadow));
    const SIZE size = Size(IDC_GROUP);
    DibCanvas canvas(size.cx, size.cy);
    PrintButton(group.m_hWnd, canvas);
    EXPECT_EQ(Hex(RGB(12, 34, 56)), Hex(canvas.At(0, size.cy / 2))) << "the frame's left edge";
}

TEST_F(ButtonThemeTest, ClassicMarksAreTheSystemsFrameControls)
{
    ResourceImagesScope none(ModuleWithoutImages());
    enum { Enabled = 0, Disabled = 1 };
    const struct {
        const char* name;
        int id;
        int theme;
        int check;          // BM_SETCHECK, or -1
        int forced;         // the checked value answered regardless of the window, or -1
        bool pushed;
        bool disabled;
        UINT flags;
    } cases[] = {
        {"unchecked", IDC_CHECK, 6, BST_UNCHECKED, -1, false, false, DFCS_BUTTONCHECK},
        {"checked", IDC_CHECK, 6, BST_CHECKED, -1, false, false, DFCS_BUTTONCHECK | DFCS_CHECKED},
        {"pressed", IDC_CHECK, 6, BST_UNCHECKED, -1, true, false, DFCS_BUTTONCHECK | DFCS_PUSHED},
        {"disabled checked", IDC_CHECK, 6, BST_CHECKED, -1, false, true, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE},
        {"three-state mixed", IDC_3STATE, 6, BST_INDETERMINATE, -1, false, false, DFCS_BUTTON3STATE | DFCS_CHECKED},
        {"two-state with value 2 draws checked", IDC_CHECK, 6, -1, 2, false, false, DFCS_BUTTONCHECK | DFCS_CHECKED},
        {"flat look", IDC_CHECK, 1, BST_CHECKED, -1, false, false, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT},
        {"resource look without images", IDC_CHECK, 7, BST_CHECKED, -1, false, false,
         DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT},
        {"radio", IDC_RADIO, 6, BST_UNCHECKED, -1, false, false, DFCS_BUTTONRADIO},
        {"radio checked", IDC_RADIO, 6, BST_CHECKED, -1, false, false, DFCS_BUTTONRADIO | DFCS_CHECKED},
        {"radio with value 2 has no mixed mark", IDC_RADIO, 6, -1, 2, false, false, DFCS_BUTTONRADIO | DFCS_CHECKED},
        {"radio disabled", IDC_RADIO, 6, BST_UNCHECKED, -1, false, true, DFCS_BUTTONRADIO | DFCS_INACTIVE},
    };
    for (const auto& c : cases) {
        CProbeButton& button = dialog.Button(c.id);
        button.SendMessage(WM_CONTROL_SET_THEME, c.theme);
        if (c.check >= 0)
            button.SendMessage(BM_SETCHECK, c.check);
        button.forcedChecked = c.forced;
        button.ForcePushed(c.pushed ? 1 : 0);
        button.EnableWindow(!c.disabled);
        const SIZE size = Size(c.id);
        DibCanvas drawn(size.cx, size.cy), expected(size.cx, size.cy);
        PrintButton(button.m_hWnd, drawn);
        RECT mark = MarkRect(c.id);
        // the system's radio mark leaves its corners as they were: the button's background
        HBRUSH background = ::CreateSolidBrush(drawn.At(0, 0));
        RECT all{0, 0, size.cx, size.cy};
        ::FillRect(expected.DC(), &all, background);
        ::DeleteObject(background);
        ::DrawFrameControl(expected.DC(), &mark, DFC_BUTTON, c.flags);
        ::GdiFlush();
        int differing = 0;
        std::string first;
        for (int y = mark.top; y < mark.bottom; ++y)
            for (int x = mark.left; x < mark.right; ++x)
                if (drawn.At(x, y) != expected.At(x, y) && differing++ == 0)
                    first = std::to_string(x) + "," + std::to_string(y) + ": " + Hex(drawn.At(x, y)) + ", expected " +
                            Hex(expected.At(x, y));
        EXPECT_EQ(0, differing) << c.name << ", first at " << first;
        button.forcedChecked = -1;
        button.ForcePushed(0);
        button.EnableWindow(TRUE);
        button.SendMessage(BM_SETCHECK, BST_UNCHECKED);
    }
}

TEST_F(ButtonThemeTest, AnIconCheckBoxWithoutAnIconDrawsOnlyItsMark)
{
    const COLORREF brush = RGB(1, 2, 3);
    dialog.SetButtonBrush(brush);
    for (int id : {IDC_ICONCHECK, IDC_CHECK}) {
        CProbeButton& button = dialog.Button(id);
        button.SendMessage(WM_CONTROL_SET_THEME, 6);
        const SIZE size = Size(id);
        DibCanvas canvas(size.cx, size.cy);
        PrintButton(button.m_hWnd, canvas);
        int label = 0;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 14; x < size.cx; ++x)
                label += canvas.At(x, y) != brush ? 1 : 0;
        if (id == IDC_ICONCHECK) {
            EXPECT_EQ(0, label) << "no label at all";
        } else {
            EXPECT_GT(label, 0) << "the text check box has its label";
        }
        EXPECT_NE(brush, canvas.At(0, MarkRect(id).top)) << "the mark is drawn";
    }
}

TEST_F(ButtonThemeTest, GroupBoxStylesFrameAroundTheCaption)
{
    CProbeButton& group = dialog.Button(IDC_GROUP);
    group.SendMessage(WM_CONTROL_SET_THEME, 6);
    const SIZE size = Size(IDC_GROUP);
    const COLORREF white = RGB(255, 255, 255), etched = Sys(COLOR_BTNSHADOW);
    DibCanvas canvas(size.cx, size.cy);

    // The caption's extent in the button's font, to know where the frame must stay open.
    HDC measure = canvas.DC();
    HGDIOBJ old = ::SelectObject(measure, reinterpret_cast<HFONT>(group.SendMessage(WM_GETFONT)));
    SIZE text{};
    ::GetTextExtentPoint32W(measure, L"Group", 5, &text);
    TEXTMETRICW metrics{};
    SIZE space{};
    ::GetTextExtentPoint32W(measure, L" ", 1, &space);
    ::GetTextMetricsW(measure, &metrics);
    ::SelectObject(measure, old);
    const int frameTop = space.cy / 2;
    const int cxEdge = ::GetSystemMetrics(SM_CXEDGE);
    const int captionLeft = ::GetSystemMetrics(SM_CXBORDER) + 8 - cxEdge;
    const int captionRight = captionLeft + text.cx + 2 * cxEdge;

    auto rowHas = [&](int y, int from, int to, COLORREF c) {
        for (int x = from; x < to; ++x)
            if (canvas.At(x, y) == c)
                return true;
        return false;
    };

    group.SetGroupBoxStyle(xtpGroupBoxBorder);
    PrintButton(group.m_hWnd, canvas);
    EXPECT_TRUE(rowHas(frameTop, 0, captionLeft, etched)) << "the top edge left of the caption";
    EXPECT_TRUE(rowHas(frameTop, captionRight, size.cx, etched)) << "the top edge right of the caption";
    EXPECT_FALSE(rowHas(frameTop, captionLeft, captionRight, etched)) << "the caption is clipped out of the frame";
    EXPECT_NE(white, canvas.At(0, size.cy / 2)) << "left edge";
    EXPECT_NE(white, canvas.At(size.cx / 2, size.cy - 2)) << "bottom edge";
    EXPECT_GT(InkBox(canvas, Sys(COLOR_BTNTEXT), RECT{captionLeft, 0, captionRight, metrics.tmHeight}).right,
              captionLeft) << "the caption text";

    group.SetGroupBoxStyle(xtpGroupBoxHeader);
    PrintButton(group.m_hWnd, canvas);
    EXPECT_TRUE(rowHas(frameTop, captionRight, size.cx, etched)) << "the header line";
    EXPECT_EQ(white, canvas.At(0, size.cy / 2)) << "no left edge";
    EXPECT_EQ(white, canvas.At(size.cx / 2, size.cy - 2)) << "no bottom edge";

    group.SetGroupBoxStyle(xtpGroupBoxNone);
    PrintButton(group.m_hWnd, canvas);
    EXPECT_EQ(size.cx * size.cy, canvas.Count(white)) << "neither frame nor caption";
}

TEST_F(ButtonThemeTest, PlainLooksOffsetPressedContentAndOfficeXPDoesNot)
{
    const SIZE size = Size(IDC_PUSH);
    const RECT inner{3, 3, size.cx - 3, size.cy - 3};
    DibCanvas idle(size.cx, size.cy), pressed(size.cx, size.cy);
    const struct {
        int theme;
        int shift;
    } cases[] = {{6, 1}, {2, 1}, {4, 0}};
    for (const auto& c : cases) {
        Render(IDC_PUSH, c.theme, State::Idle, idle);
        Render(IDC_PUSH, c.theme, State::Pressed, pressed);
        const RECT a = InkBox(idle, Sys(COLOR_BTNTEXT), inner), b = InkBox(pressed, Sys(COLOR_BTNTEXT), inner);
        ASSERT_LT(a.left, a.right) << "theme " << c.theme << ": the text is drawn";
        EXPECT_EQ(a.left + c.shift, b.left) << "theme " << c.theme;
        EXPECT_EQ(a.top + c.shift, b.top) << "theme " << c.theme;
    }
}

TEST_F(ButtonThemeTest, DropDownArrowAndSplitSeparator)
{
    DibCanvas canvas(Size(IDC_SPLIT).cx, Size(IDC_SPLIT).cy);
    Render(IDC_SPLIT, 6, State::Idle, canvas);
    const SIZE size = Size(IDC_SPLIT);
    const int gap = dialog.Button(IDC_SPLIT).GetBorderGap();
    const int separator = size.cx - gap - 16;
    for (int y : {gap, static_cast<int>(size.cy / 2), static_cast<int>(size.cy - gap - 1)}) {
        EXPECT_EQ(Hex(Sys(COLOR_BTNSHADOW)), Hex(canvas.At(separator, y))) << "shadow line, row " << y;
        EXPECT_EQ(Hex(Sys(COLOR_BTNHIGHLIGHT)), Hex(canvas.At(separator + 1, y))) << "highlight line, row " << y;
    }

    // the down arrow of a drop-down: centred in its 16-pixel column
    DibCanvas drop(Size(IDC_DROPDOWN).cx, Size(IDC_DROPDOWN).cy);
    Render(IDC_DROPDOWN, 6, State::Idle, drop);
    const SIZE dropSize = Size(IDC_DROPDOWN);
    const int cx = (dropSize.cx - gap - 16 + dropSize.cx - gap) / 2, cy = dropSize.cy / 2;
    EXPECT_EQ(Hex(Sys(COLOR_BTNTEXT)), Hex(drop.At(cx, cy))) << "the arrow's middle";
    EXPECT_EQ(Hex(Sys(COLOR_BTNTEXT)), Hex(drop.At(cx - 3, cy - 2))) << "the arrow's top edge";
    EXPECT_EQ(Hex(Sys(COLOR_BTNFACE)), Hex(drop.At(cx, cy + 4))) << "below the arrow";
}

TEST_F(ButtonThemeTest, HiddenFocusDrawsNoFocusRectangle)
{
    dialog.ShowWindow(SW_SHOW);
    ASSERT_TRUE(BringToForeground(dialog.m_hWnd));
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SendMessage(WM_CONTROL_SET_THEME, 6);
    push.SetWindowText(L"&Push");
    const SIZE size = Size(IDC_PUSH);
    DibCanvas unfocused(size.cx, size.cy), shown(size.cx, size.cy), hidden(size.cx, size.cy);

    ::SetFocus(dialog.Item(IDC_CHECK));
    push.forcedUiState = 0;
    PrintButton(push.m_hWnd, unfocused);
    ::SetFocus(push.m_hWnd);
    ASSERT_EQ(push.m_hWnd, ::GetFocus());
    PrintButton(push.m_hWnd, shown);
    push.forcedUiState = UISF_HIDEFOCUS;
    PrintButton(push.m_hWnd, hidden);

    std::string where;
    EXPECT_FALSE(SameImage(unfocused, shown, &where)) << "the focus rectangle is drawn";
    EXPECT_TRUE(SameImage(unfocused, hidden, &where)) << "no focus rectangle under UISF_HIDEFOCUS: " << where;

    push.forcedUiState = -1;
}

TEST_F(ButtonThemeTest, HiddenAcceleratorsLoseTheirUnderline)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SendMessage(WM_CONTROL_SET_THEME, 6);
    push.SetShowFocus(FALSE);
    push.SetWindowText(L"&Push");
    const SIZE size = Size(IDC_PUSH);
    DibCanvas shown(size.cx, size.cy), hidden(size.cx, size.cy);
    const RECT inner{3, 3, size.cx - 3, size.cy - 3};
    // Whether this system's DrawText hides prefixes at all; Wine 8 does not.
    {
        DibCanvas plain(60, 30), hiddenPrefix(60, 30);
        RECT where{0, 0, 60, 30};
        for (DibCanvas* c : {&plain, &hiddenPrefix}) {
            HGDIOBJ font = ::SelectObject(c->DC(), reinterpret_cast<HFONT>(push.SendMessage(WM_GETFONT)));
            ::DrawTextW(c->DC(), L"&Push", -1, &where, DT_SINGLELINE | (c == &hiddenPrefix ? DT_HIDEPREFIX : 0));
            ::SelectObject(c->DC(), font);
        }
        if (plain.Count(RGB(0, 0, 0)) == hiddenPrefix.Count(RGB(0, 0, 0)))
            GTEST_SKIP() << "DrawText ignores DT_HIDEPREFIX here";
    }
    push.forcedUiState = 0;
    PrintButton(push.m_hWnd, shown);
    push.forcedUiState = UISF_HIDEACCEL;
    PrintButton(push.m_hWnd, hidden);
    push.forcedUiState = -1;
    const int withUnderline = CountColour(shown, Sys(COLOR_BTNTEXT), inner);
    const int without = CountColour(hidden, Sys(COLOR_BTNTEXT), inner);
    EXPECT_LT(without, withUnderline) << "the underline is drawn only while accelerators show";
}

TEST_F(ButtonThemeTest, UltraFlatCheckTickAndRadioDot)
{
    CProbeButton& check = dialog.Button(IDC_CHECK);
    check.SendMessage(BM_SETCHECK, BST_CHECKED);
    const SIZE size = Size(IDC_CHECK);
    DibCanvas canvas(size.cx, size.cy);
    Render(IDC_CHECK, 2, State::Idle, canvas);
    const RECT mark = MarkRect(IDC_CHECK);
    const int cx = (mark.left + mark.right) / 2, cy = (mark.top + mark.bottom) / 2 + 1;
    const COLORREF tick = Toolkit(COLOR_BTNTEXT);
    const POINT onTick[] = {{cx - 3, cy - 2}, {cx - 1, cy}, {cx - 1, cy + 2}, {cx + 2, cy - 3}, {cx - 2, cy + 1}};
    for (POINT p : onTick)
        EXPECT_EQ(Hex(tick), Hex(canvas.At(p.x, p.y))) << "tick at " << p.x - cx << "," << p.y - cy;
    EXPECT_EQ(Hex(Sys(COLOR_WINDOW)), Hex(canvas.At(mark.left + 2, mark.top + 2))) << "the face";
    EXPECT_EQ(Hex(Sys(COLOR_BTNSHADOW)), Hex(canvas.At(mark.left, mark.top))) << "the frame";

    // hot: the hot back with theme colours (ultra-flat), the window colour without (Office 2000)
    Render(IDC_CHECK, 2, State::Hot, canvas);
    EXPECT_EQ(Hex(CXTPColorManager::MixColors(Sys(COLOR_BTNFACE), Sys(COLOR_WINDOW), 30)),
              Hex(canvas.At(mark.left + 2, mark.top + 2)));
    Render(IDC_CHECK, 3, State::Hot, canvas);
    EXPECT_EQ(Hex(Sys(COLOR_WINDOW)), Hex(canvas.At(mark.left + 2, mark.top + 2)));

    CProbeButton& radio = dialog.Button(IDC_RADIO);
    radio.SendMessage(BM_SETCHECK, BST_CHECKED);
    DibCanvas dot(Size(IDC_RADIO).cx, Size(IDC_RADIO).cy);
    Render(IDC_RADIO, 4, State::Idle, dot);
    const RECT radioMark = MarkRect(IDC_RADIO);
    EXPECT_EQ(Hex(tick), Hex(dot.At(radioMark.left + 6, radioMark.top + 6))) << "the dot";
    EXPECT_EQ(Hex(Sys(COLOR_WINDOW)), Hex(dot.At(radioMark.left + 6, radioMark.top + 2))) << "the disc's face";
}

TEST(ButtonDisc, AnElevenPixelDiscHasRadiusFourPointSevenFive)
{
    DibCanvas canvas(11, 11);
    const COLORREF border = RGB(0, 0, 0), fill = RGB(255, 0, 0), white = RGB(255, 255, 255);
    XTPDrawAntialiasedDisc(CDC::FromHandle(canvas.DC()), CRect(0, 0, 11, 11), border, fill);
    const double r = 4.75;
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 11; ++x) {
            const double d = std::hypot(x - 5.0, y - 5.0);
            COLORREF expected = white;
            if (d < r - 1) {
                expected = fill;
            } else if (d <= r + 1) {
                const double f = std::fabs(d - r);
                const COLORREF other = d - r >= 0 ? white : fill;
                auto ch = [f](int from, int to) { return static_cast<int>(from + f * (to - from)); };
                expected = RGB(ch(GetRValue(border), GetRValue(other)), ch(GetGValue(border), GetGValue(other)),
                               ch(GetBValue(border), GetBValue(other)));
            }
            EXPECT_TRUE(Near(expected, canvas.At(x, y), 1)) << x << "," << y << ": " << Hex(canvas.At(x, y))
                                                             << ", expected " << Hex(expected);
        }
    }
    // the points that tell the radius: the rim a quarter pixel inside the box edge
    EXPECT_EQ(Hex(RGB(63, 63, 63)), Hex(canvas.At(5, 0)));
    EXPECT_EQ(Hex(RGB(191, 0, 0)), Hex(canvas.At(5, 1)));
    EXPECT_EQ(Hex(white), Hex(canvas.At(0, 0)));
}

TEST_F(ButtonThemeTest, LayoutPlacesIconTextAndArrowColumn)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SendMessage(WM_CONTROL_SET_THEME, 6);
    HICON icon = SolidIcon(RGB(200, 0, 0));
    const SIZE size = Size(IDC_PUSH);
    const int gap = push.GetBorderGap();
    const CRect box(gap, gap, size.cx - gap, size.cy - gap);
    DibCanvas canvas(size.cx, size.cy);
    HGDIOBJ old = ::SelectObject(canvas.DC(), reinterpret_cast<HFONT>(push.SendMessage(WM_GETFONT)));
    CDC* dc = CDC::FromHandle(canvas.DC());
    CXTPButtonTheme* theme = push.GetTheme();
    CRect text, image;
    UINT format = 0;

    struct Setup {
        const wchar_t* text;
        bool icon;
        int relation;
        int pushStyle;
        DWORD extraStyle;
    };
    auto layout = [&](const Setup& s) {
        push.SetWindowText(s.text);
        push.SetIconObject(nullptr);
        if (s.icon) {
            ASSERT_TRUE(push.SetIcon(CSize(16, 16), icon));
        }
        push.SetTextImageRelation(s.relation);
        push.SetPushButtonStyle(s.pushStyle);
        push.ModifyStyle(BS_RIGHT | BS_LEFT | BS_MULTILINE, s.extraStyle);
        theme = push.GetTheme();
        theme->CalcLayout(dc, &push, text, format, image);
    };

    // icon only: centred by the image alignment, the relation ignored
    layout({L"", true, xtpButtonImageBeforeText, xtpButtonNormal, 0});
    EXPECT_EQ(CRect((box.left + box.right - 16) / 2, (box.top + box.bottom - 16) / 2, 0, 0).TopLeft(), image.TopLeft());
    EXPECT_EQ(16, image.Width()) << "no gap without text";
    EXPECT_TRUE(text.IsRectEmpty());

    // text only: centred by the text alignment
    layout({L"Push", false, xtpButtonImageBeforeText, xtpButtonNormal, 0});
    EXPECT_EQ((box.left + box.right - text.Width()) / 2, text.left);
    EXPECT_EQ((box.top + box.bottom - text.Height()) / 2, text.top);
    EXPECT_EQ(static_cast<UINT>(DT_SINGLELINE | DT_CENTER), format);

    // image before text: the pair is centred and the text starts past the icon and the gap
    layout({L"Push", true, xtpButtonImageBeforeText, xtpButtonNormal, 0});
    EXPECT_EQ(19, image.Width()) << "16 pixels and the gap of 3";
    EXPECT_GE(text.left, image.left + 19);
    EXPECT_EQ((box.left + box.right - text.Width() - 19) / 2, image.left);

    // text before image
    layout({L"Push", true, xtpButtonTextBeforeImage, xtpButtonNormal, 0});
    EXPECT_GE(image.left, text.right + 3);

    // image above text, text above image
    layout({L"Push", true, xtpButtonImageAboveText, xtpButtonNormal, 0});
    EXPECT_EQ(19, image.Height());
    EXPECT_GE(text.top, image.bottom);
    layout({L"Push", true, xtpButtonTextAboveImage, xtpButtonNormal, 0});
    EXPECT_GE(image.top, text.bottom + 3);

    // overlay: each by its own alignment
    layout({L"Push", true, xtpButtonOverlay, xtpButtonNormal, 0});
    EXPECT_EQ((box.left + box.right - 16) / 2, image.left);
    EXPECT_EQ((box.left + box.right - text.Width()) / 2, text.left);

    // the arrow column: border gap x 2 + 12 for a split button, border gap + 12 for a drop-down
    layout({L"Push", false, xtpButtonImageBeforeText, xtpButtonSplitDropDown, BS_RIGHT});
    EXPECT_EQ(box.right - 2 * gap - 12, text.right);
    EXPECT_TRUE(format & DT_RIGHT);
    layout({L"Push", false, xtpButtonImageBeforeText, xtpButtonDropDown, BS_RIGHT});
    EXPECT_EQ(box.right - gap - 12, text.right);

    // multi-line text wraps
    layout({L"Push", false, xtpButtonImageBeforeText, xtpButtonNormal, BS_MULTILINE});
    EXPECT_FALSE(format & DT_SINGLELINE);
    EXPECT_TRUE(format & DT_WORDBREAK);
    EXPECT_TRUE(format & DT_EDITCONTROL);

    // the icon is drawn where the layout put it
    layout({L"", true, xtpButtonImageBeforeText, xtpButtonNormal, 0});
    PrintButton(push.m_hWnd, canvas);
    EXPECT_EQ(Hex(RGB(200, 0, 0)), Hex(canvas.At(image.left + 8, image.top + 8)));

    ::SelectObject(canvas.DC(), old);
    ::DestroyIcon(icon);
}

TEST_F(ButtonThemeTest, TheIconImageFollowsTheState)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SendMessage(WM_CONTROL_SET_THEME, 6);
    push.SetShowFocus(FALSE);
    push.SetWindowText(L"");
    const COLORREF normal = RGB(200, 0, 0), hot = RGB(0, 0, 200);
    HICON normalIcon = SolidIcon(normal), hotIcon = SolidIcon(hot);
    EXPECT_FALSE(push.SetIcon(CSize(16, 16), static_cast<HICON>(nullptr))) << "no picture, no icon";
    ASSERT_TRUE(push.SetIcon(CSize(16, 16), normalIcon, hotIcon));
    // the button keeps copies: the caller's handles may go at once
    ::DestroyIcon(normalIcon);
    ::DestroyIcon(hotIcon);
    EXPECT_EQ(CSize(16, 16), push.GetImageSize());

    const SIZE size = Size(IDC_PUSH);
    const int gap = push.GetBorderGap();
    const POINT centre{(2 * gap + size.cx - 2 * gap) / 2, size.cy / 2};
    DibCanvas canvas(size.cx, size.cy);
    const struct {
        const char* name;
        State state;
        COLORREF expected;
    } cases[] = {
        {"normal", State::Idle, normal},
        {"hot", State::Hot, hot},
        {"pressed takes the hot picture without a pressed one", State::Pressed, hot},
        {"checked likewise", State::Checked, hot},
    };
    for (const auto& c : cases) {
        Render(IDC_PUSH, 6, c.state, canvas);
        EXPECT_EQ(Hex(c.expected), Hex(canvas.At(centre.x, centre.y))) << c.name;
    }
    push.EnableWindow(FALSE);
    PrintButton(push.m_hWnd, canvas);
    push.EnableWindow(TRUE);
    const COLORREF disabled = canvas.At(centre.x, centre.y);
    EXPECT_NE(Hex(normal), Hex(disabled)) << "disabled draws the generated grey picture";
    EXPECT_EQ(GetRValue(disabled), GetGValue(disabled)) << Hex(disabled);

    // an icon resource that is not there leaves the button as it was
    EXPECT_FALSE(push.SetIcon(CSize(16, 16), 31999u));
    EXPECT_EQ(CSize(16, 16), push.GetImageSize());
    push.SetIconObject(nullptr);
    EXPECT_EQ(CSize(0, 0), push.GetImageSize());
}

TEST_F(ButtonThemeTest, TheUltraFlatTickKeepsItsShapeOnAMirroredContext)
{
    CProbeButton& check = dialog.Button(IDC_CHECK);
    check.SendMessage(WM_CONTROL_SET_THEME, 2);
    check.SendMessage(BM_SETCHECK, BST_CHECKED);
    const SIZE size = Size(IDC_CHECK);
    const COLORREF tick = Toolkit(COLOR_BTNTEXT);
    // The tick's bottom vertex lies left of its pixels' mean, because its long arm rises to the
    // right; a mirrored context must not turn it into a backwards tick. Device pixels throughout.
    auto bottomLeftOfMean = [&](bool mirrored, int& pixels) {
        DibCanvas canvas(size.cx, size.cy);
        if (mirrored)
            SetDeviceLayout(canvas.DC(), LAYOUT_RTL);
        check.GetTheme()->DrawCheckMark(CDC::FromHandle(canvas.DC()), &check);
        ::GdiFlush();
        double sum = 0;
        int lowest = -1;
        double lowestSum = 0;
        int lowestCount = 0;
        pixels = 0;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                if (canvas.At(x, y) == tick) {
                    sum += x;
                    ++pixels;
                    if (y > lowest) {
                        lowest = y;
                        lowestSum = 0;
                        lowestCount = 0;
                    }
                    lowestSum += x;
                    ++lowestCount;
                }
        return pixels > 0 && lowestSum / lowestCount < sum / pixels;
    };
    int pixels = 0;
    EXPECT_TRUE(bottomLeftOfMean(false, pixels));
    EXPECT_GT(pixels, 10) << "the tick is drawn";
    EXPECT_TRUE(bottomLeftOfMean(true, pixels)) << "not mirrored into a backwards tick";
    EXPECT_GT(pixels, 10) << "the tick is drawn on the mirrored context";
}

TEST_F(ButtonThemeTest, ThemeZeroHandsThePushButtonFaceToTheVisualStyle)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SendMessage(WM_CONTROL_SET_THEME, 0);
    push.SetShowFocus(FALSE);
    if (!push.GetTheme()->IsVisualStyleActive(&push))
        GTEST_SKIP() << "no visual style is active in this session";
    HTHEME style = ::OpenThemeData(push.m_hWnd, L"BUTTON");
    ASSERT_NE(nullptr, style);
    const COLORREF parentBrush = RGB(90, 120, 150);    // shows through the style's rounded corners
    dialog.SetButtonBrush(parentBrush);
    const SIZE size = Size(IDC_PUSH);
    const RECT all{0, 0, size.cx, size.cy};
    const struct {
        const char* name;
        int id;
        State state;
        int part;
    } cases[] = {
        {"normal", IDC_PUSH, State::Idle, PBS_NORMAL},      {"hot", IDC_PUSH, State::Hot, PBS_HOT},
        {"pressed", IDC_PUSH, State::Pressed, PBS_PRESSED}, {"checked", IDC_PUSH, State::Checked, PBS_PRESSED},
        {"default", IDC_DEFPUSH, State::Idle, PBS_DEFAULTED},
    };
    for (const auto& c : cases) {
        dialog.Button(c.id).SendMessage(WM_CONTROL_SET_THEME, 0);
        dialog.Button(c.id).SetShowFocus(FALSE);
        DibCanvas drawn(size.cx, size.cy), expected(size.cx, size.cy);
        Render(c.id, 0, c.state, drawn);
        HBRUSH background = ::CreateSolidBrush(parentBrush);
        ::FillRect(expected.DC(), &all, background);
        ::DeleteObject(background);
        ::DrawThemeBackground(style, expected.DC(), BP_PUSHBUTTON, c.part, &all, nullptr);
        ::GdiFlush();
        // the frame rows and columns: the text lies inside them
        int differing = 0;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                if ((x < 3 || y < 3 || x >= size.cx - 3 || y >= size.cy - 3) && drawn.At(x, y) != expected.At(x, y))
                    ++differing;
        EXPECT_EQ(0, differing) << c.name;
    }
    ::CloseThemeData(style);

    // visual styles draw the pressed text in place
    DibCanvas idle(size.cx, size.cy), pressed(size.cx, size.cy);
    const RECT inner{3, 3, size.cx - 3, size.cy - 3};
    Render(IDC_PUSH, 0, State::Idle, idle);
    Render(IDC_PUSH, 0, State::Pressed, pressed);
    const RECT a = InkBox(idle, Sys(COLOR_BTNTEXT), inner), b = InkBox(pressed, Sys(COLOR_BTNTEXT), inner);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
}
