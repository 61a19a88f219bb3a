#include "transfer/ProgressBoard.h"

#include "platform/services/Clock.h"
#include "platform/text/FormatSettings.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/ProgressTexts.h"
#include "transfer/RunQueue.h"
#include "transfer/ScheduleBackoff.h"
#include "transfer/SpeedLimiter.h"

#include <algorithm>
#include <chrono>

namespace zv {

ProgressBoard::ProgressBoard(TaskTable& table, const WorkerSlots& slots, const Clock& clock,
                             const FormatSettings& formats, const ScheduleBackoff* backoff, const RunQueue* queue,
                             const SpeedLimiter* limiter)
    : m_table(table), m_slots(slots), m_clock(clock), m_formats(formats), m_backoff(backoff), m_queue(queue),
      m_limiter(limiter)
{
    m_listener = m_table.addListener([this](const TableChange& change) { changed(change); });
}

ProgressBoard::~ProgressBoard() { m_table.removeListener(m_listener); }

void ProgressBoard::launched(TaskId task, std::shared_ptr<const TransferMeter> meter)
{
    m_runs[task] = Run{std::move(meter), {}, m_clock.steadyNow(), std::nullopt};
}

void ProgressBoard::waitingToRetry(TaskId task, int retry, int count, const std::string& reason)
{
    m_retryWaits[task] = "Waiting to retry (" + std::to_string(retry) + " of " + std::to_string(count) + "): " + reason;
}

void ProgressBoard::retryEnded(TaskId task) { m_retryWaits.erase(task); }

void ProgressBoard::sample()
{
    const Time now = m_clock.steadyNow();
    for (auto& [task, run] : m_runs) {
        if (!run.endedAt)
            run.speed.add(now, run.meter->held());
    }
}

void ProgressBoard::changed(const TableChange& change)
{
    if (change.kind == TableChange::Kind::Rows) {
        // What was known of the tasks that left goes with them.
        const auto gone = [this](const auto& entry) { return m_table.rowOf(entry.first) == 0; };
        std::erase_if(m_runs, gone);
        std::erase_if(m_retryWaits, gone);
    }
}

void ProgressBoard::runEnded(TaskId task, const RunOutcome&)
{
    const auto run = m_runs.find(task);
    if (run != m_runs.end() && !run->second.endedAt)
        run->second.endedAt = m_clock.steadyNow();
}

const ProgressBoard::Run* ProgressBoard::runOf(TaskId task) const
{
    const auto run = m_runs.find(task);
    return run == m_runs.end() ? nullptr : &run->second;
}

std::string ProgressBoard::tip(int row) const
{
    std::string lines;
    for (const std::string& line : {queuedTip(row), stateTip(row), nextTryTip(row)}) {
        if (!line.empty())
            lines += (lines.empty() ? "" : "\n") + line;
    }
    return lines;
}

std::string ProgressBoard::queuedTip(int row) const
{
    const std::size_t place = m_queue ? m_queue->placeOf(m_table.idOf(row)) : 0;
    return place == 0 ? std::string() : "Queued: " + ProgressTexts::ordinal(place) + " in line";
}

std::string ProgressBoard::limitedTip() const
{
    if (!m_limiter || !m_limiter->heldBack() || m_limiter->limit() == 0)
        return {};
    return ", limited to " + ProgressTexts::speed(static_cast<double>(m_limiter->limit()), m_formats.decimalSeparator())
         + " in all";
}

std::string ProgressBoard::nextTryTip(int row) const
{
    const std::optional<LocalDateTime> next = m_backoff ? m_backoff->nextTry(m_table.idOf(row)) : std::nullopt;
    if (!next)
        return {};
    // The time alone today; a Retry-After may put it on another day.
    const bool today = next->date == m_clock.now().date;
    return "Next try at " + (today ? m_formats.formatTime(next->time) : m_formats.timeStamp(*next));
}

std::string ProgressBoard::stateTip(int row) const
{
    const std::string& status = m_table.cell(ColStatus, row);
    if (status == Status::Cancelled)
        return "Cancelled";
    if (status == Status::Done)
        return doneTip(row);
    if (m_table.cell(ColProcess, row) == Process::Running) {
        const Run* run = runOf(m_table.idOf(row));
        return run && !run->endedAt && !m_slots.isEmpty(m_table.idOf(row)) ? runningTip(*run) : NotRunningText;
    }
    if (const auto wait = m_retryWaits.find(m_table.idOf(row)); wait != m_retryWaits.end())
        return wait->second;
    if (m_table.runOutcome(row).notStarted)
        return notStartedTip(row);
    if (status == Status::Started || !m_table.runReason(row).empty())
        return stoppedTip(row);
    if (status == Status::New)
        return "Not started yet";
    return {};
}

std::string ProgressBoard::runningTip(const Run& run) const
{
    const std::uint64_t held = run.meter->held();
    const std::optional<std::uint64_t> total = run.meter->total();
    const std::optional<double> speed = run.speed.bytesPerSecond();
    std::string line;
    if (total && *total > 0)
        line = std::to_string(std::min<std::uint64_t>(held * 100 / *total, 100)) + " % of " + size(*total) + " ("
             + size(held) + ")";
    else if (held > 0)
        line = size(held) + " loaded";
    else
        line = "Waiting for the server";
    if (speed)
        line += ", " + ProgressTexts::speed(*speed, m_formats.decimalSeparator()) + limitedTip();
    if (total && speed && *speed > 0 && held < *total) {
        const auto left = std::chrono::seconds(static_cast<long long>(static_cast<double>(*total - held) / *speed + 0.5));
        line += ", about " + ProgressTexts::roughTime(left) + " left";
    }
    // One connection is the plain case and goes without saying. The lines are appended piece by
    // piece: "\n" + a temporary string sets off GCC 12's false -Wrestrict in a Release build.
    if (const int connections = run.meter->connections(); connections > 1)
        line.append("\n").append(std::to_string(connections)).append(" connections");
    if (const int retries = run.meter->retries(); retries > 0)
        line.append("\n").append(ProgressTexts::retries(retries)).append(" so far");
    return line;
}

std::string ProgressBoard::notStartedTip(int row) const
{
    const RunOutcome& outcome = m_table.runOutcome(row);
    return "Not started: " + outcome.plainReason + ProgressTexts::askedWait(outcome.retryAfter);
}

std::string ProgressBoard::stoppedTip(int row) const
{
    const RunOutcome& outcome = m_table.runOutcome(row);
    std::string line = "Stopped";
    if (!outcome.plainReason.empty())
        line += ": " + outcome.plainReason;
    if (outcome.retries > 0)
        line += " (after " + ProgressTexts::retries(outcome.retries) + ")";
    return line + ProgressTexts::askedWait(outcome.retryAfter);
}

std::string ProgressBoard::doneTip(int row) const
{
    const Run* run = runOf(m_table.idOf(row));
    if (!run || !run->endedAt) {
        // Done before this program run: the cells are all that is known.
        const std::string& loaded = m_table.cell(ColSizeLoaded, row);
        return loaded.empty() ? "Done" : "Done: " + loaded;
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(*run->endedAt - run->startedAt);
    std::string line = "Done: " + size(run->meter->held()) + " in " + ProgressTexts::duration(took);
    const std::uint64_t appended = m_table.runOutcome(row).appended;
    if (took.count() > 0 && appended > 0) {
        const double seconds = std::chrono::duration<double>(took).count();
        line += ", " + ProgressTexts::speed(static_cast<double>(appended) / seconds, m_formats.decimalSeparator())
              + " on average";
    }
    return line;
}

std::string ProgressBoard::size(std::uint64_t bytes) const
{
    return CellFormats::sizeText(bytes, m_formats.decimalSeparator());
}

} // namespace zv
