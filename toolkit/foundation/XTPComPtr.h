#pragma once
// CXTPBstr: an OLE string freed with SysFreeString.
//
// CXTPComPtr: one reference to a COM interface, released when the holder dies. Copies add a
// reference, moves hand it on. Attach takes a reference that the caller already owns (the out
// parameter of a creating call, through Put).

#include "framework/Handle.h"

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

template <class T>
class CXTPComPtr {
public:
    CXTPComPtr() noexcept = default;
    // Adds a reference of its own.
    explicit CXTPComPtr(T* pointer) noexcept : m_p(pointer)
    {
        if (m_p)
            m_p->AddRef();
    }
    CXTPComPtr(const CXTPComPtr& other) noexcept : CXTPComPtr(other.m_p) {}
    CXTPComPtr(CXTPComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CXTPComPtr& operator=(const CXTPComPtr& other) noexcept
    {
        CXTPComPtr copy(other);
        std::swap(m_p, copy.m_p);
        return *this;
    }
    CXTPComPtr& operator=(CXTPComPtr&& other) noexcept
    {
        CXTPComPtr moved(std::move(other));
        std::swap(m_p, moved.m_p);
        return *this;
    }
    ~CXTPComPtr() { Reset(); }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    void Reset() noexcept
    {
        if (T* old = std::exchange(m_p, nullptr))
            old->Release();
    }
    // Releases what was held and exposes the slot for a creating call.
    T** Put() noexcept
    {
        Reset();
        return &m_p;
    }
    // Takes over a reference that the caller owns.
    void Attach(T* pointer) noexcept
    {
        Reset();
        m_p = pointer;
    }

    // Asks the object for another interface; an empty holder when it has none.
    template <class U>
    CXTPComPtr<U> As(REFIID iid) const noexcept
    {
        CXTPComPtr<U> result;
        if (m_p)
            m_p->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
        return result;
    }

private:
    T* m_p = nullptr;
};

using CXTPBstr = UniqueHandle<ZeroEmptyTraits<BSTR, ::SysFreeString>>;
