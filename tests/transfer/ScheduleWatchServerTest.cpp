#include "TransferFixture.h"

#include "platform/services/OnlineQuery.h"
#include "tasks/EditorMode.h"
#include "transfer/ConnectionIndicator.h"
#include "transfer/ScheduleWatch.h"

using namespace zv;
using namespace zv::test;

namespace {

class Offline final : public OnlineQuery {
public:
    bool isOnline() const override { return false; }
};

class NoIndicator final : public ConnectionIndicator {
public:
    bool showPictureFile(const std::string&) override { return true; }
};

// The watch with the real start by schedule, against the local server.
class ScheduleWatchServerTest : public TransferFixture {
protected:
    ScheduleWatch watch{{table, clock, online, formats, dialogs, mode, indicator, dir.file("no-pictures"),
                         [this](int) { operations.startBySchedule(); }}};
    Offline online;
    EditorMode mode;
    NoIndicator indicator;
};

} // namespace

TEST_F(ScheduleWatchServerTest, DueTaskWithASilentServerIsProbedAgainAtEveryTick)
{
    // A short probe limit instead of waiting out the real one.
    CurlSessionFactory quickProbe{InternetLimits{std::chrono::seconds(2), std::chrono::seconds(60),
                                                 std::chrono::milliseconds(200)}};
    ImmediateProbeRunner quickProbes{quickProbe};
    TaskOperations quick{TransferServices{WorkerServices{queue, quickProbe, table, formats, clock, {}}, slots, dialogs,
                                          quickProbes, [] { return 1; }}};
    ScheduleWatch quickWatch{{table, clock, online, formats, dialogs, mode, indicator, dir.file("no-pictures"),
                              [&quick](int) { quick.startBySchedule(); }}};
    TestResource silent;
    silent.body = TestServer::pattern(1000);
    silent.stallAt = 0;
    server.serve("/late.bin", silent);
    const int row = addTask(server.url("/late.bin"), "late.bin", Status::New, Process::Idle, "01.01.2007 1:00:00");
    quickWatch.Timer1Timer();
    quickWatch.Timer1Timer();
    EXPECT_EQ(server.requestsFor("/late.bin").size(), 2u);
    EXPECT_EQ(codes(row), "1/1");
    EXPECT_TRUE(slots.isEmpty(row));
    server.releaseStalls();
}

TEST_F(ScheduleWatchServerTest, DueTaskIsDownloadedUnderItsFileNameCell)
{
    const std::string body = TestServer::pattern(30'000);
    server.serve("/files/real-name.zip", body);
    const int row = addTask(server.url("/files/real-name.zip"), "other.zip", Status::New, Process::Idle,
                            "13.04.2007 23:00:00");
    watch.Timer1Timer();
    waitForWorker(row);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(fileAt("other.zip"), body);
    EXPECT_FALSE(exists("real-name.zip"));
}
