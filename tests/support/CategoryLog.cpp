#include "support/CategoryLog.h"

#include <QLoggingCategory>
#include <QString>

#include <atomic>

namespace zv::test {

namespace {
std::atomic<CategoryLog*> current{nullptr};
}

CategoryLog::CategoryLog(std::string category) : m_category(std::move(category)), m_previous(qInstallMessageHandler(&handle))
{
    current = this;
    QLoggingCategory::setFilterRules(QString::fromStdString(m_category + ".debug=true"));
}

CategoryLog::~CategoryLog()
{
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(m_previous);
    current = nullptr;
}

std::vector<std::string> CategoryLog::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void CategoryLog::handle(QtMsgType, const QMessageLogContext& context, const QString& text)
{
    CategoryLog* log = current;
    if (!log || !context.category || log->m_category != context.category)
        return;
    std::lock_guard lock(log->m_mutex);
    log->m_lines.push_back(text.toStdString());
}

} // namespace zv::test
