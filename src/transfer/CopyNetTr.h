#pragma once

#include "platform/files/OutputFile.h"
#include "platform/services/FailureReason.h"
#include "platform/services/InternetSession.h"
#include "platform/threads/Interrupter.h"
#include "platform/threads/ThreadBase.h"
#include "tasks/ProgressFile.h"
#include "tasks/RunOutcome.h"
#include "tasks/TaskId.h"
#include "transfer/KnownTotal.h"
#include "transfer/PiecePlan.h"
#include "transfer/TransferMeter.h"
#include "transfer/WorkerServices.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace zv {

class InternetSession;
class Retries;
class UrlStream;
struct KnownFile;

// Copies one URL into one local file on a thread of its own and reports into its task's
// row through the main thread. A transient failure (a dropped connection, a busy server) is
// retried within the run from where the file ends, as the retry policy allows. The fields
// are set before resume() and not touched after.
class TfileThread final : public ThreadBase {
public:
    static constexpr const char* Agent = "Zare Vantrel";
    static constexpr std::size_t BlockSize = 1024;

    explicit TfileThread(WorkerServices services);
    ~TfileThread() override;

    std::string Url;
    std::string DestFile;
    std::uint8_t CreateNew = 1; // 1: create afresh; 0: append to the partial file
    // The file takes the name its first answer gives (the user named none of their own): the
    // run writes it into the File name cell.
    bool NameFromServer = false;
    TaskId Task = TaskId::None; // the task whose row the reports write
    std::uint64_t Loaded = 0;
    std::uint32_t RefreshEvery = 1000; // reads between two progress reports
    // What the task knew of its file's total before this start, and what its probe told: the
    // total the probe's answer announced, and whether that answer was a page (text/html).
    KnownTotal Known;
    std::optional<std::uint64_t> AnnouncedTotal;
    bool ProbedHtml = false;
    // Brought up to date after every read; the window reads it for the progress it shows.
    std::shared_ptr<TransferMeter> Meter = std::make_shared<TransferMeter>();

    // Why the last run ended without completing its file, for people; empty after a run that
    // completed it. Read once the run has ended, or from its reports.
    const std::string& lastRunReason() const { return m_outcome.reason; }

    // The reports; they run on the main thread while the worker waits.
    void ShowProgress();
    void ShowDone();
    void ShowStopped();
    // Moves DestFile to the name the server gave, or a free numbered one beside it, and
    // writes it into the File name cell.
    void ShowNamed(const std::string& given);

protected:
    void execute() override;
    void onTerminateRequested() override;

private:
    bool transfer(InternetSession& session, Retries& retries);
    // One request and what it delivers; false with m_failure set unless the file is complete.
    bool attempt(InternetSession& session, OutputFile& file);
    bool resumeDownload(InternetSession& session, OutputFile& file);
    bool createDestination(OutputFile& file);
    // Once per run, before the file is created: the name the answer gives replaces the start's.
    void takeServerName(const UrlStream& stream);
    // startsFile: the answer delivers the file from its first byte.
    bool copyFrom(UrlStream& stream, OutputFile& file, bool startsFile);
    // Whether the rest of the file goes over several connections: a large file of known total
    // whose server takes ranges, sent unencoded.
    bool goesInPieces(const UrlStream& stream) const;
    // The answer, which delivers the file from Loaded, becomes the first of several connections.
    bool startPieces(UrlStream& stream, OutputFile& file);
    // A file begun over several connections goes on where its plan's first free range begins.
    bool continuePieces(InternetSession& session, OutputFile& file);
    bool copyPieces(UrlStream& stream, OutputFile& file, PiecePlan::Range first);
    // Whether the answer of a task whose address changed shows the partial file's file; always
    // once the answer of the new address has shown it, and without written bytes.
    bool sameFileAtNewAddress(const InternetSession::Resumed& resumed, std::uint64_t offset) const;
    // Whether an answer is of the version the file's written pieces are of.
    bool sameVersion(const UrlStream& stream) const;
    // The file, opened afresh for positioned writes and given its whole length.
    bool openForPieces(OutputFile& file);
    // Keeps the plan's map in the progress file once the bytes it counts are on the disk.
    void keepPieces(OutputFile& file);
    // What the run knows of the file a range request goes on with.
    KnownFile knownFile() const;
    void noteAnswer(const UrlStream& stream, bool startsFile);
    // Whether a page (text/html) may stand for the file: the file's first answer was one.
    bool pageExpected() const;
    // A login or error page where the file is no page: never written into the file.
    bool isUnwantedPage(const UrlStream& stream) const;
    // A partial file's progress file, when it belongs to this task, tells the run which
    // version the partial bytes are of.
    void takeStoredProgress();
    bool belongsToTheTask(const ProgressRecord& stored) const;
    // Brings the progress file up to date with what the answers told (and the plan's map);
    // written only on a change. False when it could not be written.
    // map: the plan's map to keep, counting only bytes on the disk; by default the one kept.
    bool keepProgress(std::optional<std::string> map = std::nullopt);
    // The total the answers told, else the one the probe's answer announced.
    std::optional<std::uint64_t> runTotal() const;
    // Done only with the whole total when one is known; a short answer goes on from its end.
    bool completesTheTotal(OutputFile& file);
    bool closeCompleted(OutputFile& file);
    bool waitBeforeRetry(std::chrono::milliseconds wait);
    bool failed(FailureReason reason);
    bool failedLocally(const OutputFile& file);
    bool failedToOpen(const OutputFile& file, OutputFile::OpenResult result);
    void setLoaded(std::uint64_t bytes);
    void report(void (TfileThread::*show)());
    // The row of the task now; 0 when it is gone.
    int row() const;

    WorkerServices m_services;
    Interrupter m_interrupter;
    std::uint64_t m_reads = 0;
    std::uint64_t m_startedAt = 0; // the partial file's size when the run began
    std::uint64_t m_appended = 0;  // bytes written to the file by this run
    bool m_createdFile = false;
    bool m_named = false; // the answer's name was looked at
    bool m_lostFile = false; // its path no longer named the file written when the body ended
    bool m_answered = false;  // an answer of this run has delivered bytes of the file
    bool m_fileIsHtml = false;  // that answer (or the one that started the file afresh) was a page
    std::string m_validator;    // its ETag or Last-Modified, sent as If-Range by later requests
    std::string m_contentType;  // its Content-Type
    std::optional<ProgressRecord> m_progress; // as the progress file holds it
    std::optional<std::uint64_t> m_exactTotal; // the total the run's answers told
    // Which bytes are written, for a file copied over several connections; null for one.
    std::unique_ptr<PiecePlan> m_plan;
    bool m_startAfresh = false;    // another version turned up: the next attempt starts afresh
    bool m_startedAfresh = false;  // ... and it did so once in this run
    bool m_oneConnection = false;  // the server's parts were refused: one connection from now on
    bool m_piecesEnded = false;    // the connections gave up: no retry of the run's own follows
    bool m_goOnAtOnce = false;     // the next attempt follows without a retry's wait
    bool m_addressChanged = false; // the new address has not yet shown it sends the same file
    FailureReason m_failure;  // of the last attempt
    RunOutcome m_outcome;
};

} // namespace zv
