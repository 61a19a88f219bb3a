#include "platform/HandOverQueue.h"
#include "tasks/WorkerSlots.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(WorkerSlots, HoldOneWorkerPerRowOneTo255)
{
    HandOverQueue queue;
    int destroyed = 0;
    WorkerSlots slots;
    slots.put(1, ThreadPtr(new CountingThread(queue, destroyed)));
    slots.put(255, ThreadPtr(new CountingThread(queue, destroyed)));
    slots.put(0, ThreadPtr(new CountingThread(queue, destroyed)));
    slots.put(256, ThreadPtr(new CountingThread(queue, destroyed)));
    EXPECT_EQ(destroyed, 2); // rows outside 1 to 255 take no worker
    EXPECT_FALSE(slots.isEmpty(1));
    EXPECT_FALSE(slots.isEmpty(255));
    EXPECT_TRUE(slots.isEmpty(2));
    EXPECT_TRUE(slots.isEmpty(0));
    EXPECT_TRUE(slots.isEmpty(-3));
}

TEST(WorkerSlots, PutReplacesAndDestroyEmpties)
{
    HandOverQueue queue;
    int destroyed = 0;
    WorkerSlots slots;
    slots.put(4, ThreadPtr(new CountingThread(queue, destroyed)));
    slots.at(4)->resume();
    slots.put(4, ThreadPtr(new CountingThread(queue, destroyed)));
    EXPECT_EQ(destroyed, 1);
    slots.destroy(4);
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(slots.isEmpty(4));
    slots.destroy(4); // an empty slot is left alone
    EXPECT_EQ(destroyed, 2);
}

TEST(WorkerSlots, DestroyAllReleasesEveryWorker)
{
    HandOverQueue queue;
    int destroyed = 0;
    {
        WorkerSlots slots;
        for (int row = 1; row <= 5; ++row)
            slots.put(row, ThreadPtr(new CountingThread(queue, destroyed)));
        slots.destroyAll();
        EXPECT_EQ(destroyed, 5);
    }
    EXPECT_EQ(destroyed, 5);
}
