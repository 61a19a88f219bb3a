#include "ProgramRun.h"

#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>

using namespace zv;
using namespace zv::test;

namespace fs = std::filesystem;
using std::chrono::seconds;

namespace {

constexpr int MainWindowWidth = 793;
// Where the grid's task rows lie in the main window (below the menu bar and the grid's header).
constexpr int FirstRowY = 241;
constexpr int RowHeight = 20;
const std::string ResourcePath = "/data/archive.zip";

std::optional<TaskTable> readTable(const fs::path& file)
{
    try {
        TaskTable table;
        table.writeHeader();
        TaskListReader::readWholeList(table, file.string());
        return table;
    } catch (...) {
        return std::nullopt;
    }
}

std::uint64_t sizeOf(const fs::path& file)
{
    std::error_code error;
    const auto size = fs::file_size(file, error);
    return error ? 0 : size;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        if (!line.empty())
            found.push_back(line);
    return found;
}

// ZV_FAULT_SEED repeats a run whose failure message named its seed.
unsigned chosenSeed()
{
    const char* given = std::getenv("ZV_FAULT_SEED");
    return given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
}

// The windows' names and sizes, for a failure's message.
std::string describe(const std::vector<std::string>& windows)
{
    std::string text;
    for (const std::string& window : windows)
        text += "[" + ProgramRun::command("xdotool getwindowname " + window + " getwindowgeometry " + window) + "]";
    return text;
}

int windowWidth(const std::string& window)
{
    const std::string geometry = ProgramRun::command("xdotool getwindowgeometry " + window);
    const auto at = geometry.find("Geometry: ");
    return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + 10);
}

// The faults a user meets: a killed process, a network that drops, a disk that refuses, a
// list that is large or garbage. Each run drives the real program from outside.
class FaultTest : public ::testing::Test {
protected:
    FaultTest() : program(dir.path() / "program"), seed(chosenSeed()), random(seed)
    {
        fs::create_directory(dir.path() / "dl");
    }

    fs::path listFile() const { return program.folder() / "vt_tasks.log"; }
    fs::path recoveryFile() const { return program.folder() / "vt_tasks.log.recover"; }
    fs::path destination() const { return dir.path() / "dl" / "archive.zip"; }
    std::string seedText() const { return "seed " + std::to_string(seed); }

    // A task that starts from the keyboard (no schedule), as a user's earlier run left it.
    void setTask(TaskTable& table, int row, const std::string& status, const std::string& process,
                 const std::string& fileName = "archive.zip") const
    {
        const std::vector<std::pair<int, std::string>> cells = {
            {ColStatus, status}, {ColProcess, process}, {ColFileName, fileName}, {ColSize, "0 Byte"},
            {ColSizeLoaded, "0 Byte"}, {ColUrl, server.url(ResourcePath)},
            {ColPath, (dir.path() / "dl").string()}, {ColSchedule, "No"}};
        for (const auto& [column, text] : cells)
            table.setCell(column, row, text);
    }

    void writeOneTaskList() const
    {
        TaskTable table;
        table.writeHeader();
        setTask(table, table.appendRow(), "1", "1");
        TaskListWriter::writeList(table, listFile().string());
    }

    void serveBody(std::chrono::milliseconds delayPerChunk = std::chrono::milliseconds(0),
                   const std::string& version = "\"v1\"")
    {
        TestResource resource;
        resource.body = version == "\"v1\"" ? body : TestServer::patternBytes(7, body.size());
        resource.etag = version;
        resource.chunkSize = 4096;
        resource.delayPerChunk = delayPerChunk;
        server.serve(ResourcePath, resource);
    }

    // The row's "Status/Process" in the program's recovery copy, or empty.
    std::string recoveryCodes(int row) const
    {
        const auto table = readTable(recoveryFile());
        if (!table || !table->isTaskRow(row))
            return {};
        return table->cell(ColStatus, row) + "/" + table->cell(ColProcess, row);
    }

    bool recoveryShows(int row, const std::string& codes, std::optional<std::uint64_t> loaded = std::nullopt) const
    {
        const auto table = readTable(recoveryFile());
        if (!table || !table->isTaskRow(row))
            return false;
        return table->cell(ColStatus, row) + "/" + table->cell(ColProcess, row) == codes
            && (!loaded || table->cell(ColSizeLoaded, row) == CellFormats::sizeText(*loaded, "."));
    }

    // Changes with every write of the copy: each replaces the file.
    ino_t recoveryCopyIdentity() const
    {
        struct stat status {};
        return ::stat(recoveryFile().c_str(), &status) == 0 ? status.st_ino : 0;
    }

    std::vector<std::string> visibleWindows() const
    {
        return lines(ProgramRun::command("xdotool search --onlyvisible --pid " + std::to_string(program.pid())
                                         + " 2>/dev/null"));
    }

    // The boxes and dialogs on screen: every visible window but the main window.
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> found;
        for (const std::string& window : visibleWindows())
            if (windowWidth(window) != MainWindowWidth)
                found.push_back(window);
        return found;
    }

    // The main window when it is on screen, else empty.
    std::string findMainWindow() const
    {
        for (const std::string& window : visibleWindows())
            if (windowWidth(window) == MainWindowWidth)
                return window;
        return {};
    }

    // Waits for the main window; empty when it never came.
    std::string waitForMainWindow() const
    {
        std::string main;
        waitFor([&] { return !(main = findMainWindow()).empty(); }, seconds(30));
        return main;
    }

    // Makes a task row current with the mouse; the grid then has the keyboard.
    void clickTaskRow(int row) const
    {
        const int y = FirstRowY + RowHeight * (row - 1);
        ProgramRun::command("xdotool mousemove --window " + mainWindow + " 100 " + std::to_string(y) + " click 1");
    }

    // Waits for a box, answers it with Return and waits until it has gone; false if none came.
    bool answerBox() const
    {
        std::vector<std::string> open;
        if (!waitFor([&] { return !(open = boxes()).empty(); }, seconds(30)))
            return false;
        const std::string box = open.front();
        return waitFor([&] {
            ProgramRun::command("xdotool windowfocus --sync " + box + " key Return 2>/dev/null");
            const auto still = boxes();
            return std::find(still.begin(), still.end(), box) == still.end();
        }, seconds(10));
    }

    // Presses keys on the main window until condition holds (a key sent before the window takes
    // input is lost); each key must be harmless to repeat while condition does not yet hold.
    bool pressUntil(const std::string& keys, const std::function<bool()>& condition) const
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            ProgramRun::command("xdotool windowfocus --sync " + mainWindow + " key " + keys);
            if (waitFor(condition, seconds(4)))
                return true;
        }
        return false;
    }

    // How many requests for the resource carried this Range header.
    std::size_t rangeRequests(const std::string& range) const
    {
        const auto seen = server.requestsFor(ResourcePath);
        return static_cast<std::size_t>(std::count_if(seen.begin(), seen.end(), [&](const RecordedRequest& request) {
            return request.header("Range") == range;
        }));
    }

    void startProgram()
    {
        program.start();
        mainWindow = waitForMainWindow();
        ASSERT_FALSE(mainWindow.empty()) << "running " << program.running() << ", ended " << program.exitStatus()
                                         << ", windows " << describe(visibleWindows());
    }

    int closeWithSigterm()
    {
        const int status = program.stop(SIGTERM);
        EXPECT_TRUE(WIFEXITED(status)) << status;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string body = TestServer::pattern(400'000);
    TestServer server;
    TempDir dir;
    ProgramRun program;
    std::string mainWindow;
    const unsigned seed;
    std::mt19937 random;
};

} // namespace

// The server's file is replaced by another of the same size while the program is down: the
// resume takes the new version whole and glues nothing.
TEST_F(FaultTest, KilledMidDownloadTheRowComesBackRunningAndResumesToTheWholeFile)
{
    SCOPED_TRACE(seedText());
    serveBody(std::chrono::milliseconds(15));
    writeOneTaskList();
    const std::string listBefore = readFile(listFile());
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(pressUntil("F8", [&] { return recoveryShows(1, "2/2"); }));
    const std::uint64_t killAt = std::uniform_int_distribution<std::uint64_t>(20'000, 300'000)(random);
    ASSERT_TRUE(waitFor([&] { return sizeOf(destination()) >= killAt; }, seconds(30)));
    ASSERT_EQ(program.stop(SIGKILL), SIGKILL);
    const std::uint64_t partial = sizeOf(destination());
    ASSERT_LT(partial, body.size());
    EXPECT_EQ(readFile(listFile()), listBefore); // list files are written at close only

    // The next start restores the row as running and says so once, before the window shows.
    serveBody(std::chrono::milliseconds(0), "\"v2\"");
    program.start();
    ASSERT_TRUE(answerBox());
    mainWindow = waitForMainWindow();
    ASSERT_FALSE(mainWindow.empty());
    EXPECT_TRUE(boxes().empty());
    // Pause acts only on a running row: it counts as one, though no worker came back with it.
    ASSERT_TRUE(pressUntil("ctrl+c", [&] { return recoveryShows(1, "2/1"); }));
    ASSERT_TRUE(pressUntil("F8", [&] { return rangeRequests("bytes=" + std::to_string(partial) + "-") > 0; }));
    ASSERT_TRUE(waitFor([&] { return recoveryShows(1, "3/0"); }, seconds(30)));
    EXPECT_EQ(readFile(destination()), TestServer::patternBytes(7, body.size()));
    EXPECT_FALSE(fs::exists(destination().string() + ".zv-progress"));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(closeWithSigterm(), 0);
    EXPECT_FALSE(fs::exists(recoveryFile()));
    const auto saved = readTable(listFile());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->cell(ColStatus, 1) + "/" + saved->cell(ColProcess, 1), "3/0");
}

TEST_F(FaultTest, FiveDropsInARowAreRiddenOutByOneStartWithARangeRequestEach)
{
    SCOPED_TRACE(seedText());
    // Five cuts at random offsets: the worker's first answer (the probe's comes before it) and
    // each of its next four retries end at the next cut.
    TestResource resource;
    resource.body = body;
    resource.chunkSize = 4096;
    std::vector<std::uint64_t> cuts;
    std::uniform_int_distribution<std::uint64_t> step(10'000, 70'000);
    for (std::uint64_t at = 0; cuts.size() < 5;) {
        cuts.push_back(at += step(random));
        resource.dropAtRequest[static_cast<int>(cuts.size())] = cuts.back();
    }
    server.serve(ResourcePath, resource);
    writeOneTaskList();
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(pressUntil("F8", [&] { return !server.requestsFor(ResourcePath).empty(); }));
    ASSERT_TRUE(waitFor([&] { return recoveryShows(1, "3/0"); }, seconds(60))) << recoveryCodes(1);
    EXPECT_EQ(readFile(destination()), body);
    for (const std::uint64_t cut : cuts)
        EXPECT_EQ(rangeRequests("bytes=" + std::to_string(cut) + "-"), 1u) << cut;
    EXPECT_EQ(server.requestsFor(ResourcePath).size(), 7u); // the probe, the first answer, five retries
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(closeWithSigterm(), 0);
}

TEST_F(FaultTest, WriteErrorMidTransferStopsTheRunWithoutAStormOfBoxes)
{
    constexpr std::uint64_t limit = 150'000;
    serveBody();
    writeOneTaskList();
    program.setFileSizeLimit(limit);
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(pressUntil("F8", [&] { return recoveryShows(1, "2/1"); }));
    EXPECT_EQ(sizeOf(destination()), limit);
    // Again, now failing at its first write: still stopped, still no box.
    const ino_t copyBefore = recoveryCopyIdentity();
    ASSERT_TRUE(pressUntil("F8", [&] { return rangeRequests("bytes=" + std::to_string(limit) + "-") > 0; }));
    ASSERT_TRUE(waitFor([&] { return recoveryCopyIdentity() != copyBefore && recoveryShows(1, "2/1"); }, seconds(30)));
    EXPECT_TRUE(program.running());
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(readFile(destination()), body.substr(0, limit));
    EXPECT_EQ(closeWithSigterm(), 0);
    const auto saved = readTable(listFile());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->cell(ColStatus, 1) + "/" + saved->cell(ColProcess, 1), "2/1");
}

TEST_F(FaultTest, ListOf254TasksLoadsShowsAndSavesBackByteIdentical)
{
    TaskTable table;
    table.writeHeader();
    const std::vector<std::pair<std::string, std::string>> codes = {{"1", "1"}, {"2", "1"}, {"3", "0"}, {"4", "0"}};
    for (int task = 0; task < TaskTable::MaxTasks; ++task) {
        const int row = table.appendRow();
        const auto& [status, process] = codes[task % codes.size()];
        setTask(table, row, status, process, "f\xc3\xa4il " + std::to_string(task) + ".bin");
        table.setCell(ColSize, row, CellFormats::sizeText(1000ull * task * task, "."));
        table.setCell(ColSchedule, row, task % 5 == 0 ? "01.01.2099 1:00:00" : "No");
    }
    TaskListWriter::writeList(table, listFile().string());
    const std::string written = readFile(listFile());

    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(closeWithSigterm(), 0);
    EXPECT_EQ(readFile(listFile()), written);

    // Every row is in the window: the last one is reached from the keyboard and cancelled.
    ASSERT_NO_FATAL_FAILURE(startProgram());
    clickTaskRow(1);
    ASSERT_TRUE(pressUntil("ctrl+End ctrl+d", [&] { return recoveryShows(TaskTable::MaxTasks, "4/0"); }));
    const auto copy = readTable(recoveryFile());
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->taskCount(), TaskTable::MaxTasks);
    for (int row = 1; row < TaskTable::MaxTasks; ++row)
        for (int column = 0; column < TaskTable::ColumnCount; ++column)
            ASSERT_EQ(copy->cell(column, row), table.cell(column, row)) << row << "," << column;
    EXPECT_EQ(closeWithSigterm(), 0);
}

TEST_F(FaultTest, ListOfRandomBytesIsRefusedOrReadWithoutACrash)
{
    SCOPED_TRACE(seedText());
    std::uniform_int_distribution<int> byte(0, 255);
    std::string garbage(4096, '\0');
    std::generate(garbage.begin(), garbage.end(), [&] { return static_cast<char>(byte(random)); });
    // Raw bytes, and the same bytes behind a valid beginning so the reader goes deeper.
    const std::vector<std::pair<const char*, std::string>> lists = {
        {"raw bytes", garbage}, {"bytes behind a valid beginning", "10\r\n255\r\n" + garbage}};
    for (const auto& [kind, list] : lists) {
        SCOPED_TRACE(kind);
        writeFile(listFile(), list);
        program.start();
        std::string main;
        // Whatever it says about the list, it says it in a box or two and then shows its window.
        ASSERT_TRUE(waitFor([&] {
            for (const std::string& box : boxes())
                ProgramRun::command("xdotool windowfocus --sync " + box + " key Return 2>/dev/null");
            main = findMainWindow();
            return !main.empty() && boxes().empty();
        }, seconds(60))) << "running " << program.running() << ", ended " << program.exitStatus() << ", boxes " << describe(boxes());
        mainWindow = main;
        EXPECT_TRUE(program.running());
        EXPECT_EQ(closeWithSigterm(), 0);
        // The user's bytes survive: left in place, or kept as a copy beside it.
        bool kept = readFile(listFile()) == list;
        for (const auto& entry : fs::directory_iterator(program.folder()))
            kept = kept || (entry.path().filename().string().rfind("vt_tasks.log.bad", 0) == 0
                            && readFile(entry.path()) == list);
        EXPECT_TRUE(kept);
        const auto saved = readTable(listFile());
        if (saved) {
            EXPECT_LE(saved->taskCount(), TaskTable::MaxTasks);
        }
        for (const auto& entry : fs::directory_iterator(program.folder()))
            if (entry.path().filename().string().rfind("vt_tasks.log.bad", 0) == 0)
                fs::remove(entry.path());
    }
}

// A kill at any moment costs at most about a second of the user's changes, and never a list.
TEST_F(FaultTest, KillAtAnyMomentTheNextStartShowsTheTasksAsTheyStood)
{
    SCOPED_TRACE(seedText());
    serveBody(std::chrono::milliseconds(50));
    TaskTable table;
    table.writeHeader();
    setTask(table, table.appendRow(), "1", "1");
    setTask(table, table.appendRow(), "1", "1", "second.zip");
    setTask(table, table.appendRow(), "2", "1", "third.zip");
    TaskListWriter::writeList(table, listFile().string());
    const std::string listBefore = readFile(listFile());
    ASSERT_NO_FATAL_FAILURE(startProgram());
    // The user starts the first task and cancels the second.
    ASSERT_TRUE(pressUntil("F8", [&] { return recoveryShows(1, "2/2"); }));
    clickTaskRow(2);
    ASSERT_TRUE(pressUntil("ctrl+d", [&] { return recoveryShows(2, "4/0"); }));
    // Progress goes on while the kill comes at some moment; only the running row's count moves.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 1500)(random)));
    ASSERT_EQ(program.stop(SIGKILL), SIGKILL);
    const std::string copy = readFile(recoveryFile());
    const auto copied = readTable(recoveryFile());
    ASSERT_TRUE(copied); // whole, never half written
    EXPECT_EQ(copied->cell(ColStatus, 1) + "/" + copied->cell(ColProcess, 1), "2/2");
    EXPECT_EQ(copied->cell(ColStatus, 2) + "/" + copied->cell(ColProcess, 2), "4/0");
    EXPECT_EQ(copied->cell(ColStatus, 3) + "/" + copied->cell(ColProcess, 3), "2/1");
    EXPECT_EQ(readFile(listFile()), listBefore);

    program.start();
    ASSERT_TRUE(answerBox());
    mainWindow = waitForMainWindow();
    ASSERT_FALSE(mainWindow.empty());
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(closeWithSigterm(), 0);
    // Saved at close just as the copy held it: every task as it stood (the copy's record of
    // its list file after the cells is no part of the list).
    EXPECT_EQ(readFile(listFile()), copy.substr(0, copy.rfind("List file: ")));
    EXPECT_FALSE(fs::exists(recoveryFile()));
}

// A signal while a start-up box waits for an answer closes the box and ends the program as
// "Exit" would; a list that cannot be saved then still ends it, and the copy keeps the table.
TEST_F(FaultTest, SigtermDuringAStartUpBoxEndsTheProgramAndKeepsTheTable)
{
    TaskTable table;
    table.writeHeader();
    setTask(table, table.appendRow(), "2", "1");
    TaskListWriter::writeList(table, recoveryFile().string(), "List file: " + listFile().string());
    const std::string restored = readFile(recoveryFile());
    const std::string listBytes = restored.substr(0, restored.rfind("List file: "));
    fs::create_directory(listFile()); // no list can be saved there
    const fs::path standardError = dir.path() / "stderr.txt";
    program.setStandardError(standardError);

    for (const bool saves : {false, true}) {
        SCOPED_TRACE(saves ? "saves" : "cannot save");
        program.start();
        ASSERT_TRUE(waitFor([&] { return !boxes().empty(); }, seconds(30)));
        const int status = program.stop(SIGTERM);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        if (!saves) {
            EXPECT_EQ(WEXITSTATUS(status), 1);
            // Qt may say things of its own there too.
            const auto said = lines(readFile(standardError));
            EXPECT_EQ(std::count(said.begin(), said.end(),
                                 "Zare Vantrel v1.0: the task list \"" + listFile().string()
                                     + "\" could not be saved: File access denied. It will be restored from \""
                                     + recoveryFile().string() + "\" at the next start."),
                      1);
            EXPECT_EQ(readFile(recoveryFile()), restored);
            fs::remove(listFile());
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(readFile(listFile()), listBytes);
            EXPECT_FALSE(fs::exists(recoveryFile()));
        }
    }
}
