#pragma once
// CXTPMonitorApi: rectangles of the monitor under a point, a rectangle, a window or the cursor.
// The five user32 entries are bound together from "User32.dll"; when any one is missing none is
// used, and every query answers for the primary screen: its whole rectangle from the screen
// metrics, its work area from SPI_GETWORKAREA.

#include "framework/Base.h"
#include "toolkit/foundation/XTPModuleHandle.h"

#include <functional>

class CWnd;

// The bound entries; all null when the set is incomplete.
struct XTP_MONITOR_ENTRIES {
    int(WINAPI* getSystemMetrics)(int) = nullptr;
    HMONITOR(WINAPI* monitorFromWindow)(HWND, DWORD) = nullptr;
    HMONITOR(WINAPI* monitorFromRect)(LPCRECT, DWORD) = nullptr;
    HMONITOR(WINAPI* monitorFromPoint)(POINT, DWORD) = nullptr;
    BOOL(WINAPI* getMonitorInfo)(HMONITOR, LPMONITORINFO) = nullptr;

    bool IsComplete() const;
};

// Fills the entries through lookUp (export name -> address or null); the monitor-information
// entry is "GetMonitorInfoW", or "GetMonitorInfoA" when wide is false (systems before NT 4).
// Clears all of them and answers false when one is missing.
bool BindMonitorEntries(XTP_MONITOR_ENTRIES& entries, bool wide,
                        const std::function<FARPROC(const char*)>& lookUp);

class CXTPMonitorApi {
public:
    // Binds from "User32.dll".
    CXTPMonitorApi();
    // Uses the given entries (a test plays a system without multi-monitor support with them).
    explicit CXTPMonitorApi(const XTP_MONITOR_ENTRIES& entries);

    const XTP_MONITOR_ENTRIES& GetEntries() const { return m_entries; }

    // With a monitor and the entries: the record (its size set) and the call's result; else FALSE.
    BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) const;
    RECT GetMonitorRect(HMONITOR monitor) const;
    RECT GetWorkArea(HMONITOR monitor) const;
    RECT GetMonitorRectAtPoint(POINT point) const;
    RECT GetWorkAreaAtPoint(POINT point) const;
    RECT GetMonitorRectOfRect(const RECT& rect) const;
    RECT GetWorkAreaOfRect(const RECT& rect) const;
    RECT GetWorkAreaOfHwnd(HWND window) const;
    // The same for a framework window; a null object or one without a window gets the primary
    // work area.
    RECT GetWorkAreaOfWnd(const CWnd* window) const;
    RECT GetWorkAreaAtCursor() const;

private:
    HMONITOR FromPoint(POINT point) const;

    CXTPModuleHandle m_user32;
    XTP_MONITOR_ENTRIES m_entries;
};

// The process-wide helper, bound on first use.
CXTPMonitorApi& GetMonitorApi();

// The primary screen, for callers and tests: (0, 0, SM_CXSCREEN, SM_CYSCREEN) and SPI_GETWORKAREA.
RECT GetPrimaryScreenRect();
RECT GetPrimaryWorkArea();
