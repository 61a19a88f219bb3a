#pragma once

#include <string>

namespace zv {

// What the task editor and the folder picker reach of the main window: its default path
// field. The main window implements it.
class EditorHost {
public:
    virtual ~EditorHost() = default;

    // The default path field's text, as bytes.
    virtual std::string defaultPath() const = 0;
    virtual void setDefaultPath(const std::string& path) = 0;
};

} // namespace zv
