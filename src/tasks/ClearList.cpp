#include "tasks/ClearList.h"

#include "platform/services/Dialogs.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"

namespace zv {

bool anyTaskRunning(const TaskTable& table)
{
    for (int row = 1; row < table.rowCount(); ++row) {
        if (table.cell(ColProcess, row) == Process::Running)
            return true;
    }
    return false;
}

bool refusedWhileTasksRun(const TaskTable& table, Dialogs& dialogs)
{
    if (!anyTaskRunning(table))
        return false;
    dialogs.messageBox("Tasks should be stopped!", "Tasks are not stopped", MessageIcon::Warning);
    return true;
}

bool clearTheList(TaskTable& table, Dialogs& dialogs)
{
    if (refusedWhileTasksRun(table, dialogs))
        return false;
    for (int row = 1; row < table.rowCount(); ++row) {
        for (int column = 0; column < TaskTable::ColumnCount; ++column)
            table.setCell(column, row, {});
    }
    table.setRowCount(1);
    return true;
}

} // namespace zv
