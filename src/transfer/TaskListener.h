#pragma once

#include "tasks/RunOutcome.h"
#include "tasks/TaskId.h"

namespace zv {

// What the task session tells of its tasks: a task was added, changed (its cells written by a
// command), removed, a run of it started or ended. Each run that starts ends once, with how
// it ended. Told on the main thread, after the table shows the change.
class TaskListener {
public:
    virtual ~TaskListener() = default;
    virtual void taskAdded(TaskId) {}
    virtual void taskChanged(TaskId) {}
    virtual void taskRemoved(TaskId) {}
    virtual void runStarted(TaskId) {}
    virtual void runEnded(TaskId, const RunOutcome&) {}
};

} // namespace zv
