#include "framework/ThreadLocal.h"
#include "framework/Handle.h"
#include "tests/framework/FrameworkTestLibrary.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <vector>

namespace {

// Wide limit for anything a loaded machine may be slow at; the tests wait on events, never sleep.
constexpr DWORD kWaitMs = 30000;

std::atomic<int> g_probesAlive{0};

// Records where it died and says so through an event.
struct CProbe : CNoTrackObject {
    CProbe() { ++g_probesAlive; }
    ~CProbe() override
    {
        --g_probesAlive;
        diedOnThread = ::GetCurrentThreadId();
        if (died)
            *died = ::GetCurrentThreadId();
        if (diedEvent)
            ::SetEvent(diedEvent);
    }
    int value = 0;
    HANDLE diedEvent = nullptr;        // not owned
    std::atomic<DWORD>* died = nullptr; // not owned
    DWORD diedOnThread = 0;
};

CThreadLocal<CProbe> g_probe;

// Runs body on a thread started with CreateThread (not through any framework entry), waits for it.
DWORD RunOnNewThread(std::function<void()> body)
{
    auto entry = [](void* parameter) WINAPI -> DWORD {
        (*static_cast<std::function<void()>*>(parameter))();
        return 0;
    };
    DWORD id = 0;
    UniqueKernelHandle thread(::CreateThread(nullptr, 0, entry, &body, 0, &id));
    EXPECT_TRUE(thread.IsValid());
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), kWaitMs));
    return id;
}

TEST(ThreadLocal, ValueOfACreateThreadThreadDiesWithIt)
{
    struct Case {
        const char* name;
        bool exitThread; // leave through ExitThread instead of returning
    };
    for (const Case& c : {Case{"thread function returns", false}, Case{"ExitThread", true}}) {
        SCOPED_TRACE(c.name);
        UniqueKernelHandle died(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::atomic<DWORD> diedOn{0};
        const int aliveBefore = g_probesAlive;
        auto entry = [](void* parameter) WINAPI -> DWORD {
            auto* setup = static_cast<std::pair<HANDLE, std::atomic<DWORD>*>*>(parameter);
            g_probe->diedEvent = setup->first;
            g_probe->died = setup->second;
            return 0;
        };
        auto exitingEntry = [](void* parameter) WINAPI -> DWORD {
            auto* setup = static_cast<std::pair<HANDLE, std::atomic<DWORD>*>*>(parameter);
            g_probe->diedEvent = setup->first;
            g_probe->died = setup->second;
            ::ExitThread(7);
        };
        std::pair<HANDLE, std::atomic<DWORD>*> setup{died.Get(), &diedOn};
        DWORD threadId = 0;
        UniqueKernelHandle thread(::CreateThread(nullptr, 0, c.exitThread ? +exitingEntry : +entry, &setup, 0,
                                                 &threadId));
        ASSERT_TRUE(thread.IsValid());
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), kWaitMs));
        // The value goes while the thread ends (measured: before the wait above returns).
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(died.Get(), kWaitMs)) << "the thread's value was not destroyed";
        EXPECT_EQ(threadId, diedOn.load()) << "destroyed on another thread than its own";
        EXPECT_EQ(aliveBefore, g_probesAlive.load());
    }
}

TEST(ThreadLocal, EachThreadHasItsOwnValue)
{
    constexpr int kThreads = 6;
    UniqueKernelHandle allMade(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> made{0};
    std::vector<CProbe*> seen(kThreads, nullptr);
    std::vector<int> readBack(kThreads, -1);
    std::vector<std::function<void()>> bodies;
    struct Shared {
        HANDLE allMade;
        std::atomic<int>* made;
        std::vector<CProbe*>* seen;
        std::vector<int>* readBack;
        int index;
    };
    std::vector<Shared> shared;
    for (int i = 0; i < kThreads; ++i)
        shared.push_back({allMade.Get(), &made, &seen, &readBack, i});
    auto entry = [](void* parameter) WINAPI -> DWORD {
        auto* s = static_cast<Shared*>(parameter);
        CProbe* mine = g_probe.GetData();
        mine->value = 1000 + s->index;
        (*s->seen)[static_cast<size_t>(s->index)] = mine;
        if (++*s->made == kThreads)
            ::SetEvent(s->allMade);
        // Every thread has written its value before any reads: no thread may see another's.
        ::WaitForSingleObject(s->allMade, kWaitMs);
        (*s->readBack)[static_cast<size_t>(s->index)] = g_probe->value;
        return 0;
    };
    // This thread's own value is made first: the values compared below all live at one time
    // (the workers hold theirs until all are made), so the heap cannot reuse an address.
    CProbe* own = g_probe.GetData();
    std::vector<UniqueKernelHandle> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(::CreateThread(nullptr, 0, entry, &shared[static_cast<size_t>(i)], 0, nullptr));
    for (auto& thread : threads)
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), kWaitMs));

    std::set<CProbe*> distinct(seen.begin(), seen.end());
    distinct.insert(own);
    EXPECT_EQ(static_cast<size_t>(kThreads + 1), distinct.size());
    for (int i = 0; i < kThreads; ++i)
        EXPECT_EQ(1000 + i, readBack[static_cast<size_t>(i)]) << "thread " << i;
}

TEST(ThreadLocal, NothingIsMadeUntilFirstUse)
{
    CThreadLocal<CProbe> local;
    EXPECT_EQ(nullptr, local.GetDataNA());
    CProbe* made = local.GetData();
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(made, local.GetDataNA());
    EXPECT_EQ(made, static_cast<CProbe*>(local));
    // Another thread has none until it asks.
    CProbe* other = reinterpret_cast<CProbe*>(1);
    RunOnNewThread([&] { other = local.GetDataNA(); });
    EXPECT_EQ(nullptr, other);
}

// Destroying a CThreadLocal (as the static destructors do at exit) destroys its values in every
// thread, once: a thread that ends later must not destroy them again.
TEST(ThreadLocal, DyingThreadLocalDestroysItsValuesInEveryThread)
{
    const int aliveBefore = g_probesAlive;
    UniqueKernelHandle holding(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<DWORD> diedOn{0};
    auto local = std::make_unique<CThreadLocal<CProbe>>();
    local->GetData();
    struct Shared {
        CThreadLocal<CProbe>* local;
        HANDLE holding;
        HANDLE release;
        std::atomic<DWORD>* diedOn;
    } shared{local.get(), holding.Get(), release.Get(), &diedOn};
    auto entry = [](void* parameter) WINAPI -> DWORD {
        auto* s = static_cast<Shared*>(parameter);
        s->local->GetData()->died = s->diedOn;
        ::SetEvent(s->holding);
        ::WaitForSingleObject(s->release, kWaitMs);
        return 0;
    };
    UniqueKernelHandle worker(::CreateThread(nullptr, 0, entry, &shared, 0, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(holding.Get(), kWaitMs));
    EXPECT_EQ(aliveBefore + 2, g_probesAlive.load());

    local.reset();
    EXPECT_EQ(aliveBefore, g_probesAlive.load());
    EXPECT_EQ(::GetCurrentThreadId(), diedOn.load()) << "the worker's value dies with the CThreadLocal";

    ::SetEvent(release.Get());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(worker.Get(), kWaitMs));
    EXPECT_EQ(aliveBefore, g_probesAlive.load()) << "destroyed twice";

    // A new CThreadLocal may reuse the slot; it starts without values.
    CThreadLocal<CProbe> next;
    EXPECT_EQ(nullptr, next.GetDataNA());
}

// A destructor that makes another thread-local value on the way out: that one dies too.
struct CLateProbe : CNoTrackObject {
    ~CLateProbe() override { g_probe->diedEvent = lateEvent; }
    HANDLE lateEvent = nullptr; // not owned
};
CThreadLocal<CLateProbe> g_late;

TEST(ThreadLocal, ValueMadeByADyingValueAlsoDies)
{
    UniqueKernelHandle died(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const int aliveBefore = g_probesAlive;
    const HANDLE event = died.Get();
    RunOnNewThread([event] { g_late->lateEvent = event; });
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(died.Get(), kWaitMs));
    EXPECT_EQ(aliveBefore, g_probesAlive.load());
}

struct CCountedOnce : CNoTrackObject {
    CCountedOnce() { ++constructed; }
    static inline std::atomic<int> constructed{0};
};
CProcessLocal<CCountedOnce> g_once;

TEST(ProcessLocal, ManyFirstUsesAtOnceMakeOneObject)
{
    constexpr int kThreads = 8;
    UniqueKernelHandle go(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<CCountedOnce*> seen(kThreads, nullptr);
    struct Shared {
        HANDLE go;
        CCountedOnce** slot;
    };
    std::vector<Shared> shared;
    for (int i = 0; i < kThreads; ++i)
        shared.push_back({go.Get(), &seen[static_cast<size_t>(i)]});
    auto entry = [](void* parameter) WINAPI -> DWORD {
        auto* s = static_cast<Shared*>(parameter);
        ::WaitForSingleObject(s->go, kWaitMs);
        *s->slot = g_once.GetData();
        return 0;
    };
    EXPECT_EQ(nullptr, g_once.GetDataNA());
    std::vector<UniqueKernelHandle> threads;
    for (auto& s : shared)
        threads.emplace_back(::CreateThread(nullptr, 0, entry, &s, 0, nullptr));
    ::SetEvent(go.Get());
    for (auto& thread : threads)
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), kWaitMs));

    EXPECT_EQ(1, CCountedOnce::constructed.load());
    for (CCountedOnce* p : seen)
        EXPECT_EQ(g_once.GetDataNA(), p);
    // The threads' end does not touch it: it belongs to the process.
    EXPECT_EQ(g_once.GetData(), seen[0]);
}

TEST(ProcessLocal, DiesWithItsOwner)
{
    const int aliveBefore = g_probesAlive;
    {
        CProcessLocal<CProbe> local;
        local->value = 5;
        EXPECT_EQ(aliveBefore + 1, g_probesAlive.load());
    }
    EXPECT_EQ(aliveBefore, g_probesAlive.load());
}

// A library has its own copy of the framework, with its own thread-exit hook: its values die
// with a CreateThread thread too.
TEST(ThreadLocal, LibraryValueDiesWithTheThread)
{
    UniqueModule library(::LoadLibraryW((testsupport::ModuleFolder() + L"\\framework_test_library.dll").GetString()));
    ASSERT_TRUE(library.IsValid()) << "error " << ::GetLastError();
    auto touch = reinterpret_cast<LibraryTouchThreadLocalFn>(
        reinterpret_cast<void*>(::GetProcAddress(library.Get(), "LibraryTouchThreadLocal")));
    ASSERT_NE(nullptr, touch);
    UniqueKernelHandle died(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE event = died.Get();
    RunOnNewThread([touch, event] { touch(event); });
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(died.Get(), kWaitMs));
}

} // namespace
