#include "ListTables.h"
#include "tasks/InOutError.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace zv;
using namespace zv::test;

namespace {

// The text of the InOutError that reading the bytes throws, or "" when none is thrown.
std::string readError(TaskTable& table, const std::string& bytes)
{
    try {
        readBytes(table, bytes);
    } catch (const InOutError& error) {
        return error.what();
    }
    return {};
}

std::string withLfOnly(std::string bytes)
{
    std::string result;
    for (char byte : bytes) {
        if (byte != '\r')
            result += byte;
    }
    return result;
}

} // namespace

TEST(TaskListWriter, TableWithoutTasksWritesTheTwoCountLines)
{
    TaskTable empty;
    empty.writeHeader();
    const std::string bytes = listBytes(empty);
    EXPECT_EQ(bytes, "10\r\n1\r\n");

    TaskTable table = tableWithTasks(2);
    readBytes(table, bytes);
    EXPECT_EQ(rowsOf(table), rowsOf(empty));
}

TEST(TaskListWriter, CellsGoInColumnMajorOrder)
{
    const std::string bytes = listBytes(tableWithTasks(2));
    std::string expected = "10\r\n3\r\n";
    for (int column = 0; column < TaskTable::ColumnCount; ++column) {
        for (int row = 1; row <= 2; ++row)
            expected += "c" + std::to_string(column) + "r" + std::to_string(row) + "\r\n";
    }
    EXPECT_EQ(bytes, expected);
}

TEST(TaskListWriter, CrAndLfInACellAreWrittenAsSpaces)
{
    TaskTable table = tableWithTasks(1);
    table.setCell(ColFileName, 1, "a\r\nb\rc\nd");
    addTask(table, namedCells(2));

    TaskTable back;
    readBytes(back, listBytes(table));

    EXPECT_EQ(back.cell(ColFileName, 1), "a  b c d");
    // Nothing after the cell moved.
    EXPECT_EQ(back.cell(ColFileName, 2), "c2r2");
    EXPECT_EQ(back.cell(ColSchedule, 2), "c9r2");
    // The table itself keeps its bytes.
    EXPECT_EQ(table.cell(ColFileName, 1), "a\r\nb\rc\nd");
}

TEST(TaskListRoundTrip, EveryByteButCrAndLfAndEmptyCellsSurvive)
{
    TaskTable table;
    table.writeHeader();
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n')
            everyByte += static_cast<char>(byte);
    }
    Cells first = namedCells(1);
    first[ColUrl] = everyByte;
    first[ColTimeOfBeginning] = "";
    first[ColTimeOfEnd] = "";
    addTask(table, first);
    addTask(table, Cells{});
    addTask(table, namedCells(3));

    const std::string bytes = listBytes(table);
    TaskTable crLf;
    crLf.writeHeader();
    readBytes(crLf, bytes);
    EXPECT_EQ(rowsOf(crLf), rowsOf(table));

    TaskTable lf;
    lf.writeHeader();
    readBytes(lf, withLfOnly(bytes));
    EXPECT_EQ(rowsOf(lf), rowsOf(table));
}

TEST(TaskListReader, OnlyTheCountsAreUsedWhenTheRowCountIsOne)
{
    TaskTable table = tableWithTasks(3);
    readBytes(table, "10\r\n1\r\nc0r1\r\nc0r2\r\n");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cell(ColStatus, 0), "Status");
}

TEST(TaskListReader, AColumnCountOfOneOrLessLeavesTheTableUntouched)
{
    for (const std::string bytes : {"", "0\r\n3\r\nx\r\n", "1\r\n3\r\nx\r\n", "-7\n", "\r\n10\r\n3\r\n"}) {
        TaskTable table = tableWithTasks(3);
        table.setCurrentRow(2);
        const auto before = rowsOf(table);
        EXPECT_EQ(readError(table, bytes), "") << bytes;
        EXPECT_EQ(rowsOf(table), before) << bytes;
        EXPECT_EQ(table.currentRow(), 2);
    }
}

TEST(TaskListReader, MissingLinesReadAsEmptyCellsAndOldCellsGo)
{
    TaskTable table = tableWithTasks(5);
    EXPECT_EQ(readError(table, "10\r\n3\r\nnew1\r\nnew2\r\nidle"), "");
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cell(ColStatus, 1), "new1");
    EXPECT_EQ(table.cell(ColStatus, 2), "new2");
    EXPECT_EQ(table.cell(ColProcess, 1), "idle");
    for (int column = ColProcess; column < TaskTable::ColumnCount; ++column) {
        EXPECT_EQ(table.cell(column, 2), "") << column;
        if (column > ColProcess) {
            EXPECT_EQ(table.cell(column, 1), "") << column;
        }
    }
    EXPECT_EQ(table.cell(ColUrl, 0), "URL");
}

TEST(TaskListReader, CountLinesAreDecimalNumbersFollowedByAnything)
{
    EXPECT_EQ(TaskListReader::parseCount("10"), 10);
    EXPECT_EQ(TaskListReader::parseCount("  3 tasks\r"), 3);
    EXPECT_EQ(TaskListReader::parseCount("+4"), 4);
    EXPECT_EQ(TaskListReader::parseCount("-2"), -2);
    EXPECT_EQ(TaskListReader::parseCount(""), 0);
    EXPECT_GT(TaskListReader::parseCount(std::string(400, '9')), 1'000'000);
    for (const char* text : {"ten", "10abc", "1.5", "-", "0x10"})
        EXPECT_THROW(TaskListReader::parseCount(text), InOutError) << text;

    // A row count below 1 counts as 1.
    TaskTable table = tableWithTasks(2);
    readBytes(table, "10\r\n-5\r\nx\r\n");
    EXPECT_EQ(table.rowCount(), 1);
}

TEST(TaskListReader, ACountLineThatIsNotANumberChangesNothing)
{
    for (const std::string bytes : {"ten\r\n3\r\n", "10\r\nthree\r\nx\r\n", "10abc\r\n"}) {
        TaskTable table = tableWithTasks(3);
        const auto before = rowsOf(table);
        EXPECT_EQ(readError(table, bytes), "Invalid numeric input") << bytes;
        EXPECT_EQ(rowsOf(table), before) << bytes;
    }
}

TEST(TaskListReader, RefusesAListTheTableCannotHold)
{
    TaskTable table = tableWithTasks(2);
    const auto before = rowsOf(table);

    EXPECT_EQ(readError(table, "12\r\n3\r\nx\r\n"),
              "This is not a task list: it announces 12 columns instead of 10. Nothing was loaded");
    EXPECT_EQ(readError(table, "10\r\n256\r\nx\r\n"),
              "The task list announces 255 tasks, more than the 254 a list can hold. Nothing was loaded");
    EXPECT_NE(readError(table, "10\r\n" + std::string(40, '9') + "\r\n"), "");
    EXPECT_EQ(rowsOf(table), before);

    EXPECT_EQ(readError(table, "10\r\n255\r\n"), "");
    EXPECT_EQ(table.taskCount(), TaskTable::MaxTasks);
}

TEST(TaskListReader, AFailurePartWayKeepsTheCellsReadSoFar)
{
    TaskTable table = tableWithTasks(4);
    const std::string bytes = listBytes(tableWithTasks(3));
    // Fails inside the first cell of column 1.
    const std::size_t failAt = bytes.find("c1r1") + 2;
    MemorySource source(bytes, 7, failAt);
    try {
        TaskListReader::read(table, source);
        FAIL() << "no error";
    } catch (const InOutError& error) {
        EXPECT_STREQ(error.what(), "I/O error 5");
    }
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.cell(ColStatus, 3), "c0r3");
    EXPECT_EQ(table.cell(ColProcess, 1), "");
    EXPECT_EQ(table.cell(ColSchedule, 3), "");
}

TEST(TaskListReader, TheCurrentRowStaysATaskRow)
{
    TaskTable table = tableWithTasks(5);
    table.setCurrentRow(4);
    readBytes(table, listBytes(tableWithTasks(2)));
    EXPECT_EQ(table.currentRow(), 2);
    table.setCurrentRow(1);
    readBytes(table, listBytes(tableWithTasks(3)));
    EXPECT_EQ(table.currentRow(), 1);
    readBytes(table, "10\r\n1\r\n");
    EXPECT_EQ(table.currentRow(), 0);
}

TEST(TaskListReader, AListThatMustBeWholeIsRefusedWhenItEndsEarly)
{
    const std::string whole = listBytes(tableWithTasks(2));
    // Only a missing line makes a cut: the last line may lack its line end.
    for (const std::string& bytes : {whole, listBytes(tableWithTasks(0)), whole.substr(0, whole.size() - 2),
                                     std::string("10\r\n1")}) {
        TaskTable table;
        MemorySource source(bytes);
        EXPECT_NO_THROW(TaskListReader::readWhole(table, source)) << bytes.size();
        EXPECT_EQ(listBytes(table).substr(0, bytes.size()), bytes);
    }
    // Cut before the last line, after a few lines, in the counts.
    for (const std::size_t cut : {whole.rfind('\n', whole.size() - 2) + 1, whole.size() / 2, std::size_t{6},
                                  std::size_t{0}}) {
        TaskTable table;
        MemorySource source(whole.substr(0, cut));
        try {
            TaskListReader::readWhole(table, source);
            ADD_FAILURE() << "a list cut at " << cut << " was taken";
        } catch (const InOutError& error) {
            EXPECT_STREQ(error.what(), "The task list ends before its last task");
        }
    }
}

TEST(InOutError, SystemErrorNumbersGiveTheSystemTexts)
{
    const std::pair<int, const char*> cases[] = {
        {ENOENT, "File not found"},      {ENOTDIR, "Invalid filename"},
        {ENAMETOOLONG, "Invalid filename"}, {EMFILE, "Too many open files"},
        {EACCES, "File access denied"},  {EISDIR, "File access denied"},
        {EROFS, "File access denied"},   {ENOSPC, "Disk full"},
        {EIO, "I/O error 5"},            {EFBIG, "I/O error 27"},
    };
    for (const auto& [number, text] : cases)
        EXPECT_STREQ(InOutError::fromErrorNumber(number).what(), text) << number;
}
