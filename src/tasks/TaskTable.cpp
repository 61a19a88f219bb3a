#include "tasks/TaskTable.h"

#include <algorithm>

namespace zv {

TaskTable::TaskTable() : m_rows(1) {}

const std::array<const char*, TaskTable::ColumnCount>& TaskTable::headerTexts()
{
    static const std::array<const char*, ColumnCount> texts = {
        "Status", "Process", "File name", "Size", "Size loaded",
        "URL", "Path", "Time of beginning", "Time of end", "Schedule"};
    return texts;
}

const std::string& TaskTable::cell(int column, int row) const
{
    m_owner.check();
    static const std::string empty;
    if (column < 0 || column >= ColumnCount || row < 0 || row >= rowCount())
        return empty;
    return m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}

void TaskTable::setCell(int column, int row, std::string text)
{
    m_owner.check();
    if (column < 0 || column >= ColumnCount || row < 0 || row >= rowCount())
        return;
    std::string& cell = m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
    const bool changed = cell != text;
    cell = std::move(text);
    notify({TableChange::Kind::Cell, column, row, changed});
}

TaskId TaskTable::idOf(int row) const
{
    return isTaskRow(row) ? m_rows[static_cast<std::size_t>(row)].id : TaskId::None;
}

int TaskTable::rowOf(TaskId id) const
{
    m_owner.check();
    if (id == TaskId::None)
        return 0;
    const auto found = std::find_if(m_rows.begin(), m_rows.end(), [id](const Row& row) { return row.id == id; });
    return found == m_rows.end() ? 0 : static_cast<int>(found - m_rows.begin());
}

std::vector<TaskId> TaskTable::taskIds() const
{
    m_owner.check();
    std::vector<TaskId> ids;
    for (std::size_t row = 1; row < m_rows.size(); ++row)
        ids.push_back(m_rows[row].id);
    return ids;
}

TaskTable::Row* TaskTable::rowFor(TaskId id)
{
    const int row = rowOf(id);
    return row == 0 ? nullptr : &m_rows[static_cast<std::size_t>(row)];
}

const RunOutcome& TaskTable::runOutcome(TaskId id) const
{
    static const RunOutcome none;
    const int row = rowOf(id);
    return row == 0 ? none : m_rows[static_cast<std::size_t>(row)].runOutcome;
}

void TaskTable::setRunOutcome(TaskId id, RunOutcome outcome)
{
    if (Row* row = rowFor(id))
        row->runOutcome = std::move(outcome);
}

TaskTable::Row TaskTable::newRow()
{
    Row row;
    row.id = static_cast<TaskId>(++m_lastId);
    return row;
}

void TaskTable::setRowCount(int count)
{
    m_owner.check();
    count = std::max(count, 1);
    if (count == rowCount())
        return;
    if (count < rowCount())
        m_rows.resize(static_cast<std::size_t>(count));
    while (rowCount() < count)
        m_rows.push_back(newRow());
    notify({TableChange::Kind::Rows});
    if (m_currentRow >= count)
        setCurrentRow(count - 1);
    if (m_fixedRows >= count)
        setFixedRows(0);
}

int TaskTable::appendRow()
{
    m_owner.check();
    const int row = rowCount();
    m_rows.push_back(newRow());
    notify({TableChange::Kind::Rows});
    return row;
}

void TaskTable::setCurrentRow(int row)
{
    m_owner.check();
    if (row < 0 || row >= rowCount() || row == m_currentRow)
        return;
    m_currentRow = row;
    notify({TableChange::Kind::CurrentRow});
}

void TaskTable::setFixedRows(int count)
{
    m_owner.check();
    if (count < 0 || count > 1 || (count == 1 && !hasTasks()) || count == m_fixedRows)
        return;
    m_fixedRows = count;
    notify({TableChange::Kind::FixedRows});
    // As in a grid, a fixed header cannot be the current row: the first task becomes it.
    if (m_fixedRows == 1 && m_currentRow == 0)
        setCurrentRow(1);
}

void TaskTable::fixHeaderIfTasks()
{
    if (hasTasks())
        setFixedRows(1);
}

void TaskTable::writeHeader()
{
    for (int column = 0; column < ColumnCount; ++column)
        setCell(column, 0, headerTexts()[static_cast<std::size_t>(column)]);
}

int TaskTable::addListener(Listener listener)
{
    m_owner.check();
    const int id = m_nextListenerId++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void TaskTable::removeListener(int id)
{
    m_owner.check();
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void TaskTable::notify(const TableChange& change)
{
    // A listener may remove itself while being told; walk a copy.
    const auto listeners = m_listeners;
    for (const auto& [id, listener] : listeners)
        listener(change);
}

} // namespace zv
