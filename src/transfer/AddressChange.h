#pragma once

#include <string>
#include <system_error>

namespace zv {

class TaskTable;

// "Change address...": a task whose link expired gets a fresh one and keeps its row, its file
// name, its folder and its partial file. Its next run adds a byte only once the new address
// has shown that it sends the same file (see TfileThread).
namespace AddressChange {
// Whether the row's address may be changed: it is idle, and neither done nor cancelled.
bool mayChange(const TaskTable& table, int row);
// Writes the new address into the row. An empty File name cell first gets the name of the file
// the old address wrote; a partial file's progress file takes the new address and the mark
// that it must be checked. An error when that mark could not be kept: the row is unchanged.
std::error_code apply(TaskTable& table, int row, const std::string& url);
} // namespace AddressChange

} // namespace zv
