#include "transfer/ScheduleBackoff.h"

#include "tasks/RunOutcome.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace zv {

ScheduleBackoff::ScheduleBackoff(TaskTable& table, const Clock& clock) : m_table(table), m_clock(clock)
{
    m_listener = m_table.addListener([this](const TableChange& change) {
        if (change.kind == TableChange::Kind::Rows)
            std::erase_if(m_waits, [this](const auto& entry) { return m_table.rowOf(entry.first) == 0; });
    });
}

ScheduleBackoff::~ScheduleBackoff() { m_table.removeListener(m_listener); }

void ScheduleBackoff::startFailed(TaskId task, std::optional<std::chrono::seconds> retryAfter)
{
    Wait& wait = m_waits[task];
    std::chrono::seconds delay = wait.next;
    wait.next = std::min(delay * 2, LongestWait);
    if (retryAfter)
        delay = std::max(delay, std::min(*retryAfter, LongestRetryAfter));
    wait.until = m_clock.steadyNow() + delay;
    wait.at = secondsLater(m_clock.now(), delay);
}

void ScheduleBackoff::runStopped(TaskId task, const RunOutcome& outcome)
{
    // Only the user's stop has no plain reason.
    if (outcome.plainReason.empty())
        forget(task);
    else
        startFailed(task, outcome.retryAfter);
}

void ScheduleBackoff::forget(TaskId task) { m_waits.erase(task); }

void ScheduleBackoff::forgetAll() { m_waits.clear(); }

bool ScheduleBackoff::holdsBack(TaskId task) const
{
    const auto wait = m_waits.find(task);
    return wait != m_waits.end() && m_clock.steadyNow() < wait->second.until;
}

std::optional<LocalDateTime> ScheduleBackoff::nextTry(TaskId task) const
{
    if (!holdsBack(task))
        return std::nullopt;
    return m_waits.at(task).at;
}

} // namespace zv
