#pragma once

#include <string>

namespace zv {

// What the task editor and the folder picker reach of the main window: its default path
// field and its start of the current task. The main window implements it.
class EditorHost {
public:
    virtual ~EditorHost() = default;

    // The default path field's text, as bytes.
    virtual std::string defaultPath() const = 0;
    virtual void setDefaultPath(const std::string& path) = 0;
    // Starts the table's current row, with the refresh speed, worker slots and done sound
    // the main window holds.
    virtual void startCurrentTask() = 0;
};

} // namespace zv
