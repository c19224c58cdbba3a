// Per-thread values: one TLS slot of the system holds each thread's block of values (one entry
// per CThreadLocal object, by slot number); a process-wide list of all blocks lets a dying
// CThreadLocal destroy its values in every thread. One critical section, never destroyed, guards
// the list, the slot table and every block's entries that another thread may touch; a thread
// reads its own entries without it.
//
// How a value learns that its thread ended. Threads that the system starts for us, or that other
// code starts with CreateThread, never pass through our code when they end, so a hook at the end
// of our own thread function is not enough. Two system callbacks see every thread end: a TLS
// callback (an entry in the image's .CRT$XL* section, called with DLL_THREAD_DETACH) and the
// callback of an FlsAlloc slot. Measured under Wine 8 with CreateThread threads, in a program and
// in a library loaded with LoadLibrary: both callbacks run on the ending thread, for a return from
// the thread function and for ExitThread alike, before a wait on the thread's handle returns; both
// run under the loader lock (a thread started from inside them could not begin before the callback
// returned); neither runs for a thread stopped with TerminateThread. At exit the program's TLS
// callback gets no DLL_PROCESS_DETACH under Wine (a library's does, before its static
// destructors), and the FLS callback runs for the exiting thread after the static destructors.
// We use the TLS callback: it belongs to the image, so a library that is unloaded takes it along,
// whereas an FLS callback would stay registered and point into unloaded code unless FlsFree ran
// first (and FlsFree runs the callback for other threads' values while those threads still run).
// Values left at exit are destroyed by the static destructors of their CThreadLocal objects,
// which behaves the same under Wine and Windows.

#include "framework/ThreadLocal.h"

#include "framework/Exception.h"

#include <new>
#include <vector>

namespace {

struct ThreadBlock {
    std::vector<CNoTrackObject*> values; // by slot number; null where this thread has none
    ThreadBlock* prev = nullptr;
    ThreadBlock* next = nullptr;
};

struct Registry {
    CRITICAL_SECTION lock;
    // Held while a process-wide object is made. Apart from the lock above because a constructor
    // may load a library (the loader lock) while a thread-exit callback, which holds the loader
    // lock, waits for the lock above.
    CRITICAL_SECTION creationLock;
    DWORD tlsIndex = TLS_OUT_OF_INDEXES;
    std::vector<bool> slotInUse{false}; // slot 0 is never handed out: it means "none yet"
    ThreadBlock* blocks = nullptr;      // every thread that has a value
};

// Published once the registry exists, so that the thread-exit callback never creates it.
std::atomic<Registry*> g_registry{nullptr};

// Made on first use and never destroyed: other threads may still end, and run the exit callback,
// while and after the static destructors run. (A library that is unloaded leaves it behind: one
// TLS index and a few bytes per load.)
Registry& TheRegistry()
{
    static Registry* const registry = [] {
        auto* made = new Registry;
        ::InitializeCriticalSection(&made->lock);
        ::InitializeCriticalSection(&made->creationLock);
        made->tlsIndex = ::TlsAlloc();
        g_registry.store(made, std::memory_order_release);
        return made;
    }();
    return *registry;
}

class RegistryLock {
public:
    explicit RegistryLock(Registry& registry) : RegistryLock(&registry.lock) {}
    explicit RegistryLock(CRITICAL_SECTION* lock) : m_lock(lock) { ::EnterCriticalSection(m_lock); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
    ~RegistryLock() { ::LeaveCriticalSection(m_lock); }

private:
    CRITICAL_SECTION* m_lock; // not owned
};

ThreadBlock* CurrentBlock(const Registry& registry)
{
    return registry.tlsIndex == TLS_OUT_OF_INDEXES
        ? nullptr
        : static_cast<ThreadBlock*>(::TlsGetValue(registry.tlsIndex));
}

void DeleteAll(const std::vector<CNoTrackObject*>& doomed)
{
    for (CNoTrackObject* object : doomed)
        delete object;
}

// Destroys the ending thread's values, newest slot first. A destructor may make a value of
// another slot on the way out; a few rounds catch those, anything made after that is left.
void DestroyCurrentThreadValues()
{
    Registry* registry = g_registry.load(std::memory_order_acquire);
    if (!registry)
        return;
    ThreadBlock* block = CurrentBlock(*registry);
    if (!block)
        return;
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<CNoTrackObject*> doomed;
        {
            RegistryLock lock(*registry);
            for (size_t slot = block->values.size(); slot-- > 0;) {
                if (block->values[slot]) {
                    doomed.push_back(block->values[slot]);
                    block->values[slot] = nullptr;
                }
            }
        }
        if (doomed.empty())
            break;
        DeleteAll(doomed);
    }
    {
        RegistryLock lock(*registry);
        if (block->prev)
            block->prev->next = block->next;
        else
            registry->blocks = block->next;
        if (block->next)
            block->next->prev = block->prev;
    }
    ::TlsSetValue(registry->tlsIndex, nullptr);
    delete block;
}

void NTAPI OnThreadEvent(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_THREAD_DETACH)
        DestroyCurrentThreadValues();
}

} // namespace

// The system calls the image's TLS callbacks in section order. .CRT$XLB comes before the C and
// threads runtimes' own entries (XLC and later), so values are destroyed while the runtime's
// per-thread state is still there for their destructors. "used" keeps the entry, which nothing
// references by name.
extern "C" __attribute__((section(".CRT$XLB"), used))
const PIMAGE_TLS_CALLBACK tarnwick_thread_local_callback = OnThreadEvent;

void* CNoTrackObject::operator new(size_t size)
{
    void* memory = ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1);
    if (!memory)
        AfxThrowMemoryException();
    return memory;
}

void CNoTrackObject::operator delete(void* memory) noexcept
{
    if (memory)
        ::HeapFree(::GetProcessHeap(), 0, memory);
}

int CThreadLocalObject::Slot()
{
    int slot = m_slot.load(std::memory_order_acquire);
    if (slot)
        return slot;
    Registry& registry = TheRegistry();
    RegistryLock lock(registry);
    slot = m_slot.load(std::memory_order_relaxed);
    if (slot)
        return slot;
    for (size_t candidate = 1; candidate < registry.slotInUse.size(); ++candidate) {
        if (!registry.slotInUse[candidate]) {
            slot = static_cast<int>(candidate);
            break;
        }
    }
    try {
        if (!slot) {
            registry.slotInUse.push_back(false);
            slot = static_cast<int>(registry.slotInUse.size() - 1);
        }
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
    registry.slotInUse[static_cast<size_t>(slot)] = true;
    m_slot.store(slot, std::memory_order_release);
    return slot;
}

CNoTrackObject* CThreadLocalObject::GetData(CNoTrackObject* (*create)())
{
    const size_t slot = static_cast<size_t>(Slot());
    Registry& registry = TheRegistry();
    if (registry.tlsIndex == TLS_OUT_OF_INDEXES)
        AfxThrowMemoryException();
    ThreadBlock* block = CurrentBlock(registry);
    if (block && slot < block->values.size() && block->values[slot])
        return block->values[slot];

    // Made outside the lock: a constructor may well use other thread-local state.
    CNoTrackObject* made = create();
    CNoTrackObject* kept = made;
    try {
        RegistryLock lock(registry);
        if (!block) {
            block = new ThreadBlock;
            block->next = registry.blocks;
            if (registry.blocks)
                registry.blocks->prev = block;
            registry.blocks = block;
            ::TlsSetValue(registry.tlsIndex, block);
        }
        if (block->values.size() <= slot)
            block->values.resize(slot + 1, nullptr);
        if (block->values[slot])
            kept = block->values[slot]; // the constructor itself asked for this slot already
        else
            block->values[slot] = made;
    } catch (const std::bad_alloc&) {
        delete made;
        AfxThrowMemoryException();
    }
    if (kept != made)
        delete made;
    return kept;
}

CNoTrackObject* CThreadLocalObject::GetDataNA() const
{
    const int slot = m_slot.load(std::memory_order_acquire);
    Registry* registry = g_registry.load(std::memory_order_acquire);
    if (!slot || !registry)
        return nullptr;
    const ThreadBlock* block = CurrentBlock(*registry);
    if (!block || static_cast<size_t>(slot) >= block->values.size())
        return nullptr;
    return block->values[static_cast<size_t>(slot)];
}

CThreadLocalObject::~CThreadLocalObject()
{
    const int slot = m_slot.exchange(0);
    Registry* registry = g_registry.load(std::memory_order_acquire);
    if (!slot || !registry)
        return;
    std::vector<CNoTrackObject*> doomed;
    {
        RegistryLock lock(*registry);
        for (ThreadBlock* block = registry->blocks; block; block = block->next) {
            if (static_cast<size_t>(slot) < block->values.size() && block->values[static_cast<size_t>(slot)]) {
                doomed.push_back(block->values[static_cast<size_t>(slot)]);
                block->values[static_cast<size_t>(slot)] = nullptr;
            }
        }
        registry->slotInUse[static_cast<size_t>(slot)] = false;
    }
    DeleteAll(doomed);
}

CNoTrackObject* CProcessLocalObject::GetData(CNoTrackObject* (*create)())
{
    if (CNoTrackObject* existing = m_object.load(std::memory_order_acquire))
        return existing;
    // Under the lock, so that two first uses at once still construct one object only. The
    // lock is re-entrant: the constructor may use other process- or thread-local state.
    RegistryLock lock(&TheRegistry().creationLock);
    if (CNoTrackObject* existing = m_object.load(std::memory_order_relaxed))
        return existing;
    CNoTrackObject* made = create();
    m_object.store(made, std::memory_order_release);
    return made;
}

CProcessLocalObject::~CProcessLocalObject()
{
    delete m_object.exchange(nullptr);
}
