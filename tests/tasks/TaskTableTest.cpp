#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

using namespace zv;

TEST(TaskTableCells, HeaderRowHoldsTheTenTitles)
{
    TaskTable table;
    table.writeHeader();
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cell(ColStatus, 0), "Status");
    EXPECT_EQ(table.cell(ColSizeLoaded, 0), "Size loaded");
    EXPECT_EQ(table.cell(ColTimeOfBeginning, 0), "Time of beginning");
    EXPECT_EQ(table.cell(ColSchedule, 0), "Schedule");
    EXPECT_FALSE(table.hasTasks());
}

TEST(TaskTableCells, OutsideTheTableReadsEmptyAndWritesNothing)
{
    TaskTable table;
    EXPECT_EQ(table.cell(0, 1), "");
    EXPECT_EQ(table.cell(-1, 0), "");
    EXPECT_EQ(table.cell(10, 0), "");
    table.setCell(0, 5, "x");
    table.setCell(10, 0, "x");
    EXPECT_EQ(table.rowCount(), 1);
}

TEST(TaskTableCells, CellsAreBytesOfAnyContent)
{
    TaskTable table;
    const int row = table.appendRow();
    const std::string bytes = std::string("\0\x01\r\n\xff", 5) + std::string(100000, 'z');
    table.setCell(ColUrl, row, bytes);
    EXPECT_EQ(table.cell(ColUrl, row), bytes);
}

TEST(TaskTableRows, AppendedRowsAreNumberedAfterTheLast)
{
    TaskTable table;
    EXPECT_EQ(table.appendRow(), 1);
    EXPECT_EQ(table.appendRow(), 2);
    EXPECT_EQ(table.taskCount(), 2);
    EXPECT_TRUE(table.isTaskRow(2));
    EXPECT_FALSE(table.isTaskRow(0));
    EXPECT_FALSE(table.isTaskRow(3));
}

TEST(TaskTableRows, CutRowsLeaveNoTextsBehind)
{
    TaskTable table;
    table.appendRow();
    table.appendRow();
    table.setCell(ColUrl, 2, "http://old/x.zip");
    RunOutcome cutShort;
    cutShort.reason = "body cut short";
    table.setRunOutcome(table.idOf(2), cutShort);
    table.setRowCount(2);
    table.setRowCount(3);
    EXPECT_EQ(table.cell(ColUrl, 2), "");
    EXPECT_EQ(table.runReason(2), ""); // a list read or cleared forgets the reasons of the last runs
    table.setRowCount(0);
    EXPECT_EQ(table.rowCount(), 1);
}

TEST(TaskTableCurrentRow, IsAlwaysZeroOrATaskRow)
{
    TaskTable table;
    table.setCurrentRow(1);
    EXPECT_EQ(table.currentRow(), 0);
    table.appendRow();
    table.appendRow();
    table.appendRow();
    table.setCurrentRow(3);
    EXPECT_EQ(table.currentRow(), 3);
    table.setCurrentRow(7);
    EXPECT_EQ(table.currentRow(), 3);
    table.setRowCount(3);
    EXPECT_EQ(table.currentRow(), 2);
    table.setRowCount(1);
    EXPECT_EQ(table.currentRow(), 0);
}

TEST(TaskTableFixedRows, HeaderIsFixedOnlyWhileThereAreTasks)
{
    TaskTable table;
    table.fixHeaderIfTasks();
    EXPECT_EQ(table.fixedRows(), 0);
    table.appendRow();
    table.fixHeaderIfTasks();
    EXPECT_EQ(table.fixedRows(), 1);
    table.setRowCount(1);
    EXPECT_EQ(table.fixedRows(), 0);
}

TEST(TaskTableListeners, AreToldOfEveryKindOfChange)
{
    TaskTable table;
    std::vector<TableChange::Kind> kinds;
    const int id = table.addListener([&](const TableChange& change) { kinds.push_back(change.kind); });
    const int row = table.appendRow();
    table.setCell(ColStatus, row, "1");
    table.setCurrentRow(row);
    table.fixHeaderIfTasks();
    const std::vector<TableChange::Kind> expected = {TableChange::Kind::Rows, TableChange::Kind::Cell,
                                                     TableChange::Kind::CurrentRow,
                                                     TableChange::Kind::FixedRows};
    EXPECT_EQ(kinds, expected);
    table.removeListener(id);
    table.setCell(ColStatus, row, "2");
    EXPECT_EQ(kinds.size(), expected.size());
}

TEST(TaskTableListeners, LearnWhetherACellWriteChangedTheText)
{
    TaskTable table;
    const int row = table.appendRow();
    std::vector<bool> changed;
    table.addListener([&](const TableChange& change) { changed.push_back(change.textChanged); });
    table.setCell(ColStatus, row, "2");
    table.setCell(ColStatus, row, "2");
    table.setCell(ColStatus, row, "3");
    EXPECT_EQ(changed, (std::vector<bool>{true, false, true}));
}

TEST(TaskCodes, AreComparedExactly)
{
    TaskTable table;
    const int row = table.appendRow();
    for (const std::string text : {" 1", "01", "1 ", "", "1\r"}) {
        table.setCell(ColStatus, row, text);
        EXPECT_FALSE(table.cell(ColStatus, row) == Status::New) << '"' << text << '"';
    }
    table.setCell(ColStatus, row, "1");
    EXPECT_TRUE(table.cell(ColStatus, row) == Status::New);
    table.setCell(ColSchedule, row, "no");
    EXPECT_FALSE(table.cell(ColSchedule, row) == Schedule::None);
}
