#include "ListTables.h"
#include "platform/text/ApplicationTitle.h"
#include "support/LockedFolder.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "tasks/TaskCodes.h"
#include "tasks/InOutError.h"
#include "tasks/TaskListFile.h"
#include "tasks/TaskListWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zv;
using namespace zv::test;
namespace fs = std::filesystem;

namespace {

// A program folder with its default list file, and the operations on them.
struct ListFileFixture : ::testing::Test {
    ListFileFixture() { table.writeHeader(); }

    std::string defaultFile() const { return dir.file("vt_tasks.log"); }
    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : dialogs.messages)
            texts.push_back(message.text);
        return texts;
    }
    void expectOnlyErrorReport(const std::string& text)
    {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, text);
        EXPECT_EQ(dialogs.messages[0].caption, ApplicationTitle);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    }
    void expectStopTasksWarning()
    {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Tasks should be stopped!");
        EXPECT_EQ(dialogs.messages[0].caption, "Tasks are not stopped");
    }

    TempDir dir;
    TaskTable table;
    RecordingDialogs dialogs;
    TaskListFile file{table, dialogs, dir.path().string()};
};

// Three hundred tasks, more than a list may hold.
std::string oversizedList()
{
    std::string bytes = "10\r\n301\r\n";
    for (int line = 0; line < 3000; ++line)
        bytes += "cell " + std::to_string(line) + "\r\n";
    return bytes;
}

} // namespace

using TaskListStartUp = ListFileFixture;

TEST_F(TaskListStartUp, AMissingDefaultFileIsCreatedEmptyWithoutAWord)
{
    EXPECT_EQ(file.defaultListFile(), defaultFile());
    EXPECT_EQ(file.currentListFile(), defaultFile());
    file.loadAtStartUp();
    EXPECT_TRUE(fs::is_regular_file(defaultFile()));
    EXPECT_EQ(fs::file_size(defaultFile()), 0u);
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TaskListStartUp, TheDefaultListIsLoadedUnderAFixedHeader)
{
    const TaskTable saved = tableWithTasks(3);
    writeFile(defaultFile(), listBytes(saved));
    file.loadAtStartUp();
    EXPECT_EQ(rowsOf(table), rowsOf(saved));
    EXPECT_EQ(table.fixedRows(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TaskListStartUp, ARefusedListIsKeptAsABadCopyBeforeTheCloseWritesOverIt)
{
    const std::string oversized = oversizedList();
    writeFile(defaultFile(), oversized);

    file.loadAtStartUp();

    expectOnlyErrorReport("The task list announces 300 tasks, more than the 254 a list can hold."
                          " Nothing was loaded. A copy of the list file was kept as \""
                          + defaultFile() + ".bad\".");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(readFile(defaultFile() + ".bad"), oversized);
    ASSERT_TRUE(file.saveAtClose());
    EXPECT_EQ(readFile(defaultFile()), "10\r\n1\r\n");
    EXPECT_EQ(readFile(defaultFile() + ".bad"), oversized);

    // A later bad start never writes over the earlier copy.
    writeFile(defaultFile(), "10\r\nbroken\r\n");
    TaskTable nextTable;
    RecordingDialogs nextDialogs;
    TaskListFile(nextTable, nextDialogs, dir.path().string()).loadAtStartUp();
    ASSERT_EQ(nextDialogs.messages.size(), 1u);
    EXPECT_EQ(nextDialogs.messages[0].text, "Invalid numeric input. A copy of the list file was kept as \""
                                                + defaultFile() + ".bad.2\".");
    EXPECT_EQ(readFile(defaultFile() + ".bad"), oversized);
    EXPECT_EQ(readFile(defaultFile() + ".bad.2"), "10\r\nbroken\r\n");
}

TEST_F(TaskListStartUp, AListCutShortShowsWhatItHoldsAndIsKeptBeforeTheCloseWritesOverIt)
{
    const TaskTable saved = tableWithTasks(3);
    const std::string whole = listBytes(saved);
    const std::string cut = whole.substr(0, whole.size() - 20);
    writeFile(defaultFile(), cut);

    file.loadAtStartUp();

    expectOnlyErrorReport("The task list ends before its last task. A copy of the list file was kept as \""
                          + defaultFile() + ".bad\".");
    ASSERT_EQ(table.rowCount(), saved.rowCount());
    EXPECT_EQ(table.cell(ColStatus, 1), saved.cell(ColStatus, 1));
    EXPECT_EQ(readFile(defaultFile() + ".bad"), cut);
    ASSERT_TRUE(file.saveAtClose());
    EXPECT_EQ(readFile(defaultFile() + ".bad"), cut);
}

TEST_F(TaskListStartUp, AWholeListWhoseLastLineHasNoLineEndIsReadAsWhole)
{
    const TaskTable saved = tableWithTasks(3);
    const std::string whole = listBytes(saved);
    writeFile(defaultFile(), whole.substr(0, whole.size() - 2));

    file.loadAtStartUp();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(rowsOf(table), rowsOf(saved));
    EXPECT_FALSE(fs::exists(defaultFile() + ".bad"));
}

TEST_F(TaskListStartUp, OnlyTheTemporaryFilesOfKilledListAndSettingsWritesAreRemoved)
{
    const std::vector<std::string> litter = {".vt_tasks.log.tmp-0a1b2c3d", ".vt_tasks.log.recover.tmp-ffff0000",
                                             ".vt_tasks_recovered.log.2.tmp-12345678", ".zare-vantrel.conf.tmp-00ff00ff"};
    const std::vector<std::string> kept = {".vt_tasks.log.tmp-0A1B2C3D", ".vt_tasks.log.tmp-123",
                                           "vt_tasks.log.tmp-12345678", ".mine.log.tmp-12345678",
                                           ".vt_tasks.log.bad.tmp-12345678"};
    for (const auto& name : litter)
        writeFile(dir.file(name), "10\r\n");
    for (const auto& name : kept)
        writeFile(dir.file(name), "10\r\n");
    // Only regular files: neither a folder nor a link of that name, nor what a link names.
    fs::create_directory(dir.file(".vt_tasks.log.tmp-aaaaaaaa"));
    fs::create_symlink(dir.file(kept[0]), dir.file(".vt_tasks.log.tmp-bbbbbbbb"));

    file.loadAtStartUp();
    for (const auto& name : litter)
        EXPECT_FALSE(fs::exists(dir.file(name))) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(dir.file(name))) << name;
    EXPECT_TRUE(fs::is_directory(dir.file(".vt_tasks.log.tmp-aaaaaaaa")));
    EXPECT_TRUE(fs::is_symlink(dir.file(".vt_tasks.log.tmp-bbbbbbbb")));
}

TEST_F(TaskListStartUp, AListThatCanBeNeitherReadNorCopiedIsNeverWrittenOver)
{
    const std::string oversized = oversizedList();
    writeFile(defaultFile(), oversized);
    {
        const LockedFolder locked(dir.path());
        if (!locked.refusesNewFiles())
            GTEST_SKIP() << "this file system cannot make a folder refuse new files";
        file.loadAtStartUp();
        EXPECT_FALSE(file.saveAtClose());
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text,
              "The task list announces 300 tasks, more than the 254 a list can hold. Nothing was loaded."
              " The list file could not be copied, so it will not be overwritten.");
    EXPECT_NE(dialogs.messages[1].text.find("Save database as.."), std::string::npos);
    EXPECT_EQ(readFile(defaultFile()), oversized);

    // Saved under another name, the window may close.
    dialogs.fileAnswers.push_back(dir.file("elsewhere.log"));
    file.saveDatabaseAs();
    EXPECT_TRUE(file.saveAtClose());
    EXPECT_EQ(readFile(defaultFile()), oversized);
    EXPECT_EQ(readFile(dir.file("elsewhere.log")), "10\r\n1\r\n");
}

TEST_F(TaskListStartUp, AListWrittenInPlaceAndCutAtAnyByteIsKeptAsideAndNeverLoadedWithShiftedCells)
{
    // The old list is longer: a cut leaves enough old lines after the new ones to fill every cell.
    writeFile(defaultFile(), listBytes(tableWithTasks(6)));
    const TaskTable shorter = tableWithTasks(3);
    const std::size_t size = listBytes(shorter).size();
    std::random_device seed;
    const std::size_t cut = 1 + std::uniform_int_distribution<std::size_t>(0, size - 2)(seed);
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    {
        const LockedFolder locked(dir.path());
        if (!locked.refusesNewFiles())
            GTEST_SKIP() << "this file system cannot make a folder refuse new files";
        // The write fails at the cut as on a full disk, in a child so that the limit stays there.
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{cut, cut};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                TaskListWriter::writeList(shorter, defaultFile());
            } catch (const InOutError&) {
                ::_exit(0);
            }
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write was not cut";
    }
    const std::string torn = readFile(defaultFile());

    file.loadAtStartUp();

    expectOnlyErrorReport("The task list ends before its last task. A copy of the list file was kept as \""
                          + defaultFile() + ".bad\".");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(readFile(defaultFile() + ".bad"), torn);
}

using TaskListClose = ListFileFixture;

TEST_F(TaskListClose, AFailedWriteIsReportedAndTheCloseMustNotGoOn)
{
    fs::create_directory(defaultFile());
    EXPECT_FALSE(file.saveAtClose());
    expectOnlyErrorReport("File access denied.");

    dialogs.messages.clear();
    dialogs.fileAnswers.push_back("/dev/full");
    file.saveDatabaseAs();
    EXPECT_EQ(file.currentListFile(), "/dev/full");
    EXPECT_FALSE(file.saveAtClose());
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Disk full.", "Disk full."}));
}

using TaskListOpen = ListFileFixture;

TEST_F(TaskListOpen, OpenedTasksAreSavedToTheCurrentListNotToTheOpenedFile)
{
    writeFile(defaultFile(), listBytes(tableWithTasks(1)));
    file.loadAtStartUp();
    const std::string opened = listBytes(tableWithTasks(4));
    writeFile(dir.file("other.log"), opened);
    dialogs.fileAnswers.push_back(dir.file("other.log"));

    file.openDatabase();

    EXPECT_EQ(table.taskCount(), 4);
    EXPECT_EQ(table.fixedRows(), 1);
    EXPECT_EQ(file.currentListFile(), defaultFile());
    ASSERT_TRUE(file.saveAtClose());
    EXPECT_EQ(readFile(dir.file("other.log")), opened);
    EXPECT_EQ(readFile(defaultFile()), opened);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TaskListOpen, AMissingFileIsNotFoundAndChangesNothing)
{
    addTask(table, namedCells(1));
    const auto before = rowsOf(table);
    dialogs.fileAnswers.push_back(dir.file("typed.log"));
    file.openDatabase();
    expectOnlyErrorReport("File not found.");
    EXPECT_EQ(rowsOf(table), before);
}

TEST_F(TaskListOpen, CancellingTheDialogDoesNothing)
{
    addTask(table, namedCells(1));
    const auto before = rowsOf(table);
    file.openDatabase();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].typeLabel, "Text");
    EXPECT_EQ(dialogs.fileRequests[0].pattern, "*.log");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "log");
    EXPECT_EQ(rowsOf(table), before);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TaskListOpen, IsRefusedWhileATaskRuns)
{
    writeFile(dir.file("other.log"), listBytes(tableWithTasks(4)));
    const int row = addTask(table, namedCells(1));
    table.setCell(ColProcess, row, std::string(Process::Running));
    const auto before = rowsOf(table);
    dialogs.fileAnswers.push_back(dir.file("other.log"));

    file.openDatabase();

    expectStopTasksWarning();
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(rowsOf(table), before);
}

TEST_F(TaskListOpen, IsRefusedWhenATaskStartedWhileTheDialogWasOpen)
{
    writeFile(dir.file("other.log"), listBytes(tableWithTasks(4)));
    const int row = addTask(table, namedCells(1));
    dialogs.fileAnswers.push_back(dir.file("other.log"));
    dialogs.whileFileDialogOpen = [&] { table.setCell(ColProcess, row, std::string(Process::Running)); };
    const auto expected = [&] {
        auto rows = rowsOf(table);
        rows[1][ColProcess] = Process::Running;
        return rows;
    }();

    file.openDatabase();

    expectStopTasksWarning();
    EXPECT_EQ(rowsOf(table), expected);
}

using TaskListNew = ListFileFixture;

TEST_F(TaskListNew, ClearsTheListAndSavesItInTheWorkingDirectory)
{
    const std::string saved = listBytes(tableWithTasks(2));
    writeFile(defaultFile(), saved);
    file.loadAtStartUp();
    fs::create_directory(dir.path() / "work");
    const WorkingDirectory work(dir.path() / "work");

    file.newDatabase();
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(file.currentListFile(), "vt_tasks_new.log");
    addTask(table, namedCells(1));
    ASSERT_TRUE(file.saveAtClose());

    EXPECT_EQ(readFile(dir.path() / "work" / "vt_tasks_new.log"), listBytes(table));
    EXPECT_EQ(readFile(defaultFile()), saved);
}

TEST_F(TaskListNew, IsRefusedWhileATaskRunsAndKeepsTheCurrentListFile)
{
    const int row = addTask(table, namedCells(1));
    table.setCell(ColProcess, row, std::string(Process::Running));
    file.newDatabase();
    expectStopTasksWarning();
    EXPECT_EQ(table.taskCount(), 1);
    EXPECT_EQ(file.currentListFile(), defaultFile());
}

using TaskListSaveAs = ListFileFixture;

TEST_F(TaskListSaveAs, WritesAtOnceAndBecomesTheCurrentListFile)
{
    addTask(table, namedCells(1));
    writeFile(dir.file("chosen.log"), "something else");
    dialogs.fileAnswers.push_back(dir.file("chosen.log"));
    file.saveDatabaseAs();
    EXPECT_EQ(file.currentListFile(), dir.file("chosen.log"));
    EXPECT_EQ(readFile(dir.file("chosen.log")), listBytes(table));
    EXPECT_EQ(dialogs.fileRequests.at(0).pattern, "*.log");
    EXPECT_TRUE(dialogs.messages.empty());

    file.saveDatabaseAs(); // cancelled
    EXPECT_EQ(file.currentListFile(), dir.file("chosen.log"));
}

TEST_F(TaskListSaveAs, AFailedWriteIsReportedAndTheNameStaysCurrent)
{
    writeFile(dir.file("plain"), "x");
    dialogs.fileAnswers.push_back(dir.file("plain/list.log"));
    file.saveDatabaseAs();
    expectOnlyErrorReport("Invalid filename.");
    EXPECT_EQ(file.currentListFile(), dir.file("plain/list.log"));
}
