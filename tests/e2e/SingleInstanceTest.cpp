#include "ProgramRun.h"

#include "support/TempDir.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>

#include <sys/wait.h>
#include <unistd.h>

using namespace zv;
using namespace zv::test;

namespace fs = std::filesystem;

namespace {

class SingleInstanceEndToEndTest : public ::testing::Test {
protected:
    // The program's main window is mapped on the display.
    static bool showsItsWindow(const ProgramRun& run)
    {
        return !ProgramRun::command("xdotool search --all --onlyvisible --pid " + std::to_string(run.pid()) +
                                    " --name '^Zare Vantrel v1.0$'")
                    .empty();
    }

    static void startAndWaitForWindow(ProgramRun& run)
    {
        run.start();
        ASSERT_TRUE(waitFor([&] { return showsItsWindow(run); }, std::chrono::seconds(30)));
    }

    // A later start in the folder: it must end of itself, successfully, and soon.
    static void expectForwarded(const fs::path& folder)
    {
        ProgramRun later(folder);
        later.start();
        const int status = later.waitForExit(std::chrono::seconds(15));
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    // A list of one idle task beside the program.
    static void writeList(const fs::path& folder)
    {
        TaskTable table;
        table.writeHeader();
        const int row = table.appendRow();
        for (const auto& [column, text] : std::vector<std::pair<int, std::string>>{
                 {ColStatus, "1"}, {ColProcess, "1"}, {ColFileName, "a.zip"}, {ColSize, "1 KB"},
                 {ColSizeLoaded, "0 Byte"}, {ColUrl, "http://127.0.0.1:9/a.zip"}, {ColPath, folder.string()},
                 {ColSchedule, "No"}})
            table.setCell(column, row, text);
        TaskListWriter::writeList(table, (folder / "vt_tasks.log").string());
    }

    // Sets (or with no value removes) a variable of the environment the program starts with.
    static void setEnvironment(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    static std::optional<std::string> environment(const char* name)
    {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }

    TempDir dir;
};

} // namespace

TEST_F(SingleInstanceEndToEndTest, ASecondStartInTheSameFolderEndsAndLeavesTheFirstRunning)
{
    ProgramRun first(dir.path() / "program");
    writeList(first.folder());
    const std::string list = readFile(first.folder() / "vt_tasks.log");
    startAndWaitForWindow(first);
    expectForwarded(first.folder());
    EXPECT_EQ(readFile(first.folder() / "vt_tasks.log"), list);
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(showsItsWindow(first));

    // A copy in another folder has a list of its own and runs beside it.
    ProgramRun elsewhere(dir.path() / "elsewhere");
    startAndWaitForWindow(elsewhere);
    EXPECT_TRUE(first.running());
    const int elsewhereStatus = elsewhere.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(elsewhereStatus)) << elsewhereStatus;

    const int status = first.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    TaskTable saved;
    saved.writeHeader();
    TaskListReader::readList(saved, (first.folder() / "vt_tasks.log").string());
    EXPECT_EQ(saved.rowCount(), 2);
}

TEST_F(SingleInstanceEndToEndTest, LinksFromASecondStartAreInTheListAfterCloseAndBadOnesAreRefused)
{
    ProgramRun first(dir.path() / "program");
    writeList(first.folder());
    startAndWaitForWindow(first);

    const auto runLater = [&](std::vector<std::string> arguments, const std::string& errors) {
        ProgramRun later(first.folder());
        later.setArguments(std::move(arguments));
        later.setStandardError(dir.path() / errors);
        later.start();
        const int status = later.waitForExit(std::chrono::seconds(15));
        EXPECT_TRUE(WIFEXITED(status)) << status;
        return WEXITSTATUS(status);
    };
    // The one already listed is named on standard error; the new one is added.
    EXPECT_EQ(runLater({"--quiet", "http://127.0.0.1:9/b.zip", "http://127.0.0.1:9/a.zip"}, "quiet.txt"), 1);
    EXPECT_NE(readFile(dir.path() / "quiet.txt").find("\"http://127.0.0.1:9/a.zip\": skipped"), std::string::npos);
    EXPECT_EQ(runLater({"--quiet", "file:///etc/passwd", "javascript:alert(1)"}, "refused.txt"), 2);
    EXPECT_NE(readFile(dir.path() / "refused.txt").find("file:///etc/passwd"), std::string::npos);
    EXPECT_TRUE(first.running());

    const int status = first.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    TaskTable saved;
    saved.writeHeader();
    TaskListReader::readList(saved, (first.folder() / "vt_tasks.log").string());
    ASSERT_EQ(saved.taskCount(), 2);
    EXPECT_EQ(saved.cell(ColUrl, 2), "http://127.0.0.1:9/b.zip");
    EXPECT_EQ(saved.cell(ColFileName, 2), "b.zip");
}

TEST_F(SingleInstanceEndToEndTest, AfterTheRunningCopyIsKilledTheNextStartRunsAndAnswersLaterOnes)
{
    ProgramRun first(dir.path() / "program");
    startAndWaitForWindow(first);
    first.stop(SIGKILL);

    ProgramRun next(first.folder());
    startAndWaitForWindow(next);
    expectForwarded(next.folder());
    EXPECT_TRUE(next.running());
    const int status = next.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SingleInstanceEndToEndTest, WithoutAPrivateFolderForItsSocketTheProgramStartsAndSaysSo)
{
    // The folder the program would make for its socket, there first and open to others.
    const fs::path temp = dir.path() / "temp";
    fs::create_directories(temp / ("zare-vantrel-" + std::to_string(::geteuid())));
    fs::permissions(temp / ("zare-vantrel-" + std::to_string(::geteuid())), fs::perms::all);
    ProgramRun run(dir.path() / "program");
    run.setStandardError(dir.path() / "stderr.txt");
    const std::optional<std::string> runtimeDir = environment("XDG_RUNTIME_DIR");
    const std::optional<std::string> tempDir = environment("TMPDIR");
    setEnvironment("XDG_RUNTIME_DIR", std::nullopt);
    setEnvironment("TMPDIR", temp.string());
    startAndWaitForWindow(run);
    setEnvironment("XDG_RUNTIME_DIR", runtimeDir);
    setEnvironment("TMPDIR", tempDir);

    EXPECT_NE(readFile(dir.path() / "stderr.txt").find("runs without the single-copy guard"), std::string::npos);
    const int status = run.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SingleInstanceEndToEndTest, AStartWithAnotherRuntimeFolderOnTheSameListSaysTheListIsInUseAndEnds)
{
    const fs::path runtimes[] = {dir.path() / "runtime-1", dir.path() / "runtime-2"};
    for (const auto& runtime : runtimes) {
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
    }
    ProgramRun first(dir.path() / "program");
    writeList(first.folder());
    const std::string list = readFile(first.folder() / "vt_tasks.log");
    first.setEnvironment("XDG_RUNTIME_DIR", runtimes[0].string());
    startAndWaitForWindow(first);
    const fs::path standardError = dir.path() / "stderr.txt";
    // A second start that cannot reach the first; then one that reaches it stopped.
    const auto laterStart = [&](const fs::path& runtime) {
        ProgramRun later(first.folder());
        later.setEnvironment("XDG_RUNTIME_DIR", runtime.string());
        later.setStandardError(standardError);
        later.start();
        return later.waitForExit(std::chrono::seconds(15));
    };

    const int unreachable = laterStart(runtimes[1]);
    ASSERT_EQ(::kill(first.pid(), SIGSTOP), 0);
    const int frozen = laterStart(runtimes[0]);
    ASSERT_EQ(::kill(first.pid(), SIGCONT), 0);

    for (const int status : {unreachable, frozen}) {
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 1);
    }
    const std::string said = readFile(standardError);
    EXPECT_NE(said.find("is in use by another running copy.\n"), std::string::npos) << said;
    EXPECT_NE(said.find("is in use by another running copy, which does not answer.\n"), std::string::npos) << said;
    EXPECT_EQ(readFile(first.folder() / "vt_tasks.log"), list);
    ASSERT_TRUE(first.running());
    const int status = first.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
