#include "platform/net/CurlSessionFactory.h"
#include "platform/services/OnlineQuery.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "support/FakeDeferrer.h"
#include "support/FixedClock.h"
#include "support/ImmediateProbeRunner.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tasks/TaskCodes.h"
#include "transfer/CopyNetTr.h"
#include "transfer/TaskSession.h"
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
    HandOverQueue queue;
    CurlSessionFactory internet;
    FormatSettings formats;
    FixedClock clock;
    RecordingDialogs dialogs;
    Online online;
    FakeDeferrer deferrer;
    RecordingNotifier notifier;
    CountingView view;
    TaskSession session({queue, internet, std::make_unique<ImmediateProbeRunner>(internet), formats, clock, dialogs,
                         online, deferrer, notifier, programDir.path().string(), programDir.path().string()});
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
