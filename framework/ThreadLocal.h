#pragma once
// Per-thread and per-process data that is made on first use.
//
//   struct CMyThreadState : CNoTrackObject { HWND lastWindow = nullptr; };
//   CThreadLocal<CMyThreadState> myThreadState;       // a global
//   myThreadState->lastWindow = hwnd;                  // this thread's object, made on first use
//
// A CThreadLocal value dies when its thread ends, whoever started the thread (CreateThread
// included), and at the latest when the CThreadLocal object itself is destroyed (for a global: at
// exit), which destroys its values in every thread. A CProcessLocal value is one object for the
// whole process, made on first use (safely from several threads at once) and destroyed with the
// CProcessLocal object.
//
// Limits: a value's destructor runs on the ending thread while the system's loader lock is held
// (see ThreadLocal.cpp), so it must not wait for another thread, load a library or create a
// window. The values of threads that are still running at exit are destroyed by the static
// destructors, which the C runtime runs before it stops those threads: a thread must not use
// thread-local state while the process exits.

#include "framework/Base.h"

#include <atomic>
#include <type_traits>

// Base of the per-thread and per-process state objects. Its memory comes zero-filled from the
// process heap, outside any allocation tracking: these objects are freed from a thread-exit
// callback, after any leak report of the thread's own code could have run. Deleting through a
// CNoTrackObject* is safe (virtual destructor). Allocation failure throws CMemoryException.
class CNoTrackObject {
public:
    static void* operator new(size_t size);
    static void operator delete(void* memory) noexcept;
    virtual ~CNoTrackObject() = default;
};

// The type-free part of CThreadLocal. The slot number is taken on first use, so a global
// CThreadLocal works even when another global's constructor uses it before its own constructor
// has run (its storage is constant-initialised).
class CThreadLocalObject {
public:
    constexpr CThreadLocalObject() noexcept = default;
    CThreadLocalObject(const CThreadLocalObject&) = delete;
    CThreadLocalObject& operator=(const CThreadLocalObject&) = delete;
    ~CThreadLocalObject();

    // This thread's value, made by create() when there is none yet.
    CNoTrackObject* GetData(CNoTrackObject* (*create)());
    // This thread's value, or null when it has none (nothing is made).
    CNoTrackObject* GetDataNA() const;

private:
    int Slot();
    std::atomic<int> m_slot{0}; // 0: no slot taken yet
};

// The type-free part of CProcessLocal.
class CProcessLocalObject {
public:
    constexpr CProcessLocalObject() noexcept = default;
    CProcessLocalObject(const CProcessLocalObject&) = delete;
    CProcessLocalObject& operator=(const CProcessLocalObject&) = delete;
    ~CProcessLocalObject();

    CNoTrackObject* GetData(CNoTrackObject* (*create)());
    CNoTrackObject* GetDataNA() const { return m_object.load(std::memory_order_acquire); }

private:
    std::atomic<CNoTrackObject*> m_object{nullptr};
};

template <class T>
class CThreadLocal : public CThreadLocalObject {
    static_assert(std::is_base_of_v<CNoTrackObject, T>, "thread-local state derives from CNoTrackObject");

public:
    constexpr CThreadLocal() noexcept = default;

    T* GetData() { return static_cast<T*>(CThreadLocalObject::GetData(&Create)); }
    T* GetDataNA() const { return static_cast<T*>(CThreadLocalObject::GetDataNA()); }
    operator T*() { return GetData(); }
    T* operator->() { return GetData(); }

private:
    static CNoTrackObject* Create() { return new T; }
};

template <class T>
class CProcessLocal : public CProcessLocalObject {
    static_assert(std::is_base_of_v<CNoTrackObject, T>, "process-wide state derives from CNoTrackObject");

public:
    constexpr CProcessLocal() noexcept = default;

    T* GetData() { return static_cast<T*>(CProcessLocalObject::GetData(&Create)); }
    T* GetDataNA() const { return static_cast<T*>(CProcessLocalObject::GetDataNA()); }
    operator T*() { return GetData(); }
    T* operator->() { return GetData(); }

private:
    static CNoTrackObject* Create() { return new T; }
};
