#pragma once

#include <cstdint>
#include <string>

namespace zv {

// A task's identity for the length of a program run: given when its row is made, kept while
// the row is edited, saved or moved, never written to the list file. Rows read from a list
// get fresh ones. None is no task (the header row, a row outside the table).
enum class TaskId : std::uint64_t { None = 0 };

inline std::string toString(TaskId id) { return std::to_string(static_cast<std::uint64_t>(id)); }

} // namespace zv
