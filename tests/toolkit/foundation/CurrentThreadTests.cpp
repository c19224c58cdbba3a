// Which framework thread object the toolkit's modal loops pump through.

#include "toolkit/foundation/XTPCurrentThread.h"

#include <gtest/gtest.h>

namespace {

struct ThreadSeen {
    CWinThread* seen = nullptr;
};

UINT RecordCurrentThread(LPVOID param)
{
    static_cast<ThreadSeen*>(param)->seen = GetCurrentThreadOrApp();
    return 0;
}

TEST(CurrentThread, TheThreadsOwnObjectElseTheApplication)
{
    EXPECT_EQ(nullptr, GetCurrentThreadOrApp()) << "no application, no framework thread";
    {
        CWinApp app(L"Current Thread Tests");
        EXPECT_EQ(&app, GetCurrentThreadOrApp());

        // A framework worker thread answers with its own object.
        ThreadSeen seen;
        UniqueKernelHandle done;
        CWinThread* worker = AfxBeginThread(RecordCurrentThread, &seen, THREAD_PRIORITY_NORMAL, 0,
                                            CREATE_SUSPENDED, nullptr, &done);
        ASSERT_NE(nullptr, worker);
        worker->m_bAutoDelete = FALSE;
        worker->ResumeThread();
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done.Get(), 30000));
        EXPECT_EQ(worker, seen.seen);
        delete worker;
    }
    EXPECT_EQ(nullptr, GetCurrentThreadOrApp());
}

} // namespace
