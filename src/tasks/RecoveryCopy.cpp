#include "tasks/RecoveryCopy.h"

#include "platform/Deferrer.h"
#include "platform/Dialogs.h"
#include "tasks/InOutError.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <filesystem>
#include <utility>

namespace zv {

namespace fs = std::filesystem;

namespace {

// Progress reports rewrite these without the user having done anything.
bool isProgressOnly(const TableChange& change)
{
    return change.kind == TableChange::Kind::Cell
        && (!change.textChanged || change.column == ColSizeLoaded);
}

// The current row and the fixed header are not kept in a list file.
bool isKeptInTheList(const TableChange& change)
{
    return change.kind == TableChange::Kind::Cell || change.kind == TableChange::Kind::Rows;
}

} // namespace

RecoveryCopy::RecoveryCopy(TaskTable& table, Dialogs& dialogs, Deferrer& deferrer, std::string file)
    : m_table(table)
    , m_dialogs(dialogs)
    , m_deferrer(deferrer)
    , m_file(std::move(file))
    , m_self(std::make_shared<RecoveryCopy*>(this))
{
    m_listenerId = m_table.addListener([this](const TableChange& change) { onChange(change); });
}

RecoveryCopy::~RecoveryCopy()
{
    m_table.removeListener(m_listenerId);
}

std::string RecoveryCopy::fileFor(const std::string& defaultListFile)
{
    return defaultListFile + Suffix;
}

bool RecoveryCopy::exists(const std::string& file)
{
    std::error_code error;
    return fs::exists(file, error);
}

void RecoveryCopy::onChange(const TableChange& change)
{
    if (m_closed || !isKeptInTheList(change) || isProgressOnly(change))
        return;
    m_pending = true;
    schedule(WriteDelayMs);
}

void RecoveryCopy::schedule(int milliseconds)
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    m_deferrer.callAfter(milliseconds, [self = std::weak_ptr<RecoveryCopy*>(m_self)] {
        if (const auto copy = self.lock())
            (*copy)->fired();
    });
}

void RecoveryCopy::fired()
{
    m_scheduled = false;
    if (m_pending && !m_closed)
        write();
}

void RecoveryCopy::flushNow()
{
    if (m_pending && !m_closed)
        write();
}

void RecoveryCopy::write()
{
    m_pending = false;
    try {
        TaskListWriter::writeList(m_table, m_file);
        m_failureReported = false;
    } catch (const InOutError& failure) {
        m_pending = true;
        schedule(RetryDelayMs);
        // Set before the box opens: its event loop may run the retry.
        if (!std::exchange(m_failureReported, true))
            m_dialogs.reportError("The recovery copy of the task list, \"" + m_file
                                  + "\", could not be written: " + failure.what());
    }
}

void RecoveryCopy::removeAfterNormalClose()
{
    m_closed = true;
    m_pending = false;
    m_table.removeListener(m_listenerId);
    std::error_code error;
    fs::remove(m_file, error);
}

} // namespace zv
