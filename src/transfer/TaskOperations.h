#pragma once

#include "platform/threads/ThreadBase.h"
#include "transfer/KnownTotal.h"
#include "transfer/ProbeResult.h"
#include "transfer/Retries.h"
#include "transfer/StartTokens.h"
#include "transfer/TransferServices.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace zv {

class ScheduleBackoff;
class TaskTable;

// Puts tasks into motion, stops and cancels them. Main thread only: it is the one writer
// of the table and of the worker slots. Rows that an operation does not admit are left
// alone without a word; only starting a done task says so. A start is admitted when the
// command is given, then waits for its probe, which runs off the main thread; it goes on
// when the answer comes only if the row is still the same task (StartTokens).
class TaskOperations {
public:
    explicit TaskOperations(TransferServices services);
    ~TaskOperations();
    TaskOperations(const TaskOperations&) = delete;
    TaskOperations& operator=(const TaskOperations&) = delete;

    void startCurrentTask();
    void startAllTasks();
    // The start of a scheduled task the caller has just made current: its file is the File
    // name cell, or the URL's name when that cell is empty.
    void startBySchedule();

    // Destroys the row's worker, running its last reports while waiting; an empty slot is
    // left alone. A worker blocked beyond the slots' stop limit is abandoned, and its row
    // takes no start until it has ended.
    void stopWorker(int row);
    void stopCurrentTask();
    void stopAllTasks();

    void cancelCurrentTask();
    void cancelAllTasks();

    // Whether the row's start waits for its probe (or for the retry of its probe).
    bool isStartPending(int row) const { return m_pending.contains(row); }
    // The row's waiting start, if any, does nothing when its answer comes.
    void dropPendingStart(int row);
    // Every waiting start is dropped and every probe interrupted (the program closes).
    void dropPendingStarts();

private:
    TaskTable& table() const { return m_services.worker.table; }
    const std::string& cell(int column, int row) const;
    void setCell(int column, int row, std::string_view text);
    int currentTask() const;
    bool mayStart(int row) const;

    // What a start goes on with once its probe has answered: the answer, and what the row
    // knew of its file's total before the probe.
    using Start = std::function<void(const ProbeResult& probe, const KnownTotal& known)>;
    // Asks for the row's probe; start goes on with its answer if the row is still that task.
    // A probe that fails for a passing reason is asked again under the retry policy first.
    void probeThenStart(int row, Start start);
    void ask(int row, std::uint64_t token, Start start, KnownTotal known);
    void answered(int row, std::uint64_t token, const Start& start, const KnownTotal& known, const ProbeResult& probe);
    // Whether the failed probe is asked again after a wait; the row's tooltip tells of it.
    bool retryLater(int row, std::uint64_t token, const Start& start, const KnownTotal& known, const ProbeResult& probe);
    // The wait is over: the probe is asked again if the start still waits and the row is that task.
    void askAgain(int row, std::uint64_t token, const Start& start, const KnownTotal& known);
    // The start ends at its failed probe: the row keeps why, and the desktop is told.
    void startEnded(int row, const ProbeResult& probe, const Retries& retries);
    // A failed probe makes backoff, when given, hold the row back.
    void startSingle(int row, const std::string& fileName, ScheduleBackoff* backoff);
    void launch(int row, const ProbeResult& probe, const KnownTotal& known, const std::string& fileName,
                ThreadPriority priority);
    // Why the row may not write dest: another row's worker writes it, or it is another row's
    // finished download, whose row would still say done once a start had replaced it.
    std::optional<std::string> destinationTaken(int row, const std::string& dest) const;
    void refuseStart(int row, const std::string& why);
    void keepNotStarted(int row, const std::string& reason, const std::string& plainReason,
                        std::optional<std::chrono::seconds> retryAfter = std::nullopt);
    // The row's start no longer waits; erasePending(row) or clearPending() for all.
    void erasePending(int row);
    void clearPending();
    void cancelRow(int row);

    TransferServices m_services;
    StartTokens m_tokens;
    // A start waiting for its probe: the token it was asked with, and its probe's retries.
    struct Pending {
        std::uint64_t token;
        Retries retries;
    };
    std::map<int, Pending> m_pending;
    // Retries the deferrer still holds find out through it that the operations are gone.
    std::shared_ptr<TaskOperations*> m_self;
};

} // namespace zv
