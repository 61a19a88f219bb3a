#include "transfer/TaskSession.h"

#include "platform/files/Paths.h"
#include "platform/services/SettingsStore.h"
#include "platform/threads/HandOverQueue.h"
#include "tasks/ClosingSave.h"
#include "tasks/TaskCodes.h"
#include "transfer/RefreshSpeed.h"
#include "transfer/TaskSessionView.h"

#include <algorithm>

namespace zv {

TaskSession::TaskSession(Services services)
    : m_services(std::move(services)), m_backoff(m_table, m_services.clock),
      m_listFile(m_table, m_services.dialogs, m_services.listFolder),
      m_doneNotices(m_services.notifier, m_services.deferrer),
      m_speed(std::make_shared<SpeedLimiter>(m_services.clock)),
      m_servers(std::make_shared<ServerBudget>(DownloadPreferences{}.connectionsPerServer)),
      m_progress(m_table, m_slots, m_services.clock, m_services.formats, &m_backoff, &m_queue, m_speed.get()),
      m_operations({{m_services.mainThread,
                     m_services.internet,
                     m_table,
                     m_services.formats,
                     m_services.clock,
                     {},
                     {},
                     m_services.retries,
                     {},
                     {},
                     m_speed,
                     1,
                     m_servers},
                    m_slots,
                    m_services.dialogs,
                    *m_services.probes,
                    [this] { return refreshSpeedItem(); },
                    &m_progress,
                    &m_backoff,
                    &m_services.deferrer,
                    [this](const std::string& name, const std::string& reason) { m_doneNotices.failed(name, reason); },
                    this,
                    &m_queue}),
      m_commands(m_table, m_operations, m_services.dialogs, this),
      m_scheduleWatch({m_table, m_services.clock, m_services.online, m_services.formats, m_services.dialogs, m_editorMode,
                       *this, Paths::join(m_services.programDir, "pic"),
                       [this](TaskId task) { m_commands.startBySchedule(task); }})
{
    // A start waiting for its probe never goes on under the editor, and an edited task is
    // started by its schedule without waiting for an earlier failure.
    m_editorMode.setOnModify([this](TaskId task) {
        m_operations.dropPendingStart(task);
        m_backoff.forget(task);
    });
    addListener(m_progress);
    m_queue.setOnChange([this] {
        if (m_view)
            m_view->queueChanged();
    });
}

TaskSession::~TaskSession()
{
    endWorkers();
}

void TaskSession::loadAtStartUp()
{
    if (const auto problem = m_services.settings.load())
        m_services.dialogs.reportError(*problem);
    m_preferences = DownloadPreferences::read(m_services.settings);
    applyPreferences();
    m_table.setRowCount(1);
    m_table.writeHeader();
    m_listFile.loadAtStartUp();
    m_table.fixHeaderIfTasks();
    // Loading is no change of the user's: the copy listens from here on.
    m_recovery = std::make_unique<RecoveryCopy>(m_table, m_services.dialogs, m_services.deferrer,
                                                m_listFile.recoveryFile(),
                                                [this] { return m_listFile.currentListFile(); });
    m_listFile.setOnCurrentChanged([this] { m_recovery->markChanged(); });
    // A change waiting for the copy is written before the list, and the copy stays until the
    // close: a list write cut part-way is restored from it.
    // A failure here shows no box: the copy's own retries report it.
    m_listFile.setBeforeWrite([this] {
        if (m_recovery->isPending())
            m_recovery->bringUpToDate();
    });
}

bool TaskSession::changeSetting(std::string_view section, std::string_view key, std::string_view value)
{
    m_services.settings.setValue(section, key, value);
    return saveSettings();
}

bool TaskSession::saveSettings()
{
    const auto failure = m_services.settings.save();
    if (failure)
        m_services.dialogs.reportError(*failure);
    return !failure;
}

bool TaskSession::setPreferences(const DownloadPreferences& preferences)
{
    const DownloadPreferences before = m_preferences;
    m_preferences = preferences;
    applyPreferences();
    if (preferences == before)
        return true;
    using Keys = DownloadPreferences;
    SettingsStore& store = m_services.settings;
    // Only the keys that changed: a value written by hand that reads as off stays as written.
    if (preferences.maxRunning != before.maxRunning)
        store.setValue(Keys::Section, Keys::MaxRunningKey, std::to_string(preferences.maxRunning));
    if (preferences.speedLimit != before.speedLimit)
        store.setValue(Keys::Section, Keys::SpeedLimitKey, std::to_string(preferences.speedLimit));
    if (preferences.speedLimitOn != before.speedLimitOn)
        store.setValue(Keys::Section, Keys::SpeedLimitOnKey, Keys::switchText(preferences.speedLimitOn));
    if (preferences.connections != before.connections)
        store.setValue(Keys::Section, Keys::ConnectionsKey, std::to_string(preferences.connections));
    if (preferences.connectionsPerServer != before.connectionsPerServer)
        store.setValue(Keys::Section, Keys::ConnectionsPerServerKey, std::to_string(preferences.connectionsPerServer));
    return saveSettings();
}

void TaskSession::applyPreferences()
{
    m_speed->setLimit(m_preferences.limitInForce());
    m_operations.setMostRunning(m_preferences.maxRunning);
    m_operations.setConnections(m_preferences.connections);
    m_servers->setPerServer(m_preferences.connectionsPerServer);
}

void TaskSession::openDatabase() { replacingTasks(&TaskListFile::openDatabase); }
void TaskSession::newDatabase() { replacingTasks(&TaskListFile::newDatabase); }

void TaskSession::replacingTasks(void (TaskListFile::*replace)())
{
    const std::vector<TaskId> before = m_table.taskIds();
    (m_listFile.*replace)();
    const std::vector<TaskId> after = m_table.taskIds();
    // Ids are never given twice: a task in both lists is one the action left in place.
    const auto in = [](const std::vector<TaskId>& ids, TaskId task) { return std::ranges::find(ids, task) != ids.end(); };
    for (const TaskId task : before) {
        if (!in(after, task))
            taskRemoved(task);
    }
    for (const TaskId task : after) {
        if (!in(before, task))
            taskAdded(task);
    }
}

bool TaskSession::saveAtUserClose()
{
    return zv::saveAtUserClose(m_listFile, *m_recovery);
}

std::string TaskSession::saveAtRequestedClose()
{
    return zv::saveAtRequestedClose(m_listFile, *m_recovery);
}

void TaskSession::endAfterSave()
{
    m_operations.dropPendingStarts();
    m_services.mainThread.shutDown();
}

void TaskSession::endWorkers()
{
    m_slots.destroyAll();
}

bool TaskSession::showPictureFile(const std::string& path)
{
    return !m_view || m_view->showPictureFile(path);
}

int TaskSession::refreshSpeedItem() const
{
    return m_view ? m_view->refreshSpeedItem() : RefreshSpeed::DefaultItem;
}

template <typename Tell>
void TaskSession::tell(Tell tell)
{
    // A listener may leave while being told; walk a copy.
    const std::vector<TaskListener*> listeners = m_listeners;
    for (TaskListener* listener : listeners)
        tell(*listener);
}

void TaskSession::taskAdded(TaskId task)
{
    tell([task](TaskListener& listener) { listener.taskAdded(task); });
}

void TaskSession::taskChanged(TaskId task)
{
    tell([task](TaskListener& listener) { listener.taskChanged(task); });
}

void TaskSession::taskRemoved(TaskId task)
{
    m_operations.leaveQueue(task);
    tell([task](TaskListener& listener) { listener.taskRemoved(task); });
}

void TaskSession::runStarted(TaskId task)
{
    tell([task](TaskListener& listener) { listener.runStarted(task); });
}

void TaskSession::runEnded(TaskId task, const RunOutcome& outcome)
{
    if (outcome.end == RunEnd::Done) {
        if (m_view)
            m_view->PlayDoneSound();
        m_doneNotices.completed(outcome.destination);
    } else {
        m_backoff.runStopped(task, outcome);
        // A stop or cancel of the user's has no reason, and is never told.
        if (outcome.end == RunEnd::Failed)
            m_doneNotices.failed(m_table.cell(ColFileName, m_table.rowOf(task)), outcome.plainReason);
    }
    tell([task, &outcome](TaskListener& listener) { listener.runEnded(task, outcome); });
}

} // namespace zv
