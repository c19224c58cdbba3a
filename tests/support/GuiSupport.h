#pragma once
// Helpers for GUI tests with real windows under Xvfb: run the message loop until a condition
// holds, send real input (SendInput: clicks, key chords, typed text), record a window's
// messages and assert their order, read a window's pixels as RGB, and drive a modal window
// from a helper thread.
//
// Under Wine, SendInput goes to the foreground window's thread, and the test thread owns the
// windows it tests: input is only handled while the test pumps (PumpUntil). Nothing here sleeps a
// fixed time; every wait ends as soon as its condition holds, with wide limits for loaded machines.
// The foreground window and the pointer belong to the whole display: a test program that sends
// input declares LOCKS desktop-input in its tarnwick_add_test, so no two such tests run at once.

#include "framework/Handle.h"

#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// Default limit for waits on the GUI: generous, because CI machines are loaded (and Wine stalls
// for 2 s whenever a window is hidden without a window manager).
constexpr DWORD kGuiTimeoutMs = 20000;

// Runs this thread's message loop (with TranslateMessage, so key input becomes WM_CHAR) until
// condition() is true or timeoutMs has passed; returns the last answer of condition(). The
// condition is checked first, then after every batch of messages and at least every 10 ms.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kGuiTimeoutMs);

// Dispatches what is queued now, without waiting for more.
void PumpPending();

// --- Input ---------------------------------------------------------------------------------

// Makes window's top-level window the foreground window (where SendInput goes) and waits until
// the system reports it so; false after the time-out.
bool BringToForeground(HWND window, DWORD timeoutMs = kGuiTimeoutMs);

enum class MouseButton { Left, Right };

// Moves the pointer (no button changes) to a screen point and waits until the system reports it
// there; false when it does not get there.
bool MovePointerTo(POINT screen);
// The same at a point of window's client area.
bool MovePointerToClient(HWND window, POINT client);
// Presses (down) or releases a mouse button where the pointer is.
bool PressButton(MouseButton button, bool down);
// Lets go of the buttons that PressButton holds down. Run after every test: a test that failed
// between its press and its release leaves no button held for the tests after it.
void ReleaseHeldButtons();

// Moves the pointer to a screen point and clicks there (press and release).
bool ClickAt(POINT screen, MouseButton button = MouseButton::Left);
// The same at a point of window's client area.
bool ClickClient(HWND window, POINT client, MouseButton button = MouseButton::Left);
// The same at the centre of window's client area.
bool ClickCentre(HWND window, MouseButton button = MouseButton::Left);

// Presses the keys in order and releases them in reverse order: {VK_SHIFT, VK_F10} is Shift+F10,
// {VK_RETURN} one key press. Extended keys (arrows, Insert, Delete, Home, End, Page Up/Down,
// VK_APPS, right-hand Ctrl and Alt) carry their extended flag.
bool PressKeys(std::initializer_list<WORD> chord);

// Types text as Unicode key events (KEYEVENTF_UNICODE): what arrives is WM_CHAR with each
// UTF-16 unit, whatever the keyboard layout.
bool TypeText(std::wstring_view text);

// The window's text, read with WM_GETTEXT so that it works across processes for every class.
std::wstring WindowText(HWND window);
// The first tree-view item with the text, depth first, below parent or in the whole tree when
// parent is null; null when no item has it. Item texts are read with TVM_GETITEMW, so the tree
// must belong to this process.
HTREEITEM FindTreeItem(HWND tree, std::wstring_view text, HTREEITEM parent = nullptr);
// The text of a message box: its static controls' texts (not the caption), one per line.
std::wstring MessageBoxText(HWND box);
// The window that has the keyboard focus in the thread that owns window; null when none.
HWND FocusOfThread(HWND window);
// Clicks an edit, selects all its text through the keyboard and types text over it. Runs on a
// helper thread: it waits for the focus without pumping the caller's messages.
void ReplaceTextByKeys(HWND edit, std::wstring_view text);

// --- Message recording ---------------------------------------------------------------------

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Subclasses a window for its lifetime and records the messages it receives (before the
// window's own procedure handles them). With a filter, only those messages are kept.
class MessageRecorder {
public:
    explicit MessageRecorder(HWND window, std::initializer_list<UINT> only = {});
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    ~MessageRecorder();

    const std::vector<RecordedMessage>& Messages() const { return m_messages; }
    size_t Count(UINT message) const;
    bool Contains(UINT message) const { return Count(message) > 0; }
    // The last recorded message of that kind, if any.
    std::optional<RecordedMessage> Last(UINT message) const;
    void Clear() { m_messages.clear(); }
    HWND Window() const { return m_window; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);

    HWND m_window; // not owned
    std::vector<UINT> m_only;
    std::vector<RecordedMessage> m_messages;
    bool m_subclassed = false;
};

// One expected message; unset parameters match anything.
struct ExpectedMessage {
    UINT message;
    std::optional<WPARAM> wParam = std::nullopt;
    std::optional<LPARAM> lParam = std::nullopt;
};

// Checks that the recorded messages of the kinds named in expected are exactly expected, in
// order (messages of other kinds are ignored). A failure is reported at the caller's line with
// both sequences, named after context.
void ExpectMessages(const MessageRecorder& recorder, std::initializer_list<ExpectedMessage> expected,
                    const char* context, std::source_location where = std::source_location::current());

// Name of a window message for failure text ("WM_LBUTTONDOWN", or hex).
std::string MessageName(UINT message);

// --- Pixels --------------------------------------------------------------------------------

// RGB pixels, top row first. Colours are COLORREF values (0x00BBGGRR, as GetSysColor returns
// them); the alpha byte is dropped, since GDI and GDI+ disagree about it.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    bool IsEmpty() const { return pixels.empty(); }
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

enum class CaptureMethod {
    Screen, // BitBlt from the window's DC: what the screen shows (the window must be uncovered)
    Print,  // PrintWindow: the window paints itself into our bitmap
};

// The client area of window; empty when the capture failed. For Print, the window must paint on
// WM_PRINTCLIENT as well as WM_PAINT (the system's controls do).
RgbImage CaptureClient(HWND window, CaptureMethod method = CaptureMethod::Screen);

// How many pixels of region (clipped to the image) have colour, each channel within tolerance.
int CountColour(const RgbImage& image, const RECT& region, COLORREF colour, int tolerance = 0);
// Whether every pixel of region has colour (within tolerance); an empty region is false.
bool RegionIs(const RgbImage& image, const RECT& region, COLORREF colour, int tolerance = 0);
// Whether region of a equals the same-sized region of b whose top-left corner is at; pixels
// that differ by more than tolerance in a channel count as different.
bool SameRegion(const RgbImage& a, const RECT& region, const RgbImage& b, POINT at, int tolerance = 0);

// --- Modal windows -------------------------------------------------------------------------

// Criteria for a top-level window of this process; null fields match anything. A window
// matches only once it is visible and enabled (a window can show before it is ready).
struct WindowQuery {
    const wchar_t* className = nullptr;
    const wchar_t* title = nullptr;
};

// Finds a matching window now; null when there is none.
HWND FindProcessWindow(const WindowQuery& query);

// A helper thread that waits for a window to appear (typically one that the test thread is about
// to show modally, which blocks the test thread) and then runs action on it, on the helper
// thread. The action may send input (the modal loop of the test thread handles it) or post
// messages. The destructor calls off a search still running and waits for the thread.
class ModalDriver {
public:
    ModalDriver(WindowQuery query, std::function<void(HWND)> action, DWORD timeoutMs = kGuiTimeoutMs);
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    ~ModalDriver();

    // Waits until the thread is done; true when the window appeared and the action ran.
    bool Wait(DWORD timeoutMs = kGuiTimeoutMs);
    HWND Window() const { return m_found; } // valid after Wait
    bool TimedOut() const { return m_timedOut; }

private:
    static DWORD WINAPI Run(void* self);

    std::wstring m_className;
    std::wstring m_title;
    bool m_anyClass;
    bool m_anyTitle;
    std::function<void(HWND)> m_action;
    DWORD m_timeoutMs;
    UniqueKernelHandle m_stop;
    UniqueKernelHandle m_thread;
    HWND m_found = nullptr;    // not owned
    bool m_timedOut = false;
    bool m_ran = false;
};

// Posts the WM_COMMAND that a click on the dialog's button id sends, as a helper thread can
// while the dialog runs modally.
void PostClick(HWND dialog, int id);

// Shows a dialog modally through show (its DoModal) while drive works on the dialog's window from
// a helper thread; a dialog that drive leaves open is cancelled. Answers show's result, with a
// test failure when the dialog never appeared.
INT_PTR RunModal(const WindowQuery& query, const std::function<INT_PTR()>& show,
                 const std::function<void(HWND)>& drive);

} // namespace testsupport
