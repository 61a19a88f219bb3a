#include "transfer/CopyNetTr.h"

#include "platform/services/Clock.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/HeaderText.h"
#include "platform/services/InternetSession.h"
#include "platform/services/InternetSessionFactory.h"
#include "platform/files/OutputFile.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/FileNames.h"
#include "transfer/LimitedReads.h"
#include "transfer/ParallelCopy.h"
#include "transfer/ProgressTexts.h"
#include "transfer/Retries.h"
#include "transfer/SpeedLimiter.h"
#include "transfer/TransferLog.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <utility>

namespace zv {

TfileThread::TfileThread(WorkerServices services)
    : ThreadBase(services.mainThread), m_services(std::move(services))
{
}

TfileThread::~TfileThread()
{
    stopAndWait();
}

void TfileThread::onTerminateRequested()
{
    // Breaks a read that waits on a silent server.
    m_interrupter.interrupt();
}

void TfileThread::execute()
{
    setLoaded(0);
    Meter->setTotal(std::nullopt);
    m_reads = 0;
    m_appended = 0;
    m_createdFile = false;
    m_named = false;
    m_lostFile = false;
    m_answered = false;
    m_fileIsHtml = false;
    m_validator.clear();
    m_contentType.clear();
    m_progress.reset();
    m_exactTotal.reset();
    m_plan.reset();
    m_startAfresh = m_startedAfresh = m_oneConnection = m_piecesEnded = m_goOnAtOnce = false;
    m_addressChanged = false;
    m_failure = {};
    m_startedAt = 0;
    Retries retries(m_services.retries);
    bool completed = false;
    try {
        if (auto session = m_services.internet.openSession(Agent, SessionUse::Download, &m_interrupter))
            completed = transfer(*session, retries);
        else
            failed(FailureReason::of(FailureReason::Kind::Other, "no Internet session"));
    } catch (const std::exception& error) {
        // Out of memory or a library's exception: the run ends as stopped, its reports still made.
        failed(FailureReason::of(FailureReason::Kind::Other, error.what()));
    } catch (...) {
        failed(FailureReason::of(FailureReason::Kind::Other, "an exception"));
    }
    // A finished download needs no progress file; a stopped one keeps it for its resume.
    if (completed)
        ProgressFile(DestFile).remove();
    m_outcome = {completed ? std::string() : retries.endText(m_failure),
                 completed ? std::string() : ProgressTexts::endReason(m_failure, Loaded > 0),
                 retries.inAll(),
                 m_appended,
                 m_exactTotal ? m_exactTotal : Known.exact,
                 false,
                 DestFile,
                 completed ? std::nullopt : m_failure.retryAfter,
                 completed ? RunEnd::Done : m_failure.plainText().empty() ? RunEnd::StoppedByUser : RunEnd::Failed,
                 completed ? FailureReason::Kind::None : m_failure.kind};
    TransferLog::runEnd(Url, m_startedAt, m_appended, m_outcome.reason, retries.inAll());
    report(&TfileThread::ShowProgress);
    report(completed ? &TfileThread::ShowDone : &TfileThread::ShowStopped);
}

// Whether the whole resource arrived cleanly and is on disk. Attempts follow each other while
// the retries allow; each goes on from where the file ends.
bool TfileThread::transfer(InternetSession& session, Retries& retries)
{
    const std::unique_ptr<OutputFile> destination =
        m_services.makeOutputFile ? m_services.makeOutputFile() : std::make_unique<OutputFile>();
    OutputFile& file = *destination;
    if (!CreateNew) {
        const auto opened = file.openAtEnd(DestFile);
        if (opened == OutputFile::OpenResult::Failed || opened == OutputFile::OpenResult::InUse)
            return failedToOpen(file, opened);
        // A partial file that is gone (Missing) makes the run start afresh.
        if (opened == OutputFile::OpenResult::Opened) {
            setLoaded(m_startedAt = file.sizeAtOpen());
            takeStoredProgress();
            // A file begun over several connections has its whole length: its map tells what is
            // written, and without one only the bytes before its first hole are.
            if (m_plan && !openForPieces(file))
                return false;
            if (m_plan)
                setLoaded(m_startedAt = m_plan->writtenBytes());
            else if (const auto data = file.goOnAtFirstHole())
                setLoaded(m_startedAt = *data);
            else
                return failedLocally(file);
        }
    }
    for (;;) {
        const std::uint64_t appendedBefore = m_appended;
        if (attempt(session, file))
            return true;
        const bool progressed = m_appended > appendedBefore;
        if (progressed)
            retries.progressed();
        if (m_piecesEnded || terminated())
            return false; // the connections' own retries are spent
        // An answer that ended cleanly short of the total goes on from its end at once; so does a
        // run whose connections found another version, or a server whose parts were refused.
        if ((progressed && m_failure.kind == FailureReason::Kind::ShortAnswer) || std::exchange(m_goOnAtOnce, false))
            continue;
        const auto wait = retries.after(m_failure);
        Meter->setRetries(retries.inAll());
        if (!wait || !waitBeforeRetry(*wait))
            return false;
    }
}

bool TfileThread::attempt(InternetSession& session, OutputFile& file)
{
    if (m_startAfresh) {
        // Another version: the file is written again from its first byte.
        m_startAfresh = false;
        m_plan.reset();
        m_exactTotal.reset();
        setLoaded(0);
        file.close();
    }
    if (m_plan)
        return continuePieces(session, file);
    // An open file is a partial one, or one this run has begun: a range request goes on.
    if (file.isOpen())
        return resumeDownload(session, file);
    const auto stream = session.openUrl(Url);
    if (!stream)
        return failed(session.lastFailure());
    takeServerName(*stream);
    return createDestination(file) && copyFrom(*stream, file, true);
}

// The file is open at its end; one range request goes on from there.
bool TfileThread::resumeDownload(InternetSession& session, OutputFile& file)
{
    const auto resumed = session.resumeUrl(Url, Loaded, knownFile());
    if (!sameFileAtNewAddress(resumed, Loaded))
        return failed(FailureReason::of(FailureReason::Kind::NotTheSameFile));
    if (resumed.position == SeekResult::Failed) // never append bytes from another offset
        return failed(resumed.failure);
    if (resumed.position == SeekResult::AlreadyWhole)
        return closeCompleted(file);
    if (isUnwantedPage(*resumed.stream))
        return failed(FailureReason::of(FailureReason::Kind::WebPage));
    m_addressChanged = false;
    if (resumed.position == SeekResult::StartsAfresh) {
        // A whole answer that may be the partial file's resource: the file starts afresh
        // from its body, so no byte of another version is glued to it.
        setLoaded(0);
        file.close();
        return createDestination(file) && copyFrom(*resumed.stream, file, true);
    }
    return copyFrom(*resumed.stream, file, false);
}

KnownFile TfileThread::knownFile() const
{
    KnownFile known;
    if (m_exactTotal)
        known.sameTotal = [total = *m_exactTotal](std::uint64_t bytes) { return bytes == total; };
    else if (Known.known())
        known.sameTotal = [before = Known](std::uint64_t bytes) { return before.matches(bytes); };
    known.htmlExpected = pageExpected();
    known.validator = m_validator;
    return known;
}

bool TfileThread::pageExpected() const
{
    return m_answered ? m_fileIsHtml : ProbedHtml;
}

bool TfileThread::isUnwantedPage(const UrlStream& stream) const
{
    return stream.isHtml() && !pageExpected();
}

void TfileThread::noteAnswer(const UrlStream& stream, bool startsFile)
{
    if (startsFile || !m_answered) {
        m_answered = true;
        m_fileIsHtml = stream.isHtml();
        m_validator = stream.validator();
        m_contentType = stream.contentType();
    }
    if (const auto total = stream.total())
        m_exactTotal = total;
    Meter->setTotal(runTotal());
    keepProgress();
}

void TfileThread::takeStoredProgress()
{
    auto stored = ProgressFile(DestFile).read();
    // Missing, damaged or another download's: the partial file is trusted as a prefix only.
    if (!stored || !belongsToTheTask(*stored))
        return;
    m_answered = true;
    m_validator = stored->validator;
    m_contentType = stored->contentType;
    m_fileIsHtml = HeaderText::isHtml(m_contentType);
    m_exactTotal = stored->total;
    m_addressChanged = stored->addressChanged;
    // A map that does not fit the file is damaged: the file counts as a prefix only.
    if (stored->total && PiecePlan::fits(*stored->total, stored->pieceSize, stored->finishedPieces)) {
        m_plan = std::make_unique<PiecePlan>(*stored->total, stored->pieceSize, stored->finishedPieces);
    } else {
        stored->pieceSize = 0;
        stored->finishedPieces.clear();
    }
    m_progress = std::move(stored);
}

bool TfileThread::belongsToTheTask(const ProgressRecord& stored) const
{
    if (stored.url != Url)
        return false;
    return !stored.total || (Loaded <= *stored.total && (!Known.known() || Known.matches(*stored.total)));
}

bool TfileThread::keepProgress(std::optional<std::string> map)
{
    if (m_plan && !map)
        map = m_progress && m_progress->pieceSize ? m_progress->finishedPieces : m_plan->pieceMap();
    const ProgressRecord now{Url, m_exactTotal, m_validator, m_contentType, m_plan ? m_plan->pieceSize() : 0,
                             map.value_or(std::string()), m_addressChanged};
    if (m_progress == now)
        return true;
    m_progress = now;
    if (const std::error_code error = ProgressFile(DestFile).write(now)) {
        TransferLog::progressNotKept(DestFile, error.message());
        m_progress.reset();
        return false;
    }
    return true;
}

bool TfileThread::goesInPieces(const UrlStream& stream) const
{
    const int connections = m_oneConnection ? 1 : m_services.connections;
    // Parts of another version are told apart only by the validator sent as If-Range.
    return connections > 1 && m_exactTotal && PiecePlan::worthSeveralConnections(*m_exactTotal) &&
           Loaded < *m_exactTotal && stream.acceptsRanges() && !stream.isCompressed() && !m_validator.empty();
}

bool TfileThread::openForPieces(OutputFile& file)
{
    file.close();
    if (const auto opened = file.openForPositionedWrites(DestFile); opened != OutputFile::OpenResult::Opened)
        return failedToOpen(file, opened);
    if (file.preallocate(m_plan->total()) == OutputFile::Preallocation::Failed)
        return failedLocally(file);
    return true;
}

bool TfileThread::continuePieces(InternetSession& session, OutputFile& file)
{
    const auto first = m_plan->take(ParallelCopy::FirstConnection);
    if (!first)
        return m_plan->allFinished() ? closeCompleted(file) : failed(FailureReason::of(FailureReason::Kind::Other));
    const auto resumed = session.resumeUrl(Url, first->begin, knownFile());
    const bool sameFile = sameFileAtNewAddress(resumed, first->begin);
    if (!sameFile || (resumed.stream && isUnwantedPage(*resumed.stream))) {
        m_plan->giveBack(ParallelCopy::FirstConnection);
        return failed(FailureReason::of(sameFile ? FailureReason::Kind::WebPage : FailureReason::Kind::NotTheSameFile));
    }
    if (resumed.stream)
        m_addressChanged = false;
    switch (resumed.position) {
    case SeekResult::Failed:
        m_plan->giveBack(ParallelCopy::FirstConnection);
        return failed(resumed.failure);
    case SeekResult::AlreadyWhole:
        m_plan->giveBack(ParallelCopy::FirstConnection);
        return failed(FailureReason::of(FailureReason::Kind::ChangedFile, "the resource ends before the missing bytes"));
    case SeekResult::StartsAfresh:
        break;
    case SeekResult::Continues:
    case SeekResult::Skipped:
        // From the first byte no range is asked, so the answer's version is checked here.
        if (first->begin > 0 || sameVersion(*resumed.stream)) {
            noteAnswer(*resumed.stream, false);
            return copyPieces(*resumed.stream, file, *first);
        }
    }
    m_plan.reset();
    setLoaded(0);
    file.close();
    return createDestination(file) && copyFrom(*resumed.stream, file, true);
}

bool TfileThread::sameFileAtNewAddress(const InternetSession::Resumed& resumed, std::uint64_t offset) const
{
    const std::uint64_t written = m_plan ? m_plan->writtenBytes() : Loaded;
    if (!m_addressChanged || written == 0)
        return true; // nothing written that another file could spoil
    switch (resumed.position) {
    case SeekResult::Failed:
        // Other failures are told as they are; the check waits for an answer.
        return resumed.failure.kind != FailureReason::Kind::ChangedFile;
    case SeekResult::AlreadyWhole:
        return true;
    case SeekResult::StartsAfresh:
        return false;
    case SeekResult::Continues:
    case SeekResult::Skipped:
        break;
    }
    // Only the stored validator, sent as If-Range and honoured with a part of the stored
    // total, vouches for the partial file's bytes; from the first byte no range is asked.
    return !m_validator.empty() && (offset > 0 || sameVersion(*resumed.stream));
}

bool TfileThread::sameVersion(const UrlStream& stream) const
{
    return stream.total() == m_exactTotal && stream.validator() == m_validator;
}

bool TfileThread::copyPieces(UrlStream& stream, OutputFile& file, PiecePlan::Range first)
{
    using End = ParallelCopy::End;
    const std::uint64_t before = m_plan->writtenBytes();
    ParallelCopy::Watchers watchers;
    watchers.progress = [this](int connections) {
        setLoaded(m_plan->writtenBytes());
        Meter->setConnections(connections);
        // About once a second, as the reads of one connection report.
        if (++m_reads % 10 == 0)
            report(&TfileThread::ShowProgress);
    };
    watchers.keepMap = [this, &file] { keepPieces(file); };
    const int connections = m_oneConnection ? 1 : std::max(1, m_services.connections);
    ParallelCopy copy(m_services, m_interrupter, file, *m_plan, {Url, Agent, knownFile(), connections}, watchers);
    const ParallelCopy::Result result = copy.run(stream, first);
    setLoaded(m_plan->writtenBytes());
    m_appended += Loaded - before;
    switch (result.end) {
    case End::Whole:
        if (!file.isStillAtItsPath()) {
            m_lostFile = true;
            return failed(FailureReason::of(FailureReason::Kind::LocalFile, "the file was removed or replaced"));
        }
        return closeCompleted(file);
    case End::Stopped:
        return failed(FailureReason::of(FailureReason::Kind::Interrupted));
    case End::FileFailed:
        return failedLocally(file);
    case End::OtherVersion:
        // Once per run: a server that changes its file all the time ends it.
        m_startAfresh = m_goOnAtOnce = !m_startedAfresh;
        m_startedAfresh = true;
        return failed(FailureReason::of(FailureReason::Kind::ChangedFile));
    case End::ConnectionsFailed:
        break;
    }
    // A server whose parts are refused goes on as over one connection, which the resume rules
    // keep to its file; other failures have had their retries on each connection.
    if (result.failure.kind == FailureReason::Kind::WrongPart && !m_oneConnection)
        m_oneConnection = m_goOnAtOnce = true;
    else
        m_piecesEnded = result.failure.kind != FailureReason::Kind::WrongPart;
    return failed(result.failure);
}

void TfileThread::keepPieces(OutputFile& file)
{
    const std::string map = m_plan->pieceMap();
    if (m_progress && m_progress->finishedPieces == map)
        return;
    // The map counts pieces only once their bytes are on the disk.
    if (!file.sync()) {
        TransferLog::progressNotKept(DestFile, file.errorText());
        return;
    }
    keepProgress(map);
}

void TfileThread::takeServerName(const UrlStream& stream)
{
    if (!NameFromServer || std::exchange(m_named, true))
        return;
    const auto given = FileNames::serverGivenName(stream.contentDisposition(), stream.finalUrl());
    // The start's own name needs no word with the main thread.
    if (given && *given != FileNames::baseName(DestFile))
        synchronize([this, &given] { ShowNamed(*given); });
}

void TfileThread::ShowNamed(const std::string& given)
{
    // Never over another file, nor over a file another task writes or has finished.
    const auto taken = [this](const std::string& dest) {
        std::error_code error;
        const bool other = std::filesystem::exists(dest, error) && !FileNames::sameFile(dest, DestFile);
        return other || (m_services.heldByAnotherTask && m_services.heldByAnotherTask(Task, dest));
    };
    const std::string folder = std::filesystem::path(DestFile).parent_path().string();
    const auto name = FileNames::freeName(folder, given, taken);
    const int Row = row();
    if (!name || Row == 0)
        return;
    DestFile = FileNames::destinationPath(folder, *name);
    m_services.table.setCell(ColFileName, Row, *name);
}

bool TfileThread::createDestination(OutputFile& file)
{
    // An abandoned worker leaves the file to its row's next run.
    if (abandoned())
        return failed(FailureReason::of(FailureReason::Kind::Interrupted));
    if (const auto created = file.create(DestFile); created != OutputFile::OpenResult::Opened)
        return failedToOpen(file, created);
    m_createdFile = true;
    return true;
}

bool TfileThread::copyFrom(UrlStream& stream, OutputFile& file, bool startsFile)
{
    const std::uint32_t refreshEvery = std::max<std::uint32_t>(RefreshEvery, 1);
    noteAnswer(stream, startsFile);
    if (goesInPieces(stream)) {
        m_plan = std::make_unique<PiecePlan>(*m_exactTotal, PiecePlan::PieceSize);
        m_plan->trustPrefix(Loaded);
        // The map is on the disk before the file has its whole length, so that a file of that
        // length is never left without the record of which of its bytes are written.
        if (keepProgress()) {
            const auto first = m_plan->take(ParallelCopy::FirstConnection);
            if (!openForPieces(file))
                return false;
            return copyPieces(stream, file, *first);
        }
        m_plan.reset();
        keepProgress();
    }
    char block[BlockSize];
    std::size_t count = 0;
    LimitedReads reads(m_services.speed.get(), m_interrupter);
    do {
        const std::size_t allowed = reads.allowed(sizeof block);
        if (allowed == 0)
            return failed(FailureReason::of(FailureReason::Kind::Interrupted));
        count = stream.read(block, allowed);
        // Abandoned while blocked in the file: its row may run another worker once this ends.
        if (abandoned())
            return failed(FailureReason::of(FailureReason::Kind::Interrupted));
        if (!file.write(block, count))
            return failedLocally(file);
        setLoaded(Loaded + count);
        m_appended += count;
        if (++m_reads % refreshEvery == 0)
            report(&TfileThread::ShowProgress);
    } while (count != 0 && !terminated());
    if (!file.isStillAtItsPath()) {
        m_lostFile = true;
        return failed(FailureReason::of(FailureReason::Kind::LocalFile, "the file was removed or replaced"));
    }
    if (terminated())
        return failed(FailureReason::of(FailureReason::Kind::Interrupted));
    if (FailureReason broken = stream.failure(); broken.failed())
        return failed(std::move(broken));
    return completesTheTotal(file);
}

std::optional<std::uint64_t> TfileThread::runTotal() const
{
    return m_exactTotal ? m_exactTotal : AnnouncedTotal;
}

bool TfileThread::completesTheTotal(OutputFile& file)
{
    using Kind = FailureReason::Kind;
    const auto total = runTotal();
    if (!total || Loaded == *total)
        return closeCompleted(file);
    const std::string held = std::to_string(Loaded) + " of " + std::to_string(*total) + " bytes";
    if (Loaded < *total)
        return failed(FailureReason::of(Kind::ShortAnswer, held));
    return failed(FailureReason::of(Kind::ChangedFile, held));
}

bool TfileThread::closeCompleted(OutputFile& file)
{
    if (!file.close())
        return failedLocally(file);
    if (terminated())
        return failed(FailureReason::of(FailureReason::Kind::Interrupted));
    return true;
}

bool TfileThread::waitBeforeRetry(std::chrono::milliseconds wait)
{
    const bool waited = m_services.waitBeforeRetry ? m_services.waitBeforeRetry(wait, m_interrupter)
                                                   : m_interrupter.sleepFor(wait);
    if (waited && !terminated())
        return true;
    return failed(FailureReason::of(FailureReason::Kind::Interrupted));
}

bool TfileThread::failed(FailureReason reason)
{
    m_failure = std::move(reason);
    return false;
}

bool TfileThread::failedToOpen(const OutputFile& file, OutputFile::OpenResult result)
{
    if (result == OutputFile::OpenResult::InUse)
        return failed(FailureReason::of(FailureReason::Kind::FileInUse, FileNames::baseName(DestFile)));
    return failedLocally(file);
}

bool TfileThread::failedLocally(const OutputFile& file)
{
    return failed(FailureReason::of(FailureReason::Kind::LocalFile, file.errorText()));
}

void TfileThread::setLoaded(std::uint64_t bytes)
{
    Loaded = bytes;
    Meter->setHeld(bytes);
}

void TfileThread::report(void (TfileThread::*show)())
{
    synchronize([this, show] { (this->*show)(); });
}

int TfileThread::row() const
{
    return m_services.table.rowOf(Task);
}

void TfileThread::ShowProgress()
{
    if (Loaded == 0)
        return;
    TaskTable& table = m_services.table;
    const int Row = row();
    if (Row == 0)
        return;
    table.setCell(ColSizeLoaded, Row, CellFormats::sizeText(Loaded, m_services.formats.decimalSeparator()));
    table.setCell(ColStatus, Row, std::string(Status::Started));
}

void TfileThread::ShowDone()
{
    TaskTable& table = m_services.table;
    if (const int Row = row()) {
        table.setCell(ColStatus, Row, std::string(Status::Done));
        table.setCell(ColProcess, Row, std::string(Process::Finished));
        table.setCell(ColTimeOfEnd, Row, m_services.formats.timeStamp(m_services.clock.now()));
    }
    table.setRunOutcome(Task, m_outcome);
    if (m_services.completed)
        m_services.completed(DestFile);
    if (m_services.ended)
        m_services.ended(Task, m_outcome);
}

void TfileThread::ShowStopped()
{
    // A create-afresh run that never created its file, or a run whose file was removed or
    // replaced, must not make the next start append to an unrelated file of that name.
    const bool nothingToResume = (CreateNew && !m_createdFile) || m_lostFile;
    if (const int Row = row()) {
        m_services.table.setCell(ColStatus, Row, std::string(nothingToResume ? Status::New : Status::Started));
        m_services.table.setCell(ColProcess, Row, std::string(Process::Idle));
        // The probe's size was another file's: the row keeps the size of the partial file's own.
        const bool otherFile = m_failure.kind == FailureReason::Kind::ChangedFile ||
                               m_failure.kind == FailureReason::Kind::NotTheSameFile;
        if (otherFile && Known.known() && !Known.sizeText.empty())
            m_services.table.setCell(ColSize, Row, Known.sizeText);
    }
    m_services.table.setRunOutcome(Task, m_outcome);
    if (m_services.ended)
        m_services.ended(Task, m_outcome);
}

} // namespace zv
