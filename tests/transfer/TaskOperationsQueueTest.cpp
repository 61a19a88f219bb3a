#include "TransferFixture.h"

#include "support/FakeDeferrer.h"
#include "support/ManualProbeRunner.h"
#include "transfer/RunQueue.h"

using namespace zv;
using namespace zv::test;

namespace {

// Starts under a cap on running downloads: probes wait for the test's answers and the queue
// is looked at when the test fires the deferred calls.
class TaskOperationsQueueTest : public TransferFixture {
protected:
    TransferServices capped()
    {
        TransferServices withQueue{services().worker, slots, dialogs, manual, [] { return 1; }};
        withQueue.deferrer = &deferrer;
        withQueue.queue = &line;
        return withQueue;
    }

    // Tasks a.bin, b.bin, ... each served whole.
    std::vector<TaskId> tasks(int count)
    {
        std::vector<TaskId> ids;
        for (char name = 'a'; name < 'a' + count; ++name) {
            const std::string file = std::string(1, name) + ".bin";
            server.serve("/" + file, body);
            ids.push_back(table.idOf(addTask(server.url("/" + file), file)));
        }
        return ids;
    }

    // Each task's place in line, 0 for none: "0 0 1 2".
    std::string places(const std::vector<TaskId>& ids) const
    {
        std::string text;
        for (const TaskId id : ids)
            text += (text.empty() ? "" : " ") + std::to_string(line.placeOf(id));
        return text;
    }

    std::string probedUrl(std::size_t index) const { return manual.pending.at(index).url; }

    const std::string body = TestServer::pattern(30'000);
    ManualProbeRunner manual; // outlives the operations, which drop their pending starts at the end
    FakeDeferrer deferrer;
    RunQueue line;
    TaskOperations capping{capped()};
};

} // namespace

TEST_F(TaskOperationsQueueTest, StartsBeyondTheCapWaitInOrderKeepTheirPlaceAndGoOnAsPlacesFree)
{
    const std::vector<TaskId> ids = tasks(5);
    capping.setMostRunning(2);
    capping.startAllTasks();
    // A waiting task is not probed: only two starts are under way.
    ASSERT_EQ(manual.pending.size(), 2u);
    EXPECT_EQ(places(ids), "0 0 1 2 3");
    capping.start(ids[4]);
    capping.start(ids[2]);
    EXPECT_EQ(places(ids), "0 0 1 2 3");
    capping.stop(ids[3]);
    EXPECT_EQ(places(ids), "0 0 1 0 2");
    EXPECT_EQ(codes(table.rowOf(ids[2])), "1/1"); // a waiting task keeps its codes

    // a's start ends at its probe: c takes the place once that answer is done with.
    manual.answer(0, 0);
    EXPECT_EQ(manual.pending.size(), 1u);
    EXPECT_EQ(deferrer.fireAll(), 1);
    ASSERT_EQ(manual.pending.size(), 2u);
    EXPECT_EQ(probedUrl(1), server.url("/c.bin"));

    // b's run completes: e goes on.
    manual.answer(0, body.size());
    waitForWorker(table.rowOf(ids[1]));
    EXPECT_TRUE(manual.pending.size() == 1u && line.placeOf(ids[4]) == 1);
    deferrer.fireAll();
    ASSERT_EQ(manual.pending.size(), 2u);
    EXPECT_EQ(probedUrl(1), server.url("/e.bin"));
    EXPECT_EQ(fileAt("b.bin"), body);
    EXPECT_EQ(places(ids), "0 0 0 0 0");
}

TEST_F(TaskOperationsQueueTest, ALoweredCapStopsNothingAndStartsNoneUntilFewerAreUnderWay)
{
    const std::vector<TaskId> ids = tasks(5);
    capping.setMostRunning(3);
    capping.startAllTasks();
    ASSERT_EQ(manual.pending.size(), 3u);
    // A start ends at the moment the cap is lowered: the queue is looked at under the new cap.
    manual.answer(0, 0);
    capping.setMostRunning(1);
    deferrer.fireAll();
    EXPECT_EQ(manual.pending.size(), 2u);
    manual.answer(0, 0);
    deferrer.fireAll();
    EXPECT_EQ(manual.pending.size(), 1u);
    manual.answer(0, 0);
    deferrer.fireAll();
    ASSERT_EQ(manual.pending.size(), 1u);
    EXPECT_EQ(probedUrl(0), server.url("/d.bin"));
    // No cap: every waiting task goes on at once.
    capping.setMostRunning(0);
    deferrer.fireAll();
    EXPECT_EQ(manual.pending.size(), 2u);
    EXPECT_TRUE(line.empty());
}

TEST_F(TaskOperationsQueueTest, AStartWhoseFileAnotherWorkerWritesWaitsForItThenMeetsItsFinishedFile)
{
    TestResource slow;
    slow.body = body;
    slow.pauseAt = 10'000;
    server.serve("/slow.bin", slow);
    const TaskId writer = table.idOf(addTask(server.url("/slow.bin"), "same.bin"));
    const TaskId other = table.idOf(addTask(server.url("/slow.bin"), "same.bin"));
    capping.setMostRunning(2);
    capping.start(writer);
    manual.answer(0, body.size());
    ASSERT_EQ(codes(table.rowOf(writer)), "2/2");

    capping.start(other);
    EXPECT_TRUE(manual.pending.empty());
    EXPECT_EQ(line.placeOf(other), 1u);
    EXPECT_FALSE(table.runOutcome(other).notStarted);
    capping.setMostRunning(3); // places are free, but the file is still written
    deferrer.fireAll();
    EXPECT_EQ(line.placeOf(other), 1u);

    server.releaseStalls();
    waitForWorker(table.rowOf(writer));
    deferrer.fireAll();
    ASSERT_EQ(manual.pending.size(), 1u);
    manual.answer(0, body.size());
    EXPECT_TRUE(table.runOutcome(other).notStarted);
    EXPECT_NE(table.runOutcome(other).reason.find("another task's finished download"), std::string::npos);
    EXPECT_EQ(fileAt("same.bin"), body);
}
