#include "TransferFixture.h"

#include "tasks/CellFormats.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <new>

using namespace zv;
using namespace zv::test;

namespace {

// Lowers the process's file size limit while it lives: a write past it fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit lower{bytes, m_old.rlim_max};
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &lower), 0);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

// Runs out of memory on its second block.
class ExhaustedOutputFile final : public OutputFile {
public:
    bool write(const char* data, std::size_t size) override
    {
        if (++m_writes == 2)
            throw std::bad_alloc();
        return OutputFile::write(data, size);
    }

private:
    int m_writes = 0;
};

class TfileThreadTest : public TransferFixture {
protected:
    // Runs a worker for row directly, as a start would configure it, until it has ended.
    TfileThread* run(int row, const std::string& destFile, std::uint8_t createNew, std::uint32_t refreshEvery = 1000)
    {
        TfileThread* thread = start(row, destFile, createNew, refreshEvery);
        waitForWorker(row);
        return thread;
    }

    TfileThread* start(int row, const std::string& destFile, std::uint8_t createNew, std::uint32_t refreshEvery)
    {
        auto* thread = new TfileThread(services().worker);
        slots.put(row, ThreadPtr(thread));
        thread->Url = table.cell(ColUrl, row);
        thread->Row = static_cast<std::uint8_t>(row);
        thread->DestFile = destFile;
        thread->CreateNew = createNew;
        thread->RefreshEvery = refreshEvery;
        table.setCell(ColStatus, row, "2");
        table.setCell(ColProcess, row, "2");
        thread->resume();
        return thread;
    }

    std::string destination(const std::string& name) const { return dir.file(name); }

    const std::string body = TestServer::pattern(50'000);
};

} // namespace

TEST_F(TfileThreadTest, AFreshDownloadCompletesByteIdentical)
{
    server.serve("/f.bin", body);
    const int row = addTask(server.url("/f.bin"), "f.bin");
    writeFile(destination("f.bin"), "an older file of the same name, longer than nothing");
    run(row, destination("f.bin"), 1);
    EXPECT_EQ(fileAt("f.bin"), body);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(table.cell(ColSizeLoaded, row), "48.83 KB");
    EXPECT_EQ(table.cell(ColTimeOfEnd, row), "14.04.2007 13:30:00");
    EXPECT_EQ(doneSounds, 1);
    const auto requests = server.requestsFor("/f.bin");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("User-Agent"), "Zare Vantrel");
}

TEST_F(TfileThreadTest, AResumeAsksForTheRestAndNeverReportsLessThanThePartialFile)
{
    server.serve("/f.bin", body);
    const int row = addTask(server.url("/f.bin"), "f.bin", Status::Started);
    writeFile(destination("f.bin"), body.substr(0, 3000));
    run(row, destination("f.bin"), 0, 1);
    EXPECT_EQ(fileAt("f.bin"), body);
    EXPECT_EQ(codes(row), "3/0");
    const auto requests = server.requestsFor("/f.bin");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=3000-");
    ASSERT_FALSE(sizeLoadedWrites.empty());
    EXPECT_EQ(sizeLoadedWrites.front(), "3.93 KB"); // 3000 bytes and the first read
    for (const std::string& text : sizeLoadedWrites) {
        ASSERT_NE(text.find(" KB"), std::string::npos) << text;
        EXPECT_GE(std::stod(text), 2.93) << text;
    }
}

TEST_F(TfileThreadTest, AServerIgnoringRangesNeverGetsOtherBytesAppended)
{
    TestResource resource;
    resource.body = body;
    resource.ranges = false;
    server.serve("/f.bin", resource);
    const int row = addTask(server.url("/f.bin"), "f.bin", Status::Started);
    writeFile(destination("f.bin"), body.substr(0, 3000));
    run(row, destination("f.bin"), 0);
    EXPECT_EQ(fileAt("f.bin"), body);
    EXPECT_EQ(codes(row), "3/0");
}

TEST_F(TfileThreadTest, AResourceShorterThanRefreshEveryReadsGivesOneSizeUpdate)
{
    server.serve("/f.bin", body); // 49 reads
    const int row = addTask(server.url("/f.bin"), "f.bin");
    run(row, destination("f.bin"), 1, 500);
    EXPECT_EQ(sizeLoadedWrites, std::vector<std::string>{"48.83 KB"});
}

TEST_F(TfileThreadTest, ProgressComesEveryRefreshEveryReads)
{
    server.serve("/f.bin", body);
    const int row = addTask(server.url("/f.bin"), "f.bin");
    run(row, destination("f.bin"), 1, 10);
    // Reads 10 to 40 of 1024 bytes each; read 50 is the empty one at the end; then the final report.
    const std::vector<std::string> expected = {"10.00 KB", "20.00 KB", "30.00 KB", "40.00 KB",
                                               "48.83 KB", "48.83 KB"};
    EXPECT_EQ(sizeLoadedWrites, expected);
}

TEST_F(TfileThreadTest, AnEmptyResourceCompletesAtOnceKeepingSizeLoaded)
{
    server.serve("/empty.bin", std::string());
    const int row = addTask(server.url("/empty.bin"), "empty.bin");
    table.setCell(ColSizeLoaded, row, "1.00 KB");
    run(row, destination("empty.bin"), 1);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(table.cell(ColSizeLoaded, row), "1.00 KB");
    EXPECT_TRUE(exists("empty.bin"));
    EXPECT_EQ(fileAt("empty.bin"), "");
}

TEST_F(TfileThreadTest, AResumeOfAWholeFileCompletesAndLeavesItUntouched)
{
    server.serve("/f.bin", body);
    const int row = addTask(server.url("/f.bin"), "f.bin", Status::Started);
    writeFile(destination("f.bin"), body);
    const auto before = std::filesystem::last_write_time(destination("f.bin"));
    run(row, destination("f.bin"), 0);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(fileAt("f.bin"), body);
    EXPECT_EQ(std::filesystem::last_write_time(destination("f.bin")), before);
    EXPECT_EQ(table.cell(ColSizeLoaded, row), "48.83 KB");
}

TEST_F(TfileThreadTest, AResumeTheServerCannotContinueRestartsCompletesOrStopsAsItsTotalSays)
{
    // A resource shorter than the partial file (a 416 with its total) replaces it in the same run.
    server.serve("/short.bin", body.substr(0, 2000));
    const int shorter = addTask(server.url("/short.bin"), "short.bin", Status::Started);
    writeFile(destination("short.bin"), body.substr(0, 3000));
    run(shorter, destination("short.bin"), 0);
    EXPECT_EQ(codes(shorter), "3/0");
    EXPECT_EQ(fileAt("short.bin"), body.substr(0, 2000));

    // A 206 from another offset tells another total: the file starts afresh.
    TestResource wrong;
    wrong.body = body;
    wrong.rangesFrom = 7000;
    server.serve("/wrong.bin", wrong);
    const int shifted = addTask(server.url("/wrong.bin"), "wrong.bin", Status::Started);
    writeFile(destination("wrong.bin"), "stale bytes of another version");
    run(shifted, destination("wrong.bin"), 0);
    EXPECT_EQ(codes(shifted), "3/0");
    EXPECT_EQ(fileAt("wrong.bin"), body);

    // A 416 without its total, and a fresh answer without a length: nothing is learned.
    TestResource silent;
    silent.body = body;
    silent.rangeTotals = false;
    silent.framing = BodyFraming::Chunked;
    server.serve("/silent.bin", silent);
    const int unknown = addTask(server.url("/silent.bin"), "silent.bin", Status::Started);
    writeFile(destination("silent.bin"), body + "more than the resource");
    run(unknown, destination("silent.bin"), 0);
    EXPECT_EQ(codes(unknown), "2/1");
    EXPECT_EQ(fileAt("silent.bin"), body + "more than the resource");
}

TEST_F(TfileThreadTest, ABrokenBodyEndsStoppedAndAResumeCompletesIt)
{
    for (const BodyFraming framing : {BodyFraming::Length, BodyFraming::Chunked}) {
        TestResource resource;
        resource.body = body;
        resource.framing = framing;
        resource.dropAt = 20'000;
        server.serve("/f.bin", resource);
        const int row = addTask(server.url("/f.bin"), "f.bin");
        run(row, destination("f.bin"), 1);
        EXPECT_EQ(codes(row), "2/1");
        EXPECT_EQ(fileAt("f.bin"), body.substr(0, 20'000));
        EXPECT_EQ(doneSounds, 0);

        run(row, destination("f.bin"), 0);
        EXPECT_EQ(codes(row), "3/0");
        EXPECT_EQ(fileAt("f.bin"), body);
        doneSounds = 0;
    }
}

TEST_F(TfileThreadTest, SilenceBeyondTheLimitEndsStopped)
{
    CurlSessionFactory impatient(InternetLimits{std::chrono::seconds(2), std::chrono::milliseconds(200), std::chrono::seconds(2)});
    TestResource resource;
    resource.body = body;
    resource.stallAt = 5000;
    server.serve("/f.bin", resource);
    const int row = addTask(server.url("/f.bin"), "f.bin");
    auto* thread = new TfileThread(WorkerServices{queue, impatient, table, formats, clock, {}});
    slots.put(row, ThreadPtr(thread));
    thread->Url = server.url("/f.bin");
    thread->Row = static_cast<std::uint8_t>(row);
    thread->DestFile = destination("f.bin");
    thread->resume();
    waitForWorker(row);
    EXPECT_EQ(codes(row), "2/1");
    EXPECT_EQ(fileAt("f.bin"), body.substr(0, 5000));
    EXPECT_TRUE(server.stalling());
}

TEST_F(TfileThreadTest, AFailedOpenInCreateModeLeavesStatusNewAndTheFileAlone)
{
    server.serve("/f.bin", TestResource::page(503, "try later"));
    const int row = addTask(server.url("/f.bin"), "f.bin");
    writeFile(destination("f.bin"), "someone else's file");
    run(row, destination("f.bin"), 1);
    EXPECT_EQ(codes(row), "1/1");
    EXPECT_EQ(fileAt("f.bin"), "someone else's file");
    EXPECT_EQ(table.cell(ColSizeLoaded, row), "0 Byte");
}

TEST_F(TfileThreadTest, LocalFileErrorsEndStoppedWithoutAMessage)
{
    server.serve("/f.bin", body);
    writeFile(destination("plain"), "a regular file");
    std::filesystem::create_directory(destination("folder"));
    ASSERT_EQ(::mkfifo(destination("pipe").c_str(), 0600), 0); // no reader: opening it would block
    const std::string threadName = readFile("/proc/self/comm");
    struct Case {
        std::string destFile;
        std::uint8_t createNew;
        std::string codes;
    };
    const std::vector<Case> cases = {
        {destination("missing/f.bin"), 1, "1/1"}, // never created: the next start creates afresh
        {destination("missing/f.bin"), 0, "2/1"},
        {destination("plain/f.bin"), 1, "1/1"},   // ENOTDIR
        {destination("folder"), 1, "1/1"},        // EISDIR
        {destination("folder"), 0, "2/1"},
        {destination("pipe"), 1, "1/1"},          // only regular files are written
        {destination("pipe"), 0, "2/1"},
        {"/dev/full", 1, "1/1"},
        {"/proc/self/comm", 1, "1/1"},            // a kernel interface, not storage
    };
    for (const Case& c : cases) {
        const int row = addTask(server.url("/f.bin"), "f.bin");
        run(row, c.destFile, c.createNew);
        EXPECT_EQ(codes(row), c.codes) << c.destFile << " " << int(c.createNew);
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(exists("missing"));
    EXPECT_EQ(fileAt("plain"), "a regular file");
    EXPECT_EQ(readFile("/proc/self/comm"), threadName);
}

TEST_F(TfileThreadTest, AWriteFailureMidTransferEndsStopped)
{
    server.serve("/f.bin", body);
    const int row = addTask(server.url("/f.bin"), "f.bin");
    {
        FileSizeLimit limit(20'000);
        run(row, destination("f.bin"), 1);
    }
    EXPECT_EQ(codes(row), "2/1");
    EXPECT_EQ(fileAt("f.bin"), body.substr(0, 20'000));
    EXPECT_EQ(doneSounds, 0);
}

TEST_F(TfileThreadTest, AFolderUnderDevSuchAsShmStillTakesDownloads)
{
    if (!std::filesystem::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm";
    TempDir shm("/dev/shm");
    server.serve("/f.bin", body);
    const int row = addTask(server.url("/f.bin"), "f.bin");
    run(row, shm.file("f.bin"), 1);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(readFile(shm.file("f.bin")), body);
}

TEST_F(TfileThreadTest, AFileReplacedWhileTheBodyIsReadIsNotDoneAndTheNextStartCreatesItAfresh)
{
    TestResource resource;
    resource.body = body;
    resource.pauseAt = 5000;
    server.serve("/f.bin", resource);
    const int row = addTask(server.url("/f.bin"), "f.bin");
    start(row, destination("f.bin"), 1, 1);
    // A progress report means the file exists; the body cannot end before the release.
    queue.waitUntil([this] { return !sizeLoadedWrites.empty(); });
    std::filesystem::remove(destination("f.bin"));
    writeFile(destination("f.bin"), "someone else's file");
    server.releaseStalls();
    waitForWorker(row);
    EXPECT_EQ(codes(row), "1/1");
    EXPECT_EQ(fileAt("f.bin"), "someone else's file");
    EXPECT_EQ(doneSounds, 0);

    operations.startCurrentTask();
    ASSERT_NE(worker(row), nullptr);
    EXPECT_EQ(worker(row)->CreateNew, 1);
    waitForWorker(row);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(fileAt("f.bin"), body);
}

TEST_F(TfileThreadTest, ABodyThatThrowsEndsWithTheReportsOfAStoppedRun)
{
    server.serve("/f.bin", body);
    outputFiles = [] { return std::make_unique<ExhaustedOutputFile>(); };
    const int row = addTask(server.url("/f.bin"), "f.bin");
    run(row, destination("f.bin"), 1);
    EXPECT_EQ(codes(row), "2/1");
    EXPECT_EQ(table.cell(ColSizeLoaded, row), "1.00 KB");
    EXPECT_EQ(fileAt("f.bin"), body.substr(0, 1024));
}

TEST_F(TfileThreadTest, AResumeWhosePartialFileIsGoneStartsAfresh)
{
    server.serve("/f.bin", body);
    const int row = addTask(server.url("/f.bin"), "f.bin", Status::Started);
    run(row, destination("f.bin"), 0);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(fileAt("f.bin"), body);
}

TEST_F(TfileThreadTest, SizesBeyondFourGiBAreReportedInFull)
{
    const int row = addTask("http://127.0.0.1:1/never", "big.iso");
    TfileThread thread(services().worker);
    thread.Row = static_cast<std::uint8_t>(row);
    thread.Loaded = 5ull * 1024 * 1024 * 1024;
    thread.ShowProgress(); // on the main thread, as a report runs
    EXPECT_EQ(table.cell(ColSizeLoaded, row), "5120.00 MB");
}
