#include "tasks/TaskListFile.h"

#include "platform/text/ApplicationTitle.h"
#include "platform/files/AtomicFileWriter.h"
#include "platform/files/ListFolder.h"
#include "platform/files/NumberedFiles.h"
#include "platform/files/Paths.h"
#include "platform/files/PrivateFile.h"
#include "tasks/ClearList.h"
#include "tasks/InOutError.h"
#include "tasks/OwnFiles.h"
#include "tasks/RecoveryCopy.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <filesystem>

namespace zv {

namespace fs = std::filesystem;

namespace {

constexpr int MaxRecoveredFiles = 1000;

std::string folderOf(const std::string& file)
{
    return fs::path(file).parent_path().string();
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
    removeLeftoverTemporaries();
    if (!restoreRecoveryCopy())
        loadDefaultList();
    m_table.fixHeaderIfTasks();
}

void TaskListFile::removeLeftoverTemporaries() const
{
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(m_defaultListFile), error), end; !error && entry != end;
         entry.increment(error)) {
        const auto target = AtomicFileWriter::targetOfTemporary(entry->path().filename().string());
        std::error_code ignored;
        if (target && isOwnWrittenName(*target) && entry->is_regular_file(ignored) && !entry->is_symlink(ignored))
            fs::remove(entry->path(), ignored);
    }
}

bool TaskListFile::isOwnWrittenName(const std::string& name) const
{
    const std::string defaultName = fs::path(m_defaultListFile).filename().string();
    if (name == defaultName || name == fs::path(recoveryFile()).filename().string()
        || name == ListFolder::SettingsFileName)
        return true;
    return OwnFiles::isNumbered(name, RecoveredFileName);
}

bool TaskListFile::restoreRecoveryCopy()
{
    const std::string copy = recoveryFile();
    if (!RecoveryCopy::exists(copy))
        return false;
    std::optional<std::string> record;
    try {
        record = TaskListReader::readWholeListWithTrailer(m_table, copy);
    } catch (const InOutError& failure) {
        m_table.setRowCount(1);
        reportUnreadableRecovery(failure.what());
        return false;
    }
    std::string text = RecoveryCopy::RestoredText;
    if (const auto listFile = RecoveryCopy::recordedListFile(record)) {
        setCurrent(*listFile);
        if (*listFile != m_defaultListFile)
            text += " It will be saved to \"" + *listFile + "\" when Zare Vantrel closes.";
    } else {
        text += takeRecoveredFile();
    }
    m_dialogs.messageBox(text, ApplicationTitle, MessageIcon::Information);
    return true;
}

std::string TaskListFile::takeRecoveredFile()
{
    const std::string base = Paths::join(folderOf(m_defaultListFile), RecoveredFileName);
    int number = 1;
    while (number < MaxRecoveredFiles && NumberedFiles::isTaken(NumberedFiles::numberedName(base, number)))
        ++number;
    setCurrent(NumberedFiles::numberedName(base, number));
    // Written at once, so that the name is taken and the table kept even before the close.
    try {
        TaskListWriter::writeList(m_table, m_currentListFile);
    } catch (const InOutError&) {
        // The close tries again and reports a failure.
    }
    return " The recovery copy did not say which task list it belongs to, so it will be saved to \""
        + m_currentListFile + "\".";
}

void TaskListFile::setCurrent(const std::string& file)
{
    m_currentListFile = file;
    if (m_onCurrentChanged)
        m_onCurrentChanged();
}

void TaskListFile::loadDefaultList()
{
    std::error_code error;
    if (!fs::exists(m_defaultListFile, error)) {
        // Private, as every later write keeps its mode; one that appeared meanwhile is not
        // emptied, and a folder that refuses it is not reported.
        PrivateFile::createIfMissing(m_defaultListFile);
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
    if (const auto kept = NumberedFiles::keepBadCopy(copy)) {
        std::error_code error;
        fs::remove(copy, error);
        text += " The recovery copy was kept as \"" + *kept + "\".";
    }
    m_dialogs.reportError(text);
}

void TaskListFile::reportUnreadableDefault(const std::string& errorText)
{
    std::string text = Dialogs::errorReportText(errorText);
    if (const auto copy = NumberedFiles::keepBadCopy(m_defaultListFile)) {
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

std::optional<std::string> TaskListFile::trySaveAtClose()
{
    return tryWrite(m_currentListFile);
}

void TaskListFile::openDatabase()
{
    if (refusedWhileTasksRun(m_table, m_dialogs))
        return;
    const auto chosen = m_dialogs.openFileName(fileDialogRequest());
    // A scheduled start may have begun while the dialog was open.
    if (!chosen || refusedWhileTasksRun(m_table, m_dialogs) || refusedAsOwnFile(*chosen))
        return;
    readFrom(*chosen);
    m_table.fixHeaderIfTasks();
}

void TaskListFile::newDatabase()
{
    if (clearTheList(m_table, m_dialogs))
        setCurrent(NewFileName);
}

void TaskListFile::saveDatabaseAs()
{
    const auto chosen = m_dialogs.saveFileName(fileDialogRequest());
    if (!chosen || refusedAsOwnFile(*chosen))
        return;
    setCurrent(*chosen);
    writeTo(m_currentListFile);
}

bool TaskListFile::refusedAsOwnFile(const std::string& file)
{
    if (!OwnFiles::isOwnFile(file))
        return false;
    m_dialogs.reportError(OwnFiles::refusalText(file));
    return true;
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
    const auto failure = tryWrite(file);
    if (failure)
        m_dialogs.reportError(*failure);
    return !failure;
}

std::optional<std::string> TaskListFile::tryWrite(const std::string& file)
{
    if (isProtected(file)) {
        return "The task list \"" + file
            + "\" could not be read whole at start-up and could not be copied, so it is not"
              " overwritten. Save the list under another name with \"Save database as..\"";
    }
    if (m_beforeWrite)
        m_beforeWrite();
    try {
        TaskListWriter::writeList(m_table, file);
        return std::nullopt;
    } catch (const InOutError& failure) {
        return failure.what();
    }
}

} // namespace zv
