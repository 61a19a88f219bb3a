#pragma once

#include "ByteStreams.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <array>
#include <string>
#include <vector>

namespace zv::test {

using Cells = std::array<std::string, TaskTable::ColumnCount>;

// Every row of the table, the header included.
inline std::vector<Cells> rowsOf(const TaskTable& table)
{
    std::vector<Cells> rows(static_cast<std::size_t>(table.rowCount()));
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < TaskTable::ColumnCount; ++column)
            rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = table.cell(column, row);
    }
    return rows;
}

inline int addTask(TaskTable& table, const Cells& cells)
{
    const int row = table.appendRow();
    for (int column = 0; column < TaskTable::ColumnCount; ++column)
        table.setCell(column, row, cells[static_cast<std::size_t>(column)]);
    return row;
}

// Cells that tell their place: "c<column>r<row>".
inline Cells namedCells(int row)
{
    Cells cells;
    for (int column = 0; column < TaskTable::ColumnCount; ++column)
        cells[static_cast<std::size_t>(column)] = "c" + std::to_string(column) + "r" + std::to_string(row);
    return cells;
}

inline TaskTable tableWithTasks(int tasks)
{
    TaskTable table;
    table.writeHeader();
    for (int row = 1; row <= tasks; ++row)
        addTask(table, namedCells(row));
    return table;
}

inline std::string listBytes(const TaskTable& table)
{
    StringSink sink;
    TaskListWriter::write(table, sink);
    return sink.text;
}

inline void readBytes(TaskTable& table, const std::string& bytes)
{
    MemorySource source(bytes);
    TaskListReader::read(table, source);
}

} // namespace zv::test
