#include "platform/threads/HandOverQueue.h"
#include "support/Gate.h"
#include "tasks/WorkerSlots.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

using namespace zv;

namespace {

class CountingThread : public ThreadBase {
public:
    CountingThread(HandOverQueue& queue, int& destroyed) : ThreadBase(queue), m_destroyed(destroyed) {}
    ~CountingThread() override
    {
        stopAndWait();
        ++m_destroyed;
    }

protected:
    void execute() override {}

private:
    int& m_destroyed;
};

// What a worker that outlives its owner leaves behind for the test.
struct LateEnd {
    std::mutex mutex;
    std::condition_variable changed;
    bool reportAnswered = false;
    bool reportRan = false;
    bool released = false;
};

// Blocked where no terminate request reaches it until the gate opens; then reports.
class UnreachableThread : public ThreadBase {
public:
    UnreachableThread(HandOverQueue& queue, std::shared_ptr<test::Gate> gate, std::shared_ptr<LateEnd> end)
        : ThreadBase(queue), m_gate(std::move(gate)), m_end(std::move(end)) {}
    ~UnreachableThread() override
    {
        stopAndWait();
        std::lock_guard lock(m_end->mutex);
        m_end->released = true;
        m_end->changed.notify_all();
    }

protected:
    void execute() override
    {
        m_gate->pass();
        const bool answered = synchronize([end = m_end] { end->reportRan = true; });
        std::lock_guard lock(m_end->mutex);
        m_end->reportAnswered = answered;
    }

private:
    std::shared_ptr<test::Gate> m_gate;
    std::shared_ptr<LateEnd> m_end;
};

} // namespace

TEST(WorkerSlots, HoldOneWorkerPerTask)
{
    HandOverQueue queue;
    int destroyed = 0;
    WorkerSlots slots;
    slots.put(TaskId{1}, ThreadPtr(new CountingThread(queue, destroyed)));
    slots.put(TaskId{1000}, ThreadPtr(new CountingThread(queue, destroyed)));
    slots.put(TaskId::None, ThreadPtr(new CountingThread(queue, destroyed)));
    EXPECT_EQ(destroyed, 1); // no task takes no worker
    EXPECT_FALSE(slots.isEmpty(TaskId{1}));
    EXPECT_FALSE(slots.isEmpty(TaskId{1000}));
    EXPECT_TRUE(slots.isEmpty(TaskId{2}));
    EXPECT_TRUE(slots.isEmpty(TaskId::None));
}

TEST(WorkerSlots, PutReplacesAndDestroyEmpties)
{
    HandOverQueue queue;
    int destroyed = 0;
    WorkerSlots slots;
    slots.put(TaskId{4}, ThreadPtr(new CountingThread(queue, destroyed)));
    slots.at(TaskId{4})->resume();
    slots.put(TaskId{4}, ThreadPtr(new CountingThread(queue, destroyed)));
    EXPECT_EQ(destroyed, 1);
    slots.destroy(TaskId{4});
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(slots.isEmpty(TaskId{4}));
    slots.destroy(TaskId{4}); // an empty slot is left alone
    EXPECT_EQ(destroyed, 2);
}

TEST(WorkerSlots, DestroyAllReleasesEveryWorker)
{
    HandOverQueue queue;
    int destroyed = 0;
    {
        WorkerSlots slots;
        for (int row = 1; row <= 5; ++row)
            slots.put(TaskId(row), ThreadPtr(new CountingThread(queue, destroyed)));
        slots.destroyAll();
        EXPECT_EQ(destroyed, 5);
    }
    EXPECT_EQ(destroyed, 5);
}

TEST(WorkerSlots, AWorkerThatOutlastsTheStopLimitIsAbandonedAndMayOutliveTheQueue)
{
    auto gate = std::make_shared<test::Gate>();
    auto end = std::make_shared<LateEnd>();
    auto queue = std::make_unique<HandOverQueue>();
    WorkerSlots slots{std::chrono::milliseconds(0)};
    slots.put(TaskId{3}, ThreadPtr(new UnreachableThread(*queue, gate, end)));
    slots.at(TaskId{3})->resume();
    gate->waitUntilHolding();

    // The close: the list is saved, the workers go, the process ends.
    queue->shutDown();
    slots.destroyAll();
    EXPECT_TRUE(gate->holding()); // destroyAll returned while the worker still waited
    EXPECT_TRUE(slots.isEmpty(TaskId{3}));
    EXPECT_TRUE(slots.isEnding(TaskId{3}));
    queue.reset();

    gate->open();
    {
        std::unique_lock lock(end->mutex);
        end->changed.wait(lock, [&] { return end->released; }); // by its own thread
        EXPECT_FALSE(end->reportAnswered);
        EXPECT_FALSE(end->reportRan);
    }
    EXPECT_FALSE(slots.isEnding(TaskId{3}));
}
