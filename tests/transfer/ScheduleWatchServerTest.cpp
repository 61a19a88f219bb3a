#include "TransferFixture.h"

#include "platform/services/OnlineQuery.h"
#include "tasks/EditorMode.h"
#include "transfer/ConnectionIndicator.h"
#include "transfer/ProgressBoard.h"
#include "transfer/ScheduleBackoff.h"
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
                         [this](TaskId task) { operations.startBySchedule(task); }}};
    Offline online;
    EditorMode mode;
    NoIndicator indicator;
};

} // namespace

TEST_F(ScheduleWatchServerTest, AFailingStartWaitsLongerEachTimeAndTheUsersStopEndsTheWait)
{
    ScheduleBackoff backoff{table, clock};
    TransferServices withBackoff = services();
    withBackoff.scheduleBackoff = &backoff;
    TaskOperations backingOff{withBackoff};
    ProgressBoard board{table, slots, clock, formats, &backoff};
    ScheduleWatch backingOffWatch{{table, clock, online, formats, dialogs, mode, indicator, dir.file("no-pictures"),
                                   [&backingOff](TaskId task) { backingOff.startBySchedule(task); }}};
    server.serve("/busy.bin", TestResource::page(503, "busy"));
    const int row = addTask(server.url("/busy.bin"), "busy.bin", Status::New, Process::Idle, "01.01.2007 1:00:00");
    const auto tickFor = [&](std::chrono::seconds span) {
        for (auto passed = std::chrono::seconds(0); passed < span; passed += std::chrono::seconds(5)) {
            backingOffWatch.Timer1Timer();
            clock.steady += std::chrono::seconds(5);
            clock.current = secondsLater(clock.current, std::chrono::seconds(5));
        }
    };
    // Tries at 13:30:00 and, a minute later, 13:31:00; the next wait is two minutes.
    tickFor(std::chrono::seconds(120));
    EXPECT_LE(server.requestsFor("/busy.bin").size(), 20u);
    EXPECT_EQ(codes(row), "1/1");
    EXPECT_EQ(board.tip(row), "Not started: the server is busy (HTTP 503)\nNext try at 13:33:00");

    const std::size_t beforeStop = server.requestsFor("/busy.bin").size();
    table.setCurrentRow(row);
    backingOff.stopCurrentTask();
    tickFor(std::chrono::seconds(5));
    EXPECT_GT(server.requestsFor("/busy.bin").size(), beforeStop);
    EXPECT_EQ(board.tip(row), "Not started: the server is busy (HTTP 503)\nNext try at 13:33:00")
        << "a minute after 13:32:00";
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
