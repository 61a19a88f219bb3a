#pragma once

#include "platform/text/DateTime.h"
#include "tasks/TaskId.h"

#include <functional>
#include <optional>
#include <set>
#include <string>

namespace zv {

class Clock;
class ConnectionIndicator;
class Dialogs;
class EditorMode;
class FormatSettings;
class OnlineQuery;
class TaskTable;

// The work of the main window's 5-second timer: update the connection indicator, then
// start every scheduled task whose time has come, by its id: the grid's current row is the
// user's, and a Delete or Edit pressed after a tick acts on the row the user chose.
class ScheduleWatch {
public:
    struct Services {
        TaskTable& table;
        const Clock& clock;
        const OnlineQuery& online;
        const FormatSettings& format;
        Dialogs& dialogs;
        const EditorMode& editorMode;
        ConnectionIndicator& indicator;
        std::string pictureDir;                 // the "pic" folder beside the executable
        // Starts a due task; the user's current row stays where it is.
        std::function<void(TaskId task)> startBySchedule;
    };

    explicit ScheduleWatch(Services services);

    void Timer1Timer();

    static constexpr int IntervalMs = 5000;

private:
    void updateIndicator();
    void scanSchedule();
    std::optional<LocalDateTime> readSchedule(int row, std::set<std::string>& unreadable);
    bool isDue(const LocalDateTime& moment) const;
    // Shows an error once per distinct text, not at every tick. Its box never holds back the
    // tick or the ticks after it.
    void reportOnce(const std::string& text);

    Services m_services;
    bool m_inTick = false;
    std::set<std::string> m_reported;
    // The texts of unreadable Schedule cells shown so far and still in the table.
    std::set<std::string> m_reportedSchedules;
};

} // namespace zv
