#pragma once

#include <string>

namespace zv {

class ByteSink;
class TaskTable;

// Writes the task table as a task list: the column count line, the row count line (header
// included), then every task cell in column-major order, each line ended by CR LF. A CR or
// LF inside a cell is written as a space, so that no cell can shift the lines after it.
namespace TaskListWriter {
void write(const TaskTable& table, ByteSink& sink);

// Replaces the file atomically: a failure leaves the old file whole. A trailer, when
// given, is one more line after the cells, which list readers ignore. Throws InOutError.
void writeList(const TaskTable& table, const std::string& fileName, const std::string& trailer = {});

std::string cellLine(const std::string& cell);
} // namespace TaskListWriter

} // namespace zv
