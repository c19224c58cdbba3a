// The event source: who is called, in which order, and what a sink may do while it is called.

#include "toolkit/foundation/XTPEventSource.h"

#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex g_logLock;

class RecordingSink : public IXTPEventSink {
public:
    RecordingSink(std::string name, std::vector<std::string>& log) : m_name(std::move(name)), m_log(log) {}

    void OnEvent(UINT event, DWORD_PTR first, DWORD_PTR, DWORD_PTR) override
    {
        {
            std::lock_guard<std::mutex> lock(g_logLock);
            m_log.push_back(m_name + ":" + std::to_string(event) + "/" + std::to_string(first));
        }
        if (action)
            action();
    }

    std::function<void()> action;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

// The source is reference-counted: made with one reference, released at the end of each case.
struct Source {
    CXTPEventSource* source = new CXTPEventSource;
    ~Source() { source->InternalRelease(); }
};

TEST(EventSource, DeliveryCases)
{
    struct Case {
        const char* name;
        // Sets up sinks a, b, c on the source (all for event 7 unless said otherwise).
        std::function<void(CXTPEventSource&, RecordingSink&, RecordingSink&, RecordingSink&, DWORD (&)[3])> arrange;
        UINT fired;
        BOOL expectedResult;
        std::vector<std::string> expectedLog;
    };
    const Case cases[] = {
        {"no sink for the number",
         [](CXTPEventSource& s, RecordingSink& a, RecordingSink&, RecordingSink&, DWORD (&cookies)[3]) {
             cookies[0] = s.Advise(8, &a);
         },
         7, FALSE, {}},
        {"every sink of the number, in order",
         [](CXTPEventSource& s, RecordingSink& a, RecordingSink& b, RecordingSink& c, DWORD (&cookies)[3]) {
             cookies[0] = s.Advise(7, &a);
             cookies[1] = s.Advise(8, &b);
             cookies[2] = s.Advise(7, &c);
         },
         7, TRUE, {"a:7/1", "c:7/1"}},
        {"a sink that removes a later one",
         [](CXTPEventSource& s, RecordingSink& a, RecordingSink& b, RecordingSink& c, DWORD (&cookies)[3]) {
             cookies[0] = s.Advise(7, &a);
             cookies[1] = s.Advise(7, &b);
             cookies[2] = s.Advise(7, &c);
             a.action = [&s, &cookies] { s.Unadvise(cookies[1]); };
         },
         7, TRUE, {"a:7/1", "c:7/1"}},
        {"a sink that throws",
         [](CXTPEventSource& s, RecordingSink& a, RecordingSink& b, RecordingSink&, DWORD (&cookies)[3]) {
             cookies[0] = s.Advise(7, &a);
             cookies[1] = s.Advise(7, &b);
             a.action = [] { throw std::runtime_error("sink failed"); };
         },
         7, TRUE, {"a:7/1", "b:7/1"}},
        {"a nested fire inside a sink",
         [](CXTPEventSource& s, RecordingSink& a, RecordingSink& b, RecordingSink& c, DWORD (&cookies)[3]) {
             cookies[0] = s.Advise(7, &a);
             cookies[1] = s.Advise(9, &b);
             cookies[2] = s.Advise(7, &c);
             a.action = [&s] { s.Fire(9, 2, 0, 0); };
         },
         7, TRUE, {"a:7/1", "b:9/2", "c:7/1"}},
        {"a sink that registers another during delivery",
         [](CXTPEventSource& s, RecordingSink& a, RecordingSink& b, RecordingSink&, DWORD (&cookies)[3]) {
             cookies[0] = s.Advise(7, &a);
             a.action = [&s, &b, &cookies] {
                 if (!cookies[1])
                     cookies[1] = s.Advise(7, &b);
             };
         },
         7, TRUE, {"a:7/1"}},   // b joins for later events only
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        RecordingSink a("a", log), b("b", log), sinkC("c", log);
        DWORD cookies[3] = {};
        Source holder;
        c.arrange(*holder.source, a, b, sinkC, cookies);
        EXPECT_EQ(c.expectedResult, holder.source->Fire(c.fired, 1, 0, 0)) << c.name;
        EXPECT_EQ(c.expectedLog, log) << c.name;
    }
}

TEST(EventSource, RegistrationByCookie)
{
    std::vector<std::string> log;
    RecordingSink a("a", log);
    Source holder;
    CXTPEventSource& source = *holder.source;
    const DWORD first = source.Advise(1, &a);
    const DWORD second = source.Advise(1, &a);
    EXPECT_NE(0u, first);
    EXPECT_NE(first, second);
    EXPECT_EQ(0, source.FindSink(first));
    EXPECT_EQ(1, source.FindSink(second));
    EXPECT_TRUE(source.Unadvise(first));
    EXPECT_FALSE(source.Unadvise(first));
    EXPECT_EQ(-1, source.FindSink(first));
    EXPECT_EQ(0, source.FindSink(second));
    EXPECT_TRUE(source.Fire(1, 5, 0, 0));
    EXPECT_EQ(std::vector<std::string>{"a:1/5"}, log);
}

TEST(EventSource, ASinkThatReleasesTheLastReferenceDoesNotPullTheSourceAway)
{
    std::vector<std::string> log;
    RecordingSink a("a", log), b("b", log);
    auto* source = new CXTPEventSource;
    source->Advise(3, &a);
    source->Advise(3, &b);
    a.action = [source] { source->InternalRelease(); };
    EXPECT_TRUE(source->Fire(3, 0, 0, 0));   // the source dies when Fire lets go of it
    EXPECT_EQ((std::vector<std::string>{"a:3/0", "b:3/0"}), log);
}

struct FiringThread {
    CXTPEventSource* source;
    UINT event;
    int rounds;
};

DWORD WINAPI FireRepeatedly(void* param)
{
    const auto* job = static_cast<FiringThread*>(param);
    for (int i = 0; i < job->rounds; ++i)
        job->source->Fire(job->event, static_cast<DWORD_PTR>(i), 0, 0);
    return 0;
}

class CountingSink : public IXTPEventSink {
public:
    void OnEvent(UINT event, DWORD_PTR, DWORD_PTR, DWORD_PTR) override
    {
        (event == 1 ? first : second).fetch_add(1);
        Sleep(0);   // let the other thread in while this delivery is under way
    }
    std::atomic<int> first{0};
    std::atomic<int> second{0};
};

TEST(EventSource, TwoThreadsFiringAtOnceEachReachTheirOwnSinks)
{
    CountingSink sinks[4];
    Source holder;
    holder.source->Advise(1, &sinks[0]);
    holder.source->Advise(2, &sinks[1]);
    holder.source->Advise(1, &sinks[2]);
    holder.source->Advise(2, &sinks[3]);
    const int rounds = 2000;
    FiringThread jobs[2] = {{holder.source, 1, rounds}, {holder.source, 2, rounds}};
    UniqueKernelHandle one(CreateThread(nullptr, 0, FireRepeatedly, &jobs[0], 0, nullptr));
    UniqueKernelHandle two(CreateThread(nullptr, 0, FireRepeatedly, &jobs[1], 0, nullptr));
    HANDLE both[2] = {one.Get(), two.Get()};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, TRUE, 60000));
    // A shared snapshot would hand one thread's sinks the other's event or skip some.
    EXPECT_EQ(rounds, sinks[0].first.load());
    EXPECT_EQ(rounds, sinks[2].first.load());
    EXPECT_EQ(rounds, sinks[1].second.load());
    EXPECT_EQ(rounds, sinks[3].second.load());
    EXPECT_EQ(0, sinks[0].second.load());
    EXPECT_EQ(0, sinks[1].first.load());
    EXPECT_EQ(1, static_cast<LONG>(holder.source->m_dwRef)) << "every Fire gave its reference back";
}

} // namespace
