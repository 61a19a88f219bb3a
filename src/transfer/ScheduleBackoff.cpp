#include "transfer/ScheduleBackoff.h"

#include "tasks/RunOutcome.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace zv {

ScheduleBackoff::ScheduleBackoff(TaskTable& table, const Clock& clock) : m_table(table), m_clock(clock)
{
    m_listener = m_table.addListener([this](const TableChange& change) {
        if (change.kind == TableChange::Kind::Rows)
            forgetAll();
    });
}

ScheduleBackoff::~ScheduleBackoff() { m_table.removeListener(m_listener); }

void ScheduleBackoff::startFailed(int row, std::optional<std::chrono::seconds> retryAfter)
{
    Wait& wait = m_waits[row];
    std::chrono::seconds delay = wait.next;
    wait.next = std::min(delay * 2, LongestWait);
    if (retryAfter)
        delay = std::max(delay, std::min(*retryAfter, LongestRetryAfter));
    wait.until = m_clock.steadyNow() + delay;
    wait.at = secondsLater(m_clock.now(), delay);
}

void ScheduleBackoff::runStopped(int row, const RunOutcome& outcome)
{
    // Only the user's stop has no plain reason.
    if (outcome.plainReason.empty())
        forget(row);
    else
        startFailed(row, outcome.retryAfter);
}

void ScheduleBackoff::forget(int row) { m_waits.erase(row); }

void ScheduleBackoff::forgetAll() { m_waits.clear(); }

bool ScheduleBackoff::holdsBack(int row) const
{
    const auto wait = m_waits.find(row);
    return wait != m_waits.end() && m_clock.steadyNow() < wait->second.until;
}

std::optional<LocalDateTime> ScheduleBackoff::nextTry(int row) const
{
    if (!holdsBack(row))
        return std::nullopt;
    return m_waits.at(row).at;
}

} // namespace zv
