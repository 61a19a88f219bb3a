#pragma once

#include "tasks/TaskId.h"
#include "transfer/RetryPolicy.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace zv {

class Clock;
class FormatSettings;
class HandOverQueue;
class InternetSessionFactory;
class Interrupter;
class OutputFile;
class ServerBudget;
class SpeedLimiter;
class TaskTable;
struct RunOutcome;

// What a transfer worker reaches: the network, and (from its main-thread reports only)
// the table, the formats, the clock and what a completed download sets off.
struct WorkerServices {
    HandOverQueue& mainThread;
    InternetSessionFactory& internet;
    TaskTable& table;
    const FormatSettings& formats;
    const Clock& clock;
    // A run has completed its file, given by its path; empty for none. The session hears of
    // completions through the run's end (ended), as of every other end.
    std::function<void(const std::string& destFile)> completed;
    // Makes the object the destination is written through; empty for the plain file. Kept by
    // the worker, so an abandoned worker still has it when it wakes.
    std::function<std::unique_ptr<OutputFile>()> makeOutputFile = {};
    // How a run rides out transient failures.
    RetryPolicy retries = {};
    // Waits before a retry, ending at once when the interrupter (the worker's stop) is
    // interrupted; false then. Empty for the interrupter's own sleep; tests record the waits.
    std::function<bool(std::chrono::milliseconds, Interrupter&)> waitBeforeRetry = {};
    // A run has ended, done or stopped (its outcome already on its row); empty for none.
    std::function<void(TaskId task, const RunOutcome& outcome)> ended = {};
    // The program's one speed limit, shared by every worker; empty for none. Shared, so an
    // abandoned worker still has it when it wakes.
    std::shared_ptr<SpeedLimiter> speed = {};
    // Connections per download: 1 runs every download over one connection. More are used only
    // for a file that gains from them (see ParallelCopy).
    int connections = 1;
    // The places all downloads together may hold on one server; empty for no budget.
    std::shared_ptr<ServerBudget> servers = {};
    // Whether another task writes dest, or it is another task's finished download; called on
    // the main thread. Empty for none.
    std::function<bool(TaskId task, const std::string& dest)> heldByAnotherTask = {};
};

} // namespace zv
