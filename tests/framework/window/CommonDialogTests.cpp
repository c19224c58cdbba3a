// The contexts of real windows and the system's file dialog, under Xvfb. The file dialog runs
// modally on the test thread; a ModalDriver thread types into it like a user (the name field has
// the focus when the dialog opens) and presses Enter.

#include "framework/window/CommonDialog.h"
#include "framework/window/Dc.h"
#include "framework/window/WinApp.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 160, 0);

// A borderless popup, so client and window coordinates coincide; paints its update region red
// through CPaintDC.
class CCanvasWnd : public CWnd {
public:
    int paints = 0;
    bool updateRegionEmptyInPaint = true;
    CDC* paintWrapperSeen = nullptr;

    BOOL CreateCanvas(DWORD style = WS_POPUP | WS_VISIBLE)
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        L"canvas", style, 60, 60, 200, 120, nullptr, nullptr);
    }

protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        ++paints;
        paintWrapperSeen = CDC::FromHandle(dc.m_hDC) == &dc ? &dc : nullptr;
        dc.FillSolidRect(&dc.m_ps.rcPaint, kRed);
    }
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCanvasWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

class WindowContextTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW)); }
    void TearDown() override
    {
        if (canvas.m_hWnd)
            canvas.DestroyWindow();
        AfxDeleteTempMaps();
    }
    CWinApp app{L"Window Context Tests"};
    CCanvasWnd canvas;
};

TEST_F(WindowContextTest, PaintContextPaintsTheUpdateRegionAndValidatesIt)
{
    ASSERT_TRUE(canvas.CreateCanvas());
    ASSERT_TRUE(BringToForeground(canvas.m_hWnd));
    ASSERT_TRUE(PumpUntil([&] { return canvas.paints > 0 && !::GetUpdateRect(canvas.m_hWnd, nullptr, FALSE); }));
    // The paint context was the handle's own wrapper while it lived, and is gone with it.
    EXPECT_NE(nullptr, canvas.paintWrapperSeen);

    const RgbImage image = CaptureClient(canvas.m_hWnd);
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_TRUE(RegionIs(image, {0, 0, image.width, image.height}, kRed));
}

TEST_F(WindowContextTest, ClientAndWindowContextsDrawOnTheWindowAndAreReleased)
{
    ASSERT_TRUE(canvas.CreateCanvas());
    ASSERT_TRUE(BringToForeground(canvas.m_hWnd));
    ASSERT_TRUE(PumpUntil([&] { return canvas.paints > 0; }));
    HDC held = nullptr;
    {
        CClientDC dc(&canvas);
        held = dc.m_hDC;
        EXPECT_EQ(&dc, CDC::FromHandle(held));
        dc.FillSolidRect(10, 10, 30, 20, kBlue);
    }
    {
        // The window context starts at the window's corner: the same place here (no frame).
        CWindowDC dc(&canvas);
        dc.FillSolidRect(100, 50, 20, 10, kGreen);
    }
    // Released: a wrapper asked for the old handle now is a temporary one, not the dead object.
    CDC* after = CDC::FromHandle(held);
    EXPECT_NE(nullptr, after);
    AfxDeleteTempMaps();

    const RgbImage image = CaptureClient(canvas.m_hWnd);
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_TRUE(RegionIs(image, {10, 10, 40, 30}, kBlue));
    EXPECT_TRUE(RegionIs(image, {100, 50, 120, 60}, kGreen));
    EXPECT_EQ(kRed, image.At(9, 10));
    EXPECT_EQ(kRed, image.At(40, 29));
    EXPECT_EQ(kRed, image.At(120, 55));
}

// ---- tips of plain windows ----

TEST_F(WindowContextTest, HitTestAnswersTheVisibleChildAndTipsFollowTheMouse)
{
    ASSERT_TRUE(canvas.CreateCanvas());
    const DWORD childStyle = WS_CHILD | BS_PUSHBUTTON;
    HWND shown = ::CreateWindowExW(0, L"BUTTON", L"shown", childStyle | WS_VISIBLE, 10, 10, 60, 30,
                                   canvas.m_hWnd, reinterpret_cast<HMENU>(301), nullptr, nullptr);
    HWND hidden = ::CreateWindowExW(0, L"BUTTON", L"hidden", childStyle, 100, 10, 60, 30, canvas.m_hWnd,
                                    reinterpret_cast<HMENU>(302), nullptr, nullptr);
    ASSERT_TRUE(shown && hidden);

    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    EXPECT_EQ(301, canvas.OnToolHitTest(CPoint(30, 20), &ti));
    EXPECT_EQ(canvas.m_hWnd, ti.hwnd);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(shown), ti.uId);
    EXPECT_EQ(static_cast<UINT>(TTF_IDISHWND | TTF_NOTBUTTON | TTF_ALWAYSTIP), ti.uFlags);
    EXPECT_EQ(LPSTR_TEXTCALLBACKW, ti.lpszText);
    EXPECT_EQ(301, canvas.OnToolHitTest(CPoint(30, 20), nullptr));
    EXPECT_EQ(-1, canvas.OnToolHitTest(CPoint(120, 20), nullptr)) << "a hidden child has no tip";
    EXPECT_EQ(-1, canvas.OnToolHitTest(CPoint(30, 90), nullptr));

    // The mouse moving over the child, then off it, as the pre-translation would see it.
    ASSERT_TRUE(canvas.EnableToolTips());
    HWND tip = AfxGetThreadToolTip();
    ASSERT_NE(nullptr, tip);
    auto move = [&](HWND target, POINT client) {
        MSG msg = {};
        msg.hwnd = target;
        msg.message = WM_MOUSEMOVE;
        msg.lParam = MAKELPARAM(client.x, client.y);
        msg.pt = client;
        ::ClientToScreen(target, &msg.pt);
        canvas.PreTranslateMessage(&msg);
    };
    move(shown, {20, 10});
    ASSERT_EQ(1, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    TOOLINFOW held = {};
    held.cbSize = sizeof(held);
    ASSERT_TRUE(::SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&held)));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(shown), held.uId);
    EXPECT_EQ(0u, held.uFlags & (TTF_NOTBUTTON | TTF_ALWAYSTIP)) << "the framework's bits reached the control";
    move(shown, {25, 12});
    EXPECT_EQ(1, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    move(canvas.m_hWnd, {30, 90});
    EXPECT_EQ(0, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));

    // Without tips enabled the window's messages leave the control alone.
    canvas.EnableToolTips(FALSE);
    move(shown, {20, 10});
    EXPECT_EQ(0, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
}

// ---- file dialog ----

const wchar_t* const kDialogTitle = L"Choose Test Files";

// The dialog object under test: remembers which window it was subclassed into and whether that
// window's messages reached its table.
class CWatchedFileDialog : public CFileDialog {
public:
    using CFileDialog::CFileDialog;
    HWND seenWindow = nullptr;
    int initDialogs = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (!seenWindow)
            seenWindow = m_hWnd;
        if (message == WM_INITDIALOG)
            ++initDialogs;
        return CFileDialog::WindowProc(message, wParam, lParam);
    }
};

// Whether the dialog's name field has the focus (the classic dialog's name combo, 0x47c, or the
// newer one's edit, 0x480).
bool NameFieldFocused(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info) || !info.hwndFocus)
        return false;
    for (HWND w = info.hwndFocus; w && w != dialog; w = ::GetParent(w)) {
        const int id = ::GetDlgCtrlID(w);
        if (id == 0x47c || id == 0x480)
            return true;
    }
    return false;
}

struct DriverReport {
    bool typed = false;
    bool ownerDisabled = false;
    std::vector<std::wstring> filterNames;
};

// Types text into the dialog's name field and presses Enter; when the dialog does not close, it
// is cancelled so the test thread goes on (and fails on what it reads).
std::function<void(HWND)> TypeAndEnter(std::wstring text, HWND owner, DriverReport& report)
{
    return [text, owner, &report](HWND dialog) {
        report.ownerDisabled = owner && !::IsWindowEnabled(owner);
        if (HWND types = ::GetDlgItem(dialog, 0x470)) {    // the file-type list
            const LRESULT count = ::SendMessageW(types, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                wchar_t name[128] = {};
                if (::SendMessageW(types, CB_GETLBTEXTLEN, i, 0) < 127)
                    ::SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
                report.filterNames.emplace_back(name);
            }
        }
        if (BringToForeground(dialog) && PumpUntil([dialog] { return NameFieldFocused(dialog); }) &&
            TypeText(text) && PressKeys({VK_RETURN})) {
            report.typed = true;
            if (PumpUntil([dialog] { return !::IsWindow(dialog); }))
                return;
        }
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
}

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        ASSERT_TRUE(owner.CreateCanvas(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        ASSERT_TRUE(BringToForeground(owner.m_hWnd));
        for (const wchar_t* name : {L"alpha.txt", L"beta.txt", L"gamma with spaces.txt", L"notes.log"})
            ASSERT_TRUE(WriteAllBytes(folder / name, {'x'}));
    }
    void TearDown() override
    {
        if (owner.m_hWnd)
            owner.DestroyWindow();
        AfxDeleteTempMaps();
    }
    // Runs the dialog with the driver typing text; answers what DoModal answered.
    INT_PTR Run(CWatchedFileDialog& dialog, const std::wstring& text, DriverReport& report)
    {
        dialog.m_ofn.lpstrTitle = kDialogTitle;
        dialog.m_ofn.lpstrInitialDir = folder.Path();
        ModalDriver driver({L"#32770", kDialogTitle}, TypeAndEnter(text, owner.m_hWnd, report));
        const INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(driver.Wait());
        EXPECT_TRUE(report.typed);
        EXPECT_EQ(driver.Window(), dialog.seenWindow) << "the object was not the dialog's window";
        EXPECT_GT(dialog.initDialogs, 0);
        EXPECT_EQ(nullptr, dialog.m_hWnd);
        EXPECT_TRUE(report.ownerDisabled);
        EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
        return result;
    }
    std::vector<CString> Walk(const CFileDialog& dialog)
    {
        std::vector<CString> paths;
        for (POSITION pos = dialog.GetStartPosition(); pos && paths.size() < 10;)
            paths.push_back(dialog.GetNextPathName(pos));
        return paths;
    }

    CWinApp app{L"File Dialog Tests"};
    ScratchFolder folder;
    CCanvasWnd owner;
};

TEST_F(FileDialogTest, OneFileComesBackAsAFullPathWithItsParts)
{
    CWatchedFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT,
                              L"Text Files (*.txt)|*.txt|All Files (*.*)|*.*||", &owner);
    DriverReport report;
    ASSERT_EQ(IDOK, Run(dialog, L"beta.txt", report));

    const std::vector<CString> paths = Walk(dialog);
    ASSERT_EQ(1u, paths.size());
    EXPECT_EQ(Utf8((folder / L"beta.txt").View()), Utf8(paths[0].View()));
    EXPECT_EQ(Utf8((folder / L"beta.txt").View()), Utf8(dialog.GetPathName().View()));
    EXPECT_EQ("beta.txt", Utf8(dialog.GetFileName().View()));
    EXPECT_EQ("txt", Utf8(dialog.GetFileExt().View()));
    EXPECT_EQ("beta", Utf8(dialog.GetFileTitle().View()));
    EXPECT_EQ(0u, dialog.GetExtendedError());
    // The filter text became the dialog's list of file types.
    ASSERT_EQ(2u, report.filterNames.size());
    EXPECT_EQ(L"Text Files (*.txt)", report.filterNames[0]);
    EXPECT_EQ(L"All Files (*.*)", report.filterNames[1]);
}

TEST_F(FileDialogTest, ThreeFilesComeBackAsFullPathsInTheDialogsOrder)
{
    CWatchedFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT,
                              L"All Files (*.*)|*.*||", &owner);
    DriverReport report;
    ASSERT_EQ(IDOK, Run(dialog, L"\"alpha.txt\" \"gamma with spaces.txt\" \"notes.log\"", report));

    const std::vector<CString> paths = Walk(dialog);
    ASSERT_EQ(3u, paths.size());
    EXPECT_EQ(Utf8((folder / L"alpha.txt").View()), Utf8(paths[0].View()));
    EXPECT_EQ(Utf8((folder / L"gamma with spaces.txt").View()), Utf8(paths[1].View()));
    EXPECT_EQ(Utf8((folder / L"notes.log").View()), Utf8(paths[2].View()));
    EXPECT_EQ(Utf8(paths[0].View()), Utf8(dialog.GetPathName().View()));
}

TEST_F(FileDialogTest, SelectionLargerThanTheBufferIsReportedNotCut)
{
    CWatchedFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT,
                              L"All Files (*.*)|*.*||", &owner);
    // Room for the folder and hardly a name: the three names cannot fit.
    std::vector<wchar_t> tiny(static_cast<size_t>(folder.Path().GetLength()) + 12, L'\0');
    dialog.m_ofn.lpstrFile = tiny.data();
    dialog.m_ofn.nMaxFile = static_cast<DWORD>(tiny.size());
    DriverReport report;
    ASSERT_EQ(IDCANCEL, Run(dialog, L"\"alpha.txt\" \"gamma with spaces.txt\" \"notes.log\"", report));

    EXPECT_TRUE(dialog.IsBufferTooSmall());
    EXPECT_EQ(static_cast<DWORD>(FNERR_BUFFERTOOSMALL), dialog.GetExtendedError());
    EXPECT_GT(dialog.GetRequiredBufferSize(), dialog.m_ofn.nMaxFile);
    // Nothing half-read is offered as a selection.
    EXPECT_EQ(nullptr, dialog.GetStartPosition());
    EXPECT_TRUE(dialog.GetPathName().IsEmpty());
}

TEST_F(FileDialogTest, SaveDialogAddsTheDefaultExtensionAndStartsFromTheInitialName)
{
    CWatchedFileDialog dialog(FALSE, L"txt", L"draft", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                              L"Text Files (*.txt)|*.txt||", &owner);
    EXPECT_EQ("draft", Utf8(std::wstring_view(dialog.m_ofn.lpstrFile)));
    DriverReport report;
    // The initial name is selected in the field, so typing replaces it.
    ASSERT_EQ(IDOK, Run(dialog, L"report", report));
    EXPECT_EQ(Utf8((folder / L"report.txt").View()), Utf8(dialog.GetPathName().View()));
    EXPECT_EQ("txt", Utf8(dialog.GetFileExt().View()));
}

TEST_F(FileDialogTest, CancelLeavesNoSelectionAndNoError)
{
    CWatchedFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, L"All Files (*.*)|*.*||", &owner);
    dialog.m_ofn.lpstrTitle = kDialogTitle;
    dialog.m_ofn.lpstrInitialDir = folder.Path();
    bool pressed = false;
    ModalDriver driver({L"#32770", kDialogTitle}, [&](HWND box) {
        pressed = BringToForeground(box) && PressKeys({VK_ESCAPE}) &&
                  PumpUntil([box] { return !::IsWindow(box); });
        if (!pressed)
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    ASSERT_TRUE(driver.Wait());
    EXPECT_TRUE(pressed);
    EXPECT_EQ(0u, dialog.GetExtendedError());
    EXPECT_FALSE(dialog.IsBufferTooSmall());
    EXPECT_EQ(nullptr, dialog.GetStartPosition());
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
}

} // namespace
