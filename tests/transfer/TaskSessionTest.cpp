#include "platform/net/CurlSessionFactory.h"
#include "platform/services/OnlineQuery.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "support/FakeDeferrer.h"
#include "support/FixedClock.h"
#include "support/ImmediateProbeRunner.h"
#include "support/MemorySettings.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tasks/TaskCodes.h"
#include "transfer/CopyNetTr.h"
#include "transfer/TaskDraft.h"
#include "transfer/TaskSession.h"
#include "transfer/RetryPolicy.h"
#include "transfer/TaskSessionView.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zv;
using namespace zv::test;

namespace {

class Online final : public OnlineQuery {
public:
    bool isOnline() const override { return true; }
};

// What a window would show, counted.
class CountingView final : public TaskSessionView {
public:
    bool showPictureFile(const std::string&) override { return true; }
    int refreshSpeedItem() const override { return 2; }
    void PlayDoneSound() override { ++doneSounds; }

    int doneSounds = 0;
};

// What main() gives a session, as fakes over the network of a local server.
struct SessionFakes {
    TaskSession::Services services(const TempDir& programDir, RetryPolicy retries = {})
    {
        return {queue,
                internet,
                std::make_unique<ImmediateProbeRunner>(internet),
                formats,
                clock,
                dialogs,
                online,
                deferrer,
                notifier,
                settings,
                programDir.path().string(),
                programDir.path().string(),
                std::move(retries)};
    }

    HandOverQueue queue;
    CurlSessionFactory internet;
    FormatSettings formats;
    FixedClock clock;
    RecordingDialogs dialogs;
    Online online;
    FakeDeferrer deferrer;
    RecordingNotifier notifier;
    MemorySettings settings;
};

// Its probe is answered; the run's requests are all refused as busy.
TestResource busyAfterTheProbe()
{
    TestResource failing;
    failing.body = TestServer::pattern(20'000);
    failing.firstStatuses = {200};
    failing.status = 503;
    return failing;
}

TestResource stallingAfter1000Bytes()
{
    TestResource stalling;
    stalling.body = TestServer::pattern(20'000);
    stalling.stallAt = 1000;
    return stalling;
}

} // namespace

TEST(TaskSession, WithoutAWindowItLoadsTheListRunsATaskTellsTheDesktopAndSavesTheListAtTheClose)
{
    TestServer server;
    const std::string body = TestServer::pattern(20'000);
    server.serve("/f.bin", body);
    TempDir programDir;
    const std::string list = programDir.file("vt_tasks.log");
    writeFile(list, "10\r\n2\r\n1\r\n1\r\nf.bin\r\n0 Byte\r\n0 Byte\r\n" + server.url("/f.bin") + "\r\n"
                        + programDir.path().string() + "\r\n\r\n\r\nNo\r\n");
    SessionFakes fakes;
    HandOverQueue& queue = fakes.queue;
    FakeDeferrer& deferrer = fakes.deferrer;
    RecordingNotifier& notifier = fakes.notifier;
    RecordingDialogs& dialogs = fakes.dialogs;
    CountingView view;
    TaskSession session(fakes.services(programDir));
    session.setView(&view);

    session.loadAtStartUp();
    ASSERT_EQ(session.table().rowCount(), 2);
    EXPECT_EQ(session.table().currentRow(), 1);
    session.operations().startCurrentTask();
    auto* worker = dynamic_cast<TfileThread*>(session.workerSlots().at(session.table().idOf(1)));
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(worker->RefreshEvery, 500u); // the view's refresh speed
    queue.waitUntil([worker] { return worker->finished(); });
    EXPECT_EQ(session.table().cell(ColStatus, 1) + "/" + session.table().cell(ColProcess, 1), "3/0");
    EXPECT_EQ(view.doneSounds, 1);
    EXPECT_EQ(readFile(programDir.path() / "f.bin"), body);
    EXPECT_TRUE(session.recoveryCopy().isPending());
    EXPECT_TRUE(notifier.notices.empty()); // told once no other completion follows
    deferrer.fireAll();
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].summary, "Download finished");
    EXPECT_EQ(notifier.notices[0].body, "f.bin\nin " + programDir.path().string());

    ASSERT_TRUE(session.saveAtUserClose());
    session.endAfterSave();
    EXPECT_NE(readFile(list).find("\r\n2\r\n3\r\n0\r\nf.bin\r\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(session.recoveryCopy().file()));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(TaskSession, ARunThatFailsAfterItsRetriesIsToldOnceAndAStopOfTheUsersIsNot)
{
    TestServer server;
    const TestResource failing = busyAfterTheProbe();
    server.serve("/f.bin", failing);
    const TestResource stalling = stallingAfter1000Bytes();
    server.serve("/s.bin", stalling);
    TempDir programDir;
    SessionFakes fakes;
    TaskSession session(
        fakes.services(programDir, RetryPolicy{2, {std::chrono::milliseconds(0)}, std::chrono::seconds(60), {}}));
    session.loadAtStartUp();
    TaskTable& table = session.table();
    for (const char* name : {"f.bin", "s.bin"}) {
        const int row = table.appendRow();
        table.setCell(ColStatus, row, std::string(Status::New));
        table.setCell(ColProcess, row, std::string(Process::Idle));
        table.setCell(ColFileName, row, name);
        table.setCell(ColUrl, row, server.url(std::string("/") + name));
        table.setCell(ColPath, row, programDir.path().string());
        table.setCell(ColSchedule, row, "No");
    }
    table.fixHeaderIfTasks();

    table.setCurrentRow(1);
    session.operations().startCurrentTask();
    auto* worker = dynamic_cast<TfileThread*>(session.workerSlots().at(session.table().idOf(1)));
    ASSERT_NE(worker, nullptr);
    fakes.queue.waitUntil([worker] { return worker->finished(); });
    EXPECT_EQ(server.requestsFor("/f.bin").size(), 4u); // the probe, the run and its two retries

    table.setCurrentRow(2);
    session.operations().startCurrentTask();
    ASSERT_TRUE(server.waitUntilStalling());
    session.operations().stopCurrentTask();
    server.releaseStalls();

    while (fakes.deferrer.fireAll() > 0) {}
    ASSERT_EQ(fakes.notifier.notices.size(), 1u);
    EXPECT_EQ(fakes.notifier.notices[0].summary, "Download failed");
    EXPECT_EQ(fakes.notifier.notices[0].body, "f.bin: the server is busy (HTTP 503)");
}

TEST(TaskSession, ReadsTheSettingsAtStartUpAndKeepsAChangedOneAtOnce)
{
    TempDir programDir;
    SessionFakes fakes;
    MemorySettings& settings = fakes.settings;
    RecordingDialogs& dialogs = fakes.dialogs;
    settings.loadProblem = "The settings file is damaged.";
    TaskSession session(fakes.services(programDir));

    session.loadAtStartUp();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The settings file is damaged.");
    EXPECT_EQ(session.table().rowCount(), 1); // the list is loaded all the same

    EXPECT_TRUE(session.changeSetting("Downloads", "MaxRunning", "3"));
    EXPECT_EQ(settings.saves, 1);
    EXPECT_EQ(session.settings().value("Downloads", "MaxRunning"), "3");

    settings.saveFailure = "The settings could not be saved.";
    EXPECT_FALSE(session.changeSetting("Downloads", "MaxRunning", "4"));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "The settings could not be saved.");
    EXPECT_EQ(session.settings().value("Downloads", "MaxRunning"), "4"); // for this run all the same
}

TEST(TaskSession, AppliesThePreferencesReadAtStartUpAndKeepsOnlyTheChangedKeys)
{
    TempDir programDir;
    SessionFakes fakes;
    fakes.settings.setValue("Downloads", "MaxRunning", "5000");
    fakes.settings.setValue("Downloads", "SpeedLimit", "1048576");
    TaskSession session(fakes.services(programDir));
    session.loadAtStartUp();
    EXPECT_EQ(session.preferences(), (DownloadPreferences{0, 1048576, true}));
    EXPECT_EQ(session.speedLimiter().limit(), 1048576u);

    DownloadPreferences off = session.preferences();
    off.speedLimitOn = false;
    EXPECT_TRUE(session.setPreferences(off));
    EXPECT_EQ(session.speedLimiter().limit(), 0u); // at once, for running downloads too
    EXPECT_EQ(fakes.settings.saves, 1);
    EXPECT_EQ(fakes.settings.value("Downloads", "SpeedLimitOn"), "false");
    EXPECT_EQ(fakes.settings.value("Downloads", "SpeedLimit"), "1048576"); // the typed limit stays
    EXPECT_EQ(fakes.settings.value("Downloads", "MaxRunning"), "5000");    // not changed, not written
    EXPECT_TRUE(session.setPreferences(off));
    EXPECT_EQ(fakes.settings.saves, 1);
}

namespace {

// Each run's start and end as the session tells them, in order.
class RecordingListener final : public TaskListener {
public:
    void runStarted(TaskId task) override { started.push_back(task); }
    void runEnded(TaskId task, const RunOutcome& outcome) override { ended.emplace_back(task, outcome.end); }
    void taskAdded(TaskId task) override { added.push_back(task); }
    void taskRemoved(TaskId task) override { removed.push_back(task); }

    std::vector<TaskId> added;
    std::vector<TaskId> removed;
    std::vector<TaskId> started;
    std::vector<std::pair<TaskId, RunEnd>> ended;
};

TaskDraft draftFor(const TestServer& server, const std::string& name, const TempDir& folder,
                   const std::string& schedule = "No")
{
    return {server.url("/" + name), folder.path().string(), name, "", schedule};
}

} // namespace

TEST(TaskSession, ARunEndedEventCarriesEachOutcomeOnce)
{
    TestServer server;
    server.serve("/done.bin", TestServer::pattern(20'000));
    const TestResource failing = busyAfterTheProbe();
    server.serve("/failed.bin", failing);
    const TestResource stalling = stallingAfter1000Bytes();
    server.serve("/stopped.bin", stalling);
    server.serve("/cancelled.bin", stalling);
    TempDir programDir;
    SessionFakes fakes;
    TaskSession session(fakes.services(programDir, RetryPolicy::none()));
    session.loadAtStartUp();
    RecordingListener listener;
    session.addListener(listener);
    TaskCommands& commands = session.commands();
    const auto runToItsEnd = [&](TaskId task) {
        commands.start(task);
        auto* worker = session.workerSlots().at(task);
        ASSERT_NE(worker, nullptr);
        fakes.queue.waitUntil([worker] { return worker->finished(); });
    };

    const TaskId done = commands.add(draftFor(server, "done.bin", programDir));
    runToItsEnd(done);
    const TaskId failed = commands.add(draftFor(server, "failed.bin", programDir));
    runToItsEnd(failed);
    const TaskId stopped = commands.add(draftFor(server, "stopped.bin", programDir));
    commands.start(stopped);
    ASSERT_TRUE(server.waitUntilStalling());
    commands.stop(stopped);
    commands.stop(stopped); // no run is left to end
    const TaskId cancelled = commands.add(draftFor(server, "cancelled.bin", programDir));
    commands.start(cancelled);
    ASSERT_TRUE(server.waitUntilStalling());
    commands.cancel(cancelled);
    server.releaseStalls();
    commands.cancelAll();

    EXPECT_EQ(listener.started, (std::vector<TaskId>{done, failed, stopped, cancelled}));
    EXPECT_EQ(listener.ended, (std::vector<std::pair<TaskId, RunEnd>>{{done, RunEnd::Done},
                                                                      {failed, RunEnd::Failed},
                                                                      {stopped, RunEnd::StoppedByUser},
                                                                      {cancelled, RunEnd::Cancelled}}));
    EXPECT_EQ(session.table().runOutcome(failed).plainReason, "the server is busy (HTTP 503)");
    session.removeListener(listener);
}

// The schedule starts a task by its id: a Delete pressed just after the tick cancels the row
// the user chose, not the one the schedule started.
TEST(TaskSession, AScheduledStartLeavesTheUsersRowCurrent)
{
    TestServer server;
    const TestResource stalling = stallingAfter1000Bytes();
    server.serve("/due.bin", stalling);
    TempDir programDir;
    SessionFakes fakes;
    TaskSession session(fakes.services(programDir));
    session.loadAtStartUp();
    TaskCommands& commands = session.commands();
    const TaskId chosen = commands.add(draftFor(server, "chosen.bin", programDir));
    const TaskId due = commands.add(draftFor(server, "due.bin", programDir, "01.01.2007 1:00:00"));
    TaskTable& table = session.table();
    table.setCurrentRow(table.rowOf(chosen));

    session.scheduleWatch().Timer1Timer();
    ASSERT_NE(session.workerSlots().at(due), nullptr);
    EXPECT_EQ(table.currentRow(), table.rowOf(chosen));
    ASSERT_TRUE(server.waitUntilStalling());
    commands.cancelCurrent();
    EXPECT_EQ(table.cell(ColStatus, table.rowOf(chosen)), Status::Cancelled);
    EXPECT_EQ(table.cell(ColProcess, table.rowOf(due)), Process::Running);
    server.releaseStalls();
    session.endWorkers();
}

TEST(TaskSession, ATaskKeepsItsIdThroughSaveAsAndAModifyAndAListReadAgainGivesNewOnes)
{
    TestServer server;
    TempDir programDir;
    SessionFakes fakes;
    TaskSession session(fakes.services(programDir));
    session.loadAtStartUp();
    TaskTable& table = session.table();
    RecordingListener listener;
    session.addListener(listener);
    const TaskId first = session.commands().add(draftFor(server, "a.bin", programDir));
    const TaskId second = session.commands().add(draftFor(server, "b.bin", programDir));

    fakes.dialogs.fileAnswers.push_back(programDir.file("elsewhere.log"));
    session.listFile().saveDatabaseAs();
    ASSERT_TRUE(session.commands().modify(first, draftFor(server, "c.bin", programDir)));
    EXPECT_EQ(table.taskIds(), (std::vector<TaskId>{first, second}));
    EXPECT_EQ(table.cell(ColFileName, table.rowOf(first)), "c.bin");

    fakes.dialogs.fileAnswers.push_back(programDir.file("elsewhere.log"));
    session.openDatabase();
    ASSERT_EQ(table.taskCount(), 2);
    EXPECT_EQ(table.rowOf(first), 0);
    EXPECT_EQ(table.rowOf(second), 0);
    EXPECT_FALSE(session.commands().modify(first, draftFor(server, "d.bin", programDir)));
    EXPECT_EQ(listener.removed, (std::vector<TaskId>{first, second}));
    EXPECT_EQ(listener.added, (std::vector<TaskId>{first, second, table.idOf(1), table.idOf(2)}));
    session.removeListener(listener);
}

TEST(TaskSession, TasksWaitingUnderTheCapAreSavedAsBeforeTheyWaitedAndTheNextRunQueuesNone)
{
    TestServer server; // busy: the one start under way waits to ask again
    server.serve("/f0.bin", TestResource::page(503, "busy"));
    TempDir programDir;
    SessionFakes fakes;
    fakes.settings.setValue("Downloads", "MaxRunning", "1");
    const std::string list = programDir.file("vt_tasks.log");
    {
        TaskSession session(fakes.services(programDir));
        session.loadAtStartUp();
        for (int task = 0; task < 200; ++task)
            session.commands().add(draftFor(server, "f" + std::to_string(task) + ".bin", programDir));
        ASSERT_TRUE(session.saveAtUserClose());
        const std::string before = readFile(list);
        session.commands().startAll();
        EXPECT_EQ(session.runQueue().size(), 199u);
        ASSERT_TRUE(session.saveAtUserClose());
        session.endAfterSave();
        EXPECT_EQ(readFile(list), before);
    }
    TaskSession next(fakes.services(programDir));
    next.loadAtStartUp();
    EXPECT_EQ(next.table().rowCount(), 201);
    EXPECT_TRUE(next.runQueue().empty());
    EXPECT_TRUE(fakes.dialogs.messages.empty());
}
