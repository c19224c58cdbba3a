#pragma once
// One owner per handle. UniqueHandle<Traits> closes its handle exactly once, cannot be copied,
// moves ownership, and hands it on with Release(). Traits give the empty value(s) and the close
// call of each handle kind.

#include "framework/Base.h"

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept : m_handle(Traits::Empty()) {}
    explicit UniqueHandle(Type handle) noexcept : m_handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Type Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return Traits::IsValid(m_handle); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Gives up ownership without closing.
    [[nodiscard]] Type Release() noexcept { return std::exchange(m_handle, Traits::Empty()); }

    void Reset(Type handle = Traits::Empty()) noexcept
    {
        Type old = std::exchange(m_handle, handle);
        if (Traits::IsValid(old))
            Traits::Close(old);
    }

    // For out-parameters of creating calls: closes what was held and exposes the slot.
    Type* Put() noexcept
    {
        Reset();
        return &m_handle;
    }

private:
    Type m_handle;
};

// Handle kinds whose only empty value is the zero of their type and that one call closes.
template <class T, auto CloseFn>
struct ZeroEmptyTraits {
    using Type = T;
    static Type Empty() noexcept { return Type{}; }
    static bool IsValid(Type h) noexcept { return h != Type{}; }
    static void Close(Type h) noexcept { CloseFn(h); }
};

// Kernel object handles where both null and INVALID_HANDLE_VALUE mean "none": CreateFile returns
// the one, most other creating calls the other.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::FindClose(h); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

struct RegKeyTraits {
    using Type = HKEY;
    static Type Empty() noexcept { return nullptr; }
    // The predefined roots are not ours to close.
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept
    {
        if (reinterpret_cast<ULONG_PTR>(h) < reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT))
            ::RegCloseKey(h);
    }
};
using UniqueRegKey = UniqueHandle<RegKeyTraits>;

using UniqueModule = UniqueHandle<ZeroEmptyTraits<HMODULE, ::FreeLibrary>>;
using UniqueGdiObject = UniqueHandle<ZeroEmptyTraits<HGDIOBJ, ::DeleteObject>>;
using UniqueDesktop = UniqueHandle<ZeroEmptyTraits<HDESK, ::CloseDesktop>>;
