#include "tasks/RecoveryCopy.h"

#include "platform/services/Deferrer.h"
#include "platform/services/Dialogs.h"
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

RecoveryCopy::RecoveryCopy(TaskTable& table, Dialogs& dialogs, Deferrer& deferrer, std::string file,
                           std::function<std::string()> currentListFile)
    : m_table(table)
    , m_dialogs(dialogs)
    , m_deferrer(deferrer)
    , m_file(std::move(file))
    , m_currentListFile(std::move(currentListFile))
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

std::string RecoveryCopy::recordFor(const std::string& listFile)
{
    std::error_code error;
    // Resolved now: a bare name means the working directory of this moment.
    const std::string absolute = fs::absolute(listFile, error).string();
    if (error || absolute.find_first_of("\r\n") != std::string::npos)
        return {};
    return RecordPrefix + absolute;
}

std::optional<std::string> RecoveryCopy::recordedListFile(const std::optional<std::string>& line)
{
    if (!line || !line->starts_with(RecordPrefix))
        return std::nullopt;
    std::string file = line->substr(std::string_view(RecordPrefix).size());
    if (!fs::path(file).is_absolute())
        return std::nullopt;
    return file;
}

void RecoveryCopy::onChange(const TableChange& change)
{
    if (isKeptInTheList(change) && !isProgressOnly(change))
        markChanged();
}

void RecoveryCopy::markChanged()
{
    if (m_closed)
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

std::optional<std::string> RecoveryCopy::bringUpToDate()
{
    if (m_closed)
        return std::nullopt;
    try {
        writeTable();
        m_pending = false;
        return std::nullopt;
    } catch (const InOutError& failure) {
        return failure.what();
    }
}

void RecoveryCopy::writeTable()
{
    TaskListWriter::writeList(m_table, m_file, recordFor(m_currentListFile()));
}

void RecoveryCopy::write()
{
    m_pending = false;
    try {
        writeTable();
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
