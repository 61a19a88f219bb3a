#pragma once

namespace zv {

class Dialogs;
class TaskTable;

// Empties the table back to its header row, unless a task runs (Process "2"): then the
// user is told and nothing changes. Returns whether the list was cleared.
bool clearTheList(TaskTable& table, Dialogs& dialogs);

// Whether any task row has Process "2".
bool anyTaskRunning(const TaskTable& table);

// When a task runs, tells the user that tasks should be stopped first and returns true.
bool refusedWhileTasksRun(const TaskTable& table, Dialogs& dialogs);

} // namespace zv
