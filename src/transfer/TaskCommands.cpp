#include "transfer/TaskCommands.h"

#include "platform/services/Dialogs.h"
#include "tasks/ClearList.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/AddressChange.h"
#include "transfer/TaskDraft.h"
#include "transfer/TaskEntryRules.h"
#include "transfer/TaskListener.h"
#include "transfer/TaskOperations.h"

namespace zv {

TaskCommands::TaskCommands(TaskTable& table, TaskOperations& operations, Dialogs& dialogs, TaskListener* events)
    : m_table(table), m_operations(operations), m_dialogs(dialogs), m_events(events)
{
}

TaskId TaskCommands::add(const TaskDraft& draft)
{
    const int row = m_table.appendRow();
    write(row, draft);
    m_table.setFixedRows(1);
    const TaskId task = m_table.idOf(row);
    if (m_events)
        m_events->taskAdded(task);
    return task;
}

bool TaskCommands::modify(TaskId task, const TaskDraft& draft)
{
    const int row = m_table.rowOf(task);
    if (row == 0)
        return false;
    write(row, draft);
    if (m_events)
        m_events->taskChanged(task);
    return true;
}

bool TaskCommands::changeAddress(TaskId task, const std::string& url)
{
    const int row = m_table.rowOf(task);
    if (!AddressChange::mayChange(m_table, row))
        return false;
    if (!TaskEntryRules::hasWebScheme(url)) {
        const auto refused = TaskEntryRules::refusal(url, m_table.cell(ColPath, row), false, m_table.taskCount());
        m_dialogs.messageBox(refused->text, refused->caption, MessageIcon::Warning);
        return false;
    }
    // A start waiting for its probe would go to the old address.
    m_operations.dropPendingStart(task);
    if (const std::error_code error = AddressChange::apply(m_table, row, url)) {
        m_dialogs.reportError("The partial file's progress could not be kept: " + error.message());
        return false;
    }
    if (m_events)
        m_events->taskChanged(task);
    return true;
}

void TaskCommands::write(int row, const TaskDraft& draft)
{
    m_table.setCell(ColStatus, row, std::string(Status::New));
    m_table.setCell(ColProcess, row, std::string(Process::Idle));
    m_table.setCell(ColFileName, row, draft.fileName);
    m_table.setCell(ColSize, row, draft.size);
    m_table.setCell(ColSizeLoaded, row, "0 Byte");
    m_table.setCell(ColUrl, row, draft.url);
    m_table.setCell(ColSchedule, row, draft.schedule);
    m_table.setCell(ColPath, row, draft.path);
}

void TaskCommands::start(TaskId task) { m_operations.start(task); }
void TaskCommands::startBySchedule(TaskId task) { m_operations.startBySchedule(task); }
void TaskCommands::stop(TaskId task) { m_operations.stop(task); }
void TaskCommands::cancel(TaskId task) { m_operations.cancel(task); }
void TaskCommands::startAll() { m_operations.startAllTasks(); }
void TaskCommands::stopAll() { m_operations.stopAllTasks(); }
void TaskCommands::cancelAll() { m_operations.cancelAllTasks(); }

bool TaskCommands::clear()
{
    const std::vector<TaskId> before = m_table.taskIds();
    if (!clearTheList(m_table, m_dialogs))
        return false;
    if (m_events) {
        for (const TaskId task : before)
            m_events->taskRemoved(task);
    }
    return true;
}

void TaskCommands::makeCurrent(TaskId task)
{
    if (const int row = m_table.rowOf(task))
        m_table.setCurrentRow(row);
}

TaskId TaskCommands::current() const
{
    return m_table.idOf(m_table.currentRow());
}

} // namespace zv
