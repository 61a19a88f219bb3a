#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv {

class ByteSource;
class TaskTable;

// Reads a task list into the task table. Lines end with LF or CR LF. A column count of 1 or
// less means there is nothing to read and leaves the table as it was; a list the table cannot
// hold (another column count, more tasks than it takes) is refused before anything changes.
// Otherwise the table takes the announced rows and the cells in column-major order; lines
// missing at the end read as empty cells. A failure part-way keeps what was read so far. A
// list whose write in place never finished (AtomicFileWriter::UnfinishedMark first) throws
// InOutError::incompleteList() before anything changes.
namespace TaskListReader {
// Throws InOutError.
void read(TaskTable& table, ByteSource& source);
void readList(TaskTable& table, const std::string& fileName);
// The same, for a list that must be just as it was written: one that ends before its
// last cell line, or announces nothing to read, throws InOutError::incompleteList() and
// keeps what was read so far. (A last line without its line end is whole.)
void readWhole(TaskTable& table, ByteSource& source);
void readWholeList(TaskTable& table, const std::string& fileName);
// As readWholeList; also gives the line after the last cell when it is there with its
// line end (readers of plain lists ignore it).
std::optional<std::string> readWholeListWithTrailer(TaskTable& table, const std::string& fileName);
// As readList; false when the list ends before its last cell line.
bool readListCheckingEnd(TaskTable& table, const std::string& fileName);

// A count line: blanks, an optional sign and decimal digits, and after a blank anything.
// An empty line counts 0; anything else throws "Invalid numeric input". Huge values are
// capped, far above any count the table takes.
long long parseCount(std::string_view line);
} // namespace TaskListReader

} // namespace zv
