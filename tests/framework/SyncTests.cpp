#include "framework/Sync.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr DWORD kWaitMs = 30000;

// Whether another thread can take the lock right now (critical sections are re-entrant, so
// only another thread can tell whether this one still holds it).
bool FreeForAnotherThread(CCriticalSection& section)
{
    struct Probe {
        CCriticalSection* section;
        BOOL took;
    } probe{&section, FALSE};
    auto entry = [](void* parameter) WINAPI -> DWORD {
        auto* p = static_cast<Probe*>(parameter);
        p->took = p->section->Lock(0);
        if (p->took)
            p->section->Unlock();
        return 0;
    };
    UniqueKernelHandle thread(::CreateThread(nullptr, 0, entry, &probe, 0, nullptr));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), kWaitMs));
    return probe.took != FALSE;
}

TEST(Sync, SingleLockHoldsForItsScopeOnly)
{
    CCriticalSection section;
    {
        CSingleLock lock(&section, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(FreeForAnotherThread(section));
    }
    EXPECT_TRUE(FreeForAnotherThread(section)) << "the destructor did not unlock";

    CSingleLock lock(&section);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(lock.Lock());
    EXPECT_TRUE(lock.Lock()) << "a second Lock on a held lock succeeds";
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(FreeForAnotherThread(section)) << "one Unlock must balance a doubled Lock";
    EXPECT_FALSE(lock.Unlock()) << "nothing left to unlock";
}

TEST(Sync, TimedLockGivesUpWhileAnotherThreadHoldsIt)
{
    CCriticalSection section;
    UniqueKernelHandle holding(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    struct Shared {
        CCriticalSection* section;
        HANDLE holding;
        HANDLE release;
    } shared{&section, holding.Get(), release.Get()};
    auto entry = [](void* parameter) WINAPI -> DWORD {
        auto* s = static_cast<Shared*>(parameter);
        CSingleLock lock(s->section, TRUE);
        ::SetEvent(s->holding);
        ::WaitForSingleObject(s->release, kWaitMs);
        return 0;
    };
    UniqueKernelHandle holder(::CreateThread(nullptr, 0, entry, &shared, 0, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(holding.Get(), kWaitMs));
    {
        CSingleLock lock(&section);
        EXPECT_FALSE(lock.Lock(0));
        EXPECT_FALSE(lock.Lock(20));
        EXPECT_FALSE(lock.IsLocked());
    }
    ::SetEvent(release.Get());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(holder.Get(), kWaitMs));
    CSingleLock lock(&section);
    EXPECT_TRUE(lock.Lock(kWaitMs));
}

TEST(Sync, CountersUnderTheLockAddUp)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 50000;
    struct Shared {
        CCriticalSection section;
        long long total = 0; // deliberately not atomic
    } shared;
    auto entry = [](void* parameter) WINAPI -> DWORD {
        auto* s = static_cast<Shared*>(parameter);
        for (int i = 0; i < kRounds; ++i) {
            CSingleLock lock(&s->section, TRUE);
            const long long seen = s->total;
            if ((i & 255) == 0)
                ::SwitchToThread(); // widen the window a lost update would need
            s->total = seen + 1;
        }
        return 0;
    };
    std::vector<UniqueKernelHandle> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(::CreateThread(nullptr, 0, entry, &shared, 0, nullptr));
    for (auto& thread : threads)
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), kWaitMs));
    EXPECT_EQ(static_cast<long long>(kThreads) * kRounds, shared.total);
}

} // namespace
