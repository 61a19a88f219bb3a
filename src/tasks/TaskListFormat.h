#pragma once

#include "tasks/TaskTable.h"

namespace zv {

// How many cells of a row the task list file holds. The file format's own constant, apart
// from the table's width, so that a column added to the table never changes the file.
inline constexpr int ListFileColumns = 10;
static_assert(ListFileColumns <= TaskTable::ColumnCount, "a list file's cells live in the table");

} // namespace zv
