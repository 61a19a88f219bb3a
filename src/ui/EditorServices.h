#pragma once

namespace zv {

class Clock;
class Dialogs;
class EditorHost;
class EditorMode;
class FormatSettings;
class ProbeRunner;
class TaskCommands;
class TaskTable;

// What the task editor reaches; the main window passes it in and outlives the editor.
struct EditorServices {
    const TaskTable& table;
    TaskCommands& tasks; // adds and modifies the task, and starts it
    EditorMode& mode;
    Dialogs& dialogs;
    const FormatSettings& formats;
    const Clock& clock;
    ProbeRunner& probes; // asks the server without making the dialog wait
    EditorHost& host;
};

} // namespace zv
