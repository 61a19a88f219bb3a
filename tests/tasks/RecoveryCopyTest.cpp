#include "ListTables.h"
#include "platform/text/ApplicationTitle.h"
#include "support/FakeDeferrer.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "tasks/ClearList.h"
#include "tasks/ClosingSave.h"
#include "tasks/RecoveryCopy.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskListFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <utility>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zv;
using namespace zv::test;
namespace fs = std::filesystem;

namespace {

// A program folder whose table is watched by a recovery copy, as after start-up.
struct RecoveryFixture : ::testing::Test {
    std::string copyFile() const { return listFile.recoveryFile(); }
    std::string copyBytes() const { return readFile(copyFile()); }
    // The table, then the record of the current list file.
    std::string expectedCopy() const
    {
        return listBytes(table) + "List file: " + fs::absolute(listFile.currentListFile()).string() + "\r\n";
    }
    // Fires the waiting write and tells whether it left the copy holding the table.
    bool writtenOnFire()
    {
        return deferrer.fireAll() == 1 && fs::exists(copyFile()) && copyBytes() == expectedCopy();
    }

    TempDir dir;
    TaskTable table = tableWithTasks(2);
    RecordingDialogs dialogs;
    FakeDeferrer deferrer;
    TaskListFile listFile{table, dialogs, dir.path().string()};
    RecoveryCopy copy{table, dialogs, deferrer, listFile.recoveryFile(), [this] { return listFile.currentListFile(); }};
};

} // namespace

using RecoveryCopyWrites = RecoveryFixture;

TEST_F(RecoveryCopyWrites, EveryChangeOfTheUsersTasksIsWrittenAfterTheDelay)
{
    EXPECT_EQ(copyFile(), dir.file("vt_tasks.log.recover"));
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"add", [&] { addTask(table, namedCells(3)); }},
        {"modify", [&] { table.setCell(ColUrl, 3, "http://example.org/other.zip"); }},
        {"start", [&] {
             table.setCell(ColStatus, 3, std::string(Status::Started));
             table.setCell(ColProcess, 3, std::string(Process::Running));
         }},
        {"stop", [&] { table.setCell(ColProcess, 3, std::string(Process::Idle)); }},
        {"end of a run", [&] { table.setCell(ColTimeOfEnd, 3, "14.04.2007 13:31:00"); }},
        {"cancel", [&] { table.setCell(ColStatus, 2, std::string(Status::Cancelled)); }},
        {"clear", [&] { ASSERT_TRUE(clearTheList(table, dialogs)); }},
        {"open", [&] {
             writeFile(dir.file("other.log"), listBytes(tableWithTasks(4)));
             dialogs.fileAnswers.push_back(dir.file("other.log"));
             listFile.openDatabase();
         }},
        {"new", [&] { listFile.newDatabase(); }},
    };
    for (const auto& [name, change] : changes) {
        const std::string before = fs::exists(copyFile()) ? copyBytes() : "";
        change();
        ASSERT_EQ(deferrer.calls.size(), 1u) << name;
        EXPECT_EQ(deferrer.calls[0].milliseconds, RecoveryCopy::WriteDelayMs) << name;
        EXPECT_EQ(fs::exists(copyFile()) ? copyBytes() : "", before) << name << ": written before the delay";
        EXPECT_TRUE(writtenOnFire()) << name;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecoveryCopyWrites, ManyChangesWithinTheDelayGoIntoOneWrite)
{
    for (int row = 3; row <= 60; ++row)
        addTask(table, namedCells(row));
    table.setCell(ColFileName, 7, "renamed.bin");
    EXPECT_EQ(deferrer.calls.size(), 1u);
    EXPECT_TRUE(writtenOnFire());

    // The next change waits for a write of its own.
    table.setCell(ColFileName, 8, "renamed too.bin");
    EXPECT_TRUE(writtenOnFire());
}

TEST_F(RecoveryCopyWrites, ProgressAloneWritesNothingButTheNextWriteCarriesIt)
{
    table.setCell(ColStatus, 1, std::string(Status::Started));
    ASSERT_TRUE(writtenOnFire());
    const std::string written = copyBytes();

    for (int report = 1; report <= 20; ++report) {
        table.setCell(ColSizeLoaded, 1, std::to_string(report) + ".00 KB");
        table.setCell(ColStatus, 1, std::string(Status::Started));
    }
    // Neither are the selection and the fixed header kept in a list.
    table.setCurrentRow(2);
    table.setFixedRows(1);
    EXPECT_TRUE(deferrer.calls.empty());
    EXPECT_EQ(copyBytes(), written);

    table.setCell(ColProcess, 1, std::string(Process::Idle));
    EXPECT_TRUE(writtenOnFire());
    EXPECT_NE(copyBytes().find("20.00 KB\r\n"), std::string::npos);
}

TEST_F(RecoveryCopyWrites, FlushNowWritesAWaitingChangeAtOnce)
{
    copy.flushNow();
    EXPECT_FALSE(fs::exists(copyFile()));

    table.setCell(ColPath, 1, "/srv/else");
    EXPECT_TRUE(copy.isPending());
    copy.flushNow();
    EXPECT_FALSE(copy.isPending());
    EXPECT_EQ(copyBytes(), expectedCopy());
    // The timer still running finds nothing left to write.
    fs::remove(copyFile());
    deferrer.fireAll();
    EXPECT_FALSE(fs::exists(copyFile()));
}

TEST(RecoveryCopyFailure, IsReportedOnceAndAgainOnlyAfterASuccess)
{
    TempDir dir;
    const fs::path folder = dir.path() / "program";
    const std::string file = (folder / "vt_tasks.log.recover").string();
    TaskTable table;
    addTask(table, namedCells(1));
    RecordingDialogs dialogs;
    FakeDeferrer deferrer;
    RecoveryCopy copy(table, dialogs, deferrer, file, [] { return std::string("/lists/vt_tasks.log"); });
    const auto changeAndFire = [&](const std::string& text) {
        table.setCell(ColFileName, 1, text);
        deferrer.fireAll();
    };

    changeAndFire("first");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "The recovery copy of the task list, \"" + file + "\", could not be written: File not found.");
    EXPECT_EQ(dialogs.messages[0].caption, ApplicationTitle);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    // It is tried again later even when nothing else changes.
    ASSERT_EQ(deferrer.calls.size(), 1u);
    EXPECT_EQ(deferrer.calls[0].milliseconds, RecoveryCopy::RetryDelayMs);
    deferrer.fireAll();
    changeAndFire("second");
    EXPECT_EQ(dialogs.messages.size(), 1u);

    fs::create_directory(folder);
    deferrer.fireAll();
    EXPECT_EQ(readFile(file), listBytes(table) + "List file: /lists/vt_tasks.log\r\n");
    EXPECT_TRUE(deferrer.calls.empty());

    fs::remove_all(folder);
    changeAndFire("third");
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

namespace {

// Kills and reaps a child process however the test ends.
struct KilledChild {
    ~KilledChild()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    pid_t pid = -1;
};

} // namespace

TEST_F(RecoveryCopyWrites, AKilledWriterNeverLeavesAHalfWrittenCopy)
{
    // Big rows make every write long, so that the kill lands in the middle of one.
    const auto generation = [&](int number) {
        table.setRowCount(1);
        Cells cells;
        cells.fill("g" + std::to_string(number) + std::string(200, '.'));
        for (int row = 1; row <= TaskTable::MaxTasks; ++row)
            addTask(table, cells);
    };
    for (int killAfter = 1; killAfter <= 8; ++killAfter) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        KilledChild child;
        child.pid = ::fork();
        ASSERT_NE(child.pid, -1);
        if (child.pid == 0) {
            ::close(ready[0]);
            for (int number = 1;; ++number) {
                generation(number);
                copy.flushNow();
                if (::write(ready[1], "w", 1) != 1)
                    ::_exit(1);
            }
        }
        ::close(ready[1]);
        char byte;
        for (int written = 0; written < killAfter; ++written)
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::kill(child.pid, SIGKILL);
        ::waitpid(std::exchange(child.pid, -1), nullptr, 0);

        TaskTable restored;
        ASSERT_NO_THROW(TaskListReader::readWholeList(restored, copyFile())) << "killed after " << killAfter;
        ASSERT_EQ(restored.taskCount(), TaskTable::MaxTasks);
        const std::string first = restored.cell(0, 1);
        // Never older than the last write that was finished before the kill.
        EXPECT_GE(std::stoi(first.substr(1)), killAfter);
        for (int row = 1; row < restored.rowCount(); ++row) {
            for (int column = 0; column < TaskTable::ColumnCount; ++column)
                ASSERT_EQ(restored.cell(column, row), first) << "a copy mixed of two writes";
        }
    }
}

TEST_F(RecoveryCopyWrites, ANormalCloseRemovesTheCopyAndWritesNoMore)
{
    table.setCell(ColFileName, 1, "changed");
    ASSERT_TRUE(writtenOnFire());
    table.setCell(ColFileName, 1, "changed again");
    ASSERT_TRUE(listFile.saveAtClose());
    copy.removeAfterNormalClose();
    EXPECT_FALSE(fs::exists(copyFile()));

    // Neither the timer still running nor a late report brings it back.
    deferrer.fireAll();
    table.setCell(ColProcess, 2, std::string(Process::Idle));
    EXPECT_TRUE(deferrer.calls.empty());
    copy.flushNow();
    EXPECT_FALSE(fs::exists(copyFile()));
}

TEST_F(RecoveryCopyWrites, TheListAndItsCopyAreCreatedReadableByTheirOwnerOnly)
{
    const mode_t oldMask = ::umask(022);
    const auto modeOf = [](const std::string& file) { return fs::status(file).permissions() & fs::perms::all; };
    listFile.loadAtStartUp();
    addTask(table, namedCells(3));
    deferrer.fireAll();
    const bool saved = listFile.saveAtClose();
    const fs::perms copyMode = modeOf(copyFile());
    const fs::perms listMode = modeOf(listFile.defaultListFile());
    // A rewrite keeps the mode the user gave the file.
    fs::permissions(listFile.defaultListFile(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const bool savedAgain = listFile.saveAtClose();
    ::umask(oldMask);

    ASSERT_TRUE(saved && savedAgain);
    EXPECT_EQ(copyMode, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(listMode, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(modeOf(listFile.defaultListFile()), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(RecoveryCopyWrites, TheProgramsOwnFilesAreRefusedAsListsAndTheNextCloseLosesNothing)
{
    listFile.loadAtStartUp();
    const std::string before = listBytes(table);
    for (const std::string& name :
         {std::string("vt_tasks.log.recover"), std::string(".vt_tasks.lock"), std::string(".vt_tasks.log.tmp-0123abcd"),
          std::string("vt_tasks.log.bad.2"), std::string("zare-vantrel.conf"), std::string("zare-vantrel.conf.bad"),
          std::string(".zare-vantrel.conf.tmp-0123abcd"), std::string("movie.iso.zv-progress")}) {
        const std::string own = dir.file(name);
        writeFile(own, before);
        dialogs.messages.clear();
        dialogs.fileAnswers = {own, own};
        listFile.saveDatabaseAs();
        listFile.openDatabase();

        const std::string refusal = "\"" + own
                                  + "\" is a file Zare Vantrel keeps for itself, not a task list. Choose another file.";
        ASSERT_EQ(dialogs.messages.size(), 2u) << name;
        EXPECT_EQ(dialogs.messages[0].text, refusal);
        EXPECT_EQ(dialogs.messages[1].text, refusal);
        EXPECT_EQ(listFile.currentListFile(), listFile.defaultListFile()) << name;
        EXPECT_EQ(readFile(own), before) << name;
        fs::remove(own);
    }
    addTask(table, namedCells(3));

    ASSERT_TRUE(saveAtUserClose(listFile, copy));
    EXPECT_EQ(readFile(listFile.defaultListFile()), listBytes(table));
    EXPECT_FALSE(fs::exists(copyFile()));
}

TEST_F(RecoveryCopyWrites, ATimerThatOutlivesTheCopyDoesNothing)
{
    {
        RecoveryCopy shortLived(table, dialogs, deferrer, dir.file("short.recover"), [] { return "x.log"; });
        table.setCell(ColFileName, 1, "changed");
    }
    EXPECT_EQ(deferrer.fireAll(), 2);
    EXPECT_FALSE(fs::exists(dir.file("short.recover")));
    EXPECT_EQ(copyBytes(), expectedCopy());
}

namespace {

// A start of the program in a folder where the last run may have left its copy.
struct RecoveryStartUp : ::testing::Test {
    RecoveryStartUp() { table.writeHeader(); }

    std::string defaultFile() const { return dir.file("vt_tasks.log"); }
    std::string copyFile() const { return dir.file("vt_tasks.log.recover"); }

    TempDir dir;
    TaskTable table;
    RecordingDialogs dialogs;
    TaskListFile listFile{table, dialogs, dir.path().string()};
};

} // namespace

TEST_F(RecoveryStartUp, ACopyLeftBehindIsLoadedInsteadOfTheListAndTheUserIsToldOnce)
{
    const std::string saved = listBytes(tableWithTasks(2));
    const TaskTable lastRun = tableWithTasks(5);
    writeFile(defaultFile(), saved);
    writeFile(copyFile(), listBytes(lastRun) + "List file: " + defaultFile() + "\r\n");

    listFile.loadAtStartUp();
    EXPECT_EQ(rowsOf(table), rowsOf(lastRun));
    EXPECT_EQ(table.fixedRows(), 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Zare Vantrel was not closed normally last time. The task list"
                                        " has been restored as it stood just before.");
    EXPECT_EQ(dialogs.messages[0].caption, ApplicationTitle);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(listFile.currentListFile(), defaultFile());
    EXPECT_EQ(readFile(defaultFile()), saved);

    // Loading is no change: the copy stays as it is until the user changes something.
    FakeDeferrer deferrer;
    RecoveryCopy copy(table, dialogs, deferrer, listFile.recoveryFile(), [&] { return listFile.currentListFile(); });
    EXPECT_TRUE(deferrer.calls.empty());
    ASSERT_TRUE(listFile.saveAtClose());
    copy.removeAfterNormalClose();
    EXPECT_EQ(readFile(defaultFile()), listBytes(lastRun));

    // After that normal close the next start is a plain one.
    TaskTable next;
    next.writeHeader();
    RecordingDialogs nextDialogs;
    TaskListFile(next, nextDialogs, dir.path().string()).loadAtStartUp();
    EXPECT_EQ(rowsOf(next), rowsOf(lastRun));
    EXPECT_TRUE(nextDialogs.messages.empty());
}

TEST_F(RecoveryStartUp, ACopyCutShortIsKeptAsideAndTheSavedListIsLoaded)
{
    const TaskTable saved = tableWithTasks(2);
    writeFile(defaultFile(), listBytes(saved));
    const std::string full = listBytes(tableWithTasks(5));
    // Whole lines are missing: a copy is written atomically, so only a damaged disk cuts one.
    const std::string cut = full.substr(0, full.rfind("c9r4"));
    writeFile(copyFile(), cut);

    listFile.loadAtStartUp();
    EXPECT_EQ(rowsOf(table), rowsOf(saved));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "The last run was not closed normally, and its recovery copy of the task list could not be"
              " read: The task list ends before its last task. The saved task list was loaded instead."
              " The recovery copy was kept as \"" + copyFile() + ".bad\".");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(fs::exists(copyFile()));
    EXPECT_EQ(readFile(copyFile() + ".bad"), cut);
}

namespace {

// One run of the program in a folder, as far as its lists go: killed when it goes out of
// scope, unless it was closed.
struct ListRun {
    explicit ListRun(const TempDir& dir) : listFile(table, dialogs, dir.path().string())
    {
        table.writeHeader();
        listFile.loadAtStartUp();
        copy = std::make_unique<RecoveryCopy>(table, dialogs, deferrer, listFile.recoveryFile(),
                                              [this] { return listFile.currentListFile(); });
        listFile.setOnCurrentChanged([this] { copy->markChanged(); });
    }
    // What the copy's timer does within a second of a change.
    void copyWritten() { deferrer.fireAll(); }
    bool close() { return saveAtUserClose(listFile, *copy); }

    TaskTable table;
    RecordingDialogs dialogs;
    FakeDeferrer deferrer;
    TaskListFile listFile;
    std::unique_ptr<RecoveryCopy> copy;
};

} // namespace

TEST(RecoveryAfterACrash, TheRestoredTableIsSavedToTheListThatWasCurrentAndNoOtherListChanges)
{
    const std::string defaultList = listBytes(tableWithTasks(2));
    const std::string otherList = listBytes(tableWithTasks(4));
    const std::vector<std::pair<std::string, std::function<void(ListRun&, const TempDir&)>>> switches = {
        {"new", [](ListRun& run, const TempDir&) { run.listFile.newDatabase(); }},
        {"save as", [](ListRun& run, const TempDir& dir) {
             run.dialogs.fileAnswers.push_back(dir.file("mine.log"));
             run.listFile.saveDatabaseAs();
         }},
        {"open", [](ListRun& run, const TempDir& dir) {
             run.dialogs.fileAnswers.push_back(dir.file("other.log"));
             run.listFile.openDatabase();
         }},
    };
    for (const auto& [name, switchList] : switches) {
        TempDir dir;
        const WorkingDirectory working(dir.path());
        writeFile(dir.file("vt_tasks.log"), defaultList);
        writeFile(dir.file("other.log"), otherList);
        std::string atCrash;
        {
            ListRun run(dir);
            switchList(run, dir);
            addTask(run.table, namedCells(9));
            run.copyWritten();
            atCrash = listBytes(run.table);
        }
        {
            ListRun restarted(dir);
            EXPECT_EQ(listBytes(restarted.table), atCrash) << name;
            ASSERT_TRUE(restarted.close()) << name;
        }
        const std::map<std::string, std::string> expected = {
            {"new", name == "new" ? atCrash : ""},
            {"save as", name == "save as" ? atCrash : ""},
            {"open", name == "open" ? atCrash : defaultList},
        };
        EXPECT_EQ(readFile(dir.file("vt_tasks.log")), expected.at("open")) << name;
        EXPECT_EQ(fs::exists(dir.file("vt_tasks_new.log")) ? readFile(dir.file("vt_tasks_new.log")) : "",
                  expected.at("new")) << name;
        EXPECT_EQ(fs::exists(dir.file("mine.log")) ? readFile(dir.file("mine.log")) : "", expected.at("save as"))
            << name;
        EXPECT_EQ(readFile(dir.file("other.log")), otherList) << name;
        EXPECT_FALSE(fs::exists(dir.file("vt_tasks.log.recover"))) << name;
    }
}

TEST(RecoveryAfterACrash, ACopyThatNamesNoListIsRestoredIntoANewFileBesideTheDefaultList)
{
    TempDir dir;
    const std::string defaultList = listBytes(tableWithTasks(2));
    const std::string earlier = listBytes(tableWithTasks(1));
    const TaskTable lastRun = tableWithTasks(3);
    writeFile(dir.file("vt_tasks.log"), defaultList);
    writeFile(dir.file("vt_tasks_recovered.log"), earlier);
    // As an earlier version wrote it, or with a record that is no path.
    for (const std::string record : {"", "List file: relative.log\r\n"}) {
        fs::remove(dir.file("vt_tasks_recovered.log.2"));
        writeFile(dir.file("vt_tasks.log.recover"), listBytes(lastRun) + record);
        ListRun run(dir);
        const std::string recovered = dir.file("vt_tasks_recovered.log.2");
        ASSERT_EQ(run.dialogs.messages.size(), 1u);
        EXPECT_EQ(run.dialogs.messages[0].text,
                  std::string(RecoveryCopy::RestoredText)
                      + " The recovery copy did not say which task list it belongs to, so it will be saved to \""
                      + recovered + "\".");
        EXPECT_EQ(run.listFile.currentListFile(), recovered);
        ASSERT_TRUE(run.close());
        EXPECT_EQ(readFile(recovered), listBytes(lastRun));
        EXPECT_EQ(readFile(dir.file("vt_tasks.log")), defaultList);
        EXPECT_EQ(readFile(dir.file("vt_tasks_recovered.log")), earlier);
    }
}

TEST(RecoveryAtTheClose, AFailureAfterTheCopyStepRestoresTheTableAsItStoodAtTheClose)
{
    TempDir dir;
    std::string atClose;
    {
        ListRun run(dir);
        // From here on every save of the list fails.
        fs::remove(dir.file("vt_tasks.log"));
        fs::create_directory(dir.file("vt_tasks.log"));
        addTask(run.table, namedCells(1));
        run.copyWritten();
        // Neither a change still within the copy's delay nor progress alone is lost.
        run.table.setCell(ColFileName, 1, "renamed.bin");
        run.table.setCell(ColSizeLoaded, 1, "12.00 KB");
        atClose = listBytes(run.table);
        EXPECT_FALSE(run.close());
        EXPECT_EQ(run.dialogs.messages.size(), 1u);

        // A close nobody can answer says so in one line, and keeps the copy.
        const std::string line = saveAtRequestedClose(run.listFile, *run.copy);
        EXPECT_EQ(line, "Zare Vantrel v1.0: the task list \"" + dir.file("vt_tasks.log")
                            + "\" could not be saved: File access denied. It will be restored from \""
                            + dir.file("vt_tasks.log.recover") + "\" at the next start.");
        EXPECT_EQ(run.dialogs.messages.size(), 1u);
    }
    fs::remove(dir.file("vt_tasks.log"));
    ListRun restarted(dir);
    EXPECT_EQ(listBytes(restarted.table), atClose);
}

TEST(RecoveryAtTheClose, ARequestedCloseWhoseCopyFailsTooSaysSo)
{
    TempDir dir;
    ListRun run(dir);
    addTask(run.table, namedCells(1));
    const std::string copyFile = dir.file("vt_tasks.log.recover");
    fs::create_directory(copyFile);
    fs::remove(dir.file("vt_tasks.log"));
    fs::create_directory(dir.file("vt_tasks.log"));
    EXPECT_EQ(saveAtRequestedClose(run.listFile, *run.copy),
              "Zare Vantrel v1.0: the task list \"" + dir.file("vt_tasks.log")
                  + "\" could not be saved: File access denied. Its recovery copy \"" + copyFile
                  + "\" could not be written either: File access denied.");
}
