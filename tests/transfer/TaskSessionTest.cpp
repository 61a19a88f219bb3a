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
    auto* worker = dynamic_cast<TfileThread*>(session.workerSlots().at(1));
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
    TestResource failing;
    failing.body = TestServer::pattern(20'000);
    failing.firstStatuses = {200}; // the probe's answer; the run's requests are all refused
    failing.status = 503;
    server.serve("/f.bin", failing);
    TestResource stalling;
    stalling.body = TestServer::pattern(20'000);
    stalling.stallAt = 1000;
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
    auto* worker = dynamic_cast<TfileThread*>(session.workerSlots().at(1));
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
