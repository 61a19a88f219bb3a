#include "platform/threads/HandOverQueue.h"
#include "platform/threads/ThreadBase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace zv;

namespace {

// A body that reports a few times, then waits for its terminate request.
class ReportingThread : public ThreadBase {
public:
    ReportingThread(HandOverQueue& queue, std::vector<std::string>& log, int reports)
        : ThreadBase(queue), m_log(log), m_reports(reports) {}
    ~ReportingThread() override { stopAndWait(); }

    std::atomic<bool> ran{false};
    std::atomic<bool> reportsReturned{true};

protected:
    void execute() override
    {
        ran = true;
        for (int i = 0; i < m_reports; ++i) {
            if (!synchronize([this, i] { m_log.push_back("report " + std::to_string(i)); }))
                reportsReturned = false;
        }
        {
            // Released before the hand-over: terminate() takes it on the main thread.
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return terminated(); });
        }
        synchronize([this] { m_log.push_back("final"); });
    }
    void onTerminateRequested() override
    {
        { std::lock_guard lock(m_mutex); }
        m_wake.notify_all();
    }

private:
    std::vector<std::string>& m_log;
    int m_reports;
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

} // namespace

TEST(ThreadBase, IsCreatedSuspended)
{
    HandOverQueue queue;
    std::vector<std::string> log;
    auto* thread = new ReportingThread(queue, log, 0);
    EXPECT_FALSE(thread->started());
    EXPECT_FALSE(thread->ran);
    ThreadPtr owner(thread);
    owner.reset();
    EXPECT_TRUE(log.empty());
}

TEST(ThreadBase, DestroyingServicesHandOversSoFinalReportsLandFirst)
{
    HandOverQueue queue;
    std::vector<std::string> log;
    ThreadPtr thread(new ReportingThread(queue, log, 3));
    thread->resume();
    thread.reset(); // terminate, wait, release: never deadlocks on the worker's reports
    log.push_back("stopper");
    const std::vector<std::string> expected = {"report 0", "report 1", "report 2", "final", "stopper"};
    EXPECT_EQ(log, expected);
}

TEST(ThreadBase, DrainRunsQueuedReportsOnTheMainThread)
{
    HandOverQueue queue;
    std::vector<std::string> log;
    ThreadPtr thread(new ReportingThread(queue, log, 2));
    thread->resume();
    while (log.size() < 2)
        queue.drain();
    EXPECT_EQ(log.back(), "report 1");
    thread->terminate();
    thread->waitFor();
    EXPECT_TRUE(thread->finished());
    EXPECT_EQ(log.back(), "final");
}

TEST(ThreadBase, PriorityIsKeptAsRequested)
{
    HandOverQueue queue;
    std::vector<std::string> log;
    ThreadPtr thread(new ReportingThread(queue, log, 0));
    thread->setPriority(ThreadPriority::AboveNormal);
    EXPECT_EQ(thread->priority(), ThreadPriority::AboveNormal);
    EXPECT_LT(ThreadBase::niceValue(ThreadPriority::AboveNormal), ThreadBase::niceValue(ThreadPriority::Normal));
    EXPECT_GT(ThreadBase::niceValue(ThreadPriority::BelowNormal), ThreadBase::niceValue(ThreadPriority::Normal));
    EXPECT_FALSE(thread->freeOnTerminate());
}

TEST(HandOverQueue, ShutDownReleasesWorkersWithoutRunningTheirReports)
{
    HandOverQueue queue;
    std::vector<std::string> log;
    auto* worker = new ReportingThread(queue, log, 2);
    ThreadPtr thread(worker);
    queue.shutDown();
    thread->resume();
    thread->terminate();
    thread->waitFor();
    EXPECT_TRUE(worker->ran);
    EXPECT_FALSE(worker->reportsReturned);
    thread.reset();
    EXPECT_TRUE(log.empty());
}

TEST(HandOverQueue, MainThreadCallsRunDirectly)
{
    HandOverQueue queue;
    int calls = 0;
    EXPECT_TRUE(queue.runOnMain([&] { ++calls; }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(queue.drain(), 0);
}

TEST(HandOverQueue, WakeUpIsCalledForEveryQueuedProcedure)
{
    HandOverQueue queue;
    std::atomic<int> wakeUps{0};
    queue.setWakeUp([&] { ++wakeUps; });
    std::vector<std::string> log;
    ThreadPtr thread(new ReportingThread(queue, log, 3));
    thread->resume();
    while (log.size() < 3)
        queue.drain();
    // A procedure may be drained before its wake-up call: count once the worker is gone.
    thread.reset();
    EXPECT_EQ(wakeUps.load(), 4); // three reports and the final one
}

TEST(HandOverQueue, ShutDownReleasesWorkersAlreadyWaitingForTheirReports)
{
    HandOverQueue queue;
    std::atomic<int> queued{0};
    queue.setWakeUp([&] { ++queued; });
    std::atomic<int> ran{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 8; ++i)
        workers.emplace_back([&] {
            if (!queue.runOnMain([&] { ++ran; }))
                ++refused;
        });
    while (queued.load() < 8)
        std::this_thread::yield();
    queue.shutDown();
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(refused.load(), 8);
    EXPECT_EQ(ran.load(), 0);
}

TEST(HandOverQueue, DrainRunsWhatWasQueuedWhenItBeganAndLeavesLaterReportsToTheNext)
{
    HandOverQueue queue;
    std::atomic<int> queued{0};
    queue.setWakeUp([&] { ++queued; });
    std::vector<std::string> order;
    std::thread second;
    std::thread first([&] {
        queue.runOnMain([&] {
            order.push_back("first");
            // Another worker reports while this one is being run.
            second = std::thread([&] { queue.runOnMain([&] { order.push_back("second"); }); });
            while (queued.load() < 2)
                std::this_thread::yield();
        });
    });
    while (queued.load() < 1)
        std::this_thread::yield();
    EXPECT_EQ(queue.drain(), 1);
    EXPECT_EQ(order, std::vector<std::string>{"first"});
    EXPECT_EQ(queue.drain(), 1);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
    first.join();
    second.join();
}
