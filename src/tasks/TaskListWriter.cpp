#include "tasks/TaskListWriter.h"

#include "platform/files/AtomicFileWriter.h"
#include "tasks/InOutError.h"
#include "tasks/TaskListFormat.h"
#include "tasks/TaskTable.h"

namespace zv {

namespace {

constexpr std::string_view LineEnd = "\r\n";

} // namespace

void TaskListWriter::write(const TaskTable& table, ByteSink& sink)
{
    sink.write(std::to_string(ListFileColumns) + std::string(LineEnd));
    sink.write(std::to_string(table.rowCount()) + std::string(LineEnd));
    for (int column = 0; column < ListFileColumns; ++column) {
        for (int row = 1; row < table.rowCount(); ++row)
            sink.write(cellLine(table.cell(column, row)));
    }
}

void TaskListWriter::writeList(const TaskTable& table, const std::string& fileName, const std::string& trailer)
{
    try {
        AtomicFileWriter file(fileName);
        write(table, file);
        if (!trailer.empty())
            file.write(cellLine(trailer));
        file.commit();
    } catch (const std::system_error& error) {
        throw InOutError::fromSystemError(error);
    }
}

std::string TaskListWriter::cellLine(const std::string& cell)
{
    std::string line = cell;
    for (char& byte : line) {
        if (byte == '\r' || byte == '\n')
            byte = ' ';
    }
    line += LineEnd;
    return line;
}

} // namespace zv
