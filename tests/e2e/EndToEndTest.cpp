#include "ProgramRun.h"

#include "support/NotificationServerStandIn.h"
#include "support/PrivateSessionBus.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <QCoreApplication>

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

    // The running program's recovery copy shows the row's codes about a second after they change.
    bool recoveryCopyShows(const std::string& codes) const
    {
        try {
            TaskTable table;
            TaskListReader::readList(table, (program.folder() / "vt_tasks.log.recover").string());
            return table.rowCount() >= 2 && table.cell(ColStatus, 1) + "/" + table.cell(ColProcess, 1) == codes;
        } catch (...) {
            return false;
        }
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

// A closed terminal (SIGHUP) saves as SIGTERM does; SIGTERM itself is sent by the other cases.
TEST_F(EndToEndTest, ScheduledTaskDownloadsAndSighupSavesTheList)
{
    writeScheduledList();
    program.start();
    ASSERT_TRUE(waitFor([&] { return fileArrived(); }, std::chrono::seconds(60)));
    // The completion reaches the table just after the last bytes reach the disk.
    ASSERT_TRUE(waitFor([&] { return recoveryCopyShows("3/0"); }, std::chrono::seconds(10)));
    const int status = program.stop(SIGHUP);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(dir.path() / "dl" / "archive.zip"), body);
    const TaskTable saved = savedList();
    ASSERT_EQ(saved.rowCount(), 2);
    EXPECT_EQ(saved.cell(ColStatus, 1), "3");
    EXPECT_EQ(saved.cell(ColProcess, 1), "0");
    EXPECT_FALSE(saved.cell(ColTimeOfEnd, 1).empty());
}

TEST_F(EndToEndTest, AFinishedDownloadIsToldToTheDesktopsNotificationServer)
{
    if (!PrivateSessionBus::available())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateSessionBus bus;
    ASSERT_FALSE(bus.address().empty());
    NotificationServerStandIn notifications(bus.address(), {"actions", "body"});
    ASSERT_TRUE(notifications.registered());
    writeScheduledList();
    program.setEnvironment("DBUS_SESSION_BUS_ADDRESS", bus.address());
    program.start();
    // The stand-in answers from this thread's event loop.
    ASSERT_TRUE(waitFor(
        [&] {
            QCoreApplication::processEvents();
            return !notifications.calls.empty();
        },
        std::chrono::seconds(60)));
    EXPECT_TRUE(fileArrived());
    const NotificationServerStandIn::Call& call = notifications.calls.front();
    EXPECT_EQ(call.appName, "Zare Vantrel");
    EXPECT_EQ(call.summary, "Download finished");
    EXPECT_EQ(call.body.toStdString(), "archive.zip\nin " + (dir.path() / "dl").string());
    EXPECT_EQ(call.actions, QStringList({"default", "Open folder", "open-folder", "Open folder"}));
    EXPECT_EQ(program.stop(SIGTERM), 0);
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

TEST_F(EndToEndTest, TaskAddedThroughTheEditorDownloadsAtOnce)
{
    program.start();
    std::string mainWindow;
    ASSERT_TRUE(waitFor([&] {
        mainWindow = ProgramRun::command("xdotool search --name '^Zare Vantrel v1.0$' | head -1");
        return !mainWindow.empty();
    }, std::chrono::seconds(30)));
    mainWindow.pop_back();
    // "New task" from the keyboard, then the editor's fields and buttons by their places.
    std::string editor;
    ASSERT_TRUE(waitFor([&] {
        ProgramRun::command("xdotool windowfocus --sync " + mainWindow + " key ctrl+F5");
        editor = ProgramRun::command("xdotool search --name 'Addition/Updating of the task' | head -1");
        return !editor.empty();
    }, std::chrono::seconds(30)));
    editor.pop_back();
    const std::string url = server.url("/data/archive.zip");
    ProgramRun::command("xdotool windowfocus --sync " + editor + " key ctrl+a type --delay 5 '" + url + "'");
    ProgramRun::command("xdotool mousemove --window " + editor + " 26 184 click 1");  // Immediately
    ProgramRun::command("xdotool mousemove --window " + editor + " 324 248 click 1"); // Add task!
    const fs::path file = program.folder() / "Downloads" / "archive.zip";
    ASSERT_TRUE(waitFor([&] {
        std::error_code error;
        return fs::file_size(file, error) == body.size() && !error;
    }, std::chrono::seconds(60)));
    ASSERT_TRUE(waitFor([&] { return recoveryCopyShows("3/0"); }, std::chrono::seconds(10)));
    const int status = program.stop(SIGHUP);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(readFile(file), body);
    const TaskTable saved = savedList();
    ASSERT_EQ(saved.rowCount(), 2);
    EXPECT_EQ(saved.cell(ColUrl, 1), url);
    EXPECT_EQ(saved.cell(ColFileName, 1), "archive.zip");
    EXPECT_EQ(saved.cell(ColSchedule, 1), "No");
    EXPECT_EQ(saved.cell(ColStatus, 1), "3");
    EXPECT_EQ(saved.cell(ColProcess, 1), "0");
}
