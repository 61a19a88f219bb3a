#include "support/RecordingDialogs.h"
#include "tasks/ClearList.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

using namespace zv;

namespace {

void addTask(TaskTable& table, std::string_view status, std::string_view process)
{
    const int row = table.appendRow();
    table.setCell(ColStatus, row, std::string(status));
    table.setCell(ColProcess, row, std::string(process));
    table.setCell(ColUrl, row, "http://127.0.0.1/" + std::to_string(row) + ".zip");
}

} // namespace

TEST(ClearTheList, RefusesWhileATaskRuns)
{
    TaskTable table;
    table.writeHeader();
    addTask(table, Status::Done, Process::Finished);
    addTask(table, Status::Started, Process::Running);
    table.setCurrentRow(2);
    test::RecordingDialogs dialogs;

    EXPECT_FALSE(clearTheList(table, dialogs));

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Tasks should be stopped!");
    EXPECT_EQ(dialogs.messages[0].caption, "Tasks are not stopped");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cell(ColUrl, 1), "http://127.0.0.1/1.zip");
    EXPECT_EQ(table.cell(ColProcess, 2), "2");
    EXPECT_EQ(table.currentRow(), 2);
}

TEST(ClearTheList, LeavesTheHeaderAloneAndTheNextTaskIsRowOne)
{
    TaskTable table;
    table.writeHeader();
    addTask(table, Status::Done, Process::Finished);
    addTask(table, Status::Started, Process::Idle);
    addTask(table, Status::Cancelled, Process::Finished);
    table.setCurrentRow(3);
    table.fixHeaderIfTasks();
    test::RecordingDialogs dialogs;

    EXPECT_TRUE(clearTheList(table, dialogs));

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cell(ColStatus, 0), "Status");
    EXPECT_EQ(table.currentRow(), 0);
    EXPECT_EQ(table.fixedRows(), 0);
    const int row = table.appendRow();
    EXPECT_EQ(row, 1);
    EXPECT_EQ(table.cell(ColUrl, row), "");
}

TEST(ClearTheList, OnAHeaderOnlyTableChangesNothing)
{
    TaskTable table;
    table.writeHeader();
    test::RecordingDialogs dialogs;
    EXPECT_TRUE(clearTheList(table, dialogs));
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cell(ColSchedule, 0), "Schedule");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(ClearTheList, OnlyAnExactRunningCodeCounts)
{
    TaskTable table;
    addTask(table, Status::Started, " 2");
    addTask(table, Status::Started, "02");
    EXPECT_FALSE(anyTaskRunning(table));
    test::RecordingDialogs dialogs;
    EXPECT_TRUE(clearTheList(table, dialogs));
}
