#pragma once
// The output pane seen from the engine. The builder and the monitor report progress as lines
// ("> ..." and "> !..." for data errors) through a sink that their caller chooses
// (MsiBuildOptions::output, MonitorOptions::output); without one they use the process-wide sink.
// The default process-wide sink sends to the window named by SetOutputWindow with SendMessageW:
// WM_OUTPUT_CLEAR (WM_USER+1) to empty the pane and WM_OUTPUT_APPEND (WM_USER+2, wParam = the
// zero-terminated UTF-16 line, lParam 0) to add a line. The sender waits until the window has
// taken its copy of the line, so the user-interface thread must never wait for a thread that
// reports here without dispatching sent messages.
//
// The engine knows no window classes: the main frame tells it where to send with
// SetOutputWindow, and tests install a sink of their own with SetOutputSink or pass one in the
// options.

#include "framework/Base.h"

constexpr UINT WM_OUTPUT_CLEAR = WM_USER + 1;
constexpr UINT WM_OUTPUT_APPEND = WM_USER + 2;

class IOutputSink {
public:
    virtual ~IOutputSink() = default;
    // Empties the output.
    virtual void Clear() = 0;
    // Adds one line; the sink copies it before returning. Returns what the receiver answers.
    virtual LRESULT AppendLine(const wchar_t* line) = 0;
};

// The window that the default sink sends to (null: lines go nowhere). Not owned.
void SetOutputWindow(HWND window);
HWND GetOutputWindow();

// Installs a sink (not owned; it must outlive its use) and returns the previous one; null
// restores the default window sink. Install before any reporting thread starts.
IOutputSink* SetOutputSink(IOutputSink* sink);
IOutputSink& GetOutputSink();

// Shorthands for the current sink.
void ClearOutput();
LRESULT AppendOutputLine(const wchar_t* line);
