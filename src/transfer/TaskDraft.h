#pragma once

#include "tasks/TaskCodes.h"

#include <string>

namespace zv {

// A task as the editor's OK gives it: the cells a new task gets, or an edited one is
// rewritten with (TaskCommands). Status, process and loaded size start afresh.
struct TaskDraft {
    std::string url;
    std::string path;
    std::string fileName;
    std::string size; // the editor's rendering of the probe's answer
    std::string schedule = std::string(Schedule::None);
};

} // namespace zv
