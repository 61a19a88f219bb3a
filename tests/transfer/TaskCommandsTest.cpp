#include "transfer/TaskCommands.h"
#include "transfer/TaskDraft.h"
#include "transfer/TransferFixture.h"

using namespace zv;
using namespace zv::test;

namespace {

class TaskCommandsTest : public TransferFixture {
protected:
    TaskDraft draft(const std::string& name) const
    {
        return {server.url("/" + name), dir.path().string(), name, "1.50 KB", "No"};
    }

    TaskCommands commands{table, operations, dialogs};
};

} // namespace

TEST_F(TaskCommandsTest, AnAddedTaskIsNewIdleAndUnrunAtTheEndWithTheHeaderFixed)
{
    const TaskId task = commands.add(draft("a.zip"));
    ASSERT_EQ(table.rowOf(task), 1);
    EXPECT_EQ(codes(1), "1/1");
    EXPECT_EQ(table.cell(ColFileName, 1), "a.zip");
    EXPECT_EQ(table.cell(ColSize, 1), "1.50 KB");
    EXPECT_EQ(table.cell(ColSizeLoaded, 1), "0 Byte");
    EXPECT_EQ(table.cell(ColUrl, 1), server.url("/a.zip"));
    EXPECT_EQ(table.cell(ColPath, 1), dir.path().string());
    EXPECT_EQ(table.cell(ColSchedule, 1), "No");
    EXPECT_EQ(table.cell(ColTimeOfBeginning, 1), "");
    EXPECT_EQ(table.fixedRows(), 1);
    EXPECT_EQ(worker(1), nullptr);
}

TEST_F(TaskCommandsTest, AModifiedStoppedTaskIsNewAgainAndKeepsItsTimes)
{
    const int row = addTask(server.url("/a.zip"), "a.zip", Status::Started, Process::Idle);
    addTask(server.url("/other.zip"), "other.zip");
    table.setCell(ColTimeOfBeginning, row, "14.04.2007 1:30:00");
    table.setCell(ColTimeOfEnd, row, "end");
    table.setCell(ColSizeLoaded, row, "12.00 KB");
    ASSERT_TRUE(commands.modify(table.idOf(row), draft("b.zip")));
    EXPECT_EQ(table.taskCount(), 2);
    EXPECT_EQ(codes(row), "1/1");
    EXPECT_EQ(table.cell(ColFileName, row), "b.zip");
    EXPECT_EQ(table.cell(ColSize, row), "1.50 KB");
    EXPECT_EQ(table.cell(ColSizeLoaded, row), "0 Byte");
    EXPECT_EQ(table.cell(ColTimeOfBeginning, row), "14.04.2007 1:30:00");
    EXPECT_EQ(table.cell(ColTimeOfEnd, row), "end");
    EXPECT_EQ(table.cell(ColFileName, 2), "other.zip");
}
