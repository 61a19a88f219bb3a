#include "platform/text/FormatSettings.h"
#include "platform/services/OnlineQuery.h"
#include "support/FixedClock.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "tasks/EditorMode.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/ConnectionIndicator.h"
#include "transfer/ScheduleWatch.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zv;

namespace {

class SwitchableOnline final : public OnlineQuery {
public:
    bool isOnline() const override
    {
        ++queries;
        return online;
    }
    bool online = true;
    mutable int queries = 0;
};

class RecordingIndicator final : public ConnectionIndicator {
public:
    bool showPictureFile(const std::string& path) override
    {
        shown.push_back(std::filesystem::path(path).filename().string());
        return loads;
    }
    std::vector<std::string> shown;
    bool loads = true;
};

// A clock at 14.04.2007 13:30:00.500 by default.
class ScheduleWatchTest : public ::testing::Test {
protected:
    ScheduleWatchTest()
        : clock({{2007, 4, 14}, {13, 30, 0, 500}})
        , watch({table, clock, online, format, dialogs, editorMode, indicator,
                 pictures.path().string(), [this](TaskId task) { startBySchedule(table.rowOf(task)); }})
    {
        table.writeHeader();
        test::writeFile(pictures.path() / "int_act.bmp", "BM");
        test::writeFile(pictures.path() / "int_none.bmp", "BM");
    }

    int addTask(const std::string& schedule, std::string_view status = Status::New,
                std::string_view process = Process::Idle)
    {
        const int row = table.appendRow();
        table.setCell(ColStatus, row, std::string(status));
        table.setCell(ColProcess, row, std::string(process));
        table.setCell(ColSchedule, row, schedule);
        return row;
    }

    // What the real start by schedule does with the codes: running and final rows are
    // skipped, a row whose server gives nothing stays as it is.
    void startBySchedule(int row)
    {
        calls.push_back(row);
        currentAtCall.push_back(table.currentRow());
        boxesOpenAtCall.push_back(dialogs.shownOpen);
        const std::string& process = table.cell(ColProcess, row);
        if (process == Process::Running || process == Process::Finished || !serverGivesData)
            return;
        starts.push_back(row);
        table.setCell(ColStatus, row, std::string(Status::Started));
        table.setCell(ColProcess, row, std::string(Process::Running));
    }

    TaskTable table;
    test::FixedClock clock;
    SwitchableOnline online;
    FormatSettings format;
    test::RecordingDialogs dialogs;
    EditorMode editorMode;
    RecordingIndicator indicator;
    test::TempDir pictures;
    ScheduleWatch watch;
    bool serverGivesData = true;
    std::vector<int> calls;
    std::vector<int> currentAtCall;
    std::vector<int> boxesOpenAtCall;
    std::vector<int> starts;
};

} // namespace

TEST_F(ScheduleWatchTest, YesterdayAtAnyTimeStartsAtTheFirstTick)
{
    const int row = addTask("13.04.2007 23:59:59");
    watch.Timer1Timer();
    EXPECT_EQ(starts, std::vector<int>{row});
}

TEST_F(ScheduleWatchTest, LaterTodayWaitsUntilTheTimeHasPassedToTheMillisecond)
{
    const int row = addTask("14.04.2007 13:30:01");
    watch.Timer1Timer();
    clock.current.time = {13, 30, 1, 0}; // equal is not yet due
    watch.Timer1Timer();
    EXPECT_TRUE(calls.empty());
    clock.current.time = {13, 30, 1, 1};
    watch.Timer1Timer();
    EXPECT_EQ(starts, std::vector<int>{row});
}

TEST_F(ScheduleWatchTest, SevenCharacterTimesAreRead)
{
    const int row = addTask("14.04.2007 9:05:00");
    watch.Timer1Timer();
    EXPECT_EQ(starts, std::vector<int>{row});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScheduleWatchTest, HandWrittenCellsWithoutSecondsOrLeadingZerosAreRead)
{
    const int noSeconds = addTask("14.04.2007 13:30");
    const int shortFields = addTask("1.4.2007 9:05:00");
    addTask("14.4.2007 13:31");
    const int both = addTask("13.4.2007 0:00");
    watch.Timer1Timer();
    EXPECT_EQ(starts, (std::vector<int>{noSeconds, shortFields, both}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScheduleWatchTest, TomorrowNeverStartsToday)
{
    addTask("15.04.2007 0:00:00");
    clock.current.time = {23, 59, 59, 999};
    watch.Timer1Timer();
    EXPECT_TRUE(calls.empty());
}

TEST_F(ScheduleWatchTest, StoppedTaskIsStartedAgainButFinalOnesAreLeftAlone)
{
    const int stopped = addTask("01.01.2007 1:00:00");
    addTask("01.01.2007 1:00:00", Status::Cancelled, Process::Finished);
    addTask("01.01.2007 1:00:00", Status::Done, Process::Finished);
    addTask("No");
    watch.Timer1Timer();
    EXPECT_EQ(starts, std::vector<int>{stopped});
    table.setCell(ColProcess, stopped, std::string(Process::Idle)); // the user stops it
    watch.Timer1Timer();
    EXPECT_EQ(starts, (std::vector<int>{stopped, stopped}));
    EXPECT_EQ(calls, (std::vector<int>{stopped, stopped}));
}

// The start goes by the task's id: the row the user chose stays current, so a Delete or Edit
// pressed just after a tick acts on it.
TEST_F(ScheduleWatchTest, DueTasksStartWithoutMovingTheUsersCurrentRow)
{
    const int running = addTask("01.01.2007 1:00:00", Status::Started, Process::Running);
    addTask("No");
    const int due = addTask("01.01.2007 1:00:00");
    table.setCurrentRow(2);
    watch.Timer1Timer();
    EXPECT_EQ(calls, (std::vector<int>{running, due}));
    EXPECT_EQ(starts, std::vector<int>{due});
    EXPECT_EQ(table.currentRow(), 2);
    EXPECT_EQ(currentAtCall, (std::vector<int>{2, 2}));
}

TEST_F(ScheduleWatchTest, DueTaskWhoseServerGivesNothingIsTriedAtEveryTick)
{
    const int row = addTask("01.01.2007 1:00:00");
    serverGivesData = false;
    watch.Timer1Timer();
    watch.Timer1Timer();
    EXPECT_EQ(calls, (std::vector<int>{row, row}));
    EXPECT_EQ(table.cell(ColStatus, row), "1");
    EXPECT_EQ(table.cell(ColProcess, row), "1");
}

TEST_F(ScheduleWatchTest, SeveralDueRowsStartInAscendingOrder)
{
    addTask("01.01.2007 1:00:00");
    addTask("20.04.2007 1:00:00");
    addTask("13.04.2007 1:00:00");
    watch.Timer1Timer();
    EXPECT_EQ(starts, (std::vector<int>{1, 3}));
}

TEST_F(ScheduleWatchTest, RowUnderEditInModifyModeWaitsUntilTheEditorCloses)
{
    const int row = addTask("01.01.2007 1:00:00");
    editorMode.setModify(table.idOf(row));
    watch.Timer1Timer();
    EXPECT_TRUE(calls.empty());
    editorMode.setAdd();
    watch.Timer1Timer();
    EXPECT_EQ(starts, std::vector<int>{row});
}

TEST_F(ScheduleWatchTest, BadTimeIsReportedOnceAndLaterRowsStillStart)
{
    addTask("10.10.2007 24:00:00");
    const int due = addTask("01.01.2007 1:00:00");
    for (int tick = 0; tick < 5; ++tick)
        watch.Timer1Timer();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "'24:00:00' is not a valid time.");
    EXPECT_EQ(dialogs.messages[0].caption, "Zare Vantrel v1.0");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(starts, std::vector<int>{due});
}

TEST_F(ScheduleWatchTest, BadDateIsReportedOncePerDistinctText)
{
    addTask("31.02.2007 1:00:00");
    addTask("soon");
    addTask("");
    addTask("soon");
    addTask("garbage\x01\xff");
    watch.Timer1Timer();
    watch.Timer1Timer();
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[0].text, "'31.02.2007' is not a valid date.");
    EXPECT_EQ(dialogs.messages[1].text, "'soon' is not a valid date.");
    EXPECT_EQ(dialogs.messages[2].text, "'' is not a valid date.");
    EXPECT_TRUE(calls.empty());
}

TEST_F(ScheduleWatchTest, BadCellIsReportedAgainOnlyAfterLeavingTheTable)
{
    const int row = addTask("soon");
    watch.Timer1Timer();
    editorMode.setModify(table.idOf(row)); // still in the table while the editor is open on it
    watch.Timer1Timer();
    editorMode.setAdd();
    watch.Timer1Timer();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    table.setCell(ColSchedule, row, "No");
    watch.Timer1Timer();
    table.setCell(ColSchedule, row, "soon");
    watch.Timer1Timer();
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(ScheduleWatchTest, DueRowsKeepStartingWhileTheBoxesOfUnreadableCellsAreOpen)
{
    addTask("10.10.2007 24:00:00");
    addTask("soon");
    const int due = addTask("01.01.2007 1:00:00");
    const int later = addTask("14.04.2007 13:30:03");
    watch.Timer1Timer();
    EXPECT_EQ(starts, std::vector<int>{due});
    EXPECT_EQ(boxesOpenAtCall, std::vector<int>{2}); // the first box is still open
    clock.current.time = {13, 30, 5, 0};
    watch.Timer1Timer();
    EXPECT_EQ(starts, (std::vector<int>{due, later}));
    EXPECT_EQ(boxesOpenAtCall, (std::vector<int>{2, 2, 2})); // the running row is called too
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "'24:00:00' is not a valid time.");
}

TEST_F(ScheduleWatchTest, IndicatorShowsTheFileForTheConnectionState)
{
    watch.Timer1Timer();
    online.online = false;
    watch.Timer1Timer();
    EXPECT_EQ(indicator.shown, (std::vector<std::string>{"int_act.bmp", "int_none.bmp"}));
}

TEST_F(ScheduleWatchTest, MissingIndicatorFileFreezesItButTheScanRuns)
{
    std::filesystem::remove(pictures.path() / "int_none.bmp");
    const int row = addTask("01.01.2007 1:00:00");
    watch.Timer1Timer();
    EXPECT_TRUE(indicator.shown.empty());
    EXPECT_EQ(online.queries, 0);
    EXPECT_EQ(starts, std::vector<int>{row});
}

TEST_F(ScheduleWatchTest, WithNoTaskRowsOnlyTheIndicatorIsUpdated)
{
    watch.Timer1Timer();
    EXPECT_EQ(indicator.shown.size(), 1u);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(table.currentRow(), 0);
}

TEST_F(ScheduleWatchTest, UnloadablePictureIsReportedOnce)
{
    indicator.loads = false;
    watch.Timer1Timer();
    watch.Timer1Timer();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Bitmap image is not valid.");
}
