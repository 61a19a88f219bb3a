#pragma once

#include "platform/threads/OwnerThread.h"
#include "platform/threads/ThreadBase.h"
#include "tasks/TaskId.h"

#include <chrono>
#include <map>
#include <memory>

namespace zv {

// One worker per task, by its id. Whether a task counts as running is told by its Process
// cell, not by its slot.
// Only the thread that made it touches it (checked in debug builds).
class WorkerSlots {
public:
    // stopLimit: how long a destroy waits after the terminate request before it abandons a
    // worker blocked where no interrupt reaches, so that no stop freezes the window.
    explicit WorkerSlots(std::chrono::milliseconds stopLimit = ThreadBase::DefaultStopLimit);
    ~WorkerSlots();

    WorkerSlots(const WorkerSlots&) = delete;
    WorkerSlots& operator=(const WorkerSlots&) = delete;

    // The task's worker, or null (also for no task).
    ThreadBase* at(TaskId task) const;
    bool isEmpty(TaskId task) const { return at(task) == nullptr; }
    // An abandoned worker of this task has not ended yet: nothing may start the task, or two
    // writers would share its file.
    bool isEnding(TaskId task) const;

    // Puts worker into the task's slot, destroying what the slot held.
    void put(TaskId task, ThreadPtr worker);
    // Destroys the task's worker (terminate, wait while servicing its reports, abandon it
    // after the stop limit) and empties the slot; an empty slot is left alone.
    void destroy(TaskId task);
    // Asks every worker to end at once, so that their stop limits run together.
    void terminateAll();
    // Destroys every worker, oldest task first, all terminated first.
    void destroyAll();

private:
    std::chrono::milliseconds m_stopLimit;
    std::map<TaskId, ThreadPtr> m_slots;
    std::map<TaskId, std::shared_ptr<const ThreadFate>> m_abandoned;
    [[no_unique_address]] OwnerThread m_owner;
};

} // namespace zv
