#pragma once
// CXTPIconHandle: owns one icon and destroys it with itself. Taking the icon it already holds
// keeps it (destroying it first would leave the holder with a dead handle).

#include "framework/Base.h"

class CXTPIconHandle {
public:
    CXTPIconHandle() = default;
    explicit CXTPIconHandle(HICON icon) : m_icon(icon) {}
    CXTPIconHandle(const CXTPIconHandle&) = delete;
    CXTPIconHandle& operator=(const CXTPIconHandle&) = delete;
    CXTPIconHandle(CXTPIconHandle&& other) noexcept : m_icon(other.Detach()) {}
    CXTPIconHandle& operator=(CXTPIconHandle&& other) noexcept
    {
        if (this != &other)
            SetIcon(other.Detach());
        return *this;
    }
    virtual ~CXTPIconHandle() { SetIcon(nullptr); }

    // Destroys the icon held, unless it is this one, and takes the new one (null empties).
    void SetIcon(HICON icon)
    {
        if (icon == m_icon)
            return;
        if (m_icon)
            ::DestroyIcon(m_icon);
        m_icon = icon;
    }
    // Hands the icon on without destroying it.
    [[nodiscard]] HICON Detach()
    {
        HICON icon = m_icon;
        m_icon = nullptr;
        return icon;
    }
    HICON GetIcon() const { return m_icon; }
    operator HICON() const { return m_icon; }

private:
    HICON m_icon = nullptr;
};
