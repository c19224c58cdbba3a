#include "toolkit/foundation/XTPMonitorApi.h"

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPOsVersion.h"

namespace {

template <class Fn>
void Bind(Fn& entry, FARPROC address)
{
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

} // namespace

bool XTP_MONITOR_ENTRIES::IsComplete() const
{
    return getSystemMetrics && monitorFromWindow && monitorFromRect && monitorFromPoint &&
           getMonitorInfo;
}

bool BindMonitorEntries(XTP_MONITOR_ENTRIES& entries, bool wide,
                        const std::function<FARPROC(const char*)>& lookUp)
{
    Bind(entries.getSystemMetrics, lookUp("GetSystemMetrics"));
    Bind(entries.monitorFromWindow, lookUp("MonitorFromWindow"));
    Bind(entries.monitorFromRect, lookUp("MonitorFromRect"));
    Bind(entries.monitorFromPoint, lookUp("MonitorFromPoint"));
    Bind(entries.getMonitorInfo, lookUp(wide ? "GetMonitorInfoW" : "GetMonitorInfoA"));
    if (entries.IsComplete())
        return true;
    // Half a set would answer some queries per monitor and others for the primary screen.
    entries = XTP_MONITOR_ENTRIES{};
    return false;
}

CXTPMonitorApi::CXTPMonitorApi()
{
    if (m_user32.Init(L"User32.dll")) {
        BindMonitorEntries(m_entries, GetOsVersionCache().IsWinNT4OrLater(), [this](const char* name) {
            FARPROC address = nullptr;
            m_user32.GetProcAddress(&address, name);
            return address;
        });
    }
}

CXTPMonitorApi::CXTPMonitorApi(const XTP_MONITOR_ENTRIES& entries) : m_entries(entries)
{
    if (!m_entries.IsComplete())
        m_entries = XTP_MONITOR_ENTRIES{};
}

BOOL CXTPMonitorApi::GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) const
{
    if (!monitor || !m_entries.getMonitorInfo || !info)
        return FALSE;
    info->cbSize = sizeof(MONITORINFO);
    return m_entries.getMonitorInfo(monitor, info);
}

RECT CXTPMonitorApi::GetMonitorRect(HMONITOR monitor) const
{
    MONITORINFO info{};
    if (GetMonitorInfo(monitor, &info))
        return info.rcMonitor;
    return GetPrimaryScreenRect();
}

RECT CXTPMonitorApi::GetWorkArea(HMONITOR monitor) const
{
    MONITORINFO info{};
    if (GetMonitorInfo(monitor, &info))
        return info.rcWork;
    return GetPrimaryWorkArea();
}

HMONITOR CXTPMonitorApi::FromPoint(POINT point) const
{
    return m_entries.monitorFromPoint ? m_entries.monitorFromPoint(point, MONITOR_DEFAULTTONULL)
                                      : nullptr;
}

RECT CXTPMonitorApi::GetMonitorRectAtPoint(POINT point) const
{
    return GetMonitorRect(FromPoint(point));
}

RECT CXTPMonitorApi::GetWorkAreaAtPoint(POINT point) const
{
    return GetWorkArea(FromPoint(point));
}

RECT CXTPMonitorApi::GetMonitorRectOfRect(const RECT& rect) const
{
    return GetMonitorRect(m_entries.monitorFromRect
                              ? m_entries.monitorFromRect(&rect, MONITOR_DEFAULTTONULL)
                              : nullptr);
}

RECT CXTPMonitorApi::GetWorkAreaOfRect(const RECT& rect) const
{
    return GetWorkArea(m_entries.monitorFromRect
                           ? m_entries.monitorFromRect(&rect, MONITOR_DEFAULTTONULL)
                           : nullptr);
}

RECT CXTPMonitorApi::GetWorkAreaOfHwnd(HWND window) const
{
    return GetWorkArea(m_entries.monitorFromWindow
                           ? m_entries.monitorFromWindow(window, MONITOR_DEFAULTTONULL)
                           : nullptr);
}

RECT CXTPMonitorApi::GetWorkAreaOfWnd(const CWnd* window) const
{
    if (!window || !window->m_hWnd)
        return GetPrimaryWorkArea();
    return GetWorkAreaOfHwnd(window->m_hWnd);
}

RECT CXTPMonitorApi::GetWorkAreaAtCursor() const
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    return GetWorkAreaAtPoint(cursor);
}

CXTPMonitorApi& GetMonitorApi()
{
    static CXTPMonitorApi api;
    return api;
}

RECT GetPrimaryScreenRect()
{
    return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

RECT GetPrimaryWorkArea()
{
    RECT area{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = GetPrimaryScreenRect();
    return area;
}
