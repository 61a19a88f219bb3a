#pragma once

#include "transfer/LinkBatch.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zv {

class TaskCommands;
class TaskTable;

// Takes the links that come from outside the window: a later start's message, this start's
// command line. Quiet links are added at once, and what was refused is said back; the others
// open the editor (one link) or the batch dialog (several), one batch at a time, and never
// while a modal box is open: they wait for it to close and are never dropped.
class LinkIntake final : public QObject {
    Q_OBJECT

public:
    struct Handlers {
        std::function<void(const LinkBatch&)> editOne;
        std::function<void(const LinkBatch&)> editSeveral;
        std::function<std::string()> defaultPath;
        // A modal box is open; by default the application's.
        std::function<bool()> busy;
    };

    LinkIntake(TaskCommands& tasks, const TaskTable& table, Handlers handlers, QObject* parent = nullptr);

    // A later start's message: the lines to send back (one per refused quiet link). A message
    // that cannot be read is dropped and logged.
    QList<QByteArray> readMessage(const QByteArray& message);
    // Links for a dialog, opened once no modal box is open.
    void take(LinkBatch batch);
    // Adds quiet links at once; one line per link not added.
    std::vector<std::string> addQuietly(const LinkBatch& batch);
    bool hasWaiting() const { return !m_waiting.empty(); }

    // Polled while a modal box keeps a batch waiting.
    static constexpr int RetryMs = 200;

private:
    void handleNext();

    TaskCommands& m_tasks;
    const TaskTable& m_table;
    Handlers m_handlers;
    std::deque<LinkBatch> m_waiting;
    QTimer m_retry;
    bool m_handling = false;
};

} // namespace zv
