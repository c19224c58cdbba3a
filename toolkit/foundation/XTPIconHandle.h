#pragma once
// CXTPIconHandle: owns one icon and destroys it with itself. Taking the icon it already holds
// keeps it (destroying it first would leave the holder with a dead handle).

#include "framework/Base.h"
#include "framework/Handle.h"

class CXTPIconHandle {
public:
    CXTPIconHandle() = default;
    explicit CXTPIconHandle(HICON icon) : m_icon(icon) {}
    CXTPIconHandle(CXTPIconHandle&&) noexcept = default;
    CXTPIconHandle& operator=(CXTPIconHandle&&) noexcept = default;
    virtual ~CXTPIconHandle() = default;

    // Destroys the icon held, unless it is this one, and takes the new one (null empties).
    void SetIcon(HICON icon)
    {
        if (icon != m_icon.Get())
            m_icon.Reset(icon);
    }
    // Hands the icon on without destroying it.
    [[nodiscard]] HICON Detach() { return m_icon.Release(); }
    HICON GetIcon() const { return m_icon.Get(); }
    operator HICON() const { return m_icon.Get(); }

private:
    UniqueHandle<ZeroEmptyTraits<HICON, ::DestroyIcon>> m_icon;
};
