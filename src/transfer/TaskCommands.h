#pragma once

#include "tasks/TaskId.h"

#include <string>


namespace zv {

class Dialogs;
class TaskListener;
class TaskOperations;
class TaskTable;
struct TaskDraft;

// The one door for changes of tasks: every command names its task by id, so that it acts on
// that task wherever its row is and whatever row the grid has current. The editor, the
// buttons, the menus, the grid's menu, the tray and the schedule come through here; the
// current-row commands only look up the current row's task. Main thread only.
class TaskCommands {
public:
    // events, when given, is told of the tasks added, changed and removed.
    TaskCommands(TaskTable& table, TaskOperations& operations, Dialogs& dialogs, TaskListener* events = nullptr);

    // A new task from the draft, new and idle, at the end of the list; the header is fixed.
    TaskId add(const TaskDraft& draft);
    // Rewrites the task from the draft, new and idle, its times kept; false when it is gone.
    bool modify(TaskId task, const TaskDraft& draft);

    void start(TaskId task);
    // The schedule's start of a due task; the current row stays the user's.
    void startBySchedule(TaskId task);
    void stop(TaskId task);
    void cancel(TaskId task);
    void startAll();
    void stopAll();
    void cancelAll();
    // Gives an idle task that is not done a new address, keeping its partial file (see
    // AddressChange). An address that is not http or https is refused as the editor refuses it.
    // Whether the task took it.
    bool changeAddress(TaskId task, const std::string& url);
    // Empties the list unless a task runs (the user is told then); whether it did.
    bool clear();

    // Makes the task's row the grid's current row: the user's choice, as the editor's OK is.
    void makeCurrent(TaskId task);
    // The task in the grid's current row, None when no task row is current.
    TaskId current() const;
    void startCurrent() { start(current()); }
    void stopCurrent() { stop(current()); }
    void cancelCurrent() { cancel(current()); }

private:
    void write(int row, const TaskDraft& draft);

    TaskTable& m_table;
    TaskOperations& m_operations;
    Dialogs& m_dialogs;
    TaskListener* m_events;
};

} // namespace zv
