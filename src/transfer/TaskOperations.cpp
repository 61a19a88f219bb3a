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
#include "transfer/RefreshSpeed.h"
#include "transfer/ScheduleBackoff.h"

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

const std::string& TaskOperations::cell(int column, int row) const
{
    return table().cell(column, row);
}

void TaskOperations::setCell(int column, int row, std::string_view text)
{
    table().setCell(column, row, std::string(text));
}

int TaskOperations::currentTask() const
{
    const int row = table().currentRow();
    return table().isTaskRow(row) ? row : 0;
}

bool TaskOperations::mayStart(int row) const
{
    const std::string& process = cell(ColProcess, row);
    return process != Process::Running && process != Process::Finished && !m_services.workerSlots.isEnding(row);
}

void TaskOperations::startCurrentTask()
{
    const int row = currentTask();
    if (row == 0 || !mayStart(row) || cell(ColSchedule, row) != Schedule::None)
        return;
    startSingle(row, cell(ColFileName, row), nullptr);
}

void TaskOperations::startBySchedule()
{
    const int row = currentTask();
    ScheduleBackoff* backoff = m_services.scheduleBackoff;
    if (row == 0 || !mayStart(row) || (backoff && backoff->holdsBack(row)))
        return;
    // The name the grid shows, as the other starts use; a row the editor never named falls
    // back to the URL's name.
    const std::string& named = cell(ColFileName, row);
    startSingle(row, named.empty() ? FileNames::nameFromUrl(cell(ColUrl, row)) : named, backoff);
}

void TaskOperations::probeThenStart(int row, Start start)
{
    // One probe per row at a time: a second start of a waiting row does nothing. A start
    // left from before the row changed is no longer waited for.
    const std::uint64_t token = m_tokens.of(row);
    if (const auto pending = m_pending.find(row); pending != m_pending.end() && pending->second.token == token)
        return;
    erasePending(row);
    m_pending.insert_or_assign(row, Pending{token, Retries(m_services.worker.retries)});
    // Read before the probe's answer writes its size into the cell.
    ask(row, token, std::move(start), KnownTotal::ofRow(table(), row, m_services.worker.formats));
}

void TaskOperations::ask(int row, std::uint64_t token, Start start, KnownTotal known)
{
    m_services.probes.ask(cell(ColUrl, row), [this, row, token, start = std::move(start),
                                              known = std::move(known)](const ProbeResult& probe) {
        answered(row, token, start, known, probe);
    });
}

void TaskOperations::answered(int row, std::uint64_t token, const Start& start, const KnownTotal& known,
                              const ProbeResult& probe)
{
    const auto pending = m_pending.find(row);
    if (pending == m_pending.end() || pending->second.token != token)
        return; // dropped meanwhile; a newer start of the row may wait for its own answer
    if (m_tokens.of(row) != token || !table().isTaskRow(row)) {
        erasePending(row);
        return;
    }
    if (probe.bytes == 0 && retryLater(row, token, start, known, probe))
        return;
    const Retries retries = pending->second.retries;
    erasePending(row);
    if (probe.bytes == 0 && probe.failure.failed() && cell(ColStatus, row) != Status::Done)
        startEnded(row, probe, retries);
    start(probe, known);
}

bool TaskOperations::retryLater(int row, std::uint64_t token, const Start& start, const KnownTotal& known,
                                const ProbeResult& probe)
{
    // A done row's start ends with its box whatever the probe answers: no wait before it.
    if (!m_services.deferrer || cell(ColStatus, row) == Status::Done)
        return false;
    Retries& retries = m_pending.at(row).retries;
    const auto wait = retries.after(probe.failure);
    if (!wait)
        return false;
    if (m_services.progress)
        m_services.progress->waitingToRetry(row, retries.inAll(), m_services.worker.retries.maxRetries,
                                            probe.failure.plainText());
    // The wait is a timer on this thread: a stop, a cancel or an edit renews the row's token
    // or drops its pending start, and the retry then asks nothing.
    m_services.deferrer->callAfter(static_cast<int>(wait->count()),
                                   [self = std::weak_ptr<TaskOperations*>(m_self), row, token, start, known] {
                                       if (const auto operations = self.lock())
                                           (*operations)->askAgain(row, token, start, known);
                                   });
    return true;
}

void TaskOperations::askAgain(int row, std::uint64_t token, const Start& start, const KnownTotal& known)
{
    const auto pending = m_pending.find(row);
    if (pending == m_pending.end() || pending->second.token != token)
        return;
    if (m_tokens.of(row) == token && table().isTaskRow(row))
        ask(row, token, start, known);
    else
        erasePending(row);
}

void TaskOperations::startEnded(int row, const ProbeResult& probe, const Retries& retries)
{
    const std::string plain = probe.failure.plainText();
    keepNotStarted(row, retries.endText(probe.failure), plain, probe.failure.retryAfter);
    if (m_services.startFailed)
        m_services.startFailed(cell(ColFileName, row), plain);
}

void TaskOperations::startSingle(int row, const std::string& fileName, ScheduleBackoff* backoff)
{
    probeThenStart(row, [this, row, fileName, backoff](const ProbeResult& probe, const KnownTotal& known) {
        if (cell(ColStatus, row) == Status::Done) {
            m_services.dialogs.messageBox("This file is loaded already!", "Copying..", MessageIcon::Information);
            return;
        }
        if (probe.bytes > 0)
            launch(row, probe, known, fileName, ThreadPriority::BelowNormal);
        else if (backoff)
            backoff->startFailed(row, probe.failure.retryAfter);
    });
}

void TaskOperations::startAllTasks()
{
    // Every admitted row asks at once; each starts as its own answer comes.
    for (int row = 1; row < table().rowCount(); ++row) {
        if (cell(ColProcess, row) != Process::Idle || cell(ColSchedule, row) != Schedule::None ||
            cell(ColStatus, row) == Status::Done || m_services.workerSlots.isEnding(row))
            continue;
        probeThenStart(row, [this, row](const ProbeResult& probe, const KnownTotal& known) {
            if (probe.bytes > 0)
                launch(row, probe, known, cell(ColFileName, row), ThreadPriority::AboveNormal);
        });
    }
}

void TaskOperations::dropPendingStart(int row)
{
    if (!m_pending.contains(row))
        return;
    erasePending(row);
    m_tokens.renew(row);
}

void TaskOperations::dropPendingStarts()
{
    clearPending();
    m_services.probes.cancelAll();
}

void TaskOperations::erasePending(int row)
{
    if (m_pending.erase(row) > 0 && m_services.progress)
        m_services.progress->retryEnded(row);
}

void TaskOperations::clearPending()
{
    while (!m_pending.empty())
        erasePending(m_pending.begin()->first);
}

void TaskOperations::launch(int row, const ProbeResult& probe, const KnownTotal& known, const std::string& fileName,
                            ThreadPriority priority)
{
    const std::string dest = FileNames::destinationPath(cell(ColPath, row), fileName);
    if (const auto taken = destinationTaken(row, dest)) {
        refuseStart(row, *taken);
        return;
    }
    const FormatSettings& formats = m_services.worker.formats;
    setCell(ColSize, row, CellFormats::sizeText(probe.bytes, formats.decimalSeparator()));

    auto* worker = new TfileThread(m_services.worker);
    ThreadPtr owner(worker);
    worker->setFreeOnTerminate(false);
    worker->setPriority(priority);
    worker->Url = cell(ColUrl, row);
    worker->Row = static_cast<std::uint8_t>(row);
    const int speedItem = m_services.refreshSpeedItem ? m_services.refreshSpeedItem() : RefreshSpeed::DefaultItem;
    worker->RefreshEvery = RefreshSpeed::readsBetweenReports(speedItem);
    worker->CreateNew = cell(ColStatus, row) == Status::New ? 1 : 0;
    worker->DestFile = dest;
    worker->Known = known;
    worker->AnnouncedTotal = probe.total;
    worker->ProbedHtml = probe.html;
    m_services.workerSlots.put(row, std::move(owner));

    setCell(ColStatus, row, Status::Started);
    setCell(ColProcess, row, Process::Running);
    setCell(ColTimeOfBeginning, row, formats.timeStamp(m_services.worker.clock.now()));
    if (m_services.progress)
        m_services.progress->launched(row, worker->Meter);
    worker->resume();
}

std::optional<std::string> TaskOperations::destinationTaken(int row, const std::string& dest) const
{
    const WorkerSlots& slots = m_services.workerSlots;
    for (int other = 1; other < table().rowCount(); ++other) {
        if (other == row)
            continue;
        const auto* worker = dynamic_cast<const TfileThread*>(slots.at(other));
        const bool writing = worker && !worker->finished();
        const bool done = cell(ColStatus, other) == Status::Done;
        if (!writing && !done && !slots.isEnding(other))
            continue;
        // An abandoned worker is out of reach; its row's cells tell where it writes.
        if (!FileNames::sameFile(writing ? worker->DestFile : FileNames::destinationOf(table(), other), dest))
            continue;
        if (done && !writing)
            return "\"" + FileNames::baseName(dest) + "\" is another task's finished download";
        return FailureReason::of(FailureReason::Kind::FileInUse, FileNames::baseName(dest)).plainText();
    }
    return std::nullopt;
}

void TaskOperations::refuseStart(int row, const std::string& why) { keepNotStarted(row, why, why); }

void TaskOperations::keepNotStarted(int row, const std::string& reason, const std::string& plainReason,
                                    std::optional<std::chrono::seconds> retryAfter)
{
    RunOutcome outcome;
    outcome.reason = "not started: " + reason;
    outcome.plainReason = plainReason;
    outcome.notStarted = true;
    outcome.total = table().runOutcome(row).total;
    outcome.retryAfter = retryAfter;
    table().setRunOutcome(row, std::move(outcome));
}

void TaskOperations::stopWorker(int row)
{
    m_services.workerSlots.destroy(row);
}

void TaskOperations::stopCurrentTask()
{
    const int row = currentTask();
    if (row == 0)
        return;
    dropPendingStart(row);
    if (cell(ColProcess, row) == Process::Running) {
        stopWorker(row);
        // Written after the worker's last reports: the stopper's code wins.
        setCell(ColProcess, row, Process::Idle);
    }
    // After the worker's last report, whatever it ended with: the schedule starts the row
    // again at its next tick.
    if (m_services.scheduleBackoff)
        m_services.scheduleBackoff->forget(row);
}

void TaskOperations::stopAllTasks()
{
    clearPending();
    // Workers blocked where no interrupt reaches then cost one stop limit in all, not one each.
    m_services.workerSlots.terminateAll();
    for (int row = 1; row < table().rowCount(); ++row) {
        if (cell(ColProcess, row) != Process::Running)
            continue;
        stopWorker(row);
        setCell(ColProcess, row, Process::Idle);
    }
    if (m_services.scheduleBackoff)
        m_services.scheduleBackoff->forgetAll();
}

void TaskOperations::cancelCurrentTask()
{
    if (const int row = currentTask())
        cancelRow(row);
}

void TaskOperations::cancelAllTasks()
{
    clearPending();
    m_services.workerSlots.terminateAll();
    for (int row = 1; row < table().rowCount(); ++row)
        cancelRow(row);
}

void TaskOperations::cancelRow(int row)
{
    dropPendingStart(row);
    if (cell(ColStatus, row) == Status::Done)
        return;
    if (cell(ColProcess, row) == Process::Running)
        stopWorker(row);
    // A cancelled task is never resumed; its partial file stays for the user, as before.
    ProgressFile(FileNames::destinationOf(table(), row)).remove();
    setCell(ColStatus, row, Status::Cancelled);
    setCell(ColProcess, row, Process::Finished);
}

} // namespace zv
