#pragma once
// Scope owners for drawing on another window: its device context and the objects selected into
// it. Both undo themselves on every return, so a frame drawn on a setup program's window never
// leaves that window's context holding our pen or one context fewer in the system's cache.

#include "framework/Base.h"

#include <utility>

// The device context of a whole window (GetWindowDC), released on destruction.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) noexcept : m_window(window), m_dc(GetWindowDC(window)) {}
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    ScopedWindowDC(ScopedWindowDC&& other) noexcept
        : m_window(std::exchange(other.m_window, nullptr)), m_dc(std::exchange(other.m_dc, nullptr))
    {
    }
    ScopedWindowDC& operator=(ScopedWindowDC&&) = delete;
    ~ScopedWindowDC()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }

    HDC Get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }

private:
    HWND m_window; // not owned
    HDC m_dc;
};

// One object selected into a device context for one scope; the object it replaced is selected
// back on destruction. The selected object stays the caller's: declare its owner before this
// scope, so that it is deselected before it is deleted.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(dc && object ? SelectObject(dc, object) : nullptr)
    {
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect()
    {
        // SelectObject answers null (or HGDI_ERROR for a region) when it selected nothing.
        if (m_old && m_old != HGDI_ERROR)
            SelectObject(m_dc, m_old);
    }

    bool Selected() const noexcept { return m_old && m_old != HGDI_ERROR; }

private:
    HDC m_dc;       // not owned
    HGDIOBJ m_old;  // not owned: the context's own object
};
