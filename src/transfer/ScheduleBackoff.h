#pragma once

#include "platform/services/Clock.h"
#include "tasks/TaskId.h"

#include <chrono>
#include <map>
#include <optional>

namespace zv {

class TaskTable;
struct RunOutcome;

// How long the schedule leaves a due task alone after its start failed (its probe failed, or
// its run ended stopped), so that a dead or busy server is not asked again at every tick:
// 1 minute, doubling to 30, or the server's Retry-After when longer (up to a day). Kept in
// memory only, by task. A stop or an edit of the user's forgets the task's wait; a task that
// leaves the table takes its wait along. Main thread only, like the table.
class ScheduleBackoff {
public:
    static constexpr std::chrono::seconds FirstWait{60};
    static constexpr std::chrono::seconds LongestWait{30 * 60};
    static constexpr std::chrono::seconds LongestRetryAfter{24 * 60 * 60};

    ScheduleBackoff(TaskTable& table, const Clock& clock);
    ~ScheduleBackoff();
    ScheduleBackoff(const ScheduleBackoff&) = delete;
    ScheduleBackoff& operator=(const ScheduleBackoff&) = delete;

    void startFailed(TaskId task, std::optional<std::chrono::seconds> retryAfter);
    // A run that ended stopped: a failure unless the user stopped it.
    void runStopped(TaskId task, const RunOutcome& outcome);
    void forget(TaskId task);
    void forgetAll();

    // Whether the schedule must not start the task yet.
    bool holdsBack(TaskId task) const;
    // When the schedule starts the task again, while it holds it back.
    std::optional<LocalDateTime> nextTry(TaskId task) const;

private:
    struct Wait {
        std::chrono::seconds next = FirstWait; // the wait after the next failure
        std::chrono::steady_clock::time_point until;
        LocalDateTime at; // until, on the wall clock, for people
    };

    TaskTable& m_table;
    const Clock& m_clock;
    int m_listener = 0;
    std::map<TaskId, Wait> m_waits;
};

} // namespace zv
