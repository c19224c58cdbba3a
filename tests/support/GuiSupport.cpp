#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <sstream>

namespace testsupport {

namespace {

// How often waits look at their condition when no message arrives (ms).
constexpr DWORD kPollMs = 10;
// How long the pointer may take to reach the point a click moved it to (ms).
constexpr DWORD kPointerMs = 5000;
// How long a normalised move gets to land exactly before the pointer is put on the point
// directly. Wine's mapping back from 0..65535 rounds some rows a pixel off, and waiting the
// full limit for those made every such click five seconds slow.
constexpr DWORD kPointerExactMs = 500;

// Dispatches the queued messages; false when WM_QUIT came (it is posted again for the loop that
// owns it, and dispatching stops).
bool DispatchQueued()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

// Normalised absolute coordinate (0..65535 across the primary screen) whose pixel is value:
// the smallest normalised value that maps to it, plus half a pixel.
LONG Normalise(int value, int extent)
{
    if (extent <= 1)
        return 0;
    return static_cast<LONG>((static_cast<long long>(value) * 65536 + extent / 2) / extent);
}

bool IsExtendedKey(WORD vk)
{
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_APPS: case VK_RCONTROL: case VK_RMENU: case VK_LWIN: case VK_RWIN:
    case VK_DIVIDE: case VK_NUMLOCK:
        return true;
    default:
        return false;
    }
}

INPUT KeyInput(WORD vk, bool release)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (release ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

bool SendAll(std::vector<INPUT>& inputs)
{
    if (inputs.empty())
        return true;
    return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

std::string Describe(const RecordedMessage& m)
{
    std::ostringstream out;
    out << MessageName(m.message) << "(" << std::hex << "0x" << m.wParam << ", 0x" << static_cast<ULONG_PTR>(m.lParam)
        << ")";
    return out.str();
}

std::string Describe(const ExpectedMessage& m)
{
    std::ostringstream out;
    out << MessageName(m.message) << "(";
    out << std::hex;
    if (m.wParam)
        out << "0x" << *m.wParam;
    else
        out << "*";
    out << ", ";
    if (m.lParam)
        out << "0x" << static_cast<ULONG_PTR>(*m.lParam);
    else
        out << "*";
    out << ")";
    return out.str();
}

bool Matches(const ExpectedMessage& expected, const RecordedMessage& got)
{
    return expected.message == got.message && (!expected.wParam || *expected.wParam == got.wParam)
        && (!expected.lParam || *expected.lParam == got.lParam);
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance
        && std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

RECT Clip(const RgbImage& image, const RECT& region)
{
    RECT clipped{std::max(region.left, 0L), std::max(region.top, 0L),
                 std::min(region.right, static_cast<LONG>(image.width)),
                 std::min(region.bottom, static_cast<LONG>(image.height))};
    if (clipped.right < clipped.left)
        clipped.right = clipped.left;
    if (clipped.bottom < clipped.top)
        clipped.bottom = clipped.top;
    return clipped;
}

} // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (!DispatchQueued())
            return condition(); // a quit is on its way: the loop that owns it must see it
        if (condition())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, deadline - now));
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void PumpPending()
{
    DispatchQueued();
}

bool BringToForeground(HWND window, DWORD timeoutMs)
{
    const HWND top = ::GetAncestor(window, GA_ROOT);
    if (!top)
        return false;
    return PumpUntil(
        [top] {
            if (::GetForegroundWindow() == top)
                return true;
            ::SetForegroundWindow(top);
            return ::GetForegroundWindow() == top;
        },
        timeoutMs);
}

bool MovePointerTo(POINT screen)
{
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = Normalise(screen.x, ::GetSystemMetrics(SM_CXSCREEN));
    move.mi.dy = Normalise(screen.y, ::GetSystemMetrics(SM_CYSCREEN));
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (::SendInput(1, &move, sizeof(move)) != 1)
        return false;
    auto there = [screen] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
    };
    // The system and Wine round normalised coordinates differently; if the pointer landed a
    // pixel off, put it on the point itself at once (button events carry no position, and a
    // window that reads the pointer's position when the move arrives must see the right one).
    // A late landing of the normalised move may still undo the correction: correct once more.
    if (!there())
        ::SetCursorPos(screen.x, screen.y);
    return PumpUntil(there, kPointerExactMs) || (::SetCursorPos(screen.x, screen.y) && PumpUntil(there, kPointerMs));
}

bool MovePointerToClient(HWND window, POINT client)
{
    return ::ClientToScreen(window, &client) && MovePointerTo(client);
}

namespace {

// The buttons this process holds down through PressButton. A test that fails between its press
// and its release would leave the button held on the display for every test after it, in every
// process; the listener below lets go of them when each test ends.
std::atomic<unsigned> g_heldButtons{0};

unsigned ButtonBit(MouseButton button) { return button == MouseButton::Left ? 1u : 2u; }

class HeldButtonsRelease : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { ReleaseHeldButtons(); }
};

const bool g_heldButtonsReleaseAdded = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new HeldButtonsRelease);
    return true;
}();

} // namespace

void ReleaseHeldButtons()
{
    for (MouseButton button : {MouseButton::Left, MouseButton::Right})
        if (g_heldButtons.load() & ButtonBit(button))
            PressButton(button, false);
}

bool PressButton(MouseButton button, bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    if (button == MouseButton::Left)
        input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    else
        input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    if (::SendInput(1, &input, sizeof(input)) != 1)
        return false;
    if (down)
        g_heldButtons |= ButtonBit(button);
    else
        g_heldButtons &= ~ButtonBit(button);
    return true;
}

bool ClickAt(POINT screen, MouseButton button)
{
    if (!MovePointerTo(screen))
        return false;
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = button == MouseButton::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    clicks[1].mi.dwFlags = button == MouseButton::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    return ::SendInput(2, clicks, sizeof(INPUT)) == 2;
}

bool ClickClient(HWND window, POINT client, MouseButton button)
{
    if (!::ClientToScreen(window, &client))
        return false;
    return ClickAt(client, button);
}

bool ClickCentre(HWND window, MouseButton button)
{
    RECT rect{};
    if (!::GetClientRect(window, &rect))
        return false;
    return ClickClient(window, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, button);
}

bool PressKeys(std::initializer_list<WORD> chord)
{
    std::vector<INPUT> inputs;
    for (WORD vk : chord)
        inputs.push_back(KeyInput(vk, false));
    for (auto it = std::rbegin(chord); it != std::rend(chord); ++it)
        inputs.push_back(KeyInput(*it, true));
    return SendAll(inputs);
}

bool TypeText(std::wstring_view text)
{
    std::vector<INPUT> inputs;
    for (wchar_t unit : text) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<WORD>(unit);
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    return SendAll(inputs);
}

MessageRecorder::MessageRecorder(HWND window, std::initializer_list<UINT> only) : m_window(window), m_only(only)
{
    m_subclassed = ::SetWindowSubclass(window, Procedure, reinterpret_cast<UINT_PTR>(this),
                                       reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    EXPECT_TRUE(m_subclassed) << "cannot record the messages of window " << window;
}

MessageRecorder::~MessageRecorder()
{
    if (m_subclassed && ::IsWindow(m_window))
        ::RemoveWindowSubclass(m_window, Procedure, reinterpret_cast<UINT_PTR>(this));
}

LRESULT CALLBACK MessageRecorder::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self)
{
    auto* recorder = reinterpret_cast<MessageRecorder*>(self);
    if (recorder->m_only.empty() || std::find(recorder->m_only.begin(), recorder->m_only.end(), message) != recorder->m_only.end())
        recorder->m_messages.push_back({message, wParam, lParam});
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, Procedure, id);
        recorder->m_subclassed = false;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

size_t MessageRecorder::Count(UINT message) const
{
    return static_cast<size_t>(std::count_if(m_messages.begin(), m_messages.end(),
                                             [message](const RecordedMessage& m) { return m.message == message; }));
}

std::optional<RecordedMessage> MessageRecorder::Last(UINT message) const
{
    for (auto it = m_messages.rbegin(); it != m_messages.rend(); ++it) {
        if (it->message == message)
            return *it;
    }
    return std::nullopt;
}

void ExpectMessages(const MessageRecorder& recorder, std::initializer_list<ExpectedMessage> expected,
                    const char* context, std::source_location where)
{
    std::vector<RecordedMessage> relevant;
    for (const RecordedMessage& m : recorder.Messages()) {
        if (std::any_of(expected.begin(), expected.end(), [&m](const ExpectedMessage& e) { return e.message == m.message; }))
            relevant.push_back(m);
    }
    bool same = relevant.size() == expected.size();
    for (size_t i = 0; same && i < relevant.size(); ++i)
        same = Matches(expected.begin()[i], relevant[i]);
    if (same)
        return;

    std::ostringstream text;
    text << context << ": the messages differ\n  expected:";
    for (const ExpectedMessage& e : expected)
        text << " " << Describe(e);
    text << "\n  recorded:";
    for (const RecordedMessage& m : relevant)
        text << " " << Describe(m);
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << text.str();
}

std::string MessageName(UINT message)
{
    struct Name {
        UINT message;
        const char* name;
    };
    static const Name kNames[] = {
        {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"}, {WM_GETTEXT, "WM_GETTEXT"}, {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"}, {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_NOTIFY, "WM_NOTIFY"}, {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
        {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_NCHITTEST, "WM_NCHITTEST"},
        {WM_NCPAINT, "WM_NCPAINT"}, {WM_NCACTIVATE, "WM_NCACTIVATE"}, {WM_GETDLGCODE, "WM_GETDLGCODE"},
        {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
        {WM_SYSKEYUP, "WM_SYSKEYUP"}, {WM_SYSCHAR, "WM_SYSCHAR"}, {WM_INITDIALOG, "WM_INITDIALOG"},
        {WM_COMMAND, "WM_COMMAND"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"},
        {WM_HSCROLL, "WM_HSCROLL"}, {WM_VSCROLL, "WM_VSCROLL"}, {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"}, {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
        {WM_SETCURSOR, "WM_SETCURSOR"}, {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_PRINT, "WM_PRINT"},
        {WM_PRINTCLIENT, "WM_PRINTCLIENT"}, {WM_CTLCOLORBTN, "WM_CTLCOLORBTN"}, {WM_CTLCOLOREDIT, "WM_CTLCOLOREDIT"},
        {WM_CTLCOLORSTATIC, "WM_CTLCOLORSTATIC"}, {WM_DRAWITEM, "WM_DRAWITEM"}, {WM_MEASUREITEM, "WM_MEASUREITEM"},
        {WM_USER, "WM_USER"}, {WM_APP, "WM_APP"},
    };
    for (const Name& n : kNames) {
        if (n.message == message)
            return n.name;
    }
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%04X", message);
    return hex;
}

RgbImage CaptureClient(HWND window, CaptureMethod method)
{
    RECT client{};
    if (!::GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return {};
    const int width = client.right;
    const int height = client.bottom;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueHandle<ZeroEmptyTraits<HDC, ::DeleteDC>> memory(::CreateCompatibleDC(nullptr));
    if (!dib || !bits || !memory)
        return {};
    const HGDIOBJ old = ::SelectObject(memory.Get(), dib.Get());
    bool copied = false;
    if (method == CaptureMethod::Screen) {
        if (HDC source = ::GetDC(window)) {
            copied = ::BitBlt(memory.Get(), 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
            ::ReleaseDC(window, source);
        }
    } else {
        copied = ::PrintWindow(window, memory.Get(), PW_CLIENTONLY) != FALSE;
    }
    ::GdiFlush();
    ::SelectObject(memory.Get(), old);
    if (!copied)
        return {};

    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    const auto* source = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const DWORD pixel = source[i]; // bytes B, G, R, (alpha: ignored)
        image.pixels[i] = RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    return image;
}

int CountColour(const RgbImage& image, const RECT& region, COLORREF colour, int tolerance)
{
    const RECT clipped = Clip(image, region);
    int count = 0;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        for (int x = clipped.left; x < clipped.right; ++x) {
            if (Near(image.At(x, y), colour, tolerance))
                ++count;
        }
    }
    return count;
}

bool RegionIs(const RgbImage& image, const RECT& region, COLORREF colour, int tolerance)
{
    const RECT clipped = Clip(image, region);
    const int area = (clipped.right - clipped.left) * (clipped.bottom - clipped.top);
    const int asked = (region.right - region.left) * (region.bottom - region.top);
    return area > 0 && area == asked && CountColour(image, clipped, colour, tolerance) == area;
}

bool SameRegion(const RgbImage& a, const RECT& region, const RgbImage& b, POINT at, int tolerance)
{
    const int width = region.right - region.left;
    const int height = region.bottom - region.top;
    if (width <= 0 || height <= 0 || region.left < 0 || region.top < 0 || region.right > a.width
        || region.bottom > a.height || at.x < 0 || at.y < 0 || at.x + width > b.width || at.y + height > b.height)
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!Near(a.At(region.left + x, region.top + y), b.At(at.x + x, at.y + y), tolerance))
                return false;
        }
    }
    return true;
}

HWND FindProcessWindow(const WindowQuery& query)
{
    struct Search {
        const WindowQuery* query;
        HWND found;
    } search{&query, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) || !::IsWindowEnabled(window))
                return TRUE;
            if (s->query->className) {
                wchar_t name[256] = {};
                ::GetClassNameW(window, name, 256);
                if (_wcsicmp(name, s->query->className) != 0)
                    return TRUE;
            }
            if (s->query->title) {
                wchar_t title[512] = {};
                ::GetWindowTextW(window, title, 512);
                if (std::wcscmp(title, s->query->title) != 0)
                    return TRUE;
            }
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ModalDriver::ModalDriver(WindowQuery query, std::function<void(HWND)> action, DWORD timeoutMs)
    : m_className(query.className ? query.className : L""),
      m_title(query.title ? query.title : L""),
      m_anyClass(!query.className),
      m_anyTitle(!query.title),
      m_action(std::move(action)),
      m_timeoutMs(timeoutMs),
      m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    m_thread.Reset(::CreateThread(nullptr, 0, Run, this, 0, nullptr));
    EXPECT_TRUE(m_thread.IsValid()) << "cannot start the driver thread";
}

ModalDriver::~ModalDriver()
{
    if (m_thread) {
        ::SetEvent(m_stop.Get());
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    }
}

bool ModalDriver::Wait(DWORD timeoutMs)
{
    return m_thread && ::WaitForSingleObject(m_thread.Get(), timeoutMs) == WAIT_OBJECT_0 && m_ran;
}

DWORD WINAPI ModalDriver::Run(void* parameter)
{
    auto* self = static_cast<ModalDriver*>(parameter);
    const WindowQuery query{self->m_anyClass ? nullptr : self->m_className.c_str(),
                            self->m_anyTitle ? nullptr : self->m_title.c_str()};
    const ULONGLONG deadline = ::GetTickCount64() + self->m_timeoutMs;
    for (;;) {
        if (HWND found = FindProcessWindow(query)) {
            self->m_found = found;
            self->m_action(found);
            self->m_ran = true;
            return 0;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            self->m_timedOut = true;
            return 0;
        }
        // The window shows on another thread with no notice to this one: look again shortly,
        // unless the owner calls the search off.
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, deadline - now));
        if (::WaitForSingleObject(self->m_stop.Get(), wait) == WAIT_OBJECT_0)
            return 0;
    }
}

std::wstring WindowText(HWND window)
{
    // WM_GETTEXT is marshalled between processes for every window class; a hung program under
    // test gives an empty text instead of hanging the test.
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kGuiTimeoutMs, &length))
        return {};
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, 0);
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          kGuiTimeoutMs, &copied);
    return text.data();
}

std::wstring MessageBoxText(HWND box)
{
    // the message is the static control with id 0xFFFF (the icon is a static without text)
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        ::GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") == 0) {
            const std::wstring part = WindowText(child);
            if (!part.empty())
                text += (text.empty() ? L"" : L"\n") + part;
        }
    }
    return text;
}

HWND FocusOfThread(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void ReplaceTextByKeys(HWND edit, std::wstring_view text)
{
    ClickCentre(edit);
    WaitFor([&] { return FocusOfThread(edit) == edit; }, kGuiTimeoutMs);
    PressKeys({VK_HOME});
    PressKeys({VK_SHIFT, VK_END});
    TypeText(text);
}

namespace {

HTREEITEM FindTreeItemAmong(HWND tree, std::wstring_view text, HTREEITEM first)
{
    for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t buffer[260] = {};
        TVITEMW read = {};
        read.mask = TVIF_TEXT;
        read.hItem = item;
        read.pszText = buffer;
        read.cchTextMax = static_cast<int>(std::size(buffer));
        if (TreeView_GetItem(tree, &read) && text == buffer)
            return item;
        if (HTREEITEM found = FindTreeItemAmong(tree, text, TreeView_GetChild(tree, item)))
            return found;
    }
    return nullptr;
}

} // namespace

HTREEITEM FindTreeItem(HWND tree, std::wstring_view text, HTREEITEM parent)
{
    return FindTreeItemAmong(tree, text, parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree));
}

void PostClick(HWND dialog, int id)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

INT_PTR RunModal(const WindowQuery& query, const std::function<INT_PTR()>& show,
                 const std::function<void(HWND)>& drive)
{
    ModalDriver driver(query, [&](HWND window) {
        drive(window);
        if (::IsWindow(window))
            PostClick(window, IDCANCEL);
    });
    const INT_PTR result = show();
    EXPECT_TRUE(driver.Wait()) << "the dialog never appeared";
    return result;
}

} // namespace testsupport
