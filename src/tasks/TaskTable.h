#pragma once

#include "platform/threads/OwnerThread.h"
#include "tasks/RunOutcome.h"
#include "tasks/TaskId.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace zv {

enum Column : int {
    ColStatus = 0,
    ColProcess,
    ColFileName,
    ColSize,
    ColSizeLoaded,
    ColUrl,
    ColPath,
    ColTimeOfBeginning,
    ColTimeOfEnd,
    ColSchedule,
};

struct TableChange {
    enum class Kind { Cell, Rows, CurrentRow, FixedRows };
    Kind kind;
    int column = -1; // for Cell
    int row = -1;    // for Cell
    // For Cell: false when the same text was written again (a progress report rewriting
    // Status "2"), so that listeners can skip it.
    bool textChanged = true;
};

// The one store of download tasks: text cells addressed by (column, row). Row 0 is the
// header; rows 1 to rowCount() - 1 are the tasks. Cells are byte strings of any content.
// Only the thread that made it touches it (checked in debug builds); workers reach it
// through their reports, which run on that thread.
class TaskTable {
public:
    static constexpr int ColumnCount = 10;
    // Row numbers are one byte wide where the table is walked: 254 tasks plus the header.
    static constexpr int MaxTasks = 254;
    static constexpr int MaxRowCount = MaxTasks + 1;

    using Listener = std::function<void(const TableChange&)>;

    TaskTable();

    static const std::array<const char*, ColumnCount>& headerTexts();

    // Reading outside the table gives an empty text.
    const std::string& cell(int column, int row) const;
    // Writing outside the table does nothing.
    void setCell(int column, int row, std::string text);

    // The task in the row, None for the header or a row outside the table; and the row that
    // holds the task, 0 when it is gone.
    TaskId idOf(int row) const;
    int rowOf(TaskId id) const;
    // The tasks, in row order.
    std::vector<TaskId> taskIds() const;

    // How the task's last run ended (empty when none ran since the list was read). Kept in
    // memory beside the cells: no column, never in the list file, gone with the row.
    const RunOutcome& runOutcome(TaskId id) const;
    const RunOutcome& runOutcome(int row) const { return runOutcome(idOf(row)); }
    void setRunOutcome(TaskId id, RunOutcome outcome);
    // Why the last run ended without completing (empty when it completed or none ran).
    const std::string& runReason(TaskId id) const { return runOutcome(id).reason; }
    const std::string& runReason(int row) const { return runOutcome(row).reason; }

    int rowCount() const
    {
        m_owner.check();
        return static_cast<int>(m_rows.size());
    }
    int taskCount() const { return rowCount() - 1; }
    bool hasTasks() const { return rowCount() > 1; }
    bool isTaskRow(int row) const { return row >= 1 && row < rowCount(); }

    // Grows with empty rows, each a new task, or cuts back (at least the header row stays).
    // Cut rows leave no texts behind; the current row and the fixed rows follow the cut.
    void setRowCount(int count);
    // Appends an empty row, a new task, and returns its number (the old row count).
    int appendRow();

    // Always 0 or a task row; other values are ignored.
    int currentRow() const
    {
        m_owner.check();
        return m_currentRow;
    }
    void setCurrentRow(int row);

    // 1 when the header is a fixed title row; only possible while there are task rows.
    // Fixing the header makes row 1 current when no task row was.
    int fixedRows() const
    {
        m_owner.check();
        return m_fixedRows;
    }
    void setFixedRows(int count);
    // The header is fixed whenever the table has task rows.
    void fixHeaderIfTasks();

    // Writes the ten header texts into row 0.
    void writeHeader();

    int addListener(Listener listener);
    void removeListener(int id);

private:
    struct Row {
        std::array<std::string, ColumnCount> cells;
        RunOutcome runOutcome;
        TaskId id = TaskId::None;
    };

    void notify(const TableChange& change);
    Row newRow();
    Row* rowFor(TaskId id);

    std::vector<Row> m_rows;
    int m_currentRow = 0;
    int m_fixedRows = 0;
    std::vector<std::pair<int, Listener>> m_listeners;
    int m_nextListenerId = 1;
    std::uint64_t m_lastId = 0;
    [[no_unique_address]] OwnerThread m_owner;
};

} // namespace zv
