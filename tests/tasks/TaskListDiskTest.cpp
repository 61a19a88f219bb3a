#include "ListTables.h"
#include "platform/files/AtomicFileWriter.h"
#include "support/TempDir.h"
#include "tasks/InOutError.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zv;
using namespace zv::test;
namespace fs = std::filesystem;

namespace {

std::string writeError(const TaskTable& table, const std::string& file)
{
    try {
        TaskListWriter::writeList(table, file);
    } catch (const InOutError& error) {
        return error.what();
    }
    return {};
}

std::string readError(TaskTable& table, const std::string& file)
{
    try {
        TaskListReader::readList(table, file);
    } catch (const InOutError& error) {
        return error.what();
    }
    return {};
}

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST(TaskListOnDisk, WrittenListReadsBack)
{
    TempDir dir;
    const TaskTable table = tableWithTasks(3);
    ASSERT_EQ(writeError(table, dir.file("list.log")), "");
    EXPECT_EQ(readFile(dir.file("list.log")), listBytes(table));
    TaskTable back;
    back.writeHeader();
    ASSERT_EQ(readError(back, dir.file("list.log")), "");
    EXPECT_EQ(rowsOf(back), rowsOf(table));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(TaskListOnDisk, ReadFailuresGiveTheSystemTextsAndChangeNothing)
{
    TempDir dir;
    writeFile(dir.file("plain"), "x");
    fs::create_directory(dir.path() / "folder.log");
    TaskTable table = tableWithTasks(2);
    const auto before = rowsOf(table);

    EXPECT_EQ(readError(table, dir.file("missing.log")), "File not found");
    EXPECT_EQ(readError(table, dir.file("plain/list.log")), "Invalid filename");
    EXPECT_EQ(readError(table, dir.file("folder.log")), "File access denied");
    EXPECT_EQ(readError(table, "/dev/zero"), "File access denied");
    EXPECT_EQ(rowsOf(table), before);
}

TEST(TaskListOnDisk, WriteFailuresGiveTheSystemTexts)
{
    TempDir dir;
    writeFile(dir.file("plain"), "x");
    fs::create_directory(dir.path() / "folder.log");
    const TaskTable table = tableWithTasks(2);

    EXPECT_EQ(writeError(table, dir.file("plain/list.log")), "Invalid filename");
    EXPECT_EQ(writeError(table, dir.file("folder.log")), "File access denied");
    EXPECT_EQ(writeError(table, dir.file("no/such/folder/list.log")), "File not found");
    EXPECT_EQ(writeError(table, "/dev/full"), "Disk full");
    // The device is written, never replaced.
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.log"));
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(TaskListOnDisk, AnInterruptedWriteLeavesTheOldFileByteIdentical)
{
    TempDir dir;
    const std::string file = dir.file("vt_tasks.log");
    const std::string old = listBytes(tableWithTasks(4));
    writeFile(file, old);
    const TaskTable table = tableWithTasks(9);
    {
        AtomicFileWriter writer(file);
        FailingSink failing(writer, listBytes(table).size() / 2);
        try {
            TaskListWriter::write(table, failing);
            FAIL() << "no error";
        } catch (const std::system_error& error) {
            EXPECT_STREQ(InOutError::fromSystemError(error).what(), "Disk full");
        }
    }
    EXPECT_EQ(readFile(file), old);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(TaskListOnDisk, AListReachedThroughASymlinkIsWrittenThroughIt)
{
    TempDir dir;
    fs::create_directory(dir.path() / "real");
    const fs::path target = dir.path() / "real" / "tasks.log";
    writeFile(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real/tasks.log", dir.path() / "vt_tasks.log");

    const TaskTable table = tableWithTasks(2);
    ASSERT_EQ(writeError(table, dir.file("vt_tasks.log")), "");

    EXPECT_TRUE(fs::is_symlink(dir.path() / "vt_tasks.log"));
    EXPECT_EQ(readFile(target), listBytes(table));
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entriesIn(dir.path() / "real"), 1u);
}
