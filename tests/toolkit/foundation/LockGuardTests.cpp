// The scope lock: held for the scope, let go and taken again, never left more often than entered.

#include "toolkit/foundation/XTPLockGuard.h"

#include "framework/Handle.h"

#include <gtest/gtest.h>

namespace {

struct Section {
    Section() { InitializeCriticalSection(&cs); }
    ~Section() { DeleteCriticalSection(&cs); }
    CRITICAL_SECTION cs;
};

struct Probe {
    CRITICAL_SECTION* cs;
    bool taken = false;
};

DWORD WINAPI TryTake(void* p)
{
    auto* probe = static_cast<Probe*>(p);
    probe->taken = TryEnterCriticalSection(probe->cs) != FALSE;
    if (probe->taken)
        LeaveCriticalSection(probe->cs);
    return 0;
}

// Whether another thread can take the section right now.
bool FreeForOthers(CRITICAL_SECTION& cs)
{
    Probe probe{&cs};
    UniqueKernelHandle thread(CreateThread(nullptr, 0, TryTake, &probe, 0, nullptr));
    WaitForSingleObject(thread.Get(), INFINITE);
    return probe.taken;
}

TEST(LockGuard, HoldsTheSectionForItsScope)
{
    Section section;
    {
        CXTPLockGuard guard(section.cs);
        EXPECT_FALSE(FreeForOthers(section.cs));
        guard.Unlock();
        EXPECT_TRUE(FreeForOthers(section.cs));
        guard.Unlock();   // not held: nothing to leave
        EXPECT_TRUE(FreeForOthers(section.cs));
        guard.Lock();
        guard.Lock();
        guard.Unlock();
        EXPECT_FALSE(FreeForOthers(section.cs)) << "entered twice, left once";
    }
    EXPECT_TRUE(FreeForOthers(section.cs)) << "the destructor left what was still entered";
    EXPECT_EQ(0, section.cs.RecursionCount);
}

} // namespace
