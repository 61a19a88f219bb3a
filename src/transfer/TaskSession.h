#pragma once

#include "tasks/EditorMode.h"
#include "tasks/RecoveryCopy.h"
#include "tasks/TaskListFile.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/ConnectionIndicator.h"
#include "transfer/DoneNotices.h"
#include "transfer/DownloadPreferences.h"
#include "transfer/ProbeRunner.h"
#include "transfer/ProgressBoard.h"
#include "transfer/ScheduleBackoff.h"
#include "transfer/ScheduleWatch.h"
#include "transfer/ServerBudget.h"
#include "transfer/SpeedLimiter.h"
#include "transfer/RetryPolicy.h"
#include "transfer/RunQueue.h"
#include "transfer/TaskCommands.h"
#include "transfer/TaskListener.h"
#include "transfer/TaskOperations.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

class Clock;
class Deferrer;
class DesktopNotifier;
class Dialogs;
class FormatSettings;
class HandOverQueue;
class InternetSessionFactory;
class OnlineQuery;
class SettingsStore;
class TaskSessionView;

// The tasks of a run, apart from any window: the table, the worker slots, the list file, the
// operations on tasks with their probes, the schedule watch, the recovery copy and the desktop's
// notices of completed downloads. main() makes it and hands it to the window, which shows it
// (setView) and changes tasks only through its commands. It tells its listeners of every task
// added, changed or removed by a command and of every run's start and end. Main thread only,
// like the table.
class TaskSession final : private ConnectionIndicator, private TaskListener {
public:
    struct Services {
        HandOverQueue& mainThread;
        InternetSessionFactory& internet;
        std::unique_ptr<ProbeRunner> probes; // every probe, off the main thread
        const FormatSettings& formats;
        const Clock& clock;
        Dialogs& dialogs;
        const OnlineQuery& online;
        Deferrer& deferrer;        // times the recovery copy's writes, the notices and the probes' retries
        DesktopNotifier& notifier; // tells the desktop of completed and failed downloads
        // The user's preferences, kept beside the default list whichever list is current.
        SettingsStore& settings;
        std::string programDir; // holds the "pic" folder
        std::string listFolder; // holds the default list, its recovery copy and ".bad" copies
        // How runs and probes ride out passing failures.
        RetryPolicy retries = {};
    };

    explicit TaskSession(Services services);
    // Workers end first, their last reports landing while the table still exists.
    ~TaskSession() override;
    TaskSession(const TaskSession&) = delete;
    TaskSession& operator=(const TaskSession&) = delete;

    TaskTable& table() { return m_table; }
    WorkerSlots& workerSlots() { return m_slots; }
    EditorMode& editorMode() { return m_editorMode; }
    TaskListFile& listFile() { return m_listFile; }
    ProbeRunner& probes() { return *m_services.probes; }
    TaskOperations& operations() { return m_operations; }
    // The one door for changes of tasks.
    TaskCommands& commands() { return m_commands; }
    ScheduleWatch& scheduleWatch() { return m_scheduleWatch; }
    ProgressBoard& progress() { return m_progress; }
    const SpeedLimiter& speedLimiter() const { return *m_speed; }
    // The starts waiting for a place under the cap on running downloads.
    const RunQueue& runQueue() const { return m_queue; }
    // Exists from loadAtStartUp() on.
    RecoveryCopy& recoveryCopy() { return *m_recovery; }
    // Read by loadAtStartUp(); a value it lacks means the setting's default.
    const SettingsStore& settings() const { return m_services.settings; }
    // A control of the window changed a preference: it is kept at once. A failure is shown
    // in a box (false); the value holds for this run all the same.
    bool changeSetting(std::string_view section, std::string_view key, std::string_view value);
    // The [Downloads] preferences in effect: read by loadAtStartUp(), the defaults before.
    const DownloadPreferences& preferences() const { return m_preferences; }
    // The Preferences dialog's OK and the tray's toggle: they apply at once, to running tasks
    // too, and the changed keys are kept (false: not kept, shown in a box; they hold all the same).
    bool setPreferences(const DownloadPreferences& preferences);

    // Told of the tasks' changes and runs until removed; it must outlive its listening.
    void addListener(TaskListener& listener) { m_listeners.push_back(&listener); }
    void removeListener(TaskListener& listener) { std::erase(m_listeners, &listener); }

    // The window that shows the session, or none; a window sets itself while it exists.
    void setView(TaskSessionView* view) { m_view = view; }

    // The settings, the header row, then the default list (or the recovery copy of a run that
    // did not end normally); from then on every change of a task row reaches the recovery copy.
    // Settings that cannot be read mean the defaults, with a box that says why.
    void loadAtStartUp();

    // "Open database" and "New database": the tasks of the list replaced are told removed,
    // those read in added.
    void openDatabase();
    void newDatabase();

    // The close: the recovery copy is brought up to date, then the list written. The user's
    // close shows a failure in a box and returns false; a requested close shows none and
    // returns the line for standard error (empty when saved).
    bool saveAtUserClose();
    std::string saveAtRequestedClose();
    // After the list was saved: pending starts are dropped and no report of a worker applies
    // any more, so running rows stay as saved.
    void endAfterSave();
    // Ends every worker, running its last reports while waiting (unless endAfterSave came
    // first); a worker blocked beyond the stop limit is abandoned.
    void endWorkers();

private:
    bool showPictureFile(const std::string& path) override;
    int refreshSpeedItem() const;
    // What the commands and the operations tell, passed on to the listeners.
    void taskAdded(TaskId task) override;
    void taskChanged(TaskId task) override;
    void taskRemoved(TaskId task) override;
    void runStarted(TaskId task) override;
    void runEnded(TaskId task, const RunOutcome& outcome) override;
    template <typename Tell>
    void tell(Tell tell);
    // Saves the settings' changed values; a failure is shown in a box (false).
    bool saveSettings();
    void applyPreferences();
    // Runs replace, which may put other tasks in the table, and tells of the tasks it replaced.
    void replacingTasks(void (TaskListFile::*replace)());

    Services m_services;
    TaskTable m_table;
    EditorMode m_editorMode;
    // Before the slots: a worker's last report, when the slots end it, may tell of a failure.
    ScheduleBackoff m_backoff;
    TaskListFile m_listFile;
    // Before the slots: a worker's last report, when the slots end it, may tell of a completion.
    DoneNotices m_doneNotices;
    // Before the slots: every worker reads through it.
    std::shared_ptr<SpeedLimiter> m_speed;
    std::shared_ptr<ServerBudget> m_servers;
    RunQueue m_queue;
    // After the table: workers end, on destruction, while the table their reports reach exists.
    WorkerSlots m_slots;
    ProgressBoard m_progress;
    TaskOperations m_operations;
    TaskCommands m_commands;
    ScheduleWatch m_scheduleWatch;
    std::unique_ptr<RecoveryCopy> m_recovery;
    TaskSessionView* m_view = nullptr;
    DownloadPreferences m_preferences;
    std::vector<TaskListener*> m_listeners;
};

} // namespace zv
