#pragma once
// GetCurrentThreadOrApp: the framework thread object whose loop the calling code runs in. The
// modal loops of bars and panes pump messages and idle time through it, so they behave the same
// inside a user-interface thread of their own and on the application's main thread.

#include "framework/window/WinApp.h"

// The calling thread's framework thread object, else the application object; null when neither
// exists (a worker thread of a program without an application).
inline CWinThread* GetCurrentThreadOrApp()
{
    return AfxGetThread();
}
