#include "tasks/TaskListFile.h"

#include "platform/ApplicationTitle.h"
#include "platform/Paths.h"
#include "tasks/ClearList.h"
#include "tasks/InOutError.h"
#include "tasks/RecoveryCopy.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <filesystem>
#include <fstream>

namespace zv {

namespace fs = std::filesystem;

namespace {

constexpr int MaxBadCopies = 1000;

std::string badCopyName(const std::string& file, int number)
{
    return file + ".bad" + (number == 1 ? std::string() : "." + std::to_string(number));
}

} // namespace

TaskListFile::TaskListFile(TaskTable& table, Dialogs& dialogs, const std::string& defaultFolder)
    : m_table(table)
    , m_dialogs(dialogs)
    , m_defaultListFile(Paths::join(defaultFolder, DefaultFileName))
    , m_currentListFile(m_defaultListFile)
{
}

FileDialogRequest TaskListFile::fileDialogRequest()
{
    return {"Text", "*.log", "log"};
}

std::string TaskListFile::recoveryFile() const
{
    return RecoveryCopy::fileFor(m_defaultListFile);
}

void TaskListFile::loadAtStartUp()
{
    if (!restoreRecoveryCopy())
        loadDefaultList();
    m_table.fixHeaderIfTasks();
}

bool TaskListFile::restoreRecoveryCopy()
{
    const std::string copy = recoveryFile();
    if (!RecoveryCopy::exists(copy))
        return false;
    try {
        TaskListReader::readWholeList(m_table, copy);
    } catch (const InOutError& failure) {
        m_table.setRowCount(1);
        reportUnreadableRecovery(failure.what());
        return false;
    }
    m_dialogs.messageBox(RecoveryCopy::RestoredText, ApplicationTitle, MessageIcon::Information);
    return true;
}

void TaskListFile::loadDefaultList()
{
    std::error_code error;
    if (!fs::exists(m_defaultListFile, error)) {
        // Appending creates the file without emptying one that appeared meanwhile; a folder
        // that refuses it is not reported.
        std::ofstream create(m_defaultListFile, std::ios::app | std::ios::binary);
        return;
    }
    try {
        // A list cut short shows what it holds, but its bytes are kept before a close
        // writes the shorter table over them.
        if (!TaskListReader::readListCheckingEnd(m_table, m_defaultListFile))
            reportUnreadableDefault(InOutError::incompleteList().what());
    } catch (const InOutError& failure) {
        reportUnreadableDefault(failure.what());
    }
}

void TaskListFile::reportUnreadableRecovery(const std::string& errorText)
{
    const std::string copy = recoveryFile();
    std::string text = "The last run was not closed normally, and its recovery copy of the task list"
                       " could not be read: "
        + Dialogs::errorReportText(errorText) + " The saved task list was loaded instead.";
    // Moved aside, so that it is neither reported again nor lost.
    if (const auto kept = keepBadCopy(copy)) {
        std::error_code error;
        fs::remove(copy, error);
        text += " The recovery copy was kept as \"" + *kept + "\".";
    }
    m_dialogs.reportError(text);
}

void TaskListFile::reportUnreadableDefault(const std::string& errorText)
{
    std::string text = Dialogs::errorReportText(errorText);
    if (const auto copy = keepBadCopy(m_defaultListFile)) {
        text += " A copy of the list file was kept as \"" + *copy + "\".";
    } else {
        std::error_code error;
        if (fs::exists(m_defaultListFile, error)) {
            m_protectedFile = m_defaultListFile;
            text += " The list file could not be copied, so it will not be overwritten.";
        }
    }
    m_dialogs.reportError(text);
}

std::optional<std::string> TaskListFile::keepBadCopy(const std::string& file)
{
    for (int number = 1; number <= MaxBadCopies; ++number) {
        const std::string copy = badCopyName(file, number);
        std::error_code error;
        if (fs::exists(fs::symlink_status(copy, error)))
            continue;
        if (fs::copy_file(file, copy, fs::copy_options::none, error))
            return copy;
        if (error == std::errc::file_exists)
            continue;
        // A copy broken off part-way would only mislead.
        fs::remove(copy, error);
        return std::nullopt;
    }
    return std::nullopt;
}

bool TaskListFile::isProtected(const std::string& file) const
{
    if (m_protectedFile.empty())
        return false;
    std::error_code error;
    return file == m_protectedFile || fs::equivalent(file, m_protectedFile, error);
}

bool TaskListFile::saveAtClose()
{
    return writeTo(m_currentListFile);
}

void TaskListFile::openDatabase()
{
    if (refusedWhileTasksRun(m_table, m_dialogs))
        return;
    const auto chosen = m_dialogs.openFileName(fileDialogRequest());
    // A scheduled start may have begun while the dialog was open.
    if (!chosen || refusedWhileTasksRun(m_table, m_dialogs))
        return;
    readFrom(*chosen);
    m_table.fixHeaderIfTasks();
}

void TaskListFile::newDatabase()
{
    if (clearTheList(m_table, m_dialogs))
        m_currentListFile = NewFileName;
}

void TaskListFile::saveDatabaseAs()
{
    const auto chosen = m_dialogs.saveFileName(fileDialogRequest());
    if (!chosen)
        return;
    m_currentListFile = *chosen;
    writeTo(m_currentListFile);
}

void TaskListFile::readFrom(const std::string& file)
{
    try {
        TaskListReader::readList(m_table, file);
    } catch (const InOutError& failure) {
        m_dialogs.reportError(failure.what());
    }
}

bool TaskListFile::writeTo(const std::string& file)
{
    if (isProtected(file)) {
        m_dialogs.reportError("The task list \"" + file
                              + "\" could not be read whole at start-up and could not be copied,"
                                " so it is not overwritten. Save the list under another name"
                                " with \"Save database as..\"");
        return false;
    }
    try {
        TaskListWriter::writeList(m_table, file);
        return true;
    } catch (const InOutError& failure) {
        m_dialogs.reportError(failure.what());
        return false;
    }
}

} // namespace zv
