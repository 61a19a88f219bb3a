#include "app/LinkIntake.h"

#include "transfer/LinkAdding.h"
#include "transfer/LinkMessage.h"

#include <QApplication>
#include <QWidget>

namespace zv {

LinkIntake::LinkIntake(TaskCommands& tasks, const TaskTable& table, Handlers handlers, QObject* parent)
    : QObject(parent), m_tasks(tasks), m_table(table), m_handlers(std::move(handlers))
{
    if (!m_handlers.busy)
        m_handlers.busy = [] { return QApplication::activeModalWidget() != nullptr; };
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &LinkIntake::handleNext);
}

QList<QByteArray> LinkIntake::readMessage(const QByteArray& message)
{
    auto batch = LinkMessage::decode(std::string_view(message.constData(), static_cast<std::size_t>(message.size())));
    if (!batch || batch->urls.empty()) {
        qWarning("links: dropped a message that cannot be read");
        return {};
    }
    QList<QByteArray> notes;
    if (!batch->quiet) {
        take(std::move(*batch));
        return notes;
    }
    for (const std::string& line : addQuietly(*batch))
        notes.append(QByteArray::fromStdString(line));
    return notes;
}

void LinkIntake::take(LinkBatch batch)
{
    m_waiting.push_back(std::move(batch));
    // Never from inside the socket's reading: a dialog's own event loop would hold its answer.
    QTimer::singleShot(0, this, &LinkIntake::handleNext);
}

std::vector<std::string> LinkIntake::addQuietly(const LinkBatch& batch)
{
    const std::string path = batch.folder.empty() ? m_handlers.defaultPath() : batch.folder;
    const auto outcomes = LinkAdding::add(m_tasks, m_table, {batch.urls, path, batch.name, false});
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < outcomes.size(); ++i)
        if (std::string line = LinkAdding::describe(batch.urls[i], outcomes[i]); !line.empty())
            lines.push_back(std::move(line));
    return lines;
}

void LinkIntake::handleNext()
{
    if (m_handling || m_waiting.empty())
        return;
    if (m_handlers.busy()) {
        m_retry.start();
        return;
    }
    m_handling = true;
    const LinkBatch batch = std::move(m_waiting.front());
    m_waiting.pop_front();
    if (batch.urls.size() == 1)
        m_handlers.editOne(batch);
    else
        m_handlers.editSeveral(batch);
    m_handling = false;
    if (!m_waiting.empty())
        QTimer::singleShot(0, this, &LinkIntake::handleNext);
}

} // namespace zv
