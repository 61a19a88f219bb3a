#include "ProgramRun.h"

#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>

#include <sys/wait.h>

using namespace zv;
using namespace zv::test;

namespace fs = std::filesystem;

namespace {

fs::path packageTree()
{
    const char* tree = std::getenv("ZV_PACKAGE_TREE");
    return tree ? tree : "";
}

std::set<fs::path> contents(const fs::path& folder)
{
    std::set<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        found.insert(entry.path());
    return found;
}

// The installed program with a home of its own; the server has one file for it.
class InstalledProgram : public ::testing::Test {
protected:
    InstalledProgram() : program(packageTree() / "usr/lib/zare-vantrel")
    {
        // The data folder under the home, as for most users.
        ::unsetenv("XDG_DATA_HOME");
        program.setHome(home.path());
        fs::create_directory(home.path() / "dl");
        TestResource resource;
        resource.body = body;
        server.serve("/data/archive.zip", resource);
    }

    fs::path dataFolder() const { return home.path() / ".local/share/zare-vantrel"; }
    fs::path list() const { return dataFolder() / "vt_tasks.log"; }

    // One task scheduled long ago: the start downloads it.
    void writeScheduledList() const
    {
        TaskTable table;
        table.writeHeader();
        const int row = table.appendRow();
        const std::vector<std::pair<int, std::string>> cells = {
            {ColStatus, "1"}, {ColProcess, "1"}, {ColFileName, "archive.zip"}, {ColSize, "97.66 KB"},
            {ColSizeLoaded, "0 Byte"}, {ColUrl, server.url("/data/archive.zip")},
            {ColPath, (home.path() / "dl").string()}, {ColSchedule, "01.01.2020 1:00:00"}};
        for (const auto& [column, text] : cells)
            table.setCell(column, row, text);
        TaskListWriter::writeList(table, list().string());
    }

    // "status/process" of the list's task, or what the list holds instead.
    std::string savedCodes() const
    {
        if (!fs::exists(list()))
            return "no list";
        TaskTable table;
        table.writeHeader();
        TaskListReader::readList(table, list().string());
        if (table.rowCount() != 2)
            return std::to_string(table.rowCount() - 1) + " tasks";
        return table.cell(ColStatus, 1) + "/" + table.cell(ColProcess, 1);
    }

    bool fileArrived() const
    {
        std::error_code error;
        return fs::file_size(home.path() / "dl" / "archive.zip", error) == body.size() && !error;
    }

    int closeBySigterm()
    {
        const int status = program.stop(SIGTERM);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string body = TestServer::pattern(100'000);
    TestServer server;
    TempDir home;
    ProgramRun program;
};

} // namespace

TEST_F(InstalledProgram, KeepsItsListInTheUsersDataFolderAndReadsItBackAtTheNextStart)
{
    ASSERT_TRUE(fs::exists(program.folder() / "installed-by-package")) << "ZV_PACKAGE_TREE names no extracted package";
    const std::set<fs::path> installed = contents(program.folder());

    // A first start makes the missing folder and an empty list in it.
    program.start();
    ASSERT_TRUE(program.running());
    ASSERT_EQ(closeBySigterm(), 0);
    EXPECT_EQ(savedCodes(), "0 tasks");

    // A task from a list in that folder runs, and its end is written there.
    writeScheduledList();
    program.start();
    ASSERT_TRUE(waitFor([&] { return fileArrived(); }, std::chrono::seconds(60)));
    const fs::path copy = list().string() + ".recover";
    ASSERT_TRUE(waitFor([&] {
        try {
            TaskTable table;
            TaskListReader::readList(table, copy.string());
            return table.rowCount() == 2 && table.cell(ColStatus, 1) == "3";
        } catch (...) {
            return false;
        }
    }, std::chrono::seconds(10)));
    ASSERT_EQ(closeBySigterm(), 0);
    EXPECT_EQ(savedCodes(), "3/0");

    // The next start reads it back: one that did not would save an empty list over it.
    program.start();
    ASSERT_TRUE(program.running());
    ASSERT_EQ(closeBySigterm(), 0);
    EXPECT_EQ(savedCodes(), "3/0");
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(contents(program.folder()), installed);
}

TEST_F(InstalledProgram, SharesOneRunningCopyWithTheUserInstallInItsDataFolder)
{
    program.start();
    ASSERT_TRUE(program.running());
    // scripts/install-desktop's layout: the build's program in the data folder, beside the list.
    ProgramRun userInstall(dataFolder());
    userInstall.setHome(home.path());
    userInstall.start();
    EXPECT_EQ(userInstall.waitForExit(std::chrono::seconds(20)), 0);
    EXPECT_TRUE(program.running());
    ASSERT_EQ(closeBySigterm(), 0);
}
