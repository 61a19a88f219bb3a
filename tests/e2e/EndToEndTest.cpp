#include "ProgramRun.h"

#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/wait.h>

using namespace zv;
using namespace zv::test;

namespace fs = std::filesystem;

namespace {

class EndToEndTest : public ::testing::Test {
protected:
    EndToEndTest() : program(dir.path() / "program")
    {
        fs::create_directory(dir.path() / "dl");
        TestResource resource;
        resource.body = body;
        resource.delayPerChunk = std::chrono::milliseconds(20); // long enough to watch it run
        server.serve("/data/archive.zip", resource);
    }

    // A list with one task scheduled long ago, as a user's earlier run would have left it.
    void writeScheduledList()
    {
        TaskTable table;
        table.writeHeader();
        const int row = table.appendRow();
        const std::vector<std::pair<int, std::string>> cells = {
            {ColStatus, "1"}, {ColProcess, "1"}, {ColFileName, "archive.zip"}, {ColSize, "195.31 KB"},
            {ColSizeLoaded, "0 Byte"}, {ColUrl, server.url("/data/archive.zip")},
            {ColPath, (dir.path() / "dl").string()}, {ColSchedule, "01.01.2020 1:00:00"}};
        for (const auto& [column, text] : cells)
            table.setCell(column, row, text);
        TaskListWriter::writeList(table, (program.folder() / "vt_tasks.log").string());
    }

    TaskTable savedList() const
    {
        TaskTable table;
        table.writeHeader();
        TaskListReader::readList(table, (program.folder() / "vt_tasks.log").string());
        return table;
    }

    bool fileArrived() const
    {
        const fs::path file = dir.path() / "dl" / "archive.zip";
        std::error_code error;
        return fs::file_size(file, error) == body.size() && !error;
    }

    const std::string body = TestServer::pattern(200'000);
    TestServer server;
    TempDir dir;
    ProgramRun program;
};

} // namespace

TEST_F(EndToEndTest, ScheduledTaskDownloadsAndSigtermSavesTheList)
{
    writeScheduledList();
    program.start();
    ASSERT_TRUE(waitFor([&] { return fileArrived(); }, std::chrono::seconds(60)));
    // The completion reaches the table just after the last bytes reach the disk.
    ASSERT_TRUE(waitFor([&] { return server.requestsFor("/data/archive.zip").size() >= 2; },
                        std::chrono::seconds(5)));
    const int status = program.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(dir.path() / "dl" / "archive.zip"), body);
    const TaskTable saved = savedList();
    ASSERT_EQ(saved.rowCount(), 2);
    EXPECT_EQ(saved.cell(ColStatus, 1), "3");
    EXPECT_EQ(saved.cell(ColProcess, 1), "0");
    EXPECT_FALSE(saved.cell(ColTimeOfEnd, 1).empty());
}

TEST_F(EndToEndTest, SigtermWhileDownloadingKeepsTheRowRunningAndThePartialFile)
{
    TestResource stalling;
    stalling.body = body;
    stalling.stallAt = 50'000;
    server.serve("/data/archive.zip", stalling);
    writeScheduledList();
    program.start();
    const fs::path file = dir.path() / "dl" / "archive.zip";
    ASSERT_TRUE(waitFor([&] {
        std::error_code error;
        return fs::file_size(file, error) >= 40'000 && !error;
    }, std::chrono::seconds(60)));
    const int status = program.stop(SIGINT);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    const TaskTable saved = savedList();
    EXPECT_EQ(saved.cell(ColStatus, 1), "2");
    EXPECT_EQ(saved.cell(ColProcess, 1), "2");
    EXPECT_EQ(readFile(file), body.substr(0, fs::file_size(file)));
    server.releaseStalls();
}
