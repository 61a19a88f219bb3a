#pragma once

#include "platform/threads/ThreadBase.h"
#include "tasks/RunOutcome.h"
#include "transfer/KnownTotal.h"
#include "transfer/ProbeResult.h"
#include "transfer/Retries.h"
#include "transfer/RunQueue.h"
#include "transfer/StartTokens.h"
#include "transfer/TransferServices.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zv {

class ScheduleBackoff;
class TaskTable;

// Puts tasks into motion, stops and cancels them. Main thread only: it is the one writer
// of the table and of the worker slots. Tasks that an operation does not admit are left
// alone without a word; only starting a done task says so. A start is admitted when the
// command is given, then waits for its probe, which runs off the main thread; it goes on
// when the answer comes only if the task is still there and unchanged (StartTokens).
class TaskOperations {
public:
    explicit TaskOperations(TransferServices services);
    ~TaskOperations();
    TaskOperations(const TaskOperations&) = delete;
    TaskOperations& operator=(const TaskOperations&) = delete;

    // The commands, by task; a task that left the table is left alone.
    // The user's start: only an unscheduled task.
    void start(TaskId task);
    void startAllTasks();
    // The schedule's start of a due task: its file is the File name cell, or the URL's name
    // when that cell is empty.
    void startBySchedule(TaskId task);
    void stop(TaskId task);
    void stopAllTasks();
    void cancel(TaskId task);
    void cancelAllTasks();

    // The same on the current row.
    void startCurrentTask() { start(currentTask()); }
    void stopCurrentTask() { stop(currentTask()); }
    void cancelCurrentTask() { cancel(currentTask()); }

    // Destroys the task's worker, running its last reports while waiting; an empty slot is
    // left alone. A worker blocked beyond the slots' stop limit is abandoned, and its task
    // takes no start until it has ended.
    void stopWorker(TaskId task);

    // Whether the task's start waits for its probe (or for the retry of its probe).
    bool isStartPending(TaskId task) const { return m_pending.contains(task); }
    // The task's waiting start, if any, does nothing when its answer comes.
    void dropPendingStart(TaskId task);
    // Every waiting start is dropped and every probe interrupted (the program closes).
    void dropPendingStarts();

    // The cap on downloads under way (0: none): a start beyond it waits in the queue, and
    // one waiting goes on when a place frees. Raising it starts waiting tasks at once;
    // lowering it stops none.
    void setMostRunning(int most);
    // Connections per download for the runs started from now on; a running one keeps its own.
    void setConnections(int connections) { m_services.worker.connections = connections; }
    // The task no longer waits in the queue (it left the table).
    void leaveQueue(TaskId task);

private:
    TaskTable& table() const { return m_services.worker.table; }
    const std::string& cell(int column, TaskId task) const;
    void setCell(int column, TaskId task, std::string_view text);
    TaskId currentTask() const;
    bool mayStart(TaskId task) const;

    using StartKind = RunQueue::Start;
    // How dest is another task's: its worker writes (or is ending on) it, or it is its finished download.
    enum class Holding { None, Writing, Finished };

    // The start goes on now, or waits in the queue while the cap is reached or another
    // task's worker writes its file.
    void admit(TaskId task, StartKind kind);
    bool waitsForPlace(TaskId task, StartKind kind) const;
    bool capped() const { return m_mostRunning > 0 && m_services.queue; }
    // Whether the cap's places are all taken by starts under way.
    bool placesTaken() const;
    // Whether another task's worker writes the file this start would write.
    bool waitsForWriter(TaskId task, StartKind kind) const;
    void startNow(TaskId task, StartKind kind);
    // The file a start of that kind writes: the schedule falls back to the URL's name.
    std::string fileNameFor(TaskId task, StartKind kind) const;
    // Starts waiting for a probe and runs not yet ended: what the cap counts.
    std::size_t startsUnderWay() const { return m_pending.size() + m_openRuns.size(); }
    // A place may have freed: the queue is looked at once this call's work is done.
    void askToFillPlaces();
    void fillPlaces();

    // What a start goes on with once its probe has answered: the answer, and what the task
    // knew of its file's total before the probe.
    using Start = std::function<void(const ProbeResult& probe, const KnownTotal& known)>;
    // Asks for the task's probe; start goes on with its answer if the task is still what it was.
    // A probe that fails for a passing reason is asked again under the retry policy first.
    void probeThenStart(TaskId task, Start start);
    void ask(TaskId task, std::uint64_t token, Start start, KnownTotal known);
    void answered(TaskId task, std::uint64_t token, const Start& start, const KnownTotal& known,
                  const ProbeResult& probe);
    // Whether the failed probe is asked again after a wait; the task's tooltip tells of it.
    bool retryLater(TaskId task, std::uint64_t token, const Start& start, const KnownTotal& known,
                    const ProbeResult& probe);
    // The wait is over: the probe is asked again if the start still waits for that task.
    void askAgain(TaskId task, std::uint64_t token, const Start& start, const KnownTotal& known);
    // Whether the task's start still waits under this token, and the task is what it was.
    bool stillWaits(TaskId task, std::uint64_t token);
    // The start ends at its failed probe: the task keeps why, and the desktop is told.
    void startEnded(TaskId task, const ProbeResult& probe, const Retries& retries);
    // The user's or the schedule's start; the schedule's holds the task back after a failed probe.
    void startSingle(TaskId task, StartKind kind);
    void launch(TaskId task, const ProbeResult& probe, const KnownTotal& known, const std::string& fileName,
                StartKind kind);
    // Whether another task holds dest: its worker writes it, or it is that task's finished
    // download, whose row would still say done once a start had replaced it.
    Holding holdingOf(TaskId task, const std::string& dest) const;
    // Why a start may not write dest, held as holding (not None) says.
    static std::string takenText(Holding holding, const std::string& dest);
    void refuseStart(TaskId task, const std::string& why);
    void keepNotStarted(TaskId task, const std::string& reason, const std::string& plainReason,
                        std::optional<std::chrono::seconds> retryAfter = std::nullopt);
    // The task's start no longer waits; erasePending(task) or clearPending() for all.
    void erasePending(TaskId task);
    void clearPending();
    void cancelTask(TaskId task);
    // A worker's last report: its run ended; a run the user ends takes the user's end.
    void workerEnded(TaskId task, const RunOutcome& outcome);
    // Tells of the run's end once; a run already told of, or none, is left alone.
    void runEnded(TaskId task, const RunOutcome& outcome);
    // Ends the task's worker for the user: its run ends as end says, unless it completed.
    void endByUser(TaskId task, RunEnd end);
    void changed(TaskId task);
    // The run ended because the task's new address sends another file: the user is asked
    // (once this call's work is done) whether the file starts again from its first byte.
    void offerFreshStart(TaskId task);
    void askFreshStart(TaskId task);

    TransferServices m_services;
    StartTokens m_tokens;
    // A start waiting for its probe: the token it was asked with, and its probe's retries.
    struct Pending {
        std::uint64_t token;
        Retries retries;
    };
    std::map<TaskId, Pending> m_pending;
    // Started and not yet told ended, and whether the user's own Start began the run (not the
    // queue, Start all or the schedule): only such a run may ask the user when it ends.
    std::map<TaskId, bool> m_openRuns;
    std::set<TaskId> m_userStarts; // the user's own starts on their way to their launch
    std::map<TaskId, RunEnd> m_endingByUser; // while a stop or cancel ends the task's worker
    int m_mostRunning = 0;
    bool m_fillAsked = false;
    // Retries the deferrer still holds find out through it that the operations are gone.
    std::shared_ptr<TaskOperations*> m_self;
};

} // namespace zv
