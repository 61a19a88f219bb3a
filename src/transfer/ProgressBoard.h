#pragma once

#include "tasks/TaskId.h"
#include "transfer/SpeedWindow.h"
#include "transfer/TaskListener.h"
#include "transfer/TransferMeter.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace zv {

class Clock;
class FormatSettings;
class RunQueue;
class ScheduleBackoff;
class SpeedLimiter;
class TaskTable;
class WorkerSlots;
struct TableChange;

// What the window tells of a row beyond its cells: the progress of a running transfer (read
// from its worker's meter on the window's timer, with its recent speed and the time left),
// why a stopped one stopped, how a done one went. It learns of runs' ends from the session's
// events. Main thread only, like the table.
class ProgressBoard final : public TaskListener {
public:
    static constexpr const char* NotRunningText = "Not running since the program was restarted: press Stop, then Start to resume";

    // backoff, when given, tells when the schedule tries a failed task again; queue, a
    // waiting task's place; limiter, the limit that holds running downloads back.
    ProgressBoard(TaskTable& table, const WorkerSlots& slots, const Clock& clock, const FormatSettings& formats,
                  const ScheduleBackoff* backoff = nullptr, const RunQueue* queue = nullptr,
                  const SpeedLimiter* limiter = nullptr);
    ~ProgressBoard() override;
    ProgressBoard(const ProgressBoard&) = delete;
    ProgressBoard& operator=(const ProgressBoard&) = delete;

    // A worker starts on the task and counts into meter.
    void launched(TaskId task, std::shared_ptr<const TransferMeter> meter);
    // The task's start waits to ask its probe again: the retry-th of count, after a failure
    // told by reason; until retryEnded(task).
    void waitingToRetry(TaskId task, int retry, int count, const std::string& reason);
    void retryEnded(TaskId task);
    void runEnded(TaskId task, const RunOutcome& outcome) override;
    // Reads the meter of every running row; the window calls it on a timer.
    void sample();
    // The row's state in a line or two for its tooltip; empty for a row that has none.
    std::string tip(int row) const;

private:
    using Time = SpeedWindow::Time;
    struct Run {
        std::shared_ptr<const TransferMeter> meter;
        SpeedWindow speed;
        Time startedAt;
        std::optional<Time> endedAt;
    };

    void changed(const TableChange& change);
    const Run* runOf(TaskId task) const;
    std::string stateTip(int row) const;
    std::string nextTryTip(int row) const;
    std::string queuedTip(int row) const;
    // ", limited to 2.0 MB/s in all" while the speed limit holds downloads back.
    std::string limitedTip() const;
    std::string runningTip(const Run& run) const;
    std::string stoppedTip(int row) const;
    std::string notStartedTip(int row) const;
    std::string doneTip(int row) const;
    std::string size(std::uint64_t bytes) const;

    TaskTable& m_table;
    const WorkerSlots& m_slots;
    const Clock& m_clock;
    const FormatSettings& m_formats;
    const ScheduleBackoff* m_backoff;
    const RunQueue* m_queue;
    const SpeedLimiter* m_limiter;
    std::map<TaskId, Run> m_runs; // from the task's last start in this program run
    std::map<TaskId, std::string> m_retryWaits; // the tip of a start waiting to retry
    int m_listener = 0;
};

} // namespace zv
