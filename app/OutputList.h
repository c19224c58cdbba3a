#pragma once
// The output list: the lines that builds and monitoring runs write ("> " and "> !" lines). Worker
// threads reach it only through two messages sent to the main window, handled on the
// user-interface thread while the sender waits, so the lines arrive in the order sent:
//     WM_USER+1: clear the list;
//     WM_USER+2: show the list's pane, then (lParam 0) append the text at wParam as the last line
//                and select it; the list keeps its own copy, so the sender may free the text once
//                the send returns. A non-zero lParam only shows the pane.

#include "app/AppBases.h"

#include <functional>

class COutputList : public AppListBox {
public:
    // Creates the list as a child of parent (child, visible, border, both scroll bars, notify)
    // with the system's standard GUI font.
    BOOL CreateList(CWnd* parent, UINT id = 0);
    void AppendLine(const wchar_t* text);
    void Clear();
};

// Answers the two output messages for the main window: showPane makes the list's pane visible
// (and may create the list); list may have no window yet. Returns 0.
LRESULT HandleOutputMessage(COutputList& list, UINT message, WPARAM wParam, LPARAM lParam,
                            const std::function<void()>& showPane);
