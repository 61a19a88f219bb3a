#pragma once

#include "transfer/SpeedWindow.h"
#include "transfer/TransferMeter.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace zv {

class Clock;
class FormatSettings;
class ScheduleBackoff;
class TaskTable;
class WorkerSlots;
struct TableChange;

// What the window tells of a row beyond its cells: the progress of a running transfer (read
// from its worker's meter on the window's timer, with its recent speed and the time left),
// why a stopped one stopped, how a done one went. Main thread only, like the table.
class ProgressBoard {
public:
    static constexpr const char* NotRunningText = "Not running since the program was restarted: press Stop, then Start to resume";

    // backoff, when given, tells when the schedule tries a failed task again.
    ProgressBoard(TaskTable& table, const WorkerSlots& slots, const Clock& clock, const FormatSettings& formats,
                  const ScheduleBackoff* backoff = nullptr);
    ~ProgressBoard();
    ProgressBoard(const ProgressBoard&) = delete;
    ProgressBoard& operator=(const ProgressBoard&) = delete;

    // A worker starts on the row and counts into meter.
    void launched(int row, std::shared_ptr<const TransferMeter> meter);
    // The row's start waits to ask its probe again: the retry-th of count, after a failure
    // told by reason; until retryEnded(row).
    void waitingToRetry(int row, int retry, int count, const std::string& reason);
    void retryEnded(int row);
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
    const Run* runOf(int row) const;
    std::string stateTip(int row) const;
    std::string nextTryTip(int row) const;
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
    std::map<int, Run> m_runs; // by row, from its last start in this program run
    std::map<int, std::string> m_retryWaits; // by row, the tip of a start waiting to retry
    int m_listener = 0;
};

} // namespace zv
