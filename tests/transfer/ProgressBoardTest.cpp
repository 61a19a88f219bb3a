#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "support/FixedClock.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/ProgressBoard.h"
#include "transfer/ProgressTexts.h"
#include "transfer/RunQueue.h"
#include "transfer/SpeedLimiter.h"

#include <gtest/gtest.h>

using namespace zv;
using namespace std::chrono_literals;

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;

// Stands in a row's slot for a worker; never started.
class IdleWorker final : public ThreadBase {
public:
    using ThreadBase::ThreadBase;
    ~IdleWorker() override { stopAndWait(); }

protected:
    void execute() override {}
};

class ProgressBoardTest : public ::testing::Test {
protected:
    // A task row whose worker has just started, counting into a meter of its own.
    int running()
    {
        const int row = table.appendRow();
        table.setCell(ColStatus, row, std::string(Status::Started));
        table.setCell(ColProcess, row, std::string(Process::Running));
        slots.put(table.idOf(row), ThreadPtr(new IdleWorker(queue)));
        meter = std::make_shared<TransferMeter>();
        board.launched(table.idOf(row), meter);
        return row;
    }

    // The window's timer, once per second, the file growing by bytesPerSecond.
    void secondsPass(int seconds, std::uint64_t bytesPerSecond)
    {
        for (int second = 0; second < seconds; ++second) {
            clock.steady += 1s;
            meter->setHeld(meter->held() + bytesPerSecond);
            board.sample();
        }
    }

    void ends(int row, std::string_view status, std::string_view process, RunOutcome outcome = {})
    {
        table.setRunOutcome(table.idOf(row), outcome);
        table.setCell(ColStatus, row, std::string(status));
        table.setCell(ColProcess, row, std::string(process));
        slots.destroy(table.idOf(row));
        board.runEnded(table.idOf(row), outcome);
    }

    HandOverQueue queue;
    TaskTable table;
    WorkerSlots slots;
    test::FixedClock clock;
    FormatSettings formats;
    RunQueue line;
    SpeedLimiter limiter{clock};
    ProgressBoard board{table, slots, clock, formats, nullptr, &line, &limiter};
    std::shared_ptr<TransferMeter> meter;
};

} // namespace

TEST_F(ProgressBoardTest, ARunningRowTellsItsShareTheRecentSpeedAndTheTimeLeft)
{
    const int row = running();
    meter->setTotal(100 * MiB);
    board.sample();
    EXPECT_EQ(board.tip(row), "0 % of 100.00 MB (0 Byte)");
    // A slow start is forgotten: the speed is that of the last five seconds.
    secondsPass(6, 1 * MiB);
    secondsPass(6, 4 * MiB);
    EXPECT_EQ(board.tip(row), "30 % of 100.00 MB (30.00 MB), 4.0 MB/s, about 18 s left");

    meter->setRetries(2);
    meter->setTotal(std::nullopt);
    meter->setConnections(4);
    EXPECT_EQ(board.tip(row), "30.00 MB loaded, 4.0 MB/s\n4 connections\n2 retries so far");
    meter->setConnections(1);

    // The file began afresh: no speed until samples of the new start span a second.
    meter->setHeld(0);
    board.sample();
    meter->setHeld(100);
    clock.steady += 500ms;
    board.sample();
    EXPECT_EQ(board.tip(row), "100 Byte loaded\n2 retries so far");

    slots.destroy(table.idOf(row)); // the program ended with the row running, and its list was read again
    EXPECT_EQ(board.tip(row), ProgressBoard::NotRunningText);
}

TEST_F(ProgressBoardTest, AnEndedRowTellsHowItsLastRunEndedUntilTheListIsReadAgain)
{
    formats.setDecimalSeparator(",");
    const int stopped = running();
    RunOutcome cut;
    cut.reason = "body cut short (gave up after 5 retries)";
    cut.plainReason = "the connection broke before the end";
    cut.retries = 5;
    ends(stopped, Status::Started, Process::Idle, cut);
    EXPECT_EQ(board.tip(stopped), "Stopped: the connection broke before the end (after 5 retries)");

    const int done = running();
    meter->setTotal(10 * MiB);
    secondsPass(4, 2 * MiB);
    meter->setHeld(10 * MiB); // resumed from a partial file of 2 MB
    RunOutcome whole;
    whole.appended = 8 * MiB;
    ends(done, Status::Done, Process::Finished, whole);
    clock.steady += 1h; // later, the tooltip still tells the run's own time
    EXPECT_EQ(board.tip(done), "Done: 10,00 MB in 4 s, 2,0 MB/s on average");

    const int cancelled = running();
    ends(cancelled, Status::Cancelled, Process::Idle);
    EXPECT_EQ(board.tip(cancelled), "Cancelled");

    // What the last runs told is kept in memory only.
    table.setRowCount(1);
    table.setRowCount(3);
    table.setCell(ColStatus, 1, std::string(Status::Started));
    table.setCell(ColProcess, 1, std::string(Process::Idle));
    table.setCell(ColStatus, 2, std::string(Status::Done));
    table.setCell(ColSizeLoaded, 2, "1,50 MB");
    EXPECT_EQ(board.tip(1), "Stopped");
    EXPECT_EQ(board.tip(2), "Done: 1,50 MB");
}

TEST_F(ProgressBoardTest, AWaitingRowTellsItsPlaceAndARunningOneTheLimitThatHoldsItBack)
{
    std::vector<int> rows;
    for (int place = 1; place <= 4; ++place) {
        rows.push_back(table.appendRow());
        table.setCell(ColStatus, rows.back(), std::string(Status::New));
        line.add(table.idOf(rows.back()), RunQueue::Start::All);
    }
    EXPECT_EQ(board.tip(rows[2]), "Queued: 3rd in line\nNot started yet");
    line.remove(table.idOf(rows[0]));
    EXPECT_EQ(board.tip(rows[3]), "Queued: 3rd in line\nNot started yet");
    line.remove(table.idOf(rows[3]));
    EXPECT_EQ(board.tip(rows[3]), "Not started yet");

    const int row = running();
    meter->setTotal(100 * MiB);
    secondsPass(6, 2 * MiB);
    const std::string free = board.tip(row);
    limiter.setLimit(2 * MiB);
    limiter.take(MiB); // the bucket starts empty: this read waits
    EXPECT_EQ(board.tip(row), "12 % of 100.00 MB (12.00 MB), 2.0 MB/s, limited to 2.0 MB/s in all, about 44 s left");
    clock.steady += 2s; // no wait for a while: the limit no longer holds it back
    EXPECT_EQ(board.tip(row), free);
}

TEST(ProgressTexts, TimesAreRoundedAsPeopleReadThem)
{
    EXPECT_EQ(ProgressTexts::roughTime(88s), "1 min 30 s");
    EXPECT_EQ(ProgressTexts::roughTime(599s), "10 min");
    EXPECT_EQ(ProgressTexts::roughTime(3725s), "1 h 2 min");
    EXPECT_EQ(ProgressTexts::duration(200'400ms), "3 min 20 s");
    EXPECT_EQ(ProgressTexts::duration(999ms), "under a second");
    std::string places;
    for (const std::size_t place : {1, 2, 3, 4, 11, 12, 13, 21, 22, 23, 101, 111})
        places += ProgressTexts::ordinal(place) + " ";
    EXPECT_EQ(places, "1st 2nd 3rd 4th 11th 12th 13th 21st 22nd 23rd 101st 111th ");
}
