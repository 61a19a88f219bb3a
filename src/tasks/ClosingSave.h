#pragma once

#include <string>

namespace zv {

class RecoveryCopy;
class TaskListFile;

// Saving the list when the program ends. The recovery copy is brought up to date before the
// list is written and removed only after, so that a crash at any moment of the close
// restores the table as it stood at the close.

// The user's close: false (the failure reported in a box) means the window stays open.
bool saveAtUserClose(TaskListFile& list, RecoveryCopy& copy);

// A close that cannot be refused (a signal, the end of the desktop session): no box. Empty
// when the list was saved; otherwise one line naming the list, the reason and what became
// of the recovery copy, which the next start restores from.
std::string saveAtRequestedClose(TaskListFile& list, RecoveryCopy& copy);

} // namespace zv
