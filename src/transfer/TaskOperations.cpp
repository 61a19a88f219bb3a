#include "transfer/TaskOperations.h"

#include "platform/services/Clock.h"
#include "platform/services/Deferrer.h"
#include "platform/services/Dialogs.h"
#include "platform/text/FormatSettings.h"
#include "tasks/CellFormats.h"
#include "tasks/ProgressFile.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/CopyNetTr.h"
#include "transfer/FileNames.h"
#include "transfer/ProbeRunner.h"
#include "transfer/ProgressBoard.h"
#include "transfer/ProgressTexts.h"
#include "transfer/RefreshSpeed.h"
#include "transfer/ScheduleBackoff.h"
#include "transfer/TaskListener.h"

namespace zv {

TaskOperations::TaskOperations(TransferServices services)
    : m_services(std::move(services)), m_tokens(m_services.worker.table), m_self(std::make_shared<TaskOperations*>(this))
{
}

TaskOperations::~TaskOperations()
{
    // No answer may reach an operations object that is gone.
    dropPendingStarts();
}

const std::string& TaskOperations::cell(int column, TaskId task) const
{
    return table().cell(column, table().rowOf(task));
}

void TaskOperations::setCell(int column, TaskId task, std::string_view text)
{
    if (const int row = table().rowOf(task))
        table().setCell(column, row, std::string(text));
}

TaskId TaskOperations::currentTask() const
{
    return table().idOf(table().currentRow());
}

bool TaskOperations::mayStart(TaskId task) const
{
    const std::string& process = cell(ColProcess, task);
    return table().rowOf(task) != 0 && process != Process::Running && process != Process::Finished
        && !m_services.workerSlots.isEnding(task);
}

void TaskOperations::start(TaskId task)
{
    if (!mayStart(task) || cell(ColSchedule, task) != Schedule::None)
        return;
    admit(task, StartKind::User);
}

void TaskOperations::startBySchedule(TaskId task)
{
    ScheduleBackoff* backoff = m_services.scheduleBackoff;
    if (!mayStart(task) || (backoff && backoff->holdsBack(task)))
        return;
    admit(task, StartKind::Schedule);
}

void TaskOperations::admit(TaskId task, StartKind kind)
{
    if (waitsForPlace(task, kind)) {
        m_services.queue->add(task, kind); // one already waiting keeps its place
        return;
    }
    if (kind == StartKind::User)
        m_userStarts.insert(task);
    startNow(task, kind);
}

bool TaskOperations::waitsForPlace(TaskId task, StartKind kind) const
{
    // A start already waiting for its probe counts once: a second start of it changes nothing.
    if (!capped() || m_pending.contains(task))
        return false;
    return m_services.queue->placeOf(task) != 0 || placesTaken() || waitsForWriter(task, kind);
}

bool TaskOperations::placesTaken() const
{
    return startsUnderWay() >= static_cast<std::size_t>(m_mostRunning);
}

bool TaskOperations::waitsForWriter(TaskId task, StartKind kind) const
{
    return holdingOf(task, FileNames::destinationPath(cell(ColPath, task), fileNameFor(task, kind))) == Holding::Writing;
}

std::string TaskOperations::fileNameFor(TaskId task, StartKind kind) const
{
    // The schedule names a row the editor never named by its URL.
    const std::string& named = cell(ColFileName, task);
    return kind == StartKind::Schedule && named.empty() ? FileNames::nameFromUrl(cell(ColUrl, task)) : named;
}

void TaskOperations::startNow(TaskId task, StartKind kind)
{
    switch (kind) {
    case StartKind::User:
    case StartKind::Schedule:
        startSingle(task, kind);
        break;
    case StartKind::All:
        probeThenStart(task, [this, task](const ProbeResult& probe, const KnownTotal& known) {
            if (probe.bytes > 0)
                launch(task, probe, known, cell(ColFileName, task), StartKind::All);
        });
        break;
    }
}

void TaskOperations::setMostRunning(int most)
{
    m_mostRunning = most;
    askToFillPlaces();
}

void TaskOperations::leaveQueue(TaskId task)
{
    if (m_services.queue)
        m_services.queue->remove(task);
}

void TaskOperations::askToFillPlaces()
{
    if (m_fillAsked || !m_services.queue || m_services.queue->empty() || !m_services.deferrer)
        return;
    // Not at once: the start or end that freed the place finishes first, and a launch that
    // follows its probe's answer counts before the next task takes the place.
    m_fillAsked = true;
    m_services.deferrer->callAfter(0, [self = std::weak_ptr<TaskOperations*>(m_self)] {
        if (const auto operations = self.lock())
            (*operations)->fillPlaces();
    });
}

void TaskOperations::fillPlaces()
{
    m_fillAsked = false;
    RunQueue& queue = *m_services.queue;
    // A task whose file another task's worker writes waits on; one that may not start any
    // more (gone, or started some other way) just leaves.
    const auto mayGo = [this](const RunQueue::Entry& entry) {
        return !capped() || !mayStart(entry.task) || !waitsForWriter(entry.task, entry.start);
    };
    while (!queue.empty() && (!capped() || !placesTaken())) {
        const auto next = queue.takeFirst(mayGo);
        if (!next)
            return;
        m_userStarts.erase(next->task);
        if (mayStart(next->task))
            startNow(next->task, next->start);
    }
}

void TaskOperations::probeThenStart(TaskId task, Start start)
{
    // One probe per task at a time: a second start of a waiting task does nothing. A start
    // left from before the task changed is no longer waited for.
    const std::uint64_t token = m_tokens.of(task);
    if (const auto pending = m_pending.find(task); pending != m_pending.end() && pending->second.token == token)
        return;
    erasePending(task);
    m_pending.insert_or_assign(task, Pending{token, Retries(m_services.worker.retries)});
    // Read before the probe's answer writes its size into the cell.
    ask(task, token, std::move(start), KnownTotal::ofRow(table(), table().rowOf(task), m_services.worker.formats));
}

void TaskOperations::ask(TaskId task, std::uint64_t token, Start start, KnownTotal known)
{
    m_services.probes.ask(cell(ColUrl, task), [this, task, token, start = std::move(start),
                                               known = std::move(known)](const ProbeResult& probe) {
        answered(task, token, start, known, probe);
    });
}

bool TaskOperations::stillWaits(TaskId task, std::uint64_t token)
{
    const auto pending = m_pending.find(task);
    if (pending == m_pending.end() || pending->second.token != token)
        return false; // dropped meanwhile; a newer start of the task may wait for its own answer
    if (m_tokens.of(task) == token)
        return true;
    erasePending(task);
    return false;
}

void TaskOperations::answered(TaskId task, std::uint64_t token, const Start& start, const KnownTotal& known,
                              const ProbeResult& probe)
{
    if (!stillWaits(task, token))
        return;
    if (probe.bytes == 0 && retryLater(task, token, start, known, probe))
        return;
    const Retries retries = m_pending.at(task).retries;
    erasePending(task);
    if (probe.bytes == 0 && probe.failure.failed() && cell(ColStatus, task) != Status::Done)
        startEnded(task, probe, retries);
    start(probe, known);
}

bool TaskOperations::retryLater(TaskId task, std::uint64_t token, const Start& start, const KnownTotal& known,
                                const ProbeResult& probe)
{
    // A done task's start ends with its box whatever the probe answers: no wait before it.
    if (!m_services.deferrer || cell(ColStatus, task) == Status::Done)
        return false;
    Retries& retries = m_pending.at(task).retries;
    const auto wait = retries.after(probe.failure);
    if (!wait)
        return false;
    if (m_services.progress)
        m_services.progress->waitingToRetry(task, retries.inAll(), m_services.worker.retries.maxRetries,
                                            probe.failure.plainText());
    // The wait is a timer on this thread: a stop, a cancel or an edit renews the task's token
    // or drops its pending start, and the retry then asks nothing.
    m_services.deferrer->callAfter(static_cast<int>(wait->count()),
                                   [self = std::weak_ptr<TaskOperations*>(m_self), task, token, start, known] {
                                       if (const auto operations = self.lock())
                                           (*operations)->askAgain(task, token, start, known);
                                   });
    return true;
}

void TaskOperations::askAgain(TaskId task, std::uint64_t token, const Start& start, const KnownTotal& known)
{
    if (stillWaits(task, token))
        ask(task, token, start, known);
}

void TaskOperations::startEnded(TaskId task, const ProbeResult& probe, const Retries& retries)
{
    const std::string plain = ProgressTexts::endReason(probe.failure, cell(ColStatus, task) == Status::Started);
    keepNotStarted(task, retries.endText(probe.failure), plain, probe.failure.retryAfter);
    if (m_services.startFailed)
        m_services.startFailed(cell(ColFileName, task), plain);
}

void TaskOperations::startSingle(TaskId task, StartKind kind)
{
    ScheduleBackoff* backoff = kind == StartKind::Schedule ? m_services.scheduleBackoff : nullptr;
    const std::string fileName = fileNameFor(task, kind);
    probeThenStart(task, [this, task, fileName, backoff, kind](const ProbeResult& probe, const KnownTotal& known) {
        if (cell(ColStatus, task) == Status::Done) {
            m_services.dialogs.messageBox("This file is loaded already!", "Copying..", MessageIcon::Information);
            return;
        }
        if (probe.bytes > 0)
            launch(task, probe, known, fileName, kind);
        else if (backoff)
            backoff->startFailed(task, probe.failure.retryAfter);
    });
}

void TaskOperations::startAllTasks()
{
    // Every admitted task asks at once (or waits its turn, in row order, under a cap); each
    // starts as its own answer comes.
    for (const TaskId task : table().taskIds()) {
        if (cell(ColProcess, task) != Process::Idle || cell(ColSchedule, task) != Schedule::None ||
            cell(ColStatus, task) == Status::Done || m_services.workerSlots.isEnding(task))
            continue;
        admit(task, StartKind::All);
    }
}

void TaskOperations::dropPendingStart(TaskId task)
{
    leaveQueue(task);
    if (!m_pending.contains(task))
        return;
    erasePending(task);
    m_tokens.renew(task);
}

void TaskOperations::dropPendingStarts()
{
    clearPending();
    m_services.probes.cancelAll();
}

void TaskOperations::erasePending(TaskId task)
{
    if (m_pending.erase(task) == 0)
        return;
    if (m_services.progress)
        m_services.progress->retryEnded(task);
    askToFillPlaces();
}

void TaskOperations::clearPending()
{
    if (m_services.queue)
        m_services.queue->clear();
    while (!m_pending.empty())
        erasePending(m_pending.begin()->first);
}

void TaskOperations::launch(TaskId task, const ProbeResult& probe, const KnownTotal& known,
                            const std::string& fileName, StartKind kind)
{
    const std::string dest = FileNames::destinationPath(cell(ColPath, task), fileName);
    if (const Holding holding = holdingOf(task, dest); holding != Holding::None) {
        // Under a cap the start waits for the other worker instead of being refused.
        if (capped() && holding == Holding::Writing)
            m_services.queue->add(task, kind);
        else
            refuseStart(task, takenText(holding, dest));
        return;
    }
    const FormatSettings& formats = m_services.worker.formats;
    setCell(ColSize, task, CellFormats::sizeText(probe.bytes, formats.decimalSeparator()));

    WorkerServices services = m_services.worker;
    // The worker's last report may come after these operations are gone (the slots end it).
    services.ended = [self = std::weak_ptr<TaskOperations*>(m_self)](TaskId ended, const RunOutcome& outcome) {
        if (const auto operations = self.lock())
            (*operations)->workerEnded(ended, outcome);
    };
    services.heldByAnotherTask = [self = std::weak_ptr<TaskOperations*>(m_self)](TaskId named, const std::string& at) {
        const auto operations = self.lock();
        return operations && (*operations)->holdingOf(named, at) != Holding::None;
    };
    auto* worker = new TfileThread(std::move(services));
    ThreadPtr owner(worker);
    worker->setFreeOnTerminate(false);
    worker->setPriority(kind == StartKind::All ? ThreadPriority::AboveNormal : ThreadPriority::BelowNormal);
    worker->Url = cell(ColUrl, task);
    worker->Task = task;
    const int speedItem = m_services.refreshSpeedItem ? m_services.refreshSpeedItem() : RefreshSpeed::DefaultItem;
    worker->RefreshEvery = RefreshSpeed::readsBetweenReports(speedItem);
    worker->CreateNew = cell(ColStatus, task) == Status::New ? 1 : 0;
    worker->DestFile = dest;
    worker->NameFromServer = worker->CreateNew && FileNames::isDerivedName(cell(ColFileName, task), worker->Url);
    worker->Known = known;
    worker->AnnouncedTotal = probe.total;
    worker->ProbedHtml = probe.html;
    m_services.workerSlots.put(task, std::move(owner));

    setCell(ColStatus, task, Status::Started);
    setCell(ColProcess, task, Process::Running);
    setCell(ColTimeOfBeginning, task, formats.timeStamp(m_services.worker.clock.now()));
    if (m_services.progress)
        m_services.progress->launched(task, worker->Meter);
    m_openRuns[task] = m_userStarts.erase(task) > 0 && kind == StartKind::User;
    if (m_services.events)
        m_services.events->runStarted(task);
    worker->resume();
}

std::string TaskOperations::takenText(Holding holding, const std::string& dest)
{
    if (holding == Holding::Finished)
        return "\"" + FileNames::baseName(dest) + "\" is another task's finished download";
    return FailureReason::of(FailureReason::Kind::FileInUse, FileNames::baseName(dest)).plainText();
}

TaskOperations::Holding TaskOperations::holdingOf(TaskId task, const std::string& dest) const
{
    const WorkerSlots& slots = m_services.workerSlots;
    for (const TaskId other : table().taskIds()) {
        if (other == task)
            continue;
        const auto* worker = dynamic_cast<const TfileThread*>(slots.at(other));
        const bool writing = worker && !worker->finished();
        const bool done = cell(ColStatus, other) == Status::Done;
        if (!writing && !done && !slots.isEnding(other))
            continue;
        // An abandoned worker is out of reach; its row's cells tell where it writes.
        const std::string written =
            writing ? worker->DestFile : FileNames::destinationOf(table(), table().rowOf(other));
        if (FileNames::sameFile(written, dest))
            return done && !writing ? Holding::Finished : Holding::Writing;
    }
    return Holding::None;
}

void TaskOperations::refuseStart(TaskId task, const std::string& why) { keepNotStarted(task, why, why); }

void TaskOperations::keepNotStarted(TaskId task, const std::string& reason, const std::string& plainReason,
                                    std::optional<std::chrono::seconds> retryAfter)
{
    RunOutcome outcome;
    outcome.reason = "not started: " + reason;
    outcome.plainReason = plainReason;
    outcome.notStarted = true;
    outcome.total = table().runOutcome(task).total;
    outcome.retryAfter = retryAfter;
    table().setRunOutcome(task, std::move(outcome));
}

void TaskOperations::workerEnded(TaskId task, const RunOutcome& outcome)
{
    // A run the user stopped or cancelled ends as the user's, unless it completed first.
    const auto byUser = m_endingByUser.find(task);
    if (byUser == m_endingByUser.end() || outcome.end == RunEnd::Done) {
        runEnded(task, outcome);
        return;
    }
    RunOutcome ended = outcome;
    ended.end = byUser->second;
    table().setRunOutcome(task, ended);
    runEnded(task, ended);
}

void TaskOperations::runEnded(TaskId task, const RunOutcome& outcome)
{
    const auto run = m_openRuns.find(task);
    if (run == m_openRuns.end())
        return;
    const bool userStarted = run->second;
    m_openRuns.erase(run);
    if (m_services.events)
        m_services.events->runEnded(task, outcome);
    askToFillPlaces();
    if (userStarted && outcome.failure == FailureReason::Kind::NotTheSameFile)
        offerFreshStart(task);
}

void TaskOperations::offerFreshStart(TaskId task)
{
    // Not inside the worker's last report: the box waits for the user.
    const auto ask = [self = std::weak_ptr<TaskOperations*>(m_self), task] {
        if (const auto operations = self.lock())
            (*operations)->askFreshStart(task);
    };
    if (m_services.deferrer)
        m_services.deferrer->callAfter(0, ask);
}

void TaskOperations::askFreshStart(TaskId task)
{
    const std::string question = FailureReason::of(FailureReason::Kind::NotTheSameFile).plainText();
    if (!mayStart(task) || !m_services.dialogs.askYesNo(question, "Copying.."))
        return;
    // The task may have changed while the box was open.
    if (!mayStart(task) || cell(ColStatus, task) == Status::Done)
        return;
    ProgressFile(FileNames::destinationOf(table(), table().rowOf(task))).remove();
    setCell(ColStatus, task, Status::New);
    changed(task);
    start(task);
}

void TaskOperations::endByUser(TaskId task, RunEnd end)
{
    m_endingByUser[task] = end;
    stopWorker(task);
    m_endingByUser.erase(task);
    // An abandoned worker makes no last report: its run ends here.
    if (m_openRuns.contains(task)) {
        RunOutcome outcome = table().runOutcome(task);
        outcome.end = end;
        runEnded(task, outcome);
    }
}

void TaskOperations::changed(TaskId task)
{
    if (m_services.events)
        m_services.events->taskChanged(task);
}

void TaskOperations::stopWorker(TaskId task)
{
    m_services.workerSlots.destroy(task);
}

void TaskOperations::stop(TaskId task)
{
    if (table().rowOf(task) == 0)
        return;
    dropPendingStart(task);
    if (cell(ColProcess, task) == Process::Running) {
        endByUser(task, RunEnd::StoppedByUser);
        // Written after the worker's last reports: the stopper's code wins.
        setCell(ColProcess, task, Process::Idle);
        changed(task);
    }
    // After the worker's last report, whatever it ended with: the schedule starts the task
    // again at its next tick.
    if (m_services.scheduleBackoff)
        m_services.scheduleBackoff->forget(task);
}

void TaskOperations::stopAllTasks()
{
    clearPending();
    // Workers blocked where no interrupt reaches then cost one stop limit in all, not one each.
    m_services.workerSlots.terminateAll();
    for (const TaskId task : table().taskIds()) {
        if (cell(ColProcess, task) != Process::Running)
            continue;
        endByUser(task, RunEnd::StoppedByUser);
        setCell(ColProcess, task, Process::Idle);
        changed(task);
    }
    if (m_services.scheduleBackoff)
        m_services.scheduleBackoff->forgetAll();
}

void TaskOperations::cancel(TaskId task)
{
    if (table().rowOf(task) != 0)
        cancelTask(task);
}

void TaskOperations::cancelAllTasks()
{
    clearPending();
    m_services.workerSlots.terminateAll();
    for (const TaskId task : table().taskIds())
        cancelTask(task);
}

void TaskOperations::cancelTask(TaskId task)
{
    dropPendingStart(task);
    if (cell(ColStatus, task) == Status::Done)
        return;
    if (cell(ColProcess, task) == Process::Running)
        endByUser(task, RunEnd::Cancelled);
    // A cancelled task is never resumed; its partial file stays for the user, as before.
    ProgressFile(FileNames::destinationOf(table(), table().rowOf(task))).remove();
    setCell(ColStatus, task, Status::Cancelled);
    setCell(ColProcess, task, Process::Finished);
    changed(task);
}

} // namespace zv
